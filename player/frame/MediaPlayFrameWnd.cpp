// The player's frame base: its switches, Esc, the first-run centring and the end of the session.
#include "player/frame/MediaPlayFrameWnd.h"

#include "framework/App.h"
#include "player/settings/PlayerSettings.h"

IMPLEMENT_DYNCREATE(CMediaPlayFrameWnd, CFullScreenFrameWnd)

BEGIN_MESSAGE_MAP(CMediaPlayFrameWnd, CFullScreenFrameWnd)
    ON_WM_CREATE()
    ON_WM_SYSCOMMAND()
    ON_WM_INITMENUPOPUP()
    ON_WM_QUERYENDSESSION()
    ON_MESSAGE(WM_ENDSESSION, OnEndSession)
    ON_WM_SYSCOLORCHANGE()
    ON_COMMAND(ID_VIEW_ALWAYS_ON_TOP, OnToggleAlwaysOnTop)
    ON_COMMAND(ID_VIEW_TRANSPARENT, OnToggleTransparent)
    ON_COMMAND(ID_VIEW_FULL_SCREEN, OnToggleFullScreen)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ALWAYS_ON_TOP, OnUpdateAlwaysOnTop)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TRANSPARENT, OnUpdateTransparent)
    ON_UPDATE_COMMAND_UI(ID_VIEW_FULL_SCREEN, OnUpdateFullScreen)
END_MESSAGE_MAP()

CMediaPlayFrameWnd::CMediaPlayFrameWnd() {}

int CMediaPlayFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CFullScreenFrameWnd::OnCreate(lpcs) == -1) return -1;
    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        sysMenu->InsertMenu(0, MF_BYPOSITION | MF_STRING, kSysAlwaysOnTop, L"Always On Top");
        sysMenu->InsertMenu(1, MF_BYPOSITION | MF_STRING, kSysTransparent, L"Transparent");
        sysMenu->InsertMenu(2, MF_BYPOSITION | MF_SEPARATOR);
    }
    CPlayerSettings* settings = GetPlayerSettings();
    if (!settings) return 0;
    if (settings->windowLeft == -1 && settings->windowWidth < 1) CenterWindow();
    if (settings->alwaysOnTop) SetAlwaysOnTop(TRUE);
    if (settings->transparent) SetTransparent(TRUE);
    return 0;
}

void CMediaPlayFrameWnd::SetAlwaysOnTop(BOOL bOn)
{
    if (CPlayerSettings* settings = GetPlayerSettings()) settings->alwaysOnTop = bOn ? 1 : 0;
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, bOn ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMediaPlayFrameWnd::SetTransparent(BOOL bOn)
{
    if (CPlayerSettings* settings = GetPlayerSettings()) settings->transparent = bOn ? 1 : 0;
    if (!m_hWnd) return;
    if (bOn) SetWindowAlpha(m_hWnd, kTransparentAlpha);
    else ClearWindowAlpha(m_hWnd);
}

BOOL CMediaPlayFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && IsFullScreen()) {
        ToggleFullScreen();
        return TRUE;
    }
    return CFullScreenFrameWnd::PreTranslateMessage(pMsg);
}

void CMediaPlayFrameWnd::OnSysCommand(UINT nID, LPARAM lParam)
{
    CPlayerSettings* settings = GetPlayerSettings();
    const UINT command = nID & 0xFFF0;
    if (settings && command == kSysAlwaysOnTop) SetAlwaysOnTop(!settings->alwaysOnTop);
    else if (settings && command == kSysTransparent) SetTransparent(!settings->transparent);
    CFullScreenFrameWnd::OnSysCommand(nID, lParam);
}

void CMediaPlayFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CFullScreenFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    CPlayerSettings* settings = GetPlayerSettings();
    if (!bSysMenu || !settings || !pPopupMenu) return;
    pPopupMenu->CheckMenuItem(kSysAlwaysOnTop, MF_BYCOMMAND | (settings->alwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
    pPopupMenu->CheckMenuItem(kSysTransparent, MF_BYCOMMAND | (settings->transparent ? MF_CHECKED : MF_UNCHECKED));
}

BOOL CMediaPlayFrameWnd::OnQueryEndSession()
{
    if (!CFullScreenFrameWnd::OnQueryEndSession()) return FALSE;
    if (CPlayerSettings* settings = GetPlayerSettings()) settings->SaveSettings();
    return TRUE;
}

LRESULT CMediaPlayFrameWnd::OnEndSession(WPARAM wParam, LPARAM)
{
    CWinApp* app = AfxGetApp();
    if (!wParam || !app || app->m_pMainWnd != this) return 0;
    // The close keeps what the user's exit keeps: the playing item's place, the playlist, the
    // window's placement, zoom and volume; the settings written at the question lack the latter.
    SendMessage(WM_CLOSE);  // this frame is gone afterwards
    if (CPlayerSettings* settings = GetPlayerSettings()) settings->SaveSettings();
    return 0;
}

// The common controls of the frame's windows learn of the new colours from their parent; the
// shared resources hold fonts, cursors and paths but no colours, and the player's own windows read
// the system's colours when they paint.
void CMediaPlayFrameWnd::OnSysColorChange()
{
    CFullScreenFrameWnd::OnSysColorChange();
    SendMessageToDescendants(WM_SYSCOLORCHANGE, 0, 0, TRUE, TRUE);
}

void CMediaPlayFrameWnd::OnToggleAlwaysOnTop()
{
    if (CPlayerSettings* settings = GetPlayerSettings()) SetAlwaysOnTop(!settings->alwaysOnTop);
}

void CMediaPlayFrameWnd::OnToggleTransparent()
{
    if (CPlayerSettings* settings = GetPlayerSettings()) SetTransparent(!settings->transparent);
}

void CMediaPlayFrameWnd::OnToggleFullScreen() { ToggleFullScreen(); }

void CMediaPlayFrameWnd::OnUpdateAlwaysOnTop(CCmdUI* pCmdUI)
{
    CPlayerSettings* settings = GetPlayerSettings();
    pCmdUI->SetCheck(settings && settings->alwaysOnTop ? 1 : 0);
}

void CMediaPlayFrameWnd::OnUpdateTransparent(CCmdUI* pCmdUI)
{
    CPlayerSettings* settings = GetPlayerSettings();
    pCmdUI->SetCheck(settings && settings->transparent ? 1 : 0);
}

void CMediaPlayFrameWnd::OnUpdateFullScreen(CCmdUI* pCmdUI) { pCmdUI->SetCheck(IsFullScreen() ? 1 : 0); }
