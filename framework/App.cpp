// The application object, its registry (or INI file) profile and the program entry.
#include "framework/App.h"

#include "framework/DocView.h"
#include "framework/Handles.h"

#include <ole2.h>

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

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

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
    for (CDocTemplate* t : m_templates) delete t;
    m_templates.clear();
    if (m_bOleInitialized && m_nThreadID == ::GetCurrentThreadId()) AfxOleTerm();
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

BOOL CWinApp::OnIdle(LONG lCount)
{
    return CWinThread::OnIdle(lCount);
}

// ---- documents

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (!pTemplate) return;
    pTemplate->LoadTemplate();
    m_templates.push_back(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const
{
    return m_templates.empty() ? NULL : (POSITION)1;
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& rPosition) const
{
    size_t i = (size_t)rPosition - 1;
    if (!rPosition || i >= m_templates.size()) {
        rPosition = NULL;
        return NULL;
    }
    rPosition = i + 1 < m_templates.size() ? (POSITION)(i + 2) : NULL;
    return m_templates[i];
}

void CWinApp::OnFileNew()
{
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(NULL);
}

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName)
{
    if (!lpszFileName || !*lpszFileName || m_templates.empty()) return NULL;
    wchar_t full[MAX_PATH * 4];
    DWORD n = ::GetFullPathNameW(lpszFileName, MAX_PATH * 4, full, NULL);
    CString path = (n > 0 && n < MAX_PATH * 4) ? CString(full) : CString(lpszFileName);

    CDocTemplate* best = NULL;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    for (CDocTemplate* t : m_templates) {
        CDocument* open = NULL;
        CDocTemplate::Confidence match = t->MatchDocType(path, open);
        if (match == CDocTemplate::yesAlreadyOpen) {
            // Shown again rather than read again.
            POSITION pos = open->GetFirstViewPosition();
            if (CView* view = open->GetNextView(pos)) {
                if (CFrameWnd* frame = view->GetParentFrame()) frame->ActivateFrame();
            }
            return open;
        }
        if (match > bestMatch) {
            bestMatch = match;
            best = t;
        }
    }
    if (!best) best = m_templates.front();
    return best->OpenDocumentFile(path);
}

BOOL CWinApp::SaveAllModified()
{
    for (CDocTemplate* t : m_templates)
        if (!t->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

// ---- command line

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    // A stand-in program name in front keeps CommandLineToArgvW's first-argument rules off
    // the real arguments.
    CString line = m_lpCmdLine ? CString(L"x ") + m_lpCmdLine : CString(::GetCommandLineW());
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line, &argc);
    if (!argv) return;
    struct ArgvOwner {
        LPWSTR* p;
        ~ArgvOwner() { ::LocalFree(p); }
    } owner{argv};
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i];
        BOOL bFlag = param[0] == L'-' || param[0] == L'/';
        if (bFlag) ++param;
        rCmdInfo.ParseParam(param, bFlag, i == argc - 1);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, NULL, NULL)) OnFileNew();
        return m_pMainWnd != NULL;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != NULL;
    case CCommandLineInfo::FileNothing:
        return TRUE;
    default:
        // Printing, DDE and server registration are not offered by these programs.
        return FALSE;
    }
}

// ---- OLE

BOOL AfxOleInit()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_bOleInitialized) return TRUE;
    HRESULT hr = ::OleInitialize(NULL);
    if (FAILED(hr)) return FALSE;
    if (app) app->m_bOleInitialized = TRUE;
    else ::OleUninitialize();  // without an application nobody would undo it
    return TRUE;
}

void AfxOleTerm()
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_bOleInitialized) return;
    app->m_bOleInitialized = FALSE;
    ::OleUninitialize();
}

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
    if (!app->m_pszAppName) {
        CString title;
        if (title.LoadString(AFX_IDS_APP_TITLE) && !title.IsEmpty()) app->m_pszAppName = _wcsdup(title);
        else app->m_pszAppName = _wcsdup(exe);
    }
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
    AfxOleTerm();
    return code;
}
