// The process-wide pointer to the converter's conversion host and its default folders.
#include "conversion/ConvertHost.h"

#include "engine/SystemHelpers.h"

namespace {
CConvertHost* g_convertHost = nullptr;
}

CString CConvertHost::GetAppFolder()
{
    return ::GetAppFolder();
}

CString CConvertHost::GetPresetsFolder()
{
    return GetAppFolder() + L"\\Modules\\Presets";
}

void SetConvertHost(CConvertHost* host)
{
    g_convertHost = host;
}

CConvertHost* GetConvertHost()
{
    return g_convertHost;
}

CString GetConvertAppFolder()
{
    return g_convertHost ? g_convertHost->GetAppFolder() : ::GetAppFolder();
}

CString GetConvertPresetsFolder()
{
    return g_convertHost ? g_convertHost->GetPresetsFolder() : ::GetAppFolder() + L"\\Modules\\Presets";
}
