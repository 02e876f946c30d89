// CRectTracker: the rubber band a user drags out with the mouse.
#pragma once

#include "framework/Wnd.h"

class CRectTracker {
public:
    CRectTracker() {}
    CRectTracker(LPCRECT lpSrcRect, UINT nStyle) : m_rect(*lpSrcRect), m_nStyle(nStyle) {}
    virtual ~CRectTracker() {}

    // From a button-down at point (client coordinates of pWnd) until the button comes up: the
    // band is drawn inverted and m_rect follows the mouse. TRUE with the normalised m_rect when
    // the band has an area; FALSE when it was cancelled (Esc, right button, capture lost) or empty.
    // bAllowInvert FALSE keeps the band from crossing over its starting point.
    BOOL TrackRubberBand(CWnd* pWnd, CPoint point, BOOL bAllowInvert = TRUE);

    // Called while tracking, after m_rect changed and before it is drawn.
    virtual void OnChangedRect(const CRect& rectOld);
    virtual void DrawTrackerRect(LPCRECT lpRect, CWnd* pWndClipTo, CDC* pDC, CWnd* pWnd);

    CRect m_rect;
    UINT m_nStyle = 0;
    CSize m_sizeMin = CSize(0, 0);
};
