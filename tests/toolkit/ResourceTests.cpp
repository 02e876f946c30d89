// The generated resources load through the system's own loaders as the kinds they claim to be.
#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kChrome = RGB(32, 32, 32);

HINSTANCE Module() { return GetModuleHandleW(NULL); }

} // namespace

TEST(GeneratedResources, ScrollThumbCapsAreTwoCellsWithChromeCornersOnMagenta)
{
    HBITMAP caps = LoadBitmapW(Module(), MAKEINTRESOURCEW(221));
    ASSERT_TRUE(caps);
    BITMAP bm = {};
    GetObjectW(caps, sizeof(bm), &bm);
    EXPECT_EQ(28, bm.bmWidth);
    EXPECT_EQ(2, bm.bmHeight);
    std::vector<COLORREF> px = RenderPixels(28, 2, RGB(1, 2, 3), [&](HDC dc) {
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(src, caps);
        BitBlt(dc, 0, 0, 28, 2, src, 0, 0, SRCCOPY);
        SelectObject(src, old);
        DeleteDC(src);
    });
    DeleteObject(caps);
    // Top cap: two corner pixels on the first row, one on the second; the bottom cap mirrored.
    EXPECT_EQ(kChrome, px[0]);
    EXPECT_EQ(kChrome, px[1]);
    EXPECT_EQ(kMagenta, px[2]);
    EXPECT_EQ(kChrome, px[13]);
    EXPECT_EQ(kChrome, px[28 + 0]);
    EXPECT_EQ(kMagenta, px[28 + 1]);
    EXPECT_EQ(kChrome, px[14 + 0]);
    EXPECT_EQ(kMagenta, px[14 + 1]);
    EXPECT_EQ(kChrome, px[28 + 14 + 1]);
    EXPECT_EQ(kChrome, px[28 + 27]);
    EXPECT_EQ(kMagenta, px[28 + 20]);
}

TEST(GeneratedResources, HandCursorHasItsHotSpotAtTheFingertip)
{
    HCURSOR hand = LoadCursorW(Module(), MAKEINTRESOURCEW(401));
    ASSERT_TRUE(hand);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(10u, info.xHotspot);
    EXPECT_EQ(1u, info.yHotspot);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);

    // Drawn on grey, the fingertip is outlined black and filled white; the corners stay grey.
    std::vector<COLORREF> px = RenderPixels(32, 32, RGB(128, 128, 128),
                                      [&](HDC dc) { DrawIconEx(dc, 0, 0, hand, 32, 32, 0, NULL, DI_NORMAL); });
    EXPECT_EQ(RGB(128, 128, 128), px[0]);
    EXPECT_EQ(RGB(128, 128, 128), px[31 * 32 + 31]);
    EXPECT_EQ(RGB(0, 0, 0), px[5 * 32 + 7]);
    EXPECT_EQ(RGB(255, 255, 255), px[5 * 32 + 10]);
}

TEST(GeneratedResources, DropCursorsPointWithTheirTipAndShowARedMark)
{
    // 136 marks the place between two rows (a horizontal bar), 137 between two cards (a vertical one).
    for (UINT id : {136u, 137u}) {
        HCURSOR cursor = (HCURSOR)LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
        ASSERT_TRUE(cursor) << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(1u, info.xHotspot) << id;
        EXPECT_EQ(1u, info.yHotspot) << id;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        std::vector<COLORREF> px = RenderPixels(32, 32, RGB(255, 255, 255),
                                                [&](HDC dc) { DrawIconEx(dc, 0, 0, cursor, 32, 32, 0, NULL, DI_NORMAL); });
        DestroyCursor(cursor);
        EXPECT_EQ(RGB(255, 255, 255), px[31 * 32 + 0]) << id;  // transparent corner
        EXPECT_EQ(kChrome, px[8 * 32 + 4]) << id;             // the arrow's dark body
        if (id == 136) {
            EXPECT_EQ(RGB(255, 0, 0), px[26 * 32 + 20]);
            EXPECT_EQ(RGB(255, 0, 0), px[26 * 32 + 28]);
        } else {
            EXPECT_EQ(RGB(255, 0, 0), px[16 * 32 + 24]);
            EXPECT_EQ(RGB(255, 0, 0), px[28 * 32 + 24]);
        }
    }
}

TEST(GeneratedResources, FolderSpinnerHasTenDistinctFramesOfItsSmallSize)
{
    HCURSOR spinner = (HCURSOR)LoadImageW(Module(), MAKEINTRESOURCEW(135), IMAGE_CURSOR, 16, 16, 0);
    ASSERT_TRUE(spinner) << "RT_ANICURSOR 135 did not load";
    std::set<std::vector<COLORREF>> frames;
    for (UINT step = 0; step < 10; ++step)
        frames.insert(RenderPixels(16, 16, kChrome,
                                   [&](HDC dc) { DrawIconEx(dc, 0, 0, spinner, 16, 16, step, NULL, DI_NORMAL); }));
    DestroyCursor(spinner);
    EXPECT_EQ(10u, frames.size());
}

TEST(GeneratedResources, IconCarriesItsSizesAndAlpha)
{
    for (int size : {32, 16}) {
        HICON icon = (HICON)LoadImageW(Module(), MAKEINTRESOURCEW(900), IMAGE_ICON, size, size, 0);
        ASSERT_TRUE(icon) << size;
        std::vector<COLORREF> px = RenderPixels(size, size, RGB(0, 0, 0),
                                          [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_NORMAL); });
        DestroyIcon(icon);
        EXPECT_EQ(RGB(0, 0, 0), px[0]) << size;              // outside the disc: transparent
        EXPECT_EQ(RGB(255, 255, 255), px[(size / 2) * size + size / 2]) << size;  // the triangle
        EXPECT_EQ(RGB(0, 160, 255), px[(size / 2) * size + size / 6]) << size;   // the disc
    }
}

TEST(GeneratedResources, AnimatedCursorHasEightDistinctFrames)
{
    HCURSOR busy = LoadCursorW(Module(), MAKEINTRESOURCEW(901));
    ASSERT_TRUE(busy) << "RT_ANICURSOR 901 did not load";
    std::set<std::vector<COLORREF>> frames;
    for (UINT step = 0; step < 8; ++step)
        frames.insert(RenderPixels(32, 32, kChrome, [&](HDC dc) { DrawIconEx(dc, 0, 0, busy, 32, 32, step, NULL, DI_NORMAL); }));
    DestroyCursor(busy);
    EXPECT_EQ(8u, frames.size());
}

TEST(GeneratedResources, PngResourceDecodesWithItsAlpha)
{
    HRSRC res = FindResourceW(Module(), MAKEINTRESOURCEW(902), L"PNG");
    ASSERT_TRUE(res);
    CRasterImage image;
    ASSERT_TRUE(image.LoadResource(res, ImageTypePNG, Module())) << image.GetLastError();
    EXPECT_EQ(32, image.GetWidth());
    EXPECT_EQ(32, image.GetHeight());
    ASSERT_TRUE(image.AlphaIsValid());
    // Rows are stored bottom up: y 31 is the picture's top row, which is empty.
    EXPECT_EQ(0, image.AlphaGet(0, 31));
    EXPECT_EQ(255, image.AlphaGet(16, 16));
    RGBQUAD c = image.GetPixelColor(16, 16, false);
    EXPECT_EQ(192, c.rgbRed);
}

TEST(GeneratedResources, AllKindsShownTogether)
{
    // A strip of every generated resource on the dark chrome, saved for a person to look at.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = Module();
    wc.hbrBackground = CreateSolidBrush(kChrome);
    wc.lpszClassName = L"GeneratedResourcesStrip";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 20, 20, 760, 80, NULL,
                                NULL, Module(), NULL);
    ASSERT_TRUE(hwnd);
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    HCURSOR hand = LoadCursorW(Module(), MAKEINTRESOURCEW(401));
    HICON icon = (HICON)LoadImageW(Module(), MAKEINTRESOURCEW(900), IMAGE_ICON, 32, 32, 0);
    HCURSOR busy = LoadCursorW(Module(), MAKEINTRESOURCEW(901));
    HBITMAP caps = LoadBitmapW(Module(), MAKEINTRESOURCEW(221));
    DrawIconEx(dc, 10, 10, hand, 64, 64, 0, NULL, DI_NORMAL);
    DrawIconEx(dc, 90, 10, icon, 64, 64, 0, NULL, DI_NORMAL);
    for (UINT step = 0; step < 4; ++step) DrawIconEx(dc, 170 + 40 * step, 10, busy, 32, 32, step, NULL, DI_NORMAL);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, caps);
    StretchBlt(dc, 170, 50, 28 * 8, 2 * 8, src, 0, 0, 28, 2, SRCCOPY);
    SelectObject(src, old);
    // The item lists' drop cursors, twice their size, and the folder tree's spinner frames.
    for (UINT id : {136u, 137u}) {
        HCURSOR drop = LoadCursorW(Module(), MAKEINTRESOURCEW(id));
        DrawIconEx(dc, 420 + 70 * (id - 136), 10, drop, 64, 64, 0, NULL, DI_NORMAL);
        DestroyCursor(drop);
    }
    HCURSOR spinner = (HCURSOR)LoadImageW(Module(), MAKEINTRESOURCEW(135), IMAGE_CURSOR, 16, 16, 0);
    for (UINT step = 0; step < 10; ++step) DrawIconEx(dc, 570 + 18 * (step % 5), 20 + 20 * (step / 5), spinner, 16, 16, step, NULL, DI_NORMAL);
    DestroyCursor(spinner);
    DeleteDC(src);
    DeleteObject(caps);
    DestroyIcon(icon);
    DestroyCursor(busy);
    ReleaseDC(hwnd, dc);
    CString saved = SaveWindowScreenshot(L"toolkit", L"generated-resources", hwnd);
    DestroyWindow(hwnd);
    EXPECT_FALSE(saved.IsEmpty());
}
