// The presets store and its file: round trip, every failure path, and what a bad file may not cost.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>

#include <pugixml.hpp>

#include "conversion/MediaPreset.h"
#include "conversion/PresetStore.h"
#include "engine/SystemHelpers.h"

namespace {

std::wstring TempRoot()
{
    wchar_t buffer[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TEST_TEMP_DIR", buffer, MAX_PATH)) GetTempPathW(MAX_PATH, buffer);
    std::wstring root = buffer;
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    return root;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

class PresetsFile : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = TempRoot() + L"presets_" + std::wstring(info->name(), info->name() + strlen(info->name()));
        CreateDirectoryW(folder.c_str(), nullptr);
        path = folder + L"\\MediaFormats.preset";
        DeleteFileW(path.c_str());
        DeleteFileW((path + L".bak").c_str());
        DeleteFileW((path + L".tmp").c_str());
        RemoveDirectoryW((path + L".tmp").c_str());
    }

    // A file holding the built-in catalogue, changed by edit before it is written back.
    void MakeFile(const std::function<void(pugi::xml_document&)>& edit)
    {
        CMediaPresetStore source;
        ASSERT_EQ(0, source.Load(L""));
        ASSERT_EQ(0, CPresetStore::WriteFile(path.c_str(), source));
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(path.c_str()));
        edit(doc);
        ASSERT_TRUE(doc.save_file(path.c_str(), L"\t", pugi::format_default, pugi::encoding_utf8));
    }

    static pugi::xml_node FormatNode(pugi::xml_document& doc, const wchar_t* category, const wchar_t* format)
    {
        return doc.child(L"Presets").child(L"Categories").child(category).child(L"Formats").child(format);
    }

    static int PresetCount(const CMediaFormat* format) { return format ? (int)format->Presets->GetSize() : -1; }

    std::wstring folder;
    std::wstring path;
};

TEST_F(PresetsFile, MissingFileGivesBuiltInPresetsAndIsWrittenOnSave)
{
    CMediaPresetStore store;
    ASSERT_EQ(0, store.Load(path.c_str()));
    EXPECT_EQ(1, store.Dirty);
    // A first start: nothing was there to be told of or kept.
    EXPECT_EQ(0, store.FileProblem);
    EXPECT_TRUE(store.KeptCopy.IsEmpty());
    EXPECT_FALSE(Exists(path + L".bak"));
    EXPECT_EQ(28, PresetCount(store.FindFormat(L"VF_mp4")));
    EXPECT_EQ(57, PresetCount(store.FindFormat(L"VF_Samsung.phone")));
    EXPECT_EQ(-1, CPresetStore::ReadFile(path.c_str(), store));
    EXPECT_EQ(-1, CPresetStore::ReadFile(L"", store));

    EXPECT_EQ(0, store.Save());
    EXPECT_EQ(1, store.Dirty);
    const std::string text = ReadBytes(path);
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_NE(std::string::npos, text.find("<Presets Version=\"4.0.0\" Generator=\"Tarvelo Software Ravento\">"));
    EXPECT_NE(std::string::npos, text.find("\n\t<Categories>\n\t\t<MFC_Video Name=\"Video\" Flags=\"2097152\" DefaultFormat=\"0\">"));
    EXPECT_NE(std::string::npos, text.find("<VF_mp4.web Name=\"MP4 for Web\""));
    EXPECT_NE(std::string::npos, text.find("Name=\"Kindle Fire HD 7&quot;\""));
    EXPECT_EQ(std::string::npos, text.find("Preset=\"\""));   // empty encoder presets are not written

    // Saving without a change writes nothing.
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    store.Dirty = 0;
    EXPECT_EQ(1, store.Save());
    EXPECT_FALSE(Exists(path));
}

TEST_F(PresetsFile, RoundTripOfTheWholeCatalogue)
{
    CMediaPresetStore first;
    ASSERT_EQ(0, first.Load(path.c_str()));
    first.Categories[2]->DefaultFormat = 4;
    first.Categories[1]->Flags |= CATALOG_HIDDEN;
    CMediaFormat* mp4 = first.FindFormat(L"VF_mp4");
    mp4->Flags |= CATALOG_HIDDEN;
    mp4->DefaultPreset = 3;
    first.FindFormat(L"AF_m4a")->Flags &= ~CATALOG_HIDDEN;
    SetPresetText(mp4->CustomPreset->Settings.Name, L"My \"best\" <clip> & more");
    mp4->CustomPreset->Settings.Video.Width = 1000;
    mp4->CustomPreset->Settings.Video.AspectNum = 4;
    mp4->CustomPreset->Settings.Video.AspectDen = 3;
    SetPresetText(mp4->CustomPreset->Settings.Audio.Profile, L"aac_he");
    ASSERT_EQ(0, first.Save());

    CMediaPresetStore second;
    ASSERT_EQ(0, second.Load(path.c_str()));
    EXPECT_EQ(0, second.Dirty);
    ASSERT_EQ(first.Categories.GetSize(), second.Categories.GetSize());
    int formats = 0;
    for (INT_PTR i = 0; i < first.Categories.GetSize(); ++i) {
        const CMediaCategory& a = *first.Categories[i];
        const CMediaCategory& b = *second.Categories[i];
        EXPECT_EQ(a.Flags, b.Flags);
        EXPECT_EQ(a.Name, b.Name);
        EXPECT_EQ(a.DefaultFormat, b.DefaultFormat);
        ASSERT_EQ(a.Formats.GetSize(), b.Formats.GetSize());
        for (INT_PTR j = 0; j < a.Formats.GetSize(); ++j, ++formats) {
            const CMediaFormat& fa = *a.Formats[j];
            const CMediaFormat& fb = *b.Formats[j];
            const wchar_t* key = fa.Id.GetString();
            EXPECT_EQ(fa.Flags, fb.Flags) << key;
            EXPECT_EQ(fa.Name, fb.Name) << key;
            EXPECT_EQ(fa.DefaultPreset, fb.DefaultPreset) << key;
            ASSERT_EQ(fa.Presets->GetSize(), fb.Presets->GetSize()) << key;
            for (INT_PTR k = 0; k < fa.Presets->GetSize(); ++k) {
                const CMediaPreset& pa = *(*fa.Presets)[k];
                const CMediaPreset& pb = *(*fb.Presets)[k];
                EXPECT_EQ(0, memcmp(&pa.Settings, &pb.Settings, sizeof(PresetSettings))) << key << " " << k;
                EXPECT_STREQ(pa.VideoCodec ? pa.VideoCodec->Id.GetString() : L"",
                             pb.VideoCodec ? pb.VideoCodec->Id.GetString() : L"");
                EXPECT_EQ(pb.VideoCodec, fb.FindVideoCodec(pb.Settings.Video.Codec));
            }
            EXPECT_EQ(0, memcmp(&fa.CustomPreset->Settings, &fb.CustomPreset->Settings, sizeof(PresetSettings))) << key;
        }
    }
    EXPECT_EQ(88, formats);
    EXPECT_STREQ(L"My \"best\" <clip> & more", second.FindFormat(L"VF_mp4")->CustomPreset->Settings.Name);
    // Built-in profiles and encoder presets survive the file.
    EXPECT_STREQ(L"libvpx-1080p", second.FindFormat(L"VF_webm")->FindPreset(L"VP8 - HD 1080p")->Settings.Video.Preset);
    EXPECT_STREQ(L"baseline", second.FindFormat(L"VF_Android")->FindPreset(L"H.264 - 240p")->Settings.Video.Profile);
}

TEST_F(PresetsFile, ParseErrorFallsBackAndKeepsTheUsersCopy)
{
    const std::string broken = "<?xml version=\"1.0\"?><Presets Version=\"4.0.0\"><Categories>";
    WriteBytes(path, broken);
    CMediaPresetStore store;
    EXPECT_EQ(-1, CPresetStore::ReadFile(path.c_str(), store));
    ASSERT_EQ(0, store.Load(path.c_str()));
    EXPECT_EQ(1, store.Dirty);
    EXPECT_EQ(5, PresetCount(store.FindFormat(L"AF_mp3")));
    EXPECT_EQ(broken, ReadBytes(path + L".bak"));
    ASSERT_EQ(0, store.Save());
    CMediaPresetStore again;
    again.Load(path.c_str());
    EXPECT_EQ(0, again.Dirty);
}

// Whatever way a file is damaged, the store starts on the built-in presets and the damaged file
// is kept aside under a name no earlier kept copy has, so a second damage never costs the first.
TEST_F(PresetsFile, EveryDamagedFileIsKeptUnderANameOfItsOwn)
{
    const std::wstring kept[] = {path + L".bak", folder + L"\\MediaFormats.preset (1).bak",
                                 folder + L"\\MediaFormats.preset (2).bak", folder + L"\\MediaFormats.preset (3).bak"};
    for (const std::wstring& name : kept) DeleteFileW(name.c_str());
    std::string whole;
    {
        CMediaPresetStore source;
        ASSERT_EQ(0, source.Load(L""));
        ASSERT_EQ(0, CPresetStore::WriteFile(path.c_str(), source));
        whole = ReadBytes(path);
        ASSERT_GT(whole.size(), 1000u);
    }
    const std::string damages[] = {
        whole.substr(0, whole.size() / 2),                        // cut off in the middle
        std::string("\x8f\x03\xfe\x11 not xml at all \x00\x7f", 22),  // random bytes
        std::string(),                                           // nothing at all
        "<?xml version=\"1.0\"?><Playlist Version=\"4.0.0\"/>",  // another document
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        WriteBytes(path, damages[i]);
        CMediaPresetStore store;
        ASSERT_EQ(0, store.Load(path.c_str()));
        EXPECT_EQ(1, store.Dirty);
        EXPECT_EQ(28, PresetCount(store.FindFormat(L"VF_mp4")));
        EXPECT_EQ(-1, store.FileProblem);
        EXPECT_STREQ(kept[i].c_str(), store.KeptCopy);
        ASSERT_EQ(0, store.Save());
        // The file is whole again, and every copy kept so far still holds what it held.
        CMediaPresetStore again;
        ASSERT_EQ(0, again.Load(path.c_str()));
        EXPECT_EQ(0, again.Dirty);
        EXPECT_EQ(0, again.FileProblem);
        EXPECT_TRUE(again.KeptCopy.IsEmpty());
        for (int j = 0; j <= i; ++j) {
            EXPECT_TRUE(Exists(kept[j])) << j;
            EXPECT_TRUE(damages[j] == ReadBytes(kept[j])) << j;
        }
    }
    for (const std::wstring& name : kept) DeleteFileW(name.c_str());
}

// A damaged file that cannot be moved aside (another program holds it without letting it be
// moved) is the user's only copy: the store runs on the built-in presets and leaves it as it is.
TEST_F(PresetsFile, ADamagedFileThatCannotBeKeptAsideIsNotReplaced)
{
    const std::string broken = "<?xml version=\"1.0\"?><Presets Version=\"4.0.0\"><Categ";
    WriteBytes(path, broken);
    CMediaPresetStore store;
    {
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(0, store.Load(path.c_str()));
        CloseHandle(held);
    }
    EXPECT_EQ(-1, store.FileProblem);
    EXPECT_TRUE(store.KeptCopy.IsEmpty());
    EXPECT_FALSE(Exists(path + L".bak"));
    EXPECT_EQ(28, PresetCount(store.FindFormat(L"VF_mp4")));
    EXPECT_EQ(1, store.Dirty);
    EXPECT_EQ(-1, store.Save());
    EXPECT_TRUE(broken == ReadBytes(path));
}

TEST_F(PresetsFile, OtherVersionIsNotReadAtAll)
{
    MakeFile([](pugi::xml_document& doc) {
        doc.child(L"Presets").attribute(L"Version").set_value(L"3.0.0");
        FormatNode(doc, L"MFC_Audio", L"AF_mp3").child(L"Presets").remove_child(L"Preset");
        FormatNode(doc, L"MFC_Audio", L"AF_mp3").attribute(L"Name").set_value(L"Changed");
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    EXPECT_EQ(1, CPresetStore::ReadFile(path.c_str(), store));
    EXPECT_STREQ(L"MP3", store.FindFormat(L"AF_mp3")->Name);

    const std::string older = ReadBytes(path);
    ASSERT_EQ(0, store.Load(path.c_str()));
    EXPECT_EQ(1, store.Dirty);
    EXPECT_EQ(5, PresetCount(store.FindFormat(L"AF_mp3")));
    // Replaced, as such a file is meant to be, but the user's presets in it are kept aside first.
    EXPECT_EQ(1, store.FileProblem);
    EXPECT_STREQ((path + L".bak").c_str(), store.KeptCopy);
    EXPECT_TRUE(older == ReadBytes(path + L".bak"));
    ASSERT_EQ(0, store.Save());
    EXPECT_NE(std::string::npos, ReadBytes(path).find("Version=\"4.0.0\""));
    DeleteFileW((path + L".bak").c_str());

    // A missing version is another version too.
    MakeFile([](pugi::xml_document& doc) { doc.child(L"Presets").remove_attribute(L"Version"); });
    EXPECT_EQ(1, CPresetStore::ReadFile(path.c_str(), store));
}

TEST_F(PresetsFile, MissingRootOrCategories)
{
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    WriteBytes(path, "<?xml version=\"1.0\"?><Other/>");
    EXPECT_EQ(-1, CPresetStore::ReadFile(path.c_str(), store));
    WriteBytes(path, "<?xml version=\"1.0\"?><Presets Version=\"4.0.0\"/>");
    EXPECT_EQ(-1, CPresetStore::ReadFile(path.c_str(), store));
}

TEST_F(PresetsFile, MissingCategoryKeepsWhatWasRead)
{
    MakeFile([](pugi::xml_document& doc) {
        pugi::xml_node mp4 = FormatNode(doc, L"MFC_Video", L"VF_mp4");
        mp4.attribute(L"Flags").set_value(0x20000003u);
        pugi::xml_node presets = mp4.child(L"Presets");
        while (presets.last_child() != presets.first_child()) presets.remove_child(presets.last_child());
        presets.first_child().attribute(L"Name").set_value(L"Mine");
        doc.child(L"Presets").child(L"Categories").remove_child(L"MFC_Video_Devices");
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    EXPECT_EQ(-1, CPresetStore::ReadFile(path.c_str(), store));

    ASSERT_EQ(0, store.Load(path.c_str()));
    EXPECT_EQ(1, store.Dirty);
    CMediaFormat* mp4 = store.FindFormat(L"VF_mp4");
    ASSERT_EQ(1, PresetCount(mp4));
    EXPECT_STREQ(L"Mine", (*mp4->Presets)[0]->Settings.Name);
    EXPECT_TRUE(mp4->Flags & CATALOG_HIDDEN);
    EXPECT_EQ(27, PresetCount(store.FindFormat(L"VF_Apple.iPhone")));
    EXPECT_TRUE(Exists(path + L".bak"));

    // The rewritten file is complete again, and the user's list is in it.
    ASSERT_EQ(0, store.Save());
    CMediaPresetStore again;
    ASSERT_EQ(0, again.Load(path.c_str()));
    EXPECT_EQ(0, again.Dirty);
    EXPECT_EQ(1, PresetCount(again.FindFormat(L"VF_mp4")));
}

TEST_F(PresetsFile, RejectedPresetsAreDropped)
{
    MakeFile([](pugi::xml_document& doc) {
        // VF_mp4: one preset naming a codec it lacks.
        pugi::xml_node presets = FormatNode(doc, L"MFC_Video", L"VF_mp4").child(L"Presets");
        while (presets.first_child() != presets.last_child()) presets.remove_child(presets.last_child());
        presets.first_child().child(L"Video").attribute(L"Codec").set_value(L"VC_wmv2");
        // VF_flv: of eight, a bad resolution, an empty one, no video, an empty codec, a -1 rate.
        pugi::xml_node flv = FormatNode(doc, L"MFC_Video", L"VF_flv").child(L"Presets");
        pugi::xml_node p = flv.first_child();
        p.child(L"Video").attribute(L"Resolution").set_value(L"-1x720");
        p = p.next_sibling();
        p.child(L"Video").attribute(L"Resolution").set_value(L"");
        p.child(L"Video").attribute(L"FrameRate").set_value(L"bad");
        p = p.next_sibling();
        p.remove_child(L"Video");
        p = p.next_sibling();
        p.child(L"Video").attribute(L"Codec").set_value(L"");
        p = p.next_sibling();
        p.child(L"Video").attribute(L"FrameRate").set_value(L"25/-1");
        p = p.next_sibling();
        p.child(L"Video").attribute(L"FrameRate").set_value(L"-1/1");
        p = p.next_sibling();
        p.remove_child(L"Audio");
        FormatNode(doc, L"MFC_Video", L"VF_flv").attribute(L"DefaultPreset").set_value(2);
        // Indexes at the count fall back to 0.
        FormatNode(doc, L"MFC_Audio", L"AF_mp3").attribute(L"DefaultPreset").set_value(5);
        doc.child(L"Presets").child(L"Categories").child(L"MFC_Audio").attribute(L"DefaultFormat").set_value(28);
        doc.child(L"Presets").child(L"Categories").child(L"MFC_Video").attribute(L"DefaultFormat").set_value(36);
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    EXPECT_EQ(0, CPresetStore::ReadFile(path.c_str(), store));
    EXPECT_EQ(0, PresetCount(store.FindFormat(L"VF_mp4")));
    CMediaFormat* flv = store.FindFormat(L"VF_flv");
    ASSERT_EQ(2, PresetCount(flv));
    EXPECT_STREQ(L"240p", (*flv->Presets)[0]->Settings.Name);
    EXPECT_EQ(0, (*flv->Presets)[0]->Settings.Video.Width);   // empty resolution: Auto
    EXPECT_EQ(0, (*flv->Presets)[0]->Settings.Video.RateNum);
    EXPECT_STREQ(L"For Web - 640x480", (*flv->Presets)[1]->Settings.Name);
    EXPECT_EQ(0, flv->DefaultPreset);
    EXPECT_EQ(0, store.FindFormat(L"AF_mp3")->DefaultPreset);
    EXPECT_EQ(0, store.Categories[1]->DefaultFormat);
    EXPECT_EQ(36, store.Categories[0]->DefaultFormat);
}

TEST_F(PresetsFile, RejectedCustomPresetKeepsTheFormatsOwn)
{
    MakeFile([](pugi::xml_document& doc) {
        pugi::xml_node mp4 = FormatNode(doc, L"MFC_Video", L"VF_mp4").child(L"CustomPreset");
        mp4.child(L"Video").attribute(L"Codec").set_value(L"VC_unknown");
        pugi::xml_node mov = FormatNode(doc, L"MFC_Video", L"VF_mov").child(L"CustomPreset");
        mov.child(L"Video").attribute(L"Resolution").set_value(L"640x480");
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.BuildCategories());
    const PresetSettings before = store.FindFormat(L"VF_mp4")->CustomPreset->Settings;
    EXPECT_EQ(0, CPresetStore::ReadFile(path.c_str(), store));
    const CMediaPreset* custom = store.FindFormat(L"VF_mp4")->CustomPreset;
    EXPECT_EQ(0, memcmp(&before, &custom->Settings, sizeof(before)));
    EXPECT_NE(nullptr, custom->VideoCodec);
    EXPECT_EQ(640, store.FindFormat(L"VF_mov")->CustomPreset->Settings.Video.Width);
}

TEST_F(PresetsFile, FileFlagsChangeOnlyTheHiddenBit)
{
    MakeFile([](pugi::xml_document& doc) {
        FormatNode(doc, L"MFC_Audio", L"AF_mp3").attribute(L"Flags").set_value(0xFFFFFFFFu);
        FormatNode(doc, L"MFC_Audio", L"AF_m4a").attribute(L"Flags").set_value(0u);
        doc.child(L"Presets").child(L"Categories").child(L"MFC_Video_Devices").attribute(L"Flags").set_value(0x20000000u);
        FormatNode(doc, L"MFC_Audio", L"AF_aac").remove_attribute(L"Flags");
        FormatNode(doc, L"MFC_Audio", L"AF_aac").remove_attribute(L"Name");
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.Load(path.c_str()));
    EXPECT_EQ(0x20000002u, store.FindFormat(L"AF_mp3")->Flags);
    EXPECT_EQ(0x2u, store.FindFormat(L"AF_m4a")->Flags);
    EXPECT_EQ(0x20200100u, store.Categories[2]->Flags);
    EXPECT_EQ(0x2u, store.FindFormat(L"AF_aac")->Flags);
    EXPECT_STREQ(L"AAC", store.FindFormat(L"AF_aac")->Name);
}

TEST_F(PresetsFile, OlderFilesWithoutProfilesReadAsBefore)
{
    MakeFile([](pugi::xml_document& doc) {
        pugi::xml_node presets = FormatNode(doc, L"MFC_Video", L"VF_mp4").child(L"Presets");
        for (pugi::xml_node p = presets.first_child(); p; p = p.next_sibling()) p.child(L"Video").remove_attribute(L"Profile");
        FormatNode(doc, L"MFC_Video_Devices", L"VF_Apple.iPhone").parent().remove_child(L"VF_Apple.iPhone");
    });
    CMediaPresetStore store;
    ASSERT_EQ(0, store.Load(path.c_str()));
    CMediaFormat* mp4 = store.FindFormat(L"VF_mp4");
    ASSERT_EQ(28, PresetCount(mp4));
    EXPECT_EQ(0, mp4->FindPreset(L"H.264 - HD 720p")->Settings.Video.Profile[0]);
    // A format the file does not mention is not left without presets.
    EXPECT_EQ(27, PresetCount(store.FindFormat(L"VF_Apple.iPhone")));
    EXPECT_EQ(1, store.Dirty);
}

TEST_F(PresetsFile, FailedSaveLeavesTheOldFile)
{
    CMediaPresetStore store;
    ASSERT_EQ(0, store.Load(path.c_str()));
    ASSERT_EQ(0, store.Save());
    const std::string before = ReadBytes(path);
    ASSERT_FALSE(before.empty());
    // The temporary name taken by a folder makes the save fail before anything is replaced.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    store.FindFormat(L"VF_mp4")->Name = L"Changed";
    EXPECT_EQ(-1, store.Save());
    EXPECT_EQ(before, ReadBytes(path));
    RemoveDirectoryW((path + L".tmp").c_str());

    EXPECT_EQ(-1, CPresetStore::WriteFile((folder + L"\\missing\\x.preset").c_str(), store));
    EXPECT_EQ(-1, CPresetStore::WriteFile(L"", store));
}

TEST_F(PresetsFile, DefaultFileIsTheOneInTheUserDataFolder)
{
    path = std::wstring(GetUserDataFolder().GetString()) + L"\\MediaFormats.preset";
    MakeFile([](pugi::xml_document& doc) {
        FormatNode(doc, L"MFC_Video", L"VF_mp4").attribute(L"Name").set_value(L"MP4 of the user");
    });
    CMediaPresetStore store;
    EXPECT_EQ(0, store.LoadDefaultPresets());
    EXPECT_STREQ(path.c_str(), store.Path);
    ASSERT_NE(nullptr, store.FindFormat(L"VF_mp4"));
    EXPECT_STREQ(L"MP4 of the user", store.FindFormat(L"VF_mp4")->Name);
    EXPECT_EQ(0, store.Dirty);
    DeleteFileW(path.c_str());
}

} // namespace

TEST_F(PresetsFile, ARateStoredInThousandthsIsKeptAsStoredAndStillMatchesTheNtscRate)
{
    // What an older Animated GIF Maker stored for 29.97 frames per second.
    MakeFile([](pugi::xml_document& doc) {
        FormatNode(doc, L"MFC_Video", L"VF_mp4").child(L"Presets").first_child().child(L"Video").attribute(L"FrameRate").set_value(
            L"29970/1000");
    });
    for (int round = 0; round < 2; ++round) {
        CMediaPresetStore store;
        ASSERT_EQ(0, store.BuildCategories());
        ASSERT_EQ(0, CPresetStore::ReadFile(path.c_str(), store));
        const CMediaPreset& stored = *(*store.FindFormat(L"VF_mp4")->Presets)[0];
        EXPECT_EQ(29970, stored.Settings.Video.RateNum) << round;
        EXPECT_EQ(1000, stored.Settings.Video.RateDen) << round;
        CMediaPreset ntsc;
        ntsc.Settings = stored.Settings;
        ntsc.VideoCodec = stored.VideoCodec;
        ntsc.AudioCodec = stored.AudioCodec;
        ntsc.Settings.Video.RateNum = 30000;
        ntsc.Settings.Video.RateDen = 1001;
        EXPECT_TRUE(ComparePresetSettings(stored, ntsc));
        // Written back as it was read.
        ASSERT_EQ(0, CPresetStore::WriteFile(path.c_str(), store));
    }
}
