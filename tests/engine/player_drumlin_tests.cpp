// The playback driver with the real playback tool and the ffmpeg build beside it, playing a clip
// made at test time into a window of the test: the tool's reports, pause, seek, stop and the end
// of the tool when its play window goes away.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/PlayerTool.h"
#include "engine/ToolProcess.h"
#include "framework/Handles.h"
#include "player_support.h"

using namespace enginetest;
using namespace playertest;

namespace {

const __int64 kSecond = 1000000;

DWORD ToolProcessId(HWND toolWindow)
{
    DWORD pid = 0;
    if (toolWindow)
        GetWindowThreadProcessId(toolWindow, &pid);
    return pid;
}

class PlayerDrumlin : public testing::Test {
protected:
    // A Modules folder like the program's, with the clip beside it; made once for the suite.
    static void SetUpTestSuite()
    {
        CString bin = GetEnv(L"TEST_BIN_DIR"), ffmpeg = GetEnv(L"TEST_FFMPEG_DIR");
        ASSERT_FALSE(bin.IsEmpty() || ffmpeg.IsEmpty());
        s_folder = MakeAwkwardFolder(L"drumlin");
        ASSERT_FALSE(s_folder.IsEmpty());
        CString modules = s_folder + L"\\Modules";
        ASSERT_TRUE(CreateDirectoryW(modules, nullptr));
        ASSERT_TRUE(CreateDirectoryW(modules + L"\\ffmpeg", nullptr));
        s_tool = modules + L"\\Drumlin.exe";
        ASSERT_TRUE(CopyFileW(bin + L"\\Drumlin.exe", s_tool, FALSE)) << "Drumlin.exe is built beside the tests";
        ASSERT_TRUE(CopyFileW(ffmpeg + L"\\ffmpeg.exe", modules + L"\\ffmpeg\\ffmpeg.exe", FALSE));
        ASSERT_TRUE(CopyFileW(ffmpeg + L"\\ffprobe.exe", modules + L"\\ffmpeg\\ffprobe.exe", FALSE));
        // A short clip to play to its end, and one long enough that no wait of a loaded machine
        // runs into its end.
        s_clip = s_folder + L"\\clip \u00e9 (1).mp4";
        s_long = s_folder + L"\\long clip.mp4";
        for (const auto& clip : {std::make_pair(&s_clip, 6), std::make_pair(&s_long, 40)}) {
            CString make;
            make.Format(L"\"%s\\ffmpeg\\ffmpeg.exe\" -nostdin -loglevel error -y -f lavfi"
                        L" -i testsrc=size=320x240:rate=25:duration=%d -f lavfi -i sine=frequency=440:duration=%d"
                        L" -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest \"%s\"",
                        modules.GetString(), clip.second, clip.second, clip.first->GetString());
            ASSERT_EQ(0, RunHidden(make, 300000));
        }
    }

    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(5000);
        m_window.reset(new CPlayWindow(m_driver, 100, 100, 400, 300));
        ASSERT_TRUE(m_window->Get() != NULL);
        ASSERT_EQ(0, m_driver.Init(s_tool, m_window->Get()));
        m_driver.m_params.InputPath = s_clip;
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    __int64 Position() { return m_driver.GetStatusBlock().PositionUs; }

    static CString s_folder, s_tool, s_clip, s_long;
    CRecordingPlayer m_driver;
    std::unique_ptr<CPlayWindow> m_window;
};

CString PlayerDrumlin::s_folder, PlayerDrumlin::s_tool, PlayerDrumlin::s_clip, PlayerDrumlin::s_long;

TEST_F(PlayerDrumlin, AClipPlaysToItsEndWithItsReportsInOrder)
{
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(session.Join(120000));
    EXPECT_EQ(0, result);
    EXPECT_TRUE(m_driver.IsEnded());

    std::vector<int> codes = m_driver.CodesWithoutRepeats();
    ASSERT_GE(codes.size(), 5u);
    EXPECT_EQ(0, codes[0]);
    EXPECT_EQ(PLAYER_STATUS_OPENED, codes[1]);
    EXPECT_EQ(PLAYER_STATUS_STARTED, codes[2]);
    EXPECT_EQ(PLAYER_STATUS_PROGRESS, codes[3]);
    EXPECT_EQ(-1, codes.back());
    EXPECT_GT(m_driver.CountOf(PLAYER_STATUS_PROGRESS), 5);
    EXPECT_EQ(1, m_driver.CountOf(PLAYER_STATUS_OPENED));
    EXPECT_EQ(1, m_driver.CountOf(PLAYER_STATUS_STARTED));

    std::vector<SinkCall> calls = m_driver.Calls();
    const PlayerStatusBlock& opened = calls[1].block;
    EXPECT_EQ(320, opened.VideoWidth);
    EXPECT_EQ(240, opened.VideoHeight);
    EXPECT_NEAR(6.0, opened.DurationUs / (double)kSecond, 0.2);
    __int64 last = 0;
    for (const SinkCall& call : calls) {
        if (call.code != PLAYER_STATUS_PROGRESS)
            continue;
        EXPECT_GE(call.block.PositionUs, last) << "the position only moves on";
        last = call.block.PositionUs;
    }
    EXPECT_GT(last, 5 * kSecond) << "the clip played to its end";
    std::vector<int> states = m_driver.States();
    std::vector<int> expected = {1, 2, 5, 5};
    EXPECT_EQ(expected, states);
}

TEST_F(PlayerDrumlin, PauseHoldsThePositionSeekMovesItAndStopEndsTheTool)
{
    // A stop the tool obeys ends the run long before this grace would.
    CToolProcessBase::SetStopGraceForTests(30000);
    m_driver.m_params.InputPath = s_long;
    m_driver.m_params.DurationMs = -1;
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying() && Position() > kSecond / 2; }, 30000));
    DWORD pid = ToolProcessId(m_driver.m_hToolWindow);
    ASSERT_NE(0u, pid);

    // Paused, the position settles (reports sent before the pause may still come in) and stays.
    m_driver.PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPaused(); }, 30000));
    __int64 held = Position();
    for (DWORD settled = GetTickCount(); GetTickCount() - settled < 30000;) {
        WaitUntil([] { return false; }, 300);
        if (Position() == held)
            break;
        held = Position();
    }
    WaitUntil([] { return false; }, 1000);
    EXPECT_LE(Position() - held, kSecond / 10) << "a paused tool holds its position";

    // Sought while paused, the tool stands at the new position, then plays on from there.
    const __int64 target = held + 10 * kSecond;
    m_driver.Seek(target, 0);
    ASSERT_TRUE(WaitUntil([&] { return _abs64(Position() - target) < kSecond / 4; }, 30000))
        << "from " << held << " the position reached only " << Position();
    m_driver.PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying() && Position() > target + kSecond / 4; }, 30000));

    DWORD stopAt = GetTickCount();
    m_driver.Stop();
    ASSERT_TRUE(session.Join(60000));
    EXPECT_LT(GetTickCount() - stopAt, 20000u) << "the tool obeyed the stop before the grace ran out";
    EXPECT_EQ(1, result);
    EXPECT_TRUE(m_driver.IsStopped());
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessListed(pid); }, 15000));
}

TEST_F(PlayerDrumlin, ClosingThePlayWindowEndsTheTool)
{
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 30000));
    DWORD pid = ToolProcessId(m_driver.m_hToolWindow);
    ASSERT_NE(0u, pid);
    DWORD closedAt = GetTickCount();
    m_window->Destroy();
    ASSERT_TRUE(session.Join(60000)) << "the tool did not notice; nothing asks it to stop";
    EXPECT_LT(GetTickCount() - closedAt, 30000u);
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessListed(pid); }, 15000));
    EXPECT_FALSE(m_driver.IsActive());
}

}  // namespace
