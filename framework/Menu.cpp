// CMenu: loading, ownership, temporary wrappers and pop-up tracking.
#include "framework/Menu.h"

#include "framework/Wnd.h"

#include <map>
#include <vector>

namespace {

// Per-thread wrappers of menus this code does not own (sub-menus, menus of windows).
struct TemporaryMenus {
    std::map<HMENU, CMenu*> items;
    ~TemporaryMenus() {
        for (auto& e : items) {
            e.second->Detach();
            delete e.second;
        }
    }
};

} // namespace

CMenu* PASCAL CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu) return NULL;
    static thread_local TemporaryMenus temporaries;
    CMenu*& item = temporaries.items[hMenu];
    if (!item) {
        item = new CMenu;
        item->m_hMenu = hMenu;
    }
    return item;
}

CMenu* PASCAL CMenu::GetSystemMenu(HWND hWnd, BOOL bRevert)
{
    return FromHandle(::GetSystemMenu(hWnd, bRevert));
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (hMenu != m_hMenu) {
        DestroyMenu();
        m_hMenu = hMenu;
    }
    return hMenu != NULL;
}

BOOL CMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    return Attach(::LoadMenuW(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu) return FALSE;
    // A menu that a window still shows as its bar is the window's to destroy.
    BOOL ok = ::IsMenu(m_hMenu) ? ::DestroyMenu(m_hMenu) : FALSE;
    m_hMenu = NULL;
    return ok;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    rString.Empty();
    int n = ::GetMenuStringW(m_hMenu, nIDItem, NULL, 0, nFlags);
    if (n <= 0) return 0;
    std::vector<wchar_t> buf((size_t)n + 1, L'\0');
    n = ::GetMenuStringW(m_hMenu, nIDItem, buf.data(), n + 1, nFlags);
    rString = CString(buf.data(), n);
    return n;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd->GetSafeHwnd(), lpRect);
}

BOOL CMenu::TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm)
{
    return ::TrackPopupMenuEx(m_hMenu, fuFlags, x, y, pWnd->GetSafeHwnd(), lptpm);
}

CMenu* CWnd::GetMenu() const
{
    HMENU hMenu = ::GetMenu(m_hWnd);
    return hMenu ? CMenu::FromHandle(hMenu) : NULL;
}

BOOL CWnd::SetMenu(CMenu* pMenu)
{
    return ::SetMenu(m_hWnd, pMenu ? pMenu->GetSafeHmenu() : NULL);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::GetSystemMenu(m_hWnd, bRevert);
}
