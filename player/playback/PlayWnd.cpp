// The play window and its sessions: the play thread, the driver's hooks on the window's thread,
// preparing an item's parameters, fitting the video, the busy dots and the end-of-item rules.
#include "player/playback/PlayWnd.h"

#include <shlwapi.h>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Frame.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/playback/PlayView.h"
#include "player/app/PlayerResource.h"
#include "player/settings/PlayerSettings.h"
#include "player/app/PlayerWindows.h"
#include "player/app/SharedResources.h"

namespace {

// Hooks that run on the play thread hand their window work over with these.
const UINT WM_SESSION_SHOW = WM_USER + 940;   // wParam SW_SHOW or SW_HIDE
const UINT WM_SESSION_BUSY = WM_USER + 941;   // wParam 1 start, 0 stop
const UINT WM_SESSION_ENDED = WM_USER + 942;  // the control bar shows the end

const UINT_PTR kBusyTimer = 100;
const UINT kBusyTickMs = 200;

CPlayerSettings* Settings()
{
    return GetPlayerSettings();
}

bool IsMissingFile(const CMediaItem& item)
{
    if (item.IsUrl() || PathIsURLW(item.Path))
        return false;
    DWORD attributes = GetFileAttributesW(item.Path);
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The stream of one kind the tool is to play: its index in the file plus 1, -1 automatic, -2 off.
int ChooseStream(const CMediaStreamList& streams, int selection)
{
    if (selection == MEDIA_SELECT_NONE)
        return -2;
    if (selection >= 0 && selection < streams.GetSize())
        return streams[selection]->StreamIndex + 1;
    return -1;
}

int RotationDegrees(int rotate)
{
    switch (rotate) {
    case 1:
        return 90;
    case 2:
        return 180;
    case 3:
        return 270;
    case 90:
    case 180:
    case 270:
        return rotate;
    default:
        return 0;
    }
}

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
      m_nStopping(0)
{
    if (CPlayerSettings* s = Settings())
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
    if (CPlayerSettings* s = Settings()) {
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
    if (CPlayerSettings* s = Settings()) {
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
    CMediaPlayThread* thread = new CMediaPlayThread(this);
    InterlockedExchange(&m_nStopRequested, 0);
    InterlockedExchange(&m_nReachedPlaying, 0);
    m_pPlayThread = thread;
    if (!thread->CreateThread(CREATE_SUSPENDED)) {
        m_pPlayThread = nullptr;
        delete thread;
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
    // A session that gave up before its end hook (nothing to play) leaves no state behind that
    // looks like a running playback.
    if (IsActive())
        SetState(m_nLastCommand == PLAYER_COMMAND_STOP ? PLAYER_STATE_STOPPED : PLAYER_STATE_ENDED);
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

int CMediaPlayerWnd::Stop()
{
    if (!m_pPlayThread)
        return 0;
    // The stop must hold whatever point the session is at: before the tool's start the driver
    // has nothing to tell, between two runs of a restart it is about to launch again. The flag
    // is the runner's stop flag and the session's start applies it once more after its reset.
    InterlockedExchange(&m_nStopRequested, 1);
    m_nLastCommand = PLAYER_COMMAND_STOP;
    int result = CPlayerTool::Stop();
    m_nRestartFlag = 0;
    ++m_nStopping;
    while (m_pPlayThread && ::IsWindow(m_hWnd))
        PumpUntilMessage(m_hWnd, WM_WORKER_DONE);
    --m_nStopping;
    return result;
}

int CMediaPlayerWnd::SetZoom(int zoom)
{
    CPlayerTool::SetZoom(zoom);
    if (m_hWnd)
        FitVideoWindow(0);
    return 0;
}

int CMediaPlayerWnd::OnStateChanged()
{
    if (CMediaItem* item = GetPlayingItem())
        item->SetPlayState(GetState());
    return 1;
}

int CMediaPlayerWnd::OnSessionStart()
{
    int result = m_nClosing ? 1 : CPlayerTool::OnSessionStart();
    if (m_nStopRequested)
        m_nLastCommand = PLAYER_COMMAND_STOP;
    if (m_nClosing) {
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
    if (m_nClosing)
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
    if (m_nClosing)
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
    if (m_nClosing)
        return 1;
    return CPlayerTool::OnProgress(block);
}

int CMediaPlayerWnd::OnPauseChanged(const PlayerStatusBlock* block, int paused)
{
    if (m_nClosing)
        return 1;
    return CPlayerTool::OnPauseChanged(block, paused);
}

int CMediaPlayerWnd::OnEnded(const PlayerStatusBlock* block)
{
    if (m_nClosing) {
        StopBusyAnimation();
        return 1;
    }
    return CPlayerTool::OnEnded(block);
}

// Playlist player ---------------------------------------------------------------------------------

CPlaylistPlayerWnd::CPlaylistPlayerWnd()
    : m_pCurrentItem(nullptr), m_nResumeOnce(0), m_nHost(PLAYER_HOST_PLAY_VIEW), m_nStopByUser(0)
{
    if (CPlayerSettings* s = Settings())
        m_nResumeOnce = s->resumeInterrupted ? 1 : 0;
}

void CPlaylistPlayerWnd::AttachToView(int host)
{
    CPlayerWindows& windows = GetPlayerWindows();
    if (!windows.playView || !windows.itemWnd || !m_hWnd)
        return;
    m_nHost = host;
    if (host == PLAYER_HOST_PLAYLIST) {
        CWnd* list = windows.itemWnd->GetListWindow();
        if (!list || !list->m_hWnd)
            return;
        SetParent(list);
        SetOwner(list);
        windows.itemWnd->RelayoutList();
    } else {
        SetParent(windows.playView);
        SetOwner(windows.playView);
        windows.playView->LayoutPlayWindow();
    }
}

int CPlaylistPlayerWnd::PlayMediaItem(CMediaItem* item, int host)
{
    if (!item)
        return -1;
    CPlayerWindows& windows = GetPlayerWindows();
    if (IsMissingFile(*item)) {
        AfxMessageBox(L"File does not exist.");
        item->ChangeStateFlags(MEDIA_STATE_FILE_MISSING);
        if (windows.itemWnd)
            windows.itemWnd->InvalidateMediaItem(item);
        return -1;
    }
    item->ChangeStateFlags(0, MEDIA_STATE_FILE_MISSING);
    StopAndRemember(0);
    m_pCurrentItem = item;
    if (StartPlayThread() != 0) {
        m_pCurrentItem = nullptr;
        return -1;
    }
    if (host != 0)
        AttachToView(host);
    // The calls below may reach back into this window (the frame's view switch); they see the
    // new session.
    if (m_nHost == PLAYER_HOST_PLAYLIST) {
        if (windows.itemWnd)
            windows.itemWnd->EnsureMediaItemVisible(item);
        if (windows.frame)
            windows.frame->ShowPlaylistView();
    } else if (windows.frame) {
        windows.frame->ShowPlayView();
    }
    if (windows.frame)
        windows.frame->UpdateTitle(item);
    return 0;
}

int CPlaylistPlayerWnd::Resume()
{
    if (!m_pCurrentItem)
        return -1;
    CPlayerWindows& windows = GetPlayerWindows();
    if (windows.frame) {
        // Only the view changes here: the frame's ShowPlayView resumes through this function.
        if (m_nHost == PLAYER_HOST_PLAYLIST)
            windows.frame->ShowPlaylistView();
        else
            windows.frame->ActivatePlayView();
    }
    // The driver's command toggles: it is sent only to a paused tool, which it resumes.
    if (IsPaused())
        PauseResume();
    return 0;
}

int CPlaylistPlayerWnd::StopAndRemember(int closing, int byUser)
{
    CMediaItem* item = m_pCurrentItem;
    if (item && HasSession()) {
        CPlayerSettings* s = Settings();
        bool keep = s && (s->rememberLastPos || (closing && s->resumeInterrupted));
        // A session that has ended stands at the end of the item, which is no place to resume.
        if (keep && IsActive())
            item->LastPositionInUs = m_status.PositionUs;
        m_nStopByUser = byUser ? 1 : 0;
        Stop();
        m_nStopByUser = 0;
    }
    if (item && !closing) {
        if (CMediaPlaylistLink* list = GetPlayerWindows().itemWnd)
            list->InvalidateMediaItem(item);
    }
    m_pCurrentItem = nullptr;
    return 0;
}

int CPlaylistPlayerWnd::RestartPlayback()
{
    if (!m_pCurrentItem || !HasSession())
        return -1;
    return RestartAtCurrentPos();
}

int CPlaylistPlayerWnd::PrepareParams()
{
    CMediaItem* item = m_pCurrentItem;
    if (!item)
        return -1;
    CPlayParams& p = m_params;
    p.Reset();
    p.InputPath = item->Path;

    const CMediaInfoRecord& info = item->MediaInfo;
    p.VideoStream = ChooseStream(info.VideoStreams, info.SelectedVideoStream);
    p.AudioStream = ChooseStream(info.AudioStreams, info.SelectedAudioStream);
    p.SubtitleStream = ChooseStream(info.SubtitleStreams, info.SelectedSubtitleStream);

    if (m_nRestartPosUs > 0) {
        p.StartMs = m_nRestartPosUs / 1000;
    } else {
        CPlayerSettings* s = Settings();
        if ((s && s->rememberLastPos) || m_nResumeOnce) {
            if (item->LastPositionInUs > 0)
                p.StartMs = item->LastPositionInUs / 1000;
            m_nResumeOnce = 0;
        }
    }
    m_nRestartPosUs = 0;
    item->LastPositionInUs = 0;

    p.Rotation = RotationDegrees(item->Rotate);
    p.FlipHorizontal = item->FlipH;
    p.FlipVertical = item->FlipV;
    p.Negate = item->Negate;
    p.Grayscale = item->Grayscale;
    p.OldPhoto = item->OldPhoto;
    p.Volume = item->Volume;

    SetPlaySpeed(item->PlaySpeed);
    p.PtsScale = 100;
    p.Tempo = 100;
    if (item->PlaySpeed == 50) {
        p.PtsScale = 200;
        p.Tempo = 50;
    } else if (item->PlaySpeed == 200) {
        p.PtsScale = 50;
        p.Tempo = 200;
    }
    return 0;
}

// Play window -----------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPlayWnd, CPlaylistPlayerWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_SESSION_ENDED, OnEndedFromSession)
END_MESSAGE_MAP()

CPlayWnd::CPlayWnd() : m_nBusyState(-1), m_nAnimating(0) {}

int CPlayWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CPlaylistPlayerWnd::OnCreate(lpcs) == -1)
        return -1;
    if (m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 2)) {
        CBitmap dots;
        if (dots.LoadBitmap(IDB_PLAY_WINDOW_DOTS))
            m_imageList.Add(&dots, RGB(255, 0, 255));
    }
    return 0;
}

void CPlayWnd::StartBusyAnimation()
{
    if (!IsOnWindowThread()) {
        ::PostMessageW(m_hWnd, WM_SESSION_BUSY, 1, 0);
        return;
    }
    if (m_nAnimating || !m_hWnd)
        return;
    m_nBusyState = 0;
    SetTimer(kBusyTimer, kBusyTickMs);
    m_nAnimating = 1;
    Invalidate();
}

void CPlayWnd::StopBusyAnimation()
{
    if (!IsOnWindowThread()) {
        ::PostMessageW(m_hWnd, WM_SESSION_BUSY, 0, 0);
        return;
    }
    if (!m_nAnimating)
        return;
    if (m_hWnd)
        KillTimer(kBusyTimer);
    m_nBusyState = -1;
    m_nAnimating = 0;
    if (m_hWnd)
        Invalidate();
}

void CPlayWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kBusyTimer) {
        CPlaylistPlayerWnd::OnTimer(nIDEvent);
        return;
    }
    m_nBusyState = (m_nBusyState + 1) % 3;
    Invalidate();
}

BOOL CPlayWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_crBackground);
    if (m_nBusyState != -1 && m_imageList.GetSafeHandle()) {
        int x = (rc.Width() - 80) / 2, y = (rc.Height() - 16) / 2;
        for (int i = 0; i < 3; ++i)
            m_imageList.Draw(pDC, i == m_nBusyState ? 1 : 0, CPoint(x + 32 * i, y), ILD_TRANSPARENT);
    }
    return TRUE;
}

int CPlayWnd::OnPlaybackStarted(const PlayerStatusBlock* block)
{
    int result = CPlaylistPlayerWnd::OnPlaybackStarted(block);
    if (result)
        return result;
    CPlayerWindows& windows = GetPlayerWindows();
    if (CPlaybackBarLink* bar = windows.controlBar) {
        bar->SetPlayState(GetState());
        bar->SetDuration(GetDuration());
        bar->SetPosition(0, TRUE);
        bar->RecalcBarLayout();
    }
    if (windows.playView && GetParent() == windows.playView)
        windows.playView->LayoutPlayWindow();
    if (m_pCurrentItem) {
        if (windows.itemWnd)
            windows.itemWnd->InvalidateMediaItem(m_pCurrentItem);
        if (CPlayerSettings* s = Settings())
            s->AddRecentFile(m_pCurrentItem->Path);
    }
    return 0;
}

int CPlayWnd::OnProgress(const PlayerStatusBlock* block)
{
    int result = CPlaylistPlayerWnd::OnProgress(block);
    if (result == 0) {
        if (CPlaybackBarLink* bar = GetPlayerWindows().controlBar)
            bar->SetPosition(m_status.PositionUs, TRUE);
    }
    return result;
}

int CPlayWnd::OnPauseChanged(const PlayerStatusBlock* block, int paused)
{
    int result = CPlaylistPlayerWnd::OnPauseChanged(block, paused);
    if (result)
        return result;
    CPlayerWindows& windows = GetPlayerWindows();
    if (windows.controlBar)
        windows.controlBar->SetPlayState(GetState());
    if (m_pCurrentItem && windows.itemWnd)
        windows.itemWnd->InvalidateMediaItem(m_pCurrentItem);
    return 0;
}

int CPlayWnd::OnEnded(const PlayerStatusBlock* block)
{
    int result = CPlaylistPlayerWnd::OnEnded(block);
    if (result)
        return result;
    // The session's last end report comes from the play thread.
    if (IsOnWindowThread())
        ShowEndedState();
    else
        ::PostMessageW(m_hWnd, WM_SESSION_ENDED, 0, 0);
    return 0;
}

LRESULT CPlayWnd::OnEndedFromSession(WPARAM, LPARAM)
{
    ShowEndedState();
    return 0;
}

void CPlayWnd::ShowEndedState()
{
    CPlayerWindows& windows = GetPlayerWindows();
    if (windows.controlBar) {
        windows.controlBar->SetPlayState(GetState());
        windows.controlBar->SetPosition(0, TRUE);
    }
    if (m_pCurrentItem && windows.itemWnd)
        windows.itemWnd->InvalidateMediaItem(m_pCurrentItem);
}

void CPlayWnd::OnSessionEnded()
{
    if (!m_pPlayThread)
        return;
    const bool stopped = m_nStopRequested != 0;
    const bool byUser = m_nStopByUser != 0;
    const bool reached = ReachedPlaying();
    CPlaylistPlayerWnd::OnSessionEnded();

    if (stopped || m_nStopping) {
        // Another item chosen, the item deleted or replaced, a playlist opened, the program
        // closing: the session only ends. The user's Stop takes the after-playback steps.
        if (byUser)
            RunAfterPlaybackSteps();
        return;
    }
    if (!reached) {
        // The tool never played (a file it cannot open, a tool that fails): nothing follows
        // from that, or a broken item under "Repeat" would be started again without end.
        if (CMainFrameLink* frame = GetPlayerWindows().frame)
            frame->ShowPlaylistView();
        return;
    }
    if (IsEnded()) {
        CMediaPlaylistLink* list = GetPlayerWindows().itemWnd;
        CPlayerSettings* s = Settings();
        CMediaItem* next = list ? list->GetNextItem(s ? s->repeat : 0) : nullptr;
        if (next) {
            PlayMediaItem(next, 0);
            return;
        }
    }
    RunAfterPlaybackSteps();
}

void CPlayWnd::RunAfterPlaybackSteps()
{
    CPlayerSettings* s = Settings();
    CMainFrameLink* frame = GetPlayerWindows().frame;
    if (s && s->shutdownAfterPlayback) {
        // The power-off is forced: Windows ends this program without asking it first, so what
        // its close would keep is kept now.
        if (CMediaPlaylistView* view = GetPlayerWindows().playlistView)
            view->SaveDefaultPlaylist();
        s->SaveSettings();
        PowerOffComputer();
    } else if (s && s->autoCloseWindow) {
        if (frame && frame->GetFrameWnd())
            frame->GetFrameWnd()->PostMessage(WM_CLOSE);
    } else if (frame) {
        frame->ShowPlaylistView();
    }
}
