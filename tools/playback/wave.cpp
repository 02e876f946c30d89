// Drawing the waveform and the spectrum bars into a memory bitmap.
#include "tools/playback/wave.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace drumlin {

namespace {

const COLORREF kDefaultColors[3] = {RGB(0, 200, 120), RGB(230, 200, 0), RGB(230, 40, 40)};

uint32_t Pixel(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

COLORREF Mix(COLORREF a, COLORREF b, double t)
{
    auto m = [t](int x, int y) { return static_cast<BYTE>(x + (y - x) * t + 0.5); };
    return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)), m(GetBValue(a), GetBValue(b)));
}

void Fft(std::vector<std::complex<float>>& a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        float angle = -2.0f * 3.14159265f / static_cast<float>(len);
        std::complex<float> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<float> w(1, 0);
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<float> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

}  // namespace

WaveDisplay::WaveDisplay(const WaveStyle& style) : style_(style)
{
    for (int i = 0; i < 3; ++i)
        if (style_.colors[i] == 0)
            style_.colors[i] = kDefaultColors[i];
}

WaveDisplay::~WaveDisplay()
{
    if (memory_) {
        SelectObject(memory_, oldBitmap_);
        DeleteDC(memory_);
    }
    if (bitmap_)
        DeleteObject(bitmap_);
}

bool WaveDisplay::Prepare(HDC dc, int width, int height)
{
    if (memory_ && width == width_ && height == height_)
        return true;
    if (memory_) {
        SelectObject(memory_, oldBitmap_);
        DeleteDC(memory_);
        memory_ = nullptr;
    }
    if (bitmap_) {
        DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_)
        return false;
    memory_ = CreateCompatibleDC(dc);
    if (!memory_) {
        DeleteObject(bitmap_);
        bitmap_ = nullptr;
        return false;
    }
    oldBitmap_ = SelectObject(memory_, bitmap_);
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void WaveDisplay::Draw(HDC dc, const RECT& client, const int16_t* samples)
{
    int w = client.right - client.left, h = client.bottom - client.top;
    if (w <= 0 || h <= 0 || !Prepare(dc, w, h))
        return;
    GdiFlush();
    std::fill(pixels_, pixels_ + static_cast<size_t>(w) * h, 0u);
    if (style_.effect == 0)
        DrawLine(samples);
    else
        DrawBars(samples);
    BitBlt(dc, client.left, client.top, w, h, memory_, 0, 0, SRCCOPY);
}

void WaveDisplay::DrawLine(const int16_t* samples)
{
    const uint32_t color = Pixel(style_.colors[0]);
    int previous = -1;
    for (int x = 0; x < width_; ++x) {
        int s = samples[static_cast<int64_t>(x) * kSamples / width_];
        int y = height_ / 2 - s * (height_ / 2 - 1) / 32768;
        y = std::clamp(y, 0, height_ - 1);
        int from = previous < 0 ? y : std::min(previous, y), to = previous < 0 ? y : std::max(previous, y);
        for (int r = from; r <= to; ++r)
            pixels_[static_cast<size_t>(r) * width_ + x] = color;
        previous = y;
    }
}

void WaveDisplay::DrawBars(const int16_t* samples)
{
    const int barWidth = 4 * (style_.blockSize > 0 ? style_.blockSize : 2);
    const int gap = style_.blockSpace >= 0 ? style_.blockSpace : 2;
    const int bars = std::max(1, (width_ + gap) / (barWidth + gap));
    std::vector<std::complex<float>> spectrum(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        float hann = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * i / (kSamples - 1));
        spectrum[i] = std::complex<float>(samples[i] / 32768.0f * hann, 0);
    }
    Fft(spectrum);
    if (static_cast<int>(levels_.size()) != bars)
        levels_.assign(bars, 0.0f);
    // Bars on a logarithmic frequency scale from 40 Hz to 16 kHz, in decibels over 60 dB.
    const double low = 40, high = 16000, binHz = 44100.0 / kSamples;
    for (int b = 0; b < bars; ++b) {
        double f0 = low * std::pow(high / low, static_cast<double>(b) / bars);
        double f1 = low * std::pow(high / low, static_cast<double>(b + 1) / bars);
        int k0 = std::max(1, static_cast<int>(f0 / binHz)), k1 = std::max(k0, static_cast<int>(f1 / binHz));
        float peak = 0;
        for (int k = k0; k <= k1 && k < kSamples / 2; ++k)
            peak = std::max(peak, std::abs(spectrum[k]));
        float db = 20.0f * std::log10(std::max(peak / (kSamples / 4.0f), 1e-6f));
        float level = std::clamp((db + 60.0f) / 60.0f, 0.0f, 1.0f);
        levels_[b] = std::max(level, levels_[b] - 0.04f);
    }
    std::vector<uint32_t> rowColor(height_);
    for (int y = 0; y < height_; ++y) {
        double up = 1.0 - static_cast<double>(y) / std::max(1, height_ - 1);  // 0 bottom, 1 top
        COLORREF c = style_.colors[0];
        if (style_.gradient > 0)
            c = up < 0.5 ? Mix(style_.colors[0], style_.colors[1], up * 2) : Mix(style_.colors[1], style_.colors[2], up * 2 - 1);
        rowColor[y] = Pixel(c);
    }
    const int used = bars * (barWidth + gap) - gap;
    const int left = std::max(0, (width_ - used) / 2);
    for (int b = 0; b < bars; ++b) {
        int top = height_ - static_cast<int>(levels_[b] * height_);
        int x0 = left + b * (barWidth + gap), x1 = std::min(width_, x0 + barWidth);
        for (int y = std::max(0, top); y < height_; ++y) {
            uint32_t* row = pixels_ + static_cast<size_t>(y) * width_;
            std::fill(row + x0, row + x1, rowColor[y]);
        }
    }
}

}  // namespace drumlin
