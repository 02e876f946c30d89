// The playlist's list window: the media item list that knows the play window (deleting safely while
// one plays, previous and next by "Repeat", mouse input from the play window hosted inside it).
#pragma once

#include "player/playlist/MediaItemListWnd.h"

class CMediaPlaylistWnd : public CMediaItemListWnd, public CMediaPlaylistLink {
public:
    CMediaPlaylistWnd();

    // Every selected item out, the play window stopped first when one of them plays.
    virtual void DeleteSelected();
    virtual void DeleteAll();
    // The play window's current item's index, -1 for none.
    virtual int GetCurrentIndex();
    // Empty here; the thumbnail grid places the play window over the playing item.
    virtual void PositionPlayWindow() {}

    CMediaItem* GetPreviousItem(int repeat) override;
    CMediaItem* GetNextItem(int repeat) override;

    // Moves are edits of the playlist; the hosted play window follows its item.
    BOOL SwapItems(int a, int b, BOOL bRedraw) override;
    BOOL MoveItem(int nFrom, int nTo, BOOL bRedraw) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // CMediaPlaylistLink
    CWnd* GetListWindow() override { return this; }
    int AddMediaItem(CMediaItem* item) override;
    int RemoveMediaItem(int index, int redraw) override { return RemoveItem(index, redraw); }
    void DeleteAllMediaItems() override { DeleteAll(); }
    bool ContainsPath(LPCWSTR path) override { return HasPath(path); }
    __int64 GetTotalDuration() override { return SumDurations(); }
    CItemDrawLock& GetDrawLock() override { return m_drawLock; }
    int GetMediaItemCount() override { return GetItemCount(); }
    CMediaItem* GetMediaItem(int index) override { return GetMediaItemAt(index); }
    int FindMediaItem(const CMediaItem* item) override { return IndexOf(item); }
    int GetFirstSelectedIndex() override { return GetNextSelectedItem(0); }
    void InvalidateMediaItem(const CMediaItem* item) override { InvalidateItem(item); }
    void EnsureMediaItemVisible(const CMediaItem* item) override;
    void RelayoutList() override;
    void DeferLayout(bool defer) override;

protected:
    // The play window's handle while it exists.
    HWND PlayWindowHandle() const;
    bool IsHostingPlayWindow() const;

    bool m_bLayoutDeferred = false;
};
