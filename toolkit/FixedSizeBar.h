// CFixedSizeBar: a control bar of one fixed size (stretched along its edge by the frame), the base
// of the bars that host windowless elements.
#pragma once

#include "framework/framework.h"

class CFixedSizeBar : public CControlBar {
    DECLARE_DYNAMIC(CFixedSizeBar)
public:
    CFixedSizeBar();

    using CControlBar::Create;
    // Keeps dwStyle & CBRS_ALL as the bar style and the rectangle's width and height as the fixed
    // size, then creates the window (a child of pParentWnd, which owns it). The window class has
    // no double clicks, so quick clicks on an element are clicks each.
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CFrameWnd* pParentWnd, UINT nID);

    // Not stretched: the fixed size; stretched: 32767 along the edge.
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    int GetFixedWidth() const { return m_sizeFixed.cx; }
    int GetFixedHeight() const { return m_sizeFixed.cy; }
};
