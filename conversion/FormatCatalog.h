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
