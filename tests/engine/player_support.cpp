// The recording driver, the play window and the fake tool's log reader of the playback tests.
#include "player_support.h"

using namespace enginetest;

namespace playertest {

namespace {

class CLock {
public:
    explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CLock() { LeaveCriticalSection(&m_cs); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

}  // namespace

void CRecordingPlayer::Note(int code, const PlayerStatusBlock* block)
{
    SinkCall call;
    call.code = code;
    if (block)
        call.block = *block;
    else
        ZeroMemory(&call.block, sizeof(call.block));
    CLock lock(m_lock);
    m_calls.push_back(call);
}

int CRecordingPlayer::OnStateChanged()
{
    {
        CLock lock(m_lock);
        m_states.push_back(GetState());
    }
    return CPlayerTool::OnStateChanged();
}

int CRecordingPlayer::OnSessionStart()
{
    Note(0, nullptr);
    return CPlayerTool::OnSessionStart();
}

int CRecordingPlayer::OnSessionEnd()
{
    Note(-1, nullptr);
    return CPlayerTool::OnSessionEnd();
}

int CRecordingPlayer::OnMediaOpened(const PlayerStatusBlock* block, int arg)
{
    Note(PLAYER_STATUS_OPENED, block);
    return CPlayerTool::OnMediaOpened(block, arg);
}

int CRecordingPlayer::OnPlaybackStarted(const PlayerStatusBlock* block)
{
    Note(PLAYER_STATUS_STARTED, block);
    return CPlayerTool::OnPlaybackStarted(block);
}

int CRecordingPlayer::OnProgress(const PlayerStatusBlock* block)
{
    Note(PLAYER_STATUS_PROGRESS, block);
    return CPlayerTool::OnProgress(block);
}

int CRecordingPlayer::OnPauseChanged(const PlayerStatusBlock* block, int paused)
{
    Note(PLAYER_STATUS_PAUSE, block);
    return CPlayerTool::OnPauseChanged(block, paused);
}

int CRecordingPlayer::OnEnded(const PlayerStatusBlock* block)
{
    // The session end calls this too; only the tool's own report is noted here.
    return CPlayerTool::OnEnded(block);
}

std::vector<int> CRecordingPlayer::States()
{
    CLock lock(m_lock);
    return m_states;
}

std::vector<SinkCall> CRecordingPlayer::Calls()
{
    CLock lock(m_lock);
    return m_calls;
}

std::vector<int> CRecordingPlayer::CodesWithoutRepeats()
{
    std::vector<int> codes;
    for (const SinkCall& call : Calls())
        if (codes.empty() || codes.back() != call.code || call.code != PLAYER_STATUS_PROGRESS)
            codes.push_back(call.code);
    return codes;
}

int CRecordingPlayer::CountOf(int code)
{
    int n = 0;
    for (const SinkCall& call : Calls())
        n += call.code == code;
    return n;
}

CPlayWindow::CPlayWindow(CPlayerTool& driver, int x, int y, int width, int height)
{
    m_window.reset(new CTestWindow(WS_POPUP | WS_VISIBLE, x, y, width, height,
                                   [&driver](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& r) {
                                       if (msg != WM_COPYDATA)
                                           return false;
                                       return driver.DispatchCopyData((const COPYDATASTRUCT*)lParam, r);
                                   }));
}

std::vector<std::vector<CString>> ReadRunArgs(LPCWSTR logPath)
{
    std::vector<std::vector<CString>> runs;
    for (const CString& line : ReadLines(logPath)) {
        if (line.Find(L"cmdline: ") == 0)
            runs.push_back(std::vector<CString>());
        else if (line.Find(L"arg: ") == 0 && !runs.empty())
            runs.back().push_back(line.Mid(5));
    }
    return runs;
}

CString ArgAfter(const std::vector<CString>& args, LPCWSTR name)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name)
            return args[i + 1];
    return CString();
}

}  // namespace playertest
