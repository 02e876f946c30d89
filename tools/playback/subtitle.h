// Text subtitles over the picture: ffmpeg turns the chosen track, whatever its text format
// (SubRip, ASS/SSA, 3GPP timed text, WebVTT and the like), into ASS events that a background
// thread reads; the picture asks for the text showing at a frame's time and draws it itself, so
// the text keeps step with every seek, pause and restart and stays upright over any filter.
#pragma once

#include "tools/playback/child.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace drumlin {

// Rows of the picture a cue goes to, from ASS's numbered alignment (1-3 bottom, 4-6 middle,
// 7-9 top).
enum CaptionRow { kRowBottom = 0, kRowMiddle = 1, kRowTop = 2, kRowCount = 3 };

// Letters are this part of the picture's height unless the track's style says otherwise: the
// size ffmpeg gives a SubRip track (16 on a 288-line script).
constexpr double kDefaultTextHeight = 16.0 / 288.0;

struct SubtitleCue {
    int64_t startUs = 0, endUs = 0;
    CaptionRow row = kRowBottom;
    double textHeight = kDefaultTextHeight;  // letter size as a part of the picture's height
    std::wstring fontName;                   // the style's font; empty for the default
    std::wstring text;                       // plain text, lines split by '\n'
};

// The text showing at one moment: per row, the lines of every cue showing there, in the order
// the cues start, at the largest size any of them asks for, in the first one's font.
struct Caption {
    std::wstring rows[kRowCount];
    double textHeight[kRowCount] = {0, 0, 0};
    std::wstring fontName[kRowCount];
    bool Empty() const { return rows[0].empty() && rows[1].empty() && rows[2].empty(); }
};

// Reads an ASS or SSA document one line at a time.
class AssReader {
public:
    // `line` without its line end; true with `cue` filled for a dialogue line that shows text.
    bool Line(const std::string& line, SubtitleCue* cue);

private:
    struct Style {
        int alignment = 2;
        double fontSize = 0;  // in script lines; 0 unknown
        std::wstring fontName;
    };
    enum Section { kOtherSection, kScriptInfo, kStyles, kEvents };
    Section section_ = kOtherSection;
    bool legacyStyles_ = false;  // SSA numbers its alignments differently
    double playResY_ = 288;      // script lines that the sizes are given in
    std::vector<std::string> styleFormat_, eventFormat_;
    std::map<std::string, Style> styles_;
};

// The text of an event with its override blocks and drawings taken out, "\N" as a line break;
// `alignment` gets the numbered alignment an "\an" or "\a" tag asks for, or keeps its value.
std::wstring PlainEventText(const std::string& utf8, int* alignment);

// Draws a caption over a picture the way subtitles are shown: white letters with a dark
// outline, centred, each row at its edge of the picture, sized to the picture.
class CaptionPainter {
public:
    CaptionPainter() = default;
    ~CaptionPainter();
    CaptionPainter(const CaptionPainter&) = delete;
    CaptionPainter& operator=(const CaptionPainter&) = delete;

    void Draw(HDC dc, const RECT& picture, const Caption& caption);

private:
    HFONT Font(int height, const std::wstring& name);

    HFONT font_ = nullptr;
    int fontHeight_ = 0;
    std::wstring fontName_;
};

class SubtitleTrack {
public:
    SubtitleTrack() = default;
    ~SubtitleTrack();
    SubtitleTrack(const SubtitleTrack&) = delete;
    SubtitleTrack& operator=(const SubtitleTrack&) = delete;

    // Starts reading stream `streamIndex` of `input`; false when ffmpeg cannot be started. A
    // track ffmpeg cannot turn into text (a picture-based one) simply shows nothing.
    bool Start(const std::wstring& ffmpeg, const std::wstring& input, int streamIndex, HANDLE job);
    Caption At(int64_t us);
    // Told on the reader's thread of each cue as it arrives (its start and end), or nobody for an
    // empty function: the picture on show may be one whose text was not known when it was drawn.
    void SetArrival(std::function<void(int64_t startUs, int64_t endUs)> arrival);

private:
    void Run();
    void Add(SubtitleCue cue);

    PipedChild reader_;
    std::thread thread_;
    std::mutex lock_;
    std::vector<SubtitleCue> cues_;  // by start time
    // Apart from lock_: whoever is told takes its own lock, which is held while At() is asked.
    std::mutex arrivalLock_;
    std::function<void(int64_t, int64_t)> arrival_;
};

}  // namespace drumlin
