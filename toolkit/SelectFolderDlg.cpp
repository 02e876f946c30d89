// The folder picker dialog: presets, the initial-selection worker, the layout and the answer.
#include "toolkit/SelectFolderDlg.h"

#include "framework/Ddx.h"

#include <shlwapi.h>

#include <algorithm>

namespace {

const int kMargin = 10;
const int kButtonGap = 6;
const int kMinWidth = 320;
const int kMinHeight = 280;

// The fields of a '|'-separated text (empty fields kept, so pairs stay pairs).
void SplitBars(const CString& text, CStringArray& out)
{
    out.RemoveAll();
    if (text.IsEmpty()) return;
    int start = 0;
    for (;;) {
        const int bar = text.Find(L'|', start);
        if (bar < 0) {
            out.Add(text.Mid(start));
            break;
        }
        out.Add(text.Mid(start, bar - start));
        start = bar + 1;
    }
    // A text that ends with '|' has no field after it.
    if (out.GetSize() > 0 && out[out.GetSize() - 1].IsEmpty()) out.RemoveAt(out.GetSize() - 1);
}

CRect ChildRect(CWnd* parent, int id)
{
    CRect rc(0, 0, 0, 0);
    if (CWnd* child = parent->GetDlgItem(id)) {
        child->GetWindowRect(&rc);
        parent->ScreenToClient(&rc);
    }
    return rc;
}

} // namespace

BEGIN_MESSAGE_MAP(CSelectFolderDlg, CDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_CBN_SELCHANGE(IDC_SELECT_FOLDER_PATTERN, OnPatternChanged)
    ON_BN_CLICKED(IDC_SELECT_FOLDER_PRESETS, OnPresetsButton)
    ON_NOTIFY(TVN_SELCHANGEDW, IDC_SELECT_FOLDER_TREE, OnTreeSelChanged)
    ON_MESSAGE(CSelectFolderDlg::kWorkerDoneMessage, OnWorkerDone)
END_MESSAGE_MAP()

CSelectFolderDlg::CSelectFolderDlg(CWnd* pParentWnd) : CDialog(IDD_SELECT_FOLDER, pParentWnd) {}

CSelectFolderDlg::~CSelectFolderDlg()
{
    // A dialog object that never closed its window properly still must not leave a worker
    // behind that reaches into it; while the window stands the worker may need its thread.
    if (m_hWnd && ::IsWindow(m_hWnd)) StopWorker();
    if (m_pWorker) {
        ::InterlockedExchange(&m_nWorkerStop, 2);
        ::WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
        delete m_pWorker;
    }
}

// ---- presets

void CSelectFolderDlg::GetPresetNames(CStringArray& names) const
{
    SplitBars(m_strPresetNames, names);
    if (!names.IsEmpty()) return;
    CStringArray pairs;
    SplitBars(m_strPresets, pairs);
    for (INT_PTR i = 0; i + 1 < pairs.GetSize(); i += 2) names.Add(pairs[i]);
}

CString CSelectFolderDlg::GetPresetPattern(int nIndex) const
{
    CStringArray names, pairs;
    GetPresetNames(names);
    if (nIndex < 0 || nIndex >= names.GetSize()) return CString();
    SplitBars(m_strPresets, pairs);
    for (INT_PTR i = 0; i + 1 < pairs.GetSize(); i += 2)
        if (pairs[i].CompareNoCase(names[nIndex]) == 0) return pairs[i + 1];
    return names[nIndex];
}

void CSelectFolderDlg::ApplyPreset(int nIndex)
{
    CStringArray names;
    GetPresetNames(names);
    if (nIndex < 0 || nIndex >= names.GetSize()) return;
    m_nPreset = nIndex;
    const CString pattern = GetPresetPattern(nIndex);
    if (CEdit* edit = m_combo.GetEditCtrl())
        edit->SetWindowText(pattern);
    else
        m_combo.SetWindowText(pattern);
}

void CSelectFolderDlg::OnPatternChanged()
{
    const int index = m_combo.GetCurSel();
    if (index >= 0) ApplyPreset(index);
}

void CSelectFolderDlg::OnPresetsButton()
{
    CStringArray names;
    GetPresetNames(names);
    if (names.IsEmpty()) return;
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    for (INT_PTR i = 0; i < names.GetSize(); ++i)
        ::AppendMenuW(menu, MF_STRING, kPresetCommandBase + (UINT)i, names[i]);
    POINT pt;
    ::GetCursorPos(&pt);
    const UINT chosen = (UINT)::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, NULL);
    ::DestroyMenu(menu);
    if (chosen >= kPresetCommandBase && chosen < kPresetCommandBase + (UINT)names.GetSize())
        ApplyPreset((int)(chosen - kPresetCommandBase));
}

// ---- start

int CSelectFolderDlg::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1) return -1;
    CRect client;
    GetClientRect(&client);
    const int cx = ::GetSystemMetrics(SM_CXVSCROLL), cy = ::GetSystemMetrics(SM_CYHSCROLL);
    m_hGrip = ::CreateWindowExW(0, L"SCROLLBAR", NULL, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                client.right - cx, client.bottom - cy, cx, cy, m_hWnd, NULL, ::GetModuleHandleW(NULL), NULL);
    m_tooltip.Create(this);
    return 0;
}

void CSelectFolderDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SELECT_FOLDER_TREE, m_tree);
    DDX_Control(pDX, IDC_SELECT_FOLDER_PATTERN, m_combo);
    if (pDX->m_bSaveAndValidate) {
        m_strPattern = m_combo.GetEditText();
    } else if (CEdit* edit = m_combo.GetEditCtrl()) {
        edit->SetWindowText(m_strPattern);
    }
    int check = m_bScanSubfolders ? 1 : 0;
    DDX_Check(pDX, IDC_SELECT_FOLDER_SUBFOLDERS, check);
    m_bScanSubfolders = check != 0;
}

BOOL CSelectFolderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyleEx(0, WS_EX_DLGMODALFRAME);
    if (HMENU system = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::DeleteMenu(system, SC_MAXIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(system, SC_MINIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(system, SC_RESTORE, MF_BYCOMMAND);
    }
    if (m_tooltip.m_hWnd) m_tooltip.AddTool(GetDlgItem(IDC_SELECT_FOLDER_PRESETS), L"Preset including filters");
    if (!m_strCaption.IsEmpty()) SetWindowText(m_strCaption);
    if (!m_strPrompt.IsEmpty()) SetDlgItemText(IDC_SELECT_FOLDER_TEXT, m_strPrompt);

    m_tree.FillTree();
    if (HTREEITEM root = m_tree.GetRootItem()) m_tree.Expand(root, TVE_EXPAND);

    CStringArray names;
    GetPresetNames(names);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = (INT_PTR)i;
        item.pszText = const_cast<LPWSTR>(names[i].GetString());
        m_combo.InsertItem(&item);
    }
    if (names.IsEmpty()) GetDlgItem(IDC_SELECT_FOLDER_PRESETS)->ShowWindow(SW_HIDE);
    CString pattern(m_strPattern);
    pattern.Trim();
    if (m_nPreset >= 0 && m_nPreset < names.GetSize() && (pattern.IsEmpty() || pattern == L"*")) {
        m_combo.SetCurSel(m_nPreset);
        ApplyPreset(m_nPreset);
    } else if (pattern.IsEmpty() && !names.IsEmpty()) {
        m_combo.SetCurSel(0);
        ApplyPreset(0);
    }

    // The layout keeps the template's distances.
    const CRect tree = ChildRect(this, IDC_SELECT_FOLDER_TREE), label = ChildRect(this, IDC_SELECT_FOLDER_LABEL);
    const CRect combo = ChildRect(this, IDC_SELECT_FOLDER_PATTERN);
    m_nTreeToLabel = label.top - tree.bottom;
    m_nLabelToCombo = combo.top - label.top;
    m_nComboFieldHeight = combo.Height();
    CRect dropped(0, 0, 0, 0);
    m_combo.SendMessage(CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&dropped);
    m_nComboDropHeight = std::max(m_nComboFieldHeight, m_nComboFieldHeight + dropped.Height());
    m_bLayoutKnown = true;
    CRect client;
    GetClientRect(&client);
    LayoutControls(client.Width(), client.Height());

    UpdateOkButton();
    if (!m_strInitialFolder.IsEmpty() && ::PathIsDirectoryW(m_strInitialFolder)) {
        wchar_t pretty[1024];
        lstrcpynW(pretty, m_strInitialFolder, 1024);
        ::PathMakePrettyW(pretty);
        StartWorker(pretty);
    }
    return TRUE;
}

// ---- the worker

void CSelectFolderDlg::SelectInitialFolder(volatile LONG* pStop)
{
    m_tree.SelectPath(m_strWorkerFolder, pStop);
}

UINT __cdecl CSelectFolderDlg::WorkerProc(LPVOID pParam)
{
    CSelectFolderDlg* dlg = static_cast<CSelectFolderDlg*>(pParam);
    const HWND notify = dlg->m_hWnd;
    const HRESULT com = ::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    dlg->SelectInitialFolder(&dlg->m_nWorkerStop);
    if (SUCCEEDED(com)) ::CoUninitialize();
    ::PostMessageW(notify, kWorkerDoneMessage, 0, 0);
    return 0;
}

void CSelectFolderDlg::StartWorker(const CString& folder)
{
    m_strWorkerFolder = folder;
    ::InterlockedExchange(&m_nWorkerStop, 0);
    CWinThread* worker = new CWinThread(&CSelectFolderDlg::WorkerProc, this);
    worker->m_bAutoDelete = FALSE;
    if (!worker->CreateThread(CREATE_SUSPENDED)) {
        delete worker;
        // No thread to spare: the selection is made here and now.
        SelectInitialFolder(&m_nWorkerStop);
        return;
    }
    worker->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    m_pWorker = worker;
    worker->ResumeThread();
}

void CSelectFolderDlg::FinishWorker()
{
    if (!m_pWorker) return;
    ::WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
    delete m_pWorker;
    m_pWorker = NULL;
}

LRESULT CSelectFolderDlg::OnWorkerDone(WPARAM, LPARAM)
{
    FinishWorker();
    UpdateOkButton();
    return 0;
}

void CSelectFolderDlg::StopWorker()
{
    if (!m_pWorker) return;
    ::InterlockedExchange(&m_nWorkerStop, 2);
    // The worker may be waiting for this thread to take one of its steps: sent messages are
    // handled while its end notice is awaited.
    while (m_pWorker) {
        MSG msg;
        if (::PeekMessageW(&msg, m_hWnd, kWorkerDoneMessage, kWorkerDoneMessage, PM_REMOVE)) {
            ::DispatchMessageW(&msg);
            continue;
        }
        const DWORD r = ::MsgWaitForMultipleObjects(1, &m_pWorker->m_hThread, FALSE, 50, QS_SENDMESSAGE | QS_POSTMESSAGE);
        if (r == WAIT_OBJECT_0 && !::PeekMessageW(&msg, m_hWnd, kWorkerDoneMessage, kWorkerDoneMessage, PM_NOREMOVE))
            FinishWorker();  // ended without its notice reaching us
    }
}

// ---- the answer

CString CSelectFolderDlg::SelectionPath()
{
    return m_tree.m_hWnd ? m_tree.GetItemPath(m_tree.GetSelectedItem()) : CString();
}

void CSelectFolderDlg::UpdateOkButton()
{
    if (CWnd* ok = GetDlgItem(IDOK)) ok->EnableWindow(!SelectionPath().IsEmpty());
}

void CSelectFolderDlg::OnTreeSelChanged(NMHDR*, LRESULT* pResult)
{
    UpdateOkButton();
    *pResult = 0;
}

void CSelectFolderDlg::OnOK()
{
    // A virtual folder (the computer, the network) has no path: an empty answer would read as
    // the drive's root to the caller, so OK waits for a real folder.
    if (SelectionPath().IsEmpty()) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    StopWorker();
    const CString folder = SelectionPath();
    if (folder.IsEmpty() || !UpdateData(TRUE)) return;
    m_strSelectedFolder = folder;
    if (m_strPattern.IsEmpty()) m_strPattern = L"*";
    EndDialog(IDOK);
}

void CSelectFolderDlg::OnCancel()
{
    StopWorker();
    CDialog::OnCancel();
}

void CSelectFolderDlg::OnDestroy()
{
    StopWorker();
    m_hGrip = NULL;
    Default();
}

BOOL CSelectFolderDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.m_hWnd) m_tooltip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

// ---- size

void CSelectFolderDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    lpMMI->ptMinTrackSize.x = std::max<LONG>(lpMMI->ptMinTrackSize.x, kMinWidth);
    lpMMI->ptMinTrackSize.y = std::max<LONG>(lpMMI->ptMinTrackSize.y, kMinHeight);
}

void CSelectFolderDlg::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (nType != SIZE_MINIMIZED && m_tree.m_hWnd) LayoutControls(cx, cy);
}

void CSelectFolderDlg::LayoutControls(int cx, int cy)
{
    if (!m_bLayoutKnown) return;
    const CRect ok = ChildRect(this, IDOK), check = ChildRect(this, IDC_SELECT_FOLDER_SUBFOLDERS);
    const CRect combo = ChildRect(this, IDC_SELECT_FOLDER_PATTERN), button = ChildRect(this, IDC_SELECT_FOLDER_PRESETS);
    const CRect label = ChildRect(this, IDC_SELECT_FOLDER_LABEL), text = ChildRect(this, IDC_SELECT_FOLDER_TEXT);
    const CRect tree = ChildRect(this, IDC_SELECT_FOLDER_TREE);
    const int bw = ok.Width(), bh = ok.Height();
    const bool presets = (GetDlgItem(IDC_SELECT_FOLDER_PRESETS)->GetStyle() & WS_VISIBLE) != 0;

    const CRect cancelAt(cx - kMargin - bw, cy - kMargin - bh, cx - kMargin, cy - kMargin);
    const CRect okAt(cancelAt.left - kButtonGap - bw, cancelAt.top, cancelAt.left - kButtonGap, cancelAt.bottom);
    const int rowBottom = cy - 8;
    const CRect checkAt(check.left, rowBottom - bh + (bh - check.Height()) / 2, check.right,
                        rowBottom - bh + (bh - check.Height()) / 2 + check.Height());
    const int comboBottom = cancelAt.top - 9;
    const int comboTop = comboBottom - m_nComboFieldHeight;
    const CRect buttonAt(cx - kMargin - button.Width(), comboTop + (m_nComboFieldHeight - button.Height()) / 2,
                         cx - kMargin, comboTop + (m_nComboFieldHeight - button.Height()) / 2 + button.Height());
    const int comboRight = presets ? buttonAt.left - kButtonGap : cx - kMargin;
    const int labelTop = comboTop - m_nLabelToCombo;
    const CRect labelAt(label.left, labelTop, label.right, labelTop + label.Height());
    const CRect textAt(text.left, text.top, std::max<int>(text.left, cx - kMargin), text.bottom);
    const CRect treeAt(tree.left, tree.top, std::max<int>(tree.left, cx - kMargin),
                       std::max<int>(tree.top, labelTop - m_nTreeToLabel));

    HDWP dwp = ::BeginDeferWindowPos(9);
    auto place = [&](int id, const CRect& rc, int height = -1) {
        if (CWnd* child = GetDlgItem(id))
            dwp = ::DeferWindowPos(dwp, child->m_hWnd, NULL, rc.left, rc.top, rc.Width(), height < 0 ? rc.Height() : height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDCANCEL, cancelAt);
    place(IDOK, okAt);
    place(IDC_SELECT_FOLDER_SUBFOLDERS, checkAt);
    place(IDC_SELECT_FOLDER_PATTERN, CRect(combo.left, comboTop, std::max<int>(combo.left, comboRight), comboBottom),
          m_nComboDropHeight);
    place(IDC_SELECT_FOLDER_PRESETS, buttonAt);
    place(IDC_SELECT_FOLDER_LABEL, labelAt);
    place(IDC_SELECT_FOLDER_TEXT, textAt);
    place(IDC_SELECT_FOLDER_TREE, treeAt);
    if (m_hGrip && ::IsWindow(m_hGrip)) {
        CRect grip;
        ::GetWindowRect(m_hGrip, &grip);
        dwp = ::DeferWindowPos(dwp, m_hGrip, NULL, cx - grip.Width(), cy - grip.Height(), grip.Width(), grip.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) ::EndDeferWindowPos(dwp);
}
