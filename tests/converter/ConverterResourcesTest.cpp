// The converter's resources: its icon and cursor, the environment's image lists and the dialogs'
// images, with the sizes, cell counts and mask colours they are loaded with, and the update dialogs.
#include <gtest/gtest.h>

#include <set>

#include "tests/player/ResourceCensus.h"
#include "toolkit/UpdateDialogIds.h"

using namespace rescensus;

namespace {

const COLORREF M = RGB(255, 0, 255);
const COLORREF kDialog = RGB(240, 240, 240);

const std::vector<Entry> kConverterResources = {
    {128, KIND_ICON, 48, 48, 1, 0, RGB(190, 200, 210)},
    {800, KIND_CURSOR, 32, 32, 1, 0, RGB(128, 128, 160)},
    {154, KIND_BITMAP, 12, 12, 1, M, kDialog},
    {141, KIND_BITMAP, 16, 16, 3, M, RGB(255, 255, 255)},
    {166, KIND_BITMAP, 32, 32, 4, M, RGB(64, 64, 64)},
    {702, KIND_BITMAP, 12, 12, 1, M, kDialog},
    {707, KIND_BITMAP, 24, 24, 6, M, RGB(224, 224, 224)},
    {142, KIND_BITMAP, 28, 20, 1, M, kDialog},
    {146, KIND_PNG, 32, 32, 1, 0, RGB(64, 64, 64)},
    // State images: a list draws state n with image n - 1, so image 2 is a spare and empty; the
    // strip is checked apart.
    {701, KIND_BITMAP, 16, 16, 3, RGB(255, 255, 255), RGB(255, 255, 255)},
};

}  // namespace

TEST(ConverterResources, EveryDrawnResourceLoadsAsItsDialogsLoadIt)
{
    for (const Entry& e : kConverterResources) {
        if (e.id == 701)
            continue;
        CheckEntry(e, GetModuleHandleW(nullptr));
    }
    Entry states = kConverterResources.back();
    HIMAGELIST list = nullptr;
    EXPECT_EQ(3, LoadStrip(states, list));
    if (list)
        ImageList_Destroy(list);
}

TEST(ConverterResources, TheUpdateDialogsAreThere)
{
    for (int id : {IDD_UPDATE_PROGRESS, IDD_NEW_VERSION})
        EXPECT_TRUE(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_DIALOG)) << id;
}

TEST(ConverterResources, ShownOnTheirGrounds)
{
    CString saved = ShowAll(kConverterResources, GetModuleHandleW(nullptr), L"converter", L"converter-resources");
    EXPECT_FALSE(saved.IsEmpty());
}
