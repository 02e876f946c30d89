// CMaskedEdit: an edit whose text follows a mask ('#' a digit, anything else a literal that
// types itself), with cut, clear and paste that keep the mask; CTimeEdit: one for times in
// milliseconds, "##:##:##.###".
#pragma once

#include "framework/Controls.h"

class CDataExchange;

class CMaskedEdit : public CEdit {
public:
    CMaskedEdit();

    void SetMask(LPCWSTR lpszMask) { m_strMask = lpszMask ? lpszMask : L""; }
    const CString& GetMask() const { return m_strMask; }
    void SetValidChars(LPCWSTR lpszValid) { m_strValidChars = lpszValid ? lpszValid : L""; }

    // The text after typing ch at the selection [start, end) of text, with the caret's new place;
    // false when nothing changes. The control runs these on its own text.
    bool ApplyChar(CString& text, int& start, int end, wchar_t ch) const;
    // Clearing [start, end): deleted when it reaches the end, else each place reset in the mask.
    void ApplyClear(CString& text, int start, int end) const;
    // Pasting 'pasted' at the caret (start == end) or over [start, end).
    void ApplyPaste(CString& text, int& start, int end, const CString& pasted) const;

protected:
    CString m_strMask;
    CString m_strValidChars;

    bool IsMaskDigit(int position) const { return position < m_strMask.GetLength() && m_strMask[position] == L'#'; }
    bool IsValid(wchar_t ch) const { return ch != 0 && m_strValidChars.Find(ch) >= 0; }
    // The character of an empty place: '0' for a digit, the literal otherwise.
    wchar_t Blank(int position) const;
    void SetTextAndCaret(const CString& text, int selStart, int selEnd);

    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    LRESULT OnCut(WPARAM wParam, LPARAM lParam);
    LRESULT OnClear(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

class CTimeEdit : public CMaskedEdit {
public:
    CTimeEdit();

    // The text read as a time ("h:m:s.fff"); 0 for an empty text.
    __int64 GetTime() const;
    // Shown as "%02d:%02d:%02d.%03d".
    void SetTime(__int64 ms);
};

// A 64-bit millisecond value exchanged with a time edit of the dialog.
void DDX_Time(CDataExchange* pDX, int nIDC, __int64& ms);
