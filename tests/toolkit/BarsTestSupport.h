// Shared by the bar, menu-bar and frame tests: a message pump that gives windows their
// PreTranslateMessage as a program's loop does, image strips of solid colours, a pane that records
// what reaches it, and a frame that records the commands it gets.
#pragma once

#include "tests/toolkit/ToolkitTestSupport.h"

#include <functional>
#include <initializer_list>
#include <vector>

// Like PumpUntil, with each message offered to the windows' PreTranslateMessage first.
bool PumpProgramUntil(const std::function<bool()>& pred, DWORD timeoutMs = 10000);
void PumpProgramPending();

// An image list of w x h cells, one solid colour each.
void MakeColourStrip(CImageList& list, int w, int h, std::initializer_list<COLORREF> colours);

// Screen point of a client point of a window.
CPoint ScreenPoint(HWND hWnd, int x, int y);
// Moves the real mouse there and waits until the window under it has seen it move.
void MoveMouseTo(HWND hWnd, int x, int y);

// A white pane (AFX_IDW_PANE_FIRST) that takes the focus and records the clicks it gets.
class CRecordingPane : public CWnd {
public:
    BOOL Make(CWnd* pParent);
    std::vector<CPoint> m_clicks;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()
};
