// The converter's control kit on real windows: self-painted buttons, the two-column combo, the
// one-checked-row list, folder combos with the recent folders, and the size combo.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ConverterTestSupport.h"
#include "converter/app/ConverterResource.h"
#include "converter/kit/FolderComboBox.h"
#include "converter/kit/ListHelpers.h"
#include "converter/kit/OwnerDrawComboBox.h"
#include "converter/kit/SizeComboBox.h"
#include "converter/kit/SkinButton.h"
#include "converter/kit/SkinCheckBox.h"
#include "converter/kit/StateButton.h"
#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"
#include "toolkit/RecentList.h"

using namespace convertertest;

namespace {

class KitWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        ASSERT_TRUE(Host().Prepare(480, 240));
    }
    void TearDown() override { m_app.reset(); }

    static CControlHost& Host() { return CControlHost::Shared(); }
    CFont* Font() { return m_app->Environment()->GetNormalFont(); }
    // The pixels of a child window as the screen shows them.
    static bool Capture(HWND hwnd, CRasterImage& image)
    {
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
        RECT rc;
        ::GetWindowRect(hwnd, &rc);
        return CaptureScreenRect(rc, image);
    }
    static COLORREF Pixel(const CRasterImage& image, int x, int y)
    {
        RGBQUAD q = image.GetPixelColor(x, image.GetHeight() - 1 - y, false);
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    static int CountColour(const CRasterImage& image, COLORREF colour)
    {
        int n = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                if (Pixel(image, x, y) == colour)
                    ++n;
        return n;
    }
    // The parent's notification for a control, as a user's choice sends it.
    static void Notify(CWnd& control, UINT code)
    {
        Host().SendMessage(WM_COMMAND, MAKEWPARAM(control.GetDlgCtrlID(), code), (LPARAM)control.m_hWnd);
    }

    std::unique_ptr<CConverterTestApp> m_app;
};

}  // namespace

TEST_F(KitWindow, StateButtonsDrawTheirStateColoursWithARoundedOutline)
{
    CStateButton button;
    ASSERT_TRUE(button.Create(L"State", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(20, 20, 120, 50), &Host(), 401));
    button.SetFont(Font());
    for (int s = 0; s < CStateButton::STATE_COUNT; ++s)
        button.SetStateColors(s, RGB(10 * s + 100, 200, 60), RGB(0, 0, 40 * s + 40), RGB(255, 0, 255));
    CRasterImage image;
    ASSERT_TRUE(Capture(button.m_hWnd, image));
    EXPECT_EQ(RGB(100, 200, 60), Pixel(image, 50, 4));  // fill
    EXPECT_EQ(RGB(0, 0, 40), Pixel(image, 50, 0));      // frame along the top
    EXPECT_EQ(RGB(0, 0, 40), Pixel(image, 0, 15));      // along the left
    EXPECT_EQ(RGB(0, 0, 40), Pixel(image, 1, 1));       // inside the corner
    EXPECT_EQ(RGB(255, 0, 255), Pixel(image, 0, 0));    // the corner itself
    EXPECT_EQ(RGB(255, 0, 255), Pixel(image, 99, 29));
    EXPECT_GT(CountColour(image, ::GetSysColor(COLOR_BTNTEXT)), 10);  // the text

    button.SendMessage(BM_SETSTATE, TRUE);
    ASSERT_TRUE(Capture(button.m_hWnd, image));
    EXPECT_EQ(RGB(130, 200, 60), Pixel(image, 50, 4));
    EXPECT_EQ(CStateButton::STATE_PRESSED, button.GetDrawState());
    button.SendMessage(BM_SETSTATE, FALSE);
    button.EnableWindow(FALSE);
    ASSERT_TRUE(Capture(button.m_hWnd, image));
    EXPECT_EQ(RGB(140, 200, 60), Pixel(image, 50, 4));
    EXPECT_EQ(0, CountColour(image, ::GetSysColor(COLOR_BTNTEXT)));
    button.EnableWindow(TRUE);
    EXPECT_FALSE(Shot(L"state-button", button.m_hWnd).IsEmpty());
    button.DestroyWindow();
}

TEST_F(KitWindow, SkinButtonsPaintTheParentsGroundAndTheirImages)
{
    Host().m_background = RGB(200, 230, 200);
    Host().Invalidate();
    CSkinButton push, image, toolbar;
    CSkinCheckBox check;
    ASSERT_TRUE(push.Create(L"Push", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 110, 40), &Host(), 402));
    ASSERT_TRUE(image.Create(L"Format", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(120, 10, 240, 40), &Host(), 403));
    ASSERT_TRUE(toolbar.Create(L"Tool", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(250, 10, 330, 40), &Host(), 404));
    ASSERT_TRUE(check.Create(L"Save to source folder", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 60, 240, 78),
                             &Host(), 405));
    for (CWnd* w : std::initializer_list<CWnd*>{&push, &image, &toolbar, &check})
        w->SetFont(Font());
    image.SetForegroundImages(&m_app->Environment()->formatImages, 1);
    toolbar.SetSkinStyle(CSkinButton::STYLE_TOOLBAR);
    PumpPending();

    CRasterImage shot;
    // The check box lies on the parent's own ground: its far end shows it.
    ASSERT_TRUE(Capture(check.m_hWnd, shot));
    EXPECT_EQ(RGB(200, 230, 200), Pixel(shot, shot.GetWidth() - 2, 2));
    CRasterImage unchecked;
    ASSERT_TRUE(Capture(check.m_hWnd, unchecked));
    check.SetCheck(BST_CHECKED);
    ASSERT_TRUE(Capture(check.m_hWnd, shot));
    // The mark appears in the 13-pixel box at the left, the text stays where it was.
    int marked = 0, moved = 0;
    for (int y = 0; y < shot.GetHeight(); ++y)
        for (int x = 0; x < shot.GetWidth(); ++x)
            if (Pixel(shot, x, y) != Pixel(unchecked, x, y))
                ++(x < 13 ? marked : moved);
    EXPECT_GT(marked, 5);
    EXPECT_EQ(0, moved);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());

    // A toolbar button at rest is only the parent's ground and its text.
    ASSERT_TRUE(Capture(toolbar.m_hWnd, shot));
    EXPECT_EQ(RGB(200, 230, 200), Pixel(shot, 2, 2));
    toolbar.SendMessage(BM_SETSTATE, TRUE);
    ASSERT_TRUE(Capture(toolbar.m_hWnd, shot));
    EXPECT_NE(RGB(200, 230, 200), Pixel(shot, 0, 0));  // the sunken edge
    toolbar.SendMessage(BM_SETSTATE, FALSE);

    // The image sits beside the text, both centred together.
    CRasterImage plain;
    image.SetImageIndex(-1);
    ASSERT_TRUE(Capture(image.m_hWnd, plain));
    image.SetImageIndex(1);
    ASSERT_TRUE(Capture(image.m_hWnd, shot));
    int changed = 0;
    for (int y = 0; y < shot.GetHeight(); ++y)
        for (int x = 0; x < shot.GetWidth(); ++x)
            if (Pixel(shot, x, y) != Pixel(plain, x, y))
                ++changed;
    EXPECT_GT(changed, 40);

    SaveScreenRectScreenshot(L"converter", L"skin-buttons", CRect(40, 40, 40 + 340, 40 + 90));
    for (CWnd* w : std::initializer_list<CWnd*>{&push, &image, &toolbar, &check})
        w->DestroyWindow();
}

TEST_F(KitWindow, SkinButtonsDrawTheirBackgroundFromAnImageListBySlices)
{
    // Three images per state, each slice in a colour of its own.
    CImageList slices;
    ASSERT_TRUE(slices.Create(8, 20, ILC_COLOR24, 15, 1));
    for (int i = 0; i < 15; ++i) {
        CBitmap bitmap;
        CClientDC screen((HWND) nullptr);
        bitmap.CreateCompatibleBitmap(&screen, 8, 20);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        HGDIOBJ old = dc.SelectObject((HGDIOBJ)bitmap.GetSafeHandle());
        dc.FillSolidRect(0, 0, 8, 20, RGB(i * 16, 255 - i * 16, (i % 3) * 100));
        dc.SelectObject(old);
        slices.Add(&bitmap, (CBitmap*)nullptr);
    }
    CSkinButton button;
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 30), &Host(), 406));
    button.SetSkinStyle(CSkinButton::STYLE_IMAGE_BACKGROUND);
    button.SetBackgroundImages(&slices, CSkinButton::BACKGROUND_SLICES_HORIZONTAL, 8, 20);
    CRasterImage shot;
    ASSERT_TRUE(Capture(button.m_hWnd, shot));
    // State 0: images 0 (left), 1 (repeated), 2 (right).
    EXPECT_EQ(RGB(0, 255, 0), Pixel(shot, 2, 10));
    EXPECT_EQ(RGB(16, 239, 100), Pixel(shot, 40, 10));
    EXPECT_EQ(RGB(32, 223, 200), Pixel(shot, 77, 10));
    button.SendMessage(BM_SETSTATE, TRUE);
    ASSERT_TRUE(Capture(button.m_hWnd, shot));
    // State 3: images 9, 10, 11.
    EXPECT_EQ(RGB(144, 111, 0), Pixel(shot, 2, 10));
    EXPECT_EQ(RGB(160, 95, 100), Pixel(shot, 40, 10));
    EXPECT_EQ(RGB(176, 79, 200), Pixel(shot, 77, 10));
    button.DestroyWindow();
}

TEST(ButtonStates, StateIndexOrder)
{
    EXPECT_EQ(4, ButtonDrawState(TRUE, TRUE, TRUE, TRUE, TRUE));
    EXPECT_EQ(3, ButtonDrawState(FALSE, TRUE, FALSE, TRUE, TRUE));
    EXPECT_EQ(3, ButtonDrawState(FALSE, FALSE, TRUE, TRUE, FALSE));
    EXPECT_EQ(1, ButtonDrawState(FALSE, FALSE, FALSE, TRUE, TRUE));
    EXPECT_EQ(2, ButtonDrawState(FALSE, FALSE, FALSE, FALSE, TRUE));
    EXPECT_EQ(0, ButtonDrawState(FALSE, FALSE, FALSE, FALSE, FALSE));
}

TEST_F(KitWindow, OwnerDrawComboShowsTwoColumnsAndSeparators)
{
    CString left, right;
    COwnerDrawComboBox::SplitColumns(L"High\t320 kbps", left, right);
    EXPECT_STREQ(L"High", left);
    EXPECT_STREQ(L"320 kbps", right);
    COwnerDrawComboBox::SplitColumns(L"Low\\t64 kbps", left, right);
    EXPECT_STREQ(L"Low", left);
    EXPECT_STREQ(L"64 kbps", right);
    COwnerDrawComboBox::SplitColumns(L"Only", left, right);
    EXPECT_STREQ(L"Only", left);
    EXPECT_STREQ(L"", right);

    COwnerDrawComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_CHILD | WS_VISIBLE,
                             CRect(10, 10, 250, 200), &Host(), 407));
    combo.SetFont(Font());
    combo.SetRightColumn(80, RGB(255, 0, 0), TRUE);
    combo.AddString(L"Best quality\t320 kbps");
    combo.AddString(L"Good quality\t192 kbps");
    combo.AddString(L"Custom");
    combo.AddSeparatorAfter(1);
    EXPECT_TRUE(combo.HasSeparatorAfter(1));
    EXPECT_FALSE(combo.HasSeparatorAfter(0));
    combo.SetCurSel(0);
    combo.ShowDropDown(TRUE);
    PumpPending();
    RECT dropped;
    combo.GetDroppedControlRect(&dropped);
    CRasterImage shot;
    ASSERT_TRUE(CaptureScreenRect(dropped, shot));
    EXPECT_GT(CountColour(shot, RGB(255, 0, 0)), 10);          // the right column's colour
    EXPECT_GT(CountColour(shot, RGB(216, 224, 232)), 50);      // the separator line
    SaveTestImage(L"converter", L"owner-draw-combo", shot);
    combo.ShowDropDown(FALSE);
    combo.DestroyWindow();
}

TEST_F(KitWindow, ACheckListKeepsExactlyOneRowChecked)
{
    // The state images belong to the caller: the list only shares them.
    CImageList states;
    ASSERT_TRUE(states.Create(701, 16, 1, RGB(255, 255, 255)));
    const int images = states.GetImageCount();
    ASSERT_GE(images, 2);
    CCheckListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                            CRect(10, 10, 300, 150), &Host(), 408));
    list.SetImageList(&states, LVSIL_STATE);
    InsertListColumn(list, 0, L"Preset", -1, LVCFMT_LEFT, 200, -1);
    for (int i = 0; i < 3; ++i)
        list.InsertItem(i, i == 0 ? L"Normal" : i == 1 ? L"High" : L"Low");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(1, list.GetStateImage(i)) << i;
    EXPECT_EQ(-1, list.GetCheckedItem());
    list.CheckItem(0);
    list.CheckItem(2);
    EXPECT_EQ(1, list.GetStateImage(0));
    EXPECT_EQ(2, list.GetStateImage(2));
    EXPECT_EQ(2, list.GetCheckedItem());

    // Space on the first selected row.
    SelectListRow(list, 1, TRUE, TRUE);
    EXPECT_EQ(std::vector<int>{1}, GetSelectedRows(list));
    list.SendMessage(WM_KEYDOWN, VK_SPACE, 1);
    list.SendMessage(WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(1, list.GetCheckedItem());
    EXPECT_EQ(1, list.GetStateImage(2));

    // A click on a row's state image.
    CRect icon;
    ASSERT_TRUE(list.GetItemRect(0, &icon, LVIR_ICON));
    CRect bounds;
    list.GetItemRect(0, &bounds, LVIR_BOUNDS);
    LVHITTESTINFO probe = {};
    int clickX = -1;
    for (int x = bounds.left; x < bounds.left + 40 && clickX < 0; ++x) {
        probe.pt = CPoint(x, bounds.CenterPoint().y);
        if (list.HitTest(&probe) == 0 && (probe.flags & LVHT_ONITEMSTATEICON))
            clickX = x;
    }
    ASSERT_GE(clickX, 0);
    const LPARAM at = MAKELPARAM(clickX + 2, bounds.CenterPoint().y);
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    list.SendMessage(WM_LBUTTONUP, 0, at);
    PumpPending();
    EXPECT_EQ(0, list.GetCheckedItem());
    EXPECT_EQ(1, list.GetStateImage(1));

    SelectAllListRows(list, TRUE);
    EXPECT_EQ(3u, GetSelectedRows(list).size());
    SelectAllListRows(list, FALSE);
    EXPECT_TRUE(GetSelectedRows(list).empty());
    EXPECT_FALSE(Shot(L"check-list", list.m_hWnd).IsEmpty());
    list.DestroyWindow();
    EXPECT_EQ(images, states.GetImageCount());
}

TEST_F(KitWindow, AFixedHeightHeaderTakesItsHeightInTheLayout)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 10, 300, 150), &Host(), 409));
    InsertListColumn(list, 0, L"Name", -1, -1, 120, -1);
    CFixedHeightHeader header;
    ASSERT_TRUE(header.SubclassWindow(ListView_GetHeader(list.m_hWnd)));
    header.SetHeight(31);
    RECT area = {0, 0, 290, 140};
    WINDOWPOS position = {};
    HDLAYOUT layout = {&area, &position};
    header.SendMessage(HDM_LAYOUT, 0, (LPARAM)&layout);
    EXPECT_EQ(31, position.cy);
    EXPECT_EQ(31, area.top);
    header.UnsubclassWindow();
    list.DestroyWindow();
}

TEST_F(KitWindow, RecentFolderComboShowsTheListAndItsClearItemEmptiesItWithoutBecomingTheDestination)
{
    const CString a = MakeAwkwardFolder(L"recent-a");
    const CString b = MakeAwkwardFolder(L"recent-b");
    CRecentList recent(L"", L"%02d", 20);
    recent.Add(a);
    recent.Add(b);
    CRecentFolderComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWN | WS_VSCROLL | WS_CHILD | WS_VISIBLE, CRect(10, 10, 400, 200), &Host(), 410));
    combo.SetFont(Font());
    combo.SetImageList(CImageList::FromHandle(m_app->Environment()->GetSmallList()));
    combo.SetRecentList(&recent, L"Clear Recent List");
    ASSERT_EQ(3, combo.GetCount());
    EXPECT_STREQ(b, combo.GetItemText(0));
    EXPECT_STREQ(L"Clear Recent List", combo.GetItemText(2));
    EXPECT_EQ(2, combo.GetExtraItem());
    int image = -1, selected = -1;
    ASSERT_TRUE(combo.GetItemImages(0, image, selected));
    EXPECT_GE(image, 0);  // the folder's system icon

    // A known path in other letter case moves to the top; a new one is added or only shown.
    CString other = a;
    other.MakeUpper();
    combo.SetPath(other, FALSE);
    EXPECT_STREQ(a, combo.GetItemText(0));
    EXPECT_EQ(0, combo.GetCurSel());
    combo.SetPath(L"Z:\\nowhere\\at all", FALSE);
    EXPECT_STREQ(L"Z:\\nowhere\\at all", combo.GetEditText());
    EXPECT_EQ(-1, combo.GetCurSel());
    combo.SetPath(L"", TRUE);
    EXPECT_STREQ(L"Z:\\nowhere\\at all", combo.GetEditText());

    combo.SetPath(b, FALSE);
    EXPECT_STREQ(b, combo.GetEditText());
    Notify(combo, CBN_DROPDOWN);
    combo.SetCurSel(combo.GetExtraItem());
    Notify(combo, CBN_SELCHANGE);
    PumpPending();
    EXPECT_EQ(0, recent.GetCount());
    EXPECT_EQ(0, combo.GetCount());
    EXPECT_STREQ(b, combo.GetEditText());
    EXPECT_EQ(-1, combo.GetExtraItem());
    // With an empty list there is no clear item to offer.
    combo.Refill();
    EXPECT_EQ(0, combo.GetCount());
    combo.DestroyWindow();
}

TEST_F(KitWindow, FolderComboTakesDroppedPathsItsModeAccepts)
{
    const CString folder = MakeAwkwardFolder(L"drop");
    const CString file = folder + L"\\clip é.mp4";
    ASSERT_TRUE(TouchFile(file));
    CFolderComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWN | WS_VSCROLL | WS_CHILD | WS_VISIBLE, CRect(10, 10, 400, 200), &Host(), 411));
    combo.DragAcceptFiles();

    // A drop handle as the shell makes one: DROPFILES followed by the wide paths.
    auto MakeDrop = [](const std::vector<CString>& paths) {
        size_t chars = 1;
        for (const CString& p : paths)
            chars += p.GetLength() + 1;
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        wchar_t* out = (wchar_t*)(drop + 1);
        for (const CString& p : paths) {
            wcscpy(out, p);
            out += p.GetLength() + 1;
        }
        *out = 0;
        GlobalUnlock(memory);
        return (HDROP)memory;
    };
    combo.SetMode(CFolderComboBox::MODE_FOLDERS);
    combo.SendMessage(WM_DROPFILES, (WPARAM)MakeDrop({file, folder}));
    ASSERT_EQ(1, combo.GetCount());
    EXPECT_STREQ(folder, combo.GetItemText(0));
    combo.ResetContent();
    combo.SetMode(CFolderComboBox::MODE_FILES);
    combo.SendMessage(WM_DROPFILES, (WPARAM)MakeDrop({file, folder, L"Z:\\missing.mp4"}));
    ASSERT_EQ(1, combo.GetCount());
    EXPECT_STREQ(file, combo.GetItemText(0));
    combo.DestroyWindow();

    EXPECT_FALSE(EnableShellAutoComplete(nullptr, AutoCompleteFlagsForMode(1)));
    EXPECT_EQ((DWORD)(SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON | SHACF_USETAB | SHACF_FILESYS_ONLY),
              AutoCompleteFlagsForMode(1));
    EXPECT_EQ((DWORD)(SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON | SHACF_USETAB | SHACF_FILESYS_DIRS),
              AutoCompleteFlagsForMode(2));
    EXPECT_EQ((DWORD)(SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON | SHACF_USETAB | SHACF_FILESYSTEM),
              AutoCompleteFlagsForMode(0));
}

TEST_F(KitWindow, SizeComboFillsItsTwoEditsAndReportsTyping)
{
    CSizeComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWN | WS_VSCROLL | WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 200, 200), &Host(),
                             412));
    combo.SetFont(Font());
    combo.AddSize(1280, 720);
    combo.AddSize(0, 0);
    combo.SetCurSel(0);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_STREQ(L"1280", WindowText(combo.m_widthEdit.m_hWnd));
    EXPECT_STREQ(L"720", WindowText(combo.m_heightEdit.m_hWnd));
    EXPECT_EQ(combo.m_widthEdit.m_hWnd, ::GetFocus());
    int w = 0, h = 0;
    combo.GetSize(w, h);
    EXPECT_EQ(1280, w);
    EXPECT_EQ(720, h);
    combo.SetCurSel(1);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_STREQ(L"Auto", WindowText(combo.m_widthEdit.m_hWnd));
    EXPECT_STREQ(L"Auto", WindowText(combo.m_heightEdit.m_hWnd));
    combo.GetSize(w, h);
    EXPECT_EQ(0, w);

    // Typing into an edit writes the pair into the combo and tells the parent.
    Host().m_commands.clear();
    combo.m_widthEdit.SetWindowText(L"640");
    PumpPending();
    EXPECT_STREQ(L"640 x 0", WindowText(::GetDlgItem(combo.m_hWnd, 1001)));
    bool told = false;
    for (auto& c : Host().m_commands)
        told = told || (c.first == 412 && c.second == CBN_EDITCHANGE);
    EXPECT_TRUE(told);
    // Filling from the list does not count as typing.
    Host().m_commands.clear();
    combo.SetSize(320, 240);
    PumpPending();
    EXPECT_TRUE(Host().m_commands.empty());

    combo.EnableWindow(FALSE);
    EXPECT_FALSE(combo.m_widthEdit.IsWindowEnabled());
    EXPECT_FALSE(combo.m_heightEdit.IsWindowEnabled());
    combo.EnableWindow(TRUE);
    EXPECT_TRUE(combo.m_heightEdit.IsWindowEnabled());
    // The focus given to the combo goes to the width.
    combo.SetFocus();
    EXPECT_EQ(combo.m_widthEdit.m_hWnd, ::GetFocus());
    EXPECT_FALSE(Shot(L"size-combo", combo.m_hWnd).IsEmpty());
    combo.DestroyWindow();
}
