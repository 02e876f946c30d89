// The ffmpeg and ffprobe children: console programs whose standard output the tool reads through
// a pipe, kept in a job so that none outlives the tool.
#pragma once

#include "tools/playback/handles.h"

#include <cstddef>
#include <string>

namespace drumlin {

// A job that ends every process in it when the tool ends, however it ends.
class ChildJob {
public:
    ChildJob();
    HANDLE Get() const { return job_.Get(); }

private:
    UniqueHandle job_;
};

class PipedChild {
public:
    PipedChild() = default;
    ~PipedChild();
    PipedChild(const PipedChild&) = delete;
    PipedChild& operator=(const PipedChild&) = delete;

    // Starts "program" args with its output into a pipe of about pipeSize bytes.
    bool Start(const std::wstring& program, const std::wstring& args, HANDLE job, DWORD pipeSize);
    // Reads until size bytes have come, the output ends or the child is killed; returns the
    // bytes read. The end is also seen when the child has exited and nothing is left, since a
    // handle inherited elsewhere (Wine's console host) can keep the pipe itself open.
    size_t ReadFull(void* buffer, size_t size);
    // Ends the process; a ReadFull blocked on another thread then returns.
    void Kill();
    HANDLE Process() const { return process_.Get(); }

private:
    UniqueHandle process_;
    UniqueHandle output_;  // server end of a named pipe, read overlapped
    UniqueHandle readDone_;
    UniqueHandle killed_;
};

// Quotes one argument for a Windows command line.
std::wstring QuoteArgument(const std::wstring& arg);

}  // namespace drumlin
