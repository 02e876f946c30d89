// The stop flag of one probe or frame grab of a network address: it rises by itself once the tool
// has run too long, and as soon as the caller's own stop flag does.
#pragma once

#include <windows.h>

// A server that accepts the connection and then sends nothing keeps the tool waiting for good,
// and with it whoever waits for the tool: the playlist's load and thumbnail threads, and the
// interface thread while it reads a playlist or shows an item's information. Files on disk get
// no limit: their tools end by themselves.
class CToolTimeLimit {
public:
    // 'outer' (may be null) is the caller's own stop flag; 'path' decides whether a limit applies.
    CToolTimeLimit(LPCWSTR path, const volatile int* outer);
    ~CToolTimeLimit();
    CToolTimeLimit(const CToolTimeLimit&) = delete;
    CToolTimeLimit& operator=(const CToolTimeLimit&) = delete;

    // What the tool is to be given: the caller's flag when no limit applies, else the combined one.
    const volatile int* Flag() const { return m_hTimer ? &m_nStop : m_pOuter; }
    // True once the limit, not the caller, ended the run.
    bool Expired() const { return m_nExpired != 0; }

    // Long enough for a slow server to hand over a file's header, short enough that a dead one
    // costs a wait, not the session.
    static const DWORD kDefaultLimitMs = 20000;
    static DWORD GetLimitMs();
    static void SetLimitForTests(DWORD ms);

private:
    static VOID CALLBACK OnTick(PVOID param, BOOLEAN);

    const volatile int* m_pOuter;
    volatile int m_nStop;
    volatile LONG m_nExpired;
    DWORD m_dwStart;
    DWORD m_dwLimit;
    HANDLE m_hTimer;
};
