// The WinINet downloader: the transfer thread and the watch on the calling thread.
#include "toolkit/WinInetRequest.h"

#include "engine/SystemHelpers.h"

#include <atomic>
#include <cstring>
#include <vector>

const wchar_t kDefaultHttpUserAgent[] =
    L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    L"Chrome/73.0.3683.86 Safari/537.36";

namespace {

const DWORD kDefaultBlockSize = 4096;
const DWORD kWatchIntervalMs = 500;
const DWORD kCancelGraceMs = 1000;
const DWORD kStallGraceMs = 3000;
const DWORD_PTR kContext = 2;

BOOL WINAPI SystemConnectedState(LPDWORD flags, DWORD reserved)
{
    return ::InternetGetConnectedState(flags, reserved);
}

BOOL WINAPI SystemCloseHandle(HINTERNET handle)
{
    return ::InternetCloseHandle(handle);
}

// Tests swap these while transfer threads may be calling them.
std::atomic<HttpConnectedStateFn> g_connectedState{&SystemConnectedState};
std::atomic<HttpCloseHandleFn> g_closeHandle{&SystemCloseHandle};

HttpConnectedStateFn ConnectedState()
{
    return g_connectedState.load();
}

} // namespace

HttpConnectedStateFn SetHttpConnectedStateFunction(HttpConnectedStateFn fn)
{
    return g_connectedState.exchange(fn ? fn : &SystemConnectedState);
}

HttpCloseHandleFn SetHttpCloseHandleFunction(HttpCloseHandleFn fn)
{
    return g_closeHandle.exchange(fn ? fn : &SystemCloseHandle);
}

namespace detail {

// What the transfer thread and the watch share. The transfer thread holds the lock except while
// it is inside a WinINet call, so the watch can close the handles only while a call is blocked and
// can give the transfer up only while it touches nothing of the caller's (request, sink, listener,
// cancel flag). Once given up, the thread finishes on its own and the last one out deletes this.
struct CHttpTransfer {
    CHttpTransfer(CWinInetRequest* request, CStream* sink) : m_pRequest(request), m_pSink(sink)
    {
        ::InitializeCriticalSection(&m_lock);
    }
    ~CHttpTransfer() { ::DeleteCriticalSection(&m_lock); }

    void Release()
    {
        if (::InterlockedDecrement(&m_nRefs) == 0)
            delete this;
    }

    // Runs a WinINet call with the lock released. False when the watch broke the transfer off or
    // gave it up meanwhile: the caller returns Broken() at once and touches nothing else.
    template <class Fn>
    bool Call(Fn call)
    {
        ::InterlockedIncrement64(&m_nActivity);
        ::LeaveCriticalSection(&m_lock);
        call();
        ::EnterCriticalSection(&m_lock);
        return !m_bBrokenOff && !m_bAbandoned;
    }
    // The result of a transfer the watch interrupted: the cancel it was asked for, else the failed
    // call's -1. A given-up transfer's result is never read.
    int Broken() const { return !m_bAbandoned && m_pRequest->IsCancelled() ? 1 : -1; }

    // Under the lock; each handle is closed once, whoever gets there first.
    void CloseHandles()
    {
        HINTERNET* handles[] = {&m_hRequest, &m_hConnection, &m_hSession};
        for (HINTERNET* h : handles) {
            if (*h) {
                g_closeHandle.load()(*h);
                *h = NULL;
            }
        }
    }

    // The watch: closes the handles, which ends a blocked call.
    void BreakOff()
    {
        ::EnterCriticalSection(&m_lock);
        m_bBrokenOff = true;
        CloseHandles();
        ::LeaveCriticalSection(&m_lock);
    }

    // The watch: the transfer's result when it has just finished, else 1 and the thread is left to
    // end by itself. Waits while the thread writes into the sink.
    int Abandon()
    {
        ::EnterCriticalSection(&m_lock);
        int result = 1;
        if (m_bFinished)
            result = m_nResult;
        else
            m_bAbandoned = true;
        ::LeaveCriticalSection(&m_lock);
        return result;
    }

    LONG64 Activity() { return ::InterlockedCompareExchange64(&m_nActivity, 0, 0); }
    void CountActivity() { ::InterlockedIncrement64(&m_nActivity); }

    CRITICAL_SECTION m_lock;
    volatile LONG m_nRefs = 2;   // the watch and the transfer thread
    CWinInetRequest* m_pRequest;
    CStream* m_pSink;
    HINTERNET m_hSession = NULL;
    HINTERNET m_hConnection = NULL;
    HINTERNET m_hRequest = NULL;
    volatile LONG64 m_nActivity = 0;
    int m_nResult = -1;
    bool m_bFinished = false;
    bool m_bBrokenOff = false;
    bool m_bAbandoned = false;
};

} // namespace detail

using detail::CHttpTransfer;

namespace {

// Opens one handle with the lock released and keeps it where the watch can close it. False when
// the transfer ends here with 'result': the watch broke it off, the call gave no handle
// ('failure'), or the cancel flag was set meanwhile (1).
template <class Open>
bool OpenHandle(CHttpTransfer& t, HINTERNET& slot, int failure, int& result, Open open)
{
    HINTERNET handle = NULL;
    bool called = t.Call([&] { handle = open(); });
    slot = handle;
    if (!called)
        result = t.Broken();
    else if (!handle)
        result = failure;
    else if (t.m_pRequest->IsCancelled())
        result = 1;
    else
        return true;
    return false;
}

// HttpQueryInfoW into text, sized by a first call; false when the watch interrupted it.
bool QueryText(CHttpTransfer& t, HINTERNET request, DWORD info, CString& out)
{
    out.Empty();
    std::vector<wchar_t> buffer(256);
    for (int tries = 0; tries < 2; ++tries) {
        DWORD bytes = (DWORD)(buffer.size() * sizeof(wchar_t));
        BOOL ok = FALSE;
        DWORD error = 0;
        if (!t.Call([&] {
                ok = ::HttpQueryInfoW(request, info, buffer.data(), &bytes, NULL);
                error = ok ? 0 : ::GetLastError();
            }))
            return false;
        if (ok) {
            out.Append(buffer.data(), (int)(bytes / sizeof(wchar_t)));
            return true;
        }
        if (error != ERROR_INSUFFICIENT_BUFFER)
            return true;
        buffer.resize(bytes / sizeof(wchar_t) + 1);
    }
    return true;
}

CString RequestHeaders(const CHttpRequest& r)
{
    CString headers;
    auto add = [&](LPCWSTR name, const CString& value) {
        if (!value.IsEmpty())
            headers += CString(name) + value + L"\r\n";
    };
    add(L"Accept: ", r.m_strAccept);
    add(L"Accept-Language: ", r.m_strAcceptLanguage);
    add(L"Accept-Charset: ", r.m_strAcceptCharset);
    if (r.m_nRangeStart > 0) {
        CString range;
        range.Format(L"bytes=%I64d-", r.m_nRangeStart);
        add(L"Range: ", range);
    }
    add(L"Accept-Encoding: ", r.m_strAcceptEncoding);
    add(L"Content-Type: ", r.m_strContentType);
    int start = 0;
    for (;;) {
        int semicolon = r.m_strCookies.Find(L';', start);
        CString part = semicolon < 0 ? r.m_strCookies.Mid(start) : r.m_strCookies.Mid(start, semicolon - start);
        add(L"Cookie: ", part.Trim());
        if (semicolon < 0)
            break;
        start = semicolon + 1;
    }
    headers += r.m_strExtraHeaders;
    return headers;
}

// The first byte of a "bytes first-last/total" Content-Range, or -1.
__int64 ContentRangeStart(const CString& value)
{
    CString v(value);
    v.Trim();
    if (v.Left(6).CompareNoCase(L"bytes ") != 0)
        return -1;
    v = v.Mid(6).TrimLeft();
    if (v.IsEmpty() || v[0] < L'0' || v[0] > L'9')
        return -1;
    return _wtoi64(v);
}

} // namespace

// CWinInetRequest ------------------------------------------------------------------------------

CWinInetRequest::~CWinInetRequest() {}

int CWinInetRequest::CheckConnection()
{
    DWORD flags = 0;
    if (!ConnectedState()(&flags, 0))
        return -2;
    PrepareRequest();
    return 0;
}

void CWinInetRequest::PrepareRequest()
{
    Reset();
    if (m_strUserAgent.IsEmpty())
        m_strUserAgent = kDefaultHttpUserAgent;
    if (m_nBufferSize == 0)
        m_nBufferSize = (int)kDefaultBlockSize;
}

int CWinInetRequest::Download(CStream* sink)
{
    m_strVerb = L"GET";
    return RunTransfer(sink);
}

int CWinInetRequest::RunTransfer(CStream* sink)
{
    CHttpTransfer* t = new CHttpTransfer(this, sink);
    CHandle thread(::CreateThread(NULL, 0, &CWinInetRequest::TransferThread, t, 0, NULL));
    if (!thread.IsValid()) {
        delete t;
        return -1;
    }
    const DWORD stallMs = (DWORD)(m_nTimeout > 0 ? m_nTimeout : kDefaultTimeoutSeconds) * 1000;
    LONG64 seen = t->Activity();
    DWORD lastChange = ::GetTickCount();
    int result;
    for (;;) {
        if (::WaitForSingleObject(thread, kWatchIntervalMs) == WAIT_OBJECT_0) {
            result = t->m_nResult;
            break;
        }
        DWORD grace = 0;
        if (IsCancelled()) {
            grace = kCancelGraceMs;
        } else {
            LONG64 now = t->Activity();
            if (now != seen) {
                seen = now;
                lastChange = ::GetTickCount();
            } else if (::GetTickCount() - lastChange >= stallMs) {
                grace = kStallGraceMs;
            }
        }
        if (!grace)
            continue;
        t->BreakOff();
        if (::WaitForSingleObject(thread, grace) == WAIT_OBJECT_0) {
            result = t->m_nResult;
            break;
        }
        // Killing the thread could leave WinINet's or the heap's locks held for good: the thread
        // is given up instead and ends on its own once its call returns.
        result = t->Abandon();
        break;
    }
    t->Release();
    return result;
}

DWORD WINAPI CWinInetRequest::TransferThread(LPVOID param)
{
    CHttpTransfer* t = static_cast<CHttpTransfer*>(param);
    ::EnterCriticalSection(&t->m_lock);
    int result = t->m_bAbandoned ? 1 : t->m_pRequest->Transfer(*t, t->m_pSink);
    t->CloseHandles();
    t->m_nResult = result;
    t->m_bFinished = true;
    ::LeaveCriticalSection(&t->m_lock);
    t->Release();
    return 0;
}

// Runs on the transfer thread with the transfer's lock held. After every t.Call that answers
// false the request may be gone: nothing of it is touched any more.
int CWinInetRequest::Transfer(CHttpTransfer& t, CStream* sink)
{
    m_progress = CHttpProgress();
    BOOL online = FALSE;
    HttpConnectedStateFn connected = ConnectedState();
    if (!t.Call([&] {
            DWORD flags = 0;
            online = connected(&flags, 0);
        }))
        return t.Broken();
    if (!online)
        return -2;
    PrepareRequest();

    int scheme = 0, port = 0;
    CString host, path;
    CString url = m_strUrl;
    int split = -1;
    if (!t.Call([&] { split = SplitUrl(url, scheme, host, path, port); }))
        return t.Broken();
    if (split != 0 || (scheme != INTERNET_SCHEME_HTTP && scheme != INTERNET_SCHEME_HTTPS))
        return -2;

    DWORD access = m_nProxyAccessType == INTERNET_OPEN_TYPE_DIRECT ? INTERNET_OPEN_TYPE_DIRECT
                                                                   : INTERNET_OPEN_TYPE_PRECONFIG;
    CString proxy;
    if (m_nProxyAccessType == INTERNET_OPEN_TYPE_PROXY && !m_strProxyHost.IsEmpty() && m_nProxyPort >= 0) {
        access = INTERNET_OPEN_TYPE_PROXY;
        proxy.Format(L"%s:%d", m_strProxyHost.GetString(), m_nProxyPort);
    }
    CString agent = m_strUserAgent;
    int result = 0;
    if (!OpenHandle(t, t.m_hSession, -2, result, [&] {
            return ::InternetOpenW(agent, access, proxy.IsEmpty() ? NULL : proxy.GetString(), NULL, 0);
        }))
        return result;

    CString user = m_strUserName, password = m_strPassword;
    HINTERNET session = t.m_hSession;
    if (!OpenHandle(t, t.m_hConnection, -2, result, [&] {
            return ::InternetConnectW(session, host, (INTERNET_PORT)port, user.IsEmpty() ? NULL : user.GetString(),
                                      password.IsEmpty() ? NULL : password.GetString(), INTERNET_SERVICE_HTTP, 0,
                                      kContext);
        }))
        return result;

    DWORD flags = 0;
    if (m_bReload) flags |= INTERNET_FLAG_RELOAD;
    if (m_bExistingConnection) flags |= INTERNET_FLAG_EXISTING_CONNECT;
    if (m_bKeepConnection) flags |= INTERNET_FLAG_KEEP_CONNECTION;
    if (m_bNoCache) flags |= INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
    if (m_bNoRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (m_bNoCookies) flags |= INTERNET_FLAG_NO_COOKIES;
    if (scheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
    flags |= m_dwExtraFlags;
    CString verb = m_strVerb.IsEmpty() ? CString(L"GET") : m_strVerb;
    CString version = m_strHttpVersion, referrer = m_strReferrer;
    HINTERNET connection = t.m_hConnection;
    if (!OpenHandle(t, t.m_hRequest, -1, result, [&] {
            return ::HttpOpenRequestW(connection, verb, path, version.IsEmpty() ? NULL : version.GetString(),
                                      referrer.IsEmpty() ? NULL : referrer.GetString(), NULL, flags, kContext);
        }))
        return result;
    HINTERNET request = t.m_hRequest;

    CString headers = RequestHeaders(*this);
    if (!headers.IsEmpty()) {
        BOOL added = FALSE;
        if (!t.Call([&] { added = ::HttpAddRequestHeadersW(request, headers, (DWORD)-1, HTTP_ADDREQ_FLAG_ADD); }))
            return t.Broken();
        // A request without its Range or its caller's headers would fetch something else.
        if (!added)
            return -1;
    }

    CStringA body;
    int bodyBytes = m_strBody.IsEmpty() ? 0 : WideToAnsi(m_strBody, body) - 1;
    if (bodyBytes < 0)
        bodyBytes = 0;
    BOOL sent = FALSE;
    if (!t.Call([&] {
            sent = ::HttpSendRequestW(request, NULL, 0, bodyBytes ? (LPVOID)body.GetString() : NULL, (DWORD)bodyBytes);
        }))
        return t.Broken();
    if (!sent)
        return -1;

    DWORD status = 0, statusSize = sizeof(status);
    if (!t.Call([&] {
            if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, NULL))
                status = 0;
        }))
        return t.Broken();
    m_nStatusCode = (int)status;
    if (status >= 400)
        return -2;
    CString raw, length, encoding, ranges, location, contentRange;
    if (!QueryText(t, request, HTTP_QUERY_RAW_HEADERS_CRLF, raw) ||
        !QueryText(t, request, HTTP_QUERY_CONTENT_LENGTH, length) ||
        !QueryText(t, request, HTTP_QUERY_CONTENT_ENCODING, encoding) ||
        !QueryText(t, request, HTTP_QUERY_ACCEPT_RANGES, ranges) ||
        !QueryText(t, request, HTTP_QUERY_CONTENT_RANGE, contentRange))
        return t.Broken();
    if (status >= 301 && status <= 303 && !QueryText(t, request, HTTP_QUERY_LOCATION, location))
        return t.Broken();
    m_strRawHeaders = raw;
    m_progress.m_nContentLength = length.IsEmpty() ? 0 : _wtoi64(length);
    m_strContentEncoding = encoding;
    m_strAcceptRanges = ranges;
    m_strLocation = location;
    m_progress.m_bResumable = CString(ranges).MakeLower() == L"bytes";

    if (m_nRangeStart > 0) {
        // A server that ignores Range answers 200 with the whole resource, which must never land at
        // the offset; nor may a part that starts anywhere else. Its length is not the size from
        // the offset on either, so a request for the headers alone is refused the same way.
        bool honoured = status == 206;
        if (honoured && !contentRange.IsEmpty())
            honoured = ContentRangeStart(contentRange) == m_nRangeStart;
        if (honoured && m_nExpectedSize > 0)
            honoured = m_progress.m_nContentLength < m_nExpectedSize;
        if (!honoured)
            return IsCancelled() ? 1 : -2;
    }
    if (!sink || m_nBytesToRead == 0)
        return 0;
    return ReadBody(t, sink, request);
}

int CWinInetRequest::ReadBody(CHttpTransfer& t, CStream* sink, HINTERNET request)
{
    OnHook2();
    const DWORD blockSize = m_nBufferSize > 0 ? (DWORD)m_nBufferSize : kDefaultBlockSize;
    // The thread's own: a read may still finish after the caller has given the transfer up.
    std::vector<BYTE> buffer(blockSize);
    const __int64 toRead = m_nBytesToRead;
    bool stoppedEarly = false;
    int result = 0;
    for (;;) {
        if (IsCancelled()) {
            result = 1;
            break;
        }
        DWORD block = blockSize;
        if (toRead != -1 && toRead - m_progress.m_nReceived < (__int64)block)
            block = (DWORD)(toRead - m_progress.m_nReceived);
        memset(buffer.data(), 0, block);
        DWORD got = 0;
        BOOL read = FALSE;
        if (!t.Call([&] { read = ::InternetReadFile(request, buffer.data(), block, &got); }))
            return t.Broken();
        if (!read) {
            result = -1;
            break;
        }
        if (got == 0)
            break;
        if (IsCancelled()) {
            result = 1;
            break;
        }
        // The lock is held: the watch does not give the transfer up in the middle of a write.
        DWORD written = 0;
        if (sink->Write(buffer.data(), got, &written) == -1 || written != got) {
            result = -1;
            break;
        }
        t.CountActivity();
        m_progress.m_nReceived += got;
        ++m_progress.m_nBlocks;
        if (OnHook3() == 10) {
            stoppedEarly = true;
            break;
        }
        if (toRead != -1 && m_progress.m_nReceived >= toRead) {
            stoppedEarly = true;
            break;
        }
    }
    // A connection that ends before the announced length is a broken download, not a short file.
    if (result == 0 && !stoppedEarly && m_progress.m_nContentLength > 0 &&
        m_progress.m_nReceived < m_progress.m_nContentLength)
        result = -1;
    OnHook4();
    return result;
}
