// Conversion jobs through the runner and its worker thread: output naming and the file-exists
// check, status texts and the listener's reports with a scripted encoder, and real conversions
// with the probe, the encoder and gifsicle on clips made at test time.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "ConversionTestSupport.h"
#include "JobTestFixtures.h"
#include "conversion/GifOutput.h"
#include "conversion/OutputNaming.h"
#include "engine/ProbeTool.h"
#include "engine/SystemHelpers.h"
#include "engine/ToolProcess.h"
#include "framework/Effects.h"
#include "framework/Handles.h"

using namespace convtest;

namespace {

class NamingTest : public JobTestBase {};

TEST_F(NamingTest, NumberedNamesSkipTakenFiles)
{
    for (LPCWSTR name : {L"\\clip.mp4", L"\\clip (1).mp4", L"\\clip (2).mp4"})
        ASSERT_TRUE(WriteBytes(Out + name, "x", 1));
    EXPECT_STREQ(L"clip (3)", MakeNumberedFileName(Out, L"clip", L".mp4"));
    EXPECT_STREQ(Out + L"\\clip (3).mp4", MakeUniqueFilePath(Out, L"clip", L".mp4"));
    EXPECT_STREQ(Out + L"\\other.mp4", MakeUniqueFilePath(Out, L"other", L".mp4"));
    // The plain title is never offered by the numbered form.
    EXPECT_STREQ(L"other (1)", MakeNumberedFileName(Out, L"other", L".mp4"));
}

// A numbered name is one the file system takes: for a title as long as a name may be, the title
// is cut, never the number or the extension. So Rename All and the prompt's suggestion give a
// name that can be written.
TEST_F(NamingTest, ANumberedNameOfALongTitleFitsANamesLimit)
{
    const CString title = TitleOf(251);
    ASSERT_TRUE(WriteBytes(Out + L"\\" + title + L".mkv", "x", 1));
    EXPECT_STREQ(title.Left(247) + L" (1)", MakeNumberedFileName(Out, title, L".mkv"));
    ASSERT_TRUE(WriteBytes(Out + L"\\" + title.Left(247) + L" (1).mkv", "x", 1));
    EXPECT_STREQ(Out + L"\\" + title.Left(247) + L" (2).mkv", MakeUniqueFilePath(Out, title, L".mkv"));

    CString path = Out + L"\\" + title + L".mkv";
    int answer = FILE_EXISTS_RENAME_ALL;
    EXPECT_EQ(1, CheckExistingFile(path, answer));
    EXPECT_STREQ(Out + L"\\" + title.Left(247) + L" (2).mkv", path);
    EXPECT_TRUE(WriteBytes(path, "x", 1));
    // A short title is never cut, and the tenth number takes one more character off a long one.
    EXPECT_STREQ(L"clip (1)", MakeNumberedFileName(Out, L"clip", L".mkv"));
    for (int n = 3; n <= 9; ++n) {
        CString taken;
        taken.Format(L"%s (%d).mkv", title.Left(247).GetString(), n);
        ASSERT_TRUE(WriteBytes(Out + L"\\" + taken, "x", 1));
    }
    EXPECT_STREQ(title.Left(246) + L" (10)", MakeNumberedFileName(Out, title, L".mkv"));
    // Nor is a character beyond the 16-bit range cut in half.
    const CString wide = TitleOf(246) + L"\xD83C\xDFAC end";
    EXPECT_STREQ(TitleOf(246) + L" (1)", MakeNumberedFileName(Out, wide, L".mkv"));
}

TEST_F(NamingTest, ExistingFileCheckFollowsThePromptsAnswers)
{
    ASSERT_TRUE(WriteBytes(Out + L"\\clip.mp4", "x", 1));
    ASSERT_TRUE(WriteBytes(Out + L"\\taken.mp4", "x", 1));

    CString path = Out + L"\\free.mp4";
    int answer = 0;
    EXPECT_EQ(0, CheckExistingFile(path, answer));
    EXPECT_TRUE(Hosts.Questions.empty());

    // Renaming to a taken name asks again, still about the file first found; an unknown answer
    // asks again too.
    Hosts.Answers = {FILE_EXISTS_RENAME, 0, FILE_EXISTS_RENAME};
    Hosts.RenameTo = {L"taken", L"", L"new name"};
    path = Out + L"\\clip.mp4";
    EXPECT_EQ(1, CheckExistingFile(path, answer));
    EXPECT_STREQ(Out + L"\\new name.mp4", path);
    EXPECT_EQ(FILE_EXISTS_RENAME, answer);
    ASSERT_EQ(3u, Hosts.Questions.size());
    EXPECT_STREQ(Out + L"|clip|.mp4", Hosts.Questions[2]);
}

TEST_F(NamingTest, StandingAnswersApplyWithoutAPrompt)
{
    ASSERT_TRUE(WriteBytes(Out + L"\\clip.mp4", "x", 1));
    ASSERT_TRUE(WriteBytes(Out + L"\\clip (1).mp4", "x", 1));
    for (int standing : {FILE_EXISTS_OVERWRITE_ALL, FILE_EXISTS_SKIP_ALL}) {
        CString path = Out + L"\\clip.mp4";
        int answer = standing;
        EXPECT_EQ(1, CheckExistingFile(path, answer));
        EXPECT_STREQ(Out + L"\\clip.mp4", path);
        EXPECT_EQ(standing, answer);
    }
    CString path = Out + L"\\clip.mp4";
    int answer = FILE_EXISTS_RENAME_ALL;
    EXPECT_EQ(1, CheckExistingFile(path, answer));
    EXPECT_STREQ(Out + L"\\clip (2).mp4", path);
    EXPECT_TRUE(Hosts.Questions.empty());
}

TEST_F(NamingTest, PromptThatCannotBeShownSkipsInsteadOfLooping)
{
    ASSERT_TRUE(WriteBytes(Out + L"\\clip.mp4", "x", 1));
    CString path = Out + L"\\clip.mp4";
    int answer = 0;
    EXPECT_EQ(1, CheckExistingFile(path, answer));
    EXPECT_EQ(FILE_EXISTS_SKIP, answer);
    EXPECT_EQ(1u, Hosts.Questions.size());

    // Without any host there is nobody to ask either.
    SetConvertHost(nullptr);
    answer = 0;
    EXPECT_EQ(1, CheckExistingFile(path, answer));
    EXPECT_EQ(FILE_EXISTS_SKIP, answer);
    SetConvertHost(&Hosts);
}

TEST_F(NamingTest, ToolLocationsFollowTheApplicationFolder)
{
    Hosts.AppFolder = L"C:\\App x";
    EXPECT_STREQ(L"C:\\App x\\Modules\\gifsicle.exe", GetGifsiclePath());
    EXPECT_STREQ(L"C:\\App x\\Lumivo.exe", GetPlayerExePath());
    EXPECT_STREQ(L"C:\\App x\\Modules\\Presets", GetConvertPresetsFolder());
}

// ---------------------------------------------------------------------------------------------

TEST_F(ScriptedJobTest, EncoderThatWritesNothingFails)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mp4", L"H.264");
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_STATE_FINISHED, job.Status.State);
    EXPECT_EQ(JOB_RESULT_FAILED, job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_CANNOT_CONVERT, job.Status.Detail);
    EXPECT_STREQ(L"Failed", run->listener.LastStatus());
    EXPECT_STREQ(L"Cannot convert to selected format", run->listener.LastDetail());
    EXPECT_STREQ(Out + L"\\av clip.mp4", job.Target.Path);
    EXPECT_EQ(0u, job.Status.JobFlags & JOB_OUTPUT_WRITTEN);
    // The encoder had reported its whole length; the failed job's progress starts over.
    EXPECT_EQ(0, job.Status.ProgressPosition);
    EXPECT_EQ(100, job.Status.ProgressRange);
}

TEST_F(ScriptedJobTest, EmptyOutputFailsToo)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(WriteBytes(Out + L"\\av clip.mp4", "", 0));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mp4", L"H.264");
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_FAILED, run->listener.Job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_CANNOT_CONVERT, run->listener.Job.Status.Detail);
    EXPECT_TRUE(Hosts.Questions.empty());
}

// The encoder writes beside the destination; the file the user chose to overwrite stays whole
// until a finished output replaces it, and a stopped or failed run leaves nothing behind.
TEST_F(ScriptedJobTest, OnlyAFinishedOutputTakesTheDestinationsName)
{
    REQUIRE_STAGE();
    // Every output reads back as the clip it was made from.
    ASSERT_TRUE(StandInProbe(GetStage().av));
    const CString target = Out + L"\\av clip.mkv", partial = Out + L"\\av clip.mkv.part";
    ASSERT_TRUE(WriteUtf8(target, L"old"));
    Script(L"output_text new\nprogress 1000\ninterval 50\nhang\n");
    // One answer for each job's question, in turn.
    Hosts.Answers = {FILE_EXISTS_OVERWRITE, FILE_EXISTS_OVERWRITE, FILE_EXISTS_OVERWRITE, FILE_EXISTS_RENAME};
    Hosts.RenameTo = {L"", L"", L"", L"av clip (1)"};
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
    const DWORD start = GetTickCount();
    while (run->listener.ProgressCount() < 2 && GetTickCount() - start < 30000)
        PumpFor(20);
    ASSERT_GE(run->listener.ProgressCount(), 2);
    EXPECT_STREQ(L"new", ReadUtf8(partial)) << "the encoder writes beside the destination";
    EXPECT_STREQ(L"old", ReadUtf8(target));
    EXPECT_EQ(0, run->listener.StopJob());
    EXPECT_EQ(JOB_RESULT_CANCELED, run->listener.Job.Status.Result);
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out)) << "the stopped run's file is gone";
    EXPECT_STREQ(L"old", ReadUtf8(target));

    auto RunToItsEnd = [&](LPCWSTR script) {
        Script(script);
        std::unique_ptr<JobRun> next = Start(GetStage().av, L"VF_mkv", L"H.264");
        Finish(*next);
        return next->listener.Job.Status.Result;
    };
    // A failed run: the same.
    EXPECT_EQ(JOB_RESULT_FAILED, RunToItsEnd(L"output_text half\nexit 3\n"));
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
    EXPECT_STREQ(L"old", ReadUtf8(target));
    // A finished run replaces the file, under the name the prompt agreed to.
    EXPECT_EQ(JOB_RESULT_COMPLETED, RunToItsEnd(L"output_text new\nprogress 3\ninterval 30\n"));
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
    EXPECT_STREQ(L"new", ReadUtf8(target));
    // A rename keeps the first file and numbers the new one.
    EXPECT_EQ(JOB_RESULT_COMPLETED, RunToItsEnd(L"output_text newer\nprogress 3\ninterval 30\n"));
    EXPECT_STREQ(L"av clip (1).mkv|av clip.mkv", NamesIn(Out));
    EXPECT_STREQ(L"newer", ReadUtf8(Out + L"\\av clip (1).mkv"));
}

// A playlist names its segments: it is written under its own name in a folder of its own beside
// the destination (named with '/', which the muxers take as the folder of the segments), and
// moved into place once it is whole. A failed job removes that folder; a playlist it was to
// overwrite stays.
TEST_F(ScriptedJobTest, APlaylistIsWrittenUnderItsOwnNameBesideTheDestination)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    Script(L"output_text #EXTM3U\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_hls", L"Auto");
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_COMPLETED, run->listener.Job.Status.Result);
    EXPECT_STREQ(L"av clip.m3u8", NamesIn(Out));
    CString written = Out + L"/av clip.m3u8.part/av clip.m3u8\"";
    written.Replace(L'\\', L'/');
    EXPECT_GE(LoggedArgs().Find(written), 0) << CStringA(LoggedArgs()).GetString();

    Script(L"output_text #EXTM3U new\nexit 3\n");
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> failed = Start(GetStage().av, L"VF_hls", L"Auto");
    Finish(*failed);
    EXPECT_EQ(JOB_RESULT_FAILED, failed->listener.Job.Status.Result);
    EXPECT_STREQ(L"av clip.m3u8", NamesIn(Out));
    EXPECT_STREQ(L"#EXTM3U", ReadUtf8(Out + L"\\av clip.m3u8"));
}

// An output that the probe cannot read is not called complete: it is kept, as a short one is.
TEST_F(ScriptedJobTest, AnOutputTheProbeCannotReadIsNeverCompleted)
{
    REQUIRE_STAGE();
    Script(L"output_text not a clip\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, run->listener.Job.Status.Result);
    EXPECT_STREQ(L"Incomplete", run->listener.LastStatus());
    EXPECT_STREQ(L"Output cannot be read", run->listener.LastDetail());
    EXPECT_STREQ(L"not a clip", ReadUtf8(Out + L"\\av clip.mkv"));
    EXPECT_EQ(JOB_STARTED | JOB_OUTPUT_WRITTEN, run->listener.Job.Status.JobFlags & (JOB_STARTED | JOB_OUTPUT_WRITTEN));

    // Nor does it take the place of a file the user had.
    ASSERT_TRUE(WriteUtf8(Out + L"\\av clip.mkv", L"old"));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> again = Start(GetStage().av, L"VF_mkv", L"H.264");
    Finish(*again);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, again->listener.Job.Status.Result);
    EXPECT_STREQ(L"old", ReadUtf8(Out + L"\\av clip.mkv"));
    EXPECT_STREQ(L"not a clip", ReadUtf8(Out + L"\\av clip (1).mkv"));
    EXPECT_STREQ(L"Output cannot be read; kept as av clip (1).mkv", again->listener.LastDetail());
}

// An output whose length the probe cannot tell, even counting its frames, while the source's was
// known, is not called complete either.
TEST_F(ScriptedJobTest, AnOutputWithoutALengthIsNeverCompleted)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> run(new JobRun);
    CMediaConvertJob& job = run->listener.Job;
    job.Source.Path = GetStage().av;
    ASSERT_EQ(0, job.ProbeSource(nullptr));
    ASSERT_GT(job.Source.MediaInfo.DurationInUs, 0);
    // From here every probe answers with streams but no length.
    const CString json = Fake + L"\\no length.json";
    ASSERT_TRUE(WriteUtf8(json, L"{\"format\": {\"format_name\": \"matroska\", \"nb_streams\": 1}, \"streams\": "
                                L"[{\"codec_type\": \"video\", \"codec_name\": \"h264\", \"width\": 352, "
                                L"\"height\": 288, \"r_frame_rate\": \"25/1\"}]}"));
    ProbeLog = Fake + L"\\probe log.txt";
    Hosts.ProbeTool = Fake + L"\\Quisset.exe";
    ASSERT_TRUE(CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", Hosts.ProbeTool, FALSE));
    ASSERT_TRUE(WriteUtf8(Fake + L"\\Quisset.fake", L"stdout_file " + json + L"\nlog " + ProbeLog + L"\n"));
    Script(L"output_text not a clip\nprogress 3\ninterval 30\n");
    job.Output.DestinationFolder = Out;
    job.Output.FormatKey = L"VF_mkv";
    job.Output.PresetName = L"H.264";
    ASSERT_EQ(0, run->listener.StartJob(run->window.Get()));
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result);
    EXPECT_STREQ(L"Output length cannot be measured", run->listener.LastDetail());
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
    // The frames were counted before the length was given up.
    EXPECT_EQ(1, ProbeRuns(L"-count_frames"));
}

TEST_F(ScriptedJobTest, AFailedJobLeavesNoFile)
{
    REQUIRE_STAGE();
    for (LPCWSTR script : {L"output_text half\nexit 3\n", L"exit 0\n", L"exit 3\n"}) {
        Script(script);
        std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mp4", L"H.264");
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_FAILED, run->listener.Job.Status.Result) << CStringA(script).GetString();
        EXPECT_STREQ(L"Cannot convert to selected format", run->listener.LastDetail());
        EXPECT_STREQ(L"", NamesIn(Out)) << CStringA(script).GetString();
    }
}

// A destination held open by another program (a player showing the old output) cannot be
// replaced: the job says so, and both the held file and the new output's leftovers are dealt with.
TEST_F(ScriptedJobTest, ADestinationThatCannotBeWrittenSaysSo)
{
    REQUIRE_STAGE();
    const CString target = Out + L"\\av clip.mkv";
    ASSERT_TRUE(WriteUtf8(target, L"old"));
    ASSERT_TRUE(StandInProbe(GetStage().av));
    Script(L"output_text new\nprogress 3\ninterval 30\n");
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    {
        CHandle held(CreateFileW(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_FAILED, run->listener.Job.Status.Result);
        EXPECT_STREQ(L"Failed", run->listener.LastStatus());
        EXPECT_STREQ(L"Cannot write destination file", run->listener.LastDetail());
        EXPECT_EQ(0u, run->listener.Job.Status.JobFlags & JOB_OUTPUT_WRITTEN) << "no output is where it was to go";
    }
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
    EXPECT_STREQ(L"old", ReadUtf8(target));

    // A destination folder that is a file.
    std::unique_ptr<JobRun> second(new JobRun);
    second->listener.Job.Source.Path = GetStage().av;
    second->listener.Job.Output.DestinationFolder = target;
    second->listener.Job.Output.FormatKey = L"AF_wav";
    second->listener.Job.Output.PresetName = L"Lossless";
    ASSERT_EQ(0, second->listener.StartJob(second->window.Get()));
    Finish(*second);
    EXPECT_EQ(JOB_DETAIL_CANNOT_WRITE, second->listener.Job.Status.Detail);
    EXPECT_STREQ(L"av clip.wav", second->listener.ShownFileName()) << "the file that cannot be written is named";
    EXPECT_EQ(-1, LoggedArgs().Find(L".wav")) << "the encoder was not started";
}

TEST_F(ScriptedJobTest, ListenerSeesStatesInOrderOnTheWorkerAndProgressOnTheWindowsThread)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
    Finish(*run);
    const DWORD self = GetCurrentThreadId();
    std::vector<Report> states, progress;
    for (const Report& r : run->listener.Reports())
        (r.progress ? progress : states).push_back(r);
    const int expected[][2] = {{3, 0}, {3, 10}, {3, 11}, {3, 20}, {10, 20}};
    ASSERT_EQ(5u, states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(expected[i][0], states[i].state) << i;
        EXPECT_EQ(expected[i][1], states[i].subState) << i;
        EXPECT_NE(self, states[i].thread) << i;
        EXPECT_EQ(states[0].thread, states[i].thread) << i;
    }
    EXPECT_STREQ(L"Preparing", states[1].status);
    EXPECT_STREQ(L"Converting", states[3].status);
    EXPECT_STREQ(L"av clip.mkv", run->listener.ShownFileName());
    // Three records through the window, then the run's end once more on the worker.
    ASSERT_GE(progress.size(), 4u);
    for (size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_EQ(self, progress[i].thread) << i;
    EXPECT_EQ(states[0].thread, progress.back().thread);
    EXPECT_STREQ(L"Converting", progress[1].status);
    EXPECT_STREQ(L"Time = 6.00 s / 10.00 s, Size = 2.95 KB", progress[1].statusDetail);
}

TEST_F(ScriptedJobTest, SkippedDestinationIsCanceledAndStandingAnswersAreKept)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(WriteBytes(Out + L"\\named.mp3", "x", 1));
    Hosts.Answers = {FILE_EXISTS_SKIP_ALL};
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"AF_mp3", L"Auto", L"C:\\elsewhere\\named.avi");
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_CANCELED, run->listener.Job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_FILE_EXISTS, run->listener.Job.Status.Detail);
    EXPECT_STREQ(L"Canceled", run->listener.LastStatus());
    EXPECT_STREQ(L"File already exists", run->listener.LastDetail());
    EXPECT_STREQ(L"named.mp3", run->listener.ShownFileName());
    EXPECT_EQ(FILE_EXISTS_SKIP_ALL, Hosts.Overwrite);
    EXPECT_EQ(-1, LoggedArgs().Find(L"cmdline"));

    // The standing answer skips the next job without a question.
    std::unique_ptr<JobRun> next = Start(GetStage().av, L"AF_mp3", L"Auto", L"named");
    Finish(*next);
    EXPECT_EQ(JOB_DETAIL_FILE_EXISTS, next->listener.Job.Status.Detail);
    EXPECT_EQ(1u, Hosts.Questions.size());

    // A plain Cancel is not remembered.
    Hosts.Overwrite = 0;
    Hosts.Answers.push_back(FILE_EXISTS_SKIP);
    std::unique_ptr<JobRun> third = Start(GetStage().av, L"AF_mp3", L"Auto", L"named");
    Finish(*third);
    EXPECT_EQ(JOB_DETAIL_FILE_EXISTS, third->listener.Job.Status.Detail);
    EXPECT_EQ(0, Hosts.Overwrite);
}

TEST_F(ScriptedJobTest, JobKeepsThePresetItStartedWith)
{
    REQUIRE_STAGE();
    CMediaFormat* mp4 = Store.FindFormat(L"VF_mp4");
    ASSERT_TRUE(mp4 != nullptr);
    CMediaPreset* preset = mp4->FindPreset(L"H.264");
    preset->Settings.Video.Width = 320;
    preset->Settings.Video.Height = 240;
    ASSERT_TRUE(WriteBytes(Out + L"\\av clip.mp4", "x", 1));
    // The preset manager resets the presets while the job waits at the prompt.
    Hosts.Answers = {FILE_EXISTS_OVERWRITE};
    Hosts.BeforeAnswer = [mp4] { mp4->LoadBuiltInPresets(); };
    std::unique_ptr<JobRun> run;
    run = Start(GetStage().av, L"VF_mp4", L"H.264");
    Finish(*run);
    EXPECT_NE(-1, LoggedArgs().Find(L"-s 320x240")) << CStringA(LoggedArgs()).GetString();
    EXPECT_EQ(0, mp4->FindPreset(L"H.264")->Settings.Video.Width);
}

TEST_F(ScriptedJobTest, SourceMovedAfterItsProbeIsProbedAgain)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> run(new JobRun);
    CMediaConvertJob& job = run->listener.Job;
    job.Source.Path = GetStage().av;
    ASSERT_EQ(0, job.ProbeSource(nullptr));
    ASSERT_EQ(1, (int)job.Source.MediaInfo.VideoStreams.GetSize());
    // The dialog points the job at an audio-only file without probing it.
    job.Source.Path = GetStage().tone;
    job.Output.DestinationFolder = Out;
    job.Output.FormatKey = L"VF_mp4";
    job.Output.PresetName = L"H.264";
    ASSERT_EQ(0, run->listener.StartJob(run->window.Get()));
    Finish(*run);
    EXPECT_EQ(0, (int)job.Source.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(JOB_KIND_AUDIO, job.Source.Kind);
    EXPECT_STREQ(Out + L"\\tone (1).mp4", job.Target.Path);
    EXPECT_EQ(1, job.ProbeSource(nullptr));
}

TEST_F(ScriptedJobTest, StopEndsTheJobAsCanceledAndLeavesNoToolRunning)
{
    REQUIRE_STAGE();
    Script(L"progress 1000\ninterval 50\nhang\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mp4", L"H.264");
    const DWORD start = GetTickCount();
    while (run->listener.ProgressCount() < 2 && GetTickCount() - start < 30000)
        PumpFor(20);
    ASSERT_GE(run->listener.ProgressCount(), 2);
    EXPECT_EQ(0, run->listener.StopJob());
    EXPECT_TRUE(run->window.Finished());
    EXPECT_FALSE(run->listener.IsJobRunning());
    EXPECT_EQ(1, run->listener.StopJob());
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_CANCELED, job.Status.Result);
    EXPECT_EQ(0, job.Status.Detail);
    EXPECT_STREQ(L"Canceled", run->listener.LastStatus());
    EXPECT_STREQ(L"", run->listener.LastDetail());
    EXPECT_EQ(0, job.Status.ProgressPosition);
    EXPECT_EQ(100, job.Status.ProgressRange);
    EXPECT_EQ(0, CountProcessesOf(Hosts.EncoderTool));
}

TEST_F(ScriptedJobTest, FailuresBeforeTheEncoderHaveTheirTexts)
{
    REQUIRE_STAGE();
    struct Case {
        CString source, format, preset, detail;
        int code;
    } cases[] = {
        {GetStage().clips + L"\\missing.mp4", L"VF_mp4", L"H.264", L"Cannot find source file", JOB_DETAIL_SOURCE_MISSING},
        {Log, L"VF_mp4", L"H.264", L"Source format is not supported", JOB_DETAIL_SOURCE_NOT_SUPPORTED},
        {GetStage().av, L"VF_nothing", L"Auto", L"", 0},
        {GetStage().av, L"", L"Auto", L"", 0},
        // An output made of a stream the source lacks.
        {GetStage().silent, L"AF_mp3", L"Auto", L"Source has no audio", JOB_DETAIL_SOURCE_NO_AUDIO},
        {GetStage().tone, L"VF_gif", L"Custom", L"Source has no video", JOB_DETAIL_SOURCE_NO_VIDEO},
    };
    Script(L"exit 0\n");
    WriteBytes(Log, "not media", 9);
    for (const Case& c : cases) {
        std::unique_ptr<JobRun> run = Start(c.source, c.format, c.preset);
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_FAILED, run->listener.Job.Status.Result) << CStringA(c.format).GetString();
        EXPECT_EQ(c.code, run->listener.Job.Status.Detail);
        EXPECT_STREQ(L"Failed", run->listener.LastStatus());
        EXPECT_STREQ(c.detail, run->listener.LastDetail());
        EXPECT_STREQ(L"", NamesIn(Out));
    }
    EXPECT_EQ(-1, LoggedArgs().Find(L"cmdline")) << "no case reached the encoder";
}

TEST_F(ScriptedJobTest, MissingEncoderAndUnwritableFolderFail)
{
    REQUIRE_STAGE();
    Hosts.EncoderTool = Fake + L"\\absent\\Velkor.exe";
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"AF_wav", L"Lossless");
    Finish(*run);
    EXPECT_STREQ(L"Failed", run->listener.LastStatus());
    EXPECT_STREQ(L"Cannot convert to selected format", run->listener.LastDetail());

    // The real encoder into a folder that does not exist.
    Hosts.EncoderTool = GetStage().encoder;
    std::unique_ptr<JobRun> second(new JobRun);
    second->listener.Job.Source.Path = GetStage().av;
    second->listener.Job.Output.DestinationFolder = Out + L"\\no such folder";
    second->listener.Job.Output.FormatKey = L"AF_wav";
    second->listener.Job.Output.PresetName = L"Lossless";
    ASSERT_EQ(0, second->listener.StartJob(second->window.Get()));
    Finish(*second);
    EXPECT_EQ(JOB_RESULT_FAILED, second->listener.Job.Status.Result);
    EXPECT_STREQ(L"Cannot write destination file", second->listener.LastDetail());
}

// No tool runs twice on one unchanged file in a job: the job takes the probe its source already has
// (the dialog's) while the file is the one probed, for the runner's look at the source and the
// format's alike; a file written since is probed again, once.
TEST_F(ScriptedJobTest, AJobTakesItsSourcesProbeWhileTheFileIsUnchangedAndProbesAChangedOneOnce)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    Script(L"progress 3\ninterval 30\noutput_text not a clip\n");
    const CString source = Fake + L"\\source clip.mp4";
    ASSERT_TRUE(CopyFileW(GetStage().av, source, FALSE));
    struct Case {
        LPCWSTR format, preset, extension;
    } cases[] = {{L"VF_mp4", L"H.264", L".mp4"}, {L"VF_gif", L"Custom", L".gif"}};
    for (const Case& c : cases) {
        std::unique_ptr<JobRun> run(new JobRun);
        CMediaConvertJob& job = run->listener.Job;
        job.Source.Path = source;
        job.Output.DestinationFolder = Out;
        job.Output.FormatKey = c.format;
        job.Output.PresetName = c.preset;
        // As the dialog probes the source it shows.
        const int before = ProbeRuns(source);
        ASSERT_EQ(0, job.ProbeSource(nullptr));
        ASSERT_EQ(before + 1, ProbeRuns(source));
        ASSERT_EQ(0, run->listener.StartJob(run->window.Get()));
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(c.format).GetString();
        EXPECT_EQ(before + 1, ProbeRuns(source)) << CStringA(c.format).GetString();
        EXPECT_EQ(1, ProbeRuns(Out + L"\\source clip" + c.extension)) << CStringA(c.format).GetString();
        // Another program writes the file before the next start.
        HANDLE file = CreateFileW(source, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, "more", 4, &written, nullptr);
        CloseHandle(file);
        DeleteFileW(Out + L"\\source clip" + c.extension);
        CNotifyWindow again(&run->listener);
        ASSERT_EQ(0, run->listener.StartJob(again.Get()));
        ASSERT_TRUE(PumpUntilFinished({&again}, 60000));
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(c.format).GetString();
        EXPECT_EQ(before + 2, ProbeRuns(source)) << CStringA(c.format).GetString();
    }
}

// The output's probe and its picture's grab do not wait for each other: there is a moment when
// both tools run.
TEST_F(ScriptedJobTest, TheOutputsPictureIsGrabbedWhileItsProbeRuns)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av, L"delay 2000\n"));
    Script(L"progress 3\ninterval 30\noutput_text not a clip\ndelay 2000\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mp4", L"H.264");
    bool both = false;
    const DWORD start = GetTickCount();
    while (!run->window.Finished() && GetTickCount() - start < 120000) {
        PumpFor(20);
        both = both || (ProbeRuns(Out) == 1 && CountProcessesOf(Hosts.ProbeTool) == 1 &&
                        CountProcessesOf(Hosts.EncoderTool) == 1);
    }
    ASSERT_TRUE(run->window.Finished());
    EXPECT_EQ(JOB_RESULT_COMPLETED, run->listener.Job.Status.Result);
    EXPECT_TRUE(both) << CStringA(LoggedArgs()).GetString();
    // The grab, after the conversion.
    EXPECT_EQ(2, [&] {
        int runs = 0;
        for (int at = LoggedArgs().Find(L"cmdline: "); at >= 0; at = LoggedArgs().Find(L"cmdline: ", at + 1))
            ++runs;
        return runs;
    }());
}

// ---------------------------------------------------------------------------------------------

struct Expected {
    const wchar_t* format;
    const wchar_t* preset;
    const wchar_t* videoCodec;  // null: no video stream
    const wchar_t* audioCodec;  // null: no audio stream
    int width, height;
    double rate;
};

int CountPaletteFiles()
{
    WCHAR temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(CString(temp) + L"palette*.bmp", &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return count;
}

TEST_F(RealJobTest, EveryFormatWritesWhatItsPresetAsks)
{
    REQUIRE_STAGE();
    const Expected expected[] = {
        {L"VF_mp4", L"H.264 - 240p", L"h264", L"aac", 320, 240, 25},
        {L"VF_avi", L"H.264", L"h264", L"ac3", 352, 288, 25},
        {L"VF_mkv", L"H.264", L"h264", L"aac", 352, 288, 25},
        {L"VF_webm", L"VP8", L"vp8", L"vorbis", 352, 288, 25},
        {L"VF_wmv", L"240p", L"wmv2", L"wmav2", 320, 240, 25},
        {L"VF_mpeg2", L"Auto", L"mpeg2video", L"mp2", 352, 288, 25},
        // A bare stream: its container tells no length, its frames do.
        {L"VF_m2v", L"Auto", L"mpeg2video", nullptr, 352, 288, 25},
        {L"AF_mp3", L"Low Quality", nullptr, L"mp3", 0, 0, 0},
        {L"AF_wav", L"Lossless", nullptr, L"pcm_s16le", 0, 0, 0},
        {L"AF_flac", L"Lossless", nullptr, L"flac", 0, 0, 0},
        {L"AF_aac", L"Auto", nullptr, L"aac", 0, 0, 0},
        {L"AF_ogg", L"Auto", nullptr, L"vorbis", 0, 0, 0},
        {L"VF_gif", L"240 x 160", L"gif", nullptr, 240, 160, 0},
    };
    const int palettesBefore = CountPaletteFiles();
    std::vector<std::unique_ptr<JobRun>> runs;
    std::vector<CNotifyWindow*> windows;
    for (const Expected& e : expected) {
        runs.push_back(Start(GetStage().av, e.format, e.preset, CString(L"out ") + e.format));
        windows.push_back(&runs.back()->window);
    }
    ASSERT_TRUE(PumpUntilFinished(windows, 150000));
    for (size_t i = 0; i < runs.size(); ++i) {
        const Expected& e = expected[i];
        const CMediaConvertJob& job = runs[i]->listener.Job;
        SCOPED_TRACE(CStringA(e.format).GetString());
        ASSERT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(runs[i]->listener.LastDetail()).GetString();
        EXPECT_STREQ(L"Completed", runs[i]->listener.LastStatus());
        EXPECT_GT(job.Target.Size, 0);
        EXPECT_EQ(JOB_STARTED | JOB_OUTPUT_WRITTEN, job.Status.JobFlags);
        ASSERT_TRUE(job.Status.ProbeFlags & JOB_OUTPUT_PROBED);
        const CMediaInfoRecord& out = job.Target.MediaInfo;
        EXPECT_NEAR(2000000.0, (double)out.DurationInUs, 500000.0);
        if (e.videoCodec) {
            ASSERT_EQ(1, (int)out.VideoStreams.GetSize());
            const CMediaStream* v = out.VideoStreams[0];
            EXPECT_STREQ(e.videoCodec, v->Codec);
            EXPECT_EQ(e.width, v->Width);
            EXPECT_EQ(e.height, v->Height);
            if (e.rate > 0 && v->FrameRateDen > 0) {
                EXPECT_NEAR(e.rate, (double)v->FrameRateNum / v->FrameRateDen, 0.5);
            }
            EXPECT_TRUE(job.Status.ProbeFlags & JOB_OUTPUT_THUMBNAIL);
        } else {
            EXPECT_EQ(0, (int)out.VideoStreams.GetSize());
        }
        if (e.audioCodec) {
            ASSERT_EQ(1, (int)out.AudioStreams.GetSize());
            EXPECT_STREQ(e.audioCodec, out.AudioStreams[0]->Codec);
            EXPECT_EQ(2, out.AudioStreams[0]->Channels);
            EXPECT_EQ(44100, out.AudioStreams[0]->SampleRate);
        } else {
            EXPECT_EQ(0, (int)out.AudioStreams.GetSize());
        }
    }
    // The GIF's palette and intermediate are gone, and no output was left under a passing name.
    EXPECT_EQ(palettesBefore, CountPaletteFiles());
    EXPECT_EQ(-1, NamesIn(Out).Find(L".part")) << CStringA(NamesIn(Out)).GetString();
}

TEST_F(RealJobTest, GifsicleOptimisesAndMissingPiecesAreRefused)
{
    REQUIRE_STAGE();
    const CString gif = Out + L"\\in.gif", optimised = Out + L"\\small.gif";
    const CString make = L"\"" + GetEnv(L"TEST_FFMPEG_DIR") + L"\\ffmpeg.exe\" -v error -y -f lavfi -i"
                         L" testsrc=duration=1:size=64x48:rate=5 \"" + gif + L"\"";
    ASSERT_EQ(0, RunHidden(make, 60000));
    EXPECT_EQ(0, OptimizeWithGifsicle(gif, optimised, 0, nullptr));
    EXPECT_GT(GetFileSize64(optimised), 0);
    EXPECT_EQ(-1, OptimizeWithGifsicle(Out + L"\\none.gif", optimised, 3, nullptr));
    // A file gifsicle cannot read is its failure, reported as such.
    ASSERT_TRUE(WriteBytes(Out + L"\\bad.gif", "not a picture", 13));
    EXPECT_EQ(-1, OptimizeWithGifsicle(Out + L"\\bad.gif", Out + L"\\bad out.gif", 3, nullptr));

    Hosts.AppFolder = Out;
    EXPECT_EQ(-1, OptimizeWithGifsicle(gif, optimised, 3, nullptr));
    CGifsicle tool;
    EXPECT_EQ(-1, tool.SetPath(Out + L"\\gifsicle.exe"));
}

TEST_F(RealJobTest, GifWithoutGifsicleFallsBackToTheEncodersFile)
{
    REQUIRE_STAGE();
    // An application folder whose Modules lack gifsicle.
    Hosts.AppFolder = Out;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_gif", L"Custom");
    Finish(*run, 90000);
    const CMediaConvertJob& job = run->listener.Job;
    ASSERT_EQ(JOB_RESULT_COMPLETED, job.Status.Result);
    ASSERT_EQ(1, (int)job.Target.MediaInfo.VideoStreams.GetSize());
    EXPECT_EQ(352, job.Target.MediaInfo.VideoStreams[0]->Width);
}

// gifsicle reports nothing and may take as long as both encoder passes: while it runs, the
// status says that the last pass runs, and the job's end then says how it ended.
TEST_F(RealJobTest, WhileGifsicleRunsTheStatusSaysTheLastPassRuns)
{
    REQUIRE_STAGE();
    const CString app = MakeScratchFolder(L"held gifsicle app");
    const CString modules = app + L"\\Modules";
    CreateDirectoryW(modules, nullptr);
    const CString release = app + L"\\release", log = app + L"\\gifsicle log.txt";
    ASSERT_TRUE(CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", modules + L"\\gifsicle.exe", FALSE));
    // It ends when the test lets it, and fails: the encoder's GIF is then the output.
    ASSERT_TRUE(WriteUtf8(modules + L"\\gifsicle.fake", L"wait_file " + release + L"\nexit 1\nlog " + log + L"\n"));
    Hosts.AppFolder = app;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_gif", L"Custom");
    const DWORD start = GetTickCount();
    while (ReadUtf8(log).Find(L"cmdline: ") < 0 && !run->window.Finished() && GetTickCount() - start < 90000)
        PumpFor(50);
    ASSERT_GE(ReadUtf8(log).Find(L"--optimize=3"), 0) << CStringA(run->listener.LastStatus()).GetString();
    // The text was given before gifsicle was started, on the worker, which waits for it.
    EXPECT_STREQ(L"Optimizing", run->listener.LastStatus());
    EXPECT_STREQ(L"Last pass, making the GIF smaller", run->listener.LastDetail());
    EXPECT_FALSE(run->window.Finished());
    ASSERT_TRUE(WriteBytes(release, "go", 2));
    Finish(*run, 60000);
    EXPECT_EQ(JOB_RESULT_COMPLETED, run->listener.Job.Status.Result);
    EXPECT_STREQ(L"Completed", run->listener.LastStatus());
}

namespace {

// The positions a job reported, with a mark where each GIF pass's encoder started.
struct PassEvent {
    int pass;  // 1 palette, 2 picture: the start of that pass; 0 a progress report
    __int64 position, total;
};
std::mutex g_passLock;
std::vector<PassEvent> g_passEvents;
FwCreateProcessFn g_realCreateProcess = nullptr;

BOOL WINAPI MarkGifPasses(LPCWSTR app, LPWSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta, BOOL inherit,
                          DWORD flags, LPVOID env, LPCWSTR dir, LPSTARTUPINFOW si, LPPROCESS_INFORMATION pi)
{
    const int pass = !cmd ? 0 : wcsstr(cmd, L"palettegen") ? 1 : wcsstr(cmd, L"paletteuse") ? 2 : 0;
    if (pass) {
        std::lock_guard<std::mutex> lock(g_passLock);
        g_passEvents.push_back({pass, 0, 0});
    }
    return g_realCreateProcess(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

class CPassListener : public CRecordingJobListener {
public:
    void OnJobProgress(CMediaConvertJob& job) override
    {
        {
            std::lock_guard<std::mutex> lock(g_passLock);
            g_passEvents.push_back({0, job.Status.Progress.PositionUs, job.Status.Progress.TotalDurationUs});
        }
        CRecordingJobListener::OnJobProgress(job);
    }
};

}  // namespace

TEST_F(RealJobTest, EachGifPassReportsItsProgressAcrossTheClip)
{
    REQUIRE_STAGE();
    g_passEvents.clear();
    g_realCreateProcess = FwSetCreateProcessFunction(MarkGifPasses);
    CPassListener listener;
    CNotifyWindow window(&listener);
    CMediaConvertJob& job = listener.Job;
    job.Source.Path = GetStage().longClip;
    job.Output.DestinationFolder = Out;
    job.Output.FormatKey = L"VF_gif";
    job.Output.PresetName = L"240 x 160";
    job.Output.TrimStart = 0;
    job.Output.TrimEnd = 12000;
    ASSERT_EQ(0, listener.StartJob(window.Get()));
    const bool finished = PumpUntilFinished({&window}, 120000);
    FwSetCreateProcessFunction(g_realCreateProcess);
    ASSERT_TRUE(finished);
    ASSERT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(listener.LastDetail()).GetString();
    // Each pass, the palette's as well as the picture's, reports positions up to the end of the
    // clip it reads, as a one-pass job does.
    __int64 reached[3] = {-1, -1, -1}, total[3] = {0, 0, 0};
    int pass = 0;
    for (const PassEvent& e : g_passEvents) {
        if (e.pass) {
            pass = e.pass;
            continue;
        }
        if (e.position > reached[pass])
            reached[pass] = e.position;
        total[pass] = e.total;
    }
    for (int p = 1; p <= 2; ++p) {
        SCOPED_TRACE(p == 1 ? "palette pass" : "picture pass");
        EXPECT_EQ(12000000, total[p]);
        EXPECT_GE(reached[p], total[p] * 9 / 10);
    }
}

TEST_F(RealJobTest, StopDuringEncodingCancelsAndEndsEveryTool)
{
    REQUIRE_STAGE();
    CToolProcessBase::SetStopGraceForTests(3000);
    std::unique_ptr<JobRun> run = Start(GetStage().longClip, L"VF_mkv", L"H.264");
    const DWORD start = GetTickCount();
    while (run->listener.ProgressCount() < 1 && !run->window.Finished() && GetTickCount() - start < 60000)
        PumpFor(20);
    ASSERT_GE(run->listener.ProgressCount(), 1);
    ASSERT_FALSE(run->window.Finished());
    EXPECT_EQ(0, run->listener.StopJob());
    CToolProcessBase::SetStopGraceForTests(10000);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_STATE_FINISHED, job.Status.State);
    EXPECT_EQ(JOB_RESULT_CANCELED, job.Status.Result);
    EXPECT_EQ(0, job.Status.Detail);
    EXPECT_STREQ(L"Canceled", run->listener.LastStatus());
    EXPECT_EQ(0, CountProcessesOf(GetStage().encoder));
    EXPECT_EQ(0, CountProcessesOf(GetStage().modules + L"\\ffmpeg\\ffmpeg.exe"));
    EXPECT_STREQ(L"", NamesIn(Out)) << "the stopped encoder's file is gone";
}

// A source cut short on disk still says 30 s; the encoder ends well with the third it could read.
TEST_F(RealJobTest, AnOutputShorterThanTheSourceIsKeptButNeverCompleted)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> run = Start(GetStage().cutShort, L"VF_mkv", L"H.264");
    Finish(*run, 120000);
    const CMediaConvertJob& job = run->listener.Job;
    ASSERT_EQ(30000000, job.Source.MediaInfo.DurationInUs);
    EXPECT_EQ(JOB_STATE_FINISHED, job.Status.State);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_OUTPUT_SHORT, job.Status.Detail);
    EXPECT_STREQ(L"Incomplete", run->listener.LastStatus());
    EXPECT_STREQ(L"Output is shorter than the source", run->listener.LastDetail());
    // The output holds all the source gave: it stays, probed.
    EXPECT_STREQ(L"cut short.mkv", NamesIn(Out));
    EXPECT_EQ(JOB_STARTED | JOB_OUTPUT_WRITTEN, job.Status.JobFlags);
    EXPECT_GT(job.Target.MediaInfo.DurationInUs, 2000000);
    EXPECT_LT(job.Target.MediaInfo.DurationInUs, 20000000);
    int icon = 0, code = 0;
    CString status, detail;
    job.GetStatusText(icon, code, status, detail);
    EXPECT_EQ(JOB_ICON_INCOMPLETE, icon);

    // What was asked is the cut: a cut inside the part on disk converts whole.
    std::unique_ptr<JobRun> cut(new JobRun);
    cut->listener.Job.Source.Path = GetStage().cutShort;
    cut->listener.Job.Output.DestinationFolder = Out;
    cut->listener.Job.Output.DestinationName = L"first seconds";
    cut->listener.Job.Output.FormatKey = L"VF_mkv";
    cut->listener.Job.Output.PresetName = L"H.264";
    cut->listener.Job.Output.TrimStart = 1000;
    cut->listener.Job.Output.TrimEnd = 4000;
    ASSERT_EQ(0, cut->listener.StartJob(cut->window.Get()));
    Finish(*cut, 120000);
    EXPECT_EQ(JOB_RESULT_COMPLETED, cut->listener.Job.Status.Result);
    EXPECT_STREQ(L"Completed", cut->listener.LastStatus());
}

// A short output never takes the place of a file the user had: with Overwrite agreed (standing or
// asked), the old file keeps its bytes and the short one is kept under the name a rename gives.
TEST_F(RealJobTest, AShortOutputNeverReplacesTheFileItWasToOverwrite)
{
    REQUIRE_STAGE();
    const CString target = Out + L"\\cut short.mkv";
    ASSERT_TRUE(CopyFileW(GetStage().av, target, FALSE));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> run = Start(GetStage().cutShort, L"VF_mkv", L"H.264");
    Finish(*run, 120000);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_OUTPUT_SHORT, job.Status.Detail);
    EXPECT_TRUE(SameBytes(GetStage().av, target)) << "the old file was replaced";
    EXPECT_STREQ(L"cut short (1).mkv|cut short.mkv", NamesIn(Out));
    EXPECT_STREQ(Out + L"\\cut short (1).mkv", job.Target.Path);
    EXPECT_GT(job.Target.MediaInfo.DurationInUs, 2000000);
    EXPECT_LT(job.Target.MediaInfo.DurationInUs, 20000000);
    EXPECT_EQ(GetFileSize64(job.Target.Path), job.Target.Size);
    EXPECT_STREQ(L"Incomplete", run->listener.LastStatus());
    EXPECT_STREQ(L"Output is shorter than the source; kept as cut short (1).mkv", run->listener.LastDetail());
    EXPECT_STREQ(L"cut short (1).mkv", run->listener.ShownFileName());

    // Overwrite answered at the prompt: the same, under the next free number.
    Hosts.Overwrite = 0;
    Hosts.Answers = {FILE_EXISTS_OVERWRITE};
    std::unique_ptr<JobRun> asked = Start(GetStage().cutShort, L"VF_mkv", L"H.264");
    Finish(*asked, 120000);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, asked->listener.Job.Status.Result);
    EXPECT_TRUE(SameBytes(GetStage().av, target));
    EXPECT_STREQ(L"cut short (1).mkv|cut short (2).mkv|cut short.mkv", NamesIn(Out));
    EXPECT_STREQ(L"Output is shorter than the source; kept as cut short (2).mkv", asked->listener.LastDetail());
}

// The files of a streaming output all go beside its playlist, wherever the program was started
// from, and their names are the playlist's own: another output's in the same folder stay whole.
TEST_F(RealJobTest, AStreamingOutputIsWrittenWhollyBesideItsPlaylist)
{
    REQUIRE_STAGE();
    const CString working = MakeScratchFolder(L"working");
    wchar_t before[MAX_PATH * 4] = L"";
    GetCurrentDirectoryW(MAX_PATH * 4, before);
    ASSERT_TRUE(SetCurrentDirectoryW(working));
    ASSERT_TRUE(WriteUtf8(Out + L"\\init-stream0.mp4", L"another output's"));
    std::unique_ptr<JobRun> dash = Start(GetStage().av, L"VF_dash", L"Auto", L"dash out");
    std::unique_ptr<JobRun> hls = Start(GetStage().av, L"VF_hls", L"Auto", L"hls out");
    const bool finished = PumpUntilFinished({&dash->window, &hls->window}, 120000);
    SetCurrentDirectoryW(before);
    ASSERT_TRUE(finished);
    EXPECT_STREQ(L"", NamesIn(working)) << "written into the working folder";
    EXPECT_STREQ(L"another output's", ReadUtf8(Out + L"\\init-stream0.mp4"));
    int dashFiles = 0, hlsFiles = 0;
    for (CString rest = NamesIn(Out); !rest.IsEmpty();) {
        const int bar = rest.Find(L'|');
        const CString name = bar >= 0 ? rest.Left(bar) : rest;
        rest = bar >= 0 ? rest.Mid(bar + 1) : CString();
        if (name.Find(L"dash out") == 0)
            ++dashFiles;
        else if (name.Find(L"hls out") == 0)
            ++hlsFiles;
        else
            EXPECT_STREQ(L"init-stream0.mp4", name);
    }
    // The playlist and at least a segment of each stream.
    EXPECT_GE(dashFiles, 5) << CStringA(NamesIn(Out)).GetString();
    EXPECT_GE(hlsFiles, 2) << CStringA(NamesIn(Out)).GetString();
    for (JobRun* run : {dash.get(), hls.get()}) {
        const CMediaConvertJob& job = run->listener.Job;
        SCOPED_TRACE(CStringA(job.Output.FormatKey).GetString());
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
        EXPECT_NEAR(2000000.0, (double)job.Target.MediaInfo.DurationInUs, 500000.0);
        // Played from where it lies: every stream's pictures or sounds are read back from there.
        CProbeTool probe;
        probe.SetPath(GetStage().probe);
        probe.m_options.CountFrames = 1;
        CMediaInfoRecord read;
        ASSERT_EQ(0, probe.Probe(job.Target.Path, read, nullptr));
        ASSERT_EQ(1, (int)read.VideoStreams.GetSize());
        EXPECT_NEAR(50, (double)read.VideoStreams[0]->Frames, 2);
        EXPECT_EQ(1, (int)read.AudioStreams.GetSize());
    }
}

// A stopped or failed streaming job removes every file it wrote and nothing else: a playlist it
// was to overwrite stays whole with its segments; a finished one then replaces it and the segment
// it names.
TEST_F(RealJobTest, AStoppedStreamingJobLeavesNothingOfItsOwnAndTheOldPlaylistWhole)
{
    REQUIRE_STAGE();
    ASSERT_FALSE(MinutesClip().IsEmpty()) << "cannot make the clip";
    CToolProcessBase::SetStopGraceForTests(3000);
    const CString playlist = Out + L"\\minutes clip.m3u8", segment = Out + L"\\minutes clip0.ts";
    const CString oldPlaylist = L"#EXTM3U old\n#EXTINF:10.000000,\nminutes clip0.ts\n#EXT-X-ENDLIST\n";
    ASSERT_TRUE(WriteUtf8(playlist, oldPlaylist));
    ASSERT_TRUE(WriteUtf8(segment, L"old segment"));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> run = Start(MinutesClip(), L"VF_hls", L"Auto");
    // Stopped once segments are written: the encoder's records come to this thread.
    const CMediaConvertJob& job = run->listener.Job;
    const DWORD start = GetTickCount();
    while (job.Status.Progress.PositionUs < 25000000 && !run->window.Finished() && GetTickCount() - start < 60000)
        PumpFor(20);
    ASSERT_FALSE(run->window.Finished());
    ASSERT_GE(job.Status.Progress.PositionUs, 25000000);
    EXPECT_EQ(0, run->listener.StopJob());
    CToolProcessBase::SetStopGraceForTests(10000);
    EXPECT_EQ(JOB_RESULT_CANCELED, run->listener.Job.Status.Result);
    EXPECT_STREQ(L"minutes clip.m3u8|minutes clip0.ts", NamesIn(Out));
    EXPECT_STREQ(oldPlaylist, ReadUtf8(playlist));
    EXPECT_STREQ(L"old segment", ReadUtf8(segment));

    std::unique_ptr<JobRun> whole = Start(GetStage().av, L"VF_hls", L"Auto", L"minutes clip");
    Finish(*whole, 120000);
    EXPECT_EQ(JOB_RESULT_COMPLETED, whole->listener.Job.Status.Result);
    EXPECT_EQ(0, ReadUtf8(playlist).Find(L"#EXTM3U\n")) << CStringA(ReadUtf8(playlist)).GetString();
    EXPECT_NE(L"old segment", ReadUtf8(segment));
    EXPECT_EQ(-1, NamesIn(Out).Find(L".part")) << CStringA(NamesIn(Out)).GetString();
    EXPECT_EQ(-1, NamesIn(Out).Find(L".old")) << CStringA(NamesIn(Out)).GetString();
}

// The name the encoder writes to is plainly unfinished and never longer than one name may be,
// though the finished output's name takes the whole of it.
TEST_F(RealJobTest, AnOutputWhoseNameIsAsLongAsANameMayBeIsWritten)
{
    REQUIRE_STAGE();
    const CString ts = TitleOf(252), mkv = TitleOf(251);
    std::unique_ptr<JobRun> first = Start(GetStage().av, L"VF_ts", L"Auto", ts);
    std::unique_ptr<JobRun> second = Start(GetStage().av, L"VF_mkv", L"H.264", mkv);
    ASSERT_TRUE(PumpUntilFinished({&first->window, &second->window}, 120000));
    for (JobRun* run : {first.get(), second.get()}) {
        const CMediaConvertJob& job = run->listener.Job;
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
        EXPECT_EQ(255, job.Target.Path.GetLength() - Out.GetLength() - 1);
        EXPECT_GT(GetFileSize64(job.Target.Path), 0);
    }
    EXPECT_STREQ(mkv + L".mkv|" + ts + L".ts", NamesIn(Out));
}

// What was asked of a sound-only output is the sound: 20 s of it in a 30 s container is whole.
TEST_F(RealJobTest, ATrackShorterThanItsContainerIsNoShortOutput)
{
    REQUIRE_STAGE();
    std::unique_ptr<JobRun> sound = Start(GetStage().shortSound, L"AF_mp3", L"Auto");
    std::unique_ptr<JobRun> noPicture(new JobRun);
    CMediaConvertJob& job = noPicture->listener.Job;
    job.Source.Path = GetStage().shortSound;
    ASSERT_EQ(0, job.ProbeSource(nullptr));
    job.Source.MediaInfo.SelectedVideoStream = MEDIA_SELECT_NONE;
    job.Output.DestinationFolder = Out;
    job.Output.FormatKey = L"VF_mkv";
    job.Output.PresetName = L"H.264";
    ASSERT_EQ(0, noPicture->listener.StartJob(noPicture->window.Get()));
    ASSERT_TRUE(PumpUntilFinished({&sound->window, &noPicture->window}, 120000));
    for (JobRun* run : {sound.get(), noPicture.get()}) {
        const CMediaConvertJob& done = run->listener.Job;
        EXPECT_EQ(30000000, done.Source.MediaInfo.DurationInUs);
        EXPECT_EQ(JOB_RESULT_COMPLETED, done.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
        EXPECT_NEAR(20000000.0, (double)done.Target.MediaInfo.DurationInUs, 500000.0);
    }
}

TEST(ShortOutputRule, ShorterByMoreThanTwoSecondsAndTwoPercent)
{
    // 30 s asked: 1.9 s missing is a stream a few frames short; 2.1 s missing is not.
    EXPECT_FALSE(IsOutputShort(30000000, 28100000));
    EXPECT_TRUE(IsOutputShort(30000000, 27900000));
    EXPECT_TRUE(IsOutputShort(30000000, 10000000));
    // Three hours asked: 3 minutes missing is 1.7 %, 4 minutes 2.2 %.
    const __int64 hours = 3LL * 3600 * 1000000;
    EXPECT_FALSE(IsOutputShort(hours, hours - 180LL * 1000000));
    EXPECT_TRUE(IsOutputShort(hours, hours - 240LL * 1000000));
    // Nothing is known: nothing is claimed.
    EXPECT_FALSE(IsOutputShort(0, 10000000));
    EXPECT_FALSE(IsOutputShort(30000000, 0));
    // Longer is never short.
    EXPECT_FALSE(IsOutputShort(30000000, 31000000));
}

// The dialog draws the output's picture on its own thread while the worker runs: the worker grabs
// into a picture of its own, handed over only once the end notice is handled.
TEST_F(RealJobTest, TheOutputsPictureIsHandedOverOnTheListenersThread)
{
    REQUIRE_STAGE();
    struct CWatchedListener : public CRecordingJobListener {
        HANDLE Worker() const { return m_thread; }
    };
    CWatchedListener listener;
    CNotifyWindow window(&listener);
    CMediaConvertJob& job = listener.Job;
    job.Source.Path = GetStage().av;
    job.Output.DestinationFolder = Out;
    job.Output.FormatKey = L"VF_mp4";
    job.Output.PresetName = L"H.264";
    ASSERT_EQ(0, listener.StartJob(window.Get()));
    // The worker ends while only messages sent to this thread are delivered: its end notice waits.
    HANDLE worker = listener.Worker();
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, 100, QS_SENDMESSAGE) != WAIT_OBJECT_0 &&
           GetTickCount() - start < 120000) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0));
    ASSERT_FALSE(window.Finished());
    ASSERT_EQ(JOB_RESULT_COMPLETED, job.Status.Result);
    ASSERT_TRUE(job.Status.ProbeFlags & JOB_OUTPUT_THUMBNAIL);
    EXPECT_FALSE(job.Target.Thumbnail.IsValid()) << "the worker wrote the picture the dialog draws";
    ASSERT_TRUE(PumpUntilFinished({&window}, 30000));
    EXPECT_TRUE(job.Target.Thumbnail.IsValid());
    EXPECT_EQ(352, job.Target.Thumbnail.GetWidth());
    EXPECT_FALSE(job.Target.PendingThumbnail.IsValid());
}

// ---------------------------------------------------------------------------------------------

// A conversion dialog as far as its job goes: the listener with a window of its own that takes
// the encoder's records and the end notice, and listener operations that write into members of
// its own. Its window's end stops the job, as a dialog's WM_DESTROY does, unless the test makes
// it careless.
class CDialogStandIn : public CMediaJobListener {
public:
    explicit CDialogStandIn(bool stopWhenDestroyed) : m_window(this)
    {
        if (stopWhenDestroyed)
            m_window.OnDestroy = [this] { StopJob(); };
    }

    void OnJobProgress(CMediaConvertJob& job) override
    {
        ++m_progress;
        CMediaJobListener::OnJobProgress(job);
    }
    void ShowStatusText(LPCWSTR status, LPCWSTR detail) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status = status;
        m_detail = detail;
    }
    void ShowFileName(LPCWSTR name) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fileName = name;
    }

    HWND Window() const { return m_window.Get(); }
    int Progress() const { return m_progress; }
    CString Status()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_status;
    }
    // A handle of the worker thread that outlives this object, to see when the worker has ended.
    HANDLE DuplicateWorker() const
    {
        HANDLE copy = NULL;
        DuplicateHandle(GetCurrentProcess(), m_thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
        return copy;
    }

private:
    std::atomic<int> m_progress{0};
    std::mutex m_mutex;
    CString m_status, m_detail, m_fileName;
    CNotifyWindow m_window;  // last: destroyed first, as a dialog's window goes before the rest
};

// A dialog closed while its real job encodes: the job ends before the dialog is gone.
class DialogCloseTest : public RealJobTest {
protected:
    void SetUp() override
    {
        RealJobTest::SetUp();
        CToolProcessBase::SetStopGraceForTests(3000);
    }
    void TearDown() override
    {
        CToolProcessBase::SetStopGraceForTests(10000);
        EXPECT_EQ(0, CountProcessesOf(GetStage().encoder));
        EXPECT_EQ(0, CountProcessesOf(GetStage().modules + L"\\ffmpeg\\ffmpeg.exe"));
    }

    // Starts the conversion of a long clip and waits until the encoder reports.
    void StartEncoding(CDialogStandIn& dialog)
    {
        ASSERT_FALSE(MinutesClip().IsEmpty()) << "cannot make the clip";
        CMediaConvertJob& job = dialog.Job;
        job.Source.Path = MinutesClip();
        job.Output.DestinationFolder = Out;
        job.Output.FormatKey = L"VF_mkv";
        job.Output.PresetName = L"H.264";
        ASSERT_EQ(0, dialog.StartJob(dialog.Window()));
        const DWORD start = GetTickCount();
        while (dialog.Progress() < 1 && GetTickCount() - start < 60000)
            PumpFor(20);
        ASSERT_GE(dialog.Progress(), 1);
        ASSERT_TRUE(dialog.IsJobRunning());
    }
};

TEST_F(DialogCloseTest, ClosedTheDialogsWayTheJobIsCanceledFirst)
{
    REQUIRE_STAGE();
    std::unique_ptr<CDialogStandIn> dialog(new CDialogStandIn(true));
    StartEncoding(*dialog);
    CHandle worker(dialog->DuplicateWorker());
    DestroyWindow(dialog->Window());
    EXPECT_FALSE(dialog->IsJobRunning());
    EXPECT_EQ(JOB_STATE_FINISHED, dialog->Job.Status.State);
    EXPECT_EQ(JOB_RESULT_CANCELED, dialog->Job.Status.Result);
    EXPECT_STREQ(L"Canceled", dialog->Status());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 10000));
    EXPECT_STREQ(L"", NamesIn(Out)) << "the closed job's file is gone";
}

TEST_F(DialogCloseTest, StopAfterTheWindowIsGoneWaitsForTheWorkerItself)
{
    REQUIRE_STAGE();
    CDialogStandIn dialog(false);
    StartEncoding(dialog);
    CHandle worker(dialog.DuplicateWorker());
    DestroyWindow(dialog.Window());
    // No end notice can come any more.
    EXPECT_EQ(0, dialog.StopJob());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the stop returned while the worker runs";
    EXPECT_FALSE(dialog.IsJobRunning());
    EXPECT_EQ(JOB_STATE_FINISHED, dialog.Job.Status.State);
    EXPECT_EQ(JOB_RESULT_CANCELED, dialog.Job.Status.Result);
    EXPECT_STREQ(L"Canceled", dialog.Status());
    EXPECT_EQ(1, dialog.StopJob());
}

TEST_F(DialogCloseTest, DestroyedWithItsJobRunningNothingReportsToTheRemains)
{
    REQUIRE_STAGE();
    CDialogStandIn* dialog = new CDialogStandIn(false);
    StartEncoding(*dialog);
    CHandle worker(dialog->DuplicateWorker());
    // The worker's last reports would reach a dialog whose own part is already gone.
    delete dialog;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the dialog went while its worker runs";
}

}  // namespace
