// The encoder tool's option translations, seen in what ffmpeg writes: volume and merged filter
// chains, filters joined to the GIF palette graph, the automatic choice of unmapped stream
// kinds, and "-pre" resolved to the preset files of the Modules folder.
#include "tools/encoder/encoder_tool_support.h"

#include <gtest/gtest.h>

using namespace enctest;

namespace {

class EncoderTranslation : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Env().ok) << Env().problem; }

    int TonePeak(const std::wstring& options)
    {
        std::wstring out = Scratch(L"tone.wav");
        RunResult r = RunTool(L"-f lavfi -i sine=frequency=440:duration=1 " + options +
                              L" -codec:a pcm_s16le -f wav " + Quote(out) + L" -y");
        EXPECT_EQ(0u, r.exitCode) << r.output;
        return WavPeak(ReadAll(out));
    }

    JpegFrame Grab(const std::wstring& options)
    {
        std::wstring out = Scratch(L"grab");
        RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -frames:v 1 -an " + options + L" -f image2 " +
                              Quote(out) + L" -y");
        EXPECT_EQ(0u, r.exitCode) << r.output;
        JpegFrame frame;
        EXPECT_TRUE(ReadJpegFrame(ReadAll(out), frame)) << r.output;
        return frame;
    }

    std::vector<StreamInfo> Remux(const std::wstring& options)
    {
        std::wstring out = Scratch(L"mapped.mkv");
        RunResult r = RunTool(L"-i " + Quote(Env().threeStreams) + L" " + options +
                              L" -codec:v libx264 -codec:a aac -f matroska " + Quote(out) + L" -y");
        EXPECT_EQ(0u, r.exitCode) << r.output;
        return DescribeStreams(out);
    }
};

TEST_F(EncoderTranslation, VolumeLevelAndRepeatedAudioFiltersAllApply)
{
    int full = TonePeak(L"");
    ASSERT_GT(full, 1000);
    EXPECT_NEAR(full * 0.5, TonePeak(L"-vol 128"), full * 0.02);
    EXPECT_NEAR(full * 0.25, TonePeak(L"-filter:a volume=0.5 -filter:a volume=0.5"), full * 0.02);
    EXPECT_NEAR(full * 0.5, TonePeak(L"-vol 512 -filter:a volume=0.25"), full * 0.02);
}

TEST_F(EncoderTranslation, RepeatedVideoFiltersFormOneChainInTheirOrder)
{
    // Scaled, then turned: 60 wide and 80 high. The last filter alone would give 120 x 160, the
    // reverse order 80 x 60.
    JpegFrame frame = Grab(L"-filter:v scale=80:60 -filter:v transpose=1");
    EXPECT_EQ(60, frame.width);
    EXPECT_EQ(80, frame.height);
}

TEST_F(EncoderTranslation, VideoFiltersJoinTheGifPaletteGraph)
{
    std::wstring palette = Scratch(L"palette.bmp");
    RunResult first = RunTool(L"-i " + Quote(Env().clip) +
                              L" -filter:v fps=5.000000,scale=80:60:flags=lanczos,palettegen " + Quote(palette) + L" -y");
    ASSERT_EQ(0u, first.exitCode) << first.output;

    // The second pass as the GIF output writes it, with a flip of the source in front.
    std::wstring gif = Scratch(L"anim.gif");
    RunResult second = RunTool(L"-i " + Quote(Env().clip) + L" -i " + Quote(palette) +
                               L" -codec:v gif -s 80x60 -r 5/1 -filter:v hflip -an -filter_complex "
                               L"\"fps=5.000000,scale=80:60:flags=lanczos [x]; [x][1:v] paletteuse\" -f gif " +
                               Quote(gif) + L" -y");
    EXPECT_EQ(0u, second.exitCode) << second.output;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadGifSize(ReadAll(gif), width, height));
    EXPECT_EQ(80, width);
    EXPECT_EQ(60, height);

    // A graph that names its inputs: the chain still acts on the source before the graph.
    std::wstring labelled = Scratch(L"labelled.gif");
    RunResult third = RunTool(L"-i " + Quote(Env().clip) + L" -i " + Quote(palette) +
                              L" -filter:v scale=40:30 -an -filter_complex \"[0:v][1:v] paletteuse\" -f gif " +
                              Quote(labelled) + L" -y");
    EXPECT_EQ(0u, third.exitCode) << third.output;
    ASSERT_TRUE(ReadGifSize(ReadAll(labelled), width, height));
    EXPECT_EQ(40, width);
    EXPECT_EQ(30, height);
}

TEST_F(EncoderTranslation, MappedVideoKeepsTheAutomaticAudioChoice)
{
    // Stream 0 is the video; of the two audio streams ffmpeg's own choice is the stereo one.
    std::vector<StreamInfo> streams = Remux(L"-map 0:0");
    ASSERT_EQ(2u, streams.size());
    EXPECT_EQ('v', streams[0].kind);
    EXPECT_EQ('a', streams[1].kind);
    EXPECT_NE(std::string::npos, streams[1].line.find("stereo")) << streams[1].line;
}

TEST_F(EncoderTranslation, MappedAudioKeepsTheAutomaticVideoChoice)
{
    std::vector<StreamInfo> streams = Remux(L"-map 0:1");
    ASSERT_EQ(2u, streams.size());
    EXPECT_EQ('v', streams[0].kind);
    EXPECT_EQ('a', streams[1].kind);
    EXPECT_NE(std::string::npos, streams[1].line.find("mono")) << streams[1].line;
}

TEST_F(EncoderTranslation, SwitchedOffKindsStayOffBesideAMap)
{
    std::vector<StreamInfo> streams = Remux(L"-map 0:2 -vn");
    ASSERT_EQ(1u, streams.size());
    EXPECT_EQ('a', streams[0].kind);
    EXPECT_NE(std::string::npos, streams[0].line.find("stereo")) << streams[0].line;
}

TEST_F(EncoderTranslation, PresetNameReadsItsFileInModulesPresetsAndTheCommandLineWins)
{
    WriteText(Env().modules + L"Presets\\grabsize.ffpreset", "# frame size of the test grabs\r\ns=80x60\r\n\r\n");
    JpegFrame fromPreset = Grab(L"-pre:v grabsize");
    EXPECT_EQ(80, fromPreset.width);
    EXPECT_EQ(60, fromPreset.height);
    JpegFrame explicitSize = Grab(L"-s 64x48 -pre:v \"grabsize\"");
    EXPECT_EQ(64, explicitSize.width);
    EXPECT_EQ(48, explicitSize.height);
}

TEST_F(EncoderTranslation, ShippedPresetsOfTheWebmTablesEncode)
{
    // The preset names that the built-in WEBM presets pass with "-pre:v".
    for (const wchar_t* name : {L"libvpx-360p", L"libvpx-720p", L"libvpx-1080p"}) {
        std::wstring out = Scratch(L"preset.webm");
        RunResult r = RunTool(L"-f lavfi -i testsrc=duration=1:size=160x120:rate=25 -codec:v libvpx -q:v 0 "
                              L"-pre:v \"" + std::wstring(name) + L"\" -f webm " + Quote(out) + L" -y");
        EXPECT_EQ(0u, r.exitCode) << r.output;
        EXPECT_GT(ReadAll(out).size(), 1000u);
    }
}

TEST_F(EncoderTranslation, MissingOrPathLikePresetNamesAreRefused)
{
    for (const wchar_t* name : {L"nosuchpreset", L"..\\Presets\\grabsize"}) {
        RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -frames:v 1 -an -pre:v \"" + name +
                              L"\" -f image2 " + Quote(Scratch(L"refused")) + L" -y");
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(4u, r.exitCode) << r.output;
        EXPECT_NE(std::string::npos, r.output.find("preset")) << r.output;
        EXPECT_FALSE(Exists(Env().scratch + L"refused"));
    }
}

}  // namespace
