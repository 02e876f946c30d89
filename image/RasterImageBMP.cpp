// BMP codec: file and information headers (core, 40, 64, 124 bytes and larger ones), palettes,
// RLE4 and RLE8, 16- and 32-bit bit fields, top-down rows; the encoder writes the DIB as it is.
#include "image/RasterImageBMP.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "image/ByteOrder.h"
#include "image/ByteStream.h"

namespace
{
using imagedetail::Le16;
using imagedetail::Le32;
using imagedetail::Put16;
using imagedetail::Put32;

int BitCount(DWORD v)
{
    int n = 0;
    for (; v; v &= v - 1)
        n++;
    return n;
}

// One colour channel of a 16-bit pixel, scaled to 8 bits by the width of its mask.
struct CChannel16
{
    DWORD mask;
    int low;
    int bits;

    explicit CChannel16(DWORD m) : mask(m & 0xFFFF), low(0), bits(BitCount(m & 0xFFFF))
    {
        if (mask)
            while (!((mask >> low) & 1))
                low++;
    }

    BYTE Get(DWORD pixel) const
    {
        if (!mask)
            return 0;
        DWORD v = (pixel & mask) >> low;
        if (bits < 8)
            v <<= 8 - bits;
        else if (bits > 8)
            v >>= bits - 8;
        return (BYTE)v;
    }
};

// The byte of a 32-bit pixel that a mask selects: the highest byte in which it has bits.
int MaskByte(DWORD mask)
{
    for (int i = 3; i >= 0; i--)
        if ((mask >> (8 * i)) & 0xFF)
            return i;
    return -1;
}

// Reads and drops n bytes; false when the data end first.
bool SkipBytes(CByteStream* stream, DWORD n)
{
    BYTE scrap[256];
    while (n)
    {
        size_t chunk = n < sizeof(scrap) ? n : sizeof(scrap);
        if (stream->Read(scrap, 1, chunk) != chunk)
            return false;
        n -= (DWORD)chunk;
    }
    return true;
}

const char kBadInfo[] = "Error reading BMP info";
}

struct CRasterImageBMP::FileInfo
{
    long start;
    DWORD offset;
    bool core;
    bool topDown;
    LONG width;
    LONG height;
    WORD planes;
    WORD bitCount;
    DWORD compression;
    DWORD imageSize;
    LONG xPelsPerMeter;
    LONG yPelsPerMeter;
    DWORD colorsUsed;
    bool headerMasks;       // masks holds the bit-field masks of the file
    DWORD masks[3];
};

bool CRasterImageBMP::Decode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    FileInfo file;
    memset(&file, 0, sizeof(file));
    const char* stop = DecodeBody(stream, file);
    if (!stop)
        return true;
    if (stop != info.lastError && *stop)
        SetLastError(stop);
    return info.escape == -1 && strcmp(stop, "output dimensions returned") == 0;
}

const char* CRasterImageBMP::ReadInfoHeader(CByteStream* stream, FileInfo& file)
{
    BYTE h[52];
    if (stream->Read(h, 1, 4) != 4)
        return kBadInfo;
    DWORD size = Le32(h);
    if (size == 12)
    {
        if (stream->Read(h + 4, 1, 8) != 8)
            return kBadInfo;
        file.core = true;
        file.width = Le16(h + 4);
        file.height = Le16(h + 6);
        file.planes = Le16(h + 8);
        file.bitCount = Le16(h + 10);
    }
    else if (size >= 40)
    {
        if (stream->Read(h + 4, 1, 36) != 36)
            return kBadInfo;
        file.width = (LONG)Le32(h + 4);
        file.height = (LONG)Le32(h + 8);
        file.planes = Le16(h + 12);
        file.bitCount = Le16(h + 14);
        file.compression = Le32(h + 16);
        file.imageSize = Le32(h + 20);
        file.xPelsPerMeter = (LONG)Le32(h + 24);
        file.yPelsPerMeter = (LONG)Le32(h + 28);
        file.colorsUsed = Le32(h + 32);
    }
    else
    {
        return kBadInfo;
    }

    switch (file.bitCount)
    {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return kBadInfo;
    }
    if (file.height == (LONG)0x80000000)
        return kBadInfo;
    if (file.height < 0)
    {
        file.topDown = true;
        file.height = -file.height;
    }
    uint64_t computed = (((uint64_t)file.bitCount * (DWORD)file.width + 31) / 32) * 4 *
                        (uint64_t)(DWORD)file.height;
    if (file.imageSize == 0)
        file.imageSize = computed > 0xFFFFFFFFull ? 0xFFFFFFFFu : (DWORD)computed;

    if (size > 40)
    {
        DWORD extra = size - 40;
        bool known = size == 64 || size == 124;
        if (!known && (file.imageSize < computed || file.planes != 1 || file.colorsUsed != 0))
            return kBadInfo;
        // Version 4 and 5 headers carry the bit-field masks right after the first 40 bytes.
        if (size != 64 && extra >= 12 && file.compression == BI_BITFIELDS)
        {
            if (stream->Read(h + 40, 1, 12) != 12)
                return kBadInfo;
            file.headerMasks = true;
            for (int i = 0; i < 3; i++)
                file.masks[i] = Le32(h + 40 + 4 * i);
            extra -= 12;
        }
        if (!SkipBytes(stream, extra))
            return kBadInfo;
    }
    // Otherwise the masks follow the header, ahead of any palette and of the pixel offset.
    if (!file.headerMasks && file.compression == BI_BITFIELDS &&
        (file.bitCount == 16 || file.bitCount == 32))
    {
        if (stream->Read(h + 40, 1, 12) != 12)
            return kBadInfo;
        file.headerMasks = true;
        for (int i = 0; i < 3; i++)
            file.masks[i] = Le32(h + 40 + 4 * i);
    }
    if (file.colorsUsed == 0 && file.bitCount <= 8)
        file.colorsUsed = 1u << file.bitCount;
    return nullptr;
}

// Everything after the argument check; returns null on success, else the text of the stop.
const char* CRasterImageBMP::DecodeBody(CByteStream* stream, FileInfo& file)
{
    file.start = stream->Tell();
    BYTE fh[14];
    if (stream->Read(fh, 1, 14) != 14)
        return "Not a BMP";
    if (Le16(fh) == 0x4D42)
    {
        file.offset = Le32(fh + 10);
    }
    else
    {
        // No file header: a bare DIB starts right here.
        file.offset = 0;
        stream->Seek(file.start, SEEK_SET);
    }
    const char* bad = ReadInfoHeader(stream, file);
    if (bad)
        return bad;

    if (info.escape == -1)
    {
        header.biWidth = file.width;
        header.biHeight = file.height;
        info.type = ImageTypeBMP;
        return "output dimensions returned";
    }

    if (!Create(file.width, file.height, file.bitCount, ImageTypeBMP))
        return info.lastError;
    SetXDPI((int)floor(file.xPelsPerMeter * 0.0254 + 0.5));
    SetYDPI((int)floor(file.yPelsPerMeter * 0.0254 + 0.5));
    if (info.escape)
        return "Cancelled";

    // The image's own palette size bounds what is read; entries beyond it are passed over.
    DWORD entries = header.biClrUsed;
    DWORD wanted = file.colorsUsed;
    DWORD taken = wanted < entries ? wanted : entries;
    int entrySize = file.core ? 3 : 4;
    RGBQUAD palette[256];
    memset(palette, 0, sizeof(palette));
    for (DWORD i = 0; i < taken; i++)
    {
        BYTE e[4] = {0, 0, 0, 0};
        if (stream->Read(e, 1, entrySize) != (size_t)entrySize)
            break;
        palette[i].rgbBlue = e[0];
        palette[i].rgbGreen = e[1];
        palette[i].rgbRed = e[2];
    }
    if (taken)
        SetPalette(palette, taken);
    if (file.offset == 0 && wanted > taken)
    {
        DWORD rest = wanted - taken;
        if (rest > 0x100000)
            rest = 0x100000;
        stream->Seek((long)(rest * entrySize), SEEK_CUR);
    }
    if (info.escape)
        return "Cancelled";

    if (file.offset != 0)
        stream->Seek(file.start + (long)file.offset, SEEK_SET);

    DWORD ownSize = header.biSizeImage;
    DWORD pixelBytes = file.imageSize < ownSize ? file.imageSize : ownSize;
    const char* stop = nullptr;
    switch (file.bitCount)
    {
    case 1:
    case 4:
    case 8:
        if (file.compression == BI_RGB)
            stream->Read(info.pixels, 1, pixelBytes);
        else if (file.compression == BI_RLE8 && file.bitCount == 8)
            DecodeRle(stream, false);
        else if (file.compression == BI_RLE4 && file.bitCount == 4)
            DecodeRle(stream, true);
        else
            stop = "compression type not supported";
        break;
    case 16:
    {
        DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
        if (file.compression == BI_BITFIELDS)
            memcpy(masks, file.masks, sizeof(masks));
        stop = ReadPixels16(stream, masks);
        break;
    }
    case 24:
        if (file.compression != BI_RGB)
            stop = "unknown compression";
        else
            stream->Read(info.pixels, 1, pixelBytes);
        break;
    case 32:
    {
        DWORD masks[3] = {0xFF0000, 0xFF00, 0xFF};
        if (file.compression == BI_BITFIELDS)
            memcpy(masks, file.masks, sizeof(masks));
        else if (file.compression != BI_RGB)
        {
            stop = "unknown compression";
            break;
        }
        stop = ReadPixels32(stream, masks, file.compression == BI_RGB);
        break;
    }
    default:
        stop = kBadInfo;
        break;
    }
    if (stop)
        return stop;
    if (file.topDown)
        Flip(false, true);
    return nullptr;
}

const char* CRasterImageBMP::ReadPixels16(CByteStream* stream, const DWORD masks[3])
{
    int w = header.biWidth;
    size_t fileRow = (size_t)((w + 1) / 2) * 4;
    BYTE* row = (BYTE*)malloc(fileRow);
    if (!row)
        return "can't allocate memory";
    CChannel16 red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int y = 0; y < header.biHeight; y++)
    {
        if (stream->Read(row, 1, fileRow) != fileRow)
            break;
        BYTE* dst = GetBits(y);
        for (int x = 0; x < w; x++)
        {
            DWORD p = Le16(row + 2 * x);
            dst[3 * x] = blue.Get(p);
            dst[3 * x + 1] = green.Get(p);
            dst[3 * x + 2] = red.Get(p);
        }
    }
    free(row);
    return nullptr;
}

const char* CRasterImageBMP::ReadPixels32(CByteStream* stream, const DWORD masks[3], bool alpha)
{
    int w = header.biWidth;
    int h = header.biHeight;
    size_t total = (size_t)w * h * 4;
    BYTE* data = (BYTE*)calloc(1, total);
    if (!data)
        return "can't allocate memory";
    stream->Read(data, 1, total);
    if (alpha)
    {
        bool any = false;
        for (size_t i = 3; i < total && !any; i += 4)
            any = data[i] != 0;
        // Bitmaps whose fourth bytes are all zero carry no alpha at all.
        if (any && CreateAlpha())
            for (size_t i = 0; i < (size_t)w * h; i++)
                alphaMask[i] = data[4 * i + 3];
    }
    int red = MaskByte(masks[0]), green = MaskByte(masks[1]), blue = MaskByte(masks[2]);
    for (int y = 0; y < h; y++)
    {
        const BYTE* src = data + (size_t)y * w * 4;
        BYTE* dst = GetBits(y);
        for (int x = 0; x < w; x++, src += 4)
        {
            dst[3 * x] = blue >= 0 ? src[blue] : 0;
            dst[3 * x + 1] = green >= 0 ? src[green] : 0;
            dst[3 * x + 2] = red >= 0 ? src[red] : 0;
        }
    }
    free(data);
    return nullptr;
}

void CRasterImageBMP::DecodeRle(CByteStream* stream, bool fourBit)
{
    int w = header.biWidth;
    int h = header.biHeight;
    int x = 0, y = 0;
    // Runs never spill into the next row, and nothing lands outside the image.
    auto put = [&](BYTE index) {
        if (x < w && y < h)
            SetPixelIndexUnchecked(x, y, index);
        if (x < w)
            x++;
    };
    while (y < h)
    {
        long count = stream->GetChar();
        if (count < 0)
            break;
        if (count > 0)
        {
            long value = stream->GetChar();
            if (value < 0)
                break;
            for (long i = 0; i < count && x < w; i++)
                put(fourBit ? (BYTE)((i & 1) ? (value & 15) : (value >> 4)) : (BYTE)value);
            continue;
        }
        long code = stream->GetChar();
        if (code < 0 || code == 1)
            break;
        if (code == 0)
        {
            x = 0;
            y++;
        }
        else if (code == 2)
        {
            long dx = stream->GetChar();
            long dy = stream->GetChar();
            if (dx < 0 || dy < 0)
                break;
            x = x + dx > w ? w : (int)(x + dx);
            y += (int)dy;
        }
        else
        {
            long bytes = fourBit ? (code + 1) / 2 : code;
            long value = 0;
            for (long i = 0; i < code; i++)
            {
                if (!fourBit || !(i & 1))
                {
                    value = stream->GetChar();
                    if (value < 0)
                        return;
                }
                put(fourBit ? (BYTE)((i & 1) ? (value & 15) : (value >> 4)) : (BYTE)value);
            }
            if (bytes & 1)
                stream->GetChar();
        }
    }
}

bool CRasterImageBMP::Encode(CByteStream* stream)
{
    if (CheckBeforeEncode(stream))
        return false;
    BYTE fh[14];
    memset(fh, 0, sizeof(fh));
    Put16(fh, 0x4D42);
    bool ok;
    if (header.biBitCount <= 8 || !alphaMask)
    {
        Put32(fh + 2, GetSize() + 14);
        Put32(fh + 10, 14 + 40 + GetPaletteSize());
        ok = stream->Write(fh, 1, 14) == 14 && stream->Write(dib, GetSize(), 1) == 1;
    }
    else
    {
        int w = header.biWidth;
        int h = header.biHeight;
        DWORD imageSize = (DWORD)w * 4 * h;
        Put32(fh + 2, imageSize + 40 + 14);
        Put32(fh + 10, 54);
        BYTE ih[40];
        memset(ih, 0, sizeof(ih));
        Put32(ih, 40);
        Put32(ih + 4, (DWORD)w);
        Put32(ih + 8, (DWORD)h);
        Put16(ih + 12, 1);
        Put16(ih + 14, 32);
        Put32(ih + 16, BI_RGB);
        Put32(ih + 20, imageSize);
        Put32(ih + 24, (DWORD)header.biXPelsPerMeter);
        Put32(ih + 28, (DWORD)header.biYPelsPerMeter);
        ok = stream->Write(fh, 1, 14) == 14 && stream->Write(ih, 1, 40) == 40;
        BYTE* row = ok ? (BYTE*)malloc((size_t)w * 4) : nullptr;
        if (ok && !row)
        {
            SetLastError("can't allocate memory");
            return false;
        }
        for (int y = 0; y < h && ok; y++)
        {
            const BYTE* src = GetBits(y);
            const BYTE* alpha = alphaMask + (size_t)y * w;
            for (int x = 0; x < w; x++)
            {
                row[4 * x] = src[3 * x];
                row[4 * x + 1] = src[3 * x + 1];
                row[4 * x + 2] = src[3 * x + 2];
                row[4 * x + 3] = alpha[x];
            }
            ok = stream->Write(row, 4, w) == (size_t)w;
        }
        free(row);
    }
    if (!ok)
        SetLastError("Write Error in BMP file");
    return ok;
}
