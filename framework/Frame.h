// CFrameWnd: the frame window of a document (menu, accelerators, control bars, the view
// pane between them, command routing to the active view and the application).
#pragma once

#include "framework/StdIds.h"
#include "framework/Wnd.h"

class CView;
class CDocument;
class CDocTemplate;
class CControlBar;

// Frame styles (in the frame's own window style bits).
#define FWS_ADDTOTITLE 0x00008000L   // the caption shows the document's title
#define FWS_PREFIXTITLE 0x00004000L  // "Document - App" rather than "App - Document"
#define FWS_SNAPTOBARS 0x00002000L

// The style of a view made by the frame from a creation context.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// What a frame needs to build its views and bind them to a document.
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = NULL;
    CDocument* m_pCurrentDoc = NULL;
    CDocTemplate* m_pNewDocTemplate = NULL;
    CView* m_pLastView = NULL;
    CFrameWnd* m_pCurrentFrame = NULL;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const CRect rectDefault;  // CW_USEDEFAULT position and size

    // Creates the frame from one resource id: the caption (the text before the first '\n' of
    // string nIDResource), the menu, the accelerators and the icon of that id, each when present.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = NULL, CCreateContext* pContext = NULL);
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = NULL, LPCWSTR lpszMenuName = NULL,
                DWORD dwExStyle = 0, CCreateContext* pContext = NULL);
    BOOL LoadAccelTable(LPCWSTR lpszResourceName);

    BOOL IsFrameWnd() const override { return TRUE; }
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Routing: the active view (which asks its document, which asks its template), then the
    // frame's own map, then the application object.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void PostNcDestroy() override;  // frames are heap objects that delete themselves

    // Builds the client: by default one view of pContext->m_pNewViewClass with id AFX_IDW_PANE_FIRST.
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const { return m_pViewActive; }
    // The old view hears OnActivateView(FALSE, ...), the new one OnActivateView(TRUE, ...).
    virtual void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }

    // Places the control bars at their edges and the pane (AFX_IDW_PANE_FIRST) in what is left.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    CControlBar* GetControlBar(UINT nID);
    BOOL OnBarCheck(UINT nID);  // shows or hides the bar of that id; FALSE when there is none
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

    // Sends WM_INITIALUPDATE to the views (making the pane view active when none is) and
    // shows the frame when bMakeVisible is set.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle; }
    // A line of help for what the mouse is over (a menu command); the frame has no status
    // line of its own, so it goes out as WM_SETMESSAGESTRING for a frame or bar that shows one.
    void SetMessageText(LPCWSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText); }
    CString GetTitle() const { return m_strTitle; }

    // Every item of a popup about to open is updated through the routing (items without a
    // handler are disabled when m_bAutoMenuEnable is set); system menus are left alone.
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);

    BOOL m_bAutoMenuEnable = TRUE;
    // The menu created with the frame. Not owned: the window destroys it, or a menu bar that
    // took it over (SetMenu(NULL)) owns it from then on.
    HMENU m_hMenuDefault = NULL;
    HACCEL m_hAccelTable = NULL;  // resource accelerators need no destruction
    UINT m_nIDHelp = 0;
    CString m_strTitle;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CView* m_pViewActive = NULL;
    bool m_bInRecalcLayout = false;
    bool m_bLayoutPending = false;
    bool m_bFirstActivation = true;
};

// The frame that is routing a command on this thread (set by CPushRoutingFrame), or NULL.
CFrameWnd* AfxGetRoutingFrame();

// Makes a frame the thread's routing frame for the life of the object (restores the previous one).
class CPushRoutingFrame {
public:
    explicit CPushRoutingFrame(CFrameWnd* pNewFrame);
    ~CPushRoutingFrame();
    CPushRoutingFrame(const CPushRoutingFrame&) = delete;
    CPushRoutingFrame& operator=(const CPushRoutingFrame&) = delete;

private:
    CFrameWnd* m_pOldRoutingFrame;
};
