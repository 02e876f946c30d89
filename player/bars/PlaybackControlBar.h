// The playback control bar at the bottom of the main frame: transport buttons, the seek slider,
// the time display, mute and volume, zoom, full screen and the view switch, each with its tool
// tip; it shows the play window's state and sends the user's seeks and volume to the tool.
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "player/app/PlayerWindows.h"
#include "player/bars/ElementBar.h"
#include "player/bars/ImageSliderElement.h"
#include "player/bars/TimeDisplayElement.h"

class CImageButtonElement;

class CPlaybackControlBar : public CElementBar, public CPlaybackBarLink {
public:
    // The elements in their order (tool ids are these + 1).
    enum { PLAY, STOP, PREVIOUS, NEXT, SEEK, TIME, MUTE, VOLUME, ZOOM, FULL_SCREEN, SWITCH, ELEMENT_COUNT };
    static const UINT kBarId = 59397;
    static const int kBarHeight = 38;

    CPlaybackControlBar();

    // The bar at the frame's bottom edge with its tool tips, images and elements.
    BOOL CreateBar(CFrameWnd* pFrame);

    void SetDisplayViewShown(bool shown) override;
    void SetFullScreen(bool on);
    void SetPlaylistDocked(bool docked);
    void SetPlayState(int state) override;
    void SetDuration(__int64 duration) override;
    void SetPosition(__int64 position, BOOL redraw) override;
    void UpdateVolume() override;
    void RecalcBarLayout() override;

    CBarElement* Element(int which) const { return m_pElements[which]; }
    CTimeDisplayElement* TimeDisplay() const { return static_cast<CTimeDisplayElement*>(m_pElements[TIME]); }
    CImageSliderElement* SeekSlider() const { return static_cast<CImageSliderElement*>(m_pElements[SEEK]); }
    CImageSliderElement* VolumeSlider() const { return static_cast<CImageSliderElement*>(m_pElements[VOLUME]); }
    CToolTipCtrl& GetToolTip() { return m_toolTip; }
    // The text of a tool (1-based, the element order).
    CString GetTipText(int tool);
    // The image list a button shows now.
    CImageList* ButtonImages(int which) const;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DrawBackground(CDC* pDC, const CRect& rcClient) override;
    BOOL OnBarMessage(MSG* pMsg, BOOL bUsed) override;
    void SetTip(int which, LPCWSTR text);
    void RefreshMuteImage();
    void UpdateFrameCommands();

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnToggleTime();
    void OnUpdateToggleTime(CCmdUI* pCmdUI);
    LRESULT OnElementChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CBarElement* m_pElements[ELEMENT_COUNT];
    CToolTipCtrl m_toolTip;
    CImageList m_play, m_pause, m_stop, m_previous, m_next, m_seekThumb, m_volumeMuted, m_volumeLow, m_volumeHigh,
        m_volumeThumb, m_zoom, m_fullScreenEnter, m_fullScreenLeave, m_toPlayView, m_toPlaylist, m_channel;
    bool m_bDocked;
};
