// The player's shared resources: tool locations in the Modules folder (or bare names), the fonts,
// the hand cursor, and its answers as toolkit host and engine host.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "toolkit/ThemeSupport.h"

using namespace playertest;

namespace {

LOGFONTW FontOf(CFont& font)
{
    LOGFONTW lf = {};
    font.GetLogFont(&lf);
    return lf;
}

}  // namespace

TEST(SharedResources, ToolsAreFoundInTheModulesFolderOrByTheirBareNames)
{
    CPlayerTestApp app(true);
    CString folder = MakeAwkwardFolder(L"modules");
    ASSERT_TRUE(app.App().WriteProfileString(L"", L"AppFolder", folder));
    ASSERT_TRUE(CreateDirectoryW(folder + L"\\Modules", nullptr));
    ASSERT_TRUE(WriteBytes(folder + L"\\Modules\\Quisset.exe", "MZ"));
    ASSERT_TRUE(CreateDirectoryW(folder + L"\\Modules\\Velkor.exe", nullptr));  // a folder is no tool

    CSharedResources& r = *app.Resources();
    EXPECT_EQ(0, r.Init());
    EXPECT_EQ(folder + L"\\Modules\\Quisset.exe", r.probeToolPath);
    EXPECT_EQ(L"Velkor.exe", r.encodeToolPath);
    EXPECT_EQ(L"Drumlin.exe", r.playToolPath);
    EXPECT_EQ(folder + L"\\Modules\\Presets", r.presetsFolder);
    // The engine asks the same.
    EXPECT_EQ(r.probeToolPath, r.GetProbeToolPath());
    EXPECT_EQ(r.encodeToolPath, r.GetEncoderToolPath());
    EXPECT_EQ(r.playToolPath, r.GetPlayerToolPath());
}

TEST(SharedResources, FontsCursorListsAndTheme)
{
    CPlayerTestApp app(true);
    CSharedResources& r = *app.Resources();
    ASSERT_EQ(0, r.Init());
    EXPECT_TRUE(r.osVersion.m_nFilled);
    EXPECT_TRUE(r.GetSmallList());
    EXPECT_TRUE(r.handCursor);
    EXPECT_EQ(r.handCursor, r.GetHandCursor());
    EXPECT_EQ(IsVisualStyleActive() ? 1 : 0, r.visualStylesActive);

    LOGFONTW base = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(base), &base);
    const bool tahoma = wcscmp(base.lfFaceName, L"Tahoma") == 0;
    const int height = tahoma ? base.lfHeight : -11;
    LOGFONTW normal = FontOf(r.normalFont), bold = FontOf(r.boldFont), underline = FontOf(r.underlineFont),
             large = FontOf(r.largeFont);
    for (const LOGFONTW* lf : {&normal, &bold, &underline, &large})
        EXPECT_STREQ(L"Tahoma", lf->lfFaceName);
    EXPECT_EQ(height, normal.lfHeight);
    EXPECT_FALSE(normal.lfUnderline);
    EXPECT_TRUE(underline.lfUnderline);
    EXPECT_EQ(height, underline.lfHeight);
    EXPECT_EQ(FW_BOLD, bold.lfWeight);
    EXPECT_FALSE(bold.lfUnderline);
    EXPECT_EQ(FW_THIN, large.lfWeight);
    EXPECT_EQ(height + height / 2, large.lfHeight);
    if (!tahoma) {
        EXPECT_EQ(-16, large.lfHeight);
    }
    EXPECT_EQ(&r.normalFont, r.GetNormalFont());
    EXPECT_EQ(&r.boldFont, r.GetBoldFont());
    EXPECT_EQ(&r.underlineFont, r.GetUnderlineFont());
    EXPECT_EQ(&r.largeFont, r.GetLargeFont());
    EXPECT_TRUE(r.GetMenuFont()->GetSafeHandle());
}

TEST(SharedResources, HostAnswersComeFromTheSettings)
{
    CPlayerTestApp app(true);
    CSharedResources& r = *app.Resources();
    EXPECT_EQ(&r, GetSharedResources());
    EXPECT_EQ(static_cast<CToolkitHost*>(&r), GetToolkitHost());
    EXPECT_EQ(static_cast<CEngineHost*>(&r), GetEngineHost());
    CPlayerSettings& s = app.Settings();
    app.App().WriteProfileInt(kSettingsSection, L"Thumbnail.Width", 320);
    app.App().WriteProfileInt(kSettingsSection, L"Thumbnail.Height", 180);
    s.LoadSettings();
    s.thumbnailTime = 2500;
    EXPECT_EQ(2500, r.GetThumbnailTimeMs());
    EXPECT_EQ(320, r.GetThumbnailWidth());
    EXPECT_EQ(180, r.GetThumbnailHeight());
    // The settings sheet's new size is for the next start: grabs keep the one loaded.
    s.thumbnailWidth = 400;
    s.thumbnailHeight = 300;
    EXPECT_EQ(320, r.GetThumbnailWidth());
    EXPECT_EQ(180, r.GetThumbnailHeight());
    EXPECT_TRUE(s.IsOwnTempFile(r.MakeTempFilePath()));

    r.SetMainWindowRect(10, 20, 800, 600);
    EXPECT_EQ(10, s.windowLeft);
    EXPECT_EQ(600, s.windowHeight);
    int l, t, w, h;
    r.GetMainWindowRect(l, t, w, h);
    EXPECT_EQ(20, t);
    EXPECT_EQ(800, w);
    r.SetAutoCheckUpdate(FALSE);
    EXPECT_EQ(0, s.autoCheckUpdate);
    EXPECT_FALSE(r.GetAutoCheckUpdate());
    s.autoCheckUpdateDays = 7;
    EXPECT_EQ(7, r.GetAutoCheckUpdateDays());
    r.SetLastUpdateCheck(1700000000);
    EXPECT_EQ(1700000000, r.GetLastUpdateCheck());
    EXPECT_EQ(1700000000u, app.App().GetProfileInt(L"Settings", L"LastUpdateCheck", 0));

    EXPECT_EQ(L"Lumivo", r.GetProductName());
    EXPECT_EQ(L"3.3.0", r.GetProductVersion());
    EXPECT_EQ(L"Brackel.dll", r.GetShellExtensionFileName());
    EXPECT_EQ(L"TarveloSoftware.Lumivo", r.GetShellExtensionHandlerName());
    EXPECT_EQ(0, r.GetUpdateFeedUrl().Find(L"http://"));
    EXPECT_EQ(0, r.GetProductPageUrl().Find(L"http://"));
    r.updateFeedUrl = L"http://127.0.0.1:9/update.xml";
    EXPECT_EQ(L"http://127.0.0.1:9/update.xml", GetToolkitHost()->GetUpdateFeedUrl());
}

TEST(SharedResources, ClearingThePointerClearsTheHosts)
{
    {
        CPlayerTestApp app(true);
        ASSERT_TRUE(GetEngineHost());
    }
    EXPECT_EQ(nullptr, GetSharedResources());
    EXPECT_EQ(nullptr, GetToolkitHost());
    EXPECT_EQ(nullptr, GetEngineHost());
}
