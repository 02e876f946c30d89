// Control wrappers: creation, owner-draw dispatch and the calls that need more than one message.
#include "framework/Controls.h"

#include <vector>

// ---- creation and owner draw

BOOL detail::CreateControl(CWnd* wnd, LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect,
                           CWnd* pParentWnd, UINT nID, DWORD exStyle)
{
    AfxInitCommonControls();
    return wnd->CreateEx(exStyle, className, text, style | WS_CHILD, rect, pParentWnd, nID);
}

#define FW_OWNER_DRAW_NOTIFY(Class)                                                                   \
    BOOL Class::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)          \
    {                                                                                                 \
        if (ReflectChildNotify(message, wParam, lParam, pResult)) return TRUE;                       \
        return detail::DispatchOwnerDraw(this, message, lParam, pResult);                            \
    }

FW_OWNER_DRAW_NOTIFY(CButton)
FW_OWNER_DRAW_NOTIFY(CStatic)
FW_OWNER_DRAW_NOTIFY(CComboBox)
FW_OWNER_DRAW_NOTIFY(CListBox)
FW_OWNER_DRAW_NOTIFY(CHeaderCtrl)
FW_OWNER_DRAW_NOTIFY(CListCtrl)

// ---- combo and list boxes

void CComboBox::GetLBText(int nIndex, CString& rString) const
{
    rString.Empty();
    int n = GetLBTextLen(nIndex);
    if (n < 0) return;
    ::SendMessageW(m_hWnd, CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)rString.GetBufferSetLength(n + 1));
    rString.ReleaseBuffer();
}

void CListBox::GetText(int nIndex, CString& rString) const
{
    rString.Empty();
    int n = GetTextLen(nIndex);
    if (n < 0) return;
    ::SendMessageW(m_hWnd, LB_GETTEXT, (WPARAM)nIndex, (LPARAM)rString.GetBufferSetLength(n + 1));
    rString.ReleaseBuffer();
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL& bOutside) const
{
    DWORD r = (DWORD)::SendMessageW(m_hWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
    bOutside = HIWORD(r) != 0;
    return LOWORD(r);
}

// ---- list view

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT;
    col.fmt = nFormat;
    if (lpszColumnHeading) {
        col.mask |= LVCF_TEXT;
        col.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    }
    if (nWidth != -1) {
        col.mask |= LVCF_WIDTH;
        col.cx = nWidth;
    }
    if (nSubItem != -1) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &col);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCWSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam)
{
    LVITEMW item = {};
    item.mask = nMask;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.state = nState;
    item.stateMask = nStateMask;
    item.iImage = nImage;
    item.lParam = lParam;
    return InsertItem(&item);
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPWSTR lpszText, int nLen) const
{
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = lpszText;
    item.cchTextMax = nLen;
    return (int)::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, (WPARAM)nItem, (LPARAM)&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The control reports the copied length only, so the buffer grows until the text fits.
    std::vector<wchar_t> buf(256);
    for (;;) {
        int n = GetItemText(nItem, nSubItem, buf.data(), (int)buf.size());
        if (n < (int)buf.size() - 1) return CString(buf.data(), n < 0 ? 0 : n);
        buf.resize(buf.size() * 4);
    }
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText)
{
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPWSTR>(lpszText);
    return (BOOL)::SendMessageW(m_hWnd, LVM_SETITEMTEXTW, (WPARAM)nItem, (LPARAM)&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? (DWORD_PTR)item.lParam : 0;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = (LPARAM)dwData;
    return SetItem(&item);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return (BOOL)::SendMessageW(m_hWnd, LVM_SETITEMSTATE, (WPARAM)nItem, (LPARAM)&item);
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const
{
    int first = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED);
    return first < 0 ? NULL : (POSITION)(INT_PTR)(first + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const
{
    int item = (int)(INT_PTR)pos - 1;
    int next = ListView_GetNextItem(m_hWnd, item, LVNI_SELECTED);
    pos = next < 0 ? NULL : (POSITION)(INT_PTR)(next + 1);
    return item;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const
{
    LVHITTESTINFO info = {};
    info.pt = pt;
    int item = HitTest(&info);
    if (pFlags) *pFlags = info.flags;
    return item;
}

// ---- tree view

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTW tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    tvis.item.mask = nMask;
    tvis.item.pszText = const_cast<LPWSTR>(lpszItem);
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nSelectedImage;
    tvis.item.state = nState;
    tvis.item.stateMask = nStateMask;
    tvis.item.lParam = lParam;
    return InsertItem(&tvis);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    std::vector<wchar_t> buf(1024, L'\0');
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = buf.data();
    item.cchTextMax = (int)buf.size();
    if (!GetItem(&item)) return CString();
    // A callback item hands back its own pointer instead of filling the buffer.
    return CString(item.pszText ? item.pszText : L"");
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCWSTR lpszItem)
{
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return GetItem(&item) ? (DWORD_PTR)item.lParam : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = (LPARAM)dwData;
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
{
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    if (!GetItem(&item)) return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
{
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
{
    // The message takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
    return (BOOL)::SendMessageW(m_hWnd, TVM_GETITEMRECT, bTextOnly, (LPARAM)lpRect);
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const
{
    TVHITTESTINFO info = {};
    info.pt = pt;
    HTREEITEM item = TreeView_HitTest(m_hWnd, &info);
    if (pFlags) *pFlags = info.flags;
    return item;
}

// ---- progress

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const
{
    PBRANGE range = {};
    ::SendMessageW(m_hWnd, PBM_GETRANGE, FALSE, (LPARAM)&range);
    nLower = range.iLow;
    nUpper = range.iHigh;
}

// ---- tool tips

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    AfxInitCommonControls();
    BOOL ok = CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd->GetSafeHwnd(), NULL, NULL);
    if (ok) ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return ok;
}

void CToolTipCtrl::FillInToolInfo(TTTOOLINFOW& ti, CWnd* pWnd, UINT_PTR nIDTool) const
{
    ti = TTTOOLINFOW();
    ti.cbSize = ToolInfoSize();
    HWND hWnd = pWnd->GetSafeHwnd();
    if (nIDTool == 0) {
        HWND parent = ::GetParent(hWnd);
        ti.hwnd = parent ? parent : hWnd;
        ti.uFlags = TTF_IDISHWND;
        ti.uId = (UINT_PTR)hWnd;
    } else {
        ti.hwnd = hWnd;
        ti.uId = nIDTool;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!pWnd || !pWnd->GetSafeHwnd()) return FALSE;
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    if (lpRectTool) ti.rect = *lpRectTool;
    else if (nIDTool != 0) ::GetClientRect(pWnd->m_hWnd, &ti.rect);
    ti.lpszText = const_cast<LPWSTR>(lpszText);
    ti.hinst = (lpszText && IS_INTRESOURCE(lpszText) && lpszText != LPSTR_TEXTCALLBACKW) ? AfxGetResourceHandle() : NULL;
    return (BOOL)::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, (LPARAM)&ti);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    return AddTool(pWnd, MAKEINTRESOURCEW(nIDText), lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ::SendMessageW(m_hWnd, TTM_DELTOOLW, 0, (LPARAM)&ti);
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.lpszText = const_cast<LPWSTR>(lpszText);
    ti.hinst = (lpszText && IS_INTRESOURCE(lpszText) && lpszText != LPSTR_TEXTCALLBACKW) ? AfxGetResourceHandle() : NULL;
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, (LPARAM)&ti);
}

void CToolTipCtrl::UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool)
{
    UpdateTipText(MAKEINTRESOURCEW(nIDText), pWnd, nIDTool);
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect)
{
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.rect = *lpRect;
    ::SendMessageW(m_hWnd, TTM_NEWTOOLRECTW, 0, (LPARAM)&ti);
}

BOOL CToolTipCtrl::GetToolInfo(TTTOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool) const
{
    FillInToolInfo(toolInfo, pWnd, nIDTool);
    return (BOOL)::SendMessageW(m_hWnd, TTM_GETTOOLINFOW, 0, (LPARAM)&toolInfo);
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const
{
    // The message copies at most 80 characters unless the control reports a length.
    std::vector<wchar_t> buf(1024, L'\0');
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.lpszText = buf.data();
    ::SendMessageW(m_hWnd, TTM_GETTEXTW, (WPARAM)buf.size(), (LPARAM)&ti);
    str = buf.data();
}

// ---- toolbar

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!detail::CreateControl(this, TOOLBARCLASSNAMEW, NULL, dwStyle, rect, pParentWnd, nID)) return FALSE;
    ::SendMessageW(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return TRUE;
}

BOOL CToolBarCtrl::LoadToolBar(UINT nIDResource)
{
    return LoadToolBar(MAKEINTRESOURCEW(nIDResource));
}

BOOL CToolBarCtrl::LoadToolBar(LPCWSTR lpszResourceName)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC res = ::FindResourceW(hInst, lpszResourceName, MAKEINTRESOURCEW(241));
    if (!res) return FALSE;
    HGLOBAL data = ::LoadResource(hInst, res);
    const WORD* words = data ? (const WORD*)::LockResource(data) : NULL;
    DWORD bytes = ::SizeofResource(hInst, res);
    if (!words || bytes < 8 || words[0] != 1) return FALSE;
    WORD width = words[1], height = words[2], count = words[3];
    if (bytes < 8u + 2u * count) return FALSE;
    SetBitmapSize(CSize(width, height));
    int images = 0;
    std::vector<TBBUTTON> buttons(count);
    for (WORD i = 0; i < count; ++i) {
        TBBUTTON& b = buttons[i];
        b = TBBUTTON();
        b.idCommand = words[4 + i];
        if (b.idCommand == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = images++;
            b.fsStyle = BTNS_BUTTON;
            b.fsState = TBSTATE_ENABLED;
        }
    }
    // The strip bitmap of the same name; without it the images come from SetImageList.
    if (m_bitmap.LoadBitmap(lpszResourceName)) {
        TBADDBITMAP add = {NULL, (UINT_PTR)m_bitmap.GetSafeHandle()};
        ::SendMessageW(m_hWnd, TB_ADDBITMAP, (WPARAM)images, (LPARAM)&add);
    }
    if (count && !AddButtons(count, buttons.data())) return FALSE;
    AutoSize();
    return TRUE;
}

BOOL CToolBarCtrl::SetButtonStyleBits(int nID, BYTE addStyle, BYTE removeStyle)
{
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    if (!GetButtonInfo(nID, &info)) return FALSE;
    info.fsStyle = (BYTE)((info.fsStyle & ~removeStyle) | addStyle);
    return SetButtonInfo(nID, &info);
}
