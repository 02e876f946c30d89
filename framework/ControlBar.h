// CControlBar: a bar window docked at an edge of its frame (menu bar, playback bar), laid out
// by the frame through WM_SIZEPARENT and updated through the command routing at idle time.
#pragma once

#include "framework/Frame.h"

// Bar styles, kept in the bar (GetBarStyle) and not in the window style.
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
// The edge bits alone: WS_CHILD | WS_VISIBLE | CBRS_TOP is 0x50002000.
#define CBRS_LEFT CBRS_ALIGN_LEFT
#define CBRS_TOP CBRS_ALIGN_TOP
#define CBRS_RIGHT CBRS_ALIGN_RIGHT
#define CBRS_BOTTOM CBRS_ALIGN_BOTTOM

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();

    // Creates the bar as a child of pParentWnd (its owner too); the CBRS_ bits of dwStyle become
    // the bar style and are taken out of the window style. The height (or width, for bars at
    // the left or right) of rect is the bar's fixed size unless CalcFixedLayout says otherwise.
    virtual BOOL CreateBar(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                           LPCWSTR lpszClassName = NULL, LPCWSTR lpszWindowName = NULL);

    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle & CBRS_ALL; }
    BOOL IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE) != 0; }
    BOOL IsHorz() const { return (m_dwStyle & CBRS_ORIENT_HORZ) != 0; }

    // The bar's size at its edge: bStretch asks for the full length (32767) along the edge.
    // The default is the size the bar was created with.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Called at idle time with the frame to route to; the default updates the bar's child controls.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    DWORD m_dwStyle = 0;
    CSize m_sizeFixed;

protected:
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
