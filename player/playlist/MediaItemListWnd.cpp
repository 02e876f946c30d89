// The media item list: owned items and path tool tips.
#include "player/playlist/MediaItemListWnd.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <string.h>

#include <vector>

#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"

namespace {

const int kTipChars = 80;  // the text buffer of a tip: 79 characters and the terminator

}  // namespace

// Media item list ---------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMediaItemListWnd, CScrollItemListWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMediaItemListWnd::CMediaItemListWnd() : m_nToolItem(-1) {}

CMediaItemListWnd::~CMediaItemListWnd()
{
    DestroyAllItems();
}

BOOL CMediaItemListWnd::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CWnd::Create(nullptr, nullptr, dwStyle, rect, pParentWnd, nID))
        return FALSE;
    if (m_toolTip.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX)) {
        m_toolTip.SetMaxTipWidth(SHRT_MAX);
        m_toolTip.Activate(TRUE);
    }
    return TRUE;
}

void CMediaItemListWnd::DestroyAllItems()
{
    std::vector<CMediaItem*> items;
    for (int i = 0; i < GetItemCount(); ++i)
        items.push_back(GetMediaItemAt(i));
    CItemListWnd::DeleteAllItems(FALSE);
    for (CMediaItem* item : items)
        DestroyMediaItem(item);
}

void CMediaItemListWnd::OnDestroy()
{
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
    DestroyAllItems();
    CScrollItemListWnd::OnDestroy();
}

int CMediaItemListWnd::AddItem(CMediaItem* item)
{
    if (!item)
        return -1;
    return CScrollItemListWnd::AddItem(item, TRUE);
}

int CMediaItemListWnd::RemoveItem(int index, int redraw)
{
    CMediaItem* item = GetMediaItemAt(index);
    if (!item)
        return -1;
    if (m_nToolItem == index && m_toolTip.m_hWnd) {
        m_toolTip.DelTool(this, (UINT_PTR)m_nToolItem);
        m_nToolItem = -1;
    }
    DeleteItem(index, redraw);
    DestroyMediaItem(item);
    return 0;
}

CMediaItem* CMediaItemListWnd::GetMediaItemAt(int index) const
{
    return static_cast<CMediaItem*>(GetItemData(index));
}

int CMediaItemListWnd::IndexOf(const CMediaItem* item) const
{
    if (!item)
        return -1;
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItemData(i) == item)
            return i;
    return -1;
}

void CMediaItemListWnd::InvalidateItem(const CMediaItem* item)
{
    int index = IndexOf(item);
    if (index >= 0 && m_hWnd)
        CScrollItemListWnd::InvalidateItem(index, TRUE);
}

bool CMediaItemListWnd::HasPath(LPCWSTR path) const
{
    if (!path)
        return false;
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetMediaItemAt(i)->Path.CompareNoCase(path) == 0)
            return true;
    return false;
}

__int64 CMediaItemListWnd::SumDurations() const
{
    __int64 total = 0;
    for (int i = 0; i < GetItemCount(); ++i) {
        __int64 duration = GetMediaItemAt(i)->MediaInfo.DurationInUs;
        if (duration > 0)
            total += duration;
    }
    return total / 1000;
}

void CMediaItemListWnd::DestroyMediaItem(CMediaItem* item)
{
    if (!item)
        return;
    item->DeleteThumbnailFile();
    delete item;
}

bool CMediaItemListWnd::IsImageFile(LPCWSTR path)
{
    static const wchar_t* const kImages[] = {L".jpg", L".jpeg", L".png", L".ico", L".tif", L".tiff", L".bmp"};
    if (!path)
        return false;
    LPCWSTR ext = PathFindExtensionW(path);
    for (const wchar_t* image : kImages)
        if (_wcsicmp(ext, image) == 0)
            return true;
    return false;
}

void CMediaItemListWnd::Draw(CDC* pDC)
{
    CItemDrawLock::Scope hold(m_drawLock);
    CScrollItemListWnd::Draw(pDC);
}

// Tool tips ----------------------------------------------------------------------------------------------

INT_PTR CMediaItemListWnd::OnToolHitTest(CPoint point, TTTOOLINFOW* pTI)
{
    int index = HitTest(point.x, point.y);
    if (index < 0)
        return -1;
    if (pTI && pTI->cbSize >= 40) {
        CRect rc;
        GetItemRect(index, &rc);
        pTI->hwnd = m_hWnd;
        pTI->uId = (UINT_PTR)index;
        pTI->rect = rc;
        pTI->lpszText = LPSTR_TEXTCALLBACKW;
    }
    return index;
}

void CMediaItemListWnd::UpdateToolTip(CPoint point)
{
    if (!m_toolTip.m_hWnd)
        return;
    TTTOOLINFOW ti = {};
    ti.cbSize = CToolTipCtrl::ToolInfoSize();
    INT_PTR hit = OnToolHitTest(point, &ti);
    if (hit == m_nToolItem)
        return;
    if (m_nToolItem >= 0)
        m_toolTip.DelTool(this, (UINT_PTR)m_nToolItem);
    m_nToolItem = hit;
    if (hit >= 0) {
        ti.uFlags = TTF_TRANSPARENT;
        ::SendMessageW(m_toolTip.m_hWnd, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    }
}

BOOL CMediaItemListWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == m_hWnd && m_toolTip.m_hWnd && pMsg->message >= WM_MOUSEFIRST &&
        pMsg->message <= WM_MOUSELAST) {
        if (pMsg->message == WM_MOUSEMOVE)
            UpdateToolTip(CPoint(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam)));
        m_toolTip.RelayEvent(pMsg);
    }
    return CScrollItemListWnd::PreTranslateMessage(pMsg);
}

BOOL CMediaItemListWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && (hdr->code == TTN_GETDISPINFOW || hdr->code == TTN_GETDISPINFOA)) {
        // The flags sit at the same place in both forms.
        UINT flags = reinterpret_cast<NMTTDISPINFOW*>(hdr)->uFlags;
        CMediaItem* item = (flags & TTF_IDISHWND) ? nullptr : GetMediaItemAt((int)hdr->idFrom);
        if (item) {
            CString text = item->PathText.IsEmpty() ? item->Path : item->PathText;
            if (text.GetLength() > kTipChars - 1)
                text = text.Left(kTipChars - 1);
            if (hdr->code == TTN_GETDISPINFOW) {
                NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
                wcsncpy(info->szText, text, kTipChars - 1);
                info->szText[kTipChars - 1] = 0;
                info->lpszText = info->szText;
            } else {
                NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
                CStringA narrow;
                WideToAnsi(text, narrow);
                strncpy(info->szText, narrow, kTipChars - 1);
                info->szText[kTipChars - 1] = 0;
                info->lpszText = info->szText;
            }
            ::SetWindowPos(hdr->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            *pResult = 0;
            return TRUE;
        }
    }
    return CScrollItemListWnd::OnNotify(wParam, lParam, pResult);
}
