// The About box of each program as it ships (template 100 for the player, 500 for the converter):
// its texts, the links sized to their text, the web site opened and the support mail written.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "framework/Effects.h"
#include "toolkit/AboutDlg.h"

#include <functional>

namespace {

std::vector<CString> g_opened;

HINSTANCE WINAPI RecordOpen(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_opened.push_back(file);
    return (HINSTANCE)33;
}

// The dialog under test, checked from inside its modal loop when it first goes idle.
class CCheckedAboutDlg : public CAboutDlg {
public:
    using CAboutDlg::CAboutDlg;
    std::function<void(CCheckedAboutDlg&)> m_check;

protected:
    LRESULT OnKickIdle(WPARAM, LPARAM)
    {
        if (m_check) {
            auto check = m_check;
            m_check = nullptr;
            check(*this);
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCheckedAboutDlg, CAboutDlg)
    ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

CString Text(CWnd& dlg, int id)
{
    CString text;
    dlg.GetDlgItemText(id, text);
    return text;
}

int TextWidth(HWND control)
{
    CString text;
    CWnd::FromHandle(control)->GetWindowText(text);
    CClientDC dc(control);
    CGdiSelector font(dc.m_hDC, (HGDIOBJ)SendMessageW(control, WM_GETFONT, 0, 0));
    return dc.GetTextExtent(text).cx;
}

struct AboutSeen {
    CString caption, title, version, notice, site, mail, screenshot;
    HFONT titleFont = NULL;
    bool linksUnderlined = false, sizedToText = false;
};

class AboutDlgTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        g_opened.clear();
        FwSetShellExecuteFunction(&RecordOpen);
    }
    void TearDown() override
    {
        FwSetShellExecuteFunction(NULL);
        ToolkitWindowTest::TearDown();
    }

    AboutSeen Run(UINT templateId, LPCWSTR shotName)
    {
        AboutSeen seen;
        CCheckedAboutDlg dlg(templateId, &m_parent);
        dlg.m_check = [&](CCheckedAboutDlg& d) {
            d.GetWindowText(seen.caption);
            seen.title = Text(d, IDC_ABOUT_TITLE);
            seen.version = Text(d, IDC_ABOUT_VERSION);
            seen.notice = Text(d, IDC_ABOUT_NOTICE);
            seen.site = Text(d, IDC_ABOUT_WEB_SITE);
            seen.mail = Text(d, IDC_ABOUT_MAIL);
            seen.titleFont = (HFONT)d.SendDlgItemMessage(IDC_ABOUT_TITLE, WM_GETFONT);
            LOGFONTW lf = {};
            GetObjectW((HFONT)d.SendDlgItemMessage(IDC_ABOUT_WEB_SITE, WM_GETFONT), sizeof(lf), &lf);
            seen.linksUnderlined = lf.lfUnderline != 0;
            bool sized = true;
            for (int id : {IDC_ABOUT_WEB_SITE, IDC_ABOUT_MAIL}) {
                HWND link = ::GetDlgItem(d.m_hWnd, id);
                CRect rc;
                ::GetWindowRect(link, &rc);
                sized = sized && rc.Width() == TextWidth(link) + 4;
            }
            seen.sizedToText = sized;
            seen.screenshot = SaveWindowScreenshot(L"toolkit", shotName, d.m_hWnd);
            // The links, as a click sends them.
            for (int id : {IDC_ABOUT_WEB_SITE, IDC_ABOUT_MAIL})
                d.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(d.m_hWnd, id));
            d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(d.m_hWnd, IDOK));
        };
        EXPECT_EQ(IDOK, dlg.DoModal());
        return seen;
    }
};

} // namespace

TEST_F(AboutDlgTest, ThePlayersBoxNamesTheProgramItsVersionAndTheMakersAddresses)
{
    const AboutSeen seen = Run(IDD_ABOUTBOX, L"about-lumivo");
    EXPECT_EQ(CString(L"About Lumivo"), seen.caption);
    EXPECT_EQ(CString(L"Lumivo 3"), seen.title);
    EXPECT_EQ((HFONT)m_host.GetLargeFont()->GetSafeHandle(), seen.titleFont);
    EXPECT_EQ(CString(L"Version 3.3.0"), seen.version);
    EXPECT_EQ(CString(L"Toolkit tests"), seen.notice);
    EXPECT_EQ(CString(L"http://127.0.0.1/"), seen.site);
    EXPECT_EQ(CString(L"support@example.invalid"), seen.mail);
    EXPECT_TRUE(seen.linksUnderlined);
    EXPECT_TRUE(seen.sizedToText);
    EXPECT_FALSE(seen.screenshot.IsEmpty());
    // The site link opens its address; the mail link has none and the dialog writes the mail.
    ASSERT_EQ(2u, g_opened.size());
    EXPECT_EQ(CString(L"http://127.0.0.1/"), g_opened[0]);
    EXPECT_EQ(CString(L"mailto:support@example.invalid?subject=About%20Lumivo%203.3.0"), g_opened[1]);
}

TEST_F(AboutDlgTest, TheConvertersBoxIsItsOwnTemplateWithItsName)
{
    m_host.m_product = L"Ravento";
    const AboutSeen seen = Run(IDD_ABOUTBOX_CONVERTER, L"about-ravento");
    EXPECT_EQ(CString(L"About Ravento"), seen.caption);
    EXPECT_EQ(CString(L"Ravento 3"), seen.title);
    EXPECT_EQ(CString(L"Version 3.3.0"), seen.version);
    EXPECT_EQ(CString(L"support@example.invalid"), seen.mail);
    EXPECT_TRUE(seen.sizedToText);
    EXPECT_FALSE(seen.screenshot.IsEmpty());
    ASSERT_EQ(2u, g_opened.size());
    EXPECT_EQ(CString(L"mailto:support@example.invalid?subject=About%20Ravento%203.3.0"), g_opened[1]);
}
