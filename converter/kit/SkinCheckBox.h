// CSkinCheckBox: a check box that draws itself, themed where visual styles are on.
#pragma once

#include "converter/kit/SelfPaintedButton.h"

class CSkinCheckBox : public CSelfPaintedButton {
public:
    CSkinCheckBox();

    // (COLORREF)-1: the system's button text colour.
    void SetTextColor(COLORREF color) { m_crText = color; }
    void Draw(CDC* pDC, const CRect& rect) override;
    // The state of the themed check box (the "Button" class, part 3).
    int ThemeState() const;

protected:
    COLORREF m_crText;
};
