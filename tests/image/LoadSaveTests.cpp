// Load and save front end: detection by content, the retry of a wrong type, error texts,
// stream positions, memory blocks and resources of the test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/PixelBlocks.h"
#include "image/RasterImage.h"
#include "ImageTestSupport.h"

namespace
{
std::vector<BYTE> SmallPng()
{
    CRasterImage image(7, 5, 24);
    imagetest::FillPattern(image);
    return imagetest::EncodeToBytes(image, ImageTypePNG);
}

std::vector<BYTE> SmallJpeg()
{
    CRasterImage image(12, 10, 24);
    imagetest::FillGradient(image);
    return imagetest::EncodeToBytes(image, ImageTypeJPG);
}
}

TEST(LoadSave, DetectsFormatsByContent)
{
    std::wstring png = imagetest::TempPath(L"detect.png");
    std::wstring jpg = imagetest::TempPath(L"detect.dat");  // the name says nothing
    ASSERT_TRUE(imagetest::WriteFileBytes(png, SmallPng()));
    ASSERT_TRUE(imagetest::WriteFileBytes(jpg, SmallJpeg()));

    CRasterImage image, first;
    ASSERT_TRUE(first.Load(png.c_str(), 0)) << first.GetLastError();
    EXPECT_EQ(ImageTypePNG, first.GetType());
    EXPECT_EQ(7, first.GetWidth());
    ASSERT_TRUE(image.Load(jpg.c_str(), 0));
    EXPECT_EQ(ImageTypeJPG, image.GetType());
    EXPECT_EQ(12, image.GetWidth());

    // A PNG asked for as JPEG fails in the JPEG codec and then loads by detection.
    CRasterImage retried;
    ASSERT_TRUE(retried.Load(png.c_str(), ImageTypeJPG));
    EXPECT_EQ(ImageTypePNG, retried.GetType());
    EXPECT_EQ(0, imagetest::MaxChannelDifference(first, retried));

    std::wstring text = imagetest::TempPath(L"text.jpg");
    std::vector<BYTE> words(200, 'w');
    ASSERT_TRUE(imagetest::WriteFileBytes(text, words));
    CRasterImage textImage;
    EXPECT_FALSE(textImage.Load(text.c_str(), ImageTypeJPG));
    EXPECT_STRNE("Decode: Unknown or wrong format", textImage.GetLastError());
    EXPECT_STRNE("", textImage.GetLastError());
    EXPECT_FALSE(textImage.Load(text.c_str(), 0));
    EXPECT_STREQ("Decode: Unknown or wrong format", textImage.GetLastError());

    CRasterImage missing;
    EXPECT_FALSE(missing.Load(imagetest::TempPath(L"does-not-exist.png").c_str(), 0));
    EXPECT_STREQ("", missing.GetLastError());
    _wremove(png.c_str());
    _wremove(jpg.c_str());
    _wremove(text.c_str());
}

TEST(LoadSave, TypesOutOfRange)
{
    std::vector<BYTE> png = SmallPng();
    CMemoryByteStream stream(png.data(), png.size());
    CRasterImage image;
    EXPECT_FALSE(image.Decode(&stream, 9));
    EXPECT_STREQ("Decode: Unknown or wrong format", image.GetLastError());
    EXPECT_EQ(0, stream.Tell());
    // Each other codec refuses the PNG and leaves the stream where it was.
    for (int type : {ImageTypeBMP, ImageTypeGIF, ImageTypeICO, ImageTypeJPG})
    {
        SCOPED_TRACE(type);
        EXPECT_FALSE(image.Decode(&stream, type));
        EXPECT_EQ(0, stream.Tell());
    }
    CRasterImage picture(4, 4, 24);
    CMemoryByteStream out;
    out.Open();
    EXPECT_FALSE(picture.Encode(&out, 0));
    EXPECT_STREQ("Encode: Unknown format", picture.GetLastError());
    EXPECT_FALSE(picture.Encode(&out, 7));
    EXPECT_FALSE(image.Decode((CByteStream*)nullptr, 0));
    EXPECT_STREQ("null file handler", image.GetLastError());
}

TEST(LoadSave, FailedAttemptRewindsToWhereDecodingBegan)
{
    std::vector<BYTE> png = SmallPng();
    std::vector<BYTE> block(37 + png.size(), 0xCC);
    memcpy(block.data() + 37, png.data(), png.size());
    CMemoryByteStream stream(block.data(), block.size());
    stream.Seek(37, SEEK_SET);
    CRasterImage image;
    // JPEG reads and fails first; PNG must still find its signature at offset 37.
    ASSERT_TRUE(image.Decode(&stream, 0)) << image.GetLastError();
    EXPECT_EQ(ImageTypePNG, image.GetType());
    EXPECT_EQ(7, image.GetWidth());
}

TEST(LoadSave, MemoryBlocksAndTheirOwnership)
{
    CRasterImage image(30, 20, 24);
    imagetest::FillGradient(image);
    BYTE* buffer = nullptr;
    long size = 0;
    ASSERT_TRUE(image.EncodeToMemory(buffer, size, ImageTypeJPG));
    ASSERT_NE(nullptr, buffer);
    EXPECT_GT(size, 0);
    // A second call with the block still held is refused.
    BYTE* held = buffer;
    EXPECT_FALSE(image.EncodeToMemory(buffer, size, ImageTypeJPG));
    EXPECT_STREQ("the buffer must be empty", image.GetLastError());
    EXPECT_EQ(held, buffer);

    CRasterImage decoded;
    ASSERT_TRUE(decoded.DecodeFromMemory(buffer, (DWORD)size, ImageTypeJPG));
    EXPECT_EQ(30, decoded.GetWidth());
    EXPECT_EQ(20, decoded.GetHeight());
    // The block stays the caller's and is released with free.
    EXPECT_EQ(0xFF, buffer[0]);
    free(buffer);

    CRasterImage empty;
    BYTE* none = nullptr;
    EXPECT_FALSE(empty.EncodeToMemory(none, size, ImageTypePNG));
    EXPECT_STREQ("null image!!!", empty.GetLastError());
    EXPECT_EQ(nullptr, none);
    EXPECT_FALSE(empty.DecodeFromMemory(nullptr, 10, 0));
}

TEST(LoadSave, SaveToFileAndToAnOpenFile)
{
    CRasterImage image(9, 9, 24);
    imagetest::FillPattern(image);
    std::wstring path = imagetest::TempPath(L"saved.png");
    ASSERT_TRUE(image.Save(path.c_str(), ImageTypePNG));
    std::vector<BYTE> bytes = imagetest::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(0x89, bytes[0]);
    EXPECT_EQ('P', bytes[1]);

    FILE* file = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(nullptr, file);
    CRasterImage loaded;
    EXPECT_TRUE(loaded.Decode(file, 0));
    fclose(file);
    EXPECT_EQ(0, imagetest::MaxChannelDifference(image, loaded));

    EXPECT_FALSE(image.Save(L"Z:\\no\\such\\folder\\x.png", ImageTypePNG));
    EXPECT_FALSE(image.Encode((FILE*)nullptr, ImageTypePNG));
    _wremove(path.c_str());
}

TEST(LoadSave, ResourceOfTheTestProgram)
{
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(self, L"TESTPNG", (LPCWSTR)RT_RCDATA);
    if (!resource)
        GTEST_SKIP() << "the test program carries no PNG resource";
    CRasterImage image;
    ASSERT_TRUE(image.LoadResource(resource, ImageTypePNG, self)) << image.GetLastError();
    EXPECT_EQ(ImageTypePNG, image.GetType());
    EXPECT_EQ(5, image.GetWidth());
    EXPECT_EQ(3, image.GetHeight());
    ASSERT_TRUE(image.AlphaIsValid());
    // Top-left pixel of the file is red, half transparent; top-right opaque blue.
    RGBQUAD topLeft = image.GetPixelColor(0, 2, true);
    EXPECT_EQ(255, topLeft.rgbRed);
    EXPECT_EQ(0, topLeft.rgbBlue);
    EXPECT_EQ(128, topLeft.rgbReserved);
    RGBQUAD topRight = image.GetPixelColor(4, 2, true);
    EXPECT_EQ(255, topRight.rgbBlue);
    EXPECT_EQ(255, topRight.rgbReserved);
    // A null module means the program itself.
    CRasterImage again;
    EXPECT_TRUE(again.LoadResource(resource, 0, nullptr));
    EXPECT_EQ(5, again.GetWidth());
    CRasterImage none;
    EXPECT_FALSE(none.LoadResource(nullptr, ImageTypePNG, self));
}

namespace
{
bool DecodeBytes(CRasterImage& image, const std::vector<BYTE>& data, int type)
{
    return !data.empty() && image.DecodeFromMemory(data.data(), (DWORD)data.size(), type);
}

// A 300-dpi PNG with a transparent colour and a four-entry palette counted as important.
std::vector<BYTE> DescribedPalettePng()
{
    imagetest::PngSpec layout;
    layout.colorType = 3;
    layout.palette = {10, 20, 30, 200, 0, 0, 0, 200, 0, 0, 0, 200};
    layout.transAlpha = {0};
    layout.phys = true;
    layout.physX = layout.physY = 11811;
    layout.physUnit = 1;
    for (int y = 0; y < layout.height; y++)
        layout.rows.push_back({0, 1, 2, 3});
    return imagetest::WritePngReference(layout);
}
}

// A reused object must not carry what the previous picture said about itself into the next.
TEST(Reuse, DecodeStartsFromTheFileAlone)
{
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, DescribedPalettePng(), ImageTypePNG)) << image.GetLastError();
    ASSERT_EQ(300, image.GetXDPI());
    ASSERT_EQ(4u, image.GetClrImportant());
    ASSERT_TRUE(image.IsTransparent());

    // A GIF says nothing about its resolution; a JFIF with only an aspect ratio neither.
    CRasterImage gifSource(5, 4, 8);
    gifSource.SetGrayPalette();
    std::vector<BYTE> gif = imagetest::EncodeToBytes(gifSource, ImageTypeGIF);
    ASSERT_TRUE(DecodeBytes(image, gif, ImageTypeGIF)) << image.GetLastError();
    EXPECT_EQ(96, image.GetXDPI());
    EXPECT_EQ(96, image.GetYDPI());
    EXPECT_FALSE(image.IsTransparent());
    EXPECT_EQ(0u, image.GetClrImportant());

    ASSERT_TRUE(DecodeBytes(image, DescribedPalettePng(), ImageTypePNG));
    imagetest::JpegSpec layout;
    layout.densityUnit = 0;
    layout.xDensity = layout.yDensity = 1;
    for (int y = 0; y < layout.height; y++)
        layout.rows.push_back(std::vector<BYTE>(layout.width * 3, 90));
    ASSERT_TRUE(DecodeBytes(image, imagetest::WriteJpegReference(layout), 0)) << image.GetLastError();
    EXPECT_EQ(ImageTypeJPG, image.GetType());
    EXPECT_EQ(96, image.GetXDPI());
    EXPECT_EQ(96, image.GetYDPI());
    EXPECT_FALSE(image.IsTransparent());
    EXPECT_FALSE(image.HasPaletteAlpha());

    // The caller's options still reach the codec.
    CRasterImage big(32, 16, 24);
    imagetest::FillGradient(big);
    std::vector<BYTE> jpeg = imagetest::EncodeToBytes(big, ImageTypeJPG);
    image.SetJpegScale(2);
    ASSERT_TRUE(DecodeBytes(image, jpeg, ImageTypeJPG));
    EXPECT_EQ(16, image.GetWidth());
    EXPECT_EQ(2, image.GetJpegScale());
}

TEST(Reuse, CreateAfterAPictureOrDestroyStartsFresh)
{
    for (bool destroyFirst : {false, true})
    {
        SCOPED_TRACE(destroyFirst ? "after Destroy" : "over the old picture");
        CRasterImage image;
        ASSERT_TRUE(DecodeBytes(image, DescribedPalettePng(), ImageTypePNG));
        if (destroyFirst)
        {
            ASSERT_TRUE(image.Destroy());
            EXPECT_EQ(0, image.GetWidth());
        }
        ASSERT_NE(nullptr, image.Create(16, 4, 8, ImageTypePNG));
        EXPECT_FALSE(image.IsTransparent());
        EXPECT_EQ(96, image.GetXDPI());
        EXPECT_EQ(0u, image.GetClrImportant());
        // A colour palette of 256 entries, all of them used: it must survive a PNG round trip.
        for (int i = 0; i < 256; i++)
            image.SetPaletteColor(i, (BYTE)i, (BYTE)(255 - i), (BYTE)(i * 3));
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 16; x++)
                image.SetPixelIndex(x, y, (BYTE)(y * 64 + x * 4));
        std::vector<BYTE> png = imagetest::EncodeToBytes(image, ImageTypePNG);
        CRasterImage back;
        ASSERT_TRUE(DecodeBytes(back, png, ImageTypePNG)) << back.GetLastError();
        EXPECT_EQ(0, imagetest::MaxChannelDifference(image, back));
        EXPECT_FALSE(back.IsTransparent());
    }
    // What is prepared on an empty object is kept for the picture made on it.
    CRasterImage prepared;
    prepared.SetXDPI(200);
    ASSERT_NE(nullptr, prepared.Create(2, 2, 24));
    EXPECT_EQ(200, prepared.GetXDPI());
}

// Decoders write straight into a pixel block that a released picture may have used before:
// every byte, row padding included, must come out as from fresh memory.
TEST(Reuse, DecodersFillEveryByteOfAReusedBlock)
{
    struct Case
    {
        const char* name;
        std::vector<BYTE> data;
        int bpp;
    };
    std::vector<Case> cases;
    {
        imagetest::JpegSpec colour;
        colour.width = 1001;
        colour.height = 400;
        imagetest::JpegSpec grey = colour;
        grey.width = 1501;
        grey.height = 700;
        grey.components = 1;
        for (imagetest::JpegSpec* layout : {&colour, &grey})
            for (int y = 0; y < layout->height; y++)
            {
                std::vector<BYTE> row;
                for (int x = 0; x < layout->width * layout->components; x++)
                    row.push_back((BYTE)(x * 7 + y * 3));
                layout->rows.push_back(row);
            }
        cases.push_back({"colour JPEG", imagetest::WriteJpegReference(colour), 24});
        cases.push_back({"grey JPEG", imagetest::WriteJpegReference(grey), 8});
    }
    {
        imagetest::PngSpec rgb;
        rgb.width = 1001;
        rgb.height = 400;
        imagetest::PngSpec rgba = rgb;
        rgba.colorType = 6;
        imagetest::PngSpec twoBit = rgb;
        twoBit.width = 2101;
        twoBit.height = 1001;
        twoBit.colorType = 0;
        twoBit.bitDepth = 2;
        twoBit.interlaced = true;
        for (imagetest::PngSpec* layout : {&rgb, &rgba, &twoBit})
        {
            int bytes = layout->colorType == 0 ? (layout->width + 3) / 4
                                             : layout->width * (layout->colorType == 6 ? 4 : 3);
            for (int y = 0; y < layout->height; y++)
            {
                std::vector<BYTE> row;
                for (int x = 0; x < bytes; x++)
                    row.push_back((BYTE)(x * 5 + y));
                layout->rows.push_back(row);
            }
        }
        cases.push_back({"RGB PNG", imagetest::WritePngReference(rgb), 24});
        cases.push_back({"RGBA PNG", imagetest::WritePngReference(rgba), 24});
        cases.push_back({"interlaced 2-bit PNG", imagetest::WritePngReference(twoBit), 4});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        detail::ReleaseSparePixelBlock();
        CRasterImage fresh;
        ASSERT_TRUE(DecodeBytes(fresh, c.data, 0)) << fresh.GetLastError();
        ASSERT_EQ(c.bpp, fresh.GetBpp());
        // A picture of the same block size, dirty all over, released just before the decode.
        CRasterImage dirty(fresh.GetWidth(), fresh.GetHeight(), c.bpp);
        memset(dirty.GetBits(0), 0xA5, dirty.GetHeader().biSizeImage);
        void* block = dirty.GetDib();
        dirty.Destroy();
        CRasterImage reused;
        ASSERT_TRUE(DecodeBytes(reused, c.data, 0)) << reused.GetLastError();
        EXPECT_EQ(block, reused.GetDib());
        ASSERT_EQ(fresh.GetHeader().biSizeImage, reused.GetHeader().biSizeImage);
        EXPECT_EQ(0, memcmp(fresh.GetBits(0), reused.GetBits(0), fresh.GetHeader().biSizeImage));
    }
}
