// Shared equipment of the conversion tests: hosts the tests set for the engine and the runner, a
// notify window that delivers encoder records and the worker's end notice, and a listener that
// records what the runner reports.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

#include "conversion/ConvertHost.h"
#include "conversion/MediaConvertRunner.h"
#include "conversion/PresetStore.h"
#include "engine/EngineHost.h"
#include "framework/String.h"

namespace convtest {

CString GetEnv(LPCWSTR name);
// A new empty folder under TEST_TEMP_DIR; the name holds a blank, "&" and a non-ASCII letter.
CString MakeScratchFolder(LPCWSTR tag);
bool WriteBytes(LPCWSTR path, const char* bytes, DWORD count);
bool WriteUtf8(LPCWSTR path, const CString& text);
// The file's text read as UTF-8; empty when it cannot be read.
CString ReadUtf8(LPCWSTR path);
// Writes the first third of 'from' to 'to', as a copy cut short on disk; false on failure.
bool CopyFirstThird(LPCWSTR from, LPCWSTR to);
// How many running processes were started from exactly this executable.
int CountProcessesOf(LPCWSTR exePath);
// Runs a command line hidden and waits: its exit code, or -1.
int RunHidden(LPCWSTR commandLine, DWORD timeoutMs);

// Both hosts in one; installs itself for its lifetime.
class CTestHosts : public CEngineHost, public CConvertHost {
public:
    CTestHosts();
    ~CTestHosts() override;
    CTestHosts(const CTestHosts&) = delete;
    CTestHosts& operator=(const CTestHosts&) = delete;

    CString GetProbeToolPath() override { return ProbeTool; }
    CString GetEncoderToolPath() override { return EncoderTool; }
    CString GetPlayerToolPath() override { return CString(); }
    CString MakeTempFilePath() override;
    int GetThumbnailTimeMs() override { return 0; }
    int GetThumbnailWidth() override { return 160; }
    int GetThumbnailHeight() override { return 120; }

    CString GetAppFolder() override { return AppFolder; }
    CPresetStore* GetPresetStore() override { return Store; }
    int GetOverwriteAnswer() override { return Overwrite; }
    void SetOverwriteAnswer(int answer) override { Overwrite = answer; }
    // Answers from Answers in turn (FILE_EXISTS_NOT_SHOWN once they run out), renames to
    // RenameTo; every question is noted.
    int AskFileExists(LPCWSTR folder, LPCWSTR title, LPCWSTR extension, CString& newName) override;

    CString ProbeTool, EncoderTool, AppFolder;
    CPresetStore* Store = nullptr;
    volatile LONG Overwrite = 0;
    std::vector<int> Answers;
    std::vector<CString> RenameTo;
    std::vector<CString> Questions;  // folder|title|extension of each prompt
    std::function<void()> BeforeAnswer;

private:
    CEngineHost* m_previousEngine;
    CConvertHost* m_previousConvert;
    size_t m_next = 0;
    CString m_tempFolder;
    volatile LONG m_tempCount = 0;
};

// One report of the runner: a state change (state, sub-state, result, detail) or a progress.
struct Report {
    bool progress;
    int state, subState, result, detail;
    DWORD thread;
    CString status, statusDetail;
};

class CRecordingJobListener : public CMediaJobListener {
public:
    void OnJobStateChanged(CMediaConvertJob& job) override;
    void OnJobProgress(CMediaConvertJob& job) override;
    void ShowStatusText(LPCWSTR status, LPCWSTR detail) override;
    void ShowFileName(LPCWSTR name) override;

    std::vector<Report> Reports();
    CString LastStatus();
    CString LastDetail();
    CString ShownFileName();
    int ProgressCount();

    // The first progress report calls this (on the thread that reports it).
    void (*OnFirstProgress)(CRecordingJobListener*) = nullptr;

private:
    std::mutex m_mutex;
    std::vector<Report> m_reports;
    CString m_status, m_detail, m_fileName;
    int m_progress = 0;
};

// A hidden window of the test thread: encoder records go to the driver they name, and the
// worker's end notice ends the listener's job.
class CNotifyWindow {
public:
    explicit CNotifyWindow(CMediaJobListener* listener);
    ~CNotifyWindow();
    CNotifyWindow(const CNotifyWindow&) = delete;
    CNotifyWindow& operator=(const CNotifyWindow&) = delete;
    // Null once the window is destroyed.
    HWND Get() const { return m_hwnd; }
    bool Finished() const { return m_finished; }
    // Called when the window is being destroyed, as a dialog's WM_DESTROY handler is.
    std::function<void()> OnDestroy;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    CMediaJobListener* m_listener;
    HWND m_hwnd;
    bool m_finished = false;
};

// Pumps the test thread's messages until every window has seen its end notice; false on timeout.
bool PumpUntilFinished(const std::vector<CNotifyWindow*>& windows, DWORD timeoutMs);
// Pumps for about ms milliseconds.
void PumpFor(DWORD ms);

}  // namespace convtest
