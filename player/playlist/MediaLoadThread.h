// The playlist view's load thread: it opens and probes the queued paths one after another.
#pragma once

#include <windows.h>

#include "framework/Thread.h"

class CMediaPlaylistView;

// Runs the view's LoadPendingPaths; ends when the queue is empty or it is stopped, and then posts
// WM_LOAD_THREAD_EXIT. The view deletes it.
class CMediaLoadThread : public CWinThread {
public:
    explicit CMediaLoadThread(CMediaPlaylistView* view);
    BOOL InitInstance() override;
    int ExitInstance() override;

    CMediaPlaylistView* m_pView;
    HWND m_hView;
    volatile int m_nStop;
};
