// What the benchmarks share: their clock, and running a command line to its end; header only,
// since some benchmarks link no project library.
#pragma once

#include <windows.h>

#include <cwchar>
#include <vector>

// Seconds on the performance counter.
inline double Now()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

// Starts 'commandLine' without a console window, with 'startup' and 'inheritHandles' as given,
// and waits for it: its exit code, or -1 when it could not be started.
inline int RunAndWait(const wchar_t* commandLine, STARTUPINFOW& startup, BOOL inheritHandles)
{
    std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inheritHandles, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &pi))
        return -1;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return (int)code;
}
