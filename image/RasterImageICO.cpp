// ICO codec: the icon directory, DIB pages with their AND masks turned into a transparent index
// or alpha, PNG pages through the PNG codec; the encoder writes DIB or PNG pages.
#include "image/RasterImageICO.h"

#include <cstdlib>
#include <cstring>

#include "image/ByteOrder.h"
#include "image/ByteStream.h"
#include "image/RasterImagePNG.h"

namespace
{
using imagedetail::Le16;
using imagedetail::Le32;
using imagedetail::Put16;
using imagedetail::Put32;

const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Whether the page at the stream's position is a PNG stream; the position is kept.
bool StartsWithPng(CByteStream* stream)
{
    long at = stream->Tell();
    BYTE sig[8];
    bool png = stream->Read(sig, 1, 8) == 8 && memcmp(sig, kPngSignature, 8) == 0;
    stream->Seek(at, SEEK_SET);
    return png;
}
}

bool CRasterImageICO::Decode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    long start = stream->Tell();
    BYTE dh[6];
    if (stream->Read(dh, 1, 6) != 6)
        return false;
    WORD kind = Le16(dh + 2);
    if (Le16(dh) != 0 || (kind != 1 && kind != 2))
        return false;
    int count = Le16(dh + 4);
    info.numFrames = count;
    int frame = info.currentFrame;
    if (frame < 0 || frame >= count)
        return false;
    BYTE entry[16];
    for (int i = 0; i < count; i++)
    {
        BYTE e[16];
        if (stream->Read(e, 1, 16) != 16)
            return false;
        if (i == frame)
            memcpy(entry, e, 16);
    }
    // A size byte of 0 stands for 256 pixels; the page's first bytes say whether it is a PNG.
    int width = entry[0] ? entry[0] : 256;
    int height = entry[1] ? entry[1] : 256;
    DWORD offset = Le32(entry + 12);
    if (!stream->Seek(start + (long)offset, SEEK_SET))
        return false;
    bool png = StartsWithPng(stream);

    if (png)
    {
        CRasterImage page;
        page.CopyInfo(*this);
        page.SetType(ImageTypePNG);
        if (!page.Decode(stream, ImageTypePNG))
        {
            // An icon whose picture cannot be read is a failed load, not an empty success.
            CopyLastErrorFrom(page);
            if (!info.lastError[0])
                SetLastError("unreadable PNG page in icon");
            return false;
        }
        if (info.escape == -1)
        {
            header.biWidth = page.GetWidth();
            header.biHeight = page.GetHeight();
        }
        else if (!TakeOver(page, false))
        {
            return false;
        }
        info.type = ImageTypeICO;
        info.numFrames = count;
        return true;
    }

    if (info.escape == -1)
    {
        header.biWidth = width;
        header.biHeight = height;
        info.type = ImageTypeICO;
        return true;
    }
    if (!DecodeDibPage(stream, width, height))
        return false;
    info.type = ImageTypeICO;
    info.numFrames = count;
    return true;
}

bool CRasterImageICO::DecodeDibPage(CByteStream* stream, int width, int height)
{
    BYTE bh[40];
    if (stream->Read(bh, 1, 40) != 40)
        return false;
    WORD bitCount = Le16(bh + 14);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    if (!Create(width, height, bitCount, ImageTypeICO))
        return false;

    // The palette read is bounded by the created image, whatever the header claims.
    DWORD entries = header.biClrUsed;
    DWORD fileEntries = Le32(bh + 32);
    DWORD wanted = fileEntries ? fileEntries : entries;
    DWORD taken = wanted < entries ? wanted : entries;
    if (taken)
    {
        RGBQUAD palette[256];
        memset(palette, 0, sizeof(palette));
        stream->Read(palette, sizeof(RGBQUAD), taken);
        for (DWORD i = 0; i < taken; i++)
            palette[i].rgbReserved = 0;
        SetPalette(palette, taken);
    }
    if (wanted > taken)
    {
        DWORD rest = wanted - taken;
        if (rest > 0x100000)
            rest = 0x100000;
        stream->Seek((long)(rest * 4), SEEK_CUR);
    }

    int w = header.biWidth;
    int h = header.biHeight;
    bool realAlpha = false;
    if (bitCount > 24)
    {
        size_t total = (size_t)w * h * 4;
        BYTE* data = (BYTE*)calloc(1, total);
        if (!data || !CreateAlpha())
        {
            free(data);
            SetLastError("can't allocate memory");
            return false;
        }
        stream->Read(data, 1, total);
        for (int y = 0; y < h; y++)
        {
            BYTE* dst = GetBits(y);
            const BYTE* src = data + (size_t)y * w * 4;
            for (int x = 0; x < w; x++)
            {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
                alphaMask[(size_t)y * w + x] = src[4 * x + 3];
                realAlpha = realAlpha || src[4 * x + 3] != 0;
            }
        }
        free(data);
        // Fourth bytes that are all zero are no alpha channel; the AND mask decides then.
        if (!realAlpha)
            AlphaDelete();
    }
    else
    {
        stream->Read(info.pixels, 1, header.biSizeImage);
    }

    size_t maskRow = (size_t)((w + 31) / 32) * 4;
    size_t maskSize = maskRow * h;
    BYTE* mask = (BYTE*)malloc(maskSize);
    if (!mask)
    {
        SetLastError("can't allocate memory");
        return false;
    }
    bool readable = stream->Read(mask, 1, maskSize) == maskSize;
    bool allSet = true;
    for (size_t i = 0; i < maskSize && allSet && readable; i++)
        allSet = mask[i] == 0xFF;
    if (!readable || allSet)
    {
        if (!realAlpha)
            info.transIndex = 0;
    }
    else
    {
        ApplyAndMask(mask, maskRow, realAlpha);
    }
    free(mask);
    return true;
}

void CRasterImageICO::ApplyAndMask(const BYTE* mask, size_t maskRow, bool realAlpha)
{
    if (!CreateAlpha())
        return;
    int w = header.biWidth;
    int h = header.biHeight;
    bool indexed = header.biClrUsed != 0;
    size_t masked = 0;
    bool oneColour = true;
    BYTE firstIndex = 0;
    RGBQUAD firstColour = {0, 0, 0, 0};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            if (!((mask[(size_t)y * maskRow + (x >> 3)] >> (7 - (x & 7))) & 1))
                continue;
            alphaMask[(size_t)y * w + x] = 0;
            if (indexed)
            {
                BYTE index = GetPixelIndexUnchecked(x, y);
                if (masked == 0)
                    firstIndex = index;
                else if (index != firstIndex)
                    oneColour = false;
            }
            else
            {
                RGBQUAD c = GetPixelColorUnchecked(x, y, false);
                if (masked == 0)
                    firstColour = c;
                else if (c.rgbBlue != firstColour.rgbBlue || c.rgbGreen != firstColour.rgbGreen ||
                         c.rgbRed != firstColour.rgbRed)
                    oneColour = false;
            }
            masked++;
        }
    // The alpha of a 32-bit icon is its own; only the masks made here may go again.
    if (realAlpha)
        return;
    if (masked == 0)
    {
        AlphaDelete();
        return;
    }
    if (!indexed)
        return;
    if (oneColour)
    {
        SetTransColor(GetPaletteColor(firstIndex));
        info.transIndex = firstIndex;
        AlphaDelete();
        return;
    }
    bool used[256];
    memset(used, 0, sizeof(used));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            used[GetPixelIndexUnchecked(x, y)] = true;
    int unused = -1;
    for (int i = (int)header.biClrUsed - 1; i >= 0 && unused < 0; i--)
        if (!used[i])
            unused = i;
    // Every index in use: only the alpha mask can say which pixels are clear.
    if (unused < 0)
        return;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (alphaMask[(size_t)y * w + x] == 0)
                SetPixelIndexUnchecked(x, y, (BYTE)unused);
    info.transIndex = unused;
    AlphaDelete();
}

bool CRasterImageICO::Encode(CByteStream* stream, bool append, int pageCount)
{
    if (CheckBeforeEncode(stream))
        return false;
    if (header.biBitCount <= 8 && !GetPalette())
    {
        SetLastError("palette image without palette");
        return false;
    }
    int pages = pageCount > 1 ? pageCount : 1;
    if (append && (m_pagesWritten == 0 || m_pagesWritten >= pages))
    {
        SetLastError("no icon page left to append");
        return false;
    }
    int w = header.biWidth;
    int h = header.biHeight;

    // The page is built in memory first: its size goes into the directory entry.
    CMemoryByteStream page;
    if (!page.Open())
    {
        SetLastError("can't allocate memory");
        return false;
    }
    BYTE entry[16];
    memset(entry, 0, sizeof(entry));
    int bitCount = header.biBitCount == 24 && alphaMask ? 32 : header.biBitCount;
    if (w > 255 || h > 255)
    {
        if (!CRasterImage::Encode(&page, ImageTypePNG))
            return false;
        bitCount = header.biBitCount;
    }
    else
    {
        entry[0] = (BYTE)w;
        entry[1] = (BYTE)h;
        entry[2] = (BYTE)header.biClrUsed;
        size_t xorSize = bitCount == 32 ? (size_t)w * h * 4 : header.biSizeImage;
        size_t maskRow = (size_t)((w + 31) / 32) * 4;
        BYTE bh[40];
        memset(bh, 0, sizeof(bh));
        Put32(bh, 40);
        Put32(bh + 4, (DWORD)w);
        Put32(bh + 8, (DWORD)h * 2);
        Put16(bh + 12, 1);
        Put16(bh + 14, (DWORD)bitCount);
        Put32(bh + 20, (DWORD)xorSize);
        page.Write(bh, 1, 40);
        RGBQUAD* palette = GetPalette();
        for (DWORD i = 0; i < header.biClrUsed; i++)
        {
            RGBQUAD c = palette[i];
            if ((int)i == info.transIndex)
                memset(&c, 0, sizeof(c));
            page.Write(&c, 4, 1);
        }
        if (bitCount == 32)
        {
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++)
                {
                    RGBQUAD c = GetPixelColorUnchecked(x, y, true);
                    page.Write(&c, 4, 1);
                }
        }
        else
        {
            page.Write(info.pixels, 1, xorSize);
        }
        RGBQUAD trans = GetTransColor();
        BYTE* row = (BYTE*)calloc(1, maskRow);
        if (!row)
        {
            SetLastError("can't allocate memory");
            return false;
        }
        for (int y = 0; y < h; y++)
        {
            memset(row, 0, maskRow);
            for (int x = 0; x < w; x++)
            {
                bool clear = alphaMask && AlphaGetUnchecked(x, y) == 0;
                if (palette)
                {
                    BYTE index = GetPixelIndexUnchecked(x, y);
                    clear = clear || (info.paletteAlpha && palette[index].rgbReserved == 0) ||
                            (info.transIndex >= 0 && index == info.transIndex);
                }
                else if (info.transIndex >= 0)
                {
                    const BYTE* p = GetPixelPointer(x, y);
                    clear = clear || (p[0] == trans.rgbBlue && p[1] == trans.rgbGreen &&
                                      p[2] == trans.rgbRed);
                }
                if (clear)
                    row[x >> 3] |= (BYTE)(0x80 >> (x & 7));
            }
            page.Write(row, 1, maskRow);
        }
        free(row);
    }
    DWORD pageSize = (DWORD)page.Size();
    Put16(entry + 6, (DWORD)bitCount);
    Put32(entry + 8, pageSize);

    bool ok = true;
    if (!append)
    {
        m_directoryStart = stream->Tell();
        m_nextPageOffset = 6 + 16 * pages;
        m_pagesWritten = 0;
        BYTE dh[6] = {0, 0, 1, 0, 0, 0};
        Put16(dh + 4, (DWORD)pages);
        ok = stream->Write(dh, 1, 6) == 6;
        BYTE blank[16];
        memset(blank, 0, sizeof(blank));
        for (int i = 0; i < pages && ok; i++)
            ok = stream->Write(blank, 1, 16) == 16;
    }
    Put32(entry + 12, (DWORD)m_nextPageOffset);
    long dataAt = m_directoryStart + m_nextPageOffset;
    ok = ok && stream->Seek(dataAt, SEEK_SET) &&
         stream->Write(page.GetBuffer(false), 1, pageSize) == pageSize &&
         stream->Seek(m_directoryStart + 6 + 16 * m_pagesWritten, SEEK_SET) &&
         stream->Write(entry, 1, 16) == 16 && stream->Seek(dataAt + (long)pageSize, SEEK_SET);
    if (!ok)
    {
        SetLastError("Write Error in ICO file");
        return false;
    }
    m_nextPageOffset += (int32_t)pageSize;
    m_pagesWritten++;
    return true;
}
