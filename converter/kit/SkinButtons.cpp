// The converter's self-painted buttons.
#include "converter/kit/SkinButtons.h"

#include "converter/app/ConverterEnvironment.h"
#include "toolkit/HoverButton.h"
#include "toolkit/MemoryDC.h"
#include "toolkit/ThemeSupport.h"

namespace {

bool VisualStylesOn()
{
    CConverterEnvironment* environment = GetConverterEnvironment();
    return environment ? environment->IsThemed() != FALSE : IsVisualStyleActive();
}

UINT TextAlignment(DWORD style)
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
        return 4;
    if (selected || checked)
        return 3;
    if (hot)
        return 1;
    if (focused)
        return 2;
    return 0;
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

// CSelfPaintedButton --------------------------------------------------------------------------------

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

// CSkinButton ---------------------------------------------------------------------------------------

CSkinButton::CSkinButton()
    : m_nStyle(STYLE_PUSH),
      m_pBackground(nullptr),
      m_nBackgroundMode(BACKGROUND_ONE_IMAGE),
      m_nSliceWidth(0),
      m_nSliceHeight(0),
      m_pForeground(nullptr),
      m_nImageIndex(-1),
      m_nImageWidth(0),
      m_nImageHeight(0),
      m_bNoPressedOffset(FALSE),
      m_crText((COLORREF)-1)
{
}

void CSkinButton::SetBackgroundImages(CImageList* pImages, int mode, int sliceWidth, int sliceHeight)
{
    m_pBackground = pImages;
    m_nBackgroundMode = mode;
    m_nSliceWidth = sliceWidth;
    m_nSliceHeight = sliceHeight;
    Repaint();
}

void CSkinButton::SetForegroundImages(CImageList* pImages, int index)
{
    m_pForeground = pImages;
    m_nImageIndex = index;
    m_nImageWidth = m_nImageHeight = 0;
    IMAGEINFO info = {};
    if (pImages && pImages->GetSafeHandle() && pImages->GetImageInfo(0, &info)) {
        m_nImageWidth = info.rcImage.right - info.rcImage.left;
        m_nImageHeight = info.rcImage.bottom - info.rcImage.top;
    }
    Repaint();
}

void CSkinButton::SetImageIndex(int index)
{
    m_nImageIndex = index;
    Repaint();
}

int CSkinButton::PushThemeState() const
{
    if (!IsWindowEnabled())
        return 4;
    if (IsPressed() || IsChecked())
        return 3;
    if (m_bHot)
        return 2;
    if ((GetStyle() & 0x0F) == BS_DEFPUSHBUTTON)
        return 5;
    return 1;
}

int CSkinButton::ToolbarThemeState() const
{
    if (!IsWindowEnabled())
        return 4;
    if (IsPressed())
        return 3;
    if (IsChecked())
        return 5;
    if (m_bHot)
        return 2;
    return 1;
}

void CSkinButton::DrawBackground(CDC* pDC, const CRect& rect)
{
    const BOOL disabled = !IsWindowEnabled();
    const BOOL pressed = IsPressed();
    const BOOL checked = IsChecked();
    CRect r = rect;
    if (m_nStyle == STYLE_PUSH) {
        CThemeData theme;
        if (VisualStylesOn() && theme.Open(m_hWnd, L"Button") &&
            SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), 1, PushThemeState(), &r)))
            return;
        pDC->DrawFrameControl(&r, DFC_BUTTON,
                              DFCS_BUTTONPUSH | (disabled ? DFCS_INACTIVE : 0) | (pressed ? DFCS_PUSHED : 0) |
                                  (checked ? DFCS_CHECKED : 0));
    } else if (m_nStyle == STYLE_TOOLBAR) {
        CThemeData theme;
        if (VisualStylesOn() && theme.Open(m_hWnd, L"Toolbar") &&
            SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), 1, ToolbarThemeState(), &r)))
            return;
        if (pressed)
            pDC->DrawEdge(&r, BDR_SUNKENOUTER, BF_RECT);
        else if (m_bHot)
            pDC->DrawEdge(&r, BDR_RAISEDINNER, BF_RECT);
    } else if (m_pBackground && m_pBackground->GetSafeHandle()) {
        const int state = ButtonDrawState(disabled, pressed, checked, m_bHot, HasFocusState());
        if (m_nBackgroundMode == BACKGROUND_ONE_IMAGE) {
            m_pBackground->Draw(pDC, state, r.TopLeft(), ILD_TRANSPARENT);
        } else if (m_nBackgroundMode == BACKGROUND_SLICES_HORIZONTAL && m_nSliceWidth > 0) {
            m_pBackground->Draw(pDC, 3 * state, r.TopLeft(), ILD_TRANSPARENT);
            for (int x = r.left + m_nSliceWidth; x < r.right - m_nSliceWidth; x += m_nSliceWidth)
                m_pBackground->Draw(pDC, 3 * state + 1, CPoint(x, r.top), ILD_TRANSPARENT);
            m_pBackground->Draw(pDC, 3 * state + 2, CPoint(r.right - m_nSliceWidth, r.top), ILD_TRANSPARENT);
        } else if (m_nBackgroundMode == BACKGROUND_SLICES_VERTICAL && m_nSliceHeight > 0) {
            m_pBackground->Draw(pDC, 3 * state, r.TopLeft(), ILD_TRANSPARENT);
            for (int y = r.top + m_nSliceHeight; y < r.bottom - m_nSliceHeight; y += m_nSliceHeight)
                m_pBackground->Draw(pDC, 3 * state + 1, CPoint(r.left, y), ILD_TRANSPARENT);
            m_pBackground->Draw(pDC, 3 * state + 2, CPoint(r.left, r.bottom - m_nSliceHeight), ILD_TRANSPARENT);
        }
    }
}

void CSkinButton::DrawContent(CDC* pDC, const CRect& rect)
{
    const BOOL disabled = !IsWindowEnabled();
    CRect text(rect.left + 4, rect.top, rect.right - 4, rect.bottom - 1);
    if (IsPressed() && !m_bNoPressedOffset)
        text.OffsetRect(1, 1);
    const bool withImage = m_pForeground && m_pForeground->GetSafeHandle() && m_nImageIndex >= 0 &&
                           m_nImageIndex < m_pForeground->GetImageCount();
    if (!withImage) {
        DrawButtonText(this, pDC, text, m_crText, disabled, TextAlignment(GetStyle()));
        return;
    }
    CString label;
    GetWindowText(label);
    int textWidth = 0;
    if (!label.IsEmpty()) {
        CGdiSelector font(*pDC, GetFont());
        CRect measure(0, 0, 0, 0);
        pDC->DrawText(label, &measure, DT_SINGLELINE | DT_CALCRECT);
        textWidth = measure.Width();
    }
    const int gap = label.IsEmpty() ? 0 : 4;
    int total = m_nImageWidth + gap + textWidth;
    if (total > text.Width())
        total = text.Width();
    const int x = text.left + (text.Width() - total) / 2;
    const int y = text.top + (text.Height() - m_nImageHeight) / 2;
    m_pForeground->Draw(pDC, m_nImageIndex, CPoint(x, y), ILD_TRANSPARENT);
    if (!label.IsEmpty()) {
        CRect after(x + m_nImageWidth + gap, text.top, text.right, text.bottom);
        DrawButtonText(this, pDC, after, m_crText, disabled, DT_LEFT);
    }
}

void CSkinButton::Draw(CDC* pDC, const CRect& rect)
{
    PaintParentBackground(this, pDC);
    DrawBackground(pDC, rect);
    DrawContent(pDC, rect);
}

// CSkinCheckBox -------------------------------------------------------------------------------------

CSkinCheckBox::CSkinCheckBox() : m_crText((COLORREF)-1) {}

int CSkinCheckBox::ThemeState() const
{
    const BOOL enabled = IsWindowEnabled();
    const BOOL pushed = IsPressed();
    if (IsChecked()) {
        if (!enabled)
            return 8;
        return pushed ? 7 : m_bHot ? 6 : 5;
    }
    if (!enabled)
        return 4;
    return pushed ? 3 : m_bHot ? 2 : 1;
}

void CSkinCheckBox::Draw(CDC* pDC, const CRect& rect)
{
    PaintParentBackground(this, pDC);
    const BOOL disabled = !IsWindowEnabled();
    CRect box(rect.left, rect.top + 1, rect.left + 13, rect.top + 14);
    CThemeData theme;
    if (!(VisualStylesOn() && theme.Open(m_hWnd, L"Button") &&
          SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), 3, ThemeState(), &box))))
        pDC->DrawFrameControl(&box, DFC_BUTTON,
                              DFCS_BUTTONCHECK | (IsChecked() ? DFCS_CHECKED : 0) | (disabled ? DFCS_INACTIVE : 0) |
                                  (IsPressed() ? DFCS_PUSHED : 0));
    CRect text(rect.left + 16, rect.top, rect.right, rect.bottom);
    CString label;
    GetWindowText(label);
    {
        CGdiSelector font(*pDC, GetFont());
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF colour = pDC->SetTextColor(
            disabled ? ::GetSysColor(COLOR_GRAYTEXT) : m_crText == (COLORREF)-1 ? ::GetSysColor(COLOR_BTNTEXT) : m_crText);
        pDC->DrawText(label, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        pDC->SetTextColor(colour);
        pDC->SetBkMode(mode);
    }
    if (HasFocusState()) {
        CRect focus(text.left - 1, text.top, text.right, text.bottom - 1);
        pDC->DrawFocusRect(&focus);
    }
}

// CStateButton --------------------------------------------------------------------------------------

CStateButton::CStateButton() : m_crText((COLORREF)-1)
{
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    SetStateColors(STATE_NORMAL, RGB(0xF4, 0xF4, 0xF4), RGB(0xAC, 0xAC, 0xAC), face);
    SetStateColors(STATE_HOT, RGB(0xE5, 0xF1, 0xFB), RGB(0x00, 0x78, 0xD7), face);
    SetStateColors(STATE_FOCUSED, RGB(0xF4, 0xF4, 0xF4), RGB(0x00, 0x78, 0xD7), face);
    SetStateColors(STATE_PRESSED, RGB(0xCC, 0xE4, 0xF7), RGB(0x00, 0x54, 0x99), face);
    SetStateColors(STATE_DISABLED, RGB(0xF4, 0xF4, 0xF4), RGB(0xBF, 0xBF, 0xBF), face);
}

void CStateButton::SetStateColors(int state, COLORREF fill, COLORREF frame, COLORREF corner)
{
    if (state < 0 || state >= STATE_COUNT)
        return;
    m_crFill[state] = fill;
    m_crFrame[state] = frame;
    m_crCorner[state] = corner;
    Repaint();
}

int CStateButton::GetDrawState() const
{
    return ButtonDrawState(!IsWindowEnabled(), IsPressed(), IsChecked(), m_bHot, HasFocusState());
}

void CStateButton::Draw(CDC* pDC, const CRect& rect)
{
    const int state = GetDrawState();
    pDC->FillSolidRect(&rect, m_crFill[state]);
    if (rect.Width() >= 3 && rect.Height() >= 3) {
        const COLORREF frame = m_crFrame[state];
        const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
        pDC->FillSolidRect(l + 1, t, r - l - 1, 1, frame);
        pDC->FillSolidRect(l + 1, b, r - l - 1, 1, frame);
        pDC->FillSolidRect(l, t + 1, 1, b - t - 1, frame);
        pDC->FillSolidRect(r, t + 1, 1, b - t - 1, frame);
        // The rounded outline: the corners' inner diagonal neighbours in the frame colour.
        pDC->SetPixel(l + 1, t + 1, frame);
        pDC->SetPixel(r - 1, t + 1, frame);
        pDC->SetPixel(l + 1, b - 1, frame);
        pDC->SetPixel(r - 1, b - 1, frame);
        const COLORREF corner = m_crCorner[state];
        pDC->SetPixel(l, t, corner);
        pDC->SetPixel(r, t, corner);
        pDC->SetPixel(l, b, corner);
        pDC->SetPixel(r, b, corner);
    }
    CRect text(rect.left + 4, rect.top, rect.right - 4, rect.bottom - 1);
    if (IsPressed())
        text.OffsetRect(1, 1);
    DrawButtonText(this, pDC, text, m_crText, state == STATE_DISABLED, TextAlignment(GetStyle()));
}
