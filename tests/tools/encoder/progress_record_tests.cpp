// The encoder tool's records to its callback window: their order, the echoed context, the
// expected duration, growing progress, and the stop that a reply of 1 asks for.
#include "tools/encoder/encoder_tool_support.h"

#include <gtest/gtest.h>

using namespace enctest;

namespace {

class EncoderRecords : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Env().ok) << Env().problem; }

    // A run with a window; "-re" paces the encode at the clip's own speed so that several
    // progress reports fall inside it.
    RunResult Convert(const std::wstring& inputOptions, const std::wstring& outputOptions, int64_t context)
    {
        RunOptions o;
        o.window = true;
        o.context = context;
        return RunTool(inputOptions + L" -re -i " + Quote(Env().clip) + L" -codec:v libx264 -codec:a aac " +
                           outputOptions + L" -f mp4 " + Quote(Scratch(L"records.mp4")) + L" -y",
                       o);
    }
};

TEST_F(EncoderRecords, ConversionSendsStartedProgressAndEndedWithItsContext)
{
    const int64_t context = -1234567890123LL;  // a sign-extended address: all 64 bits come back
    RunResult r = Convert(L"", L"", context);
    ASSERT_TRUE(r.finished) << r.output;
    EXPECT_EQ(0u, r.exitCode) << r.output;
    EXPECT_EQ(0u, r.malformed);
    ASSERT_GE(r.records.size(), 5u) << r.output;
    EXPECT_EQ(21u, r.records.front().code);
    EXPECT_EQ(24u, r.records.back().code);
    std::vector<Record> progress;
    for (size_t i = 1; i + 1 < r.records.size(); ++i) {
        EXPECT_EQ(22u, r.records[i].code) << "record " << i;
        progress.push_back(r.records[i]);
    }
    for (const Record& rec : r.records) {
        EXPECT_EQ(context, rec.context);
        EXPECT_NEAR(3000000, rec.totalUs, 100000) << "code " << rec.code;
    }
    ASSERT_GE(progress.size(), 3u);
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].positionUs, progress[i - 1].positionUs) << i;
        EXPECT_GE(progress[i].bytes, progress[i - 1].bytes) << i;
    }
    EXPECT_GT(progress.back().positionUs, progress.front().positionUs);
    EXPECT_GT(progress.back().bytes, progress.front().bytes);
    EXPECT_NEAR(3000000, r.records.back().positionUs, 150000);
    EXPECT_EQ(static_cast<int64_t>(ReadAll(Env().scratch + L"records.mp4").size()), r.records.back().bytes);
}

TEST_F(EncoderRecords, TotalDurationFollowsTheStartAndLengthCuts)
{
    RunResult startOnly = Convert(L"-ss 0:00:02.000", L"", 1);
    ASSERT_FALSE(startOnly.records.empty()) << startOnly.output;
    EXPECT_NEAR(1000000, startOnly.records.front().totalUs, 100000);

    RunResult both = Convert(L"-ss 0:00:01.000", L"-t 0:00:01.500", 1);
    ASSERT_FALSE(both.records.empty()) << both.output;
    EXPECT_NEAR(1500000, both.records.front().totalUs, 1000);
    EXPECT_NEAR(1500000, both.records.back().positionUs, 100000);
}

TEST_F(EncoderRecords, TotalDurationIsTheFirstInputsWhateverTheLogLevel)
{
    // A second, longer input: the length is still the first one's.
    RunOptions o;
    o.window = true;
    o.context = 5;
    RunResult two = RunTool(L"-i " + Quote(Env().clip) + L" -f lavfi -i sine=frequency=300:duration=9 -map 0:v "
                            L"-map 1:a -codec:v libx264 -codec:a aac -shortest -f mp4 " +
                                Quote(Scratch(L"two inputs.mp4")) + L" -y",
                            o);
    ASSERT_FALSE(two.records.empty()) << two.output;
    EXPECT_EQ(0u, two.exitCode) << two.output;
    for (const Record& rec : two.records)
        EXPECT_NEAR(3000000, rec.totalUs, 100000) << "code " << rec.code;
    // ffmpeg's own log still reaches the tool's standard error, the description of the inputs too.
    EXPECT_NE(std::string::npos, two.output.find("Input #1")) << two.output;
    EXPECT_NE(std::string::npos, two.output.find("Stream mapping:")) << two.output;

    // Log levels that hide the description of the inputs, and one that keeps it.
    for (const wchar_t* level : {L"-loglevel error", L"-v repeat+quiet", L"-v 24", L"-loglevel level+info"}) {
        RunResult r = Convert(level, L"", 6);
        ASSERT_FALSE(r.records.empty()) << r.output;
        EXPECT_EQ(0u, r.exitCode) << r.output;
        EXPECT_EQ(21u, r.records.front().code);
        EXPECT_NEAR(3000000, r.records.front().totalUs, 100000) << level;
        EXPECT_NEAR(3000000, r.records.back().totalUs, 100000) << level;
    }
}

TEST_F(EncoderRecords, InputThatCannotBeOpenedGivesStartedAndEndedWithFfmpegsError)
{
    RunOptions o;
    o.window = true;
    o.context = 8;
    RunResult r = RunTool(L"-i " + Quote(Scratch(L"no such clip.mp4")) + L" -codec:v libx264 -t 2 -f mp4 " +
                              Quote(Scratch(L"never.mp4")) + L" -y",
                          o);
    ASSERT_TRUE(r.finished) << r.output;
    EXPECT_NE(0u, r.exitCode) << r.output;
    ASSERT_EQ(2u, r.records.size()) << r.output;
    EXPECT_EQ(21u, r.records[0].code);
    EXPECT_EQ(24u, r.records[1].code);
    // Only the output's length cut is known.
    EXPECT_EQ(2000000, r.records[0].totalUs);
    EXPECT_NE(std::string::npos, r.output.find("No such file or directory")) << r.output;
}

TEST_F(EncoderRecords, ReplyOfOneStopsTheEncodeAndLeavesAShorterCompleteFile)
{
    std::wstring out = Scratch(L"stopped.mp4");
    RunOptions o;
    o.window = true;
    o.context = 7;
    o.reply = [](const Record& r) -> LRESULT { return r.code == 22 && r.positionUs >= 500000 ? 1 : 0; };
    RunResult r = RunTool(L"-re -f lavfi -i testsrc=duration=30:size=160x120:rate=25 -codec:v libx264 "
                          L"-pix_fmt yuv420p -f mp4 " + Quote(out) + L" -y",
                          o);
    ASSERT_TRUE(r.finished) << r.output;
    EXPECT_EQ(3u, r.exitCode) << r.output;
    EXPECT_LT(r.elapsedMs, 15000u);
    ASSERT_FALSE(r.records.empty());
    EXPECT_EQ(24u, r.records.back().code);
    // ffmpeg ended cleanly: the file has its index and reads as a short video.
    int64_t duration = -1;
    std::vector<StreamInfo> streams = DescribeStreams(out, &duration);
    ASSERT_EQ(1u, streams.size());
    EXPECT_EQ('v', streams[0].kind);
    EXPECT_GT(duration, 0);
    EXPECT_LT(duration, 10000000);
}

}  // namespace
