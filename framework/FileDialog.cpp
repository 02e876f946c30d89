// CFileDialog: building the OPENFILENAME record, the hook, path names, and the replaceable call.
#include "framework/FileDialog.h"

#include "framework/Thread.h"

namespace {

BOOL WINAPI SystemFileDialog(LPOPENFILENAMEW ofn, BOOL open)
{
    return open ? ::GetOpenFileNameW(ofn) : ::GetSaveFileNameW(ofn);
}

FwFileDialogFn volatile g_fileDialog = &SystemFileDialog;

const size_t kFileBufferChars = 0x10000;

// The common dialogs' registered messages, known once a hook has seen its WM_INITDIALOG.
struct CommonDialogMessages {
    UINT lbSelChanged = 0, shareViolation = 0, fileNameOK = 0, help = 0, setRGBColor = 0;
};
CommonDialogMessages g_commdlg;

void RegisterCommonDialogMessages()
{
    if (g_commdlg.help) return;
    g_commdlg.lbSelChanged = ::RegisterWindowMessageW(L"commdlg_LBSelChangedNotify");
    g_commdlg.shareViolation = ::RegisterWindowMessageW(L"commdlg_ShareViolation");
    g_commdlg.fileNameOK = ::RegisterWindowMessageW(L"commdlg_FileNameOK");
    g_commdlg.setRGBColor = ::RegisterWindowMessageW(L"commdlg_SetRGBColor");
    g_commdlg.help = ::RegisterWindowMessageW(L"commdlg_help");
}

// The Help button of the common dialog templates.
const int kHelpButtonId = 0x040E;

} // namespace

FwFileDialogFn FwSetFileDialogFunction(FwFileDialogFn fn)
{
    FwFileDialogFn next = fn ? fn : &SystemFileDialog;
    return reinterpret_cast<FwFileDialogFn>(::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_fileDialog), (PVOID)next));
}

BOOL FwFileDialog(LPOPENFILENAMEW lpofn, BOOL bOpenFileDialog)
{
    FwFileDialogFn fn = reinterpret_cast<FwFileDialogFn>(
        ::InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&g_fileDialog), NULL, NULL));
    return fn(lpofn, bOpenFileDialog);
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                         LPCWSTR lpszFilter, CWnd* pParentWnd, DWORD dwSize)
    : CDialog((UINT)0, pParentWnd), m_bOpenFileDialog(bOpenFileDialog), m_fileBuffer(kFileBufferChars + 1, L'\0')
{
    m_bExplicitParent = pParentWnd != NULL;
    m_nIDHelp = bOpenFileDialog ? AFX_IDD_FILEOPEN : AFX_IDD_FILESAVE;
    m_ofn = OPENFILENAMEW();
    m_ofn.lStructSize = dwSize ? dwSize : sizeof(OPENFILENAMEW);
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = (LPARAM)this;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = (DWORD)kFileBufferChars;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = 64;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName) lstrcpynW(m_fileBuffer.data(), lpszFileName, (int)kFileBufferChars);
    if (lpszFilter) {
        // "a|b|c|d||" becomes the NUL-separated, doubly terminated list the dialog wants.
        m_strFilter = lpszFilter;
        int n = m_strFilter.GetLength();
        wchar_t* p = m_strFilter.GetBufferSetLength(n + 1);
        for (int i = 0; i < n; ++i)
            if (p[i] == L'|') p[i] = L'\0';
        p[n] = L'\0';
        m_ofn.lpstrFilter = p;
    }
}

INT_PTR CFileDialog::DoModal()
{
    size_t used = wcslen(m_fileBuffer.data());
    std::fill(m_fileBuffer.begin() + (ptrdiff_t)used, m_fileBuffer.end(), L'\0');
    HWND hOwner = PreModalOwner();
    m_ofn.hwndOwner = hOwner;
    HWND focus = ::GetFocus();
    BOOL ok = FwFileDialog(&m_ofn, m_bOpenFileDialog);
    if (m_hWnd) Detach();
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    return ok ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        RegisterCommonDialogMessages();
        const OPENFILENAMEW* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        CFileDialog* dlg = ofn ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : NULL;
        if (dlg && !dlg->m_hWnd) dlg->SubclassWindow(hWnd);
        return 0;
    }
    // Only what the object's map left for the dialog procedure arrives here.
    CFileDialog* dlg = dynamic_cast<CFileDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (!dlg) return 0;
    if ((g_commdlg.help && message == g_commdlg.help) || (message == WM_COMMAND && LOWORD(wParam) == kHelpButtonId)) {
        ::SendMessageW(hWnd, WM_COMMAND, ID_HELP, 0);
        return 1;
    }
    if (g_commdlg.shareViolation && message == g_commdlg.shareViolation)
        return dlg->OnShareViolation(reinterpret_cast<LPCWSTR>(lParam));
    if (g_commdlg.fileNameOK && message == g_commdlg.fileNameOK) {
        // An explorer dialog asks through CDN_FILEOK instead.
        if (dlg->m_ofn.Flags & OFN_EXPLORER) return 0;
        return dlg->OnFileNameOK();
    }
    if (g_commdlg.lbSelChanged && message == g_commdlg.lbSelChanged) {
        dlg->OnLBSelChangedNotify((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    }
    return 0;
}

UINT PASCAL CFileDialog::GetRegisteredMessage(LPCWSTR name)
{
    RegisterCommonDialogMessages();
    return ::RegisterWindowMessageW(name);
}

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const OFNOTIFYW* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (!notify) return FALSE;
    LRESULT r = 0;
    switch (notify->hdr.code) {
    case CDN_INITDONE: OnInitDone(); break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_TYPECHANGE: OnTypeChange(); break;
    case CDN_SHAREVIOLATION: r = OnShareViolation(notify->pszFile); break;
    case CDN_FILEOK: r = OnFileNameOK(); break;
    case CDN_HELP:
        // ID_HELP through the routing first; a dialog nobody answers gets the framework's help message.
        if (!OnCommand(MAKEWPARAM(ID_HELP, 0), 0)) SendMessage(WM_COMMANDHELP, 0, 0);
        break;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    *pResult = r;
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, r);
    return TRUE;
}

UINT CFileDialog::OnShareViolation(LPCWSTR) { return OFN_SHAREWARN; }
BOOL CFileDialog::OnFileNameOK() { return FALSE; }
void CFileDialog::OnLBSelChangedNotify(UINT, UINT, UINT) {}
void CFileDialog::OnInitDone() {}
void CFileDialog::OnFileNameChange() {}
void CFileDialog::OnFolderChange() {}
void CFileDialog::OnTypeChange() {}

CString CFileDialog::GetPathName() const
{
    if (m_hWnd) {
        HWND dlg = ::GetParent(m_hWnd);
        wchar_t pattern[MAX_PATH + 1] = {};
        if (::SendMessageW(dlg, CDM_GETSPEC, MAX_PATH, (LPARAM)pattern) > 0 && pattern[0]) {
            wchar_t path[MAX_PATH + 1] = {};
            if (::SendMessageW(dlg, CDM_GETFILEPATH, MAX_PATH, (LPARAM)path) > 0) return CString(path);
        }
        return CString();
    }
    if (m_ofn.Flags & OFN_ALLOWMULTISELECT) {
        POSITION pos = GetStartPosition();
        return pos ? GetNextPathName(pos) : CString();
    }
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    CString path = GetPathName();
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFolderPath() const
{
    CString path = GetPathName();
    int slash = path.ReverseFind(L'\\');
    return slash < 0 ? CString() : path.Left(slash);
}

CString CFileDialog::GetNextPathName(POSITION& pos) const
{
    const wchar_t* p = reinterpret_cast<const wchar_t*>(pos);
    const wchar_t* buffer = m_ofn.lpstrFile;
    if (!p || !buffer) {
        pos = NULL;
        return CString();
    }
    // Explorer multi-selection: the folder, then NUL-separated names ending with an empty one.
    // A single selection is one full path.
    size_t folderLen = wcslen(buffer);
    const wchar_t* firstName = buffer + folderLen + 1;
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || *firstName == L'\0') {
        pos = NULL;
        return CString(buffer);
    }
    if (p == buffer) p = firstName;
    CString name(p);
    const wchar_t* next = p + wcslen(p) + 1;
    pos = *next ? (POSITION)next : NULL;
    CString folder(buffer);
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != L'\\' && folder[folder.GetLength() - 1] != L'/') folder += L'\\';
    return folder + name;
}
