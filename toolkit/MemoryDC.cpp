// The off-screen painting DC.
#include "toolkit/MemoryDC.h"

CMemoryDC::CMemoryDC(CDC* pDC, const RECT* pRect) : m_pDC(pDC)
{
    m_bPrinting = pDC->IsPrinting();
    if (pRect)
        m_rect = *pRect;
    else
        pDC->GetClipBox(&m_rect);

    if (!m_bPrinting && !m_rect.IsRectEmpty() && CreateCompatibleDC(pDC)) {
        if (m_bitmap.CreateCompatibleBitmap(pDC, m_rect.Width(), m_rect.Height())) {
            m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap);
            SetWindowOrg(m_rect.left, m_rect.top);
            m_bBuffered = TRUE;
            return;
        }
        DeleteDC();
    }
    // A printer, an empty area or a bitmap that cannot be made (a huge window, no memory left):
    // drawing goes straight to the target rather than nowhere.
    m_hDC = pDC->m_hDC;
    m_hAttribDC = pDC->m_hAttribDC;
}

CMemoryDC::~CMemoryDC()
{
    if (m_bBuffered) {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                      SRCCOPY);
        ::SelectObject(m_hDC, m_hOldBitmap);
        m_bitmap.DeleteObject();
    } else {
        // The target's handles belong to the target.
        Detach();
    }
}
