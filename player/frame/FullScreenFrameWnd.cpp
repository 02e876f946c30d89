// The full-screen frame.
#include "player/frame/FullScreenFrameWnd.h"

IMPLEMENT_DYNCREATE(CFullScreenFrameWnd, CAppFrameWnd_OVMB)

BEGIN_MESSAGE_MAP(CFullScreenFrameWnd, CAppFrameWnd_OVMB)
    ON_WM_GETMINMAXINFO()
    ON_WM_WINDOWPOSCHANGING()
END_MESSAGE_MAP()

namespace {

// Window updates stay off while the frame changes its placement, so the views never paint a
// half-moved window; unlocking repaints what was held back.
class CUpdateLock {
public:
    explicit CUpdateLock(HWND hWnd) : m_locked(::LockWindowUpdate(hWnd) != FALSE) {}
    ~CUpdateLock()
    {
        if (m_locked) ::LockWindowUpdate(NULL);
    }
    CUpdateLock(const CUpdateLock&) = delete;
    CUpdateLock& operator=(const CUpdateLock&) = delete;

private:
    bool m_locked;
};

}  // namespace

CFullScreenFrameWnd::CFullScreenFrameWnd() : m_rcFullScreen(0, 0, 0, 0), m_rcInset(0, 0, 0, 0)
{
    m_wpSaved = {};
    m_wpSaved.length = sizeof(m_wpSaved);
}

BOOL CFullScreenFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CAppFrameWnd_OVMB::PreCreateWindow(cs)) return FALSE;
    cs.style &= ~(DWORD)FWS_ADDTOTITLE;
    cs.dwExStyle &= ~(DWORD)WS_EX_CLIENTEDGE;
    return TRUE;
}

CRect CFullScreenFrameWnd::FullScreenRectFor(const CRect& rcWindow, const CRect& rcClient, const CRect& rcScreen,
                                             const CRect& rcInset)
{
    CRect rc(rcScreen.left + rcWindow.left - rcClient.left, rcScreen.top + rcWindow.top - rcClient.top,
             rcScreen.right + rcWindow.right - rcClient.right, rcScreen.bottom + rcWindow.bottom - rcClient.bottom);
    rc.left -= rcInset.left;
    rc.top -= rcInset.top;
    rc.right += rcInset.right;
    rc.bottom += rcInset.bottom;
    rc.InflateRect(2, 2);
    return rc;
}

void CFullScreenFrameWnd::ToggleFullScreen()
{
    if (!m_hWnd) return;
    CUpdateLock lock(m_hWnd);
    if (m_nFullScreenState == FULL_SCREEN_OFF) {
        m_nFullScreenState = FULL_SCREEN_ENTERING;
        m_wpSaved = {};
        m_wpSaved.length = sizeof(m_wpSaved);
        ::GetWindowPlacement(m_hWnd, &m_wpSaved);
        CRect rcWindow, rcClient;
        GetWindowRect(&rcWindow);
        GetClientRect(&rcClient);
        ClientToScreen(&rcClient);
        const CRect screen(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        m_rcFullScreen = FullScreenRectFor(rcWindow, rcClient, screen, m_rcInset);
        // A placement's normal position is in workspace coordinates: a taskbar at the top or the
        // left of the screen would otherwise push the window off its place.
        RECT work = {};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        wp.flags = 0;
        wp.showCmd = SW_SHOWNORMAL;
        wp.rcNormalPosition = m_rcFullScreen;
        ::OffsetRect(&wp.rcNormalPosition, -work.left, -work.top);
        ::SetWindowPlacement(m_hWnd, &wp);
        m_nFullScreenState = FULL_SCREEN_ON;
    } else {
        m_nFullScreenState = FULL_SCREEN_OFF;
        if (m_wpSaved.showCmd == SW_SHOWMAXIMIZED) ShowWindow(SW_SHOWMAXIMIZED);
        ::SetWindowPlacement(m_hWnd, &m_wpSaved);
    }
}

UINT CFullScreenFrameWnd::GetPlacementToSave(CRect& rect)
{
    if (m_nFullScreenState != FULL_SCREEN_OFF) return PlacementToSave(m_wpSaved, rect);
    return CAppFrameWnd_OVMB::GetPlacementToSave(rect);
}

void CFullScreenFrameWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    CAppFrameWnd_OVMB::OnGetMinMaxInfo(lpMMI);
    if (m_nFullScreenState == FULL_SCREEN_OFF) return;
    lpMMI->ptMaxSize.x = lpMMI->ptMaxTrackSize.x = m_rcFullScreen.Width();
    lpMMI->ptMaxSize.y = lpMMI->ptMaxTrackSize.y = m_rcFullScreen.Height();
}

void CFullScreenFrameWnd::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    CAppFrameWnd_OVMB::OnWindowPosChanging(lpwndpos);
    if (m_nFullScreenState == FULL_SCREEN_ON) lpwndpos->flags |= SWP_NOMOVE;
}
