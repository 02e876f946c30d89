// CWinThread: a thread object with InitInstance/Run/ExitInstance and a message loop.
#pragma once

#include "framework/Wnd.h"

typedef UINT (__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    // A worker thread that runs pfnThreadProc(pParam) instead of InitInstance/Run.
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    // Starts the thread (pass CREATE_SUSPENDED to set a priority before ResumeThread).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = NULL);
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) { return ::PostThreadMessageW(m_nThreadID, message, wParam, lParam); }
    operator HANDLE() const { return m_hThread; }

    // A false InitInstance goes straight to ExitInstance; otherwise Run follows.
    virtual BOOL InitInstance();
    // The default Run is a message loop; at WM_QUIT it returns ExitInstance().
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    // Count 0 sends WM_IDLEUPDATECMDUI to a visible main window and its descendants (command
    // states of bars and frames); later counts have nothing to do.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // Called when the thread ends; deletes the object when m_bAutoDelete is set.
    virtual void Delete();
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    HANDLE m_hThread = NULL;       // owned: closed by the destructor
    DWORD m_nThreadID = 0;
    // As in the class library this starts TRUE; objects that outlive their thread set it FALSE.
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = NULL;
    CWnd* m_pActiveWnd = NULL;
    MSG m_msgCur = {};

    AFX_THREADPROC m_pfnThreadProc = NULL;
    LPVOID m_pThreadParams = NULL;

private:
    static DWORD WINAPI ThreadEntry(LPVOID param);
    friend class CWinApp;
};

// The thread object of the calling thread (the application object on the main thread).
CWinThread* AfxGetThread();
// Makes pThread the calling thread's object; used by the thread start-up and the application.
void AfxSetThread(CWinThread* pThread);
CWnd* AfxGetMainWnd();

// Starts a worker (auto-deleting unless dwCreateFlags has CREATE_SUSPENDED and the caller
// clears m_bAutoDelete before resuming).
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = NULL);
// Pumps one message of the calling thread (translated and dispatched); FALSE on WM_QUIT.
BOOL AfxPumpMessage();
// Waits until the thread (any waitable handle) is signalled, delivering meanwhile the messages
// that other threads send to this one, so that a worker calling into this thread's windows can
// still end. Returns at once for a handle that is not valid.
void WaitDelivering(HANDLE handle);
