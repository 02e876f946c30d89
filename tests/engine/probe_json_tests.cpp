// The probe driver's arguments and its reading of the probe tool's JSON, on fixture files written
// into a folder whose name lies outside the ANSI code page.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "engine/MediaInfo.h"
#include "engine/ProbeTool.h"

namespace {

class ProbeJsonTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_folder = enginetest::MakeAwkwardFolder(L"probe json"); }

    // Writes the text as a fixture file and parses it into m_record.
    int Parse(const std::string& json)
    {
        CString file = FixturePath();
        CHandle out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(out, json.data(), (DWORD)json.size(), &written, nullptr));
        out.Close();
        CProbeTool tool;
        return tool.ParseJson(file, m_record, nullptr);
    }

    // Its folder and its name hold letters outside the ANSI code page.
    static CString FixturePath() { return s_folder + L"\\probe \x00E9\x03A9.json"; }

    // A document with the given format members and stream objects.
    static std::string Doc(const std::string& format, const std::string& streams)
    {
        return "{\"streams\": [" + streams + "], \"format\": {" + format + "}}";
    }

    static CString s_folder;
    CMediaInfoRecord m_record;
};

CString ProbeJsonTest::s_folder;

const char kVideo25[] =
    "{\"codec_name\": \"h264\", \"codec_type\": \"video\", \"width\": 320, \"height\": 240,"
    " \"r_frame_rate\": \"25/1\", \"nb_frames\": \"250\"}";

TEST_F(ProbeJsonTest, FixtureNameIsOutsideTheAnsiCodePage)
{
    BOOL lossy = FALSE;
    char narrow[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, FixturePath(), -1, narrow, sizeof(narrow), nullptr, &lossy);
    EXPECT_TRUE(lossy) << "the fixtures must prove that the output file is opened by its wide name";
    ASSERT_EQ(0, Parse(Doc("\"duration\": \"1.5\"", kVideo25)));
    EXPECT_EQ(1500000, m_record.DurationInUs);
}

TEST_F(ProbeJsonTest, ContainerFieldsAreReadAsText)
{
    ASSERT_EQ(0, Parse(Doc("\"nb_streams\": 1, \"format_name\": \"mov,mp4,m4a\", \"start_time\": \"0.023220\","
                           " \"duration\": \"3.000000\", \"size\": \"5000000000\", \"bit_rate\": \"128000\"",
                           kVideo25)));
    EXPECT_EQ(1, m_record.Streams);
    EXPECT_STREQ(L"mov,mp4,m4a", m_record.Format);
    EXPECT_EQ(23220, m_record.StartTimeInUs);
    EXPECT_EQ(3000000, m_record.DurationInUs);
    EXPECT_EQ(5000000000LL, m_record.Size);
    EXPECT_EQ(128000, m_record.BitRate);
    ASSERT_EQ(1, m_record.GetStreamCount());
    const CMediaStream* v = m_record.GetStream(0);
    EXPECT_STREQ(L"h264", v->Codec);
    EXPECT_EQ(MEDIA_STREAM_VIDEO, v->Type);
    EXPECT_EQ(320, v->Width);
    EXPECT_EQ(240, v->Height);
    EXPECT_EQ(25, v->FrameRateNum);
    EXPECT_EQ(1, v->FrameRateDen);
    EXPECT_EQ(250, v->Frames);
}

TEST_F(ProbeJsonTest, NumbersWhereTextIsReadAreTakenThroughTheirTextForm)
{
    ASSERT_EQ(0, Parse(Doc("\"start_time\": 1, \"duration\": 12.5, \"size\": 123456, \"bit_rate\": 64000",
                           "{\"codec_type\": \"audio\", \"sample_rate\": 44100, \"channels\": 2,"
                           " \"bit_rate\": 128000, \"nb_frames\": 431, \"duration\": 10}")));
    EXPECT_EQ(1000000, m_record.StartTimeInUs);
    EXPECT_EQ(12500000, m_record.DurationInUs);
    EXPECT_EQ(123456, m_record.Size);
    EXPECT_EQ(64000, m_record.BitRate);
    const CMediaStream* a = m_record.GetStream(0);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(44100, a->SampleRate);
    EXPECT_EQ(2, a->Channels);
    EXPECT_EQ(128000, a->BitRate);
    EXPECT_EQ(431, a->Frames);
    EXPECT_EQ(10000000, a->DurationInUs);
}

TEST_F(ProbeJsonTest, DurationComesFromTheFirstStreamWithFramesAndRate)
{
    // The audio stream has frames but no rate is read for audio; the second video would give 10 s too
    // but comes later.
    ASSERT_EQ(0, Parse(Doc("\"format_name\": \"avi\"",
                           "{\"codec_type\": \"audio\", \"nb_frames\": \"99\", \"r_frame_rate\": \"10/1\"}, "
                           "{\"codec_type\": \"video\", \"nb_frames\": \"\", \"nb_read_frames\": \"300\","
                           " \"r_frame_rate\": \"30000/1001\"}, "
                           "{\"codec_type\": \"video\", \"nb_frames\": \"100\", \"r_frame_rate\": \"10/1\"}")));
    EXPECT_EQ(300, m_record.GetStream(1)->Frames);
    EXPECT_EQ(10010000, m_record.DurationInUs);
}

TEST_F(ProbeJsonTest, NotAvailableDurationReadsAsZeroAndFallsBackToFrames)
{
    ASSERT_EQ(0, Parse(Doc("\"duration\": \"N/A\", \"start_time\": \"N/A\"", kVideo25)));
    EXPECT_EQ(0, m_record.StartTimeInUs);
    EXPECT_EQ(10000000, m_record.DurationInUs);

    m_record.Reset();
    ASSERT_EQ(0, Parse(Doc("\"duration\": \"4.000000\"", kVideo25)));
    EXPECT_EQ(4000000, m_record.DurationInUs) << "a container duration is kept";
}

TEST_F(ProbeJsonTest, ZeroRateIsTakenAndOnlyAnEmptyRateFallsBack)
{
    ASSERT_EQ(0, Parse(Doc("\"size\": \"1\"",
                           "{\"codec_type\": \"video\", \"r_frame_rate\": \"0/0\", \"avg_frame_rate\": \"25/1\","
                           " \"nb_frames\": \"250\"}, "
                           "{\"codec_type\": \"video\", \"r_frame_rate\": \"\", \"avg_frame_rate\": \"24000/1001\"}, "
                           "{\"codec_type\": \"video\", \"avg_frame_rate\": \"30/1\"}, "
                           "{\"codec_type\": \"video\", \"r_frame_rate\": \"fast\"}")));
    EXPECT_EQ(0, m_record.GetStream(0)->FrameRateNum);
    EXPECT_EQ(0, m_record.GetStream(0)->FrameRateDen);
    EXPECT_EQ(0, m_record.DurationInUs) << "a 0/0 rate gives no duration";
    EXPECT_EQ(24000, m_record.GetStream(1)->FrameRateNum);
    EXPECT_EQ(1001, m_record.GetStream(1)->FrameRateDen);
    EXPECT_EQ(30, m_record.GetStream(2)->FrameRateNum) << "a missing rate reads as empty";
    EXPECT_EQ(0, m_record.GetStream(3)->FrameRateNum);
    EXPECT_EQ(0, m_record.GetStream(3)->FrameRateDen);
}

TEST_F(ProbeJsonTest, UndeterminedLanguageIsIgnoredInAnyCase)
{
    ASSERT_EQ(0, Parse(Doc("",
                           "{\"codec_type\": \"audio\", \"tags\": {\"language\": \"UND\"}}, "
                           "{\"codec_type\": \"audio\", \"tags\": {\"language\": \"und\"}}, "
                           "{\"codec_type\": \"audio\", \"tags\": {\"language\": \"fra\"}}, "
                           "{\"codec_type\": \"audio\", \"tags\": {}}")));
    EXPECT_STREQ(L"", m_record.GetStream(0)->Language);
    EXPECT_STREQ(L"", m_record.GetStream(1)->Language);
    EXPECT_STREQ(L"fra", m_record.GetStream(2)->Language);
    EXPECT_STREQ(L"", m_record.GetStream(3)->Language);
}

TEST_F(ProbeJsonTest, StreamTypesAreComparedExactly)
{
    ASSERT_EQ(0, Parse(Doc("",
                           "{\"codec_type\": \"video\"}, {\"codec_type\": \"audio\"}, {\"codec_type\": \"subtitle\"},"
                           " {\"codec_type\": \"data\"}, {\"codec_type\": \"attachment\"}, {\"codec_type\": \"Video\"},"
                           " {}")));
    const int expected[] = {1, 2, 3, 4, 5, 0, 0};
    ASSERT_EQ(7, m_record.GetStreamCount());
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(expected[i], m_record.GetStream(i)->Type) << "stream " << i;
}

TEST_F(ProbeJsonTest, DurationTagIsParsedIntoMicroseconds)
{
    ASSERT_EQ(0, Parse(Doc("",
                           "{\"codec_type\": \"video\", \"duration\": \"9.0\", \"tags\": {\"DURATION\": \"00:00:02.023000000\"}}, "
                           "{\"codec_type\": \"audio\", \"tags\": {\"DURATION\": \"01:02:03.5\"}}, "
                           "{\"codec_type\": \"audio\", \"duration\": \"3.0\", \"tags\": {\"DURATION\": \"\"}}")));
    EXPECT_EQ(2023000, m_record.GetStream(0)->DurationInUs);
    EXPECT_EQ(3723500000LL, m_record.GetStream(1)->DurationInUs);
    EXPECT_EQ(3000000, m_record.GetStream(2)->DurationInUs) << "an empty tag keeps the duration";
}

TEST(ProbeTagDuration, FractionIsScaledByItsDigits)
{
    EXPECT_EQ(1000000, detail::ParseTagDurationUs("00:00:01.000000999"));
    EXPECT_EQ(500000, detail::ParseTagDurationUs("0:0:0.5"));
    EXPECT_EQ(62050000, detail::ParseTagDurationUs("1:02.05"));
    EXPECT_EQ(7250000, detail::ParseTagDurationUs(" 7.25 "));
    EXPECT_EQ(3723000000LL, detail::ParseTagDurationUs("1:2:3:4"));
    EXPECT_EQ(0, detail::ParseTagDurationUs(""));
}

TEST_F(ProbeJsonTest, TextsAreDecodedAsUtf8)
{
    // "café", "日本" and "Ünïcode", in UTF-8 bytes and as JSON escapes.
    ASSERT_EQ(0, Parse(Doc("\"format_name\": \"caf\xC3\xA9\", \"tags\": {\"title\": \"\\u00dcn\\u00efcode\"}",
                           "{\"codec_name\": \"\xE6\x97\xA5\xE6\x9C\xAC\", \"tags\": {\"language\": \"\xC3\xA9\"}}")));
    EXPECT_STREQ(L"caf\x00E9", m_record.Format);
    EXPECT_STREQ(L"\x65E5\x672C", m_record.GetStream(0)->Codec);
    EXPECT_STREQ(L"\x00E9", m_record.GetStream(0)->Language);
    EXPECT_STREQ(L"\x00DCn\x00EF" L"code", m_record.Metadata.Title);
}

TEST_F(ProbeJsonTest, TimesRoundToTheNearestMicrosecond)
{
    ASSERT_EQ(0, Parse(Doc("\"start_time\": \"0.023220\", \"duration\": \"4.023000\"",
                           "{\"codec_type\": \"audio\", \"start_time\": \"-0.021333\", \"duration\": \"0.1234565\"}")));
    EXPECT_EQ(23220, m_record.StartTimeInUs);
    EXPECT_EQ(4023000, m_record.DurationInUs);
    EXPECT_EQ(-21333, m_record.GetStream(0)->StartTimeInUs);
    EXPECT_EQ(123457, m_record.GetStream(0)->DurationInUs);
}

TEST_F(ProbeJsonTest, VideoAspectFromTheDisplayRatioElseFromTheSampleRatio)
{
    ASSERT_EQ(0, Parse(Doc("",
                           "{\"codec_type\": \"video\", \"width\": 720, \"height\": 576,"
                           " \"sample_aspect_ratio\": \"64:45\", \"display_aspect_ratio\": \"16:9\"}, "
                           "{\"codec_type\": \"video\", \"width\": 720, \"height\": 480, \"sample_aspect_ratio\": \"8:9\"}, "
                           "{\"codec_type\": \"video\", \"width\": 320, \"height\": 240,"
                           " \"sample_aspect_ratio\": \"1:1\", \"display_aspect_ratio\": \"0:1\"}, "
                           "{\"codec_type\": \"video\", \"width\": 320, \"height\": 240, \"sample_aspect_ratio\": \"0:1\"}, "
                           "{\"codec_type\": \"video\", \"width\": 320, \"height\": 240,"
                           " \"sample_aspect_ratio\": \"N/A\", \"display_aspect_ratio\": \"N/A\"}, "
                           "{\"codec_type\": \"audio\", \"display_aspect_ratio\": \"16:9\"}")));
    const int expected[][2] = {{16, 9}, {4, 3}, {4, 3}, {0, 0}, {0, 0}, {0, 0}};
    ASSERT_EQ(6, m_record.GetStreamCount());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i][0], m_record.GetStream(i)->AspectNum) << "stream " << i;
        EXPECT_EQ(expected[i][1], m_record.GetStream(i)->AspectDen) << "stream " << i;
    }
}

TEST_F(ProbeJsonTest, ContainerTagsFillTheMetadataWhateverTheirCase)
{
    ASSERT_EQ(0, Parse(Doc("\"tags\": {\"TITLE\": \"  A title \", \"Album\": \"An album\","
                           " \"GENRE\": \"Jazz\", \"copyright\": \"(c) 2020\", \"Comment\": \"no comment\","
                           " \"author\": \"An author\", \"ARTIST\": \"An artist\", \"track\": \"3/12\","
                           " \"DATE\": \"2021-05-01\", \"year\": \"1999\", \"encoder\": \"Lavf58\"}",
                           kVideo25)));
    const CMediaMetadata& m = m_record.Metadata;
    EXPECT_STREQ(L"  A title ", m.Title) << "kept as it stands; the item trims it";
    EXPECT_STREQ(L"An album", m.Album);
    EXPECT_STREQ(L"Jazz", m.Genre);
    EXPECT_STREQ(L"(c) 2020", m.Copyright);
    EXPECT_STREQ(L"no comment", m.Comment);
    EXPECT_STREQ(L"An artist", m.Author) << "the artist before the author";
    EXPECT_EQ(3, m.Track);
    EXPECT_EQ(2021, m.Year) << "the year of the date before a year tag";

    m_record.Reset();
    ASSERT_EQ(0, Parse(Doc("\"tags\": {\"AUTHOR\": \"Someone\", \"YEAR\": 1987, \"track\": \"x\"}", kVideo25)));
    EXPECT_STREQ(L"Someone", m_record.Metadata.Author);
    EXPECT_EQ(1987, m_record.Metadata.Year);
    EXPECT_EQ(0, m_record.Metadata.Track);
    EXPECT_STREQ(L"", m_record.Metadata.Title);

    for (const char* bad : {"\"tags\": []", "\"tags\": \"x\"", "\"tags\": {\"title\": {\"a\": 1}}"}) {
        m_record.Reset();
        EXPECT_EQ(-1, Parse(Doc(bad, kVideo25))) << bad;
        EXPECT_STREQ(L"", m_record.Format) << bad;
    }
}

TEST_F(ProbeJsonTest, EmptyOrMissingStreamsFailButKeepTheContainer)
{
    const char* lists[] = {"{\"format\": {\"duration\": \"2.0\", \"nb_streams\": 0}, \"streams\": []}",
                           "{\"format\": {\"duration\": \"2.0\", \"nb_streams\": 0}}",
                           "{\"format\": {\"duration\": \"2.0\", \"nb_streams\": 0}, \"streams\": {\"a\": 1}}"};
    for (const char* json : lists) {
        m_record.Reset();
        EXPECT_EQ(-1, Parse(json)) << json;
        EXPECT_EQ(2000000, m_record.DurationInUs) << json;
        EXPECT_EQ(0, m_record.GetStreamCount()) << json;
    }
}

TEST_F(ProbeJsonTest, MissingFormatFailsAndLeavesTheRecord)
{
    EXPECT_EQ(-1, Parse("{\"streams\": [" + std::string(kVideo25) + "]}"));
    EXPECT_EQ(0, m_record.GetStreamCount());
    EXPECT_EQ(0, m_record.DurationInUs);
    EXPECT_EQ(-1, Parse("{\"format\": null, \"streams\": [" + std::string(kVideo25) + "]}"));
}

TEST_F(ProbeJsonTest, MalformedOutputOfAnyShapeFails)
{
    const std::string deep(100000, '[');
    const std::string cases[] = {
        "",
        "   ",
        "not json",
        "[]",
        "\"text\"",
        "{\"format\": [], \"streams\": []}",
        "{\"format\": \"mp4\", \"streams\": [{}]}",
        "{\"format\": {\"nb_streams\": \"2\"}, \"streams\": [{}]}",
        "{\"format\": {\"nb_streams\": 1e12}, \"streams\": [{}]}",
        "{\"format\": {\"format_name\": [\"mp4\"]}, \"streams\": [{}]}",
        "{\"format\": {\"duration\": {\"s\": 1}}, \"streams\": [{}]}",
        "{\"format\": {}, \"streams\": [3]}",
        "{\"format\": {}, \"streams\": [[]]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": \"video\", \"width\": \"1280\"}]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": \"video\", \"height\": [721]}]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": \"audio\", \"channels\": {\"n\": 2}}]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": \"audio\", \"channels\": 2.5e10}]}",
        "{\"format\": {}, \"streams\": [{\"codec_name\": {\"n\": 2}}]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": [\"video\"]}]}",
        "{\"format\": {}, \"streams\": [{\"tags\": []}]}",
        "{\"format\": {}, \"streams\": [{\"tags\": \"eng\"}]}",
        "{\"format\": {}, \"streams\": [{\"tags\": {\"language\": [\"eng\"]}}]}",
        "{\"format\": {}, \"streams\": [{\"tags\": {\"DURATION\": {}}}]}",
        "{\"format\": {}, \"streams\": [{\"codec_type\": \"video\"}, 7]}",
        "{\"format\": {\"duration\": \"2.0\"}, \"streams\": [{\"codec_type\": \"vid",
        deep,
    };
    for (const std::string& json : cases) {
        m_record.Reset();
        EXPECT_EQ(-1, Parse(json)) << json.substr(0, 80);
        EXPECT_EQ(0, m_record.GetStreamCount()) << json.substr(0, 80);
    }
}

TEST_F(ProbeJsonTest, MissingFileFails)
{
    CProbeTool tool;
    EXPECT_EQ(-1, tool.ParseJson(s_folder + L"\\no such file.json", m_record, nullptr));
    EXPECT_EQ(-1, tool.ParseJson(nullptr, m_record, nullptr));
}

TEST(ProbeArgs, DefaultsGiveTheFixedArgumentList)
{
    CProbeTool tool;
    CProbeOptions options;
    options.InputPath = L"C:\\a b\\f\x00E9.mp4";
    CCommandLine args;
    EXPECT_EQ(0, tool.BuildArgs(args, options));
    EXPECT_STREQ(L"\"C:\\a b\\f\x00E9.mp4\" -loglevel quiet -show_format -show_streams -print_format json",
                 args.GetText());
}

TEST(ProbeArgs, OptionalArgumentsFollowInOrder)
{
    CProbeTool tool;
    CProbeOptions options;
    options.InputPath = L"x.mkv";
    options.ShowFormat = 0;
    options.CountFrames = 1;
    options.PrintFormat.Empty();
    options.AnalyzeDuration = 5000000;
    options.ProbeSize = 32;
    options.ExtraArgs = L"-select_streams v";
    CCommandLine args;
    tool.BuildArgs(args, options);
    EXPECT_STREQ(L"\"x.mkv\" -loglevel quiet -show_streams -count_frames -analyzeduration 5000000 -probesize 32"
                 L" -select_streams v",
                 args.GetText());
}

}  // namespace
