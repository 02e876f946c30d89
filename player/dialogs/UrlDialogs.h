// The "Open URL" dialog (one address that replaces the playlist) and the "Add URLs" dialog
// (several addresses, one a line, added to it). The sample address on the link fills the input.
#pragma once

#include "framework/Dialog.h"
#include "toolkit/HyperLink.h"

class CUrlDialogBase : public CDialog {
public:
    CUrlDialogBase(UINT nIDTemplate, UINT nInputId, CWnd* pParent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // The entered text: the dialog's result after OK.
    CString m_strText;
    CHyperLink m_wndExample;

protected:
    void OnExampleClicked();
    DECLARE_MESSAGE_MAP()

    UINT m_nInputId;
};

class COpenUrlDlg : public CUrlDialogBase {
public:
    explicit COpenUrlDlg(CWnd* pParent = nullptr);
};

class CAddUrlsDlg : public CUrlDialogBase {
public:
    explicit CAddUrlsDlg(CWnd* pParent = nullptr);
};
