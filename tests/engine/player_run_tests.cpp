// The playback driver under Wine with the fake tool as the playback tool: a session from start to
// end, stops, pauses, restarts at the current position and a tool that cannot be started.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/MediaValueTexts.h"
#include "engine/PlayerTool.h"
#include "engine/ToolProcess.h"
#include "player_support.h"

using namespace enginetest;
using namespace playertest;

namespace {

class PlayerFakeRun : public testing::Test {
protected:
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(2000);
        m_folder = MakeAwkwardFolder(L"player");
        ASSERT_FALSE(m_folder.IsEmpty());
        m_tool = InstallFakeTool(m_folder, L"Drumlin.exe");
        ASSERT_FALSE(m_tool.IsEmpty());
        m_log = m_folder + L"\\command log.txt";
        m_records = m_folder + L"\\record log.txt";
        m_input = m_folder + L"\\clip \u00e9 (1).mp4";
        ASSERT_TRUE(WriteUtf8File(m_input, L"not media: the fake tool does not read it"));
        m_window.reset(new CPlayWindow(m_driver, 0, 0, 160, 120));
        ASSERT_TRUE(m_window->Get() != NULL);
        ASSERT_EQ(0, m_driver.Init(m_tool, m_window->Get()));
        m_driver.m_params.InputPath = m_input;
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    void Script(const CString& lines)
    {
        ASSERT_TRUE(WriteUtf8File(m_folder + L"\\Drumlin.fake",
                                  L"log " + m_log + L"\nrecord_log " + m_records + L"\ninterval 50\n" + lines));
    }

    std::vector<CString> RecordLog() { return ReadLines(m_records); }
    bool Logged(LPCWSTR line)
    {
        for (const CString& l : RecordLog())
            if (l == line)
                return true;
        return false;
    }

    CString m_folder, m_tool, m_log, m_records, m_input;
    CRecordingPlayer m_driver;
    std::unique_ptr<CPlayWindow> m_window;
};

TEST_F(PlayerFakeRun, ASessionPlaysToItsEndInThePlayWindow)
{
    Script(L"play_ms 300\n");
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(0, result);
    EXPECT_TRUE(m_driver.IsEnded());

    std::vector<int> codes = m_driver.CodesWithoutRepeats();
    std::vector<int> expected = {0, PLAYER_STATUS_OPENED, PLAYER_STATUS_STARTED, PLAYER_STATUS_PROGRESS, -1};
    EXPECT_EQ(expected, codes);
    std::vector<int> states = {1, 2, 5, 5};
    EXPECT_EQ(states, m_driver.States()) << "the tool's end report and the session end";
    EXPECT_EQ(300000, m_driver.GetStatusBlock().PositionUs);
    EXPECT_EQ(320, m_driver.GetStatusBlock().VideoWidth);
    EXPECT_TRUE(m_driver.m_hToolWindow == NULL) << "the ended tool's window is forgotten";

    std::vector<std::vector<CString>> runs = ReadRunArgs(m_log);
    ASSERT_EQ(1u, runs.size());
    CString window, context;
    window.Format(L"%I64d", (__int64)(INT_PTR)m_window->Get());
    context.Format(L"%I64d", m_driver.GetContext());
    EXPECT_STREQ(window, ArgAfter(runs[0], L"-play_window"));
    EXPECT_STREQ(context, ArgAfter(runs[0], L"-callback_context"));
    EXPECT_STREQ(m_input, ArgAfter(runs[0], L"-i")) << "the path arrives whole";
    EXPECT_STREQ(L"-autoexit", runs[0][0]);
}

TEST_F(PlayerFakeRun, StopEndsTheToolAndTheSessionAsStopped)
{
    Script(L"play_ms 60000\n");
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 30000));
    HWND toolWindow = m_driver.m_hToolWindow;
    EXPECT_TRUE(IsWindow(toolWindow));

    EXPECT_EQ(1, m_driver.PauseResume()) << "the tool's reply is the result";
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPaused(); }, 30000));
    __int64 pausedAt = m_driver.GetStatusBlock().PositionUs;
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(pausedAt, m_driver.GetStatusBlock().PositionUs) << "a paused tool does not move on";
    m_driver.PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 30000));

    DWORD stoppedAt = GetTickCount();
    m_driver.Stop();
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(1, result) << "a stopped run counts as stopped";
    EXPECT_TRUE(m_driver.IsStopped());
    EXPECT_LT(GetTickCount() - stoppedAt, 40000u) << "the tool played on";
    EXPECT_TRUE(Logged(L"command 1 0 0 0 0"));
    EXPECT_TRUE(Logged(L"command 2 0 0 0 0"));
    std::vector<int> states = m_driver.States();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(4, states.back());
    EXPECT_EQ(1u, ReadRunArgs(m_log).size());
}

TEST_F(PlayerFakeRun, RestartStartsTheNextRunAtTheCurrentPosition)
{
    Script(L"play_ms 60000\n");
    m_driver.m_params.StartMs = 0;
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.GetStatusBlock().PositionUs >= 450000; }, 30000));
    __int64 position = m_driver.GetStatusBlock().PositionUs;
    HWND firstTool = m_driver.m_hToolWindow;
    ASSERT_EQ(0, m_driver.RestartAtCurrentPos());
    EXPECT_EQ(position, m_driver.GetPendingRestartPos());

    ASSERT_TRUE(WaitUntil([&] { return ReadRunArgs(m_log).size() == 2 && m_driver.IsPlaying(); }, 30000));
    EXPECT_NE(firstTool, m_driver.m_hToolWindow) << "the new run's tool window replaced the old one";
    m_driver.Stop();
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(1, result);

    std::vector<std::vector<CString>> runs = ReadRunArgs(m_log);
    ASSERT_EQ(2u, runs.size());
    EXPECT_STREQ(L"", ArgAfter(runs[0], L"-ss"));
    EXPECT_STREQ(FormatTimeMs(position / 1000, 0, 1, 1), ArgAfter(runs[1], L"-ss"));
    EXPECT_STREQ(m_input, ArgAfter(runs[1], L"-i"));
    EXPECT_EQ(1, m_driver.CountOf(0)) << "one session start for both runs";
    EXPECT_EQ(1, m_driver.CountOf(-1)) << "one session end for both runs";
    EXPECT_EQ(2, m_driver.CountOf(PLAYER_STATUS_STARTED));
    std::vector<int> states = m_driver.States();
    std::vector<int> expected = {1, 2, 5, 2, 4, 4};
    EXPECT_EQ(expected, states) << "the restart's stop ends the first run as ended, the user's as stopped";
}

TEST_F(PlayerFakeRun, AStopDuringAPendingRestartIsNotFollowedByARelaunch)
{
    // A tool that ignores stop requests: the restart stays pending until the stop's grace ends it.
    Script(L"play_ms 60000\nhang\n");
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 30000));
    ASSERT_EQ(0, m_driver.RestartAtCurrentPos());
    WaitUntil([] { return false; }, 200);
    m_driver.Stop();
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(1, result);
    EXPECT_TRUE(m_driver.IsStopped());
    EXPECT_EQ(1u, ReadRunArgs(m_log).size()) << "the session ended with the stopped run";
}

TEST_F(PlayerFakeRun, AStopWhileARestartRelaunchesTheToolEndsTheSession)
{
    // The relaunched tool takes its time before it reports its start, as a real one opening a
    // file does, so the stop comes while the state still says the first run ended.
    CToolProcessBase::SetStopGraceForTests(60000);
    Script(L"play_ms 60000\n");
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsPlaying(); }, 30000));
    Script(L"play_ms 60000\nstart_delay 5000\n");
    ASSERT_EQ(0, m_driver.RestartAtCurrentPos());
    ASSERT_TRUE(WaitUntil([&] { return ReadRunArgs(m_log).size() == 2; }, 30000));
    bool relaunching = !m_driver.IsActive();
    DWORD stopAt = GetTickCount();
    m_driver.Stop();
    EXPECT_EQ(PLAYER_COMMAND_STOP, m_driver.GetLastCommand()) << "the stop was lost";
    ASSERT_TRUE(session.Join(90000)) << "the relaunched tool played on";
    EXPECT_TRUE(relaunching) << "the stop came after the new tool's start report; nothing was tested";
    EXPECT_LT(GetTickCount() - stopAt, 50000u) << "the new tool was told to stop, not ended after the grace";
    EXPECT_EQ(1, result);
    EXPECT_TRUE(m_driver.IsStopped());
    EXPECT_EQ(2u, ReadRunArgs(m_log).size()) << "no run after the stop";
    int stops = 0;
    for (const CString& line : RecordLog())
        stops += line == L"command 2 0 0 0 0";
    EXPECT_EQ(2, stops) << "the restart's stop and the user's, told to the new tool once it started";
}

TEST_F(PlayerFakeRun, RunOnceIsOneRunBetweenSessionStartAndEnd)
{
    Script(L"play_ms 200\n");
    int result = -99;
    CPumpedThread session([&] { result = m_driver.RunOnce(); });
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, m_driver.CountOf(0));
    EXPECT_EQ(1, m_driver.CountOf(-1));
    EXPECT_TRUE(m_driver.IsEnded());
}

TEST_F(PlayerFakeRun, AMissingOrFailingToolEndsTheSession)
{
    m_driver.SetPath(m_folder + L"\\Missing.exe");
    int result = -99;
    {
        CPumpedThread session([&] { result = m_driver.RunSession(); });
        ASSERT_TRUE(session.Join(60000));
    }
    EXPECT_EQ(-1, result);
    EXPECT_EQ(1, m_driver.CountOf(-1)) << "the session still ends";
    EXPECT_TRUE(m_driver.IsEnded());

    m_driver.SetPath(m_tool);
    Script(L"play_ms 100\nexit 3\n");
    CPumpedThread session([&] { result = m_driver.RunSession(); });
    ASSERT_TRUE(session.Join(60000));
    EXPECT_EQ(-1, result);
}

// A driver whose preparation refuses the run, as a play window does when its item is gone.
class CRefusingPlayer : public CRecordingPlayer {
public:
    int PrepareParams() override { return -1; }
};

TEST(PlayerSession, AFailedPreparationRunsNoToolAndHasNoSessionEnd)
{
    CRefusingPlayer driver;
    driver.SetPath(L"C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(-1, driver.RunSession());
    EXPECT_EQ(-1, driver.RunOnce());
    EXPECT_EQ(0, driver.CountOf(-1));
    EXPECT_TRUE(driver.IsStarting());
}

}  // namespace
