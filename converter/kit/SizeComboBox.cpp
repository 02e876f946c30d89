// The width-by-height combo box.
#include "converter/kit/SizeComboBox.h"

#include <stdio.h>

namespace {

const int kComboEditId = 1001;
const int kWidthEditId = 101;
const int kHeightEditId = 102;
const int kSeparatorWidth = 12;

}  // namespace

BEGIN_MESSAGE_MAP(CSizeComboBox, CComboBox)
    ON_CONTROL_REFLECT_EX(CBN_SELCHANGE, OnSelChange)
    ON_WM_SETFOCUS()
    ON_WM_ENABLE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CSizeComboBox::CSizeComboBox() : m_bFilling(FALSE) {}

BOOL CSizeComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CComboBox::Create((dwStyle & ~CBS_DROPDOWNLIST) | CBS_DROPDOWN, rect, pParentWnd, nID))
        return FALSE;
    return CreateEdits();
}

BOOL CSizeComboBox::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!CComboBox::SubclassDlgItem(nID, pParent))
        return FALSE;
    return CreateEdits();
}

BOOL CSizeComboBox::CreateEdits()
{
    if (m_widthEdit.m_hWnd)
        return TRUE;
    // The dialog's Tab reaches both edits inside the combo.
    ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    CRect none(0, 0, 0, 0);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_CENTER;
    if (!m_widthEdit.Create(style, none, this, kWidthEditId) ||
        !m_separator.Create(L"x", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, none, this) ||
        !m_heightEdit.Create(style, none, this, kHeightEditId))
        return FALSE;
    // The framework's edits come with a client edge; inside the combo's frame they need none.
    m_widthEdit.ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    m_heightEdit.ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    CFont* font = GetFont();
    m_widthEdit.SetFont(font, FALSE);
    m_separator.SetFont(font, FALSE);
    m_heightEdit.SetFont(font, FALSE);
    Layout();
    return TRUE;
}

void CSizeComboBox::Layout()
{
    if (!m_widthEdit.m_hWnd)
        return;
    CRect area;
    HWND inner = ::GetDlgItem(m_hWnd, kComboEditId);
    if (inner) {
        ::GetWindowRect(inner, &area);
        ScreenToClient(&area);
    } else {
        GetClientRect(&area);
        area.right -= ::GetSystemMetrics(SM_CXVSCROLL);
    }
    const int half = area.Width() / 2 - kSeparatorWidth / 2;
    m_widthEdit.MoveWindow(area.left, area.top, half, area.Height());
    m_separator.MoveWindow(area.left + half, area.top, kSeparatorWidth, area.Height());
    m_heightEdit.MoveWindow(area.left + half + kSeparatorWidth, area.top, area.right - (area.left + half + kSeparatorWidth),
                            area.Height());
}

CString CSizeComboBox::SizeText(int value)
{
    if (value == 0)
        return CString(L"Auto");
    CString text;
    text.Format(L"%d", value);
    return text;
}

bool CSizeComboBox::ParseSizeEntry(LPCWSTR text, int& width, int& height)
{
    width = height = 0;
    return text && swscanf(text, L"%d x %d", &width, &height) == 2;
}

void CSizeComboBox::GetSize(int& width, int& height) const
{
    CString w, h;
    m_widthEdit.GetWindowText(w);
    m_heightEdit.GetWindowText(h);
    width = _wtoi(w);
    height = _wtoi(h);
}

void CSizeComboBox::SetSize(int width, int height)
{
    m_bFilling = TRUE;
    m_widthEdit.SetWindowText(SizeText(width));
    m_heightEdit.SetWindowText(SizeText(height));
    m_bFilling = FALSE;
    SyncComboText();
}

int CSizeComboBox::AddSize(int width, int height)
{
    CString text;
    text.Format(L"%d x %d", width, height);
    return AddString(text);
}

void CSizeComboBox::SyncComboText()
{
    int width = 0, height = 0;
    GetSize(width, height);
    CString text;
    text.Format(L"%d x %d", width, height);
    if (HWND inner = ::GetDlgItem(m_hWnd, kComboEditId))
        ::SetWindowTextW(inner, text);
}

BOOL CSizeComboBox::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if ((id == kWidthEditId || id == kHeightEditId) && HIWORD(wParam) == EN_CHANGE) {
        if (!m_bFilling) {
            SyncComboText();
            // As if the combo's own edit had changed.
            if (CWnd* parent = GetParent())
                parent->PostMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_EDITCHANGE), (LPARAM)m_hWnd);
        }
        return TRUE;
    }
    return CComboBox::OnCommand(wParam, lParam);
}

BOOL CSizeComboBox::OnSelChange()
{
    const int selection = GetCurSel();
    if (selection < 0)
        return FALSE;
    CString entry;
    GetLBText(selection, entry);
    int width = 0, height = 0;
    if (ParseSizeEntry(entry, width, height)) {
        m_bFilling = TRUE;
        m_widthEdit.SetWindowText(SizeText(width));
        m_heightEdit.SetWindowText(SizeText(height));
        m_bFilling = FALSE;
    }
    HWND focus = ::GetFocus();
    if (focus != m_widthEdit.m_hWnd && focus != m_heightEdit.m_hWnd)
        m_widthEdit.SetFocus();
    return FALSE;
}

void CSizeComboBox::OnSetFocus(CWnd* pOldWnd)
{
    (void)pOldWnd;
    if (m_widthEdit.m_hWnd)
        m_widthEdit.SetFocus();
    else
        Default();
}

void CSizeComboBox::OnEnable(BOOL bEnable)
{
    Default();
    if (m_widthEdit.m_hWnd) {
        m_widthEdit.EnableWindow(bEnable);
        m_separator.EnableWindow(bEnable);
        m_heightEdit.EnableWindow(bEnable);
    }
}

void CSizeComboBox::OnSize(UINT nType, int cx, int cy)
{
    (void)nType;
    (void)cx;
    (void)cy;
    Default();
    Layout();
}
