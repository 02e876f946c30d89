// CMenuBar: the flat menu bar that replaces a frame's window menu. It shows the menu's top-level
// titles as bar elements and opens their popups itself, from the mouse (click, then hover across
// titles) and from the keyboard (Alt alone, Alt with a title's mnemonic, arrows, Esc).
//
// The frame creates it as a top bar, hands it the window menu (LoadMenu; the bar owns the menu
// from then on) and removes the window menu. The frame passes on WM_SYSCOMMAND (OnSysCommand),
// WM_MENUCHAR (OnMenuChar) and, after its own handling, WM_INITMENUPOPUP and WM_MENUSELECT.
#pragma once

#include "toolkit/BarElement.h"
#include "toolkit/FixedSizeBar.h"

// Posted by the bar to itself to open a title's popup: wParam the title index, lParam low word
// nonzero when opened from the keyboard (the popup's first entry is selected).
const UINT WM_MENUBAR_TRACK = WM_USER + 100;

class CMenuBar : public CFixedSizeBar, public CBarElementHost {
    DECLARE_DYNAMIC(CMenuBar)
public:
    CMenuBar();
    ~CMenuBar() override;

    // Host slot 11: every title's DrawItem with these colours.
    virtual void DrawAllItems(CDC* pDC, COLORREF crText, COLORREF crTextHot, COLORREF crHighlight);
    // After CFixedSizeBar::Create, in this order. Layout places the titles (text width in the menu
    // font + 24 each, from the left, or from the right with the right-to-left flag), full height
    // less the bottom margin. DrawBackground fills the client area with COLOR_BTNFACE.
    virtual void Layout(CDC* pDC);
    virtual void DrawBackground(CDC* pDC);

    // One title per top-level entry of hMenu; the bar owns hMenu from now on (and destroys the
    // one it had).
    BOOL LoadMenu(HMENU hMenu, BOOL bRightToLeft);
    HMENU GetBarMenu() const { return m_hMenu; }

    // Called by the frame; each answers whether the bar used the message. Alt alone (SC_KEYMENU
    // with lParam 0) enters menu mode at the first title.
    BOOL OnSysCommand(UINT nID, LPARAM lParam);
    // With MF_SYSMENU in the flags: the title with this mnemonic opens from the keyboard.
    BOOL OnMenuChar(UINT nChar, UINT nFlags);
    BOOL OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex);
    BOOL OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);

    void SetTextColors(COLORREF crNormal, COLORREF crHot) { m_crText = crNormal; m_crTextHot = crHot; }
    void SetHighlightColor(COLORREF cr) { m_crHighlight = cr; }
    void SetBottomMargin(int nPixels) { m_nBottomMargin = nPixels; m_bLayoutDirty = TRUE; }
    COLORREF GetTextColor() const { return m_crText; }
    COLORREF GetTextHotColor() const { return m_crTextHot; }
    COLORREF GetHighlightColor() const { return m_crHighlight; }

    BOOL IsInMenuMode() const { return m_bMenuMode; }
    BOOL IsPopupOpen() const { return m_bPopupOpen; }
    // The title whose popup is (or was last) open or that the keyboard is on.
    int GetCurrentTitle() const { return m_nCurrent; }

    // Mouse messages go to the titles (hover highlight) before the bar handles them; in menu mode
    // the bar tracks the titles itself.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    void EnterMenuMode(int nIndex);
    void LeaveMenuMode();
    // Opens the current title's popup, and the next one's while the mouse or the arrow keys ask
    // for it, until a popup closes for good.
    void TrackPopups();
    void CancelPopup();
    // A click outside the bar in menu mode without a popup: menu mode ends and the click goes to
    // the window under it. FALSE when the point is on the bar.
    BOOL PassClickOutside(UINT message, CPoint point);
    void EnsureLayout();
    void SetCurrentTitle(int nIndex);
    CWnd* GetFrame() const;
    static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(CWnd* pNewWnd);
    void OnCaptureChanged(CWnd* pWnd);
    UINT OnGetDlgCode();
    LRESULT OnMenuBarTrack(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    HMENU m_hMenu = NULL;
    BOOL m_bRightToLeft = FALSE;
    COLORREF m_crText;
    COLORREF m_crTextHot;
    COLORREF m_crHighlight;
    int m_nBottomMargin = 0;
    BOOL m_bLayoutDirty = TRUE;
    BOOL m_bMenuMode = FALSE;
    BOOL m_bPopupOpen = FALSE;
    BOOL m_bContinueTracking = FALSE;
    BOOL m_bKeyboardOpen = FALSE;
    int m_nCurrent = -1;
    CPoint m_ptLast;
    HWND m_hWndFocusBefore = NULL;
    HMENU m_hPopup = NULL;
    BOOL m_bOwnPopupShown = FALSE;
    BOOL m_bSubmenuSelected = FALSE;
    BOOL m_bStayInMenuMode = FALSE;
    // Set by the destructor for a tracking loop that outlives the bar (a command closed the frame).
    bool* m_pbDestroyed = nullptr;
};
