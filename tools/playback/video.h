// The picture of a run: ffmpeg decodes to raw BGR frames of the picture's size into a pipe, and
// each frame is drawn when the clock reaches its time.
#pragma once

#include "tools/playback/child.h"
#include "tools/playback/clock.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace drumlin {

// The frame on show, kept for repainting; drawn letterboxed to the display aspect.
class FrameStore {
public:
    void SetAspect(int num, int den);
    // Takes `frame` (swapping it with the previous one) and draws it into `window`.
    void Present(std::vector<uint8_t>& frame, int width, int height, int rowPixels, HWND window);
    // Draws the frame on show, or black when there is none.
    void Paint(HDC dc, const RECT& client);
    bool Empty();

    // Where a picture of the display aspect goes in `client`; a near fit fills it.
    static RECT PictureRect(const RECT& client, int aspectNum, int aspectDen);

private:
    void DrawLocked(HDC dc, const RECT& client);

    std::mutex lock_;
    std::vector<uint8_t> bits_;
    int width_ = 0, height_ = 0, rowPixels_ = 0;
    int aspectNum_ = 0, aspectDen_ = 0;
};

struct VideoStats {
    std::atomic<int> shown{0};
    std::atomic<int> dropped{0};
};

class VideoPlayer {
public:
    VideoPlayer(PlayClock& clock, FrameStore& store, VideoStats& stats, HWND notify, UINT doneMessage);
    ~VideoPlayer();

    // Frames are `width` x `height` in rows of `rowPixels`; frame i is due at base + i / rate.
    bool Start(const std::wstring& ffmpeg, const std::wstring& args, HANDLE job, int width, int height,
               int rowPixels, double rate, double base, bool frameDrop, HWND target);
    void Stop();
    bool Finished() const { return finished_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void Run();
    bool WaitUntil(double due);

    PlayClock& clock_;
    FrameStore& store_;
    VideoStats& stats_;
    HWND notify_;
    UINT doneMessage_;

    PipedChild decoder_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    int width_ = 0, height_ = 0, rowPixels_ = 0;
    double rate_ = 25, base_ = 0;
    bool frameDrop_ = true;
    HWND target_ = nullptr;
};

}  // namespace drumlin
