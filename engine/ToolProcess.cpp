// The tool process runner and the argument-list builder.
#include "engine/ToolProcess.h"

#include <shlwapi.h>
#include <stdarg.h>

#include <atomic>
#include <vector>

#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Handles.h"

namespace {

const DWORD kPollMs = 100;
// A loaded system now and then refuses to start a program that is there: Wine answers
// ERROR_INTERNAL_ERROR when the new process dies before it is up, Windows runs short of memory or
// handles, a scanner holds a file just written. One grab in a few hundred failed so, and with it
// the item's thumbnail for the session. Such a start is tried again, a little later each time
// (0.2 + 0.4 + 0.6 + 0.8 s at most).
const int kStartAttempts = 5;
const DWORD kStartRetryMs = 200;
// How long a terminated process tree may take to be gone before the run gives up waiting.
const DWORD kTerminateWaitMs = 5000;
std::atomic<DWORD> g_stopGraceMs(10000);
// The longest folder a child can be started in: MAX_PATH less the trailing backslash and the
// terminator. Wine's process creation does not refuse a longer one but corrupts our heap with it.
const int kMaxStartFolderLength = MAX_PATH - 2;

bool CanStartIn(const CString& folder)
{
    return !folder.IsEmpty() && folder.GetLength() <= kMaxStartFolderLength && PathIsDirectoryW(folder);
}

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

// A job that ends every process in it when its last handle closes: the tool and whatever it
// started. Without it, terminating the tool would leave its own children (ffmpeg) running.
class CToolJob {
public:
    CToolJob() : m_job(CreateJobObjectW(nullptr, nullptr))
    {
        if (!m_job.IsValid())
            return;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
            m_job.Close();
    }

    bool IsValid() const { return m_job.IsValid(); }
    bool Assign(HANDLE process) { return m_assigned = IsValid() && AssignProcessToJobObject(m_job, process); }
    bool IsAssigned() const { return m_assigned; }

    DWORD ActiveProcesses() const
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
        if (!QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr))
            return 0;
        return info.ActiveProcesses;
    }

    // Ends every process left in the job and waits until they are gone.
    void TerminateAll(UINT exitCode)
    {
        if (!m_assigned || ActiveProcesses() == 0)
            return;
        TerminateJobObject(m_job, exitCode);
        for (DWORD waited = 0; ActiveProcesses() > 0 && waited < kTerminateWaitMs; waited += 10)
            Sleep(10);
    }

private:
    CHandle m_job;
    bool m_assigned = false;
};

// Handles are made inheritable only while this is held, so that a tool started with its output
// redirected inherits its own file and never the file of a run starting on another thread.
CRITICAL_SECTION& InheritLock()
{
    static CRITICAL_SECTION lock;
    static bool ready = (InitializeCriticalSection(&lock), true);
    (void)ready;
    return lock;
}

class CInheritLockScope {
public:
    CInheritLockScope() { EnterCriticalSection(&InheritLock()); }
    ~CInheritLockScope() { LeaveCriticalSection(&InheritLock()); }
    CInheritLockScope(const CInheritLockScope&) = delete;
    CInheritLockScope& operator=(const CInheritLockScope&) = delete;
};

void SetInheritable(HANDLE h, bool on)
{
    if (CHandle::IsValidHandle(h))
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, on ? HANDLE_FLAG_INHERIT : 0);
}

// The standard handles of a tool whose output goes to a file: the file (emptied, as the
// interpreter's redirect does), no input, and our own error output.
class CRedirectedHandles {
public:
    bool Open(LPCWSTR outputFile)
    {
        m_out.Attach(CreateFileW(outputFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_out.IsValid())
            return false;
        m_in.Attach(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        if (CHandle::IsValidHandle(err))
            DuplicateHandle(GetCurrentProcess(), err, GetCurrentProcess(), m_err.Receive(), 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
        if (!m_err.IsValid())
            m_err.Attach(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        return true;
    }

    void FillStartup(STARTUPINFOW& si) const
    {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = m_in;
        si.hStdOutput = m_out;
        si.hStdError = m_err;
    }

    void SetInheritable(bool on) const
    {
        ::SetInheritable(m_in, on);
        ::SetInheritable(m_out, on);
        ::SetInheritable(m_err, on);
    }

private:
    CHandle m_out, m_in, m_err;
};

}  // namespace

namespace detail {

bool SplitToolCommand(LPCWSTR commandLine, CString& tool, CString& args, CString& outputFile)
{
    static const wchar_t kInterpreter[] = L"CMD /C ";
    const int prefix = (int)wcslen(kInterpreter);
    if (!commandLine || _wcsnicmp(commandLine, kInterpreter, prefix) != 0)
        return false;
    // ""tool" args" or ""tool" args >"file"": one pair of quotes around the whole line.
    CString body = commandLine + prefix;
    const int length = body.GetLength();
    if (length < 4 || body[0] != L'"' || body[1] != L'"' || body[length - 1] != L'"')
        return false;
    CString inner = body.Mid(1, length - 2);
    int close = inner.Find(L'"', 1);
    if (close < 2)
        return false;
    CString rest = inner.Mid(close + 1);
    if (!rest.IsEmpty() && rest[0] != L' ')
        return false;
    tool = inner.Mid(1, close - 1);
    if (!rest.IsEmpty())
        rest = rest.Mid(1);

    // A redirect is a last quoted name right after a '>' that starts an argument.
    outputFile.Empty();
    const int r = rest.GetLength();
    if (r >= 3 && rest[r - 1] == L'"') {
        int open = r - 2;
        while (open >= 0 && rest[open] != L'"')
            --open;
        if (open >= 1 && rest[open - 1] == L'>' && (open == 1 || rest[open - 2] == L' ')) {
            outputFile = rest.Mid(open + 1, r - open - 2);
            rest = rest.Left(open - 1);
            if (!rest.IsEmpty() && rest[rest.GetLength() - 1] == L' ')
                rest = rest.Left(rest.GetLength() - 1);
            if (outputFile.IsEmpty())
                return false;
        }
    }
    args = rest;
    return true;
}

}  // namespace detail

// Command line ---------------------------------------------------------------------------------------

int CCommandLine::Add(LPCWSTR arg)
{
    if (!arg || !*arg)
        return -1;
    if (!m_strText.IsEmpty())
        m_strText += L' ';
    m_strText += arg;
    return 0;
}

int CCommandLine::AddPair(LPCWSTR a, LPCWSTR b)
{
    if (a)
        Add(a);
    if (b)
        Add(b);
    return 0;
}

int CCommandLine::AddOption(LPCWSTR name, LPCWSTR format, ...)
{
    if (name)
        Add(name);
    if (format) {
        CString value;
        va_list args;
        va_start(args, format);
        value.FormatV(format, args);
        va_end(args);
        if (!value.IsEmpty())
            Add(value);
    }
    return 0;
}

CString MakeToolCommand(LPCWSTR toolPath, LPCWSTR args)
{
    CString command;
    command.Format(L"CMD /C \"\"%s\" %s\"", toolPath ? toolPath : L"", args ? args : L"");
    return command;
}

CString MakeToolCommandWithOutput(LPCWSTR toolPath, LPCWSTR args, LPCWSTR outputFile)
{
    CString command;
    command.Format(L"CMD /C \"\"%s\" %s >\"%s\"\"", toolPath ? toolPath : L"", args ? args : L"",
                   outputFile ? outputFile : L"");
    return command;
}

CString GetToolStartFolder(LPCWSTR requested)
{
    if (requested && CanStartIn(requested))
        return requested;
    wchar_t current[MAX_PATH] = L"";
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    if (n > 0 && (int)n <= kMaxStartFolderLength)
        return CString();
    wchar_t system[MAX_PATH] = L"";
    const UINT s = GetSystemDirectoryW(system, MAX_PATH);
    return s > 0 && (int)s <= kMaxStartFolderLength ? CString(system) : CString();
}

// Process record -------------------------------------------------------------------------------------

CProcessInfo::CProcessInfo()
{
    ZeroMemory(&m_si, sizeof(m_si));
    m_si.cb = sizeof(m_si);
    ZeroMemory(&m_pi, sizeof(m_pi));
}

CProcessInfo::~CProcessInfo()
{
    CloseHandles();
}

void CProcessInfo::CloseHandles()
{
    if (m_pi.hProcess)
        CloseHandle(m_pi.hProcess);
    if (m_pi.hThread)
        CloseHandle(m_pi.hThread);
    m_pi.hProcess = nullptr;
    m_pi.hThread = nullptr;
}

// Runner -------------------------------------------------------------------------------------------------

int CToolProcessBase::SetPath(LPCWSTR path)
{
    if (!path)
        return -1;
    m_strPath = path;
    return 0;
}

void CToolProcessBase::SetStopGraceForTests(DWORD ms)
{
    g_stopGraceMs = ms;
}

DWORD CToolProcessBase::GetStopGrace()
{
    return g_stopGraceMs;
}

int CToolProcessBase::Run(LPCWSTR commandLine, const volatile int* stopFlag)
{
    // A bare or relative name would be looked up in whatever folder is current.
    if (!IsExistingFilePath(m_strPath) || !commandLine || !*commandLine)
        return -1;

    // The drivers' interpreter lines are carried out here, without the interpreter: it would
    // expand %NAME% (and !NAME!) inside the quoted paths, and its own start costs as much as a
    // short tool run. The tool gets exactly the arguments the interpreter would have handed it.
    CString tool, args, outputFile;
    CString line = commandLine;
    LPCWSTR application = nullptr;
    if (detail::SplitToolCommand(commandLine, tool, args, outputFile)) {
        if (!IsExistingFilePath(tool))
            return -1;
        line = L"\"" + tool + L"\"";
        if (!args.IsEmpty())
            line += L" " + args;
        application = tool;
    }

    CProcessInfo info;
    info.m_si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    info.m_si.wShowWindow = SW_HIDE;
    std::vector<wchar_t> command(line.GetString(), line.GetString() + line.GetLength() + 1);

    CRedirectedHandles redirect;
    const bool redirected = !outputFile.IsEmpty();
    if (redirected) {
        if (!redirect.Open(outputFile))
            return -1;
        redirect.FillStartup(info.m_si);
    }

    CToolJob job;
    // Suspended until it is in the job, so that nothing it starts can escape it. The tools are
    // console programs that need no console: started from a windowed program without
    // DETACHED_PROCESS, each run would get a console host process of its own, with a hidden window
    // that the tool's log is drawn into.
    DWORD flags = NORMAL_PRIORITY_CLASS | DETACHED_PROCESS | (job.IsValid() ? CREATE_SUSPENDED : 0);
    const CString startFolder = GetToolStartFolder(m_strWorkingFolder);
    LPCWSTR folder = startFolder.IsEmpty() ? nullptr : startFolder.GetString();
    for (int attempt = 1;; ++attempt) {
        BOOL started;
        if (redirected) {
            CInheritLockScope lock;
            redirect.SetInheritable(true);
            started = FwCreateProcess(application, command.data(), nullptr, nullptr, TRUE, flags, nullptr, folder,
                                      &info.m_si, &info.m_pi);
            redirect.SetInheritable(false);
        } else {
            started = FwCreateProcess(application, command.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                                      &info.m_si, &info.m_pi);
        }
        if (started)
            break;
        const DWORD error = GetLastError();
        // Asked to stop: nothing more is tried, and the run counts as stopped.
        if (stopFlag && *stopFlag == 2)
            return 1;
        if (attempt >= kStartAttempts || IsRefusedForGood(error))
            return -1;
        Sleep(kStartRetryMs * attempt);
    }
    if (job.IsValid()) {
        job.Assign(info.m_pi.hProcess);
        ResumeThread(info.m_pi.hThread);
    }

    HANDLE process = info.m_pi.hProcess;
    if (!stopFlag) {
        WaitForSingleObject(process, INFINITE);
    } else {
        for (;;) {
            if (*stopFlag == 2) {
                DWORD grace = m_bEndAtOnceWhenStopped ? 0 : GetStopGrace();
                if (WaitForSingleObject(process, grace) == WAIT_TIMEOUT) {
                    if (job.IsAssigned())
                        job.TerminateAll(1);
                    else
                        TerminateProcess(process, 1);
                    WaitForSingleObject(process, kTerminateWaitMs);
                }
                break;
            }
            if (WaitForSingleObject(process, kPollMs) != WAIT_TIMEOUT)
                break;
        }
    }

    int result;
    if (stopFlag && *stopFlag != 0) {
        result = 1;
    } else {
        DWORD exitCode = 1;
        GetExitCodeProcess(process, &exitCode);
        result = exitCode == 0 ? 0 : -1;
    }
    // Whatever the tool left running ends with the run.
    job.TerminateAll(1);
    return result;
}

int StartProbeToolHidden(LPCWSTR probeToolPath)
{
    if (!IsExistingFilePath(probeToolPath))
        return -1;
    FwShellExecute(nullptr, nullptr, probeToolPath, nullptr, nullptr, SW_HIDE);
    return 0;
}
