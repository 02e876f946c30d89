// The settings sheets' base on the screen: the shared font on the sheet's own controls, the first
// page first, Apply that stores what a page holds, and OK.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"
#include "tests/toolkit/bars_tests_res.h"

#include "toolkit/OEPropertySheet.h"

#include <functional>

namespace {

class CGeneralPage : public CPropertyPage {
public:
    CGeneralPage() : CPropertyPage(IDD_BARS_PAGE_GENERAL) {}
    CString m_name = L"Lumivo";
    BOOL m_autoCheck = TRUE;
    int m_applies = 0;
    CString m_appliedName;

    BOOL OnApply() override
    {
        ++m_applies;
        m_appliedName = m_name;
        return CPropertyPage::OnApply();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_BARS_PAGE_EDIT, m_name);
        DDX_Check(pDX, IDC_BARS_PAGE_CHECK, m_autoCheck);
    }

protected:
    void OnChange() { SetModified(TRUE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGeneralPage, CPropertyPage)
    ON_EN_CHANGE(IDC_BARS_PAGE_EDIT, OnChange)
    ON_BN_CLICKED(IDC_BARS_PAGE_CHECK, OnChange)
END_MESSAGE_MAP()

class CMorePage : public CPropertyPage {
public:
    CMorePage() : CPropertyPage(IDD_BARS_PAGE_MORE) {}
    int m_applies = 0;
    BOOL OnApply() override
    {
        ++m_applies;
        return CPropertyPage::OnApply();
    }
};

// Runs steps from a thread timer inside the sheet's modal loop, one per tick.
std::vector<std::function<void()>> g_steps;
size_t g_step = 0;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (g_step < g_steps.size()) {
        g_steps[g_step++]();
        return;
    }
    KillTimer(NULL, id);
}

HFONT FontOf(HWND wnd) { return (HFONT)SendMessageW(wnd, WM_GETFONT, 0, 0); }

} // namespace

class PropertySheetTest : public ToolkitWindowTest {};

TEST_F(PropertySheetTest, ApplyStoresThePageAndOKCloses)
{
    CGeneralPage general;
    CMorePage more;
    // Asked to start on the second page: the sheet shows the first anyway.
    COEPropertySheet sheet(L"Settings", &m_parent, 1);
    sheet.AddPage(&general);
    sheet.AddPage(&more);

    HWND wnd = NULL;
    bool applyEnabledAfterEdit = false, applyEnabledAfterApply = true;
    CString screenshot;
    g_step = 0;
    g_steps = {
        [&] {
            wnd = sheet.m_hWnd;
            ASSERT_TRUE(wnd != NULL);
            EXPECT_EQ(0, sheet.GetActiveIndex());
            // The sheet's own buttons and tabs carry the shared font; the page keeps its dialog's.
            HFONT shared = (HFONT)m_host.GetNormalFont()->GetSafeHandle();
            EXPECT_EQ(shared, FontOf(GetDlgItem(wnd, IDOK)));
            EXPECT_EQ(shared, FontOf(sheet.GetTabControl()->m_hWnd));
            EXPECT_EQ(CString(L"Lumivo"), [&] { CString t; general.GetDlgItemText(IDC_BARS_PAGE_EDIT, t); return t; }());
        },
        [&] {
            general.SetDlgItemText(IDC_BARS_PAGE_EDIT, L"Lumivo at home");
            applyEnabledAfterEdit = IsWindowEnabled(GetDlgItem(wnd, 0x3021)) != FALSE;
            screenshot = SaveWindowScreenshot(L"toolkit", L"property-sheet", wnd);
        },
        [&] { SendMessageW(wnd, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0); },
        [&] {
            applyEnabledAfterApply = IsWindowEnabled(GetDlgItem(wnd, 0x3021)) != FALSE;
            EXPECT_EQ(1, general.m_applies);
            EXPECT_EQ(CString(L"Lumivo at home"), general.m_appliedName);
            // The sheet is still there after Apply.
            EXPECT_TRUE(IsWindowVisible(wnd));
            general.CheckDlgButton(IDC_BARS_PAGE_CHECK, BST_UNCHECKED);
            SendMessageW(wnd, PSM_PRESSBUTTON, PSBTN_OK, 0);
        },
    };
    const UINT_PTR timer = SetTimer(NULL, 0, 200, &StepTimer);
    const INT_PTR result = sheet.DoModal();
    KillTimer(NULL, timer);
    EXPECT_EQ(4u, g_step);
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(applyEnabledAfterEdit);
    EXPECT_FALSE(applyEnabledAfterApply);
    EXPECT_FALSE(screenshot.IsEmpty());
    // OK applied the page once more.
    EXPECT_EQ(2, general.m_applies);
    EXPECT_FALSE(general.m_autoCheck);
    // The pages went to the system as version-1 records.
    EXPECT_EQ((DWORD)PROPSHEETPAGEW_V1_SIZE, general.m_psp.dwSize);
    EXPECT_FALSE(IsWindow(wnd));
}
