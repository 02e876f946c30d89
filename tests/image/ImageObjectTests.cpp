// Image object: creation limits and roundings, copying, hand-over, palette, pixels, resolution.
#include <gtest/gtest.h>

#include <cstring>

#include "image/RasterImage.h"
#include "ImageTestSupport.h"

namespace
{
RGBQUAD Rgb(BYTE r, BYTE g, BYTE b, BYTE a = 0)
{
    RGBQUAD c = {b, g, r, a};
    return c;
}

bool SameColor(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// Exposes the encoders' shallow copy so that its rules can be checked.
class CShallowProbe : public CRasterImage
{
public:
    void ShareFrom(CRasterImage* source) { MakeShallowCopy(source); }
};
}

TEST(ImageCreate, RoundsBitDepthAndComputesStride)
{
    CRasterImage image;
    ASSERT_NE(nullptr, image.Create(3, 2, 16, 0));
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(12, image.GetStride());
    EXPECT_EQ(0, image.GetNumColors());
    EXPECT_EQ(nullptr, image.GetPalette());

    ASSERT_NE(nullptr, image.Create(5, 1, 2, 0));
    EXPECT_EQ(4, image.GetBpp());
    EXPECT_EQ(16, image.GetNumColors());
    EXPECT_EQ(4, image.GetStride());

    ASSERT_NE(nullptr, image.Create(33, 3, 1, 0));
    EXPECT_EQ(8, image.GetStride());
    ASSERT_NE(nullptr, image.Create(7, 3, 6, 0));
    EXPECT_EQ(8, image.GetBpp());
    EXPECT_EQ(8, image.GetStride());
    EXPECT_EQ(40u + 256 * 4 + 8 * 3, image.GetSize());
    // The header inside the block matches the object's header.
    EXPECT_EQ(0, memcmp(image.GetDib(), &image.GetHeader(), sizeof(BITMAPINFOHEADER)));
    EXPECT_EQ((BYTE*)image.GetDib() + 40 + 1024, image.GetBits(0));
}

TEST(ImageCreate, RefusesBadSizesWithTheirTexts)
{
    CRasterImage image;
    EXPECT_EQ(nullptr, image.Create(0, 5, 24, 0));
    EXPECT_STREQ("CRasterImage::Create : width and height must be greater than zero",
                 image.GetLastError());
    EXPECT_EQ(nullptr, image.Create(5, -3, 24, 0));
    EXPECT_STREQ("CRasterImage::Create : width and height must be greater than zero",
                 image.GetLastError());
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(nullptr, image.Create(20000, 20000, 24, 0));
    EXPECT_STREQ("IMAGE_MAX_MEMORY exceeded", image.GetLastError());
    EXPECT_EQ(nullptr, image.Create(-2, 10, 8, 0));
    EXPECT_STREQ("IMAGE_MAX_MEMORY exceeded", image.GetLastError());
}

TEST(ImageCreate, LargestAllowedSizeAndZeroedPixels)
{
    CRasterImage image;
    // Exactly 256 MiB of pixels passes the limit (the allocation itself may still fail).
    BYTE* block = image.Create(16384, 16384, 8, 0);
    if (!block)
    {
        EXPECT_STREQ("CRasterImage::Create can't allocate memory", image.GetLastError());
    }
    image.Destroy();

    // Fresh pixels are zero even when the heap handed out a dirty block before.
    for (int round = 0; round < 3; round++)
    {
        ASSERT_NE(nullptr, image.Create(64, 64, 24, 0));
        for (int y = 0; y < 64; y++)
        {
            const BYTE* row = image.GetBits(y);
            for (int i = 0; i < 64 * 3; i++)
                ASSERT_EQ(0, row[i]) << "row " << y;
        }
        memset(image.GetBits(0), 0xAB, image.GetStride() * 64);
    }
}

namespace
{
bool AllZero(const CRasterImage& image)
{
    const BYTE* bits = image.GetBits(0);
    for (DWORD i = 0; i < image.GetHeader().biSizeImage; i++)
        if (bits[i])
            return false;
    return true;
}

DWORD WINAPI CreateAndDirtyLargePictures(void* failures)
{
    for (int round = 0; round < 60; round++)
    {
        CRasterImage image(1024, 600 + round % 3, 24);
        if (!image.IsValid() || !AllZero(image))
            InterlockedIncrement((LONG*)failures);
        memset(image.GetBits(0), 0x5A, image.GetHeader().biSizeImage);
    }
    return 0;
}
}

TEST(ImageCreate, LargePicturesReuseAReleasedBlockWiped)
{
    // A frame-sized picture released and made again gets the same block back, zeroed.
    CRasterImage first(1920, 1080, 24);
    ASSERT_TRUE(first.IsValid());
    void* block = first.GetDib();
    memset(first.GetBits(0), 0xAB, first.GetHeader().biSizeImage);
    first.Destroy();
    CRasterImage second(1920, 1080, 24);
    ASSERT_TRUE(second.IsValid());
    EXPECT_EQ(block, second.GetDib());
    EXPECT_TRUE(AllZero(second));
    // A picture of another size starts zeroed too.
    memset(second.GetBits(0), 0xAB, second.GetHeader().biSizeImage);
    second.Destroy();
    CRasterImage smaller(1000, 600, 24);
    EXPECT_TRUE(AllZero(smaller));

    // Threads making and releasing pictures never share a block.
    LONG failures = 0;
    HANDLE threads[3];
    for (HANDLE& thread : threads)
        thread = CreateThread(nullptr, 0, CreateAndDirtyLargePictures, &failures, 0, nullptr);
    for (HANDLE thread : threads)
    {
        ASSERT_NE(nullptr, thread);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
        CloseHandle(thread);
    }
    EXPECT_EQ(0, failures);
}

TEST(ImageCreate, ShallowCopyRefusesCreateAndKeepsError)
{
    CRasterImage owner(4, 4, 24);
    CShallowProbe probe;
    probe.ShareFrom(&owner);
    EXPECT_EQ(owner.GetDib(), probe.GetDib());
    EXPECT_EQ(nullptr, probe.Create(8, 8, 24, 0));
    EXPECT_STREQ("", probe.GetLastError());
    EXPECT_FALSE(probe.Destroy());
    EXPECT_FALSE(probe.DestroyFrames());
    // Copying into a shallow copy must not free the shared block.
    CRasterImage other(2, 2, 8);
    probe.Copy(other);
    EXPECT_EQ(owner.GetDib(), probe.GetDib());
    // Taking over from a shallow copy would make two owners of one block.
    CRasterImage taker;
    EXPECT_FALSE(taker.TakeOver(probe));
    EXPECT_TRUE(owner.IsValid());
}

TEST(ImageCopy, CopyTakeOverAndCopyInfo)
{
    CRasterImage source(6, 5, 24, ImageTypeJPG);
    imagetest::FillPattern(source);
    source.CreateAlpha();
    source.AlphaSet(2, 3, 77);
    source.SetXDPI(150);

    CRasterImage copy(source, true, true, true);
    EXPECT_EQ(6, copy.GetWidth());
    EXPECT_EQ(ImageTypeJPG, copy.GetType());
    EXPECT_EQ(150, copy.GetXDPI());
    EXPECT_NE(source.GetDib(), copy.GetDib());
    EXPECT_TRUE(SameColor(imagetest::PatternColor(4, 1), copy.GetPixelColor(4, 1)));
    EXPECT_EQ(77, copy.AlphaGet(2, 3));

    CRasterImage noPixels(source, false, false, false);
    EXPECT_TRUE(noPixels.IsValid());
    EXPECT_FALSE(noPixels.AlphaIsValid());

    CRasterImage taker;
    void* block = copy.GetDib();
    EXPECT_TRUE(taker.TakeOver(copy));
    EXPECT_EQ(block, taker.GetDib());
    EXPECT_EQ(0, copy.GetWidth());
    EXPECT_FALSE(copy.IsValid());
    EXPECT_EQ(77, taker.AlphaGet(2, 3));

    // CopyInfo hands options over but never the source's buffer pointers.
    CRasterImage options;
    options.CopyInfo(source);
    EXPECT_EQ(nullptr, options.GetInfo().pixels);
    EXPECT_EQ(nullptr, options.GetInfo().shallowSource);
    EXPECT_EQ(150, options.GetXDPI());
    EXPECT_EQ(nullptr, options.GetBits(0));
    // ...and only while the target is empty.
    CRasterImage valid(2, 2, 24);
    valid.CopyInfo(source);
    EXPECT_EQ(96, valid.GetXDPI());
}

TEST(ImageInfo, TypesOptionsAndDpi)
{
    CRasterImage image(9);
    EXPECT_EQ(0, image.GetType());
    EXPECT_TRUE(image.SetType(4));
    EXPECT_EQ(4, image.GetType());
    EXPECT_FALSE(image.SetType(6));
    EXPECT_EQ(0, image.GetType());
    EXPECT_EQ(90, image.GetJpegQuality());
    image.SetJpegQuality(74.6f);
    EXPECT_EQ(75, image.GetJpegQuality());
    EXPECT_EQ(1, image.GetJpegScale());

    image.SetType(3);
    EXPECT_TRUE(image.SetCodecOption(0x10, 0));
    EXPECT_EQ(0x10, image.GetCodecOption(3));
    EXPECT_TRUE(image.SetCodecOption(5, 4));
    EXPECT_EQ(5, image.GetCodecOption(4));
    EXPECT_EQ(0x10, image.GetCodecOption(9));

    image.SetXDPI(0);
    EXPECT_EQ(96, image.GetXDPI());
    EXPECT_EQ(3780, image.GetHeader().biXPelsPerMeter);
    image.SetXDPI(-5);
    EXPECT_EQ(96, image.GetXDPI());
    image.SetYDPI(72);
    EXPECT_EQ(2835, image.GetHeader().biYPelsPerMeter);
    image.Create(2, 2, 24, 3);
    image.SetXDPI(300);
    EXPECT_EQ(11811, ((BITMAPINFOHEADER*)image.GetDib())->biXPelsPerMeter);
}

TEST(ImagePalette, SettersGraysAndSwap)
{
    CRasterImage image(4, 2, 8);
    image.SetGrayPalette();
    EXPECT_TRUE(image.IsGrayScale());
    EXPECT_EQ(255, image.GetPaletteColor(255).rgbRed);
    EXPECT_EQ(0, image.GetPaletteColor(256).rgbRed + image.GetPaletteColor(-1).rgbBlue);

    CRasterImage four(4, 2, 4);
    four.SetGrayPalette();
    EXPECT_EQ(17, four.GetPaletteColor(1).rgbGreen);
    EXPECT_EQ(255, four.GetPaletteColor(15).rgbGreen);
    EXPECT_FALSE(four.IsGrayScale());
    CRasterImage one(4, 2, 1);
    one.SetGrayPalette();
    EXPECT_EQ(255, one.GetPaletteColor(1).rgbBlue);

    BYTE red[3] = {10, 20, 30};
    four.SetPalette(3, red);
    EXPECT_TRUE(SameColor(Rgb(20, 20, 20), four.GetPaletteColor(1)));
    BYTE triples[6] = {1, 2, 3, 4, 5, 6};
    four.SetPalette(triples, 2);
    EXPECT_TRUE(SameColor(Rgb(4, 5, 6), four.GetPaletteColor(1)));
    BYTE r, g, b;
    EXPECT_TRUE(four.GetPaletteColor(1, &r, &g, &b));
    EXPECT_EQ(4, r);
    EXPECT_FALSE(four.GetPaletteColor(16, &r, &g, &b));
    four.SetPaletteColor(16 + 256, 9, 9, 9);  // taken modulo 256, then out of range
    EXPECT_TRUE(SameColor(Rgb(1, 2, 3), four.GetPaletteColor(0)));

    four.SetPixelIndex(0, 0, 0);
    four.SetPixelIndex(1, 0, 1);
    four.SetPixelIndex(2, 1, 1);
    four.SwapIndex(0, 1);
    EXPECT_EQ(1, four.GetPixelIndex(0, 0));
    EXPECT_EQ(0, four.GetPixelIndex(1, 0));
    EXPECT_EQ(0, four.GetPixelIndex(2, 1));
    EXPECT_TRUE(SameColor(Rgb(4, 5, 6), four.GetPaletteColor(0)));

    four.SetClrImportant(300);
    EXPECT_EQ(0u, four.GetClrImportant());
    four.SetClrImportant(40);
    EXPECT_EQ(16u, four.GetClrImportant());
    one.SetClrImportant(5);
    EXPECT_EQ(2u, one.GetClrImportant());
}

TEST(ImagePalette, NearestIndexCacheFollowsPaletteChanges)
{
    CRasterImage image(2, 2, 4);
    image.SetPaletteColor(3, 200, 10, 10);
    image.SetPaletteColor(5, 200, 10, 10);
    EXPECT_EQ(3, image.GetNearestIndex(Rgb(198, 12, 10)));
    EXPECT_EQ(3, image.GetNearestIndex(Rgb(198, 12, 10)));
    // Every palette change forgets the cached answer.
    image.SetPaletteColor(3, 0, 0, 0);
    EXPECT_EQ(5, image.GetNearestIndex(Rgb(198, 12, 10)));
    image.SwapIndex(5, 7);
    EXPECT_EQ(7, image.GetNearestIndex(Rgb(198, 12, 10)));
    RGBQUAD entries[16] = {};
    entries[9] = Rgb(198, 12, 10);
    image.SetPalette(entries, 16);
    EXPECT_EQ(9, image.GetNearestIndex(Rgb(198, 12, 10)));
    image.SetClrImportant(4);
    EXPECT_EQ(0, image.GetNearestIndex(Rgb(198, 12, 10)));
    // A new block has a zeroed palette: the old answer must not survive Create.
    image.Create(2, 2, 4);
    image.SetPaletteColor(2, 198, 12, 10);
    EXPECT_EQ(2, image.GetNearestIndex(Rgb(198, 12, 10)));
    image.Create(2, 2, 4);
    EXPECT_EQ(0, image.GetNearestIndex(Rgb(198, 12, 10)));
}

TEST(ImagePixels, IndexAndColorAccess)
{
    CRasterImage one(10, 2, 1);
    one.SetPixelIndex(9, 1, 1);
    EXPECT_EQ(1, one.GetPixelIndex(9, 1));
    EXPECT_EQ(0x40, one.GetBits(1)[1]);
    CRasterImage four(3, 1, 4);
    four.SetPixelIndex(0, 0, 0xA);
    four.SetPixelIndex(1, 0, 0x5);
    EXPECT_EQ(0xA5, four.GetBits(0)[0]);
    four.SetPixelIndex(5, 0, 3);  // outside: ignored
    EXPECT_EQ(0xA5, four.GetBits(0)[0]);
    EXPECT_EQ(0xA5, four.GetPixelIndex(-1, 0));  // outside without transparent index: first byte
    four.SetTransIndex(2);
    EXPECT_EQ(2, four.GetPixelIndex(-1, 0));
    four.SetTransIndex(99);
    EXPECT_EQ(0, four.GetTransIndex());

    CRasterImage rgb(3, 2, 24);
    rgb.SetPixelColor(1, 1, RGB(10, 20, 30));
    RGBQUAD c = rgb.GetPixelColor(1, 1);
    EXPECT_TRUE(SameColor(Rgb(10, 20, 30), c));
    EXPECT_EQ(30, rgb.GetBits(1)[3]);
    rgb.SetPixelColor(0, 0, Rgb(1, 2, 3));
    rgb.CreateAlpha();
    rgb.AlphaSet(0, 0, 33);
    // Outside, without transparent index: pixel (0, 0) with its alpha.
    RGBQUAD outside = rgb.GetPixelColor(-1, 0, true);
    EXPECT_TRUE(SameColor(Rgb(1, 2, 3), outside));
    EXPECT_EQ(33, outside.rgbReserved);
    rgb.SetPixelColor(2, 0, Rgb(5, 6, 7, 99), true);
    EXPECT_EQ(99, rgb.AlphaGet(2, 0));
    rgb.SetTransIndex(0);
    rgb.SetTransColor(Rgb(50, 60, 70, 8));
    EXPECT_EQ(0, rgb.GetTransColor().rgbReserved);
    EXPECT_TRUE(SameColor(Rgb(50, 60, 70), rgb.GetPixelColor(7, 7)));
    EXPECT_TRUE(rgb.IsTransparent());

    CRasterImage pal(2, 2, 8);
    pal.SetPaletteColor(0, 0, 0, 0);
    pal.SetPaletteColor(1, 250, 0, 0);
    pal.SetPaletteColor(2, 0, 0, 250);
    pal.SetPixelColor(1, 0, RGB(240, 5, 5));
    EXPECT_EQ(1, pal.GetPixelIndex(1, 0));
    EXPECT_EQ(nullptr, pal.GetPixelPointer(0, 0));
    EXPECT_EQ(rgb.GetBits(1) + 3, rgb.GetPixelPointer(1, 1));

    BYTE buffer[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    rgb.SwapRedBlue(buffer, 9);  // limited to width * 3 = 9 bytes and the stride (12)
    EXPECT_EQ(3, buffer[0]);
    EXPECT_EQ(1, buffer[2]);
    EXPECT_EQ(9, buffer[6]);
    BYTE short4[4] = {1, 2, 3, 4};
    rgb.SwapRedBlue(short4, 4);
    EXPECT_EQ(4, short4[3]);

    one.Clear(7);
    EXPECT_EQ(255, one.GetBits(0)[0]);
    four.Clear(0x13);
    EXPECT_EQ(0x33, four.GetBits(0)[0]);

    CRasterImage empty;
    EXPECT_EQ(0, empty.GetPixelIndex(0, 0));
    EXPECT_EQ(nullptr, empty.GetBits(0));
    EXPECT_EQ(nullptr, rgb.GetBits(2));
    EXPECT_EQ(0, empty.GetNearestIndex(Rgb(1, 1, 1)));
}
