// Drumlin.exe: the playback tool. Plays a file into the player's play window over the ffmpeg
// build beside it, reports its state to the play window and obeys the player's commands, both as
// WM_COPYDATA records.
#include "tools/common/passthrough.h"
#include "tools/playback/audio.h"
#include "tools/playback/child.h"
#include "tools/playback/clock.h"
#include "tools/playback/options.h"
#include "tools/playback/probe.h"
#include "tools/playback/records.h"
#include "tools/playback/subtitle.h"
#include "tools/playback/surface.h"
#include "tools/playback/video.h"
#include "tools/playback/wave.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace drumlin {

namespace {

constexpr UINT WM_APP_STREAM_DONE = WM_APP + 1;  // a picture or sound thread reached its end
constexpr UINT WM_APP_PAUSE = WM_APP + 2;
constexpr UINT WM_APP_STOP = WM_APP + 3;
constexpr UINT WM_APP_SEEK = WM_APP + 4;

enum TimerId : UINT_PTR { kProgressTimer = 1, kParentTimer, kTrackTimer, kResizeTimer, kWaveTimer };

const wchar_t kVideoClass[] = L"DrumlinVideo";
const wchar_t kOverlayClass[] = L"DrumlinOverlay";

enum ExitCode { kExitOk = 0, kExitCannotOpen = 1, kExitUsage = 2 };

std::wstring Widen(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::wstring Seconds(int64_t us)
{
    char buf[64];
    snprintf(buf, sizeof(buf), "%.6f", static_cast<double>(us) / 1e6);
    return Widen(buf);
}

// The input as the decoders are given it. A playlist whose segments stand in files beside it (HLS,
// DASH) names them relative to itself, and ffmpeg's demuxers find them only from a path with '/'
// (HLS), or only by a name in the working folder (DASH). A file on disk is therefore handed over
// by name, with this process (whose folder the decoders are started in) working in its folder;
// "file:" keeps a name that starts with '-' a name. Where the folder cannot be a working folder,
// by its path with '/'. Addresses stay as they are.
std::wstring DecoderInput(const std::wstring& input)
{
    const bool drivePath = input.size() > 2 && iswalpha(input[0]) && input[1] == L':' &&
                           (input[2] == L'\\' || input[2] == L'/');
    const bool sharePath = input.size() > 2 && input[0] == L'\\' && input[1] == L'\\' && input[2] != L'?' &&
                           input[2] != L'.';
    if (!drivePath && !sharePath)
        return input;
    std::wstring slashed = input;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    const size_t cut = input.find_last_of(L"\\/");
    // A working folder is at most MAX_PATH - 2 characters long, its closing '\\' included.
    if (cut == std::wstring::npos || cut + 1 >= input.size() || cut + 1 > MAX_PATH - 2)
        return slashed;
    const std::wstring folder = input.substr(0, cut + 1);
    if (!SetCurrentDirectoryW(folder.c_str()))
        return slashed;
    return L"file:" + input.substr(cut + 1);
}

// The number after "name=" in a filter chain, or 0.
double FilterValue(const std::wstring& chain, const wchar_t* name)
{
    size_t at = chain.find(name);
    if (at == std::wstring::npos)
        return 0;
    return wcstod(chain.c_str() + at + wcslen(name), nullptr);
}

int CountOf(const std::wstring& text, const wchar_t* word)
{
    int n = 0;
    for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

void CopyText(char* dst, size_t size, const std::string& src)
{
    size_t n = std::min(size - 1, src.size());
    memcpy(dst, src.data(), n);
    dst[n] = 0;
}

// Subtitle tracks made of pictures (DVD, Blu-ray, DVB, DivX) cannot be read as text.
bool IsTextSubtitle(const StreamFacts& s)
{
    static const char* const kPictureCodecs[] = {"dvd_subtitle", "dvb_subtitle", "hdmv_pgs_subtitle", "xsub",
                                                 "dvb_teletext"};
    if (s.type != "subtitle")
        return false;
    for (const char* codec : kPictureCodecs)
        if (s.codec == codec)
            return false;
    return true;
}

class Player {
public:
    explicit Player(const PlayOptions& options);
    int Run();

private:
    static LRESULT CALLBACK VideoProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK OverlayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnVideoMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnOverlayMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool ForwardMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    bool ChooseStreams();
    bool CreateWindows();
    void Paint(HWND hwnd);
    void DrawWave(HDC dc, const RECT& client);
    SIZE DecodeSize();

    std::wstring InputArgs(int64_t positionUs) const;
    bool StartRun(int64_t positionUs, bool paused);
    void StartVideo(int64_t positionUs, double base);
    void StopRun();
    void RestartVideoAtNewSize();
    void OnStreamDone();
    void TogglePause();
    void Seek(int64_t targetUs);
    LRESULT OnCommand(const COPYDATASTRUCT* cds);

    int64_t PositionUs();
    int64_t LimitUs() const { return endUs_ > 0 ? endUs_ : media_.durationInUs; }
    void SendStatus(int32_t code, int32_t arg, UINT timeoutMs = 1000);
    void Shutdown(int32_t endReason, int exitCode);

    PlayOptions options_;
    std::wstring ffmpeg_, ffprobe_;
    std::wstring decoderInput_;
    ChildJob job_;
    MediaFacts media_;
    const StreamFacts* video_ = nullptr;
    const StreamFacts* audio_ = nullptr;
    const StreamFacts* subtitle_ = nullptr;
    int displayWidth_ = 0, displayHeight_ = 0, aspectNum_ = 0, aspectDen_ = 0;
    int rateNum_ = 25, rateDen_ = 1;
    double timeScale_ = 1.0;  // file seconds per clock second
    int64_t endUs_ = 0;

    HWND child_ = nullptr;
    bool childGone_ = false;
    bool standalone_ = false;
    VideoSurface surface_;
    std::unique_ptr<WaveDisplay> wave_;

    PlayClock clock_;
    std::unique_ptr<SubtitleTrack> subtitles_;  // before the frames, which draw its text
    FrameStore frames_;
    VideoStats stats_;
    AudioLevels levels_;
    std::unique_ptr<VideoPlayer> videoRun_;
    std::unique_ptr<AudioPlayer> audioRun_;
    int64_t runStartUs_ = 0;
    int64_t pendingSeekUs_ = 0;
    bool paused_ = false;
    bool atEnd_ = false;
    bool started_ = false;
    bool closing_ = false;
    int32_t state_ = 1;
    int exitCode_ = kExitOk;
};

Player::Player(const PlayOptions& options) : options_(options)
{
    levels_.volume = options.volume;
    levels_.mute = options.mute;
}

bool Player::ChooseStreams()
{
    auto pick = [this](const char* type, int wanted, bool off) -> const StreamFacts* {
        if (off)
            return nullptr;
        auto usable = [type](const StreamFacts& s) {
            return s.type == type && !(s.type == "video" && s.attachedPicture);
        };
        for (const StreamFacts& s : media_.streams)
            if (wanted > 0 && s.index == wanted - 1 && usable(s))
                return &s;
        for (const StreamFacts& s : media_.streams)
            if (usable(s))
                return &s;
        return nullptr;
    };
    video_ = pick("video", options_.videoStream, options_.noVideo);
    audio_ = pick("audio", options_.audioStream, options_.noAudio);
    if (video_ && (video_->width <= 0 || video_->height <= 0))
        video_ = nullptr;
    if (!video_ && !audio_)
        return false;
    // Text goes over a picture only. A chosen track made of pictures shows nothing; without a
    // choice the text track the file marks as default is shown, else the first, as a plain
    // player does.
    if (video_ && !options_.noSubtitles) {
        bool chosen = false;
        for (const StreamFacts& s : media_.streams) {
            if (options_.subtitleStream > 0 && s.index == options_.subtitleStream - 1 && s.type == "subtitle") {
                chosen = true;
                subtitle_ = IsTextSubtitle(s) ? &s : nullptr;
            }
        }
        for (const StreamFacts& s : media_.streams)
            if (!chosen && !subtitle_ && IsTextSubtitle(s) && s.defaultTrack)
                subtitle_ = &s;
        for (const StreamFacts& s : media_.streams)
            if (!chosen && !subtitle_ && IsTextSubtitle(s))
                subtitle_ = &s;
    }

    if (video_) {
        displayWidth_ = video_->width;
        displayHeight_ = video_->height;
        aspectNum_ = video_->aspectNum;
        aspectDen_ = video_->aspectDen;
        // An odd number of quarter turns in the chain stands the picture on its side.
        if (CountOf(options_.videoFilters, L"transpose") % 2 == 1) {
            std::swap(displayWidth_, displayHeight_);
            std::swap(aspectNum_, aspectDen_);
        }
        if (video_->rateNum > 0 && video_->rateDen > 0 &&
            video_->rateNum <= 240 * video_->rateDen) {
            rateNum_ = video_->rateNum;
            rateDen_ = video_->rateDen;
        }
        double pts = FilterValue(options_.videoFilters, L"setpts=");
        if (pts > 0)
            timeScale_ = 1.0 / pts;
    } else {
        double tempo = FilterValue(options_.audioFilters, L"atempo=");
        if (tempo > 0)
            timeScale_ = tempo;
    }
    if (options_.durationMs > 0)
        endUs_ = options_.startMs * 1000 + options_.durationMs * 1000;
    if (media_.durationInUs > 0 && (endUs_ <= 0 || endUs_ > media_.durationInUs))
        endUs_ = media_.durationInUs;
    return true;
}

bool Player::CreateWindows()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = VideoProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kVideoClass;
    if (!RegisterClassExW(&wc))
        return false;
    wc.lpfnWndProc = OverlayProc;
    wc.lpszClassName = kOverlayClass;
    if (!RegisterClassExW(&wc))
        return false;

    if (options_.playWindow) {
        RECT client = {};
        GetClientRect(options_.playWindow, &client);
        child_ = CreateWindowExW(0, kVideoClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                 client.right, client.bottom, options_.playWindow, nullptr, instance, this);
    } else {
        // Without a play window the tool shows a window of its own, as a plain player would.
        standalone_ = true;
        RECT r = {0, 0, video_ ? displayWidth_ : 640, video_ ? displayHeight_ : 360};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        std::wstring title = L"Drumlin - " + options_.input;
        child_ = CreateWindowExW(0, kVideoClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, this);
    }
    if (!child_)
        return false;
    bool overlay = !standalone_ && VideoSurface::NeedsOverlay(child_);
    if (!surface_.Create(child_, overlay, kOverlayClass, instance, this))
        return false;
    if (!video_) {
        WaveStyle style;
        style.effect = options_.waveEffect;
        style.blockSize = options_.waveBlockSize;
        style.blockSpace = options_.waveBlockSpace;
        style.gradient = options_.waveGradient;
        std::copy(options_.waveColors, options_.waveColors + 3, style.colors);
        wave_ = std::make_unique<WaveDisplay>(style);
    }
    frames_.SetAspect(aspectNum_, aspectDen_);
    return true;
}

SIZE Player::DecodeSize()
{
    RECT client = {};
    GetClientRect(surface_.Target(), &client);
    RECT pic = FrameStore::PictureRect(client, aspectNum_, aspectDen_);
    SIZE s = {pic.right - pic.left, pic.bottom - pic.top};
    if (s.cx < 2 || s.cy < 2) {
        // Not laid out yet: decode at the picture's own size and stretch until the window has one.
        s.cx = displayWidth_;
        s.cy = displayHeight_;
    }
    s.cx = std::min<LONG>(s.cx, 4096);
    s.cy = std::min<LONG>(s.cy, 4096);
    return s;
}

std::wstring Player::InputArgs(int64_t positionUs) const
{
    std::wstring a = L"-nostdin -hide_banner -loglevel error";
    if (options_.threads > 0)
        a += L" -threads " + std::to_wstring(options_.threads);
    if (positionUs > 0)
        a += L" -ss " + Seconds(positionUs);
    if (endUs_ > 0)
        a += L" -t " + Seconds(std::max<int64_t>(endUs_ - positionUs, 1000));
    a += L" -i " + QuoteArgument(decoderInput_);
    return a;
}

void Player::StartVideo(int64_t positionUs, double base)
{
    SIZE size = DecodeSize();
    // Rows of a device-independent bitmap are whole 32-bit words: pad on the right to match.
    int rowPixels = (static_cast<int>(size.cx) + 3) & ~3;
    std::wstring chain = options_.videoFilters;
    if (!chain.empty())
        chain += L",";
    chain += L"scale=" + std::to_wstring(size.cx) + L":" + std::to_wstring(size.cy) + L":flags=bilinear,format=bgr24";
    if (rowPixels != size.cx)
        chain += L",pad=" + std::to_wstring(rowPixels) + L":" + std::to_wstring(size.cy) + L":0:0";
    std::wstring args = InputArgs(positionUs) + L" -map 0:" + std::to_wstring(video_->index) +
                        L" -an -sn -dn -vf " + QuoteArgument(chain) + L" -r " + std::to_wstring(rateNum_) + L"/" +
                        std::to_wstring(rateDen_) + L" -vsync cfr -f rawvideo -pix_fmt bgr24 pipe:1";
    videoRun_ = std::make_unique<VideoPlayer>(clock_, frames_, stats_, child_, WM_APP_STREAM_DONE);
    if (!videoRun_->Start(ffmpeg_, args, job_.Get(), size.cx, size.cy, rowPixels,
                          static_cast<double>(rateNum_) / rateDen_, base, positionUs, timeScale_, options_.frameDrop,
                          surface_.Target()))
        videoRun_.reset();
}

bool Player::StartRun(int64_t positionUs, bool paused)
{
    StopRun();
    int64_t limit = LimitUs();
    positionUs = std::max<int64_t>(0, limit > 0 ? std::min(positionUs, limit) : positionUs);
    runStartUs_ = positionUs;
    atEnd_ = false;
    clock_.Reset(0, paused);
    if (limit > 0 && positionUs >= limit) {
        // Nothing left to play: the end is reached at once.
        PostMessageW(child_, WM_APP_STREAM_DONE, 0, 0);
        return true;
    }
    if (video_)
        StartVideo(positionUs, 0.0);
    if (audio_) {
        std::wstring args = InputArgs(positionUs) + L" -map 0:" + std::to_wstring(audio_->index) + L" -vn -sn -dn";
        if (!options_.audioFilters.empty())
            args += L" -af " + QuoteArgument(options_.audioFilters);
        args += L" -ac 2 -ar " + std::to_wstring(kSampleRate) + L" -f s16le pipe:1";
        audioRun_ = std::make_unique<AudioPlayer>(clock_, levels_, child_, WM_APP_STREAM_DONE, !videoRun_);
        if (!audioRun_->Start(ffmpeg_, args, job_.Get(), paused))
            audioRun_.reset();
        else if (audioRun_->HasDevice() && options_.syncToAudio)
            clock_.SetAudio(audioRun_.get());
    }
    return videoRun_ || audioRun_;
}

void Player::StopRun()
{
    clock_.SetAudio(nullptr);
    videoRun_.reset();
    audioRun_.reset();
}

void Player::RestartVideoAtNewSize()
{
    if (!videoRun_ || videoRun_->Finished() || atEnd_)
        return;
    SIZE size = DecodeSize();
    if (size.cx == videoRun_->Width() && size.cy == videoRun_->Height())
        return;
    double now = clock_.Now();
    int64_t position = runStartUs_ + static_cast<int64_t>(now * timeScale_ * 1e6);
    videoRun_.reset();
    StartVideo(position, now);
}

void Player::OnStreamDone()
{
    if (closing_ || atEnd_)
        return;
    if ((videoRun_ && !videoRun_->Finished()) || (audioRun_ && !audioRun_->Finished()))
        return;
    if (options_.autoExit) {
        state_ = 5;
        Shutdown(kEndReached, kExitOk);
        return;
    }
    // Without -autoexit the last picture stays until the player stops the tool or seeks.
    atEnd_ = true;
    state_ = 5;
}

void Player::TogglePause()
{
    if (closing_ || atEnd_)
        return;
    paused_ = !paused_;
    clock_.SetPaused(paused_);
    if (audioRun_)
        audioRun_->SetPaused(paused_);
    state_ = paused_ ? 3 : 2;
    SendStatus(kStatusPauseChanged, paused_ ? 1 : 0);
}

void Player::Seek(int64_t targetUs)
{
    if (closing_)
        return;
    if (!StartRun(targetUs, paused_)) {
        Shutdown(kEndReached, kExitOk);
        return;
    }
    state_ = paused_ ? 3 : 2;
    SendStatus(kStatusProgress, 0);
}

int64_t Player::PositionUs()
{
    int64_t limit = LimitUs();
    if (atEnd_ && limit > 0)
        return limit;
    int64_t p = runStartUs_ + static_cast<int64_t>(clock_.Now() * timeScale_ * 1e6);
    if (limit > 0 && p > limit)
        p = limit;
    return std::max<int64_t>(p, 0);
}

LRESULT Player::OnCommand(const COPYDATASTRUCT* cds)
{
    if (cds->dwData != kCommandRecordId || cds->cbData < offsetof(RecordHeader, text) || !cds->lpData)
        return 0;
    RecordHeader cmd = {};
    memcpy(&cmd, cds->lpData, std::min<size_t>(cds->cbData, sizeof(cmd)));
    int64_t arg12 = 0, arg34 = 0;
    memcpy(&arg12, &cmd.args[0], sizeof(arg12));
    memcpy(&arg34, &cmd.args[2], sizeof(arg34));
    // Commands that restart or end the playback are carried out after the reply, so the
    // player's SendMessage never waits on ffmpeg.
    switch (cmd.code) {
    case kCommandPauseResume:
        PostMessageW(child_, WM_APP_PAUSE, 0, 0);
        return 1;
    case kCommandStop:
        PostMessageW(child_, WM_APP_STOP, 0, 0);
        return 1;
    case kCommandSeek:
        pendingSeekUs_ = arg34 == 1 ? PositionUs() + arg12 : arg12;
        PostMessageW(child_, WM_APP_SEEK, 0, 0);
        return 1;
    case kCommandMute:
        levels_.mute = cmd.args[0] != 0;
        return 1;
    case kCommandVolume:
        levels_.volume = static_cast<int>(std::clamp<int64_t>(arg12, 0, 100));
        return 1;
    default:
        return 0;
    }
}

void Player::SendStatus(int32_t code, int32_t arg, UINT timeoutMs)
{
    if (!options_.playWindow || !IsWindow(options_.playWindow))
        return;
    StatusRecord r = {};
    r.header.playWindow = reinterpret_cast<uintptr_t>(options_.playWindow);
    r.header.context = options_.context;
    r.header.toolWindow = reinterpret_cast<uintptr_t>(childGone_ ? nullptr : child_);
    r.header.value1 = static_cast<int32_t>(GetCurrentProcessId());
    r.header.value2 = static_cast<int32_t>(reinterpret_cast<uintptr_t>(childGone_ ? nullptr : surface_.Target()));
    r.header.code = code;
    r.header.args[0] = arg;
    StatusBlock& b = r.block;
    b.flags = (video_ ? kHasVideo : 0) | (audio_ ? kHasAudio : 0) |
              (audioRun_ && audioRun_->HasDevice() ? kSoundDevice : 0) | (surface_.IsOverlay() ? kOverlayDrawing : 0) |
              (atEnd_ ? kAtEnd : 0);
    b.state = state_;
    b.startInUs = runStartUs_;
    b.endInUs = endUs_;
    b.framesShown = stats_.shown;
    b.framesDropped = stats_.dropped;
    b.frameRateNum = video_ ? rateNum_ : 0;
    b.frameRateDen = video_ ? rateDen_ : 0;
    b.sampleRate = audio_ ? audio_->sampleRate : 0;
    b.channels = audio_ ? audio_->channels : 0;
    b.volume = levels_.volume;
    b.mute = levels_.mute ? 1 : 0;
    b.videoStream = video_ ? video_->index : -1;
    b.audioStream = audio_ ? audio_->index : -1;
    b.subtitleStream = subtitles_ ? subtitle_->index : -1;
    b.paused = paused_ ? 1 : 0;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
        ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
        b.cpuMs = static_cast<int32_t>((k.QuadPart + u.QuadPart) / 10000);
    }
    CopyText(b.formatName, sizeof(b.formatName), media_.formatName);
    b.durationInUs = media_.durationInUs;
    CopyText(b.videoCodec, sizeof(b.videoCodec), video_ ? video_->codec : std::string());
    CopyText(b.audioCodec, sizeof(b.audioCodec), audio_ ? audio_->codec : std::string());
    b.videoWidth = displayWidth_;
    b.videoHeight = displayHeight_;
    b.aspectNum = aspectNum_;
    b.aspectDen = aspectDen_;
    if (videoRun_) {
        b.pictureWidth = videoRun_->Width();
        b.pictureHeight = videoRun_->Height();
    }
    b.positionInUs = started_ ? PositionUs() : runStartUs_;
    COPYDATASTRUCT cds = {kStatusRecordId, sizeof(r), &r};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(options_.playWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(childGone_ ? nullptr : child_),
                        reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, timeoutMs, &result);
}

void Player::Shutdown(int32_t endReason, int exitCode)
{
    if (closing_)
        return;
    closing_ = true;
    exitCode_ = exitCode;
    if (child_ && !childGone_)
        for (UINT_PTR id : {kProgressTimer, kParentTimer, kTrackTimer, kResizeTimer, kWaveTimer})
            KillTimer(child_, id);
    int64_t last = started_ ? PositionUs() : runStartUs_;
    StopRun();
    if (endReason >= 0) {
        state_ = endReason == kEndStopped ? 4 : 5;
        runStartUs_ = last;  // the end record tells where playback stood
        started_ = false;
        SendStatus(kStatusEnded, endReason, 2000);
    }
    surface_.Destroy();
    if (child_ && !childGone_)
        DestroyWindow(child_);
    PostQuitMessage(exitCode);
}

void Player::DrawWave(HDC dc, const RECT& client)
{
    int16_t samples[WaveDisplay::kSamples];
    if (audioRun_)
        audioRun_->Snapshot(clock_.Now(), samples, WaveDisplay::kSamples);
    else
        std::fill(samples, samples + WaveDisplay::kSamples, 0);
    wave_->Draw(dc, client, samples);
}

void Player::Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    if (hwnd != surface_.Target())
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    else if (wave_)
        DrawWave(dc, client);
    else
        frames_.Paint(dc, client);
    EndPaint(hwnd, &ps);
}

bool Player::ForwardMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // Clicks on the picture belong to the play window (double-click for full screen and so on).
    if (!options_.playWindow || msg < WM_MOUSEFIRST || msg > WM_MOUSELAST)
        return false;
    if (msg == WM_MOUSEWHEEL) {
        PostMessageW(options_.playWindow, msg, wp, lp);
        return true;
    }
    POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    MapWindowPoints(hwnd, options_.playWindow, &pt, 1);
    PostMessageW(options_.playWindow, msg, wp, MAKELPARAM(pt.x, pt.y));
    return true;
}

LRESULT CALLBACK Player::VideoProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Player*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->OnVideoMessage(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Player::OverlayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Player*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->OnOverlayMessage(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Player::OnOverlayMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    default:
        if (ForwardMouse(hwnd, msg, wp, lp))
            return 0;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT Player::OnVideoMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COPYDATA:
        return OnCommand(reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW:
        if (!closing_) {
            surface_.Track();
            if (videoRun_)
                SetTimer(hwnd, kResizeTimer, 150, nullptr);  // decode again once the size settles
        }
        break;
    case WM_TIMER:
        switch (wp) {
        case kProgressTimer:
            SendStatus(kStatusProgress, 0);
            return 0;
        case kParentTimer:
            if (options_.playWindow && !IsWindow(options_.playWindow))
                Shutdown(-1, kExitOk);
            return 0;
        case kTrackTimer:
            surface_.Track();
            return 0;
        case kResizeTimer:
            KillTimer(hwnd, kResizeTimer);
            RestartVideoAtNewSize();
            return 0;
        case kWaveTimer:
            if (HWND target = surface_.Target()) {
                if (HDC dc = GetDC(target)) {
                    RECT client;
                    GetClientRect(target, &client);
                    DrawWave(dc, client);
                    ReleaseDC(target, dc);
                }
            }
            return 0;
        }
        break;
    case WM_APP_STREAM_DONE:
        OnStreamDone();
        return 0;
    case WM_APP_PAUSE:
        TogglePause();
        return 0;
    case WM_APP_STOP:
        Shutdown(kEndStopped, kExitOk);
        return 0;
    case WM_APP_SEEK:
        Seek(pendingSeekUs_);
        return 0;
    case WM_CLOSE:
        if (standalone_) {
            Shutdown(kEndStopped, kExitOk);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (standalone_ && wp == VK_SPACE)
            TogglePause();
        else if (standalone_ && wp == VK_ESCAPE)
            Shutdown(kEndStopped, kExitOk);
        break;
    case WM_DESTROY:
        // Destroyed with the play window: the player is gone, and so is whom to report to.
        childGone_ = true;
        if (!closing_)
            Shutdown(-1, kExitOk);
        return 0;
    default:
        if (!standalone_ && ForwardMouse(hwnd, msg, wp, lp))
            return 0;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int Player::Run()
{
    ffmpeg_ = tooldetail::FindBeside(L"ffmpeg.exe");
    ffprobe_ = tooldetail::FindBeside(L"ffprobe.exe");
    if (ffmpeg_.empty() || ffprobe_.empty()) {
        fwprintf(stderr, L"Drumlin: ffmpeg.exe and ffprobe.exe are needed in %ls or its ffmpeg folder\n",
                 tooldetail::ModuleFolder().c_str());
        SendStatus(kStatusEnded, kEndCannotOpen);
        return kExitUsage;
    }
    if (options_.playWindow && !IsWindow(options_.playWindow)) {
        fwprintf(stderr, L"Drumlin: the play window does not exist\n");
        return kExitCannotOpen;
    }
    if (ProbeMedia(ffprobe_, options_.input, job_.Get(), &media_) != 0 || !ChooseStreams()) {
        fwprintf(stderr, L"Drumlin: cannot open %ls\n", options_.input.c_str());
        state_ = 5;
        SendStatus(kStatusEnded, kEndCannotOpen);
        return kExitCannotOpen;
    }
    runStartUs_ = std::max<int64_t>(0, options_.startMs * 1000);
    decoderInput_ = DecoderInput(options_.input);
    if (!CreateWindows()) {
        fwprintf(stderr, L"Drumlin: cannot create the video window (error %lu)\n", GetLastError());
        state_ = 5;
        SendStatus(kStatusEnded, kEndCannotOpen);
        return kExitCannotOpen;
    }
    if (subtitle_) {
        subtitles_ = std::make_unique<SubtitleTrack>();
        if (subtitles_->Start(ffmpeg_, decoderInput_, subtitle_->index, job_.Get()))
            frames_.SetCaptions(subtitles_.get());
        else
            subtitles_.reset();
    }
    SendStatus(kStatusOpened, 1);
    if (!StartRun(runStartUs_, false)) {
        fwprintf(stderr, L"Drumlin: cannot start %ls\n", ffmpeg_.c_str());
        Shutdown(kEndCannotOpen, kExitCannotOpen);
    } else {
        started_ = true;
        state_ = 2;
        SendStatus(kStatusStarted, 0);
        SetTimer(child_, kProgressTimer, 200, nullptr);
        SetTimer(child_, kParentTimer, 250, nullptr);
        if (surface_.IsOverlay())
            SetTimer(child_, kTrackTimer, 15, nullptr);
        if (wave_)
            SetTimer(child_, kWaveTimer, 33, nullptr);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return exitCode_;
}

}  // namespace

}  // namespace drumlin

int wmain(int argc, wchar_t** argv)
{
    drumlin::PlayOptions options;
    std::wstring error;
    if (!drumlin::ParseOptions(argc - 1, argv + 1, &options, &error)) {
        fwprintf(stderr, L"Drumlin: %ls\nusage: Drumlin [options] -i <file> [-play_window <hwnd>] "
                         L"[-callback_context <n>]; -help lists the options\n", error.c_str());
        return drumlin::kExitUsage;
    }
    if (options.help) {
        fputws(drumlin::kHelpText, stdout);
        return 0;
    }
    timeBeginPeriod(1);  // frames are paced with Sleep
    int code = drumlin::Player(options).Run();
    timeEndPeriod(1);
    return code;
}
