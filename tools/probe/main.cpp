// Quisset.exe: the probe tool. Hands its arguments to the ffprobe build that lies beside it and
// relays its output and exit code; without arguments it only warms up and ends at once.
#include "tools/common/passthrough.h"

#include <cstdio>

int wmain()
{
    std::wstring args = tooldetail::RawArguments();
    if (args.empty())
        return 0;

    std::wstring probe = tooldetail::FindBeside(L"ffprobe.exe");
    if (probe.empty()) {
        fwprintf(stderr, L"Quisset: ffprobe.exe was not found in %ls or its ffmpeg folder\n",
                 tooldetail::ModuleFolder().c_str());
        return 2;
    }
    int code = tooldetail::RunInherited(L"Quisset", probe, args);
    if (code == -1) {
        fwprintf(stderr, L"Quisset: cannot start %ls (error %lu)\n", probe.c_str(), GetLastError());
        return 2;
    }
    return code;
}
