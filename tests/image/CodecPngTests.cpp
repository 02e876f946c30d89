// PNG codec: every colour type and bit depth against files written by libpng directly,
// transparency, interlacing, resolution, the encoder's round trips and damaged input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/RasterImage.h"
#include "ImageTestSupport.h"

using imagetest::PngSpec;

namespace
{
// Sample value of pixel (x, y) of a test file with maxValue as its largest sample.
int SampleAt(int x, int y, int channel, int maxValue)
{
    return (x * 5 + y * 3 + channel * 7) % (maxValue + 1);
}

// Packs samples of the given bit depth into a file row.
std::vector<BYTE> PackRow(const std::vector<int>& samples, int bitDepth)
{
    std::vector<BYTE> row;
    if (bitDepth == 16)
    {
        for (int s : samples)
        {
            row.push_back((BYTE)(s >> 8));
            row.push_back((BYTE)s);
        }
        return row;
    }
    if (bitDepth == 8)
    {
        for (int s : samples)
            row.push_back((BYTE)s);
        return row;
    }
    int perByte = 8 / bitDepth;
    row.assign((samples.size() + perByte - 1) / perByte, 0);
    for (size_t i = 0; i < samples.size(); i++)
        row[i / perByte] |= (BYTE)(samples[i] << (8 - bitDepth * (1 + i % perByte)));
    return row;
}

PngSpec MakeSpec(int colorType, int bitDepth, int width = 13, int height = 7)
{
    PngSpec layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = colorType;
    layout.bitDepth = bitDepth;
    int channels = colorType == 0 || colorType == 3 ? 1 : colorType == 4 ? 2 : colorType == 2 ? 3 : 4;
    int maxValue = (1 << bitDepth) - 1;
    if (colorType == 3)
        maxValue = (1 << bitDepth) - 1;
    for (int y = 0; y < height; y++)
    {
        std::vector<int> samples;
        for (int x = 0; x < width; x++)
            for (int c = 0; c < channels; c++)
                samples.push_back(SampleAt(x, y, c, maxValue));
        layout.rows.push_back(PackRow(samples, bitDepth));
    }
    if (colorType == 3)
        for (int i = 0; i <= maxValue; i++)
        {
            layout.palette.push_back((BYTE)(i * 3));
            layout.palette.push_back((BYTE)(255 - i));
            layout.palette.push_back((BYTE)(i * 7));
        }
    return layout;
}

bool DecodePng(const std::vector<BYTE>& data, CRasterImage& image)
{
    return image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypePNG);
}

std::vector<BYTE> EncodePng(CRasterImage& image)
{
    return imagetest::EncodeToBytes(image, ImageTypePNG);
}
}

TEST(PngDecode, GreyAndPaletteDepths)
{
    const int cases[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4}, {3, 8}};
    for (const auto& c : cases)
    {
        int colorType = c[0], depth = c[1];
        SCOPED_TRACE(testing::Message() << "colour type " << colorType << " depth " << depth);
        PngSpec layout = MakeSpec(colorType, depth);
        CRasterImage image;
        ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), image)) << image.GetLastError();
        int expectedBpp = depth == 16 ? 8 : depth == 2 ? 4 : depth;
        EXPECT_EQ(expectedBpp, image.GetBpp());
        int maxValue = (1 << depth) - 1;
        for (int y = 0; y < layout.height; y++)
            for (int x = 0; x < layout.width; x++)
            {
                int sample = SampleAt(x, y, 0, maxValue);
                int index = image.GetPixelIndex(x, layout.height - 1 - y);
                int expected = depth == 16 ? sample >> 8 : sample;
                ASSERT_EQ(expected, index) << x << "," << y;
                if (colorType == 3)
                {
                    RGBQUAD col = image.GetPixelColor(x, layout.height - 1 - y);
                    ASSERT_EQ(sample * 3 % 256, col.rgbRed);
                    ASSERT_EQ(255 - sample, col.rgbGreen);
                }
            }
        if (colorType == 0 && depth == 2)
        {
            EXPECT_EQ(85, image.GetPaletteColor(1).rgbRed);
            EXPECT_EQ(255, image.GetPaletteColor(3).rgbBlue);
        }
        if (colorType == 0 && depth >= 8)
        {
            EXPECT_TRUE(image.IsGrayScale());
        }
        if (colorType == 3)
        {
            EXPECT_EQ((DWORD)(maxValue + 1), image.GetClrImportant());
        }
    }
}

TEST(PngDecode, ColourAndAlphaTypes)
{
    const int cases[][2] = {{2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    for (const auto& c : cases)
    {
        int colorType = c[0], depth = c[1];
        SCOPED_TRACE(testing::Message() << "colour type " << colorType << " depth " << depth);
        PngSpec layout = MakeSpec(colorType, depth);
        CRasterImage image;
        ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), image)) << image.GetLastError();
        bool alpha = colorType == 4 || colorType == 6;
        EXPECT_EQ(colorType == 4 ? 8 : 24, image.GetBpp());
        EXPECT_EQ(alpha, image.AlphaIsValid());
        int maxValue = (1 << depth) - 1;
        int shift = depth == 16 ? 8 : 0;
        for (int y = 0; y < layout.height; y++)
            for (int x = 0; x < layout.width; x++)
            {
                int dy = layout.height - 1 - y;
                RGBQUAD col = image.GetPixelColor(x, dy, true);
                if (colorType == 4)
                {
                    ASSERT_EQ(SampleAt(x, y, 0, maxValue) >> shift, image.GetPixelIndex(x, dy));
                    ASSERT_EQ(SampleAt(x, y, 1, maxValue) >> shift, image.AlphaGet(x, dy));
                    continue;
                }
                ASSERT_EQ(SampleAt(x, y, 0, maxValue) >> shift, col.rgbRed) << x << "," << y;
                ASSERT_EQ(SampleAt(x, y, 1, maxValue) >> shift, col.rgbGreen);
                ASSERT_EQ(SampleAt(x, y, 2, maxValue) >> shift, col.rgbBlue);
                if (alpha)
                {
                    ASSERT_EQ(SampleAt(x, y, 3, maxValue) >> shift, col.rgbReserved);
                }
            }
    }
}

TEST(PngDecode, InterlacedFilesMatchTheirTwins)
{
    const int cases[][2] = {{0, 2}, {3, 4}, {2, 8}, {2, 16}, {4, 8}, {6, 8}, {6, 16}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "colour type " << c[0] << " depth " << c[1]);
        PngSpec layout = MakeSpec(c[0], c[1], 19, 11);
        CRasterImage plain, interlaced;
        ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), plain));
        EXPECT_EQ(0, plain.GetCodecOption(ImageTypePNG) & 1);
        layout.interlaced = true;
        ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), interlaced));
        EXPECT_EQ(1, interlaced.GetCodecOption(ImageTypePNG) & 1);
        ASSERT_EQ(plain.GetBpp(), interlaced.GetBpp());
        for (int y = 0; y < 11; y++)
            for (int x = 0; x < 19; x++)
            {
                RGBQUAD a = plain.GetPixelColor(x, y, true), b = interlaced.GetPixelColor(x, y, true);
                ASSERT_EQ(0, memcmp(&a, &b, sizeof(a))) << x << "," << y;
            }
    }
}

TEST(PngDecode, TransparencyChunks)
{
    PngSpec one = MakeSpec(3, 8);
    one.transAlpha = {0};
    CRasterImage single;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(one), single));
    EXPECT_EQ(0, single.GetTransIndex());
    EXPECT_FALSE(single.HasPaletteAlpha());

    PngSpec several = MakeSpec(3, 4);
    several.transAlpha = {0, 128, 255, 64};
    CRasterImage perEntry;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(several), perEntry));
    EXPECT_TRUE(perEntry.HasPaletteAlpha());
    EXPECT_EQ(-1, perEntry.GetTransIndex());
    EXPECT_EQ(128, perEntry.GetPaletteColor(1).rgbReserved);
    EXPECT_EQ(64, perEntry.GetPaletteColor(3).rgbReserved);
    EXPECT_EQ(255, perEntry.GetPaletteColor(9).rgbReserved);

    // One entry that is half opaque is an opacity, not a fully transparent colour.
    PngSpec half = MakeSpec(3, 8);
    half.transAlpha = {128};
    CRasterImage partial;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(half), partial));
    EXPECT_EQ(-1, partial.GetTransIndex());
    EXPECT_TRUE(partial.HasPaletteAlpha());
    EXPECT_EQ(128, partial.GetPaletteColor(0).rgbReserved);

    PngSpec grey = MakeSpec(0, 4);
    grey.transGray = 6;
    CRasterImage greyImage;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(grey), greyImage));
    EXPECT_EQ(6, greyImage.GetTransIndex());

    PngSpec rgb = MakeSpec(2, 16);
    rgb.transRed = 0x1234;
    rgb.transGreen = 0x5678;
    rgb.transBlue = 0x9ABC;
    CRasterImage rgbImage;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(rgb), rgbImage));
    EXPECT_EQ(0, rgbImage.GetTransIndex());
    RGBQUAD t = rgbImage.GetTransColor();
    EXPECT_EQ(0x12, t.rgbRed);
    EXPECT_EQ(0x56, t.rgbGreen);
    EXPECT_EQ(0x9A, t.rgbBlue);
}

TEST(PngDecode, ResolutionFromPhys)
{
    PngSpec layout = MakeSpec(2, 8);
    CRasterImage none;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), none));
    EXPECT_EQ(96, none.GetXDPI());
    layout.phys = true;
    layout.physX = 3780;
    layout.physY = 11811;
    layout.physUnit = 1;
    CRasterImage metre;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), metre));
    EXPECT_EQ(96, metre.GetXDPI());
    EXPECT_EQ(300, metre.GetYDPI());
    layout.physX = layout.physY = 1;
    layout.physUnit = 0;
    CRasterImage unknown;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), unknown));
    EXPECT_EQ(1, unknown.GetXDPI());
}

TEST(PngDecode, HeaderOnlyAndDamagedInput)
{
    std::vector<BYTE> data = imagetest::WritePngReference(MakeSpec(6, 8, 40, 30));
    CRasterImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(DecodePng(data, header));
    EXPECT_EQ(40, header.GetWidth());
    EXPECT_EQ(30, header.GetHeight());
    EXPECT_FALSE(header.IsValid());

    // A header-only read of a broken file is a failure, even for an image already of PNG type.
    CRasterImage brokenHeader(ImageTypePNG);
    brokenHeader.SetEscape(-1);
    std::vector<BYTE> badSignature = data;
    badSignature[20] ^= 0x55;  // inside IHDR: the CRC no longer matches
    EXPECT_FALSE(DecodePng(badSignature, brokenHeader));

    std::vector<BYTE> cut(data.begin(), data.begin() + data.size() - 30);
    CRasterImage truncated;
    EXPECT_FALSE(DecodePng(cut, truncated));
    EXPECT_STREQ("Read Error", truncated.GetLastError());

    unsigned seed = 99;
    for (int round = 0; round < 40; round++)
    {
        std::vector<BYTE> damaged = data;
        for (int k = 0; k < 6; k++)
        {
            seed = seed * 1103515245 + 12345;
            damaged[8 + (seed >> 8) % (damaged.size() - 8)] = (BYTE)(seed >> 4);
        }
        CRasterImage victim;
        victim.DecodeFromMemory(damaged.data(), (DWORD)damaged.size(), ImageTypePNG);
    }
    const char text[] = "plain text";
    CRasterImage textImage;
    EXPECT_FALSE(textImage.DecodeFromMemory((const BYTE*)text, sizeof(text), ImageTypePNG));
    EXPECT_STRNE("", textImage.GetLastError());
}

TEST(PngEncode, RoundTripsOfEveryImageKind)
{
    CRasterImage rgb(21, 9, 24);
    imagetest::FillPattern(rgb);
    rgb.SetXDPI(300);
    CRasterImage back;
    ASSERT_TRUE(DecodePng(EncodePng(rgb), back)) << back.GetLastError();
    EXPECT_EQ(0, imagetest::MaxChannelDifference(rgb, back));
    EXPECT_EQ(300, back.GetXDPI());
    EXPECT_FALSE(back.AlphaIsValid());

    rgb.CreateAlpha();
    for (int x = 0; x < 21; x++)
        rgb.AlphaSet(x, 4, (BYTE)(x * 12));
    CRasterImage withAlpha;
    ASSERT_TRUE(DecodePng(EncodePng(rgb), withAlpha));
    ASSERT_TRUE(withAlpha.AlphaIsValid());
    EXPECT_EQ(0, imagetest::MaxChannelDifference(rgb, withAlpha));
    EXPECT_EQ(240, withAlpha.AlphaGet(20, 4));
    EXPECT_EQ(255, withAlpha.AlphaGet(20, 5));

    CRasterImage grey(10, 4, 8);
    grey.SetGrayPalette();
    for (int x = 0; x < 10; x++)
        grey.SetPixelIndex(x, 1, (BYTE)(x * 20));
    CRasterImage greyBack;
    ASSERT_TRUE(DecodePng(EncodePng(grey), greyBack));
    EXPECT_TRUE(greyBack.IsGrayScale());
    EXPECT_EQ(180, greyBack.GetPixelIndex(9, 1));

    for (int bpp : {1, 4, 8})
    {
        SCOPED_TRACE(bpp);
        CRasterImage pal(11, 5, bpp);
        int entries = pal.GetNumColors();
        for (int i = 0; i < entries; i++)
            pal.SetPaletteColor(i, (BYTE)(i * 9 + 1), (BYTE)(200 - i), (BYTE)(i * 5));
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 11; x++)
                pal.SetPixelIndex(x, y, (BYTE)((x + y * 3) % entries));
        pal.SetCodecOption(1, ImageTypePNG);  // interlaced
        CRasterImage palBack;
        ASSERT_TRUE(DecodePng(EncodePng(pal), palBack));
        EXPECT_EQ(pal.GetBpp(), palBack.GetBpp());
        EXPECT_EQ(1, palBack.GetCodecOption(ImageTypePNG) & 1);
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 11; x++)
                ASSERT_EQ(pal.GetPixelIndex(x, y), palBack.GetPixelIndex(x, y));
    }
}

TEST(PngEncode, TransparentIndexIsWrittenAsEntryZeroAndRestored)
{
    CRasterImage pal(6, 3, 8);
    for (int i = 0; i < 256; i++)
        pal.SetPaletteColor(i, (BYTE)i, (BYTE)(i / 2), (BYTE)(255 - i));
    for (int x = 0; x < 6; x++)
        pal.SetPixelIndex(x, 1, (BYTE)(x + 3));
    pal.SetTransIndex(5);
    std::vector<BYTE> before((BYTE*)pal.GetDib(), (BYTE*)pal.GetDib() + pal.GetSize());
    CRasterImage back;
    ASSERT_TRUE(DecodePng(EncodePng(pal), back));
    EXPECT_EQ(0, back.GetTransIndex());
    // Pixel (2, 1) had index 5, the transparent one: it is entry 0 in the file.
    EXPECT_EQ(0, back.GetPixelIndex(2, 1));
    EXPECT_EQ(5, back.GetPaletteColor(0).rgbRed);
    // Pixel (0, 0) had index 0, which traded places with 5.
    EXPECT_EQ(5, back.GetPixelIndex(0, 0));
    EXPECT_EQ(0, back.GetPaletteColor(5).rgbRed);
    // The caller's palette and pixels are as they were.
    std::vector<BYTE> after((BYTE*)pal.GetDib(), (BYTE*)pal.GetDib() + pal.GetSize());
    EXPECT_EQ(before, after);
}

namespace
{
// A stream that refuses everything after its first bytes.
class CRefusingStream : public CMemoryByteStream
{
public:
    explicit CRefusingStream(long limit) : m_limit(limit) {}
    size_t Write(const void* buffer, size_t size, size_t count) override
    {
        if (Tell() + (long)(size * count) > m_limit)
            return 0;
        return CMemoryByteStream::Write(buffer, size, count);
    }

private:
    long m_limit;
};
}

TEST(PngEncode, FailuresLeaveTheCallersImageIntact)
{
    CRasterImage pal(64, 64, 8);
    for (int i = 0; i < 256; i++)
        pal.SetPaletteColor(i, (BYTE)i, (BYTE)(i * 3), (BYTE)(i * 7));
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
            pal.SetPixelIndex(x, y, (BYTE)((x * 31 + y * 17) & 255));
    pal.SetTransIndex(9);
    std::vector<BYTE> before((BYTE*)pal.GetDib(), (BYTE*)pal.GetDib() + pal.GetSize());
    CRefusingStream stream(200);
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(pal.Encode(&stream, ImageTypePNG));
    EXPECT_STREQ("Error saving PNG file", pal.GetLastError());
    std::vector<BYTE> after((BYTE*)pal.GetDib(), (BYTE*)pal.GetDib() + pal.GetSize());
    EXPECT_EQ(before, after);

    // A colour palette with an alpha mask has no PNG colour type.
    CRasterImage palAlpha(4, 4, 8);
    palAlpha.SetPaletteColor(1, 10, 20, 30);
    palAlpha.CreateAlpha();
    BYTE* buffer = nullptr;
    long size = 0;
    EXPECT_FALSE(palAlpha.EncodeToMemory(buffer, size, ImageTypePNG));
    EXPECT_STREQ("Error saving PNG file", palAlpha.GetLastError());
    EXPECT_EQ(nullptr, buffer);
}

TEST(PngCodec, Expand2to4BppWidensInPlace)
{
    PngSpec layout = MakeSpec(0, 2, 9, 1);
    CRasterImage image;
    ASSERT_TRUE(DecodePng(imagetest::WritePngReference(layout), image));
    for (int x = 0; x < 9; x++)
        EXPECT_EQ(SampleAt(x, 0, 0, 3), image.GetPixelIndex(x, 0)) << x;
}
