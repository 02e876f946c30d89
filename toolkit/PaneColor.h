// The dark background both programs paint behind what they show: the player's panes and views, the
// converter's previews behind a picture.
#pragma once

#include <windows.h>

const COLORREF PANE_COLOR = RGB(32, 32, 32);
