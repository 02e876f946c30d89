// Shared pieces of the media and probe tests: an engine host whose probe tool the test sets, a
// scoped environment variable, counting files and running the Windows ffmpeg build.
#pragma once

#include <windows.h>

#include <string>

#include "EngineTestSupport.h"
#include "engine/EngineHost.h"
#include "framework/String.h"

namespace mediatest {

// Installed as the engine's host for the lifetime of the object.
class CTestEngineHost : public CEngineHost {
public:
    CTestEngineHost() : m_previous(GetEngineHost()) { SetEngineHost(this); }
    ~CTestEngineHost() override { SetEngineHost(m_previous); }
    CTestEngineHost(const CTestEngineHost&) = delete;
    CTestEngineHost& operator=(const CTestEngineHost&) = delete;

    CString GetProbeToolPath() override { return ProbeTool; }
    CString GetEncoderToolPath() override { return CString(); }
    CString GetPlayerToolPath() override { return CString(); }
    CString MakeTempFilePath() override { return CString(); }
    int GetThumbnailTimeMs() override { return 0; }
    int GetThumbnailWidth() override { return 160; }
    int GetThumbnailHeight() override { return 120; }

    CString ProbeTool;

private:
    CEngineHost* m_previous;
};

inline bool FileExists(const wchar_t* path)
{
    DWORD attr = GetFileAttributesW(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

inline int CountFiles(const CString& folder)
{
    int count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(folder + L"\\*", &fd);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return count;
}

// Runs a program (full path in the command line) hidden; its exit code, or -1 when it did not start.
inline int RunAndWait(const CString& commandLine)
{
    return enginetest::RunHidden(commandLine);
}

// An environment variable of this process (and so of the tools it starts) for a scope.
class CScopedEnv {
public:
    CScopedEnv(const wchar_t* name, const wchar_t* value) : m_name(name)
    {
        wchar_t buf[2048];
        DWORD n = GetEnvironmentVariableW(name, buf, 2048);
        m_had = n > 0 && n < 2048;
        if (m_had)
            m_old = buf;
        SetEnvironmentVariableW(name, value);
    }
    ~CScopedEnv() { SetEnvironmentVariableW(m_name, m_had ? m_old.GetString() : nullptr); }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const wchar_t* m_name;
    CString m_old;
    bool m_had;
};

}  // namespace mediatest
