// Converter settings under the registry: every key with its default, flags stored as 0 or 1, the
// strings, and the two recent lists with the first-start folders.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ConverterTestSupport.h"
#include "converter/app/ConverterApp.h"

using namespace convertertest;

namespace {

struct IntKey {
    LPCWSTR key;
    int CConverterSettings::*field;
    int defaultValue;
    bool flag;
};

// Every integer of section "Settings" with its default, written down apart from the settings code.
const IntKey kIntKeys[] = {
    {L"MainWindow.Left", &CConverterSettings::windowLeft, -1, false},
    {L"MainWindow.Top", &CConverterSettings::windowTop, -1, false},
    {L"AutoCheckUpdate", &CConverterSettings::autoCheckUpdate, 1, true},
    {L"AutoCheckUpdate.Days", &CConverterSettings::autoCheckUpdateDays, 1, false},
    {L"Overwrite", &CConverterSettings::overwrite, 0, false},
    {L"AutoStart", &CConverterSettings::autoStart, 0, true},
    {L"AutoCloseWindow", &CConverterSettings::autoCloseWindow, 0, true},
    {L"AutoPlay", &CConverterSettings::autoPlay, 0, true},
    {L"AutoOpenFolder", &CConverterSettings::autoOpenFolder, 0, true},
    {L"AlwaysOnTop", &CConverterSettings::alwaysOnTop, 0, true},
    {L"SameAsInput", &CConverterSettings::sameAsInput, 1, true},
    {L"AutoSelect", &CConverterSettings::autoSelect, 0xFFFF, false},
    {L"GIF.Width", &CConverterSettings::gifWidth, 240, false},
    {L"GIF.Height", &CConverterSettings::gifHeight, 160, false},
    {L"GIF.FrameRate", &CConverterSettings::gifFrameRate, 5, false},
    {L"GIF.Loop", &CConverterSettings::gifLoop, 0, false},
    {L"GIF.LoopCount", &CConverterSettings::gifLoopCount, 10, false},
};

CString SpecialFolder(int csidl)
{
    wchar_t buffer[MAX_PATH + 1] = L"";
    SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE);
    return buffer;
}

class ConverterSettings : public ::testing::Test {
protected:
    void SetUp() override { m_app.reset(new CConverterTestApp(false)); }
    void TearDown() override { m_app.reset(); }

    CWinApp& App() { return m_app->App(); }
    CConverterSettings& S() { return m_app->Settings(); }
    // The stored value as it is in the registry; -12345 when there is none.
    int StoredInt(LPCWSTR section, LPCWSTR key)
    {
        CRegKey k;
        if (k.Open(HKEY_CURRENT_USER, m_app->KeyPath() + L"\\" + section, KEY_READ) != ERROR_SUCCESS)
            return -12345;
        DWORD v = 0;
        return k.QueryDWORDValue(key, v) == ERROR_SUCCESS ? (int)v : -12345;
    }
    CString StoredString(LPCWSTR section, LPCWSTR key)
    {
        CRegKey k;
        CString value = L"<none>";
        if (k.Open(HKEY_CURRENT_USER, m_app->KeyPath() + L"\\" + section, KEY_READ) == ERROR_SUCCESS)
            k.QueryStringValue(key, value);
        return value;
    }

    std::unique_ptr<CConverterTestApp> m_app;
};

}  // namespace

TEST_F(ConverterSettings, AFirstStartHasEveryDefaultAndTheTwoMediaFoldersAsRecentFolders)
{
    CConverterSettings& s = S();
    ASSERT_EQ(0, s.Load());
    for (const IntKey& k : kIntKeys)
        EXPECT_EQ(k.defaultValue, s.*(k.field)) << CStringA(k.key).GetString();
    EXPECT_TRUE(s.formatKey.IsEmpty());
    EXPECT_TRUE(s.presetName.IsEmpty());
    // The countdown of the file-exists prompt starts ticked.
    EXPECT_EQ(1, s.autoSelect & 1);

    EXPECT_EQ(0, s.recentFiles.GetCount());
    const CString music = SpecialFolder(CSIDL_MYMUSIC);
    const CString videos = SpecialFolder(CSIDL_MYVIDEO);
    ASSERT_FALSE(music.IsEmpty());
    ASSERT_FALSE(videos.IsEmpty());
    ASSERT_EQ(2, s.recentFolders.GetCount());
    // Added in that order, each at the front.
    EXPECT_STREQ(videos, s.recentFolders[0]);
    EXPECT_STREQ(music, s.recentFolders[1]);
    EXPECT_EQ(CONVERTER_RECENT_COUNT, s.recentFolders.GetCapacity());
    EXPECT_EQ(CONVERTER_RECENT_COUNT, s.recentFiles.GetCapacity());
}

TEST_F(ConverterSettings, EveryValueIsWrittenAndReadBackUnderItsKey)
{
    {
        CConverterSettings s;
        int n = 2;
        for (const IntKey& k : kIntKeys)
            s.*(k.field) = k.flag ? (k.defaultValue ? 0 : 1) : 1000 + n++;
        s.formatKey = L"VF_mp4";
        s.presetName = L"HD 720p — ünïcode";
        s.recentFiles.SetSection(kConverterRecentFilesSection, L"%02d");
        s.recentFolders.SetSection(kConverterRecentFoldersSection, L"%02d");
        s.AddRecentFile(L"C:\\a\\one.mp4");
        s.AddRecentFile(L"C:\\a\\two.mp4");
        s.AddRecentFolder(L"D:\\out");
        s.Save();
    }
    int n = 2;
    for (const IntKey& k : kIntKeys) {
        const int expected = k.flag ? (k.defaultValue ? 0 : 1) : 1000 + n++;
        EXPECT_EQ(expected, StoredInt(L"Settings", k.key)) << CStringA(k.key).GetString();
    }
    EXPECT_STREQ(L"VF_mp4", StoredString(L"Settings", L"MediaFormat"));
    EXPECT_STREQ(L"HD 720p — ünïcode", StoredString(L"Settings", L"MediaFormatPreset"));
    EXPECT_STREQ(L"C:\\a\\two.mp4", StoredString(L"Data\\Recent Files", L"01"));
    EXPECT_STREQ(L"C:\\a\\one.mp4", StoredString(L"Data\\Recent Files", L"02"));
    EXPECT_STREQ(L"D:\\out", StoredString(L"Data\\Recent Folders", L"01"));

    CConverterSettings back;
    back.Load();
    n = 2;
    for (const IntKey& k : kIntKeys) {
        const int expected = k.flag ? (k.defaultValue ? 0 : 1) : 1000 + n++;
        EXPECT_EQ(expected, back.*(k.field)) << CStringA(k.key).GetString();
    }
    EXPECT_STREQ(L"VF_mp4", back.formatKey);
    EXPECT_STREQ(L"HD 720p — ünïcode", back.presetName);
    ASSERT_EQ(2, back.recentFiles.GetCount());
    EXPECT_STREQ(L"C:\\a\\two.mp4", back.recentFiles[0]);
    // A stored folder list is taken as it is: no media folders are added to it.
    ASSERT_EQ(1, back.recentFolders.GetCount());
    EXPECT_STREQ(L"D:\\out", back.recentFolders[0]);
}

TEST_F(ConverterSettings, FlagsAreStoredAsZeroOrOneAndStoredValuesWinOverDefaults)
{
    App().WriteProfileInt(L"Settings", L"AutoSelect", 0xFFFE);
    App().WriteProfileInt(L"Settings", L"Overwrite", 12);
    App().WriteProfileString(L"Settings", L"MediaFormat", L"AF_mp3");
    CConverterSettings s;
    s.Load();
    EXPECT_EQ(0xFFFE, s.autoSelect);
    EXPECT_EQ(12, s.overwrite);
    EXPECT_STREQ(L"AF_mp3", s.formatKey);

    s.autoPlay = 7;
    s.sameAsInput = -3;
    s.Save();
    EXPECT_EQ(1, StoredInt(L"Settings", L"AutoPlay"));
    EXPECT_EQ(1, StoredInt(L"Settings", L"SameAsInput"));
    EXPECT_EQ(0xFFFE, StoredInt(L"Settings", L"AutoSelect"));
}

TEST_F(ConverterSettings, RecentListsHoldTwentyPathsIgnoringCaseAndAMaximumOfZeroReadsNothing)
{
    CConverterSettings s;
    s.LoadRecentFiles(CONVERTER_RECENT_COUNT);
    for (int i = 0; i < 25; ++i) {
        CString path;
        path.Format(L"C:\\clips\\clip %d.mp4", i);
        s.AddRecentFile(path);
    }
    ASSERT_EQ(20, s.recentFiles.GetCount());
    EXPECT_STREQ(L"C:\\clips\\clip 24.mp4", s.recentFiles[0]);
    s.AddRecentFile(L"  c:\\CLIPS\\clip 10.MP4 ");
    EXPECT_EQ(20, s.recentFiles.GetCount());
    EXPECT_STREQ(L"c:\\CLIPS\\clip 10.MP4", s.recentFiles[0]);
    s.SaveRecentFiles();
    EXPECT_STREQ(L"C:\\clips\\clip 5.mp4", StoredString(L"Data\\Recent Files", L"20"));

    CConverterSettings none;
    none.LoadRecentFolders(0);
    none.LoadRecentFiles(0);
    EXPECT_EQ(0, none.recentFolders.GetCount());
    EXPECT_EQ(0, none.recentFiles.GetCount());
}

// Start-up ends early when the environment cannot be set up; the settings were never read, and
// the defaults in memory must not replace the user's at exit.
TEST_F(ConverterSettings, AStartUpThatEndedBeforeLoadingSavesNothingAtExit)
{
    const CString key = CString(L"Software\\") + kTestMaker + L"\\Ravento\\Settings";
    {
        CRegKey stored;
        ASSERT_EQ(ERROR_SUCCESS, stored.Create(HKEY_CURRENT_USER, key));
        stored.SetDWORDValue(L"MainWindow.Left", 321);
        stored.SetStringValue(L"MediaFormat", L"VF_avi");
    }
    {
        CConverterApp app;
        app.SetRegistryKey(kTestMaker);
        app.ExitInstance();
    }
    CRegKey stored;
    ASSERT_EQ(ERROR_SUCCESS, stored.Open(HKEY_CURRENT_USER, key, KEY_READ));
    DWORD left = 0;
    EXPECT_EQ(ERROR_SUCCESS, stored.QueryDWORDValue(L"MainWindow.Left", left));
    EXPECT_EQ(321u, left);
    wchar_t format[32] = L"";
    ULONG chars = 32;
    EXPECT_EQ(ERROR_SUCCESS, stored.QueryStringValue(L"MediaFormat", format, &chars));
    EXPECT_STREQ(L"VF_avi", format);
    DWORD autoSelect = 0;
    EXPECT_NE(ERROR_SUCCESS, stored.QueryDWORDValue(L"AutoSelect", autoSelect)) << "a default was written";
}
