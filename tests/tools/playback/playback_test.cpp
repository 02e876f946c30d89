// Drumlin.exe run as the player runs it, under a display, with the real ffmpeg: the records it
// sends, the commands it obeys, when it ends, and what it puts on the screen.
#include "host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

using namespace playtest;
using drumlin::StatusRecord;

namespace {

constexpr int64_t kSecond = 1000000;

class PlaybackTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!bars_.empty())
            return;  // made once for every suite of this file
        std::wstring bin = Env(L"TEST_BIN_DIR"), ffmpegDir = Env(L"TEST_FFMPEG_DIR"), temp = Env(L"TEST_TEMP_DIR");
        ASSERT_FALSE(bin.empty() || ffmpegDir.empty() || temp.empty()) << "TEST_BIN_DIR, TEST_FFMPEG_DIR, TEST_TEMP_DIR";
        work_ = temp + L"\\playback\\";
        modules_ = work_ + L"Modules\\";
        CreateDirectoryW(work_.c_str(), nullptr);
        CreateDirectoryW(modules_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((bin + L"\\Drumlin.exe").c_str(), (modules_ + L"Drumlin.exe").c_str(), FALSE));
        for (const wchar_t* name : {L"ffmpeg.exe", L"ffprobe.exe"}) {
            if (GetFileAttributesW((modules_ + name).c_str()) == INVALID_FILE_ATTRIBUTES) {
                ASSERT_TRUE(CopyFileW((ffmpegDir + L"\\" + name).c_str(), (modules_ + name).c_str(), FALSE));
            }
        }
        ffmpeg_ = L"\"" + modules_ + L"ffmpeg.exe\" -nostdin -loglevel error -y ";

        // Colour bars that do not change, so any frame is the reference; 20 s leaves room to seek.
        bars_ = work_ + L"bars.mp4";
        ASSERT_EQ(0, RunAndWait(ffmpeg_ + L"-f lavfi -i smptebars=size=320x240:rate=25:duration=20 "
                                L"-f lavfi -i sine=frequency=440:duration=20 -c:v libx264 -preset ultrafast "
                                L"-pix_fmt yuv420p -c:a aac -shortest \"" + bars_ + L"\""));
        // A short clip with two sound tracks: stream 0 video, 1 and 2 audio.
        twoTracks_ = work_ + L"two-tracks.mkv";
        ASSERT_EQ(0, RunAndWait(ffmpeg_ + L"-f lavfi -i testsrc=size=160x120:rate=25:duration=3 "
                                L"-f lavfi -i sine=frequency=300:duration=3 -f lavfi -i sine=frequency=900:duration=3 "
                                L"-map 0 -map 1 -map 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac \"" +
                                twoTracks_ + L"\""));
        tone_ = work_ + L"tone.wav";
        ASSERT_EQ(0, RunAndWait(ffmpeg_ + L"-f lavfi -i sine=frequency=1000:duration=6 \"" + tone_ + L"\""));
        broken_ = work_ + L"broken.mp4";
        HANDLE f = CreateFileW(broken_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        std::string junk(64 * 1024, '\0');
        srand(7);
        for (char& c : junk)
            c = static_cast<char>(rand());
        DWORD written = 0;
        WriteFile(f, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr);
        CloseHandle(f);
    }

    // Starts the tool into `host` with the arguments the player writes by default; `before` goes
    // before the input, `wave` where the player writes the wave display options.
    static void Launch(ToolProcess& tool, const HostWindow& host, const std::wstring& input,
                       const std::wstring& before = L"", bool autoExit = false,
                       const std::wstring& wave = L"-wave_effect 0")
    {
        std::wstring args = std::wstring(autoExit ? L"-autoexit " : L"") +
                            L"-infbuf -framedrop -video_driver windows -audio_driver winmm " + before + L" -i \"" +
                            input + L"\" " + wave + L" -play_window " +
                            std::to_wstring(reinterpret_cast<uintptr_t>(host.Handle())) + L" -callback_context " +
                            std::to_wstring(kContext);
        ASSERT_TRUE(tool.Start(modules_ + L"Drumlin.exe", args));
    }

    // A frame of the bars decoded by ffmpeg at the given size.
    static Shot ReferenceBars(int width, int height)
    {
        std::wstring raw = work_ + L"bars-" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".raw";
        EXPECT_EQ(0, RunAndWait(ffmpeg_ + L"-ss 1 -i \"" + bars_ + L"\" -frames:v 1 -vf scale=" +
                                std::to_wstring(width) + L":" + std::to_wstring(height) +
                                L" -f rawvideo -pix_fmt bgr24 \"" + raw + L"\""));
        Shot s;
        s.width = width;
        s.height = height;
        EXPECT_TRUE(ReadFileBytes(raw, &s.bgr));
        EXPECT_EQ(static_cast<size_t>(width) * height * 3, s.bgr.size());
        return s;
    }

    // Mean difference per channel over a grid of points away from the edges of the bars.
    static double Difference(const Shot& a, const Shot& b)
    {
        if (a.width != b.width || a.height != b.height || a.bgr.size() != b.bgr.size() || a.bgr.empty())
            return 255;
        double sum = 0;
        int n = 0;
        for (int gy = 0; gy < 12; ++gy)
            for (int gx = 0; gx < 28; ++gx) {
                int x = (2 * gx + 1) * a.width / 56, y = (2 * gy + 1) * a.height / 24;
                for (int c = 0; c < 3; ++c) {
                    sum += std::abs(a.At(x, y)[c] - b.At(x, y)[c]);
                    ++n;
                }
            }
        return sum / n;
    }

    static RECT ScreenRect(HWND hwnd)
    {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return r;
    }

    static bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

    static constexpr int64_t kContext = 0x12345678;
    static std::wstring work_, modules_, ffmpeg_, bars_, twoTracks_, tone_, broken_;
};

std::wstring PlaybackTool::work_, PlaybackTool::modules_, PlaybackTool::ffmpeg_, PlaybackTool::bars_,
    PlaybackTool::twoTracks_, PlaybackTool::tone_, PlaybackTool::broken_;

// One playback steered through its whole life, as the player steers it.
TEST_F(PlaybackTool, ReportsShowsTheClipFollowsTheWindowAndObeysCommands)
{
    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    Launch(tool, host, bars_);
    ASSERT_TRUE(PumpUntil([&] { return host.Count(drumlin::kStatusProgress) >= 3; }, 20000))
        << host.Records().size() << " records";

    // Opened, started, then progress, in that order, each echoing the window and the context.
    const auto& records = host.Records();
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(drumlin::kStatusOpened, records[0].Code());
    EXPECT_EQ(drumlin::kStatusStarted, records[1].Code());
    for (size_t i = 2; i < records.size(); ++i)
        EXPECT_EQ(drumlin::kStatusProgress, records[i].Code()) << i;
    for (const Received& r : records) {
        EXPECT_EQ(kContext, r.record.header.context);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(host.Handle()), r.record.header.playWindow);
    }
    const drumlin::StatusBlock& opened = records[0].Block();
    EXPECT_EQ(1, records[0].Arg());
    EXPECT_EQ(320, opened.videoWidth);
    EXPECT_EQ(240, opened.videoHeight);
    EXPECT_EQ(4, opened.aspectNum);
    EXPECT_EQ(3, opened.aspectDen);
    EXPECT_NEAR(20.0, opened.durationInUs / 1e6, 0.1);

    // The tool's window is a child of the play window, filling it, and takes commands.
    HWND toolWindow = host.ToolWindow();
    HWND drawing = host.DrawingWindow();
    ASSERT_TRUE(IsWindow(toolWindow));
    ASSERT_TRUE(IsWindow(drawing));
    EXPECT_EQ(host.Handle(), GetParent(toolWindow));
    RECT client;
    GetClientRect(toolWindow, &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(240, client.bottom);
    EXPECT_EQ(static_cast<int32_t>(tool.Pid()), records[1].record.header.value1);

    // Progress moves on.
    // Each step waits for what it checks with a generous deadline: on a loaded machine the tool
    // can take much longer than its own pace.
    auto position = [&] { return host.Last(drumlin::kStatusProgress)->Block().positionInUs; };
    Pump(600);
    int64_t p1 = position();
    EXPECT_TRUE(PumpUntil([&] { return position() - p1 > 600000; }, 10000)) << p1 << " -> " << position();

    // The bars are on the screen where the tool window is.
    Shot reference = ReferenceBars(320, 240);
    EXPECT_TRUE(SameRect(ScreenRect(toolWindow), ScreenRect(drawing)));
    Shot shot = CaptureScreen(ScreenRect(toolWindow));
    double diff = Difference(shot, reference);
    EXPECT_LT(diff, 20.0) << "the screen does not show the clip";

    // The player moves and sizes the tool window: the picture follows, at the new size.
    RECT outside = {100 + 330, 100 + 50, 100 + 330 + 20, 100 + 50 + 20};  // right of the play window
    Shot before = CaptureScreen(outside);
    SetWindowPos(toolWindow, nullptr, 40, 30, 160, 120, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT expected = {140, 130, 300, 250};
    PumpUntil([&] {
        return SameRect(expected, ScreenRect(drawing)) && host.Last(drumlin::kStatusProgress)->Block().pictureWidth == 160 &&
               Difference(CaptureScreen(expected), ReferenceBars(160, 120)) < 20.0;
    }, 10000);
    EXPECT_TRUE(SameRect(expected, ScreenRect(drawing)));
    EXPECT_LT(Difference(CaptureScreen(expected), ReferenceBars(160, 120)), 20.0);
    EXPECT_EQ(160, host.Last(drumlin::kStatusProgress)->Block().pictureWidth);

    // Partly outside the play window: only the part inside shows.
    SetWindowPos(toolWindow, nullptr, 250, 30, 160, 120, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(600);
    Shot after = CaptureScreen(outside);
    EXPECT_EQ(before.bgr, after.bgr) << "the picture shows outside the play window";
    SetWindowPos(toolWindow, nullptr, 40, 30, 160, 120, SWP_NOZORDER | SWP_NOACTIVATE);

    // The play window itself moves, is hidden and shown again.
    SetWindowPos(host.Handle(), nullptr, 300, 200, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT moved = {340, 230, 500, 350};
    PumpUntil([&] {
        return SameRect(moved, ScreenRect(drawing)) && Difference(CaptureScreen(moved), ReferenceBars(160, 120)) < 20.0;
    }, 10000);
    EXPECT_TRUE(SameRect(moved, ScreenRect(drawing)));
    EXPECT_LT(Difference(CaptureScreen(moved), ReferenceBars(160, 120)), 20.0);
    ShowWindow(host.Handle(), SW_HIDE);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(drawing); }, 5000));
    ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(drawing) != FALSE; }, 5000));

    // Pause holds the position, resume lets it go on.
    EXPECT_EQ(1, host.Command(drumlin::kCommandPauseResume));
    ASSERT_TRUE(PumpUntil([&] { return host.Find(drumlin::kStatusPauseChanged) != nullptr; }, 3000));
    EXPECT_EQ(1, host.Find(drumlin::kStatusPauseChanged)->Arg());
    Pump(300);
    int64_t held = position();
    Pump(1000);
    EXPECT_EQ(held, position());
    EXPECT_EQ(3, host.Last(drumlin::kStatusProgress)->Block().state);
    host.Command(drumlin::kCommandPauseResume);
    ASSERT_TRUE(PumpUntil([&] { return host.Count(drumlin::kStatusPauseChanged) == 2; }, 3000));
    EXPECT_EQ(0, host.Last(drumlin::kStatusPauseChanged)->Arg());
    EXPECT_TRUE(PumpUntil([&] { return position() - held > 600000; }, 10000)) << held << " -> " << position();

    // Seek to an absolute position, then back by an offset. The first position reported past the
    // seek tells where it landed (on a busy machine this thread may read the records only after
    // several more have come, so the last one says how long the clip has played since).
    auto landed = [&](size_t from, const std::function<bool(int64_t)>& past) -> int64_t {
        const std::vector<Received>& records = host.Records();
        for (size_t i = from; i < records.size(); ++i)
            if (records[i].Code() == drumlin::kStatusProgress && past(records[i].Block().positionInUs))
                return records[i].Block().positionInUs;
        return -1;
    };
    size_t from = host.Records().size();
    host.Command(drumlin::kCommandSeek, 12 * kSecond, 0);
    PumpUntil([&] { return position() >= 12 * kSecond; }, 10000);
    int64_t at = landed(from, [](int64_t us) { return us >= 12 * kSecond; });
    EXPECT_GE(at, 12 * kSecond);
    EXPECT_LT(at, 13 * kSecond + 500000);
    // Back from where it stood when told: the last position reported then.
    const int64_t told = position();
    const std::function<bool(int64_t)> back = [&](int64_t us) { return us < told; };
    from = host.Records().size();
    host.Command(drumlin::kCommandSeek, -5 * kSecond, 1);
    PumpUntil([&] { return landed(from, back) >= 0; }, 10000);
    at = landed(from, back);
    EXPECT_GE(at, told - 5 * kSecond);
    EXPECT_LT(at, told - 5 * kSecond + 1500000);
    PumpUntil([&] { return Difference(CaptureScreen(moved), ReferenceBars(160, 120)) < 20.0; }, 10000);
    EXPECT_LT(Difference(CaptureScreen(moved), ReferenceBars(160, 120)), 20.0) << "no picture after seeking";

    // Mute and volume, the volume held to 0..100.
    host.Command(drumlin::kCommandMute, 1);
    host.Command(drumlin::kCommandVolume, 40);
    PumpUntil([&] {
        const drumlin::StatusBlock& b = host.Last(drumlin::kStatusProgress)->Block();
        return b.mute == 1 && b.volume == 40;
    }, 10000);
    EXPECT_EQ(1, host.Last(drumlin::kStatusProgress)->Block().mute);
    EXPECT_EQ(40, host.Last(drumlin::kStatusProgress)->Block().volume);
    host.Command(drumlin::kCommandVolume, 150);
    host.Command(drumlin::kCommandMute, 0);
    PumpUntil([&] {
        const drumlin::StatusBlock& b = host.Last(drumlin::kStatusProgress)->Block();
        return b.mute == 0 && b.volume == 100;
    }, 10000);
    EXPECT_EQ(0, host.Last(drumlin::kStatusProgress)->Block().mute);
    EXPECT_EQ(100, host.Last(drumlin::kStatusProgress)->Block().volume);

    // Stop ends the process, with an end record saying so.
    EXPECT_EQ(1, host.Command(drumlin::kCommandStop));
    DWORD code = 99;
    ASSERT_TRUE(tool.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    ASSERT_EQ(1u, host.Count(drumlin::kStatusEnded));
    EXPECT_EQ(drumlin::kStatusEnded, host.Records().back().Code());
    EXPECT_EQ(drumlin::kEndStopped, host.Records().back().Arg());
    EXPECT_EQ(4, host.Records().back().Block().state);
    EXPECT_FALSE(IsWindow(toolWindow));
    EXPECT_FALSE(IsWindow(drawing));
}

TEST_F(PlaybackTool, EndsWhenThePlayWindowIsDestroyed)
{
    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    Launch(tool, host, bars_);
    ASSERT_TRUE(PumpUntil([&] { return host.Find(drumlin::kStatusStarted) != nullptr; }, 20000));
    HWND drawing = host.DrawingWindow();
    host.Destroy();
    DWORD code = 99;
    EXPECT_TRUE(tool.WaitExit(5000, &code)) << "the tool outlives its play window";
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(IsWindow(drawing));
}

TEST_F(PlaybackTool, FileThatCannotBeOpenedGivesAnEndRecordAndAFailure)
{
    for (const std::wstring& input : {broken_, work_ + L"no such file.mp4"}) {
        HostWindow host(100, 100, 320, 240);
        ToolProcess tool;
        Launch(tool, host, input);
        DWORD code = 0;
        ASSERT_TRUE(tool.WaitExit(15000, &code)) << "hangs on a file it cannot open";
        EXPECT_NE(0u, code);
        ASSERT_EQ(1u, host.Records().size());
        EXPECT_EQ(drumlin::kStatusEnded, host.Records()[0].Code());
        EXPECT_EQ(drumlin::kEndCannotOpen, host.Records()[0].Arg());
        EXPECT_EQ(kContext, host.Records()[0].record.header.context);
    }
}

// -autoexit, a start position and chosen streams (numbered by index in the file plus 1).
TEST_F(PlaybackTool, AutoExitPlaysTheChosenStreamsFromTheStartToTheEnd)
{
    HostWindow host(100, 100, 160, 120);
    ToolProcess tool;
    Launch(tool, host, twoTracks_, L"-ss 0:00:01.000 -vst 1 -ast 3", true);
    DWORD code = 99;
    ASSERT_TRUE(tool.WaitExit(15000, &code)) << "-autoexit did not end at the end";
    EXPECT_EQ(0u, code);
    const Received* opened = host.Find(drumlin::kStatusOpened);
    ASSERT_NE(nullptr, opened);
    EXPECT_EQ(0, opened->Block().videoStream);
    EXPECT_EQ(2, opened->Block().audioStream);
    EXPECT_NEAR(3.0, opened->Block().durationInUs / 1e6, 0.1);
    ASSERT_GE(host.Count(drumlin::kStatusProgress), 5u);
    EXPECT_GE(host.Find(drumlin::kStatusProgress)->Block().positionInUs, 1 * kSecond);
    ASSERT_NE(nullptr, host.Last(drumlin::kStatusEnded));
    EXPECT_EQ(host.Last(drumlin::kStatusEnded), &host.Records().back());
    const drumlin::StatusBlock& end = host.Records().back().Block();
    EXPECT_EQ(drumlin::kEndReached, host.Records().back().Arg());
    EXPECT_EQ(5, end.state);
    EXPECT_NEAR(3.0, end.positionInUs / 1e6, 0.1);
    // Two seconds at 25 frames per second, nearly all of them shown.
    EXPECT_GE(end.framesShown, 45);
    EXPECT_LE(end.framesShown + end.framesDropped, 52);
}

// A streaming output, a playlist whose segments stand beside it (as the converter writes them), plays
// from its own folder whichever folder the tool was started in, given by the full path a player
// hands over.
TEST_F(PlaybackTool, APlaylistPlaysWithTheSegmentsBesideIt)
{
    const std::wstring folder = work_ + L"streams";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring source = L"-f lavfi -i testsrc=size=160x120:rate=25:duration=3 -c:v libx264 -preset ultrafast "
                                L"-pix_fmt yuv420p ";
    ASSERT_EQ(0, RunAndWait(ffmpeg_ + source + L"-f hls -hls_time 1 -hls_list_size 0 clip.m3u8", 120000,
                            folder.c_str()));
    ASSERT_EQ(0, RunAndWait(ffmpeg_ + source + L"-f dash clip.mpd", 120000, folder.c_str()));
    for (const wchar_t* name : {L"clip.m3u8", L"clip.mpd"}) {
        HostWindow host(100, 100, 160, 120);
        ToolProcess tool;
        Launch(tool, host, folder + L"\\" + name, L"", true);
        DWORD code = 99;
        ASSERT_TRUE(tool.WaitExit(20000, &code)) << "-autoexit did not end at the end";
        EXPECT_EQ(0u, code) << name;
        ASSERT_FALSE(host.Records().empty()) << name;
        EXPECT_EQ(drumlin::kStatusEnded, host.Records().back().Code()) << name;
        EXPECT_EQ(drumlin::kEndReached, host.Records().back().Arg()) << name;
        const drumlin::StatusBlock& end = host.Records().back().Block();
        EXPECT_NEAR(3.0, end.positionInUs / 1e6, 0.2) << name;
        EXPECT_GE(end.framesShown, 60) << name;
    }
}

TEST_F(PlaybackTool, SoundWithoutPictureShowsTheWaveDisplay)
{
    HostWindow host(100, 100, 320, 240);
    RECT area = {100, 100, 420, 340};
    auto greenPixels = [](const Shot& s) {
        int n = 0;
        for (size_t i = 0; i + 2 < s.bgr.size(); i += 3)
            n += s.bgr[i] < 60 && s.bgr[i + 1] > 200 && s.bgr[i + 2] < 60;
        return n;
    };
    Pump(200);
    ASSERT_EQ(0, greenPixels(CaptureScreen(area)));
    ToolProcess tool;
    // What the player writes, with green for the bars.
    Launch(tool, host, tone_, L"", true,
           L"-wave_effect 20 -wave_block_size 1 -wave_block_space 1 -wave_color_1 65280 -wave_color_2 65280 "
           L"-wave_color_3 65280");
    ASSERT_TRUE(PumpUntil([&] { return host.Count(drumlin::kStatusProgress) >= 3; }, 20000));
    const Received* opened = host.Find(drumlin::kStatusOpened);
    ASSERT_NE(nullptr, opened);
    EXPECT_EQ(0, opened->Block().videoWidth);
    EXPECT_EQ(0, opened->Block().videoHeight);
    EXPECT_NEAR(6.0, opened->Block().durationInUs / 1e6, 0.1);
    PumpUntil([&] { return greenPixels(CaptureScreen(area)) > 320 * 240 / 200; }, 10000);
    EXPECT_GT(greenPixels(CaptureScreen(area)), 320 * 240 / 200) << "no wave display";
    auto position = [&] { return host.Last(drumlin::kStatusProgress)->Block().positionInUs; };
    int64_t p1 = position();
    EXPECT_TRUE(PumpUntil([&] { return position() - p1 > 300000; }, 10000)) << p1 << " -> " << position();
    DWORD code = 99;
    ASSERT_TRUE(tool.WaitExit(20000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(drumlin::kStatusEnded, host.Records().back().Code());
    EXPECT_NEAR(6.0, host.Records().back().Block().positionInUs / 1e6, 0.1);
}

// What every option does is in the tool's own help, the ignored ones said to be ignored; -sync
// takes only the clocks the tool has.
TEST_F(PlaybackTool, HelpTellsWhatEachOptionDoesAndSyncPicksTheClock)
{
    std::string help;
    EXPECT_EQ(0, RunAndCapture(L"\"" + modules_ + L"Drumlin.exe\" -help", &help));
    const size_t ignored = help.find("Accepted and ignored");
    ASSERT_NE(std::string::npos, ignored) << help;
    for (const char* option : {"-sst <n>", "-sn", "-sync audio|video|ext", "-vf <filters>", "-autoexit"})
        EXPECT_LT(help.find(option), ignored) << option;
    for (const char* option : {"-seek2any", "-infbuf", "-video_driver"}) {
        EXPECT_NE(std::string::npos, help.find(option, ignored)) << option;
        EXPECT_EQ(help.find(option), help.find(option, ignored)) << option << " is also listed as doing something";
    }

    std::string refused;
    EXPECT_EQ(2, RunAndCapture(L"\"" + modules_ + L"Drumlin.exe\" -sync sideways -i \"" + bars_ + L"\"", &refused));
    EXPECT_NE(std::string::npos, refused.find("-sync")) << refused;

    // With the system clock leading, the picture moves on in real time all the same.
    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    Launch(tool, host, bars_, L"-sync ext -seek2any 1");
    ASSERT_TRUE(PumpUntil([&] { return host.Count(drumlin::kStatusProgress) >= 3; }, 20000));
    const Received first = *host.Last(drumlin::kStatusProgress);
    PumpUntil([&] { return host.Last(drumlin::kStatusProgress)->Block().positionInUs - first.Block().positionInUs > 1500000; },
              10000);
    const Received second = *host.Last(drumlin::kStatusProgress);
    const double played = (second.Block().positionInUs - first.Block().positionInUs) / 1e6;
    EXPECT_GT(played, 1.0);
    EXPECT_NEAR((second.tick - first.tick) / 1000.0, played, 0.5);
    EXPECT_LT(Difference(CaptureScreen(ScreenRect(host.ToolWindow())), ReferenceBars(320, 240)), 20.0);
    host.Command(drumlin::kCommandStop);
    EXPECT_TRUE(tool.WaitExit(5000));
}

// ---------------------------------------------------------------------------------------------

// Subtitle tracks of every text kind, drawn over the picture; compared with what ffmpeg burns in.
class PlaybackSubtitles : public PlaybackTool {
protected:
    static void SetUpTestSuite()
    {
        PlaybackTool::SetUpTestSuite();
        // Cue 1 at the bottom, cue 2 a longer line (at the top in the ASS track).
        ASSERT_TRUE(WriteText(work_ + L"subs.srt",
                              "1\r\n00:00:00,300 --> 00:00:05,500\r\nHello subtitle caf\xC3\xA9\r\n\r\n"
                              "2\r\n00:00:06,000 --> 00:00:11,500\r\nA second and much longer line of text\r\n"));
        ASSERT_TRUE(WriteText(work_ + L"subs.ass",
                              "[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 384\r\nPlayResY: 288\r\n\r\n"
                              "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                              "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
                              "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
                              "Style: Default,Tahoma,20,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,100,0,"
                              "0,1,1,0,2,10,10,10,1\r\n\r\n"
                              "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
                              "Text\r\n"
                              "Dialogue: 0,0:00:00.30,0:00:05.50,Default,,0,0,0,,{\\i1}Styled{\\i0} words\r\n"
                              "Dialogue: 0,0:00:06.00,0:00:11.50,Default,,0,0,0,,{\\an8}Up at the top\\Nof the picture\r\n"));
        // Streams of subs.mkv: 0 video, 1 audio, 2 SubRip, 3 ASS; subs.mp4 has 3GPP timed text as 2.
        const std::wstring bars = L"-f lavfi -i smptebars=size=320x240:rate=25:duration=12 "
                                  L"-f lavfi -i sine=frequency=440:duration=12 ";
        mkv_ = work_ + L"subs.mkv";
        ASSERT_EQ(0, RunAndWait(ffmpeg_ + bars + L"-i \"" + work_ + L"subs.srt\" -i \"" + work_ + L"subs.ass\" "
                                L"-map 0 -map 1 -map 2 -map 3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p "
                                L"-c:a aac -c:s:0 srt -c:s:1 ass \"" + mkv_ + L"\""));
        font_ = RendererFont();
        ASSERT_FALSE(font_.empty()) << "no font for ffmpeg's subtitle renderer";
        mp4_ = work_ + L"subs.mp4";
        ASSERT_EQ(0, RunAndWait(ffmpeg_ + bars + L"-i \"" + work_ + L"subs.srt\" -map 0 -map 1 -map 2 -c:v libx264 "
                                L"-preset ultrafast -pix_fmt yuv420p -c:a aac -c:s mov_text \"" + mp4_ + L"\""));
    }

    // A font of the machine that ffmpeg's subtitle renderer finds under Wine too (Wine's own
    // fonts it does not find): one of those that the system's font configuration brings.
    static std::wstring RendererFont()
    {
        HDC dc = CreateCompatibleDC(nullptr);
        std::wstring found;
        for (const wchar_t* face : {L"DejaVu Sans", L"Bitstream Vera Sans", L"Liberation Sans", L"Arimo"}) {
            HFONT font = CreateFontW(20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
            HGDIOBJ old = SelectObject(dc, font);
            wchar_t got[LF_FACESIZE] = {};
            GetTextFaceW(dc, LF_FACESIZE, got);
            SelectObject(dc, old);
            DeleteObject(font);
            if (_wcsicmp(got, face) == 0) {
                found = face;
                break;
            }
        }
        DeleteDC(dc);
        return found;
    }

    static bool WriteText(const std::wstring& path, const std::string& text)
    {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
        CloseHandle(f);
        return ok;
    }

    // The frame of `clip` at `seconds` at 320 x 240 as ffmpeg decodes it, with subtitle track
    // `track` (counted among the subtitle tracks) burnt in, or without any for -1, in a font that
    // the renderer finds (the tracks' own are not there under Wine).
    static Shot Frame(const std::wstring& clip, double seconds, int track)
    {
        std::wstring name = clip.substr(clip.rfind(L'\\') + 1);
        std::wstring filters = L"scale=320:240";
        if (track >= 0)
            filters += L",subtitles=" + name + L":si=" + std::to_wstring(track) + L":force_style='FontName=" + font_ +
                       L"'";
        std::wstring raw = work_ + L"frame.raw";
        // Seeking after the input keeps the file's times, which the subtitles go by.
        EXPECT_EQ(0, RunAndWait(ffmpeg_ + L"-i \"" + name + L"\" -ss " + std::to_wstring(seconds) +
                                    L" -frames:v 1 -vf \"" + filters + L"\" -f rawvideo -pix_fmt bgr24 \"" + raw + L"\"",
                                120000, work_.c_str()));
        Shot s;
        s.width = 320;
        s.height = 240;
        EXPECT_TRUE(ReadFileBytes(raw, &s.bgr));
        EXPECT_EQ(320u * 240u * 3u, s.bgr.size());
        return s;
    }

    // Where text stands in a picture: the pixels that differ much from the picture without it.
    struct Marks {
        int count = 0;
        RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        int Width() const { return box.right - box.left + 1; }
        int Height() const { return box.bottom - box.top + 1; }
        double CentreX() const { return (box.left + box.right) / 2.0; }
        double CentreY() const { return (box.top + box.bottom) / 2.0; }
    };
    static Marks TextMarks(const Shot& picture, const Shot& plain)
    {
        Marks m;
        if (picture.bgr.size() != plain.bgr.size())
            return m;
        for (int y = 0; y < plain.height; ++y)
            for (int x = 0; x < plain.width; ++x) {
                const uint8_t* a = picture.At(x, y);
                const uint8_t* b = plain.At(x, y);
                if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) < 150)
                    continue;
                ++m.count;
                m.box.left = std::min<LONG>(m.box.left, x);
                m.box.top = std::min<LONG>(m.box.top, y);
                m.box.right = std::max<LONG>(m.box.right, x);
                m.box.bottom = std::max<LONG>(m.box.bottom, y);
            }
        return m;
    }

    // The screen shows the text where ffmpeg puts it, about as large, and the picture around it
    // unchanged. The fonts differ (ffmpeg's subtitle renderer against the tool's own), so the
    // comparison is loose.
    static bool LooksLikeSameText(const Shot& screen, const Shot& burnt, const Shot& plain)
    {
        Marks seen = TextMarks(screen, plain), wanted = TextMarks(burnt, plain);
        return wanted.count > 50 && seen.count > wanted.count / 4 && seen.count < wanted.count * 4 &&
               std::abs(wanted.CentreX() - seen.CentreX()) <= 0.08 * plain.width &&
               std::abs(wanted.CentreY() - seen.CentreY()) <= 0.08 * plain.height &&
               std::abs(1.0 - static_cast<double>(seen.Width()) / wanted.Width()) <= 0.4 &&
               std::abs(1.0 - static_cast<double>(seen.Height()) / wanted.Height()) <= 0.5 &&
               Difference(screen, plain) < 20.0;
    }
    static void ExpectSameText(const Shot& screen, const Shot& burnt, const Shot& plain)
    {
        Marks seen = TextMarks(screen, plain), wanted = TextMarks(burnt, plain);
        ASSERT_GT(wanted.count, 50) << "ffmpeg drew no subtitle to compare with";
        EXPECT_TRUE(LooksLikeSameText(screen, burnt, plain))
            << "text marks on the screen: " << seen.count << " in " << seen.Width() << "x" << seen.Height() << " at ("
            << seen.CentreX() << ", " << seen.CentreY() << "); ffmpeg's: " << wanted.count << " in " << wanted.Width()
            << "x" << wanted.Height() << " at (" << wanted.CentreX() << ", " << wanted.CentreY()
            << "); picture difference " << Difference(screen, plain);
    }

    // Waits until the tool shows the text ffmpeg burnt into 'burnt' (or the deadline passes) and
    // returns the screen as it was then. The tool reports a new position before it paints the
    // picture and cue of that position, so on a loaded machine the screen can still show the cue
    // of before for a while; reading it once would compare the wrong cue.
    Shot ScreenWithText(HWND toolWindow, const Shot& plain, const Shot& burnt)
    {
        Shot shot;
        PumpUntil([&] {
            shot = CaptureScreen(ScreenRect(toolWindow));
            return LooksLikeSameText(shot, burnt, plain);
        }, 10000);
        return shot;
    }

    // Pauses the playback and waits until the tool says so.
    static void Pause(HostWindow& host)
    {
        ASSERT_EQ(1, host.Command(drumlin::kCommandPauseResume));
        ASSERT_TRUE(PumpUntil([&] { return host.Last(drumlin::kStatusPauseChanged) &&
                                           host.Last(drumlin::kStatusPauseChanged)->Arg() == 1; }, 5000));
    }

    // Starts the tool on `clip` and pauses it at once, so that the screen holds still.
    static void StartPaused(ToolProcess& tool, HostWindow& host, const std::wstring& clip, const std::wstring& args)
    {
        Launch(tool, host, clip, args);
        ASSERT_TRUE(PumpUntil([&] { return host.Find(drumlin::kStatusStarted) != nullptr; }, 20000));
        Pause(host);
    }

    // Seeks and waits until the tool reports the new position.
    static void SeekTo(HostWindow& host, int64_t us)
    {
        host.Command(drumlin::kCommandSeek, us, 0);
        ASSERT_TRUE(PumpUntil([&] { const Received* p = host.Last(drumlin::kStatusProgress);
                                    return p && p->Block().positionInUs >= us; }, 10000));
    }

    static void Stop(HostWindow& host, ToolProcess& tool)
    {
        host.Command(drumlin::kCommandStop);
        EXPECT_TRUE(tool.WaitExit(5000));
    }

    static std::wstring mkv_, mp4_, font_;
};

std::wstring PlaybackSubtitles::mkv_, PlaybackSubtitles::mp4_, PlaybackSubtitles::font_;

// A SubRip track: its text over the picture, kept in step when paused, sought and restarted.
TEST_F(PlaybackSubtitles, ChosenTextTrackIsDrawnAndKeepsStepWithThePicture)
{
    const Shot plain = Frame(mkv_, 2, -1);
    const Shot first = Frame(mkv_, 2, 0), second = Frame(mkv_, 8, 0);
    ASSERT_TRUE(SaveShot(first, L"subtitle-srt-ffmpeg-cue1"));
    ASSERT_TRUE(SaveShot(second, L"subtitle-srt-ffmpeg-cue2"));

    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    Launch(tool, host, mkv_, L"-sst 3");
    ASSERT_TRUE(PumpUntil([&] { const Received* p = host.Last(drumlin::kStatusProgress);
                                return p && p->Block().positionInUs >= kSecond; }, 20000));
    EXPECT_EQ(2, host.Find(drumlin::kStatusOpened)->Block().subtitleStream);
    HWND toolWindow = host.ToolWindow();

    // Playing, then paused: the first cue either way.
    Shot shot = ScreenWithText(toolWindow, plain, first);
    SaveShot(shot, L"subtitle-srt-cue1-playing");
    ExpectSameText(shot, first, plain);
    Pause(host);
    shot = ScreenWithText(toolWindow, plain, first);
    ExpectSameText(shot, first, plain);

    // Sought while paused, into the second cue: its text comes with the new picture.
    SeekTo(host, 8 * kSecond);
    shot = ScreenWithText(toolWindow, plain, second);
    SaveShot(shot, L"subtitle-srt-cue2-sought");
    ExpectSameText(shot, second, plain);

    // Past the last cue: no text.
    SeekTo(host, 11900000);
    Pump(800);
    EXPECT_LT(TextMarks(CaptureScreen(ScreenRect(toolWindow)), plain).count, 20) << "a cue shows after its end";
    Stop(host, tool);

    // The player restarts the tool where it stood: the text is there from the first picture.
    HostWindow again(100, 100, 320, 240);
    ToolProcess restarted;
    StartPaused(restarted, again, mkv_, L"-ss 0:00:08.000 -sst 3");
    ExpectSameText(ScreenWithText(again.ToolWindow(), plain, second), second, plain);
    Stop(again, restarted);
}

// An ASS track keeps its own placement (the second cue asks for the top of the picture), and is
// shown without a choice when the file marks it as the default.
TEST_F(PlaybackSubtitles, AssTrackKeepsItsPlacement)
{
    const Shot plain = Frame(mkv_, 8, -1), burnt = Frame(mkv_, 8, 1);
    ASSERT_TRUE(SaveShot(burnt, L"subtitle-ass-ffmpeg"));
    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    StartPaused(tool, host, mkv_, L"-ss 0:00:07.000 -sst 4");
    EXPECT_EQ(3, host.Find(drumlin::kStatusOpened)->Block().subtitleStream);
    Shot shot = ScreenWithText(host.ToolWindow(), plain, burnt);
    SaveShot(shot, L"subtitle-ass-top");
    ExpectSameText(shot, burnt, plain);
    EXPECT_LT(TextMarks(shot, plain).CentreY(), 240 / 3) << "not at the top";
    Stop(host, tool);

    // Without a choice, the track the file marks as default is the one shown.
    const std::wstring marked = work_ + L"subs-ass-default.mkv";
    ASSERT_EQ(0, RunAndWait(ffmpeg_ + L"-i \"" + mkv_ + L"\" -map 0 -c copy -disposition:s:0 0 -disposition:s:1 default \"" +
                            marked + L"\""));
    HostWindow other(100, 100, 320, 240);
    ToolProcess byDefault;
    StartPaused(byDefault, other, marked, L"-ss 0:00:07.000");
    EXPECT_EQ(3, other.Find(drumlin::kStatusOpened)->Block().subtitleStream);
    Stop(other, byDefault);
}

// 3GPP timed text in an MP4, shown without a choice; -sn shows none.
TEST_F(PlaybackSubtitles, TimedTextShowsByDefaultAndSnShowsNone)
{
    const Shot plain = Frame(mp4_, 2, -1), burnt = Frame(mp4_, 2, 0);
    {
        HostWindow host(100, 100, 320, 240);
        ToolProcess tool;
        StartPaused(tool, host, mp4_, L"-ss 0:00:01.500");
        EXPECT_EQ(2, host.Find(drumlin::kStatusOpened)->Block().subtitleStream);
        Shot shot = ScreenWithText(host.ToolWindow(), plain, burnt);
        SaveShot(shot, L"subtitle-mov_text-default");
        ExpectSameText(shot, burnt, plain);
        Stop(host, tool);
    }
    HostWindow host(100, 100, 320, 240);
    ToolProcess tool;
    StartPaused(tool, host, mp4_, L"-ss 0:00:01.500 -sn");
    EXPECT_EQ(-1, host.Find(drumlin::kStatusOpened)->Block().subtitleStream);
    HWND toolWindow = host.ToolWindow();
    Shot shot;
    ASSERT_TRUE(PumpUntil([&] { shot = CaptureScreen(ScreenRect(toolWindow));
                                return Difference(shot, plain) < 20.0; }, 10000)) << "no picture";
    Pump(800);
    shot = CaptureScreen(ScreenRect(toolWindow));
    SaveShot(shot, L"subtitle-sn-none");
    EXPECT_LT(TextMarks(shot, plain).count, 20) << "-sn still shows text";
    Stop(host, tool);
}

}  // namespace
