// CDialog: binding a dialog window to its object, the modal loop, routing and data exchange.
#include "framework/Dialog.h"

#include "framework/Ddx.h"
#include "framework/Thread.h"

#include <commctrl.h>

namespace {

LPCDLGTEMPLATEW LoadTemplate(LPCWSTR name, HINSTANCE& hInst)
{
    hInst = AfxGetResourceHandle();
    HRSRC res = ::FindResourceW(hInst, name, (LPCWSTR)RT_DIALOG);
    if (!res) {
        // A dialog that lives in the program while another module serves the strings.
        hInst = ::GetModuleHandleW(NULL);
        res = ::FindResourceW(hInst, name, (LPCWSTR)RT_DIALOG);
    }
    if (!res) return NULL;
    HGLOBAL data = ::LoadResource(hInst, res);
    return data ? (LPCDLGTEMPLATEW)::LockResource(data) : NULL;
}

} // namespace

void AfxInitCommonControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                                                    ICC_COOL_CLASSES | ICC_PAGESCROLLER_CLASS};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate) : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate) {}

CDialog::CDialog(LPCWSTR lpszTemplateName) : m_lpszTemplateName(lpszTemplateName) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd),
      m_bExplicitParent(true) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd), m_bExplicitParent(true) {}

CDialog::~CDialog()
{
    // Named templates are not copied, so only the window needs to go (CWnd does that).
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd)
{
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    m_bExplicitParent = true;
    return lpDialogTemplate != NULL;
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATEW lpTemplate, HWND hWndOwner, HINSTANCE hInst)
{
    if (!lpTemplate || m_hWnd) return FALSE;
    AfxInitCommonControls();
    HWND hWnd = NULL;
    {
        // The dialog's window is the first created (it comes before its controls).
        detail::CSubclassNextWindow bind(this);
        hWnd = ::CreateDialogIndirectParamW(hInst, lpTemplate, hWndOwner, &CDialog::AfxDlgProc, 0);
    }
    if (!hWnd) {
        if (m_hWnd) Detach();
        return FALSE;
    }
    return m_hWnd == hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName) && !m_nIDHelp) m_nIDHelp = (UINT)(UINT_PTR)lpszTemplateName;
    m_pParentWnd = pParentWnd;
    HINSTANCE hInst = NULL;
    LPCDLGTEMPLATEW tmpl = LoadTemplate(lpszTemplateName, hInst);
    if (!tmpl) return FALSE;
    return CreateDlgIndirect(tmpl, pParentWnd->GetSafeHwnd(), hInst);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd->GetSafeHwnd(), AfxGetResourceHandle());
}

HWND CDialog::PreModalOwner() const
{
    HWND hWnd = m_bExplicitParent ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWnd()->GetSafeHwnd();
    if (!m_bExplicitParent && hWnd && ::GetWindowThreadProcessId(hWnd, NULL) != ::GetCurrentThreadId()) {
        // Another thread's main window would tie the two message loops together.
        hWnd = NULL;
    }
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return hWnd;
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInst = AfxGetResourceHandle();
    LPCDLGTEMPLATEW tmpl = m_lpDialogTemplate;
    if (!tmpl && m_lpszTemplateName) tmpl = LoadTemplate(m_lpszTemplateName, hInst);
    if (!tmpl) return -1;

    HWND hOwner = PreModalOwner();
    bool enableOwner = false;
    if (hOwner && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        enableOwner = true;
    }
    m_nModalResult = -1;
    m_bInModalLoop = true;
    m_bContinueModal = true;
    if (CreateDlgIndirect(tmpl, hOwner, hInst)) {
        if (m_bContinueModal) RunModalLoop();
        // Hidden before the owner is enabled again, so the owner (not some other window) is
        // activated when the dialog goes.
        if (m_hWnd) ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    } else {
        m_bContinueModal = false;
    }
    if (enableOwner) ::EnableWindow(hOwner, TRUE);
    if (hOwner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hOwner);
    m_bInModalLoop = false;
    if (m_hWnd) DestroyWindow();
    return m_nModalResult;
}

int CDialog::RunModalLoop()
{
    bool idle = true;
    LONG idleCount = 0;
    bool shown = (GetStyle() & WS_VISIBLE) != 0;
    const bool kickIdle = (GetStyle() & DS_NOIDLEMSG) == 0;
    MSG msg = {};
    while (m_bContinueModal) {
        while (idle && m_bContinueModal && !::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (!shown) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                shown = true;
            }
            if (!kickIdle || !::SendMessageW(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++)) idle = false;
        }
        while (m_bContinueModal) {
            BOOL r = ::GetMessageW(&msg, NULL, 0, 0);
            if (r == 0 || r == -1) {
                // The quit belongs to the thread's own loop; it gets it again after the dialog.
                ::PostQuitMessage(r == 0 ? (int)msg.wParam : 0);
                m_nModalResult = -1;
                m_bContinueModal = false;
                break;
            }
            if (!AfxWalkPreTranslateTree(m_hWnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (!m_hWnd || !::IsWindow(m_hWnd)) m_bContinueModal = false;
            if (!m_bContinueModal) break;
            if (msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != 0x0118) {
                idle = true;
                idleCount = 0;
            }
            if (!::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) break;
        }
    }
    return (int)m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bInModalLoop) {
        m_bContinueModal = false;
        // Wakes a loop that waits in GetMessage.
        if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl && pWndCtrl->GetSafeHwnd()) ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->m_hWnd, 1);
}

int CDialog::GetCheckedRadioButton(int nIDFirst, int nIDLast) const
{
    for (int id = nIDFirst; id <= nIDLast; ++id)
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) return id;
    return 0;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd) return FALSE;
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input) return FALSE;
    // Only this dialog's own windows; a nested dialog gets its own say on the way up.
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    // Menu and accelerator commands (0x8000 and up) go on to the owner and then to the thread and
    // application; control ids (a button click is a command too), control notifications and
    // system commands stay with the dialog, so an owner's own OK, Cancel or Start never answers
    // this dialog's buttons.
    if ((nCode != (int)CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI) || nID < 0x8000 || nID >= 0xF000) return FALSE;
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!hOwner) hOwner = m_pParentWnd->GetSafeHwnd();
    if (hOwner && hOwner != m_hWnd) {
        CWnd* owner = CWnd::FromHandlePermanent(hOwner);
        if (owner && owner->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    }
    CWinThread* thread = AfxGetThread();
    if (thread && thread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // The result goes straight back to the dialog creation: TRUE gives the first control
        // the focus.
        return OnInitDialog();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CWnd::OnWndMsg(message, wParam, lParam, pResult)) return TRUE;
    if (message == WM_KICKIDLE) {
        // Controls with update handlers (ON_UPDATE_COMMAND_UI) follow the dialog's state;
        // nothing is disabled for want of a handler. One call per idle phase is enough.
        UpdateDialogControls(this, FALSE);
        *pResult = 0;
        return TRUE;
    }
    // Owner-draw notices the base does not pass to the control: measuring, comparing and
    // deleting the items of list and combo boxes.
    HWND child = NULL;
    if (message == WM_MEASUREITEM && lParam) {
        const MEASUREITEMSTRUCT* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (mis->CtlType != ODT_MENU) child = ::GetDlgItem(m_hWnd, (int)mis->CtlID);
    } else if (message == WM_COMPAREITEM && lParam) {
        child = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    } else if (message == WM_DELETEITEM && lParam) {
        child = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    }
    if (child) {
        CWnd* wnd = CWnd::FromHandlePermanent(child);
        if (wnd && wnd->OnChildNotify(message, wParam, lParam, pResult)) return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
