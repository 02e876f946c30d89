// CCmdUI on menu items and controls, and the update walk of one command.
#include "framework/CmdUI.h"

#include "framework/Menu.h"

HMENU CCmdUI::MenuHandle() const
{
    return m_pMenu ? m_pMenu->m_hMenu : NULL;
}

void CCmdUI::Enable(BOOL bOn)
{
    if (HMENU hMenu = MenuHandle()) {
        // An item that opens a popup is asked through its popup's first command, never changed by it.
        if (m_pSubMenu == NULL)
            ::EnableMenuItem(hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther && m_pOther->m_hWnd) {
        // A control that loses its enable must not keep the focus, or the keyboard is stuck.
        if (!bOn && ::GetFocus() == m_pOther->m_hWnd) {
            HWND hParent = ::GetParent(m_pOther->m_hWnd);
            if (hParent) ::SendMessageW(hParent, WM_NEXTDLGCTL, 0, FALSE);
        }
        ::EnableWindow(m_pOther->m_hWnd, bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (HMENU hMenu = MenuHandle()) {
        if (m_pSubMenu == NULL)
            ::CheckMenuItem(hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && m_pOther->m_hWnd) {
        if (::SendMessageW(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            ::SendMessageW(m_pOther->m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    if (HMENU hMenu = MenuHandle()) {
        if (m_pSubMenu != NULL) return;
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_STATE;
        if (!::GetMenuItemInfoW(hMenu, m_nIndex, TRUE, &mii)) return;
        mii.fType |= MFT_RADIOCHECK;
        mii.fState = bOn ? (mii.fState | MFS_CHECKED) : (mii.fState & ~MFS_CHECKED);
        ::SetMenuItemInfoW(hMenu, m_nIndex, TRUE, &mii);
    } else {
        SetCheck(bOn ? 1 : 0);
    }
}

void CCmdUI::SetText(LPCWSTR lpszText)
{
    if (!lpszText) lpszText = L"";
    if (HMENU hMenu = MenuHandle()) {
        if (m_pSubMenu != NULL) return;
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STRING;
        mii.dwTypeData = const_cast<LPWSTR>(lpszText);
        ::SetMenuItemInfoW(hMenu, m_nIndex, TRUE, &mii);
    } else if (m_pOther && m_pOther->m_hWnd) {
        // Unchanged text is not set again: that would make the control flicker at every idle pass.
        CString current;
        m_pOther->GetWindowText(current);
        if (current != lpszText) m_pOther->SetWindowText(lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF || !pTarget) return TRUE;
    m_bEnableChanged = FALSE;
    BOOL bResult = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, NULL);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info = {NULL, NULL};
        BOOL bHandler = pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info);
        Enable(bHandler);
    }
    return bResult;
}

void AfxUpdateMenuPopup(CMenu* pPopupMenu, CCmdTarget* pTarget, BOOL bAutoMenuEnable)
{
    if (!pPopupMenu || !pPopupMenu->m_hMenu || !pTarget) return;
    HMENU hMenu = pPopupMenu->m_hMenu;
    CCmdUI state;
    state.m_pMenu = pPopupMenu;
    state.m_nIndexMax = (UINT)::GetMenuItemCount(hMenu);
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = ::GetMenuItemID(hMenu, (int)state.m_nIndex);
        if (state.m_nID == 0) continue;  // separator
        if (state.m_nID == (UINT)-1) {
            // An item that opens a popup follows the popup's first command, never auto-disabled.
            HMENU hSub = ::GetSubMenu(hMenu, (int)state.m_nIndex);
            if (!hSub) continue;
            state.m_nID = ::GetMenuItemID(hSub, 0);
            if (state.m_nID == 0 || state.m_nID == (UINT)-1) continue;
            state.m_pSubMenu = CMenu::FromHandle(hSub);
            state.DoUpdate(pTarget, FALSE);
        } else {
            state.m_pSubMenu = NULL;
            // System commands have no handlers in the maps: they keep their state.
            state.DoUpdate(pTarget, bAutoMenuEnable && state.m_nID < 0xF000);
        }
        // A handler may have removed items (it moves the index itself when it inserts some).
        UINT count = (UINT)::GetMenuItemCount(hMenu);
        if (count < state.m_nIndexMax) {
            UINT removed = state.m_nIndexMax - count;
            state.m_nIndex = state.m_nIndex >= removed ? state.m_nIndex - removed : 0;
            while (state.m_nIndex < count && ::GetMenuItemID(hMenu, (int)state.m_nIndex) == state.m_nID) ++state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}
