// CImageList: the owner of a common-control image list (images, masks, drawing, dragging).
#pragma once

#include "framework/Geometry.h"
#include "framework/Handles.h"

#include <windows.h>
#include <commctrl.h>

class CWnd;

// Destroys its list with the owner unless detached; FromHandle wrappers do not own theirs
// (the list of a control belongs to whoever gave it to the control).
class CImageList {
public:
    CImageList() {}
    virtual ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { const CImageList* p = detail::OpaquePtr(this); return p ? p->m_hImageList : NULL; }
    static CImageList* PASCAL FromHandle(HIMAGELIST h);

    // nFlags: ILC_COLOR32, ILC_COLOR24..., with ILC_MASK for transparent images.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // A strip bitmap resource cut into images cx wide; crMask is the transparent colour
    // (CLR_NONE for none).
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Create(LPCWSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach() { HIMAGELIST h = m_hImageList; m_hImageList = NULL; return h; }
    BOOL DeleteImageList();

    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL SetImageCount(UINT n) { return ImageList_SetImageCount(m_hImageList, n); }
    // Each returns the index of the first new image, -1 on failure. The bitmaps are copied.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask) {
        return ImageList_Add(m_hImageList, (HBITMAP)pbmImage->GetSafeHandle(), (HBITMAP)pbmMask->GetSafeHandle());
    }
    int Add(CBitmap* pbmImage, COLORREF crMask) {
        return ImageList_AddMasked(m_hImageList, (HBITMAP)pbmImage->GetSafeHandle(), crMask);
    }
    int Add(HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, -1, hIcon); }
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask) {
        return ImageList_Replace(m_hImageList, nImage, (HBITMAP)pbmImage->GetSafeHandle(), (HBITMAP)pbmMask->GetSafeHandle());
    }
    int Replace(int nImage, HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon); }
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    BOOL RemoveAll() { return ImageList_RemoveAll(m_hImageList); }
    // The caller destroys the icon (DestroyIcon).
    HICON ExtractIcon(int nImage) const { return ImageList_GetIcon(m_hImageList, nImage, ILD_TRANSPARENT); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const { return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo); }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    BOOL SetIconSize(int cx, int cy) { return ImageList_SetIconSize(m_hImageList, cx, cy); }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    COLORREF GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }
    BOOL SetOverlayImage(int nImage, int nOverlay) { return ImageList_SetOverlayImage(m_hImageList, nImage, nOverlay); }
    BOOL Copy(int iDst, int iSrc, UINT uFlags = ILCF_MOVE) { return ImageList_Copy(m_hImageList, iDst, m_hImageList, iSrc, uFlags); }

    // nStyle: ILD_NORMAL, ILD_TRANSPARENT, ILD_MASK, ILD_BLEND50...
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
        return ImageList_Draw(m_hImageList, nImage, pDC->GetSafeHdc(), pt.x, pt.y, nStyle);
    }
    BOOL DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle) {
        return ImageList_DrawEx(m_hImageList, nImage, pDC->GetSafeHdc(), pt.x, pt.y, sz.cx, sz.cy, clrBk, clrFg, nStyle);
    }
    BOOL DrawIndirect(IMAGELISTDRAWPARAMS* pimldp) { return ImageList_DrawIndirect(pimldp); }

    // Dragging: BeginDrag on this list, then the static calls with screen or window points.
    BOOL BeginDrag(int nImage, CPoint ptHotSpot) { return ImageList_BeginDrag(m_hImageList, nImage, ptHotSpot.x, ptHotSpot.y); }
    static void PASCAL EndDrag() { ImageList_EndDrag(); }
    static BOOL PASCAL DragEnter(CWnd* pWndLock, CPoint point);
    static BOOL PASCAL DragLeave(CWnd* pWndLock);
    static BOOL PASCAL DragMove(CPoint pt) { return ImageList_DragMove(pt.x, pt.y); }
    static BOOL PASCAL DragShowNolock(BOOL bShow) { return ImageList_DragShowNolock(bShow); }
    BOOL SetDragCursorImage(int nDrag, CPoint ptHotSpot) {
        return ImageList_SetDragCursorImage(m_hImageList, nDrag, ptHotSpot.x, ptHotSpot.y);
    }
    // The list being dragged (not owned by the wrapper).
    static CImageList* PASCAL GetDragImage(LPPOINT lpPoint, LPPOINT lpPointHotSpot) {
        return FromHandle(ImageList_GetDragImage(lpPoint, lpPointHotSpot));
    }

    HIMAGELIST m_hImageList = NULL;
};
