// CDialog: modal and modeless dialogs from dialog templates, with their own modal loop.
#pragma once

#include "framework/Wnd.h"

// Sent by a modal loop (and the idle processing) to the dialog when its queue is empty:
// wParam MSGF_DIALOGBOX, lParam the idle count; a nonzero answer asks for more idle calls.
#ifndef WM_KICKIDLE
#define WM_KICKIDLE 0x036A
#endif

class CDataExchange;

// A dialog's object is bound to its window before the first message (WM_SETFONT, WM_INITDIALOG),
// so message maps see everything; messages no map takes go to the system dialog procedure.
class CDialog : public CWnd {
public:
    CDialog() {}
    // The owner of a modal run is the calling thread's main window (when it has one).
    explicit CDialog(UINT nIDTemplate);
    explicit CDialog(LPCWSTR lpszTemplateName);
    // The owner is exactly pParentWnd: NULL runs the dialog without an owner (a prompt on a
    // worker thread, a program whose main window is the dialog itself).
    CDialog(UINT nIDTemplate, CWnd* pParentWnd);
    CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd);
    ~CDialog() override;

    // Runs the dialog modally on the calling thread: IDOK, IDCANCEL or the EndDialog value; -1
    // when the template is missing or the window cannot be created.
    virtual INT_PTR DoModal();
    // Modeless: the window stays until DestroyWindow; a NULL parent means no owner.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = NULL);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd = NULL);
    // Modal run of an in-memory template (set before DoModal, instead of a resource).
    BOOL InitModalIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd = NULL);

    // Ends a modal run with nResult (the loop leaves at its next message); a modeless dialog
    // is only hidden, as the system does.
    void EndDialog(int nResult);
    BOOL IsModal() const { return m_bInModalLoop; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Checks the message for dialog keys (Tab, Enter, Esc, mnemonics).
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Data exchange: FALSE fills the controls from the members, TRUE reads and validates them.
    // Returns FALSE (the members partly updated, the focus on the offending control) when a
    // validation failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    void GotoDlgCtrl(CWnd* pWndCtrl);
    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return (DWORD)::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0); }
    void MapDialogRect(LPRECT rc) const { ::MapDialogRect(m_hWnd, rc); }
    BOOL IsDialogMessage(LPMSG lpMsg) { return ::IsDialogMessageW(m_hWnd, lpMsg); }
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const {
        return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
    }
    CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const {
        return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
    }
    void CheckRadioButton(int nIDFirst, int nIDLast, int nIDCheck) { ::CheckRadioButton(m_hWnd, nIDFirst, nIDLast, nIDCheck); }
    int GetCheckedRadioButton(int nIDFirst, int nIDLast) const;

    LPCWSTR m_lpszTemplateName = NULL;   // a resource id (MAKEINTRESOURCE) or a name
    LPCDLGTEMPLATEW m_lpDialogTemplate = NULL;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = NULL;
    // The result of the last modal run.
    INT_PTR m_nModalResult = -1;

    // The dialog procedure of every framework dialog: the map has already seen the message.
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    // Creates the window from a template with this object bound to it.
    BOOL CreateDlgIndirect(LPCDLGTEMPLATEW lpTemplate, HWND hWndOwner, HINSTANCE hInst);
    // The modal loop: messages pass PreTranslateMessage (from the target up to the dialog),
    // WM_KICKIDLE is sent when the queue empties, and the dialog is shown on the first idle.
    int RunModalLoop();
    // The owner for a modal run: the given window's top-level parent, or the main window.
    HWND PreModalOwner() const;

    bool m_bExplicitParent = false;
    bool m_bInModalLoop = false;
    bool m_bContinueModal = false;

    DECLARE_MESSAGE_MAP()
};

// Makes the common controls (list, tree, toolbar, tool tips, sliders...) available; idempotent.
void AfxInitCommonControls();
