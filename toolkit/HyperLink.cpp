// The link button.
#include "toolkit/HyperLink.h"

#include "framework/Effects.h"
#include "toolkit/HoverButton.h"

BEGIN_MESSAGE_MAP(CHyperLink, CButton)
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CHyperLink::CHyperLink() : m_crBackground(::GetSysColor(COLOR_WINDOW)) {}

void CHyperLink::SetURL(LPCWSTR lpszURL, LPCWSTR lpszCaption)
{
    m_strURL = lpszURL ? lpszURL : L"";
    if (m_hWnd) {
        if (lpszCaption) SetWindowText(lpszCaption);
        Invalidate();
    }
}

BOOL CHyperLink::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(ToolkitHandCursor());
    return TRUE;
}

BOOL CHyperLink::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CHyperLink::OnMouseMove(UINT, CPoint)
{
    if (!m_bHovering) {
        TrackMouseLeave(m_hWnd);
        m_bHovering = TRUE;
        Invalidate(FALSE);
    }
    Default();
}

void CHyperLink::OnMouseLeave()
{
    m_bHovering = FALSE;
    Invalidate(FALSE);
    Default();
}

BOOL CHyperLink::OnClicked()
{
    if (m_strURL.IsEmpty()) return FALSE;
    FwShellExecute(NULL, L"open", m_strURL, NULL, NULL, SW_SHOWNORMAL);
    return TRUE;
}

void CHyperLink::SizeToText()
{
    if (!m_hWnd || (GetStyle() & BS_MULTILINE)) return;
    CString text;
    GetWindowText(text);
    CClientDC dc(this);
    CGdiSelector font(dc, GetFont());
    const int width = dc.GetTextExtent(text).cx + 4;
    CRect rc;
    GetWindowRect(&rc);
    if (CWnd* parent = GetParent()) parent->ScreenToClient(&rc);
    SetWindowPos(NULL, rc.left, rc.top, width, rc.Height(), SWP_NOZORDER);
}

void CHyperLink::PaintParentBackground(CDC* pDC)
{
    CWnd* parent = GetParent();
    if (!parent) return;
    CRect rc;
    GetWindowRect(&rc);
    parent->ScreenToClient(&rc);
    const int saved = pDC->SaveDC();
    // The parent paints its own client coordinates: move the origin to where the control sits.
    pDC->OffsetWindowOrg(rc.left, rc.top);
    parent->SendMessage(WM_ERASEBKGND, (WPARAM)pDC->GetSafeHdc(), 0);
    pDC->RestoreDC(saved);
}

void CHyperLink::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect item(lpDrawItemStruct->rcItem);
    if (m_bTransparent)
        PaintParentBackground(pDC);
    else
        pDC->FillSolidRect(&item, m_crBackground);

    CString text;
    GetWindowText(text);
    if (!text.IsEmpty()) {
        const DWORD style = GetStyle();
        UINT format = DT_END_ELLIPSIS;
        switch (style & BS_CENTER) {
        case BS_LEFT: format |= DT_LEFT; break;
        case BS_RIGHT: format |= DT_RIGHT; break;
        default: format |= DT_CENTER; break;
        }
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
        CRect textRect = item;
        textRect.DeflateRect(2, 0);
        CFont* font = (m_bHovering && m_pHoverFont) ? m_pHoverFont : GetFont();
        CGdiSelector select(*pDC, font);
        const int oldMode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF oldColor = pDC->SetTextColor(m_bHovering ? m_crHover : m_crLink);
        pDC->DrawText(text, &textRect, format);
        pDC->SetTextColor(oldColor);
        pDC->SetBkMode(oldMode);
    }
    if (lpDrawItemStruct->itemState & ODS_FOCUS) pDC->DrawFocusRect(&item);
}
