// The presets store: owns the catalogue and keeps the user's changes to it in the presets file.
#pragma once

#include "conversion/MediaCatalog.h"

class CPresetStore {
public:
    CPresetStore();
    virtual ~CPresetStore();

    // Builds the catalogue and fills the preset lists from the file at path or the built-in tables.
    virtual int Load(const wchar_t* path);
    virtual void Clear();
    virtual int BuildCategories() = 0;
    // Loads the store's own file; a store without one (this base) returns -1.
    virtual int LoadDefaultPresets();

    int LoadPresets();
    // Writes the file when something changed; Dirty keeps its value.
    int Save();
    CMediaFormat* FindFormat(const wchar_t* key) const;

    // 0 read, 1 another version (nothing read), -1 any other failure.
    static int ReadFile(const wchar_t* path, CPresetStore& store);
    // 0 saved, -1 otherwise; a failure leaves any earlier file as it was.
    static int WriteFile(const wchar_t* path, const CPresetStore& store);

    CString Version;
    COwningPtrArray<CMediaCategory> Categories;
    int Dirty;
    CString Path;
    // What Load found at Path: 0 a file it read, or none there (a first start); -1 a file it could
    // not read; 1 a file of another version.
    int FileProblem;
    // Where a file that could not be used was moved aside before the built-in presets replace it;
    // empty when none was, or when it could not be (Save then leaves the file alone).
    CString KeptCopy;

private:
    CPresetStore(const CPresetStore&) = delete;
    CPresetStore& operator=(const CPresetStore&) = delete;
};

// The converter's store with the three categories of output formats.
class CMediaPresetStore : public CPresetStore {
public:
    int BuildCategories() override;
    // "MediaFormats.preset" in the user's data folder.
    int LoadDefaultPresets() override;
};
