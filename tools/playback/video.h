// The picture of a run: ffmpeg decodes to raw BGR frames of the picture's size into a pipe, and
// each frame is drawn when the clock reaches its time.
#pragma once

#include "tools/playback/child.h"
#include "tools/playback/clock.h"
#include "tools/playback/subtitle.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace drumlin {

// The frame on show, kept for repainting; drawn letterboxed to the display aspect, with the
// subtitle text of its time over it.
class FrameStore {
public:
    FrameStore() = default;
    ~FrameStore();
    FrameStore(const FrameStore&) = delete;
    FrameStore& operator=(const FrameStore&) = delete;

    void SetAspect(int num, int den);
    // The track whose text goes over the picture, or null; it must outlive the drawing. A cue of
    // the picture on show that arrives after the picture was drawn has it drawn again.
    void SetCaptions(SubtitleTrack* track);
    // Takes `frame` (swapping it with the previous one), the picture at `frameUs` of the file,
    // and draws it into `window`.
    void Present(std::vector<uint8_t>& frame, int width, int height, int rowPixels, int64_t frameUs, HWND window);
    // Draws the frame on show, or black when there is none.
    void Paint(HDC dc, const RECT& client);
    bool Empty();

    // Where a picture of the display aspect goes in `client`; a near fit fills it.
    static RECT PictureRect(const RECT& client, int aspectNum, int aspectDen);

private:
    void CaptionArrived(int64_t startUs, int64_t endUs);
    void DrawLocked(HDC dc, const RECT& client);
    void DrawPicture(HDC dc, const RECT& pic);
    // A bitmap of the picture's size to put picture and text together in, so the text never
    // flickers; null when it cannot be had.
    HDC Composition(HDC dc, int width, int height);
    void ReleaseComposition();

    std::mutex lock_;
    std::vector<uint8_t> bits_;
    int width_ = 0, height_ = 0, rowPixels_ = 0;
    int64_t frameUs_ = 0;
    HWND window_ = nullptr;  // where the picture on show was drawn
    int aspectNum_ = 0, aspectDen_ = 0;
    SubtitleTrack* captions_ = nullptr;
    CaptionPainter painter_;
    HDC composeDc_ = nullptr;
    HBITMAP composeBitmap_ = nullptr;
    HGDIOBJ composeOld_ = nullptr;
    SIZE composeSize_ = {0, 0};
};

struct VideoStats {
    std::atomic<int> shown{0};
    std::atomic<int> dropped{0};
};

class VideoPlayer {
public:
    VideoPlayer(PlayClock& clock, FrameStore& store, VideoStats& stats, HWND notify, UINT doneMessage);
    ~VideoPlayer();

    // Frames are `width` x `height` in rows of `rowPixels`; frame i is due at base + i / rate and
    // shows the file i / rate * timeScale seconds after fileStartUs.
    bool Start(const std::wstring& ffmpeg, const std::wstring& args, HANDLE job, int width, int height,
               int rowPixels, double rate, double base, int64_t fileStartUs, double timeScale, bool frameDrop,
               HWND target);
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
    int64_t fileStartUs_ = 0;
    double timeScale_ = 1;
    bool frameDrop_ = true;
    HWND target_ = nullptr;
};

}  // namespace drumlin
