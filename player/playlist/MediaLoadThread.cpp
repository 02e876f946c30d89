// The playlist view's load thread.
#include "player/playlist/MediaLoadThread.h"

#include "player/app/PlayerMessages.h"
#include "player/playlist/MediaPlaylistView.h"

CMediaLoadThread::CMediaLoadThread(CMediaPlaylistView* view)
    : m_pView(view), m_hView(view->GetSafeHwnd()), m_nStop(0)
{
    m_bAutoDelete = FALSE;
}

BOOL CMediaLoadThread::InitInstance()
{
    m_pView->LoadPendingPaths(&m_nStop);
    return FALSE;
}

int CMediaLoadThread::ExitInstance()
{
    ::PostMessageW(m_hView, WM_LOAD_THREAD_EXIT, 0, 0);
    return 0;
}
