// The update check without its dialogs: when a check is due, the feed's rules, the feed read as
// UTF-8, the comparison, and what starting a check does to "LastUpdateCheck".
#include "tests/toolkit/UpdateTestSupport.h"

#include "toolkit/WinInetRequest.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Seconds since 1970 of a local date and time.
__int64 Local(int year, int month, int day, int hour, int minute)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return _mktime64(&t);
}

const __int64 kHour = 3600;

} // namespace

TEST(UpdateCheckDue, FollowsTheIntervalInDays)
{
    const __int64 evening = Local(2024, 3, 10, 23, 59);
    const __int64 nextMorning = Local(2024, 3, 11, 0, 1);
    const __int64 noon = Local(2024, 3, 10, 12, 0);

    // 0 days: always, even right after a check.
    EXPECT_TRUE(IsUpdateCheckDue(evening, evening, 0));
    // 1 day: another calendar date, however close.
    EXPECT_TRUE(IsUpdateCheckDue(nextMorning, evening, 1));
    EXPECT_FALSE(IsUpdateCheckDue(evening, noon, 1));
    EXPECT_TRUE(IsUpdateCheckDue(noon, 0, 1));
    // 2 days: 48 hours and more.
    EXPECT_FALSE(IsUpdateCheckDue(noon + 47 * kHour, noon, 2));
    EXPECT_TRUE(IsUpdateCheckDue(noon + 48 * kHour, noon, 2));
    EXPECT_FALSE(IsUpdateCheckDue(noon + 6 * 24 * kHour, noon, 7));
    EXPECT_TRUE(IsUpdateCheckDue(noon + 7 * 24 * kHour, noon, 7));
    // Never with a negative interval.
    EXPECT_FALSE(IsUpdateCheckDue(noon + 400 * 24 * kHour, noon, -1));
    // A last check in the future (a clock set back) does not hold the checks off until then.
    EXPECT_TRUE(IsUpdateCheckDue(noon, noon + 300 * 24 * kHour, 7));
    EXPECT_TRUE(IsUpdateCheckDue(noon, noon + 2 * kHour, 1));
}

TEST(UpdateFeed, RequiredElementsAndTheirAlternatives)
{
    struct Case {
        const wchar_t* xml;
        int result;
    } cases[] = {
        {L"<Updates><Application><Version>3.4.0</Version><DownloadURL>http://a/b</DownloadURL></Application></Updates>", 0},
        {L"<Updates><Application><Version>3.4.0</Version><URL>http://a/u</URL></Application></Updates>", 0},
        {L"<Updates><Application><Version>3.4.0</Version></Application></Updates>", -1},
        {L"<Updates><Application><Version> </Version><URL>http://a/u</URL></Application></Updates>", -1},
        {L"<Updates><Application><URL>http://a/u</URL></Application></Updates>", -1},
        {L"<Updates><Version>3.4.0</Version><URL>http://a/u</URL></Updates>", -1},
        {L"<Update><Application><Version>3.4.0</Version><URL>http://a/u</URL></Application></Update>", -1},
        {L"<Updates><Application><Version>3.4.0</Version><URL>http://a/u</URL></Application>", -1},
        {L"", -1},
    };
    for (const Case& c : cases) {
        CUpdateChecker checker(L"Lumivo", L"3.3.0", L"", TRUE);
        checker.m_strNewestVersion = L"old";
        EXPECT_EQ(c.result, checker.ParseUpdateXml(c.xml)) << detail::Narrow(c.xml, -1, CP_UTF8);
        if (c.result != 0) {
            EXPECT_EQ(CString(L"old"), checker.m_strNewestVersion) << "a failed parse changes nothing";
        }
    }

    CUpdateChecker both(L"Lumivo", L"3.3.0", L"", TRUE);
    ASSERT_EQ(0, both.ParseUpdateXml(L"<Updates><Application><URL>http://a/u</URL><Version>\n 3.10.1 \n</Version>"
                                     L"<DownloadURL>http://a/d</DownloadURL><Other>x</Other></Application></Updates>"));
    EXPECT_EQ(CString(L"3.10.1"), both.m_strNewestVersion);
    EXPECT_EQ(CString(L"http://a/d"), both.m_strDownloadUrl);
}

TEST(UpdateFeed, LevelKeepsTheOldValueUnlessItIsANumber)
{
    CUpdateChecker checker(L"Lumivo", L"3.3.0", L"", TRUE);
    const wchar_t* head = L"<Updates><Application><Version>3.4.0</Version><URL>http://a/u</URL>";
    ASSERT_EQ(0, checker.ParseUpdateXml(CString(head) + L"<Level> 7 </Level></Application></Updates>"));
    EXPECT_EQ(7, checker.m_nLevel);
    for (const wchar_t* level : {L"<Level>high</Level>", L"<Level>12abc</Level>", L"<Level></Level>", L""}) {
        ASSERT_EQ(0, checker.ParseUpdateXml(CString(head) + level + L"</Application></Updates>"));
        EXPECT_EQ(7, checker.m_nLevel) << detail::Narrow(level, -1, CP_UTF8);
    }
    ASSERT_EQ(0, checker.ParseUpdateXml(CString(head) + L"<Level>-2</Level></Application></Updates>"));
    EXPECT_EQ(-2, checker.m_nLevel);
}

TEST(UpdateFeed, BackslashNInTheDescriptionIsALineBreak)
{
    CUpdateChecker checker(L"Lumivo", L"3.3.0", L"", TRUE);
    ASSERT_EQ(0, checker.ParseUpdateXml(L"<Updates><Application><Version>3.4.0</Version><URL>http://a/u</URL>"
                                        L"<Description>Faster\\nthumbnails\\\\n</Description></Application></Updates>"));
    EXPECT_EQ(CString(L"Faster\r\nthumbnails\\\r\n"), checker.m_strDescription);
}

TEST(UpdateFeed, OnlyWebAddressesAreOpenedForTheDownload)
{
    CUpdateTestHost host;
    SetToolkitHost(&host);
    CUpdateChecker checker(L"Lumivo", L"3.3.0", L"", TRUE);
    checker.m_strDownloadUrl = L"HTTPS://example.invalid/setup.exe";
    EXPECT_EQ(checker.m_strDownloadUrl, checker.GetDownloadPage());
    for (const wchar_t* url : {L"file:///C:/Windows/System32/calc.exe", L"calc.exe", L"\\\\server\\share\\setup.exe",
                               L" http://example.invalid/", L"httpx://example.invalid/"}) {
        checker.m_strDownloadUrl = url;
        EXPECT_EQ(host.GetProductPageUrl(), checker.GetDownloadPage()) << detail::Narrow(url, -1, CP_UTF8);
    }
    SetToolkitHost(nullptr);
}

TEST_F(UpdateCheckTest, FeedIsReadAsUtf8)
{
    const std::string description = "Gr\xC3\xB6\xC3\x9F" "ere Vorschaubilder \xE2\x80\x93 schneller";
    AddRoute("/utf8.xml", Feed("3.4.0", "http://a/d", description.c_str()));
    AddRoute("/bom.xml", "\xEF\xBB\xBF" + Feed("3.4.0", "http://a/d", description.c_str()));
    const CString expected = L"Gr\u00f6\u00dfere Vorschaubilder \u2013 schneller";
    for (const char* path : {"/utf8.xml", "/bom.xml"}) {
        CUpdateChecker* checker = NewChecker(path, TRUE);
        ASSERT_EQ(1, checker->Check()) << path;
        EXPECT_EQ(expected, checker->m_strDescription) << path;
    }
}

TEST_F(UpdateCheckTest, CheckComparesTheFeedsVersionWithTheRunningOne)
{
    AddRoute("/older.xml", Feed("3.2.9", "http://a/d"));
    AddRoute("/tens.xml", Feed("3.10.0", "http://a/d"));
    AddRoute("/broken.xml", "<Updates><Application><Version>3.4.0</Version>");
    struct Case {
        const char* path;
        int result;
    } cases[] = {{"/newer.xml", 1}, {"/same.xml", 0}, {"/older.xml", 0}, {"/tens.xml", 1},
                 {"/broken.xml", -1}, {"/missing.xml", -1}};
    for (const Case& c : cases) {
        CUpdateChecker* checker = NewChecker(c.path, TRUE);
        EXPECT_EQ(c.result, checker->Check()) << c.path;
    }
    CUpdateChecker* newer = NewChecker("/newer.xml", TRUE);
    ASSERT_EQ(1, newer->Check());
    EXPECT_EQ(CString(L"3.4.0"), newer->m_strNewestVersion);
    EXPECT_EQ(CString(L"http://127.0.0.1:9/download/setup.exe"), newer->m_strDownloadUrl);

    SetHttpConnectedStateFunction(&Offline);
    EXPECT_EQ(-1, NewChecker("/newer.xml", TRUE)->Check());
}

TEST_F(UpdateCheckTest, FeedIsReadUpToItsLimitAndNoFurther)
{
    // Feeds of exactly the limit and of one byte more, both valid documents.
    const std::string frame = Feed("3.4.0", "http://a/d", "x");
    const size_t padding = (size_t)kUpdateFeedLimit - (frame.size() - 1);
    const std::string atLimit = Feed("3.4.0", "http://a/d", std::string(padding, 'd').c_str());
    ASSERT_EQ((size_t)kUpdateFeedLimit, atLimit.size());
    AddRoute("/at-limit.xml", atLimit);
    AddRoute("/over-limit.xml", Feed("3.4.0", "http://a/d", std::string(padding + 1, 'd').c_str()));
    // A mistyped address that serves something without end.
    LoopbackRoute endless;
    endless.path = "/endless";
    endless.body = std::string(64 * 1024, 'z');
    endless.honourRange = false;
    endless.endless = true;
    m_server.AddRoute(endless);

    EXPECT_EQ(1, NewChecker("/at-limit.xml", TRUE)->Check());
    EXPECT_EQ(-1, NewChecker("/over-limit.xml", TRUE)->Check());
    CUpdateChecker* checker = NewChecker("/endless", TRUE);
    const DWORD start = GetTickCount();
    EXPECT_EQ(-1, checker->Check());
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_TRUE(checker->m_strNewestVersion.IsEmpty());
    // The check stopped reading: what the server could still send went nowhere.
    m_server.Stop();
    EXPECT_LT(m_server.BodyBytesSent(), 64ll * 1024 * 1024);
}

TEST_F(UpdateCheckTest, AutomaticCheckThatIsNotDueDoesNothing)
{
    const __int64 recent = _time64(NULL) - 60;
    m_host.m_autoCheckDays = 1;
    m_host.m_lastCheck = recent;
    // A minute ago on the same date (unless the test runs across midnight).
    if (!IsUpdateCheckDue(_time64(NULL), recent, 1)) {
        EXPECT_EQ(1, StartUpdateCheck(m_host.m_feed, L"3.3.0", 1, TRUE));
        EXPECT_EQ(recent, m_host.m_lastCheck);
    }
    m_host.m_lastCheck = recent;
    EXPECT_EQ(1, StartUpdateCheck(m_host.m_feed, L"3.3.0", -1, TRUE));
    EXPECT_EQ(1, StartUpdateCheck(m_host.m_feed, L"3.3.0", 7, TRUE));
    EXPECT_EQ(recent, m_host.m_lastCheck);
    // Other wParam values of the start message do nothing at all.
    m_host.m_lastCheck = 0;
    EXPECT_EQ(0, HandleStartUpdateCheck(1, 0));
    EXPECT_EQ(0, m_host.m_lastCheck);
    Sleep(200);
    EXPECT_EQ(0, m_server.ConnectionCount());
}

TEST_F(UpdateCheckTest, ManualCheckAlwaysRunsAndNotesItsTime)
{
    // Failing (the feed is missing) a manual check says so; it ran although one ran a minute ago.
    m_host.m_feed = m_server.Url("/missing.xml");
    const __int64 before = _time64(NULL);
    m_host.m_lastCheck = before - 60;
    ASSERT_EQ(0, HandleStartUpdateCheck(0, 0));
    // The progress dialog runs on the check's thread; the failure ends it and the box follows.
    EXPECT_TRUE(PumpUntil([&] { return !m_effects.Boxes().empty(); }, 30000));
    EXPECT_GE(m_host.m_lastCheck, before);
    EXPECT_LE(m_host.m_lastCheck, _time64(NULL));
    std::vector<RecordedBox> boxes = m_effects.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(CString(kUpdateFailedText), boxes[0].text);
}
