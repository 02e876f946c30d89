// Catalogue items, the value-resolving rules of the codec descriptors, and the format's look-ups.
#include "conversion/MediaCatalog.h"

#include <string.h>

#include "engine/EncoderOptions.h"

namespace {

bool Contains(const CArray<int>& list, int value)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (list[i] == value) return true;
    return false;
}

bool ContainsSize(const CArray<MediaSize>& list, int width, int height)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (list[i].Width == width && list[i].Height == height) return true;
    return false;
}

bool ContainsRate(const CArray<MediaRate>& list, int num, int den)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (list[i].Num == num && list[i].Den == den) return true;
    return false;
}

// The rule shared by bit rates, channel counts and sample rates.
int ResolveListValue(int value, int source, bool anyValue, const CArray<int>& list,
                     int minimum, int maximum, int fallback)
{
    if (!anyValue && (list.IsEmpty() || !Contains(list, value)))
        value = fallback;
    if (value == 0) {
        // Auto stays Auto while the source lies within the bounds.
        if (minimum > 0 && source < minimum) value = minimum;
        if (maximum > 0 && source > maximum) value = maximum;
    }
    if (value > 0) {
        if (minimum > 0 && value < minimum) value = minimum;
        if (maximum > 0 && value > maximum) value = maximum;
    }
    return value;
}

bool IsValidPair(int a, int b) { return a > 0 && b > 0; }

double RateOf(const MediaRate& rate) { return (double)rate.Num / rate.Den; }

int RoundUp(int value, int align) { return (value + align - 1) / align * align; }

} // namespace

// ---------------------------------------------------------------------------------------------

CMediaCatalogItem::CMediaCatalogItem() : Flags(0), Media(-1) {}

CMediaCatalogItem::~CMediaCatalogItem() {}

int CMediaCatalogItem::GetMedia() const
{
    if (Media != -1) return Media;
    if (Flags & FORMAT_VIDEO) return 1;
    if (Flags & FORMAT_AUDIO) return 2;
    return -1;
}

CMediaCategory::CMediaCategory() : DefaultFormat(0)
{
    Flags = CATEGORY_ITEM;
}

// ---------------------------------------------------------------------------------------------

CMediaCodec::CMediaCodec() : BitRateMin(0), BitRateMax(0), BitRateDefault(0) {}

CMediaCodec::~CMediaCodec() {}

int CMediaCodec::AdjustOptions(CEncoderOptions&, const SourceStreamValues&)
{
    return 0;
}

int CMediaCodec::ResolveBitRateValue(int value, int source) const
{
    return ResolveListValue(value, source, (Flags & CODEC_ANY_BITRATE) != 0, BitRates,
                            BitRateMin, BitRateMax, BitRateDefault);
}

CVideoCodec::CVideoCodec() : Align(1)
{
    Media = 1;
    MinSize = MaxSize = DefaultSize = MediaSize{0, 0};
    AspectMin = AspectMax = AspectDefault = MediaRate{0, 0};
    RateMin = RateMax = RateDefault = MediaRate{0, 0};
}

CVideoCodec::~CVideoCodec() {}

int CVideoCodec::ResolveBitRate(int value, int source) const
{
    return ResolveBitRateValue(value, source);
}

MediaSize CVideoCodec::ResolveFrameSize(int width, int height, int sourceWidth, int sourceHeight) const
{
    if (!(Flags & CODEC_ANY_SIZE) && (FrameSizes.IsEmpty() || !ContainsSize(FrameSizes, width, height))) {
        width = DefaultSize.Width;
        height = DefaultSize.Height;
    }
    const bool minValid = IsValidPair(MinSize.Width, MinSize.Height);
    const bool maxValid = IsValidPair(MaxSize.Width, MaxSize.Height);
    if (width == 0 || height == 0) {
        if (minValid) {
            if (sourceWidth < MinSize.Width) width = MinSize.Width;
            if (sourceHeight < MinSize.Height) height = MinSize.Height;
        }
        if (maxValid) {
            if (sourceWidth > MaxSize.Width) width = MaxSize.Width;
            if (sourceHeight > MaxSize.Height) height = MaxSize.Height;
        }
    }
    // Only the numbers that are set are clamped: a clamped 0 would turn Auto into a fixed size.
    if (width > 0) {
        if (minValid && width < MinSize.Width) width = MinSize.Width;
        if (maxValid && width > MaxSize.Width) width = MaxSize.Width;
    }
    if (height > 0) {
        if (minValid && height < MinSize.Height) height = MinSize.Height;
        if (maxValid && height > MaxSize.Height) height = MaxSize.Height;
    }
    return MediaSize{width, height};
}

MediaRate CVideoCodec::ResolveFrameRate(int num, int den, int sourceNum, int sourceDen) const
{
    if (!(Flags & CODEC_ANY_RATE) && (FrameRates.IsEmpty() || !ContainsRate(FrameRates, num, den))) {
        num = RateDefault.Num;
        den = RateDefault.Den;
    }
    if (den == 0 && num != 0) return MediaRate{num, den};
    const bool minValid = IsValidPair(RateMin.Num, RateMin.Den);
    const bool maxValid = IsValidPair(RateMax.Num, RateMax.Den);
    if (num == 0 && den == 0 && sourceDen != 0) {
        const double source = (double)sourceNum / sourceDen;
        if (minValid && source < RateOf(RateMin)) return RateMin;
        if (maxValid && source > RateOf(RateMax)) return RateMax;
    }
    if (num > 0 && den > 0) {
        const double rate = (double)num / den;
        if (minValid && rate < RateOf(RateMin)) return RateMin;
        if (maxValid && rate > RateOf(RateMax)) return RateMax;
    }
    return MediaRate{num, den};
}

int CVideoCodec::AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source)
{
    if (Align > 1) {
        const int width = options.Width > 0 ? options.Width : source.Width;
        if (width % Align != 0) options.Width = RoundUp(width, Align);
        const int height = options.Height > 0 ? options.Height : source.Height;
        if (height % Align != 0) options.Height = RoundUp(height, Align);
    }
    const int width = options.Width;
    const int height = options.Height;
    if (width > 0 && height == 0) options.Height = source.Height;
    if (height > 0 && width == 0) options.Width = source.Width;
    return 0;
}

CAudioCodec::CAudioCodec()
    : ChannelsMin(0), ChannelsMax(0), ChannelsDefault(0),
      SampleRateMin(0), SampleRateMax(0), SampleRateDefault(0)
{
    Media = 2;
}

CAudioCodec::~CAudioCodec() {}

int CAudioCodec::ResolveBitRate(int value, int source) const
{
    return ResolveBitRateValue(value, source);
}

int CAudioCodec::AdjustOptions(CEncoderOptions&, const SourceStreamValues&)
{
    return 0;
}

int CAudioCodec::ResolveChannels(int value, int source) const
{
    return ResolveListValue(value, source, (Flags & CODEC_ANY_SIZE) != 0, ChannelCounts,
                            ChannelsMin, ChannelsMax, ChannelsDefault);
}

int CAudioCodec::ResolveSampleRate(int value, int source) const
{
    return ResolveListValue(value, source, (Flags & CODEC_ANY_RATE) != 0, SampleRates,
                            SampleRateMin, SampleRateMax, SampleRateDefault);
}

// ---------------------------------------------------------------------------------------------

CMediaFormat::CMediaFormat()
    : Presets(new COwningPtrArray<CMediaPreset>), CustomPreset(nullptr), DefaultPreset(0),
      LastPreset(0), CustomRow(-1), VideoCodecs(nullptr), DefaultVideoCodec(0),
      AudioCodecs(nullptr), DefaultAudioCodec(0)
{
}

CMediaFormat::~CMediaFormat()
{
    // Presets point into the codec lists, so they go first.
    delete Presets;
    delete CustomPreset;
    delete VideoCodecs;
    delete AudioCodecs;
}

CMediaPreset* CMediaFormat::FindPreset(const wchar_t* name) const
{
    if (name && *name) {
        if (_wcsicmp(name, L"Custom") == 0) return CustomPreset;
        if (Presets) {
            for (INT_PTR i = 0; i < Presets->GetSize(); ++i) {
                CMediaPreset* preset = (*Presets)[i];
                if (_wcsicmp(preset->Settings.Name, name) == 0) return preset;
            }
        }
    }
    if (!Presets || Presets->IsEmpty()) return nullptr;
    return (*Presets)[0];
}

int CMediaFormat::InitPreset(CMediaPreset* preset, const PresetSettings& record) const
{
    memcpy(&preset->Settings, &record, sizeof(PresetSettings));
    if (Flags & FORMAT_VIDEO) {
        preset->VideoCodec = FindVideoCodec(preset->Settings.Video.Codec);
        if (!preset->VideoCodec) return 0;
    }
    if (Flags & FORMAT_AUDIO) {
        preset->AudioCodec = FindAudioCodec(preset->Settings.Audio.Codec);
        return preset->AudioCodec != nullptr;
    }
    return 1;
}

int CMediaFormat::SetPresets(const PresetSettings* table, int count)
{
    ClearPresets(false);
    if (!Presets) Presets = new COwningPtrArray<CMediaPreset>;
    for (int i = 0; i < count; ++i) {
        CMediaPreset* preset = new CMediaPreset;
        InitPreset(preset, table[i]);
        Presets->Add(preset);
    }
    return 1;
}

void CMediaFormat::ClearPresets(bool deleteArray)
{
    if (!Presets) return;
    Presets->RemoveAll();
    if (deleteArray) {
        delete Presets;
        Presets = nullptr;
    }
}

CVideoCodec* CMediaFormat::FindVideoCodec(const wchar_t* key) const
{
    if (!(Flags & FORMAT_VIDEO) || !VideoCodecs || !key) return nullptr;
    for (INT_PTR i = 0; i < VideoCodecs->GetSize(); ++i)
        if ((*VideoCodecs)[i]->Id.Compare(key) == 0) return (*VideoCodecs)[i];
    return nullptr;
}

CAudioCodec* CMediaFormat::FindAudioCodec(const wchar_t* key) const
{
    if (!(Flags & FORMAT_AUDIO) || !AudioCodecs || !key) return nullptr;
    for (INT_PTR i = 0; i < AudioCodecs->GetSize(); ++i)
        if ((*AudioCodecs)[i]->Id.Compare(key) == 0) return (*AudioCodecs)[i];
    return nullptr;
}
