// The theme library, looked up by name.
#include "toolkit/ThemeSupport.h"

CThemeLibrary::CThemeLibrary(LPCWSTR lpszLibrary)
{
    lstrcpynW(m_szLibrary, lpszLibrary, MAX_PATH);
}

CThemeLibrary::~CThemeLibrary()
{
    if (m_hModule) ::FreeLibrary(m_hModule);
}

CThemeLibrary& CThemeLibrary::Shared()
{
    static CThemeLibrary library;
    return library;
}

FARPROC CThemeLibrary::GetProc(LPCSTR name)
{
    // One attempt per process: a system without the library is not searched again at every paint.
    if (!m_bTried) {
        m_bTried = true;
        ++m_nLoadAttempts;
        m_hModule = ::LoadLibraryW(m_szLibrary);
    }
    return m_hModule ? ::GetProcAddress(m_hModule, name) : NULL;
}

namespace {
template <class Fn>
Fn As(FARPROC proc)
{
    Fn fn;
    static_assert(sizeof(fn) == sizeof(proc), "function pointers of one size");
    __builtin_memcpy(&fn, &proc, sizeof(fn));
    return fn;
}
}

HTHEME CThemeLibrary::OpenThemeData(HWND hWnd, LPCWSTR pszClassList)
{
    typedef HTHEME(WINAPI * Fn)(HWND, LPCWSTR);
    FARPROC proc = GetProc("OpenThemeData");
    return proc ? As<Fn>(proc)(hWnd, pszClassList) : NULL;
}

HRESULT CThemeLibrary::CloseThemeData(HTHEME hTheme)
{
    typedef HRESULT(WINAPI * Fn)(HTHEME);
    FARPROC proc = GetProc("CloseThemeData");
    return proc ? As<Fn>(proc)(hTheme) : E_FAIL;
}

HRESULT CThemeLibrary::DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                           const RECT* pClipRect)
{
    typedef HRESULT(WINAPI * Fn)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    FARPROC proc = GetProc("DrawThemeBackground");
    return proc ? As<Fn>(proc)(hTheme, hdc, iPartId, iStateId, pRect, pClipRect) : E_FAIL;
}

BOOL CThemeLibrary::IsThemeActive()
{
    typedef BOOL(WINAPI * Fn)();
    FARPROC proc = GetProc("IsThemeActive");
    return proc ? As<Fn>(proc)() : FALSE;
}

BOOL CThemeLibrary::IsAppThemed()
{
    typedef BOOL(WINAPI * Fn)();
    FARPROC proc = GetProc("IsAppThemed");
    return proc ? As<Fn>(proc)() : FALSE;
}

bool CThemeLibrary::IsVisualStyleActive()
{
    return IsThemeActive() && IsAppThemed();
}

bool IsVisualStyleActive()
{
    return CThemeLibrary::Shared().IsVisualStyleActive();
}

bool CThemeData::Open(HWND hWnd, LPCWSTR pszClassList)
{
    Reset();
    m_hTheme = m_library.OpenThemeData(hWnd, pszClassList);
    return m_hTheme != NULL;
}

void CThemeData::Reset()
{
    if (m_hTheme) m_library.CloseThemeData(m_hTheme);
    m_hTheme = NULL;
}

HRESULT CThemeData::DrawBackground(HDC hdc, int iPartId, int iStateId, const RECT* pRect, const RECT* pClipRect)
{
    return m_hTheme ? m_library.DrawThemeBackground(m_hTheme, hdc, iPartId, iStateId, pRect, pClipRect) : E_FAIL;
}
