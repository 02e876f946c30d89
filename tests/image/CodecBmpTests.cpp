// BMP codec: hand-built files of every header and pixel variant checked against GDI's own reading
// of the same file, run-length data, damaged files, and round trips through the encoder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/RasterImage.h"
#include "CodecTestSupport.h"
#include "ImageTestSupport.h"

using codectest::Add16;
using codectest::Add32;
using codectest::Add8;
using codectest::Bytes;

namespace
{
struct BmpSpec
{
    int width = 13;
    int height = 7;
    int bpp = 8;
    int headerSize = 40;
    DWORD compression = BI_RGB;
    bool topDown = false;
    bool fileHeader = true;
    DWORD colorsUsed = 0;
    int paletteEntries = -1;        // entries written; -1: 2^bpp for palette depths
    bool masksInHeader = false;     // the 124-byte header's own mask fields
    DWORD masks[3] = {0, 0, 0};
    Bytes pixels;                   // file pixel data; empty: a pattern is generated
};

// Index or sample of file pixel (x, row), row counted in file order.
int PatternIndex(int x, int row, int entries)
{
    return (x * 3 + row * 5) % entries;
}

RGBQUAD PaletteEntry(int i)
{
    RGBQUAD c = {(BYTE)(i * 11 + 3), (BYTE)(255 - i * 7), (BYTE)(i * 29), 0};
    return c;
}

DWORD Pixel16(int x, int row)
{
    return (DWORD)((x * 2311 + row * 977) & 0xFFFF);
}

Bytes PatternPixels(const BmpSpec& s)
{
    Bytes out;
    int stride = ((s.width * s.bpp + 31) / 32) * 4;
    for (int row = 0; row < s.height; row++)
    {
        Bytes line((size_t)stride, 0);
        for (int x = 0; x < s.width; x++)
        {
            switch (s.bpp)
            {
            case 1:
            case 4:
            case 8:
            {
                int v = PatternIndex(x, row, 1 << s.bpp);
                int bit = x * s.bpp;
                line[bit / 8] |= (BYTE)(v << (8 - s.bpp - bit % 8));
                break;
            }
            case 16:
            {
                DWORD v = Pixel16(x, row);
                line[2 * x] = (BYTE)v;
                line[2 * x + 1] = (BYTE)(v >> 8);
                break;
            }
            default:
            {
                RGBQUAD c = imagetest::PatternColor(x, row);
                int n = s.bpp / 8;
                line[n * x] = c.rgbBlue;
                line[n * x + 1] = c.rgbGreen;
                line[n * x + 2] = c.rgbRed;
                if (n == 4)
                    line[n * x + 3] = (BYTE)(x * 17 + row);
            }
            }
        }
        codectest::Append(out, line);
    }
    return out;
}

Bytes MakeBmp(const BmpSpec& s)
{
    int entries = s.paletteEntries >= 0 ? s.paletteEntries : (s.bpp <= 8 ? 1 << s.bpp : 0);
    bool core = s.headerSize == 12;
    Bytes pixels = s.pixels.empty() ? PatternPixels(s) : s.pixels;
    Bytes info;
    if (core)
    {
        Add32(info, 12);
        Add16(info, s.width);
        Add16(info, s.height);
        Add16(info, 1);
        Add16(info, s.bpp);
    }
    else
    {
        Add32(info, (DWORD)s.headerSize);
        Add32(info, (DWORD)s.width);
        Add32(info, (DWORD)(s.topDown ? -s.height : s.height));
        Add16(info, 1);
        Add16(info, s.bpp);
        Add32(info, s.compression);
        Add32(info, (DWORD)pixels.size());
        Add32(info, 2835);
        Add32(info, 11811);
        Add32(info, s.colorsUsed);
        Add32(info, 0);
        if (s.masksInHeader)
            for (DWORD m : s.masks)
                Add32(info, m);
        while ((int)info.size() < s.headerSize)
            Add8(info, 0);
    }
    Bytes extra;
    for (int i = 0; i < entries; i++)
    {
        RGBQUAD c = PaletteEntry(i);
        Add8(extra, c.rgbBlue);
        Add8(extra, c.rgbGreen);
        Add8(extra, c.rgbRed);
        if (!core)
            Add8(extra, 0);
    }
    if (s.compression == BI_BITFIELDS && !s.masksInHeader)
        for (DWORD m : s.masks)
            Add32(extra, m);
    Bytes out;
    if (s.fileHeader)
    {
        Add16(out, 0x4D42);
        Add32(out, (DWORD)(14 + info.size() + extra.size() + pixels.size()));
        Add32(out, 0);
        Add32(out, (DWORD)(14 + info.size() + extra.size()));
    }
    codectest::Append(out, info);
    codectest::Append(out, extra);
    codectest::Append(out, pixels);
    return out;
}

bool DecodeBmp(const Bytes& data, CRasterImage& image)
{
    return image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeBMP);
}

// GDI's reading of a bitmap file's header and pixels as top-down 32-bit BGRA rows.
bool ReadWithGdi(const Bytes& data, int width, int height, std::vector<DWORD>& pixels)
{
    bool fileHeader = data[0] == 'B' && data[1] == 'M';
    DWORD offset = fileHeader ? *(const DWORD*)(data.data() + 10) : 0;
    if (!offset)
        return false;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof(bi);
    bi.biWidth = width;
    bi.biHeight = -height;
    bi.biPlanes = 1;
    bi.biBitCount = 32;
    bi.biCompression = BI_RGB;
    pixels.assign((size_t)width * height, 0);
    // The file's header and palette as they stand, with room for the masks that follow it.
    std::vector<BYTE> info(data.begin() + (fileHeader ? 14 : 0), data.begin() + offset);
    info.resize(info.size() + 1024, 0);
    int set = SetDIBits(screen, bitmap, 0, height, data.data() + offset, (BITMAPINFO*)info.data(),
                        DIB_RGB_COLORS);
    int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&bi,
                         DIB_RGB_COLORS);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return set == height && rows == height;
}

// GDI widens 5- and 6-bit channels by repeating their high bits; the codec shifts only.
void ExpectSameAsGdi(const Bytes& data, const CRasterImage& image, int tolerance = 0)
{
    std::vector<DWORD> reference;
    ASSERT_TRUE(ReadWithGdi(data, image.GetWidth(), image.GetHeight(), reference));
    int w = image.GetWidth(), h = image.GetHeight();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            DWORD g = reference[(size_t)(h - 1 - y) * w + x];
            RGBQUAD c = image.GetPixelColor(x, y, false);
            int d[3] = {abs((int)(g & 0xFF) - c.rgbBlue), abs((int)((g >> 8) & 0xFF) - c.rgbGreen),
                        abs((int)((g >> 16) & 0xFF) - c.rgbRed)};
            for (int v : d)
                ASSERT_LE(v, tolerance) << "pixel " << x << "," << y;
        }
}
}

TEST(BmpDecode, PaletteAndTrueColourDepthsMatchGdi)
{
    for (int bpp : {1, 4, 8, 24})
        for (bool topDown : {false, true})
        {
            SCOPED_TRACE(testing::Message() << bpp << " bpp, top-down " << topDown);
            BmpSpec layout;
            layout.bpp = bpp;
            layout.topDown = topDown;
            Bytes data = MakeBmp(layout);
            CRasterImage image;
            ASSERT_TRUE(DecodeBmp(data, image)) << image.GetLastError();
            EXPECT_EQ(ImageTypeBMP, image.GetType());
            EXPECT_EQ(13, image.GetWidth());
            EXPECT_EQ(7, image.GetHeight());
            EXPECT_EQ(bpp, image.GetBpp());
            EXPECT_EQ(72, image.GetXDPI());
            EXPECT_EQ(300, image.GetYDPI());
            // The first file row is the bottom row, or the top row of a top-down file.
            int y0 = topDown ? 6 : 0;
            if (bpp <= 8)
                EXPECT_EQ(PatternIndex(4, 0, 1 << bpp), image.GetPixelIndex(4, y0));
            else
                EXPECT_EQ(imagetest::PatternColor(4, 0).rgbRed, image.GetPixelColor(4, y0).rgbRed);
            ExpectSameAsGdi(data, image);
        }
}

TEST(BmpDecode, SixteenAndThirtyTwoBitFields)
{
    BmpSpec plain;
    plain.bpp = 16;
    Bytes data555 = MakeBmp(plain);
    CRasterImage image555;
    ASSERT_TRUE(DecodeBmp(data555, image555)) << image555.GetLastError();
    EXPECT_EQ(24, image555.GetBpp());
    DWORD p = Pixel16(3, 2);
    RGBQUAD c = image555.GetPixelColor(3, 2);
    EXPECT_EQ((BYTE)(((p >> 10) & 31) << 3), c.rgbRed);
    EXPECT_EQ((BYTE)(((p >> 5) & 31) << 3), c.rgbGreen);
    EXPECT_EQ((BYTE)((p & 31) << 3), c.rgbBlue);
    ExpectSameAsGdi(data555, image555, 7);

    BmpSpec fields = plain;
    fields.compression = BI_BITFIELDS;
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.masks[2] = 0x001F;
    Bytes data565 = MakeBmp(fields);
    CRasterImage image565;
    ASSERT_TRUE(DecodeBmp(data565, image565));
    c = image565.GetPixelColor(3, 2);
    EXPECT_EQ((BYTE)(((p >> 11) & 31) << 3), c.rgbRed);
    EXPECT_EQ((BYTE)(((p >> 5) & 63) << 2), c.rgbGreen);
    ExpectSameAsGdi(data565, image565, 7);

    // A 124-byte header with bit fields: the masks are the header's own, here red and blue
    // swapped against the usual order.
    BmpSpec v5;
    v5.bpp = 32;
    v5.headerSize = 124;
    v5.compression = BI_BITFIELDS;
    v5.masksInHeader = true;
    v5.masks[0] = 0x000000FF;
    v5.masks[1] = 0x0000FF00;
    v5.masks[2] = 0x00FF0000;
    Bytes dataV5 = MakeBmp(v5);
    CRasterImage imageV5;
    ASSERT_TRUE(DecodeBmp(dataV5, imageV5)) << imageV5.GetLastError();
    RGBQUAD expected = imagetest::PatternColor(5, 1);
    c = imageV5.GetPixelColor(5, 1);
    EXPECT_EQ(expected.rgbBlue, c.rgbRed);   // the file's blue byte is red under these masks
    EXPECT_EQ(expected.rgbRed, c.rgbBlue);
    EXPECT_EQ(expected.rgbGreen, c.rgbGreen);
    EXPECT_FALSE(imageV5.AlphaIsValid());
    ExpectSameAsGdi(dataV5, imageV5);

    BmpSpec alpha;
    alpha.bpp = 32;
    Bytes dataAlpha = MakeBmp(alpha);
    CRasterImage withAlpha;
    ASSERT_TRUE(DecodeBmp(dataAlpha, withAlpha));
    ASSERT_TRUE(withAlpha.AlphaIsValid());
    EXPECT_EQ((BYTE)(6 * 17 + 3), withAlpha.AlphaGet(6, 3));
    ExpectSameAsGdi(dataAlpha, withAlpha);

    // Fourth bytes that are all zero are no alpha.
    for (size_t i = dataAlpha.size() - 13 * 7 * 4 + 3; i < dataAlpha.size(); i += 4)
        dataAlpha[i] = 0;
    CRasterImage noAlpha;
    ASSERT_TRUE(DecodeBmp(dataAlpha, noAlpha));
    EXPECT_FALSE(noAlpha.AlphaIsValid());
}

TEST(BmpDecode, HeaderVariants)
{
    // Core header: three-byte palette entries.
    BmpSpec core;
    core.headerSize = 12;
    core.bpp = 4;
    CRasterImage coreImage;
    ASSERT_TRUE(DecodeBmp(MakeBmp(core), coreImage)) << coreImage.GetLastError();
    EXPECT_EQ(PatternIndex(2, 3, 16), coreImage.GetPixelIndex(2, 3));
    EXPECT_EQ(PaletteEntry(9).rgbRed, coreImage.GetPaletteColor(9).rgbRed);

    // 64- and 124-byte headers, and a 108-byte one accepted by its consistent fields.
    for (int size : {64, 108, 124})
    {
        SCOPED_TRACE(size);
        BmpSpec layout;
        layout.headerSize = size;
        CRasterImage image;
        ASSERT_TRUE(DecodeBmp(MakeBmp(layout), image)) << image.GetLastError();
        EXPECT_EQ(PatternIndex(7, 5, 256), image.GetPixelIndex(7, 5));
    }
    BmpSpec odd;
    odd.headerSize = 56;
    odd.colorsUsed = 256;     // not allowed with a header of a size nobody defined
    CRasterImage oddImage;
    EXPECT_FALSE(DecodeBmp(MakeBmp(odd), oddImage));
    EXPECT_STREQ("Error reading BMP info", oddImage.GetLastError());

    // No file header: a bare DIB, found by detection too.
    BmpSpec bare;
    bare.fileHeader = false;
    bare.bpp = 24;
    Bytes bareData = MakeBmp(bare);
    CRasterImage bareImage;
    ASSERT_TRUE(bareImage.DecodeFromMemory(bareData.data(), (DWORD)bareData.size(), 0));
    EXPECT_EQ(ImageTypeBMP, bareImage.GetType());
    EXPECT_EQ(imagetest::PatternColor(12, 6).rgbGreen, bareImage.GetPixelColor(12, 6).rgbGreen);

    // Header only.
    CRasterImage sizes;
    sizes.SetEscape(-1);
    ASSERT_TRUE(DecodeBmp(MakeBmp(bare), sizes));
    EXPECT_EQ(13, sizes.GetWidth());
    EXPECT_EQ(7, sizes.GetHeight());
    EXPECT_FALSE(sizes.IsValid());
    EXPECT_STREQ("output dimensions returned", sizes.GetLastError());
}

TEST(BmpDecode, FileFieldsNeverOutgrowTheImage)
{
    // A palette count far beyond 256 and an image size far beyond the pixels: only what the
    // image holds is read, and the pixels are still found through the offset.
    BmpSpec layout;
    layout.colorsUsed = 5000;
    layout.paletteEntries = 256;
    Bytes data = MakeBmp(layout);
    data[14 + 20] = 0xFF;   // image size field: 0xFF.......
    data[14 + 23] = 0x7F;
    CRasterImage image;
    ASSERT_TRUE(DecodeBmp(data, image)) << image.GetLastError();
    EXPECT_EQ(256, image.GetNumColors());
    EXPECT_EQ(PatternIndex(12, 6, 256), image.GetPixelIndex(12, 6));

    // The same in a bare DIB, where the palette must be passed over to reach the pixels.
    BmpSpec bare;
    bare.fileHeader = false;
    bare.bpp = 4;
    bare.colorsUsed = 20;
    bare.paletteEntries = 20;
    CRasterImage bareImage;
    ASSERT_TRUE(DecodeBmp(MakeBmp(bare), bareImage));
    EXPECT_EQ(PatternIndex(5, 2, 16), bareImage.GetPixelIndex(5, 2));
}

TEST(BmpDecode, RunLengthData)
{
    // 8-bit: a run, a literal of odd length with its pad, end of line, a delta, end of bitmap;
    // a run far longer than the row and rows beyond the image are cut.
    BmpSpec rle8;
    rle8.width = 6;
    rle8.height = 4;
    rle8.compression = BI_RLE8;
    rle8.pixels = {3, 9, 0, 3, 1, 2, 4, 0, 0, 0, 0, 2, 2, 1, 200, 7, 0, 0, 0, 0, 0, 0, 9, 9, 0, 1};
    CRasterImage image8;
    ASSERT_TRUE(DecodeBmp(MakeBmp(rle8), image8)) << image8.GetLastError();
    const int row0[6] = {9, 9, 9, 1, 2, 4};
    for (int x = 0; x < 6; x++)
        EXPECT_EQ(row0[x], image8.GetPixelIndex(x, 0)) << x;
    EXPECT_EQ(0, image8.GetPixelIndex(1, 2));
    EXPECT_EQ(7, image8.GetPixelIndex(2, 2));
    EXPECT_EQ(7, image8.GetPixelIndex(5, 2));
    EXPECT_EQ(0, image8.GetPixelIndex(0, 3));

    // 4-bit: runs alternate the two nibbles; literals of nibbles are padded to whole words.
    BmpSpec rle4;
    rle4.width = 7;
    rle4.height = 2;
    rle4.bpp = 4;
    rle4.compression = BI_RLE4;
    rle4.pixels = {5, 0x12, 0, 3, 0xAB, 0xC0, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    CRasterImage image4;
    ASSERT_TRUE(DecodeBmp(MakeBmp(rle4), image4)) << image4.GetLastError();
    const int first[7] = {1, 2, 1, 2, 1, 10, 11};
    for (int x = 0; x < 7; x++)
        EXPECT_EQ(first[x], image4.GetPixelIndex(x, 0)) << x;
    const int second[5] = {3, 4, 5, 6, 7};
    for (int x = 0; x < 5; x++)
        EXPECT_EQ(second[x], image4.GetPixelIndex(x, 1)) << x;

    // Compressions that do not fit the depth.
    BmpSpec wrong = rle8;
    wrong.compression = 7;
    CRasterImage bad;
    EXPECT_FALSE(DecodeBmp(MakeBmp(wrong), bad));
    EXPECT_STREQ("compression type not supported", bad.GetLastError());
    BmpSpec rgb;
    rgb.bpp = 24;
    rgb.compression = BI_RLE8;
    EXPECT_FALSE(DecodeBmp(MakeBmp(rgb), bad));
    EXPECT_STREQ("unknown compression", bad.GetLastError());
    rgb.bpp = 32;
    EXPECT_FALSE(DecodeBmp(MakeBmp(rgb), bad));
    EXPECT_STREQ("unknown compression", bad.GetLastError());
}

TEST(BmpDecode, DamagedAndForeignInput)
{
    CRasterImage image;
    const BYTE shortData[10] = {'B', 'M'};
    EXPECT_FALSE(image.DecodeFromMemory(shortData, sizeof(shortData), ImageTypeBMP));
    EXPECT_STREQ("Not a BMP", image.GetLastError());
    const char text[] = "just a line of text, long enough for two headers and more of it";
    EXPECT_FALSE(image.DecodeFromMemory((const BYTE*)text, sizeof(text), ImageTypeBMP));
    EXPECT_STREQ("Error reading BMP info", image.GetLastError());
    BmpSpec zero;
    zero.width = 0;
    EXPECT_FALSE(DecodeBmp(MakeBmp(zero), image));
    EXPECT_STREQ("CRasterImage::Create : width and height must be greater than zero",
                 image.GetLastError());
    CRasterImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBmp(MakeBmp(BmpSpec()), cancelled));
    EXPECT_STREQ("Cancelled", cancelled.GetLastError());

    size_t before = codectest::HeapBytesInUse();
    for (int bpp : {1, 4, 8, 16, 24, 32})
    {
        BmpSpec layout;
        layout.bpp = bpp;
        layout.headerSize = bpp == 32 ? 124 : 40;
        codectest::SweepDamagedInput(MakeBmp(layout), ImageTypeBMP, 77u + bpp, 60);
    }
    BmpSpec rle;
    rle.width = 6;
    rle.height = 4;
    rle.compression = BI_RLE8;
    rle.pixels = {3, 9, 0, 3, 1, 2, 4, 0, 0, 0, 0, 2, 2, 1, 200, 7, 0, 0, 0, 1};
    codectest::SweepDamagedInput(MakeBmp(rle), ImageTypeBMP, 5, 200);
    size_t after = codectest::HeapBytesInUse();
    if (before && after)
    {
        EXPECT_LE(after, before + 1024);
    }
}

TEST(BmpEncode, RoundTripsAndTheirLayout)
{
    for (int bpp : {1, 4, 8, 24})
    {
        SCOPED_TRACE(bpp);
        CRasterImage image(11, 6, bpp);
        if (bpp <= 8)
        {
            for (int i = 0; i < image.GetNumColors(); i++)
                image.SetPaletteColor(i, PaletteEntry(i));
            for (int y = 0; y < 6; y++)
                for (int x = 0; x < 11; x++)
                    image.SetPixelIndex(x, y, (BYTE)PatternIndex(x, y, image.GetNumColors()));
        }
        else
        {
            imagetest::FillPattern(image);
        }
        image.SetXDPI(150);
        BYTE* buffer = nullptr;
        long size = 0;
        ASSERT_TRUE(image.EncodeToMemory(buffer, size, ImageTypeBMP));
        Bytes data(buffer, buffer + size);
        free(buffer);
        EXPECT_EQ((long)(14 + image.GetSize()), size);
        EXPECT_EQ(0, memcmp(data.data() + 14, image.GetDib(), image.GetSize()));
        CRasterImage back;
        ASSERT_TRUE(DecodeBmp(data, back));
        EXPECT_EQ(bpp, back.GetBpp());
        EXPECT_EQ(150, back.GetXDPI());
        EXPECT_EQ(0, imagetest::MaxChannelDifference(image, back));
        ExpectSameAsGdi(data, image);
    }

    // With an alpha mask a 24-bit image becomes a 32-bit file, rows of width * 4 bytes.
    CRasterImage rgba(5, 3, 24);
    imagetest::FillPattern(rgba);
    rgba.CreateAlpha();
    rgba.AlphaSet(2, 1, 40);
    std::wstring path = imagetest::TempPath(L"alpha.bmp");
    ASSERT_TRUE(rgba.Save(path.c_str(), ImageTypeBMP));
    Bytes file = imagetest::ReadFileBytes(path);
    _wremove(path.c_str());
    ASSERT_EQ((size_t)(54 + 5 * 4 * 3), file.size());
    EXPECT_EQ(32, file[28]);
    EXPECT_EQ(40, file[54 + (1 * 5 + 2) * 4 + 3]);
    CRasterImage back;
    ASSERT_TRUE(DecodeBmp(file, back));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(40, back.AlphaGet(2, 1));
    EXPECT_EQ(255, back.AlphaGet(0, 0));
    EXPECT_EQ(0, imagetest::MaxChannelDifference(rgba, back));
    ExpectSameAsGdi(file, rgba);
}
