// CConverterApp: Ravento's application object. It owns the environment, the settings and the
// presets store for the life of the process, reads the command line and runs one of the three
// dialogs as the main window; the program ends when that dialog closes.
#pragma once

#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterSettings.h"
#include "framework/App.h"

class CCommandLineOptions;

class CConverterApp : public CWinApp {
public:
    CConverterApp();
    ~CConverterApp() override;

    // Always FALSE: the program ends after its dialog (or at once when start-up fails).
    BOOL InitInstance() override;
    // The presets file (when it changed), then the settings; each only when start-up loaded it.
    int ExitInstance() override;

    // Each builds its dialog, makes it the main window, hands it the command line and runs it.
    INT_PTR RunConverterDialog(const CCommandLineOptions& options);
    INT_PTR RunAudioExtractorDialog(const CCommandLineOptions& options);
    INT_PTR RunGifMakerDialog(const CCommandLineOptions& options);
    // The runner of the options' mode.
    INT_PTR RunMode(const CCommandLineOptions& options);

    CConverterEnvironment m_environment;
    CConverterSettings m_settings;
    CMediaPresetStore m_presets;

    void OnAppAbout();
    void OnSettings();
    void OnOpenNewWindow();
    void OnWebSite();
    void OnCheckForUpdates();
    void OnEmailUs();

protected:
    bool m_bSettingsLoaded;
    bool m_bPresetsLoaded;

    DECLARE_MESSAGE_MAP()
};

// The maker's key of the converter's profile.
extern const wchar_t kConverterRegistryKey[];

// What the user is told when start-up could not use the presets file (damaged, or of another
// version): which file, that the built-in presets are used, and where its copy was kept. Empty
// when the file was read or there was none.
CString GetPresetsFileProblemText(const CPresetStore& store);
// Shows that text, when there is one, in the application's message box.
void TellPresetsFileProblem(const CPresetStore& store);
