// The preset manager: the formats tree, adding, editing, deleting, reordering, the default, reset
// and reset all, hidden formats, and the presets file after each close; presets that a stand-in
// conversion dialog holds are never deleted under it, every preset is destroyed exactly once, and
// each image list of the dialog has one owner.
#include <gtest/gtest.h>

#include <functional>

#include "ConverterTestSupport.h"
#include "conversion/MediaPreset.h"
#include "converter/app/ConverterResource.h"
#include "converter/presets/PresetManagerDialog.h"
#include "tests/common/GdiCount.h"

using namespace convertertest;

namespace {

// The manager with the preset settings dialog replaced by the test's edit.
class CTestManager : public CPresetManagerDialog {
public:
    using CPresetManagerDialog::CPresetManagerDialog;
    INT_PTR EditPreset(CMediaPreset* pPreset) override
    {
        ++edits;
        return edit ? edit(*pPreset) : IDCANCEL;
    }
    std::function<INT_PTR(CMediaPreset&)> edit;
    int edits = 0;
};

// A conversion dialog's format selector as far as the manager is concerned: it holds one preset.
class CStandInSelector : public CPresetManagerClient {
public:
    void Hold(CMediaFormat* format, CMediaPreset* preset)
    {
        m_format = format;
        m_held = preset;
        if (preset)
            ++preset->UseCount;
    }
    void OnPresetsReleased(CMediaFormat* pFormat) override
    {
        ++released;
        // Dropped without touching it: the preset is about to go.
        if (!pFormat || pFormat == m_format)
            m_held = nullptr;
    }
    CMediaPreset* Held() const { return m_held; }
    int released = 0;

private:
    CMediaFormat* m_format = nullptr;
    CMediaPreset* m_held = nullptr;
};

class PresetManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        m_liveBeforeStore = LivePresetObjects();
        m_store.reset(new CTestStore);
    }
    void TearDown() override
    {
        if (m_manager && m_manager->m_hWnd)
            m_manager->DestroyWindow();
        m_manager.reset();
        m_store.reset();
        m_app.reset();
    }
    CTestManager& Open()
    {
        if (m_manager && m_manager->m_hWnd)
            m_manager->DestroyWindow();
        m_manager.reset(new CTestManager(m_store.get(), &m_selector, nullptr));
        EXPECT_TRUE(m_manager->Create(IDD_PRESET_MANAGER, nullptr));
        m_manager->ShowWindow(SW_SHOW);
        return *m_manager;
    }
    // Closes the manager and reads its file back into a store of its own.
    std::unique_ptr<CMediaPresetStore> CloseAndReread()
    {
        m_manager->DestroyWindow();
        std::unique_ptr<CMediaPresetStore> reread(new CMediaPresetStore);
        EXPECT_EQ(0, reread->Load(m_store->Path));
        EXPECT_EQ(0, reread->Dirty);  // the file was read, not replaced by built-in presets
        return reread;
    }
    HTREEITEM FindFormatItem(LPCWSTR key)
    {
        CTreeCtrl& tree = m_manager->m_tree;
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
            for (HTREEITEM child = tree.GetChildItem(root); child; child = tree.GetNextSiblingItem(child))
                if (reinterpret_cast<CMediaCatalogItem*>(tree.GetItemData(child))->Id.CompareNoCase(key) == 0)
                    return child;
        return nullptr;
    }
    void ShowFormat(LPCWSTR key)
    {
        HTREEITEM item = FindFormatItem(key);
        ASSERT_TRUE(item != nullptr);
        m_manager->m_tree.SelectItem(item);
        ASSERT_EQ(m_store->FindFormat(key), m_manager->GetShownFormat());
    }
    void SelectRow(int row) { SelectListRow(m_manager->m_list, row, TRUE, TRUE); }
    void Press(UINT id) { m_manager->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool ButtonEnabled(UINT id)
    {
        m_manager->UpdateDialogControls(m_manager.get(), FALSE);
        return ::IsWindowEnabled(::GetDlgItem(m_manager->m_hWnd, (int)id)) != FALSE;
    }
    std::vector<CString> RowNames()
    {
        std::vector<CString> names;
        for (int r = 0; r < m_manager->GetRowCount(); ++r)
            names.push_back(m_manager->m_list.GetItemText(r, 0));
        return names;
    }
    static std::vector<CString> Names(const CMediaFormat* format)
    {
        std::vector<CString> names;
        for (INT_PTR i = 0; format->Presets && i < format->Presets->GetSize(); ++i)
            names.push_back((*format->Presets)[i]->Settings.Name);
        return names;
    }

    std::unique_ptr<CConverterTestApp> m_app;
    std::unique_ptr<CTestStore> m_store;
    std::unique_ptr<CTestManager> m_manager;
    CStandInSelector m_selector;
    long m_liveBeforeStore = 0;
};

}  // namespace

TEST_F(PresetManager, TheTreeListsEveryCategoryAndFormatAndTheListTheFirstFormatsPresets)
{
    CTestManager& manager = Open();
    CTreeCtrl& tree = manager.m_tree;
    int roots = 0, children = 0;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
        ++roots;
        EXPECT_TRUE(tree.GetItemState(root, TVIS_BOLD) & TVIS_BOLD);
        EXPECT_TRUE(tree.GetCheck(root));
        for (HTREEITEM child = tree.GetChildItem(root); child; child = tree.GetNextSiblingItem(child))
            ++children;
    }
    EXPECT_EQ(m_store->Categories.GetSize(), roots);
    EXPECT_GT(children, 20);
    CMediaFormat* first = m_store->Categories[0]->Formats[0];
    EXPECT_EQ(first, manager.GetShownFormat());
    EXPECT_EQ(Names(first), RowNames());
    EXPECT_EQ(first->DefaultPreset, manager.m_list.GetCheckedItem());
    EXPECT_STREQ(first->GetPresetSummary(*(*first->Presets)[0]), manager.m_list.GetItemText(0, 1));
    CString text = tree.GetItemText(tree.GetChildItem(tree.GetRootItem()));
    EXPECT_STREQ(first->Name + L" (" + first->Extension + L")", text);
    // Every format's line fits the tree's width as the dialog opens: no sideways scrolling.
    EXPECT_FALSE(tree.GetStyle() & WS_HSCROLL);
    // A category shows no presets.
    tree.SelectItem(tree.GetRootItem());
    EXPECT_EQ(nullptr, manager.GetShownFormat());
    EXPECT_EQ(0, manager.GetRowCount());
    EXPECT_FALSE(manager.m_list.IsWindowEnabled());
    EXPECT_FALSE(ButtonEnabled(IDC_ADD_PRESET));
    EXPECT_TRUE(ButtonEnabled(IDC_RESET_ALL_PRESETS));
    EXPECT_FALSE(Shot(L"preset-manager", manager.m_hWnd).IsEmpty());
}

TEST_F(PresetManager, AddEditDeleteMoveAndDefaultReachThePresetsFile)
{
    CTestManager& manager = Open();
    ShowFormat(L"AF_mp3");
    CMediaFormat* mp3 = m_store->FindFormat(L"AF_mp3");
    const std::vector<CString> builtIn = Names(mp3);
    ASSERT_GE(builtIn.size(), 3u);

    // Add after the selected row, copying it; Cancel keeps nothing.
    SelectRow(1);
    manager.edit = [](CMediaPreset&) { return (INT_PTR)IDCANCEL; };
    Press(IDC_ADD_PRESET);
    EXPECT_EQ(builtIn.size(), (size_t)manager.GetRowCount());
    manager.edit = [](CMediaPreset& p) {
        EXPECT_STREQ(L"New Preset", p.Settings.Name);
        SetPresetText(p.Settings.Name, L"Mine");
        p.Settings.Audio.BitRate = 123000;
        return (INT_PTR)IDOK;
    };
    Press(IDC_ADD_PRESET);
    ASSERT_EQ(builtIn.size() + 1, (size_t)manager.GetRowCount());
    EXPECT_STREQ(L"Mine", manager.m_list.GetItemText(2, 0));
    EXPECT_EQ(1, manager.ListChanged);
    EXPECT_EQ(std::vector<int>{2}, GetSelectedRows(manager.m_list));
    // Its settings came from row 1.
    EXPECT_EQ(manager.GetRowPreset(1)->AudioCodec, manager.GetRowPreset(2)->AudioCodec);

    // Edit refreshes the row.
    SelectRow(0);
    manager.edit = [](CMediaPreset& p) {
        SetPresetText(p.Settings.Name, L"Renamed");
        return (INT_PTR)IDOK;
    };
    Press(IDC_EDIT_PRESET);
    EXPECT_STREQ(L"Renamed", manager.m_list.GetItemText(0, 0));

    // The default moves with its preset.
    SelectRow(0);
    Press(IDC_DEFAULT_PRESET);
    EXPECT_EQ(0, manager.m_list.GetCheckedItem());
    Press(IDC_MOVE_DOWN);
    EXPECT_EQ(1, manager.m_list.GetCheckedItem());
    EXPECT_STREQ(L"Renamed", manager.m_list.GetItemText(1, 0));
    EXPECT_EQ(std::vector<int>{1}, GetSelectedRows(manager.m_list));
    EXPECT_TRUE(ButtonEnabled(IDC_MOVE_UP));
    Press(IDC_MOVE_UP);
    Press(IDC_MOVE_DOWN);

    // Delete: the row and its preset go, and the format's list no longer has it.
    const CString doomed = manager.m_list.GetItemText(3, 0);
    CMediaPreset* doomedPreset = manager.GetRowPreset(3);
    SelectRow(3);
    Press(IDC_DELETE_PRESET);
    EXPECT_EQ(builtIn.size(), (size_t)manager.GetRowCount());
    EXPECT_EQ(-1, (int)mp3->Presets->Find(doomedPreset));
    const std::vector<CString> shown = RowNames();

    // Another format and back: the list was written into the format.
    ShowFormat(L"VF_mp4");
    EXPECT_EQ(shown, Names(mp3));
    EXPECT_EQ(1, mp3->DefaultPreset);
    ShowFormat(L"AF_mp3");
    EXPECT_EQ(shown, RowNames());

    std::unique_ptr<CMediaPresetStore> reread = CloseAndReread();
    const CMediaFormat* stored = reread->FindFormat(L"AF_mp3");
    EXPECT_EQ(shown, Names(stored));
    EXPECT_EQ(1, stored->DefaultPreset);
    const CMediaPreset* mine = stored->FindPreset(L"Mine");
    ASSERT_NE(nullptr, mine);
    EXPECT_EQ(123000, mine->Settings.Audio.BitRate);
    EXPECT_EQ(nullptr, [&]() -> const CMediaPreset* {
        for (INT_PTR i = 0; i < stored->Presets->GetSize(); ++i)
            if (doomed == (*stored->Presets)[i]->Settings.Name)
                return (*stored->Presets)[i];
        return nullptr;
    }());
}

TEST_F(PresetManager, UncheckedFormatsAreHiddenInTheFileAndResetBringsTheBuiltInPresetsBack)
{
    CTestManager& manager = Open();
    HTREEITEM wav = FindFormatItem(L"AF_wav");
    ASSERT_TRUE(wav != nullptr);
    manager.m_tree.SetCheck(wav, FALSE);
    ShowFormat(L"VF_mp4");
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    const std::vector<CString> builtIn = Names(mp4);
    SelectRow(0);
    Press(IDC_DELETE_PRESET);
    SelectRow(0);
    Press(IDC_DELETE_PRESET);
    manager.edit = [](CMediaPreset& p) {
        SetPresetText(p.Settings.Name, L"Only in the list");
        return (INT_PTR)IDOK;
    };
    Press(IDC_ADD_PRESET);
    EXPECT_EQ(builtIn.size() - 1, (size_t)manager.GetRowCount());
    mp4->LastPreset = 40;
    Press(IDC_RESET_PRESETS);
    EXPECT_EQ(builtIn, RowNames());
    EXPECT_EQ(0, manager.m_list.GetCheckedItem());
    EXPECT_EQ(0, mp4->DefaultPreset);
    EXPECT_EQ((int)builtIn.size() - 1, mp4->LastPreset);
    EXPECT_EQ(1, m_selector.released);

    std::unique_ptr<CMediaPresetStore> reread = CloseAndReread();
    EXPECT_TRUE(reread->FindFormat(L"AF_wav")->Flags & CATALOG_HIDDEN);
    EXPECT_FALSE(reread->FindFormat(L"AF_mp3")->Flags & CATALOG_HIDDEN);
    EXPECT_EQ(builtIn, Names(reread->FindFormat(L"VF_mp4")));
    EXPECT_TRUE(m_store->FindFormat(L"AF_wav")->Flags & CATALOG_HIDDEN);

    // Shown again: the hidden format unchecked; checked again, it is offered again.
    CTestManager& again = Open();
    wav = FindFormatItem(L"AF_wav");
    EXPECT_FALSE(again.m_tree.GetCheck(wav));
    again.m_tree.SetCheck(wav, TRUE);
    reread = CloseAndReread();
    EXPECT_FALSE(reread->FindFormat(L"AF_wav")->Flags & CATALOG_HIDDEN);
}

TEST_F(PresetManager, APresetAConversionDialogHoldsIsNeverDeletedUnderIt)
{
    CTestManager& manager = Open();
    ShowFormat(L"VF_mp4");
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    CMediaPreset* held = (*mp4->Presets)[2];
    m_selector.Hold(mp4, held);
    SelectRow(2);
    EXPECT_FALSE(ButtonEnabled(IDC_DELETE_PRESET));
    Press(IDC_DELETE_PRESET);
    EXPECT_EQ(held, manager.GetRowPreset(2));
    SelectRow(3);
    EXPECT_TRUE(ButtonEnabled(IDC_DELETE_PRESET));
    // A selection that includes it refuses as a whole.
    SelectListRow(manager.m_list, 2, TRUE, FALSE);
    EXPECT_FALSE(ButtonEnabled(IDC_DELETE_PRESET));

    // Reset tells the holder first; it lets go, and the preset is destroyed once.
    Press(IDC_RESET_PRESETS);
    EXPECT_EQ(nullptr, m_selector.Held());
    EXPECT_EQ(1, m_selector.released);
    m_selector.Hold(mp4, (*mp4->Presets)[0]);
    Press(IDC_RESET_ALL_PRESETS);
    EXPECT_EQ(nullptr, m_selector.Held());
    EXPECT_EQ(2, m_selector.released);
    m_manager->DestroyWindow();
}

TEST_F(PresetManager, EveryPresetIsDestroyedExactlyOnce)
{
    const long before = LivePresetObjects();
    {
        CTestManager& manager = Open();
        ShowFormat(L"VF_mp4");
        manager.edit = [](CMediaPreset&) { return (INT_PTR)IDOK; };
        for (int round = 0; round < 5; ++round) {
            SelectRow(0);
            Press(IDC_ADD_PRESET);  // one more preset, only in the list
            Press(IDC_ADD_PRESET);
            SelectRow(1);
            Press(IDC_DELETE_PRESET);  // a list-only one goes
            SelectRow(3);
            Press(IDC_DELETE_PRESET);  // one of the format's goes
            ShowFormat(L"AF_mp3");      // written back
            ShowFormat(L"VF_mp4");
            SelectRow(0);
            Press(IDC_ADD_PRESET);
            Press(IDC_RESET_PRESETS);  // the list-only one and the format's go
        }
        Press(IDC_ADD_PRESET);
        Press(IDC_RESET_ALL_PRESETS);
        Press(IDC_ADD_PRESET);
        manager.DestroyWindow();
    }
    // Back to the built-in presets everywhere, plus the one added last.
    m_manager.reset();
    EXPECT_EQ(before + 1, LivePresetObjects());
    m_store.reset();
    EXPECT_EQ(m_liveBeforeStore, LivePresetObjects());
}

TEST_F(PresetManager, AWrittenBackListWithoutAMarkHasDefaultZero)
{
    CTestManager& manager = Open();
    ShowFormat(L"VF_mp4");
    CMediaFormat* mp4 = m_store->FindFormat(L"VF_mp4");
    SelectRow(mp4->DefaultPreset);
    Press(IDC_DELETE_PRESET);
    EXPECT_EQ(-1, manager.m_list.GetCheckedItem());
    mp4->LastPreset = 1000;
    manager.WriteBack();
    EXPECT_EQ(0, mp4->DefaultPreset);
    EXPECT_EQ((int)mp4->Presets->GetSize() - 1, mp4->LastPreset);
}

TEST_F(PresetManager, TheLayoutFollowsTheSizeAndEveryWayOfClosingEndsWithOk)
{
    CTestManager& manager = Open();
    manager.SetWindowPos(nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
    CRect client, list, close, add, reset;
    manager.GetClientRect(&client);
    auto Place = [&](UINT id) {
        CRect r;
        ::GetWindowRect(::GetDlgItem(manager.m_hWnd, (int)id), &r);
        manager.ScreenToClient(&r);
        return r;
    };
    list = Place(IDC_PRESETS);
    close = Place(IDOK);
    add = Place(IDC_ADD_PRESET);
    reset = Place(IDC_RESET_ALL_PRESETS);
    EXPECT_EQ(client.right - 12, close.right);
    EXPECT_EQ(client.bottom - 12, close.bottom);
    EXPECT_EQ(client.right - 12, add.right);
    EXPECT_EQ(client.right - add.Width() - 18, list.right);
    EXPECT_EQ(client.bottom - 12, list.bottom);
    EXPECT_EQ(add.top + 7 * (add.Height() + 6), reset.top);
    EXPECT_EQ(client.bottom - 12, Place(IDC_FORMAT_TREE).bottom);
    MINMAXINFO limits = {};
    manager.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&limits);
    EXPECT_EQ(600, limits.ptMinTrackSize.x);
    EXPECT_EQ(400, limits.ptMinTrackSize.y);
    EXPECT_FALSE(Shot(L"preset-manager-wide", manager.m_hWnd).IsEmpty());
    manager.DestroyWindow();

    // Modal, as the conversion dialogs run it: Close, Escape and the close box all answer OK and
    // all save the file.
    for (int way = 0; way < 3; ++way) {
        DeleteFileW(m_store->Path);
        INT_PTR result = -5;
        CPumpedThread worker([&] {
            CTestManager modal(m_store.get(), &m_selector, nullptr);
            result = modal.DoModal();
        });
        HWND window = WaitForWindow(L"Video/Audio Formats Settings");
        ASSERT_TRUE(window != nullptr);
        if (way == 0)
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else if (way == 1)
            PostMessageW(::GetDlgItem(window, IDC_FORMAT_TREE), WM_KEYDOWN, VK_ESCAPE, 1);
        else
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(worker.Join(20000));
        EXPECT_EQ(IDOK, result) << way;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_store->Path)) << way;
    }
}

TEST_F(PresetManager, EachImageListHasOneOwnerAcrossTwentyOpensAndCloses)
{
    // Once before counting: what the first dialog makes for good (fonts, the theme) is not a leak.
    Open();
    m_manager->DestroyWindow();
    m_manager.reset();
    const long before = testgdi::CountProcessGdiObjects();
    ASSERT_GT(before, 0) << "this system gives no count of GDI objects";
    for (int round = 0; round < 20; ++round) {
        CTestManager& manager = Open();
        // The list shows the dialog's own state images and the tree its check boxes.
        ASSERT_TRUE(manager.m_states.GetSafeHandle() != nullptr);
        EXPECT_EQ(manager.m_states.GetSafeHandle(), manager.m_list.GetImageList(LVSIL_STATE)->GetSafeHandle());
        const int states = manager.m_states.GetImageCount();
        EXPECT_GE(states, 2);
        EXPECT_TRUE(TreeView_GetImageList(manager.m_tree.m_hWnd, TVSIL_STATE) != nullptr);
        manager.DestroyWindow();
        // The list control let go of the member's list without destroying it.
        ASSERT_EQ(states, manager.m_states.GetImageCount()) << round;
        m_manager.reset();
    }
    // Twenty opens leave no GDI object behind (a few may come and go with the system's caches).
    EXPECT_LT(testgdi::CountProcessGdiObjects() - before, 10);
}
