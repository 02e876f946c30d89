// CPropertySheet and CPropertyPage: tabbed dialogs whose pages exchange data like dialogs.
#pragma once

#include "framework/Dialog.h"

#include <prsht.h>
#include <vector>

class CPropertySheet;

// A page: a child dialog template shown in a sheet. Its data is read (UpdateData(TRUE)) when
// the page is left and when the sheet applies; it is filled again when it becomes active.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption = 0);

    // Enables the sheet's Apply button (or clears this page's change mark).
    void SetModified(BOOL bChanged = TRUE);
    CPropertySheet* GetSheet() const { return m_pSheet; }

    virtual BOOL OnSetActive();
    // FALSE keeps the page (a validation failed).
    virtual BOOL OnKillActive();
    // OK and Apply: the default calls OnOK and accepts; FALSE refuses and keeps the sheet open.
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    void OnOK() override;
    void OnCancel() override;
    virtual LRESULT OnWizardBack() { return 0; }
    virtual LRESULT OnWizardNext() { return 0; }
    virtual BOOL OnWizardFinish() { return TRUE; }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    PROPSHEETPAGEW m_psp;

protected:
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    CString m_strCaption;
    CPropertySheet* m_pSheet = NULL;
    bool m_bFirstSetActive = true;
    bool m_bModified = false;
    friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
public:
    CPropertySheet() { CommonConstruct(NULL, 0); }
    // pParentWnd NULL: the calling thread's main window owns a modal run.
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int nPage) const { return nPage >= 0 && nPage < (int)m_pages.size() ? m_pages[nPage] : NULL; }
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
    void SetTitle(LPCWSTR lpszText, UINT nStyle = 0);
    CWnd* GetTabControl() const { return FromHandle((HWND)::SendMessageW(m_hWnd, PSM_GETTABCONTROL, 0, 0)); }

    // IDOK when the sheet closed with OK, IDCANCEL otherwise, -1 when it could not be shown.
    virtual INT_PTR DoModal();
    // Modeless; the sheet stays until DestroyWindow.
    virtual BOOL Create(CWnd* pParentWnd = NULL, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
    void EndDialog(int nEndID);
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Flags (PSH_NOAPPLYNOW, PSH_NOCONTEXTHELP...) may be changed before DoModal or Create.
    PROPSHEETHEADERW m_psh;
    CWnd* m_pParentWnd = NULL;

protected:
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    INT_PTR Build(bool modeless, HWND hOwner);

    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    INT_PTR m_nModalResult = IDCANCEL;
    bool m_bModeless = false;
    bool m_bOkPressed = false;
    bool m_bEnded = false;
    friend class CPropertyPage;
};
