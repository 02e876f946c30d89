// Shared by the encoder tool tests: a scratch Modules folder with the built tool beside the
// ffmpeg build, clips made from test sources, running the tool with a callback window, and
// readers for what it writes (JPEG and GIF headers, WAV samples, ffmpeg's stream list).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace enctest {

struct Environment {
    bool ok = false;
    std::string problem;        // why the set-up failed
    std::wstring modules;       // scratch Modules folder: Velkor.exe, ffmpeg.exe, Presets\ (with '\')
    std::wstring scratch;       // folder for outputs (with '\')
    std::wstring ffmpeg;        // the ffmpeg build itself, for making and inspecting files
    std::wstring clip;          // 3 s, 160x120 at 25 fps, H.264 + mono AAC, MP4
    std::wstring threeStreams;  // 2 s Matroska: video, mono audio (stream 1), stereo audio (stream 2)
};

// Made once per test run; later calls return the same.
const Environment& Env();

// One record as it arrived at the window, read at the documented offsets.
struct Record {
    int64_t context = 0;
    uint32_t code = 0;
    int64_t totalUs = 0;
    int64_t bytes = 0;
    int64_t positionUs = 0;
};

struct RunResult {
    bool finished = false;  // false: the tool was still running at the time limit and was ended
    DWORD exitCode = 0;
    std::string output;     // its standard output and error
    DWORD elapsedMs = 0;
    std::vector<Record> records;
    size_t malformed = 0;   // WM_COPYDATA messages of another id or size
};

// The answer to each record: 1 stops the encode.
using ReplyPolicy = std::function<LRESULT(const Record&)>;

struct RunOptions {
    std::wstring tool;          // empty: the scratch Modules\Velkor.exe
    bool window = false;        // add "-callback_window" with a window of this test
    int64_t context = 0;        // "-callback_context", added whenever window is set
    ReplyPolicy reply;          // empty: always 0
    DWORD limitMs = 60000;
    // Called with all the tool has written so far, each time more has come.
    std::function<void(const std::string& output)> watch;
};

// Runs the tool with these arguments (already quoted where needed).
RunResult RunTool(const std::wstring& args, const RunOptions& options = RunOptions());

// Runs the ffmpeg build directly; returns its exit code and fills its output.
int RunFfmpeg(const std::wstring& args, std::string* output = nullptr);

std::wstring Quote(const std::wstring& path);
std::wstring Scratch(const std::wstring& name);  // a path in the scratch folder, deleted first
std::vector<uint8_t> ReadAll(const std::wstring& path);
bool Exists(const std::wstring& path);
void WriteText(const std::wstring& path, const std::string& text);

// The frame header of a JPEG: marker (0xC0 baseline, 0xC2 progressive, ...), width, height.
struct JpegFrame {
    int marker = 0;
    int width = 0, height = 0;
};
bool ReadJpegFrame(const std::vector<uint8_t>& data, JpegFrame& frame);

// The logical screen size of a GIF.
bool ReadGifSize(const std::vector<uint8_t>& data, int& width, int& height);

// The largest absolute sample of a 16-bit PCM WAV file; -1 when it is not one.
int WavPeak(const std::vector<uint8_t>& data);

// The streams of a media file as ffmpeg lists them.
struct StreamInfo {
    char kind = 0;  // 'v', 'a', 's'
    std::string line;
};
std::vector<StreamInfo> DescribeStreams(const std::wstring& path, int64_t* durationUs = nullptr);

}  // namespace enctest
