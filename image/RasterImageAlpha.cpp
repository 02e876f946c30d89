// CRasterImage: the alpha and selection masks, raising the bit depth, flipping and inverting.
#include "image/RasterImage.h"

#include <cstdlib>
#include <cstring>

namespace
{
// Turns 'height' rows of 'stride' bytes upside down in place; false when no row buffer was had.
bool SwapRowsUpsideDown(BYTE* rows, size_t stride, int height)
{
    BYTE* temp = (BYTE*)malloc(stride);
    if (!temp)
        return false;
    for (int i = 0; i < height / 2; i++)
    {
        BYTE* a = rows + (size_t)i * stride;
        BYTE* b = rows + (size_t)(height - 1 - i) * stride;
        memcpy(temp, a, stride);
        memcpy(a, b, stride);
        memcpy(b, temp, stride);
    }
    free(temp);
    return true;
}
}

bool CRasterImage::CreateAlpha()
{
    if (!alphaMask && dib)
    {
        size_t size = (size_t)header.biWidth * header.biHeight;
        alphaMask = (BYTE*)malloc(size);
        if (alphaMask)
            memset(alphaMask, 255, size);
    }
    return alphaMask != nullptr;
}

void CRasterImage::AlphaDelete()
{
    free(alphaMask);
    alphaMask = nullptr;
}

void CRasterImage::AlphaFill(BYTE value)
{
    if (alphaMask)
        memset(alphaMask, value, (size_t)header.biWidth * header.biHeight);
}

void CRasterImage::AlphaInvert()
{
    if (!alphaMask)
        return;
    size_t size = (size_t)header.biWidth * header.biHeight;
    for (size_t i = 0; i < size; i++)
        alphaMask[i] = (BYTE)(255 - alphaMask[i]);
}

void CRasterImage::AlphaSet(int x, int y, BYTE value)
{
    if (alphaMask && IsInside(x, y))
        alphaMask[(size_t)y * header.biWidth + x] = value;
}

BYTE CRasterImage::AlphaGet(int x, int y) const
{
    if (alphaMask && IsInside(x, y))
        return alphaMask[(size_t)y * header.biWidth + x];
    return 0;
}

BYTE* CRasterImage::AlphaGetPointer(int x, int y) const
{
    if (alphaMask && IsInside(x, y))
        return alphaMask + (size_t)y * header.biWidth + x;
    return nullptr;
}

bool CRasterImage::AlphaCopy(const CRasterImage& source)
{
    if (!source.alphaMask || source.header.biWidth != header.biWidth ||
        source.header.biHeight != header.biHeight || &source == this)
        return false;
    size_t size = (size_t)header.biWidth * header.biHeight;
    if (!alphaMask)
    {
        alphaMask = (BYTE*)malloc(size);
        if (!alphaMask)
            return false;
    }
    memcpy(alphaMask, source.alphaMask, size);
    info.alphaMax = source.info.alphaMax;
    return true;
}

bool CRasterImage::AlphaFromImage(const CRasterImage& image)
{
    // Rows of width bytes are taken as they stand, so only an 8-bit grey ramp qualifies.
    if (!image.dib || !image.IsGrayScale() || image.header.biBitCount != 8 ||
        image.header.biWidth != header.biWidth || image.header.biHeight != header.biHeight)
        return false;
    if (!alphaMask)
    {
        alphaMask = (BYTE*)malloc((size_t)header.biWidth * header.biHeight);
        if (!alphaMask)
            return false;
    }
    for (int y = 0; y < header.biHeight; y++)
        memcpy(alphaMask + (size_t)y * header.biWidth, image.GetBits(y), header.biWidth);
    return true;
}

bool CRasterImage::AlphaToImage(CRasterImage* destination)
{
    if (!alphaMask || !destination)
        return false;
    CRasterImage image;
    if (!image.Create(header.biWidth, header.biHeight, 8, 0))
    {
        CopyLastErrorFrom(image);
        return false;
    }
    image.SetGrayPalette();
    for (int y = 0; y < header.biHeight; y++)
        memcpy(image.GetBits(y), alphaMask + (size_t)y * header.biWidth, header.biWidth);
    return destination->TakeOver(image, true);
}

bool CRasterImage::AlphaPaletteIsValid() const
{
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; i++)
    {
        if (palette[i].rgbReserved != 0)
            return true;
    }
    return false;
}

void CRasterImage::AlphaFlip()
{
    if (alphaMask)
        SwapRowsUpsideDown(alphaMask, header.biWidth, header.biHeight);
}

bool CRasterImage::CreateSelection()
{
    DeleteSelection();
    if (!dib)
        return false;
    selectionMask = (BYTE*)calloc((size_t)header.biWidth * header.biHeight, 1);
    return selectionMask != nullptr;
}

bool CRasterImage::DeleteSelection()
{
    free(selectionMask);
    selectionMask = nullptr;
    info.selectionBox = {header.biWidth, 0, 0, header.biHeight};
    return true;
}

bool CRasterImage::IsInsideSelection(int x, int y) const
{
    if (!selectionMask)
        return true;
    if (!IsInside(x, y))
        return false;
    return selectionMask[(size_t)y * header.biWidth + x] != 0;
}

bool CRasterImage::CopySelection(const CRasterImage& source)
{
    if (!source.selectionMask || source.header.biWidth != header.biWidth ||
        source.header.biHeight != header.biHeight || &source == this)
        return false;
    size_t size = (size_t)header.biWidth * header.biHeight;
    if (!selectionMask)
    {
        selectionMask = (BYTE*)malloc(size);
        if (!selectionMask)
            return false;
    }
    memcpy(selectionMask, source.selectionMask, size);
    info.selectionBox = source.info.selectionBox;
    return true;
}

BYTE* CRasterImage::SelectionGetPointer(int x, int y) const
{
    if (selectionMask && IsInside(x, y))
        return selectionMask + (size_t)y * header.biWidth + x;
    return nullptr;
}

void CRasterImage::FlipSelection()
{
    if (!selectionMask || !SwapRowsUpsideDown(selectionMask, header.biWidth, header.biHeight))
        return;
    LONG top = info.selectionBox.top;
    info.selectionBox.top = header.biHeight - info.selectionBox.bottom;
    info.selectionBox.bottom = header.biHeight - top;
}

bool CRasterImage::IncreaseBpp(DWORD bpp)
{
    if (!dib || (bpp != 4 && bpp != 8 && bpp != 24) || bpp < header.biBitCount)
        return false;
    if (bpp == header.biBitCount)
        return true;
    CRasterImage image;
    image.CopyInfo(*this);
    if (!image.Create(header.biWidth, header.biHeight, bpp, info.type))
    {
        CopyLastErrorFrom(image);
        return false;
    }
    image.CopySelection(*this);
    image.AlphaCopy(*this);
    int w = header.biWidth;
    int h = header.biHeight;
    if (bpp != 24)
    {
        image.SetPalette(GetPalette(), header.biClrUsed);
        image.info.transIndex = info.transIndex;
        for (int y = 0; y < h && !info.escape; y++)
            for (int x = 0; x < w; x++)
                image.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x, y));
    }
    else
    {
        if (info.transIndex >= 0)
            image.SetTransColor(GetPaletteColor(info.transIndex));
        bool withAlpha = alphaMask != nullptr;
        if (AlphaPaletteIsValid() && !alphaMask)
            withAlpha = image.CreateAlpha();
        for (int y = 0; y < h && !info.escape; y++)
            for (int x = 0; x < w; x++)
                image.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(x, y, true), withAlpha);
    }
    return TakeOver(image, true);
}

bool CRasterImage::Flip(bool flipSelection, bool flipAlpha)
{
    if (!dib || !SwapRowsUpsideDown(GetBits(), info.rowStride, header.biHeight))
        return false;
    if (flipSelection)
        FlipSelection();
    if (flipAlpha)
        AlphaFlip();
    return true;
}

bool CRasterImage::Negative()
{
    if (!dib)
        return false;
    int w = header.biWidth;
    int h = header.biHeight;
    if (header.biBitCount == 24)
    {
        if (selectionMask)
        {
            const RECT& box = info.selectionBox;
            for (int y = box.bottom; y < box.top; y++)
                for (int x = box.left; x < box.right; x++)
                {
                    if (!IsInside(x, y) || !IsInsideSelection(x, y))
                        continue;
                    BYTE* p = GetPixelPointer(x, y);
                    p[0] = (BYTE)~p[0];
                    p[1] = (BYTE)~p[1];
                    p[2] = (BYTE)~p[2];
                }
        }
        else
        {
            for (DWORD i = 0; i < header.biSizeImage; i++)
                info.pixels[i] = (BYTE)~info.pixels[i];
        }
        info.transColor.rgbBlue = (BYTE)~info.transColor.rgbBlue;
        info.transColor.rgbGreen = (BYTE)~info.transColor.rgbGreen;
        info.transColor.rgbRed = (BYTE)~info.transColor.rgbRed;
    }
    else if (!IsGrayScale())
    {
        RGBQUAD* palette = GetPalette();
        for (DWORD i = 0; i < header.biClrUsed; i++)
        {
            palette[i].rgbBlue = (BYTE)~palette[i].rgbBlue;
            palette[i].rgbGreen = (BYTE)~palette[i].rgbGreen;
            palette[i].rgbRed = (BYTE)~palette[i].rgbRed;
        }
        InvalidateNearestColor();
    }
    else
    {
        BYTE top = (BYTE)(header.biClrUsed - 1);
        if (selectionMask)
        {
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++)
                    if (IsInsideSelection(x, y))
                        SetPixelIndexUnchecked(x, y, (BYTE)(top - GetPixelIndexUnchecked(x, y)));
        }
        else
        {
            for (DWORD i = 0; i < header.biSizeImage; i++)
                info.pixels[i] = (BYTE)~info.pixels[i];
        }
    }
    return true;
}
