// Reading the playback tool's options; options it does not know are skipped, since the player
// may hand on extra arguments meant for other builds of the tool.
#include "tools/playback/options.h"

#include <cwchar>
#include <cwctype>

namespace drumlin {

const wchar_t kHelpText[] =
    L"Drumlin plays a media file into a window of the player, or into a window of its own.\n"
    L"\n"
    L"usage: Drumlin [options] -i <file> [-play_window <hwnd>] [-callback_context <n>]\n"
    L"\n"
    L"  -i <file>               what to play (a bare argument names it too)\n"
    L"  -ss <time>, -t <time>   where to start and how long to play (h:mm:ss.mmm, mm:ss or seconds)\n"
    L"  -vst <n>, -ast <n>, -sst <n>\n"
    L"                          the video, audio or subtitle stream: its index in the file plus 1\n"
    L"  -vn, -an, -sn           no picture, no sound, no subtitles\n"
    L"  -vf <filters>, -af <filters>\n"
    L"                          ffmpeg filter chains for the picture and for the sound\n"
    L"  -volume <0-100>, -mute  the sound's level and muting at the start\n"
    L"  -autoexit               end at the end of the file (otherwise the last picture stays)\n"
    L"  -framedrop, -noframedrop\n"
    L"                          skip pictures that come late, or show every one\n"
    L"  -threads <n>            decoding threads\n"
    L"  -sync audio|video|ext   what the picture keeps time with: the sound device (audio, the\n"
    L"                          default) or the system clock (video, ext); the sound is never\n"
    L"                          stretched to follow the picture\n"
    L"  -wave_effect <n>, -wave_block_size <n>, -wave_block_space <n>, -wave_gradient <n>,\n"
    L"  -wave_color_1/_2/_3 <colour>\n"
    L"                          the wave display drawn for sound without a picture\n"
    L"  -play_window <hwnd>     draw into that window and report to it\n"
    L"  -callback_context <n>   echoed in every report\n"
    L"  -h, -help, -?           this text\n"
    L"\n"
    L"Accepted and ignored:\n"
    L"  -seek2any <0|1>         every seek lands on the exact time asked for in any case\n"
    L"  -infbuf                 the input is always read as fast as it is played\n"
    L"  -video_driver <name>, -audio_driver <name>\n"
    L"                          the picture is always drawn with GDI, the sound played with waveOut\n"
    L"\n"
    L"Subtitles: text tracks (SubRip, ASS/SSA, 3GPP timed text, WebVTT and other text that ffmpeg\n"
    L"reads) are drawn over the picture; picture-based tracks (DVD, Blu-ray, DVB) show nothing.\n"
    L"Without -sst the track that the file marks as default is shown, else the first one.\n";

namespace {

bool ParseInt64(const std::wstring& text, int64_t* value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    long long v = wcstoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != 0)
        return false;
    *value = v;
    return true;
}

bool ParseInt(const std::wstring& text, int* value)
{
    int64_t v = 0;
    if (!ParseInt64(text, &v) || v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

bool ParseTimeMs(const std::wstring& text, int64_t* ms)
{
    std::wstring t = text;
    double scale = 1000.0;
    if (t.size() > 2 && t.compare(t.size() - 2, 2, L"ms") == 0) {
        scale = 1.0;
        t.resize(t.size() - 2);
    } else if (t.size() > 1 && t.back() == L's') {
        t.resize(t.size() - 1);
    }
    if (t.empty())
        return false;
    bool negative = t[0] == L'-';
    if (negative)
        t.erase(0, 1);
    double total = 0;
    size_t pos = 0;
    int fields = 0;
    while (true) {
        size_t colon = t.find(L':', pos);
        std::wstring part = t.substr(pos, colon == std::wstring::npos ? std::wstring::npos : colon - pos);
        if (part.empty())
            return false;
        for (wchar_t c : part)
            if (!iswdigit(c) && c != L'.')
                return false;
        wchar_t* end = nullptr;
        double v = wcstod(part.c_str(), &end);
        if (*end != 0)
            return false;
        total = total * 60 + v;
        if (++fields > 3)
            return false;
        if (colon == std::wstring::npos)
            break;
        if (scale != 1000.0)
            return false;
        pos = colon + 1;
    }
    double result = total * scale;
    *ms = static_cast<int64_t>(negative ? -result - 0.5 : result + 0.5);
    return true;
}

bool ParseOptions(int argc, wchar_t** argv, PlayOptions* out, std::wstring* error)
{
    PlayOptions& o = *out;
    auto value = [&](int& i, std::wstring* v) {
        if (i + 1 >= argc) {
            *error = std::wstring(L"missing value after ") + argv[i];
            return false;
        }
        *v = argv[++i];
        return true;
    };
    for (int i = 0; i < argc; ++i) {
        std::wstring a = argv[i];
        std::wstring v;
        auto intOption = [&](int* target) {
            if (!value(i, &v))
                return false;
            if (!ParseInt(v, target)) {
                *error = L"not a number for " + a + L": " + v;
                return false;
            }
            return true;
        };
        if (a == L"-autoexit") {
            o.autoExit = true;
        } else if (a == L"-infbuf") {
            o.inputBuffer = true;
        } else if (a == L"-framedrop") {
            o.frameDrop = true;
        } else if (a == L"-noframedrop") {
            o.frameDrop = false;
        } else if (a == L"-seek2any") {
            int on = 0;
            if (!intOption(&on))
                return false;
            o.seekToAny = on != 0;
        } else if (a == L"-threads") {
            if (!intOption(&o.threads))
                return false;
        } else if (a == L"-video_driver") {
            if (!value(i, &o.videoDriver))
                return false;
        } else if (a == L"-audio_driver") {
            if (!value(i, &o.audioDriver))
                return false;
        } else if (a == L"-sync") {
            if (!value(i, &v))
                return false;
            if (v != L"audio" && v != L"video" && v != L"ext") {
                *error = L"-sync takes audio, video or ext, not " + v;
                return false;
            }
            o.syncToAudio = v == L"audio";
        } else if (a == L"-h" || a == L"-help" || a == L"--help" || a == L"-?" || a == L"/?") {
            o.help = true;
        } else if (a == L"-ss" || a == L"-t") {
            if (!value(i, &v))
                return false;
            int64_t ms = 0;
            if (!ParseTimeMs(v, &ms) || ms < 0) {
                *error = L"not a time for " + a + L": " + v;
                return false;
            }
            (a == L"-ss" ? o.startMs : o.durationMs) = ms;
        } else if (a == L"-i") {
            if (!value(i, &o.input))
                return false;
        } else if (a == L"-vst") {
            if (!intOption(&o.videoStream))
                return false;
        } else if (a == L"-ast") {
            if (!intOption(&o.audioStream))
                return false;
        } else if (a == L"-sst") {
            if (!intOption(&o.subtitleStream))
                return false;
        } else if (a == L"-vn") {
            o.noVideo = true;
        } else if (a == L"-an") {
            o.noAudio = true;
        } else if (a == L"-sn") {
            o.noSubtitles = true;
        } else if (a == L"-vf") {
            if (!value(i, &o.videoFilters))
                return false;
        } else if (a == L"-af") {
            if (!value(i, &o.audioFilters))
                return false;
        } else if (a == L"-mute") {
            o.mute = true;
        } else if (a == L"-volume") {
            if (!intOption(&o.volume))
                return false;
            o.volume = o.volume < 0 ? 0 : (o.volume > 100 ? 100 : o.volume);
        } else if (a == L"-wave_effect") {
            if (!intOption(&o.waveEffect))
                return false;
        } else if (a == L"-wave_block_size") {
            if (!intOption(&o.waveBlockSize))
                return false;
        } else if (a == L"-wave_block_space") {
            if (!intOption(&o.waveBlockSpace))
                return false;
        } else if (a == L"-wave_gradient") {
            if (!intOption(&o.waveGradient))
                return false;
        } else if (a == L"-wave_color_1" || a == L"-wave_color_2" || a == L"-wave_color_3") {
            int c = 0;
            if (!intOption(&c))
                return false;
            o.waveColors[a.back() - L'1'] = static_cast<COLORREF>(c);
        } else if (a == L"-play_window" || a == L"-callback_context") {
            if (!value(i, &v))
                return false;
            int64_t n = 0;
            if (!ParseInt64(v, &n)) {
                *error = L"not a number for " + a + L": " + v;
                return false;
            }
            if (a == L"-play_window")
                o.playWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
            else
                o.context = n;
        } else if (!a.empty() && a[0] != L'-' && o.input.empty()) {
            o.input = a;  // a bare argument names the input, as ffplay's does
        }
    }
    if (o.input.empty() && !o.help) {
        *error = L"no input (-i) given";
        return false;
    }
    return true;
}

}  // namespace drumlin
