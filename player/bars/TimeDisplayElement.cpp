// The control bar's time display.
#include "player/bars/TimeDisplayElement.h"

#include "toolkit/ToolkitHost.h"

#include <climits>

namespace {

const int kOneHourMs = 3600000;

// "hh:mm:ss", or "mm:ss" under an hour.
CString FormatClock(int seconds, LPCWSTR prefix)
{
    const int h = seconds / 3600;
    const int m = seconds % 3600 / 60;
    const int s = seconds % 60;
    CString text;
    if (h != 0) text.Format(L"%s%02d:%02d:%02d", prefix, h, m, s);
    else text.Format(L"%s%02d:%02d", prefix, m, s);
    return text;
}

}  // namespace

int BarMsFromUs(__int64 us)
{
    const double ms = (double)us * 0.001;
    if (ms >= (double)INT_MAX) return INT_MAX;
    if (ms <= (double)INT_MIN) return INT_MIN;
    return (int)ms;
}

CTimeDisplayElement::CTimeDisplayElement(CBarElementHost* pHost, const RECT& rect, int nCommandId)
    : CTextElement(pHost, rect, nCommandId)
{
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    SetTextColors(text, text, text);
    if (CToolkitHost* host = GetToolkitHost()) SetFont(host->GetNormalFont());
    Refresh();
}

int CTimeDisplayElement::GetWidth() const
{
    const bool longMedia = m_nDuration >= kOneHourMs;
    if (m_bShowTotal && m_nDuration > 0) return longMedia ? 112 : 80;
    return longMedia ? 56 : 40;
}

void CTimeDisplayElement::SetDuration(int ms)
{
    m_nPosition = 0;
    m_nDuration = ms > 0 ? ms : 0;
    Refresh();
}

void CTimeDisplayElement::SetDurationUs(__int64 us) { SetDuration(BarMsFromUs(us)); }

void CTimeDisplayElement::SetPosition(int ms)
{
    if (ms < 0) ms = 0;
    m_nPosition = (m_nDuration != 0 && m_nDuration < ms) ? m_nDuration : ms;
    Refresh();
}

void CTimeDisplayElement::SetPositionUs(__int64 us) { SetPosition(BarMsFromUs(us)); }

void CTimeDisplayElement::Toggle()
{
    if (m_bRemaining) m_bShowTotal = !m_bShowTotal;
    m_bRemaining = !m_bRemaining;
    Refresh();
}

CString CTimeDisplayElement::FormatText(int durationMs, int positionMs, BOOL bShowTotal, BOOL bRemaining)
{
    CString text;
    if (bRemaining) {
        // A live stream has no duration and its position runs past it: nothing remains.
        const __int64 left = ((__int64)durationMs - positionMs) / 1000;
        text = FormatClock(left > 0 ? (int)left : 0, L"-");
    } else {
        text = FormatClock(positionMs > 0 ? positionMs / 1000 : 0, L"");
    }
    // Without a duration there is no total, and the width leaves no room for one.
    if (bShowTotal && durationMs > 0) {
        const int total = durationMs < 1000 ? 1 : durationMs / 1000;
        text += L" / ";
        text += FormatClock(total, L"");
    }
    return text;
}

void CTimeDisplayElement::Refresh()
{
    SetText(FormatText(m_nDuration, m_nPosition, m_bShowTotal, m_bRemaining), TRUE);
}

void CTimeDisplayElement::DrawForeground(CDC* pDC, const CRect& rect, int)
{
    if (m_strText.IsEmpty()) return;
    CRect text(rect.left + 2, rect.top, rect.right - 2, rect.bottom - 1);
    COLORREF colour = m_crText;
    if (m_nDuration == 0 && m_nPosition == 0) colour = m_crTextDisabled;
    else if (IsPressed()) colour = m_crTextHot;
    else if (IsDisabled()) colour = m_crTextDisabled;
    CFont* font = m_pFont;
    if (!font && m_pOwnerWnd && m_pOwnerWnd->GetSafeHwnd()) font = m_pOwnerWnd->GetFont();
    CGdiSelector select(*pDC, font);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColour = pDC->SetTextColor(colour);
    pDC->DrawText(m_strText, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    pDC->SetTextColor(oldColour);
    pDC->SetBkMode(oldMode);
}
