// Equipment of the update-check tests.
#include "tests/toolkit/UpdateTestSupport.h"

#include "framework/Effects.h"

namespace {

std::mutex g_lock;
std::vector<RecordedBox> g_boxes;
std::vector<CString> g_opened;

struct DialogSearch {
    int controlId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    DialogSearch* search = (DialogSearch*)param;
    wchar_t cls[32] = L"";
    GetClassNameW(window, cls, 32);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, search->controlId)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    wchar_t cls[32] = L"";
    GetClassNameW(window, cls, 32);
    if (lstrcmpW(cls, L"#32770") == 0)
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

CUpdateEffects::CUpdateEffects()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_boxes.clear();
    g_opened.clear();
    FwSetMessageBoxFunction(&RecordBox);
    FwSetShellExecuteFunction(&RecordOpen);
}

CUpdateEffects::~CUpdateEffects()
{
    FwSetMessageBoxFunction(NULL);
    FwSetShellExecuteFunction(NULL);
}

int WINAPI CUpdateEffects::RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

HINSTANCE WINAPI CUpdateEffects::RecordOpen(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_opened.push_back(file);
    return (HINSTANCE)33;
}

std::vector<RecordedBox> CUpdateEffects::Boxes()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_boxes;
}

std::vector<CString> CUpdateEffects::Opened()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_opened;
}

CCheckRun::CCheckRun(CUpdateChecker& checker)
{
    m_thread = std::thread([this, &checker] {
        m_threadId = GetCurrentThreadId();
        m_nResult = checker.Run();
        InterlockedExchange(&m_done, 1);
    });
    PumpUntil([this] { return m_threadId != 0; }, 10000);
}

CCheckRun::~CCheckRun()
{
    if (!m_thread.joinable())
        return;
    // A test that stopped early leaves its dialogs open: answer them until the check ends.
    PumpUntil(
        [this] {
            EnumThreadWindows(m_threadId, &CancelDialog, 0);
            return m_done != 0;
        },
        60000);
    m_thread.join();
}

bool CCheckRun::Join(DWORD timeoutMs)
{
    if (!PumpUntil([this] { return m_done != 0; }, timeoutMs))
        return false;
    m_thread.join();
    // What the check posted to this thread before it ended is queued by now.
    PumpPending();
    return true;
}

HWND WaitForDialog(DWORD threadId, int controlId, DWORD timeoutMs)
{
    DialogSearch search = {controlId, NULL};
    PumpUntil(
        [&] {
            EnumThreadWindows(threadId, &FindDialog, (LPARAM)&search);
            return search.found != NULL;
        },
        timeoutMs);
    return search.found;
}

CString WindowText(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

void PressButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void UpdateCheckTest::SetUp()
{
    HttpServerTest::SetUp();
    SetToolkitHost(&m_host);
    LoopbackRoute newer;
    newer.path = "/newer.xml";
    newer.body = Feed("3.4.0", "http://127.0.0.1:9/download/setup.exe",
                      "Faster thumbnails.\\nA new player for \xC3\xA9t\xC3\xA9 clips.");
    m_server.AddRoute(newer);
    AddRoute("/same.xml", Feed("3.3.0", "http://127.0.0.1:9/download/setup.exe"));
    // Slow feeds keep the progress dialog up for a couple of seconds.
    LoopbackRoute slow = newer;
    slow.path = "/slow-newer.xml";
    slow.chunkBytes = 16;
    slow.chunkDelayMs = 100;
    m_server.AddRoute(slow);
    slow.path = "/slow-same.xml";
    slow.body = Feed("3.3.0", "http://127.0.0.1:9/download/setup.exe");
    slow.chunkDelayMs = 150;
    m_server.AddRoute(slow);
    LoopbackRoute stall = newer;
    stall.path = "/stall.xml";
    stall.stallAfter = 10;
    m_server.AddRoute(stall);
    ASSERT_TRUE(m_server.Start());
    m_host.m_feed = m_server.Url("/newer.xml");
}

void UpdateCheckTest::TearDown()
{
    m_server.Stop();
    for (CUpdateChecker* checker : m_checkers)
        delete checker;
    SetToolkitHost(nullptr);
    HttpServerTest::TearDown();
}

std::string UpdateCheckTest::Feed(const char* version, const char* downloadUrl, const char* description,
                                  const char* level)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Updates>\n  <Application>\n";
    auto add = [&](const char* name, const char* value) {
        if (*value)
            xml += std::string("    <") + name + ">" + value + "</" + name + ">\n";
    };
    add("Version", version);
    add("Level", level);
    add("DownloadURL", downloadUrl);
    add("Description", description);
    xml += "  </Application>\n</Updates>\n";
    return xml;
}

CUpdateChecker* UpdateCheckTest::NewChecker(const char* path, BOOL automatic)
{
    CUpdateChecker* checker =
        new CUpdateChecker(m_host.GetProductName(), m_host.GetProductVersion(), m_server.Url(path), automatic);
    m_checkers.push_back(checker);
    return checker;
}
