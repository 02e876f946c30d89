// CScrollItemListWnd: the drag-and-drop item list with the dark skinned scroll bar docked on its
// right instead of the system's scroll bar.
#pragma once

#include "toolkit/DragItemListWnd.h"
#include "toolkit/SkinScrollBar.h"

class CScrollItemListWnd : public CDragItemListWnd {
public:
    // The scroll bar child's control id.
    static constexpr UINT kScrollBarId = 1;

    CScrollItemListWnd();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Less the scroll bar's strip while the bar is shown.
    void GetViewRect(LPRECT lpRect) override;
    BOOL HasVScroll() override;
    int GetScrollPos() override;
    // Forwarded to the skinned bar; when the bar shows or hides, the layout is made again for
    // the view's new width.
    void SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw) override;

    // ---- virtual operation appended
    // The client's right strip, as wide as the scroll bar.
    virtual void GetScrollBarRect(LPRECT lpRect);

    CSkinScrollBar& GetScrollBar() { return m_scrollBar; }

protected:
    CSkinScrollBar m_scrollBar;
    bool m_bInLayoutAgain = false;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
