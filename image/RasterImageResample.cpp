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

// How one source row of 24-bit pixels is gathered into destination columns, in thousandths of
// a value: runs of pixels lying wholly in one column are added plainly and weighted once; a
// pixel that straddles two columns is split by its share.
class CColumnPlan
{
public:
    bool Build(const CAreaSplit* columns, int width)
    {
        m_runs = TryAllocate<Run>((size_t)width);
        m_splits = TryAllocate<CAreaSplit>((size_t)width);
        m_splitAt = TryAllocate<int>((size_t)width);
        if (!m_runs || !m_splits || !m_splitAt)
            return false;
        for (int sx = 0; sx < width; sx++)
        {
            const CAreaSplit& c = columns[sx];
            if (c.share != 1000)
            {
                m_splits[m_splitCount] = c;
                m_splitAt[m_splitCount++] = sx;
                continue;
            }
            Run* last = m_runCount ? &m_runs[m_runCount - 1] : nullptr;
            // A run's plain 32-bit sums must not overflow: 255 * kMaxRun < 2^32.
            if (last && last->cell == c.cell && last->end == sx && sx - last->start < kMaxRun)
                last->end = sx + 1;
            else
                m_runs[m_runCount++] = {c.cell, sx, sx + 1};
        }
        return true;
    }

    void Gather(const BYTE* row, uint64_t* sums, size_t count) const
    {
        memset(sums, 0, count * sizeof(uint64_t));
        for (int r = 0; r < m_runCount; r++)
        {
            const Run& run = m_runs[r];
            uint32_t b = 0, g = 0, red = 0;
            const BYTE* p = row + (size_t)run.start * 3;
            for (int n = run.end - run.start; n > 0; n--, p += 3)
            {
                b += p[0];
                g += p[1];
                red += p[2];
            }
            uint64_t* cell = sums + (size_t)run.cell * 3;
            cell[0] += (uint64_t)b * 1000;
            cell[1] += (uint64_t)g * 1000;
            cell[2] += (uint64_t)red * 1000;
        }
        for (int i = 0; i < m_splitCount; i++)
        {
            const BYTE* p = row + (size_t)m_splitAt[i] * 3;
            uint32_t share = (uint32_t)m_splits[i].share, rest = 1000 - share;
            uint64_t* cell = sums + (size_t)m_splits[i].cell * 3;
            for (int ch = 0; ch < 3; ch++)
            {
                cell[ch] += p[ch] * share;
                cell[3 + ch] += p[ch] * rest;
            }
        }
    }

private:
    struct Run
    {
        int cell;
        int start;
        int end;
    };
    static const int kMaxRun = 1 << 24;
    std::unique_ptr<Run[]> m_runs;
    std::unique_ptr<CAreaSplit[]> m_splits;
    std::unique_ptr<int[]> m_splitAt;
    int m_runCount = 0;
    int m_splitCount = 0;
};
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
        // Area averaging in fixed point. Every source pixel adds its value times its share of
        // each destination pixel (thousandths across times thousandths down); the sums are
        // separable, so each source row is first gathered into its destination columns and
        // then weighted into the destination rows, with the same integer sums throughout.
        std::unique_ptr<CAreaSplit[]> columns = SplitAxis(w, newWidth, xScale);
        std::unique_ptr<CAreaSplit[]> rows = SplitAxis(h, newHeight, yScale);
        CColumnPlan plan;
        size_t sums = ((size_t)newWidth + 1) * 3;
        std::unique_ptr<uint64_t[]> rowSums = TryAllocate<uint64_t>(sums);
        std::unique_ptr<uint64_t[]> currentSums = TryAllocate<uint64_t>(sums);
        std::unique_ptr<uint64_t[]> nextSums = TryAllocate<uint64_t>(sums);
        if (!columns || !rows || !rowSums || !currentSums || !nextSums ||
            !plan.Build(columns.get(), w))
        {
            SetLastError("can't allocate memory");
            return false;
        }
        uint64_t* gathered = rowSums.get();
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
            plan.Gather(GetBits(sy), gathered, sums);
            uint32_t shareY = (uint32_t)rows[sy].share;
            if (shareY == 1000)
            {
                // A source row wholly inside one destination row counts with its full weight.
                for (size_t i = 0; i < sums; i++)
                    current[i] += gathered[i] * 1000;
            }
            else
            {
                uint32_t restY = 1000 - shareY;
                for (size_t i = 0; i < sums; i++)
                {
                    current[i] += gathered[i] * shareY;
                    next[i] += gathered[i] * restY;
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
    // The fitted picture is built beside this one, which stays untouched until the end; the
    // source is read in place rather than copied first.
    CRasterImage fitted;
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
        if (!Resample(newWidth, newHeight, 0, &fitted))
            return false;
        // Only a result still larger than the box is left unexpanded on purpose.
        if (!fitted.ExpandCentered(width, height, canvas, nullptr) &&
            fitted.GetWidth() <= width && fitted.GetHeight() <= height)
        {
            CopyLastErrorFrom(fitted);
            return false;
        }
    }
    else if (!ExpandCentered(width, height, canvas, &fitted))
    {
        return false;
    }
    CRasterImage* target = destination ? destination : this;
    return target->TakeOver(fitted, true);
}
