// The playlist item window: card and row geometry, parts and their hit tests, type-ahead, the
// context menus, the play window over the playing card, and how cards and rows look with real
// thumbnails.
#include <gtest/gtest.h>

#include "PlayerUiTestSupport.h"
#include "engine/EngineHost.h"
#include "engine/ToolProcess.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/playlist/PlaylistItemWnd.h"
#include "tests/common/Screenshot.h"

using namespace playertest;


namespace {

// Records which popup a context menu opened and closes it at once.
struct CMenuSpy {
    static CMenuSpy* s_current;
    HHOOK hook = nullptr;
    std::vector<UINT> firstIds;
    std::vector<UINT> defaults;
    // The entries of each submenu of the tracked popup as it opened, by position ("" a
    // separator, "-" where the position holds no submenu).
    std::vector<std::vector<CString>> submenus;
    CMenuSpy()
    {
        s_current = this;
        hook = SetWindowsHookExW(WH_CALLWNDPROC, &CMenuSpy::Proc, nullptr, GetCurrentThreadId());
    }
    ~CMenuSpy()
    {
        UnhookWindowsHookEx(hook);
        s_current = nullptr;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_current && cwp->message == WM_INITMENUPOPUP && HIWORD(cwp->lParam) == 0) {
            HMENU menu = (HMENU)cwp->wParam;
            // Only the tracked popup itself, not its submenus opening later.
            if (s_current->firstIds.empty()) {
                s_current->firstIds.push_back(GetMenuItemID(menu, 0));
                s_current->defaults.push_back(GetMenuDefaultItem(menu, FALSE, 0));
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    std::vector<CString> entries;
                    HMENU sub = GetSubMenu(menu, i);
                    for (int j = 0; sub && j < GetMenuItemCount(sub); ++j) {
                        wchar_t text[128] = L"";
                        GetMenuStringW(sub, j, text, 128, MF_BYPOSITION);
                        entries.push_back(text);
                    }
                    if (!sub)
                        entries.push_back(L"-");
                    s_current->submenus.push_back(entries);
                }
                PostMessageW(cwp->hwnd, WM_CANCELMODE, 0, 0);
                EndMenu();
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
CMenuSpy* CMenuSpy::s_current = nullptr;

class PlaylistItemWindow : public PlayerUiTest {
protected:
    static void SetUpTestSuite()
    {
        SetUpUi();
        CPlayerSettings& s = s_app->Settings();
        s.showTitle = 1;
        s.showDuration = 1;
        s.showQuality = 1;
        s.showIcon = 1;
        s.playlistViewStyle = PLAYLIST_STYLE_GRID;
        s_view = new CMediaPlaylistView;
        ASSERT_TRUE(s_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 840, 400), s_frame.get(), 4100));
        s_view->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        s_items = dynamic_cast<CPlaylistItemWnd*>(s_view->GetItemWindow());
        ASSERT_TRUE(s_items != nullptr);
    }
    static void TearDownTestSuite()
    {
        if (s_view)
            s_view->DestroyWindow();
        s_view = nullptr;
        TearDownUi();
    }
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(3000);
        ResetUi();
        CPlayerWindows& w = GetPlayerWindows();
        w.playlistView = s_view;
        w.itemWnd = s_items;
        {
            CPlaylistEditGuard guard(s_view, 1);
            s_view->RemoveAllItems();
        }
        Items().SetViewStyle(PLAYLIST_STYLE_GRID);
        Items().SetShowTitle(1);
    }
    void TearDown() override
    {
        Play().StopAndRemember(0);
        Play().AttachToView(PLAYER_HOST_PLAY_VIEW);
        {
            CPlaylistEditGuard guard(s_view, 1);
            s_view->RemoveAllItems();
        }
        s_frame->Publish();
        CToolProcessBase::SetStopGraceForTests(10000);
    }
    CPlaylistItemWnd& Items() { return *s_items; }
    CPlayWnd& Play() { return s_frame->playView->GetPlayWnd(); }
    // Items with only a title and a path (no probe), added straight to the list.
    void AddTitled(std::initializer_list<const wchar_t*> titles)
    {
        for (const wchar_t* title : titles) {
            CMediaItem* item = new CMediaItem;
            item->Path = CString(L"C:\\clips\\") + title + L".mp4";
            item->UpdateDisplayInfo();
            item->StateFlags &= ~MEDIA_STATE_FILE_MISSING;  // the paths are made up
            item->Title = title;
            Items().AddItem(item);
        }
    }
    void LoadClips(int count)
    {
        {
            CPlaylistEditGuard guard(s_view, 0);
            const CString clips[] = {TestClips().a, TestClips().b, TestClips().c};
            s_app->Settings().allowDuplicates = 1;
            for (int i = 0; i < count; ++i)
                s_view->AddPath(clips[i % 3]);
        }
        ASSERT_TRUE(WaitUntil([&] { return !s_view->IsLoading() && !s_view->AreThumbnailsRunning(); }, 120000));
        s_app->Settings().allowDuplicates = 0;
    }

    static CMediaPlaylistView* s_view;
    static CPlaylistItemWnd* s_items;
};
CMediaPlaylistView* PlaylistItemWindow::s_view = nullptr;
CPlaylistItemWnd* PlaylistItemWindow::s_items = nullptr;

TEST_F(PlaylistItemWindow, CardsAndRowsHaveTheirSizesAndParts)
{
    AddTitled({L"one", L"two", L"three"});
    const int tw = s_app->Settings().GetSessionThumbnailWidth(), th = s_app->Settings().GetSessionThumbnailHeight();
    EXPECT_EQ(CSize(tw, th + 24), Items().GetItemSize());
    EXPECT_EQ(CSize(12, 12), Items().GetGaps());
    CRect cell, thumb, part;
    ASSERT_TRUE(Items().GetItemRect(1, &cell));
    ASSERT_TRUE(Items().GetThumbnailRect(1, &thumb));
    EXPECT_EQ(CRect(cell.left, cell.top, cell.right, cell.top + th), thumb);
    ASSERT_TRUE(Items().GetPartRect(1, PLAYLIST_PART_DELETE, &part));
    EXPECT_EQ(CRect(cell.right - 24, cell.top, cell.right, cell.top + 24), part);
    ASSERT_TRUE(Items().GetPartRect(1, PLAYLIST_PART_PLAY, &part));
    EXPECT_EQ(CSize(40, 40), part.Size());
    EXPECT_EQ(cell.left + (tw - 40) / 2, part.left);
    EXPECT_EQ(cell.top + (th - 40) / 2, part.top);
    EXPECT_EQ(PLAYLIST_PART_PLAY, Items().HitTestPart(1, part.left + 20, part.top + 20));
    EXPECT_EQ(-1, Items().HitTestPart(1, part.left + 2, part.top + 2)) << "the play part's top is moved down 4";
    EXPECT_EQ(PLAYLIST_PART_DELETE, Items().HitTestPart(1, cell.right - 12, cell.top + 10));
    EXPECT_EQ(-1, Items().HitTestPart(1, cell.right - 20, cell.top + 10)) << "the delete part's left is moved 8";
    EXPECT_EQ(-1, Items().HitTestPart(1, cell.left + 5, cell.bottom - 5));
    EXPECT_EQ(-1, Items().HitTestPart(9, cell.left, cell.top));

    Items().GetMediaItemAt(1)->SetPlayState(2);
    EXPECT_EQ(-1, Items().HitTestPart(1, part.left + 20, part.top + 20)) << "a playing item's play part is no part";
    EXPECT_EQ(2, CPlaylistItemWnd::ItemLook(*Items().GetMediaItemAt(1)));
    Items().GetMediaItemAt(1)->SetPlayState(0);
    Items().GetMediaItemAt(2)->StateFlags |= MEDIA_STATE_FILE_MISSING;
    EXPECT_EQ(3, CPlaylistItemWnd::ItemLook(*Items().GetMediaItemAt(2))) << "a missing file looks failed";

    Items().SetShowTitle(0);
    EXPECT_EQ(CSize(tw, th), Items().GetItemSize()) << "without titles the cells lose 24 pixels";
    Items().SetShowTitle(1);

    Items().SetViewStyle(PLAYLIST_STYLE_LIST);
    EXPECT_EQ(PLAYLIST_STYLE_LIST, s_app->Settings().playlistViewStyle);
    EXPECT_FALSE(Items().GetThumbnailRect(0, &thumb));
    ASSERT_TRUE(Items().GetItemRect(0, &cell));
    EXPECT_EQ(24, cell.Height());
    ASSERT_TRUE(Items().GetPartRect(0, PLAYLIST_PART_PLAY, &part));
    EXPECT_EQ(CRect(cell.left + 4, cell.top + 2, cell.left + 24, cell.top + 22), part);
    ASSERT_TRUE(Items().GetPartRect(0, PLAYLIST_PART_DELETE, &part));
    EXPECT_EQ(CRect(cell.right - 20, cell.top + 2, cell.right, cell.top + 22), part);
    EXPECT_EQ(PLAYLIST_PART_DELETE, Items().HitTestPart(0, cell.right - 1, cell.top + 3)) << "no insets in a row";
    Items().SetViewStyle(PLAYLIST_STYLE_GRID);
}

// One item drawn by the window's own drawing into a w x h bitmap on the window background.
std::vector<COLORREF> DrawnItem(CPlaylistItemWnd& items, int index, int w, int h, bool grid)
{
    return RenderPixels(w, h, RGB(32, 32, 32), [&](HDC dc) {
        if (grid)
            items.DrawGridItemContent(CDC::FromHandle(dc), index, 0, 0, w, h, FALSE);
        else
            items.DrawListItemContent(CDC::FromHandle(dc), index, 0, 0, w, h, FALSE);
    });
}

TEST_F(PlaylistItemWindow, AThumbnailSizeChangedInTheSettingsWaitsForTheNextStart)
{
    CPlayerSettings& s = s_app->Settings();
    const int tw = s.GetSessionThumbnailWidth(), th = s.GetSessionThumbnailHeight();
    AddTitled({L"one"});
    Items().SetHoverItem(-1, FALSE);
    // What the settings sheet's OK stores; the page says the change takes effect at the next start.
    s.thumbnailWidth = tw + 128;
    s.thumbnailHeight = th + 72;
    Items().SetShowTitle(1);
    EXPECT_EQ(CSize(tw, th + 24), Items().GetItemSize()) << "the cells keep this session's size";
    CRect thumb;
    ASSERT_TRUE(Items().GetThumbnailRect(0, &thumb));
    EXPECT_EQ(th, thumb.Height());
    EXPECT_EQ(tw, GetEngineHost()->GetThumbnailWidth()) << "grabs keep this session's size";
    EXPECT_EQ(th, GetEngineHost()->GetThumbnailHeight());
    // The card without a thumbnail: black over the thumbnail's height, the card's grey in the
    // title band below it.
    std::vector<COLORREF> card = DrawnItem(Items(), 0, tw, th + 24, true);
    EXPECT_EQ(RGB(0, 0, 0), card[(th - 2) * tw + tw - 10]);
    EXPECT_EQ(RGB(64, 64, 64), card[(th + 2) * tw + tw - 10]) << "the picture is drawn at the size of its cell";

    // The next start reads the new size, and everything uses it.
    s.SaveSettings();
    s.LoadSettings();
    Items().SetShowTitle(1);
    EXPECT_EQ(CSize(tw + 128, th + 72 + 24), Items().GetItemSize());
    EXPECT_EQ(tw + 128, GetEngineHost()->GetThumbnailWidth());
    EXPECT_EQ(th + 72, GetEngineHost()->GetThumbnailHeight());
    s.thumbnailWidth = tw;
    s.thumbnailHeight = th;
    s.SaveSettings();
    s.LoadSettings();
    Items().SetShowTitle(1);
    EXPECT_EQ(CSize(tw, th + 24), Items().GetItemSize());
}

TEST_F(PlaylistItemWindow, ARowsTitleStartsAfterThePlayPartOrAfterTheIcon)
{
    AddTitled({L"Hotel"});
    Items().SetHoverItem(-1, FALSE);
    Items().SetViewStyle(PLAYLIST_STYLE_LIST);
    Items().GetMediaItemAt(0)->Kind = MEDIA_KIND_VIDEO;
    // The first column from 'from' on that differs from the row's background.
    auto firstInk = [&](int from) {
        const int w = 400, h = 24;
        std::vector<COLORREF> row = DrawnItem(Items(), 0, w, h, false);
        for (int x = from; x < w; ++x)
            for (int y = 0; y < h; ++y)
                if (row[y * w + x] != RGB(32, 32, 32))
                    return x;
        return -1;
    };
    // Content left is 4: the play part's place from there, the 16-pixel kind icon from + 24.
    Items().SetShowIcon(1);
    int x = firstInk(0);
    EXPECT_GE(x, 4 + 24);
    EXPECT_LE(x, 4 + 24 + 2) << "the icon";
    x = firstInk(4 + 24 + 16);
    EXPECT_GE(x, 4 + 44);
    EXPECT_LE(x, 4 + 44 + 2) << "with icons the title starts at content left + 44";
    Items().SetShowIcon(0);
    x = firstInk(0);
    EXPECT_GE(x, 4 + 24);
    EXPECT_LE(x, 4 + 24 + 2) << "without icons at content left + 24";
    Items().SetShowIcon(1);
    Items().UpdateWindow();
    CRect screen;
    Items().GetWindowRect(&screen);
    screen.bottom = screen.top + 60;
    EXPECT_FALSE(SaveScreenRectScreenshot(L"player", L"playlist-list-title", screen).IsEmpty());
    Items().SetShowIcon(1);
    Items().SetViewStyle(PLAYLIST_STYLE_GRID);
}

TEST_F(PlaylistItemWindow, TypingFindsTitlesByTheirLetters)
{
    AddTitled({L"Zulu", L"beta", L"Abacus", L"alpha"});
    Items().SendMessage(WM_CHAR, 'a', 0);
    EXPECT_EQ(2, Items().GetNextSelectedItem(0)) << "the first title starting with a";
    EXPECT_EQ(1, Items().GetSelectedCount());
    Items().SendMessage(WM_CHAR, 'b', 0);
    EXPECT_EQ(1, Items().GetTypeAheadPosition());
    EXPECT_EQ(2, Items().GetNextSelectedItem(0)) << "Abacus has b second";
    Items().SendMessage(WM_CHAR, 'x', 0);  // no third letter x: start again with the first letter
    EXPECT_EQ(0, Items().GetTypeAheadPosition());
    EXPECT_EQ(2, Items().GetNextSelectedItem(0)) << "nothing starts with x either: the selection stays";
    Sleep(600);
    Items().SendMessage(WM_CHAR, 'z', 0);
    EXPECT_EQ(0, Items().GetNextSelectedItem(0));
}

TEST_F(PlaylistItemWindow, TheContextMenuFitsTheSelection)
{
    AddTitled({L"one", L"two"});
    {
        CMenuSpy spy;
        s_frame->layout = 2;
        Items().SendMessage(WM_CONTEXTMENU, (WPARAM)Items().m_hWnd, MAKELPARAM(-1, -1));
        ASSERT_EQ(1u, spy.firstIds.size());
        EXPECT_EQ((UINT)ID_FILE_OPEN_FILES, spy.firstIds[0]) << "nothing selected: the playlist menu";
        EXPECT_EQ((UINT)ID_VIEW_SWITCH, spy.defaults[0]);
    }
    Items().SetItemSelected(1, TRUE, TRUE, TRUE);
    {
        CMenuSpy spy;
        Items().SendMessage(WM_CONTEXTMENU, (WPARAM)Items().m_hWnd, MAKELPARAM(-1, -1));
        ASSERT_EQ(1u, spy.firstIds.size());
        EXPECT_EQ((UINT)ID_ITEM_PLAY, spy.firstIds[0]) << "a selection: the item menu";
        EXPECT_EQ((UINT)ID_ITEM_PLAY, spy.defaults[0]);
        ASSERT_GE(spy.submenus.size(), 11u);
        EXPECT_EQ(std::vector<CString>{L"No Audio"}, spy.submenus[9]) << "an item without streams";
    }

    // The track menus are the selected item's own, at their places in the item menu.
    {
        CPlaylistEditGuard guard(s_view, 0);
        s_view->RemoveAllItems();
    }
    LoadClips(1);
    Items().SetItemSelected(0, TRUE, TRUE, TRUE);
    {
        CMenuSpy spy;
        Items().SendMessage(WM_CONTEXTMENU, (WPARAM)Items().m_hWnd, MAKELPARAM(-1, -1));
        ASSERT_GE(spy.submenus.size(), 11u);
        const std::vector<CString> video = {L"Auto", L"Disable", L"", L"Track #1"};
        const std::vector<CString> audio = {L"Auto", L"Disable", L"", L"Track #1", L"Track #2 - [eng]"};
        EXPECT_EQ(video, spy.submenus[8]);
        EXPECT_EQ(audio, spy.submenus[9]);
        ASSERT_FALSE(spy.submenus[10].empty());
        EXPECT_STREQ(L"Auto", spy.submenus[10][0]) << "the clip has subtitles";
    }

    // The play view's context menu shows the playing item's tracks at its own places.
    ASSERT_EQ(0, Play().PlayMediaItem(Items().GetMediaItemAt(0), PLAYER_HOST_PLAY_VIEW));
    {
        CMenuSpy spy;
        s_frame->playView->SendMessage(WM_CONTEXTMENU, (WPARAM)s_frame->playView->m_hWnd, MAKELPARAM(-1, -1));
        ASSERT_EQ(1u, spy.firstIds.size());
        EXPECT_EQ((UINT)ID_PLAY_PLAY, spy.firstIds[0]);
        ASSERT_GE(spy.submenus.size(), 8u);
        EXPECT_EQ((std::vector<CString>{L"Auto", L"Disable", L"", L"Track #1"}), spy.submenus[5]);
        EXPECT_EQ((std::vector<CString>{L"Auto", L"Disable", L"", L"Track #1", L"Track #2 - [eng]"}), spy.submenus[6]);
        ASSERT_FALSE(spy.submenus[7].empty());
        EXPECT_STREQ(L"Auto", spy.submenus[7][0]);
    }
    Play().StopAndRemember(0);
}

TEST_F(PlaylistItemWindow, CardsShowTheirThumbnailsAndThePlayingCardHostsTheVideo)
{
    LoadClips(7);
    ASSERT_EQ(7, Items().GetItemCount());
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(Items().GetMediaItemAt(i)->Thumbnail.IsValid()) << i;
    Items().SetItemSelected(1, TRUE, TRUE, TRUE);
    Items().SetHoverItem(2, TRUE);
    Items().UpdateWindow();
    CRect screen;
    Items().GetWindowRect(&screen);
    EXPECT_FALSE(SaveScreenRectScreenshot(L"player", L"playlist-grid", screen).IsEmpty());

    // The right button on a card's play part plays it inside the card.
    ASSERT_EQ(0, s_view->PlayItem(0, PLAYER_HOST_PLAYLIST));
    ASSERT_EQ(Items().m_hWnd, ::GetParent(Play().m_hWnd));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs > 500000; }, 30000));
    CRect thumb, placed;
    ASSERT_TRUE(Items().GetThumbnailRect(0, &thumb));
    Play().GetWindowRect(&placed);
    Items().ScreenToClient(&placed);
    EXPECT_EQ(thumb, placed) << "the play window lies over the playing card's thumbnail";
    EXPECT_TRUE(Play().IsWindowVisible());
    EXPECT_EQ(2, CPlaylistItemWnd::ItemLook(*Items().GetMediaItemAt(0)));
    SaveScreenRectScreenshot(L"player", L"playlist-grid-playing", screen);

    // Moving the playing item moves the video with it.
    EXPECT_TRUE(Items().MoveItem(0, 2, TRUE));
    ASSERT_TRUE(Items().GetThumbnailRect(2, &thumb));
    Play().GetWindowRect(&placed);
    Items().ScreenToClient(&placed);
    EXPECT_EQ(thumb, placed);

    Items().SetViewStyle(PLAYLIST_STYLE_LIST);
    EXPECT_FALSE(Play().IsWindowVisible()) << "rows have no room for the picture";
    Items().UpdateWindow();
    SaveScreenRectScreenshot(L"player", L"playlist-list", screen);
    Play().StopAndRemember(0);
    Items().SetViewStyle(PLAYLIST_STYLE_GRID);
}

}  // namespace
