// The playlist item window's cards and rows, its parts, the play window over the playing card,
// double-click, type-ahead and context menus.
#include "player/playlist/PlaylistItemWnd.h"

#include <algorithm>

#include "engine/MediaItem.h"
#include "framework/Frame.h"
#include "framework/ImageStrip.h"
#include "framework/Menu.h"
#include "player/app/PlayerResource.h"
#include "player/app/SharedResources.h"
#include "player/playback/ItemCommands.h"
#include "player/playback/PlayView.h"
#include "player/playback/PlayWnd.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/settings/PlayerSettings.h"
#include "toolkit/PaneColor.h"

namespace {

const COLORREF kCardColor = RGB(64, 64, 64);
const COLORREF kHoverColor = RGB(96, 96, 96);
const COLORREF kMarkedColor = RGB(16, 16, 16);
const COLORREF kHighlight = RGB(0, 160, 255);
const COLORREF kText = RGB(192, 192, 192);
const COLORREF kBusyText = RGB(0, 255, 0);
const COLORREF kLabelText = RGB(224, 224, 224);

const int kTitleBand = 24;
const int kTypeAheadMs = 500;

int ThumbWidth()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->GetSessionThumbnailWidth() : DEFAULT_THUMBNAIL_WIDTH;
}

int ThumbHeight()
{
    CPlayerSettings* s = GetPlayerSettings();
    return s ? s->GetSessionThumbnailHeight() : DEFAULT_THUMBNAIL_HEIGHT;
}

bool Setting(int CPlayerSettings::*field)
{
    CPlayerSettings* s = GetPlayerSettings();
    return s && (s->*field) != 0;
}

CFont* NormalFont()
{
    CSharedResources* shared = GetSharedResources();
    return shared && shared->normalFont.GetSafeHandle() ? &shared->normalFont : nullptr;
}

bool LoadStrip(CImageList& list, UINT bitmap, int cx, int cy)
{
    return LoadImageStrip(list, bitmap, cx, cy, ILC_COLOR32 | ILC_MASK, 0, 2, IMAGE_STRIP_MASK);
}

void DrawCentred(CDC* pDC, CImageList& list, int image, const CRect& area)
{
    int cx = 0, cy = 0;
    list.GetIconSize(&cx, &cy);
    list.Draw(pDC, image, CPoint(area.left + (area.Width() - cx) / 2, area.top + (area.Height() - cy) / 2),
              ILD_TRANSPARENT);
}

int KindImage(int kind)
{
    return kind == MEDIA_KIND_VIDEO ? 0 : (kind == MEDIA_KIND_AUDIO ? 1 : 2);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPlaylistItemWnd, CMediaPlaylistWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CHAR()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CPlaylistItemWnd::CPlaylistItemWnd() : m_nTypePosition(0), m_dwLastTypeTick(0)
{
    SetGaps(12, 12);
    SetBackgroundColor(PANE_COLOR);
}

BOOL CPlaylistItemWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMediaPlaylistWnd::PreCreateWindow(cs))
        return FALSE;
    cs.style |= WS_CLIPCHILDREN;
    CPlayerSettings* s = GetPlayerSettings();
    SetViewStyle(s ? s->playlistViewStyle : PLAYLIST_STYLE_GRID);
    return TRUE;
}

int CPlaylistItemWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMediaPlaylistWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!LoadStrip(m_gridState, 192, 40, 40) || !LoadStrip(m_listState, 130, 20, 20) ||
        !LoadStrip(m_gridPlay, 191, 40, 40) || !LoadStrip(m_listPlay, 147, 20, 20) ||
        !LoadStrip(m_gridDelete, 219, 24, 24) || !LoadStrip(m_listDelete, 220, 20, 20) ||
        !LoadStrip(m_kind, 157, 32, 32) || !LoadStrip(m_listKind, 145, 16, 16) ||
        !LoadStrip(m_gridLabel, 162, 4, 14) || !LoadStrip(m_listLabel, 214, 4, 14) ||
        !LoadStrip(m_corners, 212, 5, 5))
        return -1;
    SetRowHeight(24);
    SetShowTitle(Setting(&CPlayerSettings::showTitle) ? 1 : 0);
    return 0;
}

void CPlaylistItemWnd::SetViewStyle(int style)
{
    if (style == PLAYLIST_STYLE_GRID)
        SetLayoutFlags(GetLayoutFlags() | ILS_GRID);
    else if (style == PLAYLIST_STYLE_LIST)
        SetLayoutFlags(GetLayoutFlags() & ~ILS_GRID);
    if (CPlayerSettings* s = GetPlayerSettings())
        s->playlistViewStyle = style;
    if (m_hWnd) {
        UpdateLayout();
        PositionPlayWindow();
    }
}

void CPlaylistItemWnd::SetShowTitle(int show)
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->showTitle = show ? 1 : 0;
    SetItemSize(ThumbWidth(), ThumbHeight() + (show ? kTitleBand : 0));
    if (m_hWnd)
        UpdateLayout();
}

void CPlaylistItemWnd::SetShowIcon(int show)
{
    if (CPlayerSettings* s = GetPlayerSettings())
        s->showIcon = show ? 1 : 0;
    if (m_hWnd)
        Invalidate();
}

BOOL CPlaylistItemWnd::GetThumbnailRect(int index, LPRECT rect)
{
    if (!IsGridMode() || !GetItemRect(index, rect))
        return FALSE;
    rect->bottom = rect->top + ThumbHeight();
    return TRUE;
}

void CPlaylistItemWnd::PositionPlayWindow()
{
    CPlayWnd* play = GetPlayerWindows().playWnd;
    if (!play || !play->m_hWnd || ::GetParent(play->m_hWnd) != m_hWnd)
        return;
    int index = GetCurrentIndex();
    CRect rc;
    if (!IsGridMode()) {
        // Rows are too low for a picture: the window waits out of sight beside the row.
        if (GetItemRect(index, &rc))
            play->SetWindowPos(nullptr, rc.left, rc.top, 48, rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        else
            play->ShowWindow(SW_HIDE);
        return;
    }
    if (!GetThumbnailRect(index, &rc)) {
        play->ShowWindow(SW_HIDE);
        return;
    }
    UINT show = play->HasSession() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    CRect now;
    play->GetWindowRect(&now);
    ScreenToClient(&now);
    if (now != rc || play->IsWindowVisible() != (show == SWP_SHOWWINDOW))
        play->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE | show);
}

void CPlaylistItemWnd::Draw(CDC* pDC)
{
    PositionPlayWindow();
    CMediaPlaylistWnd::Draw(pDC);
}

void CPlaylistItemWnd::OnSize(UINT nType, int cx, int cy)
{
    CMediaPlaylistWnd::OnSize(nType, cx, cy);
    if (cx > 0 && cy > 0 && !IsGridMode())
        PositionPlayWindow();
}

// Looks ---------------------------------------------------------------------------------------------------

int CPlaylistItemWnd::ItemLook(const CMediaItem& item)
{
    if (item.StateFlags & (MEDIA_STATE_FILE_MISSING | MEDIA_STATE_UNPLAYABLE))
        return ITEM_LOOK_MARKED;
    int state = item.GetPlayState();
    return state == PLAYER_STATE_PLAYING || state == PLAYER_STATE_PAUSED ? state : ITEM_LOOK_READY;
}

COLORREF CPlaylistItemWnd::BackgroundOf(int index, const CMediaItem& item, BOOL dragging) const
{
    if (ItemLook(item) != ITEM_LOOK_READY)
        return kMarkedColor;
    if (dragging || IsItemSelected(index))
        return kHighlight;
    if (index == GetHoverItem())
        return kHoverColor;
    return IsGridMode() ? kCardColor : PANE_COLOR;
}

COLORREF CPlaylistItemWnd::TextColorOf(int index, const CMediaItem& item, BOOL dragging) const
{
    if (ItemLook(item) == ITEM_LOOK_BUSY)
        return kBusyText;
    if (dragging || IsItemSelected(index) || index == GetHoverItem())
        return RGB(255, 255, 255);
    return kText;
}

int CPlaylistItemWnd::PartImage(int index, int part) const
{
    if (index == GetHoverItem() && part == GetPressedPart())
        return 2;
    if (index == GetHoverItem() && part == GetHotPart())
        return 1;
    return 0;
}

void CPlaylistItemWnd::DrawLabel(CDC* pDC, CRect rect, LPCWSTR text, COLORREF color, CImageList& pieces,
                                 bool rightAnchored)
{
    int width = rect.Width();
    if (width % 4 != 0) {
        width += 4 - width % 4;
        if (rightAnchored)
            rect.left = rect.right - width;
        else
            rect.right = rect.left + width;
    }
    pieces.Draw(pDC, 0, CPoint(rect.left, rect.top), ILD_TRANSPARENT);
    for (int x = rect.left + 4; x < rect.right - 4; x += 4)
        pieces.Draw(pDC, 1, CPoint(x, rect.top), ILD_TRANSPARENT);
    pieces.Draw(pDC, 2, CPoint(rect.right - 4, rect.top), ILD_TRANSPARENT);
    pDC->SetTextColor(color);
    pDC->DrawText(text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CPlaylistItemWnd::DrawGridItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom,
                                           BOOL bDragging)
{
    CMediaItem* item = GetMediaItemAt(nIndex);
    if (!item)
        return;
    CRect cell(left, top, right, bottom);
    pDC->FillSolidRect(&cell, BackgroundOf(nIndex, *item, bDragging));
    CGdiSelector font(*pDC, NormalFont());
    pDC->SetBkMode(TRANSPARENT);
    const int look = ItemLook(*item);

    CRect area(left, top, right, top + ThumbHeight());
    if (item->Thumbnail.IsValid()) {
        item->Thumbnail.Draw(pDC->GetSafeHdc(), area);
        if (item->Kind == MEDIA_KIND_AUDIO)
            DrawCentred(pDC, m_kind, 0, area);
    } else {
        pDC->FillSolidRect(&area, RGB(0, 0, 0));
        DrawCentred(pDC, m_kind, KindImage(item->Kind), area);
    }

    if (Setting(&CPlayerSettings::showDuration) && !item->DurationText.IsEmpty()) {
        int w = MeasureTextWidth(pDC, item->DurationText) + 6;
        CRect label(area.right - 3 - w, area.bottom - 3 - 14, area.right - 3, area.bottom - 3);
        DrawLabel(pDC, label, item->DurationText, kLabelText, m_gridLabel, true);
    }
    if (Setting(&CPlayerSettings::showQuality) && !item->ResolutionText.IsEmpty()) {
        int w = MeasureTextWidth(pDC, item->ResolutionText) + 6;
        CRect label(area.left + 3, area.top + 3, area.left + 3 + w, area.top + 3 + 14);
        DrawLabel(pDC, label, item->ResolutionText, kLabelText, m_gridLabel, false);
    }

    if (look != ITEM_LOOK_READY)
        DrawCentred(pDC, m_gridState, look == ITEM_LOOK_BUSY ? 0 : 1, area);
    if (look != ITEM_LOOK_BUSY && nIndex == GetHoverItem() && !bDragging) {
        CRect part;
        if (GetPartRect(nIndex, PLAYLIST_PART_PLAY, &part))
            m_gridPlay.Draw(pDC, PartImage(nIndex, PLAYLIST_PART_PLAY), part.TopLeft(), ILD_TRANSPARENT);
        if (GetPartRect(nIndex, PLAYLIST_PART_DELETE, &part))
            m_gridDelete.Draw(pDC, PartImage(nIndex, PLAYLIST_PART_DELETE), part.TopLeft(), ILD_TRANSPARENT);
    }

    bool showTitle = Setting(&CPlayerSettings::showTitle);
    if (showTitle && !item->Title.IsEmpty()) {
        CRect band(left + 4, area.bottom, right - 4, bottom);
        pDC->SetTextColor(TextColorOf(nIndex, *item, bDragging));
        pDC->DrawText(item->Title, -1, &band, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (!showTitle && (IsItemSelected(nIndex) || bDragging)) {
        CRect bar(left, bottom - 4, right, bottom);
        pDC->FillSolidRect(&bar, kHighlight);
    }

    m_corners.Draw(pDC, 0, CPoint(left, top), ILD_TRANSPARENT);
    m_corners.Draw(pDC, 1, CPoint(right - 5, top), ILD_TRANSPARENT);
    m_corners.Draw(pDC, 2, CPoint(left, bottom - 5), ILD_TRANSPARENT);
    m_corners.Draw(pDC, 3, CPoint(right - 5, bottom - 5), ILD_TRANSPARENT);
}

void CPlaylistItemWnd::DrawListItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom,
                                           BOOL bDragging)
{
    CMediaItem* item = GetMediaItemAt(nIndex);
    if (!item)
        return;
    CRect row(left, top, right, bottom);
    pDC->FillSolidRect(&row, BackgroundOf(nIndex, *item, bDragging));
    CGdiSelector font(*pDC, NormalFont());
    pDC->SetBkMode(TRANSPARENT);
    const COLORREF text = TextColorOf(nIndex, *item, bDragging);
    const int look = ItemLook(*item);
    const int contentLeft = left + 4;
    const int middle = top + (bottom - top) / 2;

    if (!item->DurationText.IsEmpty()) {
        int w = MeasureTextWidth(pDC, item->DurationText) + 8;
        CRect duration(right - 24 - w, top, right - 24, bottom);
        pDC->SetTextColor(text);
        pDC->DrawText(item->DurationText, -1, &duration, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    bool showIcon = Setting(&CPlayerSettings::showIcon);
    if (showIcon && item->Kind != MEDIA_KIND_NONE)
        m_listKind.Draw(pDC, item->Kind - 1, CPoint(contentLeft + 24, middle - 8), ILD_TRANSPARENT);

    bool showLabel = Setting(&CPlayerSettings::showQuality) && !item->ResolutionText.IsEmpty() &&
                     right - contentLeft >= 240;
    int labelText = showLabel ? MeasureTextWidth(pDC, item->ResolutionText) : 0;
    // After the play part's place, or after the kind icon when icons are shown.
    const int titleLeft = contentLeft + (showIcon ? 44 : 24);
    int titleRight = titleLeft;
    if (!item->Title.IsEmpty()) {
        CRect title(titleLeft, top, right - 7 * MeasureTextWidth(pDC, L"H"), bottom);
        if (showLabel)
            title.right -= labelText + 14;
        if (title.right > title.left) {
            pDC->SetTextColor(text);
            pDC->DrawText(item->Title, -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            titleRight = title.left + std::min<int>(MeasureTextWidth(pDC, item->Title), title.Width());
        }
    }
    if (showLabel) {
        CRect label(titleRight + 8, middle - 7, titleRight + 8 + labelText + 6, middle + 7);
        DrawLabel(pDC, label, item->ResolutionText, RGB(255, 255, 255), m_listLabel, false);
    }
    if (bDragging)
        return;
    if (look != ITEM_LOOK_READY)
        m_listState.Draw(pDC, look == ITEM_LOOK_BUSY ? 0 : 1, CPoint(contentLeft, middle - 10), ILD_TRANSPARENT);
    if (nIndex == GetHoverItem()) {
        CRect part;
        if (look != ITEM_LOOK_BUSY && GetPartRect(nIndex, PLAYLIST_PART_PLAY, &part))
            m_listPlay.Draw(pDC, PartImage(nIndex, PLAYLIST_PART_PLAY), part.TopLeft(), ILD_TRANSPARENT);
        if (GetPartRect(nIndex, PLAYLIST_PART_DELETE, &part))
            m_listDelete.Draw(pDC, PartImage(nIndex, PLAYLIST_PART_DELETE), part.TopLeft(), ILD_TRANSPARENT);
    }
}

// Parts ------------------------------------------------------------------------------------------------------

BOOL CPlaylistItemWnd::GetPartRect(int nIndex, int nPart, LPRECT lpRect)
{
    CRect cell;
    if (!GetItemRect(nIndex, &cell)) {
        ::SetRectEmpty(lpRect);
        return FALSE;
    }
    CRect part;
    if (IsGridMode()) {
        if (nPart == PLAYLIST_PART_DELETE) {
            part = CRect(cell.right - 24, cell.top, cell.right, cell.top + 24);
        } else if (nPart == PLAYLIST_PART_PLAY) {
            int x = cell.left + (cell.Width() - 40) / 2, y = cell.top + (ThumbHeight() - 40) / 2;
            part = CRect(x, y, x + 40, y + 40);
        } else {
            return FALSE;
        }
    } else {
        int y = cell.top + (cell.Height() - 20) / 2;
        if (nPart == PLAYLIST_PART_DELETE)
            part = CRect(cell.right - 20, y, cell.right, y + 20);
        else if (nPart == PLAYLIST_PART_PLAY)
            part = CRect(cell.left + 4, y, cell.left + 24, y + 20);
        else
            return FALSE;
    }
    *lpRect = part;
    return TRUE;
}

int CPlaylistItemWnd::HitTestPart(int nIndex, int x, int y)
{
    CMediaItem* item = GetMediaItemAt(nIndex);
    if (!item)
        return -1;
    CPoint pt(x, y);
    CRect part;
    if (ItemLook(*item) != ITEM_LOOK_BUSY && GetPartRect(nIndex, PLAYLIST_PART_PLAY, &part)) {
        if (IsGridMode()) {
            part.top += 4;
            part.right -= 4;
        }
        if (part.PtInRect(pt))
            return PLAYLIST_PART_PLAY;
    }
    if (GetPartRect(nIndex, PLAYLIST_PART_DELETE, &part)) {
        if (IsGridMode()) {
            part.left += 8;
            part.bottom -= 8;
        }
        if (part.PtInRect(pt))
            return PLAYLIST_PART_DELETE;
    }
    return -1;
}

void CPlaylistItemWnd::OnPartClick(int nIndex, int nPart, BOOL bRightButton)
{
    CMediaPlaylistView* view = GetPlayerWindows().playlistView;
    if (!view || view->GetItemWindow() != static_cast<CMediaPlaylistLink*>(this))
        return;
    SetHoverItem(-1, TRUE);
    if (nPart == PLAYLIST_PART_DELETE)
        view->RemoveItem(nIndex, 1);
    else if (nPart == PLAYLIST_PART_PLAY)
        view->PlayItem(nIndex, bRightButton ? PLAYER_HOST_PLAYLIST : PLAYER_HOST_PLAY_VIEW);
}

// Mouse and keyboard -----------------------------------------------------------------------------------------

void CPlaylistItemWnd::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    int index = HitTest(point.x, point.y);
    if (index >= 0 && IsItemSelected(index)) {
        CPlayerWindows& windows = GetPlayerWindows();
        CPlayWnd* play = windows.playWnd;
        if (play && play->GetCurrentItem() == GetMediaItemAt(index) && play->HasSession()) {
            if (windows.frame)
                windows.frame->ShowPlayView();
        } else if (windows.playlistView && windows.playlistView->GetItemWindow() == this) {
            windows.playlistView->PlayItem(index, PLAYER_HOST_PLAY_VIEW);
        }
    }
    CMediaPlaylistWnd::OnLButtonDblClk(nFlags, point);
}

void CPlaylistItemWnd::TypeAhead(wchar_t ch)
{
    DWORD now = GetTickCount();
    m_nTypePosition = (m_dwLastTypeTick != 0 && now - m_dwLastTypeTick < (DWORD)kTypeAheadMs) ? m_nTypePosition + 1 : 0;
    m_dwLastTypeTick = now;
    wchar_t wanted = (wchar_t)towlower(ch);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < GetItemCount(); ++i) {
            const CString& title = GetMediaItemAt(i)->Title;
            if (m_nTypePosition < title.GetLength() && (wchar_t)towlower(title[m_nTypePosition]) == wanted) {
                EnsureVisible(i);
                SetItemSelected(i, TRUE, TRUE, TRUE);
                SetCurrentItem(i, TRUE);
                return;
            }
        }
        if (m_nTypePosition == 0)
            return;
        m_nTypePosition = 0;
    }
}

void CPlaylistItemWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar >= L' ')
        TypeAhead((wchar_t)nChar);
    CMediaPlaylistWnd::OnChar(nChar, nRepCnt, nFlags);
}

void CPlaylistItemWnd::OnContextMenu(CWnd*, CPoint point)
{
    int selected = GetNextSelectedItem(0);
    if (point.x == -1 && point.y == -1) {
        CRect client, cell;
        GetClientRect(&client);
        CPoint at(client.left + 16, client.top + 16);
        if (selected >= 0 && GetItemRect(selected, &cell)) {
            at = IsGridMode() ? cell.CenterPoint() : CPoint(cell.left + 64, cell.CenterPoint().y);
            if (!client.PtInRect(at))
                at = CPoint(client.left + 16, client.top + 16);
        }
        point = at;
        ClientToScreen(&point);
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_PLAYER_POPUPS))
        return;
    CPlayerWindows& windows = GetPlayerWindows();
    CMenu* popup;
    if (selected < 0) {
        popup = menu.GetSubMenu(2);
        if (popup && windows.frame && windows.frame->GetViewLayout() == SPLIT_LAYOUT_ONE_AT_A_TIME)
            popup->SetDefaultItem(ID_VIEW_SWITCH);
    } else {
        popup = menu.GetSubMenu(1);
        if (popup) {
            BuildTrackMenus(popup->GetSubMenu(8), popup->GetSubMenu(9), popup->GetSubMenu(10), GetMediaItemAt(selected));
            popup->SetDefaultItem(ID_ITEM_PLAY);
        }
    }
    if (!popup)
        return;
    CWnd* owner = windows.frame ? static_cast<CWnd*>(windows.frame->GetFrameWnd()) : GetParentFrame();
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, owner ? owner : this);
}
