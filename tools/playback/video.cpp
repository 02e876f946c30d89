// Pacing and drawing the decoded frames.
#include "tools/playback/video.h"

#include <cmath>

namespace drumlin {

FrameStore::~FrameStore()
{
    SetCaptions(nullptr);
    ReleaseComposition();
}

void FrameStore::SetCaptions(SubtitleTrack* track)
{
    SubtitleTrack* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(lock_);
        old = captions_;
        captions_ = track;
    }
    // Not under lock_: the track tells under a lock of its own, and the telling takes lock_.
    if (old && old != track)
        old->SetArrival(nullptr);
    if (track)
        track->SetArrival([this](int64_t startUs, int64_t endUs) { CaptionArrived(startUs, endUs); });
}

void FrameStore::CaptionArrived(int64_t startUs, int64_t endUs)
{
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> lock(lock_);
        if (!bits_.empty() && frameUs_ >= startUs && frameUs_ < endUs)
            window = window_;
    }
    // A paused picture gets no next frame to bring its text: it is painted again.
    if (window)
        InvalidateRect(window, nullptr, FALSE);
}

void FrameStore::SetAspect(int num, int den)
{
    std::lock_guard<std::mutex> lock(lock_);
    aspectNum_ = num;
    aspectDen_ = den;
}

RECT FrameStore::PictureRect(const RECT& client, int aspectNum, int aspectDen)
{
    int cw = client.right - client.left, ch = client.bottom - client.top;
    if (aspectNum <= 0 || aspectDen <= 0 || cw <= 0 || ch <= 0)
        return client;
    double aspect = static_cast<double>(aspectNum) / aspectDen;
    int w = cw, h = static_cast<int>(std::lround(cw / aspect));
    if (h > ch) {
        h = ch;
        w = static_cast<int>(std::lround(ch * aspect));
    }
    // The player sizes the window to the picture with even rounding: a few pixels off is a fit.
    if (cw - w <= 4 && ch - h <= 4)
        return client;
    RECT r;
    r.left = client.left + (cw - w) / 2;
    r.top = client.top + (ch - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

void FrameStore::DrawLocked(HDC dc, const RECT& client)
{
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (bits_.empty()) {
        FillRect(dc, &client, black);
        return;
    }
    RECT pic = PictureRect(client, aspectNum_, aspectDen_);
    if (pic.left > client.left || pic.top > client.top) {
        RECT bars[4] = {{client.left, client.top, client.right, pic.top},
                        {client.left, pic.bottom, client.right, client.bottom},
                        {client.left, pic.top, pic.left, pic.bottom},
                        {pic.right, pic.top, client.right, pic.bottom}};
        for (const RECT& b : bars)
            if (b.right > b.left && b.bottom > b.top)
                FillRect(dc, &b, black);
    }
    const int pw = pic.right - pic.left, ph = pic.bottom - pic.top;
    Caption caption;
    if (captions_)
        caption = captions_->At(frameUs_);
    HDC compose = caption.Empty() ? nullptr : Composition(dc, pw, ph);
    if (!compose) {
        DrawPicture(dc, pic);
        return;
    }
    RECT local = {0, 0, pw, ph};
    DrawPicture(compose, local);
    painter_.Draw(compose, local, caption);
    BitBlt(dc, pic.left, pic.top, pw, ph, compose, 0, 0, SRCCOPY);
}

void FrameStore::DrawPicture(HDC dc, const RECT& pic)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = rowPixels_;
    info.bmiHeader.biHeight = -height_;  // ffmpeg's rows run top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    int pw = pic.right - pic.left, ph = pic.bottom - pic.top;
    if (pw == width_ && ph == height_) {
        SetDIBitsToDevice(dc, pic.left, pic.top, width_, height_, 0, 0, 0, height_, bits_.data(), &info,
                          DIB_RGB_COLORS);
    } else {
        // Until a resized decode arrives the old frames are stretched into the new size.
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, pic.left, pic.top, pw, ph, 0, 0, width_, height_, bits_.data(), &info, DIB_RGB_COLORS,
                      SRCCOPY);
    }
}

HDC FrameStore::Composition(HDC dc, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    if (composeDc_ && composeSize_.cx == width && composeSize_.cy == height)
        return composeDc_;
    ReleaseComposition();
    composeDc_ = CreateCompatibleDC(dc);
    composeBitmap_ = composeDc_ ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (!composeBitmap_) {
        ReleaseComposition();
        return nullptr;
    }
    composeOld_ = SelectObject(composeDc_, composeBitmap_);
    composeSize_ = {width, height};
    return composeDc_;
}

void FrameStore::ReleaseComposition()
{
    if (composeDc_ && composeOld_)
        SelectObject(composeDc_, composeOld_);
    if (composeBitmap_)
        DeleteObject(composeBitmap_);
    if (composeDc_)
        DeleteDC(composeDc_);
    composeDc_ = nullptr;
    composeBitmap_ = nullptr;
    composeOld_ = nullptr;
    composeSize_ = {0, 0};
}

void FrameStore::Present(std::vector<uint8_t>& frame, int width, int height, int rowPixels, int64_t frameUs,
                         HWND window)
{
    std::lock_guard<std::mutex> lock(lock_);
    bits_.swap(frame);
    width_ = width;
    height_ = height;
    rowPixels_ = rowPixels;
    frameUs_ = frameUs;
    if (!window)
        return;
    window_ = window;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    DrawLocked(dc, client);
    ReleaseDC(window, dc);
}

void FrameStore::Paint(HDC dc, const RECT& client)
{
    std::lock_guard<std::mutex> lock(lock_);
    DrawLocked(dc, client);
}

bool FrameStore::Empty()
{
    std::lock_guard<std::mutex> lock(lock_);
    return bits_.empty();
}

VideoPlayer::VideoPlayer(PlayClock& clock, FrameStore& store, VideoStats& stats, HWND notify, UINT doneMessage)
    : clock_(clock), store_(store), stats_(stats), notify_(notify), doneMessage_(doneMessage)
{
}

VideoPlayer::~VideoPlayer()
{
    Stop();
}

bool VideoPlayer::Start(const std::wstring& ffmpeg, const std::wstring& args, HANDLE job, int width, int height,
                        int rowPixels, double rate, double base, int64_t fileStartUs, double timeScale,
                        bool frameDrop, HWND target)
{
    width_ = width;
    height_ = height;
    rowPixels_ = rowPixels;
    rate_ = rate > 0 ? rate : 25;
    base_ = base;
    fileStartUs_ = fileStartUs;
    timeScale_ = timeScale > 0 ? timeScale : 1;
    frameDrop_ = frameDrop;
    target_ = target;
    // A few frames of room let ffmpeg decode ahead while a frame waits for its time.
    DWORD pipeSize = static_cast<DWORD>(rowPixels * height * 3) * 4;
    if (!decoder_.Start(ffmpeg, args, job, pipeSize))
        return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void VideoPlayer::Stop()
{
    stop_ = true;
    decoder_.Kill();
    if (thread_.joinable())
        thread_.join();
}

bool VideoPlayer::WaitUntil(double due)
{
    while (!stop_) {
        double left = due - clock_.Now();
        if (left <= 0.0005)
            return true;
        DWORD ms = left > 0.011 ? 10 : (left > 0.002 ? static_cast<DWORD>(left * 1000) - 1 : 0);
        Sleep(ms);
    }
    return false;
}

void VideoPlayer::Run()
{
    const size_t frameBytes = static_cast<size_t>(rowPixels_) * height_ * 3;
    std::vector<uint8_t> frame(frameBytes);
    int64_t index = 0;
    int dropsInRow = 0;
    while (!stop_) {
        if (decoder_.ReadFull(frame.data(), frameBytes) < frameBytes)
            break;
        const double offset = static_cast<double>(index) / rate_;
        const double due = base_ + offset;
        const int64_t frameUs = fileStartUs_ + static_cast<int64_t>(offset * timeScale_ * 1e6 + 0.5);
        ++index;
        if (index > 1) {
            if (!WaitUntil(due))
                return;
            // Late by more than a frame: skip drawing it, but never so many in a row that the
            // picture freezes on a slow machine.
            double late = clock_.Now() - due;
            if (frameDrop_ && late > 1.0 / rate_ && dropsInRow < 10) {
                ++dropsInRow;
                ++stats_.dropped;
                continue;
            }
        }
        dropsInRow = 0;
        store_.Present(frame, width_, height_, rowPixels_, frameUs, target_);
        if (frame.size() != frameBytes)
            frame.assign(frameBytes, 0);
        ++stats_.shown;
        if (index == 1)
            clock_.Release();  // time starts with the first picture, not with ffmpeg's start-up
    }
    if (stop_)
        return;
    // The last frame stays for its duration; the picture ends then.
    if (index == 0)
        clock_.Release();
    if (!WaitUntil(base_ + static_cast<double>(index) / rate_))
        return;
    finished_ = true;
    PostMessageW(notify_, doneMessage_, 0, 0);
}

}  // namespace drumlin
