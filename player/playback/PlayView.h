// The play view: the video pane of the main frame, which owns the program's one play window and
// carries the playback commands (play and pause, stop, seek, previous and next, repeat, zoom,
// volume, filters, speed, tracks, the after-playback switches, letters, double-click, context
// menu).
#pragma once

#include "framework/DocView.h"
#include "player/playback/PlayWnd.h"

class CCmdUI;
class CMenu;

// The generic video pane: clips its children and siblings and paints the dark pane colour.
class CMediaPlayView : public CView {
    DECLARE_DYNAMIC(CMediaPlayView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

class CPlayView : public CMediaPlayView {
    DECLARE_DYNCREATE(CPlayView)
public:
    CPlayView();

    // Moves the play window over the whole client area while this view hosts it.
    void LayoutPlayWindow();
    CPlayWnd& GetPlayWnd() { return m_wndPlay; }

    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The menu popup of the context menu, built for the current item (tests track it themselves).
    static const int kTrackMenuPositions[3];

    CPlayWnd m_wndPlay;

protected:
    CMediaItem* CurrentItem() { return m_wndPlay.GetCurrentItem(); }
    // Applies a filter change to the current item and restarts the tool with it.
    void ChangeItem(void (*change)(CMediaItem&, UINT), UINT id);
    void ShowVolume();

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnContextMenu(CWnd* pWnd, CPoint point);

    void OnPlay();
    void OnUpdatePlay(CCmdUI* pCmdUI);
    void OnStop();
    void OnUpdateStop(CCmdUI* pCmdUI);
    void OnSeek(UINT id);
    void OnUpdateSeek(CCmdUI* pCmdUI);
    void OnPrevious();
    void OnNext();
    void OnUpdatePrevious(CCmdUI* pCmdUI);
    void OnUpdateNext(CCmdUI* pCmdUI);
    void OnRepeatAll();
    void OnUpdateRepeatAll(CCmdUI* pCmdUI);
    void OnRepeatCurrent();
    void OnUpdateRepeatCurrent(CCmdUI* pCmdUI);
    void OnZoom(UINT id);
    void OnUpdateZoom(CCmdUI* pCmdUI);
    void OnZoomCycle();
    void OnMute();
    void OnUpdateMute(CCmdUI* pCmdUI);
    void OnVolumeUp();
    void OnUpdateVolumeUp(CCmdUI* pCmdUI);
    void OnVolumeDown();
    void OnUpdateVolumeDown(CCmdUI* pCmdUI);
    void OnVolume100();
    void OnRememberPosition();
    void OnUpdateRememberPosition(CCmdUI* pCmdUI);
    void OnAfterClose();
    void OnUpdateAfterClose(CCmdUI* pCmdUI);
    void OnAfterShutdown();
    void OnUpdateAfterShutdown(CCmdUI* pCmdUI);
    void OnMediaInfo();
    void OnUpdateWithItem(CCmdUI* pCmdUI);
    void OnDisableFilters();
    void OnFilter(UINT id);
    void OnUpdateFilter(CCmdUI* pCmdUI);
    void OnTrack(UINT id);
    void OnUpdateTrack(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
