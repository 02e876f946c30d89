// The "Format Settings" dialog.
#include "converter/presets/FormatSettingsDialog.h"

#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterResource.h"

BEGIN_MESSAGE_MAP(CFormatSettingsDialog, CPresetEditDialog)
    ON_CBN_SELCHANGE(IDC_FORMAT_LIST, OnFormatChange)
    ON_CBN_SELCHANGE(IDC_PRESET_LIST, OnPresetChange)
END_MESSAGE_MAP()

CFormatSettingsDialog::CFormatSettingsDialog(CPresetStore* pStore, CMediaFormat* pFormat, CMediaPreset* pPreset,
                                             BOOL bLockFormat, BOOL bLockPreset, CWnd* pParentWnd)
    : CPresetEditDialog(IDD_FORMAT_SETTINGS, pParentWnd),
      m_pStore(pStore),
      m_pInitialFormat(pFormat),
      m_pInitialPreset(pPreset),
      m_bLockFormat(bLockFormat),
      m_bLockPreset(bLockPreset),
      m_nFormatRow(-1),
      m_nPresetRow(-1)
{
}

BOOL CFormatSettingsDialog::OnInitDialog()
{
    CPresetEditDialog::OnInitDialog();
    m_formatList.SubclassDlgItem(IDC_FORMAT_LIST, this);
    m_presetList.SubclassDlgItem(IDC_PRESET_LIST, this);
    if (m_bLockFormat)
        m_formatList.EnableWindow(FALSE);
    if (m_bLockPreset)
        m_presetList.EnableWindow(FALSE);
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        m_formatList.ImageList = environment->GetFormatImages();
    m_formatList.ColumnWidth = 32;
    m_formatList.DetailColor = RGB(0, 0, 255);
    m_formatList.SetItemHeight(-1, 18);
    m_formatList.SetItemHeight(0, 18);
    m_presetList.SetItemHeight(-1, 18);
    m_presetList.SetItemHeight(0, 18);
    RefreshSelection();
    return TRUE;
}

void CFormatSettingsDialog::FillFormatList()
{
    if (m_pStore)
        FillFormatRows(m_formatList, *m_pStore, m_pInitialFormat);
    else
        m_formatList.ResetContent();
}

int CFormatSettingsDialog::RefreshSelection()
{
    FillFormatList();
    int formatRow = 0;
    for (int r = 0; r < m_formatList.GetCount(); ++r)
        if (m_pInitialFormat && m_formatList.GetCatalogItem(r) == m_pInitialFormat)
            formatRow = r;
    m_nFormatRow = -1;
    SelectFormatRow(formatRow);
    int presetRow = 0;
    for (int r = 0; r < m_presetList.GetCount(); ++r)
        if (m_pInitialPreset && (CMediaPreset*)m_presetList.GetItemDataPtr(r) == m_pInitialPreset)
            presetRow = r;
    SelectPresetRow(presetRow);
    return 0;
}

void CFormatSettingsDialog::EnableEverything(bool enable)
{
    if (!m_bLockPreset)
        m_presetList.EnableWindow(enable);
    static const UINT media[] = {IDC_VIDEO_GROUP, IDC_AUDIO_GROUP, IDC_VIDEO_ON, IDC_AUDIO_ON};
    EnableIds(media, enable);
}

void CFormatSettingsDialog::SelectFormatRow(int row)
{
    CMediaFormat* format = m_formatList.SelectFormatAt(row);
    m_nFormatRow = row;
    if (!format) {
        // Nothing but a heading: no format, and nothing to set.
        m_pFormat = nullptr;
        m_pPreset = nullptr;
        m_presetList.ResetContent();
        m_nPresetRow = -1;
        LoadCodecs(nullptr);
        ApplyEnableRules();
        EnableEverything(false);
        return;
    }
    m_pFormat = format;
    EnableEverything(true);
    FillPresetList();
}

void CFormatSettingsDialog::FillPresetList()
{
    m_presetList.ResetContent();
    m_nPresetRow = -1;
    if (!m_pFormat)
        return;
    if (m_pFormat->Presets)
        for (INT_PTR i = 0; i < m_pFormat->Presets->GetSize(); ++i) {
            CMediaPreset* preset = (*m_pFormat->Presets)[i];
            m_presetList.SetItemDataPtr(m_presetList.AddString(preset->Settings.Name), preset);
        }
    m_pFormat->CustomRow = -1;
    if (m_pFormat->CustomPreset) {
        const int row = m_presetList.AddString(L"Custom");
        m_presetList.SetItemDataPtr(row, m_pFormat->CustomPreset);
        m_pFormat->CustomRow = row;
    }
}

CMediaPreset* CFormatSettingsDialog::GetSelectedPreset() const
{
    if (m_nPresetRow < 0 || m_nPresetRow >= m_presetList.GetCount())
        return nullptr;
    return (CMediaPreset*)m_presetList.GetItemDataPtr(m_nPresetRow);
}

void CFormatSettingsDialog::SelectPresetRow(int row)
{
    if (!m_pFormat)
        return;
    if (row < 0 || row >= m_presetList.GetCount())
        row = m_presetList.GetCount() > 0 ? 0 : -1;
    m_presetList.SetCurSel(row);
    m_nPresetRow = row;
    m_pPreset = GetSelectedPreset();
    ShowPresetValues();
}

void CFormatSettingsDialog::OnFormatChange()
{
    // The shown row chosen again changes nothing.
    if (m_formatList.GetCurSel() == m_nFormatRow)
        return;
    const int row = m_formatList.ChosenFormatRow(m_nFormatRow);
    if (row < 0)
        return;
    SelectFormatRow(row);
    if (!m_pFormat)
        return;
    const int presetRow = m_pFormat->LastPreset >= 0 ? m_pFormat->LastPreset : m_pFormat->DefaultPreset;
    SelectPresetRow(presetRow);
}

void CFormatSettingsDialog::OnPresetChange()
{
    const int row = m_presetList.GetCurSel();
    if (row < 0 || row == m_nPresetRow)
        return;
    SelectPresetRow(row);
}

void CFormatSettingsDialog::OnSettingsChanged()
{
    if (!m_pFormat || !m_pFormat->CustomPreset || !m_pPreset)
        return;
    CMediaPreset shown;
    shown.Settings = m_pPreset->Settings;
    shown.VideoCodec = m_pPreset->VideoCodec;
    shown.AudioCodec = m_pPreset->AudioCodec;
    StoreControls(shown);
    const int match = m_pFormat->FindMatchingPreset(shown);
    const int row = match >= 0 ? match : m_pFormat->CustomRow;
    if (row != m_nPresetRow) {
        // Only the list follows; the controls keep what the user set.
        m_presetList.SetCurSel(row);
        m_nPresetRow = row;
    }
}

int CFormatSettingsDialog::ApplySettings()
{
    if (!m_pFormat)
        return 0;
    CMediaPreset* target = m_pFormat->CustomPreset ? m_pFormat->CustomPreset : GetSelectedPreset();
    if (!target)
        return 0;
    StoreControls(*target);
    if (m_pStore)
        m_pStore->Dirty = 1;
    return 0;
}

void CFormatSettingsDialog::OnOK()
{
    UpdateData(TRUE);
    if (ApplySettings() == 0)
        EndDialog(IDOK);
}
