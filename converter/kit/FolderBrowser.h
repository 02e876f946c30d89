// CFolderBrowser: the shell's folder dialog, file-system folders only, starting at a given folder.
#pragma once

#include "framework/String.h"

class CWnd;

// The shell's folder dialog, file-system folders only, starting at a folder of the caller's.
class CFolderBrowser {
public:
    CFolderBrowser(LPCWSTR lpszTitle, UINT nFlags, CWnd* pOwner);

    void SetFolder(LPCWSTR lpszPath) { m_strStartFolder = lpszPath; }
    // 1 when a folder was chosen (GetFolder), 2 otherwise.
    int DoModal();
    const CString& GetFolder() const { return m_strFolder; }
    UINT GetFlags() const { return m_nFlags; }

    CString m_strStartFolder;
    CWnd* m_pOwner;
    UINT m_nFlags;
    CString m_strTitle;
    CString m_strFolder;
    int m_nImage;

private:
    static int CALLBACK BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
};
