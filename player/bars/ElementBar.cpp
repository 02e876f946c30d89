// The element bar: relaying, painting and updating its windowless elements.
#include "player/bars/ElementBar.h"

#include "toolkit/MemoryDC.h"

IMPLEMENT_DYNAMIC(CElementBar, CFixedSizeBar)

BEGIN_MESSAGE_MAP(CElementBar, CFixedSizeBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSELEAVE()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CElementBar::CElementBar() : CBarElementHost(this) {}

BOOL CElementBar::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd && pMsg->hwnd == m_hWnd) {
        const BOOL used = RelayMouseMessage(pMsg);
        if (OnBarMessage(pMsg, used)) return TRUE;
    }
    return CFixedSizeBar::PreTranslateMessage(pMsg);
}

BOOL CElementBar::OnBarMessage(MSG*, BOOL) { return FALSE; }

void CElementBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    UpdateCmdUI(pTarget, bDisableIfNoHndler);
}

void CElementBar::DrawBackground(CDC* pDC, const CRect& rcClient)
{
    pDC->FillSolidRect(&rcClient, ::GetSysColor(COLOR_BTNFACE));
}

void CElementBar::OnPaint()
{
    CPaintDC paint(this);
    CRect rc;
    GetClientRect(&rc);
    CMemoryDC dc(&paint, &rc);
    DrawBackground(&dc, rc);
    DrawItems(&dc);
}

// The memory DC covers every pixel, so erasing first would only flicker.
BOOL CElementBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CElementBar::OnMouseLeave()
{
    OnBarMouseLeave();
    Default();
}

void CElementBar::OnCaptureChanged(CWnd*)
{
    OnCaptureLost();
    Default();
}
