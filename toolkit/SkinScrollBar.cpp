// The skinned vertical scroll bar: state, layout, mouse tracking and painting.
#include "toolkit/SkinScrollBar.h"

#include "toolkit/HoverButton.h"
#include "toolkit/MemoryDC.h"

#include <algorithm>
#include <cmath>

namespace {
const UINT kCapsBitmapId = 221;
const COLORREF kCapsMask = RGB(255, 0, 255);
// The thumb is never shorter than this; a channel shorter than it shows no thumb.
const int kMinThumbLength = 16;
}

BEGIN_MESSAGE_MAP(CSkinScrollBar, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_TIMER()
    ON_WM_CANCELMODE()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CSkinScrollBar::CSkinScrollBar() {}

BOOL CSkinScrollBar::Create(CWnd* pParentWnd, UINT nID)
{
    LPCWSTR cls = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(NULL, IDC_ARROW));
    return CreateEx(0, cls, NULL, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), pParentWnd, nID);
}

int CSkinScrollBar::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1) return -1;
    // Without its caps the bar still works; the thumb just keeps square corners.
    if (m_caps.Create(14, 2, ILC_COLOR32 | ILC_MASK, 0, 2)) {
        CBitmap caps;
        if (caps.LoadBitmap(kCapsBitmapId)) m_caps.Add(&caps, kCapsMask);
    }
    RecalcLayout();
    return 0;
}

void CSkinScrollBar::ShowArrows(BOOL bShow)
{
    m_bShowArrows = bShow;
    if (m_hWnd) {
        RecalcLayout();
        Invalidate();
    }
}

// ---- state

BOOL CSkinScrollBar::IsScrollable() const
{
    return m_nMax >= m_nMin && (__int64)m_nPage < (__int64)m_nMax - m_nMin + 1;
}

int CSkinScrollBar::GetScrollLimit() const
{
    return IsScrollable() ? m_nMax - m_nPage + 1 : 0;
}

int CSkinScrollBar::ClampPos(int pos) const
{
    if (!IsScrollable()) return 0;
    return std::max(m_nMin, std::min(pos, GetScrollLimit()));
}

int CSkinScrollBar::SetScrollInfo(LPCSCROLLINFO info, BOOL bRedraw)
{
    if (info->fMask == SIF_POS && info->nPos == m_nPos) return 0;
    // Range and page first, so that a position given with them is kept inside the new range
    // rather than the old one.
    BOOL geometry = FALSE;
    if (info->fMask & SIF_RANGE) {
        m_nMin = info->nMin;
        m_nMax = info->nMax;
        geometry = TRUE;
    }
    if (info->fMask & SIF_PAGE) {
        m_nPage = (int)std::min<UINT>(info->nPage, 0x7FFFFFFF);
        geometry = TRUE;
    }
    if (info->fMask & SIF_POS) m_nPos = ClampPos(info->nPos);
    if (info->fMask & SIF_TRACKPOS) m_nTrackPos = ClampPos(info->nTrackPos);
    if (geometry) {
        m_nPos = ClampPos(m_nPos);
        m_nTrackPos = ClampPos(m_nTrackPos);
    }
    if (m_hWnd) {
        const BOOL show = IsScrollable();
        if (show != ((GetStyle() & WS_VISIBLE) != 0)) ShowWindow(show ? SW_SHOW : SW_HIDE);
        RecalcLayout();
        if (bRedraw) Invalidate();
    }
    return 1;
}

BOOL CSkinScrollBar::GetScrollInfo(LPSCROLLINFO info) const
{
    if (info->fMask & SIF_RANGE) {
        info->nMin = m_nMin;
        info->nMax = m_nMax;
    }
    if (info->fMask & SIF_PAGE) info->nPage = (UINT)m_nPage;
    if (info->fMask & SIF_POS) info->nPos = m_nPos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = m_nTrackPos;
    return TRUE;
}

// ---- layout

void CSkinScrollBar::RecalcLayout()
{
    CRect client(0, 0, 0, 0);
    if (m_hWnd) GetClientRect(&client);
    m_rcChannel = client;
    m_rcUpArrow.SetRectEmpty();
    m_rcDownArrow.SetRectEmpty();
    if (m_bShowArrows) {
        const int h = client.Height() < 2 * m_nArrowHeight ? client.Height() / 2 : m_nArrowHeight;
        m_rcUpArrow.SetRect(client.left, client.top, client.right, client.top + h);
        m_rcDownArrow.SetRect(client.left, client.bottom - h, client.right, client.bottom);
        m_rcChannel.SetRect(client.left, m_rcUpArrow.bottom + 1, client.right, m_rcDownArrow.top - 1);
        if (m_rcChannel.bottom < m_rcChannel.top) m_rcChannel.bottom = m_rcChannel.top;
    }

    const int channelH = m_rcChannel.Height();
    // A thumb being dragged stays where the mouse put it; only the channel's ends hold it.
    if (m_nPressedPart == PartThumb && !m_rcThumb.IsRectEmpty() && channelH >= m_rcThumb.Height()) {
        m_rcThumb.left = m_rcChannel.left;
        m_rcThumb.right = m_rcChannel.right;
        if (m_rcThumb.top < m_rcChannel.top) m_rcThumb.OffsetRect(0, m_rcChannel.top - m_rcThumb.top);
        if (m_rcThumb.bottom > m_rcChannel.bottom) m_rcThumb.OffsetRect(0, m_rcChannel.bottom - m_rcThumb.bottom);
        return;
    }
    if (channelH < kMinThumbLength || !IsScrollable()) {
        const int mid = m_rcChannel.top + channelH / 2;
        m_rcThumb.SetRect(m_rcChannel.left, mid, m_rcChannel.right, mid);
        return;
    }
    const double scale = (double)channelH / ((double)m_nMax - m_nMin + 1);
    int top = m_rcChannel.top + (int)(scale * ((double)m_nPos - m_nMin));
    int bottom = m_nPos == GetScrollLimit() ? m_rcChannel.bottom : top + (int)(scale * m_nPage);
    if (bottom - top < kMinThumbLength) {
        if (top - m_rcChannel.top < kMinThumbLength / 2) {
            top = m_rcChannel.top;
        } else if (m_rcChannel.bottom - top >= kMinThumbLength / 2) {
            top -= kMinThumbLength / 2;
        } else {
            top = m_rcChannel.bottom - kMinThumbLength;
        }
        bottom = top + kMinThumbLength;
    }
    if (bottom > m_rcChannel.bottom) {
        top -= bottom - m_rcChannel.bottom;
        bottom = m_rcChannel.bottom;
    }
    if (top < m_rcChannel.top) {
        bottom += m_rcChannel.top - top;
        top = m_rcChannel.top;
    }
    m_rcThumb.SetRect(m_rcChannel.left, top, m_rcChannel.right, std::min(bottom, (int)m_rcChannel.bottom));
}

int CSkinScrollBar::PositionFromThumbTop(int y) const
{
    // The thumb's travel covers the positions from the minimum (thumb at the channel's top) to the
    // last one (thumb at its bottom), to the nearest position. While the thumb keeps the page's
    // share of the channel this is range / channel height per pixel; a thumb grown to its
    // minimum size still reaches both ends.
    if (!IsScrollable()) return 0;
    const int travel = m_rcChannel.Height() - m_rcThumb.Height();
    if (travel <= 0) return m_nMin;
    const double span = (double)GetScrollLimit() - m_nMin;
    const double offset = std::max(0, std::min(y - (int)m_rcChannel.top, travel));
    const int pos = m_nMin + (int)std::floor(offset * span / travel + 0.5);
    return std::max(m_nMin, std::min(pos, m_nMax));
}

int CSkinScrollBar::HitTest(int x, int y)
{
    if (!m_hWnd || !IsWindowVisible()) return PartNone;
    const CPoint pt(x, y);
    if (!m_rcThumb.IsRectEmpty() && m_rcThumb.PtInRect(pt)) return PartThumb;
    if (m_rcChannel.PtInRect(pt)) return y < m_rcThumb.top ? PartPageUp : PartPageDown;
    if (m_rcUpArrow.PtInRect(pt)) return PartUpArrow;
    if (m_rcDownArrow.PtInRect(pt)) return PartDownArrow;
    return PartNone;
}

void CSkinScrollBar::OnSize(UINT, int, int)
{
    RecalcLayout();
}

// ---- mouse

void CSkinScrollBar::PostScroll(UINT code, int pos)
{
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_VSCROLL, MAKEWPARAM(code, pos), (LPARAM)m_hWnd);
}

namespace {
UINT ScrollCodeOf(int part)
{
    switch (part) {
    case CSkinScrollBar::PartUpArrow: return SB_LINEUP;
    case CSkinScrollBar::PartDownArrow: return SB_LINEDOWN;
    case CSkinScrollBar::PartPageUp: return SB_PAGEUP;
    default: return SB_PAGEDOWN;
    }
}
}

void CSkinScrollBar::OnLButtonDown(UINT, CPoint point)
{
    const int part = HitTest(point.x, point.y);
    if (part == PartNone) return;
    EndPress();
    m_nPressedPart = part;
    // The capture makes sure the button-up arrives, so a held arrow never repeats forever.
    SetCapture();
    if (part == PartThumb) {
        m_nGrabOffset = point.y - m_rcThumb.top;
        m_nTrackPos = m_nPos;
    } else {
        PostScroll(ScrollCodeOf(part));
        m_nRepeatTimer = SetTimer((UINT_PTR)part, kRepeatMs);
    }
    Invalidate();
}

void CSkinScrollBar::OnTimer(UINT_PTR nIDEvent)
{
    if (m_nPressedPart >= PartUpArrow && m_nPressedPart <= PartPageDown && nIDEvent == (UINT_PTR)m_nPressedPart)
        PostScroll(ScrollCodeOf(m_nPressedPart));
    else
        KillTimer(nIDEvent);
}

void CSkinScrollBar::EndPress()
{
    const int part = m_nPressedPart;
    if (part == PartNone) return;
    m_nPressedPart = PartNone;
    if (m_nRepeatTimer) {
        KillTimer(m_nRepeatTimer);
        m_nRepeatTimer = 0;
    }
    if (GetCapture() == this) ReleaseCapture();
    RecalcLayout();
    Invalidate();
}

void CSkinScrollBar::OnLButtonUp(UINT, CPoint)
{
    EndPress();
}

void CSkinScrollBar::OnCancelMode()
{
    EndPress();
    Default();
}

void CSkinScrollBar::OnCaptureChanged(CWnd*)
{
    // Another window took the mouse (a menu, a dialog): the press ends here.
    EndPress();
}

void CSkinScrollBar::OnMouseMove(UINT, CPoint point)
{
    if (m_nPressedPart == PartThumb && GetCapture() == this) {
        const int travelTop = (int)m_rcChannel.top, travelBottom = (int)m_rcChannel.bottom - m_rcThumb.Height();
        const int top = std::max(travelTop, std::min((int)point.y - m_nGrabOffset, travelBottom));
        if (top == m_rcThumb.top) return;
        m_rcThumb.OffsetRect(0, top - m_rcThumb.top);
        m_nTrackPos = PositionFromThumbTop(top);
        PostScroll(SB_THUMBTRACK, m_nTrackPos);
        Invalidate();
        return;
    }
    if (GetCapture() == this) return;
    const int hot = HitTest(point.x, point.y);
    if (hot != m_nHotPart) {
        m_nHotPart = hot;
        Invalidate();
    }
    if (hot != PartNone) TrackMouseLeave(m_hWnd);
}

void CSkinScrollBar::OnMouseLeave()
{
    m_nHotPart = PartNone;
    if (GetCapture() != this) m_nPressedPart = PartNone;
    Invalidate();
}

// ---- painting

BOOL CSkinScrollBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSkinScrollBar::DrawArrow(CDC* pDC, const CRect& rc, BOOL bUp)
{
    const int part = bUp ? PartUpArrow : PartDownArrow;
    const BOOL atEnd = bUp ? m_nPos <= m_nMin : m_nPos >= GetScrollLimit();
    COLORREF back = m_crArrowNormal, glyph = m_crGlyphNormal;
    if (atEnd) {
        back = m_crArrowDisabled;
        glyph = m_crGlyphDisabled;
    } else if (m_nPressedPart == part) {
        back = m_crArrowPressed;
        glyph = m_crGlyphPressed;
    } else if (m_nHotPart == part) {
        back = m_crArrowHot;
        glyph = m_crGlyphHot;
    }
    pDC->FillSolidRect(&rc, back);
    if (rc.Height() <= 3) return;
    const int cx = rc.left + rc.Width() / 2;
    const int top = rc.top + (rc.Height() - 4) / 2;
    for (int row = 0; row < 4; ++row) {
        const int width = bUp ? 2 + 2 * row : 8 - 2 * row;
        pDC->FillSolidRect(cx - width / 2, top + row, width, 1, glyph);
    }
}

void CSkinScrollBar::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemoryDC dc(&paint, &client);
    dc.FillSolidRect(&client, m_crBackground);
    if (!IsScrollable()) return;
    if (m_bShowArrows) {
        DrawArrow(&dc, m_rcUpArrow, TRUE);
        DrawArrow(&dc, m_rcDownArrow, FALSE);
    }
    if (m_rcChannel.Height() < kMinThumbLength || m_rcThumb.IsRectEmpty() || m_rcThumb.top < m_rcChannel.top ||
        m_rcThumb.bottom > m_rcChannel.bottom)
        return;
    CRect thumb = m_rcThumb;
    thumb.DeflateRect(1, 1);
    COLORREF colour = m_nPressedPart == PartThumb ? m_crThumbPressed
                      : m_nHotPart == PartThumb   ? m_crThumbHot
                                                  : m_crThumbNormal;
    dc.FillSolidRect(&thumb, colour);
    if (thumb.Height() >= 4 && m_caps.GetSafeHandle() && m_caps.GetImageCount() >= 2) {
        m_caps.Draw(&dc, 0, CPoint(thumb.left, thumb.top), ILD_TRANSPARENT);
        m_caps.Draw(&dc, 1, CPoint(thumb.left, thumb.bottom - 2), ILD_TRANSPARENT);
    }
}
