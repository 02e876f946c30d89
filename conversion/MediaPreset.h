// The fixed 948-byte preset record shared by the built-in tables, the presets file and the dialogs,
// and the preset object that a format owns.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "framework/String.h"

class CVideoCodec;
class CAudioCodec;
class CMediaFormat;

// Preset-side flag bits.
const UINT PRESET_SAME_QUALITY = 0x1;
const UINT PRESET_STREAM_OFF = 0x20000000;
const UINT PRESET_STREAM_REQUIRED = 0x40000000;
// Record flag of a format's "Custom" preset.
const UINT PRESET_CUSTOM = 0x100000;

const int PRESET_TEXT_SIZE = 64;

struct PresetVideoSettings {
    UINT Flags;
    WCHAR Codec[PRESET_TEXT_SIZE];
    int Width;
    int Height;
    int AspectNum;
    int AspectDen;
    int RateNum;
    int RateDen;
    int BitRate;
    WCHAR Profile[PRESET_TEXT_SIZE];
    WCHAR Preset[PRESET_TEXT_SIZE];
};

struct PresetAudioSettings {
    UINT Flags;
    WCHAR Codec[PRESET_TEXT_SIZE];
    int Channels;
    int SampleRate;
    int BitRate;
    WCHAR Profile[PRESET_TEXT_SIZE];
    WCHAR Preset[PRESET_TEXT_SIZE];
};

// No pointers: the tables are arrays of it and it is copied as bytes.
struct PresetSettings {
    UINT Flags;
    WCHAR Name[PRESET_TEXT_SIZE];
    PresetVideoSettings Video;
    PresetAudioSettings Audio;
};

static_assert(sizeof(WCHAR) == 2, "preset texts are UTF-16");
static_assert(sizeof(PresetSettings) == 948, "stored preset layout");
static_assert(offsetof(PresetSettings, Name) == 4, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Flags) == 132, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Codec) == 136, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Width) == 264, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Height) == 268, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, AspectNum) == 272, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, AspectDen) == 276, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, RateNum) == 280, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, RateDen) == 284, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, BitRate) == 288, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Profile) == 292, "stored preset layout");
static_assert(offsetof(PresetSettings, Video) + offsetof(PresetVideoSettings, Preset) == 420, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, Flags) == 548, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, Codec) == 552, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, Channels) == 680, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, SampleRate) == 684, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, BitRate) == 688, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, Profile) == 692, "stored preset layout");
static_assert(offsetof(PresetSettings, Audio) + offsetof(PresetAudioSettings, Preset) == 820, "stored preset layout");

// Copies text into a record field, cut to fit with its terminator (never inside a surrogate pair).
void SetPresetText(WCHAR (&field)[PRESET_TEXT_SIZE], const wchar_t* text);

class CMediaPreset {
public:
    CMediaPreset();
    virtual ~CMediaPreset();

    // Codec pointers null and the record all zero bytes; UseCount stays.
    void Reset();
    void GetSummaryText(CString& videoText, CString& audioText) const;

    PresetSettings Settings;
    CVideoCodec* VideoCodec;   // not owned: a descriptor of the owning format
    CAudioCodec* AudioCodec;   // not owned
    int UseCount;
};

// True when the two presets hold the same settings (names, aspect, profiles and encoder presets aside).
bool ComparePresetSettings(const CMediaPreset& a, const CMediaPreset& b);
