// The main frame with its menu bar, control bar and view container, built as the program builds
// it: placement rules, full screen in both layouts, the item count and the empty playlist's
// button, the control bar steering a real playback, command routing to both views, docking and
// the view switch.
#include <gtest/gtest.h>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "framework/CmdUI.h"
#include "player/app/PlayerResource.h"
#include "player/frame/MainFrame.h"
#include "player/playback/PlayView.h"
#include "player/playlist/PlaylistView.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "tests/common/Screenshot.h"

using namespace playertest;

namespace {

constexpr __int64 kSecondUs(int n)
{
    return n * 1000000LL;
}

class MainFrameWindow : public PlayerFrameTest {};

// Counts the window moves and the background erasing the windows of this thread go through
// while it lives.
class CWindowWorkCounter {
public:
    CWindowWorkCounter()
    {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &CWindowWorkCounter::Hook, nullptr, GetCurrentThreadId());
    }
    ~CWindowWorkCounter()
    {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    int moves = 0;
    int erases = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_current) {
            s_current->moves += call->message == WM_WINDOWPOSCHANGING;
            s_current->erases += call->message == WM_ERASEBKGND;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static CWindowWorkCounter* s_current;
    HHOOK m_hook = nullptr;
};
CWindowWorkCounter* CWindowWorkCounter::s_current = nullptr;


TEST_F(MainFrameWindow, AFirstRunOpensAtTheDefaultSizeAndClosingKeepsThePlacement)
{
    CPlayerSettings& s = s_app->Settings();
    EXPECT_TRUE(CMainFrame::UsesDefaultSize(&s, 1920));
    EXPECT_FALSE(CMainFrame::UsesDefaultSize(&s, 1024)) << "a small screen leaves the size to the system";
    ASSERT_TRUE(Open());
    CRect rc;
    m_frame->GetWindowRect(&rc);
    EXPECT_EQ(CSize(1024, 576), rc.Size());
    CPlayerWindows& w = GetPlayerWindows();
    EXPECT_EQ(static_cast<CMainFrameLink*>(m_frame), w.frame);
    EXPECT_EQ(&m_frame->GetControlBar(), static_cast<CPlaybackControlBar*>(w.controlBar));
    EXPECT_EQ(m_frame->GetPlaylistView(), w.playlistView);
    EXPECT_EQ(&Play(), w.playWnd);
    EXPECT_TRUE(m_frame->GetContainer().IsShowingEmptyState()) << "an empty playlist shows Open Files";
    SaveWindowScreenshot(L"player", L"main-window-empty", m_frame->m_hWnd);

    m_frame->SetWindowPos(nullptr, 100, 80, 900, 600, SWP_NOZORDER);
    m_frame->ToggleFullScreen();
    Close();
    EXPECT_EQ(100, s.windowLeft) << "closed in full screen: the normal placement is kept";
    EXPECT_EQ(80, s.windowTop);
    EXPECT_EQ(900, s.windowWidth);
    EXPECT_EQ(600, s.windowHeight);
    EXPECT_TRUE(GetPlayerWindows().frame == nullptr) << "the pointers go with the frame";
    EXPECT_FALSE(CMainFrame::UsesDefaultSize(&s, 1920));
}

TEST_F(MainFrameWindow, ALongPlaylistLaysTheViewsOutOnceNotOncePerItem)
{
    ASSERT_TRUE(Open());
    const int kItems = 3000;
    CPlaylistData data(1);
    for (int i = 0; i < kItems; ++i) {
        CString path;
        path.Format(L"C:\\gone away\\clip %04d.mp4", i);
        CMediaItem* item = data.AddPath(path);
        item->ChangeFlags(MEDIA_FILE_PROBED);  // read with its information, nothing to probe
        item->MediaInfo.DurationInUs = kSecondUs(1);
    }
    CString file = MakeAwkwardFolder(L"long-playlist") + L"\\long.playlist";
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(file));
    ASSERT_EQ(0, format->Save(file, data, 0));
    ASSERT_TRUE(m_frame->GetContainer().IsShowingEmptyState());

    DWORD began = GetTickCount();
    {
        CWindowWorkCounter work;
        ASSERT_EQ(kItems, Playlist().OpenPlaylist(file, 0, 0));
        // The load thread looks at the files and hands the entries over.
        ASSERT_TRUE(WaitUntil([&] { return !Playlist().IsLoading() && Playlist().GetPendingCount() == 0; }, 60000));
        Playlist().UpdateItemCountDisplay();
        EXPECT_LT(work.moves, 50) << "the views come back once, as the first item comes in";
        EXPECT_LT(work.erases, 50);
    }
    DWORD took = GetTickCount() - began;
    EXPECT_FALSE(m_frame->GetContainer().IsShowingEmptyState());
    EXPECT_TRUE(m_frame->GetPlaylistView()->IsWindowVisible());
    EXPECT_TRUE(m_frame->GetPlayView()->IsWindowVisible());
    EXPECT_EQ(0, m_frame->GetMenuBarWnd().countText.Find(L"3000 items")) << CStringA(m_frame->GetMenuBarWnd().countText).GetString();
    std::printf("%d items read and shown in %lu ms\n", kItems, took);

    // Emptied, the button comes back; one item again, the views.
    Command(ID_PLAYLIST_DELETE_ALL);
    EXPECT_TRUE(m_frame->GetContainer().IsShowingEmptyState());
    EXPECT_FALSE(m_frame->GetPlaylistView()->IsWindowVisible());
    Load({TestClips().b});
    EXPECT_FALSE(m_frame->GetContainer().IsShowingEmptyState());
    EXPECT_TRUE(m_frame->GetPlaylistView()->IsWindowVisible());
}

TEST_F(MainFrameWindow, TheEmptyPlaylistKeepsOpenFilesAloneUntilTheFirstItemArrives)
{
    ASSERT_TRUE(Open());
    CViewContainerWnd& container = m_frame->GetContainer();
    auto alone = [&] {
        return container.IsShowingEmptyState() && container.m_wndOpenFiles.IsWindowVisible() &&
               !m_frame->GetPlaylistView()->IsWindowVisible() && !m_frame->GetPlayView()->IsWindowVisible();
    };
    ASSERT_TRUE(alone()) << "before the frame shows, too";
    // Docked and one at a time, each way of switching the views.
    Command(ID_VIEW_SWITCH);
    EXPECT_TRUE(alone()) << "Switch View";
    Command(ID_NEXT_PANE);
    EXPECT_TRUE(alone()) << "F6 and Tab";
    Command(ID_PREV_PANE);
    EXPECT_TRUE(alone()) << "Shift+F6";
    Command(ID_VIEW_DOCK_PLAYLIST);
    EXPECT_EQ(2, m_frame->GetViewLayout());
    EXPECT_TRUE(alone()) << "Dock Playlist Bar, one view at a time";
    Command(ID_VIEW_SWITCH);
    EXPECT_TRUE(alone()) << "Switch View, one view at a time";
    m_frame->ShowPlaylistView();
    EXPECT_TRUE(alone());
    Command(ID_VIEW_DOCK_PLAYLIST);
    EXPECT_EQ(1, m_frame->GetViewLayout());
    EXPECT_TRUE(alone()) << "Dock Playlist Bar, side by side";
    m_frame->UpdateWindow();
    SaveWindowScreenshot(L"player", L"main-window-empty-after-switching", m_frame->m_hWnd);

    Load({TestClips().b});
    EXPECT_FALSE(container.IsShowingEmptyState());
    EXPECT_FALSE(container.m_wndOpenFiles.IsWindowVisible());
    EXPECT_TRUE(m_frame->GetPlaylistView()->IsWindowVisible());
    EXPECT_TRUE(m_frame->GetPlayView()->IsWindowVisible());
}

// The entries of the submenu at 'position' of the menu bar's popup at 'title'.
std::vector<CString> SubmenuTexts(HMENU bar, int title, int position)
{
    std::vector<CString> texts;
    HMENU sub = GetSubMenu(GetSubMenu(bar, title), position);
    for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(sub, i, text, 128, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

TEST_F(MainFrameWindow, TheMenuBarsTrackMenusShowTheItemTheCommandsActOn)
{
    ASSERT_TRUE(Open());
    Load({TestClips().b, TestClips().a});
    HMENU bar = m_frame->GetMenuBarWnd().GetBarMenu();
    ASSERT_TRUE(bar);
    const int kPlaylistMenu = 1, kVideo = 8, kAudio = 9;
    HMENU playlistMenu = GetSubMenu(bar, kPlaylistMenu);
    ASSERT_TRUE(playlistMenu);
    wchar_t text[64] = L"";
    GetMenuStringW(playlistMenu, kAudio, text, 64, MF_BYPOSITION);
    ASSERT_STREQ(L"&Audio Track", text);
    auto open = [&] { m_frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)playlistMenu, MAKELPARAM(kPlaylistMenu, FALSE)); };

    // The playlist active: the selected item's tracks, and choosing one sets that item's stream.
    auto* list = dynamic_cast<CPlaylistItemWnd*>(Playlist().GetItemWindow());
    list->SetItemSelected(1, TRUE, TRUE, TRUE);
    open();
    EXPECT_EQ((std::vector<CString>{L"Auto", L"Disable", L"", L"Track #1", L"Track #2 - [eng]"}),
              SubmenuTexts(bar, kPlaylistMenu, kAudio));
    Command(ID_AUDIO_TRACK_FIRST + 1);
    EXPECT_EQ(1, list->GetMediaItemAt(1)->MediaInfo.SelectedAudioStream);

    // Playing in the play view, which is then active: the playing item's, whatever is selected.
    ASSERT_EQ(0, Play().PlayMediaItem(list->GetMediaItemAt(0), PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(m_frame->GetActiveView() == m_frame->GetPlayView());
    open();
    EXPECT_EQ((std::vector<CString>{L"Auto", L"Disable", L"", L"Track #1"}), SubmenuTexts(bar, kPlaylistMenu, kAudio))
        << "clip b has one audio track";
    EXPECT_EQ((std::vector<CString>{L"Auto", L"Disable", L"", L"Track #1"}), SubmenuTexts(bar, kPlaylistMenu, kVideo));
    Play().StopAndRemember(0);
}

TEST_F(MainFrameWindow, APlaylistOfThumbnailsPlaysAndTheControlBarSteersIt)
{
    ASSERT_TRUE(Open());
    Load({TestClips().a, TestClips().b, TestClips().c});
    EXPECT_FALSE(m_frame->GetContainer().IsShowingEmptyState());
    EXPECT_EQ(0, m_frame->GetMenuBarWnd().countText.Find(L"3 items, 0:1")) << CStringA(m_frame->GetMenuBarWnd().countText).GetString();
    SaveWindowScreenshot(L"player", L"main-window-playlist", m_frame->m_hWnd);

    CPlaybackControlBar& bar = m_frame->GetControlBar();
    CImageList* playImage = bar.ButtonImages(CPlaybackControlBar::PLAY);
    // The play view is not active: the frame routes Play to it anyway.
    Command(ID_PLAY_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs > kSecondUs(1); },
                          30000));
    EXPECT_NE(playImage, bar.ButtonImages(CPlaybackControlBar::PLAY)) << "the button shows Pause";
    EXPECT_NEAR(12000, bar.TimeDisplay()->GetDuration(), 200);
    EXPECT_GT(bar.TimeDisplay()->GetPosition(), 900);
    EXPECT_EQ(0, bar.TimeDisplay()->GetText().Find(L"00:0"));
    SaveWindowScreenshot(L"player", L"main-window-playing", m_frame->m_hWnd);

    // The seek slider moved by the user seeks; the volume slider sets the volume.
    bar.SendMessage(WM_BAR_ELEMENT_CHANGED, 8000, (LPARAM)bar.Element(CPlaybackControlBar::SEEK));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetStatusBlock().PositionUs >= kSecondUs(7); }, 15000));
    bar.SendMessage(WM_BAR_ELEMENT_CHANGED, 40, (LPARAM)bar.Element(CPlaybackControlBar::VOLUME));
    EXPECT_EQ(40, Play().GetVolume());
    EXPECT_STREQ(L"Volume: 40%", bar.GetTipText(CPlaybackControlBar::VOLUME + 1));
    Command(ID_VOLUME_MUTE);
    EXPECT_EQ(1, Play().GetMute());
    Command(ID_VOLUME_MUTE);

    bool totalShown = bar.TimeDisplay()->IsTotalShown() != FALSE;
    bar.SendMessage(WM_COMMAND, ID_TIME_DISPLAY_TOGGLE, 0);
    EXPECT_TRUE(bar.TimeDisplay()->IsRemainingShown());
    EXPECT_EQ(totalShown, bar.TimeDisplay()->IsTotalShown() != FALSE);
    Command(ID_PLAY_STOP);
    EXPECT_FALSE(Play().HasSession());
    EXPECT_EQ(playImage, bar.ButtonImages(CPlaybackControlBar::PLAY));
    bar.SendMessage(WM_COMMAND, ID_TIME_DISPLAY_TOGGLE, 0);
    bar.SendMessage(WM_COMMAND, ID_TIME_DISPLAY_TOGGLE, 0);
    bar.SendMessage(WM_COMMAND, ID_TIME_DISPLAY_TOGGLE, 0);
    EXPECT_FALSE(bar.TimeDisplay()->IsRemainingShown()) << "four toggles go round once";

    // Stopped, the item's total stays on show; the playlist emptied, there is none to show.
    EXPECT_NE(-1, bar.TimeDisplay()->GetText().Find(L" / 00:12")) << CStringA(bar.TimeDisplay()->GetText()).GetString();
    Command(ID_PLAYLIST_DELETE_ALL);
    EXPECT_EQ(0, bar.TimeDisplay()->GetDuration());
    EXPECT_STREQ(L"00:00", bar.TimeDisplay()->GetText());
    bar.UpdateWindow();
    SaveWindowScreenshot(L"player", L"control-bar-emptied-playlist", bar.m_hWnd);
}

TEST_F(MainFrameWindow, FullScreenPushesTheDockedPlaylistAndTheBarPastTheEdges)
{
    ASSERT_TRUE(Open());
    CRect before;
    m_frame->GetWindowRect(&before);
    CRect pane;
    m_frame->GetPlaylistView()->GetWindowRect(&pane);
    CRect bar;
    m_frame->GetControlBar().GetWindowRect(&bar);
    m_frame->ToggleFullScreen();
    EXPECT_TRUE(m_frame->IsFullScreen());
    CRect client;
    m_frame->GetClientRect(&client);
    m_frame->ClientToScreen(&client);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(-2, client.left);
    EXPECT_EQ(-2, client.top);
    EXPECT_EQ(screenW + pane.Width() + 2, client.right) << "the docked playlist lies past the right edge";
    EXPECT_EQ(screenH + bar.Height() + 2, client.bottom) << "the control bar lies past the bottom edge";
    m_frame->ToggleFullScreen();
    CRect after;
    m_frame->GetWindowRect(&after);
    EXPECT_EQ(before, after);

    // One view at a time: nothing but the bar is pushed out.
    Command(ID_VIEW_DOCK_PLAYLIST);
    EXPECT_EQ(2, m_frame->GetViewLayout());
    m_frame->ToggleFullScreen();
    m_frame->GetClientRect(&client);
    m_frame->ClientToScreen(&client);
    EXPECT_EQ(screenW + 2, client.right);
    EXPECT_EQ(screenH + bar.Height() + 2, client.bottom);
    m_frame->ToggleFullScreen();
    s_app->Settings().alwaysShowControlBar = 1;
    m_frame->ToggleFullScreen();
    m_frame->GetClientRect(&client);
    m_frame->ClientToScreen(&client);
    EXPECT_EQ(screenH + 2, client.bottom) << "the bar stays on the screen when asked to";
    m_frame->ToggleFullScreen();
}

TEST_F(MainFrameWindow, DockingSwitchingAndTheControlBarCommands)
{
    ASSERT_TRUE(Open());
    Load({TestClips().b});
    EXPECT_TRUE(m_frame->GetControlBar().Element(CPlaybackControlBar::SWITCH)->IsHidden()) << "docked: no switch";
    Command(ID_VIEW_DOCK_PLAYLIST);
    EXPECT_EQ(2, m_frame->GetViewLayout());
    EXPECT_FALSE(m_frame->GetControlBar().Element(CPlaybackControlBar::SWITCH)->IsHidden());
    EXPECT_EQ(m_frame->GetPlaylistView(), m_frame->GetActiveView());
    Command(ID_VIEW_SWITCH);
    EXPECT_EQ(m_frame->GetPlayView(), m_frame->GetActiveView());
    EXPECT_FALSE(m_frame->GetMenuBarWnd().IsWindowVisible()) << "the play view alone hides the menu bar";
    Command(ID_NEXT_PANE);
    EXPECT_EQ(m_frame->GetPlaylistView(), m_frame->GetActiveView()) << "F6 switches like Switch View";
    EXPECT_TRUE(m_frame->GetMenuBarWnd().IsWindowVisible());
    Command(ID_VIEW_DOCK_PLAYLIST);
    EXPECT_EQ(1, m_frame->GetViewLayout());

    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(m_frame->GetControlBar().IsWindowVisible()) << "59392 is the control bar's switch";
    EXPECT_TRUE(m_frame->GetMenuBarWnd().IsWindowVisible()) << "the menu bar never goes with it";
    Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(m_frame->GetControlBar().IsWindowVisible());

    // The seek slider takes what the other elements leave.
    CPlaybackControlBar& bar = m_frame->GetControlBar();
    CRect client, last;
    bar.GetClientRect(&client);
    bar.Element(CPlaybackControlBar::FULL_SCREEN)->GetRect(&last);
    EXPECT_LE(last.right, client.right) << "the last button is never cut";
    EXPECT_GT(last.right, client.right - 10);
    m_frame->SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
    CRect seek;
    bar.Element(CPlaybackControlBar::SEEK)->GetRect(&seek);
    EXPECT_EQ(100, seek.Width()) << "a narrow bar keeps the seek slider at 100 pixels";

    EXPECT_TRUE(Enabled(ID_PLAYLIST_DELETE_ALL)) << "the playlist view's commands reach the frame";
    EXPECT_FALSE(Enabled(ID_PLAY_STOP));
}

}  // namespace
