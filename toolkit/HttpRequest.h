// A synchronous HTTP/HTTPS download: the request and response fields, the listener, and the
// download operations built on the transfer a derived request provides (CWinInetRequest).
//
// Results of every download: 0 success, 1 cancelled (or abandoned by the watch), -1 a request,
// read or sink step failed, -2 no connection, not an HTTP or HTTPS address, a session or
// connection that could not be opened, a status of 400 or more, a range the server did not
// honour, or a file that could not be opened or positioned.
#pragma once

#include "framework/String.h"
#include "toolkit/ByteSinks.h"

#include <windows.h>
#include <wininet.h>

class CHttpRequest;

// What the transfer has seen so far.
struct CHttpProgress {
    __int64 m_nContentLength = 0;   // Content-Length of the response, 0 when absent
    BOOL m_bResumable = FALSE;      // Accept-Ranges is "bytes"
    __int64 m_nReceived = 0;        // body bytes written into the sink
    int m_nBlocks = 0;              // blocks read
};

// Told about a transfer on its thread. OnHook2 comes before the body is read, OnHook3 after each
// block (10 ends the transfer as a success), OnHook4 after the body; OnHook0 and OnHook1 are kept
// for derived requests. 'id' is the request's m_nRequestId.
class CHttpRequestListener {
public:
    virtual ~CHttpRequestListener() {}
    virtual int OnHook0(CHttpRequest* request, __int64 id) = 0;
    virtual int OnHook1(CHttpRequest* request, __int64 id) = 0;
    virtual int OnHook2(CHttpRequest* request, __int64 id, const CHttpProgress& progress) = 0;
    virtual int OnHook3(CHttpRequest* request, __int64 id, const CHttpProgress& progress) = 0;
    virtual int OnHook4(CHttpRequest* request, __int64 id, const CHttpProgress& progress) = 0;
};

// The caller fills the fields and calls one download operation; the response fields are valid
// when it returns.
class CHttpRequest {
public:
    CHttpRequest() {}
    virtual ~CHttpRequest() {}
    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Clears the response and the progress record; the request fields stay.
    virtual void Reset();
    // The content length of the resource from 'startOffset' on, without reading the body.
    virtual int GetRemoteSize(__int64& size, __int64 startOffset);
    // Writes the body into the file: at 'offset' (-1 appends, 0 replaces the file once the body is
    // complete); with 'resume' the file must exist and the server is asked for the rest from where
    // the writing starts. A failure never shortens the file.
    virtual int DownloadToFile(LPCWSTR path, __int64 offset, BOOL resume);
    // Writes the body into the sink (null reads the headers only).
    virtual int Download(CStream* sink) = 0;
    // Each answers 1 when the cancel flag is set, else the listener's answer, or -1 without one.
    virtual int OnHook0();
    virtual int OnHook1();
    virtual int OnHook2();
    virtual int OnHook3();
    virtual int OnHook4();

    // The body as text read in the ANSI code page (exactly the bytes received).
    int DownloadToMemory(CString& text);
    // The body's bytes.
    int DownloadToMemory(CMemoryStream& bytes);

    bool IsCancelled() const { return m_pCancel && *m_pCancel != 0; }

    CHttpRequestListener* m_pListener = nullptr;
    // Owned by the caller; nonzero cancels. Read by the transfer thread.
    volatile LONG* m_pCancel = nullptr;
    // The longest time in seconds without any progress before the watch breaks the transfer;
    // 0 or less takes the default.
    static const int kDefaultTimeoutSeconds = 30;
    int m_nTimeout = kDefaultTimeoutSeconds;
    // Read-block size in bytes (0: 4096).
    int m_nBufferSize = 0;
    CHttpProgress m_progress;

    // INTERNET_OPEN_TYPE_PRECONFIG 0, DIRECT 1 or PROXY 3 (any other value counts as 0).
    int m_nProxyAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
    CString m_strProxyHost;
    int m_nProxyPort = 80;

    CString m_strUserName;
    CString m_strPassword;
    CString m_strUrl;

    __int64 m_nExpectedSize = -1;   // size of the whole resource, -1 unknown
    __int64 m_nRangeStart = 0;      // first byte asked for
    __int64 m_nBytesToRead = -1;    // -1 all, 0 headers only
    __int64 m_nRequestId = 0;       // handed to the listener

    CString m_strHttpVersion;
    CString m_strVerb;              // GET when empty
    CString m_strUserAgent;
    CString m_strReferrer;
    CString m_strCookies;           // "a=1; b=2" goes out as one Cookie line per part
    CString m_strAccept;
    CString m_strAcceptLanguage;
    CString m_strAcceptCharset;
    CString m_strAcceptEncoding;
    CString m_strContentType;
    CString m_strBody;              // sent in the ANSI code page
    CString m_strExtraHeaders;      // whole lines, each ending with CR LF

    BOOL m_bReload = FALSE;
    BOOL m_bExistingConnection = FALSE;
    BOOL m_bKeepConnection = TRUE;
    BOOL m_bNoRedirect = FALSE;
    BOOL m_bNoCookies = FALSE;
    BOOL m_bNoCache = FALSE;
    DWORD m_dwExtraFlags = 0;

    int m_nStatusCode = 0;
    CString m_strRawHeaders;        // CR LF separated
    CString m_strAcceptRanges;
    CString m_strContentEncoding;
    CString m_strLocation;          // only for 301, 302 and 303

private:
    // DownloadToFile at offset 0: through a new file beside the target.
    int DownloadReplacing(LPCWSTR path);
};
