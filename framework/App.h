// CWinApp: the application object, its registry profile under HKCU\Software\<maker>\<app>,
// and the program entry AfxWinMain (wWinMain itself is in framework/AppMain.h).
#pragma once

#include "framework/CommandLineInfo.h"
#include "framework/Thread.h"

#include <vector>

class CDocTemplate;
class CDocument;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
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
    // Count 0 runs the idle update of the main window and its descendants (WM_IDLEUPDATECMDUI);
    // TRUE asks for another call.
    BOOL OnIdle(LONG lCount) override;

    // Document templates: the application owns them and deletes them at its end.
    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& rPosition) const;
    // A new document of the first template (ID_FILE_NEW when a map routes it here).
    void OnFileNew();
    // Opens the file in the template that takes it; a document already open with that path is
    // only activated. NULL when the file could not be opened.
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName);
    virtual BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    // ID_APP_EXIT: closes the main window as its close box would (documents are asked first).
    void OnAppExit();

    // The plain arguments and flags of the command line, each handed to rCmdInfo.ParseParam;
    // m_lpCmdLine when set, else the process's command line without the program name.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // FileNew: ID_FILE_NEW through the application's map, else OnFileNew; FileOpen:
    // OpenDocumentFile; FileNothing: nothing. FALSE when no main window results or the command
    // failed or cannot be served here.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // Shell open by DDE and 3-D controls are built into the system now: these do nothing.
    void EnableShellOpen() {}
    BOOL Enable3dControls() { return TRUE; }
    BOOL Enable3dControlsStatic() { return TRUE; }

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

    BOOL m_bOleInitialized = FALSE;  // set by AfxOleInit; undone at the end of AfxWinMain

protected:
    DECLARE_MESSAGE_MAP()
    std::vector<CDocTemplate*> m_templates;
};

// Initialises OLE on the calling thread for the life of the application; FALSE on failure.
BOOL AfxOleInit();
void AfxOleTerm();

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
LPCWSTR AfxGetAppName();

// The program entry: sets up the application object from the process's arguments (the
// application name from string AFX_IDS_APP_TITLE, else the executable's name), then
// InitInstance; a true result runs Run, a false one destroys any main window and runs
// ExitInstance. Returns the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
