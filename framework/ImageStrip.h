// An image list made from a bitmap resource that holds its images side by side, one colour of it
// transparent: the way both programs load their toolbar, marker, status and icon strips.
#pragma once

#include <windows.h>

class CImageList;

// The colour the programs' strips are drawn on where they are transparent.
const COLORREF IMAGE_STRIP_MASK = RGB(255, 0, 255);

// The list is made with the given image size, flags, initial count and growth and gets the
// strip's images; false when the list cannot be made or the bitmap not loaded or added.
bool LoadImageStrip(CImageList& list, UINT bitmapId, int cx, int cy, UINT flags, int initial, int grow, COLORREF mask);
