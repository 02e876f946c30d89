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
