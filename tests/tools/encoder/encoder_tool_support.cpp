// Set-up and helpers of the encoder tool tests.
#include "tools/encoder/encoder_tool_support.h"

#include "tools/common/handle.h"
#include "tests/common/ProcessStart.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace enctest {

using tooldetail::UniqueHandle;

namespace {

std::wstring EnvVar(const wchar_t* name)
{
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n == 0 || n >= 4096 ? std::wstring() : std::wstring(buf, n);
}

std::wstring WithSlash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    return path;
}

std::string Narrow(const std::wstring& s)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

// The big ffmpeg build is copied only when the scratch copy is missing or differs in size.
bool CopyIfChanged(const std::wstring& from, const std::wstring& to)
{
    WIN32_FILE_ATTRIBUTE_DATA a, b;
    if (!GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &a))
        return false;
    if (GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &b) && a.nFileSizeLow == b.nFileSizeLow &&
        a.nFileSizeHigh == b.nFileSizeHigh && CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0)
        return true;
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

Environment MakeEnvironment()
{
    Environment env;
    std::wstring bin = WithSlash(EnvVar(L"TEST_BIN_DIR"));
    std::wstring ffmpegDir = WithSlash(EnvVar(L"TEST_FFMPEG_DIR"));
    std::wstring temp = WithSlash(EnvVar(L"TEST_TEMP_DIR"));
    if (bin.size() < 2 || ffmpegDir.size() < 2 || temp.size() < 2) {
        env.problem = "TEST_BIN_DIR, TEST_FFMPEG_DIR and TEST_TEMP_DIR must be set";
        return env;
    }
    std::wstring root = temp + L"encoder\\";
    env.modules = root + L"Modules\\";
    env.scratch = root + L"out\\";
    env.ffmpeg = ffmpegDir + L"ffmpeg.exe";
    for (const std::wstring& dir : {root, env.modules, env.modules + L"Presets\\", env.scratch})
        CreateDirectoryW(dir.c_str(), nullptr);
    if (!CopyFileW((bin + L"Velkor.exe").c_str(), (env.modules + L"Velkor.exe").c_str(), FALSE)) {
        env.problem = "cannot copy Velkor.exe from " + Narrow(bin);
        return env;
    }
    if (!CopyIfChanged(env.ffmpeg, env.modules + L"ffmpeg.exe")) {
        env.problem = "cannot copy ffmpeg.exe from " + Narrow(ffmpegDir);
        return env;
    }
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((bin + L"Presets\\*.ffpreset").c_str(), &fd);
    int presets = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            CopyFileW((bin + L"Presets\\" + fd.cFileName).c_str(),
                      (env.modules + L"Presets\\" + fd.cFileName).c_str(), FALSE);
            ++presets;
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    if (presets == 0) {
        env.problem = "no preset files beside the built tool in " + Narrow(bin) + "Presets";
        return env;
    }

    env.clip = root + L"clip.mp4";
    env.threeStreams = root + L"three.mkv";
    std::string log;
    if (!Exists(env.clip) &&
        RunFfmpeg(L"-v error -y -f lavfi -i testsrc=duration=3:size=160x120:rate=25 -f lavfi -i "
                  L"sine=frequency=440:duration=3 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest " +
                      Quote(env.clip),
                  &log) != 0) {
        env.problem = "cannot make the clip: " + log;
        return env;
    }
    if (!Exists(env.threeStreams) &&
        RunFfmpeg(L"-v error -y -f lavfi -i testsrc=duration=2:size=160x120:rate=25 -f lavfi -i "
                  L"sine=frequency=440:duration=2 -f lavfi -i sine=frequency=880:duration=2 -map 0 -map 1 "
                  L"-map 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -ac:a:0 1 -ac:a:1 2 " +
                      Quote(env.threeStreams),
                  &log) != 0) {
        env.problem = "cannot make the three-stream clip: " + log;
        return env;
    }
    env.ok = true;
    return env;
}

// The window that receives the records.
struct Receiver {
    std::vector<Record> records;
    size_t malformed = 0;
    ReplyPolicy reply;
};

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        auto* receiver = reinterpret_cast<Receiver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (!receiver)
            return 0;
        if (cds->dwData != 1010 || cds->cbData != 1112 || !cds->lpData) {
            ++receiver->malformed;
            return 0;
        }
        const auto* p = static_cast<const uint8_t*>(cds->lpData);
        Record r;
        memcpy(&r.context, p + 0, 8);
        memcpy(&r.code, p + 8, 4);
        memcpy(&r.totalUs, p + 1056 + 16, 8);
        memcpy(&r.bytes, p + 1056 + 32, 8);
        memcpy(&r.positionUs, p + 1056 + 40, 8);
        receiver->records.push_back(r);
        return receiver->reply ? receiver->reply(r) : 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND MakeReceiverWindow(Receiver* receiver)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EncoderToolTestReceiver";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"EncoderToolTestReceiver", L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(receiver));
    return hwnd;
}

// A program with its output going into a pipe that is read as far as it holds data: a blocking
// read would also wait for the processes the program leaves behind (Wine's desktop process,
// started by the first program that touches the display, keeps the handles it was given).
class CapturedRun {
public:
    bool Start(const std::wstring& program, const std::wstring& args)
    {
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        UniqueHandle writeEnd;
        if (!CreatePipe(m_read.Receive(), writeEnd.Receive(), &sa, 65536))
            return false;
        SetHandleInformation(m_read.Get(), HANDLE_FLAG_INHERIT, 0);
        UniqueHandle nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                     OPEN_EXISTING, 0, nullptr));
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nul.Get();
        si.hStdOutput = writeEnd.Get();
        si.hStdError = writeEnd.Get();
        std::wstring cmd = Quote(program) + L" " + args;
        std::vector<wchar_t> line(cmd.begin(), cmd.end());
        line.push_back(0);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessForTest(program.c_str(), line.data(), TRUE, 0, nullptr, &si, &pi))
            return false;
        m_process.Reset(pi.hProcess);
        CloseHandle(pi.hThread);
        return true;
    }

    HANDLE Process() const { return m_process.Get(); }

    void Drain()
    {
        char buf[4096];
        DWORD available = 0, got = 0;
        while (PeekNamedPipe(m_read.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(m_read.Get(), buf, available < sizeof(buf) ? available : sizeof(buf), &got, nullptr) &&
               got > 0)
            m_output.append(buf, got);
    }

    // Ends the program when it is still running after limitMs; true when it ended by itself.
    bool Wait(DWORD limitMs)
    {
        DWORD start = GetTickCount();
        bool ended = false;
        while (!ended && GetTickCount() - start < limitMs) {
            ended = WaitForSingleObject(m_process.Get(), 50) == WAIT_OBJECT_0;
            Drain();
        }
        if (!ended) {
            TerminateProcess(m_process.Get(), 99);
            WaitForSingleObject(m_process.Get(), INFINITE);
        }
        Drain();
        return ended;
    }

    DWORD ExitCode() const
    {
        DWORD code = 1;
        GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

    const std::string& Output() const { return m_output; }

private:
    UniqueHandle m_process, m_read;
    std::string m_output;
};

}  // namespace

const Environment& Env()
{
    static const Environment env = MakeEnvironment();
    return env;
}

RunResult RunTool(const std::wstring& args, const RunOptions& options)
{
    RunResult result;
    Receiver receiver;
    receiver.reply = options.reply;
    HWND window = nullptr;
    std::wstring full = args;
    if (options.window) {
        window = MakeReceiverWindow(&receiver);
        wchar_t buf[100];
        swprintf(buf, 100, L" -callback_window %lld -callback_context %lld",
                 static_cast<long long>(reinterpret_cast<intptr_t>(window)),
                 static_cast<long long>(options.context));
        full += buf;
    }
    std::wstring tool = options.tool.empty() ? Env().modules + L"Velkor.exe" : options.tool;
    CapturedRun run;
    DWORD start = GetTickCount();
    if (!run.Start(tool, full)) {
        result.output = "cannot start the tool";
        if (window)
            DestroyWindow(window);
        return result;
    }
    // The records come as sent messages: they are delivered while this thread waits here.
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= options.limitMs)
            break;
        HANDLE h = run.Process();
        DWORD w = MsgWaitForMultipleObjects(1, &h, FALSE, 50, QS_ALLINPUT);
        const size_t before = run.Output().size();
        run.Drain();
        if (options.watch && run.Output().size() != before)
            options.watch(run.Output());
        if (w == WAIT_OBJECT_0) {
            result.finished = true;
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    run.Wait(0);
    result.exitCode = run.ExitCode();
    result.output = run.Output();
    result.elapsedMs = GetTickCount() - start;
    if (window) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        DestroyWindow(window);
    }
    result.records = receiver.records;
    result.malformed = receiver.malformed;
    return result;
}

int RunFfmpeg(const std::wstring& args, std::string* output)
{
    // Not through Env(): the set-up itself makes its clips with this.
    CapturedRun run;
    if (!run.Start(WithSlash(EnvVar(L"TEST_FFMPEG_DIR")) + L"ffmpeg.exe", L"-nostdin " + args))
        return -1;
    run.Wait(60000);
    if (output)
        *output = run.Output();
    return static_cast<int>(run.ExitCode());
}

std::wstring Quote(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::wstring Scratch(const std::wstring& name)
{
    std::wstring path = Env().scratch + name;
    DeleteFileW(path.c_str());
    return path;
}

std::vector<uint8_t> ReadAll(const std::wstring& path)
{
    std::vector<uint8_t> data;
    UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h.IsValid())
        return data;
    uint8_t buf[65536];
    DWORD got = 0;
    while (ReadFile(h.Get(), buf, sizeof(buf), &got, nullptr) && got > 0)
        data.insert(data.end(), buf, buf + got);
    return data;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::wstring& path, const std::string& text)
{
    UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (h.IsValid())
        WriteFile(h.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool ReadJpegFrame(const std::vector<uint8_t>& d, JpegFrame& frame)
{
    if (d.size() < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return false;
    size_t i = 2;
    while (i + 4 <= d.size()) {
        if (d[i] != 0xFF)
            return false;
        int marker = d[i + 1];
        size_t length = (d[i + 2] << 8) | d[i + 3];
        bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrame && i + 9 <= d.size()) {
            frame.marker = marker;
            frame.height = (d[i + 5] << 8) | d[i + 6];
            frame.width = (d[i + 7] << 8) | d[i + 8];
            return true;
        }
        if (marker == 0xDA)
            return false;
        i += 2 + length;
    }
    return false;
}

bool ReadGifSize(const std::vector<uint8_t>& d, int& width, int& height)
{
    if (d.size() < 10 || memcmp(d.data(), "GIF8", 4) != 0)
        return false;
    width = d[6] | (d[7] << 8);
    height = d[8] | (d[9] << 8);
    return true;
}

int WavPeak(const std::vector<uint8_t>& d)
{
    if (d.size() < 12 || memcmp(d.data(), "RIFF", 4) != 0 || memcmp(d.data() + 8, "WAVE", 4) != 0)
        return -1;
    size_t i = 12;
    int bits = 0;
    while (i + 8 <= d.size()) {
        uint32_t size = d[i + 4] | (d[i + 5] << 8) | (d[i + 6] << 16) | (static_cast<uint32_t>(d[i + 7]) << 24);
        if (memcmp(d.data() + i, "fmt ", 4) == 0 && i + 8 + 16 <= d.size())
            bits = d[i + 8 + 14] | (d[i + 8 + 15] << 8);
        if (memcmp(d.data() + i, "data", 4) == 0) {
            if (bits != 16)
                return -1;
            int peak = 0;
            size_t end = i + 8 + size < d.size() ? i + 8 + size : d.size();
            for (size_t s = i + 8; s + 1 < end; s += 2) {
                int v = static_cast<int16_t>(d[s] | (d[s + 1] << 8));
                peak = v < 0 ? (-v > peak ? -v : peak) : (v > peak ? v : peak);
            }
            return peak;
        }
        i += 8 + size + (size & 1);
    }
    return -1;
}

std::vector<StreamInfo> DescribeStreams(const std::wstring& path, int64_t* durationUs)
{
    std::string log;
    RunFfmpeg(L"-hide_banner -i " + Quote(path), &log);
    std::vector<StreamInfo> streams;
    size_t pos = 0;
    if (durationUs)
        *durationUs = -1;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        std::string line = log.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? log.size() : end + 1;
        int h, m, s, cs;
        size_t d = line.find("Duration: ");
        if (durationUs && d != std::string::npos && sscanf(line.c_str() + d, "Duration: %d:%d:%d.%d", &h, &m, &s, &cs) == 4)
            *durationUs = ((h * 60LL + m) * 60 + s) * 1000000 + cs * 10000LL;
        if (line.find("Stream #0:") == std::string::npos)
            continue;
        StreamInfo info;
        info.line = line;
        if (line.find(": Video: ") != std::string::npos)
            info.kind = 'v';
        else if (line.find(": Audio: ") != std::string::npos)
            info.kind = 'a';
        else if (line.find(": Subtitle: ") != std::string::npos)
            info.kind = 's';
        streams.push_back(info);
    }
    return streams;
}

}  // namespace enctest
