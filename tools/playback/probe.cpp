// Probing with ffprobe, and a small JSON reader for its output (the tool links no JSON library).
#include "tools/playback/probe.h"

#include "tools/playback/child.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace drumlin {

namespace {

struct JsonValue {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue* Find(const char* name) const
    {
        if (kind != Object)
            return nullptr;
        auto it = members.find(name);
        return it == members.end() ? nullptr : &it->second;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& s) : s_(s) {}

    bool ReadDocument(JsonValue* v)
    {
        if (!Read(v, 0))
            return false;
        Skip();
        return pos_ == s_.size();
    }

private:
    void Skip()
    {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            ++pos_;
    }

    bool Literal(const char* word)
    {
        size_t n = strlen(word);
        if (s_.compare(pos_, n, word) != 0)
            return false;
        pos_ += n;
        return true;
    }

    bool ReadString(std::string* out)
    {
        if (pos_ >= s_.size() || s_[pos_] != '"')
            return false;
        ++pos_;
        while (pos_ < s_.size()) {
            char c = s_[pos_++];
            if (c == '"')
                return true;
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (pos_ >= s_.size())
                return false;
            char e = s_[pos_++];
            switch (e) {
            case 'n': *out += '\n'; break;
            case 't': *out += '\t'; break;
            case 'r': *out += '\r'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'u': {
                if (pos_ + 4 > s_.size())
                    return false;
                unsigned code = static_cast<unsigned>(strtoul(s_.substr(pos_, 4).c_str(), nullptr, 16));
                pos_ += 4;
                // Only names and numbers are read from the output; other text need not be exact.
                if (code < 0x80)
                    *out += static_cast<char>(code);
                else
                    *out += '?';
                break;
            }
            default: *out += e; break;
            }
        }
        return false;
    }

    bool Read(JsonValue* v, int depth)
    {
        if (depth > 64)
            return false;
        Skip();
        if (pos_ >= s_.size())
            return false;
        char c = s_[pos_];
        if (c == '{') {
            v->kind = JsonValue::Object;
            ++pos_;
            Skip();
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            while (true) {
                Skip();
                std::string name;
                if (!ReadString(&name))
                    return false;
                Skip();
                if (pos_ >= s_.size() || s_[pos_++] != ':')
                    return false;
                if (!Read(&v->members[name], depth + 1))
                    return false;
                Skip();
                if (pos_ >= s_.size())
                    return false;
                char d = s_[pos_++];
                if (d == '}')
                    return true;
                if (d != ',')
                    return false;
            }
        }
        if (c == '[') {
            v->kind = JsonValue::Array;
            ++pos_;
            Skip();
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            while (true) {
                v->items.emplace_back();
                if (!Read(&v->items.back(), depth + 1))
                    return false;
                Skip();
                if (pos_ >= s_.size())
                    return false;
                char d = s_[pos_++];
                if (d == ']')
                    return true;
                if (d != ',')
                    return false;
            }
        }
        if (c == '"') {
            v->kind = JsonValue::String;
            return ReadString(&v->text);
        }
        if (Literal("true")) {
            v->kind = JsonValue::Bool;
            v->number = 1;
            return true;
        }
        if (Literal("false")) {
            v->kind = JsonValue::Bool;
            return true;
        }
        if (Literal("null"))
            return true;
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        v->number = strtod(begin, &end);
        if (end == begin)
            return false;
        v->kind = JsonValue::Number;
        pos_ += end - begin;
        return true;
    }

    const std::string& s_;
    size_t pos_ = 0;
};

std::string Text(const JsonValue& obj, const char* name)
{
    const JsonValue* v = obj.Find(name);
    return v && v->kind == JsonValue::String ? v->text : std::string();
}

int Int(const JsonValue& obj, const char* name)
{
    const JsonValue* v = obj.Find(name);
    if (!v)
        return 0;
    if (v->kind == JsonValue::Number)
        return static_cast<int>(v->number);
    if (v->kind == JsonValue::String)
        return atoi(v->text.c_str());
    return 0;
}

double Seconds(const JsonValue& obj, const char* name)
{
    std::string t = Text(obj, name);
    return t.empty() ? 0.0 : atof(t.c_str());
}

// "30000/1001" or "16:9": both parts, positive, or false.
bool Ratio(const std::string& text, char separator, int* num, int* den)
{
    size_t at = text.find(separator);
    if (at == std::string::npos)
        return false;
    int n = atoi(text.c_str());
    int d = atoi(text.c_str() + at + 1);
    if (n <= 0 || d <= 0)
        return false;
    *num = n;
    *den = d;
    return true;
}

}  // namespace

bool ParseProbeJson(const std::string& json, MediaFacts* out)
{
    JsonValue doc;
    if (!JsonReader(json).ReadDocument(&doc) || doc.kind != JsonValue::Object)
        return false;
    MediaFacts facts;
    double duration = 0;
    if (const JsonValue* format = doc.Find("format")) {
        facts.formatName = Text(*format, "format_name");
        duration = Seconds(*format, "duration");
    }
    const JsonValue* streams = doc.Find("streams");
    if (streams && streams->kind == JsonValue::Array) {
        for (const JsonValue& s : streams->items) {
            StreamFacts f;
            f.index = Int(s, "index");
            f.type = Text(s, "codec_type");
            f.codec = Text(s, "codec_name");
            f.width = Int(s, "width");
            f.height = Int(s, "height");
            if (!Ratio(Text(s, "display_aspect_ratio"), ':', &f.aspectNum, &f.aspectDen)) {
                int sn = 0, sd = 0;
                if (f.width > 0 && f.height > 0 && Ratio(Text(s, "sample_aspect_ratio"), ':', &sn, &sd)) {
                    f.aspectNum = f.width * sn;
                    f.aspectDen = f.height * sd;
                } else if (f.width > 0 && f.height > 0) {
                    f.aspectNum = f.width;
                    f.aspectDen = f.height;
                }
            }
            if (!Ratio(Text(s, "avg_frame_rate"), '/', &f.rateNum, &f.rateDen))
                Ratio(Text(s, "r_frame_rate"), '/', &f.rateNum, &f.rateDen);
            f.sampleRate = Int(s, "sample_rate");
            f.channels = Int(s, "channels");
            if (const JsonValue* disposition = s.Find("disposition")) {
                f.attachedPicture = Int(*disposition, "attached_pic") != 0;
                f.defaultTrack = Int(*disposition, "default") != 0;
            }
            if (duration <= 0 && Seconds(s, "duration") > duration && (f.type == "video" || f.type == "audio"))
                duration = Seconds(s, "duration");
            facts.streams.push_back(f);
        }
    }
    facts.durationInUs = duration > 0 ? static_cast<int64_t>(duration * 1e6 + 0.5) : 0;
    *out = std::move(facts);
    return true;
}

int ProbeMedia(const std::wstring& ffprobe, const std::wstring& path, HANDLE job, MediaFacts* out)
{
    PipedChild probe;
    std::wstring args = L"-v error -print_format json -show_format -show_streams -i " + QuoteArgument(path);
    if (!probe.Start(ffprobe, args, job, 1 << 16))
        return -1;
    std::string json;
    std::thread reader([&] {
        char buf[16384];
        while (size_t n = probe.ReadFull(buf, sizeof(buf))) {
            json.append(buf, n);
            if (n < sizeof(buf))
                break;
        }
    });
    // A file that makes ffprobe hang (a stalled network path, say) must still give an answer.
    bool ended = WaitForSingleObject(probe.Process(), 30000) == WAIT_OBJECT_0;
    if (!ended)
        probe.Kill();
    reader.join();
    DWORD code = 1;
    if (!ended || !GetExitCodeProcess(probe.Process(), &code) || code != 0)
        return -1;
    return ParseProbeJson(json, out) ? 0 : -1;
}

}  // namespace drumlin
