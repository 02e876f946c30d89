// The sound of a run: ffmpeg decodes to 16-bit stereo at 44100 Hz into a pipe, and the samples go
// out through waveOut; without a sound device they are consumed silently at the clock's pace.
#pragma once

#include "tools/playback/child.h"
#include "tools/playback/clock.h"

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace drumlin {

constexpr int kSampleRate = 44100;

// Shared with the command handler: applied to every buffer as it is queued.
struct AudioLevels {
    std::atomic<int> volume{100};
    std::atomic<bool> mute{false};
};

class AudioPlayer : public AudioClockSource {
public:
    // `notify` gets WM_APP_STREAM_DONE when the sound has ended; the clock is released by the
    // first sound when `releasesClock` (no picture to wait for).
    AudioPlayer(PlayClock& clock, AudioLevels& levels, HWND notify, UINT doneMessage, bool releasesClock);
    ~AudioPlayer() override;

    bool Start(const std::wstring& ffmpeg, const std::wstring& args, HANDLE job, bool paused);
    void Stop();
    void SetPaused(bool paused);
    bool HasDevice() const { return device_ != nullptr; }
    bool Finished() const { return finished_; }

    bool AudioSeconds(double* seconds) override;

    // The last `count` mono samples before the time `seconds` of the run (zeros where none).
    void Snapshot(double seconds, int16_t* out, int count);

private:
    void Run();
    void RunDevice();
    void RunSilent();
    size_t ReadChunk(std::vector<int16_t>& chunk);
    void Remember(const int16_t* stereo, size_t frames);
    void Notify();
    double RealSecondsLocked(LONGLONG now) const;

    PlayClock& clock_;
    AudioLevels& levels_;
    HWND notify_;
    UINT doneMessage_;
    bool releasesClock_;

    PipedChild decoder_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> drained_{false};

    HWAVEOUT device_ = nullptr;
    UniqueHandle bufferDone_;
    std::vector<std::vector<int16_t>> buffers_;
    std::vector<WAVEHDR> headers_;

    std::mutex positionLock_;  // guards the device position smoothing, the pause state and the check
    bool paused_ = false;
    // Real time since the first buffer went out, to check the device's position against: one
    // that stalls (a device gone) or runs fast would otherwise freeze or rush the picture.
    bool deviceStarted_ = false;
    bool deviceTrusted_ = true;
    double realBase_ = 0;
    LONGLONG realAnchor_ = 0;
    DWORD lastSamples_ = 0;
    LONGLONG lastChange_ = 0;
    double lastReported_ = 0;

    std::mutex historyLock_;
    std::vector<int16_t> history_;  // mono ring
    uint64_t historyFrames_ = 0;    // frames written since the run began
};

}  // namespace drumlin
