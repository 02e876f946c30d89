// Shared system helpers: text, locale numbers, versions, paths, folders, temporary files, message
// waits and shutdown.
#include "engine/SystemHelpers.h"

#include <io.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <atomic>
#include <vector>

#include "framework/App.h"
#include "framework/Effects.h"
#include "framework/Handles.h"

const wchar_t kMakerName[] = L"Tarvelo Software";
const wchar_t kSupportMailAddress[] = L"support@tarvelo-software.com";
const wchar_t kProductVersion[] = L"3.3.0";

namespace {

std::atomic<int> g_tempFileRetryBudgetMs(30000);

CString SpecialFolder(int csidl, BOOL create)
{
    wchar_t buf[MAX_PATH + 1] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, buf, csidl, create))
        return CString();
    return CString(buf);
}

// The path through GetLongPathNameW or GetShortPathNameW, with a buffer of 'firstSize' characters
// grown once to the size asked for; empty for a path that does not exist.
CString ConvertPath(DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), LPCWSTR path, size_t firstSize)
{
    if (!path || !*path)
        return CString();
    std::vector<wchar_t> buf(firstSize);
    DWORD n = convert(path, buf.data(), (DWORD)buf.size());
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = convert(path, buf.data(), (DWORD)buf.size());
    }
    return n > 0 && n < buf.size() ? CString(buf.data(), (int)n) : CString();
}

// The name of the running program for its data folder: the application object's name, else the
// executable's title.
CString ApplicationName()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pszAppName && *app->m_pszAppName)
        return CString(app->m_pszAppName);
    return GetFileTitle(GetModulePath());
}

// RFC 6068 escaping of a mailto header value: blanks, line breaks and the URL's own delimiters
// would otherwise cut the subject or body short.
CString EscapeMailtoValue(LPCWSTR value)
{
    CString out;
    int n = value ? WideCharToMultiByte(CP_UTF8, 0, value, -1, nullptr, 0, nullptr, nullptr) : 0;
    if (n <= 1)
        return out;
    std::vector<char> bytes(n);
    WideCharToMultiByte(CP_UTF8, 0, value, -1, bytes.data(), n, nullptr, nullptr);
    for (int i = 0; i < n - 1; ++i) {
        unsigned char c = (unsigned char)bytes[i];
        if (c <= 0x20 || c >= 0x7F || c == '%' || c == '&' || c == '?' || c == '#' || c == '=' || c == '"')
            out.AppendFormat(L"%%%02X", c);
        else
            out.AppendChar((wchar_t)c);
    }
    return out;
}

}  // namespace

// Text ----------------------------------------------------------------------------------------

int WideToAnsi(LPCWSTR wide, CStringA& out)
{
    out.Empty();
    if (!wide || !*wide)
        return -1;
    int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return -1;
    std::vector<char> buf(n);
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, buf.data(), n, nullptr, nullptr) <= 0)
        return -1;
    out = buf.data();
    return n;
}

int AnsiToWide(LPCSTR narrow, CString& out)
{
    out.Empty();
    if (!narrow)
        return -1;
    int n = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    if (n <= 0)
        return -1;
    std::vector<wchar_t> buf(n);
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, buf.data(), n) <= 0)
        return -1;
    out = buf.data();
    return n;
}

int NewGuidString(CString& out)
{
    out.Empty();
    GUID g;
    if (FAILED(CoCreateGuid(&g)))
        return -1;
    out.Format(L"%08lx%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x", g.Data1, g.Data2, g.Data3, g.Data4[0],
               g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return 0;
}

CString GetSystemErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    CString text(n > 0 && buffer ? buffer : L"");
    if (buffer)
        LocalFree(buffer);
    text.TrimRight();
    if (text.IsEmpty())
        text.Format(L"Error %lu", error);
    return text;
}

CString FormatInt64Grouped(__int64 value)
{
    if (value == 0)
        return CString(L"0");
    CString text;
    text.Format(L"%I64d", value);
    return FormatNumberString(text);
}

CString FormatNumberString(LPCWSTR text)
{
    CString thousand = GetLocaleString(LOCALE_STHOUSAND, L",");
    wchar_t decimal[] = L".";
    NUMBERFMTW fmt = {};
    fmt.NumDigits = 0;
    fmt.LeadingZero = (UINT)GetLocaleInt(LOCALE_ILZERO, 0);
    fmt.Grouping = (UINT)GetLocaleGrouping(3);
    fmt.lpDecimalSep = decimal;
    fmt.lpThousandSep = const_cast<LPWSTR>(thousand.GetString());
    fmt.NegativeOrder = (UINT)GetLocaleInt(LOCALE_INEGNUMBER, 0);
    wchar_t buf[128] = L"";
    if (text && GetNumberFormatW(LOCALE_USER_DEFAULT, 0, text, &fmt, buf, 127) > 0)
        return CString(buf);
    return CString(text).Left(127);
}

int GetLocaleInt(LCTYPE type, int defaultValue)
{
    wchar_t buf[128] = L"";
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 127) <= 0)
        return defaultValue;
    return _wtoi(buf);
}

CString GetLocaleString(LCTYPE type, LPCWSTR defaultValue)
{
    wchar_t buf[128] = L"";
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 127) <= 0)
        return CString(defaultValue);
    return CString(buf);
}

int GetLocaleGrouping(int defaultValue)
{
    wchar_t buf[128] = L"";
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, buf, 127) <= 0)
        return defaultValue;
    if (wcscmp(buf, L"3;2;0") == 0)
        return 32;
    return _wtoi(buf);
}

int ParseVersion(LPCWSTR text, int out[3])
{
    CString t(text);
    t.Trim(L' ');
    t.Remove(L' ');
    CString parts[3];
    int count = 0;
    int start = 0;
    while (count < 3) {
        int dot = t.Find(L'.', start);
        parts[count++] = dot < 0 ? t.Mid(start) : t.Mid(start, dot - start);
        if (dot < 0)
            break;
        start = dot + 1;
    }
    if (count < 3 || t.IsEmpty())
        return -1;
    for (int i = 0; i < 3; ++i)
        out[i] = parts[i] == L"x" ? -1 : _wtoi(parts[i]);
    return 0;
}

int CompareVersions(LPCWSTR a, LPCWSTR b)
{
    int va[3] = {0, 0, 0}, vb[3] = {0, 0, 0};
    if (ParseVersion(a, va) != 0)
        va[0] = va[1] = va[2] = 0;
    if (ParseVersion(b, vb) != 0)
        vb[0] = vb[1] = vb[2] = 0;
    for (int i = 0; i < 3; ++i) {
        if (va[i] > vb[i])
            return 1;
        if (va[i] < vb[i])
            return -1;
    }
    return 0;
}

// Paths and folders -----------------------------------------------------------------------------

CString GetFileTitle(LPCWSTR path)
{
    // The file-name element as _wsplitpath cuts it, without its fixed-size buffers.
    CString p(path);
    int sep = -1;
    for (int i = p.GetLength() - 1; i >= 0; --i) {
        wchar_t c = p[i];
        if (c == L'\\' || c == L'/' || c == L':') {
            sep = i;
            break;
        }
    }
    CString name = p.Mid(sep + 1);
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? name : name.Left(dot);
}

CString RenameExtension(LPCWSTR path, LPCWSTR ext)
{
    CString p(path);
    if (p.IsEmpty())
        return p;
    LPCWSTR start = p.GetString();
    int at = (int)(PathFindExtensionW(start) - start);
    CString out = p.Left(at);
    out += ext;
    return out;
}

CString GetParentFolder(LPCWSTR path)
{
    CString p(path);
    if (p.IsEmpty())
        return p;
    LPWSTR buf = p.GetBuffer(p.GetLength() + 1);
    BOOL removed = PathRemoveFileSpecW(buf);
    p.ReleaseBuffer();
    return removed ? p : CString();
}

CString GetLongPath(LPCWSTR path)
{
    return ConvertPath(&GetLongPathNameW, path, 4096);
}

CString GetShortPath(LPCWSTR path)
{
    return ConvertPath(&GetShortPathNameW, path, 1024);
}

__int64 GetFileSize64(LPCWSTR path)
{
    // A pattern would report the size of whichever file matched first.
    if (!path || !*path || wcspbrk(path, L"*?"))
        return -1;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(path, &fd);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(find);
    return ((__int64)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
}

int CreateFolderChain(LPCWSTR path)
{
    if (!path || !*path)
        return 0;
    if (IsExistingFolder(path))
        return 1;
    CString p(path);
    for (int i = 1; i < p.GetLength(); ++i)
        if (p[i] == L'\\')
            CreateDirectoryW(p.Left(i), nullptr);
    CreateDirectoryW(p, nullptr);
    return IsExistingFolder(path) ? 1 : 0;
}

CString GetMyVideosFolder(BOOL create)
{
    return SpecialFolder(CSIDL_MYVIDEO, create);
}

CString GetModulePath()
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), (DWORD)buf.size());
        if (n == 0)
            return CString();
        if (n < buf.size())
            return CString(buf.data(), (int)n);
        if (buf.size() >= 32768)
            return CString();
        buf.resize(buf.size() * 2);
    }
}

CString GetAppFolder()
{
    CString folder;
    if (CWinApp* app = AfxGetApp())
        folder = app->GetProfileString(L"", L"AppFolder", L"");
    if (folder.IsEmpty())
        folder = GetParentFolder(GetModulePath());
    return folder;
}

CString GetUserDataFolder()
{
    CString appData = SpecialFolder(CSIDL_APPDATA, FALSE);
    if (appData.IsEmpty())
        return GetAppFolder();
    CString folder;
    folder.Format(L"%s\\%s\\%s", appData.GetString(), kMakerName, ApplicationName().GetString());
    // A data folder that cannot be made would lose every file written to it.
    if (!CreateFolderChain(folder))
        return GetAppFolder();
    return folder;
}

CString GetTempFilePath()
{
    wchar_t buf[MAX_PATH + 1] = L"";
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    CString guid;
    NewGuidString(guid);
    CString path(n > 0 && n <= MAX_PATH ? buf : L"");
    return path + guid;
}

bool IsExistingFile(LPCWSTR path)
{
    DWORD attr = path && *path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(LPCWSTR path)
{
    DWORD attr = path && *path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFilePath(LPCWSTR path)
{
    if (!path)
        return false;
    bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                 path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    bool unc = path[0] == L'\\' && path[1] == L'\\' && path[2] && path[2] != L'\\';
    return (drive || unc) && IsExistingFile(path);
}

namespace {
std::atomic<PathExistsFn> g_pathExists(&::PathFileExistsW);
}  // namespace

bool PathExists(LPCWSTR path)
{
    return path && *path && g_pathExists.load()(path) != FALSE;
}

PathExistsFn SetPathExistsQuestionForTests(PathExistsFn question)
{
    return g_pathExists.exchange(question ? question : &::PathFileExistsW);
}

// Temporary files --------------------------------------------------------------------------------

CTempFile::CTempFile() : m_nDelete(0), m_nRetry(0), m_nRetryBudgetMs(g_tempFileRetryBudgetMs) {}

CTempFile::CTempFile(LPCWSTR path, BOOL deleteFile, BOOL retry)
    : m_strPath(path), m_nDelete(deleteFile ? 1 : 0), m_nRetry(retry ? 1 : 0),
      m_nRetryBudgetMs(g_tempFileRetryBudgetMs)
{
}

CTempFile::~CTempFile()
{
    if (!m_nDelete || m_strPath.IsEmpty())
        return;
    if (!m_nRetry) {
        DeleteFileW(m_strPath);
        return;
    }
    while (_waccess(m_strPath, 0) != -1 && !DeleteFileW(m_strPath) && m_nRetryBudgetMs > 0) {
        Sleep(100);
        m_nRetryBudgetMs -= 100;
    }
}

void CTempFile::Set(LPCWSTR path, BOOL deleteFile, BOOL retry)
{
    m_strPath = path;
    m_nDelete = deleteFile ? 1 : 0;
    m_nRetry = retry ? 1 : 0;
}

void CTempFile::SetDefaultRetryBudgetForTests(int ms)
{
    g_tempFileRetryBudgetMs = ms;
}

// System image lists and OS version -------------------------------------------------------------

CSystemImageLists::CSystemImageLists() {}

CSystemImageLists::~CSystemImageLists()
{
    // The lists belong to the shell: they are detached here, never destroyed.
    m_SmallImages.Detach();
    m_LargeImages.Detach();
}

int CSystemImageLists::Init()
{
    SHFILEINFOW sfi = {};
    HIMAGELIST small =
        (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    HIMAGELIST large = (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX);
    if (!small || !large)
        return 0;
    m_SmallImages.Detach();
    m_LargeImages.Detach();
    m_SmallImages.Attach(small);
    m_LargeImages.Attach(large);
    return 1;
}

COsVersion::COsVersion() : m_nFilled(0)
{
    ZeroMemory(&m_info, sizeof(m_info));
}

int COsVersion::Init()
{
    ZeroMemory(&m_info, sizeof(m_info));
    m_info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&m_info))) {
        m_nFilled = 1;
        if (m_info.dwPlatformId == VER_PLATFORM_WIN32_NT && m_info.dwMajorVersion > 4) {
            m_info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
            GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&m_info));
        }
    }
    return 1;
}

bool COsVersion::IsVistaOrLater() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_NT && m_info.dwMajorVersion > 5;
}

// Message waits -------------------------------------------------------------------------------------

namespace {

// Dispatches 'message' for 'window' until 'done' accepts one. A WM_QUIT taken from the queue on
// the way is kept and posted again at the end, so the caller's own loop still ends; the wait also
// ends when the window is gone, since no message for it can come any more.
template <class Done, class Waiting>
LRESULT PumpMessagesUntil(HWND window, UINT message, Done done, Waiting waiting)
{
    bool quit = false;
    WPARAM quitCode = 0;
    LRESULT result = 0;
    for (;;) {
        if (!IsWindow(window) || !waiting())
            break;
        MSG msg;
        if (PeekMessageW(&msg, window, message, message, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            LRESULT dispatched = DispatchMessageW(&msg);
            if (msg.message == message && done(msg, dispatched, result))
                break;
            continue;
        }
        // Sent messages are delivered while waiting; the timeout notices a window destroyed by one.
        MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, 0);
    }
    if (quit)
        PostQuitMessage((int)quitCode);
    return result;
}

bool AlwaysWaiting()
{
    return true;
}

}  // namespace

LRESULT PumpUntilMessage(HWND window, UINT message)
{
    return PumpMessagesUntil(
        window, message,
        [](const MSG&, LRESULT dispatched, LRESULT& result) {
            result = dispatched;
            return true;
        },
        AlwaysWaiting);
}

WPARAM PumpUntilMessageEx(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT r = PumpMessagesUntil(window, message, [wParam, lParam](const MSG& msg, LRESULT, LRESULT& result) {
        if (wParam != 0) {
            if (msg.wParam != wParam || (lParam != 0 && msg.lParam != lParam))
                return false;
            result = (LRESULT)wParam;
            return true;
        }
        result = 0;
        return lParam == 0 || msg.lParam == lParam;
    }, AlwaysWaiting);
    return (WPARAM)r;
}

void PumpMessagesWhile(HWND window, UINT message, const std::function<bool()>& waiting)
{
    PumpMessagesUntil(
        window, message, [](const MSG&, LRESULT, LRESULT&) { return false; }, [&waiting] { return waiting(); });
}

// System ----------------------------------------------------------------------------------------------

int AllowCopyDataMessages()
{
    typedef BOOL(WINAPI * ChangeFilterFn)(UINT, DWORD);
    HMODULE user32 = GetModuleHandleW(L"user32");
    FARPROC proc = user32 ? GetProcAddress(user32, "ChangeWindowMessageFilter") : nullptr;
    // Through void(*)(void), the one function type every other converts to without a warning.
    ChangeFilterFn change = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void (*)(void)>(proc));
    if (!change)
        return 1;
    const DWORD kAdd = 1;  // MSGFLT_ADD
    BOOL copyData = change(WM_COPYDATA, kAdd);
    BOOL copyGlobalData = change(0x49, kAdd);
    return copyData && copyGlobalData ? 0 : -1;
}

int ShutdownWindows(UINT flags)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return 0;
    CHandle owner(token);
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid))
        return 0;
    // AdjustTokenPrivileges succeeds even when the privilege was not granted.
    if (!AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr) || GetLastError() == ERROR_NOT_ALL_ASSIGNED)
        return 0;
    return FwExitWindowsEx(flags, 0) ? 1 : 0;
}

int PowerOffComputer()
{
    return ShutdownWindows(EWX_POWEROFF | EWX_FORCE);
}

int DeleteToRecycleBin(LPCWSTR path, FILEOP_FLAGS flags, HWND window)
{
    if (!path || !*path)
        return 0;
    std::vector<wchar_t> from(path, path + wcslen(path));
    from.push_back(0);
    from.push_back(0);
    SHFILEOPSTRUCTW op = {};
    op.hwnd = window;
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.fFlags = flags;
    return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted ? 1 : 0;
}

int SplitUrl(LPCWSTR url, int& scheme, CString& host, CString& path, int& port)
{
    scheme = 0;
    port = 0;
    host.Empty();
    path.Empty();
    if (!url || !*url)
        return -1;
    std::vector<wchar_t> hostBuf(4096), pathBuf(4096);
    URL_COMPONENTSW uc = {};
    uc.dwStructSize = sizeof(uc);
    uc.lpszHostName = hostBuf.data();
    uc.dwHostNameLength = (DWORD)hostBuf.size();
    uc.lpszUrlPath = pathBuf.data();
    uc.dwUrlPathLength = (DWORD)pathBuf.size();
    if (!InternetCrackUrlW(url, 0, 0, &uc))
        return -1;
    scheme = (int)uc.nScheme;
    port = (int)uc.nPort;
    host = hostBuf.data();
    path = pathBuf.data();
    return 0;
}

void SendMailTo(LPCWSTR to, LPCWSTR subject, LPCWSTR body)
{
    CString url;
    if (body && *body)
        url.Format(L"mailto:%s?subject=%s&body=%s", to ? to : L"", EscapeMailtoValue(subject).GetString(),
                   EscapeMailtoValue(body).GetString());
    else
        url.Format(L"mailto:%s?subject=%s", to ? to : L"", EscapeMailtoValue(subject).GetString());
    FwShellExecute(nullptr, L"Open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void SendSupportMail()
{
    CString subject;
    subject.Format(L"About %s %s", ApplicationName().GetString(), kProductVersion);
    SendMailTo(kSupportMailAddress, subject, nullptr);
}
