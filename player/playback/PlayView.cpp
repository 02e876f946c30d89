// The play view's window, commands, letters, double-click and context menu.
#include "player/playback/PlayView.h"

#include "engine/MediaItem.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/app/PlayerWindows.h"
#include "player/dialogs/MediaInfoDlg.h"
#include "player/playback/ItemCommands.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/PaneColor.h"

namespace {

const UINT kPlayWindowId = 1;
const __int64 kSecondUs = 1000000;

int RepeatSetting()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->repeat : 0;
}

bool KeyDown(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

CFrameWnd* FrameWnd()
{
    CMainFrameLink* frame = GetPlayerWindows().frame;
    return frame ? frame->GetFrameWnd() : nullptr;
}

bool OneViewAtATime()
{
    CMainFrameLink* frame = GetPlayerWindows().frame;
    return frame && frame->GetViewLayout() == SPLIT_LAYOUT_ONE_AT_A_TIME;
}

}  // namespace

// Generic video pane ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMediaPlayView, CView)

BEGIN_MESSAGE_MAP(CMediaPlayView, CView)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CMediaPlayView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CView::PreCreateWindow(cs))
        return FALSE;
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return TRUE;
}

BOOL CMediaPlayView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, PANE_COLOR);
    return TRUE;
}

// Play view -------------------------------------------------------------------------------------------

const int CPlayView::kTrackMenuPositions[3] = {5, 6, 7};

IMPLEMENT_DYNCREATE(CPlayView, CMediaPlayView)

BEGIN_MESSAGE_MAP(CPlayView, CMediaPlayView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CHAR()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_PLAY_PLAY, OnPlay)
    ON_UPDATE_COMMAND_UI(ID_PLAY_PLAY, OnUpdatePlay)
    ON_COMMAND(ID_PLAY_STOP, OnStop)
    ON_UPDATE_COMMAND_UI(ID_PLAY_STOP, OnUpdateStop)
    ON_COMMAND_RANGE(ID_SEEK_FORWARD_10S, ID_SEEK_BACKWARD_1MIN, OnSeek)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SEEK_FORWARD_10S, ID_SEEK_BACKWARD_1MIN, OnUpdateSeek)
    ON_COMMAND(ID_PLAY_PREVIOUS, OnPrevious)
    ON_UPDATE_COMMAND_UI(ID_PLAY_PREVIOUS, OnUpdatePrevious)
    ON_COMMAND(ID_PLAY_NEXT, OnNext)
    ON_UPDATE_COMMAND_UI(ID_PLAY_NEXT, OnUpdateNext)
    ON_COMMAND(ID_REPEAT_ALL, OnRepeatAll)
    ON_UPDATE_COMMAND_UI(ID_REPEAT_ALL, OnUpdateRepeatAll)
    ON_COMMAND(ID_REPEAT_CURRENT, OnRepeatCurrent)
    ON_UPDATE_COMMAND_UI(ID_REPEAT_CURRENT, OnUpdateRepeatCurrent)
    ON_COMMAND_RANGE(ID_ZOOM_FIT, ID_ZOOM_200, OnZoom)
    ON_UPDATE_COMMAND_UI_RANGE(ID_ZOOM_FIT, ID_ZOOM_200, OnUpdateZoom)
    ON_COMMAND(ID_ZOOM_CYCLE, OnZoomCycle)
    ON_COMMAND(ID_VOLUME_MUTE, OnMute)
    ON_UPDATE_COMMAND_UI(ID_VOLUME_MUTE, OnUpdateMute)
    ON_COMMAND(ID_VOLUME_UP, OnVolumeUp)
    ON_UPDATE_COMMAND_UI(ID_VOLUME_UP, OnUpdateVolumeUp)
    ON_COMMAND(ID_VOLUME_DOWN, OnVolumeDown)
    ON_UPDATE_COMMAND_UI(ID_VOLUME_DOWN, OnUpdateVolumeDown)
    ON_COMMAND(ID_VOLUME_100, OnVolume100)
    ON_COMMAND(ID_PLAY_REMEMBER_POSITION, OnRememberPosition)
    ON_UPDATE_COMMAND_UI(ID_PLAY_REMEMBER_POSITION, OnUpdateRememberPosition)
    ON_COMMAND(ID_AFTER_CLOSE_WINDOW, OnAfterClose)
    ON_UPDATE_COMMAND_UI(ID_AFTER_CLOSE_WINDOW, OnUpdateAfterClose)
    ON_COMMAND(ID_AFTER_SHUTDOWN, OnAfterShutdown)
    ON_UPDATE_COMMAND_UI(ID_AFTER_SHUTDOWN, OnUpdateAfterShutdown)
    ON_COMMAND(ID_ITEM_MEDIA_INFO, OnMediaInfo)
    ON_UPDATE_COMMAND_UI(ID_ITEM_MEDIA_INFO, OnUpdateWithItem)
    ON_COMMAND(ID_FILTER_DISABLE_ALL, OnDisableFilters)
    ON_UPDATE_COMMAND_UI(ID_FILTER_DISABLE_ALL, OnUpdateWithItem)
    ON_COMMAND_RANGE(ID_FILTER_ROTATE_90, ID_FILTER_VOLUME_500, OnFilter)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FILTER_ROTATE_90, ID_FILTER_VOLUME_500, OnUpdateFilter)
    ON_COMMAND_RANGE(ID_VIDEO_TRACK_DISABLE, ID_SUBTITLE_TRACK_LAST, OnTrack)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIDEO_TRACK_DISABLE, ID_SUBTITLE_TRACK_LAST, OnUpdateTrack)
END_MESSAGE_MAP()

CPlayView::CPlayView() {}

int CPlayView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMediaPlayView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndPlay.Create(WS_CHILD | WS_TABSTOP, CRect(0, 0, 0, 0), this, kPlayWindowId))
        return -1;
    return 0;
}

void CPlayView::LayoutPlayWindow()
{
    if (!m_wndPlay.m_hWnd || ::GetParent(m_wndPlay.m_hWnd) != m_hWnd)
        return;
    CRect rc;
    GetClientRect(&rc);
    m_wndPlay.MoveWindow(&rc);
}

void CPlayView::OnSize(UINT nType, int cx, int cy)
{
    CMediaPlayView::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0)
        LayoutPlayWindow();
}

void CPlayView::OnInitialUpdate()
{
    CMediaPlayView::OnInitialUpdate();
    LayoutPlayWindow();
    if (CMainFrameLink* frame = GetPlayerWindows().frame)
        frame->UpdateTitle(nullptr);
}

BOOL CPlayView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_LBUTTONDBLCLK &&
        (pMsg->hwnd == m_hWnd || pMsg->hwnd == m_wndPlay.m_hWnd)) {
        if (OneViewAtATime() && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL)) {
            if (CMainFrameLink* frame = GetPlayerWindows().frame)
                frame->ShowPlaylistView();
        } else if (CWnd* top = GetTopLevelFrame()) {
            top->PostMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN, 0);
        }
        return TRUE;
    }
    return CMediaPlayView::PreTranslateMessage(pMsg);
}

void CPlayView::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    UINT command = 0;
    switch (towupper((wint_t)nChar)) {
    case L'Z':
        command = ID_PLAY_PLAY;
        break;
    case L'X':
        command = ID_PLAY_STOP;
        break;
    case L'C':
        command = ID_PLAY_PREVIOUS;
        break;
    case L'V':
        command = ID_PLAY_NEXT;
        break;
    case L'F':
        if (CWnd* frame = GetParentFrame())
            frame->PostMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN, 0);
        return;
    default:
        CMediaPlayView::OnChar(nChar, nRepCnt, nFlags);
        return;
    }
    PostMessage(WM_COMMAND, command, 0);
}

void CPlayView::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        point = CPoint(8, 8);
        ClientToScreen(&point);
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_PLAYER_POPUPS))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    BuildTrackMenus(popup->GetSubMenu(kTrackMenuPositions[0]), popup->GetSubMenu(kTrackMenuPositions[1]),
                    popup->GetSubMenu(kTrackMenuPositions[2]), CurrentItem());
    bool single = OneViewAtATime() && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL);
    popup->SetDefaultItem(single ? ID_VIEW_SWITCH : ID_VIEW_FULL_SCREEN);
    CWnd* owner = GetParentFrame();
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, owner ? owner : this);
}

// Transport ------------------------------------------------------------------------------------------

void CPlayView::OnPlay()
{
    CPlayerWindows& windows = GetPlayerWindows();
    CMediaPlaylistLink* list = windows.itemWnd;
    if (!list || list->GetMediaItemCount() == 0) {
        if (CFrameWnd* frame = FrameWnd())
            frame->SendMessage(WM_COMMAND, ID_FILE_OPEN_FILES, 0);
        return;
    }
    if (m_wndPlay.HasSession() && m_wndPlay.IsPaused()) {
        m_wndPlay.Resume();
        return;
    }
    if (m_wndPlay.HasSession() && m_wndPlay.IsPlaying()) {
        m_wndPlay.PauseResume();
        return;
    }
    // A session that is starting keeps going (the command is disabled then).
    if (m_wndPlay.HasSession() && m_wndPlay.IsActive())
        return;
    int index = list->GetFirstSelectedIndex();
    m_wndPlay.PlayMediaItem(list->GetMediaItem(index >= 0 ? index : 0), 0);
}

void CPlayView::OnUpdatePlay(CCmdUI* pCmdUI)
{
    bool playing = m_wndPlay.HasSession() && m_wndPlay.IsPlaying();
    pCmdUI->SetText(playing ? L"Pause\tCtrl+P" : L"Play\tCtrl+P");
    // A session is starting from the moment its thread exists until the tool plays.
    bool starting = m_wndPlay.HasSession() && !m_wndPlay.IsPlaying() && !m_wndPlay.IsPaused();
    pCmdUI->Enable(!starting);
}

void CPlayView::OnStop()
{
    m_wndPlay.StopAndRemember(0, 1);
}

void CPlayView::OnUpdateStop(CCmdUI* pCmdUI)
{
    // The driver's state says starting only once the play thread has begun; the session is
    // there from the moment the thread was made.
    pCmdUI->Enable(m_wndPlay.HasSession());
}

void CPlayView::OnSeek(UINT id)
{
    __int64 offset = 0;
    switch (id) {
    case ID_SEEK_FORWARD_10S:
        offset = 10 * kSecondUs;
        break;
    case ID_SEEK_BACKWARD_10S:
        offset = -10 * kSecondUs;
        break;
    case ID_SEEK_FORWARD_1MIN:
        offset = 60 * kSecondUs;
        break;
    case ID_SEEK_BACKWARD_1MIN:
        offset = -60 * kSecondUs;
        break;
    default:
        return;
    }
    if (m_wndPlay.IsPlaying() || m_wndPlay.IsPaused())
        m_wndPlay.Seek(offset, 1);
}

void CPlayView::OnUpdateSeek(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndPlay.HasSession() && (m_wndPlay.IsPlaying() || m_wndPlay.IsPaused()));
}

void CPlayView::OnPrevious()
{
    if (!m_wndPlay.HasSession())
        return;
    if (CMediaItem* item = m_wndPlay.FindPlayableItem(false))
        m_wndPlay.PlayMediaItem(item, 0);
}

void CPlayView::OnNext()
{
    if (!m_wndPlay.HasSession())
        return;
    if (CMediaItem* item = m_wndPlay.FindPlayableItem(true))
        m_wndPlay.PlayMediaItem(item, 0);
}

void CPlayView::OnUpdatePrevious(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndPlay.HasSession() && m_wndPlay.FindPlayableItem(false) != nullptr);
}

void CPlayView::OnUpdateNext(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndPlay.HasSession() && m_wndPlay.FindPlayableItem(true) != nullptr);
}

void CPlayView::OnRepeatAll()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->repeat = s->repeat == 2 ? 0 : 2;
}

void CPlayView::OnUpdateRepeatAll(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(RepeatSetting() == 2);
}

void CPlayView::OnRepeatCurrent()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->repeat = s->repeat == 1 ? 0 : 1;
}

void CPlayView::OnUpdateRepeatCurrent(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(RepeatSetting() == 1);
}

// Zoom and volume -----------------------------------------------------------------------------------

static int ZoomOfCommand(UINT id)
{
    switch (id) {
    case ID_ZOOM_50:
        return 50;
    case ID_ZOOM_100:
        return 100;
    case ID_ZOOM_200:
        return 200;
    default:
        return 0;
    }
}

void CPlayView::OnZoom(UINT id)
{
    m_wndPlay.SetZoom(ZoomOfCommand(id));
}

void CPlayView::OnUpdateZoom(CCmdUI* pCmdUI)
{
    pCmdUI->SetRadio(m_wndPlay.GetZoom() == ZoomOfCommand(pCmdUI->m_nID));
    if (pCmdUI->m_nID == ID_ZOOM_50) {
        // Half of an odd size is no whole picture.
        const PlayerStatusBlock& block = m_wndPlay.GetStatusBlock();
        pCmdUI->Enable(block.VideoWidth % 2 == 0 && block.VideoHeight % 2 == 0);
    }
}

void CPlayView::OnZoomCycle()
{
    int zoom = m_wndPlay.GetZoom();
    int next = zoom == 0 ? 50 : zoom == 50 ? 100 : zoom == 100 ? 200 : 0;
    m_wndPlay.SetZoom(next);
}

void CPlayView::ShowVolume()
{
    if (CPlaybackBarLink* bar = GetPlayerWindows().controlBar)
        bar->UpdateVolume();
}

void CPlayView::OnMute()
{
    m_wndPlay.SetMute(m_wndPlay.GetMute() ? 0 : 1);
    ShowVolume();
}

void CPlayView::OnUpdateMute(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndPlay.GetMute() != 0);
}

void CPlayView::OnVolumeUp()
{
    m_wndPlay.SetVolume(m_wndPlay.GetVolume() + 10);
    ShowVolume();
}

void CPlayView::OnUpdateVolumeUp(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndPlay.GetVolume() < 100);
}

void CPlayView::OnVolumeDown()
{
    m_wndPlay.SetVolume(m_wndPlay.GetVolume() - 10);
    ShowVolume();
}

void CPlayView::OnUpdateVolumeDown(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndPlay.GetVolume() > 0);
}

void CPlayView::OnVolume100()
{
    m_wndPlay.SetVolume(100);
    ShowVolume();
}

// Switches -------------------------------------------------------------------------------------------

void CPlayView::OnRememberPosition()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->rememberLastPos = !s->rememberLastPos;
}

void CPlayView::OnUpdateRememberPosition(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    pCmdUI->SetCheck(s && s->rememberLastPos);
}

void CPlayView::OnAfterClose()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->autoCloseWindow = !s->autoCloseWindow;
}

void CPlayView::OnUpdateAfterClose(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    pCmdUI->SetCheck(s && s->autoCloseWindow);
}

void CPlayView::OnAfterShutdown()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->shutdownAfterPlayback = !s->shutdownAfterPlayback;
}

void CPlayView::OnUpdateAfterShutdown(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    pCmdUI->SetCheck(s && s->shutdownAfterPlayback);
}

// The current item ----------------------------------------------------------------------------------

void CPlayView::OnMediaInfo()
{
    if (CMediaItem* item = CurrentItem()) {
        CMediaInfoDlg dlg(item, GetParentFrame());
        dlg.DoModal();
    }
}

void CPlayView::OnUpdateWithItem(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CurrentItem() != nullptr);
}

void CPlayView::OnDisableFilters()
{
    if (CMediaItem* item = CurrentItem()) {
        item->ResetFilters();
        m_wndPlay.RestartPlayback();
    }
}

void CPlayView::OnFilter(UINT id)
{
    CMediaItem* item = CurrentItem();
    if (!item)
        return;
    ToggleItemFilter(*item, id);
    m_wndPlay.RestartPlayback();
}

void CPlayView::OnUpdateFilter(CCmdUI* pCmdUI)
{
    CMediaItem* item = CurrentItem();
    pCmdUI->Enable(item != nullptr);
    pCmdUI->SetCheck(item && IsItemFilterOn(*item, pCmdUI->m_nID));
}

void CPlayView::OnTrack(UINT id)
{
    CMediaItem* item = CurrentItem();
    if (item && SelectItemTrack(*item, id) > 0)
        m_wndPlay.RestartPlayback();
}

void CPlayView::OnUpdateTrack(CCmdUI* pCmdUI)
{
    UpdateTrackCommand(pCmdUI, CurrentItem());
}
