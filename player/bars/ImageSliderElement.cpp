// The control bar's image sliders.
#include "player/bars/ImageSliderElement.h"

#include "player/bars/TimeDisplayElement.h"

#include <algorithm>

namespace {

const int kFillBlockWidth = 4;

}  // namespace

CImageSliderElement::CImageSliderElement(CBarElementHost* pHost, const RECT& rect) : CBarSliderElement(pHost, rect) {}

void CImageSliderElement::SetStripImages(CImageList* pImages) { SetThumbImages(pImages); }

void CImageSliderElement::SetCapImages(CImageList* pImages)
{
    m_pCapImages = pImages;
    m_nCapWidth = m_nCapHeight = 0;
    IMAGEINFO info = {};
    if (pImages && pImages->GetSafeHandle() && pImages->GetImageInfo(0, &info)) {
        m_nCapWidth = info.rcImage.right - info.rcImage.left;
        m_nCapHeight = info.rcImage.bottom - info.rcImage.top;
    }
}

void CImageSliderElement::SetBlock(BOOL bBlock)
{
    m_bBlock = bBlock;
    Invalidate(FALSE);
}

void CImageSliderElement::SetVolume(int nVolume)
{
    if (nVolume < 0) nVolume = 0;
    SetPos(std::min(m_nMaximum, nVolume), TRUE);
}

void CImageSliderElement::SetRangeUs(__int64 us)
{
    const int ms = BarMsFromUs(us);
    SetRange(0, ms > 0 ? ms : 0, TRUE);
}

void CImageSliderElement::SetPosUs(__int64 us, BOOL bRedraw) { SetPos(BarMsFromUs(us), bRedraw); }

void CImageSliderElement::Draw(CDC* pDC)
{
    if (IsHidden() || !m_pThumbImages || !m_pThumbImages->GetSafeHandle()) return;
    const CRect track = GetChannelRect();
    if (track.Width() <= 0) return;
    TileImage(pDC, m_pThumbImages, 0, track.left, track.right, track.top, m_nThumbWidth, m_nThumbHeight);
    if (m_nMax > m_nMin) {
        const int end = GetThumbCenter();
        const int step = kFillBlockWidth + (m_bBlock ? 0 : 1);
        for (int x = track.left; x < end; x += step) {
            const int w = std::min(kFillBlockWidth, end - x);
            m_pThumbImages->DrawEx(pDC, 1, CPoint(x, track.top), CSize(w, m_nThumbHeight), CLR_NONE, CLR_NONE,
                                   ILD_TRANSPARENT);
        }
    }
    if (m_pCapImages && m_pCapImages->GetSafeHandle()) {
        const int top = track.top + (track.Height() - m_nCapHeight) / 2;
        m_pCapImages->Draw(pDC, 0, CPoint(track.left, top), ILD_TRANSPARENT);
        m_pCapImages->Draw(pDC, 1, CPoint(track.right - m_nCapWidth, top), ILD_TRANSPARENT);
    }
    DrawThumb(pDC);
}
