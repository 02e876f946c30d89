// Lumivo's application object: the shared resources and the settings it owns, the start-up of the
// single-document program, the files named on the command line, the application's commands and
// the settings saved at the end.
#pragma once

#include "framework/App.h"
#include "player/app/SharedResources.h"
#include "player/settings/PlayerSettings.h"

class CCmdUI;

// Every argument that is no flag is a path: made absolute and in its long form when it names
// something on disk, kept as given otherwise (an address, a file that is not there).
class CPlayerCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override;

    CStringArray paths;
};

class CPlayerApp : public CWinApp {
public:
    // The maker's key under HKCU\Software (the tests use one of their own).
    explicit CPlayerApp(LPCWSTR makerKey = nullptr);
    ~CPlayerApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    virtual BOOL RegisterPlaylistFileType(int);
    int ProcessCommandLineFiles(CPlayerCommandLineInfo& info);

    CSharedResources resources;
    CPlayerSettings settings;

protected:
    void OnRecentFile(UINT id);
    void OnUpdateRecentFile(CCmdUI* pCmdUI);
    void OnClearRecentFiles();
    void OnUpdateClearRecentFiles(CCmdUI* pCmdUI);
    void OnSettings();
    void OnAbout();
    void OnWebSite();
    void OnEmail();
    void OnCheckUpdates();
    void OnStartConverter();
    DECLARE_MESSAGE_MAP()

    CString m_strMakerKey;
};
