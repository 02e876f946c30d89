// The programs' file dialog: its record, the owner while it runs, the names of a selection of
// thousands of files, and the hook as an explorer dialog drives it (help, file-name checks,
// centring), with a stand-in for the system's dialog; then once with the system's own.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"
#include "tests/toolkit/HttpTestSupport.h"

#include "toolkit/OCFileDialog.h"

#include <dlgs.h>

#include <functional>
#include <string>

namespace {

// The stand-in for GetOpenFileNameW / GetSaveFileNameW: what the test wants it to do.
std::function<BOOL(LPOPENFILENAMEW, BOOL)> g_dialog;

BOOL WINAPI StandIn(LPOPENFILENAMEW ofn, BOOL open)
{
    return g_dialog ? g_dialog(ofn, open) : FALSE;
}

class StandInDialog {
public:
    explicit StandInDialog(std::function<BOOL(LPOPENFILENAMEW, BOOL)> fn) { g_dialog = fn; FwSetFileDialogFunction(&StandIn); }
    ~StandInDialog()
    {
        FwSetFileDialogFunction(NULL);
        g_dialog = nullptr;
    }
};

// Writes the dialog's answer into the selection buffer.
void Answer(LPOPENFILENAMEW ofn, const std::wstring& text)
{
    ASSERT_LE(text.size(), (size_t)ofn->nMaxFile);
    std::copy(text.begin(), text.end(), ofn->lpstrFile);
    if (text.size() < ofn->nMaxFile) ofn->lpstrFile[text.size()] = 0;
}

std::vector<CString> AllNames(const COCFileDialog& dlg)
{
    std::vector<CString> names;
    for (POSITION pos = dlg.GetStartPosition(); pos;) names.push_back(dlg.GetNextPathName(pos));
    return names;
}

// A dialog that records what its hook hands on.
class CRecordingFileDialog : public COCFileDialog {
public:
    using COCFileDialog::COCFileDialog;
    int m_help = 0, m_commandHelp = 0, m_fileNameOK = 0, m_selChanges = 0, m_folderChanges = 0, m_typeChanges = 0;
    int m_refusals = 1;  // the first name is refused
    CString m_sharedPath;
    BOOL m_takeHelp = TRUE;

    BOOL OnFileNameOK() override
    {
        ++m_fileNameOK;
        return m_refusals-- > 0;
    }
    UINT OnShareViolation(LPCWSTR path) override
    {
        m_sharedPath = path;
        return OFN_SHARENOWARN;
    }
    void OnFileNameChange() override { ++m_selChanges; }
    void OnFolderChange() override { ++m_folderChanges; }
    void OnTypeChange() override { ++m_typeChanges; }

protected:
    BOOL OnHelp(UINT)
    {
        ++m_help;
        return m_takeHelp;
    }
    LRESULT OnCommandHelp(WPARAM, LPARAM)
    {
        ++m_commandHelp;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingFileDialog, COCFileDialog)
    ON_COMMAND_EX(ID_HELP, OnHelp)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

// In-memory dialog templates: the explorer dialog's frame and the hook's child dialog.
struct DialogTemplate {
    DLGTEMPLATE dlg;
    WORD menu, cls, title;
};

DialogTemplate MakeTemplate(DWORD style, short cx, short cy)
{
    DialogTemplate t = {};
    t.dlg.style = style;
    t.dlg.cx = cx;
    t.dlg.cy = cy;
    return t;
}

// The explorer dialog's side of the file-path messages.
INT_PTR CALLBACK ExplorerStandInProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CDM_GETSPEC || message == CDM_GETFILEPATH) {
        const wchar_t* text = message == CDM_GETSPEC ? L"clip.mp4" : L"Z:\\media\\clip.mp4";
        lstrcpynW((LPWSTR)lParam, text, (int)wParam);
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lstrlenW(text) + 1);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

LRESULT Notify(HWND hook, HWND explorer, UINT code, LPCWSTR file = NULL)
{
    OFNOTIFYW n = {};
    n.hdr.hwndFrom = explorer;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.pszFile = const_cast<LPWSTR>(file);
    SendMessageW(hook, WM_NOTIFY, 0, (LPARAM)&n);
    return GetWindowLongPtrW(hook, DWLP_MSGRESULT);
}

} // namespace

class FileDialogTest : public ToolkitWindowTest {};

TEST_F(FileDialogTest, RecordFlagsBufferAndHelpContext)
{
    COCFileDialog open(TRUE, L"mp4", L"Z:\\media\\first.mp4", OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT,
                       L"Video (*.mp4)|*.mp4|All Files (*.*)|*.*|");
    OPENFILENAMEW& ofn = open.GetOFN();
    EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | 0x880020), ofn.Flags);
    EXPECT_EQ(0x100000u, ofn.nMaxFile);
    EXPECT_EQ(CString(L"Z:\\media\\first.mp4"), CString(ofn.lpstrFile));
    EXPECT_EQ(CString(L"mp4"), CString(ofn.lpstrDefExt));
    EXPECT_EQ(0x40u, ofn.nMaxFileTitle);
    // The filter's bars became the list the system takes.
    EXPECT_EQ(CString(L"Video (*.mp4)"), CString(ofn.lpstrFilter));
    EXPECT_EQ(CString(L"*.mp4"), CString(ofn.lpstrFilter + 14));
    EXPECT_EQ(CString(L"All Files (*.*)"), CString(ofn.lpstrFilter + 20));
    EXPECT_EQ(CString(L"*.*"), CString(ofn.lpstrFilter + 36));
    EXPECT_EQ(0, ofn.lpstrFilter[40]);
    // The system here is NT 6: the full record.
    EXPECT_EQ((DWORD)sizeof(OPENFILENAMEW), ofn.lStructSize);
    EXPECT_EQ((UINT)AFX_IDD_FILEOPEN, open.m_nIDHelp);

    // A record size given by the caller, a save dialog, and a template of the caller's (then not
    // resizable).
    COCFileDialog save(FALSE, NULL, NULL, OFN_ENABLETEMPLATE, NULL, NULL, OPENFILENAME_SIZE_VERSION_400W);
    EXPECT_EQ((DWORD)OPENFILENAME_SIZE_VERSION_400W, save.GetOFN().lStructSize);
    EXPECT_EQ((DWORD)(OFN_ENABLETEMPLATE | OFN_EXPLORER | OFN_ENABLEHOOK), save.GetOFN().Flags);
    EXPECT_EQ((UINT)AFX_IDD_FILESAVE, save.m_nIDHelp);
    EXPECT_EQ(0, save.GetOFN().lpstrFile[0]);

    // An initial name longer than the buffer is cut to it.
    std::wstring huge(0x100010, L'x');
    COCFileDialog cut(TRUE, NULL, huge.c_str());
    EXPECT_EQ(0x100000, lstrlenW(cut.GetOFN().lpstrFile));
}

TEST_F(FileDialogTest, ThousandsOfSelectedFilesComeBackWithTheirFolder)
{
    // 4000 names of 40 characters: far more than a 64K-character buffer holds.
    std::wstring answer = L"Z:\\media\\clips";
    answer.push_back(0);
    std::vector<CString> expected;
    for (int i = 0; i < 4000; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"holiday clip number %05d of the summer.mp4", i);
        answer += name;
        answer.push_back(0);
        expected.push_back(CString(L"Z:\\media\\clips\\") + name);
    }
    answer.push_back(0);
    ASSERT_GT(answer.size(), (size_t)0x10000);

    bool ownerDisabled = false;
    HWND owner = m_parent.m_hWnd;
    StandInDialog standIn([&](LPOPENFILENAMEW ofn, BOOL open) {
        EXPECT_TRUE(open);
        EXPECT_EQ(owner, ofn->hwndOwner);
        ownerDisabled = !IsWindowEnabled(owner);
        // The buffer past the initial text is empty to its end.
        EXPECT_EQ(0, ofn->lpstrFile[ofn->nMaxFile - 1]);
        Answer(ofn, answer);
        return TRUE;
    });
    COCFileDialog dlg(TRUE, NULL, NULL, OFN_ALLOWMULTISELECT, NULL, &m_parent);
    dlg.GetOFN().lpstrFile[0x8000] = L'q';  // left over from an earlier run
    dlg.GetOFN().lpstrFile[0] = 0;
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(expected, AllNames(dlg));
    EXPECT_EQ(CString(L"Z:\\media\\clips"), dlg.GetPathName());
}

TEST_F(FileDialogTest, SelectionsOfEveryShapeAndABufferWithoutEnd)
{
    std::wstring answer;
    StandInDialog standIn([&](LPOPENFILENAMEW ofn, BOOL) {
        Answer(ofn, answer);
        return TRUE;
    });
    COCFileDialog dlg(TRUE, NULL, NULL, OFN_ALLOWMULTISELECT);

    // A folder that ends with a separator gets no second one.
    answer = std::wstring(L"Z:\\\0a.mp4\0b.mp4\0\0", 18);
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<CString>{L"Z:\\a.mp4", L"Z:\\b.mp4"}), AllNames(dlg));
    answer = std::wstring(L"Z:/media/\0a.mp4\0\0", 17);
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<CString>{L"Z:/media/a.mp4"}), AllNames(dlg));
    // One file is one full path.
    answer = std::wstring(L"Z:\\media\\one file.mp4\0\0", 23);
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<CString>{L"Z:\\media\\one file.mp4"}), AllNames(dlg));
    EXPECT_EQ(CString(L"Z:\\media\\one file.mp4"), dlg.GetPathName());
    // An old-style dialog separates its names with blanks.
    dlg.GetOFN().Flags &= ~OFN_EXPLORER;
    answer = std::wstring(L"Z:\\MEDIA A.MP4  B.MP4\0", 22);
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<CString>{L"Z:\\MEDIA\\A.MP4", L"Z:\\MEDIA\\B.MP4"}), AllNames(dlg));
    dlg.GetOFN().Flags |= OFN_EXPLORER;

    // A dialog that filled the whole buffer without an end: nothing past it is read.
    answer.assign(0x100000, L'a');
    ASSERT_EQ(IDOK, dlg.DoModal());
    std::vector<CString> names = AllNames(dlg);
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(0x100000, names[0].GetLength());
    answer = std::wstring(0x100000 - 2, L'b') + std::wstring(L"\0c", 2);
    ASSERT_EQ(IDOK, dlg.DoModal());
    names = AllNames(dlg);
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(CString(std::wstring(0x100000 - 2, L'b').c_str()) + L"\\c", names[0]);

    // Cancel.
    StandInDialog refuse([](LPOPENFILENAMEW, BOOL) { return FALSE; });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST_F(FileDialogTest, HookTurnsHelpIntoIdHelpAndHandsOnTheExplorerNotices)
{
    CRecordingFileDialog dlg(TRUE, NULL, NULL, OFN_ALLOWMULTISELECT, NULL, &m_parent);
    CRect centred;
    CString pathWhileOpen;
    LRESULT firstOK = -1, secondOK = -1, shareAnswer = 0, oldStyleOK = -1;
    StandInDialog standIn([&](LPOPENFILENAMEW ofn, BOOL) {
        // The explorer dialog and the hook's child dialog in it, as the system makes them.
        DialogTemplate frame = MakeTemplate(WS_POPUP | WS_CAPTION | WS_VISIBLE, 200, 120);
        DialogTemplate child = MakeTemplate(WS_CHILD | WS_VISIBLE | DS_CONTROL, 10, 10);
        HWND explorer = CreateDialogIndirectParamW(NULL, &frame.dlg, ofn->hwndOwner, &ExplorerStandInProc, 0);
        HWND hook = CreateDialogIndirectParamW(NULL, &child.dlg, explorer, (DLGPROC)ofn->lpfnHook, (LPARAM)ofn);
        EXPECT_TRUE(hook && explorer);
        EXPECT_EQ(hook, dlg.m_hWnd);
        SetWindowPos(explorer, NULL, 700, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Notify(hook, explorer, CDN_INITDONE);
        GetWindowRect(explorer, &centred);
        pathWhileOpen = dlg.GetPathName();

        // Help three ways: the registered message, the Help button, the explorer notice.
        SendMessageW(hook, CFileDialog::GetRegisteredMessage(L"commdlg_help"), 0, 0);
        SendMessageW(hook, WM_COMMAND, MAKEWPARAM(pshHelp, BN_CLICKED), 0);
        Notify(hook, explorer, CDN_HELP);
        dlg.m_takeHelp = FALSE;
        Notify(hook, explorer, CDN_HELP);

        Notify(hook, explorer, CDN_SELCHANGE);
        Notify(hook, explorer, CDN_FOLDERCHANGE);
        Notify(hook, explorer, CDN_TYPECHANGE);
        shareAnswer = Notify(hook, explorer, CDN_SHAREVIOLATION, L"Z:\\busy.mp4");
        // An explorer dialog checks names with CDN_FILEOK, never with the old message.
        oldStyleOK = SendMessageW(hook, CFileDialog::GetRegisteredMessage(L"commdlg_FileNameOK"), 0, (LPARAM)ofn);
        firstOK = Notify(hook, explorer, CDN_FILEOK);
        secondOK = Notify(hook, explorer, CDN_FILEOK);
        DestroyWindow(explorer);
        Answer(ofn, L"Z:\\media\\clip.mp4");
        return TRUE;
    });
    ASSERT_EQ(IDOK, dlg.DoModal());

    // Centred on the owner.
    CRect owner;
    m_parent.GetWindowRect(&owner);
    EXPECT_NEAR(owner.CenterPoint().x, centred.CenterPoint().x, 1);
    EXPECT_NEAR(owner.CenterPoint().y, centred.CenterPoint().y, 1);
    EXPECT_EQ(CString(L"Z:\\media\\clip.mp4"), pathWhileOpen);
    EXPECT_EQ(4, dlg.m_help);
    EXPECT_EQ(1, dlg.m_commandHelp);
    EXPECT_EQ(1, dlg.m_selChanges);
    EXPECT_EQ(1, dlg.m_folderChanges);
    EXPECT_EQ(1, dlg.m_typeChanges);
    EXPECT_EQ(CString(L"Z:\\busy.mp4"), dlg.m_sharedPath);
    EXPECT_EQ((LRESULT)OFN_SHARENOWARN, shareAnswer);
    EXPECT_EQ(0, oldStyleOK);
    EXPECT_EQ(2, dlg.m_fileNameOK);
    EXPECT_EQ(TRUE, firstOK);
    EXPECT_EQ(FALSE, secondOK);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(CString(L"Z:\\media\\clip.mp4"), dlg.GetPathName());
}

namespace {

// The system's own dialog, driven from its first notice: two files named in the file-name box,
// then OK.
class CDrivenFileDialog : public COCFileDialog {
public:
    using COCFileDialog::COCFileDialog;
    CString m_screenshot;
    bool m_centred = false;
    CWnd* m_owner = nullptr;

    void OnInitDone() override
    {
        COCFileDialog::OnInitDone();
        HWND dialog = ::GetParent(m_hWnd);
        CRect rc, owner;
        ::GetWindowRect(dialog, &rc);
        m_owner->GetWindowRect(&owner);
        m_centred = abs(rc.CenterPoint().x - owner.CenterPoint().x) <= 1 && abs(rc.CenterPoint().y - owner.CenterPoint().y) <= 1;
        ::SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, (LPARAM)L"\"first.txt\" \"second.txt\"");
        ::SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, (LPARAM)L"\"first.txt\" \"second.txt\"");
        ::SetTimer(m_hWnd, 1, 300, NULL);
    }

protected:
    void OnTimer(UINT_PTR)
    {
        ::KillTimer(m_hWnd, 1);
        HWND dialog = ::GetParent(m_hWnd);
        m_screenshot = SaveWindowScreenshot(L"toolkit", L"file-dialog", dialog);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, IDOK));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDrivenFileDialog, COCFileDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

} // namespace

TEST_F(FileDialogTest, TheSystemsDialogReturnsTwoFilesOfAFolder)
{
    CString folder = ScratchFolder(L"file-dialog");
    for (LPCWSTR name : {L"first.txt", L"second.txt"}) {
        HANDLE f = CreateFileW(folder + L"\\" + name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        CloseHandle(f);
    }
    CDrivenFileDialog dlg(TRUE, NULL, NULL, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                          L"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|", &m_parent);
    dlg.m_owner = &m_parent;
    dlg.GetOFN().lpstrInitialDir = folder;
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(dlg.m_centred);
    EXPECT_FALSE(dlg.m_screenshot.IsEmpty());
    EXPECT_EQ((std::vector<CString>{folder + L"\\first.txt", folder + L"\\second.txt"}), AllNames(dlg));
}
