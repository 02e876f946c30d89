// The playlist player: the media player window playing the playlist's items with their streams,
// filters and start positions, in the play view or over the playlist's playing card.
#pragma once

#include "player/playback/MediaPlayerWnd.h"

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
