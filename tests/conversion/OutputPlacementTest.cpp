// Where a finished output goes and what the status says of it; with a scripted encoder that waits
// where the test needs it to.
#include <gtest/gtest.h>

#include <shlwapi.h>

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

}  // namespace
