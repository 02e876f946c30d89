// The playlist player: playing the playlist's items with their streams, filters and start
// positions, and the hosts the play window moves between.
#include "player/playback/PlaylistPlayerWnd.h"

#include <shlwapi.h>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "player/app/PlayerWindows.h"
#include "player/playback/PlayView.h"
#include "player/settings/PlayerSettings.h"

namespace {

bool IsMissingFile(const CMediaItem& item)
{
    if (item.IsUrl() || PathIsURLW(item.Path))
        return false;
    return !IsExistingFile(item.Path);
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

}  // namespace

// Playlist player ---------------------------------------------------------------------------------

CPlaylistPlayerWnd::CPlaylistPlayerWnd()
    : m_pCurrentItem(nullptr), m_nResumeOnce(0), m_nHost(PLAYER_HOST_PLAY_VIEW), m_nStopByUser(0),
      m_pSessionItem(nullptr)
{
    if (CPlayerSettings* s = GetPlayerSettings())
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
        // Marked before it is said: the box lets messages in, and the playlist may delete the item.
        item->ChangeStateFlags(MEDIA_STATE_FILE_MISSING);
        if (windows.itemWnd)
            windows.itemWnd->InvalidateMediaItem(item);
        AfxMessageBox(L"File does not exist.");
        return -1;
    }
    item->ChangeStateFlags(0, MEDIA_STATE_FILE_MISSING);
    StopAndRemember(0);
    m_nStopByUser = 0;
    m_pCurrentItem = item;
    // While the old session's tool still ends, this only marks the item to start after it.
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
    CMediaItem* playing = m_pSessionItem;
    if (playing && HasSession()) {
        CPlayerSettings* s = GetPlayerSettings();
        bool keep = s && (s->rememberLastPos || (closing && s->resumeInterrupted));
        // A session that has ended stands at the end of the item, which is no place to resume.
        if (keep && IsActive())
            playing->LastPositionInUs = m_status.PositionUs;
    }
    m_nStartPending = 0;
    if (m_pPlayThread) {
        // A Stop after a Next takes the after-playback steps once the tool has ended; only a new
        // item to play (PlayMediaItem) takes them back.
        if (byUser)
            m_nStopByUser = 1;
        RequestStop();
    }
    if (!closing) {
        if (CMediaPlaylistLink* list = GetPlayerWindows().itemWnd) {
            if (item)
                list->InvalidateMediaItem(item);
            if (playing && playing != item)
                list->InvalidateMediaItem(playing);
        }
    }
    m_pCurrentItem = nullptr;
    return 0;
}

CMediaItem* CPlaylistPlayerWnd::FindPlayableItem(bool forward)
{
    CMediaPlaylistLink* list = GetPlayerWindows().itemWnd;
    CPlayerSettings* s = GetPlayerSettings();
    const int repeat = s ? s->repeat : 0;
    if (!list)
        return nullptr;
    const int count = list->GetMediaItemCount();
    int index = list->FindMediaItem(m_pCurrentItem);
    if (index < 0)
        return nullptr;
    // Each item is looked at once at most, so a list where nothing plays ends the walk.
    for (int step = 0; step < count; ++step) {
        if (repeat != 1) {
            index += forward ? 1 : -1;
            if (index < 0 || index >= count) {
                if (repeat != 2)
                    return nullptr;
                index = index < 0 ? count - 1 : 0;
            }
        }
        CMediaItem* item = list->GetMediaItem(index);
        if (item && !(item->StateFlags & MEDIA_STATE_UNPLAYABLE))
            return item;
        if (repeat == 1)
            return nullptr;
    }
    return nullptr;
}

int CPlaylistPlayerWnd::RestartPlayback()
{
    if (!m_pCurrentItem || !HasSession())
        return -1;
    return RestartAtCurrentPos();
}

void CPlaylistPlayerWnd::OnSessionLaunching()
{
    // No play thread runs yet.
    m_pSessionItem = m_pCurrentItem;
}

void CPlaylistPlayerWnd::OnStopRequested()
{
    std::lock_guard<std::mutex> hold(m_sessionItemLock);
    m_pSessionItem = nullptr;
}

void CPlaylistPlayerWnd::OnSessionGone()
{
    std::lock_guard<std::mutex> hold(m_sessionItemLock);
    m_pSessionItem = nullptr;
}

void CPlaylistPlayerWnd::OnSessionEnded()
{
    const bool pending = m_nStartPending != 0;
    CMediaPlayerWnd::OnSessionEnded();
    // The item that waited could not start after all: nothing plays.
    if (pending && !m_pPlayThread && m_pCurrentItem) {
        if (CMediaPlaylistLink* list = GetPlayerWindows().itemWnd)
            list->InvalidateMediaItem(m_pCurrentItem);
        m_pCurrentItem = nullptr;
    }
}

int CPlaylistPlayerWnd::OnStateChanged()
{
    std::lock_guard<std::mutex> hold(m_sessionItemLock);
    if (m_pSessionItem)
        m_pSessionItem->SetPlayState(GetState());
    return 1;
}

int CPlaylistPlayerWnd::PrepareParams()
{
    std::lock_guard<std::mutex> hold(m_sessionItemLock);
    CMediaItem* item = m_pPlayThread ? m_pSessionItem : m_pCurrentItem;
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
        CPlayerSettings* s = GetPlayerSettings();
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
