// The rubber band's own message loop: it owns the mouse until the button comes up.
#include "framework/RectTracker.h"

void CRectTracker::OnChangedRect(const CRect&) {}

void CRectTracker::DrawTrackerRect(LPCRECT lpRect, CWnd*, CDC* pDC, CWnd*)
{
    CRect rc(*lpRect);
    rc.NormalizeRect();
    pDC->DrawDragRect(&rc, CSize(1, 1), NULL, CSize(0, 0));
}

BOOL CRectTracker::TrackRubberBand(CWnd* pWnd, CPoint point, BOOL bAllowInvert)
{
    HWND hWnd = pWnd->GetSafeHwnd();
    if (!hWnd || ::GetCapture()) return FALSE;
    m_rect.SetRect(point.x, point.y, point.x, point.y);
    ::SetCapture(hWnd);
    if (::GetCapture() != hWnd) return FALSE;
    ::UpdateWindow(hWnd);

    CClientDC dc(hWnd);
    bool drawn = false;
    CRect shown;
    auto erase = [&] {
        if (drawn) DrawTrackerRect(&shown, pWnd, &dc, pWnd);
        drawn = false;
    };
    BOOL result = FALSE;
    for (;;) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, NULL, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) ::PostQuitMessage((int)msg.wParam);
            break;
        }
        if (::GetCapture() != hWnd) break;
        bool done = false;
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            CRect old = m_rect;
            m_rect.right = (short)LOWORD(msg.lParam);
            m_rect.bottom = (short)HIWORD(msg.lParam);
            if (!bAllowInvert) {
                if (m_rect.right < m_rect.left) m_rect.right = m_rect.left;
                if (m_rect.bottom < m_rect.top) m_rect.bottom = m_rect.top;
            }
            if (msg.message == WM_LBUTTONUP) {
                erase();
                m_rect.NormalizeRect();
                result = m_rect.Width() > m_sizeMin.cx && m_rect.Height() > m_sizeMin.cy;
                done = true;
                break;
            }
            if (!::EqualRect(&old, &m_rect) || !drawn) {
                erase();
                OnChangedRect(old);
                shown = m_rect;
                DrawTrackerRect(&shown, pWnd, &dc, pWnd);
                drawn = true;
            }
            break;
        }
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) done = true;
            break;
        case WM_RBUTTONDOWN:
            done = true;
            break;
        case WM_PAINT:
            // A window that paints under the inverted band would keep its lines for good once
            // the band is inverted back: it goes while the window paints and comes back after.
            if (drawn) {
                erase();
                ::DispatchMessageW(&msg);
                DrawTrackerRect(&shown, pWnd, &dc, pWnd);
                drawn = true;
            } else {
                ::DispatchMessageW(&msg);
            }
            break;
        default:
            ::DispatchMessageW(&msg);
            break;
        }
        if (done) break;
    }
    erase();
    if (::GetCapture() == hWnd) ::ReleaseCapture();
    return result;
}
