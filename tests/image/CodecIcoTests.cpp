// ICO codec: hand-built icons with several pages, PNG pages, AND masks of every kind, damaged
// directories, and round trips through the icon encoder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/RasterImage.h"
#include "image/RasterImageICO.h"
#include "CodecTestSupport.h"
#include "ImageTestSupport.h"

using codectest::Add16;
using codectest::Add32;
using codectest::Add8;
using codectest::Bytes;

namespace
{
struct IconPage
{
    int width = 8;
    int height = 8;
    int bpp = 4;
    Bytes png;                  // a PNG page instead of a DIB
    bool zeroSizes = false;     // directory size bytes 0 (a PNG page, or 256 pixels)
    // Index of DIB pixel (x, y), y from the bottom row, and its AND bit.
    int (*index)(int x, int y) = nullptr;
    bool (*masked)(int x, int y) = nullptr;
    BYTE alphaOf32 = 0;         // fourth byte of 32-bit pixels
};

int Diagonal(int x, int y)
{
    return (x + y) % 3 + 1;
}

bool LeftColumn(int x, int)
{
    return x == 0;
}

bool LowerLeft(int x, int y)
{
    return x < 2 && y < 2;
}

bool NoPixel(int, int)
{
    return false;
}

Bytes DibPage(const IconPage& p)
{
    Bytes out;
    int entries = p.bpp <= 8 ? 1 << p.bpp : 0;
    int stride = ((p.width * p.bpp + 31) / 32) * 4;
    int maskStride = ((p.width + 31) / 32) * 4;
    Add32(out, 40);
    Add32(out, (DWORD)p.width);
    Add32(out, (DWORD)p.height * 2);
    Add16(out, 1);
    Add16(out, p.bpp);
    Add32(out, 0);
    Add32(out, (DWORD)((stride + maskStride) * p.height));
    for (int i = 0; i < 4; i++)
        Add32(out, 0);
    for (int i = 0; i < entries; i++)
    {
        Add8(out, i * 20);       // blue
        Add8(out, 100 + i);      // green
        Add8(out, 250 - i * 9);  // red
        Add8(out, 0);
    }
    for (int y = 0; y < p.height; y++)
    {
        Bytes row((size_t)stride, 0);
        for (int x = 0; x < p.width; x++)
        {
            int v = p.index ? p.index(x, y) : 1;
            if (p.bpp <= 8)
            {
                int bit = x * p.bpp;
                row[bit / 8] |= (BYTE)(v << (8 - p.bpp - bit % 8));
            }
            else
            {
                int n = p.bpp / 8;
                row[n * x] = (BYTE)(v * 10);
                row[n * x + 1] = (BYTE)(x * 30);
                row[n * x + 2] = (BYTE)(y * 30);
                if (n == 4)
                    row[n * x + 3] = p.alphaOf32 ? (BYTE)(p.alphaOf32 + x) : 0;
            }
        }
        codectest::Append(out, row);
    }
    for (int y = 0; y < p.height; y++)
    {
        Bytes row((size_t)maskStride, 0);
        for (int x = 0; x < p.width; x++)
            if (p.masked && p.masked(x, y))
                row[x / 8] |= (BYTE)(0x80 >> (x % 8));
        codectest::Append(out, row);
    }
    return out;
}

Bytes MakeIcon(const std::vector<IconPage>& pages, int type = 1)
{
    Bytes out;
    Add16(out, 0);
    Add16(out, type);
    Add16(out, (int)pages.size());
    std::vector<Bytes> data;
    for (const IconPage& p : pages)
        data.push_back(p.png.empty() ? DibPage(p) : p.png);
    DWORD offset = (DWORD)(6 + 16 * pages.size());
    for (size_t i = 0; i < pages.size(); i++)
    {
        const IconPage& p = pages[i];
        bool zero = p.zeroSizes || !p.png.empty();
        Add8(out, zero ? 0 : p.width);
        Add8(out, zero ? 0 : p.height);
        Add8(out, p.bpp <= 8 ? (1 << p.bpp) & 0xFF : 0);
        Add8(out, 0);
        Add16(out, 1);
        Add16(out, p.bpp);
        Add32(out, (DWORD)data[i].size());
        Add32(out, offset);
        offset += (DWORD)data[i].size();
    }
    for (const Bytes& d : data)
        codectest::Append(out, d);
    return out;
}

bool DecodeIcon(const Bytes& data, CRasterImage& image, int frame = 0)
{
    image.SetCurrentFrame(frame);
    return image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeICO);
}

Bytes SmallPng(int width, int height)
{
    CRasterImage image(width, height, 24);
    imagetest::FillPattern(image);
    image.CreateAlpha();
    image.AlphaSet(1, 1, 77);
    return imagetest::EncodeToBytes(image, ImageTypePNG);
}
}

TEST(IcoDecode, PagesOfSeveralSizesAndDepths)
{
    IconPage small, medium, deep, rgb;
    small.index = Diagonal;
    medium.width = medium.height = 16;
    medium.bpp = 8;
    medium.index = Diagonal;
    deep.width = deep.height = 32;
    deep.bpp = 1;
    deep.index = [](int x, int y) { return (x ^ y) & 1; };
    rgb.width = 5;
    rgb.height = 3;
    rgb.bpp = 24;
    rgb.index = Diagonal;
    Bytes icon = MakeIcon({small, medium, deep, rgb});
    const int sizes[4] = {8, 16, 32, 5};
    const int depths[4] = {4, 8, 1, 24};
    for (int frame = 0; frame < 4; frame++)
    {
        SCOPED_TRACE(frame);
        CRasterImage image;
        ASSERT_TRUE(DecodeIcon(icon, image, frame)) << image.GetLastError();
        EXPECT_EQ(ImageTypeICO, image.GetType());
        EXPECT_EQ(4, image.GetNumFrames());
        EXPECT_EQ(sizes[frame], image.GetWidth());
        EXPECT_EQ(depths[frame], image.GetBpp());
        // Without an AND bit anywhere nothing is transparent.
        EXPECT_FALSE(image.AlphaIsValid());
        EXPECT_EQ(-1, image.GetTransIndex());
        if (depths[frame] == 8 || depths[frame] == 4)
        {
            EXPECT_EQ(Diagonal(3, 2), image.GetPixelIndex(3, 2));
            RGBQUAD c = image.GetPixelColor(3, 2);
            EXPECT_EQ(250 - Diagonal(3, 2) * 9, c.rgbRed);
        }
        if (depths[frame] == 1)
        {
            EXPECT_EQ(1, image.GetPixelIndex(31, 30));
        }
        if (depths[frame] == 24)
        {
            EXPECT_EQ(60, image.GetPixelColor(2, 2).rgbRed);
        }
    }
    CRasterImage sizesOnly;
    sizesOnly.SetEscape(-1);
    ASSERT_TRUE(DecodeIcon(icon, sizesOnly, 2));
    EXPECT_EQ(32, sizesOnly.GetWidth());
    EXPECT_FALSE(sizesOnly.IsValid());

    // A frame past the directory fails and still tells how many pages there are.
    CRasterImage past;
    EXPECT_FALSE(DecodeIcon(icon, past, 4));
    EXPECT_EQ(4, past.GetNumFrames());
    // Cursors are read the same way; other directory types are not icons.
    CRasterImage cursor;
    EXPECT_TRUE(DecodeIcon(MakeIcon({small}, 2), cursor));
    EXPECT_FALSE(DecodeIcon(MakeIcon({small}, 3), cursor));
}

TEST(IcoDecode, AndMasks)
{
    // The masked pixels all have one colour: that colour becomes the transparent index.
    IconPage one;
    one.index = [](int x, int y) { return x == 0 ? 5 : Diagonal(x, y); };
    one.masked = LeftColumn;
    CRasterImage oneColour;
    ASSERT_TRUE(DecodeIcon(MakeIcon({one}), oneColour));
    EXPECT_EQ(5, oneColour.GetTransIndex());
    EXPECT_EQ(oneColour.GetPaletteColor(5).rgbRed, oneColour.GetTransColor().rgbRed);
    EXPECT_FALSE(oneColour.AlphaIsValid());

    // Masked pixels of several colours are moved to the highest unused index.
    IconPage mixed;
    mixed.index = Diagonal;
    mixed.masked = LowerLeft;
    CRasterImage several;
    ASSERT_TRUE(DecodeIcon(MakeIcon({mixed}), several));
    EXPECT_EQ(15, several.GetTransIndex());
    EXPECT_EQ(15, several.GetPixelIndex(0, 0));
    EXPECT_EQ(15, several.GetPixelIndex(1, 1));
    EXPECT_EQ(Diagonal(2, 0), several.GetPixelIndex(2, 0));
    EXPECT_FALSE(several.AlphaIsValid());

    // A 24-bit page keeps the mask as alpha.
    IconPage rgb = mixed;
    rgb.bpp = 24;
    CRasterImage rgbImage;
    ASSERT_TRUE(DecodeIcon(MakeIcon({rgb}), rgbImage));
    ASSERT_TRUE(rgbImage.AlphaIsValid());
    EXPECT_EQ(0, rgbImage.AlphaGet(1, 0));
    EXPECT_EQ(255, rgbImage.AlphaGet(2, 0));

    // A 32-bit page with real alpha keeps its alpha whatever its AND mask says.
    IconPage alpha = mixed;
    alpha.bpp = 32;
    alpha.alphaOf32 = 100;
    for (bool (*mask)(int, int) : {LowerLeft, NoPixel})
    {
        alpha.masked = mask;
        CRasterImage alphaImage;
        ASSERT_TRUE(DecodeIcon(MakeIcon({alpha}), alphaImage));
        ASSERT_TRUE(alphaImage.AlphaIsValid());
        EXPECT_EQ(105, alphaImage.AlphaGet(5, 5));
        EXPECT_EQ(mask == LowerLeft ? 0 : 100, alphaImage.AlphaGet(0, 0));
        EXPECT_EQ(-1, alphaImage.GetTransIndex());
    }
    // A 32-bit page whose fourth bytes are all zero takes its transparency from the mask.
    alpha.alphaOf32 = 0;
    alpha.masked = LowerLeft;
    CRasterImage oldStyle;
    ASSERT_TRUE(DecodeIcon(MakeIcon({alpha}), oldStyle));
    ASSERT_TRUE(oldStyle.AlphaIsValid());
    EXPECT_EQ(0, oldStyle.AlphaGet(0, 0));
    EXPECT_EQ(255, oldStyle.AlphaGet(5, 5));

    // An AND mask that marks everything, or is missing, gives transparent index 0.
    IconPage full = mixed;
    full.width = 32;   // mask rows without padding bits
    full.masked = [](int, int) { return true; };
    CRasterImage all;
    ASSERT_TRUE(DecodeIcon(MakeIcon({full}), all));
    EXPECT_EQ(0, all.GetTransIndex());
    Bytes cut = MakeIcon({mixed});
    cut.resize(cut.size() - 10);
    CRasterImage missing;
    ASSERT_TRUE(DecodeIcon(cut, missing));
    EXPECT_EQ(0, missing.GetTransIndex());
}

TEST(IcoDecode, PngPages)
{
    IconPage png;
    png.png = SmallPng(9, 6);
    IconPage dib;
    dib.index = Diagonal;
    Bytes icon = MakeIcon({dib, png});
    CRasterImage image;
    ASSERT_TRUE(DecodeIcon(icon, image, 1)) << image.GetLastError();
    EXPECT_EQ(ImageTypeICO, image.GetType());
    EXPECT_EQ(2, image.GetNumFrames());
    EXPECT_EQ(9, image.GetWidth());
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(77, image.AlphaGet(1, 1));
    EXPECT_EQ(imagetest::PatternColor(4, 3).rgbRed, image.GetPixelColor(4, 3).rgbRed);
    CRasterImage sizes;
    sizes.SetEscape(-1);
    ASSERT_TRUE(DecodeIcon(icon, sizes, 1));
    EXPECT_EQ(9, sizes.GetWidth());
    EXPECT_EQ(6, sizes.GetHeight());

    // A PNG page that cannot be decoded fails the load instead of giving an empty image.
    Bytes broken = icon;
    broken[broken.size() - 20] ^= 0x5A;
    broken[broken.size() - 40] ^= 0x5A;
    CRasterImage failed;
    EXPECT_FALSE(DecodeIcon(broken, failed, 1));
    EXPECT_FALSE(failed.IsValid());
    EXPECT_STRNE("", failed.GetLastError());

    // Size bytes of 0 with a DIB page mean 256 pixels.
    IconPage big;
    big.width = big.height = 256;
    big.bpp = 1;
    big.zeroSizes = true;
    big.index = [](int x, int) { return x & 1; };
    CRasterImage bigImage;
    ASSERT_TRUE(DecodeIcon(MakeIcon({big}), bigImage)) << bigImage.GetLastError();
    EXPECT_EQ(256, bigImage.GetWidth());
    EXPECT_EQ(1, bigImage.GetPixelIndex(255, 255));
}

TEST(IcoDecode, DamagedInput)
{
    IconPage a, b, c;
    a.index = Diagonal;
    a.masked = LowerLeft;
    b.bpp = 32;
    b.alphaOf32 = 30;
    b.index = Diagonal;
    c.png = SmallPng(5, 5);
    size_t before = codectest::HeapBytesInUse();
    // The sweep decodes page 0: each kind of page takes its turn in front.
    const IconPage* kinds[3] = {&a, &b, &c};
    for (int k = 0; k < 3; k++)
        codectest::SweepDamagedInput(MakeIcon({*kinds[k], a}), ImageTypeICO, 31u * k + 1, 150);
    size_t after = codectest::HeapBytesInUse();
    if (before && after)
    {
        EXPECT_LE(after, before + 1024);
    }
    // A huge page count in a tiny file fails cleanly.
    Bytes lying = {0, 0, 1, 0, 0xFF, 0xFF, 8, 8, 0, 0};
    CRasterImage image;
    EXPECT_FALSE(image.DecodeFromMemory(lying.data(), (DWORD)lying.size(), ImageTypeICO));
}

TEST(IcoEncode, RoundTrips)
{
    // A palette icon with a transparent index: the AND mask carries it back.
    CRasterImage pal(12, 10, 4);
    for (int i = 0; i < 16; i++)
        pal.SetPaletteColor(i, (BYTE)(i * 15), (BYTE)(200 - i), (BYTE)(i * 3));
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 12; x++)
            pal.SetPixelIndex(x, y, (BYTE)(x < 3 ? 7 : (x + y) % 5));
    pal.SetTransIndex(7);
    BYTE* buffer = nullptr;
    long size = 0;
    ASSERT_TRUE(pal.EncodeToMemory(buffer, size, ImageTypeICO));
    Bytes data(buffer, buffer + size);
    free(buffer);
    CRasterImage back;
    ASSERT_TRUE(DecodeIcon(data, back)) << back.GetLastError();
    EXPECT_EQ(4, back.GetBpp());
    EXPECT_EQ(7, back.GetTransIndex());
    for (int y = 0; y < 10; y++)
        for (int x = 3; x < 12; x++)
            ASSERT_EQ(pal.GetPixelIndex(x, y), back.GetPixelIndex(x, y));
    // The caller's palette keeps the transparent entry's colour.
    EXPECT_EQ(105, pal.GetPaletteColor(7).rgbRed);

    // A 24-bit image with alpha becomes a 32-bit page.
    CRasterImage rgba(7, 5, 24);
    imagetest::FillPattern(rgba);
    rgba.CreateAlpha();
    rgba.AlphaSet(3, 2, 0);
    rgba.AlphaSet(4, 2, 128);
    CRasterImage rgbaBack;
    buffer = nullptr;
    ASSERT_TRUE(rgba.EncodeToMemory(buffer, size, ImageTypeICO));
    Bytes rgbaData(buffer, buffer + size);
    free(buffer);
    EXPECT_EQ(32, rgbaData[6 + 6]);
    ASSERT_TRUE(DecodeIcon(rgbaData, rgbaBack));
    EXPECT_EQ(0, imagetest::MaxChannelDifference(rgba, rgbaBack));
    EXPECT_EQ(0, rgbaBack.AlphaGet(3, 2));
    EXPECT_EQ(128, rgbaBack.AlphaGet(4, 2));

    // Wider than 255 pixels: a PNG page with size bytes 0.
    CRasterImage wide(300, 4, 24);
    imagetest::FillPattern(wide);
    buffer = nullptr;
    ASSERT_TRUE(wide.EncodeToMemory(buffer, size, ImageTypeICO));
    Bytes wideData(buffer, buffer + size);
    free(buffer);
    EXPECT_EQ(0, wideData[6]);
    EXPECT_EQ(0x89, wideData[22]);
    CRasterImage wideBack;
    ASSERT_TRUE(DecodeIcon(wideData, wideBack));
    EXPECT_EQ(300, wideBack.GetWidth());
    EXPECT_EQ(0, imagetest::MaxChannelDifference(wide, wideBack));

    // Several pages through one codec object.
    CRasterImage first(16, 16, 8), second(32, 32, 24);
    first.SetGrayPalette();
    for (int x = 0; x < 16; x++)
        first.SetPixelIndex(x, 3, (BYTE)(x * 16));
    imagetest::FillPattern(second);
    CMemoryByteStream stream;
    ASSERT_TRUE(stream.Open());
    CRasterImageICO writer;
    writer.Copy(first);
    ASSERT_TRUE(writer.Encode(&stream, false, 2));
    writer.Copy(second);
    ASSERT_TRUE(writer.Encode(&stream, true, 2));
    EXPECT_FALSE(writer.Encode(&stream, true, 2));  // no third page in a directory of two
    Bytes pages(stream.GetBuffer(false), stream.GetBuffer(false) + stream.Size());
    CRasterImage p0, p1;
    ASSERT_TRUE(DecodeIcon(pages, p0, 0));
    ASSERT_TRUE(DecodeIcon(pages, p1, 1));
    EXPECT_EQ(2, p1.GetNumFrames());
    EXPECT_EQ(16, p0.GetWidth());
    EXPECT_EQ(240, p0.GetPixelIndex(15, 3));
    EXPECT_EQ(32, p1.GetWidth());
    EXPECT_EQ(0, imagetest::MaxChannelDifference(second, p1));
}
