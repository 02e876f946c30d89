// The entry of Ravento.exe and its application object.
#include "converter/app/ConverterApp.h"
#include "framework/AppMain.h"

CConverterApp theApp;
