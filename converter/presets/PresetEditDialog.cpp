// The shared video and audio controls of the format and preset settings dialogs.
#include "converter/presets/PresetEditDialog.h"

#include <math.h>

#include "conversion/MediaPreset.h"
#include "converter/app/ConverterResource.h"
#include "converter/kit/ConverterHelpers.h"
#include "converter/kit/FormatComboBox.h"
#include "engine/MediaValueTexts.h"

namespace {

const UINT kVideoControls[] = {IDC_VIDEO_CODEC_LABEL, IDC_VIDEO_CODEC, IDC_RESOLUTION_LABEL, IDC_RESOLUTION,
                               IDC_WIDTH, IDC_RESOLUTION_X, IDC_HEIGHT, IDC_FRAME_RATE_LABEL, IDC_FRAME_RATE,
                               IDC_FRAME_RATE_BOX, IDC_VIDEO_BITRATE_LABEL, IDC_VIDEO_BITRATE,
                               IDC_VIDEO_BITRATE_BOX, IDC_VIDEO_SAME_QUALITY};
const UINT kAudioControls[] = {IDC_AUDIO_CODEC_LABEL, IDC_AUDIO_CODEC, IDC_CHANNELS_LABEL, IDC_CHANNELS,
                               IDC_SAMPLE_RATE_LABEL, IDC_SAMPLE_RATE, IDC_SAMPLE_RATE_BOX, IDC_AUDIO_BITRATE_LABEL,
                               IDC_AUDIO_BITRATE, IDC_AUDIO_BITRATE_BOX, IDC_AUDIO_SAME_QUALITY};

bool IsAuto(const MediaRate& r)
{
    return r.Num == 0 || r.Den == 0;
}

// As presets compare their rates: 2997/100 is the listed 30000/1001.
bool SameRate(const MediaRate& a, const MediaRate& b)
{
    if (IsAuto(a) || IsAuto(b))
        return a.Num == b.Num && a.Den == b.Den;
    return fabs((double)a.Num / a.Den - (double)b.Num / b.Den) < 0.001;
}

// The boxes take digits: a pasted sign or other text before them reads as 0 (Auto), never as a
// negative rate or size; digits beyond the 32-bit range stop at the largest number.
int ReadBoxNumber(const CString& text)
{
    CString digits(text);
    digits.TrimLeft();
    if (digits.IsEmpty() || digits[0] < L'0' || digits[0] > L'9')
        return 0;
    return _wtoi(digits);
}

CString Number(int value)
{
    CString text;
    text.Format(L"%d", value);
    return text;
}

// Fills a codec list with the format's codecs of one medium (none when the format has none) and
// selects the preset's codec, else the format's default, else the first. The row selected, or -1.
template <class Codec>
int FillCodecList(CComboBox* list, const COwningPtrArray<Codec>* codecs, const Codec* presetCodec, int defaultRow)
{
    list->ResetContent();
    if (!codecs || codecs->IsEmpty())
        return -1;
    int chosen = -1;
    for (INT_PTR i = 0; i < codecs->GetSize(); ++i) {
        const int row = list->AddString((*codecs)[i]->Name);
        list->SetItemData(row, (DWORD_PTR)i);
        if (presetCodec && (*codecs)[i] == presetCodec)
            chosen = row;
    }
    if (chosen < 0)
        chosen = defaultRow >= 0 && defaultRow < codecs->GetSize() ? defaultRow : 0;
    list->SetCurSel(chosen);
    return chosen;
}

// The codec a codec list's new choice names, the shown row following it; null when the choice is
// the shown row or names no codec of the format.
template <class Codec>
Codec* ChosenCodec(CComboBox* list, const COwningPtrArray<Codec>* codecs, int& shownRow)
{
    const int row = list->GetCurSel();
    if (row == shownRow || row < 0 || !codecs)
        return nullptr;
    const INT_PTR index = (INT_PTR)list->GetItemData(row);
    if (index < 0 || index >= codecs->GetSize())
        return nullptr;
    shownRow = row;
    return (*codecs)[index];
}

}  // namespace

BEGIN_MESSAGE_MAP(CPresetEditDialog, COEDialog)
    ON_CBN_SELCHANGE(IDC_VIDEO_CODEC, OnVideoCodecChange)
    ON_CBN_SELCHANGE(IDC_AUDIO_CODEC, OnAudioCodecChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_CHANNELS, IDC_CHANNELS, OnValueListChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_SAMPLE_RATE, IDC_SAMPLE_RATE, OnValueListChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_AUDIO_BITRATE, IDC_AUDIO_BITRATE, OnValueListChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_RESOLUTION, IDC_RESOLUTION, OnValueListChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_FRAME_RATE, IDC_FRAME_RATE, OnValueListChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_VIDEO_BITRATE, IDC_VIDEO_BITRATE, OnValueListChange)
    ON_BN_CLICKED(IDC_VIDEO_ON, OnVideoOnClicked)
    ON_BN_CLICKED(IDC_AUDIO_ON, OnAudioOnClicked)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_VIDEO_SAME_QUALITY, IDC_VIDEO_SAME_QUALITY, OnSameQualityClicked)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_AUDIO_SAME_QUALITY, IDC_AUDIO_SAME_QUALITY, OnSameQualityClicked)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_FRAME_RATE_BOX, IDC_FRAME_RATE_BOX, OnBoxChange)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_AUDIO_BITRATE_BOX, IDC_AUDIO_BITRATE_BOX, OnBoxChange)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_VIDEO_BITRATE_BOX, IDC_VIDEO_BITRATE_BOX, OnBoxChange)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_WIDTH, IDC_HEIGHT, OnBoxChange)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_SAMPLE_RATE_BOX, IDC_SAMPLE_RATE_BOX, OnBoxChange)
END_MESSAGE_MAP()

CPresetEditDialog::CPresetEditDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : COEDialog(nIDTemplate, pParentWnd),
      m_pFormat(nullptr),
      m_pPreset(nullptr),
      m_pVideoCodec(nullptr),
      m_pAudioCodec(nullptr),
      VideoOn(0),
      AudioOn(0),
      m_bVideoSameQuality(0),
      m_bAudioSameQuality(0),
      m_nVideoCodecRow(-1),
      m_nAudioCodecRow(-1),
      m_defaultSize{0, 0},
      m_defaultRate{0, 0},
      m_bFilling(FALSE)
{
    for (int i = 0; i < LIST_COUNT; ++i)
        m_nRow[i] = m_nCustomRow[i] = -1;
}

UINT CPresetEditDialog::ListId(int list)
{
    static const UINT ids[LIST_COUNT] = {IDC_RESOLUTION, IDC_FRAME_RATE, IDC_VIDEO_BITRATE,
                                         IDC_CHANNELS, IDC_SAMPLE_RATE, IDC_AUDIO_BITRATE};
    return list >= 0 && list < LIST_COUNT ? ids[list] : 0;
}

CString CPresetEditDialog::SizeText(const MediaSize& size)
{
    return FormatPairOrAuto(size.Width, size.Height, L"%d x %d", TRUE);
}

CString CPresetEditDialog::RateText(const MediaRate& rate)
{
    return FormatFrameRate(rate.Num, rate.Den, L"%.3f", FALSE, TRUE);
}

CString CPresetEditDialog::BitRateText(int bitsPerSecond)
{
    return FormatBitRate(bitsPerSecond, L"%.3f", FALSE, TRUE);
}

CString CPresetEditDialog::ChannelsText(int channels)
{
    CString text = FormatChannels(channels, TRUE);
    return text.IsEmpty() ? Number(channels) : text;
}

CString CPresetEditDialog::SampleRateText(int rate)
{
    return FormatSampleRate(rate, L"%d", FALSE, TRUE);
}

BOOL CPresetEditDialog::OnInitDialog()
{
    COEDialog::OnInitDialog();
    AddSettingsTips();
    return TRUE;
}

void CPresetEditDialog::AddSettingsTips()
{
    static const ControlTip tips[] = {
        {IDC_VIDEO_ON, L"Enable/disable video\n- Checked = the output file contains video stream\n- Unchecked = the output "
                       L"file doesn't contain video stream"},
        {IDC_AUDIO_ON, L"Enable/disable audio\n- Checked = the output file contains audio stream\n- Unchecked = the output "
                       L"file doesn't contain audio stream"},
        {IDC_VIDEO_CODEC, L"Select video format/codec"},
        {IDC_RESOLUTION, L"Set video resolution (width x height)"},
        {IDC_FRAME_RATE, L"Set video frame rate (fps)"},
        {IDC_VIDEO_BITRATE, L"Set video bitrate (kbps)\n- Higher bitrate = higher quality & larger file\n- Lower bitrate "
                            L"= lower quality & smaller file"},
        {IDC_AUDIO_CODEC, L"Select audio format/codec"},
        {IDC_CHANNELS, L"Set audio channels"},
        {IDC_SAMPLE_RATE, L"Set audio sample rate (Hz)"},
        {IDC_AUDIO_BITRATE, L"Set audio bitrate (kbps)\n- Higher bitrate = higher quality & larger file\n- Lower bitrate "
                            L"= lower quality & smaller file"},
        {IDC_WIDTH, L"Enter video width here"},
        {IDC_HEIGHT, L"Enter video height here"},
        {IDC_FRAME_RATE_BOX, L"Enter video frame rate here"},
        {IDC_VIDEO_BITRATE_BOX, L"Enter video bit rate here (bps)"},
        {IDC_SAMPLE_RATE_BOX, L"Enter audio sample rate here"},
        {IDC_AUDIO_BITRATE_BOX, L"Enter audio bit rate here (bps)"},
    };
    AddControlTips(tips);
}

bool CPresetEditDialog::HasVideo() const
{
    return m_pFormat && (m_pFormat->Flags & FORMAT_VIDEO) != 0;
}

bool CPresetEditDialog::HasAudio() const
{
    return m_pFormat && (m_pFormat->Flags & FORMAT_AUDIO) != 0;
}

UINT CPresetEditDialog::ShownVideoFlags() const
{
    return m_pPreset ? m_pPreset->Settings.Video.Flags : 0;
}

UINT CPresetEditDialog::ShownAudioFlags() const
{
    return m_pPreset ? m_pPreset->Settings.Audio.Flags : 0;
}

void CPresetEditDialog::LoadCodecs(const CMediaPreset* preset)
{
    m_bFilling = TRUE;
    const int defaultAudio = m_pFormat ? m_pFormat->DefaultAudioCodec : -1;
    m_nAudioCodecRow = FillCodecList(ComboOf(IDC_AUDIO_CODEC), HasAudio() ? m_pFormat->AudioCodecs : nullptr,
                                     preset ? preset->AudioCodec : nullptr, defaultAudio);
    m_pAudioCodec = m_nAudioCodecRow >= 0 ? (*m_pFormat->AudioCodecs)[m_nAudioCodecRow] : nullptr;
    const int defaultVideo = m_pFormat ? m_pFormat->DefaultVideoCodec : -1;
    m_nVideoCodecRow = FillCodecList(ComboOf(IDC_VIDEO_CODEC), HasVideo() ? m_pFormat->VideoCodecs : nullptr,
                                     preset ? preset->VideoCodec : nullptr, defaultVideo);
    m_pVideoCodec = m_nVideoCodecRow >= 0 ? (*m_pFormat->VideoCodecs)[m_nVideoCodecRow] : nullptr;
    m_bFilling = FALSE;
    PresetSettings none;
    memset(&none, 0, sizeof(none));
    const PresetSettings& values = preset ? preset->Settings : none;
    FillAudioLists(values.Audio);
    FillVideoLists(values.Video);
    m_bVideoSameQuality = (values.Video.Flags & PRESET_SAME_QUALITY) ? 1 : 0;
    m_bAudioSameQuality = (values.Audio.Flags & PRESET_SAME_QUALITY) ? 1 : 0;
    CheckDlgButton(IDC_VIDEO_SAME_QUALITY, m_bVideoSameQuality ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_AUDIO_SAME_QUALITY, m_bAudioSameQuality ? BST_CHECKED : BST_UNCHECKED);
}

void CPresetEditDialog::FillVideoLists(const PresetVideoSettings& values)
{
    m_defaultSize = m_pVideoCodec ? m_pVideoCodec->DefaultSize : MediaSize{0, 0};
    m_defaultRate = m_pVideoCodec ? m_pVideoCodec->RateDefault : MediaRate{0, 0};
    FillValueList(LIST_SIZE, &values, nullptr);
    FillValueList(LIST_RATE, &values, nullptr);
    FillValueList(LIST_VIDEO_BITRATE, &values, nullptr);
}

void CPresetEditDialog::FillAudioLists(const PresetAudioSettings& values)
{
    FillValueList(LIST_CHANNELS, nullptr, &values);
    FillValueList(LIST_SAMPLE_RATE, nullptr, &values);
    FillValueList(LIST_AUDIO_BITRATE, nullptr, &values);
}

void CPresetEditDialog::FillValueList(int list, const PresetVideoSettings* video, const PresetAudioSettings* audio)
{
    CComboBox* combo = ComboOf(ListId(list));
    if (!combo)
        return;
    m_bFilling = TRUE;
    combo->ResetContent();
    m_nRow[list] = -1;
    m_nCustomRow[list] = -1;
    const CVideoCodec* vc = m_pVideoCodec;
    const CAudioCodec* ac = m_pAudioCodec;
    const bool isVideo = list == LIST_SIZE || list == LIST_RATE || list == LIST_VIDEO_BITRATE;
    if ((isVideo && !vc) || (!isVideo && !ac)) {
        ShowCustomBoxes(list, false);
        m_bFilling = FALSE;
        return;
    }

    int count = 0;
    bool custom = false;
    int wanted = -1;
    int fallback = -1;
    // The rows, the one equal to the preset's value and the codec's default.
    switch (list) {
    case LIST_SIZE: {
        const MediaSize want = video ? MediaSize{video->Width, video->Height} : MediaSize{0, 0};
        count = (int)vc->FrameSizes.GetSize();
        for (int i = 0; i < count; ++i) {
            const MediaSize& s = vc->FrameSizes[i];
            combo->SetItemData(combo->AddString(SizeText(s)), (DWORD_PTR)i);
            if (wanted < 0 && s.Width == want.Width && s.Height == want.Height)
                wanted = i;
            if (fallback < 0 && s.Width == vc->DefaultSize.Width && s.Height == vc->DefaultSize.Height)
                fallback = i;
        }
        custom = (vc->Flags & CODEC_ANY_SIZE) != 0;
        break;
    }
    case LIST_RATE: {
        const MediaRate want = video ? MediaRate{video->RateNum, video->RateDen} : MediaRate{0, 0};
        count = (int)vc->FrameRates.GetSize();
        for (int i = 0; i < count; ++i) {
            const MediaRate& r = vc->FrameRates[i];
            combo->SetItemData(combo->AddString(RateText(r)), (DWORD_PTR)i);
            if (wanted < 0 && SameRate(r, want))
                wanted = i;
            if (fallback < 0 && SameRate(r, vc->RateDefault))
                fallback = i;
        }
        custom = (vc->Flags & CODEC_ANY_RATE) != 0;
        break;
    }
    case LIST_VIDEO_BITRATE:
    case LIST_AUDIO_BITRATE: {
        const CMediaCodec* codec = list == LIST_VIDEO_BITRATE ? static_cast<const CMediaCodec*>(vc) : ac;
        const int want = list == LIST_VIDEO_BITRATE ? (video ? video->BitRate : 0) : (audio ? audio->BitRate : 0);
        count = (int)codec->BitRates.GetSize();
        for (int i = 0; i < count; ++i) {
            const int b = codec->BitRates[i];
            combo->SetItemData(combo->AddString(BitRateText(b)), (DWORD_PTR)i);
            if (wanted < 0 && b == want)
                wanted = i;
            if (fallback < 0 && b == codec->BitRateDefault)
                fallback = i;
        }
        custom = (codec->Flags & CODEC_ANY_BITRATE) != 0;
        break;
    }
    case LIST_CHANNELS: {
        const int want = audio ? audio->Channels : 0;
        count = (int)ac->ChannelCounts.GetSize();
        for (int i = 0; i < count; ++i) {
            const int c = ac->ChannelCounts[i];
            combo->SetItemData(combo->AddString(ChannelsText(c)), (DWORD_PTR)i);
            if (wanted < 0 && c == want)
                wanted = i;
            if (fallback < 0 && c == ac->ChannelsDefault)
                fallback = i;
        }
        break;
    }
    case LIST_SAMPLE_RATE: {
        const int want = audio ? audio->SampleRate : 0;
        count = (int)ac->SampleRates.GetSize();
        for (int i = 0; i < count; ++i) {
            const int r = ac->SampleRates[i];
            combo->SetItemData(combo->AddString(SampleRateText(r)), (DWORD_PTR)i);
            if (wanted < 0 && r == want)
                wanted = i;
            if (fallback < 0 && r == ac->SampleRateDefault)
                fallback = i;
        }
        custom = (ac->Flags & CODEC_ANY_RATE) != 0;
        break;
    }
    default:
        break;
    }
    if (custom) {
        m_nCustomRow[list] = combo->AddString(L"Custom");
        combo->SetItemData(m_nCustomRow[list], (DWORD_PTR)-1);
    }

    int selection = wanted;
    bool takeWanted = false;
    if (selection < 0 && custom) {
        selection = m_nCustomRow[list];
        takeWanted = true;
    }
    if (selection < 0)
        selection = fallback >= 0 ? fallback : (count > 0 ? 0 : -1);
    combo->SetCurSel(selection);
    m_nRow[list] = selection;

    if (takeWanted) {
        // The preset's own value, which the codec's list does not hold, goes into the boxes.
        switch (list) {
        case LIST_SIZE:
            SetDlgItemText(IDC_WIDTH, Number(video ? video->Width : 0));
            SetDlgItemText(IDC_HEIGHT, Number(video ? video->Height : 0));
            break;
        case LIST_RATE:
            SetDlgItemText(IDC_FRAME_RATE_BOX, FrameRateText(video ? MediaRate{video->RateNum, video->RateDen}
                                                                   : MediaRate{0, 0}));
            break;
        case LIST_VIDEO_BITRATE:
            SetDlgItemText(IDC_VIDEO_BITRATE_BOX, Number(video ? video->BitRate : 0));
            break;
        case LIST_SAMPLE_RATE:
            SetDlgItemText(IDC_SAMPLE_RATE_BOX, Number(audio ? audio->SampleRate : 0));
            break;
        case LIST_AUDIO_BITRATE:
            SetDlgItemText(IDC_AUDIO_BITRATE_BOX, Number(audio ? audio->BitRate : 0));
            break;
        default:
            break;
        }
        ShowCustomBoxes(list, true);
    } else {
        WriteRowValueToBoxes(list);
        ShowCustomBoxes(list, false);
    }
    m_bFilling = FALSE;
}

void CPresetEditDialog::ShowCustomBoxes(int list, bool show)
{
    const int command = show ? SW_SHOW : SW_HIDE;
    auto Show = [&](UINT id) {
        if (CWnd* w = GetDlgItem((int)id))
            w->ShowWindow(command);
    };
    switch (list) {
    case LIST_SIZE:
        Show(IDC_WIDTH);
        Show(IDC_RESOLUTION_X);
        Show(IDC_HEIGHT);
        break;
    case LIST_RATE:
        Show(IDC_FRAME_RATE_BOX);
        break;
    case LIST_VIDEO_BITRATE:
        Show(IDC_VIDEO_BITRATE_BOX);
        break;
    case LIST_SAMPLE_RATE:
        Show(IDC_SAMPLE_RATE_BOX);
        break;
    case LIST_AUDIO_BITRATE:
        Show(IDC_AUDIO_BITRATE_BOX);
        break;
    default:
        break;
    }
}

void CPresetEditDialog::WriteRowValueToBoxes(int list)
{
    const int row = m_nRow[list];
    if (row < 0 || row == m_nCustomRow[list])
        return;
    const int index = (int)ComboOf(ListId(list))->GetItemData(row);
    const BOOL filling = m_bFilling;
    m_bFilling = TRUE;
    switch (list) {
    case LIST_SIZE:
        if (m_pVideoCodec && index >= 0 && index < m_pVideoCodec->FrameSizes.GetSize()) {
            SetDlgItemText(IDC_WIDTH, Number(m_pVideoCodec->FrameSizes[index].Width));
            SetDlgItemText(IDC_HEIGHT, Number(m_pVideoCodec->FrameSizes[index].Height));
        }
        break;
    case LIST_RATE:
        if (m_pVideoCodec && index >= 0 && index < m_pVideoCodec->FrameRates.GetSize())
            SetDlgItemText(IDC_FRAME_RATE_BOX, FrameRateText(m_pVideoCodec->FrameRates[index]));
        break;
    case LIST_VIDEO_BITRATE:
        if (m_pVideoCodec && index >= 0 && index < m_pVideoCodec->BitRates.GetSize())
            SetDlgItemText(IDC_VIDEO_BITRATE_BOX, Number(m_pVideoCodec->BitRates[index]));
        break;
    case LIST_SAMPLE_RATE:
        if (m_pAudioCodec && index >= 0 && index < m_pAudioCodec->SampleRates.GetSize())
            SetDlgItemText(IDC_SAMPLE_RATE_BOX, Number(m_pAudioCodec->SampleRates[index]));
        break;
    case LIST_AUDIO_BITRATE:
        if (m_pAudioCodec && index >= 0 && index < m_pAudioCodec->BitRates.GetSize())
            SetDlgItemText(IDC_AUDIO_BITRATE_BOX, Number(m_pAudioCodec->BitRates[index]));
        break;
    default:
        break;
    }
    m_bFilling = filling;
}

void CPresetEditDialog::ShowPresetValues()
{
    LoadCodecs(m_pPreset);
    const UINT videoFlags = m_pPreset ? m_pPreset->Settings.Video.Flags : 0;
    const UINT audioFlags = m_pPreset ? m_pPreset->Settings.Audio.Flags : 0;
    VideoOn = HasVideo() && !(videoFlags & PRESET_STREAM_OFF) ? 1 : 0;
    AudioOn = HasAudio() && !(audioFlags & PRESET_STREAM_OFF) ? 1 : 0;
    ApplyEnableRules();
}

void CPresetEditDialog::ApplyEnableRules()
{
    const bool video = HasVideo();
    const bool audio = HasAudio();
    if (!video)
        VideoOn = 0;
    if (!audio)
        AudioOn = 0;
    EnableIds(kVideoControls, video && VideoOn);
    EnableIds(kAudioControls, audio && AudioOn);
    EnableId(IDC_VIDEO_GROUP, video);
    EnableId(IDC_AUDIO_GROUP, audio);
    CheckDlgButton(IDC_VIDEO_ON, VideoOn ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_AUDIO_ON, AudioOn ? BST_CHECKED : BST_UNCHECKED);
    // Never both media off, and never a locked one.
    EnableId(IDC_AUDIO_ON, video && audio && VideoOn && !(ShownAudioFlags() & PRESET_STREAM_REQUIRED));
    EnableId(IDC_VIDEO_ON, video && audio && AudioOn && !(ShownVideoFlags() & PRESET_STREAM_REQUIRED));
}

void CPresetEditDialog::StoreControls(CMediaPreset& preset)
{
    // The locks belong to the preset, not to what the user chose here.
    const UINT videoLock = preset.Settings.Video.Flags & PRESET_STREAM_REQUIRED;
    const UINT audioLock = preset.Settings.Audio.Flags & PRESET_STREAM_REQUIRED;
    PresetSettings& s = preset.Settings;
    s.Flags = 0;
    s.Video.Flags = 0;
    s.Audio.Flags = 0;

    auto RowIndex = [&](int list) -> int {
        const int row = ComboOf(ListId(list))->GetCurSel();
        if (row < 0)
            return -2;
        if (row == m_nCustomRow[list])
            return -1;
        return (int)ComboOf(ListId(list))->GetItemData(row);
    };
    auto BoxNumber = [&](UINT id) {
        CString text;
        GetDlgItemText((int)id, text);
        return ReadBoxNumber(text);
    };

    if (HasVideo()) {
        if (VideoOn) {
            preset.VideoCodec = m_pVideoCodec;
            // The key too: a copy made from the record must find the same codec.
            SetPresetText(s.Video.Codec, m_pVideoCodec ? m_pVideoCodec->Id.GetString() : L"");
            const int size = RowIndex(LIST_SIZE);
            if (size == -1) {
                s.Video.Width = BoxNumber(IDC_WIDTH);
                s.Video.Height = BoxNumber(IDC_HEIGHT);
            } else if (size >= 0 && m_pVideoCodec && size < m_pVideoCodec->FrameSizes.GetSize()) {
                s.Video.Width = m_pVideoCodec->FrameSizes[size].Width;
                s.Video.Height = m_pVideoCodec->FrameSizes[size].Height;
            }
            const int rate = RowIndex(LIST_RATE);
            if (rate == -1) {
                CString text;
                GetDlgItemText(IDC_FRAME_RATE_BOX, text);
                const MediaRate r = ParseFrameRateText(text);
                s.Video.RateNum = r.Num;
                s.Video.RateDen = r.Den;
            } else if (rate >= 0 && m_pVideoCodec && rate < m_pVideoCodec->FrameRates.GetSize()) {
                s.Video.RateNum = m_pVideoCodec->FrameRates[rate].Num;
                s.Video.RateDen = m_pVideoCodec->FrameRates[rate].Den;
            }
            const int bitRate = RowIndex(LIST_VIDEO_BITRATE);
            if (bitRate == -1)
                s.Video.BitRate = BoxNumber(IDC_VIDEO_BITRATE_BOX);
            else if (bitRate >= 0 && m_pVideoCodec && bitRate < m_pVideoCodec->BitRates.GetSize())
                s.Video.BitRate = m_pVideoCodec->BitRates[bitRate];
            if (IsDlgButtonChecked(IDC_VIDEO_SAME_QUALITY) == BST_CHECKED)
                s.Video.Flags |= PRESET_SAME_QUALITY;
        } else {
            s.Video.Flags = PRESET_STREAM_OFF;
        }
        s.Video.Flags |= videoLock;
    }
    if (HasAudio()) {
        if (AudioOn) {
            preset.AudioCodec = m_pAudioCodec;
            SetPresetText(s.Audio.Codec, m_pAudioCodec ? m_pAudioCodec->Id.GetString() : L"");
            const int channels = RowIndex(LIST_CHANNELS);
            if (channels >= 0 && m_pAudioCodec && channels < m_pAudioCodec->ChannelCounts.GetSize())
                s.Audio.Channels = m_pAudioCodec->ChannelCounts[channels];
            const int sampleRate = RowIndex(LIST_SAMPLE_RATE);
            if (sampleRate == -1)
                s.Audio.SampleRate = BoxNumber(IDC_SAMPLE_RATE_BOX);
            else if (sampleRate >= 0 && m_pAudioCodec && sampleRate < m_pAudioCodec->SampleRates.GetSize())
                s.Audio.SampleRate = m_pAudioCodec->SampleRates[sampleRate];
            const int bitRate = RowIndex(LIST_AUDIO_BITRATE);
            if (bitRate == -1)
                s.Audio.BitRate = BoxNumber(IDC_AUDIO_BITRATE_BOX);
            else if (bitRate >= 0 && m_pAudioCodec && bitRate < m_pAudioCodec->BitRates.GetSize())
                s.Audio.BitRate = m_pAudioCodec->BitRates[bitRate];
            if (IsDlgButtonChecked(IDC_AUDIO_SAME_QUALITY) == BST_CHECKED)
                s.Audio.Flags |= PRESET_SAME_QUALITY;
        } else {
            s.Audio.Flags = PRESET_STREAM_OFF;
        }
        s.Audio.Flags |= audioLock;
    }
}

// Handlers --------------------------------------------------------------------------------------------

void CPresetEditDialog::OnVideoCodecChange()
{
    if (m_bFilling || !m_pFormat)
        return;
    CVideoCodec* codec = ChosenCodec(ComboOf(IDC_VIDEO_CODEC), m_pFormat->VideoCodecs, m_nVideoCodecRow);
    if (!codec)
        return;
    m_pVideoCodec = codec;
    PresetVideoSettings none;
    memset(&none, 0, sizeof(none));
    FillVideoLists(m_pPreset ? m_pPreset->Settings.Video : none);
    ApplyEnableRules();
    OnSettingsChanged();
}

void CPresetEditDialog::OnAudioCodecChange()
{
    if (m_bFilling || !m_pFormat)
        return;
    CAudioCodec* codec = ChosenCodec(ComboOf(IDC_AUDIO_CODEC), m_pFormat->AudioCodecs, m_nAudioCodecRow);
    if (!codec)
        return;
    m_pAudioCodec = codec;
    PresetAudioSettings none;
    memset(&none, 0, sizeof(none));
    FillAudioLists(m_pPreset ? m_pPreset->Settings.Audio : none);
    ApplyEnableRules();
    OnSettingsChanged();
}

void CPresetEditDialog::OnValueListChange(UINT nID)
{
    int list = -1;
    for (int i = 0; i < LIST_COUNT; ++i)
        if (ListId(i) == nID)
            list = i;
    if (list < 0 || m_bFilling)
        return;
    const int row = ComboOf(nID)->GetCurSel();
    if (row == m_nRow[list])
        return;
    m_nRow[list] = row;
    if (row >= 0 && row == m_nCustomRow[list]) {
        m_bFilling = TRUE;
        if (list == LIST_RATE) {
            CString text;
            GetDlgItemText(IDC_FRAME_RATE_BOX, text);
            text.Trim();
            if (text.IsEmpty())
                SetDlgItemText(IDC_FRAME_RATE_BOX, FrameRateText(m_defaultRate));
        } else if (list == LIST_SIZE) {
            CString height;
            GetDlgItemText(IDC_HEIGHT, height);
            if (_wtoi(height) == 0) {
                SetDlgItemText(IDC_WIDTH, Number(m_defaultSize.Width));
                SetDlgItemText(IDC_HEIGHT, Number(m_defaultSize.Height));
            }
        }
        m_bFilling = FALSE;
        ShowCustomBoxes(list, true);
        // The box (the first of the two for a size) is the next control.
        const UINT box = list == LIST_SIZE ? IDC_WIDTH : list == LIST_RATE ? IDC_FRAME_RATE_BOX
                         : list == LIST_VIDEO_BITRATE ? IDC_VIDEO_BITRATE_BOX
                         : list == LIST_SAMPLE_RATE  ? IDC_SAMPLE_RATE_BOX
                                                     : IDC_AUDIO_BITRATE_BOX;
        if (CWnd* w = GetDlgItem((int)box))
            GotoDlgCtrl(w);
    } else {
        ShowCustomBoxes(list, false);
        WriteRowValueToBoxes(list);
    }
    OnSettingsChanged();
}

void CPresetEditDialog::OnVideoOnClicked()
{
    if (m_bFilling)
        return;
    VideoOn = IsDlgButtonChecked(IDC_VIDEO_ON) == BST_CHECKED ? 1 : 0;
    ApplyEnableRules();
    OnSettingsChanged();
}

void CPresetEditDialog::OnAudioOnClicked()
{
    if (m_bFilling)
        return;
    AudioOn = IsDlgButtonChecked(IDC_AUDIO_ON) == BST_CHECKED ? 1 : 0;
    ApplyEnableRules();
    OnSettingsChanged();
}

void CPresetEditDialog::OnSameQualityClicked(UINT nID)
{
    if (m_bFilling)
        return;
    if (nID == IDC_VIDEO_SAME_QUALITY)
        m_bVideoSameQuality = IsDlgButtonChecked(nID) == BST_CHECKED ? 1 : 0;
    else
        m_bAudioSameQuality = IsDlgButtonChecked(nID) == BST_CHECKED ? 1 : 0;
    OnSettingsChanged();
}

void CPresetEditDialog::OnBoxChange(UINT nID)
{
    (void)nID;
    if (!m_bFilling)
        OnSettingsChanged();
}
