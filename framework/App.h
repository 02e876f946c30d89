// CWinApp: the application object, its registry profile under HKCU\Software\<maker>\<app>,
// and the program entry AfxWinMain (wWinMain itself is in framework/AppMain.h).
#pragma once

#include "framework/Thread.h"

class CWinApp : public CWinThread {
public:
    // The one application object of the program; it registers itself for AfxGetApp.
    explicit CWinApp(LPCWSTR lpszAppName = NULL);
    ~CWinApp() override;

    // Strings below are owned by the object (malloc'd, freed with free), as in the class library:
    // a program that replaces one frees the old value and assigns a _wcsdup'd one.
    LPCWSTR m_pszAppName = NULL;
    LPCWSTR m_pszRegistryKey = NULL;
    LPCWSTR m_pszProfileName = NULL;
    LPCWSTR m_pszExeName = NULL;
    HINSTANCE m_hInstance = NULL;
    LPWSTR m_lpCmdLine = NULL;
    int m_nCmdShow = SW_SHOWNORMAL;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;

    // Profile values go to HKCU\Software\<maker>\<profile name> once a maker is set; before
    // that to the INI file m_pszProfileName. Sections with backslashes are nested keys; a NULL or
    // empty section is the application key itself.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // Both return a key the caller closes (RegCloseKey or a CRegKey), or NULL.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR lpszSection);

    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = NULL);
    // A NULL entry deletes the whole section; a NULL value deletes the entry.
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    // *ppData is allocated with new[]; the caller deletes it with delete[].
    BOOL GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE pData, UINT nBytes);
    // Deletes keyName under hParentKey with everything below it.
    LONG DelRegTree(HKEY hParentKey, const CString& strKeyName);

    // The full registry path of the application key, "Software\<maker>\<profile name>".
    CString GetAppRegistryPath() const;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
LPCWSTR AfxGetAppName();

// The program entry: sets up the application object from the process's arguments, then
// InitInstance; a true result runs Run, a false one ExitInstance. Returns the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
