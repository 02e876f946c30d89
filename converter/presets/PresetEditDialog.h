// The video and audio controls that the format settings dialog and the preset settings dialog
// share: codec lists, value lists with their "Custom" rows and boxes, the enable rules, and the
// rule that stores the controls into a preset.
#pragma once

#include "conversion/MediaCatalog.h"
#include "converter/kit/OEDialog.h"

class CMediaPreset;

class CPresetEditDialog : public COEDialog {
public:
    enum ValueList { LIST_SIZE, LIST_RATE, LIST_VIDEO_BITRATE, LIST_CHANNELS, LIST_SAMPLE_RATE, LIST_AUDIO_BITRATE, LIST_COUNT };

    CPresetEditDialog(UINT nIDTemplate, CWnd* pParentWnd);

    // The controls as a preset of the current format: flags reset (a medium's lock kept), codecs
    // with their keys, the values from the rows or, on a "Custom" row, from its boxes; a medium
    // switched off keeps its codec and gets the switched-off flag. Name, aspect, profiles and
    // encoder presets stay as they were.
    void StoreControls(CMediaPreset& preset);

    CMediaFormat* m_pFormat;
    // The preset whose values the lists show.
    CMediaPreset* m_pPreset;
    CVideoCodec* m_pVideoCodec;
    CAudioCodec* m_pAudioCodec;
    int VideoOn;
    int AudioOn;
    int m_bVideoSameQuality;
    int m_bAudioSameQuality;
    int m_nVideoCodecRow;
    int m_nAudioCodecRow;
    int m_nRow[LIST_COUNT];
    // The "Custom" row of each list, -1 when the codec takes no other values.
    int m_nCustomRow[LIST_COUNT];
    MediaSize m_defaultSize;
    MediaRate m_defaultRate;

    static UINT ListId(int list);
    // The text of a listed value, "Auto" for 0.
    static CString SizeText(const MediaSize& size);
    static CString RateText(const MediaRate& rate);
    static CString BitRateText(int bitsPerSecond);
    static CString ChannelsText(int channels);
    static CString SampleRateText(int rate);

protected:
    BOOL m_bFilling;

    BOOL OnInitDialog() override;
    void AddSettingsTips();
    bool HasVideo() const;
    bool HasAudio() const;
    // Codec lists of the format with the preset's codecs selected, and their value lists.
    void LoadCodecs(const CMediaPreset* preset);
    // The shown preset's codecs and values, each medium on that the format has and the preset does
    // not switch off, and the enable rules applied.
    void ShowPresetValues();
    void FillVideoLists(const PresetVideoSettings& values);
    void FillAudioLists(const PresetAudioSettings& values);
    // One list's rows for the selected codec, its selection and its boxes.
    void FillValueList(int list, const PresetVideoSettings* video, const PresetAudioSettings* audio);
    void ShowCustomBoxes(int list, bool show);
    void WriteRowValueToBoxes(int list);
    void ApplyEnableRules();
    // The flags of the preset being shown (its lock bits decide the Video/Audio boxes).
    UINT ShownVideoFlags() const;
    UINT ShownAudioFlags() const;
    // Called after every change of the controls; the format settings dialog re-matches there.
    virtual void OnSettingsChanged() {}

    void OnVideoCodecChange();
    void OnAudioCodecChange();
    void OnValueListChange(UINT nID);
    void OnVideoOnClicked();
    void OnAudioOnClicked();
    void OnSameQualityClicked(UINT nID);
    void OnBoxChange(UINT nID);
    DECLARE_MESSAGE_MAP()
};
