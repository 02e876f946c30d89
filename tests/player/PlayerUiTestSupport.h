// Shared equipment of the player's window tests: a Modules folder with the real tools, clips made
// at test time, a frame of the tests' own that hosts the views and records what the player asks
// of the main frame, a recording control bar and an in-memory playlist.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "engine/MediaItem.h"
#include "framework/Frame.h"
#include "player/app/PlayerWindows.h"

class CMediaPlaylistView;
class CPlayView;

// Rectangles in test messages as (left, top, right, bottom).
inline void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace playertest {

// Drumlin, Quisset and Velkor with the ffmpeg builds beside them, made once per test program.
struct CTestTools {
    CString modules;
    CString player;   // Drumlin.exe
    CString probe;    // Quisset.exe
    CString encoder;  // Velkor.exe
    CString ffmpeg;   // the Windows ffmpeg build (for making clips)
    CString fakePlayer;  // the fake tool as a playback tool, in a folder of its own
    CString fakeProbe;   // and as a probe tool beside it
    CString fakeEncoder; // and as the encoder that grabs frames
};
const CTestTools& TestTools();

// Runs ffmpeg with these arguments (after "-nostdin -loglevel error -y"); true for exit code 0.
bool RunFfmpeg(const CString& args);

// Clips made once per test program in a folder of their own:
// a: 320x240, 12 s, two audio tracks (the second in English) and a text subtitle track;
// b and c: 320x240, 2 s, one audio track.
struct CTestClips {
    CString folder;
    CString a, b, c;
};
const CTestClips& TestClips();

// A probed item of a clip (null when the probe fails).
std::unique_ptr<CMediaItem> OpenItem(LPCWSTR path);

// Points the shared resources at the test tools (the shared resources must exist).
void UseTestTools(CSharedResources* resources);

// Records what the play window tells the control bar.
class CRecordingBar : public CPlaybackBarLink {
public:
    void SetPlayState(int state) override { states.push_back(state); }
    void SetDuration(__int64 duration) override { durations.push_back(duration); }
    void SetPosition(__int64 position, BOOL) override { positions.push_back(position); }
    void UpdateVolume() override { ++volumeUpdates; }
    void SetDisplayViewShown(bool shown) override { displayViewShown.push_back(shown); }
    void RecalcBarLayout() override { ++layouts; }
    void Clear();

    std::vector<int> states;
    std::vector<__int64> durations;
    std::vector<__int64> positions;
    int volumeUpdates = 0;
    int layouts = 0;
    std::vector<bool> displayViewShown;
};

// A playlist held in memory, in a child window of its own, that follows the play window's current
// item as the item windows do.
class CTestPlaylist : public CMediaPlaylistLink {
public:
    CTestPlaylist();
    ~CTestPlaylist() override;

    bool CreateWindowIn(CWnd* parent, const RECT& rect);
    CMediaItem* Add(std::unique_ptr<CMediaItem> item);
    // Takes an item out of the list without destroying it (null out of range).
    std::unique_ptr<CMediaItem> Take(int index);
    void Clear();

    CWnd* GetListWindow() override { return &m_window; }
    int AddMediaItem(CMediaItem* item) override;
    int RemoveMediaItem(int index, int redraw) override;
    void DeleteAllMediaItems() override;
    bool ContainsPath(LPCWSTR path) override;
    __int64 GetTotalDuration() override;
    CItemDrawLock& GetDrawLock() override { return m_lock; }
    int GetMediaItemCount() override { return (int)m_items.size(); }
    CMediaItem* GetMediaItem(int index) override;
    int FindMediaItem(const CMediaItem* item) override;
    int GetFirstSelectedIndex() override { return selected; }
    CMediaItem* GetPreviousItem(int repeat) override;
    CMediaItem* GetNextItem(int repeat) override;
    void InvalidateMediaItem(const CMediaItem* item) override { invalidated.push_back(item); }
    void EnsureMediaItemVisible(const CMediaItem* item) override { madeVisible.push_back(item); }
    void RelayoutList() override { ++relayouts; }

    int selected = -1;
    std::vector<const CMediaItem*> invalidated;
    std::vector<const CMediaItem*> madeVisible;
    int relayouts = 0;
    // Refuses AddMediaItem calls once this many items are in (-1: never).
    int capacity = -1;
    // When set, an item taken out of the list is handed to it instead of being deleted: the test
    // then decides what becomes of its memory.
    std::function<void(CMediaItem*)> release;

private:
    int CurrentIndex();
    std::vector<std::unique_ptr<CMediaItem>> m_items;
    CWnd m_window;
    CItemDrawLock m_lock;
};

// The tests' main frame: a visible top-level frame with a play view filling it, publishing the
// process-wide window pointers while it exists and recording the frame calls.
class CTestPlayerFrame : public CFrameWnd, public CMainFrameLink {
public:
    CTestPlayerFrame();
    ~CTestPlayerFrame() override;

    // Creates and shows the frame at (0, 0): the play view with the client size given and the
    // playlist view to its right.
    bool CreateFrame(int clientWidth, int clientHeight);
    void Publish();
    void Unpublish();

    void ShowPlayView() override;
    void ActivatePlayView() override { ++playViewActivated; }
    void ShowPlaylistView() override { ++playlistViewShown; }
    void UpdateTitle(CMediaItem* item) override;
    int GetViewLayout() override { return layout; }
    void ShowMenuBar(bool show) override { menuBarShown.push_back(show); }
    void ShowPlaylistCount(int count, __int64) override { shownCounts.push_back(count); }
    CFrameWnd* GetFrameWnd() override { return this; }

    CPlayView* playView = nullptr;
    // Beside the play view, 200 pixels wide, with the test playlist's window inside it.
    CMediaPlaylistView* playlistView = nullptr;
    CTestPlaylist playlist;
    CRecordingBar bar;
    int layout = 1;
    int playViewShown = 0;
    int playViewActivated = 0;
    int playlistViewShown = 0;
    int closeRequests = 0;
    std::vector<UINT> commands;  // WM_COMMAND ids that reached the frame itself
    std::vector<CString> titles;
    std::vector<bool> menuBarShown;
    std::vector<int> shownCounts;

    void ClearRecords();

protected:
    void PostNcDestroy() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnClose();
    DECLARE_MESSAGE_MAP()
};

}  // namespace playertest

namespace playertest {

// The arguments of each run in the fake tool's log, one list per run.
std::vector<std::vector<CString>> RunArgsFromLog(LPCWSTR logPath);
// The argument after 'name' in a run, or "" when it is not there.
CString ArgumentAfter(const std::vector<CString>& args, LPCWSTR name);
// Writes the fake playback tool's script beside it ("<tool>.fake" with these lines).
bool WriteFakePlayerScript(LPCWSTR lines);
bool WriteFakeProbeScript(LPCWSTR lines);
bool WriteFakeEncoderScript(LPCWSTR lines);
// What the fake probe answers for an audio clip of 2 s (no frame is ever grabbed of it).
extern const wchar_t kFakeAudioProbeJson[];
// The fake probe as the resources' probe tool: it answers every path with kFakeAudioProbeJson
// after holding the probe open for 'delayMs', and logs each run. The log's path.
CString UseFakeProbe(CSharedResources* resources, int delayMs);
// The paths the fake tool was asked about in the runs of its log, in order (runs without
// arguments, as the probe's warm start, left out).
std::vector<CString> ProbedPaths(LPCWSTR logPath);

// The suites of window tests: one application, settings and frame for each suite, the power-off
// and message-box calls recorded.
class PlayerUiTest : public testing::Test {
protected:
    static void SetUpUi();
    static void TearDownUi();
    // Settings back to what the tests expect, records cleared, no session, an empty playlist.
    void ResetUi();

    static std::unique_ptr<CPlayerTestApp> s_app;
    static std::unique_ptr<CTestPlayerFrame> s_frame;

public:
    // What the replaced power-off and message-box calls recorded.
    static int s_powerOffs;
    // Called at each power-off, as things stand at that moment (empty: nothing).
    static std::function<void()> s_onPowerOff;
    static std::vector<CString> s_boxes;
    // Called inside each message box, as the messages that a real box's modal loop lets in.
    static std::function<void()> s_onBox;
};

}  // namespace playertest

#include "engine/ToolProcess.h"
#include "framework/CmdUI.h"
#include "player/app/PlayerApp.h"
#include "player/app/PlayerResource.h"
#include "player/frame/MainFrame.h"
#include "player/playback/PlayView.h"
#include "player/playlist/PlayDoc.h"
#include "player/playlist/PlaylistView.h"

namespace playertest {

// The suites of the whole main frame, built as the program builds it (the frame of the document
// template with the playlist view and the play view), one frame per test.
// The program's own application object with the tests' maker key (its profile emptied before and
// after) and the program's document template.
class CPlayerAppForTests {
public:
    CPlayerAppForTests();
    ~CPlayerAppForTests();
    CPlayerApp& App() { return *m_app; }
    CPlayerSettings& Settings() { return m_app->settings; }
    CSharedResources* Resources() { return &m_app->resources; }

private:
    std::unique_ptr<CPlayerApp> m_app;
};

class PlayerFrameTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app.reset(new CPlayerAppForTests);
        s_app->Resources()->Init();
        UseTestTools(s_app->Resources());
    }
    static void TearDownTestSuite() { s_app.reset(); }
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(3000);
        CPlayerSettings& s = s_app->Settings();
        s.layout = 1;
        s.loadLastPlaylist = 0;
        s.windowLeft = s.windowTop = -1;
        s.windowWidth = s.windowHeight = 0;
        s.alwaysShowControlBar = 0;
        PlayerFirstOpenFlag() = true;
    }
    void TearDown() override
    {
        Close();
        CToolProcessBase::SetStopGraceForTests(10000);
    }
    bool Open()
    {
        // As the program opens its first window with nothing on its command line: a new document
        // of the template.
        CPlayerCommandLineInfo nothing;
        nothing.m_nShellCommand = CCommandLineInfo::FileNew;
        if (!s_app->App().ProcessCommandLineFiles(nothing))
            return false;
        m_frame = dynamic_cast<CMainFrame*>(s_app->App().m_pMainWnd);
        if (!m_frame)
            return false;
        m_frame->ShowWindow(SW_SHOW);
        m_frame->UpdateWindow();
        return true;
    }
    void Close()
    {
        if (!m_frame)
            return;
        if (m_frame->GetPlayView())
            m_frame->GetPlayView()->GetPlayWnd().StopAndRemember(1);
        s_app->App().m_pMainWnd = nullptr;  // no end of the message loop with it
        m_frame->DestroyWindow();
        m_frame = nullptr;
    }
    CPlaylistView& Playlist() { return *dynamic_cast<CPlaylistView*>(m_frame->GetPlaylistView()); }
    CPlayWnd& Play() { return m_frame->GetPlayView()->GetPlayWnd(); }
    void Command(UINT id) { m_frame->SendMessage(WM_COMMAND, id, 0); }
    bool Enabled(UINT id)
    {
        CTestCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(m_frame, TRUE);
        return ui.m_bEnabled != FALSE;
    }
    void Load(std::initializer_list<CString> paths)
    {
        {
            CPlaylistEditGuard guard(&Playlist(), 0);
            for (const CString& path : paths)
                Playlist().AddPath(path);
        }
        ASSERT_TRUE(WaitUntil([&] { return !Playlist().IsLoading() && !Playlist().AreThumbnailsRunning(); },
                              120000));
        Playlist().UpdateItemCountDisplay();
    }

    static std::unique_ptr<CPlayerAppForTests> s_app;
    CMainFrame* m_frame = nullptr;
};

}  // namespace playertest
