// The playlist player: the media player window playing the playlist's items with their streams,
// filters and start positions, in the play view or over the playlist's playing card.
#pragma once

#include <mutex>

#include "player/playback/MediaPlayerWnd.h"

class CPlaylistPlayerWnd : public CMediaPlayerWnd {
public:
    CPlaylistPlayerWnd();

    // Host 1 the play view, 2 the playlist's item window.
    virtual void AttachToView(int host);
    // Stops the running session and plays the item (host 0 keeps the view it is in): 0, or -1 for
    // no item, a missing file or a thread that cannot start. Returns at once: while the old
    // session's tool is still ending, the item is the current one and starts after it; a later
    // call before then replaces it.
    virtual int PlayMediaItem(CMediaItem* item, int host);
    // Shows the host's view and resumes a paused session: 0, -1 without a current item.
    virtual int Resume();
    // Stops the session (without waiting for its tool to end) and drops a start that waited,
    // keeping the position when "RememberLastPos" is on (or, with 'closing', when
    // "ResumeInterrupted" is on); no session touches the item afterwards, so it may be deleted at
    // once. 'byUser' marks the user's Stop, after which the after-playback steps run at the
    // session's end; every other stop is internal and ends the session only.
    virtual int StopAndRemember(int closing, int byUser = 0);
    // The tool again at the current position with the item's current filters, speed and streams;
    // -1 without a current item or session.
    virtual int RestartPlayback();

    // The next (or previous) item for "Repeat" from the current one, passing over the items that
    // could not be played; null when there is none.
    CMediaItem* FindPlayableItem(bool forward);

    // Prepares the session's item (without a session, the current item); -1 without one.
    int PrepareParams() override;
    int OnStateChanged() override;
    void OnSessionEnded() override;

    // The item the window stands at: the playing one, or the one that starts once the stopped
    // session's tool has ended.
    CMediaItem* GetCurrentItem() const { return m_pCurrentItem; }
    int GetHost() const { return m_nHost; }

    CMediaItem* m_pCurrentItem;
    int m_nResumeOnce;
    int m_nHost;

protected:
    CMediaItem* GetPlayingItem() override { return m_pSessionItem; }
    void OnSessionLaunching() override;
    void OnStopRequested() override;
    void OnSessionGone() override;

    // Kind of the last stop of the running session: 0 internal, 1 the user's.
    int m_nStopByUser;
    // The running session's item, null once it was asked to stop. Written on the window's thread
    // only; the play thread reads it (and the item) under the lock, so that after the stop
    // request no session touches an item that may then be deleted.
    CMediaItem* m_pSessionItem;
    std::mutex m_sessionItemLock;
};
