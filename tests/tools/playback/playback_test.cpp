// Drumlin.exe run as the player runs it, under a display, with the real ffmpeg: the records it
// sends, the commands it obeys, when it ends, and what it puts on the screen.
#include "host.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace playtest;
using drumlin::StatusRecord;

namespace {

constexpr int64_t kSecond = 1000000;

class PlaybackTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
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
    Pump(600);
    int64_t p1 = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    Pump(1000);
    int64_t p2 = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    EXPECT_GT(p2 - p1, 600000) << p1 << " -> " << p2;

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
    Pump(800);
    RECT expected = {140, 130, 300, 250};
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
    Pump(500);
    RECT moved = {340, 230, 500, 350};
    EXPECT_TRUE(SameRect(moved, ScreenRect(drawing)));
    EXPECT_LT(Difference(CaptureScreen(moved), ReferenceBars(160, 120)), 20.0);
    ShowWindow(host.Handle(), SW_HIDE);
    Pump(400);
    EXPECT_FALSE(IsWindowVisible(drawing));
    ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
    Pump(400);
    EXPECT_TRUE(IsWindowVisible(drawing));

    // Pause holds the position, resume lets it go on.
    EXPECT_EQ(1, host.Command(drumlin::kCommandPauseResume));
    ASSERT_TRUE(PumpUntil([&] { return host.Find(drumlin::kStatusPauseChanged) != nullptr; }, 3000));
    EXPECT_EQ(1, host.Find(drumlin::kStatusPauseChanged)->Arg());
    Pump(300);
    int64_t held = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    Pump(1000);
    EXPECT_EQ(held, host.Last(drumlin::kStatusProgress)->Block().positionInUs);
    EXPECT_EQ(3, host.Last(drumlin::kStatusProgress)->Block().state);
    host.Command(drumlin::kCommandPauseResume);
    ASSERT_TRUE(PumpUntil([&] { return host.Count(drumlin::kStatusPauseChanged) == 2; }, 3000));
    EXPECT_EQ(0, host.Last(drumlin::kStatusPauseChanged)->Arg());
    Pump(1000);
    EXPECT_GT(host.Last(drumlin::kStatusProgress)->Block().positionInUs - held, 600000);

    // Seek to an absolute position, then back by an offset.
    host.Command(drumlin::kCommandSeek, 12 * kSecond, 0);
    Pump(700);
    int64_t at = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    EXPECT_GE(at, 12 * kSecond);
    EXPECT_LT(at, 13 * kSecond + 500000);
    host.Command(drumlin::kCommandSeek, -5 * kSecond, 1);
    Pump(700);
    at = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    EXPECT_GE(at, 7 * kSecond);
    EXPECT_LT(at, 9 * kSecond);
    EXPECT_LT(Difference(CaptureScreen(moved), ReferenceBars(160, 120)), 20.0) << "no picture after seeking";

    // Mute and volume, the volume held to 0..100.
    host.Command(drumlin::kCommandMute, 1);
    host.Command(drumlin::kCommandVolume, 40);
    Pump(400);
    EXPECT_EQ(1, host.Last(drumlin::kStatusProgress)->Block().mute);
    EXPECT_EQ(40, host.Last(drumlin::kStatusProgress)->Block().volume);
    host.Command(drumlin::kCommandVolume, 150);
    host.Command(drumlin::kCommandMute, 0);
    Pump(400);
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
    Pump(300);
    EXPECT_GT(greenPixels(CaptureScreen(area)), 320 * 240 / 200) << "no wave display";
    int64_t p1 = host.Last(drumlin::kStatusProgress)->Block().positionInUs;
    Pump(600);
    EXPECT_GT(host.Last(drumlin::kStatusProgress)->Block().positionInUs - p1, 300000);
    DWORD code = 99;
    ASSERT_TRUE(tool.WaitExit(20000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(drumlin::kStatusEnded, host.Records().back().Code());
    EXPECT_NEAR(6.0, host.Records().back().Block().positionInUs / 1e6, 0.1);
}

}  // namespace
