// The programs' frame windows: CAppFrameWnd remembers its rectangle in the settings
// ("MainWindow.Left", "MainWindow.Top", "MainWindow.Width", "MainWindow.Height", through the
// toolkit host) and runs the update check on WM_START_UPDATE_CHECK; CAppFrameWnd_OVMB adds the
// menu bar in place of the window menu.
#pragma once

#include "framework/framework.h"
#include "toolkit/MenuBar.h"

class CAppFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CAppFrameWnd)
public:
    CAppFrameWnd();

    // The saved rectangle when one is saved (left and top not -1, width and height above 0) and
    // it lies at least partly on a screen.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    // What closing stores: SW_SHOWMINIMIZED (nothing is stored), SW_SHOWMAXIMIZED (-1 four times)
    // or SW_SHOWNORMAL with the window rectangle in screen coordinates. A frame that moves its
    // window for a while (full screen) answers with the placement it returns to.
    virtual UINT GetPlacementToSave(CRect& rect);

    // The placement closing stores for a placement a frame keeps (SetWindowPlacement's form, in
    // workspace coordinates): minimised, maximised, or the normal rectangle on the screen.
    static UINT PlacementToSave(const WINDOWPLACEMENT& wp, CRect& rect);

protected:
    // After the base: centred when no rectangle is saved (left -1 and width 0 or less), or the
    // saved one is on no screen.
    int OnCreate(LPCREATESTRUCT lpcs);
    // Before the base: stores the placement (GetPlacementToSave).
    void OnDestroy();
    // wParam 0 starts the update check (lParam nonzero: automatic); always 0.
    LRESULT OnStartUpdateCheck(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

class CAppFrameWnd_OVMB : public CAppFrameWnd {
    DECLARE_DYNCREATE(CAppFrameWnd_OVMB)
public:
    CAppFrameWnd_OVMB();

    // TRUE or FALSE as the base.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = NULL, CCreateContext* pContext = NULL) override;

    // The derived frame supplies its bar (a member) before the window is created; without one the
    // frame keeps its window menu.
    void SetMenuBar(CMenuBar* pMenuBar) { m_pMenuBar = pMenuBar; }
    CMenuBar* GetMenuBar() const { return m_pMenuBar; }

    // The menu bar's window id, which is also the id of the framework's "toolbar" command.
    static const UINT kMenuBarId = AFX_IDW_CONTROLBAR_FIRST;

protected:
    CMenuBar* m_pMenuBar = NULL;
    int m_nBarHeight = 21;

    // After the base: the bar is created at the top and takes over the window menu; -1 when it
    // cannot be created.
    int OnCreate(LPCREATESTRUCT lpcs);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    // Alt alone goes to the bar; the system's handling would start its own menu loop and take the
    // keyboard from the bar, so it runs only when the bar did not take the command.
    void OnSysCommand(UINT nID, LPARAM lParam);
    // The framework frame shows and hides the bar whose id its "toolbar" command carries; the
    // menu bar has that id and is never switched off that way.
    BOOL OnBarCheckExceptMenuBar(UINT nID);
    void OnUpdateBarMenuExceptMenuBar(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

// Layered windows: the window's alpha (0..255) through SetLayeredWindowAttributes, looked up in
// USER32 at each call (FALSE when the system lacks it); ClearWindowAlpha makes the window opaque
// again and redraws it whole.
BOOL SetWindowAlpha(HWND hWnd, BYTE alpha);
void ClearWindowAlpha(HWND hWnd);
