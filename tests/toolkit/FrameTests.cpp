// The application frame: where it opens from the saved rectangle, what closing stores (normal,
// maximised, minimised, full screen), the update check it starts, and a layered, always-on-top
// frame read back from the screen.
#include "tests/toolkit/BarsTestSupport.h"
#include "tests/toolkit/HttpTestSupport.h"
#include "tests/toolkit/UpdateTestSupport.h"

#include "tests/common/Screenshot.h"
#include "tests/toolkit/bars_tests_res.h"

#include "toolkit/AppFrameWnd.h"

#include <climits>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A frame that covers the screen for a while, as the player's full-screen frame does: it keeps
// the placement it came from and answers with it when asked what closing stores.
class CFullScreenTestFrame : public CAppFrameWnd {
public:
    CRecordingPane m_pane;
    WINDOWPLACEMENT m_saved = {};
    bool m_fullScreen = false;

    void EnterFullScreen()
    {
        m_saved.length = sizeof(m_saved);
        GetWindowPlacement(m_hWnd, &m_saved);
        m_fullScreen = true;
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        wp.showCmd = SW_SHOWNORMAL;
        wp.rcNormalPosition = {-4, -4, GetSystemMetrics(SM_CXSCREEN) + 4, GetSystemMetrics(SM_CYSCREEN) + 4};
        SetWindowPlacement(m_hWnd, &wp);
    }
    UINT GetPlacementToSave(CRect& rect) override
    {
        if (m_fullScreen) return PlacementToSave(m_saved, rect);
        return CAppFrameWnd::GetPlacementToSave(rect);
    }

protected:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override { return m_pane.Make(this); }
};

CFullScreenTestFrame* OpenFrame()
{
    CFullScreenTestFrame* frame = new CFullScreenTestFrame;
    if (!frame->LoadFrame(IDR_BARS_FRAME, WS_OVERLAPPEDWINDOW)) return nullptr;
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->UpdateWindow();
    PumpProgramPending();
    return frame;
}

void Close(CFrameWnd* frame)
{
    HWND hWnd = frame->m_hWnd;
    frame->SendMessage(WM_CLOSE);
    PumpProgramUntil([&] { return !IsWindow(hWnd); }, 10000);
}

CRect Stored(CTestToolkitHost& host)
{
    return CRect(host.m_rect[0], host.m_rect[1], host.m_rect[2], host.m_rect[3]);  // left, top, width, height
}

CRect WorkArea()
{
    RECT rc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

// Runs this program with the given arguments inside a Wine virtual desktop of cx x cy, which is
// a screen of that size for it; false when it did not end in time.
bool RunInDesktopOf(int cx, int cy, const CString& arguments)
{
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(NULL, self, MAX_PATH);
    CString command;
    command.Format(L"explorer.exe /desktop=ToolkitScreen%dx%d,%dx%d \"%s\" %s", cx, cy, cx, cy, self, arguments.GetString());
    // The desktop and the program it runs go together when the job is closed.
    HANDLE job = ::CreateJobObjectW(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(NULL, command.GetBuffer(), NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &si, &pi)) {
        ::CloseHandle(job);
        return false;
    }
    ::AssignProcessToJobObject(job, pi.hProcess);
    ::ResumeThread(pi.hThread);
    const bool ended = ::WaitForSingleObject(pi.hProcess, 180000) == WAIT_OBJECT_0;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(job);
    return ended;
}

// Runs the current test again on a screen of cx x cy and gives back its report. A virtual
// desktop's size stays the screen size of the whole Wine session after it ends, so the size this
// screen had is put back the same way before the answer.
bool RunOnScreenOf(int cx, int cy, std::string& report)
{
    const int ownCx = ::GetSystemMetrics(SM_CXSCREEN), ownCy = ::GetSystemMetrics(SM_CYSCREEN);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const CString folder = ScratchFolder(L"other screen");
    if (folder.IsEmpty()) return false;
    const CString xml = folder + L"\\report.xml";
    CString arguments;
    arguments.Format(L"--gtest_filter=%S.%S \"--gtest_output=xml:%s\"", test->test_suite_name(), test->name(), xml.GetString());
    const bool ended = RunInDesktopOf(cx, cy, arguments);
    RunInDesktopOf(ownCx, ownCy, L"--gtest_filter=-*");
    // The report is written just before the program ends.
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000; ::Sleep(100)) {
        std::ifstream in(CStringA(xml).GetString());
        std::stringstream text;
        text << in.rdbuf();
        report = text.str();
        if (report.find("</testsuites>") != std::string::npos) break;
    }
    return ended && report.find("</testsuites>") != std::string::npos;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { SetToolkitHost(&m_host); }
    void TearDown() override { SetToolkitHost(nullptr); }
    CTestToolkitHost m_host;
};

} // namespace

TEST_F(FrameTest, OpensAtTheSavedRectangleAndClosingNormalStoresWhereItIs)
{
    m_host.SetMainWindowRect(200, 150, 640, 400);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_EQ(CRect(200, 150, 840, 550), rc);
    frame->MoveWindow(230, 170, 700, 420);
    Close(frame);
    EXPECT_EQ(CRect(230, 170, 700, 420), Stored(m_host));
}

TEST_F(FrameTest, WithoutASavedRectangleItIsCentredAndClosingMaximisedForgetsTheRectangle)
{
    // As after a close while maximised: nothing usable saved.
    m_host.SetMainWindowRect(-1, -1, -1, -1);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    CRect rc;
    frame->GetWindowRect(&rc);
    const CRect work = WorkArea();
    EXPECT_GT(rc.Width(), 0);
    EXPECT_GT(rc.Height(), 0);
    EXPECT_NEAR(work.CenterPoint().x, rc.CenterPoint().x, 1);
    EXPECT_NEAR(work.CenterPoint().y, rc.CenterPoint().y, 1);
    frame->ShowWindow(SW_MAXIMIZE);
    ASSERT_TRUE(PumpProgramUntil([&] { return frame->IsZoomed() != FALSE; }, 5000));
    Close(frame);
    EXPECT_EQ(CRect(-1, -1, -1, -1), Stored(m_host));
}

TEST_F(FrameTest, ARectangleSavedOnAScreenThatIsGoneOpensCentredOnThisOne)
{
    // Saved beside this 1920-pixel screen, on a second one that is no longer there.
    m_host.SetMainWindowRect(2400, 100, 800, 500);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    CRect rc;
    frame->GetWindowRect(&rc);
    const CRect work = WorkArea();
    EXPECT_NEAR(work.CenterPoint().x, rc.CenterPoint().x, 1);
    EXPECT_NEAR(work.CenterPoint().y, rc.CenterPoint().y, 1);
    EXPECT_TRUE(CRect().IntersectRect(&rc, &work));
    Close(frame);
    EXPECT_EQ(rc.left, Stored(m_host).left);
    // Partly on the screen is still where the user left it.
    m_host.SetMainWindowRect(1700, 900, 640, 400);
    frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->GetWindowRect(&rc);
    EXPECT_EQ(CRect(1700, 900, 2340, 1300), rc);
    Close(frame);
}

// A saved place of huge values, or one that leaves only a corner on the screen (no caption to
// take the frame by), opens centred as one that no screen shows does.
TEST_F(FrameTest, ARectangleWithTooLittleOfItsCaptionOnTheScreenOpensCentred)
{
    const CRect work = WorkArea();
    const CRect saved[] = {
        {INT_MAX - 100, INT_MAX - 100, 800, 500},
        {work.right - 10, work.bottom - 10, 640, 400},
        {work.left - 640 + SAVED_PLACE_GRIP_WIDTH / 2, 200, 640, 400},
    };
    for (const CRect& place : saved) {
        m_host.SetMainWindowRect(place.left, place.top, place.right, place.bottom);
        CFullScreenTestFrame* frame = OpenFrame();
        ASSERT_TRUE(frame != nullptr);
        CRect rc;
        frame->GetWindowRect(&rc);
        EXPECT_NEAR(work.CenterPoint().x, rc.CenterPoint().x, 1) << place.left;
        EXPECT_NEAR(work.CenterPoint().y, rc.CenterPoint().y, 1) << place.left;
        if (place.left == work.right - 10)
            SaveWindowScreenshot(L"toolkit", L"frame-saved-with-a-corner-on-the-screen", frame->m_hWnd);
        Close(frame);
    }
}

TEST_F(FrameTest, ClosingMinimisedLeavesTheStoredRectangleAsItWas)
{
    m_host.SetMainWindowRect(300, 200, 500, 300);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->MoveWindow(20, 30, 400, 300);
    frame->ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(PumpProgramUntil([&] { return frame->IsIconic() != FALSE; }, 5000));
    Close(frame);
    EXPECT_EQ(CRect(300, 200, 500, 300), Stored(m_host));
}

TEST_F(FrameTest, ClosingInFullScreenStoresThePlacementItCameFrom)
{
    m_host.SetMainWindowRect(250, 180, 600, 350);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->EnterFullScreen();
    CRect rc;
    frame->GetWindowRect(&rc);
    ASSERT_LT(rc.left, 0);
    Close(frame);
    EXPECT_EQ(CRect(250, 180, 600, 350), Stored(m_host));

    // Full screen entered from a maximised window: closing forgets the rectangle.
    frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->ShowWindow(SW_MAXIMIZE);
    ASSERT_TRUE(PumpProgramUntil([&] { return frame->IsZoomed() != FALSE; }, 5000));
    frame->EnterFullScreen();
    Close(frame);
    EXPECT_EQ(CRect(-1, -1, -1, -1), Stored(m_host));

    // The placement a frame keeps, in the system's workspace coordinates.
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof(wp);
    wp.showCmd = SW_SHOWMINIMIZED;
    CRect out(1, 2, 3, 4);
    EXPECT_EQ((UINT)SW_SHOWMINIMIZED, CAppFrameWnd::PlacementToSave(wp, out));
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = {10, 20, 110, 220};
    EXPECT_EQ((UINT)SW_SHOWNORMAL, CAppFrameWnd::PlacementToSave(wp, out));
    const CRect work = WorkArea();
    EXPECT_EQ(CRect(10 + work.left, 20 + work.top, 110 + work.left, 220 + work.top), out);
}

TEST_F(FrameTest, OnA1024PixelScreenRectanglesFromAWiderOneOpenCentred)
{
    if (GetSystemMetrics(SM_CXSCREEN) != 1024) {
        // This screen is the 1920-pixel one: the test runs again on a screen of 1024 x 768.
        const int ownCx = GetSystemMetrics(SM_CXSCREEN), ownCy = GetSystemMetrics(SM_CYSCREEN);
        std::string report;
        const bool ran = RunOnScreenOf(1024, 768, report);
        ASSERT_EQ(ownCx, GetSystemMetrics(SM_CXSCREEN)) << "this screen has its own size again";
        ASSERT_EQ(ownCy, GetSystemMetrics(SM_CYSCREEN));
        ASSERT_TRUE(ran) << report;
        EXPECT_NE(std::string::npos, report.find("tests=\"1\" failures=\"0\" disabled=\"0\"")) << report;
        EXPECT_EQ(std::string::npos, report.find("<failure")) << report;
        EXPECT_EQ(std::string::npos, report.find("<skipped")) << report;
        return;
    }
    const CRect work = WorkArea();
    ASSERT_EQ(1024, work.Width());

    // Nothing saved: centred, and whole on this screen.
    m_host.SetMainWindowRect(-1, -1, 0, 0);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_NEAR(work.CenterPoint().x, rc.CenterPoint().x, 1);
    EXPECT_NEAR(work.CenterPoint().y, rc.CenterPoint().y, 1);
    EXPECT_TRUE(rc.left >= work.left && rc.top >= work.top && rc.right <= work.right && rc.bottom <= work.bottom)
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    Close(frame);
    EXPECT_EQ(CRect(rc.left, rc.top, rc.Width(), rc.Height()), Stored(m_host));

    // Left on the right half of a 1920-pixel screen: nowhere on this one, so centred here.
    m_host.SetMainWindowRect(1300, 200, 500, 300);
    frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->GetWindowRect(&rc);
    EXPECT_NEAR(work.CenterPoint().x, rc.CenterPoint().x, 1);
    EXPECT_NEAR(work.CenterPoint().y, rc.CenterPoint().y, 1);
    EXPECT_LE(rc.right, work.right);
    Close(frame);
    EXPECT_GT(Stored(m_host).left, 0);
    EXPECT_LT(Stored(m_host).left, 1024);

    // Partly on this screen: where the user left it.
    m_host.SetMainWindowRect(800, 500, 640, 400);
    frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    frame->GetWindowRect(&rc);
    EXPECT_EQ(CRect(800, 500, 1440, 900), rc);
    // Maximised it fills this screen, and closing forgets the rectangle.
    frame->ShowWindow(SW_MAXIMIZE);
    ASSERT_TRUE(PumpProgramUntil([&] { return frame->IsZoomed() != FALSE; }, 5000));
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_GE(client.Width(), 1000);
    EXPECT_LE(client.Width(), 1024);
    Close(frame);
    EXPECT_EQ(CRect(-1, -1, -1, -1), Stored(m_host));
}

TEST_F(FrameTest, ALayeredAlwaysOnTopFrameShowsThroughAndStaysAbove)
{
    m_host.SetMainWindowRect(900, 300, 400, 300);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);
    // A red window under the frame's pane.
    CWnd below;
    ASSERT_TRUE(below.CreateEx(0, AfxRegisterWndClass(0, NULL, CreateSolidBrush(RGB(255, 0, 0))), L"", WS_POPUP | WS_VISIBLE,
                               CRect(950, 400, 1250, 550), NULL, 0));
    frame->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    below.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    below.UpdateWindow();
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOPMOST);
    // Raised after the frame, the ordinary window still stays below it.
    const CPoint probe(1100, 470);
    EXPECT_TRUE(PumpProgramUntil([&] { return ScreenPixel(probe.x, probe.y) == RGB(255, 255, 255); }, 3000));
    EXPECT_EQ(frame->m_pane.m_hWnd, ::WindowFromPoint(probe));

    ASSERT_TRUE(SetWindowAlpha(frame->m_hWnd, 127));
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_LAYERED);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(frame->m_hWnd, &key, &alpha, &flags));
    EXPECT_EQ(127, alpha);
    EXPECT_EQ((DWORD)LWA_ALPHA, flags);
    frame->RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // Half of the white pane and half of the red window under it where the display composes
    // windows; a display without a compositor (Xvfb here) shows the frame as it is. Never the
    // window below alone, nor a frame that lost its picture.
    COLORREF seen = 0;
    PumpProgramUntil(
        [&] {
            seen = ScreenPixel(probe.x, probe.y);
            return GetRValue(seen) > 240 && GetGValue(seen) > 100 && GetGValue(seen) < 160 && GetBValue(seen) > 100 &&
                   GetBValue(seen) < 160;
        },
        2000);
    const bool blended = GetRValue(seen) > 240 && GetGValue(seen) > 100 && GetGValue(seen) < 160;
    EXPECT_TRUE(blended || seen == RGB(255, 255, 255)) << std::hex << seen;
    CRect shot(900, 300, 1300, 600);
    EXPECT_FALSE(SaveScreenRectScreenshot(L"toolkit", L"layered-frame", shot).IsEmpty());

    ClearWindowAlpha(frame->m_hWnd);
    EXPECT_FALSE(frame->GetExStyle() & WS_EX_LAYERED);
    EXPECT_TRUE(PumpProgramUntil([&] { return ScreenPixel(probe.x, probe.y) == RGB(255, 255, 255); }, 3000));
    below.DestroyWindow();
    Close(frame);
}

// ---- the update check it starts

class FrameUpdateTest : public UpdateCheckTest {};

TEST_F(FrameUpdateTest, TheStartMessageRunsAManualCheckOrAnAutomaticOneThatHonoursTheInterval)
{
    m_host.SetMainWindowRect(900, 300, 400, 300);
    CFullScreenTestFrame* frame = OpenFrame();
    ASSERT_TRUE(frame != nullptr);

    // Manual: the newest version is said so.
    m_host.m_feed = m_server.Url("/same.xml");
    frame->PostMessage(WM_START_UPDATE_CHECK, 0, 0);
    ASSERT_TRUE(PumpProgramUntil([&] { return m_effects.Boxes().size() == 1; }, 30000));
    EXPECT_EQ(CString(kUpdateNewestText), m_effects.Boxes()[0].text);
    // ... and a failure too.
    m_host.m_feed = m_server.Url("/missing.xml");
    frame->PostMessage(WM_START_UPDATE_CHECK, 0, 0);
    ASSERT_TRUE(PumpProgramUntil([&] { return m_effects.Boxes().size() == 2; }, 30000));
    EXPECT_EQ(CString(kUpdateFailedText), m_effects.Boxes()[1].text);

    // Automatic and not due: nothing starts.
    m_host.m_feed = m_server.Url("/newer.xml");
    m_host.m_autoCheckDays = 1;
    const __int64 lastCheck = _time64(NULL) - 60;
    m_host.m_lastCheck = lastCheck;
    EXPECT_EQ(0, frame->SendMessage(WM_START_UPDATE_CHECK, 0, 1));
    EXPECT_EQ(lastCheck, m_host.m_lastCheck);
    // Another wParam is no start at all.
    m_host.m_lastCheck = 0;
    EXPECT_EQ(0, frame->SendMessage(WM_START_UPDATE_CHECK, 1, 0));
    EXPECT_EQ(0, m_host.m_lastCheck);
    // Automatic and due, with nothing newer: silent, and the check is written down.
    m_host.m_feed = m_server.Url("/same.xml");
    EXPECT_EQ(0, frame->SendMessage(WM_START_UPDATE_CHECK, 0, 1));
    EXPECT_GT(m_host.m_lastCheck, _time64(NULL) - 60);
    PumpProgramUntil([] { return false; }, 1500);
    EXPECT_EQ(2u, m_effects.Boxes().size());
    Close(frame);
}
