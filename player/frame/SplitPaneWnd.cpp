// The split pane's layout, activation and splitter drag.
#include "player/frame/SplitPaneWnd.h"

#include <algorithm>

#include "framework/Frame.h"
#include "player/app/PlayerWindows.h"
#include "player/playback/PlayView.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/PaneColor.h"

int CSplitPaneWnd::s_nRememberedWidth = -1;

BEGIN_MESSAGE_MAP(CSplitPaneWnd, CWnd)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_CANCELMODE()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSplitPaneWnd::CSplitPaneWnd()
    : m_pPlaylistPane(nullptr),
      m_pPlayPane(nullptr),
      m_pActivePane(nullptr),
      m_nLayout(SPLIT_LAYOUT_SIDE_BY_SIDE),
      m_nPaneWidth(DefaultPaneWidth()),
      m_hSizeCursor(nullptr),
      m_nDragOffset(0)
{
    CPlayerSettings* s = GetPlayerSettings();
    if (s && (s->layout == SPLIT_LAYOUT_SIDE_BY_SIDE || s->layout == SPLIT_LAYOUT_ONE_AT_A_TIME))
        m_nLayout = s->layout;
}

CSplitPaneWnd::~CSplitPaneWnd() {}

int CSplitPaneWnd::DefaultPaneWidth()
{
    CPlayerSettings* s = GetPlayerSettings();
    int thumbnail = s ? s->GetSessionThumbnailWidth() : DEFAULT_THUMBNAIL_WIDTH;
    return thumbnail + GetSystemMetrics(SM_CXVSCROLL) + 28;
}

BOOL CSplitPaneWnd::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    // The system's cursor is shared: it is never destroyed.
    m_hSizeCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    return CWnd::Create(nullptr, nullptr, dwStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

CWnd* CSplitPaneWnd::CreatePane(CRuntimeClass* pClass, UINT nID, CCreateContext* pContext)
{
    if (!pClass)
        return nullptr;
    CWnd* pane = static_cast<CWnd*>(pClass->CreateObject());
    if (!pane)
        return nullptr;
    if (!pane->Create(nullptr, nullptr, WS_CHILD | WS_TABSTOP, CRect(0, 0, 0, 0), this, nID, pContext)) {
        // A view that failed to be made has deleted itself at its window's end.
        return nullptr;
    }
    return pane;
}

BOOL CSplitPaneWnd::CreatePanes(CCreateContext* pContext, CRuntimeClass* pPlaylistClass, CRuntimeClass* pPlayClass)
{
    if (!pPlaylistClass)
        pPlaylistClass = pContext ? pContext->m_pNewViewClass : nullptr;
    if (!pPlayClass)
        pPlayClass = RUNTIME_CLASS(CPlayView);
    m_pPlaylistPane = CreatePane(pPlaylistClass, SPLIT_PANE_PLAYLIST_ID, pContext);
    m_pPlayPane = CreatePane(pPlayClass, SPLIT_PANE_PLAY_ID, pContext);
    if (!m_pActivePane)
        m_pActivePane = m_pPlaylistPane;
    return m_pPlaylistPane && m_pPlayPane;
}

void CSplitPaneWnd::ShowPane(CWnd* pane, bool show)
{
    if (ArePanesHeldHidden())
        show = false;
    // The pane's own style: before the frame shows, every child counts as not visible.
    if (pane && pane->m_hWnd && ((pane->GetStyle() & WS_VISIBLE) != 0) != show)
        pane->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CSplitPaneWnd::SetLayout(int layout)
{
    m_nLayout = layout == SPLIT_LAYOUT_ONE_AT_A_TIME ? SPLIT_LAYOUT_ONE_AT_A_TIME : SPLIT_LAYOUT_SIDE_BY_SIDE;
    if (m_nLayout == SPLIT_LAYOUT_SIDE_BY_SIDE) {
        ShowPane(m_pPlaylistPane, true);
        ShowPane(m_pPlayPane, true);
    } else {
        CWnd* active = m_pActivePane ? m_pActivePane : m_pPlaylistPane;
        ShowPane(m_pPlaylistPane, active == m_pPlaylistPane);
        ShowPane(m_pPlayPane, active == m_pPlayPane);
    }
    RecalcLayout();
}

void CSplitPaneWnd::SetActivePane(CWnd* pane)
{
    if (!m_pPlaylistPane || !m_pPlayPane || !pane)
        return;
    m_pActivePane = pane;
    CView* view = dynamic_cast<CView*>(pane);
    CFrameWnd* frame = GetParentFrame();
    if (view && frame)
        frame->SetActiveView(view);
    else if (pane->m_hWnd)
        pane->SetFocus();

    CPlayWnd* play = GetPlayerWindows().playWnd;
    if (m_nLayout == SPLIT_LAYOUT_SIDE_BY_SIDE) {
        if (play)
            play->AttachToView(PLAYER_HOST_PLAY_VIEW);
        return;
    }
    if (pane == m_pPlayPane) {
        if (play)
            play->AttachToView(PLAYER_HOST_PLAY_VIEW);
        ShowPane(m_pPlaylistPane, false);
        ShowPane(m_pPlayPane, true);
    } else {
        // A running video goes on inside the playing item's card; a paused one stays where it is.
        if (play && play->IsPlaying())
            play->AttachToView(PLAYER_HOST_PLAYLIST);
        ShowPane(m_pPlayPane, false);
        ShowPane(m_pPlaylistPane, true);
    }
    RecalcLayout();
}

void CSplitPaneWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    if (m_nLayout == SPLIT_LAYOUT_ONE_AT_A_TIME) {
        for (CWnd* pane : {m_pPlaylistPane, m_pPlayPane})
            if (pane && pane->m_hWnd)
                pane->SetWindowPos(nullptr, client.left, client.top, client.Width(), client.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        Invalidate();
        return;
    }
    int w = m_nPaneWidth;
    if (s_nRememberedWidth > w)
        w = s_nRememberedWidth;
    else
        s_nRememberedWidth = -1;
    if (client.Width() / 2 < w) {
        s_nRememberedWidth = w;
        w = client.Width() / 2;
    }
    if (m_pPlaylistPane && m_pPlaylistPane->m_hWnd)
        m_pPlaylistPane->SetWindowPos(nullptr, client.right - w, client.top, w, client.Height(),
                                      SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pPlayPane && m_pPlayPane->m_hWnd)
        m_pPlayPane->SetWindowPos(nullptr, client.left, client.top,
                                  std::max<int>(0, client.Width() - w - kSplitterWidth), client.Height(),
                                  SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

CRect CSplitPaneWnd::GetSplitterRect() const
{
    if (m_nLayout != SPLIT_LAYOUT_SIDE_BY_SIDE || !m_pPlaylistPane || !m_pPlaylistPane->m_hWnd)
        return CRect();
    CRect pane;
    m_pPlaylistPane->GetWindowRect(&pane);
    ScreenToClient(&pane);
    CRect client;
    GetClientRect(&client);
    return CRect(pane.left - kSplitterWidth, client.top, pane.left, client.bottom);
}

void CSplitPaneWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0)
        RecalcLayout();
}

BOOL CSplitPaneWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, PANE_COLOR);
    return TRUE;
}

void CSplitPaneWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    CRect splitter = GetSplitterRect();
    if (!splitter.IsRectEmpty() && splitter.PtInRect(point)) {
        SetCursor(m_hSizeCursor);
        SetCapture();
        m_nDragOffset = splitter.right - point.x;
        return;
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CSplitPaneWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    if (GetCapture() == this && m_pPlaylistPane && m_pPlaylistPane->m_hWnd) {
        CRect client, pane;
        GetClientRect(&client);
        m_pPlaylistPane->GetWindowRect(&pane);
        ScreenToClient(&pane);
        int edge = point.x + m_nDragOffset;
        if (edge > pane.right)
            edge = pane.right;
        if (pane.right - edge > client.Width() / 2)
            edge = pane.right - client.Width() / 2;
        m_nPaneWidth = pane.right - edge;
        s_nRememberedWidth = -1;
        RecalcLayout();
        return;
    }
    CWnd::OnMouseMove(nFlags, point);
}

void CSplitPaneWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (GetCapture() == this)
        ReleaseCapture();
    CWnd::OnLButtonUp(nFlags, point);
}

void CSplitPaneWnd::OnCancelMode()
{
    if (GetCapture() == this)
        ReleaseCapture();
    CWnd::OnCancelMode();
}

void CSplitPaneWnd::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    CRect splitter = GetSplitterRect();
    if (!splitter.IsRectEmpty() && splitter.PtInRect(point)) {
        m_nPaneWidth = DefaultPaneWidth();
        s_nRememberedWidth = -1;
        RecalcLayout();
        return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

BOOL CSplitPaneWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd == this && nHitTest == HTCLIENT) {
        CPoint point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        CRect splitter = GetSplitterRect();
        if (!splitter.IsRectEmpty() && splitter.PtInRect(point)) {
            SetCursor(m_hSizeCursor);
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CSplitPaneWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEWHEEL && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        CMediaPlaylistView* view = dynamic_cast<CMediaPlaylistView*>(m_pPlaylistPane);
        CMediaPlaylistLink* items = view ? view->GetItemWindow() : nullptr;
        CWnd* list = items ? items->GetListWindow() : nullptr;
        if (list && list->m_hWnd && pMsg->hwnd != list->m_hWnd) {
            list->SendMessage(WM_MOUSEWHEEL, pMsg->wParam, pMsg->lParam);
            return TRUE;
        }
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void CSplitPaneWnd::OnDestroy()
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->layout = m_nLayout;
    CWnd::OnDestroy();
}
