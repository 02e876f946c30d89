// Shared pieces of the playback driver's run tests: a driver that records what reaches it, a play
// window of the test thread that hands it its records, and the fake tool's command log read back.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/PlayerTool.h"
#include "framework/String.h"

namespace playertest {

struct SinkCall {
    int code;  // the status code, or 0 for a session start, -1 for a session end
    PlayerStatusBlock block;
};

// Records every event and state change; everything runs on the play window's thread except the
// session start and end, so the lists are guarded.
class CRecordingPlayer : public CPlayerTool {
public:
    CRecordingPlayer() { InitializeCriticalSection(&m_lock); }
    ~CRecordingPlayer() override { DeleteCriticalSection(&m_lock); }

    int OnStateChanged() override;
    int OnSessionStart() override;
    int OnSessionEnd() override;
    int OnMediaOpened(const PlayerStatusBlock* block, int arg) override;
    int OnPlaybackStarted(const PlayerStatusBlock* block) override;
    int OnProgress(const PlayerStatusBlock* block) override;
    int OnPauseChanged(const PlayerStatusBlock* block, int paused) override;
    int OnEnded(const PlayerStatusBlock* block) override;

    std::vector<int> States();
    std::vector<SinkCall> Calls();
    // The codes of the calls, runs of progress records counted once.
    std::vector<int> CodesWithoutRepeats();
    int CountOf(int code);

private:
    void Note(int code, const PlayerStatusBlock* block);
    CRITICAL_SECTION m_lock;
    std::vector<int> m_states;
    std::vector<SinkCall> m_calls;
};

// A visible window of the test thread whose WM_COPYDATA goes to the driver's dispatch.
class CPlayWindow {
public:
    CPlayWindow(CPlayerTool& driver, int x, int y, int width, int height);
    HWND Get() const { return m_window ? m_window->Get() : nullptr; }
    void Destroy() { m_window.reset(); }

private:
    std::unique_ptr<enginetest::CTestWindow> m_window;
};

// The arguments of each run in the fake tool's log, one list per run.
std::vector<std::vector<CString>> ReadRunArgs(LPCWSTR logPath);
// The argument after 'name' in a run, or "" when it is not there.
CString ArgAfter(const std::vector<CString>& args, LPCWSTR name);

}  // namespace playertest
