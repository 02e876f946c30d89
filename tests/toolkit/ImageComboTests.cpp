// The image combo box: item texts and images through the extended combo box, the case-blind search
// and the drop-down width.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "toolkit/ImageComboBox.h"

class ImageComboTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        ASSERT_TRUE(m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4));
        for (COLORREF c : {RGB(0, 160, 255), RGB(255, 128, 0), RGB(0, 200, 0)}) {
            CClientDC screen((HWND)NULL);
            CBitmap bitmap;
            bitmap.CreateCompatibleBitmap(&screen, 16, 16);
            CDC dc;
            dc.CreateCompatibleDC(&screen);
            HGDIOBJ old = dc.SelectObject((HGDIOBJ)bitmap);
            dc.FillSolidRect(0, 0, 16, 16, RGB(255, 0, 255));
            dc.FillSolidRect(2, 2, 12, 12, c);
            dc.SelectObject(old);
            m_images.Add(&bitmap, RGB(255, 0, 255));
        }
        ASSERT_TRUE(m_combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(20, 20, 220, 200), &m_parent, 110));
        m_combo.SetFont(m_host.GetNormalFont());
        m_combo.SetImageList(&m_images);
        const wchar_t* texts[] = {L"*.mp4;*.mkv", L"All Files", L"Video Files (every kind the player knows of)"};
        for (int i = 0; i < 3; ++i) {
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
            item.iItem = i;
            item.pszText = const_cast<LPWSTR>(texts[i]);
            item.iImage = item.iSelectedImage = i;
            ASSERT_EQ(i, m_combo.InsertItem(&item));
        }
    }
    void TearDown() override
    {
        m_combo.DestroyWindow();
        ToolkitWindowTest::TearDown();
    }
    int DroppedWidth() { return (int)::SendMessageW(m_combo.ListCombo(), CB_GETDROPPEDWIDTH, 0, 0); }
    CImageList m_images;
    CImageComboBox m_combo;
};

TEST_F(ImageComboTest, ItemTextsAndImagesGoThroughTheExtendedItems)
{
    EXPECT_EQ(L"All Files", m_combo.GetItemText(1));
    int image = -1, selected = -1;
    ASSERT_TRUE(m_combo.GetItemImages(2, image, selected));
    EXPECT_EQ(2, image);
    EXPECT_EQ(2, selected);

    ASSERT_TRUE(m_combo.SetItem(1, L"Audio Files", 2));  // -1: the selected image is the image
    EXPECT_EQ(L"Audio Files", m_combo.GetItemText(1));
    m_combo.GetItemImages(1, image, selected);
    EXPECT_EQ(2, image);
    EXPECT_EQ(2, selected);

    ASSERT_TRUE(m_combo.SetItemImages(1, 0));  // -1 leaves the selected image alone
    m_combo.GetItemImages(1, image, selected);
    EXPECT_EQ(0, image);
    EXPECT_EQ(2, selected);
    ASSERT_TRUE(m_combo.SetItemImages(1, 1, 0));
    m_combo.GetItemImages(1, image, selected);
    EXPECT_EQ(1, image);
    EXPECT_EQ(0, selected);

    ASSERT_TRUE(m_combo.SetItemText(1, L"Pictures"));
    EXPECT_EQ(L"Pictures", m_combo.GetItemText(1));
    m_combo.GetItemImages(1, image, selected);
    EXPECT_EQ(1, image) << "the text alone changes nothing else";

    ASSERT_TRUE(m_combo.SetItemIndent(0, L"Indented", 1, -1, 2));
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_INDENT | CBEIF_SELECTEDIMAGE;
    item.iItem = 0;
    ASSERT_TRUE(m_combo.GetItem(&item));
    EXPECT_EQ(2, item.iIndent);
    EXPECT_EQ(1, item.iSelectedImage);
    EXPECT_EQ(L"Indented", m_combo.GetItemText(0));

    // A text longer than a path buffer comes back whole.
    CString longText(L'x', 700);
    ASSERT_TRUE(m_combo.SetItemText(2, longText));
    EXPECT_EQ(longText, m_combo.GetItemText(2));
}

TEST_F(ImageComboTest, FindItemExactIgnoresCaseAndStartsWhereAsked)
{
    EXPECT_EQ(1, m_combo.FindItemExact(0, L"all files"));
    EXPECT_EQ(1, m_combo.FindItemExact(1, L"ALL FILES"));
    EXPECT_EQ(-1, m_combo.FindItemExact(2, L"All Files"));
    EXPECT_EQ(-1, m_combo.FindItemExact(0, L"All"));
    EXPECT_EQ(0, m_combo.FindItemExact(-3, L"*.MP4;*.MKV"));
    EXPECT_EQ(-1, m_combo.FindItemExact(0, NULL));
}

TEST_F(ImageComboTest, TheEditTextIsWhatTheUserTyped)
{
    CEdit* edit = m_combo.GetEditCtrl();
    ASSERT_TRUE(edit && edit->m_hWnd);
    edit->SetWindowText(L"*.avi");
    EXPECT_EQ(L"*.avi", m_combo.GetEditText());
}

TEST_F(ImageComboTest, TheDropDownIsAsWideAsTheWidestItemWithItsImage)
{
    CClientDC dc(&m_combo);
    CGdiSelector font(dc, m_host.GetNormalFont());
    const int widest = dc.GetTextExtent(CString(L"Video Files (every kind the player knows of)")).cx;
    const int expected = widest + 2 * dc.GetTextExtent(L"W", 1).cx + 16 + 1 + 8;
    const int computed = m_combo.ComputeDropWidth();
    // Three items fit in the list: no scroll bar is added.
    EXPECT_EQ(expected, computed);
    EXPECT_GT(computed, 200);

    // A combo near the right edge of its monitor's work area cuts its list 2 pixels before it.
    const CRect area = GetWindowWorkArea(m_combo.m_hWnd);
    m_parent.MoveWindow(area.right - 250, 40, 240, 200);
    m_combo.AdjustDropWidth();
    CRect rc;
    m_combo.GetWindowRect(&rc);
    ASSERT_LT(area.right - 2 - rc.left, computed);
    EXPECT_EQ(area.right - 2 - rc.left, DroppedWidth());
    EXPECT_EQ(CImageComboBox::FitDropWidth(computed, rc.left, GetWindowWorkArea(m_combo.m_hWnd)), DroppedWidth());
    m_parent.MoveWindow(40, 40, 480, 240);

    m_combo.SendMessage(CB_SHOWDROPDOWN, TRUE);  // CBN_DROPDOWN comes back reflected
    PumpPending();
    EXPECT_EQ(computed, DroppedWidth());
    SaveScreenRectScreenshot(L"toolkit", L"image-combo-dropped", CRect(40, 40, 520, 280));
    m_combo.SendMessage(CB_SHOWDROPDOWN, FALSE);
}

TEST(ImageComboDropWidth, TheListEndsInsideTheWorkAreaOfTheComboMonitor)
{
    // A second monitor right of a 1920-pixel primary: the list is as wide as asked where it fits,
    // and ends 2 pixels before that monitor's right edge where it does not.
    const CRect right(1920, 0, 3840, 1040);
    EXPECT_EQ(500, CImageComboBox::FitDropWidth(500, 2000, right));
    EXPECT_EQ(3840 - 2 - 3500, CImageComboBox::FitDropWidth(500, 3500, right));
    // A monitor left of the primary, in negative coordinates.
    const CRect left(-1280, 0, 0, 1024);
    EXPECT_EQ(500, CImageComboBox::FitDropWidth(500, -1200, left));
    EXPECT_EQ(298, CImageComboBox::FitDropWidth(500, -300, left));
    // A combo that has no room left on its monitor gets no width rather than a negative one.
    EXPECT_EQ(0, CImageComboBox::FitDropWidth(500, 3900, right));
}
