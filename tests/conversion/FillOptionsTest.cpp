// How formats turn a preset and synthetic source streams into encoder options, compared as the
// encoder's argument lists.
#include <gtest/gtest.h>

#include <memory>

#include "conversion/FormatCatalog.h"
#include "conversion/MediaConvertRunner.h"
#include "engine/EncoderTool.h"
#include "engine/MediaInfo.h"

namespace {

CMediaStream Video(int width, int height, int rateNum = 25, int rateDen = 1, int bitRate = 5000000)
{
    CMediaStream s;
    s.Type = MEDIA_STREAM_VIDEO;
    s.Width = width;
    s.Height = height;
    s.FrameRateNum = rateNum;
    s.FrameRateDen = rateDen;
    s.BitRate = bitRate;
    return s;
}

CMediaStream Audio(int channels = 2, int sampleRate = 48000, int bitRate = 128000)
{
    CMediaStream s;
    s.Type = MEDIA_STREAM_AUDIO;
    s.Channels = channels;
    s.SampleRate = sampleRate;
    s.BitRate = bitRate;
    return s;
}

class FillOptionsTest : public testing::Test {
protected:
    CMediaFormat* Format(const wchar_t* key)
    {
        m_formats.emplace_back(CBuiltInFormat::Create(key));
        CMediaFormat* format = m_formats.back().get();
        if (format)
            format->LoadBuiltInPresets();
        return format;
    }

    // The argument list for the preset of the format, with options as the runner left them.
    CString Args(CMediaFormat* format, const wchar_t* presetName, const CMediaStream* video,
                 const CMediaStream* audio, int* result = nullptr)
    {
        const CMediaPreset* preset = format->FindPreset(presetName);
        EXPECT_TRUE(preset != nullptr);
        if (!preset)
            return CString();
        const int r = format->FillEncoderOptions(Options, *preset, video, audio);
        if (result)
            *result = r;
        CEncoderToolBase driver;
        CString out;
        driver.BuildArgs(out, Options);
        return out;
    }

    void SetUp() override
    {
        Options.Input1Path = L"C:\\in\\clip.mov";
        Options.OutputPath = L"C:\\out\\clip.x";
    }

    CEncoderOptions Options;
    std::vector<std::unique_ptr<CMediaFormat>> m_formats;
};

TEST_F(FillOptionsTest, Mp4H264OnA1080pSourceKeepsTheSourceValues)
{
    CMediaStream v = Video(1920, 1080), a = Audio();
    EXPECT_STREQ(L"-i \"C:\\in\\clip.mov\" -codec:v libx264 -q:v 0 -codec:a libfdk_aac -q:a 0 -f mp4"
                 L" \"C:\\out\\clip.x\" -y",
                 Args(Format(L"VF_mp4"), L"H.264", &v, &a));
    // The encoder is multi-threaded: "-threads" may be written when the driver has a count.
    EXPECT_EQ(ENCODER_ALLOW_THREADS, Options.Flags & ENCODER_ALLOW_THREADS);
}

TEST_F(FillOptionsTest, SizedPresetWritesSizeAndProfile)
{
    CMediaStream v = Video(1920, 1080), a = Audio();
    EXPECT_STREQ(L"-i \"C:\\in\\clip.mov\" -codec:v libx264 -s 1280x720 -q:v 0 -profile:v \"main\""
                 L" -codec:a libfdk_aac -q:a 0 -f mp4 \"C:\\out\\clip.x\" -y",
                 Args(Format(L"VF_mp4"), L"H.264 - HD 720p", &v, &a));
}

TEST_F(FillOptionsTest, MissingStreamsAndAudioFormatsSwitchStreamsOff)
{
    CMediaStream v = Video(640, 480), a = Audio();
    CMediaFormat* mp4 = Format(L"VF_mp4");
    EXPECT_STREQ(L"-i \"C:\\in\\clip.mov\" -vn -codec:a libfdk_aac -q:a 0 -f mp4 \"C:\\out\\clip.x\" -y",
                 Args(mp4, L"H.264", nullptr, &a));
    Options.Reset();
    Options.Input1Path = L"C:\\in\\clip.mov";
    EXPECT_STREQ(L"-i \"C:\\in\\clip.mov\" -codec:v libx264 -q:v 0 -an -f mp4 -y", Args(mp4, L"H.264", &v, nullptr));

    Options.Reset();
    EXPECT_STREQ(L"-vn -codec:a libmp3lame -b:a 128000 -f mp3 -y", Args(Format(L"AF_mp3"), L"Low Quality", &v, &a));

    // A preset that turns its video off gives an audio-only encode.
    Options.Reset();
    CMediaPreset* preset = mp4->FindPreset(L"H.264");
    preset->Settings.Video.Flags |= PRESET_STREAM_OFF;
    EXPECT_STREQ(L"-vn -codec:a libfdk_aac -q:a 0 -f mp4 -y", Args(mp4, L"H.264", &v, &a));
}

TEST_F(FillOptionsTest, AlignFillsTheOddSideFromTheSource)
{
    CMediaStream v = Video(1280, 721), a = Audio();
    EXPECT_STREQ(L"-codec:v libx264 -s 1280x722 -q:v 0 -codec:a libfdk_aac -q:a 0 -f mp4 -y",
                 (Options.Reset(), Args(Format(L"VF_mp4"), L"H.264", &v, &a)));
    EXPECT_EQ(1280, Options.Width);
    EXPECT_EQ(722, Options.Height);
}

TEST_F(FillOptionsTest, QuarterTurnAlignsAndSetsTheAspectOfTheTurnedFrame)
{
    // A 1920 x 1081 frame turned by 90 degrees comes out 1081 wide: the width is the odd side.
    CMediaStream v = Video(1920, 1081), a = Audio();
    Options.Reset();
    Options.Rotation = 90;
    EXPECT_STREQ(L"-codec:v libxvid -s 1082x1920 -aspect 1082:1920 -q:v 0 -filter:v \"transpose=1\""
                 L" -codec:a libfdk_aac -q:a 0 -f mp4 -y",
                 Args(Format(L"VF_mp4"), L"XviD", &v, &a));

    Options.Reset();
    Options.Rotation = 3;
    Args(Format(L"VF_mp4"), L"H.264", &v, &a);
    EXPECT_EQ(1082, Options.Width);
    EXPECT_EQ(1920, Options.Height);

    // Half a turn keeps the frame's sides.
    Options.Reset();
    Options.Rotation = 180;
    Args(Format(L"VF_mp4"), L"H.264", &v, &a);
    EXPECT_EQ(1920, Options.Width);
    EXPECT_EQ(1082, Options.Height);
}

TEST_F(FillOptionsTest, DvPixelFormatBelongsToTheNtscSizeOnly)
{
    CMediaFormat* dv = Format(L"VF_dv");
    ASSERT_TRUE(dv != nullptr);
    CMediaStream v = Video(720, 480, 30000, 1001), a = Audio();
    Options.Reset();
    Args(dv, L"NTSC Compatible", &v, &a);
    EXPECT_STREQ(L"yuv411p", Options.PixelFormat);

    // The same catalogue object next with a PAL job: no 4:1:1 left from the job before.
    CEncoderOptions pal;
    Options = pal;
    CString args = Args(dv, L"PAL Compatible", &v, &a);
    EXPECT_TRUE(Options.PixelFormat.IsEmpty());
    EXPECT_EQ(-1, args.Find(L"-pix_fmt"));
    EXPECT_NE(-1, args.Find(L"-s 720x576"));
}

TEST_F(FillOptionsTest, Mpeg1RaisesSlowSourcesTo20Fps)
{
    CMediaFormat* mpeg1 = Format(L"VF_mpeg1");
    CMediaStream slow = Video(320, 240, 15, 1), normal = Video(320, 240, 25, 1), a = Audio(2, 44100);
    Options.Reset();
    EXPECT_NE(-1, Args(mpeg1, L"Auto", &slow, &a).Find(L"-r 20/1"));
    EXPECT_EQ(20, Options.RateNum);
    Options.Reset();
    EXPECT_EQ(-1, Args(mpeg1, L"Auto", &normal, &a).Find(L"-r "));
    // A fixed rate of the preset stays.
    Options.Reset();
    EXPECT_NE(-1, Args(mpeg1, L"VCD PAL Compatible", &slow, &a).Find(L"-r 25/1"));
}

TEST_F(FillOptionsTest, ExtraTextsOfCodecsAndFormatGoWhereTheyBelong)
{
    CMediaFormat* mp4 = Format(L"VF_mp4");
    CMediaPreset* preset = mp4->FindPreset(L"H.264");
    preset->VideoCodec->ExtraOptions = L"-x264opts keyint=25";
    preset->AudioCodec->ExtraOptions = L"-cutoff 18000";
    mp4->ExtraOptions = L"-movflags +faststart";
    CMediaStream v = Video(640, 480), a = Audio();
    Options.Reset();
    Options.ExtraOptions1 = L"-metadata title=x";
    EXPECT_STREQ(L"-codec:v libx264 -x264opts keyint=25 -q:v 0 -codec:a libfdk_aac -cutoff 18000 -q:a 0"
                 L" -metadata title=x -movflags +faststart -f mp4 -y",
                 Args(mp4, L"H.264", &v, &a));

    CEncoderOptions options;
    AppendEncoderOptions(options, nullptr);
    AppendEncoderOptions(options, L"");
    EXPECT_TRUE(options.ExtraOptions1.IsEmpty());
    AppendEncoderOptions(options, L"-a 1");
    EXPECT_STREQ(L"-a 1", options.ExtraOptions1);
}

TEST_F(FillOptionsTest, ProfileFallsBackToTheCodecs)
{
    CMediaFormat* iphone = Format(L"VF_Apple.iPhone");
    ASSERT_TRUE(iphone != nullptr);
    CMediaPreset* preset = iphone->FindPreset(L"Auto");
    CMediaStream v = Video(1280, 720), a = Audio();
    preset->Settings.Video.Profile[0] = 0;
    Options.Reset();
    Args(iphone, L"Auto", &v, &a);
    EXPECT_STREQ(L"main", Options.VideoProfile);

    SetPresetText(preset->Settings.Video.Profile, L"high");
    Options.Reset();
    EXPECT_NE(-1, Args(iphone, L"Auto", &v, &a).Find(L"-profile:v \"high\""));
}

TEST_F(FillOptionsTest, HlsKeepsEverySegmentInItsList)
{
    CMediaStream v = Video(640, 480), a = Audio();
    EXPECT_STREQ(L"-i \"C:\\in\\clip.mov\" -hls_list_size 0 -codec:v libx264 -q:v 0 -codec:a libfdk_aac -q:a 0"
                 L" -f hls \"C:\\out\\clip.x\" -y",
                 Args(Format(L"VF_hls"), L"Auto", &v, &a));
    // The base formats leave the list size alone.
    Options.Reset();
    Args(Format(L"VF_mp4"), L"H.264", &v, &a);
    EXPECT_EQ(-1, Options.HlsListSize);
}

TEST_F(FillOptionsTest, ResolvedSettingsCarryMuxerEncoderNamesAndMediaBits)
{
    CMediaFormat* mp3 = Format(L"AF_mp3");
    PresetSettings out;
    memset(&out, 0, sizeof(out));
    CMediaStream a = Audio(6, 96000, 64000);
    EXPECT_EQ(1, mp3->BuildSettings(out, *mp3->FindPreset(L"Medium Quality"), nullptr, &a));
    EXPECT_STREQ(L"mp3", out.Name);
    EXPECT_STREQ(L"libmp3lame", out.Audio.Codec);
    EXPECT_EQ(FORMAT_AUDIO, out.Flags & 0x3);
    EXPECT_EQ(192000, out.Audio.BitRate);
    EXPECT_EQ(0, out.Video.Codec[0]);

    // Without a source stream the preset's values pass unchanged.
    CMediaFormat* mp4 = Format(L"VF_mp4");
    memset(&out, 0, sizeof(out));
    mp4->BuildSettings(out, *mp4->FindPreset(L"H.264 - 240p"), nullptr, nullptr);
    EXPECT_EQ(320, out.Video.Width);
    EXPECT_EQ(240, out.Video.Height);
    EXPECT_EQ(0x3u, out.Flags & 0x3);
}

// A codec that refuses the options stops the fill before anything of the audio side.
class RefusingCodec : public CVideoCodec {
public:
    int AdjustOptions(CEncoderOptions&, const SourceStreamValues&) override { return -1; }
};

TEST_F(FillOptionsTest, RefusingCodecAbortsTheFill)
{
    CMediaFormat* mp4 = Format(L"VF_mp4");
    RefusingCodec refusing;
    refusing.EncoderName = L"refused";
    CMediaPreset preset;
    preset.Settings = mp4->FindPreset(L"H.264")->Settings;
    preset.VideoCodec = &refusing;
    preset.AudioCodec = mp4->FindPreset(L"H.264")->AudioCodec;
    CMediaStream v = Video(640, 480), a = Audio();
    Options.Reset();
    EXPECT_EQ(-1, mp4->FillEncoderOptions(Options, preset, &v, &a));
    EXPECT_TRUE(Options.AudioCodec.IsEmpty());
}

}  // namespace
