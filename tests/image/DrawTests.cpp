// Drawing into a memory device context and reading the pixels back: exact unscaled draws,
// scaling, flipping, clipping, transparency and alpha blending.
#include <gtest/gtest.h>

#include <cstring>

#include "image/RasterImage.h"
#include "ImageTestSupport.h"

namespace
{
// A 32-bit top-down DIB section in a memory DC, filled with one colour.
class CTestCanvas
{
public:
    CTestCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = (DWORD*)bits;
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; i++)
            m_bits[i] = ((DWORD)GetRValue(fill) << 16) | ((DWORD)GetGValue(fill) << 8) | GetBValue(fill);
    }
    ~CTestCanvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    // Colour at device pixel (x, y) from the top-left.
    RGBQUAD At(int x, int y) const
    {
        GdiFlush();
        DWORD v = m_bits[y * m_width + x];
        RGBQUAD c = {(BYTE)v, (BYTE)(v >> 8), (BYTE)(v >> 16), 0};
        return c;
    }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD* m_bits;
};

bool Same(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// Device row r of an unscaled draw at y shows image row height-1-(r-y).
void ExpectExactDraw(const CRasterImage& image, const CTestCanvas& canvas, int x0, int y0,
                     bool flipped)
{
    int w = image.GetWidth(), h = image.GetHeight();
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++)
        {
            int sy = flipped ? r : h - 1 - r;
            ASSERT_TRUE(Same(image.GetPixelColor(c, sy, false), canvas.At(x0 + c, y0 + r)))
                << "device " << x0 + c << "," << y0 + r;
        }
}
}

TEST(Draw, UnscaledIsExactOnEveryPath)
{
    CRasterImage image(13, 9, 24);
    imagetest::FillPattern(image);
    {
        CTestCanvas canvas(40, 30, RGB(1, 2, 3));
        ASSERT_TRUE(image.Draw(canvas.Dc(), 5, 4, -1, -1));
        ExpectExactDraw(image, canvas, 5, 4, false);
        EXPECT_TRUE(Same({3, 2, 1, 0}, canvas.At(4, 4)));
        EXPECT_TRUE(Same({3, 2, 1, 0}, canvas.At(5, 13)));
    }
    {
        // The blending path maps pixels the same way, alpha 255 copies them.
        CRasterImage alpha(image);
        alpha.CreateAlpha();
        CTestCanvas canvas(40, 30, RGB(1, 2, 3));
        ASSERT_TRUE(alpha.Draw(canvas.Dc(), 5, 4, 13, 9));
        ExpectExactDraw(alpha, canvas, 5, 4, false);
        EXPECT_TRUE(Same({3, 2, 1, 0}, canvas.At(5, 13)));
    }
    {
        CTestCanvas canvas(40, 30, RGB(1, 2, 3));
        ASSERT_TRUE(image.Draw(canvas.Dc(), 2, 3, -1, -1, nullptr, false, true));
        ExpectExactDraw(image, canvas, 2, 3, true);
        EXPECT_TRUE(Same({3, 2, 1, 0}, canvas.At(2, 12)));
    }
    {
        CRasterImage pal(6, 4, 4);
        for (int i = 0; i < 16; i++)
            pal.SetPaletteColor(i, (BYTE)(i * 16), (BYTE)(255 - i * 16), (BYTE)(i * 3));
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 6; x++)
                pal.SetPixelIndex(x, y, (BYTE)(x + y * 4));
        CTestCanvas canvas(20, 20, RGB(0, 0, 0));
        RECT rect = {1, 1, 7, 5};
        ASSERT_TRUE(pal.Draw(canvas.Dc(), rect));
        ExpectExactDraw(pal, canvas, 1, 1, false);
    }
}

TEST(Draw, ScaledDrawsPickTheirSourcePixels)
{
    CRasterImage image(4, 2, 24);
    imagetest::FillPattern(image);
    CTestCanvas canvas(20, 10, RGB(9, 9, 9));
    ASSERT_TRUE(image.Draw(canvas.Dc(), 0, 0, 8, 4));
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 8; c++)
            ASSERT_TRUE(Same(image.GetPixelColor(c / 2, 1 - r / 2, false), canvas.At(c, r)))
                << c << "," << r;
    EXPECT_TRUE(Same({9, 9, 9, 0}, canvas.At(8, 0)));
    EXPECT_TRUE(Same({9, 9, 9, 0}, canvas.At(0, 4)));

    // Shrinking 3:1: each device pixel shows the first source pixel of its cell.
    CRasterImage big(9, 6, 24);
    imagetest::FillPattern(big);
    CTestCanvas small(10, 10, RGB(0, 0, 0));
    ASSERT_TRUE(big.Draw(small.Dc(), 0, 0, 3, 2));
    EXPECT_TRUE(Same(big.GetPixelColor(0, 5, false), small.At(0, 0)));
    EXPECT_TRUE(Same(big.GetPixelColor(6, 2, false), small.At(2, 1)));

    // Smooth scaling of a flat picture gives that flat colour.
    CRasterImage flat(8, 8, 24);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            flat.SetPixelColor(x, y, RGB(100, 150, 200));
    CTestCanvas smooth(20, 20, RGB(0, 0, 0));
    ASSERT_TRUE(flat.Draw(smooth.Dc(), 0, 0, 3, 5, nullptr, true));
    RGBQUAD shrunk = smooth.At(2, 4);
    EXPECT_TRUE(Same({200, 150, 100, 0}, shrunk))
        << (int)shrunk.rgbRed << " " << (int)shrunk.rgbGreen << " " << (int)shrunk.rgbBlue;
    ASSERT_TRUE(flat.Draw(smooth.Dc(), 5, 0, 13, 11, nullptr, true));
    EXPECT_TRUE(Same({200, 150, 100, 0}, smooth.At(17, 10)));
}

TEST(Draw, ClippingDrawsOnlyTheVisiblePart)
{
    CRasterImage image(10, 10, 24);
    imagetest::FillPattern(image);
    CTestCanvas canvas(30, 30, RGB(5, 5, 5));
    RECT clip = {0, 0, 15, 30};
    ASSERT_TRUE(image.Draw(canvas.Dc(), 10, 10, 20, 20, &clip));
    EXPECT_TRUE(Same(image.GetPixelColor(2, 9, false), canvas.At(14, 10)));
    EXPECT_TRUE(Same({5, 5, 5, 0}, canvas.At(15, 10)));
    EXPECT_TRUE(Same({5, 5, 5, 0}, canvas.At(25, 25)));
    // The device's own clipping is restored afterwards.
    ASSERT_TRUE(image.Draw(canvas.Dc(), 20, 0, -1, -1));
    EXPECT_TRUE(Same(image.GetPixelColor(9, 9, false), canvas.At(29, 0)));

    // A flipped draw, partly clipped, shows the same pixels as the unclipped one.
    CTestCanvas whole(30, 30, RGB(0, 0, 0)), part(30, 30, RGB(0, 0, 0));
    CRasterImage alpha(image);
    alpha.CreateAlpha();
    RECT top = {0, 0, 30, 14};
    ASSERT_TRUE(alpha.Draw(whole.Dc(), 0, 10, 10, 10, nullptr, false, true));
    ASSERT_TRUE(alpha.Draw(part.Dc(), 0, 10, 10, 10, &top, false, true));
    for (int r = 10; r < 14; r++)
        for (int c = 0; c < 10; c++)
            ASSERT_TRUE(Same(whole.At(c, r), part.At(c, r))) << c << "," << r;
}

TEST(Draw, TransparencyAndAlpha)
{
    CRasterImage pal(4, 4, 8);
    pal.SetPaletteColor(0, 0, 0, 0);
    pal.SetPaletteColor(1, 200, 100, 50);
    for (int x = 0; x < 4; x++)
        pal.SetPixelIndex(x, 0, 1);
    pal.SetTransIndex(0);
    CTestCanvas canvas(10, 10, RGB(10, 20, 30));
    ASSERT_TRUE(pal.Draw(canvas.Dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Same({30, 20, 10, 0}, canvas.At(0, 0)));
    EXPECT_TRUE(Same({50, 100, 200, 0}, canvas.At(0, 3)));

    // Black pixels of an image with an alpha mask but no transparent index are drawn.
    CRasterImage rgba(4, 4, 24);
    rgba.CreateAlpha();
    rgba.SetPixelColor(1, 1, RGB(255, 255, 255));
    rgba.AlphaSet(2, 2, 0);
    rgba.AlphaSet(3, 3, 128);
    rgba.SetPixelColor(3, 3, RGB(255, 255, 255));
    CTestCanvas blend(10, 10, RGB(200, 100, 0));
    ASSERT_TRUE(rgba.Draw(blend.Dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Same({0, 0, 0, 0}, blend.At(0, 3)));          // black, opaque: drawn
    EXPECT_TRUE(Same({0, 100, 200, 0}, blend.At(2, 1)));      // alpha 0: background
    RGBQUAD mixed = blend.At(3, 0);                           // alpha 128 over the background
    int a = (128 * 256) >> 8;
    EXPECT_EQ((255 * a + 200 * (255 - a)) >> 8, mixed.rgbRed);
    EXPECT_EQ((255 * a + 0 * (255 - a)) >> 8, mixed.rgbBlue);

    rgba.SetAlphaMax(0);
    CTestCanvas none(10, 10, RGB(1, 1, 1));
    ASSERT_TRUE(rgba.Draw(none.Dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Same({1, 1, 1, 0}, none.At(0, 3)));

    // Palette alpha blends per entry.
    CRasterImage entryAlpha(2, 2, 8);
    entryAlpha.SetPaletteColor(0, 255, 255, 255, 0);
    entryAlpha.SetPaletteAlpha(true);
    CTestCanvas under(4, 4, RGB(0, 80, 0));
    ASSERT_TRUE(entryAlpha.Draw(under.Dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Same({0, 80, 0, 0}, under.At(0, 0)));

    // A 24-bit image whose transparent colour is set skips that colour only.
    CRasterImage keyed(3, 1, 24);
    keyed.SetPixelColor(1, 0, RGB(7, 7, 7));
    keyed.SetTransIndex(0);
    keyed.SetTransColor({7, 7, 7, 0});
    CTestCanvas keyCanvas(4, 4, RGB(90, 90, 90));
    ASSERT_TRUE(keyed.Draw(keyCanvas.Dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Same({90, 90, 90, 0}, keyCanvas.At(1, 0)));
    EXPECT_TRUE(Same({0, 0, 0, 0}, keyCanvas.At(0, 0)));
}

TEST(Draw, RefusedDraws)
{
    CRasterImage image(4, 4, 24);
    CTestCanvas canvas(8, 8, RGB(3, 3, 3));
    EXPECT_FALSE(image.Draw(nullptr, 0, 0));
    EXPECT_FALSE(image.Draw(canvas.Dc(), 0, 0, 0, 4));
    CRasterImage empty;
    EXPECT_FALSE(empty.Draw(canvas.Dc(), 0, 0));
    image.Enable(false);
    EXPECT_FALSE(image.Draw(canvas.Dc(), 0, 0));
    EXPECT_TRUE(Same({3, 3, 3, 0}, canvas.At(0, 0)));
}

TEST(Draw, PictureLoadedAfterATransparentOneIsDrawnWhole)
{
    // A PNG whose black is its transparent colour...
    imagetest::PngSpec png;
    png.transRed = png.transGreen = png.transBlue = 0;
    for (int y = 0; y < png.height; y++)
        png.rows.push_back(std::vector<BYTE>(png.width * 3, 0));
    std::vector<BYTE> pngBytes = imagetest::WritePngReference(png);
    // ...then, in the same object, a JPEG whose left half is black.
    imagetest::JpegSpec jpeg;
    for (int y = 0; y < jpeg.height; y++)
    {
        std::vector<BYTE> row(jpeg.width * 3, 255);
        std::fill(row.begin(), row.begin() + 8 * 3, 0);
        jpeg.rows.push_back(row);
    }
    std::vector<BYTE> jpegBytes = imagetest::WriteJpegReference(jpeg);

    CRasterImage image;
    ASSERT_TRUE(image.DecodeFromMemory(pngBytes.data(), (DWORD)pngBytes.size(), 0));
    ASSERT_TRUE(image.IsTransparent());
    ASSERT_TRUE(image.DecodeFromMemory(jpegBytes.data(), (DWORD)jpegBytes.size(), 0));
    ASSERT_TRUE(Same({0, 0, 0, 0}, image.GetPixelColor(2, 2, false)));
    EXPECT_FALSE(image.IsTransparent());
    CTestCanvas canvas(20, 10, RGB(250, 250, 250));
    ASSERT_TRUE(image.Draw(canvas.Dc(), 0, 0, -1, -1));
    ExpectExactDraw(image, canvas, 0, 0, false);
}
