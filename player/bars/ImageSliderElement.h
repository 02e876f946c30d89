// CImageSliderElement: the control bar's seek and volume sliders, drawn from an image strip
// (cells: 0 track, 1 filled part, 2 thumb hot, 3 thumb pressed) with optional end caps.
#pragma once

#include "toolkit/BarElement.h"

class CImageSliderElement : public CBarSliderElement {
public:
    CImageSliderElement(CBarElementHost* pHost, const RECT& rect);

    // Not owned; the cell size comes from cell 0 and is also the thumb's size.
    void SetStripImages(CImageList* pImages);
    CImageList* GetStripImages() const { return m_pThumbImages; }
    // Not owned; cell 0 the left cap, cell 1 the right one. Null: no caps.
    void SetCapImages(CImageList* pImages);
    // 1 (the default): the filled part is solid; 0: it is cut into 4-pixel blocks with 1-pixel gaps.
    void SetBlock(BOOL bBlock);
    BOOL GetBlock() const { return m_bBlock; }

    // Negative values count as 0, values above the maximum (100) as the maximum; redrawn.
    void SetVolume(int nVolume);
    // Seek use: a range of 0 to the duration and a position, both given in microseconds and
    // held in milliseconds.
    void SetRangeUs(__int64 us);
    void SetPosUs(__int64 us, BOOL bRedraw);

    // The track tiled with cell 0, the part up to the thumb with cell 1, the caps, and the thumb
    // while the slider is hot (cell 2) or pressed or dragged (cell 3).
    void Draw(CDC* pDC) override;

    int GetCellWidth() const { return m_nThumbWidth; }
    int GetCellHeight() const { return m_nThumbHeight; }

protected:
    CImageList* m_pCapImages = NULL;
    int m_nCapWidth = 0;
    int m_nCapHeight = 0;
    BOOL m_bBlock = TRUE;
    int m_nMaximum = 100;
};
