// The output formats of the converter and the builders that fill the three categories with them.
#pragma once

#include "conversion/MediaCatalog.h"

struct FormatDef;

// A format built from its catalogue entry: codecs, custom preset and built-in presets.
class CBuiltInFormat : public CMediaFormat {
public:
    // Null when the key is not catalogued (format keys without regard to case).
    static CBuiltInFormat* Create(const wchar_t* key);

    int LoadBuiltInPresets() override;

protected:
    explicit CBuiltInFormat(const FormatDef& def);

private:
    const FormatDef& m_def;
};

// Each appends newly built formats to the category in catalogue order, hidden ones flagged.
void AddVideoFormats(CMediaCategory& category);
void AddAudioFormats(CMediaCategory& category);
void AddDeviceFormats(CMediaCategory& category);

// The animated GIF output: a palette pass, a paletted pass and gifsicle.
class VF_gif : public CBuiltInFormat {
public:
    explicit VF_gif(const FormatDef& def) : CBuiltInFormat(def) {}

    // Probes the source and sets a GIF-only encode at the preset's (or the source's) size.
    int PrepareJob(CEncoderOptions& options, const CMediaPreset& preset, const volatile int* cancel,
                   const CJobSourceItem* source) override;
    // 0 written, 1 canceled in the second pass, negative otherwise.
    int Convert(CEncoderOptions& options, const CMediaPreset& preset, CEncoderToolEvents* events,
                HWND notifyWindow, const volatile int* cancel, const CJobSourceItem* source) override;
};

// HLS: the playlist keeps every segment.
class VF_hls : public CBuiltInFormat {
public:
    explicit VF_hls(const FormatDef& def) : CBuiltInFormat(def) {}

    int FillEncoderOptions(CEncoderOptions& options, const CMediaPreset& preset, const CMediaStream* video,
                           const CMediaStream* audio) override;
};
