// CRasterImage: colours at real-valued coordinates, area averages and the overflow rules.
#include "image/RasterImage.h"
#include "image/PixelMath.h"

#include <cmath>

namespace
{
using imagedetail::ClampByte;

const float kPi = 3.14159265358979323846f;

struct CFloatPoint
{
    float x;
    float y;
};

// Real-valued rectangle of the area average; y grows upwards like the image rows.
struct CFloatRect
{
    float left;
    float top;
    float right;
    float bottom;

    CFloatRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
    float Width() const { return right - left; }
    float Height() const { return top - bottom; }
    float Area() const { return Width() * Height(); }
    CFloatPoint Center() const { return {(left + right) / 2, (top + bottom) / 2}; }
    CFloatRect Intersect(const CFloatRect& o) const
    {
        CFloatRect r(left > o.left ? left : o.left, top < o.top ? top : o.top,
                     right < o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom);
        if (r.right < r.left)
            r.right = r.left;
        if (r.top < r.bottom)
            r.top = r.bottom;
        return r;
    }
};

float Sinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    return sinf(x) / x;
}

double BesselJ1(double x)
{
    // Rational approximations below 8, the asymptotic form from 8 on.
    double ax = fabs(x);
    if (ax < 8.0)
    {
        double y = x * x;
        double p = x * (72362614232.0 + y * (-7895059235.0 + y * (242396853.1 +
                   y * (-2972611.439 + y * (15704.48260 + y * (-30.16036606))))));
        double q = 144725228442.0 + y * (2300535178.0 + y * (18583304.74 +
                   y * (99447.43394 + y * (376.9991397 + y * 1.0))));
        return p / q;
    }
    double z = 8.0 / ax;
    double y = z * z;
    double xx = ax - 2.356194491;
    double p = 1.0 + y * (0.183105e-2 + y * (-0.3516396496e-4 + y * (0.2457520174e-5 +
               y * (-0.240337019e-6))));
    double q = 0.04687499995 + y * (-0.2002690873e-3 + y * (0.8449199096e-5 +
               y * (-0.88228987e-6 + y * 0.105787412e-6)));
    double r = sqrt(0.636619772 / ax) * (cos(xx) * p - z * sin(xx) * q);
    return x < 0.0 ? -r : r;
}

typedef float (*KernelFunction)(float);

float GeneralizedCubicDefault(float x) { return CRasterImage::KernelGeneralizedCubic(x); }
float PowerDefault(float x) { return CRasterImage::KernelPower(x); }

KernelFunction KernelOf(int method)
{
    switch (method)
    {
    case InterpolationBSpline: return CRasterImage::KernelBSpline;
    case InterpolationBicubic: return CRasterImage::KernelCubic;
    case InterpolationBicubic2: return GeneralizedCubicDefault;
    case InterpolationBox: return CRasterImage::KernelBox;
    case InterpolationHermite: return CRasterImage::KernelHermite;
    case InterpolationDampedHermite: return CRasterImage::KernelDampedHermite;
    case InterpolationSinc: return CRasterImage::KernelSinc;
    case InterpolationBlackman: return CRasterImage::KernelBlackman;
    case InterpolationBessel: return CRasterImage::KernelBessel;
    case InterpolationGaussian: return CRasterImage::KernelGaussian;
    case InterpolationQuadratic: return CRasterImage::KernelQuadratic;
    case InterpolationMitchell: return CRasterImage::KernelMitchell;
    case InterpolationCatmullRom: return CRasterImage::KernelCatmullRom;
    case InterpolationHanning: return CRasterImage::KernelHanning;
    case InterpolationPower: return PowerDefault;
    default: return nullptr;
    }
}
}

float CRasterImage::KernelBSpline(float x)
{
    if (x > 2.0f)
        return 0.0f;
    auto p = [](float t) { return t > 0.0f ? t * t * t : 0.0f; };
    return (p(x + 2) - 4 * p(x + 1) + 6 * p(x) - 4 * p(x - 1)) / 6.0f;
}

float CRasterImage::KernelLinear(float x)
{
    float a = fabsf(x);
    return a < 1.0f ? 1.0f - a : 0.0f;
}

float CRasterImage::KernelCubic(float x)
{
    float a = fabsf(x);
    if (a < 1.0f)
        return 1 - 2 * a * a + a * a * a;
    if (a < 2.0f)
        return 4 - 8 * a + 5 * a * a - a * a * a;
    return 0.0f;
}

float CRasterImage::KernelGeneralizedCubic(float x, float c)
{
    float a = fabsf(x);
    if (a < 1.0f)
        return (c + 2) * a * a * a - (c + 3) * a * a + 1;
    if (a < 2.0f)
        return c * a * a * a - 5 * c * a * a + 8 * c * a - 4 * c;
    return 0.0f;
}

float CRasterImage::KernelLanczosSinc(float x, float radius)
{
    if (fabsf(x) > radius)
        return 0.0f;
    if (x == 0.0f)
        return 1.0f;
    return Sinc(kPi * x / radius) * Sinc(kPi * x);
}

float CRasterImage::KernelBox(float x)
{
    return (x >= -0.5f && x < 0.5f) ? 1.0f : 0.0f;
}

float CRasterImage::KernelHermite(float x)
{
    float a = fabsf(x);
    return a <= 1.0f ? 2 * a * a * a - 3 * a * a + 1 : 0.0f;
}

float CRasterImage::KernelDampedHermite(float x)
{
    float a = fabsf(x);
    return a <= 1.0f ? 0.92f * (2 * a * a * a - 3 * a * a) + 1 : 0.0f;
}

float CRasterImage::KernelSinc(float x)
{
    return Sinc(kPi * x);
}

float CRasterImage::KernelBlackman(float x)
{
    return 0.42f + 0.5f * cosf(kPi * x) + 0.08f * cosf(2 * kPi * x);
}

float CRasterImage::KernelBessel(float x)
{
    if (x == 0.0f)
        return kPi / 4.0f;
    return (float)(BesselJ1(kPi * x) / (2.0 * x));
}

float CRasterImage::KernelGaussian(float x)
{
    return expf(-2.0f * x * x) * sqrtf(2.0f / kPi);
}

float CRasterImage::KernelQuadratic(float x)
{
    float a = fabsf(x);
    if (a < 0.5f)
        return 0.75f - x * x;
    if (a < 1.5f)
        return 0.5f * (a - 1.5f) * (a - 1.5f);
    return 0.0f;
}

float CRasterImage::KernelMitchell(float x)
{
    float a = fabsf(x);
    if (a < 1.0f)
        return 7.0f / 6.0f * a * a * a - 2 * a * a + 8.0f / 9.0f;
    if (a < 2.0f)
        return -7.0f / 18.0f * a * a * a + 2 * a * a - 10.0f / 3.0f * a + 16.0f / 9.0f;
    return 0.0f;
}

float CRasterImage::KernelCatmullRom(float x)
{
    float a = fabsf(x);
    if (a < 1.0f)
        return (3 * a * a * a - 5 * a * a + 2) / 2;
    if (a < 2.0f)
        return (-a * a * a + 5 * a * a - 8 * a + 4) / 2;
    return 0.0f;
}

float CRasterImage::KernelHanning(float x)
{
    if (fabsf(x) > 1.0f)
        return 0.0f;
    return Sinc(kPi * x) * (0.5f + 0.5f * cosf(kPi * x));
}

float CRasterImage::KernelPower(float x, float exponent)
{
    float a = fabsf(x);
    return a <= 1.0f ? 1.0f - powf(a, exponent) : 0.0f;
}

void CRasterImage::ClampCoordinates(int& x, int& y, int overflow) const
{
    int w = header.biWidth;
    int h = header.biHeight;
    if (w <= 0 || h <= 0)
        return;
    switch (overflow)
    {
    case OverflowWrap:
        x %= w;
        if (x < 0)
            x += w;
        y %= h;
        if (y < 0)
            y += h;
        break;
    case OverflowRepeat:
        x = x < 0 ? 0 : (x >= w ? w - 1 : x);
        y = y < 0 ? 0 : (y >= h ? h - 1 : y);
        break;
    case OverflowMirror:
        if (x < 0)
            x = (-x) % w;
        else if (x >= w)
            x = w - (x % w) - 1;
        if (y < 0)
            y = (-y) % h;
        else if (y >= h)
            y = h - (y % h) - 1;
        break;
    default:
        break;
    }
}

void CRasterImage::ClampCoordinates(float& x, float& y, int overflow) const
{
    float w = (float)header.biWidth;
    float h = (float)header.biHeight;
    if (w <= 0 || h <= 0)
        return;
    switch (overflow)
    {
    case OverflowWrap:
        x = fmodf(x, w);
        if (x < 0)
            x += w;
        y = fmodf(y, h);
        if (y < 0)
            y += h;
        break;
    case OverflowRepeat:
        x = x < 0 ? 0 : (x > w - 1 ? w - 1 : x);
        y = y < 0 ? 0 : (y > h - 1 ? h - 1 : y);
        break;
    case OverflowMirror:
        if (x < 0)
            x = fmodf(-x, w);
        else if (x >= w)
            x = w - fmodf(x, w) - 1;
        if (y < 0)
            y = fmodf(-y, h);
        else if (y >= h)
            y = h - fmodf(y, h) - 1;
        break;
    default:
        break;
    }
}

RGBQUAD CRasterImage::GetPixelColorWithOverflow(int x, int y, int overflow,
                                                const RGBQUAD* replacement) const
{
    if (dib && IsInside(x, y))
        return GetPixelColorUnchecked(x, y, true);
    RGBQUAD fallback = {255, 255, 255, 0};
    RGBQUAD color = replacement ? *replacement : fallback;
    if (!dib)
        return color;
    switch (overflow)
    {
    case OverflowBackground:
        if (info.transIndex >= 0)
            color = header.biBitCount == 24 ? info.transColor : GetPaletteColor(info.transIndex);
        break;
    case OverflowTransparent:
        if (alphaMask)
            color.rgbReserved = 0;
        else if (info.transIndex >= 0)
            color = GetTransColor();
        break;
    case OverflowWrap:
    case OverflowRepeat:
    case OverflowMirror:
        ClampCoordinates(x, y, overflow);
        if (IsInside(x, y))
            color = GetPixelColorUnchecked(x, y, true);
        break;
    default:
        break;
    }
    return color;
}

RGBQUAD CRasterImage::GetInterpolatedColor(float x, float y, int method, int overflow,
                                           const RGBQUAD* replacement) const
{
    RGBQUAD white = {255, 255, 255, 0};
    if (!dib)
        return replacement ? *replacement : white;
    int w = header.biWidth;
    int h = header.biHeight;
    if (method == InterpolationNearest)
        return GetPixelColorWithOverflow((int)(x + 0.5f), (int)(y + 0.5f), overflow, replacement);

    KernelFunction kernel = KernelOf(method);
    if (method != InterpolationLanczos && !kernel)
    {
        // Bilinear.
        float fx = floorf(x), fy = floorf(y);
        int ix = (int)fx, iy = (int)fy;
        if (ix < -1 || ix >= w || iy < -1 || iy >= h)
        {
            if (overflow == OverflowColor || overflow == OverflowBackground ||
                overflow == OverflowTransparent || overflow < OverflowColor ||
                overflow > OverflowMirror)
                return GetPixelColorWithOverflow(-1, -1, overflow, replacement);
            ClampCoordinates(x, y, overflow);
            fx = floorf(x);
            fy = floorf(y);
            ix = (int)fx;
            iy = (int)fy;
        }
        float dx = x - fx, dy = y - fy;
        if (header.biBitCount == 24 && ix >= 0 && iy >= 0 && ix + 1 < w && iy + 1 < h)
        {
            int wx = (int)(dx * 256), wy = (int)(dy * 256);
            int w11 = (256 - wx) * (256 - wy), w21 = wx * (256 - wy);
            int w12 = (256 - wx) * wy, w22 = wx * wy;
            const BYTE* p1 = info.pixels + (size_t)iy * info.rowStride + ix * 3;
            const BYTE* p2 = p1 + info.rowStride;
            RGBQUAD c;
            c.rgbBlue = (BYTE)((w11 * p1[0] + w21 * p1[3] + w12 * p2[0] + w22 * p2[3]) >> 16);
            c.rgbGreen = (BYTE)((w11 * p1[1] + w21 * p1[4] + w12 * p2[1] + w22 * p2[4]) >> 16);
            c.rgbRed = (BYTE)((w11 * p1[2] + w21 * p1[5] + w12 * p2[2] + w22 * p2[5]) >> 16);
            if (alphaMask)
            {
                const BYTE* a1 = alphaMask + (size_t)iy * w + ix;
                const BYTE* a2 = a1 + w;
                c.rgbReserved = (BYTE)((w11 * a1[0] + w21 * a1[1] + w12 * a2[0] + w22 * a2[1]) >> 16);
            }
            else
            {
                c.rgbReserved = info.transColor.rgbReserved;
            }
            return c;
        }
        RGBQUAD c11 = GetPixelColorWithOverflow(ix, iy, overflow, replacement);
        RGBQUAD c21 = GetPixelColorWithOverflow(ix + 1, iy, overflow, replacement);
        RGBQUAD c12 = GetPixelColorWithOverflow(ix, iy + 1, overflow, replacement);
        RGBQUAD c22 = GetPixelColorWithOverflow(ix + 1, iy + 1, overflow, replacement);
        float a11 = (1 - dx) * (1 - dy), a21 = dx * (1 - dy), a12 = (1 - dx) * dy, a22 = dx * dy;
        RGBQUAD c;
        c.rgbBlue = ClampByte(a11 * c11.rgbBlue + a21 * c21.rgbBlue + a12 * c12.rgbBlue + a22 * c22.rgbBlue);
        c.rgbGreen = ClampByte(a11 * c11.rgbGreen + a21 * c21.rgbGreen + a12 * c12.rgbGreen + a22 * c22.rgbGreen);
        c.rgbRed = ClampByte(a11 * c11.rgbRed + a21 * c21.rgbRed + a12 * c12.rgbRed + a22 * c22.rgbRed);
        c.rgbReserved = ClampByte(a11 * c11.rgbReserved + a21 * c21.rgbReserved +
                                  a12 * c12.rgbReserved + a22 * c22.rgbReserved);
        return c;
    }

    int ix = (int)floorf(x), iy = (int)floorf(y);
    int radius = method == InterpolationLanczos ? 6 : 2;
    float r = 0, g = 0, b = 0, a = 0;
    for (int m = iy - radius + 1; m <= iy + radius; m++)
    {
        float ky = kernel ? kernel(m - y) : KernelLanczosSinc(m - y, 6.0f);
        if (ky == 0.0f)
            continue;
        for (int n = ix - radius + 1; n <= ix + radius; n++)
        {
            float k = ky * (kernel ? kernel(n - x) : KernelLanczosSinc(n - x, 6.0f));
            if (k == 0.0f)
                continue;
            RGBQUAD c = GetPixelColorWithOverflow(n, m, overflow, replacement);
            r += k * c.rgbRed;
            g += k * c.rgbGreen;
            b += k * c.rgbBlue;
            a += k * c.rgbReserved;
        }
    }
    RGBQUAD c = {ClampByte(b), ClampByte(g), ClampByte(r), ClampByte(a)};
    return c;
}

RGBQUAD CRasterImage::GetAreaColorInterpolated(float x, float y, float width, float height,
                                               int method, int overflow,
                                               const RGBQUAD* replacement) const
{
    if (width <= 1.0f && height <= 1.0f)
        return GetInterpolatedColor(x, y, method, overflow, replacement);
    CFloatRect box(x - width / 2, y + height / 2, x + width / 2, y - height / 2);
    // floor, not truncation: a box reaching left of or below pixel 0 must count those pixels.
    int x1 = (int)floorf(box.left + 0.5f), x2 = (int)floorf(box.right + 0.5f);
    int y1 = (int)floorf(box.bottom + 0.5f), y2 = (int)floorf(box.top + 0.5f);
    float r = 0, g = 0, b = 0, a = 0, total = 0;
    for (int py = y1; py <= y2; py++)
    {
        for (int px = x1; px <= x2; px++)
        {
            // Pixel px covers px-0.5..px+0.5 around its centre.
            CFloatRect pixel(px - 0.5f, py + 0.5f, px + 0.5f, py - 0.5f);
            float weight;
            if (px > x1 && px < x2 && py > y1 && py < y2)
                weight = 1.0f;
            else
                weight = pixel.Intersect(box).Area();
            if (weight <= 0.0f)
                continue;
            RGBQUAD c = GetPixelColorWithOverflow(px, py, overflow, replacement);
            total += weight;
            r += weight * c.rgbRed;
            g += weight * c.rgbGreen;
            b += weight * c.rgbBlue;
            a += weight * c.rgbReserved;
        }
    }
    if (box.Area() <= 0.0f || total <= 0.0f)
        return GetInterpolatedColor(x, y, method, overflow, replacement);
    // Divided by the weights actually summed (the box area up to rounding), with a margin so
    // that a flat area does not come out one step darker.
    const float margin = 0.001f;
    RGBQUAD c = {ClampByte(b / total + margin), ClampByte(g / total + margin),
                 ClampByte(r / total + margin), ClampByte(a / total + margin)};
    return c;
}
