// The playlist item window: the playlist as a grid of thumbnail cards or a list of rows on the
// dark chrome, with play and delete buttons on the item under the mouse, the play window over the
// playing card, type-ahead and the item context menus.
#pragma once

#include "engine/PlayerTool.h"
#include "framework/ImageList.h"
#include "player/playlist/MediaPlaylistWnd.h"

// Parts of an item: the program's own command ids.
const int PLAYLIST_PART_PLAY = 32813;
const int PLAYLIST_PART_DELETE = 32780;

// Styles of the window ("PlaylistViewStyle").
const int PLAYLIST_STYLE_GRID = 1;
const int PLAYLIST_STYLE_LIST = 2;

// Looks of an item: a playing or paused item looks as its play state.
const int ITEM_LOOK_READY = 0;
const int ITEM_LOOK_BUSY = PLAYER_STATE_PLAYING;
const int ITEM_LOOK_MARKED = PLAYER_STATE_PAUSED;

class CPlaylistItemWnd : public CMediaPlaylistWnd {
public:
    CPlaylistItemWnd();

    void SetViewStyle(int style);
    int GetViewStyle() const { return IsGridMode() ? PLAYLIST_STYLE_GRID : PLAYLIST_STYLE_LIST; }
    void SetShowTitle(int show);
    void SetShowIcon(int show);
    // Grid style only: the item's cell cut to the thumbnail's height.
    BOOL GetThumbnailRect(int index, LPRECT rect);
    void PositionPlayWindow() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void Draw(CDC* pDC) override;
    int HitTestPart(int nIndex, int x, int y) override;
    BOOL GetPartRect(int nIndex, int nPart, LPRECT lpRect) override;
    void OnPartClick(int nIndex, int nPart, BOOL bRightButton) override;
    void DrawGridItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom, BOOL bDragging) override;
    void DrawListItemContent(CDC* pDC, int nIndex, int left, int top, int right, int bottom, BOOL bDragging) override;

    // The look of an item: ITEM_LOOK_READY, ITEM_LOOK_BUSY (it plays) or ITEM_LOOK_MARKED (paused, or
    // its file is missing).
    static int ItemLook(const CMediaItem& item);
    // Where the type-ahead stands (tests).
    int GetTypeAheadPosition() const { return m_nTypePosition; }

    CImageList m_gridState, m_listState, m_gridPlay, m_listPlay, m_gridDelete, m_listDelete, m_kind, m_listKind,
        m_gridLabel, m_listLabel, m_corners;

protected:
    // A small rounded tag: the width rounded up to whole middle pieces, the text centred.
    void DrawLabel(CDC* pDC, CRect rect, LPCWSTR text, COLORREF color, CImageList& pieces, bool rightAnchored);
    COLORREF BackgroundOf(int index, const CMediaItem& item, BOOL dragging) const;
    COLORREF TextColorOf(int index, const CMediaItem& item, BOOL dragging) const;
    int PartImage(int index, int part) const;
    void TypeAhead(wchar_t ch);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()

    int m_nTypePosition;
    DWORD m_dwLastTypeTick;
};
