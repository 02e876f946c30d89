// The media playlist view and its workers. Every change of the item array happens on the
// user-interface thread: the load thread sends each probed item there, and the thumbnail threads
// ask there for the item they are to serve and hand the picture over under the draw lock.
#include "player/MediaPlaylistView.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <memory>
#include <utility>
#include <vector>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "engine/ThumbnailGrab.h"
#include "framework/Effects.h"
#include "player/MediaInfoDlg.h"
#include "player/PlayWnd.h"
#include "player/PlayerSettings.h"
#include "player/PlaylistData.h"
#include "player/PlaylistFormat.h"
#include "player/ToolTimeLimit.h"
#include "toolkit/FileMatchFilter.h"

namespace {

// Sent by the load thread: lParam a probed item; the index it got, or -1 (the thread keeps it).
const UINT WM_INSERT_LOADED_ITEM = WM_USER + 914;
// Sent by the load thread: lParam a path; 1 when it would be refused as a duplicate.
const UINT WM_CONTAINS_PATH = WM_USER + 915;
// Sent by InsertItem called off the user-interface thread: lParam the item; InsertItem's result.
const UINT WM_INSERT_ITEM = WM_USER + 916;
// Sent by a thumbnail thread: wParam an index; the item there, kThumbnailItemLater while the load
// thread may still bring it, or 0 past the end.
const UINT WM_GET_THUMBNAIL_ITEM = WM_USER + 923;
const LRESULT kThumbnailItemLater = -1;
const DWORD kThumbnailWaitMs = 40;
// Posted by a thumbnail thread: wParam the index whose thumbnail is in, lParam the item.
const UINT WM_THUMBNAIL_MADE = WM_USER + 924;

const COLORREF kPaneColor = RGB(32, 32, 32);
const UINT kItemWindowId = 10;

// Set while SendDroppedFiles hands this thread's own drop handle over.
thread_local bool t_handingOverDrop = false;

CPlayerSettings* Settings()
{
    return GetPlayerSettings();
}

bool IsImagePath(LPCWSTR path)
{
    static const wchar_t* const kImages[] = {L".jpg", L".jpeg", L".png", L".ico", L".tif", L".tiff", L".bmp"};
    LPCWSTR ext = PathFindExtensionW(path);
    for (const wchar_t* image : kImages)
        if (_wcsicmp(ext, image) == 0)
            return true;
    return false;
}

bool IsFolder(LPCWSTR path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(LPCWSTR path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DestroyItem(CMediaItem* item)
{
    if (!item)
        return;
    item->DeleteThumbnailFile();
    delete item;
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

// Workers ---------------------------------------------------------------------------------------------

CMediaLoadThread::CMediaLoadThread(CMediaPlaylistView* view)
    : m_pView(view), m_hView(view->GetSafeHwnd()), m_nStop(0)
{
    m_bAutoDelete = FALSE;
}

BOOL CMediaLoadThread::InitInstance()
{
    m_pView->LoadPendingPaths(&m_nStop);
    return FALSE;
}

int CMediaLoadThread::ExitInstance()
{
    ::PostMessageW(m_hView, WM_LOAD_THREAD_EXIT, 0, 0);
    return 0;
}

CMediaUpdateThread::CMediaUpdateThread(CMediaPlaylistView* view, int index)
    : m_pView(view), m_nIndex(index), m_hView(view->GetSafeHwnd()), m_nStop(0)
{
    m_bAutoDelete = FALSE;
}

BOOL CMediaUpdateThread::InitInstance()
{
    m_pView->UpdateThumbnails(m_nIndex, &m_nStop);
    return FALSE;
}

int CMediaUpdateThread::ExitInstance()
{
    ::PostMessageW(m_hView, WM_UPDATE_THREAD_EXIT, (WPARAM)m_nIndex, (LPARAM)this);
    return 0;
}

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
    ON_MESSAGE(WM_INSERT_LOADED_ITEM, OnInsertLoadedItem)
    ON_MESSAGE(WM_INSERT_ITEM, OnInsertLoadedItem)
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
      m_nEditDepth(0)
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
    pDC->FillSolidRect(&rc, kPaneColor);
    return TRUE;
}

void CMediaPlaylistView::OnDestroy()
{
    m_nClosing = 1;
    StopLoadThread();
    StopUpdateThreads();
    CPlayerSettings* s = Settings();
    if (s && m_pItems) {
        // Thumbnails saved as files with the default playlist stay for the next start.
        if (SaveDefaultPlaylist() <= 0)
            s->DeleteTempFolder();
    }
    CView::OnDestroy();
}

int CMediaPlaylistView::SaveDefaultPlaylist()
{
    CPlayerSettings* s = Settings();
    if (!s || !m_pItems || !s->loadLastPlaylist)
        return 0;
    return SavePlaylist(s->GetDefaultPlaylistPath(), 0, 0);
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
    PostMessage(WM_ITEM_INSERTED, (WPARAM)index, 0);
    UpdateItemCountDisplay();
    m_nModified = 1;
    // The thumbnail threads follow the load thread from its first item on, so the pictures come
    // while the rest is still being probed. Inside an edit its end starts them.
    if (m_nEditDepth == 0 && !m_nClosing && !AreThumbnailsRunning() && m_pLoadThread)
        StartUpdateThreads();
    return index;
}

LRESULT CMediaPlaylistView::OnInsertLoadedItem(WPARAM, LPARAM lParam)
{
    CMediaItem* item = reinterpret_cast<CMediaItem*>(lParam);
    if (m_nClosing || !item || IsRefusedDuplicate(item->Path))
        return -1;
    return InsertItem(item);
}

bool CMediaPlaylistView::IsRefusedDuplicate(LPCWSTR path)
{
    CPlayerSettings* s = Settings();
    return !(s && s->allowDuplicates) && Items().ContainsPath(path);
}

LRESULT CMediaPlaylistView::OnContainsPath(WPARAM, LPARAM lParam)
{
    return IsRefusedDuplicate(reinterpret_cast<LPCWSTR>(lParam)) ? 1 : 0;
}

LRESULT CMediaPlaylistView::OnItemInserted(WPARAM wParam, LPARAM)
{
    int index = (int)wParam;
    if (!m_nClosing && index == m_nAwaitedIndex) {
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
    // The stop may have let a loaded item in; the index still names the same item.
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
    EnterCriticalSection(&m_pendingLock);
    m_pendingPaths.RemoveAll();
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
    if (!path || !*path || IsImagePath(path))
        return -1;
    EnterCriticalSection(&m_pendingLock);
    m_pendingPaths.AddTail(path);
    LeaveCriticalSection(&m_pendingLock);
    m_nModified = 1;
    return 0;
}

int CMediaPlaylistView::GetPendingCount()
{
    EnterCriticalSection(&m_pendingLock);
    int n = (int)m_pendingPaths.GetCount();
    LeaveCriticalSection(&m_pendingLock);
    return n;
}

std::vector<CString> CMediaPlaylistView::GetPendingPaths()
{
    std::vector<CString> paths;
    EnterCriticalSection(&m_pendingLock);
    for (POSITION pos = m_pendingPaths.GetHeadPosition(); pos;)
        paths.push_back(m_pendingPaths.GetNext(pos));
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

int CMediaPlaylistView::AddFolder(LPCWSTR folder, LPCWSTR filter, int recurse)
{
    if (!folder || !*folder)
        return 0;
    CFileMatchFilter match;
    match.SetPatterns(filter ? filter : L"", L"", 0);
    return ScanFolderFiles(folder, match, recurse ? TRUE : FALSE, [this](const CString& path) { return AddPath(path); });
}

int CMediaPlaylistView::AddPendingPath(LPCWSTR path, const volatile int* stop)
{
    if (::SendMessageW(m_hWnd, WM_CONTAINS_PATH, 0, (LPARAM)path))
        return -1;
    CMediaItem* item = new CMediaItem;
    CToolTimeLimit limit(path, stop);
    if (item->Open(path, limit.Flag()) != 0) {
        DestroyItem(item);
        return -1;
    }
    int index = (int)::SendMessageW(m_hWnd, WM_INSERT_LOADED_ITEM, 0, (LPARAM)item);
    if (index < 0)
        DestroyItem(item);
    return index;
}

void CMediaPlaylistView::LoadPendingPaths(const volatile int* stop)
{
    while (*stop == 0) {
        CString path;
        EnterCriticalSection(&m_pendingLock);
        bool empty = m_pendingPaths.IsEmpty();
        if (!empty)
            path = m_pendingPaths.RemoveHead();
        LeaveCriticalSection(&m_pendingLock);
        if (empty)
            break;
        AddPendingPath(path, stop);
    }
}

int CMediaPlaylistView::AddDroppedFiles(HDROP drop, bool replace)
{
    if (!drop)
        return 0;
    std::vector<CString> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::vector<wchar_t> buffer(length + 1, 0);
        DragQueryFileW(drop, i, buffer.data(), length + 1);
        paths.push_back(buffer.data());
    }
    CPlaylistEditGuard guard(this, replace ? 1 : 0);
    if (replace)
        RemoveAllItems();
    int accepted = 0;
    for (const CString& path : paths)
        accepted += IsFolder(path) ? AddFolder(path, L"*", 1) : AddPath(path);
    if (replace)
        m_nAwaitedIndex = 0;
    return accepted;
}

void CMediaPlaylistView::OnDropFiles(HDROP hDropInfo)
{
    bool replace = true;
    CPoint cursor;
    GetCursorPos(&cursor);
    CRect rc;
    GetWindowRect(&rc);
    // Dropped on the list the files are added; elsewhere (the frame, the play view) they replace.
    if (IsWindowVisible() && rc.PtInRect(cursor))
        replace = false;
    if (GetKeyState(VK_SHIFT) & 0x8000)
        replace = !replace;
    AddDroppedFiles(hDropInfo, replace);
    DragFinish(hDropInfo);
}

LRESULT CMediaPlaylistView::SendDroppedFiles(HWND view, HDROP drop)
{
    t_handingOverDrop = true;
    LRESULT result = ::SendMessageW(view, WM_ADD_DROPPED_FILES, (WPARAM)drop, 0);
    t_handingOverDrop = false;
    return result;
}

LRESULT CMediaPlaylistView::OnAddDroppedFiles(WPARAM wParam, LPARAM)
{
    // Only a handle of this thread's own, handed over by SendDroppedFiles: a value posted or sent
    // from another process names nothing of ours, and reading it as a drop would read anything.
    if (!t_handingOverDrop || InSendMessage())
        return 0;
    t_handingOverDrop = false;
    bool replace = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    AddDroppedFiles(reinterpret_cast<HDROP>(wParam), replace);
    if (replace) {
        if (CWnd* top = GetTopLevelParent()) {
            if (top->IsIconic())
                top->ShowWindow(SW_RESTORE);
            top->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            top->SetForegroundWindow();
        }
    }
    return 0;
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
    if (!folder || !IsFolder(folder))
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
    if (!path || !IsFile(path))
        return 0;
    CPlaylistEditGuard guard(this, 1);
    RemoveAllItems();
    int result = LoadPlaylist(path, addToRecent);
    if (result > 0) {
        CPlayerSettings* s = Settings();
        if (s && s->resumeInterrupted && m_nLastItem != -1)
            m_nAwaitedIndex = m_nLastItem;
        m_nLastItem = -1;
        if (playFirst && m_nAwaitedIndex == -1)
            m_nAwaitedIndex = 0;
    }
    m_nModified = 0;
    return result;
}

int CMediaPlaylistView::LoadPlaylist(LPCWSTR path, int addToRecent)
{
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(path));
    if (!format)
        return 0;
    CPlaylistData playlist(1);
    if (format->Load(path, playlist) != 0)
        return 0;
    CPlaylistEditGuard guard(this, 0);
    int count = playlist.GetCount();
    for (int i = 0; i < count; ++i) {
        CMediaItem* item = playlist.GetAt(i);
        if (!(item->Flags & MEDIA_FILE_PROBED)) {
            // Read on this thread: an address whose server never answers must not hold it for good.
            CToolTimeLimit limit(item->Path, nullptr);
            item->Probe(0, limit.Flag());
        }
        item->UpdateDisplayInfo();
        if (InsertItem(item) >= 0)
            playlist.SetAt(i, nullptr);  // the list owns it now
    }
    m_nLastItem = playlist.LastItem;
    // What the list refused is destroyed with the playlist, its thumbnail file first.
    for (int i = 0; i < count; ++i)
        if (CMediaItem* refused = playlist.GetAt(i))
            refused->DeleteThumbnailFile();
    if (addToRecent) {
        if (CPlayerSettings* s = Settings())
            s->AddRecentPlaylist(path);
    }
    return count;
}

int CMediaPlaylistView::SavePlaylist(LPCWSTR path, int embedThumbnails, int addToRecent)
{
    if (!path || !*path)
        return -1;
    CString target = path;
    if (*PathFindExtensionW(target) == 0)
        target += L".playlist";
    std::unique_ptr<CPlaylistFormat> format(CreatePlaylistFormat(target));
    if (!format)
        return -1;
    // Thumbnail threads would swap pictures the save is reading.
    CPlaylistEditGuard guard(this, 0);
    CPlaylistData playlist(0);
    int count = Items().GetMediaItemCount();
    for (int i = 0; i < count; ++i)
        playlist.Add(Items().GetMediaItem(i));
    playlist.LastItem = m_nLastItem;
    int result;
    {
        CItemDrawLock::Scope hold(Items().GetDrawLock());
        result = format->Save(target, playlist, embedThumbnails);
    }
    playlist.RemoveAll();
    if (result != 0)
        return -1;
    if (addToRecent) {
        if (CPlayerSettings* s = Settings())
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
    if (folder.IsEmpty() || !IsFolder(folder)) {
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
    while (m_pLoadThread && ::IsWindow(m_hWnd))
        PumpUntilMessage(m_hWnd, WM_LOAD_THREAD_EXIT);
}

LRESULT CMediaPlaylistView::OnLoadThreadExit(WPARAM, LPARAM)
{
    if (!m_pLoadThread)
        return 0;
    WaitForSingleObject(m_pLoadThread->m_hThread, INFINITE);
    delete m_pLoadThread;
    m_pLoadThread = nullptr;
    if (m_nClosing)
        return 0;
    m_nAwaitedIndex = -1;
    // Paths queued while the thread was finishing are loaded too; with none left the
    // thumbnails follow. An edit in progress does that itself at its end.
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
    for (int index = 0; index < 2; ++index) {
        while (m_pUpdateThreads[index] && ::IsWindow(m_hWnd))
            PumpUntilMessageEx(m_hWnd, WM_UPDATE_THREAD_EXIT, 0, (LPARAM)m_pUpdateThreads[index]);
    }
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
        }
        ::PostMessageW(m_hWnd, WM_THUMBNAIL_MADE, (WPARAM)i, (LPARAM)item);
    }
}
