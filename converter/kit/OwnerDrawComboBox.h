// COwnerDrawComboBox: a combo box whose items show a left and a right column (split at a tab),
// with separator lines after chosen items.
#pragma once

#include "framework/Collections.h"
#include "framework/Controls.h"

class COwnerDrawComboBox : public CComboBox {
public:
    COwnerDrawComboBox();

    void SetRightColumn(int width, COLORREF color, BOOL rightAlign);
    // The right column is not shown in the selection field.
    void SetHideRightInEdit(BOOL hide) { m_bHideRightInEdit = hide; }
    // A line is drawn below the item in the list.
    void AddSeparatorAfter(int nIndex);
    void ClearSeparators() { m_separators.RemoveAll(); }
    BOOL HasSeparatorAfter(int nIndex) const;

    // The left and right column of an item text: split at the first tab, or when there is none
    // at the first two characters backslash and t.
    static void SplitColumns(const CString& text, CString& left, CString& right);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    int m_nRightWidth;
    COLORREF m_crRight;
    BOOL m_bRightAlign;
    BOOL m_bHideRightInEdit;
    CArray<int> m_separators;
};
