// The encoder's argument list, written out by hand for records that each touch many rules, and
// the recipes' options and retries seen through a driver that records its launches.
#include <gtest/gtest.h>

#include <vector>

#include "engine/EncoderOptions.h"
#include "engine/EncoderTool.h"

namespace {

CString Args(CEncoderOptions& options, CEncoderToolBase* driver = nullptr)
{
    CEncoderToolBase plain;
    CString out;
    EXPECT_EQ(0, (driver ? driver : &plain)->BuildArgs(out, options));
    return out;
}

TEST(EncoderArgs, DefaultRecordWritesOnlyTheOverwriteSwitch)
{
    CEncoderOptions options;
    EXPECT_STREQ(L"-y", Args(options));
}

TEST(EncoderArgs, EveryInputAndStreamSettingInItsPlace)
{
    CEncoderToolBase driver;
    driver.m_strHwAccel = L"dxva2";
    driver.m_nThreadCount = 4;
    CEncoderOptions o;
    o.Flags = ENCODER_ALLOW_THREADS;
    o.Safe = 0;
    o.InputRateNum = 25;
    o.InputRateDen = 1;
    o.Input1Path = L"C:\\in a.mp4";
    o.Input1Format = L"mp4";
    o.Input1Start = 65250;
    o.Input1Duration = 1;
    o.Input2Path = L"C:\\audio.m4a";
    o.Input2Duration = 2000;
    o.Input2Offset = 500;
    o.Input3Path = L"C:\\subs.srt";
    o.Input3Format = L"srt";
    o.Input4Path = L"C:\\logo.png";
    o.HlsListSize = 0;
    o.VideoMap = 2;
    o.VideoCodec = L"libx264";
    o.VideoTag = L"avc1";
    o.VideoExtraOptions = L"-crf 23 -g 50";
    o.PixelFormat = L"yuv420p";
    o.Width = 640;  // no height: no size
    o.AspectNum = 16;
    o.AspectDen = 9;
    o.RateNum = 30000;
    o.RateDen = 1001;
    o.VideoBitRate = 1500000;
    o.VideoFlags = ENCODER_SAME_QUALITY;
    o.VideoQuality = 5;
    o.Vsync = L"cfr";
    o.VideoBitstreamFilter = L"h264_mp4toannexb";
    o.VideoProfile = L"main";
    o.VideoPreset = L"fast";
    o.CropLeft = 10;
    o.CropTop = 20;
    o.CropWidth = 300;
    o.CropHeight = 200;
    o.Rotation = 90;
    o.FlipVertical = 1;
    o.Grayscale = 1;
    o.VideoFilter = L"fps=10";
    o.AudioMap = 0;
    o.AudioCodec = L"aac";
    o.Channels = 2;
    o.SampleRate = 44100;
    o.AudioBitRate = 128000;
    o.VolumeLevel = 512;
    o.AudioBitstreamFilter = L"aac_adtstoasc";
    o.VolumePercent = 150;
    o.AudioFilter = L"aresample=48000";
    o.SubtitleMap = 0;
    o.SubtitleCodec = L"mov_text";
    o.ExtraOptions1 = L"-movflags +faststart";
    o.OutputFormat = L"mp4";
    o.SizeLimit = 5000000000LL;
    o.Loop = 0;
    o.OutputDuration = 3723004;
    o.OutputPath = L"C:\\out (1) & \u00e9.mp4";

    EXPECT_STREQ(L"-hwaccel dxva2 -safe 0 -r 25/1"
                 L" -f mp4 -ss 0:01:05.250 -t 0:00:00.001 -i \"C:\\in a.mp4\""
                 L" -t 0:00:02.000 -itsoffset 0:00:00.500 -i \"C:\\audio.m4a\""
                 L" -f srt -i \"C:\\subs.srt\" -i \"C:\\logo.png\" -threads 4 -hls_list_size 0"
                 L" -map 0:2 -codec:v libx264 -tag:v avc1 -crf 23 -g 50 -pix_fmt yuv420p -aspect 16:9"
                 L" -r 30000/1001 -b:v 1500000 -q:v 0 -vsync cfr -bsf:v \"h264_mp4toannexb\""
                 L" -profile:v \"main\" -pre:v \"fast\" -filter:v \"crop=300:200:10:20,transpose=1,vflip,hue=s=0\""
                 L" -filter:v \"fps=10\""
                 L" -map 1:0 -codec:a aac -ac 2 -ar 44100 -b:a 128000 -vol 512 -bsf:a \"aac_adtstoasc\""
                 L" -filter:a \"volume=1.50\" -filter:a \"aresample=48000\""
                 L" -map 2:0 -codec:s mov_text -movflags +faststart -f mp4 -fs 5000000000 -loop 0"
                 L" -t 1:02:03.004 \"C:\\out (1) & \u00e9.mp4\" -y",
                 Args(o, &driver));
    EXPECT_EQ(0, o.VideoQuality) << "same quality is written back into the record";
}

TEST(EncoderArgs, SwitchedOffStreamsConcatAndBoundaries)
{
    CEncoderToolBase driver;
    driver.m_nThreadCount = 4;  // threads not allowed by the record
    driver.m_nBufferSize = 2000;
    CEncoderOptions o;
    o.Safe = 0;
    o.InputRateNum = 25;  // no denominator
    o.Input1Format = L"mp4";
    o.Input1Start = 1000;  // no path: nothing of input 1
    o.Input1Duration = 1000;
    o.Input2Path = L"C:\\b.mp4";
    o.Input2Start = 1;
    o.Input2Offset = -500;
    o.VideoFlags = ENCODER_STREAM_OFF | ENCODER_SAME_QUALITY;
    o.VideoMap = 3;
    o.VideoCodec = L"libx264";
    o.VideoQuality = 5;
    o.AudioMap = -2;
    o.AudioCodec = L"aac";
    o.SubtitleFlags = ENCODER_STREAM_OFF;
    o.SubtitleMap = 1;
    o.ComplexFilter = L"[0:v]scale=320:-2";
    o.ExtraOptions2 = L"-shortest";
    o.Target = L"pal-dvd";
    o.OutputFormat = L"concat";
    o.Codec = L"copy";
    o.SizeLimit = -5;
    o.OutputStart = 1;
    o.OutputDuration = -1;
    EXPECT_STREQ(L"-safe 0 -ss 0:00:00.001 -i \"C:\\b.mp4\" -bufsize 2000 -vn -an -sn"
                 L" -filter_complex \"[0:v]scale=320:-2\" -shortest -target pal-dvd -f concat -safe 0 -c copy"
                 L" -ss 0:00:00.001 -y",
                 Args(o, &driver));
    EXPECT_EQ(5, o.VideoQuality) << "a switched-off stream keeps its quality";
}

struct NumberingCase {
    bool input2, input3;
    const wchar_t* expected;
};

class EncoderInputNumbering : public testing::TestWithParam<NumberingCase> {};

TEST_P(EncoderInputNumbering, AudioAndSubtitleMapsNameTheirInput)
{
    CEncoderOptions o;
    o.Input1Path = L"a";
    if (GetParam().input2)
        o.Input2Path = L"b";
    if (GetParam().input3)
        o.Input3Path = L"c";
    o.VideoMap = 0;
    o.AudioMap = 1;
    o.SubtitleMap = 2;
    EXPECT_STREQ(GetParam().expected, Args(o));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, EncoderInputNumbering,
    testing::Values(NumberingCase{true, true, L"-i \"a\" -i \"b\" -i \"c\" -map 0:0 -map 1:1 -map 2:2 -y"},
                    NumberingCase{false, true, L"-i \"a\" -i \"c\" -map 0:0 -map 0:1 -map 1:2 -y"},
                    NumberingCase{true, false, L"-i \"a\" -i \"b\" -map 0:0 -map 1:1 -map 0:2 -y"},
                    NumberingCase{false, false, L"-i \"a\" -map 0:0 -map 0:1 -map 0:2 -y"}));

TEST(EncoderArgs, FilterChainsJoinOnlyWhatIsThere)
{
    struct {
        int rotation, cropLeft, vflip, hflip, gray, negate, old;
        const wchar_t* expected;
    } cases[] = {
        {2, 0, 0, 1, 0, 1, 1,
         L"-filter:v \"transpose=2,transpose=2,hflip,negate,"
         L"colorchannelmixer=.393:.769:.189:0:.349:.686:.168:0:.272:.534:.131\" -y"},
        {270, 0, 1, 0, 0, 0, 0, L"-filter:v \"transpose=2,vflip\" -y"},
        {3, 0, 0, 0, 0, 0, 0, L"-filter:v \"transpose=2\" -y"},
        {1, 0, 0, 0, 0, 0, 0, L"-filter:v \"transpose=1\" -y"},
        {45, 0, 0, 0, 1, 0, 0, L"-filter:v \"hue=s=0\" -y"},
        {180, 0, 0, 0, 0, 0, 0, L"-filter:v \"transpose=2,transpose=2\" -y"},
        {0, 0, 0, 0, 0, 0, 0, L"-y"},  // a crop from the left edge is no crop at all
        {0, 4, 0, 0, 0, 0, 0, L"-filter:v \"crop=100:50:4:3\" -y"},
    };
    for (const auto& c : cases) {
        CEncoderOptions o;
        o.Rotation = c.rotation;
        o.CropLeft = c.cropLeft;
        o.CropTop = 3;
        o.CropWidth = 100;
        o.CropHeight = 50;
        o.FlipVertical = c.vflip;
        o.FlipHorizontal = c.hflip;
        o.Grayscale = c.gray;
        o.Negate = c.negate;
        o.OldPhoto = c.old;
        EXPECT_STREQ(c.expected, Args(o)) << "rotation " << c.rotation;
    }
}

TEST(EncoderArgs, AudioQualityAndVolume)
{
    CEncoderOptions o;
    o.AudioFlags = ENCODER_SAME_QUALITY;
    o.AudioQuality = 7;
    o.VolumePercent = 5;
    o.VolumeLevel = 0;
    EXPECT_STREQ(L"-vol 0 -q:a 0 -filter:a \"volume=0.05\" -y", Args(o));
    EXPECT_EQ(0, o.AudioQuality);

    CEncoderOptions q;
    q.VideoQuality = 0;
    q.AudioQuality = 3;
    q.VolumeLevel = 256;
    q.VolumePercent = 100;
    EXPECT_STREQ(L"-q:v 0 -q:a 3 -y", Args(q));
}

// A driver whose launches are recorded instead of run; each launch answers the next scripted result.
class CRecordingDriver : public CEncoderTool {
public:
    int Launch(CEncoderOptions& options, const volatile int* stopFlag) override
    {
        CString args;
        BuildArgs(args, options);
        launches.push_back(args);
        if (afterLaunch)
            afterLaunch(stopFlag);
        if (results.empty())
            return 0;
        int result = results.front();
        results.erase(results.begin());
        return result;
    }
    std::vector<CString> launches;
    std::vector<int> results;
    void (*afterLaunch)(const volatile int*) = nullptr;
};

TEST(EncoderRecipes, FrameGrabs)
{
    CRecordingDriver d;
    EXPECT_EQ(0, d.GrabFrame(L"C:\\in.mp4", L"C:\\o.jpg", 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(0, d.GrabFrame(L"C:\\in.mp4", L"C:\\o.jpg", 1500, 320, 240, L"mjpeg", nullptr));
    EXPECT_EQ(0, d.GrabFrame(L"C:\\in.mp4", L"C:\\o.jpg", 0, 320, 0, L"", nullptr));
    EXPECT_EQ(0, d.GrabFrameRange(L"C:\\in.mp4", 1000, 2000, L"C:\\o%03d.png", L"", 0, 0, nullptr));
    EXPECT_EQ(0, d.GrabFrameRange(L"C:\\in.mp4", 0, 0, L"C:\\o%03d.png", L"gif", 80, 60, nullptr));
    ASSERT_EQ(5u, d.launches.size());
    EXPECT_STREQ(L"-i \"C:\\in.mp4\" -frames:v 1 -an -f image2 \"C:\\o.jpg\" -y", d.launches[0]);
    EXPECT_STREQ(L"-ss 0:00:01.500 -i \"C:\\in.mp4\" -s 320x240 -frames:v 1 -an -f mjpeg \"C:\\o.jpg\" -y",
                 d.launches[1]);
    EXPECT_STREQ(L"-i \"C:\\in.mp4\" -frames:v 1 -an -f image2 \"C:\\o.jpg\" -y", d.launches[2]);
    EXPECT_STREQ(L"-ss 0:00:01.000 -t 0:00:01.001 -i \"C:\\in.mp4\" -an -f image2 -t 0:00:01.001"
                 L" \"C:\\o%03d.png\" -y",
                 d.launches[3]);
    EXPECT_STREQ(L"-i \"C:\\in.mp4\" -s 80x60 -an -f gif \"C:\\o%03d.png\" -y", d.launches[4]);
}

TEST(EncoderRecipes, VideoOnlyAndNoStreams)
{
    CRecordingDriver d;
    d.EncodeVideoOnly(L"C:\\f%03d.png", 10, 1, L"C:\\o.mp4", L"mp4", L"libx264", 640, 480, TRUE, -1, nullptr);
    d.EncodeVideoOnly(L"C:\\f.mp4", 0, 7, L"C:\\o.avi", L"avi", L"mpeg4", 0, 0, TRUE, 4, nullptr);
    d.ConvertWithoutAV(L"C:\\in.mkv", L"C:\\o.srt", L"srt", nullptr);
    ASSERT_EQ(3u, d.launches.size());
    EXPECT_STREQ(L"-r 10/1 -i \"C:\\f%03d.png\" -codec:v libx264 -s 640x480 -q:v 0 -an -f mp4 \"C:\\o.mp4\" -y",
                 d.launches[0]);
    EXPECT_STREQ(L"-i \"C:\\f.mp4\" -codec:v mpeg4 -q:v 4 -an -f avi \"C:\\o.avi\" -y", d.launches[1]);
    EXPECT_STREQ(L"-i \"C:\\in.mkv\" -vn -an -f srt \"C:\\o.srt\" -y", d.launches[2]);
}

TEST(EncoderRecipes, CopiesRetryOnceWithDroppingVsync)
{
    CRecordingDriver d;
    d.results = {-1, 0};
    EXPECT_EQ(0, d.CopyStreams(L"C:\\v.mp4", 0, L"C:\\a.m4a", 0, L"C:\\o.mkv", L"matroska", nullptr));
    ASSERT_EQ(2u, d.launches.size());
    EXPECT_STREQ(L"-i \"C:\\v.mp4\" -i \"C:\\a.m4a\" -map 0:0 -map 1:0 -f matroska -c copy \"C:\\o.mkv\" -y",
                 d.launches[0]);
    EXPECT_STREQ(L"-i \"C:\\v.mp4\" -i \"C:\\a.m4a\" -map 0:0 -vsync drop -map 1:0 -f matroska -c copy"
                 L" \"C:\\o.mkv\" -y",
                 d.launches[1]);

    CRecordingDriver w;
    w.results = {-1, -1};
    EXPECT_EQ(-1, w.CopyStreamsWithCodecs(L"C:\\v.mp4", -1, nullptr, -1, L"C:\\o.mp4", nullptr, L"", L"aac", nullptr));
    ASSERT_EQ(2u, w.launches.size());
    EXPECT_STREQ(L"-i \"C:\\v.mp4\" -codec:v copy -codec:a aac \"C:\\o.mp4\" -y", w.launches[0]);
    EXPECT_STREQ(L"-i \"C:\\v.mp4\" -codec:v copy -vsync drop -codec:a aac \"C:\\o.mp4\" -y", w.launches[1]);
}

TEST(EncoderRecipes, JoinsRetryOnceWithTheAdtsFilter)
{
    CRecordingDriver d;
    d.results = {-1, 0};
    CStringArray parts;
    parts.Add(L"a.ts");
    parts.Add(L"b.ts");
    parts.Add(L"c.ts");
    EXPECT_EQ(0, d.ConcatInputs(parts, L"C:\\o.mp4", L"mp4", nullptr));
    ASSERT_EQ(2u, d.launches.size());
    EXPECT_STREQ(L"-safe 0 -i \"concat:a.ts|b.ts|c.ts\" -f mp4 -c copy \"C:\\o.mp4\" -y", d.launches[0]);
    EXPECT_STREQ(L"-safe 0 -i \"concat:a.ts|b.ts|c.ts\" -bsf:a \"aac_adtstoasc\" -f mp4 -c copy \"C:\\o.mp4\" -y",
                 d.launches[1]);

    CRecordingDriver l;
    l.results = {0};
    EXPECT_EQ(0, l.ConcatListFile(L"C:\\list.txt", L"C:\\o.mkv", nullptr));
    ASSERT_EQ(1u, l.launches.size());
    EXPECT_STREQ(L"-safe 0 -f concat -i \"C:\\list.txt\" -c copy \"C:\\o.mkv\" -y", l.launches[0]);

    CRecordingDriver none;
    EXPECT_EQ(-1, none.ConcatInputs(CStringArray(), L"C:\\o.mp4", L"mp4", nullptr));
    EXPECT_TRUE(none.launches.empty()) << "nothing to join runs nothing";
}

TEST(EncoderRecipes, StoppedRunsAreNotRetried)
{
    CRecordingDriver stopped;
    stopped.results = {1};
    EXPECT_EQ(1, stopped.CopyStreams(L"v", 0, nullptr, 0, L"o", nullptr, nullptr));
    EXPECT_EQ(1u, stopped.launches.size());

    // A run that failed while the user's stop came in.
    CRecordingDriver late;
    late.results = {-1, 0};
    volatile int flag = 0;
    late.afterLaunch = [](const volatile int* f) { *const_cast<volatile int*>(f) = 2; };
    EXPECT_EQ(-1, late.ConcatListFile(L"l", L"o", &flag));
    EXPECT_EQ(1u, late.launches.size());
}

TEST(EncoderLaunch, CommandCarriesTheCallbackOptionsLast)
{
    CEncoderTool driver;
    driver.Init(L"C:\\M x\\Velkor.exe", L"C:\\M x\\Presets", NULL);
    CEncoderOptions o;
    o.Input1Path = L"C:\\in.mp4";
    CString address;
    address.Format(L"%I64d", driver.GetContext());
    EXPECT_STREQ(L"CMD /C \"\"C:\\M x\\Velkor.exe\" -i \"C:\\in.mp4\" -y -callback_context " + address + L"\"",
                 driver.MakeLaunchCommand(o));

    // Window handles with the top bit set travel as negative numbers.
    driver.Init(L"C:\\V.exe", nullptr, (HWND)(INT_PTR)-16);
    EXPECT_STREQ(L"CMD /C \"\"C:\\V.exe\" -i \"C:\\in.mp4\" -y -callback_window -16 -callback_context " + address +
                     L"\"",
                 driver.MakeLaunchCommand(o));
    EXPECT_EQ(-1, driver.Init(nullptr, nullptr, NULL));
}

}  // namespace
