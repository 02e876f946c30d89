// Buttons of the converter that draw themselves completely over their parent's background: the
// skin button (a themed push or toolbar button, or one drawn from an image list, with an image
// beside its text), the check box, and the state button with a colour set per state.
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"

// Paints the parent's background under a child window into pDC (the parent's WM_ERASEBKGND
// with the DC's origin moved to the child's place); origin, background mode and colours stay.
void PaintParentBackground(CWnd* pChild, CDC* pDC);

// The button's drawing state: 4 disabled, 3 pressed or checked, 1 hot, 2 focused, else 0.
int ButtonDrawState(BOOL disabled, BOOL selected, BOOL checked, BOOL hot, BOOL focused);

// The common part: the button paints itself on every state change (pressed, checked, focus,
// enable, text) instead of the control's own drawing, and follows the mouse for its hot state.
class CSelfPaintedButton : public CButton {
public:
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

class CSkinButton : public CSelfPaintedButton {
public:
    enum { STYLE_PUSH = 0, STYLE_TOOLBAR = 1, STYLE_IMAGE_BACKGROUND = 2 };
    enum { BACKGROUND_ONE_IMAGE = 0, BACKGROUND_SLICES_HORIZONTAL = 1, BACKGROUND_SLICES_VERTICAL = 2 };

    CSkinButton();

    void SetSkinStyle(int style) { m_nStyle = style; }
    int GetSkinStyle() const { return m_nStyle; }
    // The list is not owned; for the slices, the width (horizontal) or height (vertical) of one.
    void SetBackgroundImages(CImageList* pImages, int mode, int sliceWidth, int sliceHeight);
    // An image beside the text; its size is taken from image 0 of the list (not owned).
    void SetForegroundImages(CImageList* pImages, int index);
    void SetImageIndex(int index);
    void SetNoPressedOffset(BOOL on) { m_bNoPressedOffset = on; }
    // (COLORREF)-1: the system's button text colour.
    void SetTextColor(COLORREF color) { m_crText = color; }

    void Draw(CDC* pDC, const CRect& rect) override;
    // The state a themed push button is drawn in (the "Button" class, part 1).
    int PushThemeState() const;
    int ToolbarThemeState() const;

protected:
    int m_nStyle;
    CImageList* m_pBackground;
    int m_nBackgroundMode;
    int m_nSliceWidth;
    int m_nSliceHeight;
    CImageList* m_pForeground;
    int m_nImageIndex;
    int m_nImageWidth;
    int m_nImageHeight;
    BOOL m_bNoPressedOffset;
    COLORREF m_crText;

    void DrawBackground(CDC* pDC, const CRect& rect);
    void DrawContent(CDC* pDC, const CRect& rect);
};

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

class CStateButton : public CSelfPaintedButton {
public:
    enum { STATE_NORMAL = 0, STATE_HOT = 1, STATE_FOCUSED = 2, STATE_PRESSED = 3, STATE_DISABLED = 4, STATE_COUNT = 5 };

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

// The text of a self-painted button: one line, vertically centred, ellipsis at the end, aligned
// by the button style, in the text colour (the shadow colour when disabled) and the window font.
void DrawButtonText(CWnd* pButton, CDC* pDC, const CRect& rect, COLORREF textColor, BOOL disabled, UINT align);
