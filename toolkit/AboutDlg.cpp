// The About box.
#include "toolkit/AboutDlg.h"

#include "engine/SystemHelpers.h"
#include "toolkit/ToolkitHost.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_BN_CLICKED(IDC_ABOUT_MAIL, OnMailClicked)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate)
{
    if (pParentWnd) {
        m_pParentWnd = pParentWnd;
        m_bExplicitParent = true;
    }
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CToolkitHost* host = GetToolkitHost();
    const CString name = host ? host->GetProductName() : CString(AfxGetAppName());
    const CString version = host ? host->GetProductVersion() : CString(L"3.3.0");

    CString caption;
    GetWindowText(caption);
    SetWindowText(caption + L" " + name);

    CString text;
    text.Format(L"%s %d", name.GetString(), 3);
    SetDlgItemText(IDC_ABOUT_TITLE, text);
    if (CWnd* title = GetDlgItem(IDC_ABOUT_TITLE)) {
        if (host && host->GetLargeFont()) title->SetFont(host->GetLargeFont());
    }
    text.Format(L"Version %s", version.GetString());
    SetDlgItemText(IDC_ABOUT_VERSION, text);
    SetDlgItemText(IDC_ABOUT_NOTICE, host ? host->GetNoticeText() : CString());

    // The links' font: the dialog's own, underlined, for both looks of the links.
    LOGFONTW lf = {};
    CFont* dialogFont = GetFont();
    if (!dialogFont || !dialogFont->GetSafeHandle() || !::GetObjectW(dialogFont->GetSafeHandle(), sizeof(lf), &lf))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfUnderline = TRUE;
    m_linkFont.DeleteObject();
    m_linkFont.CreateFontIndirect(&lf);

    const CString site = host ? host->GetWebSiteUrl() : CString();
    const CString mail = host ? host->GetSupportMailAddress() : CString();
    if (m_linkWebSite.SubclassDlgItem(IDC_ABOUT_WEB_SITE, this)) {
        m_linkWebSite.SetBackgroundColor(::GetSysColor(COLOR_BTNFACE));
        m_linkWebSite.SetFont(&m_linkFont);
        m_linkWebSite.SetHoverFont(&m_linkFont);
        m_linkWebSite.SetURL(site, site);
        m_linkWebSite.SizeToText();
    }
    if (m_linkMail.SubclassDlgItem(IDC_ABOUT_MAIL, this)) {
        m_linkMail.SetBackgroundColor(::GetSysColor(COLOR_BTNFACE));
        m_linkMail.SetFont(&m_linkFont);
        m_linkMail.SetHoverFont(&m_linkFont);
        m_linkMail.SetURL(L"", mail);
        m_linkMail.SizeToText();
    }
    // The focus on OK, not on the first link (Enter and Esc close the box either way).
    if (CWnd* ok = GetDlgItem(IDOK)) {
        GotoDlgCtrl(ok);
        return FALSE;
    }
    return TRUE;
}

void CAboutDlg::OnMailClicked()
{
    SendSupportMail();
}

void CAboutDlg::SendSupportMail()
{
    CToolkitHost* host = GetToolkitHost();
    if (!host) return;
    CString subject;
    subject.Format(L"About %s %s", host->GetProductName().GetString(), host->GetProductVersion().GetString());
    SendMailTo(host->GetSupportMailAddress(), subject, NULL);
}
