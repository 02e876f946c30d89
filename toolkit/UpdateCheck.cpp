// The update check: when it is due, its thread, the feed and what the user is told.
#include "toolkit/UpdateCheck.h"

#include "engine/SystemHelpers.h"
#include "framework/Effects.h"
#include "framework/Thread.h"
#include "toolkit/ToolkitHost.h"
#include "toolkit/UpdateDialogs.h"
#include "toolkit/WinInetRequest.h"

#include <objbase.h>
#include <pugixml.hpp>

#include <cerrno>
#include <climits>
#include <ctime>
#include <cwchar>

const wchar_t kUpdateFailedText[] = L"Failed to get update information!\nPlease try again later.";
const wchar_t kUpdateNewestText[] = L"You are already using the newest version.\nPlease check again in future.";
// Far above any real feed (a few hundred bytes).
const int kUpdateFeedLimit = 256 * 1024;

namespace {

const __int64 kSecondsPerDay = 86400;

bool SameLocalDate(__int64 a, __int64 b)
{
    __time64_t ta = a, tb = b;
    struct tm da = {}, db = {};
    if (_localtime64_s(&da, &ta) != 0 || _localtime64_s(&db, &tb) != 0)
        return false;
    return da.tm_year == db.tm_year && da.tm_mon == db.tm_mon && da.tm_mday == db.tm_mday;
}

// A whole number, optionally signed, with blanks around it; false for anything else.
bool ParseInteger(CString text, int& value)
{
    text.Trim();
    if (text.IsEmpty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    long parsed = wcstol(text.GetString(), &end, 10);
    if (errno != 0 || end == text.GetString() || *end != 0 || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = (int)parsed;
    return true;
}

CString ElementText(const pugi::xml_node& parent, const wchar_t* name)
{
    CString text(parent.child_value(name));
    return text.Trim();
}

bool IsWebAddress(const CString& url)
{
    return url.Left(7).CompareNoCase(L"http://") == 0 || url.Left(8).CompareNoCase(L"https://") == 0;
}

// The messages of the starter's window: wParam is the new "AutoCheckUpdate"; the check has ended.
const UINT WM_SET_AUTO_CHECK = WM_APP + 1;
const UINT WM_CHECK_ENDED = WM_APP + 2;

LRESULT CALLBACK StarterWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SET_AUTO_CHECK:
        if (CToolkitHost* host = GetToolkitHost())
            host->SetAutoCheckUpdate(wParam != 0);
        return 0;
    case WM_CHECK_ENDED:
        ::DestroyWindow(hWnd);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND CreateStarterWindow()
{
    static const ATOM windowClass = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &StarterWindowProc;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.lpszClassName = L"UpdateCheckStarter";
        return ::RegisterClassW(&wc);
    }();
    if (!windowClass)
        return NULL;
    return ::CreateWindowExW(0, MAKEINTATOM(windowClass), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                             ::GetModuleHandleW(NULL), NULL);
}

UINT __cdecl UpdateCheckThread(LPVOID param)
{
    CUpdateChecker* checker = static_cast<CUpdateChecker*>(param);
    // The dialogs and the shell's open run on this thread.
    HRESULT com = ::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    checker->Run();
    delete checker;
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return 0;
}

} // namespace

bool IsUpdateCheckDue(__int64 now, __int64 last, int days)
{
    if (days < 0)
        return false;
    if (days == 0 || now < last)
        return true;
    if (days == 1)
        return !SameLocalDate(now, last);
    return (now - last) / kSecondsPerDay > days - 1;
}

int StartUpdateCheck(LPCWSTR feedUrl, LPCWSTR currentVersion, int days, BOOL automatic)
{
    CToolkitHost* host = GetToolkitHost();
    const __int64 now = _time64(NULL);
    if (automatic && !IsUpdateCheckDue(now, host ? host->GetLastUpdateCheck() : 0, days))
        return 1;
    if (host)
        host->SetLastUpdateCheck(now);
    CUpdateChecker* checker =
        new CUpdateChecker(host ? host->GetProductName() : CString(), currentVersion, feedUrl, automatic);
    if (!AfxBeginThread(&UpdateCheckThread, checker, THREAD_PRIORITY_NORMAL)) {
        delete checker;
        return -1;
    }
    return 0;
}

int StartHostUpdateCheck(BOOL automatic)
{
    CToolkitHost* host = GetToolkitHost();
    if (!host)
        return -1;
    return StartUpdateCheck(host->GetUpdateFeedUrl(), host->GetProductVersion(), host->GetAutoCheckUpdateDays(),
                            automatic);
}

LRESULT HandleStartUpdateCheck(WPARAM wParam, LPARAM lParam)
{
    if (wParam == 0)
        StartHostUpdateCheck(lParam != 0);
    return 0;
}

// CUpdateChecker -------------------------------------------------------------------------------

CUpdateChecker::CUpdateChecker(LPCWSTR productName, LPCWSTR currentVersion, LPCWSTR feedUrl, BOOL automatic)
    : m_strProductName(productName), m_strCurrentVersion(currentVersion), m_strFeedUrl(feedUrl),
      m_bAutomatic(automatic), m_hStarterWindow(CreateStarterWindow())
{
}

CUpdateChecker::~CUpdateChecker()
{
    if (!m_hStarterWindow)
        return;
    if (::GetWindowThreadProcessId(m_hStarterWindow, NULL) != ::GetCurrentThreadId()) {
        // Only its own thread can destroy the window: after the values posted before this.
        ::PostMessageW(m_hStarterWindow, WM_CHECK_ENDED, 0, 0);
        return;
    }
    MSG msg;
    while (::PeekMessageW(&msg, m_hStarterWindow, WM_SET_AUTO_CHECK, WM_SET_AUTO_CHECK, PM_REMOVE))
        ::DispatchMessageW(&msg);
    ::DestroyWindow(m_hStarterWindow);
}

int CUpdateChecker::Run()
{
    int result;
    if (m_bAutomatic) {
        result = Check();
    } else {
        CUpdateProgressDlg progress(this);
        progress.DoModal();
        result = progress.m_nResult;
    }
    if (m_nCancel)
        return result;
    if (result == -1) {
        if (!m_bAutomatic)
            Tell(kUpdateFailedText, MB_ICONEXCLAMATION);
    } else if (result == 1) {
        CNewVersionDlg news(this);
        if (news.DoModal() == IDOK)
            FwShellExecute(NULL, L"open", GetDownloadPage(), NULL, NULL, SW_SHOWNORMAL);
    } else if (!m_bAutomatic) {
        Tell(kUpdateNewestText, MB_ICONINFORMATION);
    }
    return result;
}

void CUpdateChecker::Tell(LPCWSTR text, UINT icon)
{
    // No window of this thread can own the box: it must come to the front by itself.
    FwMessageBox(NULL, text, m_strProductName, MB_OK | icon | MB_SETFOREGROUND);
}

int CUpdateChecker::Check()
{
    if (Fetch() != 0)
        return -1;
    return CompareVersions(m_strNewestVersion, m_strCurrentVersion) > 0 ? 1 : 0;
}

int CUpdateChecker::Fetch()
{
    CString text;
    if (Download(text) != 0)
        return -1;
    return ParseUpdateXml(text);
}

int CUpdateChecker::Download(CString& text)
{
    text.Empty();
    CWinInetRequest request;
    request.m_pCancel = &m_nCancel;
    request.m_strUrl = m_strFeedUrl;
    // One byte past the limit tells a feed of exactly the limit from a longer body, whose reading
    // stops there: an address that serves something large or endless is a failed check.
    request.m_nBytesToRead = kUpdateFeedLimit + 1;
    CMemoryStream bytes(1024);
    if (request.DownloadToMemory(bytes) != 0 || bytes.GetSize() > kUpdateFeedLimit)
        return -1;
    // The feed is UTF-8, whatever the system's code page.
    const char* data = (const char*)bytes.GetBuffer();
    int size = (int)bytes.GetSize();
    if (size >= 3 && (BYTE)data[0] == 0xEF && (BYTE)data[1] == 0xBB && (BYTE)data[2] == 0xBF) {
        data += 3;
        size -= 3;
    }
    text = CString(detail::Widen(data, size, CP_UTF8));
    return 0;
}

int CUpdateChecker::ParseUpdateXml(const CString& text)
{
    pugi::xml_document doc;
    if (!doc.load_string(text.GetString()))
        return -1;
    pugi::xml_node application = doc.child(L"Updates").child(L"Application");
    if (!application)
        return -1;
    CString version = ElementText(application, L"Version");
    if (version.IsEmpty())
        return -1;
    CString url = ElementText(application, L"DownloadURL");
    if (url.IsEmpty())
        url = ElementText(application, L"URL");
    if (url.IsEmpty())
        return -1;
    int level = m_nLevel;
    ParseInteger(application.child_value(L"Level"), level);
    CString description = ElementText(application, L"Description");
    description.Replace(L"\\n", L"\r\n");

    m_strNewestVersion = version;
    m_strDownloadUrl = url;
    m_nLevel = level;
    m_strDescription = description;
    return 0;
}

void CUpdateChecker::SetAutoCheckUpdate(BOOL on)
{
    if (m_hStarterWindow) {
        ::PostMessageW(m_hStarterWindow, WM_SET_AUTO_CHECK, on ? 1 : 0, 0);
        return;
    }
    // No window could be made for the starting thread: the host is told from here.
    if (CToolkitHost* host = GetToolkitHost())
        host->SetAutoCheckUpdate(on);
}

CString CUpdateChecker::GetDownloadPage() const
{
    // The feed is only trusted with web addresses: anything else would be run by the shell.
    if (IsWebAddress(m_strDownloadUrl))
        return m_strDownloadUrl;
    CToolkitHost* host = GetToolkitHost();
    return host ? host->GetProductPageUrl() : CString();
}
