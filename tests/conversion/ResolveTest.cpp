// The value-resolving rules and the adjustment hooks, run through the catalogue's own descriptors.
#include <gtest/gtest.h>

#include <memory>

#include "conversion/CodecCatalog.h"
#include "conversion/PresetStore.h"
#include "engine/EncoderOptions.h"

namespace {

std::unique_ptr<CVideoCodec> Video(const wchar_t* key)
{
    std::unique_ptr<CVideoCodec> codec(CreateVideoCodec(key));
    EXPECT_NE(nullptr, codec) << key;
    return codec;
}

std::unique_ptr<CAudioCodec> Audio(const wchar_t* key)
{
    std::unique_ptr<CAudioCodec> codec(CreateAudioCodec(key));
    EXPECT_NE(nullptr, codec) << key;
    return codec;
}

SourceStreamValues Source(int width, int height, int rateNum = 25, int rateDen = 1)
{
    SourceStreamValues source{};
    source.Width = width;
    source.Height = height;
    source.RateNum = rateNum;
    source.RateDen = rateDen;
    return source;
}

#define EXPECT_SIZE(w, h, size) \
    do { MediaSize s_ = (size); EXPECT_EQ(w, s_.Width); EXPECT_EQ(h, s_.Height); } while (0)
#define EXPECT_RATE(n, d, rate) \
    do { MediaRate r_ = (rate); EXPECT_EQ(n, r_.Num); EXPECT_EQ(d, r_.Den); } while (0)

TEST(ResolveRestricted, FixedAudioCodecFallsBackToItsDefaults)
{
    auto yamaha = Audio(L"AC_adpcm_yamaha");
    EXPECT_EQ(32000, yamaha->ResolveBitRate(64000, 128000));
    EXPECT_EQ(1, yamaha->ResolveChannels(2, 2));
    EXPECT_EQ(8000, yamaha->ResolveSampleRate(44100, 44100));
    EXPECT_EQ(1, yamaha->ResolveChannels(1, 2));
}

TEST(ResolveRestricted, IlbcAutoBecomesMonoAt8000)
{
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    CMediaFormat* ilbc = store.FindFormat(L"AF_ilbc");
    ASSERT_NE(nullptr, ilbc);
    ilbc->LoadBuiltInPresets();
    const CMediaPreset* automatic = ilbc->FindPreset(L"Auto");
    ASSERT_NE(nullptr, automatic);
    const CAudioCodec* codec = automatic->AudioCodec;
    const PresetAudioSettings& a = automatic->Settings.Audio;
    EXPECT_EQ(0u, a.Flags & PRESET_SAME_QUALITY);
    EXPECT_EQ(1, codec->ResolveChannels(a.Channels, 2));
    EXPECT_EQ(8000, codec->ResolveSampleRate(a.SampleRate, 44100));
    EXPECT_EQ(0, codec->ResolveBitRate(a.BitRate, 128000));   // Auto is one of its bit rates

    // Speex accepts any value: its Auto preset stays Auto on every side.
    CMediaFormat* spx = store.FindFormat(L"AF_spx");
    spx->LoadBuiltInPresets();
    const CMediaPreset* speex = spx->FindPreset(L"Auto");
    EXPECT_EQ(0, speex->AudioCodec->ResolveChannels(0, 2));
    EXPECT_EQ(0, speex->AudioCodec->ResolveSampleRate(0, 44100));
    EXPECT_EQ(0, speex->AudioCodec->ResolveBitRate(0, 128000));
}

TEST(ResolveRestricted, DvdVideoKeepsToItsLists)
{
    auto dvd = Video(L"VC_mpeg2video.DVD");
    EXPECT_SIZE(720, 480, dvd->ResolveFrameSize(1280, 720, 1920, 1080));
    EXPECT_SIZE(720, 576, dvd->ResolveFrameSize(720, 576, 1920, 1080));
    EXPECT_RATE(25, 1, dvd->ResolveFrameRate(25, 1, 25, 1));
    EXPECT_RATE(30000, 1001, dvd->ResolveFrameRate(24, 1, 24, 1));
    EXPECT_EQ(5000000, dvd->ResolveBitRate(1000000, 0));
    EXPECT_EQ(8000000, dvd->ResolveBitRate(8000000, 0));

    // H.263 takes any rate but only its own sizes.
    auto h263 = Video(L"VC_h263");
    EXPECT_SIZE(352, 288, h263->ResolveFrameSize(640, 480, 640, 480));
    EXPECT_SIZE(176, 144, h263->ResolveFrameSize(176, 144, 640, 480));
    EXPECT_RATE(7, 1, h263->ResolveFrameRate(7, 1, 25, 1));
}

TEST(ResolveAnyValue, AutoStaysAutoOnAnyValueCodecs)
{
    auto aac3g2 = Audio(L"AC_aac.3g2");
    EXPECT_EQ(0, aac3g2->ResolveBitRate(0, 128000));   // 0 is not in its list, but any value goes
    auto raw = Video(L"VC_rawvideo");
    EXPECT_EQ(0, raw->ResolveBitRate(0, 5000000));
    EXPECT_EQ(777, raw->ResolveBitRate(777, 5000000));
    auto x264 = Video(L"VC_libx264");
    EXPECT_RATE(30, 0, x264->ResolveFrameRate(30, 0, 25, 1));
    EXPECT_SIZE(0, 0, x264->ResolveFrameSize(0, 0, 3840, 2160));
    EXPECT_SIZE(1234, 567, x264->ResolveFrameSize(1234, 567, 3840, 2160));
}

TEST(ResolveBounds, RateMinimumOfMpeg1)
{
    auto mpeg1 = Video(L"VC_mpeg1video");
    EXPECT_RATE(20, 1, mpeg1->ResolveFrameRate(15, 1, 25, 1));
    EXPECT_RATE(20, 1, mpeg1->ResolveFrameRate(0, 0, 12, 1));
    EXPECT_RATE(0, 0, mpeg1->ResolveFrameRate(0, 0, 30, 1));
    EXPECT_RATE(0, 0, mpeg1->ResolveFrameRate(0, 0, 0, 0));   // no source rate: Auto stays
    EXPECT_RATE(30000, 1001, mpeg1->ResolveFrameRate(30000, 1001, 12, 1));
}

TEST(ResolveBounds, SampleRateMinimumOfMp3InMp4)
{
    auto mp3 = Audio(L"AC_libmp3lame.mp4");
    EXPECT_EQ(16000, mp3->ResolveSampleRate(0, 8000));
    EXPECT_EQ(0, mp3->ResolveSampleRate(0, 44100));
    EXPECT_EQ(44100, mp3->ResolveSampleRate(44100, 8000));
    EXPECT_EQ(16000, mp3->ResolveSampleRate(8000, 8000));
}

TEST(ResolveBounds, BitRateBoundsAndDefault)
{
    auto opus = Audio(L"AC_libopus");
    opus->BitRateMin = 64000;
    opus->BitRateMax = 320000;
    EXPECT_EQ(0, opus->ResolveBitRate(0, 128000));
    EXPECT_EQ(64000, opus->ResolveBitRate(0, 32000));
    EXPECT_EQ(320000, opus->ResolveBitRate(0, 500000));
    EXPECT_EQ(320000, opus->ResolveBitRate(500000, 0));
    EXPECT_EQ(64000, opus->ResolveBitRate(8000, 0));
    EXPECT_EQ(-5, opus->ResolveBitRate(-5, 0));

    // Without the any-value bit an empty list gives the default, which is then bounded.
    auto gsm = Audio(L"AC_libgsm_ms");
    gsm->BitRates.RemoveAll();
    EXPECT_EQ(13000, gsm->ResolveBitRate(96000, 0));
    EXPECT_EQ(13000, gsm->ResolveBitRate(13000, 0));
    gsm->BitRateMax = 10000;
    EXPECT_EQ(10000, gsm->ResolveBitRate(96000, 0));

    auto channels = Audio(L"AC_aac");
    channels->ChannelsMax = 2;
    EXPECT_EQ(2, channels->ResolveChannels(0, 6));
    EXPECT_EQ(0, channels->ResolveChannels(0, 2));
    EXPECT_EQ(2, channels->ResolveChannels(6, 6));
}

TEST(ResolveBounds, FrameSizeAndRateBounds)
{
    auto x264 = Video(L"VC_libx264");
    x264->MaxSize = MediaSize{1920, 1080};
    EXPECT_SIZE(1920, 1080, x264->ResolveFrameSize(0, 0, 3840, 2160));
    EXPECT_SIZE(0, 0, x264->ResolveFrameSize(0, 0, 1280, 720));
    EXPECT_SIZE(1920, 1080, x264->ResolveFrameSize(3840, 2160, 3840, 2160));
    // Only the numbers that are set are clamped; the missing one stays Auto.
    EXPECT_SIZE(1920, 0, x264->ResolveFrameSize(2560, 0, 1280, 720));
    x264->MinSize = MediaSize{320, 240};
    EXPECT_SIZE(320, 240, x264->ResolveFrameSize(0, 0, 160, 120));
    x264->MaxSize = MediaSize{1920, 0};   // a bound with a zero member does not apply
    EXPECT_SIZE(3840, 2160, x264->ResolveFrameSize(3840, 2160, 3840, 2160));

    x264->RateMax = MediaRate{30, 1};
    EXPECT_RATE(30, 1, x264->ResolveFrameRate(60, 1, 60, 1));
    EXPECT_RATE(30, 1, x264->ResolveFrameRate(0, 0, 50, 1));
    EXPECT_RATE(0, 0, x264->ResolveFrameRate(0, 0, 25, 1));
    EXPECT_RATE(30000, 1001, x264->ResolveFrameRate(30000, 1001, 25, 1));
}

TEST(AdjustOptions, AlignRoundsUpAndFillsTheMissingSide)
{
    auto rv10 = Video(L"VC_rv10");
    ASSERT_EQ(16, rv10->Align);
    CEncoderOptions options;
    EXPECT_EQ(0, rv10->AdjustOptions(options, Source(1918, 1080)));
    EXPECT_EQ(1920, options.Width);
    EXPECT_EQ(1088, options.Height);

    options.Reset();
    EXPECT_EQ(0, rv10->AdjustOptions(options, Source(1920, 1088)));
    EXPECT_EQ(0, options.Width);
    EXPECT_EQ(0, options.Height);

    options.Reset();
    EXPECT_EQ(0, rv10->AdjustOptions(options, Source(1920, 1080)));
    EXPECT_EQ(1920, options.Width);
    EXPECT_EQ(1088, options.Height);

    auto x264 = Video(L"VC_libx264");
    options.Reset();
    EXPECT_EQ(0, x264->AdjustOptions(options, Source(1280, 721)));
    EXPECT_EQ(1280, options.Width);
    EXPECT_EQ(722, options.Height);

    // Align 1: only the missing side is filled.
    auto mpeg4 = Video(L"VC_mpeg4");
    options.Reset();
    options.Width = 641;
    EXPECT_EQ(0, mpeg4->AdjustOptions(options, Source(1280, 721)));
    EXPECT_EQ(641, options.Width);
    EXPECT_EQ(721, options.Height);
}

TEST(AdjustOptions, DvVideoPixelFormatFollowsTheNtscSize)
{
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    CVideoCodec* dv = store.FindFormat(L"VF_dv")->FindVideoCodec(L"VC_dvvideo");
    ASSERT_NE(nullptr, dv);
    CEncoderOptions options;
    options.Width = 720;
    options.Height = 480;
    EXPECT_EQ(0, dv->AdjustOptions(options, Source(1920, 1080)));
    EXPECT_STREQ(L"yuv411p", dv->PixelFormat);
    options.Height = 576;
    EXPECT_EQ(0, dv->AdjustOptions(options, Source(1920, 1080)));
    EXPECT_TRUE(dv->PixelFormat.IsEmpty());
    // The same key in another format is its own object.
    EXPECT_NE(dv, store.FindFormat(L"VF_mkv")->FindVideoCodec(L"VC_dvvideo"));
}

TEST(AdjustOptions, XvidTakesTheFrameAspect)
{
    for (const wchar_t* key : {L"VC_libxvid", L"VC_libxvid.3g2", L"VC_libxvid.3gp"}) {
        auto xvid = Video(key);
        CEncoderOptions options;
        options.Width = 640;
        options.Height = 480;
        EXPECT_EQ(0, xvid->AdjustOptions(options, Source(1280, 720)));
        EXPECT_EQ(640, options.AspectNum) << key;
        EXPECT_EQ(480, options.AspectDen) << key;

        options.Reset();
        options.Width = 640;
        options.Height = 480;
        options.AspectNum = 16;
        options.AspectDen = 9;
        xvid->AdjustOptions(options, Source(1280, 720));
        EXPECT_EQ(16, options.AspectNum) << key;

        options.Reset();
        xvid->AdjustOptions(options, Source(1280, 720));
        EXPECT_EQ(0, options.AspectNum) << key;
    }
    // Plain MPEG-4 has no such hook.
    auto mpeg4 = Video(L"VC_mpeg4");
    CEncoderOptions options;
    options.Width = 640;
    options.Height = 480;
    mpeg4->AdjustOptions(options, Source(1280, 720));
    EXPECT_EQ(0, options.AspectNum);
}

TEST(AdjustOptions, Mpeg1RaisesSlowSources)
{
    auto mpeg1 = Video(L"VC_mpeg1video");
    CEncoderOptions options;
    EXPECT_EQ(0, mpeg1->AdjustOptions(options, Source(320, 240, 12, 1)));
    EXPECT_EQ(20, options.RateNum);
    EXPECT_EQ(1, options.RateDen);

    options.Reset();
    mpeg1->AdjustOptions(options, Source(320, 240, 25, 1));
    EXPECT_EQ(0, options.RateNum);

    options.Reset();
    mpeg1->AdjustOptions(options, Source(320, 240, 0, 0));
    EXPECT_EQ(0, options.RateNum);

    options.Reset();
    options.RateNum = 15;
    options.RateDen = 1;
    mpeg1->AdjustOptions(options, Source(320, 240, 12, 1));
    EXPECT_EQ(15, options.RateNum);

    auto vcd = Video(L"VC_mpeg1video.VCD");
    options.Reset();
    vcd->AdjustOptions(options, Source(320, 240, 12, 1));
    EXPECT_EQ(0, options.RateNum);

    auto aac = Audio(L"AC_aac");
    options.Reset();
    options.Channels = 3;
    EXPECT_EQ(0, aac->AdjustOptions(options, Source(320, 240)));
    EXPECT_EQ(3, options.Channels);
}

} // namespace
