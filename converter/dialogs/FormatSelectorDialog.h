// CFormatSelectorDialog: the output format and preset choice that the three conversion dialogs
// share: the format list under its headings, the format's presets, "Advanced..." (the format
// settings) and the presets the preset manager may take away.
#pragma once

#include "converter/kit/FormatComboBox.h"
#include "converter/kit/OEDialog.h"
#include "converter/presets/PresetManagerDialog.h"

class CMediaFormat;
class CMediaPreset;
class CPresetStore;

class CFormatSelectorDialog : public COEDialog, public CPresetManagerClient {
public:
    CFormatSelectorDialog(UINT nIDTemplate, CWnd* pParentWnd);
    ~CFormatSelectorDialog() override;

    virtual int RefreshSelection();
    // The controls read; the format key and preset name follow the selection. 0.
    virtual int ApplySelection();
    virtual void FillFormatCombo();
    virtual void FillPresetCombo();
    virtual void SelectFormat(int row);
    virtual void SelectPreset(int row);
    // The first row of a format with that key (any case), selected with its first preset; -1.
    virtual int SelectFormatById(LPCWSTR key);

    // The preset manager is about to destroy presets: a selected one of them is let go untouched.
    void OnPresetsReleased(CMediaFormat* pFormat) override;

    CPresetStore* GetStore() const;
    CMediaFormat* GetSelectedFormat() const { return m_pSelectedFormat; }
    CMediaPreset* GetSelectedPreset() const { return m_pSelectedPreset; }

    CString m_strFormatKey;
    CString m_strPresetName;
    CMediaFormat* m_pSelectedFormat;
    CMediaPreset* m_pSelectedPreset;
    CFormatComboBox m_formatCombo;
    CFormatComboBox m_presetCombo;
    int m_nFormatRow;
    int m_nPresetRow;

protected:
    BOOL OnInitDialog() override;
    void OnFormatChange();
    void OnPresetChange();
    void OnFormatSettings();
    // The preset row a format is chosen with: its remembered row, else its default, kept inside
    // its list.
    int StartPresetRow(const CMediaFormat* format) const;
    void ChangeFormat(int row);
    DECLARE_MESSAGE_MAP()
};
