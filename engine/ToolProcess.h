// The shared base of the tool drivers, which runs one tool as a hidden child process and waits for
// it while polling a stop flag, and the builder of the tools' argument lists.
#pragma once

#include <windows.h>

#include "framework/String.h"

// A blank-separated argument list; nothing is quoted here, callers quote paths with "\"%s\"".
class CCommandLine {
public:
    CCommandLine() {}
    virtual ~CCommandLine() {}

    // -1 for a null or empty argument (nothing changes); otherwise appended after one blank.
    int Add(LPCWSTR arg);
    // Add(a) and then Add(b), each when not null.
    int AddPair(LPCWSTR a, LPCWSTR b);
    // The name, then the values formatted with 'format' as one more argument when that text is not
    // empty. Strings go in as LPCWSTR, never as CString objects.
    int AddOption(LPCWSTR name, LPCWSTR format = nullptr, ...);

    const CString& GetText() const { return m_strText; }
    operator LPCWSTR() const { return m_strText; }

    CString m_strText;
};

class CToolProcessBase {
public:
    CToolProcessBase() {}
    virtual ~CToolProcessBase() {}

    // Stores the tool executable's path; -1 for null.
    virtual int SetPath(LPCWSTR path);
    // Runs commandLine hidden and waits for it. The drivers' interpreter lines (MakeToolCommand,
    // MakeToolCommandWithOutput) are carried out without the interpreter: the tool is started
    // with exactly the arguments inside the quotes, and a redirect goes to the file here, so that
    // nothing in a path is expanded. Any other line is started as it stands.
    // -1: the tool is not an existing file given by a full path, the process could not be created
    // (a start the system refuses for a moment is tried again a few times first), or it ended
    // with a non-zero exit code; 0: it ended with 0; 1: stopFlag was given and is non-zero at the
    // end (or 2 when a refused start would have been tried again). A stop flag of 2 gives the tool the stop grace to end by itself before
    // the tool and every process it started are terminated.
    virtual int Run(LPCWSTR commandLine, const volatile int* stopFlag);

    const CString& GetPath() const { return m_strPath; }

    // Test only: the grace a stopped tool has before it is terminated (10000 ms otherwise).
    static void SetStopGraceForTests(DWORD ms);
    static DWORD GetStopGrace();

    // The folder the tool starts in; empty: the caller's current folder. A driver sets it rather
    // than changing the process's current folder, which other threads' runs share. A folder that
    // a child cannot start in is not handed to the tool (GetToolStartFolder).
    CString m_strWorkingFolder;

protected:
    CString m_strPath;
    // Set by a driver whose tool is asked nothing on a stop and whose output a stopped run throws
    // away: Run ends the tool at once instead of giving it the stop grace.
    bool m_bEndAtOnceWhenStopped = false;
};

// The process record of one run: startup data and the created process, whose handles are closed
// with the record.
class CProcessInfo {
public:
    CProcessInfo();
    virtual ~CProcessInfo();
    CProcessInfo(const CProcessInfo&) = delete;
    CProcessInfo& operator=(const CProcessInfo&) = delete;
    void CloseHandles();

    STARTUPINFOW m_si;
    PROCESS_INFORMATION m_pi;
};

// The folder a tool is started in, for 'requested' (may be null or empty): the tools need none,
// since every path on their command lines is absolute, but a folder too long for a child fails
// its start. So the requested folder when a child can take it, else empty (the caller's current
// folder) when that one can be taken, else the system folder.
CString GetToolStartFolder(LPCWSTR requested);

// Starts the probe tool once, hidden and without arguments, so that its first real run is quick;
// 0, or -1 when the file does not exist. Nothing waits for it.
int StartProbeToolHidden(LPCWSTR probeToolPath);

// The command interpreter lines around a tool: CMD /C ""tool" args" and, with standard output
// sent to a file, CMD /C ""tool" args >"file"". Run carries them out without the interpreter.
CString MakeToolCommand(LPCWSTR toolPath, LPCWSTR args);
CString MakeToolCommandWithOutput(LPCWSTR toolPath, LPCWSTR args, LPCWSTR outputFile);

namespace detail {
// The parts of a MakeToolCommand or MakeToolCommandWithOutput line: the tool, its arguments and the
// file its standard output goes to (empty without a redirect). False for any other line.
bool SplitToolCommand(LPCWSTR commandLine, CString& tool, CString& args, CString& outputFile);
}  // namespace detail
