// CImageStatic and the media preview.
#include "converter/kit/ImageStatic.h"

#include "conversion/MediaConvertJob.h"
#include "converter/app/ConverterEnvironment.h"
#include "image/RasterImage.h"
#include "toolkit/PaneColor.h"

// CImageStatic --------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CImageStatic, CStatic)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CImageStatic::CImageStatic()
    : m_pImageList(nullptr), m_nIndex(-1), m_nImageWidth(16), m_nImageHeight(16), m_crBackground((COLORREF)-1)
{
}

void CImageStatic::SetImageList(CImageList* pImageList, int nIndex)
{
    m_pImageList = pImageList;
    m_nIndex = nIndex;
    IMAGEINFO info = {};
    if (pImageList && pImageList->GetSafeHandle() && pImageList->GetImageInfo(0, &info)) {
        m_nImageWidth = info.rcImage.right - info.rcImage.left;
        m_nImageHeight = info.rcImage.bottom - info.rcImage.top;
    }
    if (m_hWnd)
        Invalidate();
}

void CImageStatic::SetIndex(int nIndex)
{
    if (nIndex == m_nIndex)
        return;
    m_nIndex = nIndex;
    if (m_hWnd)
        Invalidate();
}

void CImageStatic::SetBkColor(COLORREF color)
{
    m_crBackground = color;
    if (m_hWnd)
        Invalidate();
}

BOOL CImageStatic::OnEraseBkgnd(CDC* pDC)
{
    if (m_crBackground == (COLORREF)-1)
        return (BOOL)Default();
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, m_crBackground);
    return TRUE;
}

void CImageStatic::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pImageList || !m_pImageList->GetSafeHandle() || m_nIndex < 0 ||
        m_nIndex >= m_pImageList->GetImageCount())
        return;
    CRect client;
    GetClientRect(&client);
    CPoint at(client.left + (client.Width() - m_nImageWidth) / 2, client.top + (client.Height() - m_nImageHeight) / 2);
    m_pImageList->Draw(&dc, m_nIndex, at, ILD_TRANSPARENT);
}

// Media preview -------------------------------------------------------------------------------------

CRect FitPictureRect(const CRect& box, int width, int height)
{
    if (width <= 0 || height <= 0 || box.Width() <= 0 || box.Height() <= 0)
        return CRect(box.left, box.top, box.left, box.top);
    int w = box.Width();
    int h = (int)((__int64)height * w / width);
    if (h > box.Height()) {
        h = box.Height();
        w = (int)((__int64)width * h / height);
    }
    if (w < 1)
        w = 1;
    if (h < 1)
        h = 1;
    const int x = box.left + (box.Width() - w) / 2;
    const int y = box.top + (box.Height() - h) / 2;
    return CRect(x, y, x + w, y + h);
}

void DrawFittedPicture(CDC* pDC, const CRect& box, CRasterImage& picture)
{
    pDC->FillSolidRect(&box, PANE_COLOR);
    picture.Draw(pDC->GetSafeHdc(), FitPictureRect(box, picture.GetWidth(), picture.GetHeight()));
}

void DrawMediaTypeIcon(CDC* pDC, const CRect& box, int kind)
{
    CConverterEnvironment* environment = GetConverterEnvironment();
    if (!environment || !environment->typeImages.GetSafeHandle())
        return;
    const CPoint at(box.left + (box.Width() - kTypeIconSize) / 2, box.top + (box.Height() - kTypeIconSize) / 2);
    environment->typeImages.Draw(pDC, kind - 1, at, ILD_TRANSPARENT);
}

void PaintMediaPreview(CDC* pDC, const CRect& client, int kind, CRasterImage* pThumbnail)
{
    CRect rect = client;
    rect.DeflateRect(1, 1);
    if (kind == JOB_KIND_VIDEO && pThumbnail && pThumbnail->IsValid()) {
        DrawFittedPicture(pDC, rect, *pThumbnail);
        CBrush frame(RGB(0, 0, 0));
        pDC->FrameRect(&rect, &frame);
        return;
    }
    pDC->FillSolidRect(&rect, RGB(0xF0, 0xF0, 0xF0));
    if (kind >= 1 && kind <= 4)
        DrawMediaTypeIcon(pDC, rect, kind);
    CBrush frame(RGB(0xE8, 0xE8, 0xE8));
    pDC->FrameRect(&rect, &frame);
}
