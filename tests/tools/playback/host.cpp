// The test's stand-in play window, tool process and screen reads.
#include "host.h"

#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"
#include "tests/common/ProcessStart.h"

#include <cstring>

namespace playtest {

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

void Pump(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (true) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs, const wchar_t* folder)
{
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessForTest(nullptr, line.data(), FALSE, CREATE_NO_WINDOW, folder, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

int RunAndCapture(const std::wstring& commandLine, std::string* output, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessForTest(nullptr, line.data(), TRUE, CREATE_NO_WINDOW, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    CloseHandle(pi.hThread);
    // The program's end closes its end of the pipe; a program that hangs is ended by the deadline.
    DWORD start = GetTickCount();
    char buf[4096];
    for (;;) {
        DWORD avail = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr))
            break;
        DWORD got = 0;
        if (avail > 0 && ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0) {
            output->append(buf, got);
            continue;
        }
        if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0 && avail == 0) {
            if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) || avail == 0)
                break;
        }
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(pi.hProcess, 1);
            break;
        }
    }
    CloseHandle(readEnd);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 5000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

HostWindow::HostWindow(int x, int y, int width, int height)
{
    static const wchar_t* kClass = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = L"PlaybackTestHost";
        RegisterClassW(&wc);
        return L"PlaybackTestHost";
    }();
    hwnd_ = CreateWindowExW(0, kClass, L"play window", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Pump(50);
}

HostWindow::~HostWindow()
{
    Destroy();
}

void HostWindow::Destroy()
{
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (cds->dwData == drumlin::kStatusRecordId && cds->cbData == sizeof(drumlin::StatusRecord)) {
            Received r;
            r.tick = GetTickCount();
            memcpy(&r.record, cds->lpData, sizeof(r.record));
            self->records_.push_back(r);
            return 1;
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

const Received* HostWindow::Find(int32_t code) const
{
    for (const Received& r : records_)
        if (r.Code() == code)
            return &r;
    return nullptr;
}

const Received* HostWindow::Last(int32_t code) const
{
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
        if (it->Code() == code)
            return &*it;
    return nullptr;
}

size_t HostWindow::Count(int32_t code) const
{
    size_t n = 0;
    for (const Received& r : records_)
        n += r.Code() == code;
    return n;
}

HWND HostWindow::ToolWindow() const
{
    const Received* started = Find(drumlin::kStatusStarted);
    return started ? reinterpret_cast<HWND>(static_cast<uintptr_t>(started->record.header.toolWindow)) : nullptr;
}

HWND HostWindow::DrawingWindow() const
{
    const Received* started = Find(drumlin::kStatusStarted);
    return started ? reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(started->record.header.value2)))
                   : nullptr;
}

LRESULT HostWindow::Command(int32_t code, int64_t args12, int64_t args34)
{
    drumlin::RecordHeader cmd = {};
    cmd.playWindow = reinterpret_cast<uintptr_t>(hwnd_);
    cmd.toolWindow = reinterpret_cast<uintptr_t>(ToolWindow());
    cmd.code = code;
    memcpy(&cmd.args[0], &args12, sizeof(args12));
    memcpy(&cmd.args[2], &args34, sizeof(args34));
    COPYDATASTRUCT cds = {drumlin::kCommandRecordId, sizeof(cmd), &cmd};
    // A tool that hangs must fail the test, not hang it.
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutW(ToolWindow(), WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_), reinterpret_cast<LPARAM>(&cds),
                             SMTO_NORMAL, 5000, &reply))
        return -1;
    return static_cast<LRESULT>(reply);
}

ToolProcess::~ToolProcess()
{
    if (process_) {
        if (Running())
            TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
}

bool ToolProcess::Start(const std::wstring& exe, const std::wstring& args)
{
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessForTest(exe.c_str(), line.data(), FALSE, CREATE_NO_WINDOW, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
}

bool ToolProcess::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ToolProcess::WaitExit(DWORD timeoutMs, DWORD* code)
{
    if (!PumpUntil([this] { return !Running(); }, timeoutMs))
        return false;
    if (code)
        GetExitCodeProcess(process_, code);
    return true;
}

Shot CaptureScreen(const RECT& r)
{
    Shot shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    shot.bgr.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    const uint8_t* src = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(shot.width) * shot.height; ++i)
        memcpy(&shot.bgr[i * 3], src + i * 4, 3);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* out)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(f, &size) != FALSE;
    if (ok) {
        out->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = out->empty() || (ReadFile(f, out->data(), static_cast<DWORD>(out->size()), &got, nullptr) &&
                              got == out->size());
    }
    CloseHandle(f);
    return ok;
}

bool SaveShot(const Shot& shot, const wchar_t* name)
{
    CRasterImage image;
    if (shot.bgr.empty() || !image.Create(shot.width, shot.height, 24, ImageTypePNG))
        return false;
    // The image keeps its rows bottom up.
    for (int y = 0; y < shot.height; ++y)
        memcpy(image.GetBits(shot.height - 1 - y), shot.At(0, y), static_cast<size_t>(shot.width) * 3);
    return !SaveTestImage(L"playback", name, image).IsEmpty();
}

}  // namespace playtest
