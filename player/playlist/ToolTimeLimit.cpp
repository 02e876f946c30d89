// The time limit of one tool run on a network address.
#include "player/playlist/ToolTimeLimit.h"

#include <shlwapi.h>

#include <atomic>

namespace {

std::atomic<DWORD> g_limitMs(CToolTimeLimit::kDefaultLimitMs);
// The runner reads the flag every 100 ms; this keeps the two in step.
const DWORD kTickMs = 100;

}  // namespace

CToolTimeLimit::CToolTimeLimit(LPCWSTR path, const volatile int* outer)
    : m_pOuter(outer), m_nStop(0), m_nExpired(0), m_dwStart(GetTickCount()), m_dwLimit(GetLimitMs()), m_hTimer(nullptr)
{
    if (!path || !PathIsURLW(path))
        return;
    if (outer && *outer != 0)
        m_nStop = *outer;
    // Without a timer the run keeps the caller's flag alone, as for a file.
    if (!CreateTimerQueueTimer(&m_hTimer, nullptr, &CToolTimeLimit::OnTick, this, kTickMs, kTickMs,
                               WT_EXECUTEDEFAULT))
        m_hTimer = nullptr;
}

CToolTimeLimit::~CToolTimeLimit()
{
    // Waits for a tick in progress, so that none touches this object after it is gone.
    if (m_hTimer)
        DeleteTimerQueueTimer(nullptr, m_hTimer, INVALID_HANDLE_VALUE);
}

VOID CALLBACK CToolTimeLimit::OnTick(PVOID param, BOOLEAN)
{
    CToolTimeLimit* self = static_cast<CToolTimeLimit*>(param);
    if (self->m_nStop == 2)
        return;
    if (self->m_pOuter && *self->m_pOuter == 2) {
        self->m_nStop = 2;
    } else if (GetTickCount() - self->m_dwStart >= self->m_dwLimit) {
        InterlockedExchange(&self->m_nExpired, 1);
        self->m_nStop = 2;
    }
}

DWORD CToolTimeLimit::GetLimitMs()
{
    return g_limitMs;
}

void CToolTimeLimit::SetLimitForTests(DWORD ms)
{
    g_limitMs = ms;
}
