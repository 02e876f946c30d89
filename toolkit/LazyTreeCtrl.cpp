// The lazily loading tree: the placeholder child, the loader thread with its timer, the snapshot
// shown while the tree does not redraw, and the scroll that brings the new children into view.
#include "toolkit/LazyTreeCtrl.h"

#include <mmsystem.h>

#ifndef TVE_ACTIONMASK
#define TVE_ACTIONMASK 0x0003  // the expand, collapse or toggle part of an expansion notice's action
#endif

BEGIN_MESSAGE_MAP(CLazyTreeCtrl, CTreeCtrl)
    ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDINGW, OnItemExpanding)
    ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDEDW, OnItemExpanded)
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CLazyTreeCtrl::CLazyTreeCtrl() : m_strPlaceholder(PlaceholderText()) {}

CLazyTreeCtrl::~CLazyTreeCtrl()
{
    StopLoader();
}

void CLazyTreeCtrl::OnLoadBegin(HTREEITEM) {}

void CLazyTreeCtrl::OnLoadProgress(BOOL, int, int) {}

void CLazyTreeCtrl::OnLoadEnd() {}

BOOL CLazyTreeCtrl::ShouldReload(HTREEITEM)
{
    return FALSE;
}

void CLazyTreeCtrl::ReportProgress(int nPhase, int nCount)
{
    ::InterlockedExchange(&m_nPhase, nPhase);
    ::InterlockedExchange(&m_nCount, nCount);
    if (m_hProgressEvent) ::SetEvent(m_hProgressEvent);
}

void CLazyTreeCtrl::DeleteChildren(HTREEITEM hItem)
{
    for (HTREEITEM child = GetChildItem(hItem); child;) {
        HTREEITEM next = GetNextSiblingItem(child);
        DeleteItem(child);
        child = next;
    }
    // The tree sends no expansion notices for an item it has expanded once: it must forget that,
    // or the children would never load again.
    TVITEMW item = {};
    item.mask = TVIF_STATE | TVIF_CHILDREN;
    item.hItem = hItem;
    item.stateMask = TVIS_EXPANDEDONCE;
    item.state = 0;
    item.cChildren = 1;
    SetItem(&item);
}

BOOL CLazyTreeCtrl::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWW* tv = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    *pResult = 0;
    if ((tv->action & TVE_ACTIONMASK) != TVE_EXPAND || m_bLoading) return FALSE;
    HTREEITEM item = tv->itemNew.hItem;
    if (GetChildItem(item)) {
        if (!ShouldReload(item)) return FALSE;
        DeleteChildren(item);
    }
    m_hLoadingItem = item;
    m_bLoading = TRUE;
    UpdateWindow();
    SetRedraw(FALSE);
    m_hPlaceholder = CTreeCtrl::InsertItem(m_strPlaceholder, item, TVI_LAST);
    m_nPhase = 0;
    m_nCount = 0;
    return TRUE;
}

BOOL CLazyTreeCtrl::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWW* tv = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    *pResult = 0;
    HTREEITEM item = tv->itemNew.hItem;
    const UINT action = tv->action & TVE_ACTIONMASK;
    if (action == TVE_EXPAND && m_bLoading && item == m_hLoadingItem) {
        RunLoad(item);
        return TRUE;
    }
    if (action == TVE_COLLAPSE && GetChildItem(item) && ShouldReload(item)) {
        DeleteChildren(item);
        return TRUE;
    }
    return FALSE;
}

void CLazyTreeCtrl::RunLoad(HTREEITEM hItem)
{
    if (m_bSpinner) {
        SetRedraw(TRUE);
        if (m_hPlaceholder) EnsureVisible(m_hPlaceholder);
        UpdateWindow();
    }
    StartLoader(hItem);
    SetRedraw(FALSE);
    TakeSnapshot();
    if (m_hPlaceholder) {
        DeleteItem(m_hPlaceholder);
        m_hPlaceholder = NULL;
    }
    LoadChildren(hItem);
    StopLoader();

    TVITEMW tvi = {};
    tvi.mask = TVIF_CHILDREN;
    tvi.hItem = hItem;
    tvi.cChildren = GetChildItem(hItem) ? 1 : 0;
    SetItem(&tvi);

    m_bSnapshotValid = FALSE;
    m_snapshot.DeleteObject();
    m_bLoading = FALSE;
    m_hLoadingItem = NULL;
    SetRedraw(TRUE);
    // As many new children into view as fit below the expanded item.
    for (HTREEITEM child = GetChildItem(hItem); child; child = GetNextSiblingItem(child)) {
        if (GetFirstVisibleItem() == hItem) break;
        EnsureVisible(child);
    }
    Invalidate();
}

void CLazyTreeCtrl::StartLoader(HTREEITEM hItem)
{
    OnLoadBegin(hItem);
    // Both start signalled, so the indicator is drawn once as soon as the thread runs.
    m_hTimerEvent = ::CreateEventW(NULL, FALSE, TRUE, NULL);
    m_hProgressEvent = ::CreateEventW(NULL, FALSE, TRUE, NULL);
    ::InterlockedExchange(&m_nStop, 0);
    if (m_hTimerEvent && m_hProgressEvent)
        m_hLoaderThread = ::CreateThread(NULL, 0, &CLazyTreeCtrl::LoaderThread, this, 0, NULL);
    if (m_hLoaderThread && m_nTimerPeriod)
        m_nTimerId = ::timeSetEvent(m_nTimerPeriod, 5, (LPTIMECALLBACK)m_hTimerEvent, 0,
                                    TIME_PERIODIC | TIME_CALLBACK_EVENT_SET);
}

void CLazyTreeCtrl::StopLoader()
{
    if (m_nTimerId) {
        ::timeKillEvent(m_nTimerId);
        m_nTimerId = 0;
    }
    const bool started = m_hLoaderThread || m_hTimerEvent || m_hProgressEvent;
    ::InterlockedExchange(&m_nStop, 1);
    if (m_hProgressEvent) ::SetEvent(m_hProgressEvent);
    if (m_hLoaderThread) {
        // Messages sent to this thread meanwhile are answered, so an indicator that asks the
        // window something cannot hold the loader up for good.
        while (::MsgWaitForMultipleObjects(1, &m_hLoaderThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        ::CloseHandle(m_hLoaderThread);
        m_hLoaderThread = NULL;
    }
    if (m_hTimerEvent) ::CloseHandle(m_hTimerEvent);
    if (m_hProgressEvent) ::CloseHandle(m_hProgressEvent);
    m_hTimerEvent = m_hProgressEvent = NULL;
    if (started) OnLoadEnd();
}

DWORD WINAPI CLazyTreeCtrl::LoaderThread(LPVOID param)
{
    CLazyTreeCtrl* self = static_cast<CLazyTreeCtrl*>(param);
    HANDLE events[2] = {self->m_hTimerEvent, self->m_hProgressEvent};
    while (!self->m_nStop) {
        const DWORD r = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (self->m_nStop || r == WAIT_FAILED) break;
        self->OnLoadProgress(r == WAIT_OBJECT_0, self->m_nPhase, self->m_nCount);
    }
    return 0;
}

void CLazyTreeCtrl::TakeSnapshot()
{
    CRect rc;
    GetClientRect(&rc);
    m_snapshot.DeleteObject();
    m_bSnapshotValid = FALSE;
    if (rc.IsRectEmpty()) return;
    CClientDC window(this);
    CDC mem;
    if (!mem.CreateCompatibleDC(&window) || !m_snapshot.CreateCompatibleBitmap(&window, rc.Width(), rc.Height())) return;
    CGdiSelector select(mem, &m_snapshot);
    mem.BitBlt(0, 0, rc.Width(), rc.Height(), &window, 0, 0, SRCCOPY);
    m_bSnapshotValid = TRUE;
}

BOOL CLazyTreeCtrl::OnEraseBkgnd(CDC* pDC)
{
    if (!m_bSnapshotValid) return (BOOL)Default();
    // The tree does not draw while its children change: the picture from before stands in, and
    // the indicator is drawn again on top of it.
    CDC mem;
    if (mem.CreateCompatibleDC(pDC)) {
        CGdiSelector select(mem, &m_snapshot);
        const CSize size = m_snapshot.GetBitmapSize();
        pDC->BitBlt(0, 0, size.cx, size.cy, &mem, 0, 0, SRCCOPY);
    }
    if (m_hProgressEvent) ::SetEvent(m_hProgressEvent);
    return TRUE;
}

void CLazyTreeCtrl::OnDestroy()
{
    StopLoader();
    Default();
}
