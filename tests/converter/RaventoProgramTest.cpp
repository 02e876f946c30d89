// Ravento as a program: started with the command lines the player writes for an item (its own
// launcher builds them), in each of its three modes, driven by messages from here; the presets
// file and the settings saved at exit, and a presets file it cannot use told at its start and kept;
// AutoStart with a stored destination and the real tools; and the settings sheet with its own
// Explorer switch.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <thread>

#include "ConverterTestSupport.h"
#include "converter/app/ConverterApp.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/SettingsSheet.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Handles.h"
#include "player/app/ConverterLauncher.h"
#include "tests/conversion/ConversionTestSupport.h"
#include "toolkit/ShellMenuExtension.h"

using namespace convertertest;

namespace {

const wchar_t kRaventoKey[] = L"Software\\Tarvelo Software\\Ravento";

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

CString PresetsFilePath()
{
    wchar_t appData[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    return CString(appData) + L"\\Tarvelo Software\\Ravento\\MediaFormats.preset";
}

// Every copy of a presets file that start-up kept aside.
void DeleteKeptPresetsFiles()
{
    const CString folder = GetParentFolder(PresetsFilePath());
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW(folder + L"\\MediaFormats.preset*.bak", &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        ::DeleteFileW(folder + L"\\" + found.cFileName);
    while (::FindNextFileW(find, &found));
    ::FindClose(find);
}

std::string ReadBytes(const CString& path)
{
    std::string bytes;
    CHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (file.IsValid() && ::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteBytes(const CString& path, const std::string& bytes)
{
    CHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file.IsValid() && ::WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
           written == bytes.size();
}

void SetNumber(LPCWSTR section, LPCWSTR name, DWORD value)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, CString(kRaventoKey) + L"\\" + section));
    key.SetDWORDValue(name, value);
}

void SetSetting(LPCWSTR section, LPCWSTR name, LPCWSTR value)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, CString(kRaventoKey) + L"\\" + section));
    key.SetStringValue(name, value);
}

bool GetSetting(LPCWSTR section, LPCWSTR name, DWORD& value)
{
    CRegKey key;
    return key.Open(HKEY_CURRENT_USER, CString(kRaventoKey) + L"\\" + section, KEY_READ) == ERROR_SUCCESS &&
           key.QueryDWORDValue(name, value) == ERROR_SUCCESS;
}

CString GetStringSetting(LPCWSTR section, LPCWSTR name)
{
    CRegKey key;
    CString value;
    if (key.Open(HKEY_CURRENT_USER, CString(kRaventoKey) + L"\\" + section, KEY_READ) == ERROR_SUCCESS)
        key.QueryStringValue(name, value);
    return value;
}

// One run of Ravento.exe, started as the player and the shell start it: without a console of
// this test program's to inherit.
class CRaventoRun {
public:
    bool Start(const CString& exe, const CString& line)
    {
        CString command = Quoted(exe) + (line.IsEmpty() ? CString() : L" " + line);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessW(exe, const_cast<LPWSTR>(command.GetString()), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                              nullptr, nullptr, &si, &pi))
            return false;
        m_process.Attach(pi.hProcess);
        ::CloseHandle(pi.hThread);
        m_pid = pi.dwProcessId;
        return true;
    }
    // The program's visible dialog.
    HWND WaitForDialog(DWORD timeoutMs = 30000)
    {
        WaitUntil(
            [&] {
                m_dialog = nullptr;
                ::EnumWindows(OfThisRun, (LPARAM)this);
                return m_dialog != nullptr;
            },
            timeoutMs);
        return m_dialog;
    }
    bool WaitForExit(DWORD timeoutMs)
    {
        return WaitUntil([&] { return ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    }
    ~CRaventoRun()
    {
        if (m_process.IsValid() && ::WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process, 1);
            ::WaitForSingleObject(m_process, 5000);
        }
    }

    // A message box the program shows before (or over) its dialog.
    HWND WaitForMessageBox(DWORD timeoutMs = 30000)
    {
        HWND box = nullptr;
        WaitUntil(
            [&] {
                m_dialog = nullptr;
                m_wantBox = true;
                ::EnumWindows(OfThisRun, (LPARAM)this);
                m_wantBox = false;
                box = m_dialog;
                m_dialog = nullptr;
                return box != nullptr;
            },
            timeoutMs);
        return box;
    }
    HWND Dialog() const { return m_dialog; }
    CString Text(UINT id) const
    {
        // Another process's control answers WM_GETTEXT; GetWindowText would not ask it.
        wchar_t text[1024] = L"";
        ::SendMessageW(::GetDlgItem(m_dialog, (int)id), WM_GETTEXT, 1024, (LPARAM)text);
        return text;
    }
    bool Checked(UINT id) const { return ::SendMessageW(::GetDlgItem(m_dialog, (int)id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    CString SelectedRow(UINT id) const
    {
        HWND combo = ::GetDlgItem(m_dialog, (int)id);
        const int row = (int)::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        wchar_t text[512] = L"";
        if (row >= 0)
            ::SendMessageW(combo, CB_GETLBTEXT, row, (LPARAM)text);
        return text;
    }
    int Position(UINT id) const { return (int)::SendMessageW(::GetDlgItem(m_dialog, (int)id), TBM_GETPOS, 0, 0); }
    void Press(UINT id) const
    {
        ::PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(m_dialog, (int)id));
    }
    void Close() const { ::PostMessageW(m_dialog, WM_CLOSE, 0, 0); }

    // What the run shows now, for a failure's message: its windows with their texts (a message
    // box's too), the source and the status line; a screenshot goes beside the others.
    std::string Describe(const CString& encoderLog) const
    {
        Shot(L"program state when a wait failed", m_dialog);
        Seen seen{m_pid, CString()};
        ::EnumWindows(DescribeWindow, (LPARAM)&seen);
        const bool ended = ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
        CString all = seen.text + L"source \"" + Text(IDC_SOURCE) + L"\", status \"" + Text(IDC_STATUS_BAR) + L"\"" +
                      (ended ? L", the program has ended" : L"") + L"\nencoder log:\n" +
                      enginetest::ReadUtf8File(encoderLog);
        return std::string(CStringA(all).GetString());
    }

private:
    struct Seen {
        DWORD pid;
        CString text;
    };
    static BOOL CALLBACK DescribeWindow(HWND hwnd, LPARAM param)
    {
        Seen* s = reinterpret_cast<Seen*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if (pid != s->pid || !::IsWindowVisible(hwnd))
            return TRUE;
        wchar_t cls[64] = L"", caption[256] = L"";
        ::GetClassNameW(hwnd, cls, 64);
        ::SendMessageW(hwnd, WM_GETTEXT, 256, (LPARAM)caption);
        s->text += CString(L"window ") + cls + L" \"" + caption + L"\"";
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t childClass[32] = L"", buffer[512] = L"";
            ::GetClassNameW(child, childClass, 32);
            if (_wcsicmp(childClass, L"Static") == 0 && ::SendMessageW(child, WM_GETTEXT, 512, (LPARAM)buffer) > 0)
                s->text += CString(L" [") + buffer + L"]";
        }
        s->text += L"\n";
        return TRUE;
    }
    static BOOL CALLBACK OfThisRun(HWND hwnd, LPARAM self)
    {
        CRaventoRun* run = reinterpret_cast<CRaventoRun*>(self);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[64] = L"";
        ::GetClassNameW(hwnd, cls, 64);
        if (pid == run->m_pid && ::IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0 &&
            (::GetDlgItem(hwnd, IDC_START) != nullptr) != run->m_wantBox) {
            run->m_dialog = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    CHandle m_process;
    DWORD m_pid = 0;
    HWND m_dialog = nullptr;
    bool m_wantBox = false;
};

// The text of a message box of another process: its static that is not the icon.
CString MessageText(HWND box)
{
    CString text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = L"", buffer[1024] = L"";
        ::GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0 && ::SendMessageW(child, WM_GETTEXT, 1024, (LPARAM)buffer) > 0)
            text = buffer;
    }
    return text;
}

std::vector<CString> EncoderLines(const CString& log, const CString& containing)
{
    std::vector<CString> lines;
    for (const CString& line : enginetest::ReadLines(log))
        if (line.Find(L"cmdline: ") == 0 && line.Find(containing) >= 0)
            lines.push_back(line);
    return lines;
}

class RaventoProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRegKey::DeleteTree(HKEY_CURRENT_USER, kRaventoKey);
        ::DeleteFileW(PresetsFilePath());
        DeleteKeptPresetsFiles();
        // No update check from the tests; a destination of the tests' own.
        SetNumber(L"Settings", L"AutoCheckUpdate", 0);
        SetNumber(L"Settings", L"SameAsInput", 0);
        m_out = MakeAwkwardFolder(L"program out");
        SetSetting(L"Data\\Recent Folders", L"01", m_out);
    }
    void TearDown() override
    {
        CRegKey::DeleteTree(HKEY_CURRENT_USER, kRaventoKey);
        ::DeleteFileW(PresetsFilePath());
        DeleteKeptPresetsFiles();
    }
    // Starts the converter of the stand-in stage with a line, waits for its dialog, has it start
    // the conversion, waits for the encoder's run and closes it; the run's command line.
    CString ConvertAndClose(CRaventoRun& run, const CString& line, LPCWSTR caption, const std::function<void()>& check,
                            CString marker = CString())
    {
        if (marker.IsEmpty())
            marker = m_out;
        CConversionStage& stage = GetConversionStage();
        EXPECT_TRUE(run.Start(stage.ravento, line)) << CStringA(line).GetString();
        EXPECT_TRUE(run.WaitForDialog() != nullptr) << CStringA(line).GetString();
        if (!run.Dialog())
            return CString();
        EXPECT_EQ(CString(caption), WindowText(run.Dialog()));
        // The source's probe fills the dialog in after it shows; the output name comes with it.
        EXPECT_TRUE(WaitUntil([&] { return !run.Text(IDC_OUTPUT_NAME).IsEmpty(); }, 60000));
        check();
        Shot(CString(L"program ") + caption, run.Dialog());
        run.Press(IDC_START);
        EXPECT_TRUE(WaitUntil([&] { return !EncoderLines(stage.log, marker).empty(); }, 60000)) << run.Describe(stage.log);
        // The end of the job, then the dialog closed.
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(run.Dialog(), IDC_START)) != FALSE; }, 60000));
        run.Close();
        EXPECT_TRUE(run.WaitForExit(30000));
        const std::vector<CString> lines = EncoderLines(stage.log, L"-callback_context");
        CString all;
        for (const CString& l : lines)
            all += l + L"\n";
        return all;
    }
    CString m_out;
};

}  // namespace

TEST_F(RaventoProgram, ThePlayersConversionLineStartsTheConverterWithTheItemsChoices)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    const CString line = BuildConverterCommandLine(stage.multi, 0, 2, 3, L"VF_mkv", 500, 2500, 1, 0, 180, 0, 1, 0, 150);
    CRaventoRun run;
    const CString runs = ConvertAndClose(run, line, L"Ravento", [&] {
        EXPECT_EQ(stage.multi, run.Text(IDC_SOURCE));
        EXPECT_EQ(CString(L"Track #1"), run.SelectedRow(IDC_VIDEO_TRACK));
        EXPECT_EQ(CString(L"Track #2 - [fre]"), run.SelectedRow(IDC_AUDIO_TRACK));
        EXPECT_TRUE(run.Checked(IDC_CUT));
        EXPECT_TRUE(run.Checked(IDC_FLIP_HORIZONTAL));
        EXPECT_FALSE(run.Checked(IDC_FLIP_VERTICAL));
        EXPECT_TRUE(run.Checked(IDC_ROTATE));
        EXPECT_EQ(CString(L"180 degrees"), run.SelectedRow(IDC_ROTATION));
        EXPECT_TRUE(run.Checked(IDC_NEGATE));
        EXPECT_TRUE(run.Checked(IDC_CHANGE_VOLUME));
        EXPECT_EQ(150, run.Position(IDC_VOLUME));
        EXPECT_EQ(CString(L"tracks clip.mkv"), run.Text(IDC_OUTPUT_NAME));
        // The stored destination.
        EXPECT_FALSE(run.Checked(IDC_SAVE_TO_SOURCE));
        EXPECT_EQ(m_out, run.Text(IDC_DESTINATION));
    });
    for (LPCWSTR part : {L"-map 0:0", L"-map 0:2", L"-map 0:3", L"-ss 0:00:00.500", L"-t 0:00:02.000",
                         L"transpose=2,transpose=2,hflip,negate", L"-vol 384", L"-f matroska"})
        EXPECT_GE(runs.Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(runs).GetString();
    // Saved at exit: the settings with the format, and the presets file.
    EXPECT_EQ(CString(L"VF_mkv"), GetStringSetting(L"Settings", L"MediaFormat"));
    DWORD left = 0;
    EXPECT_TRUE(GetSetting(L"Settings", L"MainWindow.Left", left));
    EXPECT_TRUE(::PathFileExistsW(PresetsFilePath())) << CStringA(PresetsFilePath()).GetString();
}

TEST_F(RaventoProgram, ThePlayersAudioLineStartsTheAudioExtractor)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    const CString line = BuildExtractAudioCommandLine(stage.multi, 1, L"AF_mp3", 0, -1, 200);
    EXPECT_EQ(0, line.Find(L"-c ae \""));
    CRaventoRun run;
    const CString runs = ConvertAndClose(run, line, L"Audio Extractor", [&] {
        EXPECT_EQ(stage.multi, run.Text(IDC_SOURCE));
        EXPECT_EQ(CString(L"Track #1 - [eng]"), run.SelectedRow(IDC_AUDIO_TRACK));
        EXPECT_FALSE(run.Checked(IDC_CUT));
        EXPECT_TRUE(run.Checked(IDC_CHANGE_VOLUME));
        EXPECT_EQ(200, run.Position(IDC_VOLUME));
        EXPECT_EQ(CString(L"tracks clip.mp3"), run.Text(IDC_OUTPUT_NAME));
    });
    for (LPCWSTR part : {L"-vn", L"-map 0:1", L"-vol 512", L"libmp3lame", L"tracks clip.mp3.part"})
        EXPECT_GE(runs.Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(runs).GetString();
    EXPECT_EQ(CString(L"AF_mp3"), GetStringSetting(L"Settings", L"MediaFormat"));
    EXPECT_TRUE(::PathFileExistsW(PresetsFilePath()));
}

TEST_F(RaventoProgram, ThePlayersGifLineStartsTheGifMaker)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    const CString line = BuildMakeGifCommandLine(stage.clip, -1, -2, 0, -1, 0, 1, 90, 1, 0, 0);
    EXPECT_EQ(0, line.Find(L"-c gm \""));
    CRaventoRun run;
    const CString runs = ConvertAndClose(run, line, L"Animated GIF Maker", [&] {
        EXPECT_EQ(stage.clip, run.Text(IDC_SOURCE));
        EXPECT_TRUE(run.Checked(IDC_ROTATE));
        EXPECT_EQ(CString(L"90 degrees"), run.SelectedRow(IDC_ROTATION));
        EXPECT_TRUE(run.Checked(IDC_FLIP_VERTICAL));
        EXPECT_FALSE(run.Checked(IDC_FLIP_HORIZONTAL));
        EXPECT_TRUE(run.Checked(IDC_GRAYSCALE));
        EXPECT_EQ(CString(L"av clip.gif"), run.Text(IDC_OUTPUT_NAME));
    }, L"paletteuse");
    for (LPCWSTR part : {L"transpose=1,vflip,hue=s=0,fps=", L"palettegen", L"paletteuse"})
        EXPECT_GE(runs.Find(part), 0) << CStringA(part).GetString() << " in " << CStringA(runs).GetString();
    // The GIF's choices are saved at exit, the format choice of the other modes is not touched.
    DWORD width = 0;
    EXPECT_TRUE(GetSetting(L"Settings", L"GIF.Width", width));
    EXPECT_EQ(352u, width);
    EXPECT_TRUE(GetStringSetting(L"Settings", L"MediaFormat").IsEmpty());
    EXPECT_TRUE(::PathFileExistsW(PresetsFilePath()));
}

// Ravento is a windowed program and the tools are console programs: they run without a console,
// which would cost a console host process (under Wine with a hidden window) for every tool run.
TEST_F(RaventoProgram, TheToolsRunWithoutAConsole)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    const CString report = m_out + L"\\encoder console.txt";
    ScriptStandInEncoder(L"progress 2\ninterval 20\nconsole_file " + report + L"\n");
    CRaventoRun run;
    ConvertAndClose(run, Quoted(stage.clip), L"Ravento", [] {});
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    // The source's thumbnail grab and the conversion.
    const std::vector<CString> runs = enginetest::ReadLines(report);
    EXPECT_GE(runs.size(), 2u);
    for (const CString& said : runs)
        EXPECT_EQ(CString(L"no console"), said);
}

TEST_F(RaventoProgram, WithoutACommandLineTheConverterStartsEmptyAndWaits)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    SetNumber(L"Settings", L"AutoStart", 1);
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, CString()));
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    EXPECT_EQ(CString(L"Ravento"), WindowText(run.Dialog()));
    EXPECT_TRUE(run.Text(IDC_SOURCE).IsEmpty());
    ::Sleep(1000);
    // AutoStart needs a source of the command line.
    EXPECT_TRUE(EncoderLines(stage.log, L"-callback_window").empty());
    run.Close();
    EXPECT_TRUE(run.WaitForExit(30000));
    EXPECT_TRUE(::PathFileExistsW(PresetsFilePath()));
}

TEST_F(RaventoProgram, AutoStartConvertsIntoTheStoredDestinationAndClosesWhenAsked)
{
    CToolStage& stage = GetToolStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    SetNumber(L"Settings", L"AutoStart", 1);
    SetNumber(L"Settings", L"AutoCloseWindow", 1);
    const CString clip = GetClips().clip;
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, Quoted(clip)));
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    // Nobody presses Start: the program converts, then closes by itself.
    ASSERT_TRUE(run.WaitForExit(180000));
    const CString output = m_out + L"\\av clip.mp4";
    EXPECT_TRUE(::PathFileExistsW(output)) << CStringA(output).GetString();
    EXPECT_EQ(clip, GetStringSetting(L"Data\\Recent Files", L"01"));
    EXPECT_EQ(m_out, GetStringSetting(L"Data\\Recent Folders", L"01"));
}

// Ravento's window comes up while the source on its command line is still being probed, and
// AutoStart waits for the probe, then converts and closes; the source is probed once.
TEST_F(RaventoProgram, TheWindowComesUpWhileTheSourceIsProbedAndAutoStartWaitsForTheProbe)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    const CString app = MakeAwkwardFolder(L"held probe app");
    const CString modules = app + L"\\Modules";
    ASSERT_TRUE(::CreateDirectoryW(modules, nullptr));
    const CString ravento = app + L"\\Ravento.exe", log = modules + L"\\encoder log.txt";
    ASSERT_TRUE(::CopyFileW(stage.ravento, ravento, FALSE));
    ASSERT_TRUE(::CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", modules + L"\\Velkor.exe", FALSE));
    ASSERT_TRUE(enginetest::WriteUtf8File(modules + L"\\Velkor.fake",
                                          L"progress 2\ninterval 20\noutput_text not a clip\nlog " + log + L"\n"));
    const CHeldProbe probe = MakeHeldProbe(modules + L"\\Quisset.exe", stage.clip);
    ASSERT_TRUE(probe.problem.IsEmpty()) << CStringA(probe.problem).GetString();
    SetNumber(L"Settings", L"AutoStart", 1);
    SetNumber(L"Settings", L"AutoCloseWindow", 1);
    CRaventoRun run;
    ASSERT_TRUE(run.Start(ravento, Quoted(stage.clip)));
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !probe.Runs(stage.clip).empty(); }, 30000));
    // Shown, and nothing converts, while the probe cannot have ended.
    EXPECT_FALSE(::PathFileExistsW(probe.release));
    EXPECT_TRUE(::IsWindowVisible(run.Dialog()));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(run.Dialog(), IDC_START)));
    EXPECT_TRUE(EncoderLines(log, L"-callback_window").empty());
    Shot(L"program while its source is probed", run.Dialog());
    ASSERT_TRUE(TouchFile(probe.release));
    // Converted, then closed by itself.
    ASSERT_TRUE(run.WaitForExit(60000));
    EXPECT_EQ(1u, EncoderLines(log, L"-callback_window").size());
    EXPECT_GT(GetFileSize64(m_out + L"\\av clip.mp4"), 0);
    EXPECT_EQ(1u, probe.Runs(stage.clip).size());
    EXPECT_EQ(1u, probe.Runs(m_out).size());
}

// A source 300 characters deep converted into a folder 330 characters deep: the probe of the
// source, the encoder and the probe of the output all start although their folders are longer
// than a child can start in.
TEST_F(RaventoProgram, FilesDeeperThanAToolsFolderCanBeAreConverted)
{
    CToolStage& stage = GetToolStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    const CString from = enginetest::MakeDeepFolder(L"deep source", 290);
    const CString to = enginetest::MakeDeepFolder(L"deep output", 330);
    ASSERT_FALSE(from.IsEmpty());
    ASSERT_FALSE(to.IsEmpty());
    const CString clip = from + L"\\deep clip.mp4";
    ASSERT_GE(clip.GetLength(), 300);
    ASSERT_TRUE(::CopyFileW(GetClips().clip, clip, FALSE));
    SetNumber(L"Settings", L"AutoStart", 1);
    SetNumber(L"Settings", L"AutoCloseWindow", 1);
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, Quoted(clip) + L" -oformat VF_mkv -ofolder " + Quoted(to)));
    // Converted and closed by itself: only a completed job (its output probed) closes the program.
    ASSERT_TRUE(run.WaitForExit(180000));
    EXPECT_GT(GetFileSize64(to + L"\\deep clip.mkv"), 0);
    EXPECT_EQ(-1, GetFileSize64(to + L"\\deep clip.mkv.part"));
    EXPECT_EQ(clip, GetStringSetting(L"Data\\Recent Files", L"01"));
}

// An unknown format key on the command line: said, and nothing converts into another format.
TEST_F(RaventoProgram, AnUnknownFormatOnTheCommandLineIsRefusedAndTheStoredOneKept)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    SetSetting(L"Settings", L"MediaFormat", L"VF_avi");
    SetNumber(L"Settings", L"AutoStart", 1);
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, Quoted(stage.clip) + L" -oformat AF_xyz"));
    HWND box = run.WaitForMessageBox();
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(CString(L"Unknown output format:\nAF_xyz"), MessageText(box));
    Shot(L"program unknown format", box);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    EXPECT_EQ(0, run.SelectedRow(IDC_FORMAT_LIST).Find(L"AVI\t")) << CStringA(run.SelectedRow(IDC_FORMAT_LIST)).GetString();
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(run.Dialog(), IDC_START))) << "nothing started by itself";
    EXPECT_TRUE(EncoderLines(stage.log, L"-callback_window").empty());
    run.Close();
    ASSERT_TRUE(run.WaitForExit(30000));
    EXPECT_EQ(CString(L"VF_avi"), GetStringSetting(L"Settings", L"MediaFormat"));
}

// A presets file that cannot be read is told once, before the dialog shows, with the place its
// copy was kept; a second damaged file is kept beside the first, which keeps what it held. A first
// start and a whole file say nothing.
TEST_F(RaventoProgram, ADamagedPresetsFileIsToldOnceAndEveryDamagedCopyIsKept)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    const CString file = PresetsFilePath();
    const CString firstKept = file + L".bak";
    const CString secondKept = GetParentFolder(file) + L"\\MediaFormats.preset (1).bak";
    // One run of the program: the message box it showed before its dialog (empty when none), then closed.
    auto runOnce = [&](LPCWSTR shot) {
        CRaventoRun run;
        CString said;
        EXPECT_TRUE(run.Start(stage.ravento, CString()));
        HWND box = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (box = run.WaitForMessageBox(0)) != nullptr || run.WaitForDialog(0); },
                              30000));
        if (box) {
            said = MessageText(box);
            Shot(shot, box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(run.WaitForDialog() != nullptr);
        // Said once: nothing more over the dialog.
        EXPECT_TRUE(run.WaitForMessageBox(0) == nullptr);
        EXPECT_TRUE(run.WaitForDialog() != nullptr);
        run.Close();
        EXPECT_TRUE(run.WaitForExit(30000));
        return said;
    };

    EXPECT_TRUE(runOnce(L"program first start").IsEmpty());
    const std::string whole = ReadBytes(file);
    ASSERT_GT(whole.size(), 1000u);

    const std::string noise("\x8f\x03\xfe\x11 not xml \x00\x7f", 15);
    ASSERT_TRUE(WriteBytes(file, noise));
    EXPECT_EQ(L"The presets file could not be read:\n" + file +
                  L"\n\nThe built-in presets are used instead. The damaged file was kept as:\n" + firstKept,
              runOnce(L"program damaged presets file"));
    EXPECT_TRUE(noise == ReadBytes(firstKept));
    EXPECT_TRUE(whole == ReadBytes(file)) << "the built-in presets are written again at the exit";

    const std::string cut = whole.substr(0, whole.size() / 3);
    ASSERT_TRUE(WriteBytes(file, cut));
    EXPECT_EQ(L"The presets file could not be read:\n" + file +
                  L"\n\nThe built-in presets are used instead. The damaged file was kept as:\n" + secondKept,
              runOnce(L"program damaged presets file again"));
    EXPECT_TRUE(noise == ReadBytes(firstKept)) << "the first kept copy is never overwritten";
    EXPECT_TRUE(cut == ReadBytes(secondKept));

    EXPECT_TRUE(runOnce(L"program whole presets file").IsEmpty());
}

TEST_F(RaventoProgram, ClosingTheProgramMidConversionEndsTheEncoderAndStillSaves)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    SetNumber(L"Settings", L"AutoStart", 1);
    // Long enough that the close comes in the middle. The source's picture is grabbed beside the
    // encode, and slowly: the grab still runs when the encode starts, then ends by itself.
    ScriptStandInEncoder(L"progress 400\ninterval 50\ndelay 3000\n");
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, Quoted(stage.clip) + L" -oformat VF_avi"));
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !EncoderLines(stage.log, m_out).empty(); }, 60000)) << run.Describe(stage.log);
    EXPECT_TRUE(WaitUntil([&] { return convtest::CountProcessesOf(stage.encoder) == 1; }, 30000))
        << convtest::CountProcessesOf(stage.encoder) << " encoder runs";
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(run.Dialog(), IDC_STOP)));
    run.Close();
    ASSERT_TRUE(run.WaitForExit(30000));
    EXPECT_EQ(0, convtest::CountProcessesOf(stage.encoder));
    // Nothing was completed, yet what the user chose is kept.
    EXPECT_TRUE(GetStringSetting(L"Data\\Recent Files", L"01").IsEmpty());
    EXPECT_EQ(CString(L"VF_avi"), GetStringSetting(L"Settings", L"MediaFormat"));
    EXPECT_TRUE(::PathFileExistsW(PresetsFilePath()));
}

TEST_F(RaventoProgram, TheSettingsCommandStoresTheSheetsChoicesAtOnceWhenItEndsWithOk)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    CRaventoRun run;
    ASSERT_TRUE(run.Start(stage.ravento, L"-c gm"));
    ASSERT_TRUE(run.WaitForDialog() != nullptr);
    ::PostMessageW(run.Dialog(), WM_COMMAND, ID_SETTINGS, 0);
    HWND sheet = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        sheet = ::FindWindowW(nullptr, L"Settings");
        return sheet && ::IsWindowVisible(sheet);
    }, 15000));
    HWND overwrite = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        overwrite = ::FindWindowExW(::FindWindowExW(sheet, nullptr, L"#32770", nullptr), nullptr, L"Button",
                                    L"Always overwrite existing file");
        return overwrite != nullptr;
    }, 5000));
    ::SendMessageW(overwrite, BM_CLICK, 0, 0);
    Shot(L"program settings sheet", sheet);
    // OK as the user clicks it: the sheet's own button, not the dialog's.
    ::PostMessageW(::GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }, 10000));
    // In the registry while the program still runs.
    DWORD value = 0;
    EXPECT_TRUE(WaitUntil([&] { return GetSetting(L"Settings", L"Overwrite", value) && value == 12; }, 10000)) << value;
    EXPECT_TRUE(::IsWindowVisible(run.Dialog()));

    // Cancel ends the sheet only: the program goes on.
    ::PostMessageW(run.Dialog(), WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(WaitUntil([&] {
        sheet = ::FindWindowW(nullptr, L"Settings");
        return sheet && ::IsWindowVisible(sheet);
    }, 15000));
    ::PostMessageW(::GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }, 10000));
    ::Sleep(500);
    EXPECT_TRUE(::IsWindowVisible(run.Dialog()));
    EXPECT_FALSE(run.WaitForExit(0));
    run.Close();
    EXPECT_TRUE(run.WaitForExit(30000));
}

// ----- the settings sheet -------------------------------------------------------------------------------

namespace {

struct CSearch {
    UINT id;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND hwnd, LPARAM p)
{
    CSearch* s = reinterpret_cast<CSearch*>(p);
    if ((UINT)::GetDlgCtrlID(hwnd) == s->id && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
        wchar_t cls[32] = L"";
        ::GetClassNameW(hwnd, cls, 32);
        if (_wcsicmp(cls, L"Button") == 0) {
            s->found = hwnd;
            return FALSE;
        }
    }
    return TRUE;
}

// A button of the sheet's page by its id.
HWND FindChild(HWND parent, UINT id)
{
    CSearch search = {id, nullptr};
    ::EnumChildWindows(parent, MatchButton, (LPARAM)&search);
    return search.found;
}

void CreateHandlerKeys(const CShellMenuExtension& extension)
{
    for (const CString& key : {extension.GetFilesKey(), extension.GetFoldersKey()}) {
        CRegKey handler;
        ASSERT_EQ(ERROR_SUCCESS, handler.Create(HKEY_CLASSES_ROOT, key));
        handler.SetStringValue(nullptr, L"{00000000-0000-0000-0000-000000000000}");
    }
}

void DeleteHandlerKeys(const CShellMenuExtension& extension)
{
    CRegKey::DeleteTree(HKEY_CLASSES_ROOT, extension.GetFilesKey());
    CRegKey::DeleteTree(HKEY_CLASSES_ROOT, extension.GetFoldersKey());
}

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        CreateHandlerKeys(m_converter);
        CreateHandlerKeys(m_player);
    }
    void TearDown() override
    {
        DeleteHandlerKeys(m_converter);
        DeleteHandlerKeys(m_player);
        m_app.reset();
    }
    // Runs the sheet as the command does; 'user' acts on it from another thread, with the
    // sheet's window.
    INT_PTR Run(const std::function<void(HWND)>& user)
    {
        CSettingsSheet sheet(nullptr);
        std::thread driver([&] {
            HWND window = WaitForWindow(L"Settings", 15000);
            if (window) {
                WaitUntil([&] { return FindChild(window, IDC_SETTINGS_PROMPT) != nullptr; }, 5000);
                user(window);
            }
            if (window)
                ::PostMessageW(window, WM_COMMAND, m_ok ? IDOK : IDCANCEL, 0);
        });
        const INT_PTR result = sheet.DoModal();
        driver.join();
        return result;
    }
    static bool Checked(HWND sheet, UINT id)
    {
        return ::SendMessageW(FindChild(sheet, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void Click(HWND sheet, UINT id) { ::SendMessageW(FindChild(sheet, id), BM_CLICK, 0, 0); }

    std::unique_ptr<CConverterTestApp> m_app;
    CShellMenuExtension m_converter{kConverterShellExtensionFileName, kConverterShellHandlerName};
    CShellMenuExtension m_player{L"Brackel.dll", CShellMenuExtension::HandlerNameOf(L"Lumivo")};
    bool m_ok = true;
};

}  // namespace

TEST_F(SettingsSheet, AnUnknownOverwriteValueShowsPromptMeAndOkStoresItWithTheOtherChoices)
{
    CConverterSettings& s = m_app->Settings();
    s.overwrite = 5;
    s.autoCheckUpdate = 1;
    bool prompt = false, autoCheck = false, contextMenu = false;
    EXPECT_EQ(IDOK, Run([&](HWND sheet) {
        prompt = Checked(sheet, IDC_SETTINGS_PROMPT);
        autoCheck = Checked(sheet, IDC_SETTINGS_AUTO_CHECK);
        contextMenu = Checked(sheet, IDC_SETTINGS_CONTEXT_MENU);
        Shot(L"settings sheet", sheet);
        Click(sheet, IDC_SETTINGS_AUTO_CHECK);
        Click(sheet, IDC_SETTINGS_CONTEXT_MENU);
    }));
    EXPECT_TRUE(prompt);
    EXPECT_TRUE(autoCheck);
    // The converter's own entry is what the box shows.
    EXPECT_TRUE(contextMenu);
    EXPECT_EQ(0, s.overwrite);
    EXPECT_EQ(0, s.autoCheckUpdate);
    // Unticked and OK: the converter's entry is gone, the player's stays.
    EXPECT_EQ(0, m_converter.IsRegistered());
    EXPECT_EQ(2, m_player.IsRegistered());

    // Another round: the box follows the converter's entry only, and a choice is stored as its value.
    bool contextAgain = true;
    EXPECT_EQ(IDOK, Run([&](HWND sheet) {
        contextAgain = Checked(sheet, IDC_SETTINGS_CONTEXT_MENU);
        Click(sheet, IDC_SETTINGS_OVERWRITE);
    }));
    EXPECT_FALSE(contextAgain);
    EXPECT_EQ(12, s.overwrite);
    EXPECT_EQ(0, m_converter.IsRegistered());
    EXPECT_EQ(2, m_player.IsRegistered());
}

TEST_F(SettingsSheet, CancelKeepsTheSettingsAndTheExplorerEntry)
{
    CConverterSettings& s = m_app->Settings();
    s.overwrite = 13;
    s.autoCheckUpdate = 0;
    m_ok = false;
    bool cancelChoice = false;
    EXPECT_EQ(IDCANCEL, Run([&](HWND sheet) {
        cancelChoice = Checked(sheet, IDC_SETTINGS_CANCEL);
        Click(sheet, IDC_SETTINGS_NEW_NAME);
        Click(sheet, IDC_SETTINGS_AUTO_CHECK);
        Click(sheet, IDC_SETTINGS_CONTEXT_MENU);
    }));
    EXPECT_TRUE(cancelChoice);
    EXPECT_EQ(13, s.overwrite);
    EXPECT_EQ(0, s.autoCheckUpdate);
    EXPECT_EQ(2, m_converter.IsRegistered());
}

namespace {

std::vector<CString> g_sheetMessages;
std::vector<CString> g_sheetShellCalls;

int WINAPI RecordSheetMessage(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_sheetMessages.push_back(text ? text : L"");
    return IDOK;
}

HINSTANCE WINAPI RecordSheetShell(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    g_sheetShellCalls.push_back(CString(file ? file : L"") + L" " + (parameters ? parameters : L""));
    return (HINSTANCE)42;
}

}  // namespace

TEST_F(SettingsSheet, TickedWithoutItsExtensionTheSwitchSaysSoAndWithItRegistersIt)
{
    DeleteHandlerKeys(m_converter);
    const CString folder = MakeAwkwardFolder(L"settings app");
    ::DeleteFileW(folder + L"\\Nordane.dll");
    ASSERT_TRUE(m_app->App().WriteProfileString(L"", L"AppFolder", folder));
    g_sheetMessages.clear();
    g_sheetShellCalls.clear();
    FwMessageBoxFn oldBox = FwSetMessageBoxFunction(RecordSheetMessage);
    FwShellExecuteFn oldShell = FwSetShellExecuteFunction(RecordSheetShell);
    bool ticked = true;
    EXPECT_EQ(IDOK, Run([&](HWND sheet) {
        ticked = Checked(sheet, IDC_SETTINGS_CONTEXT_MENU);
        Click(sheet, IDC_SETTINGS_CONTEXT_MENU);
    }));
    EXPECT_FALSE(ticked);
    // Nothing to register: the user is told which file is missing, and nothing is started.
    ASSERT_EQ(1u, g_sheetMessages.size());
    EXPECT_EQ(L"Cannot find the Explorer context menu extension:\n" + folder + L"\\Nordane.dll", g_sheetMessages[0]);
    EXPECT_TRUE(g_sheetShellCalls.empty());
    EXPECT_EQ(0, m_converter.IsRegistered());

    // With the extension beside the program: regsvr32 registers it, without a word.
    HANDLE dll = ::CreateFileW(folder + L"\\Nordane.dll", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, dll);
    ::CloseHandle(dll);
    g_sheetMessages.clear();
    EXPECT_EQ(IDOK, Run([&](HWND sheet) { Click(sheet, IDC_SETTINGS_CONTEXT_MENU); }));
    EXPECT_TRUE(g_sheetMessages.empty());
    ASSERT_EQ(1u, g_sheetShellCalls.size());
    EXPECT_EQ(L"regsvr32.exe /s /c \"" + folder + L"\\Nordane.dll\"", g_sheetShellCalls[0]);
    FwSetMessageBoxFunction(oldBox);
    FwSetShellExecuteFunction(oldShell);
}

TEST(SettingsSheetValues, TheChoicesMapToTheOverwriteValuesAndBack)
{
    for (int choice = 0; choice < 4; ++choice)
        EXPECT_EQ(choice, OverwriteChoiceOf(OverwriteOfChoice(choice)));
    EXPECT_EQ(0, OverwriteOfChoice(0));
    EXPECT_EQ(11, OverwriteOfChoice(1));
    EXPECT_EQ(12, OverwriteOfChoice(2));
    EXPECT_EQ(13, OverwriteOfChoice(3));
    for (int value : {0, 1, 2, 3, 5, 10, 14, -1})
        EXPECT_EQ(0, OverwriteChoiceOf(value)) << value;
    EXPECT_EQ(CString(L"Nordane.dll"), CString(kConverterShellExtensionFileName));
    EXPECT_EQ(CShellMenuExtension::HandlerNameOf(L"Ravento"), CString(kConverterShellHandlerName));
}

// ----- what start-up says of a presets file it could not use ----------------------------------------

namespace {

std::vector<CString> g_startMessages;

int WINAPI RecordStartMessage(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_startMessages.push_back(text ? text : L"");
    return IDOK;
}

// The messages start-up shows after the store has loaded the file at path.
std::vector<CString> ToldOf(CMediaPresetStore& store, const CString& path)
{
    g_startMessages.clear();
    FwMessageBoxFn old = FwSetMessageBoxFunction(RecordStartMessage);
    EXPECT_EQ(0, store.Load(path));
    TellPresetsFileProblem(store);
    FwSetMessageBoxFunction(old);
    return g_startMessages;
}

}  // namespace

TEST(PresetsFileProblem, AnotherVersionIsKeptAndToldAndAFileThatCannotBeKeptIsLeftAsItIs)
{
    CConverterTestApp app;
    const CString folder = MakeAwkwardFolder(L"told presets");
    const CString path = folder + L"\\MediaFormats.preset";
    ::DeleteFileW(path + L".bak");

    // A first start: nothing to tell.
    ::DeleteFileW(path);
    CMediaPresetStore first;
    EXPECT_TRUE(ToldOf(first, path).empty());
    ASSERT_EQ(0, first.Save());

    // Written by another version: replaced, as such a file is, once its copy is kept.
    std::string older = ReadBytes(path);
    const size_t version = older.find("Version=\"4.0.0\"");
    ASSERT_NE(std::string::npos, version);
    older.replace(version, 15, "Version=\"3.0.0\"");
    ASSERT_TRUE(WriteBytes(path, older));
    CMediaPresetStore second;
    std::vector<CString> told = ToldOf(second, path);
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ(L"The presets file is of another version and was not read:\n" + path +
                  L"\n\nThe built-in presets are used instead. The file was kept as:\n" + path + L".bak",
              told[0]);
    EXPECT_TRUE(older == ReadBytes(path + L".bak"));

    // Damaged and held by a program that does not let it be moved: said so, and left as it is.
    const std::string damaged = "<Presets Version=\"4.0.0\"><Catego";
    ASSERT_TRUE(WriteBytes(path, damaged));
    CMediaPresetStore third;
    {
        CHandle held(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        told = ToldOf(third, path);
    }
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ(L"The presets file could not be read:\n" + path +
                  L"\n\nThe built-in presets are used instead. The file could not be moved aside, so it is left as it"
                  L" is and changes to the presets are not saved.",
              told[0]);
    EXPECT_NE(0, third.Save());
    EXPECT_TRUE(damaged == ReadBytes(path));
    EXPECT_TRUE(older == ReadBytes(path + L".bak"));
}
