// Hosts, notify window and recording listener of the conversion tests.
#include "ConversionTestSupport.h"

#include <tlhelp32.h>

#include <string>

#include "engine/EncoderTool.h"
#include "framework/Handles.h"
#include "tests/common/ProcessStart.h"

namespace convtest {

CString GetEnv(LPCWSTR name)
{
    WCHAR buffer[2048] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, 2048);
    return (n > 0 && n < 2048) ? CString(buffer) : CString();
}

CString MakeScratchFolder(LPCWSTR tag)
{
    // Process ids repeat between runs under Wine: a folder left by an earlier run is passed over.
    static LONG counter = 0;
    CString folder;
    for (;;) {
        folder.Format(L"%s\\conv %s & \x00e9%ld", GetEnv(L"TEST_TEMP_DIR").GetString(), tag,
                      InterlockedIncrement(&counter));
        if (CreateDirectoryW(folder, nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            return folder;
    }
}

bool WriteBytes(LPCWSTR path, const char* bytes, DWORD count)
{
    CHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    DWORD written = 0;
    return count == 0 || (WriteFile(file, bytes, count, &written, nullptr) && written == count);
}

bool WriteUtf8(LPCWSTR path, const CString& text)
{
    std::string bytes(text.GetLength() * 4 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), &bytes[0], (int)bytes.size(), nullptr, nullptr);
    return n >= 0 && WriteBytes(path, bytes.data(), (DWORD)n);
}

bool CopyFirstThird(LPCWSTR from, LPCWSTR to)
{
    if (!CopyFileW(from, to, FALSE))
        return false;
    CHandle cut(CreateFileW(to, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size, third;
    if (!cut.IsValid() || !GetFileSizeEx(cut, &size))
        return false;
    third.QuadPart = size.QuadPart / 3;
    return SetFilePointerEx(cut, third, nullptr, FILE_BEGIN) && SetEndOfFile(cut);
}

CString ReadUtf8(LPCWSTR path)
{
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid())
        return CString();
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], (DWORD)bytes.size(), &read, nullptr);
    std::wstring wide(read + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)read, &wide[0], (int)wide.size());
    return CString(wide.c_str(), n > 0 ? n : 0);
}

int CountProcessesOf(LPCWSTR exePath)
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return -1;
    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process.IsValid())
            continue;
        WCHAR path[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, path, &size) && _wcsicmp(path, exePath) == 0)
            ++count;
    }
    return count;
}

int RunHidden(LPCWSTR commandLine, DWORD timeoutMs)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    CString line(commandLine);
    if (!CreateProcessForTest(nullptr, const_cast<LPWSTR>(line.GetString()), FALSE, CREATE_NO_WINDOW, nullptr, &si,
                              &pi))
        return -1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        return -1;
    }
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    return (int)code;
}

// ---------------------------------------------------------------------------------------------

CTestHosts::CTestHosts() : m_previousEngine(GetEngineHost()), m_previousConvert(GetConvertHost())
{
    m_tempFolder = GetEnv(L"TEST_TEMP_DIR");
    SetEngineHost(this);
    SetConvertHost(this);
}

CTestHosts::~CTestHosts()
{
    SetEngineHost(m_previousEngine);
    SetConvertHost(m_previousConvert);
}

CString CTestHosts::MakeTempFilePath()
{
    CString path;
    path.Format(L"%s\\conv-temp-%lu-%d", m_tempFolder.GetString(), GetCurrentProcessId(),
                (int)InterlockedIncrement(&m_tempCount));
    return path;
}

int CTestHosts::AskFileExists(LPCWSTR folder, LPCWSTR title, LPCWSTR extension, CString& newName)
{
    Questions.push_back(CString(folder) + L"|" + title + L"|" + extension);
    if (BeforeAnswer)
        BeforeAnswer();
    const size_t i = m_next++;
    if (i < RenameTo.size())
        newName = RenameTo[i];
    return i < Answers.size() ? Answers[i] : FILE_EXISTS_NOT_SHOWN;
}

// ---------------------------------------------------------------------------------------------

void CRecordingJobListener::OnJobStateChanged(CMediaConvertJob& job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.push_back({false, job.Status.State, job.Status.SubState, job.Status.Result, job.Status.Detail,
                             GetCurrentThreadId(), CString(), CString()});
    }
    CMediaJobListener::OnJobStateChanged(job);
}

void CRecordingJobListener::OnJobProgress(CMediaConvertJob& job)
{
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.push_back({true, job.Status.State, job.Status.SubState, 0, 0, GetCurrentThreadId(), CString(),
                             CString()});
        first = ++m_progress == 1;
    }
    CMediaJobListener::OnJobProgress(job);
    if (first && OnFirstProgress)
        OnFirstProgress(this);
}

void CRecordingJobListener::ShowStatusText(LPCWSTR status, LPCWSTR detail)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status = status;
    m_detail = detail;
    if (!m_reports.empty()) {
        m_reports.back().status = status;
        m_reports.back().statusDetail = detail;
    }
}

void CRecordingJobListener::ShowFileName(LPCWSTR name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fileName = name;
}

std::vector<Report> CRecordingJobListener::Reports()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reports;
}

CString CRecordingJobListener::LastStatus()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

CString CRecordingJobListener::LastDetail()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_detail;
}

CString CRecordingJobListener::ShownFileName()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fileName;
}

int CRecordingJobListener::ProgressCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_progress;
}

// ---------------------------------------------------------------------------------------------

CNotifyWindow::CNotifyWindow(CMediaJobListener* listener) : m_listener(listener)
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &CNotifyWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ConversionTestNotify";
        atom = RegisterClassW(&wc);
    }
    m_hwnd = CreateWindowExW(0, L"ConversionTestNotify", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
}

CNotifyWindow::~CNotifyWindow()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK CNotifyWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTW*)lParam)->lpCreateParams);
    CNotifyWindow* self = (CNotifyWindow*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    if (msg == WM_COPYDATA)
        return CEncoderTool::DispatchCopyData((const COPYDATASTRUCT*)lParam);
    if (msg == WM_WORKER_DONE && self) {
        self->m_listener->OnJobFinished();
        self->m_finished = true;
        return 0;
    }
    if (msg == WM_DESTROY && self && self->OnDestroy)
        self->OnDestroy();
    if (msg == WM_NCDESTROY && self) {
        self->m_hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool PumpUntilFinished(const std::vector<CNotifyWindow*>& windows, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        bool all = true;
        for (CNotifyWindow* w : windows)
            all = all && w->Finished();
        if (all)
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace convtest
