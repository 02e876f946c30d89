// Where a finished output goes: a file that took its name while the job ran, two jobs of one name,
// a playlist's set over an old one, outputs that could not be written, and what the status says
// of each; with a scripted encoder that waits where the test needs it to.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "ConversionTestSupport.h"
#include "JobTestFixtures.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"

using namespace convtest;

namespace {

class OutputPlacementTest : public ScriptedJobTest {
protected:
    // Pumps until the stand-in encoder has logged its n-th start: it then waits for its file (it
    // logs before it waits). False after 30 s.
    bool EncoderStarted(int n)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            int runs = 0;
            const CString log = LoggedArgs();
            for (int at = log.Find(L"cmdline: "); at >= 0; at = log.Find(L"cmdline: ", at + 1))
                ++runs;
            if (runs >= n)
                return true;
            if (GetTickCount() - start > 30000)
                return false;
            PumpFor(20);
        }
    }
    // A file whose existence lets a waiting stand-in go on.
    CString WaitFile(LPCWSTR name) { return Fake + L"\\" + name; }
    static bool Release(const CString& waitFile) { return WriteBytes(waitFile, "", 0); }
};

// An HLS playlist naming its segments, as the muxer writes one.
CString PlaylistNaming(std::initializer_list<LPCWSTR> segments)
{
    CString text = L"#EXTM3U\n#EXT-X-VERSION:3\n";
    for (LPCWSTR segment : segments)
        text += CString(L"#EXTINF:2.000000,\n") + segment + L"\n";
    return text + L"#EXT-X-ENDLIST\n";
}

// ---------------------------------------------------------------------------------------------

// A file copied onto the destination's name while the encoder runs is kept: unless the answer was
// Overwrite, the output goes under the next free name, and the status names that one.
TEST_F(OutputPlacementTest, AFileThatTakesTheNameWhileTheJobRunsIsReplacedOnlyByAnOverwrite)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    struct Case {
        int standing;
        bool replaced;
    } cases[] = {{FILE_EXISTS_ASK, false}, {FILE_EXISTS_RENAME_ALL, false}, {FILE_EXISTS_SKIP_ALL, false},
                 {FILE_EXISTS_OVERWRITE_ALL, true}};
    int runs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.standing);
        Out = MakeScratchFolder(L"taken meanwhile");
        CString tag;
        tag.Format(L"go %d", c.standing);
        const CString target = Out + L"\\av clip.mkv", waitFile = WaitFile(tag);
        Script(L"wait_file " + waitFile + L"\noutput_text new\nprogress 3\ninterval 30\n");
        Hosts.Overwrite = c.standing;
        std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
        ASSERT_TRUE(EncoderStarted(++runs));
        ASSERT_TRUE(WriteUtf8(target, L"copied meanwhile"));
        ASSERT_TRUE(Release(waitFile));
        Finish(*run);
        ++runs;  // the output's picture
        const CMediaConvertJob& job = run->listener.Job;
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
        EXPECT_STREQ(L"Completed", run->listener.LastStatus());
        EXPECT_TRUE(Hosts.Questions.empty());
        if (c.replaced) {
            EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
            EXPECT_STREQ(L"new", ReadUtf8(target));
            EXPECT_STREQ(target, job.Target.Path);
            EXPECT_STREQ(L"", run->listener.LastDetail());
            continue;
        }
        EXPECT_STREQ(L"av clip (1).mkv|av clip.mkv", NamesIn(Out));
        EXPECT_STREQ(L"copied meanwhile", ReadUtf8(target));
        EXPECT_STREQ(L"new", ReadUtf8(Out + L"\\av clip (1).mkv"));
        EXPECT_STREQ(Out + L"\\av clip (1).mkv", job.Target.Path);
        EXPECT_STREQ(L"av clip (1).mkv", run->listener.ShownFileName());
        EXPECT_STREQ(L"Kept as av clip (1).mkv", run->listener.LastDetail());
    }
}

// Two jobs of sources of one title into one folder: both decide the same name before either has
// written it. The second to finish keeps its output under the next free name.
TEST_F(OutputPlacementTest, TwoJobsOfOneNameBothKeepTheirOutputs)
{
    REQUIRE_STAGE();
    // Sound only, read back as sound: no picture is grabbed, so nothing but the two encodes runs
    // the stand-in, which takes the script that is there when it starts.
    ASSERT_TRUE(StandInProbe(GetStage().tone));
    const CString first = WaitFile(L"first"), second = WaitFile(L"second");
    Script(L"wait_file " + first + L"\noutput_text first output\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> one = Start(GetStage().av, L"AF_mp3", L"Auto");
    ASSERT_TRUE(EncoderStarted(1));
    Script(L"wait_file " + second + L"\noutput_text second output\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> two = Start(GetStage().av, L"AF_mp3", L"Auto");
    ASSERT_TRUE(EncoderStarted(2));
    ASSERT_TRUE(Release(first));
    Finish(*one);
    ASSERT_TRUE(Release(second));
    Finish(*two);

    EXPECT_STREQ(L"av clip (1).mp3|av clip.mp3", NamesIn(Out));
    const struct {
        JobRun* run;
        LPCWSTR name, text, detail;
    } expected[] = {{one.get(), L"av clip.mp3", L"first output", L""},
                    {two.get(), L"av clip (1).mp3", L"second output", L"Kept as av clip (1).mp3"}};
    for (const auto& e : expected) {
        const CMediaConvertJob& job = e.run->listener.Job;
        SCOPED_TRACE(CStringA(e.name).GetString());
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(e.run->listener.LastDetail()).GetString();
        EXPECT_STREQ(Out + L"\\" + e.name, job.Target.Path);
        EXPECT_STREQ(e.text, ReadUtf8(job.Target.Path));
        EXPECT_STREQ(e.name, e.run->listener.ShownFileName());
        EXPECT_STREQ(e.detail, e.run->listener.LastDetail());
    }
}

// A playlist is no single file that a numbered name could keep apart: a set whose playlist's name
// was taken meanwhile goes whole into a numbered folder beside it.
TEST_F(OutputPlacementTest, APlaylistWhoseNameWasTakenMeanwhileIsKeptInANumberedFolder)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    const CString waitFile = WaitFile(L"go");
    Script(L"wait_file " + waitFile + L"\nside_file av clip0.ts|new 0\noutput_text #EXTM3U new\n"
           L"progress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_hls", L"Auto");
    ASSERT_TRUE(EncoderStarted(1));
    ASSERT_TRUE(WriteUtf8(Out + L"\\av clip.m3u8", PlaylistNaming({L"av clip0.ts"})));
    ASSERT_TRUE(WriteUtf8(Out + L"\\av clip0.ts", L"another's 0"));
    ASSERT_TRUE(Release(waitFile));
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
    EXPECT_STREQ(L"av clip (1)|av clip.m3u8|av clip0.ts", NamesIn(Out));
    EXPECT_STREQ(L"another's 0", ReadUtf8(Out + L"\\av clip0.ts"));
    EXPECT_STREQ(L"av clip.m3u8|av clip0.ts", NamesIn(Out + L"\\av clip (1)"));
    EXPECT_STREQ(L"new 0", ReadUtf8(Out + L"\\av clip (1)\\av clip0.ts"));
    EXPECT_STREQ(Out + L"\\av clip (1)\\av clip.m3u8", job.Target.Path);
    EXPECT_STREQ(L"av clip (1)\\av clip.m3u8", run->listener.ShownFileName());
    EXPECT_STREQ(L"Kept as av clip (1)\\av clip.m3u8", run->listener.LastDetail());
}

// ---------------------------------------------------------------------------------------------

// An overwritten playlist's set arrives whole or not at all: a segment of the old set held open
// elsewhere stops the move half-way, and the old playlist still has every segment it names.
TEST_F(OutputPlacementTest, AnOverwrittenPlaylistsSetArrivesWholeOrTheOldStaysWhole)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    const CString playlist = Out + L"\\av clip.m3u8";
    const CString oldPlaylist = PlaylistNaming({L"av clip0.ts", L"av clip1.ts", L"av clip2.ts"});
    ASSERT_TRUE(WriteUtf8(playlist, oldPlaylist));
    for (LPCWSTR segment : {L"av clip0.ts", L"av clip1.ts", L"av clip2.ts"})
        ASSERT_TRUE(WriteUtf8(Out + L"\\" + segment, CString(L"old ") + segment));
    Script(L"side_file av clip0.ts|new 0\nside_file av clip1.ts|new 1\noutput_text #EXTM3U new\n"
           L"progress 3\ninterval 30\n");
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    {
        // A player still reads the old second segment.
        CHandle held(CreateFileW(Out + L"\\av clip1.ts", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_hls", L"Auto");
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_FAILED, run->listener.Job.Status.Result);
        EXPECT_STREQ(L"Cannot write destination file", run->listener.LastDetail());
    }
    EXPECT_STREQ(L"av clip.m3u8|av clip0.ts|av clip1.ts|av clip2.ts", NamesIn(Out));
    EXPECT_STREQ(oldPlaylist, ReadUtf8(playlist));
    for (LPCWSTR segment : {L"av clip0.ts", L"av clip1.ts", L"av clip2.ts"})
        EXPECT_STREQ(CString(L"old ") + segment, ReadUtf8(Out + L"\\" + segment));

    // Let go, the new set replaces the old one's files of its names; a segment of the old set that
    // the new one has not is left as it is.
    std::unique_ptr<JobRun> again = Start(GetStage().av, L"VF_hls", L"Auto");
    Finish(*again);
    EXPECT_EQ(JOB_RESULT_COMPLETED, again->listener.Job.Status.Result) << CStringA(again->listener.LastDetail()).GetString();
    EXPECT_STREQ(playlist, again->listener.Job.Target.Path);
    EXPECT_STREQ(L"av clip.m3u8|av clip0.ts|av clip1.ts|av clip2.ts", NamesIn(Out));
    EXPECT_STREQ(L"#EXTM3U new", ReadUtf8(playlist));
    EXPECT_STREQ(L"new 0", ReadUtf8(Out + L"\\av clip0.ts"));
    EXPECT_STREQ(L"new 1", ReadUtf8(Out + L"\\av clip1.ts"));
    EXPECT_STREQ(L"old av clip2.ts", ReadUtf8(Out + L"\\av clip2.ts"));
}

// Overwriting a playlist replaces its own old set only: a file under a segment's name that the old
// playlist does not name is another output's, and the new set goes into a numbered folder. A DASH
// playlist names its parts by templates.
TEST_F(OutputPlacementTest, AFileOfAnotherOutputIsNeverReplacedByASegment)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    const CString mpd = L"<?xml version=\"1.0\"?>\n<MPD><Period><AdaptationSet><SegmentTemplate timescale=\"1000\" "
                        L"initialization=\"%s-init-$RepresentationID$.m4s\" "
                        L"media=\"%s-chunk-$RepresentationID$-$Number%%05d$.m4s\" startNumber=\"1\"/>"
                        L"<Representation id=\"0\"/></AdaptationSet></Period></MPD>\n";
    Script(L"side_file av clip-init-0.m4s|new init\nside_file av clip-chunk-0-00001.m4s|new chunk\n"
           L"output_text <MPD new/>\nprogress 3\ninterval 30\n");
    struct Case {
        LPCWSTR tag, templatesOf;
        bool replaced;
    } cases[] = {{L"own set", L"av clip", true}, {L"&amp; escaped", L"av clip", true}, {L"another's", L"other", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(CStringA(c.tag).GetString());
        Out = MakeScratchFolder(L"dash");
        CString old;
        old.Format(mpd, c.templatesOf, c.templatesOf);
        if (wcscmp(c.tag, L"&amp; escaped") == 0)
            old.Replace(L"av clip-chunk", L"av clip&#45;chunk");
        ASSERT_TRUE(WriteUtf8(Out + L"\\av clip.mpd", old));
        ASSERT_TRUE(WriteUtf8(Out + L"\\av clip-init-0.m4s", L"old init"));
        ASSERT_TRUE(WriteUtf8(Out + L"\\av clip-chunk-0-00001.m4s", L"old chunk"));
        std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_dash", L"Auto");
        Finish(*run);
        const CMediaConvertJob& job = run->listener.Job;
        EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
        if (c.replaced) {
            EXPECT_STREQ(L"av clip-chunk-0-00001.m4s|av clip-init-0.m4s|av clip.mpd", NamesIn(Out));
            EXPECT_STREQ(L"new chunk", ReadUtf8(Out + L"\\av clip-chunk-0-00001.m4s"));
            EXPECT_STREQ(L"new init", ReadUtf8(Out + L"\\av clip-init-0.m4s"));
            EXPECT_STREQ(L"<MPD new/>", ReadUtf8(Out + L"\\av clip.mpd"));
            EXPECT_STREQ(L"", run->listener.LastDetail());
            continue;
        }
        EXPECT_STREQ(L"av clip (1)|av clip-chunk-0-00001.m4s|av clip-init-0.m4s|av clip.mpd", NamesIn(Out));
        EXPECT_STREQ(L"old chunk", ReadUtf8(Out + L"\\av clip-chunk-0-00001.m4s"));
        EXPECT_STREQ(L"old init", ReadUtf8(Out + L"\\av clip-init-0.m4s"));
        EXPECT_STREQ(old, ReadUtf8(Out + L"\\av clip.mpd"));
        EXPECT_STREQ(L"new chunk", ReadUtf8(Out + L"\\av clip (1)\\av clip-chunk-0-00001.m4s"));
        EXPECT_STREQ(L"Kept as av clip (1)\\av clip.mpd", run->listener.LastDetail());
    }

    // Without an agreed overwrite nothing of another output is replaced either, however the
    // playlist's own name is free.
    Out = MakeScratchFolder(L"hls");
    Hosts.Overwrite = FILE_EXISTS_ASK;
    Script(L"side_file av clip0.ts|new 0\noutput_text #EXTM3U new\nprogress 3\ninterval 30\n");
    ASSERT_TRUE(WriteUtf8(Out + L"\\av clip0.ts", L"a recording of the user's"));
    std::unique_ptr<JobRun> hls = Start(GetStage().av, L"VF_hls", L"Auto");
    Finish(*hls);
    EXPECT_EQ(JOB_RESULT_COMPLETED, hls->listener.Job.Status.Result);
    EXPECT_TRUE(Hosts.Questions.empty());
    EXPECT_STREQ(L"a recording of the user's", ReadUtf8(Out + L"\\av clip0.ts"));
    EXPECT_STREQ(L"av clip (1)|av clip0.ts", NamesIn(Out));
    EXPECT_STREQ(L"av clip.m3u8|av clip0.ts", NamesIn(Out + L"\\av clip (1)"));
}

// A playlist's folder still open in another program (an indexer, a window showing it) when the
// set has moved out is removed once it is let go: no empty folder is left of a finished job.
TEST_F(OutputPlacementTest, NoEmptyFolderIsLeftOfAFinishedPlaylist)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    const CString waitFile = WaitFile(L"go");
    Script(L"wait_file " + waitFile + L"\nside_file av clip0.ts|new 0\noutput_text #EXTM3U new\n"
           L"progress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_hls", L"Auto");
    ASSERT_TRUE(EncoderStarted(1));
    const CString partial = Out + L"\\av clip.m3u8.part";
    CHandle held(CreateFileW(partial, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(held.IsValid());
    ASSERT_TRUE(Release(waitFile));
    // Held until the set is in its place and a while after.
    const DWORD start = GetTickCount();
    while (!PathFileExistsW(Out + L"\\av clip.m3u8") && !run->window.Finished() && GetTickCount() - start < 30000)
        PumpFor(10);
    PumpFor(300);
    held.Close();
    Finish(*run);
    EXPECT_EQ(JOB_RESULT_COMPLETED, run->listener.Job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
    EXPECT_STREQ(L"av clip.m3u8|av clip0.ts", NamesIn(Out));
}

// What a playlist's job has written counts its segments, which the encoder does not: in the
// progress while it encodes and in the output's size at the end.
TEST_F(OutputPlacementTest, AStreamingOutputsSizeCountsItsSegments)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    CString segment;
    while (segment.GetLength() < 4000)
        segment += L"segment bytes ";
    Script(L"side_file av clip0.ts|" + segment + L"\nside_file av clip1.ts|" + segment + L"\nside_file av clip2.ts|" +
           segment + L"\noutput_text #EXTM3U\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_hls", L"Auto");
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    ASSERT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
    __int64 written = 0;
    for (LPCWSTR name : {L"av clip.m3u8", L"av clip0.ts", L"av clip1.ts", L"av clip2.ts"})
        written += GetFileSize64(Out + L"\\" + name);
    ASSERT_GT(written, 12000);
    EXPECT_EQ(written, job.Target.Size);
    CString size;
    size.Format(L"Size = %.2f KB", (double)(written + 1023) / 1024);
    // The stand-in reports 1000 bytes a record; each record comes when the segments are there.
    std::vector<Report> progress;
    for (const Report& r : run->listener.Reports())
        if (r.progress)
            progress.push_back(r);
    ASSERT_GE(progress.size(), 4u);
    for (const Report& r : progress)
        EXPECT_NE(-1, r.statusDetail.Find(size)) << CStringA(r.statusDetail).GetString();
}

// ---------------------------------------------------------------------------------------------

// The answers of this stand-in for the system's free-space question: a volume with 4 KB left.
BOOL WINAPI AlmostNoRoom(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free)
{
    for (PULARGE_INTEGER value : {available, free})
        if (value)
            value->QuadPart = 4096;
    if (total)
        total->QuadPart = 1ULL << 30;
    return TRUE;
}

// An encoder that fails because its output cannot be written says so, not that the format failed.
// The stand-in waits while the test takes the place away, then fails as an encoder does.
class WriteFailureTest : public OutputPlacementTest {
protected:
    void RunFailing(LPCWSTR format, LPCWSTR preset, const std::function<void(const CString& partial)>& meanwhile,
                    LPCWSTR detail)
    {
        const CString waitFile = WaitFile(L"go");
        Script(L"wait_file " + waitFile + L"\noutput_text half\nexit 3\n");
        std::unique_ptr<JobRun> run = Start(GetStage().av, format, preset);
        ASSERT_TRUE(EncoderStarted(1));
        const CMediaConvertJob& job = run->listener.Job;
        meanwhile(job.Target.Path + L".part");
        ASSERT_TRUE(Release(waitFile));
        Finish(*run);
        EXPECT_EQ(JOB_RESULT_FAILED, job.Status.Result);
        EXPECT_STREQ(L"Failed", run->listener.LastStatus());
        EXPECT_STREQ(detail, run->listener.LastDetail());
        EXPECT_STREQ(L"", NamesIn(Out)) << "nothing of the failed job is left";
    }
};

TEST_F(WriteFailureTest, TheDestinationsFolderRemovedWhileTheEncoderRuns)
{
    REQUIRE_STAGE();
    RunFailing(L"AF_wav", L"Lossless", [this](const CString& partial) {
        ASSERT_TRUE(DeleteFileW(partial));
        ASSERT_TRUE(RemoveDirectoryW(Out));
    }, L"Cannot write destination file");
}

TEST_F(WriteFailureTest, TheOutputMadeReadOnly)
{
    REQUIRE_STAGE();
    RunFailing(L"AF_wav", L"Lossless", [](const CString& partial) {
        ASSERT_TRUE(SetFileAttributesW(partial, FILE_ATTRIBUTE_READONLY));
    }, L"Cannot write destination file");
}

TEST_F(WriteFailureTest, APlaylistsFolderRemovedWhileTheEncoderRuns)
{
    REQUIRE_STAGE();
    RunFailing(L"VF_hls", L"Auto", [](const CString& partial) { ASSERT_TRUE(RemoveDirectoryW(partial)); },
               L"Cannot write destination file");
}

TEST_F(WriteFailureTest, AVolumeWithoutRoom)
{
    REQUIRE_STAGE();
    struct CNoRoom {
        FreeSpaceQueryFn previous = SetFreeSpaceQueryForTests(&AlmostNoRoom);
        ~CNoRoom() { SetFreeSpaceQueryForTests(previous); }
    } noRoom;
    RunFailing(L"VF_mkv", L"H.264", [](const CString&) {}, L"Cannot write destination file");
}

// With room and a folder to write in, the failure is the format's.
TEST_F(WriteFailureTest, AFailureWithRoomToWriteIsTheFormats)
{
    REQUIRE_STAGE();
    RunFailing(L"VF_mkv", L"H.264", [](const CString&) {}, L"Cannot convert to selected format");
}

// ---------------------------------------------------------------------------------------------

// An output of which neither its own length nor its source's is known: nothing checked it, so it
// is kept but not called complete.
TEST_F(OutputPlacementTest, AnOutputWhoseLengthNothingTellsIsUnverified)
{
    REQUIRE_STAGE();
    // Every probe, of the source as of the output, answers with streams but no length.
    const CString json = Fake + L"\\no length.json";
    ASSERT_TRUE(WriteUtf8(json, L"{\"format\": {\"format_name\": \"matroska\", \"nb_streams\": 2}, \"streams\": "
                                L"[{\"codec_type\": \"video\", \"codec_name\": \"h264\", \"width\": 352, "
                                L"\"height\": 288, \"r_frame_rate\": \"25/1\"}, {\"codec_type\": \"audio\", "
                                L"\"codec_name\": \"aac\", \"channels\": 2, \"sample_rate\": \"44100\"}]}"));
    ProbeLog = Fake + L"\\probe log.txt";
    Hosts.ProbeTool = Fake + L"\\Quisset.exe";
    ASSERT_TRUE(CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", Hosts.ProbeTool, FALSE));
    ASSERT_TRUE(WriteUtf8(Fake + L"\\Quisset.fake", L"stdout_file " + json + L"\nlog " + ProbeLog + L"\n"));
    Script(L"output_text not a clip\nprogress 3\ninterval 30\n");
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(0, job.Source.MediaInfo.DurationInUs);
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result);
    EXPECT_EQ(JOB_DETAIL_OUTPUT_UNVERIFIED, job.Status.Detail);
    EXPECT_STREQ(L"Incomplete", run->listener.LastStatus());
    EXPECT_STREQ(L"Output length could not be verified", run->listener.LastDetail());
    EXPECT_STREQ(L"av clip.mkv", NamesIn(Out));
    EXPECT_TRUE(job.Status.JobFlags & JOB_OUTPUT_WRITTEN);
}

// Where one job's output was kept is said of that job only: the next job of the same dialog, kept
// under its own name, is not said to be kept elsewhere.
TEST_F(OutputPlacementTest, WhereTheLastOutputWasKeptIsNotSaidOfTheNext)
{
    REQUIRE_STAGE();
    // The output cannot be read back: it is never called whole.
    Script(L"output_text not a clip\nprogress 3\ninterval 30\n");
    ASSERT_TRUE(WriteUtf8(Out + L"\\av clip.mkv", L"old"));
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264");
    Finish(*run);
    EXPECT_STREQ(L"Output cannot be read; kept as av clip (1).mkv", run->listener.LastDetail());

    run->listener.Job.Output.DestinationName = L"other";
    CNotifyWindow again(&run->listener);
    ASSERT_EQ(0, run->listener.StartJob(again.Get()));
    ASSERT_TRUE(PumpUntilFinished({&again}, 60000));
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result);
    EXPECT_STREQ(Out + L"\\other.mkv", job.Target.Path);
    EXPECT_STREQ(L"Output cannot be read", run->listener.LastDetail());
    EXPECT_STREQ(L"other.mkv", run->listener.ShownFileName());
    EXPECT_EQ(0u, job.Status.JobFlags & JOB_OUTPUT_KEPT_ASIDE);
}

// The numbered name an output is kept under is the runner's own: for a title as long as a name may
// be, the title is cut so that the numbered name is still one the file system takes.
TEST_F(OutputPlacementTest, AKeptAsideNameOfALongTitleFitsANamesLimit)
{
    REQUIRE_STAGE();
    const CString title = TitleOf(251);
    ASSERT_TRUE(WriteUtf8(Out + L"\\" + title + L".mkv", L"old"));
    Script(L"output_text not a clip\nprogress 3\ninterval 30\n");
    Hosts.Overwrite = FILE_EXISTS_OVERWRITE_ALL;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264", title);
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_INCOMPLETE, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
    const CString kept = title.Left(247) + L" (1).mkv";
    EXPECT_STREQ(Out + L"\\" + kept, job.Target.Path);
    EXPECT_STREQ(L"not a clip", ReadUtf8(job.Target.Path));
    EXPECT_STREQ(L"old", ReadUtf8(Out + L"\\" + title + L".mkv"));
    EXPECT_STREQ(L"Output cannot be read; kept as " + kept, run->listener.LastDetail());
}

// Rename All over a file of a title as long as a name may be: the job is written under the cut
// numbered name, not failed for a name the file system refuses.
TEST_F(OutputPlacementTest, ARenameAllOfALongTitleKeepsTheOutputUnderANameThatFits)
{
    REQUIRE_STAGE();
    ASSERT_TRUE(StandInProbe(GetStage().av));
    const CString title = TitleOf(251);
    ASSERT_TRUE(WriteUtf8(Out + L"\\" + title + L".mkv", L"old"));
    Script(L"output_text new\nprogress 3\ninterval 30\n");
    Hosts.Overwrite = FILE_EXISTS_RENAME_ALL;
    std::unique_ptr<JobRun> run = Start(GetStage().av, L"VF_mkv", L"H.264", title);
    Finish(*run);
    const CMediaConvertJob& job = run->listener.Job;
    EXPECT_EQ(JOB_RESULT_COMPLETED, job.Status.Result) << CStringA(run->listener.LastDetail()).GetString();
    const CString numbered = title.Left(247) + L" (1).mkv";
    EXPECT_STREQ(Out + L"\\" + numbered, job.Target.Path);
    EXPECT_STREQ(L"new", ReadUtf8(job.Target.Path));
    EXPECT_STREQ(L"old", ReadUtf8(Out + L"\\" + title + L".mkv"));
    EXPECT_STREQ(numbered, run->listener.ShownFileName());
    EXPECT_TRUE(Hosts.Questions.empty());
}

}  // namespace
