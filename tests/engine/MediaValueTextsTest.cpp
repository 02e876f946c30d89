// The text forms of media values: the shapes the tools parse and the playlist file stores.
#include <gtest/gtest.h>

#include "engine/MediaValueTexts.h"

namespace {

struct TimeCase {
    __int64 ms;
    BOOL seconds, withMs, forceHours;
    const wchar_t* text;
};

const TimeCase kTimeCases[] = {
    {65250, 0, 1, 1, L"0:01:05.250"},      // the tool command lines' form
    {0, 0, 1, 1, L"0:00:00.000"},
    {65250, 0, 1, 0, L"1:05.250"},
    {3723004, 0, 1, 0, L"1:02:03.004"},    // hours shown when there are any
    {36000000, 0, 1, 1, L"10:00:00.000"},
    {999, 0, 0, 0, L"0:01"},               // under one second counts as one second
    {1, 0, 0, 1, L"0:00:01"},
    {0, 0, 0, 0, L"0:00"},
    {61999, 0, 0, 0, L"1:01"},             // truncated, not rounded
    {3600000, 0, 0, 0, L"1:00:00"},
    {65250, 1, 1, 0, L"65.250"},
    {65250, 1, 0, 0, L"65"},
    {400, 1, 0, 0, L"1"},
    {0, 1, 0, 0, L"0"},
    {1999, 1, 0, 0, L"1"},
};

TEST(MediaValueTexts, FormatTimeMsTable)
{
    for (const TimeCase& c : kTimeCases)
        EXPECT_STREQ(c.text, FormatTimeMs(c.ms, c.seconds, c.withMs, c.forceHours))
            << c.ms << " " << c.seconds << c.withMs << c.forceHours;
}

TEST(MediaValueTexts, FormatTimeUsTruncatesToMilliseconds)
{
    EXPECT_STREQ(L"0:00:12.500", FormatTimeUs(12500999, 0, 1, 1));
    EXPECT_STREQ(L"0:00:00.001", FormatTimeUs(1, 0, 1, 1));   // > 0 but under 1 ms counts as 1 ms
    EXPECT_STREQ(L"0:00:00.000", FormatTimeUs(0, 0, 1, 1));
    EXPECT_STREQ(L"90.000", FormatTimeUs(90000000, 1, 1, 0));
}

struct ParseCase {
    const wchar_t* text;
    __int64 ms;
};

const ParseCase kParseCases[] = {
    {L"0:01:05.250", 65250},
    {L"1:02.500", 62500},
    {L"1:02.5", 62005},            // the fraction is a whole number of milliseconds
    {L"1:2:3:4", 3723000},         // a fourth part is ignored
    {L"1::2", 62000},              // empty parts are skipped
    {L"::5", 5000},
    {L"", 0},
    {L"   ", 0},
    {L" 1 : 0 2 ", 62000},         // blanks anywhere are removed
    {L"\t7\t", 7000},
    {L"42", 42000},
    {L"42.123", 42123},
    {L"2:00:00.000", 7200000},
    {L"abc", 0},
    {L"700:00:00", 2520000000LL},  // beyond 32 bits, without wrapping
};

TEST(MediaValueTexts, ParseTimeMsTable)
{
    for (const ParseCase& c : kParseCases)
        EXPECT_EQ(c.ms, ParseTimeMs(c.text)) << CStringA(c.text).GetString();
    EXPECT_EQ(0, ParseTimeMs(nullptr));
}

TEST(MediaValueTexts, ParseReadsBackWhatFormatWrites)
{
    for (__int64 ms = 0; ms < 100LL * 3600000; ms += ms / 5 + 7)
        ASSERT_EQ(ms, ParseTimeMs(FormatTimeMs(ms, 0, 1, 1))) << ms;
    for (__int64 ms = 0; ms < 200000; ms += 997)
        ASSERT_EQ(ms, ParseTimeMs(FormatTimeMs(ms, 0, 1, 1))) << ms;
}

TEST(MediaValueTexts, Pairs)
{
    EXPECT_STREQ(L"640x480", FormatPairOrAuto(640, 480, L"%dx%d", 1));
    EXPECT_STREQ(L"Auto", FormatPairOrAuto(0, 480, L"%dx%d", 1));
    EXPECT_STREQ(L"Auto", FormatPairOrAuto(640, 0, L"%dx%d", 1));
    EXPECT_STREQ(L"0x480", FormatPairOrAuto(0, 480, L"%dx%d", 0));
    EXPECT_STREQ(L"16/9", FormatIntPair(16, 9, L"%d/%d"));

    int a = -1, b = -1;
    EXPECT_EQ(2, ScanIntPair(L"30000/1001", L"%d/%d", a, b));
    EXPECT_EQ(30000, a);
    EXPECT_EQ(1001, b);
    EXPECT_EQ(1, ScanIntPair(L"25", L"%d/%d", a, b));
    EXPECT_EQ(25, a);
    EXPECT_EQ(0, b);
    ScanIntPair(L"x/y", L"%d/%d", a, b);
    EXPECT_EQ(0, a);
    EXPECT_EQ(0, b);
    EXPECT_EQ(2, ScanIntPair("1280x720", "%dx%d", a, b));
    EXPECT_EQ(1280, a);
    EXPECT_EQ(720, b);
}

TEST(MediaValueTexts, Channels)
{
    EXPECT_STREQ(L"Mono", FormatChannels(1, 0));
    EXPECT_STREQ(L"Stereo", FormatChannels(2, 0));
    EXPECT_STREQ(L"5.1", FormatChannels(6, 1));
    EXPECT_STREQ(L"Auto", FormatChannels(0, 1));
    EXPECT_STREQ(L"", FormatChannels(0, 0));
    EXPECT_STREQ(L"", FormatChannels(4, 1));
    EXPECT_STREQ(L"", FormatChannels(-1, 1));
}

TEST(MediaValueTexts, BitRates)
{
    EXPECT_STREQ(L"128 kbps", FormatBitRate(128000, L"%.3f", 1, 0));
    EXPECT_STREQ(L"1411.2 kbps", FormatBitRate(1411200, L"%.3f", 1, 0));
    EXPECT_STREQ(L"1 kbps", FormatBitRate(1000, L"%.3f", 1, 0));
    EXPECT_STREQ(L"0.5", FormatBitRate(500, L"%.3f", 0, 0));
    EXPECT_STREQ(L"100", FormatBitRate(100000, L"%.3f", 0, 0));  // inner zeros stay
    EXPECT_STREQ(L"Auto", FormatBitRate(0, L"%.3f", 1, 1));
    EXPECT_STREQ(L"", FormatBitRate(0, L"%.3f", 1, 0));
    EXPECT_STREQ(L"", FormatBitRate(-5, L"%.3f", 1, 1));
    EXPECT_STREQ(L"1000", FormatBitRate(1000000, L"%.0f", 0, 0));  // no point, no trimming
}

TEST(MediaValueTexts, RatiosAndFrameRates)
{
    EXPECT_STREQ(L"29.97", FormatRatio(30000, 1001, L"%.3f"));
    EXPECT_STREQ(L"25", FormatRatio(25, 1, L"%.3f"));
    EXPECT_STREQ(L"23.976", FormatRatio(24000, 1001, L"%.3f"));
    EXPECT_STREQ(L"", FormatRatio(0, 1, L"%.3f"));
    EXPECT_STREQ(L"", FormatRatio(25, 0, L"%.3f"));
    EXPECT_STREQ(L"", FormatRatio(-25, 1, L"%.3f"));

    EXPECT_STREQ(L"29.97 fps", FormatFrameRate(30000, 1001, L"%.3f", 1, 1));
    EXPECT_STREQ(L"50", FormatFrameRate(50, 1, L"%.3f", 0, 1));
    EXPECT_STREQ(L"Auto", FormatFrameRate(0, 1, L"%.3f", 1, 1));
    EXPECT_STREQ(L"Auto", FormatFrameRate(25, 0, L"%.3f", 1, 1));
    EXPECT_STREQ(L"", FormatFrameRate(0, 0, L"%.3f", 1, 0));
}

}  // namespace
