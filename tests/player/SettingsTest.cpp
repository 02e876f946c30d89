// Player settings under the registry: every value and default, clamps, flags stored as 0 or 1,
// "TempFolder" read but never written, the file-type table, and the temporary folder's files.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "PlayerTestSupport.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"

using namespace playertest;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { m_app.reset(new CPlayerTestApp); }
    void TearDown() override { m_app.reset(); }

    CWinApp& App() { return m_app->App(); }
    CPlayerSettings& S() { return m_app->Settings(); }
    void WriteInt(LPCWSTR key, int value) { ASSERT_TRUE(App().WriteProfileInt(L"Settings", key, value)); }
    // The stored value as it is in the registry; -12345 when there is none.
    int StoredInt(LPCWSTR key)
    {
        CRegKey k;
        if (k.Open(HKEY_CURRENT_USER, m_app->KeyPath() + L"\\Settings", KEY_READ) != ERROR_SUCCESS)
            return -12345;
        DWORD v = 0;
        return k.QueryDWORDValue(key, v) == ERROR_SUCCESS ? (int)v : -12345;
    }
    bool HasValue(LPCWSTR section, LPCWSTR key)
    {
        CRegKey k;
        if (k.Open(HKEY_CURRENT_USER, m_app->KeyPath() + L"\\" + section, KEY_READ) != ERROR_SUCCESS)
            return false;
        return k.QueryValue(key, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    bool HasKey(LPCWSTR path)
    {
        CRegKey k;
        return k.Open(HKEY_CURRENT_USER, m_app->KeyPath() + L"\\" + path, KEY_READ) == ERROR_SUCCESS;
    }
    void WriteFileType(LPCWSTR subkey, LPCWSTR name, LPCWSTR extension, int icon)
    {
        CString section = CString(L"Data\\File Types\\") + subkey;
        if (name)
            App().WriteProfileString(section, L"Name", name);
        if (extension)
            App().WriteProfileString(section, L"Extension", extension);
        if (icon != -2)
            App().WriteProfileInt(section, L"Icon", icon);
    }

    std::unique_ptr<CPlayerTestApp> m_app;
};

struct IntKey {
    LPCWSTR key;
    int CPlayerSettings::*field;
    int defaultValue;
    bool flag;
};

// Every integer of section "Settings" with its default, written down apart from the settings code.
const IntKey kIntKeys[] = {
    {L"Layout", &CPlayerSettings::layout, 2, false},
    {L"PlaylistViewStyle", &CPlayerSettings::playlistViewStyle, 1, false},
    {L"AlwaysOnTop", &CPlayerSettings::alwaysOnTop, 0, true},
    {L"Transparent", &CPlayerSettings::transparent, 0, true},
    {L"MainWindow.Left", &CPlayerSettings::windowLeft, -1, false},
    {L"MainWindow.Top", &CPlayerSettings::windowTop, -1, false},
    {L"MainWindow.Width", &CPlayerSettings::windowWidth, 0, false},
    {L"MainWindow.Height", &CPlayerSettings::windowHeight, 0, false},
    {L"Repeat", &CPlayerSettings::repeat, 0, false},
    {L"AutoCloseWindow", &CPlayerSettings::autoCloseWindow, 0, true},
    {L"PreventScreenSaver", &CPlayerSettings::preventScreenSaver, 1, true},
    {L"AlwaysShowControlBar", &CPlayerSettings::alwaysShowControlBar, 0, true},
    {L"EscToExitFullScreenMode", &CPlayerSettings::escToExitFullScreen, 5, false},
    {L"SaveRecentFiles", &CPlayerSettings::saveRecentFiles, 1, true},
    {L"MaxRecentFiles", &CPlayerSettings::maxRecentFiles, 10, false},
    {L"SaveRecentPlaylists", &CPlayerSettings::saveRecentPlaylists, 1, true},
    {L"MaxRecentPlaylists", &CPlayerSettings::maxRecentPlaylists, 10, false},
    {L"LoadLastPlaylist", &CPlayerSettings::loadLastPlaylist, 1, true},
    {L"AllowDuplicates", &CPlayerSettings::allowDuplicates, 1, true},
    {L"Thumbnail.Time", &CPlayerSettings::thumbnailTime, 1000, false},
    {L"ShowDuration", &CPlayerSettings::showDuration, 1, true},
    {L"ShowQuality", &CPlayerSettings::showQuality, 1, true},
    {L"ShowTitle", &CPlayerSettings::showTitle, 1, true},
    {L"ShowIcon", &CPlayerSettings::showIcon, 1, true},
    {L"Thumbnail.Width", &CPlayerSettings::thumbnailWidth, 192, false},
    {L"Thumbnail.Height", &CPlayerSettings::thumbnailHeight, 108, false},
    {L"Zoom", &CPlayerSettings::zoom, 100, false},
    {L"Volume", &CPlayerSettings::volume, 100, false},
    {L"Mute", &CPlayerSettings::mute, 0, true},
    {L"RememberLastPos", &CPlayerSettings::rememberLastPos, 1, true},
    {L"ResumeInterrupted", &CPlayerSettings::resumeInterrupted, 1, true},
    {L"FilterIndex", &CPlayerSettings::filterIndex, 0, false},
    {L"ScanSubfolders", &CPlayerSettings::scanSubfolders, 0, true},
    {L"AutoCheckUpdate", &CPlayerSettings::autoCheckUpdate, 1, true},
    {L"AutoCheckUpdate.Days", &CPlayerSettings::autoCheckUpdateDays, 1, false},
};

const wchar_t* kDefaultTypes[25][2] = {
    {L".m3u", L"M3U Playlist"}, {L".pls", L"PLS Playlist"}, {L".playlist", L"Playlist File"},
    {L".mp4", L"MP4 Video"},    {L".flv", L"FLV Video"},    {L".asf", L"ASF Video"},
    {L".3gp", L"3GP Video"},    {L".3g2", L"3G2 Video"},    {L".avi", L"AVI Video"},
    {L".mpg", L"MPG Video"},    {L".vob", L"VOB Video"},    {L".webm", L"WEBM Video"},
    {L".wmv", L"WMV Video"},    {L".mov", L"MOV Video"},    {L".gif", L"GIF"},
    {L".mp3", L"MP3 Audio"},    {L".mp2", L"MP2 Audio"},    {L".wav", L"WAV Audio"},
    {L".aac", L"AAC Audio"},    {L".ac3", L"AC3 Audio"},    {L".amr", L"AMR Audio"},
    {L".mmf", L"MMF Audio"},    {L".ogg", L"OGG Audio"},    {L".wma", L"WMA Audio"},
    {L".swf", L"Flash"}};
const int kDefaultIcons[25] = {4, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2};

}  // namespace

TEST_F(Settings, AFirstStartHasEveryDefault)
{
    ASSERT_EQ(0, S().LoadSettings());
    for (const IntKey& k : kIntKeys)
        EXPECT_EQ(k.defaultValue, S().*k.field) << CStringA(k.key).GetString();
    EXPECT_EQ(0, S().shutdownAfterPlayback);
    EXPECT_EQ(0, S().reserved);
    EXPECT_EQ(GetMyVideosFolder(FALSE), S().lastFolder);
    EXPECT_EQ(GetUserDataFolder() + L"\\Temp", S().tempFolder);
    EXPECT_EQ(GetUserDataFolder() + L"\\Default.playlist", S().GetDefaultPlaylistPath());

    ASSERT_EQ(25, S().fileTypes.GetSize());
    for (int i = 0; i < 25; ++i) {
        const CFileTypeAssoc* t = S().fileTypes[i];
        EXPECT_STREQ(kDefaultTypes[i][0], t->extension) << i;
        EXPECT_STREQ(kDefaultTypes[i][1], t->description) << i;
        EXPECT_EQ(kDefaultIcons[i], t->iconIndex) << i;
        EXPECT_EQ(CString(L"TarveloSoftware.Lumivo") + kDefaultTypes[i][0], t->progId) << i;
    }
}

TEST_F(Settings, EveryValueRoundTripsAndFlagsAreStoredAsZeroOrOne)
{
    ASSERT_EQ(0, S().LoadSettings());
    int n = 0;
    for (const IntKey& k : kIntKeys)
        S().*k.field = k.flag ? 7 : 40 + n++;
    S().maxRecentFiles = 3;
    S().maxRecentPlaylists = 30;
    S().thumbnailWidth = 480;
    S().thumbnailHeight = 360;
    S().shutdownAfterPlayback = 1;
    S().lastFolder = L"D:\\Films \u00e9\u0436";
    S().tempFolder = L"D:\\never written";
    S().SaveSettings();

    for (const IntKey& k : kIntKeys) {
        if (k.flag) {
            EXPECT_EQ(1, StoredInt(k.key)) << CStringA(k.key).GetString();
        }
    }
    EXPECT_FALSE(HasValue(L"Settings", L"TempFolder"));
    EXPECT_FALSE(HasValue(L"Settings", L"ShutdownAfterPlayback"));

    CPlayerSettings again;
    ASSERT_EQ(0, again.LoadSettings());
    for (const IntKey& k : kIntKeys)
        EXPECT_EQ(S().*k.field == 7 ? 1 : S().*k.field, again.*k.field) << CStringA(k.key).GetString();
    EXPECT_EQ(L"D:\\Films \u00e9\u0436", again.lastFolder);
    EXPECT_EQ(0, again.shutdownAfterPlayback);
    EXPECT_EQ(GetUserDataFolder() + L"\\Temp", again.tempFolder);
}

TEST_F(Settings, LoadedValuesAreClampedAndAnyNonZeroFlagIsOn)
{
    WriteInt(L"MaxRecentFiles", 99);
    WriteInt(L"MaxRecentPlaylists", -5);
    WriteInt(L"Mute", -3);
    WriteInt(L"ShowIcon", 0);
    ASSERT_EQ(0, S().LoadSettings());
    EXPECT_EQ(30, S().maxRecentFiles);
    EXPECT_EQ(0, S().maxRecentPlaylists);
    EXPECT_EQ(1, S().mute);
    EXPECT_EQ(0, S().showIcon);
}

TEST_F(Settings, TheThumbnailSizeHasOneRangeForLoadingAndTheSettingsSheet)
{
    struct {
        int w, h;
        bool kept;
    } cases[] = {{30, 200, false}, {63, 48, false}, {64, 47, false}, {64, 48, true}, {480, 360, true},
                 {481, 360, false}, {480, 361, false}, {400, 300, true}, {192, 108, true}};
    for (const auto& c : cases) {
        WriteInt(L"Thumbnail.Width", c.w);
        WriteInt(L"Thumbnail.Height", c.h);
        CPlayerSettings s;
        s.LoadSettings();
        EXPECT_EQ(c.kept ? c.w : 192, s.thumbnailWidth) << c.w << "x" << c.h;
        EXPECT_EQ(c.kept ? c.h : 108, s.thumbnailHeight) << c.w << "x" << c.h;
    }
    EXPECT_EQ(64, MIN_THUMBNAIL_WIDTH);
    EXPECT_EQ(480, MAX_THUMBNAIL_WIDTH);
    EXPECT_EQ(48, MIN_THUMBNAIL_HEIGHT);
    EXPECT_EQ(360, MAX_THUMBNAIL_HEIGHT);
}

TEST_F(Settings, TheTemporaryFolderComesFromTheProfileAndAnEmptyLastFolderFromVideos)
{
    CString folder = MakeAwkwardFolder(L"tempfolder");
    ASSERT_TRUE(App().WriteProfileString(L"Settings", L"TempFolder", folder + L"\\sub\\..\\Thumbs\\"));
    ASSERT_TRUE(App().WriteProfileString(L"Settings", L"LastFolder", L""));
    S().LoadSettings();
    EXPECT_EQ(folder + L"\\Thumbs", S().tempFolder);
    EXPECT_EQ(GetMyVideosFolder(FALSE), S().lastFolder);
}

// File types ---------------------------------------------------------------------------------------------

TEST_F(Settings, FileTypesLoadFromTheirKeysAndIncompleteOnesAreSkipped)
{
    WriteFileType(L".mkv", L"MKV Video", L".mkv", 2);
    WriteFileType(L".no icon", L"No Icon", L".noicon", -2);
    WriteFileType(L".minus", L"Minus", L".minus", -1);
    WriteFileType(L".noname", nullptr, L".noname", 3);
    WriteFileType(L".noext", L"No Extension", nullptr, 3);
    WriteFileType(L"other name", L"Upper MKV", L".MKV", 3);  // the same extension once more
    S().LoadSettings();
    ASSERT_EQ(1, S().fileTypes.GetSize());
    EXPECT_EQ(L".mkv", S().fileTypes[0]->extension);
    EXPECT_EQ(L"MKV Video", S().fileTypes[0]->description);
    EXPECT_EQ(L"TarveloSoftware.Lumivo.mkv", S().fileTypes[0]->progId);
}

TEST_F(Settings, WithoutAnyValidTypeTheDefaultsAreAddedAndSaved)
{
    WriteFileType(L".bad", L"Bad", L".bad", -1);
    S().LoadSettings();
    EXPECT_EQ(25, S().fileTypes.GetSize());
    S().SaveSettings();
    EXPECT_FALSE(HasKey(L"Data\\File Types\\.bad"));
    CPlayerSettings again;
    again.LoadSettings();
    ASSERT_EQ(25, again.fileTypes.GetSize());
    EXPECT_EQ(3u, App().GetProfileInt(L"Data\\File Types\\.wma", L"Icon", 0));
    EXPECT_EQ(L"WMA Audio", App().GetProfileString(L"Data\\File Types\\.wma", L"Name"));
}

TEST_F(Settings, SavingTheTableRemovesDeletedTypesAndRefusesDuplicates)
{
    S().LoadSettings();
    App().WriteProfileString(L"Data\\File Types\\.mp4", L"Backup", L"Other.Player.mp4");
    S().SaveSettings();
    ASSERT_TRUE(HasKey(L"Data\\File Types\\.avi"));

    // The user deletes ".avi" and adds ".xyz"; a second ".XYZ" is refused.
    for (INT_PTR i = 0; i < S().fileTypes.GetSize(); ++i)
        if (S().fileTypes[i]->extension == L".avi") {
            S().fileTypes.RemoveAt(i);
            break;
        }
    ASSERT_TRUE(S().AddFileType(L"XYZ Video", L".xyz", 2));
    EXPECT_EQ(nullptr, S().AddFileType(L"XYZ again", L".XYZ", 3));
    EXPECT_EQ(nullptr, S().AddFileType(L"Empty", L"", 3));
    EXPECT_EQ(nullptr, S().AddFileType(L"Nested", L".a\\b", 3));
    // An entry appended directly (as the settings sheet copies its rows) does not replace the first.
    S().fileTypes.Add(new CFileTypeAssoc(L".MP4", L"x", L"Shadow", 3));
    S().SaveSettings();

    EXPECT_FALSE(HasKey(L"Data\\File Types\\.avi"));
    EXPECT_TRUE(HasKey(L"Data\\File Types\\.xyz"));
    EXPECT_EQ(L"MP4 Video", App().GetProfileString(L"Data\\File Types\\.mp4", L"Name"));
    // What the settings sheet keeps beside a type is left alone.
    EXPECT_EQ(L"Other.Player.mp4", App().GetProfileString(L"Data\\File Types\\.mp4", L"Backup"));
    CPlayerSettings again;
    again.LoadSettings();
    EXPECT_EQ(25, again.fileTypes.GetSize());
    EXPECT_TRUE(again.FindFileType(L".XYZ"));
    EXPECT_FALSE(again.FindFileType(L".avi"));
}

// Temporary files ----------------------------------------------------------------------------------------

TEST_F(Settings, TemporaryFileNamesAreNewGuidsInAFolderMadeOnDemandFromAnyThread)
{
    CString root = MakeAwkwardFolder(L"tempnames");
    S().tempFolder = root + L"\\a\\b\\Thumbs";
    std::vector<CString> names[2];
    std::thread workers[2];
    for (int t = 0; t < 2; ++t)
        workers[t] = std::thread([&, t] {
            for (int i = 0; i < 300; ++i)
                names[t].push_back(S().MakeTempFilePath());
        });
    for (std::thread& w : workers)
        w.join();
    std::set<CString> unique;
    for (const auto& list : names)
        for (const CString& name : list) {
            unique.insert(name);
            EXPECT_EQ(S().tempFolder, GetParentFolder(name));
            EXPECT_TRUE(S().IsOwnTempFile(name));
        }
    EXPECT_EQ(600u, unique.size());
    EXPECT_TRUE(FileExists(S().tempFolder));

    // A folder that cannot be made gives the system's temporary folder.
    CString file = root + L"\\plain file";
    ASSERT_TRUE(WriteBytes(file, "x"));
    S().tempFolder = file + L"\\Thumbs";
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    CString fallback = S().MakeTempFilePath();
    EXPECT_EQ(CString(temp), fallback.Left((int)wcslen(temp)));
    EXPECT_EQ((int)wcslen(temp) + 32, fallback.GetLength());
}

TEST_F(Settings, DeletingTheTemporaryFolderTakesOnlyTheProgramsOwnFiles)
{
    CString root = MakeAwkwardFolder(L"tempdelete");
    // A folder the program made: its GUID files go, then the folder.
    S().tempFolder = root + L"\\Made";
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(WriteBytes(S().MakeTempFilePath(), "thumb"));
    EXPECT_EQ(1, S().DeleteTempFolder());
    EXPECT_FALSE(FileExists(S().tempFolder));
    EXPECT_EQ(0, S().DeleteTempFolder());

    // Anything else in the folder stays, and so does the folder.
    S().tempFolder = root + L"\\Shared";
    CString own = S().MakeTempFilePath();
    ASSERT_TRUE(WriteBytes(own, "thumb"));
    CString mine = S().tempFolder + L"\\keep me.txt";
    CString lookalike = S().tempFolder + L"\\0123456789ABCDEF0123456789ABCDEF";
    ASSERT_TRUE(WriteBytes(mine, "user"));
    ASSERT_TRUE(WriteBytes(lookalike, "user"));
    ASSERT_TRUE(CreateDirectoryW(S().tempFolder + L"\\fedcba9876543210fedcba9876543210", nullptr));
    EXPECT_EQ(1, S().DeleteTempFolder());
    EXPECT_FALSE(FileExists(own));
    EXPECT_EQ("user", ReadBytes(mine));
    EXPECT_EQ("user", ReadBytes(lookalike));
    EXPECT_TRUE(FileExists(S().tempFolder + L"\\fedcba9876543210fedcba9876543210"));

    // A folder the user named that existed before: emptied of our files, but kept.
    CString existing = root + L"\\Existing";
    ASSERT_TRUE(CreateDirectoryW(existing, nullptr));
    CPlayerSettings fresh;
    fresh.tempFolder = existing;
    ASSERT_TRUE(WriteBytes(fresh.MakeTempFilePath(), "thumb"));
    EXPECT_EQ(1, fresh.DeleteTempFolder());
    EXPECT_TRUE(FileExists(existing));
    EXPECT_EQ(0, CountFolderEntries(existing));
}

TEST_F(Settings, TheDefaultTemporaryFolderIsRemovedWhenEmptied)
{
    S().LoadSettings();
    ASSERT_EQ(GetUserDataFolder() + L"\\Temp", S().tempFolder);
    CPlayerSettings other;
    other.LoadSettings();
    // Made by another run: still ours, as its place says.
    ASSERT_TRUE(WriteBytes(other.MakeTempFilePath(), "thumb"));
    EXPECT_EQ(1, S().DeleteTempFolder());
    EXPECT_FALSE(FileExists(S().tempFolder));
}

// Recent lists -------------------------------------------------------------------------------------------

TEST_F(Settings, RecentListsAreReadOnlyWhenTheyAreKept)
{
    App().WriteProfileString(L"Data\\Recent Files", L"01", L"C:\\a.mp4");
    App().WriteProfileString(L"Data\\Recent Files", L"02", L"C:\\b.mp4");
    App().WriteProfileString(L"Data\\Recent Files", L"03", L"C:\\c.mp4");
    App().WriteProfileString(L"Data\\Recent Playlists", L"01", L"C:\\p.playlist");
    WriteInt(L"MaxRecentFiles", 2);
    WriteInt(L"SaveRecentPlaylists", 0);
    S().LoadSettings();
    ASSERT_EQ(2, S().recentFiles.GetCount());
    EXPECT_EQ(L"C:\\a.mp4", S().recentFiles[0]);
    EXPECT_EQ(L"C:\\b.mp4", S().recentFiles[1]);
    EXPECT_EQ(0, S().recentPlaylists.GetCount());

    // Paths are one entry in any letter case; the newest first.
    S().AddRecentFile(L"  c:\\B.MP4 ");
    ASSERT_EQ(2, S().recentFiles.GetCount());
    EXPECT_EQ(L"c:\\B.MP4", S().recentFiles[0]);
    EXPECT_EQ(L"C:\\a.mp4", S().recentFiles[1]);
    S().SaveSettings();
    EXPECT_EQ(L"c:\\B.MP4", App().GetProfileString(L"Data\\Recent Files", L"01"));
    EXPECT_EQ(L"C:\\a.mp4", App().GetProfileString(L"Data\\Recent Files", L"02"));
    EXPECT_FALSE(HasValue(L"Data\\Recent Files", L"03"));
    // A list that is not kept leaves nothing in the profile.
    EXPECT_FALSE(HasValue(L"Data\\Recent Playlists", L"01"));
}

TEST_F(Settings, RecentPlaylistsLoseOneEntryOrAll)
{
    S().LoadSettings();
    S().AddRecentPlaylist(L"C:\\one.playlist");
    S().AddRecentPlaylist(L"C:\\two.m3u");
    S().AddRecentPlaylist(L"C:\\three.pls");
    S().RemoveRecentPlaylist(1);
    S().RemoveRecentPlaylist(7);
    ASSERT_EQ(2, S().recentPlaylists.GetCount());
    EXPECT_EQ(L"C:\\three.pls", S().recentPlaylists[0]);
    EXPECT_EQ(L"C:\\one.playlist", S().recentPlaylists[1]);
    S().SaveRecentPlaylists();
    CPlayerSettings again;
    again.LoadSettings();
    EXPECT_EQ(2, again.recentPlaylists.GetCount());
    again.ClearRecentPlaylists();
    again.ClearRecentFiles();
    again.SaveSettings();
    EXPECT_FALSE(HasValue(L"Data\\Recent Playlists", L"01"));
}
