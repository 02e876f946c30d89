// The playlist view's thumbnail threads.
#include "player/playlist/MediaUpdateThread.h"

#include "player/app/PlayerMessages.h"
#include "player/playlist/MediaPlaylistView.h"

CMediaUpdateThread::CMediaUpdateThread(CMediaPlaylistView* view, int index)
    : m_pView(view), m_nIndex(index), m_hView(view->GetSafeHwnd()), m_nStop(0)
{
    m_bAutoDelete = FALSE;
}

BOOL CMediaUpdateThread::InitInstance()
{
    m_pView->UpdateThumbnails(m_nIndex, &m_nStop);
    return FALSE;
}

int CMediaUpdateThread::ExitInstance()
{
    ::PostMessageW(m_hView, WM_UPDATE_THREAD_EXIT, (WPARAM)m_nIndex, (LPARAM)this);
    return 0;
}
