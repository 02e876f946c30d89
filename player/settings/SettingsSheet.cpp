// The settings sheet and its three pages.
#include "player/settings/SettingsSheet.h"

#include <algorithm>

#include "engine/SystemHelpers.h"
#include "player/app/SharedResources.h"
#include "player/settings/FileTypeDlg.h"
#include "player/settings/PlayerSettings.h"
#include "player/settings/SettingsSheetResource.h"
#include "toolkit/ShellMenuExtension.h"

namespace {

const int kExtensionColumnWidth = 100;
// The File Type dialog's choices 0..2 stand for the executable's icons 2..4; the page's images
// are the same three icons in that order.
const int kFirstChoiceIcon = FILE_TYPE_ICON_VIDEO;
const int kTypeImageCount = 3;

int ClampCount(int value) { return std::min(std::max(value, 0), MAX_RECENT_COUNT); }

// The profile section of one file type, where its previous owner is kept as "Backup".
CString FileTypeSection(const CString& extension)
{
    CString section;
    section.Format(L"%s\\%s", kFileTypesSection, extension.GetString());
    return section;
}

// The owner the type had before this program, never this program itself.
CString BackupOwner(const CFileTypeAssoc& type)
{
    CString backup;
    if (CWinApp* app = AfxGetApp()) backup = app->GetProfileString(FileTypeSection(type.extension), L"Backup", L"");
    if (backup.CompareNoCase(type.progId) == 0) backup.Empty();
    return backup;
}

// Undoes this program's association of the type, giving the extension back to its old owner.
void GiveBack(CFileTypeAssoc& type)
{
    const CString backup = BackupOwner(type);
    type.RemoveAssociation(backup);
}

}  // namespace

// ---- "General"

CSettingsPage1::CSettingsPage1() : CPropertyPage(IDD_SETTINGS_GENERAL) {}

BOOL CSettingsPage1::OnInitDialog()
{
    if (CPlayerSettings* s = GetPlayerSettings()) {
        loadLastPlaylist = s->loadLastPlaylist ? 1 : 0;
        allowDuplicates = s->allowDuplicates ? 1 : 0;
        alwaysShowControlBar = s->alwaysShowControlBar ? 1 : 0;
        rememberLastPos = s->rememberLastPos ? 1 : 0;
        resumeInterrupted = s->resumeInterrupted ? 1 : 0;
        autoCheckUpdate = s->autoCheckUpdate ? 1 : 0;
        thumbnailWidth = s->thumbnailWidth;
        thumbnailHeight = s->thumbnailHeight;
    }
    CShellMenuExtension extension(kPlayerShellExtensionFileName);
    explorerMenu = extension.IsRegistered() > 0 ? 1 : 0;
    return CPropertyPage::OnInitDialog();
}

void CSettingsPage1::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SETTINGS_LOAD_LAST_PLAYLIST, loadLastPlaylist);
    DDX_Check(pDX, IDC_SETTINGS_ALLOW_DUPLICATES, allowDuplicates);
    DDX_Check(pDX, IDC_SETTINGS_SHOW_CONTROL_BAR, alwaysShowControlBar);
    DDX_Check(pDX, IDC_SETTINGS_REMEMBER_POSITION, rememberLastPos);
    DDX_Check(pDX, IDC_SETTINGS_RESUME_INTERRUPTED, resumeInterrupted);
    DDX_Check(pDX, IDC_SETTINGS_AUTO_CHECK_UPDATE, autoCheckUpdate);
    DDX_Check(pDX, IDC_SETTINGS_EXPLORER_MENU, explorerMenu);
    DDX_Text(pDX, IDC_SETTINGS_THUMBNAIL_WIDTH, thumbnailWidth);
    DDV_MinMaxInt(pDX, thumbnailWidth, MIN_THUMBNAIL_WIDTH, MAX_THUMBNAIL_WIDTH);
    DDX_Text(pDX, IDC_SETTINGS_THUMBNAIL_HEIGHT, thumbnailHeight);
    DDV_MinMaxInt(pDX, thumbnailHeight, MIN_THUMBNAIL_HEIGHT, MAX_THUMBNAIL_HEIGHT);
}

BOOL CSettingsPage1::OnApply()
{
    if (CPlayerSettings* s = GetPlayerSettings()) {
        s->loadLastPlaylist = loadLastPlaylist ? 1 : 0;
        s->allowDuplicates = allowDuplicates ? 1 : 0;
        s->alwaysShowControlBar = alwaysShowControlBar ? 1 : 0;
        s->rememberLastPos = rememberLastPos ? 1 : 0;
        s->resumeInterrupted = resumeInterrupted ? 1 : 0;
        s->autoCheckUpdate = autoCheckUpdate ? 1 : 0;
        s->thumbnailWidth = thumbnailWidth;
        s->thumbnailHeight = thumbnailHeight;
    }
    CShellMenuExtension extension(kPlayerShellExtensionFileName);
    extension.ApplySetting(explorerMenu ? TRUE : FALSE);
    return CPropertyPage::OnApply();
}

// ---- "File Associations"

BEGIN_MESSAGE_MAP(CSettingsPage2, CPropertyPage)
    ON_BN_CLICKED(IDC_SETTINGS_ADD_FILE_TYPE, OnAddFileType)
    ON_BN_CLICKED(IDC_SETTINGS_DELETE_FILE_TYPE, OnDeleteFileType)
END_MESSAGE_MAP()

CSettingsPage2::CSettingsPage2() : CPropertyPage(IDD_SETTINGS_FILE_TYPES)
{
    m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    AddFileTypeIcons(m_images);
}

BOOL CSettingsPage2::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_SETTINGS_FILE_TYPE_LIST, this);
    m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Extension", LVCFMT_LEFT, kExtensionColumnWidth);
    m_list.InsertColumn(1, L"Name", LVCFMT_LEFT,
                        std::max(0, client.Width() - kExtensionColumnWidth - ::GetSystemMetrics(SM_CXVSCROLL)));
    m_list.DeleteAllItems();
    m_types.clear();
    if (CPlayerSettings* s = GetPlayerSettings()) {
        for (INT_PTR i = 0; i < s->fileTypes.GetSize(); ++i) {
            std::unique_ptr<CFileTypeAssoc> copy(new CFileTypeAssoc(*s->fileTypes[i]));
            const BOOL associated = copy->IsAssociated() && copy->IsProgIdWritten();
            AppendRow(std::move(copy), associated);
        }
    }
    return TRUE;
}

int CSettingsPage2::AppendRow(std::unique_ptr<CFileTypeAssoc> type, BOOL bChecked)
{
    CFileTypeAssoc* row = type.get();
    m_types.push_back(std::move(type));
    const int image = row->iconIndex - kFirstChoiceIcon;
    const int index = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, m_list.GetItemCount(), row->extension, 0, 0,
                                        image >= 0 && image < kTypeImageCount ? image : I_IMAGENONE, (LPARAM)row);
    if (index < 0) {
        m_types.pop_back();
        return -1;
    }
    m_list.SetItemText(index, 1, row->description);
    m_list.SetCheck(index, bChecked);
    return index;
}

int CSettingsPage2::GetRowCount() const { return m_list.GetSafeHwnd() ? m_list.GetItemCount() : 0; }

CFileTypeAssoc* CSettingsPage2::GetRowType(int row) const
{
    if (row < 0 || row >= GetRowCount()) return NULL;
    return reinterpret_cast<CFileTypeAssoc*>(m_list.GetItemData(row));
}

BOOL CSettingsPage2::IsRowChecked(int row) const { return row >= 0 && row < GetRowCount() && m_list.GetCheck(row); }

void CSettingsPage2::SetRowChecked(int row, BOOL bChecked)
{
    if (row >= 0 && row < GetRowCount()) m_list.SetCheck(row, bChecked);
}

int CSettingsPage2::FindRow(const CString& extension) const
{
    for (int i = 0; i < GetRowCount(); ++i)
        if (CFileTypeAssoc* type = GetRowType(i))
            if (type->extension.CompareNoCase(extension) == 0) return i;
    return -1;
}

CString CSettingsPage2::NormalizeExtension(const CString& extension)
{
    CString ext = extension;
    ext.Trim();
    if (ext.IsEmpty() || ext.Find(L'\\') >= 0) return CString();
    if (ext[0] != L'.') ext = L"." + ext;
    // A ProgID is the extension without its blanks; a type needs more than the dot.
    CString bare = ext;
    bare.Remove(L' ');
    if (bare.GetLength() < 2) return CString();
    return ext;
}

void CSettingsPage2::OnAddFileType()
{
    CFileTypeDlg dlg(this);
    if (dlg.DoModal() != IDOK) return;
    CString name = dlg.typeName;
    name.Trim();
    const CString extension = NormalizeExtension(dlg.extension);
    if (name.IsEmpty() || extension.IsEmpty() || dlg.iconChoice < 0) return;
    // One row per extension: two rows of one type would undo each other at apply.
    int row = FindRow(extension);
    if (row < 0) {
        std::unique_ptr<CFileTypeAssoc> type(
            new CFileTypeAssoc(extension, MakeFileTypeProgId(extension), name, dlg.iconChoice + kFirstChoiceIcon));
        row = AppendRow(std::move(type), TRUE);
        if (row < 0) return;
    } else {
        m_list.SetCheck(row, TRUE);
    }
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row, FALSE);
}

void CSettingsPage2::OnDeleteFileType()
{
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    CFileTypeAssoc* type = GetRowType(row);
    if (!type) return;
    if (type->IsAssociated()) GiveBack(*type);
    m_list.DeleteItem(row);
    for (auto it = m_types.begin(); it != m_types.end(); ++it) {
        if (it->get() == type) {
            m_types.erase(it);
            break;
        }
    }
}

BOOL CSettingsPage2::OnApply()
{
    CPlayerSettings* s = GetPlayerSettings();
    if (!s || !m_list.GetSafeHwnd()) return CPropertyPage::OnApply();
    const CString exePath = GetModulePath();
    s->fileTypes.RemoveAll();
    for (int i = 0; i < GetRowCount(); ++i) {
        CFileTypeAssoc* row = GetRowType(i);
        if (!row) continue;
        CFileTypeAssoc* type = new CFileTypeAssoc(*row);
        if (m_list.GetCheck(i)) {
            CString previous;
            type->WriteProgId(exePath);
            type->Associate(previous);
            if (!previous.IsEmpty() && previous.CompareNoCase(type->progId) != 0)
                AfxGetApp()->WriteProfileString(FileTypeSection(type->extension), L"Backup", previous);
        } else {
            GiveBack(*type);
        }
        s->fileTypes.Add(type);
    }
    return CPropertyPage::OnApply();
}

// ---- "History"

BEGIN_MESSAGE_MAP(CSettingsPage3, CPropertyPage)
    ON_BN_CLICKED(IDC_SETTINGS_SAVE_RECENT_FILES, OnSaveRecentFilesClicked)
    ON_BN_CLICKED(IDC_SETTINGS_SAVE_RECENT_PLAYLISTS, OnSaveRecentPlaylistsClicked)
    ON_BN_CLICKED(IDC_SETTINGS_CLEAR_RECENT_FILES, OnClearRecentFiles)
    ON_BN_CLICKED(IDC_SETTINGS_CLEAR_RECENT_PLAYLISTS, OnClearRecentPlaylists)
    ON_EN_CHANGE(IDC_SETTINGS_MAX_RECENT_FILES, OnCountChanged)
    ON_EN_CHANGE(IDC_SETTINGS_MAX_RECENT_PLAYLISTS, OnCountChanged)
END_MESSAGE_MAP()

CSettingsPage3::CSettingsPage3() : CPropertyPage(IDD_SETTINGS_HISTORY) {}

BOOL CSettingsPage3::OnInitDialog()
{
    if (CPlayerSettings* s = GetPlayerSettings()) {
        saveRecentFiles = m_loadedSaveRecentFiles = s->saveRecentFiles ? 1 : 0;
        maxRecentFiles = m_loadedMaxRecentFiles = s->maxRecentFiles;
        saveRecentPlaylists = m_loadedSaveRecentPlaylists = s->saveRecentPlaylists ? 1 : 0;
        maxRecentPlaylists = m_loadedMaxRecentPlaylists = s->maxRecentPlaylists;
    }
    CPropertyPage::OnInitDialog();
    EnableCounts();
    return TRUE;
}

void CSettingsPage3::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SETTINGS_SAVE_RECENT_FILES, saveRecentFiles);
    DDX_Text(pDX, IDC_SETTINGS_MAX_RECENT_FILES, maxRecentFiles);
    DDV_MinMaxInt(pDX, maxRecentFiles, 0, MAX_RECENT_COUNT);
    DDX_Check(pDX, IDC_SETTINGS_SAVE_RECENT_PLAYLISTS, saveRecentPlaylists);
    DDX_Text(pDX, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, maxRecentPlaylists);
    DDV_MinMaxInt(pDX, maxRecentPlaylists, 0, MAX_RECENT_COUNT);
}

void CSettingsPage3::EnableCounts()
{
    if (CWnd* files = GetDlgItem(IDC_SETTINGS_MAX_RECENT_FILES))
        files->EnableWindow(IsDlgButtonChecked(IDC_SETTINGS_SAVE_RECENT_FILES) == BST_CHECKED);
    if (CWnd* playlists = GetDlgItem(IDC_SETTINGS_MAX_RECENT_PLAYLISTS))
        playlists->EnableWindow(IsDlgButtonChecked(IDC_SETTINGS_SAVE_RECENT_PLAYLISTS) == BST_CHECKED);
}

BOOL CSettingsPage3::IsChanged()
{
    if (!m_hWnd) return FALSE;
    // A count that is not a number yet counts as changed only against a real number.
    auto count = [this](int id, int loaded) {
        BOOL ok = FALSE;
        const int value = (int)GetDlgItemInt(id, &ok, TRUE);
        return ok ? value : loaded - 1;
    };
    const BOOL files = IsDlgButtonChecked(IDC_SETTINGS_SAVE_RECENT_FILES) == BST_CHECKED;
    const BOOL playlists = IsDlgButtonChecked(IDC_SETTINGS_SAVE_RECENT_PLAYLISTS) == BST_CHECKED;
    if (files != (m_loadedSaveRecentFiles != 0)) return TRUE;
    if (files && count(IDC_SETTINGS_MAX_RECENT_FILES, m_loadedMaxRecentFiles) != m_loadedMaxRecentFiles) return TRUE;
    if (playlists != (m_loadedSaveRecentPlaylists != 0)) return TRUE;
    if (playlists && count(IDC_SETTINGS_MAX_RECENT_PLAYLISTS, m_loadedMaxRecentPlaylists) != m_loadedMaxRecentPlaylists)
        return TRUE;
    return FALSE;
}

void CSettingsPage3::UpdateModified() { SetModified(IsChanged()); }

void CSettingsPage3::OnSaveRecentFilesClicked()
{
    EnableCounts();
    UpdateModified();
}

void CSettingsPage3::OnSaveRecentPlaylistsClicked()
{
    EnableCounts();
    UpdateModified();
}

void CSettingsPage3::OnClearRecentFiles()
{
    if (CPlayerSettings* s = GetPlayerSettings()) s->ClearRecentFiles();
    UpdateModified();
}

void CSettingsPage3::OnClearRecentPlaylists()
{
    if (CPlayerSettings* s = GetPlayerSettings()) s->ClearRecentPlaylists();
    UpdateModified();
}

void CSettingsPage3::OnCountChanged()
{
    // The edits tell of their first text while the page is still being filled.
    if (m_hWnd && IsWindowVisible()) UpdateModified();
}

BOOL CSettingsPage3::OnApply()
{
    if (CPlayerSettings* s = GetPlayerSettings()) {
        s->saveRecentFiles = saveRecentFiles ? 1 : 0;
        s->maxRecentFiles = ClampCount(maxRecentFiles);
        s->saveRecentPlaylists = saveRecentPlaylists ? 1 : 0;
        s->maxRecentPlaylists = ClampCount(maxRecentPlaylists);
    }
    return CPropertyPage::OnApply();
}

// ---- the sheet

CSettingsSheet::CSettingsSheet(CWnd* pParentWnd) : COEPropertySheet(L"Settings", pParentWnd)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    AddPage(&page1);
    AddPage(&page2);
    AddPage(&page3);
}
