// CSkinCheckBox: a check box that draws itself, themed where visual styles are on.
#include "converter/kit/SkinCheckBox.h"

#include <vsstyle.h>

#include "toolkit/ThemeSupport.h"

CSkinCheckBox::CSkinCheckBox() : m_crText((COLORREF)-1) {}

int CSkinCheckBox::ThemeState() const
{
    const BOOL enabled = IsWindowEnabled();
    const BOOL pushed = IsPressed();
    if (IsChecked()) {
        if (!enabled)
            return CBS_CHECKEDDISABLED;
        return pushed ? CBS_CHECKEDPRESSED : m_bHot ? CBS_CHECKEDHOT : CBS_CHECKEDNORMAL;
    }
    if (!enabled)
        return CBS_UNCHECKEDDISABLED;
    return pushed ? CBS_UNCHECKEDPRESSED : m_bHot ? CBS_UNCHECKEDHOT : CBS_UNCHECKEDNORMAL;
}

void CSkinCheckBox::Draw(CDC* pDC, const CRect& rect)
{
    PaintParentBackground(this, pDC);
    const BOOL disabled = !IsWindowEnabled();
    CRect box(rect.left, rect.top + 1, rect.left + 13, rect.top + 14);
    CThemeData theme;
    if (!(ButtonVisualStylesOn() && theme.Open(m_hWnd, L"Button") &&
          SUCCEEDED(theme.DrawBackground(pDC->GetSafeHdc(), BP_CHECKBOX, ThemeState(), &box))))
        pDC->DrawFrameControl(&box, DFC_BUTTON,
                              DFCS_BUTTONCHECK | (IsChecked() ? DFCS_CHECKED : 0) | (disabled ? DFCS_INACTIVE : 0) |
                                  (IsPressed() ? DFCS_PUSHED : 0));
    CRect text(rect.left + 16, rect.top, rect.right, rect.bottom);
    CString label;
    GetWindowText(label);
    {
        CGdiSelector font(*pDC, GetFont());
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF colour = pDC->SetTextColor(
            disabled ? ::GetSysColor(COLOR_GRAYTEXT) : m_crText == (COLORREF)-1 ? ::GetSysColor(COLOR_BTNTEXT) : m_crText);
        pDC->DrawText(label, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        pDC->SetTextColor(colour);
        pDC->SetBkMode(mode);
    }
    if (HasFocusState()) {
        CRect focus(text.left - 1, text.top, text.right, text.bottom - 1);
        pDC->DrawFocusRect(&focus);
    }
}
