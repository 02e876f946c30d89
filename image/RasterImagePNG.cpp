// PNG codec: libpng read, write, flush and error call-backs over a CByteStream, colour types onto
// DIB formats, alpha channels and tRNS onto the alpha mask, transparent index or palette alpha.
#include "image/RasterImagePNG.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "image/ByteStream.h"

static_assert(sizeof(png_color) == 3, "png_color must be a byte triple");

namespace
{
struct CPngIo
{
    CByteStream* stream;
    char* lastError;
};

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    CPngIo* io = (CPngIo*)png_get_io_ptr(png);
    if (io->stream->Read(data, 1, length) != length)
        png_error(png, "Read Error");
}

void WriteData(png_structp png, png_bytep data, png_size_t length)
{
    CPngIo* io = (CPngIo*)png_get_io_ptr(png);
    if (io->stream->Write(data, 1, length) != length)
        png_error(png, "Write Error");
}

void FlushData(png_structp png)
{
    CPngIo* io = (CPngIo*)png_get_io_ptr(png);
    if (!io->stream->Flush())
        png_error(png, "Flush Error");
}

void ReadError(png_structp png, png_const_charp message)
{
    CPngIo* io = (CPngIo*)png_get_error_ptr(png);
    strncpy(io->lastError, message ? message : "", 255);
    io->lastError[255] = 0;
    png_longjmp(png, 1);
}

void WriteError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void Warning(png_structp, png_const_charp)
{
}

int CompressionLevel(int options)
{
    switch (options & 14)
    {
    case 2: return 0;
    case 4: return 1;
    case 6: return 9;
    default: return -1;
    }
}
}

struct CRasterImagePNG::DecodeState
{
    CPngIo io;
    png_structp png;
    png_infop info;
    BYTE* row;
};

struct CRasterImagePNG::EncodeState
{
    CPngIo io;
    png_structp png;
    png_infop info;
    BYTE* row;
    bool swapped;       // palette entry 0 and the transparent index were exchanged
};

void CRasterImagePNG::Expand2to4Bpp(BYTE* row)
{
    if (!row)
        return;
    int width = header.biWidth;
    // From the right end, a pair of pixels at a time: each output byte lies at or after the
    // input byte it comes from, and no input byte still needed is overwritten.
    for (int x = (width - 1) & ~1; x >= 0; x -= 2)
    {
        BYTE left = (BYTE)((row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        BYTE right = 0;
        if (x + 1 < width)
            right = (BYTE)((row[(x + 1) >> 2] >> (6 - 2 * ((x + 1) & 3))) & 3);
        row[x >> 1] = (BYTE)((left << 4) | right);
    }
}

bool CRasterImagePNG::Decode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    DecodeState state;
    memset(&state, 0, sizeof(state));
    state.io.stream = stream;
    state.io.lastError = info.lastError;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state.io, ReadError, Warning);
    if (!state.png)
    {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    state.info = png_create_info_struct(state.png);
    if (!state.info)
    {
        SetLastError("Failed to initialize PNG info structure");
        png_destroy_read_struct(&state.png, nullptr, nullptr);
        return false;
    }
    bool ok = RunDecode(state);
    free(state.row);
    png_destroy_read_struct(&state.png, &state.info, nullptr);
    return ok;
}

// All libpng work of a decode; an error jumps back here and the caller cleans up.
bool CRasterImagePNG::RunDecode(DecodeState& state)
{
    png_structp png = state.png;
    png_infop pinfo = state.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &state.io, ReadData);
    png_read_info(png, pinfo);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, pinfo, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (info.escape == -1)
    {
        header.biWidth = (LONG)width;
        header.biHeight = (LONG)height;
        info.type = ImageTypePNG;
        return true;
    }

    DWORD bpp;
    bool withAlpha = false;
    switch (colorType)
    {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: bpp = bitDepth > 8 ? 8 : bitDepth; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: bpp = 8; withAlpha = true; break;
    case PNG_COLOR_TYPE_RGB: bpp = 24; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: bpp = 24; withAlpha = true; break;
    default:
        SetLastError("unknown PNG color type");
        return false;
    }
    // Every row is read (every pass of an interlaced file) before a decode succeeds.
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        !CreateForRows((int)width, (int)height, bpp, ImageTypePNG))
        return false;

    png_uint_32 xRes = 0, yRes = 0;
    int unit = 0;
    png_get_pHYs(png, pinfo, &xRes, &yRes, &unit);
    if (unit == PNG_RESOLUTION_UNKNOWN)
    {
        SetXDPI(xRes > 0x7FFFFFFF ? 0 : (int)xRes);
        SetYDPI(yRes > 0x7FFFFFFF ? 0 : (int)yRes);
    }
    else if (unit == PNG_RESOLUTION_METER)
    {
        SetXDPI((int)floor(xRes * 0.0254 + 0.5));
        SetYDPI((int)floor(yRes * 0.0254 + 0.5));
    }

    png_colorp palette = nullptr;
    int paletteCount = 0;
    if (png_get_PLTE(png, pinfo, &palette, &paletteCount) && palette)
    {
        SetPalette((const BYTE*)palette, (DWORD)paletteCount);
        SetClrImportant((DWORD)paletteCount);
    }
    else if (bitDepth == 2)
    {
        static const BYTE greys[4] = {0, 85, 170, 255};
        for (int i = 0; i < 4; i++)
            SetPaletteColor(i, greys[i], greys[i], greys[i], 0);
    }
    else
    {
        SetGrayPalette();
    }

    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transValues = nullptr;
    if (png_get_tRNS(png, pinfo, &transAlpha, &transCount, &transValues))
    {
        int shift = bitDepth == 16 ? 8 : 0;
        bool paletteFile = colorType == PNG_COLOR_TYPE_PALETTE;
        RGBQUAD* entries = GetPalette();
        // A single palette alpha that is not 0 is a partial opacity, not a transparent index.
        bool singleClear = transCount == 1 && (!paletteFile || (transAlpha && transAlpha[0] == 0));
        if (singleClear)
        {
            if (paletteFile)
                info.transIndex = transValues ? transValues->index : 0;
            else if (transValues)
                info.transIndex = transValues->gray >> shift;
        }
        else if (paletteFile && transAlpha && entries && transCount >= 1)
        {
            DWORD n = (DWORD)transCount < header.biClrUsed ? (DWORD)transCount : header.biClrUsed;
            for (DWORD i = 0; i < header.biClrUsed; i++)
                entries[i].rgbReserved = i < n ? transAlpha[i] : 255;
            info.paletteAlpha = 1;
        }
        if (colorType == PNG_COLOR_TYPE_RGB && transValues)
        {
            RGBQUAD c = {(BYTE)(transValues->blue >> shift), (BYTE)(transValues->green >> shift),
                         (BYTE)(transValues->red >> shift), 0};
            info.transColor = c;
            info.transIndex = 0;
        }
    }

    if (withAlpha && !CreateAlpha())
    {
        SetLastError("can't allocate memory");
        return false;
    }
    if (colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (info.escape)
        return false;

    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, pinfo);
    info.codecOptions[ImageTypePNG] = (info.codecOptions[ImageTypePNG] & ~1) | (passes >= 2 ? 1 : 0);
    size_t rowBytes = png_get_rowbytes(png, pinfo);
    // Rows without alpha already have the DIB's layout and are read straight into the image;
    // libpng puts each pass of an interlaced file around the pixels already there. Rows with
    // alpha go through a buffer and are split into pixels and mask.
    if (!withAlpha && rowBytes > (size_t)info.rowStride)
    {
        SetLastError("PNG rows wider than the image");
        return false;
    }
    if (withAlpha)
    {
        state.row = (BYTE*)malloc(rowBytes + 8);
        if (!state.row)
        {
            SetLastError("can't allocate memory");
            return false;
        }
    }
    BYTE* row = state.row;
    int w = header.biWidth;
    bool grayAlpha = colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
    for (int pass = 0; pass < passes; pass++)
    {
        for (int y = header.biHeight - 1; y >= 0; y--)
        {
            if (info.escape)
                return false;
            BYTE* dst = GetBits(y);
            if (!withAlpha)
            {
                png_read_row(png, dst, nullptr);
                if (bitDepth == 2 && pass == passes - 1)
                    Expand2to4Bpp(dst);
                continue;
            }
            BYTE* alpha = alphaMask + (size_t)y * w;
            if (grayAlpha)
            {
                if (pass > 0)
                    for (int x = 0; x < w; x++)
                    {
                        row[2 * x] = dst[x];
                        row[2 * x + 1] = alpha[x];
                    }
                png_read_row(png, row, nullptr);
                for (int x = 0; x < w; x++)
                {
                    dst[x] = row[2 * x];
                    alpha[x] = row[2 * x + 1];
                }
                continue;
            }
            if (pass > 0)
                for (int x = 0; x < w; x++)
                {
                    memcpy(row + 4 * x, dst + 3 * x, 3);
                    row[4 * x + 3] = alpha[x];
                }
            png_read_row(png, row, nullptr);
            const BYTE* s = row;
            for (int x = 0; x < w; x++, s += 4, dst += 3)
            {
                dst[0] = s[0];
                dst[1] = s[1];
                dst[2] = s[2];
                alpha[x] = s[3];
            }
        }
    }
    png_read_end(png, nullptr);
    return true;
}

bool CRasterImagePNG::Encode(CByteStream* stream)
{
    if (CheckBeforeEncode(stream))
        return false;
    EncodeState state;
    memset(&state, 0, sizeof(state));
    state.io.stream = stream;
    state.io.lastError = info.lastError;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state.io, WriteError, Warning);
    if (!state.png)
    {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    state.info = png_create_info_struct(state.png);
    if (!state.info)
    {
        SetLastError("Failed to initialize PNG info structure");
        png_destroy_write_struct(&state.png, nullptr);
        return false;
    }
    bool ok = RunEncode(state);
    // The caller's palette and pixels get their order back whether or not the write worked.
    if (state.swapped)
        SwapIndex(0, (BYTE)info.transIndex);
    free(state.row);
    png_destroy_write_struct(&state.png, &state.info);
    return ok;
}

bool CRasterImagePNG::RunEncode(EncodeState& state)
{
    png_structp png = state.png;
    png_infop pinfo = state.info;
    if (setjmp(png_jmpbuf(png)))
    {
        SetLastError("Error saving PNG file");
        return false;
    }
    png_set_write_fn(png, &state.io, WriteData, FlushData);

    int w = header.biWidth;
    int h = header.biHeight;
    int bpp = header.biBitCount;
    int channels = bpp > 8 ? 3 : 1;
    int bitDepth = bpp / channels;
    bool indexed = IsIndexed();
    bool gray = indexed && IsGrayScale();
    int colorType = !indexed ? PNG_COLOR_TYPE_RGB : (gray ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE);
    bool withAlpha = alphaMask != nullptr;
    if (withAlpha)
    {
        colorType |= PNG_COLOR_MASK_ALPHA;
        channels++;
        bitDepth = 8;
    }
    int options = info.codecOptions[ImageTypePNG];
    png_set_compression_level(png, CompressionLevel(options));

    bool transparent = info.transIndex >= 0;
    RGBQUAD transColor = GetTransColor();
    png_color_16 background;
    memset(&background, 0, sizeof(background));
    RGBQUAD backColor = {255, 255, 255, 0};
    if (transparent)
        backColor = transColor;
    background.red = backColor.rgbRed;
    background.green = backColor.rgbGreen;
    background.blue = backColor.rgbBlue;
    background.gray = (png_uint_16)(transparent ? info.transIndex : (1 << bitDepth) - 1);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        background.index = (png_byte)(transparent ? 0 : GetNearestIndex(backColor));
    png_set_bKGD(png, pinfo, &background);
    png_set_pHYs(png, pinfo, (png_uint_32)header.biXPelsPerMeter,
                 (png_uint_32)header.biYPelsPerMeter, PNG_RESOLUTION_METER);
    png_set_IHDR(png, pinfo, (png_uint_32)w, (png_uint_32)h, bitDepth, colorType,
                 (options & 1) ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

    // PNG allows no tRNS beside an alpha channel; the alpha mask says it instead.
    if (transparent && !withAlpha)
    {
        if (colorType == PNG_COLOR_TYPE_PALETTE)
        {
            if (info.transIndex != 0)
            {
                SwapIndex(0, (BYTE)info.transIndex);
                state.swapped = true;
            }
            static png_byte clear = 0;
            png_set_tRNS(png, pinfo, &clear, 1, nullptr);
        }
        else
        {
            png_color_16 value;
            memset(&value, 0, sizeof(value));
            value.index = (png_byte)info.transIndex;
            value.red = transColor.rgbRed;
            value.green = transColor.rgbGreen;
            value.blue = transColor.rgbBlue;
            value.gray = (png_uint_16)info.transIndex;
            png_set_tRNS(png, pinfo, nullptr, 1, &value);
        }
    }

    if (indexed && !gray)
    {
        DWORD n = header.biClrImportant ? header.biClrImportant : header.biClrUsed;
        if (n > header.biClrUsed)
            n = header.biClrUsed;
        png_color colors[256];
        png_byte alphas[256];
        RGBQUAD* entries = GetPalette();
        for (DWORD i = 0; i < n; i++)
        {
            colors[i].red = entries[i].rgbRed;
            colors[i].green = entries[i].rgbGreen;
            colors[i].blue = entries[i].rgbBlue;
            alphas[i] = entries[i].rgbReserved;
        }
        png_set_PLTE(png, pinfo, colors, (int)n);
        if (info.paletteAlpha)
            png_set_tRNS(png, pinfo, alphas, (int)n, nullptr);
    }

    if (withAlpha && transparent && bpp == 24)
    {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
            {
                const BYTE* p = GetPixelPointer(x, y);
                if (p[0] == transColor.rgbBlue && p[1] == transColor.rgbGreen &&
                    p[2] == transColor.rgbRed)
                    AlphaSet(x, y, 0);
            }
    }

    size_t rowBytes = (size_t)(bitDepth / 8) * channels * w;
    if (rowBytes < (size_t)info.rowStride)
        rowBytes = info.rowStride;
    state.row = (BYTE*)malloc(rowBytes + 8);
    if (!state.row)
    {
        SetLastError("can't allocate memory");
        return false;
    }
    BYTE* row = state.row;
    png_write_info(png, pinfo);
    int passes = png_set_interlace_handling(png);
    size_t fileRowBytes = png_get_rowbytes(png, pinfo);
    size_t copyBytes = fileRowBytes < (size_t)info.rowStride ? fileRowBytes : (size_t)info.rowStride;
    for (int pass = 0; pass < passes; pass++)
    {
        for (int y = h - 1; y >= 0; y--)
        {
            if (!withAlpha)
            {
                memcpy(row, GetBits(y), copyBytes);
                if (colorType == PNG_COLOR_TYPE_RGB)
                    SwapRedBlue(row, info.rowStride);
            }
            else
            {
                for (int x = 0; x < w; x++)
                {
                    RGBQUAD c = GetPixelColorUnchecked(x, y, true);
                    if (colorType == PNG_COLOR_TYPE_RGB_ALPHA)
                    {
                        row[4 * x] = c.rgbRed;
                        row[4 * x + 1] = c.rgbGreen;
                        row[4 * x + 2] = c.rgbBlue;
                        row[4 * x + 3] = c.rgbReserved;
                    }
                    else
                    {
                        row[2 * x] = c.rgbRed;
                        row[2 * x + 1] = c.rgbReserved;
                    }
                }
            }
            png_write_row(png, row);
        }
    }
    png_write_end(png, pinfo);
    return true;
}
