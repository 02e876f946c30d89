// CRasterImage: scaling, borders and the fitted thumbnail.
#include "image/RasterImage.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace
{
int ClampIndex(int v, int size)
{
    return v < 0 ? 0 : (v >= size ? size - 1 : v);
}

BYTE ClampByte(float v)
{
    if (v <= 0.0f)
        return 0;
    if (v >= 255.0f)
        return 255;
    return (BYTE)v;
}

// Where each source column (or row) lands: its destination cell, and the share in thousandths
// that stays there when it straddles into the next cell.
struct CAreaSplit
{
    int cell;
    int share;
};

// Scratch buffers come from the non-throwing allocator: a refusal is a false return.
template <class T>
std::unique_ptr<T[]> TryAllocate(size_t count)
{
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

std::unique_ptr<CAreaSplit[]> SplitAxis(int sourceSize, int destSize, float scale)
{
    std::unique_ptr<CAreaSplit[]> splits = TryAllocate<CAreaSplit>((size_t)sourceSize);
    if (!splits)
        return splits;
    for (int s = 0; s < sourceSize; s++)
    {
        int cell = (int)((float)s / scale);
        if (cell >= destSize)
            cell = destSize - 1;
        float boundary = (cell + 1) * scale;
        int share = 1000;
        if (cell + 1 < destSize && s + 1 > boundary)
        {
            share = (int)((boundary - s) * 1000.0f);
            if (share < 0)
                share = 0;
            if (share > 1000)
                share = 1000;
        }
        splits[s] = {cell, share};
    }
    return splits;
}
}

bool CRasterImage::Resample(int newWidth, int newHeight, int mode, CRasterImage* destination)
{
    if (newWidth <= 0 || newHeight <= 0 || !dib)
        return false;
    int w = header.biWidth;
    int h = header.biHeight;
    if (newWidth == w && newHeight == h)
    {
        if (destination && destination != this)
            destination->Copy(*this);
        return true;
    }
    float xScale = (float)w / (float)newWidth;
    float yScale = (float)h / (float)newHeight;

    CRasterImage image;
    image.CopyInfo(*this);
    if (!image.Create(newWidth, newHeight, header.biBitCount, info.type))
    {
        CopyLastErrorFrom(image);
        return false;
    }
    image.SetPalette(GetPalette(), 256);

    if (mode == 1)
    {
        for (int y = 0; y < newHeight && !info.escape; y++)
        {
            info.progress = (int)((int64_t)y * 100 / newHeight);
            int sy = ClampIndex((int)(y * yScale), h);
            for (int x = 0; x < newWidth; x++)
            {
                int sx = ClampIndex((int)(x * xScale), w);
                image.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(sx, sy, false), false);
            }
        }
    }
    else if (mode == 2)
    {
        for (int y = 0; y < newHeight && !info.escape; y++)
        {
            info.progress = (int)((int64_t)y * 100 / newHeight);
            float fy = y * yScale - 0.5f;
            int iy = (int)floorf(fy);
            float dy = fy - iy;
            for (int x = 0; x < newWidth; x++)
            {
                float fx = x * xScale - 0.5f;
                int ix = (int)floorf(fx);
                float dx = fx - ix;
                float r = 0, g = 0, b = 0;
                for (int m = -1; m <= 2; m++)
                {
                    float ky = KernelBSpline(m - dy);
                    int sy = ClampIndex(iy + m, h);
                    for (int n = -1; n <= 2; n++)
                    {
                        float k = ky * KernelBSpline(dx - n);
                        RGBQUAD c = GetPixelColorUnchecked(ClampIndex(ix + n, w), sy, false);
                        r += k * c.rgbRed;
                        g += k * c.rgbGreen;
                        b += k * c.rgbBlue;
                    }
                }
                RGBQUAD c = {ClampByte(b), ClampByte(g), ClampByte(r), 0};
                image.SetPixelColorUnchecked(x, y, c, false);
            }
        }
    }
    else if (newWidth < w && newHeight < h && header.biBitCount == 24)
    {
        // Area averaging in fixed point; 64-bit sums, since a wide source area multiplies
        // 255 * 1000 * 1000 by many pixels.
        std::unique_ptr<CAreaSplit[]> columns = SplitAxis(w, newWidth, xScale);
        std::unique_ptr<CAreaSplit[]> rows = SplitAxis(h, newHeight, yScale);
        size_t sums = ((size_t)newWidth + 1) * 3;
        std::unique_ptr<uint64_t[]> currentSums = TryAllocate<uint64_t>(sums);
        std::unique_ptr<uint64_t[]> nextSums = TryAllocate<uint64_t>(sums);
        if (!columns || !rows || !currentSums || !nextSums)
        {
            SetLastError("can't allocate memory");
            return false;
        }
        uint64_t* current = currentSums.get();
        uint64_t* next = nextSums.get();
        uint64_t divisor = (uint64_t)(1000.0f * xScale * yScale) * 1000;
        if (divisor == 0)
            divisor = 1;
        int row = 0;
        auto flush = [&](int y) {
            if (y < 0 || y >= newHeight)
                return;
            BYTE* out = image.GetBits(y);
            for (int x = 0; x < newWidth * 3; x++)
            {
                uint64_t v = current[x] / divisor;
                out[x] = (BYTE)(v > 255 ? 255 : v);
            }
        };
        for (int sy = 0; sy < h && !info.escape; sy++)
        {
            while (rows[sy].cell > row)
            {
                flush(row);
                std::swap(current, next);
                memset(next, 0, sums * sizeof(uint64_t));
                row++;
                info.progress = (int)((int64_t)row * 100 / newHeight);
            }
            const BYTE* src = GetBits(sy);
            uint64_t shareY = rows[sy].share, restY = 1000 - shareY;
            for (int sx = 0; sx < w; sx++)
            {
                const BYTE* p = src + sx * 3;
                int cell = columns[sx].cell * 3;
                uint64_t shareX = columns[sx].share, restX = 1000 - shareX;
                for (int ch = 0; ch < 3; ch++)
                {
                    uint64_t v = p[ch];
                    current[cell + ch] += v * shareX * shareY;
                    current[cell + 3 + ch] += v * restX * shareY;
                    next[cell + ch] += v * shareX * restY;
                    next[cell + 3 + ch] += v * restX * restY;
                }
            }
        }
        if (!info.escape)
        {
            flush(row);
            std::swap(current, next);
            flush(row + 1);
        }
    }
    else
    {
        // Bilinear.
        for (int y = 0; y < newHeight && !info.escape; y++)
        {
            info.progress = (int)((int64_t)y * 100 / newHeight);
            float sy = y * yScale;
            int iy = ClampIndex((int)sy, h);
            int iy2 = iy + 1 < h ? iy + 1 : h - 1;
            float fy = sy - iy;
            if (fy < 0)
                fy = 0;
            for (int x = 0; x < newWidth; x++)
            {
                float sx = x * xScale;
                int ix = ClampIndex((int)sx, w);
                int ix2 = ix + 1 < w ? ix + 1 : w - 1;
                float fx = sx - ix;
                if (fx < 0)
                    fx = 0;
                RGBQUAD c11 = GetPixelColorUnchecked(ix, iy, false);
                RGBQUAD c21 = GetPixelColorUnchecked(ix2, iy, false);
                RGBQUAD c12 = GetPixelColorUnchecked(ix, iy2, false);
                RGBQUAD c22 = GetPixelColorUnchecked(ix2, iy2, false);
                auto mix = [&](BYTE a11, BYTE a21, BYTE a12, BYTE a22) {
                    float top = a11 + (a21 - a11) * fx;
                    float bottom = a12 + (a22 - a12) * fx;
                    return ClampByte(top + (bottom - top) * fy);
                };
                RGBQUAD c = {mix(c11.rgbBlue, c21.rgbBlue, c12.rgbBlue, c22.rgbBlue),
                             mix(c11.rgbGreen, c21.rgbGreen, c12.rgbGreen, c22.rgbGreen),
                             mix(c11.rgbRed, c21.rgbRed, c12.rgbRed, c22.rgbRed), 0};
                image.SetPixelColorUnchecked(x, y, c, false);
            }
        }
    }

    // A picture that loses its alpha on the way is a failed resample, not a quiet change.
    if (alphaMask)
    {
        if (mode == 1)
        {
            if (!image.CreateAlpha())
            {
                SetLastError("can't allocate memory");
                return false;
            }
            for (int y = 0; y < newHeight; y++)
            {
                int sy = ClampIndex((int)(y * yScale), h);
                for (int x = 0; x < newWidth; x++)
                    image.AlphaSet(x, y, AlphaGetUnchecked(ClampIndex((int)(x * xScale), w), sy));
            }
        }
        else
        {
            CRasterImage alpha;
            if (!AlphaToImage(&alpha))
                return false;
            if (!alpha.Resample(newWidth, newHeight, mode, nullptr))
            {
                CopyLastErrorFrom(alpha);
                return false;
            }
            if (!image.AlphaFromImage(alpha))
            {
                SetLastError("can't allocate memory");
                return false;
            }
        }
    }
    CRasterImage* target = destination ? destination : this;
    return target->TakeOver(image, true);
}

bool CRasterImage::Expand(int left, int top, int right, int bottom, RGBQUAD canvas,
                          CRasterImage* destination)
{
    if (!dib || left < 0 || top < 0 || right < 0 || bottom < 0)
        return false;
    int w = header.biWidth;
    int h = header.biHeight;
    int64_t newWidth = (int64_t)left + w + right;
    int64_t newHeight = (int64_t)bottom + h + top;
    if (newWidth > 0x7FFFFFFF || newHeight > 0x7FFFFFFF)
    {
        SetLastError("IMAGE_MAX_MEMORY exceeded");
        return false;
    }
    CRasterImage image;
    image.CopyInfo(*this);
    if (!image.Create((int)newWidth, (int)newHeight, header.biBitCount, info.type))
    {
        CopyLastErrorFrom(image);
        return false;
    }
    image.SetPalette(GetPalette(), 256);
    int nw = (int)newWidth, nh = (int)newHeight;
    switch (header.biBitCount)
    {
    case 1:
    case 4:
    {
        BYTE border = image.GetNearestIndex(canvas);
        for (int y = 0; y < nh; y++)
        {
            info.progress = (int)((int64_t)y * 100 / nh);
            for (int x = 0; x < nw; x++)
            {
                bool inside = x >= left && x < left + w && y >= bottom && y < bottom + h;
                image.SetPixelIndexUnchecked(x, y,
                    inside ? GetPixelIndexUnchecked(x - left, y - bottom) : border);
            }
        }
        break;
    }
    case 8:
        memset(image.GetBits(0), image.GetNearestIndex(canvas), image.header.biSizeImage);
        for (int y = 0; y < h; y++)
        {
            info.progress = (int)((int64_t)y * 100 / h);
            memcpy(image.GetBits(y + bottom) + left, GetBits(y), w);
        }
        break;
    default:
        for (int y = 0; y < nh; y++)
        {
            BYTE* row = image.GetBits(y);
            for (int x = 0; x < nw; x++)
            {
                row[x * 3] = canvas.rgbBlue;
                row[x * 3 + 1] = canvas.rgbGreen;
                row[x * 3 + 2] = canvas.rgbRed;
            }
        }
        for (int y = 0; y < h; y++)
        {
            info.progress = (int)((int64_t)y * 100 / h);
            memcpy(image.GetBits(y + bottom) + left * 3, GetBits(y), (size_t)w * 3);
        }
        break;
    }
    if (selectionMask)
    {
        if (image.CreateSelection())
        {
            for (int y = 0; y < h; y++)
                memcpy(image.selectionMask + (size_t)(y + bottom) * nw + left,
                       selectionMask + (size_t)y * w, w);
            image.info.selectionBox = {info.selectionBox.left + left, info.selectionBox.top + bottom,
                                       info.selectionBox.right + left,
                                       info.selectionBox.bottom + bottom};
        }
    }
    if (alphaMask)
    {
        if (image.CreateAlpha())
        {
            image.AlphaFill(canvas.rgbReserved);
            for (int y = 0; y < h; y++)
                memcpy(image.alphaMask + (size_t)(y + bottom) * nw + left,
                       alphaMask + (size_t)y * w, w);
        }
    }
    CRasterImage* target = destination ? destination : this;
    return target->TakeOver(image, true);
}

bool CRasterImage::ExpandCentered(int width, int height, RGBQUAD canvas, CRasterImage* destination)
{
    int w = header.biWidth;
    int h = header.biHeight;
    if (!dib || width < w || height < h)
        return false;
    int left = (width - w) / 2;
    int bottom = (height - h) / 2;
    return Expand(left, height - h - bottom, width - w - left, bottom, canvas, destination);
}

bool CRasterImage::MakeThumbnail(int width, int height, RGBQUAD canvas, CRasterImage* destination)
{
    if (!dib || width <= 0 || height <= 0)
        return false;
    CRasterImage copy(*this, true, true, true);
    if (!copy.IsValid())
    {
        CopyLastErrorFrom(copy);
        return false;
    }
    if ((alphaMask && !copy.alphaMask) || (selectionMask && !copy.selectionMask))
    {
        SetLastError("can't allocate memory");
        return false;
    }
    int w = header.biWidth;
    int h = header.biHeight;
    if (width < w || height < h)
    {
        float W = (float)w, H = (float)h;
        float scale = ((float)width / (float)height) * H > W ? (float)height / H : (float)width / W;
        // A very long, thin picture still keeps one pixel across.
        int newWidth = (int)(scale * W);
        int newHeight = (int)(scale * H);
        if (newWidth < 1)
            newWidth = 1;
        if (newHeight < 1)
            newHeight = 1;
        if (!copy.Resample(newWidth, newHeight, 0, nullptr))
        {
            CopyLastErrorFrom(copy);
            return false;
        }
    }
    // Only a copy still larger than the box is left unexpanded on purpose.
    if (!copy.ExpandCentered(width, height, canvas, nullptr) && copy.GetWidth() <= width &&
        copy.GetHeight() <= height)
    {
        CopyLastErrorFrom(copy);
        return false;
    }
    CRasterImage* target = destination ? destination : this;
    return target->TakeOver(copy, true);
}
