// The player's start-up, command line, application commands and end.
#include "player/app/PlayerApp.h"

#include <shlwapi.h>

#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "framework/CmdUI.h"
#include "framework/DocView.h"
#include "framework/Effects.h"
#include "player/app/ConverterLauncher.h"
#include "player/app/PlayerResource.h"
#include "player/frame/MainFrame.h"
#include "player/playlist/PlayDoc.h"
#include "player/playlist/PlaylistView.h"
#include "player/playlistfiles/PlayerFiles.h"
#include "player/settings/FileTypeAssoc.h"
#include "player/settings/SettingsSheet.h"
#include "toolkit/AboutDlg.h"
#include "toolkit/UpdateCheck.h"

namespace {

}  // namespace

// Command line -------------------------------------------------------------------------------------------

void CPlayerCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    if (!bFlag && pszParam && *pszParam) {
        CString path = pszParam;
        if (!PathIsURLW(path)) {
            // A relative path means the folder the program was started in; the long form only
            // exists for what is on disk, so anything else stays as it was given.
            CString full = playerfiles::GetFullPath(path);
            if (!full.IsEmpty())
                path = full;
            CString longPath = GetLongPath(path);
            if (!longPath.IsEmpty())
                path = longPath;
        }
        paths.Add(path);
    }
    if (bLast) {
        if (m_nShellCommand == FileNew && paths.GetSize() > 0)
            m_nShellCommand = FileOpen;
        m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
    }
}

// Application -----------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPlayerApp, CWinApp)
    ON_COMMAND_RANGE(ID_RECENT_FILE_FIRST, ID_RECENT_FILE_LAST, OnRecentFile)
    ON_UPDATE_COMMAND_UI(ID_RECENT_FILE_FIRST, OnUpdateRecentFile)
    ON_COMMAND(ID_RECENT_FILES_CLEAR, OnClearRecentFiles)
    ON_UPDATE_COMMAND_UI(ID_RECENT_FILES_CLEAR, OnUpdateClearRecentFiles)
    ON_COMMAND(ID_APP_SETTINGS, OnSettings)
    ON_COMMAND(ID_APP_ABOUT, OnAbout)
    ON_COMMAND(ID_APP_WEB_SITE, OnWebSite)
    ON_COMMAND(ID_APP_EMAIL, OnEmail)
    ON_COMMAND(ID_APP_CHECK_UPDATES, OnCheckUpdates)
    ON_COMMAND(ID_APP_START_CONVERTER, OnStartConverter)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CPlayerApp::CPlayerApp(LPCWSTR makerKey) : CWinApp(L"Lumivo"), m_strMakerKey(makerKey ? makerKey : kMakerName)
{
    PlayerFirstOpenFlag() = true;
    SetSharedResources(&resources);
    SetPlayerSettings(&settings);
}

CPlayerApp::~CPlayerApp()
{
    SetPlayerSettings(nullptr);
    SetSharedResources(nullptr);
}

BOOL CPlayerApp::InitInstance()
{
    Enable3dControlsStatic();
    SetRegistryKey(m_strMakerKey);
    CPlayerCommandLineInfo info;
    ParseCommandLine(info);
    if (resources.Init() != 0)
        return FALSE;
    if (settings.LoadSettings() != 0)
        return FALSE;
    StartProbeToolHidden(resources.probeToolPath);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPlayDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CPlaylistView)));
    EnableShellOpen();
    RegisterPlaylistFileType(1);
    if (!ProcessCommandLineFiles(info))
        return FALSE;
    if (!m_pMainWnd)
        return FALSE;
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles(TRUE);
    if (settings.autoCheckUpdate)
        m_pMainWnd->PostMessage(WM_START_UPDATE_CHECK, 0, 1);
    return TRUE;
}

int CPlayerApp::ExitInstance()
{
    settings.SaveSettings();
    return CWinApp::ExitInstance();
}

BOOL CPlayerApp::RegisterPlaylistFileType(int)
{
    // The File Associations page ticks the type only when the registry holds the table's name and
    // icon, and gives the association back on OK otherwise: the table is what is written.
    return ::RegisterPlaylistFileType(settings.FindFileType(kPlaylistTypeExtension), GetModulePath());
}

int CPlayerApp::ProcessCommandLineFiles(CPlayerCommandLineInfo& info)
{
    if (info.m_nShellCommand == CCommandLineInfo::FileOpen) {
        info.m_nShellCommand = CCommandLineInfo::FileNew;
        PlayerFirstOpenFlag() = false;
    }
    if (!ProcessShellCommand(info))
        return 0;
    CMediaPlaylistView* view = GetPlayerWindows().playlistView;
    if (!PlayerFirstOpenFlag() && view) {
        int sum = 0;
        {
            CPlaylistEditGuard guard(view, 1);
            view->RemoveAllItems();
            for (INT_PTR i = 0; i < info.paths.GetSize(); ++i) {
                const CString& path = info.paths[i];
                sum += IsExistingFolder(path) ? view->AddFolder(path, L"*", 1) : view->AddPath(path);
            }
            if (sum > 0)
                view->m_nAwaitedIndex = 0;
        }
        view->UpdateItemCountDisplay();
    }
    PlayerFirstOpenFlag() = false;
    return 1;
}

// Commands -----------------------------------------------------------------------------------------------

void CPlayerApp::OnRecentFile(UINT id)
{
    int index = (int)(id - ID_RECENT_FILE_FIRST);
    if (index < 0 || index >= settings.recentFiles.GetCount())
        return;
    CString path = settings.recentFiles.GetAt(index);
    CMediaPlaylistView* view = GetPlayerWindows().playlistView;
    // An address is no document, and the document open now would only be shown again: both
    // are opened as the playlist's one path instead.
    CDocument* current = nullptr;
    if (!m_templates.empty()) {
        POSITION pos = m_templates.front()->GetFirstDocPosition();
        current = pos ? m_templates.front()->GetNextDoc(pos) : nullptr;
    }
    bool sameAsOpen = current && current->GetPathName().CompareNoCase(path) == 0;
    if (view && (PathIsURLW(path) || sameAsOpen)) {
        if (current)
            current->SaveModified();
        view->OpenPath(path);
        view->UpdateItemCountDisplay();
        return;
    }
    if (!OpenDocumentFile(path)) {
        settings.recentFiles.Remove(index);
        // The old document stays, and so does its playlist: what the document's close stopped
        // goes on loading.
        if (view)
            view->ResumeLoadThread();
    }
}

void CPlayerApp::OnUpdateRecentFile(CCmdUI* pCmdUI)
{
    settings.recentFiles.UpdateMenu(pCmdUI);
}

void CPlayerApp::OnClearRecentFiles()
{
    settings.ClearRecentFiles();
}

void CPlayerApp::OnUpdateClearRecentFiles(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(settings.recentFiles.GetCount() > 0);
}

void CPlayerApp::OnSettings()
{
    CSettingsSheet sheet(m_pMainWnd);
    if (sheet.DoModal() == IDOK)
        settings.SaveSettings();
}

void CPlayerApp::OnAbout()
{
    CAboutDlg dlg(IDD_ABOUTBOX, m_pMainWnd);
    dlg.DoModal();
}

void CPlayerApp::OnWebSite()
{
    FwShellExecute(nullptr, L"open", resources.GetWebSiteUrl(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CPlayerApp::OnEmail()
{
    CAboutDlg::SendSupportMail();
}

void CPlayerApp::OnCheckUpdates()
{
    StartUpdateCheck(resources.GetUpdateFeedUrl(), kProductVersion, 0, FALSE);
}

void CPlayerApp::OnStartConverter()
{
    LaunchConverter(nullptr, -1, -1, -1, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100);
}
