// The entry of Lumivo.exe and its one application object.
#include "framework/AppMain.h"
#include "player/app/PlayerApp.h"

CPlayerApp theApp;
