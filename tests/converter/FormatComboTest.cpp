// The format combo box with the real catalogue (headings, icons, the extension column), a preset
// list drawn without reading presets as catalogue items, a list as wide as its longest row with a
// tip for a name the closed box cuts, and the frame-rate texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "ConverterTestSupport.h"
#include "conversion/PresetStore.h"
#include "converter/kit/FormatComboBox.h"
#include "framework/Wnd.h"
#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"

using namespace convertertest;

namespace {

COLORREF Pixel(const CRasterImage& image, int x, int y)
{
    RGBQUAD q = image.GetPixelColor(x, image.GetHeight() - 1 - y, false);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

bool Visible(const CMediaCatalogItem* item)
{
    return !(item->Flags & CATALOG_HIDDEN);
}

// Headings and visible formats as the format selector fills its list.
int FillFormats(CFormatComboBox& combo, CMediaPresetStore& store)
{
    int rows = 0;
    for (INT_PTR c = 0; c < store.Categories.GetSize(); ++c) {
        CMediaCategory* category = store.Categories[c];
        bool any = false;
        for (INT_PTR f = 0; f < category->Formats.GetSize(); ++f)
            any = any || Visible(category->Formats[f]);
        if (!Visible(category) || !any)
            continue;
        combo.AddCatalogRow(category->Name, category);
        ++rows;
        for (INT_PTR f = 0; f < category->Formats.GetSize(); ++f) {
            CMediaFormat* format = category->Formats[f];
            if (!Visible(format))
                continue;
            CString text;
            text.Format(L"%s\t%s", format->Name.GetString(), format->Extension.GetString());
            combo.AddCatalogRow(text, format);
            ++rows;
        }
    }
    return rows;
}

class FormatCombo : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        ASSERT_EQ(0, m_store.BuildCategories());
        SetConverterPresetStore(&m_store);
        ASSERT_TRUE(CControlHost::Shared().Prepare(480, 240));
    }
    void TearDown() override
    {
        SetConverterPresetStore(nullptr);
        m_app.reset();
    }
    std::unique_ptr<CConverterTestApp> m_app;
    CMediaPresetStore m_store;
};

}  // namespace

TEST_F(FormatCombo, FormatsListUnderTheirHeadingsWithIconsAndExtensions)
{
    CFormatComboBox combo;
    ASSERT_TRUE(combo.Create(CFormatComboBox::kStyle | WS_CHILD | WS_VISIBLE, CRect(10, 10, 300, 400), &CControlHost::Shared(),
                             601));
    combo.SetFont(m_app->Environment()->GetNormalFont());
    combo.ImageList = &m_app->Environment()->formatImages;
    combo.ColumnWidth = 32;
    combo.DetailColor = RGB(255, 0, 0);
    combo.SetItemHeight(-1, 18);
    combo.SetItemHeight(0, 18);
    const int rows = FillFormats(combo, m_store);
    ASSERT_GT(rows, 10);
    // The first row is always a heading; no two headings follow each other.
    EXPECT_TRUE(combo.IsHeadingRow(0));
    for (int r = 1; r < rows; ++r)
        EXPECT_FALSE(combo.IsHeadingRow(r) && combo.IsHeadingRow(r - 1)) << r;
    EXPECT_EQ(nullptr, combo.GetPreset(0));

    int mp4 = -1;
    for (int r = 0; r < rows && mp4 < 0; ++r) {
        CString text;
        combo.GetLBText(r, text);
        if (text == L"MP4\t.mp4")
            mp4 = r;
    }
    ASSERT_GE(mp4, 0);
    combo.SetCurSel(mp4);
    CRasterImage field;
    RECT rc;
    combo.GetWindowRect(&rc);
    ::RedrawWindow(combo.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_TRUE(CaptureScreenRect(rc, field));
    // The closed box shows the format's icon at its left and its extension in the detail colour.
    int icon = 0, detail = 0;
    for (int y = 2; y < field.GetHeight() - 2; ++y) {
        for (int x = 3; x < 20; ++x)
            icon += Pixel(field, x, y) != ::GetSysColor(COLOR_WINDOW) && Pixel(field, x, y) != ::GetSysColor(COLOR_HIGHLIGHT);
        for (int x = 0; x < field.GetWidth(); ++x)
            detail += Pixel(field, x, y) == RGB(255, 0, 0);
    }
    EXPECT_GT(icon, 20);
    EXPECT_GT(detail, 5);
    EXPECT_EQ(1, CFormatComboBox::IconForItem(m_store.FindFormat(L"AF_mp3")));
    EXPECT_EQ(0, CFormatComboBox::IconForItem(m_store.FindFormat(L"VF_mp4")));
    EXPECT_EQ(-1, CFormatComboBox::IconForItem(nullptr));

    combo.SetCurSel(0);
    combo.ShowDropDown(TRUE);
    PumpPending();
    RECT dropped;
    combo.GetDroppedControlRect(&dropped);
    CRasterImage list;
    ASSERT_TRUE(CaptureScreenRect(dropped, list));
    // The heading row's own ground.
    int heading = 0;
    for (int y = 0; y < list.GetHeight(); ++y)
        for (int x = 40; x < 120 && x < list.GetWidth(); ++x)
            heading += Pixel(list, x, y) == RGB(0xF0, 0xF0, 0xF0);
    EXPECT_GT(heading, 18 * 40);
    SaveTestImage(L"converter", L"format-combo-list", list);
    combo.ShowDropDown(FALSE);
    combo.DestroyWindow();
}

TEST_F(FormatCombo, APresetListIsNeverReadAsCatalogueItems)
{
    CMediaFormat* format = m_store.FindFormat(L"VF_mp4");
    ASSERT_NE(nullptr, format);
    ASSERT_EQ(1, format->LoadBuiltInPresets() >= 0 ? 1 : 0);
    ASSERT_TRUE(format->Presets && format->Presets->GetSize() > 0);
    CFormatComboBox combo;
    ASSERT_TRUE(combo.Create(CFormatComboBox::kStyle | WS_CHILD | WS_VISIBLE, CRect(10, 10, 300, 300), &CControlHost::Shared(),
                             602));
    combo.SetRowKind(CFormatComboBox::ROWS_PRESETS);
    // Even with icons set, preset rows have no media to show.
    combo.ImageList = &m_app->Environment()->formatImages;
    combo.ColumnWidth = 64;
    for (INT_PTR i = 0; i < format->Presets->GetSize(); ++i) {
        CMediaPreset* preset = format->Presets->GetAt(i);
        // A preset whose record would read as a category through the catalogue item's fields.
        preset->Settings.Flags |= CATEGORY_ITEM;
        combo.AddPresetRow(format->GetPresetRowText(*preset, true), preset);
    }
    EXPECT_EQ(nullptr, combo.GetCatalogItem(0));
    EXPECT_EQ(format->Presets->GetAt(0), combo.GetPreset(0));
    EXPECT_FALSE(combo.IsHeadingRow(0));
    combo.SetCurSel(0);
    CRasterImage field;
    RECT rc;
    combo.GetWindowRect(&rc);
    ::RedrawWindow(combo.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_TRUE(CaptureScreenRect(rc, field));
    EXPECT_FALSE(SaveTestImage(L"converter", L"format-combo-presets", field).IsEmpty());
    combo.DestroyWindow();
}

TEST_F(FormatCombo, APresetListOpensAsWideAsItsLongestRowAndTheClosedBoxTipsACutName)
{
    CMediaFormat* format = m_store.FindFormat(L"VF_mp4");
    ASSERT_NE(nullptr, format);
    format->LoadBuiltInPresets();
    ASSERT_TRUE(format->Presets && format->Presets->GetSize() > 20);
    CControlHost& host = CControlHost::Shared();
    CFormatComboBox combo;
    // Narrower than any of the long names, as the conversion dialogs' preset box is.
    ASSERT_TRUE(combo.Create(CFormatComboBox::kStyle | WS_CHILD | WS_VISIBLE, CRect(300, 10, 420, 300), &host, 604));
    combo.SetRowKind(CFormatComboBox::ROWS_PRESETS);
    combo.SetFont(m_app->Environment()->GetNormalFont());
    combo.ColumnWidth = 64;
    combo.DetailColor = RGB(0, 0, 255);
    combo.SetItemHeight(-1, 18);
    combo.SetItemHeight(0, 18);
    int longestName = 0, longRow = -1;
    {
        CClientDC dc(&combo);
        CGdiSelector font(dc, combo.GetFont());
        for (INT_PTR i = 0; i < format->Presets->GetSize(); ++i) {
            CMediaPreset* preset = format->Presets->GetAt(i);
            const int row = combo.AddPresetRow(format->GetPresetRowText(*preset, true), preset);
            const int width = dc.GetTextExtent(CString(preset->Settings.Name)).cx;
            if (width > longestName) {
                longestName = width;
                longRow = row;
            }
        }
    }
    ASSERT_GE(longRow, 0);
    COMBOBOXINFO info = {};
    ASSERT_TRUE(combo.GetComboBoxInfo(&info));
    CRect box;
    combo.GetWindowRect(&box);

    // Every name fits the opened list beside its detail column, and the list is no wider than that
    // needs (a scroll bar and a few pixels).
    combo.SetCurSel(longRow);
    combo.ShowDropDown(TRUE);
    PumpPending();
    CRect list;
    ::GetWindowRect(info.hwndList, &list);
    EXPECT_GT(list.Width(), box.Width());
    EXPECT_GE(list.Width(), longestName + combo.ColumnWidth + 8);
    EXPECT_LE(list.Width(), longestName + combo.ColumnWidth + 8 + ::GetSystemMetrics(SM_CXVSCROLL) + 24);
    const int fullWidth = list.Width();
    CRasterImage shot;
    CRect both(box.left, box.top, std::max(list.right, box.right), list.bottom);
    ASSERT_TRUE(CaptureScreenRect(both, shot));
    SaveTestImage(L"converter", L"preset-combo-wide-list", shot);
    combo.ShowDropDown(FALSE);
    PumpPending();

    // A box near the right edge of its monitor's work area: the list stops at that edge.
    const CRect work = GetWindowWorkArea(combo.m_hWnd);
    CRect hostRect;
    host.GetWindowRect(&hostRect);
    const int shift = (work.right - box.Width() - 20) - box.left;
    host.SetWindowPos(nullptr, hostRect.left + shift, hostRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    combo.ShowDropDown(TRUE);
    PumpPending();
    ::GetWindowRect(info.hwndList, &list);
    EXPECT_LE(list.right, work.right);
    EXPECT_GE(list.Width(), box.Width());
    EXPECT_LT(list.Width(), fullWidth);
    combo.ShowDropDown(FALSE);
    host.SetWindowPos(nullptr, hostRect.left, hostRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();

    // The closed box cuts the long name: its tip shows the whole name; a short one has no tip.
    EXPECT_EQ(CString(format->Presets->GetAt(longRow)->Settings.Name), combo.GetCutSelectionName());
    combo.GetWindowRect(&box);
    EXPECT_EQ(CString(format->Presets->GetAt(longRow)->Settings.Name), HoverForToolTip(combo));
    ASSERT_TRUE(VisibleToolTip() != nullptr);
    CRect tip;
    ::GetWindowRect(VisibleToolTip(), &tip);
    CRect tipAndBox;
    tipAndBox.UnionRect(&tip, &box);
    tipAndBox.InflateRect(4, 4);
    ASSERT_TRUE(CaptureScreenRect(tipAndBox, shot));
    SaveTestImage(L"converter", L"preset-combo-name-tip", shot);

    combo.SetCurSel(0);
    EXPECT_TRUE(combo.GetCutSelectionName().IsEmpty()) << CStringA(combo.GetCutSelectionName()).GetString();
    combo.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(box.Width() / 2 + 1, box.Height() / 2));
    EXPECT_TRUE(WaitUntil([] { return VisibleToolTip() == nullptr; }, 5000));
    combo.DestroyWindow();
}

TEST(FrameRateTexts, IntegersDecimalsAndTheThousandOneFamily)
{
    auto Pair = [](LPCWSTR text) {
        MediaRate r = ParseFrameRateText(text);
        CString s;
        s.Format(L"%d/%d", r.Num, r.Den);
        return s;
    };
    EXPECT_STREQ(L"25/1", Pair(L"25"));
    EXPECT_STREQ(L"30000/1001", Pair(L"29.97"));
    EXPECT_STREQ(L"30000/1001", Pair(L"29.970"));
    EXPECT_STREQ(L"24000/1001", Pair(L"23.976"));
    EXPECT_STREQ(L"60000/1001", Pair(L"59.94"));
    EXPECT_STREQ(L"12000/1001", Pair(L"11.988"));
    EXPECT_STREQ(L"15000/1001", Pair(L"14.985"));
    EXPECT_STREQ(L"12500/1000", Pair(L"12.5"));
    EXPECT_STREQ(L"30000/1000", Pair(L"30.000"));
    EXPECT_STREQ(L"29960/1000", Pair(L"29.96"));
    // Auto: nothing, zero, too small, not a number.
    EXPECT_STREQ(L"0/0", Pair(L""));
    EXPECT_STREQ(L"0/0", Pair(L"0"));
    EXPECT_STREQ(L"0/0", Pair(L"  "));
    EXPECT_STREQ(L"0/0", Pair(L"0.005"));
    EXPECT_STREQ(L"0/0", Pair(L"x.y"));
    EXPECT_STREQ(L"0/0", Pair(L"-25"));
    EXPECT_STREQ(L"0/0", Pair(L"abc"));

    // Shown and read back, every rate of the codec catalogue's lists stays the same rate.
    const MediaRate rates[] = {{30000, 1001}, {24000, 1001}, {60000, 1001}, {12000, 1001}, {15000, 1001},
                               {6000, 1001},  {125, 10},     {625, 100},    {75, 10},      {25, 1}};
    for (const MediaRate& r : rates) {
        MediaRate back = ParseFrameRateText(FrameRateText(r));
        EXPECT_EQ((long long)r.Num * back.Den, (long long)back.Num * r.Den) << r.Num << "/" << r.Den;
    }
    EXPECT_STREQ(L"29.97", FrameRateText({30000, 1001}));
    EXPECT_STREQ(L"", FrameRateText({0, 0}));
    EXPECT_STREQ(L"", FrameRateText({25, 0}));
}

TEST(FrameRateTexts, TheEditExchangeShowsAutoAsNothingAndReadsItBack)
{
    ASSERT_TRUE(CControlHost::Shared().Prepare(300, 80));
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 100, 30), &CControlHost::Shared(), 603));
    MediaRate rate = {0, 0};
    CDataExchange show(&CControlHost::Shared(), FALSE);
    DDX_Rational(&show, 603, rate);
    EXPECT_STREQ(L"", WindowText(edit.m_hWnd));
    rate = {30000, 1001};
    DDX_Rational(&show, 603, rate);
    EXPECT_STREQ(L"29.97", WindowText(edit.m_hWnd));
    CDataExchange read(&CControlHost::Shared(), TRUE);
    rate = {1, 1};
    DDX_Rational(&read, 603, rate);
    EXPECT_EQ(30000, rate.Num);
    EXPECT_EQ(1001, rate.Den);
    edit.SetWindowText(L"");
    DDX_Rational(&read, 603, rate);
    EXPECT_EQ(0, rate.Num);
    EXPECT_EQ(0, rate.Den);
    EXPECT_FALSE(read.m_bFailed);
    edit.DestroyWindow();
}
