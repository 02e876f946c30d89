// The update dialogs: the progress of a manual check (template 526) and the news of a newer
// version (template 527). Both run on the check's thread without an owner; the setting they change
// reaches the host through the checker, on the thread that started the check.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "toolkit/HyperLink.h"

class CUpdateChecker;

// Runs the check on a worker of its own while the bar moves; Cancel asks the check to stop and
// the dialog ends once the worker has: IDCANCEL when cancelled, else IDOK.
class CUpdateProgressDlg : public CDialog {
public:
    explicit CUpdateProgressDlg(CUpdateChecker* checker);
    // The check's result once the dialog has ended (-1 when it never ran).
    int m_nResult = -1;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override {}
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnWorkerDone(WPARAM wParam, LPARAM lParam);
    static UINT __cdecl Worker(LPVOID param);

    CUpdateChecker* m_pChecker;
    CProgressCtrl m_progress;
    int m_nPos = 0;
    DECLARE_MESSAGE_MAP()
};

// The newer version, the running one and the feed's description, with links to the product page
// and the automatic-check setting. IDOK means "Download New Version".
class CNewVersionDlg : public CDialog {
public:
    explicit CNewVersionDlg(CUpdateChecker* checker);

protected:
    BOOL OnInitDialog() override;
    void OnDestroy();

    CUpdateChecker* m_pChecker;
    CHyperLink m_version;
    CHyperLink m_learnMore;
    DECLARE_MESSAGE_MAP()
};
