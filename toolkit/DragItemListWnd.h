// CDragItemListWnd: an item list whose single selected item can be dragged to another place, with
// an insertion mark and a drag image; and clickable parts (small buttons) inside an item.
#pragma once

#include "framework/ImageList.h"
#include "toolkit/ItemListWnd.h"

// The part code that also answers the right mouse button (the owners' Play command).
#define ILP_RIGHTBUTTON_PART 32813

class CDragItemListWnd : public CItemListWnd {
public:
    CDragItemListWnd();
    ~CDragItemListWnd() override;

    // The dragged item's cell shows empty; every other item is drawn by the content operations.
    void DrawGridItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom) override;
    void DrawListItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom) override;
    // A change of the items under a drag ends it first: the dragged index would name another item.
    int InsertItem(int nIndex, void* pData, BOOL bRelayout) override;
    BOOL DeleteItem(int nIndex, BOOL bRelayout) override;
    void DeleteAllItems(BOOL bRelayout) override;

    // ---- virtual operations appended, in slot order
    // The part of an item under a client point, -1 for none; the base answers 1 everywhere.
    virtual int HitTestPart(int nIndex, int x, int y);
    virtual BOOL GetPartRect(int nIndex, int nPart, LPRECT lpRect);
    virtual void SetHotPart(int nIndex, int nPart);
    virtual void SetPressedPart(int nIndex, int nPart);
    virtual void OnPartClick(int nIndex, int nPart, BOOL bRightButton);
    // A new image list (the caller deletes it) holding one image of the item, or null.
    virtual CImageList* CreateGridDragImage(int nIndex);
    virtual CImageList* CreateListDragImage(int nIndex);
    virtual void DrawGridItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom, BOOL bDragging);
    virtual void DrawListItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom, BOOL bDragging);

    BOOL IsDragging() const { return m_nDragItem >= 0; }
    int GetDragItem() const { return m_nDragItem; }
    int GetDropTarget() const { return m_nDropTarget; }
    int GetHotPart() const { return m_nHotPart; }
    int GetPressedPart() const { return m_nPressedPart; }
    // The cursor the drag shows now (null while not dragging).
    HCURSOR GetDragCursor() const { return m_hCursorSet; }
    HCURSOR GetGridDropCursor() const { return m_hGridDropCursor; }
    HCURSOR GetListDropCursor() const { return m_hListDropCursor; }
    COLORREF GetInsertionMarkColor() const { return m_crInsertionMark; }
    void SetInsertionMarkColor(COLORREF color) { m_crInsertionMark = color; }
    // The drop target for a client point while dragging: -1 for none.
    int DropTargetAt(CPoint point);
    // Where the insertion mark of a target is painted (empty for none or the dragged item).
    CRect GetInsertionMarkRect(int nTarget);
    // Ends a drag without moving anything: the mark and the image go, the item shows again.
    void CancelDrag();

protected:
    HCURSOR m_hArrowCursor = NULL;
    HCURSOR m_hGridDropCursor = NULL;
    HCURSOR m_hListDropCursor = NULL;
    HCURSOR m_hPartCursor = NULL;   // the host's hand cursor, not owned
    HCURSOR m_hCursorSet = NULL;
    COLORREF m_crInsertionMark = RGB(255, 0, 0);
    int m_nDragItem = -1;
    int m_nDropTarget = -1;
    CPoint m_ptPending = CPoint(-1, -1);
    CImageList* m_pDragImage = NULL;
    int m_nHotPart = -1;
    int m_nPressedPart = -1;

    // Sets the hot or pressed part and redraws the part it leaves and the one it reaches.
    void ChangePart(int& field, int nIndex, int nPart);
    BOOL IsPendingSet() const { return m_ptPending.x != -1 || m_ptPending.y != -1; }
    // The window the drag image is drawn over, and a client point in its coordinates.
    CWnd* DragLockWindow();
    CPoint ToLockPoint(CPoint point);
    void BeginDrag(int nIndex, CPoint point);
    void DragTo(CPoint point);
    // Takes the drag down; nDropAt is the client point of a drop, or null for a cancel.
    void EndDrag(const CPoint* pDropAt);
    void SetDropTarget(int nTarget);
    void SetDragCursor(HCURSOR hCursor);
    CImageList* CreateDragImage(int nIndex, COLORREF crMask);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCancelMode();
    void OnCaptureChanged(CWnd* pWnd);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()
};
