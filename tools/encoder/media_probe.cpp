// Reading ffmpeg's input dump and muxer help. The texts are ffmpeg's stable log formats:
// "Input #0, ...", "  Duration: 00:00:03.02, ...", "    Stream #0:1(und): Audio: aac ..., stereo, ...".
#include "tools/encoder/media_probe.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace velkor {

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

int64_t ParseClock(const char* p)
{
    int h = 0, m = 0, s = 0, cs = 0;
    if (sscanf(p, "%d:%d:%d.%d", &h, &m, &s, &cs) != 4)
        return -1;
    return ((static_cast<int64_t>(h) * 60 + m) * 60 + s) * 1000000 + static_cast<int64_t>(cs) * 10000;
}

// The picture size of a video stream line: the first "WxH" whose width does not start with 0
// (which keeps codec tags such as "0x31637661" out).
void ParseSize(const std::string& rest, int& width, int& height)
{
    for (size_t i = 0; i < rest.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(rest[i])) || rest[i] == '0')
            continue;
        if (i > 0 && isalnum(static_cast<unsigned char>(rest[i - 1])))
            continue;
        size_t j = i;
        while (j < rest.size() && isdigit(static_cast<unsigned char>(rest[j])))
            ++j;
        if (j >= rest.size() || rest[j] != 'x') {
            i = j;
            continue;
        }
        size_t k = j + 1;
        while (k < rest.size() && isdigit(static_cast<unsigned char>(rest[k])))
            ++k;
        if (k == j + 1 || (k < rest.size() && isalnum(static_cast<unsigned char>(rest[k])))) {
            i = k;
            continue;
        }
        width = atoi(rest.c_str() + i);
        height = atoi(rest.c_str() + j + 1);
        return;
    }
}

struct Layout {
    const char* name;
    int channels;
};

// ffmpeg's channel layout names; "N channels" is read as a number.
const Layout kLayouts[] = {
    {"mono", 1}, {"stereo", 2}, {"2.1", 3}, {"3.0", 3}, {"3.0(back)", 3}, {"4.0", 4},
    {"quad", 4}, {"quad(side)", 4}, {"3.1", 4}, {"5.0", 5}, {"5.0(side)", 5}, {"4.1", 5},
    {"5.1", 6}, {"5.1(side)", 6}, {"6.0", 6}, {"6.0(front)", 6}, {"hexagonal", 6}, {"6.1", 7},
    {"6.1(back)", 7}, {"6.1(front)", 7}, {"7.0", 7}, {"7.0(front)", 7}, {"7.1", 8},
    {"7.1(wide)", 8}, {"7.1(wide-side)", 8}, {"octagonal", 8}, {"hexadecagonal", 16},
    {"downmix", 2},
};

int ParseChannels(const std::string& rest)
{
    // "..., 44100 Hz, stereo, fltp, ..."
    size_t hz = rest.find(" Hz, ");
    if (hz == std::string::npos)
        return 0;
    size_t start = hz + 5;
    size_t end = rest.find(',', start);
    std::string layout = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (const Layout& l : kLayouts)
        if (layout == l.name)
            return l.channels;
    int n = atoi(layout.c_str());
    return layout.find(" channels") != std::string::npos ? n : 0;
}

std::string FirstWord(const std::string& text)
{
    size_t end = 0;
    while (end < text.size() && (isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' || text[end] == '-'))
        ++end;
    return text.substr(0, end);
}

}  // namespace

const ProbedStream* ProbedMedia::Find(int input, int index) const
{
    for (const ProbedStream& s : streams)
        if (s.input == input && s.index == index)
            return &s;
    return nullptr;
}

ProbedMedia ParseInputDump(const std::string& log)
{
    ProbedMedia media;
    int current = -1;
    for (const std::string& line : Lines(log)) {
        int input = 0;
        if (sscanf(line.c_str(), "Input #%d", &input) == 1) {
            current = input;
            if (static_cast<int>(media.durationsUs.size()) <= input)
                media.durationsUs.resize(input + 1, -1);
            continue;
        }
        if (line.compare(0, 6, "Output") == 0) {
            current = -1;
            continue;
        }
        if (current < 0)
            continue;
        // The block's own line, not a metadata tag or chapter that mentions a duration.
        if (line.compare(0, 12, "  Duration: ") == 0) {
            media.durationsUs[current] = ParseClock(line.c_str() + 12);
            continue;
        }
        size_t st = line.find("Stream #");
        if (st == std::string::npos)
            continue;
        ProbedStream s;
        if (sscanf(line.c_str() + st, "Stream #%d:%d", &s.input, &s.index) != 2)
            continue;
        static const struct {
            const char* word;
            wchar_t kind;
        } kKinds[] = {{": Video: ", L'v'}, {": Audio: ", L'a'}, {": Subtitle: ", L's'},
                      {": Data: ", L'd'}, {": Attachment: ", L't'}};
        for (const auto& k : kKinds) {
            size_t at = line.find(k.word, st);
            if (at == std::string::npos)
                continue;
            std::string rest = line.substr(at + strlen(k.word));
            s.kind = k.kind;
            s.codec = FirstWord(rest);
            if (s.kind == L'v') {
                ParseSize(rest, s.width, s.height);
                s.attachedPicture = rest.find("(attached pic)") != std::string::npos;
            } else if (s.kind == L'a') {
                s.channels = ParseChannels(rest);
            }
            break;
        }
        if (s.kind)
            media.streams.push_back(s);
    }
    return media;
}

bool FirstInputDescribed(const std::string& log)
{
    // A line still being written may hold half a duration.
    size_t complete = log.find_last_of("\r\n");
    if (complete == std::string::npos)
        return false;
    bool inFirst = false;
    for (const std::string& line : Lines(log.substr(0, complete))) {
        if (line.compare(0, 8, "Input #0") == 0)
            inFirst = true;
        else if (inFirst && line.compare(0, 12, "  Duration: ") == 0)
            return true;
        else if (line.compare(0, 8, "Input #1") == 0 || line.compare(0, 8, "Output #") == 0 ||
                 line.compare(0, 15, "Stream mapping:") == 0 || line.compare(0, 9, "Press [q]") == 0)
            return true;
    }
    return false;
}

MuxerDefaults ParseMuxerHelp(const std::string& help)
{
    MuxerDefaults d;
    for (const std::string& line : Lines(help)) {
        if (line.compare(0, 6, "Muxer ") == 0)
            d.known = true;
        static const struct {
            const char* label;
            std::string MuxerDefaults::*field;
        } kFields[] = {{"Default video codec: ", &MuxerDefaults::videoCodec},
                       {"Default audio codec: ", &MuxerDefaults::audioCodec},
                       {"Default subtitle codec: ", &MuxerDefaults::subtitleCodec}};
        for (const auto& f : kFields) {
            size_t at = line.find(f.label);
            if (at != std::string::npos)
                d.*f.field = FirstWord(line.substr(at + strlen(f.label)));
        }
    }
    return d;
}

int SubtitleNature(const std::string& codec)
{
    static const char* const kText[] = {"mov_text", "ass", "ssa", "subrip", "srt", "webvtt",
                                        "text", "microdvd", "sami", "realtext", "jacosub",
                                        "mpl2", "pjs", "stl", "subviewer", "subviewer1", "vplayer"};
    static const char* const kPicture[] = {"dvd_subtitle", "dvdsub", "dvb_subtitle", "dvbsub",
                                           "hdmv_pgs_subtitle", "xsub"};
    for (const char* t : kText)
        if (codec == t)
            return 1;
    for (const char* p : kPicture)
        if (codec == p)
            return 2;
    return 0;
}

}  // namespace velkor
