// The playback tool driver: the tool's argument list, the session loop with its restarts, the
// play state kept from the tool's status records and the command records sent back.
#include "engine/PlayerTool.h"

#include <string.h>

#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"

namespace {

void AppendFilter(CString& chain, LPCWSTR filter)
{
    if (!chain.IsEmpty())
        chain += L",";
    chain += filter;
}

void AddStream(CCommandLine& cl, LPCWSTR option, LPCWSTR off, int stream)
{
    if (stream >= 0)
        cl.AddOption(option, L"%d", stream);
    else if (stream == -2)
        cl.Add(off);
}

CString BuildVideoFilterChain(const CPlayParams& p)
{
    CString chain, filter;
    if (p.PtsScale != 100) {
        filter.Format(L"setpts=%f*PTS", p.PtsScale * 0.01);
        AppendFilter(chain, filter);
    }
    // Only degrees: the encoder's rotation codes 1 to 3 mean nothing here.
    if (p.Rotation == 90)
        AppendFilter(chain, L"transpose=1");
    else if (p.Rotation == 180)
        AppendFilter(chain, L"transpose=2,transpose=2");
    else if (p.Rotation == 270)
        AppendFilter(chain, L"transpose=2");
    if (p.FlipHorizontal)
        AppendFilter(chain, L"hflip");
    if (p.FlipVertical)
        AppendFilter(chain, L"vflip");
    if (p.Negate)
        AppendFilter(chain, L"negate");
    if (p.Grayscale)
        AppendFilter(chain, L"hue=s=0");
    if (p.OldPhoto)
        AppendFilter(chain, L"colorchannelmixer=.393:.769:.189:0:.349:.686:.168:0:.272:.534:.131");
    return chain;
}

CString BuildAudioFilterChain(const CPlayParams& p)
{
    CString chain, filter;
    if (p.Volume != 100) {
        filter.Format(L"volume=%f", p.Volume * 0.01);
        AppendFilter(chain, filter);
    }
    if (p.Tempo != 100) {
        filter.Format(L"atempo=%f", p.Tempo * 0.01);
        AppendFilter(chain, filter);
    }
    if (p.AudioDelayMs > 0) {
        int d = (int)p.AudioDelayMs;
        filter.Format(L"adelay=%d|%d|%d|%d|%d|%d", d, d, d, d, d, d);
        AppendFilter(chain, filter);
    }
    if (p.AudioTrimStartMs > 0) {
        filter.Format(L"atrim=%f", p.AudioTrimStartMs * 0.001);
        AppendFilter(chain, filter);
    }
    return chain;
}

__int64 HandleValue(HWND hwnd)
{
    return (__int64)(UINT_PTR)hwnd;
}

}  // namespace

// Driver settings and launch ---------------------------------------------------------------------

CPlayerToolBase::CPlayerToolBase()
    : m_nThreadCount(0),
      m_nInputBuffer(1),
      m_nFrameDrop(1),
      m_nSeekToAny(0),
      m_strVideoDriver(L"windows"),
      m_strAudioDriver(L"winmm"),
      m_nMute(0),
      m_nVolume(100),
      m_nWaveEffect(0),
      m_nWaveBlockSize(0),
      m_nWaveBlockSpace(-1),
      m_nWaveGradient(0),
      m_nWaveColor1(0),
      m_nWaveColor2(0),
      m_nWaveColor3(0),
      m_hPlayWindow(nullptr),
      m_hToolWindow(nullptr),
      m_nStartValue1(0),
      m_nStartValue2(0)
{
}

int CPlayerToolBase::Init(LPCWSTR toolPath, HWND playWindow)
{
    m_hPlayWindow = playWindow;
    return SetPath(toolPath);
}

int CPlayerToolBase::BuildArgs(CString& out, CPlayParams& p)
{
    CCommandLine cl;
    cl.Add(L"-autoexit");
    if (m_nThreadCount > 0)
        cl.AddOption(L"-threads", L"%d", m_nThreadCount);
    if (m_nInputBuffer)
        cl.Add(L"-infbuf");
    if (m_nFrameDrop)
        cl.Add(L"-framedrop");
    if (m_nSeekToAny)
        cl.AddPair(L"-seek2any", L"1");
    if (!m_strVideoDriver.IsEmpty())
        cl.AddOption(L"-video_driver", L"%s", m_strVideoDriver.GetString());
    if (!m_strAudioDriver.IsEmpty())
        cl.AddOption(L"-audio_driver", L"%s", m_strAudioDriver.GetString());
    if (p.StartMs > 0)
        cl.AddOption(L"-ss", L"%s", FormatTimeMs(p.StartMs, 0, 1, 1).GetString());
    if (p.DurationMs > 0)
        cl.AddOption(L"-t", L"%s", FormatTimeMs(p.DurationMs, 0, 1, 1).GetString());
    if (!p.InputPath.IsEmpty())
        cl.AddOption(L"-i", L"\"%s\"", p.InputPath.GetString());
    AddStream(cl, L"-vst", L"-vn", p.VideoStream);
    AddStream(cl, L"-ast", L"-an", p.AudioStream);
    AddStream(cl, L"-sst", L"-sn", p.SubtitleStream);
    if (!p.Sync.IsEmpty())
        cl.AddOption(L"-sync", L"%s", p.Sync.GetString());
    CString video = BuildVideoFilterChain(p);
    if (!video.IsEmpty())
        cl.AddOption(L"-vf", L"\"%s\"", video.GetString());
    if (m_nMute)
        cl.Add(L"-mute");
    if (m_nVolume != 100)
        cl.AddOption(L"-volume", L"%d", m_nVolume);
    CString audio = BuildAudioFilterChain(p);
    if (!audio.IsEmpty())
        cl.AddOption(L"-af", L"\"%s\"", audio.GetString());
    if (m_nWaveEffect >= 0)
        cl.AddOption(L"-wave_effect", L"%d", m_nWaveEffect);
    if (m_nWaveBlockSize > 0)
        cl.AddOption(L"-wave_block_size", L"%d", m_nWaveBlockSize);
    if (m_nWaveBlockSpace >= 0)
        cl.AddOption(L"-wave_block_space", L"%d", m_nWaveBlockSpace);
    if (m_nWaveGradient > 0)
        cl.AddOption(L"-wave_gradient", L"%d", m_nWaveGradient);
    if (m_nWaveColor1 != 0)
        cl.AddOption(L"-wave_color_1", L"%d", m_nWaveColor1);
    if (m_nWaveColor2 != 0)
        cl.AddOption(L"-wave_color_2", L"%d", m_nWaveColor2);
    if (m_nWaveColor3 != 0)
        cl.AddOption(L"-wave_color_3", L"%d", m_nWaveColor3);
    if (!p.ExtraArgs.IsEmpty())
        cl.Add(p.ExtraArgs);
    out = cl.GetText();
    return 0;
}

CString CPlayerToolBase::MakeLaunchCommand(CPlayParams& params)
{
    CString args;
    if (BuildArgs(args, params) != 0)
        return CString();
    if (m_hPlayWindow)
        args.AppendFormat(L" -play_window %I64d", HandleValue(m_hPlayWindow));
    args.AppendFormat(L" -callback_context %I64d", GetContext());
    return MakeToolCommand(m_strPath, args);
}

int CPlayerToolBase::Launch(CPlayParams& params, const volatile int* stopFlag)
{
    CString command = MakeLaunchCommand(params);
    if (command.IsEmpty())
        return -1;
    // The tool starts in the input's folder, so that names relative to it (subtitles beside the
    // video) resolve; the process's own current folder is shared with other threads' runs.
    m_strWorkingFolder.Empty();
    if (IsExistingFilePath(params.InputPath))
        m_strWorkingFolder = GetParentFolder(params.InputPath);
    return Run(command, stopFlag);
}

// Session ---------------------------------------------------------------------------------------------

CPlayerTool::CPlayerTool()
    : m_nZoom(100), m_nPlaySpeed(100), m_nState(PLAYER_STATE_IDLE), m_nLastCommand(0), m_nRestartFlag(0),
      m_nRestartPosUs(0), m_nSessionRunning(0)
{
    ZeroMemory(&m_status, sizeof(m_status));
    ZeroMemory(m_nMediaValues, sizeof(m_nMediaValues));
}

void CPlayerTool::SetState(int state)
{
    m_nState = state;
    OnStateChanged();
}

void CPlayerTool::ForgetToolWindow()
{
    m_hToolWindow = nullptr;
    m_nStartValue1 = 0;
    m_nStartValue2 = 0;
}

int CPlayerTool::ResetStatus()
{
    m_nState = PLAYER_STATE_IDLE;
    m_nLastCommand = 0;
    ZeroMemory(&m_status, sizeof(m_status));
    ForgetToolWindow();
    return 0;
}

// Marks a session as running for its whole length, relaunches included.
class CPlayerTool::CSessionScope {
public:
    explicit CSessionScope(CPlayerTool& tool) : m_tool(tool) { m_tool.m_nSessionRunning = 1; }
    ~CSessionScope() { m_tool.m_nSessionRunning = 0; }
    CSessionScope(const CSessionScope&) = delete;
    CSessionScope& operator=(const CSessionScope&) = delete;

private:
    CPlayerTool& m_tool;
};

int CPlayerTool::RunSession()
{
    CSessionScope session(*this);
    OnSessionStart();
    if (PrepareParams() != 0)
        return -1;
    for (;;) {
        m_nRestartPosUs = 0;
        m_nRestartFlag = 0;
        ForgetToolWindow();
        // A stop that came while a restart was being prepared ends the session here.
        int result = m_nLastCommand == PLAYER_COMMAND_STOP ? 1 : Launch(m_params, &m_nLastCommand);
        ForgetToolWindow();
        if (m_nRestartFlag != 100 || m_nLastCommand == PLAYER_COMMAND_STOP) {
            m_nRestartFlag = 0;
            OnSessionEnd();
            return result;
        }
        if (PrepareParams() != 0)
            return -1;
    }
}

int CPlayerTool::RestartAtCurrentPos()
{
    if (!IsActive())
        return -1;
    m_nRestartPosUs = m_status.PositionUs;
    m_nRestartFlag = 100;
    SendCommand(PLAYER_COMMAND_STOP);
    return 0;
}

int CPlayerTool::PrepareParams()
{
    if (m_nRestartPosUs > 0) {
        m_params.StartMs = m_nRestartPosUs / 1000;
        m_nRestartPosUs = 0;
    }
    return 0;
}

int CPlayerTool::RunOnce()
{
    CSessionScope session(*this);
    OnSessionStart();
    if (PrepareParams() != 0)
        return -1;
    int result = Launch(m_params, &m_nLastCommand);
    ForgetToolWindow();
    OnSessionEnd();
    return result;
}

// Commands --------------------------------------------------------------------------------------------

LRESULT CPlayerTool::SendCommand(int code, int arg1, int arg2, int arg3, int arg4, const char* text)
{
    HWND tool = m_hToolWindow;
    if (!tool)
        return -1;
    PlayerCommandRecord rec;
    ZeroMemory(&rec, sizeof(rec));
    rec.PlayWindow = HandleValue(m_hPlayWindow);
    rec.Context = GetContext();
    rec.ToolWindow = HandleValue(tool);
    rec.StartValue1 = m_nStartValue1;
    rec.StartValue2 = m_nStartValue2;
    rec.Code = code;
    rec.Arg1 = arg1;
    rec.Arg2 = arg2;
    rec.Arg3 = arg3;
    rec.Arg4 = arg4;
    if (text)
        memcpy(rec.Text, text, strnlen(text, sizeof(rec.Text) - 1));
    COPYDATASTRUCT cds = {PLAYER_COMMAND_ID, PLAYER_COMMAND_SIZE, &rec};
    return SendMessageW(tool, WM_COPYDATA, 0, (LPARAM)&cds);
}

int CPlayerTool::Stop()
{
    // Between the end of a run and the tool's next start report the state says the old run ended,
    // but the session goes on with a relaunch: a stop then must end it rather than be lost. The
    // stop flag of the new run makes the runner end a tool that cannot be told yet.
    if (!IsActive() && !m_nSessionRunning && m_nRestartFlag != 100)
        return 0;
    m_nLastCommand = PLAYER_COMMAND_STOP;
    m_nRestartFlag = 0;
    return (int)SendCommand(PLAYER_COMMAND_STOP);
}

int CPlayerTool::PauseResume()
{
    if (!IsActive())
        return 0;
    m_nLastCommand = PLAYER_COMMAND_PAUSE;
    return (int)SendCommand(PLAYER_COMMAND_PAUSE);
}

int CPlayerTool::Seek(__int64 position, __int64 mode)
{
    return (int)SendCommand(PLAYER_COMMAND_SEEK, (int)(DWORD)position, (int)(position >> 32), (int)(DWORD)mode,
                            (int)(mode >> 32));
}

int CPlayerTool::GetZoom() { return m_nZoom; }

int CPlayerTool::SetZoom(int zoom)
{
    m_nZoom = zoom;
    return 0;
}

int CPlayerTool::GetPlaySpeed() { return m_nPlaySpeed; }

int CPlayerTool::SetPlaySpeed(int speed)
{
    m_nPlaySpeed = speed;
    return 0;
}

int CPlayerTool::GetState() { return m_nState; }
BOOL CPlayerTool::IsStarting() { return m_nState == PLAYER_STATE_STARTING; }
BOOL CPlayerTool::IsPlaying() { return m_nState == PLAYER_STATE_PLAYING; }
BOOL CPlayerTool::IsEnded() { return m_nState == PLAYER_STATE_ENDED; }
BOOL CPlayerTool::IsPaused() { return m_nState == PLAYER_STATE_PAUSED; }
BOOL CPlayerTool::IsStopped() { return m_nState == PLAYER_STATE_STOPPED; }

BOOL CPlayerTool::IsActive()
{
    int state = m_nState;
    return state == PLAYER_STATE_STARTING || state == PLAYER_STATE_PLAYING || state == PLAYER_STATE_PAUSED;
}

int CPlayerTool::GetMute() { return m_nMute; }

int CPlayerTool::SetMute(int on)
{
    m_nMute = on;
    return (int)SendCommand(PLAYER_COMMAND_MUTE, on);
}

int CPlayerTool::GetVolume() { return m_nVolume; }

int CPlayerTool::SetVolume(int volume)
{
    if (volume < 0)
        volume = 0;
    if (volume > 100)
        volume = 100;
    m_nVolume = volume;
    return (int)SendCommand(PLAYER_COMMAND_VOLUME, volume, 0);
}

int CPlayerTool::OnStateChanged() { return 1; }

// Status records --------------------------------------------------------------------------------------

bool CPlayerTool::DispatchCopyData(const COPYDATASTRUCT* data, LRESULT& result)
{
    if (!data || data->dwData != PLAYER_STATUS_ID || data->cbData != PLAYER_STATUS_SIZE || !data->lpData)
        return false;
    // The context comes from another process: it is only compared, never called through.
    __int64 context;
    memcpy(&context, (const BYTE*)data->lpData + offsetof(PlayerCommandRecord, Context), sizeof(context));
    if (context == 0 || context != GetContext())
        return false;
    result = OnCallback(data->lpData);
    return true;
}

int CPlayerTool::OnCallback(const void* record)
{
    if (!record)
        return -1;
    // A copy: the sender's buffer is only guaranteed while the message is being handled, and may be
    // misaligned.
    PlayerStatusRecord rec;
    memcpy(&rec, record, sizeof(rec));
    m_status = rec.Block;
    switch (rec.Head.Code) {
    case PLAYER_STATUS_OPENED:
        return OnMediaOpened(&m_status, rec.Head.Arg1);
    case PLAYER_STATUS_STARTED: {
        m_hToolWindow = (HWND)(UINT_PTR)(DWORD)rec.Head.ToolWindow;
        m_nStartValue1 = rec.Head.StartValue1;
        m_nStartValue2 = rec.Head.StartValue2;
        int result = OnPlaybackStarted(&m_status);
        // A stop or restart asked for before the tool could be told is told now.
        if (m_nLastCommand == PLAYER_COMMAND_STOP || m_nRestartFlag == 100)
            SendCommand(PLAYER_COMMAND_STOP);
        return result;
    }
    case PLAYER_STATUS_PROGRESS:
        return OnProgress(&m_status);
    case PLAYER_STATUS_PAUSE:
        return OnPauseChanged(&m_status, rec.Head.Arg1);
    case PLAYER_STATUS_ENDED:
        return OnEnded(&m_status);
    default:
        return -1;
    }
}

// Event sink defaults -----------------------------------------------------------------------------------

int CPlayerTool::OnSessionStart()
{
    ResetStatus();
    SetState(PLAYER_STATE_STARTING);
    return 0;
}

int CPlayerTool::OnSessionEnd()
{
    return OnEnded(&m_status);
}

int CPlayerTool::OnMediaOpened(const PlayerStatusBlock* block, int arg)
{
    if (arg != 1)
        return 0;
    if (block && block->VideoWidth > 0 && block->VideoHeight > 0 &&
        ((block->VideoWidth % 2) != 0 || (block->VideoHeight % 2) != 0))
        m_nZoom = 100;
    ZeroMemory(m_nMediaValues, sizeof(m_nMediaValues));
    return 0;
}

int CPlayerTool::OnPlaybackStarted(const PlayerStatusBlock*)
{
    SetState(PLAYER_STATE_PLAYING);
    return 0;
}

int CPlayerTool::OnProgress(const PlayerStatusBlock*)
{
    return m_nState != PLAYER_STATE_PLAYING ? 1 : 0;
}

int CPlayerTool::OnPauseChanged(const PlayerStatusBlock*, int paused)
{
    SetState(paused ? PLAYER_STATE_PAUSED : PLAYER_STATE_PLAYING);
    return 0;
}

int CPlayerTool::OnEnded(const PlayerStatusBlock*)
{
    SetState(m_nLastCommand == PLAYER_COMMAND_STOP ? PLAYER_STATE_STOPPED : PLAYER_STATE_ENDED);
    return 0;
}
