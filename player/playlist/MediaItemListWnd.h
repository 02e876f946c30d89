// The media item list window between the toolkit's scrolling item list and the playlist's
// thumbnail grid: a list that owns its media items and shows their paths as tool tips.
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
    // True for the still-picture extensions (.jpg, .png, .bmp and the like), which the playlist refuses.
    static bool IsImageFile(LPCWSTR path);
    // Deletes the item's grabbed thumbnail file, then the item (null does nothing).
    static void DestroyMediaItem(CMediaItem* item);

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
