// The update dialogs on the screen: the progress of a manual check, the news of a newer version,
// what each answer does, and what automatic and manual checks tell the user. Screenshots go to
// the test output folder.
#include "tests/toolkit/UpdateTestSupport.h"

#include "tests/common/Screenshot.h"
#include "toolkit/UpdateDialogIds.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

CString ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

bool IsChecked(HWND dialog, int id)
{
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The dialog's window is gone (its thread has destroyed it).
bool Gone(HWND dialog)
{
    return PumpUntil([&] { return !IsWindow(dialog); }, 20000);
}

} // namespace

TEST_F(UpdateCheckTest, ManualCheckShowsItsProgressAndThenTheNewestVersionMessage)
{
    CUpdateChecker* checker = NewChecker("/slow-same.xml", FALSE);
    CCheckRun run(*checker);
    HWND progress = WaitForDialog(run.ThreadId(), IDC_UPDATE_PROGRESS, 20000);
    ASSERT_TRUE(progress != NULL);
    EXPECT_EQ(CString(L"Lumivo"), WindowText(progress));
    EXPECT_EQ(CString(L"Checking for updates..."), ItemText(progress, IDC_UPDATE_TITLE));
    EXPECT_EQ(CString(L"Auto check for updates"), ItemText(progress, IDC_UPDATE_PROGRESS_AUTO));
    EXPECT_TRUE(IsChecked(progress, IDC_UPDATE_PROGRESS_AUTO));
    // The dialog's own timer moves the bar while the feed trickles in.
    HWND bar = GetDlgItem(progress, IDC_UPDATE_PROGRESS);
    EXPECT_EQ(100, (int)SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= 6; }, 5000));
    EXPECT_FALSE(SaveWindowScreenshot(L"toolkit", L"update-progress", progress).IsEmpty());

    ASSERT_TRUE(run.Join(30000));
    EXPECT_EQ(0, run.m_nResult);
    std::vector<RecordedBox> boxes = m_effects.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString(kUpdateNewestText), boxes[0].text);
    EXPECT_EQ(CString(L"Lumivo"), boxes[0].caption);
    // Shown from the check's thread: no owner there, so it must come to the front by itself.
    EXPECT_EQ(NULL, boxes[0].owner);
    EXPECT_TRUE(boxes[0].type & MB_SETFOREGROUND);
    EXPECT_TRUE(m_effects.Opened().empty());
}

TEST_F(UpdateCheckTest, ManualCheckThatFailsSaysSo)
{
    CUpdateChecker* checker = NewChecker("/missing.xml", FALSE);
    CCheckRun run(*checker);
    ASSERT_TRUE(run.Join(30000));
    EXPECT_EQ(-1, run.m_nResult);
    std::vector<RecordedBox> boxes = m_effects.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString(L"Failed to get update information!\nPlease try again later."), boxes[0].text);
    EXPECT_EQ(NULL, boxes[0].owner);
    EXPECT_TRUE(boxes[0].type & MB_SETFOREGROUND);
}

TEST_F(UpdateCheckTest, CancelledManualCheckEndsQuietly)
{
    CUpdateChecker* checker = NewChecker("/stall.xml", FALSE);
    m_host.m_autoCheck = FALSE;
    CCheckRun run(*checker);
    HWND progress = WaitForDialog(run.ThreadId(), IDC_UPDATE_PROGRESS, 20000);
    ASSERT_TRUE(progress != NULL);
    EXPECT_FALSE(IsChecked(progress, IDC_UPDATE_PROGRESS_AUTO));
    ASSERT_TRUE(m_server.WaitForRequests(1, 20000));
    // Ticking the box is kept when the dialog ends.
    SendMessageW(GetDlgItem(progress, IDC_UPDATE_PROGRESS_AUTO), BM_SETCHECK, BST_CHECKED, 0);
    PressButton(progress, IDCANCEL);
    // The transfer is broken off within the watch's second; the dialog waits for it.
    ASSERT_TRUE(run.Join(15000));
    EXPECT_EQ(-1, run.m_nResult);
    EXPECT_EQ(2, checker->m_nCancel);
    EXPECT_TRUE(m_effects.Boxes().empty());
    EXPECT_TRUE(m_effects.Opened().empty());
    EXPECT_TRUE(m_host.m_autoCheck);
    // The setting belongs to the thread that started the check, not to the check's own.
    EXPECT_EQ(GetCurrentThreadId(), m_host.m_autoCheckSetBy);
    EXPECT_FALSE(IsWindow(progress));
}

TEST_F(UpdateCheckTest, AutomaticCheckIsSilentUnlessThereIsANewVersion)
{
    for (const char* path : {"/same.xml", "/missing.xml"}) {
        CUpdateChecker* checker = NewChecker(path, TRUE);
        CCheckRun run(*checker);
        ASSERT_TRUE(run.Join(30000)) << path;
        EXPECT_NE(1, run.m_nResult) << path;
        EXPECT_TRUE(WaitForDialog(run.ThreadId(), IDC_UPDATE_PROGRESS, 0) == NULL);
    }
    EXPECT_TRUE(m_effects.Boxes().empty());
    EXPECT_TRUE(m_effects.Opened().empty());
}

TEST_F(UpdateCheckTest, NewVersionDialogDownloadsFromTheFeedsAddress)
{
    CUpdateChecker* checker = NewChecker("/newer.xml", TRUE);
    CCheckRun run(*checker);
    HWND news = WaitForDialog(run.ThreadId(), IDC_UPDATE_NEW_VERSION, 20000);
    ASSERT_TRUE(news != NULL);
    EXPECT_EQ(CString(L"Lumivo"), WindowText(news));
    EXPECT_EQ(CString(L"A newer version of Lumivo is available:"), ItemText(news, IDC_UPDATE_TITLE));
    EXPECT_EQ(CString(L"3.4.0"), ItemText(news, IDC_UPDATE_NEW_VERSION));
    EXPECT_EQ(CString(L"Your version is 3.3.0."), ItemText(news, IDC_UPDATE_YOUR_VERSION));
    EXPECT_EQ(CString(L"Learn more about the new version"), ItemText(news, IDC_UPDATE_LEARN_MORE));
    // The description's backslash-n is a line break, and its UTF-8 letters survive.
    EXPECT_EQ(CString(L"Faster thumbnails.\r\nA new player for \u00e9t\u00e9 clips."),
              ItemText(news, IDC_UPDATE_DESCRIPTION));
    EXPECT_EQ(2, (int)SendMessageW(GetDlgItem(news, IDC_UPDATE_DESCRIPTION), EM_GETLINECOUNT, 0, 0));
    EXPECT_TRUE(IsChecked(news, IDC_UPDATE_AUTO_CHECK));
    EXPECT_EQ(CString(L"Download New Version"), ItemText(news, IDOK));
    // The links are as wide as their texts.
    RECT version, more;
    GetWindowRect(GetDlgItem(news, IDC_UPDATE_NEW_VERSION), &version);
    GetWindowRect(GetDlgItem(news, IDC_UPDATE_LEARN_MORE), &more);
    EXPECT_LT(version.right - version.left, more.right - more.left);
    EXPECT_FALSE(SaveWindowScreenshot(L"toolkit", L"update-new-version", news).IsEmpty());

    // Both links open the product page, not the download.
    PressButton(news, IDC_UPDATE_NEW_VERSION);
    PressButton(news, IDC_UPDATE_LEARN_MORE);
    ASSERT_TRUE(PumpUntil([&] { return m_effects.Opened().size() == 2; }, 10000));
    // Unticking the box turns the automatic check off when the dialog closes.
    SendMessageW(GetDlgItem(news, IDC_UPDATE_AUTO_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
    PressButton(news, IDOK);
    ASSERT_TRUE(run.Join(20000));
    EXPECT_EQ(1, run.m_nResult);
    EXPECT_FALSE(m_host.m_autoCheck);
    EXPECT_EQ(GetCurrentThreadId(), m_host.m_autoCheckSetBy);
    std::vector<CString> opened = m_effects.Opened();
    ASSERT_EQ(3u, opened.size());
    EXPECT_EQ(m_host.GetProductPageUrl(), opened[0]);
    EXPECT_EQ(m_host.GetProductPageUrl(), opened[1]);
    EXPECT_EQ(CString(L"http://127.0.0.1:9/download/setup.exe"), opened[2]);
    EXPECT_TRUE(m_effects.Boxes().empty());
}

TEST_F(UpdateCheckTest, DownloadAddressThatIsNoWebAddressOpensTheProductPage)
{
    AddRoute("/local.xml", Feed("3.4.0", "file:///C:/Windows/System32/calc.exe"));
    CUpdateChecker* checker = NewChecker("/local.xml", TRUE);
    CCheckRun run(*checker);
    HWND news = WaitForDialog(run.ThreadId(), IDC_UPDATE_NEW_VERSION, 20000);
    ASSERT_TRUE(news != NULL);
    PressButton(news, IDOK);
    ASSERT_TRUE(run.Join(20000));
    std::vector<CString> opened = m_effects.Opened();
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(m_host.GetProductPageUrl(), opened[0]);
}

TEST_F(UpdateCheckTest, ConverterAnnouncesItselfAndCancelOpensNothing)
{
    m_host.m_product = L"Ravento";
    CUpdateChecker* checker = NewChecker("/slow-newer.xml", FALSE);
    CCheckRun run(*checker);
    HWND progress = WaitForDialog(run.ThreadId(), IDC_UPDATE_PROGRESS, 20000);
    ASSERT_TRUE(progress != NULL);
    EXPECT_EQ(CString(L"Ravento"), WindowText(progress));
    HWND news = WaitForDialog(run.ThreadId(), IDC_UPDATE_NEW_VERSION, 20000);
    ASSERT_TRUE(news != NULL);
    EXPECT_EQ(CString(L"Ravento"), WindowText(news));
    EXPECT_EQ(CString(L"A newer version of Ravento is available:"), ItemText(news, IDC_UPDATE_TITLE));
    EXPECT_FALSE(SaveWindowScreenshot(L"toolkit", L"update-new-version-ravento", news).IsEmpty());
    PressButton(news, IDCANCEL);
    ASSERT_TRUE(run.Join(20000));
    EXPECT_EQ(1, run.m_nResult);
    EXPECT_TRUE(Gone(news));
    EXPECT_TRUE(m_effects.Opened().empty());
    EXPECT_TRUE(m_effects.Boxes().empty());
    EXPECT_TRUE(m_host.m_autoCheck);
}

TEST_F(UpdateCheckTest, AutomaticStartAtProgramStartShowsTheNewVersion)
{
    // As the converter's dialog handles its start message when the last check was two days ago.
    m_host.m_product = L"Ravento";
    m_host.m_autoCheckDays = 1;
    m_host.m_lastCheck = _time64(NULL) - 2 * 86400;
    ASSERT_EQ(0, HandleStartUpdateCheck(0, 1));
    EXPECT_GT(m_host.m_lastCheck, _time64(NULL) - 60);
    // The check's thread is the framework's: find the dialog among all top-level windows.
    HWND news = NULL;
    ASSERT_TRUE(PumpUntil(
        [&] {
            news = FindWindowW(L"#32770", L"Ravento");
            return news && IsWindowVisible(news) && GetDlgItem(news, IDC_UPDATE_NEW_VERSION);
        },
        20000));
    EXPECT_EQ(CString(L"A newer version of Ravento is available:"), ItemText(news, IDC_UPDATE_TITLE));
    m_host.m_autoCheckSetBy = 0;
    PressButton(news, IDCANCEL);
    EXPECT_TRUE(Gone(news));
    // The dialog's setting reaches the host on the thread that started the check.
    EXPECT_TRUE(PumpUntil([&] { return m_host.m_autoCheckSetBy != 0; }, 10000));
    EXPECT_EQ(GetCurrentThreadId(), m_host.m_autoCheckSetBy);
    EXPECT_TRUE(m_effects.Boxes().empty());
    EXPECT_TRUE(m_effects.Opened().empty());
}
