// WM_COPYDATA between a window of ours and the fake tool in both directions, and windows that the
// tool's process creates as a child of ours or as an owned popup over ours.
#include <gtest/gtest.h>

#include <string.h>

#include "EngineTestSupport.h"
#include "engine/ToolProcess.h"

using namespace enginetest;

namespace {

struct Record {
    ULONG_PTR kind;
    std::vector<BYTE> bytes;
    int Code() const { return bytes.size() >= 36 ? I32(bytes.size() == 1112 ? 8 : 32) : -1; }
    int I32(size_t at) const { int v = 0; memcpy(&v, &bytes[at], 4); return v; }
    __int64 I64(size_t at) const { __int64 v = 0; memcpy(&v, &bytes[at], 8); return v; }
};

bool Contains(const std::vector<CString>& lines, LPCWSTR line)
{
    for (const CString& l : lines)
        if (l == line)
            return true;
    return false;
}

// The test window's side of the tools' protocols, with the tool run on a thread of its own.
class ToolWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        CToolProcessBase::SetStopGraceForTests(500);
        m_folder = MakeAwkwardFolder(L"windows");
        ASSERT_FALSE(m_folder.IsEmpty());
        m_tool = InstallFakeTool(m_folder, L"Drumlin.exe");
        ASSERT_FALSE(m_tool.IsEmpty());
        m_log = m_folder + L"\\records.txt";
    }
    void TearDown() override { CToolProcessBase::SetStopGraceForTests(10000); }

    void CreateWindowAt(DWORD style, int x, int y, int w, int h)
    {
        m_window.reset(new CTestWindow(style, x, y, w, h, [this](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& r) {
            if (msg != WM_COPYDATA)
                return false;
            const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lParam;
            Record rec;
            rec.kind = cds->dwData;
            rec.bytes.assign((const BYTE*)cds->lpData, (const BYTE*)cds->lpData + cds->cbData);
            m_records.push_back(rec);
            if (rec.kind == 1020 && rec.Code() == 21 && rec.bytes.size() == 1640)
                m_toolWindow = (HWND)(INT_PTR)rec.I64(16);
            r = m_reply ? m_reply(rec) : 0;
            return true;
        }));
        ASSERT_NE(nullptr, m_window->Get());
    }

    void StartTool(LPCWSTR args)
    {
        CString command = MakeToolCommand(m_tool, args);
        m_run.reset(new CPumpedThread([this, command] {
            CToolProcessBase runner;
            runner.SetPath(m_tool);
            m_result = runner.Run(command, &m_stopFlag);
        }));
    }

    LRESULT SendCommand(HWND to, int code, int a1 = 0, int a2 = 0)
    {
        std::vector<BYTE> rec(1080, 0);
        __int64 play = (INT_PTR)m_window->Get(), context = 777, tool = (INT_PTR)to;
        memcpy(&rec[0], &play, 8);
        memcpy(&rec[8], &context, 8);
        memcpy(&rec[16], &tool, 8);
        memcpy(&rec[32], &code, 4);
        memcpy(&rec[40], &a1, 4);
        memcpy(&rec[44], &a2, 4);
        COPYDATASTRUCT cds = {1021, (DWORD)rec.size(), rec.data()};
        return SendMessageW(to, WM_COPYDATA, (WPARAM)m_window->Get(), (LPARAM)&cds);
    }

    bool HasStatus(int code, int argument) const
    {
        for (const Record& r : m_records)
            if (r.kind == 1020 && r.Code() == code && r.I32(40) == argument)
                return true;
        return false;
    }

    CString m_folder, m_tool, m_log;
    std::unique_ptr<CTestWindow> m_window;
    std::vector<Record> m_records;
    std::function<LRESULT(const Record&)> m_reply;
    HWND m_toolWindow = nullptr;
    volatile int m_stopFlag = 0;
    int m_result = 99;
    std::unique_ptr<CPumpedThread> m_run;
};

TEST_F(ToolWindows, EncoderProgressReachesUsAndOurReplyStopsTheTool)
{
    CreateWindowAt(WS_POPUP, 0, 0, 10, 10);
    int progress = 0;
    m_reply = [&](const Record& r) -> LRESULT { return r.Code() == 22 && ++progress == 2 ? 1 : 0; };
    CString args;
    args.Format(L"-i x.mp4 -callback_window %I64d -callback_context %I64d -fake_progress 5 -fake_interval 20 "
                L"-fake_record_log \"%s\"",
                (__int64)(INT_PTR)m_window->Get(), (__int64)-2147483000, m_log.GetString());
    StartTool(args);
    ASSERT_TRUE(m_run->Join(60000));
    EXPECT_EQ(-1, m_result);   // the fake encoder leaves with 255 after a stop

    std::vector<int> codes;
    for (const Record& r : m_records) {
        EXPECT_EQ(1010u, r.kind);
        ASSERT_EQ(1112u, r.bytes.size());
        EXPECT_EQ(-2147483000LL, r.I64(0));
        EXPECT_EQ(10000000LL, r.I64(1056 + 16));
        codes.push_back(r.Code());
    }
    EXPECT_EQ((std::vector<int>{21, 22, 22, 24}), codes);
    ASSERT_EQ(4u, m_records.size());
    EXPECT_EQ(4000000LL, m_records[2].I64(1056 + 40));
    EXPECT_EQ(2000LL, m_records[2].I64(1056 + 32));
    std::vector<CString> log = ReadLines(m_log);
    EXPECT_EQ((std::vector<CString>{L"reply 21 0", L"reply 22 0", L"reply 22 1", L"reply 24 0"}), log);
}

TEST_F(ToolWindows, PlaybackStatusComesInAndOurCommandsGoOut)
{
    CreateWindowAt(WS_POPUP, 0, 0, 64, 48);
    m_reply = [](const Record&) -> LRESULT { return 0; };
    CString args;
    args.Format(L"-autoexit -i \"a b.mp4\" -play_window %I64d -callback_context 777 -fake_play_ms 30000 "
                L"-fake_interval 50 -fake_stop_exit 0 -fake_record_log \"%s\"",
                (__int64)(INT_PTR)m_window->Get(), m_log.GetString());
    StartTool(args);
    ASSERT_TRUE(WaitUntil([&] { return m_toolWindow != nullptr; }, 30000));
    ASSERT_GE(m_records.size(), 2u);
    EXPECT_EQ(20, m_records[0].Code());
    EXPECT_EQ(1, m_records[0].I32(40));
    EXPECT_EQ(21, m_records[1].Code());
    for (const Record& r : m_records) {
        ASSERT_EQ(1640u, r.bytes.size());
        EXPECT_EQ((__int64)(INT_PTR)m_window->Get(), r.I64(0));
        EXPECT_EQ(777, r.I64(8));
        EXPECT_EQ(320, r.I32(1080 + 220));
    }

    EXPECT_EQ(1, SendCommand(m_toolWindow, 30, 1));
    EXPECT_EQ(1, SendCommand(m_toolWindow, 31, 55));
    EXPECT_EQ(1, SendCommand(m_toolWindow, 10, 12500000));
    EXPECT_EQ(1, SendCommand(m_toolWindow, 1));
    EXPECT_TRUE(WaitUntil([&] { return HasStatus(23, 1); }, 30000)) << "no pause report";
    EXPECT_EQ(1, SendCommand(m_toolWindow, 1));
    EXPECT_TRUE(WaitUntil([&] { return HasStatus(23, 0); }, 30000)) << "no resume report";
    EXPECT_TRUE(WaitUntil([&] { return m_records.back().Code() == 22 && m_records.back().I64(1080 + 544) > 12500000; },
                          30000)) << "the seek did not take";
    EXPECT_EQ(1, SendCommand(m_toolWindow, 2));
    ASSERT_TRUE(m_run->Join(60000));
    EXPECT_EQ(0, m_result);
    EXPECT_EQ(24, m_records.back().Code());

    std::vector<CString> log = ReadLines(m_log);
    EXPECT_TRUE(Contains(log, L"command 30 1 0 0 0"));
    EXPECT_TRUE(Contains(log, L"command 31 55 0 0 0"));
    EXPECT_TRUE(Contains(log, L"command 10 12500000 0 0 0"));
    EXPECT_TRUE(Contains(log, L"command 2 0 0 0 0"));
}

// Reads one pixel of the screen as the X server shows it.
COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

POINT ClientToScreenAt(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

TEST_F(ToolWindows, AChildWindowOfAnotherProcessIsOursToMoveAndToCommand)
{
    CreateWindowAt(WS_POPUP | WS_VISIBLE, 100, 100, 400, 300);
    m_window->SetBackground(RGB(0, 0, 255));
    UpdateWindow(m_window->Get());
    m_reply = [](const Record&) -> LRESULT { return 0; };
    CString pids = m_folder + L"\\pids.txt";
    CString args;
    args.Format(L"-play_window %I64d -callback_context 777 -fake_child_window -fake_color FF0000 -fake_play_ms 60000 "
                L"-fake_interval 100 -fake_stop_exit 0 -fake_record_log \"%s\" -fake_pid_file \"%s\"",
                (__int64)(INT_PTR)m_window->Get(), m_log.GetString(), pids.GetString());
    StartTool(args);
    ASSERT_TRUE(WaitUntil([&] { return m_toolWindow != nullptr; }, 30000));
    HWND child = m_toolWindow;

    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(m_window->Get(), GetParent(child));
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    ASSERT_EQ(1u, ReadPids(pids).size());
    EXPECT_EQ(ReadPids(pids)[0], owner);
    EXPECT_NE(GetCurrentProcessId(), owner);
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadLines(m_log), L"size 400 300"); }, 30000));

    ASSERT_TRUE(MoveWindow(child, 10, 20, 200, 100, TRUE));
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, m_window->Get(), (POINT*)&rc, 2);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(20, rc.top);
    EXPECT_EQ(210, rc.right);
    EXPECT_EQ(120, rc.bottom);
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadLines(m_log), L"size 200 100"); }, 30000)) << "no WM_SIZE";
    EXPECT_EQ(1, SendCommand(child, 30, 1));
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadLines(m_log), L"command 30 1 0 0 0"); }, 30000));

    // What the child draws: our own blue shows, the child's red does not (Wine's X11 driver).
    // Once our repaint shows, the child has had its own chance to paint too.
    InvalidateRect(m_window->Get(), nullptr, TRUE);
    InvalidateRect(child, nullptr, TRUE);
    POINT ours = ClientToScreenAt(m_window->Get(), 300, 250);
    POINT theirs = ClientToScreenAt(m_window->Get(), 110, 70);
    WaitUntil([&] { return ScreenPixel(ours.x, ours.y) == RGB(0, 0, 255); }, 30000);
    WaitUntil([] { return false; }, 300);
    COLORREF ourPixel = ScreenPixel(ours.x, ours.y);
    COLORREF childPixel = ScreenPixel(theirs.x, theirs.y);
    EXPECT_EQ(RGB(0, 0, 255), ourPixel) << "the screen read-back does not work";
    EXPECT_NE(RGB(255, 0, 0), childPixel) << "the foreign child's drawing now shows: " << std::hex << childPixel;
    RecordProperty("child_pixel", (int)childPixel);

    EXPECT_EQ(1, SendCommand(child, 2));
    ASSERT_TRUE(m_run->Join(60000));
    EXPECT_EQ(0, m_result);
}

TEST_F(ToolWindows, AnOwnedPopupOfAnotherProcessShowsOverOurClientArea)
{
    CreateWindowAt(WS_POPUP | WS_VISIBLE, 120, 140, 320, 240);
    m_window->SetBackground(RGB(0, 0, 255));
    UpdateWindow(m_window->Get());
    m_reply = [](const Record&) -> LRESULT { return 0; };
    CString args;
    args.Format(L"-play_window %I64d -callback_context 777 -fake_popup_window -fake_color 00FF00 -fake_play_ms 60000 "
                L"-fake_interval 50 -fake_stop_exit 0 -fake_record_log \"%s\"",
                (__int64)(INT_PTR)m_window->Get(), m_log.GetString());
    StartTool(args);
    ASSERT_TRUE(WaitUntil([&] { return m_toolWindow != nullptr; }, 30000));
    HWND popup = m_toolWindow;
    EXPECT_EQ(m_window->Get(), GetWindow(popup, GW_OWNER));
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(popup, GA_PARENT));

    auto coversClient = [&] {
        RECT client, placed;
        GetClientRect(m_window->Get(), &client);
        MapWindowPoints(m_window->Get(), nullptr, (POINT*)&client, 2);
        GetWindowRect(popup, &placed);
        return EqualRect(&client, &placed) != FALSE;
    };
    EXPECT_TRUE(WaitUntil(coversClient, 30000));
    POINT middle = ClientToScreenAt(m_window->Get(), 160, 120);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(middle.x, middle.y) == RGB(0, 255, 0); }, 30000))
        << "the popup's drawing does not show";

    // The popup follows our window when it moves.
    SetWindowPos(m_window->Get(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil(coversClient, 30000));

    EXPECT_EQ(1, SendCommand(popup, 2));
    ASSERT_TRUE(m_run->Join(60000));
    EXPECT_EQ(0, m_result);
}

}  // namespace
