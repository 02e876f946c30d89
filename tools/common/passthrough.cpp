// Shared start-up helpers of the stand-in tools.
#include "tools/common/passthrough.h"

#include <cstdio>
#include <vector>

namespace tooldetail {

std::wstring ModuleFolder()
{
    std::vector<wchar_t> buf(32768);
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    std::wstring path(buf.data(), n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

static bool FileExists(const std::wstring& path)
{
    DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FindBeside(const wchar_t* name)
{
    std::wstring folder = ModuleFolder();
    for (const wchar_t* sub : {L"", L"ffmpeg\\"}) {
        std::wstring candidate = folder + sub + name;
        if (FileExists(candidate))
            return candidate;
    }
    return std::wstring();
}

std::wstring RawArguments()
{
    const wchar_t* p = GetCommandLineW();
    // The program name follows the rules of the C runtime: quoted up to the next quote, otherwise
    // up to the first blank or tab.
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

std::wstring QuoteArgument(const std::wstring& arg, const wchar_t* quoteFor)
{
    if (!arg.empty() && arg.find_first_of(quoteFor) == std::wstring::npos)
        return arg;
    // Backslashes count only before a quote: there they are doubled, and the quote escaped.
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

DWORD ChildConsoleFlags()
{
    return GetConsoleCP() != 0 ? 0 : DETACHED_PROCESS;
}

namespace {

const int kStartAttempts = 5;
const DWORD kStartRetryMs = 200;

// Errors that say the program can never start as asked; anything else may pass.
bool IsRefusedForGood(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_PARAMETER:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool StartWrapped(const wchar_t* tool, const std::wstring& program, const std::wstring& commandLine, DWORD flags,
                  STARTUPINFOW& startup, PROCESS_INFORMATION& process)
{
    for (int attempt = 1;; ++attempt) {
        // The system may write into the line it is given: every try gets it afresh.
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(0);
        if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                           &process))
            return true;
        const DWORD error = GetLastError();
        if (attempt >= kStartAttempts || IsRefusedForGood(error)) {
            SetLastError(error);
            return false;
        }
        fwprintf(stderr, L"%ls: %ls did not start (error %lu); trying again\n", tool, program.c_str(), error);
        fflush(stderr);
        Sleep(kStartRetryMs * attempt);
    }
}

int RunInherited(const wchar_t* tool, const std::wstring& program, const std::wstring& args)
{
    std::wstring cmd = L"\"" + program + L"\"";
    if (!args.empty())
        cmd += L" " + args;

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    if (!StartWrapped(tool, program, cmd, ChildConsoleFlags(), si, pi))
        return -1;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    if (!GetExitCodeProcess(pi.hProcess, &code))
        code = 1;
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace tooldetail
