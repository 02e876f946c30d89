// The preset object, its summary and row texts, and the comparison that matches a setting to a preset.
#include "conversion/MediaPreset.h"

#include <math.h>
#include <string.h>

#include "conversion/MediaCatalog.h"
#include "engine/MediaValueTexts.h"

void SetPresetText(WCHAR (&field)[PRESET_TEXT_SIZE], const wchar_t* text)
{
    int n = 0;
    if (text) {
        while (n < PRESET_TEXT_SIZE - 1 && text[n]) ++n;
        // Keep a surrogate pair whole: a lone high surrogate at the cut is dropped.
        if (n == PRESET_TEXT_SIZE - 1 && text[n] && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
        memcpy(field, text, n * sizeof(WCHAR));
    }
    memset(field + n, 0, (PRESET_TEXT_SIZE - n) * sizeof(WCHAR));
}

CMediaPreset::CMediaPreset() : VideoCodec(nullptr), AudioCodec(nullptr), UseCount(0)
{
    memset(&Settings, 0, sizeof(Settings));
}

CMediaPreset::~CMediaPreset() {}

void CMediaPreset::Reset()
{
    VideoCodec = nullptr;
    AudioCodec = nullptr;
    memset(&Settings, 0, sizeof(Settings));
}

void CMediaPreset::GetSummaryText(CString& videoText, CString& audioText) const
{
    videoText.Empty();
    audioText.Empty();
    if (VideoCodec) {
        const PresetVideoSettings& v = Settings.Video;
        CString resolution = L"Auto";
        if (v.Width != 0 && v.Height != 0) resolution.Format(L"%dx%d", v.Width, v.Height);
        videoText.Format(L"%s, Resolution=%s, Frame Rate=%s, Bit Rate=%s", VideoCodec->Name.GetString(),
                         resolution.GetString(), FormatFrameRate(v.RateNum, v.RateDen, L"%.3f", TRUE, TRUE).GetString(),
                         FormatBitRate(v.BitRate, L"%.3f", TRUE, TRUE).GetString());
    }
    if (AudioCodec) {
        const PresetAudioSettings& a = Settings.Audio;
        CString sampleRate = L"Auto";
        if (a.SampleRate != 0) sampleRate.Format(L"%d", a.SampleRate);
        audioText.Format(L"%s, Channel=%s, Sample Rate=%s, Bit Rate=%s", AudioCodec->Name.GetString(),
                         FormatChannels(a.Channels, TRUE).GetString(), sampleRate.GetString(),
                         FormatBitRate(a.BitRate, L"%.3f", TRUE, TRUE).GetString());
    }
}

bool ComparePresetSettings(const CMediaPreset& a, const CMediaPreset& b)
{
    const PresetSettings& x = a.Settings;
    const PresetSettings& y = b.Settings;
    if (((x.Flags ^ y.Flags) & 0x0FFFFFFF) != 0) return false;
    if (a.VideoCodec != b.VideoCodec || a.AudioCodec != b.AudioCodec) return false;
    if (x.Video.RateNum != 0 && x.Video.RateDen != 0 && y.Video.RateNum != 0 && y.Video.RateDen != 0) {
        const double rx = (double)x.Video.RateNum / x.Video.RateDen;
        const double ry = (double)y.Video.RateNum / y.Video.RateDen;
        if (fabs(rx - ry) >= 0.001) return false;
    } else if (x.Video.RateNum != y.Video.RateNum || x.Video.RateDen != y.Video.RateDen) {
        return false;
    }
    return x.Video.BitRate == y.Video.BitRate && x.Video.Width == y.Video.Width &&
           x.Video.Height == y.Video.Height && x.Video.Flags == y.Video.Flags &&
           x.Audio.SampleRate == y.Audio.SampleRate && x.Audio.BitRate == y.Audio.BitRate &&
           x.Audio.Channels == y.Audio.Channels && x.Audio.Flags == y.Audio.Flags;
}

int CMediaFormat::FindMatchingPreset(const CMediaPreset& settings) const
{
    if (!Presets) return -1;
    for (INT_PTR i = 0; i < Presets->GetSize(); ++i)
        if (ComparePresetSettings(*(*Presets)[i], settings)) return (int)i;
    return -1;
}

CString CMediaFormat::GetPresetRowText(const CMediaPreset& preset, bool tabbed) const
{
    const PresetSettings& s = preset.Settings;
    const wchar_t* pattern = tabbed ? L"%s\t%s" : L"%s (%s)";
    CString detail;
    if (preset.VideoCodec) {
        if (!(s.Video.Flags & PRESET_STREAM_OFF) && s.Video.Width != 0 && s.Video.Height != 0)
            detail.Format(L"%d x %d", s.Video.Width, s.Video.Height);
    } else if (preset.AudioCodec) {
        if (!(s.Audio.Flags & PRESET_STREAM_OFF) && s.Audio.BitRate != 0)
            detail = FormatBitRate(s.Audio.BitRate, L"%.3f", TRUE, FALSE);
    } else {
        return CString();
    }
    CString row;
    if (detail.IsEmpty())
        row = s.Name;
    else
        row.Format(pattern, s.Name, detail.GetString());
    return row;
}

CString CMediaFormat::GetPresetSummary(const CMediaPreset& preset) const
{
    CString videoText, audioText;
    preset.GetSummaryText(videoText, audioText);
    CString summary = Name;
    if (!videoText.IsEmpty()) summary += L"; Video: " + videoText;
    if (!audioText.IsEmpty()) summary += L"; Audio: " + audioText;
    return summary;
}

void CMediaFormat::GetPresetText(const CMediaPreset& preset, CString& name, CString& videoText,
                                 CString& audioText) const
{
    name = Name;
    preset.GetSummaryText(videoText, audioText);
}
