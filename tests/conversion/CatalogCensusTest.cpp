// Census of the catalogue: keys, categories, formats, presets and their codecs, counted against
// numbers written down independently of the tables.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "conversion/BuiltInPresets.h"
#include "conversion/CodecCatalog.h"
#include "conversion/PresetStore.h"

namespace {

class CatalogCensus : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, store.BuildCategories()); }

    template <class F> void ForEachFormat(F f)
    {
        for (INT_PTR i = 0; i < store.Categories.GetSize(); ++i)
            for (INT_PTR j = 0; j < store.Categories[i]->Formats.GetSize(); ++j) f(*store.Categories[i]->Formats[j]);
    }

    CMediaPresetStore store;
};

TEST(CodecCatalog, KeysAreUniqueAndComplete)
{
    EXPECT_EQ(48, GetVideoCodecCount());
    EXPECT_EQ(44, GetAudioCodecCount());
    std::set<std::wstring> keys;
    for (int i = 0; i < GetVideoCodecCount(); ++i) {
        const std::wstring key = GetVideoCodecKey(i);
        EXPECT_EQ(0u, key.find(L"VC_")) << key;
        EXPECT_TRUE(keys.insert(key).second) << key;
        CVideoCodec* codec = CreateVideoCodec(key.c_str());
        ASSERT_NE(nullptr, codec) << key;
        EXPECT_EQ(1, codec->GetMedia());
        EXPECT_FALSE(codec->Name.IsEmpty()) << key;
        delete codec;
    }
    for (int i = 0; i < GetAudioCodecCount(); ++i) {
        const std::wstring key = GetAudioCodecKey(i);
        EXPECT_EQ(0u, key.find(L"AC_")) << key;
        EXPECT_TRUE(keys.insert(key).second) << key;
        CAudioCodec* codec = CreateAudioCodec(key.c_str());
        ASSERT_NE(nullptr, codec) << key;
        EXPECT_EQ(2, codec->GetMedia());
        delete codec;
    }
    EXPECT_EQ(nullptr, CreateVideoCodec(L"vc_libx264"));   // codec keys are exact
    EXPECT_EQ(nullptr, CreateAudioCodec(L"VC_libx264"));
}

TEST(CodecCatalog, DescriptorValuesAsListed)
{
    CVideoCodec* wmv2 = CreateVideoCodec(L"VC_wmv2");
    ASSERT_NE(nullptr, wmv2);
    EXPECT_EQ(41, wmv2->BitRates.GetSize());
    EXPECT_EQ(24, wmv2->FrameSizes.GetSize());
    EXPECT_EQ(21, wmv2->FrameRates.GetSize());
    ASSERT_EQ(3, wmv2->Aspects.GetSize());
    EXPECT_EQ(16, wmv2->Aspects[2].Num);
    EXPECT_EQ(2, wmv2->Align);
    delete wmv2;

    CVideoCodec* divx = CreateVideoCodec(L"VC_mpeg4.divx");
    ASSERT_NE(nullptr, divx);
    EXPECT_STREQ(L"DIVX", divx->Tag);
    EXPECT_STREQ(L"mpeg4", divx->EncoderName);
    EXPECT_EQ(0, divx->Aspects.GetSize());
    delete divx;

    CVideoCodec* web = CreateVideoCodec(L"VC_libx264.web");
    ASSERT_NE(nullptr, web);
    EXPECT_STREQ(L"-movflags +faststart", web->ExtraOptions);
    EXPECT_EQ(0x10007u, web->Flags);
    EXPECT_TRUE(web->Profile.IsEmpty());
    delete web;

    CVideoCodec* apng = CreateVideoCodec(L"VC_apng");
    ASSERT_NE(nullptr, apng);
    EXPECT_TRUE(apng->EncoderName.IsEmpty());
    EXPECT_EQ(5, apng->RateDefault.Num);
    delete apng;

    CAudioCodec* dca = CreateAudioCodec(L"AC_dca");
    ASSERT_NE(nullptr, dca);
    EXPECT_STREQ(L"-strict -2", dca->ExtraOptions);
    delete dca;

    CAudioCodec* speex = CreateAudioCodec(L"AC_libspeex");
    ASSERT_NE(nullptr, speex);
    ASSERT_EQ(12, speex->BitRates.GetSize());
    EXPECT_EQ(44200, speex->BitRates[11]);
    EXPECT_EQ(4, speex->SampleRates.GetSize());
    delete speex;
}

TEST_F(CatalogCensus, CategoriesAndFormats)
{
    ASSERT_EQ(3, store.Categories.GetSize());
    const wchar_t* ids[] = {L"MFC_Video", L"MFC_Audio", L"MFC_Video_Devices"};
    const int counts[] = {37, 28, 23};
    const int shown[] = {20, 10, 22};
    const UINT flags[] = {0x200000, 0x200000, 0x200100};
    int hidden = 0;
    for (int i = 0; i < 3; ++i) {
        const CMediaCategory& category = *store.Categories[i];
        EXPECT_STREQ(ids[i], category.Id);
        EXPECT_EQ(flags[i], category.Flags);
        EXPECT_EQ(counts[i], category.Formats.GetSize());
        int visible = 0;
        for (INT_PTR j = 0; j < category.Formats.GetSize(); ++j) {
            if (category.Formats[j]->Flags & CATALOG_HIDDEN)
                ++hidden;
            else
                ++visible;
        }
        EXPECT_EQ(shown[i], visible) << i;
    }
    EXPECT_EQ(36, hidden);
    EXPECT_STREQ(L"Video for Devices", store.Categories[2]->Name);
    EXPECT_EQ(0, store.Categories[2]->Media);
}

TEST_F(CatalogCensus, FormatKeysAreUniqueAndFoundWithoutCase)
{
    std::set<std::wstring> keys;
    int total = 0;
    ForEachFormat([&](CMediaFormat& format) {
        ++total;
        std::wstring key = format.Id.GetString();
        for (auto& c : key) c = towlower(c);
        EXPECT_TRUE(keys.insert(key).second) << key;
        EXPECT_EQ(&format, store.FindFormat(format.Id));
    });
    EXPECT_EQ(88, total);
    CMediaFormat* m4a = store.FindFormat(L"af_M4A");
    ASSERT_NE(nullptr, m4a);
    EXPECT_TRUE(m4a->Flags & CATALOG_HIDDEN);
    EXPECT_STREQ(L"ipod", m4a->Muxer);
    EXPECT_EQ(nullptr, store.FindFormat(L"VF_none"));
    EXPECT_EQ(nullptr, store.FindFormat(L""));
}

TEST_F(CatalogCensus, FormatFieldsSpotChecks)
{
    CMediaFormat* gsm = store.FindFormat(L"AF_gsm");
    ASSERT_NE(nullptr, gsm);
    EXPECT_STREQ(L"wav", gsm->Muxer);
    EXPECT_STREQ(L".gsm", gsm->Extension);
    EXPECT_EQ(2, gsm->GetMedia());
    EXPECT_EQ(nullptr, gsm->VideoCodecs);

    CMediaFormat* dvd = store.FindFormat(L"VF_DVD");
    ASSERT_NE(nullptr, dvd);
    EXPECT_STREQ(L"dvd", dvd->Muxer);
    EXPECT_STREQ(L".vob", dvd->Extension);

    CMediaFormat* iphone = store.FindFormat(L"VF_Apple.iPhone");
    ASSERT_NE(nullptr, iphone);
    EXPECT_EQ(0x103u, iphone->Flags);
    EXPECT_EQ(1, iphone->Media);

    CMediaFormat* avi = store.FindFormat(L"VF_avi");
    ASSERT_NE(nullptr, avi);
    ASSERT_EQ(16, avi->VideoCodecs->GetSize());
    ASSERT_EQ(12, avi->AudioCodecs->GetSize());
    EXPECT_STREQ(L"VC_wmv1", (*avi->VideoCodecs)[15]->Id);
    EXPECT_STREQ(L"AC_dca", (*avi->AudioCodecs)[11]->Id);

    CMediaFormat* gif = store.FindFormat(L"VF_gif");
    ASSERT_NE(nullptr, gif);
    EXPECT_EQ(nullptr, gif->AudioCodecs);
    EXPECT_EQ(nullptr, gif->FindAudioCodec(L"AC_aac"));

    // Only the filmstrip format forces RGBA on its raw video; AVI's raw video keeps its own.
    CMediaFormat* flm = store.FindFormat(L"VF_flm");
    ASSERT_NE(nullptr, flm);
    EXPECT_STREQ(L"rgba", flm->FindVideoCodec(L"VC_rawvideo")->PixelFormat);
    EXPECT_TRUE(avi->FindVideoCodec(L"VC_rawvideo")->PixelFormat.IsEmpty());
}

TEST_F(CatalogCensus, BuiltInPresetCountsPerFormat)
{
    const std::map<std::wstring, int> expected = {
        {L"VF_mp4", 28}, {L"VF_flv", 8}, {L"VF_wmv", 10}, {L"VF_mov", 9}, {L"VF_avi", 14}, {L"VF_3g2", 3},
        {L"VF_3gp", 2}, {L"VF_apng", 3}, {L"VF_asf", 9}, {L"VF_dash", 1}, {L"VF_dv", 2}, {L"VF_f4v", 6},
        {L"VF_flm", 1}, {L"VF_gif", 3}, {L"VF_gxf", 2}, {L"VF_hls", 1}, {L"VF_ismv", 1}, {L"VF_m2v", 1},
        {L"VF_m4v", 9}, {L"VF_mjpeg", 1}, {L"VF_mkv", 20}, {L"VF_mp4.web", 13}, {L"VF_mpeg1", 8},
        {L"VF_mpeg2", 13}, {L"VF_mxf", 5}, {L"VF_nut", 1}, {L"VF_ogv", 9}, {L"VF_rm", 1}, {L"VF_swf", 8},
        {L"VF_trp", 6}, {L"VF_ts", 13}, {L"VF_vob", 2}, {L"VF_webm", 20}, {L"VF_wtv", 1}, {L"VF_DVD", 6},
        {L"VF_VCD", 2}, {L"VF_SVCD", 2},
        {L"AF_mp3", 5}, {L"AF_aac", 5}, {L"AF_ac3", 5}, {L"AF_adx", 1}, {L"AF_aiff", 1}, {L"AF_alac", 1},
        {L"AF_amr", 2}, {L"AF_ast", 1}, {L"AF_au", 1}, {L"AF_caf", 1}, {L"AF_dts", 1}, {L"AF_flac", 1},
        {L"AF_gsm", 1}, {L"AF_ilbc", 1}, {L"AF_m4a", 5}, {L"AF_m4b", 5}, {L"AF_m4r", 5}, {L"AF_mka", 5},
        {L"AF_mmf", 1}, {L"AF_mp2", 1}, {L"AF_oga", 1}, {L"AF_ogg", 5}, {L"AF_opus", 5}, {L"AF_spx", 3},
        {L"AF_w64", 1}, {L"AF_wav", 1}, {L"AF_wma", 5}, {L"AF_wv", 1},
        {L"VF_Apple.iPhone", 27}, {L"VF_Apple.iPad", 18}, {L"VF_Apple.others", 29}, {L"VF_Samsung.phone", 57},
        {L"VF_Samsung.tablet", 19}, {L"VF_Huawei", 20}, {L"VF_Android", 8}, {L"VF_Amazon", 9},
        {L"VF_BlackBerry", 15}, {L"VF_Google", 20}, {L"VF_HTC", 8}, {L"VF_Lenovo", 5}, {L"VF_LG", 17},
        {L"VF_Microsoft", 10}, {L"VF_Motorola", 12}, {L"VF_Nokia", 5}, {L"VF_Sony", 38}, {L"VF_Xiaomi", 11},
        {L"VF_Tablet", 5}, {L"VF_TV", 9}, {L"VF_WindowsPhone", 8}, {L"VF_mp4.devices", 4},
        {L"VF_avi.devices", 1},
    };
    ASSERT_EQ(88u, expected.size());
    int total = 0;
    ForEachFormat([&](CMediaFormat& format) {
        EXPECT_EQ(1, format.LoadBuiltInPresets());
        auto it = expected.find(format.Id.GetString());
        ASSERT_NE(expected.end(), it) << format.Id.GetString();
        EXPECT_EQ(it->second, format.Presets->GetSize()) << format.Id.GetString();
        total += (int)format.Presets->GetSize();
    });
    EXPECT_EQ(670, total);
    EXPECT_EQ(88, GetBuiltInPresetTableCount());
}

TEST_F(CatalogCensus, BuiltInRecordConventions)
{
    int sameVideo = 0, sameAudio = 0, videoPresets = 0, inchMarks = 0;
    ForEachFormat([&](CMediaFormat& format) {
        format.LoadBuiltInPresets();
        const wchar_t* key = format.Id.GetString();
        for (INT_PTR i = 0; i < format.Presets->GetSize(); ++i) {
            const CMediaPreset& preset = *(*format.Presets)[i];
            const PresetSettings& s = preset.Settings;
            const std::wstring name = s.Name;
            EXPECT_EQ(0u, s.Flags) << key << " " << i;
            EXPECT_FALSE(name.empty()) << key << " " << i;
            if (name.find(L'"') != std::wstring::npos) ++inchMarks;
            EXPECT_EQ(0, s.Video.AspectNum);
            EXPECT_EQ(0, s.Video.AspectDen);
            EXPECT_EQ(0, s.Audio.Profile[0]);
            EXPECT_EQ(0, s.Audio.Preset[0]);
            // Every codec key resolves in the format's own lists, and a medium the format lacks is empty.
            if (format.Flags & FORMAT_VIDEO) {
                EXPECT_NE(nullptr, preset.VideoCodec) << key << " " << i;
            } else {
                EXPECT_EQ(0, s.Video.Codec[0]) << key << " " << i;
                EXPECT_EQ(0u, s.Video.Flags);
            }
            if (format.Flags & FORMAT_AUDIO) {
                EXPECT_NE(nullptr, preset.AudioCodec) << key << " " << i;
            } else {
                EXPECT_EQ(0, s.Audio.Codec[0]) << key << " " << i;
                EXPECT_EQ(0u, s.Audio.Flags);
            }
            if (s.Video.Flags & PRESET_SAME_QUALITY) {
                ++sameVideo;
                EXPECT_EQ(0, s.Video.BitRate) << key << " " << i;
            }
            if (s.Audio.Flags & PRESET_SAME_QUALITY) {
                ++sameAudio;
                EXPECT_EQ(0, s.Audio.BitRate) << key << " " << i;
            }
            if (s.Video.Preset[0]) {
                ++videoPresets;
                EXPECT_STREQ(L"VF_webm", key);
            }
        }
    });
    EXPECT_EQ(572, sameVideo);
    EXPECT_EQ(582, sameAudio);
    EXPECT_EQ(3, videoPresets);
    EXPECT_EQ(8, inchMarks);
}

TEST_F(CatalogCensus, CustomPresetIsFirstRecord)
{
    ForEachFormat([&](CMediaFormat& format) {
        const wchar_t* key = format.Id.GetString();
        ASSERT_NE(nullptr, format.CustomPreset) << key;
        const CMediaPreset& custom = *format.CustomPreset;
        EXPECT_STREQ(L"Custom", custom.Settings.Name) << key;
        EXPECT_EQ(PRESET_CUSTOM, custom.Settings.Flags) << key;
        const BuiltInPresetTable* table = FindBuiltInPresets(key);
        ASSERT_NE(nullptr, table) << key;
        const PresetSettings& first = table->Records[0];
        EXPECT_EQ(0, memcmp(&first.Video, &custom.Settings.Video, sizeof(first.Video))) << key;
        EXPECT_EQ(0, memcmp(&first.Audio, &custom.Settings.Audio, sizeof(first.Audio))) << key;
        EXPECT_TRUE(custom.VideoCodec || !(format.Flags & FORMAT_VIDEO)) << key;
        EXPECT_TRUE(custom.AudioCodec || !(format.Flags & FORMAT_AUDIO)) << key;
        EXPECT_EQ(&custom, format.FindPreset(L"cUSTOM"));
    });
}

TEST_F(CatalogCensus, TablesReadAsTheFormatsAsk)
{
    CMediaFormat* mp4 = store.FindFormat(L"VF_mp4");
    mp4->LoadBuiltInPresets();
    EXPECT_STREQ(L"H.264", (*mp4->Presets)[0]->Settings.Name);
    EXPECT_STREQ(L"XviD", (*mp4->Presets)[27]->Settings.Name);
    EXPECT_STREQ(L"main", (*mp4->Presets)[4]->Settings.Video.Profile);
    EXPECT_STREQ(L"VC_libx264", mp4->CustomPreset->Settings.Video.Codec);

    CMediaFormat* threeG2 = store.FindFormat(L"VF_3g2");
    threeG2->LoadBuiltInPresets();
    EXPECT_STREQ(L"VC_libx264.3g2", (*threeG2->Presets)[0]->VideoCodec->Id);
    EXPECT_STREQ(L"VC_h263.3g2", (*threeG2->Presets)[1]->VideoCodec->Id);
    EXPECT_STREQ(L"VC_h263.3g2", (*threeG2->Presets)[2]->VideoCodec->Id);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(12200, (*threeG2->Presets)[i]->Settings.Audio.BitRate);

    CMediaFormat* wmv = store.FindFormat(L"VF_wmv");
    wmv->LoadBuiltInPresets();
    const CMediaPreset* powerPoint = wmv->FindPreset(L"for powerpoint");
    ASSERT_NE(nullptr, powerPoint);
    EXPECT_EQ(2048000, powerPoint->Settings.Video.BitRate);
    EXPECT_EQ(2048000, powerPoint->VideoCodec->ResolveBitRate(2048000, 0));

    CMediaFormat* ipad = store.FindFormat(L"VF_Apple.iPad");
    ipad->LoadBuiltInPresets();
    const CMediaPreset* pro = ipad->FindPreset(L"iPad Pro 12.9\" (Full screen)");
    ASSERT_NE(nullptr, pro);
    EXPECT_EQ(2732, pro->Settings.Video.Width);

    CMediaFormat* webm = store.FindFormat(L"VF_webm");
    webm->LoadBuiltInPresets();
    EXPECT_STREQ(L"libvpx-720p", webm->FindPreset(L"VP8 - HD 720p")->Settings.Video.Preset);
}

} // namespace
