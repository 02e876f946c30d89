// The play window: the child window in which the playback tool shows its video, which is at the
// same time the tool's driver; the session of one played item on its own thread; playing the
// playlist's items with their streams, filters and start positions; the busy animation, the
// control-bar updates and what follows the end of an item.
#pragma once

#include "engine/PlayerTool.h"
#include "framework/ImageList.h"
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

class CPlaylistPlayerWnd : public CMediaPlayerWnd {
public:
    CPlaylistPlayerWnd();

    // Host 1 the play view, 2 the playlist's item window.
    virtual void AttachToView(int host);
    // Ends the running session and plays the item (host 0 keeps the view it is in): 0, or -1 for
    // no item, a missing file or a thread that cannot start.
    virtual int PlayMediaItem(CMediaItem* item, int host);
    // Shows the host's view and resumes a paused session: 0, -1 without a current item.
    virtual int Resume();
    // Ends the session, keeping the position when "RememberLastPos" is on (or, with 'closing', when
    // "ResumeInterrupted" is on). 'byUser' marks the user's Stop, after which the after-playback
    // steps run; every other stop is internal and ends the session only.
    virtual int StopAndRemember(int closing, int byUser = 0);
    // The tool again at the current position with the item's current filters, speed and streams;
    // -1 without a current item or session.
    virtual int RestartPlayback();

    int PrepareParams() override;

    CMediaItem* GetCurrentItem() const { return m_pCurrentItem; }
    int GetHost() const { return m_nHost; }

    CMediaItem* m_pCurrentItem;
    int m_nResumeOnce;
    int m_nHost;

protected:
    CMediaItem* GetPlayingItem() override { return m_pCurrentItem; }
    // Kind of the stop being waited for: 0 internal, 1 the user's.
    int m_nStopByUser;
};

class CPlayWnd : public CPlaylistPlayerWnd {
public:
    CPlayWnd();

    void StartBusyAnimation() override;
    void StopBusyAnimation() override;
    void OnSessionEnded() override;

    int OnPlaybackStarted(const PlayerStatusBlock* block) override;
    int OnProgress(const PlayerStatusBlock* block) override;
    int OnPauseChanged(const PlayerStatusBlock* block, int paused) override;
    int OnEnded(const PlayerStatusBlock* block) override;

    int GetBusyState() const { return m_nBusyState; }

    CImageList m_imageList;
    int m_nBusyState;
    int m_nAnimating;

protected:
    // What follows a session that ended by itself or by the user's Stop.
    void RunAfterPlaybackSteps();
    void ShowEndedState();

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnEndedFromSession(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};
