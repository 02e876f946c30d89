// The masked edit and the time edit.
#include "converter/kit/MaskedEdit.h"

#include "converter/kit/ConverterHelpers.h"
#include "engine/MediaValueTexts.h"
#include "framework/Clipboard.h"
#include "framework/Ddx.h"

namespace {

// Writes ch at position (overwriting, or appending at the end).
void Put(CString& text, int position, wchar_t ch)
{
    if (position < text.GetLength())
        text.SetAt(position, ch);
    else
        text.AppendChar(ch);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMaskedEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_MESSAGE(WM_CUT, OnCut)
    ON_MESSAGE(WM_CLEAR, OnClear)
    ON_MESSAGE(WM_PASTE, OnPaste)
END_MESSAGE_MAP()

CMaskedEdit::CMaskedEdit() : m_strMask(L"##.##.##.###"), m_strValidChars(L"0123456789") {}

wchar_t CMaskedEdit::Blank(int position) const
{
    if (position >= m_strMask.GetLength() || IsMaskDigit(position))
        return L'0';
    return m_strMask[position];
}

bool CMaskedEdit::ApplyChar(CString& text, int& start, int end, wchar_t ch) const
{
    const int length = text.GetLength();
    if (start > length)
        start = length;
    if (end > length)
        end = length;
    if (end < start)
        end = start;

    if (ch == VK_BACK) {
        int from = start;
        int to = end;
        if (start == end && start > 0)
            from = start - 1;
        if (from == to)
            return false;
        if (end == length) {
            text = text.Left(from);
        } else {
            for (int i = from; i < to; ++i)
                if (IsMaskDigit(i))
                    text.SetAt(i, L'0');
        }
        start = from;
        return true;
    }

    const int maskLength = m_strMask.GetLength();
    if (IsValid(ch)) {
        if (start >= maskLength)
            return false;
        if (!IsMaskDigit(start)) {
            Put(text, start, m_strMask[start]);
            ++start;
        }
        if (IsMaskDigit(start)) {
            Put(text, start, ch);
            ++start;
        }
        return true;
    }
    if (start < maskLength && !IsMaskDigit(start) && ch == m_strMask[start]) {
        Put(text, start, ch);
        ++start;
        return true;
    }
    return false;
}

void CMaskedEdit::ApplyClear(CString& text, int start, int end) const
{
    const int length = text.GetLength();
    if (end > length)
        end = length;
    if (start >= end)
        return;
    if (end == length) {
        text = text.Left(start);
        return;
    }
    for (int i = start; i < end; ++i)
        text.SetAt(i, Blank(i));
}

void CMaskedEdit::ApplyPaste(CString& text, int& start, int end, const CString& pasted) const
{
    const int maskLength = m_strMask.GetLength();
    const int length = text.GetLength();
    if (start > length)
        start = length;
    int last;
    if (end <= start) {
        // At the caret: no more places than the mask has beyond the current text.
        const int room = maskLength - length;
        last = start + (room > 0 ? room : 0);
    } else {
        last = end;
    }
    if (last > maskLength)
        last = maskLength;

    int taken = 0;
    int position = start;
    for (; position < last && taken < pasted.GetLength(); ++position) {
        if (IsMaskDigit(position)) {
            const wchar_t ch = pasted[taken++];
            Put(text, position, IsValid(ch) ? ch : L'0');
        } else {
            // A literal place keeps its literal; a pasted copy of it is used up there.
            Put(text, position, m_strMask[position]);
            if (pasted[taken] == m_strMask[position])
                ++taken;
        }
    }
    if (end <= start)
        start = position;
}

void CMaskedEdit::SetTextAndCaret(const CString& text, int selStart, int selEnd)
{
    SetWindowText(text);
    SetSel(selStart, selEnd);
    SetModify(TRUE);
}

void CMaskedEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt;
    (void)nFlags;
    if (GetStyle() & ES_READONLY)
        return;
    int start = 0, end = 0;
    GetSel(start, end);
    CString text;
    GetWindowText(text);
    if (ApplyChar(text, start, end, (wchar_t)nChar))
        SetTextAndCaret(text, start, start);
}

void CMaskedEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt;
    (void)nFlags;
    switch (nChar) {
    case VK_INSERT:
        return;  // no insert mode: the places of the mask are fixed
    case VK_DELETE:
        SendMessage(WM_CLEAR);
        return;
    default:
        break;
    }
    // Read now rather than followed from key messages, which the edit misses while another
    // window has the focus.
    if (::GetKeyState(VK_CONTROL) < 0) {
        switch (nChar) {
        case 'X':
            SendMessage(WM_CUT);
            return;
        case 'C':
            SendMessage(WM_COPY);
            return;
        case 'V':
            SendMessage(WM_PASTE);
            return;
        default:
            break;
        }
    }
    Default();
}

LRESULT CMaskedEdit::OnCut(WPARAM, LPARAM)
{
    int start = 0, end = 0;
    GetSel(start, end);
    if (start < end)
        DefWindowProc(WM_COPY, 0, 0);
    if (!(GetStyle() & ES_READONLY))
        OnClear(0, 0);
    return 0;
}

LRESULT CMaskedEdit::OnClear(WPARAM, LPARAM)
{
    if (GetStyle() & ES_READONLY)
        return 0;
    int start = 0, end = 0;
    GetSel(start, end);
    CString text;
    GetWindowText(text);
    const int length = text.GetLength();
    ApplyClear(text, start, end);
    if (start < end)
        SetTextAndCaret(text, start, end >= length ? start : end);
    return 0;
}

LRESULT CMaskedEdit::OnPaste(WPARAM, LPARAM)
{
    if (GetStyle() & ES_READONLY)
        return 0;
    CString pasted;
    if (!AfxGetClipboardText(m_hWnd, pasted) || pasted.IsEmpty())
        return 0;
    int start = 0, end = 0;
    GetSel(start, end);
    CString text;
    GetWindowText(text);
    const int selStart = start;
    ApplyPaste(text, start, end, pasted);
    if (end > selStart)
        SetTextAndCaret(text, selStart, end);
    else
        SetTextAndCaret(text, start, start);
    return 0;
}

// CTimeEdit -----------------------------------------------------------------------------------------

CTimeEdit::CTimeEdit()
{
    m_strMask = L"##:##:##.###";
}

__int64 CTimeEdit::GetTime() const
{
    wchar_t buffer[65] = L"";
    ::GetWindowTextW(m_hWnd, buffer, 65);
    return ParseTimeMs(buffer);
}

void CTimeEdit::SetTime(__int64 ms)
{
    SetWindowText(FormatDurationMs(ms, FALSE, TRUE, TRUE));
}

void DDX_Time(CDataExchange* pDX, int nIDC, __int64& ms)
{
    HWND edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (pDX->m_bSaveAndValidate) {
        wchar_t buffer[65] = L"";
        ::GetWindowTextW(edit, buffer, 65);
        ms = ParseTimeMs(buffer);
    } else {
        ::SetWindowTextW(edit, FormatDurationMs(ms, FALSE, TRUE, TRUE));
    }
}
