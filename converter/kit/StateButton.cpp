// CStateButton: a push button drawn in a fill, frame and corner colour set per state.
#include "converter/kit/StateButton.h"

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
    DrawButtonText(this, pDC, text, m_crText, state == STATE_DISABLED, ButtonTextAlignment(GetStyle()));
}
