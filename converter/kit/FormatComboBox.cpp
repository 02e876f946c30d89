// The format combo box's drawing, the format lists' filling and the frame-rate texts.
#include "converter/kit/FormatComboBox.h"

#include <math.h>

#include <vector>

#include "conversion/MediaPreset.h"
#include "conversion/PresetStore.h"
#include "converter/app/ConverterEnvironment.h"
#include "converter/kit/ConverterHelpers.h"
#include "engine/MediaValueTexts.h"
#include "framework/Ddx.h"
#include "framework/Wnd.h"

namespace {

const COLORREF kHeadingBackground = RGB(0xF0, 0xF0, 0xF0);
const COLORREF kHeadingLine = RGB(0xE0, 0xE0, 0xE0);
const int kIconSpace = 20;
// Room beyond a row's own parts, so that its name never meets the ellipsis by a pixel.
const int kRowSlack = 4;

void SplitAtTab(const CString& label, CString& left, CString& right)
{
    const int tab = label.Find(L'\t');
    left = tab >= 0 ? label.Left(tab) : label;
    right = tab >= 0 ? label.Mid(tab + 1) : CString();
}

bool IsVisible(const CMediaCatalogItem* item)
{
    return !(item->Flags & CATALOG_HIDDEN);
}

}  // namespace

BEGIN_MESSAGE_MAP(CFormatComboBox, CComboBox)
    ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

CFormatComboBox::CFormatComboBox()
    : ImageList(nullptr),
      ColumnWidth(32),
      DetailColor(::GetSysColor(COLOR_BTNSHADOW)),
      RightAlignDetail(0),
      m_nRowKind(ROWS_CATALOG),
      m_bMovedUp(FALSE)
{
}

CFormatComboBox::~CFormatComboBox() {}

int CFormatComboBox::AddCatalogRow(LPCWSTR lpszText, CMediaCatalogItem* pItem)
{
    const int row = AddString(lpszText ? lpszText : L"");
    if (row >= 0)
        SetItemDataPtr(row, pItem);
    return row;
}

int CFormatComboBox::AddPresetRow(LPCWSTR lpszText, CMediaPreset* pPreset)
{
    const int row = AddString(lpszText ? lpszText : L"");
    if (row >= 0)
        SetItemDataPtr(row, pPreset);
    return row;
}

CMediaCatalogItem* CFormatComboBox::GetCatalogItem(int nRow) const
{
    if (m_nRowKind != ROWS_CATALOG || nRow < 0 || nRow >= GetCount())
        return nullptr;
    DWORD_PTR data = GetItemData(nRow);
    return data == (DWORD_PTR)CB_ERR ? nullptr : reinterpret_cast<CMediaCatalogItem*>(data);
}

CMediaPreset* CFormatComboBox::GetPreset(int nRow) const
{
    if (m_nRowKind != ROWS_PRESETS || nRow < 0 || nRow >= GetCount())
        return nullptr;
    DWORD_PTR data = GetItemData(nRow);
    return data == (DWORD_PTR)CB_ERR ? nullptr : reinterpret_cast<CMediaPreset*>(data);
}

BOOL CFormatComboBox::IsHeadingRow(int nRow) const
{
    const CMediaCatalogItem* item = GetCatalogItem(nRow);
    return item && (item->Flags & CATEGORY_ITEM);
}

int CFormatComboBox::FormatRowFrom(int nRow, BOOL bUpward) const
{
    if (!IsHeadingRow(nRow))
        return nRow;
    if (bUpward)
        for (int row = nRow - 1; row >= 0; --row)
            if (!IsHeadingRow(row))
                return row;
    const int count = GetCount();
    for (int row = nRow + 1; row < count; ++row)
        if (!IsHeadingRow(row))
            return row;
    return nRow;
}

CMediaFormat* CFormatComboBox::SelectFormatAt(int& nRow)
{
    const int count = GetCount();
    while (nRow >= 0 && nRow < count - 1 && IsHeadingRow(nRow))
        ++nRow;
    SetCurSel(nRow);
    CMediaCatalogItem* item = GetCatalogItem(nRow);
    return item && !(item->Flags & CATEGORY_ITEM) ? static_cast<CMediaFormat*>(item) : nullptr;
}

int CFormatComboBox::ChosenFormatRow(int nShownRow)
{
    const int chosen = GetCurSel();
    if (chosen < 0)
        return -1;
    const int row = FormatRowFrom(chosen, WasMovedUp());
    if (row == nShownRow) {
        // The heading over the shown format was chosen: the format, and what is set for it, stay.
        SetCurSel(row);
        return -1;
    }
    return row;
}

LRESULT CFormatComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The keys reach the combo box also while its list is open.
    switch (message) {
    case WM_KEYDOWN:
        m_bMovedUp = wParam == VK_UP || wParam == VK_LEFT || wParam == VK_PRIOR;
        break;
    case WM_MOUSEWHEEL:
        m_bMovedUp = (short)HIWORD(wParam) > 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_SYSKEYDOWN:
        m_bMovedUp = FALSE;
        break;
    default:
        break;
    }
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        RelayToNameTip(message, wParam, lParam);
        break;
    case WM_DESTROY:
        if (m_nameTip.m_hWnd)
            m_nameTip.DestroyWindow();
        m_strTipText.Empty();
        break;
    default:
        break;
    }
    return CComboBox::WindowProc(message, wParam, lParam);
}

CRect CFormatComboBox::NameRect(const CRect& item, bool withDetail) const
{
    CRect rect = item;
    if (ImageList && ImageList->GetSafeHandle())
        rect.left += kIconSpace;
    rect.left += 2;
    if (withDetail)
        rect.right -= ColumnWidth + 8;
    return rect;
}

CFont* CFormatComboBox::RowFont(bool heading)
{
    CConverterEnvironment* environment = heading ? GetConverterEnvironment() : nullptr;
    CFont* font = environment ? environment->GetBoldFont() : nullptr;
    return font && font->GetSafeHandle() ? font : GetFont();
}

int CFormatComboBox::GetLongestRowWidth()
{
    CClientDC dc(this);
    const int count = GetCount();
    int longest = 0;
    for (int row = 0; row < count; ++row) {
        CString label, left, right;
        GetLBText(row, label);
        SplitAtTab(label, left, right);
        CGdiSelector font(dc, RowFont(IsHeadingRow(row) != FALSE));
        // A row as wide as its name: the name's rectangle then holds the name exactly.
        const CRect bare = NameRect(CRect(0, 0, 0, 0), !right.IsEmpty());
        const int width = dc.GetTextExtent(left).cx - bare.Width() + kRowSlack;
        if (width > longest)
            longest = width;
    }
    return longest;
}

void CFormatComboBox::FitDroppedWidth()
{
    int width = GetLongestRowWidth() + 2 * ::GetSystemMetrics(SM_CXEDGE);
    CRect box, dropped;
    GetWindowRect(&box);
    GetDroppedControlRect(&dropped);
    const int itemHeight = GetItemHeight(0);
    if (itemHeight > 0 && (__int64)itemHeight * GetCount() > dropped.Height() - box.Height())
        width += ::GetSystemMetrics(SM_CXVSCROLL);
    const int room = GetWindowWorkArea(m_hWnd).right - box.left;
    if (width > room)
        width = room;
    SetDroppedWidth(width > 0 ? width : 0);
}

BOOL CFormatComboBox::OnDropDown()
{
    FitDroppedWidth();
    if (m_nameTip.m_hWnd)
        m_nameTip.Pop();
    return FALSE;  // the parent hears of it too
}

CString CFormatComboBox::GetCutSelectionName()
{
    const int row = GetCurSel();
    COMBOBOXINFO info = {};
    if (row < 0 || !GetComboBoxInfo(&info))
        return CString();
    CString label, left, right;
    GetLBText(row, label);
    SplitAtTab(label, left, right);
    // The selection field is drawn one pixel inside the box's item rectangle.
    CRect field = info.rcItem;
    field.DeflateRect(1, 1);
    CClientDC dc(this);
    CGdiSelector font(dc, RowFont(false));
    return dc.GetTextExtent(left).cx > NameRect(field, !right.IsEmpty()).Width() ? left : CString();
}

void CFormatComboBox::RelayToNameTip(UINT message, WPARAM wParam, LPARAM lParam)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = CToolTipCtrl::ToolInfoSize();
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = m_hWnd;
    tool.uId = (UINT_PTR)m_hWnd;
    if (!m_nameTip.m_hWnd) {
        if (!m_nameTip.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX))
            return;
        tool.lpszText = const_cast<LPWSTR>(L"");
        m_nameTip.SendMessage(TTM_ADDTOOLW, 0, (LPARAM)&tool);
        m_strTipText.Empty();
    }
    // An empty text shows no tip: a name that fits needs none.
    const CString text = GetCutSelectionName();
    if (text != m_strTipText) {
        m_strTipText = text;
        tool.lpszText = const_cast<LPWSTR>(m_strTipText.GetString());
        m_nameTip.SendMessage(TTM_UPDATETIPTEXTW, 0, (LPARAM)&tool);
        if (m_strTipText.IsEmpty())
            m_nameTip.Pop();
    }
    MSG msg = {};
    msg.hwnd = m_hWnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = ::GetMessageTime();
    ::GetCursorPos(&msg.pt);
    m_nameTip.RelayEvent(&msg);
}

int CFormatComboBox::IconForItem(const CMediaCatalogItem* pItem)
{
    if (!pItem)
        return -1;
    const int media = pItem->GetMedia();
    if (media == -1)
        return -1;
    if (pItem->Flags & FORMAT_DEVICE)
        return 2;
    return media == 2 ? 1 : 0;
}

void CFormatComboBox::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    // The dialogs set the height (CB_SETITEMHEIGHT); until then the font's line is kept.
    (void)lpMeasureItemStruct;
}

void CFormatComboBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    LPDRAWITEMSTRUCT dis = lpDrawItemStruct;
    CDC* pDC = CDC::FromHandle(dis->hDC);
    CRect item = dis->rcItem;
    const int row = (int)dis->itemID;
    const bool inField = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
    const bool disabled = (dis->itemState & ODS_DISABLED) != 0;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    CConverterEnvironment* environment = GetConverterEnvironment();
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF disabledBackground =
        environment && environment->IsThemed() ? window : ::GetSysColor(COLOR_BTNFACE);

    if (row < 0) {
        // An empty selection field: nothing of an old row may stay in it.
        if (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))
            pDC->FillSolidRect(&item, disabled ? disabledBackground : window);
        return;
    }

    const CMediaCatalogItem* catalogItem = GetCatalogItem(row);
    const bool heading = !inField && catalogItem && (catalogItem->Flags & CATEGORY_ITEM);

    if (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        const bool withIcons = ImageList && ImageList->GetSafeHandle();
        CRect text = item;
        if (withIcons)
            text.left += kIconSpace;

        COLORREF foreground = ::GetSysColor(COLOR_WINDOWTEXT);
        if (disabled)
            foreground = ::GetSysColor(COLOR_GRAYTEXT);
        else if (selected && !heading)
            foreground = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        pDC->FillSolidRect(&item, disabled ? disabledBackground : heading ? kHeadingBackground : window);
        // The highlight stays behind the text; the icon column keeps the row's ground.
        if (selected && !disabled && !heading)
            pDC->FillSolidRect(&text, ::GetSysColor(COLOR_HIGHLIGHT));
        if (heading && row > 0)
            pDC->FillSolidRect(item.left, item.top, item.Width(), 1, kHeadingLine);

        if (withIcons && (heading || inField)) {
            const int icon = IconForItem(catalogItem);
            if (icon >= 0)
                ImageList->Draw(pDC, icon, CPoint(item.left + 1, item.top + (item.Height() - 16) / 2), ILD_TRANSPARENT);
        }

        CString label, left, right;
        GetLBText(row, label);
        SplitAtTab(label, left, right);
        CGdiSelector selectFont(*pDC, RowFont(heading));
        const int mode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF oldColour = pDC->SetTextColor(foreground);
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        CRect leftRect = NameRect(item, !right.IsEmpty());
        pDC->DrawText(left, &leftRect, format | DT_END_ELLIPSIS);
        if (!right.IsEmpty()) {
            CRect rightRect = text;
            rightRect.left = text.right - ColumnWidth;
            UINT align = DT_LEFT;
            if (RightAlignDetail) {
                rightRect.right -= 4;
                align = DT_RIGHT;
            }
            pDC->SetTextColor(disabled ? ::GetSysColor(COLOR_BTNSHADOW)
                              : selected && !heading ? ::GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                     : DetailColor);
            pDC->DrawText(right, &rightRect, format | align | DT_END_ELLIPSIS);
        }
        pDC->SetTextColor(oldColour);
        pDC->SetBkMode(mode);
    }

    if (!heading && ((dis->itemAction & ODA_FOCUS) || (dis->itemState & ODS_FOCUS))) {
        CRect focus = item;
        if (ImageList && ImageList->GetSafeHandle())
            focus.left += kIconSpace;
        pDC->DrawFocusRect(&focus);
    }
}

// The format lists ----------------------------------------------------------------------------------

void FillFormatRows(CFormatComboBox& combo, CPresetStore& store, const CMediaFormat* selected)
{
    combo.ResetContent();
    // The selected format is listed in its place whether it is hidden or not, or its category:
    // a hidden format asked for by its key must be seen to be the one converted to.
    auto Listed = [selected](const CMediaFormat* format) { return format == selected || IsVisible(format); };
    for (INT_PTR c = 0; c < store.Categories.GetSize(); ++c) {
        CMediaCategory* category = store.Categories[c];
        bool visible = false, holdsSelected = false;
        for (INT_PTR f = 0; f < category->Formats.GetSize(); ++f) {
            visible = visible || IsVisible(category->Formats[f]);
            holdsSelected = holdsSelected || category->Formats[f] == selected;
        }
        if (!holdsSelected && (!IsVisible(category) || !visible))
            continue;
        combo.AddCatalogRow(category->Name, category);
        for (INT_PTR f = 0; f < category->Formats.GetSize(); ++f) {
            CMediaFormat* format = category->Formats[f];
            if (!Listed(format) || (!IsVisible(category) && format != selected))
                continue;
            CString text;
            text.Format(L"%s\t%s", format->Name.GetString(), format->Extension.GetString());
            combo.AddCatalogRow(text, format);
        }
    }
}

// Frame-rate texts ----------------------------------------------------------------------------------

MediaRate ParseFrameRateText(LPCWSTR text)
{
    const MediaRate automatic = {0, 0};
    CString value(text ? text : L"");
    value.Trim();
    if (value.Find(L'.') < 0) {
        const int whole = _wtoi(value);
        if (whole <= 0)
            return automatic;
        return {whole, 1};
    }
    const double rate = ParseDouble(value);
    if (!(rate > 0.0) || rate > 1000000.0)
        return automatic;
    const long long thousandths = llround(rate * 1000.0);
    if (thousandths < 10)
        return automatic;
    // 29.97 is how 30000/1001 shows: reading it back gives that rate again, not one that drifts
    // by a frame every half minute.
    const long long family = llround(rate * 1.001);
    if (family > 0 && family <= 1000000) {
        const int num = (int)(family * 1000);
        if (FormatFrameRate(num, 1001, L"%.3f", FALSE, FALSE) == FormatFrameRate((int)thousandths, 1000, L"%.3f", FALSE, FALSE))
            return {num, 1001};
    }
    return {(int)thousandths, 1000};
}

CString FrameRateText(const MediaRate& rate)
{
    return FormatFrameRate(rate.Num, rate.Den, L"%.3f", FALSE, FALSE);
}

void DDX_Rational(CDataExchange* pDX, int nIDC, MediaRate& rate)
{
    HWND edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (pDX->m_bSaveAndValidate) {
        const int length = ::GetWindowTextLengthW(edit);
        CString text;
        if (length > 0) {
            std::vector<wchar_t> buffer(length + 1, L'\0');
            ::GetWindowTextW(edit, buffer.data(), length + 1);
            text = buffer.data();
        }
        rate = ParseFrameRateText(text);
    } else {
        ::SetWindowTextW(edit, FrameRateText(rate));
    }
}
