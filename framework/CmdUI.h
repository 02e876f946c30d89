// CCmdUI: the update of one command's user interface (a menu item, a control, a bar element)
// by the update handlers of the command targets.
#pragma once

#include "framework/Wnd.h"

class CMenu;

class CCmdUI {
public:
    CCmdUI() {}
    virtual ~CCmdUI() {}

    UINT m_nID = 0;
    UINT m_nIndex = 0;        // position of the item in m_pMenu
    UINT m_nIndexMax = 0;     // item count of m_pMenu; handlers that insert items advance both
    CMenu* m_pMenu = NULL;    // the popup being updated (menu items)
    CMenu* m_pSubMenu = NULL; // the item's own popup when the item opens one
    CMenu* m_pParentMenu = NULL;
    CWnd* m_pOther = NULL;    // the control being updated (dialog controls, bar windows)
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate (buttons).
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);
    // Called by an update handler that wants the next target on the route to decide.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's route for an update handler; when none enabled or disabled the item and
    // bDisableIfNoHndler is set, the item is enabled exactly when the route has a command handler.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

protected:
    HMENU MenuHandle() const;
};

// Records what the update handlers decide without touching any user interface; a command
// is refused when its handlers disable it.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn = TRUE) override { m_bEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCWSTR) override {}
};

// The command-state pass over a popup about to open (WM_INITMENUPOPUP), with pTarget's route
// deciding: separators are skipped; an item that opens a submenu follows that submenu's first
// command and is never disabled for want of a handler; a plain item without a handler is
// disabled when bAutoMenuEnable is set and its id is below 0xF000. Items an update handler
// removes are accounted for, so none is skipped. Frames run it for their popups; a dialog with a
// menu calls it from its own WM_INITMENUPOPUP (not for the system menu).
void AfxUpdateMenuPopup(CMenu* pPopupMenu, CCmdTarget* pTarget, BOOL bAutoMenuEnable);
