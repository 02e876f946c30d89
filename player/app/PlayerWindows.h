// The player's windows as the others reach them: the pane colour, what the play
// window and the views ask of the main frame, the control bar and the playlist's item window, and
// the process-wide pointers the main frame publishes while its windows exist.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "player/app/PlayerMessages.h"

class CWnd;
class CFrameWnd;
class CMediaItem;
class CMediaPlaylistView;
class CPlayView;
class CPlayWnd;

// Layouts of the view container ("Layout").
const int SPLIT_LAYOUT_SIDE_BY_SIDE = 1;
const int SPLIT_LAYOUT_ONE_AT_A_TIME = 2;

// Views of the view container.
const int PLAYER_HOST_PLAY_VIEW = 1;
const int PLAYER_HOST_PLAYLIST = 2;

// What the views and the play window ask of the main frame.
class CMainFrameLink {
public:
    virtual ~CMainFrameLink() {}
    // The container activates the play view; playback starts when no session runs and a paused
    // one resumes.
    virtual void ShowPlayView() = 0;
    // The container activates the play view and nothing starts (the play window's Resume).
    virtual void ActivatePlayView() = 0;
    virtual void ShowPlaylistView() = 0;
    // "%s - %d/%d" for an item, the application name for none.
    virtual void UpdateTitle(CMediaItem* item) = 0;
    // SPLIT_LAYOUT_SIDE_BY_SIDE or SPLIT_LAYOUT_ONE_AT_A_TIME.
    virtual int GetViewLayout() = 0;
    // Shows or hides the menu bar at once.
    virtual void ShowMenuBar(bool show) = 0;
    // The menu bar shows the playlist's count and total duration; an empty playlist shows the
    // "Open Files" button in place of the views.
    virtual void ShowPlaylistCount(int count, __int64 totalDurationMs) = 0;
    // The frame window: commands are posted to it, popups are owned by it, WM_CLOSE ends it.
    virtual CFrameWnd* GetFrameWnd() = 0;
};

// What the play window tells the playback control bar.
class CPlaybackBarLink {
public:
    virtual ~CPlaybackBarLink() {}
    // 0 idle, 1 starting, 2 playing, 3 paused, 4 stopped, 5 ended (the driver's states).
    virtual void SetPlayState(int state) = 0;
    // Microseconds.
    virtual void SetDuration(__int64 duration) = 0;
    virtual void SetPosition(__int64 position, BOOL redraw) = 0;
    // The play window's volume and mute are shown again.
    virtual void UpdateVolume() = 0;
    // The view-switch button leads to the playlist while the play view is shown, else back.
    virtual void SetDisplayViewShown(bool shown) = 0;
    virtual void RecalcBarLayout() = 0;
};

// Guards what the item windows paint from and the thumbnail threads replace (an item's picture
// and its thumbnail file): the painting and the hand-over of a new thumbnail take it.
class CItemDrawLock {
public:
    CItemDrawLock() { InitializeCriticalSection(&m_cs); }
    ~CItemDrawLock() { DeleteCriticalSection(&m_cs); }
    CItemDrawLock(const CItemDrawLock&) = delete;
    CItemDrawLock& operator=(const CItemDrawLock&) = delete;
    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

    class Scope {
    public:
        explicit Scope(CItemDrawLock& lock) : m_lock(lock) { m_lock.Enter(); }
        ~Scope() { m_lock.Leave(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CItemDrawLock& m_lock;
    };

private:
    CRITICAL_SECTION m_cs;
};

// What the playlist view, the play window and the play view ask of the playlist's item window,
// which owns the items in display order. Everything but the draw lock is called on the
// user-interface thread only.
class CMediaPlaylistLink {
public:
    virtual ~CMediaPlaylistLink() {}
    virtual CWnd* GetListWindow() = 0;
    // Appends an item the window then owns, redrawn: its index, or -1 when it is refused (the
    // caller keeps it).
    virtual int AddMediaItem(CMediaItem* item) = 0;
    // Takes the item out and destroys it (its grabbed thumbnail file first): 0, -1 out of range.
    virtual int RemoveMediaItem(int index, int redraw) = 0;
    // The play window stops and keeps its position; every item goes and is destroyed.
    virtual void DeleteAllMediaItems() = 0;
    // An item with this path, compared without regard to case.
    virtual bool ContainsPath(LPCWSTR path) = 0;
    // The sum of the items' durations in milliseconds.
    virtual __int64 GetTotalDuration() = 0;
    virtual CItemDrawLock& GetDrawLock() = 0;
    virtual int GetMediaItemCount() = 0;
    // Null out of range.
    virtual CMediaItem* GetMediaItem(int index) = 0;
    // -1 when the item is not in the list.
    virtual int FindMediaItem(const CMediaItem* item) = 0;
    // The first selected index, -1 when nothing is selected.
    virtual int GetFirstSelectedIndex() = 0;
    // The item before or after the play window's current one for a "Repeat" value (1 the same,
    // 2 wrapping, 0 none past the ends); null without a current item.
    virtual CMediaItem* GetPreviousItem(int repeat) = 0;
    virtual CMediaItem* GetNextItem(int repeat) = 0;
    virtual void InvalidateMediaItem(const CMediaItem* item) = 0;
    virtual void EnsureMediaItemVisible(const CMediaItem* item) = 0;
    // Lays the list out again; a hosted play window goes over the playing item.
    virtual void RelayoutList() = 0;
    // While deferred, an item added is not laid out by itself; the end of it lays the list out
    // once. A run of 50,000 items would otherwise be laid out 50,000 times.
    virtual void DeferLayout(bool defer) { (void)defer; }
};

// Published by the main frame (and by the tests' frames) while its windows exist; never owning.
struct CPlayerWindows {
    CMainFrameLink* frame = nullptr;
    CPlaybackBarLink* controlBar = nullptr;
    CMediaPlaylistView* playlistView = nullptr;
    CMediaPlaylistLink* itemWnd = nullptr;
    CPlayView* playView = nullptr;
    CPlayWnd* playWnd = nullptr;
};

// The process's one set; only the user-interface thread reads or writes it.
CPlayerWindows& GetPlayerWindows();
