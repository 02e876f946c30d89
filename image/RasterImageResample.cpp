// CRasterImage: scaling, borders and the fitted thumbnail.
#include "image/RasterImage.h"
#include "image/PixelMath.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace
{
using imagedetail::ClampByte;

int ClampIndex(int v, int size)
{
    return v < 0 ? 0 : (v >= size ? size - 1 : v);
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

// Adds a row of bytes to 16-bit sums; 257 rows of 255 still fit.
void AddBytes(uint16_t* sums, const BYTE* bytes, size_t count)
{
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16)
    {
        __m128i b = _mm_loadu_si128((const __m128i*)(bytes + i));
        __m128i lo = _mm_loadu_si128((const __m128i*)(sums + i));
        __m128i hi = _mm_loadu_si128((const __m128i*)(sums + i + 8));
        _mm_storeu_si128((__m128i*)(sums + i), _mm_add_epi16(lo, _mm_unpacklo_epi8(b, zero)));
        _mm_storeu_si128((__m128i*)(sums + i + 8), _mm_add_epi16(hi, _mm_unpackhi_epi8(b, zero)));
    }
#endif
    for (; i < count; i++)
        sums[i] = (uint16_t)(sums[i] + bytes[i]);
}

const int kPlainRowsMax = 257;

// The sums of one destination row, per source sample (blue, green, red of each source column):
// the plain sums of the source rows lying wholly inside it (16 bits, then spilled into 64 bits
// every 257 rows) and the weighted sums of the rows straddling into it. A sample's total in
// thousandths is 1000 * (plain + spilled) + weighted.
struct CRowSums
{
    const uint16_t* plain;
    const uint64_t* spilled;    // null while nothing was spilled
    const uint32_t* weighted;

    uint64_t Total(size_t i) const
    {
        uint64_t plainSum = plain[i] + (spilled ? spilled[i] : 0);
        return plainSum * 1000 + weighted[i];
    }
};

// How the sums of a destination row are gathered into the destination columns: runs of source
// columns lying wholly in one destination column are added plainly and weighted once; a source
// column that straddles two destination columns is split by its share.
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
            if (last && last->cell == c.cell && last->end == sx && sx - last->start < kMaxRun)
                last->end = sx + 1;
            else
                m_runs[m_runCount++] = {c.cell, sx, sx + 1};
        }
        return true;
    }

    // cells: three sums (blue, green, red) per destination column, in millionths.
    void Gather(const CRowSums& row, uint64_t* cells, size_t count) const
    {
        memset(cells, 0, count * sizeof(uint64_t));
        for (int r = 0; r < m_runCount; r++)
        {
            const Run& run = m_runs[r];
            size_t first = (size_t)run.start * 3, last = (size_t)run.end * 3;
            uint32_t plain[3] = {0, 0, 0}, weighted[3] = {0, 0, 0};
            for (size_t i = first; i < last; i += 3)
                for (int ch = 0; ch < 3; ch++)
                {
                    plain[ch] += row.plain[i + ch];
                    weighted[ch] += row.weighted[i + ch];
                }
            uint64_t* cell = cells + (size_t)run.cell * 3;
            for (int ch = 0; ch < 3; ch++)
            {
                uint64_t total = (uint64_t)plain[ch] * 1000 + weighted[ch];
                if (row.spilled)
                    for (size_t i = first + ch; i < last; i += 3)
                        total += row.spilled[i] * 1000;
                cell[ch] += total * 1000;
            }
        }
        for (int k = 0; k < m_splitCount; k++)
        {
            size_t i = (size_t)m_splitAt[k] * 3;
            uint32_t share = (uint32_t)m_splits[k].share, rest = 1000 - share;
            uint64_t* cell = cells + (size_t)m_splits[k].cell * 3;
            for (int ch = 0; ch < 3; ch++)
            {
                uint64_t total = row.Total(i + ch);
                cell[ch] += total * share;
                cell[3 + ch] += total * rest;
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
    // Run sums stay below 2^32 in 32 bits: 4096 * 65535 plain, and 4096 * 4 * 255000 weighted
    // (a destination row takes at most two straddling source rows; four leave a margin).
    static const int kMaxRun = 4096;
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
        // each destination pixel (thousandths across times thousandths down). The sums are
        // separable: the source rows of one destination row are first summed per sample (the
        // rows lying wholly inside it plainly, the straddling ones by their shares), then that
        // row is gathered into the destination columns; the integers are the same throughout.
        std::unique_ptr<CAreaSplit[]> columns = SplitAxis(w, newWidth, xScale);
        std::unique_ptr<CAreaSplit[]> rows = SplitAxis(h, newHeight, yScale);
        CColumnPlan plan;
        size_t rowBytes = (size_t)w * 3;
        size_t sums = ((size_t)newWidth + 1) * 3;
        std::unique_ptr<uint16_t[]> plainSums = TryAllocate<uint16_t>(rowBytes);
        std::unique_ptr<uint64_t[]> spilledSums = TryAllocate<uint64_t>(rowBytes);
        std::unique_ptr<uint32_t[]> weightedSums = TryAllocate<uint32_t>(rowBytes);
        std::unique_ptr<uint32_t[]> nextWeightedSums = TryAllocate<uint32_t>(rowBytes);
        std::unique_ptr<uint64_t[]> cells = TryAllocate<uint64_t>(sums);
        if (!columns || !rows || !plainSums || !spilledSums || !weightedSums ||
            !nextWeightedSums || !cells || !plan.Build(columns.get(), w))
        {
            SetLastError("can't allocate memory");
            return false;
        }
        uint16_t* plain = plainSums.get();
        uint32_t* weighted = weightedSums.get();
        uint32_t* nextWeighted = nextWeightedSums.get();
        int plainRows = 0;
        bool spilled = false;
        uint64_t divisor = (uint64_t)(1000.0f * xScale * yScale) * 1000;
        if (divisor == 0)
            divisor = 1;
        // Writes destination row y and moves on to the next one.
        auto flush = [&](int y) {
            if (y >= 0 && y < newHeight)
            {
                CRowSums row = {plain, spilled ? spilledSums.get() : nullptr, weighted};
                plan.Gather(row, cells.get(), sums);
                BYTE* out = image.GetBits(y);
                for (int x = 0; x < newWidth * 3; x++)
                {
                    uint64_t v = cells[x] / divisor;
                    out[x] = (BYTE)(v > 255 ? 255 : v);
                }
            }
            memset(plain, 0, rowBytes * sizeof(uint16_t));
            if (spilled)
                memset(spilledSums.get(), 0, rowBytes * sizeof(uint64_t));
            plainRows = 0;
            spilled = false;
            std::swap(weighted, nextWeighted);
            memset(nextWeighted, 0, rowBytes * sizeof(uint32_t));
        };
        int row = 0;
        for (int sy = 0; sy < h && !info.escape; sy++)
        {
            while (rows[sy].cell > row)
            {
                flush(row);
                row++;
                info.progress = (int)((int64_t)row * 100 / newHeight);
            }
            const BYTE* src = GetBits(sy);
            uint32_t shareY = (uint32_t)rows[sy].share;
            if (shareY == 1000)
            {
                AddBytes(plain, src, rowBytes);
                if (++plainRows == kPlainRowsMax)
                {
                    for (size_t i = 0; i < rowBytes; i++)
                        spilledSums[i] += plain[i];
                    memset(plain, 0, rowBytes * sizeof(uint16_t));
                    plainRows = 0;
                    spilled = true;
                }
                continue;
            }
            uint32_t restY = 1000 - shareY;
            for (size_t i = 0; i < rowBytes; i++)
            {
                weighted[i] += src[i] * shareY;
                nextWeighted[i] += src[i] * restY;
            }
        }
        if (!info.escape)
        {
            flush(row);
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
