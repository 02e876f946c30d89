// COEPropertySheet: the base of the programs' settings sheets: the shared UI font on the sheet's
// own controls and the first page shown first.
#pragma once

#include "framework/framework.h"

class COEPropertySheet : public CPropertySheet {
public:
    explicit COEPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);
    explicit COEPropertySheet(UINT nIDCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);

    // The pages go to the system as version-1 page records, which every common-controls release
    // takes.
    INT_PTR DoModal() override;
    BOOL Create(CWnd* pParentWnd = NULL, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0) override;
    // The base, then the host's normal font to the sheet and each of its child windows, then
    // page 0 activated.
    BOOL OnInitDialog() override;

private:
    void UseVersion1Pages();
};
