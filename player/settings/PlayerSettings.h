// CPlayerSettings: every preference of the player, its recent files and playlists and the table
// of file types it may associate with itself, kept under the program's profile key.
#pragma once

#include <atomic>
#include <vector>

#include "framework/Collections.h"
#include "framework/String.h"
#include "player/settings/FileTypeAssoc.h"
#include "toolkit/RecentList.h"

// The thumbnail box: loading and the settings sheet accept the same range.
const int MIN_THUMBNAIL_WIDTH = 64;
const int MAX_THUMBNAIL_WIDTH = 480;
const int MIN_THUMBNAIL_HEIGHT = 48;
const int MAX_THUMBNAIL_HEIGHT = 360;
const int DEFAULT_THUMBNAIL_WIDTH = 192;
const int DEFAULT_THUMBNAIL_HEIGHT = 108;
// Recent lists hold at most this many entries.
const int MAX_RECENT_COUNT = 30;

class CPlayerSettings {
public:
    CPlayerSettings();
    virtual ~CPlayerSettings();
    CPlayerSettings(const CPlayerSettings&) = delete;
    CPlayerSettings& operator=(const CPlayerSettings&) = delete;

    // Always 0: a missing or unreadable value keeps its default.
    int LoadSettings();
    void SaveSettings();

    // A new entry of the file-type table, or null when the extension is empty, holds a backslash
    // or is in the table already (in any letter case).
    CFileTypeAssoc* AddFileType(const wchar_t* name, const wchar_t* extension, int iconIndex);
    // The entry of an extension (any letter case), or null.
    CFileTypeAssoc* FindFileType(const wchar_t* extension) const;

    // A new file name (a GUID, no extension) in the temporary folder, made with its parents when
    // missing; in the system's temporary folder when it cannot be made. Safe from any thread.
    CString MakeTempFilePath();
    // True for a file that MakeTempFilePath may have named in the temporary folder.
    bool IsOwnTempFile(const wchar_t* path) const;
    // Deletes the program's own files from the temporary folder and then the folder, when it is
    // empty and was made by the program: 1 when nothing of ours is left, 0 when the folder does
    // not exist or something could not be deleted.
    int DeleteTempFolder();
    // The same, keeping the files 'keep' names (full paths, in any letter case); the folder goes
    // only when nothing is left in it.
    int DeleteTempFilesExcept(const std::vector<CString>& keep);
    CString GetDefaultPlaylistPath() const;
    // The thumbnail size of this session, for the grid's cells, drawing and grabbing alike: the one
    // loaded at start. The settings sheet changes thumbnailWidth and thumbnailHeight, which are
    // saved and, as the sheet says, take effect at the next start.
    int GetSessionThumbnailWidth() const { return m_sessionThumbnailWidth; }
    int GetSessionThumbnailHeight() const { return m_sessionThumbnailHeight; }

    // The recent lists: set up with a capacity (read from the profile unless it is 0), add,
    // write, empty; playlists can also lose one entry.
    void LoadRecentFiles(int maxCount);
    void AddRecentFile(const wchar_t* path);
    void SaveRecentFiles();
    void ClearRecentFiles();
    void LoadRecentPlaylists(int maxCount);
    void AddRecentPlaylist(const wchar_t* path);
    void SaveRecentPlaylists();
    void ClearRecentPlaylists();
    void RemoveRecentPlaylist(int index);

    int layout;
    int playlistViewStyle;
    int alwaysOnTop;
    int transparent;
    int windowLeft;
    int windowTop;
    int windowWidth;
    int windowHeight;
    int repeat;
    int reserved;
    int autoCloseWindow;
    int shutdownAfterPlayback;
    int preventScreenSaver;
    int alwaysShowControlBar;
    int escToExitFullScreen;
    int saveRecentFiles;
    int maxRecentFiles;
    int saveRecentPlaylists;
    int maxRecentPlaylists;
    int loadLastPlaylist;
    int allowDuplicates;
    int thumbnailTime;
    int showDuration;
    int showQuality;
    int showTitle;
    int showIcon;
    int thumbnailWidth;
    int thumbnailHeight;
    int zoom;
    int volume;
    int mute;
    int rememberLastPos;
    int resumeInterrupted;
    int filterIndex;
    CString lastFolder;
    int scanSubfolders;
    COwningPtrArray<CFileTypeAssoc> fileTypes;
    CRecentMenuList recentFiles;
    CRecentMenuList recentPlaylists;
    int autoCheckUpdate;
    int autoCheckUpdateDays;
    CString tempFolder;

private:
    void AddDefaultFileTypes();
    void LoadFileTypes();
    void SaveFileTypes();
    bool IsTempFolderOurs() const;

    int m_sessionThumbnailWidth;
    int m_sessionThumbnailHeight;
    // Set once this process has made the temporary folder; the thumbnail threads may race here.
    std::atomic<bool> m_madeTempFolder;
};

// The process-wide pointer the application object sets at its construction; it never owns.
void SetPlayerSettings(CPlayerSettings* settings);
CPlayerSettings* GetPlayerSettings();

// Section names and the default playlist's name in the user data folder.
extern const wchar_t kSettingsSection[];
extern const wchar_t kFileTypesSection[];
extern const wchar_t kRecentFilesSection[];
extern const wchar_t kRecentPlaylistsSection[];
