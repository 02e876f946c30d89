// JPEG codec: round trips to files and memory, resolution, grey images, scaling, header-only
// reads, and damaged input that must fail cleanly or decode what is there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/RasterImage.h"
#include "ImageTestSupport.h"

namespace
{
std::vector<BYTE> EncodeJpeg(CRasterImage& image)
{
    BYTE* buffer = nullptr;
    long size = 0;
    if (!image.EncodeToMemory(buffer, size, ImageTypeJPG))
        return {};
    std::vector<BYTE> out(buffer, buffer + size);
    free(buffer);
    return out;
}

imagetest::JpegSpec GradientSpec(int w, int h, int components)
{
    imagetest::JpegSpec layout;
    layout.width = w;
    layout.height = h;
    layout.components = components;
    for (int y = 0; y < h; y++)
    {
        std::vector<BYTE> row;
        for (int x = 0; x < w; x++)
        {
            if (components == 1)
                row.push_back((BYTE)(x * 255 / (w - 1)));
            else
            {
                row.push_back((BYTE)(x * 255 / (w - 1)));   // red grows to the right
                row.push_back(128);
                row.push_back((BYTE)(y * 255 / (h - 1)));   // blue grows downwards (top row 0)
            }
        }
        layout.rows.push_back(row);
    }
    return layout;
}
}

TEST(JpegCodec, MemoryRoundTripKeepsSizeColoursAndOrientation)
{
    CRasterImage image(40, 24, 24);
    imagetest::FillGradient(image);
    std::vector<BYTE> data = EncodeJpeg(image);
    ASSERT_GT(data.size(), 100u);
    EXPECT_EQ(0xFF, data[0]);
    EXPECT_EQ(0xD8, data[1]);

    // libjpeg itself reads the file top-down in RGB order: check the orientation independently.
    int w = 0, h = 0, comps = 0;
    std::vector<BYTE> samples;
    ASSERT_TRUE(imagetest::ReadJpegReference(data, w, h, comps, samples));
    EXPECT_EQ(40, w);
    EXPECT_EQ(24, h);
    EXPECT_EQ(3, comps);
    RGBQUAD topLeft = image.GetPixelColor(0, 23);
    EXPECT_NEAR(topLeft.rgbRed, samples[0], 16);
    EXPECT_NEAR(topLeft.rgbBlue, samples[2], 16);
    RGBQUAD bottomRight = image.GetPixelColor(39, 0);
    size_t last = ((size_t)23 * 40 + 39) * 3;
    EXPECT_NEAR(bottomRight.rgbRed, samples[last], 16);
    EXPECT_NEAR(bottomRight.rgbBlue, samples[last + 2], 16);

    CRasterImage decoded;
    ASSERT_TRUE(decoded.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG))
        << decoded.GetLastError();
    EXPECT_EQ(40, decoded.GetWidth());
    EXPECT_EQ(24, decoded.GetHeight());
    EXPECT_EQ(24, decoded.GetBpp());
    EXPECT_EQ(ImageTypeJPG, decoded.GetType());
    EXPECT_EQ(96, decoded.GetXDPI());
    EXPECT_EQ(96, decoded.GetYDPI());
    EXPECT_LE(imagetest::MaxChannelDifference(image, decoded), 12);
}

TEST(JpegCodec, FileRoundTripAndReferenceDecode)
{
    imagetest::JpegSpec layout = GradientSpec(33, 17, 3);
    std::vector<BYTE> reference = imagetest::WriteJpegReference(layout);
    ASSERT_FALSE(reference.empty());
    std::wstring path = imagetest::TempPath(L"reference.jpg");
    ASSERT_TRUE(imagetest::WriteFileBytes(path, reference));

    CRasterImage image;
    ASSERT_TRUE(image.Load(path.c_str(), ImageTypeJPG)) << image.GetLastError();
    ASSERT_EQ(33, image.GetWidth());
    // The top file row is the last DIB row; red grows to the right, blue downwards.
    int w = 0, h = 0, comps = 0;
    std::vector<BYTE> samples;
    ASSERT_TRUE(imagetest::ReadJpegReference(reference, w, h, comps, samples));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            RGBQUAD c = image.GetPixelColor(x, h - 1 - y);
            const BYTE* s = &samples[((size_t)y * w + x) * 3];
            ASSERT_EQ(s[0], c.rgbRed) << x << "," << y;
            ASSERT_EQ(s[1], c.rgbGreen) << x << "," << y;
            ASSERT_EQ(s[2], c.rgbBlue) << x << "," << y;
        }

    std::wstring saved = imagetest::TempPath(L"saved.jpg");
    image.SetXDPI(200);
    image.SetYDPI(100);
    ASSERT_TRUE(image.Save(saved.c_str(), ImageTypeJPG)) << image.GetLastError();
    CRasterImage again;
    ASSERT_TRUE(again.Load(saved.c_str(), 0));
    EXPECT_EQ(ImageTypeJPG, again.GetType());
    EXPECT_EQ(200, again.GetXDPI());
    EXPECT_EQ(100, again.GetYDPI());
    EXPECT_LE(imagetest::MaxChannelDifference(image, again), 12);
    _wremove(path.c_str());
    _wremove(saved.c_str());
}

TEST(JpegCodec, DensityUnits)
{
    imagetest::JpegSpec layout = GradientSpec(16, 8, 3);
    layout.densityUnit = 2;
    layout.xDensity = layout.yDensity = 38;
    std::vector<BYTE> cm = imagetest::WriteJpegReference(layout);
    CRasterImage image;
    ASSERT_TRUE(image.DecodeFromMemory(cm.data(), (DWORD)cm.size(), ImageTypeJPG));
    EXPECT_EQ(97, image.GetXDPI());
    EXPECT_EQ(97, image.GetYDPI());

    layout.densityUnit = 0;
    layout.xDensity = 1;
    layout.yDensity = 2;
    std::vector<BYTE> aspect = imagetest::WriteJpegReference(layout);
    CRasterImage other;
    ASSERT_TRUE(other.DecodeFromMemory(aspect.data(), (DWORD)aspect.size(), ImageTypeJPG));
    EXPECT_EQ(96, other.GetXDPI());
    EXPECT_EQ(192, other.GetYDPI());

    layout.densityUnit = 1;
    layout.xDensity = 300;
    layout.yDensity = 0;
    std::vector<BYTE> inch = imagetest::WriteJpegReference(layout);
    CRasterImage third;
    ASSERT_TRUE(third.DecodeFromMemory(inch.data(), (DWORD)inch.size(), ImageTypeJPG));
    EXPECT_EQ(300, third.GetXDPI());
    EXPECT_EQ(96, third.GetYDPI());
}

TEST(JpegCodec, GreyImagesStayGrey)
{
    std::vector<BYTE> grey = imagetest::WriteJpegReference(GradientSpec(20, 6, 1));
    CRasterImage image;
    ASSERT_TRUE(image.DecodeFromMemory(grey.data(), (DWORD)grey.size(), ImageTypeJPG));
    EXPECT_EQ(8, image.GetBpp());
    EXPECT_EQ(256, image.GetNumColors());
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_NEAR(255, image.GetPixelIndex(19, 3), 3);

    std::vector<BYTE> saved = EncodeJpeg(image);
    int w, h, comps;
    std::vector<BYTE> samples;
    ASSERT_TRUE(imagetest::ReadJpegReference(saved, w, h, comps, samples));
    EXPECT_EQ(1, comps);
    EXPECT_NEAR(image.GetPixelIndex(10, 5), samples[10], 4);

    // A palette that is not a grey ramp cannot be written.
    CRasterImage bits(8, 8, 1);
    bits.SetGrayPalette();
    BYTE* buffer = nullptr;
    long size = 0;
    EXPECT_FALSE(bits.EncodeToMemory(buffer, size, ImageTypeJPG));
    EXPECT_STREQ("JPEG can save only RGB or GreyScale images", bits.GetLastError());
    EXPECT_EQ(nullptr, buffer);
    CRasterImage colours(8, 8, 8);
    colours.SetPaletteColor(3, 200, 0, 0);
    EXPECT_FALSE(colours.EncodeToMemory(buffer, size, ImageTypeJPG));
}

TEST(JpegCodec, QuantisedGreyOutputHasAGreyPalette)
{
    // A colour file asked for grey output, and a grey file: both quantised to 16 levels.
    struct Case
    {
        int components;
        int options;
    };
    for (Case c : {Case{3, 0x80 | 0x100}, Case{1, 0x100}, Case{1, 0x100 | 0x400}})
    {
        SCOPED_TRACE(testing::Message() << c.components << " components, options " << c.options);
        std::vector<BYTE> data = imagetest::WriteJpegReference(GradientSpec(64, 16, c.components));
        CRasterImage plain;
        plain.SetCodecOption(0x80, ImageTypeJPG);
        ASSERT_TRUE(plain.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG));
        CRasterImage image;
        image.SetCodecOption(c.options, ImageTypeJPG);
        image.SetJpegQuality(16);
        ASSERT_TRUE(image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG))
            << image.GetLastError();
        ASSERT_EQ(8, image.GetBpp());
        int used = (int)image.GetClrImportant();
        ASSERT_GE(used, 2);
        ASSERT_LE(used, 16);
        for (int i = 0; i < used; i++)
        {
            RGBQUAD entry = image.GetPaletteColor(i);
            EXPECT_EQ((int)entry.rgbRed, (int)entry.rgbGreen) << "entry " << i;
            EXPECT_EQ((int)entry.rgbRed, (int)entry.rgbBlue) << "entry " << i;
        }
        // Dithered, the levels still follow the unquantised grey on average.
        long error = 0;
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 64; x++)
            {
                int index = image.GetPixelIndex(x, y);
                ASSERT_LT(index, used);
                error += abs(image.GetPaletteColor(index).rgbRed - plain.GetPixelIndex(x, y));
            }
        EXPECT_LT(error / (64 * 16), 12);
    }
}

TEST(JpegCodec, ScaleAndHeaderOnly)
{
    std::vector<BYTE> data = imagetest::WriteJpegReference(GradientSpec(33, 17, 3));
    CRasterImage half;
    half.SetJpegScale(2);
    ASSERT_TRUE(half.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG));
    EXPECT_EQ(17, half.GetWidth());
    EXPECT_EQ(9, half.GetHeight());

    CRasterImage header;
    header.SetEscape(-1);
    ASSERT_TRUE(header.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG));
    EXPECT_EQ(33, header.GetWidth());
    EXPECT_EQ(17, header.GetHeight());
    EXPECT_EQ(ImageTypeJPG, header.GetType());
    EXPECT_FALSE(header.IsValid());

    // A cancelled decode fails and keeps the caller's text.
    CRasterImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(cancelled.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG));
}

TEST(JpegCodec, DamagedInputFailsCleanly)
{
    CRasterImage image;
    BYTE nothing[1] = {0};
    EXPECT_FALSE(image.DecodeFromMemory(nothing, 0, ImageTypeJPG));
    EXPECT_STREQ("Empty input file", image.GetLastError());

    const char text[] = "this is not a picture at all, just some text";
    EXPECT_FALSE(image.DecodeFromMemory((const BYTE*)text, sizeof(text), ImageTypeJPG));
    EXPECT_STRNE("", image.GetLastError());
    EXPECT_FALSE(image.IsValid());

    std::vector<BYTE> data = imagetest::WriteJpegReference(GradientSpec(64, 64, 3));
    // Cut inside the entropy-coded data: libjpeg ends the image early and the rest is filled.
    size_t sos = 0;
    for (size_t i = 2; i + 1 < data.size() && !sos; i++)
        if (data[i] == 0xFF && data[i + 1] == 0xDA)
            sos = i;
    ASSERT_GT(sos, 0u);
    std::vector<BYTE> cut(data.begin(), data.begin() + (sos + data.size()) / 2);
    CRasterImage truncated;
    EXPECT_TRUE(truncated.DecodeFromMemory(cut.data(), (DWORD)cut.size(), ImageTypeJPG))
        << truncated.GetLastError();
    EXPECT_EQ(64, truncated.GetWidth());
    // Cut inside the headers: a clean failure.
    std::vector<BYTE> headerCut(data.begin(), data.begin() + 30);
    CRasterImage broken;
    EXPECT_FALSE(broken.DecodeFromMemory(headerCut.data(), (DWORD)headerCut.size(), ImageTypeJPG));
    EXPECT_STRNE("", broken.GetLastError());

    // Random damage all over the file never crashes.
    unsigned seed = 12345;
    for (int round = 0; round < 40; round++)
    {
        std::vector<BYTE> damaged = data;
        for (int k = 0; k < 12; k++)
        {
            seed = seed * 1103515245 + 12345;
            size_t at = 2 + (seed >> 8) % (damaged.size() - 2);
            damaged[at] = (BYTE)(seed >> 3);
        }
        CRasterImage victim;
        victim.DecodeFromMemory(damaged.data(), (DWORD)damaged.size(), ImageTypeJPG);
    }
}

namespace
{
// A stream that takes only its first few bytes, like a full disk.
class CFullStream : public CMemoryByteStream
{
public:
    size_t Write(const void* buffer, size_t size, size_t count) override
    {
        if (Tell() + (long)(size * count) > 100)
            return 0;
        return CMemoryByteStream::Write(buffer, size, count);
    }
};
}

TEST(JpegCodec, RefusedWritesFailWithTheLibraryText)
{
    CRasterImage image(64, 64, 24);
    imagetest::FillPattern(image);
    CFullStream stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(image.Encode(&stream, ImageTypeJPG));
    EXPECT_STREQ("Output file write error --- out of disk space?", image.GetLastError());

    CRasterImage empty;
    CMemoryByteStream other;
    other.Open();
    EXPECT_FALSE(empty.Encode(&other, ImageTypeJPG));
    EXPECT_STREQ("null image!!!", empty.GetLastError());
    EXPECT_FALSE(image.Encode((CByteStream*)nullptr, ImageTypeJPG));
    EXPECT_STREQ("null file handler", image.GetLastError());
}
