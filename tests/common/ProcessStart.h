// Starting a process for a test: under a heavily loaded Wine, CreateProcessW fails now and then
// for reasons of Wine's own. Tests that check what a program does, not that it can be started,
// start it through this and so try again a few times.
#pragma once

#include <windows.h>

inline BOOL CreateProcessForTest(LPCWSTR application, LPWSTR commandLine, BOOL inheritHandles, DWORD flags,
                                 LPCWSTR folder, STARTUPINFOW* startup, PROCESS_INFORMATION* info)
{
    const int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(application, commandLine, nullptr, nullptr, inheritHandles, flags, nullptr, folder, startup,
                           info))
            return TRUE;
        DWORD error = GetLastError();
        // A program that is not there, or not a program, does not come with another try.
        if (attempt == kAttempts || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_BAD_EXE_FORMAT) {
            SetLastError(error);
            return FALSE;
        }
        Sleep(250 * attempt);
    }
}
