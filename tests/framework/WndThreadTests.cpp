// Window objects and their message maps, worker threads, and the replaceable effects.
#include <gtest/gtest.h>

#include <climits>

#include "framework/framework.h"

#include <vector>

namespace {

const UINT WM_TEST_PING = WM_APP + 1;
const UINT WM_TEST_BASE_ONLY = WM_APP + 2;
const UINT ID_CMD_SINGLE = 40001;
const UINT ID_CMD_FIRST = 40100;
const UINT ID_CMD_LAST = 40109;
const UINT ID_BUTTON = 1001;

class CBaseTestWnd : public CWnd {
public:
    int m_baseOnly = 0;
    int m_basePing = 0;
    int m_nDestroyed = 0;
    bool m_postNcDestroy = false;

protected:
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { m_baseOnly += (int)wParam; return 11; }
    LRESULT OnPing(WPARAM, LPARAM) { ++m_basePing; return 1; }
    void OnDestroy() { ++m_nDestroyed; CWnd::OnDestroy(); }
    void PostNcDestroy() override { m_postNcDestroy = true; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
    ON_MESSAGE(WM_TEST_BASE_ONLY, OnBaseOnly)
    ON_MESSAGE(WM_TEST_PING, OnPing)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class CTestWnd : public CBaseTestWnd {
public:
    int m_created = 0;
    CString m_createName;
    int m_ping = 0;
    CSize m_size;
    CString m_copied;
    ULONG_PTR m_copyKind = 0;
    CWnd* m_copySender = nullptr;
    UINT m_single = 0;
    std::vector<UINT> m_range;
    int m_clicked = 0;
    CPoint m_click;
    UINT m_clickFlags = 0;
    std::vector<UINT_PTR> m_timers;

protected:
    int OnCreate(LPCREATESTRUCT cs)
    {
        ++m_created;
        m_createName = cs->lpszName;
        return CBaseTestWnd::OnCreate(cs);
    }
    LRESULT OnPing(WPARAM wParam, LPARAM lParam) { m_ping += (int)(wParam + lParam); return 42; }
    void OnSize(UINT nType, int cx, int cy)
    {
        CBaseTestWnd::OnSize(nType, cx, cy);
        m_size = CSize(cx, cy);
    }
    BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* cds)
    {
        m_copySender = pWnd;
        m_copyKind = cds->dwData;
        m_copied = CString((const wchar_t*)cds->lpData, (int)(cds->cbData / sizeof(wchar_t)));
        return cds->dwData == 1020;
    }
    void OnSingle() { ++m_single; }
    void OnRange(UINT id) { m_range.push_back(id); }
    void OnButton() { ++m_clicked; }
    void OnLButtonDown(UINT flags, CPoint pt) { m_clickFlags = flags; m_click = pt; }
    void OnTimer(UINT_PTR id) { m_timers.push_back(id); KillTimer(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CBaseTestWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_TEST_PING, OnPing)
    ON_WM_SIZE()
    ON_WM_COPYDATA()
    ON_COMMAND(ID_CMD_SINGLE, OnSingle)
    ON_COMMAND_RANGE(ID_CMD_FIRST, ID_CMD_LAST, OnRange)
    ON_BN_CLICKED(ID_BUTTON, OnButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_TIMER()
END_MESSAGE_MAP()

// A button that takes its own click notification (reflected) when asked to.
class CReflectingButton : public CWnd {
public:
    bool m_take = false;
    int m_reflected = 0;
protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (!m_take) return FALSE;
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    }
    void OnClicked() { ++m_reflected; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CWnd)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TEST(CWnd, MessageMapDispatchThroughClassAndBase)
{
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, L"test window", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), NULL, 0));
    ASSERT_NE(nullptr, wnd.m_hWnd);
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));
    EXPECT_EQ(1, wnd.m_created);
    EXPECT_EQ(L"test window", wnd.m_createName);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wchar_t cls[64];
    ::GetClassNameW(wnd, cls, 64);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(NULL), cls, &wc));
    EXPECT_TRUE(wc.style & CS_DBLCLKS);

    // The derived map wins over the base's entry for the same message; the base map still answers.
    EXPECT_EQ(42, wnd.SendMessage(WM_TEST_PING, 2, 3));
    EXPECT_EQ(5, wnd.m_ping);
    EXPECT_EQ(0, wnd.m_basePing);
    EXPECT_EQ(11, wnd.SendMessage(WM_TEST_BASE_ONLY, 4, 0));
    EXPECT_EQ(4, wnd.m_baseOnly);

    wnd.SetWindowPos(NULL, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    wnd.MoveWindow(0, 0, 320, 240);
    CRect client;
    wnd.GetClientRect(&client);
    EXPECT_EQ(client.Size(), wnd.m_size);

    CString text(L"status: ok");
    COPYDATASTRUCT cds = {1020, (DWORD)(text.GetLength() * sizeof(wchar_t)), (PVOID)text.GetString()};
    EXPECT_EQ(TRUE, wnd.SendMessage(WM_COPYDATA, (WPARAM)wnd.m_hWnd, (LPARAM)&cds));
    EXPECT_EQ(text, wnd.m_copied);
    EXPECT_EQ(1020u, wnd.m_copyKind);
    EXPECT_EQ(&wnd, wnd.m_copySender);
    cds.dwData = 1010;
    EXPECT_EQ(FALSE, wnd.SendMessage(WM_COPYDATA, 0, (LPARAM)&cds));

    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_SINGLE, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_FIRST + 3, 1), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_LAST, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_LAST + 1, 0), 0);
    EXPECT_EQ(1u, wnd.m_single);
    ASSERT_EQ(2u, wnd.m_range.size());
    EXPECT_EQ(ID_CMD_FIRST + 3, wnd.m_range[0]);
    EXPECT_EQ(ID_CMD_LAST, wnd.m_range[1]);

    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-3, 17));
    EXPECT_EQ(CPoint(-3, 17), wnd.m_click);
    EXPECT_EQ((UINT)(MK_LBUTTON | MK_SHIFT), wnd.m_clickFlags);

    EXPECT_NE(0u, wnd.SetTimer(7, 10));
    for (int i = 0; i < 100 && wnd.m_timers.empty(); ++i) {
        ::Sleep(10);
        PumpPending();
    }
    ASSERT_EQ(1u, wnd.m_timers.size());
    EXPECT_EQ(7u, wnd.m_timers[0]);

    CString title;
    wnd.SetWindowText(L"renamed");
    wnd.GetWindowText(title);
    EXPECT_EQ(L"renamed", title);
    EXPECT_TRUE(wnd.ModifyStyle(WS_MAXIMIZEBOX, 0));
    EXPECT_FALSE(wnd.GetStyle() & WS_MAXIMIZEBOX);
    EXPECT_FALSE(wnd.ModifyStyle(WS_MAXIMIZEBOX, 0));

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(1, wnd.m_nDestroyed);
    EXPECT_TRUE(wnd.m_postNcDestroy);
    EXPECT_EQ(NULL, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(CWnd, ControlsAreSubclassedAndNotificationsReflectFirst)
{
    CTestWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, NULL, L"parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), NULL, 0));
    CReflectingButton button;
    ASSERT_TRUE(button.Create(L"BUTTON", L"Press", WS_VISIBLE | BS_PUSHBUTTON, CRect(5, 5, 80, 30), &parent, ID_BUTTON));
    EXPECT_EQ(&button, CWnd::FromHandlePermanent(button.m_hWnd));
    EXPECT_EQ(&button, parent.GetDlgItem(ID_BUTTON));
    EXPECT_EQ(&parent, button.GetParent());
    // The control's own procedure still runs underneath: it keeps its text.
    CString caption;
    button.GetWindowText(caption);
    EXPECT_EQ(L"Press", caption);

    WPARAM clicked = MAKEWPARAM(ID_BUTTON, BN_CLICKED);
    parent.SendMessage(WM_COMMAND, clicked, (LPARAM)button.m_hWnd);
    EXPECT_EQ(1, parent.m_clicked);
    EXPECT_EQ(0, button.m_reflected);
    button.m_take = true;
    parent.SendMessage(WM_COMMAND, clicked, (LPARAM)button.m_hWnd);
    EXPECT_EQ(1, parent.m_clicked);
    EXPECT_EQ(1, button.m_reflected);

    // A window destroyed with its parent lets go of its object too.
    parent.DestroyWindow();
    EXPECT_EQ(NULL, button.m_hWnd);
}

TEST(CWnd, AttachDetachAndTemporaryWrappers)
{
    HWND raw = ::CreateWindowExW(0, L"STATIC", L"raw", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, raw);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
    CWnd* temp = CWnd::FromHandle(raw);
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(raw, temp->GetSafeHwnd());
    EXPECT_EQ(temp, CWnd::FromHandle(raw));
    {
        CWnd owner;
        EXPECT_TRUE(owner.Attach(raw));
        EXPECT_EQ(&owner, CWnd::FromHandle(raw));
        EXPECT_EQ(raw, owner.Detach());
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
    }
    EXPECT_TRUE(::IsWindow(raw));
    ::DestroyWindow(raw);
    CWnd* none = nullptr;
    EXPECT_EQ(NULL, none->GetSafeHwnd());
    EXPECT_EQ(nullptr, CWnd::FromHandle(NULL));
}

TEST(CWnd, MonitorHelpersMeasureThePresentScreens)
{
    const int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_TRUE(IsSavedPlaceUsable(left + 10, top + 10, 400, 300));
    // A place whose caption shows enough on a screen counts, however much of the rest is off it.
    EXPECT_TRUE(IsSavedPlaceUsable(left + cx - SAVED_PLACE_GRIP_WIDTH, top + 10, 800, 600));
    EXPECT_TRUE(IsSavedPlaceUsable(left - 700, top + 10, 800, 600));
    // A small window counts when all of its top shows.
    EXPECT_TRUE(IsSavedPlaceUsable(left + 10, top + 10, 40, 20));
    // Only a corner on a screen, too little of the caption's height, or too little of its width
    // does not; nor a place beyond every screen, nor an empty one.
    EXPECT_FALSE(IsSavedPlaceUsable(left + cx - 10, top + cy - 10, 400, 300));
    EXPECT_FALSE(IsSavedPlaceUsable(left + 10, top - SAVED_PLACE_GRIP_HEIGHT / 2, 400, 300));
    EXPECT_FALSE(IsSavedPlaceUsable(left + cx - SAVED_PLACE_GRIP_WIDTH + 1, top + 10, 800, 600));
    EXPECT_FALSE(IsSavedPlaceUsable(left + cx + 100, top, 300, 300));
    EXPECT_FALSE(IsSavedPlaceUsable(left - 5000, top - 5000, 1000, 1000));
    EXPECT_FALSE(IsSavedPlaceUsable(left + 10, top + 10, 0, 300));
    // Huge values: summed in 32 bits they would wrap round onto the screen.
    EXPECT_FALSE(IsSavedPlaceUsable(INT_MAX - 100, INT_MAX - 100, 800, 600));
    EXPECT_FALSE(IsSavedPlaceUsable(INT_MAX - 10, top + 10, INT_MAX, 600));

    RECT primaryWork = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &primaryWork, 0);
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"placed", WS_POPUP, left + 20, top + 20, 100, 60, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, wnd);
    CRect work = GetWindowWorkArea(wnd);
    EXPECT_FALSE(work.IsRectEmpty());
    EXPECT_LE(work.Width(), cx);
    EXPECT_LE(work.Height(), cy);
    // With one screen, as under Xvfb, the window's monitor is the primary one.
    if (::GetSystemMetrics(SM_CMONITORS) == 1) {
        EXPECT_EQ(CRect(primaryWork), work);
    }
    ::DestroyWindow(wnd);
}

TEST(CWnd, ASavedPlaceWhoseRightEdgePassesTheIntegerRangeIsJudgedByWhatShows)
{
    // The window's right edge lies beyond the largest int: only a sum in 64 bits sees that the
    // caption starts on the screen and shows; in 32 bits the edge wraps round to the left of it
    // and the place would be thrown away.
    const int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    ASSERT_GT(cx, 2 * SAVED_PLACE_GRIP_WIDTH);
    EXPECT_TRUE(IsSavedPlaceUsable(left + 10, top + 10, INT_MAX, 600));
    EXPECT_TRUE(IsSavedPlaceUsable(left + cx - SAVED_PLACE_GRIP_WIDTH, top + 10, INT_MAX - SAVED_PLACE_GRIP_WIDTH, 600));
    // The same caption with too little of it on the screen stays unusable, however wide.
    EXPECT_FALSE(IsSavedPlaceUsable(left + cx - SAVED_PLACE_GRIP_WIDTH + 1, top + 10, INT_MAX, 600));
}

// A UI thread that makes a window, reports through it and ends when told to quit.
class CWindowThread : public CWinThread {
public:
    CTestWnd m_wnd;
    HANDLE m_ready = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    bool m_exited = false;
    CWinThread* m_seenCurrent = nullptr;
    ~CWindowThread() override { ::CloseHandle(m_ready); }
    BOOL InitInstance() override
    {
        m_seenCurrent = AfxGetThread();
        if (!m_wnd.CreateEx(0, NULL, L"threaded", WS_POPUP, CRect(0, 0, 50, 50), NULL, 0)) return FALSE;
        m_pMainWnd = &m_wnd;
        ::SetEvent(m_ready);
        return TRUE;
    }
    int ExitInstance() override
    {
        m_wnd.DestroyWindow();
        m_exited = true;
        return 21 + CWinThread::ExitInstance();
    }
};

class CFailingThread : public CWinThread {
public:
    int m_runs = 0;
    int m_exits = 0;
    BOOL InitInstance() override { return FALSE; }
    int Run() override { ++m_runs; return 0; }
    int ExitInstance() override { ++m_exits; return 5; }
};

TEST(CWinThread, RunsSuspendedStartEndsAndFailedInitGoesToExit)
{
    CWindowThread thread;
    thread.m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread.CreateThread(CREATE_SUSPENDED));
    ASSERT_NE(nullptr, thread.m_hThread);
    EXPECT_NE(0u, thread.m_nThreadID);
    EXPECT_TRUE(thread.SetThreadPriority(THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, thread.GetThreadPriority());
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(thread.m_ready, 100));
    EXPECT_EQ(1u, thread.ResumeThread());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.m_ready, 5000));

    // The window belongs to the other thread, yet the map is shared and messages are handled there.
    EXPECT_EQ(&thread.m_wnd, CWnd::FromHandlePermanent(thread.m_wnd.m_hWnd));
    EXPECT_EQ(42, thread.m_wnd.SendMessage(WM_TEST_PING, 1, 1));
    EXPECT_EQ(2, thread.m_wnd.m_ping);

    EXPECT_TRUE(thread.PostThreadMessage(WM_QUIT, 3, 0));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.m_hThread, 5000));
    DWORD code = 0;
    ::GetExitCodeThread(thread.m_hThread, &code);
    EXPECT_EQ(24u, code);
    EXPECT_TRUE(thread.m_exited);
    EXPECT_EQ(&thread, thread.m_seenCurrent);
    EXPECT_EQ(NULL, thread.m_wnd.m_hWnd);

    CFailingThread failing;
    failing.m_bAutoDelete = FALSE;
    ASSERT_TRUE(failing.CreateThread());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(failing.m_hThread, 5000));
    ::GetExitCodeThread(failing.m_hThread, &code);
    EXPECT_EQ(5u, code);
    EXPECT_EQ(0, failing.m_runs);
    EXPECT_EQ(1, failing.m_exits);
}

UINT __cdecl Worker(LPVOID param)
{
    *static_cast<LONG*>(param) = 7;
    return 9;
}

TEST(CWinThread, BeginThreadRunsAFunction)
{
    LONG result = 0;
    CWinThread* thread = AfxBeginThread(Worker, &result, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread->m_hThread, 5000));
    DWORD code = 0;
    ::GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(9u, code);
    EXPECT_EQ(7, result);
    delete thread;
}

struct EffectLog {
    int boxes = 0;
    CString boxText, boxCaption;
    UINT boxType = 0;
    CString opened;
    CString started;
    UINT exitFlags = 0;
} g_log;

int WINAPI FakeMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    ++g_log.boxes;
    g_log.boxText = text;
    g_log.boxCaption = caption;
    g_log.boxType = type;
    return IDNO;
}

HINSTANCE WINAPI FakeShellExecute(HWND, LPCWSTR op, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_log.opened = CString(op) + L" " + file;
    return (HINSTANCE)33;
}

BOOL WINAPI FakeCreateProcess(LPCWSTR, LPWSTR cmd, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                              LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION pi)
{
    g_log.started = cmd;
    pi->dwProcessId = 1234;
    return TRUE;
}

BOOL WINAPI FakeExitWindows(UINT flags, DWORD)
{
    g_log.exitFlags = flags;
    return TRUE;
}

TEST(Effects, EachSwapTakesEffectAndRestores)
{
    g_log = EffectLog();
    CWinApp app(L"EffectsApp");
    FwMessageBoxFn oldBox = FwSetMessageBoxFunction(FakeMessageBox);
    FwShellExecuteFn oldShell = FwSetShellExecuteFunction(FakeShellExecute);
    FwCreateProcessFn oldProcess = FwSetCreateProcessFunction(FakeCreateProcess);
    FwExitWindowsFn oldExit = FwSetExitWindowsFunction(FakeExitWindows);
    EXPECT_NE(nullptr, oldBox);
    EXPECT_NE(nullptr, oldShell);
    EXPECT_NE(nullptr, oldProcess);
    EXPECT_NE(nullptr, oldExit);

    EXPECT_EQ(IDNO, AfxMessageBox(L"Overwrite?", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(1, g_log.boxes);
    EXPECT_EQ(L"Overwrite?", g_log.boxText);
    EXPECT_EQ(L"EffectsApp", g_log.boxCaption);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), g_log.boxType);
    EXPECT_EQ(IDNO, FwMessageBox(NULL, L"direct", L"cap", MB_OK));
    EXPECT_EQ(2, g_log.boxes);

    EXPECT_EQ((HINSTANCE)33, FwShellExecute(NULL, L"open", L"C:\\x.mp4", NULL, NULL, SW_SHOW));
    EXPECT_EQ(L"open C:\\x.mp4", g_log.opened);

    wchar_t cmd[] = L"tool.exe -i \"a b\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    EXPECT_TRUE(FwCreateProcess(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    EXPECT_EQ(L"tool.exe -i \"a b\"", g_log.started);
    EXPECT_EQ(1234u, pi.dwProcessId);

    EXPECT_TRUE(FwExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0));
    EXPECT_EQ((UINT)(EWX_POWEROFF | EWX_FORCE), g_log.exitFlags);

    EXPECT_EQ(FakeMessageBox, FwSetMessageBoxFunction(oldBox));
    EXPECT_EQ(FakeShellExecute, FwSetShellExecuteFunction(oldShell));
    EXPECT_EQ(FakeCreateProcess, FwSetCreateProcessFunction(oldProcess));
    EXPECT_EQ(FakeExitWindows, FwSetExitWindowsFunction(NULL));
    EXPECT_EQ(oldExit, FwSetExitWindowsFunction(oldExit));
}

} // namespace
