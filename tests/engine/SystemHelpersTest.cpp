// The shared system helpers: texts, versions, paths and folders, temporary files, message waits
// and the shutdown path (always through a recorder, never the real power-off).
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolPaths.h"
#include "framework/App.h"
#include "framework/Effects.h"

using namespace enginetest;

namespace {

TEST(TextHelpers, AnsiConversionsRefuseNullAndCountTheTerminator)
{
    CStringA narrow("x");
    EXPECT_EQ(-1, WideToAnsi(nullptr, narrow));
    EXPECT_TRUE(narrow.IsEmpty());
    EXPECT_EQ(-1, WideToAnsi(L"", narrow));
    EXPECT_EQ(4, WideToAnsi(L"abc", narrow));
    EXPECT_STREQ("abc", narrow);

    CString wide(L"x");
    EXPECT_EQ(-1, AnsiToWide(nullptr, wide));
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_EQ(1, AnsiToWide("", wide));
    EXPECT_EQ(3, AnsiToWide("ab", wide));
    EXPECT_STREQ(L"ab", wide);
}

TEST(TextHelpers, GuidStringsAre32LowerCaseHexDigitsAndNew)
{
    CString a, b;
    ASSERT_EQ(0, NewGuidString(a));
    ASSERT_EQ(0, NewGuidString(b));
    EXPECT_EQ(32, a.GetLength());
    EXPECT_EQ(a.GetLength(), a.SpanIncluding(L"0123456789abcdef").GetLength()) << CStringA(a).GetString();
    EXPECT_STRNE(a, b);
}

TEST(TextHelpers, GroupedNumbersFollowTheLocale)
{
    CString sep = GetLocaleString(LOCALE_STHOUSAND, L",");
    ASSERT_EQ(3, GetLocaleGrouping(0)) << "the test expects groups of three";
    EXPECT_STREQ(L"0", FormatInt64Grouped(0));
    EXPECT_STREQ(L"1" + sep + L"234" + sep + L"567", FormatInt64Grouped(1234567));
    EXPECT_STREQ(L"999", FormatInt64Grouped(999));
    EXPECT_STREQ(L"9" + sep + L"223" + sep + L"372" + sep + L"036" + sep + L"854" + sep + L"775" + sep + L"807",
                 FormatInt64Grouped(9223372036854775807LL));
    EXPECT_STREQ(L"not a number", FormatNumberString(L"not a number"));   // the text itself on failure
    EXPECT_EQ(-7, GetLocaleInt((LCTYPE)0x7FFFFFFF, -7));
    EXPECT_STREQ(L"dflt", GetLocaleString((LCTYPE)0x7FFFFFFF, L"dflt"));
}

struct VersionCase {
    const wchar_t* text;
    int result;
    int parts[3];
};

const VersionCase kVersionCases[] = {
    {L"3.3.0", 0, {3, 3, 0}},
    {L" 3 . 10 . 2 ", 0, {3, 10, 2}},
    {L"3.x.0", 0, {3, -1, 0}},
    {L"1.2.3.4", 0, {1, 2, 3}},
    {L"1..3", 0, {1, 0, 3}},
    {L"3.1", -1, {0, 0, 0}},
    {L"", -1, {0, 0, 0}},
    {L"abc", -1, {0, 0, 0}},
};

TEST(Versions, ParseTable)
{
    for (const VersionCase& c : kVersionCases) {
        int parts[3] = {0, 0, 0};
        EXPECT_EQ(c.result, ParseVersion(c.text, parts)) << CStringA(c.text).GetString();
        if (c.result != 0)
            continue;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.parts[i], parts[i]) << CStringA(c.text).GetString() << " part " << i;
    }
}

TEST(Versions, CompareAsNumbers)
{
    EXPECT_EQ(-1, CompareVersions(L"3.3.0", L"3.10.0"));
    EXPECT_EQ(1, CompareVersions(L"3.10.0", L"3.3.0"));
    EXPECT_EQ(0, CompareVersions(L"3.3.0", L" 3.3.0 "));
    EXPECT_EQ(1, CompareVersions(L"4.0.0", L"3.99.99"));
    EXPECT_EQ(-1, CompareVersions(L"3.3.0", L"3.3.1"));
    EXPECT_EQ(0, CompareVersions(L"garbage", L"0.0.0"));
    EXPECT_EQ(1, CompareVersions(L"0.0.1", L"garbage"));
    EXPECT_EQ(-1, CompareVersions(L"3.x.0", L"3.0.0"));
}

TEST(PathHelpers, TitlesExtensionsAndParents)
{
    EXPECT_STREQ(L"c.d", GetFileTitle(L"C:\\a.b\\c.d.mp4"));
    EXPECT_STREQ(L"noext", GetFileTitle(L"C:\\a.b\\noext"));
    EXPECT_STREQ(L"name", GetFileTitle(L"name.mp4"));
    EXPECT_STREQ(L"x", GetFileTitle(L"D:x.avi"));
    EXPECT_STREQ(L"", GetFileTitle(L"C:\\a\\"));

    EXPECT_STREQ(L"C:\\a b\\c.mp4", RenameExtension(L"C:\\a b\\c.avi", L".mp4"));
    EXPECT_STREQ(L"C:\\a.b\\c.mp4", RenameExtension(L"C:\\a.b\\c", L".mp4"));

    EXPECT_STREQ(L"C:\\a b", GetParentFolder(L"C:\\a b\\c.mp4"));
    EXPECT_STREQ(L"C:\\", GetParentFolder(L"C:\\a"));
    EXPECT_STREQ(L"", GetParentFolder(L"c.mp4"));
    EXPECT_STREQ(L"", GetParentFolder(L"C:\\"));
    EXPECT_STREQ(L"", GetParentFolder(L""));
}

TEST(PathHelpers, FolderChainsSizesAndLongPaths)
{
    CString root = MakeAwkwardFolder(L"paths");
    ASSERT_FALSE(root.IsEmpty());
    CString deep = root + L"\\one \u00e9\\two (2)\\three & 3";
    EXPECT_EQ(1, CreateFolderChain(deep));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(deep));
    EXPECT_EQ(1, CreateFolderChain(deep));   // already there

    CString file = root + L"\\a file.bin";
    ASSERT_TRUE(WriteUtf8File(file, L"12345"));
    EXPECT_EQ(5, GetFileSize64(file));
    EXPECT_EQ(-1, GetFileSize64(root + L"\\missing.bin"));
    EXPECT_EQ(-1, GetFileSize64(root + L"\\*.bin"));
    EXPECT_EQ(0, CreateFolderChain(file + L"\\below a file"));

    EXPECT_STREQ(file, GetLongPath(GetShortPath(file)));
    EXPECT_STREQ(L"", GetLongPath(root + L"\\missing.bin"));

    EXPECT_TRUE(IsExistingFilePath(file));
    EXPECT_FALSE(IsExistingFilePath(root));
    EXPECT_FALSE(IsExistingFilePath(L"a file.bin"));

    EXPECT_TRUE(IsExistingFile(file));
    EXPECT_FALSE(IsExistingFile(root)) << "a folder is no file";
    EXPECT_FALSE(IsExistingFile(root + L"\\missing.bin"));
    EXPECT_TRUE(IsExistingFolder(deep));
    EXPECT_FALSE(IsExistingFolder(file)) << "a file is no folder";
    EXPECT_FALSE(IsExistingFolder(root + L"\\missing"));
    // An empty path is no path, not the current folder.
    for (LPCWSTR nothing : {static_cast<LPCWSTR>(nullptr), L""}) {
        EXPECT_FALSE(IsExistingFile(nothing));
        EXPECT_FALSE(IsExistingFolder(nothing));
    }

    EXPECT_STREQ(file, ToolPath(root, L"a file.bin"));
    EXPECT_STREQ(L"missing.exe", ToolPath(root, L"missing.exe")) << "left to the system's search";
    EXPECT_STREQ(L"one \u00e9", ToolPath(root, L"one \u00e9")) << "a folder is no tool";
}

// Whether a file is there is one replaceable question, so that a test can count who asks it.
struct PathQuestions {
    static std::vector<CString> asked;
    static BOOL WINAPI Answer(LPCWSTR path)
    {
        asked.push_back(path);
        return path[0] == L'Y';
    }
};
std::vector<CString> PathQuestions::asked;

TEST(PathHelpers, WhetherAFileIsThereIsOneQuestionATestMayAnswer)
{
    wchar_t windows[MAX_PATH] = L"";
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(PathExists(windows));
    EXPECT_FALSE(PathExists(CString(windows) + L"\\no such file here.mp4"));

    PathQuestions::asked.clear();
    PathExistsFn previous = SetPathExistsQuestionForTests(&PathQuestions::Answer);
    EXPECT_TRUE(PathExists(L"Y:\\clip.mp4"));
    EXPECT_FALSE(PathExists(windows));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_FALSE(PathExists(nullptr));
    EXPECT_EQ(&PathQuestions::Answer, SetPathExistsQuestionForTests(previous));
    EXPECT_EQ((std::vector<CString>{L"Y:\\clip.mp4", windows}), PathQuestions::asked) << "nothing is asked of no path";
    EXPECT_TRUE(PathExists(windows)) << "the system answers again";
}

TEST(TextHelpers, TheSystemsReasonForAnErrorReadsAsOneText)
{
    for (DWORD error : {(DWORD)ERROR_ACCESS_DENIED, (DWORD)ERROR_PATH_NOT_FOUND, (DWORD)ERROR_DISK_FULL}) {
        CString text = GetSystemErrorText(error);
        ASSERT_FALSE(text.IsEmpty()) << error;
        EXPECT_NE(L'\n', text[text.GetLength() - 1]) << error;
        EXPECT_NE(L'\r', text[text.GetLength() - 1]) << error;
        EXPECT_EQ(-1, text.Find(L"Error ")) << "the system has a text for " << error;
    }
    EXPECT_STRNE(GetSystemErrorText(ERROR_ACCESS_DENIED), GetSystemErrorText(ERROR_PATH_NOT_FOUND));
    EXPECT_STREQ(L"Error 536936447", GetSystemErrorText(0x2000FFFF)) << "a code the system has no text for";
}

TEST(PathHelpers, ProgramAndDataFolders)
{
    CString module = GetModulePath();
    EXPECT_STREQ(L"engine_tests", GetFileTitle(module));
    ASSERT_EQ(nullptr, AfxGetApp());
    EXPECT_STREQ(GetParentFolder(module), GetAppFolder());

    CString data = GetUserDataFolder();
    CString tail = L"\\Tarvelo Software\\engine_tests";
    EXPECT_STREQ(tail, data.Right(tail.GetLength()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(data));

    wchar_t temp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, temp);
    CString path = GetTempFilePath();
    EXPECT_STREQ(temp, path.Left((int)wcslen(temp)));
    EXPECT_EQ((int)wcslen(temp) + 32, path.GetLength());
}

TEST(PathHelpers, TheApplicationObjectNamesTheFoldersAndMayMoveTheAppFolder)
{
    CString moduleFolder = GetParentFolder(GetModulePath());
    {
        // '|' cannot be in a folder name: the data folder falls back to the application folder.
        CWinApp app(L"bad|name");
        ASSERT_EQ(&app, AfxGetApp());
        EXPECT_STREQ(moduleFolder, GetAppFolder());
        EXPECT_STREQ(GetAppFolder(), GetUserDataFolder());

        app.SetRegistryKey(L"Tarvelo Software Engine Test");
        ASSERT_TRUE(app.WriteProfileString(L"", L"AppFolder", L"C:\\Elsewhere \u00e9"));
        EXPECT_STREQ(L"C:\\Elsewhere \u00e9", GetAppFolder());
        EXPECT_STREQ(L"C:\\Elsewhere \u00e9", GetUserDataFolder());
        CRegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\Tarvelo Software Engine Test");
    }
    EXPECT_EQ(nullptr, AfxGetApp());
}

TEST(PathHelpers, ShellDeleteAndSystemImageLists)
{
    CString root = MakeAwkwardFolder(L"shell");
    ASSERT_FALSE(root.IsEmpty());
    CString file = root + L"\\gone (1).txt";
    ASSERT_TRUE(WriteUtf8File(file, L"x"));
    EXPECT_EQ(1, DeleteToRecycleBin(file, FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI, nullptr));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file));

    HIMAGELIST small = nullptr;
    {
        CSystemImageLists lists;
        EXPECT_EQ(1, lists.Init());
        small = lists.GetSmallList();
        EXPECT_NE(nullptr, small);
        EXPECT_NE(nullptr, lists.GetLargeList());
    }
    // The shell's list outlives our wrapper: it was detached, not destroyed.
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_GT(cx, 0);
}

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeAwkwardFolder(L"temp");
        ASSERT_FALSE(m_folder.IsEmpty());
        m_path = m_folder + L"\\held.tmp";
        ASSERT_TRUE(WriteUtf8File(m_path, L"x"));
    }
    void TearDown() override { CTempFile::SetDefaultRetryBudgetForTests(30000); }
    bool Exists() const { return GetFileAttributesW(m_path) != INVALID_FILE_ATTRIBUTES; }

    // Holds the file open without delete sharing for 'ms', from another thread.
    void HoldFor(DWORD ms)
    {
        m_held.Attach(CreateFileW(m_path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(m_held.IsValid());
        m_releaser.reset(new CPumpedThread([this, ms] {
            Sleep(ms);
            m_held.Close();
        }));
    }

    CString m_folder, m_path;
    CHandle m_held;
    std::unique_ptr<CPumpedThread> m_releaser;
};

TEST_F(TempFiles, AFileHeldOpenIsDeletedOnALaterRetry)
{
    CTempFile::SetDefaultRetryBudgetForTests(5000);
    HoldFor(600);
    DWORD start = GetTickCount();
    { CTempFile file(m_path, TRUE, TRUE); }
    EXPECT_GE(GetTickCount() - start, 400u) << "deleted while still held";
    EXPECT_FALSE(Exists());
}

TEST_F(TempFiles, AFileHeldLongerThanTheBudgetIsLeftBehind)
{
    CTempFile::SetDefaultRetryBudgetForTests(300);
    HoldFor(1500);
    { CTempFile file(m_path, TRUE, TRUE); }
    EXPECT_TRUE(Exists());
    ASSERT_TRUE(m_releaser->Join(5000));
    EXPECT_TRUE(DeleteFileW(m_path));
}

TEST_F(TempFiles, WithoutRetryOneAttemptWithoutDeleteNone)
{
    HoldFor(400);
    { CTempFile file(m_path, TRUE, FALSE); }
    EXPECT_TRUE(Exists());
    ASSERT_TRUE(m_releaser->Join(5000));
    { CTempFile file(m_path, FALSE, TRUE); }
    EXPECT_TRUE(Exists());
    { CTempFile file(m_path, TRUE, FALSE); }
    EXPECT_FALSE(Exists());
}

// A window that counts what it dispatches and answers kAsk with 42.
class MessageWaits : public ::testing::Test {
protected:
    static const UINT kAsk = WM_APP + 1, kOther = WM_APP + 2, kSent = WM_APP + 3;
    MessageWaits()
        : m_window(WS_POPUP, 0, 0, 10, 10, [this](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
              if (msg == kAsk) { ++m_asked; result = 42; return true; }
              if (msg == kSent) { ++m_sent; result = 0; return true; }
              return false;
          })
    {
    }
    void TearDown() override
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    void PostLater(DWORD ms, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        HWND hwnd = m_window.Get();
        m_poster.reset(new CPumpedThread([=] {
            Sleep(ms);
            PostMessageW(hwnd, msg, wParam, lParam);
        }));
    }

    int m_asked = 0, m_sent = 0;
    CTestWindow m_window;
    std::unique_ptr<CPumpedThread> m_poster;
};

TEST_F(MessageWaits, ReturnsTheDispatchResultAndLeavesOtherMessagesQueued)
{
    PostMessageW(m_window.Get(), kOther, 0, 0);
    PostLater(100, kAsk);
    EXPECT_EQ(42, PumpUntilMessage(m_window.Get(), kAsk));
    EXPECT_EQ(1, m_asked);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, m_window.Get(), kOther, kOther, PM_REMOVE));
}

TEST_F(MessageWaits, MessagesSentFromOtherThreadsAreDeliveredMeanwhile)
{
    HWND hwnd = m_window.Get();
    CPumpedThread sender([hwnd] {
        Sleep(50);
        SendMessageW(hwnd, kSent, 0, 0);
        PostMessageW(hwnd, kAsk, 0, 0);
    });
    EXPECT_EQ(42, PumpUntilMessage(hwnd, kAsk));
    EXPECT_EQ(1, m_sent);
}

TEST_F(MessageWaits, AQuitMetOnTheWayIsPostedAgain)
{
    PostLater(200, kAsk);
    PostQuitMessage(7);
    EXPECT_EQ(42, PumpUntilMessage(m_window.Get(), kAsk));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was swallowed";
    EXPECT_EQ(7u, msg.wParam);

    PostLater(200, kAsk, 5, 0);   // first: replacing the poster pumps this thread's queue
    PostQuitMessage(8);
    EXPECT_EQ(5u, PumpUntilMessageEx(m_window.Get(), kAsk, 5, 0));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(8u, msg.wParam);
}

TEST_F(MessageWaits, ExMatchesTheGivenParameters)
{
    HWND hwnd = m_window.Get();
    PostMessageW(hwnd, kAsk, 1, 0);
    PostMessageW(hwnd, kAsk, 2, 5);
    PostMessageW(hwnd, kAsk, 2, 6);
    EXPECT_EQ(2u, PumpUntilMessageEx(hwnd, kAsk, 2, 6));
    EXPECT_EQ(3, m_asked);   // the ones that did not match were dispatched too

    PostMessageW(hwnd, kAsk, 4, 9);
    PostMessageW(hwnd, kAsk, 3, 9);
    EXPECT_EQ(3u, PumpUntilMessageEx(hwnd, kAsk, 3, 0));
    EXPECT_EQ(5, m_asked);

    PostMessageW(hwnd, kAsk, 7, 1);
    PostMessageW(hwnd, kAsk, 7, 2);
    PostMessageW(hwnd, kAsk, 8, 3);
    EXPECT_EQ(0u, PumpUntilMessageEx(hwnd, kAsk, 0, 2));
    EXPECT_EQ(7, m_asked);
    EXPECT_EQ(0u, PumpUntilMessageEx(hwnd, kAsk, 0, 0));   // neither given: the next one
    EXPECT_EQ(8, m_asked);
}

TEST_F(MessageWaits, AWindowThatIsGoneEndsTheWait)
{
    HWND hwnd = m_window.Get();
    CPumpedThread closer([hwnd] {
        Sleep(100);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
    });
    DWORD start = GetTickCount();
    EXPECT_EQ(0, PumpUntilMessage(hwnd, kAsk));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0u, PumpUntilMessageEx(hwnd, kAsk, 1, 1));
}

// Records power-off calls; the real one would end every process of the Wine prefix.
UINT g_powerFlags = 0;
int g_powerCalls = 0;
BOOL WINAPI RecordPowerOff(UINT flags, DWORD)
{
    g_powerFlags = flags;
    ++g_powerCalls;
    return TRUE;
}

LPCWSTR g_shellVerb = nullptr;
CString g_shellFile;
HINSTANCE WINAPI RecordShellOpen(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_shellVerb = verb;
    g_shellFile = file;
    return (HINSTANCE)33;
}

TEST(SystemCalls, PowerOffGoesThroughTheReplaceableFunction)
{
    FwExitWindowsFn previous = FwSetExitWindowsFunction(RecordPowerOff);
    ASSERT_EQ(RecordPowerOff, FwSetExitWindowsFunction(RecordPowerOff)) << "the recorder is not in place";
    g_powerCalls = 0;
    int result = PowerOffComputer();
    FwSetExitWindowsFunction(previous);
    ASSERT_EQ(1, g_powerCalls);
    EXPECT_EQ(12u, g_powerFlags);   // EWX_POWEROFF | EWX_FORCE
    EXPECT_EQ(1, result);
}

TEST(SystemCalls, MailLinksAreEscaped)
{
    FwShellExecuteFn previous = FwSetShellExecuteFunction(RecordShellOpen);
    SendMailTo(L"a@b.c", L"About Lumivo 3.3.0", L"x & y = 50%\nz");
    FwSetShellExecuteFunction(previous);
    EXPECT_STREQ(L"Open", g_shellVerb);
    EXPECT_STREQ(L"mailto:a@b.c?subject=About%20Lumivo%203.3.0&body=x%20%26%20y%20%3D%2050%25%0Az", g_shellFile);
}

TEST(SystemCalls, MessageFilterAndOsVersion)
{
    int allowed = AllowCopyDataMessages();
    EXPECT_TRUE(allowed == 0 || allowed == 1) << allowed;
    COsVersion os;
    EXPECT_EQ(0, os.m_nFilled);
    EXPECT_EQ(1, os.Init());
    EXPECT_EQ(1, os.m_nFilled);
    EXPECT_TRUE(os.IsVistaOrLater()) << os.m_info.dwMajorVersion;

    int scheme = -1, port = -1;
    CString host, path;
    ASSERT_EQ(0, SplitUrl(L"http://example.com:8080/feed/update.xml?x=1", scheme, host, path, port));
    EXPECT_EQ(INTERNET_SCHEME_HTTP, scheme);
    EXPECT_STREQ(L"example.com", host);
    EXPECT_EQ(8080, port);
    EXPECT_EQ(0, path.Find(L"/feed/update.xml"));
    EXPECT_EQ(-1, SplitUrl(L"not a url", scheme, host, path, port));
    EXPECT_EQ(0, scheme);
    EXPECT_EQ(0, port);
    EXPECT_TRUE(host.IsEmpty());
}

}  // namespace
