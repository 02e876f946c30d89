// The media information dialog for a clip made at test time and for a file that is no media, the
// two address dialogs with their sample link, and the About box with the maker's own addresses.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlayerUiTestSupport.h"
#include "engine/ToolProcess.h"
#include "player/app/PlayerResource.h"
#include "player/dialogs/MediaInfoDlg.h"
#include "player/dialogs/UrlDialogs.h"
#include "tests/common/Screenshot.h"
#include "toolkit/AboutDlg.h"

using namespace playertest;

namespace {

class PlayerDialogs : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app.reset(new CPlayerTestApp(true));
        s_app->Resources()->Init();
        UseTestTools(s_app->Resources());
    }
    static void TearDownTestSuite() { s_app.reset(); }
    static std::unique_ptr<CPlayerTestApp> s_app;
};
std::unique_ptr<CPlayerTestApp> PlayerDialogs::s_app;

struct Row {
    CString name, value;
    bool section;
};

std::vector<Row> Rows(CMediaInfoDlg& dlg)
{
    std::vector<Row> rows;
    for (int i = 0; i < dlg.m_list.GetItemCount(); ++i)
        rows.push_back({dlg.m_list.GetItemText(i, 0), dlg.m_list.GetItemText(i, 1), dlg.m_list.GetItemData(i) == 1});
    return rows;
}

// The value of the first row named 'name' at or after 'from', and its index in 'at'.
CString ValueOf(const std::vector<Row>& rows, LPCWSTR name, size_t from = 0, size_t* at = nullptr)
{
    for (size_t i = from; i < rows.size(); ++i)
        if (rows[i].name == name) {
            if (at)
                *at = i;
            return rows[i].value;
        }
    if (at)
        *at = rows.size();
    return L"<none>";
}

TEST_F(PlayerDialogs, MediaInfoReportsTheFileItsStreamsAndTheirDetails)
{
    ASSERT_FALSE(TestClips().a.IsEmpty());
    CMediaItem item;
    item.Path = TestClips().a;  // not probed yet: the dialog probes it
    CMediaInfoDlg dlg(&item);
    ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();
    ASSERT_TRUE(WaitUntil([&] { return !dlg.IsReading(); }, 60000));
    EXPECT_TRUE(item.Flags & MEDIA_FILE_PROBED);

    CString caption, path;
    dlg.GetWindowText(caption);
    EXPECT_STREQ(L"clip a \u00e9 (tracks).mp4", caption);
    dlg.GetDlgItemText(IDC_MEDIA_INFO_PATH, path);
    EXPECT_STREQ(item.Path, path);
    EXPECT_EQ((DWORD)(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP), dlg.m_list.GetExtendedStyle() & 0x420);
    EXPECT_EQ(100, dlg.m_list.GetColumnWidth(0));

    std::vector<Row> rows = Rows(dlg);
    ASSERT_GE(rows.size(), 5u);
    EXPECT_STREQ(L"File Name", rows[0].name);
    EXPECT_STREQ(caption, rows[0].value);
    EXPECT_TRUE(rows[0].section);
    EXPECT_STREQ(L"File Size", rows[1].name);
    EXPECT_STREQ(FormatInt64Grouped(item.MediaInfo.Size), rows[1].value);
    EXPECT_STREQ(L"Duration", rows[2].name);
    EXPECT_EQ(0, rows[2].value.Find(L"0:00:12.")) << CStringA(rows[2].value).GetString();
    EXPECT_STREQ(L"Format", rows[3].name);
    EXPECT_NE(-1, rows[3].value.Find(L"mp4"));
    EXPECT_STREQ(L"Bit Rate", rows[4].name);
    EXPECT_NE(-1, rows[4].value.Find(L" kbps"));

    // Four streams in file order: video, audio, audio in English, subtitles.
    size_t at = 0;
    EXPECT_STREQ(L"Video", ValueOf(rows, L"Stream #1", 0, &at));
    EXPECT_TRUE(at < rows.size() && rows[at].section);
    EXPECT_STREQ(L"h264", ValueOf(rows, L"Codec", at));
    EXPECT_STREQ(L"320 x 240", ValueOf(rows, L"Width x Height", at));
    EXPECT_STREQ(L"25 fps", ValueOf(rows, L"Frame Rate", at));
    size_t audio1 = 0, audio2 = 0, subtitles = 0;
    EXPECT_STREQ(L"Audio", ValueOf(rows, L"Stream #2", 0, &audio1));
    EXPECT_STREQ(L"Audio", ValueOf(rows, L"Stream #3", 0, &audio2));
    EXPECT_STREQ(L"Subtitles", ValueOf(rows, L"Stream #4", 0, &subtitles));
    ASSERT_TRUE(at < audio1 && audio1 < audio2 && audio2 < subtitles && subtitles < rows.size());
    EXPECT_STREQ(L"aac", ValueOf(rows, L"Codec", audio1));
    EXPECT_STREQ(L"Mono", ValueOf(rows, L"Channels", audio1));
    EXPECT_STREQ(L"44100", ValueOf(rows, L"Sample Rate", audio1));
    size_t language = 0;
    EXPECT_STREQ(L"eng", ValueOf(rows, L"Language", audio2, &language));
    EXPECT_LT(language, subtitles) << "the English track's own row";
    EXPECT_STREQ(L"mov_text", ValueOf(rows, L"Format", subtitles));
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name == L"Language") {
            EXPECT_FALSE(rows[i].value.IsEmpty()) << "a stream without a language has no Language row";
        }
    }
    bool metadata = ValueOf(rows, L"Metadata") != L"<none>";
    EXPECT_EQ(!item.MediaInfo.Metadata.Title.IsEmpty(), metadata) << "the metadata section follows the metadata";

    CString shot = SaveWindowScreenshot(L"player", L"media-info-dialog", dlg.GetSafeHwnd());
    EXPECT_FALSE(shot.IsEmpty());
    dlg.DestroyWindow();
}

TEST_F(PlayerDialogs, MediaInfoOfAFileThatIsNoMediaShowsOnlyThePath)
{
    CString path = TestClips().folder + L"\\plain text.mp4";
    ASSERT_TRUE(WriteUtf8File(path, L"no media in here"));
    CMediaItem item;
    item.Path = path;
    CMediaInfoDlg dlg(&item);
    ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.IsReading(); }, 60000));
    CString shown;
    dlg.GetDlgItemText(IDC_MEDIA_INFO_PATH, shown);
    EXPECT_STREQ(path, shown);
    EXPECT_EQ(0, dlg.m_list.GetItemCount());
    dlg.DestroyWindow();
}

// A file on a share that answers slowly, or not at all, as the probe sees it: the probe takes
// its time. The window is the user's all along: it shows that it is reading, and closing it ends
// the probe.
TEST_F(PlayerDialogs, MediaInfoIsReadAwayFromTheWindowWhichCanBeClosedMeanwhile)
{
    CString log = UseFakeProbe(s_app->Resources(), 30000);
    ASSERT_FALSE(log.IsEmpty());
    CToolProcessBase::SetStopGraceForTests(60000);
    CMediaItem item;
    item.Path = TestClips().b;
    CMediaInfoDlg dlg(&item);
    ASSERT_TRUE(dlg.Create(IDD_MEDIA_INFO, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();
    EXPECT_TRUE(dlg.IsReading()) << "the window came up before the probe ended";
    ASSERT_TRUE(WaitUntil([&] { return ProbedPaths(log).size() == 1; }, 30000)) << "the probe runs";
    CString path;
    dlg.GetDlgItemText(IDC_MEDIA_INFO_PATH, path);
    EXPECT_STREQ(item.Path, path);
    std::vector<Row> rows = Rows(dlg);
    ASSERT_EQ(1u, rows.size());
    EXPECT_STREQ(L"Reading...", rows[0].name);
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"media-info-reading", dlg.GetSafeHwnd()).IsEmpty());

    DWORD closing = GetTickCount();
    dlg.DestroyWindow();
    closing = GetTickCount() - closing;
    CToolProcessBase::SetStopGraceForTests(10000);
    UseTestTools(s_app->Resources());
    EXPECT_LT(closing, 10000u) << "the close waited for the probe";
    EXPECT_FALSE(dlg.IsReading());
    EXPECT_FALSE(item.Flags & MEDIA_FILE_PROBED) << "a stopped probe says nothing of the file";
    EXPECT_EQ(1u, ProbedPaths(log).size());
}

template <class Dialog>
CString ClickExampleAndRead(Dialog& dlg, UINT templateId, UINT inputId, LPCWSTR shotName)
{
    if (!dlg.Create(templateId, nullptr))
        return L"<not created>";
    dlg.ShowWindow(SW_SHOW);
    dlg.SetDlgItemText(inputId, L"something typed before");
    CString sample;
    dlg.m_wndExample.GetWindowText(sample);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_URL_EXAMPLE, BN_CLICKED), (LPARAM)dlg.m_wndExample.m_hWnd);
    CString input;
    dlg.GetDlgItemText(inputId, input);
    EXPECT_STREQ(sample, input) << "the link's address replaces the input";
    SaveWindowScreenshot(L"player", shotName, dlg.GetSafeHwnd());
    dlg.SetDlgItemText(inputId, L"http://a.example/1.mp4\r\n  http://b.example/2.mp4 ");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    CString result = dlg.m_strText;
    dlg.DestroyWindow();
    return result;
}

TEST_F(PlayerDialogs, TheAddressDialogsTakeTheSampleFromTheirLink)
{
    COpenUrlDlg open;
    CString one = ClickExampleAndRead(open, IDD_OPEN_URL, IDC_URL_COMBO, L"open-url-dialog");
    EXPECT_EQ(0, one.Find(L"http://a.example/1.mp4")) << CStringA(one).GetString();

    CAddUrlsDlg add;
    CString several = ClickExampleAndRead(add, IDD_ADD_URLS, IDC_URL_TEXT, L"add-urls-dialog");
    EXPECT_STREQ(L"http://a.example/1.mp4\r\n  http://b.example/2.mp4 ", several) << "one address a line";
}

TEST_F(PlayerDialogs, TheAboutBoxShowsBothAddressesWhole)
{
    CAboutDlg dlg(IDD_ABOUTBOX);
    ASSERT_TRUE(dlg.Create(IDD_ABOUTBOX, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();
    CRect client;
    dlg.GetClientRect(&client);
    for (CHyperLink* link : {&dlg.m_linkWebSite, &dlg.m_linkMail}) {
        CString text;
        link->GetWindowText(text);
        EXPECT_NE(-1, text.Find(L"tarvelo-software.com")) << CStringA(text).GetString();
        CRect rc;
        link->GetWindowRect(&rc);
        dlg.ScreenToClient(&rc);
        EXPECT_LE(rc.right, client.right) << CStringA(text).GetString();
        // The link drawn with room to spare: its text must end within the link's own width.
        const int w = rc.Width() + 100, h = rc.Height();
        const COLORREF ground = ::GetSysColor(COLOR_BTNFACE);
        std::vector<COLORREF> pixels = RenderPixels(w, h, ground, [&](HDC dc) {
            DRAWITEMSTRUCT draw = {};
            draw.CtlType = ODT_BUTTON;
            draw.hwndItem = link->m_hWnd;
            draw.hDC = dc;
            draw.rcItem = CRect(0, 0, w, h);
            link->DrawItem(&draw);
        });
        int inkRight = -1;
        for (int i = 0; i < w * h; ++i)
            if (pixels[i] != ground)
                inkRight = std::max(inkRight, i % w);
        EXPECT_GT(inkRight, rc.Width() / 2) << CStringA(text).GetString();
        EXPECT_LT(inkRight, rc.Width()) << CStringA(text).GetString() << " is cut at the link's right edge";
    }
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"about-lumivo", dlg.m_hWnd).IsEmpty());
    dlg.DestroyWindow();
}

}  // namespace
