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
    return imagetest::EncodeToBytes(image, ImageTypeJPG);
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

namespace
{
// Detail in every 8 x 8 block, so that upsampling and scaled transforms all matter.
imagetest::JpegSpec NoisyLayout(int w, int h, int components)
{
    imagetest::JpegSpec layout;
    layout.width = w;
    layout.height = h;
    layout.components = components;
    layout.quality = 85;
    unsigned seed = 77;
    for (int y = 0; y < h; y++)
    {
        std::vector<BYTE> row;
        for (int x = 0; x < w * components; x++)
        {
            seed = seed * 1103515245u + 12345u;
            row.push_back((BYTE)((x * 13 + y * 7) % 200 + (int)((seed >> 16) % 56)));
        }
        layout.rows.push_back(row);
    }
    return layout;
}

// The codec's picture against libjpeg's own output of the same file: red-green-blue (or grey)
// rows from the top, CMYK blended by its black as the codec does.
void ExpectLibjpegPixels(const std::vector<BYTE>& data, const CRasterImage& image,
                         const imagetest::JpegReadSettings& settings)
{
    int w = 0, h = 0, comps = 0;
    std::vector<BYTE> samples;
    ASSERT_TRUE(imagetest::ReadJpegReference(data, w, h, comps, samples, settings));
    ASSERT_EQ(w, image.GetWidth());
    ASSERT_EQ(h, image.GetHeight());
    ASSERT_EQ(comps == 1 ? 8 : 24, image.GetBpp());
    for (int y = 0; y < h; y++)
    {
        const BYTE* row = image.GetBits(h - 1 - y);
        for (int x = 0; x < w; x++)
        {
            const BYTE* s = &samples[((size_t)y * w + x) * comps];
            BYTE expected[3];
            int n = 3;
            if (comps == 1)
            {
                expected[0] = s[0];
                n = 1;
            }
            else if (comps == 3)
            {
                expected[0] = s[2];
                expected[1] = s[1];
                expected[2] = s[0];
            }
            else
            {
                expected[0] = (BYTE)(s[2] * s[3] / 255);
                expected[1] = (BYTE)(s[1] * s[3] / 255);
                expected[2] = (BYTE)(s[0] * s[3] / 255);
            }
            for (int c = 0; c < n; c++)
                ASSERT_EQ((int)expected[c], (int)row[x * n + c]) << "pixel " << x << "," << y;
        }
    }
}
}

TEST(JpegCodec, DecodesLibjpegsOwnPixels)
{
    struct File
    {
        const char* name;
        imagetest::JpegSpec layout;
    };
    std::vector<File> files = {{"colour 4:2:0", NoisyLayout(61, 37, 3)},
                               {"colour 4:2:2", NoisyLayout(50, 21, 3)},
                               {"colour 4:4:4", NoisyLayout(35, 18, 3)},
                               {"grey", NoisyLayout(45, 19, 1)},
                               {"cmyk", NoisyLayout(29, 22, 4)},
                               {"ycck", NoisyLayout(29, 22, 4)}};
    files[1].layout.lumaV = 1;
    files[2].layout.lumaH = files[2].layout.lumaV = 1;
    files[5].layout.ycck = true;
    for (const File& file : files)
    {
        std::vector<BYTE> data = imagetest::WriteJpegReference(file.layout);
        ASSERT_FALSE(data.empty()) << file.name;
        for (int scale : {1, 2, 3, 4, 8})
            for (int options : {0, 0x800, 0x80})
            {
                SCOPED_TRACE(testing::Message() << file.name << ", scale 1/" << scale
                                                << ", options " << options);
                CRasterImage image;
                image.SetJpegScale((BYTE)scale);
                image.SetCodecOption(options, ImageTypeJPG);
                if (!image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeJPG))
                {
                    // Grey output of a four-component file is a conversion libjpeg refuses.
                    EXPECT_TRUE(options == 0x80 && file.layout.components == 4)
                        << image.GetLastError();
                    continue;
                }
                imagetest::JpegReadSettings settings;
                settings.scaleDenom = scale;
                settings.fancyUpsampling = (options & 0x800) == 0;
                settings.greyOutput = (options & 0x80) != 0;
                ExpectLibjpegPixels(data, image, settings);
            }
    }
}

TEST(JpegCodec, EncodesTheBytesLibjpegMakesOfTheSameRows)
{
    // Our encoder against libjpeg given the picture's rows as red-green-blue (or grey) from the
    // top, with the same quality, sampling and density: the files must be identical.
    struct Case
    {
        int bpp;
        int options;
        int lumaH, lumaV;
    };
    for (Case c : {Case{24, 0, 2, 2}, Case{24, 0x1000, 2, 1}, Case{24, 0x2000, 1, 1}, Case{8, 0, 2, 2}})
    {
        SCOPED_TRACE(testing::Message() << c.bpp << " bpp, options " << c.options);
        CRasterImage image(61, 37, c.bpp);
        if (c.bpp == 8)
            image.SetGrayPalette();
        unsigned seed = 3;
        for (int y = 0; y < 37; y++)
            for (int x = 0; x < image.GetStride(); x++)
            {
                seed = seed * 1103515245u + 12345u;
                image.GetBits(y)[x] = (BYTE)((x * 3 + y * 5) % 180 + (int)((seed >> 16) % 60));
            }
        image.SetCodecOption(c.options, ImageTypeJPG);
        std::vector<BYTE> ours = EncodeJpeg(image);
        ASSERT_FALSE(ours.empty()) << image.GetLastError();

        imagetest::JpegSpec layout;
        layout.width = 61;
        layout.height = 37;
        layout.components = c.bpp == 8 ? 1 : 3;
        layout.quality = 90;
        layout.lumaH = c.lumaH;
        layout.lumaV = c.lumaV;
        for (int y = 36; y >= 0; y--)
        {
            const BYTE* row = image.GetBits(y);
            std::vector<BYTE> samples;
            for (int x = 0; x < 61; x++)
            {
                if (c.bpp == 8)
                {
                    samples.push_back(row[x]);
                    continue;
                }
                samples.push_back(row[x * 3 + 2]);
                samples.push_back(row[x * 3 + 1]);
                samples.push_back(row[x * 3]);
            }
            layout.rows.push_back(samples);
        }
        std::vector<BYTE> reference = imagetest::WriteJpegReference(layout);
        ASSERT_EQ(reference.size(), ours.size());
        EXPECT_TRUE(reference == ours);
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
