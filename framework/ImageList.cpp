// CImageList: ownership, temporary wrappers and the resource and drag helpers.
#include "framework/ImageList.h"

#include "framework/Dialog.h"

#include <map>

namespace {

struct TemporaryImageLists {
    std::map<HIMAGELIST, CImageList*> items;
    ~TemporaryImageLists() {
        for (auto& e : items) {
            e.second->Detach();
            delete e.second;
        }
    }
};

} // namespace

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST h)
{
    if (!h) return NULL;
    static thread_local TemporaryImageLists temporaries;
    CImageList*& item = temporaries.items[h];
    if (!item) {
        item = new CImageList;
        item->m_hImageList = h;
    }
    return item;
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (hImageList != m_hImageList) {
        DeleteImageList();
        m_hImageList = hImageList;
    }
    return hImageList != NULL;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList) return FALSE;
    BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = NULL;
    return ok;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    AfxInitCommonControls();
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Create(MAKEINTRESOURCEW(nBitmapID), cx, nGrow, crMask);
}

BOOL CImageList::Create(LPCWSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask)
{
    AfxInitCommonControls();
    return Attach(ImageList_LoadImageW(AfxGetResourceHandle(), lpszBitmapID, cx, nGrow, crMask, IMAGE_BITMAP,
                                       LR_CREATEDIBSECTION));
}

BOOL PASCAL CImageList::DragEnter(CWnd* pWndLock, CPoint point)
{
    return ImageList_DragEnter(pWndLock->GetSafeHwnd(), point.x, point.y);
}

BOOL PASCAL CImageList::DragLeave(CWnd* pWndLock)
{
    return ImageList_DragLeave(pWndLock->GetSafeHwnd());
}
