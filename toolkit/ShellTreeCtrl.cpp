// The shell folder tree and its two busy indicators.
#include "toolkit/ShellTreeCtrl.h"

#include <shlwapi.h>

#include <algorithm>

namespace {

const UINT kSpinnerCursorId = 135;
const COLORREF kProgressFill = 0xFF8000;  // COLORREF: an azure blue

// The steps SelectPath asks the tree's own thread to take.
enum SelectStep { StepRoot, StepFindChild, StepSelect };
struct CSelectStepArgs {
    SelectStep step;
    HTREEITEM item;
    LPCITEMIDLIST pidl;
};

UINT SelectStepMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"Toolkit.ShellTree.SelectStep");
    return message;
}

bool IsEmptyIDList(LPCITEMIDLIST pidl)
{
    return !pidl || pidl->mkid.cb == 0;
}

CString StrRetText(STRRET& str, LPCITEMIDLIST pidl)
{
    wchar_t buffer[MAX_PATH] = L"";
    // Wide text, an offset into the ID list, or ANSI text: all come out wide (and freed).
    if (FAILED(::StrRetToBufW(&str, pidl, buffer, MAX_PATH))) return CString();
    return buffer;
}

COLORREF TreeBackground(HWND tree)
{
    const COLORREF c = TreeView_GetBkColor(tree);
    return c == (COLORREF)-1 ? ::GetSysColor(COLOR_WINDOW) : c;
}

} // namespace

// ---- the shell tree

BEGIN_MESSAGE_MAP(CShellTreeCtrl, CLazyTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_GETDISPINFOW, OnGetDispInfo)
    ON_NOTIFY_REFLECT(TVN_DELETEITEMW, OnDeleteItem)
END_MESSAGE_MAP()

CShellTreeCtrl::CShellTreeCtrl()
{
    SetTimerPeriod(125);
}

CShellTreeCtrl::~CShellTreeCtrl()
{
    if (m_pDesktop) m_pDesktop->Release();
}

void CShellTreeCtrl::FreeItem(CShellItemData* pItem)
{
    if (!pItem) return;
    if (pItem->pParentFolder) pItem->pParentFolder->Release();
    ::CoTaskMemFree(pItem->pidl);
    ::CoTaskMemFree(pItem->pidlAbsolute);
    delete pItem;
}

CShellItemData* CShellTreeCtrl::GetShellItem(HTREEITEM hItem) const
{
    if (!hItem || !m_hWnd) return NULL;
    return reinterpret_cast<CShellItemData*>(GetItemData(hItem));
}

BOOL CShellTreeCtrl::FillTree(LPCITEMIDLIST pidlRoot, UINT nFlags)
{
    DeleteAllItems();
    if (!m_pDesktop && FAILED(::SHGetDesktopFolder(&m_pDesktop))) return FALSE;

    LPITEMIDLIST absolute = NULL;
    if (pidlRoot)
        absolute = ::ILClone(pidlRoot);
    else
        ::SHGetSpecialFolderLocation(NULL, CSIDL_DESKTOP, &absolute);
    if (!absolute) return FALSE;

    SHFILEINFOW sfi = {};
    m_hSystemImages = (HIMAGELIST)::SHGetFileInfoW((LPCWSTR)absolute, 0, &sfi, sizeof(sfi),
                                                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    if (m_hSystemImages) TreeView_SetImageList(m_hWnd, m_hSystemImages, TVSIL_NORMAL);

    CShellItemData* root = new CShellItemData{NULL, NULL, absolute, nFlags};
    if (IsEmptyIDList(absolute)) {
        root->pParentFolder = m_pDesktop;
        m_pDesktop->AddRef();
        root->pidl = ::ILClone(absolute);
    } else {
        LPCITEMIDLIST last = NULL;
        if (FAILED(::SHBindToParent(absolute, IID_IShellFolder, (void**)&root->pParentFolder, &last)) || !last) {
            FreeItem(root);
            return FALSE;
        }
        root->pidl = ::ILClone(last);
    }
    ::SHGetFileInfoW((LPCWSTR)absolute, 0, &sfi, sizeof(sfi), SHGFI_PIDL | SHGFI_DISPLAYNAME);
    const int image = IconIndex(root, FALSE), selected = IconIndex(root, TRUE);

    TVINSERTSTRUCTW ins = {};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    ins.item.pszText = sfi.szDisplayName;
    ins.item.iImage = image;
    ins.item.iSelectedImage = selected;
    ins.item.cChildren = 1;
    ins.item.lParam = (LPARAM)root;
    if (!InsertItem(&ins)) {
        FreeItem(root);
        return FALSE;
    }
    return TRUE;
}

IShellFolder* CShellTreeCtrl::BindItemFolder(const CShellItemData* pItem) const
{
    if (!pItem || !m_pDesktop) return NULL;
    IShellFolder* folder = NULL;
    if (IsEmptyIDList(pItem->pidlAbsolute)) {
        folder = m_pDesktop;
        folder->AddRef();
    } else if (FAILED(pItem->pParentFolder->BindToObject(pItem->pidl, NULL, IID_IShellFolder, (void**)&folder))) {
        folder = NULL;
    }
    return folder;
}

CString CShellTreeCtrl::DisplayName(const CShellItemData* pItem) const
{
    if (pItem->nFlags & STIF_SHOWPATH) {
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW(pItem->pidlAbsolute, path) && path[0])
            return (pItem->nFlags & STIF_WHOLEPATH) ? CString(path) : CString(::PathFindFileNameW(path));
    }
    const SHGDNF how = ((pItem->nFlags & STIF_WHOLEPATH) ? SHGDN_NORMAL : SHGDN_INFOLDER) | SHGDN_INCLUDE_NONFILESYS;
    STRRET str = {};
    if (FAILED(pItem->pParentFolder->GetDisplayNameOf(pItem->pidl, how, &str))) return CString();
    return StrRetText(str, pItem->pidl);
}

int CShellTreeCtrl::IconIndex(const CShellItemData* pItem, BOOL bOpen) const
{
    SHFILEINFOW sfi = {};
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    if (bOpen) flags |= SHGFI_OPENICON;
    if (!::SHGetFileInfoW((LPCWSTR)pItem->pidlAbsolute, 0, &sfi, sizeof(sfi), flags)) return 0;
    return sfi.iIcon;
}

int CShellTreeCtrl::HasChildren(const CShellItemData* pItem) const
{
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_REMOVABLE | SFGAO_HASSUBFOLDER;
    LPCITEMIDLIST child = pItem->pidl;
    if (FAILED(pItem->pParentFolder->GetAttributesOf(1, &child, &attributes))) return 0;
    if (!(attributes & SFGAO_FOLDER)) return 0;
    return (pItem->nFlags & STIF_NONFOLDERS) || (attributes & (SFGAO_REMOVABLE | SFGAO_HASSUBFOLDER)) ? 1 : 0;
}

BOOL CShellTreeCtrl::InsertShellItem(HTREEITEM hParent, IShellFolder* pFolder, LPITEMIDLIST pidlChild,
                                      const CShellItemData* pParent)
{
    LPITEMIDLIST absolute = ::ILCombine(pParent->pidlAbsolute, pidlChild);
    if (!absolute) return FALSE;
    CShellItemData* data = new CShellItemData{pFolder, pidlChild, absolute, pParent->nFlags & 0x0F};
    pFolder->AddRef();

    SFGAOF attributes = SFGAO_GHOSTED | SFGAO_SHARE | SFGAO_LINK;
    LPCITEMIDLIST child = pidlChild;
    if (FAILED(pFolder->GetAttributesOf(1, &child, &attributes))) attributes = 0;

    CString text;
    TVINSERTSTRUCTW ins = {};
    ins.hParent = hParent;
    ins.hInsertAfter = TVI_LAST;
    TVITEMW& item = ins.item;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM | TVIF_STATE;
    item.lParam = (LPARAM)data;
    item.stateMask = TVIS_CUT | TVIS_OVERLAYMASK;
    item.state = (attributes & SFGAO_GHOSTED) ? TVIS_CUT : 0;
    if (attributes & SFGAO_SHARE)
        item.state |= INDEXTOOVERLAYMASK(1);
    else if (attributes & SFGAO_LINK)
        item.state |= INDEXTOOVERLAYMASK(2);
    if (m_nDeferred & TVIF_TEXT) {
        item.pszText = LPSTR_TEXTCALLBACKW;
    } else {
        text = DisplayName(data);
        item.pszText = const_cast<LPWSTR>(text.GetString());
    }
    item.iImage = (m_nDeferred & TVIF_IMAGE) ? I_IMAGECALLBACK : IconIndex(data, FALSE);
    item.iSelectedImage = (m_nDeferred & TVIF_SELECTEDIMAGE) ? I_IMAGECALLBACK : IconIndex(data, TRUE);
    item.cChildren = (m_nDeferred & TVIF_CHILDREN) ? I_CHILDRENCALLBACK : HasChildren(data);
    if (!InsertItem(&ins)) {
        data->pidl = NULL;  // the caller still owns the child ID list
        FreeItem(data);
        return FALSE;
    }
    return TRUE;
}

int CALLBACK CShellTreeCtrl::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM)
{
    const CShellItemData* a = reinterpret_cast<const CShellItemData*>(lParam1);
    const CShellItemData* b = reinterpret_cast<const CShellItemData*>(lParam2);
    if (!a || !b || !a->pParentFolder) return 0;
    const HRESULT hr = a->pParentFolder->CompareIDs(0, a->pidl, b->pidl);
    return FAILED(hr) ? 0 : (short)HRESULT_CODE(hr);
}

int CShellTreeCtrl::LoadChildren(HTREEITEM hItem)
{
    const CShellItemData* parent = GetShellItem(hItem);
    IShellFolder* folder = BindItemFolder(parent);
    ReportProgress(0, 0);
    int inserted = 0;
    if (folder) {
        SHCONTF what = SHCONTF_FOLDERS;
        if (parent->nFlags & STIF_NONFOLDERS) what |= SHCONTF_NONFOLDERS;
        if (parent->nFlags & STIF_HIDDEN) what |= SHCONTF_INCLUDEHIDDEN;
        IEnumIDList* list = NULL;
        if (folder->EnumObjects(m_hWnd, what, &list) == S_OK && list) {
            LPITEMIDLIST child = NULL;
            ULONG got = 0;
            while (list->Next(1, &child, &got) == S_OK && got == 1) {
                if (InsertShellItem(hItem, folder, child, parent))
                    ReportProgress(0, ++inserted);
                else
                    ::CoTaskMemFree(child);
            }
            list->Release();
        }
        if (inserted > 0) {
            TVSORTCB sort = {hItem, &CShellTreeCtrl::CompareItems, 0};
            SortChildrenCB(&sort);
        }
        folder->Release();
    }
    ReportProgress(1, 1);
    return inserted;
}

BOOL CShellTreeCtrl::ShouldReload(HTREEITEM hItem)
{
    const CString path = GetItemPath(hItem);
    if (path.IsEmpty()) return FALSE;
    wchar_t root[MAX_PATH];
    lstrcpynW(root, path, MAX_PATH);
    if (!::PathStripToRootW(root)) return FALSE;
    return ::GetDriveTypeW(root) != DRIVE_FIXED;
}

CString CShellTreeCtrl::GetItemPath(HTREEITEM hItem) const
{
    const CShellItemData* data = GetShellItem(hItem);
    wchar_t path[MAX_PATH] = L"";
    if (!data || !::SHGetPathFromIDListW(data->pidlAbsolute, path)) return CString();
    return path;
}

CString CShellTreeCtrl::GetItemDisplayName(HTREEITEM hItem) const
{
    const CShellItemData* data = GetShellItem(hItem);
    return data ? DisplayName(data) : CString();
}

HTREEITEM CShellTreeCtrl::FindChildItem(HTREEITEM hParent, LPCITEMIDLIST pidlAbsolute)
{
    if (!hParent || !pidlAbsolute || !m_pDesktop) return NULL;
    Expand(hParent, TVE_EXPAND);
    for (HTREEITEM child = GetChildItem(hParent); child; child = GetNextSiblingItem(child)) {
        const CShellItemData* data = GetShellItem(child);
        if (!data) continue;
        const HRESULT hr = m_pDesktop->CompareIDs(0, data->pidlAbsolute, pidlAbsolute);
        if (SUCCEEDED(hr) && HRESULT_CODE(hr) == 0) return child;
    }
    return NULL;
}

HTREEITEM CShellTreeCtrl::SelectPath(LPCWSTR lpszPath, volatile LONG* pStop)
{
    if (!lpszPath || !m_hWnd) return NULL;
    auto stopped = [&] { return pStop && *pStop; };
    auto step = [&](SelectStep what, HTREEITEM item, LPCITEMIDLIST pidl) {
        CSelectStepArgs args = {what, item, pidl};
        return (HTREEITEM)::SendMessageW(m_hWnd, SelectStepMessage(), 0, (LPARAM)&args);
    };

    CString path(lpszPath);
    path.Replace(L'/', L'\\');
    if (path.Right(1) != L"\\") path += L"\\";

    // The calling thread's own view of the namespace, so no interface crosses threads.
    IShellFolder* desktop = NULL;
    if (FAILED(::SHGetDesktopFolder(&desktop))) return NULL;
    LPITEMIDLIST drives = NULL;
    ::SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &drives);
    HTREEITEM current = drives ? step(StepFindChild, step(StepRoot, NULL, NULL), drives) : NULL;
    ::CoTaskMemFree(drives);

    for (int start = 0; current && !stopped();) {
        const int end = path.Find(L'\\', start);
        if (end < 0) break;
        const bool emptyPart = end == start;
        start = end + 1;
        if (emptyPart) continue;
        CString prefix = path.Left(end + 1);
        LPITEMIDLIST pidl = NULL;
        ULONG eaten = 0;
        if (FAILED(desktop->ParseDisplayName(NULL, NULL, prefix.GetBuffer(), &eaten, &pidl, NULL)) || !pidl) break;
        prefix.ReleaseBuffer();
        HTREEITEM child = step(StepFindChild, current, pidl);
        ::CoTaskMemFree(pidl);
        if (!child) break;
        current = child;
    }
    desktop->Release();
    if (current && !stopped()) step(StepSelect, current, NULL);
    return current;
}

LRESULT CShellTreeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SelectStepMessage() && lParam) {
        const CSelectStepArgs* args = reinterpret_cast<const CSelectStepArgs*>(lParam);
        switch (args->step) {
        case StepRoot: return (LRESULT)GetRootItem();
        case StepFindChild: return (LRESULT)FindChildItem(args->item, args->pidl);
        case StepSelect:
            SelectItem(args->item);
            EnsureVisible(args->item);
            return (LRESULT)args->item;
        }
        return 0;
    }
    return CLazyTreeCtrl::WindowProc(message, wParam, lParam);
}

void CShellTreeCtrl::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVDISPINFOW* info = reinterpret_cast<NMTVDISPINFOW*>(pNMHDR);
    *pResult = 0;
    const CShellItemData* data = reinterpret_cast<const CShellItemData*>(info->item.lParam);
    if (!data) return;
    TVITEMW& item = info->item;
    if ((item.mask & TVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        lstrcpynW(item.pszText, DisplayName(data), item.cchTextMax);
    if (item.mask & TVIF_IMAGE) item.iImage = IconIndex(data, FALSE);
    if (item.mask & TVIF_SELECTEDIMAGE) item.iSelectedImage = IconIndex(data, TRUE);
    if (item.mask & TVIF_CHILDREN) item.cChildren = HasChildren(data);
    // Worked out once: the tree keeps the answers.
    item.mask |= TVIF_DI_SETITEM;
}

void CShellTreeCtrl::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWW* tv = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    FreeItem(reinterpret_cast<CShellItemData*>(tv->itemOld.lParam));
    *pResult = 0;
}

// ---- the progress bar

int CColorShellTreeCtrl::FillWidth(int nPhase, int nCount)
{
    if (nCount <= 0) return 0;
    if (nPhase > 0) return std::min(kBarWidth, nCount * kBarWidth / nPhase);
    // While the total is unknown the bar creeps on, half full at 16 items, never quite full.
    return (int)std::min<long long>(kBarWidth - 1, (long long)nCount * kBarWidth / (nCount + 16));
}

void CColorShellTreeCtrl::OnLoadBegin(HTREEITEM hItem)
{
    CRect text;
    GetItemRect(hItem, &text, TRUE);
    const int middle = (text.top + text.bottom) / 2;
    m_rcProgress.SetRect(text.right + 2, middle - 7, text.right + 2 + kBarWidth + 4, middle + 7);
    m_rcProgressInner = m_rcProgress;
    m_rcProgressInner.DeflateRect(2, 2);
    m_rcProgressInner.right = m_rcProgressInner.left;
    m_frameBrush.DeleteObject();
    m_fillBrush.DeleteObject();
    m_frameBrush.CreateSysColorBrush(COLOR_BTNFACE);
    m_fillBrush.CreateSolidBrush(kProgressFill);
    m_crBackground = TreeBackground(m_hWnd);
}

void CColorShellTreeCtrl::OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount)
{
    if (bFromTimer || m_rcProgress.IsRectEmpty()) return;
    CClientDC dc(m_hWnd);
    dc.FrameRect(&m_rcProgress, &m_frameBrush);
    CRect inner(m_rcProgress);
    inner.DeflateRect(2, 2);
    CRect fill(inner);
    fill.right = fill.left + FillWidth(nPhase, nCount);
    m_rcProgressInner = fill;
    dc.FillRect(&fill, &m_fillBrush);
    CRect rest(fill.right, inner.top, inner.right, inner.bottom);
    dc.FillSolidRect(&rest, m_crBackground);
}

void CColorShellTreeCtrl::OnLoadEnd()
{
    m_frameBrush.DeleteObject();
    m_fillBrush.DeleteObject();
    // The tree paints the area anew once it redraws.
    if (m_hWnd && !m_rcProgress.IsRectEmpty()) InvalidateRect(&m_rcProgress, TRUE);
    m_rcProgress.SetRectEmpty();
}

// ---- the spinner

CBusyShellTreeCtrl::CBusyShellTreeCtrl() {}

CBusyShellTreeCtrl::~CBusyShellTreeCtrl()
{
    if (m_hSpinner) ::DestroyCursor(m_hSpinner);
}

void CBusyShellTreeCtrl::OnLoadBegin(HTREEITEM hItem)
{
    CColorShellTreeCtrl::OnLoadBegin(hItem);
    int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (m_hSystemImages) ImageList_GetIconSize(m_hSystemImages, &cx, &cy);
    if (!m_hSpinner)
        m_hSpinner = (HCURSOR)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kSpinnerCursorId), IMAGE_CURSOR,
                                           cx, cy, 0);
    CRect text;
    GetItemRect(hItem, &text, TRUE);
    const int top = (text.top + text.bottom - cy) / 2;
    m_rcSpinner.SetRect(text.left - cx - 3, top, text.left - 3, top + cy);
    m_nSpinnerFrame = 0;
    m_nFramesShown = 0;
    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(m_crBackground);
}

void CBusyShellTreeCtrl::OnLoadProgress(BOOL bFromTimer, int nPhase, int nCount)
{
    if (!bFromTimer) {
        CColorShellTreeCtrl::OnLoadProgress(bFromTimer, nPhase, nCount);
        return;
    }
    if (!m_hSpinner || m_rcSpinner.IsRectEmpty()) return;
    const LONG frame = (m_nSpinnerFrame + 1) % kSpinnerFrames;
    m_nSpinnerFrame = frame;
    CClientDC dc(m_hWnd);
    dc.DrawIcon(m_rcSpinner.left, m_rcSpinner.top, m_hSpinner, m_rcSpinner.Width(), m_rcSpinner.Height(), (UINT)frame,
                (HBRUSH)m_backgroundBrush.GetSafeHandle(), DI_NORMAL);
    ::InterlockedIncrement(&m_nFramesShown);
}

void CBusyShellTreeCtrl::OnLoadEnd()
{
    CColorShellTreeCtrl::OnLoadEnd();
    m_backgroundBrush.DeleteObject();
    if (m_hWnd && !m_rcSpinner.IsRectEmpty()) InvalidateRect(&m_rcSpinner, TRUE);
    m_rcSpinner.SetRectEmpty();
}
