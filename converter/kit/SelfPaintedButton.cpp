// CSelfPaintedButton and the drawing helpers of the converter's self-painted buttons.
#include "converter/kit/SelfPaintedButton.h"

#include "converter/app/ConverterEnvironment.h"
#include "toolkit/HoverButton.h"
#include "toolkit/MemoryDC.h"
#include "toolkit/ThemeSupport.h"

bool ButtonVisualStylesOn()
{
    CConverterEnvironment* environment = GetConverterEnvironment();
    return environment ? environment->IsThemed() != FALSE : IsVisualStyleActive();
}

UINT ButtonTextAlignment(DWORD style)
{
    switch (style & BS_CENTER) {
    case BS_LEFT:
        return DT_LEFT;
    case BS_RIGHT:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

namespace {

COLORREF TextColour(COLORREF chosen, BOOL disabled)
{
    if (disabled)
        return ::GetSysColor(COLOR_BTNSHADOW);
    return chosen == (COLORREF)-1 ? ::GetSysColor(COLOR_BTNTEXT) : chosen;
}

}  // namespace

void PaintParentBackground(CWnd* pChild, CDC* pDC)
{
    HWND parent = ::GetParent(pChild->GetSafeHwnd());
    if (!parent)
        return;
    POINT origin = {0, 0};
    ::MapWindowPoints(pChild->GetSafeHwnd(), parent, &origin, 1);
    const int saved = pDC->SaveDC();
    POINT previous = {};
    ::OffsetWindowOrgEx(pDC->GetSafeHdc(), origin.x, origin.y, &previous);
    ::SendMessageW(parent, WM_ERASEBKGND, (WPARAM)pDC->GetSafeHdc(), 0);
    pDC->RestoreDC(saved);
}

int ButtonDrawState(BOOL disabled, BOOL selected, BOOL checked, BOOL hot, BOOL focused)
{
    if (disabled)
        return CSelfPaintedButton::STATE_DISABLED;
    if (selected || checked)
        return CSelfPaintedButton::STATE_PRESSED;
    if (hot)
        return CSelfPaintedButton::STATE_HOT;
    if (focused)
        return CSelfPaintedButton::STATE_FOCUSED;
    return CSelfPaintedButton::STATE_NORMAL;
}

void DrawButtonText(CWnd* pButton, CDC* pDC, const CRect& rect, COLORREF textColor, BOOL disabled, UINT align)
{
    CString text;
    pButton->GetWindowText(text);
    if (text.IsEmpty())
        return;
    CGdiSelector font(*pDC, pButton->GetFont());
    const int mode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF colour = pDC->SetTextColor(TextColour(textColor, disabled));
    CRect r = rect;
    pDC->DrawText(text, &r, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    pDC->SetTextColor(colour);
    pDC->SetBkMode(mode);
}

CSelfPaintedButton::CSelfPaintedButton() : m_bHot(FALSE) {}

void CSelfPaintedButton::Repaint()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

LRESULT CSelfPaintedButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        CMemoryDC memory(&dc, &client);
        Draw(&memory, client);
        return 0;
    }
    case WM_PRINTCLIENT: {
        CRect client;
        GetClientRect(&client);
        Draw(CDC::FromHandle((HDC)wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return TRUE;
    case WM_MOUSEMOVE:
        if (!m_bHot) {
            m_bHot = TRUE;
            TrackMouseLeave(m_hWnd);
            Repaint();
        }
        break;
    case WM_MOUSELEAVE:
        m_bHot = FALSE;
        Repaint();
        break;
    default:
        break;
    }
    const LRESULT result = CButton::WindowProc(message, wParam, lParam);
    // The control draws these changes itself at once, past WM_PAINT: its picture is replaced.
    switch (message) {
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
        Repaint();
        break;
    case WM_MOUSEMOVE:
        if (::GetCapture() == m_hWnd)
            Repaint();
        break;
    default:
        break;
    }
    return result;
}
