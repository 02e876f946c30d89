// GIF codec: files built by a small independent writer (fixed-width codes), single and all
// frames, interlacing, local tables, disposal methods, broken data, and encoder round trips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "image/RasterImage.h"
#include "image/RasterImageGIF.h"
#include "CodecTestSupport.h"
#include "ImageTestSupport.h"

using codectest::Add16;
using codectest::Add8;
using codectest::Bytes;

namespace
{
struct GifFrameSpec
{
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<int> pixels;            // indices, top row first
    int localEntries = 0;               // a local table of that many entries
    bool control = true;
    int trans = -1;
    int disposal = 0;
    int delay = 0;
    bool interlaced = false;
    int codeSize = -1;                  // -1: from the table size
    std::vector<int> rawCodes;          // codes to send instead of the pixels
};

RGBQUAD TableColour(int i, int salt)
{
    RGBQUAD c = {(BYTE)(i * 9 + salt), (BYTE)(i * 5 + 2 * salt), (BYTE)(255 - i), 0};
    return c;
}

void AddTable(Bytes& out, int entries, int salt)
{
    for (int i = 0; i < entries; i++)
    {
        RGBQUAD c = TableColour(i, salt);
        Add8(out, c.rgbRed);
        Add8(out, c.rgbGreen);
        Add8(out, c.rgbBlue);
    }
}

int SizeBits(int entries)
{
    int bits = 0;
    while ((2 << bits) < entries)
        bits++;
    return bits;
}

// Codes of one fixed width: a clear code before every group that would make a decoder widen.
Bytes FixedWidthData(int minCodeSize, const std::vector<int>& codes, bool raw)
{
    int clear = 1 << minCodeSize;
    int width = minCodeSize + 1;
    std::vector<int> stream;
    if (raw)
    {
        stream = codes;
    }
    else
    {
        for (size_t i = 0; i < codes.size(); i++)
        {
            if (i % (clear - 2) == 0)
                stream.push_back(clear);
            stream.push_back(codes[i]);
        }
        stream.push_back(clear + 1);
    }
    Bytes packed;
    DWORD bits = 0;
    int count = 0;
    for (int code : stream)
    {
        bits |= (DWORD)code << count;
        count += width;
        while (count >= 8)
        {
            packed.push_back((BYTE)bits);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        packed.push_back((BYTE)bits);
    Bytes out;
    Add8(out, minCodeSize);
    for (size_t at = 0; at < packed.size(); at += 255)
    {
        size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
        Add8(out, (int)n);
        out.insert(out.end(), packed.begin() + at, packed.begin() + at + n);
    }
    Add8(out, 0);
    return out;
}

Bytes MakeGif(int width, int height, int globalEntries, const std::vector<GifFrameSpec>& frames)
{
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    Add16(out, width);
    Add16(out, height);
    Add8(out, globalEntries ? 0xF0 | SizeBits(globalEntries) : 0);
    Add8(out, 0);
    Add8(out, 0);
    if (globalEntries)
        AddTable(out, 2 << SizeBits(globalEntries), 0);
    for (size_t f = 0; f < frames.size(); f++)
    {
        const GifFrameSpec& s = frames[f];
        if (s.control)
        {
            Bytes gce = {0x21, 0xF9, 4};
            Add8(gce, (s.trans >= 0 ? 1 : 0) | (s.disposal << 2));
            Add16(gce, s.delay);
            Add8(gce, s.trans >= 0 ? s.trans : 0);
            Add8(gce, 0);
            codectest::Append(out, gce);
        }
        Add8(out, 0x2C);
        Add16(out, s.left);
        Add16(out, s.top);
        Add16(out, s.width);
        Add16(out, s.height);
        int entries = s.localEntries ? s.localEntries : globalEntries;
        Add8(out, (s.localEntries ? 0x80 | SizeBits(s.localEntries) : 0) | (s.interlaced ? 0x40 : 0));
        if (s.localEntries)
            AddTable(out, 2 << SizeBits(s.localEntries), (int)f * 40 + 7);
        std::vector<int> order;
        if (s.interlaced)
        {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; p++)
                for (int r = start[p]; r < s.height; r += step[p])
                    order.push_back(r);
        }
        else
        {
            for (int r = 0; r < s.height; r++)
                order.push_back(r);
        }
        std::vector<int> indices;
        for (int r : order)
            for (int x = 0; x < s.width; x++)
                indices.push_back(s.pixels[(size_t)r * s.width + x]);
        int minCodeSize = s.codeSize >= 0 ? s.codeSize : SizeBits(entries) + 1;
        if (minCodeSize < 2 && s.codeSize < 0)
            minCodeSize = 2;
        bool raw = !s.rawCodes.empty();
        codectest::Append(out, FixedWidthData(minCodeSize, raw ? s.rawCodes : indices, raw));
    }
    Add8(out, 0x3B);
    return out;
}

GifFrameSpec Frame(int left, int top, int width, int height, int (*index)(int x, int row))
{
    GifFrameSpec s;
    s.left = left;
    s.top = top;
    s.width = width;
    s.height = height;
    for (int r = 0; r < height; r++)
        for (int x = 0; x < width; x++)
            s.pixels.push_back(index(x, r));
    return s;
}

int Pattern256(int x, int row)
{
    return (x * 37 + row * 11) % 256;
}

int Pattern16(int x, int row)
{
    return (x + 3 * row) % 16;
}

int Pattern2(int x, int row)
{
    return (x + row) & 1;
}

bool DecodeGif(const Bytes& data, CRasterImage& image, int frame = 0, bool all = false)
{
    image.SetCurrentFrame(frame);
    image.SetAllFrames(all);
    return image.DecodeFromMemory(data.data(), (DWORD)data.size(), ImageTypeGIF);
}

// Index at (x, row) with row counted from the top.
int TopIndex(const CRasterImage& image, int x, int row)
{
    return image.GetPixelIndex(x, image.GetHeight() - 1 - row);
}

Bytes EncodeGif(CRasterImage& image)
{
    return imagetest::EncodeToBytes(image, ImageTypeGIF);
}
}

TEST(GifDecode, SingleFramesOfEachTableSize)
{
    struct Case
    {
        int entries;
        int (*index)(int, int);
        int bpp;
    };
    const Case cases[] = {{256, Pattern256, 8}, {16, Pattern16, 4}, {2, Pattern2, 1}};
    for (const Case& c : cases)
        for (bool interlaced : {false, true})
        {
            SCOPED_TRACE(testing::Message() << c.entries << " entries, interlaced " << interlaced);
            GifFrameSpec s = Frame(0, 0, 21, 11, c.index);
            s.interlaced = interlaced;
            s.delay = 25;
            CRasterImage image;
            ASSERT_TRUE(DecodeGif(MakeGif(21, 11, c.entries, {s}), image)) << image.GetLastError();
            EXPECT_EQ(ImageTypeGIF, image.GetType());
            EXPECT_EQ(1, image.GetNumFrames());
            EXPECT_EQ(c.bpp, image.GetBpp());
            EXPECT_EQ(25, image.GetFrameDelay());
            for (int r = 0; r < 11; r++)
                for (int x = 0; x < 21; x++)
                    ASSERT_EQ(c.index(x, r), TopIndex(image, x, r)) << x << "," << r;
            RGBQUAD col = image.GetPixelColor(3, 10);
            EXPECT_EQ(TableColour(c.index(3, 0), 0).rgbGreen, col.rgbGreen);
        }
    CRasterImage sizes;
    sizes.SetEscape(-1);
    ASSERT_TRUE(DecodeGif(MakeGif(21, 11, 16, {Frame(0, 0, 21, 11, Pattern16)}), sizes));
    EXPECT_EQ(21, sizes.GetWidth());
    EXPECT_FALSE(sizes.IsValid());
}

namespace
{
int Ones(int, int)
{
    return 1;
}
int Twos(int x, int row)
{
    return x == 1 && row == 1 ? 3 : 2;
}
int Zeros(int, int)
{
    return 0;
}
}

TEST(GifDecode, AnimationAndDisposal)
{
    // Frame 0 covers the screen; frame 1 (disposed to background) has one clear pixel; frame 2
    // (restored to the previous state afterwards) paints a corner; frame 3 one pixel.
    GifFrameSpec f0 = Frame(0, 0, 6, 4, Ones);
    f0.trans = 3;
    f0.disposal = 1;
    f0.delay = 10;
    GifFrameSpec f1 = Frame(1, 1, 2, 2, Twos);
    f1.trans = 3;
    f1.disposal = 2;
    f1.delay = 20;
    GifFrameSpec f2 = Frame(4, 0, 2, 2, Zeros);
    f2.disposal = 3;
    GifFrameSpec f3 = Frame(0, 0, 1, 1, Twos);
    f3.localEntries = 4;
    Bytes gif = MakeGif(6, 4, 4, {f0, f1, f2, f3});
    const char* expected[4] = {
        "111111" "111111" "111111" "111111",
        "111111" "122111" "121111" "111111",
        "333300" "333300" "333333" "333333",
        "211111" "111111" "111111" "111111",
    };
    for (int frame = 0; frame < 4; frame++)
    {
        SCOPED_TRACE(frame);
        CRasterImage image;
        ASSERT_TRUE(DecodeGif(gif, image, frame)) << image.GetLastError();
        EXPECT_EQ(4, image.GetNumFrames());
        EXPECT_EQ(6, image.GetWidth());
        EXPECT_EQ(3, image.GetTransIndex());
        for (int r = 0; r < 4; r++)
            for (int x = 0; x < 6; x++)
                ASSERT_EQ(expected[frame][r * 6 + x] - '0', TopIndex(image, x, r)) << x << "," << r;
    }
    // The last frame's local table is the palette of its composite.
    CRasterImage last;
    ASSERT_TRUE(DecodeGif(gif, last, 3));
    EXPECT_EQ(TableColour(2, 3 * 40 + 7).rgbRed, last.GetPixelColor(0, 3).rgbRed);

    CRasterImage all;
    ASSERT_TRUE(DecodeGif(gif, all, 0, true));
    EXPECT_EQ(4, all.GetNumFrames());
    for (int frame = 0; frame < 4; frame++)
    {
        CRasterImage* stored = all.GetFrame(frame);
        ASSERT_NE(nullptr, stored);
        for (int r = 0; r < 4; r++)
            for (int x = 0; x < 6; x++)
                ASSERT_EQ(expected[frame][r * 6 + x] - '0', TopIndex(*stored, x, r));
    }
    EXPECT_EQ(20, all.GetFrame(1)->GetFrameDelay());
    EXPECT_EQ(2, all.GetFrame(1)->GetDisposalMethod());

    // An animation comes back from the encoder with every frame.
    Bytes again = EncodeGif(all);
    ASSERT_FALSE(again.empty()) << all.GetLastError();
    CRasterImage reread;
    ASSERT_TRUE(DecodeGif(again, reread, 0, true)) << reread.GetLastError();
    ASSERT_EQ(4, reread.GetNumFrames());
    for (int frame = 0; frame < 4; frame++)
        for (int r = 0; r < 4; r++)
            for (int x = 0; x < 6; x++)
                ASSERT_EQ(all.GetFrame(frame)->GetPixelColor(x, r).rgbRed,
                          reread.GetFrame(frame)->GetPixelColor(x, r).rgbRed);
}

TEST(GifDecode, LocalTablesWithoutGlobalTableGiveTrueColour)
{
    GifFrameSpec a = Frame(0, 0, 3, 2, Pattern16);
    a.localEntries = 16;
    GifFrameSpec b = Frame(4, 2, 3, 2, Pattern16);
    b.localEntries = 16;
    b.trans = 0;
    CRasterImage image;
    ASSERT_TRUE(DecodeGif(MakeGif(8, 5, 0, {a, b}), image)) << image.GetLastError();
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(8, image.GetWidth());
    // Both frames stand on the canvas in their own colours.
    RGBQUAD fromA = image.GetPixelColor(2, 4);
    EXPECT_EQ(TableColour(Pattern16(2, 0), 7).rgbRed, fromA.rgbRed);
    RGBQUAD fromB = image.GetPixelColor(5, 1);
    EXPECT_EQ(TableColour(Pattern16(1, 1), 47).rgbGreen, fromB.rgbGreen);
    // The last frame was transparent: its transparent colour marks the empty canvas.
    EXPECT_TRUE(image.IsTransparent());
    RGBQUAD clear = TableColour(0, 47);
    EXPECT_EQ(clear.rgbRed, image.GetTransColor().rgbRed);
    EXPECT_EQ(clear.rgbRed, image.GetPixelColor(7, 4).rgbRed);
}

TEST(GifDecode, BrokenAndForeignData)
{
    GifFrameSpec good = Frame(0, 0, 5, 4, Pattern16);
    Bytes gif = MakeGif(5, 4, 16, {good});
    CRasterImage image;
    // A frame index equal to the frame count fails; the count still reaches the caller.
    EXPECT_FALSE(DecodeGif(gif, image, 1));
    EXPECT_EQ(1, image.GetNumFrames());

    GifFrameSpec wide = good;
    wide.codeSize = 10;
    EXPECT_FALSE(DecodeGif(MakeGif(5, 4, 16, {wide}), image));

    // An image outside the screen is passed over with its data; the next one is frame 0.
    GifFrameSpec outside = Frame(3, 0, 5, 4, Ones);
    CRasterImage skipped;
    ASSERT_TRUE(DecodeGif(MakeGif(5, 4, 16, {outside, good}), skipped)) << skipped.GetLastError();
    EXPECT_EQ(1, skipped.GetNumFrames());
    EXPECT_EQ(Pattern16(4, 3), TopIndex(skipped, 4, 3));

    // Codes beyond the table end the frame's data without harm.
    GifFrameSpec badCodes = good;
    badCodes.rawCodes = {16, 3, 4, 31, 31, 31, 17};
    badCodes.codeSize = 4;
    CRasterImage partial;
    ASSERT_TRUE(DecodeGif(MakeGif(5, 4, 16, {badCodes}), partial));
    EXPECT_EQ(3, TopIndex(partial, 0, 0));
    EXPECT_EQ(4, TopIndex(partial, 1, 0));

    // A frame that is counted but cannot be read fails instead of giving another frame.
    GifFrameSpec second = good;
    second.localEntries = 256;
    Bytes cut = MakeGif(5, 4, 16, {good, second});
    size_t secondTable = cut.size() - 1 - 28 - 768;
    cut.resize(secondTable + 100);
    CRasterImage missing;
    EXPECT_FALSE(DecodeGif(cut, missing, 1));
    CRasterImage firstOfCut;
    EXPECT_TRUE(DecodeGif(cut, firstOfCut, 0));

    const char text[] = "GIF is a word, this is text";
    EXPECT_FALSE(image.DecodeFromMemory((const BYTE*)text, sizeof(text), ImageTypeGIF));
    CRasterImage detected;
    ASSERT_TRUE(detected.DecodeFromMemory(gif.data(), (DWORD)gif.size(), 0));
    EXPECT_EQ(ImageTypeGIF, detected.GetType());

    CRasterImage noise(40, 30, 8);
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++)
            noise.SetPixelIndex(x, y, (BYTE)((x * x + y * 7) % 200));
    Bytes noiseGif = EncodeGif(noise);
    GifFrameSpec f1 = Frame(1, 1, 3, 2, Twos);
    f1.trans = 3;
    f1.disposal = 2;
    f1.interlaced = true;
    GifFrameSpec f2 = Frame(0, 0, 2, 2, Zeros);
    f2.localEntries = 8;
    f2.disposal = 3;
    Bytes animation = MakeGif(5, 4, 16, {good, f1, f2});
    size_t before = codectest::HeapBytesInUse();
    codectest::SweepDamagedInput(animation, ImageTypeGIF, 3, 300);
    codectest::SweepDamagedInput(noiseGif, ImageTypeGIF, 9, 300);
    size_t after = codectest::HeapBytesInUse();
    if (before && after)
    {
        EXPECT_LE(after, before + 1024);
    }
}

TEST(GifEncode, RoundTripsOfEveryCompressor)
{
    for (int mode : {0, 1, 2})
        for (int bpp : {1, 4, 8})
            for (int size : {3, 64, 220})
            {
                SCOPED_TRACE(testing::Message() << "mode " << mode << " bpp " << bpp << " size " << size);
                CRasterImage image(size, size * 2 / 3 + 1, bpp);
                int entries = image.GetNumColors();
                for (int i = 0; i < entries; i++)
                    image.SetPaletteColor(i, (BYTE)(i * 3), (BYTE)(i * 7), (BYTE)(255 - i));
                // Long runs and noise, so that tables fill and are cleared.
                unsigned seed = 5;
                for (int y = 0; y < image.GetHeight(); y++)
                    for (int x = 0; x < size; x++)
                    {
                        seed = seed * 1103515245 + 12345;
                        int v = y % 3 == 0 ? (x / 9) % entries : (int)((seed >> 12) % entries);
                        image.SetPixelIndex(x, y, (BYTE)v);
                    }
                image.SetCodecOption(mode, ImageTypeGIF);
                image.SetTransIndex(1);
                image.SetFrameDelay(42);
                image.SetDisposalMethod(2);
                Bytes data = EncodeGif(image);
                ASSERT_FALSE(data.empty()) << image.GetLastError();
                CRasterImage back;
                ASSERT_TRUE(DecodeGif(data, back)) << back.GetLastError();
                ASSERT_EQ(image.GetWidth(), back.GetWidth());
                ASSERT_EQ(bpp, back.GetBpp());
                EXPECT_EQ(1, back.GetTransIndex());
                EXPECT_EQ(42, back.GetFrameDelay());
                EXPECT_EQ(2, back.GetDisposalMethod());
                for (int y = 0; y < image.GetHeight(); y++)
                    for (int x = 0; x < size; x++)
                        ASSERT_EQ(image.GetPixelIndex(x, y), back.GetPixelIndex(x, y)) << x << "," << y;
            }
}

TEST(GifEncode, NarrowAndLowTrueColourPicturesRoundTrip)
{
    // One tile column, one tile row, a single tile, and sizes just beyond a tile.
    const int sizes[][2] = {{17, 30}, {40, 15}, {1, 40}, {50, 1}, {17, 15}, {5, 3}, {9, 16},
                            {18, 15}, {17, 16}, {18, 16}};
    for (const auto& size : sizes)
    {
        SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
        CRasterImage rgb(size[0], size[1], 24);
        imagetest::FillPattern(rgb);
        Bytes data = EncodeGif(rgb);
        ASSERT_FALSE(data.empty()) << rgb.GetLastError();
        CRasterImage back;
        ASSERT_TRUE(DecodeGif(data, back)) << back.GetLastError();
        ASSERT_EQ(size[0], back.GetWidth());
        ASSERT_EQ(size[1], back.GetHeight());
        EXPECT_EQ(0, imagetest::MaxChannelDifference(rgb, back));
    }
}

TEST(GifEncode, TrueColourTilesAnimationsAndComments)
{
    CRasterImage rgb(40, 31, 24);
    imagetest::FillPattern(rgb);
    Bytes data = EncodeGif(rgb);
    ASSERT_FALSE(data.empty());
    CRasterImage back;
    ASSERT_TRUE(DecodeGif(data, back)) << back.GetLastError();
    EXPECT_EQ(9, back.GetNumFrames());   // 3 x 3 tiles of 17 x 15
    EXPECT_EQ(24, back.GetBpp());
    EXPECT_EQ(0, imagetest::MaxChannelDifference(rgb, back));

    // An animation of frames with local tables, a loop count and a comment.
    CRasterImage a(4, 3, 4), b(4, 3, 4);
    for (int i = 0; i < 16; i++)
    {
        a.SetPaletteColor(i, (BYTE)(i * 16), 0, 0);
        b.SetPaletteColor(i, 0, (BYTE)(i * 16), 0);
    }
    a.Clear(5);
    b.Clear(9);
    b.SetFrameDelay(70);
    CRasterImage* list[2] = {&a, &b};
    CRasterImageGIF writer;
    writer.SetComment("made by the tests");
    writer.SetLoops(3);
    CMemoryByteStream stream;
    ASSERT_TRUE(stream.Open());
    ASSERT_TRUE(writer.Encode(&stream, list, 2, true, true));
    Bytes anim(stream.GetBuffer(false), stream.GetBuffer(false) + stream.Size());
    CRasterImageGIF reader;
    CMemoryByteStream in(anim.data(), anim.size());
    reader.SetCurrentFrame(1);
    ASSERT_TRUE(reader.Decode(&in));
    EXPECT_STREQ("made by the tests", reader.GetComment());
    EXPECT_EQ(2, reader.GetLoops());
    EXPECT_EQ(2, reader.GetNumFrames());
    EXPECT_EQ(70, reader.GetFrameDelay());
    EXPECT_EQ(144, reader.GetPixelColor(2, 1).rgbGreen);

    CRasterImage* none[1] = {nullptr};
    EXPECT_FALSE(writer.Encode(&stream, none, 1));
    EXPECT_STREQ("Bad image pointer", writer.GetLastError());
    EXPECT_FALSE(writer.Encode(&stream, list, 0));
    EXPECT_STREQ("multipage GIF, no images!", writer.GetLastError());
    CRasterImage* colour[1] = {&rgb};
    EXPECT_FALSE(writer.Encode(&stream, colour, 1));
    EXPECT_STREQ("CRasterImageGIF::Encode cannot create animated GIFs with a true color frame. "
                 "Use DecreaseBpp before", writer.GetLastError());
}
