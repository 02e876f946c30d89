// The format and preset choice of the conversion dialogs.
#include "converter/dialogs/FormatSelectorDialog.h"

#include "conversion/MediaPreset.h"
#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterResource.h"
#include "converter/presets/FormatSettingsDialog.h"

BEGIN_MESSAGE_MAP(CFormatSelectorDialog, COEDialog)
    ON_CBN_SELCHANGE(IDC_FORMAT_LIST, OnFormatChange)
    ON_CBN_SELCHANGE(IDC_PRESET_LIST, OnPresetChange)
    ON_BN_CLICKED(IDC_FORMAT_ADVANCED, OnFormatSettings)
END_MESSAGE_MAP()

CFormatSelectorDialog::CFormatSelectorDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : COEDialog(nIDTemplate, pParentWnd),
      m_pSelectedFormat(nullptr),
      m_pSelectedPreset(nullptr),
      m_nFormatRow(1),
      m_nPresetRow(-1)
{
    m_presetCombo.SetRowKind(CFormatComboBox::ROWS_PRESETS);
}

CFormatSelectorDialog::~CFormatSelectorDialog()
{
    if (m_pSelectedPreset && m_pSelectedPreset->UseCount > 0)
        --m_pSelectedPreset->UseCount;
}

CPresetStore* CFormatSelectorDialog::GetStore() const
{
    return GetConverterPresetStore();
}

BOOL CFormatSelectorDialog::OnInitDialog()
{
    COEDialog::OnInitDialog();
    m_formatCombo.SubclassDlgItem(IDC_FORMAT_LIST, this);
    m_presetCombo.SubclassDlgItem(IDC_PRESET_LIST, this);
    if (CWnd* advanced = GetDlgItem(IDC_FORMAT_ADVANCED))
        m_toolTip.AddTool(advanced, L"Video/audio format settings");
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        m_formatCombo.ImageList = environment->GetFormatImages();
    m_formatCombo.ColumnWidth = 32;
    m_formatCombo.DetailColor = RGB(0, 0, 255);
    m_presetCombo.ColumnWidth = 64;
    m_presetCombo.DetailColor = RGB(0, 0, 255);
    for (CFormatComboBox* combo : {&m_formatCombo, &m_presetCombo}) {
        combo->SetItemHeight(-1, 18);
        combo->SetItemHeight(0, 18);
    }
    if (!m_strFormatKey.IsEmpty())
        if (CPresetStore* store = GetStore())
            if ((m_pSelectedFormat = store->FindFormat(m_strFormatKey)) != nullptr) {
                CMediaPreset* preset = m_pSelectedFormat->FindPreset(m_strPresetName);
                if (preset) {
                    m_pSelectedPreset = preset;
                    ++preset->UseCount;
                }
            }
    RefreshSelection();
    return TRUE;
}

void CFormatSelectorDialog::FillFormatCombo()
{
    if (CPresetStore* store = GetStore())
        FillFormatRows(m_formatCombo, *store, m_pSelectedFormat);
    else
        m_formatCombo.ResetContent();
    for (int r = 0; r < m_formatCombo.GetCount(); ++r)
        if (m_pSelectedFormat && m_formatCombo.GetCatalogItem(r) == m_pSelectedFormat)
            m_nFormatRow = r;
}

void CFormatSelectorDialog::FillPresetCombo()
{
    m_presetCombo.ResetContent();
    if (!m_pSelectedFormat)
        return;
    CMediaFormat* format = m_pSelectedFormat;
    if (format->Presets)
        for (INT_PTR i = 0; i < format->Presets->GetSize(); ++i) {
            CMediaPreset* preset = (*format->Presets)[i];
            const int row = m_presetCombo.AddPresetRow(format->GetPresetRowText(*preset, true), preset);
            if (preset == m_pSelectedPreset)
                m_nPresetRow = row;
        }
    format->CustomRow = -1;
    if (format->CustomPreset) {
        const int row = m_presetCombo.AddPresetRow(L"Custom", format->CustomPreset);
        format->CustomRow = row;
        if (format->CustomPreset == m_pSelectedPreset)
            m_nPresetRow = row;
    }
}

void CFormatSelectorDialog::SelectFormat(int row)
{
    m_pSelectedFormat = m_formatCombo.SelectFormatAt(row);
    m_nFormatRow = row;
    const bool format = m_pSelectedFormat != nullptr;
    m_presetCombo.EnableWindow(format);
    if (CWnd* advanced = GetDlgItem(IDC_FORMAT_ADVANCED))
        advanced->EnableWindow(format);
    FillPresetCombo();
}

void CFormatSelectorDialog::SelectPreset(int row)
{
    const int count = m_presetCombo.GetCount();
    if (row >= count)
        row = count - 1;
    m_nPresetRow = row;
    m_presetCombo.SetCurSel(row);
    // A row without a preset is none.
    CMediaPreset* preset = m_presetCombo.GetPreset(row);
    if (preset == m_pSelectedPreset)
        return;
    if (m_pSelectedPreset && m_pSelectedPreset->UseCount > 0)
        --m_pSelectedPreset->UseCount;
    m_pSelectedPreset = preset;
    if (preset)
        ++preset->UseCount;
}

int CFormatSelectorDialog::RefreshSelection()
{
    FillFormatCombo();
    if (m_nFormatRow < 0 || m_nFormatRow >= m_formatCombo.GetCount())
        m_nFormatRow = 0;
    SelectFormat(m_nFormatRow);
    if (m_nPresetRow < 0 || m_nPresetRow >= m_presetCombo.GetCount())
        m_nPresetRow = 0;
    SelectPreset(m_nPresetRow);
    return 0;
}

int CFormatSelectorDialog::StartPresetRow(const CMediaFormat* format) const
{
    if (!format)
        return -1;
    int row = format->LastPreset >= 0 ? format->LastPreset : format->DefaultPreset;
    const int count = m_presetCombo.GetCount();
    if (row >= count)
        row = count - 1;
    if (row < 0 && count > 0)
        row = 0;
    return row;
}

void CFormatSelectorDialog::ChangeFormat(int row)
{
    if (m_pSelectedFormat)
        m_pSelectedFormat->LastPreset = m_nPresetRow;
    if (row < 0)
        return;
    SelectFormat(row);
    m_nPresetRow = -1;
    SelectPreset(StartPresetRow(m_pSelectedFormat));
}

void CFormatSelectorDialog::OnFormatChange()
{
    // A heading reached by moving up passes to the format above it, so that the list can be
    // walked upward past its headings.
    const int row = m_formatCombo.ChosenFormatRow(m_nFormatRow);
    if (row >= 0)
        ChangeFormat(row);
}

void CFormatSelectorDialog::OnPresetChange()
{
    const int row = m_presetCombo.GetCurSel();
    if (row >= 0)
        SelectPreset(row);
}

void CFormatSelectorDialog::OnFormatSettings()
{
    CPresetStore* store = GetStore();
    if (!store || !m_pSelectedFormat)
        return;
    // The dialog lists the formats as this combo does for the same selection, and answers by row.
    FillFormatCombo();
    m_formatCombo.SetCurSel(m_nFormatRow);
    CFormatSettingsDialog dialog(store, m_pSelectedFormat, m_pSelectedPreset, FALSE, FALSE, this);
    if (dialog.DoModal() != IDOK)
        return;
    SelectFormat(dialog.GetFormatRow());
    SelectPreset(dialog.GetPresetRow());
    store->Save();
}

int CFormatSelectorDialog::SelectFormatById(LPCWSTR key)
{
    for (int r = 0; r < m_formatCombo.GetCount(); ++r) {
        const CMediaCatalogItem* item = m_formatCombo.GetCatalogItem(r);
        if (item && !(item->Flags & CATEGORY_ITEM) && key && item->Id.CompareNoCase(key) == 0) {
            SelectFormat(r);
            SelectPreset(0);
            return r;
        }
    }
    return -1;
}

int CFormatSelectorDialog::ApplySelection()
{
    UpdateData(TRUE);
    CMediaFormat* format = nullptr;
    if (m_nFormatRow >= 0) {
        CMediaCatalogItem* item = m_formatCombo.GetCatalogItem(m_nFormatRow);
        if (item && !(item->Flags & CATEGORY_ITEM))
            format = static_cast<CMediaFormat*>(item);
    }
    m_pSelectedFormat = format;
    CMediaPreset* preset = m_nPresetRow >= 0 ? m_presetCombo.GetPreset(m_nPresetRow) : nullptr;
    if (preset != m_pSelectedPreset) {
        if (m_pSelectedPreset && m_pSelectedPreset->UseCount > 0)
            --m_pSelectedPreset->UseCount;
        m_pSelectedPreset = preset;
        if (preset)
            ++preset->UseCount;
    }
    m_strFormatKey.Empty();
    m_strPresetName.Empty();
    if (m_pSelectedFormat)
        m_strFormatKey = m_pSelectedFormat->Id;
    if (m_pSelectedPreset)
        m_strPresetName = m_pSelectedPreset->Settings.Name;
    return 0;
}

void CFormatSelectorDialog::OnPresetsReleased(CMediaFormat* pFormat)
{
    if (!m_pSelectedPreset)
        return;
    if (pFormat && pFormat != m_pSelectedFormat)
        return;
    // Gone in a moment: neither its counter nor anything else of it is touched.
    m_pSelectedPreset = nullptr;
    m_presetCombo.ResetContent();
}
