// Shared equipment of the converter tests.
#include "ConverterTestSupport.h"

#include "tests/common/Screenshot.h"

namespace convertertest {

const wchar_t kTestMaker[] = L"Tarvelo Software Converter Tests";
const wchar_t kTestAppName[] = L"RaventoTest";

CConverterTestApp::CConverterTestApp(bool withEnvironment)
{
    DeleteProfile();
    m_app.reset(new CWinApp(kTestAppName));
    m_app->SetRegistryKey(kTestMaker);
    m_settings.reset(new CConverterSettings);
    SetConverterSettings(m_settings.get());
    if (withEnvironment) {
        m_environment.reset(new CConverterEnvironment);
        m_environment->Init();
        SetConverterEnvironment(m_environment.get());
    }
}

CConverterTestApp::~CConverterTestApp()
{
    SetConverterEnvironment(nullptr);
    SetConverterSettings(nullptr);
    m_environment.reset();
    m_settings.reset();
    m_app.reset();
    DeleteProfile();
}

CString CConverterTestApp::KeyPath() const
{
    return CString(L"Software\\") + kTestMaker + L"\\" + kTestAppName;
}

void CConverterTestApp::DeleteProfile()
{
    CRegKey::DeleteTree(HKEY_CURRENT_USER, CString(L"Software\\") + kTestMaker);
}

BEGIN_MESSAGE_MAP(CControlHost, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CControlHost& CControlHost::Shared()
{
    static CControlHost* host = new CControlHost;  // lives until the process ends
    return *host;
}

BOOL CControlHost::Prepare(int width, int height)
{
    m_background = RGB(240, 240, 240);
    m_commands.clear();
    RECT rc = {0, 0, width, height};
    ::AdjustWindowRectEx(&rc, WS_POPUP, FALSE, WS_EX_TOPMOST);
    if (!m_hWnd) {
        LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(NULL, IDC_ARROW));
        if (!CreateEx(WS_EX_TOPMOST, cls, L"converter test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                      rc.right - rc.left, rc.bottom - rc.top, NULL, NULL))
            return FALSE;
    } else {
        MoveWindow(40, 40, rc.right - rc.left, rc.bottom - rc.top);
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        Invalidate();
    }
    UpdateWindow();
    return TRUE;
}

BOOL CControlHost::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_background);
    return TRUE;
}

BOOL CControlHost::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The control has its say first (reflection).
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    m_commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    return TRUE;
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

HWND WaitForWindow(LPCWSTR caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = ::FindWindowW(nullptr, caption);
            return found && ::IsWindowVisible(found);
        },
        timeoutMs);
    return found && ::IsWindowVisible(found) ? found : nullptr;
}

bool TouchFile(LPCWSTR path)
{
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

CString WindowText(HWND hwnd)
{
    wchar_t buffer[1024] = L"";
    ::GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

CString Shot(LPCWSTR name, HWND hwnd)
{
    return SaveWindowScreenshot(L"converter", name, hwnd);
}

}  // namespace convertertest
