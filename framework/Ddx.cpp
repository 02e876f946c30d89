// Data exchange between dialog members and controls, validation and the framework's texts.
#include "framework/Ddx.h"

#include "framework/Effects.h"

#include <commctrl.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

struct FrameworkText {
    UINT id;
    const wchar_t* text;
};

const FrameworkText kFrameworkTexts[] = {
    {AFX_IDP_PARSE_INT, L"Please enter an integer."},
    {AFX_IDP_PARSE_REAL, L"Please enter a number."},
    {AFX_IDP_PARSE_INT_RANGE, L"Please enter an integer between %1 and %2."},
    {AFX_IDP_PARSE_REAL_RANGE, L"Please enter a number between %1 and %2."},
    {AFX_IDP_PARSE_STRING_SIZE, L"Please enter no more than %1 characters."},
    {AFX_IDP_PARSE_UINT, L"Please enter a positive integer."},
    {AFX_IDP_PARSE_UINT_RANGE, L"Please enter a positive integer between %1 and %2."},
};

void Refuse(CDataExchange* pDX, UINT nIDPrompt, const CString& text = CString())
{
    AfxMessageBox(text.IsEmpty() ? AfxGetFrameworkText(nIDPrompt) : text, MB_ICONEXCLAMATION, nIDPrompt);
    pDX->Fail();
}

CString TrimmedText(HWND hWnd)
{
    CString text;
    int n = ::GetWindowTextLengthW(hWnd);
    ::GetWindowTextW(hWnd, text.GetBufferSetLength(n + 1), n + 1);
    text.ReleaseBuffer();
    text.Trim();
    return text;
}

// Whole decimal numbers only: "12", "-3", " 7 "; not "", "1.5", "12abc" or out-of-range values.
bool ParseSigned(const CString& text, long long minVal, long long maxVal, long long& out)
{
    if (text.IsEmpty()) return false;
    const wchar_t* p = text;
    wchar_t* end = NULL;
    errno = 0;
    long long v = wcstoll(p, &end, 10);
    if (end == p || *end != L'\0' || errno == ERANGE || v < minVal || v > maxVal) return false;
    out = v;
    return true;
}

bool ParseUnsigned(const CString& text, unsigned long long maxVal, unsigned long long& out)
{
    if (text.IsEmpty() || text[0] == L'-') return false;
    const wchar_t* p = text;
    wchar_t* end = NULL;
    errno = 0;
    unsigned long long v = wcstoull(p, &end, 10);
    if (end == p || *end != L'\0' || errno == ERANGE || v > maxVal) return false;
    out = v;
    return true;
}

void SetText(HWND hWnd, const CString& text)
{
    // Unchanged text is not set again, so an edit keeps its caret and undo state.
    int n = ::GetWindowTextLengthW(hWnd);
    if (n == text.GetLength()) {
        CString old;
        ::GetWindowTextW(hWnd, old.GetBufferSetLength(n + 1), n + 1);
        old.ReleaseBuffer();
        if (old == text) return;
    }
    ::SetWindowTextW(hWnd, text);
}

template <class T>
void ExchangeSigned(CDataExchange* pDX, int nIDC, T& value, long long minVal, long long maxVal)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseSigned(TrimmedText(hWnd), minVal, maxVal, v)) return Refuse(pDX, AFX_IDP_PARSE_INT);
        value = (T)v;
    } else {
        CString text;
        text.Format(L"%I64d", (long long)value);
        SetText(hWnd, text);
    }
}

template <class T>
void ExchangeUnsigned(CDataExchange* pDX, int nIDC, T& value, unsigned long long maxVal)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        unsigned long long v = 0;
        if (!ParseUnsigned(TrimmedText(hWnd), maxVal, v)) return Refuse(pDX, AFX_IDP_PARSE_UINT);
        value = (T)v;
    } else {
        CString text;
        text.Format(L"%I64u", (unsigned long long)value);
        SetText(hWnd, text);
    }
}

CString ReplaceArgs(CString text, LPCWSTR s1, LPCWSTR s2)
{
    if (s1) text.Replace(L"%1", s1);
    if (s2) text.Replace(L"%2", s2);
    return text;
}

// The range check of the DDV_MinMax functions; 'format' writes a bound for the prompt.
template <typename T>
void RefuseOutsideRange(CDataExchange* pDX, T value, T minVal, T maxVal, LPCWSTR format, UINT nIDPrompt)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString lo, hi;
    lo.Format(format, minVal);
    hi.Format(format, maxVal);
    Refuse(pDX, nIDPrompt, AfxFormatString2(nIDPrompt, lo, hi));
}

} // namespace

// ---- CDataExchange

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
    if (!hWnd) {
        // A control missing from the template is a programming error; the pass stops here.
        m_bFailed = TRUE;
        return NULL;
    }
    m_idLastControl = hWnd;
    m_bEditLastControl = FALSE;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWnd = PrepareCtrl(nIDC);
    if (hWnd) m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail()
{
    m_bFailed = TRUE;
    if (!m_bSaveAndValidate || !m_idLastControl) return;
    HWND hDlg = m_pDlgWnd->GetSafeHwnd();
    if (hDlg) ::SendMessageW(hDlg, WM_NEXTDLGCTL, (WPARAM)m_idLastControl, 1);
    else ::SetFocus(m_idLastControl);
    if (m_bEditLastControl) ::SendMessageW(m_idLastControl, EM_SETSEL, 0, -1);
}

// ---- texts

CString AfxGetFrameworkText(UINT nID)
{
    CString text;
    if (text.LoadString(nID) && !text.IsEmpty()) return text;
    for (const FrameworkText& t : kFrameworkTexts)
        if (t.id == nID) return CString(t.text);
    return CString();
}

CString AfxFormatString1(UINT nIDText, LPCWSTR s1)
{
    return ReplaceArgs(AfxGetFrameworkText(nIDText), s1, NULL);
}

CString AfxFormatString2(UINT nIDText, LPCWSTR s1, LPCWSTR s2)
{
    return ReplaceArgs(AfxGetFrameworkText(nIDText), s1, s2);
}

// ---- DDX

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthW(hWnd);
        CString text;
        ::GetWindowTextW(hWnd, text.GetBufferSetLength(n + 1), n + 1);
        text.ReleaseBuffer();
        value = text;
    } else {
        SetText(hWnd, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { ExchangeSigned(pDX, nIDC, value, INT_MIN, INT_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) { ExchangeSigned(pDX, nIDC, value, LONG_MIN, LONG_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { ExchangeUnsigned(pDX, nIDC, value, UINT_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value) { ExchangeUnsigned(pDX, nIDC, value, 0xFFFFFFFFull); }

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        CString text = TrimmedText(hWnd);
        const wchar_t* p = text;
        wchar_t* end = NULL;
        double v = text.IsEmpty() ? 0.0 : wcstod(p, &end);
        if (text.IsEmpty() || end == p || *end != L'\0') return Refuse(pDX, AFX_IDP_PARSE_REAL);
        value = v;
    } else {
        CString text;
        text.Format(L"%.15g", value);
        SetText(hWnd, text);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) value = (int)::SendMessageW(hWnd, BM_GETCHECK, 0, 0);
    else ::SendMessageW(hWnd, BM_SETCHECK, (WPARAM)value, 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hFirst = pDX->PrepareCtrl(nIDC);
    if (!hFirst) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    // The group: this button and its siblings up to the next WS_GROUP; only radio buttons count.
    for (HWND h = hFirst; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != hFirst && (::GetWindowLongPtrW(h, GWL_STYLE) & WS_GROUP)) break;
        if (!(::SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (pDX->m_bSaveAndValidate) {
            if (value == -1 && ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) index = (int)::SendMessageW(hWnd, CB_GETCURSEL, 0, 0);
    else ::SendMessageW(hWnd, CB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthW(hWnd);
        CString text;
        ::GetWindowTextW(hWnd, text.GetBufferSetLength(n + 1), n + 1);
        text.ReleaseBuffer();
        value = text;
    } else if (::SendMessageW(hWnd, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCWSTR)value) == CB_ERR) {
        // A text that is not in the list still shows in the edit field of a drop-down combo.
        ::SetWindowTextW(hWnd, value);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) index = (int)::SendMessageW(hWnd, LB_GETCURSEL, 0, 0);
    else ::SendMessageW(hWnd, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) {
        value.Empty();
        int sel = (int)::SendMessageW(hWnd, LB_GETCURSEL, 0, 0);
        if (sel < 0) return;
        int n = (int)::SendMessageW(hWnd, LB_GETTEXTLEN, (WPARAM)sel, 0);
        if (n < 0) return;
        ::SendMessageW(hWnd, LB_GETTEXT, (WPARAM)sel, (LPARAM)value.GetBufferSetLength(n + 1));
        value.ReleaseBuffer();
    } else {
        ::SendMessageW(hWnd, LB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCWSTR)value);
    }
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) value = (int)::SendMessageW(hWnd, TBM_GETPOS, 0, 0);
    else ::SendMessageW(hWnd, TBM_SETPOS, TRUE, value);
}

void DDX_Scroll(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (pDX->m_bSaveAndValidate) value = ::GetScrollPos(hWnd, SB_CTL);
    else ::SetScrollPos(hWnd, SB_CTL, value, TRUE);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (pDX->m_bFailed || rControl.m_hWnd) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd) return;
    if (!rControl.SubclassWindow(hWnd)) pDX->m_bFailed = TRUE;
}

// ---- DDV

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    RefuseOutsideRange(pDX, value, minVal, maxVal, L"%d", AFX_IDP_PARSE_INT_RANGE);
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    RefuseOutsideRange(pDX, value, minVal, maxVal, L"%ld", AFX_IDP_PARSE_INT_RANGE);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    RefuseOutsideRange(pDX, value, minVal, maxVal, L"%u", AFX_IDP_PARSE_UINT_RANGE);
}

void DDV_MinMaxDouble(CDataExchange* pDX, double const& value, double minVal, double maxVal)
{
    RefuseOutsideRange(pDX, value, minVal, maxVal, L"%.15g", AFX_IDP_PARSE_REAL_RANGE);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bFailed) return;
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_idLastControl && pDX->m_bEditLastControl)
            ::SendMessageW(pDX->m_idLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
        return;
    }
    if (value.GetLength() <= nChars) return;
    CString n;
    n.Format(L"%d", nChars);
    Refuse(pDX, AFX_IDP_PARSE_STRING_SIZE, AfxFormatString1(AFX_IDP_PARSE_STRING_SIZE, n));
}
