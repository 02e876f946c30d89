// The scripted loopback HTTP server: one accept thread, one worker per connection.
// Winsock before windows.h, which the header brings in.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/toolkit/LoopbackHttpServer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

const size_t kMaxHead = 64 * 1024;
const DWORD kReceiveTimeoutMs = 15000;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char)std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

std::vector<std::string> LoopbackRequest::Headers(const char* name) const
{
    std::vector<std::string> values;
    std::string wanted = Lower(name);
    size_t pos = head.find("\r\n");
    while (pos != std::string::npos && pos + 2 < head.size()) {
        size_t start = pos + 2;
        size_t end = head.find("\r\n", start);
        std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t colon = line.find(':');
        if (colon != std::string::npos && Lower(Trim(line.substr(0, colon))) == wanted)
            values.push_back(Trim(line.substr(colon + 1)));
        pos = end;
    }
    return values;
}

std::string LoopbackRequest::Header(const char* name) const
{
    std::vector<std::string> values = Headers(name);
    return values.empty() ? std::string() : values.front();
}

CLoopbackHttpServer::CLoopbackHttpServer(int maxConnections, DWORD lifetimeMs)
    : m_maxConnections(maxConnections), m_lifetimeMs(lifetimeMs)
{
}

CLoopbackHttpServer::~CLoopbackHttpServer()
{
    Stop();
}

void CLoopbackHttpServer::AddRoute(const LoopbackRoute& route)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes.push_back(route);
}

bool CLoopbackHttpServer::Start()
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return false;
    m_wsaStarted = true;
    m_stopEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    m_releaseEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listen == INVALID_SOCKET || !m_stopEvent)
        return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(m_listen, (sockaddr*)&address, sizeof(address)) != 0 || listen(m_listen, 16) != 0)
        return false;
    int size = sizeof(address);
    if (getsockname(m_listen, (sockaddr*)&address, &size) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_startTick = GetTickCount();
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CLoopbackHttpServer::Stop()
{
    if (m_stopEvent)
        SetEvent(m_stopEvent);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listen != INVALID_SOCKET) {
        closesocket(m_listen);
        m_listen = INVALID_SOCKET;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (SOCKET s : m_open)
            shutdown(s, SD_BOTH);
    }
    for (std::thread& worker : m_workers)
        if (worker.joinable())
            worker.join();
    m_workers.clear();
    for (HANDLE* event : {&m_stopEvent, &m_releaseEvent}) {
        if (*event) {
            CloseHandle(*event);
            *event = NULL;
        }
    }
    if (m_wsaStarted) {
        WSACleanup();
        m_wsaStarted = false;
    }
}

void CLoopbackHttpServer::ReleaseStalls()
{
    SetEvent(m_releaseEvent);
}

CString CLoopbackHttpServer::Url(const char* target) const
{
    CString url;
    url.Format(L"http://127.0.0.1:%d%S", m_port, target);
    return url;
}

std::vector<LoopbackRequest> CLoopbackHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool CLoopbackHttpServer::WaitForRequests(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_requests.size() >= count)
                return true;
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

bool CLoopbackHttpServer::WaitStop(DWORD ms) const
{
    DWORD left = m_lifetimeMs - std::min<DWORD>(m_lifetimeMs, GetTickCount() - m_startTick);
    return WaitForSingleObject(m_stopEvent, std::min(ms, left)) == WAIT_OBJECT_0 || left == 0;
}

void CLoopbackHttpServer::AcceptLoop()
{
    int accepted = 0;
    while (accepted < m_maxConnections && !WaitStop(0)) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listen, &readable);
        timeval wait = {0, 100 * 1000};
        if (select(0, &readable, NULL, NULL, &wait) <= 0)
            continue;
        SOCKET client = accept(m_listen, NULL, NULL);
        if (client == INVALID_SOCKET)
            continue;
        ++accepted;
        m_connections.fetch_add(1);
        DWORD timeout = kReceiveTimeoutMs;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, (const char*)&timeout, sizeof(timeout));
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.push_back(client);
        m_workers.emplace_back([this, client] { Serve(client); });
    }
}

bool CLoopbackHttpServer::FindRoute(const std::string& target, LoopbackRoute& route) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const LoopbackRoute& r : m_routes) {
        if (r.path == target) {
            route = r;
            return true;
        }
    }
    return false;
}

bool CLoopbackHttpServer::SendAll(UINT_PTR client, const char* data, size_t size)
{
    while (size > 0) {
        if (WaitStop(0))
            return false;
        int sent = send(client, data, (int)std::min<size_t>(size, 64 * 1024), 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= (size_t)sent;
    }
    return true;
}

void CLoopbackHttpServer::Serve(UINT_PTR client)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead) {
        int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        head.append(buffer, (size_t)got);
    }
    size_t end = head.find("\r\n\r\n");
    if (end != std::string::npos) {
        head.resize(end + 2);
        LoopbackRequest request;
        request.head = head;
        size_t sp1 = head.find(' ');
        size_t sp2 = sp1 == std::string::npos ? std::string::npos : head.find(' ', sp1 + 1);
        if (sp2 != std::string::npos) {
            request.method = head.substr(0, sp1);
            request.target = head.substr(sp1 + 1, sp2 - sp1 - 1);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
        }

        LoopbackRoute route;
        if (!FindRoute(request.target, route)) {
            route.status = 404;
            route.body = "<html><body>Not found</body></html>";
        }
        int status = route.status;
        std::string body = route.body;
        std::string extra;
        std::string range = request.Header("Range");
        if (route.honourRange && route.status == 200) {
            extra += "Accept-Ranges: bytes\r\n";
            if (range.compare(0, 6, "bytes=") == 0) {
                unsigned long long first = strtoull(range.c_str() + 6, NULL, 10);
                if (first < body.size()) {
                    char line[128];
                    snprintf(line, sizeof(line), "Content-Range: bytes %llu-%llu/%llu\r\n", first,
                             (unsigned long long)body.size() - 1, (unsigned long long)body.size());
                    extra += line;
                    body = body.substr((size_t)first);
                    status = 206;
                } else {
                    status = 416;
                    body.clear();
                }
            }
        }
        char statusLine[160];
        if (route.endless)
            snprintf(statusLine, sizeof(statusLine), "HTTP/1.1 %d %s\r\nConnection: close\r\n", status, Reason(status));
        else
            snprintf(statusLine, sizeof(statusLine), "HTTP/1.1 %d %s\r\nContent-Length: %llu\r\nConnection: close\r\n",
                     status, Reason(status), (unsigned long long)body.size());
        std::string response = statusLine + extra;
        for (const std::string& line : route.headers)
            response += line + "\r\n";
        response += "\r\n";

        if (route.endless && !body.empty()) {
            if (SendAll(client, response.data(), response.size())) {
                while (SendAll(client, body.data(), body.size()))
                    m_bodyBytesSent.fetch_add((long long)body.size());
            }
        } else if (SendAll(client, response.data(), response.size())) {
            size_t limit = body.size();
            if (route.stallAfter >= 0)
                limit = std::min(limit, (size_t)route.stallAfter);
            if (route.closeAfter >= 0)
                limit = std::min(limit, (size_t)route.closeAfter);
            size_t chunk = route.chunkBytes ? route.chunkBytes : limit;
            size_t sent = 0;
            bool going = true;
            while (going && sent < limit) {
                if (route.chunkBytes && WaitStop(route.chunkDelayMs))
                    break;
                size_t n = std::min(chunk, limit - sent);
                going = SendAll(client, body.data() + sent, n);
                sent += n;
                m_bodyBytesSent.fetch_add((long long)n);
            }
            // A stalled answer holds the connection until the server stops (or its lifetime ends).
            if (going && route.stallAfter >= 0 && sent == limit) {
                HANDLE events[] = {m_stopEvent, m_releaseEvent};
                DWORD left = m_lifetimeMs - std::min<DWORD>(m_lifetimeMs, GetTickCount() - m_startTick);
                WaitForMultipleObjects(2, events, FALSE, left);
            }
        }
    }
    shutdown(client, SD_SEND);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.erase(std::remove(m_open.begin(), m_open.end(), client), m_open.end());
    }
    closesocket(client);
}
