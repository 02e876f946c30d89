// Equipment of the update-check tests: a host whose feed is the loopback server's, recorders for
// the message boxes and the shell's open (both are called on the check's thread), a check run on
// a thread of the test's, and the update dialogs found among that thread's windows.
#pragma once

#include "tests/toolkit/HttpTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/UpdateCheck.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CUpdateTestHost : public CTestToolkitHost {
public:
    CString GetUpdateFeedUrl() override { return m_feed; }
    CString GetProductPageUrl() override { return L"http://127.0.0.1:9/product-page"; }
    CString m_feed;
};

struct RecordedBox {
    HWND owner;
    CString text;
    CString caption;
    UINT type;
};

// What the check did to the outside world.
class CUpdateEffects {
public:
    CUpdateEffects();
    ~CUpdateEffects();
    std::vector<RecordedBox> Boxes();
    std::vector<CString> Opened();

private:
    static int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    static HINSTANCE WINAPI RecordOpen(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT);
};

// A checker's Run on a thread of its own; Join pumps this thread meanwhile.
class CCheckRun {
public:
    explicit CCheckRun(CUpdateChecker& checker);
    ~CCheckRun();
    // True when Run ended within the time; its result is then in m_nResult, and what it posted to
    // this thread has been dispatched.
    bool Join(DWORD timeoutMs);
    DWORD ThreadId() const { return m_threadId; }
    int m_nResult = -99;

private:
    std::thread m_thread;
    volatile DWORD m_threadId = 0;
    volatile LONG m_done = 0;
};

// A visible dialog window of that thread holding a control with the given id; NULL at the deadline.
HWND WaitForDialog(DWORD threadId, int controlId, DWORD timeoutMs);
CString WindowText(HWND window);
// Presses a button of a dialog on another thread, as a click would.
void PressButton(HWND dialog, int id);

// The host set, the recorders in place and a server with the feeds the tests use.
class UpdateCheckTest : public HttpServerTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A feed document in UTF-8 with these elements ("" leaves one out).
    static std::string Feed(const char* version, const char* downloadUrl, const char* description = "",
                            const char* level = "");
    // A checker of the host's product for the feed at 'path' of the server.
    CUpdateChecker* NewChecker(const char* path, BOOL automatic);

    CUpdateTestHost m_host;
    CUpdateEffects m_effects;
    std::vector<CUpdateChecker*> m_checkers;
};
