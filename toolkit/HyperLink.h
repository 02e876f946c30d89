// CHyperLink: an owner-drawn button that shows a text as a link and opens its address when clicked.
#pragma once

#include "framework/Controls.h"

class CHyperLink : public CButton {
public:
    CHyperLink();

    // Stores the address, shows the caption when one is given, redraws.
    void SetURL(LPCWSTR lpszURL, LPCWSTR lpszCaption = NULL);
    const CString& GetURL() const { return m_strURL; }
    // The font while the mouse is over the link (null: the window's font); not owned.
    void SetHoverFont(CFont* pFont) { m_pHoverFont = pFont; }
    void SetColors(COLORREF link, COLORREF hover) { m_crLink = link; m_crHover = hover; }
    void SetBackgroundColor(COLORREF color) { m_crBackground = color; }
    // Transparent: the parent paints the background behind the text.
    void SetTransparent(BOOL bTransparent) { m_bTransparent = bTransparent; }
    BOOL IsHovering() const { return m_bHovering; }
    // Makes the control as wide as its text in the window's font, plus 4 pixels (not multi-line
    // ones): as wide as the text measures or as it draws, whichever is wider.
    void SizeToText();

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    CString m_strURL;
    CFont* m_pHoverFont = NULL;
    COLORREF m_crLink = RGB(0, 0, 255);
    COLORREF m_crHover = RGB(255, 0, 0);
    COLORREF m_crBackground;
    BOOL m_bHovering = FALSE;
    BOOL m_bTransparent = FALSE;

    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    // A click with an address opens it and is handled; one without goes on to the parent.
    BOOL OnClicked();
    void PaintParentBackground(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
