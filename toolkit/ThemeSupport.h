// The visual-styles functions of UxTheme.dll, loaded by name on first use so the programs also run
// where the library is missing, and the test whether visual styles are in force.
#pragma once

#include <windows.h>
#include <uxtheme.h>

class CThemeLibrary {
public:
    explicit CThemeLibrary(LPCWSTR lpszLibrary = L"UxTheme.dll");
    ~CThemeLibrary();
    CThemeLibrary(const CThemeLibrary&) = delete;
    CThemeLibrary& operator=(const CThemeLibrary&) = delete;

    // The program's own instance.
    static CThemeLibrary& Shared();

    // Each answers the fallback when the library or the function is missing: null, E_FAIL, FALSE.
    HTHEME OpenThemeData(HWND hWnd, LPCWSTR pszClassList);
    HRESULT CloseThemeData(HTHEME hTheme);
    HRESULT DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                const RECT* pClipRect);
    BOOL IsThemeActive();
    BOOL IsAppThemed();
    // Visual styles are in force for this program: the theme is active and the program themed.
    bool IsVisualStyleActive();

    // How often the library was looked for (once at most), for tests.
    int GetLoadAttempts() const { return m_nLoadAttempts; }

private:
    FARPROC GetProc(LPCSTR name);

    wchar_t m_szLibrary[MAX_PATH];
    HMODULE m_hModule = NULL;
    bool m_bTried = false;
    int m_nLoadAttempts = 0;
};

// CThemeLibrary::Shared().IsVisualStyleActive().
bool IsVisualStyleActive();

// One theme handle, closed when the holder is reset or destroyed.
class CThemeData {
public:
    explicit CThemeData(CThemeLibrary& library = CThemeLibrary::Shared()) : m_library(library) {}
    ~CThemeData() { Reset(); }
    CThemeData(const CThemeData&) = delete;
    CThemeData& operator=(const CThemeData&) = delete;

    // Opens the class list's theme for the window, closing the one held before; false without one.
    bool Open(HWND hWnd, LPCWSTR pszClassList);
    void Reset();
    HTHEME Get() const { return m_hTheme; }
    operator HTHEME() const { return m_hTheme; }
    HRESULT DrawBackground(HDC hdc, int iPartId, int iStateId, const RECT* pRect, const RECT* pClipRect = NULL);

private:
    CThemeLibrary& m_library;
    HTHEME m_hTheme = NULL;
};
