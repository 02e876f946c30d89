// The application frames and the layered-window functions.
#include "toolkit/AppFrameWnd.h"

#include "toolkit/ToolkitHost.h"
#include "toolkit/UpdateCheck.h"

namespace {

// A rectangle saved on a screen that is gone (a second monitor unplugged, a smaller resolution),
// or with too little of the caption on one to take the frame by, would open the frame where nobody
// can reach it: it counts as none saved.
bool SavedRectUsable(int left, int top, int width, int height)
{
    if (left == -1 || top == -1) return false;
    return IsSavedPlaceUsable(left, top, width, height) != FALSE;
}

} // namespace

// ---- CAppFrameWnd

IMPLEMENT_DYNCREATE(CAppFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CAppFrameWnd, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_START_UPDATE_CHECK, OnStartUpdateCheck)
END_MESSAGE_MAP()

CAppFrameWnd::CAppFrameWnd() {}

BOOL CAppFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    CToolkitHost* host = GetToolkitHost();
    if (!host) return TRUE;
    int left = -1, top = -1, width = 0, height = 0;
    host->GetMainWindowRect(left, top, width, height);
    if (SavedRectUsable(left, top, width, height)) {
        cs.x = left;
        cs.y = top;
        cs.cx = width;
        cs.cy = height;
    }
    return TRUE;
}

int CAppFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
    if (CToolkitHost* host = GetToolkitHost()) {
        int left = -1, top = -1, width = 0, height = 0;
        host->GetMainWindowRect(left, top, width, height);
        if ((left == -1 && width <= 0) || !SavedRectUsable(left, top, width, height)) CenterWindow();
    }
    return 0;
}

UINT CAppFrameWnd::PlacementToSave(const WINDOWPLACEMENT& wp, CRect& rect)
{
    if (wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE || wp.showCmd == SW_SHOWMINNOACTIVE)
        return SW_SHOWMINIMIZED;
    if (wp.showCmd == SW_SHOWMAXIMIZED) return SW_SHOWMAXIMIZED;
    // Workspace coordinates leave out the taskbar at the top or left of the primary screen.
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    rect = wp.rcNormalPosition;
    rect.OffsetRect(work.left, work.top);
    return SW_SHOWNORMAL;
}

UINT CAppFrameWnd::GetPlacementToSave(CRect& rect)
{
    if (IsIconic()) return SW_SHOWMINIMIZED;
    if (IsZoomed()) return SW_SHOWMAXIMIZED;
    GetWindowRect(&rect);
    return SW_SHOWNORMAL;
}

void CAppFrameWnd::OnDestroy()
{
    if (CToolkitHost* host = GetToolkitHost()) {
        CRect rect(0, 0, 0, 0);
        switch (GetPlacementToSave(rect)) {
        case SW_SHOWMAXIMIZED:
            host->SetMainWindowRect(-1, -1, -1, -1);
            break;
        case SW_SHOWNORMAL:
            if (rect.Width() > 0 && rect.Height() > 0) host->SetMainWindowRect(rect.left, rect.top, rect.Width(), rect.Height());
            break;
        default:
            break;  // minimised: the stored placement stays as it was
        }
    }
    CFrameWnd::OnDestroy();
}

LRESULT CAppFrameWnd::OnStartUpdateCheck(WPARAM wParam, LPARAM lParam)
{
    return HandleStartUpdateCheck(wParam, lParam);
}

// ---- CAppFrameWnd_OVMB

IMPLEMENT_DYNCREATE(CAppFrameWnd_OVMB, CAppFrameWnd)

BEGIN_MESSAGE_MAP(CAppFrameWnd_OVMB, CAppFrameWnd)
    ON_WM_CREATE()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_SYSCOMMAND()
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheckExceptMenuBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateBarMenuExceptMenuBar)
END_MESSAGE_MAP()

CAppFrameWnd_OVMB::CAppFrameWnd_OVMB() {}

BOOL CAppFrameWnd_OVMB::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    return CAppFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext) ? TRUE : FALSE;
}

int CAppFrameWnd_OVMB::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CAppFrameWnd::OnCreate(lpcs) == -1) return -1;
    if (!m_pMenuBar) return 0;
    if (!m_pMenuBar->Create(WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect(0, 0, m_nBarHeight, m_nBarHeight), this, kMenuBarId))
        return -1;
    HMENU menu = ::GetMenu(m_hWnd);
    m_pMenuBar->LoadMenu(menu, FALSE);
    // The bar owns the menu now; the window must not destroy it.
    ::SetMenu(m_hWnd, NULL);
    RecalcLayout();
    return 0;
}

LRESULT CAppFrameWnd_OVMB::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    if (m_pMenuBar && m_pMenuBar->m_hWnd && m_pMenuBar->OnMenuChar(nChar, nFlags)) return MAKELRESULT(0, MNC_CLOSE);
    return CAppFrameWnd::OnMenuChar(nChar, nFlags, pMenu);
}

void CAppFrameWnd_OVMB::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CAppFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (m_pMenuBar && m_pMenuBar->m_hWnd && !bSysMenu) m_pMenuBar->OnInitMenuPopup(pPopupMenu->GetSafeHmenu(), nIndex);
}

void CAppFrameWnd_OVMB::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    CAppFrameWnd::OnMenuSelect(nItemID, nFlags, hSysMenu);
    if (m_pMenuBar && m_pMenuBar->m_hWnd) m_pMenuBar->OnMenuSelect(nItemID, nFlags, hSysMenu);
}

void CAppFrameWnd_OVMB::OnSysCommand(UINT nID, LPARAM lParam)
{
    if (m_pMenuBar && m_pMenuBar->m_hWnd && m_pMenuBar->OnSysCommand(nID, lParam)) return;
    CAppFrameWnd::OnSysCommand(nID, lParam);
}

BOOL CAppFrameWnd_OVMB::OnBarCheckExceptMenuBar(UINT nID)
{
    if (m_pMenuBar && GetControlBar(nID) == m_pMenuBar) return FALSE;
    return OnBarCheck(nID);
}

void CAppFrameWnd_OVMB::OnUpdateBarMenuExceptMenuBar(CCmdUI* pCmdUI)
{
    if (m_pMenuBar && GetControlBar(pCmdUI->m_nID) == m_pMenuBar) {
        pCmdUI->ContinueRouting();
        return;
    }
    OnUpdateControlBarMenu(pCmdUI);
}

// ---- layered windows

namespace {
typedef BOOL(WINAPI* SetLayeredWindowAttributesFn)(HWND, COLORREF, BYTE, DWORD);
}

BOOL SetWindowAlpha(HWND hWnd, BYTE alpha)
{
    if (!hWnd || !::IsWindow(hWnd)) return FALSE;
    CWnd::ModifyStyleEx(hWnd, 0, WS_EX_LAYERED, 0);
    HMODULE user32 = ::GetModuleHandleW(L"USER32.DLL");
    SetLayeredWindowAttributesFn fn =
        user32 ? reinterpret_cast<SetLayeredWindowAttributesFn>(
                     reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")))
               : NULL;
    if (!fn) return FALSE;
    return fn(hWnd, 0, alpha, LWA_ALPHA);
}

void ClearWindowAlpha(HWND hWnd)
{
    if (!hWnd || !::IsWindow(hWnd)) return;
    CWnd::ModifyStyleEx(hWnd, WS_EX_LAYERED, 0, 0);
    ::RedrawWindow(hWnd, NULL, NULL, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}
