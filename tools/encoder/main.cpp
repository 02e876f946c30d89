// Velkor.exe: the encoder tool. Gives the command lines of the conversion engine their meaning
// with the ffmpeg build beside it, runs ffmpeg, and reports start, progress and end to the
// callback window by WM_COPYDATA; a reply of 1 stops the encode.
#include "tools/common/passthrough.h"
#include "tools/encoder/child_process.h"
#include "tools/encoder/ffmpeg_args.h"
#include "tools/encoder/progress_record.h"
#include "tools/encoder/translate.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace velkor;

namespace {

// A stopped ffmpeg gets this long to finish its file after the "q" key before it is ended; the
// driver itself waits 10 s for the tool before ending it.
const DWORD kStopGraceMs = 4000;
const DWORD kReportIntervalMs = 250;
// A receiver that does not answer in this time is taken as "go on", so that a hung window never
// holds the encode.
const UINT kReplyTimeoutMs = 5000;
const DWORD kProbeTimeoutMs = 30000;
const DWORD kDescribePollMs = 20;

void Note(const std::wstring& text)
{
    fwprintf(stderr, L"Velkor: %ls\n", text.c_str());
    fflush(stderr);
}

// Raw bytes: the log already has the line ends ffmpeg wrote.
void PassOnError(const char* data, size_t size)
{
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (err && err != INVALID_HANDLE_VALUE)
        WriteFile(err, data, static_cast<DWORD>(size), &written, nullptr);
}

class Reporter {
public:
    Reporter(HWND window, int64_t context) : m_window(window), m_context(context) {}
    bool Active() const { return m_window != nullptr; }

    // The receiver's answer: 1 asks to stop.
    LRESULT Send(RecordCode code, const ProgressBlock& block, int exitCode = 0) const
    {
        if (!m_window)
            return 0;
        ProgressRecord record = {};
        record.context = m_context;
        record.code = code;
        record.exitCode = exitCode;
        record.block = block;
        COPYDATASTRUCT cds = {kRecordId, sizeof(record), &record};
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutW(m_window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                 SMTO_ABORTIFHUNG, kReplyTimeoutMs, &reply))
            return 0;
        return static_cast<LRESULT>(reply);
    }

private:
    HWND m_window;
    int64_t m_context;
};

// The key=value lines of ffmpeg's "-progress" output; a "progress=" line closes each report.
class ProgressReader {
public:
    void Feed(const char* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            char c = data[i];
            if (c == '\n' || c == '\r') {
                Line(m_line);
                m_line.clear();
            } else {
                m_line += c;
            }
        }
    }

    void Snapshot(ProgressBlock& block) const
    {
        block.frames = m_frames;
        block.positionUs = m_positionUs;
        block.bytesWritten = m_bytes;
    }

private:
    void Line(const std::string& line)
    {
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            return;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!value.empty() && value[0] == ' ')
            value.erase(0, 1);
        if (value.empty() || value == "N/A")
            return;
        long long n = atoll(value.c_str());
        // This build writes microseconds under both names; the older name is the fallback.
        if (key == "frame")
            m_pending.frames = n;
        else if (key == "total_size")
            m_pending.bytes = n;
        else if (key == "out_time_us" || (key == "out_time_ms" && !m_pending.haveUs))
            m_pending.positionUs = n;
        if (key == "out_time_us")
            m_pending.haveUs = true;
        if (key == "progress") {
            if (m_pending.frames >= 0)
                m_frames = m_pending.frames;
            if (m_pending.bytes >= 0)
                m_bytes = m_pending.bytes;
            if (m_pending.positionUs >= 0)
                m_positionUs = m_pending.positionUs;
            m_pending = Pending();
        }
    }

    struct Pending {
        long long frames = -1, bytes = -1, positionUs = -1;
        bool haveUs = false;
    };
    std::string m_line;
    Pending m_pending;
    long long m_frames = 0, m_bytes = 0, m_positionUs = 0;
};

int64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Takes "-callback_window" and "-callback_context" out of the list; false on a value that is
// not a number.
bool TakeToolOptions(TokenList& tokens, HWND& window, int64_t& context)
{
    for (size_t i = 0; i < tokens.size();) {
        const Token& t = tokens[i];
        if (t.option != L"callback_window" && t.option != L"callback_context") {
            ++i;
            continue;
        }
        wchar_t* end = nullptr;
        long long value = t.hasValue ? _wcstoi64(t.value.c_str(), &end, 10) : 0;
        if (!t.hasValue || t.value.empty() || !end || *end != 0) {
            Note(L"-" + t.option + L" needs a decimal number");
            return false;
        }
        if (t.option == L"callback_window")
            window = reinterpret_cast<HWND>(static_cast<intptr_t>(value));
        else
            context = value;
        tokens.erase(tokens.begin() + i);
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Without arguments the tool only warms up and ends at once, as the probe tool does.
    if (argc < 2)
        return 0;
    TokenList tokens = Tokenize(std::vector<std::wstring>(argv + 1, argv + argc));
    HWND window = nullptr;
    int64_t context = 0;
    if (!TakeToolOptions(tokens, window, context))
        return kExitRefused;
    Reporter reporter(window, context);
    ProgressBlock block = {};

    auto fail = [&](int code, const std::wstring& message) {
        Note(message);
        reporter.Send(kRecordEnded, block, code);
        return code;
    };

    std::wstring ffmpeg = tooldetail::FindBeside(L"ffmpeg.exe");
    if (ffmpeg.empty())
        return fail(kExitMissingFfmpeg, L"ffmpeg.exe was not found in " + tooldetail::ModuleFolder() +
                                            L" or its ffmpeg folder");

    TranslateResult translation = TranslateOptions(tokens, tooldetail::ModuleFolder() + L"Presets\\");
    for (const std::wstring& n : translation.notes)
        Note(n);
    if (!translation.ok)
        return fail(kExitRefused, translation.error);

    // The records carry the expected length, and the encode's own log describes the inputs before
    // it starts: a look of its own at the inputs is needed only to choose streams before the encode,
    // or where the log level hides that description.
    ProbedMedia media;
    bool durationFromLog = reporter.Active() && !MayNeedAutomaticMaps(tokens) && LogShowsInputDump(tokens);
    if ((reporter.Active() && !durationFromLog) || MayNeedAutomaticMaps(tokens)) {
        std::string log;
        RunCaptured(ffmpeg, JoinCommandLine(ProbeArguments(tokens)), kProbeTimeoutMs, log);
        media = ParseInputDump(log);
    }
    if (MayNeedAutomaticMaps(tokens)) {
        MuxerDefaults muxer;
        std::wstring format = OutputFormat(tokens);
        if (!format.empty()) {
            std::string help;
            RunCaptured(ffmpeg, L"-hide_banner -h " + QuoteArgument(L"muxer=" + format), kProbeTimeoutMs, help);
            muxer = ParseMuxerHelp(help);
        }
        std::vector<std::wstring> notes;
        AddAutomaticMaps(tokens, media, format.empty() ? nullptr : &muxer, notes);
        for (const std::wstring& n : notes)
            Note(n);
    }
    const TokenList cutTokens = tokens;
    block.totalDurationUs = ExpectedDurationUs(cutTokens, media);

    size_t outputIndex = OutputPathIndex(tokens);
    std::wstring outputPath = outputIndex == std::wstring::npos ? std::wstring() : tokens[outputIndex].value;
    bool progressPipe = reporter.Active() && !OutputIsStdout(tokens);
    if (progressPipe)
        tokens.insert(tokens.begin(), MakeOption(L"progress", L"pipe:1"));
    std::wstring args = JoinCommandLine(Flatten(tokens));
    Note(L"ffmpeg " + args);

    ProgressReader progress;
    ChildProcess child;
    ChildProcess::Setup setup;
    setup.stdinPipe = !InputIsStdin(tokens);
    if (progressPipe)
        setup.onOutput = [&progress](const char* data, size_t size) { progress.Feed(data, size); };
    // ffmpeg's log passes on to the tool's own standard error as it comes, and is read until the
    // first input's duration stands in it.
    std::string inputDump;
    bool described = !durationFromLog;
    if (durationFromLog) {
        setup.onError = [&](const char* data, size_t size) {
            PassOnError(data, size);
            if (described)
                return;
            inputDump.append(data, size);
            if (FirstInputDescribed(inputDump)) {
                described = true;
                media = ParseInputDump(inputDump);
                block.totalDurationUs = ExpectedDurationUs(cutTokens, media);
                inputDump.clear();
            }
        };
    }
    if (!child.Start(ffmpeg, args, setup)) {
        wchar_t buf[64];
        swprintf(buf, 64, L" (error %lu)", GetLastError());
        return fail(kExitMissingFfmpeg, L"cannot start " + ffmpeg + buf);
    }
    const DWORD startTick = GetTickCount();

    auto refresh = [&]() {
        progress.Snapshot(block);
        int64_t onDisk = FileSize(outputPath);
        if (onDisk > block.bytesWritten)
            block.bytesWritten = onDisk;
    };
    bool stopping = false;
    DWORD stopAsked = 0;
    auto stop = [&]() {
        stopping = true;
        stopAsked = GetTickCount();
        // "q" is ffmpeg's own key for ending cleanly: it flushes the encoders and closes the file.
        if (!setup.stdinPipe || !child.WriteInput("q"))
            child.Terminate(kExitStopped);
        Note(L"stop asked by the callback window");
    };

    // The started record waits for the duration; an ffmpeg that ends first (an input it cannot
    // open) has said all it knows. One whose inputs take longer to open than a probe was given
    // starts without it and sends it with the next progress once it is there.
    for (DWORD waited = GetTickCount(); !described && GetTickCount() - waited < kProbeTimeoutMs;) {
        if (child.Wait(kDescribePollMs))
            break;
    }
    if (!described)
        block.totalDurationUs = ExpectedDurationUs(cutTokens, ParseInputDump(inputDump));
    if (reporter.Send(kRecordStarted, block) == 1)
        stop();
    // The first progress keeps its time from the start of ffmpeg: waiting for the description does
    // not put the reports, and so a stop asked in reply to them, later in the encode.
    DWORD sinceStart = GetTickCount() - startTick;
    DWORD firstWait = sinceStart >= kReportIntervalMs ? 0 : kReportIntervalMs - sinceStart;
    for (DWORD wait = firstWait; !child.Wait(wait); wait = kReportIntervalMs) {
        if (stopping) {
            if (GetTickCount() - stopAsked >= kStopGraceMs) {
                Note(L"ffmpeg did not end after the stop; ending it");
                child.Terminate(kExitStopped);
            }
            continue;
        }
        refresh();
        if (reporter.Send(kRecordProgress, block) == 1)
            stop();
    }
    int code = static_cast<int>(child.Finish());
    if (stopping)
        code = kExitStopped;
    refresh();
    reporter.Send(kRecordEnded, block, code);
    return code;
}
