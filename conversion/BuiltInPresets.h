// The built-in preset tables, one per output format.
#pragma once

#include "conversion/MediaPreset.h"

struct BuiltInPresetTable {
    const wchar_t* FormatKey;
    const PresetSettings* Records;
    int Count;
};

// Null when the format has no table (format keys without regard to case).
const BuiltInPresetTable* FindBuiltInPresets(const wchar_t* formatKey);
int GetBuiltInPresetTableCount();
const BuiltInPresetTable& GetBuiltInPresetTable(int index);
