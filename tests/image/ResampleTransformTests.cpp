// Resampling, borders and thumbnails; the masks and pixel transforms; interpolated sampling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/RasterImage.h"
#include "ImageTestSupport.h"

namespace
{
bool Same(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

void FillFlat(CRasterImage& image, COLORREF color)
{
    for (int y = 0; y < image.GetHeight(); y++)
        for (int x = 0; x < image.GetWidth(); x++)
            image.SetPixelColor(x, y, color);
}
}

TEST(Thumbnail, WideTallAndSmallPictures)
{
    RGBQUAD canvas = {1, 2, 3, 0};
    CRasterImage wide(2048, 1024, 24);
    FillFlat(wide, RGB(250, 250, 250));
    ASSERT_TRUE(wide.MakeThumbnail(128, 128, canvas));
    EXPECT_EQ(128, wide.GetWidth());
    EXPECT_EQ(128, wide.GetHeight());
    EXPECT_TRUE(Same(canvas, wide.GetPixelColor(64, 31)));
    EXPECT_TRUE(Same({250, 250, 250, 0}, wide.GetPixelColor(64, 32)));
    EXPECT_TRUE(Same({250, 250, 250, 0}, wide.GetPixelColor(127, 95)));
    EXPECT_TRUE(Same(canvas, wide.GetPixelColor(64, 96)));

    CRasterImage tall(1024, 2048, 24);
    FillFlat(tall, RGB(40, 50, 60));
    CRasterImage result;
    ASSERT_TRUE(tall.MakeThumbnail(128, 128, canvas, &result));
    EXPECT_EQ(1024, tall.GetWidth());
    EXPECT_TRUE(Same(canvas, result.GetPixelColor(31, 64)));
    EXPECT_TRUE(Same({60, 50, 40, 0}, result.GetPixelColor(32, 64)));
    EXPECT_TRUE(Same({60, 50, 40, 0}, result.GetPixelColor(95, 64)));
    EXPECT_TRUE(Same(canvas, result.GetPixelColor(96, 64)));

    CRasterImage small(100, 50, 24);
    imagetest::FillPattern(small);
    ASSERT_TRUE(small.MakeThumbnail(192, 108, canvas));
    EXPECT_EQ(192, small.GetWidth());
    EXPECT_EQ(108, small.GetHeight());
    EXPECT_TRUE(Same(canvas, small.GetPixelColor(45, 29)));
    EXPECT_TRUE(Same(imagetest::PatternColor(0, 0), small.GetPixelColor(46, 29)));
    EXPECT_TRUE(Same(imagetest::PatternColor(99, 49), small.GetPixelColor(145, 78)));
    EXPECT_TRUE(Same(canvas, small.GetPixelColor(146, 79)));

    // A very long thin picture keeps at least one pixel across.
    CRasterImage strip(4000, 2, 24);
    FillFlat(strip, RGB(9, 9, 9));
    ASSERT_TRUE(strip.MakeThumbnail(192, 108, canvas)) << strip.GetLastError();
    EXPECT_EQ(192, strip.GetWidth());
    EXPECT_EQ(108, strip.GetHeight());
    EXPECT_TRUE(Same({9, 9, 9, 0}, strip.GetPixelColor(100, 53)));
    EXPECT_TRUE(Same(canvas, strip.GetPixelColor(100, 54)));

    CRasterImage empty;
    EXPECT_FALSE(empty.MakeThumbnail(10, 10, canvas));
    EXPECT_FALSE(small.MakeThumbnail(0, 10, canvas));
}

TEST(Resample, RefusedAllocationsGiveFalseAndKeepThePicture)
{
    RGBQUAD canvas = {0, 0, 0, 0};
    for (int mode : {0, 1, 2})
    {
        SCOPED_TRACE(mode);
        CRasterImage image(64, 48, 24);
        imagetest::FillPattern(image);
        image.CreateAlpha();
        CRasterImage original(image);
        bool threw = false, resampled = true, fitted = true;
        {
            imagetest::CRefusedAllocations refused;
            try
            {
                resampled = image.Resample(16, 12, mode);
                if (mode == 0)
                    fitted = image.MakeThumbnail(16, 16, canvas);
            }
            catch (...)
            {
                threw = true;
            }
        }
        ASSERT_FALSE(threw);
        // Where a scratch buffer is needed its refusal is a plain failure with a text.
        if (!resampled)
        {
            EXPECT_STREQ("can't allocate memory", image.GetLastError());
        }
        if (!resampled || !fitted)
        {
            EXPECT_EQ(64, image.GetWidth());
            EXPECT_EQ(0, imagetest::MaxChannelDifference(original, image));
        }
        EXPECT_FALSE(mode == 0 && (resampled || fitted));
    }
}

TEST(Resample, AreaAveragingIsExactOnBlocks)
{
    // 2x2 blocks averaged into one pixel each.
    CRasterImage image(8, 4, 24);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++)
            image.SetPixelColor(x, y, RGB((x + y) % 2 ? 200 : 100, x * 30, 255));
    ASSERT_TRUE(image.Resample(4, 2, 0));
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
        {
            RGBQUAD c = image.GetPixelColor(x, y);
            EXPECT_EQ(150, c.rgbRed);
            EXPECT_EQ((x * 2 * 30 + (x * 2 + 1) * 30) / 2, c.rgbGreen);
            EXPECT_EQ(255, c.rgbBlue) << "sums of bright pixels must not wrap";
        }

    // One destination pixel over a very wide source: 64-bit sums, no overflow.
    CRasterImage wide(30000, 3, 24);
    FillFlat(wide, RGB(255, 255, 255));
    ASSERT_TRUE(wide.Resample(1, 1, 0));
    EXPECT_TRUE(Same({255, 255, 255, 0}, wide.GetPixelColor(0, 0)));

    // Uneven ratio: a flat picture stays flat, straddling pixels included.
    CRasterImage odd(101, 77, 24);
    FillFlat(odd, RGB(77, 160, 240));
    ASSERT_TRUE(odd.Resample(13, 9, 0));
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 13; x++)
        {
            RGBQUAD c = odd.GetPixelColor(x, y);
            ASSERT_NEAR(77, c.rgbRed, 1) << x << "," << y;
            ASSERT_NEAR(240, c.rgbBlue, 1) << x << "," << y;
        }
}

namespace
{
// Area averaging one source pixel at a time: each adds value * 1000 * its shares (thousandths,
// truncated) of the up to four destination pixels it overlaps; each sum is divided by
// trunc(1000 * xScale * yScale) (times the second 1000 of the shares).
std::vector<BYTE> ReferenceAreaAverage(const CRasterImage& source, int newWidth, int newHeight)
{
    int w = source.GetWidth(), h = source.GetHeight();
    float xScale = (float)w / (float)newWidth, yScale = (float)h / (float)newHeight;
    auto split = [](int s, int size, float scale, int& cell, int& share) {
        cell = (int)((float)s / scale);
        if (cell >= size)
            cell = size - 1;
        float boundary = (cell + 1) * scale;
        share = 1000;
        if (cell + 1 < size && s + 1 > boundary)
            share = std::min(1000, std::max(0, (int)((boundary - s) * 1000.0f)));
    };
    std::vector<uint64_t> sums((size_t)(newWidth + 1) * (newHeight + 1) * 3, 0);
    for (int sy = 0; sy < h; sy++)
    {
        int cy, shareY;
        split(sy, newHeight, yScale, cy, shareY);
        for (int sx = 0; sx < w; sx++)
        {
            int cx, shareX;
            split(sx, newWidth, xScale, cx, shareX);
            const BYTE* p = source.GetBits(sy) + sx * 3;
            const int wx[2] = {shareX, 1000 - shareX}, wy[2] = {shareY, 1000 - shareY};
            for (int j = 0; j < 2; j++)
                for (int i = 0; i < 2; i++)
                    for (int ch = 0; ch < 3; ch++)
                        sums[((size_t)(cy + j) * (newWidth + 1) + cx + i) * 3 + ch] +=
                            (uint64_t)p[ch] * wx[i] * wy[j];
        }
    }
    uint64_t divisor = std::max<uint64_t>(1, (uint64_t)(1000.0f * xScale * yScale) * 1000);
    std::vector<BYTE> out;
    for (int y = 0; y < newHeight; y++)
        for (int x = 0; x < newWidth * 3; x++)
            out.push_back((BYTE)std::min<uint64_t>(255, sums[((size_t)y * (newWidth + 1)) * 3 + x] / divisor));
    return out;
}

void FillNoise(CRasterImage& image, unsigned seed)
{
    for (int y = 0; y < image.GetHeight(); y++)
    {
        BYTE* row = image.GetBits(y);
        for (int x = 0; x < image.GetWidth() * 3; x++)
        {
            seed = seed * 1103515245u + 12345u;
            row[x] = (BYTE)(seed >> 16);
        }
    }
}
}

TEST(Resample, AreaAveragingMatchesThePixelByPixelSums)
{
    const int cases[][4] = {{1920, 1080, 192, 108}, {1000, 700, 333, 77}, {97, 61, 13, 9},
                            {641, 479, 640, 478}, {4000, 3, 7, 2}, {50000, 2, 3, 1},
                            {37, 1000, 5, 999}, {5, 3000, 2, 4}, {3, 20000, 2, 1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c[0] << "x" << c[1] << " to " << c[2] << "x" << c[3]);
        CRasterImage image(c[0], c[1], 24);
        FillNoise(image, (unsigned)(c[0] * 31 + c[1]));
        std::vector<BYTE> expected = ReferenceAreaAverage(image, c[2], c[3]);
        ASSERT_TRUE(image.Resample(c[2], c[3], 0)) << image.GetLastError();
        ASSERT_EQ(c[2], image.GetWidth());
        for (int y = 0; y < c[3]; y++)
            for (int x = 0; x < c[2] * 3; x++)
                ASSERT_EQ((int)expected[(size_t)y * c[2] * 3 + x], (int)image.GetBits(y)[x])
                    << "byte " << x << " of row " << y;
    }
}

TEST(Resample, ModesSizesAndAlpha)
{
    CRasterImage image(4, 4, 24);
    imagetest::FillPattern(image);
    CRasterImage nearest;
    ASSERT_TRUE(image.Resample(8, 8, 1, &nearest));
    EXPECT_EQ(4, image.GetWidth());
    EXPECT_TRUE(Same(image.GetPixelColor(1, 2), nearest.GetPixelColor(3, 5)));

    CRasterImage bilinear;
    ASSERT_TRUE(image.Resample(8, 8, 0, &bilinear));
    EXPECT_TRUE(Same(image.GetPixelColor(0, 0), bilinear.GetPixelColor(0, 0)));
    RGBQUAD mid = bilinear.GetPixelColor(1, 0);
    RGBQUAD a = image.GetPixelColor(0, 0), b = image.GetPixelColor(1, 0);
    EXPECT_EQ((a.rgbRed + b.rgbRed) / 2, mid.rgbRed);

    CRasterImage flat(6, 6, 24);
    FillFlat(flat, RGB(90, 90, 90));
    ASSERT_TRUE(flat.Resample(15, 4, 2));
    EXPECT_NEAR(90, flat.GetPixelColor(7, 2).rgbRed, 1);

    CRasterImage same;
    ASSERT_TRUE(image.Resample(4, 4, 0, &same));
    EXPECT_TRUE(Same(image.GetPixelColor(3, 3), same.GetPixelColor(3, 3)));
    void* before = image.GetDib();
    EXPECT_TRUE(image.Resample(4, 4, 0));
    EXPECT_EQ(before, image.GetDib());
    EXPECT_FALSE(image.Resample(0, 4, 0));

    // A palette image goes through nearest palette indices.
    CRasterImage pal(4, 4, 8);
    pal.SetPaletteColor(0, 0, 0, 0);
    pal.SetPaletteColor(1, 255, 255, 255);
    for (int x = 0; x < 4; x++)
        pal.SetPixelIndex(x, 0, 1);
    ASSERT_TRUE(pal.Resample(2, 2, 0));
    EXPECT_EQ(8, pal.GetBpp());
    EXPECT_EQ(1, pal.GetPixelIndex(0, 0));
    EXPECT_EQ(0, pal.GetPixelIndex(1, 1));

    CRasterImage alpha(4, 4, 24);
    alpha.CreateAlpha();
    alpha.AlphaSet(3, 3, 0);
    ASSERT_TRUE(alpha.Resample(8, 8, 1));
    EXPECT_EQ(0, alpha.AlphaGet(7, 7));
    EXPECT_EQ(255, alpha.AlphaGet(0, 0));
    CRasterImage alpha2(8, 8, 24);
    alpha2.CreateAlpha();
    alpha2.AlphaFill(100);
    ASSERT_TRUE(alpha2.Resample(4, 4, 0));
    ASSERT_TRUE(alpha2.AlphaIsValid());
    EXPECT_EQ(100, alpha2.AlphaGet(2, 2));
}

TEST(Expand, BordersSelectionAndAlpha)
{
    CRasterImage image(3, 2, 24);
    imagetest::FillPattern(image);
    image.CreateAlpha();
    RGBQUAD canvas = {10, 20, 30, 0};
    CRasterImage out;
    ASSERT_TRUE(image.Expand(1, 2, 3, 4, canvas, &out));
    EXPECT_EQ(7, out.GetWidth());
    EXPECT_EQ(8, out.GetHeight());
    EXPECT_TRUE(Same(imagetest::PatternColor(0, 0), out.GetPixelColor(1, 4)));
    EXPECT_TRUE(Same(imagetest::PatternColor(2, 1), out.GetPixelColor(3, 5)));
    EXPECT_TRUE(Same(canvas, out.GetPixelColor(0, 4)));
    EXPECT_TRUE(Same(canvas, out.GetPixelColor(1, 3)));
    EXPECT_EQ(0, out.AlphaGet(0, 0));
    EXPECT_EQ(255, out.AlphaGet(1, 4));
    EXPECT_FALSE(image.Expand(-1, 0, 0, 0, canvas));

    CRasterImage four(3, 3, 4);
    four.SetPaletteColor(5, 10, 20, 30);
    four.SetPixelIndex(1, 1, 2);
    ASSERT_TRUE(four.ExpandCentered(6, 5, canvas));
    EXPECT_EQ(2, four.GetPixelIndex(2, 2));
    EXPECT_EQ(5, four.GetPixelIndex(0, 0));
    EXPECT_FALSE(four.ExpandCentered(2, 2, canvas));

    CRasterImage sel(4, 4, 8);
    ASSERT_TRUE(sel.CreateSelection());
    *sel.SelectionGetPointer(1, 1) = 255;
    sel.SetSelectionBox({1, 2, 2, 1});
    ASSERT_TRUE(sel.Expand(2, 0, 0, 3, canvas));
    EXPECT_TRUE(sel.IsInsideSelection(3, 4));
    EXPECT_FALSE(sel.IsInsideSelection(1, 1));
    RECT box = sel.GetSelectionBox();
    EXPECT_EQ(3, box.left);
    EXPECT_EQ(4, box.bottom);
}

TEST(Masks, AlphaAndSelection)
{
    CRasterImage image(10, 20, 24);
    EXPECT_FALSE(image.AlphaIsValid());
    ASSERT_TRUE(image.CreateAlpha());
    image.AlphaSet(1, 2, 7);
    EXPECT_TRUE(image.CreateAlpha());
    EXPECT_EQ(7, image.AlphaGet(1, 2));
    EXPECT_EQ(0, image.AlphaGet(-1, 0));
    image.AlphaSet(10, 0, 9);
    EXPECT_EQ(nullptr, image.AlphaGetPointer(10, 0));
    image.AlphaInvert();
    EXPECT_EQ(248, image.AlphaGet(1, 2));
    image.AlphaFlip();
    EXPECT_EQ(248, image.AlphaGet(1, 17));

    CRasterImage grey;
    ASSERT_TRUE(image.AlphaToImage(&grey));
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(248, grey.GetPixelIndex(1, 17));
    CRasterImage other(10, 20, 24);
    ASSERT_TRUE(other.AlphaFromImage(grey));
    EXPECT_EQ(248, other.AlphaGet(1, 17));
    CRasterImage wrong(10, 21, 8);
    wrong.SetGrayPalette();
    EXPECT_FALSE(other.AlphaFromImage(wrong));
    image.SetAlphaMax(40);
    CRasterImage copy(10, 20, 24);
    ASSERT_TRUE(copy.AlphaCopy(image));
    EXPECT_EQ(40, copy.GetAlphaMax());
    image.AlphaDelete();
    EXPECT_FALSE(image.AlphaIsValid());

    CRasterImage pal(2, 2, 8);
    EXPECT_FALSE(pal.AlphaPaletteIsValid());
    pal.SetPaletteColor(4, 1, 1, 1, 3);
    EXPECT_TRUE(pal.AlphaPaletteIsValid());

    EXPECT_TRUE(image.IsInsideSelection(3, 3));
    ASSERT_TRUE(image.CreateSelection());
    EXPECT_FALSE(image.IsInsideSelection(3, 3));
    *image.SelectionGetPointer(3, 4) = 1;
    image.SetSelectionBox({3, 5, 4, 4});
    image.FlipSelection();
    EXPECT_TRUE(image.IsInsideSelection(3, 15));
    RECT flipped = image.GetSelectionBox();
    EXPECT_EQ(16, flipped.top);
    EXPECT_EQ(15, flipped.bottom);
    image.DeleteSelection();
    RECT box = image.GetSelectionBox();
    EXPECT_EQ(10, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(0, box.right);
    EXPECT_EQ(20, box.bottom);
}

TEST(Transforms, IncreaseBppFlipAndNegative)
{
    CRasterImage rgb(3, 3, 24);
    EXPECT_FALSE(rgb.IncreaseBpp(4));
    EXPECT_EQ(24, rgb.GetBpp());
    CRasterImage eight(3, 3, 8);
    EXPECT_TRUE(eight.IncreaseBpp(8));
    EXPECT_FALSE(eight.IncreaseBpp(16));

    CRasterImage one(5, 2, 1);
    one.SetPaletteColor(0, 0, 0, 0);
    one.SetPaletteColor(1, 255, 255, 255);
    one.SetPixelIndex(3, 1, 1);
    one.SetTransIndex(1);
    ASSERT_TRUE(one.IncreaseBpp(24));
    EXPECT_EQ(24, one.GetBpp());
    EXPECT_TRUE(Same({255, 255, 255, 0}, one.GetTransColor()));
    EXPECT_TRUE(Same({255, 255, 255, 0}, one.GetPixelColor(3, 1)));
    EXPECT_TRUE(Same({0, 0, 0, 0}, one.GetPixelColor(2, 1)));

    CRasterImage four(5, 2, 4);
    four.SetPaletteColor(9, 1, 2, 3);
    four.SetPixelIndex(4, 1, 9);
    ASSERT_TRUE(four.IncreaseBpp(8));
    EXPECT_EQ(9, four.GetPixelIndex(4, 1));
    EXPECT_TRUE(Same({3, 2, 1, 0}, four.GetPaletteColor(9)));

    CRasterImage palAlpha(2, 1, 8);
    palAlpha.SetPaletteColor(1, 10, 10, 10, 77);
    palAlpha.SetPixelIndex(1, 0, 1);
    ASSERT_TRUE(palAlpha.IncreaseBpp(24));
    ASSERT_TRUE(palAlpha.AlphaIsValid());
    EXPECT_EQ(77, palAlpha.AlphaGet(1, 0));

    CRasterImage image(4, 5, 24);
    imagetest::FillPattern(image);
    CRasterImage original(image);
    image.CreateAlpha();
    image.AlphaSet(0, 0, 1);
    ASSERT_TRUE(image.Flip(false, true));
    EXPECT_TRUE(Same(original.GetPixelColor(2, 0), image.GetPixelColor(2, 4)));
    EXPECT_EQ(1, image.AlphaGet(0, 4));
    ASSERT_TRUE(image.Flip(false, true));
    EXPECT_EQ(0, imagetest::MaxChannelDifference(original, image));
    EXPECT_EQ(1, image.AlphaGet(0, 0));

    ASSERT_TRUE(image.Negative());
    RGBQUAD c = image.GetPixelColor(1, 1), o = original.GetPixelColor(1, 1);
    EXPECT_EQ(255 - o.rgbRed, c.rgbRed);
    EXPECT_EQ(255 - o.rgbBlue, c.rgbBlue);

    CRasterImage pal(2, 2, 8);
    pal.SetPaletteColor(3, 10, 20, 30);
    pal.SetPixelIndex(1, 1, 3);
    ASSERT_TRUE(pal.Negative());
    EXPECT_EQ(3, pal.GetPixelIndex(1, 1));
    EXPECT_TRUE(Same({225, 235, 245, 0}, pal.GetPaletteColor(3)));

    CRasterImage grey(2, 2, 8);
    grey.SetGrayPalette();
    grey.SetPixelIndex(0, 0, 40);
    ASSERT_TRUE(grey.Negative());
    EXPECT_EQ(215, grey.GetPixelIndex(0, 0));
    EXPECT_TRUE(grey.IsGrayScale());
}

TEST(Sampling, InterpolationAndOverflow)
{
    CRasterImage image(5, 4, 24);
    imagetest::FillPattern(image);
    EXPECT_TRUE(Same(image.GetPixelColor(3, 0),
                     image.GetInterpolatedColor(2.5f, 0.4f, InterpolationNearest, OverflowRepeat)));
    EXPECT_TRUE(Same(image.GetPixelColor(0, 3),
                     image.GetPixelColorWithOverflow(-3, 6, OverflowRepeat)));
    EXPECT_TRUE(Same(image.GetPixelColor(4, 0), image.GetPixelColorWithOverflow(-1, 0, OverflowWrap)));
    EXPECT_TRUE(Same(image.GetPixelColor(4, 0), image.GetPixelColorWithOverflow(5, 0, OverflowMirror)));
    RGBQUAD white = image.GetPixelColorWithOverflow(-1, -1, OverflowColor);
    EXPECT_TRUE(Same({255, 255, 255, 0}, white));
    RGBQUAD red = {0, 0, 255, 9};
    EXPECT_TRUE(Same(red, image.GetPixelColorWithOverflow(9, 9, OverflowColor, &red)));

    for (int x = 0; x < 4; x++)
        EXPECT_TRUE(Same(image.GetPixelColor(x, 2),
                         image.GetInterpolatedColor((float)x, 2.0f, InterpolationBilinear)));
    RGBQUAD half = image.GetInterpolatedColor(1.5f, 1.0f, InterpolationBilinear);
    EXPECT_NEAR((image.GetPixelColor(1, 1).rgbGreen + image.GetPixelColor(2, 1).rgbGreen) / 2.0,
                half.rgbGreen, 1.0);

    // B-spline blurs at a pixel centre; Catmull-Rom reproduces the pixel.
    CRasterImage dot(5, 5, 24);
    dot.SetPixelColor(2, 2, RGB(240, 240, 240));
    RGBQUAD spline = dot.GetInterpolatedColor(2.0f, 2.0f, InterpolationBSpline, OverflowRepeat);
    EXPECT_NEAR(240.0 * 4 / 6 * 4 / 6, spline.rgbRed, 1.5);
    RGBQUAD side = dot.GetInterpolatedColor(3.0f, 2.0f, InterpolationBSpline, OverflowRepeat);
    EXPECT_NEAR(240.0 / 6 * 4 / 6, side.rgbRed, 1.5);
    EXPECT_EQ(240, dot.GetInterpolatedColor(2.0f, 2.0f, InterpolationCatmullRom).rgbRed);

    CRasterImage flat(6, 6, 24);
    FillFlat(flat, RGB(60, 70, 80));
    for (int method = 1; method <= 18; method++)
    {
        if (method == InterpolationBSpline || method == InterpolationBox ||
            method == InterpolationHermite || method == InterpolationBicubic ||
            method == InterpolationBicubic2 || method == InterpolationCatmullRom ||
            method == InterpolationMitchell || method == InterpolationBilinear ||
            method == InterpolationNearest)
        {
            RGBQUAD c = flat.GetInterpolatedColor(2.3f, 3.6f, method, OverflowRepeat);
            EXPECT_NEAR(60, c.rgbRed, 1) << "method " << method;
        }
    }
    RGBQUAD area = flat.GetAreaColorInterpolated(2.5f, 2.5f, 3.0f, 2.0f);
    EXPECT_NEAR(70, area.rgbGreen, 1);

    EXPECT_FLOAT_EQ(2.0f / 3.0f, CRasterImage::KernelBSpline(0.0f));
    EXPECT_FLOAT_EQ(1.0f / 6.0f, CRasterImage::KernelBSpline(1.0f));
    EXPECT_FLOAT_EQ(0.0f, CRasterImage::KernelBSpline(2.5f));
    EXPECT_FLOAT_EQ(1.0f, CRasterImage::KernelCatmullRom(0.0f));
    EXPECT_FLOAT_EQ(0.0f, CRasterImage::KernelCatmullRom(1.0f));
    EXPECT_NEAR(8.0f / 9.0f, CRasterImage::KernelMitchell(0.0f), 1e-6);
    EXPECT_NEAR(3.14159265f / 4, CRasterImage::KernelBessel(0.0f), 1e-6);
    EXPECT_NEAR(0.0f, CRasterImage::KernelSinc(1.0f), 1e-6);
    EXPECT_FLOAT_EQ(1.0f, CRasterImage::KernelLanczosSinc(0.0f));
}
