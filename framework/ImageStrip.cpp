// Image lists from bitmap strips.
#include "framework/ImageStrip.h"

#include "framework/Handles.h"
#include "framework/ImageList.h"

bool LoadImageStrip(CImageList& list, UINT bitmapId, int cx, int cy, UINT flags, int initial, int grow, COLORREF mask)
{
    if (!list.Create(cx, cy, flags, initial, grow))
        return false;
    CBitmap strip;
    return strip.LoadBitmap(bitmapId) && list.Add(&strip, mask) >= 0;
}
