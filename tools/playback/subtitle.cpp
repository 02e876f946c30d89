// Reading the chosen subtitle track as ASS events and finding the text showing at a time.
#include "tools/playback/subtitle.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace drumlin {

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

// Splits at commas into at most `count` fields, the last taking the rest (an event's text may
// hold commas).
std::vector<std::string> SplitFields(const std::string& s, size_t count)
{
    std::vector<std::string> fields;
    size_t at = 0;
    while (fields.size() + 1 < count) {
        size_t comma = s.find(',', at);
        if (comma == std::string::npos)
            break;
        fields.push_back(s.substr(at, comma - at));
        at = comma + 1;
    }
    fields.push_back(s.substr(at));
    return fields;
}

std::vector<std::string> ReadFormat(const std::string& s)
{
    std::vector<std::string> names = SplitFields(s, SIZE_MAX);
    for (std::string& n : names)
        n = Lower(Trim(n));
    return names;
}

int FieldIndex(const std::vector<std::string>& format, const char* name)
{
    auto it = std::find(format.begin(), format.end(), name);
    return it == format.end() ? -1 : static_cast<int>(it - format.begin());
}

// "h:mm:ss.cc" in microseconds; false when it is not a time.
bool ParseAssTime(const std::string& text, int64_t* us)
{
    std::string t = Trim(text);
    int h = 0, m = 0;
    double s = 0;
    char tail = 0;
    if (sscanf(t.c_str(), "%d:%d:%lf%c", &h, &m, &s, &tail) != 3 || h < 0 || m < 0 || s < 0)
        return false;
    *us = static_cast<int64_t>(((h * 60.0 + m) * 60.0 + s) * 1e6 + 0.5);
    return true;
}

// SSA's alignments (1-3 bottom, +4 top, +8 middle) as numbered ones.
int FromLegacyAlignment(int a)
{
    if (a >= 5 && a <= 7)
        return a + 2;
    if (a >= 9 && a <= 11)
        return a - 5;
    return a >= 1 && a <= 3 ? a : 2;
}

CaptionRow RowOf(int alignment)
{
    if (alignment >= 7)
        return kRowTop;
    if (alignment >= 4)
        return kRowMiddle;
    return kRowBottom;
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

// The tags of one override block: alignment and the start or end of a drawing.
void ReadOverrides(const std::string& block, int* alignment, bool* drawing)
{
    size_t at = 0;
    while ((at = block.find('\\', at)) != std::string::npos) {
        ++at;
        const char* tag = block.c_str() + at;
        if (tag[0] == 'a' && tag[1] == 'n' && isdigit(static_cast<unsigned char>(tag[2]))) {
            int a = atoi(tag + 2);
            if (a >= 1 && a <= 9)
                *alignment = a;
        } else if (tag[0] == 'a' && isdigit(static_cast<unsigned char>(tag[1]))) {
            *alignment = FromLegacyAlignment(atoi(tag + 1));
        } else if (tag[0] == 'p' && isdigit(static_cast<unsigned char>(tag[1]))) {
            *drawing = atoi(tag + 1) != 0;
        }
    }
}

}  // namespace

std::wstring PlainEventText(const std::string& utf8, int* alignment)
{
    std::string plain;
    bool drawing = false;
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c == '{') {
            size_t close = utf8.find('}', i);
            if (close != std::string::npos) {
                ReadOverrides(utf8.substr(i + 1, close - i - 1), alignment, &drawing);
                i = close;
                continue;
            }
        }
        if (drawing)
            continue;
        if (c == '\\' && i + 1 < utf8.size()) {
            char e = utf8[i + 1];
            if (e == 'N' || e == 'n' || e == 'h') {
                // "\N" breaks the line; "\n" does so only in a wrapping style that is rarely used.
                plain += e == 'N' ? "\n" : (e == 'n' ? " " : "\xC2\xA0");
                ++i;
                continue;
            }
        }
        if (c != '\r')
            plain += c;
    }
    // No empty lines at either end: they would only push the text away from its edge.
    size_t b = plain.find_first_not_of(" \n");
    size_t e = plain.find_last_not_of(" \n");
    return b == std::string::npos ? std::wstring() : Widen(plain.substr(b, e - b + 1));
}

bool AssReader::Line(const std::string& raw, SubtitleCue* cue)
{
    std::string line = raw;
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed[0] == '[') {
        std::string name = Lower(trimmed);
        section_ = kOtherSection;
        if (name == "[script info]") {
            section_ = kScriptInfo;
        } else if (name == "[v4+ styles]" || name == "[v4 styles]") {
            section_ = kStyles;
            legacyStyles_ = name == "[v4 styles]";
        } else if (name == "[events]") {
            section_ = kEvents;
        }
        return false;
    }
    size_t colon = trimmed.find(':');
    if (colon == std::string::npos)
        return false;
    std::string key = Lower(Trim(trimmed.substr(0, colon)));
    std::string value = trimmed.substr(colon + 1);
    if (!value.empty() && value[0] == ' ')
        value.erase(0, 1);

    if (section_ == kScriptInfo && key == "playresy") {
        double y = atof(value.c_str());
        if (y > 0)
            playResY_ = y;
        return false;
    }
    if (section_ == kStyles && key == "format") {
        styleFormat_ = ReadFormat(value);
        return false;
    }
    if (section_ == kStyles && key == "style") {
        // Without a format line the fields stand in the order every script writer uses.
        std::vector<std::string> format = styleFormat_;
        if (format.empty())
            format = ReadFormat(legacyStyles_ ? "Name,Fontname,Fontsize,PrimaryColour,SecondaryColour,TertiaryColour,"
                                                "BackColour,Bold,Italic,BorderStyle,Outline,Shadow,Alignment"
                                              : "Name,Fontname,Fontsize,PrimaryColour,SecondaryColour,OutlineColour,"
                                                "BackColour,Bold,Italic,Underline,StrikeOut,ScaleX,ScaleY,Spacing,"
                                                "Angle,BorderStyle,Outline,Shadow,Alignment");
        std::vector<std::string> fields = SplitFields(value, format.size());
        int name = FieldIndex(format, "name"), size = FieldIndex(format, "fontsize"),
            font = FieldIndex(format, "fontname"), align = FieldIndex(format, "alignment");
        if (name < 0 || name >= static_cast<int>(fields.size()))
            return false;
        Style style;
        if (size >= 0 && size < static_cast<int>(fields.size()))
            style.fontSize = std::max(0.0, atof(fields[size].c_str()));
        if (font >= 0 && font < static_cast<int>(fields.size()))
            style.fontName = Widen(Trim(fields[font]));
        if (align >= 0 && align < static_cast<int>(fields.size())) {
            int a = atoi(fields[align].c_str());
            style.alignment = legacyStyles_ ? FromLegacyAlignment(a) : (a >= 1 && a <= 9 ? a : 2);
        }
        styles_[Trim(fields[name])] = style;
        return false;
    }
    if (section_ == kEvents && key == "format") {
        eventFormat_ = ReadFormat(value);
        return false;
    }
    if (key != "dialogue")
        return false;
    std::vector<std::string> format = eventFormat_;
    if (format.empty())
        format = ReadFormat("Layer,Start,End,Style,Name,MarginL,MarginR,MarginV,Effect,Text");
    std::vector<std::string> fields = SplitFields(value, format.size());
    int start = FieldIndex(format, "start"), end = FieldIndex(format, "end"), styleField = FieldIndex(format, "style"),
        text = FieldIndex(format, "text");
    const int count = static_cast<int>(fields.size());
    if (start < 0 || end < 0 || text < 0 || start >= count || end >= count || text >= count)
        return false;
    SubtitleCue c;
    if (!ParseAssTime(fields[start], &c.startUs) || !ParseAssTime(fields[end], &c.endUs) || c.endUs <= c.startUs)
        return false;
    Style style;
    if (styleField >= 0 && styleField < count) {
        std::string name = Trim(fields[styleField]);
        if (!name.empty() && name[0] == '*')
            name.erase(0, 1);  // "*Default" in some writers' output
        auto it = styles_.find(name);
        if (it == styles_.end())
            it = styles_.find("Default");
        if (it != styles_.end())
            style = it->second;
    }
    int alignment = style.alignment;
    c.text = PlainEventText(fields[text], &alignment);
    if (c.text.empty())
        return false;
    c.row = RowOf(alignment);
    if (style.fontSize > 0)
        c.textHeight = style.fontSize / playResY_;
    c.fontName = style.fontName;
    *cue = std::move(c);
    return true;
}

CaptionPainter::~CaptionPainter()
{
    if (font_)
        DeleteObject(font_);
}

HFONT CaptionPainter::Font(int height, const std::wstring& name)
{
    if (font_ && fontHeight_ == height && fontName_ == name)
        return font_;
    if (font_)
        DeleteObject(font_);
    // A positive height is the whole cell, as subtitle renderers measure a style's size; a
    // style's font that is not installed gives the system's plain sans-serif font instead.
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcsncpy(lf.lfFaceName, name.empty() ? L"Arial" : name.c_str(), LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&lf);
    fontHeight_ = font_ ? height : 0;
    fontName_ = name;
    return font_;
}

void CaptionPainter::Draw(HDC dc, const RECT& picture, const Caption& caption)
{
    const int width = picture.right - picture.left, height = picture.bottom - picture.top;
    if (width <= 0 || height <= 0 || caption.Empty())
        return;
    // The margins of a script made for 384 x 288, the size ffmpeg's text tracks are written at.
    const int marginX = static_cast<int>(width * 10 / 384), marginY = static_cast<int>(height * 10 / 288);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    HGDIOBJ oldFont = nullptr;
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    for (int row = 0; row < kRowCount; ++row) {
        const std::wstring& text = caption.rows[row];
        if (text.empty())
            continue;
        const int letters = std::max(8, static_cast<int>(caption.textHeight[row] * height + 0.5));
        HGDIOBJ previous = SelectObject(dc, Font(letters, caption.fontName[row]));
        if (!oldFont)
            oldFont = previous;
        RECT box = {picture.left + marginX, 0, picture.right - marginX, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
        const int textHeight = box.bottom - box.top;
        int top = picture.bottom - marginY - textHeight;
        if (row == kRowTop)
            top = picture.top + marginY;
        else if (row == kRowMiddle)
            top = picture.top + (height - textHeight) / 2;
        RECT place = {picture.left + marginX, top, picture.right - marginX, top + textHeight};
        // The outline: the text in black around its place, then in white on top.
        const int outline = std::max(1, letters / 16);
        SetTextColor(dc, RGB(0, 0, 0));
        for (int dy = -outline; dy <= outline; ++dy) {
            for (int dx = -outline; dx <= outline; ++dx) {
                if ((dx == 0 && dy == 0) || dx * dx + dy * dy > outline * outline + 1)
                    continue;
                RECT shifted = place;
                OffsetRect(&shifted, dx, dy);
                DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, format);
            }
        }
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, format);
    }
    if (oldFont)
        SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

SubtitleTrack::~SubtitleTrack()
{
    reader_.Kill();
    if (thread_.joinable())
        thread_.join();
}

bool SubtitleTrack::Start(const std::wstring& ffmpeg, const std::wstring& input, int streamIndex, HANDLE job)
{
    std::wstring args = L"-nostdin -hide_banner -loglevel error -i " + QuoteArgument(input) + L" -map 0:" +
                        std::to_wstring(streamIndex) + L" -vn -an -dn -c:s ass -f ass pipe:1";
    if (!reader_.Start(ffmpeg, args, job, 1 << 16))
        return false;
    // It reads the whole file: let the picture and the sound of the same file go first.
    SetPriorityClass(reader_.Process(), BELOW_NORMAL_PRIORITY_CLASS);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SubtitleTrack::Run()
{
    AssReader ass;
    std::string pending;
    char buffer[4096];
    for (;;) {
        size_t n = reader_.ReadFull(buffer, sizeof(buffer));
        pending.append(buffer, n);
        size_t from = 0;
        for (size_t eol; (eol = pending.find('\n', from)) != std::string::npos; from = eol + 1) {
            SubtitleCue cue;
            if (ass.Line(pending.substr(from, eol - from), &cue))
                Add(std::move(cue));
        }
        pending.erase(0, from);
        if (n < sizeof(buffer))
            break;
    }
    SubtitleCue cue;
    if (!pending.empty() && ass.Line(pending, &cue))
        Add(std::move(cue));
}

void SubtitleTrack::SetArrival(std::function<void(int64_t startUs, int64_t endUs)> arrival)
{
    std::lock_guard<std::mutex> lock(arrivalLock_);
    arrival_ = std::move(arrival);
}

void SubtitleTrack::Add(SubtitleCue cue)
{
    const int64_t startUs = cue.startUs, endUs = cue.endUs;
    {
        std::lock_guard<std::mutex> lock(lock_);
        auto at = std::upper_bound(cues_.begin(), cues_.end(), cue.startUs,
                                   [](int64_t t, const SubtitleCue& c) { return t < c.startUs; });
        cues_.insert(at, std::move(cue));
    }
    std::lock_guard<std::mutex> lock(arrivalLock_);
    if (arrival_)
        arrival_(startUs, endUs);
}

Caption SubtitleTrack::At(int64_t us)
{
    Caption caption;
    std::lock_guard<std::mutex> lock(lock_);
    for (const SubtitleCue& c : cues_) {
        if (c.startUs > us)
            break;
        if (us >= c.endUs)
            continue;
        std::wstring& row = caption.rows[c.row];
        if (row.empty())
            caption.fontName[c.row] = c.fontName;
        else
            row += L'\n';
        row += c.text;
        caption.textHeight[c.row] = std::max(caption.textHeight[c.row], c.textHeight);
    }
    return caption;
}

}  // namespace drumlin
