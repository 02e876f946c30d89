// CConvertOptionsDialog: the window class and the message filter every conversion dialog needs.
#include "converter/dialogs/ConvertOptionsDialog.h"

#include "engine/SystemHelpers.h"


CConvertOptionsDialog::CConvertOptionsDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CFormatSelectorDialog(nIDTemplate, pParentWnd)
{
}

BOOL CConvertOptionsDialog::OnInitDialog()
{
    CFormatSelectorDialog::OnInitDialog();
    ::SetClassLongPtrW(m_hWnd, GCL_STYLE, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    // The encoder's progress records come from another process.
    AllowCopyDataMessages();
    return TRUE;
}
