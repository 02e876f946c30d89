// List-control helpers, the fixed-height header and the one-checked-row list.
#include "converter/kit/ListHelpers.h"

int InsertListColumn(CListCtrl& list, int nColumn, LPCWSTR lpszText, int nImage, int nFormat, int nWidth,
                     int nSubItem)
{
    LVCOLUMNW column = {};
    if (lpszText) {
        column.mask |= LVCF_TEXT;
        column.pszText = const_cast<LPWSTR>(lpszText);
    }
    if (nImage != -1) {
        column.mask |= LVCF_IMAGE;
        column.iImage = nImage;
    }
    if (nFormat != -1) {
        column.mask |= LVCF_FMT;
        column.fmt = nFormat;
    }
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return list.InsertColumn(nColumn, &column);
}

void SelectListRow(CListCtrl& list, int nRow, BOOL bSelect, BOOL bClearOthers)
{
    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    if (bClearOthers)
        SelectAllListRows(list, FALSE);
    if (nRow >= 0)
        list.SetItemState(nRow, bSelect ? both : 0, both);
}

void SelectAllListRows(CListCtrl& list, BOOL bSelect)
{
    // One row at most can have the focus: asking it of all would refuse the whole call.
    list.SetItemState(-1, bSelect ? LVIS_SELECTED : 0, LVIS_SELECTED);
    if (!bSelect)
        list.SetItemState(-1, 0, LVIS_FOCUSED);
}

void SetStateOfAllRows(CListCtrl& list, UINT nState, UINT nMask)
{
    list.SetItemState(-1, nState, nMask);
}

std::vector<int> GetSelectedRows(const CListCtrl& list)
{
    std::vector<int> rows;
    POSITION position = list.GetFirstSelectedItemPosition();
    while (position)
        rows.push_back(list.GetNextSelectedItem(position));
    return rows;
}

BOOL SetTreeItemBold(CTreeCtrl& tree, HTREEITEM hItem, BOOL bBold)
{
    return tree.SetItemState(hItem, bBold ? TVIS_BOLD : 0, TVIS_BOLD);
}

// CFixedHeightHeader --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFixedHeightHeader, CHeaderCtrl)
    ON_MESSAGE(HDM_LAYOUT, OnLayout)
END_MESSAGE_MAP()

LRESULT CFixedHeightHeader::OnLayout(WPARAM, LPARAM lParam)
{
    const LRESULT result = Default();
    HDLAYOUT* layout = reinterpret_cast<HDLAYOUT*>(lParam);
    if (m_nHeight > 0 && layout && layout->prc && layout->pwpos) {
        // The header sits where the remaining area began; the rows start below the fixed height.
        layout->pwpos->cy = m_nHeight;
        layout->prc->top = layout->pwpos->y + m_nHeight;
    }
    return result;
}

// CCheckListCtrl ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCheckListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_INSERTITEM, OnInsertItem)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, OnKeyDown)
END_MESSAGE_MAP()

int CCheckListCtrl::GetStateImage(int nRow) const
{
    return (int)(GetItemState(nRow, LVIS_STATEIMAGEMASK) >> 12);
}

void CCheckListCtrl::CheckItem(int nRow)
{
    if (nRow < 0 || nRow >= GetItemCount())
        return;
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
        if (i != nRow && GetStateImage(i) != 1)
            SetItemState(i, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    SetItemState(nRow, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
}

int CCheckListCtrl::GetCheckedItem() const
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
        if (GetStateImage(i) != 1)
            return i;
    return -1;
}

void CCheckListCtrl::OnInsertItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    SetItemState(nm->iItem, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    *pResult = 0;
}

void CCheckListCtrl::OnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    // Where the click was, as the list reports it (the message position may be a later one).
    LVHITTESTINFO hit = {};
    hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR)->ptAction;
    const int row = HitTest(&hit);
    if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON))
        CheckItem(row);
}

void CCheckListCtrl::OnKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLVKEYDOWN* nm = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    *pResult = 0;
    if (nm->wVKey == VK_SPACE) {
        const int row = GetNextItem(-1, LVNI_SELECTED);
        if (row >= 0)
            CheckItem(row);
    }
}
