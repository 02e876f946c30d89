// The stage of the job tests (the scratch Modules folder and the clips made at test time), their
// fixtures, and small file helpers shared by the test files of conversion jobs.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "ConversionTestSupport.h"
#include "engine/ProbeTool.h"
#include "engine/ToolProcess.h"
#include "framework/String.h"

namespace convtest {

// The scratch application folder and the clips, made once per run.
struct Stage {
    CString problem;
    // silent: picture only; cutShort: a 30 s clip of which only the first third is on disk, while
    // its index (at the front) still says 30 s; shortSound: 20 s of sound in 30 s of picture.
    CString app, modules, probe, encoder, gifsicle, clips, av, tone, longClip, silent, cutShort, shortSound;
};

Stage& GetStage();

// The names in a folder, sorted, joined with "|".
CString NamesIn(const CString& folder);
// Whether two files hold the same bytes.
bool SameBytes(LPCWSTR a, LPCWSTR b);
// A title of exactly 'length' characters.
CString TitleOf(int length);
// Three minutes of picture and sound: a job that the test stops or closes is still encoding then,
// even on a fast machine. Empty when it cannot be made.
CString MinutesClip();

#define REQUIRE_STAGE()                                              \
    do {                                                             \
        if (!GetStage().problem.IsEmpty())                           \
            FAIL() << CStringA(GetStage().problem).GetString();      \
    } while (0)

// One job with its listener and notify window, on hosts that the test has set.
struct JobRun {
    JobRun() : window(&listener) {}
    CRecordingJobListener listener;
    CNotifyWindow window;
};

class JobTestBase : public testing::Test {
protected:
    void SetUp() override
    {
        Hosts.Store = &Store;
        Store.BuildCategories();
        for (INT_PTR c = 0; c < Store.Categories.GetSize(); ++c)
            for (INT_PTR f = 0; f < Store.Categories[c]->Formats.GetSize(); ++f)
                Store.Categories[c]->Formats[f]->LoadBuiltInPresets();
        Out = MakeScratchFolder(L"out");
    }

    std::unique_ptr<JobRun> Start(LPCWSTR source, LPCWSTR format, LPCWSTR preset, LPCWSTR name = nullptr)
    {
        std::unique_ptr<JobRun> run(new JobRun);
        CMediaConvertJob& job = run->listener.Job;
        job.Source.Path = source;
        job.Output.DestinationFolder = Out;
        job.Output.DestinationName = name ? name : L"";
        job.Output.FormatKey = format;
        job.Output.PresetName = preset;
        EXPECT_EQ(0, run->listener.StartJob(run->window.Get()));
        return run;
    }

    void Finish(JobRun& run, DWORD timeoutMs = 60000)
    {
        ASSERT_TRUE(PumpUntilFinished({&run.window}, timeoutMs));
    }

    CTestHosts Hosts;
    CMediaPresetStore Store;
    CString Out;
};

// Jobs with the real probe and a scripted stand-in for the encoder.
class ScriptedJobTest : public JobTestBase {
protected:
    void SetUp() override
    {
        JobTestBase::SetUp();
        if (!GetStage().problem.IsEmpty())
            return;
        Fake = MakeScratchFolder(L"fake modules");
        Hosts.ProbeTool = GetStage().probe;
        Hosts.EncoderTool = Fake + L"\\Velkor.exe";
        Hosts.AppFolder = GetStage().app;
        Log = Fake + L"\\log.txt";
        CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", Hosts.EncoderTool, FALSE);
        Script(L"progress 3\ninterval 30\n");
        CToolProcessBase::SetStopGraceForTests(1000);
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    void Script(const CString& text) { WriteUtf8(Fake + L"\\Velkor.fake", text + L"log " + Log + L"\n"); }
    // A stand-in probe in the place of the real one: it answers with what the real probe says of
    // 'clip', after the script's lines, and logs each run in ProbeLog. False when it cannot be laid out.
    bool StandInProbe(const CString& clip, const CString& lines = CString())
    {
        const CString json = Fake + L"\\answer.json";
        CProbeTool real;
        real.SetPath(GetStage().probe);
        CProbeOptions options;
        options.InputPath = clip;
        ProbeLog = Fake + L"\\probe log.txt";
        Hosts.ProbeTool = Fake + L"\\Quisset.exe";
        return real.Launch(options, json, nullptr) == 0 &&
               CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", Hosts.ProbeTool, FALSE) &&
               WriteUtf8(Fake + L"\\Quisset.fake", lines + L"stdout_file " + json + L"\nlog " + ProbeLog + L"\n");
    }
    // How many times the stand-in probe ran on a command line naming the text.
    int ProbeRuns(const CString& naming)
    {
        int runs = 0;
        for (CString rest = ReadUtf8(ProbeLog); !rest.IsEmpty();) {
            const int end = rest.Find(L'\n');
            const CString line = end >= 0 ? rest.Left(end) : rest;
            rest = end >= 0 ? rest.Mid(end + 1) : CString();
            if (line.Find(L"cmdline: ") == 0 && line.Find(naming) >= 0)
                ++runs;
        }
        return runs;
    }
    // What the stand-in logged of its runs.
    CString LoggedArgs() { return ReadUtf8(Log); }

    CString Fake, Log, ProbeLog;
};

// Real conversions: the probe, the encoder and gifsicle from the scratch Modules folder.
class RealJobTest : public JobTestBase {
protected:
    void SetUp() override
    {
        JobTestBase::SetUp();
        Hosts.ProbeTool = GetStage().probe;
        Hosts.EncoderTool = GetStage().encoder;
        Hosts.AppFolder = GetStage().app;
    }
};

}  // namespace convtest
