// The media item list windows between the toolkit's scrolling item list and the playlist's
// thumbnail grid: a list that owns its media items and shows their paths as tool tips, and the
// playlist's list that knows the play window (deleting safely while one plays, previous and next by
// "Repeat", mouse input from the play window hosted inside it).
#pragma once

#include "framework/Controls.h"
#include "player/app/PlayerWindows.h"
#include "toolkit/ScrollItemListWnd.h"

class CMediaItem;

class CMediaItemListWnd : public CScrollItemListWnd {
public:
    CMediaItemListWnd();
    ~CMediaItemListWnd() override;

    using CScrollItemListWnd::AddItem;
    using CScrollItemListWnd::InvalidateItem;

    // The window (no class name of its own) with its tool tips.
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Appends the item (the list owns it from now on) with a new layout: the index, or -1.
    virtual int AddItem(CMediaItem* item);
    // Takes the item out and destroys it, its grabbed thumbnail file first: 0, -1 out of range.
    virtual int RemoveItem(int index, int redraw);

    // The item under a client point, -1 for none; fills a TOOLINFO of at least 40 bytes.
    virtual INT_PTR OnToolHitTest(CPoint point, TTTOOLINFOW* pTI);

    CMediaItem* GetMediaItemAt(int index) const;
    int IndexOf(const CMediaItem* item) const;
    void InvalidateItem(const CMediaItem* item);
    bool HasPath(LPCWSTR path) const;
    // The sum of the items' durations above 0, in milliseconds.
    __int64 SumDurations() const;
    static bool IsImageFile(LPCWSTR path);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The painting takes the draw lock: a thumbnail thread's hand-over never meets it half done.
    void Draw(CDC* pDC) override;
    CItemDrawLock& DrawLock() { return m_drawLock; }
    CToolTipCtrl& GetToolTip() { return m_toolTip; }

protected:
    // Destroys every item the list still holds.
    void DestroyAllItems();
    // The one tool of the tip follows the item under the mouse.
    void UpdateToolTip(CPoint point);

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CToolTipCtrl m_toolTip;
    INT_PTR m_nToolItem;
    CItemDrawLock m_drawLock;
};

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
    int AddMediaItem(CMediaItem* item) override { return AddItem(item); }
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

protected:
    // The play window's handle while it exists.
    HWND PlayWindowHandle() const;
    bool IsHostingPlayWindow() const;
};
