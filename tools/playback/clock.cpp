// The play clock.
#include "tools/playback/clock.h"

namespace drumlin {

PlayClock::PlayClock()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
}

LONGLONG PlayClock::Ticks()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double PlayClock::CounterNowLocked() const
{
    if (held_ || paused_)
        return base_;
    return base_ + static_cast<double>(Ticks() - anchor_) / static_cast<double>(frequency_);
}

void PlayClock::Reset(double start, bool paused)
{
    std::lock_guard<std::mutex> lock(lock_);
    base_ = start;
    anchor_ = Ticks();
    held_ = true;
    paused_ = paused;
    audio_ = nullptr;
}

void PlayClock::Release()
{
    std::lock_guard<std::mutex> lock(lock_);
    if (!held_)
        return;
    held_ = false;
    anchor_ = Ticks();
}

void PlayClock::SetPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(lock_);
    if (paused == paused_)
        return;
    base_ = CounterNowLocked();
    anchor_ = Ticks();
    paused_ = paused;
}

bool PlayClock::Paused() const
{
    std::lock_guard<std::mutex> lock(lock_);
    return paused_;
}

void PlayClock::SetAudio(AudioClockSource* audio)
{
    std::lock_guard<std::mutex> lock(lock_);
    if (audio_ && !audio) {
        base_ = CounterNowLocked();
        anchor_ = Ticks();
    }
    audio_ = audio;
}

double PlayClock::Now()
{
    std::lock_guard<std::mutex> lock(lock_);
    double t = 0;
    if (audio_ && audio_->AudioSeconds(&t)) {
        if (t < base_ && !held_)
            t = base_;  // never backwards: the device's position can lag what was already shown
        base_ = t;
        anchor_ = Ticks();
        return t;
    }
    return CounterNowLocked();
}

}  // namespace drumlin
