// The process-wide pointer to the program's toolkit host.
#include "toolkit/ToolkitHost.h"

namespace {
CToolkitHost* g_toolkitHost = nullptr;
}

void SetToolkitHost(CToolkitHost* host)
{
    g_toolkitHost = host;
}

CToolkitHost* GetToolkitHost()
{
    return g_toolkitHost;
}
