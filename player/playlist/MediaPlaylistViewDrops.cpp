// CMediaPlaylistView: files dropped on the view or on the frame, and files handed over by message;
// where they land decides whether they are added or replace the playlist.
#include "player/playlist/MediaPlaylistView.h"

#include <shellapi.h>

#include <vector>

#include "engine/SystemHelpers.h"
#include "player/app/PlayerMessages.h"

namespace {

// Set while SendDroppedFiles hands this thread's own drop handle over.
thread_local bool t_handingOverDrop = false;

}  // namespace

int CMediaPlaylistView::AddDroppedFiles(HDROP drop, bool replace)
{
    if (!drop)
        return 0;
    std::vector<CString> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::vector<wchar_t> buffer(length + 1, 0);
        DragQueryFileW(drop, i, buffer.data(), length + 1);
        paths.push_back(buffer.data());
    }
    // Dropped files that add nothing never take the playlist's place.
    paths = WithoutUselessPlaylists(paths);
    if (paths.empty())
        return 0;
    CPlaylistEditGuard guard(this, replace ? 1 : 0);
    if (replace)
        RemoveAllItems();
    int accepted = 0;
    for (const CString& path : paths)
        accepted += IsExistingFolder(path) ? AddFolder(path, L"*", 1) : AddPath(path);
    // Nothing accepted is nothing to wait for: a later item must not start by itself.
    if (replace && accepted > 0)
        m_nAwaitedIndex = 0;
    return accepted;
}

void CMediaPlaylistView::OnDropFiles(HDROP hDropInfo)
{
    bool replace = true;
    CPoint cursor;
    GetCursorPos(&cursor);
    CRect rc;
    GetWindowRect(&rc);
    // Dropped on the list the files are added; elsewhere (the frame, the play view) they replace.
    if (IsWindowVisible() && rc.PtInRect(cursor))
        replace = false;
    if (GetKeyState(VK_SHIFT) & 0x8000)
        replace = !replace;
    AddDroppedFiles(hDropInfo, replace);
    DragFinish(hDropInfo);
}

LRESULT CMediaPlaylistView::SendDroppedFiles(HWND view, HDROP drop)
{
    t_handingOverDrop = true;
    LRESULT result = ::SendMessageW(view, WM_ADD_DROPPED_FILES, (WPARAM)drop, 0);
    t_handingOverDrop = false;
    return result;
}

LRESULT CMediaPlaylistView::OnAddDroppedFiles(WPARAM wParam, LPARAM)
{
    // Only a handle of this thread's own, handed over by SendDroppedFiles: a value posted or sent
    // from another process names nothing of ours, and reading it as a drop would read anything.
    if (!t_handingOverDrop || InSendMessage())
        return 0;
    t_handingOverDrop = false;
    bool replace = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    AddDroppedFiles(reinterpret_cast<HDROP>(wParam), replace);
    if (replace) {
        if (CWnd* top = GetTopLevelParent()) {
            if (top->IsIconic())
                top->ShowWindow(SW_RESTORE);
            top->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            top->SetForegroundWindow();
        }
    }
    return 0;
}
