// The split pane window that holds the main frame's two views: the playlist view on the right
// and the play view filling the rest with a draggable splitter between them, or one at a time.
#pragma once

#include "framework/DocView.h"
#include "player/app/PlayerWindows.h"

// Pane ids: the playlist view and the play view.
const UINT SPLIT_PANE_PLAYLIST_ID = 10;
const UINT SPLIT_PANE_PLAY_ID = 20;

class CSplitPaneWnd : public CWnd {
public:
    CSplitPaneWnd();
    ~CSplitPaneWnd() override;

    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // The playlist view (of the context's view class unless another is given) and the play view,
    // hidden until a layout shows them: TRUE when both exist.
    virtual BOOL CreatePanes(CCreateContext* pContext, CRuntimeClass* pPlaylistClass = nullptr,
                             CRuntimeClass* pPlayClass = nullptr);
    virtual void SetLayout(int layout);
    virtual void SetActivePane(CWnd* pane);
    virtual void RecalcLayout();

    int GetLayout() const { return m_nLayout; }
    CWnd* GetActivePane() const { return m_pActivePane; }
    CWnd* GetPlaylistPane() const { return m_pPlaylistPane; }
    CWnd* GetPlayPane() const { return m_pPlayPane; }
    int GetPaneWidth() const { return m_nPaneWidth; }
    // The playlist pane's width when nothing was dragged.
    static int DefaultPaneWidth();
    // The strip between the panes that takes the splitter drag, in client coordinates.
    CRect GetSplitterRect() const;
    // The width kept while the window is too narrow for it (-1 none).
    static int GetRememberedWidth() { return s_nRememberedWidth; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    static const int kSplitterWidth = 4;

protected:
    CWnd* m_pPlaylistPane;
    CWnd* m_pPlayPane;
    CWnd* m_pActivePane;
    int m_nLayout;
    int m_nPaneWidth;
    HCURSOR m_hSizeCursor;
    int m_nDragOffset;
    static int s_nRememberedWidth;

    CWnd* CreatePane(CRuntimeClass* pClass, UINT nID, CCreateContext* pContext);
    // Shows or hides a pane, unless the panes are held hidden.
    void ShowPane(CWnd* pane, bool show);
    // True while neither pane may show, whatever the layout and the active pane say.
    virtual bool ArePanesHeldHidden() const { return false; }

    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnCancelMode();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()
};
