// The presets store and the presets file "MediaFormats.preset" (UTF-8 XML, one tab per level).
#include "conversion/PresetStore.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include <pugixml.hpp>

#include "conversion/FormatCatalog.h"
#include "conversion/OutputNaming.h"
#include "engine/SystemHelpers.h"

namespace {

const wchar_t* const MakerName = L"Tarvelo Software";
const wchar_t* const ProductName = L"Ravento";

typedef std::vector<const CMediaFormat*> FormatList;

bool FileExists(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Only the user's hidden choice comes from the file; the structural bits are the catalogue's.
void ReadItemAttributes(const pugi::xml_node& node, CMediaCatalogItem& item, int& defaultIndex,
                        const wchar_t* defaultName)
{
    if (pugi::xml_attribute flags = node.attribute(L"Flags"))
        item.Flags = (item.Flags & ~CATALOG_HIDDEN) | (flags.as_uint() & CATALOG_HIDDEN);
    if (pugi::xml_attribute name = node.attribute(L"Name")) item.Name = name.value();
    if (pugi::xml_attribute index = node.attribute(defaultName)) defaultIndex = index.as_int();
}

void ScanPair(const pugi::xml_node& node, const wchar_t* attribute, const wchar_t* format, int& a, int& b)
{
    const wchar_t* text = node.attribute(attribute).value();
    if (!*text) return;
    int x = 0, y = 0;
    if (swscanf(text, format, &x, &y) == 2) {
        a = x;
        b = y;
    }
}

void ReadOptionalText(const pugi::xml_node& node, const wchar_t* attribute, WCHAR (&field)[PRESET_TEXT_SIZE])
{
    if (pugi::xml_attribute text = node.attribute(attribute)) SetPresetText(field, text.value());
}

// Reads a "Preset" or "CustomPreset" element; false when the format cannot take it.
bool ReadPreset(const pugi::xml_node& node, const CMediaFormat& format, CMediaPreset& preset)
{
    PresetSettings record;
    memset(&record, 0, sizeof(record));
    SetPresetText(record.Name, node.attribute(L"Name").value());
    record.Flags = node.attribute(L"Flags").as_uint(0);
    if (format.Flags & FORMAT_VIDEO) {
        pugi::xml_node video = node.child(L"Video");
        if (!video) return false;
        PresetVideoSettings& v = record.Video;
        v.Flags = video.attribute(L"Flags").as_uint(0);
        SetPresetText(v.Codec, video.attribute(L"Codec").value());
        ScanPair(video, L"Resolution", L"%dx%d", v.Width, v.Height);
        ScanPair(video, L"Aspect", L"%d/%d", v.AspectNum, v.AspectDen);
        ScanPair(video, L"FrameRate", L"%d/%d", v.RateNum, v.RateDen);
        v.BitRate = video.attribute(L"BitRate").as_int(0);
        ReadOptionalText(video, L"Profile", v.Profile);
        ReadOptionalText(video, L"Preset", v.Preset);
        if (v.Width == -1 || v.Height == -1 || v.RateNum == -1 || v.RateDen == -1) return false;
    }
    if (format.Flags & FORMAT_AUDIO) {
        pugi::xml_node audio = node.child(L"Audio");
        if (!audio) return false;
        PresetAudioSettings& a = record.Audio;
        a.Flags = audio.attribute(L"Flags").as_uint(0);
        SetPresetText(a.Codec, audio.attribute(L"Codec").value());
        a.Channels = audio.attribute(L"Channel").as_int(0);
        a.SampleRate = audio.attribute(L"SampleRate").as_int(0);
        a.BitRate = audio.attribute(L"BitRate").as_int(0);
        ReadOptionalText(audio, L"Profile", a.Profile);
        ReadOptionalText(audio, L"Preset", a.Preset);
    }
    return format.InitPreset(&preset, record) != 0;
}

void ReadFormat(const pugi::xml_node& node, CMediaFormat& format, FormatList& read)
{
    ReadItemAttributes(node, format, format.DefaultPreset, L"DefaultPreset");
    pugi::xml_node presets = node.child(L"Presets");
    if (!presets) return;
    if (!format.Presets) format.Presets = new COwningPtrArray<CMediaPreset>;
    format.Presets->RemoveAll();
    for (pugi::xml_node child = presets.child(L"Preset"); child; child = child.next_sibling(L"Preset")) {
        CMediaPreset* preset = new CMediaPreset;
        if (ReadPreset(child, format, *preset))
            format.Presets->Add(preset);
        else
            delete preset;
    }
    if (format.DefaultPreset < 0 || format.DefaultPreset >= format.Presets->GetSize()) format.DefaultPreset = 0;
    read.push_back(&format);
    // A rejected custom preset leaves the format's own in place.
    pugi::xml_node custom = node.child(L"CustomPreset");
    if (custom && format.CustomPreset) {
        CMediaPreset candidate;
        if (ReadPreset(custom, format, candidate)) {
            format.CustomPreset->Settings = candidate.Settings;
            format.CustomPreset->VideoCodec = candidate.VideoCodec;
            format.CustomPreset->AudioCodec = candidate.AudioCodec;
        }
    }
}

void ReadCategory(const pugi::xml_node& node, CMediaCategory& category, FormatList& read)
{
    ReadItemAttributes(node, category, category.DefaultFormat, L"DefaultFormat");
    if (pugi::xml_node formats = node.child(L"Formats")) {
        for (INT_PTR i = 0; i < category.Formats.GetSize(); ++i) {
            CMediaFormat* format = category.Formats[i];
            if (pugi::xml_node child = formats.child(format->Id.GetString())) ReadFormat(child, *format, read);
        }
    }
    if (category.DefaultFormat < 0 || category.DefaultFormat >= category.Formats.GetSize()) category.DefaultFormat = 0;
}

int ReadPresetsFile(const wchar_t* path, CPresetStore& store, FormatList& read)
{
    if (!path || !*path || !FileExists(path)) return -1;
    pugi::xml_document doc;
    if (!doc.load_file(path, pugi::parse_default, pugi::encoding_auto)) return -1;
    pugi::xml_node root = doc.child(L"Presets");
    if (!root) return -1;
    if (store.Version.Compare(root.attribute(L"Version").value()) != 0) return 1;
    pugi::xml_node categories = root.child(L"Categories");
    if (!categories) return -1;
    for (INT_PTR i = 0; i < store.Categories.GetSize(); ++i) {
        CMediaCategory* category = store.Categories[i];
        pugi::xml_node node = categories.child(category->Id.GetString());
        if (!node) return -1;
        ReadCategory(node, *category, read);
    }
    return 0;
}

// Moves the file to "<name> (n).bak" beside it under the first name that no earlier kept copy has
// (the move never replaces one): the new path, or empty when it cannot be moved.
CString KeepAside(const CString& path)
{
    const int slash = path.ReverseFind(L'\\');
    const CString folder = slash >= 0 ? path.Left(slash) : CString(L".");
    const CString name = slash >= 0 ? path.Mid(slash + 1) : path;
    // Another copy of the program may take the same name meanwhile: then the next one is tried.
    for (int tries = 0; tries < 100; ++tries) {
        const CString kept = MakeUniqueFilePath(folder, name, L".bak");
        if (MoveFileW(path, kept)) return kept;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    return CString();
}

bool SetText(pugi::xml_node& node, const wchar_t* name, const wchar_t* value)
{
    pugi::xml_attribute attribute = node.append_attribute(name);
    return attribute && attribute.set_value(value);
}

bool SetUnsigned(pugi::xml_node& node, const wchar_t* name, UINT value)
{
    pugi::xml_attribute attribute = node.append_attribute(name);
    return attribute && attribute.set_value(value);
}

bool SetInt(pugi::xml_node& node, const wchar_t* name, int value)
{
    pugi::xml_attribute attribute = node.append_attribute(name);
    return attribute && attribute.set_value(value);
}

bool SetPair(pugi::xml_node& node, const wchar_t* name, const wchar_t* format, int a, int b)
{
    CString text;
    text.Format(format, a, b);
    return SetText(node, name, text);
}

bool WritePreset(pugi::xml_node& parent, const wchar_t* element, const CMediaFormat& format,
                 const CMediaPreset& preset)
{
    pugi::xml_node node = parent.append_child(element);
    if (!node) return false;
    const PresetSettings& s = preset.Settings;
    bool ok = SetText(node, L"Name", s.Name) && SetUnsigned(node, L"Flags", s.Flags);
    if (ok && (format.Flags & FORMAT_VIDEO) && preset.VideoCodec) {
        pugi::xml_node video = node.append_child(L"Video");
        const PresetVideoSettings& v = s.Video;
        ok = video && SetUnsigned(video, L"Flags", v.Flags) && SetText(video, L"Codec", preset.VideoCodec->Id) &&
             SetPair(video, L"Resolution", L"%dx%d", v.Width, v.Height) &&
             SetPair(video, L"Aspect", L"%d/%d", v.AspectNum, v.AspectDen) &&
             SetPair(video, L"FrameRate", L"%d/%d", v.RateNum, v.RateDen) && SetInt(video, L"BitRate", v.BitRate) &&
             (!v.Profile[0] || SetText(video, L"Profile", v.Profile)) &&
             (!v.Preset[0] || SetText(video, L"Preset", v.Preset));
    }
    if (ok && (format.Flags & FORMAT_AUDIO) && preset.AudioCodec) {
        pugi::xml_node audio = node.append_child(L"Audio");
        const PresetAudioSettings& a = s.Audio;
        ok = audio && SetUnsigned(audio, L"Flags", a.Flags) && SetText(audio, L"Codec", preset.AudioCodec->Id) &&
             SetInt(audio, L"Channel", a.Channels) && SetInt(audio, L"SampleRate", a.SampleRate) &&
             SetInt(audio, L"BitRate", a.BitRate) && (!a.Profile[0] || SetText(audio, L"Profile", a.Profile)) &&
             (!a.Preset[0] || SetText(audio, L"Preset", a.Preset));
    }
    return ok;
}

bool WriteFormat(pugi::xml_node& parent, const CMediaFormat& format)
{
    pugi::xml_node node = parent.append_child(format.Id.GetString());
    if (!node || !SetText(node, L"Name", format.Name) || !SetUnsigned(node, L"Flags", format.Flags) ||
        !SetInt(node, L"DefaultPreset", format.DefaultPreset))
        return false;
    pugi::xml_node presets = node.append_child(L"Presets");
    if (!presets) return false;
    if (format.Presets) {
        for (INT_PTR i = 0; i < format.Presets->GetSize(); ++i)
            if (!WritePreset(presets, L"Preset", format, *(*format.Presets)[i])) return false;
    }
    return !format.CustomPreset || WritePreset(node, L"CustomPreset", format, *format.CustomPreset);
}

bool BuildDocument(pugi::xml_document& doc, const CPresetStore& store)
{
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    if (!declaration || !SetText(declaration, L"version", L"1.0") || !SetText(declaration, L"encoding", L"UTF-8"))
        return false;
    pugi::xml_node root = doc.append_child(L"Presets");
    CString generator;
    generator.Format(L"%s %s", MakerName, ProductName);
    if (!root || !SetText(root, L"Version", store.Version) || !SetText(root, L"Generator", generator)) return false;
    pugi::xml_node categories = root.append_child(L"Categories");
    if (!categories) return false;
    for (INT_PTR i = 0; i < store.Categories.GetSize(); ++i) {
        const CMediaCategory& category = *store.Categories[i];
        pugi::xml_node node = categories.append_child(category.Id.GetString());
        if (!node || !SetText(node, L"Name", category.Name) || !SetUnsigned(node, L"Flags", category.Flags) ||
            !SetInt(node, L"DefaultFormat", category.DefaultFormat))
            return false;
        pugi::xml_node formats = node.append_child(L"Formats");
        if (!formats) return false;
        for (INT_PTR j = 0; j < category.Formats.GetSize(); ++j)
            if (!WriteFormat(formats, *category.Formats[j])) return false;
    }
    return true;
}

} // namespace

CPresetStore::CPresetStore() : Version(L"4.0.0"), Dirty(0), FileProblem(0) {}

CPresetStore::~CPresetStore()
{
    Clear();
}

int CPresetStore::Load(const wchar_t* path)
{
    Clear();
    if (BuildCategories() != 0) return -1;
    Path = path;
    LoadPresets();
    return 0;
}

void CPresetStore::Clear() {}

int CPresetStore::LoadDefaultPresets()
{
    return -1;
}

int CPresetStore::LoadPresets()
{
    FormatList read;
    int result = -1;
    FileProblem = 0;
    KeptCopy.Empty();
    try {
        result = Path.IsEmpty() ? -1 : ReadPresetsFile(Path, *this, read);
    } catch (...) {
        result = -1;
    }
    if (result != 0) {
        Dirty = 1;
        // The next save replaces a file that could not be used, damaged or of another version: the
        // user's copy is moved aside first, never over an earlier kept copy.
        if (!Path.IsEmpty() && FileExists(Path)) {
            FileProblem = result < 0 ? -1 : 1;
            KeptCopy = KeepAside(Path);
        }
    }
    // A format the file did not give presets to keeps its built-in ones rather than none.
    for (INT_PTR i = 0; i < Categories.GetSize(); ++i) {
        CMediaCategory* category = Categories[i];
        for (INT_PTR j = 0; j < category->Formats.GetSize(); ++j) {
            CMediaFormat* format = category->Formats[j];
            if (std::find(read.begin(), read.end(), format) != read.end()) continue;
            format->LoadBuiltInPresets();
            Dirty = 1;
        }
    }
    return 0;
}

int CPresetStore::Save()
{
    if (Categories.IsEmpty() || Path.IsEmpty() || !Dirty) return 1;
    // A file that could not be used and could not be moved aside is still the user's only copy.
    if (FileProblem != 0 && KeptCopy.IsEmpty()) return -1;
    return WriteFile(Path, *this);
}

CMediaFormat* CPresetStore::FindFormat(const wchar_t* key) const
{
    if (!key) return nullptr;
    for (INT_PTR i = 0; i < Categories.GetSize(); ++i) {
        const CMediaCategory* category = Categories[i];
        for (INT_PTR j = 0; j < category->Formats.GetSize(); ++j)
            if (category->Formats[j]->Id.CompareNoCase(key) == 0) return category->Formats[j];
    }
    return nullptr;
}

int CPresetStore::ReadFile(const wchar_t* path, CPresetStore& store)
{
    FormatList read;
    try {
        return ReadPresetsFile(path, store, read);
    } catch (...) {
        return -1;
    }
}

int CPresetStore::WriteFile(const wchar_t* path, const CPresetStore& store)
{
    if (!path || !*path) return -1;
    const CString target = path;
    const CString temporary = target + L".tmp";
    bool saved = false;
    try {
        pugi::xml_document doc;
        saved = BuildDocument(doc, store) &&
                doc.save_file(temporary.GetString(), L"\t", pugi::format_default, pugi::encoding_utf8);
    } catch (...) {
        saved = false;
    }
    if (saved && MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    DeleteFileW(temporary);
    return -1;
}

int CMediaPresetStore::BuildCategories()
{
    Categories.RemoveAll();
    struct CategoryDef {
        const wchar_t* Id;
        const wchar_t* Name;
        int Media;
        UINT Flags;
        void (*Fill)(CMediaCategory&);
    };
    static const CategoryDef defs[] = {
        {L"MFC_Video", L"Video", 1, CATEGORY_ITEM, AddVideoFormats},
        {L"MFC_Audio", L"Audio", 2, CATEGORY_ITEM, AddAudioFormats},
        {L"MFC_Video_Devices", L"Video for Devices", 0, CATEGORY_ITEM | FORMAT_DEVICE, AddDeviceFormats},
    };
    for (const CategoryDef& def : defs) {
        CMediaCategory* category = new CMediaCategory;
        category->Id = def.Id;
        category->Name = def.Name;
        category->Media = def.Media;
        category->Flags = def.Flags;
        def.Fill(*category);
        Categories.Add(category);
    }
    return 0;
}

int CMediaPresetStore::LoadDefaultPresets()
{
    return Load(GetUserDataFolder() + L"\\MediaFormats.preset");
}
