// The playback tool driver: the tool's command line, one playback session with restarts, the
// play state, the command records sent to the tool and the status records it sends back.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "engine/PlayParams.h"
#include "engine/ToolProcess.h"
#include "framework/String.h"

// WM_COPYDATA records of the playback tool: COPYDATASTRUCT::dwData and cbData.
const ULONG_PTR PLAYER_STATUS_ID = 1020;
const ULONG_PTR PLAYER_COMMAND_ID = 1021;
const DWORD PLAYER_COMMAND_SIZE = 1080;
const DWORD PLAYER_STATUS_SIZE = 1640;

// Status codes (tool to player).
const int PLAYER_STATUS_OPENED = 20;
const int PLAYER_STATUS_STARTED = 21;
const int PLAYER_STATUS_PROGRESS = 22;
const int PLAYER_STATUS_PAUSE = 23;
const int PLAYER_STATUS_ENDED = 24;

// Command codes (player to tool).
const int PLAYER_COMMAND_PAUSE = 1;
const int PLAYER_COMMAND_STOP = 2;
const int PLAYER_COMMAND_SEEK = 10;
const int PLAYER_COMMAND_MUTE = 30;
const int PLAYER_COMMAND_VOLUME = 31;

// Play states.
const int PLAYER_STATE_IDLE = 0;
const int PLAYER_STATE_STARTING = 1;
const int PLAYER_STATE_PLAYING = 2;
const int PLAYER_STATE_PAUSED = 3;
const int PLAYER_STATE_STOPPED = 4;
const int PLAYER_STATE_ENDED = 5;

// The head shared by command and status records. Handles travel as 32-bit values with the upper
// half 0; the context is the driver's address sign-extended, as on the tool's command line.
struct PlayerCommandRecord {
    __int64 PlayWindow;
    __int64 Context;
    __int64 ToolWindow;
    int StartValue1;
    int StartValue2;
    int Code;
    int Reserved;
    int Arg1;
    int Arg2;
    int Arg3;
    int Arg4;
    char Text[1024];
};
static_assert(sizeof(PlayerCommandRecord) == PLAYER_COMMAND_SIZE, "command record size");
static_assert(offsetof(PlayerCommandRecord, Context) == 8, "context offset");
static_assert(offsetof(PlayerCommandRecord, ToolWindow) == 16, "tool window offset");
static_assert(offsetof(PlayerCommandRecord, StartValue1) == 24, "start value offset");
static_assert(offsetof(PlayerCommandRecord, Code) == 32, "code offset");
static_assert(offsetof(PlayerCommandRecord, Arg1) == 40, "argument offset");
static_assert(offsetof(PlayerCommandRecord, Text) == 56, "text offset");

// The tool's state as of its last status record; the fields the programs read are named, the rest
// is kept whole.
struct PlayerStatusBlock {
    BYTE Reserved0[96];
    __int64 DurationUs;
    BYTE Reserved1[116];
    int VideoWidth;
    int VideoHeight;
    int AspectNum;
    int AspectDen;
    BYTE Reserved2[308];
    __int64 PositionUs;
    BYTE Reserved3[8];
};
static_assert(sizeof(PlayerStatusBlock) == 560, "status block size");
static_assert(offsetof(PlayerStatusBlock, DurationUs) == 96, "duration offset");
static_assert(offsetof(PlayerStatusBlock, VideoWidth) == 220, "video width offset");
static_assert(offsetof(PlayerStatusBlock, AspectNum) == 228, "aspect offset");
static_assert(offsetof(PlayerStatusBlock, PositionUs) == 544, "position offset");

struct PlayerStatusRecord {
    PlayerCommandRecord Head;
    PlayerStatusBlock Block;
};
static_assert(sizeof(PlayerStatusRecord) == PLAYER_STATUS_SIZE, "status record size");
static_assert(offsetof(PlayerStatusRecord, Block) == 1080, "status block offset");

// The driver settings and the launch of one tool run.
class CPlayerToolBase : public CToolProcessBase {
public:
    CPlayerToolBase();
    ~CPlayerToolBase() override {}

    // 0, or -1 when the tool path is refused.
    virtual int Init(LPCWSTR toolPath, HWND playWindow);
    // Builds the arguments, adds the play window and the context and runs the tool in the input's
    // folder: Run's result, or -1 when the arguments cannot be built.
    virtual int Launch(CPlayParams& params, const volatile int* stopFlag);
    // The tool's argument list, without the play window and the context. 0.
    virtual int BuildArgs(CString& out, CPlayParams& params);

    // The command line Launch runs for these parameters.
    CString MakeLaunchCommand(CPlayParams& params);
    // The value handed to the tool as "-callback_context", which its records carry back.
    __int64 GetContext() const { return (__int64)(INT_PTR)this; }

    int m_nThreadCount;
    int m_nInputBuffer;
    int m_nFrameDrop;
    int m_nSeekToAny;
    CString m_strVideoDriver;
    CString m_strAudioDriver;
    int m_nMute;
    int m_nVolume;
    int m_nWaveEffect;
    int m_nWaveBlockSize;
    int m_nWaveBlockSpace;
    int m_nWaveGradient;
    int m_nWaveColor1;
    int m_nWaveColor2;
    int m_nWaveColor3;
    HWND m_hPlayWindow;
    // Known from the tool's "playback started" record until its run ends.
    HWND m_hToolWindow;
    int m_nStartValue1;
    int m_nStartValue2;

private:
    CPlayerToolBase(const CPlayerToolBase&) = delete;
    CPlayerToolBase& operator=(const CPlayerToolBase&) = delete;
};

// What the driver does with the tool's reports; the play window overrides these and calls the
// driver's own versions. All but the session start and end run on the play window's thread.
class CPlayerEventSink {
public:
    virtual int OnSessionStart() = 0;
    virtual int OnSessionEnd() = 0;
    virtual int OnMediaOpened(const PlayerStatusBlock* block, int arg) = 0;
    virtual int OnPlaybackStarted(const PlayerStatusBlock* block) = 0;
    virtual int OnProgress(const PlayerStatusBlock* block) = 0;
    virtual int OnPauseChanged(const PlayerStatusBlock* block, int paused) = 0;
    virtual int OnEnded(const PlayerStatusBlock* block) = 0;

protected:
    ~CPlayerEventSink() {}
};

class CPlayerTool : public CPlayerToolBase, public CPlayerEventSink {
public:
    CPlayerTool();
    ~CPlayerTool() override {}

    // State idle, no command, no tool window, status block zeroed.
    virtual int ResetStatus();
    // Session start, then runs the tool, again from the current position after each
    // RestartAtCurrentPos, until a run ends otherwise; session end. The last run's result, or -1
    // when the parameters cannot be prepared. Blocks for the whole playback.
    virtual int RunSession();
    // Stops the running tool so that RunSession starts it again from the current position; -1
    // when nothing plays.
    virtual int RestartAtCurrentPos();
    // Called before each run: a pending restart position becomes the start. 0, or -1 to give up.
    virtual int PrepareParams();
    // One run between a session start and end; its result.
    virtual int RunOnce();
    // While a session runs (also between the runs of a restart, while the state still says the
    // last run ended) the last command becomes stop and the tool is asked to stop: the tool's
    // reply, or -1 when it cannot be told yet. Else 0.
    virtual int Stop();
    // While active: the last command becomes pause and the tool is told; else 0.
    virtual int PauseResume();
    // mode 0: an absolute position in microseconds; 1: an offset from the current one.
    virtual int Seek(__int64 position, __int64 mode);
    virtual int GetZoom();
    virtual int SetZoom(int zoom);
    virtual int GetPlaySpeed();
    virtual int SetPlaySpeed(int speed);
    virtual int GetState();
    virtual BOOL IsStarting();
    virtual BOOL IsPlaying();
    virtual BOOL IsEnded();
    virtual BOOL IsPaused();
    virtual BOOL IsStopped();
    virtual BOOL IsActive();
    virtual int GetMute();
    virtual int SetMute(int on);
    virtual int GetVolume();
    // Clamped to 0..100.
    virtual int SetVolume(int volume);
    // Called after every change of the play state. 1.
    virtual int OnStateChanged();
    // One status record's payload (PLAYER_STATUS_SIZE bytes): its block is stored and the event
    // for its code called; that event's result, or -1 for a null payload or an unknown code.
    virtual int OnCallback(const void* record);

    int OnSessionStart() override;
    int OnSessionEnd() override;
    int OnMediaOpened(const PlayerStatusBlock* block, int arg) override;
    int OnPlaybackStarted(const PlayerStatusBlock* block) override;
    int OnProgress(const PlayerStatusBlock* block) override;
    int OnPauseChanged(const PlayerStatusBlock* block, int paused) override;
    int OnEnded(const PlayerStatusBlock* block) override;

    // The play window's WM_COPYDATA: true (with OnCallback's result) when the data is a status
    // record whose context names this driver; false when it belongs to the default handling.
    bool DispatchCopyData(const COPYDATASTRUCT* data, LRESULT& result);
    // Sends one command record to the tool window: the tool's reply, or -1 while that window is
    // not known. 'text' (narrow, may be null) is cut to 1023 bytes.
    LRESULT SendCommand(int code, int arg1 = 0, int arg2 = 0, int arg3 = 0, int arg4 = 0,
                        const char* text = nullptr);

    const PlayerStatusBlock& GetStatusBlock() const { return m_status; }
    int GetLastCommand() const { return m_nLastCommand; }
    int GetRestartFlag() const { return m_nRestartFlag; }
    __int64 GetPendingRestartPos() const { return m_nRestartPosUs; }

    CPlayParams m_params;

protected:
    void SetState(int state);
    // The tool of a run that has ended (or not begun) can no longer be told anything.
    void ForgetToolWindow();

    PlayerStatusBlock m_status;
    int m_nMediaValues[4];
    int m_nZoom;
    int m_nPlaySpeed;
    volatile int m_nState;
    // The stop flag of the running tool.
    volatile int m_nLastCommand;
    // 100 while a restart is pending.
    volatile int m_nRestartFlag;
    __int64 m_nRestartPosUs;
    // 1 from the start of RunSession or RunOnce to its return.
    volatile int m_nSessionRunning;

private:
    class CSessionScope;
};
