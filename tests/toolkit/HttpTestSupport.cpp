// Equipment of the download and update-check tests.
#include "tests/toolkit/HttpTestSupport.h"

#include "toolkit/WinInetRequest.h"

#include <cstdlib>

BOOL WINAPI Online(LPDWORD flags, DWORD)
{
    if (flags)
        *flags = INTERNET_CONNECTION_LAN;
    return TRUE;
}

BOOL WINAPI Offline(LPDWORD flags, DWORD)
{
    if (flags)
        *flags = INTERNET_CONNECTION_OFFLINE;
    return FALSE;
}

CString ScratchFolder(LPCWSTR tag)
{
    wchar_t buffer[MAX_PATH + 1] = L"";
    CString root;
    DWORD n = GetEnvironmentVariableW(L"TEST_TEMP_DIR", buffer, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH) {
        root = buffer;
    } else {
        GetTempPathW(MAX_PATH + 1, buffer);
        root = buffer;
    }
    root.TrimRight(L'\\');
    CString folder;
    for (int i = 0;; ++i) {
        folder.Format(L"%s\\toolkit %s %lu-%d", root.GetString(), tag, GetCurrentProcessId(), i);
        if (CreateDirectoryW(folder, NULL))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return CString();
    }
}

void HttpServerTest::SetUp()
{
    // A proxy from the environment would send the loopback requests elsewhere.
    for (LPCWSTR name : {L"http_proxy", L"https_proxy", L"HTTP_PROXY", L"HTTPS_PROXY"}) {
        SetEnvironmentVariableW(name, NULL);
        _wputenv((CString(name) + L"=").GetString());
    }
    SetHttpConnectedStateFunction(&Online);
}

void HttpServerTest::TearDown()
{
    m_server.Stop();
    SetHttpConnectedStateFunction(NULL);
}

void HttpServerTest::AddRoute(const char* path, const std::string& body, int status)
{
    LoopbackRoute route;
    route.path = path;
    route.body = body;
    route.status = status;
    m_server.AddRoute(route);
}
