// The converter's settings sheet.
#include "converter/app/SettingsSheet.h"

#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "framework/Ddx.h"
#include "toolkit/ShellMenuExtension.h"

const wchar_t kConverterShellHandlerName[] = L"TarveloSoftware.Ravento";

int OverwriteChoiceOf(int overwrite)
{
    switch (overwrite) {
    case 11:
        return 1;
    case 12:
        return 2;
    case 13:
        return 3;
    default:
        return 0;
    }
}

int OverwriteOfChoice(int choice)
{
    static const int values[] = {0, 11, 12, 13};
    return choice >= 0 && choice < 4 ? values[choice] : 0;
}

CSettingsPage1::CSettingsPage1() : CPropertyPage(IDD_SETTINGS_GENERAL), m_bAutoCheck(0), m_bContextMenu(0), m_nExistingFile(0)
{
    if (CConverterSettings* s = GetConverterSettings()) {
        m_bAutoCheck = s->autoCheckUpdate ? 1 : 0;
        m_nExistingFile = OverwriteChoiceOf(s->overwrite);
    }
}

BOOL CSettingsPage1::OnInitDialog()
{
    // The converter's own entry, whichever program's host is set.
    CShellMenuExtension extension(kConverterShellExtensionFileName, kConverterShellHandlerName);
    m_bContextMenu = extension.IsRegistered() > 0 ? 1 : 0;
    CPropertyPage::OnInitDialog();
    return TRUE;
}

void CSettingsPage1::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SETTINGS_AUTO_CHECK, m_bAutoCheck);
    DDX_Check(pDX, IDC_SETTINGS_CONTEXT_MENU, m_bContextMenu);
    DDX_Radio(pDX, IDC_SETTINGS_PROMPT, m_nExistingFile);
}

BOOL CSettingsPage1::OnApply()
{
    if (CConverterSettings* s = GetConverterSettings()) {
        s->autoCheckUpdate = m_bAutoCheck ? 1 : 0;
        s->overwrite = OverwriteOfChoice(m_nExistingFile);
    }
    CShellMenuExtension extension(kConverterShellExtensionFileName, kConverterShellHandlerName);
    extension.ApplySetting(m_bContextMenu ? TRUE : FALSE);
    return CPropertyPage::OnApply();
}

CSettingsSheet::CSettingsSheet(CWnd* pParentWnd) : COEPropertySheet(L"Settings", pParentWnd)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    AddPage(&m_page);
}
