// Windowless bar elements (buttons, image and text buttons, sliders, menu titles) and the host
// that keeps, tracks and draws them inside one bar window.
//
// A bar window derives from a control bar and from CBarElementHost (constructed with the bar
// itself as the owner window). Its PreTranslateMessage hands every message to RelayMouseMessage
// before the control-bar base; its WM_PAINT draws the elements (DrawItems); its WM_MOUSELEAVE
// calls OnBarMouseLeave and its WM_CAPTURECHANGED OnCaptureLost; its OnUpdateCmdUI calls UpdateCmdUI.
// Buttons post WM_COMMAND to the owner window (the bar passes commands on to its frame); sliders
// send it WM_BAR_ELEMENT_CHANGED.
#pragma once

#include "framework/framework.h"

#include <vector>

class CBarElementHost;

// Sent (SendMessage) by a slider to its owner window when the user moved it: wParam the new
// position, lParam the element.
const UINT WM_BAR_ELEMENT_CHANGED = WM_USER + 502;

// Element flags; the bits above are free for derived kinds.
const DWORD BEF_DISABLED = 0x10;
const DWORD BEF_HIDDEN = 0x20;

// Text element styles (neither bit: centred).
const DWORD BES_LEFT = 0x1;
const DWORD BES_RIGHT = 0x4;

// Draw states of the buttons, also the image numbers of a one-image-per-state list.
enum BarElementState { BES_STATE_NORMAL = 0, BES_STATE_HOT = 1, BES_STATE_FOCUS = 2, BES_STATE_PRESSED = 3,
                       BES_STATE_DISABLED = 4 };

class CBarElement {
public:
    explicit CBarElement(CBarElementHost* pHost);
    CBarElement(const CBarElement&) = delete;
    CBarElement& operator=(const CBarElement&) = delete;

    // Slots 0-12 in this order; derived kinds add theirs after them.
    virtual ~CBarElement();
    // 0 none; -1 asks the host before a press (CButtonElement::CanPress).
    virtual int GetCommandId() const;
    virtual void GetRect(LPRECT lpRect) const;
    virtual BOOL IsDisabled() const;
    virtual BOOL IsHidden() const;
    virtual void SetRect(int left, int top, int right, int bottom, BOOL bRedraw);
    virtual BOOL PtInItem(POINT pt) const;
    // flags = add | (flags & ~remove); returns 1.
    virtual BOOL ModifyFlags(DWORD dwRemove, DWORD dwAdd, BOOL bRedraw);
    virtual void SetHidden(BOOL bHidden);
    // 0 when the element already is in that state, else 1 (and redrawn).
    virtual BOOL Enable(BOOL bOn);
    // The rectangle is invalidated in the bar window without erasing; bUpdateNow paints at once.
    virtual void Invalidate(BOOL bUpdateNow);
    // Whether the element used the message (client coordinates in lParam).
    virtual BOOL OnMouseMessage(const MSG* pMsg);
    virtual void Draw(CDC* pDC) = 0;

    CBarElementHost* GetHost() const { return m_pHost; }
    const CRect& GetItemRect() const { return m_rect; }
    DWORD GetFlags() const { return m_dwFlags; }
    DWORD GetStyle() const { return m_dwStyle; }
    void SetStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    void SetCommandId(int nID) { m_nCommandId = nID; }
    BOOL IsHot() const;
    BOOL IsPressed() const;
    BOOL IsFocused() const;
    BOOL IsCaptured() const;

protected:
    CBarElementHost* m_pHost;
    DWORD m_dwStyle = 0;
    CRect m_rect;
    DWORD m_dwFlags = 0;
    CWnd* m_pOwnerWnd;
    int m_nCommandId = 0;
};

// A push button: background from colours or an image list, a press that clicks only when
// released inside, and WM_COMMAND to the owner window.
class CButtonElement : public CBarElement {
public:
    CButtonElement(CBarElementHost* pHost, const RECT& rect, int nCommandId);

    int GetCommandId() const override;
    BOOL OnMouseMessage(const MSG* pMsg) override;
    void Draw(CDC* pDC) override;
    // Slots 13-16.
    virtual void DrawBackground(CDC* pDC, const CRect& rect, int nState);
    virtual void DrawForeground(CDC* pDC, const CRect& rect, int nState);
    virtual BOOL CanPress();
    // Posts WM_COMMAND (id, lParam 0) to the owner window unless the id is 0 or -1; returns 1.
    virtual BOOL Click();

    // The state Draw uses: disabled, pressed, hot, focus (while the owner window has the keyboard
    // focus), else normal.
    int GetDrawState() const;
    // -1: no fill.
    void SetBackgroundColors(COLORREF crNormal, COLORREF crHot);
    // Mode 0: one image per state at the rectangle's corner; 1: three slices per state across
    // (left, middle repeated every slice width, right); 2: the same downwards. The list is not
    // owned; null returns to the colours.
    void SetBackgroundImages(CImageList* pImages, int nMode, int nSliceWidth, int nSliceHeight);

protected:
    COLORREF m_crBackground = (COLORREF)-1;
    COLORREF m_crBackgroundHot = (COLORREF)-1;
    CImageList* m_pBackgroundImages = NULL;
    int m_nBackgroundMode = 0;
    int m_nSliceWidth = 0;
    int m_nSliceHeight = 0;
};

// A button that shows image number = draw state of its list, centred (one pixel right and down
// while pressed).
class CImageButtonElement : public CButtonElement {
public:
    CImageButtonElement(CBarElementHost* pHost, const RECT& rect, int nCommandId);

    void DrawForeground(CDC* pDC, const CRect& rect, int nState) override;
    // Not owned; the image size comes from image 0.
    void SetImageList(CImageList* pImages, BOOL bRedraw = FALSE);
    CImageList* GetImageList() const { return m_pImages; }

protected:
    CImageList* m_pImages = NULL;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
};

// A button that shows a text on one line (style BES_LEFT or BES_RIGHT, else centred).
class CTextElement : public CButtonElement {
public:
    CTextElement(CBarElementHost* pHost, const RECT& rect, int nCommandId);

    void DrawForeground(CDC* pDC, const CRect& rect, int nState) override;
    void SetText(LPCWSTR lpszText, BOOL bRedraw);
    const CString& GetText() const { return m_strText; }
    void SetTextColors(COLORREF crNormal, COLORREF crHot, COLORREF crDisabled);
    // Not owned; null uses the owner window's font.
    void SetFont(CFont* pFont) { m_pFont = pFont; }

protected:
    CString m_strText;
    COLORREF m_crText;
    COLORREF m_crTextHot;
    COLORREF m_crTextDisabled;
    CFont* m_pFont = NULL;
};

// A horizontal slider drawn from a four-image list: 0 channel, 1 filled channel, 2 thumb hot,
// 3 thumb pressed or dragged (no thumb otherwise). Dragging the thumb or clicking the channel
// moves it and tells the owner window (WM_BAR_ELEMENT_CHANGED). Positions map to pixels in
// 64-bit arithmetic, so long ranges on wide channels stay exact.
class CBarSliderElement : public CBarElement {
public:
    CBarSliderElement(CBarElementHost* pHost, const RECT& rect);

    BOOL OnMouseMessage(const MSG* pMsg) override;
    void Draw(CDC* pDC) override;

    int GetMin() const { return m_nMin; }
    int GetMax() const { return m_nMax; }
    int GetPos() const { return m_nPos; }
    void SetRange(int nMin, int nMax, BOOL bRedraw);
    // The position is lowered to a new maximum below it; redrawn.
    void SetMax(int nMax);
    // Clamped to the range; nothing when unchanged.
    void SetPos(int nPos, BOOL bRedraw);
    // 0 when unchanged; else stores, redraws, sends WM_BAR_ELEMENT_CHANGED and returns 1.
    BOOL SetPosNotify(int nPos);
    // Not owned; the thumb size comes from image 0.
    void SetThumbImages(CImageList* pImages);

    // The channel: the rectangle less half a thumb at each end, one thumb high, centred.
    CRect GetChannelRect() const;
    int GetThumbCenter() const;
    CRect GetThumbRect() const;
    // The position under x: -1 for an empty or inverted range, a channel of no width, or (without
    // bClamp) a point outside the element; without bClamp points beside the channel give the
    // ends, with it x is brought into the channel. Rounds to the nearest step.
    int PosFromPoint(int x, int y, BOOL bClamp) const;

protected:
    // Channel tiles, then the filled part up to the thumb.
    void DrawChannel(CDC* pDC, const CRect& channel);
    void DrawThumb(CDC* pDC);
    void TileImage(CDC* pDC, CImageList* pImages, int nImage, int left, int right, int top, int tileWidth, int height);

    int m_nMin = 0;
    int m_nMax = 0;
    int m_nPos = 0;
    CImageList* m_pThumbImages = NULL;
    int m_nThumbWidth = 0;
    int m_nThumbHeight = 0;
};

// A slider whose channel ends in caps (image 0 at the left end, image 1 at the right end).
class CBarCappedSliderElement : public CBarSliderElement {
public:
    CBarCappedSliderElement(CBarElementHost* pHost, const RECT& rect);

    void Draw(CDC* pDC) override;
    // Not owned; the cap size comes from image 0.
    void SetCapImages(CImageList* pImages);

protected:
    CImageList* m_pCapImages = NULL;
    int m_nCapWidth = 0;
    int m_nCapHeight = 0;
};

// One title of a menu bar: its text (with '&' before the mnemonic) and mnemonic.
class CMenuBarElement : public CBarElement {
public:
    CMenuBarElement(CBarElementHost* pHost, LPCWSTR lpszTitle);

    // With the system's menu colours (the menu bar draws through DrawItem with its own).
    void Draw(CDC* pDC) override;
    // Slots 13-15: DrawItem draws the background, then the text, unless hidden.
    virtual void DrawItem(CDC* pDC, COLORREF crText, COLORREF crTextHot, COLORREF crHighlight);
    // The highlight colour fills the rectangle while the title is hot or pressed.
    virtual void DrawBackground(CDC* pDC, COLORREF crHighlight, const CRect& rect);
    virtual void DrawText(CDC* pDC, COLORREF crText, COLORREF crTextHot, const CRect& rect);

    const CString& GetTitle() const { return m_strTitle; }
    WCHAR GetMnemonic() const { return m_chMnemonic; }
    // The character after the first '&' when that '&' is not the last character, else the first
    // character (0 for an empty title).
    static WCHAR MnemonicOf(const CString& title);

protected:
    CString m_strTitle;
    WCHAR m_chMnemonic;
};

// The host of a bar window's elements: owns them, keeps the hot, focus, pressed and captured one
// (at most one each), relays the bar's mouse messages and updates their command states.
class CBarElementHost {
public:
    explicit CBarElementHost(CWnd* pOwnerWnd);
    CBarElementHost(const CBarElementHost&) = delete;
    CBarElementHost& operator=(const CBarElementHost&) = delete;

    // Slots 0-10 in this order.
    virtual ~CBarElementHost();  // deletes the elements
    // Takes ownership; returns the index.
    virtual int AddItem(CBarElement* pItem);
    virtual void DeleteAllItems();
    virtual CBarElement* GetItem(int nIndex) const;
    virtual int FindItem(const CBarElement* pItem) const;
    // The first element whose rectangle holds the point (hidden ones too), -1 for none.
    virtual int HitTest(int x, int y) const;
    virtual void ModifyItemFlags(int nIndex, DWORD dwRemove, DWORD dwAdd, BOOL bRedraw);
    // Every element with a command id, the last one included: its owner window's reflected and
    // own update handlers first, then the target's route; then the owner window's child controls.
    virtual void UpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
    virtual BOOL CanClick(CBarElement* pItem);
    // The OR of what the visible, enabled elements answer.
    virtual BOOL RelayMouseMessage(const MSG* pMsg);
    // Draw of every visible element, in order.
    virtual void DrawItems(CDC* pDC);

    int GetItemCount() const { return (int)m_items.size(); }
    CWnd* GetOwnerWnd() const { return m_pOwnerWnd; }
    CBarElement* GetHotItem() const { return m_pHotItem; }
    CBarElement* GetFocusItem() const { return m_pFocusItem; }
    CBarElement* GetPressedItem() const { return m_pPressedItem; }
    CBarElement* GetCapturedItem() const { return m_pCapturedItem; }

    void SetHotItem(CBarElement* pItem);
    // Pressed, hot and focus element become pItem.
    void SetPressedItem(CBarElement* pItem);
    // Takes (or, for null, releases) the mouse capture on the owner window.
    void SetCapturedItem(CBarElement* pItem);
    // pItem stops being hot and pressed (redrawn when it was either).
    void ReleaseItem(CBarElement* pItem);
    void CancelTracking(BOOL bAlsoPressed);
    // Asks once per entry of the mouse for WM_MOUSELEAVE on the owner window.
    void StartMouseLeaveTracking();
    // The bar window's WM_MOUSELEAVE.
    void OnBarMouseLeave() { m_bTrackingMouseLeave = FALSE; }
    // The bar window's WM_CAPTURECHANGED: an element that held the mouse lets go (a drag cannot
    // go on without the capture).
    void OnCaptureLost();

protected:
    CWnd* m_pOwnerWnd;
    CBarElement* m_pHotItem = NULL;
    CBarElement* m_pFocusItem = NULL;
    CBarElement* m_pPressedItem = NULL;
    CBarElement* m_pCapturedItem = NULL;
    std::vector<CBarElement*> m_items;
    BOOL m_bTrackingMouseLeave = FALSE;
};

// The command-state update of one element: only Enable acts.
class CBarElementCmdUI : public CCmdUI {
public:
    CBarElement* m_pElement = NULL;
    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCWSTR) override {}
};
