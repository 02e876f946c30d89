// Sound output over waveOut, or silent consumption on the clock when no device can be opened.
#include "tools/playback/audio.h"

#include <algorithm>
#include <cmath>

namespace drumlin {

namespace {

constexpr int kBufferCount = 8;
constexpr int kBufferFrames = 2048;                  // about 46 ms each
constexpr size_t kHistoryFrames = 1 << 16;           // about 1.5 s for the wave display
constexpr double kSilentLead = 0.25;                 // how far silent decoding runs ahead
constexpr double kDeviceDrift = 0.5;                 // device position off real time: not trusted

LONGLONG Ticks()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double TickSeconds(LONGLONG ticks)
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

}  // namespace

AudioPlayer::AudioPlayer(PlayClock& clock, AudioLevels& levels, HWND notify, UINT doneMessage, bool releasesClock)
    : clock_(clock), levels_(levels), notify_(notify), doneMessage_(doneMessage), releasesClock_(releasesClock),
      history_(kHistoryFrames, 0)
{
}

AudioPlayer::~AudioPlayer()
{
    Stop();
}

bool AudioPlayer::Start(const std::wstring& ffmpeg, const std::wstring& args, HANDLE job, bool paused)
{
    if (!decoder_.Start(ffmpeg, args, job, 1 << 18))
        return false;
    paused_ = paused;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kSampleRate * 4;
    bufferDone_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (bufferDone_ && waveOutGetNumDevs() > 0 &&
        waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferDone_.Get()), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR)
        device_ = nullptr;
    if (device_) {
        if (paused)
            waveOutPause(device_);
        buffers_.assign(kBufferCount, std::vector<int16_t>(kBufferFrames * 2));
        headers_.assign(kBufferCount, WAVEHDR{});
        for (int i = 0; i < kBufferCount; ++i) {
            headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
            headers_[i].dwBufferLength = kBufferFrames * 4;
            waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
            headers_[i].dwFlags |= WHDR_DONE;  // free for the first write
        }
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void AudioPlayer::Stop()
{
    stop_ = true;
    decoder_.Kill();
    if (bufferDone_)
        SetEvent(bufferDone_.Get());
    if (thread_.joinable())
        thread_.join();
    if (device_) {
        waveOutReset(device_);
        for (WAVEHDR& h : headers_)
            waveOutUnprepareHeader(device_, &h, sizeof(WAVEHDR));
        waveOutClose(device_);
        device_ = nullptr;
    }
}

double AudioPlayer::RealSecondsLocked(LONGLONG now) const
{
    return paused_ ? realBase_ : realBase_ + TickSeconds(now - realAnchor_);
}

void AudioPlayer::SetPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(positionLock_);
    LONGLONG now = Ticks();
    realBase_ = RealSecondsLocked(now);
    realAnchor_ = now;
    paused_ = paused;
    if (device_) {
        if (paused)
            waveOutPause(device_);
        else
            waveOutRestart(device_);
    }
    lastChange_ = Ticks();
}

bool AudioPlayer::AudioSeconds(double* seconds)
{
    if (!device_ || drained_)
        return false;
    std::lock_guard<std::mutex> lock(positionLock_);
    if (!deviceTrusted_)
        return false;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device_, &time, sizeof(time)) != MMSYSERR_NOERROR)
        return false;
    DWORD samples = time.wType == TIME_SAMPLES ? time.u.sample
                    : time.wType == TIME_BYTES ? time.u.cb / 4 : 0;
    LONGLONG now = Ticks();
    if (samples != lastSamples_) {
        lastSamples_ = samples;
        lastChange_ = now;
    }
    double t = static_cast<double>(samples) / kSampleRate;
    // Devices report their position in steps; between steps the counter bridges, a little.
    if (!paused_ && samples > 0)
        t += std::min(TickSeconds(now - lastChange_), 0.05);
    lastReported_ = std::max(lastReported_, t);
    if (deviceStarted_ && std::abs(lastReported_ - RealSecondsLocked(now)) > kDeviceDrift) {
        // From here the counter leads, from the last good device time on; the sound still plays.
        deviceTrusted_ = false;
        return false;
    }
    *seconds = lastReported_;
    return true;
}

void AudioPlayer::Snapshot(double seconds, int16_t* out, int count)
{
    std::lock_guard<std::mutex> lock(historyLock_);
    int64_t end = static_cast<int64_t>(seconds * kSampleRate);
    for (int i = 0; i < count; ++i) {
        int64_t frame = end - count + i;
        bool held = frame >= 0 && static_cast<uint64_t>(frame) < historyFrames_ &&
                    historyFrames_ - static_cast<uint64_t>(frame) <= kHistoryFrames;
        out[i] = held ? history_[static_cast<size_t>(frame) % kHistoryFrames] : 0;
    }
}

void AudioPlayer::Remember(const int16_t* stereo, size_t frames)
{
    std::lock_guard<std::mutex> lock(historyLock_);
    for (size_t i = 0; i < frames; ++i) {
        history_[historyFrames_ % kHistoryFrames] = static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2);
        ++historyFrames_;
    }
}

size_t AudioPlayer::ReadChunk(std::vector<int16_t>& chunk)
{
    size_t bytes = decoder_.ReadFull(chunk.data(), chunk.size() * sizeof(int16_t));
    size_t frames = bytes / 4;
    Remember(chunk.data(), frames);
    // The level applies to what is heard, not to the wave display.
    int volume = levels_.mute ? 0 : levels_.volume.load();
    if (volume < 100) {
        for (size_t i = 0; i < frames * 2; ++i)
            chunk[i] = static_cast<int16_t>(chunk[i] * volume / 100);
    }
    return frames;
}

void AudioPlayer::Notify()
{
    finished_ = true;
    PostMessageW(notify_, doneMessage_, 0, 0);
}

void AudioPlayer::Run()
{
    if (device_)
        RunDevice();
    else
        RunSilent();
}

void AudioPlayer::RunDevice()
{
    bool first = true;
    while (!stop_) {
        WAVEHDR* free = nullptr;
        for (size_t i = 0; i < headers_.size() && !free; ++i)
            if (headers_[i].dwFlags & WHDR_DONE)
                free = &headers_[i];
        if (!free) {
            WaitForSingleObject(bufferDone_.Get(), 100);
            continue;
        }
        std::vector<int16_t>& chunk = buffers_[free - headers_.data()];
        size_t frames = ReadChunk(chunk);
        if (frames == 0)
            break;
        free->dwBufferLength = static_cast<DWORD>(frames * 4);
        free->dwFlags &= ~WHDR_DONE;
        if (first) {
            std::lock_guard<std::mutex> lock(positionLock_);
            realAnchor_ = Ticks();
            deviceStarted_ = true;
        }
        waveOutWrite(device_, free, sizeof(WAVEHDR));
        if (first && releasesClock_)
            clock_.Release();
        first = false;
        if (frames < static_cast<size_t>(kBufferFrames))
            break;
    }
    // The end of the sound is when the device has played the last buffer.
    while (!stop_) {
        bool busy = false;
        for (const WAVEHDR& h : headers_)
            busy = busy || !(h.dwFlags & WHDR_DONE);
        if (!busy)
            break;
        WaitForSingleObject(bufferDone_.Get(), 100);
    }
    if (stop_)
        return;
    clock_.Now();  // hands the last device time to the counter before the device steps back
    drained_ = true;
    Notify();
}

void AudioPlayer::RunSilent()
{
    std::vector<int16_t> chunk(kBufferFrames * 2);
    uint64_t frames = 0;
    while (!stop_) {
        size_t n = ReadChunk(chunk);
        if (n == 0)
            break;
        if (frames == 0 && releasesClock_)
            clock_.Release();
        frames += n;
        double chunkStart = static_cast<double>(frames - n) / kSampleRate;
        while (!stop_ && clock_.Now() < chunkStart - kSilentLead)
            Sleep(10);
        if (n < static_cast<size_t>(kBufferFrames))
            break;
    }
    double end = static_cast<double>(frames) / kSampleRate;
    if (frames == 0 && releasesClock_)
        clock_.Release();
    while (!stop_ && clock_.Now() < end)
        Sleep(10);
    if (!stop_)
        Notify();
}

}  // namespace drumlin
