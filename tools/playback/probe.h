// What the tool needs to know about a file before playing it, read from ffprobe's JSON.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace drumlin {

struct StreamFacts {
    int index = -1;
    std::string type;  // "video", "audio", "subtitle", ...
    std::string codec;
    int width = 0, height = 0;
    int aspectNum = 0, aspectDen = 0;  // display aspect ratio, 0 when unknown
    int rateNum = 0, rateDen = 0;      // frame rate, 0 when unknown
    int sampleRate = 0, channels = 0;
    bool attachedPicture = false;      // cover art: a still, not a video to play
    bool defaultTrack = false;         // the file marks it as the one to show or play by default
};

struct MediaFacts {
    std::string formatName;
    int64_t durationInUs = 0;
    std::vector<StreamFacts> streams;
};

// Runs ffprobe on the file: 0 with the facts, -1 when ffprobe fails, times out or the output is
// not what it should be.
int ProbeMedia(const std::wstring& ffprobe, const std::wstring& path, HANDLE job, MediaFacts* out);

// Parses ffprobe's "-print_format json -show_format -show_streams" output.
bool ParseProbeJson(const std::string& json, MediaFacts* out);

}  // namespace drumlin
