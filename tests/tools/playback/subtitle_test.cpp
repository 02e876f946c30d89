// The playback tool's subtitle reader: scripts as ffmpeg writes them for every text track and as
// people write them by hand, read line by line into cues with their text, place and size; and a
// cue that arrives after the picture it belongs to was drawn.
#include "tools/playback/subtitle.h"
#include "tools/playback/video.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using drumlin::AssReader;
using drumlin::FrameStore;
using drumlin::SubtitleCue;
using drumlin::SubtitleTrack;

namespace {

std::vector<SubtitleCue> Read(const std::string& script)
{
    AssReader reader;
    std::vector<SubtitleCue> cues;
    size_t from = 0;
    while (from <= script.size()) {
        size_t eol = script.find('\n', from);
        if (eol == std::string::npos)
            eol = script.size();
        SubtitleCue cue;
        if (reader.Line(script.substr(from, eol - from), &cue))
            cues.push_back(cue);
        from = eol + 1;
    }
    return cues;
}

const char kStyleFormat[] =
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
    "MarginR, MarginV, Encoding\r\n";

TEST(SubtitleReader, ScriptThatFfmpegWritesForATextTrack)
{
    const std::string script = std::string("\xEF\xBB\xBF[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 384\r\n"
                                           "PlayResY: 288\r\n\r\n[V4+ Styles]\r\n") +
                               kStyleFormat +
                               "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,"
                               "10,0\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
                               "MarginV, Effect, Text\r\n"
                               "Dialogue: 0,0:00:01.50,0:00:04.00,Default,,0,0,0,,{\\i1}Hello,{\\i0} world\\Nline two\r\n"
                               "Dialogue: 0,1:02:03.04,1:02:05.00,Default,,0,0,0,,caf\xC3\xA9\\hnoir\r\n";
    std::vector<SubtitleCue> cues = Read(script);
    ASSERT_EQ(2u, cues.size());
    EXPECT_EQ(1500000, cues[0].startUs);
    EXPECT_EQ(4000000, cues[0].endUs);
    EXPECT_EQ(L"Hello, world\nline two", cues[0].text);
    EXPECT_EQ(drumlin::kRowBottom, cues[0].row);
    EXPECT_DOUBLE_EQ(16.0 / 288.0, cues[0].textHeight);
    EXPECT_EQ(L"Arial", cues[0].fontName);
    EXPECT_EQ((3723 * 1000 + 40) * 1000LL, cues[1].startUs);
    EXPECT_EQ(L"caf\u00e9\u00a0noir", cues[1].text);
}

TEST(SubtitleReader, PlaceAndSizeComeFromTheStyleAndTheTags)
{
    const std::string script =
        std::string("[Script Info]\nPlayResY: 720\n[V4+ Styles]\n") + kStyleFormat +
        "Style: Default,Tahoma,36,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\n"
        "Style: Sign,Verdana,72,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,8,10,10,10,0\n"
        "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,Shop\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\an5}centre\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\a6}old top tag\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,*Default,,0,0,0,,starred\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,Nobody,,0,0,0,,unknown style\n";
    std::vector<SubtitleCue> cues = Read(script);
    ASSERT_EQ(5u, cues.size());
    EXPECT_EQ(drumlin::kRowTop, cues[0].row);
    EXPECT_DOUBLE_EQ(72.0 / 720.0, cues[0].textHeight);
    EXPECT_EQ(L"Verdana", cues[0].fontName);
    EXPECT_EQ(drumlin::kRowMiddle, cues[1].row);
    EXPECT_EQ(L"centre", cues[1].text);
    EXPECT_EQ(drumlin::kRowTop, cues[2].row);
    for (int i : {3, 4}) {
        EXPECT_EQ(drumlin::kRowBottom, cues[i].row) << i;
        EXPECT_DOUBLE_EQ(36.0 / 720.0, cues[i].textHeight) << i;
        EXPECT_EQ(L"Tahoma", cues[i].fontName) << i;
    }
}

TEST(SubtitleReader, OlderSsaScriptsAndScriptsWithoutFormatLines)
{
    // SSA counts its alignments 1-3 at the bottom, 5-7 at the top and 9-11 in the middle.
    const std::string ssa =
        "[Script Info]\nScriptType: v4.00\n[V4 Styles]\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, BackColour, Bold, Italic, "
        "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, AlphaLevel, Encoding\n"
        "Style: Top,Arial,20,16777215,16777215,16777215,0,0,0,1,2,0,6,30,30,10,0,0\n"
        "Style: Middle,Arial,20,16777215,16777215,16777215,0,0,0,1,2,0,10,30,30,10,0,0\n"
        "[Events]\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Dialogue: Marked=0,0:00:00.00,0:00:01.00,Top,,0000,0000,0000,,up\n"
        "Dialogue: Marked=0,0:00:00.00,0:00:01.00,Middle,,0000,0000,0000,,centre\n";
    std::vector<SubtitleCue> cues = Read(ssa);
    ASSERT_EQ(2u, cues.size());
    EXPECT_EQ(drumlin::kRowTop, cues[0].row);
    EXPECT_EQ(drumlin::kRowMiddle, cues[1].row);

    // Without format lines the fields stand where every writer puts them.
    cues = Read("[V4+ Styles]\nStyle: Default,Arial,30,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,9,0,0,0,0\n"
                "[Events]\nDialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,a, b, c\n");
    ASSERT_EQ(1u, cues.size());
    EXPECT_EQ(L"a, b, c", cues[0].text);
    EXPECT_EQ(drumlin::kRowTop, cues[0].row);
    EXPECT_DOUBLE_EQ(30.0 / 288.0, cues[0].textHeight);
}

TEST(SubtitleReader, WhatShowsNoTextIsLeftOut)
{
    const std::string events = "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
                               "Text\n";
    // Drawings are shapes, not text; the text beside one stays.
    std::vector<SubtitleCue> cues =
        Read(events + "Dialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,{\\p1}m 0 0 l 100 0 100 100{\\p0}\n"
                      "Dialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,{\\p1}m 0 0 l 9 9{\\p0}label\n"
                      "Dialogue: 0,0:00:02.00,0:00:01.00,Default,,0,0,0,,ends before it starts\n"
                      "Dialogue: 0,0:0x:02.00,0:00:03.00,Default,,0,0,0,,not a time\n"
                      "Comment: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,a note\n"
                      "Dialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,{\\b1}  \\N \n"
                      "Dialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,{not closed\n"
                      "Dialogue: 0,0:00:00.00,0:00:01.00\n");
    ASSERT_EQ(2u, cues.size());
    EXPECT_EQ(L"label", cues[0].text);
    EXPECT_EQ(L"{not closed", cues[1].text);
    // Dialogue lines before any events section still count; other sections' lines never do.
    EXPECT_EQ(1u, Read("Dialogue: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,early\n").size());
    EXPECT_EQ(0u, Read("[Script Info]\nTitle: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,x\n").size());
}

// The track is read by a tool of its own at a lower priority than the picture: on a busy machine a
// paused picture can be drawn before the text of its time is known. The text is drawn when it
// arrives, not at the next picture (there is none while paused).
TEST(SubtitleReader, ACueThatArrivesAfterItsPictureWasDrawnRedrawsThePicture)
{
    const std::wstring bin = _wgetenv(L"TEST_BIN_DIR") ? _wgetenv(L"TEST_BIN_DIR") : L"";
    const std::wstring temp = _wgetenv(L"TEST_TEMP_DIR") ? _wgetenv(L"TEST_TEMP_DIR") : L"";
    ASSERT_FALSE(bin.empty() || temp.empty()) << "TEST_BIN_DIR, TEST_TEMP_DIR";
    const std::wstring work = temp + L"\\late cue\\";
    CreateDirectoryW(work.c_str(), nullptr);
    // A reader that gives the script only once the test has drawn the picture.
    const std::wstring reader = work + L"slow reader.exe", release = work + L"release", script = work + L"track.ass";
    DeleteFileW(release.c_str());
    ASSERT_TRUE(CopyFileW((bin + L"\\faketool.exe").c_str(), reader.c_str(), FALSE));
    std::ofstream(script.c_str(), std::ios::binary)
        << "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
           "Dialogue: 0,0:00:06.00,0:00:11.50,Default,,0,0,0,,late words\n";
    std::wofstream((work + L"slow reader.fake").c_str()) << L"wait_file " << release << L"\nstdout_file " << script << L"\n";

    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window != nullptr);
    {
        SubtitleTrack track;
        FrameStore frames;
        ASSERT_TRUE(track.Start(reader, work + L"clip.mkv", 2, nullptr));
        frames.SetCaptions(&track);
        std::vector<uint8_t> picture(64 * 48 * 3, 0x40);
        frames.Present(picture, 64, 48, 64, 7000000, window);
        ValidateRect(window, nullptr);
        ASSERT_TRUE(track.At(7000000).Empty());

        std::ofstream(release.c_str()) << "go";
        RECT dirty = {};
        bool redrawn = false;
        for (DWORD start = GetTickCount(); !redrawn && GetTickCount() - start < 20000; Sleep(20))
            redrawn = GetUpdateRect(window, &dirty, FALSE) != FALSE;
        EXPECT_TRUE(redrawn) << "the text of the picture on show came, and the picture was left without it";
        EXPECT_EQ(L"late words", track.At(7000000).rows[drumlin::kRowBottom]);
    }
    DestroyWindow(window);
}

}  // namespace
