// Where the programs find their tools.
#include "engine/ToolPaths.h"

#include "engine/SystemHelpers.h"

CString GetModulesFolder()
{
    return GetAppFolder() + L"\\Modules";
}

CString ToolPath(const CString& folder, const wchar_t* name)
{
    CString path;
    path.Format(L"%s\\%s", folder.GetString(), name);
    return IsExistingFile(path) ? path : CString(name);
}
