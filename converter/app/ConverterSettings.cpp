// CConverterSettings: the converter's preferences and recent lists in the program's profile.
#include "converter/app/ConverterSettings.h"

#include "converter/kit/ConverterHelpers.h"
#include "engine/SystemHelpers.h"
#include "framework/App.h"

const wchar_t kConverterSettingsSection[] = L"Settings";
const wchar_t kConverterRecentFilesSection[] = L"Data\\Recent Files";
const wchar_t kConverterRecentFoldersSection[] = L"Data\\Recent Folders";

namespace {

CConverterSettings* g_settings = nullptr;

const wchar_t kRecentEntryFormat[] = L"%02d";

// The integer values of section "Settings" in the order they are read.
struct CIntSetting {
    const wchar_t* key;
    int CConverterSettings::*field;
    bool flag;
};

const CIntSetting kIntSettings[] = {
    {L"MainWindow.Left", &CConverterSettings::windowLeft, false},
    {L"MainWindow.Top", &CConverterSettings::windowTop, false},
    {L"Overwrite", &CConverterSettings::overwrite, false},
    {L"AutoStart", &CConverterSettings::autoStart, true},
    {L"AutoCloseWindow", &CConverterSettings::autoCloseWindow, true},
    {L"AutoPlay", &CConverterSettings::autoPlay, true},
    {L"AutoOpenFolder", &CConverterSettings::autoOpenFolder, true},
    {L"AlwaysOnTop", &CConverterSettings::alwaysOnTop, true},
    {L"SameAsInput", &CConverterSettings::sameAsInput, true},
    {L"AutoSelect", &CConverterSettings::autoSelect, false},
    {L"GIF.Width", &CConverterSettings::gifWidth, false},
    {L"GIF.Height", &CConverterSettings::gifHeight, false},
    {L"GIF.FrameRate", &CConverterSettings::gifFrameRate, false},
    {L"GIF.Loop", &CConverterSettings::gifLoop, false},
    {L"GIF.LoopCount", &CConverterSettings::gifLoopCount, false},
};

const CIntSetting kUpdateSettings[] = {
    {L"AutoCheckUpdate", &CConverterSettings::autoCheckUpdate, true},
    {L"AutoCheckUpdate.Days", &CConverterSettings::autoCheckUpdateDays, false},
};

void ReadInts(CWinApp* app, CConverterSettings& s, const CIntSetting* table, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int& value = s.*(table[i].field);
        value = (int)app->GetProfileInt(kConverterSettingsSection, table[i].key, value);
    }
}

void WriteInts(CWinApp* app, CConverterSettings& s, const CIntSetting* table, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int value = s.*(table[i].field);
        if (table[i].flag)
            value = value ? 1 : 0;
        app->WriteProfileInt(kConverterSettingsSection, table[i].key, value);
    }
}

}  // namespace

void SetConverterSettings(CConverterSettings* settings)
{
    g_settings = settings;
}

CConverterSettings* GetConverterSettings()
{
    return g_settings;
}

CConverterSettings::CConverterSettings()
    : windowLeft(-1),
      windowTop(-1),
      autoCheckUpdate(1),
      autoCheckUpdateDays(1),
      overwrite(0),
      autoStart(0),
      autoCloseWindow(0),
      autoPlay(0),
      autoOpenFolder(0),
      alwaysOnTop(0),
      sameAsInput(1),
      autoSelect(0xFFFF),
      gifWidth(240),
      gifHeight(160),
      gifFrameRate(5),
      gifLoop(0),
      gifLoopCount(10),
      recentFiles(L"", kRecentEntryFormat, CONVERTER_RECENT_COUNT),
      recentFolders(L"", kRecentEntryFormat, CONVERTER_RECENT_COUNT)
{
}

CConverterSettings::~CConverterSettings() {}

int CConverterSettings::Load()
{
    CWinApp* app = AfxGetApp();
    if (app) {
        ReadInts(app, *this, kIntSettings, sizeof(kIntSettings) / sizeof(kIntSettings[0]));
        formatKey = app->GetProfileString(kConverterSettingsSection, L"MediaFormat", formatKey);
        presetName = app->GetProfileString(kConverterSettingsSection, L"MediaFormatPreset", presetName);
        ReadInts(app, *this, kUpdateSettings, sizeof(kUpdateSettings) / sizeof(kUpdateSettings[0]));
    }
    LoadRecentFolders(CONVERTER_RECENT_COUNT);
    LoadRecentFiles(CONVERTER_RECENT_COUNT);
    return 0;
}

void CConverterSettings::Save()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    WriteInts(app, *this, kIntSettings, sizeof(kIntSettings) / sizeof(kIntSettings[0]));
    app->WriteProfileString(kConverterSettingsSection, L"MediaFormat", formatKey);
    app->WriteProfileString(kConverterSettingsSection, L"MediaFormatPreset", presetName);
    WriteInts(app, *this, kUpdateSettings, sizeof(kUpdateSettings) / sizeof(kUpdateSettings[0]));
    SaveRecentFolders();
    SaveRecentFiles();
}

void CConverterSettings::AddRecentFile(const wchar_t* path)
{
    recentFiles.Add(path);
}

void CConverterSettings::AddRecentFolder(const wchar_t* path)
{
    recentFolders.Add(path);
}

void CConverterSettings::LoadRecentFiles(int maxCount)
{
    recentFiles.SetSection(kConverterRecentFilesSection, kRecentEntryFormat);
    recentFiles.SetCapacity(maxCount);
    if (maxCount != 0)
        recentFiles.Load();
}

void CConverterSettings::LoadRecentFolders(int maxCount)
{
    recentFolders.SetSection(kConverterRecentFoldersSection, kRecentEntryFormat);
    recentFolders.SetCapacity(maxCount);
    if (maxCount == 0)
        return;
    recentFolders.Load();
    if (recentFolders.GetCount() == 0) {
        recentFolders.Add(GetMyMusicFolder());
        recentFolders.Add(GetMyVideosFolder(FALSE));
    }
}

void CConverterSettings::SaveRecentFiles()
{
    recentFiles.Save();
}

void CConverterSettings::SaveRecentFolders()
{
    recentFolders.Save();
}
