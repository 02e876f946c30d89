// CMediaPlayFrameWnd: the base of the player's main frame: full screen (command and Esc), the
// "Always On Top" and "Transparent" switches in the system menu and as commands, centring on the
// first run, and the settings saved when Windows ends the session.
#pragma once

#include "player/app/PlayerResource.h"
#include "player/frame/FullScreenFrameWnd.h"

class CMediaPlayFrameWnd : public CFullScreenFrameWnd {
    DECLARE_DYNCREATE(CMediaPlayFrameWnd)
public:
    // System-menu entries; Windows keeps the low four bits of a system command for itself, so
    // 16..31 and 32..47 reach the frame for each.
    static const UINT kSysAlwaysOnTop = 16;
    static const UINT kSysTransparent = 32;
    // The alpha of a transparent frame.
    static const BYTE kTransparentAlpha = 127;

    CMediaPlayFrameWnd();

    // Stores "AlwaysOnTop" and places the window above (or among) the others, where it is.
    void SetAlwaysOnTop(BOOL bOn);
    // Stores "Transparent" and makes the window see-through (alpha 127) or opaque again.
    void SetTransparent(BOOL bOn);

    // Esc leaves full screen (and goes no further); otherwise it passes on to the views.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // After the base: the two switches at the top of the system menu, the first run centred, and
    // the stored switches applied.
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    BOOL OnQueryEndSession();
    // The session ends: the program's own close runs now, for Windows ends the process as soon
    // as every window has answered.
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    void OnSysColorChange();
    void OnToggleAlwaysOnTop();
    void OnToggleTransparent();
    void OnToggleFullScreen();
    void OnUpdateAlwaysOnTop(CCmdUI* pCmdUI);
    void OnUpdateTransparent(CCmdUI* pCmdUI);
    void OnUpdateFullScreen(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
