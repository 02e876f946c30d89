// A synchronous HTTP/HTTPS downloader over WinINet. The transfer runs on a thread of its own; the
// calling thread watches it every 500 ms and breaks it off on a cancel or when it stalls.
#pragma once

#include "toolkit/HttpRequest.h"

namespace detail {
struct CHttpTransfer;
}

class CWinInetRequest : public CHttpRequest {
public:
    CWinInetRequest() {}
    ~CWinInetRequest() override;

    // Download with the verb GET.
    int Download(CStream* sink) override;
    // -2 when the system reports no connection; otherwise clears the response, fills in the
    // default user agent and block size, and answers 0.
    int CheckConnection();

private:
    // Clears the response and fills in the default user agent and block size.
    void PrepareRequest();
    // Starts the transfer thread and watches it; the transfer's result.
    int RunTransfer(CStream* sink);
    // The transfer thread's work, steps after the connection check.
    int Transfer(detail::CHttpTransfer& t, CStream* sink);
    int ReadBody(detail::CHttpTransfer& t, CStream* sink, HINTERNET request);
    static DWORD WINAPI TransferThread(LPVOID param);
};

// The connection test of the transfer (InternetGetConnectedState unless replaced); tests replace
// it, as a test machine may have no network beside the loopback. NULL restores the system's.
typedef BOOL (WINAPI* HttpConnectedStateFn)(LPDWORD flags, DWORD reserved);
HttpConnectedStateFn SetHttpConnectedStateFunction(HttpConnectedStateFn fn);

// How the transfer closes its WinINet handles (InternetCloseHandle unless replaced); tests count
// the closes. NULL restores the system's.
typedef BOOL (WINAPI* HttpCloseHandleFn)(HINTERNET handle);
HttpCloseHandleFn SetHttpCloseHandleFunction(HttpCloseHandleFn fn);

// The user agent sent when a request names none.
extern const wchar_t kDefaultHttpUserAgent[];
