// The shell folder tree: the shell namespace from the desktop down, each folder's children loaded
// when it is first expanded; CColorShellTreeCtrl adds a progress bar beside the folder being
// loaded and CBusyShellTreeCtrl a spinner in place of its icon.
#pragma once

#include "toolkit/LazyTreeCtrl.h"

#include <shlobj.h>

#ifndef SHGDN_INCLUDE_NONFILESYS
#define SHGDN_INCLUDE_NONFILESYS 0x2000  // names of items outside the file system too
#endif

// Item flags of a shell tree (the root's are given to FillTree; children inherit the low four).
#define STIF_NONFOLDERS 0x0001   // files too; a folder always offers an expander
#define STIF_HIDDEN 0x0002       // hidden items too
#define STIF_WHOLEPATH 0x0010    // with STIF_SHOWPATH the whole path, else its last part
#define STIF_SHOWPATH 0x0020     // the file-system path instead of the display name

// One item of the tree: its parent folder (referenced), its own ID list relative to that folder
// and from the desktop (both from the shell allocator), and its flags. Owned by the tree.
struct CShellItemData {
    IShellFolder* pParentFolder;
    LPITEMIDLIST pidl;
    LPITEMIDLIST pidlAbsolute;
    UINT nFlags;
};

class CShellTreeCtrl : public CLazyTreeCtrl {
public:
    CShellTreeCtrl();
    ~CShellTreeCtrl() override;

    // Enumerates the item's folder; progress as phase 0 with each child inserted, phase 1 at the end.
    int LoadChildren(HTREEITEM hItem) override;
    // Folders on drives that are not fixed (removable, optical, network) load afresh every time.
    BOOL ShouldReload(HTREEITEM hItem) override;

    // Which of TVIF_TEXT, TVIF_IMAGE, TVIF_SELECTEDIMAGE and TVIF_CHILDREN are asked for only when
    // the tree shows an item; the others are worked out as the item is inserted.
    void SetDeferredFields(UINT nMask) { m_nDeferred = nMask & (TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN); }
    UINT GetDeferredFields() const { return m_nDeferred; }

    // Makes the root item (the desktop when pidlRoot is null) with the system's small icons.
    BOOL FillTree(LPCITEMIDLIST pidlRoot = NULL, UINT nFlags = 0);
    // Walks a file-system path from the computer's drives down, expanding each folder, and selects
    // the deepest folder found. May run on another thread: every step is done by the tree's own
    // thread through a message. A nonzero *pStop ends the walk between steps.
    HTREEITEM SelectPath(LPCWSTR lpszPath, volatile LONG* pStop = NULL);
    // The child of hParent (expanded first) whose ID list equals pidlAbsolute, or null.
    HTREEITEM FindChildItem(HTREEITEM hParent, LPCITEMIDLIST pidlAbsolute);

    CShellItemData* GetShellItem(HTREEITEM hItem) const;
    // The item's file-system path; empty for a folder without one (the desktop's virtual folders).
    CString GetItemPath(HTREEITEM hItem) const;
    // Shown text of an item as the tree would ask for it.
    CString GetItemDisplayName(HTREEITEM hItem) const;
    IShellFolder* GetDesktopFolder() const { return m_pDesktop; }

protected:
    IShellFolder* m_pDesktop = NULL;
    UINT m_nDeferred = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    HIMAGELIST m_hSystemImages = NULL;

    BOOL InsertShellItem(HTREEITEM hParent, IShellFolder* pFolder, LPITEMIDLIST pidlChild, const CShellItemData* pParent);
    // The item's folder (the desktop for the root), referenced; null when it cannot be opened.
    IShellFolder* BindItemFolder(const CShellItemData* pItem) const;
    CString DisplayName(const CShellItemData* pItem) const;
    int IconIndex(const CShellItemData* pItem, BOOL bOpen) const;
    int HasChildren(const CShellItemData* pItem) const;
    static void FreeItem(CShellItemData* pItem);
    static int CALLBACK CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CColorShellTreeCtrl : public CShellTreeCtrl {
public:
    // The bar: 54 x 14 beside the text of the folder being loaded.
    void OnLoadBegin(HTREEITEM hItem) override;
    // Progress reports fill the bar: count of phase once the total is known, else a share that
    // grows with the count and never fills the bar.
    void OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount) override;
    void OnLoadEnd() override;

    const CRect& GetProgressRect() const { return m_rcProgress; }
    // The width the bar's fill has for a report (0..kBarWidth).
    static int FillWidth(int nPhase, int nCount);
    static constexpr int kBarWidth = 50;

protected:
    CRect m_rcProgress;
    CRect m_rcProgressInner;
    // Taken on the UI thread: the loader thread must not send the tree a message.
    COLORREF m_crBackground = RGB(255, 255, 255);
    CBrush m_frameBrush;
    CBrush m_fillBrush;
};

class CBusyShellTreeCtrl : public CColorShellTreeCtrl {
public:
    CBusyShellTreeCtrl();
    ~CBusyShellTreeCtrl() override;

    // The spinner takes the loading folder's icon place; each timer tick shows its next frame.
    void OnLoadBegin(HTREEITEM hItem) override;
    void OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount) override;
    void OnLoadEnd() override;

    const CRect& GetSpinnerRect() const { return m_rcSpinner; }
    int GetSpinnerFrame() const { return m_nSpinnerFrame; }
    // Frames shown during the last load.
    int GetSpinnerFramesShown() const { return m_nFramesShown; }
    static constexpr int kSpinnerFrames = 10;

protected:
    HCURSOR m_hSpinner = NULL;
    CRect m_rcSpinner;
    volatile LONG m_nSpinnerFrame = 0;
    volatile LONG m_nFramesShown = 0;
    CBrush m_backgroundBrush;
};
