// The tool runner under Wine: interpreter lines carried out without the interpreter, the output
// redirect, exit codes, stop requests and the end of every process a stopped tool started.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "framework/Effects.h"
#include "encoder_test_support.h"
#include "media_test_support.h"

using namespace enginetest;

namespace {

TEST(CommandLine, AddRefusesNullAndEmptyAndSeparatesByOneBlank)
{
    CCommandLine cl;
    EXPECT_EQ(-1, cl.Add(nullptr));
    EXPECT_EQ(-1, cl.Add(L""));
    EXPECT_STREQ(L"", cl.GetText());
    EXPECT_EQ(0, cl.Add(L"-y"));
    EXPECT_STREQ(L"-y", cl.GetText());
    EXPECT_EQ(-1, cl.Add(L""));
    EXPECT_EQ(0, cl.Add(L"\"a b\""));
    EXPECT_STREQ(L"-y \"a b\"", cl.GetText());
}

TEST(CommandLine, PairsAndOptions)
{
    CCommandLine cl;
    cl.AddPair(L"-map", nullptr);
    cl.AddPair(nullptr, L"0:v");
    cl.AddPair(L"-c", L"copy");
    cl.AddOption(L"-f", L"%s", L"mp4");
    cl.AddOption(L"-metadata", L"%s", L"");   // an empty value adds the name alone
    cl.AddOption(nullptr, L"\"%s\"", L"C:\\a b\\c.mp4");
    cl.AddOption(L"-callback_context", L"%I64d", (__int64)-123);
    cl.AddOption(L"-an");
    cl.AddOption(nullptr, nullptr);
    EXPECT_STREQ(L"-map 0:v -c copy -f mp4 -metadata \"C:\\a b\\c.mp4\" -callback_context -123 -an", cl.GetText());
}

TEST(CommandLine, ToolCommandsWrapTheQuotedToolForTheInterpreter)
{
    EXPECT_STREQ(L"CMD /C \"\"C:\\t x\\Quisset.exe\" -i \"a b\"\"", MakeToolCommand(L"C:\\t x\\Quisset.exe", L"-i \"a b\""));
    EXPECT_STREQ(L"CMD /C \"\"C:\\t\\Q.exe\" -v quiet >\"C:\\o u.txt\"\"",
                 MakeToolCommandWithOutput(L"C:\\t\\Q.exe", L"-v quiet", L"C:\\o u.txt"));
}

TEST(CommandLine, InterpreterLinesSplitIntoToolArgumentsAndRedirect)
{
    CString tool, args, output;
    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommand(L"C:\\t x\\Q.exe", L"-i \"a b\" -y"), tool, args, output));
    EXPECT_STREQ(L"C:\\t x\\Q.exe", tool);
    EXPECT_STREQ(L"-i \"a b\" -y", args);
    EXPECT_STREQ(L"", output);

    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommandWithOutput(L"C:\\t\\Q.exe", L"\"C:\\in %OS%.mp4\" -v quiet",
                                                                   L"C:\\o %TEMP%.txt"),
                                         tool, args, output));
    EXPECT_STREQ(L"C:\\t\\Q.exe", tool);
    EXPECT_STREQ(L"\"C:\\in %OS%.mp4\" -v quiet", args);
    EXPECT_STREQ(L"C:\\o %TEMP%.txt", output);

    // No arguments at all, with and without a redirect.
    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommand(L"C:\\Q.exe", L""), tool, args, output));
    EXPECT_STREQ(L"", args);
    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommandWithOutput(L"C:\\Q.exe", L"", L"C:\\o"), tool, args, output));
    EXPECT_STREQ(L"", args);
    EXPECT_STREQ(L"C:\\o", output);

    // A quoted last argument is no redirect unless a '>' starts it.
    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommand(L"C:\\V.exe", L"-i \"a\" \"C:\\out.mp4\""), tool, args, output));
    EXPECT_STREQ(L"-i \"a\" \"C:\\out.mp4\"", args);
    EXPECT_STREQ(L"", output);
    ASSERT_TRUE(detail::SplitToolCommand(MakeToolCommand(L"C:\\V.exe", L"-x a>\"b\""), tool, args, output));
    EXPECT_STREQ(L"-x a>\"b\"", args);

    // Other lines are not the interpreter form.
    for (LPCWSTR line : {L"\"C:\\V.exe\" -y", L"CMD /C \"C:\\V.exe -y\"", L"CMD /C \"\"\" -y\"", L"CMD /K \"\"C:\\V.exe\" -y\"",
                         L"CMD /C \"\"C:\\V.exe\"-y\"", L""})
        EXPECT_FALSE(detail::SplitToolCommand(line, tool, args, output)) << CStringA(line).GetString();
    EXPECT_FALSE(detail::SplitToolCommand(nullptr, tool, args, output));
}

class ToolRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(kGraceMs);
        m_folder = MakeAwkwardFolder(L"run");
        ASSERT_FALSE(m_folder.IsEmpty());
        m_tool = InstallFakeTool(m_folder, L"Velkor.exe");
        ASSERT_FALSE(m_tool.IsEmpty());
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    CString In(LPCWSTR name) const { return m_folder + L"\\" + name; }

    int RunTool(LPCWSTR args, const volatile int* stopFlag = nullptr)
    {
        CToolProcessBase runner;
        runner.SetPath(m_tool);
        return runner.Run(MakeToolCommand(m_tool, args), stopFlag);
    }

    static const DWORD kGraceMs = 400;
    CString m_folder;
    CString m_tool;
};

TEST_F(ToolRunner, ArgumentsWithBlanksAmpersandsParenthesesAndNonAsciiArriveExactly)
{
    CString input = In(L"in \u00e9 & (1) \u0436.mp4");
    CString output = In(L"out (2) & \u00fc.mp4");
    CString log = In(L"log.txt");
    CCommandLine cl;
    cl.AddOption(L"-i", L"\"%s\"", input.GetString());
    cl.AddOption(L"-fake_log", L"\"%s\"", log.GetString());
    cl.AddOption(L"-vf", L"\"%s\"", L"scale=320:-1,setpts=2.000000*PTS");
    cl.AddOption(L"-metadata", L"\"%s\"", L"title=a & b (c)");
    cl.AddOption(nullptr, L"\"%s\"", output.GetString());

    ASSERT_EQ(0, RunTool(cl));

    std::vector<CString> lines = ReadLines(log);
    std::vector<CString> expected = {
        L"cmdline: \"" + m_tool + L"\" " + cl.GetText(),
        L"arg: -i", L"arg: " + input,
        L"arg: -fake_log", L"arg: " + log,
        L"arg: -vf", L"arg: scale=320:-1,setpts=2.000000*PTS",
        L"arg: -metadata", L"arg: title=a & b (c)",
        L"arg: " + output,
    };
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_STREQ(expected[i], lines[i]) << i;
}

// The interpreter expands %NAME% even inside quotes: a path holding one named another file.
TEST_F(ToolRunner, PercentAndExclamationNamesReachTheToolUnexpanded)
{
    mediatest::CScopedEnv env(L"ENGINE_RUN_VAR", L"expanded");
    CString folder = In(L"clips %OS% !ENGINE_RUN_VAR! %ENGINE_RUN_VAR%");
    ASSERT_TRUE(CreateDirectoryW(folder, nullptr));
    CString input = folder + L"\\in %ENGINE_RUN_VAR% ^ & (1).mp4";
    CString log = folder + L"\\log %ENGINE_RUN_VAR%.txt";
    CString args;
    args.Format(L"-i \"%s\" -fake_log \"%s\" -metadata \"title=100%% %%PATH%%\"", input.GetString(), log.GetString());
    ASSERT_EQ(0, RunTool(args));
    std::vector<CString> lines = ReadLines(log);
    ASSERT_EQ(7u, lines.size()) << "the log went elsewhere";
    EXPECT_STREQ(L"cmdline: \"" + m_tool + L"\" " + args, lines[0]);
    EXPECT_STREQ(L"arg: " + input, lines[2]);
    EXPECT_STREQ(L"arg: title=100% %PATH%", lines[6]);

    // The redirect's file and the tool's own input file keep their names too.
    CString json = folder + L"\\probe %OS%.json";
    ASSERT_TRUE(WriteUtf8File(json, L"{\"format\": {}}"));
    CString output = folder + L"\\out %ENGINE_RUN_VAR%.txt";
    args.Format(L"-fake_stdout_file \"%s\"", json.GetString());
    CToolProcessBase runner;
    runner.SetPath(m_tool);
    ASSERT_EQ(0, runner.Run(MakeToolCommandWithOutput(m_tool, args, output), nullptr));
    EXPECT_STREQ(L"{\"format\": {}}", ReadUtf8File(output));
}

TEST_F(ToolRunner, RedirectWritesTheToolsStandardOutputToTheFile)
{
    CString json = In(L"probe \u00e9.json");
    const wchar_t* body = L"{\n  \"format\": { \"filename\": \"C:\\\\a & (b) \u00e9\u0436.mp4\" }\n}\n";
    ASSERT_TRUE(WriteUtf8File(json, body));
    CString output = In(L"out & (1) \u00e9.txt");
    CString args;
    args.Format(L"-v quiet -print_format json -fake_stdout_file \"%s\"", json.GetString());

    CToolProcessBase runner;
    runner.SetPath(m_tool);
    ASSERT_EQ(0, runner.Run(MakeToolCommandWithOutput(m_tool, args, output), nullptr));
    EXPECT_STREQ(body, ReadUtf8File(output));
}

TEST_F(ToolRunner, ExitCodeIsTheTools)
{
    EXPECT_EQ(0, RunTool(L"-fake_exit 0"));
    EXPECT_EQ(-1, RunTool(L"-fake_exit 3"));
    EXPECT_EQ(-1, RunTool(L"-fake_exit -1"));
    volatile int flag = 0;
    EXPECT_EQ(0, RunTool(L"-fake_exit 0", &flag));   // a flag that stayed 0 is no stop
    EXPECT_EQ(-1, RunTool(L"-fake_exit 7", &flag));
}

TEST_F(ToolRunner, ScriptBesideTheToolSetsItsBehaviour)
{
    ASSERT_TRUE(WriteUtf8File(In(L"Velkor.fake"), L"# a tool that fails\nexit 9\n"));
    EXPECT_EQ(-1, RunTool(L"-i x"));
    EXPECT_EQ(0, RunTool(L"-fake_exit 0"));   // the command line overrides the script
}

TEST_F(ToolRunner, StopEndsAToolThatIgnoresItAndTheChildItStarted)
{
    CString pidFile = In(L"pids.txt");
    CString args;
    args.Format(L"-fake_hang -fake_child -fake_pid_file \"%s\"", pidFile.GetString());
    volatile int flag = 0;
    int result = 99;
    DWORD stoppedAt = 0, endedAt = 0;
    {
        CPumpedThread run([&] {
            result = RunTool(args, &flag);
            endedAt = GetTickCount();
        });
        ASSERT_TRUE(WaitUntil([&] { return ReadPids(pidFile).size() == 2; }, 30000));
        std::vector<DWORD> pids = ReadPids(pidFile);
        EXPECT_TRUE(IsProcessListed(pids[0]));
        EXPECT_TRUE(IsProcessListed(pids[1]));
        Sleep(300);
        EXPECT_FALSE(run.Join(0)) << "the run ended before it was stopped";
        stoppedAt = GetTickCount();
        flag = 2;
        ASSERT_TRUE(run.Join(60000));
    }
    EXPECT_EQ(1, result);
    EXPECT_GE(endedAt - stoppedAt, kGraceMs - 50) << "the grace was not given";
    EXPECT_LT(endedAt - stoppedAt, kGraceMs + 20000);
    for (DWORD pid : ReadPids(pidFile))
        EXPECT_FALSE(IsProcessListed(pid)) << "process " << pid << " still runs";
}

TEST_F(ToolRunner, StopDoesNotWaitOutTheGraceWhenTheToolEnds)
{
    CToolProcessBase::SetStopGraceForTests(60000);
    volatile int flag = 2;
    DWORD start = GetTickCount();
    EXPECT_EQ(1, RunTool(L"-fake_delay 200 -fake_exit 0", &flag));
    EXPECT_LT(GetTickCount() - start, 40000u);
}

TEST_F(ToolRunner, FlagOneDoesNotShortenTheWaitButMarksTheRunStopped)
{
    volatile int flag = 1;
    DWORD start = GetTickCount();
    EXPECT_EQ(1, RunTool(L"-fake_delay 800 -fake_exit 3", &flag));
    EXPECT_GE(GetTickCount() - start, 750u);
}

TEST_F(ToolRunner, WhatAToolLeftRunningEndsWithTheRun)
{
    CString pidFile = In(L"pids.txt");
    CString args;
    args.Format(L"-fake_child -fake_delay 700 -fake_pid_file \"%s\"", pidFile.GetString());
    EXPECT_EQ(0, RunTool(args));
    std::vector<DWORD> pids = ReadPids(pidFile);
    ASSERT_EQ(2u, pids.size());
    EXPECT_FALSE(IsProcessListed(pids[1])) << "the tool's child outlived the run";
}

TEST_F(ToolRunner, MissingRelativeOrFolderPathsFailWithoutStartingAnything)
{
    CString log = In(L"never.txt");
    CString args;
    args.Format(L"-fake_log \"%s\"", log.GetString());
    CString binDir = GetEnv(L"TEST_BIN_DIR");
    wchar_t saved[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH + 1, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(binDir));

    const wchar_t* paths[] = {L"faketool.exe", L".\\faketool.exe", L"\\faketool.exe", L"", nullptr};
    for (const wchar_t* path : paths) {
        CToolProcessBase runner;
        runner.SetPath(path);
        EXPECT_EQ(-1, runner.Run(MakeToolCommand(path, args), nullptr)) << (path ? CStringA(path).GetString() : "null");
    }
    CToolProcessBase missing;
    missing.SetPath(In(L"Quisset.exe"));
    EXPECT_EQ(-1, missing.Run(MakeToolCommand(In(L"Quisset.exe"), args), nullptr));
    CToolProcessBase folder;
    folder.SetPath(m_folder);
    EXPECT_EQ(-1, folder.Run(MakeToolCommand(m_folder, args), nullptr));

    SetCurrentDirectoryW(saved);
    EXPECT_EQ(-1, GetFileSize64(log)) << "something was started";
}

// The system's refusals of a start, decided by the test: the first 'refusals' starts fail with
// 'error'; the others start the program.
struct CStartRefusals {
    static int refusals;
    static DWORD error;
    static int calls;
    static FwCreateProcessFn next;
    static BOOL WINAPI Start(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                             LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                             LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info)
    {
        if (calls++ < refusals) {
            SetLastError(error);
            return FALSE;
        }
        return next(application, commandLine, processAttributes, threadAttributes, inherit, flags, environment, folder,
                    startup, info);
    }
    CStartRefusals(int n, DWORD e)
    {
        refusals = n;
        error = e;
        calls = 0;
        next = FwSetCreateProcessFunction(&Start);
    }
    ~CStartRefusals() { FwSetCreateProcessFunction(next); }
};
int CStartRefusals::refusals = 0;
DWORD CStartRefusals::error = 0;
int CStartRefusals::calls = 0;
FwCreateProcessFn CStartRefusals::next = nullptr;

// A loaded Wine now and then fails to start a program that is there (ERROR_INTERNAL_ERROR), as a
// system short of resources does: that start is tried again. A program that cannot be started at
// all is not, and a stop ends the tries.
TEST_F(ToolRunner, AStartTheSystemRefusesForAMomentIsTriedAgain)
{
    CString log = In(L"started.txt"), output = In(L"redirected.txt");
    CString args;
    args.Format(L"-fake_log \"%s\" -fake_stdout_text answered", log.GetString());
    {
        CStartRefusals refusals(2, ERROR_INTERNAL_ERROR);
        EXPECT_EQ(0, RunTool(args));
        EXPECT_EQ(3, CStartRefusals::calls);
    }
    EXPECT_EQ(1u, enctest::ReadRuns(log).size()) << "the tool ran once";
    {
        CStartRefusals refusals(1, ERROR_NOT_ENOUGH_MEMORY);
        CToolProcessBase runner;
        runner.SetPath(m_tool);
        EXPECT_EQ(0, runner.Run(MakeToolCommandWithOutput(m_tool, args, output), nullptr));
        EXPECT_EQ(2, CStartRefusals::calls);
    }
    EXPECT_STREQ(L"answered", ReadUtf8File(output)) << "a redirected run writes its output after a refusal";
    {
        CStartRefusals refusals(1000, ERROR_INTERNAL_ERROR);
        EXPECT_EQ(-1, RunTool(args));
        EXPECT_GT(CStartRefusals::calls, 1);
        EXPECT_LT(CStartRefusals::calls, 20) << "a start refused for good fails in the end";
    }
    {
        CStartRefusals refusals(1000, ERROR_BAD_EXE_FORMAT);
        EXPECT_EQ(-1, RunTool(args));
        EXPECT_EQ(1, CStartRefusals::calls) << "no program: nothing to try again";
    }
    {
        CStartRefusals refusals(1000, ERROR_INTERNAL_ERROR);
        volatile int stop = 2;
        EXPECT_EQ(1, RunTool(args, &stop));
        EXPECT_EQ(1, CStartRefusals::calls) << "a stopped run tries no more";
    }
    EXPECT_EQ(2u, enctest::ReadRuns(log).size()) << "the two runs that started, and no other";
}

// The tools need no folder of their own (every path on their command lines is absolute), but a
// folder a child cannot start in fails the start: under Wine one past MAX_PATH even corrupts our
// heap. The relative name of the tool's output file shows where it ran.
TEST_F(ToolRunner, AFolderTooLongForAChildIsNotHandedToTheTool)
{
    const CString deep = MakeDeepFolder(L"deep run", 300);
    ASSERT_GE(deep.GetLength(), 300);
    const CString shallow = In(L"shallow");
    const CString ours = In(L"ours");
    ASSERT_TRUE(CreateDirectoryW(shallow, nullptr));
    ASSERT_TRUE(CreateDirectoryW(ours, nullptr));
    ASSERT_TRUE(WriteUtf8File(deep + L"\\where.txt", L"deep"));
    ASSERT_TRUE(WriteUtf8File(shallow + L"\\where.txt", L"shallow"));
    ASSERT_TRUE(WriteUtf8File(ours + L"\\where.txt", L"ours"));
    wchar_t saved[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH + 1, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(ours));

    auto RunIn = [&](const CString& folder, const CString& output) {
        CToolProcessBase runner;
        runner.SetPath(m_tool);
        runner.m_strWorkingFolder = folder;
        return runner.Run(MakeToolCommandWithOutput(m_tool, L"-fake_stdout_file where.txt", output), nullptr);
    };
    EXPECT_EQ(0, RunIn(shallow, In(L"1.txt")));
    EXPECT_STREQ(L"shallow", ReadUtf8File(In(L"1.txt"))) << "a folder the tool can take is its";
    EXPECT_EQ(0, RunIn(deep, In(L"2.txt")));
    EXPECT_STREQ(L"ours", ReadUtf8File(In(L"2.txt"))) << "too long: the tool runs where we are";

    // Our own folder too long as well (Wine lets a process have one): the tool still starts.
    const bool deepCurrent = SetCurrentDirectoryW(deep) != FALSE;
    const int fromDeep = RunIn(deep, In(L"3.txt"));
    const int withoutFolder = RunIn(CString(), In(L"4.txt"));
    SetCurrentDirectoryW(saved);
    if (deepCurrent) {
        EXPECT_EQ(0, fromDeep);
        EXPECT_EQ(0, withoutFolder);
        EXPECT_STREQ(L"", ReadUtf8File(In(L"4.txt"))) << "it ran in a folder of its own choosing";
    }
    EXPECT_STREQ(shallow, GetToolStartFolder(shallow));
    EXPECT_STREQ(L"", GetToolStartFolder(deep)) << "our own folder, short again";
    EXPECT_STREQ(L"", GetToolStartFolder(In(L"no such folder")));
}

CString g_openedFile;
int g_openedShow = -1;
HINSTANCE WINAPI RecordShellOpen(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show)
{
    g_openedFile = file;
    g_openedShow = (verb || parameters) ? -2 : show;
    return (HINSTANCE)33;
}

TEST_F(ToolRunner, ProbeWarmStartOpensAnExistingFileHidden)
{
    FwShellExecuteFn previous = FwSetShellExecuteFunction(RecordShellOpen);
    EXPECT_EQ(-1, StartProbeToolHidden(In(L"Quisset.exe")));
    EXPECT_EQ(-1, StartProbeToolHidden(nullptr));
    EXPECT_TRUE(g_openedFile.IsEmpty());
    EXPECT_EQ(0, StartProbeToolHidden(m_tool));
    FwSetShellExecuteFunction(previous);
    EXPECT_STREQ(m_tool, g_openedFile);
    EXPECT_EQ(SW_HIDE, g_openedShow);
}

}  // namespace
