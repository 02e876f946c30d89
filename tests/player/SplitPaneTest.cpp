// The split pane and the view container: both layouts, the playlist pane's width through narrow
// windows and drags, the play window following the active pane, the mouse wheel, the empty state.
#include <gtest/gtest.h>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "player/app/PlayerResource.h"
#include "player/frame/ViewContainerWnd.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "tests/common/Screenshot.h"

using namespace playertest;

namespace {

class SplitPane : public PlayerUiTest {
protected:
    static void SetUpTestSuite() { SetUpUi(); }
    static void TearDownTestSuite() { TearDownUi(); }
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(3000);
        ResetUi();
        s_app->Settings().layout = 1;
        // The frame's own views stay out of the pictures.
        s_frame->playView->ShowWindow(SW_HIDE);
        s_frame->playlistView->ShowWindow(SW_HIDE);
        m_container.reset(new CViewContainerWnd);
        ASSERT_TRUE(m_container->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 840, 400), s_frame.get(), 4200));
        m_container->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_TRUE(m_container->CreatePanes(nullptr, RUNTIME_CLASS(CMediaPlaylistView), RUNTIME_CLASS(CPlayView)));
        m_playlist = dynamic_cast<CMediaPlaylistView*>(m_container->GetPlaylistPane());
        m_play = dynamic_cast<CPlayView*>(m_container->GetPlayPane());
        ASSERT_TRUE(m_playlist && m_play);
        CPlayerWindows& w = GetPlayerWindows();
        w.playlistView = m_playlist;
        w.itemWnd = m_playlist->GetItemWindow();
        w.playView = m_play;
        w.playWnd = &m_play->GetPlayWnd();
        m_container->SetLayout(1);
        m_container->ShowEmptyState(false);
    }
    void TearDown() override
    {
        if (m_container->m_hWnd)
            Play().StopAndRemember(0);
        m_container->DestroyWindow();
        m_container.reset();
        s_frame->playView->ShowWindow(SW_SHOW);
        s_frame->playlistView->ShowWindow(SW_SHOW);
        s_frame->Publish();
        CToolProcessBase::SetStopGraceForTests(10000);
    }
    CPlayWnd& Play() { return m_play->GetPlayWnd(); }
    CRect RectOf(CWnd* pane)
    {
        CRect rc;
        pane->GetWindowRect(&rc);
        m_container->ScreenToClient(&rc);
        return rc;
    }
    CPlaylistItemWnd& List() { return *dynamic_cast<CPlaylistItemWnd*>(m_playlist->GetItemWindow()); }

    std::unique_ptr<CViewContainerWnd> m_container;
    CMediaPlaylistView* m_playlist = nullptr;
    CPlayView* m_play = nullptr;
};

TEST_F(SplitPane, SideBySideThePlaylistKeepsItsWidthAtTheRight)
{
    const int w = CSplitPaneWnd::DefaultPaneWidth();
    EXPECT_EQ(s_app->Settings().GetSessionThumbnailWidth() + GetSystemMetrics(SM_CXVSCROLL) + 28, w);
    EXPECT_EQ(CRect(840 - w, 0, 840, 400), RectOf(m_playlist));
    EXPECT_EQ(CRect(0, 0, 840 - w - CSplitPaneWnd::kSplitterWidth, 400), RectOf(m_play));
    EXPECT_TRUE(m_playlist->IsWindowVisible() && m_play->IsWindowVisible());
    EXPECT_EQ(CRect(840 - w - 4, 0, 840 - w, 400), m_container->GetSplitterRect());
    CRect list;
    m_playlist->GetItemWindow()->GetListWindow()->GetWindowRect(&list);
    EXPECT_EQ(w, list.Width()) << "the list covers its view";

    // Too narrow: half the width, the wider one remembered and given back.
    m_container->MoveWindow(0, 0, 400, 400);
    EXPECT_EQ(200, RectOf(m_playlist).Width());
    EXPECT_EQ(w, CSplitPaneWnd::GetRememberedWidth());
    m_container->MoveWindow(0, 0, 840, 400);
    EXPECT_EQ(w, RectOf(m_playlist).Width());
    EXPECT_EQ(-1, CSplitPaneWnd::GetRememberedWidth());

    // A drag to the left widens the playlist, but never beyond half the window.
    CRect splitter = m_container->GetSplitterRect();
    m_container->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(splitter.left + 1, 100));
    ASSERT_EQ(m_container->m_hWnd, ::GetCapture());
    m_container->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(splitter.left - 99, 100));
    EXPECT_EQ(w + 100, RectOf(m_playlist).Width());
    m_container->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 100));
    EXPECT_EQ(420, RectOf(m_playlist).Width());
    m_container->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(900, 100));
    EXPECT_EQ(0, RectOf(m_playlist).Width()) << "not right of the pane's right edge";
    m_container->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(900, 100));
    EXPECT_NE(m_container->m_hWnd, ::GetCapture());
    m_container->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(500, 100));
    EXPECT_EQ(0, RectOf(m_playlist).Width()) << "without the button nothing is dragged";

    splitter = m_container->GetSplitterRect();
    m_container->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(splitter.left + 1, 50));
    EXPECT_EQ(w, RectOf(m_playlist).Width()) << "a double-click gives the first width back";
}

TEST_F(SplitPane, OneAtATimeThePlayWindowFollowsTheActivePane)
{
    {
        CPlaylistEditGuard guard(m_playlist, 0);
        m_playlist->AddPath(TestClips().a);
    }
    ASSERT_TRUE(WaitUntil([&] { return !m_playlist->IsLoading(); }, 60000));
    s_frame->layout = 2;
    m_container->SetLayout(2);
    m_container->SetActiveView(m_play);
    EXPECT_TRUE(m_play->IsWindowVisible());
    EXPECT_FALSE(m_playlist->IsWindowVisible());
    EXPECT_EQ(CRect(0, 0, 840, 400), RectOf(m_play));
    ASSERT_FALSE(s_frame->menuBarShown.empty());
    EXPECT_FALSE(s_frame->menuBarShown.back()) << "the play view hides the menu bar";
    ASSERT_FALSE(s_frame->bar.displayViewShown.empty());
    EXPECT_TRUE(s_frame->bar.displayViewShown.back());

    ASSERT_EQ(0, Play().PlayMediaItem(List().GetMediaItemAt(0), PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs > 500000; }, 30000));
    m_container->SetActiveView(m_playlist);
    EXPECT_EQ(List().m_hWnd, ::GetParent(Play().m_hWnd)) << "the video goes on inside its card";
    EXPECT_TRUE(Play().IsPlaying());
    EXPECT_TRUE(m_playlist->IsWindowVisible());
    EXPECT_FALSE(m_play->IsWindowVisible());
    EXPECT_TRUE(s_frame->menuBarShown.back());
    EXPECT_FALSE(s_frame->bar.displayViewShown.back());
    EXPECT_EQ(CRect(0, 0, 840, 400), RectOf(m_playlist));
    CRect screen;
    m_container->GetWindowRect(&screen);
    WaitUntil([] { return false; }, 500);  // the tool's picture follows its window on its own timer
    SaveScreenRectScreenshot(L"player", L"one-at-a-time-playing-in-list", screen);

    m_container->SetActiveView(m_play);
    EXPECT_EQ(m_play->m_hWnd, ::GetParent(Play().m_hWnd));
    Play().PauseResume();
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPaused(); }, 10000));
    m_container->SetActiveView(m_playlist);
    EXPECT_EQ(m_play->m_hWnd, ::GetParent(Play().m_hWnd)) << "a paused video stays where it is";

    m_container->SetLayout(1);
    EXPECT_TRUE(m_playlist->IsWindowVisible() && m_play->IsWindowVisible());
    m_container->DestroyWindow();
    EXPECT_EQ(1, s_app->Settings().layout) << "the layout is kept in the settings";
}

TEST_F(SplitPane, TheWheelScrollsTheListAndAnEmptyPlaylistShowsOpenFiles)
{
    for (int i = 0; i < 30; ++i) {
        CMediaItem* item = new CMediaItem;
        item->Path.Format(L"C:\\made up %d.mp4", i);
        item->Title = item->Path;
        List().AddItem(item);
    }
    EXPECT_EQ(0, List().GetScrollPos());
    MSG wheel = {m_play->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), MAKELPARAM(100, 100), 0, {0, 0}};
    EXPECT_TRUE(m_container->PreTranslateMessage(&wheel));
    EXPECT_EQ(1, List().GetScrollPos()) << "the wheel over the play view scrolls the playlist";

    m_container->ShowEmptyState(true);
    EXPECT_FALSE(m_playlist->IsWindowVisible());
    EXPECT_FALSE(m_play->IsWindowVisible());
    ASSERT_TRUE(m_container->m_wndOpenFiles.IsWindowVisible());
    CRect button;
    m_container->m_wndOpenFiles.GetWindowRect(&button);
    m_container->ScreenToClient(&button);
    EXPECT_EQ(CRect(372, 152, 468, 248), button) << "96 x 96 in the middle";
    CRect screen;
    m_container->GetWindowRect(&screen);
    SaveScreenRectScreenshot(L"player", L"empty-playlist", screen);
    m_container->SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), (LPARAM)m_container->m_wndOpenFiles.m_hWnd);
    WaitUntil([&] { return !s_frame->commands.empty(); }, 2000);
    ASSERT_EQ(1u, s_frame->commands.size());
    EXPECT_EQ((UINT)ID_FILE_OPEN_FILES, s_frame->commands[0]);
    m_container->ShowEmptyState(false);
    EXPECT_TRUE(m_playlist->IsWindowVisible() && m_play->IsWindowVisible());
    EXPECT_FALSE(m_container->m_wndOpenFiles.IsWindowVisible());
}

}  // namespace
