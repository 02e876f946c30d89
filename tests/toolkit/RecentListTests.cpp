// Recent-items lists: order, capacity, duplicates, the profile round trip and the menu they fill.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "toolkit/RecentList.h"

namespace {

// An application object with its profile under a maker key of this test run only.
class RecentListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_maker.Format(L"TkRecentTest-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
        m_app.SetRegistryKey(m_maker);
    }
    void TearDown() override { CRegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\" + m_maker); }
    // The values stored in a section, by name.
    std::vector<std::pair<CString, CString>> Stored(LPCWSTR section)
    {
        std::vector<std::pair<CString, CString>> values;
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, m_app.GetAppRegistryPath() + L"\\" + section, KEY_READ) != ERROR_SUCCESS)
            return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD chars = 256;
            if (::RegEnumValueW(key, i, name, &chars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
            CString value;
            key.QueryStringValue(name, value);
            values.emplace_back(name, value);
        }
        std::sort(values.begin(), values.end(),
                  [](const auto& a, const auto& b) { return wcscmp(a.first, b.first) < 0; });
        return values;
    }
    CString m_maker;
    CWinApp m_app{L"RecentListTest"};
};

std::vector<CString> Entries(const CRecentList& list)
{
    std::vector<CString> out;
    for (int i = 0; i < list.GetCount(); ++i) out.push_back(list[i]);
    return out;
}

} // namespace

TEST(RecentList, NewestFirstAndTheOldestDropsOffBeyondTheCapacity)
{
    CRecentList list(L"Data\\Recent", L"%02d", 3);
    EXPECT_EQ(3, list.GetCapacity());
    for (LPCWSTR text : {L"one", L"two", L"three", L"four"}) list.Add(text);
    EXPECT_EQ((std::vector<CString>{L"four", L"three", L"two"}), Entries(list));
    list.SetCapacity(2);
    EXPECT_EQ((std::vector<CString>{L"four", L"three"}), Entries(list));
    EXPECT_EQ(10, CRecentList().GetCapacity());
}

TEST(RecentList, ARepeatedTextMovesToTheFrontOnceAndBlankTextsAreIgnored)
{
    CRecentList list;
    list.Add(L"C:\\a.mp4");
    list.Add(L"C:\\b.mp4");
    list.Add(L"  C:\\a.mp4\t");
    EXPECT_EQ((std::vector<CString>{L"C:\\a.mp4", L"C:\\b.mp4"}), Entries(list));
    list.Add(L"   ");
    list.Add(L"");
    EXPECT_EQ(2, list.GetCount());
    // The plain list compares exactly: another letter case is another text.
    list.Add(L"C:\\B.MP4");
    EXPECT_EQ(3, list.GetCount());
    list.Remove(5);
    list.Remove(-1);
    EXPECT_EQ(3, list.GetCount());
    list.Remove(1);
    EXPECT_EQ((std::vector<CString>{L"C:\\B.MP4", L"C:\\b.mp4"}), Entries(list));
}

TEST(RecentMenuList, PathsInAnotherLetterCaseAreOneEntryAndTheNewTextWins)
{
    CRecentMenuList list;
    list.Add(L"C:\\Videos\\Clip.mp4");
    list.Add(L"D:\\other.avi");
    list.Add(L"  c:\\videos\\CLIP.MP4 ");
    EXPECT_EQ((std::vector<CString>{L"c:\\videos\\CLIP.MP4", L"D:\\other.avi"}), Entries(list));
    list.Add(L"D:\\\x00C9T\x00C9.avi");
    list.Add(L"d:\\\x00E9t\x00E9.AVI");
    EXPECT_EQ(3, list.GetCount()) << "case is ignored beyond ASCII too";
}

TEST_F(RecentListTest, SaveAndLoadRoundTripWithNumberedValueNames)
{
    CRecentList list(L"Data\\Recent Files", L"%02d", 12);
    for (int i = 1; i <= 11; ++i) {
        CString path;
        path.Format(L"C:\\media\\clip %d & more.mp4", i);
        list.Add(path);
    }
    list.Save();
    auto stored = Stored(L"Data\\Recent Files");
    ASSERT_EQ(11u, stored.size());
    EXPECT_EQ(L"01", stored[0].first);
    EXPECT_EQ(L"C:\\media\\clip 11 & more.mp4", stored[0].second);
    EXPECT_EQ(L"11", stored[10].first);
    EXPECT_EQ(L"C:\\media\\clip 1 & more.mp4", stored[10].second);

    CRecentList loaded(L"Data\\Recent Files", L"%02d", 12);
    loaded.Add(L"left over");
    loaded.Load();
    EXPECT_EQ(Entries(list), Entries(loaded));

    // A smaller capacity reads only that many values.
    CRecentList three(L"Data\\Recent Files", L"%02d", 3);
    three.Load();
    EXPECT_EQ(3, three.GetCount());
    EXPECT_EQ(L"C:\\media\\clip 11 & more.mp4", three[0]);
}

TEST_F(RecentListTest, LoadSkipsBlankValuesAndTrimsTheRest)
{
    m_app.WriteProfileString(L"Data\\Recent", L"01", L"  first  ");
    m_app.WriteProfileString(L"Data\\Recent", L"02", L"   ");
    m_app.WriteProfileString(L"Data\\Recent", L"04", L"fourth");
    CRecentList list(L"Data\\Recent", L"%02d", 5);
    list.Load();
    EXPECT_EQ((std::vector<CString>{L"first", L"fourth"}), Entries(list));
}

TEST_F(RecentListTest, SavingAShorterOrEmptyListRemovesTheOldValues)
{
    CRecentList list(L"Data\\Recent", L"File%d", 5);
    for (LPCWSTR t : {L"a", L"b", L"c", L"d"}) list.Add(t);
    list.Save();
    EXPECT_EQ(4u, Stored(L"Data\\Recent").size());
    EXPECT_EQ(L"File1", Stored(L"Data\\Recent")[0].first);
    list.Remove(0);
    list.Remove(0);
    list.Save();
    EXPECT_EQ(2u, Stored(L"Data\\Recent").size());
    list.RemoveAll();
    list.Save();
    EXPECT_TRUE(Stored(L"Data\\Recent").empty());
}

TEST_F(RecentListTest, AListWithoutSectionOrFormatNeitherLoadsNorSaves)
{
    m_app.WriteProfileString(L"", L"01", L"at the root");
    CRecentList noSection(L"", L"%02d", 5);
    noSection.Add(L"x");
    noSection.Save();
    noSection.Load();
    EXPECT_EQ((std::vector<CString>{L"x"}), Entries(noSection));
    EXPECT_EQ(L"at the root", m_app.GetProfileString(L"", L"01"));

    CRecentList noFormat(L"Data\\Recent", L"", 5);
    noFormat.Add(L"y");
    noFormat.Save();
    EXPECT_TRUE(Stored(L"Data\\Recent").empty());
}

// ---- menus

namespace {

const UINT kFirst = 5000;

// File menu: Open, the list's placeholder, a separator, Exit.
void BuildMenu(CMenu& menu)
{
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 100, L"&Open");
    menu.AppendMenu(MF_STRING, kFirst, L"Recent Files");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, 200, L"E&xit");
}

// The update of the placeholder's item as the framework's popup loop makes it.
void PrepareUpdate(CCmdUI& state, CMenu& menu)
{
    state.m_pMenu = &menu;
    state.m_nIndex = 1;
    state.m_nID = kFirst;
    state.m_nIndexMax = menu.GetMenuItemCount();
}

std::vector<std::pair<UINT, CString>> Items(CMenu& menu)
{
    std::vector<std::pair<UINT, CString>> items;
    for (UINT i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString text;
        menu.GetMenuString(i, text, MF_BYPOSITION);
        items.emplace_back(menu.GetMenuItemID((int)i), text);
    }
    return items;
}

} // namespace

TEST(RecentMenuList, EntriesReplaceThePlaceholderAndTheUpdateMovesPastThem)
{
    CRecentMenuList list(L"", L"%02d", 4);
    list.Add(L"C:\\music\\Tom & Jerry.mp3");
    list.Add(L"C:\\video\\second.mkv");
    CMenu menu;
    BuildMenu(menu);
    CCmdUI state;
    PrepareUpdate(state, menu);

    EXPECT_EQ(2, list.UpdateMenu(&state));
    auto items = Items(menu);
    ASSERT_EQ(5u, items.size());
    EXPECT_EQ(std::make_pair(kFirst, CString(L"C:\\video\\second.mkv")), items[1]);
    EXPECT_EQ(std::make_pair(kFirst + 1, CString(L"C:\\music\\Tom && Jerry.mp3")), items[2]);
    EXPECT_EQ(0u, items[3].first);
    EXPECT_EQ(200u, items[4].first);
    EXPECT_EQ(2u, state.m_nIndex) << "the last inserted item";
    EXPECT_EQ(kFirst + 1, state.m_nID);
    EXPECT_EQ(5u, state.m_nIndexMax);
    EXPECT_TRUE(state.m_bEnableChanged);

    // Again with file names only: the old entries go, wherever they are.
    list.SetFullPath(FALSE);
    list.Add(L"C:\\third.avi");
    CCmdUI again;
    PrepareUpdate(again, menu);
    EXPECT_EQ(3, list.UpdateMenu(&again));
    items = Items(menu);
    ASSERT_EQ(6u, items.size());
    EXPECT_EQ(L"third.avi", items[1].second);
    EXPECT_EQ(L"second.mkv", items[2].second);
    EXPECT_EQ(L"Tom && Jerry.mp3", items[3].second);
    EXPECT_EQ(kFirst + 2, items[3].first);

    // Emptied: one greyed item with the placeholder's own text.
    list.RemoveAll();
    CCmdUI empty;
    PrepareUpdate(empty, menu);
    EXPECT_EQ(0, list.UpdateMenu(&empty));
    items = Items(menu);
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(std::make_pair(kFirst, CString(L"Recent Files")), items[1]);
    EXPECT_TRUE(menu.GetMenuState(kFirst, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(4u, empty.m_nIndexMax);

    CCmdUI noMenu;
    noMenu.m_nID = kFirst;
    EXPECT_EQ(-1, list.UpdateMenu(&noMenu));
}

TEST(RecentMenuList, AskedThroughAPopupItemTheListFillsThatPopupFromItsTop)
{
    CRecentMenuList list(L"", L"%02d", 4);
    list.Add(L"C:\\one.mp4");
    list.Add(L"C:\\two.mp4");
    CMenu outer, popup;
    outer.CreatePopupMenu();
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, kFirst, L"(none)");
    outer.AppendMenu(MF_STRING, 100, L"&Open");
    outer.AppendMenu(MF_STRING, 101, L"&Save");
    outer.AppendMenu(MF_POPUP, (UINT_PTR)popup.Detach(), L"Recent &Files");
    CCmdUI state;
    state.m_pMenu = &outer;
    state.m_pSubMenu = outer.GetSubMenu(2);
    state.m_nIndex = 2;
    state.m_nID = kFirst;
    state.m_nIndexMax = 3;
    EXPECT_EQ(2, list.UpdateMenu(&state));
    auto items = Items(*outer.GetSubMenu(2));
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(std::make_pair(kFirst, CString(L"C:\\two.mp4")), items[0]);
    EXPECT_EQ(std::make_pair(kFirst + 1, CString(L"C:\\one.mp4")), items[1]);
    // The outer menu's update goes on as it was.
    EXPECT_EQ(2u, state.m_nIndex);
    EXPECT_EQ(3u, state.m_nIndexMax);
    EXPECT_EQ(3u, outer.GetMenuItemCount());
}

namespace {

// A frame whose File menu holds a recent list: the framework's own popup update runs the list's
// handler and every other item's, each once.
class CRecentFrame : public CFrameWnd {
public:
    CRecentMenuList m_list{L"", L"%02d", 4};
    int m_exitUpdates = 0;
    int m_openUpdates = 0;

protected:
    void OnUpdateRecent(CCmdUI* pCmdUI) { m_list.UpdateMenu(pCmdUI); }
    void OnUpdateExit(CCmdUI* pCmdUI) { ++m_exitUpdates; pCmdUI->Enable(TRUE); }
    void OnUpdateOpen(CCmdUI* pCmdUI) { ++m_openUpdates; pCmdUI->Enable(TRUE); }
    void OnRecent(UINT) {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecentFrame, CFrameWnd)
    ON_UPDATE_COMMAND_UI(kFirst, OnUpdateRecent)
    ON_UPDATE_COMMAND_UI(100, OnUpdateOpen)
    ON_UPDATE_COMMAND_UI(200, OnUpdateExit)
    ON_COMMAND_RANGE(kFirst, kFirst + 3, OnRecent)
END_MESSAGE_MAP()

} // namespace

TEST(RecentMenuList, TheFrameworksPopupUpdateContinuesAfterTheInsertedItems)
{
    CRecentFrame* frame = new CRecentFrame;
    ASSERT_TRUE(frame->Create(NULL, L"recent", WS_OVERLAPPEDWINDOW, CRect(50, 50, 400, 300)));
    frame->m_list.Add(L"C:\\a.mp4");
    frame->m_list.Add(L"C:\\b.mp4");
    frame->m_list.Add(L"C:\\c.mp4");
    CMenu menu;
    BuildMenu(menu);
    frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)menu.m_hMenu, MAKELPARAM(0, FALSE));
    auto items = Items(menu);
    ASSERT_EQ(6u, items.size());
    EXPECT_EQ(L"C:\\c.mp4", items[1].second);
    EXPECT_EQ(L"C:\\a.mp4", items[3].second);
    EXPECT_EQ(1, frame->m_openUpdates);
    EXPECT_EQ(1, frame->m_exitUpdates);
    for (UINT i = 1; i <= 3; ++i) EXPECT_FALSE(menu.GetMenuState(i, MF_BYPOSITION) & MF_GRAYED) << i;
    frame->DestroyWindow();
}
