// The "Preset Settings" dialog.
#include "converter/presets/PresetSettingsDialog.h"

#include "conversion/MediaPreset.h"
#include "converter/app/ConverterResource.h"

CPresetSettingsDialog::CPresetSettingsDialog(CMediaFormat* pFormat, CWnd* pParentWnd)
    : CPresetEditDialog(IDD_PRESET_SETTINGS, pParentWnd)
{
    m_pFormat = pFormat;
}

BOOL CPresetSettingsDialog::OnInitDialog()
{
    CPresetEditDialog::OnInitDialog();
    // The record's field holds 63 characters and its terminator.
    SendDlgItemMessage(IDC_PRESET_NAME, EM_LIMITTEXT, PRESET_TEXT_SIZE - 1, 0);
    LoadPreset();
    return TRUE;
}

void CPresetSettingsDialog::LoadPreset()
{
    m_strName = m_pPreset ? CString(m_pPreset->Settings.Name) : CString();
    SetDlgItemText(IDC_PRESET_NAME, m_strName);
    ShowPresetValues();
}

int CPresetSettingsDialog::ApplySettings()
{
    if (!m_pPreset)
        return 0;
    GetDlgItemText(IDC_PRESET_NAME, m_strName);
    SetPresetText(m_pPreset->Settings.Name, m_strName);
    StoreControls(*m_pPreset);
    return 0;
}

void CPresetSettingsDialog::OnOK()
{
    UpdateData(TRUE);
    if (ApplySettings() == 0)
        EndDialog(IDOK);
}
