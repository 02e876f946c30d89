// CFileDialog: the common open and save dialogs with an explorer-style hook and CDN_ notices.
#pragma once

#include "framework/Dialog.h"

#include <commdlg.h>
#include <vector>

// The call that shows the dialog (GetOpenFileNameW or GetSaveFileNameW); tests replace it.
typedef BOOL (WINAPI* FwFileDialogFn)(LPOPENFILENAMEW lpofn, BOOL bOpenFileDialog);
// Installs fn (NULL restores the system dialogs) and returns the one it replaced.
FwFileDialogFn FwSetFileDialogFunction(FwFileDialogFn fn);

class CFileDialog : public CDialog {
public:
    // lpszFilter: "Text (*.txt)|*.txt|All (*.*)|*.*||". The dialog is explorer-style with this
    // object as its hook (OFN_EXPLORER | OFN_ENABLEHOOK are added).
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = NULL, LPCWSTR lpszFileName = NULL,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = NULL,
                         CWnd* pParentWnd = NULL, DWORD dwSize = 0);

    // IDOK or IDCANCEL.
    INT_PTR DoModal() override;
    OPENFILENAMEW& GetOFN() { return m_ofn; }
    // While the dialog is open: its current selection; afterwards the chosen file.
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFolderPath() const;
    // Multiple selection (OFN_ALLOWMULTISELECT): NULL after the last name.
    POSITION GetStartPosition() const { return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? (POSITION)m_ofn.lpstrFile : NULL; }
    CString GetNextPathName(POSITION& pos) const;
    // The dialog window itself (the hook window's parent).
    CWnd* GetDialogWindow() const { return FromHandle(::GetParent(m_hWnd)); }

    // Notifications from the explorer dialog.
    virtual UINT OnShareViolation(LPCWSTR lpszPathName);
    // TRUE refuses the name (the dialog stays open).
    virtual BOOL OnFileNameOK();
    virtual void OnLBSelChangedNotify(UINT nIDBox, UINT iCurSel, UINT nCode);
    virtual void OnInitDone();
    virtual void OnFileNameChange();
    virtual void OnFolderChange();
    virtual void OnTypeChange();

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnInitDialog() override { return TRUE; }

    OPENFILENAMEW m_ofn;
    BOOL m_bOpenFileDialog;

protected:
    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<wchar_t> m_fileBuffer;
    CString m_strFilter;
    CString m_strDefExt;
    wchar_t m_szFileTitle[64] = {};
};
