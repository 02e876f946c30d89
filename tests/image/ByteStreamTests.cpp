// Byte streams: the growing memory stream, a stream over a caller's buffer, and the file stream.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/ByteStream.h"
#include "ImageTestSupport.h"

TEST(MemoryStream, GrowsInWholeBlocksOf64KiB)
{
    CMemoryByteStream stream;
    EXPECT_EQ(-1, stream.Tell());
    EXPECT_TRUE(stream.Eof());
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(stream.Open());
    std::vector<unsigned char> bytes(65536, 0x5A);
    EXPECT_EQ(1u, stream.Write(bytes.data(), 10, 1));
    EXPECT_EQ(65536, stream.Capacity());
    EXPECT_EQ(10, stream.Size());
    EXPECT_EQ(10, stream.Tell());
    EXPECT_EQ(65526u, stream.Write(bytes.data(), 1, 65526));
    EXPECT_EQ(65536, stream.Capacity());
    EXPECT_TRUE(stream.PutChar(7));
    EXPECT_EQ(131072, stream.Capacity());
    EXPECT_EQ(65537, stream.Size());
    EXPECT_EQ(0u, stream.Write(bytes.data(), 0, 5));
    EXPECT_EQ(0u, stream.Write(nullptr, 1, 5));
}

TEST(MemoryStream, SeekReadAndEof)
{
    CMemoryByteStream stream;
    ASSERT_TRUE(stream.Open());
    const char data[] = "0123456789";
    stream.Write(data, 1, 10);
    EXPECT_TRUE(stream.Seek(-5, SEEK_SET));
    EXPECT_EQ(0, stream.Tell());
    EXPECT_TRUE(stream.Seek(100, SEEK_END));
    EXPECT_EQ(110, stream.Tell());
    EXPECT_TRUE(stream.Error());
    char out[16];
    EXPECT_EQ(0u, stream.Read(out, 1, 4));
    EXPECT_TRUE(stream.Eof());
    EXPECT_FALSE(stream.Seek(0, 7));
    EXPECT_TRUE(stream.Seek(-3, SEEK_CUR));
    EXPECT_EQ(107, stream.Tell());
    EXPECT_FALSE(stream.Eof());

    // 3 items of 4 bytes with 10 bytes left: 10 bytes copied, 2 whole items, eof set.
    stream.Seek(0, SEEK_SET);
    memset(out, 0, sizeof(out));
    EXPECT_EQ(2u, stream.Read(out, 4, 3));
    EXPECT_EQ(0, memcmp(out, data, 10));
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(-1, stream.GetChar());
    stream.Seek(9, SEEK_SET);
    EXPECT_EQ('9', stream.GetChar());
    EXPECT_EQ(0, stream.Scanf("%d", out));
}

TEST(MemoryStream, GapLeftBySeekingPastTheEndReadsAsZeros)
{
    // Leave a dirty block of the size the stream will ask for, so the heap is likely to reuse it.
    void* dirty = malloc(65536);
    memset(dirty, 0xEE, 65536);
    free(dirty);
    CMemoryByteStream stream;
    ASSERT_TRUE(stream.Open());
    stream.Write("ab", 1, 2);
    stream.Seek(500, SEEK_SET);
    stream.Write("z", 1, 1);
    EXPECT_EQ(501, stream.Size());
    stream.Seek(2, SEEK_SET);
    std::vector<unsigned char> gap(498, 0xFF);
    ASSERT_EQ(498u, stream.Read(gap.data(), 1, gap.size()));
    for (size_t i = 0; i < gap.size(); i++)
        ASSERT_EQ(0, gap[i]) << "offset " << i + 2;
    EXPECT_EQ('z', stream.GetChar());
    // Beyond the current capacity as well, through PutChar.
    stream.Seek(70000, SEEK_SET);
    EXPECT_TRUE(stream.PutChar('q'));
    stream.Seek(69990, SEEK_SET);
    EXPECT_EQ(0, stream.GetChar());
}

TEST(MemoryStream, CallersBufferIsNeverGrownOrFreed)
{
    unsigned char* block = (unsigned char*)malloc(8);
    memcpy(block, "abcdefgh", 8);
    {
        CMemoryByteStream stream(block, 8);
        EXPECT_EQ(8, stream.Size());
        EXPECT_EQ(block, stream.GetBuffer(false));
        // Inside the buffer, writing is allowed...
        EXPECT_EQ(1u, stream.Write("XY", 2, 1));
        EXPECT_EQ('X', block[0]);
        // ...growing it is not: the caller's block must stay where it is.
        stream.Seek(0, SEEK_END);
        EXPECT_EQ(0u, stream.Write("more", 1, 4));
        EXPECT_FALSE(stream.PutChar('!'));
        EXPECT_EQ(block, stream.GetBuffer(false));
        EXPECT_EQ(8, stream.Size());
        EXPECT_TRUE(stream.Close());
        EXPECT_EQ(nullptr, stream.GetBuffer(false));
    }
    // Still the caller's: readable and freeable.
    EXPECT_EQ('h', block[7]);
    free(block);
}

TEST(MemoryStream, GetStringStopsAtNewlineOrLength)
{
    unsigned char text[] = {'a', 'b', '\n', 'c', 'd'};
    CMemoryByteStream stream(text, sizeof(text));
    char line[10];
    ASSERT_NE(nullptr, stream.GetString(line, 10));
    EXPECT_STREQ("ab\n", line);
    stream.Seek(0, SEEK_SET);
    ASSERT_NE(nullptr, stream.GetString(line, 2));
    EXPECT_STREQ("a", line);
    stream.Seek(3, SEEK_SET);
    // The end comes before a newline: nothing is returned.
    EXPECT_EQ(nullptr, stream.GetString(line, 10));
}

TEST(MemoryStream, DetachedBufferBelongsToTheCaller)
{
    unsigned char* buffer = nullptr;
    {
        CMemoryByteStream stream;
        ASSERT_TRUE(stream.Open());
        stream.Write("hello", 1, 5);
        buffer = stream.GetBuffer(true);
    }
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(0, memcmp(buffer, "hello", 5));
    free(buffer);
}

TEST(FileStream, MapsOntoStdioAndLeavesCallersFileOpen)
{
    std::wstring path = imagetest::TempPath(L"stream.bin");
    FILE* file = _wfopen(path.c_str(), L"w+b");
    ASSERT_NE(nullptr, file);
    {
        CFileByteStream stream(file);
        EXPECT_EQ(3u, stream.Write("abc", 1, 3));
        EXPECT_TRUE(stream.PutChar('\n'));
        EXPECT_TRUE(stream.Flush());
        EXPECT_EQ(4, stream.Size());
        EXPECT_EQ(4, stream.Tell());
        EXPECT_TRUE(stream.Seek(0, SEEK_SET));
        char line[8];
        EXPECT_STREQ("abc\n", stream.GetString(line, 8));
        EXPECT_EQ(-1, stream.GetChar());
        EXPECT_TRUE(stream.Eof());
    }
    // The stream did not close the caller's file.
    EXPECT_EQ(0, fseek(file, 0, SEEK_SET));
    EXPECT_EQ('a', fgetc(file));
    fclose(file);
    _wremove(path.c_str());

    CFileByteStream none;
    char b[2];
    EXPECT_EQ(0u, none.Read(b, 1, 2));
    EXPECT_FALSE(none.Seek(0, SEEK_SET));
    EXPECT_EQ(-1, none.Tell());
    EXPECT_EQ(-1, none.Size());
    EXPECT_TRUE(none.Eof());
    EXPECT_EQ(-1, none.GetChar());
    EXPECT_TRUE(none.Close());
}
