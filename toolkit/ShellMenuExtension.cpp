// The Explorer context-menu switch.
#include "toolkit/ShellMenuExtension.h"

#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Handles.h"
#include "toolkit/ShellExtensionKeys.h"
#include "toolkit/ToolkitHost.h"

CShellMenuExtension::CShellMenuExtension(LPCWSTR lpszDllFileName, LPCWSTR lpszHandlerName)
    : m_strDllFileName(lpszDllFileName)
{
    if (lpszHandlerName)
        m_strHandlerName = lpszHandlerName;
    else if (CToolkitHost* host = GetToolkitHost())
        m_strHandlerName = host->GetShellExtensionHandlerName();
}

CString CShellMenuExtension::HandlerNameOf(LPCWSTR lpszProgram)
{
    CString name;
    name.Format(L"%s.%s", SHELLEXT_MAKER_WORD, lpszProgram);
    return name;
}

CString CShellMenuExtension::GetDllPath() const
{
    CString path;
    path.Format(L"%s\\%s", GetAppFolder().GetString(), m_strDllFileName.GetString());
    return path;
}

CString CShellMenuExtension::GetFilesKey() const
{
    return CString(SHELLEXT_FILES_PARENT_KEY L"\\") + m_strHandlerName;
}

CString CShellMenuExtension::GetFoldersKey() const
{
    return CString(SHELLEXT_FOLDERS_PARENT_KEY L"\\") + m_strHandlerName;
}

int CShellMenuExtension::Enable(BOOL bOn)
{
    return bOn ? RegisterContextMenu() : UnregisterContextMenu();
}

bool CShellMenuExtension::DllIsThere() const
{
    const DWORD attributes = ::GetFileAttributesW(GetDllPath());
    return !m_strDllFileName.IsEmpty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CShellMenuExtension::ApplySetting(BOOL bOn)
{
    if (bOn && !DllIsThere()) {
        CString message;
        message.Format(L"Cannot find the Explorer context menu extension:\n%s", GetDllPath().GetString());
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
        return -1;
    }
    return Enable(bOn);
}

int CShellMenuExtension::RegisterContextMenu()
{
    const CString path = GetDllPath();
    if (!DllIsThere())
        return -1;
    CString parameters;
    parameters.Format(L"/s /c \"%s\"", path.GetString());
    HINSTANCE started = FwShellExecute(NULL, NULL, L"regsvr32.exe", parameters, NULL, SW_HIDE);
    return (INT_PTR)started > 32 ? 0 : -1;
}

int CShellMenuExtension::UnregisterContextMenu()
{
    // An empty name would make the deletion hit the parent key itself.
    if (m_strHandlerName.IsEmpty()) return 0;
    int deleted = 0;
    for (LPCWSTR parentKey : {SHELLEXT_FILES_PARENT_KEY, SHELLEXT_FOLDERS_PARENT_KEY}) {
        CRegKey parent;
        if (parent.Open(HKEY_CLASSES_ROOT, parentKey, KEY_WRITE) != ERROR_SUCCESS) continue;
        if (::RegDeleteKeyW(parent, m_strHandlerName) == ERROR_SUCCESS) ++deleted;
    }
    return deleted;
}

int CShellMenuExtension::IsRegistered()
{
    if (m_strHandlerName.IsEmpty()) return 0;
    int present = 0;
    for (const CString& key : {GetFilesKey(), GetFoldersKey()}) {
        CRegKey handler;
        if (handler.Open(HKEY_CLASSES_ROOT, key, KEY_READ) == ERROR_SUCCESS) ++present;
    }
    return present;
}
