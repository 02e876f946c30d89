// The folder picker's tree and its context menu.
#include "toolkit/FolderTreeCtrl.h"

BEGIN_MESSAGE_MAP(CFolderTreeCtrl, CBusyShellTreeCtrl)
    ON_WM_CONTEXTMENU()
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
END_MESSAGE_MAP()

CFolderTreeCtrl::CFolderTreeCtrl() {}

BOOL CFolderTreeCtrl::ShowItemMenu(HTREEITEM hItem, CPoint ptScreen)
{
    const CShellItemData* data = GetShellItem(hItem);
    if (!data || !data->pParentFolder) return FALSE;
    return ShowContextMenu(m_hWnd, data->pParentFolder, data->pidl, ptScreen);
}

void CFolderTreeCtrl::OnRClick(NMHDR*, LRESULT* pResult)
{
    // The menu is for the folder clicked on, which becomes the selection first.
    CPoint screen;
    ::GetCursorPos(&screen);
    CPoint client(screen);
    ScreenToClient(&client);
    UINT flags = 0;
    HTREEITEM hit = HitTest(client, &flags);
    if (hit && (flags & TVHT_ONITEM)) SelectItem(hit);
    if (HTREEITEM selected = GetSelectedItem()) ShowItemMenu(selected, screen);
    // Handled: no WM_CONTEXTMENU follows, so the menu is not shown twice.
    *pResult = 1;
}

void CFolderTreeCtrl::OnContextMenu(CWnd*, CPoint point)
{
    HTREEITEM selected = GetSelectedItem();
    if (!selected) return;
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: below the selected item's text.
        CRect rc;
        GetItemRect(selected, &rc, TRUE);
        point = CPoint(rc.left, rc.bottom);
        ClientToScreen(&point);
    }
    ShowItemMenu(selected, point);
}

BOOL CFolderTreeCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0 && InvokeCommand(m_hWnd, LOWORD(wParam))) return TRUE;
    return CBusyShellTreeCtrl::OnCommand(wParam, lParam);
}
