// The playback driver's state machine fed with synthetic status records, the command records it
// sends byte by byte, and which WM_COPYDATA records a play window hands to its driver.
#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/PlayerTool.h"

using namespace enginetest;

namespace {

// Remembers every state the driver passes through.
class CStateRecordingTool : public CPlayerTool {
public:
    int OnStateChanged() override
    {
        States.push_back(GetState());
        return CPlayerTool::OnStateChanged();
    }
    std::vector<int> States;
};

std::vector<BYTE> StatusRecord(int code, int arg, HWND tool = nullptr, __int64 context = 0)
{
    std::vector<BYTE> rec(PLAYER_STATUS_SIZE, 0);
    __int64 toolValue = (__int64)(UINT_PTR)tool;
    memcpy(&rec[8], &context, 8);
    memcpy(&rec[16], &toolValue, 8);
    int start1 = 0x11223344, start2 = -5;
    memcpy(&rec[24], &start1, 4);
    memcpy(&rec[28], &start2, 4);
    memcpy(&rec[32], &code, 4);
    memcpy(&rec[40], &arg, 4);
    return rec;
}

void PutBlockI32(std::vector<BYTE>& rec, size_t at, int v) { memcpy(&rec[1080 + at], &v, 4); }
void PutBlockI64(std::vector<BYTE>& rec, size_t at, __int64 v) { memcpy(&rec[1080 + at], &v, 8); }

template <class T> T Read(const std::vector<BYTE>& bytes, size_t at)
{
    T v;
    memcpy(&v, &bytes[at], sizeof(v));
    return v;
}

class PlayerProtocol : public testing::Test {
protected:
    void SetUp() override
    {
        m_toolWindow.reset(new CTestWindow(WS_POPUP, 0, 0, 10, 10, [this](HWND, UINT msg, WPARAM, LPARAM lParam,
                                                                          LRESULT& r) {
            if (msg != WM_COPYDATA)
                return false;
            const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lParam;
            m_kinds.push_back(cds->dwData);
            m_commands.push_back(std::vector<BYTE>((const BYTE*)cds->lpData, (const BYTE*)cds->lpData + cds->cbData));
            r = m_reply;
            return true;
        }));
        ASSERT_TRUE(m_toolWindow->Get() != NULL);
        m_playWindow = (HWND)(UINT_PTR)0x00ABCDEF;
        m_driver.Init(L"C:\\none\\Drumlin.exe", m_playWindow);
    }

    int Feed(const std::vector<BYTE>& rec) { return m_driver.OnCallback(rec.data()); }
    // Session begun and the tool's "opened" and "started" records received.
    void StartPlaying()
    {
        m_driver.OnSessionStart();
        Feed(StatusRecord(PLAYER_STATUS_OPENED, 1));
        Feed(StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get()));
    }
    int LastCode() { return m_commands.empty() ? -1 : Read<int>(m_commands.back(), 32); }

    CStateRecordingTool m_driver;
    HWND m_playWindow;
    std::unique_ptr<CTestWindow> m_toolWindow;
    std::vector<ULONG_PTR> m_kinds;
    std::vector<std::vector<BYTE>> m_commands;
    LRESULT m_reply = 1;
};

TEST_F(PlayerProtocol, StatusCodesMoveTheStateThroughAPlayback)
{
    EXPECT_EQ(PLAYER_STATE_IDLE, m_driver.GetState());
    m_driver.OnSessionStart();
    EXPECT_TRUE(m_driver.IsStarting());
    EXPECT_TRUE(m_driver.IsActive());
    EXPECT_EQ(0, Feed(StatusRecord(PLAYER_STATUS_OPENED, 1)));
    EXPECT_EQ(1, Feed(StatusRecord(PLAYER_STATUS_PROGRESS, 0))) << "progress before playing is refused";
    EXPECT_EQ(0, Feed(StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get())));
    EXPECT_TRUE(m_driver.IsPlaying());
    EXPECT_EQ(m_toolWindow->Get(), m_driver.m_hToolWindow);
    EXPECT_EQ(0x11223344, m_driver.m_nStartValue1);
    EXPECT_EQ(-5, m_driver.m_nStartValue2);
    EXPECT_EQ(0, Feed(StatusRecord(PLAYER_STATUS_PROGRESS, 0)));
    Feed(StatusRecord(PLAYER_STATUS_PAUSE, 1));
    EXPECT_TRUE(m_driver.IsPaused());
    EXPECT_TRUE(m_driver.IsActive());
    EXPECT_EQ(1, Feed(StatusRecord(PLAYER_STATUS_PROGRESS, 0))) << "no progress while paused";
    Feed(StatusRecord(PLAYER_STATUS_PAUSE, 0));
    EXPECT_TRUE(m_driver.IsPlaying());
    Feed(StatusRecord(PLAYER_STATUS_ENDED, 0));
    EXPECT_TRUE(m_driver.IsEnded());
    EXPECT_FALSE(m_driver.IsActive());
    m_driver.OnSessionEnd();
    EXPECT_TRUE(m_driver.IsEnded());
    std::vector<int> expected = {1, 2, 3, 2, 5, 5};
    EXPECT_EQ(expected, m_driver.States);
}

TEST_F(PlayerProtocol, StatusBlockIsStoredForEveryRecordEvenAnUnknownCode)
{
    StartPlaying();
    std::vector<BYTE> rec = StatusRecord(25, 0);
    PutBlockI64(rec, 96, 20000000);
    PutBlockI32(rec, 220, 640);
    PutBlockI32(rec, 224, 360);
    PutBlockI32(rec, 228, 16);
    PutBlockI32(rec, 232, 9);
    PutBlockI64(rec, 544, 12500000);
    rec[1080 + 559] = 0x5A;
    EXPECT_EQ(-1, Feed(rec));
    EXPECT_EQ(-1, m_driver.OnCallback(nullptr));
    const PlayerStatusBlock& block = m_driver.GetStatusBlock();
    EXPECT_EQ(20000000, block.DurationUs);
    EXPECT_EQ(640, block.VideoWidth);
    EXPECT_EQ(360, block.VideoHeight);
    EXPECT_EQ(16, block.AspectNum);
    EXPECT_EQ(9, block.AspectDen);
    EXPECT_EQ(12500000, block.PositionUs);
    EXPECT_EQ(0x5A, ((const BYTE*)&block)[559]) << "the block is kept whole";
    EXPECT_TRUE(m_driver.IsPlaying()) << "an unknown code changes no state";
}

TEST_F(PlayerProtocol, AnOddPictureOpenedResetsTheZoom)
{
    m_driver.SetZoom(150);
    std::vector<BYTE> rec = StatusRecord(PLAYER_STATUS_OPENED, 0);
    PutBlockI32(rec, 220, 1919);
    PutBlockI32(rec, 224, 1080);
    Feed(rec);
    EXPECT_EQ(150, m_driver.GetZoom()) << "only an argument of 1 looks at the picture";
    rec = StatusRecord(PLAYER_STATUS_OPENED, 1);
    PutBlockI32(rec, 220, 1920);
    PutBlockI32(rec, 224, 1080);
    Feed(rec);
    EXPECT_EQ(150, m_driver.GetZoom());
    PutBlockI32(rec, 220, 1919);
    Feed(rec);
    EXPECT_EQ(100, m_driver.GetZoom());
}

TEST_F(PlayerProtocol, CommandRecordsLayout)
{
    StartPlaying();
    m_reply = 77;
    EXPECT_EQ(77, m_driver.PauseResume());
    EXPECT_EQ(1, m_driver.GetLastCommand());
    ASSERT_EQ(1u, m_commands.size());
    const std::vector<BYTE>& pause = m_commands[0];
    EXPECT_EQ(PLAYER_COMMAND_ID, m_kinds[0]);
    ASSERT_EQ(1080u, pause.size());
    EXPECT_EQ(0x00ABCDEF, Read<__int64>(pause, 0));
    EXPECT_EQ((__int64)(INT_PTR)(CPlayerToolBase*)&m_driver, Read<__int64>(pause, 8));
    EXPECT_EQ((__int64)(UINT_PTR)m_toolWindow->Get(), Read<__int64>(pause, 16));
    EXPECT_EQ(0x11223344, Read<int>(pause, 24));
    EXPECT_EQ(-5, Read<int>(pause, 28));
    EXPECT_EQ(1, Read<int>(pause, 32));
    for (size_t i = 36; i < 1080; ++i)
        ASSERT_EQ(0, pause[i]) << "byte " << i;

    m_driver.Seek(-10000000, 1);
    std::vector<BYTE> seek = m_commands.back();
    EXPECT_EQ(10, Read<int>(seek, 32));
    EXPECT_EQ(-10000000LL, Read<__int64>(seek, 40)) << "position in arguments 1 and 2";
    EXPECT_EQ(1, Read<__int64>(seek, 48)) << "mode in arguments 3 and 4";
    m_driver.Seek(0x123456789LL, 0);
    EXPECT_EQ(0x123456789LL, Read<__int64>(m_commands.back(), 40));
    EXPECT_EQ(0, Read<__int64>(m_commands.back(), 48));

    m_driver.SetMute(1);
    EXPECT_EQ(30, LastCode());
    EXPECT_EQ(1, Read<int>(m_commands.back(), 40));
    EXPECT_EQ(1, m_driver.GetMute());
    m_driver.SetVolume(150);
    EXPECT_EQ(31, LastCode());
    EXPECT_EQ(100, Read<__int64>(m_commands.back(), 40)) << "volume is clamped before it is sent";
    EXPECT_EQ(100, m_driver.GetVolume());
    m_driver.SetVolume(-3);
    EXPECT_EQ(0, Read<__int64>(m_commands.back(), 40));

    std::string longText(1500, 'q');
    m_driver.SendCommand(99, 1, 2, 3, 4, longText.c_str());
    const std::vector<BYTE>& text = m_commands.back();
    EXPECT_EQ(4, Read<int>(text, 52));
    EXPECT_EQ('q', text[56]);
    EXPECT_EQ('q', text[56 + 1022]);
    EXPECT_EQ(0, text[56 + 1023]) << "the text stays terminated";

    EXPECT_EQ(77, m_driver.Stop());
    EXPECT_EQ(2, LastCode());
    EXPECT_EQ(2, m_driver.GetLastCommand());
    Feed(StatusRecord(PLAYER_STATUS_ENDED, 0));
    EXPECT_TRUE(m_driver.IsStopped());
}

TEST_F(PlayerProtocol, CommandsBeforeTheToolIsKnownAreNotSent)
{
    m_driver.OnSessionStart();
    EXPECT_EQ(-1, m_driver.SetMute(1));
    EXPECT_EQ(1, m_driver.GetMute()) << "the setting stays changed";
    EXPECT_EQ(-1, m_driver.SetVolume(150));
    EXPECT_EQ(100, m_driver.GetVolume());
    EXPECT_EQ(-1, m_driver.Seek(0, 0));
    EXPECT_EQ(-1, m_driver.Stop());
    EXPECT_EQ(2, m_driver.GetLastCommand()) << "the stop is the run's stop flag all the same";
    EXPECT_TRUE(m_commands.empty());
    // Once the tool is known it is told at once.
    Feed(StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get()));
    EXPECT_EQ(2, LastCode());
}

TEST_F(PlayerProtocol, IdleOrFinishedSessionsIgnoreStopPauseAndRestart)
{
    EXPECT_EQ(0, m_driver.Stop());
    EXPECT_EQ(0, m_driver.PauseResume());
    EXPECT_EQ(-1, m_driver.RestartAtCurrentPos());
    EXPECT_EQ(0, m_driver.GetLastCommand());
    EXPECT_EQ(0, m_driver.GetRestartFlag());

    StartPlaying();
    Feed(StatusRecord(PLAYER_STATUS_ENDED, 0));
    ASSERT_TRUE(m_driver.IsEnded());
    EXPECT_EQ(0, m_driver.Stop());
    EXPECT_EQ(0, m_driver.PauseResume());
    EXPECT_EQ(-1, m_driver.RestartAtCurrentPos());
    EXPECT_EQ(0, m_driver.GetLastCommand());
    EXPECT_TRUE(m_commands.empty());
    EXPECT_TRUE(m_driver.IsEnded());
}

TEST_F(PlayerProtocol, RestartKeepsTheLastCommandAndStoresThePosition)
{
    StartPlaying();
    std::vector<BYTE> rec = StatusRecord(PLAYER_STATUS_PROGRESS, 0);
    PutBlockI64(rec, 544, 12500000);
    Feed(rec);
    EXPECT_EQ(0, m_driver.RestartAtCurrentPos());
    EXPECT_EQ(2, LastCode());
    EXPECT_EQ(0, m_driver.GetLastCommand());
    EXPECT_EQ(100, m_driver.GetRestartFlag());
    EXPECT_EQ(12500000, m_driver.GetPendingRestartPos());
    Feed(StatusRecord(PLAYER_STATUS_ENDED, 0));
    EXPECT_TRUE(m_driver.IsEnded()) << "the restart's stop is not the user's";

    EXPECT_EQ(0, m_driver.PrepareParams());
    EXPECT_EQ(12500, m_driver.m_params.StartMs);
    EXPECT_EQ(0, m_driver.GetPendingRestartPos());
    m_driver.m_params.StartMs = 7;
    m_driver.PrepareParams();
    EXPECT_EQ(7, m_driver.m_params.StartMs) << "without a pending position the start stays";
}

TEST_F(PlayerProtocol, AStopWhileARestartIsPendingEndsTheSession)
{
    StartPlaying();
    m_driver.RestartAtCurrentPos();
    Feed(StatusRecord(PLAYER_STATUS_ENDED, 0));
    ASSERT_FALSE(m_driver.IsActive());
    size_t sent = m_commands.size();
    m_driver.Stop();
    EXPECT_EQ(2, m_driver.GetLastCommand());
    EXPECT_EQ(0, m_driver.GetRestartFlag()) << "the restart is called off";
    EXPECT_EQ(sent + 1, m_commands.size()) << "the tool that is still known is told";
}

TEST_F(PlayerProtocol, ResetStatusForgetsTheToolWindow)
{
    StartPlaying();
    m_driver.PauseResume();
    std::vector<BYTE> rec = StatusRecord(PLAYER_STATUS_PROGRESS, 0);
    PutBlockI64(rec, 544, 3000000);
    Feed(rec);
    m_driver.ResetStatus();
    EXPECT_EQ(PLAYER_STATE_IDLE, m_driver.GetState());
    EXPECT_EQ(0, m_driver.GetLastCommand());
    EXPECT_EQ(0, m_driver.GetStatusBlock().PositionUs);
    EXPECT_TRUE(m_driver.m_hToolWindow == NULL);
    EXPECT_EQ(0, m_driver.m_nStartValue1);
    size_t sent = m_commands.size();
    EXPECT_EQ(-1, m_driver.SetVolume(50)) << "nothing goes to the old tool's window";
    EXPECT_EQ(sent, m_commands.size());
}

TEST_F(PlayerProtocol, OnlyRecordsNamingThisDriverAreDispatched)
{
    m_driver.OnSessionStart();
    CPlayerTool other;
    __int64 mine = m_driver.GetContext();
    std::vector<BYTE> rec = StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get(), mine);
    COPYDATASTRUCT cds = {PLAYER_STATUS_ID, PLAYER_STATUS_SIZE, rec.data()};
    LRESULT result = 55;

    EXPECT_FALSE(other.DispatchCopyData(&cds, result)) << "another driver's record";
    cds.dwData = PLAYER_COMMAND_ID;
    EXPECT_FALSE(m_driver.DispatchCopyData(&cds, result));
    cds.dwData = PLAYER_STATUS_ID;
    cds.cbData = PLAYER_STATUS_SIZE - 1;
    EXPECT_FALSE(m_driver.DispatchCopyData(&cds, result));
    cds.cbData = PLAYER_STATUS_SIZE;
    std::vector<BYTE> nullContext = StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get(), 0);
    COPYDATASTRUCT none = {PLAYER_STATUS_ID, PLAYER_STATUS_SIZE, nullContext.data()};
    EXPECT_FALSE(m_driver.DispatchCopyData(&none, result));
    std::vector<BYTE> stray = StatusRecord(PLAYER_STATUS_STARTED, 0, m_toolWindow->Get(), mine + 8);
    COPYDATASTRUCT strayData = {PLAYER_STATUS_ID, PLAYER_STATUS_SIZE, stray.data()};
    EXPECT_FALSE(m_driver.DispatchCopyData(&strayData, result));
    EXPECT_EQ(55, result);
    EXPECT_TRUE(m_driver.IsStarting()) << "nothing reached the driver";

    EXPECT_TRUE(m_driver.DispatchCopyData(&cds, result));
    EXPECT_EQ(0, result);
    EXPECT_TRUE(m_driver.IsPlaying());
    EXPECT_FALSE(other.IsPlaying());
}

}  // namespace
