// The playlist's commands in the main frame, driven as a user drives them (commands by messages,
// the dialogs answered as they open): their enabling rules, addresses, saving and opening
// playlists, moves and deletes around the playing item, recent files, the settings sheet and
// the hand-over to the converter.
#include <gtest/gtest.h>

#include <functional>

#include "PlayerUiTestSupport.h"
#include "framework/FileDialog.h"
#include "player/PlaylistFormat.h"

using namespace playertest;

namespace {

// Answers every dialog that becomes active on this thread with a function of the test.
class CDialogAnswerer {
public:
    explicit CDialogAnswerer(std::function<void(HWND)> answer) : m_answer(std::move(answer))
    {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CBT, &CDialogAnswerer::Hook, nullptr, GetCurrentThreadId());
    }
    ~CDialogAnswerer()
    {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    int answered = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && s_current) {
            HWND hwnd = (HWND)wParam;
            wchar_t cls[32] = L"";
            GetClassNameW(hwnd, cls, 32);
            if (wcscmp(cls, L"#32770") == 0) {
                ++s_current->answered;
                s_current->m_answer(hwnd);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static CDialogAnswerer* s_current;
    std::function<void(HWND)> m_answer;
    HHOOK m_hook = nullptr;
};
CDialogAnswerer* CDialogAnswerer::s_current = nullptr;

// The file dialogs answer with this path and filter.
CString g_chosenPath;
DWORD g_chosenFilter = 1;
int g_fileDialogs = 0;
BOOL WINAPI ChooseFile(LPOPENFILENAMEW ofn, BOOL)
{
    ++g_fileDialogs;
    if (g_chosenPath.IsEmpty() || (DWORD)g_chosenPath.GetLength() + 2 > ofn->nMaxFile)
        return FALSE;
    wcscpy(ofn->lpstrFile, g_chosenPath);
    ofn->lpstrFile[g_chosenPath.GetLength() + 1] = 0;
    ofn->nFilterIndex = g_chosenFilter;
    return TRUE;
}

struct CShellCall {
    CString file, parameters;
};
std::vector<CShellCall> g_shellCalls;
HINSTANCE WINAPI RecordShell(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    g_shellCalls.push_back({file ? file : L"", parameters ? parameters : L""});
    return (HINSTANCE)42;
}

class PlaylistCommands : public PlayerFrameTest {
protected:
    void SetUp() override
    {
        PlayerFrameTest::SetUp();
        ASSERT_TRUE(Open());
        m_previousDialog = FwSetFileDialogFunction(ChooseFile);
        g_fileDialogs = 0;
        g_shellCalls.clear();
    }
    void TearDown() override
    {
        FwSetFileDialogFunction(m_previousDialog);
        PlayerFrameTest::TearDown();
    }
    CPlaylistItemWnd& List() { return *dynamic_cast<CPlaylistItemWnd*>(Playlist().GetItemWindow()); }
    void WaitLoaded()
    {
        ASSERT_TRUE(WaitUntil([&] { return !Playlist().IsLoading() && !Playlist().AreThumbnailsRunning(); }, 120000));
    }
    void Select(int index) { List().SetItemSelected(index, TRUE, TRUE, TRUE); }

    FwFileDialogFn m_previousDialog = nullptr;
};

TEST_F(PlaylistCommands, EveryCommandFollowsItsEnablingRule)
{
    EXPECT_FALSE(Enabled(ID_PLAYLIST_DELETE_ALL));
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_PLAYLIST));
    EXPECT_FALSE(Enabled(ID_PLAYLIST_SELECT_ALL));
    EXPECT_TRUE(Enabled(ID_PLAYLIST_ADD_FILES));
    EXPECT_TRUE(Enabled(ID_PLAYLIST_ADD_URLS));
    EXPECT_FALSE(Enabled(ID_ITEM_MEDIA_INFO));
    EXPECT_FALSE(Enabled(ID_RECENT_PLAYLISTS_CLEAR) && s_app->Settings().recentPlaylists.GetCount() == 0);

    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().a);
        Playlist().AddPath(TestClips().b);
    }
    EXPECT_TRUE(Playlist().IsLoading());
    EXPECT_FALSE(Enabled(ID_PLAYLIST_ADD_FILES)) << "nothing is added while loading";
    EXPECT_FALSE(Enabled(ID_PLAYLIST_ADD_FOLDER));
    WaitLoaded();
    EXPECT_TRUE(Enabled(ID_PLAYLIST_ADD_FILES));
    EXPECT_TRUE(Enabled(ID_PLAYLIST_DELETE_ALL));
    EXPECT_TRUE(Enabled(ID_FILE_SAVE_PLAYLIST));
    EXPECT_FALSE(Enabled(ID_PLAYLIST_DELETE)) << "no selection";
    EXPECT_FALSE(Enabled(ID_PLAYLIST_MOVE_DOWN));
    EXPECT_FALSE(Enabled(ID_FILTER_ROTATE_90));

    Select(0);
    EXPECT_TRUE(Enabled(ID_PLAYLIST_DELETE));
    EXPECT_FALSE(Enabled(ID_PLAYLIST_MOVE_UP));
    EXPECT_TRUE(Enabled(ID_PLAYLIST_MOVE_DOWN));
    EXPECT_TRUE(Enabled(ID_ITEM_MEDIA_INFO));
    EXPECT_TRUE(Enabled(ID_ITEM_SHOW_IN_FOLDER));
    EXPECT_TRUE(Enabled(ID_ITEM_EXTRACT_AUDIO));
    EXPECT_TRUE(Enabled(ID_ITEM_MAKE_GIF));
    EXPECT_TRUE(Enabled(ID_FILTER_ROTATE_90)) << "a selection with video";
    EXPECT_TRUE(Enabled(ID_FILTER_VOLUME_300)) << "a selection with audio";
    EXPECT_TRUE(Enabled(ID_AUDIO_TRACK_FIRST + 1)) << "the item has audio tracks";
    EXPECT_TRUE(Enabled(ID_ITEM_PLAY)) << "the playlist view is the active view";
    m_frame->GetContainer().SetActiveView(m_frame->GetPlayView());
    EXPECT_FALSE(Enabled(ID_ITEM_PLAY)) << "Enter plays only from the active playlist";
    m_frame->GetContainer().SetActiveView(m_frame->GetPlaylistView());
    Select(1);
    EXPECT_TRUE(Enabled(ID_PLAYLIST_MOVE_UP));
    EXPECT_FALSE(Enabled(ID_PLAYLIST_MOVE_DOWN));

    EXPECT_TRUE(Enabled(ID_DISPLAY_SHOW_TITLE)) << "titles belong to the grid";
    EXPECT_FALSE(Enabled(ID_DISPLAY_SHOW_ICON));
    Command(ID_DISPLAY_LIST);
    EXPECT_EQ(PLAYLIST_STYLE_LIST, List().GetViewStyle());
    EXPECT_FALSE(Enabled(ID_DISPLAY_SHOW_TITLE));
    EXPECT_TRUE(Enabled(ID_DISPLAY_SHOW_ICON));
    Command(ID_DISPLAY_GRID);
}

TEST_F(PlaylistCommands, AddressesFromTheirDialogs)
{
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().c);
    }
    WaitLoaded();
    // A blank address changes nothing.
    {
        CDialogAnswerer answer([](HWND dlg) {
            SetDlgItemTextW(dlg, IDC_URL_COMBO, L"   ");
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        Command(ID_FILE_OPEN_URL);
        EXPECT_EQ(1, answer.answered);
    }
    EXPECT_EQ(1, List().GetItemCount()) << "a blank Open URL is Cancel";

    // Add URLs: every line, trimmed; blank lines are none.
    const CString lines = L"  " + TestClips().a + L"  \r\n\r\n" + TestClips().b + L"\r\n";
    {
        CDialogAnswerer answer([&](HWND dlg) {
            SetDlgItemTextW(dlg, IDC_URL_TEXT, lines);
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        Command(ID_PLAYLIST_ADD_URLS);
    }
    WaitLoaded();
    ASSERT_EQ(3, List().GetItemCount());
    EXPECT_STREQ(TestClips().a, List().GetMediaItemAt(1)->Path);

    // Open URL replaces the playlist and plays what it names.
    {
        CDialogAnswerer answer([](HWND dlg) {
            SetDlgItemTextW(dlg, IDC_URL_COMBO, TestClips().b);
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        Command(ID_FILE_OPEN_URL);
    }
    ASSERT_TRUE(WaitUntil([&] { return Play().HasSession(); }, 30000));
    WaitLoaded();
    EXPECT_EQ(1, List().GetItemCount());
}

TEST_F(PlaylistCommands, PlaylistsAreSavedWithTheChosenTypeAndOpenedAgain)
{
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().a);
        Playlist().AddPath(TestClips().c);
    }
    WaitLoaded();
    CString folder = MakeAwkwardFolder(L"save-playlist");
    g_chosenPath = folder + L"\\list.txt";
    g_chosenFilter = 2;
    Command(ID_FILE_SAVE_PLAYLIST);
    EXPECT_EQ(1, g_fileDialogs);
    EXPECT_TRUE(FileExists(folder + L"\\list.txt.m3u")) << "an unknown extension gets the chosen type's";
    g_chosenPath = folder + L"\\list";
    g_chosenFilter = 3;
    Command(ID_FILE_SAVE_PLAYLIST);
    EXPECT_TRUE(FileExists(folder + L"\\list.pls"));
    g_chosenPath = folder + L"\\thumbs";
    g_chosenFilter = 1;
    Command(ID_FILE_SAVE_PLAYLIST);
    ASSERT_TRUE(FileExists(folder + L"\\thumbs.playlist"));

    Command(ID_PLAYLIST_DELETE_ALL);
    EXPECT_EQ(0, List().GetItemCount());
    g_chosenPath = folder + L"\\thumbs.playlist";
    Command(ID_FILE_OPEN_PLAYLIST);
    ASSERT_EQ(2, List().GetItemCount());
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(List().GetMediaItemAt(i)->Thumbnail.IsValid()) << "the thumbnails came back with it";
    EXPECT_EQ(0, s_app->Settings().recentPlaylists.GetAt(0).CompareNoCase(g_chosenPath));
    Play().StopAndRemember(0);
}

TEST_F(PlaylistCommands, MovesAndDeletesAroundThePlayingItem)
{
    s_app->Settings().autoCloseWindow = 1;
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().a);
        Playlist().AddPath(TestClips().b);
        Playlist().AddPath(TestClips().c);
    }
    WaitLoaded();
    Select(2);
    Command(ID_PLAYLIST_MOVE_UP);
    EXPECT_STREQ(TestClips().c, List().GetMediaItemAt(1)->Path);
    EXPECT_EQ(1, List().GetNextSelectedItem(0)) << "the moved item stays selected";

    ASSERT_EQ(0, Playlist().PlayItem(0, PLAYER_HOST_PLAY_VIEW));
    ASSERT_TRUE(WaitUntil([&] { return Play().IsPlaying(); }, 30000));
    Select(0);
    Command(ID_PLAYLIST_DELETE);
    EXPECT_FALSE(Play().HasSession()) << "the deleted item stopped first";
    EXPECT_EQ(2, List().GetItemCount());
    ASSERT_EQ(0, Playlist().PlayItem(0, PLAYER_HOST_PLAY_VIEW));
    Command(ID_PLAYLIST_DELETE_ALL);
    EXPECT_FALSE(Play().HasSession());
    EXPECT_EQ(0, List().GetItemCount());
    WaitUntil([] { return false; }, 500);
    EXPECT_TRUE(::IsWindow(m_frame->m_hWnd)) << "internal stops never close the window";
    s_app->Settings().autoCloseWindow = 0;
}

TEST_F(PlaylistCommands, RecentFilesReplayAndAddressesOpenAsPaths)
{
    CPlayerSettings& s = s_app->Settings();
    s.recentFiles.RemoveAll();
    s.recentFiles.Add(L"http://127.0.0.1:9/stream.mp4");
    Command(ID_RECENT_FILE_FIRST);
    EXPECT_EQ(0, Playlist().m_nAwaitedIndex) << "the address went to the playlist";
    EXPECT_EQ(1, s.recentFiles.GetCount()) << "and was not dropped as a document that did not open";
    WaitLoaded();

    s.recentFiles.RemoveAll();
    s.recentFiles.Add(TestClips().b);
    Command(ID_RECENT_FILE_FIRST);
    ASSERT_TRUE(WaitUntil([&] { return Play().HasSession(); }, 30000)) << "the file opened and played";
    CDocument* doc = m_frame->GetActiveDocument() ? m_frame->GetActiveDocument() : Playlist().GetDocument();
    ASSERT_TRUE(doc != nullptr);
    EXPECT_EQ(0, doc->GetPathName().CompareNoCase(TestClips().b));
    ASSERT_TRUE(WaitUntil([&] { return !Play().HasSession(); }, 30000));
    // The same entry again plays it again, though it is the document open now.
    s.recentFiles.Add(TestClips().b);
    Command(ID_RECENT_FILE_FIRST);
    EXPECT_TRUE(WaitUntil([&] { return Play().HasSession(); }, 30000));
    Play().StopAndRemember(0);
}

TEST_F(PlaylistCommands, TheConverterGetsTheSelectedItemAndSettingsAreSavedOnOk)
{
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().a);
    }
    WaitLoaded();
    Select(0);
    CString folder = MakeAwkwardFolder(L"converter-app");
    CString exe = enginetest::InstallFakeTool(folder, L"Ravento.exe");
    CString log = folder + L"\\calls.log";
    WriteUtf8File(folder + L"\\Ravento.fake", L"log " + log + L"\n");
    ASSERT_TRUE(s_app->App().WriteProfileString(L"", L"AppFolder", folder));
    // The real start through the shell, to the stand-in that records its arguments.
    Command(ID_ITEM_CONVERT);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(log); }, 30000));
    CString logged;
    ASSERT_TRUE(WaitUntil([&] { return (logged = ReadUtf8File(log)).Find(L"clip a") >= 0; }, 10000));
    EXPECT_NE(-1, logged.Find(TestClips().a)) << CStringA(logged).GetString();

    FwShellExecuteFn previous = FwSetShellExecuteFunction(RecordShell);
    Command(ID_ITEM_EXTRACT_AUDIO);
    Command(ID_ITEM_MAKE_GIF);
    FwSetShellExecuteFunction(previous);
    s_app->App().WriteProfileString(L"", L"AppFolder", nullptr);
    ASSERT_EQ(2u, g_shellCalls.size());
    EXPECT_EQ(0, g_shellCalls[0].parameters.Find(L"-c ae")) << CStringA(g_shellCalls[0].parameters).GetString();
    EXPECT_EQ(0, g_shellCalls[1].parameters.Find(L"-c gm"));

    // Settings: OK saves them at once.
    s_app->Settings().repeat = 2;
    {
        CDialogAnswerer answer([](HWND sheet) {
            if (!GetParent(sheet) || GetWindowLongW(sheet, GWL_STYLE) & WS_CAPTION)
                PostMessageW(sheet, WM_COMMAND, IDOK, 0);
        });
        Command(ID_APP_SETTINGS);
        EXPECT_GE(answer.answered, 1);
    }
    EXPECT_EQ(2u, s_app->App().GetProfileInt(L"Settings", L"Repeat", 0));
    s_app->Settings().repeat = 0;
}

}  // namespace
