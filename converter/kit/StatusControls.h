// Small controls of the conversion dialogs: the status bar with its half-transparent progress fill,
// the picture control that shows one image of an image list, an off-screen bitmap DC, the shell's
// folder browser, and the paint routine of a media preview.
#pragma once

#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"

class CRasterImage;

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

// A static control that shows one image of an image list centred in its area.
class CImageStatic : public CStatic {
public:
    CImageStatic();

    // The list is not owned; the image size is taken from its image 0.
    void SetImageList(CImageList* pImageList, int nIndex);
    // Redraws only when the index changes; -1 shows nothing.
    void SetIndex(int nIndex);
    // -1: no background of its own.
    void SetBkColor(COLORREF color);
    int GetIndex() const { return m_nIndex; }
    CSize GetImageSize() const { return CSize(m_nImageWidth, m_nImageHeight); }

protected:
    CImageList* m_pImageList;
    int m_nIndex;
    int m_nImageWidth;
    int m_nImageHeight;
    COLORREF m_crBackground;

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// The shell's folder dialog, file-system folders only, starting at a folder of the caller's.
class CFolderBrowser {
public:
    CFolderBrowser(LPCWSTR lpszTitle, UINT nFlags, CWnd* pOwner);

    void SetFolder(LPCWSTR lpszPath) { m_strStartFolder = lpszPath; }
    // 1 when a folder was chosen (GetFolder), 2 otherwise.
    int DoModal();
    const CString& GetFolder() const { return m_strFolder; }
    UINT GetFlags() const { return m_nFlags; }

    CString m_strStartFolder;
    CWnd* m_pOwner;
    UINT m_nFlags;
    CString m_strTitle;
    CString m_strFolder;
    int m_nImage;

private:
    static int CALLBACK BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
};

// A media preview: kind 1 video (with its thumbnail when one is loaded), 2 audio, 3 image,
// 4 other media; any other kind draws only the frame.
void PaintMediaPreview(CDC* pDC, const CRect& client, int kind, CRasterImage* pThumbnail);
// The largest rectangle of the picture's proportions centred in the box.
CRect FitPictureRect(const CRect& box, int width, int height);
