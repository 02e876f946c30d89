// CElementBar: a fixed-size control bar whose items are windowless bar elements, hosted by the
// bar itself (its second base), as the playback control bar is made.
#pragma once

#include "toolkit/BarElement.h"
#include "toolkit/FixedSizeBar.h"

class CElementBar : public CFixedSizeBar, public CBarElementHost {
    DECLARE_DYNAMIC(CElementBar)
public:
    CElementBar();

    // The host the bar's elements are made with (the bar itself).
    CBarElementHost* GetElementHost() { return this; }

    // The bar's own mouse messages reach the elements before the control-bar base sees them.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The elements' command states, through the bar first and then the frame's routing.
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    // The ground under the elements; the base fills the client rectangle with COLOR_BTNFACE.
    virtual void DrawBackground(CDC* pDC, const CRect& rcClient);
    // A message of the bar's window after the elements had it (bUsed: one of them took it);
    // TRUE keeps it from the window. The base does nothing with it.
    virtual BOOL OnBarMessage(MSG* pMsg, BOOL bUsed);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseLeave();
    void OnCaptureChanged(CWnd* pWnd);
    DECLARE_MESSAGE_MAP()
};
