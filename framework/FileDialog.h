// CFileDialog: the common open and save dialogs with an explorer-style hook and CDN_ notices.
#pragma once

#include "framework/Dialog.h"
#include "framework/StdIds.h"

#include <commdlg.h>
#include <vector>

// The call that shows the dialog (GetOpenFileNameW or GetSaveFileNameW); tests replace it.
typedef BOOL (WINAPI* FwFileDialogFn)(LPOPENFILENAMEW lpofn, BOOL bOpenFileDialog);
// Installs fn (NULL restores the system dialogs) and returns the one it replaced.
FwFileDialogFn FwSetFileDialogFunction(FwFileDialogFn fn);
// Shows the dialog through the installed function.
BOOL FwFileDialog(LPOPENFILENAMEW lpofn, BOOL bOpenFileDialog);

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

    // CDN_ notices go to the handlers above; CDN_HELP becomes WM_COMMAND ID_HELP (WM_COMMANDHELP
    // when no map takes it).
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The id of one of the common dialogs' registered messages ("commdlg_help"...).
    static UINT PASCAL GetRegisteredMessage(LPCWSTR name);
    BOOL OnInitDialog() override { return TRUE; }

    OPENFILENAMEW m_ofn;
    BOOL m_bOpenFileDialog;

protected:
    // Registers the common dialogs' messages at WM_INITDIALOG and binds the object to the hook
    // window; then turns "commdlg_help" and the Help button (1038) into WM_COMMAND ID_HELP and
    // hands the share-violation, file-name-OK (old-style dialogs only) and list-selection
    // messages to the handlers.
    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<wchar_t> m_fileBuffer;
    CString m_strFilter;
    CString m_strDefExt;
    wchar_t m_szFileTitle[64] = {};
};
