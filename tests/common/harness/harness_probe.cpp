// A test program that misbehaves on request, for the tests of the harness that runs the test
// programs (harness_test.sh): HARNESS_PROBE names what this run does.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {

const char* Mode()
{
    const char* mode = getenv("HARNESS_PROBE");
    return mode ? mode : "pass";
}

bool IsMode(const char* mode)
{
    return strcmp(Mode(), mode) == 0;
}

// Starts this program again with no test to run and waits for it, as the screen tests do.
void RunChildOfItself()
{
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t command[MAX_PATH + 40];
    _snwprintf(command, MAX_PATH + 40, L"\"%s\" --gtest_filter=-*", self);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    ::WaitForSingleObject(pi.hProcess, 60000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
}

}  // namespace

TEST(HarnessProbe, Passes)
{
    EXPECT_EQ(2, 1 + 1);
}

TEST(HarnessProbe, DoesWhatItIsAsked)
{
    if (IsMode("skip"))
        GTEST_SKIP() << "asked to skip";
    if (IsMode("fail"))
        FAIL() << "asked to fail";
    if (IsMode("child-then-crash")) {
        RunChildOfItself();
        // Ended from inside with the code of a success, as a crash under Wine can end.
        fflush(stdout);
        ::TerminateProcess(::GetCurrentProcess(), 0);
    }
    if (IsMode("child"))
        RunChildOfItself();
}
