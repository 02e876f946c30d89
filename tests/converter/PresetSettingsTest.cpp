// "Preset Settings": the name, lists whose "Custom" rows follow each codec's flags, a medium
// without the format's support, a medium switched off, and OK resetting the flags.
#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "conversion/MediaPreset.h"
#include "converter/app/ConverterResource.h"
#include "converter/presets/PresetSettingsDialog.h"

using namespace convertertest;

namespace {

class PresetSettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        m_store.reset(new CTestStore);
    }
    void TearDown() override
    {
        if (m_dialog && m_dialog->m_hWnd)
            m_dialog->DestroyWindow();
        m_dialog.reset();
        m_store.reset();
        m_app.reset();
    }
    CPresetSettingsDialog& Open(LPCWSTR formatKey, CMediaPreset* preset)
    {
        m_dialog.reset(new CPresetSettingsDialog(m_store->FindFormat(formatKey), nullptr));
        m_dialog->SetPreset(preset);
        EXPECT_TRUE(m_dialog->Create(IDD_PRESET_SETTINGS, nullptr));
        m_dialog->ShowWindow(SW_SHOW);
        return *m_dialog;
    }
    CComboBox* Combo(UINT id) { return static_cast<CComboBox*>(m_dialog->GetDlgItem((int)id)); }
    bool Enabled(UINT id) { return ::IsWindowEnabled(::GetDlgItem(m_dialog->m_hWnd, (int)id)) != FALSE; }
    CString Last(UINT id)
    {
        CString text;
        if (Combo(id)->GetCount() > 0)
            Combo(id)->GetLBText(Combo(id)->GetCount() - 1, text);
        return text;
    }
    void Ok() { m_dialog->SendMessage(WM_COMMAND, IDOK); }

    std::unique_ptr<CConverterTestApp> m_app;
    std::unique_ptr<CTestStore> m_store;
    std::unique_ptr<CPresetSettingsDialog> m_dialog;
};

}  // namespace

TEST_F(PresetSettingsWindow, AnAudioFormatHasNoVideoAndItsAudioCannotBeSwitchedOff)
{
    CMediaFormat* mp3 = m_store->FindFormat(L"AF_mp3");
    CMediaPreset preset;
    mp3->InitPreset(&preset, mp3->FindPreset(nullptr)->Settings);
    CPresetSettingsDialog& dialog = Open(L"AF_mp3", &preset);
    EXPECT_FALSE(Enabled(IDC_VIDEO_GROUP));
    EXPECT_FALSE(Enabled(IDC_VIDEO_ON));
    EXPECT_FALSE(Enabled(IDC_VIDEO_CODEC));
    EXPECT_EQ(0, Combo(IDC_VIDEO_CODEC)->GetCount());
    EXPECT_EQ(0, dialog.VideoOn);
    EXPECT_EQ(1, dialog.AudioOn);
    EXPECT_FALSE(Enabled(IDC_AUDIO_ON));
    EXPECT_TRUE(Enabled(IDC_AUDIO_CODEC));
    EXPECT_FALSE(Shot(L"preset-settings", dialog.m_hWnd).IsEmpty());
    Ok();
    EXPECT_EQ(0u, preset.Settings.Video.Flags);
    EXPECT_EQ(0u, preset.Settings.Flags);
}

TEST_F(PresetSettingsWindow, AudioSwitchedOffKeepsItsCodecAndOkDropsTheCustomMark)
{
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    CMediaPreset preset;
    mp4->InitPreset(&preset, mp4->CustomPreset->Settings);
    ASSERT_EQ(PRESET_CUSTOM, preset.Settings.Flags & PRESET_CUSTOM);
    CAudioCodec* codec = preset.AudioCodec;
    ASSERT_NE(nullptr, codec);
    Open(L"VF_mp4", &preset);
    m_dialog->SendDlgItemMessage(IDC_AUDIO_ON, BM_CLICK);
    EXPECT_FALSE(Enabled(IDC_AUDIO_CODEC));
    EXPECT_FALSE(Enabled(IDC_VIDEO_ON));  // video may not go too now
    m_dialog->SetDlgItemText(IDC_PRESET_NAME, L"Silent é");
    Ok();
    EXPECT_EQ(PRESET_STREAM_OFF, preset.Settings.Audio.Flags);
    EXPECT_EQ(codec, preset.AudioCodec);
    EXPECT_EQ(0u, preset.Settings.Flags);
    EXPECT_STREQ(L"Silent é", preset.Settings.Name);

    // Confirming without changes rewrites the same values.
    CMediaPreset again;
    mp4->InitPreset(&again, mp4->FindPreset(L"H.264 - HD 720p")->Settings);
    again.Settings.Flags = PRESET_CUSTOM;
    const PresetSettings before = again.Settings;
    m_dialog->DestroyWindow();
    Open(L"VF_mp4", &again);
    Ok();
    EXPECT_EQ(0u, again.Settings.Flags);
    PresetSettings expected = before;
    expected.Flags = 0;
    EXPECT_EQ(0, memcmp(&expected, &again.Settings, sizeof(expected)));
}

TEST_F(PresetSettingsWindow, CustomRowsFollowEveryCodecsFlags)
{
    int checked = 0;
    for (LPCWSTR key : {L"VF_mp4", L"VF_avi", L"AF_mp3", L"AF_aac", L"VF_3gp", L"AF_wma", L"VF_webm"}) {
        CMediaFormat* format = m_store->FindFormat(key);
        if (!format)
            continue;
        CMediaPreset preset;
        format->InitPreset(&preset, format->FindPreset(nullptr)->Settings);
        CPresetSettingsDialog& dialog = Open(key, &preset);
        for (int v = 0; v < Combo(IDC_VIDEO_CODEC)->GetCount(); ++v) {
            Combo(IDC_VIDEO_CODEC)->SetCurSel(v);
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_VIDEO_CODEC, CBN_SELCHANGE), 0);
            const UINT flags = dialog.m_pVideoCodec->Flags;
            EXPECT_EQ((flags & CODEC_ANY_SIZE) != 0, Last(IDC_RESOLUTION) == L"Custom") << CStringA(key).GetString();
            EXPECT_EQ((flags & CODEC_ANY_RATE) != 0, Last(IDC_FRAME_RATE) == L"Custom") << CStringA(key).GetString();
            EXPECT_EQ((flags & CODEC_ANY_BITRATE) != 0, Last(IDC_VIDEO_BITRATE) == L"Custom") << CStringA(key).GetString();
            EXPECT_EQ(dialog.m_pVideoCodec->FrameSizes.GetSize() + ((flags & CODEC_ANY_SIZE) ? 1 : 0),
                      Combo(IDC_RESOLUTION)->GetCount());
            ++checked;
        }
        for (int a = 0; a < Combo(IDC_AUDIO_CODEC)->GetCount(); ++a) {
            Combo(IDC_AUDIO_CODEC)->SetCurSel(a);
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_AUDIO_CODEC, CBN_SELCHANGE), 0);
            const UINT flags = dialog.m_pAudioCodec->Flags;
            EXPECT_EQ((flags & CODEC_ANY_RATE) != 0, Last(IDC_SAMPLE_RATE) == L"Custom") << CStringA(key).GetString();
            EXPECT_EQ((flags & CODEC_ANY_BITRATE) != 0, Last(IDC_AUDIO_BITRATE) == L"Custom") << CStringA(key).GetString();
            EXPECT_NE(L"Custom", Last(IDC_CHANNELS));
            EXPECT_EQ(dialog.m_pAudioCodec->ChannelCounts.GetSize(), Combo(IDC_CHANNELS)->GetCount());
            ++checked;
        }
        m_dialog->DestroyWindow();
    }
    EXPECT_GT(checked, 10);
}

TEST_F(PresetSettingsWindow, TheNameKeepsWithinTheRecord)
{
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    CMediaPreset preset;
    mp4->InitPreset(&preset, mp4->FindPreset(nullptr)->Settings);
    Open(L"VF_mp4", &preset);
    EXPECT_EQ(63, (int)m_dialog->SendDlgItemMessage(IDC_PRESET_NAME, EM_GETLIMITTEXT));
    CString name;
    m_dialog->GetDlgItemText(IDC_PRESET_NAME, name);
    EXPECT_STREQ(L"H.264", name);
    m_dialog->SetDlgItemText(IDC_PRESET_NAME, L"");
    Ok();
    EXPECT_STREQ(L"", preset.Settings.Name);
    // Cancel changes nothing.
    m_dialog->DestroyWindow();
    const PresetSettings before = preset.Settings;
    Open(L"VF_mp4", &preset);
    m_dialog->SetDlgItemText(IDC_PRESET_NAME, L"Changed");
    m_dialog->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(0, memcmp(&before, &preset.Settings, sizeof(before)));
}
