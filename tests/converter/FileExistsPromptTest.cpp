// The "Rename, Overwrite, or Cancel?" prompt run as the conversion worker runs it: modally, on a
// thread of its own, without an owner; driven from the test thread by its buttons and keys.
#include <gtest/gtest.h>

#include <string>

#include "ConverterTestSupport.h"
#include "conversion/ConvertHost.h"
#include "conversion/OutputNaming.h"
#include "converter/app/ConverterResource.h"
#include "converter/dialogs/FileExistsDialog.h"

using namespace convertertest;

namespace {

const wchar_t kCaption[] = L"Rename, Overwrite, or Cancel?";

class FileExistsPrompt : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        m_folder = MakeAwkwardFolder(L"prompt");
        ASSERT_TRUE(TouchFile(m_folder + L"\\clip.mp4"));
    }
    void TearDown() override { m_app.reset(); }

    // Asks on a worker thread, hands the shown prompt to 'drive', and waits for the answer.
    int Ask(const std::function<void(HWND)>& drive, const CString& title = L"clip")
    {
        m_answer = -100;
        m_newName = L"<untouched>";
        m_workerThread = 0;
        CPumpedThread worker([this, &title] {
            m_workerThread = GetCurrentThreadId();
            m_answer = m_app->Environment()->AskFileExists(m_folder, title, L".mp4", m_newName);
        });
        HWND prompt = WaitForWindow(kCaption);
        EXPECT_TRUE(prompt != nullptr);
        if (prompt) {
            EXPECT_EQ(m_workerThread, GetWindowThreadProcessId(prompt, nullptr));
            EXPECT_EQ(nullptr, GetWindow(prompt, GW_OWNER));
            drive(prompt);
        }
        EXPECT_TRUE(worker.Join(20000));
        return m_answer;
    }

    static HWND Item(HWND prompt, int id) { return GetDlgItem(prompt, id); }
    static void Click(HWND prompt, int id) { SendMessageW(Item(prompt, id), BM_CLICK, 0, 0); }
    static void Tick(HWND prompt, int id) { SendMessageW(Item(prompt, id), BM_SETCHECK, BST_CHECKED, 0); }
    static void Key(HWND prompt, UINT vk)
    {
        HWND edit = Item(prompt, IDC_FILE_EXISTS_NEW_NAME);
        PostMessageW(edit, WM_KEYDOWN, vk, 1);
        PostMessageW(edit, WM_KEYUP, vk, 0xC0000001);
    }

    std::unique_ptr<CConverterTestApp> m_app;
    CString m_folder;
    volatile int m_answer = 0;
    CString m_newName;
    volatile DWORD m_workerThread = 0;
};

}  // namespace

TEST_F(FileExistsPrompt, SuggestsTheFirstFreeNumberedNameWithItsNumberSelected)
{
    ASSERT_TRUE(TouchFile(m_folder + L"\\clip (1).mp4"));
    const int answer = Ask([&](HWND prompt) {
        HWND edit = Item(prompt, IDC_FILE_EXISTS_NEW_NAME);
        EXPECT_STREQ(L"clip (2)", WindowText(edit));
        EXPECT_STREQ(L"clip.mp4", WindowText(Item(prompt, IDC_FILE_EXISTS_NAME)));
        EXPECT_STREQ(kCaption, WindowText(prompt));
        // The " (2)" and the blank before it, once the posted selection has been taken.
        DWORD start = 0, end = 0;
        EXPECT_TRUE(WaitUntil(
            [&] {
                SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
                return start == 4 && end == 8;
            },
            10000))
            << start << ".." << end;
        // The name takes the focus first.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof(gui);
        EXPECT_TRUE(GetGUIThreadInfo(m_workerThread, &gui));
        EXPECT_EQ(edit, gui.hwndFocus);
        EXPECT_TRUE(SendMessageW(Item(prompt, IDC_FILE_EXISTS_ICON), STM_GETICON, 0, 0) != 0);
        EXPECT_EQ((HFONT)m_app->Environment()->boldFont.GetSafeHandle(),
                  (HFONT)SendMessageW(Item(prompt, IDC_FILE_EXISTS_LABEL), WM_GETFONT, 0, 0));
        // The default AutoSelect (0xFFFF) has the countdown ticked.
        EXPECT_EQ(BST_CHECKED, (int)SendMessageW(Item(prompt, IDC_AUTO_CLOSE), BM_GETCHECK, 0, 0));
        EXPECT_FALSE(Shot(L"file-exists-prompt", prompt).IsEmpty());
        Click(prompt, IDC_FILE_EXISTS_RENAME);
    });
    EXPECT_EQ(FILE_EXISTS_RENAME, answer);
    EXPECT_STREQ(L"clip (2)", m_newName);
}

// A title as long as a name may be is cut in the suggestion, so that the name with its number is
// still one the file system takes; the number is what is selected.
TEST_F(FileExistsPrompt, TheSuggestionForALongTitleIsCutToANamesLimitAndItsNumberSelected)
{
    const CString title = std::wstring(251, L'a').c_str();
    ASSERT_TRUE(TouchFile(m_folder + L"\\" + title + L".mp4"));
    const CString suggestion = title.Left(247) + L" (1)";
    const int answer = Ask(
        [&](HWND prompt) {
            HWND edit = Item(prompt, IDC_FILE_EXISTS_NEW_NAME);
            EXPECT_STREQ(suggestion, WindowText(edit));
            DWORD start = 0, end = 0;
            EXPECT_TRUE(WaitUntil(
                [&] {
                    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
                    return start == 247 && end == 251;
                },
                10000))
                << start << ".." << end;
            Click(prompt, IDC_FILE_EXISTS_RENAME);
        },
        title);
    EXPECT_EQ(FILE_EXISTS_RENAME, answer);
    EXPECT_STREQ(suggestion, m_newName);
}

TEST_F(FileExistsPrompt, ButtonsAnswerOneTwoThreeAndTenMoreWhenTheActionIsKept)
{
    EXPECT_EQ(FILE_EXISTS_OVERWRITE, Ask([](HWND p) { Click(p, IDC_FILE_EXISTS_OVERWRITE); }));
    EXPECT_STREQ(L"<untouched>", m_newName);
    EXPECT_EQ(FILE_EXISTS_SKIP, Ask([](HWND p) { Click(p, IDCANCEL); }));
    EXPECT_EQ(FILE_EXISTS_OVERWRITE_ALL, Ask([](HWND p) {
                  Tick(p, IDC_FILE_EXISTS_REMEMBER);
                  Click(p, IDC_FILE_EXISTS_OVERWRITE);
              }));
    EXPECT_EQ(FILE_EXISTS_SKIP_ALL, Ask([](HWND p) {
                  Tick(p, IDC_FILE_EXISTS_REMEMBER);
                  Click(p, IDCANCEL);
              }));
    EXPECT_EQ(FILE_EXISTS_RENAME_ALL, Ask([](HWND p) {
                  SetWindowTextW(Item(p, IDC_FILE_EXISTS_NEW_NAME), L"renamed é & (x)");
                  Tick(p, IDC_FILE_EXISTS_REMEMBER);
                  Click(p, IDC_FILE_EXISTS_RENAME);
              }));
    EXPECT_STREQ(L"renamed é & (x)", m_newName);
    // An empty name is handed on as it is.
    EXPECT_EQ(FILE_EXISTS_RENAME, Ask([](HWND p) {
                  SetWindowTextW(Item(p, IDC_FILE_EXISTS_NEW_NAME), L"");
                  Click(p, IDC_FILE_EXISTS_RENAME);
              }));
    EXPECT_STREQ(L"", m_newName);
}

TEST_F(FileExistsPrompt, EscapeAndTheCloseBoxCancelAndNeverOverwrite)
{
    EXPECT_EQ(FILE_EXISTS_SKIP, Ask([](HWND p) { Key(p, VK_ESCAPE); }));
    EXPECT_EQ(FILE_EXISTS_SKIP, Ask([](HWND p) { PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0); }));
    EXPECT_EQ(FILE_EXISTS_SKIP, Ask([](HWND p) { PostMessageW(p, WM_CLOSE, 0, 0); }));
    EXPECT_EQ(FILE_EXISTS_SKIP_ALL, Ask([](HWND p) {
                  Tick(p, IDC_FILE_EXISTS_REMEMBER);
                  Key(p, VK_ESCAPE);
              }));
    // Enter, with the focus in the name, is the default button: Rename.
    EXPECT_EQ(FILE_EXISTS_RENAME, Ask([](HWND p) { Key(p, VK_RETURN); }));
    EXPECT_STREQ(L"clip (1)", m_newName);
    EXPECT_EQ(FILE_EXISTS_RENAME_ALL, Ask([](HWND p) {
                  Tick(p, IDC_FILE_EXISTS_REMEMBER);
                  Key(p, VK_RETURN);
              }));
}

TEST_F(FileExistsPrompt, TheCountdownRenamesAtZeroWhateverTheKeepBoxShows)
{
    const int answer = Ask([](HWND p) {
        Tick(p, IDC_FILE_EXISTS_REMEMBER);
        for (int i = 0; i < 3; ++i)
            SendMessageW(p, WM_TIMER, CAutoCloseDialog::kCountdownTimer, 0);
        EXPECT_STREQ(L"Auto close in 00:17", WindowText(Item(p, IDC_AUTO_CLOSE)));
        for (int i = 0; i < 17; ++i)
            PostMessageW(p, WM_TIMER, CAutoCloseDialog::kCountdownTimer, 0);
    });
    EXPECT_EQ(FILE_EXISTS_RENAME, answer);
    EXPECT_STREQ(L"clip (1)", m_newName);
}

TEST_F(FileExistsPrompt, TheRealTimerCountsAndTheBoxStartsAndStopsIt)
{
    const int answer = Ask([](HWND p) {
        HWND box = Item(p, IDC_AUTO_CLOSE);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(box) == L"Auto close in 00:19"; }, 10000))
            << CStringA(WindowText(box)).GetString();
        // Unticked, the count stands still; ticked again it goes on from there.
        Click(p, IDC_AUTO_CLOSE);
        EXPECT_EQ(BST_UNCHECKED, (int)SendMessageW(box, BM_GETCHECK, 0, 0));
        const CString stopped = WindowText(box);
        SendMessageW(p, WM_TIMER, CAutoCloseDialog::kCountdownTimer, 0);
        Sleep(1300);
        PumpPending();
        EXPECT_STREQ(stopped, WindowText(box));
        Click(p, IDC_AUTO_CLOSE);
        const int before = _wtoi(stopped.Mid(stopped.GetLength() - 2));
        CString expected;
        expected.Format(L"Auto close in 00:%02d", before - 1);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(box) == expected; }, 10000))
            << CStringA(WindowText(box)).GetString();
        Click(p, IDC_AUTO_CLOSE);
        Click(p, IDC_FILE_EXISTS_OVERWRITE);
    });
    EXPECT_EQ(FILE_EXISTS_OVERWRITE, answer);
    // The box was left unticked: bit 0 of AutoSelect follows it, the other bits stay.
    EXPECT_EQ(0xFFFE, m_app->Settings().autoSelect);
}

TEST_F(FileExistsPrompt, WithoutTheAutoSelectBitNoCountRunsUntilTheBoxIsTicked)
{
    m_app->Settings().autoSelect = 0x10;
    const int answer = Ask([](HWND p) {
        HWND box = Item(p, IDC_AUTO_CLOSE);
        EXPECT_EQ(BST_UNCHECKED, (int)SendMessageW(box, BM_GETCHECK, 0, 0));
        // A timer message while the count is off changes nothing.
        SendMessageW(p, WM_TIMER, CAutoCloseDialog::kCountdownTimer, 0);
        EXPECT_STREQ(L"Auto close in 0:20", WindowText(box));
        Click(p, IDC_AUTO_CLOSE);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(box) == L"Auto close in 00:19"; }, 10000));
        Click(p, IDCANCEL);
    });
    EXPECT_EQ(FILE_EXISTS_SKIP, answer);
    EXPECT_EQ(0x11, m_app->Settings().autoSelect);
}

TEST_F(FileExistsPrompt, TheExistingFileCheckAsksAgainAfterARenameToATakenName)
{
    ASSERT_TRUE(TouchFile(m_folder + L"\\taken.mp4"));
    CString path = m_folder + L"\\clip.mp4";
    int answer = FILE_EXISTS_ASK;
    int result = -1;
    CPumpedThread worker([&] { result = CheckExistingFile(path, answer); });
    HWND first = WaitForWindow(kCaption);
    ASSERT_TRUE(first != nullptr);
    SetWindowTextW(Item(first, IDC_FILE_EXISTS_NEW_NAME), L"taken");
    Click(first, IDC_FILE_EXISTS_RENAME);
    // The second prompt still names the file first found.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }, 10000));
    HWND second = WaitForWindow(kCaption);
    ASSERT_TRUE(second != nullptr);
    EXPECT_STREQ(L"clip.mp4", WindowText(Item(second, IDC_FILE_EXISTS_NAME)));
    SetWindowTextW(Item(second, IDC_FILE_EXISTS_NEW_NAME), L"free");
    Click(second, IDC_FILE_EXISTS_RENAME);
    ASSERT_TRUE(worker.Join(20000));
    EXPECT_EQ(1, result);
    EXPECT_EQ(FILE_EXISTS_RENAME, answer);
    EXPECT_STREQ(m_folder + L"\\free.mp4", path);

    // Escape there is a skip: the runner then leaves the file alone.
    path = m_folder + L"\\clip.mp4";
    answer = FILE_EXISTS_ASK;
    CPumpedThread escaping([&] { result = CheckExistingFile(path, answer); });
    HWND third = WaitForWindow(kCaption);
    ASSERT_TRUE(third != nullptr);
    Key(third, VK_ESCAPE);
    ASSERT_TRUE(escaping.Join(20000));
    EXPECT_EQ(FILE_EXISTS_SKIP, answer);
    EXPECT_STREQ(m_folder + L"\\clip.mp4", path);
}

TEST(FileExistsAnswers, APromptThatCouldNotRunAnswersNothingAndIsTakenAsSkip)
{
    for (INT_PTR r : {1, 2, 3, 11, 12, 13})
        EXPECT_EQ((int)r, FileExistsAnswerFromResult(r));
    for (INT_PTR r : {-1, 0, 4, 10, 14, (int)IDABORT + 100})
        EXPECT_EQ(FILE_EXISTS_NOT_SHOWN, FileExistsAnswerFromResult(r));
}
