// Probing through the probe tool: real clips made at test time by the Windows ffmpeg and probed
// through Quisset.exe and ffprobe, and a fake probe tool for output, failures and stops.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "engine/MediaInfo.h"
#include "engine/MediaItem.h"
#include "engine/ProbeTool.h"
#include "engine/ToolProcess.h"
#include "media_test_support.h"


namespace {

__int64 SizeOf(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return -1;
    return ((__int64)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// Clips are made once per run in a folder with blanks and non-ASCII letters in its name, and
// probed through a scratch Modules folder holding the real probe tool and ffprobe.
class ProbeRealTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CString bin = enginetest::GetEnv(L"TEST_BIN_DIR"), ff = enginetest::GetEnv(L"TEST_FFMPEG_DIR"),
                temp = enginetest::GetEnv(L"TEST_TEMP_DIR");
        if (bin.IsEmpty() || ff.IsEmpty() || temp.IsEmpty()) {
            s_problem = "TEST_BIN_DIR, TEST_FFMPEG_DIR and TEST_TEMP_DIR must be set";
            return;
        }
        CString modules = temp + L"\\media modules";
        CreateDirectoryW(modules, nullptr);
        CreateDirectoryW(modules + L"\\ffmpeg", nullptr);
        if (!CopyFileW(bin + L"\\Quisset.exe", modules + L"\\Quisset.exe", FALSE) ||
            !CopyFileW(ff + L"\\ffprobe.exe", modules + L"\\ffmpeg\\ffprobe.exe", FALSE)) {
            s_problem = "cannot lay out the Modules folder";
            return;
        }
        s_probe = modules + L"\\Quisset.exe";
        s_clips = enginetest::MakeAwkwardFolder(L"media clips");

        CString srt = s_clips + L"\\subs.srt";
        enginetest::WriteUtf8File(srt, L"1\r\n00:00:00,000 --> 00:00:01,000\r\nHello\r\n\r\n");
        CString ffmpeg = L"\"" + ff + L"\\ffmpeg.exe\" -v error -y ";
        const CString video = L"-f lavfi -i testsrc=duration=2:size=320x240:rate=25 ";
        struct {
            CString* path;
            const wchar_t* name;
            CString args;
        } clips[] = {
            {&s_av, L"av.mp4",
             video + L"-f lavfi -i sine=frequency=440:duration=2:sample_rate=44100 -c:v libx264 -pix_fmt yuv420p"
                     L" -c:a aac -ac 2 -shortest"},
            {&s_multi, L"multi tracks.mkv",
             video + L"-f lavfi -i sine=frequency=440:duration=2:sample_rate=44100"
                     L" -f lavfi -i sine=frequency=880:duration=2:sample_rate=48000 -i \"" + srt + L"\""
                     L" -map 0 -map 1 -map 2 -map 3 -c:v libx264 -c:a aac -ac:a:0 2 -ac:a:1 1 -c:s srt"
                     L" -metadata:s:a:0 language=eng -metadata:s:a:1 language=fra -metadata:s:s:0 language=ger"},
            {&s_audio, L"\x00C4udio s\x00F3 \x03A9\x03BC \x65E5\x672C.mp3",
             L"-f lavfi -i sine=frequency=440:duration=2:sample_rate=22050 -c:a libmp3lame -ac 1 -b:a 64k"},
            {&s_odd, L"odd size.mkv",
             L"-f lavfi -i testsrc=duration=1:size=1280x721:rate=10 -c:v libx264 -pix_fmt yuv444p -preset ultrafast"},
            // Tagged clips in a folder whose name the command interpreter would expand.
            {&s_tagged, L"tags %OS% !OS!\\\x00DCn\x00EF" L"code %OS%.mp3",
             L"-f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame -metadata \"title=\x00DCn\x00EF" L"code title\""
             L" -metadata \"artist=Bj\x00F6rk & Co\" -metadata \"album=\x65E5\x672C\" -metadata genre=Jazz"
             L" -metadata \"copyright=(c) 2021 \x00E9\" -metadata \"comment=100% fine\" -metadata track=3/12"
             L" -metadata date=2021"},
            {&s_timed, L"tags %OS% !OS!\\timed.wav", L"-f lavfi -i sine=frequency=440:duration=4.023:sample_rate=8000"},
            {&s_wide, L"tags %OS% !OS!\\wide %OS%.mkv",
             L"-f lavfi -i testsrc=duration=1:size=320x240:rate=10 -c:v libx264 -preset ultrafast -aspect 16:9"
             L" -metadata \"title=Film \x00E0 voir\" -metadata artist=Someone -metadata date=1999-12-31"},
        };
        CreateDirectoryW(s_clips + L"\\tags %OS% !OS!", nullptr);
        for (auto& c : clips) {
            *c.path = s_clips + L"\\" + c.name;
            if (mediatest::RunAndWait(ffmpeg + c.args + L" \"" + *c.path + L"\"") != 0 ||
                !mediatest::FileExists(*c.path)) {
                s_problem = "ffmpeg could not make a clip";
                return;
            }
        }
    }

    void SetUp() override
    {
        if (!s_problem.empty())
            FAIL() << s_problem;
        m_host.ProbeTool = s_probe;
    }

    static std::string s_problem;
    static CString s_probe, s_clips, s_av, s_multi, s_audio, s_odd, s_tagged, s_timed, s_wide;
    mediatest::CTestEngineHost m_host;
};

std::string ProbeRealTest::s_problem;
CString ProbeRealTest::s_probe, ProbeRealTest::s_clips, ProbeRealTest::s_av, ProbeRealTest::s_multi,
    ProbeRealTest::s_audio, ProbeRealTest::s_odd, ProbeRealTest::s_tagged, ProbeRealTest::s_timed,
    ProbeRealTest::s_wide;

TEST_F(ProbeRealTest, VideoWithAudio)
{
    CMediaItem item;
    ASSERT_EQ(0, item.Open(s_av));
    EXPECT_NE(0u, item.Flags & MEDIA_FILE_PROBED);
    const CMediaInfoRecord& r = item.MediaInfo;
    EXPECT_STREQ(L"mov,mp4,m4a,3gp,3g2,mj2", r.Format);
    EXPECT_EQ(2, r.Streams);
    EXPECT_NEAR(2000000.0, (double)r.DurationInUs, 100000.0);
    EXPECT_EQ(SizeOf(s_av), r.Size);
    EXPECT_GT(r.BitRate, 0);
    ASSERT_EQ(2, r.GetStreamCount());

    const CMediaStream* v = r.GetSelectedVideoStream();
    ASSERT_NE(nullptr, v);
    EXPECT_STREQ(L"h264", v->Codec);
    EXPECT_EQ(320, v->Width);
    EXPECT_EQ(240, v->Height);
    EXPECT_EQ(25, v->FrameRateNum);
    EXPECT_EQ(1, v->FrameRateDen);
    EXPECT_EQ(50, v->Frames);
    EXPECT_NEAR(2000000.0, (double)v->DurationInUs, 100000.0);

    const CMediaStream* a = r.GetSelectedAudioStream();
    ASSERT_NE(nullptr, a);
    EXPECT_STREQ(L"aac", a->Codec);
    EXPECT_EQ(2, a->Channels);
    EXPECT_EQ(44100, a->SampleRate);
    EXPECT_GT(a->BitRate, 0);
    EXPECT_EQ(1, a->StreamIndex);
    EXPECT_EQ(MEDIA_SELECT_NONE, r.SelectedSubtitleStream);

    EXPECT_EQ(MEDIA_KIND_VIDEO, item.Kind);
    EXPECT_STREQ(L"av", item.Title);
    EXPECT_STREQ(L"0:02", item.DurationText);
    EXPECT_TRUE(item.ResolutionText.IsEmpty());
}

TEST_F(ProbeRealTest, TracksWithLanguagesAndSubtitles)
{
    CMediaInfoRecord r;
    ASSERT_EQ(0, r.Probe(s_multi, nullptr));
    EXPECT_STREQ(L"matroska,webm", r.Format);
    ASSERT_EQ(4, r.GetStreamCount());
    ASSERT_EQ(1, r.VideoStreams.GetSize());
    ASSERT_EQ(2, r.AudioStreams.GetSize());
    ASSERT_EQ(1, r.SubtitleStreams.GetSize());

    const CMediaStream* eng = r.AudioStreams[0];
    const CMediaStream* fra = r.AudioStreams[1];
    EXPECT_STREQ(L"eng", eng->Language);
    EXPECT_EQ(2, eng->Channels);
    EXPECT_EQ(44100, eng->SampleRate);
    EXPECT_STREQ(L"fra", fra->Language);
    EXPECT_EQ(1, fra->Channels);
    EXPECT_EQ(48000, fra->SampleRate);
    EXPECT_EQ(2, r.GetStreamIndex(1, MEDIA_STREAM_AUDIO));

    const CMediaStream* sub = r.SubtitleStreams[0];
    EXPECT_EQ(MEDIA_STREAM_SUBTITLE, sub->Type);
    EXPECT_STREQ(L"subrip", sub->Codec);
    EXPECT_STREQ(L"ger", sub->Language);
    EXPECT_EQ(MEDIA_SELECT_AUTO, r.SelectedSubtitleStream);

    // Matroska gives stream durations only as "DURATION" tags ("00:00:02.023000000"); they must
    // land in microseconds with their fraction, agreeing with the container's duration.
    EXPECT_NEAR(2000000.0, (double)r.DurationInUs, 100000.0);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR((double)r.DurationInUs, (double)r.GetStream(i)->DurationInUs, 5000.0) << "stream " << i;
    EXPECT_NEAR((double)r.DurationInUs - 1000000.0, (double)sub->DurationInUs, 5000.0);
}

TEST_F(ProbeRealTest, AudioOnlyWithANonAsciiName)
{
    CMediaItem item;
    ASSERT_EQ(0, item.Open(s_audio));
    const CMediaInfoRecord& r = item.MediaInfo;
    EXPECT_STREQ(L"mp3", r.Format);
    ASSERT_EQ(1, r.GetStreamCount());
    const CMediaStream* a = r.GetStream(0);
    EXPECT_STREQ(L"mp3", a->Codec);
    EXPECT_EQ(1, a->Channels);
    EXPECT_EQ(22050, a->SampleRate);
    EXPECT_EQ(64000, a->BitRate);
    EXPECT_EQ(MEDIA_SELECT_NONE, r.SelectedVideoStream);
    EXPECT_EQ(nullptr, r.GetSelectedVideoStream());
    EXPECT_EQ(SizeOf(s_audio), r.Size);
    EXPECT_EQ(MEDIA_KIND_AUDIO, item.Kind);
    EXPECT_STREQ(L"\x00C4udio s\x00F3 \x03A9\x03BC \x65E5\x672C", item.Title);
}

TEST_F(ProbeRealTest, OddFrameSize)
{
    CMediaItem item;
    ASSERT_EQ(0, item.Open(s_odd));
    const CMediaStream* v = item.MediaInfo.GetSelectedVideoStream();
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(1280, v->Width);
    EXPECT_EQ(721, v->Height);
    EXPECT_EQ(10, v->FrameRateNum);
    EXPECT_EQ(1, v->FrameRateDen);
    EXPECT_TRUE(item.ResolutionText.IsEmpty()) << "721 is no class";
    EXPECT_EQ(MEDIA_SELECT_NONE, item.MediaInfo.SelectedAudioStream);
}

TEST_F(ProbeRealTest, AspectAndTagsOfClipsMadeWithMetadata)
{
    CMediaItem song;
    ASSERT_EQ(0, song.Open(s_tagged)) << "a path with %OS% in it is probed as it stands";
    const CMediaMetadata& m = song.MediaInfo.Metadata;
    EXPECT_STREQ(L"\x00DCn\x00EF" L"code title", m.Title);
    EXPECT_STREQ(L"\x00DCn\x00EF" L"code title", song.Title);
    EXPECT_STREQ(L"Bj\x00F6rk & Co", m.Author);
    EXPECT_STREQ(L"\x65E5\x672C", m.Album);
    EXPECT_STREQ(L"Jazz", m.Genre);
    EXPECT_STREQ(L"(c) 2021 \x00E9", m.Copyright);
    EXPECT_STREQ(L"100% fine", m.Comment);
    EXPECT_EQ(3, m.Track);
    EXPECT_EQ(2021, m.Year);

    CMediaItem film;
    ASSERT_EQ(0, film.Open(s_wide));
    const CMediaStream* v = film.MediaInfo.GetSelectedVideoStream();
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(320, v->Width);
    EXPECT_EQ(16, v->AspectNum);
    EXPECT_EQ(9, v->AspectDen);
    EXPECT_STREQ(L"Film \x00E0 voir", film.Title);
    EXPECT_STREQ(L"Someone", film.MediaInfo.Metadata.Author) << "Matroska names it ARTIST";
    EXPECT_EQ(1999, film.MediaInfo.Metadata.Year);

    // 4.023000 s is 4022999.99... as a double.
    CMediaInfoRecord timed;
    ASSERT_EQ(0, timed.Probe(s_timed, nullptr));
    EXPECT_EQ(4023000, timed.DurationInUs);

    CMediaInfoRecord plain;
    ASSERT_EQ(0, plain.Probe(s_av, nullptr));
    EXPECT_EQ(4, plain.GetSelectedVideoStream()->AspectNum) << "square pixels of 320x240";
    EXPECT_EQ(3, plain.GetSelectedVideoStream()->AspectDen);
}

TEST_F(ProbeRealTest, TemporaryFolderOutsideTheAnsiCodePage)
{
    CString tmp = enginetest::MakeAwkwardFolder(L"media tmp");
    mediatest::CScopedEnv setTmp(L"TMP", tmp), setTemp(L"TEMP", tmp);
    wchar_t current[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, current);

    CMediaInfoRecord r;
    ASSERT_EQ(0, r.Probe(s_av, nullptr));
    EXPECT_EQ(2, r.GetStreamCount());
    EXPECT_EQ(0, mediatest::CountFiles(tmp)) << "the output file is deleted";

    wchar_t after[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, after);
    EXPECT_STREQ(current, after) << "other threads depend on the current folder";
}

// The probe runs in the media's folder when it can; one 300 characters deep is more than a child
// can start in, and the file is probed all the same.
TEST_F(ProbeRealTest, FileDeeperThanAChildsFolderCanBe)
{
    const CString deep = enginetest::MakeDeepFolder(L"deep probe", 290);
    ASSERT_FALSE(deep.IsEmpty());
    const CString clip = deep + L"\\av.mp4";
    ASSERT_GE(clip.GetLength(), 300);
    ASSERT_TRUE(CopyFileW(s_av, clip, FALSE));
    CMediaInfoRecord r;
    ASSERT_EQ(0, r.Probe(clip, nullptr));
    EXPECT_EQ(2, r.GetStreamCount());
    EXPECT_EQ(SizeOf(s_av), r.Size);
}

TEST_F(ProbeRealTest, MissingFileFails)
{
    CMediaItem item;
    EXPECT_EQ(-1, item.Open(s_clips + L"\\no such clip.mp4"));
    EXPECT_EQ(0u, item.Flags & MEDIA_FILE_PROBED);
    EXPECT_EQ(0, item.MediaInfo.GetStreamCount());
}

// A fake probe tool in a folder with awkward characters, scripted per test.
class ProbeFakeTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (enginetest::GetEnv(L"TEST_BIN_DIR").IsEmpty())
            FAIL() << "TEST_BIN_DIR must be set";
        m_folder = enginetest::MakeAwkwardFolder(L"probe");
        m_host.ProbeTool = enginetest::InstallFakeTool(m_folder, L"Quisset.exe");
        ASSERT_FALSE(m_host.ProbeTool.IsEmpty());
        m_tmp = m_folder + L"\\tmp";
        CreateDirectoryW(m_tmp, nullptr);
    }

    void Script(const CString& text) { ASSERT_TRUE(enginetest::WriteUtf8File(m_folder + L"\\Quisset.fake", text)); }

    CString m_folder, m_tmp;
    mediatest::CTestEngineHost m_host;
};

const wchar_t kMinimalJson[] =
    L"{\"format\": {\"format_name\": \"hls\", \"duration\": \"6.0\"}, \"streams\": [{\"codec_type\": \"audio\","
    L" \"codec_name\": \"aac\", \"channels\": 2}]}";

TEST_F(ProbeFakeTest, UrlGetsItsArgumentsAndNoSize)
{
    Script(CString(L"stdout_text ") + kMinimalJson + L"\nlog " + m_folder + L"\\log.txt\n");
    CMediaInfoRecord r;
    {
        mediatest::CScopedEnv setTmp(L"TMP", m_tmp), setTemp(L"TEMP", m_tmp);
        ASSERT_EQ(0, ProbeMediaFile(r, L"http://example.invalid/live.m3u8", nullptr));
    }
    EXPECT_EQ(-1, r.Size) << "no file to measure";
    EXPECT_EQ(6000000, r.DurationInUs);
    EXPECT_EQ(MEDIA_SELECT_AUTO, r.SelectedAudioStream) << "finalized";
    EXPECT_EQ(0, mediatest::CountFiles(m_tmp));

    std::vector<CString> lines = enginetest::ReadLines(m_folder + L"\\log.txt");
    std::vector<CString> args;
    for (const CString& line : lines)
        if (line.Left(5) == L"arg: ")
            args.push_back(line.Mid(5));
    const wchar_t* expected[] = {L"http://example.invalid/live.m3u8", L"-loglevel", L"quiet", L"-show_format",
                                 L"-show_streams", L"-print_format", L"json"};
    ASSERT_EQ(7u, args.size());
    for (size_t i = 0; i < 7; ++i)
        EXPECT_STREQ(expected[i], args[i]);
}

TEST_F(ProbeFakeTest, FailingToolIsAFailureWhateverItPrinted)
{
    Script(CString(L"stdout_text ") + kMinimalJson + L"\nexit 1\n");
    CMediaInfoRecord r;
    EXPECT_EQ(-1, ProbeMediaFile(r, L"C:\\nothing.mp4", nullptr));
    EXPECT_EQ(0, r.GetStreamCount());
}

TEST_F(ProbeFakeTest, MissingToolOrHostFails)
{
    CMediaInfoRecord r;
    m_host.ProbeTool = m_folder + L"\\absent.exe";
    EXPECT_EQ(-1, ProbeMediaFile(r, L"C:\\nothing.mp4", nullptr));
    m_host.ProbeTool.Empty();
    EXPECT_EQ(-1, ProbeMediaFile(r, L"C:\\nothing.mp4", nullptr));
    SetEngineHost(nullptr);
    EXPECT_EQ(-1, ProbeMediaFile(r, L"C:\\nothing.mp4", nullptr));
    SetEngineHost(&m_host);
}

TEST_F(ProbeFakeTest, NonJsonOutputFails)
{
    Script(L"stdout_text {\"format\": {\"duration\": \"2\"}, \"streams\": [{\"codec_type\": \"video\", \"width\": \"wide\"}]}\n");
    CMediaItem item;
    EXPECT_EQ(-1, item.Open(m_folder + L"\\Quisset.fake"));
    EXPECT_EQ(0, item.MediaInfo.GetStreamCount());
}

TEST_F(ProbeFakeTest, StopDuringASlowProbe)
{
    CString pids = m_folder + L"\\pids.txt";
    Script(L"hang\npid_file " + pids + L"\n");
    DWORD grace = CToolProcessBase::GetStopGrace();
    CToolProcessBase::SetStopGraceForTests(300);
    mediatest::CScopedEnv setTmp(L"TMP", m_tmp), setTemp(L"TEMP", m_tmp);

    volatile int stop = 0;
    int result = 99;
    CMediaInfoRecord r;
    r.Format = L"left over";
    {
        enginetest::CPumpedThread probe([&] { result = ProbeMediaFile(r, L"C:\\slow.mp4", &stop); });
        EXPECT_TRUE(enginetest::WaitUntil([&] { return !enginetest::ReadPids(pids).empty(); }, 30000));
        EXPECT_EQ(1, mediatest::CountFiles(m_tmp)) << "the output file exists while the tool runs";
        stop = 2;
        EXPECT_TRUE(probe.Join(60000));
    }
    CToolProcessBase::SetStopGraceForTests(grace);

    EXPECT_EQ(1, result);
    EXPECT_EQ(0, r.GetStreamCount());
    EXPECT_EQ(0, mediatest::CountFiles(m_tmp)) << "no temporary file is left";
    for (DWORD pid : enginetest::ReadPids(pids))
        EXPECT_FALSE(enginetest::IsProcessListed(pid)) << "process " << pid << " still runs";
}

TEST_F(ProbeFakeTest, AnItemsProbeOfAHungToolEndsAtOnceThroughTheCallersStopFlagAndSaysItWasStopped)
{
    CString pids = m_folder + L"\\pids.txt";
    Script(L"hang\npid_file " + pids + L"\n");
    // Nothing asks a probe to stop and its output is thrown away: the grace of the other tools
    // would only be waited out.
    DWORD grace = CToolProcessBase::GetStopGrace();
    CToolProcessBase::SetStopGraceForTests(60000);
    volatile int stop = 0;
    int opened = 99, probed = 99;
    DWORD stoppedAt = 0, endedAt = 0;
    CMediaItem item, again;
    again.Path = L"http://example.invalid/stalled";
    {
        enginetest::CPumpedThread loader([&] {
            opened = item.Open(L"http://example.invalid/stalled.m3u8", &stop);
            probed = again.Probe(0, &stop);
            endedAt = GetTickCount();
        });
        EXPECT_TRUE(enginetest::WaitUntil([&] { return !enginetest::ReadPids(pids).empty(); }, 30000));
        stoppedAt = GetTickCount();
        stop = 2;
        EXPECT_TRUE(loader.Join(90000)) << "the stop did not end the probe";
    }
    CToolProcessBase::SetStopGraceForTests(grace);
    EXPECT_LT(endedAt - stoppedAt, 10000u) << "the probe waited out the stop grace";
    EXPECT_EQ(PROBE_STOPPED, opened) << "stopped, not a file that cannot be probed";
    EXPECT_EQ(PROBE_STOPPED, probed) << "a raised flag ends the next probe too";
    EXPECT_EQ(0u, item.Flags & MEDIA_FILE_PROBED);
    EXPECT_EQ(0u, again.Flags & MEDIA_FILE_PROBED);
    for (DWORD pid : enginetest::ReadPids(pids))
        EXPECT_FALSE(enginetest::IsProcessListed(pid)) << "process " << pid << " still runs";
}

TEST_F(ProbeFakeTest, StoppedProbeLeavesTheRecordAsResetAndAFailedOneIsNoStop)
{
    Script(L"hang\n");
    volatile int stop = 2;
    CMediaInfoRecord r;
    r.Format = L"old";
    EXPECT_EQ(PROBE_STOPPED, r.Probe(L"C:\\slow.mp4", &stop));
    EXPECT_TRUE(r.Format.IsEmpty());

    Script(L"exit 1\n");
    stop = 0;
    EXPECT_EQ(PROBE_FAILED, r.Probe(L"C:\\slow.mp4", &stop));
}

TEST_F(ProbeFakeTest, ToolRunsInTheMediaFolderWithoutChangingOurs)
{
    // A relative output name resolves against the tool's current folder.
    CString media = m_folder + L"\\media";
    CreateDirectoryW(media, nullptr);
    ASSERT_TRUE(enginetest::WriteUtf8File(media + L"\\clip.mp4", L"x"));
    ASSERT_TRUE(enginetest::WriteUtf8File(media + L"\\probe.json", kMinimalJson));
    Script(L"stdout_file probe.json\n");
    wchar_t before[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, before);

    CMediaInfoRecord r;
    int result = r.Probe(media + L"\\clip.mp4", nullptr);
    wchar_t after[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, after);
    EXPECT_STREQ(before, after);
    ASSERT_EQ(0, result);
    EXPECT_EQ(1, r.AudioStreams.GetSize());
    EXPECT_EQ(1, r.Size) << "the size of the media file";
}

}  // namespace
