// The media player window and its sessions: the play thread, the driver's hooks on the window's
// thread and fitting the video.
#include "player/playback/MediaPlayerWnd.h"

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "player/app/PlayerMessages.h"
#include "player/app/PlayerWindows.h"
#include "player/app/SharedResources.h"
#include "player/settings/PlayerSettings.h"

namespace {

int EvenUp(int v)
{
    return v + v % 2;
}

}  // namespace

// Play thread ----------------------------------------------------------------------------------------

CMediaPlayThread::CMediaPlayThread(CMediaPlayerWnd* wnd) : m_pPlayWnd(wnd), m_hPlayWnd(nullptr)
{
    m_bAutoDelete = FALSE;
}

BOOL CMediaPlayThread::InitInstance()
{
    m_hPlayWnd = m_pPlayWnd->GetSafeHwnd();
    m_pPlayWnd->RunSession();
    return FALSE;
}

int CMediaPlayThread::ExitInstance()
{
    ::PostMessageW(m_hPlayWnd, WM_WORKER_DONE, 0, (LPARAM)this);
    return 0;
}

// Media player window -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMediaPlayerWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_WORKER_DONE, OnWorkerDone)
    ON_MESSAGE(WM_SESSION_SHOW, OnShowFromSession)
    ON_MESSAGE(WM_SESSION_BUSY, OnBusyFromSession)
END_MESSAGE_MAP()

CMediaPlayerWnd::CMediaPlayerWnd()
    : m_nVideoWidth(0),
      m_nVideoHeight(0),
      m_nAppliedWidth(0),
      m_nAppliedHeight(0),
      m_fAspect(0.0f),
      m_crBackground(RGB(0, 0, 0)),
      m_nClosing(0),
      m_pPlayThread(nullptr),
      m_dwWindowThread(0),
      m_nStopRequested(0),
      m_nReachedPlaying(0),
      m_nStopping(0),
      m_nStartPending(0)
{
    if (CPlayerSettings* s = GetPlayerSettings())
        m_nZoom = s->zoom;
}

CMediaPlayerWnd::~CMediaPlayerWnd()
{
    // A window destroyed with its object has stopped its session in WM_DESTROY already.
    delete m_pPlayThread;
}

BOOL CMediaPlayerWnd::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CWnd::Create(nullptr, nullptr, dwStyle | WS_CLIPCHILDREN, rect, pParentWnd, nID))
        return FALSE;
    CString tool;
    if (CSharedResources* shared = GetSharedResources())
        tool = shared->playToolPath;
    if (Init(tool, m_hWnd) != 0) {
        DestroyWindow();
        return FALSE;
    }
    // Refused only by a system that filters and will not let the records through; the tool's
    // reports then simply do not arrive, which the session survives.
    AllowCopyDataMessages();
    return TRUE;
}

int CMediaPlayerWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    m_dwWindowThread = GetCurrentThreadId();
    if (CPlayerSettings* s = GetPlayerSettings()) {
        m_nVolume = s->volume < 0 ? 0 : (s->volume > 100 ? 100 : s->volume);
        m_nMute = s->mute ? 1 : 0;
    }
    m_nWaveEffect = 20;
    m_nWaveBlockSize = 1;
    m_nWaveBlockSpace = 1;
    m_nWaveColor1 = 0x808080;
    m_nWaveColor2 = 0x808080;
    m_nWaveColor3 = 0x808080;
    return 0;
}

void CMediaPlayerWnd::OnDestroy()
{
    m_nClosing = 1;
    Stop();
    if (CPlayerSettings* s = GetPlayerSettings()) {
        s->zoom = GetZoom();
        s->volume = GetVolume();
        s->mute = GetMute();
    }
    CWnd::OnDestroy();
}

bool CMediaPlayerWnd::IsOnWindowThread() const
{
    return m_dwWindowThread == 0 || m_dwWindowThread == GetCurrentThreadId();
}

void CMediaPlayerWnd::ShowOnWindowThread(int show)
{
    if (IsOnWindowThread())
        ShowWindow(show);
    else
        ::PostMessageW(m_hWnd, WM_SESSION_SHOW, (WPARAM)show, 0);
}

LRESULT CMediaPlayerWnd::OnShowFromSession(WPARAM wParam, LPARAM)
{
    ShowWindow((int)wParam);
    return 0;
}

LRESULT CMediaPlayerWnd::OnBusyFromSession(WPARAM wParam, LPARAM)
{
    if (wParam)
        StartBusyAnimation();
    else
        StopBusyAnimation();
    return 0;
}

LRESULT CMediaPlayerWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        // Only a record whose context is this window's own driver is dispatched: the context is
        // compared, never used as a pointer, so no other process can make us call through it.
        LRESULT result = 0;
        if (!m_nClosing && DispatchCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam), result))
            return result;
        return DefWindowProc(message, wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CMediaPlayerWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0 && GetToolWindow())
        FitVideoWindow(0);
}

BOOL CMediaPlayerWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_crBackground);
    return TRUE;
}

int CMediaPlayerWnd::StartPlayThread()
{
    if (m_pPlayThread) {
        // Two tools never play into this window: the new one starts once the old one has ended.
        if (!m_nStopRequested)
            return -1;
        m_nStartPending = 1;
        return 0;
    }
    return LaunchPlayThread();
}

int CMediaPlayerWnd::LaunchPlayThread()
{
    m_nStartPending = 0;
    CMediaPlayThread* thread = new CMediaPlayThread(this);
    InterlockedExchange(&m_nStopRequested, 0);
    InterlockedExchange(&m_nReachedPlaying, 0);
    OnSessionLaunching();
    m_pPlayThread = thread;
    if (!thread->CreateThread(CREATE_SUSPENDED)) {
        m_pPlayThread = nullptr;
        delete thread;
        OnSessionGone();
        return -1;
    }
    thread->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    thread->ResumeThread();
    return 0;
}

LRESULT CMediaPlayerWnd::OnWorkerDone(WPARAM, LPARAM lParam)
{
    if (m_pPlayThread && lParam == (LPARAM)m_pPlayThread)
        OnSessionEnded();
    return 0;
}

void CMediaPlayerWnd::OnSessionEnded()
{
    if (!m_pPlayThread)
        return;
    WaitForSingleObject(m_pPlayThread->m_hThread, INFINITE);
    delete m_pPlayThread;
    m_pPlayThread = nullptr;
    // A stop asked of the session ends with it: records that come later are no session's.
    InterlockedExchange(&m_nStopRequested, 0);
    OnSessionGone();
    // A session that gave up before its end hook (nothing to play) leaves no state behind that
    // looks like a running playback.
    if (IsActive())
        SetState(m_nLastCommand == PLAYER_COMMAND_STOP ? PLAYER_STATE_STOPPED : PLAYER_STATE_ENDED);
    if (m_nStartPending && !m_nClosing && LaunchPlayThread() == 0)
        return;
    m_nStartPending = 0;
    // A session stopped before its tool ran never hid the window itself.
    if (m_hWnd)
        ShowWindow(SW_HIDE);
    if (CMainFrameLink* frame = GetPlayerWindows().frame)
        frame->UpdateTitle(nullptr);
}

__int64 CMediaPlayerWnd::GetDuration()
{
    if (m_status.DurationUs > 0)
        return m_status.DurationUs;
    CMediaItem* item = GetPlayingItem();
    if (item && item->MediaInfo.DurationInUs > 0)
        return item->MediaInfo.DurationInUs;
    return 0;
}

void CMediaPlayerWnd::GetVideoArea(RECT* rect)
{
    ::GetClientRect(m_hWnd, rect);
}

void CMediaPlayerWnd::FitVideoWindow(int)
{
    if (!m_hWnd || GetState() == PLAYER_STATE_IDLE)
        return;
    const PlayerStatusBlock& block = m_status;
    if (block.VideoWidth <= 0 || block.VideoHeight <= 0)
        return;
    // The tool names its video window when playback starts; before that it is our only child.
    HWND video = m_hToolWindow ? m_hToolWindow : ::GetWindow(m_hWnd, GW_CHILD);
    if (!video)
        return;

    RECT client;
    GetVideoArea(&client);
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    if (cw <= 0 || ch <= 0)
        return;
    m_nVideoWidth = block.VideoWidth;
    m_nVideoHeight = block.VideoHeight;
    m_fAspect = block.AspectDen > 0 ? (float)block.AspectNum / (float)block.AspectDen : 0.0f;
    int width = m_nVideoWidth, height = m_nVideoHeight;
    if (m_fAspect > 0.01f) {
        if (m_fAspect >= 1.0f)
            width = EvenUp((int)(height * m_fAspect));
        else
            height = EvenUp((int)(width / m_fAspect));
    }

    int w, h;
    const int zoom = GetZoom();
    if (zoom > 0) {
        w = (int)(width * zoom * 0.01);
        h = (int)(height * zoom * 0.01);
        if (cw < w || ch < h) {
            double r = (double)w / h;
            h = EvenUp((int)(cw / r));
            w = cw;
            if (h > ch) {
                w = EvenUp((int)(ch * r));
                h = ch;
            }
        }
    } else {
        double r = (double)width / height;
        h = (int)(cw / r + 0.5);
        w = cw;
        if (h > ch) {
            w = (int)(ch * r + 0.5);
            h = ch;
        }
        w &= ~1;
        h &= ~1;
    }

    int x = client.left + (cw - w) / 2;
    if (x < client.left)
        x = client.left;
    if (x + w > client.right)
        x = client.right - w;
    int y = client.top + (ch - h) / 2;
    if (y < client.top)
        y = client.top;
    if (y + h > client.bottom)
        y = client.bottom - h;
    ::SetWindowPos(video, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if (w != m_nAppliedWidth) {
        m_nAppliedWidth = w;
        m_nAppliedHeight = h;
    }
}

// Driver slots -----------------------------------------------------------------------------------

int CMediaPlayerWnd::RunSession()
{
    if (!m_pPlayThread)
        return 1;
    StartBusyAnimation();
    int result = CPlayerTool::RunSession();
    StopBusyAnimation();
    return result;
}

int CMediaPlayerWnd::RunOnce()
{
    if (!m_pPlayThread)
        return 1;
    StartBusyAnimation();
    int result = CPlayerTool::RunOnce();
    StopBusyAnimation();
    return result;
}

int CMediaPlayerWnd::RequestStop()
{
    if (!m_pPlayThread || m_nStopRequested)
        return 0;
    // The stop must hold whatever point the session is at: before the tool's start the driver
    // has nothing to tell, between two runs of a restart it is about to launch again. The flag
    // is the runner's stop flag and the session's start applies it once more after its reset.
    InterlockedExchange(&m_nStopRequested, 1);
    m_nLastCommand = PLAYER_COMMAND_STOP;
    int result = CPlayerTool::Stop();
    m_nRestartFlag = 0;
    StopBusyAnimation();
    SetState(PLAYER_STATE_STOPPED);
    OnStopRequested();
    return result;
}

int CMediaPlayerWnd::Stop()
{
    m_nStartPending = 0;
    if (!m_pPlayThread)
        return 0;
    int result = RequestStop();
    ++m_nStopping;
    while (m_pPlayThread && ::IsWindow(m_hWnd))
        PumpUntilMessage(m_hWnd, WM_WORKER_DONE);
    --m_nStopping;
    return result;
}

int CMediaPlayerWnd::PauseResume()
{
    return m_nStopRequested ? 0 : CPlayerTool::PauseResume();
}

int CMediaPlayerWnd::RestartAtCurrentPos()
{
    return m_nStopRequested ? -1 : CPlayerTool::RestartAtCurrentPos();
}

int CMediaPlayerWnd::SetZoom(int zoom)
{
    CPlayerTool::SetZoom(zoom);
    if (m_hWnd)
        FitVideoWindow(0);
    return 0;
}

int CMediaPlayerWnd::OnSessionStart()
{
    int result = IsWindingDown() ? 1 : CPlayerTool::OnSessionStart();
    if (m_nStopRequested) {
        // Asked to stop while the reset above ran: the stop flag and the stopped look stay.
        m_nLastCommand = PLAYER_COMMAND_STOP;
        m_nState = PLAYER_STATE_STOPPED;
    }
    if (IsWindingDown()) {
        StopBusyAnimation();
        return 1;
    }
    if (result)
        return result;
    ShowOnWindowThread(SW_SHOW);
    return 0;
}

int CMediaPlayerWnd::OnSessionEnd()
{
    int result = CPlayerTool::OnSessionEnd();
    if (result)
        return result;
    ShowOnWindowThread(SW_HIDE);
    return 0;
}

int CMediaPlayerWnd::OnMediaOpened(const PlayerStatusBlock* block, int arg)
{
    StopBusyAnimation();
    if (IsWindingDown())
        return 1;
    int result = CPlayerTool::OnMediaOpened(block, arg);
    if (result)
        return result;
    if (arg == 1)
        FitVideoWindow(0);
    return 0;
}

int CMediaPlayerWnd::OnPlaybackStarted(const PlayerStatusBlock* block)
{
    StopBusyAnimation();
    if (IsWindingDown())
        return 1;
    int result = CPlayerTool::OnPlaybackStarted(block);
    if (result)
        return result;
    InterlockedExchange(&m_nReachedPlaying, 1);
    // The tool names its video window only now.
    FitVideoWindow(0);
    return 0;
}

int CMediaPlayerWnd::OnProgress(const PlayerStatusBlock* block)
{
    if (IsWindingDown())
        return 1;
    return CPlayerTool::OnProgress(block);
}

int CMediaPlayerWnd::OnPauseChanged(const PlayerStatusBlock* block, int paused)
{
    if (IsWindingDown())
        return 1;
    return CPlayerTool::OnPauseChanged(block, paused);
}

int CMediaPlayerWnd::OnEnded(const PlayerStatusBlock* block)
{
    if (IsWindingDown()) {
        StopBusyAnimation();
        return 1;
    }
    return CPlayerTool::OnEnded(block);
}
