// CSkinButton: a themed push or toolbar button, or one drawn from an image list, with an image
// beside its text.
#include "converter/kit/SkinButton.h"

#include <vsstyle.h>

#include "toolkit/ThemeSupport.h"

CSkinButton::CSkinButton()
    : m_nStyle(STYLE_PUSH),
      m_pBackground(nullptr),
      m_nBackgroundMode(BACKGROUND_ONE_IMAGE),
      m_nSliceWidth(0),
      m_nSliceHeight(0),
      m_pForeground(nullptr),
      m_nImageIndex(-1),
      m_nImageWidth(0),
      m_nImageHeight(0),
      m_bNoPressedOffset(FALSE),
      m_crText((COLORREF)-1)
{
}

void CSkinButton::SetBackgroundImages(CImageList* pImages, int mode, int sliceWidth, int sliceHeight)
{
    m_pBackground = pImages;
    m_nBackgroundMode = mode;
    m_nSliceWidth = sliceWidth;
    m_nSliceHeight = sliceHeight;
    Repaint();
}

void CSkinButton::SetForegroundImages(CImageList* pImages, int index)
{
    m_pForeground = pImages;
    m_nImageIndex = index;
    m_nImageWidth = m_nImageHeight = 0;
    IMAGEINFO info = {};
    if (pImages && pImages->GetSafeHandle() && pImages->GetImageInfo(0, &info)) {
        m_nImageWidth = info.rcImage.right - info.rcImage.left;
        m_nImageHeight = info.rcImage.bottom - info.rcImage.top;
    }
    Repaint();
}

void CSkinButton::SetImageIndex(int index)
{
    m_nImageIndex = index;
    Repaint();
}

int CSkinButton::PushThemeState() const
{
    if (!IsWindowEnabled())
        return PBS_DISABLED;
    if (IsPressed() || IsChecked())
        return PBS_PRESSED;
    if (m_bHot)
        return PBS_HOT;
    if ((GetStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
        return PBS_DEFAULTED;
    return PBS_NORMAL;
}

int CSkinButton::ToolbarThemeState() const
{
    if (!IsWindowEnabled())
        return TS_DISABLED;
    if (IsPressed())
        return TS_PRESSED;
    if (IsChecked())
        return TS_CHECKED;
    if (m_bHot)
        return TS_HOT;
    return TS_NORMAL;
}

void CSkinButton::DrawBackground(CDC* pDC, const CRect& rect)
{
    const BOOL disabled = !IsWindowEnabled();
    const BOOL pressed = IsPressed();
    const BOOL checked = IsChecked();
    CRect r = rect;
    if (m_nStyle == STYLE_PUSH) {
        CThemeData theme;
        if (ButtonVisualStylesOn() && theme.Open(m_hWnd, L"Button") &&
            SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), BP_PUSHBUTTON, PushThemeState(), &r)))
            return;
        pDC->DrawFrameControl(&r, DFC_BUTTON,
                              DFCS_BUTTONPUSH | (disabled ? DFCS_INACTIVE : 0) | (pressed ? DFCS_PUSHED : 0) |
                                  (checked ? DFCS_CHECKED : 0));
    } else if (m_nStyle == STYLE_TOOLBAR) {
        CThemeData theme;
        if (ButtonVisualStylesOn() && theme.Open(m_hWnd, L"Toolbar") &&
            SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), TP_BUTTON, ToolbarThemeState(), &r)))
            return;
        if (pressed)
            pDC->DrawEdge(&r, BDR_SUNKENOUTER, BF_RECT);
        else if (m_bHot)
            pDC->DrawEdge(&r, BDR_RAISEDINNER, BF_RECT);
    } else if (m_pBackground && m_pBackground->GetSafeHandle()) {
        const int state = ButtonDrawState(disabled, pressed, checked, m_bHot, HasFocusState());
        if (m_nBackgroundMode == BACKGROUND_ONE_IMAGE) {
            m_pBackground->Draw(pDC, state, r.TopLeft(), ILD_TRANSPARENT);
        } else if (m_nBackgroundMode == BACKGROUND_SLICES_HORIZONTAL && m_nSliceWidth > 0) {
            m_pBackground->Draw(pDC, 3 * state, r.TopLeft(), ILD_TRANSPARENT);
            for (int x = r.left + m_nSliceWidth; x < r.right - m_nSliceWidth; x += m_nSliceWidth)
                m_pBackground->Draw(pDC, 3 * state + 1, CPoint(x, r.top), ILD_TRANSPARENT);
            m_pBackground->Draw(pDC, 3 * state + 2, CPoint(r.right - m_nSliceWidth, r.top), ILD_TRANSPARENT);
        } else if (m_nBackgroundMode == BACKGROUND_SLICES_VERTICAL && m_nSliceHeight > 0) {
            m_pBackground->Draw(pDC, 3 * state, r.TopLeft(), ILD_TRANSPARENT);
            for (int y = r.top + m_nSliceHeight; y < r.bottom - m_nSliceHeight; y += m_nSliceHeight)
                m_pBackground->Draw(pDC, 3 * state + 1, CPoint(r.left, y), ILD_TRANSPARENT);
            m_pBackground->Draw(pDC, 3 * state + 2, CPoint(r.left, r.bottom - m_nSliceHeight), ILD_TRANSPARENT);
        }
    }
}

void CSkinButton::DrawContent(CDC* pDC, const CRect& rect)
{
    const BOOL disabled = !IsWindowEnabled();
    CRect text(rect.left + 4, rect.top, rect.right - 4, rect.bottom - 1);
    if (IsPressed() && !m_bNoPressedOffset)
        text.OffsetRect(1, 1);
    const bool withImage = m_pForeground && m_pForeground->GetSafeHandle() && m_nImageIndex >= 0 &&
                           m_nImageIndex < m_pForeground->GetImageCount();
    if (!withImage) {
        DrawButtonText(this, pDC, text, m_crText, disabled, ButtonTextAlignment(GetStyle()));
        return;
    }
    CString label;
    GetWindowText(label);
    int textWidth = 0;
    if (!label.IsEmpty()) {
        CGdiSelector font(*pDC, GetFont());
        CRect measure(0, 0, 0, 0);
        pDC->DrawText(label, &measure, DT_SINGLELINE | DT_CALCRECT);
        textWidth = measure.Width();
    }
    const int gap = label.IsEmpty() ? 0 : 4;
    int total = m_nImageWidth + gap + textWidth;
    if (total > text.Width())
        total = text.Width();
    const int x = text.left + (text.Width() - total) / 2;
    const int y = text.top + (text.Height() - m_nImageHeight) / 2;
    m_pForeground->Draw(pDC, m_nImageIndex, CPoint(x, y), ILD_TRANSPARENT);
    if (!label.IsEmpty()) {
        CRect after(x + m_nImageWidth + gap, text.top, text.right, text.bottom);
        DrawButtonText(this, pDC, after, m_crText, disabled, DT_LEFT);
    }
}

void CSkinButton::Draw(CDC* pDC, const CRect& rect)
{
    PaintParentBackground(this, pDC);
    DrawBackground(pDC, rect);
    DrawContent(pDC, rect);
}
