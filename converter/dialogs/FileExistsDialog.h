// The "Rename, Overwrite, or Cancel?" prompt the conversion worker shows when its destination
// exists, and its base: a dialog that answers by itself when a 20-second countdown runs out.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

// A dialog with the countdown check box 2151: while it is ticked, timer 101 counts the seconds
// down in the box's text and posts IDOK at 0.
class CAutoCloseDialog : public CDialog {
public:
    CAutoCloseDialog(UINT nIDTemplate, CWnd* pParentWnd);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nSecondsLeft;
    int m_bCountdown;

    static const UINT_PTR kCountdownTimer = 101;

protected:
    void OnTimer(UINT_PTR nIDEvent);
    void OnCountdownClicked();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

// Runs modally without an owner (on the worker thread that asks). The answers: Rename 1,
// Overwrite 2, Cancel, Escape and the close box 3, each plus 10 with "Always use the same action"
// ticked; the countdown renames (1) whatever that box shows.
class CFileExistsDialog : public CAutoCloseDialog {
public:
    CFileExistsDialog();
    // Keeps the countdown box's state in bit 0 of the "AutoSelect" setting.
    ~CFileExistsDialog() override;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;

    // Set by the caller before the dialog runs: the existing file's folder, title and extension.
    CString m_strFolder;
    CString m_strTitle;
    CString m_strExtension;
    CToolTipCtrl m_toolTip;
    // The name a rename saves with (without folder or extension), exactly as typed.
    CString m_strNewName;
    int m_bRemember;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnRename();
    void OnOverwrite();
    // The answer for a plain choice (1, 2 or 3): plus 10 when the same action is to be kept.
    void EndWithAnswer(int answer);
    DECLARE_MESSAGE_MAP()
};

// The prompt's answer from its modal result: 1, 2, 3, 11, 12 or 13, or FILE_EXISTS_NOT_SHOWN for
// anything else (the dialog could not be made), which the existing-file check takes as skip.
int FileExistsAnswerFromResult(INT_PTR result);
