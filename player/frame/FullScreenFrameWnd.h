// CFullScreenFrameWnd: the player's frame with a full-screen mode: the window is placed so that
// its client area covers the primary screen (and, by an inset the derived frame sets, more), and
// the placement it came from is restored afterwards and is what closing stores.
#pragma once

#include "toolkit/AppFrameWnd.h"

class CFullScreenFrameWnd : public CAppFrameWnd_OVMB {
    DECLARE_DYNCREATE(CFullScreenFrameWnd)
public:
    enum { FULL_SCREEN_OFF = 0, FULL_SCREEN_ENTERING = 1, FULL_SCREEN_ON = 2 };

    CFullScreenFrameWnd();

    // Off: the placement is saved and the client area is made to cover the screen, past its edges
    // by the inset and 2 pixels more; on (or entering): the saved placement comes back.
    virtual void ToggleFullScreen();

    int GetFullScreenState() const { return m_nFullScreenState; }
    BOOL IsFullScreen() const { return m_nFullScreenState != FULL_SCREEN_OFF; }
    // How far the client area reaches past each screen edge (left, top, right, bottom amounts, all
    // 0 at first); the derived frame sets it before each toggle so that its side panes and bars
    // fall outside the screen.
    void SetFullScreenInset(const RECT& inset) { m_rcInset = inset; }
    const CRect& GetFullScreenInset() const { return m_rcInset; }
    // The window rectangle of full screen, in screen coordinates.
    const CRect& GetFullScreenRect() const { return m_rcFullScreen; }
    const WINDOWPLACEMENT& GetSavedPlacement() const { return m_wpSaved; }

    // The window rectangle that puts the client area over the screen rectangle, with the inset
    // and 2 pixels more on every side (window and client rectangles in screen coordinates).
    static CRect FullScreenRectFor(const CRect& rcWindow, const CRect& rcClient, const CRect& rcScreen,
                                   const CRect& rcInset);

    // After the base: no document title in the caption, no client edge.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // While in full screen, closing stores the placement full screen came from.
    UINT GetPlacementToSave(CRect& rect) override;

protected:
    int m_nFullScreenState = FULL_SCREEN_OFF;
    WINDOWPLACEMENT m_wpSaved;
    CRect m_rcFullScreen;
    CRect m_rcInset;

    // While not off: the window may be as large as the full-screen rectangle, larger than the screen.
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    // In full screen the window stays where it is.
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    DECLARE_MESSAGE_MAP()
};
