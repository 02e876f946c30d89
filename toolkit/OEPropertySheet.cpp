// The settings sheets' base.
#include "toolkit/OEPropertySheet.h"

#include "toolkit/ToolkitHost.h"

COEPropertySheet::COEPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
}

COEPropertySheet::COEPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage)
{
}

void COEPropertySheet::UseVersion1Pages()
{
    for (int i = 0; i < GetPageCount(); ++i) GetPage(i)->m_psp.dwSize = PROPSHEETPAGEW_V1_SIZE;
}

INT_PTR COEPropertySheet::DoModal()
{
    UseVersion1Pages();
    return CPropertySheet::DoModal();
}

BOOL COEPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    UseVersion1Pages();
    return CPropertySheet::Create(pParentWnd, dwStyle, dwExStyle);
}

BOOL COEPropertySheet::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    CToolkitHost* host = GetToolkitHost();
    CFont* font = host ? host->GetNormalFont() : NULL;
    if (font && font->GetSafeHandle()) {
        const WPARAM hFont = (WPARAM)font->GetSafeHandle();
        SendMessage(WM_SETFONT, hFont, TRUE);
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageW(child, WM_SETFONT, hFont, TRUE);
    }
    if (GetPageCount() > 0) SetActivePage(0);
    return result;
}
