// CPlayerSettings: loading and saving the player's preferences, the file-type table and the
// recent lists, and the temporary folder of thumbnails.
#include "player/settings/PlayerSettings.h"

#include <shlwapi.h>

#include <vector>

#include "engine/SystemHelpers.h"
#include "framework/App.h"
#include "framework/Handles.h"
#include "player/playlistfiles/PlayerFiles.h"
#include "player/playlistfiles/PlaylistFormat.h"

const wchar_t kSettingsSection[] = L"Settings";
const wchar_t kFileTypesSection[] = L"Data\\File Types";
const wchar_t kRecentFilesSection[] = L"Data\\Recent Files";
const wchar_t kRecentPlaylistsSection[] = L"Data\\Recent Playlists";

namespace {

CPlayerSettings* g_settings = nullptr;

struct CFileTypeDefault {
    const wchar_t* name;
    const wchar_t* extension;
    int icon;
};

// The types a new user may associate with the player, in the order the settings sheet lists them.
const CFileTypeDefault kDefaultFileTypes[] = {
    {L"M3U Playlist", L".m3u", FILE_TYPE_ICON_PLAYLIST},
    {L"PLS Playlist", L".pls", FILE_TYPE_ICON_PLAYLIST},
    {kPlaylistTypeName, kPlaylistTypeExtension, kPlaylistTypeIcon},
    {L"MP4 Video", L".mp4", FILE_TYPE_ICON_VIDEO},
    {L"FLV Video", L".flv", FILE_TYPE_ICON_VIDEO},
    {L"ASF Video", L".asf", FILE_TYPE_ICON_VIDEO},
    {L"3GP Video", L".3gp", FILE_TYPE_ICON_VIDEO},
    {L"3G2 Video", L".3g2", FILE_TYPE_ICON_VIDEO},
    {L"AVI Video", L".avi", FILE_TYPE_ICON_VIDEO},
    {L"MPG Video", L".mpg", FILE_TYPE_ICON_VIDEO},
    {L"VOB Video", L".vob", FILE_TYPE_ICON_VIDEO},
    {L"WEBM Video", L".webm", FILE_TYPE_ICON_VIDEO},
    {L"WMV Video", L".wmv", FILE_TYPE_ICON_VIDEO},
    {L"MOV Video", L".mov", FILE_TYPE_ICON_VIDEO},
    {L"GIF", L".gif", FILE_TYPE_ICON_VIDEO},
    {L"MP3 Audio", L".mp3", FILE_TYPE_ICON_AUDIO},
    {L"MP2 Audio", L".mp2", FILE_TYPE_ICON_AUDIO},
    {L"WAV Audio", L".wav", FILE_TYPE_ICON_AUDIO},
    {L"AAC Audio", L".aac", FILE_TYPE_ICON_AUDIO},
    {L"AC3 Audio", L".ac3", FILE_TYPE_ICON_AUDIO},
    {L"AMR Audio", L".amr", FILE_TYPE_ICON_AUDIO},
    {L"MMF Audio", L".mmf", FILE_TYPE_ICON_AUDIO},
    {L"OGG Audio", L".ogg", FILE_TYPE_ICON_AUDIO},
    {L"WMA Audio", L".wma", FILE_TYPE_ICON_AUDIO},
    {L"Flash", L".swf", FILE_TYPE_ICON_VIDEO},
};

// The integer values of section "Settings" in the order they are written.
struct CIntSetting {
    const wchar_t* key;
    int CPlayerSettings::*field;
    bool flag;
};

const CIntSetting kIntSettings[] = {
    {L"Layout", &CPlayerSettings::layout, false},
    {L"PlaylistViewStyle", &CPlayerSettings::playlistViewStyle, false},
    {L"AlwaysOnTop", &CPlayerSettings::alwaysOnTop, true},
    {L"Transparent", &CPlayerSettings::transparent, true},
    {L"MainWindow.Left", &CPlayerSettings::windowLeft, false},
    {L"MainWindow.Top", &CPlayerSettings::windowTop, false},
    {L"MainWindow.Width", &CPlayerSettings::windowWidth, false},
    {L"MainWindow.Height", &CPlayerSettings::windowHeight, false},
    {L"Repeat", &CPlayerSettings::repeat, false},
    {L"AutoCloseWindow", &CPlayerSettings::autoCloseWindow, true},
    {L"PreventScreenSaver", &CPlayerSettings::preventScreenSaver, true},
    {L"AlwaysShowControlBar", &CPlayerSettings::alwaysShowControlBar, true},
    {L"EscToExitFullScreenMode", &CPlayerSettings::escToExitFullScreen, false},
    {L"SaveRecentFiles", &CPlayerSettings::saveRecentFiles, true},
    {L"MaxRecentFiles", &CPlayerSettings::maxRecentFiles, false},
    {L"SaveRecentPlaylists", &CPlayerSettings::saveRecentPlaylists, true},
    {L"MaxRecentPlaylists", &CPlayerSettings::maxRecentPlaylists, false},
    {L"LoadLastPlaylist", &CPlayerSettings::loadLastPlaylist, true},
    {L"AllowDuplicates", &CPlayerSettings::allowDuplicates, true},
    {L"Thumbnail.Time", &CPlayerSettings::thumbnailTime, false},
    {L"ShowDuration", &CPlayerSettings::showDuration, true},
    {L"ShowQuality", &CPlayerSettings::showQuality, true},
    {L"ShowTitle", &CPlayerSettings::showTitle, true},
    {L"ShowIcon", &CPlayerSettings::showIcon, true},
    {L"Thumbnail.Width", &CPlayerSettings::thumbnailWidth, false},
    {L"Thumbnail.Height", &CPlayerSettings::thumbnailHeight, false},
    {L"Zoom", &CPlayerSettings::zoom, false},
    {L"Volume", &CPlayerSettings::volume, false},
    {L"Mute", &CPlayerSettings::mute, true},
    {L"RememberLastPos", &CPlayerSettings::rememberLastPos, true},
    {L"ResumeInterrupted", &CPlayerSettings::resumeInterrupted, true},
    {L"FilterIndex", &CPlayerSettings::filterIndex, false},
};

// Written after "LastFolder", in this order.
const CIntSetting kTrailingIntSettings[] = {
    {L"ScanSubfolders", &CPlayerSettings::scanSubfolders, true},
};
const CIntSetting kUpdateSettings[] = {
    {L"AutoCheckUpdate", &CPlayerSettings::autoCheckUpdate, true},
    {L"AutoCheckUpdate.Days", &CPlayerSettings::autoCheckUpdateDays, false},
};

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

struct CFindHandle {
    explicit CFindHandle(HANDLE handle) : h(handle) {}
    ~CFindHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;
    HANDLE h;
};

// 32 lower-case hexadecimal digits: the names MakeTempFilePath gives.
bool IsTempFileName(const wchar_t* name)
{
    if (!name || wcslen(name) != 32)
        return false;
    for (const wchar_t* p = name; *p; ++p)
        if (!((*p >= L'0' && *p <= L'9') || (*p >= L'a' && *p <= L'f')))
            return false;
    return true;
}

CString DefaultTempFolder()
{
    return GetUserDataFolder() + L"\\Temp";
}

template <size_t N>
void LoadInts(CWinApp* app, CPlayerSettings& s, const CIntSetting (&table)[N])
{
    for (const CIntSetting& e : table) {
        int value = (int)app->GetProfileInt(kSettingsSection, e.key, s.*e.field);
        s.*e.field = e.flag ? (value != 0 ? 1 : 0) : value;
    }
}

template <size_t N>
void SaveInts(CWinApp* app, CPlayerSettings& s, const CIntSetting (&table)[N])
{
    for (const CIntSetting& e : table)
        app->WriteProfileInt(kSettingsSection, e.key, e.flag ? (s.*e.field != 0 ? 1 : 0) : s.*e.field);
}

// Names of the subkeys of a section of the program's key.
std::vector<CString> SectionSubkeys(CWinApp* app, const wchar_t* section)
{
    std::vector<CString> names;
    CRegKey key(app->GetSectionKey(section));
    if (!key.IsValid())
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[257];
        DWORD length = 257;
        LONG rc = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            names.push_back(CString(name));
    }
    return names;
}

}  // namespace

void SetPlayerSettings(CPlayerSettings* settings)
{
    g_settings = settings;
}

CPlayerSettings* GetPlayerSettings()
{
    return g_settings;
}

CPlayerSettings::CPlayerSettings()
    : layout(2), playlistViewStyle(1), alwaysOnTop(0), transparent(0), windowLeft(-1), windowTop(-1),
      windowWidth(0), windowHeight(0), repeat(0), reserved(0), autoCloseWindow(0), shutdownAfterPlayback(0),
      preventScreenSaver(1), alwaysShowControlBar(0), escToExitFullScreen(5), saveRecentFiles(1),
      maxRecentFiles(10), saveRecentPlaylists(1), maxRecentPlaylists(10), loadLastPlaylist(1), allowDuplicates(1),
      thumbnailTime(1000), showDuration(1), showQuality(1), showTitle(1), showIcon(1),
      thumbnailWidth(DEFAULT_THUMBNAIL_WIDTH), thumbnailHeight(DEFAULT_THUMBNAIL_HEIGHT), zoom(100), volume(100),
      mute(0), rememberLastPos(1), resumeInterrupted(1), filterIndex(0), scanSubfolders(0),
      recentFiles(kRecentFilesSection, L"%02d"), recentPlaylists(kRecentPlaylistsSection, L"%02d"), autoCheckUpdate(1),
      autoCheckUpdateDays(1), m_sessionThumbnailWidth(DEFAULT_THUMBNAIL_WIDTH),
      m_sessionThumbnailHeight(DEFAULT_THUMBNAIL_HEIGHT), m_madeTempFolder(false)
{
}

CPlayerSettings::~CPlayerSettings() {}

int CPlayerSettings::LoadSettings()
{
    CWinApp* app = AfxGetApp();
    if (app) {
        LoadInts(app, *this, kIntSettings);
        maxRecentFiles = Clamp(maxRecentFiles, 0, MAX_RECENT_COUNT);
        maxRecentPlaylists = Clamp(maxRecentPlaylists, 0, MAX_RECENT_COUNT);
        if (thumbnailWidth < MIN_THUMBNAIL_WIDTH || thumbnailHeight < MIN_THUMBNAIL_HEIGHT ||
            thumbnailWidth > MAX_THUMBNAIL_WIDTH || thumbnailHeight > MAX_THUMBNAIL_HEIGHT) {
            thumbnailWidth = DEFAULT_THUMBNAIL_WIDTH;
            thumbnailHeight = DEFAULT_THUMBNAIL_HEIGHT;
        }
        m_sessionThumbnailWidth = thumbnailWidth;
        m_sessionThumbnailHeight = thumbnailHeight;
        lastFolder = app->GetProfileString(kSettingsSection, L"LastFolder", lastFolder);
        LoadInts(app, *this, kTrailingIntSettings);
        LoadInts(app, *this, kUpdateSettings);
        LoadFileTypes();
    }
    if (lastFolder.IsEmpty())
        lastFolder = GetMyVideosFolder(FALSE);
    if (fileTypes.IsEmpty())
        AddDefaultFileTypes();
    LoadRecentFiles(saveRecentFiles ? maxRecentFiles : 0);
    LoadRecentPlaylists(saveRecentPlaylists ? maxRecentPlaylists : 0);
    if (app)
        tempFolder = app->GetProfileString(kSettingsSection, L"TempFolder", tempFolder);
    if (tempFolder.IsEmpty())
        tempFolder = DefaultTempFolder();
    // One spelling of the folder, so that its files are recognised however a playlist names them.
    CString full = playerfiles::GetFullPath(tempFolder);
    if (!full.IsEmpty())
        tempFolder = full;
    tempFolder.TrimRight(L'\\');
    return 0;
}

void CPlayerSettings::SaveSettings()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    SaveInts(app, *this, kIntSettings);
    app->WriteProfileString(kSettingsSection, L"LastFolder", lastFolder);
    SaveInts(app, *this, kTrailingIntSettings);
    SaveFileTypes();
    SaveRecentFiles();
    SaveRecentPlaylists();
    SaveInts(app, *this, kUpdateSettings);
}

// Recent lists ----------------------------------------------------------------------------------------

namespace {

void SetUpRecentList(CRecentList& list, int maxCount)
{
    list.SetCapacity(maxCount);
    if (maxCount != 0 && AfxGetApp())
        list.Load();
}

}  // namespace

void CPlayerSettings::LoadRecentFiles(int maxCount)
{
    SetUpRecentList(recentFiles, maxCount);
}

void CPlayerSettings::AddRecentFile(const wchar_t* path)
{
    recentFiles.Add(path);
}

void CPlayerSettings::SaveRecentFiles()
{
    if (AfxGetApp())
        recentFiles.Save();
}

void CPlayerSettings::ClearRecentFiles()
{
    recentFiles.RemoveAll();
}

void CPlayerSettings::LoadRecentPlaylists(int maxCount)
{
    SetUpRecentList(recentPlaylists, maxCount);
}

void CPlayerSettings::AddRecentPlaylist(const wchar_t* path)
{
    recentPlaylists.Add(path);
}

void CPlayerSettings::SaveRecentPlaylists()
{
    if (AfxGetApp())
        recentPlaylists.Save();
}

void CPlayerSettings::ClearRecentPlaylists()
{
    recentPlaylists.RemoveAll();
}

void CPlayerSettings::RemoveRecentPlaylist(int index)
{
    recentPlaylists.Remove(index);
}

// File types ------------------------------------------------------------------------------------

CFileTypeAssoc* CPlayerSettings::FindFileType(const wchar_t* extension) const
{
    if (!extension)
        return nullptr;
    for (INT_PTR i = 0; i < fileTypes.GetSize(); ++i)
        if (fileTypes[i]->extension.CompareNoCase(extension) == 0)
            return fileTypes[i];
    return nullptr;
}

CFileTypeAssoc* CPlayerSettings::AddFileType(const wchar_t* name, const wchar_t* extension, int iconIndex)
{
    // The extension names a registry key: two entries of one extension would share it.
    if (!extension || !*extension || wcschr(extension, L'\\') || FindFileType(extension))
        return nullptr;
    CFileTypeAssoc* type = new CFileTypeAssoc(extension, MakeFileTypeProgId(extension), name, iconIndex);
    fileTypes.Add(type);
    return type;
}

void CPlayerSettings::AddDefaultFileTypes()
{
    for (const CFileTypeDefault& d : kDefaultFileTypes)
        AddFileType(d.name, d.extension, d.icon);
}

void CPlayerSettings::LoadFileTypes()
{
    CWinApp* app = AfxGetApp();
    for (const CString& subkey : SectionSubkeys(app, kFileTypesSection)) {
        CString section;
        section.Format(L"%s\\%s", kFileTypesSection, subkey.GetString());
        CString name = app->GetProfileString(section, L"Name", L"");
        CString extension = app->GetProfileString(section, L"Extension", L"");
        int icon = (int)app->GetProfileInt(section, L"Icon", -1);
        if (!name.IsEmpty() && !extension.IsEmpty() && icon != -1)
            AddFileType(name, extension, icon);
    }
}

void CPlayerSettings::SaveFileTypes()
{
    CWinApp* app = AfxGetApp();
    // Keys of types the user deleted would come back at the next start.
    for (const CString& subkey : SectionSubkeys(app, kFileTypesSection)) {
        if (!FindFileType(subkey)) {
            CRegKey section(app->GetSectionKey(kFileTypesSection));
            if (section.IsValid())
                section.RecurseDeleteKey(subkey);
        }
    }
    for (INT_PTR i = 0; i < fileTypes.GetSize(); ++i) {
        const CFileTypeAssoc* type = fileTypes[i];
        if (type->extension.IsEmpty() || type->extension.Find(L'\\') >= 0 || FindFileType(type->extension) != type)
            continue;
        CString section;
        section.Format(L"%s\\%s", kFileTypesSection, type->extension.GetString());
        app->WriteProfileString(section, L"Name", type->description);
        app->WriteProfileString(section, L"Extension", type->extension);
        app->WriteProfileInt(section, L"Icon", type->iconIndex);
    }
}

// Temporary folder --------------------------------------------------------------------------------

CString CPlayerSettings::MakeTempFilePath()
{
    CString guid;
    NewGuidString(guid);
    if (!tempFolder.IsEmpty()) {
        bool existed = IsExistingFolder(tempFolder);
        if (existed || CreateFolderChain(tempFolder)) {
            if (!existed)
                m_madeTempFolder = true;
            return tempFolder + L"\\" + guid;
        }
    }
    return GetTempFilePath();
}

bool CPlayerSettings::IsOwnTempFile(const wchar_t* path) const
{
    if (!path || !*path || tempFolder.IsEmpty())
        return false;
    CString full = playerfiles::GetFullPath(path);
    if (full.IsEmpty() || !IsTempFileName(PathFindFileNameW(full)))
        return false;
    return GetParentFolder(full).CompareNoCase(tempFolder) == 0;
}

bool CPlayerSettings::IsTempFolderOurs() const
{
    if (tempFolder.IsEmpty() || PathIsRootW(tempFolder))
        return false;
    return m_madeTempFolder || tempFolder.CompareNoCase(DefaultTempFolder()) == 0;
}

int CPlayerSettings::DeleteTempFolder()
{
    return DeleteTempFilesExcept(std::vector<CString>());
}

int CPlayerSettings::DeleteTempFilesExcept(const std::vector<CString>& keep)
{
    if (tempFolder.IsEmpty() || !IsExistingFolder(tempFolder))
        return 0;
    std::vector<CString> kept;
    for (const CString& path : keep)
        kept.push_back(playerfiles::GetFullPath(path));
    bool ok = true;
    WIN32_FIND_DATAW found;
    CFindHandle find(FindFirstFileW(tempFolder + L"\\*", &found));
    if (find.h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTempFileName(found.cFileName)) {
                CString file = tempFolder + L"\\" + found.cFileName;
                CString full = playerfiles::GetFullPath(file);
                bool named = false;
                for (const CString& k : kept)
                    named = named || k.CompareNoCase(full) == 0;
                if (!named && !DeleteFileW(file))
                    ok = false;
            }
        } while (FindNextFileW(find.h, &found));
    }
    // Fails, as it should, while anything else is left in the folder.
    if (ok && IsTempFolderOurs())
        RemoveDirectoryW(tempFolder);
    return ok ? 1 : 0;
}

CString CPlayerSettings::GetDefaultPlaylistPath() const
{
    return GetUserDataFolder() + L"\\" + kDefaultPlaylistFileName;
}
