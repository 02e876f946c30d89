// CSelfPaintedButton, the base of the converter's buttons that draw themselves completely over
// their parent's background (skin button, check box, state button), and their drawing helpers.
#pragma once

#include "framework/Controls.h"

// Paints the parent's background under a child window into pDC (the parent's WM_ERASEBKGND
// with the DC's origin moved to the child's place); origin, background mode and colours stay.
void PaintParentBackground(CWnd* pChild, CDC* pDC);

// The common part: the button paints itself on every state change (pressed, checked, focus,
// enable, text) instead of the control's own drawing, and follows the mouse for its hot state.
class CSelfPaintedButton : public CButton {
public:
    // The drawing states, in the order of the themes' and the state button's colour sets.
    enum { STATE_NORMAL = 0, STATE_HOT = 1, STATE_FOCUSED = 2, STATE_PRESSED = 3, STATE_DISABLED = 4, STATE_COUNT = 5 };

    CSelfPaintedButton();

    BOOL IsHot() const { return m_bHot; }
    // The state bits of the control now, with the hot flag.
    BOOL IsPressed() const { return (GetState() & BST_PUSHED) != 0; }
    BOOL IsChecked() const { return (GetState() & BST_CHECKED) != 0; }
    BOOL HasFocusState() const { return ::GetFocus() == m_hWnd; }

    // The whole picture of the button for its client rectangle.
    virtual void Draw(CDC* pDC, const CRect& rect) = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL m_bHot;
    void Repaint();
};

// The button's drawing state: disabled, else pressed or checked, else hot, else focused, else
// normal.
int ButtonDrawState(BOOL disabled, BOOL selected, BOOL checked, BOOL hot, BOOL focused);
// Whether the buttons draw themselves themed: the environment's theme state, else the system's.
bool ButtonVisualStylesOn();
// The text alignment of a button style (BS_LEFT, BS_RIGHT, else centred).
UINT ButtonTextAlignment(DWORD style);
// The text of a self-painted button: one line, vertically centred, ellipsis at the end, aligned
// by the button style, in the text colour (the shadow colour when disabled) and the window font.
void DrawButtonText(CWnd* pButton, CDC* pDC, const CRect& rect, COLORREF textColor, BOOL disabled, UINT align);
