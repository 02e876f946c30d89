// Test stand-in for the probe, encoder and playback tools: it exits, waits, prints, logs, starts a
// child of itself and talks WM_COPYDATA, as its "-fake_" options or a script file tell it.
//
// Script: the file named by FAKETOOL_SCRIPT, else "<exe name>.fake" beside the executable; one
// option per line without the "-fake_" prefix ("exit 3", "log C:\a b\log.txt", "hang"); lines
// starting with "#" are comments. Options on the command line override the script.
#include <windows.h>
#include <shellapi.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

class COwnedHandle {
public:
    explicit COwnedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~COwnedHandle() { if (IsValid()) CloseHandle(m_h); }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

struct FakeScript {
    int exitCode = 0;
    int stopExitCode = 255;     // exit code after a stop request was obeyed
    int delayMs = 0;
    int startDelayMs = 0;       // before a playback tool's first report, as a slow start
    bool hang = false;          // never end by itself, whatever it is asked
    bool startChild = false;    // a hanging child of itself, in the same job
    bool childWindow = false;   // WS_CHILD of the play window
    bool popupWindow = false;   // owned WS_POPUP kept over the play window's client area
    int progressCount = 3;
    int intervalMs = 50;
    int playMs = 1000;
    COLORREF color = RGB(255, 0, 0);
    std::wstring stdoutFile, stdoutText, logPath, pidFile, recordLog;
    std::wstring consoleFile;   // told whether this run has a console: "console" or "no console"
    std::wstring outputText;    // written to the encoder's output file, the argument before "-y"
    // Files written beside that output, as a muxer writes a playlist's segments: "name|text" each.
    std::vector<std::wstring> sideFiles;
    std::wstring waitFile;      // a slow tool whose end the test decides: nothing more is done until it exists
    std::wstring unplayable;    // a playback input holding this text cannot be opened: its end is told, exit 1
    std::wstring input;         // the "-i" argument
    int64_t callbackWindow = 0, playWindow = 0, callbackContext = 0;
};

// Wire layout shared by the encoder progress record and the playback command and status records.
const ULONG_PTR kEncoderProgress = 1010, kPlayerStatus = 1020, kPlayerCommand = 1021;
const DWORD kEncoderRecordSize = 1112, kEncoderBlockAt = 1056;
const DWORD kCommandRecordSize = 1080, kStatusRecordSize = 1640, kStatusBlockAt = 1080;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n);
    return out;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    COwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid())
        return false;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buf, sizeof(buf), &got, nullptr) && got > 0)
        bytes.append(buf, got);
    return true;
}

// One write per call, so the lines of a parent and its child never interleave.
void AppendUtf8(const std::wstring& path, const std::wstring& text)
{
    if (path.empty())
        return;
    COwnedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, 0, nullptr));
    if (!file.IsValid())
        return;
    std::string bytes = ToUtf8(text);
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

// The file made anew with the text; nothing when it cannot be made.
void WriteText(const std::wstring& path, const std::wstring& text)
{
    COwnedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    const std::string bytes = ToUtf8(text);
    if (file.IsValid())
        WriteFile(file.Get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

void WriteStdout(const std::string& bytes)
{
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buf(32768);
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), (DWORD)buf.size());
    return std::wstring(buf.data(), n);
}

bool IsFlagOption(const std::wstring& name)
{
    return name == L"hang" || name == L"child" || name == L"child_window" || name == L"popup_window" ||
           name == L"noscript";
}

void ApplyOption(FakeScript& s, const std::wstring& name, const std::wstring& value)
{
    int number = _wtoi(value.c_str());
    if (name == L"exit") s.exitCode = number;
    else if (name == L"stop_exit") s.stopExitCode = number;
    else if (name == L"delay") s.delayMs = number;
    else if (name == L"start_delay") s.startDelayMs = number;
    else if (name == L"hang") s.hang = true;
    else if (name == L"child") s.startChild = true;
    else if (name == L"child_window") s.childWindow = true;
    else if (name == L"popup_window") s.popupWindow = true;
    else if (name == L"progress") s.progressCount = number;
    else if (name == L"interval") s.intervalMs = number;
    else if (name == L"play_ms") s.playMs = number;
    else if (name == L"stdout_file") s.stdoutFile = value;
    else if (name == L"stdout_text") s.stdoutText = value;
    else if (name == L"log") s.logPath = value;
    else if (name == L"pid_file") s.pidFile = value;
    else if (name == L"wait_file") s.waitFile = value;
    else if (name == L"record_log") s.recordLog = value;
    else if (name == L"console_file") s.consoleFile = value;
    else if (name == L"output_text") s.outputText = value;
    else if (name == L"side_file") s.sideFiles.push_back(value);
    else if (name == L"unplayable") s.unplayable = value;
    else if (name == L"color") {
        unsigned long rgb = wcstoul(value.c_str(), nullptr, 16);
        s.color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
}

std::wstring Trimmed(const std::wstring& text)
{
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

void LoadScript(FakeScript& s)
{
    std::wstring path;
    wchar_t env[2048];
    DWORD n = GetEnvironmentVariableW(L"FAKETOOL_SCRIPT", env, 2048);
    if (n > 0 && n < 2048) {
        path = env;
    } else {
        path = ModulePath();
        size_t dot = path.find_last_of(L'.');
        if (dot != std::wstring::npos && dot > path.find_last_of(L'\\'))
            path.erase(dot);
        path += L".fake";
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return;
    std::wstring text = FromUtf8(bytes);
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find(L'\n', from);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = Trimmed(text.substr(from, end - from));
        from = end + 1;
        if (line.empty() || line[0] == L'#')
            continue;
        size_t blank = line.find_first_of(L" \t");
        std::wstring name = line.substr(0, blank);
        std::wstring value = blank == std::wstring::npos ? std::wstring() : Trimmed(line.substr(blank));
        ApplyOption(s, name, value);
    }
}

void ParseCommandLine(FakeScript& s, int argc, wchar_t** argv)
{
    bool useScript = true;
    for (int i = 1; i < argc; ++i)
        if (wcscmp(argv[i], L"-fake_noscript") == 0)
            useScript = false;
    if (useScript)
        LoadScript(s);
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == L"-callback_window" && hasValue) s.callbackWindow = _wcstoi64(argv[++i], nullptr, 10);
        else if (arg == L"-play_window" && hasValue) s.playWindow = _wcstoi64(argv[++i], nullptr, 10);
        else if (arg == L"-callback_context" && hasValue) s.callbackContext = _wcstoi64(argv[++i], nullptr, 10);
        else if (arg == L"-i" && hasValue) s.input = argv[++i];
        else if (arg.compare(0, 6, L"-fake_") == 0) {
            std::wstring name = arg.substr(6);
            if (IsFlagOption(name))
                ApplyOption(s, name, std::wstring());
            else if (hasValue)
                ApplyOption(s, name, argv[++i]);
        }
    }
}

// Only a process with a console can open its screen buffer.
bool HasConsole()
{
    COwnedHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    return screen.IsValid();
}

void LogCommandLine(const FakeScript& s, int argc, wchar_t** argv)
{
    std::wstring text = L"cmdline: ";
    text += GetCommandLineW();
    text += L"\n";
    for (int i = 1; i < argc; ++i) {
        text += L"arg: ";
        text += argv[i];
        text += L"\n";
    }
    AppendUtf8(s.logPath, text);
}

void StartHangingChild(const FakeScript& s)
{
    std::wstring exe = ModulePath();
    std::wstring command = L"\"" + exe + L"\" -fake_noscript -fake_hang";
    if (!s.pidFile.empty())
        command += L" -fake_pid_file \"" + s.pidFile + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> buf(command.begin(), command.end());
    buf.push_back(0);
    if (CreateProcessW(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                       &pi)) {
        COwnedHandle process(pi.hProcess), thread(pi.hThread);
    }
}

void PutI32(std::vector<BYTE>& rec, size_t at, int32_t v) { memcpy(&rec[at], &v, sizeof(v)); }
void PutI64(std::vector<BYTE>& rec, size_t at, int64_t v) { memcpy(&rec[at], &v, sizeof(v)); }
int32_t GetI32(const BYTE* rec, size_t at) { int32_t v; memcpy(&v, rec + at, sizeof(v)); return v; }

LRESULT SendRecord(HWND target, HWND from, ULONG_PTR kind, std::vector<BYTE>& rec)
{
    COPYDATASTRUCT cds = {kind, (DWORD)rec.size(), rec.data()};
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutW(target, WM_COPYDATA, (WPARAM)from, (LPARAM)&cds, SMTO_NORMAL, 10000, &reply))
        return 0;
    return (LRESULT)reply;
}

void LogReply(const FakeScript& s, int code, LRESULT reply)
{
    AppendUtf8(s.recordLog, L"reply " + std::to_wstring(code) + L" " + std::to_wstring((long long)reply) + L"\n");
}

// Encoder: started, a few progress records, ended; a reply of 1 to the start or a progress record
// stops it.
bool RunEncoderProtocol(const FakeScript& s)
{
    HWND target = (HWND)(INT_PTR)s.callbackWindow;
    const int64_t durationUs = 10000000;
    std::vector<BYTE> rec(kEncoderRecordSize, 0);
    PutI64(rec, 0, s.callbackContext);
    PutI64(rec, kEncoderBlockAt + 16, durationUs);
    PutI32(rec, 8, 21);
    LRESULT started = SendRecord(target, nullptr, kEncoderProgress, rec);
    LogReply(s, 21, started);
    bool stopped = started == 1 && !s.hang;
    for (int i = 1; i <= s.progressCount && !stopped; ++i) {
        Sleep(s.intervalMs);
        PutI32(rec, 8, 22);
        PutI64(rec, kEncoderBlockAt + 32, (int64_t)i * 1000);
        PutI64(rec, kEncoderBlockAt + 40, durationUs * i / (s.progressCount > 0 ? s.progressCount : 1));
        LRESULT reply = SendRecord(target, nullptr, kEncoderProgress, rec);
        LogReply(s, 22, reply);
        stopped = reply == 1 && !s.hang;
    }
    PutI32(rec, 8, 24);
    LogReply(s, 24, SendRecord(target, nullptr, kEncoderProgress, rec));
    return stopped;
}

// Playback: the state of the one session this process plays.
struct PlayerState {
    const FakeScript* script = nullptr;
    HWND playWindow = nullptr;
    HWND hidden = nullptr, child = nullptr, popup = nullptr, tool = nullptr;
    int64_t positionUs = 0;
    bool paused = false;
    bool stopped = false;
};
PlayerState g_player;

const UINT kDeferredStatus = WM_APP + 1;   // wParam: status code to send once the command returned
const UINT_PTR kTickTimer = 1;
const LONG_PTR kShownWindow = 1;

void SendStatus(int code, int32_t argument)
{
    std::vector<BYTE> rec(kStatusRecordSize, 0);
    PutI64(rec, 0, (int64_t)(uintptr_t)g_player.playWindow);
    PutI64(rec, 8, g_player.script->callbackContext);
    PutI64(rec, 16, (int64_t)(uintptr_t)g_player.tool);
    PutI32(rec, 24, 7);
    PutI32(rec, 28, 8);
    PutI32(rec, 32, code);
    PutI32(rec, 40, argument);
    PutI64(rec, kStatusBlockAt + 96, (int64_t)g_player.script->playMs * 1000);
    PutI32(rec, kStatusBlockAt + 220, 320);
    PutI32(rec, kStatusBlockAt + 224, 240);
    PutI32(rec, kStatusBlockAt + 228, 4);
    PutI32(rec, kStatusBlockAt + 232, 3);
    PutI64(rec, kStatusBlockAt + 544, g_player.positionUs);
    LogReply(*g_player.script, code, SendRecord(g_player.playWindow, g_player.tool, kPlayerStatus, rec));
}

void PlacePopup()
{
    RECT rc;
    if (!g_player.popup || !GetClientRect(g_player.playWindow, &rc))
        return;
    MapWindowPoints(g_player.playWindow, nullptr, (POINT*)&rc, 2);
    SetWindowPos(g_player.popup, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOACTIVATE);
}

void OnCommandRecord(const COPYDATASTRUCT* cds)
{
    const BYTE* rec = (const BYTE*)cds->lpData;
    int code = GetI32(rec, 32);
    int32_t a1 = GetI32(rec, 40), a2 = GetI32(rec, 44), a3 = GetI32(rec, 48), a4 = GetI32(rec, 52);
    std::string text((const char*)rec + 56, strnlen((const char*)rec + 56, 1023));
    std::wstring line = L"command " + std::to_wstring(code) + L" " + std::to_wstring(a1) + L" " +
                        std::to_wstring(a2) + L" " + std::to_wstring(a3) + L" " + std::to_wstring(a4);
    if (!text.empty())
        line += L" " + FromUtf8(text);
    AppendUtf8(g_player.script->recordLog, line + L"\n");
    if (code == 1) {
        g_player.paused = !g_player.paused;
        PostMessageW(g_player.hidden, kDeferredStatus, 23, g_player.paused ? 1 : 0);
    } else if (code == 2 && !g_player.script->hang) {
        g_player.stopped = true;
        PostMessageW(g_player.hidden, kDeferredStatus, 24, 0);
    } else if (code == 10) {
        int64_t position = (int64_t)(uint32_t)a1 | ((int64_t)a2 << 32);
        g_player.positionUs = ((int64_t)(uint32_t)a3 | ((int64_t)a4 << 32)) == 1 ? g_player.positionUs + position
                                                                                   : position;
    }
}

void OnTick()
{
    if (!IsWindow(g_player.playWindow)) {
        PostQuitMessage(0);
        return;
    }
    PlacePopup();
    if (g_player.paused)
        return;
    g_player.positionUs += (int64_t)g_player.script->intervalMs * 1000;
    SendStatus(22, 0);
    if (g_player.positionUs >= (int64_t)g_player.script->playMs * 1000 && !g_player.script->hang) {
        SendStatus(24, 0);
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK FakeWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lParam;
        if (cds->dwData != kPlayerCommand || cds->cbData != kCommandRecordSize || !cds->lpData)
            return 0;
        OnCommandRecord(cds);
        return 1;
    }
    case kDeferredStatus:
        SendStatus((int)wParam, (int32_t)lParam);
        if (wParam == 24)
            PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        if (wParam == kTickTimer)
            OnTick();
        return 0;
    case WM_NCCREATE:
        // Marks the windows shown over the play window; their first WM_SIZE comes before
        // CreateWindowExW has returned their handles.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTW*)lParam)->lpCreateParams);
        break;
    case WM_SIZE:
        if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) == kShownWindow)
            AppendUtf8(g_player.script->recordLog, L"size " + std::to_wstring(LOWORD(lParam)) + L" " +
                                                       std::to_wstring(HIWORD(lParam)) + L"\n");
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(g_player.script->color);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool IsUnplayableInput(const FakeScript& s)
{
    return !s.unplayable.empty() && s.input.find(s.unplayable) != std::wstring::npos;
}

bool RunPlayerProtocol(const FakeScript& s)
{
    g_player.script = &s;
    g_player.playWindow = (HWND)(INT_PTR)s.playWindow;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FakeWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"FakeToolWindow";
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    RegisterClassW(&wc);
    g_player.hidden = CreateWindowExW(0, wc.lpszClassName, L"faketool", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                      instance, nullptr);
    RECT rc = {0, 0, 0, 0};
    GetClientRect(g_player.playWindow, &rc);
    if (s.childWindow)
        g_player.child = CreateWindowExW(0, wc.lpszClassName, L"faketool child",
                                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, rc.right, rc.bottom,
                                         g_player.playWindow, nullptr, instance, (LPVOID)kShownWindow);
    if (s.popupWindow) {
        g_player.popup = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, wc.lpszClassName, L"faketool popup",
                                         WS_POPUP, 0, 0, 1, 1, g_player.playWindow, nullptr, instance,
                                         (LPVOID)kShownWindow);
        PlacePopup();
        ShowWindow(g_player.popup, SW_SHOWNOACTIVATE);
    }
    g_player.tool = g_player.child ? g_player.child : (g_player.popup ? g_player.popup : g_player.hidden);

    if (s.startDelayMs > 0)
        Sleep(s.startDelayMs);
    if (IsUnplayableInput(s)) {
        // As the playback tool does with a file it cannot open: the end is told, nothing plays.
        SendStatus(24, 2);
        return false;
    }
    SendStatus(20, 1);
    SendStatus(21, 0);
    SetTimer(g_player.hidden, kTickTimer, s.intervalMs > 0 ? s.intervalMs : 50, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(g_player.hidden, kTickTimer);
    return g_player.stopped;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    FakeScript s;
    ParseCommandLine(s, argc, argv);
    LogCommandLine(s, argc, argv);
    AppendUtf8(s.consoleFile, HasConsole() ? L"console\n" : L"no console\n");
    AppendUtf8(s.pidFile, std::to_wstring(GetCurrentProcessId()) + L"\n");
    if (s.startChild)
        StartHangingChild(s);
    while (!s.waitFile.empty() && GetFileAttributesW(s.waitFile.c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    for (int i = 2; i < argc && (!s.outputText.empty() || !s.sideFiles.empty()); ++i)
        if (wcscmp(argv[i], L"-y") == 0) {
            const std::wstring path = argv[i - 1];
            const size_t slash = path.find_last_of(L"/\\");
            const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
            for (const std::wstring& side : s.sideFiles) {
                const size_t bar = side.find(L'|');
                WriteText(folder + side.substr(0, bar), bar == std::wstring::npos ? std::wstring() : side.substr(bar + 1));
            }
            if (!s.outputText.empty())
                WriteText(path, s.outputText);
            break;
        }

    std::string bytes;
    if (!s.stdoutFile.empty() && ReadWholeFile(s.stdoutFile, bytes))
        WriteStdout(bytes);
    WriteStdout(ToUtf8(s.stdoutText));

    bool stopped = false;
    if (s.callbackWindow)
        stopped = RunEncoderProtocol(s);
    if (s.playWindow) {
        stopped = RunPlayerProtocol(s) || stopped;
        if (IsUnplayableInput(s))
            return 1;
    }
    if (s.delayMs > 0)
        Sleep(s.delayMs);
    while (s.hang)
        Sleep(INFINITE);
    return stopped ? s.stopExitCode : s.exitCode;
}
