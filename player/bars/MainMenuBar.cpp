// The menu bar's colours, its count text and its background.
#include "player/bars/MainMenuBar.h"

#include "engine/MediaValueTexts.h"
#include "player/app/SharedResources.h"

namespace {
const COLORREF kBarColor = RGB(32, 32, 32);
const COLORREF kText = RGB(192, 192, 192);
const int kCountTextWidth = 160;
}  // namespace

CMainMenuBar::CMainMenuBar()
{
    SetTextColors(kText, RGB(255, 255, 255));
    SetHighlightColor(RGB(64, 64, 64));
}

void CMainMenuBar::SetItemCountText(int count, __int64 totalDurationMs)
{
    if (count <= 0)
        countText.Empty();
    else if (totalDurationMs <= 0)
        countText.Format(count == 1 ? L"%d item" : L"%d items", count);
    else
        countText.Format(count == 1 ? L"%d item, %s" : L"%d items, %s", count,
                         FormatTimeMs(totalDurationMs, 0, 0, 0).GetString());
    if (m_hWnd) {
        CRect rc;
        GetClientRect(&rc);
        rc.left = rc.right - kCountTextWidth;
        InvalidateRect(&rc);
    }
}

void CMainMenuBar::DrawBackground(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, kBarColor);
    if (countText.IsEmpty())
        return;
    CSharedResources* shared = GetSharedResources();
    CGdiSelector font(*pDC, shared && shared->normalFont.GetSafeHandle() ? &shared->normalFont : nullptr);
    pDC->SetTextColor(kText);
    pDC->SetBkMode(TRANSPARENT);
    rc.right -= 4;
    pDC->DrawText(countText, -1, &rc, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}
