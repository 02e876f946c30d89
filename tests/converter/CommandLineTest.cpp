// The converter's command line: every option in both spellings, bare paths, values that do not
// read, unknown options, and the lines the player hands over with an item.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "converter/app/CommandLineOptions.h"

namespace {

// Parses "Ravento.exe <line>" split as the system splits a process's command line.
CCommandLineOptions ParseLine(LPCWSTR line, int* result = nullptr)
{
    CString full = CString(L"\"C:\\Program Files\\Ravento\\Ravento.exe\" ") + line;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(full, &argc);
    CCommandLineOptions options;
    const int r = options.Parse(argc, argv);
    if (result)
        *result = r;
    LocalFree(argv);
    return options;
}

CCommandLineOptions ParseArgs(std::vector<const wchar_t*> args)
{
    args.insert(args.begin(), L"Ravento.exe");
    CCommandLineOptions options;
    options.Parse((int)args.size(), args.data());
    return options;
}

void ExpectDefaults(const CCommandLineOptions& o)
{
    EXPECT_EQ(CONVERTER_MODE_CONVERT, o.mode);
    EXPECT_TRUE(o.source.IsEmpty());
    EXPECT_TRUE(o.formatKey.IsEmpty());
    EXPECT_TRUE(o.folder.IsEmpty());
    EXPECT_EQ(0, o.startTime);
    EXPECT_EQ(-1, o.stopTime);
    EXPECT_EQ(-1, o.videoStream);
    EXPECT_EQ(-1, o.audioStream);
    EXPECT_EQ(-1, o.subtitleStream);
    EXPECT_EQ(0, o.flipHorizontally);
    EXPECT_EQ(0, o.flipVertically);
    EXPECT_EQ(0, o.rotate);
    EXPECT_EQ(0, o.grayscale);
    EXPECT_EQ(0, o.negate);
    EXPECT_EQ(0, o.oldPhoto);
    EXPECT_EQ(100, o.volume);
}

}  // namespace

TEST(CommandLine, NoArgumentsKeepEveryDefault)
{
    int result = -5;
    CCommandLineOptions o = ParseLine(L"", &result);
    EXPECT_EQ(0, result);
    ExpectDefaults(o);
    CCommandLineOptions fresh;
    ExpectDefaults(fresh);
}

TEST(CommandLine, EveryOptionTakesItsValueWithEitherIntroducer)
{
    CCommandLineOptions o = ParseLine(
        L"-c ae -i \"D:\\in\\clip one.mkv\" -ofolder \"E:\\out put\" -oformat AF_ogg /starttime 1500 -stoptime 61000 "
        L"/vstream 0 -astream 2 -sstream 3 -rotate 270 -volume 150 -flipv /fliph -grayscale -negate /oldphoto");
    EXPECT_EQ(CONVERTER_MODE_AUDIO_EXTRACTOR, o.mode);
    EXPECT_STREQ(L"D:\\in\\clip one.mkv", o.source);
    EXPECT_STREQ(L"E:\\out put", o.folder);
    EXPECT_STREQ(L"AF_ogg", o.formatKey);
    EXPECT_EQ(1500, o.startTime);
    EXPECT_EQ(61000, o.stopTime);
    EXPECT_EQ(0, o.videoStream);
    EXPECT_EQ(2, o.audioStream);
    EXPECT_EQ(3, o.subtitleStream);
    EXPECT_EQ(270, o.rotate);
    EXPECT_EQ(150, o.volume);
    EXPECT_EQ(1, o.flipVertically);
    EXPECT_EQ(1, o.flipHorizontally);
    EXPECT_EQ(1, o.grayscale);
    EXPECT_EQ(1, o.negate);
    EXPECT_EQ(1, o.oldPhoto);
}

TEST(CommandLine, ModeWordsInBothSpellingsTrimmedAndLowerCased)
{
    EXPECT_EQ(CONVERTER_MODE_AUDIO_EXTRACTOR, ParseArgs({L"-c", L"ae"}).mode);
    EXPECT_EQ(CONVERTER_MODE_AUDIO_EXTRACTOR, ParseArgs({L"-command", L"AudioExtractor"}).mode);
    EXPECT_EQ(CONVERTER_MODE_GIF_MAKER, ParseArgs({L"/c", L"  GM \t"}).mode);
    EXPECT_EQ(CONVERTER_MODE_GIF_MAKER, ParseArgs({L"/command", L"gifmaker"}).mode);
    // An unknown word leaves the mode as it was.
    EXPECT_EQ(CONVERTER_MODE_GIF_MAKER, ParseArgs({L"-c", L"gm", L"-c", L"player"}).mode);
    EXPECT_EQ(CONVERTER_MODE_CONVERT, ParseArgs({L"-c", L"convert"}).mode);
    // The option at the end has no value: it is ignored, and so is nothing else.
    CCommandLineOptions last = ParseArgs({L"clip.mp4", L"-c"});
    EXPECT_EQ(CONVERTER_MODE_CONVERT, last.mode);
    EXPECT_STREQ(L"clip.mp4", last.source);
}

TEST(CommandLine, NamesAreCaseSensitiveAndUnknownOptionsAreSkipped)
{
    // "-I" is not "-i": skipped, and its value is then a bare argument.
    CCommandLineOptions o = ParseArgs({L"-I", L"a.mp4", L"-Volume", L"20", L"-x"});
    EXPECT_STREQ(L"20", o.source);
    EXPECT_EQ(100, o.volume);
    // A flag takes no value: what follows it is read on its own.
    CCommandLineOptions f = ParseArgs({L"-negate", L"b.mp4", L"-", L"/"});
    EXPECT_EQ(1, f.negate);
    EXPECT_STREQ(L"b.mp4", f.source);
}

TEST(CommandLine, BarePathsAreSourcesAndTheLastOneWins)
{
    EXPECT_STREQ(L"C:\\only one.avi", ParseLine(L"\"C:\\only one.avi\"").source);
    EXPECT_STREQ(L"b.mp4", ParseArgs({L"-i", L"a.mp4", L"b.mp4"}).source);
    EXPECT_STREQ(L"a.mp4", ParseArgs({L"b.mp4", L"-i", L"a.mp4"}).source);
    // A path handed over with a backslash at its end keeps its closing quote.
    EXPECT_STREQ(L"\\\\server\\share\\", ParseLine(L"\"\\\\server\\share\\\\\" -vstream 1").source);
    EXPECT_EQ(1, ParseLine(L"\"\\\\server\\share\\\\\" -vstream 1").videoStream);
    // Empty quotes name no file: the source before them stays.
    EXPECT_STREQ(L"C:\\a b.mp4", ParseLine(L"\"C:\\a b.mp4\" \"\"").source);
    EXPECT_STREQ(L"a.mp4", ParseArgs({L"a.mp4", L"", L"-volume", L"50", L""}).source);
    EXPECT_EQ(50, ParseArgs({L"a.mp4", L"", L"-volume", L"50", L""}).volume);
    EXPECT_STREQ(L"a.mp4", ParseArgs({L"a.mp4", L"  \t"}).source);
    EXPECT_TRUE(ParseArgs({L""}).source.IsEmpty());
}

TEST(CommandLine, NumbersReadTheirLeadingDigits)
{
    CCommandLineOptions o = ParseArgs({L"-volume", L"abc", L"-rotate", L"180deg", L"-vstream", L"-2", L"-astream",
                                       L" 7", L"-starttime", L"99999999999"});
    EXPECT_EQ(0, o.volume);
    EXPECT_EQ(180, o.rotate);
    EXPECT_EQ(-2, o.videoStream);
    EXPECT_EQ(7, o.audioStream);
    // A time beyond 32 bits stops at the largest one instead of wrapping into another time.
    EXPECT_EQ(INT_MAX, o.startTime);
}

TEST(CommandLine, ThePlayersHandOverLinesReadBack)
{
    // "Convert..." for an item with every choice made.
    CCommandLineOptions convert = ParseLine(
        L"\"C:\\Users\\me\\Videos\\Tom & Jerry (1).mp4\" -vstream 0 -astream 2 -sstream -2 -flipv -fliph -rotate 90 "
        L"-grayscale -negate -oldphoto -volume 200");
    EXPECT_EQ(CONVERTER_MODE_CONVERT, convert.mode);
    EXPECT_STREQ(L"C:\\Users\\me\\Videos\\Tom & Jerry (1).mp4", convert.source);
    EXPECT_EQ(0, convert.videoStream);
    EXPECT_EQ(2, convert.audioStream);
    EXPECT_EQ(-2, convert.subtitleStream);
    EXPECT_EQ(1, convert.flipVertically);
    EXPECT_EQ(1, convert.flipHorizontally);
    EXPECT_EQ(90, convert.rotate);
    EXPECT_EQ(1, convert.grayscale);
    EXPECT_EQ(1, convert.negate);
    EXPECT_EQ(1, convert.oldPhoto);
    EXPECT_EQ(200, convert.volume);
    EXPECT_EQ(0, convert.startTime);
    EXPECT_EQ(-1, convert.stopTime);

    // "Extract Audio..." with defaults.
    CCommandLineOptions audio = ParseLine(L"-c ae \"C:\\music\\live.mkv\" -oformat AF_mp3");
    EXPECT_EQ(CONVERTER_MODE_AUDIO_EXTRACTOR, audio.mode);
    EXPECT_STREQ(L"C:\\music\\live.mkv", audio.source);
    EXPECT_STREQ(L"AF_mp3", audio.formatKey);
    EXPECT_EQ(-1, audio.audioStream);
    EXPECT_EQ(100, audio.volume);

    // "Make Animated GIF..." with a disabled subtitle and a cut.
    CCommandLineOptions gif = ParseLine(L"-c gm \"C:\\v\\a.mp4\" -sstream -2 -starttime 1000 -stoptime 5000 -rotate 180");
    EXPECT_EQ(CONVERTER_MODE_GIF_MAKER, gif.mode);
    EXPECT_STREQ(L"C:\\v\\a.mp4", gif.source);
    EXPECT_EQ(-2, gif.subtitleStream);
    EXPECT_EQ(1000, gif.startTime);
    EXPECT_EQ(5000, gif.stopTime);
    EXPECT_EQ(180, gif.rotate);

    // The Tools menu's command: an empty line.
    ExpectDefaults(ParseLine(L""));

    // A URL keeps its percent-encoded quote as it came.
    EXPECT_STREQ(L"http://host/a%22b.mp4", ParseLine(L"\"http://host/a%22b.mp4\"").source);
}
