// A scripted HTTP server for the downloader's and the update check's tests. It listens on
// 127.0.0.1 only, on a port the system picks, answers one request per connection from a table of
// routes, and is bounded in connections and in time: after either runs out it accepts nothing more,
// and every held connection is let go when it stops. Nothing it does reaches another address.
//
//   CLoopbackHttpServer server;
//   LoopbackRoute feed;  feed.path = "/update.xml";  feed.body = "<Updates>...";
//   server.AddRoute(feed);
//   ASSERT_TRUE(server.Start());
//   request.m_strUrl = server.Url("/update.xml");
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct LoopbackRoute {
    std::string path;                    // the request target, query included
    int status = 200;
    std::string body;
    std::vector<std::string> headers;    // further response lines, "Name: value"
    // Range requests get 206 and the rest of the body; false answers them with 200 and everything.
    bool honourRange = true;
    // The body goes out in chunks of this many bytes, each after a pause (0: all at once).
    size_t chunkBytes = 0;
    DWORD chunkDelayMs = 0;
    // After this many body bytes the server sends nothing more and holds the connection open until
    // it stops or ReleaseStalls is called (-1: never).
    long stallAfter = -1;
    // After this many body bytes the server closes the connection although the length it announced
    // was the whole body's (-1: never).
    long closeAfter = -1;
    // The body is sent over and over without a length, until the client goes away or the server
    // stops.
    bool endless = false;
};

struct LoopbackRequest {
    std::string method;
    std::string target;
    std::string head;   // request line and header lines as received

    // The value of the first header of that name (any case), or "" when there is none.
    std::string Header(const char* name) const;
    // Every value of headers of that name, in order.
    std::vector<std::string> Headers(const char* name) const;
};

class CLoopbackHttpServer {
public:
    explicit CLoopbackHttpServer(int maxConnections = 64, DWORD lifetimeMs = 120000);
    ~CLoopbackHttpServer();
    CLoopbackHttpServer(const CLoopbackHttpServer&) = delete;
    CLoopbackHttpServer& operator=(const CLoopbackHttpServer&) = delete;

    // Routes may be added before and after Start. Unknown targets get 404.
    void AddRoute(const LoopbackRoute& route);
    bool Start();
    // Closes the listening socket, lets every held connection go and waits for the workers.
    void Stop();

    // Every held connection, now and later, is closed.
    void ReleaseStalls();

    int Port() const { return m_port; }
    // "http://127.0.0.1:<port><target>".
    CString Url(const char* target) const;

    int ConnectionCount() const { return m_connections.load(); }
    // Body bytes handed to the connections so far (the system may still hold some of them).
    long long BodyBytesSent() const { return m_bodyBytesSent.load(); }
    std::vector<LoopbackRequest> Requests() const;
    // Waits until 'count' requests have been read; false at the deadline.
    bool WaitForRequests(size_t count, DWORD timeoutMs) const;

private:
    void AcceptLoop();
    void Serve(UINT_PTR client);
    bool FindRoute(const std::string& target, LoopbackRoute& route) const;
    // Sends everything unless the server stops; false when the peer or the server ended it.
    bool SendAll(UINT_PTR client, const char* data, size_t size);
    // Waits for the server to stop, at most 'ms'; true when it stopped.
    bool WaitStop(DWORD ms) const;

    const int m_maxConnections;
    const DWORD m_lifetimeMs;
    DWORD m_startTick = 0;
    int m_port = 0;
    bool m_wsaStarted = false;
    UINT_PTR m_listen = ~(UINT_PTR)0;   // a SOCKET; winsock2.h stays out of this header
    HANDLE m_stopEvent = NULL;
    HANDLE m_releaseEvent = NULL;
    std::thread m_acceptThread;
    std::vector<std::thread> m_workers;
    std::vector<UINT_PTR> m_open;
    std::vector<LoopbackRoute> m_routes;
    std::vector<LoopbackRequest> m_requests;
    std::atomic<int> m_connections{0};
    std::atomic<long long> m_bodyBytesSent{0};
    mutable std::mutex m_mutex;
};
