// The playback control bar: its images and elements, the layout, painting, the sliders' changes,
// tool tips, the context menus and what the play window tells it.
#include "player/bars/PlaybackControlBar.h"

#include <windowsx.h>

#include <algorithm>

#include "engine/MediaValueTexts.h"
#include "framework/Frame.h"
#include "framework/ImageStrip.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/playback/PlayWnd.h"

namespace {

const COLORREF kMagenta = IMAGE_STRIP_MASK;
const COLORREF kBarColor = RGB(48, 48, 48);
const COLORREF kBarTopRow = RGB(52, 52, 52);

// Widths of the elements left to right and the gaps between their groups.
const int kTransportWidth = 48;
const int kGap = 8;
const int kMuteWidth = 36;
const int kVolumeWidth = 100;
const int kButtonWidth = 40;
const int kMinSeekWidth = 100;

const wchar_t* const kTips[CPlaybackControlBar::ELEMENT_COUNT] = {
    L"Play / Pause (Ctrl+P)", L"Stop (Ctrl+S)", L"Previous (Ctrl+B)", L"Next (Ctrl+F)", L"",
    L"Toggle between elapsed and remaining time", L"Mute / Unmute (F8)", L"Volume: 100%", L"Zoom in / Zoom out",
    L"Full screen (Alt+Enter)", L"Go to display view (F6)"};

CPlayWnd* PlayWindow()
{
    return GetPlayerWindows().playWnd;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPlaybackControlBar, CElementBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_TIME_DISPLAY_TOGGLE, OnToggleTime)
    ON_UPDATE_COMMAND_UI(ID_TIME_DISPLAY_TOGGLE, OnUpdateToggleTime)
    ON_MESSAGE(WM_BAR_ELEMENT_CHANGED, OnElementChanged)
END_MESSAGE_MAP()

CPlaybackControlBar::CPlaybackControlBar() : m_pElements{}, m_bDocked(false) {}

BOOL CPlaybackControlBar::CreateBar(CFrameWnd* pFrame)
{
    return Create(WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, CRect(0, 0, 100, kBarHeight), pFrame, kBarId);
}

int CPlaybackControlBar::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CElementBar::OnCreate(lpcs) == -1)
        return -1;
    if (!m_toolTip.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX))
        return -1;
    m_toolTip.SetMaxTipWidth(65535);
    struct Strip {
        CImageList* list;
        UINT bitmap;
        int cx;
        COLORREF mask;
    };
    const Strip strips[] = {
        {&m_play, 133, 24, kMagenta},        {&m_pause, 142, 24, kMagenta},        {&m_stop, 137, 24, kMagenta},
        {&m_previous, 138, 24, kMagenta},    {&m_next, 139, 24, kMagenta},         {&m_seekThumb, 141, 24, RGB(0, 0, 0)},
        {&m_volumeMuted, 215, 24, kMagenta}, {&m_volumeLow, 153, 24, kMagenta},    {&m_volumeHigh, 154, 24, kMagenta},
        {&m_volumeThumb, 143, 20, kMagenta}, {&m_zoom, 149, 24, kMagenta},         {&m_fullScreenEnter, 135, 24, kMagenta},
        {&m_fullScreenLeave, 131, 24, kMagenta}, {&m_toPlayView, 144, 24, kMagenta}, {&m_toPlaylist, 146, 24, kMagenta},
        {&m_channel, 211, 3, kMagenta},
    };
    for (const Strip& s : strips)
        if (!LoadImageStrip(*s.list, s.bitmap, s.cx, 24, ILC_COLOR32 | ILC_MASK, 0, 2, s.mask))
            return -1;

    const CRect none(0, 0, 0, 0);
    struct ButtonSpec {
        int which;
        UINT command;
        CImageList* images;
    };
    const ButtonSpec buttons[] = {{PLAY, ID_PLAY_PLAY, &m_play},         {STOP, ID_PLAY_STOP, &m_stop},
                                  {PREVIOUS, ID_PLAY_PREVIOUS, &m_previous}, {NEXT, ID_PLAY_NEXT, &m_next},
                                  {MUTE, ID_VOLUME_MUTE, &m_volumeHigh},  {ZOOM, ID_ZOOM_CYCLE, &m_zoom},
                                  {FULL_SCREEN, ID_VIEW_FULL_SCREEN, &m_fullScreenEnter},
                                  {SWITCH, ID_VIEW_SWITCH, &m_toPlayView}};
    for (int which = 0; which < ELEMENT_COUNT; ++which) {
        CBarElement* element = nullptr;
        if (which == SEEK || which == VOLUME) {
            CImageSliderElement* slider = new CImageSliderElement(this, none);
            slider->SetStripImages(which == SEEK ? &m_seekThumb : &m_volumeThumb);
            slider->SetCapImages(&m_channel);
            element = slider;
        } else if (which == TIME) {
            CTimeDisplayElement* time = new CTimeDisplayElement(this, none, ID_TIME_DISPLAY_TOGGLE);
            time->SetTextColors(RGB(192, 192, 192), RGB(240, 240, 240), RGB(128, 128, 128));
            element = time;
        } else {
            for (const ButtonSpec& b : buttons)
                if (b.which == which) {
                    CImageButtonElement* button = new CImageButtonElement(this, none, (int)b.command);
                    button->SetImageList(b.images);
                    element = button;
                }
        }
        m_pElements[which] = element;
        AddItem(element);
        m_toolTip.AddTool(this, kTips[which], none, (UINT_PTR)(which + 1));
    }
    SeekSlider()->SetRange(0, 0, FALSE);
    SeekSlider()->SetPos(0, FALSE);
    TimeDisplay()->SetDuration(0);
    VolumeSlider()->SetRange(0, 100, FALSE);
    VolumeSlider()->SetVolume(100);
    UpdateVolume();
    return 0;
}

CString CPlaybackControlBar::GetTipText(int tool)
{
    CString text;
    if (m_toolTip.m_hWnd)
        m_toolTip.GetText(text, this, (UINT_PTR)tool);
    return text;
}

void CPlaybackControlBar::SetTip(int which, LPCWSTR text)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.UpdateTipText(text, this, (UINT_PTR)(which + 1));
}

CImageList* CPlaybackControlBar::ButtonImages(int which) const
{
    CImageButtonElement* button = dynamic_cast<CImageButtonElement*>(m_pElements[which]);
    return button ? button->GetImageList() : nullptr;
}

// Layout and painting ------------------------------------------------------------------------------------

void CPlaybackControlBar::RecalcBarLayout()
{
    if (!m_hWnd || !m_pElements[PLAY])
        return;
    CRect rc;
    GetClientRect(&rc);
    rc.top += 1;
    if (rc.Width() <= 0 || rc.Height() <= 0)
        return;
    const int time = TimeDisplay()->GetWidth();
    const bool switchShown = !m_pElements[SWITCH]->IsHidden();
    // The seek slider gets what the other elements leave, so the last button always fits.
    const int others = 4 * kTransportWidth + kGap + kGap + kMuteWidth + kVolumeWidth + kGap + 2 * kButtonWidth +
                       (switchShown ? kButtonWidth : 0);
    const int seek = std::max(kMinSeekWidth, rc.Width() - time - others);
    struct Slot {
        int which;
        int width;
        int gapBefore;
    };
    const Slot slots[] = {{PLAY, kTransportWidth, 0},   {STOP, kTransportWidth, 0},  {PREVIOUS, kTransportWidth, 0},
                          {NEXT, kTransportWidth, 0},   {SEEK, seek, kGap},          {TIME, time, 0},
                          {MUTE, kMuteWidth, kGap},     {VOLUME, kVolumeWidth, 0},   {ZOOM, kButtonWidth, kGap},
                          {FULL_SCREEN, kButtonWidth, 0}, {SWITCH, kButtonWidth, 0}};
    int x = rc.left;
    for (const Slot& slot : slots) {
        x += slot.gapBefore;
        CBarElement* element = m_pElements[slot.which];
        CRect place(x, rc.top, x + slot.width, rc.bottom);
        if (element->IsHidden())
            place = CRect(x, rc.top, x, rc.bottom);
        else
            x += slot.width;
        element->SetRect(place.left, place.top, place.right, place.bottom, FALSE);
        if (m_toolTip.m_hWnd)
            m_toolTip.SetToolRect(this, (UINT_PTR)(slot.which + 1), &place);
    }
    Invalidate();
}

void CPlaybackControlBar::OnSize(UINT nType, int cx, int cy)
{
    CElementBar::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0)
        RecalcBarLayout();
}

void CPlaybackControlBar::DrawBackground(CDC* pDC, const CRect& rcClient)
{
    pDC->FillSolidRect(&rcClient, kBarColor);
    CRect top(rcClient.left, rcClient.top, rcClient.right, rcClient.top + 1);
    pDC->FillSolidRect(&top, kBarTopRow);
}

// State from the play window ----------------------------------------------------------------------------

void CPlaybackControlBar::UpdateFrameCommands()
{
    if (CWnd* frame = GetParentFrame()) {
        frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
}

void CPlaybackControlBar::SetPlayState(int state)
{
    CImageButtonElement* play = static_cast<CImageButtonElement*>(m_pElements[PLAY]);
    if (!play)
        return;
    if (state == PLAYER_STATE_IDLE) {
        SeekSlider()->SetRangeUs(0);
        SeekSlider()->SetPosUs(0, TRUE);
        TimeDisplay()->SetDuration(0);
        play->SetImageList(&m_play, TRUE);
    } else if (state == PLAYER_STATE_PLAYING) {
        play->SetImageList(&m_pause, TRUE);
    } else if (state != PLAYER_STATE_STARTING) {
        play->SetImageList(&m_play, TRUE);
    }
    UpdateFrameCommands();
}

void CPlaybackControlBar::SetDuration(__int64 duration)
{
    if (!m_pElements[SEEK])
        return;
    SeekSlider()->SetRangeUs(duration);
    TimeDisplay()->SetDurationUs(duration);
    RecalcBarLayout();
}

void CPlaybackControlBar::SetPosition(__int64 position, BOOL redraw)
{
    if (!m_pElements[SEEK])
        return;
    // A slider the user is dragging keeps what the user shows.
    if (GetCapturedItem() != m_pElements[SEEK])
        SeekSlider()->SetPosUs(position, redraw);
    TimeDisplay()->SetPositionUs(position);
}

void CPlaybackControlBar::RefreshMuteImage()
{
    CImageButtonElement* mute = static_cast<CImageButtonElement*>(m_pElements[MUTE]);
    CPlayWnd* play = PlayWindow();
    if (!mute)
        return;
    int volume = play ? play->GetVolume() : VolumeSlider()->GetPos();
    bool muted = play && play->GetMute();
    mute->SetImageList(muted || volume == 0 ? &m_volumeMuted : (volume < 50 ? &m_volumeLow : &m_volumeHigh), TRUE);
}

void CPlaybackControlBar::UpdateVolume()
{
    if (!m_pElements[VOLUME])
        return;
    CPlayWnd* play = PlayWindow();
    int volume = play ? play->GetVolume() : 100;
    VolumeSlider()->SetVolume(volume);
    RefreshMuteImage();
    CString tip;
    tip.Format(L"Volume: %d%%", volume);
    SetTip(VOLUME, tip);
}

void CPlaybackControlBar::SetDisplayViewShown(bool shown)
{
    CImageButtonElement* button = static_cast<CImageButtonElement*>(m_pElements[SWITCH]);
    if (!button)
        return;
    button->SetImageList(shown ? &m_toPlaylist : &m_toPlayView, TRUE);
    SetTip(SWITCH, shown ? L"Go to playlist view (F6)" : L"Go to display view (F6)");
}

void CPlaybackControlBar::SetFullScreen(bool on)
{
    if (CImageButtonElement* button = static_cast<CImageButtonElement*>(m_pElements[FULL_SCREEN]))
        button->SetImageList(on ? &m_fullScreenLeave : &m_fullScreenEnter, TRUE);
}

void CPlaybackControlBar::SetPlaylistDocked(bool docked)
{
    m_bDocked = docked;
    if (m_pElements[SWITCH])
        m_pElements[SWITCH]->SetHidden(docked ? TRUE : FALSE);
    RecalcBarLayout();
}

// Input ---------------------------------------------------------------------------------------------------

void CPlaybackControlBar::OnToggleTime()
{
    TimeDisplay()->Toggle();
    RecalcBarLayout();
}

void CPlaybackControlBar::OnUpdateToggleTime(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

LRESULT CPlaybackControlBar::OnElementChanged(WPARAM wParam, LPARAM lParam)
{
    CBarElement* element = reinterpret_cast<CBarElement*>(lParam);
    int position = (int)wParam;
    CPlayWnd* play = PlayWindow();
    if (element == m_pElements[SEEK]) {
        TimeDisplay()->SetPosition(position);
        if (play)
            play->Seek((__int64)position * 1000, 0);
    } else if (element == m_pElements[VOLUME]) {
        if (play)
            play->SetVolume(position);
        RefreshMuteImage();
        CString tip;
        tip.Format(L"Volume: %d%%", position);
        SetTip(VOLUME, tip);
    }
    return 0;
}

BOOL CPlaybackControlBar::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd && pMsg->hwnd == m_hWnd && m_toolTip.m_hWnd && pMsg->message >= WM_MOUSEFIRST &&
        pMsg->message <= WM_MOUSELAST)
        m_toolTip.RelayEvent(pMsg);
    return CElementBar::PreTranslateMessage(pMsg);
}

BOOL CPlaybackControlBar::OnBarMessage(MSG* pMsg, BOOL bUsed)
{
    if (pMsg->message == WM_MOUSEMOVE && m_pElements[SEEK]) {
        CPoint point(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam));
        if (m_pElements[SEEK]->PtInItem(point)) {
            CPlayWnd* play = PlayWindow();
            CString tip;
            if (play && (play->IsPlaying() || play->IsPaused())) {
                int at = SeekSlider()->PosFromPoint(point.x, point.y, TRUE);
                if (at >= 0)
                    tip = FormatTimeMs(at, 0, 0, 0);
            }
            SetTip(SEEK, tip);
        }
        return FALSE;
    }
    if (pMsg->message == WM_LBUTTONDOWN && !bUsed) {
        // Empty bar moves the whole window, as its caption would.
        CPoint point(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam));
        if (HitTest(point.x, point.y) < 0) {
            if (CWnd* frame = GetParentFrame()) {
                ClientToScreen(&point);
                ReleaseCapture();
                frame->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
                return TRUE;
            }
        }
    }
    return FALSE;
}

void CPlaybackControlBar::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        point = CPoint(8, 8);
        ClientToScreen(&point);
    }
    CPoint client = point;
    ScreenToClient(&client);
    int popupIndex = -1;
    for (int which = 0; which < ELEMENT_COUNT; ++which) {
        CBarElement* element = m_pElements[which];
        if (!element || element->IsHidden() || !element->PtInItem(client))
            continue;
        if (which <= NEXT)
            popupIndex = 3;
        else if (which == SEEK || which == TIME)
            popupIndex = 4;
        else if (which == MUTE || which == VOLUME)
            popupIndex = 5;
        else if (which == ZOOM || which == FULL_SCREEN)
            popupIndex = 6;
        else
            popupIndex = 7;
        break;
    }
    if (popupIndex < 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_PLAYER_POPUPS))
        return;
    CMenu* popup = menu.GetSubMenu(popupIndex);
    CWnd* owner = GetParentFrame();
    if (popup)
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, owner ? owner : this);
}
