// CRasterImage: creation, copying and hand-over, palette, pixel access and resolution.
#include "image/RasterImage.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "image/PixelBlocks.h"

namespace
{
const double kMaxImageBytes = 268435456.0;

bool IsShallow(const CRasterImageInfo& info)
{
    return info.shallowSource != nullptr;
}
}

CRasterImage::CRasterImage(int type)
{
    InitMembers(type);
}

CRasterImage::CRasterImage(int width, int height, DWORD bpp, int type)
{
    InitMembers(type);
    Create(width, height, bpp, type);
}

CRasterImage::CRasterImage(const CRasterImage& source, bool copyPixels, bool copySelection,
                           bool copyAlpha)
{
    InitMembers(source.info.type);
    Copy(source, copyPixels, copySelection, copyAlpha);
}

CRasterImage::CRasterImage(const CRasterImage& source)
{
    InitMembers(source.info.type);
    Copy(source, true, true, true);
}

CRasterImage& CRasterImage::operator=(const CRasterImage& source)
{
    if (this != &source)
        Copy(source, true, true, true);
    return *this;
}

CRasterImage::~CRasterImage()
{
    DestroyFrames();
    Destroy();
}

void CRasterImage::InitMembers(int type)
{
    dib = nullptr;
    selectionMask = nullptr;
    alphaMask = nullptr;
    layers = nullptr;
    layerCount = 0;
    frames = nullptr;
    frameCount = 0;
    memset(&header, 0, sizeof(header));
    memset(&info, 0, sizeof(info));
    info.type = (type >= 0 && type <= 5) ? type : 0;
    info.jpegQuality = 90.0f;
    info.jpegScale = 1;
    info.alphaMax = 255;
    info.transIndex = -1;
    info.enabled = 1;
    SetXDPI(96);
    SetYDPI(96);
    info.littleEndian = 1;
}

void CRasterImage::SetLastError(const char* text)
{
    strncpy(info.lastError, text, sizeof(info.lastError) - 1);
    info.lastError[sizeof(info.lastError) - 1] = 0;
}

void CRasterImage::CopyLastErrorFrom(const CRasterImage& other)
{
    if (&other != this)
        SetLastError(other.info.lastError);
}

BYTE* CRasterImage::Create(int width, int height, DWORD bpp, int type)
{
    return CreateBlock(width, height, bpp, type, true);
}

BYTE* CRasterImage::CreateForRows(int width, int height, DWORD bpp, int type)
{
    BYTE* block = CreateBlock(width, height, bpp, type, false);
    if (!block)
        return nullptr;
    size_t used = ((size_t)header.biWidth * header.biBitCount + 7) / 8;
    size_t padding = (size_t)info.rowStride - used;
    if (padding)
        for (int y = 0; y < header.biHeight; y++)
            memset(info.pixels + (size_t)y * info.rowStride + used, 0, padding);
    return block;
}

BYTE* CRasterImage::CreateBlock(int width, int height, DWORD bpp, int type, bool clearPixels)
{
    if (IsShallow(info))
        return nullptr;
    // A new picture over an old one starts fresh; an empty image keeps what was prepared on it
    // (CopyInfo, a dpi) for the picture made now.
    bool replacing = dib != nullptr;
    ReleaseBuffers();
    if (replacing)
        ForgetPicture();
    DestroyFrames();
    if (width == 0 || height == 0 || height < 0)
    {
        SetLastError("CRasterImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    if (bpp <= 1)
        bpp = 1;
    else if (bpp <= 4)
        bpp = 4;
    else if (bpp <= 8)
        bpp = 8;
    else
        bpp = 24;
    if ((double)(DWORD)width * (double)height * (double)bpp / 8.0 > kMaxImageBytes)
    {
        SetLastError("IMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }
    DWORD entries = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    uint64_t stride = (((uint64_t)width * bpp + 31) / 32) * 4;
    uint64_t imageSize = stride * (uint64_t)height;
    uint64_t total = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD) + imageSize;
    if (total > (uint64_t)0x7FFFFFFF)
    {
        SetLastError("IMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }
    // New pixels start black (index 0) rather than with whatever the heap held.
    size_t paletteEnd = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    void* block = detail::AllocatePixelBlock((size_t)total, clearPixels ? (size_t)total : paletteEnd);
    if (!block)
    {
        SetLastError("CRasterImage::Create can't allocate memory");
        return nullptr;
    }
    info.type = (type >= 0 && type <= 5) ? type : 0;
    info.rowStride = (int32_t)stride;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = (WORD)bpp;
    header.biCompression = BI_RGB;
    header.biSizeImage = (DWORD)imageSize;
    header.biClrUsed = entries;
    dib = block;
    free(selectionMask);
    selectionMask = nullptr;
    free(alphaMask);
    alphaMask = nullptr;
    info.selectionBox = {width, 0, 0, height};
    InvalidateNearestColor();
    memcpy(dib, &header, sizeof(header));
    info.pixels = (BYTE*)dib + sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    return (BYTE*)dib;
}

bool CRasterImage::Destroy()
{
    if (IsShallow(info))
        return false;
    ReleaseBuffers();
    ForgetPicture();
    return true;
}

void CRasterImage::ReleaseBuffers()
{
    if (layers)
    {
        for (int i = 0; i < layerCount; i++)
            delete layers[i];
        delete[] layers;
        layers = nullptr;
        layerCount = 0;
    }
    free(selectionMask);
    selectionMask = nullptr;
    free(alphaMask);
    alphaMask = nullptr;
    detail::ReleasePixelBlock(dib);
    dib = nullptr;
    info.pixels = nullptr;
}

// What a file or a caller said about the picture goes with it: transparency, resolution, the
// important colours, animation details. Options (escape, JPEG quality and scale, the frame to
// load, codec options) and the drawing settings (enabled, alphaMax) stay with the object.
void CRasterImage::ForgetPicture()
{
    memset(&header, 0, sizeof(header));
    SetXDPI(96);
    SetYDPI(96);
    info.rowStride = 0;
    info.transIndex = -1;
    memset(&info.transColor, 0, sizeof(info.transColor));
    info.paletteAlpha = 0;
    info.progress = 0;
    info.frameDelay = 0;
    info.xOffset = 0;
    info.yOffset = 0;
    info.gifDisposal = 0;
    info.numFrames = frameCount;
    memset(&info.selectionBox, 0, sizeof(info.selectionBox));
    InvalidateNearestColor();
}

void CRasterImage::CopyOptions(const CRasterImage& source)
{
    const CRasterImageInfo& from = source.info;
    info.escape = from.escape;
    info.jpegQuality = from.jpegQuality;
    info.jpegScale = from.jpegScale;
    info.currentFrame = from.currentFrame;
    info.gifAllFrames = from.gifAllFrames;
    memcpy(info.codecOptions, from.codecOptions, sizeof(info.codecOptions));
    info.enabled = from.enabled;
    info.alphaMax = from.alphaMax;
}

bool CRasterImage::DestroyFrames()
{
    if (IsShallow(info))
        return false;
    if (!frames)
        return true;
    for (int i = 0; i < frameCount; i++)
        delete frames[i];
    delete[] frames;
    frames = nullptr;
    frameCount = 0;
    info.numFrames = 0;
    return true;
}

CRasterImage* CRasterImage::GetFrame(int index) const
{
    if (!frames || index < 0 || index >= frameCount)
        return nullptr;
    return frames[index];
}

void CRasterImage::Copy(const CRasterImage& source, bool copyPixels, bool copySelection,
                        bool copyAlpha)
{
    if (&source == this)
        return;
    CRasterImage& src = const_cast<CRasterImage&>(source);
    if (IsShallow(src.info))
    {
        MakeShallowCopy(&src);
        return;
    }
    // A shallow copy owns nothing; overwriting it would free the buffers of its source.
    if (IsShallow(info))
        return;
    DestroyFrames();
    Destroy();
    info = src.info;
    info.pixels = nullptr;
    info.shallowSource = nullptr;
    header = src.header;
    if (!src.dib)
        return;
    if (!Create(src.header.biWidth, src.header.biHeight, src.header.biBitCount, src.info.type))
        return;
    if (copyPixels && dib && src.dib)
        memcpy(dib, src.dib, GetSize());
    else
        SetPalette(src.GetPalette(), 256);
    info.selectionBox = src.info.selectionBox;
    size_t maskSize = (size_t)header.biWidth * header.biHeight;
    if (copySelection && src.selectionMask)
    {
        selectionMask = (BYTE*)malloc(maskSize);
        if (selectionMask)
            memcpy(selectionMask, src.selectionMask, maskSize);
    }
    if (copyAlpha && src.alphaMask)
    {
        alphaMask = (BYTE*)malloc(maskSize);
        if (alphaMask)
            memcpy(alphaMask, src.alphaMask, maskSize);
    }
}

void CRasterImage::CopyInfo(const CRasterImage& source)
{
    if (dib || &source == this)
        return;
    info = source.info;
    // The pointers describe the source's buffers, never this image's.
    info.pixels = nullptr;
    info.shallowSource = nullptr;
    InvalidateNearestColor();
}

bool CRasterImage::TakeOver(CRasterImage& source, bool withFrames)
{
    if (&source == this)
        return true;
    // A shallow copy's buffers belong to another image.
    if (IsShallow(source.info))
        return false;
    int32_t ownFrameCount = info.numFrames;
    if (!Destroy())
        return false;
    header = source.header;
    info = source.info;
    dib = source.dib;
    selectionMask = source.selectionMask;
    alphaMask = source.alphaMask;
    layers = source.layers;
    layerCount = source.layerCount;
    memset(&source.header, 0, sizeof(source.header));
    memset(&source.info, 0, sizeof(source.info));
    source.dib = nullptr;
    source.selectionMask = nullptr;
    source.alphaMask = nullptr;
    source.layers = nullptr;
    source.layerCount = 0;
    if (withFrames)
    {
        int32_t numFrames = info.numFrames;
        DestroyFrames();
        info.numFrames = numFrames;
        frames = source.frames;
        frameCount = source.frameCount;
        source.frames = nullptr;
        source.frameCount = 0;
    }
    else
    {
        info.numFrames = ownFrameCount;
    }
    return true;
}

void CRasterImage::MakeShallowCopy(CRasterImage* source)
{
    if (!source || source == this)
        return;
    DestroyFrames();
    Destroy();
    header = source->header;
    info = source->info;
    dib = source->dib;
    selectionMask = source->selectionMask;
    alphaMask = source->alphaMask;
    layers = source->layers;
    layerCount = source->layerCount;
    frames = source->frames;
    frameCount = source->frameCount;
    info.shallowSource = source;
}

bool CRasterImage::SetType(int type)
{
    if (type >= 1 && type <= 5)
    {
        info.type = type;
        return true;
    }
    info.type = 0;
    return false;
}

DWORD CRasterImage::GetSize() const
{
    return sizeof(BITMAPINFOHEADER) + header.biClrUsed * sizeof(RGBQUAD) + header.biSizeImage;
}

BYTE* CRasterImage::GetBits(int row) const
{
    if (!dib)
        return nullptr;
    if (row == 0)
        return info.pixels;
    if (row < 0 || row >= header.biHeight)
        return nullptr;
    return info.pixels + (size_t)row * info.rowStride;
}

bool CRasterImage::IsInside(int x, int y) const
{
    return y >= 0 && y < header.biHeight && x >= 0 && x < header.biWidth;
}

int CRasterImage::GetCodecOption(int type) const
{
    if (type <= 0 || type > 5)
        type = info.type;
    if (type < 0 || type > 5)
        return 0;
    return info.codecOptions[type];
}

bool CRasterImage::SetCodecOption(int value, int type)
{
    if (type <= 0 || type > 5)
        type = info.type;
    if (type >= 0 && type <= 5)
        info.codecOptions[type] = value;
    return true;
}

void CRasterImage::SetXDPI(int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    info.xDpi = dpi;
    header.biXPelsPerMeter = (LONG)floor(dpi * 39.37007874015748 + 0.5);
    if (dib)
        ((BITMAPINFOHEADER*)dib)->biXPelsPerMeter = header.biXPelsPerMeter;
}

void CRasterImage::SetYDPI(int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    info.yDpi = dpi;
    header.biYPelsPerMeter = (LONG)floor(dpi * 39.37007874015748 + 0.5);
    if (dib)
        ((BITMAPINFOHEADER*)dib)->biYPelsPerMeter = header.biYPelsPerMeter;
}

void CRasterImage::SetTransIndex(int index)
{
    if (index >= 0 && (DWORD)index >= header.biClrUsed)
        index = 0;
    info.transIndex = index;
}

void CRasterImage::SetTransColor(RGBQUAD color)
{
    color.rgbReserved = 0;
    info.transColor = color;
}

RGBQUAD CRasterImage::GetTransColor() const
{
    if (header.biBitCount < 24 && info.transIndex >= 0)
        return GetPaletteColor(info.transIndex);
    return info.transColor;
}

RGBQUAD* CRasterImage::GetPalette() const
{
    if (!dib || header.biClrUsed == 0)
        return nullptr;
    return (RGBQUAD*)((BYTE*)dib + sizeof(BITMAPINFOHEADER));
}

RGBQUAD CRasterImage::GetPaletteColor(int index) const
{
    RGBQUAD color = {0, 0, 0, 0};
    RGBQUAD* palette = GetPalette();
    if (palette && index >= 0 && (DWORD)index < header.biClrUsed)
        color = palette[index];
    return color;
}

bool CRasterImage::GetPaletteColor(int index, BYTE* r, BYTE* g, BYTE* b) const
{
    RGBQUAD* palette = GetPalette();
    if (!palette || index < 0 || (DWORD)index >= header.biClrUsed)
        return false;
    *r = palette[index].rgbRed;
    *g = palette[index].rgbGreen;
    *b = palette[index].rgbBlue;
    return true;
}

void CRasterImage::SetPaletteColor(int index, BYTE r, BYTE g, BYTE b, BYTE alpha)
{
    RGBQUAD* palette = GetPalette();
    index &= 255;
    if (!palette || (DWORD)index >= header.biClrUsed)
        return;
    palette[index].rgbRed = r;
    palette[index].rgbGreen = g;
    palette[index].rgbBlue = b;
    palette[index].rgbReserved = alpha;
    InvalidateNearestColor();
}

void CRasterImage::SetPaletteColor(int index, RGBQUAD color)
{
    SetPaletteColor(index, color.rgbRed, color.rgbGreen, color.rgbBlue, color.rgbReserved);
}

void CRasterImage::SetPalette(const RGBQUAD* source, DWORD count)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || !source)
        return;
    if (count > header.biClrUsed)
        count = header.biClrUsed;
    memcpy(palette, source, count * sizeof(RGBQUAD));
    InvalidateNearestColor();
}

void CRasterImage::SetPalette(DWORD count, const BYTE* red, const BYTE* green, const BYTE* blue)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || !red)
        return;
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    if (count > header.biClrUsed)
        count = header.biClrUsed;
    for (DWORD i = 0; i < count; i++)
    {
        palette[i].rgbRed = red[i];
        palette[i].rgbGreen = green[i];
        palette[i].rgbBlue = blue[i];
    }
    InvalidateNearestColor();
}

void CRasterImage::SetPalette(const BYTE* rgbTriples, DWORD count)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || !rgbTriples)
        return;
    if (count > header.biClrUsed)
        count = header.biClrUsed;
    for (DWORD i = 0; i < count; i++)
    {
        palette[i].rgbRed = rgbTriples[i * 3];
        palette[i].rgbGreen = rgbTriples[i * 3 + 1];
        palette[i].rgbBlue = rgbTriples[i * 3 + 2];
    }
    InvalidateNearestColor();
}

void CRasterImage::SetGrayPalette()
{
    RGBQUAD* palette = GetPalette();
    if (!palette || header.biClrUsed < 2)
        return;
    DWORD step = 255 / (header.biClrUsed - 1);
    for (DWORD i = 0; i < header.biClrUsed; i++)
    {
        BYTE v = (BYTE)(i * step);
        palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = v;
    }
    InvalidateNearestColor();
}

bool CRasterImage::IsGrayScale() const
{
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; i++)
    {
        if (palette[i].rgbRed != i || palette[i].rgbGreen != i || palette[i].rgbBlue != i)
            return false;
    }
    return true;
}

void CRasterImage::SwapIndex(BYTE a, BYTE b)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || a == b || a >= header.biClrUsed || b >= header.biClrUsed)
        return;
    RGBQUAD t = palette[a];
    palette[a] = palette[b];
    palette[b] = t;
    for (int y = 0; y < header.biHeight; y++)
    {
        for (int x = 0; x < header.biWidth; x++)
        {
            BYTE index = GetPixelIndexUnchecked(x, y);
            if (index == a)
                SetPixelIndexUnchecked(x, y, b);
            else if (index == b)
                SetPixelIndexUnchecked(x, y, a);
        }
    }
    InvalidateNearestColor();
}

void CRasterImage::SetClrImportant(DWORD count)
{
    if (count == 0 || count > 256)
        count = 0;
    switch (header.biBitCount)
    {
    case 1: header.biClrImportant = count < 2 ? count : 2; break;
    case 4: header.biClrImportant = count < 16 ? count : 16; break;
    case 8: header.biClrImportant = count; break;
    default: return;
    }
    if (dib)
        ((BITMAPINFOHEADER*)dib)->biClrImportant = header.biClrImportant;
    InvalidateNearestColor();
}

BYTE CRasterImage::GetPixelIndexUnchecked(int x, int y) const
{
    const BYTE* row = info.pixels + (size_t)y * info.rowStride;
    switch (header.biBitCount)
    {
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

void CRasterImage::SetPixelIndexUnchecked(int x, int y, BYTE index)
{
    BYTE* row = info.pixels + (size_t)y * info.rowStride;
    switch (header.biBitCount)
    {
    case 8:
        row[x] = index;
        break;
    case 4:
        if (x & 1)
            row[x >> 1] = (BYTE)((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = (BYTE)((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    case 1:
    {
        BYTE bit = (BYTE)(0x80 >> (x & 7));
        if (index)
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= (BYTE)~bit;
        break;
    }
    default:
        break;
    }
}

BYTE CRasterImage::GetPixelIndex(int x, int y) const
{
    if (!dib || header.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y))
        return info.transIndex >= 0 ? (BYTE)info.transIndex : info.pixels[0];
    return GetPixelIndexUnchecked(x, y);
}

void CRasterImage::SetPixelIndex(int x, int y, BYTE index)
{
    if (!dib || header.biClrUsed == 0 || !IsInside(x, y))
        return;
    SetPixelIndexUnchecked(x, y, index);
}

RGBQUAD CRasterImage::GetPixelColorUnchecked(int x, int y, bool withAlpha) const
{
    RGBQUAD color;
    if (header.biClrUsed)
    {
        color = GetPalette()[GetPixelIndexUnchecked(x, y)];
    }
    else
    {
        const BYTE* p = info.pixels + (size_t)y * info.rowStride + x * 3;
        color.rgbBlue = p[0];
        color.rgbGreen = p[1];
        color.rgbRed = p[2];
        color.rgbReserved = info.transColor.rgbReserved;
    }
    if (withAlpha && alphaMask)
        color.rgbReserved = AlphaGetUnchecked(x, y);
    return color;
}

RGBQUAD CRasterImage::GetPixelColor(int x, int y, bool withAlpha) const
{
    if (dib && IsInside(x, y))
        return GetPixelColorUnchecked(x, y, withAlpha);
    if (info.transIndex >= 0)
        return header.biBitCount < 24 ? GetPaletteColor(info.transIndex) : info.transColor;
    if (dib)
        return GetPixelColorUnchecked(0, 0, true);
    return info.transColor;
}

void CRasterImage::SetPixelColorUnchecked(int x, int y, RGBQUAD color, bool setAlpha)
{
    if (header.biClrUsed)
    {
        SetPixelIndexUnchecked(x, y, GetNearestIndex(color));
    }
    else
    {
        BYTE* p = info.pixels + (size_t)y * info.rowStride + x * 3;
        p[0] = color.rgbBlue;
        p[1] = color.rgbGreen;
        p[2] = color.rgbRed;
    }
    if (setAlpha)
        AlphaSet(x, y, color.rgbReserved);
}

void CRasterImage::SetPixelColor(int x, int y, RGBQUAD color, bool setAlpha)
{
    if (!dib || !IsInside(x, y))
        return;
    SetPixelColorUnchecked(x, y, color, setAlpha);
}

void CRasterImage::SetPixelColor(int x, int y, COLORREF color)
{
    RGBQUAD c = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
    SetPixelColor(x, y, c, false);
}

BYTE CRasterImage::GetNearestIndex(RGBQUAD c)
{
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return 0;
    if (info.lastColorValid && info.lastColor.rgbRed == c.rgbRed &&
        info.lastColor.rgbGreen == c.rgbGreen && info.lastColor.rgbBlue == c.rgbBlue &&
        info.lastColor.rgbReserved == c.rgbReserved)
        return info.lastColorIndex;
    info.lastColor = c;
    info.lastColorValid = 1;
    DWORD n = header.biClrImportant ? header.biClrImportant : header.biClrUsed;
    if (n > header.biClrUsed)
        n = header.biClrUsed;
    long best = 200000;
    BYTE bestIndex = 0;
    for (DWORD i = 0; i < n; i++)
    {
        long dr = (long)palette[i].rgbRed - c.rgbRed;
        long dg = (long)palette[i].rgbGreen - c.rgbGreen;
        long db = (long)palette[i].rgbBlue - c.rgbBlue;
        long d = dr * dr + dg * dg + db * db;
        if (d == 0)
        {
            bestIndex = (BYTE)i;
            break;
        }
        if (d < best)
        {
            best = d;
            bestIndex = (BYTE)i;
        }
    }
    info.lastColorIndex = bestIndex;
    return bestIndex;
}

BYTE* CRasterImage::GetPixelPointer(int x, int y) const
{
    if (!dib || header.biClrUsed)
        return nullptr;
    return info.pixels + (size_t)y * info.rowStride + x * 3;
}

void CRasterImage::SwapRedBlue(BYTE* buffer, long length) const
{
    if (!buffer || header.biClrUsed)
        return;
    long limit = length;
    if (limit > info.rowStride)
        limit = info.rowStride;
    if (limit > header.biWidth * 3)
        limit = header.biWidth * 3;
    for (long i = 0; i + 2 < limit; i += 3)
    {
        BYTE t = buffer[i];
        buffer[i] = buffer[i + 2];
        buffer[i + 2] = t;
    }
}

void CRasterImage::Clear(BYTE value)
{
    if (!dib)
        return;
    if (header.biBitCount == 1)
        value = value ? 255 : 0;
    else if (header.biBitCount == 4)
        value = (BYTE)((value & 15) * 17);
    memset(info.pixels, value, header.biSizeImage);
}
