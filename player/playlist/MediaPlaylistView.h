// The media playlist view: the queue of paths waiting to be opened, the load thread that probes
// them, the two thumbnail threads, opening and saving playlists, and the edit guard that keeps the
// workers out of every change of the playlist. What a drop of files does is in
// MediaPlaylistViewDrops.cpp; the threads themselves are in MediaLoadThread and MediaUpdateThread.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "engine/MediaItem.h"
#include "framework/DocView.h"
#include "player/app/PlayerWindows.h"
#include "player/playlist/PlaylistItemWnd.h"

class CMediaLoadThread;
class CMediaPlaylistView;
class CMediaUpdateThread;
class CPlaylistData;

// Stops the workers for an edit of the playlist (the load thread too when asked) and lets them
// go on when the outermost guard ends.
class CPlaylistEditGuard {
public:
    CPlaylistEditGuard(CMediaPlaylistView* view, int stopLoad);
    ~CPlaylistEditGuard();
    CPlaylistEditGuard(const CPlaylistEditGuard&) = delete;
    CPlaylistEditGuard& operator=(const CPlaylistEditGuard&) = delete;

private:
    CMediaPlaylistView* m_pView;
};

class CMediaPlaylistView : public CView {
    DECLARE_DYNCREATE(CMediaPlaylistView)
public:
    CMediaPlaylistView();
    ~CMediaPlaylistView() override;

    // The item window the view works on: its own list window, made at creation, unless another
    // was given before (not owned then).
    void SetItemWindow(CMediaPlaylistLink* items) { m_pItems = items; }
    CMediaPlaylistLink* GetItemWindow() const { return m_pItems; }

    // Appends an item the list then owns; posts WM_ITEM_INSERTED (for a run of inserts, for the
    // first of them): the index, -1 when refused.
    // Runs on the user-interface thread (a worker's call is sent there).
    virtual int InsertItem(CMediaItem* item);
    virtual int RemoveItem(int index, int redraw);
    virtual void RemoveAllItems();
    virtual int PlayItem(int index, int host);
    virtual void UpdateItemCountDisplay() {}
    // The load thread's body.
    virtual void LoadPendingPaths(const volatile int* stop);

    // Replace the playlist with a path, a folder's files or a playlist file; the first item (or
    // the playlist's last one) plays once it is in.
    int OpenPath(LPCWSTR path);
    int OpenFolder(LPCWSTR folder, LPCWSTR filter, int recurse);
    // The number of entries read, 0 when the file is missing, cannot be read or holds no entry; a
    // file that cannot be read or holds none leaves the playlist as it was and the user is told why.
    int OpenPlaylist(LPCWSTR path, int playFirst, int addToRecent);
    // The last playlist at start-up. One that cannot be read is kept aside under another name and
    // the user is told; the next close then writes a new one.
    int OpenDefaultPlaylist();
    // An address (or a file) in place of the playlist and its queue, once it has been opened; one
    // that cannot be opened changes nothing and the user is told. A local playlist file is opened
    // as Open Playlist opens it. 1 when it was queued.
    int OpenAddress(LPCWSTR address);
    // The entries written (items, then the paths still queued), or -1 with the system's reason in
    // 'error' (0 when it gave none).
    int SavePlaylist(LPCWSTR path, int embedThumbnails, int addToRecent, DWORD* error = nullptr);
    // When "LoadLastPlaylist" is on, the playlist as the next start reads it (thumbnails as files,
    // not a recent playlist): SavePlaylist's result, 0 when it is off.
    int SaveDefaultPlaylist(DWORD* error = nullptr);
    // "Cannot save playlist file:" with the path and the system's reason, and what follows from
    // it when given (a paragraph of its own).
    static void TellSaveFailed(LPCWSTR path, DWORD error, LPCWSTR consequence = nullptr);
    // A playlist file is merged at once; anything else is queued: 1 queued, 0 refused.
    int AddPath(LPCWSTR path);
    // The paths the user chose or dropped without the playlist files among them that cannot be
    // read or name no entry; the user is told of each of those. Read before anything is removed, so
    // that a choice of nothing usable leaves the playlist as it was.
    std::vector<CString> WithoutUselessPlaylists(const std::vector<CString>& paths);
    // Files whose names pass the ';'-separated patterns, through AddPath: the paths accepted.
    int AddFolder(LPCWSTR folder, LPCWSTR filter, int recurse);
    // -1 for an image file, else queued: 0.
    int QueuePath(LPCWSTR path);
    // What AddPendingPath answers for a path whose probe a stop ended or kept from starting, or
    // whose probed entry a closing window did not take in: the entry stays in the queue.
    static constexpr int kLoadStopped = -2;
    // One queued path on the load thread: the new item's index, -1 (dropped) or kLoadStopped.
    int AddPendingPath(LPCWSTR path, const volatile int* stop);
    // Queues a playlist file's entries behind the paths queued before: the number of entries,
    // 0 when it cannot be read.
    int LoadPlaylist(LPCWSTR path, int addToRecent);
    int ShowInFolder(int index);
    void ShowMediaInfo(int index);
    // Dropped files and folders: added, or (replace) in place of the playlist with the first
    // playing once it is in. Paths of any length are read whole.
    int AddDroppedFiles(HDROP drop, bool replace);

    int StartUpdateThreads();
    void StopUpdateThreads();
    void StopLoadThread();
    void ResumeLoadThread();

    // The thumbnail threads' body: items index, index + 2, ... get their thumbnails.
    void UpdateThumbnails(int index, const volatile int* stop);

    // The only way to hand this view files with WM_ADD_DROPPED_FILES: the message is refused
    // unless it comes through here (a drop handle from another process is no handle of ours).
    static LRESULT SendDroppedFiles(HWND view, HDROP drop);

    bool IsLoading() const { return m_pLoadThread != nullptr; }
    bool AreThumbnailsRunning() const { return m_pUpdateThreads[0] || m_pUpdateThreads[1]; }
    int GetPendingCount();
    // The queue's paths, first path first.
    std::vector<CString> GetPendingPaths();

    int m_nAwaitedIndex;
    int m_nLastItem;
    int m_nModified;
    int m_nClosing;

protected:
    friend class CPlaylistEditGuard;
    void BeginEdit(int stopLoad);
    void EndEdit();

    // Destroys an item of the queue with the thumbnail file it owns.
    struct CDestroyItem {
        void operator()(CMediaItem* item) const;
    };
    // One entry of the queue: a path to open, which is dropped when it cannot be probed, or an
    // entry of a playlist file, which becomes an item whatever its probe says and keeps what the
    // file said of it.
    struct CPendingEntry {
        CString path;
        std::unique_ptr<CMediaItem, CDestroyItem> item;  // a playlist file's entry, or the probed path
        bool listed = false;                             // from a playlist file
        // Open URL: in place of the items and of the entries queued before it (that many behind
        // it), once it has been opened.
        bool replaces = false;
        size_t replacedEntries = 0;
    };

    CMediaPlaylistLink& Items();
    // Whether a path of the queue or the list is refused as a duplicate now.
    bool IsRefusedDuplicate(LPCWSTR path);
    // The queue's entry on the load thread: as AddPendingPath (a playlist file's entry only when
    // SettleListedEntry found that it needs a probe).
    int LoadPendingEntry(CPendingEntry& entry, const volatile int* stop);
    // On the load thread: true when a playlist file's entry needs no probe (its file is missing,
    // or the file told what it holds), its display texts then built.
    bool SettleListedEntry(CPendingEntry& entry);
    // On the load thread: a run of settled entries into the list; what a stop or a close kept out
    // goes back to the front of the queue, in order.
    void HandOverRun(std::vector<CPendingEntry>& run, const volatile int* stop);
    void ReturnToQueue(std::vector<CPendingEntry>& entries);
    // The entries of a playlist file read into 'playlist' go to the queue (which takes the items).
    int QueuePlaylistEntries(LPCWSTR path, CPlaylistData& playlist);
    // After a successful read: the playlist and the queue emptied, the entries queued.
    int ReplaceWithPlaylist(LPCWSTR path, CPlaylistData& playlist, int playFirst, int addToRecent);
    bool IsDefaultPlaylistPath(LPCWSTR path);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnLoadThreadExit(WPARAM, LPARAM);
    LRESULT OnItemInserted(WPARAM wParam, LPARAM);
    LRESULT OnUpdateThreadExit(WPARAM wParam, LPARAM lParam);
    LRESULT OnInsertLoadedEntry(WPARAM, LPARAM lParam);
    LRESULT OnInsertLoadedRun(WPARAM, LPARAM lParam);
    LRESULT OnInsertItem(WPARAM, LPARAM lParam);
    LRESULT OnOpenFailed(WPARAM, LPARAM);
    LRESULT OnContainsPath(WPARAM, LPARAM lParam);
    LRESULT OnGetItemForThumbnail(WPARAM wParam, LPARAM);
    LRESULT OnThumbnailMade(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddDroppedFiles(WPARAM wParam, LPARAM);
    DECLARE_MESSAGE_MAP()

    CPlaylistItemWnd m_wndItems;
    CMediaPlaylistLink* m_pItems;
    std::deque<CPendingEntry> m_pending;
    // Addresses of Open URL that could not be opened, for the window's thread to tell.
    std::vector<CString> m_failedOpens;
    CRITICAL_SECTION m_pendingLock;
    CMediaLoadThread* m_pLoadThread;
    CMediaUpdateThread* m_pUpdateThreads[2];
    int m_nEditDepth;
    // The default playlist read at start-up could not be read nor set aside: it is not overwritten.
    bool m_bKeepDefaultPlaylist;
    // Set while a run of inserts goes in: it is laid out and counted once, at its end, and
    // announced by its first item (m_bRunAnnounced once that is done).
    bool m_bInsertRun;
    bool m_bRunAnnounced;
};
