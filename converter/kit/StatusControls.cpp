// The conversion dialogs' status bar, status icon, off-screen DC, folder browser and preview.
#include "converter/kit/StatusControls.h"

#include <shlobj.h>

#include "conversion/MediaConvertJob.h"
#include "converter/app/ConverterEnvironment.h"
#include "framework/Effects.h"
#include "image/RasterImage.h"
#include "toolkit/MemoryDC.h"
#include "toolkit/PaneColor.h"

// COffscreenDC ------------------------------------------------------------------------------------

COffscreenDC::COffscreenDC(int width, int height, CDC* pReferenceDC, COLORREF fill)
    : m_nWidth(width > 0 ? width : 0), m_nHeight(height > 0 ? height : 0)
{
    HDC reference = pReferenceDC ? pReferenceDC->GetSafeHdc() : nullptr;
    HDC screen = reference ? nullptr : ::GetDC(nullptr);
    HDC base = reference ? reference : screen;
    if (Attach(::CreateCompatibleDC(base))) {
        // A bitmap of at least one pixel, so that the DC always has a surface of the base's depth.
        m_bitmap.CreateCompatibleBitmap(base, m_nWidth > 0 ? m_nWidth : 1, m_nHeight > 0 ? m_nHeight : 1);
        if (m_bitmap.GetSafeHandle())
            m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.GetSafeHandle());
        if (reference)
            ::SetMapMode(m_hDC, ::GetMapMode(reference));
        FillSolidRect(0, 0, m_nWidth, m_nHeight, fill);
    }
    if (screen)
        ::ReleaseDC(nullptr, screen);
}

COffscreenDC::~COffscreenDC()
{
    if (m_hDC && m_hOldBitmap)
        ::SelectObject(m_hDC, m_hOldBitmap);
}

// CStatusProgressBar ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusProgressBar, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CStatusProgressBar::CStatusProgressBar()
    : m_nTotal(100),
      m_nPosition(0),
      m_nKind(0),
      m_crBackground(::GetSysColor(COLOR_WINDOW)),
      m_crText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_crFill(RGB(0, 160, 255))
{
}

BOOL CStatusProgressBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(nullptr, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

void CStatusProgressBar::SetState(__int64 position, __int64 total, int kind)
{
    m_nPosition = position;
    m_nTotal = total;
    m_nKind = kind;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CStatusProgressBar::SetText(LPCWSTR lpszText)
{
    m_strText = lpszText ? lpszText : L"";
    if (m_hWnd)
        Invalidate(TRUE);
}

int CStatusProgressBar::FilledWidth(int clientWidth, __int64 position, __int64 total)
{
    if (total <= 0 || position < 0 || clientWidth <= 0)
        return 0;
    if (position >= total)
        return clientWidth;
    return (int)((__int64)clientWidth * position / total);
}

void CStatusProgressBar::Paint(CDC* pDC, const CRect& client)
{
    pDC->FillSolidRect(&client, RGB(0xE8, 0xE8, 0xE8));
    CBrush frame(RGB(0xD0, 0xD0, 0xD0));
    pDC->FrameRect(&client, &frame);

    const int filled = FilledWidth(client.Width(), m_nPosition, m_nTotal);
    if (filled > 0) {
        COffscreenDC fill(filled, client.Height(), pDC, RGB(255, 255, 255));
        fill.FillSolidRect(0, 0, filled, client.Height(), m_crFill);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 0x80, 0};
        pDC->AlphaBlend(client.left, client.top, filled, client.Height(), &fill, 0, 0, filled, client.Height(), blend);
    }

    if (!m_strText.IsEmpty()) {
        CRect text = client;
        text.DeflateRect(4, 0);
        CConverterEnvironment* environment = GetConverterEnvironment();
        CGdiSelector font(*pDC, environment ? environment->GetNormalFont() : nullptr);
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF colour = pDC->SetTextColor(m_crText);
        pDC->DrawText(m_strText, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        pDC->SetTextColor(colour);
        pDC->SetBkMode(mode);
    }
}

void CStatusProgressBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CMemoryDC memory(&dc, &client);
    Paint(&memory, client);
}

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

// CFolderBrowser ------------------------------------------------------------------------------------

CFolderBrowser::CFolderBrowser(LPCWSTR lpszTitle, UINT nFlags, CWnd* pOwner)
    : m_pOwner(pOwner),
      m_nFlags(nFlags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEURLS),
      m_strTitle(lpszTitle ? lpszTitle : L""),
      m_nImage(0)
{
}

int CALLBACK CFolderBrowser::BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    CFolderBrowser* self = reinterpret_cast<CFolderBrowser*>(lpData);
    if (uMsg == BFFM_INITIALIZED && self && !self->m_strStartFolder.IsEmpty()) {
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, (LPARAM)self->m_strStartFolder.GetString());
    } else if (uMsg == BFFM_SELCHANGED && lParam) {
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW((PCIDLIST_ABSOLUTE)lParam, path))
            ::SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, (LPARAM)path);
    }
    return 0;
}

int CFolderBrowser::DoModal()
{
    m_strFolder.Empty();
    IMalloc* allocator = nullptr;
    if (FAILED(::SHGetMalloc(&allocator)) || !allocator)
        return 2;
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW info = {};
    info.hwndOwner = m_pOwner->GetSafeHwnd();
    info.pszDisplayName = display;
    info.lpszTitle = m_strTitle;
    info.ulFlags = m_nFlags;
    info.lpfn = &CFolderBrowser::BrowseCallback;
    info.lParam = (LPARAM)this;
    info.iImage = m_nImage;
    int result = 2;
    if (FwItemListPtr chosen = FwBrowseForFolder(&info)) {
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW((PCIDLIST_ABSOLUTE)chosen, path) && path[0]) {
            m_strFolder = path;
            result = 1;
        }
        allocator->Free(chosen);
    }
    allocator->Release();
    return result;
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

void PaintMediaPreview(CDC* pDC, const CRect& client, int kind, CRasterImage* pThumbnail)
{
    CRect rect = client;
    rect.DeflateRect(1, 1);
    if (kind == JOB_KIND_VIDEO && pThumbnail && pThumbnail->IsValid()) {
        pDC->FillSolidRect(&rect, PANE_COLOR);
        CRect picture = FitPictureRect(rect, pThumbnail->GetWidth(), pThumbnail->GetHeight());
        pThumbnail->Draw(pDC->GetSafeHdc(), picture);
        CBrush frame(RGB(0, 0, 0));
        pDC->FrameRect(&rect, &frame);
        return;
    }
    pDC->FillSolidRect(&rect, RGB(0xF0, 0xF0, 0xF0));
    CConverterEnvironment* environment = GetConverterEnvironment();
    if (kind >= 1 && kind <= 4 && environment && environment->typeImages.GetSafeHandle()) {
        CPoint at(rect.left + (rect.Width() - 32) / 2, rect.top + (rect.Height() - 32) / 2);
        environment->typeImages.Draw(pDC, kind - 1, at, ILD_TRANSPARENT);
    }
    CBrush frame(RGB(0xE8, 0xE8, 0xE8));
    pDC->FrameRect(&rect, &frame);
}
