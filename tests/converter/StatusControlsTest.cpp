// The conversion dialogs' status bar (its half-transparent fill), the status icon, the media
// preview's painting and the folder browser through the replaceable shell dialog.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ConverterTestSupport.h"
#include "converter/kit/FolderBrowser.h"
#include "converter/kit/ImageStatic.h"
#include "converter/kit/StatusProgressBar.h"
#include "framework/Effects.h"
#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"

using namespace convertertest;

namespace {

COLORREF Pixel(const CRasterImage& image, int x, int y)
{
    RGBQUAD q = image.GetPixelColor(x, image.GetHeight() - 1 - y, false);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 3)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Paints into a 24-bit bitmap and reads it back as an image.
template <class Fn>
void PaintInto(int width, int height, CRasterImage& image, Fn paint)
{
    CClientDC screen((HWND) nullptr);
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = dc.SelectObject((HGDIOBJ)bitmap);
    paint(dc);
    GdiFlush();
    image.Create(width, height, 24, ImageTypeBMP);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelColor(x, height - 1 - y, dc.GetPixel(x, y));
    dc.SelectObject(old);
    DeleteObject(bitmap);
}

class StatusControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        ASSERT_TRUE(CControlHost::Shared().Prepare(480, 240));
    }
    void TearDown() override { m_app.reset(); }
    std::unique_ptr<CConverterTestApp> m_app;
};

}  // namespace

TEST(StatusProgressBar, FilledWidthUsesSixtyFourBitsAndStaysInTheBar)
{
    EXPECT_EQ(100, CStatusProgressBar::FilledWidth(200, 50, 100));
    EXPECT_EQ(100, CStatusProgressBar::FilledWidth(200, 3000000000LL, 6000000000LL));
    EXPECT_EQ(0, CStatusProgressBar::FilledWidth(200, 50, 0));
    EXPECT_EQ(0, CStatusProgressBar::FilledWidth(200, -1, 100));
    EXPECT_EQ(200, CStatusProgressBar::FilledWidth(200, 150, 100));
    EXPECT_EQ(0, CStatusProgressBar::FilledWidth(200, 0, 100));
}

TEST_F(StatusControls, TheProgressFillIsBlendedHalfOverTheBarWithTheTextOnTop)
{
    CStatusProgressBar bar;
    EXPECT_EQ(100, bar.GetTotal());
    EXPECT_EQ(0, bar.GetPosition());
    ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(10, 10, 410, 34), &CControlHost::Shared(), 501));
    bar.SetFillColor(RGB(0, 0, 255));
    bar.SetState(50, 100, 1);
    bar.SetText(L"Converting... 50%");
    bar.UpdateWindow();
    CRasterImage shot;
    RECT rc;
    bar.GetWindowRect(&rc);
    ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_TRUE(CaptureScreenRect(rc, shot));
    // Half of the blue over the bar's 0xE8E8E8; the rest is the bar; the frame is 0xD0D0D0.
    const COLORREF blended = RGB(232 * 127 / 255, 232 * 127 / 255, 255 * 128 / 255 + 232 * 127 / 255);
    EXPECT_TRUE(Near(blended, Pixel(shot, 190, 20))) << std::hex << Pixel(shot, 190, 20);
    EXPECT_EQ(RGB(0xE8, 0xE8, 0xE8), Pixel(shot, 300, 20));
    EXPECT_EQ(RGB(0xD0, 0xD0, 0xD0), Pixel(shot, 399, 20));
    int text = 0;
    for (int y = 2; y < 22; ++y)
        for (int x = 4; x < 150; ++x)
            if (Pixel(shot, x, y) == ::GetSysColor(COLOR_WINDOWTEXT))
                ++text;
    EXPECT_GT(text, 20);
    EXPECT_FALSE(SaveTestImage(L"converter", L"status-progress", shot).IsEmpty());

    // Without a total, or with a negative position, only the text.
    bar.SetState(50, 0, 1);
    ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_TRUE(CaptureScreenRect(rc, shot));
    EXPECT_EQ(RGB(0xE8, 0xE8, 0xE8), Pixel(shot, 190, 20));
    bar.SetState(-5, 100, 1);
    ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_TRUE(CaptureScreenRect(rc, shot));
    EXPECT_EQ(RGB(0xE8, 0xE8, 0xE8), Pixel(shot, 190, 20));
    bar.DestroyWindow();
}

TEST_F(StatusControls, TheStatusIconShowsOneImageOrNothing)
{
    CImageStatic icon;
    EXPECT_EQ(CSize(16, 16), icon.GetImageSize());
    ASSERT_TRUE(icon.Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(10, 10, 58, 58), &CControlHost::Shared(), 502));
    icon.SetBkColor(RGB(10, 20, 30));
    icon.SetImageList(&m_app->Environment()->typeImages, 1);
    EXPECT_EQ(CSize(32, 32), icon.GetImageSize());
    auto Shoot = [&](CRasterImage& image) {
        ::RedrawWindow(icon.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        RECT rc;
        icon.GetWindowRect(&rc);
        return CaptureScreenRect(rc, image);
    };
    auto Ground = [](const CRasterImage& image) {
        int n = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                n += Pixel(image, x, y) == RGB(10, 20, 30);
        return n;
    };
    CRasterImage shot;
    ASSERT_TRUE(Shoot(shot));
    const int withImage = Ground(shot);
    EXPECT_LT(withImage, 48 * 48);
    // The corners stay ground: the image is centred.
    EXPECT_EQ(RGB(10, 20, 30), Pixel(shot, 2, 2));
    icon.SetIndex(-1);
    ASSERT_TRUE(Shoot(shot));
    EXPECT_EQ(48 * 48, Ground(shot));
    icon.SetIndex(4);  // the list holds four images
    ASSERT_TRUE(Shoot(shot));
    EXPECT_EQ(48 * 48, Ground(shot));
    icon.SetIndex(3);
    ASSERT_TRUE(Shoot(shot));
    EXPECT_LT(Ground(shot), 48 * 48);
    icon.DestroyWindow();
}

TEST_F(StatusControls, MediaPreviewsShowTheThumbnailOrTheirTypeIcon)
{
    CRasterImage thumbnail;
    thumbnail.Create(160, 90, 24, ImageTypeBMP);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 160; ++x)
            thumbnail.SetPixelColor(x, y, RGB(250, 120, 0));
    CRasterImage video, audio, other, none;
    PaintInto(120, 120, video, [&](CDC& dc) { PaintMediaPreview(&dc, CRect(0, 0, 120, 120), 1, &thumbnail); });
    EXPECT_EQ(RGB(0, 0, 0), Pixel(video, 1, 1));          // the frame
    EXPECT_EQ(RGB(0x20, 0x20, 0x20), Pixel(video, 60, 5));  // above the fitted picture
    EXPECT_EQ(RGB(250, 120, 0), Pixel(video, 60, 60));
    PaintInto(120, 120, audio, [&](CDC& dc) { PaintMediaPreview(&dc, CRect(0, 0, 120, 120), 2, nullptr); });
    EXPECT_EQ(RGB(0xE8, 0xE8, 0xE8), Pixel(audio, 1, 1));
    EXPECT_EQ(RGB(0xF0, 0xF0, 0xF0), Pixel(audio, 10, 10));
    int drawn = 0;
    for (int y = 44; y < 76; ++y)
        for (int x = 44; x < 76; ++x)
            drawn += Pixel(audio, x, y) != RGB(0xF0, 0xF0, 0xF0);
    EXPECT_GT(drawn, 50);
    // A video without its thumbnail shows the video icon, another than the audio one.
    PaintInto(120, 120, none, [&](CDC& dc) { PaintMediaPreview(&dc, CRect(0, 0, 120, 120), 1, nullptr); });
    int differ = 0;
    for (int y = 44; y < 76; ++y)
        for (int x = 44; x < 76; ++x)
            differ += Pixel(audio, x, y) != Pixel(none, x, y);
    EXPECT_GT(differ, 20);
    PaintInto(120, 120, other, [&](CDC& dc) { PaintMediaPreview(&dc, CRect(0, 0, 120, 120), 9, nullptr); });
    EXPECT_EQ(RGB(0xE8, 0xE8, 0xE8), Pixel(other, 1, 1));
    EXPECT_EQ(RGB(0xF0, 0xF0, 0xF0), Pixel(other, 60, 60));

    EXPECT_EQ(CRect(0, 20, 160, 110), FitPictureRect(CRect(0, 0, 160, 130), 160, 90));
    EXPECT_EQ(CRect(35, 0, 125, 90), FitPictureRect(CRect(0, 0, 160, 90), 90, 90));
    EXPECT_TRUE(FitPictureRect(CRect(0, 0, 100, 100), 0, 10).IsRectEmpty());
}

namespace {

BROWSEINFOW g_seen;
CString g_seenTitle;
CString g_answer;
bool g_selectedStart = false;
CString g_startSeen;

LRESULT CALLBACK BrowserStandIn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == BFFM_SETSELECTIONW) {
        g_selectedStart = wParam == TRUE;
        g_startSeen = (LPCWSTR)lParam;
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

FwItemListPtr WINAPI FakeBrowse(FwBrowseInfoPtr info)
{
    BROWSEINFOW* bi = reinterpret_cast<BROWSEINFOW*>(info);
    g_seen = *bi;
    g_seenTitle = bi->lpszTitle ? bi->lpszTitle : L"";
    // The dialog's first notice, sent to a window of ours that stands in for the dialog.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BrowserStandIn;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrowserStandIn";
    RegisterClassW(&wc);
    HWND standIn = CreateWindowW(L"BrowserStandIn", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (bi->lpfn)
        bi->lpfn(standIn, BFFM_INITIALIZED, 0, bi->lParam);
    DestroyWindow(standIn);
    if (g_answer.IsEmpty())
        return nullptr;
    return (FwItemListPtr)ILCreateFromPathW(g_answer);
}

}  // namespace

TEST_F(StatusControls, TheFolderBrowserStartsAtItsFolderAndReturnsTheChoice)
{
    FwBrowseForFolderFn previous = FwSetBrowseForFolderFunction(&FakeBrowse);
    const CString start = MakeAwkwardFolder(L"browse-start");
    const CString chosen = MakeAwkwardFolder(L"browse-chosen");
    CFolderBrowser browser(L"Choose the destination folder", BIF_EDITBOX, &CControlHost::Shared());
    EXPECT_EQ((UINT)(BIF_EDITBOX | 0xC1), browser.GetFlags());
    browser.SetFolder(start);
    g_answer = chosen;
    EXPECT_EQ(1, browser.DoModal());
    EXPECT_STREQ(chosen, browser.GetFolder());
    EXPECT_EQ(CControlHost::Shared().m_hWnd, g_seen.hwndOwner);
    EXPECT_STREQ(L"Choose the destination folder", g_seenTitle);
    EXPECT_EQ((UINT)(BIF_EDITBOX | 0xC1), g_seen.ulFlags);
    EXPECT_TRUE(g_selectedStart);
    EXPECT_STREQ(start, g_startSeen);

    g_answer.Empty();
    EXPECT_EQ(2, browser.DoModal());
    EXPECT_TRUE(browser.GetFolder().IsEmpty());
    FwSetBrowseForFolderFunction(previous);
}
