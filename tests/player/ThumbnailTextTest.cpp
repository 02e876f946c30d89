// Thumbnails as text: the Base64 codec against the standard's vectors and its stopping rules, and
// JPEG pictures through text and back.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "image/RasterImage.h"
#include "player/playlistfiles/ThumbnailText.h"

using namespace playertest;

namespace {

std::string Encode(const std::string& bytes)
{
    std::vector<char> out(EncodedSize((unsigned)bytes.size()) + 8, '#');
    unsigned n = Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), (unsigned)bytes.size(), out.data());
    EXPECT_EQ(EncodedSize((unsigned)bytes.size()), n);
    return std::string(out.data(), n);
}

std::string Decode(const std::string& text)
{
    std::vector<unsigned char> out(DecodedSize((unsigned)text.size()) + 8);
    unsigned n = Base64Decode(text.data(), (unsigned)text.size(), out.data());
    EXPECT_LE(n, DecodedSize((unsigned)text.size()));
    return std::string(reinterpret_cast<const char*>(out.data()), n);
}

std::string JpegBytes(CRasterImage& image)
{
    BYTE* buffer = nullptr;
    long size = 0;
    EXPECT_TRUE(image.EncodeToMemory(buffer, size, ImageTypeJPG));
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    free(buffer);
    return bytes;
}

CString ToText(const std::string& ascii)
{
    return CString(ascii.c_str());
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace

TEST(Base64, EncodesTheStandardVectorsWithPadding)
{
    const char* vectors[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(v[1], Encode(v[0])) << v[0];
        EXPECT_EQ(v[0], Decode(v[1])) << v[1];
    }
    // The top bits of every character position: the last two letters of the alphabet.
    EXPECT_EQ("+/+/", Encode(std::string("\xfb\xff\xbf", 3)));
}

TEST(Base64, EveryByteValueSurvivesAtEveryAlignment)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += (char)i;
    for (int cut = 0; cut < 3; ++cut) {
        std::string bytes = all.substr(cut);
        std::string text = Encode(bytes);
        EXPECT_EQ(0u, text.size() % 4);
        EXPECT_EQ(bytes, Decode(text));
    }
}

TEST(Base64, DecodingStopsAtPaddingOrAForeignCharacter)
{
    // Only the groups before the stop count; what follows is ignored.
    EXPECT_EQ("foo", Decode("Zm9v=Zm9v"));
    EXPECT_EQ("foo", Decode("Zm9v Zm9v"));
    EXPECT_EQ("foo", Decode("Zm9v\r\nZm9v"));
    EXPECT_EQ("fo", Decode("Zm8*Zm9v"));
    EXPECT_EQ("f", Decode("Zg"));
    // A single character carries no whole byte.
    EXPECT_EQ("foo", Decode("Zm9vZ"));
    EXPECT_EQ("", Decode("="));
    EXPECT_EQ("", Decode("\xc3\xa9Zm9v"));
    EXPECT_EQ(0u, DecodedSize(1));
    EXPECT_EQ(3u, DecodedSize(4));
    EXPECT_EQ(0u, EncodedSize(0));
    EXPECT_EQ(4u, EncodedSize(1));
    EXPECT_EQ(8u, EncodedSize(4));
}

TEST(ThumbnailText, AJpegPictureSurvivesTheTripThroughText)
{
    CRasterImage picture;
    MakeTestPicture(picture, 192, 108);
    CString text;
    ASSERT_EQ(0, ImageToBase64(picture, text));
    ASSERT_FALSE(text.IsEmpty());
    EXPECT_EQ(0, text.GetLength() % 4);
    EXPECT_EQ(-1, text.FindOneOf(L" \r\n\t"));
    // The text is the picture's JPEG data: the start of a JPEG (FF D8 FF) reads "/9j/".
    EXPECT_EQ(L"/9j/", text.Left(4));

    CRasterImage back;
    ASSERT_EQ(0, Base64ToImage(text, back));
    EXPECT_EQ(192, back.GetWidth());
    EXPECT_EQ(108, back.GetHeight());
    EXPECT_LT(MeanDifference(picture, back), 8.0);
}

TEST(ThumbnailText, BadPicturesAndBadTextAreRefused)
{
    CRasterImage empty;
    CString text = L"left over";
    EXPECT_EQ(-1, ImageToBase64(empty, text));
    EXPECT_TRUE(text.IsEmpty());

    CRasterImage image;
    MakeTestPicture(image, 8, 8);
    EXPECT_EQ(-1, Base64ToImage(L"", image));
    EXPECT_EQ(-1, Base64ToImage(nullptr, image));
    EXPECT_EQ(-1, Base64ToImage(L"====", image));
    EXPECT_EQ(-1, Base64ToImage(L"bm90IGEgcGljdHVyZQ==", image));  // "not a picture"
    // A refused text leaves the picture as it was.
    EXPECT_EQ(8, image.GetWidth());

    // A PNG is a picture, but not the JPEG the format promises.
    CRasterImage picture;
    MakeTestPicture(picture, 16, 16);
    BYTE* png = nullptr;
    long size = 0;
    ASSERT_TRUE(picture.EncodeToMemory(png, size, ImageTypePNG));
    std::string pngText = Encode(std::string(reinterpret_cast<const char*>(png), size));
    free(png);
    EXPECT_EQ(-1, Base64ToImage(ToText(pngText), image));
}

TEST(ThumbnailText, AHeaderAskingForAHugePictureIsRefusedBeforeDecoding)
{
    CRasterImage picture;
    MakeTestPicture(picture, 16, 16);
    std::string jpeg = JpegBytes(picture);
    // Patch the frame header (FF C0, length, precision, height, width) to 30000 x 30000.
    size_t sof = jpeg.find("\xff\xc0");
    ASSERT_NE(std::string::npos, sof);
    jpeg[sof + 5] = (char)(30000 >> 8);
    jpeg[sof + 6] = (char)(30000 & 255);
    jpeg[sof + 7] = (char)(30000 >> 8);
    jpeg[sof + 8] = (char)(30000 & 255);
    CRasterImage back;
    SIZE_T before = PrivateBytes();
    EXPECT_EQ(-1, Base64ToImage(ToText(Encode(jpeg)), back));
    EXPECT_FALSE(back.IsValid());
    EXPECT_LT(PrivateBytes(), before + 64u * 1024 * 1024);

    // The largest accepted side still decodes.
    std::string edge = JpegBytes(picture);
    edge[sof + 5] = (char)(MAX_TEXT_THUMBNAIL_SIDE >> 8);
    edge[sof + 6] = (char)(MAX_TEXT_THUMBNAIL_SIDE & 255);
    EXPECT_EQ(0, Base64ToImage(ToText(Encode(edge)), back));
    EXPECT_EQ(MAX_TEXT_THUMBNAIL_SIDE, back.GetHeight());
}

TEST(ThumbnailText, EncodingManyThumbnailsKeepsNoMemory)
{
    // Each call hands a JPEG block of about a quarter megabyte to the text; a block kept per call
    // would add tens of megabytes over the loop.
    CRasterImage picture;
    picture.Create(640, 480, 24, ImageTypeBMP);
    unsigned seed = 12345;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            seed = seed * 1103515245u + 12345u;
            RGBQUAD c = {(BYTE)(seed >> 8), (BYTE)(seed >> 16), (BYTE)(seed >> 24), 0};
            picture.SetPixelColor(x, y, c);
        }
    CString text;
    ASSERT_EQ(0, ImageToBase64(picture, text));
    ASSERT_GT(text.GetLength(), 200000);
    SIZE_T before = PrivateBytes();
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(0, ImageToBase64(picture, text));
    SIZE_T after = PrivateBytes();
    EXPECT_LT(after, before + 12u * 1024 * 1024) << "grew by " << (after - before) / 1024 << " KiB";
}
