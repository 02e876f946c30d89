// CConverterSettings: every choice of the converter's user with its default, kept in section
// "Settings" of the program's profile, and the recent source files and destination folders.
#pragma once

#include "framework/String.h"
#include "toolkit/RecentList.h"

// Both recent lists hold at most this many entries.
const int CONVERTER_RECENT_COUNT = 20;

class CConverterSettings {
public:
    CConverterSettings();
    virtual ~CConverterSettings();
    CConverterSettings(const CConverterSettings&) = delete;
    CConverterSettings& operator=(const CConverterSettings&) = delete;

    // Always 0: a missing value keeps its default.
    int Load();
    void Save();

    void AddRecentFile(const wchar_t* path);
    void AddRecentFolder(const wchar_t* path);
    // Bind the lists to their sections with that capacity and read them unless it is 0; an empty
    // folder list then gets My Music and My Videos.
    void LoadRecentFiles(int maxCount);
    void LoadRecentFolders(int maxCount);
    void SaveRecentFiles();
    void SaveRecentFolders();

    int windowLeft;
    int windowTop;
    int autoCheckUpdate;
    int autoCheckUpdateDays;
    // 0 ask, 11 new name, 12 overwrite, 13 cancel (the answers of the file-exists prompt).
    int overwrite;
    int autoStart;
    int autoCloseWindow;
    int autoPlay;
    int autoOpenFolder;
    int alwaysOnTop;
    int sameAsInput;
    CString formatKey;
    CString presetName;
    // Bit 0: the file-exists prompt counts down and answers by itself.
    int autoSelect;
    int gifWidth;
    int gifHeight;
    int gifFrameRate;
    // 0 infinite, 1 play once, 2 loop count.
    int gifLoop;
    int gifLoopCount;
    CRecentMenuList recentFiles;
    CRecentMenuList recentFolders;
};

// The process-wide pointer the application object sets at its construction; it never owns.
void SetConverterSettings(CConverterSettings* settings);
CConverterSettings* GetConverterSettings();

extern const wchar_t kConverterSettingsSection[];
extern const wchar_t kConverterRecentFilesSection[];
extern const wchar_t kConverterRecentFoldersSection[];
