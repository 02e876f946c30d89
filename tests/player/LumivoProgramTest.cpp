// Lumivo.exe as a user starts it, from an application folder with the real tools: with files,
// with a folder and with nothing (the last playlist), the playlist file type registered at every
// start, and its end, which keeps the playlist and the settings; and the command line's paths.
#include <gtest/gtest.h>

#include "PlayerUiTestSupport.h"
#include "engine/SystemHelpers.h"
#include "player/app/PlayerApp.h"
#include "player/app/PlayerResource.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "player/settings/FileTypeAssoc.h"
#include "tests/common/Screenshot.h"

using namespace playertest;

namespace {

const wchar_t kProgramKey[] = L"Software\\Tarvelo Software\\Lumivo";

TEST(PlayerCommandLine, PathsAreMadeWholeAndAddressesKeptAsGiven)
{
    CString folder = MakeAwkwardFolder(L"command-line");
    CString file = folder + L"\\clip.mp4";
    ASSERT_TRUE(WriteUtf8File(file, L"x"));
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(folder);

    CPlayerCommandLineInfo info;
    info.ParseParam(L"x", TRUE, FALSE);
    info.ParseParam(L"clip.mp4", FALSE, FALSE);
    info.ParseParam(L"http://example.com/a b.mp4", FALSE, FALSE);
    info.ParseParam(L"missing.mp4", FALSE, TRUE);
    SetCurrentDirectoryW(current);

    ASSERT_EQ(3, (int)info.paths.GetSize()) << "flags are no paths";
    EXPECT_EQ(0, info.paths[0].CompareNoCase(GetLongPath(file))) << CStringA(info.paths[0]).GetString();
    EXPECT_STREQ(L"http://example.com/a b.mp4", info.paths[1]) << "an address stays as it is";
    EXPECT_EQ(0, info.paths[2].CompareNoCase(folder + L"\\missing.mp4")) << "a missing file stays, made absolute";
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);

    CPlayerCommandLineInfo flagsOnly;
    flagsOnly.ParseParam(L"y", TRUE, TRUE);
    EXPECT_EQ(CCommandLineInfo::FileNew, flagsOnly.m_nShellCommand);
    EXPECT_EQ(0, (int)flagsOnly.paths.GetSize());
}

// One run of the program: started with its arguments, its window found, closed as the user would.
class CLumivoRun {
    struct Find {
        DWORD pid;
        HWND found;
    };
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp)
    {
        Find* f = reinterpret_cast<Find*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == f->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_CHILD)) {
            f->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }

public:
    bool Start(const CString& program, const CString& args)
    {
        CString line = L"\"" + program + L"\" " + args;
        std::vector<wchar_t> buffer(line.GetString(), line.GetString() + line.GetLength() + 1);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        m_process.Attach(pi.hProcess);
        CloseHandle(pi.hThread);
        m_pid = pi.dwProcessId;
        return WaitUntil([&] { return Window() != nullptr; }, 60000);
    }
    // The program's main window: its visible top-level window with a menu bar child.
    HWND Window()
    {
        Find find = {m_pid, nullptr};
        EnumWindows(&CLumivoRun::Visit, (LPARAM)&find);
        return find.found;
    }
    CString Title()
    {
        wchar_t text[512] = L"";
        if (HWND w = Window())
            GetWindowTextW(w, text, 512);
        return text;
    }
    bool WaitTitle(LPCWSTR part, DWORD ms)
    {
        return WaitUntil([&] { return Title().Find(part) >= 0; }, ms);
    }
    // Closed as by the close box; true when the program ended by itself.
    bool Close()
    {
        if (HWND w = Window())
            PostMessageW(w, WM_CLOSE, 0, 0);
        return WaitUntil([&] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, 60000);
    }
    // Windows ending the session: asked, told, and then the process is ended, as the system
    // ends whatever is left once every window has answered. True when the program agreed.
    bool EndSession()
    {
        HWND w = Window();
        if (!w)
            return false;
        DWORD_PTR agreed = 0;
        if (!SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &agreed) || !agreed)
            return false;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &ignored);
        TerminateProcess(m_process, 0);
        WaitForSingleObject(m_process, 10000);
        return true;
    }
    ~CLumivoRun()
    {
        if (m_process.IsValid() && WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0)
            TerminateProcess(m_process, 1);
    }

private:
    CHandle m_process;
    DWORD m_pid = 0;
};

class LumivoProgram : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const CTestTools& tools = TestTools();
        ASSERT_FALSE(tools.modules.IsEmpty());
        CString app = tools.modules.Left(tools.modules.ReverseFind(L'\\'));
        s_program = app + L"\\Lumivo.exe";
        DeleteFileW(s_program);
        CString built = GetEnv(L"TEST_BIN_DIR") + L"\\Lumivo.exe";
        ASSERT_TRUE(CreateHardLinkW(s_program, built, nullptr) || CopyFileW(built, s_program, FALSE));
        s_clips = MakeAwkwardFolder(L"lumivo-clips");
        const CString sources[] = {TestClips().a, TestClips().c, TestClips().b};
        const wchar_t* names[] = {L"\\one.mp4", L"\\two.mp4", L"\\three.mp4"};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(CopyFileW(sources[i], s_clips + names[i], FALSE));
    }
    void SetUp() override { ResetProfile(); }
    void TearDown() override { ResetProfile(); }
    // A first run: no settings, no last playlist, and no update check over the network.
    static void ResetProfile()
    {
        CRegKey::DeleteTree(HKEY_CURRENT_USER, kProgramKey);
        CRegKey key;
        if (key.Create(HKEY_CURRENT_USER, CString(kProgramKey) + L"\\Settings") == ERROR_SUCCESS)
            key.SetDWORDValue(L"AutoCheckUpdate", 0);
        DeleteFileW(DefaultPlaylist());
    }
    static CString DefaultPlaylist()
    {
        wchar_t appData[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
        return CString(appData) + L"\\Tarvelo Software\\Lumivo\\Default.playlist";
    }
    static int ItemsIn(const CString& playlist)
    {
        CPlaylistData data(1);
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(playlist));
        return format && format->Load(playlist, data) == 0 ? data.GetCount() : -1;
    }
    static CString Quoted(const CString& path) { return L"\"" + path + L"\""; }

    static CString s_program, s_clips;
};
CString LumivoProgram::s_program, LumivoProgram::s_clips;

TEST_F(LumivoProgram, AFolderOnTheCommandLinePlaysItsFirstFileAndTheEndKeepsThePlaylist)
{
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(s_clips)));
        // The title counts the items in when the file starts: the others are still being loaded.
        // one.mp4 names its own title ("Tracks test"), which the item shows instead of its name.
        ASSERT_TRUE(run.WaitTitle(L"Tracks test - 1/", 60000)) << "the first file plays: " << CStringA(run.Title()).GetString();
        WaitUntil([] { return false; }, 3500);  // the tool opens the file, then the picture comes
        EXPECT_FALSE(SaveWindowScreenshot(L"player", L"lumivo-started-with-a-folder", run.Window()).IsEmpty());
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(3, ItemsIn(DefaultPlaylist())) << "the playlist is kept for the next start";
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, CString(kProgramKey) + L"\\Settings", KEY_READ));
    DWORD width = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDWORDValue(L"MainWindow.Width", width)) << "the settings were saved";
    EXPECT_GT((int)width, 0);

    // No arguments: the last playlist comes back and resumes the item that was playing.
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, L""));
        // The items come in one by one: the title counts those in when the item starts.
        ASSERT_TRUE(run.WaitTitle(L"Tracks test - 1/", 60000)) << CStringA(run.Title()).GetString();
        WaitUntil([] { return false; }, 3500);
        EXPECT_FALSE(SaveWindowScreenshot(L"player", L"lumivo-started-with-the-last-playlist", run.Window()).IsEmpty());
        ASSERT_TRUE(run.Close());
    }
}

TEST_F(LumivoProgram, TheEndOfTheSessionKeepsWhatTheProgramsCloseKeeps)
{
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(s_clips + L"\\two.mp4") + L" " + Quoted(s_clips + L"\\three.mp4")));
        ASSERT_TRUE(run.WaitTitle(L" - 1/", 60000)) << CStringA(run.Title()).GetString();
        ASSERT_TRUE(run.EndSession());
    }
    EXPECT_EQ(2, ItemsIn(DefaultPlaylist())) << "the playlist is kept for the next start";
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, CString(kProgramKey) + L"\\Settings", KEY_READ));
    DWORD width = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDWORDValue(L"MainWindow.Width", width)) << "the window's placement too";
    EXPECT_GT((int)width, 0);
}

TEST_F(LumivoProgram, ClosedAtOnceItLeavesNoToolRunning)
{
    // Closed while its probes, its thumbnails and the first clip's start are all under way.
    const wchar_t* const tools[] = {L"Quisset.exe", L"Velkor.exe", L"Drumlin.exe", L"ffprobe.exe", L"ffmpeg.exe"};
    auto running = [&] {
        int n = 0;
        for (const wchar_t* tool : tools)
            n += enginetest::CountProcessesNamed(tool);
        return n;
    };
    ASSERT_TRUE(WaitUntil([&] { return running() == 0; }, 20000)) << "no tool runs before";
    for (DWORD wait : {0u, 1500u}) {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(s_clips)));
        WaitUntil([] { return false; }, wait);
        ASSERT_TRUE(run.Close()) << "the program ends after " << wait << " ms";
        EXPECT_TRUE(WaitUntil([&] { return running() == 0; }, 15000)) << running() << " tools left after " << wait << " ms";
    }
}

// A file 300 characters deep lies in a folder longer than a child can start in: its probe, its
// thumbnail and its play still start, and the program lives on to be closed.
TEST_F(LumivoProgram, AFileThreeHundredCharactersDeepIsLoadedAndPlayed)
{
    const CString folder = enginetest::MakeDeepFolder(L"deep lumivo", 290);
    ASSERT_FALSE(folder.IsEmpty());
    const CString clip = folder + L"\\deep two.mp4";
    ASSERT_GE(clip.GetLength(), 300);
    ASSERT_TRUE(CopyFileW(s_clips + L"\\two.mp4", clip, FALSE));
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(clip)));
        ASSERT_TRUE(run.WaitTitle(L"deep two - 1/1", 60000)) << CStringA(run.Title()).GetString();
        WaitUntil([] { return false; }, 3500);  // the tool opens the file, then the picture comes
        EXPECT_FALSE(SaveWindowScreenshot(L"player", L"lumivo-playing-a-deep-file", run.Window()).IsEmpty());
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(1, ItemsIn(DefaultPlaylist()));
}

TEST_F(LumivoProgram, EveryStartRegistersPlaylistFilesAsTheFileTypeTableListsThem)
{
    const CString ext = kPlaylistTypeExtension, progId = MakeFileTypeProgId(kPlaylistTypeExtension);
    const CString tableKey = CString(kProgramKey) + L"\\Data\\File Types\\" + ext;
    auto unregister = [&] {
        CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(ext));
        CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(progId));
    };
    // The row of the File Associations page as the program's saved table gives it: ticked when
    // the registry holds that name and icon for this program.
    auto row = [&](CString& name, DWORD& icon) {
        CRegKey key;
        return key.Open(HKEY_CURRENT_USER, tableKey, KEY_READ) == ERROR_SUCCESS &&
               key.QueryStringValue(L"Name", name) == ERROR_SUCCESS &&
               key.QueryDWORDValue(L"Icon", icon) == ERROR_SUCCESS;
    };
    auto start = [&] {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, L""));
        ASSERT_TRUE(run.Close());
    };

    unregister();
    start();
    CString name;
    DWORD icon = 0;
    ASSERT_TRUE(row(name, icon)) << "the program keeps its file-type table";
    CFileTypeAssoc listed(ext, progId, name, (int)icon);
    EXPECT_TRUE(listed.IsAssociated());
    EXPECT_TRUE(listed.IsProgIdWritten()) << "the page would show .playlist unticked: "
                                          << CStringA(FileTypeKeyDefault(progId)).GetString();
    EXPECT_EQ(0, FileTypeKeyDefault(progId + L"\\DefaultIcon").CompareNoCase(GetLongPath(s_program) + L",4"))
        << CStringA(FileTypeKeyDefault(progId + L"\\DefaultIcon")).GetString();

    // A table that lists the type its own way (the page's Delete and Add) is what the next start
    // writes.
    unregister();
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, tableKey));
        key.SetStringValue(L"Name", L"Lumivo Lists");
        key.SetStringValue(L"Extension", ext);
        key.SetDWORDValue(L"Icon", FILE_TYPE_ICON_AUDIO);
    }
    start();
    EXPECT_EQ(L"Lumivo Lists", FileTypeKeyDefault(progId));
    EXPECT_EQ(0, FileTypeKeyDefault(progId + L"\\DefaultIcon").CompareNoCase(GetLongPath(s_program) + L",3"));
    EXPECT_EQ(progId, FileTypeKeyDefault(ext));
    EXPECT_TRUE(CFileTypeAssoc(ext, progId, L"Lumivo Lists", FILE_TYPE_ICON_AUDIO).IsProgIdWritten());
}

TEST_F(LumivoProgram, FilesOnTheCommandLineReplaceThePlaylistAndBadOnesPlayNothing)
{
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(s_clips + L"\\three.mp4") + L" " + Quoted(s_clips + L"\\two.mp4")));
        ASSERT_TRUE(run.WaitTitle(L"three - 1/", 60000)) << CStringA(run.Title()).GetString();
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(2, ItemsIn(DefaultPlaylist()));
    const CString missing = s_clips + L"\\none such.mp4", dead = L"http://127.0.0.1:9/x.mp4";
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(s_program, Quoted(missing) + L" " + dead + L" -flag"));
        // Nothing may start playing within a while.
        WaitUntil([] { return false; }, 8000);
        EXPECT_STREQ(L"Lumivo", run.Title()) << "nothing plays";
        ASSERT_TRUE(run.Close());
    }
    // The files that did not load replaced the playlist. On a busy machine a probe of them can still
    // be out when the window closes: then that path is kept, still to be loaded, and only such.
    CPlaylistData data(1);
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(DefaultPlaylist()));
    ASSERT_TRUE(format && format->Load(DefaultPlaylist(), data) == 0);
    for (int i = 0; i < data.GetCount(); ++i)
        EXPECT_TRUE(data.GetAt(i)->Path == dead || data.GetAt(i)->Path == missing)
            << "an earlier item stayed: " << CStringA(data.GetAt(i)->Path).GetString();
}

TEST_F(LumivoProgram, ClosedWhileThreeHundredClipsLoadItEndsAtOnceAndTheNextStartGoesOn)
{
    // An application folder of its own whose probe answers every path only after a while.
    CString app = MakeAwkwardFolder(L"lumivo-slow-probe");
    CString modules = app + L"\\Modules";
    ASSERT_TRUE(CreateDirectoryW(modules, nullptr));
    CString program = app + L"\\Lumivo.exe";
    ASSERT_TRUE(CreateHardLinkW(program, s_program, nullptr) || CopyFileW(s_program, program, FALSE));
    CString fake = GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe";
    ASSERT_TRUE(CopyFileW(fake, modules + L"\\Quisset.exe", FALSE));
    ASSERT_TRUE(CopyFileW(fake, modules + L"\\Drumlin.exe", FALSE));
    CString json = app + L"\\answer.json", log = app + L"\\probes.txt";
    ASSERT_TRUE(WriteUtf8File(json, kFakeAudioProbeJson));
    CString script;
    script.Format(L"stdout_file %s\nlog %s\ndelay 1500\n", json.GetString(), log.GetString());
    ASSERT_TRUE(WriteUtf8File(modules + L"\\Quisset.fake", script));
    auto probed = [&] { return ProbedPaths(log); };

    CString folder = MakeAwkwardFolder(L"three hundred clips");
    for (int i = 0; i < 300; ++i) {
        CString name;
        name.Format(L"\\clip %03d.mp3", i);
        ASSERT_TRUE(WriteUtf8File(folder + name, L"x"));
    }
    std::vector<CString> listed;  // in the order the folder lists them, as the scan takes them
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\*", &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            listed.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    ASSERT_EQ(300u, listed.size());
    auto kept = [&](int& unprobed) {
        std::vector<CString> paths;
        CPlaylistData data(1);
        std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(DefaultPlaylist()));
        unprobed = -1;
        if (format && format->Load(DefaultPlaylist(), data) == 0) {
            for (int i = 0; i < data.GetCount(); ++i) {
                paths.push_back(data.GetAt(i)->Path);
                if (unprobed < 0 && !(data.GetAt(i)->Flags & MEDIA_FILE_PROBED))
                    unprobed = i;
            }
        }
        return paths;
    };
    auto same = [](const std::vector<CString>& a, const std::vector<CString>& b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].CompareNoCase(b[i]) != 0)
                return false;
        return true;
    };

    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(program, Quoted(folder)));
        ASSERT_TRUE(WaitUntil([&] { return probed().size() >= 2; }, 60000)) << "loading is under way";
        DWORD began = GetTickCount();
        ASSERT_TRUE(run.Close());
        EXPECT_LT(GetTickCount() - began, 10000u) << "the close waited for the queue";
    }
    int firstUnloaded = -1;
    std::vector<CString> saved = kept(firstUnloaded);
    EXPECT_TRUE(same(listed, saved)) << saved.size() << " paths kept of 300, or not in their order";
    ASSERT_GE(firstUnloaded, 1) << "the paths loaded come first, the rest follows";

    // Started without paths, it goes on with the first path that was not loaded.
    size_t asked = probed().size();
    {
        CLumivoRun run;
        ASSERT_TRUE(run.Start(program, L""));
        ASSERT_TRUE(WaitUntil([&] { return probed().size() > asked; }, 60000));
        EXPECT_EQ(0, probed()[asked].CompareNoCase(listed[firstUnloaded])) << CStringA(probed()[asked]).GetString();
        ASSERT_TRUE(run.Close());
    }
    saved = kept(firstUnloaded);
    EXPECT_TRUE(same(listed, saved)) << saved.size() << " paths kept of 300";
}

}  // namespace
