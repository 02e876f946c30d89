// The player's frame base with stand-ins for its views and bars: full screen in and out (from a
// normal and from a maximised window, with and without the panes pushed off the screen), what
// the frame refuses while full, Esc, the always-on-top and transparent switches in the system menu
// and as commands, the first-run centring, the end of the session and what closing stores.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "player/frame/MediaPlayFrameWnd.h"
#include "tests/common/Screenshot.h"
#include "tests/toolkit/BarsTestSupport.h"
#include "toolkit/FixedSizeBar.h"

using namespace playertest;

namespace {

const int kDockedWidth = 300;
const int kControlBarHeight = 38;
// A resource id that names nothing: the stand-in frame has no menu, caption text or accelerators.
const UINT kNoResources = 0x6F00;

// Stands in for the view container: records the keys that reach it.
class CStandInView : public CWnd {
public:
    std::vector<UINT> keys;
    BOOL Make(CWnd* parent)
    {
        LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(NULL, IDC_ARROW), (HBRUSH)::GetStockObject(BLACK_BRUSH));
        return CreateEx(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 10, 10), parent, AFX_IDW_PANE_FIRST);
    }

protected:
    void OnKeyDown(UINT nChar, UINT, UINT) { keys.push_back(nChar); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CStandInView, CWnd)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

// Stands in for the docked playlist and the playback control bar: a bar of one colour.
class CStandInBar : public CFixedSizeBar {
public:
    COLORREF colour = RGB(48, 48, 48);

protected:
    BOOL OnEraseBkgnd(CDC* pDC)
    {
        CRect rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, colour);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CStandInBar, CFixedSizeBar)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// The frame as the main frame will be: a view between a docked pane at the right and a control bar
// at the bottom, both pushed past the screen's edges in full screen unless the bar is to stay.
class CStandInFrame : public CMediaPlayFrameWnd {
public:
    CStandInView view;
    CStandInBar docked, controlBar;
    bool keepBars = false;
    int toggles = 0;

    void ToggleFullScreen() override
    {
        CRect inset(0, 0, 0, 0);
        if (!keepBars) {
            CRect rc;
            docked.GetWindowRect(&rc);
            inset.right = rc.Width();
            controlBar.GetWindowRect(&rc);
            inset.bottom = rc.Height();
        }
        SetFullScreenInset(inset);
        CMediaPlayFrameWnd::ToggleFullScreen();
        ++toggles;
        RecalcLayout();
    }

protected:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override
    {
        docked.colour = RGB(32, 32, 32);
        controlBar.colour = RGB(0, 160, 255);
        return view.Make(this) &&
               docked.Create(WS_CHILD | WS_VISIBLE | CBRS_RIGHT, CRect(0, 0, kDockedWidth, 100), this, 0xE810) &&
               controlBar.Create(WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, CRect(0, 0, 100, kControlBarHeight), this, 59397);
    }
};

// Records what an update handler sets.
class CProbeCmdUI : public CCmdUI {
public:
    int check = -1;
    void SetCheck(int nCheck) override { check = nCheck; }
    void Enable(BOOL) override { m_bEnableChanged = TRUE; }
};

int UpdateCheck(CFrameWnd* frame, UINT id)
{
    CProbeCmdUI probe;
    probe.m_nID = id;
    probe.DoUpdate(frame, FALSE);
    return probe.check;
}

CRect ScreenRectOf(HWND hWnd)
{
    CRect rc;
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

CRect ClientScreenRect(CWnd* wnd)
{
    CRect rc;
    wnd->GetClientRect(&rc);
    wnd->ClientToScreen(&rc);
    return rc;
}

CRect WorkArea()
{
    RECT rc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

CRect Screen() { return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

class FullScreenFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CPlayerTestApp(true));
        m_app->Resources()->Init();
    }
    void TearDown() override { m_app.reset(); }

    CPlayerSettings& S() { return m_app->Settings(); }

    CStandInFrame* Open()
    {
        CStandInFrame* frame = new CStandInFrame;
        if (!frame->LoadFrame(kNoResources, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) return nullptr;
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
    // Lets the display's answers to earlier moves arrive before the next step: without a window
    // manager, a late answer to an older size would take a maximised frame out of its maximise.
    // Reading a screen pixel is a round trip to the display, after which the answers are queued.
    void Settle()
    {
        HDC screen = ::GetDC(NULL);
        ::GetPixel(screen, 0, 0);
        ::ReleaseDC(NULL, screen);
        PumpProgramPending();
        PumpProgramPending();
    }
    // Posts a key to a window and lets the program's filter see it, as the message loop does.
    void PostKey(HWND hWnd, UINT key)
    {
        ::PostMessageW(hWnd, WM_KEYDOWN, key, 1);
        PumpProgramPending();
    }
    CRect Stored() { return CRect(S().windowLeft, S().windowTop, S().windowWidth, S().windowHeight); }

    std::unique_ptr<CPlayerTestApp> m_app;
};

}  // namespace

TEST_F(FullScreenFrame, FirstRunCentresAndFullScreenCoversTheScreenWithThePanesPushedOff)
{
    CStandInFrame* frame = Open();
    ASSERT_TRUE(frame != nullptr);
    // No document title in the caption, no client edge.
    EXPECT_EQ(0u, frame->GetStyle() & FWS_ADDTOTITLE);
    EXPECT_EQ(0u, frame->GetExStyle() & WS_EX_CLIENTEDGE);
    // First run: nothing stored, so the frame opens in the middle of the work area.
    const CRect normal = ScreenRectOf(frame->m_hWnd);
    EXPECT_NEAR(WorkArea().CenterPoint().x, normal.CenterPoint().x, 1);
    EXPECT_NEAR(WorkArea().CenterPoint().y, normal.CenterPoint().y, 1);
    EXPECT_EQ(CMediaPlayFrameWnd::FULL_SCREEN_OFF, frame->GetFullScreenState());
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"frame-normal", frame->m_hWnd).IsEmpty());

    // Esc in normal mode goes on to the views.
    PostKey(frame->view.m_hWnd, VK_ESCAPE);
    ASSERT_EQ(1u, frame->view.keys.size());
    EXPECT_EQ((UINT)VK_ESCAPE, frame->view.keys[0]);

    // Full screen by the command: the view covers the screen and 2 pixels more on each side; the
    // docked pane lies past the right edge and the control bar past the bottom.
    frame->SendMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN);
    ASSERT_EQ(CMediaPlayFrameWnd::FULL_SCREEN_ON, frame->GetFullScreenState());
    PumpProgramPending();
    const CRect screen = Screen();
    EXPECT_EQ(CRect(0, 0, kDockedWidth, kControlBarHeight), frame->GetFullScreenInset());
    EXPECT_EQ(CRect(-2, -2, screen.right + 2, screen.bottom + 2), ScreenRectOf(frame->view.m_hWnd));
    const CRect client = ClientScreenRect(frame);
    EXPECT_EQ(screen.right + kDockedWidth + 2, client.right);
    EXPECT_EQ(screen.bottom + kControlBarHeight + 2, client.bottom);
    EXPECT_EQ(screen.right + 2, ScreenRectOf(frame->docked.m_hWnd).left);
    EXPECT_EQ(screen.bottom + 2, ScreenRectOf(frame->controlBar.m_hWnd).top);
    EXPECT_EQ(frame->GetFullScreenRect(), ScreenRectOf(frame->m_hWnd));
    EXPECT_EQ(1, UpdateCheck(frame, ID_VIEW_FULL_SCREEN));
    EXPECT_FALSE(SaveScreenScreenshot(L"player", L"frame-full-screen").IsEmpty());

    // The window may be larger than the screen, by exactly the full-screen rectangle, and stays put.
    MINMAXINFO mmi = {};
    frame->SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(frame->GetFullScreenRect().Width(), mmi.ptMaxTrackSize.x);
    EXPECT_EQ(frame->GetFullScreenRect().Height(), mmi.ptMaxTrackSize.y);
    EXPECT_EQ(frame->GetFullScreenRect().Width(), mmi.ptMaxSize.x);
    EXPECT_EQ(frame->GetFullScreenRect().Height(), mmi.ptMaxSize.y);
    frame->SetWindowPos(NULL, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(frame->GetFullScreenRect(), ScreenRectOf(frame->m_hWnd));

    // Esc leaves full screen and does not reach the view; the placement comes back as it was.
    PostKey(frame->view.m_hWnd, VK_ESCAPE);
    EXPECT_EQ(CMediaPlayFrameWnd::FULL_SCREEN_OFF, frame->GetFullScreenState());
    EXPECT_EQ(1u, frame->view.keys.size());
    EXPECT_EQ(normal, ScreenRectOf(frame->m_hWnd));
    EXPECT_EQ(0, UpdateCheck(frame, ID_VIEW_FULL_SCREEN));
    // Out of full screen the frame moves again and its size limits are the system's.
    CRect moved = normal;
    moved.OffsetRect(-40, -30);
    frame->SetWindowPos(NULL, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(moved, ScreenRectOf(frame->m_hWnd));
    MINMAXINFO plain = {};
    plain.ptMaxTrackSize.x = 1234;
    frame->SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&plain);
    EXPECT_EQ(1234, plain.ptMaxTrackSize.x);

    // With the bars kept on the screen, only the 2 pixels are past its edges.
    frame->keepBars = true;
    frame->ToggleFullScreen();
    PumpProgramPending();
    EXPECT_EQ(CRect(-2, -2, screen.right + 2, screen.bottom + 2), ClientScreenRect(frame));
    EXPECT_EQ(screen.bottom + 2, ScreenRectOf(frame->controlBar.m_hWnd).bottom);
    EXPECT_LT(ScreenRectOf(frame->controlBar.m_hWnd).top, screen.bottom);
    EXPECT_FALSE(SaveScreenScreenshot(L"player", L"frame-full-screen-bars-kept").IsEmpty());
    frame->ToggleFullScreen();
    EXPECT_EQ(moved, ScreenRectOf(frame->m_hWnd));
    frame->keepBars = false;

    // From a maximised window, full screen and back ends maximised again with the rectangle from
    // before the maximise kept for the restore. (Checked at once: without a window manager the
    // display's late answers to the moves take a window out of its maximise after a while.)
    Settle();
    frame->ShowWindow(SW_MAXIMIZE);
    ASSERT_TRUE(frame->IsZoomed());
    frame->ToggleFullScreen();
    EXPECT_FALSE(frame->IsZoomed());
    EXPECT_EQ(CRect(-2, -2, screen.right + 2, screen.bottom + 2), ScreenRectOf(frame->view.m_hWnd));
    EXPECT_EQ((UINT)SW_SHOWMAXIMIZED, frame->GetSavedPlacement().showCmd);
    frame->ToggleFullScreen();
    EXPECT_TRUE(frame->IsZoomed());
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof(wp);
    ASSERT_TRUE(GetWindowPlacement(frame->m_hWnd, &wp));
    EXPECT_EQ((UINT)SW_SHOWMAXIMIZED, wp.showCmd);
    CRect restore = wp.rcNormalPosition;
    restore.OffsetRect(WorkArea().TopLeft());
    EXPECT_EQ(moved, restore);
    Settle();
    frame->ShowWindow(SW_RESTORE);
    frame->SetWindowPos(NULL, moved.left, moved.top, moved.Width(), moved.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    Settle();
    EXPECT_EQ(moved, ScreenRectOf(frame->m_hWnd));

    // Closing in full screen stores the normal placement, not the one over the screen.
    frame->ToggleFullScreen();
    ASSERT_TRUE(frame->IsFullScreen());
    Close(frame);
    EXPECT_EQ(CRect(moved.left, moved.top, moved.Width(), moved.Height()), Stored());
}

TEST_F(FullScreenFrame, TheRectangleOfFullScreenFollowsBordersAndInsets)
{
    // A frame with 8-pixel borders and a 30-pixel caption over a 1024 x 768 screen.
    const CRect window(100, 100, 500, 400);
    const CRect client(108, 130, 492, 392);
    const CRect screen(0, 0, 1024, 768);
    EXPECT_EQ(CRect(-10, -32, 1034, 778), CFullScreenFrameWnd::FullScreenRectFor(window, client, screen, CRect(0, 0, 0, 0)));
    // A docked pane 300 wide: 302 past the right edge for the client area.
    const CRect docked = CFullScreenFrameWnd::FullScreenRectFor(window, client, screen, CRect(0, 0, 300, 38));
    EXPECT_EQ(1024 + 302, docked.right - 8);
    EXPECT_EQ(768 + 38 + 2, docked.bottom - 8);
    EXPECT_EQ(CRect(-15, -52, 1034, 778),
              CFullScreenFrameWnd::FullScreenRectFor(window, client, screen, CRect(5, 20, 0, 0)));
}

TEST_F(FullScreenFrame, SwitchesInTheSystemMenuAndCommandsAndTheEndOfTheSession)
{
    // A stored position is used as it is, and the stored switches are applied at once.
    S().windowLeft = 300;
    S().windowTop = 200;
    S().windowWidth = 640;
    S().windowHeight = 400;
    S().alwaysOnTop = 1;
    S().transparent = 1;
    CStandInFrame* frame = Open();
    ASSERT_TRUE(frame != nullptr);
    EXPECT_EQ(CRect(300, 200, 940, 600), ScreenRectOf(frame->m_hWnd));
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOPMOST);
    ASSERT_TRUE(frame->GetExStyle() & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(frame->m_hWnd, nullptr, &alpha, &flags));
    EXPECT_EQ(127, alpha);
    EXPECT_TRUE(flags & LWA_ALPHA);
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"frame-transparent", frame->m_hWnd).IsEmpty());

    // The two switches lead the system menu, then a separator, then the usual entries.
    CMenu* sysMenu = frame->GetSystemMenu(FALSE);
    ASSERT_TRUE(sysMenu != nullptr);
    EXPECT_EQ(16u, sysMenu->GetMenuItemID(0));
    EXPECT_EQ(32u, sysMenu->GetMenuItemID(1));
    EXPECT_TRUE(sysMenu->GetMenuState(2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_GT(sysMenu->GetMenuItemCount(), 3);
    CString text;
    sysMenu->GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(L"Always On Top", text);
    sysMenu->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(L"Transparent", text);
    auto sysChecks = [&] {
        frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)sysMenu->m_hMenu, MAKELPARAM(0, TRUE));
        return std::make_pair((sysMenu->GetMenuState(16, MF_BYCOMMAND) & MF_CHECKED) != 0,
                              (sysMenu->GetMenuState(32, MF_BYCOMMAND) & MF_CHECKED) != 0);
    };
    EXPECT_EQ(std::make_pair(true, true), sysChecks());

    // System commands: the low four bits are the system's, so 16..31 and 32..47 are the switches.
    frame->SendMessage(WM_SYSCOMMAND, 16, 0);
    EXPECT_EQ(0, S().alwaysOnTop);
    EXPECT_FALSE(frame->GetExStyle() & WS_EX_TOPMOST);
    frame->SendMessage(WM_SYSCOMMAND, 32 + 3, 0);
    EXPECT_EQ(0, S().transparent);
    EXPECT_FALSE(frame->GetExStyle() & WS_EX_LAYERED);
    EXPECT_EQ(std::make_pair(false, false), sysChecks());
    EXPECT_EQ(0, UpdateCheck(frame, ID_VIEW_ALWAYS_ON_TOP));
    EXPECT_EQ(0, UpdateCheck(frame, ID_VIEW_TRANSPARENT));
    // The rectangle did not move with the switches.
    EXPECT_EQ(CRect(300, 200, 940, 600), ScreenRectOf(frame->m_hWnd));

    // The same switches as commands.
    frame->SendMessage(WM_COMMAND, ID_VIEW_ALWAYS_ON_TOP);
    EXPECT_EQ(1, S().alwaysOnTop);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(1, UpdateCheck(frame, ID_VIEW_ALWAYS_ON_TOP));
    frame->SendMessage(WM_COMMAND, ID_VIEW_TRANSPARENT);
    EXPECT_EQ(1, S().transparent);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_LAYERED);
    EXPECT_EQ(1, UpdateCheck(frame, ID_VIEW_TRANSPARENT));
    EXPECT_EQ(std::make_pair(true, true), sysChecks());
    frame->SendMessage(WM_COMMAND, ID_VIEW_TRANSPARENT);
    EXPECT_EQ(0, S().transparent);

    // Windows ends the session: the settings are written at once.
    S().volume = 37;
    EXPECT_TRUE(frame->SendMessage(WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(37, (int)m_app->App().GetProfileInt(L"Settings", L"Volume", -1));
    EXPECT_EQ(1, (int)m_app->App().GetProfileInt(L"Settings", L"AlwaysOnTop", -1));

    // A frame moved by the user and closed normally stores where it is.
    frame->SetWindowPos(NULL, 320, 210, 700, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    Close(frame);
    EXPECT_EQ(CRect(320, 210, 700, 420), Stored());
}
