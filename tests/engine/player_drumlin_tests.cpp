// The playback driver with the real playback tool and the ffmpeg build beside it, playing a clip
// made at test time into a window of the test: the tool's reports, pause, seek, stop and the end
// of the tool when its play window goes away.
#include <gtest/gtest.h>

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

int RunHidden(const CString& commandLine, DWORD timeoutMs)
{
    std::vector<wchar_t> line(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 1);
    return (int)code;
}

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
        s_clip = s_folder + L"\\clip \u00e9 (1).mp4";
        ASSERT_EQ(0, RunHidden(L"\"" + modules + L"\\ffmpeg\\ffmpeg.exe\" -nostdin -loglevel error -y "
                               L"-f lavfi -i testsrc=size=320x240:rate=25:duration=6 "
                               L"-f lavfi -i sine=frequency=440:duration=6 -c:v libx264 -preset ultrafast "
                               L"-pix_fmt yuv420p -c:a aac -shortest \"" + s_clip + L"\"",
                               120000));
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

    static CString s_folder, s_tool, s_clip;
    CRecordingPlayer m_driver;
    std::unique_ptr<CPlayWindow> m_window;
};

CString PlayerDrumlin::s_folder, PlayerDrumlin::s_tool, PlayerDrumlin::s_clip;

TEST_F(PlayerDrumlin, AClipPlaysToItsEndWithItsReportsInOrder)
{
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(session.Join(60000));
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
    m_driver.m_params.DurationMs = -1;
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying() && Position() > kSecond / 2; }, 30000));
    DWORD pid = ToolProcessId(m_driver.m_hToolWindow);
    ASSERT_NE(0u, pid);

    m_driver.PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPaused(); }, 5000));
    WaitUntil([] { return false; }, 300);
    __int64 held = Position();
    WaitUntil([] { return false; }, 1000);
    EXPECT_LE(Position() - held, kSecond / 10) << "a paused tool holds its position";
    m_driver.PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 5000));

    __int64 before = Position();
    m_driver.Seek(4 * kSecond, 0);
    ASSERT_TRUE(WaitUntil([&] { return Position() >= 4 * kSecond - kSecond / 2; }, 10000))
        << "from " << before << " the position reached only " << Position();
    EXPECT_LT(before, 3 * kSecond);

    DWORD stopAt = GetTickCount();
    m_driver.Stop();
    ASSERT_TRUE(session.Join(20000));
    EXPECT_LT(GetTickCount() - stopAt, 4000u) << "the tool obeyed the stop before the grace ran out";
    EXPECT_EQ(1, result);
    EXPECT_TRUE(m_driver.IsStopped());
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessListed(pid); }, 5000));
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
    ASSERT_TRUE(session.Join(20000));
    EXPECT_LT(GetTickCount() - closedAt, 4000u) << "the tool noticed by itself; nothing asked it to stop";
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessListed(pid); }, 5000));
    EXPECT_FALSE(m_driver.IsActive());
}

}  // namespace
