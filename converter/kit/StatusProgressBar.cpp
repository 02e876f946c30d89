// CStatusProgressBar and its off-screen DC.
#include "converter/kit/StatusProgressBar.h"

#include "converter/app/ConverterEnvironment.h"
#include "toolkit/MemoryDC.h"

// COffscreenDC ------------------------------------------------------------------------------------

COffscreenDC::COffscreenDC(int width, int height, CDC* pReferenceDC, COLORREF fill)
    : m_nWidth(width > 0 ? width : 0), m_nHeight(height > 0 ? height : 0)
{
    HDC reference = pReferenceDC ? pReferenceDC->GetSafeHdc() : nullptr;
    HDC screen = reference ? nullptr : ::GetDC(nullptr);
    HDC base = reference ? reference : screen;
    if (Attach(::CreateCompatibleDC(base))) {
        // A bitmap of at least one pixel, so that the DC always has a surface of the base's depth.
        m_bitmap.CreateCompatibleBitmap(base, m_nWidth > 0 ? m_nWidth : 1, m_nHeight > 0 ? m_nHeight : 1);
        if (m_bitmap.GetSafeHandle())
            m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.GetSafeHandle());
        if (reference)
            ::SetMapMode(m_hDC, ::GetMapMode(reference));
        FillSolidRect(0, 0, m_nWidth, m_nHeight, fill);
    }
    if (screen)
        ::ReleaseDC(nullptr, screen);
}

COffscreenDC::~COffscreenDC()
{
    if (m_hDC && m_hOldBitmap)
        ::SelectObject(m_hDC, m_hOldBitmap);
}

// CStatusProgressBar ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusProgressBar, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CStatusProgressBar::CStatusProgressBar()
    : m_nTotal(100),
      m_nPosition(0),
      m_nKind(0),
      m_crBackground(::GetSysColor(COLOR_WINDOW)),
      m_crText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_crFill(RGB(0, 160, 255))
{
}

BOOL CStatusProgressBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(nullptr, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

void CStatusProgressBar::SetState(__int64 position, __int64 total, int kind)
{
    m_nPosition = position;
    m_nTotal = total;
    m_nKind = kind;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CStatusProgressBar::SetText(LPCWSTR lpszText)
{
    m_strText = lpszText ? lpszText : L"";
    if (m_hWnd)
        Invalidate(TRUE);
}

int CStatusProgressBar::FilledWidth(int clientWidth, __int64 position, __int64 total)
{
    if (total <= 0 || position < 0 || clientWidth <= 0)
        return 0;
    if (position >= total)
        return clientWidth;
    return (int)((__int64)clientWidth * position / total);
}

void CStatusProgressBar::Paint(CDC* pDC, const CRect& client)
{
    pDC->FillSolidRect(&client, RGB(0xE8, 0xE8, 0xE8));
    CBrush frame(RGB(0xD0, 0xD0, 0xD0));
    pDC->FrameRect(&client, &frame);

    const int filled = FilledWidth(client.Width(), m_nPosition, m_nTotal);
    if (filled > 0) {
        COffscreenDC fill(filled, client.Height(), pDC, RGB(255, 255, 255));
        fill.FillSolidRect(0, 0, filled, client.Height(), m_crFill);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 0x80, 0};
        pDC->AlphaBlend(client.left, client.top, filled, client.Height(), &fill, 0, 0, filled, client.Height(), blend);
    }

    if (!m_strText.IsEmpty()) {
        CRect text = client;
        text.DeflateRect(4, 0);
        CConverterEnvironment* environment = GetConverterEnvironment();
        CGdiSelector font(*pDC, environment ? environment->GetNormalFont() : nullptr);
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF colour = pDC->SetTextColor(m_crText);
        pDC->DrawText(m_strText, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        pDC->SetTextColor(colour);
        pDC->SetBkMode(mode);
    }
}

void CStatusProgressBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CMemoryDC memory(&dc, &client);
    Paint(&memory, client);
}
