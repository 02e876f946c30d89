// The converter's "Settings" sheet with its one page "General": the automatic update check, what
// to do with an existing output file, and the converter's Explorer context-menu entry.
#pragma once

#include "framework/PropertySheet.h"
#include "toolkit/OEPropertySheet.h"

// The page's radio index for a stored "Overwrite" value (11, 12, 13; anything else prompts) and
// the value stored for an index.
int OverwriteChoiceOf(int overwrite);
int OverwriteOfChoice(int choice);

class CSettingsPage1 : public CPropertyPage {
public:
    CSettingsPage1();

    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_bAutoCheck;
    int m_bContextMenu;
    int m_nExistingFile;
};

class CSettingsSheet : public COEPropertySheet {
public:
    explicit CSettingsSheet(CWnd* pParentWnd = NULL);

    CSettingsPage1 m_page;
};

// The converter's context-menu extension, "Nordane.dll" under the converter's handler keys.
extern const wchar_t kConverterShellHandlerName[];
