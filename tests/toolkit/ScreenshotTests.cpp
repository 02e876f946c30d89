// The screenshot helper: a window of known colours comes back from its PNG file as it was shown.
#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"

#include <gtest/gtest.h>

namespace {

// A top-level window painted red on its left half and blue on its right half.
LRESULT CALLBACK TwoColourProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        RECT left = rc, right = rc;
        left.right = right.left = rc.right / 2;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &left, red);
        FillRect(dc, &right, blue);
        DeleteObject(red);
        DeleteObject(blue);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateTwoColourWindow(int x, int y, int w, int h)
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TwoColourProc;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"ScreenshotTestWindow";
        atom = RegisterClassW(&wc);
    }
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, L"ScreenshotTestWindow", L"", WS_POPUP | WS_VISIBLE, x, y, w, h,
                                NULL, NULL, GetModuleHandleW(NULL), NULL);
    UpdateWindow(hwnd);
    return hwnd;
}

COLORREF PixelOf(const CRasterImage& image, int x, int yFromTop)
{
    RGBQUAD q = image.GetPixelColor(x, image.GetHeight() - 1 - yFromTop);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

} // namespace

TEST(Screenshot, AWindowIsSavedAsPngWithTheColoursItShows)
{
    HWND hwnd = CreateTwoColourWindow(40, 60, 200, 100);
    ASSERT_TRUE(hwnd);
    CString path = SaveWindowScreenshot(L"toolkit", L"screenshot-two-colours", hwnd);
    DestroyWindow(hwnd);
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_NE(-1, path.Find(L"\\toolkit\\screenshot-two-colours.png"));

    CRasterImage image;
    ASSERT_TRUE(image.Load(path, ImageTypePNG)) << image.GetLastError();
    ASSERT_EQ(200, image.GetWidth());
    ASSERT_EQ(100, image.GetHeight());
    EXPECT_EQ(RGB(255, 0, 0), PixelOf(image, 5, 5));
    EXPECT_EQ(RGB(255, 0, 0), PixelOf(image, 99, 95));
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(image, 100, 5));
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(image, 194, 95));
}

TEST(Screenshot, ARectangleOffTheScreenIsCutToTheScreen)
{
    HWND hwnd = CreateTwoColourWindow(0, 0, 100, 50);
    ASSERT_TRUE(hwnd);
    CRasterImage image;
    RECT rc = {-30, -20, 50, 40};
    bool ok = CaptureScreenRect(rc, image);
    DestroyWindow(hwnd);
    ASSERT_TRUE(ok);
    EXPECT_EQ(50, image.GetWidth());
    EXPECT_EQ(40, image.GetHeight());
    EXPECT_EQ(RGB(255, 0, 0), PixelOf(image, 0, 0));

    RECT outside = {-300, -300, -100, -100};
    EXPECT_FALSE(CaptureScreenRect(outside, image));
    EXPECT_TRUE(SaveScreenRectScreenshot(L"toolkit", L"never-written", outside).IsEmpty());
}
