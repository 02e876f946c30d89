// The application object, its registry (or INI file) profile and the program entry.
#include "framework/App.h"

#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

CWinApp* g_app = nullptr;

void ReplaceString(LPCWSTR& field, LPCWSTR value)
{
    free((void*)field);
    field = value ? _wcsdup(value) : NULL;
}

bool HasSection(LPCWSTR section) { return section && *section; }

} // namespace

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle()
{
    return (g_app && g_app->m_hInstance) ? g_app->m_hInstance : ::GetModuleHandleW(NULL);
}

LPCWSTR AfxGetAppName()
{
    return g_app ? g_app->m_pszAppName : NULL;
}

CWinApp::CWinApp(LPCWSTR lpszAppName)
{
    g_app = this;
    m_bAutoDelete = FALSE;
    m_hThread = ::OpenThread(THREAD_ALL_ACCESS, FALSE, ::GetCurrentThreadId());
    m_nThreadID = ::GetCurrentThreadId();
    AfxSetThread(this);
    if (lpszAppName) ReplaceString(m_pszAppName, lpszAppName);
}

CWinApp::~CWinApp()
{
    free((void*)m_pszAppName);
    free((void*)m_pszRegistryKey);
    free((void*)m_pszProfileName);
    free((void*)m_pszExeName);
    if (g_app == this) g_app = nullptr;
    if (AfxGetThread() == this) AfxSetThread(nullptr);
}

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return (int)m_msgCur.wParam; }
int CWinApp::Run() { return CWinThread::Run(); }

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey)
{
    ReplaceString(m_pszRegistryKey, lpszRegistryKey);
    ReplaceString(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    key.LoadString(nIDRegistryKey);
    SetRegistryKey(key);
}

CString CWinApp::GetAppRegistryPath() const
{
    CString path(L"Software\\");
    path += m_pszRegistryKey ? m_pszRegistryKey : L"";
    path += L"\\";
    path += m_pszProfileName ? m_pszProfileName : (m_pszAppName ? m_pszAppName : L"");
    return path;
}

HKEY CWinApp::GetAppRegistryKey()
{
    if (!m_pszRegistryKey) return NULL;
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, GetAppRegistryPath()) != ERROR_SUCCESS) return NULL;
    return key.Detach();
}

HKEY CWinApp::GetSectionKey(LPCWSTR lpszSection)
{
    CRegKey app(GetAppRegistryKey());
    if (!app.IsValid()) return NULL;
    if (!HasSection(lpszSection)) return app.Detach();
    CRegKey section;
    if (section.Create(app, lpszSection) != ERROR_SUCCESS) return NULL;
    return section.Detach();
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault)
{
    if (!m_pszRegistryKey)
        return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
    CRegKey key(GetSectionKey(lpszSection));
    DWORD value = 0;
    if (!key.IsValid() || key.QueryDWORDValue(lpszEntry, value) != ERROR_SUCCESS) return (UINT)nDefault;
    return (UINT)value;
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    if (!m_pszRegistryKey) {
        wchar_t text[16];
        _snwprintf(text, 16, L"%d", nValue);
        text[15] = 0;
        return ::WritePrivateProfileStringW(lpszSection, lpszEntry, text, m_pszProfileName);
    }
    CRegKey key(GetSectionKey(lpszSection));
    return key.IsValid() && key.SetDWORDValue(lpszEntry, (DWORD)nValue) == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault)
{
    if (!m_pszRegistryKey) {
        std::vector<wchar_t> buf(4096);
        for (;;) {
            DWORD n = ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault ? lpszDefault : L"",
                                                 buf.data(), (DWORD)buf.size(), m_pszProfileName);
            if (n < buf.size() - 2) return CString(buf.data(), (int)n);
            buf.resize(buf.size() * 2);
        }
    }
    CRegKey key(GetSectionKey(lpszSection));
    CString value;
    if (!key.IsValid() || key.QueryStringValue(lpszEntry, value) != ERROR_SUCCESS) return CString(lpszDefault);
    return value;
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    if (!m_pszRegistryKey) return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
    if (!lpszEntry) {
        // Deleting a section; the application key itself is never deleted this way.
        if (!HasSection(lpszSection)) return FALSE;
        CRegKey app(GetAppRegistryKey());
        if (!app.IsValid()) return FALSE;
        LONG rc = DelRegTree(app, lpszSection);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    CRegKey key(GetSectionKey(lpszSection));
    if (!key.IsValid()) return FALSE;
    if (!lpszValue) {
        LONG rc = key.DeleteValue(lpszEntry);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    return key.SetStringValue(lpszEntry, lpszValue) == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    if (!ppData || !pBytes) return FALSE;
    *ppData = NULL;
    *pBytes = 0;
    if (!m_pszRegistryKey) return FALSE;
    CRegKey key(GetSectionKey(lpszSection));
    if (!key.IsValid()) return FALSE;
    DWORD type = 0;
    ULONG bytes = 0;
    if (key.QueryValue(lpszEntry, &type, NULL, &bytes) != ERROR_SUCCESS || type != REG_BINARY) return FALSE;
    LPBYTE data = new BYTE[bytes ? bytes : 1];
    if (key.QueryValue(lpszEntry, &type, data, &bytes) != ERROR_SUCCESS) {
        delete[] data;
        return FALSE;
    }
    *ppData = data;
    *pBytes = bytes;
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (!m_pszRegistryKey) return FALSE;
    CRegKey key(GetSectionKey(lpszSection));
    return key.IsValid() && key.SetBinaryValue(lpszEntry, pData, nBytes) == ERROR_SUCCESS;
}

LONG CWinApp::DelRegTree(HKEY hParentKey, const CString& strKeyName)
{
    return CRegKey::DeleteTree(hParentKey, strKeyName);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    AfxSetResourceHandle(hInstance);
    AfxSetThread(app);

    // Names the program did not set come from the executable: "C:\x\Lumivo.exe" gives "Lumivo".
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(hInstance, path, MAX_PATH);
    CString exe(path);
    exe = exe.Mid(exe.ReverseFind(L'\\') + 1);
    int dot = exe.ReverseFind(L'.');
    if (dot > 0) exe = exe.Left(dot);
    if (!app->m_pszExeName) app->m_pszExeName = _wcsdup(exe);
    if (!app->m_pszAppName) app->m_pszAppName = _wcsdup(exe);
    if (!app->m_pszProfileName) {
        CString ini(path);
        int d = ini.ReverseFind(L'.');
        if (d > 0) ini = ini.Left(d);
        ini += L".INI";
        app->m_pszProfileName = _wcsdup(ini);
    }

    int code;
    if (!app->InitApplication() || !app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->GetSafeHwnd()) app->m_pMainWnd->DestroyWindow();
        code = app->ExitInstance();
    } else {
        code = app->Run();
    }
    return code;
}
