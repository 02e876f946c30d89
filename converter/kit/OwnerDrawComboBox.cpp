// The two-column owner-drawn combo box.
#include "converter/kit/OwnerDrawComboBox.h"

#include "converter/app/ConverterEnvironment.h"

COwnerDrawComboBox::COwnerDrawComboBox()
    : m_nRightWidth(64), m_crRight(::GetSysColor(COLOR_BTNSHADOW)), m_bRightAlign(FALSE), m_bHideRightInEdit(FALSE)
{
}

void COwnerDrawComboBox::SetRightColumn(int width, COLORREF color, BOOL rightAlign)
{
    m_nRightWidth = width;
    m_crRight = color;
    m_bRightAlign = rightAlign;
}

void COwnerDrawComboBox::AddSeparatorAfter(int nIndex)
{
    if (!HasSeparatorAfter(nIndex))
        m_separators.Add(nIndex);
}

BOOL COwnerDrawComboBox::HasSeparatorAfter(int nIndex) const
{
    for (INT_PTR i = 0; i < m_separators.GetSize(); ++i)
        if (m_separators[i] == nIndex)
            return TRUE;
    return FALSE;
}

void COwnerDrawComboBox::SplitColumns(const CString& text, CString& left, CString& right)
{
    int at = text.Find(L'\t');
    int skip = 1;
    if (at < 0) {
        at = text.Find(L"\\t");
        skip = 2;
    }
    if (at < 0) {
        left = text;
        right.Empty();
        return;
    }
    left = text.Left(at);
    right = text.Mid(at + skip);
}

void COwnerDrawComboBox::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    (void)lpMeasureItemStruct;
}

void COwnerDrawComboBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    LPDRAWITEMSTRUCT dis = lpDrawItemStruct;
    CDC* pDC = CDC::FromHandle(dis->hDC);
    CRect item = dis->rcItem;
    const int index = (int)dis->itemID;
    if (index >= 0 && (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
        const bool inEdit = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
        const bool disabled = (dis->itemState & ODS_DISABLED) != 0;
        const bool selected = (dis->itemState & ODS_SELECTED) != 0 && !disabled;
        CConverterEnvironment* environment = GetConverterEnvironment();
        COLORREF background = ::GetSysColor(COLOR_WINDOW);
        COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
        COLORREF right = m_crRight;
        if (disabled) {
            background = environment && environment->IsThemed() ? ::GetSysColor(COLOR_WINDOW)
                                                                : ::GetSysColor(COLOR_BTNFACE);
            text = ::GetSysColor(COLOR_BTNSHADOW);
            right = RGB(128, 128, 128);
        } else if (selected) {
            background = ::GetSysColor(COLOR_HIGHLIGHT);
            text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            right = text;
        }
        pDC->FillSolidRect(&item, background);
        if (!inEdit && HasSeparatorAfter(index))
            pDC->FillSolidRect(item.left, item.bottom - 1, item.Width(), 1, RGB(216, 224, 232));

        CString label, leftText, rightText;
        GetLBText(index, label);
        SplitColumns(label, leftText, rightText);
        const bool showRight = !rightText.IsEmpty() && !(inEdit && m_bHideRightInEdit);
        CRect area(item.left + 3, item.top, item.right - 3, item.bottom);
        CGdiSelector font(*pDC, GetFont());
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF old = pDC->SetTextColor(text);
        CRect leftRect = area;
        if (showRight)
            leftRect.right = area.right - m_nRightWidth - 8;
        pDC->DrawText(leftText, &leftRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (showRight) {
            CRect rightRect(area.right - m_nRightWidth, area.top, area.right, area.bottom);
            UINT align = DT_LEFT;
            if (m_bRightAlign) {
                rightRect.right -= 4;
                align = DT_RIGHT;
            }
            pDC->SetTextColor(right);
            pDC->DrawText(rightText, &rightRect, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        pDC->SetTextColor(old);
        pDC->SetBkMode(mode);
    }
    if ((dis->itemAction & ODA_FOCUS) || (dis->itemState & ODS_FOCUS))
        pDC->DrawFocusRect(&item);
}
