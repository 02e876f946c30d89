// CLazyTreeCtrl: a tree control whose items get their children only when they are first
// expanded; while the children load, a "Loading..." child shows and a loader thread keeps a busy
// indicator moving (from a multimedia timer and from the loading code's progress reports).
#pragma once

#include "framework/Controls.h"

class CLazyTreeCtrl : public CTreeCtrl {
public:
    CLazyTreeCtrl();
    ~CLazyTreeCtrl() override;

    // ---- virtual operations, in slot order
    // Before the loader thread starts, on the UI thread.
    virtual void OnLoadBegin(HTREEITEM hItem);
    // On the loader thread: after each timer tick (bFromTimer) or progress report.
    virtual void OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount);
    // After the loader thread has ended, on the UI thread.
    virtual void OnLoadEnd();
    // Whether an item's children are thrown away on collapse and loaded again on expand.
    virtual BOOL ShouldReload(HTREEITEM hItem);
    // Inserts the item's children (on the UI thread, while the indicator runs); the number inserted.
    virtual int LoadChildren(HTREEITEM hItem) = 0;

    // The loading code's progress: phase 0 with a count while the total is unknown, phase 1
    // (count 1) at the end; the indicator redraws at once.
    void ReportProgress(int nPhase, int nCount);
    // Expanding an item loads its children when it has none.
    BOOL IsLoading() const { return m_bLoading; }
    HTREEITEM GetLoadingItem() const { return m_hLoadingItem; }
    // Milliseconds between the timer's ticks; 0 runs no timer.
    void SetTimerPeriod(UINT nPeriod) { m_nTimerPeriod = nPeriod; }
    UINT GetTimerPeriod() const { return m_nTimerPeriod; }
    // Whether the "Loading..." child is shown (and the tree redrawn) before the load starts.
    void ShowSpinner(BOOL bShow) { m_bSpinner = bShow; }
    BOOL IsSnapshotShown() const { return m_bSnapshotValid; }
    // Throws an item's children away; the item keeps its expander so they can load again.
    void DeleteChildren(HTREEITEM hItem);

    static LPCWSTR PlaceholderText() { return L"Loading..."; }

protected:
    BOOL m_bLoading = FALSE;
    HTREEITEM m_hLoadingItem = NULL;
    HTREEITEM m_hPlaceholder = NULL;
    CString m_strPlaceholder;
    // Written by the loading code on the UI thread, read by the loader thread.
    volatile LONG m_nPhase = 0;
    volatile LONG m_nCount = 0;
    HANDLE m_hLoaderThread = NULL;
    HANDLE m_hTimerEvent = NULL;
    HANDLE m_hProgressEvent = NULL;
    UINT m_nTimerId = 0;
    volatile LONG m_nStop = 0;
    UINT m_nTimerPeriod = 0;
    BOOL m_bSpinner = TRUE;
    CBitmap m_snapshot;
    BOOL m_bSnapshotValid = FALSE;

    void RunLoad(HTREEITEM hItem);
    void StartLoader(HTREEITEM hItem);
    void StopLoader();
    void TakeSnapshot();
    static DWORD WINAPI LoaderThread(LPVOID param);

    BOOL OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
