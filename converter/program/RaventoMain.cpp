// The entry of Ravento.exe and its application object.
#include "converter/ConverterApp.h"
#include "framework/AppMain.h"

CConverterApp theApp;
