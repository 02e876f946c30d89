// The playlist's commands in the main frame, driven as a user drives them (commands by messages,
// the dialogs answered as they open): their enabling rules, addresses, saving and opening
// playlists, moves and deletes around the playing item, recent files, the settings sheet and
// the hand-over to the converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "PlayerUiTestSupport.h"
#include "framework/FileDialog.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "toolkit/SelectFolderDlg.h"

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

// The file dialogs answer with this path and filter, or with these names in one folder as a
// multiple selection answers; what they were opened with is kept.
CString g_chosenPath;
std::vector<CString> g_chosenNames;
DWORD g_chosenFilter = 1;
int g_fileDialogs = 0;
struct CFileDialogSeen {
    CString title, initialFolder;
    DWORD filterIndex = 0;
} g_seenDialog;
BOOL WINAPI ChooseFile(LPOPENFILENAMEW ofn, BOOL)
{
    ++g_fileDialogs;
    g_seenDialog.title = ofn->lpstrTitle ? ofn->lpstrTitle : L"";
    g_seenDialog.initialFolder = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"";
    g_seenDialog.filterIndex = ofn->nFilterIndex;
    // The folder, then each name, each ended by a NUL, and an empty name at the end.
    std::vector<wchar_t> answer(g_chosenPath.GetString(), g_chosenPath.GetString() + g_chosenPath.GetLength() + 1);
    for (const CString& name : g_chosenNames)
        answer.insert(answer.end(), name.GetString(), name.GetString() + name.GetLength() + 1);
    answer.push_back(0);
    if (g_chosenPath.IsEmpty() || answer.size() > ofn->nMaxFile)
        return FALSE;
    std::copy(answer.begin(), answer.end(), ofn->lpstrFile);
    ofn->nFilterIndex = g_chosenFilter;
    return TRUE;
}

// Answers the folder dialog as a user does: once its worker has selected the initial folder, the
// dialog is read, 'fill' changes what the user would change and OK is pressed. Cancel when the
// folder never comes.
class CFolderDialogAnswerer {
public:
    struct Seen {
        CString caption, prompt, pattern, selected;
        std::vector<CString> presets;
        bool scanSubfolders = false;
    };
    explicit CFolderDialogAnswerer(std::function<void(CSelectFolderDlg&)> fill) : m_fill(std::move(fill))
    {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CBT, &CFolderDialogAnswerer::Hook, nullptr, GetCurrentThreadId());
    }
    ~CFolderDialogAnswerer()
    {
        if (m_timer)
            KillTimer(nullptr, m_timer);
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    Seen seen;
    int answered = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && s_current && !s_current->m_dialog) {
            wchar_t cls[32] = L"";
            GetClassNameW((HWND)wParam, cls, 32);
            if (wcscmp(cls, L"#32770") == 0) {
                s_current->m_dialog = (HWND)wParam;
                s_current->m_began = GetTickCount();
                s_current->m_timer = SetTimer(nullptr, 0, 100, &CFolderDialogAnswerer::Tick);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        CFolderDialogAnswerer* self = s_current;
        if (!self || !self->m_timer)
            return;
        CSelectFolderDlg* dlg = dynamic_cast<CSelectFolderDlg*>(CWnd::FromHandlePermanent(self->m_dialog));
        const bool late = GetTickCount() - self->m_began > 60000;
        if (!dlg || (dlg->IsWorkerRunning() && !late))
            return;
        KillTimer(nullptr, self->m_timer);
        self->m_timer = 0;
        ++self->answered;
        Seen& seen = self->seen;
        dlg->GetWindowText(seen.caption);
        dlg->GetDlgItemText(IDC_SELECT_FOLDER_TEXT, seen.prompt);
        seen.pattern = dlg->GetPatternCombo().GetEditText();
        seen.scanSubfolders = dlg->IsDlgButtonChecked(IDC_SELECT_FOLDER_SUBFOLDERS) == BST_CHECKED;
        HWND combo = dlg->GetPatternCombo().m_hWnd;
        int count = (int)::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            wchar_t text[260] = L"";
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = 260;
            ::SendMessageW(combo, CBEM_GETITEMW, 0, (LPARAM)&item);
            seen.presets.push_back(text);
        }
        CFolderTreeCtrl& tree = dlg->GetTree();
        seen.selected = tree.GetItemPath(tree.GetSelectedItem());
        if (seen.selected.IsEmpty()) {
            dlg->PostMessage(WM_COMMAND, IDCANCEL, 0);
            return;
        }
        self->m_fill(*dlg);
        dlg->PostMessage(WM_COMMAND, IDOK, 0);
    }

    static CFolderDialogAnswerer* s_current;
    std::function<void(CSelectFolderDlg&)> m_fill;
    HHOOK m_hook = nullptr;
    HWND m_dialog = nullptr;
    UINT_PTR m_timer = 0;
    DWORD m_began = 0;
};
CFolderDialogAnswerer* CFolderDialogAnswerer::s_current = nullptr;

struct CShellCall {
    CString file, parameters, verb;
    INT show;
};
std::vector<CShellCall> g_shellCalls;
HINSTANCE WINAPI RecordShell(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show)
{
    g_shellCalls.push_back({file ? file : L"", parameters ? parameters : L"", verb ? verb : L"<none>", show});
    return (HINSTANCE)42;
}
std::vector<CString> g_messageBoxes;
int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_messageBoxes.push_back(text ? text : L"");
    return IDOK;
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

// A playlist file chosen in the file dialog that names nothing usable (prose, another file's
// bytes) is said, whether it was to open or to add; Open Files replaces the list only with
// something: the list the user had stays, and nothing is left for a close to save over it.
TEST_F(PlaylistCommands, APlaylistThatYieldsNothingChosenToOpenOrAddLeavesTheListAndSaysSo)
{
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().a);
        Playlist().AddPath(TestClips().b);
    }
    WaitLoaded();
    ASSERT_EQ(2, List().GetItemCount());
    Playlist().m_nModified = 0;
    const CString folder = MakeAwkwardFolder(L"open-nothing");
    ASSERT_TRUE(WriteBytes(folder + L"\\prose.m3u", "Dear diary, today was long!\r\nWe went out; it rained.\r\n"));
    ASSERT_TRUE(WriteBytes(folder + L"\\values.pls", "[playlist]\r\nNumberOfEntries=1\r\nFile1=It rained.\r\n"));
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    g_chosenPath = folder;
    g_chosenNames = {L"prose.m3u", L"values.pls"};
    Command(ID_FILE_OPEN_FILES);
    WaitLoaded();
    EXPECT_EQ(2, List().GetItemCount()) << "the list stays as it was";
    EXPECT_EQ(0, Playlist().m_nModified);
    EXPECT_FALSE(Play().HasSession());
    ASSERT_EQ(2u, g_messageBoxes.size()) << "each file is answered";
    EXPECT_NE(-1, g_messageBoxes[0].Find(folder + L"\\prose.m3u")) << CStringA(g_messageBoxes[0]).GetString();
    EXPECT_NE(-1, g_messageBoxes[0].Find(L"holds no playlist entries"));
    EXPECT_NE(-1, g_messageBoxes[1].Find(folder + L"\\values.pls")) << CStringA(g_messageBoxes[1]).GetString();

    g_messageBoxes.clear();
    g_chosenNames = {L"prose.m3u"};
    Command(ID_PLAYLIST_ADD_FILES);
    WaitLoaded();
    EXPECT_EQ(2, List().GetItemCount());
    ASSERT_EQ(1u, g_messageBoxes.size()) << "adding it says so as well";
    EXPECT_NE(-1, g_messageBoxes[0].Find(L"holds no playlist entries"));

    // A useless file among usable ones is said, and the rest opens.
    g_messageBoxes.clear();
    ASSERT_TRUE(CopyFileW(TestClips().c, folder + L"\\three.mp4", FALSE));
    g_chosenNames = {L"prose.m3u", L"three.mp4"};
    Command(ID_FILE_OPEN_FILES);
    WaitLoaded();
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(folder + L"\\three.mp4", List().GetMediaItemAt(0)->Path);
    EXPECT_EQ(1u, g_messageBoxes.size());
    Play().StopAndRemember(0);
    g_chosenNames.clear();
    FwSetMessageBoxFunction(previousBox);
}

TEST_F(PlaylistCommands, FilesAndFoldersFromTheirDialogs)
{
    CPlayerSettings& s = s_app->Settings();
    CString folder = MakeAwkwardFolder(L"open-commands");
    const CString inner = folder + L"\\inner";
    CreateDirectoryW(inner, nullptr);
    ASSERT_TRUE(CopyFileW(TestClips().a, folder + L"\\one.mp4", FALSE));
    ASSERT_TRUE(CopyFileW(TestClips().b, folder + L"\\two.mp4", FALSE));
    ASSERT_TRUE(CopyFileW(TestClips().c, inner + L"\\three.mp4", FALSE));
    ASSERT_TRUE(WriteUtf8File(folder + L"\\cover.png", L"a picture"));
    ASSERT_TRUE(WriteUtf8File(folder + L"\\notes.txt", L"no media"));
    auto paths = [&] {
        std::vector<CString> all;
        for (int i = 0; i < List().GetItemCount(); ++i)
            all.push_back(List().GetMediaItemAt(i)->Path);
        std::sort(all.begin(), all.end(), [](const CString& x, const CString& y) { return x.CompareNoCase(y) < 0; });
        return all;
    };

    const int allowed = s.allowDuplicates;
    s.allowDuplicates = 1;
    // Open Files: an image is refused, the clip after it replaces the playlist and plays.
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().c);
    }
    WaitLoaded();
    s.lastFolder = L"C:\\";
    s.filterIndex = 2;
    g_chosenPath = folder;
    g_chosenNames = {L"cover.png", L"two.mp4"};
    g_chosenFilter = 3;
    Command(ID_FILE_OPEN_FILES);
    EXPECT_STREQ(L"", g_seenDialog.title);
    EXPECT_EQ(2u, g_seenDialog.filterIndex) << "the filter of the last time";
    EXPECT_STREQ(L"C:\\", g_seenDialog.initialFolder);
    ASSERT_TRUE(WaitUntil([&] { return Play().HasSession(); }, 30000)) << "the first item plays once it is in";
    WaitLoaded();
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(folder + L"\\two.mp4", List().GetMediaItemAt(0)->Path);
    EXPECT_STREQ(folder, s.lastFolder);
    EXPECT_EQ(3, s.filterIndex);
    Play().StopAndRemember(0);

    // Add Files: added behind, nothing starts, the filter of Open Files stays.
    g_chosenNames = {L"one.mp4"};
    g_chosenFilter = 5;
    Command(ID_PLAYLIST_ADD_FILES);
    EXPECT_STREQ(L"Add Files", g_seenDialog.title);
    WaitLoaded();
    ASSERT_EQ(2, List().GetItemCount());
    EXPECT_STREQ(folder + L"\\one.mp4", List().GetMediaItemAt(1)->Path);
    EXPECT_EQ(3, s.filterIndex);
    EXPECT_FALSE(Play().HasSession());
    g_chosenNames.clear();

    // Open Folder: the folder picker with its two presets, here with the subfolders.
    s.scanSubfolders = 0;
    {
        CFolderDialogAnswerer answer([](CSelectFolderDlg& dlg) {
            dlg.CheckDlgButton(IDC_SELECT_FOLDER_SUBFOLDERS, BST_CHECKED);
        });
        Command(ID_FILE_OPEN_FOLDER);
        ASSERT_EQ(1, answer.answered);
        EXPECT_STREQ(L"Open Folder", answer.seen.caption);
        EXPECT_STREQ(L"Open Folder to Play", answer.seen.prompt);
        EXPECT_EQ(0, answer.seen.selected.CompareNoCase(folder)) << "the last folder is chosen at first";
        ASSERT_EQ(2u, answer.seen.presets.size());
        EXPECT_STREQ(L"*.mp4;*.flv;*.webm;*.gif;*.mp3;*.aac", answer.seen.presets[0]);
        EXPECT_STREQ(L"*.*", answer.seen.presets[1]);
        EXPECT_STREQ(answer.seen.presets[0], answer.seen.pattern);
        EXPECT_FALSE(answer.seen.scanSubfolders);
    }
    ASSERT_TRUE(WaitUntil([&] { return Play().HasSession(); }, 30000));
    WaitLoaded();
    std::vector<CString> opened = paths();
    ASSERT_EQ(3u, opened.size()) << "the clips of the folder and its subfolder, no picture, no text";
    EXPECT_STREQ(inner + L"\\three.mp4", opened[0]);
    EXPECT_EQ(1, s.scanSubfolders);
    Play().StopAndRemember(0);

    // Add Folder: a pattern of the user's own, without the subfolders.
    {
        CFolderDialogAnswerer answer([](CSelectFolderDlg& dlg) {
            dlg.GetPatternCombo().GetEditCtrl()->SetWindowText(L"t*.mp4");
            dlg.CheckDlgButton(IDC_SELECT_FOLDER_SUBFOLDERS, BST_UNCHECKED);
        });
        Command(ID_PLAYLIST_ADD_FOLDER);
        ASSERT_EQ(1, answer.answered);
        EXPECT_STREQ(L"Add Folder", answer.seen.caption);
        EXPECT_STREQ(L"Add Folder to Playlist", answer.seen.prompt);
        EXPECT_TRUE(answer.seen.scanSubfolders) << "as it was left";
    }
    WaitLoaded();
    ASSERT_EQ(4, List().GetItemCount());
    EXPECT_STREQ(folder + L"\\two.mp4", List().GetMediaItemAt(3)->Path);
    EXPECT_EQ(0, s.scanSubfolders);
    EXPECT_FALSE(Play().HasSession());

    // Cancelled, nothing changes.
    {
        CDialogAnswerer answer([](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
        Command(ID_PLAYLIST_ADD_FOLDER);
        EXPECT_EQ(1, answer.answered);
    }
    EXPECT_EQ(4, List().GetItemCount());
    EXPECT_EQ(0, s.scanSubfolders);
    s.allowDuplicates = allowed;
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
    Play().StopAndRemember(0);

    // An address that cannot be opened says so and leaves the playlist as it was.
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    const CString dead = L"http://127.0.0.1:9/nothing-here.mp4";
    {
        CDialogAnswerer answer([&](HWND dlg) {
            SetDlgItemTextW(dlg, IDC_URL_COMBO, dead);
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        Command(ID_FILE_OPEN_URL);
    }
    EXPECT_TRUE(WaitUntil([&] { return !g_messageBoxes.empty(); }, 60000));
    WaitLoaded();
    FwSetMessageBoxFunction(previousBox);
    ASSERT_EQ(1, List().GetItemCount()) << "the playlist stays";
    EXPECT_STREQ(TestClips().b, List().GetMediaItemAt(0)->Path);
    EXPECT_FALSE(Play().HasSession());
    ASSERT_EQ(1u, g_messageBoxes.size());
    EXPECT_STREQ(L"Cannot open URL:\n" + dead, g_messageBoxes[0]);
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
    WaitLoaded();
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

TEST_F(PlaylistCommands, ARecentFileThatOpensNothingNeitherWaitsForTheQueueNorEndsIt)
{
    // The document's close stops the loading; a file that then does not open leaves the old
    // playlist, which goes on loading where it was.
    CString log = UseFakeProbe(s_app->Resources(), 20000);
    CToolProcessBase::SetStopGraceForTests(60000);
    const std::vector<CString> queued = {TestClips().a, TestClips().b, TestClips().c};
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        for (const CString& path : queued)
            Playlist().AddPath(path);
    }
    ASSERT_TRUE(WaitUntil([&] { return ProbedPaths(log).size() == 1; }, 30000));
    CPlayerSettings& s = s_app->Settings();
    s.recentFiles.RemoveAll();
    s.recentFiles.Add(MakeAwkwardFolder(L"recent-gone") + L"\\gone.mp4");
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    DWORD began = GetTickCount();
    Command(ID_RECENT_FILE_FIRST);
    EXPECT_LT(GetTickCount() - began, 10000u) << "the window waited for the queue";
    FwSetMessageBoxFunction(previousBox);
    EXPECT_EQ(1u, g_messageBoxes.size()) << "the library's own failure message";
    EXPECT_EQ(0, s.recentFiles.GetCount()) << "the entry that no longer opens is dropped";
    EXPECT_TRUE(Playlist().IsLoading());
    ASSERT_TRUE(WaitUntil([&] { return ProbedPaths(log).size() == 2; }, 30000));
    EXPECT_EQ(queued[0], ProbedPaths(log)[1]) << "the path whose probe was stopped comes first";
    UseTestTools(s_app->Resources());
}

TEST_F(PlaylistCommands, TheShellIsHandedTheItemsFolderTheWebPageAndTheMail)
{
    CString folder = MakeAwkwardFolder(L"show-in-folder");
    CString clip = folder + L"\\clip & (1).mp4";
    ASSERT_TRUE(CopyFileW(TestClips().b, clip, FALSE));
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(clip);
    }
    WaitLoaded();
    ASSERT_EQ(1, List().GetItemCount());
    FwShellExecuteFn previousShell = FwSetShellExecuteFunction(RecordShell);
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();

    Select(0);
    ASSERT_TRUE(Enabled(ID_ITEM_SHOW_IN_FOLDER));
    Command(ID_ITEM_SHOW_IN_FOLDER);
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_STREQ(L"explorer.exe", g_shellCalls[0].file);
    EXPECT_STREQ(L"/select," + clip, g_shellCalls[0].parameters);
    EXPECT_EQ(SW_SHOWNORMAL, g_shellCalls[0].show);

    // The folder gone meanwhile: the one message, and nothing started.
    CMediaItem* item = List().GetMediaItemAt(0);
    CString kept = item->Path;
    item->Path = folder + L"\\gone away\\clip.mp4";
    Command(ID_ITEM_SHOW_IN_FOLDER);
    item->Path = kept;
    EXPECT_EQ(1u, g_shellCalls.size());
    ASSERT_EQ(1u, g_messageBoxes.size());
    EXPECT_STREQ(L"Folder does not exist!", g_messageBoxes[0]);

    // An address has no folder to show.
    item->ChangeFlags(MEDIA_FILE_URL);
    EXPECT_FALSE(Enabled(ID_ITEM_SHOW_IN_FOLDER));
    item->ChangeFlags(0, MEDIA_FILE_URL);

    Command(ID_APP_WEB_SITE);
    ASSERT_EQ(2u, g_shellCalls.size());
    EXPECT_STREQ(L"open", g_shellCalls[1].verb);
    EXPECT_EQ(0, g_shellCalls[1].file.Find(L"http://")) << CStringA(g_shellCalls[1].file).GetString();
    EXPECT_EQ(SW_SHOWNORMAL, g_shellCalls[1].show);
    Command(ID_APP_EMAIL);
    ASSERT_EQ(3u, g_shellCalls.size());
    EXPECT_EQ(0, g_shellCalls[2].file.Find(L"mailto:")) << CStringA(g_shellCalls[2].file).GetString();
    EXPECT_NE(-1, g_shellCalls[2].file.Find(L"subject=About")) << CStringA(g_shellCalls[2].file).GetString();

    FwSetShellExecuteFunction(previousShell);
    FwSetMessageBoxFunction(previousBox);
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

// "Cannot save playlist file:", the path, and the reason the system gave, as the user reads it.
CString SaveRefusal(const CString& path, DWORD error)
{
    return L"Cannot save playlist file:\n" + path + L"\n\n" + GetSystemErrorText(error);
}

// The temporary files that a save left in a folder.
int TemporaryFilesIn(const CString& folder)
{
    int n = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\~*.tmp", &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        ++n;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return n;
}

TEST_F(PlaylistCommands, AFailedSaveSaysWhyAndLeavesTheFileThatWasThere)
{
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().c);
    }
    WaitLoaded();
    CString folder = MakeAwkwardFolder(L"save-refused");
    CString target = folder + L"\\kept.m3u";
    const std::string before = "C:\\the user's own list.mp3\r\n";
    ASSERT_TRUE(WriteBytes(target, before));
    // Held open by another program that lets others read it, but neither write nor replace it.
    CHandle held(CreateFileW(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.IsValid());
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    g_chosenPath = target;
    g_chosenFilter = 2;
    Command(ID_FILE_SAVE_PLAYLIST);
    held.Close();
    CString missingFolder = folder + L"\\no such folder\\new.playlist";
    g_chosenPath = missingFolder;
    g_chosenFilter = 1;
    Command(ID_FILE_SAVE_PLAYLIST);
    // A file the user made read-only.
    CString readOnly = folder + L"\\read only.pls";
    ASSERT_TRUE(WriteBytes(readOnly, before));
    ASSERT_TRUE(SetFileAttributesW(readOnly, FILE_ATTRIBUTE_READONLY));
    g_chosenPath = readOnly;
    g_chosenFilter = 3;
    Command(ID_FILE_SAVE_PLAYLIST);
    FwSetMessageBoxFunction(previousBox);
    SetFileAttributesW(readOnly, FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(before, ReadBytes(target));
    EXPECT_EQ(before, ReadBytes(readOnly));
    ASSERT_EQ(3u, g_messageBoxes.size());
    // A file held open is refused as in use, or as not to be replaced, as the system decides.
    EXPECT_TRUE(g_messageBoxes[0] == SaveRefusal(target, ERROR_SHARING_VIOLATION) ||
                g_messageBoxes[0] == SaveRefusal(target, ERROR_ACCESS_DENIED))
        << CStringA(g_messageBoxes[0]).GetString();
    EXPECT_STREQ(SaveRefusal(missingFolder, ERROR_PATH_NOT_FOUND), g_messageBoxes[1]);
    EXPECT_STREQ(SaveRefusal(readOnly, ERROR_ACCESS_DENIED), g_messageBoxes[2]);
    EXPECT_EQ(2, CountFolderEntries(folder)) << "nothing half-written is left";
}

TEST_F(PlaylistCommands, AnExitThatCannotSaveTheLastPlaylistSaysWhyAndKeepsTheOneThere)
{
    CPlayerSettings& s = s_app->Settings();
    s.loadLastPlaylist = 1;
    const CString defaultPath = s.GetDefaultPlaylistPath();
    const CString dataFolder = GetParentFolder(defaultPath);
    DeleteFileW(defaultPath);
    {
        CPlaylistEditGuard guard(&Playlist(), 0);
        Playlist().AddPath(TestClips().b);
    }
    WaitLoaded();
    Close();
    const std::string saved = ReadBytes(defaultPath);
    {
        CPlaylistData kept(1);
        ASSERT_EQ(0, CXmlPlaylistFormat().Load(defaultPath, kept));
        ASSERT_EQ(1, kept.GetCount()) << "a close keeps the playlist";
        EXPECT_STREQ(TestClips().b, kept.GetAt(0)->Path);
    }

    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
        PlayerFirstOpenFlag() = true;
        ASSERT_TRUE(Open());
        WaitLoaded();
        ASSERT_EQ(1, List().GetItemCount());
        {
            CPlaylistEditGuard guard(&Playlist(), 0);
            Playlist().AddPath(TestClips().c);
        }
        WaitLoaded();
        ASSERT_EQ(2, List().GetItemCount());
        if (attempt == 0) {
            // Another program holds the file: it may be read, not replaced.
            CHandle held(CreateFileW(defaultPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.IsValid());
            Close();
        } else {
            // The user made it read-only.
            ASSERT_TRUE(SetFileAttributesW(defaultPath, FILE_ATTRIBUTE_READONLY));
            Close();
            SetFileAttributesW(defaultPath, FILE_ATTRIBUTE_NORMAL);
        }
        EXPECT_EQ(saved, ReadBytes(defaultPath)) << "the last playlist saved stays whole, " << attempt;
        EXPECT_EQ(0, TemporaryFilesIn(dataFolder)) << "nothing half-written is left, " << attempt;
        ASSERT_EQ((size_t)attempt + 1, g_messageBoxes.size()) << "each failed exit is told once";
        const CString& told = g_messageBoxes.back();
        if (attempt == 0) {
            EXPECT_TRUE(told == SaveRefusal(defaultPath, ERROR_SHARING_VIOLATION) ||
                        told == SaveRefusal(defaultPath, ERROR_ACCESS_DENIED))
                << CStringA(told).GetString();
        } else {
            EXPECT_STREQ(SaveRefusal(defaultPath, ERROR_ACCESS_DENIED), told);
        }
    }
    FwSetMessageBoxFunction(previousBox);
    s.loadLastPlaylist = 0;
    DeleteFileW(defaultPath);
}

TEST_F(PlaylistCommands, ADamagedDefaultPlaylistIsKeptAsideAndTheUserToldOnce)
{
    Close();
    CPlayerSettings& s = s_app->Settings();
    CString defaultPath = s.GetDefaultPlaylistPath();
    const std::string damaged = "<?xml version=\"1.0\"?><Playlists><Playlist LastItem=\"0\"><Item><Media";
    ASSERT_TRUE(WriteBytes(defaultPath, damaged));
    CString aside = defaultPath + L".damaged";
    DeleteFileW(aside);
    s.loadLastPlaylist = 1;
    FwMessageBoxFn previousBox = FwSetMessageBoxFunction(RecordMessageBox);
    g_messageBoxes.clear();
    PlayerFirstOpenFlag() = true;
    ASSERT_TRUE(Open());
    EXPECT_EQ(damaged, ReadBytes(aside)) << "the file is kept aside as it was";
    ASSERT_EQ(1u, g_messageBoxes.size());
    EXPECT_NE(-1, g_messageBoxes[0].Find(aside)) << CStringA(g_messageBoxes[0]).GetString();
    EXPECT_EQ(0, List().GetItemCount());

    // The close writes a default playlist of its own; the one kept aside stays, and the next
    // start says nothing more.
    Close();
    EXPECT_EQ(damaged, ReadBytes(aside));
    EXPECT_NE(damaged, ReadBytes(defaultPath));
    PlayerFirstOpenFlag() = true;
    ASSERT_TRUE(Open());
    EXPECT_EQ(1u, g_messageBoxes.size());
    FwSetMessageBoxFunction(previousBox);
    s.loadLastPlaylist = 0;
    DeleteFileW(aside);
    DeleteFileW(defaultPath);
}

}  // namespace
