// Presets: look-ups in a format, the record copy with its codecs, texts and the settings comparison.
#include <gtest/gtest.h>

#include <string.h>

#include "conversion/PresetStore.h"

namespace {

class PresetInFormat : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, store.BuildCategories());
        mp4 = store.FindFormat(L"VF_mp4");
        mp3 = store.FindFormat(L"AF_mp3");
        ASSERT_NE(nullptr, mp4);
        ASSERT_NE(nullptr, mp3);
    }

    PresetSettings Video720p() const
    {
        PresetSettings r;
        memset(&r, 0, sizeof(r));
        SetPresetText(r.Name, L"Clip");
        SetPresetText(r.Video.Codec, L"VC_libx264");
        r.Video.Width = 1280;
        r.Video.Height = 720;
        r.Video.RateNum = 30000;
        r.Video.RateDen = 1001;
        r.Video.BitRate = 2500000;
        SetPresetText(r.Audio.Codec, L"AC_aac");
        return r;
    }

    CMediaPresetStore store;
    CMediaFormat* mp4 = nullptr;
    CMediaFormat* mp3 = nullptr;
};

TEST_F(PresetInFormat, FindPreset)
{
    EXPECT_EQ(nullptr, mp4->FindPreset(L"H.264"));   // no list loaded yet
    EXPECT_EQ(mp4->CustomPreset, mp4->FindPreset(L"custom"));
    mp4->LoadBuiltInPresets();
    CMediaPreset* first = (*mp4->Presets)[0];
    EXPECT_EQ(first, mp4->FindPreset(nullptr));
    EXPECT_EQ(first, mp4->FindPreset(L""));
    EXPECT_EQ(first, mp4->FindPreset(L"no such preset"));
    EXPECT_EQ((*mp4->Presets)[9], mp4->FindPreset(L"hevc"));
}

TEST_F(PresetInFormat, InitPresetAttachesOnlyTheFormatsCodecs)
{
    CMediaPreset preset;
    PresetSettings record = Video720p();
    EXPECT_EQ(1, mp4->InitPreset(&preset, record));
    EXPECT_EQ(mp4->FindVideoCodec(L"VC_libx264"), preset.VideoCodec);
    EXPECT_EQ(mp4->FindAudioCodec(L"AC_aac"), preset.AudioCodec);
    EXPECT_EQ(0, memcmp(&record, &preset.Settings, sizeof(record)));

    SetPresetText(record.Audio.Codec, L"AC_wmav2");
    EXPECT_EQ(0, mp4->InitPreset(&preset, record));
    EXPECT_EQ(nullptr, preset.AudioCodec);
    SetPresetText(record.Video.Codec, L"vc_libx264");   // codec keys are exact
    EXPECT_EQ(0, mp4->InitPreset(&preset, record));

    // An audio format ignores the video side and keeps a pointer it cannot have set.
    CMediaPreset audio;
    audio.VideoCodec = mp4->FindVideoCodec(L"VC_libx264");
    PresetSettings mp3Record = Video720p();
    SetPresetText(mp3Record.Audio.Codec, L"AC_libmp3lame");
    EXPECT_EQ(1, mp3->InitPreset(&audio, mp3Record));
    EXPECT_EQ(mp4->FindVideoCodec(L"VC_libx264"), audio.VideoCodec);
    EXPECT_EQ(nullptr, mp3->FindVideoCodec(L"VC_libx264"));
    EXPECT_EQ(nullptr, mp4->FindAudioCodec(L"AC_libmp3lame"));   // only its .mp4 variant is listed
}

TEST_F(PresetInFormat, SetPresetsKeepsRecordsWithUnknownCodecs)
{
    PresetSettings table[2] = {Video720p(), Video720p()};
    SetPresetText(table[1].Video.Codec, L"VC_wmv2");
    EXPECT_EQ(1, mp4->SetPresets(table, 2));
    ASSERT_EQ(2, mp4->Presets->GetSize());
    EXPECT_NE(nullptr, (*mp4->Presets)[0]->VideoCodec);
    EXPECT_EQ(nullptr, (*mp4->Presets)[1]->VideoCodec);
    mp4->ClearPresets(false);
    ASSERT_NE(nullptr, mp4->Presets);
    EXPECT_EQ(0, mp4->Presets->GetSize());
    mp4->ClearPresets(true);
    EXPECT_EQ(nullptr, mp4->Presets);
    EXPECT_EQ(1, mp4->LoadBuiltInPresets());   // a deleted list is made again
    EXPECT_EQ(28, mp4->Presets->GetSize());
}

TEST_F(PresetInFormat, SummaryAndRowTexts)
{
    CMediaPreset preset;
    ASSERT_EQ(1, mp4->InitPreset(&preset, Video720p()));
    CString video, audio;
    preset.GetSummaryText(video, audio);
    EXPECT_STREQ(L"H.264, Resolution=1280x720, Frame Rate=29.97 fps, Bit Rate=2500 kbps", video);
    EXPECT_STREQ(L"AAC, Channel=Auto, Sample Rate=Auto, Bit Rate=Auto", audio);
    EXPECT_STREQ(L"Clip\t1280 x 720", mp4->GetPresetRowText(preset, true));
    EXPECT_STREQ(L"Clip (1280 x 720)", mp4->GetPresetRowText(preset, false));
    EXPECT_STREQ(L"MP4; Video: H.264, Resolution=1280x720, Frame Rate=29.97 fps, Bit Rate=2500 kbps; "
                 L"Audio: AAC, Channel=Auto, Sample Rate=Auto, Bit Rate=Auto",
                 mp4->GetPresetSummary(preset));
    CString name;
    mp4->GetPresetText(preset, name, video, audio);
    EXPECT_STREQ(L"MP4", name);

    preset.Settings.Video.Width = 0;
    preset.Settings.Video.RateDen = 0;
    preset.Settings.Audio.Channels = 6;
    preset.Settings.Audio.SampleRate = 48000;
    preset.Settings.Audio.BitRate = 1411200;
    preset.GetSummaryText(video, audio);
    EXPECT_STREQ(L"H.264, Resolution=Auto, Frame Rate=Auto, Bit Rate=2500 kbps", video);
    EXPECT_STREQ(L"AAC, Channel=5.1, Sample Rate=48000, Bit Rate=1411.2 kbps", audio);
    EXPECT_STREQ(L"Clip", mp4->GetPresetRowText(preset, true));
    preset.Settings.Video.Width = 1280;
    preset.Settings.Video.Flags = PRESET_STREAM_OFF;
    EXPECT_STREQ(L"Clip", mp4->GetPresetRowText(preset, true));

    mp3->LoadBuiltInPresets();
    const CMediaPreset* automatic = mp3->FindPreset(L"Auto");
    EXPECT_STREQ(L"Auto", mp3->GetPresetRowText(*automatic, true));
    automatic->GetSummaryText(video, audio);
    EXPECT_TRUE(video.IsEmpty());
    EXPECT_STREQ(L"MP3, Channel=Auto, Sample Rate=Auto, Bit Rate=Auto", audio);
    EXPECT_STREQ(L"MP3; Audio: MP3, Channel=Auto, Sample Rate=Auto, Bit Rate=Auto", mp3->GetPresetSummary(*automatic));
    EXPECT_STREQ(L"Low Quality\t128 kbps", mp3->GetPresetRowText(*mp3->FindPreset(L"Low Quality"), true));

    CMediaPreset empty;
    EXPECT_TRUE(mp4->GetPresetRowText(empty, true).IsEmpty());
}

TEST_F(PresetInFormat, ComparisonIgnoresNamesAspectProfilesAndHighFlags)
{
    CMediaPreset a, b;
    mp4->InitPreset(&a, Video720p());
    mp4->InitPreset(&b, Video720p());
    SetPresetText(b.Settings.Name, L"Other");
    b.Settings.Video.AspectNum = 16;
    b.Settings.Video.AspectDen = 9;
    SetPresetText(b.Settings.Video.Profile, L"main");
    SetPresetText(b.Settings.Video.Preset, L"slow");
    b.Settings.Flags = 0x70000000;
    EXPECT_TRUE(ComparePresetSettings(a, b));

    b.Settings.Video.RateNum = 2997;
    b.Settings.Video.RateDen = 100;
    EXPECT_TRUE(ComparePresetSettings(a, b));
    b.Settings.Video.RateNum = 2990;
    EXPECT_FALSE(ComparePresetSettings(a, b));

    b = a;
    b.Settings.Flags = 0x100000;
    EXPECT_FALSE(ComparePresetSettings(a, b));
    b = a;
    b.Settings.Audio.Flags = PRESET_SAME_QUALITY;
    EXPECT_FALSE(ComparePresetSettings(a, b));
    b = a;
    b.VideoCodec = mp4->FindVideoCodec(L"VC_libx265");
    EXPECT_FALSE(ComparePresetSettings(a, b));

    // 30/1 against Auto takes the exact test.
    a.Settings.Video.RateNum = 30;
    a.Settings.Video.RateDen = 1;
    b = a;
    b.Settings.Video.RateNum = 0;
    b.Settings.Video.RateDen = 0;
    EXPECT_FALSE(ComparePresetSettings(a, b));
}

TEST_F(PresetInFormat, FindMatchingPreset)
{
    mp4->LoadBuiltInPresets();
    CMediaPreset probe;
    mp4->InitPreset(&probe, (*mp4->Presets)[5]->Settings);
    SetPresetText(probe.Settings.Name, L"renamed");
    EXPECT_EQ(5, mp4->FindMatchingPreset(probe));
    probe.Settings.Video.Width = 1000;
    EXPECT_EQ(-1, mp4->FindMatchingPreset(probe));
    // The custom preset equals the first record apart from its flag word's custom bit.
    EXPECT_EQ(-1, mp4->FindMatchingPreset(*mp4->CustomPreset));
}

TEST(Preset, ResetKeepsUseCount)
{
    CMediaPreset preset;
    EXPECT_EQ(0, preset.UseCount);
    preset.UseCount = 2;
    preset.Settings.Video.Width = 5;
    preset.VideoCodec = reinterpret_cast<CVideoCodec*>(&preset);
    preset.Reset();
    EXPECT_EQ(2, preset.UseCount);
    EXPECT_EQ(nullptr, preset.VideoCodec);
    EXPECT_EQ(0, preset.Settings.Video.Width);
}

TEST(Preset, TextFieldsAreCutToFit)
{
    WCHAR field[PRESET_TEXT_SIZE];
    memset(field, 0xCC, sizeof(field));
    SetPresetText(field, L"abc");
    EXPECT_STREQ(L"abc", field);
    EXPECT_EQ(0, field[63]);

    std::wstring longName(80, L'x');
    SetPresetText(field, longName.c_str());
    EXPECT_EQ(63u, wcslen(field));

    // A surrogate pair across the cut is dropped whole.
    std::wstring pair(62, L'y');
    pair += L"\xD83D\xDE00";
    SetPresetText(field, pair.c_str());
    EXPECT_EQ(62u, wcslen(field));
    SetPresetText(field, nullptr);
    EXPECT_EQ(0, field[0]);
}

} // namespace
