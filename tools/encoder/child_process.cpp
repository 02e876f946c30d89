// Starting and following ffmpeg through pipes.
#include "tools/encoder/child_process.h"

#include <cstring>
#include <vector>

#include "tools/common/passthrough.h"

namespace velkor {

using tooldetail::UniqueHandle;

namespace {

const DWORD kPipeSize = 65536;
const DWORD kPollMs = 50;

// A pipe whose child end is inheritable and whose own end is not.
bool MakePipe(UniqueHandle& childEnd, UniqueHandle& ownEnd, bool childWrites)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    UniqueHandle read, write;
    if (!CreatePipe(read.Receive(), write.Receive(), &sa, kPipeSize))
        return false;
    if (childWrites) {
        childEnd = std::move(write);
        ownEnd = std::move(read);
    } else {
        childEnd = std::move(read);
        ownEnd = std::move(write);
    }
    return SetHandleInformation(ownEnd.Get(), HANDLE_FLAG_INHERIT, 0) != FALSE;
}

}  // namespace

ChildProcess::~ChildProcess()
{
    if (m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
        Terminate(1);
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& args, const Setup& setup)
{
    UniqueHandle childIn, childOut;
    if (setup.stdinPipe && !MakePipe(childIn, m_stdinWrite, false))
        return false;
    if (setup.onOutput && !MakePipe(childOut, m_output, true))
        return false;
    m_sink = setup.onOutput;
    UniqueHandle childErr;
    bool errorPipe = setup.onError && !(setup.errorToOutput && childOut.IsValid());
    if (errorPipe && !MakePipe(childErr, m_error, true))
        return false;
    m_errorSink = setup.onError;

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn.IsValid() ? childIn.Get() : GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = childOut.IsValid() ? childOut.Get() : GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = setup.errorToOutput && childOut.IsValid() ? childOut.Get()
                   : childErr.IsValid()                      ? childErr.Get()
                                                             : GetStdHandle(STD_ERROR_HANDLE);

    std::wstring cmd = L"\"" + program + L"\"";
    if (!args.empty())
        cmd += L" " + args;

    // The job ends ffmpeg with the tool, however the tool ends. Where jobs cannot nest the
    // assignment fails, and the job the tool itself runs in does the same.
    m_job.Reset(CreateJobObjectW(nullptr, nullptr));
    if (m_job.IsValid()) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    PROCESS_INFORMATION pi = {};
    if (!tooldetail::StartWrapped(L"Velkor", program, cmd, CREATE_SUSPENDED | tooldetail::ChildConsoleFlags(), si, pi))
        return false;
    m_process.Reset(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    if (m_job.IsValid() && !AssignProcessToJobObject(m_job.Get(), pi.hProcess))
        m_job.Reset();
    ResumeThread(thread.Get());
    return true;
}

void ChildProcess::DrainPipe(const UniqueHandle& pipe, const Sink& sink)
{
    if (!pipe.IsValid())
        return;
    char buf[4096];
    DWORD available = 0;
    while (PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        DWORD want = available < sizeof(buf) ? available : static_cast<DWORD>(sizeof(buf));
        if (!ReadFile(pipe.Get(), buf, want, &got, nullptr) || got == 0)
            break;
        if (sink)
            sink(buf, got);
    }
}

void ChildProcess::Drain()
{
    DrainPipe(m_output, m_sink);
    DrainPipe(m_error, m_errorSink);
}

bool ChildProcess::Wait(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD slice = elapsed >= ms ? 0 : (ms - elapsed < kPollMs ? ms - elapsed : kPollMs);
        bool ended = WaitForSingleObject(m_process.Get(), slice) != WAIT_TIMEOUT;
        Drain();
        if (ended)
            return true;
        if (slice == 0)
            return false;
    }
}

bool ChildProcess::WriteInput(const char* text)
{
    if (!m_stdinWrite.IsValid())
        return false;
    DWORD written = 0;
    DWORD size = static_cast<DWORD>(strlen(text));
    return WriteFile(m_stdinWrite.Get(), text, size, &written, nullptr) && written == size;
}

void ChildProcess::Terminate(UINT exitCode)
{
    if (m_process.IsValid())
        TerminateProcess(m_process.Get(), exitCode);
}

DWORD ChildProcess::Finish()
{
    DWORD code = 1;
    if (!m_process.IsValid())
        return code;
    while (!Wait(INFINITE)) {
    }
    Drain();
    if (!GetExitCodeProcess(m_process.Get(), &code))
        code = 1;
    return code;
}

int RunCaptured(const std::wstring& program, const std::wstring& args, DWORD timeoutMs,
                std::string& output)
{
    output.clear();
    ChildProcess child;
    ChildProcess::Setup setup;
    setup.stdinPipe = true;  // never the tool's own input: nothing may wait on it
    setup.onOutput = [&output](const char* data, size_t size) { output.append(data, size); };
    setup.errorToOutput = true;
    if (!child.Start(program, args, setup))
        return -1;
    if (!child.Wait(timeoutMs))
        child.Terminate(1);
    return static_cast<int>(child.Finish());
}

}  // namespace velkor
