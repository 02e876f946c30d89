// The link button.
#include "toolkit/HyperLink.h"

#include <algorithm>

#include "framework/Effects.h"
#include "toolkit/HoverButton.h"

namespace {

// How far the text reaches when drawn in the DC's font. A font may draw glyphs wider than its
// metrics say (the dialog font's stand-in under Wine draws "w" two pixels wider than it measures
// it), and a link as wide as the measured text would cut its end off.
int DrawnTextWidth(HDC dc, const CString& text, const CSize& measured)
{
    const int w = measured.cx * 2 + 16, h = std::max<int>(measured.cy, 1);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    CBitmap bitmap;
    CDC memory;
    if (!bitmap.Attach(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0)) || !bits ||
        !memory.Attach(::CreateCompatibleDC(dc)))
        return measured.cx;
    CGdiSelector selectBitmap(memory, &bitmap);
    CGdiSelector selectFont(memory.m_hDC, ::GetCurrentObject(dc, OBJ_FONT));
    memory.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(RGB(0, 0, 0));
    ::TextOutW(memory, 0, 0, text, text.GetLength());
    ::GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    int right = -1;
    for (int y = 0; y < h; ++y)
        for (int x = w - 1; x > right; --x)
            if ((pixels[y * w + x] & 0xFFFFFF) != 0xFFFFFF) {
                right = x;
                break;
            }
    return right + 1;
}

}  // namespace

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
    const CSize measured = dc.GetTextExtent(text);
    const int width = std::max<int>(measured.cx, DrawnTextWidth(dc, text, measured)) + 4;
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
