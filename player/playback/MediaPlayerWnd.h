// The media player window: the child window in which the playback tool shows its video, which is
// at the same time the tool's driver, and the session of one played item on its own thread.
#pragma once

#include "engine/PlayerTool.h"
#include "framework/Thread.h"
#include "framework/Wnd.h"

class CMediaItem;
class CMediaPlayerWnd;

// One playback session: the thread runs the driver's session through the window and tells the
// window its end with WM_WORKER_DONE. The window deletes it.
class CMediaPlayThread : public CWinThread {
public:
    explicit CMediaPlayThread(CMediaPlayerWnd* wnd);
    BOOL InitInstance() override;
    int ExitInstance() override;

    CMediaPlayerWnd* m_pPlayWnd;
    HWND m_hPlayWnd;
};

class CMediaPlayerWnd : public CWnd, public CPlayerTool {
public:
    CMediaPlayerWnd();
    ~CMediaPlayerWnd() override;

    // The window (always WS_CLIPCHILDREN), the driver bound to it with the playback tool of the
    // shared resources, WM_COPYDATA let through the message filter. FALSE when a step fails.
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // WM_WORKER_DONE: the play thread is joined and deleted.
    virtual void OnSessionEnded();
    // Microseconds: the tool's report when above 0, else the current item's probed duration.
    virtual __int64 GetDuration();
    // A new session: at once, or, while the last one is still being stopped, as soon as that one
    // has ended (a later call before then only confirms it). 0, or -1 when no thread can start.
    virtual int StartPlayThread();
    virtual void StartBusyAnimation() {}
    virtual void StopBusyAnimation() {}
    virtual void GetVideoArea(RECT* rect);
    // Places the tool's video window in the client area by the reported size, aspect and zoom.
    virtual void FitVideoWindow(int reserved);

    // Asks the running session to stop and returns at once: the tool is told (or, before it can
    // be, the runner's stop flag ends it), the session shows as stopped and its tool's reports
    // change nothing any more. Its end arrives as WM_WORKER_DONE. 0 without a running session.
    int RequestStop();

    // Driver slots.
    int RunSession() override;
    int RunOnce() override;
    // With a session: a start that waits for it is dropped, the session is asked to stop and this
    // window's messages are pumped until it has ended (the window's destruction needs that).
    // Nothing without one.
    int Stop() override;
    // Neither reaches a session that was asked to stop: its stop flag must stay what it is.
    int PauseResume() override;
    int RestartAtCurrentPos() override;
    int SetZoom(int zoom) override;
    int OnSessionStart() override;
    int OnSessionEnd() override;
    int OnMediaOpened(const PlayerStatusBlock* block, int arg) override;
    int OnPlaybackStarted(const PlayerStatusBlock* block) override;
    int OnProgress(const PlayerStatusBlock* block) override;
    int OnPauseChanged(const PlayerStatusBlock* block, int paused) override;
    int OnEnded(const PlayerStatusBlock* block) override;

    // True from StartPlayThread until the session is asked to stop or has ended, and while a
    // start waits for a stopping session to end.
    bool HasSession() const { return (m_pPlayThread && !m_nStopRequested) || m_nStartPending; }
    // True while a stopped session's tool is still ending.
    bool IsStopPending() const { return m_pPlayThread && m_nStopRequested; }
    // True when the session in progress reached playing at least once.
    bool ReachedPlaying() const { return m_nReachedPlaying != 0; }
    HWND GetToolWindow() const { return m_hToolWindow; }
    // The size the video window was last given.
    SIZE GetAppliedVideoSize() const { return {m_nAppliedWidth, m_nAppliedHeight}; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int m_nVideoWidth;
    int m_nVideoHeight;
    int m_nAppliedWidth;
    int m_nAppliedHeight;
    float m_fAspect;
    COLORREF m_crBackground;
    int m_nClosing;
    CMediaPlayThread* m_pPlayThread;

protected:
    // The item of the running session of a playlist player; null here.
    virtual CMediaItem* GetPlayingItem() { return nullptr; }
    // A session is about to start (before its thread runs): the playlist player binds its item.
    virtual void OnSessionLaunching() {}
    // The running session was asked to stop (on the window's thread): from here on its thread
    // must touch nothing the window may let go of.
    virtual void OnStopRequested() {}
    // A session's thread has ended and been deleted.
    virtual void OnSessionGone() {}
    // Closing, or the session was asked to stop: the tool's reports change nothing any more.
    bool IsWindingDown() const { return m_nClosing || m_nStopRequested; }
    int LaunchPlayThread();
    bool IsOnWindowThread() const;
    // Runs on the window's thread: directly there, posted from the play thread.
    void ShowOnWindowThread(int show);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnWorkerDone(WPARAM, LPARAM);
    LRESULT OnShowFromSession(WPARAM, LPARAM);
    LRESULT OnBusyFromSession(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    DWORD m_dwWindowThread;
    volatile LONG m_nStopRequested;
    volatile LONG m_nReachedPlaying;
    // Set while Stop waits for the session's end.
    int m_nStopping;
    // A session is to start once the stopping one has ended.
    int m_nStartPending;
};
