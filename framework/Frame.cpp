// The frame window: creation from one resource id, its client and bars, command routing and
// command-UI updates, activation of views, and closing through the documents.
#include "framework/Frame.h"

#include "framework/App.h"
#include "framework/CmdUI.h"
#include "framework/ControlBar.h"
#include "framework/DocView.h"
#include "framework/Menu.h"

namespace {
thread_local CFrameWnd* t_routingFrame = nullptr;
// Set while a frame is being created on this thread, and cleared when that frame deletes
// itself (a failed WM_CREATE), so the creator knows not to touch it again.
thread_local CFrameWnd* t_frameBeingCreated = nullptr;
}

CFrameWnd* AfxGetRoutingFrame() { return t_routingFrame; }

CPushRoutingFrame::CPushRoutingFrame(CFrameWnd* pNewFrame) : m_pOldRoutingFrame(t_routingFrame)
{
    t_routingFrame = pNewFrame;
}

CPushRoutingFrame::~CPushRoutingFrame() { t_routingFrame = m_pOldRoutingFrame; }

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() {}

CFrameWnd::~CFrameWnd()
{
    if (t_routingFrame == this) t_routingFrame = nullptr;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(NULL, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1), NULL);
    if (cs.style & FWS_ADDTOTITLE) cs.style |= FWS_PREFIXTITLE;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCWSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
    HMENU hMenu = lpszMenuName ? ::LoadMenuW(AfxGetResourceHandle(), lpszMenuName) : NULL;
    m_hMenuDefault = hMenu;
    CFrameWnd* outer = t_frameBeingCreated;
    t_frameBeingCreated = this;
    // rectDefault leaves position and size to the system (its width is not a difference).
    const bool systemRect = rect.left == CW_USEDEFAULT;
    BOOL ok = CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left,
                       systemRect ? CW_USEDEFAULT : rect.top, systemRect ? CW_USEDEFAULT : rect.right - rect.left,
                       systemRect ? CW_USEDEFAULT : rect.bottom - rect.top, pParentWnd->GetSafeHwnd(), hMenu,
                       (LPVOID)pContext);
    bool deleted = t_frameBeingCreated != this;
    t_frameBeingCreated = outer;
    if (!ok) {
        // A window that existed took its menu with it; one that never existed did not.
        if (hMenu && ::IsMenu(hMenu)) ::DestroyMenu(hMenu);
        // A failed frame is always gone afterwards, whichever step failed.
        if (!deleted) {
            m_hMenuDefault = NULL;
            if (m_hWnd) ::DestroyWindow(m_hWnd);
            else delete this;
        }
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    m_nIDHelp = nIDResource;
    CString title;
    if (title.LoadString(nIDResource)) {
        int nl = title.Find(L'\n');
        m_strTitle = nl >= 0 ? title.Left(nl) : title;
    }
    HICON hIcon = ::LoadIconW(hInst, MAKEINTRESOURCEW(nIDResource));
    LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(NULL, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1), hIcon);
    const bool hasMenu = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), (LPCWSTR)RT_MENU) != NULL;
    if (!Create(cls, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd,
                hasMenu ? MAKEINTRESOURCEW(nIDResource) : NULL, 0, pContext))
        return FALSE;  // the frame deleted itself
    if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));
    // Without a context nobody else sends the first update.
    if (!pContext) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCWSTR lpszResourceName)
{
    if (m_hAccelTable) return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(AfxGetResourceHandle(), lpszResourceName);
    return m_hAccelTable != NULL;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1) return -1;
    CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (!OnCreateClient(lpcs, pContext)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass) return CreateView(pContext, AFX_IDW_PANE_FIRST) != NULL;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (!pContext || !pContext->m_pNewViewClass) return NULL;
    CCmdTarget* object = pContext->m_pNewViewClass->CreateObject();
    if (!object) return NULL;
    if (!object->IsKindOf(RUNTIME_CLASS(CWnd))) {
        delete object;
        return NULL;
    }
    CWnd* view = static_cast<CWnd*>(object);
    // A view that fails its creation deletes itself (PostNcDestroy).
    if (!view->Create(NULL, NULL, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, nID, pContext)) return NULL;
    return view;
}

void CFrameWnd::PostNcDestroy()
{
    if (t_frameBeingCreated == this) t_frameBeingCreated = nullptr;
    delete this;
}

void CFrameWnd::OnDestroy()
{
    m_pViewActive = NULL;
    CWnd::OnDestroy();
}

void CFrameWnd::OnClose()
{
    HWND hWnd = m_hWnd;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        // Every document is asked once; closing them takes their frames, this one included.
        if (!app->SaveAllModified()) return;
        app->CloseAllDocuments(FALSE);
        if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) return;
    if (doc && doc->m_bAutoDelete) {
        int frames = 0;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;) {
            CView* view = doc->GetNextView(pos);
            if (view && view->GetParentFrame() != this) ++frames;
        }
        if (frames == 0) {
            doc->OnCloseDocument();
            if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
            return;
        }
    }
    DestroyWindow();
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive && m_pViewActive->m_hWnd) m_pViewActive->SetFocus();
    else CWnd::OnSetFocus(pOldWnd);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if (m_bLayoutPending) RecalcLayout();
    return 0;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
    // A disabled frame (a modal window of it is up) takes no accelerators.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable && ::IsWindowEnabled(m_hWnd))
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CPushRoutingFrame push(this);
    if (CView* view = GetActiveView())
        if (view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* old = m_pViewActive;
    if (pViewNew == old) return;
    m_pViewActive = pViewNew;
    if (!bNotify) return;
    if (old) old->OnActivateView(FALSE, pViewNew, old);
    if (pViewNew) pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    if (m_pViewActive) return m_pViewActive->GetDocument();
    CWnd* pane = m_hWnd ? GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE) : NULL;
    if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) return static_cast<CView*>(pane)->GetDocument();
    return NULL;
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (m_bInRecalcLayout || !m_hWnd) return;
    m_bInRecalcLayout = true;
    m_bLayoutPending = false;
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST);
    m_bInRecalcLayout = false;
}

void CFrameWnd::DelayRecalcLayout(BOOL)
{
    m_bLayoutPending = true;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (!pBar || !pBar->m_hWnd) return;
    ::SetWindowPos(pBar->m_hWnd, NULL, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    if (bDelay) DelayRecalcLayout();
    else RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    CWnd* wnd = CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, (int)nID));
    return wnd && wnd->IsKindOf(RUNTIME_CLASS(CControlBar)) ? static_cast<CControlBar*>(wnd) : NULL;
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* bar = GetControlBar(nID);
    if (!bar) return FALSE;
    ShowControlBar(bar, !bar->IsVisible(), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    if (!bar) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck(bar->IsVisible() ? 1 : 0);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    CView* view = GetActiveView();
    if (!view) {
        CWnd* pane = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
        if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) {
            view = static_cast<CView*>(pane);
            SetActiveView(view, FALSE);
        }
    }
    (void)pDoc;
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    RecalcLayout();
    if (bMakeVisible) {
        int nCmdShow = -1;
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == this && m_bFirstActivation) {
            nCmdShow = app->m_nCmdShow;
            m_bFirstActivation = false;
        }
        ActivateFrame(nCmdShow);
        if (view) view->OnActivateView(TRUE, view, view);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1) {
        if (!IsWindowVisible()) nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic()) nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1) ShowWindow(nCmdShow);
    if (!(GetStyle() & WS_CHILD)) BringWindowToTop();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (!(GetStyle() & FWS_ADDTOTITLE)) return;
    CString app = m_strTitle.IsEmpty() ? CString(AfxGetAppName()) : m_strTitle;
    CString title = app;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && doc && !doc->GetTitle().IsEmpty()) {
        if (GetStyle() & FWS_PREFIXTITLE) title = doc->GetTitle() + L" - " + app;
        else title = app + L" - " + doc->GetTitle();
    }
    CString current;
    GetWindowText(current);
    if (current != title) SetWindowText(title);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
{
    if (bSysMenu) return;
    AfxUpdateMenuPopup(pPopupMenu, this, m_bAutoMenuEnable);
}
