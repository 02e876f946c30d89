// CSelectFolderDlg: the "Select a Folder" dialog (template 104): the shell folder tree, the
// file-name pattern with its presets, and "Scan subfolders". The initial folder is looked up in
// the tree by a worker thread, so the dialog shows at once.
#pragma once

#include "framework/Thread.h"
#include "toolkit/FolderTreeCtrl.h"
#include "toolkit/ImageComboBox.h"
#include "toolkit/SelectFolderDlgIds.h"

class CSelectFolderDlg : public CDialog {
public:
    enum { IDD = IDD_SELECT_FOLDER };
    // Commands of the presets' menu, one per preset from this id on.
    static constexpr UINT kPresetCommandBase = 40000;
    // Posted by the initial-selection worker when it has ended (the programs' WM_WORKER_DONE).
    static constexpr UINT kWorkerDoneMessage = WM_USER + 902;

    explicit CSelectFolderDlg(CWnd* pParentWnd = NULL);
    ~CSelectFolderDlg() override;

    // ---- what the caller sets
    CString m_strCaption;        // empty: the template's "Select a Folder"
    CString m_strPrompt;         // the text above the tree; empty: none
    CString m_strInitialFolder;  // selected in the tree when it exists
    CString m_strPattern;        // the pattern text; also the result ("*" when left empty)
    // Presets as '|'-separated pairs name|pattern, and the names offered ('|'-separated; when
    // empty, the names of the pairs). A name without a pair is its own pattern.
    CString m_strPresets;
    CString m_strPresetNames;
    int m_nPreset = -1;          // chosen preset, -1 none; also the result
    BOOL m_bScanSubfolders = FALSE;

    // ---- the result
    CString m_strSelectedFolder;  // the chosen folder's file-system path

    // The names offered and the pattern of one of them.
    void GetPresetNames(CStringArray& names) const;
    CString GetPresetPattern(int nIndex) const;
    CFolderTreeCtrl& GetTree() { return m_tree; }
    CImageComboBox& GetPatternCombo() { return m_combo; }
    // Whether the initial-selection worker still runs.
    BOOL IsWorkerRunning() const { return m_pWorker != NULL; }

protected:
    // The worker's job: the initial folder found and selected in the tree (through messages to
    // the dialog's thread); a nonzero *pStop ends it early.
    virtual void SelectInitialFolder(volatile LONG* pStop);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnPatternChanged();
    void OnPresetsButton();
    void OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnWorkerDone(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    void StartWorker(const CString& folder);
    // Asks the worker to stop and handles messages (its steps, its end) until it has ended.
    void StopWorker();
    void FinishWorker();
    void ApplyPreset(int nIndex);
    void UpdateOkButton();
    void LayoutControls(int cx, int cy);
    CString SelectionPath();

    CFolderTreeCtrl m_tree;
    CImageComboBox m_combo;
    CToolTipCtrl m_tooltip;
    HWND m_hGrip = NULL;   // the size grip, a child destroyed with the dialog
    CWinThread* m_pWorker = NULL;
    volatile LONG m_nWorkerStop = 0;
    CString m_strWorkerFolder;
    // Measured from the template when the dialog opens, for the layout.
    bool m_bLayoutKnown = false;
    int m_nTreeToLabel = 0;     // from the tree's bottom to the label's top
    int m_nLabelToCombo = 0;    // from the label's top to the combo's top
    int m_nComboDropHeight = 0; // the combo's height with its list, as moves must give it
    int m_nComboFieldHeight = 0;

private:
    static UINT __cdecl WorkerProc(LPVOID pParam);
};
