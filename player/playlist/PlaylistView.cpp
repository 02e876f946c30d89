// The playlist view's commands: opening and adding files, folders,
// addresses and playlists, saving, the recent playlists, deleting and moving items, the item's
// commands, streams and filters, and the display options.
#include "player/playlist/PlaylistView.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/CmdUI.h"
#include "framework/Frame.h"
#include "player/app/ConverterLauncher.h"
#include "player/app/PlayerResource.h"
#include "player/dialogs/UrlDialogs.h"
#include "player/playback/ItemCommands.h"
#include "player/playback/PlayView.h"
#include "player/playlist/PlayDoc.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/OCFileDialog.h"
#include "toolkit/SelectFolderDlg.h"

namespace {

bool KeyDown(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

// Splits at '\n', each line trimmed on both sides; empty lines are left out.
std::vector<CString> NonEmptyLines(const CString& text)
{
    std::vector<CString> lines;
    int start = 0;
    while (start <= text.GetLength()) {
        int end = text.Find(L'\n', start);
        if (end < 0)
            end = text.GetLength();
        CString line = text.Mid(start, end - start);
        line.Trim();
        if (!line.IsEmpty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

// View ------------------------------------------------------------------------------------------------------

const wchar_t CPlaylistView::kOpenFilesFilter[] =
    L"All Files (*.*)|*.*|MP4 Files (*.mp4)|*.mp4|FLV Files (*.flv)|*.flv|WEBM Files (*.webm)|*.webm|"
    L"GIF Files (*.gif)|*.gif|MP3 Files (*.mp3)|*.mp3|AAC Files (*.aac)|*.aac|"
    L"Playlist Files (*.playlist;*.m3u;*.pls)|*.playlist;*.m3u;*.pls|";
const wchar_t CPlaylistView::kPlaylistFilter[] = L"Playlist Files (*.playlist;*.m3u;*.pls)|*.playlist;*.m3u;*.pls|";
const wchar_t CPlaylistView::kSavePlaylistFilter[] =
    L"Playlist File (*.playlist)|*.playlist|M3U File (*.m3u)|*.m3u|PLS File (*.pls)|*.pls|";
const wchar_t CPlaylistView::kFolderPatterns[] = L"*.mp4;*.flv;*.webm;*.gif;*.mp3;*.aac|*.*";

IMPLEMENT_DYNCREATE(CPlaylistView, CMediaPlaylistView)

BEGIN_MESSAGE_MAP(CPlaylistView, CMediaPlaylistView)
    ON_COMMAND(ID_FILE_OPEN_FILES, OnOpenFiles)
    ON_COMMAND(ID_PLAYLIST_ADD_FILES, OnAddFiles)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_ADD_FILES, OnUpdateNoLoad)
    ON_COMMAND(ID_FILE_OPEN_FOLDER, OnOpenFolder)
    ON_COMMAND(ID_PLAYLIST_ADD_FOLDER, OnAddFolder)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_ADD_FOLDER, OnUpdateNoLoad)
    ON_COMMAND(ID_FILE_OPEN_URL, OnOpenUrl)
    ON_COMMAND(ID_PLAYLIST_ADD_URLS, OnAddUrls)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_ADD_URLS, OnUpdateNoLoad)
    ON_COMMAND(ID_FILE_OPEN_PLAYLIST, OnOpenPlaylist)
    ON_COMMAND(ID_FILE_SAVE_PLAYLIST, OnSavePlaylist)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_PLAYLIST, OnUpdateHasItems)
    ON_COMMAND_RANGE(ID_RECENT_PLAYLIST_FIRST, ID_RECENT_PLAYLIST_LAST, OnRecentPlaylist)
    ON_UPDATE_COMMAND_UI(ID_RECENT_PLAYLIST_FIRST, OnUpdateRecentPlaylist)
    ON_COMMAND(ID_RECENT_PLAYLISTS_CLEAR, OnClearRecentPlaylists)
    ON_UPDATE_COMMAND_UI(ID_RECENT_PLAYLISTS_CLEAR, OnUpdateClearRecentPlaylists)
    ON_COMMAND(ID_PLAYLIST_DELETE, OnDelete)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_DELETE, OnUpdateDelete)
    ON_COMMAND(ID_PLAYLIST_DELETE_ALL, OnDeleteAll)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_DELETE_ALL, OnUpdateHasItems)
    ON_COMMAND_RANGE(ID_PLAYLIST_MOVE_UP, ID_PLAYLIST_MOVE_DOWN, OnMove)
    ON_UPDATE_COMMAND_UI_RANGE(ID_PLAYLIST_MOVE_UP, ID_PLAYLIST_MOVE_DOWN, OnUpdateMove)
    ON_COMMAND(ID_ITEM_PLAY, OnPlay)
    ON_UPDATE_COMMAND_UI(ID_ITEM_PLAY, OnUpdatePlay)
    ON_COMMAND(ID_ITEM_MEDIA_INFO, OnMediaInfo)
    ON_UPDATE_COMMAND_UI(ID_ITEM_MEDIA_INFO, OnUpdateSelection)
    ON_COMMAND(ID_ITEM_SHOW_IN_FOLDER, OnShowInFolder)
    ON_UPDATE_COMMAND_UI(ID_ITEM_SHOW_IN_FOLDER, OnUpdateShowInFolder)
    ON_COMMAND(ID_PLAYLIST_SELECT_ALL, OnSelectAll)
    ON_UPDATE_COMMAND_UI(ID_PLAYLIST_SELECT_ALL, OnUpdateHasItems)
    ON_COMMAND(ID_ITEM_CONVERT, OnConvert)
    ON_UPDATE_COMMAND_UI(ID_ITEM_CONVERT, OnUpdateSelection)
    ON_COMMAND(ID_ITEM_EXTRACT_AUDIO, OnExtractAudio)
    ON_UPDATE_COMMAND_UI(ID_ITEM_EXTRACT_AUDIO, OnUpdateExtractAudio)
    ON_COMMAND(ID_ITEM_MAKE_GIF, OnMakeGif)
    ON_UPDATE_COMMAND_UI(ID_ITEM_MAKE_GIF, OnUpdateMakeGif)
    ON_COMMAND_RANGE(ID_VIDEO_TRACK_DISABLE, ID_SUBTITLE_TRACK_LAST, OnTrack)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIDEO_TRACK_DISABLE, ID_SUBTITLE_TRACK_LAST, OnUpdateTrack)
    ON_COMMAND(ID_FILTER_DISABLE_ALL, OnDisableFilters)
    ON_UPDATE_COMMAND_UI(ID_FILTER_DISABLE_ALL, OnUpdateSelection)
    ON_COMMAND_RANGE(ID_FILTER_ROTATE_90, ID_FILTER_VOLUME_500, OnFilter)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FILTER_ROTATE_90, ID_FILTER_VOLUME_500, OnUpdateFilter)
    ON_COMMAND_RANGE(ID_DISPLAY_GRID, ID_DISPLAY_LIST, OnDisplayStyle)
    ON_UPDATE_COMMAND_UI_RANGE(ID_DISPLAY_GRID, ID_DISPLAY_LIST, OnUpdateDisplayStyle)
    ON_COMMAND(ID_DISPLAY_SHOW_TITLE, OnShowTitle)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_SHOW_TITLE, OnUpdateShowTitle)
    ON_COMMAND(ID_DISPLAY_SHOW_ICON, OnShowIcon)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_SHOW_ICON, OnUpdateShowIcon)
    ON_COMMAND(ID_DISPLAY_SHOW_DURATION, OnShowDuration)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_SHOW_DURATION, OnUpdateShowDuration)
    ON_COMMAND(ID_DISPLAY_SHOW_QUALITY, OnShowQuality)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_SHOW_QUALITY, OnUpdateShowQuality)
END_MESSAGE_MAP()

CPlaylistView::CPlaylistView() {}

BOOL CPlaylistView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMediaPlaylistView::PreCreateWindow(cs))
        return FALSE;
    cs.style |= WS_CLIPCHILDREN;
    return TRUE;
}

BOOL CPlaylistView::PreTranslateMessage(MSG* pMsg)
{
    CWnd* list = m_pItems ? m_pItems->GetListWindow() : nullptr;
    if (pMsg->message == WM_LBUTTONDBLCLK && (pMsg->hwnd == m_hWnd || (list && pMsg->hwnd == list->m_hWnd)) &&
        GetSelectedIndex() < 0) {
        CMainFrameLink* frame = GetPlayerWindows().frame;
        if (frame && frame->GetViewLayout() == SPLIT_LAYOUT_ONE_AT_A_TIME && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL))
            frame->ShowPlayView();
        else if (CWnd* top = GetTopLevelFrame())
            top->PostMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN, 0);
        return TRUE;
    }
    return CMediaPlaylistView::PreTranslateMessage(pMsg);
}

void CPlaylistView::OnInitialUpdate()
{
    CMediaPlaylistView::OnInitialUpdate();
    bool& first = PlayerFirstOpenFlag();
    if (first) {
        CPlayerSettings* s = GetPlayerSettings();
        if (s && s->loadLastPlaylist)
            OpenDefaultPlaylist();
    } else if (CDocument* doc = GetDocument()) {
        // A new document has no path: nothing to open then.
        if (!doc->GetPathName().IsEmpty())
            OpenPath(doc->GetPathName());
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::UpdateItemCountDisplay()
{
    CMainFrameLink* frame = GetPlayerWindows().frame;
    if (frame && m_pItems)
        frame->ShowPlaylistCount(m_pItems->GetMediaItemCount(), m_pItems->GetTotalDuration());
}

int CPlaylistView::GetSelectedIndex()
{
    return m_pItems ? m_pItems->GetFirstSelectedIndex() : -1;
}

CMediaItem* CPlaylistView::GetSelectedItem()
{
    return m_pItems ? m_pItems->GetMediaItem(GetSelectedIndex()) : nullptr;
}

// Files, folders, addresses and playlists -------------------------------------------------------------------

void CPlaylistView::AddChosenFiles(bool replace)
{
    CPlayerSettings* s = GetPlayerSettings();
    COCFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT,
                      kOpenFilesFilter, this);
    CString initial = s ? s->lastFolder : CString();
    if (!initial.IsEmpty())
        dlg.m_ofn.lpstrInitialDir = initial;
    if (replace && s)
        dlg.m_ofn.nFilterIndex = (DWORD)std::max(1, s->filterIndex);
    if (!replace)
        dlg.m_ofn.lpstrTitle = L"Add Files";
    if (dlg.DoModal() != IDOK)
        return;
    std::vector<CString> chosen;
    for (POSITION pos = dlg.GetStartPosition(); pos;)
        chosen.push_back(dlg.GetNextPathName(pos));
    if (replace && s)
        s->filterIndex = (int)dlg.m_ofn.nFilterIndex;
    // A chosen playlist file that adds nothing is said, and never empties the playlist.
    const std::vector<CString> paths = WithoutUselessPlaylists(chosen);
    if (paths.empty())
        return;
    int sum = 0;
    {
        CPlaylistEditGuard guard(this, replace ? 1 : 0);
        if (replace)
            RemoveAllItems();
        for (const CString& path : paths) {
            sum += AddPath(path);
            if (sum > 0 && s)
                s->lastFolder = GetParentFolder(path);
        }
        if (replace && sum > 0)
            m_nAwaitedIndex = 0;
        m_nModified = 1;
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::OnOpenFiles()
{
    AddChosenFiles(true);
}

void CPlaylistView::OnAddFiles()
{
    AddChosenFiles(false);
}

void CPlaylistView::ChooseFolder(bool open)
{
    CPlayerSettings* s = GetPlayerSettings();
    CSelectFolderDlg dlg(GetParentFrame());
    dlg.m_strCaption = open ? L"Open Folder" : L"Add Folder";
    dlg.m_strPrompt = open ? L"Open Folder to Play" : L"Add Folder to Playlist";
    dlg.m_strInitialFolder = s ? s->lastFolder : CString();
    // Two presets whose names are their own patterns.
    dlg.m_strPresetNames = kFolderPatterns;
    dlg.m_strPattern = dlg.GetPresetPattern(0);
    dlg.m_nPreset = 0;
    dlg.m_bScanSubfolders = s && s->scanSubfolders;
    if (dlg.DoModal() != IDOK || dlg.m_strSelectedFolder.IsEmpty())
        return;
    CString pattern = dlg.m_strPattern.IsEmpty() ? CString(L"*") : dlg.m_strPattern;
    if (open) {
        OpenFolder(dlg.m_strSelectedFolder, pattern, dlg.m_bScanSubfolders);
    } else {
        CPlaylistEditGuard guard(this, 0);
        AddFolder(dlg.m_strSelectedFolder, pattern, dlg.m_bScanSubfolders);
        m_nModified = 1;
    }
    if (s) {
        s->lastFolder = dlg.m_strSelectedFolder;
        s->scanSubfolders = dlg.m_bScanSubfolders ? 1 : 0;
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::OnOpenFolder()
{
    ChooseFolder(true);
}

void CPlaylistView::OnAddFolder()
{
    ChooseFolder(false);
}

void CPlaylistView::OnOpenUrl()
{
    COpenUrlDlg dlg(GetParentFrame());
    if (dlg.DoModal() != IDOK)
        return;
    CString url = dlg.m_strText;
    url.Trim();
    // Nothing entered is nothing to open: the playlist stays.
    if (url.IsEmpty())
        return;
    OpenAddress(url);
    UpdateItemCountDisplay();
}

void CPlaylistView::OnAddUrls()
{
    CAddUrlsDlg dlg(GetParentFrame());
    if (dlg.DoModal() != IDOK)
        return;
    std::vector<CString> urls = NonEmptyLines(dlg.m_strText);
    if (urls.empty())
        return;
    {
        CPlaylistEditGuard guard(this, 0);
        for (const CString& url : urls)
            AddPath(url);
        m_nModified = 1;
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::OnOpenPlaylist()
{
    COCFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kPlaylistFilter, this);
    if (dlg.DoModal() != IDOK)
        return;
    OpenPlaylist(dlg.GetPathName(), 0, 1);
    UpdateItemCountDisplay();
}

void CPlaylistView::OnSavePlaylist()
{
    COCFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kSavePlaylistFilter, this);
    if (dlg.DoModal() != IDOK)
        return;
    CString path = dlg.GetPathName();
    static const wchar_t* const kExtensions[] = {L".playlist", L".m3u", L".pls"};
    int filter = (int)dlg.m_ofn.nFilterIndex;
    const wchar_t* extension = filter == 3 ? kExtensions[2] : (filter == 2 ? kExtensions[1] : kExtensions[0]);
    // A name without a playlist extension gets the chosen type's: "list.txt" is saved as
    // "list.txt.m3u", never refused.
    if (!IsPlaylistFile(path))
        path += extension;
    // The file that was there is replaced only by a whole new one (or not at all).
    DWORD error = 0;
    if (SavePlaylist(path, 1, 1, &error) < 0)
        TellSaveFailed(path, error);
}

void CPlaylistView::OnRecentPlaylist(UINT id)
{
    CPlayerSettings* s = GetPlayerSettings();
    int index = (int)(id - ID_RECENT_PLAYLIST_FIRST);
    if (!s || index < 0 || index >= s->recentPlaylists.GetCount())
        return;
    CString path = s->recentPlaylists.GetAt(index);
    if (OpenPlaylist(path, 0, 1) <= 0)
        s->RemoveRecentPlaylist(index);
    UpdateItemCountDisplay();
}

void CPlaylistView::OnUpdateRecentPlaylist(CCmdUI* pCmdUI)
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->recentPlaylists.UpdateMenu(pCmdUI);
}

void CPlaylistView::OnClearRecentPlaylists()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->ClearRecentPlaylists();
}

void CPlaylistView::OnUpdateClearRecentPlaylists(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    pCmdUI->Enable(s && s->recentPlaylists.GetCount() > 0);
}

// Items -------------------------------------------------------------------------------------------------

void CPlaylistView::OnDelete()
{
    CMediaPlaylistWnd* list = dynamic_cast<CMediaPlaylistWnd*>(m_pItems);
    if (!list)
        return;
    {
        CPlaylistEditGuard guard(this, 1);
        list->DeleteSelected();
        m_nModified = 1;
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::OnUpdateDelete(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetSelectedIndex() >= 0 && !IsLoading());
}

void CPlaylistView::OnDeleteAll()
{
    if (CPlayWnd* play = GetPlayerWindows().playWnd)
        play->StopAndRemember(0);
    {
        CPlaylistEditGuard guard(this, 1);
        RemoveAllItems();
    }
    UpdateItemCountDisplay();
}

void CPlaylistView::OnUpdateHasItems(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pItems && m_pItems->GetMediaItemCount() > 0);
}

void CPlaylistView::OnUpdateNoLoad(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsLoading());
}

void CPlaylistView::OnMove(UINT id)
{
    CItemListWnd* list = dynamic_cast<CItemListWnd*>(m_pItems);
    int index = GetSelectedIndex();
    if (!list || index < 0)
        return;
    int target = id == ID_PLAYLIST_MOVE_UP ? index - 1 : index + 1;
    if (target < 0 || target >= list->GetItemCount())
        return;
    // The thumbnail threads work by index, and so does the loading: both wait for the move.
    CPlaylistEditGuard guard(this, 1);
    if (list->MoveItem(index, target, TRUE)) {
        list->SetItemSelected(target, TRUE, TRUE, TRUE);
        list->SetCurrentItem(target, TRUE);
        list->EnsureVisible(target);
        m_nModified = 1;
    }
}

void CPlaylistView::OnUpdateMove(CCmdUI* pCmdUI)
{
    int index = GetSelectedIndex();
    int count = m_pItems ? m_pItems->GetMediaItemCount() : 0;
    pCmdUI->Enable(index >= 0 && (pCmdUI->m_nID == ID_PLAYLIST_MOVE_UP ? index > 0 : index < count - 1));
}

void CPlaylistView::OnPlay()
{
    int index = GetSelectedIndex();
    if (index >= 0)
        PlayItem(index, PLAYER_HOST_PLAY_VIEW);
}

void CPlaylistView::OnUpdatePlay(CCmdUI* pCmdUI)
{
    CFrameWnd* frame = GetParentFrame();
    pCmdUI->Enable(frame && frame->GetActiveView() == this && GetSelectedIndex() >= 0);
}

void CPlaylistView::OnMediaInfo()
{
    int index = GetSelectedIndex();
    if (index >= 0)
        ShowMediaInfo(index);
}

void CPlaylistView::OnUpdateSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetSelectedIndex() >= 0);
}

void CPlaylistView::OnShowInFolder()
{
    int index = GetSelectedIndex();
    if (index >= 0)
        ShowInFolder(index);
}

void CPlaylistView::OnUpdateShowInFolder(CCmdUI* pCmdUI)
{
    CMediaItem* item = GetSelectedItem();
    pCmdUI->Enable(item && !(item->Flags & MEDIA_FILE_URL));
}

void CPlaylistView::OnSelectAll()
{
    if (CItemListWnd* list = dynamic_cast<CItemListWnd*>(m_pItems))
        list->SelectAll(TRUE, TRUE);
}

void CPlaylistView::OnConvert()
{
    if (CMediaItem* item = GetSelectedItem())
        LaunchConverterForItem(*item);
}

void CPlaylistView::OnExtractAudio()
{
    if (CMediaItem* item = GetSelectedItem())
        LaunchConverterExtractAudioForItem(*item);
}

void CPlaylistView::OnUpdateExtractAudio(CCmdUI* pCmdUI)
{
    CMediaItem* item = GetSelectedItem();
    pCmdUI->Enable(item && !item->MediaInfo.AudioStreams.IsEmpty());
}

void CPlaylistView::OnMakeGif()
{
    if (CMediaItem* item = GetSelectedItem())
        LaunchConverterMakeGifForItem(*item);
}

void CPlaylistView::OnUpdateMakeGif(CCmdUI* pCmdUI)
{
    CMediaItem* item = GetSelectedItem();
    pCmdUI->Enable(item && !item->MediaInfo.VideoStreams.IsEmpty());
}

// Streams and filters -------------------------------------------------------------------------------------

void CPlaylistView::OnTrack(UINT id)
{
    CMediaItem* item = GetSelectedItem();
    if (item && SelectItemTrack(*item, id) >= 0)
        m_nModified = 1;
}

void CPlaylistView::OnUpdateTrack(CCmdUI* pCmdUI)
{
    UpdateTrackCommand(pCmdUI, GetSelectedItem());
}

void CPlaylistView::OnFilter(UINT id)
{
    CMediaItem* item = GetSelectedItem();
    if (!item)
        return;
    ToggleItemFilter(*item, id);
    m_nModified = 1;
}

void CPlaylistView::OnUpdateFilter(CCmdUI* pCmdUI)
{
    CMediaItem* item = GetSelectedItem();
    UINT id = pCmdUI->m_nID;
    bool audioFilter = id == ID_FILTER_VOLUME_200 || id == ID_FILTER_VOLUME_300 || id == ID_FILTER_VOLUME_500;
    bool speed = id == ID_FILTER_SPEED_200 || id == ID_FILTER_SPEED_50;
    bool enabled = item && (speed || (audioFilter ? !item->MediaInfo.AudioStreams.IsEmpty()
                                                   : !item->MediaInfo.VideoStreams.IsEmpty()));
    pCmdUI->Enable(enabled);
    pCmdUI->SetCheck(item && IsItemFilterOn(*item, id));
}

void CPlaylistView::OnDisableFilters()
{
    if (CMediaItem* item = GetSelectedItem()) {
        item->ResetFilters();
        m_nModified = 1;
    }
}

// Display options ---------------------------------------------------------------------------------------

void CPlaylistView::OnDisplayStyle(UINT id)
{
    if (CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems))
        list->SetViewStyle(id == ID_DISPLAY_GRID ? PLAYLIST_STYLE_GRID : PLAYLIST_STYLE_LIST);
}

void CPlaylistView::OnUpdateDisplayStyle(CCmdUI* pCmdUI)
{
    CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems);
    int style = list ? list->GetViewStyle() : PLAYLIST_STYLE_GRID;
    pCmdUI->SetRadio((pCmdUI->m_nID == ID_DISPLAY_GRID ? PLAYLIST_STYLE_GRID : PLAYLIST_STYLE_LIST) == style);
}

void CPlaylistView::OnShowTitle()
{
    CPlayerSettings* s = GetPlayerSettings();
    if (CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems))
        list->SetShowTitle(s && s->showTitle ? 0 : 1);
}

void CPlaylistView::OnUpdateShowTitle(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems);
    pCmdUI->SetCheck(s && s->showTitle);
    pCmdUI->Enable(list && list->GetViewStyle() == PLAYLIST_STYLE_GRID);
}

void CPlaylistView::OnShowIcon()
{
    CPlayerSettings* s = GetPlayerSettings();
    if (CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems))
        list->SetShowIcon(s && s->showIcon ? 0 : 1);
}

void CPlaylistView::OnUpdateShowIcon(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems);
    pCmdUI->SetCheck(s && s->showIcon);
    pCmdUI->Enable(list && list->GetViewStyle() == PLAYLIST_STYLE_LIST);
}

void CPlaylistView::OnShowDuration()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->showDuration = !s->showDuration;
    if (CWnd* list = m_pItems ? m_pItems->GetListWindow() : nullptr)
        list->Invalidate();
}

void CPlaylistView::OnUpdateShowDuration(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    CPlaylistItemWnd* list = dynamic_cast<CPlaylistItemWnd*>(m_pItems);
    pCmdUI->SetCheck(s && s->showDuration);
    pCmdUI->Enable(list && list->GetViewStyle() == PLAYLIST_STYLE_GRID);
}

void CPlaylistView::OnShowQuality()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->showQuality = !s->showQuality;
    if (CWnd* list = m_pItems ? m_pItems->GetListWindow() : nullptr)
        list->Invalidate();
}

void CPlaylistView::OnUpdateShowQuality(CCmdUI* pCmdUI)
{
    CPlayerSettings* s = GetPlayerSettings();
    pCmdUI->SetCheck(s && s->showQuality);
}
