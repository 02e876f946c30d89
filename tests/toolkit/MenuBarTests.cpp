// The menu bar in a frame, driven by messages, the real mouse and the real Alt key: titles taken
// from the window menu, hot tracking, menu mode from Alt alone and its keys, popups opened from
// the keyboard, the mouse and mnemonics with the frame's command states, the move from one
// title's popup to the next, and a click outside that ends menu mode.
#include "tests/toolkit/BarsTestSupport.h"

#include "tests/common/Screenshot.h"
#include "tests/toolkit/bars_tests_res.h"

#include "toolkit/AppFrameWnd.h"

#include <functional>

namespace {

class CMenuBarFrame : public CAppFrameWnd_OVMB {
public:
    CMenuBarFrame() { SetMenuBar(&m_menuBar); }

    CMenuBar m_menuBar;
    CRecordingPane m_pane;
    std::vector<UINT> m_commands;
    HMENU m_lastPopup = NULL;
    // Menu loops the system ran for this frame (its own popups' included), and the menu key
    // commands that reached the system's default handling.
    int m_menuLoops = 0;
    int m_defaultKeyMenus = 0;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) ++m_defaultKeyMenus;
        return CAppFrameWnd_OVMB::DefWindowProc(message, wParam, lParam);
    }

    // Steps run while a popup is open, each once its condition holds (at WM_ENTERIDLE).
    struct Step {
        std::function<bool()> ready;
        std::function<void()> run;
    };
    std::vector<Step> m_steps;
    size_t m_nextStep = 0;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override { return m_pane.Make(this); }
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
    {
        CAppFrameWnd_OVMB::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
        if (!bSysMenu) m_lastPopup = pPopupMenu->GetSafeHmenu();
    }
    LRESULT OnEnterMenuLoop(WPARAM, LPARAM)
    {
        ++m_menuLoops;
        return Default();
    }
    LRESULT OnEnterIdle(WPARAM wParam, LPARAM)
    {
        if (wParam == MSGF_MENU && m_nextStep < m_steps.size() && m_steps[m_nextStep].ready()) m_steps[m_nextStep++].run();
        return 0;
    }
    void OnOpen() { m_commands.push_back(ID_BARS_OPEN); }
    void OnUndo() { m_commands.push_back(ID_BARS_UNDO); }
    void OnRepeat() { m_commands.push_back(ID_BARS_REPEAT); }
    void OnUpdateRepeat(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    void OnOptions() { m_commands.push_back(ID_BARS_OPTIONS); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuBarFrame, CAppFrameWnd_OVMB)
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
    ON_MESSAGE(WM_ENTERMENULOOP, OnEnterMenuLoop)
    ON_COMMAND(ID_BARS_OPEN, OnOpen)
    ON_COMMAND(ID_BARS_UNDO, OnUndo)
    ON_COMMAND(ID_BARS_REPEAT, OnRepeat)
    ON_UPDATE_COMMAND_UI(ID_BARS_REPEAT, OnUpdateRepeat)
    ON_COMMAND(ID_BARS_OPTIONS, OnOptions)
END_MESSAGE_MAP()

// Any menu loop that runs while it is installed is counted and ended: the tests that must not
// start one (Alt alone must not open the system menu) see it, and none hangs.
struct MenuLoopWatch {
    static int s_loops;
    HHOOK hook;
    MenuLoopWatch() : hook(SetWindowsHookExW(WH_MSGFILTER, &Proc, NULL, GetCurrentThreadId())) { s_loops = 0; }
    ~MenuLoopWatch() { UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == MSGF_MENU) {
            ++s_loops;
            EndMenu();
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
};
int MenuLoopWatch::s_loops = 0;

// Ends a popup that the test's steps did not close, so a failing test fails instead of hanging.
struct PopupDeadline {
    UINT_PTR timer;
    static bool s_fired;
    explicit PopupDeadline(UINT ms) : timer(SetTimer(NULL, 0, ms, &Fire)) { s_fired = false; }
    ~PopupDeadline() { KillTimer(NULL, timer); }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD)
    {
        s_fired = true;
        EndMenu();
    }
};
bool PopupDeadline::s_fired = false;

class MenuBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static CTestToolkitHost host;
        SetToolkitHost(&host);
        host.SetMainWindowRect(600, 120, 760, 420);
        s_frame = new CMenuBarFrame;
        if (!s_frame->LoadFrame(IDR_BARS_FRAME, WS_OVERLAPPEDWINDOW)) s_frame = nullptr;
        else s_frame->ShowWindow(SW_SHOW);
        SetToolkitHost(nullptr);
    }
    static void TearDownTestSuite()
    {
        if (s_frame) s_frame->DestroyWindow();
        s_frame = nullptr;
        PumpPending();
    }
    void SetUp() override
    {
        SetToolkitHost(&m_host);
        ASSERT_TRUE(s_frame != nullptr);
        frame = s_frame;
        bar = &frame->m_menuBar;
        frame->m_commands.clear();
        frame->m_steps.clear();
        frame->m_nextStep = 0;
        frame->m_lastPopup = NULL;
        frame->SetForegroundWindow();
        frame->m_pane.SetFocus();
        MoveMouseTo(frame->m_pane.m_hWnd, 300, 200);
        frame->UpdateWindow();
        PumpProgramPending();
        ASSERT_FALSE(bar->IsInMenuMode());
    }
    void TearDown() override
    {
        // Whatever a failed test left: out of menu mode.
        if (bar && bar->IsInMenuMode()) bar->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        PumpProgramPending();
        SetToolkitHost(nullptr);
    }

    CRect TitleRect(int index) const { return bar->GetItem(index)->GetItemRect(); }
    CPoint TitleCentre(int index) const { return TitleRect(index).CenterPoint(); }
    void Key(UINT vk)
    {
        bar->PostMessage(WM_KEYDOWN, vk, 1);
        PumpProgramPending();
    }
    static bool Hilited(HMENU popup, int position) { return (GetMenuState(popup, position, MF_BYPOSITION) & MF_HILITE) != 0; }
    HMENU Popup(int title) const { return GetSubMenu(bar->GetBarMenu(), title); }
    bool PopupOf(int title) const
    {
        return bar->IsPopupOpen() && bar->GetCurrentTitle() == title && frame->m_lastPopup == Popup(title);
    }
    // Runs the steps' popups; true when every step ran before the deadline.
    bool RunSteps(const std::function<void()>& start, DWORD timeoutMs = 20000)
    {
        PopupDeadline deadline(timeoutMs);
        start();
        PumpProgramUntil([&] { return frame->m_nextStep == frame->m_steps.size() && !bar->IsPopupOpen(); }, timeoutMs);
        return !PopupDeadline::s_fired && frame->m_nextStep == frame->m_steps.size();
    }

    static CMenuBarFrame* s_frame;
    CMenuBarFrame* frame = nullptr;
    CMenuBar* bar = nullptr;
    CTestToolkitHost m_host;
};
CMenuBarFrame* MenuBarTest::s_frame = nullptr;

} // namespace

TEST_F(MenuBarTest, TakesOverTheWindowMenuAndLaysOutItsTitles)
{
    EXPECT_EQ(NULL, ::GetMenu(frame->m_hWnd));
    ASSERT_TRUE(bar->GetBarMenu() != NULL);
    ASSERT_EQ(4, bar->GetItemCount());
    const wchar_t* titles[] = {L"&File", L"Edit&", L"&View", L"&Help"};
    const wchar_t mnemonics[] = {L'F', L'E', L'V', L'H'};
    CClientDC dc(bar);
    CGdiSelector font(dc, m_host.GetMenuFont());
    int x = 0;
    for (int i = 0; i < 4; ++i) {
        CMenuBarElement* title = dynamic_cast<CMenuBarElement*>(bar->GetItem(i));
        ASSERT_TRUE(title != nullptr);
        EXPECT_EQ(CString(titles[i]), title->GetTitle());
        EXPECT_EQ(mnemonics[i], title->GetMnemonic());
        CRect measure(0, 0, 0, 0);
        dc.DrawText(titles[i], -1, &measure, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_EQ(CRect(x, 0, x + measure.Width() + 24, 21), TitleRect(i)) << i;
        x += measure.Width() + 24;
    }
    // The bar sits on top of the pane, across the whole client area, 21 pixels high.
    CRect client, barRect, paneRect;
    frame->GetClientRect(&client);
    bar->GetWindowRect(&barRect);
    frame->ScreenToClient(&barRect);
    frame->m_pane.GetWindowRect(&paneRect);
    frame->ScreenToClient(&paneRect);
    EXPECT_EQ(CRect(0, 0, client.right, 21), barRect);
    EXPECT_EQ(CRect(0, 21, client.right, client.bottom), paneRect);

    // The framework's "toolbar" command carries the bar's id; it never hides the menu bar.
    frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_TRUE(bar->IsWindowVisible());

    // Right to left: the first title at the right edge, the next ones leftwards.
    bar->LoadMenu(::LoadMenuW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDR_BARS_FRAME)), TRUE);
    bar->UpdateWindow();
    PumpProgramPending();
    EXPECT_EQ(client.right, TitleRect(0).right);
    EXPECT_EQ(TitleRect(0).left, TitleRect(1).right);
    bar->LoadMenu(::LoadMenuW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDR_BARS_FRAME)), FALSE);
    bar->UpdateWindow();
    PumpProgramPending();
    EXPECT_EQ(0, TitleRect(0).left);
}

TEST_F(MenuBarTest, TitlesLightUnderTheMouse)
{
    const CPoint edit = TitleCentre(1);
    MoveMouseTo(bar->m_hWnd, edit.x, edit.y);
    ASSERT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == bar->GetItem(1); }, 5000));
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const CRect rc = TitleRect(1);
    EXPECT_TRUE(PumpProgramUntil([&] { return ClientPixel(bar->m_hWnd, rc.left + 2, rc.top + 2) == highlight; }, 3000));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ClientPixel(bar->m_hWnd, TitleRect(0).left + 2, 2));
    CRect barRect;
    bar->GetWindowRect(&barRect);
    EXPECT_FALSE(SaveScreenRectScreenshot(L"toolkit", L"menu-bar-hot", barRect).IsEmpty());
    // Not in menu mode: hovering only lights.
    EXPECT_FALSE(bar->IsInMenuMode());
    MoveMouseTo(frame->m_pane.m_hWnd, 300, 200);
    EXPECT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == nullptr; }, 5000));
}

TEST_F(MenuBarTest, AltAloneEntersMenuModeAndTheArrowsWrapAround)
{
    MenuLoopWatch watch;
    frame->m_defaultKeyMenus = 0;
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_TRUE(bar->IsInMenuMode());
    // The system's handling would start its own (system menu) loop and take the keyboard.
    EXPECT_EQ(0, frame->m_defaultKeyMenus);
    EXPECT_EQ(bar->GetItem(0), bar->GetHotItem());
    EXPECT_EQ(bar->m_hWnd, ::GetFocus());
    EXPECT_EQ(bar->m_hWnd, ::GetCapture());
    EXPECT_EQ(DLGC_WANTALLKEYS, (UINT)bar->SendMessage(WM_GETDLGCODE) & DLGC_WANTALLKEYS);
    EXPECT_EQ(0, MenuLoopWatch::s_loops);

    Key(VK_LEFT);
    EXPECT_EQ(3, bar->GetCurrentTitle());
    EXPECT_EQ(bar->GetItem(3), bar->GetHotItem());
    Key(VK_RIGHT);
    EXPECT_EQ(0, bar->GetCurrentTitle());
    Key(VK_RIGHT);
    EXPECT_EQ(bar->GetItem(1), bar->GetHotItem());
    Key(VK_ESCAPE);
    EXPECT_FALSE(bar->IsInMenuMode());
    EXPECT_EQ(nullptr, bar->GetHotItem());
    EXPECT_EQ(frame->m_pane.m_hWnd, ::GetFocus());
    EXPECT_NE(bar->m_hWnd, ::GetCapture());

    // Alt with another key, and commands that are not the menu key, go on to the system.
    EXPECT_FALSE(bar->OnSysCommand(SC_KEYMENU, L'f'));
    EXPECT_FALSE(bar->OnSysCommand(SC_MOVE, 0));
    EXPECT_EQ(0, MenuLoopWatch::s_loops);
}

TEST_F(MenuBarTest, TheRealAltKeyPutsTheBarInMenuModeWithoutTheSystemMenu)
{
    ASSERT_EQ(frame->m_hWnd, ::GetForegroundWindow());
    MenuLoopWatch watch;
    frame->m_menuLoops = 0;
    frame->m_defaultKeyMenus = 0;
    keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(PumpProgramUntil([&] { return bar->IsInMenuMode(); }, 5000));
    PumpProgramUntil([] { return false; }, 300);
    // The system's own menu loop would have taken the keyboard away from the bar.
    EXPECT_EQ(0, frame->m_menuLoops);
    EXPECT_EQ(0, frame->m_defaultKeyMenus);
    EXPECT_EQ(0, MenuLoopWatch::s_loops);
    EXPECT_TRUE(bar->IsInMenuMode());
    EXPECT_EQ(bar->GetItem(0), bar->GetHotItem());
    EXPECT_EQ(bar->m_hWnd, ::GetFocus());
    // Alt again leaves menu mode, and its release does not start it again.
    keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(PumpProgramUntil([&] { return !bar->IsInMenuMode(); }, 5000));
    PumpProgramUntil([] { return false; }, 300);
    EXPECT_FALSE(bar->IsInMenuMode());
    EXPECT_EQ(0, MenuLoopWatch::s_loops);
    EXPECT_EQ(frame->m_pane.m_hWnd, ::GetFocus());
}

TEST_F(MenuBarTest, KeyboardOpensPopupsThatFollowTheArrowsAndTheMouse)
{
    HMENU file = Popup(0), edit = Popup(1);
    bool firstSelected = false, editFirstSelected = false, helpFirstSelected = true;
    UINT openState = 0, saveState = 0, recentState = 0, exitState = 0, repeatState = 0;
    CString screenshot;
    frame->m_steps = {
        {[&] { return PopupOf(0); },
         [&] {
             firstSelected = Hilited(file, 0);
             openState = GetMenuState(file, ID_BARS_OPEN, MF_BYCOMMAND);
             saveState = GetMenuState(file, ID_BARS_SAVE, MF_BYCOMMAND);
             recentState = GetMenuState(file, 3, MF_BYPOSITION);
             exitState = GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND);
             CRect rc;
             frame->GetWindowRect(&rc);
             screenshot = SaveScreenRectScreenshot(L"toolkit", L"menu-bar-popup", rc);
             bar->PostMessage(WM_KEYDOWN, VK_RIGHT, 1);
         }},
        // Right moved to the next title and opened its popup from the keyboard.
        {[&] { return PopupOf(1); },
         [&] {
             editFirstSelected = Hilited(edit, 0);
             repeatState = GetMenuState(edit, ID_BARS_REPEAT, MF_BYCOMMAND);
             const CPoint help = TitleCentre(3);
             const CPoint screen = ScreenPoint(bar->m_hWnd, help.x, help.y);
             SetCursorPos(screen.x, screen.y);
         }},
        // The mouse moved to another title: its popup replaced the open one.
        {[&] { return PopupOf(3); },
         [&] {
             helpFirstSelected = Hilited(Popup(3), 0);
             bar->PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
         }},
    };
    ASSERT_TRUE(RunSteps([&] {
        frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
        Key(VK_DOWN);
    }));
    EXPECT_TRUE(firstSelected);
    EXPECT_FALSE(openState & MF_GRAYED);      // the frame handles it
    EXPECT_TRUE(saveState & MF_GRAYED);       // nobody does
    EXPECT_FALSE(recentState & MF_GRAYED);    // a submenu is never disabled for want of a handler
    EXPECT_TRUE(exitState & MF_GRAYED);       // no application to handle it here
    EXPECT_TRUE(editFirstSelected);
    EXPECT_TRUE(repeatState & MF_CHECKED);
    EXPECT_FALSE(helpFirstSelected);          // opened by the mouse: nothing selected
    EXPECT_FALSE(screenshot.IsEmpty());

    // Esc on the title's own popup closed it and kept the keyboard on the bar.
    EXPECT_TRUE(bar->IsInMenuMode());
    EXPECT_EQ(3, bar->GetCurrentTitle());
    EXPECT_EQ(bar->GetItem(3), bar->GetHotItem());
    EXPECT_EQ(bar->m_hWnd, ::GetCapture());
    EXPECT_TRUE(frame->m_commands.empty());
    Key(VK_ESCAPE);
    EXPECT_FALSE(bar->IsInMenuMode());
    EXPECT_EQ(frame->m_pane.m_hWnd, ::GetFocus());
}

TEST_F(MenuBarTest, AMnemonicOpensItsTitleAndTheToolbarCommandLeavesTheBarAlone)
{
    HMENU view = Popup(2);
    bool firstSelected = false;
    UINT toolbarState = 0;
    frame->m_steps = {
        {[&] { return PopupOf(2); },
         [&] {
             firstSelected = Hilited(view, 0);
             toolbarState = GetMenuState(view, ID_VIEW_TOOLBAR, MF_BYCOMMAND);
             bar->PostMessage(WM_KEYDOWN, VK_RETURN, 1);
         }},
    };
    HMENU system = ::GetSystemMenu(frame->m_hWnd, FALSE);
    LRESULT answer = 0;
    ASSERT_TRUE(RunSteps([&] { answer = frame->SendMessage(WM_MENUCHAR, MAKEWPARAM(L'v', MF_SYSMENU), (LPARAM)system); }));
    EXPECT_EQ(MAKELRESULT(0, MNC_CLOSE), answer);
    EXPECT_TRUE(firstSelected);
    // The menu bar's visibility is no check mark of the "toolbar" command.
    EXPECT_FALSE(toolbarState & MF_CHECKED);
    PumpProgramUntil([] { return false; }, 200);
    EXPECT_TRUE(bar->IsWindowVisible());
    EXPECT_FALSE(bar->IsInMenuMode());

    // No title has that mnemonic, or the character does not come from the system menu.
    EXPECT_EQ(0, frame->SendMessage(WM_MENUCHAR, MAKEWPARAM(L'z', MF_SYSMENU), (LPARAM)system));
    EXPECT_NE(MAKELRESULT(0, MNC_CLOSE), frame->SendMessage(WM_MENUCHAR, MAKEWPARAM(L'v', MF_POPUP), (LPARAM)view));
    PumpProgramUntil([] { return false; }, 200);
    EXPECT_FALSE(bar->IsPopupOpen());
}

TEST_F(MenuBarTest, AltWithAMnemonicKeyOpensThatTitleFromTheKeyboard)
{
    ASSERT_EQ(frame->m_hWnd, ::GetForegroundWindow());
    HMENU help = Popup(3);
    bool firstSelected = false;
    frame->m_steps = {
        {[&] { return PopupOf(3); },
         [&] {
             firstSelected = Hilited(help, 0);
             bar->PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
         }},
    };
    ASSERT_TRUE(RunSteps([&] {
        keybd_event(VK_MENU, 0, 0, 0);
        keybd_event('H', 0, 0, 0);
        keybd_event('H', 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    }));
    EXPECT_TRUE(firstSelected);
    // Esc from the popup leaves the keyboard on the bar.
    EXPECT_TRUE(bar->IsInMenuMode());
    Key(VK_ESCAPE);
    EXPECT_FALSE(bar->IsInMenuMode());
}

TEST_F(MenuBarTest, AClickOpensATitlesPopupAndItsCommandReachesTheFrame)
{
    HMENU file = Popup(0);
    bool selected = true;
    frame->m_steps = {
        {[&] { return PopupOf(0); },
         [&] {
             selected = Hilited(file, 0);
             bar->PostMessage(WM_KEYDOWN, VK_DOWN, 1);
             bar->PostMessage(WM_KEYDOWN, VK_RETURN, 1);
         }},
    };
    const CPoint title = TitleCentre(0);
    ASSERT_TRUE(RunSteps([&] { bar->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(title.x, title.y)); }));
    EXPECT_FALSE(selected);
    EXPECT_TRUE(PumpProgramUntil([&] { return !frame->m_commands.empty(); }, 5000));
    EXPECT_EQ(std::vector<UINT>{ID_BARS_OPEN}, frame->m_commands);
    EXPECT_FALSE(bar->IsInMenuMode());
}

TEST_F(MenuBarTest, AClickOutsideEndsMenuModeAndReachesTheWindowUnderIt)
{
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_TRUE(bar->IsInMenuMode());
    frame->m_pane.m_clicks.clear();
    // The bar has the mouse: the click comes to it in its own coordinates, below its bottom.
    bar->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 21 + 90));
    ASSERT_TRUE(PumpProgramUntil([&] { return !frame->m_pane.m_clicks.empty(); }, 5000));
    EXPECT_FALSE(bar->IsInMenuMode());
    EXPECT_EQ(CPoint(120, 90), frame->m_pane.m_clicks[0]);
    EXPECT_NE(bar->m_hWnd, ::GetCapture());
}
