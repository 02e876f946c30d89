// CImageStatic: the picture control that shows one image of an image list (the status icon), and
// the paint routine of a media preview with the picture fitted in its box.
#pragma once

#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"

class CRasterImage;

// A static control that shows one image of an image list centred in its area.
class CImageStatic : public CStatic {
public:
    CImageStatic();

    // The list is not owned; the image size is taken from its image 0.
    void SetImageList(CImageList* pImageList, int nIndex);
    // Redraws only when the index changes; -1 shows nothing.
    void SetIndex(int nIndex);
    // -1: no background of its own.
    void SetBkColor(COLORREF color);
    int GetIndex() const { return m_nIndex; }
    CSize GetImageSize() const { return CSize(m_nImageWidth, m_nImageHeight); }

protected:
    CImageList* m_pImageList;
    int m_nIndex;
    int m_nImageWidth;
    int m_nImageHeight;
    COLORREF m_crBackground;

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// A media preview: kind 1 video (with its thumbnail when one is loaded), 2 audio, 3 image,
// 4 other media; any other kind draws only the frame.
void PaintMediaPreview(CDC* pDC, const CRect& client, int kind, CRasterImage* pThumbnail);
// The picture fitted into the box on the dark pane colour.
void DrawFittedPicture(CDC* pDC, const CRect& box, CRasterImage& picture);
// The environment's type icon of a media kind (1 video, 2 audio, 3 image, 4 other), 32 x 32,
// centred in the box; nothing while the environment has no type icons.
const int kTypeIconSize = 32;
void DrawMediaTypeIcon(CDC* pDC, const CRect& box, int kind);
// The largest rectangle of the picture's proportions centred in the box.
CRect FitPictureRect(const CRect& box, int width, int height);
