// The HWND-to-object map, window creation and subclassing, and message-map dispatch.
#include "framework/Wnd.h"

#include "framework/CmdUI.h"
#include "framework/Frame.h"
#include "framework/Menu.h"
#include "framework/Thread.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

// Windows are created on several threads; every access to the permanent map takes the lock.
struct PermanentMap {
    CRITICAL_SECTION lock;
    std::map<HWND, CWnd*> windows;
    PermanentMap() { InitializeCriticalSection(&lock); }
};

PermanentMap& Permanent()
{
    static PermanentMap map;
    return map;
}

struct MapLock {
    MapLock() { EnterCriticalSection(&Permanent().lock); }
    ~MapLock() { LeaveCriticalSection(&Permanent().lock); }
};

// Non-owning wrappers for windows that have no object of their own, one set per thread.
struct TemporaryWindows {
    std::map<HWND, CWnd*> windows;
    ~TemporaryWindows() {
        for (auto& e : windows) {
            e.second->m_hWnd = NULL;
            delete e.second;
        }
    }
};

thread_local MSG t_currentMessage = {};
thread_local CWnd* t_windowBeingCreated = nullptr;
thread_local CWnd* t_windowToSubclass = nullptr;

LRESULT CALLBACK SubclassNextWindowHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_windowToSubclass) {
        CWnd* wnd = t_windowToSubclass;
        t_windowToSubclass = nullptr;
        wnd->SubclassWindow((HWND)wParam);
    }
    return ::CallNextHookEx(NULL, code, wParam, lParam);
}

// A reflected message goes to the child's OnChildNotify when the child has an object.
BOOL ReflectTo(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!hWndChild) return FALSE;
    CWnd* child = CWnd::FromHandlePermanent(hWndChild);
    if (!child) return FALSE;
    LRESULT ignored = 0;
    return child->OnChildNotify(message, wParam, lParam, pResult ? pResult : &ignored);
}

HWND ReflectTarget(HWND hWndParent, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MEASUREITEM && wParam != 0) {
        const MEASUREITEMSTRUCT* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType != ODT_MENU) return ::GetDlgItem(hWndParent, (int)mis->CtlID);
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return (HWND)lParam;
    if (message == WM_HSCROLL || message == WM_VSCROLL) return (HWND)lParam;
    if (message == WM_DRAWITEM && wParam != 0) {
        const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU) return dis->hwndItem;
    }
    return NULL;
}

} // namespace

struct CWndCreateHook {
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && t_windowBeingCreated) {
            CWnd* wnd = t_windowBeingCreated;
            t_windowBeingCreated = nullptr;
            HWND hWnd = (HWND)wParam;
            wnd->Attach(hWnd);
            // Windows of other classes (controls) are subclassed so the map sees their messages.
            WNDPROC current = (WNDPROC)::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
            if (current != &CWnd::AfxWndProc) {
                wnd->m_pfnSuper = current;
                ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&CWnd::AfxWndProc);
            }
        }
        return ::CallNextHookEx(NULL, code, wParam, lParam);
    }
};

detail::CSubclassNextWindow::CSubclassNextWindow(CWnd* wnd) : m_pWnd(wnd), m_pOuter(t_windowToSubclass)
{
    t_windowToSubclass = wnd;
    m_hHook = ::SetWindowsHookExW(WH_CBT, &SubclassNextWindowHook, NULL, ::GetCurrentThreadId());
}

detail::CSubclassNextWindow::~CSubclassNextWindow()
{
    if (m_hHook) ::UnhookWindowsHookEx(m_hHook);
    if (t_windowToSubclass == m_pWnd) t_windowToSubclass = m_pOuter;
}

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

// ---- CCmdTarget

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0}};
    static const AFX_MSGMAP map = {NULL, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : NULL) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage == message && e->nCode == code && id >= e->nID && id <= e->nLastID)
                return e;
        }
    }
    return NULL;
}

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", (int)sizeof(CCmdTarget), NULL, NULL};

CRuntimeClass* CCmdTarget::GetRuntimeClass() const
{
    return RUNTIME_CLASS(CCmdTarget);
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT message = WM_COMMAND;
    UINT code = (UINT)nCode;
    if (code != CN_UPDATE_COMMAND_UI && HIWORD(code) != 0) {
        // MAKELONG(code, WM_NOTIFY), or a reflected message with its own code.
        message = HIWORD(code);
        code = LOWORD(code);
    }
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, code, nID);
    if (!e) return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
    }
    switch (e->nSig) {
    case AfxSig_vv:
        (this->*e->pfn)();
        return TRUE;
    case AfxSig_vu:
        (this->*detail::HandlerCast<void (CCmdTarget::*)(UINT)>(e->pfn))(nID);
        return TRUE;
    case AfxSig_bu:
        return (this->*detail::HandlerCast<BOOL (CCmdTarget::*)(UINT)>(e->pfn))(nID);
    case AfxSig_cmdui: {
        CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
        if (!pCmdUI) return FALSE;
        pCmdUI->m_bContinueRouting = FALSE;
        (this->*detail::HandlerCast<void (CCmdTarget::*)(CCmdUI*)>(e->pfn))(pCmdUI);
        return !pCmdUI->m_bContinueRouting;
    }
    case AfxSig_notify: {
        AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!notify) return FALSE;
        (this->*detail::HandlerCast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(notify->pNMHDR, notify->pResult);
        return TRUE;
    }
    case AfxSig_vunotify: {
        AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!notify) return FALSE;
        (this->*detail::HandlerCast<void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(e->pfn))(nID, notify->pNMHDR, notify->pResult);
        return TRUE;
    }
    case AfxSig_bunotify: {
        AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!notify) return FALSE;
        return (this->*detail::HandlerCast<BOOL (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(e->pfn))(nID, notify->pNMHDR, notify->pResult);
    }
    default:
        return FALSE;
    }
}

// ---- CWnd: the map

CWnd::CWnd() {}

CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd) {}

CWnd::~CWnd()
{
    if (m_hWnd && m_bPermanent) {
        // A window must die with its object; another thread's window can only be let go.
        HWND hWnd = m_hWnd;
        if (::IsWindow(hWnd) && ::GetWindowThreadProcessId(hWnd, NULL) == ::GetCurrentThreadId())
            ::DestroyWindow(hWnd);
        if (m_hWnd) {
            if (m_pfnSuper && ::IsWindow(m_hWnd)) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
            Detach();
        }
    }
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd) return NULL;
    MapLock lock;
    auto it = Permanent().windows.find(hWnd);
    return it == Permanent().windows.end() ? NULL : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd) return NULL;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    static thread_local TemporaryWindows temporaries;
    CWnd*& p = temporaries.windows[hWnd];
    if (!p) p = new CWnd(hWnd);
    return p;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd) return FALSE;
    {
        MapLock lock;
        Permanent().windows[hWnd] = this;
    }
    m_hWnd = hWnd;
    m_bPermanent = true;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd && m_bPermanent) {
        MapLock lock;
        auto it = Permanent().windows.find(hWnd);
        if (it != Permanent().windows.end() && it->second == this) Permanent().windows.erase(it);
    }
    m_hWnd = NULL;
    m_bPermanent = false;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd)) return FALSE;
    WNDPROC current = (WNDPROC)::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    if (current != &CWnd::AfxWndProc) {
        m_pfnSuper = current;
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&CWnd::AfxWndProc);
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWnd = ::GetDlgItem(pParent->GetSafeHwnd(), (int)nID);
    return hWnd ? SubclassWindow(hWnd) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper && m_hWnd) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = NULL;
    return Detach();
}

// ---- CWnd: creation

LPCWSTR AfxDefaultWndClass()
{
    static const wchar_t* name = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &CWnd::AfxWndProc;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.hCursor = ::LoadCursorW(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = L"FwWnd";
        ::RegisterClassExW(&wc);
        return L"FwWnd";
    }();
    return name;
}

CRect GetWindowWorkArea(HWND hWnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = ::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        return CRect(info.rcWork);
    RECT area = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return CRect(area);
}

namespace {

// A window's top band, what of it must show on one monitor, and whether a monitor shows it.
struct CaptionBand {
    __int64 left, top, right, bottom;
    __int64 needWidth, needHeight;
    BOOL shown;
};

BOOL CALLBACK ShowsCaptionBand(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    CaptionBand& band = *reinterpret_cast<CaptionBand*>(param);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& work = info.rcWork;
    const __int64 width = std::min<__int64>(band.right, work.right) - std::max<__int64>(band.left, work.left);
    const __int64 height = std::min<__int64>(band.bottom, work.bottom) - std::max<__int64>(band.top, work.top);
    band.shown = width >= band.needWidth && height >= band.needHeight;
    return !band.shown;
}

} // namespace

BOOL IsSavedPlaceUsable(int left, int top, int width, int height)
{
    if (width <= 0 || height <= 0) return FALSE;
    CaptionBand band;
    band.needWidth = std::min(width, SAVED_PLACE_GRIP_WIDTH);
    band.needHeight = std::min(height, SAVED_PLACE_GRIP_HEIGHT);
    band.left = left;
    band.top = top;
    band.right = (__int64)left + width;
    band.bottom = (__int64)top + band.needHeight;
    band.shown = FALSE;
    ::EnumDisplayMonitors(NULL, NULL, ShowsCaptionBand, reinterpret_cast<LPARAM>(&band));
    return band.shown;
}

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::mutex lock;
    static std::set<std::wstring> names;
    wchar_t name[96];
    _snwprintf(name, 96, L"Fw:%x:%p:%p:%p", nClassStyle, (void*)hCursor, (void*)hbrBackground, (void*)hIcon);
    name[95] = 0;
    std::lock_guard<std::mutex> guard(lock);
    auto it = names.find(name);
    if (it != names.end()) return it->c_str();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = nClassStyle;
    wc.lpfnWndProc = &CWnd::AfxWndProc;
    wc.hInstance = ::GetModuleHandleW(NULL);
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(wc.hInstance, name, &existing) && !::RegisterClassExW(&wc)) return NULL;
    return names.insert(name).first->c_str();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass) cs.lpszClass = AfxDefaultWndClass();
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd) return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = (LONG)dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = ::GetModuleHandleW(NULL);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    if (!cs.lpszClass) cs.lpszClass = AfxDefaultWndClass();

    // The hook binds the object before the first message (WM_GETMINMAXINFO, WM_NCCREATE) arrives.
    CWnd* outer = t_windowBeingCreated;
    t_windowBeingCreated = this;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &CWndCreateHook::Proc, NULL, ::GetCurrentThreadId());
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (hook) ::UnhookWindowsHookEx(hook);
    if (t_windowBeingCreated == this) t_windowBeingCreated = outer;
    return hWnd != NULL && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy() {}

// ---- CWnd: messages

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (!wnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    MSG saved = t_currentMessage;
    t_currentMessage.hwnd = hWnd;
    t_currentMessage.message = message;
    t_currentMessage.wParam = wParam;
    t_currentMessage.lParam = lParam;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && FromHandlePermanent(hWnd) == wnd) {
        // The main window of a thread going away ends that thread's message loop.
        CWinThread* thread = AfxGetThread();
        if (thread && thread->m_pMainWnd == wnd) {
            thread->m_pMainWnd = NULL;
            ::PostQuitMessage(0);
        }
        if (thread && thread->m_pActiveWnd == wnd) thread->m_pActiveWnd = NULL;
        if (wnd->m_pfnSuper) {
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)wnd->m_pfnSuper);
            wnd->m_pfnSuper = NULL;
        }
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    t_currentMessage = saved;
    return result;
}

const MSG* PASCAL CWnd::GetCurrentMessage()
{
    return &t_currentMessage;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_currentMessage.message, t_currentMessage.wParam, t_currentMessage.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

const AFX_MSGMAP* PASCAL CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        *pResult = r;
        return TRUE;
    }

    const AFX_MSGMAP_ENTRY* entry = NULL;
    if (message >= 0xC000 && message <= 0xFFFF) {
        for (const AFX_MSGMAP* map = GetMessageMap(); map && !entry; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : NULL)
            for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e)
                if (e->nMessage == 0xC000 && *reinterpret_cast<const UINT*>(e->nSig) == message) { entry = e; break; }
        if (entry) {
            *pResult = (this->*detail::HandlerCast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(entry->pfn))(wParam, lParam);
            return TRUE;
        }
        return FALSE;
    }

    UINT lookup = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) lookup = WM_CTLCOLOR;
    entry = FindMessageEntry(lookup, 0, 0);
    if (entry) return DispatchEntry(entry, message, wParam, lParam, pResult);

    // Without a handler here, a control still gets its own drawing, colour and scroll notices.
    HWND child = ReflectTarget(m_hWnd, message, wParam, lParam);
    if (child && ReflectTo(child, message, wParam, lParam, pResult)) return TRUE;
    return FALSE;
}

BOOL CWnd::DispatchEntry(const AFX_MSGMAP_ENTRY* e, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT r = 0;
    AFX_PMSG pfn = e->pfn;
#define FW_CALL(type) (this->*detail::HandlerCast<type>(pfn))
    switch (e->nSig) {
    case AfxSig_vv: FW_CALL(void (CWnd::*)())(); break;
    case AfxSig_lwl: r = FW_CALL(LRESULT (CWnd::*)(WPARAM, LPARAM))(wParam, lParam); break;
    case AfxSig_is: r = FW_CALL(int (CWnd::*)(LPCREATESTRUCT))(reinterpret_cast<LPCREATESTRUCT>(lParam)) == -1 ? -1 : 0; break;
    case AfxSig_vwii: FW_CALL(void (CWnd::*)(UINT, int, int))((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case AfxSig_vii: FW_CALL(void (CWnd::*)(int, int))((short)LOWORD(lParam), (short)HIWORD(lParam)); break;
    case AfxSig_bD: r = FW_CALL(BOOL (CWnd::*)(CDC*))(CDC::FromHandle((HDC)wParam)); break;
    case AfxSig_vw: FW_CALL(void (CWnd::*)(UINT_PTR))((UINT_PTR)wParam); break;
    case AfxSig_vwp: FW_CALL(void (CWnd::*)(UINT, CPoint))((UINT)wParam, CPoint((DWORD)lParam)); break;
    case AfxSig_bwsp:
        r = FW_CALL(BOOL (CWnd::*)(UINT, short, CPoint))(LOWORD(wParam), (short)HIWORD(wParam), CPoint((DWORD)lParam));
        break;
    case AfxSig_vwww: FW_CALL(void (CWnd::*)(UINT, UINT, UINT))((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case AfxSig_vW: FW_CALL(void (CWnd::*)(CWnd*))(FromHandle((HWND)wParam)); break;
    case AfxSig_vWl: FW_CALL(void (CWnd::*)(CWnd*))(FromHandle((HWND)lParam)); break;
    case AfxSig_bWCDS:
        r = FW_CALL(BOOL (CWnd::*)(CWnd*, COPYDATASTRUCT*))(FromHandle((HWND)wParam), reinterpret_cast<COPYDATASTRUCT*>(lParam));
        break;
    case AfxSig_vHDROP: FW_CALL(void (CWnd::*)(HDROP))((HDROP)wParam); break;
    case AfxSig_bWww:
        r = FW_CALL(BOOL (CWnd::*)(CWnd*, UINT, UINT))(FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_vwwx:
        FW_CALL(void (CWnd::*)(UINT, UINT, CScrollBar*))(LOWORD(wParam), HIWORD(wParam), static_cast<CScrollBar*>(FromHandle((HWND)lParam)));
        break;
    case AfxSig_hDWw:
        r = (LRESULT)FW_CALL(HBRUSH (CWnd::*)(CDC*, CWnd*, UINT))(CDC::FromHandle((HDC)wParam), FromHandle((HWND)lParam),
                                                                 message - WM_CTLCOLORMSGBOX);
        break;
    case AfxSig_vMINMAX: FW_CALL(void (CWnd::*)(MINMAXINFO*))(reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case AfxSig_vbw: FW_CALL(void (CWnd::*)(BOOL, UINT))((BOOL)wParam, (UINT)lParam); break;
    case AfxSig_vwWb: FW_CALL(void (CWnd::*)(UINT, CWnd*, BOOL))(LOWORD(wParam), FromHandle((HWND)lParam), HIWORD(wParam)); break;
    case AfxSig_vbh: FW_CALL(void (CWnd::*)(BOOL, DWORD))((BOOL)wParam, (DWORD)lParam); break;
    case AfxSig_bb: r = FW_CALL(BOOL (CWnd::*)(BOOL))((BOOL)wParam); break;
    case AfxSig_vWp: FW_CALL(void (CWnd::*)(CWnd*, CPoint))(FromHandle((HWND)wParam), CPoint((DWORD)lParam)); break;
    case AfxSig_vDRAWITEM:
        FW_CALL(void (CWnd::*)(int, LPDRAWITEMSTRUCT))((int)wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_vMEASUREITEM:
        FW_CALL(void (CWnd::*)(int, LPMEASUREITEMSTRUCT))((int)wParam, reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_lp: r = FW_CALL(LRESULT (CWnd::*)(CPoint))(CPoint((DWORD)lParam)); break;
    case AfxSig_vPOS: FW_CALL(void (CWnd::*)(WINDOWPOS*))(reinterpret_cast<WINDOWPOS*>(lParam)); break;
    case AfxSig_vwl: FW_CALL(void (CWnd::*)(UINT, LPARAM))((UINT)wParam, lParam); break;
    case AfxSig_bv: r = FW_CALL(BOOL (CWnd::*)())(); break;
    case AfxSig_vb: FW_CALL(void (CWnd::*)(BOOL))((BOOL)wParam); break;
    case AfxSig_iWww:
        r = FW_CALL(int (CWnd::*)(CWnd*, UINT, UINT))(FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_uv: r = FW_CALL(UINT (CWnd::*)())(); break;
    case AfxSig_vMwb:
        FW_CALL(void (CWnd::*)(CMenu*, UINT, BOOL))(CMenu::FromHandle((HMENU)wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_lwwM:
        r = FW_CALL(LRESULT (CWnd::*)(UINT, UINT, CMenu*))(LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle((HMENU)lParam));
        break;
    case AfxSig_vMEASUREITEM_r:
        FW_CALL(void (CWnd::*)(LPMEASUREITEMSTRUCT))(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_vwwh: FW_CALL(void (CWnd::*)(UINT, UINT, HMENU))(LOWORD(wParam), HIWORD(wParam), (HMENU)lParam); break;
    case AfxSig_vDRAWITEM_r:
        FW_CALL(void (CWnd::*)(LPDRAWITEMSTRUCT))(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig_hDw_r: {
        HBRUSH brush = FW_CALL(HBRUSH (CWnd::*)(CDC*, UINT))(CDC::FromHandle((HDC)wParam), message - WM_CTLCOLORMSGBOX);
        if (!brush) return FALSE;
        r = (LRESULT)brush;
        break;
    }
    case AfxSig_vwpR: FW_CALL(void (CWnd::*)(UINT, LPRECT))((UINT)wParam, reinterpret_cast<LPRECT>(lParam)); r = TRUE; break;
    case AfxSig_vws: FW_CALL(void (CWnd::*)(UINT, LPCTSTR))((UINT)wParam, reinterpret_cast<LPCTSTR>(lParam)); break;
    default:
        return FALSE;
    }
#undef FW_CALL
    *pResult = r;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    int nCode = HIWORD(wParam);
    if (!hWndCtrl) {
        nCode = CN_COMMAND;  // menus (0) and accelerators (1) alike
        if (nID == 0) return FALSE;
        // A command its update handlers disable is refused, whether it came from a menu, an
        // accelerator or a posted WM_COMMAND.
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, NULL);
        if (!state.m_bEnabled) return TRUE;
    } else {
        if (ReflectTo(hWndCtrl, WM_COMMAND, wParam, lParam, NULL)) return TRUE;
        if (nID == 0) return FALSE;
    }
    return OnCmdMsg(nID, nCode, NULL, NULL);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr) return FALSE;
    if (ReflectTo(hdr->hwndFrom, WM_NOTIFY, 0, lParam, pResult)) return TRUE;
    AFX_NOTIFY notify = {pResult, hdr};
    return OnCmdMsg((UINT)hdr->idFrom, (int)MAKELONG((WORD)hdr->code, WM_NOTIFY), &notify, NULL);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        if (!e) return FALSE;
        if (e->nSig == AfxSig_bv_r) return (this->*detail::HandlerCast<BOOL (CCmdTarget::*)()>(e->pfn))();
        if (e->nSig != AfxSig_vv) return FALSE;
        (this->*e->pfn)();
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, (WORD)hdr->code, 0);
        if (!e) return FALSE;
        if (e->nSig == AfxSig_bnotify_r)
            return (this->*detail::HandlerCast<BOOL (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(hdr, pResult);
        if (e->nSig != AfxSig_notify) return FALSE;
        (this->*detail::HandlerCast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(hdr, pResult);
        return TRUE;
    }
    UINT lookup = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) lookup = WM_CTLCOLOR;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + lookup, 0, 0);
    if (!e) return FALSE;
    return DispatchEntry(e, message, wParam, lParam, pResult);
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    return ReflectTo(hWndChild, t_currentMessage.message, t_currentMessage.wParam, t_currentMessage.lParam, pResult);
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar && ReflectLastMsg(pScrollBar->m_hWnd)) return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar && ReflectLastMsg(pScrollBar->m_hWnd)) return;
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    LRESULT r = 0;
    if (pWnd && ReflectLastMsg(pWnd->m_hWnd, &r)) return (HBRUSH)r;
    return (HBRUSH)Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct && lpDrawItemStruct->CtlType != ODT_MENU && ReflectLastMsg(lpDrawItemStruct->hwndItem)) return;
    Default();
}

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct && lpMeasureItemStruct->CtlType != ODT_MENU &&
        ReflectLastMsg(::GetDlgItem(m_hWnd, (int)lpMeasureItemStruct->CtlID)))
        return;
    Default();
}

BOOL AfxWalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
        if (wnd && wnd->PreTranslateMessage(pMsg)) return TRUE;
        if (hWnd == hWndStop) break;
    }
    return FALSE;
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    if (CWinThread* thread = AfxGetThread()) return thread->PreTranslateMessage(pMsg);
    return AfxWalkPreTranslateTree(NULL, pMsg);
}

// ---- CWnd: families of windows

CWnd* CWnd::GetOwner() const
{
    if (m_hWndOwner) return FromHandle(m_hWndOwner);
    if (GetStyle() & WS_CHILD) return FromHandle(::GetParent(m_hWnd));
    return FromHandle(::GetWindow(m_hWnd, GW_OWNER));
}

CFrameWnd* CWnd::GetParentFrame() const
{
    if (!m_hWnd) return NULL;
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        CWnd* wnd = FromHandlePermanent(h);
        if (wnd && wnd->IsFrameWnd()) return static_cast<CFrameWnd*>(wnd);
    }
    return NULL;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    if (!m_hWnd) return NULL;
    CFrameWnd* frame = IsFrameWnd() ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this)) : GetParentFrame();
    while (frame) {
        CFrameWnd* up = frame->GetParentFrame();
        if (!up) break;
        frame = up;
    }
    return frame;
}

namespace {
void SendToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    // The next sibling is taken before the send: a handler may destroy its own window.
    for (HWND child = ::GetWindow(hWnd, GW_CHILD); child;) {
        HWND next = ::GetWindow(child, GW_HWNDNEXT);
        if (!bOnlyPerm) {
            ::SendMessageW(child, message, wParam, lParam);
        } else if (CWnd* wnd = CWnd::FromHandlePermanent(child)) {
            wnd->SendMessage(message, wParam, lParam);
        }
        if (bDeep && ::IsWindow(child)) SendToDescendants(child, message, wParam, lParam, bDeep, bOnlyPerm);
        child = next;
    }
}
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    if (m_hWnd) SendToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    // Direct children first, then each child's descendants.
    HWND hChild = ::GetDlgItem(m_hWnd, nID);
    if (hChild) {
        if (!bOnlyPerm) return FromHandle(hChild);
        if (CWnd* wnd = FromHandlePermanent(hChild)) return wnd;
    }
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (::GetWindow(h, GW_CHILD)) {
            CWnd tmp(h);
            CWnd* found = tmp.GetDescendantWindow(nID, bOnlyPerm);
            tmp.m_hWnd = NULL;
            if (found) return found;
        }
    }
    return NULL;
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    CWnd control;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        state.m_nID = (UINT)::GetDlgCtrlID(hChild);
        if (state.m_nID == 0 || LOWORD(state.m_nID) == 0xFFFF) continue;
        control.m_hWnd = hChild;
        state.m_pOther = &control;
        // The control's own reflected handler first, then this window's, then the target's.
        if (CWnd* wnd = FromHandlePermanent(hChild)) {
            if (wnd->CCmdTarget::OnCmdMsg(0, (int)MAKELONG(0xFFFF, WM_COMMAND + WM_REFLECT_BASE), &state, NULL)) continue;
        }
        if (CCmdTarget::OnCmdMsg(state.m_nID, (int)CN_UPDATE_COMMAND_UI, &state, NULL)) continue;
        BOOL bDisable = bDisableIfNoHndler;
        if (bDisable) {
            if (!(::SendMessageW(hChild, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) {
                bDisable = FALSE;  // only push buttons follow their command
            } else {
                UINT type = (UINT)(::GetWindowLongPtrW(hChild, GWL_STYLE) & BS_TYPEMASK);
                if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_GROUPBOX || type == BS_AUTORADIOBUTTON)
                    bDisable = FALSE;
            }
        }
        state.DoUpdate(pTarget, bDisable);
    }
    control.m_hWnd = NULL;
}

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout = {};
    layout.bStretch = bStretch;
    if (lpRectClient) {
        layout.rect = *lpRectClient;
    } else {
        ::GetClientRect(m_hWnd, &layout.rect);
    }
    if ((nFlag & ~reposNoPosLeftOver) == reposExtra && lpRectParam) {
        layout.rect.left += lpRectParam->left;
        layout.rect.top += lpRectParam->top;
        layout.rect.right -= lpRectParam->right;
        layout.rect.bottom -= lpRectParam->bottom;
    }
    const bool query = (nFlag & ~reposNoPosLeftOver) == reposQuery;
    layout.hDWP = query ? NULL : ::BeginDeferWindowPos(8);
    layout.sizeTotal.cx = layout.rect.right - layout.rect.left;
    layout.sizeTotal.cy = layout.rect.bottom - layout.rect.top;

    HWND hLeftOver = NULL;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        UINT id = (UINT)::GetDlgCtrlID(h);
        if (id == nIDLeftOver) hLeftOver = h;
        else if (id >= nIDFirst && id <= nIDLast) ::SendMessageW(h, WM_SIZEPARENT, 0, (LPARAM)&layout);
    }
    if (query) {
        if (lpRectParam) *lpRectParam = layout.rect;
        return;
    }
    if (hLeftOver && !(nFlag & reposNoPosLeftOver) && layout.hDWP) {
        RECT rc = layout.rect;
        if (rc.right < rc.left) rc.right = rc.left;
        if (rc.bottom < rc.top) rc.bottom = rc.top;
        layout.hDWP = ::DeferWindowPos(layout.hDWP, hLeftOver, NULL, rc.left, rc.top, rc.right - rc.left,
                                       rc.bottom - rc.top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}

// ---- CWnd: wrappers that need more than one call

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : NULL, x, y, cx, cy, nFlags);
}

void CWnd::ScreenToClient(LPRECT rc) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rc));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rc) + 1);
}

void CWnd::ClientToScreen(LPRECT rc) const
{
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(rc));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(rc) + 1);
}

void CWnd::GetWindowText(CString& text) const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    ::GetWindowTextW(m_hWnd, text.GetBufferSetLength(n + 1), n + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int nID, CString& text) const
{
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    text.Empty();
    if (!hItem) return 0;
    int n = ::GetWindowTextLengthW(hItem);
    ::GetWindowTextW(hItem, text.GetBufferSetLength(n + 1), n + 1);
    text.ReleaseBuffer();
    return text.GetLength();
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(hWnd);
        if (!parent) break;
        hWnd = parent;
    }
    return FromHandle(hWnd);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    RECT self = {}, area = {};
    ::GetWindowRect(m_hWnd, &self);
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd
                                   : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    if (GetStyle() & WS_CHILD) {
        ::GetClientRect(::GetParent(m_hWnd), &area);
        if (hCenter && hCenter != ::GetParent(m_hWnd)) {
            ::GetWindowRect(hCenter, &area);
            ::MapWindowPoints(NULL, ::GetParent(m_hWnd), reinterpret_cast<LPPOINT>(&area), 2);
        }
    } else if (hCenter && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter)) {
        ::GetWindowRect(hCenter, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    int w = self.right - self.left, h = self.bottom - self.top;
    int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL PASCAL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = (DWORD)::GetWindowLongPtrW(hWnd, GWL_STYLE);
    DWORD changed = (style & ~dwRemove) | dwAdd;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(hWnd, GWL_STYLE, (LONG_PTR)changed);
    if (nFlags) ::SetWindowPos(hWnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL PASCAL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = (DWORD)::GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
    DWORD changed = (style & ~dwRemove) | dwAdd;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(hWnd, GWL_EXSTYLE, (LONG_PTR)changed);
    if (nFlags) ::SetWindowPos(hWnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

// ---- DC kinds that take a window object

CClientDC::CClientDC(CWnd* pWnd) : CClientDC(pWnd->GetSafeHwnd()) {}
CWindowDC::CWindowDC(CWnd* pWnd) : CWindowDC(pWnd->GetSafeHwnd()) {}
CPaintDC::CPaintDC(CWnd* pWnd) : CPaintDC(pWnd->GetSafeHwnd()) {}

CWnd* CDC::GetWindow() const
{
    return CWnd::FromHandle(::WindowFromDC(m_hDC));
}
