// The tool process runner and the argument-list builder.
#include "engine/ToolProcess.h"

#include <stdarg.h>

#include <atomic>
#include <vector>

#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Handles.h"

namespace {

const DWORD kPollMs = 100;
// How long a terminated process tree may take to be gone before the run gives up waiting.
const DWORD kTerminateWaitMs = 5000;
std::atomic<DWORD> g_stopGraceMs(10000);

// A job that ends every process in it when its last handle closes: the command interpreter, the
// tool and whatever the tool started. Without it, terminating the interpreter would leave the
// tool running.
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

}  // namespace

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

    CProcessInfo info;
    info.m_si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    info.m_si.wShowWindow = SW_HIDE;
    std::vector<wchar_t> command(commandLine, commandLine + wcslen(commandLine) + 1);

    CToolJob job;
    // Suspended until it is in the job, so that nothing it starts can escape it.
    DWORD flags = NORMAL_PRIORITY_CLASS | (job.IsValid() ? CREATE_SUSPENDED : 0);
    LPCWSTR folder = m_strWorkingFolder.IsEmpty() ? nullptr : m_strWorkingFolder.GetString();
    if (!FwCreateProcess(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, folder, &info.m_si,
                         &info.m_pi))
        return -1;
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
                if (WaitForSingleObject(process, GetStopGrace()) == WAIT_TIMEOUT) {
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
