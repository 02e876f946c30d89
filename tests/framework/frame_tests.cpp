// A small document program inside the test: one document, two views, bars at the top and
// bottom, a menu and accelerators, driven by posted messages on a thread of its own.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "frame_tests_res.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::wstring> g_log;     // who handled the commands, in order
int g_docsAlive = 0;
int g_disabledRuns = 0;
bool g_failNewDocument = false;
bool g_enableDisabled = false;
int g_boxAnswer = IDNO;
std::vector<std::wstring> g_boxes;
CFrameWnd* g_routingSeen = nullptr;

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_boxes.push_back(text);
    return g_boxAnswer;
}

void ResetState()
{
    g_log.clear();
    g_boxes.clear();
    g_disabledRuns = 0;
    g_failNewDocument = false;
    g_enableDisabled = false;
    g_boxAnswer = IDNO;
    g_routingSeen = nullptr;
}

void PostCommand(CWnd* target, UINT id, WORD source = 0) { target->PostMessage(WM_COMMAND, MAKEWPARAM(id, source), 0); }

class CTestDoc : public CDocument {
    DECLARE_DYNCREATE(CTestDoc)
public:
    CTestDoc() { ++g_docsAlive; }
    ~CTestDoc() override { --g_docsAlive; }
    int m_news = 0, m_opens = 0, m_saveAsks = 0;
    BOOL OnNewDocument() override { ++m_news; return !g_failNewDocument && CDocument::OnNewDocument(); }
    BOOL OnOpenDocument(LPCWSTR path) override
    {
        if (!CDocument::OnOpenDocument(path)) return FALSE;
        ++m_opens;
        return TRUE;
    }
    BOOL SaveModified() override { ++m_saveAsks; return CDocument::SaveModified(); }
protected:
    void OnDocCmd() { g_log.push_back(L"doc"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestDoc, CDocument)
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
    ON_COMMAND(ID_T_DOCCMD, OnDocCmd)
    ON_COMMAND(ID_T_SHARED, OnDocCmd)
END_MESSAGE_MAP()

class CTestViewA : public CView {
    DECLARE_DYNCREATE(CTestViewA)
public:
    int m_initialUpdates = 0;
    int m_activations = 0;
    void OnInitialUpdate() override { ++m_initialUpdates; CView::OnInitialUpdate(); }
    void OnActivateView(BOOL bActivate, CView* a, CView* d) override
    {
        if (bActivate) ++m_activations;
        CView::OnActivateView(bActivate, a, d);
    }
protected:
    void OnCmd() { g_log.push_back(L"viewA"); }
    void OnUpdateContinue(CCmdUI* pCmdUI) { pCmdUI->ContinueRouting(); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestViewA, CView)
BEGIN_MESSAGE_MAP(CTestViewA, CView)
    ON_COMMAND(ID_T_VIEWCMD, OnCmd)
    ON_COMMAND(ID_T_SHARED, OnCmd)
    ON_UPDATE_COMMAND_UI(ID_T_CONTINUE, OnUpdateContinue)
END_MESSAGE_MAP()

class CTestViewB : public CView {
    DECLARE_DYNCREATE(CTestViewB)
protected:
    void OnCmd() { g_log.push_back(L"viewB"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestViewB, CView)
BEGIN_MESSAGE_MAP(CTestViewB, CView)
    ON_COMMAND(ID_T_VIEWBCMD, OnCmd)
END_MESSAGE_MAP()

// A button that decides its own state, whatever the frame says about its command.
class CSelfUpdatingButton : public CWnd {
protected:
    void OnUpdateSelf(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSelfUpdatingButton, CWnd)
    ON_UPDATE_COMMAND_UI_REFLECT(OnUpdateSelf)
END_MESSAGE_MAP()

class CTestBar : public CControlBar {
public:
    CWnd m_frameButton, m_disabledButton, m_orphanButton, m_checkBox;
    CSelfUpdatingButton m_selfButton;
    BOOL Make(CWnd* parent, DWORD align, UINT id, int height, bool withButtons)
    {
        if (!CreateBar(WS_CHILD | WS_VISIBLE | align, CRect(0, 0, 100, height), parent, id)) return FALSE;
        if (!withButtons) return TRUE;
        m_frameButton.CreateEx(0, L"BUTTON", L"F", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 20, 20), this, ID_T_FRAMECMD);
        m_disabledButton.CreateEx(0, L"BUTTON", L"D", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(20, 0, 40, 20), this, ID_T_DISABLED);
        m_orphanButton.CreateEx(0, L"BUTTON", L"N", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(40, 0, 60, 20), this, ID_T_NOHANDLER);
        m_checkBox.CreateEx(0, L"BUTTON", L"C", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(60, 0, 80, 20), this, ID_T_CHECKBOX);
        m_selfButton.CreateEx(0, L"BUTTON", L"S", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(80, 0, 100, 20), this, ID_T_SELFUPDATE);
        return TRUE;
    }
};

struct BarStates { bool frame, disabled, orphan, check, self; };
BarStates g_barAtDestroy = {};

class CTestFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CTestFrame)
public:
    CTestBar m_top, m_bottom;
    CTestViewB* m_viewB = nullptr;

    BarStates States() const
    {
        return {m_bottom.m_frameButton.IsWindowEnabled() != 0, m_bottom.m_disabledButton.IsWindowEnabled() != 0,
                m_bottom.m_orphanButton.IsWindowEnabled() != 0, m_bottom.m_checkBox.IsWindowEnabled() != 0,
                m_bottom.m_selfButton.IsWindowEnabled() != 0};
    }

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override
    {
        if (!CFrameWnd::OnCreateClient(lpcs, pContext)) return FALSE;
        CCreateContext second = *pContext;
        second.m_pNewViewClass = RUNTIME_CLASS(CTestViewB);
        m_viewB = static_cast<CTestViewB*>(CreateView(&second, AFX_IDW_PANE_FIRST + 1));
        return m_viewB != nullptr;
    }

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
        if (!m_top.Make(this, CBRS_TOP, ID_VIEW_STATUS_BAR, 20, false)) return -1;
        if (!m_bottom.Make(this, CBRS_BOTTOM, ID_VIEW_TOOLBAR, 30, true)) return -1;
        return 0;
    }
    void OnDestroy()
    {
        g_barAtDestroy = States();
        CFrameWnd::OnDestroy();
    }
    void OnFrameCmd() { g_log.push_back(L"frame"); }
    void OnDisabled() { ++g_disabledRuns; }
    void OnNothing() {}
    void OnRange(UINT) {}
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(g_enableDisabled); }
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    void OnUpdateRadio(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
    void OnUpdateText(CCmdUI* pCmdUI) { pCmdUI->SetText(L"Renamed"); }
    void OnUpdateContinue(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    // Fills its place with two entries the way recent-file lists do, and moves the walk past them.
    void OnUpdateRecent(CCmdUI* pCmdUI)
    {
        HMENU h = pCmdUI->m_pMenu->GetSafeHmenu();
        ::DeleteMenu(h, ID_T_INSERTED1, MF_BYCOMMAND);
        ::DeleteMenu(h, ID_T_INSERTED2, MF_BYCOMMAND);
        ::InsertMenuW(h, pCmdUI->m_nIndex + 1, MF_BYPOSITION | MF_STRING, ID_T_INSERTED1, L"one");
        ::InsertMenuW(h, pCmdUI->m_nIndex + 2, MF_BYPOSITION | MF_STRING, ID_T_INSERTED2, L"two");
        pCmdUI->m_nIndex += 2;
        pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(h);
        pCmdUI->Enable(TRUE);
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_COMMAND(ID_T_FRAMECMD, OnFrameCmd)
    ON_COMMAND(ID_T_SHARED, OnFrameCmd)
    ON_COMMAND(ID_T_DISABLED, OnDisabled)
    ON_COMMAND_RANGE(ID_T_CHECKED, ID_T_TEXT, OnRange)
    ON_COMMAND(ID_T_CONTINUE, OnNothing)
    ON_COMMAND(ID_T_SUBFIRST, OnNothing)
    ON_COMMAND(ID_T_SELFUPDATE, OnNothing)
    ON_UPDATE_COMMAND_UI(ID_T_DISABLED, OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(ID_T_CHECKED, OnUpdateChecked)
    ON_UPDATE_COMMAND_UI(ID_T_RADIO, OnUpdateRadio)
    ON_UPDATE_COMMAND_UI(ID_T_TEXT, OnUpdateText)
    ON_UPDATE_COMMAND_UI(ID_T_CONTINUE, OnUpdateContinue)
    ON_UPDATE_COMMAND_UI(ID_T_RECENT, OnUpdateRecent)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(NULL) {}
    BOOL m_initResult = TRUE;
    int m_exits = 0;
    std::function<void(CTestApp&)> m_script;
    CCommandLineInfo m_cmdInfo;

    BOOL InitInstance() override
    {
        AddDocTemplate(new CSingleDocTemplate(IDR_TESTFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestFrame),
                                              RUNTIME_CLASS(CTestViewA)));
        ParseCommandLine(m_cmdInfo);
        if (!ProcessShellCommand(m_cmdInfo)) return FALSE;
        if (m_script) m_script(*this);
        return m_initResult;
    }
    int ExitInstance() override { ++m_exits; return CWinApp::ExitInstance() + 7; }
    bool m_exitOnIdle = false;
    int m_idles = 0;
    BOOL OnIdle(LONG lCount) override
    {
        BOOL more = CWinApp::OnIdle(lCount);
        if (lCount == 0 && ++m_idles == 1 && m_exitOnIdle) PostCommand(m_pMainWnd, ID_APP_EXIT);
        return more;
    }
    CTestFrame* Frame() const { return static_cast<CTestFrame*>(m_pMainWnd); }
    CTestDoc* Doc() const { return Frame() ? static_cast<CTestDoc*>(Frame()->GetActiveDocument()) : nullptr; }

protected:
    void OnAppCmd()
    {
        g_log.push_back(L"app");
        g_routingSeen = AfxGetRoutingFrame();
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_T_APPCMD, OnAppCmd)
    ON_COMMAND(ID_T_SHARED, OnAppCmd)
END_MESSAGE_MAP()

// Every application lives on a thread of its own, so the quit its main window posts at the
// end never reaches another test's loop.
void OnFreshThread(const std::function<void()>& body)
{
    ResetState();
    FwMessageBoxFn old = FwSetMessageBoxFunction(&RecordBox);
    std::thread t(body);
    t.join();
    FwSetMessageBoxFunction(old);
}

void Pump(CWinThread& thread)
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) thread.PumpMessage();
}


// The frame's client rectangle position of a child window.
CRect RectIn(CWnd* parent, CWnd* child)
{
    CRect r;
    child->GetWindowRect(&r);
    parent->ScreenToClient(&r);
    return r;
}

struct ClassCount {
    CString prefix;
    int n;
};

BOOL CALLBACK CountByClass(HWND h, LPARAM p)
{
    ClassCount* c = reinterpret_cast<ClassCount*>(p);
    wchar_t cls[128] = {};
    ::GetClassNameW(h, cls, 128);
    if (CString(cls).Left(c->prefix.GetLength()) == c->prefix) ++c->n;
    return TRUE;
}

// Top-level windows of the calling thread whose class name starts with prefix.
int ThreadWindowsOfClass(const CString& prefix)
{
    ClassCount c{prefix, 0};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountByClass, (LPARAM)&c);
    return c.n;
}

TEST(FrameProgram, RoutingGoesViewDocumentFrameApplication)
{
    OnFreshThread([] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        ASSERT_NE(nullptr, frame);
        CTestViewA* viewA = static_cast<CTestViewA*>(frame->GetActiveView());
        ASSERT_NE(nullptr, viewA);
        EXPECT_TRUE(viewA->IsKindOf(RUNTIME_CLASS(CTestViewA)));
        EXPECT_EQ(app.Doc(), viewA->GetDocument());
        EXPECT_EQ(app.Doc(), frame->m_viewB->GetDocument());
        EXPECT_EQ(1, viewA->m_initialUpdates);

        for (UINT id : {ID_T_SHARED, ID_T_DOCCMD, ID_T_FRAMECMD, ID_T_APPCMD, ID_T_VIEWBCMD}) PostCommand(frame, id);
        Pump(app);
        EXPECT_EQ((std::vector<std::wstring>{L"viewA", L"doc", L"frame", L"app"}), g_log);
        EXPECT_EQ(frame, g_routingSeen);
        EXPECT_EQ(nullptr, AfxGetRoutingFrame());

        // A mouse activation makes the other view the active one: its commands now reach it
        // and the shared command falls through to the document.
        g_log.clear();
        frame->m_viewB->SendMessage(WM_MOUSEACTIVATE, (WPARAM)frame->m_hWnd, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        EXPECT_EQ(frame->m_viewB, frame->GetActiveView());
        for (UINT id : {ID_T_VIEWBCMD, ID_T_SHARED, ID_T_VIEWCMD}) PostCommand(frame, id);
        Pump(app);
        EXPECT_EQ((std::vector<std::wstring>{L"viewB", L"doc"}), g_log);
        frame->DestroyWindow();
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        EXPECT_EQ(0, g_docsAlive);
    });
}

TEST(FrameProgram, PopupUpdateEnablesChecksAndRenames)
{
    OnFreshThread([] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        HMENU popup = ::GetSubMenu(::GetMenu(frame->m_hWnd), 1);
        ASSERT_NE(nullptr, popup);
        auto grayed = [&](UINT id) { return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
        auto checked = [&](UINT id) { return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };

        for (int round = 0; round < 2; ++round) {
            frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)popup, MAKELPARAM(1, FALSE));
            EXPECT_FALSE(grayed(ID_T_VIEWCMD));
            EXPECT_FALSE(grayed(ID_T_DOCCMD));
            EXPECT_FALSE(grayed(ID_T_APPCMD));
            EXPECT_TRUE(grayed(ID_T_NOHANDLER)) << "round " << round;
            EXPECT_TRUE(grayed(ID_T_DISABLED));
            EXPECT_TRUE(grayed(ID_T_CONTINUE)) << "the view passes on, the frame disables";
            EXPECT_TRUE(checked(ID_T_CHECKED));
            EXPECT_TRUE(checked(ID_T_RADIO));
            MENUITEMINFOW mii = {};
            mii.cbSize = sizeof(mii);
            mii.fMask = MIIM_FTYPE;
            ASSERT_TRUE(::GetMenuItemInfoW(popup, ID_T_RADIO, FALSE, &mii));
            EXPECT_TRUE(mii.fType & MFT_RADIOCHECK);
            wchar_t text[64] = {};
            ::GetMenuStringW(popup, ID_T_TEXT, text, 64, MF_BYCOMMAND);
            EXPECT_STREQ(L"Renamed", text);
            // The entries the recent handler put in were skipped, not disabled, and the walk
            // went on after them.
            EXPECT_FALSE(grayed(ID_T_INSERTED1));
            EXPECT_FALSE(grayed(ID_T_INSERTED2));
            EXPECT_EQ(15, ::GetMenuItemCount(popup));
            // A popup entry is never auto-disabled, even when its first command has no handler.
            int subPos = ::GetMenuItemCount(popup) - 1;
            EXPECT_FALSE(::GetMenuState(popup, subPos, MF_BYPOSITION) & MF_GRAYED);
        }
        g_enableDisabled = true;
        frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)popup, MAKELPARAM(1, FALSE));
        EXPECT_FALSE(grayed(ID_T_DISABLED));
        frame->DestroyWindow();
    });
}

TEST(FrameProgram, DisabledCommandIsRefusedFromAcceleratorAndPost)
{
    OnFreshThread([] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        CView* view = frame->GetActiveView();
        ASSERT_NE(nullptr, frame->m_hAccelTable);

        // Keys posted to the view pass the frame's accelerators on their way up.
        view->PostMessage(WM_KEYDOWN, VK_F8, 1);
        view->PostMessage(WM_KEYDOWN, VK_F7, 1);
        PostCommand(frame, ID_T_DISABLED, 1);
        PostCommand(frame, ID_T_DISABLED, 0);
        Pump(app);
        EXPECT_EQ((std::vector<std::wstring>{L"frame"}), g_log);
        EXPECT_EQ(0, g_disabledRuns);

        g_enableDisabled = true;
        view->PostMessage(WM_KEYDOWN, VK_F7, 1);
        PostCommand(frame, ID_T_DISABLED, 1);
        Pump(app);
        EXPECT_EQ(2, g_disabledRuns);
        frame->DestroyWindow();
    });
}

TEST(FrameProgram, BarsAndPaneFollowTheFrameSize)
{
    OnFreshThread([] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        CView* view = frame->GetActiveView();
        EXPECT_EQ((DWORD)CBRS_BOTTOM, frame->m_bottom.GetBarStyle());
        EXPECT_FALSE(frame->m_bottom.GetStyle() & CBRS_ALIGN_BOTTOM) << "bar bits stay out of the window style";

        for (CSize size : {CSize(500, 400), CSize(321, 250)}) {
            frame->MoveWindow(10, 10, size.cx, size.cy);
            CRect client;
            frame->GetClientRect(&client);
            EXPECT_EQ(CRect(0, 0, client.right, 20), RectIn(frame, &frame->m_top));
            EXPECT_EQ(CRect(0, client.bottom - 30, client.right, client.bottom), RectIn(frame, &frame->m_bottom));
            EXPECT_EQ(CRect(0, 20, client.right, client.bottom - 30), RectIn(frame, view));
        }
        frame->ShowControlBar(&frame->m_bottom, FALSE, FALSE);
        CRect client;
        frame->GetClientRect(&client);
        EXPECT_EQ(CRect(0, 20, client.right, client.bottom), RectIn(frame, view));
        // The menu command of a bar shows it again; its update handler checks it.
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_TOOLBAR, 0), 0);
        EXPECT_TRUE(frame->m_bottom.IsVisible());
        EXPECT_EQ(CRect(0, 20, client.right, client.bottom - 30), RectIn(frame, view));
        frame->DestroyWindow();
    });
}

TEST(FrameProgram, IdlePassUpdatesBarButtonsAndBarCommandsReachTheFrame)
{
    OnFreshThread([] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        ASSERT_TRUE(frame->IsWindowVisible());
        app.OnIdle(0);
        BarStates s = frame->States();
        EXPECT_TRUE(s.frame);
        EXPECT_FALSE(s.disabled);
        EXPECT_FALSE(s.orphan) << "a push button without a handler is disabled";
        EXPECT_TRUE(s.check) << "a check box without a handler is left alone";
        EXPECT_FALSE(s.self) << "the control's own update handler comes first";
        g_enableDisabled = true;
        app.OnIdle(0);
        EXPECT_TRUE(frame->States().disabled);

        // The bar does not handle its buttons' clicks: they go on to the frame's routing.
        frame->m_bottom.m_frameButton.SendMessage(BM_CLICK);
        EXPECT_EQ((std::vector<std::wstring>{L"frame"}), g_log);
        frame->DestroyWindow();
    });
}

TEST(FrameProgram, OneDocumentIsReusedForEveryOpen)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    CString path = CString(temp) + L"fw_frame_open.tst";
    {
        CHandle f(::CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        ASSERT_TRUE(f.IsValid());
    }
    OnFreshThread([&] {
        CTestApp app;
        app.m_lpCmdLine = const_cast<LPWSTR>(L"");
        ASSERT_TRUE(app.InitInstance());
        CTestFrame* frame = app.Frame();
        CTestDoc* doc = app.Doc();
        CTestViewA* viewA = static_cast<CTestViewA*>(frame->GetActiveView());
        CString name;
        ASSERT_TRUE(doc->GetDocTemplate()->GetDocString(name, CDocTemplate::regFileTypeId));
        EXPECT_EQ(L"Fw.TestDoc", name);
        ASSERT_TRUE(doc->GetDocTemplate()->GetDocString(name, CDocTemplate::fileNewName));
        EXPECT_EQ(L"TestDoc", name);
        EXPECT_EQ(L"Untitled", doc->GetTitle()) << "the document-name part is empty";

        EXPECT_EQ(doc, app.OpenDocumentFile(path));
        EXPECT_EQ(frame, app.m_pMainWnd);
        EXPECT_EQ(1, g_docsAlive);
        EXPECT_EQ(1, doc->m_saveAsks);
        EXPECT_EQ(1, doc->m_opens);
        EXPECT_EQ(2, viewA->m_initialUpdates);
        EXPECT_EQ(0, path.CompareNoCase(doc->GetPathName()));
        CString title;
        frame->GetWindowText(title);
        EXPECT_EQ(L"fw_frame_open.tst - FrameTest", title);

        // The same path again is only shown; a missing file fails and leaves the document as it was.
        EXPECT_EQ(doc, app.OpenDocumentFile(path));
        EXPECT_EQ(1, doc->m_opens);
        EXPECT_EQ(nullptr, app.OpenDocumentFile(CString(temp) + L"fw_frame_missing.tst"));
        EXPECT_EQ(1u, g_boxes.size());
        EXPECT_EQ(doc, app.Doc());
        EXPECT_EQ(0, path.CompareNoCase(doc->GetPathName()));

        // Closing asks about changes once; Cancel keeps everything, No closes and quits.
        doc->SetModifiedFlag(TRUE);
        g_boxAnswer = IDCANCEL;
        frame->SendMessage(WM_CLOSE);
        EXPECT_TRUE(::IsWindow(frame->m_hWnd));
        EXPECT_EQ(2u, g_boxes.size());
        g_boxAnswer = IDNO;
        HWND hFrame = frame->m_hWnd;
        frame->SendMessage(WM_CLOSE);
        EXPECT_FALSE(::IsWindow(hFrame));
        EXPECT_EQ(3u, g_boxes.size());
        EXPECT_EQ(0, g_docsAlive);
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        MSG msg;
        EXPECT_TRUE(::PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    });
    ::DeleteFileW(path);
}

TEST(FrameProgram, FailedStartLeavesNoWindowAndRunsExitInstance)
{
    for (int failAt = 0; failAt < 2; ++failAt) {
        OnFreshThread([&] {
            CTestApp app;
            app.m_lpCmdLine = const_cast<LPWSTR>(L"");
            g_failNewDocument = failAt == 0;  // the shell command fails, or InitInstance says no later
            app.m_initResult = FALSE;
            int code = AfxWinMain(::GetModuleHandleW(NULL), NULL, const_cast<LPWSTR>(L""), SW_SHOWNORMAL);
            EXPECT_EQ(7, code);
            EXPECT_EQ(1, app.m_exits);
            EXPECT_EQ(nullptr, app.m_pMainWnd);
            EXPECT_EQ(0, ThreadWindowsOfClass(L"Fw:"));
            EXPECT_EQ(0, g_docsAlive);
            EXPECT_EQ(CString(L"FwFrameTests"), AfxGetAppName());
        });
    }
}

TEST(FrameProgram, RunLoopIdlesAndEndsWithTheMainWindow)
{
    OnFreshThread([] {
        CTestApp app;
        g_barAtDestroy = {};
        app.m_exitOnIdle = true;
        app.m_script = [](CTestApp& a) { PostCommand(a.Frame(), ID_T_FRAMECMD); };
        int code = AfxWinMain(::GetModuleHandleW(NULL), NULL, const_cast<LPWSTR>(L""), SW_SHOWNORMAL);
        EXPECT_EQ(7, code);
        EXPECT_EQ(1, app.m_exits);
        EXPECT_EQ((std::vector<std::wstring>{L"frame"}), g_log);
        EXPECT_GE(app.m_idles, 1) << "an idle pass once the queue ran empty";
        EXPECT_FALSE(g_barAtDestroy.orphan) << "the idle pass updated the bar before the frame closed";
        EXPECT_TRUE(g_barAtDestroy.frame);
        EXPECT_EQ(0, ThreadWindowsOfClass(L"Fw:"));
        EXPECT_EQ(0, g_docsAlive);
    });
}

} // namespace
