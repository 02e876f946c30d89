// The playback tool's command line: what to play, how, and where to report.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace drumlin {

struct PlayOptions {
    std::wstring input;
    bool autoExit = false;
    int threads = 0;
    bool inputBuffer = false;
    bool frameDrop = false;
    bool seekToAny = false;
    std::wstring videoDriver, audioDriver;
    // -sync: the sound device leads the clock ("audio", the default), or the system clock does
    // ("video", "ext").
    bool syncToAudio = true;
    bool help = false;
    int64_t startMs = 0;
    int64_t durationMs = -1;
    // Streams are numbered as their index in the file plus 1; 0 or absent picks one.
    int videoStream = 0, audioStream = 0, subtitleStream = 0;
    bool noVideo = false, noAudio = false, noSubtitles = false;
    std::wstring videoFilters, audioFilters;
    bool mute = false;
    int volume = 100;
    int waveEffect = 0, waveBlockSize = 0, waveBlockSpace = -1, waveGradient = 0;
    COLORREF waveColors[3] = {0, 0, 0};
    HWND playWindow = nullptr;
    int64_t context = 0;
};

// Reads the arguments after the program name; false with a message when one is malformed. A
// request for help needs no input.
bool ParseOptions(int argc, wchar_t** argv, PlayOptions* out, std::wstring* error);

// What the tool's options do, for -help.
extern const wchar_t kHelpText[];

// "h:mm:ss.mmm", "mm:ss", "ss.frac" (optionally ending in "s" or "ms") in milliseconds.
bool ParseTimeMs(const std::wstring& text, int64_t* ms);

}  // namespace drumlin
