// CSkinScrollBar: a dark, owner-drawn vertical scroll bar child window that reports to its parent
// with WM_VSCROLL as a standard scroll bar does.
#pragma once

#include "framework/ImageList.h"
#include "framework/Wnd.h"

class CSkinScrollBar : public CWnd {
public:
    // The parts of the bar, as HitTest answers them.
    enum Part { PartNone = 0, PartUpArrow = 1, PartDownArrow = 2, PartPageUp = 3, PartPageDown = 4, PartThumb = 5 };

    CSkinScrollBar();

    // A visible child with an empty rectangle; the owner places it.
    virtual BOOL Create(CWnd* pParentWnd, UINT nID);
    virtual int HitTest(int x, int y);

    // SIF_RANGE, SIF_PAGE, SIF_POS and SIF_TRACKPOS of info; the bar shows itself while the page is
    // smaller than the range and hides itself otherwise. 0 when only an unchanged position was
    // given, else 1.
    int SetScrollInfo(LPCSCROLLINFO info, BOOL bRedraw = TRUE);
    // Fills the fields that info's mask asks for.
    BOOL GetScrollInfo(LPSCROLLINFO info) const;
    int GetScrollPos() const { return m_nPos; }
    int GetTrackPos() const { return m_nTrackPos; }
    // The highest position: the range less the page.
    int GetScrollLimit() const;

    // Geometry in client coordinates, as the last layout made it.
    const CRect& GetChannelRect() const { return m_rcChannel; }
    const CRect& GetThumbRect() const { return m_rcThumb; }
    const CRect& GetUpArrowRect() const { return m_rcUpArrow; }
    const CRect& GetDownArrowRect() const { return m_rcDownArrow; }
    int GetHotPart() const { return m_nHotPart; }
    int GetPressedPart() const { return m_nPressedPart; }
    void ShowArrows(BOOL bShow);
    // The bar's width as its owners lay it out.
    int GetArrowWidth() const { return m_nArrowWidth; }

    // The position a thumb whose top is at y (client coordinates) stands for.
    int PositionFromThumbTop(int y) const;

    // Colours (COLORREF), public for the owners that theme the bar.
    COLORREF m_crBackground = RGB(32, 32, 32);
    COLORREF m_crArrowNormal = RGB(32, 32, 32), m_crArrowHot = RGB(32, 32, 32);
    COLORREF m_crArrowPressed = RGB(32, 32, 32), m_crArrowDisabled = RGB(32, 32, 32);
    COLORREF m_crGlyphNormal = RGB(128, 128, 128), m_crGlyphHot = RGB(192, 192, 192);
    COLORREF m_crGlyphPressed = RGB(255, 255, 255), m_crGlyphDisabled = RGB(64, 64, 64);
    COLORREF m_crThumbNormal = RGB(64, 64, 64), m_crThumbHot = RGB(96, 96, 96), m_crThumbPressed = RGB(128, 128, 128);

    static const UINT kRepeatMs = 200;
    static const int kArrowWidth = 16;
    static const int kArrowHeight = 16;

protected:
    BOOL m_bShowArrows = TRUE;
    int m_nArrowWidth = kArrowWidth;
    int m_nArrowHeight = kArrowHeight;
    CImageList m_caps;
    int m_nMin = 0, m_nMax = 0, m_nPage = 0, m_nPos = 0, m_nTrackPos = 0;
    CRect m_rcChannel, m_rcThumb, m_rcUpArrow, m_rcDownArrow;
    int m_nHotPart = PartNone;
    int m_nPressedPart = PartNone;
    UINT_PTR m_nRepeatTimer = 0;
    int m_nGrabOffset = 0;   // where the thumb was taken, from its top

    BOOL IsScrollable() const;
    int ClampPos(int pos) const;
    void RecalcLayout();
    void PostScroll(UINT code, int pos = 0);
    void EndPress();
    void DrawArrow(CDC* pDC, const CRect& rc, BOOL bUp);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnTimer(UINT_PTR nIDEvent);
    void OnCancelMode();
    void OnCaptureChanged(CWnd* pWnd);
    DECLARE_MESSAGE_MAP()
};
