// The translations that give the encoder's command lines their intended meaning with the ffmpeg
// 4.1 build: filters, volume, presets, encoders it lacks, frame grabs, overwriting, and the
// automatic stream choice that ffmpeg drops as soon as one stream is mapped.
#pragma once

#include "tools/encoder/ffmpeg_args.h"
#include "tools/encoder/media_probe.h"

#include <string>
#include <vector>

namespace velkor {

struct TranslateResult {
    bool ok = true;
    std::wstring error;               // why the command line is refused, when not ok
    std::vector<std::wstring> notes;  // what was changed, for the log
};

// Everything that needs no look at the inputs. presetsFolder ends with a backslash.
TranslateResult TranslateOptions(TokenList& tokens, const std::wstring& presetsFolder);

// ffmpeg's output format ("-f" after the inputs); empty when ffmpeg guesses it from the name.
std::wstring OutputFormat(const TokenList& tokens);

// Whether some streams are mapped while a stream kind is neither mapped nor switched off, so that
// the inputs must be looked at to keep that kind's automatic choice.
bool MayNeedAutomaticMaps(const TokenList& tokens);

// Adds "-map" for each kind (video, audio, subtitles) that is neither mapped nor switched off,
// choosing the stream ffmpeg would have chosen without any "-map". muxer may be null (unknown).
void AddAutomaticMaps(TokenList& tokens, const ProbedMedia& media, const MuxerDefaults* muxer,
                      std::vector<std::wstring>& notes);

// Whether ffmpeg's log level, as the command line sets it, shows the description of the inputs
// in its usual form (level info or more, also when no level is given). False for a level not
// understood here.
bool LogShowsInputDump(const TokenList& tokens);

// The global and input options alone, to have ffmpeg describe the inputs.
std::vector<std::wstring> ProbeArguments(const TokenList& tokens);

// The length of the output in microseconds: the first input's duration cut by the input's and
// the output's start and duration options; 0 when not known.
int64_t ExpectedDurationUs(const TokenList& tokens, const ProbedMedia& media);

// Whether the output goes to the standard output (then it cannot carry progress lines).
bool OutputIsStdout(const TokenList& tokens);
// Whether an input is read from the standard input (then no key can be sent to ffmpeg).
bool InputIsStdin(const TokenList& tokens);

}  // namespace velkor
