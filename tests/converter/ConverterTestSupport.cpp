// Shared equipment of the converter tests.
#include "ConverterTestSupport.h"

#include <atomic>
#include <new>

#include <stdlib.h>

#include "conversion/MediaPreset.h"
#include "engine/ProbeTool.h"
#include "engine/SystemHelpers.h"
#include "tests/common/Screenshot.h"
#include "tests/conversion/ConversionTestSupport.h"

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

CConverterTestApp::CConverterTestApp(std::unique_ptr<CConverterEnvironment> environment)
{
    DeleteProfile();
    m_app.reset(new CWinApp(kTestAppName));
    m_app->SetRegistryKey(kTestMaker);
    m_settings.reset(new CConverterSettings);
    SetConverterSettings(m_settings.get());
    m_environment = std::move(environment);
    m_environment->Init();
    SetConverterEnvironment(m_environment.get());
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

namespace {

BOOL CALLBACK FindVisibleToolTip(HWND hwnd, LPARAM found)
{
    wchar_t cls[64] = L"";
    ::GetClassNameW(hwnd, cls, 64);
    if (_wcsicmp(cls, TOOLTIPS_CLASSW) != 0 || !::IsWindowVisible(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

}  // namespace

HWND VisibleToolTip()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleToolTip, (LPARAM)&found);
    return found;
}

CString HoverForToolTip(CWnd& control)
{
    CRect box;
    control.GetWindowRect(&box);
    const CPoint middle = box.CenterPoint();
    ::SetCursorPos(middle.x, middle.y);
    CPoint inside = middle;
    control.ScreenToClient(&inside);
    control.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    if (!WaitUntil([] { return VisibleToolTip() != nullptr; }, 5000))
        return CString();
    wchar_t text[256] = L"";
    ::SendMessageW(VisibleToolTip(), WM_GETTEXT, 256, (LPARAM)text);
    return text;
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

const CClips& GetClips()
{
    static CClips clips;
    static bool made = false;
    if (made)
        return clips;
    made = true;
    const CString ff = GetEnv(L"TEST_FFMPEG_DIR");
    if (ff.IsEmpty() || GetEnv(L"TEST_TEMP_DIR").IsEmpty()) {
        clips.problem = L"TEST_FFMPEG_DIR and TEST_TEMP_DIR must be set";
        return clips;
    }
    clips.folder = MakeAwkwardFolder(L"clips");
    clips.clip = clips.folder + L"\\av clip.mp4";
    clips.multi = clips.folder + L"\\tracks clip.mkv";
    clips.tone = clips.folder + L"\\tone (1).m4a";
    clips.longer = clips.folder + L"\\longer clip.mp4";
    clips.silent = clips.folder + L"\\silent clip.mp4";
    clips.cutShort = clips.folder + L"\\cut short.mp4";
    const CString whole = clips.folder + L"\\whole.mp4";
    const CString subtitles = clips.folder + L"\\subtitles.srt";
    enginetest::WriteUtf8File(subtitles, L"1\r\n00:00:00,000 --> 00:00:02,500\r\nHello\r\n\r\n");
    const CString ffmpeg = L"\"" + ff + L"\\ffmpeg.exe\" -v error -y ";
    const CString commands[] = {
        ffmpeg + L"-f lavfi -i testsrc=duration=2:size=352x288:rate=25 -f lavfi -i sine=frequency=440:duration=2:sample_rate=44100"
                 L" -ac 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest \"" + clips.clip + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=3:size=320x240:rate=25 -f lavfi -i sine=frequency=440:duration=3"
                 L" -f lavfi -i sine=frequency=880:duration=3 -i \"" + subtitles + L"\" -map 0 -map 1 -map 2 -map 3"
                 L" -c:v libx264 -pix_fmt yuv420p -c:a aac -c:s srt -metadata:s:a:0 language=eng"
                 L" -metadata:s:a:1 language=fre \"" + clips.multi + L"\"",
        ffmpeg + L"-f lavfi -i sine=frequency=440:duration=2:sample_rate=44100 -c:a aac \"" + clips.tone + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=6:size=320x240:rate=25 -f lavfi -i sine=frequency=660:duration=6"
                 L" -ac 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest \"" + clips.longer + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=2:size=320x240:rate=25 -c:v libx264 -pix_fmt yuv420p \"" +
                 clips.silent + L"\"",
        ffmpeg + L"-f lavfi -i testsrc=duration=30:size=160x120:rate=25 -f lavfi -i sine=duration=30 -c:v mpeg4"
                 L" -c:a aac -shortest -movflags +faststart \"" + whole + L"\"",
    };
    for (const CString& command : commands)
        if (RunHidden(command, 120000) != 0) {
            clips.problem = L"cannot make the test clips";
            return clips;
        }
    if (!convtest::CopyFirstThird(whole, clips.cutShort))
        clips.problem = L"cannot cut a clip short";
    return clips;
}

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
    stage.script = stage.modules + L"\\Velkor.fake";
    stage.ravento = stage.app + L"\\Ravento.exe";
    if (!CopyFileW(bin + L"\\Quisset.exe", stage.probe, FALSE) ||
        !CopyFileW(ff + L"\\ffprobe.exe", stage.modules + L"\\ffmpeg\\ffprobe.exe", FALSE) ||
        !CopyFileW(bin + L"\\faketool.exe", stage.encoder, FALSE) || !CopyFileW(bin + L"\\Ravento.exe", stage.ravento, FALSE)) {
        stage.problem = L"cannot lay out the Modules folder";
        return stage;
    }
    // The stand-in encoder writes its arguments to the log and reports a little progress.
    ScriptStandInEncoder(L"progress 2\ninterval 20\n");
    const CClips& clips = GetClips();
    stage.problem = clips.problem;
    stage.clip = clips.clip;
    stage.multi = clips.multi;
    stage.tone = clips.tone;
    return stage;
}

void ScriptStandInEncoder(LPCWSTR lines)
{
    CConversionStage& stage = GetConversionStage();
    enginetest::WriteUtf8File(stage.script, CString(lines) + L"log " + stage.log + L"\n");
    ::DeleteFileW(stage.log);
}

std::vector<CString> CHeldProbe::Runs(const CString& containing) const
{
    std::vector<CString> runs;
    for (const CString& line : enginetest::ReadLines(log))
        if (line.Find(L"cmdline: ") == 0 && line.Find(containing) >= 0)
            runs.push_back(line);
    return runs;
}

CHeldProbe MakeHeldProbe(const CString& exe, const CString& clip)
{
    CHeldProbe probe;
    const CString folder = GetParentFolder(exe);
    probe.exe = exe;
    probe.release = folder + L"\\release";
    probe.log = folder + L"\\probe log.txt";
    const CString json = folder + L"\\answer.json";
    CString script = exe.Left(exe.ReverseFind(L'.')) + L".fake";
    CProbeTool real;
    real.SetPath(GetConversionStage().probe);
    CProbeOptions options;
    options.InputPath = clip;
    if (!GetConversionStage().problem.IsEmpty() || real.Launch(options, json, nullptr) != 0 ||
        !::CopyFileW(GetEnv(L"TEST_BIN_DIR") + L"\\faketool.exe", exe, FALSE) ||
        !enginetest::WriteUtf8File(script, L"stdout_file " + json + L"\nwait_file " + probe.release + L"\nlog " +
                                               probe.log + L"\n"))
        probe.problem = L"cannot lay out the held probe";
    return probe;
}

CToolStage& GetToolStage()
{
    static CToolStage stage;
    static bool made = false;
    if (made)
        return stage;
    made = true;
    const CString bin = GetEnv(L"TEST_BIN_DIR"), ff = GetEnv(L"TEST_FFMPEG_DIR"), deps = GetEnv(L"TEST_DEPS_BIN_DIR");
    if (bin.IsEmpty() || ff.IsEmpty() || deps.IsEmpty() || GetEnv(L"TEST_TEMP_DIR").IsEmpty()) {
        stage.problem = L"TEST_BIN_DIR, TEST_FFMPEG_DIR, TEST_DEPS_BIN_DIR and TEST_TEMP_DIR must be set";
        return stage;
    }
    stage.app = MakeAwkwardFolder(L"tools app");
    stage.modules = stage.app + L"\\Modules";
    stage.ravento = stage.app + L"\\Ravento.exe";
    CreateDirectoryW(stage.modules, nullptr);
    CreateDirectoryW(stage.modules + L"\\ffmpeg", nullptr);
    CreateDirectoryW(stage.modules + L"\\Presets", nullptr);
    if (!CopyFileW(bin + L"\\Quisset.exe", stage.modules + L"\\Quisset.exe", FALSE) ||
        !CopyFileW(bin + L"\\Velkor.exe", stage.modules + L"\\Velkor.exe", FALSE) ||
        !CopyFileW(ff + L"\\ffmpeg.exe", stage.modules + L"\\ffmpeg\\ffmpeg.exe", FALSE) ||
        !CopyFileW(ff + L"\\ffprobe.exe", stage.modules + L"\\ffmpeg\\ffprobe.exe", FALSE) ||
        !CopyFileW(deps + L"\\gifsicle.exe", stage.modules + L"\\gifsicle.exe", FALSE) ||
        !CopyFileW(bin + L"\\Ravento.exe", stage.ravento, FALSE) ||
        !CopyFileW(bin + L"\\faketool.exe", stage.app + L"\\Lumivo.exe", FALSE)) {
        stage.problem = L"cannot lay out the Modules folder";
        return stage;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(bin + L"\\Presets\\*.ffpreset", &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            CopyFileW(bin + L"\\Presets\\" + found.cFileName, stage.modules + L"\\Presets\\" + found.cFileName, FALSE);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    stage.problem = GetClips().problem;
    return stage;
}

void CStageEnvironment::Aim()
{
    probeToolPath = m_app + L"\\Modules\\Quisset.exe";
    encoderToolPath = m_app + L"\\Modules\\Velkor.exe";
    presetsFolder = m_app + L"\\Modules\\Presets";
}

}  // namespace convertertest
