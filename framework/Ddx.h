// Dialog data exchange and validation: members to controls and back (CDialog::UpdateData).
#pragma once

#include "framework/Dialog.h"

// The framework's own message texts (used when the program's string table has no text under
// the id): "%1" and "%2" stand for the range's bounds.
#define AFX_IDP_PARSE_INT        0xF110
#define AFX_IDP_PARSE_REAL       0xF111
#define AFX_IDP_PARSE_INT_RANGE  0xF112
#define AFX_IDP_PARSE_REAL_RANGE 0xF113
#define AFX_IDP_PARSE_STRING_SIZE 0xF114
#define AFX_IDP_PARSE_UINT       0xF116
#define AFX_IDP_PARSE_UINT_RANGE 0xF117

// One exchange pass. A failed validation does not throw: it shows its message, moves the focus
// to the control, and marks the pass failed so that the remaining DDX_ and DDV_ calls of the
// pass do nothing; UpdateData then returns FALSE.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_idLastControl = NULL;
    BOOL m_bEditLastControl = FALSE;
    BOOL m_bFailed = FALSE;

    // The control's window (NULL, and the pass failed, when the dialog has no such control).
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Marks the pass failed and puts the focus (and, for an edit, the selection) on the last
    // control prepared.
    void Fail();
};

// Edit text. Reading a number: blanks around it are ignored; anything else that is not a whole
// decimal number in the type's range (an empty text included) shows "Please enter an integer."
// (or the unsigned/real form) and fails, leaving the member unchanged.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// Check box: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// A group of radio buttons that starts at nIDC (WS_GROUP) and runs to the next WS_GROUP: the
// index of the checked one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Combo and list selection by index (-1 none) or by text.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
// Slider (trackbar) and scroll bar positions.
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
void DDX_Scroll(CDataExchange* pDX, int nIDC, int& value);
// Subclasses the dialog's control into rControl the first time (both directions).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Validation (only when saving): out of range shows "Please enter an integer between %1 and %2."
// and fails.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double const& value, double minVal, double maxVal);
// Limits the edit's length when loading; refuses a longer text when saving.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

// The framework text for one of the AFX_IDP_ ids: the program's string table first, then the
// built-in English text.
CString AfxGetFrameworkText(UINT nID);
// Replaces "%1" with s1 (and "%2" with s2) in the text of nIDText.
CString AfxFormatString1(UINT nIDText, LPCWSTR s1);
CString AfxFormatString2(UINT nIDText, LPCWSTR s1, LPCWSTR s2);
