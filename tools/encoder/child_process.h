// ffmpeg as a child process with pipes of the tool's own, kept in a job object so that it never
// outlives the tool.
#pragma once

#include "tools/common/handle.h"

#include <functional>
#include <string>

namespace velkor {

// The child's output is read without blocking, only as far as it is there. A blocking read would
// wait for every holder of the pipe's write end to close it, and processes that a child starts on
// its way (Wine's desktop process is one) can hold it for ever.
class ChildProcess {
public:
    using Sink = std::function<void(const char* data, size_t size)>;
    struct Setup {
        bool stdinPipe = false;       // a pipe the tool writes to; else the tool's own input
        Sink onOutput;                // set: standard output is read through a pipe; else inherited
        bool errorToOutput = false;   // standard error goes into the same pipe
        Sink onError;                 // set (without errorToOutput): standard error is read
                                      // through a pipe of its own; else inherited
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // false when the process cannot be created (GetLastError tells why).
    bool Start(const std::wstring& program, const std::wstring& args, const Setup& setup);

    // Waits up to ms for the end of the process while passing its output on; true once it ended.
    bool Wait(DWORD ms);
    bool WriteInput(const char* text);
    void Terminate(UINT exitCode);
    // Waits for the end, passes the last output on and returns the exit code.
    DWORD Finish();

private:
    void Drain();
    static void DrainPipe(const tooldetail::UniqueHandle& pipe, const Sink& sink);

    tooldetail::UniqueHandle m_job;
    tooldetail::UniqueHandle m_process;
    tooldetail::UniqueHandle m_stdinWrite;
    tooldetail::UniqueHandle m_output;
    tooldetail::UniqueHandle m_error;
    Sink m_sink;
    Sink m_errorSink;
};

// Runs a program to its end, or ends it after timeoutMs, and returns its exit code with all it
// wrote to its standard output and error; -1 when it cannot be started.
int RunCaptured(const std::wstring& program, const std::wstring& args, DWORD timeoutMs,
                std::string& output);

}  // namespace velkor
