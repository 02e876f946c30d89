// CMemoryDC: paints into an off-screen bitmap and copies the picture to the target at the end,
// so a window's background and content reach the screen in one step, without flicker.
#pragma once

#include "framework/Geometry.h"
#include "framework/Handles.h"

class CMemoryDC : public CDC {
public:
    // Covers pRect (in the target's logical coordinates), or the target's clip box when null.
    // Callers draw in the target's coordinates. A printing target is drawn into directly.
    explicit CMemoryDC(CDC* pDC, const RECT* pRect = NULL);
    // Copies the picture to the target (nothing when the target was drawn into directly).
    ~CMemoryDC() override;
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    CMemoryDC* operator->() { return this; }
    operator CMemoryDC*() { return this; }

    // Whether drawing goes to the off-screen bitmap (false: straight into the target).
    BOOL IsBuffered() const { return m_bBuffered; }
    const CRect& GetRect() const { return m_rect; }

private:
    CDC* m_pDC;
    CRect m_rect;
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = NULL;
    BOOL m_bBuffered = FALSE;
};
