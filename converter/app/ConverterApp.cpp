// Ravento's application object: start-up, the modes, the application commands and shut-down.
#include "converter/app/ConverterApp.h"

#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/SettingsSheet.h"
#include "converter/dialogs/AudioExtractorDialog.h"
#include "converter/dialogs/ConverterDialog.h"
#include "converter/dialogs/GifMakerDialog.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/StdIds.h"
#include "toolkit/AboutDlg.h"
#include "toolkit/UpdateCheck.h"

const wchar_t kConverterRegistryKey[] = L"Tarvelo Software";

BEGIN_MESSAGE_MAP(CConverterApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_SETTINGS, OnSettings)
    ON_COMMAND(ID_OPEN_NEW_WINDOW, OnOpenNewWindow)
    ON_COMMAND(ID_WEB_SITE, OnWebSite)
    ON_COMMAND(ID_CHECK_UPDATES, OnCheckForUpdates)
    ON_COMMAND(ID_EMAIL_US, OnEmailUs)
END_MESSAGE_MAP()

CConverterApp::CConverterApp() : CWinApp(L"Ravento"), m_bSettingsLoaded(false), m_bPresetsLoaded(false)
{
    SetConverterEnvironment(&m_environment);
    SetConverterSettings(&m_settings);
    SetConverterPresetStore(&m_presets);
}

CConverterApp::~CConverterApp()
{
    m_presets.Categories.RemoveAll();
    SetConverterPresetStore(nullptr);
    SetConverterSettings(nullptr);
    SetConverterEnvironment(nullptr);
}

BOOL CConverterApp::InitInstance()
{
    if (!AfxOleInit())
        return FALSE;
    Enable3dControls();
    SetRegistryKey(kConverterRegistryKey);
    if (m_environment.Init() != 0)
        return FALSE;
    if (m_settings.Load() != 0)
        return FALSE;
    m_bSettingsLoaded = true;
    if (m_presets.LoadDefaultPresets() != 0)
        return FALSE;
    m_bPresetsLoaded = true;
    // Once, before any dialog: the user's own presets are not shown in this run.
    TellPresetsFileProblem(m_presets);
    CCommandLineOptions options;
    options.ParseProcessCommandLine();
    RunMode(options);
    return FALSE;
}

CString GetPresetsFileProblemText(const CPresetStore& store)
{
    if (store.FileProblem == 0)
        return CString();
    CString text;
    text.Format(store.FileProblem > 0 ? L"The presets file is of another version and was not read:\n%s"
                                      : L"The presets file could not be read:\n%s",
                store.Path.GetString());
    text += L"\n\nThe built-in presets are used instead. ";
    if (store.KeptCopy.IsEmpty()) {
        text += L"The file could not be moved aside, so it is left as it is and changes to the presets are not saved.";
    } else {
        CString kept;
        kept.Format(store.FileProblem > 0 ? L"The file was kept as:\n%s" : L"The damaged file was kept as:\n%s",
                    store.KeptCopy.GetString());
        text += kept;
    }
    return text;
}

void TellPresetsFileProblem(const CPresetStore& store)
{
    const CString text = GetPresetsFileProblemText(store);
    if (!text.IsEmpty())
        AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}

INT_PTR CConverterApp::RunMode(const CCommandLineOptions& options)
{
    switch (options.mode) {
    case CONVERTER_MODE_AUDIO_EXTRACTOR:
        return RunAudioExtractorDialog(options);
    case CONVERTER_MODE_GIF_MAKER:
        return RunGifMakerDialog(options);
    default:
        return RunConverterDialog(options);
    }
}

namespace {

template <class Dialog>
INT_PTR RunDialog(CWinApp& app, const CCommandLineOptions& options, BOOL autoStart)
{
    Dialog dialog;
    app.m_pMainWnd = &dialog;
    dialog.TakeCommandLine(options, autoStart);
    const INT_PTR result = dialog.DoModal();
    app.m_pMainWnd = nullptr;
    return result;
}

}  // namespace

INT_PTR CConverterApp::RunConverterDialog(const CCommandLineOptions& options)
{
    return RunDialog<CConverterDialog>(*this, options, m_settings.autoStart);
}

INT_PTR CConverterApp::RunAudioExtractorDialog(const CCommandLineOptions& options)
{
    return RunDialog<CAudioExtractorDialog>(*this, options, m_settings.autoStart);
}

INT_PTR CConverterApp::RunGifMakerDialog(const CCommandLineOptions& options)
{
    return RunDialog<CGifMakerDialog>(*this, options, m_settings.autoStart);
}

int CConverterApp::ExitInstance()
{
    // A start-up that ended early saves nothing: the defaults in memory would replace the user's
    // settings and presets.
    if (m_bPresetsLoaded)
        m_presets.Save();
    if (m_bSettingsLoaded)
        m_settings.Save();
    return CWinApp::ExitInstance();
}

void CConverterApp::OnAppAbout()
{
    CAboutDlg about(IDD_ABOUTBOX_CONVERTER, AfxGetMainWnd());
    about.DoModal();
}

void CConverterApp::OnSettings()
{
    CSettingsSheet sheet(AfxGetMainWnd());
    if (sheet.DoModal() == IDOK)
        m_settings.Save();
}

void CConverterApp::OnOpenNewWindow()
{
    wchar_t path[1024] = L"";
    if (GetModuleFileNameW(nullptr, path, 1023) == 0)
        return;
    FwShellExecute(nullptr, nullptr, path, nullptr, nullptr, SW_SHOW);
}

void CConverterApp::OnWebSite()
{
    FwShellExecute(nullptr, L"open", m_environment.GetWebSiteUrl(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CConverterApp::OnCheckForUpdates()
{
    StartUpdateCheck(m_environment.GetUpdateFeedUrl(), L"3.3.0", 0, FALSE);
}

void CConverterApp::OnEmailUs()
{
    CAboutDlg::SendSupportMail();
}
