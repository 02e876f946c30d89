// CFolderBrowser: the shell's folder dialog.
#include "converter/kit/FolderBrowser.h"

#include <shlobj.h>

#include "framework/Effects.h"
#include "framework/Wnd.h"

CFolderBrowser::CFolderBrowser(LPCWSTR lpszTitle, UINT nFlags, CWnd* pOwner)
    : m_pOwner(pOwner),
      m_nFlags(nFlags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEURLS),
      m_strTitle(lpszTitle ? lpszTitle : L""),
      m_nImage(0)
{
}

int CALLBACK CFolderBrowser::BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    CFolderBrowser* self = reinterpret_cast<CFolderBrowser*>(lpData);
    if (uMsg == BFFM_INITIALIZED && self && !self->m_strStartFolder.IsEmpty()) {
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, (LPARAM)self->m_strStartFolder.GetString());
    } else if (uMsg == BFFM_SELCHANGED && lParam) {
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW((PCIDLIST_ABSOLUTE)lParam, path))
            ::SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, (LPARAM)path);
    }
    return 0;
}

int CFolderBrowser::DoModal()
{
    m_strFolder.Empty();
    IMalloc* allocator = nullptr;
    if (FAILED(::SHGetMalloc(&allocator)) || !allocator)
        return 2;
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW info = {};
    info.hwndOwner = m_pOwner->GetSafeHwnd();
    info.pszDisplayName = display;
    info.lpszTitle = m_strTitle;
    info.ulFlags = m_nFlags;
    info.lpfn = &CFolderBrowser::BrowseCallback;
    info.lParam = (LPARAM)this;
    info.iImage = m_nImage;
    int result = 2;
    if (FwItemListPtr chosen = FwBrowseForFolder(&info)) {
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW((PCIDLIST_ABSOLUTE)chosen, path) && path[0]) {
            m_strFolder = path;
            result = 1;
        }
        allocator->Free(chosen);
    }
    allocator->Release();
    return result;
}
