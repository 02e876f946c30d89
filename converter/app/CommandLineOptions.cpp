// The converter's command-line reader.
#include "converter/app/CommandLineOptions.h"

#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

// The leading decimal digits (with a sign) as a 32-bit number; text without digits gives 0 and
// a number beyond the 32-bit range stops at its end.
int ReadInteger(const wchar_t* text)
{
    const __int64 value = _wcstoi64(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

}  // namespace

CCommandLineOptions::CCommandLineOptions()
    : mode(CONVERTER_MODE_CONVERT),
      startTime(0),
      stopTime(-1),
      videoStream(-1),
      flipHorizontally(0),
      flipVertically(0),
      rotate(0),
      grayscale(0),
      negate(0),
      oldPhoto(0),
      audioStream(-1),
      volume(100),
      subtitleStream(-1)
{
}

CCommandLineOptions::~CCommandLineOptions() {}

int CCommandLineOptions::Parse(int argc, const wchar_t* const* argv)
{
    if (argc < 2 || !argv)
        return 0;
    struct IntOption {
        const wchar_t* name;
        int CCommandLineOptions::*field;
    };
    static const IntOption kIntOptions[] = {
        {L"starttime", &CCommandLineOptions::startTime}, {L"stoptime", &CCommandLineOptions::stopTime},
        {L"vstream", &CCommandLineOptions::videoStream}, {L"rotate", &CCommandLineOptions::rotate},
        {L"astream", &CCommandLineOptions::audioStream}, {L"volume", &CCommandLineOptions::volume},
        {L"sstream", &CCommandLineOptions::subtitleStream},
    };
    static const IntOption kFlags[] = {
        {L"flipv", &CCommandLineOptions::flipVertically}, {L"fliph", &CCommandLineOptions::flipHorizontally},
        {L"grayscale", &CCommandLineOptions::grayscale},  {L"negate", &CCommandLineOptions::negate},
        {L"oldphoto", &CCommandLineOptions::oldPhoto},
    };

    for (int i = 1; i < argc; ++i) {
        const wchar_t* arg = argv[i] ? argv[i] : L"";
        if (arg[0] != L'-' && arg[0] != L'/') {
            // Empty quotes (or blanks) name no file: they must not wipe out a source before them.
            CString path(arg);
            if (!CString(path).Trim().IsEmpty())
                source = path;
            continue;
        }
        const wchar_t* name = arg + 1;
        const bool hasValue = i + 1 < argc;
        const wchar_t* value = hasValue && argv[i + 1] ? argv[i + 1] : L"";

        bool known = false;
        for (const IntOption& flag : kFlags) {
            if (wcscmp(name, flag.name) == 0) {
                this->*(flag.field) = 1;
                known = true;
            }
        }
        if (known)
            continue;

        CString* text = nullptr;
        int* number = nullptr;
        bool command = false;
        if (wcscmp(name, L"c") == 0 || wcscmp(name, L"command") == 0)
            command = true;
        else if (wcscmp(name, L"i") == 0)
            text = &source;
        else if (wcscmp(name, L"ofolder") == 0)
            text = &folder;
        else if (wcscmp(name, L"oformat") == 0)
            text = &formatKey;
        for (const IntOption& option : kIntOptions)
            if (wcscmp(name, option.name) == 0)
                number = &(this->*(option.field));
        if (!command && !text && !number)
            continue;  // unknown: a value after it is read as a plain argument
        if (!hasValue)
            continue;  // a value option at the end has nothing to take
        ++i;
        if (command) {
            CString word(value);
            word.Trim();
            word.MakeLower();
            if (word == L"ae" || word == L"audioextractor")
                mode = CONVERTER_MODE_AUDIO_EXTRACTOR;
            else if (word == L"gm" || word == L"gifmaker")
                mode = CONVERTER_MODE_GIF_MAKER;
        } else if (text) {
            *text = value;
        } else {
            *number = ReadInteger(value);
        }
    }
    return 1;
}

int CCommandLineOptions::ParseProcessCommandLine()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 0;
    const int result = Parse(argc, argv);
    LocalFree(argv);
    return result;
}
