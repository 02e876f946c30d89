// The drag-and-drop item list: reordering by dragging, the insertion mark, the drag image and the
// clickable parts of the item under the mouse.
#include "toolkit/DragItemListWnd.h"

#include "toolkit/HoverButton.h"

#include <algorithm>

namespace {
const UINT kListDropCursorId = 136;
const UINT kGridDropCursorId = 137;
const COLORREF kGridDragMask = RGB(32, 32, 32);
const COLORREF kListDragMask = RGB(255, 0, 255);

HCURSOR LoadOwnCursor(UINT id)
{
    return (HCURSOR)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
}
}

BEGIN_MESSAGE_MAP(CDragItemListWnd, CItemListWnd)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_KEYDOWN()
    ON_WM_CANCELMODE()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CDragItemListWnd::CDragItemListWnd() {}

CDragItemListWnd::~CDragItemListWnd()
{
    if (m_pDragImage) {
        CImageList::EndDrag();
        delete m_pDragImage;
    }
    if (m_hGridDropCursor) ::DestroyCursor(m_hGridDropCursor);
    if (m_hListDropCursor) ::DestroyCursor(m_hListDropCursor);
}

int CDragItemListWnd::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1) return -1;
    m_hArrowCursor = ::LoadCursorW(NULL, IDC_ARROW);
    if (!m_hGridDropCursor) m_hGridDropCursor = LoadOwnCursor(kGridDropCursorId);
    if (!m_hListDropCursor) m_hListDropCursor = LoadOwnCursor(kListDropCursorId);
    m_hPartCursor = ToolkitHandCursor();
    return 0;
}

// ---- drawing

void CDragItemListWnd::DrawGridItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom)
{
    if (nIndex == m_nDragItem) {
        CRect rc(left, top, right, bottom);
        pDC->FillSolidRect(&rc, m_crBackground);
        return;
    }
    DrawGridItemContent(pDC, nIndex, left, top, right, bottom, FALSE);
}

void CDragItemListWnd::DrawListItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom)
{
    if (nIndex == m_nDragItem) {
        CRect rc(left, top, right, bottom);
        pDC->FillSolidRect(&rc, m_crBackground);
        return;
    }
    DrawListItemContent(pDC, nIndex, left, top, right, bottom, FALSE);
}

void CDragItemListWnd::DrawGridItemContent(CDC*, int, int, int, int, int, BOOL) {}

void CDragItemListWnd::DrawListItemContent(CDC*, int, int, int, int, int, BOOL) {}

CImageList* CDragItemListWnd::CreateDragImage(int nIndex, COLORREF crMask)
{
    CRect rc;
    if (!GetItemRect(nIndex, &rc) || rc.IsRectEmpty()) return NULL;
    CClientDC window(this);
    CDC dc;
    CBitmap bitmap;
    if (!dc.CreateCompatibleDC(&window) || !bitmap.CreateCompatibleBitmap(&window, rc.Width(), rc.Height()))
        return NULL;
    {
        CGdiSelector select(dc, &bitmap);
        dc.FillSolidRect(0, 0, rc.Width(), rc.Height(), crMask);
        if (IsGridMode())
            DrawGridItemContent(&dc, nIndex, 0, 0, rc.Width(), rc.Height(), TRUE);
        else
            DrawListItemContent(&dc, nIndex, 0, 0, rc.Width(), rc.Height(), TRUE);
    }
    CImageList* list = new CImageList;
    if (!list->Create(rc.Width(), rc.Height(), ILC_COLOR24 | ILC_MASK, 0, 1) || list->Add(&bitmap, crMask) < 0) {
        delete list;
        return NULL;
    }
    return list;
}

CImageList* CDragItemListWnd::CreateGridDragImage(int nIndex)
{
    return CreateDragImage(nIndex, kGridDragMask);
}

CImageList* CDragItemListWnd::CreateListDragImage(int nIndex)
{
    return CreateDragImage(nIndex, kListDragMask);
}

// ---- parts

int CDragItemListWnd::HitTestPart(int, int, int)
{
    return 1;
}

BOOL CDragItemListWnd::GetPartRect(int nIndex, int, LPRECT lpRect)
{
    GetItemRect(nIndex, lpRect);
    return TRUE;
}

void CDragItemListWnd::ChangePart(int& field, int nIndex, int nPart)
{
    if (nPart == field) return;
    const int old = field;
    field = nPart;
    if (nIndex < 0 || nIndex >= GetItemCount() || !m_hWnd) return;
    CRect rc;
    if (old != -1 && GetPartRect(nIndex, old, &rc)) InvalidateRect(&rc, TRUE);
    if (nPart != -1 && GetPartRect(nIndex, nPart, &rc)) InvalidateRect(&rc, TRUE);
}

void CDragItemListWnd::SetHotPart(int nIndex, int nPart)
{
    ChangePart(m_nHotPart, nIndex, nPart);
}

void CDragItemListWnd::SetPressedPart(int nIndex, int nPart)
{
    ChangePart(m_nPressedPart, nIndex, nPart);
}

void CDragItemListWnd::OnPartClick(int, int, BOOL) {}

// ---- drop target and insertion mark

int CDragItemListWnd::DropTargetAt(CPoint point)
{
    if (!IsDragging() || GetItemCount() < 2) return -1;
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point)) return -1;
    if (!IsGridMode()) return HitTest(point.x, point.y);

    const int columns = GetColumnCount();
    const int count = GetItemCount();
    const int first = std::max(0, (GetScrollPos() - 1) * columns);
    for (int i = first; i < count; ++i) {
        if (i == m_nDragItem) continue;
        CRect rc;
        GetItemRect(i, &rc);
        if (rc.top > client.bottom) break;
        // The gap on the side the item moves away from counts as the item's own.
        const bool before = i < m_nDragItem;
        if (columns == 1) {
            if (before) rc.top -= m_nVGap; else rc.bottom += m_nVGap;
        } else {
            if (before) rc.left -= m_nHGap; else rc.right += m_nHGap;
        }
        if (rc.PtInRect(point)) return i;
    }
    return -1;
}

CRect CDragItemListWnd::GetInsertionMarkRect(int nTarget)
{
    CRect rc;
    if (nTarget < 0 || nTarget == m_nDragItem || !GetItemRect(nTarget, &rc)) return CRect(0, 0, 0, 0);
    const bool before = nTarget < m_nDragItem;
    if (!IsGridMode()) {
        if (before) return CRect(rc.left, rc.top, rc.right, rc.top + 1);
        return CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom);
    }
    if (GetColumnCount() == 1) {
        const int y = before ? rc.top - m_nVGap / 2 : rc.bottom + m_nVGap / 2;
        return CRect(rc.left, y, rc.right, y + 1);
    }
    const int x = before ? rc.left - m_nHGap / 2 : rc.right + m_nHGap / 2;
    return CRect(x, rc.top, x + 1, rc.bottom);
}

void CDragItemListWnd::SetDropTarget(int nTarget)
{
    if (nTarget == m_nDropTarget) return;
    const CRect old = GetInsertionMarkRect(m_nDropTarget);
    if (!old.IsRectEmpty()) {
        InvalidateRect(&old, FALSE);
        UpdateWindow();
    }
    m_nDropTarget = nTarget;
    const CRect mark = GetInsertionMarkRect(nTarget);
    if (!mark.IsRectEmpty()) {
        CClientDC dc(this);
        dc.FillSolidRect(&mark, m_crInsertionMark);
    }
}

void CDragItemListWnd::SetDragCursor(HCURSOR hCursor)
{
    if (hCursor == m_hCursorSet) return;
    m_hCursorSet = hCursor;
    if (hCursor) ::SetCursor(hCursor);
}

// ---- the drag

CWnd* CDragItemListWnd::DragLockWindow()
{
    CWnd* top = GetTopLevelParent();
    return top ? top : this;
}

CPoint CDragItemListWnd::ToLockPoint(CPoint point)
{
    // The image travels over the whole top-level window, in that window's coordinates (its
    // frame included), so it shows above the list and its neighbours alike.
    CPoint screen(point);
    ClientToScreen(&screen);
    CRect lock;
    DragLockWindow()->GetWindowRect(&lock);
    return CPoint(screen.x - lock.left, screen.y - lock.top);
}

void CDragItemListWnd::BeginDrag(int nIndex, CPoint point)
{
    CRect rc;
    if (!GetItemRect(nIndex, &rc)) return;
    CImageList* image = IsGridMode() ? CreateGridDragImage(nIndex) : CreateListDragImage(nIndex);
    if (!image) return;
    m_pDragImage = image;
    m_nDragItem = nIndex;
    m_nDropTarget = -1;
    m_hCursorSet = NULL;
    // The cell shows empty while its item travels with the pointer.
    InvalidateItem(nIndex, FALSE);
    UpdateWindow();
    image->BeginDrag(0, CPoint(point.x - rc.left, point.y - rc.top));
    CImageList::DragEnter(DragLockWindow(), ToLockPoint(point));
    SetCapture();
    if (CWnd::GetCapture() != this) {
        CancelDrag();
        return;
    }
    SetDragCursor(m_hArrowCursor);
}

void CDragItemListWnd::DragTo(CPoint point)
{
    const CPoint at = ToLockPoint(point);
    CImageList::DragMove(at);
    const int target = DropTargetAt(point);
    if (target != m_nDropTarget) {
        // The image is taken off the screen while the window paints under it.
        CImageList::DragLeave(DragLockWindow());
        SetDropTarget(target);
        CImageList::DragEnter(DragLockWindow(), at);
    }
    HCURSOR cursor = m_hArrowCursor;
    if (target >= 0) {
        if (IsGridMode() && GetColumnCount() > 1)
            cursor = m_hGridDropCursor ? m_hGridDropCursor : m_hArrowCursor;
        else
            cursor = m_hListDropCursor ? m_hListDropCursor : m_hArrowCursor;
    }
    SetDragCursor(cursor);
}

void CDragItemListWnd::EndDrag(const CPoint* pDropAt)
{
    if (!IsDragging()) return;
    const int dragged = m_nDragItem;
    const int target = pDropAt ? DropTargetAt(*pDropAt) : -1;
    const CRect mark = GetInsertionMarkRect(m_nDropTarget);
    // No longer dragging before the capture goes, so the capture notice has nothing to cancel.
    m_nDragItem = -1;
    m_nDropTarget = -1;
    m_ptPending = CPoint(-1, -1);
    if (CWnd::GetCapture() == this) ::ReleaseCapture();
    CImageList::DragLeave(DragLockWindow());
    CImageList::EndDrag();
    delete m_pDragImage;
    m_pDragImage = NULL;
    m_hCursorSet = NULL;
    if (m_hArrowCursor) ::SetCursor(m_hArrowCursor);
    if (!m_hWnd || !::IsWindow(m_hWnd)) return;
    if (!mark.IsRectEmpty()) InvalidateRect(&mark, FALSE);
    if (target < 0 || !MoveItem(dragged, target, TRUE)) InvalidateItem(dragged, TRUE);
}

void CDragItemListWnd::CancelDrag()
{
    EndDrag(NULL);
}

int CDragItemListWnd::InsertItem(int nIndex, void* pData, BOOL bRelayout)
{
    if (IsDragging() && nIndex < GetItemCount()) CancelDrag();
    return CItemListWnd::InsertItem(nIndex, pData, bRelayout);
}

BOOL CDragItemListWnd::DeleteItem(int nIndex, BOOL bRelayout)
{
    if (IsDragging()) CancelDrag();
    return CItemListWnd::DeleteItem(nIndex, bRelayout);
}

void CDragItemListWnd::DeleteAllItems(BOOL bRelayout)
{
    if (IsDragging()) CancelDrag();
    CItemListWnd::DeleteAllItems(bRelayout);
}

// ---- messages

void CDragItemListWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_ptPending = CPoint(-1, -1);
    if (m_nHover >= 0) {
        const int part = HitTestPart(m_nHover, point.x, point.y);
        if (part != -1) {
            SetPressedPart(m_nHover, part);
            return;
        }
    }
    CItemListWnd::OnLButtonDown(nFlags, point);
}

void CDragItemListWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (IsDragging()) {
        EndDrag(&point);
        return;
    }
    m_ptPending = CPoint(-1, -1);
    const int hover = m_nHover;
    if (hover >= 0) {
        SetPressedPart(hover, -1);
        const int part = HitTestPart(hover, point.x, point.y);
        if (part != -1) {
            OnPartClick(hover, part, FALSE);
            return;
        }
    }
    SetPressedPart(hover, -1);
    CItemListWnd::OnLButtonUp(nFlags, point);
}

void CDragItemListWnd::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_nHover >= 0 && HitTestPart(m_nHover, point.x, point.y) == ILP_RIGHTBUTTON_PART) {
        SetPressedPart(m_nHover, ILP_RIGHTBUTTON_PART);
        return;
    }
    CItemListWnd::OnRButtonDown(nFlags, point);
}

void CDragItemListWnd::OnRButtonUp(UINT, CPoint point)
{
    const int hover = m_nHover;
    SetPressedPart(hover, -1);
    if (hover >= 0 && HitTestPart(hover, point.x, point.y) == ILP_RIGHTBUTTON_PART) {
        // Handled here: no context menu follows a click on the part.
        OnPartClick(hover, ILP_RIGHTBUTTON_PART, TRUE);
        return;
    }
    Default();
}

void CDragItemListWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    if ((nFlags & MK_LBUTTON) && m_nPressedPart == -1) {
        if (IsDragging()) {
            DragTo(point);
            return;
        }
        if (GetSelectedCount() == 1 && m_nHover >= 0) {
            if (!IsPendingSet()) {
                m_ptPending = point;
                return;
            }
            if (point == m_ptPending) return;
            BeginDrag(GetNextSelectedItem(0), point);
            if (IsDragging()) {
                m_ptPending = CPoint(-1, -1);
                DragTo(point);
                return;
            }
        }
    }
    m_ptPending = CPoint(-1, -1);
    CItemListWnd::OnMouseMove(nFlags, point);
    if (m_nHover >= 0) {
        const int part = HitTestPart(m_nHover, point.x, point.y);
        SetHotPart(m_nHover, part);
        if (part != -1 && m_hPartCursor) ::SetCursor(m_hPartCursor);
    } else {
        SetHotPart(-1, -1);
    }
}

void CDragItemListWnd::OnMouseLeave()
{
    const int hover = m_nHover;
    SetHotPart(hover, -1);
    CItemListWnd::OnMouseLeave();
}

void CDragItemListWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (IsDragging()) {
        if (nChar == VK_ESCAPE) CancelDrag();
        return;
    }
    CItemListWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CDragItemListWnd::OnCancelMode()
{
    CancelDrag();
    Default();
}

void CDragItemListWnd::OnCaptureChanged(CWnd* pWnd)
{
    // Another window took the mouse (a menu, a message box, a call to ReleaseCapture): the drag
    // cannot see its drop any more.
    if (IsDragging() && pWnd != this) CancelDrag();
    Default();
}

BOOL CDragItemListWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT)
{
    if (pWnd == this && nHitTest == HTCLIENT) {
        if (IsDragging() && m_hCursorSet) {
            ::SetCursor(m_hCursorSet);
            return TRUE;
        }
        if (m_nHotPart != -1 && m_nHover >= 0 && m_hPartCursor) {
            ::SetCursor(m_hPartCursor);
            return TRUE;
        }
    }
    return (BOOL)Default();
}
