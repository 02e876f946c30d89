// CFormatSettingsDialog: "Format Settings", the output format and one of its presets with the
// video and audio settings; settings that differ from every preset are the format's "Custom".
#pragma once

#include "converter/kit/FormatComboBox.h"
#include "converter/kit/OwnerDrawComboBox.h"
#include "converter/presets/PresetEditDialog.h"

class CPresetStore;

class CFormatSettingsDialog : public CPresetEditDialog {
public:
    CFormatSettingsDialog(CPresetStore* pStore, CMediaFormat* pFormat, CMediaPreset* pPreset, BOOL bLockFormat,
                          BOOL bLockPreset, CWnd* pParentWnd);

    // Fills the format list and selects the initial format and preset (row 0 when not listed).
    virtual int RefreshSelection();
    // Stores the controls into the format's custom preset (or the selected one) and marks the
    // store changed; 0 lets OK close the dialog.
    virtual int ApplySettings();

    // The rows the caller selects in its own lists after OK.
    int GetFormatRow() const { return m_nFormatRow; }
    int GetPresetRow() const { return m_nPresetRow; }
    CMediaFormat* GetFormat() const { return m_pFormat; }
    // The preset of the selected row.
    CMediaPreset* GetSelectedPreset() const;

    void SelectFormatRow(int row);
    void SelectPresetRow(int row);

    CFormatComboBox m_formatList;
    COwnerDrawComboBox m_presetList;

protected:
    CPresetStore* m_pStore;
    CMediaFormat* m_pInitialFormat;
    CMediaPreset* m_pInitialPreset;
    BOOL m_bLockFormat;
    BOOL m_bLockPreset;
    int m_nFormatRow;
    int m_nPresetRow;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSettingsChanged() override;
    void FillFormatList();
    void FillPresetList();
    void EnableEverything(bool enable);
    void OnFormatChange();
    void OnPresetChange();
    DECLARE_MESSAGE_MAP()
};
