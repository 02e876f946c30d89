// The toolkit tests' host, parent window and helpers.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "image/RasterImage.h"

#include <algorithm>

CTestToolkitHost::CTestToolkitHost()
{
    m_hHand = ::LoadCursorW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(401));
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    lf.lfHeight = -11;
    m_normal.CreateFontIndirect(&lf);
    lf.lfUnderline = TRUE;
    m_underline.CreateFontIndirect(&lf);
    lf.lfUnderline = FALSE;
    lf.lfWeight = FW_BOLD;
    m_bold.CreateFontIndirect(&lf);
    lf.lfWeight = 100;
    lf.lfHeight = -16;
    m_large.CreateFontIndirect(&lf);
}

CTestToolkitHost::~CTestToolkitHost()
{
    if (GetToolkitHost() == this) SetToolkitHost(nullptr);
    if (m_hHand) ::DestroyCursor(m_hHand);
}

void CTestToolkitHost::GetMainWindowRect(int& left, int& top, int& width, int& height)
{
    left = m_rect[0];
    top = m_rect[1];
    width = m_rect[2];
    height = m_rect[3];
}

void CTestToolkitHost::SetMainWindowRect(int left, int top, int width, int height)
{
    m_rect[0] = left;
    m_rect[1] = top;
    m_rect[2] = width;
    m_rect[3] = height;
}

CString CTestToolkitHost::GetShellExtensionHandlerName()
{
    return L"TarveloSoftware." + m_product;
}

BEGIN_MESSAGE_MAP(CTestParentWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

CTestParentWnd& CTestParentWnd::Shared()
{
    static CTestParentWnd* parent = new CTestParentWnd;  // lives until the process ends
    return *parent;
}

BOOL CTestParentWnd::Prepare()
{
    m_background = RGB(32, 32, 32);
    m_stripeX = -1;
    m_scrolls.clear();
    m_clicks.clear();
    if (!m_hWnd) {
        LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(NULL, IDC_ARROW));
        if (!CreateEx(WS_EX_TOPMOST, cls, L"toolkit test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 480, 240,
                      NULL, NULL))
            return FALSE;
    } else {
        MoveWindow(40, 40, 480, 240);
        Invalidate();
    }
    UpdateWindow();
    return TRUE;
}

BOOL CTestParentWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_background);
    if (m_stripeX >= 0) pDC->FillSolidRect(m_stripeX, 0, 10, rc.Height(), m_stripe);
    return TRUE;
}

void CTestParentWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    m_scrolls.push_back({nSBCode, nPos, pScrollBar ? pScrollBar->m_hWnd : NULL});
}

BOOL CTestParentWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The control has had its say first (reflection) in CWnd::OnCommand.
    if (CWnd::OnCommand(wParam, lParam)) return TRUE;
    if (HIWORD(wParam) == BN_CLICKED) m_clicks.push_back(LOWORD(wParam));
    return TRUE;
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (pred()) return true;
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= timeoutMs) return pred();
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, std::min<DWORD>(50, timeoutMs - spent), QS_ALLINPUT);
    }
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = ::GetDC(NULL);
    COLORREF c = ::GetPixel(screen, x, y);
    ::ReleaseDC(NULL, screen);
    return c;
}

COLORREF ClientPixel(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ::ClientToScreen(hwnd, &p);
    return ScreenPixel(p.x, p.y);
}

void MakeSolidImage(CRasterImage& image, int w, int h, COLORREF colour)
{
    image.Create(w, h, 24, ImageTypeBMP);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetPixelColor(x, y, colour);
}

void MakePlayGlyphImage(CRasterImage& image, int size, COLORREF background, COLORREF glyph)
{
    MakeSolidImage(image, size, size, background);
    // A right-pointing triangle from a quarter to three quarters of the width, centred.
    const int left = size / 4, right = size * 3 / 4, mid = size / 2;
    for (int x = left; x < right; ++x) {
        const int half = (right - x) * mid / (right - left);
        for (int y = mid - half; y <= mid + half; ++y) image.SetPixelColor(x, y, glyph);
    }
}

int CountPixels(const CRasterImage& image, COLORREF colour)
{
    int n = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (ImagePixel(image, x, y) == colour) ++n;
    return n;
}

COLORREF ImagePixel(const CRasterImage& image, int x, int yFromTop)
{
    RGBQUAD q = image.GetPixelColor(x, image.GetHeight() - 1 - yFromTop, false);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}
