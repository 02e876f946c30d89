// The item list with the skinned scroll bar.
#include "toolkit/ScrollItemListWnd.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CScrollItemListWnd, CDragItemListWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CScrollItemListWnd::CScrollItemListWnd() {}

BOOL CScrollItemListWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style &= ~(WS_HSCROLL | WS_VSCROLL);
    return CDragItemListWnd::PreCreateWindow(cs);
}

int CScrollItemListWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CDragItemListWnd::OnCreate(lpCreateStruct) == -1) return -1;
    // A window made again on the same object starts at the top, not where the last one was.
    SCROLLINFO si = {sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    m_scrollBar.SetScrollInfo(&si, FALSE);
    if (!m_scrollBar.Create(this, kScrollBarId)) return -1;
    return 0;
}

void CScrollItemListWnd::OnSize(UINT nType, int cx, int cy)
{
    if (m_scrollBar.m_hWnd) {
        CRect rc;
        GetScrollBarRect(&rc);
        m_scrollBar.MoveWindow(&rc);
    }
    CDragItemListWnd::OnSize(nType, cx, cy);
}

void CScrollItemListWnd::GetScrollBarRect(LPRECT lpRect)
{
    CRect rc(0, 0, 0, 0);
    if (m_hWnd) GetClientRect(&rc);
    rc.left = std::max(rc.left, rc.right - m_scrollBar.GetArrowWidth());
    *lpRect = rc;
}

void CScrollItemListWnd::GetViewRect(LPRECT lpRect)
{
    CDragItemListWnd::GetViewRect(lpRect);
    if (HasVScroll()) {
        lpRect->right -= m_scrollBar.GetArrowWidth();
        if (lpRect->right < lpRect->left) lpRect->right = lpRect->left;
    }
}

BOOL CScrollItemListWnd::HasVScroll()
{
    return m_scrollBar.m_hWnd && (m_scrollBar.GetStyle() & WS_VISIBLE) != 0;
}

int CScrollItemListWnd::GetScrollPos()
{
    return m_scrollBar.GetScrollPos();
}

void CScrollItemListWnd::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw)
{
    const BOOL shown = HasVScroll();
    m_scrollBar.SetScrollInfo(lpScrollInfo, bRedraw);
    // Showing the bar narrows the view (fewer columns, more rows) and hiding it widens it; one
    // more layout settles it, since the second answer never flips the bar back.
    if (HasVScroll() != shown && !m_bInLayoutAgain && (lpScrollInfo->fMask & (SIF_RANGE | SIF_PAGE))) {
        m_bInLayoutAgain = true;
        UpdateLayout();
        m_bInLayoutAgain = false;
    }
}
