// The player's only top-level window: the menu bar at the top, the playback control bar at the
// bottom and the view container with the two views between them; it routes commands to both
// views, publishes the player's windows, switches views and sizes itself for full screen.
#pragma once

#include "player/app/PlayerWindows.h"
#include "player/bars/MainMenuBar.h"
#include "player/bars/PlaybackControlBar.h"
#include "player/frame/MediaPlayFrameWnd.h"
#include "player/frame/ViewContainerWnd.h"

class CMediaPlaylistView;
class CPlayerSettings;
class CPlayView;

class CMainFrame : public CMediaPlayFrameWnd, public CMainFrameLink {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();

    // CMainFrameLink
    void ShowPlayView() override;
    void ActivatePlayView() override;
    void ShowPlaylistView() override;
    void UpdateTitle(CMediaItem* item) override;
    int GetViewLayout() override;
    void ShowMenuBar(bool show) override;
    void ShowPlaylistCount(int count, __int64 totalDurationMs) override;
    CFrameWnd* GetFrameWnd() override { return this; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    void ToggleFullScreen() override;

    // A first run (no complete saved placement) on a screen at least 1280 pixels wide opens 1024 x 576.
    static bool UsesDefaultSize(const CPlayerSettings* settings, int screenWidth);

    CMediaPlaylistView* GetPlaylistView() const;
    CPlayView* GetPlayView() const;
    CMainMenuBar& GetMenuBarWnd() { return m_wndMenuBar; }
    CPlaybackControlBar& GetControlBar() { return m_wndControlBar; }
    CViewContainerWnd& GetContainer() { return m_wndContainer; }

protected:
    void Publish();
    void Unpublish();

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnDropFiles(HDROP hDropInfo);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnDockPlaylist();
    void OnUpdateDockPlaylist(CCmdUI* pCmdUI);
    void OnShowControlBar();
    void OnUpdateShowControlBar(CCmdUI* pCmdUI);
    void OnSwitchView();
    void OnUpdateSwitchView(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    CMainMenuBar m_wndMenuBar;
    CPlaybackControlBar m_wndControlBar;
    CViewContainerWnd m_wndContainer;
};
