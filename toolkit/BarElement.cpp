// Bar elements and their host: states, mouse tracking, drawing and command-state updates.
#include "toolkit/BarElement.h"

#include "toolkit/ToolkitHost.h"

#include <windowsx.h>

#include <algorithm>

namespace {

CPoint MessagePoint(const MSG* pMsg)
{
    return CPoint(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam));
}

// The size of image 0 of a list (0 x 0 without one).
CSize FirstImageSize(CImageList* pImages)
{
    IMAGEINFO info = {};
    if (!pImages || !pImages->GetSafeHandle() || !pImages->GetImageInfo(0, &info)) return CSize(0, 0);
    return CSize(info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top);
}

} // namespace

// ---- CBarElement

CBarElement::CBarElement(CBarElementHost* pHost)
    : m_pHost(pHost), m_rect(0, 0, 0, 0), m_pOwnerWnd(pHost ? pHost->GetOwnerWnd() : NULL)
{
}

CBarElement::~CBarElement() {}

int CBarElement::GetCommandId() const { return 0; }

void CBarElement::GetRect(LPRECT lpRect) const
{
    if (lpRect) *lpRect = m_rect;
}

BOOL CBarElement::IsDisabled() const { return (m_dwFlags & BEF_DISABLED) != 0; }

BOOL CBarElement::IsHidden() const { return (m_dwFlags & BEF_HIDDEN) != 0; }

void CBarElement::SetRect(int left, int top, int right, int bottom, BOOL bRedraw)
{
    // The old place is cleared too, or a moved element would leave its picture behind.
    if (bRedraw) Invalidate(FALSE);
    m_rect.SetRect(left, top, right, bottom);
    if (bRedraw) Invalidate(FALSE);
}

BOOL CBarElement::PtInItem(POINT pt) const { return m_rect.PtInRect(pt); }

BOOL CBarElement::ModifyFlags(DWORD dwRemove, DWORD dwAdd, BOOL bRedraw)
{
    m_dwFlags = dwAdd | (m_dwFlags & ~dwRemove);
    if (bRedraw) Invalidate(FALSE);
    return TRUE;
}

void CBarElement::SetHidden(BOOL bHidden)
{
    if (bHidden) m_dwFlags |= BEF_HIDDEN;
    else m_dwFlags &= ~BEF_HIDDEN;
}

BOOL CBarElement::Enable(BOOL bOn)
{
    if ((bOn && !IsDisabled()) || (!bOn && IsDisabled())) return FALSE;
    return ModifyFlags(bOn ? BEF_DISABLED : 0, bOn ? 0 : BEF_DISABLED, TRUE);
}

void CBarElement::Invalidate(BOOL bUpdateNow)
{
    HWND hWnd = m_pOwnerWnd ? m_pOwnerWnd->GetSafeHwnd() : NULL;
    if (!hWnd || !::IsWindow(hWnd)) return;
    ::InvalidateRect(hWnd, &m_rect, FALSE);
    if (bUpdateNow) ::UpdateWindow(hWnd);
}

BOOL CBarElement::OnMouseMessage(const MSG* pMsg)
{
    if (IsHidden() || IsDisabled() || !m_pHost) return FALSE;
    switch (pMsg->message) {
    case WM_MOUSEMOVE:
        if (PtInItem(MessagePoint(pMsg))) {
            if (!IsHot()) m_pHost->SetHotItem(this);
            return TRUE;
        }
        m_pHost->ReleaseItem(this);
        return FALSE;
    case WM_MOUSELEAVE:
        m_pHost->ReleaseItem(this);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CBarElement::IsHot() const { return m_pHost && m_pHost->GetHotItem() == this; }
BOOL CBarElement::IsPressed() const { return m_pHost && m_pHost->GetPressedItem() == this; }
BOOL CBarElement::IsFocused() const { return m_pHost && m_pHost->GetFocusItem() == this; }
BOOL CBarElement::IsCaptured() const { return m_pHost && m_pHost->GetCapturedItem() == this; }

// ---- CButtonElement

CButtonElement::CButtonElement(CBarElementHost* pHost, const RECT& rect, int nCommandId) : CBarElement(pHost)
{
    m_rect = rect;
    m_nCommandId = nCommandId;
}

int CButtonElement::GetCommandId() const { return m_nCommandId; }

BOOL CButtonElement::OnMouseMessage(const MSG* pMsg)
{
    if (IsHidden() || IsDisabled() || !m_pHost) return FALSE;
    switch (pMsg->message) {
    case WM_LBUTTONDOWN:
        if (!PtInItem(MessagePoint(pMsg))) return FALSE;
        m_pHost->SetPressedItem(this);
        if (!CanPress()) m_pHost->CancelTracking(TRUE);
        return TRUE;
    case WM_LBUTTONUP:
        if (PtInItem(MessagePoint(pMsg))) {
            if (!IsPressed()) return FALSE;
            m_pHost->SetPressedItem(NULL);
            Click();
            return TRUE;
        }
        if (IsPressed()) {
            m_pHost->SetPressedItem(NULL);
        }
        return FALSE;
    default:
        return CBarElement::OnMouseMessage(pMsg);
    }
}

int CButtonElement::GetDrawState() const
{
    if (IsDisabled()) return BES_STATE_DISABLED;
    if (IsPressed()) return BES_STATE_PRESSED;
    if (IsHot()) return BES_STATE_HOT;
    if (IsFocused() && m_pOwnerWnd && m_pOwnerWnd->m_hWnd && ::GetFocus() == m_pOwnerWnd->m_hWnd)
        return BES_STATE_FOCUS;
    return BES_STATE_NORMAL;
}

void CButtonElement::Draw(CDC* pDC)
{
    if (IsHidden()) return;
    const int state = GetDrawState();
    DrawBackground(pDC, m_rect, state);
    DrawForeground(pDC, m_rect, state);
}

void CButtonElement::DrawBackground(CDC* pDC, const CRect& rect, int nState)
{
    if (!m_pBackgroundImages || !m_pBackgroundImages->GetSafeHandle()) {
        const COLORREF color = nState == BES_STATE_HOT ? m_crBackgroundHot : m_crBackground;
        if (color != (COLORREF)-1) pDC->FillSolidRect(&rect, color);
        return;
    }
    CImageList* images = m_pBackgroundImages;
    switch (m_nBackgroundMode) {
    case 1: {
        if (m_nSliceWidth <= 0) return;
        images->Draw(pDC, 3 * nState, CPoint(rect.left, rect.top), ILD_TRANSPARENT);
        for (int x = rect.left + m_nSliceWidth; x < rect.right - m_nSliceWidth; x += m_nSliceWidth)
            images->Draw(pDC, 3 * nState + 1, CPoint(x, rect.top), ILD_TRANSPARENT);
        images->Draw(pDC, 3 * nState + 2, CPoint(rect.right - m_nSliceWidth, rect.top), ILD_TRANSPARENT);
        break;
    }
    case 2: {
        if (m_nSliceHeight <= 0) return;
        images->Draw(pDC, 3 * nState, CPoint(rect.left, rect.top), ILD_TRANSPARENT);
        for (int y = rect.top + m_nSliceHeight; y < rect.bottom - m_nSliceHeight; y += m_nSliceHeight)
            images->Draw(pDC, 3 * nState + 1, CPoint(rect.left, y), ILD_TRANSPARENT);
        images->Draw(pDC, 3 * nState + 2, CPoint(rect.left, rect.bottom - m_nSliceHeight), ILD_TRANSPARENT);
        break;
    }
    default:
        images->Draw(pDC, nState, CPoint(rect.left, rect.top), ILD_TRANSPARENT);
        break;
    }
}

void CButtonElement::DrawForeground(CDC*, const CRect&, int) {}

BOOL CButtonElement::CanPress()
{
    if (m_nCommandId != -1) return TRUE;
    return m_pHost ? m_pHost->CanClick(this) : FALSE;
}

BOOL CButtonElement::Click()
{
    if (m_nCommandId != 0 && m_nCommandId != -1 && m_pOwnerWnd && m_pOwnerWnd->GetSafeHwnd())
        ::PostMessageW(m_pOwnerWnd->m_hWnd, WM_COMMAND, MAKEWPARAM((WORD)m_nCommandId, 0), 0);
    return TRUE;
}

void CButtonElement::SetBackgroundColors(COLORREF crNormal, COLORREF crHot)
{
    m_crBackground = crNormal;
    m_crBackgroundHot = crHot;
}

void CButtonElement::SetBackgroundImages(CImageList* pImages, int nMode, int nSliceWidth, int nSliceHeight)
{
    m_pBackgroundImages = pImages;
    m_nBackgroundMode = nMode;
    m_nSliceWidth = nSliceWidth;
    m_nSliceHeight = nSliceHeight;
}

// ---- CImageButtonElement

CImageButtonElement::CImageButtonElement(CBarElementHost* pHost, const RECT& rect, int nCommandId)
    : CButtonElement(pHost, rect, nCommandId)
{
}

void CImageButtonElement::SetImageList(CImageList* pImages, BOOL bRedraw)
{
    m_pImages = pImages;
    const CSize size = FirstImageSize(pImages);
    m_nImageWidth = size.cx;
    m_nImageHeight = size.cy;
    if (bRedraw) Invalidate(FALSE);
}

void CImageButtonElement::DrawForeground(CDC* pDC, const CRect& rect, int nState)
{
    if (!m_pImages || !m_pImages->GetSafeHandle()) return;
    int x = rect.left + (rect.Width() - m_nImageWidth) / 2;
    int y = rect.top + (rect.Height() - m_nImageHeight) / 2;
    if (nState == BES_STATE_PRESSED) {
        ++x;
        ++y;
    }
    m_pImages->Draw(pDC, nState, CPoint(x, y), ILD_TRANSPARENT);
}

// ---- CTextElement

CTextElement::CTextElement(CBarElementHost* pHost, const RECT& rect, int nCommandId)
    : CButtonElement(pHost, rect, nCommandId), m_crText(::GetSysColor(COLOR_BTNTEXT)),
      m_crTextHot(::GetSysColor(COLOR_BTNTEXT)), m_crTextDisabled(::GetSysColor(COLOR_GRAYTEXT))
{
}

void CTextElement::SetText(LPCWSTR lpszText, BOOL bRedraw)
{
    m_strText = lpszText ? lpszText : L"";
    if (bRedraw) Invalidate(FALSE);
}

void CTextElement::SetTextColors(COLORREF crNormal, COLORREF crHot, COLORREF crDisabled)
{
    m_crText = crNormal;
    m_crTextHot = crHot;
    m_crTextDisabled = crDisabled;
}

void CTextElement::DrawForeground(CDC* pDC, const CRect& rect, int)
{
    if (m_strText.IsEmpty()) return;
    CRect text(rect.left + 2, rect.top, rect.right - 2, rect.bottom - 1);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    if (m_dwStyle & BES_LEFT) format |= DT_LEFT;
    else if (m_dwStyle & BES_RIGHT) format |= DT_RIGHT;
    else format |= DT_CENTER;
    CFont* font = m_pFont;
    if (!font && m_pOwnerWnd && m_pOwnerWnd->GetSafeHwnd()) font = m_pOwnerWnd->GetFont();
    CGdiSelector select(*pDC, font);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = pDC->SetTextColor(IsHot() ? m_crTextHot : IsDisabled() ? m_crTextDisabled : m_crText);
    pDC->DrawText(m_strText, &text, format);
    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
}

// ---- CBarSliderElement

CBarSliderElement::CBarSliderElement(CBarElementHost* pHost, const RECT& rect) : CBarElement(pHost)
{
    m_rect = rect;
}

void CBarSliderElement::SetRange(int nMin, int nMax, BOOL bRedraw)
{
    m_nMin = nMin;
    m_nMax = nMax;
    if (nMin <= nMax) m_nPos = std::min(std::max(m_nPos, nMin), nMax);
    if (bRedraw) Invalidate(FALSE);
}

void CBarSliderElement::SetMax(int nMax)
{
    m_nMax = nMax;
    if (m_nPos > nMax) m_nPos = nMax;
    Invalidate(FALSE);
}

void CBarSliderElement::SetPos(int nPos, BOOL bRedraw)
{
    if (m_nMin <= m_nMax) nPos = std::min(std::max(nPos, m_nMin), m_nMax);
    if (nPos == m_nPos) return;
    m_nPos = nPos;
    if (bRedraw) Invalidate(FALSE);
}

BOOL CBarSliderElement::SetPosNotify(int nPos)
{
    if (m_nMin <= m_nMax) nPos = std::min(std::max(nPos, m_nMin), m_nMax);
    if (nPos == m_nPos) return FALSE;
    m_nPos = nPos;
    Invalidate(FALSE);
    if (m_pOwnerWnd && m_pOwnerWnd->GetSafeHwnd())
        ::SendMessageW(m_pOwnerWnd->m_hWnd, WM_BAR_ELEMENT_CHANGED, (WPARAM)nPos, (LPARAM)this);
    return TRUE;
}

void CBarSliderElement::SetThumbImages(CImageList* pImages)
{
    m_pThumbImages = pImages;
    const CSize size = FirstImageSize(pImages);
    m_nThumbWidth = size.cx;
    m_nThumbHeight = size.cy;
}

CRect CBarSliderElement::GetChannelRect() const
{
    CRect channel;
    channel.left = m_rect.left + m_nThumbWidth / 2;
    channel.right = m_rect.right - m_nThumbWidth + m_nThumbWidth / 2;
    channel.top = m_rect.top + (m_rect.Height() - m_nThumbHeight) / 2;
    channel.bottom = channel.top + m_nThumbHeight;
    return channel;
}

int CBarSliderElement::GetThumbCenter() const
{
    const CRect channel = GetChannelRect();
    if (m_nMax <= m_nMin || m_nPos <= m_nMin) return channel.left;
    if (m_nPos >= m_nMax) return channel.right;
    // A 10-hour range in milliseconds times a wide channel does not fit 32 bits.
    const __int64 width = channel.Width();
    const __int64 offset = (__int64)m_nPos - m_nMin;
    const __int64 range = (__int64)m_nMax - m_nMin;
    return channel.left + (int)(width * offset / range);
}

CRect CBarSliderElement::GetThumbRect() const
{
    const CRect channel = GetChannelRect();
    const int left = GetThumbCenter() - m_nThumbWidth / 2;
    return CRect(left, channel.top, left + m_nThumbWidth, channel.bottom);
}

int CBarSliderElement::PosFromPoint(int x, int y, BOOL bClamp) const
{
    if (m_nMax < m_nMin) return -1;
    if (m_nMax == m_nMin) return 0;
    const CRect channel = GetChannelRect();
    const __int64 width = channel.Width();
    if (width <= 0) return -1;
    if (!bClamp) {
        if (!m_rect.PtInRect(CPoint(x, y))) return -1;
        if (x > channel.right) return m_nMax;
        if (x < channel.left) return m_nMin;
    } else {
        x = std::min(std::max(x, (int)channel.left), (int)channel.right);
    }
    // Nearest step: (offset + half a step) / step, with step = width / range, worked out in
    // integers so that no rounding of the step moves a position.
    const __int64 range = (__int64)m_nMax - m_nMin;
    const __int64 offset = std::min(x, (int)channel.right) - channel.left;
    const __int64 halfStep = width / (2 * range);
    __int64 pos = m_nMin + (offset + halfStep) * range / width;
    pos = std::min<__int64>(std::max<__int64>(pos, m_nMin), m_nMax);
    return (int)pos;
}

BOOL CBarSliderElement::OnMouseMessage(const MSG* pMsg)
{
    if (IsHidden() || IsDisabled() || !m_pHost) return FALSE;
    const CPoint pt = MessagePoint(pMsg);
    switch (pMsg->message) {
    case WM_LBUTTONDOWN:
        if (m_nMin >= m_nMax) return FALSE;
        if (GetThumbRect().PtInRect(pt)) {
            m_pHost->SetCapturedItem(this);
        } else {
            const int pos = PosFromPoint(pt.x, pt.y, FALSE);
            if (pos == -1 || !SetPosNotify(pos)) return FALSE;
        }
        m_pHost->SetPressedItem(this);
        return TRUE;
    case WM_MOUSEMOVE:
        if (m_nMin < m_nMax && IsCaptured()) {
            const int pos = PosFromPoint(pt.x, pt.y, TRUE);
            if (pos != m_nPos) SetPosNotify(pos);
            return TRUE;
        }
        return CBarElement::OnMouseMessage(pMsg);
    case WM_LBUTTONUP:
        if (IsCaptured()) m_pHost->SetCapturedItem(NULL);
        if (IsPressed()) m_pHost->SetPressedItem(NULL);
        Invalidate(FALSE);
        return TRUE;
    case WM_CANCELMODE:
        if (IsCaptured()) m_pHost->SetCapturedItem(NULL);
        m_pHost->ReleaseItem(this);
        Invalidate(FALSE);
        return TRUE;
    case WM_MOUSELEAVE:
        return TRUE;
    default:
        return FALSE;
    }
}

void CBarSliderElement::TileImage(CDC* pDC, CImageList* pImages, int nImage, int left, int right, int top,
                                  int tileWidth, int height)
{
    if (tileWidth <= 0) return;
    for (int x = left; x < right; x += tileWidth) {
        const int w = std::min(tileWidth, right - x);
        pImages->DrawEx(pDC, nImage, CPoint(x, top), CSize(w, height), CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    }
}

void CBarSliderElement::DrawChannel(CDC* pDC, const CRect& channel)
{
    TileImage(pDC, m_pThumbImages, 0, channel.left, channel.right, channel.top, m_nThumbWidth, m_nThumbHeight);
    if (m_nPos > m_nMin)
        TileImage(pDC, m_pThumbImages, 1, channel.left, GetThumbCenter(), channel.top, m_nThumbWidth, m_nThumbHeight);
}

void CBarSliderElement::DrawThumb(CDC* pDC)
{
    if (m_nMin >= m_nMax) return;
    int image = -1;
    if (IsPressed() || IsCaptured()) image = 3;
    else if (IsHot()) image = 2;
    if (image < 0) return;
    const CRect thumb = GetThumbRect();
    m_pThumbImages->Draw(pDC, image, thumb.TopLeft(), ILD_TRANSPARENT);
}

void CBarSliderElement::Draw(CDC* pDC)
{
    if (IsHidden() || !m_pThumbImages || !m_pThumbImages->GetSafeHandle()) return;
    const CRect channel = GetChannelRect();
    if (channel.Width() <= 0) return;
    DrawChannel(pDC, channel);
    DrawThumb(pDC);
}

// ---- CBarCappedSliderElement

CBarCappedSliderElement::CBarCappedSliderElement(CBarElementHost* pHost, const RECT& rect)
    : CBarSliderElement(pHost, rect)
{
}

void CBarCappedSliderElement::SetCapImages(CImageList* pImages)
{
    m_pCapImages = pImages;
    const CSize size = FirstImageSize(pImages);
    m_nCapWidth = size.cx;
    m_nCapHeight = size.cy;
}

void CBarCappedSliderElement::Draw(CDC* pDC)
{
    if (IsHidden() || !m_pThumbImages || !m_pThumbImages->GetSafeHandle()) return;
    const CRect channel = GetChannelRect();
    if (channel.Width() <= 0) return;
    DrawChannel(pDC, channel);
    if (m_pCapImages && m_pCapImages->GetSafeHandle()) {
        const int top = channel.top + (channel.Height() - m_nCapHeight) / 2;
        m_pCapImages->Draw(pDC, 0, CPoint(channel.left, top), ILD_TRANSPARENT);
        m_pCapImages->Draw(pDC, 1, CPoint(channel.right - m_nCapWidth, top), ILD_TRANSPARENT);
    }
    DrawThumb(pDC);
}

// ---- CMenuBarElement

CMenuBarElement::CMenuBarElement(CBarElementHost* pHost, LPCWSTR lpszTitle)
    : CBarElement(pHost), m_strTitle(lpszTitle ? lpszTitle : L""), m_chMnemonic(MnemonicOf(m_strTitle))
{
}

WCHAR CMenuBarElement::MnemonicOf(const CString& title)
{
    const int amp = title.Find(L'&');
    if (amp >= 0 && amp + 1 < title.GetLength()) return title[amp + 1];
    return title.IsEmpty() ? 0 : title[0];
}

void CMenuBarElement::Draw(CDC* pDC)
{
    DrawItem(pDC, ::GetSysColor(COLOR_MENUTEXT), ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_HIGHLIGHT));
}

void CMenuBarElement::DrawItem(CDC* pDC, COLORREF crText, COLORREF crTextHot, COLORREF crHighlight)
{
    if (IsHidden()) return;
    DrawBackground(pDC, crHighlight, m_rect);
    DrawText(pDC, crText, crTextHot, m_rect);
}

void CMenuBarElement::DrawBackground(CDC* pDC, COLORREF crHighlight, const CRect& rect)
{
    if (IsHot() || IsPressed()) pDC->FillSolidRect(&rect, crHighlight);
}

void CMenuBarElement::DrawText(CDC* pDC, COLORREF crText, COLORREF crTextHot, const CRect& rect)
{
    CToolkitHost* host = GetToolkitHost();
    CFont* font = host ? host->GetMenuFont() : NULL;
    CGdiSelector select(pDC->m_hDC, font ? font->GetSafeHandle() : ::GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = pDC->SetTextColor(IsHot() || IsPressed() ? crTextHot : crText);
    CRect text = rect;
    pDC->DrawText(m_strTitle, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
}

// ---- CBarElementHost

CBarElementHost::CBarElementHost(CWnd* pOwnerWnd) : m_pOwnerWnd(pOwnerWnd) {}

CBarElementHost::~CBarElementHost()
{
    // Not through the virtual DeleteAllItems: a derived host is already gone here.
    m_pHotItem = m_pFocusItem = m_pPressedItem = m_pCapturedItem = NULL;
    for (CBarElement* item : m_items) delete item;
    m_items.clear();
}

int CBarElementHost::AddItem(CBarElement* pItem)
{
    if (!pItem) return -1;
    m_items.push_back(pItem);
    return (int)m_items.size() - 1;
}

void CBarElementHost::DeleteAllItems()
{
    if (m_pCapturedItem) SetCapturedItem(NULL);
    m_pHotItem = m_pFocusItem = m_pPressedItem = NULL;
    std::vector<CBarElement*> items;
    items.swap(m_items);
    for (CBarElement* item : items) delete item;
}

CBarElement* CBarElementHost::GetItem(int nIndex) const
{
    return nIndex >= 0 && nIndex < (int)m_items.size() ? m_items[nIndex] : NULL;
}

int CBarElementHost::FindItem(const CBarElement* pItem) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == pItem) return (int)i;
    return -1;
}

int CBarElementHost::HitTest(int x, int y) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->PtInItem(CPoint(x, y))) return (int)i;
    return -1;
}

void CBarElementHost::ModifyItemFlags(int nIndex, DWORD dwRemove, DWORD dwAdd, BOOL bRedraw)
{
    if (CBarElement* item = GetItem(nIndex)) item->ModifyFlags(dwRemove, dwAdd, bRedraw);
}

void CBarElementHost::UpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CBarElementCmdUI state;
    state.m_pOther = m_pOwnerWnd;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CBarElement* item = m_items[i];
        state.m_pElement = item;
        state.m_nID = (UINT)item->GetCommandId();
        state.m_nIndex = (UINT)i;
        state.m_nIndexMax = (UINT)m_items.size();
        // 0 is no command, -1 a press the host decides on: neither has a state to update.
        if (state.m_nID == 0 || state.m_nID == (UINT)-1) continue;
        state.m_bEnableChanged = FALSE;
        if (m_pOwnerWnd) {
            if (m_pOwnerWnd->OnCmdMsg(0, (int)MAKELONG(0xFFFF, WM_COMMAND + WM_REFLECT_BASE), &state, NULL)) continue;
            if (m_pOwnerWnd->OnCmdMsg(state.m_nID, (int)CN_UPDATE_COMMAND_UI, &state, NULL)) continue;
        }
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    if (m_pOwnerWnd && m_pOwnerWnd->GetSafeHwnd()) m_pOwnerWnd->UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

BOOL CBarElementHost::CanClick(CBarElement*) { return TRUE; }

BOOL CBarElementHost::RelayMouseMessage(const MSG* pMsg)
{
    switch (pMsg->message) {
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        CancelTracking(TRUE);
        return FALSE;
    case WM_MOUSEMOVE:
        StartMouseLeaveTracking();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        CancelTracking(FALSE);
        break;
    case WM_MOUSELEAVE:
        CancelTracking(TRUE);
        return FALSE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        break;
    default:
        return FALSE;
    }
    BOOL used = FALSE;
    // An element's answer may delete or add elements (a click's command): walk a copy.
    std::vector<CBarElement*> items = m_items;
    for (CBarElement* item : items) {
        if (FindItem(item) < 0) continue;
        if (item->IsHidden() || item->IsDisabled()) continue;
        if (item->OnMouseMessage(pMsg)) used = TRUE;
    }
    return used;
}

void CBarElementHost::DrawItems(CDC* pDC)
{
    for (CBarElement* item : m_items)
        if (!item->IsHidden()) item->Draw(pDC);
}

void CBarElementHost::SetHotItem(CBarElement* pItem)
{
    CBarElement* old = m_pHotItem;
    m_pHotItem = pItem;
    if (old && old != pItem) old->Invalidate(FALSE);
    if (pItem) pItem->Invalidate(FALSE);
}

void CBarElementHost::SetPressedItem(CBarElement* pItem)
{
    CBarElement* oldPressed = m_pPressedItem;
    CBarElement* oldHot = m_pHotItem;
    CBarElement* oldFocus = m_pFocusItem;
    m_pPressedItem = m_pHotItem = m_pFocusItem = pItem;
    if (oldPressed) oldPressed->Invalidate(FALSE);
    if (oldHot && oldHot != oldPressed) oldHot->Invalidate(FALSE);
    if (oldFocus && oldFocus != oldPressed && oldFocus != oldHot) oldFocus->Invalidate(FALSE);
    if (pItem) pItem->Invalidate(FALSE);
}

void CBarElementHost::SetCapturedItem(CBarElement* pItem)
{
    m_pCapturedItem = pItem;
    HWND hWnd = m_pOwnerWnd ? m_pOwnerWnd->GetSafeHwnd() : NULL;
    if (pItem) {
        if (hWnd) ::SetCapture(hWnd);
    } else if (hWnd && ::GetCapture() == hWnd) {
        ::ReleaseCapture();
    }
}

void CBarElementHost::ReleaseItem(CBarElement* pItem)
{
    if (!pItem) return;
    BOOL changed = FALSE;
    if (m_pPressedItem == pItem) {
        m_pPressedItem = NULL;
        changed = TRUE;
    }
    if (m_pHotItem == pItem) {
        m_pHotItem = NULL;
        changed = TRUE;
    }
    if (changed) pItem->Invalidate(FALSE);
}

void CBarElementHost::CancelTracking(BOOL bAlsoPressed)
{
    m_bTrackingMouseLeave = FALSE;
    if (bAlsoPressed && m_pPressedItem) {
        CBarElement* pressed = m_pPressedItem;
        m_pPressedItem = NULL;
        pressed->Invalidate(FALSE);
    }
    if (m_pHotItem) {
        CBarElement* hot = m_pHotItem;
        m_pHotItem = NULL;
        hot->Invalidate(FALSE);
    }
}

void CBarElementHost::StartMouseLeaveTracking()
{
    if (m_bTrackingMouseLeave) return;
    HWND hWnd = m_pOwnerWnd ? m_pOwnerWnd->GetSafeHwnd() : NULL;
    if (!hWnd) return;
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hWnd, 0};
    m_bTrackingMouseLeave = ::TrackMouseEvent(&tme);
}

void CBarElementHost::OnCaptureLost()
{
    CBarElement* captured = m_pCapturedItem;
    if (!captured) return;
    m_pCapturedItem = NULL;
    MSG cancel = {};
    cancel.hwnd = m_pOwnerWnd ? m_pOwnerWnd->GetSafeHwnd() : NULL;
    cancel.message = WM_CANCELMODE;
    captured->OnMouseMessage(&cancel);
}

// ---- CBarElementCmdUI

void CBarElementCmdUI::Enable(BOOL bOn)
{
    m_bEnableChanged = TRUE;
    if (m_pElement) m_pElement->Enable(bOn);
}
