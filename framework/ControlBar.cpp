// Control bars: their share of the frame's client area, their idle update, and the messages
// they pass on to their owner.
#include "framework/ControlBar.h"

#include "framework/CmdUI.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CControlBar::CControlBar() {}

BOOL CControlBar::CreateBar(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, LPCWSTR lpszClassName,
                            LPCWSTR lpszWindowName)
{
    SetBarStyle(dwStyle);
    m_sizeFixed = CSize(rect.right - rect.left, rect.bottom - rect.top);
    DWORD windowStyle = (dwStyle & ~(DWORD)CBRS_ALL) | WS_CHILD;
    if (!CWnd::CreateEx(0, lpszClassName, lpszWindowName, windowStyle, rect, pParentWnd, nID)) return FALSE;
    SetOwner(pParentWnd);
    return TRUE;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size = m_sizeFixed;
    if (bStretch) {
        if (bHorz) size.cx = 32767;
        else size.cy = 32767;
    }
    return size;
}

void CControlBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    AFX_SIZEPARENTPARAMS* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    // A hidden bar or one without an edge takes no room.
    if (!layout || !(GetStyle() & WS_VISIBLE) || !(m_dwStyle & CBRS_ALIGN_ANY)) return 0;
    const bool horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    CSize size = CalcFixedLayout(layout->bStretch, horz);
    CRect free(layout->rect);
    CRect place = free;
    if (m_dwStyle & CBRS_ALIGN_TOP) {
        if (size.cy > free.Height()) size.cy = free.Height() > 0 ? free.Height() : 0;
        place.bottom = place.top + size.cy;
        layout->rect.top += size.cy;
    } else if (m_dwStyle & CBRS_ALIGN_BOTTOM) {
        if (size.cy > free.Height()) size.cy = free.Height() > 0 ? free.Height() : 0;
        place.top = place.bottom - size.cy;
        layout->rect.bottom -= size.cy;
    } else if (m_dwStyle & CBRS_ALIGN_LEFT) {
        if (size.cx > free.Width()) size.cx = free.Width() > 0 ? free.Width() : 0;
        place.right = place.left + size.cx;
        layout->rect.left += size.cx;
    } else {
        if (size.cx > free.Width()) size.cx = free.Width() > 0 ? free.Width() : 0;
        place.left = place.right - size.cx;
        layout->rect.right -= size.cx;
    }
    // Not stretched: the bar keeps its own length from the edge's start.
    if (!layout->bStretch) {
        if (horz && size.cx < place.Width()) place.right = place.left + size.cx;
        if (!horz && size.cy < place.Height()) place.bottom = place.top + size.cy;
    }
    if (layout->hDWP)
        layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, NULL, place.left, place.top, place.Width(),
                                        place.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (!(GetStyle() & WS_VISIBLE)) return 0;
    CWnd* owner = GetOwner();
    CFrameWnd* target = owner && owner->IsFrameWnd() ? static_cast<CFrameWnd*>(owner) : GetParentFrame();
    if (target) OnUpdateCmdUI(target, (BOOL)wParam);
    return 0;
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // What the bar and its controls do not handle themselves goes to the owner, so that
    // buttons on a bar reach the frame's command routing.
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM: {
        LRESULT result = 0;
        if (OnWndMsg(message, wParam, lParam, &result)) return result;
        CWnd* owner = GetOwner();
        if (owner && owner->m_hWnd && owner->m_hWnd != m_hWnd) return owner->SendMessage(message, wParam, lParam);
        return DefWindowProc(message, wParam, lParam);
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
