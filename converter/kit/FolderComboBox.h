// Combo boxes of paths with their shell icons: CFolderComboBox (typed paths completed by the
// shell, dropped files and folders taken) and CRecentFolderComboBox, which shows the recent
// destination folders with a last item that empties that list.
#pragma once

#include "toolkit/ImageComboBox.h"

class CRecentList;

// Switches the shell's completion on for an edit window through SHAutoComplete, looked up in
// SHLWAPI.DLL by name; false when the edit, the library or the function is missing or the call fails.
bool EnableShellAutoComplete(HWND hEdit, DWORD flags);
// The completion flags of a folder combo's mode: 1 files, 2 folders, other values the whole
// file system; suggestions and appending always on, Tab accepted.
DWORD AutoCompleteFlagsForMode(int mode);

class CFolderComboBox : public CImageComboBox {
public:
    enum { MODE_FILES = 1, MODE_FOLDERS = 2, MODE_BOTH = 3 };

    CFolderComboBox();

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // For a combo of a dialog template; switches the completion on once.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Once per window; called by Create and SubclassDlgItem (a DDX_Control caller calls it).
    void SetupAutoComplete();

    void SetMode(int mode) { m_nMode = mode; }
    int GetMode() const { return m_nMode; }
    BOOL IsAutoCompleteOn() const { return m_bAutoCompleteOn; }

    // Inserts the path with its system icon (flags of SHGetFileInfo: small icons by default).
    int AddPath(int nIndex, LPCWSTR lpszPath, UINT nIconFlags = SHGFI_SMALLICON);
    // An item of that path (any case) moves to the top; else it is added there when bAdd is set,
    // or only shown in the edit. The item becomes the selection. An empty path does nothing.
    virtual void SetPath(LPCWSTR lpszPath, BOOL bAdd);
    // The dropped paths the mode accepts are set one after the other.
    void TakeDroppedPaths(HDROP hDrop);

protected:
    int m_nMode;
    BOOL m_bAutoCompleteOn;
    BOOL m_bAutoCompleteTried;

    bool Accepts(LPCWSTR lpszPath) const;
    void OnDropFiles(HDROP hDropInfo);
    DECLARE_MESSAGE_MAP()
};

class CRecentFolderComboBox : public CFolderComboBox {
public:
    CRecentFolderComboBox();

    // The list is not owned; the extra text names the last item ("Clear Recent List").
    void SetRecentList(CRecentList* pList, LPCWSTR lpszExtraText);
    void Refill();
    void SetPath(LPCWSTR lpszPath, BOOL bAdd) override;
    // The item that empties the list, or -1 when there is none.
    int GetExtraItem() const;

protected:
    CRecentList* m_pRecentList;
    CString m_strExtraItemText;
    // What the edit showed before the list opened: choosing the extra item leaves it there.
    CString m_strTextBefore;
    int m_nExtraItem;

    BOOL OnDropDown();
    BOOL OnEditChange();
    BOOL OnSelChange();
    LRESULT OnRestoreText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
