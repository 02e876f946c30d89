// The view container: the main frame's client, the split pane window with the "Open Files" button
// of an empty playlist.
#pragma once

#include "image/RasterImage.h"
#include "player/frame/SplitPaneWnd.h"
#include "toolkit/HoverButton.h"

// The main frame's client: the split panes on the pane colour, and the centred "Open Files" button
// in place of both views while the playlist is empty.
class CViewContainerWnd : public CSplitPaneWnd {
public:
    CViewContainerWnd();

    // The pane activation, and in one-view-at-a-time layout the menu bar and the control bar's
    // view-switch button follow it.
    virtual void SetActiveView(CView* view);
    void RecalcLayout() override;
    void ShowEmptyState(bool empty);
    bool IsShowingEmptyState() const { return m_bEmpty; }

    CHoverButton m_wndOpenFiles;
    CRasterImage m_imageNormal;
    CRasterImage m_imageHover;

protected:
    // The empty playlist's button stays alone until the first item arrives: switching or docking
    // the views only changes which of them the first item shows.
    bool ArePanesHeldHidden() const override { return m_bEmpty; }
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnOpenFiles();
    DECLARE_MESSAGE_MAP()

    bool m_bEmpty;
};
