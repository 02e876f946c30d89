// CTimeDisplayElement: the control bar's time text, elapsed or remaining, with or without the
// total; a click toggles between the four forms (the bar's command).
#pragma once

#include "toolkit/BarElement.h"

class CTimeDisplayElement : public CTextElement {
public:
    // The font is the shared normal font when the toolkit host has one; all three text colours
    // start as COLOR_BTNTEXT.
    CTimeDisplayElement(CBarElementHost* pHost, const RECT& rect, int nCommandId);

    // The width the text needs: 80 or, from an hour of duration on, 112 with the total shown;
    // 40 or 56 without it.
    int GetWidth() const;

    // Position 0 and the new duration (an unknown or negative one counts as 0).
    void SetDuration(int ms);
    void SetDurationUs(__int64 us);
    // Kept at the duration when one is known; a stream without one (live) goes on counting.
    void SetPosition(int ms);
    void SetPositionUs(__int64 us);
    // Elapsed / total, remaining / total, elapsed, remaining, and back.
    void Toggle();

    int GetDuration() const { return m_nDuration; }
    int GetPosition() const { return m_nPosition; }
    BOOL IsTotalShown() const { return m_bShowTotal; }
    BOOL IsRemainingShown() const { return m_bRemaining; }

    // The text for these values: "mm:ss" or "hh:mm:ss", remaining with a leading "-" and never
    // below zero, the total after " / " when it is shown and the duration is known.
    static CString FormatText(int durationMs, int positionMs, BOOL bShowTotal, BOOL bRemaining);

    // The second text colour (SetTextColors' hot one) is used while the element is pressed; the
    // disabled one also while nothing is loaded (duration and position both 0).
    void DrawForeground(CDC* pDC, const CRect& rect, int nState) override;

protected:
    void Refresh();

    int m_nDuration = 0;
    int m_nPosition = 0;
    BOOL m_bShowTotal = TRUE;
    BOOL m_bRemaining = FALSE;
};

// Microseconds to whole milliseconds, kept inside the int range of the bar's values.
int BarMsFromUs(__int64 us);
