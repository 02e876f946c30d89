// The menu bar: titles from the window menu, painting, and menu mode with its popup loop.
#include "toolkit/MenuBar.h"

#include "toolkit/MemoryDC.h"
#include "toolkit/ToolkitHost.h"

namespace {

// The bar whose popup is open on this thread: the message-filter hook works for it.
thread_local CMenuBar* t_trackingBar = nullptr;

HGDIOBJ MenuFontHandle()
{
    CToolkitHost* host = GetToolkitHost();
    CFont* font = host ? host->GetMenuFont() : NULL;
    return font && font->GetSafeHandle() ? font->GetSafeHandle() : ::GetStockObject(DEFAULT_GUI_FONT);
}

WCHAR UpperChar(WCHAR ch)
{
    WCHAR text[2] = {ch, 0};
    ::CharUpperW(text);
    return text[0];
}

} // namespace

IMPLEMENT_DYNAMIC(CMenuBar, CFixedSizeBar)

BEGIN_MESSAGE_MAP(CMenuBar, CFixedSizeBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_KEYDOWN()
    ON_WM_SYSKEYDOWN()
    ON_WM_KILLFOCUS()
    ON_WM_CAPTURECHANGED()
    ON_WM_GETDLGCODE()
    ON_MESSAGE(WM_MENUBAR_TRACK, OnMenuBarTrack)
END_MESSAGE_MAP()

CMenuBar::CMenuBar()
    : CBarElementHost(this), m_crText(::GetSysColor(COLOR_MENUTEXT)), m_crTextHot(::GetSysColor(COLOR_MENUTEXT)),
      m_crHighlight(::GetSysColor(COLOR_HIGHLIGHT))
{
}

CMenuBar::~CMenuBar()
{
    if (m_pbDestroyed) *m_pbDestroyed = true;
    if (t_trackingBar == this) t_trackingBar = nullptr;
    // The elements must go while the window object is still whole.
    DeleteAllItems();
    if (m_hMenu && ::IsMenu(m_hMenu)) ::DestroyMenu(m_hMenu);
    m_hMenu = NULL;
}

BOOL CMenuBar::LoadMenu(HMENU hMenu, BOOL bRightToLeft)
{
    DeleteAllItems();
    m_nCurrent = -1;
    const int count = hMenu ? ::GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[1025] = {};
        ::GetMenuStringW(hMenu, (UINT)i, text, 1025, MF_BYPOSITION);
        AddItem(new CMenuBarElement(this, text));
    }
    if (m_hMenu && m_hMenu != hMenu && ::IsMenu(m_hMenu)) ::DestroyMenu(m_hMenu);
    m_hMenu = hMenu;
    m_bRightToLeft = bRightToLeft;
    m_bLayoutDirty = TRUE;
    if (m_hWnd) Invalidate(FALSE);
    return TRUE;
}

// ---- drawing

void CMenuBar::DrawAllItems(CDC* pDC, COLORREF crText, COLORREF crTextHot, COLORREF crHighlight)
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (CMenuBarElement* title = dynamic_cast<CMenuBarElement*>(GetItem(i)))
            title->DrawItem(pDC, crText, crTextHot, crHighlight);
}

void CMenuBar::Layout(CDC* pDC)
{
    m_bLayoutDirty = FALSE;
    CRect client;
    GetClientRect(&client);
    client.bottom -= m_nBottomMargin;
    CGdiSelector font(pDC->m_hDC, MenuFontHandle());
    int x = m_bRightToLeft ? client.right : client.left;
    for (int i = 0; i < GetItemCount(); ++i) {
        CMenuBarElement* title = dynamic_cast<CMenuBarElement*>(GetItem(i));
        if (!title) continue;
        CRect measure(0, 0, 0, 0);
        pDC->DrawText(title->GetTitle(), &measure, DT_CALCRECT | DT_SINGLELINE);
        const int width = measure.Width() + 24;
        if (m_bRightToLeft) {
            title->SetRect(x - width, client.top, x, client.bottom, FALSE);
            x -= width;
        } else {
            title->SetRect(x, client.top, x + width, client.bottom, FALSE);
            x += width;
        }
    }
}

void CMenuBar::DrawBackground(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
}

void CMenuBar::EnsureLayout()
{
    if (!m_bLayoutDirty || !m_hWnd) return;
    CClientDC dc(this);
    Layout(&dc);
}

void CMenuBar::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemoryDC dc(&paint, &client);
    DrawBackground(&dc);
    if (m_bLayoutDirty) Layout(&dc);
    DrawAllItems(&dc, m_crText, m_crTextHot, m_crHighlight);
}

BOOL CMenuBar::OnEraseBkgnd(CDC*)
{
    return TRUE;  // painting covers the whole bar
}

void CMenuBar::OnSize(UINT nType, int cx, int cy)
{
    CFixedSizeBar::OnSize(nType, cx, cy);
    m_bLayoutDirty = TRUE;
    Invalidate(FALSE);
}

void CMenuBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    UpdateCmdUI(pTarget, bDisableIfNoHndler);
}

// ---- mouse

BOOL CMenuBar::PreTranslateMessage(MSG* pMsg)
{
    // In menu mode the bar's own handlers decide which title is lit, wherever the mouse is.
    if (pMsg->hwnd == m_hWnd && !m_bMenuMode) RelayMouseMessage(pMsg);
    return CFixedSizeBar::PreTranslateMessage(pMsg);
}

CWnd* CMenuBar::GetFrame() const
{
    if (CWnd* frame = GetParentFrame()) return frame;
    return GetParent();
}

BOOL CMenuBar::PassClickOutside(UINT message, CPoint point)
{
    CPoint screen = point;
    ClientToScreen(&screen);
    CRect bar;
    GetWindowRect(&bar);
    if (bar.PtInRect(screen)) return FALSE;
    LeaveMenuMode();
    HWND target = ::WindowFromPoint(screen);
    if (!target) return TRUE;
    DWORD_PTR hit = HTNOWHERE;
    // The window may belong to another program: a hung one must not hang the bar.
    if (!::SendMessageTimeoutW(target, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y), SMTO_ABORTIFHUNG, 1000, &hit))
        return TRUE;
    const bool left = message == WM_LBUTTONDOWN;
    if ((LRESULT)hit == HTCLIENT) {
        CPoint client = screen;
        ::ScreenToClient(target, &client);
        ::PostMessageW(target, message, left ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(client.x, client.y));
    } else {
        ::PostMessageW(target, left ? WM_NCLBUTTONDOWN : WM_NCRBUTTONDOWN, (WPARAM)hit, MAKELPARAM(screen.x, screen.y));
    }
    return TRUE;
}

void CMenuBar::OnLButtonDown(UINT, CPoint point)
{
    if (m_bMenuMode && !m_bPopupOpen && PassClickOutside(WM_LBUTTONDOWN, point)) return;
    EnsureLayout();
    const int index = HitTest(point.x, point.y);
    if (index < 0) {
        // The empty part of the bar moves the window, as a caption would.
        LeaveMenuMode();
        CPoint screen = point;
        ClientToScreen(&screen);
        if (CWnd* frame = GetFrame()) frame->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
        return;
    }
    PostMessage(WM_MENUBAR_TRACK, (WPARAM)index, 0);
}

void CMenuBar::OnRButtonDown(UINT, CPoint point)
{
    if (m_bMenuMode && !m_bPopupOpen && PassClickOutside(WM_RBUTTONDOWN, point)) return;
    Default();
}

void CMenuBar::OnMouseMove(UINT, CPoint point)
{
    if (!m_bMenuMode) {
        Default();
        return;
    }
    if (m_bPopupOpen && point == m_ptLast) return;
    m_ptLast = point;
    CPoint screen = point;
    ClientToScreen(&screen);
    if (::WindowFromPoint(screen) != m_hWnd) return;
    EnsureLayout();
    const int index = HitTest(point.x, point.y);
    if (index < 0) {
        SetHotItem(NULL);
        return;
    }
    SetHotItem(GetItem(index));
    if (index != m_nCurrent && m_bPopupOpen) {
        CancelPopup();
        m_bContinueTracking = TRUE;
        m_bKeyboardOpen = FALSE;
    }
    m_nCurrent = index;
}

void CMenuBar::OnMouseLeave()
{
    OnBarMouseLeave();
    Default();
}

void CMenuBar::OnCaptureChanged(CWnd* pWnd)
{
    OnCaptureLost();
    // Another window took the mouse while the keyboard drove the bar (a popup's own capture is
    // expected): menu mode cannot go on without it.
    if (m_bMenuMode && !m_bPopupOpen && (!pWnd || pWnd->m_hWnd != m_hWnd)) LeaveMenuMode();
    Default();
}

// ---- keyboard

void CMenuBar::SetCurrentTitle(int nIndex)
{
    m_nCurrent = nIndex;
    SetHotItem(GetItem(nIndex));
}

void CMenuBar::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (!m_bMenuMode) {
        Default();
        return;
    }
    const int count = GetItemCount();
    switch (nChar) {
    case VK_ESCAPE:
        LeaveMenuMode();
        return;
    case VK_SPACE:
        LeaveMenuMode();
        if (CWnd* frame = GetFrame()) frame->PostMessage(WM_SYSCOMMAND, SC_KEYMENU, L' ');
        return;
    case VK_LEFT:
    case VK_RIGHT: {
        if (count <= 0) return;
        // Right-to-left titles run the other way on the screen.
        int step = nChar == VK_LEFT ? -1 : 1;
        if (m_bRightToLeft) step = -step;
        const int current = m_nCurrent >= 0 && m_nCurrent < count ? m_nCurrent : 0;
        SetCurrentTitle((current + step + count) % count);
        if (m_bPopupOpen) {
            CancelPopup();
            m_bContinueTracking = TRUE;
            m_bKeyboardOpen = TRUE;
        }
        return;
    }
    case VK_UP:
    case VK_DOWN:
        if (m_nCurrent >= 0 && m_nCurrent < count) PostMessage(WM_MENUBAR_TRACK, (WPARAM)m_nCurrent, 1);
        return;
    default:
        Default();
        return;
    }
}

void CMenuBar::OnSysKeyDown(UINT nChar, UINT, UINT)
{
    if (m_bMenuMode) {
        LeaveMenuMode();
        // Alt (or F10) that ends menu mode must not start it again when it is released.
        if (nChar == VK_MENU || nChar == VK_F10) return;
    }
    Default();
}

void CMenuBar::OnKillFocus(CWnd*)
{
    Default();
    LeaveMenuMode();
}

UINT CMenuBar::OnGetDlgCode()
{
    UINT code = (UINT)Default();
    if (m_bMenuMode) code |= DLGC_WANTALLKEYS;
    return code;
}

// ---- menu mode

void CMenuBar::EnterMenuMode(int nIndex)
{
    if (m_bMenuMode) return;
    m_bMenuMode = TRUE;
    HWND focus = ::GetFocus();
    if (focus != m_hWnd) m_hWndFocusBefore = focus;
    // The keys of menu mode (arrows, Esc, Space) come to the bar.
    ::SetFocus(m_hWnd);
    ::SetCapture(m_hWnd);
    SendMessage(WM_SETCURSOR, (WPARAM)m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EnsureLayout();
    SetCurrentTitle(nIndex);
}

void CMenuBar::LeaveMenuMode()
{
    if (!m_bMenuMode) return;
    m_bMenuMode = FALSE;
    SetHotItem(NULL);
    HWND before = m_hWndFocusBefore;
    m_hWndFocusBefore = NULL;
    if (::GetFocus() == m_hWnd) {
        if (before && ::IsWindow(before)) ::SetFocus(before);
        else if (CWnd* frame = GetFrame()) frame->SetFocus();
    }
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CMenuBar::CancelPopup()
{
    if (CWnd* frame = GetFrame()) frame->PostMessage(WM_CANCELMODE);
}

LRESULT CMenuBar::OnMenuBarTrack(WPARAM wParam, LPARAM lParam)
{
    const int index = (int)wParam;
    // A loop runs already (the message came from inside a popup), or the title is gone.
    if (m_bPopupOpen || !GetItem(index)) return 0;
    EnterMenuMode(index);
    SetCurrentTitle(index);
    m_bContinueTracking = TRUE;
    m_bStayInMenuMode = FALSE;
    m_bKeyboardOpen = LOWORD(lParam) != 0;
    bool destroyed = false;
    m_pbDestroyed = &destroyed;
    TrackPopups();
    if (destroyed) return 0;
    m_pbDestroyed = nullptr;
    if (m_bStayInMenuMode) {
        ::SetCapture(m_hWnd);
        SetCurrentTitle(m_nCurrent);
    } else {
        LeaveMenuMode();
    }
    return 0;
}

void CMenuBar::TrackPopups()
{
    while (m_bContinueTracking) {
        m_bContinueTracking = FALSE;
        CBarElement* title = GetItem(m_nCurrent);
        HMENU popup = m_hMenu ? ::GetSubMenu(m_hMenu, m_nCurrent) : NULL;
        if (!title || !popup) break;
        SetPressedItem(title);
        UpdateWindow();
        if (m_bKeyboardOpen) {
            // The popup's loop takes the key and selects its first entry.
            ::keybd_event(VK_DOWN, 0, 0, 0);
            ::keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
        }
        CRect rc = title->GetItemRect();
        ClientToScreen(&rc);
        TPMPARAMS tpm = {sizeof(tpm), rc};
        CWnd* frame = GetFrame();
        m_hPopup = popup;
        m_bOwnPopupShown = TRUE;
        m_bSubmenuSelected = FALSE;
        CMenuBar* outer = t_trackingBar;
        t_trackingBar = this;
        HHOOK hook = ::SetWindowsHookExW(WH_MSGFILTER, &CMenuBar::MenuFilterHook, NULL, ::GetCurrentThreadId());
        m_bPopupOpen = TRUE;
        bool* destroyed = m_pbDestroyed;
        ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON, rc.left < 0 ? 0 : rc.left,
                           rc.bottom, frame ? frame->m_hWnd : m_hWnd, &tpm);
        if (hook) ::UnhookWindowsHookEx(hook);
        t_trackingBar = outer;
        if (destroyed && *destroyed) return;
        m_bPopupOpen = FALSE;
        m_hPopup = NULL;
        SetPressedItem(NULL);
    }
}

LRESULT CALLBACK CMenuBar::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    CMenuBar* bar = t_trackingBar;
    if (code == MSGF_MENU && bar && bar->m_hWnd && lParam) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        switch (msg->message) {
        case WM_KEYDOWN:
            if (msg->wParam == VK_ESCAPE) {
                // Esc on the title's own popup closes it and keeps the keyboard on the bar.
                bar->m_bStayInMenuMode = bar->m_bOwnPopupShown;
            } else if (msg->wParam == VK_LEFT) {
                if (bar->m_bOwnPopupShown) bar->SendMessage(WM_KEYDOWN, msg->wParam, msg->lParam);
            } else if (msg->wParam == VK_RIGHT) {
                if (!bar->m_bSubmenuSelected) bar->SendMessage(WM_KEYDOWN, msg->wParam, msg->lParam);
            }
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDBLCLK: {
            CPoint pt = msg->pt;
            bar->ScreenToClient(&pt);
            bar->SendMessage(msg->message, msg->wParam, MAKELPARAM(pt.x, pt.y));
            break;
        }
        default:
            break;
        }
    }
    return ::CallNextHookEx(NULL, code, wParam, lParam);
}

// ---- the frame's messages

BOOL CMenuBar::OnSysCommand(UINT nID, LPARAM lParam)
{
    if (!m_hWnd || !IsWindowVisible() || GetItemCount() == 0) return FALSE;
    if ((nID & 0xFFF0) != SC_KEYMENU || lParam != 0) return FALSE;
    if (m_bPopupOpen) {
        m_bContinueTracking = FALSE;
        m_bStayInMenuMode = TRUE;
        CancelPopup();
    }
    EnterMenuMode(0);
    SetCurrentTitle(0);
    return TRUE;
}

BOOL CMenuBar::OnMenuChar(UINT nChar, UINT nFlags)
{
    if (!m_hWnd || !IsWindowVisible() || !(nFlags & MF_SYSMENU)) return FALSE;
    const WCHAR wanted = UpperChar((WCHAR)nChar);
    for (int i = 0; i < GetItemCount(); ++i) {
        CMenuBarElement* title = dynamic_cast<CMenuBarElement*>(GetItem(i));
        if (title && title->GetMnemonic() && UpperChar(title->GetMnemonic()) == wanted) {
            PostMessage(WM_MENUBAR_TRACK, (WPARAM)i, 0x10001);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMenuBar::OnInitMenuPopup(HMENU hPopupMenu, UINT)
{
    if (!m_bPopupOpen) return FALSE;
    m_bOwnPopupShown = hPopupMenu == m_hPopup;
    return TRUE;
}

BOOL CMenuBar::OnMenuSelect(UINT, UINT nFlags, HMENU hMenu)
{
    if (!m_bPopupOpen) return FALSE;
    if (nFlags == 0xFFFF && !hMenu) return TRUE;  // the menu is closing
    m_bOwnPopupShown = hMenu == m_hPopup;
    m_bSubmenuSelected = (nFlags & MF_POPUP) != 0;
    return TRUE;
}
