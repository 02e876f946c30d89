// Probe benchmark: 50 generated clips probed through CMediaInfoRecord::Probe and through the probe
// tool run directly, in the same run; prints both times and their ratio (goal: within 1.1x).
//
// probe_bench [bin folder with Quisset.exe] [folder with ffmpeg.exe and ffprobe.exe] [scratch folder]
// Missing arguments come from TEST_BIN_DIR, TEST_FFMPEG_DIR and TEST_TEMP_DIR.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/BenchSupport.h"
#include "engine/EngineHost.h"
#include "engine/MediaInfo.h"
#include "framework/Handles.h"

namespace {

const int kClips = 50;

class CBenchHost : public CEngineHost {
public:
    CString GetProbeToolPath() override { return ProbeTool; }
    CString GetEncoderToolPath() override { return CString(); }
    CString GetPlayerToolPath() override { return CString(); }
    CString MakeTempFilePath() override { return CString(); }
    int GetThumbnailTimeMs() override { return 0; }
    int GetThumbnailWidth() override { return 160; }
    int GetThumbnailHeight() override { return 120; }
    CString ProbeTool;
};

CString Folder(int argc, wchar_t** argv, int index, const wchar_t* env)
{
    CString s;
    if (index < argc) {
        s = argv[index];
    } else {
        wchar_t buf[2048];
        DWORD n = GetEnvironmentVariableW(env, buf, 2048);
        if (n > 0 && n < 2048)
            s = buf;
    }
    s.TrimRight(L'\\');
    return s;
}

// Runs a command line with standard output sent to 'output' (or discarded) and waits for it.
int RunWithOutput(const CString& commandLine, const CString& output)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    CHandle out(CreateFileW(output.IsEmpty() ? L"NUL" : output.GetString(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.IsValid())
        return -1;
    STARTUPINFOW si = {};
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    return RunAndWait(commandLine, si, TRUE);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    CString bin = Folder(argc, argv, 1, L"TEST_BIN_DIR");
    CString ff = Folder(argc, argv, 2, L"TEST_FFMPEG_DIR");
    CString temp = Folder(argc, argv, 3, L"TEST_TEMP_DIR");
    if (bin.IsEmpty() || ff.IsEmpty() || temp.IsEmpty()) {
        fwprintf(stderr, L"usage: probe_bench <bin folder> <ffmpeg folder> <scratch folder>\n");
        return 2;
    }

    CString modules = temp + L"\\bench modules";
    CreateDirectoryW(modules, nullptr);
    CreateDirectoryW(modules + L"\\ffmpeg", nullptr);
    if (!CopyFileW(bin + L"\\Quisset.exe", modules + L"\\Quisset.exe", FALSE) ||
        !CopyFileW(ff + L"\\ffprobe.exe", modules + L"\\ffmpeg\\ffprobe.exe", FALSE)) {
        fwprintf(stderr, L"cannot lay out %ls\n", modules.GetString());
        return 1;
    }
    CBenchHost host;
    host.ProbeTool = modules + L"\\Quisset.exe";
    SetEngineHost(&host);

    CString clips = temp + L"\\bench clips";
    CreateDirectoryW(clips, nullptr);
    std::vector<CString> paths;
    for (int i = 0; i < kClips; ++i) {
        CString path, command;
        path.Format(L"%s\\clip %02d.mp4", clips.GetString(), i);
        command.Format(L"\"%s\\ffmpeg.exe\" -v error -y -f lavfi -i testsrc=duration=1:size=%dx%d:rate=25"
                       L" -f lavfi -i sine=frequency=%d:duration=1 -c:v libx264 -preset ultrafast"
                       L" -pix_fmt yuv420p -c:a aac -shortest \"%s\"",
                       ff.GetString(), 160 + 16 * (i % 5), 120 + 8 * (i % 3), 220 + 10 * i, path.GetString());
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && RunWithOutput(command, CString()) != 0) {
            fwprintf(stderr, L"ffmpeg failed on clip %d\n", i);
            return 1;
        }
        paths.push_back(path);
    }

    // One warm-up of each path, so neither pays for the first load of ffprobe alone.
    CMediaInfoRecord warm;
    warm.Probe(paths[0], nullptr);
    CString direct = temp + L"\\bench direct.json";
    CString directArgs;
    directArgs.Format(L"\"%s\" \"%s\" -loglevel quiet -show_format -show_streams -print_format json",
                      host.ProbeTool.GetString(), paths[0].GetString());
    RunWithOutput(directArgs, direct);

    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    double engineSeconds = 0, toolSeconds = 0, cmdSeconds = 0;
    int failures = 0;
    // Interleaved, so that drift in the machine's load falls on both sides alike.
    for (const CString& path : paths) {
        CMediaInfoRecord record;
        QueryPerformanceCounter(&t0);
        if (record.Probe(path, nullptr) != 0 || record.GetStreamCount() != 2)
            ++failures;
        QueryPerformanceCounter(&t1);
        engineSeconds += Seconds(t0, t1, frequency);

        CString command;
        command.Format(L"\"%s\" \"%s\" -loglevel quiet -show_format -show_streams -print_format json",
                       host.ProbeTool.GetString(), path.GetString());
        QueryPerformanceCounter(&t0);
        if (RunWithOutput(command, direct) != 0)
            ++failures;
        QueryPerformanceCounter(&t1);
        toolSeconds += Seconds(t0, t1, frequency);

        // The same through the command interpreter, as tool runs were once made: what the runner
        // saves by starting the tool itself.
        CString wrapped;
        wrapped.Format(L"CMD /C \"%s >\"%s\"\"", command.GetString(), direct.GetString());
        QueryPerformanceCounter(&t0);
        if (RunWithOutput(wrapped, CString()) != 0)
            ++failures;
        QueryPerformanceCounter(&t1);
        cmdSeconds += Seconds(t0, t1, frequency);
    }
    DeleteFileW(direct);
    SetEngineHost(nullptr);

    wprintf(L"clips: %d, failures: %d\n", kClips, failures);
    wprintf(L"CMediaInfoRecord::Probe: %.3f s (%.1f ms a clip)\n", engineSeconds, engineSeconds * 1000 / kClips);
    wprintf(L"probe tool directly:     %.3f s (%.1f ms a clip)\n", toolSeconds, toolSeconds * 1000 / kClips);
    wprintf(L"tool through CMD /C:     %.3f s (%.1f ms a clip)\n", cmdSeconds, cmdSeconds * 1000 / kClips);
    wprintf(L"ratio: %.3f (goal: at most 1.1)\n", toolSeconds > 0 ? engineSeconds / toolSeconds : 0.0);
    wprintf(L"ratio to the tool through CMD /C: %.3f\n", cmdSeconds > 0 ? engineSeconds / cmdSeconds : 0.0);
    return failures == 0 ? 0 : 1;
}
