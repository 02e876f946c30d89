// The item-list window: layout, selection, keyboard and mouse, scrolling and the drawing frame.
#include "toolkit/ItemListWnd.h"

#include "toolkit/HoverButton.h"
#include "toolkit/MemoryDC.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

int CeilDiv(int a, int b)
{
    return b > 0 ? (a + b - 1) / b : 0;
}

// How far two rectangles overlap, as a rectangle (empty when they do not meet).
CRect Overlap(const CRect& a, const CRect& b)
{
    CRect r;
    if (!r.IntersectRect(&a, &b)) r.SetRectEmpty();
    return r;
}

} // namespace

// ---- rubber band

void CItemListTracker::DrawTrackerRect(LPCRECT lpRect, CWnd*, CDC* pDC, CWnd*)
{
    CRect rc(*lpRect);
    rc.NormalizeRect();
    CBrush white(RGB(255, 255, 255));
    pDC->DrawDragRect(&rc, CSize(1, 1), NULL, CSize(0, 0), &white);
}

void CItemListTracker::OnChangedRect(const CRect&)
{
    CItemListWnd* list = m_pList;
    CRect band(m_rect);
    band.NormalizeRect();
    list->SelectInBand(band);

    if (list->HasVScroll()) {
        CRect view;
        list->GetViewRect(&view);
        const int pos = list->GetScrollPos();
        const int step = list->GetRowStep();
        // The anchor (the band's first corner) moves with the content, so the band keeps
        // covering the items it started on.
        if (m_rect.bottom > view.bottom + 8 && pos < list->GetScrollLimit()) {
            list->SetScrollPos(pos + 1);
            if (list->GetScrollPos() != pos) m_rect.top -= step;
        } else if (m_rect.bottom < view.top - 8 && pos > 0) {
            list->SetScrollPos(pos - 1);
            if (list->GetScrollPos() != pos) m_rect.top += step;
        }
    }
    list->UpdateWindow();
}

// ---- the window

BEGIN_MESSAGE_MAP(CItemListWnd, CWnd)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_KEYDOWN()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CItemListWnd::CItemListWnd() : m_crBackground(::GetSysColor(COLOR_WINDOW)) {}

CItemListWnd::~CItemListWnd()
{
    // Owners' overrides are gone by now: the records go the base way.
    DeleteAllItems(FALSE);
}

CItemRecord* CItemListWnd::GetRecord(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetItemCount()) return NULL;
    return m_items.GetAt(nIndex);
}

// ---- records

CItemRecord* CItemListWnd::CreateItemRecord()
{
    CItemRecord* record = new CItemRecord;
    record->dwState = 0;
    record->pData = NULL;
    return record;
}

void CItemListWnd::DeleteItemRecord(CItemRecord* pRecord)
{
    delete pRecord;
}

int CItemListWnd::AddItem(void* pData, BOOL bRelayout)
{
    CItemRecord* record = CreateItemRecord();
    if (!record) return -1;
    record->pData = pData;
    const int index = (int)m_items.Add(record);
    if (bRelayout) UpdateLayout();
    return index;
}

int CItemListWnd::InsertItem(int nIndex, void* pData, BOOL bRelayout)
{
    CItemRecord* record = CreateItemRecord();
    if (!record) return -1;
    record->pData = pData;
    nIndex = std::max(0, std::min(nIndex, GetItemCount()));
    m_items.InsertAt(nIndex, record);
    if (bRelayout) UpdateLayout();
    return nIndex;
}

BOOL CItemListWnd::DeleteItem(int nIndex, BOOL bRelayout)
{
    CItemRecord* record = GetRecord(nIndex);
    if (!record) return FALSE;
    if (m_nCurrent == nIndex) m_nCurrent = -1;
    if (m_nHover == nIndex) m_nHover = -1;
    m_items.RemoveAt(nIndex);
    DeleteItemRecord(record);
    // Indices after the deleted item keep their numbers (they now name the next item); only
    // those past the end are dropped.
    if (m_nCurrent >= GetItemCount()) m_nCurrent = -1;
    if (m_nHover >= GetItemCount()) m_nHover = -1;
    if (bRelayout) UpdateLayout();
    return TRUE;
}

void CItemListWnd::DeleteAllItems(BOOL bRelayout)
{
    m_nCurrent = -1;
    m_nHover = -1;
    while (GetItemCount() > 0) {
        const int before = GetItemCount();
        DeleteItem(0, FALSE);
        if (GetItemCount() >= before) break;  // an owner that refuses must not hang us
    }
    if (bRelayout) UpdateLayout();
}

BOOL CItemListWnd::SwapItems(int a, int b, BOOL bRedraw)
{
    if (!GetRecord(a) || !GetRecord(b)) return FALSE;
    if (a == b) return TRUE;
    CItemRecord* t = m_items[a];
    m_items[a] = m_items[b];
    m_items[b] = t;
    if (bRedraw) {
        InvalidateItem(a, TRUE);
        InvalidateItem(b, TRUE);
    }
    return TRUE;
}

BOOL CItemListWnd::MoveItem(int nFrom, int nTo, BOOL bRedraw)
{
    // A stale index (an item deleted meanwhile) must never move another item or reach past the end.
    if (!GetRecord(nFrom) || !GetRecord(nTo)) return FALSE;
    if (nFrom == nTo) return FALSE;
    CItemRecord* record = m_items[nFrom];
    m_items.RemoveAt(nFrom);
    m_items.InsertAt(nTo, record);
    if (bRedraw && m_hWnd) Invalidate(TRUE);
    return TRUE;
}

// ---- state

void* CItemListWnd::GetItemData(int nIndex) const
{
    CItemRecord* record = GetRecord(nIndex);
    return record ? record->pData : NULL;
}

DWORD CItemListWnd::GetItemState(int nIndex) const
{
    CItemRecord* record = GetRecord(nIndex);
    return record ? record->dwState : 0;
}

BOOL CItemListWnd::SetItemState(int nIndex, DWORD dwRemove, DWORD dwAdd, BOOL bRedraw)
{
    CItemRecord* record = GetRecord(nIndex);
    if (!record) return FALSE;
    const DWORD state = dwAdd | (record->dwState & ~dwRemove);
    if (state == record->dwState) return TRUE;
    record->dwState = state;
    if (bRedraw) InvalidateItem(nIndex, TRUE);
    return TRUE;
}

int CItemListWnd::GetSelectedCount() const
{
    int n = 0;
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) n += (m_items[i]->dwState & ILIS_SELECTED) != 0;
    return n;
}

int CItemListWnd::GetNextSelectedItem(int nStart) const
{
    for (int i = std::max(0, nStart); i < GetItemCount(); ++i)
        if (m_items[i]->dwState & ILIS_SELECTED) return i;
    return -1;
}

void CItemListWnd::InvalidateItem(int nIndex, BOOL bErase)
{
    if (!m_hWnd) return;
    CRect rc;
    if (GetItemRect(nIndex, &rc)) InvalidateRect(&rc, bErase);
}

void CItemListWnd::SelectAll(BOOL bSelect, BOOL bRedraw)
{
    for (int i = 0; i < GetItemCount(); ++i)
        SetItemState(i, ILIS_SELECTED, bSelect ? ILIS_SELECTED : 0, bRedraw);
}

BOOL CItemListWnd::SetItemSelected(int nIndex, BOOL bSelect, BOOL bClearOthers, BOOL bRedraw)
{
    if (bClearOthers) {
        for (int i = 0; i < GetItemCount(); ++i)
            if (i != nIndex) SetItemState(i, ILIS_SELECTED, 0, bRedraw);
    }
    CItemRecord* record = GetRecord(nIndex);
    if (!record) return FALSE;
    if (((record->dwState & ILIS_SELECTED) != 0) != (bSelect != FALSE))
        SetItemState(nIndex, ILIS_SELECTED, bSelect ? ILIS_SELECTED : 0, bRedraw);
    return TRUE;
}

void CItemListWnd::SelectRange(int nFirst, int nLast, BOOL bSelect, BOOL bRedraw)
{
    if (nFirst > nLast) std::swap(nFirst, nLast);
    SelectAll(FALSE, bRedraw);
    const int last = std::min(nLast, GetItemCount() - 1);
    for (int i = std::max(0, nFirst); i <= last; ++i)
        SetItemState(i, ILIS_SELECTED, bSelect ? ILIS_SELECTED : 0, bRedraw);
}

BOOL CItemListWnd::ChangeIndex(int& field, int nIndex, BOOL bRedraw)
{
    if (nIndex >= GetItemCount()) {
        if (field != -1 && bRedraw) InvalidateItem(field, TRUE);
        field = -1;
        return FALSE;
    }
    if (nIndex < 0) nIndex = -1;
    if (nIndex == field) return FALSE;
    const int old = field;
    field = nIndex;
    if (bRedraw) {
        InvalidateItem(old, TRUE);
        InvalidateItem(nIndex, TRUE);
    }
    return TRUE;
}

BOOL CItemListWnd::SetCurrentItem(int nIndex, BOOL bRedraw)
{
    return ChangeIndex(m_nCurrent, nIndex, bRedraw);
}

BOOL CItemListWnd::SetHoverItem(int nIndex, BOOL bRedraw)
{
    return ChangeIndex(m_nHover, nIndex, bRedraw);
}

// ---- layout

void CItemListWnd::SetMargins(int left, int top, int right, int bottom)
{
    m_nMarginLeft = left;
    m_nMarginTop = top;
    m_nMarginRight = right;
    m_nMarginBottom = bottom;
}

void CItemListWnd::GetViewRect(LPRECT lpRect)
{
    CRect rc(0, 0, 0, 0);
    if (m_hWnd) GetClientRect(&rc);
    rc.left += m_nMarginLeft;
    rc.top += m_nMarginTop;
    rc.right -= m_nMarginRight;
    rc.bottom -= m_nMarginBottom;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    *lpRect = rc;
}

int CItemListWnd::ComputeColumns()
{
    if (!IsGridMode()) return 1;
    if (!(m_dwLayout & ILS_FIXEDCOLUMNS)) {
        CRect view;
        GetViewRect(&view);
        const int cell = m_nItemWidth + m_nHGap;
        m_nColumns = cell > 0 ? std::max(1, view.Width() / cell) : 1;
    }
    return std::max(1, m_nColumns);
}

int CItemListWnd::GetColumnCount()
{
    return ComputeColumns();
}

int CItemListWnd::GetWholeRowsInView()
{
    CRect view;
    GetViewRect(&view);
    const int step = GetRowStep();
    return step > 0 ? view.Height() / step : 0;
}

int CItemListWnd::GetScrollLimit() const
{
    return std::max(0, m_nScrollMax - m_nScrollPage + 1);
}

void CItemListWnd::UpdateLayout()
{
    if (!m_hWnd || !::IsWindow(m_hWnd)) return;
    CRect view;
    GetViewRect(&view);
    int maximum, page;
    if (IsGridMode()) {
        const int columns = ComputeColumns();
        page = CeilDiv(view.Height(), m_nItemHeight + m_nVGap);
        maximum = CeilDiv(GetItemCount(), columns);
    } else {
        page = CeilDiv(view.Height(), m_nRowHeight);
        maximum = GetItemCount();
    }
    m_nScrollMax = maximum;
    m_nScrollPage = page;
    SCROLLINFO si = {sizeof(si), SIF_RANGE | SIF_PAGE, 0, maximum, (UINT)std::max(0, page), 0, 0};
    SetScrollInfo(&si, TRUE);
    Invalidate(TRUE);
}

BOOL CItemListWnd::GetItemRect(int nIndex, LPRECT lpRect)
{
    ::SetRectEmpty(lpRect);
    if (nIndex < 0 || nIndex >= GetItemCount()) return FALSE;
    CRect view;
    GetViewRect(&view);
    const int pos = GetScrollPos();
    if (!IsGridMode()) {
        lpRect->left = view.left;
        lpRect->right = view.right;
        lpRect->top = view.top + (nIndex - pos) * m_nRowHeight;
        lpRect->bottom = lpRect->top + m_nRowHeight;
        return TRUE;
    }
    const int columns = ComputeColumns();
    const int relative = nIndex - pos * columns;
    // Floor division, so items above the scroll position get rows above the view.
    int row = relative / columns, column = relative % columns;
    if (column < 0) {
        column += columns;
        --row;
    }
    lpRect->left = view.left + m_nHGap + column * (m_nHGap + m_nItemWidth);
    lpRect->right = lpRect->left + m_nItemWidth;
    lpRect->top = view.top + m_nVGap + row * (m_nVGap + m_nItemHeight);
    lpRect->bottom = lpRect->top + m_nItemHeight;
    return TRUE;
}

int CItemListWnd::HitTest(int x, int y)
{
    const int count = GetItemCount();
    if (count == 0) return -1;
    CRect view;
    GetViewRect(&view);
    const int pos = GetScrollPos();
    const CPoint pt(x, y);
    if (!IsGridMode()) {
        if (m_nRowHeight <= 0) return -1;
        for (int i = std::max(0, pos); i < count; ++i) {
            CRect rc;
            GetItemRect(i, &rc);
            if (rc.top >= view.bottom) break;
            if (rc.PtInRect(pt)) return i;
        }
        return -1;
    }
    const int columns = ComputeColumns();
    const int cellW = m_nHGap + m_nItemWidth, cellH = m_nVGap + m_nItemHeight;
    if (cellW <= 0 || cellH <= 0) return -1;
    const int dx = x - m_nMarginLeft - m_nHGap, dy = y - m_nMarginTop - m_nVGap;
    if (dx < 0 || dy < 0) return -1;
    const int column = dx / cellW, row = dy / cellH;
    if (column >= columns) return -1;
    const long long index = ((long long)pos + row) * columns + column;
    if (index < 0 || index >= count) return -1;
    CRect rc;
    GetItemRect((int)index, &rc);
    return rc.PtInRect(pt) ? (int)index : -1;
}

void CItemListWnd::EnsureVisible(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetItemCount()) return;
    const int pos = GetScrollPos();
    const int row = IsGridMode() ? nIndex / ComputeColumns() : nIndex;
    const int whole = std::max(1, GetWholeRowsInView());
    const int lastWhole = pos + whole - 1;
    if (row < pos)
        SetScrollPos(row);
    else if (row > lastWhole)
        SetScrollPos(pos + (row - lastWhole));
}

int CItemListWnd::MeasureTextWidth(CDC* pDC, LPCWSTR lpszText)
{
    CRect rc(0, 0, 0, 0);
    pDC->DrawText(lpszText, -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    return rc.Width();
}

// ---- scrolling

BOOL CItemListWnd::HasVScroll()
{
    return m_hWnd && (GetStyle() & WS_VSCROLL) != 0;
}

int CItemListWnd::GetScrollPos()
{
    return m_hWnd ? CWnd::GetScrollPos(SB_VERT) : 0;
}

void CItemListWnd::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw)
{
    if (m_hWnd) CWnd::SetScrollInfo(SB_VERT, lpScrollInfo, bRedraw);
}

void CItemListWnd::SetScrollPos(int nPos)
{
    SCROLLINFO si = {sizeof(si), SIF_POS, 0, 0, 0, nPos, 0};
    SetScrollInfo(&si, TRUE);
    if (m_hWnd) Invalidate(TRUE);
}

void CItemListWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    const int pos = GetScrollPos();
    const int step = GetRowStep();
    CRect view;
    GetViewRect(&view);
    const int page = step > 0 ? std::max(1, view.Height() / step) : 1;
    int target = pos;
    int thumb = (int)nPos;
    // The system's own bar knows the full 32-bit track position; the message carries 16 bits.
    if (!pScrollBar && (GetStyle() & WS_VSCROLL)) {
        SCROLLINFO si = {sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (::GetScrollInfo(m_hWnd, SB_VERT, &si)) thumb = si.nTrackPos;
    }
    switch (nSBCode) {
    case SB_LINEUP: target = pos - 1; break;
    case SB_LINEDOWN: target = pos + 1; break;
    case SB_PAGEUP: target = pos - page; break;
    case SB_PAGEDOWN: target = pos + page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = thumb; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = INT_MAX; break;
    default: return;
    }
    SetScrollPos(target);
}

BOOL CItemListWnd::OnMouseWheel(UINT, short zDelta, CPoint)
{
    SetScrollPos(GetScrollPos() - zDelta / WHEEL_DELTA);
    return TRUE;
}

// ---- painting

BOOL CItemListWnd::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CItemListWnd::OnPaint()
{
    CPaintDC dc(this);
    Draw(&dc);
}

void CItemListWnd::Draw(CDC* pDC)
{
    CRect view;
    GetViewRect(&view);
    // The margins are the window's background too.
    CRect client;
    GetClientRect(&client);
    if (client != view) {
        CRgn all, inner;
        all.CreateRectRgnIndirect(&client);
        inner.CreateRectRgnIndirect(&view);
        all.CombineRgn(&all, &inner, RGN_DIFF);
        CBrush brush(m_crBackground);
        pDC->FillRgn(&all, &brush);
    }
    if (GetItemCount() == 0) {
        DrawBackground(pDC, &view);
        return;
    }
    // Cells cut by the view's edge must not paint over the margins or a docked scroll bar.
    const int saved = pDC->SaveDC();
    pDC->IntersectClipRect(&view);
    if (IsGridMode())
        DrawGrid(pDC, view.left, view.top, view.right, view.bottom);
    else
        DrawList(pDC, view.left, view.top, view.right, view.bottom);
    pDC->RestoreDC(saved);
}

void CItemListWnd::DrawBackground(CDC* pDC, LPCRECT lpRect)
{
    if (lpRect->right > lpRect->left && lpRect->bottom > lpRect->top) pDC->FillSolidRect(lpRect, m_crBackground);
}

void CItemListWnd::DrawList(CDC* pDC, int left, int top, int right, int bottom)
{
    const int count = GetItemCount();
    int y = top;
    for (int i = std::max(0, GetScrollPos()); i < count && y < bottom; ++i) {
        CRect row(left, y, right, y + m_nRowHeight);
        // Rows outside the area being painted are left alone.
        if (pDC->RectVisible(&row)) {
            CMemoryDC mem(pDC, &row);
            DrawListItem(&mem, i, row.left, row.top, row.right, row.bottom);
        }
        y += m_nRowHeight;
        if (m_nRowHeight <= 0) break;
    }
    CRect rest(left, y, right, bottom);
    DrawBackground(pDC, &rest);
}

void CItemListWnd::DrawGrid(CDC* pDC, int left, int top, int right, int bottom)
{
    const int count = GetItemCount();
    const int columns = ComputeColumns();
    CRect strip(left, top, right, std::min(bottom, top + m_nVGap));
    DrawBackground(pDC, &strip);
    strip.SetRect(left, top, std::min(right, left + m_nHGap), bottom);
    DrawBackground(pDC, &strip);

    int index = std::max(0, GetScrollPos()) * columns;
    int y = top + m_nVGap;
    while (y < bottom && index < count) {
        int x = left + m_nHGap;
        for (int c = 0; c < columns; ++c, ++index) {
            if (index >= count) {
                // The rest of a row that runs out of items.
                CRect empty(x, y, right, y + m_nItemHeight);
                DrawBackground(pDC, &empty);
                break;
            }
            CRect cell(x, y, x + m_nItemWidth, y + m_nItemHeight);
            if (pDC->RectVisible(&cell)) {
                CMemoryDC mem(pDC, &cell);
                DrawGridItem(&mem, index, cell.left, cell.top, cell.right, cell.bottom);
            }
            const int gapRight = c == columns - 1 ? right : cell.right + m_nHGap;
            CRect gap(cell.right, y, gapRight, y + m_nItemHeight);
            DrawBackground(pDC, &gap);
            x = cell.right + m_nHGap;
        }
        CRect below(left, y + m_nItemHeight, right, y + m_nItemHeight + m_nVGap);
        DrawBackground(pDC, &below);
        y += m_nItemHeight + m_nVGap;
        if (m_nItemHeight + m_nVGap <= 0) break;
    }
    CRect rest(left, y, right, bottom);
    DrawBackground(pDC, &rest);
}

void CItemListWnd::DrawGridItem(CDC*, int, int, int, int, int) {}

void CItemListWnd::DrawListItem(CDC*, int, int, int, int, int) {}

// ---- messages

void CItemListWnd::OnDestroy()
{
    DeleteAllItems(FALSE);
    Default();
}

void CItemListWnd::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0) UpdateLayout();
}

UINT CItemListWnd::OnGetDlgCode()
{
    // Arrows move the current item and typed letters reach the owner, also inside a dialog.
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void CItemListWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    SetFocus();
    const int index = HitTest(point.x, point.y);
    if (index < 0) {
        SelectAll(FALSE, TRUE);
        SetCurrentItem(-1, TRUE);
        m_ptPress = point;
        return;
    }
    if (nFlags & MK_SHIFT)
        SelectRange(m_nCurrent < 0 ? 0 : m_nCurrent, index, TRUE, TRUE);
    else if (nFlags & MK_CONTROL)
        SetItemSelected(index, !IsItemSelected(index), FALSE, TRUE);
    else
        SetItemSelected(index, TRUE, TRUE, TRUE);
    SetCurrentItem(index, TRUE);
}

void CItemListWnd::OnLButtonUp(UINT, CPoint)
{
    m_ptPress = CPoint(-1, -1);
    Default();
}

void CItemListWnd::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (nFlags & MK_CONTROL) {
        Default();
        return;
    }
    SetFocus();
    const int index = HitTest(point.x, point.y);
    if (index < 0) {
        SelectAll(FALSE, TRUE);
        SetCurrentItem(-1, TRUE);
    } else {
        // A right click on the selection keeps it, so its context menu acts on all of it.
        if (!IsItemSelected(index)) SetItemSelected(index, TRUE, TRUE, TRUE);
        SetCurrentItem(index, TRUE);
    }
    Default();
}

void CItemListWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    const int index = HitTest(point.x, point.y);
    if (index >= 0) {
        if (index != m_nHover) {
            SetHoverItem(index, TRUE);
            TrackMouseLeave(m_hWnd);
        }
        return;
    }
    SetHoverItem(-1, TRUE);
    if ((nFlags & MK_LBUTTON) && IsPressPointSet() && GetItemCount() > 0) {
        const int dx = std::abs(point.x - m_ptPress.x), dy = std::abs(point.y - m_ptPress.y);
        if ((dx > 3 && dy > 0) || (dx > 0 && dy > 3)) TrackBand(point);
    }
}

void CItemListWnd::OnMouseLeave()
{
    SetHoverItem(-1, TRUE);
    Default();
}

void CItemListWnd::TrackBand(CPoint)
{
    CItemListTracker tracker(this);
    const CPoint press = m_ptPress;
    m_ptPress = CPoint(-1, -1);
    tracker.TrackRubberBand(this, press, TRUE);
}

void CItemListWnd::SelectInBand(const CRect& band)
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        CRect rc;
        GetItemRect(i, &rc);
        const CRect o = Overlap(rc, band);
        BOOL select = FALSE;
        if (!o.IsRectEmpty()) {
            if (IsGridMode())
                select = o.Width() >= m_nItemWidth / 4 || o.Height() >= m_nItemHeight / 4;
            else
                select = o.Width() >= m_nRowHeight || o.Height() >= m_nRowHeight / 2;
        }
        SetItemSelected(i, select, FALSE, TRUE);
    }
}

void CItemListWnd::OnKeyDown(UINT nChar, UINT, UINT)
{
    const int count = GetItemCount();
    const int current = m_nCurrent;
    int target = -1;
    bool handled = false;
    if (count > 0) {
        if (IsGridMode()) {
            const int columns = ComputeColumns();
            const int rows = CeilDiv(count, columns);
            switch (nChar) {
            case VK_LEFT: target = std::max(current - 1, 0); handled = true; break;
            case VK_UP:
                if (current >= columns) { target = current - columns; handled = true; }
                break;
            case VK_RIGHT:
                if (current < count - 1) { target = current + 1; handled = true; }
                break;
            case VK_DOWN:
                if (current < columns * (rows - 1)) { target = current + columns; handled = true; }
                break;
            }
        } else {
            switch (nChar) {
            case VK_UP:
                if (current >= 1) { target = current - 1; handled = true; }
                break;
            case VK_DOWN:
                if (current < count - 1) { target = current + 1; handled = true; }
                break;
            }
        }
    }
    if (!handled) {
        Default();
        return;
    }
    target = std::max(0, std::min(target, count - 1));
    const bool shift = ::GetKeyState(VK_SHIFT) < 0, control = ::GetKeyState(VK_CONTROL) < 0;
    if (shift)
        SetItemSelected(target, TRUE, FALSE, TRUE);
    else if (!control)
        SetItemSelected(target, TRUE, TRUE, TRUE);
    SetCurrentItem(target, TRUE);
    EnsureVisible(target);
}
