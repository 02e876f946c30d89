// CHoverButton: an owner-drawn image button that shows its hot image while the mouse is over it.
#pragma once

#include "framework/Controls.h"

class CRasterImage;

class CHoverButton : public CButton {
public:
    CHoverButton();

    // The images are not owned and must outlive the button; the normal image gives the size.
    void SetImages(CRasterImage* pNormal, CRasterImage* pHot);
    void SetBackgroundColor(COLORREF color) { m_crBackground = color; }
    BOOL IsHovering() const { return m_bHovering; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // States: 0 normal, 1 hot, 2 focused, 3 pressed, 4 disabled.
    virtual void DrawBackground(CDC* pDC, const CRect& rect, int nState);
    virtual void DrawState(CDC* pDC, const CRect& rect, int nState);

    // The state DrawItem draws for the item state bits (ODS_*) and the hovering flag.
    static int StateFromItemState(UINT itemState, BOOL bHovering);

protected:
    CRasterImage* m_pNormalImage = NULL;
    CRasterImage* m_pHotImage = NULL;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    COLORREF m_crBackground = RGB(32, 32, 32);
    BOOL m_bHovering = FALSE;

    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    DECLARE_MESSAGE_MAP()
};

// Shared by the toolkit's link-like controls: the host's hand cursor, or the system's.
HCURSOR ToolkitHandCursor();
// Asks for WM_MOUSELEAVE once the mouse leaves the window.
void TrackMouseLeave(HWND hWnd);
