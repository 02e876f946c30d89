// The play window moving from item to item with the fake playback tool: presses of Next,
// Previous, Stop and a double-click while the old tool is slow to stop never hold the window, and
// only the last press plays; items the tool cannot play are told, marked and passed over.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "player/app/PlayerResource.h"
#include "player/frame/MainFrame.h"
#include "player/playback/PlayView.h"
#include "player/playlist/PlaylistView.h"
#include "tests/common/Screenshot.h"

using namespace playertest;

namespace {

// Posts a probe to a window of the test's thread every 40 ms from a thread of its own and keeps
// the longest time one waited to be handled, and the longest SendMessageTimeout to 'target'.
class CResponseProbe {
public:
    explicit CResponseProbe(HWND target)
        : m_target(target),
          m_window(WS_POPUP, 0, 0, 1, 1, [this](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
              if (msg != kProbe)
                  return false;
              Note(m_longestPosted, GetTickCount() - (DWORD)wParam);
              result = 0;
              return true;
          })
    {
        m_stop = false;
        m_thread.reset(new enginetest::CPumpedThread([this] { Run(); }));
    }
    ~CResponseProbe() { Finish(); }
    void Finish()
    {
        m_stop = true;
        m_thread.reset();
    }
    DWORD LongestPosted() const { return m_longestPosted; }
    DWORD LongestSent() const { return m_longestSent; }

private:
    static const UINT kProbe = WM_APP + 77;
    static void Note(std::atomic<DWORD>& longest, DWORD value)
    {
        DWORD seen = longest;
        while (value > seen && !longest.compare_exchange_weak(seen, value)) {
        }
    }
    void Run()
    {
        while (!m_stop) {
            ::PostMessageW(m_window.Get(), kProbe, (WPARAM)GetTickCount(), 0);
            DWORD began = GetTickCount();
            DWORD_PTR reply = 0;
            ::SendMessageTimeoutW(m_target, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &reply);
            Note(m_longestSent, GetTickCount() - began);
            Sleep(40);
        }
    }

    HWND m_target;
    enginetest::CTestWindow m_window;
    std::atomic<bool> m_stop;
    std::atomic<DWORD> m_longestPosted{0};
    std::atomic<DWORD> m_longestSent{0};
    std::unique_ptr<enginetest::CPumpedThread> m_thread;
};

class PlaySwitch : public PlayerUiTest {
protected:
    static void SetUpTestSuite() { SetUpUi(); }
    static void TearDownTestSuite() { TearDownUi(); }

    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(5000);
        ResetUi();
        m_folder = MakeAwkwardFolder(L"play-switch");
        m_log = m_folder + L"\\runs.txt";
        Play().SetPath(TestTools().fakePlayer);
    }
    void TearDown() override
    {
        Play().StopAndRemember(0);
        WaitUntil([&] { return !Play().HasSession() && !Play().m_pPlayThread; }, 30000);
        Play().SetPath(TestTools().player);
        WriteFakePlayerScript(L"");
        CToolProcessBase::SetStopGraceForTests(10000);
    }

    CPlayWnd& Play() { return s_frame->playView->GetPlayWnd(); }
    CPlayView& View() { return *s_frame->playView; }
    // The fake tool plays each item for 'playMs' or until it is stopped, and takes 'stopMs' to
    // end once stopped; it cannot open the files with "bad" in their names.
    void FakeTool(int stopMs, int playMs = 600000)
    {
        CString script;
        script.Format(L"log %s\ninterval 50\nplay_ms %d\ndelay %d\nunplayable bad\n", m_log.GetString(), playMs,
                      stopMs);
        ASSERT_TRUE(WriteFakePlayerScript(script));
    }
    // Items of files the fake tool is given (it reads none of them).
    CMediaItem* AddItem(LPCWSTR name)
    {
        CString path = m_folder + L"\\" + name + L".mp4";
        EXPECT_TRUE(WriteUtf8File(path, L"the fake tool does not read it"));
        std::unique_ptr<CMediaItem> item(new CMediaItem);
        item->Path = path;
        item->Title = name;
        m_items.push_back(s_frame->playlist.Add(std::move(item)));
        return m_items.back();
    }
    void AddItems(int count)
    {
        for (int i = 0; i < count; ++i) {
            CString name;
            name.Format(L"item %d", i);
            AddItem(name);
        }
    }
    bool WaitAllOver(DWORD ms = 30000)
    {
        return WaitUntil([&] { return !Play().HasSession() && !Play().m_pPlayThread; }, ms);
    }
    static bool IsMarked(const CMediaItem* item) { return (item->StateFlags & MEDIA_STATE_UNPLAYABLE) != 0; }
    static CString CannotPlayText(const CMediaItem* item)
    {
        return L"\"" + item->Path + L"\"\n\nis not a valid video or audio file.";
    }
    // The input of each run the fake tool logged.
    std::vector<CString> PlayedInputs()
    {
        std::vector<CString> inputs;
        for (const std::vector<CString>& args : RunArgsFromLog(m_log))
            inputs.push_back(ArgumentAfter(args, L"-i").Trim(L"\""));
        return inputs;
    }
    bool WaitPlaying(CMediaItem* item, DWORD ms = 30000)
    {
        return WaitUntil([&] { return Play().GetCurrentItem() == item && Play().IsPlaying(); }, ms);
    }

    CString m_folder, m_log;
    std::vector<CMediaItem*> m_items;
};

// How long a call on the window's thread takes.
template <class F>
DWORD Timed(F f)
{
    DWORD began = GetTickCount();
    f();
    return GetTickCount() - began;
}

TEST_F(PlaySwitch, QuickPressesNeverHoldTheWindowAndTheLastOneWins)
{
    FakeTool(1500);
    AddItems(6);
    ASSERT_EQ(0, Play().PlayMediaItem(m_items[0], PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitPlaying(m_items[0]));

    // Five quick Nexts, as the keyboard queues them.
    CResponseProbe probe(View().m_hWnd);
    for (int i = 0; i < 5; ++i)
        View().PostMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == m_items[5]; }, 5000));
    EXPECT_TRUE(Play().IsStopPending()) << "the first item's tool is still ending";
    EXPECT_TRUE(Play().HasSession()) << "the last item waits for it";
    ASSERT_FALSE(s_frame->titles.empty());
    EXPECT_STREQ(L"item 5 - 6/6", s_frame->titles.back()) << "the title follows the press";
    EXPECT_TRUE(WaitPlaying(m_items[5])) << "the last press plays";

    // Previous, then a double-click on another item while that stop runs, then Stop: each press
    // returns at once.
    EXPECT_LT(Timed([&] { View().SendMessage(WM_COMMAND, ID_PLAY_PREVIOUS, 0); }), 200u);
    EXPECT_EQ(m_items[4], Play().GetCurrentItem());
    EXPECT_LT(Timed([&] { s_frame->playlistView->PlayItem(1, PLAYER_HOST_PLAY_VIEW); }), 200u);
    EXPECT_EQ(m_items[1], Play().GetCurrentItem());
    EXPECT_TRUE(WaitPlaying(m_items[1]));
    EXPECT_LT(Timed([&] { View().SendMessage(WM_COMMAND, ID_PLAY_STOP, 0); }), 200u);
    EXPECT_FALSE(Play().HasSession());
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Play().m_pPlayThread == nullptr; }, 20000)) << "the stopped tool ends";
    probe.Finish();
    EXPECT_LT(probe.LongestPosted(), 200u) << "the window answers while the old tools stop";
    EXPECT_LT(probe.LongestSent(), 200u);

    std::vector<CString> inputs = PlayedInputs();
    ASSERT_EQ(3u, inputs.size()) << "only the items the presses ended at played";
    EXPECT_STREQ(m_items[0]->Path, inputs[0]);
    EXPECT_STREQ(m_items[5]->Path, inputs[1]);
    EXPECT_STREQ(m_items[1]->Path, inputs[2]);
    EXPECT_EQ(PLAYER_STATE_STOPPED, m_items[1]->GetPlayState());
    EXPECT_EQ(PLAYER_STATE_STOPPED, m_items[0]->GetPlayState()) << "every item let go shows stopped";
}

TEST_F(PlaySwitch, QuickNextPressesWithThePlaybackToolNeverHoldTheWindow)
{
    Play().SetPath(TestTools().player);
    const CString clips[] = {TestClips().a, TestClips().b, TestClips().c};
    for (int i = 0; i < 6; ++i) {
        std::unique_ptr<CMediaItem> item = OpenItem(clips[i % 3]);
        ASSERT_TRUE(item != nullptr);
        m_items.push_back(s_frame->playlist.Add(std::move(item)));
    }
    ASSERT_EQ(0, Play().PlayMediaItem(m_items[0], PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs > 500000; }, 30000));
    CResponseProbe probe(View().m_hWnd);
    for (int i = 0; i < 5; ++i) {
        View().PostMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
        WaitUntil([] { return false; }, 100);
    }
    EXPECT_EQ(m_items[5], Play().GetCurrentItem());
    EXPECT_TRUE(WaitPlaying(m_items[5])) << "the last press plays";
    probe.Finish();
    EXPECT_LT(probe.LongestPosted(), 200u) << "the window answers while the tools stop";
}

TEST_F(PlaySwitch, AnItemLetGoIsNotTouchedByItsEndingSessionAndAWaitingOneCanGo)
{
    FakeTool(1500);
    AddItems(3);
    ASSERT_EQ(0, Play().PlayMediaItem(m_items[0], PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitPlaying(m_items[0]));

    // Next: the first item's tool ends slowly. Taken out of the list (as a delete does, which only
    // stops the current item), it is the list's no more: its session must not write into it.
    View().SendMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
    ASSERT_TRUE(Play().IsStopPending());
    std::unique_ptr<CMediaItem> gone = s_frame->playlist.Take(0);
    ASSERT_TRUE(gone.get() == m_items[0]);
    gone->SetPlayState(77);
    gone->LastPositionInUs = 12345;
    ASSERT_TRUE(WaitPlaying(m_items[1]));
    EXPECT_EQ(77, gone->GetPlayState());
    EXPECT_EQ(12345, gone->LastPositionInUs);

    // The item that waits for a stopping session is deleted: it never plays.
    View().SendMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
    ASSERT_EQ(m_items[2], Play().GetCurrentItem());
    ASSERT_EQ(0, s_frame->playlistView->RemoveItem(0, TRUE));  // the item that was let go
    EXPECT_TRUE(Play().HasSession()) << "deleting it keeps the waiting start";
    ASSERT_EQ(0, s_frame->playlistView->RemoveItem(0, TRUE));  // the waiting one
    EXPECT_FALSE(Play().HasSession());
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Play().m_pPlayThread == nullptr; }, 20000));
    WaitUntil([] { return false; }, 300);
    EXPECT_TRUE(Play().m_pPlayThread == nullptr) << "nothing started after the stopped session";
    EXPECT_EQ(2u, PlayedInputs().size());
}

TEST_F(PlaySwitch, AnItemThatCannotPlayIsMarkedAndPassedOverByTheAdvanceAndByNext)
{
    FakeTool(0, 300);
    CMediaItem* first = AddItem(L"first");
    CMediaItem* bad = AddItem(L"bad one");
    CMediaItem* last = AddItem(L"last");

    // Each item ends by itself: the one that cannot play is told and the list goes on.
    ASSERT_EQ(0, Play().PlayMediaItem(first, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == last && Play().IsPlaying(); }, 30000))
        << "the item after the one that cannot play plays";
    ASSERT_TRUE(WaitAllOver());
    std::vector<CString> inputs = PlayedInputs();
    ASSERT_EQ(3u, inputs.size());
    EXPECT_STREQ(bad->Path, inputs[1]);
    EXPECT_TRUE(IsMarked(bad)) << "the list shows which file cannot be played";
    EXPECT_FALSE(IsMarked(first) || IsMarked(last));
    EXPECT_NE(s_frame->playlist.invalidated.end(),
              std::find(s_frame->playlist.invalidated.begin(), s_frame->playlist.invalidated.end(), bad));
    EXPECT_TRUE(s_boxes.empty()) << "nothing to say while the list goes on";

    // Next and Previous step past it without trying it again.
    FakeTool(0);
    ASSERT_EQ(0, Play().PlayMediaItem(first, 0));
    ASSERT_TRUE(WaitPlaying(first));
    View().SendMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
    EXPECT_EQ(last, Play().GetCurrentItem());
    ASSERT_TRUE(WaitPlaying(last));
    View().SendMessage(WM_COMMAND, ID_PLAY_PREVIOUS, 0);
    EXPECT_EQ(first, Play().GetCurrentItem());
    ASSERT_TRUE(WaitPlaying(first));
    inputs = PlayedInputs();
    EXPECT_EQ(1, (int)std::count(inputs.begin(), inputs.end(), bad->Path)) << "only the first try";

    // Chosen by the user it is tried again; once it plays, it is no longer passed over.
    ASSERT_TRUE(WriteFakePlayerScript(L"log " + m_log + L"\ninterval 50\nplay_ms 300\n"));
    ASSERT_EQ(0, Play().PlayMediaItem(bad, 0));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == bad && Play().IsPlaying(); }, 30000));
    EXPECT_FALSE(IsMarked(bad));
}

TEST_F(PlaySwitch, RepeatAllGoesOnWithThePlayableItems)
{
    FakeTool(0, 200);
    CMediaItem* first = AddItem(L"first");
    CMediaItem* bad = AddItem(L"bad one");
    CMediaItem* last = AddItem(L"last");
    s_app->Settings().repeat = 2;
    ASSERT_EQ(0, Play().PlayMediaItem(first, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return PlayedInputs().size() >= 7; }, 60000)) << "the list goes round";
    Play().StopAndRemember(0, 1);
    ASSERT_TRUE(WaitAllOver());
    std::vector<CString> inputs = PlayedInputs();
    EXPECT_EQ(1, (int)std::count(inputs.begin(), inputs.end(), bad->Path)) << "tried once, then passed over";
    for (size_t i = 3; i < inputs.size(); ++i)
        EXPECT_STREQ((i % 2 ? first : last)->Path, inputs[i]) << "run " << i;
    EXPECT_TRUE(s_boxes.empty());
}

TEST_F(PlaySwitch, AListWhereNothingPlaysStopsOnceWithTheReason)
{
    FakeTool(0);
    CMediaItem* items[3] = {AddItem(L"bad 0"), AddItem(L"bad 1"), AddItem(L"bad 2")};
    CPlayerSettings& s = s_app->Settings();
    s.repeat = 2;
    s.shutdownAfterPlayback = 1;
    s.autoCloseWindow = 1;
    ASSERT_EQ(0, Play().PlayMediaItem(items[0], PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return !s_boxes.empty(); }, 30000));
    ASSERT_TRUE(WaitAllOver());
    WaitUntil([] { return false; }, 1000);
    EXPECT_EQ(3u, PlayedInputs().size()) << "each tried once, and no more";
    ASSERT_EQ(1u, s_boxes.size()) << "told once";
    EXPECT_STREQ(CannotPlayText(items[2]), s_boxes[0]);
    for (CMediaItem* item : items)
        EXPECT_TRUE(IsMarked(item));
    EXPECT_FALSE(Play().HasSession());
    EXPECT_EQ(0, s_powerOffs) << "no playback took place to follow";
    EXPECT_EQ(0, s_frame->closeRequests);
    EXPECT_EQ(1, s_frame->playlistViewShown);

    // Repeat Current with the one item chosen again: tried once more, told once more.
    s.repeat = 1;
    ASSERT_EQ(0, Play().PlayMediaItem(items[1], 0));
    ASSERT_TRUE(WaitUntil([&] { return s_boxes.size() > 1; }, 30000));
    ASSERT_TRUE(WaitAllOver());
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(4u, PlayedInputs().size());
    ASSERT_EQ(2u, s_boxes.size());
    EXPECT_STREQ(CannotPlayText(items[1]), s_boxes[1]);
}

TEST_F(PlaySwitch, AMissingPlaybackToolMarksNoItem)
{
    CMediaItem* first = AddItem(L"first");
    CMediaItem* last = AddItem(L"last");
    CString tool = m_folder + L"\\Modules\\Drumlin.exe";
    Play().SetPath(tool);
    s_app->Settings().repeat = 2;
    ASSERT_EQ(0, Play().PlayMediaItem(first, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitAllOver());
    WaitUntil([] { return false; }, 300);
    ASSERT_EQ(1u, s_boxes.size());
    EXPECT_STREQ(L"Cannot find the playback tool:\n" + tool, s_boxes[0]);
    EXPECT_FALSE(IsMarked(first) || IsMarked(last)) << "the files are not to blame";
    EXPECT_FALSE(Play().HasSession());
}

// The program's own frame with the fake tools: the probe answers for every file, the playback tool
// cannot open the files with "bad" in their names.
class PlaySwitchFrame : public PlayerFrameTest {
protected:
    void SetUp() override
    {
        PlayerFrameTest::SetUp();
        m_folder = MakeAwkwardFolder(L"switch-frame");
        m_log = m_folder + L"\\runs.txt";
        m_pids = m_folder + L"\\pids.txt";
        ASSERT_FALSE(UseFakeProbe(s_app->Resources(), 0).IsEmpty());
    }
    void TearDown() override
    {
        PlayerFrameTest::TearDown();
        WriteFakePlayerScript(L"");
        UseTestTools(s_app->Resources());
    }
    void FakeTool(int stopMs, int playMs)
    {
        CString script;
        script.Format(L"log %s\npid_file %s\ninterval 50\nplay_ms %d\ndelay %d\nunplayable bad\n", m_log.GetString(),
                      m_pids.GetString(), playMs, stopMs);
        ASSERT_TRUE(WriteFakePlayerScript(script));
    }
    // Opens the frame with the fake playback tool and a playlist of these files (made here).
    void OpenWith(std::initializer_list<LPCWSTR> names)
    {
        ASSERT_TRUE(Open());
        Play().SetPath(TestTools().fakePlayer);
        std::vector<CString> paths;
        for (LPCWSTR name : names) {
            paths.push_back(m_folder + L"\\" + name + L".mp3");
            ASSERT_TRUE(WriteUtf8File(paths.back(), L"the fake tools do not read it"));
        }
        CPlaylistEditGuard guard(&Playlist(), 0);
        for (const CString& path : paths)
            Playlist().AddPath(path);
    }
    bool WaitLoaded()
    {
        return WaitUntil([&] { return !Playlist().IsLoading() && !Playlist().AreThumbnailsRunning(); }, 60000);
    }

    CString m_folder, m_log, m_pids;
};

TEST_F(PlaySwitchFrame, AnUnplayableItemIsMarkedInTheListAndTheListGoesOn)
{
    FakeTool(0, 300);
    OpenWith({L"first", L"bad one", L"last"});
    ASSERT_TRUE(WaitLoaded());
    CMediaPlaylistLink* items = Playlist().GetItemWindow();
    ASSERT_EQ(3, items->GetMediaItemCount());
    ASSERT_EQ(0, Playlist().PlayItem(0, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return RunArgsFromLog(m_log).size() == 3u; }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return !Play().HasSession() && !Play().m_pPlayThread; }, 30000));
    EXPECT_EQ(Playlist().GetItemWindow()->GetMediaItem(2), Play().GetCurrentItem()) << "the last one played";
    EXPECT_TRUE(items->GetMediaItem(1)->StateFlags & MEDIA_STATE_UNPLAYABLE);
    m_frame->UpdateWindow();
    SaveWindowScreenshot(L"player", L"playlist-unplayable-item", m_frame->m_hWnd);
}

TEST_F(PlaySwitchFrame, ACloseAfterQuickPressesWaitsForOneToolOnlyAndEndsIt)
{
    FakeTool(2000, 600000);
    OpenWith({L"clip 0", L"clip 1", L"clip 2", L"clip 3", L"clip 4", L"clip 5"});
    ASSERT_TRUE(WaitLoaded());
    CString log = m_log, pids = m_pids;
    ASSERT_EQ(6, Playlist().GetItemWindow()->GetMediaItemCount());
    ASSERT_EQ(0, Playlist().PlayItem(0, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying(); }, 30000));

    // Five presses of Next and then a close, queued one behind the other as a user makes them.
    bool closed = false;
    DWORD took = 0;
    const UINT kClose = WM_APP + 5;
    enginetest::CTestWindow closer(WS_POPUP, 0, 0, 1, 1, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != kClose)
            return false;
        took = Timed([&] { Close(); });
        closed = true;
        result = 0;
        return true;
    });
    for (int i = 0; i < 5; ++i)
        m_frame->PostMessage(WM_COMMAND, ID_PLAY_NEXT, 0);
    ::PostMessageW(closer.Get(), kClose, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return closed; }, 60000));
    EXPECT_LT(took, 2000u + 4000u) << "the close waits for the one tool that was playing";
    EXPECT_EQ(1u, RunArgsFromLog(log).size()) << "no item the presses passed over was started";
    for (DWORD pid : enginetest::ReadPids(pids))
        EXPECT_FALSE(enginetest::IsProcessListed(pid)) << "the tool ended with the window";
}

}  // namespace
