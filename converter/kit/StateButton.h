// CStateButton: a push button drawn in a fill, frame and corner colour set per state.
#pragma once

#include "converter/kit/SelfPaintedButton.h"

class CStateButton : public CSelfPaintedButton {
public:
    CStateButton();

    void SetStateColors(int state, COLORREF fill, COLORREF frame, COLORREF corner);
    // (COLORREF)-1: the system's button text colour.
    void SetTextColor(COLORREF color) { m_crText = color; }
    int GetDrawState() const;
    void Draw(CDC* pDC, const CRect& rect) override;

    COLORREF m_crFill[STATE_COUNT];
    COLORREF m_crFrame[STATE_COUNT];
    COLORREF m_crCorner[STATE_COUNT];

protected:
    COLORREF m_crText;
};
