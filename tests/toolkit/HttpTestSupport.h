// Equipment of the download and update-check tests: a fixture with a started loopback server and
// the connection test answered "online" (the machine may have no network beside the loopback), and
// scratch folders.
#pragma once

#include "framework/String.h"
#include "tests/toolkit/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <string>

// The connection test's two answers.
BOOL WINAPI Online(LPDWORD flags, DWORD reserved);
BOOL WINAPI Offline(LPDWORD flags, DWORD reserved);

// A new, empty folder under TEST_TEMP_DIR (the system's temporary folder without it).
CString ScratchFolder(LPCWSTR tag);

// The server is made here and started by the test once its routes are in (routes can also be
// added later); it is stopped after the test, which lets every held connection go.
class HttpServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void AddRoute(const char* path, const std::string& body, int status = 200);

    CLoopbackHttpServer m_server;
};
