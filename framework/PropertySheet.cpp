// Property sheets run modeless under our own modal loop, so pages get PreTranslateMessage and
// the sheet's messages pass through its object like a dialog's.
#include "framework/PropertySheet.h"

#include "framework/Thread.h"

namespace {

void SetNotifyResult(HWND hWnd, LRESULT* pResult, LRESULT value)
{
    // Returned by the window procedure, and stored for code that reads the dialog's result slot.
    *pResult = value;
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, value);
}

} // namespace

// ---- CPropertyPage

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CPropertyPage(MAKEINTRESOURCEW(nIDTemplate), nIDCaption)
{
    m_nIDHelp = nIDTemplate;
}

CPropertyPage::CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption) : CDialog(lpszTemplateName, NULL)
{
    m_psp = PROPSHEETPAGEW();
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.pszTemplate = lpszTemplateName;
    m_psp.pfnDlgProc = &CPropertyPage::PageDlgProc;
    m_psp.lParam = (LPARAM)this;
    if (nIDCaption && m_strCaption.LoadString(nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_strCaption;
    }
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    // The page is bound here: the sheet creates it, and hands over the descriptor copy.
    const PROPSHEETPAGEW* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    CPropertyPage* page = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : NULL;
    if (!page || !page->SubclassWindow(hWnd)) return TRUE;
    page->m_bFirstSetActive = true;
    return page->OnInitDialog();
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    m_bModified = bChanged != FALSE;
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet) ::SendMessageW(sheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_bFirstSetActive) m_bFirstSetActive = false;
    else UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply()
{
    OnOK();
    m_bModified = false;
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
// The sheet ends itself; a page's OK and Cancel only take part in it.
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, pResult);
    switch (hdr->code) {
    case PSN_SETACTIVE: SetNotifyResult(m_hWnd, pResult, OnSetActive() ? 0 : -1); return TRUE;
    case PSN_KILLACTIVE: SetNotifyResult(m_hWnd, pResult, OnKillActive() ? FALSE : TRUE); return TRUE;
    case PSN_APPLY: {
        BOOL ok = OnApply();
        // lParam TRUE: the apply of an OK (the sheet closes unless a page refuses).
        if (m_pSheet) {
            if (!ok) m_pSheet->m_bOkPressed = false;
            else if (reinterpret_cast<PSHNOTIFY*>(lParam)->lParam) m_pSheet->m_bOkPressed = true;
        }
        SetNotifyResult(m_hWnd, pResult, ok ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    }
    case PSN_RESET: OnReset(); SetNotifyResult(m_hWnd, pResult, 0); return TRUE;
    case PSN_QUERYCANCEL: SetNotifyResult(m_hWnd, pResult, OnQueryCancel() ? FALSE : TRUE); return TRUE;
    case PSN_WIZBACK: SetNotifyResult(m_hWnd, pResult, OnWizardBack()); return TRUE;
    case PSN_WIZNEXT: SetNotifyResult(m_hWnd, pResult, OnWizardNext()); return TRUE;
    case PSN_WIZFINISH: SetNotifyResult(m_hWnd, pResult, OnWizardFinish() ? FALSE : TRUE); return TRUE;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
}

// ---- CPropertySheet

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) : m_strCaption(pszCaption)
{
    CommonConstruct(pParentWnd, iSelectPage);
}

CPropertySheet::~CPropertySheet() {}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage)
{
    m_psh = PROPSHEETHEADERW();
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.nStartPage = iSelectPage;
    m_pParentWnd = pParentWnd;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage) return;
    pPage->m_pSheet = this;
    m_pages.push_back(pPage);
    if (m_hWnd) {
        HPROPSHEETPAGE h = ::CreatePropertySheetPageW(&pPage->m_psp);
        if (h && !::SendMessageW(m_hWnd, PSM_ADDPAGE, 0, (LPARAM)h)) ::DestroyPropertySheetPage(h);
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) { RemovePage(GetPageIndex(pPage)); }

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= (int)m_pages.size()) return;
    if (m_hWnd) ::SendMessageW(m_hWnd, PSM_REMOVEPAGE, (WPARAM)nPage, 0);
    m_pages[nPage]->m_pSheet = NULL;
    m_pages.erase(m_pages.begin() + nPage);
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == pPage) return (int)i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    if (!m_hWnd) return GetPage((int)m_psh.nStartPage);
    HWND hPage = (HWND)::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
    for (CPropertyPage* page : m_pages)
        if (page->m_hWnd && page->m_hWnd == hPage) return page;
    return NULL;
}

int CPropertySheet::GetActiveIndex() const
{
    if (!m_hWnd) return (int)m_psh.nStartPage;
    return GetPageIndex(GetActivePage());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= (int)m_pages.size()) return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)::SendMessageW(m_hWnd, PSM_SETCURSEL, (WPARAM)nPage, 0);
}

void CPropertySheet::SetTitle(LPCWSTR lpszText, UINT nStyle)
{
    m_strCaption = lpszText;
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd) ::SendMessageW(m_hWnd, PSM_SETTITLEW, nStyle, (LPARAM)lpszText);
}

INT_PTR CPropertySheet::Build(bool modeless, HWND hOwner)
{
    AfxInitCommonControls();
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : m_pages) {
        page->m_psp.hInstance = AfxGetResourceHandle();
        page->m_pSheet = this;
        HPROPSHEETPAGE h = ::CreatePropertySheetPageW(&page->m_psp);
        if (!h) {
            for (HPROPSHEETPAGE made : handles) ::DestroyPropertySheetPage(made);
            return -1;
        }
        handles.push_back(h);
    }
    PROPSHEETHEADERW psh = m_psh;
    psh.dwFlags = (psh.dwFlags & ~(PSH_PROPSHEETPAGE | PSH_USECALLBACK)) | PSH_MODELESS;
    psh.hwndParent = hOwner;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = m_strCaption;
    psh.nPages = (UINT)handles.size();
    psh.phpage = handles.data();
    if (psh.nStartPage >= psh.nPages) psh.nStartPage = 0;
    m_bModeless = modeless;
    m_bOkPressed = false;
    m_bEnded = false;

    INT_PTR r = 0;
    {
        detail::CSubclassNextWindow bind(this);
        r = ::PropertySheetW(&psh);
    }
    // The sheet owns the page handles it took; on failure nothing was taken.
    if (r == 0 || r == -1 || !m_hWnd) {
        if (m_hWnd) DestroyWindow();
        return -1;
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    HWND hOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWnd()->GetSafeHwnd();
    if (hOwner && ::GetWindowThreadProcessId(hOwner, NULL) != ::GetCurrentThreadId() && !m_pParentWnd) hOwner = NULL;
    while (hOwner && (::GetWindowLongPtrW(hOwner, GWL_STYLE) & WS_CHILD)) hOwner = ::GetParent(hOwner);
    bool enableOwner = hOwner && ::IsWindowEnabled(hOwner);
    if (enableOwner) ::EnableWindow(hOwner, FALSE);
    m_nModalResult = IDCANCEL;
    if (Build(false, hOwner) != 0) {
        if (enableOwner) ::EnableWindow(hOwner, TRUE);
        return -1;
    }
    bool idle = true;
    LONG idleCount = 0;
    MSG msg = {};
    // A modeless sheet reports its end by having no current page any more.
    auto open = [this] { return !m_bEnded && m_hWnd && ::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) != 0; };
    while (open()) {
        if (idle && !::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (!::SendMessageW(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++)) idle = false;
            continue;
        }
        BOOL r = ::GetMessageW(&msg, NULL, 0, 0);
        if (r == 0 || r == -1) {
            ::PostQuitMessage(r == 0 ? (int)msg.wParam : 0);
            m_bOkPressed = false;
            break;
        }
        if (!AfxWalkPreTranslateTree(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != 0x0118) {
            idle = true;
            idleCount = 0;
        }
    }
    if (!m_bEnded) m_nModalResult = m_bOkPressed ? IDOK : IDCANCEL;
    if (m_hWnd) ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enableOwner) ::EnableWindow(hOwner, TRUE);
    if (hOwner) ::SetActiveWindow(hOwner);
    if (m_hWnd) DestroyWindow();
    return m_nModalResult;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    m_pParentWnd = pParentWnd;
    if (Build(true, pParentWnd->GetSafeHwnd()) != 0) return FALSE;
    if (dwStyle != (DWORD)-1) ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (LONG_PTR)dwStyle);
    if (dwExStyle) ModifyStyleEx(0, dwExStyle);
    return TRUE;
}

void CPropertySheet::EndDialog(int nEndID)
{
    m_nModalResult = nEndID;
    m_bEnded = true;
    if (m_bModeless) DestroyWindow();
    else if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))) return FALSE;
    return (BOOL)::SendMessageW(m_hWnd, PSM_ISDIALOGMESSAGE, 0, (LPARAM)pMsg);
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // The system builds the tabs and pages first; the sheet's own set-up follows.
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        OnInitDialog();
        return r;
    }
    if (message == WM_COMMAND && (HIWORD(wParam) == BN_CLICKED || lParam == 0)) {
        // The button, or PSM_PRESSBUTTON, which may skip the button's own notification.
        if (LOWORD(wParam) == IDOK) m_bOkPressed = true;
        else if (LOWORD(wParam) == IDCANCEL) m_bOkPressed = false;
    }
    if (message == WM_KICKIDLE) {
        // The active page follows its update handlers, as a dialog does.
        if (CPropertyPage* page = GetActivePage()) return ::SendMessageW(page->m_hWnd, WM_KICKIDLE, wParam, lParam);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CPropertySheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    // As a dialog: only menu commands go on; the sheet's OK, Cancel and the pages' controls are
    // the sheet's own, whatever the owner does with the same ids.
    if ((nCode != (int)CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI) || nID < 0x8000 || nID >= 0xF000) return FALSE;
    CWnd* owner = CWnd::FromHandlePermanent(::GetWindow(m_hWnd, GW_OWNER));
    if (owner && owner != this && owner->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinThread* thread = AfxGetThread();
    return thread && thread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
