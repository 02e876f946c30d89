// The Modules folder and the tools in it.
#include "engine/ModuleTools.h"

#include "engine/SystemHelpers.h"

CString GetModulesFolder()
{
    return GetAppFolder() + L"\\Modules";
}

CString FindModuleTool(const CString& folder, LPCWSTR name)
{
    CString path;
    path.Format(L"%s\\%s", folder.GetString(), name);
    return IsExistingFile(path) ? path : CString(name);
}
