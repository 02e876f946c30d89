// CPresetSettingsDialog: "Preset Settings", the name and the video and audio settings of one
// preset of one format, edited for the preset manager.
#pragma once

#include "converter/presets/PresetEditDialog.h"

class CPresetSettingsDialog : public CPresetEditDialog {
public:
    CPresetSettingsDialog(CMediaFormat* pFormat, CWnd* pParentWnd);

    // The preset to edit; set before the dialog runs.
    void SetPreset(CMediaPreset* pPreset) { m_pPreset = pPreset; }
    virtual void LoadPreset();
    // Name and settings into the preset; 0 lets OK close the dialog.
    virtual int ApplySettings();

    CString m_strName;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
