// The view container's "Open Files" button in place of the views while the playlist is empty, and
// the menu bar and view switch that follow the active view.
#include "player/frame/ViewContainerWnd.h"

#include "player/app/PlayerResource.h"
#include "player/app/PlayerWindows.h"
#include "toolkit/PaneColor.h"

namespace {

const UINT kOpenFilesButtonId = 100;
const int kOpenFilesSize = 96;

bool LoadPng(CRasterImage& image, UINT id)
{
    HMODULE module = AfxGetResourceHandle();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!res) {
        module = GetModuleHandleW(nullptr);
        res = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    }
    return res && image.LoadResource(res, ImageTypePNG, module);
}

}  // namespace

BEGIN_MESSAGE_MAP(CViewContainerWnd, CSplitPaneWnd)
    ON_WM_CREATE()
    ON_BN_CLICKED(kOpenFilesButtonId, OnOpenFiles)
END_MESSAGE_MAP()

CViewContainerWnd::CViewContainerWnd() : m_bEmpty(false) {}

int CViewContainerWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CSplitPaneWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!LoadPng(m_imageNormal, 156) || !LoadPng(m_imageHover, 155))
        return -1;
    if (!m_wndOpenFiles.Create(L"Open Files", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 0, 0), this,
                               kOpenFilesButtonId))
        return -1;
    m_wndOpenFiles.SetImages(&m_imageNormal, &m_imageHover);
    m_wndOpenFiles.SetBackgroundColor(PANE_COLOR);
    return 0;
}

void CViewContainerWnd::OnOpenFiles()
{
    if (CWnd* frame = GetParent())
        frame->PostMessage(WM_COMMAND, ID_FILE_OPEN_FILES, 0);
}

void CViewContainerWnd::SetActiveView(CView* view)
{
    SetActivePane(view);
    CPlayerWindows& windows = GetPlayerWindows();
    if (!view || !m_pPlaylistPane || !m_pPlayPane || !windows.controlBar || m_nLayout != SPLIT_LAYOUT_ONE_AT_A_TIME)
        return;
    bool playShown = view == m_pPlayPane;
    if (windows.frame && (view == m_pPlayPane || view == m_pPlaylistPane))
        windows.frame->ShowMenuBar(!playShown);
    if (view == m_pPlayPane || view == m_pPlaylistPane)
        windows.controlBar->SetDisplayViewShown(playShown);
}

void CViewContainerWnd::ShowEmptyState(bool empty)
{
    if (!m_pPlaylistPane || !m_pPlayPane)
        return;
    // Every item that comes in asks again: only a change moves windows (a playlist of thousands
    // would otherwise lay the views out once per item).
    const bool buttonShown = m_wndOpenFiles.m_hWnd && (m_wndOpenFiles.GetStyle() & WS_VISIBLE);
    if (empty == m_bEmpty && (!m_wndOpenFiles.m_hWnd || buttonShown == empty))
        return;
    m_bEmpty = empty;
    if (empty) {
        ShowPane(m_pPlaylistPane, false);
        ShowPane(m_pPlayPane, false);
        if (m_wndOpenFiles.m_hWnd)
            m_wndOpenFiles.ShowWindow(SW_SHOW);
    } else {
        if (m_wndOpenFiles.m_hWnd)
            m_wndOpenFiles.ShowWindow(SW_HIDE);
        SetLayout(m_nLayout);
    }
    RecalcLayout();
}

void CViewContainerWnd::RecalcLayout()
{
    if (m_wndOpenFiles.m_hWnd) {
        CRect client;
        GetClientRect(&client);
        m_wndOpenFiles.SetWindowPos(nullptr, client.left + (client.Width() - kOpenFilesSize) / 2,
                                    client.top + (client.Height() - kOpenFilesSize) / 2, kOpenFilesSize,
                                    kOpenFilesSize, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CSplitPaneWnd::RecalcLayout();
}
