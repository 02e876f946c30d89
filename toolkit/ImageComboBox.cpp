// The image combo box.
#include "toolkit/ImageComboBox.h"

#include <algorithm>
#include <vector>

BEGIN_MESSAGE_MAP(CImageComboBox, CComboBoxEx)
    ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

CString CImageComboBox::GetEditText()
{
    CString text;
    HWND edit = (HWND)SendMessage(CBEM_GETEDITCONTROL);
    if (edit)
        CWnd::FromHandle(edit)->GetWindowText(text);
    else
        GetWindowText(text);
    return text;
}

CString CImageComboBox::GetItemText(int nIndex)
{
    // Through the control itself: the list of an extended combo box keeps no strings of its own.
    // The buffer grows until the text fits.
    for (int size = 260;; size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = nIndex;
        item.pszText = buffer.data();
        item.cchTextMax = size;
        if (!SendMessage(CBEM_GETITEMW, 0, (LPARAM)&item)) return CString();
        buffer[size - 1] = L'\0';
        CString text(buffer.data());
        if (text.GetLength() < size - 1 || size >= (1 << 20)) return text;
    }
}

BOOL CImageComboBox::GetItemImages(int nIndex, int& nImage, int& nSelectedImage)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = nIndex;
    if (!SendMessage(CBEM_GETITEMW, 0, (LPARAM)&item)) return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CImageComboBox::SetItem(int nIndex, LPCWSTR lpszText, int nImage, int nSelectedImage)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = nIndex;
    item.pszText = const_cast<LPWSTR>(lpszText ? lpszText : L"");
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage == -1 ? nImage : nSelectedImage;
    return (BOOL)SendMessage(CBEM_SETITEMW, 0, (LPARAM)&item);
}

BOOL CImageComboBox::SetItemIndent(int nIndex, LPCWSTR lpszText, int nImage, int nSelectedImage, int nIndent)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = nIndex;
    item.pszText = const_cast<LPWSTR>(lpszText ? lpszText : L"");
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage == -1 ? nImage : nSelectedImage;
    item.iIndent = nIndent;
    return (BOOL)SendMessage(CBEM_SETITEMW, 0, (LPARAM)&item);
}

BOOL CImageComboBox::SetItemImages(int nIndex, int nImage, int nSelectedImage)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_IMAGE;
    item.iItem = nIndex;
    item.iImage = nImage;
    if (nSelectedImage != -1) {
        item.mask |= CBEIF_SELECTEDIMAGE;
        item.iSelectedImage = nSelectedImage;
    }
    return (BOOL)SendMessage(CBEM_SETITEMW, 0, (LPARAM)&item);
}

BOOL CImageComboBox::SetItemText(int nIndex, LPCWSTR lpszText)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = nIndex;
    item.pszText = const_cast<LPWSTR>(lpszText ? lpszText : L"");
    return (BOOL)SendMessage(CBEM_SETITEMW, 0, (LPARAM)&item);
}

int CImageComboBox::FindItemExact(int nStart, LPCWSTR lpszText)
{
    if (!lpszText) return -1;
    const int count = GetCount();
    for (int i = std::max(0, nStart); i < count; ++i) {
        CString text = GetItemText(i);
        if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text, -1, lpszText, -1) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

HWND CImageComboBox::ListCombo() const
{
    // The list belongs to the combo box inside; not every system forwards the list's messages.
    HWND inner = (HWND)::SendMessageW(m_hWnd, CBEM_GETCOMBOCONTROL, 0, 0);
    return inner ? inner : m_hWnd;
}

int CImageComboBox::ComputeDropWidth()
{
    CClientDC dc(this);
    CGdiSelector font(dc, GetFont());
    int widest = 0;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) widest = std::max(widest, (int)dc.GetTextExtent(GetItemText(i)).cx);
    int width = widest + 2 * dc.GetTextExtent(L"W", 1).cx + 8;
    if (HIMAGELIST images = (HIMAGELIST)SendMessage(CBEM_GETIMAGELIST)) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        width += cx + 1;
    }
    CRect dropped;
    ::SendMessageW(ListCombo(), CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&dropped);
    const int itemHeight = (int)::SendMessageW(ListCombo(), CB_GETITEMHEIGHT, 0, 0);
    if (itemHeight > 0 && (__int64)itemHeight * count >= dropped.Height()) width += ::GetSystemMetrics(SM_CXVSCROLL);
    return width;
}

int CImageComboBox::FitDropWidth(int width, int left, const RECT& workArea)
{
    const int room = workArea.right - 2 - left;
    return std::max(std::min(width, room), 0);
}

void CImageComboBox::AdjustDropWidth()
{
    CRect rc;
    GetWindowRect(&rc);
    // The list opens on the combo's own monitor, which need not be the primary one.
    const int width = FitDropWidth(ComputeDropWidth(), rc.left, GetWindowWorkArea(m_hWnd));
    ::SendMessageW(ListCombo(), CB_SETDROPPEDWIDTH, (WPARAM)width, 0);
}

BOOL CImageComboBox::OnDropDown()
{
    AdjustDropWidth();
    return FALSE;  // the parent hears of the drop-down too
}
