// CAboutDlg: the About box of both programs (template 100 in the player, 500 in the converter):
// the program's name, version and notice, the maker's web site and the support mail address.
#pragma once

#include "framework/framework.h"
#include "toolkit/AboutDlgIds.h"
#include "toolkit/HyperLink.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(UINT nIDTemplate = IDD_ABOUTBOX, CWnd* pParentWnd = NULL);

    BOOL OnInitDialog() override;

    // The mail of the support link: "About <name> <version>" to the host's support address,
    // without a body. The programs' "Email Us" command sends it too.
    static void SendSupportMail();

    CHyperLink m_linkWebSite;
    CHyperLink m_linkMail;

protected:
    // The mail link has no address of its own: its click reaches the dialog.
    void OnMailClicked();
    DECLARE_MESSAGE_MAP()

    CFont m_linkFont;
};
