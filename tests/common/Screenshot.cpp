// Screen capture with GDI and PNG output through the image library, for the tests' screenshots.
#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

namespace {

// Handles the window messages of this thread for up to ms milliseconds, so pending paints happen.
void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return;
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, ms - spent, QS_ALLINPUT);
    }
}

// One capture into a bottom-up 24-bit buffer laid out as the image library's DIB rows.
bool CaptureOnce(const RECT& rc, std::vector<BYTE>& bits)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = ::GetDC(NULL);
    if (!screen) return false;
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    bool ok = false;
    if (mem && bitmap) {
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        ok = ::BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY) != FALSE;
        ::SelectObject(mem, old);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        bits.assign((size_t)((w * 3 + 3) & ~3) * h, 0);
        ok = ok && ::GetDIBits(mem, bitmap, 0, h, bits.data(), &bi, DIB_RGB_COLORS) == h;
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (mem) ::DeleteDC(mem);
    ::ReleaseDC(NULL, screen);
    return ok;
}

CString OutputFolder(LPCWSTR area)
{
    wchar_t root[MAX_PATH] = L"";
    DWORD n = ::GetEnvironmentVariableW(L"TEST_OUTPUT_DIR", root, MAX_PATH);
    CString folder;
    if (n == 0 || n >= MAX_PATH) {
        ::GetTempPathW(MAX_PATH, root);
        folder.Format(L"%stest-output\\%s", root, area);
    } else {
        folder.Format(L"%s\\%s", root, area);
    }
    ::SHCreateDirectoryExW(NULL, folder, NULL);
    return folder;
}

} // namespace

bool CaptureScreenRect(const RECT& screenRect, CRasterImage& image)
{
    RECT screen = {::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT rc;
    if (!::IntersectRect(&rc, &screenRect, &screen)) return false;

    // The display may show a drawing a little after it was made: wait until it holds still.
    std::vector<BYTE> previous, current;
    if (!CaptureOnce(rc, previous)) return false;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 3000) {
        PumpFor(60);
        if (!CaptureOnce(rc, current)) return false;
        if (current == previous) break;
        previous.swap(current);
    }

    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (!image.Create(w, h, 24, ImageTypePNG)) return false;
    const size_t stride = (size_t)((w * 3 + 3) & ~3);
    for (int row = 0; row < h; ++row)
        std::memcpy(image.GetBits(row), previous.data() + stride * row, (size_t)w * 3);
    return true;
}

CString SaveTestImage(LPCWSTR area, LPCWSTR name, CRasterImage& image)
{
    CString path;
    path.Format(L"%s\\%s.png", OutputFolder(area).GetString(), name);
    return image.Save(path, ImageTypePNG) ? path : CString();
}

CString SaveScreenRectScreenshot(LPCWSTR area, LPCWSTR name, const RECT& screenRect)
{
    CRasterImage image;
    if (!CaptureScreenRect(screenRect, image)) return CString();
    return SaveTestImage(area, name, image);
}

CString SaveWindowScreenshot(LPCWSTR area, LPCWSTR name, HWND window)
{
    if (!::IsWindow(window)) return CString();
    ::RedrawWindow(window, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    RECT rc;
    ::GetWindowRect(window, &rc);
    return SaveScreenRectScreenshot(area, name, rc);
}

CString SaveScreenScreenshot(LPCWSTR area, LPCWSTR name)
{
    RECT rc = {::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    rc.right = rc.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    rc.bottom = rc.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return SaveScreenRectScreenshot(area, name, rc);
}

std::vector<COLORREF> RenderPixels(int w, int h, COLORREF ground, const std::function<void(HDC)>& draw)
{
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    HBRUSH brush = CreateSolidBrush(ground);
    RECT rc = {0, 0, w, h};
    FillRect(mem, &rc, brush);
    DeleteObject(brush);
    draw(mem);
    std::vector<COLORREF> pixels;
    pixels.reserve((size_t)w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(GetPixel(mem, x, y));
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    return pixels;
}
