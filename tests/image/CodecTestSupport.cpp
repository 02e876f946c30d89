// Helpers of the BMP, ICO and GIF tests.
#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include "image/PixelBlocks.h"
#include "image/RasterImage.h"

namespace codectest
{
void Add8(Bytes& out, int v)
{
    out.push_back((BYTE)v);
}

void Add16(Bytes& out, int v)
{
    out.push_back((BYTE)v);
    out.push_back((BYTE)(v >> 8));
}

void Add32(Bytes& out, DWORD v)
{
    for (int i = 0; i < 4; i++)
        out.push_back((BYTE)(v >> (8 * i)));
}

void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

size_t HeapBytesInUse()
{
    // The pixel block the library keeps for the next picture is not a leak.
    detail::ReleaseSparePixelBlock();
    _HEAPINFO entry;
    entry._pentry = nullptr;
    size_t used = 0;
    int status;
    while ((status = _heapwalk(&entry)) == _HEAPOK)
        if (entry._useflag == _USEDENTRY)
            used += entry._size;
    return status == _HEAPEND ? used : 0;
}

namespace
{
void TryDecode(const Bytes& data, int type, int& decoded)
{
    CRasterImage image;
    image.SetAllFrames(true);
    bool ok = image.DecodeFromMemory(data.empty() ? (const BYTE*)"" : data.data(),
                                     (DWORD)data.size(), type);
    if (!ok)
        return;
    decoded++;
    ASSERT_TRUE(image.IsValid());
    ASSERT_GT(image.GetWidth(), 0);
    ASSERT_GT(image.GetHeight(), 0);
    // Every pixel of a decoded image can be read.
    for (int y = 0; y < image.GetHeight(); y += 7)
        for (int x = 0; x < image.GetWidth(); x += 5)
            image.GetPixelColor(x, y, true);
}
}

int SweepDamagedInput(const Bytes& data, int type, unsigned seed, int rounds)
{
    int decoded = 0;
    size_t step = data.size() / 97 + 1;
    for (size_t n = 0; n < data.size(); n += step)
    {
        Bytes prefix(data.begin(), data.begin() + n);
        TryDecode(prefix, type, decoded);
    }
    for (int round = 0; round < rounds; round++)
    {
        Bytes damaged = data;
        int changes = 1 + round % 8;
        for (int k = 0; k < changes; k++)
        {
            seed = seed * 1103515245 + 12345;
            damaged[(seed >> 8) % damaged.size()] = (BYTE)(seed >> 20);
        }
        TryDecode(damaged, type, decoded);
    }
    return decoded;
}
}
