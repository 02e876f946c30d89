// The test's side of Drumlin.exe: a stand-in play window that records the tool's status
// records and sends it commands, the tool process, clips made with ffmpeg, and screen reads.
#pragma once

#include "tools/playback/records.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace playtest {

struct Received {
    DWORD tick;
    drumlin::StatusRecord record;
    int32_t Code() const { return record.header.code; }
    int32_t Arg() const { return record.header.args[0]; }
    const drumlin::StatusBlock& Block() const { return record.block; }
};

std::wstring Env(const wchar_t* name);

// Dispatches this thread's messages (the tool's records among them) for `ms`.
void Pump(DWORD ms);
// Dispatches messages until `done` holds or `timeoutMs` passes; returns `done`'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Runs a program hidden and waits for it, in `folder` when given; its exit code or -1.
int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 120000, const wchar_t* folder = nullptr);
// The same, with what the program writes to its standard output in `output`.
int RunAndCapture(const std::wstring& commandLine, std::string* output, DWORD timeoutMs = 60000);

class HostWindow {
public:
    HostWindow(int x, int y, int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    void Destroy();
    const std::vector<Received>& Records() const { return records_; }
    // The first record with this code, or null.
    const Received* Find(int32_t code) const;
    size_t Count(int32_t code) const;
    const Received* Last(int32_t code) const;
    // The tool window (from record 21), or null.
    HWND ToolWindow() const;
    HWND DrawingWindow() const;

    // Sends a command record to the tool window the way the player does; the tool's reply, or -1
    // when it does not answer within 5 s.
    LRESULT Command(int32_t code, int64_t args12 = 0, int64_t args34 = 0);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
    std::vector<Received> records_;
};

class ToolProcess {
public:
    ~ToolProcess();
    bool Start(const std::wstring& exe, const std::wstring& args);
    // Pumps messages while waiting; true with the exit code when the process ended in time.
    bool WaitExit(DWORD timeoutMs, DWORD* code = nullptr);
    bool Running() const;
    DWORD Pid() const { return process_ ? GetProcessId(process_) : 0; }

private:
    HANDLE process_ = nullptr;
};

// BGR pixels of a rectangle of the screen, top row first.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;
    const uint8_t* At(int x, int y) const { return &bgr[(static_cast<size_t>(y) * width + x) * 3]; }
};
Shot CaptureScreen(const RECT& screenRect);
bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* out);
// Writes the picture as <name>.png where the tests' screenshots go; false when it cannot.
bool SaveShot(const Shot& shot, const wchar_t* name);

}  // namespace playtest
