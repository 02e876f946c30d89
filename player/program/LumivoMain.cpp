// The entry of Lumivo.exe.
#include "framework/AppMain.h"
