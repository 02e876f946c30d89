// The preset manager.
#include "converter/presets/PresetManagerDialog.h"

#include <algorithm>

#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterResource.h"
#include "converter/presets/PresetSettingsDialog.h"
#include "framework/CmdUI.h"

namespace {

const int kMargin = 12;
const int kGrip = 12;
const UINT kButtons[] = {IDC_ADD_PRESET, IDC_DELETE_PRESET, IDC_EDIT_PRESET, IDC_DEFAULT_PRESET,
                         IDC_MOVE_UP,    IDC_MOVE_DOWN,     IDC_RESET_PRESETS, IDC_RESET_ALL_PRESETS};

CRect ChildRect(CWnd* parent, UINT id)
{
    CRect rect(0, 0, 0, 0);
    if (CWnd* child = parent->GetDlgItem((int)id)) {
        child->GetWindowRect(&rect);
        parent->ScreenToClient(&rect);
    }
    return rect;
}

}  // namespace

void ClampLastPreset(CMediaFormat& format)
{
    const int count = format.Presets ? (int)format.Presets->GetSize() : 0;
    if (format.LastPreset >= count)
        format.LastPreset = count - 1;
}

BEGIN_MESSAGE_MAP(CPresetManagerDialog, COEDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_NOTIFY(TVN_SELCHANGEDW, IDC_FORMAT_TREE, OnTreeSelChanged)
    ON_NOTIFY(NM_DBLCLK, IDC_PRESETS, OnListDblClk)
    ON_BN_CLICKED(IDC_ADD_PRESET, OnAddPreset)
    ON_BN_CLICKED(IDC_DELETE_PRESET, OnDeletePreset)
    ON_BN_CLICKED(IDC_EDIT_PRESET, OnEditPreset)
    ON_BN_CLICKED(IDC_DEFAULT_PRESET, OnDefaultPreset)
    ON_BN_CLICKED(IDC_MOVE_UP, OnMoveUp)
    ON_BN_CLICKED(IDC_MOVE_DOWN, OnMoveDown)
    ON_BN_CLICKED(IDC_RESET_PRESETS, OnResetPresets)
    ON_BN_CLICKED(IDC_RESET_ALL_PRESETS, OnResetAllPresets)
    ON_UPDATE_COMMAND_UI(IDC_ADD_PRESET, OnUpdateNeedsFormat)
    ON_UPDATE_COMMAND_UI(IDC_RESET_PRESETS, OnUpdateNeedsFormat)
    ON_UPDATE_COMMAND_UI(IDC_DELETE_PRESET, OnUpdateDelete)
    ON_UPDATE_COMMAND_UI(IDC_EDIT_PRESET, OnUpdateNeedsSelection)
    ON_UPDATE_COMMAND_UI(IDC_DEFAULT_PRESET, OnUpdateNeedsSelection)
    ON_UPDATE_COMMAND_UI(IDC_MOVE_UP, OnUpdateMoveUp)
    ON_UPDATE_COMMAND_UI(IDC_MOVE_DOWN, OnUpdateMoveDown)
    ON_UPDATE_COMMAND_UI(IDC_RESET_ALL_PRESETS, OnUpdateResetAll)
END_MESSAGE_MAP()

CPresetManagerDialog::CPresetManagerDialog(CPresetStore* pStore, CPresetManagerClient* pClient, CWnd* pParentWnd)
    : COEDialog(IDD_PRESET_MANAGER, pParentWnd),
      ListChanged(0),
      m_pStore(pStore),
      m_pClient(pClient),
      m_pShownFormat(nullptr),
      m_bClosed(false)
{
}

CPresetManagerDialog::~CPresetManagerDialog()
{
    for (CMediaPreset* preset : m_listOnly)
        delete preset;
}

BOOL CPresetManagerDialog::OnInitDialog()
{
    COEDialog::OnInitDialog();
    ModifyStyleEx(0, WS_EX_DLGMODALFRAME);
    m_tree.SubclassDlgItem(IDC_FORMAT_TREE, this);
    m_list.SubclassDlgItem(IDC_PRESETS, this);
    // Given after creation, as the tree makes its check-box images only then.
    m_tree.ModifyStyle(0, TVS_CHECKBOXES);
    m_treeStates.Attach(TreeView_GetImageList(m_tree.m_hWnd, TVSIL_STATE));

    m_treeRect = ChildRect(this, IDC_FORMAT_TREE);
    m_labelRect = ChildRect(this, IDC_PRESETS_LABEL);
    m_listRect = ChildRect(this, IDC_PRESETS);
    m_firstButtonRect = ChildRect(this, IDC_ADD_PRESET);
    m_closeRect = ChildRect(this, IDOK);
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());

    if (m_states.Create(IDB_PRESET_STATES, 16, 1, RGB(255, 255, 255)))
        m_list.SetImageList(&m_states, LVSIL_STATE);

    m_toolTip.AddTool(GetDlgItem(IDC_ADD_PRESET), L"Add a new preset");
    m_toolTip.AddTool(GetDlgItem(IDC_DELETE_PRESET), L"Delete selected preset(s)");
    m_toolTip.AddTool(GetDlgItem(IDC_EDIT_PRESET), L"Edit selected preset");
    m_toolTip.AddTool(GetDlgItem(IDC_DEFAULT_PRESET), L"Set as default");
    m_toolTip.AddTool(&m_tree, L"Formats\n- Check formats that are frequently used\n- Uncheck formats that are rarely "
                               L"or never used");

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP);
    InsertListColumn(m_list, 0, L"Name", -1, LVCFMT_LEFT, 140, -1);
    InsertListColumn(m_list, 1, L"Settings", -1, LVCFMT_LEFT, 820, 1);
    FillTree();
    return TRUE;
}

void CPresetManagerDialog::FillTree()
{
    m_tree.DeleteAllItems();
    if (!m_pStore)
        return;
    HTREEITEM first = nullptr;
    for (INT_PTR c = 0; c < m_pStore->Categories.GetSize(); ++c) {
        CMediaCategory* category = m_pStore->Categories[c];
        HTREEITEM root = m_tree.InsertItem(TVIF_TEXT | TVIF_PARAM, category->Name, 0, 0, 0, 0, (LPARAM)category,
                                           TVI_ROOT, TVI_LAST);
        SetTreeItemBold(m_tree, root, TRUE);
        m_tree.SetCheck(root, !(category->Flags & CATALOG_HIDDEN));
        if (!first)
            first = root;
        for (INT_PTR f = 0; f < category->Formats.GetSize(); ++f) {
            CMediaFormat* format = category->Formats[f];
            CString text;
            text.Format(L"%s (%s)", format->Name.GetString(), format->Extension.GetString());
            HTREEITEM item = m_tree.InsertItem(TVIF_TEXT | TVIF_PARAM, text, 0, 0, 0, 0, (LPARAM)format, root, TVI_LAST);
            m_tree.SetCheck(item, !(format->Flags & CATALOG_HIDDEN));
        }
        m_tree.Expand(root, TVE_EXPAND);
    }
    if (first) {
        m_tree.EnsureVisible(first);
        HTREEITEM child = m_tree.GetChildItem(first);
        m_tree.SelectItem(child ? child : first);
        // The notice of that selection may not come while the tree is being made.
        if (!m_pShownFormat)
            ShowItem(m_tree.GetSelectedItem());
    }
}

CMediaPreset* CPresetManagerDialog::GetRowPreset(int row) const
{
    if (row < 0 || row >= m_list.GetItemCount())
        return nullptr;
    return reinterpret_cast<CMediaPreset*>(m_list.GetItemData(row));
}

bool CPresetManagerDialog::IsListOnly(const CMediaPreset* pPreset) const
{
    return std::find(m_listOnly.begin(), m_listOnly.end(), pPreset) != m_listOnly.end();
}

void CPresetManagerDialog::SetRow(int row, CMediaPreset* pPreset)
{
    m_list.SetItemText(row, 0, pPreset->Settings.Name);
    m_list.SetItemText(row, 1, m_pShownFormat ? m_pShownFormat->GetPresetSummary(*pPreset) : CString());
    m_list.SetItemData(row, (DWORD_PTR)pPreset);
}

void CPresetManagerDialog::ShowItem(HTREEITEM hItem)
{
    EmptyList();
    m_pShownFormat = nullptr;
    CMediaCatalogItem* item = hItem ? reinterpret_cast<CMediaCatalogItem*>(m_tree.GetItemData(hItem)) : nullptr;
    if (!item || (item->Flags & CATEGORY_ITEM)) {
        m_list.EnableWindow(FALSE);
        return;
    }
    m_pShownFormat = static_cast<CMediaFormat*>(item);
    m_list.EnableWindow(TRUE);
    if (m_pShownFormat->Presets)
        for (INT_PTR i = 0; i < m_pShownFormat->Presets->GetSize(); ++i) {
            CMediaPreset* preset = (*m_pShownFormat->Presets)[i];
            const int row = m_list.InsertItem((int)i, preset->Settings.Name);
            SetRow(row, preset);
        }
    if (m_pShownFormat->DefaultPreset >= 0 && m_pShownFormat->DefaultPreset < m_list.GetItemCount())
        m_list.CheckItem(m_pShownFormat->DefaultPreset);
    ListChanged = 0;
}

void CPresetManagerDialog::EmptyList()
{
    m_list.DeleteAllItems();
    for (CMediaPreset* preset : m_listOnly)
        delete preset;
    m_listOnly.clear();
}

void CPresetManagerDialog::WriteBack()
{
    CMediaFormat* format = m_pShownFormat;
    if (!format)
        return;
    if (!format->Presets)
        format->Presets = new COwningPtrArray<CMediaPreset>;
    std::vector<CMediaPreset*> rows;
    const int count = m_list.GetItemCount();
    for (int row = 0; row < count; ++row) {
        CMediaPreset* preset = GetRowPreset(row);
        if (!preset)
            continue;
        if (!format->Presets->DetachPtr(preset))
            m_listOnly.erase(std::remove(m_listOnly.begin(), m_listOnly.end(), preset), m_listOnly.end());
        rows.push_back(preset);
    }
    // Every preset of the format is a row's (deleted ones left the list at once): nothing is lost.
    format->Presets->RemoveAll();
    for (CMediaPreset* preset : rows)
        format->Presets->Add(preset);
    const int marked = m_list.GetCheckedItem();
    format->DefaultPreset = marked >= 0 ? marked : 0;
    ClampLastPreset(*format);
    ListChanged = 0;
}

int CPresetManagerDialog::FirstSelectedRow() const
{
    return m_list.GetNextItem(-1, LVNI_SELECTED);
}

void CPresetManagerDialog::OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTREEVIEWW* nm = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    *pResult = 0;
    if (m_bClosed)
        return;  // the tree letting go of its items while the dialog goes
    WriteBack();
    ShowItem(nm->itemNew.hItem);
}

INT_PTR CPresetManagerDialog::EditPreset(CMediaPreset* pPreset)
{
    CPresetSettingsDialog dialog(m_pShownFormat, this);
    dialog.SetPreset(pPreset);
    return dialog.DoModal();
}

void CPresetManagerDialog::OnAddPreset()
{
    if (!m_pShownFormat)
        return;
    const int selected = FirstSelectedRow();
    int source = selected;
    if (source < 0) {
        const int marked = m_list.GetCheckedItem();
        source = marked >= 0 ? marked
                 : (m_pShownFormat->DefaultPreset >= 0 && m_pShownFormat->DefaultPreset < m_list.GetItemCount())
                     ? m_pShownFormat->DefaultPreset
                     : -1;
    }
    CMediaPreset* preset = new CMediaPreset;
    if (CMediaPreset* from = GetRowPreset(source))
        m_pShownFormat->InitPreset(preset, from->Settings);
    SetPresetText(preset->Settings.Name, L"New Preset");
    if (EditPreset(preset) != IDOK) {
        delete preset;
        return;
    }
    m_listOnly.push_back(preset);
    const int row = m_list.InsertItem(selected >= 0 ? selected + 1 : m_list.GetItemCount(), preset->Settings.Name);
    SetRow(row, preset);
    SelectListRow(m_list, row, TRUE, TRUE);
    ListChanged = 1;
}

void CPresetManagerDialog::OnDeletePreset()
{
    if (!m_pShownFormat)
        return;
    std::vector<int> rows = GetSelectedRows(m_list);
    for (int row : rows) {
        CMediaPreset* preset = GetRowPreset(row);
        if (preset && preset->UseCount != 0)
            return;  // a conversion dialog holds it
    }
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        CMediaPreset* preset = GetRowPreset(*it);
        m_list.DeleteItem(*it);
        if (!preset)
            continue;
        // Out of the format's list at once, so that nothing there points to it any more.
        if (m_pShownFormat->Presets && m_pShownFormat->Presets->DetachPtr(preset)) {
            const int count = (int)m_pShownFormat->Presets->GetSize();
            if (m_pShownFormat->DefaultPreset >= count)
                m_pShownFormat->DefaultPreset = count > 0 ? count - 1 : 0;
            ClampLastPreset(*m_pShownFormat);
        } else {
            m_listOnly.erase(std::remove(m_listOnly.begin(), m_listOnly.end(), preset), m_listOnly.end());
        }
        delete preset;
    }
    ListChanged = 1;
}

void CPresetManagerDialog::OnEditPreset()
{
    const int row = FirstSelectedRow();
    CMediaPreset* preset = GetRowPreset(row);
    if (!preset || EditPreset(preset) != IDOK)
        return;
    SetRow(row, preset);
    ListChanged = 1;
}

void CPresetManagerDialog::OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    (void)pNMHDR;
    *pResult = 0;
    if (FirstSelectedRow() >= 0)
        OnEditPreset();
}

void CPresetManagerDialog::OnDefaultPreset()
{
    const int row = FirstSelectedRow();
    if (row < 0 || !m_pShownFormat)
        return;
    m_pShownFormat->DefaultPreset = row;
    m_list.CheckItem(row);
    ListChanged = 1;
}

void CPresetManagerDialog::OnMoveUp()
{
    const int row = FirstSelectedRow();
    if (row <= 0)
        return;
    CMediaPreset* moved = GetRowPreset(row);
    CMediaPreset* other = GetRowPreset(row - 1);
    const int marked = m_list.GetCheckedItem();
    SetRow(row - 1, moved);
    SetRow(row, other);
    // The mark goes with its preset.
    if (marked == row || marked == row - 1) {
        const int now = marked == row ? row - 1 : row;
        m_list.CheckItem(now);
        if (m_pShownFormat)
            m_pShownFormat->DefaultPreset = now;
    }
    SelectListRow(m_list, row - 1, TRUE, TRUE);
    ListChanged = 1;
}

void CPresetManagerDialog::OnMoveDown()
{
    const int row = FirstSelectedRow();
    if (row < 0 || row >= m_list.GetItemCount() - 1)
        return;
    CMediaPreset* moved = GetRowPreset(row);
    CMediaPreset* other = GetRowPreset(row + 1);
    const int marked = m_list.GetCheckedItem();
    SetRow(row + 1, moved);
    SetRow(row, other);
    if (marked == row || marked == row + 1) {
        const int now = marked == row ? row + 1 : row;
        m_list.CheckItem(now);
        if (m_pShownFormat)
            m_pShownFormat->DefaultPreset = now;
    }
    SelectListRow(m_list, row + 1, TRUE, TRUE);
    ListChanged = 1;
}

void CPresetManagerDialog::OnResetPresets()
{
    CMediaFormat* format = m_pShownFormat;
    if (!format)
        return;
    // The conversion dialog lets go of them before they are gone.
    if (m_pClient)
        m_pClient->OnPresetsReleased(format);
    EmptyList();
    format->LoadBuiltInPresets();
    ClampLastPreset(*format);
    ShowItem(m_tree.GetSelectedItem());
}

void CPresetManagerDialog::OnResetAllPresets()
{
    if (!m_pStore)
        return;
    if (m_pClient)
        m_pClient->OnPresetsReleased(nullptr);
    EmptyList();
    for (INT_PTR c = 0; c < m_pStore->Categories.GetSize(); ++c)
        for (INT_PTR f = 0; f < m_pStore->Categories[c]->Formats.GetSize(); ++f) {
            CMediaFormat* format = m_pStore->Categories[c]->Formats[f];
            format->LoadBuiltInPresets();
            ClampLastPreset(*format);
        }
    ShowItem(m_tree.GetSelectedItem());
}

void CPresetManagerDialog::Close()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    WriteBack();
    for (HTREEITEM root = m_tree.GetRootItem(); root; root = m_tree.GetNextSiblingItem(root)) {
        auto Apply = [&](HTREEITEM item) {
            CMediaCatalogItem* entry = reinterpret_cast<CMediaCatalogItem*>(m_tree.GetItemData(item));
            if (!entry)
                return;
            if (m_tree.GetCheck(item))
                entry->Flags &= ~CATALOG_HIDDEN;
            else
                entry->Flags |= CATALOG_HIDDEN;
        };
        Apply(root);
        for (HTREEITEM child = m_tree.GetChildItem(root); child; child = m_tree.GetNextSiblingItem(child))
            Apply(child);
    }
    if (m_pStore) {
        m_pStore->Dirty = 1;
        m_pStore->Save();
    }
}

void CPresetManagerDialog::OnOK()
{
    EndDialog(IDOK);
}

void CPresetManagerDialog::OnCancel()
{
    // Escape and the close box close as "Close" does: the changes are saved in every case, so the
    // conversion dialog must refresh its lists in every case.
    EndDialog(IDOK);
}

void CPresetManagerDialog::OnDestroy()
{
    Close();
    Default();
}

// Layout -------------------------------------------------------------------------------------------------

void CPresetManagerDialog::Layout(int cx, int cy)
{
    if (!m_tree.m_hWnd || cx <= 0 || cy <= 0)
        return;
    const int buttonWidth = m_firstButtonRect.Width();
    const int buttonHeight = m_firstButtonRect.Height();
    HDWP defer = ::BeginDeferWindowPos(4 + (int)(sizeof(kButtons) / sizeof(kButtons[0])));
    auto Place = [&](UINT id, int x, int y, int w, int h) {
        HWND child = ::GetDlgItem(m_hWnd, (int)id);
        if (child && defer)
            defer = ::DeferWindowPos(defer, child, nullptr, x, y, w > 0 ? w : 0, h > 0 ? h : 0,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    Place(IDC_FORMAT_TREE, m_treeRect.left, m_treeRect.top, m_treeRect.Width(), cy - kMargin - m_treeRect.top);
    const int listRight = cx - buttonWidth - 18;
    Place(IDC_PRESETS_LABEL, m_labelRect.left, m_labelRect.top, listRight - m_labelRect.left, m_labelRect.Height());
    Place(IDC_PRESETS, m_listRect.left, m_listRect.top, listRight - m_listRect.left, cy - kMargin - m_listRect.top);
    int y = m_firstButtonRect.top;
    for (UINT id : kButtons) {
        Place(id, cx - kMargin - buttonWidth, y, buttonWidth, buttonHeight);
        y += buttonHeight + 6;
    }
    Place(IDOK, cx - kMargin - m_closeRect.Width(), cy - kMargin - m_closeRect.Height(), m_closeRect.Width(),
          m_closeRect.Height());
    if (defer)
        ::EndDeferWindowPos(defer);
    Invalidate();
}

void CPresetManagerDialog::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0)
        Layout(cx, cy);
}

void CPresetManagerDialog::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    Default();
    lpMMI->ptMinTrackSize.x = kMinWidth;
    lpMMI->ptMinTrackSize.y = kMinHeight;
}

void CPresetManagerDialog::OnPaint()
{
    CPaintDC dc(this);
    CConverterEnvironment* environment = GetConverterEnvironment();
    // Systems since Windows NT 6.0 draw the grip of a sizable window themselves.
    if (!environment || environment->osVersion.IsVistaOrLater() || !environment->smallImages.GetSafeHandle())
        return;
    CRect client;
    GetClientRect(&client);
    environment->smallImages.Draw(&dc, 0, CPoint(client.right - kGrip, client.bottom - kGrip), ILD_TRANSPARENT);
}

void CPresetManagerDialog::OnLButtonDown(UINT nFlags, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    const bool corner = point.x >= client.right - kGrip && point.y >= client.bottom - kGrip;
    // A dialog without a caption-free frame part to hold: the corner sizes, the rest moves.
    CPoint screen = point;
    ClientToScreen(&screen);
    ::ReleaseCapture();
    SendMessage(WM_NCLBUTTONDOWN, corner ? HTBOTTOMRIGHT : HTCAPTION, MAKELPARAM(screen.x, screen.y));
    COEDialog::OnLButtonDown(nFlags, point);
}

// Button states ------------------------------------------------------------------------------------------

void CPresetManagerDialog::OnUpdateNeedsFormat(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pShownFormat != nullptr);
}

void CPresetManagerDialog::OnUpdateDelete(CCmdUI* pCmdUI)
{
    std::vector<int> rows = GetSelectedRows(m_list);
    bool free = !rows.empty();
    for (int row : rows) {
        CMediaPreset* preset = GetRowPreset(row);
        if (preset && preset->UseCount != 0)
            free = false;
    }
    pCmdUI->Enable(free);
}

void CPresetManagerDialog::OnUpdateNeedsSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FirstSelectedRow() >= 0);
}

void CPresetManagerDialog::OnUpdateMoveUp(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FirstSelectedRow() > 0);
}

void CPresetManagerDialog::OnUpdateMoveDown(CCmdUI* pCmdUI)
{
    const int row = FirstSelectedRow();
    pCmdUI->Enable(row >= 0 && row < m_list.GetItemCount() - 1);
}

void CPresetManagerDialog::OnUpdateResetAll(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pStore != nullptr);
}
