// The playlist view's thumbnail threads: two of them make the items' thumbnails, each every
// second item.
#pragma once

#include <windows.h>

#include "framework/Thread.h"

class CMediaPlaylistView;

// Runs the view's UpdateThumbnails from its index (0 or 1); then posts WM_UPDATE_THREAD_EXIT.
// The view deletes it.
class CMediaUpdateThread : public CWinThread {
public:
    CMediaUpdateThread(CMediaPlaylistView* view, int index);
    BOOL InitInstance() override;
    int ExitInstance() override;

    CMediaPlaylistView* m_pView;
    int m_nIndex;
    HWND m_hView;
    volatile int m_nStop;
};
