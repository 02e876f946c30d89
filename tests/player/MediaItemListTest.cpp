// The media item list windows: previous and next by "Repeat", deleting while an item plays, path
// tool tips, image names, the hosted play window's mouse input, and the playlist view working on
// its own list window.
#include <gtest/gtest.h>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaItemListWnd.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/playlist/MediaPlaylistWnd.h"

using namespace playertest;

namespace {

class MediaItemList : public PlayerUiTest {
protected:
    static void SetUpTestSuite() { SetUpUi(); }
    static void TearDownTestSuite() { TearDownUi(); }
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(3000);
        ResetUi();
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE, CRect(640, 0, 840, 400), s_frame.get(), 3000));
        GetPlayerWindows().itemWnd = &m_list;
    }
    void TearDown() override
    {
        Play().StopAndRemember(0);
        Play().AttachToView(PLAYER_HOST_PLAY_VIEW);
        s_frame->Publish();
        m_list.DestroyWindow();
        CToolProcessBase::SetStopGraceForTests(10000);
    }
    CPlayWnd& Play() { return s_frame->playView->GetPlayWnd(); }
    CMediaItem* Add(LPCWSTR path, bool probe = false)
    {
        CMediaItem* item = nullptr;
        if (probe) {
            item = OpenItem(path).release();
        } else {
            item = new CMediaItem;
            item->Path = path;
        }
        EXPECT_GE(m_list.AddItem(item), 0);
        return item;
    }

    CMediaPlaylistWnd m_list;
};

TEST_F(MediaItemList, PreviousAndNextFollowTheRepeatSetting)
{
    CMediaItem* a = Add(L"C:\\a.mp4");
    CMediaItem* b = Add(L"C:\\b.mp4");
    CMediaItem* c = Add(L"C:\\c.mp4");
    EXPECT_TRUE(m_list.GetNextItem(2) == nullptr) << "no current item, no next";
    Play().m_pCurrentItem = c;
    EXPECT_EQ(2, m_list.GetCurrentIndex());
    EXPECT_TRUE(m_list.GetNextItem(0) == nullptr);
    EXPECT_EQ(a, m_list.GetNextItem(2));
    EXPECT_EQ(c, m_list.GetNextItem(1));
    EXPECT_EQ(b, m_list.GetPreviousItem(0));
    Play().m_pCurrentItem = a;
    EXPECT_EQ(c, m_list.GetPreviousItem(2));
    EXPECT_TRUE(m_list.GetPreviousItem(0) == nullptr);
    EXPECT_EQ(b, m_list.GetNextItem(0));
    CMediaItem stranger;
    Play().m_pCurrentItem = &stranger;
    EXPECT_EQ(-1, m_list.GetCurrentIndex()) << "an item of no list";
    Play().m_pCurrentItem = nullptr;
}

TEST_F(MediaItemList, DeletingASelectionWithThePlayingItemStopsPlaybackFirst)
{
    s_app->Settings().rememberLastPos = 1;
    Add(TestClips().b, true);
    CMediaItem* playing = Add(TestClips().a, true);
    Add(TestClips().c, true);
    ASSERT_EQ(3, m_list.GetItemCount());
    ASSERT_EQ(0, Play().PlayMediaItem(playing, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs > 500000; }, 30000));
    m_list.SetItemSelected(1, TRUE, TRUE, TRUE);
    m_list.SetItemSelected(2, TRUE, FALSE, TRUE);
    m_list.DeleteSelected();
    EXPECT_FALSE(Play().HasSession());
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr);
    ASSERT_EQ(1, m_list.GetItemCount());
    EXPECT_STREQ(TestClips().b, m_list.GetMediaItemAt(0)->Path);
    EXPECT_EQ(0, s_frame->closeRequests);

    ASSERT_EQ(0, Play().PlayMediaItem(m_list.GetMediaItemAt(0), 0));
    m_list.DeleteAll();
    EXPECT_FALSE(Play().HasSession());
    EXPECT_EQ(0, m_list.GetItemCount());
}

TEST_F(MediaItemList, ToolTipsShowThePathCutToTheirBuffer)
{
    CString longPath = L"C:\\";
    while (longPath.GetLength() < 120)
        longPath += L"folder\\";
    longPath += L"clip.mp4";
    CMediaItem* item = Add(longPath);
    item->UpdateDisplayInfo();
    m_list.UpdateLayout();
    CRect cell;
    ASSERT_TRUE(m_list.GetItemRect(0, &cell));

    TTTOOLINFOW ti = {};
    ti.cbSize = CToolTipCtrl::ToolInfoSize();
    EXPECT_EQ(0, m_list.OnToolHitTest(cell.CenterPoint(), &ti));
    EXPECT_EQ(0u, ti.uId);
    EXPECT_EQ(m_list.m_hWnd, ti.hwnd);
    EXPECT_EQ(cell, CRect(ti.rect));
    EXPECT_EQ(LPSTR_TEXTCALLBACKW, ti.lpszText);
    EXPECT_EQ(-1, m_list.OnToolHitTest(CPoint(cell.right + 2, cell.bottom + 2), nullptr)) << "gaps are no item";

    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = m_list.GetToolTip().m_hWnd;
    info.hdr.idFrom = 0;
    info.hdr.code = TTN_GETDISPINFOW;
    m_list.SendMessage(WM_NOTIFY, 0, (LPARAM)&info);
    EXPECT_STREQ(longPath.Left(79), info.lpszText);
    NMTTDISPINFOA narrow = {};
    narrow.hdr = info.hdr;
    narrow.hdr.code = TTN_GETDISPINFOA;
    m_list.SendMessage(WM_NOTIFY, 0, (LPARAM)&narrow);
    EXPECT_STREQ(CStringA(longPath.Left(79)), narrow.lpszText);
    NMTTDISPINFOW byWindow = info;
    byWindow.lpszText = nullptr;
    byWindow.uFlags = TTF_IDISHWND;
    m_list.SendMessage(WM_NOTIFY, 0, (LPARAM)&byWindow);
    EXPECT_TRUE(byWindow.lpszText == nullptr) << "tools named by a window are not answered";
}

TEST_F(MediaItemList, PathsImagesAndDurations)
{
    CMediaItem* a = Add(L"C:\\Clips\\One.MP4");
    CMediaItem* b = Add(L"C:\\Clips\\two.mp4");
    a->MediaInfo.DurationInUs = 2500000;
    b->MediaInfo.DurationInUs = -1;
    EXPECT_TRUE(m_list.HasPath(L"c:\\clips\\one.mp4"));
    EXPECT_FALSE(m_list.HasPath(L"C:\\Clips\\one.mp"));
    EXPECT_EQ(2500, m_list.GetTotalDuration());
    EXPECT_TRUE(CMediaItemListWnd::IsImageFile(L"C:\\x\\PHOTO.JPG"));
    EXPECT_TRUE(CMediaItemListWnd::IsImageFile(L"scan.tiff"));
    EXPECT_FALSE(CMediaItemListWnd::IsImageFile(L"C:\\x\\anim.gif"));
    EXPECT_EQ(-1, m_list.RemoveItem(2, TRUE));
    EXPECT_EQ(0, m_list.RemoveItem(0, TRUE));
    EXPECT_FALSE(m_list.HasPath(L"C:\\Clips\\One.MP4"));
}

TEST_F(MediaItemList, TheHostedPlayWindowsMouseInputReachesTheList)
{
    Add(L"C:\\a.mp4");
    CMediaItem* b = Add(L"C:\\b.mp4");
    Play().AttachToView(PLAYER_HOST_PLAYLIST);
    ASSERT_EQ(m_list.m_hWnd, ::GetParent(Play().m_hWnd));
    Play().MoveWindow(10, 20, 100, 80);
    Play().m_pCurrentItem = b;

    MSG move = {Play().m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0, {0, 0}};
    EXPECT_TRUE(m_list.PreTranslateMessage(&move));
    EXPECT_EQ(1, m_list.GetHoverItem()) << "the playing item becomes the hot item";
    MSG leave = {Play().m_hWnd, WM_MOUSELEAVE, 0, 0, 0, {0, 0}};
    EXPECT_TRUE(m_list.PreTranslateMessage(&leave));
    EXPECT_EQ(-1, m_list.GetHoverItem());

    MSG drain;
    while (PeekMessageW(&drain, m_list.m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) {
    }
    MSG down = {Play().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7), 0, {0, 0}};
    EXPECT_TRUE(m_list.PreTranslateMessage(&down));
    MSG reposted;
    ASSERT_TRUE(PeekMessageW(&reposted, m_list.m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ((WPARAM)MK_LBUTTON, reposted.wParam);
    EXPECT_EQ(15, (short)LOWORD(reposted.lParam)) << "the point in the list's coordinates";
    EXPECT_EQ(27, (short)HIWORD(reposted.lParam));

    MSG other = {m_list.m_hWnd, WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(m_list.PreTranslateMessage(&other)) << "the list's own input goes the usual way";
    Play().m_pCurrentItem = nullptr;
}

TEST_F(MediaItemList, ThePlaylistViewWorksOnItsOwnListWindow)
{
    m_list.DestroyWindow();
    s_frame->Publish();
    CMediaPlaylistView* view = new CMediaPlaylistView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(640, 0, 840, 400), s_frame.get(), 4001));
    CMediaPlaylistLink* items = view->GetItemWindow();
    ASSERT_TRUE(items != nullptr);
    CMediaPlaylistWnd* list = dynamic_cast<CMediaPlaylistWnd*>(items);
    ASSERT_TRUE(list != nullptr);
    EXPECT_EQ(view->m_hWnd, ::GetParent(list->m_hWnd));
    CRect rc;
    list->GetWindowRect(&rc);
    EXPECT_EQ(200, rc.Width()) << "the list covers the view";
    GetPlayerWindows().playlistView = view;
    GetPlayerWindows().itemWnd = items;
    {
        CPlaylistEditGuard guard(view, 0);
        view->AddPath(TestClips().b);
        view->AddPath(TestClips().c);
        view->AddPath(TestClips().a);
    }
    ASSERT_TRUE(WaitUntil([&] { return !view->IsLoading() && !view->AreThumbnailsRunning(); }, 120000));
    ASSERT_EQ(3, list->GetItemCount());
    EXPECT_NEAR(16000, (double)list->GetTotalDuration(), 300) << "2 s + 2 s + 12 s, in milliseconds";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(list->GetMediaItemAt(i)->Thumbnail.IsValid()) << i;

    view->m_nModified = 0;
    EXPECT_TRUE(list->MoveItem(2, 0, TRUE)) << "a drag's move";
    EXPECT_STREQ(TestClips().a, list->GetMediaItemAt(0)->Path);
    EXPECT_EQ(1, view->m_nModified);
    EXPECT_EQ(0, view->RemoveItem(0, 1));
    EXPECT_EQ(2, list->GetItemCount());
    view->DestroyWindow();
    s_frame->Publish();
    ASSERT_TRUE(m_list.Create(WS_CHILD, CRect(0, 0, 10, 10), s_frame.get(), 3000));
}

}  // namespace
