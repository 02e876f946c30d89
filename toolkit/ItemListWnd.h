// CItemListWnd: an owner-drawn window that lays out any number of items as a grid of equal cells
// or a list of equal rows, with a selection, a current and a hover item, vertical scrolling and a
// rubber band. Owners draw the items and keep their data through the virtual operations.
#pragma once

#include "framework/Collections.h"
#include "framework/RectTracker.h"
#include "framework/Wnd.h"

// Layout flags of an item list.
#define ILS_GRID 0x0001          // a grid of cells; without it a list of rows
#define ILS_FIXEDCOLUMNS 0x0010  // the column count is kept, not taken from the width

// Item state bits: bit 0 is the list's; the others belong to the owner.
#define ILIS_SELECTED 0x0001

// One item: its state and the owner's data (never freed by the list). Records are made and
// freed by CreateItemRecord and DeleteItemRecord, so owners can hand out larger ones.
struct CItemRecord {
    DWORD dwState;
    void* pData;
};

// The list's records in display order; the list window creates and frees them.
typedef CTypedPtrArray<CPtrArray, CItemRecord*> CItemRecordArray;

class CItemListWnd;

// The rubber band of an item list: a white inverted frame; every change selects the items it
// covers and, on a list with a scroll bar, scrolls when the pointer leaves the view.
class CItemListTracker : public CRectTracker {
public:
    explicit CItemListTracker(CItemListWnd* pList) : m_pList(pList) {}
    void OnChangedRect(const CRect& rectOld) override;
    void DrawTrackerRect(LPCRECT lpRect, CWnd* pWndClipTo, CDC* pDC, CWnd* pWnd) override;

private:
    CItemListWnd* m_pList;
};

class CItemListWnd : public CWnd {
public:
    CItemListWnd();
    ~CItemListWnd() override;

    // ---- virtual operations, in slot order (owners override them)
    virtual BOOL SetItemSelected(int nIndex, BOOL bSelect, BOOL bClearOthers, BOOL bRedraw);
    virtual void SelectRange(int nFirst, int nLast, BOOL bSelect, BOOL bRedraw);
    // An index at or past the count means none (-1); FALSE when nothing changed.
    virtual BOOL SetCurrentItem(int nIndex, BOOL bRedraw);
    virtual BOOL SetHoverItem(int nIndex, BOOL bRedraw);
    // Both ignore indices out of range; FALSE when nothing moved.
    virtual BOOL SwapItems(int a, int b, BOOL bRedraw);
    virtual BOOL MoveItem(int nFrom, int nTo, BOOL bRedraw);
    virtual int AddItem(void* pData, BOOL bRelayout);
    // The index is kept within 0..count.
    virtual int InsertItem(int nIndex, void* pData, BOOL bRelayout);
    virtual BOOL DeleteItem(int nIndex, BOOL bRelayout);
    virtual void DeleteAllItems(BOOL bRelayout);
    // The client area less the margins (and less a scroll bar of the list's own).
    virtual void GetViewRect(LPRECT lpRect);
    virtual BOOL HasVScroll();
    virtual int GetScrollPos();
    virtual void SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw);
    virtual void Draw(CDC* pDC);
    virtual void DrawBackground(CDC* pDC, LPCRECT lpRect);
    virtual void DrawGrid(CDC* pDC, int left, int top, int right, int bottom);
    virtual void DrawList(CDC* pDC, int left, int top, int right, int bottom);
    virtual void DrawGridItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom);
    virtual void DrawListItem(CDC* pDC, int nIndex, int left, int top, int right, int bottom);
    virtual CItemRecord* CreateItemRecord();
    virtual void DeleteItemRecord(CItemRecord* pRecord);
    // Rows in grid mode, items in list mode; kept within the scroll range by the scroll bar.
    virtual void SetScrollPos(int nPos);

    // ---- items and selection
    int GetItemCount() const { return (int)m_items.GetSize(); }
    int GetSelectedCount() const;
    // The first selected index at or after nStart, -1 when none.
    int GetNextSelectedItem(int nStart) const;
    // Null and 0 out of range.
    void* GetItemData(int nIndex) const;
    DWORD GetItemState(int nIndex) const;
    // state = add | (state & ~remove); a change redraws the item when asked.
    BOOL SetItemState(int nIndex, DWORD dwRemove, DWORD dwAdd, BOOL bRedraw);
    BOOL IsItemSelected(int nIndex) const { return (GetItemState(nIndex) & ILIS_SELECTED) != 0; }
    void InvalidateItem(int nIndex, BOOL bErase);
    void SelectAll(BOOL bSelect, BOOL bRedraw);
    int GetCurrentItem() const { return m_nCurrent; }
    int GetHoverItem() const { return m_nHover; }

    // ---- layout
    // Sets the scroll range and page for the size and count, and repaints; only while the window
    // exists. Runs on every size change and after adds and deletes asked to relayout.
    void UpdateLayout();
    // FALSE with an empty rectangle out of range.
    BOOL GetItemRect(int nIndex, LPRECT lpRect);
    // The item under a client point, -1 for none (gaps between cells never hit).
    int HitTest(int x, int y);
    void EnsureVisible(int nIndex);
    int MeasureTextWidth(CDC* pDC, LPCWSTR lpszText);

    DWORD GetLayoutFlags() const { return m_dwLayout; }
    void SetLayoutFlags(DWORD dwFlags) { m_dwLayout = dwFlags; }
    BOOL IsGridMode() const { return (m_dwLayout & ILS_GRID) != 0; }
    COLORREF GetBackgroundColor() const { return m_crBackground; }
    void SetBackgroundColor(COLORREF color) { m_crBackground = color; }
    void SetMargins(int left, int top, int right, int bottom);
    CSize GetItemSize() const { return CSize(m_nItemWidth, m_nItemHeight); }
    void SetItemSize(int cx, int cy) { m_nItemWidth = cx; m_nItemHeight = cy; }
    CSize GetGaps() const { return CSize(m_nHGap, m_nVGap); }
    void SetGaps(int horizontal, int vertical) { m_nHGap = horizontal; m_nVGap = vertical; }
    int GetRowHeight() const { return m_nRowHeight; }
    void SetRowHeight(int cy) { m_nRowHeight = cy; }
    // The columns the grid has now (1 in list mode); with ILS_FIXEDCOLUMNS the count set here.
    int GetColumnCount();
    void SetColumnCount(int nColumns) { m_nColumns = nColumns > 0 ? nColumns : 1; }
    // The highest scroll position the last layout allows.
    int GetScrollLimit() const;

protected:
    friend class CItemListTracker;

    DWORD m_dwLayout = ILS_GRID;
    COLORREF m_crBackground;
    int m_nMarginLeft = 0, m_nMarginTop = 0, m_nMarginRight = 0, m_nMarginBottom = 0;
    int m_nItemWidth = 240, m_nItemHeight = 160;
    int m_nHGap = 16, m_nVGap = 16;
    int m_nRowHeight = 24;
    int m_nColumns = 1;
    CItemRecordArray m_items;
    int m_nCurrent = -1;
    int m_nHover = -1;
    CPoint m_ptPress = CPoint(-1, -1);
    // What the last layout gave the scroll bar.
    int m_nScrollMax = 0;
    int m_nScrollPage = 0;

    CItemRecord* GetRecord(int nIndex) const;
    // Sets the current or hover index (one past the end or less than 0 meaning none) and redraws
    // the items it leaves and reaches.
    BOOL ChangeIndex(int& field, int nIndex, BOOL bRedraw);
    int ComputeColumns();
    // Rows in grid mode, items in list mode, that the view shows whole.
    int GetWholeRowsInView();
    // The vertical distance between two rows of the layout.
    int GetRowStep() const { return IsGridMode() ? m_nItemHeight + m_nVGap : m_nRowHeight; }
    BOOL IsPressPointSet() const { return m_ptPress.x != -1 || m_ptPress.y != -1; }
    // The band selection from the press point; the point is where the mouse is now.
    void TrackBand(CPoint point);
    // Selects the items a band covers (client coordinates) without clearing others.
    void SelectInBand(const CRect& band);

    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    UINT OnGetDlgCode();
    DECLARE_MESSAGE_MAP()
};
