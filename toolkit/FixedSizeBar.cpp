// The fixed-size control bar.
#include "toolkit/FixedSizeBar.h"

IMPLEMENT_DYNAMIC(CFixedSizeBar, CControlBar)

CFixedSizeBar::CFixedSizeBar() {}

BOOL CFixedSizeBar::Create(DWORD dwStyle, const RECT& rect, CFrameWnd* pParentWnd, UINT nID)
{
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(NULL, IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1), NULL);
    return CreateBar(dwStyle, rect, pParentWnd, nID, cls, NULL);
}

CSize CFixedSizeBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (!bStretch) return m_sizeFixed;
    return bHorz ? CSize(32767, m_sizeFixed.cy) : CSize(m_sizeFixed.cx, 32767);
}

void CFixedSizeBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CControlBar::OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
}
