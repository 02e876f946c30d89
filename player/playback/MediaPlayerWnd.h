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
    virtual int StartPlayThread();
    virtual void StartBusyAnimation() {}
    virtual void StopBusyAnimation() {}
    virtual void GetVideoArea(RECT* rect);
    // Places the tool's video window in the client area by the reported size, aspect and zoom.
    virtual void FitVideoWindow(int reserved);

    // Driver slots.
    int RunSession() override;
    int RunOnce() override;
    // With a session: the driver's stop, then this window's messages are pumped until the
    // session has ended. Nothing without one.
    int Stop() override;
    int SetZoom(int zoom) override;
    int OnStateChanged() override;
    int OnSessionStart() override;
    int OnSessionEnd() override;
    int OnMediaOpened(const PlayerStatusBlock* block, int arg) override;
    int OnPlaybackStarted(const PlayerStatusBlock* block) override;
    int OnProgress(const PlayerStatusBlock* block) override;
    int OnPauseChanged(const PlayerStatusBlock* block, int paused) override;
    int OnEnded(const PlayerStatusBlock* block) override;

    // True from StartPlayThread until the session's end has been handled.
    bool HasSession() const { return m_pPlayThread != nullptr; }
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
    // The current item of a playlist player; null here.
    virtual CMediaItem* GetPlayingItem() { return nullptr; }
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
};
