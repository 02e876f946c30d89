// The play window: the busy dots, the control-bar updates and the end-of-item rules.
#include "player/playback/PlayWnd.h"

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/ImageStrip.h"
#include "player/app/PlayerMessages.h"
#include "player/app/PlayerResource.h"
#include "player/app/PlayerWindows.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/settings/PlayerSettings.h"

namespace {

const UINT_PTR kBusyTimer = 100;
const UINT kBusyTickMs = 200;

}  // namespace

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
    LoadImageStrip(m_imageList, IDB_PLAY_WINDOW_DOTS, 16, 16, ILC_COLOR32 | ILC_MASK, 0, 2, IMAGE_STRIP_MASK);
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
    if (CMediaItem* item = GetPlayingItem()) {
        // A file the tool could not open before plays now.
        item->ChangeStateFlags(0, MEDIA_STATE_UNPLAYABLE);
        if (windows.itemWnd)
            windows.itemWnd->InvalidateMediaItem(item);
        if (CPlayerSettings* s = GetPlayerSettings())
            s->AddRecentFile(item->Path);
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
    if (GetPlayingItem() && windows.itemWnd)
        windows.itemWnd->InvalidateMediaItem(GetPlayingItem());
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
    // Only a session that ended by itself reports its end: its item is still the current one.
    if (m_pCurrentItem && windows.itemWnd)
        windows.itemWnd->InvalidateMediaItem(m_pCurrentItem);
}

void CPlayWnd::OnStopRequested()
{
    CMediaItem* item = GetPlayingItem();
    CPlaylistPlayerWnd::OnStopRequested();
    CPlayerWindows& windows = GetPlayerWindows();
    if (m_nClosing)
        return;
    if (windows.controlBar) {
        windows.controlBar->SetPlayState(GetState());
        windows.controlBar->SetPosition(0, TRUE);
    }
    if (item && windows.itemWnd)
        windows.itemWnd->InvalidateMediaItem(item);
}

void CPlayWnd::OnSessionEnded()
{
    if (!m_pPlayThread)
        return;
    const bool stopped = m_nStopRequested != 0;
    const bool byUser = m_nStopByUser != 0;
    const bool reached = ReachedPlaying();
    const bool pending = m_nStartPending != 0;
    m_nStopByUser = 0;
    CPlaylistPlayerWnd::OnSessionEnded();

    if (stopped || m_nStopping) {
        // Another item chosen (it has started now), the item deleted or replaced, a playlist
        // opened, the program closing: the session only ends. The user's Stop takes the
        // after-playback steps.
        if (byUser && !pending)
            RunAfterPlaybackSteps();
        return;
    }
    if (!reached) {
        OnItemNotPlayed();
        return;
    }
    if (IsEnded()) {
        if (CMediaItem* next = FindPlayableItem(true)) {
            PlayMediaItem(next, 0);
            return;
        }
    }
    RunAfterPlaybackSteps();
}

void CPlayWnd::OnItemNotPlayed()
{
    CString text;
    if (!IsExistingFile(GetPath())) {
        // No file is to blame, and no other would play either.
        text.Format(L"Cannot find the playback tool:\n%s", GetPath().GetString());
        AfxMessageBox(text);
        if (CMainFrameLink* frame = GetPlayerWindows().frame)
            frame->ShowPlaylistView();
        return;
    }
    // The tool could not open the file. Marked, it is passed over from now on: the list goes on
    // with the items that play, and one where none plays comes to an end (under "Repeat" the
    // broken item would otherwise be started again without end).
    CMediaItem* item = m_pCurrentItem;
    if (!item)
        return;
    item->ChangeStateFlags(MEDIA_STATE_UNPLAYABLE);
    if (CMediaPlaylistLink* list = GetPlayerWindows().itemWnd)
        list->InvalidateMediaItem(item);
    if (CMediaItem* next = FindPlayableItem(true)) {
        PlayMediaItem(next, 0);
        return;
    }
    // Nothing took place that the after-playback steps could follow.
    text.Format(L"\"%s\"\n\nis not a valid video or audio file.", item->Path.GetString());
    AfxMessageBox(text);
    if (CMainFrameLink* frame = GetPlayerWindows().frame)
        frame->ShowPlaylistView();
}

void CPlayWnd::RunAfterPlaybackSteps()
{
    CPlayerSettings* s = GetPlayerSettings();
    CMainFrameLink* frame = GetPlayerWindows().frame;
    if (s && s->shutdownAfterPlayback) {
        // The power-off is forced: Windows ends this program without asking it first, so what
        // its close would keep is kept now. A playlist that cannot be kept holds the power-off,
        // which would lose its last change: the user hears why, with the list still open.
        DWORD error = 0;
        CMediaPlaylistView* view = GetPlayerWindows().playlistView;
        const bool kept = !view || view->SaveDefaultPlaylist(&error) >= 0;
        s->SaveSettings();
        if (kept) {
            PowerOffComputer();
            return;
        }
        CMediaPlaylistView::TellSaveFailed(s->GetDefaultPlaylistPath(), error, L"The computer was not shut down.");
        if (frame)
            frame->ShowPlaylistView();
    } else if (s && s->autoCloseWindow) {
        if (frame && frame->GetFrameWnd())
            frame->GetFrameWnd()->PostMessage(WM_CLOSE);
    } else if (frame) {
        frame->ShowPlaylistView();
    }
}
