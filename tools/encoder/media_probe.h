// What ffmpeg says about the inputs and the output format before the encode: durations and
// streams from its input dump, the default codecs of a muxer from its help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

struct ProbedStream {
    int input = 0;
    int index = 0;
    wchar_t kind = 0;  // 'v', 'a', 's', 'd' or 't'
    int width = 0, height = 0;
    bool attachedPicture = false;
    int channels = 0;
    std::string codec;
};

struct ProbedMedia {
    std::vector<int64_t> durationsUs;  // per input; -1 when ffmpeg gives none
    std::vector<ProbedStream> streams;

    const ProbedStream* Find(int input, int index) const;
};

// Parses the "Input #n" blocks of ffmpeg's log.
ProbedMedia ParseInputDump(const std::string& log);

// Whether the complete lines of a log that is still being written already give the first input's
// duration, or have gone past the inputs (then ffmpeg gives none).
bool FirstInputDescribed(const std::string& log);

struct MuxerDefaults {
    bool known = false;  // false: the help text named no muxer
    std::string videoCodec, audioCodec, subtitleCodec;  // empty: the muxer takes no such stream
};

// Parses the text of "ffmpeg -h muxer=NAME".
MuxerDefaults ParseMuxerHelp(const std::string& help);

// Whether a subtitle codec carries text (1), pictures (2), or is not known here (0).
int SubtitleNature(const std::string& codec);

}  // namespace velkor
