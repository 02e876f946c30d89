// The entry of Lumivo.exe and its one application object.
#include "framework/AppMain.h"
#include "player/PlayerApp.h"

CPlayerApp theApp;
