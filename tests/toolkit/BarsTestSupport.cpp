// The bar tests' pump, image strips and recording pane.
#include "tests/toolkit/BarsTestSupport.h"

#include <algorithm>

void PumpProgramPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (AfxPreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpProgramUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpProgramPending();
        if (pred()) return true;
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= timeoutMs) return pred();
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, std::min<DWORD>(20, timeoutMs - spent), QS_ALLINPUT);
    }
}

void MakeColourStrip(CImageList& list, int w, int h, std::initializer_list<COLORREF> colours)
{
    list.DeleteImageList();
    list.Create(w, h, ILC_COLOR24, (int)colours.size(), 0);
    CClientDC screen((HWND)NULL);
    for (COLORREF colour : colours) {
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap cell;
        cell.CreateCompatibleBitmap(&screen, w, h);
        HGDIOBJ old = dc.SelectObject((HGDIOBJ)cell);
        dc.FillSolidRect(0, 0, w, h, colour);
        dc.SelectObject(old);
        list.Add(&cell, (CBitmap*)NULL);
    }
}

CPoint ScreenPoint(HWND hWnd, int x, int y)
{
    POINT p = {x, y};
    ::ClientToScreen(hWnd, &p);
    return p;
}

void MoveMouseTo(HWND hWnd, int x, int y)
{
    const CPoint p = ScreenPoint(hWnd, x, y);
    ::SetCursorPos(p.x, p.y);
    PumpProgramUntil(
        [&] {
            POINT now = {};
            ::GetCursorPos(&now);
            return now.x == p.x && now.y == p.y;
        },
        5000);
    PumpProgramPending();
}

BEGIN_MESSAGE_MAP(CRecordingPane, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

BOOL CRecordingPane::Make(CWnd* pParent)
{
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(NULL, IDC_ARROW));
    return CreateEx(0, cls, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), pParent, AFX_IDW_PANE_FIRST);
}

BOOL CRecordingPane::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, RGB(255, 255, 255));
    return TRUE;
}

void CRecordingPane::OnLButtonDown(UINT, CPoint point)
{
    m_clicks.push_back(point);
    SetFocus();
}
