// CAppIconDialog: a conversion dialog with Ravento's icon, big and small, also drawn when minimised.
#pragma once

#include "converter/dialogs/ConvertOptionsDialog.h"

class CAppIconDialog : public CConvertOptionsDialog {
public:
    CAppIconDialog(UINT nIDTemplate, CWnd* pParentWnd);
    ~CAppIconDialog() override;

    HICON m_hBigIcon;
    HICON m_hSmallIcon;

protected:
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
