// CSkinButton: a themed push or toolbar button, or one drawn from an image list, with an image
// beside its text.
#pragma once

#include "converter/kit/SelfPaintedButton.h"
#include "framework/ImageList.h"

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
