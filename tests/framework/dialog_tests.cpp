// Dialogs from the test templates: data exchange and validation, modal runs with and without an
// owner (also on a worker thread), the modal loop's idle and pre-translation, property sheets.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "framework/Ddx.h"
#include "framework/Dialog.h"
#include "framework/PropertySheet.h"
#include "framework/Controls.h"

#include "framework/dialog_test_resources.h"

#include <functional>
#include <thread>
#include <vector>

namespace {

std::vector<CString> g_boxes;

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_boxes.push_back(text);
    return IDOK;
}

struct MessageBoxRecorder {
    FwMessageBoxFn old;
    MessageBoxRecorder() : old(FwSetMessageBoxFunction(&RecordBox)) { g_boxes.clear(); }
    ~MessageBoxRecorder() { FwSetMessageBoxFunction(old); }
};

const UINT WM_TEST_END = WM_APP + 40;

class CDataDlg : public CDialog {
public:
    explicit CDataDlg(CWnd* owner) : CDialog(IDD_TEST_DATA, owner) {}
    CDataDlg() : CDialog(IDD_TEST_DATA) {}

    CString m_name = L"first";
    int m_count = 5;
    int m_flag = BST_CHECKED;
    int m_radio = 2;
    int m_combo = 1;
    int m_slider = 30;
    int m_minCount = 1, m_maxCount = 10;

    // Test scripting: what the dialog does once it runs.
    int m_endInInit = 0;          // EndDialog value from OnInitDialog (0: none)
    bool m_endOnKick = false;     // EndDialog(IDOK via OnOK) at the first WM_KICKIDLE
    int m_kicks = 0;
    int m_keysSeen = 0;
    HWND m_ownerSeen = (HWND)-1;
    BOOL m_ownerEnabledDuringRun = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, m_name);
        DDX_Text(pDX, IDC_COUNT, m_count);
        DDV_MinMaxInt(pDX, m_count, m_minCount, m_maxCount);
        DDX_Check(pDX, IDC_FLAG, m_flag);
        DDX_Radio(pDX, IDC_RADIO1, m_radio);
        DDX_CBIndex(pDX, IDC_COMBO, m_combo);
        DDX_Slider(pDX, IDC_SLIDER, m_slider);
    }
    BOOL OnInitDialog() override
    {
        SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)L"a");
        SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)L"b");
        SendDlgItemMessage(IDC_SLIDER, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        CDialog::OnInitDialog();
        m_ownerSeen = ::GetWindow(m_hWnd, GW_OWNER);
        if (m_ownerSeen) m_ownerEnabledDuringRun = ::IsWindowEnabled(m_ownerSeen);
        if (m_endInInit) EndDialog(m_endInInit);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'Q') {
            ++m_keysSeen;
            PostMessage(WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    LRESULT OnKickIdle(WPARAM, LPARAM)
    {
        ++m_kicks;
        if (m_endOnKick) {
            m_endOnKick = false;
            SetDlgItemText(IDC_NAME, L"typed");
            PostMessage(WM_COMMAND, IDOK, 0);
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDataDlg, CDialog)
    ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

CString ItemText(CWnd& dlg, int id)
{
    CString s;
    dlg.GetDlgItemText(id, s);
    return s;
}

} // namespace

TEST(DialogDataExchange, LoadsControlsAndReadsThemBack)
{
    CDataDlg dlg(nullptr);
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA, nullptr));
    // OnInitDialog filled the controls from the members.
    EXPECT_EQ(CString(L"first"), ItemText(dlg, IDC_NAME));
    EXPECT_EQ(CString(L"5"), ItemText(dlg, IDC_COUNT));
    EXPECT_EQ(BST_CHECKED, (int)dlg.IsDlgButtonChecked(IDC_FLAG));
    EXPECT_EQ(BST_UNCHECKED, (int)dlg.IsDlgButtonChecked(IDC_RADIO1));
    EXPECT_EQ(BST_CHECKED, (int)dlg.IsDlgButtonChecked(IDC_RADIO3));
    EXPECT_EQ(1, (int)dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCURSEL));
    EXPECT_EQ(30, (int)dlg.SendDlgItemMessage(IDC_SLIDER, TBM_GETPOS));

    dlg.SetDlgItemText(IDC_NAME, L"second name");
    dlg.SetDlgItemText(IDC_COUNT, L"  7 ");
    dlg.CheckDlgButton(IDC_FLAG, BST_UNCHECKED);
    dlg.CheckRadioButton(IDC_RADIO1, IDC_RADIO3, IDC_RADIO1);
    dlg.SendDlgItemMessage(IDC_COMBO, CB_SETCURSEL, 0);
    dlg.SendDlgItemMessage(IDC_SLIDER, TBM_SETPOS, TRUE, 64);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(CString(L"second name"), dlg.m_name);
    EXPECT_EQ(7, dlg.m_count);
    EXPECT_EQ(BST_UNCHECKED, dlg.m_flag);
    EXPECT_EQ(0, dlg.m_radio);
    EXPECT_EQ(0, dlg.m_combo);
    EXPECT_EQ(64, dlg.m_slider);

    // No radio checked reads as -1; -1 written unchecks them all.
    dlg.CheckDlgButton(IDC_RADIO1, BST_UNCHECKED);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-1, dlg.m_radio);
    dlg.m_radio = 1;
    dlg.UpdateData(FALSE);
    EXPECT_EQ(BST_CHECKED, (int)dlg.IsDlgButtonChecked(IDC_RADIO2));
    dlg.DestroyWindow();
}

TEST(DialogDataExchange, RefusesTextThatIsNotAWholeNumberAndValuesOutOfRange)
{
    MessageBoxRecorder boxes;
    CDataDlg dlg(nullptr);
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA, nullptr));
    const wchar_t* bad[] = {L"abc", L"12abc", L"", L"1.5", L"99999999999"};
    for (const wchar_t* text : bad) {
        g_boxes.clear();
        dlg.m_count = 3;
        dlg.m_name = L"unchanged";
        dlg.SetDlgItemText(IDC_NAME, L"new");
        dlg.SetDlgItemText(IDC_COUNT, text);
        EXPECT_FALSE(dlg.UpdateData(TRUE)) << (const char*)CStringA(text);
        EXPECT_EQ(3, dlg.m_count);
        // The exchange before the failure happened; nothing after it.
        EXPECT_EQ(CString(L"new"), dlg.m_name);
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(CString(L"Please enter an integer."), g_boxes[0]);
    }

    g_boxes.clear();
    dlg.m_flag = 77;
    dlg.SetDlgItemText(IDC_COUNT, L"42");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(CString(L"Please enter an integer between 1 and 10."), g_boxes[0]);
    EXPECT_EQ(77, dlg.m_flag) << "exchange stops at the failed validation";
    // The offending edit has its text selected for correction.
    DWORD sel = (DWORD)dlg.SendDlgItemMessage(IDC_COUNT, EM_GETSEL);
    EXPECT_EQ(0u, LOWORD(sel));
    EXPECT_EQ(2u, HIWORD(sel));

    g_boxes.clear();
    dlg.SetDlgItemText(IDC_COUNT, L"-3");
    dlg.m_minCount = -5;
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-3, dlg.m_count);
    EXPECT_TRUE(g_boxes.empty());
    dlg.DestroyWindow();
}

TEST(DialogDataExchange, EachRangeCheckNamesItsBoundsInTheFormOfItsType)
{
    MessageBoxRecorder boxes;
    struct Case {
        std::function<void(CDataExchange*)> check;
        const wchar_t* prompt;
    };
    const Case outside[] = {
        {[](CDataExchange* dx) { DDV_MinMaxInt(dx, 11, -5, 10); }, L"Please enter an integer between -5 and 10."},
        {[](CDataExchange* dx) { DDV_MinMaxLong(dx, -6L, -5L, 10L); }, L"Please enter an integer between -5 and 10."},
        {[](CDataExchange* dx) { DDV_MinMaxUInt(dx, 4000000000u, 1u, 3000000000u); },
         L"Please enter a positive integer between 1 and 3000000000."},
        {[](CDataExchange* dx) { DDV_MinMaxDouble(dx, 0.05, 0.1, 2.5); }, L"Please enter a number between 0.1 and 2.5."},
    };
    for (const Case& c : outside) {
        g_boxes.clear();
        CDataExchange dx(nullptr, TRUE);
        c.check(&dx);
        EXPECT_TRUE(dx.m_bFailed) << CStringA(c.prompt).GetString();
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(CString(c.prompt), g_boxes[0]);
    }

    // The bounds themselves pass, and loading the controls checks nothing.
    g_boxes.clear();
    CDataExchange inside(nullptr, TRUE);
    DDV_MinMaxInt(&inside, 10, -5, 10);
    DDV_MinMaxLong(&inside, -5L, -5L, 10L);
    DDV_MinMaxUInt(&inside, 3000000000u, 1u, 3000000000u);
    DDV_MinMaxDouble(&inside, 0.1, 0.1, 2.5);
    CDataExchange load(nullptr, FALSE);
    DDV_MinMaxInt(&load, 99, -5, 10);
    EXPECT_FALSE(inside.m_bFailed);
    EXPECT_FALSE(load.m_bFailed);
    EXPECT_TRUE(g_boxes.empty());
}

TEST(DialogModal, OwnerIsTheMainWindowUnlessAnExplicitNullIsGiven)
{
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, NULL, L"main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL));
    CWinThread thread;
    thread.m_bAutoDelete = FALSE;
    thread.m_pMainWnd = &frame;
    CWinThread* previous = AfxGetThread();
    AfxSetThread(&thread);

    CDataDlg implicit;
    implicit.m_endInInit = 11;
    EXPECT_EQ(11, implicit.DoModal());
    EXPECT_EQ(frame.m_hWnd, implicit.m_ownerSeen);
    EXPECT_FALSE(implicit.m_ownerEnabledDuringRun) << "the owner is disabled while the dialog runs";
    EXPECT_TRUE(frame.IsWindowEnabled()) << "and enabled again afterwards";

    CDataDlg none(nullptr);
    none.m_endInInit = 12;
    EXPECT_EQ(12, none.DoModal());
    EXPECT_EQ((HWND)NULL, none.m_ownerSeen);
    EXPECT_TRUE(frame.IsWindowEnabled());

    AfxSetThread(previous);
    frame.DestroyWindow();
}

TEST(DialogModal, RunsOnAWorkerThreadWithoutOwnerAndIdlesIntoOnOK)
{
    INT_PTR result = 0;
    CString name;
    int kicks = 0;
    HWND owner = (HWND)-1;
    std::thread worker([&] {
        CDataDlg dlg(nullptr);
        dlg.m_endOnKick = true;
        result = dlg.DoModal();
        name = dlg.m_name;
        kicks = dlg.m_kicks;
        owner = dlg.m_ownerSeen;
    });
    worker.join();
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString(L"typed"), name) << "OnOK read the controls back";
    EXPECT_GE(kicks, 1);
    EXPECT_EQ((HWND)NULL, owner);
}

TEST(DialogModal, PreTranslateMessageSeesKeysOfItsControls)
{
    struct Poster : CDataDlg {
        Poster() : CDataDlg(nullptr) {}
        BOOL OnInitDialog() override
        {
            CDataDlg::OnInitDialog();
            ::PostMessageW(::GetDlgItem(m_hWnd, IDC_NAME), WM_KEYDOWN, 'Q', 0);
            return TRUE;
        }
    } dlg;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(1, dlg.m_keysSeen);
}

TEST(DialogModal, MissingTemplateGivesMinusOne)
{
    CDialog dlg(IDD_TEST_MISSING, nullptr);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_FALSE(dlg.Create(IDD_TEST_MISSING, nullptr));
}

namespace {

class CTestPage1 : public CPropertyPage {
public:
    CTestPage1() : CPropertyPage(IDD_TEST_PAGE1) {}
    CString m_text = L"page one";
    int m_applied = 0;
    bool m_scripted = false;
    bool m_applyButtonSeen = true;
    int m_maxLength = 100;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_PAGE1_EDIT, m_text);
        DDV_MaxChars(pDX, m_text, m_maxLength);
    }
    BOOL OnSetActive() override
    {
        if (!m_scripted) {
            m_scripted = true;
            PostMessage(WM_TEST_END);
        }
        return CPropertyPage::OnSetActive();
    }
    BOOL OnApply() override
    {
        ++m_applied;
        return CPropertyPage::OnApply();
    }
    LRESULT OnScript(WPARAM, LPARAM)
    {
        HWND sheet = ::GetParent(m_hWnd);
        m_applyButtonSeen = ::GetDlgItem(sheet, 0x3021) != NULL && ::IsWindowVisible(::GetDlgItem(sheet, 0x3021));
        SetDlgItemText(IDC_PAGE1_EDIT, L"edited one");
        // Visit the second page, edit it there, then press OK.
        ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        ::SetDlgItemTextW((HWND)::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), IDC_PAGE2_EDIT, L"edited two");
        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage1, CPropertyPage)
    ON_MESSAGE(WM_TEST_END, OnScript)
END_MESSAGE_MAP()

class CTestPage2 : public CPropertyPage {
public:
    CTestPage2() : CPropertyPage(IDD_TEST_PAGE2) {}
    CString m_text = L"page two";
    CString m_shownAtStart;
    int m_applied = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_PAGE2_EDIT, m_text); }
    BOOL OnInitDialog() override
    {
        CPropertyPage::OnInitDialog();
        GetDlgItemText(IDC_PAGE2_EDIT, m_shownAtStart);
        return TRUE;
    }
    BOOL OnApply() override
    {
        ++m_applied;
        return CPropertyPage::OnApply();
    }
};

} // namespace

TEST(SheetAndPages, TwoPagesExchangeTheirDataAndApplyOnOK)
{
    CPropertySheet sheet(L"Settings", nullptr);
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    CTestPage1 one;
    CTestPage2 two;
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    EXPECT_EQ(2, sheet.GetPageCount());
    EXPECT_EQ(&two, sheet.GetPage(1));

    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_FALSE(one.m_applyButtonSeen) << "PSH_NOAPPLYNOW removes the Apply button";
    EXPECT_EQ(CString(L"page two"), two.m_shownAtStart) << "a page is filled from its members";
    EXPECT_EQ(CString(L"edited one"), one.m_text);
    EXPECT_EQ(CString(L"edited two"), two.m_text);
    EXPECT_EQ(1, one.m_applied);
    EXPECT_EQ(1, two.m_applied);
    EXPECT_EQ(NULL, sheet.m_hWnd);
}

TEST(SheetAndPages, AFailedValidationKeepsTheSheetAndCancelGivesIDCANCEL)
{
    MessageBoxRecorder boxes;
    CPropertySheet sheet(L"Settings", nullptr);
    CTestPage1 one;
    one.m_maxLength = 3;  // "edited one" is too long: OK is refused
    CTestPage2 two;
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    // After the refused OK, cancel from a timer-free post: the refusal shows its box first.
    INT_PTR result = 0;
    {
        struct Cancel {
            static void CALLBACK Fire(HWND hWnd, UINT, UINT_PTR id, DWORD)
            {
                ::KillTimer(hWnd, id);
                HWND sheetWnd = ::GetActiveWindow();
                if (sheetWnd) ::PostMessageW(sheetWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            }
        };
        UINT_PTR timer = ::SetTimer(NULL, 0, 500, &Cancel::Fire);
        result = sheet.DoModal();
        ::KillTimer(NULL, timer);
    }
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_FALSE(g_boxes.empty());
    EXPECT_EQ(CString(L"Please enter no more than 3 characters."), g_boxes[0]);
    EXPECT_EQ(0, one.m_applied);
}

namespace {

// An owner with buttons of its own under the same ids as its dialogs' and a menu command.
class COwnerWithButtons : public CWnd {
public:
    int m_oks = 0, m_cancels = 0, m_flags = 0, m_opens = 0;

protected:
    void OnOwnOK() { ++m_oks; }
    void OnOwnCancel() { ++m_cancels; }
    void OnOwnFlag() { ++m_flags; }
    void OnOpen() { ++m_opens; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwnerWithButtons, CWnd)
    ON_COMMAND(IDOK, OnOwnOK)
    ON_COMMAND(IDCANCEL, OnOwnCancel)
    ON_BN_CLICKED(IDC_FLAG, OnOwnFlag)
    ON_COMMAND(ID_TEST_OPEN, OnOpen)
END_MESSAGE_MAP()

// Clicks, once it runs, a control of its own that it has no handler for, sends a menu command
// and then clicks its OK button.
class CClickingDlg : public CDataDlg {
public:
    explicit CClickingDlg(CWnd* owner) : CDataDlg(owner) {}

protected:
    BOOL OnInitDialog() override
    {
        CDataDlg::OnInitDialog();
        PostMessage(WM_TEST_END);
        return TRUE;
    }
    LRESULT OnScript(WPARAM, LPARAM)
    {
        SendDlgItemMessage(IDC_FLAG, BM_CLICK);
        SendMessage(WM_COMMAND, ID_TEST_OPEN);
        SendDlgItemMessage(IDOK, BM_CLICK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CClickingDlg, CDataDlg)
    ON_MESSAGE(WM_TEST_END, OnScript)
END_MESSAGE_MAP()

// A page that clicks its sheet's OK or Cancel button once it shows.
class CClickingPage : public CPropertyPage {
public:
    explicit CClickingPage(UINT button) : CPropertyPage(IDD_TEST_PAGE1), m_button(button) {}
    int m_applied = 0;

protected:
    BOOL OnSetActive() override
    {
        PostMessage(WM_TEST_END);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnApply() override
    {
        ++m_applied;
        return CPropertyPage::OnApply();
    }
    LRESULT OnScript(WPARAM, LPARAM)
    {
        HWND sheet = ::GetParent(m_hWnd);
        ::SendMessageW(::GetDlgItem(sheet, (int)m_button), BM_CLICK, 0, 0);
        // A click that did not end the sheet would leave it open for ever: it ends here instead.
        if (::IsWindow(sheet) && ::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0) {
            m_stillOpen = true;
            GetSheet()->EndDialog(IDABORT);
        }
        return 0;
    }
    UINT m_button;

public:
    bool m_stillOpen = false;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CClickingPage, CPropertyPage)
    ON_MESSAGE(WM_TEST_END, OnScript)
END_MESSAGE_MAP()

} // namespace

TEST(DialogModal, AnOwnersButtonsNeverAnswerTheButtonsOfItsDialogsButItsMenuCommandsDo)
{
    COwnerWithButtons owner;
    ASSERT_TRUE(owner.CreateEx(0, NULL, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL));

    CClickingDlg dialog(&owner);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(BST_UNCHECKED, dialog.m_flag) << "the flag was clicked in the dialog";
    EXPECT_EQ(0, owner.m_flags);
    EXPECT_EQ(0, owner.m_oks);
    EXPECT_EQ(1, owner.m_opens) << "a menu command goes on to the owner";

    CPropertySheet accepted(L"Settings", &owner);
    CClickingPage ok(IDOK);
    accepted.AddPage(&ok);
    EXPECT_EQ(IDOK, accepted.DoModal());
    EXPECT_FALSE(ok.m_stillOpen);
    EXPECT_EQ(1, ok.m_applied);

    CPropertySheet refused(L"Settings", &owner);
    CClickingPage cancel(IDCANCEL);
    refused.AddPage(&cancel);
    EXPECT_EQ(IDCANCEL, refused.DoModal());
    EXPECT_FALSE(cancel.m_stillOpen);
    EXPECT_EQ(0, cancel.m_applied);
    EXPECT_EQ(0, owner.m_oks);
    EXPECT_EQ(0, owner.m_cancels);
    owner.DestroyWindow();
}
