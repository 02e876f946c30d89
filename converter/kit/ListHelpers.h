// List-control helpers of the converter's dialogs (columns, row selection, states), a header of
// fixed height, a bold tree item, and CCheckListCtrl: a list in which exactly one row is checked.
#pragma once

#include <vector>

#include "framework/Controls.h"

// Each part is given only when it is not -1 (a null text).
int InsertListColumn(CListCtrl& list, int nColumn, LPCWSTR lpszText, int nImage, int nFormat, int nWidth,
                     int nSubItem);
// Selects (and focuses) or deselects one row; with clearOthers every other row first loses both.
void SelectListRow(CListCtrl& list, int nRow, BOOL bSelect, BOOL bClearOthers);
void SelectAllListRows(CListCtrl& list, BOOL bSelect);
void SetStateOfAllRows(CListCtrl& list, UINT nState, UINT nMask);
std::vector<int> GetSelectedRows(const CListCtrl& list);
// TVIS_BOLD on or off.
BOOL SetTreeItemBold(CTreeCtrl& tree, HTREEITEM hItem, BOOL bBold);

// The header of a list whose height is fixed (0: the header's own layout).
class CFixedHeightHeader : public CHeaderCtrl {
public:
    CFixedHeightHeader() : m_nHeight(0) {}
    void SetHeight(int height) { m_nHeight = height; }
    int GetHeight() const { return m_nHeight; }

protected:
    int m_nHeight;
    LRESULT OnLayout(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

// State image 1 is unchecked, 2 checked; a click on a row's state image or Space on the first
// selected row checks that row and unchecks the others.
class CCheckListCtrl : public CListCtrl {
public:
    // Unchecks every other checked row, then checks this one.
    void CheckItem(int nRow);
    // The first row whose state image is not the unchecked one, or -1.
    int GetCheckedItem() const;
    int GetStateImage(int nRow) const;

protected:
    void OnInsertItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};
