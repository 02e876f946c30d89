// The player's document: the framework's document cycle kept working around a playlist that lives
// in the view.
#include "player/playlist/PlayDoc.h"

#include "player/playback/PlayWnd.h"
#include "player/playlist/MediaPlaylistView.h"

IMPLEMENT_DYNCREATE(CPlayDoc, CDocument)

bool& PlayerFirstOpenFlag()
{
    static bool first = true;
    return first;
}

BOOL CPlayDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    // Marked modified, so that the framework always asks SaveModified before it replaces it.
    SetModifiedFlag(TRUE);
    return TRUE;
}

BOOL CPlayDoc::OnOpenDocument(LPCWSTR lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    SetModifiedFlag(TRUE);
    return TRUE;
}

void CPlayDoc::SetPathName(LPCWSTR lpszPathName, BOOL)
{
    CDocument::SetPathName(lpszPathName, FALSE);
}

BOOL CPlayDoc::SaveModified()
{
    CPlayerWindows& windows = GetPlayerWindows();
    if (windows.playWnd && windows.playlistView) {
        CMediaPlaylistLink* items = windows.playlistView->GetItemWindow();
        windows.playlistView->m_nLastItem = items ? items->FindMediaItem(windows.playWnd->GetCurrentItem()) : -1;
    }
    // The playlist is being closed (or replaced): "ResumeInterrupted" keeps the position.
    if (windows.playWnd)
        windows.playWnd->StopAndRemember(1);
    if (windows.playlistView) {
        windows.playlistView->StopLoadThread();
        windows.playlistView->StopUpdateThreads();
    }
    SetModifiedFlag(FALSE);
    return CDocument::SaveModified();
}
