// Thread start-up, the message loop and the per-thread current-thread pointer.
#include "framework/Thread.h"

namespace {
thread_local CWinThread* t_thread = nullptr;
}

CWinThread* AfxGetThread() { return t_thread; }
void AfxSetThread(CWinThread* pThread) { t_thread = pThread; }

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : NULL;
}

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread() {}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread()
{
    if (m_hThread) ::CloseHandle(m_hThread);
    if (t_thread == this) t_thread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread) return FALSE;
    // Always start suspended so that m_hThread and m_nThreadID are set before the thread runs.
    DWORD id = 0;
    HANDLE h = ::CreateThread(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!h) return FALSE;
    m_hThread = h;
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(h);
    return TRUE;
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID param)
{
    CWinThread* self = static_cast<CWinThread*>(param);
    t_thread = self;
    DWORD code;
    if (self->m_pfnThreadProc) {
        code = self->m_pfnThreadProc(self->m_pThreadParams);
    } else if (!self->InitInstance()) {
        code = (DWORD)self->ExitInstance();
    } else {
        code = (DWORD)self->Run();
    }
    t_thread = nullptr;
    self->Delete();
    return code;
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete) delete this;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Timers, the caret's blink timer and paints would otherwise keep idle processing busy.
    return pMsg->message != WM_TIMER && pMsg->message != 0x0118 && pMsg->message != WM_PAINT;
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount > 0) return FALSE;
    CWnd* main = GetMainWnd();
    if (main && main->m_hWnd && ::IsWindowVisible(main->m_hWnd)) {
        main->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg->hwnd) return FALSE;
    HWND hMain = m_pMainWnd->GetSafeHwnd();
    if (AfxWalkPreTranslateTree(hMain, pMsg)) return TRUE;
    // A message to a window outside the main window's tree still gets the main window's say.
    if (hMain && pMsg->hwnd != hMain && !::IsChild(hMain, pMsg->hwnd))
        return m_pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinThread::PumpMessage()
{
    BOOL r = ::GetMessageW(&m_msgCur, NULL, 0, 0);
    if (r == 0 || r == -1) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run()
{
    LONG idleCount = 0;
    bool idle = true;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessageW(&peek, NULL, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peek, NULL, 0, 0, PM_NOREMOVE));
    }
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return NULL;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}

BOOL AfxPumpMessage()
{
    CWinThread* thread = AfxGetThread();
    if (thread) return thread->PumpMessage();
    MSG msg;
    BOOL r = ::GetMessageW(&msg, NULL, 0, 0);
    if (r == 0 || r == -1) {
        if (r == 0) ::PostQuitMessage((int)msg.wParam);
        return FALSE;
    }
    if (!AfxWalkPreTranslateTree(NULL, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

void WaitDelivering(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE) return;
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
