// CFolderTreeCtrl: the folder picker's tree: the busy shell tree with the shell's context menu
// on every folder.
#pragma once

#include "toolkit/ShellContextMenu.h"
#include "toolkit/ShellTreeCtrl.h"

class CFolderTreeCtrl : public CBusyShellTreeCtrl, public CShellContextMenu {
public:
    CFolderTreeCtrl();

    // The shell's menu for an item at a screen point; FALSE when it has none.
    BOOL ShowItemMenu(HTREEITEM hItem, CPoint ptScreen);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};
