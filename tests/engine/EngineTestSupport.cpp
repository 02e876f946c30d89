// Shared equipment of the engine tests.
#include "EngineTestSupport.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

namespace enginetest {

namespace {

// Under full parallel load Wine now and then fails to start a program that is there: the clips
// the tests make with ffmpeg are started a few times before a test gives up (the tool runner
// tries its own starts again by itself).
const int kStartAttempts = 5;
const DWORD kStartRetryMs = 250;

}  // namespace

int RunHidden(const CString& commandLine, DWORD timeoutMs)
{
    std::vector<wchar_t> line(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    for (int attempt = 1;
         !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
         ++attempt) {
        if (attempt >= kStartAttempts)
            return -1;
        Sleep(kStartRetryMs);
    }
    CHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 1);
    return (int)code;
}

CString GetEnv(LPCWSTR name)
{
    wchar_t buf[4096] = L"";
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n > 0 && n < 4096 ? CString(buf) : CString();
}

CString FakeToolPath()
{
    return GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe";
}

CString MakeAwkwardFolder(LPCWSTR tag)
{
    CString root = GetEnv(L"TEST_TEMP_DIR");
    if (root.IsEmpty()) {
        wchar_t temp[MAX_PATH + 1] = L"";
        GetTempPathW(MAX_PATH + 1, temp);
        root = temp;
        root.TrimRight(L'\\');
    }
    CString folder;
    for (int n = 0;; ++n) {
        folder.Format(L"%s\\engine %s & (%d) \u00e9t\u00e9 \u0436", root.GetString(), tag, n);
        if (CreateDirectoryW(folder, nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return CString();
    }
}

CString MakeDeepFolder(LPCWSTR tag, int length)
{
    CString folder = MakeAwkwardFolder(tag);
    if (folder.IsEmpty())
        return CString();
    for (int level = 0; folder.GetLength() < length; ++level) {
        CString part;
        part.Format(L"\\level %d %s", level, L"abcdefghijklmnopqrstuvwxyz abcdefghijklmnopqrstuvwxyz");
        folder += part.Left(60);
        if (!CreateDirectoryW(folder, nullptr))
            return CString();
    }
    return folder;
}

CString InstallFakeTool(LPCWSTR folder, LPCWSTR name)
{
    CString path;
    path.Format(L"%s\\%s", folder, name);
    if (!CopyFileW(FakeToolPath(), path, FALSE))
        return CString();
    return path;
}

bool WriteUtf8File(LPCWSTR path, LPCWSTR text)
{
    CHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file.IsValid())
        return false;
    std::string bytes = detail::Narrow(text, -1, CP_UTF8);
    DWORD written = 0;
    return WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
}

CString ReadUtf8File(LPCWSTR path)
{
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid())
        return CString();
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof(buf), &got, nullptr) && got > 0)
        bytes.append(buf, got);
    return CString(detail::Widen(bytes.c_str(), (int)bytes.size(), CP_UTF8));
}

std::vector<CString> ReadLines(LPCWSTR path)
{
    std::vector<CString> lines;
    CString text = ReadUtf8File(path);
    int start = 0;
    while (start < text.GetLength()) {
        int end = text.Find(L'\n', start);
        if (end < 0)
            end = text.GetLength();
        CString line = text.Mid(start, end - start);
        line.TrimRight(L'\r');
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<DWORD> ReadPids(LPCWSTR path)
{
    std::vector<DWORD> pids;
    for (const CString& line : ReadLines(path))
        if (!line.IsEmpty())
            pids.push_back((DWORD)_wtoi(line));
    return pids;
}

namespace {

template <class Visit>
void ForEachProcess(Visit visit)
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        visit(entry);
}

}  // namespace

bool IsProcessListed(DWORD pid)
{
    bool found = false;
    ForEachProcess([&](const PROCESSENTRY32W& e) { found = found || e.th32ProcessID == pid; });
    return found;
}

int CountProcessesNamed(LPCWSTR exeName)
{
    int count = 0;
    ForEachProcess([&](const PROCESSENTRY32W& e) {
        LPCWSTR name = wcsrchr(e.szExeFile, L'\\');
        if (_wcsicmp(name ? name + 1 : e.szExeFile, exeName) == 0)
            ++count;
    });
    return count;
}

static void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

CPumpedThread::CPumpedThread(std::function<void()> work) : m_work(std::move(work))
{
    m_thread.Attach(CreateThread(nullptr, 0, Entry, this, 0, nullptr));
}

CPumpedThread::~CPumpedThread()
{
    if (m_thread.IsValid())
        Join(60000);
}

bool CPumpedThread::Join(DWORD timeoutMs)
{
    if (!m_thread.IsValid())
        return true;
    HANDLE h = m_thread;
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0)
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(1, &h, FALSE, 20, QS_ALLINPUT);
    }
}

DWORD WINAPI CPumpedThread::Entry(LPVOID self)
{
    static_cast<CPumpedThread*>(self)->m_work();
    return 0;
}

CTestWindow::CTestWindow(DWORD style, int x, int y, int width, int height, Handler handler)
    : m_handler(std::move(handler)), m_hwnd(nullptr), m_background(RGB(0, 0, 255))
{
    static const wchar_t kClass[] = L"EngineTestWindow";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, kClass, L"engine test", style, x, y, width, height, nullptr, nullptr,
                             wc.hInstance, this);
}

CTestWindow::~CTestWindow()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK CTestWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          (LONG_PTR)reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    CTestWindow* self = reinterpret_cast<CTestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        LRESULT result = 0;
        if (self->m_handler && self->m_handler(hwnd, msg, wParam, lParam, result))
            return result;
        if (msg == WM_ERASEBKGND) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            CBrush brush(self->m_background);
            FillRect((HDC)wParam, &rc, brush);
            return 1;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace enginetest
