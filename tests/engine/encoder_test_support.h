// Shared parts of the encoder and thumbnail tests: an engine host whose encoder, temporary files
// and thumbnail settings the test sets, a listener that records what reaches it, and the fake
// tool's logs read back.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/EncoderTool.h"
#include "engine/EngineHost.h"
#include "framework/Handles.h"
#include "framework/String.h"

namespace enctest {

// A Windows path from the test environment ("" when unset), without a trailing backslash.
inline CString EnvFolder(LPCWSTR name)
{
    CString s = enginetest::GetEnv(name);
    s.TrimRight(L'\\');
    return s;
}

inline bool FileExists(LPCWSTR path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The files directly in 'folder', or with 'remove' deleted.
inline int CountFiles(const CString& folder, bool remove = false)
{
    int count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(folder + L"\\*", &fd);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ++count;
        if (remove)
            DeleteFileW(folder + L"\\" + fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return count;
}

// An existing, empty folder of that name.
inline CString FreshFolder(const CString& path)
{
    CountFiles(path, true);
    CreateDirectoryW(path, nullptr);
    return path;
}

// Runs a program (full path in the command line) hidden: its exit code, -1 when it cannot start.
inline int RunAndWait(const CString& commandLine)
{
    return enginetest::RunHidden(commandLine);
}

class CEncoderTestHost : public CEngineHost {
public:
    CEncoderTestHost() : m_previous(GetEngineHost()) { SetEngineHost(this); }
    ~CEncoderTestHost() override { SetEngineHost(m_previous); }
    CEncoderTestHost(const CEncoderTestHost&) = delete;
    CEncoderTestHost& operator=(const CEncoderTestHost&) = delete;

    CString GetProbeToolPath() override { return CString(); }
    CString GetEncoderToolPath() override { return EncoderTool; }
    CString GetPlayerToolPath() override { return CString(); }
    // The set name when there is one, else a new name in TempFolder.
    CString MakeTempFilePath() override
    {
        ++TempFilesMade;
        if (!NextTempFile.IsEmpty())
            return NextTempFile;
        CString name;
        name.Format(L"%s\\thumb%d", TempFolder.GetString(), TempFilesMade);
        return name;
    }
    int GetThumbnailTimeMs() override { return ThumbnailTimeMs; }
    int GetThumbnailWidth() override { return ThumbnailWidth; }
    int GetThumbnailHeight() override { return ThumbnailHeight; }

    CString EncoderTool;
    CString TempFolder;
    CString NextTempFile;
    int TempFilesMade = 0;
    int ThumbnailTimeMs = 0;
    int ThumbnailWidth = 160;
    int ThumbnailHeight = 120;

private:
    CEngineHost* m_previous;
};

// One listener call: its name, the thread it came on and the block it was given.
struct ListenerCall {
    const char* name;
    DWORD thread;
    bool hasBlock;
    EncoderProgressBlock block;
};

class CRecordingListener : public CEncoderToolEvents {
public:
    int OnJobBegin() override { return Note("begin", nullptr, 0); }
    int OnJobEnd() override { return Note("end", nullptr, 0); }
    int OnStarted(const EncoderProgressBlock* block) override { return Note("started", block, StartedAnswer); }
    int OnProgress(const EncoderProgressBlock* block) override
    {
        int answer = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_progressSeen;
            bool reached = StopAtPositionUs > 0 && block && block->PositionUs >= StopAtPositionUs;
            if ((StopAtProgress > 0 && m_progressSeen >= StopAtProgress) || reached) {
                answer = 1;
                if (FlagToSet)
                    *FlagToSet = 2;
            }
        }
        return Note("progress", block, answer);
    }
    int OnEnded(const EncoderProgressBlock* block) override { return Note("ended", block, EndedAnswer); }

    std::vector<ListenerCall> Calls()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    std::vector<const char*> Names()
    {
        std::vector<const char*> names;
        for (const ListenerCall& c : Calls())
            names.push_back(c.name);
        return names;
    }

    int StopAtProgress = 0;  // answer 1 from this progress record on (1-based); 0 never
    __int64 StopAtPositionUs = 0;  // answer 1 once the output has reached this time; 0 never
    volatile int* FlagToSet = nullptr;
    int StartedAnswer = 0;
    int EndedAnswer = 0;

private:
    int Note(const char* name, const EncoderProgressBlock* block, int answer)
    {
        ListenerCall call = {name, GetCurrentThreadId(), block != nullptr, {}};
        if (block)
            call.block = *block;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
        return answer;
    }
    std::mutex m_mutex;
    std::vector<ListenerCall> m_calls;
    int m_progressSeen = 0;
};

// The fake tool's command-line log split into runs, each the list of its arguments.
inline std::vector<std::vector<CString>> ReadRuns(LPCWSTR log)
{
    std::vector<std::vector<CString>> runs;
    for (const CString& line : enginetest::ReadLines(log)) {
        if (line.Left(8) == L"cmdline:")
            runs.emplace_back();
        else if (line.Left(5) == L"arg: " && !runs.empty())
            runs.back().push_back(line.Mid(5));
    }
    return runs;
}

// The value after 'name' in a run's arguments, "" when the option is absent.
inline CString ValueOf(const std::vector<CString>& args, LPCWSTR name)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name)
            return args[i + 1];
    return CString();
}

inline bool HasArg(const std::vector<CString>& args, LPCWSTR name)
{
    for (const CString& a : args)
        if (a == name)
            return true;
    return false;
}

}  // namespace enctest
