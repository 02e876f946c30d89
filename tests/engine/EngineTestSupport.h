// Shared equipment of the engine tests: scratch folders with awkward names, the fake tool, files,
// process checks and a thread that runs while the test thread pumps its messages.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Handles.h"
#include "framework/String.h"

namespace enginetest {

CString GetEnv(LPCWSTR name);
// The fake tool built beside the tests (TEST_BIN_DIR).
CString FakeToolPath();
// A new, empty folder under TEST_TEMP_DIR whose name holds blanks, "&", "(", ")" and non-ASCII
// letters; 'tag' keeps the folders of different tests apart.
CString MakeAwkwardFolder(LPCWSTR tag);
// A new, empty folder inside a fresh MakeAwkwardFolder whose full path has at least 'length'
// characters, made of nested folders of at most 60 characters each; empty on failure.
CString MakeDeepFolder(LPCWSTR tag, int length);
// Copies the fake tool into 'folder' under 'name' and returns the copy's path.
CString InstallFakeTool(LPCWSTR folder, LPCWSTR name);

bool WriteUtf8File(LPCWSTR path, LPCWSTR text);
CString ReadUtf8File(LPCWSTR path);
// The lines of a UTF-8 file, without line ends.
std::vector<CString> ReadLines(LPCWSTR path);
// Process ids listed one a line by the fake tool.
std::vector<DWORD> ReadPids(LPCWSTR path);

// True while a process with that id is listed by a process snapshot.
bool IsProcessListed(DWORD pid);
// How many listed processes have that executable file name.
int CountProcessesNamed(LPCWSTR exeName);

// Runs a program (full path in the command line) hidden and waits for it up to the timeout (then
// ends it): its exit code, or -1 when it could not be started. A start that fails is tried again
// a few times, as a loaded machine now and then refuses one.
int RunHidden(const CString& commandLine, DWORD timeoutMs = INFINITE);

// Polls 'condition' every 20 ms while pumping this thread's messages; false on timeout.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Runs 'work' on a thread of its own; Join pumps this thread's messages until it has ended, so
// windows of this thread keep answering the tools meanwhile.
class CPumpedThread {
public:
    explicit CPumpedThread(std::function<void()> work);
    ~CPumpedThread();
    CPumpedThread(const CPumpedThread&) = delete;
    CPumpedThread& operator=(const CPumpedThread&) = delete;
    // True when the thread ended within the timeout.
    bool Join(DWORD timeoutMs);

private:
    static DWORD WINAPI Entry(LPVOID self);
    std::function<void()> m_work;
    CHandle m_thread;
};

// A plain window of the test thread that hands its messages to a function.
class CTestWindow {
public:
    typedef std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> Handler;
    CTestWindow(DWORD style, int x, int y, int width, int height, Handler handler);
    ~CTestWindow();
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;
    HWND Get() const { return m_hwnd; }
    void SetBackground(COLORREF color) { m_background = color; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Handler m_handler;
    HWND m_hwnd;
    COLORREF m_background;
};

}  // namespace enginetest
