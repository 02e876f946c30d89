// The file-exists prompt and its auto-close countdown.
#include "converter/dialogs/FileExistsDialog.h"

#include "conversion/ConvertHost.h"
#include "conversion/OutputNaming.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/app/ConverterResource.h"
#include "converter/app/ConverterSettings.h"
#include "converter/kit/OEDialog.h"
#include "framework/Ddx.h"

namespace {

const int kCountdownSeconds = 20;

}  // namespace

// CAutoCloseDialog ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAutoCloseDialog, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_AUTO_CLOSE, OnCountdownClicked)
END_MESSAGE_MAP()

CAutoCloseDialog::CAutoCloseDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nSecondsLeft(kCountdownSeconds), m_bCountdown(0)
{
}

BOOL CAutoCloseDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_bCountdown)
        SetTimer(kCountdownTimer, 1000);
    return TRUE;
}

void CAutoCloseDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_AUTO_CLOSE, m_bCountdown);
}

void CAutoCloseDialog::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kCountdownTimer || !m_bCountdown) {
        Default();
        return;
    }
    --m_nSecondsLeft;
    CString text;
    text.Format(L"Auto close in 00:%02d", m_nSecondsLeft > 0 ? m_nSecondsLeft : 0);
    SetDlgItemText(IDC_AUTO_CLOSE, text);
    if (m_nSecondsLeft <= 0) {
        KillTimer(kCountdownTimer);
        PostMessage(WM_COMMAND, IDOK, 0);
    }
}

void CAutoCloseDialog::OnCountdownClicked()
{
    m_bCountdown = IsDlgButtonChecked(IDC_AUTO_CLOSE) == BST_CHECKED ? 1 : 0;
    // The count goes on from where it stopped.
    if (m_bCountdown)
        SetTimer(kCountdownTimer, 1000);
    else
        KillTimer(kCountdownTimer);
}

void CAutoCloseDialog::OnDestroy()
{
    if (m_bCountdown)
        KillTimer(kCountdownTimer);
    Default();
}

// CFileExistsDialog ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFileExistsDialog, CAutoCloseDialog)
    ON_WM_CREATE()
    ON_BN_CLICKED(IDC_FILE_EXISTS_RENAME, OnRename)
    ON_BN_CLICKED(IDC_FILE_EXISTS_OVERWRITE, OnOverwrite)
END_MESSAGE_MAP()

CFileExistsDialog::CFileExistsDialog() : CAutoCloseDialog(IDD_FILE_EXISTS, nullptr), m_bRemember(0)
{
    CConverterSettings* settings = GetConverterSettings();
    m_bCountdown = settings ? (settings->autoSelect & 1) : 1;
}

CFileExistsDialog::~CFileExistsDialog()
{
    if (CConverterSettings* settings = GetConverterSettings())
        settings->autoSelect = (settings->autoSelect & ~1) | (m_bCountdown ? 1 : 0);
}

int CFileExistsDialog::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    (void)lpCreateStruct;
    if (Default() == -1 || !CreateDialogToolTip(m_toolTip, this))
        return -1;
    return 0;
}

BOOL CFileExistsDialog::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.GetSafeHwnd())
        m_toolTip.RelayEvent(pMsg);
    return CAutoCloseDialog::PreTranslateMessage(pMsg);
}

BOOL CFileExistsDialog::OnInitDialog()
{
    CAutoCloseDialog::OnInitDialog();
    if (CConverterEnvironment* environment = GetConverterEnvironment())
        if (CWnd* label = GetDlgItem(IDC_FILE_EXISTS_LABEL))
            label->SetFont(environment->GetBoldFont());

    m_toolTip.AddTool(GetDlgItem(IDC_FILE_EXISTS_RENAME), L"Save with the new name above");
    m_toolTip.AddTool(GetDlgItem(IDC_FILE_EXISTS_OVERWRITE), L"Overwrite the existing file");
    m_toolTip.AddTool(GetDlgItem(IDCANCEL), L"Cancel download");

    if (!SendDlgItemMessage(IDC_FILE_EXISTS_ICON, STM_GETICON))
        SendDlgItemMessage(IDC_FILE_EXISTS_ICON, STM_SETICON, (WPARAM)LoadIconW(nullptr, IDI_WARNING));

    SetDlgItemText(IDC_FILE_EXISTS_NAME, m_strTitle + m_strExtension);

    const CString suggestion = MakeNumberedFileName(m_strFolder, m_strTitle, m_strExtension);
    SetDlgItemText(IDC_FILE_EXISTS_NEW_NAME, suggestion);
    // Posted: the focus that the dialog gives the edit next selects the whole text first. The
    // number is what is selected, with its space: a long title is cut to make room for it.
    ::PostMessageW(::GetDlgItem(m_hWnd, IDC_FILE_EXISTS_NEW_NAME), EM_SETSEL, (WPARAM)suggestion.ReverseFind(L' '),
                   (LPARAM)suggestion.GetLength());
    // Nobody owns the prompt, so it would otherwise open behind the converter's window.
    SetForegroundWindow();
    return TRUE;
}

void CFileExistsDialog::DoDataExchange(CDataExchange* pDX)
{
    CAutoCloseDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FILE_EXISTS_NEW_NAME, m_strNewName);
    DDX_Check(pDX, IDC_FILE_EXISTS_REMEMBER, m_bRemember);
}

void CFileExistsDialog::EndWithAnswer(int answer)
{
    UpdateData(TRUE);
    EndDialog(m_bRemember == BST_CHECKED ? answer + 10 : answer);
}

void CFileExistsDialog::OnRename()
{
    EndWithAnswer(FILE_EXISTS_RENAME);
}

void CFileExistsDialog::OnOverwrite()
{
    EndWithAnswer(FILE_EXISTS_OVERWRITE);
}

void CFileExistsDialog::OnOK()
{
    // Only the countdown sends IDOK (Enter goes to the default button, Rename): a rename under
    // the name in the edit, never remembered.
    UpdateData(TRUE);
    EndDialog(FILE_EXISTS_RENAME);
}

void CFileExistsDialog::OnCancel()
{
    // IDCANCEL is 2, which the runner would read as "Overwrite".
    EndWithAnswer(FILE_EXISTS_SKIP);
}

int FileExistsAnswerFromResult(INT_PTR result)
{
    switch (result) {
    case FILE_EXISTS_RENAME:
    case FILE_EXISTS_OVERWRITE:
    case FILE_EXISTS_SKIP:
    case FILE_EXISTS_RENAME_ALL:
    case FILE_EXISTS_OVERWRITE_ALL:
    case FILE_EXISTS_SKIP_ALL:
        return (int)result;
    default:
        return FILE_EXISTS_NOT_SHOWN;
    }
}
