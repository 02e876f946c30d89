// The media playlist view and its workers. Every change of the item array happens on the
// user-interface thread: the load thread sends each probed item there (a playlist's entries that
// need no probe in runs), and the thumbnail threads ask there for the item they are to serve and
// hand the picture over under the draw lock. The files a playlist names are looked at by the load
// thread only.
#include "player/playlist/MediaPlaylistView.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "engine/ThumbnailGrab.h"
#include "framework/Effects.h"
#include "framework/Handles.h"
#include "player/app/PlayerMessages.h"
#include "player/dialogs/MediaInfoDlg.h"
#include "player/playback/PlayWnd.h"
#include "player/playlist/MediaLoadThread.h"
#include "player/playlist/MediaUpdateThread.h"
#include "player/playlist/ToolTimeLimit.h"
#include "player/playlistfiles/PlayerFiles.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/FileMatchFilter.h"
#include "toolkit/PaneColor.h"

namespace {

// The answer to WM_GET_THUMBNAIL_ITEM while the load thread may still bring the item, and how long
// the thumbnail thread waits before it asks again.
const LRESULT kThumbnailItemLater = -1;
const DWORD kThumbnailWaitMs = 40;

const UINT kItemWindowId = 10;

// Why a playlist file cannot be used; what the user is told.
enum PlaylistReadResult { PLAYLIST_READ = 0, PLAYLIST_UNREADABLE, PLAYLIST_MALFORMED, PLAYLIST_EMPTY };

bool CanReadFile(LPCWSTR path)
{
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    return file.IsValid() && GetFileSizeEx(file, &size) && size.QuadPart <= playerfiles::MAX_PLAYLIST_FILE_SIZE;
}

int ReadPlaylistFile(LPCWSTR path, CPlaylistData& playlist)
{
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(path));
    if (format && format->Load(path, playlist) == 0)
        return PLAYLIST_READ;
    return CanReadFile(path) ? PLAYLIST_MALFORMED : PLAYLIST_UNREADABLE;
}

// As ReadPlaylistFile, with a file that names no entry (only comments, nothing at all) as
// PLAYLIST_EMPTY: opened, it would only empty the list, and the next close would save that over
// the last playlist.
int ReadUsablePlaylist(LPCWSTR path, CPlaylistData& playlist)
{
    const int read = ReadPlaylistFile(path, playlist);
    return read == PLAYLIST_READ && playlist.GetCount() == 0 ? PLAYLIST_EMPTY : read;
}

void TellUnreadablePlaylist(LPCWSTR path, int reason)
{
    CString text;
    if (reason == PLAYLIST_UNREADABLE)
        text.Format(L"Cannot read playlist file:\n%s", path);
    else if (reason == PLAYLIST_EMPTY)
        text.Format(L"\"%s\"\n\nholds no playlist entries.", path);
    else
        text.Format(L"\"%s\"\n\nis not a valid playlist file.", path);
    AfxMessageBox(text);
}

// A file that cannot be read moved out of the way under a name of its own beside it; that name,
// or empty when it could not be moved.
CString SetAside(const CString& path)
{
    for (int n = 1; n <= 100; ++n) {
        CString aside = path + L".damaged";
        if (n > 1)
            aside.Format(L"%s.damaged-%d", path.GetString(), n);
        if (GetFileAttributesW(aside) != INVALID_FILE_ATTRIBUTES)
            continue;
        return MoveFileExW(path, aside, MOVEFILE_WRITE_THROUGH) ? aside : CString();
    }
    return CString();
}

// A file on a disk or share that is not there: the probe tool could say nothing of it, and
// asking it costs a tool run each. Addresses are only known by asking. Asked on the load thread
// only: a share that hangs holds the question for its time-out.
bool IsMissingFile(const CString& path)
{
    return !PathIsURLW(path) && !PathExists(path);
}

// A run of playlist entries that need no probe goes to the window in one piece when it is this
// long, or has waited this long since its first entry: 50,000 entries one by one would cost the
// window 50,000 layouts and counts, and the first of them still shows at once.
const size_t kRunEntries = 4096;
const DWORD kRunWaitMs = 100;

// The thumbnail files a playlist file names.
std::vector<CString> ThumbnailFilesNamedBy(LPCWSTR path)
{
    std::vector<CString> files;
    CPlaylistData playlist(1);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES || CXmlPlaylistFormat().Load(path, playlist) != 0)
        return files;
    for (int i = 0; i < playlist.GetCount(); ++i)
        if (!playlist.GetAt(i)->ThumbnailFile.IsEmpty())
            files.push_back(playlist.GetAt(i)->ThumbnailFile);
    return files;
}

// The item window's draw lock as the guard the thumbnail operations hand their picture over under:
// a painting never meets a half-made picture, and the item's thumbnail file never names a file
// that is still being written.
class CDrawLockGuard : public CThumbnailGuard {
public:
    explicit CDrawLockGuard(CItemDrawLock& lock) : m_lock(lock) {}
    void Lock() override { m_lock.Enter(); }
    void Unlock() override { m_lock.Leave(); }

private:
    CItemDrawLock& m_lock;
};

}  // namespace

// Edit guard -------------------------------------------------------------------------------------------

CPlaylistEditGuard::CPlaylistEditGuard(CMediaPlaylistView* view, int stopLoad) : m_pView(view)
{
    m_pView->BeginEdit(stopLoad);
}

CPlaylistEditGuard::~CPlaylistEditGuard()
{
    m_pView->EndEdit();
}

// View ---------------------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMediaPlaylistView, CView)

BEGIN_MESSAGE_MAP(CMediaPlaylistView, CView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_LOAD_THREAD_EXIT, OnLoadThreadExit)
    ON_MESSAGE(WM_ITEM_INSERTED, OnItemInserted)
    ON_MESSAGE(WM_UPDATE_THREAD_EXIT, OnUpdateThreadExit)
    ON_MESSAGE(WM_INSERT_LOADED_ENTRY, OnInsertLoadedEntry)
    ON_MESSAGE(WM_INSERT_LOADED_RUN, OnInsertLoadedRun)
    ON_MESSAGE(WM_INSERT_ITEM, OnInsertItem)
    ON_MESSAGE(WM_OPEN_FAILED, OnOpenFailed)
    ON_MESSAGE(WM_CONTAINS_PATH, OnContainsPath)
    ON_MESSAGE(WM_GET_THUMBNAIL_ITEM, OnGetItemForThumbnail)
    ON_MESSAGE(WM_THUMBNAIL_MADE, OnThumbnailMade)
    ON_MESSAGE(WM_ADD_DROPPED_FILES, OnAddDroppedFiles)
END_MESSAGE_MAP()

CMediaPlaylistView::CMediaPlaylistView()
    : m_nAwaitedIndex(-1),
      m_nLastItem(-1),
      m_nModified(0),
      m_nClosing(0),
      m_pItems(nullptr),
      m_pLoadThread(nullptr),
      m_pUpdateThreads{nullptr, nullptr},
      m_nEditDepth(0),
      m_bKeepDefaultPlaylist(false),
      m_bInsertRun(false),
      m_bRunAnnounced(false)
{
    InitializeCriticalSection(&m_pendingLock);
}

CMediaPlaylistView::~CMediaPlaylistView()
{
    // The window's end stopped the workers; a view never made into a window has none.
    delete m_pLoadThread;
    delete m_pUpdateThreads[0];
    delete m_pUpdateThreads[1];
    DeleteCriticalSection(&m_pendingLock);
}

CMediaPlaylistLink& CMediaPlaylistView::Items()
{
    // The view is always given its item window before it is used.
    return *m_pItems;
}

int CMediaPlaylistView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_pItems) {
        if (!m_wndItems.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 0, 0), this, kItemWindowId))
            return -1;
        m_pItems = &m_wndItems;
    }
    return 0;
}

void CMediaPlaylistView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (nType == SIZE_MINIMIZED || cx <= 0 || cy <= 0 || !m_pItems)
        return;
    CWnd* list = m_pItems->GetListWindow();
    if (list && list->m_hWnd && ::GetParent(list->m_hWnd) == m_hWnd)
        list->MoveWindow(0, 0, cx, cy);
}

void CMediaPlaylistView::OnSetFocus(CWnd* pOldWnd)
{
    CView::OnSetFocus(pOldWnd);
    CWnd* list = m_pItems ? m_pItems->GetListWindow() : nullptr;
    if (list && list->m_hWnd)
        list->SetFocus();
}

BOOL CMediaPlaylistView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, PANE_COLOR);
    return TRUE;
}

void CMediaPlaylistView::OnDestroy()
{
    m_nClosing = 1;
    StopLoadThread();
    StopUpdateThreads();
    CPlayerSettings* s = GetPlayerSettings();
    if (s && m_pItems) {
        // The last change of the playlist is lost when this fails: the user hears of it.
        DWORD error = 0;
        if (SaveDefaultPlaylist(&error) < 0)
            TellSaveFailed(s->GetDefaultPlaylistPath(), error);
        // A thumbnail file of the program's lives as long as an item or the saved default
        // playlist names it. The items go with this window: what that playlist names stays.
        s->DeleteTempFilesExcept(ThumbnailFilesNamedBy(s->GetDefaultPlaylistPath()));
    }
    CView::OnDestroy();
}

int CMediaPlaylistView::SaveDefaultPlaylist(DWORD* error)
{
    CPlayerSettings* s = GetPlayerSettings();
    if (!s || !m_pItems || !s->loadLastPlaylist || m_bKeepDefaultPlaylist)
        return 0;
    return SavePlaylist(s->GetDefaultPlaylistPath(), 0, 0, error);
}

void CMediaPlaylistView::TellSaveFailed(LPCWSTR path, DWORD error, LPCWSTR consequence)
{
    CString text;
    if (error)
        text.Format(L"Cannot save playlist file:\n%s\n\n%s", path, GetSystemErrorText(error).GetString());
    else
        text.Format(L"Cannot save playlist file:\n%s", path);
    if (consequence && *consequence)
        text += CString(L"\n\n") + consequence;
    AfxMessageBox(text);
}

bool CMediaPlaylistView::IsDefaultPlaylistPath(LPCWSTR path)
{
    CPlayerSettings* s = GetPlayerSettings();
    if (!s || !path || !*path)
        return false;
    return playerfiles::GetFullPath(path).CompareNoCase(playerfiles::GetFullPath(s->GetDefaultPlaylistPath())) == 0;
}

// Edits ---------------------------------------------------------------------------------------------------

void CMediaPlaylistView::BeginEdit(int stopLoad)
{
    ++m_nEditDepth;
    if (stopLoad)
        StopLoadThread();
    StopUpdateThreads();
}

void CMediaPlaylistView::EndEdit()
{
    if (--m_nEditDepth == 0)
        ResumeLoadThread();
}

int CMediaPlaylistView::InsertItem(CMediaItem* item)
{
    if (!item)
        return -1;
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) != GetCurrentThreadId())
        return (int)::SendMessageW(m_hWnd, WM_INSERT_ITEM, 0, (LPARAM)item);
    int index = Items().AddMediaItem(item);
    if (index < 0)
        return -1;
    // A run of inserts is announced by its first item: 50,000 notices would hold up the window's
    // painting and input until each had been taken.
    if (!m_bInsertRun || !m_bRunAnnounced)
        PostMessage(WM_ITEM_INSERTED, (WPARAM)index, 0);
    m_bRunAnnounced = m_bInsertRun;
    if (!m_bInsertRun)
        UpdateItemCountDisplay();
    m_nModified = 1;
    // The thumbnail threads follow the load thread from its first item on, so the pictures come
    // while the rest is still being probed. Inside an edit its end starts them.
    if (m_nEditDepth == 0 && !m_nClosing && !AreThumbnailsRunning() && m_pLoadThread)
        StartUpdateThreads();
    return index;
}

LRESULT CMediaPlaylistView::OnInsertItem(WPARAM, LPARAM lParam)
{
    CMediaItem* item = reinterpret_cast<CMediaItem*>(lParam);
    if (m_nClosing || !item || IsRefusedDuplicate(item->Path))
        return -1;
    return InsertItem(item);
}

LRESULT CMediaPlaylistView::OnInsertLoadedEntry(WPARAM, LPARAM lParam)
{
    CPendingEntry* entry = reinterpret_cast<CPendingEntry*>(lParam);
    if (!entry || !entry->item)
        return -1;
    // A window that closes takes nothing in, but the entry is the playlist's all the same: it
    // goes back to the queue, which the close saves with what its probe found.
    if (m_nClosing)
        return kLoadStopped;
    if (entry->replaces) {
        // The load thread waits here, so it is not stopped: the rest of the old playlist goes
        // around it.
        if (CPlayWnd* play = GetPlayerWindows().playWnd)
            play->StopAndRemember(0);
        StopUpdateThreads();
        EnterCriticalSection(&m_pendingLock);
        size_t replaced = std::min(entry->replacedEntries, m_pending.size());
        m_pending.erase(m_pending.begin(), m_pending.begin() + replaced);
        LeaveCriticalSection(&m_pendingLock);
        m_nLastItem = -1;
        Items().DeleteAllMediaItems();
        UpdateItemCountDisplay();
    } else if (!entry->listed && IsRefusedDuplicate(entry->item->Path)) {
        return -1;
    }
    int index = InsertItem(entry->item.get());
    if (index < 0)
        return -1;
    entry->item.release();  // the list's now
    if (entry->replaces)
        m_nAwaitedIndex = index;
    return index;
}

LRESULT CMediaPlaylistView::OnInsertLoadedRun(WPARAM, LPARAM lParam)
{
    std::vector<CPendingEntry>* run = reinterpret_cast<std::vector<CPendingEntry>*>(lParam);
    if (!run)
        return -1;
    if (m_nClosing)
        return kLoadStopped;
    // Laid out, counted and announced once for the whole run.
    m_bInsertRun = true;
    m_bRunAnnounced = false;
    Items().DeferLayout(true);
    bool inserted = false;
    for (CPendingEntry& entry : *run) {
        if (entry.item && InsertItem(entry.item.get()) >= 0) {
            entry.item.release();  // the list's now
            inserted = true;
        }
    }
    Items().DeferLayout(false);
    m_bInsertRun = false;
    if (inserted)
        UpdateItemCountDisplay();
    return 0;
}

LRESULT CMediaPlaylistView::OnOpenFailed(WPARAM, LPARAM)
{
    std::vector<CString> failed;
    EnterCriticalSection(&m_pendingLock);
    failed.swap(m_failedOpens);
    LeaveCriticalSection(&m_pendingLock);
    if (m_nClosing)
        return 0;
    for (const CString& address : failed) {
        CString text;
        text.Format(L"Cannot open URL:\n%s", address.GetString());
        AfxMessageBox(text);
    }
    return 0;
}

bool CMediaPlaylistView::IsRefusedDuplicate(LPCWSTR path)
{
    CPlayerSettings* s = GetPlayerSettings();
    return !(s && s->allowDuplicates) && Items().ContainsPath(path);
}

LRESULT CMediaPlaylistView::OnContainsPath(WPARAM, LPARAM lParam)
{
    return IsRefusedDuplicate(reinterpret_cast<LPCWSTR>(lParam)) ? 1 : 0;
}

LRESULT CMediaPlaylistView::OnItemInserted(WPARAM wParam, LPARAM)
{
    // The first item in since the last notice: the awaited one is in when it lies from there to
    // the end.
    const int first = (int)wParam;
    const int index = m_nAwaitedIndex;
    if (!m_nClosing && index >= 0 && index >= first && index < Items().GetMediaItemCount()) {
        // Once: a later item that lands on the same index must not start again.
        m_nAwaitedIndex = -1;
        PlayItem(index, PLAYER_HOST_PLAY_VIEW);
    }
    return 0;
}

int CMediaPlaylistView::RemoveItem(int index, int redraw)
{
    CMediaItem* item = Items().GetMediaItem(index);
    if (!item)
        return -1;
    CPlaylistEditGuard guard(this, 0);
    CPlayWnd* play = GetPlayerWindows().playWnd;
    if (play && play->GetCurrentItem() == item)
        play->StopAndRemember(0);
    // The stops let in what the load thread sent: a loaded item goes behind, but an address opened
    // in place of the list took this item with the list, and what stands at its place now is not
    // what the user chose.
    if (Items().GetMediaItem(index) != item)
        return -1;
    if (Items().RemoveMediaItem(index, redraw) != 0)
        return -1;
    UpdateItemCountDisplay();
    m_nModified = 1;
    return 0;
}

void CMediaPlaylistView::RemoveAllItems()
{
    if (CPlayWnd* play = GetPlayerWindows().playWnd)
        play->StopAndRemember(0);
    StopLoadThread();
    StopUpdateThreads();
    // Paths still waiting belong to the playlist being emptied: opening another must not load them.
    std::deque<CPendingEntry> dropped;
    EnterCriticalSection(&m_pendingLock);
    dropped.swap(m_pending);
    LeaveCriticalSection(&m_pendingLock);
    m_nAwaitedIndex = -1;
    m_nLastItem = -1;
    Items().DeleteAllMediaItems();
    UpdateItemCountDisplay();
    m_nModified = 1;
}

int CMediaPlaylistView::PlayItem(int index, int host)
{
    CMediaItem* item = Items().GetMediaItem(index);
    CPlayWnd* play = GetPlayerWindows().playWnd;
    if (!item || !play)
        return -1;
    return play->PlayMediaItem(item, host);
}

// Paths --------------------------------------------------------------------------------------------------

int CMediaPlaylistView::QueuePath(LPCWSTR path)
{
    if (!path || !*path || CMediaItemListWnd::IsImageFile(path))
        return -1;
    CPendingEntry entry;
    entry.path = path;
    EnterCriticalSection(&m_pendingLock);
    m_pending.push_back(std::move(entry));
    LeaveCriticalSection(&m_pendingLock);
    m_nModified = 1;
    return 0;
}

int CMediaPlaylistView::QueuePlaylistEntries(LPCWSTR path, CPlaylistData& playlist)
{
    // The files the default playlist names are its own, not its items': an item removed leaves
    // its file to the playlist on disk until that is saved without it.
    const bool fromDefault = IsDefaultPlaylistPath(path);
    // Whether each entry's file is there is the load thread's question: asked here, a playlist on
    // a share that hangs would hold the window for the share's time-out at every entry.
    std::deque<CPendingEntry> entries;
    const int count = playlist.GetCount();
    for (int i = 0; i < count; ++i) {
        CMediaItem* item = playlist.GetAt(i);
        playlist.SetAt(i, nullptr);
        CPendingEntry entry;
        if (item->Flags & MEDIA_FILE_QUEUED) {
            // Saved while it waited to be opened: it goes on as the path it was.
            entry.path = item->Path;
            delete item;
        } else {
            if (fromDefault)
                item->ChangeFlags(0, MEDIA_FILE_GRABBED_THUMBNAIL);
            entry.item.reset(item);
            entry.listed = true;
        }
        entries.push_back(std::move(entry));
    }
    EnterCriticalSection(&m_pendingLock);
    for (CPendingEntry& entry : entries)
        m_pending.push_back(std::move(entry));
    LeaveCriticalSection(&m_pendingLock);
    if (count > 0)
        m_nModified = 1;
    return count;
}

int CMediaPlaylistView::GetPendingCount()
{
    EnterCriticalSection(&m_pendingLock);
    int n = (int)m_pending.size();
    LeaveCriticalSection(&m_pendingLock);
    return n;
}

std::vector<CString> CMediaPlaylistView::GetPendingPaths()
{
    std::vector<CString> paths;
    EnterCriticalSection(&m_pendingLock);
    for (const CPendingEntry& entry : m_pending)
        paths.push_back(entry.item ? entry.item->Path : entry.path);
    LeaveCriticalSection(&m_pendingLock);
    return paths;
}

int CMediaPlaylistView::AddPath(LPCWSTR path)
{
    if (!path || !*path)
        return 0;
    if (IsPlaylistFile(path))
        return LoadPlaylist(path, 1);
    return QueuePath(path) == 0 ? 1 : 0;
}

std::vector<CString> CMediaPlaylistView::WithoutUselessPlaylists(const std::vector<CString>& paths)
{
    std::vector<CString> usable;
    for (const CString& path : paths) {
        if (IsPlaylistFile(path) && IsExistingFile(path)) {
            CPlaylistData playlist(1);
            const int read = ReadUsablePlaylist(path, playlist);
            if (read != PLAYLIST_READ) {
                TellUnreadablePlaylist(path, read);
                continue;
            }
        }
        usable.push_back(path);
    }
    return usable;
}

int CMediaPlaylistView::AddFolder(LPCWSTR folder, LPCWSTR filter, int recurse)
{
    if (!folder || !*folder)
        return 0;
    CFileMatchFilter match;
    match.SetPatterns(filter ? filter : L"", L"", 0);
    return ScanFolderFiles(folder, match, recurse ? TRUE : FALSE, [this](const CString& path) { return AddPath(path); });
}

void CMediaPlaylistView::CDestroyItem::operator()(CMediaItem* item) const
{
    CMediaItemListWnd::DestroyMediaItem(item);
}

int CMediaPlaylistView::AddPendingPath(LPCWSTR path, const volatile int* stop)
{
    CPendingEntry entry;
    entry.path = path;
    return LoadPendingEntry(entry, stop);
}

bool CMediaPlaylistView::SettleListedEntry(CPendingEntry& entry)
{
    CMediaItem* item = entry.item.get();
    const bool missing = IsMissingFile(item->Path);
    if (!missing && !(item->Flags & MEDIA_FILE_PROBED))
        return false;
    // What the file says of the item is kept; a missing file stays in its place unprobed, shown
    // as missing.
    item->UpdateDisplayInfo(missing);
    return true;
}

int CMediaPlaylistView::LoadPendingEntry(CPendingEntry& entry, const volatile int* stop)
{
    if (entry.listed) {
        // An entry that SettleListedEntry left: an item without its information whose file is
        // there, or an address.
        CMediaItem* item = entry.item.get();
        if (*stop != 0)
            return kLoadStopped;
        CToolTimeLimit limit(item->Path, stop);
        // An address whose time ran out stays unprobed, in its place, as any entry that cannot be
        // probed.
        if (item->Probe(0, limit.Flag()) == PROBE_STOPPED && !limit.Expired())
            return kLoadStopped;
        item->UpdateDisplayInfo(false);
    } else {
        if (!entry.replaces && ::SendMessageW(m_hWnd, WM_CONTAINS_PATH, 0, (LPARAM)entry.path.GetString()))
            return -1;
        if (*stop != 0)
            return kLoadStopped;
        std::unique_ptr<CMediaItem, CDestroyItem> item(new CMediaItem);
        CToolTimeLimit limit(entry.path, stop);
        // A missing file fails as a file that is no media does, without a tool run.
        int result = IsMissingFile(entry.path) ? PROBE_FAILED : item->Open(entry.path, limit.Flag());
        // A stop says nothing about the path; an address whose time ran out has had its chance.
        if (result == PROBE_STOPPED && !limit.Expired())
            return kLoadStopped;
        if (result != PROBE_DONE) {
            if (entry.replaces) {
                EnterCriticalSection(&m_pendingLock);
                m_failedOpens.push_back(entry.path);
                LeaveCriticalSection(&m_pendingLock);
                ::PostMessageW(m_hWnd, WM_OPEN_FAILED, 0, 0);
            }
            return -1;
        }
        entry.item = std::move(item);
    }
    return (int)::SendMessageW(m_hWnd, WM_INSERT_LOADED_ENTRY, 0, (LPARAM)&entry);
}

void CMediaPlaylistView::ReturnToQueue(std::vector<CPendingEntry>& entries)
{
    EnterCriticalSection(&m_pendingLock);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        m_pending.push_front(std::move(*it));
    LeaveCriticalSection(&m_pendingLock);
    entries.clear();
}

void CMediaPlaylistView::HandOverRun(std::vector<CPendingEntry>& run, const volatile int* stop)
{
    if (run.empty())
        return;
    // A stopped load ends with its entries in the queue, in their order, as it found them.
    if (*stop != 0 || ::SendMessageW(m_hWnd, WM_INSERT_LOADED_RUN, 0, (LPARAM)&run) == kLoadStopped) {
        ReturnToQueue(run);
        return;
    }
    run.clear();  // what the list refused goes with its entry
}

void CMediaPlaylistView::LoadPendingPaths(const volatile int* stop)
{
    // Entries of a playlist file that need no probe (known to the file, or missing) are settled
    // here and handed over together; an entry to be probed waits until those before it are in.
    std::vector<CPendingEntry> run;
    DWORD runStarted = 0;
    while (*stop == 0) {
        CPendingEntry entry;
        EnterCriticalSection(&m_pendingLock);
        bool empty = m_pending.empty();
        if (!empty) {
            entry = std::move(m_pending.front());
            m_pending.pop_front();
        }
        LeaveCriticalSection(&m_pendingLock);
        if (empty)
            break;
        if (entry.listed && SettleListedEntry(entry)) {
            if (run.empty())
                runStarted = GetTickCount();
            run.push_back(std::move(entry));
            if (run.size() >= kRunEntries || GetTickCount() - runStarted >= kRunWaitMs)
                HandOverRun(run, stop);
            continue;
        }
        HandOverRun(run, stop);
        if (*stop != 0 || LoadPendingEntry(entry, stop) == kLoadStopped) {
            // Taken up again first by the next load: the queue keeps its order.
            EnterCriticalSection(&m_pendingLock);
            m_pending.push_front(std::move(entry));
            LeaveCriticalSection(&m_pendingLock);
            break;
        }
    }
    HandOverRun(run, stop);
}

// Opening and saving -------------------------------------------------------------------------------------

int CMediaPlaylistView::OpenPath(LPCWSTR path)
{
    CPlaylistEditGuard guard(this, 1);
    RemoveAllItems();
    int result = AddPath(path);
    if (result > 0)
        m_nAwaitedIndex = 0;
    return result;
}

int CMediaPlaylistView::OpenFolder(LPCWSTR folder, LPCWSTR filter, int recurse)
{
    if (!folder || !IsExistingFolder(folder))
        return 0;
    CPlaylistEditGuard guard(this, 1);
    RemoveAllItems();
    int result = AddFolder(folder, filter, recurse);
    if (result > 0)
        m_nAwaitedIndex = 0;
    return result;
}

int CMediaPlaylistView::OpenPlaylist(LPCWSTR path, int playFirst, int addToRecent)
{
    if (!path || !IsExistingFile(path))
        return 0;
    // Read before anything is removed: a file that cannot be read changes nothing.
    CPlaylistData playlist(1);
    const int read = ReadUsablePlaylist(path, playlist);
    if (read != PLAYLIST_READ) {
        TellUnreadablePlaylist(path, read);
        return 0;
    }
    return ReplaceWithPlaylist(path, playlist, playFirst, addToRecent);
}

int CMediaPlaylistView::OpenDefaultPlaylist()
{
    CPlayerSettings* s = GetPlayerSettings();
    CString path = s ? s->GetDefaultPlaylistPath() : CString();
    if (path.IsEmpty() || !IsExistingFile(path))
        return 0;
    CPlaylistData playlist(1);
    if (ReadPlaylistFile(path, playlist) != PLAYLIST_READ) {
        // Kept for the user to look at, and out of the way of the one the next close writes; told
        // once, since the next start finds that one.
        CString aside = SetAside(path);
        m_bKeepDefaultPlaylist = aside.IsEmpty();
        CString text;
        if (aside.IsEmpty())
            text.Format(L"The last playlist cannot be read:\n%s", path.GetString());
        else
            text.Format(L"The last playlist cannot be read. It was kept as:\n%s", aside.GetString());
        AfxMessageBox(text);
        return 0;
    }
    return ReplaceWithPlaylist(path, playlist, 0, 0);
}

int CMediaPlaylistView::ReplaceWithPlaylist(LPCWSTR path, CPlaylistData& playlist, int playFirst, int addToRecent)
{
    CPlaylistEditGuard guard(this, 1);
    RemoveAllItems();
    int count = QueuePlaylistEntries(path, playlist);
    m_nLastItem = playlist.LastItem;
    if (addToRecent) {
        if (CPlayerSettings* s = GetPlayerSettings())
            s->AddRecentPlaylist(path);
    }
    if (count > 0) {
        // The entries arrive at 0 .. count - 1; a last item beyond them names none.
        CPlayerSettings* s = GetPlayerSettings();
        if (s && s->resumeInterrupted && m_nLastItem >= 0 && m_nLastItem < count)
            m_nAwaitedIndex = m_nLastItem;
        m_nLastItem = -1;
        if (playFirst && m_nAwaitedIndex == -1)
            m_nAwaitedIndex = 0;
    }
    m_nModified = 0;
    return count;
}

int CMediaPlaylistView::LoadPlaylist(LPCWSTR path, int addToRecent)
{
    CPlaylistData playlist(1);
    if (ReadPlaylistFile(path, playlist) != PLAYLIST_READ)
        return 0;
    int count = QueuePlaylistEntries(path, playlist);
    m_nLastItem = playlist.LastItem;
    if (addToRecent) {
        if (CPlayerSettings* s = GetPlayerSettings())
            s->AddRecentPlaylist(path);
    }
    return count;
}

int CMediaPlaylistView::OpenAddress(LPCWSTR address)
{
    if (!address || !*address)
        return 0;
    if (IsPlaylistFile(address) && IsExistingFile(address))
        return OpenPlaylist(address, 1, 1) > 0 ? 1 : 0;
    if (CMediaItemListWnd::IsImageFile(address)) {
        CString text;
        text.Format(L"Cannot open URL:\n%s", address);
        AfxMessageBox(text);
        return 0;
    }
    CPendingEntry entry;
    entry.path = address;
    entry.replaces = true;
    // Ahead of everything queued: the playlist it is to replace waits until it is known.
    CPlaylistEditGuard guard(this, 1);
    EnterCriticalSection(&m_pendingLock);
    entry.replacedEntries = m_pending.size();
    m_pending.push_front(std::move(entry));
    LeaveCriticalSection(&m_pendingLock);
    return 1;
}

int CMediaPlaylistView::SavePlaylist(LPCWSTR path, int embedThumbnails, int addToRecent, DWORD* error)
{
    if (error)
        *error = 0;
    if (!path || !*path)
        return -1;
    CString target = path;
    if (*PathFindExtensionW(target) == 0)
        target += L".playlist";
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(target));
    if (!format)
        return -1;
    // Thumbnail threads would swap pictures the save is reading, and the path being probed goes
    // back to the queue, so that the save has every path.
    CPlaylistEditGuard guard(this, 1);
    CPlaylistData playlist(0);
    for (int i = 0; i < Items().GetMediaItemCount(); ++i)
        playlist.Add(Items().GetMediaItem(i));
    // The paths still waiting follow as plain entries: the next open loads them as it would have.
    std::vector<std::unique_ptr<CMediaItem>> plainEntries;
    EnterCriticalSection(&m_pendingLock);
    for (const CPendingEntry& entry : m_pending) {
        if (entry.replaces)
            continue;  // part of no playlist before it has opened
        if (entry.item) {
            playlist.Add(entry.item.get());
            continue;
        }
        std::unique_ptr<CMediaItem> plain(new CMediaItem);
        plain->Path = entry.path;
        plain->Flags = MEDIA_FILE_QUEUED | (PathIsURLW(entry.path) ? MEDIA_FILE_URL : 0);
        playlist.Add(plain.get());
        plainEntries.push_back(std::move(plain));
    }
    LeaveCriticalSection(&m_pendingLock);
    playlist.LastItem = m_nLastItem;
    int count = playlist.GetCount();
    int result;
    {
        CItemDrawLock::Scope hold(Items().GetDrawLock());
        SetLastError(0);
        result = format->Save(target, playlist, embedThumbnails);
        if (result != 0 && error)
            *error = GetLastError();
    }
    if (result == 0 && IsDefaultPlaylistPath(target)) {
        // The thumbnail files it names are the saved playlist's now, no longer their items'.
        for (int i = 0; i < count; ++i)
            playlist.GetAt(i)->ChangeFlags(0, MEDIA_FILE_GRABBED_THUMBNAIL);
    }
    playlist.RemoveAll();
    if (result != 0)
        return -1;
    if (addToRecent) {
        if (CPlayerSettings* s = GetPlayerSettings())
            s->AddRecentPlaylist(target);
    }
    return count;
}

int CMediaPlaylistView::ShowInFolder(int index)
{
    CMediaItem* item = Items().GetMediaItem(index);
    if (!item)
        return -1;
    CString folder = GetParentFolder(item->Path);
    if (folder.IsEmpty() || !IsExistingFolder(folder)) {
        AfxMessageBox(L"Folder does not exist!");
        return -1;
    }
    CString parameters;
    parameters.Format(L"/select,%s", item->Path.GetString());
    FwShellExecute(nullptr, nullptr, L"explorer.exe", parameters, nullptr, SW_SHOWNORMAL);
    return 0;
}

void CMediaPlaylistView::ShowMediaInfo(int index)
{
    CMediaItem* item = Items().GetMediaItem(index);
    if (!item)
        return;
    CMediaInfoDlg dlg(item, GetParentFrame());
    dlg.DoModal();
}

// Threads ----------------------------------------------------------------------------------------------

void CMediaPlaylistView::ResumeLoadThread()
{
    if (m_pLoadThread || m_nClosing || !m_hWnd)
        return;
    if (GetPendingCount() == 0) {
        StartUpdateThreads();
        return;
    }
    CMediaLoadThread* thread = new CMediaLoadThread(this);
    if (!thread->CreateThread(CREATE_SUSPENDED)) {
        delete thread;
        return;
    }
    m_pLoadThread = thread;
    thread->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    thread->ResumeThread();
}

void CMediaPlaylistView::StopLoadThread()
{
    if (!m_pLoadThread)
        return;
    m_pLoadThread->m_nStop = 2;
    // A message the load thread sends meanwhile may stop it again inside this wait, and take its
    // end notice there.
    PumpMessagesWhile(m_hWnd, WM_LOAD_THREAD_EXIT, [this] { return m_pLoadThread != nullptr; });
}

LRESULT CMediaPlaylistView::OnLoadThreadExit(WPARAM, LPARAM)
{
    if (!m_pLoadThread)
        return 0;
    const bool stopped = m_pLoadThread->m_nStop != 0;
    WaitForSingleObject(m_pLoadThread->m_hThread, INFINITE);
    delete m_pLoadThread;
    m_pLoadThread = nullptr;
    // A stop is never followed by a new load: whoever stopped the thread goes on when it is done
    // (an edit at its end), or nobody does (the document closing). The queue keeps its paths.
    if (m_nClosing || stopped)
        return 0;
    // Ended by itself: with nothing left to load nothing more is awaited. Paths queued while the
    // thread was finishing are loaded too; with none left the thumbnails follow. An edit in
    // progress does that itself at its end.
    if (GetPendingCount() == 0)
        m_nAwaitedIndex = -1;
    if (m_nEditDepth == 0)
        ResumeLoadThread();
    return 0;
}

int CMediaPlaylistView::StartUpdateThreads()
{
    if (!m_pItems || Items().GetMediaItemCount() == 0)
        return 1;
    // Threads that followed the load thread go on to the end by themselves.
    if (AreThumbnailsRunning())
        return 0;
    for (int index = 0; index < 2; ++index) {
        CMediaUpdateThread* thread = new CMediaUpdateThread(this, index);
        if (!thread->CreateThread(CREATE_SUSPENDED)) {
            delete thread;
            return -1;
        }
        m_pUpdateThreads[index] = thread;
        thread->SetThreadPriority(THREAD_PRIORITY_BELOW_NORMAL);
        thread->ResumeThread();
    }
    return 0;
}

void CMediaPlaylistView::StopUpdateThreads()
{
    for (CMediaUpdateThread* thread : m_pUpdateThreads)
        if (thread)
            thread->m_nStop = 2;
    // A message the load thread sends meanwhile (an address in place of the list) stops them
    // again inside this wait, and takes their end notices there.
    PumpMessagesWhile(m_hWnd, WM_UPDATE_THREAD_EXIT,
                      [this] { return m_pUpdateThreads[0] != nullptr || m_pUpdateThreads[1] != nullptr; });
}

LRESULT CMediaPlaylistView::OnUpdateThreadExit(WPARAM wParam, LPARAM lParam)
{
    int index = (int)wParam;
    if (index < 0 || index > 1 || !m_pUpdateThreads[index] || lParam != (LPARAM)m_pUpdateThreads[index])
        return 0;
    WaitForSingleObject(m_pUpdateThreads[index]->m_hThread, INFINITE);
    delete m_pUpdateThreads[index];
    m_pUpdateThreads[index] = nullptr;
    return 0;
}

LRESULT CMediaPlaylistView::OnGetItemForThumbnail(WPARAM wParam, LPARAM)
{
    if (CMediaItem* item = Items().GetMediaItem((int)wParam))
        return (LRESULT)item;
    return m_pLoadThread && !m_nClosing ? kThumbnailItemLater : 0;
}

LRESULT CMediaPlaylistView::OnThumbnailMade(WPARAM wParam, LPARAM lParam)
{
    CMediaItem* item = Items().GetMediaItem((int)wParam);
    if (item && item == reinterpret_cast<CMediaItem*>(lParam))
        Items().InvalidateMediaItem(item);
    return 0;
}

void CMediaPlaylistView::UpdateThumbnails(int index, const volatile int* stop)
{
    CItemDrawLock& lock = Items().GetDrawLock();
    for (int i = index; *stop == 0; i += 2) {
        // The item array is the user-interface thread's; ask there. The item itself stays
        // while this thread runs: every removal stops this thread first.
        LRESULT answer;
        while ((answer = ::SendMessageW(m_hWnd, WM_GET_THUMBNAIL_ITEM, (WPARAM)i, 0)) == kThumbnailItemLater &&
               *stop == 0)
            Sleep(kThumbnailWaitMs);
        CMediaItem* item = answer == kThumbnailItemLater ? nullptr : reinterpret_cast<CMediaItem*>(answer);
        if (!item)
            break;
        if (item->StateFlags & MEDIA_STATE_THUMBNAIL_READY)
            continue;
        if (*stop != 0)
            break;
        // A stopped grab leaves the item unsettled, to be tried again by the next thread.
        CDrawLockGuard guard(lock);
        CToolTimeLimit limit(item->Path, stop);
        if (item->EnsureThumbnail(0, limit.Flag(), &guard) < 0) {
            if (*stop != 0)
                break;
            // An address that never answered has had its chance; the next threads try the others.
            if (limit.Expired())
                item->ChangeStateFlags(MEDIA_STATE_THUMBNAIL_READY);
            // Nothing new to draw: a long list of files without pictures costs the window nothing.
            continue;
        }
        ::PostMessageW(m_hWnd, WM_THUMBNAIL_MADE, (WPARAM)i, (LPARAM)item);
    }
}
