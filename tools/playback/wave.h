// The wave display shown for a file without a picture, as the -wave_* options describe it:
// effect 0 is the waveform as a line; any other effect is spectrum bars. Block size is the bar
// width in units of 4 pixels (0: 2 units), block space the gap between bars in pixels (-1: 2),
// gradient > 0 shades the bars from colour 1 at the bottom through colour 2 to colour 3 at the
// top (else colour 1 alone); a colour of 0 takes its default.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace drumlin {

struct WaveStyle {
    int effect = 0;
    int blockSize = 0;
    int blockSpace = -1;
    int gradient = 0;
    COLORREF colors[3] = {0, 0, 0};
};

class WaveDisplay {
public:
    static constexpr int kSamples = 1024;

    explicit WaveDisplay(const WaveStyle& style);
    ~WaveDisplay();
    WaveDisplay(const WaveDisplay&) = delete;
    WaveDisplay& operator=(const WaveDisplay&) = delete;

    // Draws kSamples mono samples (the latest last) into the whole client area.
    void Draw(HDC dc, const RECT& client, const int16_t* samples);

private:
    bool Prepare(HDC dc, int width, int height);
    void DrawLine(const int16_t* samples);
    void DrawBars(const int16_t* samples);

    WaveStyle style_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<float> levels_;  // bar heights, falling back slowly
};

}  // namespace drumlin
