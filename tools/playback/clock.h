// The play clock: seconds of the current run, taken from the sound device while it plays and
// from the performance counter otherwise.
#pragma once

#include <windows.h>

#include <mutex>

namespace drumlin {

class AudioClockSource {
public:
    virtual ~AudioClockSource() = default;
    // The time of the sample being heard; false when the device no longer leads (it has
    // played everything, or never started).
    virtual bool AudioSeconds(double* seconds) = 0;
};

class PlayClock {
public:
    PlayClock();

    // A new run: the clock stands at `start` and waits for Release before it moves.
    void Reset(double start, bool paused);
    // The first picture or sound is ready: from now on time passes (unless paused).
    void Release();
    void SetPaused(bool paused);
    bool Paused() const;
    // While set, the device leads; the counter then follows it so that it can take over
    // seamlessly when the sound ends.
    void SetAudio(AudioClockSource* audio);
    double Now();

private:
    double CounterNowLocked() const;
    static LONGLONG Ticks();

    mutable std::mutex lock_;
    LONGLONG frequency_ = 1;
    double base_ = 0;
    LONGLONG anchor_ = 0;
    bool held_ = true;
    bool paused_ = false;
    AudioClockSource* audio_ = nullptr;
};

}  // namespace drumlin
