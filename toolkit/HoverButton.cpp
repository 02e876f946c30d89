// The hover image button.
#include "toolkit/HoverButton.h"

#include "image/RasterImage.h"
#include "toolkit/ToolkitHost.h"

HCURSOR ToolkitHandCursor()
{
    HCURSOR cursor = NULL;
    if (CToolkitHost* host = GetToolkitHost()) cursor = host->GetHandCursor();
    return cursor ? cursor : ::LoadCursorW(NULL, IDC_HAND);
}

void TrackMouseLeave(HWND hWnd)
{
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hWnd, 0};
    ::TrackMouseEvent(&tme);
}

BEGIN_MESSAGE_MAP(CHoverButton, CButton)
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

CHoverButton::CHoverButton() {}

void CHoverButton::SetImages(CRasterImage* pNormal, CRasterImage* pHot)
{
    m_pNormalImage = pNormal;
    m_pHotImage = pHot;
    if (pNormal && pNormal->IsValid()) {
        m_nImageWidth = pNormal->GetWidth();
        m_nImageHeight = pNormal->GetHeight();
    }
    if (m_hWnd) Invalidate();
}

BOOL CHoverButton::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(ToolkitHandCursor());
    return TRUE;
}

BOOL CHoverButton::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CHoverButton::OnMouseMove(UINT, CPoint)
{
    if (!m_bHovering) {
        TrackMouseLeave(m_hWnd);
        m_bHovering = TRUE;
        Invalidate(TRUE);
    }
    Default();
}

void CHoverButton::OnMouseLeave()
{
    m_bHovering = FALSE;
    Invalidate();
    Default();
}

int CHoverButton::StateFromItemState(UINT itemState, BOOL bHovering)
{
    if (itemState & ODS_SELECTED) return 3;
    if (itemState & ODS_FOCUS) return bHovering ? 1 : 2;
    if (itemState & ODS_DISABLED) return 4;
    return bHovering ? 1 : 0;
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect item(lpDrawItemStruct->rcItem);
    const int state = StateFromItemState(lpDrawItemStruct->itemState, m_bHovering);

    CDC mem;
    CBitmap bitmap;
    if (!mem.CreateCompatibleDC(pDC) || !bitmap.CreateCompatibleBitmap(pDC, item.Width(), item.Height())) {
        DrawState(pDC, item, state);
        return;
    }
    CGdiSelector select(mem, &bitmap);
    DrawState(&mem, CRect(0, 0, item.Width(), item.Height()), state);
    pDC->BitBlt(item.left, item.top, item.Width(), item.Height(), &mem, 0, 0, SRCCOPY);
}

void CHoverButton::DrawBackground(CDC* pDC, const CRect& rect, int)
{
    pDC->FillSolidRect(&rect, m_crBackground);
}

void CHoverButton::DrawState(CDC* pDC, const CRect& rect, int nState)
{
    DrawBackground(pDC, rect, nState);
    CRasterImage* image = (nState == 1 || nState == 3) ? m_pHotImage : m_pNormalImage;
    if (image && image->IsValid())
        image->Draw(pDC->GetSafeHdc(), rect.left + (rect.Width() - m_nImageWidth) / 2,
                    rect.top + (rect.Height() - m_nImageHeight) / 2);
}
