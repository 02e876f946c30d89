// The option translations of the encoder tool. Each rule works on the token list in place and
// leaves every option it does not know to ffmpeg unchanged.
#include "tools/encoder/translate.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace velkor {

namespace {

const size_t npos = std::wstring::npos;

bool IsCodecOption(const Token& t)
{
    std::wstring base = t.Base();
    return t.hasValue && !t.IsBare() &&
           (base == L"c" || base == L"codec" || base == L"acodec" || base == L"vcodec" ||
            base == L"scodec");
}

// The stream kind a codec option applies to: 'v', 'a', 's', or 0 for every kind.
wchar_t CodecOptionKind(const Token& t)
{
    std::wstring base = t.Base();
    if (base == L"acodec")
        return L'a';
    if (base == L"vcodec")
        return L'v';
    if (base == L"scodec")
        return L's';
    std::wstring specifier = t.Specifier();
    if (specifier.empty())
        return 0;
    return specifier[0] == L'V' ? L'v' : specifier[0];
}

// Whether the output side names an encoder for this kind of stream.
bool OutputCodecGiven(const TokenList& tokens, wchar_t kind, std::wstring* name = nullptr)
{
    bool given = false;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (!IsCodecOption(t))
            continue;
        wchar_t k = CodecOptionKind(t);
        if (k == 0 || k == kind) {
            given = true;
            if (name)
                *name = t.value;
        }
    }
    return given;
}

// Encoders of the catalogue that this ffmpeg build lacks: a close native one, or none (refused).
struct MissingEncoder {
    const wchar_t* name;
    const wchar_t* replacement;
};
const MissingEncoder kMissingEncoders[] = {
    {L"libfdk_aac", L"aac"},
    {L"libilbc", nullptr},
    {L"libgsm_ms", nullptr},
    {L"libgsm", nullptr},
};

// Profiles that only the Fraunhofer encoder has; the native one refuses them.
const wchar_t* const kFdkOnlyProfiles[] = {L"aac_he", L"aac_he_v2", L"aac_ld", L"aac_eld"};

bool MapEncoders(TokenList& tokens, TranslateResult& r)
{
    bool fdkMapped = false;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (!IsCodecOption(t))
            continue;
        for (const MissingEncoder& m : kMissingEncoders) {
            if (t.value != m.name)
                continue;
            if (!m.replacement) {
                r.ok = false;
                r.error = L"the encoder '" + t.value +
                          L"' is not available in this build of ffmpeg and has no replacement; "
                          L"choose another codec";
                return false;
            }
            r.notes.push_back(L"encoder '" + t.value + L"' replaced by '" + m.replacement + L"'");
            t.value = m.replacement;
            fdkMapped = true;
        }
    }
    if (!fdkMapped)
        return true;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size();) {
        const Token& t = tokens[i];
        bool drop = false;
        if (t.Base() == L"profile" && t.hasValue && !t.Specifier().empty() && SpecSelectsKind(t.Specifier(), L'a'))
            for (const wchar_t* p : kFdkOnlyProfiles)
                drop = drop || t.value == p;
        if (drop) {
            r.notes.push_back(L"profile '" + t.value + L"' dropped: the native AAC encoder lacks it");
            tokens.erase(tokens.begin() + i);
        } else {
            ++i;
        }
    }
    return true;
}

std::wstring Trim(const std::wstring& s)
{
    size_t b = s.find_first_not_of(L" \t\r\n");
    if (b == npos)
        return std::wstring();
    size_t e = s.find_last_not_of(L" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool ReadTextFile(const std::wstring& path, std::string& text)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char buf[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof(buf), &got, nullptr) != FALSE) && got > 0)
        text.append(buf, got);
    CloseHandle(h);
    return ok;
}

// "-pre:v NAME" becomes the options of Presets\NAME.ffpreset, each with the stream kind of the
// "-pre". An option that the command line already gives for that kind wins over the preset.
bool ExpandPresets(TokenList& tokens, const std::wstring& folder, TranslateResult& r)
{
    const TokenList original = tokens;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i) {
        const Token t = tokens[i];
        std::wstring base = t.Base(), specifier = t.Specifier();
        if (base == L"vpre" || base == L"apre" || base == L"spre") {
            specifier = std::wstring(1, base[0]);
            base = L"pre";
        }
        if (base != L"pre" || !t.hasValue)
            continue;
        const std::wstring& name = t.value;
        if (name.empty() || name.find_first_of(L"\\/:") != npos || name.find(L"..") != npos) {
            r.ok = false;
            r.error = L"the preset name '" + name + L"' is not a plain name";
            return false;
        }
        std::wstring path = folder + name + L".ffpreset";
        std::string text;
        if (!ReadTextFile(path, text)) {
            r.ok = false;
            r.error = L"the preset '" + name + L"' was not found (" + path + L")";
            return false;
        }
        if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text.erase(0, 3);
        wchar_t kind = specifier.empty() ? 0 : (specifier[0] == L'V' ? L'v' : specifier[0]);
        TokenList expansion;
        std::wstring all = Widen(text);
        size_t pos = 0;
        while (pos <= all.size()) {
            size_t end = all.find(L'\n', pos);
            std::wstring line = Trim(all.substr(pos, end == npos ? npos : end - pos));
            pos = end == npos ? all.size() + 1 : end + 1;
            if (line.empty() || line[0] == L'#')
                continue;
            size_t eq = line.find(L'=');
            if (eq == npos || eq == 0) {
                r.ok = false;
                r.error = L"the preset file " + path + L" has a line that is not option=value: " + line;
                return false;
            }
            std::wstring key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
            std::wstring option;
            if (key == L"vcodec" || key == L"acodec" || key == L"scodec")
                option = L"codec:" + key.substr(0, 1);
            else
                option = specifier.empty() ? key : key + L":" + specifier;
            std::wstring optionBase = Token{option, L"", false}.Base();
            bool explicitlyGiven = false;
            for (size_t j = OutputPartBegin(original); j < original.size(); ++j) {
                const Token& o = original[j];
                if (o.IsBare() || o.Base() != optionBase)
                    continue;
                if (kind == 0 || o.Specifier().empty() || SpecSelectsKind(o.Specifier(), kind))
                    explicitlyGiven = true;
            }
            if (!explicitlyGiven)
                expansion.push_back(MakeOption(option, value));
        }
        r.notes.push_back(L"preset '" + name + L"' read from " + path);
        tokens.erase(tokens.begin() + i);
        tokens.insert(tokens.begin() + i, expansion.begin(), expansion.end());
        i += expansion.size();
        --i;
    }
    return true;
}

struct Label {
    size_t pos;       // of the '['
    size_t length;    // with both brackets
    std::wstring name;
};

// The link labels of a filter graph, outside quoted text.
std::vector<Label> GraphLabels(const std::wstring& graph)
{
    std::vector<Label> labels;
    bool quoted = false;
    for (size_t i = 0; i < graph.size(); ++i) {
        wchar_t c = graph[i];
        if (c == L'\\') {
            ++i;
            continue;
        }
        if (c == L'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || c != L'[')
            continue;
        size_t close = graph.find(L']', i);
        if (close == npos)
            break;
        labels.push_back({i, close - i + 1, graph.substr(i + 1, close - i - 1)});
        i = close;
    }
    return labels;
}

// Whether a label names a stream of an input of this kind: "0:v", "0:v:0", for video also "0".
bool IsInputLabel(const std::wstring& name, wchar_t kind, int& input)
{
    size_t i = 0;
    while (i < name.size() && iswdigit(name[i]))
        ++i;
    if (i == 0)
        return false;
    input = _wtoi(name.substr(0, i).c_str());
    if (i == name.size())
        return kind == L'v';
    if (name[i] != L':' || i + 1 >= name.size())
        return false;
    wchar_t k = name[i + 1] == L'V' ? L'v' : name[i + 1];
    if (k != kind)
        return false;
    size_t j = i + 2;
    if (j == name.size())
        return true;
    if (name[j] != L':')
        return false;
    for (++j; j < name.size(); ++j)
        if (!iswdigit(name[j]))
            return false;
    return true;
}

// Puts a stream's own filter chain in front of the graph's use of that input stream, so that the
// chain edits the source picture or sound before the graph does. For video a graph that starts
// without labels reads the first video input, so the chain simply goes first.
bool MergeIntoGraph(std::wstring& graph, const std::wstring& chain, wchar_t kind)
{
    std::vector<Label> labels = GraphLabels(graph);
    size_t first = graph.find_first_not_of(L" \t");
    if (kind == L'v' && first != npos && graph[first] != L'[') {
        graph = chain + L"," + graph.substr(first);
        return true;
    }
    const Label* use = nullptr;
    for (int pass = 0; pass < 2 && !use; ++pass) {
        for (const Label& l : labels) {
            int input = -1;
            if (IsInputLabel(l.name, kind, input) && (pass == 1 || input == 0)) {
                use = &l;
                break;
            }
        }
    }
    if (!use)
        return false;
    const std::wstring link = kind == L'v' ? L"[velkor_v]" : L"[velkor_a]";
    std::wstring source = graph.substr(use->pos, use->length);
    graph = source + chain + link + L";" + graph.substr(0, use->pos) + link +
            graph.substr(use->pos + use->length);
    return true;
}

// One "-filter:v" and one "-filter:a" with every chain of the command line in order (ffmpeg
// itself would keep only the last), "-vol" as the first audio filter, and the chains taken into
// the filter graph where the graph feeds that stream (ffmpeg refuses both for one stream).
bool MergeFilters(TokenList& tokens, TranslateResult& r)
{
    std::wstring video, audio;
    size_t videoAt = npos, audioAt = npos;
    std::wstring volume;
    size_t graphAt = npos;
    TokenList kept;
    size_t outputBegin = OutputPartBegin(tokens);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        bool output = i >= outputBegin;
        if (output && t.hasValue && (t.option == L"filter:v" || t.option == L"vf")) {
            if (videoAt == npos)
                videoAt = kept.size();
            video += (video.empty() ? L"" : L",") + t.value;
            continue;
        }
        if (output && t.hasValue && (t.option == L"filter:a" || t.option == L"af")) {
            if (audioAt == npos)
                audioAt = kept.size();
            audio += (audio.empty() ? L"" : L",") + t.value;
            continue;
        }
        if (t.option == L"vol" && t.hasValue) {
            wchar_t* end = nullptr;
            long level = wcstol(t.value.c_str(), &end, 10);
            if (end && *end == 0 && !t.value.empty() && level >= 0) {
                if (audioAt == npos)
                    audioAt = kept.size();
                wchar_t buf[64];
                swprintf(buf, 64, L"volume=%.6g", level / 256.0);
                volume = buf;
                continue;
            }
        }
        if ((t.option == L"filter_complex" || t.option == L"lavfi") && t.hasValue && graphAt == npos)
            graphAt = kept.size();
        kept.push_back(t);
    }
    if (!volume.empty()) {
        audio = audio.empty() ? volume : volume + L"," + audio;
        r.notes.push_back(L"-vol written as the audio filter " + volume);
    }
    if (graphAt != npos) {
        std::wstring& graph = kept[graphAt].value;
        if (!video.empty()) {
            if (!MergeIntoGraph(graph, video, L'v')) {
                r.ok = false;
                r.error = L"the video filters '" + video +
                          L"' cannot be joined to the filter graph: it reads no video input";
                return false;
            }
            r.notes.push_back(L"video filters joined to the filter graph");
            video.clear();
        }
        if (!audio.empty() && MergeIntoGraph(graph, audio, L'a')) {
            r.notes.push_back(L"audio filters joined to the filter graph");
            audio.clear();
        }
    }
    // Insert the later position first so that the earlier one stays valid.
    struct Insertion {
        size_t at;
        Token token;
    };
    Insertion ins[2] = {{videoAt, MakeOption(L"filter:v", video)}, {audioAt, MakeOption(L"filter:a", audio)}};
    if (ins[0].at != npos && ins[1].at != npos && ins[0].at < ins[1].at)
        std::swap(ins[0], ins[1]);
    for (const Insertion& in : ins)
        if (in.at != npos && !in.token.value.empty())
            kept.insert(kept.begin() + in.at, in.token);
    tokens = kept;
    return true;
}

std::wstring FileNamePart(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == npos ? path : path.substr(slash + 1);
}

// A frame grab to a name without an extension (a temporary file) gets a baseline JPEG: image2
// would otherwise guess the codec from the extension it does not have.
void GrabToJpeg(TokenList& tokens, TranslateResult& r)
{
    if (OutputFormat(tokens) != L"image2")
        return;
    size_t path = OutputPathIndex(tokens);
    if (path == npos)
        return;
    std::wstring name = FileNamePart(tokens[path].value);
    if (name.empty() || name.find(L'.') != npos || name.find(L'%') != npos)
        return;
    if (!OutputCodecGiven(tokens, L'v')) {
        tokens.insert(tokens.begin() + OutputInsertPoint(tokens), MakeOption(L"codec:v", L"mjpeg"));
        r.notes.push_back(L"frame grab without an extension written as JPEG");
    }
    // One name holds one picture: later frames replace it rather than failing on a missing "%d".
    if (Find(tokens, L"update", OutputPartBegin(tokens)) == npos)
        tokens.insert(tokens.begin() + OutputInsertPoint(tokens), MakeOption(L"update", L"1"));
}

// ffmpeg asks on its standard input before overwriting, which would wait forever on our pipe:
// without "-y" an existing output is refused instead.
void NeverAsk(TokenList& tokens, TranslateResult& r)
{
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].option == L"nostdin") {
            // The tool's own pipe never blocks ffmpeg and is how a stop reaches it.
            tokens.erase(tokens.begin() + i);
        } else {
            ++i;
        }
    }
    if (!HasSwitch(tokens, L"y") && !HasSwitch(tokens, L"n")) {
        tokens.insert(tokens.begin(), MakeSwitch(L"n"));
        r.notes.push_back(L"no -y: an existing output file is not overwritten");
    }
}

bool SwitchedOff(const TokenList& tokens, wchar_t kind)
{
    const wchar_t* off = kind == L'v' ? L"vn" : kind == L'a' ? L"an" : L"sn";
    return Find(tokens, off, OutputPartBegin(tokens)) != npos;
}

std::vector<size_t> MapIndices(const TokenList& tokens)
{
    std::vector<size_t> maps;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i)
        if (tokens[i].option == L"map" && tokens[i].hasValue)
            maps.push_back(i);
    return maps;
}

bool HasGraph(const TokenList& tokens)
{
    return Find(tokens, L"filter_complex") != npos || Find(tokens, L"lavfi") != npos ||
           Find(tokens, L"filter_complex_script") != npos;
}

// Whether a "-map" value takes streams of this kind.
bool MapCovers(const std::wstring& value, wchar_t kind, const ProbedMedia& media)
{
    std::wstring m = value.substr(0, value.find(L','));
    if (m.empty() || m[0] == L'-' || m[0] == L'[')
        return false;
    if (m.back() == L'?')
        m.pop_back();
    size_t i = 0;
    while (i < m.size() && iswdigit(m[i]))
        ++i;
    if (i == 0)
        return false;
    int input = _wtoi(m.substr(0, i).c_str());
    if (i == m.size()) {
        for (const ProbedStream& s : media.streams)
            if (s.input == input && s.kind == kind)
                return true;
        return false;
    }
    if (m[i] != L':' || i + 1 >= m.size())
        return false;
    wchar_t c = m[i + 1];
    if (iswdigit(c)) {
        const ProbedStream* s = media.Find(input, _wtoi(m.c_str() + i + 1));
        return s && s->kind == kind;
    }
    return (c == L'V' ? L'v' : c) == kind;
}

}  // namespace

TranslateResult TranslateOptions(TokenList& tokens, const std::wstring& presetsFolder)
{
    TranslateResult r;
    if (!MapEncoders(tokens, r) || !ExpandPresets(tokens, presetsFolder, r) || !MergeFilters(tokens, r))
        return r;
    GrabToJpeg(tokens, r);
    NeverAsk(tokens, r);
    return r;
}

std::wstring OutputFormat(const TokenList& tokens)
{
    std::wstring format;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i)
        if (tokens[i].option == L"f" && tokens[i].hasValue)
            format = tokens[i].value;
    return format;
}

bool MayNeedAutomaticMaps(const TokenList& tokens)
{
    if (MapIndices(tokens).empty() || HasGraph(tokens))
        return false;
    return !SwitchedOff(tokens, L'v') || !SwitchedOff(tokens, L'a') || !SwitchedOff(tokens, L's');
}

void AddAutomaticMaps(TokenList& tokens, const ProbedMedia& media, const MuxerDefaults* muxer,
                      std::vector<std::wstring>& notes)
{
    if (!MayNeedAutomaticMaps(tokens))
        return;
    // Decided before any map is added, while the indices still hold.
    bool coveredKind[3] = {false, false, false};
    const wchar_t kinds[3] = {L'v', L'a', L's'};
    for (size_t i : MapIndices(tokens))
        for (int k = 0; k < 3; ++k)
            coveredKind[k] = coveredKind[k] || MapCovers(tokens[i].value, kinds[k], media);
    std::wstring subtitleEncoder;
    bool subtitleCodecGiven = OutputCodecGiven(tokens, L's', &subtitleEncoder);
    bool known = muxer && muxer->known;
    bool takesVideo = !known || !muxer->videoCodec.empty();
    bool takesAudio = !known || !muxer->audioCodec.empty();
    bool takesSubtitles = subtitleCodecGiven || (known && !muxer->subtitleCodec.empty());
    if (!subtitleCodecGiven && known)
        subtitleEncoder = Widen(muxer->subtitleCodec);

    // ffmpeg's own choice: the largest picture (an attached cover counts as tiny), the most
    // channels, the first subtitle stream of a nature the encoder can take; ties go to the first.
    const ProbedStream* video = nullptr;
    const ProbedStream* audio = nullptr;
    const ProbedStream* subtitle = nullptr;
    long long bestArea = 0;
    int bestChannels = 0;
    int encoderNature = subtitleCodecGiven ? 0 : SubtitleNature(Narrow(subtitleEncoder));
    for (const ProbedStream& s : media.streams) {
        if (s.kind == L'v') {
            long long area = (s.attachedPicture ? 1 : static_cast<long long>(s.width) * s.height) + 1;
            if (area > bestArea) {
                bestArea = area;
                video = &s;
            }
        } else if (s.kind == L'a') {
            if (s.channels + 1 > bestChannels) {
                bestChannels = s.channels + 1;
                audio = &s;
            }
        } else if (s.kind == L's' && !subtitle) {
            int nature = SubtitleNature(s.codec);
            if (subtitleCodecGiven || nature == 0 || encoderNature == 0 || nature == encoderNature)
                subtitle = &s;
        }
    }
    struct Choice {
        wchar_t kind;
        bool takes;
        const ProbedStream* stream;
        bool covered;
    } choices[] = {{L'v', takesVideo, video, coveredKind[0]},
                   {L'a', takesAudio, audio, coveredKind[1]},
                   {L's', takesSubtitles, subtitle, coveredKind[2]}};
    for (const Choice& c : choices) {
        if (!c.takes || !c.stream || c.covered || SwitchedOff(tokens, c.kind))
            continue;
        wchar_t value[32];
        swprintf(value, 32, L"%d:%d", c.stream->input, c.stream->index);
        // Video first, as ffmpeg orders its automatic streams; the others after the given maps.
        std::vector<size_t> now = MapIndices(tokens);
        size_t at = c.kind == L'v' ? now.front() : now.back() + 1;
        tokens.insert(tokens.begin() + at, MakeOption(L"map", value));
        notes.push_back(std::wstring(L"automatic ") + (c.kind == L'v' ? L"video" : c.kind == L'a' ? L"audio" : L"subtitle") +
                        L" stream kept: -map " + value);
    }
}

bool LogShowsInputDump(const TokenList& tokens)
{
    static const struct {
        const wchar_t* name;
        int level;
    } kLevels[] = {{L"quiet", -8}, {L"panic", 0}, {L"fatal", 8}, {L"error", 16}, {L"warning", 24},
                   {L"info", 32}, {L"verbose", 40}, {L"debug", 48}, {L"trace", 56}};
    const int kInfo = 32;
    int level = kInfo;
    for (const Token& t : tokens) {
        if ((t.option != L"v" && t.option != L"loglevel") || !t.hasValue)
            continue;
        // "repeat+warning", "+repeat", "warning", "24": flags beside at most one level. The "level"
        // flag starts every line with its level, which no longer reads as the description.
        std::wstring value = t.value;
        size_t start = 0;
        while (start <= value.size()) {
            size_t plus = value.find(L'+', start);
            std::wstring part = value.substr(start, plus == npos ? npos : plus - start);
            start = plus == npos ? value.size() + 1 : plus + 1;
            if (part == L"level")
                return false;
            if (part.empty() || part == L"repeat")
                continue;
            bool known = false;
            for (const auto& l : kLevels)
                if (part == l.name) {
                    level = l.level;
                    known = true;
                }
            if (!known) {
                wchar_t* end = nullptr;
                long n = wcstol(part.c_str(), &end, 10);
                if (!end || *end != 0)
                    return false;
                level = static_cast<int>(n);
            }
        }
    }
    return level >= kInfo;
}

std::vector<std::wstring> ProbeArguments(const TokenList& tokens)
{
    TokenList part;
    static const wchar_t* const kDropped[] = {L"v", L"loglevel", L"y", L"n", L"progress", L"stdin",
                                              L"nostdin", L"report", L"stats", L"nostats",
                                              L"hide_banner"};
    size_t end = OutputPartBegin(tokens);
    for (size_t i = 0; i < end; ++i) {
        bool drop = false;
        for (const wchar_t* d : kDropped)
            drop = drop || tokens[i].option == d;
        if (!drop)
            part.push_back(tokens[i]);
    }
    std::vector<std::wstring> args = {L"-hide_banner", L"-nostdin", L"-loglevel", L"info"};
    for (const std::wstring& a : Flatten(part))
        args.push_back(a);
    return args;
}

int64_t ExpectedDurationUs(const TokenList& tokens, const ProbedMedia& media)
{
    int64_t total = media.durationsUs.empty() ? -1 : media.durationsUs[0];
    size_t firstInput = Find(tokens, L"i");
    size_t outputBegin = OutputPartBegin(tokens);
    auto cut = [&](size_t from, size_t to) {
        int64_t start = 0, length = 0, t = 0;
        for (size_t i = from; i < to && i < tokens.size(); ++i) {
            if (tokens[i].option == L"ss" && ParseTimeUs(tokens[i].value, t))
                start = t;
            else if (tokens[i].option == L"t" && ParseTimeUs(tokens[i].value, t))
                length = t;
        }
        if (total >= 0 && start > 0)
            total = total > start ? total - start : 0;
        if (length > 0)
            total = total >= 0 && total < length ? total : length;
    };
    if (firstInput != npos) {
        // The options of the first input stand between the previous "-i" (none) and its own.
        cut(0, firstInput);
    }
    cut(outputBegin, tokens.size());
    return total > 0 ? total : 0;
}

bool OutputIsStdout(const TokenList& tokens)
{
    size_t path = OutputPathIndex(tokens);
    if (path == npos)
        return false;
    const std::wstring& p = tokens[path].value;
    return p == L"-" || p == L"pipe:" || p == L"pipe:1";
}

bool InputIsStdin(const TokenList& tokens)
{
    for (const Token& t : tokens)
        if (t.option == L"i" && (t.value == L"-" || t.value == L"pipe:" || t.value == L"pipe:0"))
            return true;
    return false;
}

}  // namespace velkor
