// Starting the ffmpeg children with a pipe on their standard output.
#include "tools/playback/child.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "tools/common/passthrough.h"

namespace drumlin {

namespace {

// Inheritable pipe ends must not leak into a child started at the same moment by another thread:
// such a child would hold the pipe open and its reader would never see the end.
std::mutex g_startLock;
std::atomic<unsigned> g_pipeNumber{0};

}  // namespace

ChildJob::ChildJob() : job_(CreateJobObjectW(nullptr, nullptr))
{
    if (!job_)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &info, sizeof(info));
}

PipedChild::~PipedChild()
{
    Kill();
}

bool PipedChild::Start(const std::wstring& program, const std::wstring& args, HANDLE job, DWORD pipeSize)
{
    std::lock_guard<std::mutex> lock(g_startLock);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    // A named pipe, because anonymous pipes cannot be read overlapped, and only an overlapped
    // read can be given up when the child is killed.
    std::wstring name = L"\\\\.\\pipe\\drumlin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++g_pipeNumber);
    UniqueHandle reader(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                         FILE_FLAG_FIRST_PIPE_INSTANCE, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, pipeSize,
                                         0, nullptr));
    if (!reader)
        return false;
    UniqueHandle writer(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &sa, OPEN_EXISTING, 0, nullptr));
    if (!writer)
        return false;
    readDone_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    killed_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!readDone_ || !killed_)
        return false;
    UniqueHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                   OPEN_EXISTING, 0, nullptr));
    // Our own error output, made inheritable, so that ffmpeg's messages reach whoever reads ours.
    UniqueHandle errors;
    HANDLE ourErrors = GetStdHandle(STD_ERROR_HANDLE);
    if (ourErrors && ourErrors != INVALID_HANDLE_VALUE) {
        HANDLE dup = nullptr;
        if (DuplicateHandle(GetCurrentProcess(), ourErrors, GetCurrentProcess(), &dup, 0, TRUE,
                            DUPLICATE_SAME_ACCESS))
            errors.Reset(dup);
    }

    std::wstring cmd = QuoteArgument(program) + L" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = input.Get();
    si.hStdOutput = writer.Get();
    si.hStdError = errors.Get();
    PROCESS_INFORMATION pi = {};
    if (!tooldetail::StartWrapped(L"Drumlin", program, cmd, CREATE_SUSPENDED | tooldetail::ChildConsoleFlags(), si, pi))
        return false;
    UniqueHandle thread(pi.hThread);
    process_.Reset(pi.hProcess);
    // Inside another job (the player's runner may use one) nesting can fail on older systems;
    // the tool then still ends its children itself on every way out.
    if (job)
        AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(thread.Get());
    output_ = std::move(reader);
    return true;
}

size_t PipedChild::ReadFull(void* buffer, size_t size)
{
    if (!output_)
        return 0;
    char* p = static_cast<char*>(buffer);
    size_t done = 0;
    bool exited = false;
    while (done < size) {
        DWORD want = static_cast<DWORD>(size - done > (1u << 20) ? (1u << 20) : size - done);
        OVERLAPPED ov = {};
        ov.hEvent = readDone_.Get();
        ResetEvent(ov.hEvent);
        DWORD got = 0;
        if (!ReadFile(output_.Get(), p + done, want, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING)
            break;
        HANDLE waits[3] = {ov.hEvent, killed_.Get(), process_.Get()};
        DWORD r = exited ? WAIT_OBJECT_0 + 2 : WaitForMultipleObjects(3, waits, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0 + 2) {
            // Exited: what it wrote is already in the pipe, so a read that still waits a moment
            // later waits for nothing.
            exited = true;
            r = WaitForMultipleObjects(2, waits, FALSE, 100);
        }
        if (r != WAIT_OBJECT_0) {
            CancelIo(output_.Get());
            if (GetOverlappedResult(output_.Get(), &ov, &got, TRUE) && got > 0) {
                done += got;
                if (r == WAIT_TIMEOUT)
                    continue;
            }
            break;
        }
        if (!GetOverlappedResult(output_.Get(), &ov, &got, FALSE) || got == 0)
            break;
        done += got;
    }
    return done;
}

void PipedChild::Kill()
{
    if (killed_)
        SetEvent(killed_.Get());
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.Get(), 1);
}

std::wstring QuoteArgument(const std::wstring& arg)
{
    // Besides blanks and quotes, the command interpreter's special characters.
    return tooldetail::QuoteArgument(arg, L" \t\"&()^|<>");
}

}  // namespace drumlin
