// The main frame: its bars and view container, the published windows, command routing to both
// views, the view switch and docking, full screen, drops and the window's first size.
#include "player/frame/MainFrame.h"

#include "engine/MediaItem.h"
#include "framework/App.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/playback/ItemCommands.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/settings/PlayerSettings.h"

namespace {

// Which track popup a submenu is, by the placeholder or the entries it holds: 1 video, 2 audio,
// 3 subtitle, 0 none.
int TrackMenuKind(CMenu* menu)
{
    if (!menu || menu->GetMenuItemCount() == 0)
        return 0;
    for (UINT i = 0; i < menu->GetMenuItemCount(); ++i) {
        UINT id = menu->GetMenuItemID((int)i);
        if (id >= ID_VIDEO_TRACK_NONE && id <= ID_VIDEO_TRACK_LAST)
            return 1;
        if (id >= ID_AUDIO_TRACK_NONE && id <= ID_AUDIO_TRACK_LAST)
            return 2;
        if (id >= ID_SUBTITLE_TRACK_NONE && id <= ID_SUBTITLE_TRACK_LAST)
            return 3;
    }
    return 0;
}

}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CMediaPlayFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CMediaPlayFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_DROPFILES()
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(ID_VIEW_DOCK_PLAYLIST, OnDockPlaylist)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DOCK_PLAYLIST, OnUpdateDockPlaylist)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnShowControlBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateShowControlBar)
    ON_COMMAND(ID_VIEW_SWITCH, OnSwitchView)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SWITCH, OnUpdateSwitchView)
    ON_COMMAND(ID_NEXT_PANE, OnSwitchView)
    ON_COMMAND(ID_PREV_PANE, OnSwitchView)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
{
    SetMenuBar(&m_wndMenuBar);
}

CMediaPlaylistView* CMainFrame::GetPlaylistView() const
{
    return dynamic_cast<CMediaPlaylistView*>(m_wndContainer.GetPlaylistPane());
}

CPlayView* CMainFrame::GetPlayView() const
{
    return dynamic_cast<CPlayView*>(m_wndContainer.GetPlayPane());
}

void CMainFrame::Publish()
{
    CPlayerWindows& w = GetPlayerWindows();
    w.frame = this;
    if (m_wndControlBar.m_hWnd)
        w.controlBar = &m_wndControlBar;
    w.playlistView = GetPlaylistView();
    w.itemWnd = w.playlistView ? w.playlistView->GetItemWindow() : nullptr;
    w.playView = GetPlayView();
    w.playWnd = w.playView ? &w.playView->GetPlayWnd() : nullptr;
}

void CMainFrame::Unpublish()
{
    CPlayerWindows& w = GetPlayerWindows();
    if (w.frame == this)
        w = CPlayerWindows();
}

bool CMainFrame::UsesDefaultSize(const CPlayerSettings* s, int screenWidth)
{
    bool incomplete = !s || s->windowLeft == -1 || s->windowTop == -1 || s->windowWidth <= 0 || s->windowHeight <= 0;
    return incomplete && screenWidth >= 1280;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMediaPlayFrameWnd::PreCreateWindow(cs))
        return FALSE;
    if (UsesDefaultSize(GetPlayerSettings(), GetSystemMetrics(SM_CXSCREEN))) {
        cs.x = CW_USEDEFAULT;
        cs.y = CW_USEDEFAULT;
        cs.cx = 1024;
        cs.cy = 576;
    }
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMediaPlayFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndControlBar.CreateBar(this))
        return -1;
    GetPlayerWindows().controlBar = &m_wndControlBar;
    m_wndControlBar.SetPlaylistDocked(m_wndContainer.GetLayout() == SPLIT_LAYOUT_SIDE_BY_SIDE);
    m_wndControlBar.UpdateVolume();
    return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndContainer.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!m_wndContainer.CreatePanes(pContext))
        return FALSE;
    Publish();
    CPlayerSettings* s = GetPlayerSettings();
    m_wndContainer.SetLayout(s ? s->layout : SPLIT_LAYOUT_SIDE_BY_SIDE);
    m_wndContainer.SetActiveView(GetPlaylistView());
    return TRUE;
}

void CMainFrame::OnDestroy()
{
    Unpublish();
    CMediaPlayFrameWnd::OnDestroy();
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CPushRoutingFrame push(this);
    CView* active = GetActiveView();
    if (active && active->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CView* play = GetPlayView();
    if (play && play != active && play->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CView* playlist = GetPlaylistView();
    if (playlist && playlist != active && playlist->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_SYSCOMMAND && (pMsg->wParam & 0xFFF0) == SC_SCREENSAVE) {
        CPlayerSettings* s = GetPlayerSettings();
        CPlayWnd* play = GetPlayerWindows().playWnd;
        if (s && s->preventScreenSaver && play && play->IsPlaying())
            return TRUE;
    }
    if (pMsg->message == WM_MBUTTONUP)
        PostMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN, 0);
    return CMediaPlayFrameWnd::PreTranslateMessage(pMsg);
}

void CMainFrame::OnDropFiles(HDROP hDropInfo)
{
    ActivateFrame();
    SetForegroundWindow();
    if (CMediaPlaylistView* view = GetPlaylistView())
        view->SendMessage(WM_DROPFILES, (WPARAM)hDropInfo, 0);
    else
        DragFinish(hDropInfo);
}

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    if (!bSysMenu && pPopupMenu) {
        // The track popups show the streams of the item the commands act on: the playing one
        // while the play view is active, else the selected one.
        CMediaItem* item = nullptr;
        CPlayView* play = GetPlayView();
        if (play && GetActiveView() == play)
            item = play->GetPlayWnd().GetCurrentItem();
        else if (CMediaPlaylistView* view = GetPlaylistView()) {
            CMediaPlaylistLink* items = view->GetItemWindow();
            item = items ? items->GetMediaItem(items->GetFirstSelectedIndex()) : nullptr;
        }
        CMenu* menus[4] = {};
        for (UINT i = 0; i < pPopupMenu->GetMenuItemCount(); ++i) {
            CMenu* sub = pPopupMenu->GetSubMenu((int)i);
            int kind = TrackMenuKind(sub);
            if (kind)
                menus[kind] = sub;
        }
        if (item && (menus[1] || menus[2] || menus[3]))
            BuildTrackMenus(menus[1], menus[2], menus[3], item);
    }
    CMediaPlayFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

// The frame's link ------------------------------------------------------------------------------------

void CMainFrame::ActivatePlayView()
{
    if (CPlayView* play = GetPlayView())
        if (GetPlaylistView())
            m_wndContainer.SetActiveView(play);
}

void CMainFrame::ShowPlayView()
{
    CPlayView* play = GetPlayView();
    if (!play || !GetPlaylistView())
        return;
    m_wndContainer.SetActiveView(play);
    CPlayWnd& wnd = play->GetPlayWnd();
    if (!wnd.HasSession())
        play->SendMessage(WM_COMMAND, ID_PLAY_PLAY, 0);
    else if (wnd.IsPaused())
        wnd.Resume();
}

void CMainFrame::ShowPlaylistView()
{
    if (CMediaPlaylistView* view = GetPlaylistView())
        if (GetPlayView())
            m_wndContainer.SetActiveView(view);
}

void CMainFrame::UpdateTitle(CMediaItem* item)
{
    CString title = AfxGetAppName() ? CString(AfxGetAppName()) : CString(L"Lumivo");
    CMediaPlaylistView* view = GetPlaylistView();
    CMediaPlaylistLink* items = view ? view->GetItemWindow() : nullptr;
    if (item)
        title.Format(L"%s - %d/%d", item->Title.GetString(), (items ? items->FindMediaItem(item) : -1) + 1,
                     items ? items->GetMediaItemCount() : 0);
    SetWindowText(title);
}

int CMainFrame::GetViewLayout()
{
    return m_wndContainer.GetLayout();
}

void CMainFrame::ShowMenuBar(bool show)
{
    if (m_wndMenuBar.m_hWnd && (m_wndMenuBar.IsWindowVisible() != FALSE) != show)
        ShowControlBar(&m_wndMenuBar, show ? TRUE : FALSE, FALSE);
}

void CMainFrame::ShowPlaylistCount(int count, __int64 totalDurationMs)
{
    m_wndMenuBar.SetItemCountText(count, totalDurationMs);
    m_wndContainer.ShowEmptyState(count == 0);
    // A stopped or ended item leaves its total on the time display; an emptied playlist has none.
    CPlayView* play = GetPlayView();
    if (count == 0 && m_wndControlBar.m_hWnd && !(play && play->GetPlayWnd().HasSession()))
        m_wndControlBar.SetPlayState(PLAYER_STATE_IDLE);
}

void CMainFrame::ToggleFullScreen()
{
    CPlayerSettings* s = GetPlayerSettings();
    CRect inset(0, 0, 0, 0);
    if (!(s && s->alwaysShowControlBar)) {
        CMediaPlaylistView* view = GetPlaylistView();
        if (view && m_wndContainer.GetLayout() == SPLIT_LAYOUT_SIDE_BY_SIDE) {
            CRect pane;
            view->GetWindowRect(&pane);
            inset.right = pane.Width();
        }
        if (m_wndControlBar.m_hWnd && m_wndControlBar.IsWindowVisible()) {
            CRect bar;
            m_wndControlBar.GetWindowRect(&bar);
            inset.bottom = bar.Height();
        }
    }
    SetFullScreenInset(inset);
    CMediaPlayFrameWnd::ToggleFullScreen();
    if (m_wndControlBar.m_hWnd)
        m_wndControlBar.SetFullScreen(IsFullScreen() != FALSE);
}

// Commands -----------------------------------------------------------------------------------------------

void CMainFrame::OnDockPlaylist()
{
    int layout = m_wndContainer.GetLayout() == SPLIT_LAYOUT_SIDE_BY_SIDE ? SPLIT_LAYOUT_ONE_AT_A_TIME
                                                                         : SPLIT_LAYOUT_SIDE_BY_SIDE;
    m_wndContainer.SetLayout(layout);
    if (CPlayerSettings* s = GetPlayerSettings())
        s->layout = layout;
    CPlayView* play = GetPlayView();
    if (play && play->GetPlayWnd().HasSession())
        m_wndContainer.SetActiveView(play);
    else
        m_wndContainer.SetActiveView(GetPlaylistView());
    if (m_wndControlBar.m_hWnd)
        m_wndControlBar.SetPlaylistDocked(layout == SPLIT_LAYOUT_SIDE_BY_SIDE);
    if (layout == SPLIT_LAYOUT_SIDE_BY_SIDE)
        ShowMenuBar(true);
}

void CMainFrame::OnUpdateDockPlaylist(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndContainer.GetLayout() == SPLIT_LAYOUT_SIDE_BY_SIDE);
}

void CMainFrame::OnShowControlBar()
{
    if (m_wndControlBar.m_hWnd)
        ShowControlBar(&m_wndControlBar, m_wndControlBar.IsWindowVisible() ? FALSE : TRUE, FALSE);
}

void CMainFrame::OnUpdateShowControlBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndControlBar.m_hWnd && m_wndControlBar.IsWindowVisible());
}

void CMainFrame::OnSwitchView()
{
    CPlayView* play = GetPlayView();
    if (GetActiveView() == play)
        m_wndContainer.SetActiveView(GetPlaylistView());
    else
        m_wndContainer.SetActiveView(play);
}

void CMainFrame::OnUpdateSwitchView(CCmdUI* pCmdUI)
{
    pCmdUI->SetText(GetActiveView() == GetPlayView() ? L"Go to Playlist View\tF6" : L"Go to Display View\tF6");
}
