// The play window: the program's one playlist player, with the busy animation, the control-bar
// updates and what follows the end of an item.
#pragma once

#include "framework/ImageList.h"
#include "player/playback/PlaylistPlayerWnd.h"

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
    // The stopped session shows as stopped at once, while its tool still ends.
    void OnStopRequested() override;
    // What follows a session whose tool never played its item: the item is marked and the next
    // playable one plays, or the playback ends saying why.
    void OnItemNotPlayed();
    // What follows a session that ended by itself or by the user's Stop.
    void RunAfterPlaybackSteps();
    void ShowEndedState();

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnEndedFromSession(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};
