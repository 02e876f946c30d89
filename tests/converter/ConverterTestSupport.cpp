// Shared equipment of the converter tests.
#include "ConverterTestSupport.h"

#include <atomic>
#include <new>

#include <stdlib.h>

#include "conversion/MediaPreset.h"
#include "tests/common/Screenshot.h"

// Allocations of a preset's size, tracked by address so that their deletion can be told apart.
namespace {

const size_t kWatchedSize = sizeof(CMediaPreset);
const size_t kSlots = 1 << 16;
void* volatile g_slots[kSlots];
std::atomic<long> g_live(0);
std::atomic_flag g_lock = ATOMIC_FLAG_INIT;

size_t SlotOf(void* p)
{
    return ((size_t)p >> 4) & (kSlots - 1);
}

void Remember(void* p)
{
    while (g_lock.test_and_set(std::memory_order_acquire)) {
    }
    for (size_t i = SlotOf(p), n = 0; n < kSlots; i = (i + 1) & (kSlots - 1), ++n)
        if (!g_slots[i]) {
            g_slots[i] = p;
            ++g_live;
            break;
        }
    g_lock.clear(std::memory_order_release);
}

void Forget(void* p)
{
    if (g_live.load() == 0)
        return;
    while (g_lock.test_and_set(std::memory_order_acquire)) {
    }
    for (size_t i = SlotOf(p), n = 0; n < kSlots && g_slots[i]; i = (i + 1) & (kSlots - 1), ++n)
        if (g_slots[i] == p) {
            // Keep the probe chains whole: move later entries of the chain back.
            g_slots[i] = nullptr;
            --g_live;
            for (size_t j = (i + 1) & (kSlots - 1); g_slots[j]; j = (j + 1) & (kSlots - 1)) {
                void* moved = g_slots[j];
                g_slots[j] = nullptr;
                for (size_t k = SlotOf(moved);; k = (k + 1) & (kSlots - 1))
                    if (!g_slots[k]) {
                        g_slots[k] = moved;
                        break;
                    }
            }
            break;
        }
    g_lock.clear(std::memory_order_release);
}

}  // namespace

void* operator new(size_t size)
{
    void* p = malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (size == kWatchedSize)
        Remember(p);
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    Forget(p);
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    operator delete(p);
}

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

long LivePresetObjects()
{
    return g_live.load();
}

CTestStore::CTestStore()
{
    Folder = MakeAwkwardFolder(L"presets");
    Load(Folder + L"\\MediaFormats.preset");
}

namespace {

int RunHidden(const CString& commandLine, DWORD timeoutMs)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    CString line(commandLine);
    if (!CreateProcessW(nullptr, const_cast<LPWSTR>(line.GetString()), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi))
        return -1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        return -1;
    }
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    return (int)code;
}

}  // namespace

CConversionStage& GetConversionStage()
{
    static CConversionStage stage;
    static bool made = false;
    if (made)
        return stage;
    made = true;
    const CString bin = GetEnv(L"TEST_BIN_DIR"), ff = GetEnv(L"TEST_FFMPEG_DIR");
    if (bin.IsEmpty() || ff.IsEmpty() || GetEnv(L"TEST_TEMP_DIR").IsEmpty()) {
        stage.problem = L"TEST_BIN_DIR, TEST_FFMPEG_DIR and TEST_TEMP_DIR must be set";
        return stage;
    }
    stage.app = MakeAwkwardFolder(L"app");
    stage.modules = stage.app + L"\\Modules";
    CreateDirectoryW(stage.modules, nullptr);
    CreateDirectoryW(stage.modules + L"\\ffmpeg", nullptr);
    stage.probe = stage.modules + L"\\Quisset.exe";
    stage.encoder = stage.modules + L"\\Velkor.exe";
    stage.log = stage.modules + L"\\encoder log.txt";
    if (!CopyFileW(bin + L"\\Quisset.exe", stage.probe, FALSE) ||
        !CopyFileW(ff + L"\\ffprobe.exe", stage.modules + L"\\ffmpeg\\ffprobe.exe", FALSE) ||
        !CopyFileW(bin + L"\\faketool.exe", stage.encoder, FALSE)) {
        stage.problem = L"cannot lay out the Modules folder";
        return stage;
    }
    // The stand-in encoder writes its arguments to the log and reports a little progress.
    enginetest::WriteUtf8File(stage.modules + L"\\Velkor.fake", L"progress 2\ninterval 20\nlog " + stage.log + L"\n");
    stage.clip = MakeAwkwardFolder(L"clips") + L"\\av clip.mp4";
    const CString make = L"\"" + ff + L"\\ffmpeg.exe\" -v error -y -f lavfi -i testsrc=duration=2:size=352x288:rate=25"
                         L" -f lavfi -i sine=frequency=440:duration=2:sample_rate=44100 -ac 2 -c:v libx264 -pix_fmt"
                         L" yuv420p -c:a aac -shortest \"" + stage.clip + L"\"";
    if (RunHidden(make, 120000) != 0)
        stage.problem = L"cannot make the test clip";
    return stage;
}

}  // namespace convertertest
