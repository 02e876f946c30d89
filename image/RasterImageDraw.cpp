// CRasterImage: drawing into a device context, scaled, clipped, flipped and blended.
#include "image/RasterImage.h"

#include <cmath>
#include <cstring>

namespace
{
// A 24-bit bottom-up DIB section selected into a memory DC, released on every path.
class CScratchBitmap
{
public:
    CScratchBitmap(HDC hdc, int width, int height)
        : m_dc(CreateCompatibleDC(hdc)), m_bitmap(nullptr), m_old(nullptr), m_bits(nullptr)
    {
        memset(&m_info, 0, sizeof(m_info));
        m_info.biSize = sizeof(m_info);
        m_info.biWidth = width;
        m_info.biHeight = height;
        m_info.biPlanes = 1;
        m_info.biBitCount = 24;
        m_info.biCompression = BI_RGB;
        m_stride = ((width * 24 + 31) / 32) * 4;
        m_info.biSizeImage = m_stride * height;
        if (!m_dc)
            return;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(hdc, (BITMAPINFO*)&m_info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_bitmap)
            return;
        m_bits = (BYTE*)bits;
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~CScratchBitmap()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        if (m_dc)
            DeleteDC(m_dc);
    }
    CScratchBitmap(const CScratchBitmap&) = delete;
    CScratchBitmap& operator=(const CScratchBitmap&) = delete;

    bool IsValid() const { return m_bits != nullptr; }
    HDC Dc() const { return m_dc; }
    // Row 0 is the top row on the device.
    BYTE* TopRow(int row) const { return m_bits + (size_t)(m_info.biHeight - 1 - row) * m_stride; }
    void Flush() const { GdiFlush(); }
    bool PutTo(HDC hdc, int left, int top) const
    {
        GdiFlush();
        return SetDIBitsToDevice(hdc, left, top, m_info.biWidth, m_info.biHeight, 0, 0, 0,
                                 m_info.biHeight, m_bits, (const BITMAPINFO*)&m_info,
                                 DIB_RGB_COLORS) != 0;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    BYTE* m_bits;
    BITMAPINFOHEADER m_info;
    int m_stride;
};

// Restores the device context saved at the start of a draw.
class CSavedDc
{
public:
    explicit CSavedDc(HDC hdc) : m_hdc(hdc), m_state(SaveDC(hdc)) {}
    ~CSavedDc()
    {
        if (m_state)
            RestoreDC(m_hdc, m_state);
    }
    CSavedDc(const CSavedDc&) = delete;
    CSavedDc& operator=(const CSavedDc&) = delete;
    bool IsValid() const { return m_state != 0; }

private:
    HDC m_hdc;
    int m_state;
};
}

bool CRasterImage::Draw(HDC hdc, const RECT& rect, const RECT* clipRect, bool smooth, bool flipY)
{
    return Draw(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, clipRect,
                smooth, flipY);
}

bool CRasterImage::Draw(HDC hdc, int x, int y, int cx, int cy, const RECT* clipRect, bool smooth,
                        bool flipY)
{
    if (!dib || !hdc || cx == 0 || cy == 0 || !info.enabled)
        return false;
    int w = header.biWidth;
    int h = header.biHeight;
    if (cx < 0)
        cx = w;
    if (cy < 0)
        cy = h;

    CSavedDc saved(hdc);
    if (!saved.IsValid())
        return false;
    if (clipRect)
    {
        HRGN region = CreateRectRgnIndirect(clipRect);
        if (region)
        {
            ExtSelectClipRgn(hdc, region, RGN_AND);
            DeleteObject(region);
        }
    }

    RECT clipBox;
    RECT target = {x, y, x + cx, y + cy};
    RECT visible;
    if (GetClipBox(hdc, &clipBox) == ERROR)
        clipBox = target;
    if (!IntersectRect(&visible, &target, &clipBox))
        return true;
    int vLeft = visible.left, vTop = visible.top;
    int vWidth = visible.right - visible.left, vHeight = visible.bottom - visible.top;

    float xScale = (float)w / (float)cx;
    float yScale = (float)h / (float)cy;
    bool scaled = cx != w || cy != h;
    bool useSmooth = smooth && scaled;
    bool shrinking = xScale > 1.0f && yScale > 1.0f;
    RGBQUAD* palette = GetPalette();

    // Column and row of the image that a device pixel shows; image rows count from the bottom.
    auto sourceX = [&](int c) {
        int sx = (int)floorf((c - x) * xScale);
        return sx < 0 ? 0 : (sx >= w ? w - 1 : sx);
    };
    auto sourceY = [&](int r) {
        int sy = h - 1 - (int)floorf((r - y) * yScale);
        return sy < 0 ? 0 : (sy >= h ? h - 1 : sy);
    };
    auto smoothColor = [&](int c, int r) {
        float fx = (c - x + 0.5f) * xScale - 0.5f;
        float fy = h - (r - y + 0.5f) * yScale - 0.5f;
        if (shrinking)
            return GetAreaColorInterpolated(fx, fy, xScale, yScale, InterpolationBilinear,
                                            OverflowRepeat, nullptr);
        return GetInterpolatedColor(fx, fy, InterpolationBilinear, OverflowRepeat, nullptr);
    };
    // With flipY a device row shows the image row of its mirror inside the destination, so a
    // clipped part of a flipped draw shows the same pixels as the unclipped draw.
    auto deviceRow = [&](int j) { return flipY ? 2 * y + cy - 1 - (vTop + j) : vTop + j; };

    bool transparent = info.transIndex >= 0 || alphaMask || info.paletteAlpha;
    if (transparent)
    {
        RGBQUAD background = GetTransColor();
        int transIndex = info.transIndex;
        bool hasTransIndex = transIndex >= 0;
        CScratchBitmap scratch(hdc, vWidth, vHeight);
        if (!scratch.IsValid())
            return false;
        BitBlt(scratch.Dc(), 0, 0, vWidth, vHeight, hdc, vLeft, vTop, SRCCOPY);
        scratch.Flush();
        for (int j = 0; j < vHeight; j++)
        {
            int r = deviceRow(j);
            int sy = sourceY(r);
            BYTE* out = scratch.TopRow(j);
            for (int i = 0; i < vWidth; i++, out += 3)
            {
                int c = vLeft + i;
                int sx = sourceX(c);
                int a = alphaMask ? AlphaGetUnchecked(sx, sy) : 255;
                a = (a * (info.alphaMax + 1)) >> 8;
                RGBQUAD color;
                bool isTransparent;
                if (palette)
                {
                    BYTE index = GetPixelIndexUnchecked(sx, sy);
                    color = palette[index];
                    if (info.paletteAlpha)
                        a = (a * (color.rgbReserved + 1)) >> 8;
                    isTransparent = hasTransIndex && index == transIndex;
                }
                else
                {
                    const BYTE* p = info.pixels + (size_t)sy * info.rowStride + sx * 3;
                    color.rgbBlue = p[0];
                    color.rgbGreen = p[1];
                    color.rgbRed = p[2];
                    isTransparent = hasTransIndex && color.rgbBlue == background.rgbBlue &&
                                    color.rgbGreen == background.rgbGreen &&
                                    color.rgbRed == background.rgbRed;
                }
                if (isTransparent || a == 0)
                    continue;
                if (useSmooth)
                {
                    RGBQUAD s = smoothColor(c, r);
                    color.rgbBlue = s.rgbBlue;
                    color.rgbGreen = s.rgbGreen;
                    color.rgbRed = s.rgbRed;
                }
                if (a >= 255)
                {
                    out[0] = color.rgbBlue;
                    out[1] = color.rgbGreen;
                    out[2] = color.rgbRed;
                }
                else
                {
                    out[0] = (BYTE)((color.rgbBlue * a + out[0] * (255 - a)) >> 8);
                    out[1] = (BYTE)((color.rgbGreen * a + out[1] * (255 - a)) >> 8);
                    out[2] = (BYTE)((color.rgbRed * a + out[2] * (255 - a)) >> 8);
                }
            }
        }
        scratch.PutTo(hdc, vLeft, vTop);
        return true;
    }

    if (!scaled)
    {
        SetStretchBltMode(hdc, COLORONCOLOR);
        const BITMAPINFO* bmi = (const BITMAPINFO*)dib;
        if (!flipY)
            SetDIBitsToDevice(hdc, x, y, cx, cy, 0, 0, 0, cy, info.pixels, bmi, DIB_RGB_COLORS);
        else
            StretchDIBits(hdc, x, y + cy - 1, cx, -cy, 0, 0, w, h, info.pixels, bmi,
                          DIB_RGB_COLORS, SRCCOPY);
        return true;
    }

    CScratchBitmap scratch(hdc, vWidth, vHeight);
    if (!scratch.IsValid())
        return false;
    for (int j = 0; j < vHeight; j++)
    {
        int r = deviceRow(j);
        int sy = sourceY(r);
        BYTE* out = scratch.TopRow(j);
        for (int i = 0; i < vWidth; i++, out += 3)
        {
            int c = vLeft + i;
            RGBQUAD color = {0, 0, 0, 0};
            if (useSmooth)
                color = smoothColor(c, r);
            else if (palette)
                color = palette[GetPixelIndexUnchecked(sourceX(c), sy)];
            else
            {
                const BYTE* p = info.pixels + (size_t)sy * info.rowStride + sourceX(c) * 3;
                color.rgbBlue = p[0];
                color.rgbGreen = p[1];
                color.rgbRed = p[2];
            }
            out[0] = color.rgbBlue;
            out[1] = color.rgbGreen;
            out[2] = color.rgbRed;
        }
    }
    scratch.PutTo(hdc, vLeft, vTop);
    return true;
}
