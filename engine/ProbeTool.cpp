// The probe tool driver and the reading of its JSON output into a media information record.
#include "engine/ProbeTool.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <json/json.h>

#include "engine/EngineHost.h"
#include "engine/MediaInfo.h"
#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"

namespace {

// A member read as text. Strings, numbers and booleans give their text form and a missing or
// null member gives ""; an array or an object is malformed output (false).
bool ReadText(const Json::Value& object, const char* name, std::string& out)
{
    const Json::Value& v = object[name];
    if (v.isArray() || v.isObject())
        return false;
    out = v.isNull() ? std::string() : v.asString();
    return true;
}

// A member read as a JSON integer; a missing member gives 0. Text, arrays, objects and numbers
// out of range are malformed output (false): the reader would refuse to convert them.
bool ReadInt(const Json::Value& object, const char* name, int& out)
{
    const Json::Value& v = object[name];
    if (!v.isConvertibleTo(Json::intValue))
        return false;
    out = v.asInt();
    return true;
}

// The probe tool writes its JSON in UTF-8, whatever the system's code page.
CString FromUtf8(const std::string& text)
{
    if (text.empty())
        return CString();
    return CString(detail::Widen(text.data(), (int)text.size(), CP_UTF8).c_str());
}

// Rounded, not truncated: "4.023000" is 4022999.99... as a double and must give 4023000.
__int64 SecondsTextToUs(const std::string& text)
{
    return llround(atof(text.c_str()) * 1000000.0);
}

int GreatestCommonDivisor(__int64 a, __int64 b)
{
    while (b != 0) {
        __int64 t = a % b;
        a = b;
        b = t;
    }
    return (int)a;
}

// The display aspect of a video stream: "display_aspect_ratio" when it holds two positive
// numbers, else the frame size scaled by "sample_aspect_ratio". Unknown ("0:1", "N/A", missing)
// leaves 0:0.
bool ReadAspect(const Json::Value& element, CMediaStream& stream)
{
    std::string text;
    if (!ReadText(element, "display_aspect_ratio", text))
        return false;
    int num = 0, den = 0;
    ScanIntPair(text.c_str(), "%d:%d", num, den);
    if (num > 0 && den > 0) {
        stream.AspectNum = num;
        stream.AspectDen = den;
        return true;
    }
    if (!ReadText(element, "sample_aspect_ratio", text))
        return false;
    num = den = 0;
    ScanIntPair(text.c_str(), "%d:%d", num, den);
    if (num <= 0 || den <= 0 || stream.Width <= 0 || stream.Height <= 0)
        return true;
    __int64 a = (__int64)stream.Width * num, b = (__int64)stream.Height * den;
    int divisor = GreatestCommonDivisor(a, b);
    a /= divisor;
    b /= divisor;
    if (a <= INT_MAX && b <= INT_MAX) {
        stream.AspectNum = (int)a;
        stream.AspectDen = (int)b;
    }
    return true;
}

// The container's tags, named in any case ("title", "TITLE"); of two spellings of one name, one counts.
bool ReadMetadata(const Json::Value& format, CMediaMetadata& metadata)
{
    const Json::Value& tags = format["tags"];
    if (tags.isNull())
        return true;
    if (!tags.isObject())
        return false;
    std::string artist, author, date, year, track;
    bool seenTitle = false, seenAlbum = false, seenGenre = false, seenCopyright = false, seenComment = false;
    struct {
        const char* name;
        CString* text;
        std::string* raw;
        bool* seen;
    } fields[] = {
        {"title", &metadata.Title, nullptr, &seenTitle},
        {"album", &metadata.Album, nullptr, &seenAlbum},
        {"genre", &metadata.Genre, nullptr, &seenGenre},
        {"copyright", &metadata.Copyright, nullptr, &seenCopyright},
        {"comment", &metadata.Comment, nullptr, &seenComment},
        {"artist", nullptr, &artist, nullptr},
        {"author", nullptr, &author, nullptr},
        {"date", nullptr, &date, nullptr},
        {"year", nullptr, &year, nullptr},
        {"track", nullptr, &track, nullptr},
    };
    for (const std::string& name : tags.getMemberNames()) {
        std::string value;
        if (!ReadText(tags, name.c_str(), value))
            return false;
        for (auto& f : fields) {
            if (_stricmp(name.c_str(), f.name) != 0)
                continue;
            if (f.text && !*f.seen) {
                *f.text = FromUtf8(value);
                *f.seen = true;
            } else if (f.raw && f.raw->empty()) {
                *f.raw = value;
            }
        }
    }
    metadata.Author = FromUtf8(!artist.empty() ? artist : author);
    // "3/12" is track 3; a date such as "2021-05-01" gives its year.
    metadata.Track = atoi(track.c_str());
    metadata.Year = atoi(date.c_str());
    if (metadata.Year == 0)
        metadata.Year = atoi(year.c_str());
    return true;
}

int StreamTypeOf(const std::string& codecType)
{
    static const struct {
        const char* name;
        int type;
    } kTypes[] = {
        {"video", MEDIA_STREAM_VIDEO},       {"audio", MEDIA_STREAM_AUDIO},
        {"data", MEDIA_STREAM_DATA},         {"subtitle", MEDIA_STREAM_SUBTITLE},
        {"attachment", MEDIA_STREAM_ATTACHMENT},
    };
    for (const auto& t : kTypes) {
        if (codecType == t.name)
            return t.type;
    }
    return MEDIA_STREAM_OTHER;
}

// One element of "streams" into 'stream'; false for malformed output.
bool ReadStream(const Json::Value& element, CMediaStream& stream)
{
    if (!element.isObject())
        return false;
    std::string text;

    if (!ReadText(element, "codec_name", text))
        return false;
    stream.Codec = FromUtf8(text);
    if (!ReadText(element, "codec_type", text))
        return false;
    stream.Type = StreamTypeOf(text);
    if (!ReadText(element, "start_time", text))
        return false;
    stream.StartTimeInUs = SecondsTextToUs(text);
    if (!ReadText(element, "duration", text))
        return false;
    stream.DurationInUs = SecondsTextToUs(text);
    if (!ReadText(element, "bit_rate", text))
        return false;
    stream.BitRate = atoi(text.c_str());
    if (!ReadText(element, "nb_frames", text))
        return false;
    if (text.empty() && !ReadText(element, "nb_read_frames", text))
        return false;
    stream.Frames = (__int64)atoi(text.c_str());

    if (stream.Type == MEDIA_STREAM_VIDEO) {
        if (!ReadInt(element, "width", stream.Width) || !ReadInt(element, "height", stream.Height))
            return false;
        if (!ReadText(element, "r_frame_rate", text))
            return false;
        // Only an empty text falls back: "0/0" is taken as it is.
        if (text.empty() && !ReadText(element, "avg_frame_rate", text))
            return false;
        ScanIntPair(text.c_str(), "%d/%d", stream.FrameRateNum, stream.FrameRateDen);
        if (!ReadAspect(element, stream))
            return false;
    } else if (stream.Type == MEDIA_STREAM_AUDIO) {
        if (!ReadText(element, "sample_rate", text))
            return false;
        stream.SampleRate = atoi(text.c_str());
        if (!ReadInt(element, "channels", stream.Channels))
            return false;
    }

    const Json::Value& tags = element["tags"];
    if (!tags.isNull()) {
        if (!tags.isObject())
            return false;
        if (!ReadText(tags, "language", text))
            return false;
        if (!text.empty() && _stricmp(text.c_str(), "und") != 0)
            stream.Language = FromUtf8(text);
        if (!ReadText(tags, "DURATION", text))
            return false;
        if (!text.empty())
            stream.DurationInUs = detail::ParseTagDurationUs(text.c_str());
    }
    return true;
}

int ParseDocument(const Json::Value& root, CMediaInfoRecord& record)
{
    if (!root.isObject())
        return -1;
    const Json::Value& format = root["format"];
    if (format.isNull() || !format.isObject())
        return -1;

    // The container fields are taken only when all of them read, so malformed output leaves the
    // record as it was.
    int streams = 0;
    std::string formatName, startTime, duration, size, bitRate;
    if (!ReadInt(format, "nb_streams", streams) || !ReadText(format, "format_name", formatName) ||
        !ReadText(format, "start_time", startTime) || !ReadText(format, "duration", duration) ||
        !ReadText(format, "size", size) || !ReadText(format, "bit_rate", bitRate))
        return -1;
    CMediaMetadata metadata;
    if (!ReadMetadata(format, metadata))
        return -1;
    record.Streams = streams;
    record.Metadata = metadata;
    record.Format = FromUtf8(formatName);
    record.StartTimeInUs = SecondsTextToUs(startTime);
    record.DurationInUs = SecondsTextToUs(duration);
    record.Size = _atoi64(size.c_str());
    record.BitRate = atoi(bitRate.c_str());

    const Json::Value& list = root["streams"];
    if (!list.isArray() || list.empty())
        return -1;

    // Streams join the record only when every element read, so a malformed one leaves the record
    // with its container fields and no streams, as for a missing list.
    COwningPtrArray<CMediaStream> parsed;
    __int64 durationInUs = record.DurationInUs;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        std::unique_ptr<CMediaStream> stream(new CMediaStream);
        if (!ReadStream(list[i], *stream))
            return -1;
        if (durationInUs == 0 && stream->Frames > 0 && stream->FrameRateDen > 0 &&
            stream->FrameRateNum > 0) {
            double rate = (double)stream->FrameRateNum / (double)stream->FrameRateDen;
            durationInUs = (__int64)((double)stream->Frames * 1000000.0 / rate);
        }
        parsed.Add(stream.release());
    }
    record.DurationInUs = durationInUs;
    while (!parsed.IsEmpty()) {
        std::unique_ptr<CMediaStream> stream(parsed.Detach(0));
        record.AddStream(stream.get());
        stream.release();
    }
    return 0;
}

}  // namespace

namespace detail {

int ParseProbeJsonText(const char* begin, const char* end, CMediaInfoRecord& record)
{
    // The reader throws on some input (nesting too deep) and on failed conversions; nothing of
    // that may leave the engine.
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = false;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value root;
        std::string errors;
        if (!reader->parse(begin, end, &root, &errors))
            return -1;
        return ParseDocument(root, record);
    } catch (...) {
        return -1;
    }
}

__int64 ParseTagDurationUs(const char* text)
{
    std::string s;
    for (const char* p = text; p && *p; ++p) {
        if (*p != ' ')
            s += *p;
    }
    size_t first = s.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos)
        return 0;
    s = s.substr(first, s.find_last_not_of(" \t\r\n\f\v") - first + 1);

    // Up to three non-empty parts between colons, as for the other time texts.
    std::string parts[3];
    int count = 0;
    size_t from = 0;
    while (count < 3 && from <= s.size()) {
        size_t colon = s.find(':', from);
        std::string part = s.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        if (!part.empty())
            parts[count++] = part;
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    if (count == 0)
        return 0;

    std::string seconds = parts[count - 1];
    __int64 fractionUs = 0;
    size_t dot = seconds.find('.');
    if (dot != std::string::npos) {
        // The digits after the point are a decimal fraction: ".5" is half a second, and digits
        // beyond the microsecond are dropped.
        __int64 scale = 100000;
        for (size_t i = dot + 1; i < seconds.size() && seconds[i] >= '0' && seconds[i] <= '9'; ++i) {
            fractionUs += (seconds[i] - '0') * scale;
            scale /= 10;
        }
        seconds.resize(dot);
    }
    __int64 hours = count == 3 ? atoi(parts[0].c_str()) : 0;
    __int64 minutes = count >= 2 ? atoi(parts[count - 2].c_str()) : 0;
    __int64 wholeSeconds = atoi(seconds.c_str());
    return ((hours * 60 + minutes) * 60 + wholeSeconds) * 1000000 + fractionUs;
}

}  // namespace detail

CProbeOptions::CProbeOptions()
    : PrintFormat(L"json"), ShowFormat(1), ShowStreams(1), CountFrames(0), AnalyzeDuration(0),
      ProbeSize(0)
{
}

int CProbeTool::BuildArgs(CCommandLine& out, const CProbeOptions& options)
{
    out.AddOption(nullptr, L"\"%s\"", options.InputPath.GetString());
    out.AddPair(L"-loglevel", L"quiet");
    if (options.ShowFormat)
        out.Add(L"-show_format");
    if (options.ShowStreams)
        out.Add(L"-show_streams");
    if (options.CountFrames)
        out.Add(L"-count_frames");
    if (!options.PrintFormat.IsEmpty())
        out.AddOption(L"-print_format", L"%s", options.PrintFormat.GetString());
    if (options.AnalyzeDuration != 0)
        out.AddOption(L"-analyzeduration", L"%d", options.AnalyzeDuration);
    if (options.ProbeSize != 0)
        out.AddOption(L"-probesize", L"%d", options.ProbeSize);
    if (!options.ExtraArgs.IsEmpty())
        out.Add(options.ExtraArgs);
    return 0;
}

int CProbeTool::Launch(const CProbeOptions& options, LPCWSTR outputFile, const volatile int* stopFlag)
{
    CCommandLine args;
    if (BuildArgs(args, options) != 0)
        return -1;
    CString command = outputFile ? MakeToolCommandWithOutput(m_strPath, args, outputFile)
                                 : MakeToolCommand(m_strPath, args);
    return Run(command, stopFlag);
}

int CProbeTool::Probe(LPCWSTR path, CMediaInfoRecord& record, const volatile int* stopFlag)
{
    if (!path || !*path)
        return -1;

    // Relative names inside the media resolve beside it when the tool runs in its folder. That
    // folder goes to this run alone; the process's current folder is shared with other threads
    // that run tools at the same time, so it is left alone.
    CString input = path;
    CString folder;
    if (PathFileExistsW(path)) {
        wchar_t full[MAX_PATH * 4];
        DWORD n = GetFullPathNameW(path, MAX_PATH * 4, full, nullptr);
        if (n > 0 && n < MAX_PATH * 4)
            input = full;  // a relative name would otherwise resolve against the new folder
        folder = GetParentFolder(input);
    }
    m_strWorkingFolder = folder;

    CString outputPath = GetTempFilePath();
    if (outputPath.IsEmpty())
        return -1;
    CTempFile output(outputPath, TRUE, TRUE);

    m_options.InputPath = input;
    int result = Launch(m_options, outputPath, stopFlag);
    if (result != 0)
        return result;
    if (ParseJson(outputPath, record, stopFlag) != 0)
        return -1;
    if (record.Size == 0)
        record.Size = GetFileSize64(input);
    record.Finalize();
    return 0;
}

int CProbeTool::ParseJson(LPCWSTR file, CMediaInfoRecord& record, const volatile int* stopFlag)
{
    (void)stopFlag;  // a parse is short; a stop is honoured around the tool run instead
    if (!file)
        return -1;
    // Opened by its wide name: a temporary folder outside the ANSI code page must still work.
    CHandle handle(CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid())
        return -1;
    try {
        std::string text;
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(handle, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            text.append(buffer, got);
        return detail::ParseProbeJsonText(text.data(), text.data() + text.size(), record);
    } catch (...) {
        return -1;  // out of memory for an absurd output
    }
}

int ProbeMediaFile(CMediaInfoRecord& record, LPCWSTR path, const volatile int* stopFlag)
{
    CEngineHost* host = GetEngineHost();
    if (!host)
        return -1;
    CProbeTool tool;
    CString toolPath = host->GetProbeToolPath();
    if (toolPath.IsEmpty() || tool.SetPath(toolPath) != 0)
        return -1;
    return tool.Probe(path, record, stopFlag);
}
