// Wrappers of the standard and common controls: buttons, edits, statics, combo and list boxes,
// list and tree views, header, slider, spin, progress, tool tips and toolbars.
#pragma once

#include "framework/Dialog.h"
#include "framework/ImageList.h"

#include <commctrl.h>

// Each wrapper keeps the Win32 meaning of its calls. Create makes the control as a child of
// pParentWnd; SubclassDlgItem or DDX_Control binds one that a dialog template made.
// Owner-drawn controls receive the parent's WM_DRAWITEM (and, for list and combo boxes,
// WM_MEASUREITEM, WM_COMPAREITEM and WM_DELETEITEM) in the virtual functions below when the
// parent is a framework window; reflected map entries (ON_NOTIFY_REFLECT for NM_CUSTOMDRAW,
// ON_CONTROL_REFLECT...) take precedence.

namespace detail {
BOOL CreateControl(CWnd* wnd, LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect,
                   CWnd* pParentWnd, UINT nID, DWORD exStyle = 0);

// The owner-draw part of OnChildNotify shared by the controls below: WM_DRAWITEM and its kin
// go to the control's virtual functions.
template <class T>
BOOL DispatchOwnerDraw(T* target, UINT message, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_DRAWITEM: target->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); *pResult = TRUE; return TRUE;
    case WM_MEASUREITEM: target->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); *pResult = TRUE; return TRUE;
    case WM_COMPAREITEM: *pResult = target->CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam)); return TRUE;
    case WM_DELETEITEM: target->DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)); *pResult = TRUE; return TRUE;
    default: return FALSE;
    }
}
}

// Declared by every control that can be owner-drawn.
#define FW_OWNER_DRAW_VIRTUALS                                   \
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}                   \
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}             \
    virtual int CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }   \
    virtual void DeleteItem(LPDELETEITEMSTRUCT) {}

class CButton : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
    }
    UINT GetState() const { return (UINT)::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0); }
    void SetState(BOOL bHighlight) { ::SendMessageW(m_hWnd, BM_SETSTATE, bHighlight, 0); }
    int GetCheck() const { return (int)::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0); }
    void SetCheck(int nCheck) { ::SendMessageW(m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0); }
    UINT GetButtonStyle() const { return (UINT)GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { ::SendMessageW(m_hWnd, BM_SETSTYLE, nStyle, bRedraw); }
    HICON SetIcon(HICON hIcon) { return (HICON)::SendMessageW(m_hWnd, BM_SETIMAGE, IMAGE_ICON, (LPARAM)hIcon); }
    HICON GetIcon() const { return (HICON)::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_ICON, 0); }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return (HBITMAP)::SendMessageW(m_hWnd, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
    HBITMAP GetBitmap() const { return (HBITMAP)::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_BITMAP, 0); }
    void Click() { ::SendMessageW(m_hWnd, BM_CLICK, 0, 0); }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, L"EDIT", NULL, dwStyle, rect, pParentWnd, nID, WS_EX_CLIENTEDGE);
    }
    void GetSel(int& nStart, int& nEnd) const { ::SendMessageW(m_hWnd, EM_GETSEL, (WPARAM)&nStart, (LPARAM)&nEnd); }
    DWORD GetSel() const { return (DWORD)::SendMessageW(m_hWnd, EM_GETSEL, 0, 0); }
    void SetSel(int nStart, int nEnd, BOOL bNoScroll = FALSE) {
        ::SendMessageW(m_hWnd, EM_SETSEL, (WPARAM)nStart, nEnd);
        if (!bNoScroll) ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
    }
    void SetSel(DWORD dwSelection, BOOL bNoScroll = FALSE) { SetSel((short)LOWORD(dwSelection), (short)HIWORD(dwSelection), bNoScroll); }
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE) { ::SendMessageW(m_hWnd, EM_REPLACESEL, bCanUndo, (LPARAM)lpszNewText); }
    void LimitText(int nChars = 0) { ::SendMessageW(m_hWnd, EM_LIMITTEXT, (WPARAM)nChars, 0); }
    void SetLimitText(UINT nMax) { ::SendMessageW(m_hWnd, EM_SETLIMITTEXT, nMax, 0); }
    UINT GetLimitText() const { return (UINT)::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)::SendMessageW(m_hWnd, EM_SETREADONLY, bReadOnly, 0); }
    BOOL GetModify() const { return (BOOL)::SendMessageW(m_hWnd, EM_GETMODIFY, 0, 0); }
    void SetModify(BOOL bModified = TRUE) { ::SendMessageW(m_hWnd, EM_SETMODIFY, bModified, 0); }
    int GetLineCount() const { return (int)::SendMessageW(m_hWnd, EM_GETLINECOUNT, 0, 0); }
    int LineFromChar(int nIndex = -1) const { return (int)::SendMessageW(m_hWnd, EM_LINEFROMCHAR, (WPARAM)nIndex, 0); }
    int LineIndex(int nLine = -1) const { return (int)::SendMessageW(m_hWnd, EM_LINEINDEX, (WPARAM)nLine, 0); }
    int LineLength(int nLine = -1) const { return (int)::SendMessageW(m_hWnd, EM_LINELENGTH, (WPARAM)nLine, 0); }
    void LineScroll(int nLines, int nChars = 0) { ::SendMessageW(m_hWnd, EM_LINESCROLL, (WPARAM)nChars, nLines); }
    void SetPasswordChar(wchar_t ch) { ::SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, ch, 0); }
    void SetMargins(UINT nLeft, UINT nRight) { ::SendMessageW(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(nLeft, nRight)); }
    void GetRect(LPRECT rc) const { ::SendMessageW(m_hWnd, EM_GETRECT, 0, (LPARAM)rc); }
    void SetRect(LPCRECT rc) { ::SendMessageW(m_hWnd, EM_SETRECT, 0, (LPARAM)rc); }
    BOOL CanUndo() const { return (BOOL)::SendMessageW(m_hWnd, EM_CANUNDO, 0, 0); }
    BOOL Undo() { return (BOOL)::SendMessageW(m_hWnd, EM_UNDO, 0, 0); }
    void EmptyUndoBuffer() { ::SendMessageW(m_hWnd, EM_EMPTYUNDOBUFFER, 0, 0); }
    void Cut() { ::SendMessageW(m_hWnd, WM_CUT, 0, 0); }
    void Copy() { ::SendMessageW(m_hWnd, WM_COPY, 0, 0); }
    void Paste() { ::SendMessageW(m_hWnd, WM_PASTE, 0, 0); }
    void Clear() { ::SendMessageW(m_hWnd, WM_CLEAR, 0, 0); }
    CPoint PosFromChar(UINT nChar) const { return CPoint((DWORD)::SendMessageW(m_hWnd, EM_POSFROMCHAR, nChar, 0)); }
    int CharFromPos(CPoint pt) const { return (int)::SendMessageW(m_hWnd, EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y)); }
    BOOL SetCueBanner(LPCWSTR lpszText, BOOL fDrawWhenFocused = FALSE) {
        return (BOOL)::SendMessageW(m_hWnd, EM_SETCUEBANNER, fDrawWhenFocused, (LPARAM)lpszText);
    }
};

class CStatic : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF) {
        return detail::CreateControl(this, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
    }
    HICON SetIcon(HICON hIcon) { return (HICON)::SendMessageW(m_hWnd, STM_SETIMAGE, IMAGE_ICON, (LPARAM)hIcon); }
    HICON GetIcon() const { return (HICON)::SendMessageW(m_hWnd, STM_GETIMAGE, IMAGE_ICON, 0); }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return (HBITMAP)::SendMessageW(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
    HBITMAP GetBitmap() const { return (HBITMAP)::SendMessageW(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0); }
    HCURSOR SetCursor(HCURSOR hCursor) { return (HCURSOR)::SendMessageW(m_hWnd, STM_SETIMAGE, IMAGE_CURSOR, (LPARAM)hCursor); }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CComboBox : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, L"COMBOBOX", NULL, dwStyle, rect, pParentWnd, nID);
    }
    int GetCount() const { return (int)::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return (int)::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0); }
    int SetCurSel(int nSelect) { return (int)::SendMessageW(m_hWnd, CB_SETCURSEL, (WPARAM)nSelect, 0); }
    int AddString(LPCWSTR lpszString) { return (int)::SendMessageW(m_hWnd, CB_ADDSTRING, 0, (LPARAM)lpszString); }
    int InsertString(int nIndex, LPCWSTR lpszString) { return (int)::SendMessageW(m_hWnd, CB_INSERTSTRING, (WPARAM)nIndex, (LPARAM)lpszString); }
    int DeleteString(UINT nIndex) { return (int)::SendMessageW(m_hWnd, CB_DELETESTRING, nIndex, 0); }
    void ResetContent() { ::SendMessageW(m_hWnd, CB_RESETCONTENT, 0, 0); }
    int GetLBText(int nIndex, LPWSTR lpszText) const { return (int)::SendMessageW(m_hWnd, CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)lpszText); }
    void GetLBText(int nIndex, CString& rString) const;
    int GetLBTextLen(int nIndex) const { return (int)::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, (WPARAM)nIndex, 0); }
    DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)::SendMessageW(m_hWnd, CB_GETITEMDATA, (WPARAM)nIndex, 0); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) { return (int)::SendMessageW(m_hWnd, CB_SETITEMDATA, (WPARAM)nIndex, (LPARAM)dwItemData); }
    void* GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
    int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
    int FindString(int nStartAfter, LPCWSTR lpszString) const { return (int)::SendMessageW(m_hWnd, CB_FINDSTRING, (WPARAM)nStartAfter, (LPARAM)lpszString); }
    int FindStringExact(int nIndexStart, LPCWSTR lpszFind) const { return (int)::SendMessageW(m_hWnd, CB_FINDSTRINGEXACT, (WPARAM)nIndexStart, (LPARAM)lpszFind); }
    int SelectString(int nStartAfter, LPCWSTR lpszString) { return (int)::SendMessageW(m_hWnd, CB_SELECTSTRING, (WPARAM)nStartAfter, (LPARAM)lpszString); }
    void ShowDropDown(BOOL bShowIt = TRUE) { ::SendMessageW(m_hWnd, CB_SHOWDROPDOWN, bShowIt, 0); }
    BOOL GetDroppedState() const { return (BOOL)::SendMessageW(m_hWnd, CB_GETDROPPEDSTATE, 0, 0); }
    void GetDroppedControlRect(LPRECT rc) const { ::SendMessageW(m_hWnd, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)rc); }
    int SetDroppedWidth(UINT nWidth) { return (int)::SendMessageW(m_hWnd, CB_SETDROPPEDWIDTH, nWidth, 0); }
    int GetDroppedWidth() const { return (int)::SendMessageW(m_hWnd, CB_GETDROPPEDWIDTH, 0, 0); }
    // nIndex -1 is the selection field.
    int SetItemHeight(int nIndex, UINT cyItemHeight) { return (int)::SendMessageW(m_hWnd, CB_SETITEMHEIGHT, (WPARAM)nIndex, cyItemHeight); }
    int GetItemHeight(int nIndex) const { return (int)::SendMessageW(m_hWnd, CB_GETITEMHEIGHT, (WPARAM)nIndex, 0); }
    DWORD GetEditSel() const { return (DWORD)::SendMessageW(m_hWnd, CB_GETEDITSEL, 0, 0); }
    BOOL SetEditSel(int nStartChar, int nEndChar) { return (BOOL)::SendMessageW(m_hWnd, CB_SETEDITSEL, 0, MAKELPARAM(nStartChar, nEndChar)); }
    BOOL LimitText(int nMaxChars) { return (BOOL)::SendMessageW(m_hWnd, CB_LIMITTEXT, (WPARAM)nMaxChars, 0); }
    int GetTopIndex() const { return (int)::SendMessageW(m_hWnd, CB_GETTOPINDEX, 0, 0); }
    int SetTopIndex(int nIndex) { return (int)::SendMessageW(m_hWnd, CB_SETTOPINDEX, (WPARAM)nIndex, 0); }
    BOOL GetComboBoxInfo(PCOMBOBOXINFO pcbi) const { pcbi->cbSize = sizeof(COMBOBOXINFO); return ::GetComboBoxInfo(m_hWnd, pcbi); }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// The extended combo box (images beside the items); its items are COMBOBOXEXITEMW records.
class CComboBoxEx : public CComboBox {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, WC_COMBOBOXEXW, NULL, dwStyle, rect, pParentWnd, nID);
    }
    int InsertItem(const COMBOBOXEXITEMW* pCBItem) { return (int)::SendMessageW(m_hWnd, CBEM_INSERTITEMW, 0, (LPARAM)pCBItem); }
    int DeleteItem(int iIndex) { return (int)::SendMessageW(m_hWnd, CBEM_DELETEITEM, (WPARAM)iIndex, 0); }
    BOOL GetItem(COMBOBOXEXITEMW* pCBItem) { return (BOOL)::SendMessageW(m_hWnd, CBEM_GETITEMW, 0, (LPARAM)pCBItem); }
    BOOL SetItem(const COMBOBOXEXITEMW* pCBItem) { return (BOOL)::SendMessageW(m_hWnd, CBEM_SETITEMW, 0, (LPARAM)pCBItem); }
    CImageList* SetImageList(CImageList* pImageList) {
        return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, CBEM_SETIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle()));
    }
    CImageList* GetImageList() const { return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, CBEM_GETIMAGELIST, 0, 0)); }
    DWORD SetExtendedStyle(DWORD dwExMask, DWORD dwExStyles) { return (DWORD)::SendMessageW(m_hWnd, CBEM_SETEXTENDEDSTYLE, dwExMask, dwExStyles); }
    DWORD GetExtendedStyle() const { return (DWORD)::SendMessageW(m_hWnd, CBEM_GETEXTENDEDSTYLE, 0, 0); }
    CEdit* GetEditCtrl() const { return static_cast<CEdit*>(CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, CBEM_GETEDITCONTROL, 0, 0))); }
    CComboBox* GetComboBoxCtrl() const { return static_cast<CComboBox*>(CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, CBEM_GETCOMBOCONTROL, 0, 0))); }
    BOOL HasEditChanged() const { return (BOOL)::SendMessageW(m_hWnd, CBEM_HASEDITCHANGED, 0, 0); }
};

class CListBox : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, L"LISTBOX", NULL, dwStyle, rect, pParentWnd, nID, WS_EX_CLIENTEDGE);
    }
    int GetCount() const { return (int)::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0); }
    int GetCurSel() const { return (int)::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0); }
    int SetCurSel(int nSelect) { return (int)::SendMessageW(m_hWnd, LB_SETCURSEL, (WPARAM)nSelect, 0); }
    int GetSel(int nIndex) const { return (int)::SendMessageW(m_hWnd, LB_GETSEL, (WPARAM)nIndex, 0); }
    int SetSel(int nIndex, BOOL bSelect = TRUE) { return (int)::SendMessageW(m_hWnd, LB_SETSEL, bSelect, nIndex); }
    int GetSelCount() const { return (int)::SendMessageW(m_hWnd, LB_GETSELCOUNT, 0, 0); }
    int GetSelItems(int nMaxItems, LPINT rgIndex) const { return (int)::SendMessageW(m_hWnd, LB_GETSELITEMS, (WPARAM)nMaxItems, (LPARAM)rgIndex); }
    int AddString(LPCWSTR lpszItem) { return (int)::SendMessageW(m_hWnd, LB_ADDSTRING, 0, (LPARAM)lpszItem); }
    int InsertString(int nIndex, LPCWSTR lpszItem) { return (int)::SendMessageW(m_hWnd, LB_INSERTSTRING, (WPARAM)nIndex, (LPARAM)lpszItem); }
    int DeleteString(UINT nIndex) { return (int)::SendMessageW(m_hWnd, LB_DELETESTRING, nIndex, 0); }
    void ResetContent() { ::SendMessageW(m_hWnd, LB_RESETCONTENT, 0, 0); }
    void GetText(int nIndex, CString& rString) const;
    int GetTextLen(int nIndex) const { return (int)::SendMessageW(m_hWnd, LB_GETTEXTLEN, (WPARAM)nIndex, 0); }
    DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)::SendMessageW(m_hWnd, LB_GETITEMDATA, (WPARAM)nIndex, 0); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) { return (int)::SendMessageW(m_hWnd, LB_SETITEMDATA, (WPARAM)nIndex, (LPARAM)dwItemData); }
    int GetItemRect(int nIndex, LPRECT rc) const { return (int)::SendMessageW(m_hWnd, LB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)rc); }
    int SetItemHeight(int nIndex, UINT cyItemHeight) { return (int)::SendMessageW(m_hWnd, LB_SETITEMHEIGHT, (WPARAM)nIndex, MAKELONG(cyItemHeight, 0)); }
    int GetItemHeight(int nIndex) const { return (int)::SendMessageW(m_hWnd, LB_GETITEMHEIGHT, (WPARAM)nIndex, 0); }
    int FindString(int nStartAfter, LPCWSTR lpszItem) const { return (int)::SendMessageW(m_hWnd, LB_FINDSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem); }
    int FindStringExact(int nIndexStart, LPCWSTR lpszFind) const { return (int)::SendMessageW(m_hWnd, LB_FINDSTRINGEXACT, (WPARAM)nIndexStart, (LPARAM)lpszFind); }
    int SelectString(int nStartAfter, LPCWSTR lpszItem) { return (int)::SendMessageW(m_hWnd, LB_SELECTSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem); }
    int GetTopIndex() const { return (int)::SendMessageW(m_hWnd, LB_GETTOPINDEX, 0, 0); }
    int SetTopIndex(int nIndex) { return (int)::SendMessageW(m_hWnd, LB_SETTOPINDEX, (WPARAM)nIndex, 0); }
    int GetCaretIndex() const { return (int)::SendMessageW(m_hWnd, LB_GETCARETINDEX, 0, 0); }
    int SetCaretIndex(int nIndex, BOOL bScroll = TRUE) { return (int)::SendMessageW(m_hWnd, LB_SETCARETINDEX, (WPARAM)nIndex, bScroll); }
    UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CHeaderCtrl : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, WC_HEADERW, NULL, dwStyle, rect, pParentWnd, nID);
    }
    int GetItemCount() const { return Header_GetItemCount(m_hWnd); }
    int InsertItem(int nPos, HDITEMW* phdi) { return (int)::SendMessageW(m_hWnd, HDM_INSERTITEMW, (WPARAM)nPos, (LPARAM)phdi); }
    BOOL DeleteItem(int nPos) { return Header_DeleteItem(m_hWnd, nPos); }
    BOOL GetItem(int nPos, HDITEMW* pHeaderItem) const { return (BOOL)::SendMessageW(m_hWnd, HDM_GETITEMW, (WPARAM)nPos, (LPARAM)pHeaderItem); }
    BOOL SetItem(int nPos, HDITEMW* pHeaderItem) { return (BOOL)::SendMessageW(m_hWnd, HDM_SETITEMW, (WPARAM)nPos, (LPARAM)pHeaderItem); }
    BOOL GetItemRect(int nIndex, LPRECT rc) const { return Header_GetItemRect(m_hWnd, nIndex, rc); }
    BOOL Layout(HDLAYOUT* pHeaderLayout) { return Header_Layout(m_hWnd, pHeaderLayout); }
    CImageList* SetImageList(CImageList* pImageList) { return CImageList::FromHandle(Header_SetImageList(m_hWnd, pImageList->GetSafeHandle())); }
    CImageList* GetImageList() const { return CImageList::FromHandle(Header_GetImageList(m_hWnd)); }
    int HitTest(LPHDHITTESTINFO pHeaderHitTestInfo) { return (int)::SendMessageW(m_hWnd, HDM_HITTEST, 0, (LPARAM)pHeaderHitTestInfo); }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CListCtrl : public CWnd {
public:
    FW_OWNER_DRAW_VIRTUALS
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, WC_LISTVIEWW, NULL, dwStyle, rect, pParentWnd, nID, WS_EX_CLIENTEDGE);
    }
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, WC_LISTVIEWW, NULL, dwStyle, rect, pParentWnd, nID, dwExStyle);
    }
    // LVS_EX_ styles (full-row select, check boxes, grid lines...).
    DWORD SetExtendedStyle(DWORD dwNewStyle) { return (DWORD)::SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)::SendMessageW(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0); }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType) {
        return CImageList::FromHandle(ListView_SetImageList(m_hWnd, pImageList->GetSafeHandle(), nImageListType));
    }
    CImageList* GetImageList(int nImageList) const { return CImageList::FromHandle(ListView_GetImageList(m_hWnd, nImageList)); }
    CHeaderCtrl* GetHeaderCtrl() const { return static_cast<CHeaderCtrl*>(CWnd::FromHandle(ListView_GetHeader(m_hWnd))); }

    // Columns: -1 (or NULL) leaves a field out, as LVCOLUMN's mask does.
    int InsertColumn(int nCol, const LVCOLUMNW* pColumn) { return (int)::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, (WPARAM)nCol, (LPARAM)pColumn); }
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return ListView_DeleteColumn(m_hWnd, nCol); }
    int GetColumnWidth(int nCol) const { return ListView_GetColumnWidth(m_hWnd, nCol); }
    BOOL SetColumnWidth(int nCol, int cx) { return ListView_SetColumnWidth(m_hWnd, nCol, cx); }
    BOOL GetColumn(int nCol, LVCOLUMNW* pColumn) const { return (BOOL)::SendMessageW(m_hWnd, LVM_GETCOLUMNW, (WPARAM)nCol, (LPARAM)pColumn); }
    BOOL SetColumn(int nCol, const LVCOLUMNW* pColumn) { return (BOOL)::SendMessageW(m_hWnd, LVM_SETCOLUMNW, (WPARAM)nCol, (LPARAM)pColumn); }

    int GetItemCount() const { return ListView_GetItemCount(m_hWnd); }
    BOOL SetItemCount(int nItems) { return (BOOL)::SendMessageW(m_hWnd, LVM_SETITEMCOUNT, (WPARAM)nItems, 0); }
    int InsertItem(const LVITEMW* pItem) { return (int)::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, (LPARAM)pItem); }
    int InsertItem(int nItem, LPCWSTR lpszItem) { return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0); }
    int InsertItem(int nItem, LPCWSTR lpszItem, int nImage) { return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0); }
    int InsertItem(UINT nMask, int nItem, LPCWSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem) { return ListView_DeleteItem(m_hWnd, nItem); }
    BOOL DeleteAllItems() { return ListView_DeleteAllItems(m_hWnd); }
    BOOL GetItem(LVITEMW* pItem) const { return (BOOL)::SendMessageW(m_hWnd, LVM_GETITEMW, 0, (LPARAM)pItem); }
    BOOL SetItem(const LVITEMW* pItem) { return (BOOL)::SendMessageW(m_hWnd, LVM_SETITEMW, 0, (LPARAM)pItem); }
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemText(int nItem, int nSubItem, LPWSTR lpszText, int nLen) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const { return ListView_GetItemState(m_hWnd, nItem, nMask); }
    // nItem -1 sets the state of every item.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const { return ListView_GetItemRect(m_hWnd, nItem, lpRect, nCode); }
    BOOL GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const {
        return ListView_GetSubItemRect(m_hWnd, iItem, iSubItem, nArea, &ref);
    }
    // Check boxes (LVS_EX_CHECKBOXES): state image 2 is checked, 1 unchecked.
    BOOL GetCheck(int nItem) const { return ((ListView_GetItemState(m_hWnd, nItem, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1; }
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE) { return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK); }

    // Selection walk: POSITION is the index plus one, NULL after the last selected item.
    UINT GetSelectedCount() const { return ListView_GetSelectedCount(m_hWnd); }
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& pos) const;
    int GetNextItem(int nItem, int nFlags) const { return ListView_GetNextItem(m_hWnd, nItem, nFlags); }
    int GetSelectionMark() const { return ListView_GetSelectionMark(m_hWnd); }
    int SetSelectionMark(int iIndex) { return ListView_SetSelectionMark(m_hWnd, iIndex); }

    int HitTest(LVHITTESTINFO* pHitTestInfo) const { return (int)::SendMessageW(m_hWnd, LVM_HITTEST, 0, (LPARAM)pHitTestInfo); }
    int HitTest(CPoint pt, UINT* pFlags = NULL) const;
    int SubItemHitTest(LPLVHITTESTINFO pInfo) { return ListView_SubItemHitTest(m_hWnd, pInfo); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) { return ListView_EnsureVisible(m_hWnd, nItem, bPartialOK); }
    BOOL RedrawItems(int nFirst, int nLast) { return ListView_RedrawItems(m_hWnd, nFirst, nLast); }
    BOOL Update(int nItem) { return ListView_Update(m_hWnd, nItem); }
    int GetTopIndex() const { return ListView_GetTopIndex(m_hWnd); }
    int GetCountPerPage() const { return ListView_GetCountPerPage(m_hWnd); }
    BOOL Scroll(CSize size) { return ListView_Scroll(m_hWnd, size.cx, size.cy); }
    int FindItem(LVFINDINFOW* pFindInfo, int nStart = -1) const { return (int)::SendMessageW(m_hWnd, LVM_FINDITEMW, (WPARAM)nStart, (LPARAM)pFindInfo); }
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) { return (BOOL)::SendMessageW(m_hWnd, LVM_SORTITEMS, dwData, (LPARAM)pfnCompare); }
    BOOL SetBkColor(COLORREF cr) { return ListView_SetBkColor(m_hWnd, cr); }
    COLORREF GetBkColor() const { return ListView_GetBkColor(m_hWnd); }
    BOOL SetTextColor(COLORREF cr) { return ListView_SetTextColor(m_hWnd, cr); }
    BOOL SetTextBkColor(COLORREF cr) { return ListView_SetTextBkColor(m_hWnd, cr); }
    CEdit* EditLabel(int nItem) { return static_cast<CEdit*>(CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, LVM_EDITLABELW, (WPARAM)nItem, 0))); }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, WC_TREEVIEWW, NULL, dwStyle, rect, pParentWnd, nID, WS_EX_CLIENTEDGE);
    }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType) {
        return CImageList::FromHandle(TreeView_SetImageList(m_hWnd, pImageList->GetSafeHandle(), nImageListType));
    }
    CImageList* GetImageList(int nImageList) const { return CImageList::FromHandle(TreeView_GetImageList(m_hWnd, nImageList)); }

    // LPSTR_TEXTCALLBACKW as the text and I_IMAGECALLBACK as an image ask the parent for them
    // through TVN_GETDISPINFO.
    HTREEITEM InsertItem(LPTVINSERTSTRUCTW lpInsertStruct) { return (HTREEITEM)::SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, (LPARAM)lpInsertStruct); }
    HTREEITEM InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState, UINT nStateMask,
                         LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    HTREEITEM InsertItem(LPCWSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST) {
        return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
    }
    HTREEITEM InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST) {
        return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent, hInsertAfter);
    }
    BOOL DeleteItem(HTREEITEM hItem) { return TreeView_DeleteItem(m_hWnd, hItem); }
    BOOL DeleteAllItems() { return TreeView_DeleteAllItems(m_hWnd); }
    BOOL GetItem(TVITEMW* pItem) const { return (BOOL)::SendMessageW(m_hWnd, TVM_GETITEMW, 0, (LPARAM)pItem); }
    BOOL SetItem(TVITEMW* pItem) { return (BOOL)::SendMessageW(m_hWnd, TVM_SETITEMW, 0, (LPARAM)pItem); }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCWSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const { return TreeView_GetItemState(m_hWnd, hItem, nStateMask); }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    // Check boxes (TVS_CHECKBOXES): state image 2 is checked, 1 unchecked.
    BOOL GetCheck(HTREEITEM hItem) const { return (GetItemState(hItem, TVIS_STATEIMAGEMASK) >> 12) == 2; }
    BOOL SetCheck(HTREEITEM hItem, BOOL fCheck = TRUE) { return SetItemState(hItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), TVIS_STATEIMAGEMASK); }
    // Bold items (TVIS_BOLD).
    BOOL SetItemBold(HTREEITEM hItem, BOOL bBold) { return SetItemState(hItem, bBold ? TVIS_BOLD : 0, TVIS_BOLD); }

    UINT GetCount() const { return TreeView_GetCount(m_hWnd); }
    HTREEITEM GetRootItem() const { return TreeView_GetRoot(m_hWnd); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return TreeView_GetChild(m_hWnd, hItem); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return TreeView_GetNextSibling(m_hWnd, hItem); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return TreeView_GetPrevSibling(m_hWnd, hItem); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return TreeView_GetParent(m_hWnd, hItem); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const { return TreeView_GetNextItem(m_hWnd, hItem, nCode); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return TreeView_GetNextVisible(m_hWnd, hItem); }
    HTREEITEM GetFirstVisibleItem() const { return TreeView_GetFirstVisible(m_hWnd); }
    HTREEITEM GetSelectedItem() const { return TreeView_GetSelection(m_hWnd); }
    HTREEITEM GetDropHilightItem() const { return TreeView_GetDropHilight(m_hWnd); }
    BOOL ItemHasChildren(HTREEITEM hItem) const { return TreeView_GetChild(m_hWnd, hItem) != NULL; }
    BOOL SelectItem(HTREEITEM hItem) { return TreeView_SelectItem(m_hWnd, hItem); }
    BOOL SelectDropTarget(HTREEITEM hItem) { return TreeView_SelectDropTarget(m_hWnd, hItem); }
    BOOL Select(HTREEITEM hItem, UINT nCode) { return TreeView_Select(m_hWnd, hItem, nCode); }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return TreeView_Expand(m_hWnd, hItem, nCode); }
    BOOL EnsureVisible(HTREEITEM hItem) { return TreeView_EnsureVisible(m_hWnd, hItem); }
    BOOL SortChildren(HTREEITEM hItem) { return TreeView_SortChildren(m_hWnd, hItem, 0); }
    BOOL SortChildrenCB(LPTVSORTCB pSort) { return TreeView_SortChildrenCB(m_hWnd, pSort, 0); }
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;
    HTREEITEM HitTest(CPoint pt, UINT* pFlags = NULL) const;
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const { return TreeView_HitTest(m_hWnd, pHitTestInfo); }
    UINT GetIndent() const { return TreeView_GetIndent(m_hWnd); }
    void SetIndent(UINT nIndent) { TreeView_SetIndent(m_hWnd, nIndent); }
    int GetItemHeight() const { return TreeView_GetItemHeight(m_hWnd); }
    int SetItemHeight(SHORT cyHeight) { return TreeView_SetItemHeight(m_hWnd, cyHeight); }
    COLORREF SetBkColor(COLORREF clr) { return TreeView_SetBkColor(m_hWnd, clr); }
    COLORREF SetTextColor(COLORREF clr) { return TreeView_SetTextColor(m_hWnd, clr); }
    CEdit* EditLabel(HTREEITEM hItem) { return static_cast<CEdit*>(CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, TVM_EDITLABELW, 0, (LPARAM)hItem))); }
};

class CSliderCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, TRACKBAR_CLASSW, NULL, dwStyle, rect, pParentWnd, nID);
    }
    int GetPos() const { return (int)::SendMessageW(m_hWnd, TBM_GETPOS, 0, 0); }
    void SetPos(int nPos) { ::SendMessageW(m_hWnd, TBM_SETPOS, TRUE, nPos); }
    int GetRangeMin() const { return (int)::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0); }
    int GetRangeMax() const { return (int)::SendMessageW(m_hWnd, TBM_GETRANGEMAX, 0, 0); }
    void GetRange(int& nMin, int& nMax) const { nMin = GetRangeMin(); nMax = GetRangeMax(); }
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE) {
        ::SendMessageW(m_hWnd, TBM_SETRANGEMIN, FALSE, nMin);
        ::SendMessageW(m_hWnd, TBM_SETRANGEMAX, bRedraw, nMax);
    }
    void SetRangeMin(int nMin, BOOL bRedraw = FALSE) { ::SendMessageW(m_hWnd, TBM_SETRANGEMIN, bRedraw, nMin); }
    void SetRangeMax(int nMax, BOOL bRedraw = FALSE) { ::SendMessageW(m_hWnd, TBM_SETRANGEMAX, bRedraw, nMax); }
    int GetLineSize() const { return (int)::SendMessageW(m_hWnd, TBM_GETLINESIZE, 0, 0); }
    int SetLineSize(int nSize) { return (int)::SendMessageW(m_hWnd, TBM_SETLINESIZE, 0, nSize); }
    int GetPageSize() const { return (int)::SendMessageW(m_hWnd, TBM_GETPAGESIZE, 0, 0); }
    int SetPageSize(int nSize) { return (int)::SendMessageW(m_hWnd, TBM_SETPAGESIZE, 0, nSize); }
    void SetTicFreq(int nFreq) { ::SendMessageW(m_hWnd, TBM_SETTICFREQ, (WPARAM)nFreq, 0); }
    BOOL SetTic(int nTic) { return (BOOL)::SendMessageW(m_hWnd, TBM_SETTIC, 0, nTic); }
    void ClearTics(BOOL bRedraw = FALSE) { ::SendMessageW(m_hWnd, TBM_CLEARTICS, bRedraw, 0); }
    void GetThumbRect(LPRECT rc) const { ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, (LPARAM)rc); }
    void GetChannelRect(LPRECT rc) const { ::SendMessageW(m_hWnd, TBM_GETCHANNELRECT, 0, (LPARAM)rc); }
};

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, UPDOWN_CLASSW, NULL, dwStyle, rect, pParentWnd, nID);
    }
    int GetPos() const { return (int)(short)LOWORD(::SendMessageW(m_hWnd, UDM_GETPOS, 0, 0)); }
    int SetPos(int nPos) { return (int)(short)LOWORD(::SendMessageW(m_hWnd, UDM_SETPOS, 0, MAKELPARAM(nPos, 0))); }
    int GetPos32(BOOL* lpbError = NULL) const { return (int)::SendMessageW(m_hWnd, UDM_GETPOS32, 0, (LPARAM)lpbError); }
    int SetPos32(int nPos) { return (int)::SendMessageW(m_hWnd, UDM_SETPOS32, 0, nPos); }
    void SetRange(short nLower, short nUpper) { ::SendMessageW(m_hWnd, UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower)); }
    void SetRange32(int nLower, int nUpper) { ::SendMessageW(m_hWnd, UDM_SETRANGE32, (WPARAM)nLower, nUpper); }
    void GetRange32(int& nLower, int& nUpper) const { ::SendMessageW(m_hWnd, UDM_GETRANGE32, (WPARAM)&nLower, (LPARAM)&nUpper); }
    CWnd* SetBuddy(CWnd* pWndBuddy) { return CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, UDM_SETBUDDY, (WPARAM)pWndBuddy->GetSafeHwnd(), 0)); }
    CWnd* GetBuddy() const { return CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, UDM_GETBUDDY, 0, 0)); }
    int SetBase(int nBase) { return (int)::SendMessageW(m_hWnd, UDM_SETBASE, (WPARAM)nBase, 0); }
    BOOL SetAccel(int nAccel, UDACCEL* pAccel) { return (BOOL)::SendMessageW(m_hWnd, UDM_SETACCEL, (WPARAM)nAccel, (LPARAM)pAccel); }
};

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return detail::CreateControl(this, PROGRESS_CLASSW, NULL, dwStyle, rect, pParentWnd, nID);
    }
    void SetRange(short nLower, short nUpper) { ::SendMessageW(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
    void SetRange32(int nLower, int nUpper) { ::SendMessageW(m_hWnd, PBM_SETRANGE32, (WPARAM)nLower, nUpper); }
    void GetRange(int& nLower, int& nUpper) const;
    int GetPos() const { return (int)::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0); }
    int SetPos(int nPos) { return (int)::SendMessageW(m_hWnd, PBM_SETPOS, (WPARAM)nPos, 0); }
    int OffsetPos(int nPos) { return (int)::SendMessageW(m_hWnd, PBM_DELTAPOS, (WPARAM)nPos, 0); }
    int SetStep(int nStep) { return (int)::SendMessageW(m_hWnd, PBM_SETSTEP, (WPARAM)nStep, 0); }
    int StepIt() { return (int)::SendMessageW(m_hWnd, PBM_STEPIT, 0, 0); }
    COLORREF SetBarColor(COLORREF clrBar) { return (COLORREF)::SendMessageW(m_hWnd, PBM_SETBARCOLOR, 0, clrBar); }
    COLORREF SetBkColor(COLORREF clrNew) { return (COLORREF)::SendMessageW(m_hWnd, PBM_SETBKCOLOR, 0, clrNew); }
};

// Tool tips. A tool given as a window (id 0, no rectangle) is identified by its handle and
// belongs to the window's parent; a tool with an id and a rectangle belongs to pWnd itself.
class CToolTipCtrl : public CWnd {
public:
    // A top-most pop-up owned by pParentWnd (TTS_ALWAYSTIP, TTS_NOPREFIX... in dwStyle).
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = NULL, UINT_PTR nIDTool = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = NULL, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    BOOL GetToolInfo(TTTOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    void GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    int GetToolCount() const { return (int)::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0); }
    // Passes a mouse message of a tool's window to the tip (from PreTranslateMessage).
    void RelayEvent(LPMSG lpMsg) { ::SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
    int SetMaxTipWidth(int iWidth) { return (int)::SendMessageW(m_hWnd, TTM_SETMAXTIPWIDTH, 0, iWidth); }
    int GetMaxTipWidth() const { return (int)::SendMessageW(m_hWnd, TTM_GETMAXTIPWIDTH, 0, 0); }
    void Activate(BOOL bActivate) { ::SendMessageW(m_hWnd, TTM_ACTIVATE, bActivate, 0); }
    void SetDelayTime(UINT nDelay) { ::SendMessageW(m_hWnd, TTM_SETDELAYTIME, TTDT_AUTOMATIC, nDelay); }
    void SetDelayTime(DWORD dwDuration, int iTime) { ::SendMessageW(m_hWnd, TTM_SETDELAYTIME, dwDuration, iTime); }
    void SetTipBkColor(COLORREF clr) { ::SendMessageW(m_hWnd, TTM_SETTIPBKCOLOR, clr, 0); }
    void SetTipTextColor(COLORREF clr) { ::SendMessageW(m_hWnd, TTM_SETTIPTEXTCOLOR, clr, 0); }
    void Pop() { ::SendMessageW(m_hWnd, TTM_POP, 0, 0); }
    void Update() { ::SendMessageW(m_hWnd, TTM_UPDATE, 0, 0); }
    // The size this framework passes as cbSize: accepted by every common-controls version.
    static UINT ToolInfoSize() { return TTTOOLINFOW_V2_SIZE; }

private:
    void FillInToolInfo(TTTOOLINFOW& ti, CWnd* pWnd, UINT_PTR nIDTool) const;
};

// A toolbar control, also inside dialogs. LoadToolBar reads a toolbar resource (type 241:
// WORD version 1, image width, image height, item count, then the command ids, 0 for a
// separator) and the bitmap of the same id when there is one.
class CToolBarCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadToolBar(LPCWSTR lpszResourceName);
    DWORD SetExtendedStyle(DWORD dwExStyle) { return (DWORD)::SendMessageW(m_hWnd, TB_SETEXTENDEDSTYLE, 0, dwExStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)::SendMessageW(m_hWnd, TB_GETEXTENDEDSTYLE, 0, 0); }
    CImageList* SetImageList(CImageList* pImageList) { return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle())); }
    CImageList* GetImageList() const { return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, TB_GETIMAGELIST, 0, 0)); }
    CImageList* SetDisabledImageList(CImageList* pImageList) { return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, TB_SETDISABLEDIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle())); }
    CImageList* SetHotImageList(CImageList* pImageList) { return CImageList::FromHandle((HIMAGELIST)::SendMessageW(m_hWnd, TB_SETHOTIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle())); }
    BOOL SetBitmapSize(CSize size) { return (BOOL)::SendMessageW(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    BOOL SetButtonSize(CSize size) { return (BOOL)::SendMessageW(m_hWnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    CSize GetButtonSize() const { DWORD s = (DWORD)::SendMessageW(m_hWnd, TB_GETBUTTONSIZE, 0, 0); return CSize(LOWORD(s), HIWORD(s)); }
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons) { return (BOOL)::SendMessageW(m_hWnd, TB_ADDBUTTONSW, (WPARAM)nNumButtons, (LPARAM)lpButtons); }
    BOOL InsertButton(int nIndex, LPTBBUTTON lpButton) { return (BOOL)::SendMessageW(m_hWnd, TB_INSERTBUTTONW, (WPARAM)nIndex, (LPARAM)lpButton); }
    BOOL DeleteButton(int nIndex) { return (BOOL)::SendMessageW(m_hWnd, TB_DELETEBUTTON, (WPARAM)nIndex, 0); }
    int GetButtonCount() const { return (int)::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0); }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const { return (BOOL)::SendMessageW(m_hWnd, TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)lpButton); }
    BOOL GetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) const { return (int)::SendMessageW(m_hWnd, TB_GETBUTTONINFOW, (WPARAM)nID, (LPARAM)ptbbi) >= 0; }
    BOOL SetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) { return (BOOL)::SendMessageW(m_hWnd, TB_SETBUTTONINFOW, (WPARAM)nID, (LPARAM)ptbbi); }
    // Adds BTNS_DROPDOWN (or BTNS_WHOLEDROPDOWN) to a button; the parent gets TBN_DROPDOWN.
    BOOL SetButtonStyleBits(int nID, BYTE addStyle, BYTE removeStyle = 0);
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const { return (BOOL)::SendMessageW(m_hWnd, TB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)lpRect); }
    BOOL GetRect(int nID, LPRECT lpRect) const { return (BOOL)::SendMessageW(m_hWnd, TB_GETRECT, (WPARAM)nID, (LPARAM)lpRect); }
    int CommandToIndex(UINT nID) const { return (int)::SendMessageW(m_hWnd, TB_COMMANDTOINDEX, nID, 0); }
    BOOL EnableButton(int nID, BOOL bEnable = TRUE) { return (BOOL)::SendMessageW(m_hWnd, TB_ENABLEBUTTON, (WPARAM)nID, MAKELPARAM(bEnable, 0)); }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE) { return (BOOL)::SendMessageW(m_hWnd, TB_CHECKBUTTON, (WPARAM)nID, MAKELPARAM(bCheck, 0)); }
    BOOL PressButton(int nID, BOOL bPress = TRUE) { return (BOOL)::SendMessageW(m_hWnd, TB_PRESSBUTTON, (WPARAM)nID, MAKELPARAM(bPress, 0)); }
    BOOL HideButton(int nID, BOOL bHide = TRUE) { return (BOOL)::SendMessageW(m_hWnd, TB_HIDEBUTTON, (WPARAM)nID, MAKELPARAM(bHide, 0)); }
    BOOL IsButtonEnabled(int nID) const { return (BOOL)::SendMessageW(m_hWnd, TB_ISBUTTONENABLED, (WPARAM)nID, 0); }
    BOOL IsButtonChecked(int nID) const { return (BOOL)::SendMessageW(m_hWnd, TB_ISBUTTONCHECKED, (WPARAM)nID, 0); }
    int HitTest(LPPOINT ppt) const { return (int)::SendMessageW(m_hWnd, TB_HITTEST, 0, (LPARAM)ppt); }
    void AutoSize() { ::SendMessageW(m_hWnd, TB_AUTOSIZE, 0, 0); }
    CToolTipCtrl* GetToolTips() const { return static_cast<CToolTipCtrl*>(CWnd::FromHandle((HWND)::SendMessageW(m_hWnd, TB_GETTOOLTIPS, 0, 0))); }
    // The bitmap LoadToolBar added (owned here, deleted with the control object).
    CBitmap m_bitmap;
};
