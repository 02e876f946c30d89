// COCFileDialog: the open and save dialog of both programs: explorer style, resizable unless a
// template is added, a selection buffer of 0x100000 characters (room for thousands of files) and
// the dialog centred on its owner.
#pragma once

#include "framework/framework.h"

class COCFileDialog : public CFileDialog {
public:
    // The filter is "Name|*.ext|...|" as CFileDialog takes it. dwSize 0: the record size of the
    // running system (the full record on Windows 2000 and later, the Windows 95 one before).
    explicit COCFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = NULL, LPCWSTR lpszFileName = NULL,
                           DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = NULL,
                           CWnd* pParentWnd = NULL, DWORD dwSize = 0);

    // The owner (the pre-modal parent) is disabled while the dialog runs; the focus comes back
    // to the window that had it. IDOK or IDCANCEL.
    INT_PTR DoModal() override;
    // While an explorer dialog is open: its current selection (empty when no file is named);
    // otherwise the buffer's text.
    CString GetPathName() const;
    POSITION GetStartPosition() const;
    // Folder and name joined by '\' for each selected file of an explorer dialog (NUL-separated
    // names), an old-style one (blank-separated) or a single full path; pos is null after the
    // last. Never reads past the buffer, however the dialog filled it.
    CString GetNextPathName(POSITION& pos) const;

    // Centres the dialog window on its owner.
    void OnInitDone() override;

    static const DWORD kBufferChars = 0x100000;
    static DWORD DefaultStructSize();

private:
    // The index just past the text that starts at 'from', bounded by the buffer.
    size_t TextEnd(size_t from, wchar_t separator) const;
};
