// The player's resources in Lumivo.exe and in this test program: every bitmap, icon, cursor and PNG
// its windows load, with the sizes, cell counts and mask colours they are loaded with, the icons
// Explorer sees and the dialog templates.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <set>

#include "PlayerTestSupport.h"
#include "ResourceCensus.h"
#include "player/app/PlayerResource.h"
#include "toolkit/UpdateDialogIds.h"

using namespace rescensus;

namespace {

const COLORREF M = RGB(255, 0, 255);
const COLORREF kBar = RGB(48, 48, 48);
const COLORREF kChrome = RGB(32, 32, 32);
const COLORREF kCard = RGB(64, 64, 64);
const COLORREF kHoverRow = RGB(96, 96, 96);

const std::vector<Entry> kPlayerResources = {
    {128, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    {129, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    {200, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    {201, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    {202, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    // Control bar.
    {133, KIND_BITMAP, 24, 24, 5, M, kBar},
    {142, KIND_BITMAP, 24, 24, 5, M, kBar},
    {137, KIND_BITMAP, 24, 24, 5, M, kBar},
    {138, KIND_BITMAP, 24, 24, 5, M, kBar},
    {139, KIND_BITMAP, 24, 24, 5, M, kBar},
    {141, KIND_BITMAP, 24, 24, 4, RGB(0, 0, 0), kBar},
    {215, KIND_BITMAP, 24, 24, 5, M, kBar},
    {153, KIND_BITMAP, 24, 24, 5, M, kBar},
    {154, KIND_BITMAP, 24, 24, 5, M, kBar},
    {143, KIND_BITMAP, 20, 24, 4, M, kBar},
    {149, KIND_BITMAP, 24, 24, 5, M, kBar},
    {135, KIND_BITMAP, 24, 24, 5, M, kBar},
    {131, KIND_BITMAP, 24, 24, 5, M, kBar},
    {144, KIND_BITMAP, 24, 24, 5, M, kBar},
    {146, KIND_BITMAP, 24, 24, 5, M, kBar},
    {211, KIND_BITMAP, 3, 24, 2, M, RGB(80, 80, 80)},
    // Playlist item window.
    {192, KIND_BITMAP, 40, 40, 2, M, kCard},
    {130, KIND_BITMAP, 20, 20, 2, M, kChrome},
    {191, KIND_BITMAP, 40, 40, 3, M, kCard},
    {147, KIND_BITMAP, 20, 20, 3, M, kHoverRow},
    {219, KIND_BITMAP, 24, 24, 3, M, kCard},
    {220, KIND_BITMAP, 20, 20, 3, M, kHoverRow},
    {157, KIND_BITMAP, 32, 32, 3, M, RGB(0, 0, 0)},
    {145, KIND_BITMAP, 16, 16, 2, M, kChrome},
    {162, KIND_BITMAP, 4, 14, 3, M, RGB(120, 120, 120)},
    {214, KIND_BITMAP, 4, 14, 3, M, kChrome},
    {212, KIND_BITMAP, 5, 5, 4, M, kCard},
    // Play window, empty playlist, drag cursors, folder tree spinner, link cursor.
    {213, KIND_BITMAP, 16, 16, 2, M, RGB(0, 0, 0)},
    {156, KIND_PNG, 96, 96, 1, 0, kChrome},
    {155, KIND_PNG, 96, 96, 1, 0, kChrome},
    {136, KIND_CURSOR, 32, 32, 1, 0, RGB(128, 128, 160)},
    {137, KIND_CURSOR, 32, 32, 1, 0, RGB(128, 128, 160)},
    {135, KIND_ANICURSOR, 16, 16, 10, 0, kChrome},
    {401, KIND_CURSOR, 32, 32, 1, 0, RGB(128, 128, 160)},
    {221, KIND_BITMAP, 14, 2, 2, M, RGB(64, 64, 64)},
};

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::set<int>*>(param)->insert((int)(ULONG_PTR)name);
    return TRUE;
}

std::set<int> ResourceIds(HMODULE module, LPCWSTR type)
{
    std::set<int> ids;
    EnumResourceNamesW(module, type, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

CString ProgramPath()
{
    return playertest::GetEnv(L"TEST_BIN_DIR") + L"\\Lumivo.exe";
}

// Lumivo.exe loaded for its resources only (its code does not run).
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_program = LoadLibraryExW(ProgramPath(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(m_program) << CStringA(ProgramPath()).GetString();
    }
    void TearDown() override
    {
        if (m_program)
            FreeLibrary(m_program);
    }
    HMODULE m_program = nullptr;
};

}  // namespace

TEST_F(ProgramResources, EveryDrawnResourceLoadsAsItsWindowsLoadIt)
{
    for (HMODULE module : {m_program, GetModuleHandleW(nullptr)}) {
        SCOPED_TRACE(module == m_program ? "Lumivo.exe" : "the test program");
        for (const Entry& e : kPlayerResources)
            CheckEntry(e, module);
    }
}

TEST_F(ProgramResources, TheExecutableCarriesFiveIconsNoneBelow128AndItsDialogs)
{
    for (HMODULE module : {m_program, GetModuleHandleW(nullptr)}) {
        SCOPED_TRACE(module == m_program ? "Lumivo.exe" : "the test program");
        EXPECT_EQ((std::set<int>{128, 129, 200, 201, 202}), ResourceIds(module, RT_GROUP_ICON));
        // The File Type dialog and both update dialogs; further dialogs come with their windows.
        std::set<int> dialogs = ResourceIds(module, RT_DIALOG);
        for (int id : {IDD_FILE_TYPE, IDD_UPDATE_PROGRESS, IDD_NEW_VERSION})
            EXPECT_EQ(1u, dialogs.count(id)) << "dialog " << id;
    }

    // Explorer finds them by position: 0 program, 1 document, 2 video, 3 audio, 4 playlist.
    EXPECT_EQ(5u, ExtractIconExW(ProgramPath(), -1, nullptr, nullptr, 0));
    HICON icon = nullptr;
    EXPECT_EQ(1u, ExtractIconExW(ProgramPath(), 4, &icon, nullptr, 1));
    if (icon)
        DestroyIcon(icon);
}

TEST(PlayerResources, ShownOnTheirGrounds)
{
    CString saved = ShowAll(kPlayerResources, GetModuleHandleW(nullptr), L"player", L"player-resources");
    EXPECT_FALSE(saved.IsEmpty());
}
