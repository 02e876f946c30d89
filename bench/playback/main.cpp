// Playback benchmark: a 10-second 1280x720 30 fps clip played by Drumlin.exe into a 640x360
// window; prints the frames shown per second against the clip's rate and the tool's CPU time.
// Usage: bench_playback [ffmpeg folder]   (run under Wine with a display)
#include "bench/common/BenchSupport.h"
#include "tools/playback/records.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sample {
    double at;  // seconds of the bench's counter
    int shown, dropped;
};

std::vector<Sample> g_progress;
bool g_ended = false;
int g_endShown = 0, g_endDropped = 0, g_endCpuMs = 0;
int64_t g_endPosition = 0;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (cds->dwData == drumlin::kStatusRecordId && cds->cbData == sizeof(drumlin::StatusRecord)) {
            auto* r = static_cast<const drumlin::StatusRecord*>(cds->lpData);
            if (r->header.code == drumlin::kStatusProgress)
                g_progress.push_back({Now(), r->block.framesShown, r->block.framesDropped});
            if (r->header.code == drumlin::kStatusEnded) {
                g_ended = true;
                g_endShown = r->block.framesShown;
                g_endDropped = r->block.framesDropped;
                g_endPosition = r->block.positionInUs;
                g_endCpuMs = r->block.cpuMs;
            }
            return 1;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int RunHidden(const std::wstring& command)
{
    STARTUPINFOW si = {};
    return RunAndWait(command.c_str(), si, FALSE);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring ffmpegDir = argc > 1 ? argv[1] : BENCH_FFMPEG_DIR;
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring binDir = exe;
    binDir.resize(binDir.find_last_of(L"\\/") + 1);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring work = std::wstring(temp) + L"drumlin-bench\\";
    std::wstring modules = work + L"Modules\\";
    CreateDirectoryW(work.c_str(), nullptr);
    CreateDirectoryW(modules.c_str(), nullptr);
    for (const wchar_t* name : {L"ffmpeg.exe", L"ffprobe.exe"}) {
        if (GetFileAttributesW((modules + name).c_str()) == INVALID_FILE_ATTRIBUTES &&
            !CopyFileW((ffmpegDir + L"\\" + name).c_str(), (modules + name).c_str(), FALSE)) {
            fwprintf(stderr, L"cannot copy %ls from %ls\n", name, ffmpegDir.c_str());
            return 1;
        }
    }
    if (!CopyFileW((binDir + L"Drumlin.exe").c_str(), (modules + L"Drumlin.exe").c_str(), FALSE)) {
        fwprintf(stderr, L"cannot copy Drumlin.exe from %ls\n", binDir.c_str());
        return 1;
    }
    std::wstring clip = work + L"bench-720p30.mp4";
    if (GetFileAttributesW(clip.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::wstring make = L"\"" + modules + L"ffmpeg.exe\" -nostdin -loglevel error -y "
                            L"-f lavfi -i testsrc2=duration=10:size=1280x720:rate=30 "
                            L"-f lavfi -i sine=frequency=440:duration=10 "
                            L"-c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest \"" + clip + L"\"";
        if (RunHidden(make) != 0) {
            fwprintf(stderr, L"cannot make the clip\n");
            return 1;
        }
    }

    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"DrumlinBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 640,
                                360, nullptr, nullptr, wc.hInstance, nullptr);

    // The arguments the player writes by default.
    std::wstring command = L"\"" + modules + L"Drumlin.exe\" -autoexit -infbuf -framedrop -video_driver windows "
                           L"-audio_driver winmm -i \"" + clip + L"\" -wave_effect 0 -play_window " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(host)) + L" -callback_context 1";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        fwprintf(stderr, L"cannot start Drumlin.exe\n");
        return 1;
    }
    CloseHandle(pi.hThread);
    double started = Now();
    while (Now() - started < 60) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
    }
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    DestroyWindow(host);

    // The rate is measured between progress reports, both stamped here, from the first one that
    // follows a shown frame to the last one.
    const Sample* first = nullptr;
    for (const Sample& s : g_progress)
        if (s.shown > 0) {
            first = &s;
            break;
        }
    if (!g_ended || !first || &g_progress.back() == first) {
        fwprintf(stderr, L"playback did not run to its end (%u progress reports)\n",
                 static_cast<unsigned>(g_progress.size()));
        return 1;
    }
    const Sample& last = g_progress.back();
    double rate = (last.shown - first->shown) / (last.at - first->at);
    wprintf(L"frames shown %d of 300, dropped %d, end position %.3f s\n", g_endShown, g_endDropped,
            g_endPosition / 1e6);
    // The tool's own account of its processor time: Wine's GetProcessTimes on another process
    // counts only part of its threads.
    wprintf(L"shown %.2f fps against 30.00 fps: %.3f; tool CPU %.2f s for %.1f s played (%.0f%% of one core)\n",
            rate, rate / 30.0, g_endCpuMs / 1000.0, g_endPosition / 1e6, g_endCpuMs / 10.0 / (g_endPosition / 1e6));
    return 0;
}
