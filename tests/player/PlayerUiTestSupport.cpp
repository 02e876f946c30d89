// Shared equipment of the player's window tests.
#include "PlayerUiTestSupport.h"

#include <gtest/gtest.h>

#include "engine/SystemHelpers.h"
#include "framework/DocView.h"
#include "framework/Effects.h"
#include "player/app/PlayerResource.h"
#include "player/app/SharedResources.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"

namespace playertest {

namespace {

// A hard link where the file system allows it (the ffmpeg builds are large), else a copy.
bool PlaceFile(const CString& from, const CString& to)
{
    if (CreateHardLinkW(to, from, nullptr))
        return true;
    return CopyFileW(from, to, FALSE) != FALSE;
}

int RunHidden(const CString& commandLine, DWORD timeoutMs)
{
    std::vector<wchar_t> line(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 1);
    return (int)code;
}

CTestTools MakeTools()
{
    CTestTools t;
    CString bin = GetEnv(L"TEST_BIN_DIR"), ffmpeg = GetEnv(L"TEST_FFMPEG_DIR");
    CString root = MakeAwkwardFolder(L"player-tools");
    if (bin.IsEmpty() || ffmpeg.IsEmpty() || root.IsEmpty())
        return t;
    t.modules = root + L"\\Modules";
    CreateDirectoryW(t.modules, nullptr);
    CreateDirectoryW(t.modules + L"\\ffmpeg", nullptr);
    t.player = t.modules + L"\\Drumlin.exe";
    t.probe = t.modules + L"\\Quisset.exe";
    t.encoder = t.modules + L"\\Velkor.exe";
    t.ffmpeg = t.modules + L"\\ffmpeg\\ffmpeg.exe";
    bool ok = PlaceFile(bin + L"\\Drumlin.exe", t.player) && PlaceFile(bin + L"\\Quisset.exe", t.probe) &&
              PlaceFile(bin + L"\\Velkor.exe", t.encoder) && PlaceFile(ffmpeg + L"\\ffmpeg.exe", t.ffmpeg) &&
              PlaceFile(ffmpeg + L"\\ffprobe.exe", t.modules + L"\\ffmpeg\\ffprobe.exe");
    CString fake = root + L"\\Fake";
    CreateDirectoryW(fake, nullptr);
    t.fakePlayer = fake + L"\\Drumlin.exe";
    t.fakeProbe = fake + L"\\Quisset.exe";
    t.fakeEncoder = fake + L"\\Velkor.exe";
    ok = ok && PlaceFile(bin + L"\\faketool.exe", t.fakePlayer) && PlaceFile(bin + L"\\faketool.exe", t.fakeProbe) &&
         PlaceFile(bin + L"\\faketool.exe", t.fakeEncoder);
    if (!ok)
        t = CTestTools();
    return t;
}

CTestClips MakeClips()
{
    CTestClips c;
    const CTestTools& tools = TestTools();
    if (tools.ffmpeg.IsEmpty())
        return c;
    c.folder = MakeAwkwardFolder(L"player-clips");
    CString subtitles = c.folder + L"\\subtitles.srt";
    WriteUtf8File(subtitles, L"1\r\n00:00:00,000 --> 00:00:12,000\r\nHello from the test\r\n\r\n");
    c.a = c.folder + L"\\clip a \u00e9 (tracks).mp4";
    c.b = c.folder + L"\\clip b.mp4";
    c.c = c.folder + L"\\clip c.mp4";
    const CString video = L"-c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25";
    bool ok =
        RunFfmpeg(L"-f lavfi -i testsrc=size=320x240:rate=25:duration=12 -f lavfi -i sine=frequency=440:duration=12 "
                  L"-f lavfi -i sine=frequency=880:duration=12 -i \"" + subtitles +
                  L"\" -map 0:v -map 1:a -map 2:a -map 3:s " + video +
                  L" -c:a aac -c:s mov_text -metadata:s:a:1 language=eng -metadata title=\"Tracks test\" -t 12 \"" + c.a + L"\"") &&
        RunFfmpeg(L"-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi -i sine=frequency=330:duration=2 " +
                  video + L" -c:a aac -shortest \"" + c.b + L"\"") &&
        RunFfmpeg(L"-f lavfi -i smptebars=size=320x240:rate=25:duration=2 -f lavfi -i sine=frequency=550:duration=2 " +
                  video + L" -c:a aac -shortest \"" + c.c + L"\"");
    if (!ok)
        c = CTestClips();
    return c;
}

}  // namespace

const CTestTools& TestTools()
{
    static const CTestTools tools = MakeTools();
    return tools;
}

bool RunFfmpeg(const CString& args)
{
    const CTestTools& tools = TestTools();
    if (tools.ffmpeg.IsEmpty())
        return false;
    return RunHidden(L"\"" + tools.ffmpeg + L"\" -nostdin -loglevel error -y " + args, 180000) == 0;
}

const CTestClips& TestClips()
{
    static const CTestClips clips = MakeClips();
    return clips;
}

std::unique_ptr<CMediaItem> OpenItem(LPCWSTR path)
{
    std::unique_ptr<CMediaItem> item(new CMediaItem);
    if (item->Open(path) != 0)
        return nullptr;
    return item;
}

void UseTestTools(CSharedResources* resources)
{
    const CTestTools& tools = TestTools();
    resources->playToolPath = tools.player;
    resources->probeToolPath = tools.probe;
    resources->encodeToolPath = tools.encoder;
}

// Control bar --------------------------------------------------------------------------------------

void CRecordingBar::Clear()
{
    states.clear();
    durations.clear();
    positions.clear();
    volumeUpdates = 0;
    layouts = 0;
    displayViewShown.clear();
}

// Playlist ---------------------------------------------------------------------------------------------

CTestPlaylist::CTestPlaylist() {}

CTestPlaylist::~CTestPlaylist()
{
    if (m_window.m_hWnd)
        m_window.DestroyWindow();
}

bool CTestPlaylist::CreateWindowIn(CWnd* parent, const RECT& rect)
{
    return m_window.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent, 10) != FALSE;
}

int CTestPlaylist::AddMediaItem(CMediaItem* item)
{
    if (!item || (capacity >= 0 && (int)m_items.size() >= capacity))
        return -1;
    m_items.emplace_back(item);
    return (int)m_items.size() - 1;
}

int CTestPlaylist::RemoveMediaItem(int index, int)
{
    if (index < 0 || index >= (int)m_items.size())
        return -1;
    m_items[index]->DeleteThumbnailFile();
    if (release)
        release(m_items[index].release());
    m_items.erase(m_items.begin() + index);
    return 0;
}

void CTestPlaylist::DeleteAllMediaItems()
{
    if (CPlayWnd* play = GetPlayerWindows().playWnd)
        play->StopAndRemember(0);
    for (auto& item : m_items) {
        item->DeleteThumbnailFile();
        if (release)
            release(item.release());
    }
    m_items.clear();
}

bool CTestPlaylist::ContainsPath(LPCWSTR path)
{
    for (auto& item : m_items)
        if (item->Path.CompareNoCase(path) == 0)
            return true;
    return false;
}

__int64 CTestPlaylist::GetTotalDuration()
{
    __int64 total = 0;
    for (auto& item : m_items)
        if (item->MediaInfo.DurationInUs > 0)
            total += item->MediaInfo.DurationInUs;
    return total / 1000;
}

CMediaItem* CTestPlaylist::Add(std::unique_ptr<CMediaItem> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

std::unique_ptr<CMediaItem> CTestPlaylist::Take(int index)
{
    if (index < 0 || index >= (int)m_items.size())
        return nullptr;
    std::unique_ptr<CMediaItem> item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    return item;
}

void CTestPlaylist::Clear()
{
    m_items.clear();
    selected = -1;
    invalidated.clear();
    madeVisible.clear();
    relayouts = 0;
    release = nullptr;
}

CMediaItem* CTestPlaylist::GetMediaItem(int index)
{
    return index >= 0 && index < (int)m_items.size() ? m_items[index].get() : nullptr;
}

int CTestPlaylist::FindMediaItem(const CMediaItem* item)
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return (int)i;
    return -1;
}

int CTestPlaylist::CurrentIndex()
{
    CPlayWnd* play = GetPlayerWindows().playWnd;
    return play ? FindMediaItem(play->GetCurrentItem()) : -1;
}

CMediaItem* CTestPlaylist::GetPreviousItem(int repeat)
{
    int index = CurrentIndex();
    if (index < 0)
        return nullptr;
    if (repeat == 1)
        return m_items[index].get();
    if (index - 1 < 0)
        return repeat == 2 ? m_items.back().get() : nullptr;
    return m_items[index - 1].get();
}

CMediaItem* CTestPlaylist::GetNextItem(int repeat)
{
    int index = CurrentIndex();
    if (index < 0)
        return nullptr;
    if (repeat == 1)
        return m_items[index].get();
    if (index + 1 >= (int)m_items.size())
        return repeat == 2 ? m_items.front().get() : nullptr;
    return m_items[index + 1].get();
}

// Frame -------------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CTestPlayerFrame, CFrameWnd)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CTestPlayerFrame::CTestPlayerFrame() {}

CTestPlayerFrame::~CTestPlayerFrame()
{
    Unpublish();
    if (m_hWnd)
        DestroyWindow();
}

bool CTestPlayerFrame::CreateFrame(int clientWidth, int clientHeight)
{
    clientWidth += 200;
    RECT r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    CRect rect(0, 0, r.right - r.left, r.bottom - r.top);
    if (!Create(nullptr, L"Player test frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect))
        return false;
    // Without a window manager the borders are not always what the style says: fix the client.
    CRect client0;
    GetClientRect(&client0);
    SetWindowPos(nullptr, 0, 0, rect.Width() + clientWidth - client0.Width(),
                 rect.Height() + clientHeight - client0.Height(), SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    // Not the frame's pane: the frame's layout would give it the whole client area.
    playView = new CPlayView;
    if (!playView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, clientWidth - 200, clientHeight), this,
                          AFX_IDW_PANE_FIRST + 1)) {
        playView = nullptr;
        return false;
    }
    playlistView = new CMediaPlaylistView;
    playlistView->SetItemWindow(&playlist);
    if (!playlistView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE,
                              CRect(clientWidth - 200, 0, clientWidth, clientHeight), this, AFX_IDW_PANE_FIRST + 2)) {
        playlistView = nullptr;
        return false;
    }
    if (!playlist.CreateWindowIn(playlistView, CRect(0, 0, 200, clientHeight)))
        return false;
    SetActiveView(playView, FALSE);
    Publish();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return true;
}

void CTestPlayerFrame::Publish()
{
    CPlayerWindows& w = GetPlayerWindows();
    w.frame = this;
    w.controlBar = &bar;
    w.itemWnd = &playlist;
    w.playView = playView;
    w.playlistView = playlistView;
    w.playWnd = playView ? &playView->GetPlayWnd() : nullptr;
}

void CTestPlayerFrame::Unpublish()
{
    CPlayerWindows& w = GetPlayerWindows();
    if (w.frame == this)
        w = CPlayerWindows();
}

void CTestPlayerFrame::ShowPlayView()
{
    ++playViewShown;
    if (!playView)
        return;
    CPlayWnd& play = playView->GetPlayWnd();
    if (!play.HasSession())
        playView->SendMessage(WM_COMMAND, ID_PLAY_PLAY, 0);
    else if (play.IsPaused())
        play.Resume();
}

void CTestPlayerFrame::UpdateTitle(CMediaItem* item)
{
    CString title = L"Lumivo";
    if (item)
        title.Format(L"%s - %d/%d", item->Title.GetString(), playlist.FindMediaItem(item) + 1,
                     playlist.GetMediaItemCount());
    titles.push_back(title);
}

void CTestPlayerFrame::ClearRecords()
{
    bar.Clear();
    playViewShown = 0;
    playlistViewShown = 0;
    playViewActivated = 0;
    closeRequests = 0;
    commands.clear();
    titles.clear();
    menuBarShown.clear();
    shownCounts.clear();
    playlist.invalidated.clear();
    playlist.madeVisible.clear();
}

BOOL CTestPlayerFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    // Commands the tests' frame has no handler for are what the real frame would do.
    if (id == ID_FILE_OPEN_FILES || id == ID_VIEW_FULL_SCREEN) {
        commands.push_back(id);
        return TRUE;
    }
    return CFrameWnd::OnCommand(wParam, lParam);
}

void CTestPlayerFrame::OnClose()
{
    ++closeRequests;
}

}  // namespace playertest

namespace playertest {

std::vector<std::vector<CString>> RunArgsFromLog(LPCWSTR logPath)
{
    std::vector<std::vector<CString>> runs;
    for (const CString& line : enginetest::ReadLines(logPath)) {
        if (line.Find(L"cmdline: ") == 0)
            runs.push_back(std::vector<CString>());
        else if (line.Find(L"arg: ") == 0 && !runs.empty())
            runs.back().push_back(line.Mid(5));
    }
    return runs;
}

CString ArgumentAfter(const std::vector<CString>& args, LPCWSTR name)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name)
            return args[i + 1];
    return CString();
}

namespace {
bool WriteScriptBeside(const CString& tool, LPCWSTR lines)
{
    if (tool.IsEmpty())
        return false;
    return WriteUtf8File(tool.Left(tool.GetLength() - 4) + L".fake", lines);
}
BOOL WINAPI RecordPowerOff(UINT, DWORD);
int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT);
FwExitWindowsFn g_previousPowerOff;
FwMessageBoxFn g_previousBox;
}  // namespace

bool WriteFakePlayerScript(LPCWSTR lines)
{
    return WriteScriptBeside(TestTools().fakePlayer, lines);
}

bool WriteFakeProbeScript(LPCWSTR lines)
{
    return WriteScriptBeside(TestTools().fakeProbe, lines);
}

bool WriteFakeEncoderScript(LPCWSTR lines)
{
    return WriteScriptBeside(TestTools().fakeEncoder, lines);
}

const wchar_t kFakeAudioProbeJson[] =
    L"{\"format\": {\"format_name\": \"mp3\", \"duration\": \"2.0\"}, "
    L"\"streams\": [{\"codec_type\": \"audio\", \"codec_name\": \"mp3\", \"channels\": 2}]}";

CString UseFakeProbe(CSharedResources* resources, int delayMs)
{
    CString folder = MakeAwkwardFolder(L"fake-probe");
    CString json = folder + L"\\answer.json", log = folder + L"\\runs.txt";
    CString script;
    script.Format(L"stdout_file %s\nlog %s\ndelay %d\n", json.GetString(), log.GetString(), delayMs);
    if (!WriteUtf8File(json, kFakeAudioProbeJson) || !WriteFakeProbeScript(script))
        return CString();
    resources->probeToolPath = TestTools().fakeProbe;
    return log;
}

std::vector<CString> ProbedPaths(LPCWSTR logPath)
{
    std::vector<CString> paths;
    for (const std::vector<CString>& args : RunArgsFromLog(logPath))
        if (!args.empty())
            paths.push_back(args[0]);
    return paths;
}

std::unique_ptr<CPlayerTestApp> PlayerUiTest::s_app;
std::unique_ptr<CTestPlayerFrame> PlayerUiTest::s_frame;
int PlayerUiTest::s_powerOffs = 0;
std::function<void()> PlayerUiTest::s_onPowerOff;
std::vector<CString> PlayerUiTest::s_boxes;
std::function<void()> PlayerUiTest::s_onBox;

namespace {
BOOL WINAPI RecordPowerOff(UINT, DWORD)
{
    ++PlayerUiTest::s_powerOffs;
    if (PlayerUiTest::s_onPowerOff)
        PlayerUiTest::s_onPowerOff();
    return TRUE;
}
int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    PlayerUiTest::s_boxes.push_back(text);
    if (PlayerUiTest::s_onBox)
        PlayerUiTest::s_onBox();
    return IDOK;
}
}  // namespace

void PlayerUiTest::SetUpUi()
{
    s_app.reset(new CPlayerTestApp(true));
    s_app->Resources()->Init();
    // The settings as a start of the program leaves them (the profile is empty): the file-type
    // table among them.
    s_app->Settings().LoadSettings();
    ASSERT_FALSE(TestTools().modules.IsEmpty()) << "the tools are laid out";
    ASSERT_FALSE(TestClips().a.IsEmpty()) << "the clips are made";
    UseTestTools(s_app->Resources());
    s_frame.reset(new CTestPlayerFrame);
    ASSERT_TRUE(s_frame->CreateFrame(640, 400));
    g_previousPowerOff = FwSetExitWindowsFunction(RecordPowerOff);
    g_previousBox = FwSetMessageBoxFunction(RecordMessageBox);
}

void PlayerUiTest::TearDownUi()
{
    s_frame.reset();
    FwSetExitWindowsFunction(g_previousPowerOff);
    FwSetMessageBoxFunction(g_previousBox);
    s_app.reset();
}

void PlayerUiTest::ResetUi()
{
    CPlayerSettings& s = s_app->Settings();
    s.repeat = 0;
    s.autoCloseWindow = 0;
    s.shutdownAfterPlayback = 0;
    s.rememberLastPos = 0;
    s.resumeInterrupted = 0;
    s.allowDuplicates = 0;
    s.loadLastPlaylist = 0;
    CPlayWnd& play = s_frame->playView->GetPlayWnd();
    play.StopAndRemember(0);
    // The stop returns before the tool has ended; its session reads the tool's path until then.
    EXPECT_TRUE(WaitUntil([&] { return play.m_pPlayThread == nullptr; }, 30000)) << "the last session ends";
    play.SetPath(TestTools().player);
    play.SetZoom(100);
    UseTestTools(s_app->Resources());
    {
        CPlaylistEditGuard guard(s_frame->playlistView, 1);
        s_frame->playlistView->RemoveAllItems();
    }
    s_frame->playlistView->StopUpdateThreads();
    s_frame->playlistView->m_nModified = 0;
    s_frame->playlist.Clear();
    s_frame->layout = 1;
    s_frame->ClearRecords();
    s_powerOffs = 0;
    s_onPowerOff = nullptr;
    s_onBox = nullptr;
    s_boxes.clear();
}

}  // namespace playertest

namespace playertest {

CPlayerAppForTests::CPlayerAppForTests()
{
    CPlayerTestApp::DeleteProfile();
    m_app.reset(new CPlayerApp(kTestMaker));
    m_app->SetRegistryKey(kTestMaker);
    m_app->AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPlayDoc), RUNTIME_CLASS(CMainFrame),
                                                 RUNTIME_CLASS(CPlaylistView)));
}

CPlayerAppForTests::~CPlayerAppForTests()
{
    m_app.reset();
    CPlayerTestApp::DeleteProfile();
}

std::unique_ptr<CPlayerAppForTests> PlayerFrameTest::s_app;

}  // namespace playertest
