// The play window and the play view with the real playback tool and clips made at test time:
// playing, pausing, seeking and stopping through the view's commands and letters, the next item
// by "Repeat", stream choices restarting at the position, filters and speed on the tool's command
// line, zoom, volume, the after-playback steps, and status records that are not ours.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "framework/CmdUI.h"
#include "framework/Effects.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/playback/ItemCommands.h"
#include "player/playback/PlayView.h"
#include "tests/common/Screenshot.h"

using namespace playertest;


namespace {

const __int64 kSecond = 1000000;

class PlayWindow : public PlayerUiTest {
protected:
    static void SetUpTestSuite() { SetUpUi(); }
    static void TearDownTestSuite() { TearDownUi(); }

    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(5000);
        ResetUi();
    }
    void TearDown() override
    {
        Play().StopAndRemember(0);
        CToolProcessBase::SetStopGraceForTests(10000);
    }

    CPlayWnd& Play() { return s_frame->playView->GetPlayWnd(); }
    CPlayView& View() { return *s_frame->playView; }
    CMediaItem* Add(LPCWSTR path)
    {
        std::unique_ptr<CMediaItem> item = OpenItem(path);
        EXPECT_TRUE(item != nullptr) << "probed " << CStringA(path).GetString();
        return item ? s_frame->playlist.Add(std::move(item)) : nullptr;
    }
    void Command(UINT id) { View().SendMessage(WM_COMMAND, id, 0); }
    // What the update handlers decide for a command.
    bool Enabled(UINT id)
    {
        CTestCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(&View(), FALSE);
        return ui.m_bEnabled != FALSE;
    }
    bool WaitPlaying(DWORD ms = 30000)
    {
        return WaitUntil([&] { return Play().HasSession() && Play().IsPlaying(); }, ms);
    }
    bool WaitPosition(__int64 us, DWORD ms = 30000)
    {
        return WaitUntil([&] { return Play().IsPlaying() && Play().GetStatusBlock().PositionUs >= us; }, ms);
    }
    bool WaitSessionOver(DWORD ms = 30000)
    {
        return WaitUntil([&] { return !Play().HasSession(); }, ms);
    }
    // The tool's video window in the play window's client coordinates.
    CRect VideoRect()
    {
        CRect r;
        HWND video = Play().GetToolWindow();
        if (!video)
            return r;
        ::GetWindowRect(video, &r);
        ::MapWindowPoints(nullptr, Play().m_hWnd, (POINT*)&r, 2);
        return r;
    }

};

TEST_F(PlayWindow, AClipPlaysInThePlayViewAndEndsByItself)
{
    CMediaItem* item = Add(TestClips().b);
    ASSERT_TRUE(item);
    ASSERT_EQ(0, Play().PlayMediaItem(item, PLAYER_HOST_PLAY_VIEW));
    EXPECT_EQ(1, s_frame->playViewShown);
    ASSERT_FALSE(s_frame->titles.empty());
    EXPECT_STREQ(L"clip b - 1/1", s_frame->titles.back());
    ASSERT_TRUE(WaitPosition(kSecond / 2));
    EXPECT_TRUE(Play().IsWindowVisible());
    EXPECT_EQ(PLAYER_STATE_PLAYING, item->GetPlayState()) << "the item shows the driver's state";
    EXPECT_EQ(-1, Play().GetBusyState()) << "the busy dots stop once the media is open";
    CRect playRect, viewRect;
    Play().GetWindowRect(&playRect);
    View().GetWindowRect(&viewRect);
    EXPECT_EQ(viewRect, playRect) << "the play window covers the play view";

    ASSERT_FALSE(s_frame->bar.states.empty());
    EXPECT_EQ(PLAYER_STATE_PLAYING, s_frame->bar.states.front());
    ASSERT_FALSE(s_frame->bar.durations.empty());
    EXPECT_NEAR(2.0, s_frame->bar.durations.back() / (double)kSecond, 0.2);
    EXPECT_GT(s_frame->bar.positions.size(), 1u) << "progress reaches the control bar";
    ASSERT_GT(s_app->Settings().recentFiles.GetCount(), 0);
    EXPECT_STREQ(item->Path, s_app->Settings().recentFiles.GetAt(0)) << "a played file is a recent file";

    ASSERT_TRUE(WaitSessionOver());
    EXPECT_TRUE(Play().IsEnded());
    EXPECT_FALSE(Play().IsWindowVisible()) << "the window hides with the session";
    EXPECT_EQ(PLAYER_STATE_ENDED, s_frame->bar.states.back());
    EXPECT_EQ(1, s_frame->playlistViewShown) << "with nothing after it the playlist comes back";
    EXPECT_EQ(0, s_frame->closeRequests);
    EXPECT_STREQ(L"Lumivo", s_frame->titles.back()) << "the title is reset at the end";
}

TEST_F(PlayWindow, PauseSeekAndStopByTheViewsCommandsAndLetters)
{
    ASSERT_TRUE(Add(TestClips().a));
    Command(ID_PLAY_PLAY);  // nothing selected: the first item
    ASSERT_TRUE(Play().HasSession());
    EXPECT_FALSE(Enabled(ID_PLAY_PLAY)) << "Play waits while the session starts";
    EXPECT_FALSE(Enabled(ID_SEEK_FORWARD_10S)) << "no seek before the tool plays";
    ASSERT_TRUE(WaitPosition(kSecond));
    EXPECT_TRUE(Enabled(ID_PLAY_STOP));
    EXPECT_TRUE(Enabled(ID_SEEK_FORWARD_10S));

    __int64 before = Play().GetStatusBlock().PositionUs;
    Command(ID_SEEK_FORWARD_10S);
    ASSERT_TRUE(WaitUntil([&] { return Play().GetStatusBlock().PositionUs >= before + 8 * kSecond; }, 15000))
        << "from " << before << " only to " << Play().GetStatusBlock().PositionUs;
    Command(ID_SEEK_BACKWARD_10S);
    ASSERT_TRUE(WaitUntil([&] { return Play().GetStatusBlock().PositionUs < before + 5 * kSecond; }, 15000));

    // Moving pictures never give two equal captures: the screenshot waits out its deadline.
    CString shot = SaveWindowScreenshot(L"player", L"play-view-playing", s_frame->m_hWnd);
    EXPECT_FALSE(shot.IsEmpty());
    View().SendMessage(WM_CHAR, 'z', 0);  // posts Play, which pauses
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPaused(); }, 10000));
    __int64 held = Play().GetStatusBlock().PositionUs;
    SaveWindowScreenshot(L"player", L"play-view-paused", s_frame->m_hWnd);
    EXPECT_LE(Play().GetStatusBlock().PositionUs - held, kSecond / 5) << "a paused tool holds its position";
    Command(ID_PLAY_PLAY);  // resumes
    ASSERT_TRUE(WaitPlaying(10000));

    s_app->Settings().autoCloseWindow = 1;
    View().SendMessage(WM_CHAR, 'X', 0);  // posts Stop: the user's stop
    ASSERT_TRUE(WaitSessionOver(20000));
    EXPECT_TRUE(Play().IsStopped());
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr);
    EXPECT_EQ(1, WaitUntil([&] { return s_frame->closeRequests > 0; }, 5000) ? s_frame->closeRequests : 0)
        << "after the user's Stop the window closes when asked to";
    EXPECT_FALSE(Enabled(ID_PLAY_STOP));
}

TEST_F(PlayWindow, TheNextItemFollowsTheRepeatSetting)
{
    CMediaItem* b = Add(TestClips().b);
    CMediaItem* c = Add(TestClips().c);
    ASSERT_TRUE(b && c);

    // Repeat 0: b ends, c follows, nothing after c.
    ASSERT_EQ(0, Play().PlayMediaItem(b, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == c && Play().IsPlaying(); }, 30000));
    ASSERT_TRUE(WaitSessionOver());
    EXPECT_EQ(c, Play().GetCurrentItem());
    EXPECT_EQ(1, s_frame->playlistViewShown);

    // Repeat 2 wraps from the last item to the first; Next and Previous move by hand.
    s_app->Settings().repeat = 2;
    ASSERT_EQ(0, Play().PlayMediaItem(c, 0));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == b && Play().IsPlaying(); }, 30000));
    EXPECT_TRUE(Enabled(ID_PLAY_NEXT));
    Command(ID_PLAY_NEXT);
    EXPECT_EQ(c, Play().GetCurrentItem());
    Command(ID_PLAY_NEXT);
    EXPECT_EQ(b, Play().GetCurrentItem()) << "Next wraps with Repeat All";
    Command(ID_PLAY_PREVIOUS);
    EXPECT_EQ(c, Play().GetCurrentItem()) << "Previous wraps from the first item";

    // Repeat 0 stops at the edges; Repeat 1 plays the same item again.
    s_app->Settings().repeat = 0;
    EXPECT_FALSE(Enabled(ID_PLAY_NEXT)) << "nothing after the last item";
    EXPECT_TRUE(Enabled(ID_PLAY_PREVIOUS));
    s_app->Settings().repeat = 1;
    auto startsOfC = [&] {
        return std::count(s_frame->titles.begin(), s_frame->titles.end(), CString(L"clip c - 2/2"));
    };
    auto before = startsOfC();
    ASSERT_TRUE(WaitUntil([&] { return startsOfC() > before; }, 30000)) << "Repeat Current plays c again";
    EXPECT_EQ(c, Play().GetCurrentItem());
    s_app->Settings().repeat = 0;
    ASSERT_TRUE(WaitSessionOver());
    EXPECT_EQ(c, Play().GetCurrentItem());
}

TEST_F(PlayWindow, ChoosingATrackRestartsTheToolAtThePosition)
{
    CMediaItem* a = Add(TestClips().a);
    ASSERT_TRUE(a);
    ASSERT_EQ(2, (int)a->MediaInfo.AudioStreams.GetSize());
    ASSERT_EQ(0, Play().PlayMediaItem(a, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitPosition(2 * kSecond));
    EXPECT_EQ(-1, Play().m_params.AudioStream) << "automatic at first";

    Command(ID_AUDIO_TRACK_FIRST + 1);  // "Track #2 - [eng]"
    EXPECT_EQ(1, a->MediaInfo.SelectedAudioStream);
    __int64 at = Play().GetPendingRestartPos();
    EXPECT_GE(at, 2 * kSecond) << "the restart keeps the position";
    ASSERT_TRUE(WaitUntil([&] { return Play().m_params.AudioStream != -1 && Play().IsPlaying(); }, 30000));
    EXPECT_EQ(a->MediaInfo.AudioStreams[1]->StreamIndex + 1, Play().m_params.AudioStream);
    EXPECT_EQ(at / 1000, Play().m_params.StartMs);
    ASSERT_TRUE(WaitUntil([&] { return Play().GetStatusBlock().PositionUs >= at; }, 15000))
        << "the new run goes on from where the old one was";
    CString command = Play().MakeLaunchCommand(Play().m_params);
    CString ast;
    ast.Format(L" -ast %d ", Play().m_params.AudioStream);
    EXPECT_NE(-1, command.Find(ast)) << CStringA(command).GetString();

    Command(ID_AUDIO_TRACK_DISABLE);
    EXPECT_EQ(MEDIA_SELECT_NONE, a->MediaInfo.SelectedAudioStream);
    ASSERT_TRUE(WaitUntil([&] { return Play().m_params.AudioStream == -2 && Play().IsPlaying(); }, 30000));
    EXPECT_NE(-1, Play().MakeLaunchCommand(Play().m_params).Find(L" -an")) << "Disable turns the sound off";

    Command(ID_PLAY_STOP);
    EXPECT_FALSE(Play().HasSession()) << "Stop lets go of the session at once";
    EXPECT_TRUE(WaitUntil([&] { return Play().m_pPlayThread == nullptr; }, 20000)) << "and its tool ends";
}

TEST_F(PlayWindow, FiltersAndSpeedReachTheToolsCommandLine)
{
    CMediaItem* a = Add(TestClips().a);
    ASSERT_TRUE(a);
    // Without a session the commands change the item and the next run takes them.
    Play().m_pCurrentItem = a;
    const UINT toggles[] = {ID_FILTER_ROTATE_90, ID_FILTER_FLIP_H, ID_FILTER_FLIP_V, ID_FILTER_NEGATE,
                            ID_FILTER_GRAYSCALE, ID_FILTER_OLD_PHOTO, ID_FILTER_VOLUME_300, ID_FILTER_SPEED_50};
    for (UINT id : toggles) {
        EXPECT_TRUE(Enabled(id));
        Command(id);
    }
    ASSERT_EQ(0, Play().PrepareParams());
    CString line = Play().MakeLaunchCommand(Play().m_params);
    const wchar_t* expected[] = {L"setpts=2.000000*PTS", L"transpose=1", L"hflip", L"vflip", L"negate",
                                 L"hue=s=0", L"colorchannelmixer=", L"volume=3.000000", L"atempo=0.500000"};
    for (const wchar_t* part : expected)
        EXPECT_NE(-1, line.Find(part)) << CStringA(part).GetString() << " in " << CStringA(line).GetString();
    EXPECT_EQ(50, Play().GetPlaySpeed());

    Command(ID_FILTER_ROTATE_90);  // again: back to 0
    Command(ID_FILTER_ROTATE_270);
    Command(ID_FILTER_SPEED_200);
    Command(ID_FILTER_VOLUME_300);  // again: back to 100
    ASSERT_EQ(0, Play().PrepareParams());
    line = Play().MakeLaunchCommand(Play().m_params);
    EXPECT_NE(-1, line.Find(L",transpose=2,hflip")) << CStringA(line).GetString();
    EXPECT_EQ(-1, line.Find(L"transpose=1"));
    EXPECT_NE(-1, line.Find(L"setpts=0.500000*PTS"));
    EXPECT_NE(-1, line.Find(L"atempo=2.000000"));
    EXPECT_EQ(-1, line.Find(L"volume=")) << "volume 100 is no filter";

    Command(ID_FILTER_DISABLE_ALL);
    ASSERT_EQ(0, Play().PrepareParams());
    line = Play().MakeLaunchCommand(Play().m_params);
    EXPECT_EQ(-1, line.Find(L"-vf")) << CStringA(line).GetString();
    EXPECT_EQ(-1, line.Find(L"-af"));
    EXPECT_EQ(100, Play().GetPlaySpeed());

    // The resume-once flag: only the first item played after start resumes at its position.
    a->LastPositionInUs = 3 * kSecond;
    Play().m_nResumeOnce = 1;
    ASSERT_EQ(0, Play().PrepareParams());
    EXPECT_EQ(3000, Play().m_params.StartMs);
    EXPECT_EQ(0, a->LastPositionInUs);
    a->LastPositionInUs = 3 * kSecond;
    ASSERT_EQ(0, Play().PrepareParams());
    EXPECT_EQ(0, Play().m_params.StartMs) << "the flag is used once";
    Play().m_pCurrentItem = nullptr;
    EXPECT_FALSE(Enabled(ID_FILTER_NEGATE)) << "no filter without a current item";
}

TEST_F(PlayWindow, ZoomPlacesTheVideoAndVolumeCommandsClamp)
{
    CMediaItem* b = Add(TestClips().a);
    ASSERT_TRUE(b);
    ASSERT_EQ(0, Play().PlayMediaItem(b, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitPosition(kSecond / 2));
    CRect client;
    Play().GetClientRect(&client);
    ASSERT_EQ(640, client.Width());
    ASSERT_EQ(400, client.Height());

    Command(ID_ZOOM_100);
    EXPECT_EQ(CRect(160, 80, 480, 320), VideoRect()) << "320 x 240 centred";
    Command(ID_ZOOM_CYCLE);  // 100 -> 200: 640 x 480 does not fit, fitted to the height
    EXPECT_EQ(200, Play().GetZoom());
    EXPECT_EQ(CRect(53, 0, 587, 400), VideoRect());
    Command(ID_ZOOM_CYCLE);  // 200 -> fit
    EXPECT_EQ(0, Play().GetZoom());
    EXPECT_EQ(CRect(54, 0, 586, 400), VideoRect()) << "fit rounds to even sizes";
    Command(ID_ZOOM_CYCLE);
    EXPECT_EQ(50, Play().GetZoom());
    EXPECT_EQ(CRect(240, 140, 400, 260), VideoRect());
    SaveWindowScreenshot(L"player", L"play-view-zoom-50", s_frame->m_hWnd);
    EXPECT_TRUE(Enabled(ID_ZOOM_50)) << "320 x 240 halves into whole pixels";

    Play().SetVolume(95);
    EXPECT_TRUE(Enabled(ID_VOLUME_UP));
    int updates = s_frame->bar.volumeUpdates;
    Command(ID_VOLUME_UP);
    EXPECT_EQ(100, Play().GetVolume()) << "the driver clamps";
    EXPECT_FALSE(Enabled(ID_VOLUME_UP));
    Command(ID_VOLUME_DOWN);
    EXPECT_EQ(90, Play().GetVolume());
    Command(ID_VOLUME_MUTE);
    EXPECT_EQ(1, Play().GetMute());
    Command(ID_VOLUME_MUTE);
    EXPECT_EQ(0, Play().GetMute());
    Command(ID_VOLUME_100);
    EXPECT_EQ(100, Play().GetVolume());
    EXPECT_EQ(updates + 5, s_frame->bar.volumeUpdates) << "every change is shown on the control bar";
    for (int i = 0; i < 11; ++i)
        Command(ID_VOLUME_DOWN);
    EXPECT_EQ(0, Play().GetVolume());
    EXPECT_FALSE(Enabled(ID_VOLUME_DOWN));
    Command(ID_VOLUME_100);
}

TEST_F(PlayWindow, InternalStopsEndTheSessionOnlyAndTheUsersStopRunsTheAfterSteps)
{
    CMediaItem* a = Add(TestClips().a);
    CMediaItem* b = Add(TestClips().b);
    ASSERT_TRUE(a && b);
    CPlayerSettings& s = s_app->Settings();
    s.autoCloseWindow = 1;
    s.shutdownAfterPlayback = 1;
    s.repeat = 2;
    s.rememberLastPos = 1;

    ASSERT_EQ(0, Play().PlayMediaItem(a, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitPosition(kSecond));
    // Another item chosen: a is stopped, keeps its position and nothing else follows.
    ASSERT_EQ(0, Play().PlayMediaItem(b, 0));
    EXPECT_GE(a->LastPositionInUs, kSecond);
    EXPECT_EQ(b, Play().GetCurrentItem());
    EXPECT_EQ(0, s_powerOffs);
    EXPECT_EQ(0, s_frame->closeRequests);
    ASSERT_TRUE(WaitPlaying());

    // The playing item removed from the playlist: the same internal stop.
    Play().StopAndRemember(0);
    EXPECT_FALSE(Play().HasSession());
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(0, s_powerOffs);
    EXPECT_EQ(0, s_frame->closeRequests);
    EXPECT_TRUE(Play().GetCurrentItem() == nullptr) << "Repeat All did not start another item";

    // The user's Stop: the computer would be shut down.
    ASSERT_EQ(0, Play().PlayMediaItem(a, 0));
    ASSERT_TRUE(WaitPlaying());
    EXPECT_GE(Play().m_params.StartMs, 1000) << "Remember Last Position resumes";
    Command(ID_PLAY_STOP);
    EXPECT_TRUE(WaitUntil([&] { return s_powerOffs > 0; }, 20000)) << "once the stopped tool has ended";
    EXPECT_EQ(1, s_powerOffs);
    EXPECT_EQ(0, s_frame->closeRequests) << "power off comes first";
}

TEST_F(PlayWindow, AToolThatNeverPlayedNeitherAdvancesNorShutsDown)
{
    CString broken = TestClips().folder + L"\\not a video.mp4";
    ASSERT_TRUE(WriteUtf8File(broken, L"this is no media file at all"));
    std::unique_ptr<CMediaItem> item(new CMediaItem);
    item->Path = broken;
    CMediaItem* bad = s_frame->playlist.Add(std::move(item));
    s_app->Settings().repeat = 1;
    s_app->Settings().shutdownAfterPlayback = 1;
    s_app->Settings().autoCloseWindow = 1;

    ASSERT_EQ(0, Play().PlayMediaItem(bad, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitSessionOver());
    WaitUntil([] { return false; }, 500);
    EXPECT_FALSE(Play().HasSession()) << "Repeat Current did not start the broken item again";
    EXPECT_FALSE(Play().ReachedPlaying());
    EXPECT_EQ(0, s_powerOffs);
    EXPECT_EQ(0, s_frame->closeRequests);
    EXPECT_EQ(1, s_frame->playlistViewShown);
    ASSERT_EQ(1u, s_boxes.size()) << "the stop says why";
    EXPECT_STREQ(L"\"" + broken + L"\"\n\nis not a valid video or audio file.", s_boxes[0]);
    EXPECT_TRUE(bad->StateFlags & MEDIA_STATE_UNPLAYABLE);

    // A missing file never starts a session.
    CString missing = TestClips().folder + L"\\gone.mp4";
    std::unique_ptr<CMediaItem> gone(new CMediaItem);
    gone->Path = missing;
    CMediaItem* g = s_frame->playlist.Add(std::move(gone));
    EXPECT_EQ(-1, Play().PlayMediaItem(g, 0));
    ASSERT_EQ(2u, s_boxes.size());
    EXPECT_STREQ(L"File does not exist.", s_boxes[1]);
    EXPECT_TRUE(g->StateFlags & MEDIA_STATE_FILE_MISSING);
    EXPECT_FALSE(Play().HasSession());
}

// The box of a missing file lets messages in: a playlist replaced meanwhile (an address handed
// over by the load thread) deletes the item. Nothing of it is touched once the box is up.
TEST_F(PlayWindow, AMissingFilesItemIsNotTouchedAfterItsMessage)
{
    std::unique_ptr<CMediaItem> gone(new CMediaItem);
    gone->Path = TestClips().folder + L"\\gone while told.mp4";
    CMediaItem* item = s_frame->playlist.Add(std::move(gone));
    const int index = s_frame->playlist.GetMediaItemCount() - 1;
    std::unique_ptr<CMediaItem> taken;
    UINT flagsWhenTaken = 0;
    s_onBox = [&] {
        taken = s_frame->playlist.Take(index);
        flagsWhenTaken = taken ? taken->StateFlags : 0;
    };
    EXPECT_EQ(-1, Play().PlayMediaItem(item, 0));
    s_onBox = nullptr;
    ASSERT_EQ(1u, s_boxes.size());
    EXPECT_STREQ(L"File does not exist.", s_boxes[0]);
    ASSERT_TRUE(taken != nullptr);
    EXPECT_EQ(flagsWhenTaken, taken->StateFlags) << "written after the box";
    EXPECT_TRUE(taken->StateFlags & MEDIA_STATE_FILE_MISSING) << "marked before it";
    EXPECT_FALSE(Play().HasSession());
}

TEST_F(PlayWindow, UnreadableClipsAreToldAndPassedOverAndAListOfThemStopsOnce)
{
    // A clip cut short (a copy that broke off: the encoder writes its index at the end) and a text
    // file named as a clip, between two clips.
    CString cut = TestClips().folder + L"\\clip b cut short.mp4";
    std::string bytes = ReadBytes(TestClips().b);
    ASSERT_GT(bytes.size(), 3000u);
    ASSERT_TRUE(WriteBytes(cut, bytes.substr(0, bytes.size() / 3)));
    CString text = TestClips().folder + L"\\notes.mp4";
    ASSERT_TRUE(WriteUtf8File(text, L"this is no media file at all"));
    auto addUnprobed = [&](const CString& path, LPCWSTR title) {
        std::unique_ptr<CMediaItem> item(new CMediaItem);
        item->Path = path;
        item->Title = title;
        return s_frame->playlist.Add(std::move(item));
    };
    CMediaItem* b = Add(TestClips().b);
    CMediaItem* shortened = addUnprobed(cut, L"cut short");
    CMediaItem* notes = addUnprobed(text, L"notes");
    CMediaItem* c = Add(TestClips().c);
    ASSERT_TRUE(b && c);
    auto tried = [&](LPCWSTR title) {
        return std::count(s_frame->titles.begin(), s_frame->titles.end(), CString(title));
    };

    ASSERT_EQ(0, Play().PlayMediaItem(b, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().GetCurrentItem() == c && Play().IsPlaying(); }, 60000))
        << "the clip after the two that cannot play plays";
    ASSERT_TRUE(WaitUntil([&] { return !Play().HasSession() && !Play().m_pPlayThread; }, 30000));
    EXPECT_EQ(1, tried(L"cut short - 2/4"));
    EXPECT_EQ(1, tried(L"notes - 3/4"));
    EXPECT_TRUE(shortened->StateFlags & MEDIA_STATE_UNPLAYABLE);
    EXPECT_TRUE(notes->StateFlags & MEDIA_STATE_UNPLAYABLE);
    EXPECT_FALSE((b->StateFlags | c->StateFlags) & MEDIA_STATE_UNPLAYABLE);
    EXPECT_TRUE(s_boxes.empty());

    // Only the two left, not yet known as unplayable, with Repeat All: each is tried once and the
    // list stops, saying why.
    ASSERT_EQ(0, s_frame->playlistView->RemoveItem(3, TRUE));
    ASSERT_EQ(0, s_frame->playlistView->RemoveItem(0, TRUE));
    shortened->ChangeStateFlags(0, MEDIA_STATE_UNPLAYABLE);
    notes->ChangeStateFlags(0, MEDIA_STATE_UNPLAYABLE);
    s_app->Settings().repeat = 2;
    s_frame->titles.clear();
    ASSERT_EQ(0, Play().PlayMediaItem(shortened, 0));
    ASSERT_TRUE(WaitUntil([&] { return !s_boxes.empty(); }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return !Play().HasSession() && !Play().m_pPlayThread; }, 30000));
    WaitUntil([] { return false; }, 1000);
    EXPECT_EQ(1, tried(L"cut short - 1/2"));
    EXPECT_EQ(1, tried(L"notes - 2/2"));
    ASSERT_EQ(1u, s_boxes.size());
    EXPECT_STREQ(L"\"" + text + L"\"\n\nis not a valid video or audio file.", s_boxes[0]);
}

TEST_F(PlayWindow, StopDuringTheToolsStartEndsTheSessionPromptly)
{
    CMediaItem* a = Add(TestClips().a);
    ASSERT_TRUE(a);
    ASSERT_EQ(0, Play().PlayMediaItem(a, PLAYER_HOST_PLAY_VIEW));
    DWORD began = GetTickCount();
    Command(ID_PLAY_STOP);
    EXPECT_FALSE(Play().HasSession());
    EXPECT_FALSE(Play().IsActive());
    EXPECT_TRUE(WaitUntil([&] { return Play().m_pPlayThread == nullptr; }, 8000))
        << "the tool was told as soon as it could be";
    EXPECT_LT(GetTickCount() - began, 8000u);

    // A restart that is under way when Stop comes ends the session too.
    ASSERT_EQ(0, Play().PlayMediaItem(a, 0));
    ASSERT_TRUE(WaitPosition(kSecond / 2));
    Command(ID_FILTER_GRAYSCALE);
    began = GetTickCount();
    Command(ID_PLAY_STOP);
    EXPECT_FALSE(Play().HasSession());
    EXPECT_TRUE(WaitUntil([&] { return Play().m_pPlayThread == nullptr; }, 8000));
    EXPECT_LT(GetTickCount() - began, 8000u);
    WaitUntil([] { return false; }, 500);
    EXPECT_FALSE(Play().HasSession()) << "no new run started after the stop";
    EXPECT_TRUE(Play().m_pPlayThread == nullptr);
}

TEST_F(PlayWindow, OnlyItsOwnDriversStatusRecordsAreDispatched)
{
    CMediaItem* b = Add(TestClips().b);
    ASSERT_TRUE(b);
    Play().m_pCurrentItem = b;
    HWND fakeVideo = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, Play().m_hWnd,
                                       nullptr, nullptr, nullptr);
    ASSERT_TRUE(fakeVideo != NULL);
    PlayerStatusRecord rec = {};
    rec.Head.ToolWindow = (__int64)(UINT_PTR)fakeVideo;
    rec.Head.Code = PLAYER_STATUS_STARTED;
    rec.Block.VideoWidth = 720;
    rec.Block.VideoHeight = 576;
    rec.Block.AspectNum = 16;
    rec.Block.AspectDen = 9;
    COPYDATASTRUCT cds = {PLAYER_STATUS_ID, PLAYER_STATUS_SIZE, &rec};

    rec.Head.Context = 0x12345678;  // somebody else's driver
    EXPECT_EQ(0, Play().SendMessage(WM_COPYDATA, 0, (LPARAM)&cds));
    EXPECT_FALSE(Play().IsPlaying());
    EXPECT_TRUE(Play().GetToolWindow() == NULL) << "a foreign record is not dispatched";
    rec.Head.Context = Play().GetContext();
    cds.cbData = PLAYER_STATUS_SIZE - 8;
    Play().SendMessage(WM_COPYDATA, 0, (LPARAM)&cds);
    EXPECT_TRUE(Play().GetToolWindow() == NULL) << "a record of another size is not dispatched";

    // Our own: playback started, and the video is fitted by the reported size and aspect.
    cds.cbData = PLAYER_STATUS_SIZE;
    Play().SendMessage(WM_COPYDATA, 0, (LPARAM)&cds);
    EXPECT_TRUE(Play().IsPlaying());
    EXPECT_EQ(fakeVideo, Play().GetToolWindow());
    EXPECT_EQ(CRect(0, 20, 640, 380), VideoRect()) << "fitted into the play view at once";
    Play().MoveWindow(0, 0, 1100, 620);  // a new size places the video again
    EXPECT_EQ(CRect(38, 22, 1062, 598), VideoRect()) << "720 x 576 at 16:9 is 1024 x 576 at 100%";
    Play().MoveWindow(0, 0, 801, 451);
    Play().SetZoom(0);
    EXPECT_EQ(CRect(0, 0, 800, 450), VideoRect()) << "fitted into 801 x 451";
    rec.Block.VideoWidth = 853;
    rec.Block.VideoHeight = 480;
    rec.Head.Code = PLAYER_STATUS_PROGRESS;
    Play().SendMessage(WM_COPYDATA, 0, (LPARAM)&cds);
    EXPECT_FALSE(Enabled(ID_ZOOM_50)) << "an odd width has no half size";

    rec.Head.Code = PLAYER_STATUS_ENDED;
    Play().SendMessage(WM_COPYDATA, 0, (LPARAM)&cds);
    EXPECT_FALSE(Play().IsActive());
    ::DestroyWindow(fakeVideo);
    Play().m_pCurrentItem = nullptr;
    View().LayoutPlayWindow();
    Play().SetZoom(100);
}

TEST_F(PlayWindow, PlayWithAnEmptyPlaylistAsksForFilesAndDoubleClickSwitches)
{
    Command(ID_PLAY_PLAY);
    ASSERT_EQ(1u, s_frame->commands.size());
    EXPECT_EQ((UINT)ID_FILE_OPEN_FILES, s_frame->commands[0]);
    EXPECT_FALSE(Play().HasSession());

    MSG msg = {View().m_hWnd, WM_LBUTTONDBLCLK, 0, 0, 0, {0, 0}};
    s_frame->layout = 2;
    EXPECT_TRUE(View().PreTranslateMessage(&msg));
    EXPECT_EQ(1, s_frame->playlistViewShown) << "one view at a time: back to the playlist";
    s_frame->layout = 1;
    EXPECT_TRUE(View().PreTranslateMessage(&msg));
    WaitUntil([&] { return s_frame->commands.size() > 1; }, 2000);
    ASSERT_EQ(2u, s_frame->commands.size());
    EXPECT_EQ((UINT)ID_VIEW_FULL_SCREEN, s_frame->commands[1]) << "side by side: full screen";

    View().SendMessage(WM_CHAR, 'f', 0);
    WaitUntil([&] { return s_frame->commands.size() > 2; }, 2000);
    ASSERT_EQ(3u, s_frame->commands.size());
    EXPECT_EQ((UINT)ID_VIEW_FULL_SCREEN, s_frame->commands[2]);
}

TEST(TrackMenus, ListTheTracksWithTheirLanguagesAndIds)
{
    CMediaItem item;
    CMediaStream* video = new CMediaStream;
    video->Type = MEDIA_STREAM_VIDEO;
    item.MediaInfo.AddStream(video);
    for (int i = 0; i < 2; ++i) {
        CMediaStream* audio = new CMediaStream;
        audio->Type = MEDIA_STREAM_AUDIO;
        if (i == 1)
            audio->Language = L"eng";
        item.MediaInfo.AddStream(audio);
    }
    item.MediaInfo.Finalize();
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_PLAYER_POPUPS));
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_TRUE(popup);
    CMenu* videoMenu = popup->GetSubMenu(5);
    CMenu* audioMenu = popup->GetSubMenu(6);
    CMenu* subtitleMenu = popup->GetSubMenu(7);
    ASSERT_TRUE(videoMenu && audioMenu && subtitleMenu);
    BuildTrackMenus(videoMenu, audioMenu, subtitleMenu, &item);

    ASSERT_EQ(5u, audioMenu->GetMenuItemCount());
    const UINT ids[] = {ID_AUDIO_TRACK_AUTO, ID_AUDIO_TRACK_DISABLE, 0, ID_AUDIO_TRACK_FIRST, ID_AUDIO_TRACK_FIRST + 1};
    const wchar_t* texts[] = {L"Auto", L"Disable", L"", L"Track #1", L"Track #2 - [eng]"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ids[i], audioMenu->GetMenuItemID(i)) << i;
        CString text;
        audioMenu->GetMenuString(i, text, MF_BYPOSITION);
        EXPECT_STREQ(texts[i], text) << i;
    }
    EXPECT_EQ(4u, videoMenu->GetMenuItemCount());
    ASSERT_EQ(1u, subtitleMenu->GetMenuItemCount());
    EXPECT_EQ((UINT)ID_SUBTITLE_TRACK_NONE, subtitleMenu->GetMenuItemID(0));
    EXPECT_TRUE(subtitleMenu->GetMenuState(0, MF_BYPOSITION) & MF_GRAYED);
    CString none;
    subtitleMenu->GetMenuString(0, none, MF_BYPOSITION);
    EXPECT_STREQ(L"No Subtitles", none);

    BuildTrackMenus(videoMenu, audioMenu, subtitleMenu, nullptr);
    EXPECT_EQ(5u, audioMenu->GetMenuItemCount()) << "without an item nothing changes";
}

}  // namespace
