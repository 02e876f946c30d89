// CMenu: the owner of a menu handle (menu bars, pop-ups, resource menus, the system menu).
#pragma once

#include "framework/Geometry.h"
#include "framework/Handles.h"
#include "framework/String.h"

#include <windows.h>

class CWnd;

// Owns its HMENU: the destructor destroys it unless it was detached. FromHandle wrappers do
// not own theirs (sub-menus belong to their parent menu, the system menu to its window).
class CMenu {
public:
    CMenu() {}
    virtual ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { const CMenu* p = detail::OpaquePtr(this); return p ? p->m_hMenu : NULL; }
    // A wrapper that does not own hMenu, valid for the life of the calling thread.
    static CMenu* PASCAL FromHandle(HMENU hMenu);
    // The system menu of a window (bRevert resets it to the default copy and returns NULL).
    static CMenu* PASCAL GetSystemMenu(HWND hWnd, BOOL bRevert);

    BOOL Attach(HMENU hMenu);
    HMENU Detach() { HMENU h = m_hMenu; m_hMenu = NULL; return h; }
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT nIDResource) { return LoadMenu(MAKEINTRESOURCEW(nIDResource)); }
    BOOL LoadMenu(LPCWSTR lpszResourceName);
    BOOL LoadMenuIndirect(const void* lpMenuTemplate) { return Attach(::LoadMenuIndirectW(lpMenuTemplate)); }
    BOOL DestroyMenu();

    // Items and sub-menus; nFlags carry MF_BYCOMMAND or MF_BYPOSITION as in Win32.
    UINT GetMenuItemCount() const { return (UINT)::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuString(UINT nIDItem, LPWSTR lpString, int nMaxCount, UINT nFlags) const {
        return ::GetMenuStringW(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
    }
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE) const {
        return ::GetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }
    BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE) {
        return ::SetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }
    BOOL InsertMenuItem(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE) {
        return ::InsertMenuItemW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }

    // nIDNewItem is a command id, or an HMENU for MF_POPUP items (the menu then owns it).
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = NULL) {
        return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp) {
        return ::AppendMenuW(m_hMenu, nFlags | MF_BITMAP, nIDNewItem, (LPCWSTR)pBmp->GetSafeHandle());
    }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = NULL) {
        return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = NULL) {
        return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    // DeleteMenu destroys a sub-menu with its item; RemoveMenu leaves it to the caller.
    BOOL DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }

    // Both return the previous state (MF_ENABLED/MF_GRAYED/MF_DISABLED, MF_CHECKED/MF_UNCHECKED)
    // or (UINT)-1 when the item does not exist.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return (UINT)::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return (UINT)::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags) {
        return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
    }
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE) { return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos); }
    UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE) const { return ::GetMenuDefaultItem(m_hMenu, fByPos, gmdiFlags); }
    BOOL SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const CBitmap* pUnchecked, const CBitmap* pChecked) {
        return ::SetMenuItemBitmaps(m_hMenu, nPosition, nFlags, (HBITMAP)pUnchecked->GetSafeHandle(),
                                    (HBITMAP)pChecked->GetSafeHandle());
    }

    // With TPM_RETURNCMD the result is the chosen command (0 for none), otherwise a success flag
    // and the command arrives as WM_COMMAND at pWnd.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = NULL);
    BOOL TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm);

    // Owner-drawn menus: a derived menu draws and measures its own items.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}

    HMENU m_hMenu = NULL;
};
