// The update dialogs.
#include "toolkit/UpdateDialogs.h"

#include "framework/Thread.h"
#include "toolkit/ToolkitHost.h"
#include "toolkit/UpdateCheck.h"
#include "toolkit/UpdateDialogIds.h"

namespace {

// Posted by the progress dialog's worker when the check has ended.
const UINT WM_WORKER_DONE_MESSAGE = WM_USER + 902;
const UINT_PTR kProgressTimer = 1;

void SetItemFont(CWnd& dialog, int id, CFont* font)
{
    if (CWnd* item = dialog.GetDlgItem(id); item && font && font->GetSafeHandle())
        item->SetFont(font);
}

// The edit control breaks lines only at CR LF; the feed may bring bare line feeds.
CString WithCrLf(CString text)
{
    text.Replace(L"\r\n", L"\n");
    text.Replace(L"\n", L"\r\n");
    return text;
}

} // namespace

// CUpdateProgressDlg ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CUpdateProgressDlg, CDialog)
    ON_WM_TIMER()
    ON_MESSAGE(WM_WORKER_DONE_MESSAGE, OnWorkerDone)
END_MESSAGE_MAP()

CUpdateProgressDlg::CUpdateProgressDlg(CUpdateChecker* checker)
    : CDialog(IDD_UPDATE_PROGRESS, NULL), m_pChecker(checker)
{
}

BOOL CUpdateProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CToolkitHost* host = GetToolkitHost();
    SetWindowText(m_pChecker->m_strProductName);
    SetDlgItemText(IDC_UPDATE_TITLE, L"Checking for updates...");
    if (host)
        SetItemFont(*this, IDC_UPDATE_TITLE, host->GetBoldFont());
    m_progress.SubclassDlgItem(IDC_UPDATE_PROGRESS, this);
    m_progress.SetRange(0, 100);
    CheckDlgButton(IDC_UPDATE_PROGRESS_AUTO, host && host->GetAutoCheckUpdate() ? BST_CHECKED : BST_UNCHECKED);

    ::InterlockedExchange(&m_pChecker->m_nCancel, 0);
    // The timer belongs to this window's thread: a worker could not set one on it.
    SetTimer(kProgressTimer, 100);
    if (!AfxBeginThread(&CUpdateProgressDlg::Worker, this, THREAD_PRIORITY_NORMAL))
        PostMessage(WM_WORKER_DONE_MESSAGE, 0, 0);
    // Cancel is the one thing to do here.
    GotoDlgCtrl(GetDlgItem(IDCANCEL));
    return FALSE;
}

UINT __cdecl CUpdateProgressDlg::Worker(LPVOID param)
{
    CUpdateProgressDlg* dialog = static_cast<CUpdateProgressDlg*>(param);
    HWND window = dialog->m_hWnd;
    dialog->m_nResult = dialog->m_pChecker->Check();
    // The dialog waits for this message: nothing of it is touched afterwards.
    ::PostMessageW(window, WM_WORKER_DONE_MESSAGE, 0, 0);
    return 0;
}

void CUpdateProgressDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kProgressTimer) {
        Default();
        return;
    }
    m_nPos += 2;
    if (m_nPos > 100)
        m_nPos = 0;
    m_progress.SetPos(m_nPos);
}

void CUpdateProgressDlg::OnCancel()
{
    // The dialog stays until the check has let go of the request.
    ::InterlockedExchange(&m_pChecker->m_nCancel, 2);
    KillTimer(kProgressTimer);
    if (CWnd* cancel = GetDlgItem(IDCANCEL))
        cancel->EnableWindow(FALSE);
}

LRESULT CUpdateProgressDlg::OnWorkerDone(WPARAM, LPARAM)
{
    KillTimer(kProgressTimer);
    m_pChecker->SetAutoCheckUpdate(IsDlgButtonChecked(IDC_UPDATE_PROGRESS_AUTO) == BST_CHECKED);
    EndDialog(m_pChecker->m_nCancel ? IDCANCEL : IDOK);
    return 0;
}

// CNewVersionDlg -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CNewVersionDlg, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CNewVersionDlg::CNewVersionDlg(CUpdateChecker* checker) : CDialog(IDD_NEW_VERSION, NULL), m_pChecker(checker) {}

BOOL CNewVersionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CToolkitHost* host = GetToolkitHost();
    const CString product = m_pChecker->m_strProductName;
    const CString page = host ? host->GetProductPageUrl() : CString();
    SetWindowText(product);

    CString text;
    text.Format(L"A newer version of %s is available:", product.GetString());
    SetDlgItemText(IDC_UPDATE_TITLE, text);
    text.Format(L"Your version is %s.", m_pChecker->m_strCurrentVersion.GetString());
    SetDlgItemText(IDC_UPDATE_YOUR_VERSION, text);
    SetDlgItemText(IDC_UPDATE_DESCRIPTION, WithCrLf(m_pChecker->m_strDescription));
    CheckDlgButton(IDC_UPDATE_AUTO_CHECK, host && host->GetAutoCheckUpdate() ? BST_CHECKED : BST_UNCHECKED);

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    m_version.SubclassDlgItem(IDC_UPDATE_NEW_VERSION, this);
    m_learnMore.SubclassDlgItem(IDC_UPDATE_LEARN_MORE, this);
    if (host) {
        SetItemFont(*this, IDC_UPDATE_TITLE, host->GetBoldFont());
        SetItemFont(*this, IDC_UPDATE_NEW_VERSION, host->GetLargeFont());
        m_learnMore.SetHoverFont(host->GetUnderlineFont());
    }
    m_version.SetBackgroundColor(face);
    m_version.SetURL(page, m_pChecker->m_strNewestVersion);
    m_version.SizeToText();
    m_learnMore.SetBackgroundColor(face);
    m_learnMore.SetURL(page);
    m_learnMore.SizeToText();
    GotoDlgCtrl(GetDlgItem(IDOK));
    return FALSE;
}

void CNewVersionDlg::OnDestroy()
{
    m_pChecker->SetAutoCheckUpdate(IsDlgButtonChecked(IDC_UPDATE_AUTO_CHECK) == BST_CHECKED);
    CDialog::OnDestroy();
}
