// The catalogue of output formats: the common item, categories, the format base and the codec
// descriptors with the rules that resolve a preset's values against the source stream.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "framework/Collections.h"
#include "conversion/MediaPreset.h"

class CEncoderOptions;
class CEncoderToolEvents;
class CJobSourceItem;
class CMediaStream;

// Format flag bits.
const UINT FORMAT_VIDEO = 0x1;
const UINT FORMAT_AUDIO = 0x2;
const UINT FORMAT_DEVICE = 0x100;
const UINT CATEGORY_ITEM = 0x200000;
const UINT CATALOG_HIDDEN = 0x20000000;
// Codec flag bits.
const UINT CODEC_ANY_BITRATE = 0x1;
const UINT CODEC_ANY_RATE = 0x2;       // frame rate (video) or sample rate (audio)
const UINT CODEC_ANY_SIZE = 0x4;       // frame size (video) or channel count (audio)
const UINT CODEC_MULTITHREADED = 0x10000;

struct MediaSize {
    int Width;
    int Height;
};

struct MediaRate {
    int Num;
    int Den;
};

// The values of the source stream that the resolving rules read; the media model fills it.
struct SourceStreamValues {
    int BitRate;
    int Width;
    int Height;
    int RateNum;
    int RateDen;
    int Channels;
    int SampleRate;
};

class CMediaCatalogItem {
public:
    CMediaCatalogItem();
    virtual ~CMediaCatalogItem();

    // 1 video, 2 audio; from Flags when Media is -1; -1 when neither.
    int GetMedia() const;

    UINT Flags;
    CString Id;
    CString Name;
    int Media;
};

class CMediaFormat;

class CMediaCategory : public CMediaCatalogItem {
public:
    CMediaCategory();

    COwningPtrArray<CMediaFormat> Formats;
    int DefaultFormat;
};

class CMediaCodec : public CMediaCatalogItem {
public:
    CMediaCodec();
    ~CMediaCodec() override;

    virtual int ResolveBitRate(int value, int source) const = 0;
    // The contract for a codec that rejects the options: non-zero aborts the job's set-up.
    virtual int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source);

    CString EncoderName;
    CString Tag;
    CArray<int> BitRates;
    int BitRateMin;
    int BitRateMax;
    int BitRateDefault;
    CString ExtraOptions;
    CString Profile;
    CString Preset;

protected:
    int ResolveBitRateValue(int value, int source) const;
};

class CVideoCodec : public CMediaCodec {
public:
    CVideoCodec();
    ~CVideoCodec() override;

    int ResolveBitRate(int value, int source) const override;
    int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source) override;
    virtual MediaSize ResolveFrameSize(int width, int height, int sourceWidth, int sourceHeight) const;
    virtual MediaRate ResolveFrameRate(int num, int den, int sourceNum, int sourceDen) const;

    int Align;
    CArray<MediaSize> FrameSizes;
    MediaSize MinSize;
    MediaSize MaxSize;
    MediaSize DefaultSize;
    CArray<MediaRate> Aspects;   // offered to the dialogs only; a preset's aspect passes unchanged
    MediaRate AspectMin;
    MediaRate AspectMax;
    MediaRate AspectDefault;
    CArray<MediaRate> FrameRates;
    MediaRate RateMin;
    MediaRate RateMax;
    MediaRate RateDefault;
    CString PixelFormat;
};

class CAudioCodec : public CMediaCodec {
public:
    CAudioCodec();
    ~CAudioCodec() override;

    int ResolveBitRate(int value, int source) const override;
    int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source) override;
    virtual int ResolveChannels(int value, int source) const;
    virtual int ResolveSampleRate(int value, int source) const;

    CArray<int> ChannelCounts;
    int ChannelsMin;
    int ChannelsMax;
    int ChannelsDefault;
    CArray<int> SampleRates;
    int SampleRateMin;
    int SampleRateMax;
    int SampleRateDefault;
};

class CMediaFormat : public CMediaCatalogItem {
public:
    CMediaFormat();
    ~CMediaFormat() override;

    // Sets DefaultPreset to 0 and the preset list to the format's built-in table.
    virtual int LoadBuiltInPresets() = 0;

    // Resolves the preset against the source streams (either may be null) into 'out', which the
    // caller has zeroed: the muxer in Name, encoder names in the codec fields. Always 1.
    virtual int BuildSettings(PresetSettings& out, const CMediaPreset& preset, const CMediaStream* video,
                              const CMediaStream* audio);
    // Probes the first input (and the separate audio input) and fills the options: 0 or -1. The
    // job's source, when given, lends its probe of the first input if that is the same unchanged
    // file (ProbeJobInput), so that no file is probed twice in one job.
    virtual int PrepareJob(CEncoderOptions& options, const CMediaPreset& preset, const volatile int* cancel,
                           const CJobSourceItem* source);
    // Writes the resolved values into the options; the runner's stream maps, trim and filters stay.
    virtual int FillEncoderOptions(CEncoderOptions& options, const CMediaPreset& preset,
                                   const CMediaStream* video, const CMediaStream* audio);
    // Prepares (with the job's source, or null) and runs the encoder: 0 converted, 1 canceled, -1 failed.
    virtual int Convert(CEncoderOptions& options, const CMediaPreset& preset, CEncoderToolEvents* events,
                        HWND notifyWindow, const volatile int* cancel, const CJobSourceItem* source);

    // "Custom" (any case) gives the custom preset; else the first preset of that name (any case);
    // with no name or no match the first preset, or null on an empty list.
    CMediaPreset* FindPreset(const wchar_t* name) const;
    // Copies the record and attaches the format's codecs; 0 when a codec key of the format's media is unknown.
    int InitPreset(CMediaPreset* preset, const PresetSettings& record) const;
    int SetPresets(const PresetSettings* table, int count);
    void ClearPresets(bool deleteArray);
    CVideoCodec* FindVideoCodec(const wchar_t* key) const;
    CAudioCodec* FindAudioCodec(const wchar_t* key) const;

    int FindMatchingPreset(const CMediaPreset& settings) const;
    CString GetPresetRowText(const CMediaPreset& preset, bool tabbed) const;
    CString GetPresetSummary(const CMediaPreset& preset) const;
    void GetPresetText(const CMediaPreset& preset, CString& name, CString& videoText, CString& audioText) const;

    CString Muxer;
    CString Extension;
    COwningPtrArray<CMediaPreset>* Presets;
    CMediaPreset* CustomPreset;
    int DefaultPreset;
    int LastPreset;
    int CustomRow;
    COwningPtrArray<CVideoCodec>* VideoCodecs;
    int DefaultVideoCodec;
    COwningPtrArray<CAudioCodec>* AudioCodecs;
    int DefaultAudioCodec;
    CString ExtraOptions;

private:
    CMediaFormat(const CMediaFormat&) = delete;
    CMediaFormat& operator=(const CMediaFormat&) = delete;
};
