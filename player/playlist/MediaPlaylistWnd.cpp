// The playlist's list: safe deletes while an item plays, the items around the playing one, and the
// play window's mouse input inside the playlist.
#include "player/playlist/MediaPlaylistWnd.h"

#include <vector>

#include "engine/MediaItem.h"
#include "player/playback/PlayWnd.h"
#include "player/playlist/MediaPlaylistView.h"

namespace {

CPlayWnd* PlayWindow()
{
    return GetPlayerWindows().playWnd;
}

}  // namespace

CMediaPlaylistWnd::CMediaPlaylistWnd() {}

HWND CMediaPlaylistWnd::PlayWindowHandle() const
{
    CPlayWnd* play = PlayWindow();
    return play ? play->m_hWnd : nullptr;
}

bool CMediaPlaylistWnd::IsHostingPlayWindow() const
{
    HWND play = PlayWindowHandle();
    return play && ::GetParent(play) == m_hWnd;
}

int CMediaPlaylistWnd::GetCurrentIndex()
{
    CPlayWnd* play = PlayWindow();
    return play ? IndexOf(play->GetCurrentItem()) : -1;
}

CMediaItem* CMediaPlaylistWnd::GetPreviousItem(int repeat)
{
    int index = GetCurrentIndex();
    if (index < 0)
        return nullptr;
    if (repeat == 1)
        return GetMediaItemAt(index);
    if (index - 1 < 0)
        return repeat == 2 ? GetMediaItemAt(GetItemCount() - 1) : nullptr;
    return GetMediaItemAt(index - 1);
}

CMediaItem* CMediaPlaylistWnd::GetNextItem(int repeat)
{
    int index = GetCurrentIndex();
    if (index < 0)
        return nullptr;
    if (repeat == 1)
        return GetMediaItemAt(index);
    if (index + 1 >= GetItemCount())
        return repeat == 2 ? GetMediaItemAt(0) : nullptr;
    return GetMediaItemAt(index + 1);
}

void CMediaPlaylistWnd::DeleteSelected()
{
    std::vector<CMediaItem*> removed;
    for (int index = GetNextSelectedItem(0); index >= 0; index = GetNextSelectedItem(0)) {
        CMediaItem* item = GetMediaItemAt(index);
        CPlayWnd* play = PlayWindow();
        if (play && play->GetCurrentItem() == item) {
            play->StopAndRemember(0);
            // The stop may have let other items in; the selection still names the same ones.
            index = IndexOf(item);
        }
        DeleteItem(index, TRUE);
        removed.push_back(item);
    }
    for (CMediaItem* item : removed)
        DestroyMediaItem(item);
}

void CMediaPlaylistWnd::DeleteAll()
{
    if (CPlayWnd* play = PlayWindow())
        play->StopAndRemember(0);
    DestroyAllItems();
    if (m_hWnd)
        UpdateLayout();
}

void CMediaPlaylistWnd::EnsureMediaItemVisible(const CMediaItem* item)
{
    int index = IndexOf(item);
    if (index >= 0 && m_hWnd)
        EnsureVisible(index);
}

int CMediaPlaylistWnd::AddMediaItem(CMediaItem* item)
{
    if (!m_bLayoutDeferred || !item)
        return AddItem(item);
    return CScrollItemListWnd::AddItem(item, FALSE);
}

void CMediaPlaylistWnd::DeferLayout(bool defer)
{
    if (m_bLayoutDeferred == defer)
        return;
    m_bLayoutDeferred = defer;
    if (!defer)
        RelayoutList();
}

void CMediaPlaylistWnd::RelayoutList()
{
    if (!m_hWnd)
        return;
    UpdateLayout();
    PositionPlayWindow();
}

BOOL CMediaPlaylistWnd::SwapItems(int a, int b, BOOL bRedraw)
{
    CMediaPlaylistView* view = GetPlayerWindows().playlistView;
    bool ours = view && view->GetItemWindow() == this;
    BOOL moved;
    if (ours) {
        CPlaylistEditGuard guard(view, 0);
        moved = CMediaItemListWnd::SwapItems(a, b, bRedraw);
        view->m_nModified |= moved ? 1 : 0;
    } else {
        moved = CMediaItemListWnd::SwapItems(a, b, bRedraw);
    }
    if (moved && IsHostingPlayWindow())
        PositionPlayWindow();
    return moved;
}

BOOL CMediaPlaylistWnd::MoveItem(int nFrom, int nTo, BOOL bRedraw)
{
    // A drag's move changes the item array: the thumbnail threads must not be reading it.
    CMediaPlaylistView* view = GetPlayerWindows().playlistView;
    bool ours = view && view->GetItemWindow() == this;
    BOOL moved;
    if (ours) {
        CPlaylistEditGuard guard(view, 0);
        moved = CMediaItemListWnd::MoveItem(nFrom, nTo, bRedraw);
        view->m_nModified |= moved ? 1 : 0;
    } else {
        moved = CMediaItemListWnd::MoveItem(nFrom, nTo, bRedraw);
    }
    if (moved && IsHostingPlayWindow())
        PositionPlayWindow();
    return moved;
}

BOOL CMediaPlaylistWnd::PreTranslateMessage(MSG* pMsg)
{
    HWND play = PlayWindowHandle();
    if (play && pMsg->hwnd == play) {
        if (pMsg->message == WM_MOUSEMOVE) {
            int index = GetCurrentIndex();
            if (index >= 0 && index != GetHoverItem()) {
                SetHoverItem(index, TRUE);
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, play, 0};
                TrackMouseEvent(&track);
            }
            return TRUE;
        }
        if (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST) {
            POINT pt = {(short)LOWORD(pMsg->lParam), (short)HIWORD(pMsg->lParam)};
            ::MapWindowPoints(play, m_hWnd, &pt, 1);
            PostMessage(pMsg->message, pMsg->wParam, MAKELPARAM((short)pt.x, (short)pt.y));
            return TRUE;
        }
        if (pMsg->message == WM_MOUSELEAVE) {
            SetHoverItem(-1, TRUE);
            return TRUE;
        }
    }
    return CMediaItemListWnd::PreTranslateMessage(pMsg);
}
