// The process-wide pointer to the program's engine host.
#include "engine/EngineHost.h"

namespace {
CEngineHost* g_engineHost = nullptr;
}

void SetEngineHost(CEngineHost* host)
{
    g_engineHost = host;
}

CEngineHost* GetEngineHost()
{
    return g_engineHost;
}
