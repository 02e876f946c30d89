// The two address dialogs: the link's look, its click and the exchanged text.
#include "player/dialogs/UrlDialogs.h"

#include "framework/Ddx.h"
#include "player/app/PlayerResource.h"
#include "player/app/SharedResources.h"

BEGIN_MESSAGE_MAP(CUrlDialogBase, CDialog)
    ON_BN_CLICKED(IDC_URL_EXAMPLE, OnExampleClicked)
END_MESSAGE_MAP()

CUrlDialogBase::CUrlDialogBase(UINT nIDTemplate, UINT nInputId, CWnd* pParent)
    : CDialog(nIDTemplate), m_nInputId(nInputId)
{
    if (pParent) {
        m_pParentWnd = pParent;
        m_bExplicitParent = true;
    }
}

BOOL CUrlDialogBase::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndExample.SubclassDlgItem(IDC_URL_EXAMPLE, this);
    m_wndExample.SetBackgroundColor(GetSysColor(COLOR_BTNFACE));
    if (CSharedResources* shared = GetSharedResources()) {
        m_wndExample.SetFont(&shared->normalFont);
        m_wndExample.SetHoverFont(&shared->underlineFont);
    }
    return TRUE;
}

void CUrlDialogBase::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, (int)m_nInputId, m_strText);
}

void CUrlDialogBase::OnExampleClicked()
{
    CString sample;
    m_wndExample.GetWindowText(sample);
    SetDlgItemText((int)m_nInputId, sample);
}

COpenUrlDlg::COpenUrlDlg(CWnd* pParent) : CUrlDialogBase(IDD_OPEN_URL, IDC_URL_COMBO, pParent) {}

CAddUrlsDlg::CAddUrlsDlg(CWnd* pParent) : CUrlDialogBase(IDD_ADD_URLS, IDC_URL_TEXT, pParent) {}
