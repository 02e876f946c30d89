// Path combo boxes with shell completion, dropped paths and the recent-folders list.
#include "converter/kit/FolderComboBox.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "converter/app/ConverterMessages.h"
#include "converter/kit/ConverterHelpers.h"
#include "toolkit/RecentList.h"

namespace {

typedef HRESULT(WINAPI* ShAutoCompleteFn)(HWND, DWORD);

HWND EditOf(const CWnd& combo)
{
    return (HWND)::SendMessageW(combo.GetSafeHwnd(), CBEM_GETEDITCONTROL, 0, 0);
}

void SetEditText(CWnd& combo, LPCWSTR text)
{
    if (HWND edit = EditOf(combo))
        ::SetWindowTextW(edit, text);
    else
        combo.SetWindowText(text);
}

}  // namespace

bool EnableShellAutoComplete(HWND hEdit, DWORD flags)
{
    if (!hEdit || !::IsWindow(hEdit))
        return false;
    HMODULE library = ::LoadLibraryW(L"SHLWAPI.DLL");
    if (!library)
        return false;
    bool ok = false;
    FARPROC proc = ::GetProcAddress(library, "SHAutoComplete");
    if (proc) {
        ShAutoCompleteFn fn;
        static_assert(sizeof(fn) == sizeof(proc), "function pointers of one size");
        memcpy(&fn, &proc, sizeof(fn));
        ok = SUCCEEDED(fn(hEdit, flags));
    }
    ::FreeLibrary(library);
    return ok;
}

DWORD AutoCompleteFlagsForMode(int mode)
{
    const DWORD always = SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON | SHACF_USETAB;
    switch (mode) {
    case CFolderComboBox::MODE_FILES:
        return always | SHACF_FILESYS_ONLY;
    case CFolderComboBox::MODE_FOLDERS:
        return always | SHACF_FILESYS_DIRS;
    default:
        return always | SHACF_FILESYSTEM;
    }
}

// CFolderComboBox -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFolderComboBox, CImageComboBox)
    ON_WM_DROPFILES()
END_MESSAGE_MAP()

CFolderComboBox::CFolderComboBox() : m_nMode(MODE_FOLDERS), m_bAutoCompleteOn(FALSE), m_bAutoCompleteTried(FALSE) {}

BOOL CFolderComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CImageComboBox::Create(dwStyle, rect, pParentWnd, nID))
        return FALSE;
    SetupAutoComplete();
    return TRUE;
}

BOOL CFolderComboBox::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!CImageComboBox::SubclassDlgItem(nID, pParent))
        return FALSE;
    SetupAutoComplete();
    return TRUE;
}

void CFolderComboBox::SetupAutoComplete()
{
    if (m_bAutoCompleteTried || !m_hWnd)
        return;
    m_bAutoCompleteTried = TRUE;
    m_bAutoCompleteOn = EnableShellAutoComplete(EditOf(*this), AutoCompleteFlagsForMode(m_nMode)) ? TRUE : FALSE;
}

int CFolderComboBox::AddPath(int nIndex, LPCWSTR lpszPath, UINT nIconFlags)
{
    const int icon = GetFileIconIndex(lpszPath, nIconFlags);
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = nIndex;
    item.pszText = const_cast<LPWSTR>(lpszPath ? lpszPath : L"");
    item.iImage = icon;
    item.iSelectedImage = icon;
    return InsertItem(&item);
}

void CFolderComboBox::SetPath(LPCWSTR lpszPath, BOOL bAdd)
{
    if (!lpszPath || !*lpszPath)
        return;
    const int found = FindItemExact(0, lpszPath);
    if (found >= 0) {
        int image = -1, selected = -1;
        GetItemImages(found, image, selected);
        const CString text = GetItemText(found);
        DeleteItem(found);
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = 0;
        item.pszText = const_cast<LPWSTR>(text.GetString());
        item.iImage = image;
        item.iSelectedImage = selected;
        SetCurSel(InsertItem(&item));
    } else if (bAdd) {
        SetCurSel(AddPath(0, lpszPath));
    } else {
        SetCurSel(-1);
        SetEditText(*this, lpszPath);
    }
}

bool CFolderComboBox::Accepts(LPCWSTR lpszPath) const
{
    const DWORD attributes = ::GetFileAttributesW(lpszPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // Modes other than files or folders alone take both.
    const int mode = (m_nMode == MODE_FILES || m_nMode == MODE_FOLDERS) ? m_nMode : MODE_BOTH;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? (mode & MODE_FOLDERS) != 0 : (mode & MODE_FILES) != 0;
}

void CFolderComboBox::TakeDroppedPaths(HDROP hDrop)
{
    const UINT count = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH + 1] = L"";
        if (::DragQueryFileW(hDrop, i, path, MAX_PATH + 1) && Accepts(path))
            SetPath(path, TRUE);
    }
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    ::SetForegroundWindow(top ? top : m_hWnd);
}

void CFolderComboBox::OnDropFiles(HDROP hDropInfo)
{
    TakeDroppedPaths(hDropInfo);
    ::DragFinish(hDropInfo);
}

// CRecentFolderComboBox -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CRecentFolderComboBox, CFolderComboBox)
    ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, OnDropDown)
    ON_CONTROL_REFLECT_EX(CBN_SELCHANGE, OnSelChange)
    ON_CONTROL_REFLECT_EX(CBN_EDITCHANGE, OnEditChange)
    ON_MESSAGE(WM_RESTORE_TEXT, OnRestoreText)
END_MESSAGE_MAP()

CRecentFolderComboBox::CRecentFolderComboBox() : m_pRecentList(nullptr), m_nExtraItem(-1) {}

void CRecentFolderComboBox::SetRecentList(CRecentList* pList, LPCWSTR lpszExtraText)
{
    m_pRecentList = pList;
    m_strExtraItemText = lpszExtraText ? lpszExtraText : L"";
    Refill();
}

void CRecentFolderComboBox::Refill()
{
    if (!m_hWnd)
        return;
    const CString text = GetEditText();
    ResetContent();
    m_nExtraItem = -1;
    int added = 0;
    if (m_pRecentList) {
        for (int i = 0; i < m_pRecentList->GetCount(); ++i) {
            const CString& entry = m_pRecentList->GetAt(i);
            if (!entry.IsEmpty() && AddPath(added, entry) >= 0)
                ++added;
        }
    }
    if (added > 0 && !m_strExtraItemText.IsEmpty()) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = added;
        item.pszText = const_cast<LPWSTR>(m_strExtraItemText.GetString());
        item.iImage = I_IMAGENONE;
        item.iSelectedImage = I_IMAGENONE;
        m_nExtraItem = InsertItem(&item);
    }
    // Emptying the items must not take the destination the user sees with them.
    if (GetEditText() != text)
        SetEditText(*this, text);
}

int CRecentFolderComboBox::GetExtraItem() const
{
    if (!m_pRecentList || m_strExtraItemText.IsEmpty() || m_nExtraItem >= GetCount())
        return -1;
    return m_nExtraItem;
}

void CRecentFolderComboBox::SetPath(LPCWSTR lpszPath, BOOL bAdd)
{
    Refill();
    CFolderComboBox::SetPath(lpszPath, bAdd);
    m_strTextBefore = GetEditText();
}

BOOL CRecentFolderComboBox::OnEditChange()
{
    // The combo also reports the text it shows for a chosen item: the clear item is no destination.
    const CString text = GetEditText();
    if (m_strExtraItemText.IsEmpty() || text != m_strExtraItemText)
        m_strTextBefore = text;
    return FALSE;
}

BOOL CRecentFolderComboBox::OnDropDown()
{
    m_strTextBefore = GetEditText();
    Refill();
    return CImageComboBox::OnDropDown();
}

BOOL CRecentFolderComboBox::OnSelChange()
{
    const int extra = GetExtraItem();
    const int selection = GetCurSel();
    if (extra >= 0 && selection == extra) {
        m_pRecentList->RemoveAll();
        ResetContent();
        m_nExtraItem = -1;
        // The combo writes the chosen item's text into its edit after this notice: put the
        // destination back once it has.
        PostMessage(WM_RESTORE_TEXT);
        SetEditText(*this, m_strTextBefore);
        return TRUE;
    }
    if (selection >= 0)
        m_strTextBefore = GetItemText(selection);
    return FALSE;
}

LRESULT CRecentFolderComboBox::OnRestoreText(WPARAM, LPARAM)
{
    if (GetEditText() != m_strTextBefore)
        SetEditText(*this, m_strTextBefore);
    return 0;
}
