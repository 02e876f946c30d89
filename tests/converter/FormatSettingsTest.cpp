// "Format Settings": the preset that matches the shown settings, "Custom" for any other, the enable
// rules, the custom rows with their boxes, and OK storing into the format's custom preset, which
// then reaches the presets file and the next conversion's command line.
#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "conversion/ConversionTestSupport.h"
#include "conversion/MediaPreset.h"
#include "converter/app/ConverterResource.h"
#include "converter/presets/FormatSettingsDialog.h"

using namespace convertertest;

namespace {

int FindRow(CComboBox* combo, LPCWSTR text)
{
    for (int i = 0; i < combo->GetCount(); ++i) {
        CString row;
        combo->GetLBText(i, row);
        if (row == text)
            return i;
    }
    return -1;
}

class FormatSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        m_store.reset(new CTestStore);
        SetConverterPresetStore(m_store.get());
        m_format = m_store->FindFormat(L"VF_mp4");
        ASSERT_NE(nullptr, m_format);
    }
    void TearDown() override
    {
        if (m_dialog && m_dialog->m_hWnd)
            m_dialog->DestroyWindow();
        m_dialog.reset();
        SetConverterPresetStore(nullptr);
        m_store.reset();
        m_app.reset();
    }
    CFormatSettingsDialog& Open(CMediaPreset* preset, BOOL lockFormat = FALSE, BOOL lockPreset = FALSE)
    {
        m_dialog.reset(new CFormatSettingsDialog(m_store.get(), m_format, preset, lockFormat, lockPreset, nullptr));
        EXPECT_TRUE(m_dialog->Create(IDD_FORMAT_SETTINGS, nullptr));
        m_dialog->ShowWindow(SW_SHOW);
        return *m_dialog;
    }
    CComboBox* Combo(UINT id) { return static_cast<CComboBox*>(m_dialog->GetDlgItem((int)id)); }
    void Select(UINT id, int row)
    {
        Combo(id)->SetCurSel(row);
        m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)Combo(id)->m_hWnd);
    }
    void SelectText(UINT id, LPCWSTR text)
    {
        const int row = FindRow(Combo(id), text);
        ASSERT_GE(row, 0) << CStringA(text).GetString();
        Select(id, row);
    }
    void Type(UINT id, LPCWSTR text) { m_dialog->SetDlgItemText((int)id, text); }
    void Click(UINT id) { m_dialog->SendDlgItemMessage((int)id, BM_CLICK); }
    bool Enabled(UINT id) { return ::IsWindowEnabled(::GetDlgItem(m_dialog->m_hWnd, (int)id)) != FALSE; }
    bool Visible(UINT id) { return ::IsWindowVisible(::GetDlgItem(m_dialog->m_hWnd, (int)id)) != FALSE; }
    CString Text(UINT id)
    {
        CString text;
        m_dialog->GetDlgItemText((int)id, text);
        return text;
    }
    CString Selected(UINT id)
    {
        CString text;
        if (Combo(id)->GetCurSel() >= 0)
            Combo(id)->GetLBText(Combo(id)->GetCurSel(), text);
        return text;
    }
    CMediaPreset* Preset(LPCWSTR name) { return m_format->FindPreset(name); }

    std::unique_ptr<CConverterTestApp> m_app;
    std::unique_ptr<CTestStore> m_store;
    std::unique_ptr<CFormatSettingsDialog> m_dialog;
    CMediaFormat* m_format = nullptr;
};

}  // namespace

TEST_F(FormatSettings, TheMatchingPresetStaysSelectedAndOtherSettingsAreCustom)
{
    CMediaPreset* hd = Preset(L"H.264 - HD 720p");
    ASSERT_STREQ(L"H.264 - HD 720p", hd->Settings.Name);
    CFormatSettingsDialog& dialog = Open(hd);
    EXPECT_STREQ(L"MP4\t.mp4", [&] {
        CString t;
        dialog.m_formatList.GetLBText(dialog.GetFormatRow(), t);
        return t;
    }());
    const int hdRow = (int)m_format->Presets->Find(hd);
    EXPECT_EQ(hdRow, dialog.GetPresetRow());
    EXPECT_EQ(m_format->CustomRow, dialog.m_presetList.GetCount() - 1);
    EXPECT_STREQ(L"H.264", Selected(IDC_VIDEO_CODEC));
    EXPECT_STREQ(L"1280 x 720", Selected(IDC_RESOLUTION));
    EXPECT_FALSE(Visible(IDC_WIDTH));
    EXPECT_STREQ(L"1280", Text(IDC_WIDTH));
    EXPECT_EQ(BST_CHECKED, (int)dialog.IsDlgButtonChecked(IDC_VIDEO_SAME_QUALITY));
    EXPECT_FALSE(Shot(L"format-settings", dialog.m_hWnd).IsEmpty());

    // A bit rate that no preset has makes the settings "Custom".
    SelectText(IDC_VIDEO_BITRATE, L"Custom");
    EXPECT_TRUE(Visible(IDC_VIDEO_BITRATE_BOX));
    Type(IDC_VIDEO_BITRATE_BOX, L"777000");
    EXPECT_EQ(m_format->CustomRow, dialog.GetPresetRow());
    // The controls keep what was set; the shown preset is not loaded.
    EXPECT_STREQ(L"Custom", Selected(IDC_VIDEO_BITRATE));
    // Back to the preset's value, the preset is selected again.
    SelectText(IDC_VIDEO_BITRATE, L"Auto");
    EXPECT_FALSE(Visible(IDC_VIDEO_BITRATE_BOX));
    EXPECT_EQ(hdRow, dialog.GetPresetRow());
    // A size of another preset selects that preset.
    SelectText(IDC_RESOLUTION, L"640 x 480");
    EXPECT_EQ((int)m_format->Presets->Find(Preset(L"H.264 - 480p")), dialog.GetPresetRow());
}

TEST_F(FormatSettings, VideoOffDisablesItsControlsAndTheAudioBox)
{
    CFormatSettingsDialog& dialog = Open(Preset(L"H.264"));
    EXPECT_TRUE(Enabled(IDC_VIDEO_ON));
    EXPECT_TRUE(Enabled(IDC_AUDIO_ON));
    Click(IDC_VIDEO_ON);
    EXPECT_EQ(0, dialog.VideoOn);
    EXPECT_FALSE(Enabled(IDC_VIDEO_CODEC));
    EXPECT_FALSE(Enabled(IDC_RESOLUTION));
    EXPECT_FALSE(Enabled(IDC_VIDEO_SAME_QUALITY));
    // Audio may not go too now.
    EXPECT_FALSE(Enabled(IDC_AUDIO_ON));
    EXPECT_TRUE(Enabled(IDC_AUDIO_CODEC));
    EXPECT_EQ(m_format->CustomRow, dialog.GetPresetRow());
    Click(IDC_VIDEO_ON);
    EXPECT_TRUE(Enabled(IDC_AUDIO_ON));
    EXPECT_EQ((int)m_format->Presets->Find(Preset(L"H.264")), dialog.GetPresetRow());
    // Locks of the caller.
    m_dialog->DestroyWindow();
    CFormatSettingsDialog& locked = Open(Preset(L"H.264"), TRUE, TRUE);
    EXPECT_FALSE(locked.m_formatList.IsWindowEnabled());
    EXPECT_FALSE(locked.m_presetList.IsWindowEnabled());
}

TEST_F(FormatSettings, TheArrowKeysWalkTheFormatsPastTheirHeadingsBothWays)
{
    m_format = m_store->FindFormat(L"AF_mp3");
    CFormatSettingsDialog& dialog = Open(nullptr);
    const int mp3Row = dialog.GetFormatRow();
    ASSERT_TRUE(dialog.m_formatList.IsHeadingRow(mp3Row - 1));
    ASSERT_EQ(m_store->Categories[1], dialog.m_formatList.GetCatalogItem(mp3Row - 1));
    auto Key = [&](UINT key) {
        dialog.m_formatList.SendMessage(WM_KEYDOWN, key, 0);
        dialog.m_formatList.SendMessage(WM_KEYUP, key, 0xC0000001);
    };
    dialog.m_formatList.SetFocus();
    // Up from the first audio format goes over the "Audio" heading to the last video format.
    Key(VK_UP);
    EXPECT_EQ(mp3Row - 2, dialog.GetFormatRow());
    EXPECT_EQ(mp3Row - 2, dialog.m_formatList.GetCurSel());
    ASSERT_NE(nullptr, dialog.GetFormat());
    EXPECT_EQ(dialog.m_formatList.GetCatalogItem(mp3Row - 2), dialog.GetFormat());
    EXPECT_TRUE(dialog.GetFormat()->Flags & FORMAT_VIDEO);
    // And down again over the heading to the first audio format.
    Key(VK_DOWN);
    EXPECT_EQ(mp3Row, dialog.GetFormatRow());
    EXPECT_EQ(m_store->FindFormat(L"AF_mp3"), dialog.GetFormat());

    // The wheel goes the same ways.
    dialog.m_formatList.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(mp3Row - 2, dialog.GetFormatRow());
    dialog.m_formatList.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    EXPECT_EQ(mp3Row, dialog.GetFormatRow());

    // A heading clicked gives the first format under it, from above or below; the heading over
    // the shown format changes nothing, and the settings being edited stay.
    Key(VK_DOWN);
    ASSERT_EQ(mp3Row + 1, dialog.GetFormatRow());
    Select(IDC_FORMAT_LIST, mp3Row - 1);
    EXPECT_EQ(mp3Row, dialog.GetFormatRow());
    Select(IDC_FORMAT_LIST, 1);
    Select(IDC_FORMAT_LIST, mp3Row - 1);
    EXPECT_EQ(mp3Row, dialog.GetFormatRow());
    SelectText(IDC_AUDIO_BITRATE, L"Custom");
    Type(IDC_AUDIO_BITRATE_BOX, L"99000");
    Select(IDC_FORMAT_LIST, mp3Row - 1);
    EXPECT_EQ(mp3Row, dialog.GetFormatRow());
    EXPECT_EQ(mp3Row, dialog.m_formatList.GetCurSel());
    EXPECT_STREQ(L"Custom", Selected(IDC_AUDIO_BITRATE));
    EXPECT_STREQ(L"99000", Text(IDC_AUDIO_BITRATE_BOX));
    // Row 0 is the first heading: Home gives the first format.
    Key(VK_HOME);
    EXPECT_EQ(1, dialog.GetFormatRow());
}

TEST_F(FormatSettings, AValueTheCodecListLacksOpensOnTheCustomRowWithItsBoxes)
{
    CMediaPreset* custom = m_format->CustomPreset;
    custom->Settings.Video.Width = 336;
    custom->Settings.Video.Height = 200;
    custom->Settings.Video.RateNum = 2997;
    custom->Settings.Video.RateDen = 100;
    CFormatSettingsDialog& dialog = Open(custom);
    EXPECT_EQ(m_format->CustomRow, dialog.GetPresetRow());
    EXPECT_STREQ(L"Custom", Selected(IDC_RESOLUTION));
    EXPECT_TRUE(Visible(IDC_WIDTH));
    EXPECT_TRUE(Visible(IDC_HEIGHT));
    EXPECT_STREQ(L"336", Text(IDC_WIDTH));
    EXPECT_STREQ(L"200", Text(IDC_HEIGHT));
    // 2997/100 is the listed 29.97 (they compare as the same rate).
    EXPECT_STREQ(L"29.97", Selected(IDC_FRAME_RATE));
    // "Custom" on a list whose boxes hold nothing takes the codec's defaults.
    SelectText(IDC_RESOLUTION, L"Auto");
    EXPECT_STREQ(L"0", Text(IDC_HEIGHT));
    SelectText(IDC_RESOLUTION, L"Custom");
    EXPECT_STREQ(CString(std::to_wstring(dialog.m_defaultSize.Width).c_str()), Text(IDC_WIDTH));
    SelectText(IDC_FRAME_RATE, L"Auto");
    EXPECT_STREQ(L"", Text(IDC_FRAME_RATE_BOX));
    SelectText(IDC_FRAME_RATE, L"Custom");
    EXPECT_STREQ(FrameRateText(dialog.m_defaultRate), Text(IDC_FRAME_RATE_BOX));
    // The channel list never offers "Custom"; the bit rate lists follow their codec.
    EXPECT_EQ(-1, FindRow(Combo(IDC_CHANNELS), L"Custom"));
    EXPECT_EQ((dialog.m_pVideoCodec->Flags & CODEC_ANY_BITRATE) != 0, FindRow(Combo(IDC_VIDEO_BITRATE), L"Custom") >= 0);
}

TEST_F(FormatSettings, OkStoresIntoTheCustomPresetWithTheNewCodecsKey)
{
    PresetSettings listedBefore = Preset(L"H.264 - HD 720p")->Settings;
    CFormatSettingsDialog& dialog = Open(Preset(L"H.264 - HD 720p"));
    SelectText(IDC_VIDEO_CODEC, L"HEVC");
    Click(IDC_VIDEO_SAME_QUALITY);
    SelectText(IDC_VIDEO_BITRATE, L"Custom");
    Type(IDC_VIDEO_BITRATE_BOX, L"777000");
    SelectText(IDC_RESOLUTION, L"Custom");
    Type(IDC_WIDTH, L"336");
    Type(IDC_HEIGHT, L"200");
    m_store->Dirty = 0;
    dialog.SendMessage(WM_COMMAND, IDOK);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_EQ(1, m_store->Dirty);
    EXPECT_EQ(m_format->CustomRow, dialog.GetPresetRow());

    const CMediaPreset* custom = m_format->CustomPreset;
    EXPECT_EQ(0u, custom->Settings.Flags);
    EXPECT_STREQ(L"VC_libx265", custom->Settings.Video.Codec);
    EXPECT_STREQ(L"VC_libx265", custom->VideoCodec->Id);
    EXPECT_EQ(777000, custom->Settings.Video.BitRate);
    EXPECT_EQ(336, custom->Settings.Video.Width);
    EXPECT_EQ(200, custom->Settings.Video.Height);
    EXPECT_EQ(0u, custom->Settings.Video.Flags & PRESET_SAME_QUALITY);
    EXPECT_STREQ(L"Custom", custom->Settings.Name);
    // A copy made from the record gets the chosen codec too.
    CMediaPreset copy;
    m_format->InitPreset(&copy, custom->Settings);
    EXPECT_EQ(custom->VideoCodec, copy.VideoCodec);
    // The listed presets are never changed here.
    EXPECT_EQ(0, memcmp(&listedBefore, &Preset(L"H.264 - HD 720p")->Settings, sizeof(listedBefore)));
}

TEST_F(FormatSettings, BoxTextThatIsNoNumberOfDigitsReadsAsAuto)
{
    // The boxes take digits only when typed; a paste can still bring a sign or letters.
    CFormatSettingsDialog& dialog = Open(Preset(L"H.264"));
    SelectText(IDC_VIDEO_BITRATE, L"Custom");
    Type(IDC_VIDEO_BITRATE_BOX, L"-777000");
    SelectText(IDC_RESOLUTION, L"Custom");
    Type(IDC_WIDTH, L"-336");
    Type(IDC_HEIGHT, L"x200");
    dialog.SendMessage(WM_COMMAND, IDOK);
    const CMediaPreset* custom = m_format->CustomPreset;
    EXPECT_EQ(0, custom->Settings.Video.BitRate);
    EXPECT_EQ(0, custom->Settings.Video.Width);
    EXPECT_EQ(0, custom->Settings.Video.Height);

    // Digits read as they are, a number too large for the record stopping at the largest.
    CFormatSettingsDialog& again = Open(Preset(L"H.264"));
    SelectText(IDC_VIDEO_BITRATE, L"Custom");
    Type(IDC_VIDEO_BITRATE_BOX, L"99999999999");
    SelectText(IDC_RESOLUTION, L"Custom");
    Type(IDC_WIDTH, L" 336");
    Type(IDC_HEIGHT, L"200px");
    again.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(INT_MAX, custom->Settings.Video.BitRate);
    EXPECT_EQ(336, custom->Settings.Video.Width);
    EXPECT_EQ(200, custom->Settings.Video.Height);
}

TEST_F(FormatSettings, TheEditedCustomPresetReachesThePresetsFileAndTheNextConversion)
{
    CConversionStage& stage = GetConversionStage();
    ASSERT_TRUE(stage.problem.IsEmpty()) << CStringA(stage.problem).GetString();
    CFormatSettingsDialog& dialog = Open(Preset(L"H.264"));
    Click(IDC_VIDEO_SAME_QUALITY);
    SelectText(IDC_VIDEO_BITRATE, L"Custom");
    Type(IDC_VIDEO_BITRATE_BOX, L"777000");
    SelectText(IDC_RESOLUTION, L"Custom");
    Type(IDC_WIDTH, L"336");
    Type(IDC_HEIGHT, L"200");
    dialog.SendMessage(WM_COMMAND, IDOK);
    ASSERT_EQ(0, m_store->Save());

    // The file holds it.
    CMediaPresetStore reread;
    ASSERT_EQ(0, reread.Load(m_store->Path));
    const CMediaPreset* stored = reread.FindFormat(L"VF_mp4")->CustomPreset;
    EXPECT_EQ(777000, stored->Settings.Video.BitRate);
    EXPECT_EQ(336, stored->Settings.Video.Width);

    // And the encoder is asked for it.
    CConverterEnvironment* environment = m_app->Environment();
    environment->probeToolPath = stage.probe;
    environment->encoderToolPath = stage.encoder;
    DeleteFileW(stage.log);
    convtest::CRecordingJobListener listener;
    convtest::CNotifyWindow window(&listener);
    listener.Job.Source.Path = stage.clip;
    listener.Job.Output.DestinationFolder = MakeAwkwardFolder(L"custom out");
    listener.Job.Output.FormatKey = L"VF_mp4";
    listener.Job.Output.PresetName = L"Custom";
    ASSERT_EQ(0, listener.StartJob(window.Get()));
    ASSERT_TRUE(convtest::PumpUntilFinished({&window}, 60000));
    const CString log = enginetest::ReadUtf8File(stage.log);
    EXPECT_GE(log.Find(L"-b:v 777000"), 0) << CStringA(log).GetString();
    EXPECT_GE(log.Find(L"-s 336x200"), 0) << CStringA(log).GetString();
    EXPECT_GE(log.Find(L"libx264"), 0) << CStringA(log).GetString();
}
