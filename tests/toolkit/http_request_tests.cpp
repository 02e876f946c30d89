// The WinINet downloader against the scripted loopback server: every result code, the watch that
// breaks off cancelled and stalled transfers, ranges, redirects, the request headers, and the two
// byte sinks.
#include "tests/toolkit/HttpTestSupport.h"

#include "framework/Handles.h"
#include "toolkit/ByteSinks.h"
#include "toolkit/WinInetRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <mutex>
#include <set>
#include <thread>

namespace {

std::string Pattern(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = (char)('a' + (i * 7 + i / 26) % 26);
    return s;
}

// Equal byte strings, or where they first differ (the strings may be long).
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size()
                                         << ", first difference at byte " << at;
}

std::string ReadFileBytes(const CString& path)
{
    std::string bytes;
    FILE* f = _wfopen(path, L"rb");
    if (!f)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

void WriteFileBytes(const CString& path, const std::string& bytes)
{
    FILE* f = _wfopen(path, L"wb");
    ASSERT_TRUE(f != nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// The names of the files in a folder, sorted.
std::vector<CString> FolderFiles(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    return names;
}

std::string Bytes(CMemoryStream& stream)
{
    return std::string((const char*)stream.GetBuffer(), (size_t)stream.GetSize());
}

// Records the hooks; can set the cancel flag or end the transfer after a number of blocks.
class CRecordingListener : public CHttpRequestListener {
public:
    int OnHook0(CHttpRequest*, __int64) override { return -1; }
    int OnHook1(CHttpRequest*, __int64) override { return -1; }
    int OnHook2(CHttpRequest*, __int64 id, const CHttpProgress& progress) override
    {
        ++m_before;
        m_id = id;
        m_threadId = GetCurrentThreadId();
        m_lengthBeforeBody = progress.m_nContentLength;
        return 0;
    }
    int OnHook3(CHttpRequest*, __int64, const CHttpProgress& progress) override
    {
        ++m_blocks;
        m_received = progress.m_nReceived;
        if (m_cancelAfterBlocks && m_blocks == m_cancelAfterBlocks)
            *m_pCancel = 1;
        return m_endAfterBlocks && m_blocks == m_endAfterBlocks ? 10 : 0;
    }
    int OnHook4(CHttpRequest*, __int64, const CHttpProgress&) override
    {
        ++m_after;
        return 0;
    }

    int m_before = 0, m_blocks = 0, m_after = 0;
    DWORD m_threadId = 0;
    __int64 m_id = 0, m_lengthBeforeBody = -1, m_received = 0;
    int m_cancelAfterBlocks = 0, m_endAfterBlocks = 0;
    volatile LONG* m_pCancel = nullptr;
};

// Counts the handle closes of every transfer and passes them on.
std::mutex g_closesLock;
std::vector<HINTERNET> g_closes;

BOOL WINAPI CountingClose(HINTERNET handle)
{
    {
        std::lock_guard<std::mutex> lock(g_closesLock);
        g_closes.push_back(handle);
    }
    return InternetCloseHandle(handle);
}

std::vector<HINTERNET> Closes()
{
    std::lock_guard<std::mutex> lock(g_closesLock);
    return g_closes;
}

struct CloseCounter {
    CloseCounter()
    {
        g_closes.clear();
        SetHttpCloseHandleFunction(&CountingClose);
    }
    ~CloseCounter() { SetHttpCloseHandleFunction(NULL); }
};

// A sink that refuses every write after the first.
class CFailingSink : public CMemoryStream {
public:
    int Write(const void* buffer, DWORD count, DWORD* written) override
    {
        if (++m_writes > 1) {
            *written = 0;
            return -1;
        }
        return CMemoryStream::Write(buffer, count, written);
    }
    int m_writes = 0;
};

class HttpDownload : public HttpServerTest {
protected:
    void SetUp() override
    {
        HttpServerTest::SetUp();
        AddRoute("/feed.xml", kFeed);
        AddRoute("/exact1024", Pattern(1024));
        AddRoute("/big.bin", Pattern(100000));
        LoopbackRoute ignoring;
        ignoring.path = "/no-range.bin";
        ignoring.body = Pattern(100000);
        ignoring.honourRange = false;
        m_server.AddRoute(ignoring);
        LoopbackRoute slow;
        slow.path = "/slow.bin";
        slow.body = Pattern(8 * 4096);
        slow.chunkBytes = 4096;
        slow.chunkDelayMs = 400;
        m_server.AddRoute(slow);
        LoopbackRoute stall;
        stall.path = "/stall.bin";
        stall.body = Pattern(50000);
        stall.stallAfter = 1000;
        m_server.AddRoute(stall);
        LoopbackRoute cut;
        cut.path = "/cut.bin";
        cut.body = Pattern(20000);
        cut.closeAfter = 5000;
        m_server.AddRoute(cut);
        LoopbackRoute redirect;
        redirect.path = "/moved";
        redirect.status = 302;
        redirect.headers.push_back("Location: /feed.xml");
        m_server.AddRoute(redirect);
        ASSERT_TRUE(m_server.Start());
        m_folder = ScratchFolder(L"http");
    }

    static const char kFeed[];
    CString m_folder;
};

const char HttpDownload::kFeed[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Updates><Application><Version>3.4.0</Version></Application></Updates>\r\n";

} // namespace

TEST_F(HttpDownload, MemoryGetsTheBodyAndTheResponseFields)
{
    CWinInetRequest request;
    CRecordingListener listener;
    request.m_pListener = &listener;
    request.m_nRequestId = 77;
    request.m_strUrl = m_server.Url("/feed.xml");
    CString text;
    ASSERT_EQ(0, request.DownloadToMemory(text));
    EXPECT_EQ(CString(kFeed), text);
    EXPECT_EQ(200, request.m_nStatusCode);
    EXPECT_EQ((__int64)strlen(kFeed), request.m_progress.m_nContentLength);
    EXPECT_EQ((__int64)strlen(kFeed), request.m_progress.m_nReceived);
    EXPECT_TRUE(request.m_progress.m_bResumable);
    EXPECT_EQ(CString(L"bytes"), request.m_strAcceptRanges);
    EXPECT_EQ(0, request.m_strRawHeaders.Find(L"HTTP/1.1 200"));
    EXPECT_GE(request.m_strRawHeaders.Find(L"Content-Length: "), 0);
    EXPECT_TRUE(request.m_strLocation.IsEmpty());
    EXPECT_EQ(1, listener.m_before);
    EXPECT_EQ(1, listener.m_after);
    EXPECT_EQ(77, listener.m_id);
    EXPECT_EQ((__int64)strlen(kFeed), listener.m_lengthBeforeBody);

    std::vector<LoopbackRequest> seen = m_server.Requests();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("GET", seen[0].method);
    EXPECT_EQ("/feed.xml", seen[0].target);
    EXPECT_EQ(std::string(detail::Narrow(kDefaultHttpUserAgent, -1, CP_ACP)), seen[0].Header("User-Agent"));
}

TEST_F(HttpDownload, MemoryTextIsExactlyTheReceivedBytes)
{
    // 1024 bytes fill the buffer's first step exactly: nothing behind them may be read as text.
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/exact1024");
    CString text;
    ASSERT_EQ(0, request.DownloadToMemory(text));
    EXPECT_EQ(1024, text.GetLength());
    EXPECT_TRUE(CString(Pattern(1024).c_str()) == text);

    CWinInetRequest bytesRequest;
    bytesRequest.m_strUrl = m_server.Url("/big.bin");
    CMemoryStream bytes;
    ASSERT_EQ(0, bytesRequest.DownloadToMemory(bytes));
    EXPECT_TRUE(SameBytes(Pattern(100000), Bytes(bytes)));
}

TEST_F(HttpDownload, MemoryTextIsReadInTheAnsiCodePage)
{
    const std::string body = "caf\xC3\xA9 \xE9t\xE9";
    AddRoute("/ansi.txt", body);
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/ansi.txt");
    CString text;
    ASSERT_EQ(0, request.DownloadToMemory(text));
    EXPECT_EQ(CString(detail::Widen(body.c_str(), (int)body.size(), CP_ACP)), text);
    // The update check reads its feed as UTF-8 itself; this text keeps the system's code page.
    if (GetACP() != CP_UTF8) {
        EXPECT_NE(CString(detail::Widen(body.c_str(), (int)body.size(), CP_UTF8)), text);
    }
}

TEST_F(HttpDownload, FileIsReplacedAppendedOrResumed)
{
    const std::string big = Pattern(100000);
    CString path = m_folder + L"\\download.bin";
    WriteFileBytes(path, std::string(200000, 'x'));

    CWinInetRequest replace;
    replace.m_strUrl = m_server.Url("/big.bin");
    ASSERT_EQ(0, replace.DownloadToFile(path, 0, FALSE));
    EXPECT_TRUE(SameBytes(big, ReadFileBytes(path)));

    CWinInetRequest append;
    append.m_strUrl = m_server.Url("/feed.xml");
    ASSERT_EQ(0, append.DownloadToFile(path, -1, FALSE));
    EXPECT_TRUE(SameBytes(big + kFeed, ReadFileBytes(path)));

    // A file holding the first 30000 bytes gets the rest through a range request.
    WriteFileBytes(path, big.substr(0, 30000));
    CWinInetRequest resume;
    resume.m_strUrl = m_server.Url("/big.bin");
    resume.m_nExpectedSize = (__int64)big.size();
    ASSERT_EQ(0, resume.DownloadToFile(path, 30000, TRUE));
    EXPECT_TRUE(SameBytes(big, ReadFileBytes(path)));
    EXPECT_EQ(206, resume.m_nStatusCode);
    EXPECT_EQ("bytes=30000-", m_server.Requests().back().Header("Range"));
}

TEST_F(HttpDownload, FailedFreshDownloadLeavesTheExistingFileAsItWas)
{
    const std::string before = Pattern(30000);
    CString path = m_folder + L"\\kept.bin";
    // A refused request (404), a connection dropped after some bytes, and a cancel after a block.
    for (const char* target : {"/nothing-here", "/cut.bin", "/slow.bin"}) {
        WriteFileBytes(path, before);
        volatile LONG cancel = 0;
        CRecordingListener listener;
        listener.m_cancelAfterBlocks = strcmp(target, "/slow.bin") == 0 ? 1 : 0;
        listener.m_pCancel = &cancel;
        CWinInetRequest request;
        request.m_pListener = &listener;
        request.m_pCancel = &cancel;
        request.m_strUrl = m_server.Url(target);
        EXPECT_NE(0, request.DownloadToFile(path, 0, FALSE)) << target;
        EXPECT_TRUE(SameBytes(before, ReadFileBytes(path))) << target;
        // Nothing of the failed download is left beside it.
        std::vector<CString> files = FolderFiles(m_folder);
        ASSERT_EQ(1u, files.size()) << target;
        EXPECT_EQ(CString(L"kept.bin"), files[0]) << target;
    }

    // Without a file there before, a failure leaves none.
    CWinInetRequest missing;
    missing.m_strUrl = m_server.Url("/nothing-here");
    EXPECT_EQ(-2, missing.DownloadToFile(m_folder + L"\\new.bin", 0, FALSE));
    EXPECT_EQ(1u, FolderFiles(m_folder).size());

    // A complete download replaces the file, also one that is longer than the body.
    WriteFileBytes(path, std::string(200000, 'x'));
    CWinInetRequest whole;
    whole.m_strUrl = m_server.Url("/big.bin");
    ASSERT_EQ(0, whole.DownloadToFile(path, 0, FALSE));
    EXPECT_TRUE(SameBytes(Pattern(100000), ReadFileBytes(path)));
    EXPECT_EQ(1u, FolderFiles(m_folder).size());
}

TEST_F(HttpDownload, ResumedDownloadNeverShortensTheFile)
{
    // The first 30000 bytes of the resource are there, and more bytes of an earlier try behind them.
    const std::string before = Pattern(100000).substr(0, 30000) + std::string(50000, 'x');
    CString path = m_folder + L"\\resumed.bin";
    struct {
        const char* target;
        int result;
    } cases[] = {{"/nothing-here", -2}, {"/no-range.bin", -2}, {"/cut.bin", -1}};
    for (const auto& c : cases) {
        WriteFileBytes(path, before);
        CWinInetRequest request;
        request.m_strUrl = m_server.Url(c.target);
        EXPECT_EQ(c.result, request.DownloadToFile(path, 3000, TRUE)) << c.target;
        std::string after = ReadFileBytes(path);
        EXPECT_EQ(before.size(), after.size()) << c.target;
        EXPECT_TRUE(SameBytes(before.substr(0, 3000), after.substr(0, 3000))) << c.target;
    }
}

TEST_F(HttpDownload, RemoteSizeFromAnOffsetNeedsTheRangeHonoured)
{
    __int64 size = -1;
    CWinInetRequest whole;
    whole.m_strUrl = m_server.Url("/no-range.bin");
    ASSERT_EQ(0, whole.GetRemoteSize(size, 0));
    EXPECT_EQ(100000, size);

    // The server answers the whole resource: its length is not the size from the offset on.
    CWinInetRequest ignored;
    ignored.m_strUrl = m_server.Url("/no-range.bin");
    size = -1;
    EXPECT_EQ(-2, ignored.GetRemoteSize(size, 30000));
    EXPECT_EQ(200, ignored.m_nStatusCode);
    EXPECT_EQ(0, size);

    CWinInetRequest honoured;
    honoured.m_strUrl = m_server.Url("/big.bin");
    ASSERT_EQ(0, honoured.GetRemoteSize(size, 30000));
    EXPECT_EQ(206, honoured.m_nStatusCode);
    EXPECT_EQ(70000, size);
}

TEST_F(HttpDownload, ServerIgnoringRangeIsNotHonouredAndWritesNothing)
{
    const std::string partial = Pattern(100000).substr(0, 30000);
    CString path = m_folder + L"\\resume.bin";
    // With the whole size known (the check of the announced length) and without it (the status).
    for (__int64 expected : {(__int64)100000, (__int64)-1}) {
        WriteFileBytes(path, partial);
        CWinInetRequest request;
        request.m_strUrl = m_server.Url("/no-range.bin");
        request.m_nExpectedSize = expected;
        EXPECT_EQ(-2, request.DownloadToFile(path, 30000, TRUE)) << expected;
        EXPECT_EQ(200, request.m_nStatusCode);
        EXPECT_TRUE(SameBytes(partial, ReadFileBytes(path))) << expected;
    }
}

TEST_F(HttpDownload, FileThatCannotBeOpenedOrPositionedIsMinusTwo)
{
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/big.bin");
    EXPECT_EQ(-2, request.DownloadToFile(m_folder + L"\\no such folder\\file.bin", 0, FALSE));
    EXPECT_EQ(-2, request.DownloadToFile(m_folder + L"\\missing.bin", 0, TRUE));
    CString path = m_folder + L"\\short.bin";
    WriteFileBytes(path, "12345");
    EXPECT_EQ(-2, request.DownloadToFile(path, 6, FALSE));
    EXPECT_TRUE(SameBytes("12345", ReadFileBytes(path)));
    EXPECT_EQ(0, m_server.ConnectionCount());
}

TEST_F(HttpDownload, NoConnectionIsMinusTwoWithoutNetworkCalls)
{
    SetHttpConnectedStateFunction(&Offline);
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/feed.xml");
    CString text = L"old";
    EXPECT_EQ(-2, request.DownloadToMemory(text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, m_server.ConnectionCount());
}

TEST_F(HttpDownload, OtherSchemesAreMinusTwoWithoutNetworkCalls)
{
    CString ftp;
    ftp.Format(L"ftp://127.0.0.1:%d/feed.xml", m_server.Port());
    for (const CString& url : {ftp, CString(L"not a url"), CString(L"")}) {
        CWinInetRequest request;
        request.m_strUrl = url;
        CString text;
        EXPECT_EQ(-2, request.DownloadToMemory(text)) << detail::Narrow(url, -1, CP_ACP);
    }
    EXPECT_EQ(0, m_server.ConnectionCount());
}

TEST_F(HttpDownload, ErrorStatusIsMinusTwo)
{
    // 404 for a target the server does not know; the others say so with a body of their own.
    AddRoute("/bad-request", "<html>bad</html>", 400);
    AddRoute("/server-error", "<html>broken</html>", 500);
    AddRoute("/unavailable", "<html>later</html>", 503);
    struct {
        const char* path;
        int status;
    } cases[] = {{"/nothing-here", 404}, {"/bad-request", 400}, {"/server-error", 500}, {"/unavailable", 503}};
    for (const auto& c : cases) {
        CWinInetRequest request;
        CRecordingListener listener;
        request.m_pListener = &listener;
        request.m_strUrl = m_server.Url(c.path);
        CMemoryStream sink;
        EXPECT_EQ(-2, request.Download(&sink)) << c.path;
        EXPECT_EQ(c.status, request.m_nStatusCode) << c.path;
        EXPECT_EQ(0, sink.GetSize()) << c.path;
        EXPECT_EQ(0, listener.m_before) << c.path;
        CString text = L"old";
        CWinInetRequest toMemory;
        toMemory.m_strUrl = m_server.Url(c.path);
        EXPECT_EQ(-2, toMemory.DownloadToMemory(text)) << c.path;
        EXPECT_TRUE(text.IsEmpty()) << c.path;
    }
}

TEST_F(HttpDownload, RedirectIsFollowedOrRecorded)
{
    CWinInetRequest follow;
    follow.m_strUrl = m_server.Url("/moved");
    CString text;
    ASSERT_EQ(0, follow.DownloadToMemory(text));
    EXPECT_EQ(CString(kFeed), text);
    EXPECT_EQ(200, follow.m_nStatusCode);

    CWinInetRequest stay;
    stay.m_strUrl = m_server.Url("/moved");
    stay.m_bNoRedirect = TRUE;
    ASSERT_EQ(0, stay.DownloadToMemory(text));
    EXPECT_EQ(302, stay.m_nStatusCode);
    EXPECT_EQ(CString(L"/feed.xml"), stay.m_strLocation);
}

TEST_F(HttpDownload, RequestCarriesItsHeadersAndQuery)
{
    AddRoute("/feed.xml?v=3.3.0&p=Lumivo", kFeed);
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/feed.xml?v=3.3.0&p=Lumivo");
    request.m_strUserAgent = L"TestAgent/1.0";
    request.m_strAccept = L"text/xml";
    request.m_strAcceptLanguage = L"fr";
    request.m_strReferrer = L"http://127.0.0.1/from";
    request.m_strCookies = L" a=1 ;; b=two ; ";
    request.m_strExtraHeaders = L"X-Extra: yes\r\n";
    request.m_nRangeStart = 10;
    __int64 size = 0;
    ASSERT_EQ(0, request.GetRemoteSize(size, 10));
    EXPECT_EQ((__int64)strlen(kFeed) - 10, size);

    std::vector<LoopbackRequest> seen = m_server.Requests();
    ASSERT_EQ(1u, seen.size());
    const LoopbackRequest& r = seen[0];
    EXPECT_EQ("/feed.xml?v=3.3.0&p=Lumivo", r.target);
    EXPECT_EQ("TestAgent/1.0", r.Header("User-Agent"));
    EXPECT_EQ("text/xml", r.Header("Accept"));
    EXPECT_EQ("fr", r.Header("Accept-Language"));
    EXPECT_EQ("http://127.0.0.1/from", r.Header("Referer"));
    EXPECT_EQ("bytes=10-", r.Header("Range"));
    EXPECT_EQ("yes", r.Header("X-Extra"));
    // Each cookie on a line of its own (the stack may also fold them into one).
    std::string cookies;
    for (const std::string& c : r.Headers("Cookie"))
        cookies += c + "|";
    EXPECT_TRUE(cookies == "a=1|b=two|" || cookies == "a=1; b=two|") << cookies;
}

TEST_F(HttpDownload, BytesToReadAndTheListenerEndTheBodyEarly)
{
    CWinInetRequest limited;
    limited.m_strUrl = m_server.Url("/big.bin");
    limited.m_nBytesToRead = 5000;
    limited.m_nBufferSize = 4096;
    CMemoryStream first;
    ASSERT_EQ(0, limited.Download(&first));
    EXPECT_TRUE(SameBytes(Pattern(5000), Bytes(first)));

    CWinInetRequest ended;
    CRecordingListener listener;
    listener.m_endAfterBlocks = 2;
    ended.m_pListener = &listener;
    ended.m_nBufferSize = 1000;
    ended.m_strUrl = m_server.Url("/big.bin");
    CMemoryStream second;
    ASSERT_EQ(0, ended.Download(&second));
    EXPECT_EQ(2, listener.m_blocks);
    EXPECT_TRUE(SameBytes(Pattern(2000), Bytes(second)));
    EXPECT_EQ(1, listener.m_after);
}

TEST_F(HttpDownload, CutConnectionAndFailingSinkAreMinusOne)
{
    CWinInetRequest cut;
    cut.m_strUrl = m_server.Url("/cut.bin");
    CMemoryStream sink;
    EXPECT_EQ(-1, cut.Download(&sink));
    EXPECT_EQ(20000, cut.m_progress.m_nContentLength);
    EXPECT_LE(sink.GetSize(), 5000);

    CWinInetRequest failing;
    failing.m_strUrl = m_server.Url("/big.bin");
    failing.m_nBufferSize = 1000;
    CFailingSink refusing;
    EXPECT_EQ(-1, failing.Download(&refusing));
    EXPECT_EQ(1000, refusing.GetSize());
}

TEST_F(HttpDownload, SlowBodyWithinTheTimeoutCompletes)
{
    // Eight chunks 400 ms apart take longer than the two-second time-out, but none stalls.
    CWinInetRequest request;
    request.m_strUrl = m_server.Url("/slow.bin");
    request.m_nTimeout = 2;
    CMemoryStream sink;
    ASSERT_EQ(0, request.Download(&sink));
    EXPECT_TRUE(SameBytes(Pattern(8 * 4096), Bytes(sink)));
}

TEST_F(HttpDownload, CancelFlagStopsTheTransfer)
{
    volatile LONG cancel = 0;
    CWinInetRequest request;
    CRecordingListener listener;
    listener.m_cancelAfterBlocks = 1;
    listener.m_pCancel = &cancel;
    request.m_pListener = &listener;
    request.m_pCancel = &cancel;
    request.m_strUrl = m_server.Url("/slow.bin");
    CMemoryStream sink;
    EXPECT_EQ(1, request.Download(&sink));
    EXPECT_EQ(1, listener.m_blocks);
    EXPECT_EQ(4096, sink.GetSize());
    // Set before the start, the flag stops the transfer after the first handle.
    CWinInetRequest early;
    early.m_pCancel = &cancel;
    early.m_strUrl = m_server.Url("/feed.xml");
    CString text;
    EXPECT_EQ(1, early.DownloadToMemory(text));
}

TEST_F(HttpDownload, CancelFromAnotherThreadBreaksABlockedRead)
{
    volatile LONG cancel = 0;
    CWinInetRequest request;
    request.m_pCancel = &cancel;
    request.m_strUrl = m_server.Url("/stall.bin");
    CMemoryStream sink;
    DWORD cancelledAt = 0;
    std::thread canceller([&] {
        m_server.WaitForRequests(1, 20000);
        Sleep(300);
        cancelledAt = GetTickCount();
        InterlockedExchange(&cancel, 2);
    });
    int result = request.Download(&sink);
    DWORD ended = GetTickCount();
    canceller.join();
    // The watch sees the flag within 500 ms, closes the handles and waits up to a second.
    EXPECT_TRUE(result == 1 || result == -1) << result;
    EXPECT_LT(ended - cancelledAt, 500u + 1000u + 2000u);
}

TEST_F(HttpDownload, StallIsBrokenOffAndTheTransferEndsOnItsOwn)
{
    CloseCounter closes;
    CWinInetRequest stalled;
    CRecordingListener listener;
    stalled.m_pListener = &listener;
    stalled.m_strUrl = m_server.Url("/stall.bin");
    stalled.m_nTimeout = 2;
    CMemoryStream sink;
    DWORD start = GetTickCount();
    int result = stalled.Download(&sink);
    DWORD elapsed = GetTickCount() - start;
    // The interrupted read reports its failure (-1), or the thread is given up (1).
    EXPECT_TRUE(result == -1 || result == 1) << result;
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 2000u + 3500u + 2500u);
    EXPECT_LE(sink.GetSize(), 1000);
    EXPECT_EQ(3u, Closes().size());   // by the watch
    ASSERT_NE(0u, listener.m_threadId);
    CHandle transfer(OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, listener.m_threadId));
    ASSERT_TRUE(transfer.IsValid());
    // Given up, the thread is not killed: it still waits in its read.
    if (result == 1) {
        EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(transfer, 0));
    }

    // A second download runs meanwhile. When the stalled read returns, the old transfer closes
    // nothing again (the numbers may belong to the new one by then) and ends by itself.
    int second = -99;
    std::string body;
    std::thread next([&] {
        CWinInetRequest request;
        request.m_strUrl = m_server.Url("/slow.bin");
        CMemoryStream bytes;
        second = request.Download(&bytes);
        body = Bytes(bytes);
    });
    EXPECT_TRUE(m_server.WaitForRequests(2, 20000));
    m_server.ReleaseStalls();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(transfer, 20000));
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeThread(transfer, &code));
    EXPECT_EQ(0u, code);
    next.join();
    EXPECT_EQ(0, second);
    EXPECT_TRUE(SameBytes(Pattern(8 * 4096), body));
    // Session, connection and request of each transfer, each closed once.
    std::vector<HINTERNET> closed = Closes();
    EXPECT_EQ(6u, closed.size());
    EXPECT_EQ(closed.size(), std::set<HINTERNET>(closed.begin(), closed.end()).size());
}

// Byte sinks ------------------------------------------------------------------------------------

TEST(ByteSinks, MemoryStreamGrowsInStepsAndSeeksWithinBounds)
{
    CMemoryStream stream(100);
    DWORD n = 0;
    EXPECT_EQ(0, stream.Write("hello", 5, &n));
    EXPECT_EQ(5u, n);
    EXPECT_EQ(100u, stream.GetCapacity());
    std::string big(250, 'x');
    EXPECT_EQ(0, stream.Write(big.data(), (DWORD)big.size(), &n));
    EXPECT_EQ(300u, stream.GetCapacity());
    EXPECT_EQ(255, stream.GetSize());
    EXPECT_EQ(0, stream.GetBuffer()[299]);   // new space is zero-filled

    EXPECT_EQ(-1, stream.SeekTo(-1, FILE_BEGIN));
    EXPECT_EQ(-1, stream.SeekTo(-256, FILE_END));
    EXPECT_EQ(255, stream.Seek());
    EXPECT_EQ(250, stream.SeekTo(-5, FILE_END));
    EXPECT_EQ(252, stream.SeekTo(2, FILE_CURRENT));
    char buffer[16] = {};
    EXPECT_EQ(0, stream.Read(buffer, sizeof(buffer), &n));
    EXPECT_EQ(3u, n);
    EXPECT_EQ(1, stream.Read(buffer, sizeof(buffer), &n));
    EXPECT_EQ(0u, n);

    // Writing past the end leaves zeros in between.
    EXPECT_EQ(0, stream.WriteAt(400, "z", 1, &n));
    EXPECT_EQ(401, stream.GetSize());
    EXPECT_EQ(0, stream.GetBuffer()[300]);
    EXPECT_EQ(0, stream.SetEndOfFile(3));
    EXPECT_EQ(3, stream.GetSize());
}

TEST(ByteSinks, MemoryStreamGrowsGeometricallyOverALongBody)
{
    // A megabyte in the downloader's 4 KB blocks: a copy of the whole buffer per block would make
    // a long body cost its square.
    CMemoryStream stream(1024);
    const std::string block = Pattern(4096);
    std::set<size_t> capacities;
    for (int i = 0; i < 256; ++i) {
        DWORD n = 0;
        ASSERT_EQ(0, stream.Write(block.data(), (DWORD)block.size(), &n));
        capacities.insert(stream.GetCapacity());
    }
    EXPECT_EQ(256 * 4096, stream.GetSize());
    EXPECT_LE(capacities.size(), 12u);
    EXPECT_LE(stream.GetCapacity(), 2u * 256 * 4096);
    EXPECT_EQ(0u, stream.GetCapacity() % 1024) << "whole steps";
    EXPECT_EQ(0, memcmp(stream.GetBuffer() + 255 * 4096, block.data(), block.size()));
}

TEST(ByteSinks, FileWritesAtOffsetsAndTakesLongPaths)
{
    CString folder = ScratchFolder(L"sinks");
    // A folder chain deeper than MAX_PATH: only the prefixed form reaches it.
    CString deep = folder;
    while (deep.GetLength() < 300) {
        deep += L"\\a-rather-long-folder-name-for-the-test";
        ASSERT_TRUE(CreateDirectoryW(LongPathForm(deep), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    CString path = deep + L"\\file.bin";
    CWin32File file;
    ASSERT_EQ(0, file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    DWORD n = 0;
    EXPECT_EQ(0, file.Write("0123456789", 10, &n));
    EXPECT_EQ(0, file.WriteAt(2, "ab", 2, &n));
    EXPECT_EQ(10, file.GetSize());
    EXPECT_EQ(0, file.SeekTo(0, FILE_BEGIN));
    char buffer[32] = {};
    EXPECT_EQ(0, file.Read(buffer, sizeof(buffer), &n));
    EXPECT_EQ(std::string("01ab456789"), std::string(buffer, n));
    EXPECT_EQ(1, file.Read(buffer, sizeof(buffer), &n));
    EXPECT_EQ(0, file.SetEndOfFile(4));
    EXPECT_EQ(4, file.GetSize());
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(-1, file.GetSize());
    EXPECT_EQ(-1, CWin32File().Open(deep + L"\\missing\\file.bin", GENERIC_READ, 0, OPEN_EXISTING, 0));
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + CString(std::wstring(300, L'x').c_str()),
              LongPathForm(L"\\\\server\\share\\" + CString(std::wstring(300, L'x').c_str())));
    EXPECT_EQ(CString(L"C:\\short"), LongPathForm(L"C:\\short"));
}
