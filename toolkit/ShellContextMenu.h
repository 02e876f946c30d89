// CShellContextMenu: the shell's own context menu for one item of the namespace, shown over a
// window that is subclassed while the menu is up so the menu's owner-drawn parts and help texts
// reach the shell.
#pragma once

#include "framework/Wnd.h"

#include <shlobj.h>

class CShellContextMenu {
public:
    // The command ids the shell's items are given.
    static constexpr UINT kFirstCommand = 0xE00;
    static constexpr UINT kLastCommand = 0xFFF;

    CShellContextMenu();
    virtual ~CShellContextMenu();

    // Fills a popup with the shell's commands for pidlChild of pParentFolder and tracks it at
    // ptScreen for hOwner. A chosen command arrives at the owner as a WM_COMMAND in the range
    // above, for InvokeCommand. FALSE when the shell offers no menu for the item.
    BOOL ShowContextMenu(HWND hOwner, IShellFolder* pParentFolder, LPCITEMIDLIST pidlChild, POINT ptScreen);
    // Carries out a command of the last menu (and lets the menu go); FALSE for other ids.
    BOOL InvokeCommand(HWND hOwner, UINT nID);
    BOOL IsShellCommand(UINT nID) const { return m_pContextMenu && nID >= m_nFirstCommand && nID <= m_nLastCommand; }
    // The range the last menu used (the last id is first + number of commands - 1).
    UINT GetFirstCommand() const { return m_nFirstCommand; }
    UINT GetLastCommand() const { return m_nLastCommand; }
    void ReleaseMenu();

    // The menu while it is tracked (null otherwise), for those that look at it.
    HMENU GetTrackedMenu() const { return m_hMenu; }

protected:
    IContextMenu* m_pContextMenu = NULL;
    UINT m_nFirstCommand = kFirstCommand;
    UINT m_nLastCommand = kFirstCommand - 1;
    HWND m_hOwner = NULL;
    WNDPROC m_pfnOwnerProc = NULL;
    HMENU m_hMenu = NULL;

    void Subclass(HWND hOwner);
    // Lets the window go. Under a subclass that came later OwnerProc cannot leave the chain: it
    // stays, forwarding every message, until the window is destroyed.
    void Unsubclass();
    // Shows the command's help text in the frame the owner belongs to.
    void ShowHelpText(UINT nID);
    static LRESULT CALLBACK OwnerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
