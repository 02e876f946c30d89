// CStatusProgressBar: the status band of a conversion, with its half-transparent progress fill,
// and the off-screen bitmap DC it blends the fill from.
#pragma once

#include "framework/Controls.h"
#include "framework/Handles.h"

// A DC with a bitmap of its own, compatible with the reference DC (the screen's when none) and
// filled with one colour; the bitmap goes with the object.
class COffscreenDC : public CDC {
public:
    COffscreenDC(int width, int height, CDC* pReferenceDC, COLORREF fill);
    ~COffscreenDC() override;
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = NULL;
    int m_nWidth;
    int m_nHeight;
};

// The status band of a conversion: a light bar with the done part blended over it in the fill
// colour and the status text on top.
class CStatusProgressBar : public CWnd {
public:
    CStatusProgressBar();

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Redraws without erasing when the window exists.
    void SetState(__int64 position, __int64 total, int kind);
    void SetText(LPCWSTR lpszText);
    void SetFillColor(COLORREF color) { m_crFill = color; }
    void SetTextColor(COLORREF color) { m_crText = color; }
    void SetBkColor(COLORREF color) { m_crBackground = color; }

    __int64 GetTotal() const { return m_nTotal; }
    __int64 GetPosition() const { return m_nPosition; }
    int GetKind() const { return m_nKind; }
    const CString& GetText() const { return m_strText; }
    COLORREF GetFillColor() const { return m_crFill; }
    // The width of the filled part in a client area that wide: 0 without a total or with a
    // negative position, never more than the width.
    static int FilledWidth(int clientWidth, __int64 position, __int64 total);

    // Draws the bar into any DC (the window's paint and tests use it).
    void Paint(CDC* pDC, const CRect& client);

protected:
    __int64 m_nTotal;
    __int64 m_nPosition;
    int m_nKind;
    CString m_strText;
    COLORREF m_crBackground;
    COLORREF m_crText;
    COLORREF m_crFill;

    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
