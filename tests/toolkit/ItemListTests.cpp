// The item-list windows: grid and list layout, hit tests, selection by mouse and keyboard, the
// item operations, scrolling, the rubber band, the parts of an item, and dragging an item to a new
// place with its insertion mark, drop cursor and the ways a drag is called off.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"
#include "toolkit/ScrollItemListWnd.h"

#include <thread>
#include <vector>

namespace {

const COLORREF kChrome = RGB(32, 32, 32);
const COLORREF kSelected = RGB(0, 160, 255);
const COLORREF kHover = RGB(96, 96, 96);
const COLORREF kPartColour = RGB(255, 255, 0);
const COLORREF kHotPartColour = RGB(255, 128, 0);

// Each item's own colour, from its data (an id).
COLORREF ItemColour(INT_PTR id)
{
    static const COLORREF palette[] = {RGB(200, 60, 60),  RGB(60, 180, 80),  RGB(70, 90, 210),  RGB(200, 170, 40),
                                       RGB(150, 60, 170), RGB(40, 170, 170), RGB(210, 110, 40), RGB(120, 120, 120)};
    return palette[id % 8];
}

// What an owner of an item list does: draws cards or rows from the item's data, offers a
// "delete" part at the top right and the play part (which also takes the right button) at the
// top left, and records the clicks and menus it gets.
template <class Base>
class CTestList : public Base {
public:
    static constexpr int kPartSize = 20;
    static constexpr int kDeletePart = 32780;

    struct Click {
        int index, part;
        BOOL right;
    };

    void Fill(int count)
    {
        for (int i = 0; i < count; ++i) this->AddItem((void*)(INT_PTR)i, FALSE);
        this->UpdateLayout();
    }
    std::vector<INT_PTR> Order()
    {
        std::vector<INT_PTR> ids;
        for (int i = 0; i < this->GetItemCount(); ++i) ids.push_back((INT_PTR)this->GetItemData(i));
        return ids;
    }
    int HitTestPartOf(int index, int x, int y)
    {
        CRect rc;
        if (index < 0 || !this->GetItemRect(index, &rc)) return -1;
        if (CRect(rc.right - kPartSize, rc.top, rc.right, rc.top + kPartSize).PtInRect(CPoint(x, y)))
            return kDeletePart;
        if (CRect(rc.left, rc.top, rc.left + kPartSize, rc.top + kPartSize).PtInRect(CPoint(x, y)))
            return ILP_RIGHTBUTTON_PART;
        return -1;
    }
    CRect PartRectOf(int index, int part)
    {
        CRect rc;
        this->GetItemRect(index, &rc);
        if (part == kDeletePart) return CRect(rc.right - kPartSize, rc.top, rc.right, rc.top + kPartSize);
        return CRect(rc.left, rc.top, rc.left + kPartSize, rc.top + kPartSize);
    }
    void DrawContent(CDC* pDC, int index, CRect rc, BOOL dragging)
    {
        const INT_PTR id = (INT_PTR)this->GetItemData(index);
        COLORREF frame = kChrome;
        if (dragging || this->IsItemSelected(index))
            frame = kSelected;
        else if (index == this->GetHoverItem())
            frame = kHover;
        pDC->FillSolidRect(&rc, frame);
        CRect inner(rc);
        inner.DeflateRect(4, 4);
        pDC->FillSolidRect(&inner, ItemColour(id));
        CString label;
        label.Format(L"%d", (int)id);
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(RGB(255, 255, 255));
        pDC->DrawText(label, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        // The parts of the item under the mouse (the cell is drawn in the window's coordinates).
        if (index == this->GetHoverItem() && !dragging) {
            for (int part : {kDeletePart, (int)ILP_RIGHTBUTTON_PART}) {
                const CRect pr = PartRectOf(index, part);
                pDC->FillSolidRect(&pr, this->GetHotPart() == part ? kHotPartColour : kPartColour);
            }
        }
    }

    std::vector<Click> m_clicks;
    int m_contextMenus = 0;
};

class CTestScrollList : public CTestList<CScrollItemListWnd> {
public:
    int HitTestPart(int index, int x, int y) override { return HitTestPartOf(index, x, y); }
    BOOL GetPartRect(int index, int part, LPRECT rc) override
    {
        *rc = PartRectOf(index, part);
        return TRUE;
    }
    void OnPartClick(int index, int part, BOOL right) override { m_clicks.push_back({index, part, right}); }
    void DrawGridItemContent(CDC* pDC, int index, int l, int t, int r, int b, BOOL dragging) override
    {
        DrawContent(pDC, index, CRect(l, t, r, b), dragging);
    }
    void DrawListItemContent(CDC* pDC, int index, int l, int t, int r, int b, BOOL dragging) override
    {
        DrawContent(pDC, index, CRect(l, t, r, b), dragging);
    }

protected:
    void OnContextMenu(CWnd*, CPoint) { ++m_contextMenus; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestScrollList, CScrollItemListWnd)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

// The plain list, with the system's scroll bar when asked for, drawing nothing of its own.
class CTestPlainList : public CTestList<CItemListWnd> {
public:
    int m_deletedRecords = 0;
    void DeleteItemRecord(CItemRecord* pRecord) override
    {
        ++m_deletedRecords;
        CItemListWnd::DeleteItemRecord(pRecord);
    }
};

LPARAM At(int x, int y)
{
    return MAKELPARAM((WORD)(short)x, (WORD)(short)y);
}

CPoint Centre(const CRect& rc)
{
    return rc.CenterPoint();
}

// Holds the given keys down for GetKeyState while it lives.
class CKeysDown {
public:
    explicit CKeysDown(std::initializer_list<int> keys)
    {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        memcpy(state, m_saved, sizeof(state));
        for (int k : keys) state[k] |= 0x80;
        ::SetKeyboardState(state);
    }
    ~CKeysDown() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

} // namespace

class ItemListTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        m_parent.MoveWindow(40, 40, 700, 480);
        m_parent.UpdateWindow();
    }
    void TearDown() override
    {
        if (m_list.m_hWnd) m_list.DestroyWindow();
        if (m_plain.m_hWnd) m_plain.DestroyWindow();
        if (CWnd::GetCapture()) ::ReleaseCapture();
        ToolkitWindowTest::TearDown();
    }
    // A dark list as the player uses it: 530 x 350 at (10, 10) of the parent.
    void MakeList(int count, BOOL grid = TRUE, int width = 530, int height = 350)
    {
        m_list.SetBackgroundColor(kChrome);
        m_list.SetLayoutFlags(grid ? ILS_GRID : 0);
        ASSERT_TRUE(m_list.Create(NULL, NULL, WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(10, 10, 10 + width, 10 + height),
                                  &m_parent, 10));
        m_list.Fill(count);
        m_list.UpdateWindow();
    }
    void Send(UINT message, WPARAM wParam, CPoint pt) { m_list.SendMessage(message, wParam, At(pt.x, pt.y)); }
    void Post(UINT message, WPARAM wParam, CPoint pt) { m_list.PostMessage(message, wParam, At(pt.x, pt.y)); }
    CRect ItemRect(int index)
    {
        CRect rc;
        m_list.GetItemRect(index, &rc);
        return rc;
    }
    void Click(int index, WPARAM keys = 0)
    {
        const CPoint pt = Centre(ItemRect(index));
        Send(WM_MOUSEMOVE, 0, pt);
        Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, pt);
        Send(WM_LBUTTONUP, keys, pt);
    }
    std::vector<int> Selected()
    {
        std::vector<int> s;
        for (int i = m_list.GetNextSelectedItem(0); i >= 0; i = m_list.GetNextSelectedItem(i + 1)) s.push_back(i);
        return s;
    }
    COLORREF Pixel(int x, int y) { return ClientPixel(m_list, x, y); }
    bool ShowsColour(int x, int y, COLORREF colour)
    {
        return PumpUntil([&] { return Pixel(x, y) == colour; }, 5000);
    }
    // Presses the left button on an item and moves it until the drag begins.
    void StartDrag(int index)
    {
        const CPoint pt = Centre(ItemRect(index));
        Send(WM_MOUSEMOVE, 0, pt);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, pt);
        Send(WM_MOUSEMOVE, MK_LBUTTON, pt);
        Send(WM_MOUSEMOVE, MK_LBUTTON, pt + CPoint(6, 4));
    }

    CTestScrollList m_list;
    CTestPlainList m_plain;
};

// ---- layout and hit tests

TEST_F(ItemListTest, AGridOf530PixelsWithDefaultCellsHasTwoColumns)
{
    // The plain window, without a scroll bar of its own, so the view is the whole 530 pixels.
    ASSERT_TRUE(m_plain.Create(NULL, NULL, WS_CHILD | WS_VISIBLE, CRect(10, 10, 540, 360), &m_parent, 11));
    m_plain.Fill(5);
    EXPECT_EQ(CSize(240, 160), m_plain.GetItemSize());
    EXPECT_EQ(CSize(16, 16), m_plain.GetGaps());
    EXPECT_EQ(2, m_plain.GetColumnCount());
    EXPECT_EQ(2, m_plain.GetScrollLimit()) << "3 rows with a page of 2";
    CRect rc;
    ASSERT_TRUE(m_plain.GetItemRect(4, &rc));
    EXPECT_EQ(CRect(16, 16 + 2 * 176, 256, 16 + 2 * 176 + 160), rc) << "item 4: row 2, column 0";
    ASSERT_TRUE(m_plain.GetItemRect(1, &rc));
    EXPECT_EQ(CRect(272, 16, 512, 176), rc);
    EXPECT_FALSE(m_plain.GetItemRect(5, &rc));
    EXPECT_TRUE(rc.IsRectEmpty());
    EXPECT_FALSE(m_plain.GetItemRect(-1, &rc));

    // The content overflows, so the window shows the system's scroll bar, which leaves 513
    // pixels; margins shift the grid and take their share of the width.
    CRect client;
    m_plain.GetClientRect(&client);
    EXPECT_EQ(530 - ::GetSystemMetrics(SM_CXVSCROLL), client.Width());
    m_plain.SetMargins(1, 20, 0, 0);
    EXPECT_EQ(2, m_plain.GetColumnCount());
    m_plain.GetItemRect(0, &rc);
    EXPECT_EQ(CPoint(17, 36), rc.TopLeft());
    m_plain.SetMargins(10, 20, 0, 0);
    EXPECT_EQ(1, m_plain.GetColumnCount());
    m_plain.SetMargins(0, 0, 0, 0);
    m_plain.SetLayoutFlags(ILS_GRID | ILS_FIXEDCOLUMNS);
    m_plain.SetColumnCount(4);
    EXPECT_EQ(4, m_plain.GetColumnCount());
    m_plain.GetItemRect(4, &rc);
    EXPECT_EQ(CPoint(16, 192), rc.TopLeft());
    m_plain.SetLayoutFlags(ILS_GRID);
    EXPECT_EQ(2, m_plain.GetColumnCount());
    m_plain.MoveWindow(10, 10, 255, 350);
    EXPECT_EQ(1, m_plain.GetColumnCount()) << "never fewer than one column";
}

TEST_F(ItemListTest, GridHitTestsFindCellsButNeverTheGaps)
{
    MakeList(5);
    EXPECT_EQ(2, m_list.GetColumnCount());
    EXPECT_EQ(0, m_list.HitTest(16, 16));
    EXPECT_EQ(0, m_list.HitTest(255, 175));
    EXPECT_EQ(-1, m_list.HitTest(256, 100)) << "the gap right of item 0";
    EXPECT_EQ(-1, m_list.HitTest(100, 180)) << "the gap below item 0";
    EXPECT_EQ(-1, m_list.HitTest(8, 100)) << "the left gap";
    EXPECT_EQ(1, m_list.HitTest(300, 100));
    EXPECT_EQ(3, m_list.HitTest(300, 200));
    EXPECT_EQ(4, m_list.HitTest(100, 380));
    EXPECT_EQ(-1, m_list.HitTest(300, 380)) << "past the last item";

    // A click in a gap hits nothing and clears the selection.
    Click(1);
    ASSERT_EQ(std::vector<int>{1}, Selected());
    Send(WM_LBUTTONDOWN, MK_LBUTTON, CPoint(264, 100));
    Send(WM_LBUTTONUP, 0, CPoint(264, 100));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(-1, m_list.GetCurrentItem());

    // Scrolled one row down, the first visible row holds items 2 and 3.
    m_list.SetScrollPos(1);
    EXPECT_EQ(1, m_list.GetScrollPos());
    EXPECT_EQ(2, m_list.HitTest(100, 100));
    EXPECT_EQ(CRect(16, 16 - 176, 256, 0), ItemRect(0)) << "item 0 lies above the view";
}

TEST_F(ItemListTest, ListRowsFollowTheScrollPosition)
{
    MakeList(40, FALSE);
    EXPECT_EQ(24, m_list.GetRowHeight());
    EXPECT_TRUE(m_list.HasVScroll()) << "40 rows do not fit 350 pixels";
    const int right = 530 - 16;
    EXPECT_EQ(CRect(0, 48, right, 72), ItemRect(2));
    EXPECT_EQ(0, m_list.HitTest(5, 0));
    EXPECT_EQ(14, m_list.HitTest(5, 349));
    EXPECT_EQ(-1, m_list.HitTest(right + 2, 10)) << "the scroll bar's strip is not a row";
    m_list.SetScrollPos(10);
    EXPECT_EQ(10, m_list.HitTest(5, 0));
    EXPECT_EQ(CRect(0, -48, right, -24), ItemRect(8));
    // The limit: 40 items with a page of 15 rows stop at 26.
    m_list.SetScrollPos(1000);
    EXPECT_EQ(26, m_list.GetScrollPos());
    EXPECT_EQ(39, m_list.HitTest(5, 13 * 24 + 1));
    EXPECT_EQ(-1, m_list.HitTest(5, 14 * 24 + 1));
}

// ---- selection

TEST_F(ItemListTest, ShiftSelectsARangeFromTheCurrentItemAndCtrlToggles)
{
    MakeList(12, FALSE);
    Click(2);
    EXPECT_EQ(std::vector<int>({2}), Selected());
    EXPECT_EQ(2, m_list.GetCurrentItem());
    Click(5, MK_SHIFT);
    EXPECT_EQ(std::vector<int>({2, 3, 4, 5}), Selected());
    EXPECT_EQ(5, m_list.GetCurrentItem());
    Click(3, MK_CONTROL);
    EXPECT_EQ(std::vector<int>({2, 4, 5}), Selected());
    Click(8, MK_CONTROL);
    EXPECT_EQ(std::vector<int>({2, 4, 5, 8}), Selected());
    // Shift from the current item (now 8) upwards clears the rest.
    Click(6, MK_SHIFT);
    EXPECT_EQ(std::vector<int>({6, 7, 8}), Selected());
    // A plain click keeps only the item.
    Click(0);
    EXPECT_EQ(std::vector<int>({0}), Selected());
    // Without a current item, Shift counts from the first item.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, CPoint(5, 340));
    EXPECT_EQ(-1, m_list.GetCurrentItem());
    Click(3, MK_SHIFT);
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3}), Selected());
    EXPECT_EQ(4, m_list.GetSelectedCount());
    m_list.SelectAll(TRUE, TRUE);
    EXPECT_EQ(12, m_list.GetSelectedCount());
}

TEST_F(ItemListTest, ARightClickOnTheSelectionKeepsIt)
{
    MakeList(6);
    Click(0);
    Click(1, MK_CONTROL);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, Centre(ItemRect(1)));
    EXPECT_EQ(std::vector<int>({0, 1}), Selected());
    EXPECT_EQ(1, m_list.GetCurrentItem());
    Send(WM_RBUTTONDOWN, MK_RBUTTON, Centre(ItemRect(3)) + CPoint(30, 30));
    EXPECT_EQ(std::vector<int>({3}), Selected());
    Send(WM_RBUTTONDOWN, MK_RBUTTON, CPoint(264, 20));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(-1, m_list.GetCurrentItem());
}

TEST_F(ItemListTest, ArrowKeysStopAtTheEdgesOfTheGrid)
{
    MakeList(5);  // 2 columns: rows {0, 1}, {2, 3}, {4}; one whole row in view
    auto key = [&](UINT vk) { m_list.SendMessage(WM_KEYDOWN, vk, 0); };
    Click(4);
    key(VK_DOWN);
    EXPECT_EQ(4, m_list.GetCurrentItem()) << "Down from the last row does nothing";
    key(VK_RIGHT);
    EXPECT_EQ(4, m_list.GetCurrentItem()) << "Right from the last item does nothing";
    key(VK_UP);
    EXPECT_EQ(2, m_list.GetCurrentItem());
    EXPECT_EQ(std::vector<int>({2}), Selected());
    EXPECT_EQ(1, m_list.GetScrollPos()) << "row 1 became the last whole row";
    key(VK_RIGHT);
    key(VK_DOWN);
    EXPECT_EQ(4, m_list.GetCurrentItem()) << "3 is above the last row; the target 5 is kept to the last item";
    EXPECT_EQ(2, m_list.GetScrollPos());
    key(VK_UP);
    key(VK_UP);
    EXPECT_EQ(0, m_list.GetCurrentItem());
    EXPECT_EQ(0, m_list.GetScrollPos()) << "row 0 became the first row";
    key(VK_UP);
    EXPECT_EQ(0, m_list.GetCurrentItem()) << "Up from the first row does nothing";
    key(VK_LEFT);
    EXPECT_EQ(0, m_list.GetCurrentItem()) << "Left stops at item 0";
    {
        CKeysDown shift({VK_SHIFT});
        key(VK_RIGHT);
        key(VK_DOWN);
    }
    EXPECT_EQ(std::vector<int>({0, 1, 3}), Selected()) << "Shift adds each item it reaches";
    {
        CKeysDown control({VK_CONTROL});
        key(VK_LEFT);
    }
    EXPECT_EQ(2, m_list.GetCurrentItem());
    EXPECT_EQ(std::vector<int>({0, 1, 3}), Selected()) << "Ctrl moves without selecting";
    key(VK_DOWN);
    EXPECT_EQ(std::vector<int>({4}), Selected());
    EXPECT_EQ(2, m_list.GetScrollPos());
}

TEST_F(ItemListTest, ListKeysMoveUpAndDownOnlyAndScrollTheCurrentItemIntoView)
{
    MakeList(30, FALSE);  // 14 whole rows of 24 in 350 pixels
    auto key = [&](UINT vk) { m_list.SendMessage(WM_KEYDOWN, vk, 0); };
    Click(0);
    key(VK_UP);
    EXPECT_EQ(0, m_list.GetCurrentItem());
    key(VK_LEFT);
    key(VK_RIGHT);
    EXPECT_EQ(0, m_list.GetCurrentItem()) << "Left and Right mean nothing in a list";
    for (int i = 0; i < 14; ++i) key(VK_DOWN);
    EXPECT_EQ(14, m_list.GetCurrentItem());
    EXPECT_EQ(1, m_list.GetScrollPos());
    m_list.EnsureVisible(29);
    EXPECT_EQ(16, m_list.GetScrollPos());
    m_list.EnsureVisible(3);
    EXPECT_EQ(3, m_list.GetScrollPos());
    for (int i = 0; i < 40; ++i) key(VK_DOWN);
    EXPECT_EQ(29, m_list.GetCurrentItem());
}

// ---- changing the items

TEST_F(ItemListTest, DeletingKeepsTheIndicesOfTheItemsAfterIt)
{
    MakeList(8, FALSE);
    Click(5);
    ASSERT_TRUE(m_list.DeleteItem(2, TRUE));
    EXPECT_EQ(5, m_list.GetCurrentItem()) << "the current index now names the former item 6";
    EXPECT_EQ((INT_PTR)6, (INT_PTR)m_list.GetItemData(5));
    EXPECT_FALSE(m_list.DeleteItem(7, TRUE));
    EXPECT_FALSE(m_list.DeleteItem(-1, TRUE));
    ASSERT_TRUE(m_list.DeleteItem(5, TRUE));
    EXPECT_EQ(-1, m_list.GetCurrentItem()) << "deleting the current item leaves none";
    Click(5);
    m_list.DeleteItem(0, TRUE);
    m_list.DeleteItem(0, TRUE);
    EXPECT_EQ(-1, m_list.GetCurrentItem()) << "an index past the end goes";
    EXPECT_EQ(std::vector<INT_PTR>({3, 4, 5, 7}), m_list.Order());
    EXPECT_EQ(nullptr, m_list.GetItemData(4));
    EXPECT_EQ(0u, m_list.GetItemState(4));

    // Inserting keeps the index inside the list.
    EXPECT_EQ(0, m_list.InsertItem(-5, (void*)100, TRUE));
    EXPECT_EQ(5, m_list.InsertItem(99, (void*)101, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({100, 3, 4, 5, 7, 101}), m_list.Order());
}

TEST_F(ItemListTest, MovingAndSwappingIgnoreIndicesOutOfRange)
{
    MakeList(5, FALSE);
    m_list.SetItemState(1, 0, ILIS_SELECTED | 0x100, FALSE);
    EXPECT_TRUE(m_list.MoveItem(1, 3, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({0, 2, 3, 1, 4}), m_list.Order());
    EXPECT_EQ((DWORD)(ILIS_SELECTED | 0x100), m_list.GetItemState(3)) << "the state travels with the item";
    EXPECT_TRUE(m_list.MoveItem(4, 0, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({4, 0, 2, 3, 1}), m_list.Order());
    EXPECT_FALSE(m_list.MoveItem(2, 2, TRUE));
    EXPECT_FALSE(m_list.MoveItem(5, 0, TRUE)) << "a stale source";
    EXPECT_FALSE(m_list.MoveItem(0, 5, TRUE)) << "a target past the end";
    EXPECT_FALSE(m_list.MoveItem(-1, 2, TRUE));
    EXPECT_FALSE(m_list.MoveItem(2, -1, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({4, 0, 2, 3, 1}), m_list.Order());
    EXPECT_TRUE(m_list.SwapItems(0, 4, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({1, 0, 2, 3, 4}), m_list.Order());
    EXPECT_FALSE(m_list.SwapItems(0, 9, TRUE));
    EXPECT_EQ(std::vector<INT_PTR>({1, 0, 2, 3, 4}), m_list.Order());
}

TEST_F(ItemListTest, RecordsAreFreedThroughTheOwnersOperationWhenTheWindowGoes)
{
    ASSERT_TRUE(m_plain.Create(NULL, NULL, WS_CHILD | WS_VISIBLE, CRect(10, 10, 300, 300), &m_parent, 11));
    m_plain.Fill(7);
    m_plain.DeleteItem(3, TRUE);
    EXPECT_EQ(1, m_plain.m_deletedRecords);
    m_plain.DestroyWindow();
    EXPECT_EQ(7, m_plain.m_deletedRecords);
    EXPECT_EQ(0, m_plain.GetItemCount());
}

// ---- scrolling

TEST_F(ItemListTest, ScrollMessagesMoveByLinesPagesAndTheThumb)
{
    MakeList(40, FALSE);  // page 15 (ceil), 14 whole rows; limit 26
    auto scroll = [&](UINT code, UINT pos = 0) { m_list.SendMessage(WM_VSCROLL, MAKEWPARAM(code, pos), 0); };
    scroll(SB_LINEDOWN);
    EXPECT_EQ(1, m_list.GetScrollPos());
    scroll(SB_PAGEDOWN);
    EXPECT_EQ(15, m_list.GetScrollPos());
    scroll(SB_PAGEUP);
    scroll(SB_LINEUP);
    scroll(SB_LINEUP);
    EXPECT_EQ(0, m_list.GetScrollPos());
    scroll(SB_THUMBTRACK, 20);
    EXPECT_EQ(20, m_list.GetScrollPos());
    scroll(SB_BOTTOM);
    EXPECT_EQ(26, m_list.GetScrollPos());
    scroll(SB_TOP);
    EXPECT_EQ(0, m_list.GetScrollPos());
    m_list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-240), 0);
    EXPECT_EQ(2, m_list.GetScrollPos());
    m_list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(1, m_list.GetScrollPos());

    // The skinned bar's own down arrow reaches the list as a line down.
    CSkinScrollBar& bar = m_list.GetScrollBar();
    CRect down = bar.GetDownArrowRect();
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(down.CenterPoint().x, down.CenterPoint().y));
    bar.SendMessage(WM_LBUTTONUP, 0, At(down.CenterPoint().x, down.CenterPoint().y));
    EXPECT_TRUE(PumpUntil([&] { return m_list.GetScrollPos() == 2; }));

    // In a grid the position counts rows.
    m_list.DestroyWindow();
    MakeList(20);  // 10 rows of 2, page 2
    scroll(SB_PAGEDOWN);
    EXPECT_EQ(1, m_list.GetScrollPos()) << "350 pixels hold one whole row of 176";
    scroll(SB_BOTTOM);
    EXPECT_EQ(9, m_list.GetScrollPos());
    EXPECT_EQ(18, m_list.HitTest(100, 100));
}

TEST_F(ItemListTest, TheThumbReachesRowsBeyondWhatTheMessageCarries)
{
    MakeList(70000, FALSE);  // page 15: the last position is 69986, past 16 bits
    CSkinScrollBar& bar = m_list.GetScrollBar();
    const CRect thumb = bar.GetThumbRect();
    const CPoint grab = thumb.CenterPoint();
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(grab.x, grab.y));
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(grab.x, grab.y + 1000));
    ASSERT_EQ(69986, bar.GetTrackPos());
    EXPECT_TRUE(PumpUntil([&] { return m_list.GetScrollPos() == 69986; }, 5000)) << m_list.GetScrollPos();
    EXPECT_EQ(69986, m_list.HitTest(5, 1)) << "the last page shows";
    // Half way down is half way through the items.
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(grab.x, grab.y + (bar.GetChannelRect().Height() - thumb.Height()) / 2));
    EXPECT_TRUE(PumpUntil([&] { return m_list.GetScrollPos() > 30000 && m_list.GetScrollPos() < 40000; }, 5000))
        << m_list.GetScrollPos();
    bar.SendMessage(WM_LBUTTONUP, 0, At(grab.x, grab.y));
    PumpPending();
}

TEST_F(ItemListTest, TheScrollBarTakesItsStripOnlyWhileItIsNeeded)
{
    MakeList(4);  // 2 rows of 2 in 350 pixels: page 2 < 3, the bar shows
    EXPECT_TRUE(m_list.HasVScroll());
    CRect view;
    m_list.GetViewRect(&view);
    EXPECT_EQ(514, view.Width());
    CRect bar;
    m_list.GetScrollBarRect(&bar);
    EXPECT_EQ(CRect(514, 0, 530, 350), bar);
    CRect barWindow;
    m_list.GetScrollBar().GetWindowRect(&barWindow);
    m_list.ScreenToClient(&barWindow);
    EXPECT_EQ(bar, barWindow);
    // Taller, everything fits and the bar hides: the view gets the whole width back.
    m_list.MoveWindow(10, 10, 530, 460);
    EXPECT_FALSE(m_list.HasVScroll());
    m_list.GetViewRect(&view);
    EXPECT_EQ(530, view.Width());

    // A width where the bar's strip costs a column: the layout is made again when it shows, so
    // every row stays reachable.
    m_list.DestroyWindow();
    MakeList(7, TRUE, 770, 350);  // 3 columns on 770, 2 on the 754 left beside the bar
    ASSERT_TRUE(m_list.HasVScroll());
    EXPECT_EQ(2, m_list.GetColumnCount());
    EXPECT_EQ(3, m_list.GetScrollLimit()) << "4 rows of 2 (not 3 rows of 3) with a page of 2";
    m_list.SetScrollPos(100);
    EXPECT_EQ(3, m_list.GetScrollPos());
    EXPECT_EQ(6, m_list.HitTest(100, 20)) << "the last row is the first one shown";
}

// ---- rubber band

TEST_F(ItemListTest, TheRubberBandSelectsCellsItCoversByAQuarter)
{
    MakeList(4);
    // From the top-left gap across a quarter of item 0's width and height, and a fifth of item 1's.
    const CPoint from(4, 4);
    const CRect one = ItemRect(1);
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(16 + 60, 16 + 100));
    Post(WM_LBUTTONUP, 0, CPoint(16 + 60, 16 + 100));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Send(WM_MOUSEMOVE, MK_LBUTTON, from + CPoint(5, 5));
    PumpPending();
    EXPECT_EQ(std::vector<int>({0}), Selected()) << "60 of 240 is a quarter";
    EXPECT_EQ(nullptr, CWnd::GetCapture());

    // A band covering a fifth of a cell's width and a fifth of its height does not select it:
    // from the gap below item 1 to 48 x 32 pixels inside its bottom-right corner.
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(one.right, one.bottom - 160 / 5));
    Post(WM_LBUTTONUP, 0, CPoint(one.right, one.bottom - 160 / 5));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, CPoint(one.right - 240 / 5, one.bottom + 8));
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(one.right - 240 / 5 + 5, one.bottom + 4));
    PumpPending();
    EXPECT_TRUE(Selected().empty()) << "a band of 48 x 32 over item 1's corner";

    // Small moves (no more than 3 pixels, or none in one direction) start no band.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Send(WM_MOUSEMOVE, MK_LBUTTON, from + CPoint(3, 3));
    Send(WM_MOUSEMOVE, MK_LBUTTON, from + CPoint(200, 0));
    EXPECT_EQ(nullptr, CWnd::GetCapture());
    Send(WM_LBUTTONUP, 0, from);
}

TEST_F(ItemListTest, TheRubberBandLeavesNoLinesWhenTheListPaintsUnderIt)
{
    MakeList(4);
    const CPoint from(4, 4), to(300, 300);
    // Another thread has the list repainted while the band is up (a thumbnail that arrives),
    // then lets the button go.
    const DWORD uiThread = ::GetCurrentThreadId();
    const HWND list = m_list.m_hWnd;
    std::thread other([&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000; ::Sleep(10))
            if (::GetGUIThreadInfo(uiThread, &info) && info.hwndCapture == list) break;
        ::Sleep(200);
        ::InvalidateRect(list, NULL, FALSE);
        ::Sleep(300);
        ::PostMessageW(list, WM_LBUTTONUP, 0, At(to.x, to.y));
    });
    Post(WM_MOUSEMOVE, MK_LBUTTON, to);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Send(WM_MOUSEMOVE, MK_LBUTTON, from + CPoint(5, 5));
    other.join();
    PumpPending();
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3}), Selected());
    // The band's left edge ran down the gap left of the cells, its top edge along the gap above.
    EXPECT_EQ(kChrome, Pixel(from.x, 150));
    EXPECT_EQ(kChrome, Pixel(150, from.y));
    EXPECT_EQ(kChrome, Pixel(to.x, 180)) << "its right edge, in the gap between the rows";
}

TEST_F(ItemListTest, TheRubberBandScrollsWhenThePointerLeavesTheView)
{
    MakeList(12);  // 6 rows of 2, page 2, limit 5
    const CPoint from(4, 4);
    // Below the view's bottom by more than 8 pixels, twice: two rows down, the band's anchor
    // moving up with the content so items 0..5 end up covered.
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(300, 300));
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(300, 370));
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(301, 371));
    Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(300, 170));
    Post(WM_LBUTTONUP, 0, CPoint(300, 170));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Send(WM_MOUSEMOVE, MK_LBUTTON, from + CPoint(10, 10));
    PumpPending();
    EXPECT_EQ(2, m_list.GetScrollPos());
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5}), Selected());
}

// ---- parts

TEST_F(ItemListTest, PartsOfTheHoverItemTurnHotAndAnswerClicks)
{
    MakeList(4);
    const CRect rc = ItemRect(1);
    const CPoint del(rc.right - 5, rc.top + 5), play(rc.left + 5, rc.top + 5), body = Centre(rc);
    Send(WM_MOUSEMOVE, 0, body);
    EXPECT_EQ(1, m_list.GetHoverItem());
    EXPECT_EQ(-1, m_list.GetHotPart());
    EXPECT_TRUE(ShowsColour(del.x, del.y, kPartColour));
    Send(WM_MOUSEMOVE, 0, del);
    EXPECT_EQ(CTestScrollList::kDeletePart, m_list.GetHotPart());
    EXPECT_TRUE(ShowsColour(del.x, del.y, kHotPartColour));
    EXPECT_EQ(m_host.GetHandCursor(), ::GetCursor());

    // Pressing a part selects nothing; releasing over it clicks it.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, del);
    EXPECT_EQ(CTestScrollList::kDeletePart, m_list.GetPressedPart());
    EXPECT_TRUE(Selected().empty());
    Send(WM_MOUSEMOVE, MK_LBUTTON, del + CPoint(1, 1));
    EXPECT_FALSE(m_list.IsDragging()) << "a pressed part starts no drag";
    Send(WM_LBUTTONUP, 0, del);
    EXPECT_EQ(-1, m_list.GetPressedPart());
    ASSERT_EQ(1u, m_list.m_clicks.size());
    EXPECT_EQ(1, m_list.m_clicks[0].index);
    EXPECT_EQ(CTestScrollList::kDeletePart, m_list.m_clicks[0].part);
    EXPECT_FALSE(m_list.m_clicks[0].right);

    // The play part also takes the right button, without a context menu after it; elsewhere the
    // right button brings the menu.
    Send(WM_MOUSEMOVE, 0, play);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, play);
    EXPECT_EQ(ILP_RIGHTBUTTON_PART, m_list.GetPressedPart());
    Send(WM_RBUTTONUP, 0, play);
    ASSERT_EQ(2u, m_list.m_clicks.size());
    EXPECT_EQ(ILP_RIGHTBUTTON_PART, m_list.m_clicks[1].part);
    EXPECT_TRUE(m_list.m_clicks[1].right);
    EXPECT_EQ(0, m_list.m_contextMenus);
    Send(WM_MOUSEMOVE, 0, body);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, body);
    Send(WM_RBUTTONUP, 0, body);
    EXPECT_EQ(2u, m_list.m_clicks.size());
    EXPECT_EQ(1, m_list.m_contextMenus);
    EXPECT_EQ(std::vector<int>({1}), Selected());

    // The pointer leaving the window takes the hover item and its hot part along.
    Send(WM_MOUSEMOVE, 0, del);
    EXPECT_EQ(CTestScrollList::kDeletePart, m_list.GetHotPart());
    m_list.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(-1, m_list.GetHoverItem());
    EXPECT_EQ(-1, m_list.GetHotPart());
    EXPECT_TRUE(ShowsColour(del.x, del.y, ItemColour(1)));
}

// ---- drawing

TEST_F(ItemListTest, GridAndListLayoutsAsTheyAreDrawn)
{
    MakeList(7);
    Click(2);
    Send(WM_MOUSEMOVE, 0, Centre(ItemRect(3)));
    const CRect two = ItemRect(2);
    EXPECT_TRUE(ShowsColour(two.left + 2, two.top + 30, kSelected));
    EXPECT_TRUE(ShowsColour(two.left + 30, two.top + 30, ItemColour(2)));
    EXPECT_EQ(kHover, Pixel(ItemRect(3).left + 2, ItemRect(3).top + 40));
    EXPECT_EQ(kChrome, Pixel(two.right + 8, two.top + 40)) << "the gap shows the background";
    EXPECT_EQ(kChrome, Pixel(8, 8));
    EXPECT_EQ(RGB(64, 64, 64), Pixel(520, 60)) << "the skinned bar's thumb at the top of its strip";
    SaveWindowScreenshot(L"toolkit", L"item-list-grid", m_list);

    m_list.DestroyWindow();
    MakeList(30, FALSE);
    Click(4);
    Click(6, MK_SHIFT);
    Send(WM_MOUSEMOVE, 0, Centre(ItemRect(9)));
    m_list.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    const CRect five = ItemRect(5);
    EXPECT_EQ(CRect(0, 4 * 24, 514, 5 * 24), five);
    EXPECT_TRUE(ShowsColour(2, five.top + 12, kSelected));
    EXPECT_TRUE(ShowsColour(30, five.top + 12, ItemColour(5)));
    EXPECT_EQ(kHover, Pixel(200, ItemRect(9).top + 2)) << "the frame of the row under the mouse";
    EXPECT_EQ(ItemColour(1), Pixel(30, 12)) << "scrolled by one row";
    SaveWindowScreenshot(L"toolkit", L"item-list-rows", m_list);

    // An empty list is all background.
    m_list.DeleteAllItems(TRUE);
    EXPECT_TRUE(ShowsColour(30, 12, kChrome));
    EXPECT_FALSE(m_list.HasVScroll());
}

TEST_F(ItemListTest, DrawingHandsTheDCBackWithTheObjectsItFoundInIt)
{
    MakeList(7);
    Click(2);
    Send(WM_MOUSEMOVE, 0, Centre(ItemRect(3)));
    CCheckedDC dc(530, 350);
    m_list.Draw(&dc);
    EXPECT_EQ("", dc.Exchanged()) << "the grid";
    CItemListTracker band(&m_list);
    const CRect rc(4, 4, 300, 200);
    band.DrawTrackerRect(&rc, &m_list, &dc, &m_list);
    EXPECT_EQ("", dc.Exchanged()) << "the rubber band";
    m_list.DestroyWindow();
    MakeList(30, FALSE);
    m_list.Draw(&dc);
    EXPECT_EQ("", dc.Exchanged()) << "the rows";
    m_list.DeleteAllItems(TRUE);
    m_list.Draw(&dc);
    EXPECT_EQ("", dc.Exchanged()) << "an empty list";
}

// ---- drag and drop

TEST_F(ItemListTest, DraggingACardShowsTheMarkAndTheGridCursorAndMovesItOnRelease)
{
    MakeList(6);  // rows {0, 1}, {2, 3}, {4, 5}
    const CRect zero = ItemRect(0);
    StartDrag(0);
    ASSERT_TRUE(m_list.IsDragging());
    EXPECT_EQ(0, m_list.GetDragItem());
    EXPECT_EQ(&m_list, CWnd::GetCapture());
    EXPECT_NE(nullptr, ImageList_GetDragImage(NULL, NULL));

    // Over item 2: after the dragged item, so the mark stands in the gap right of it.
    const CRect two = ItemRect(2);
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(two));
    EXPECT_EQ(2, m_list.GetDropTarget());
    const CRect mark = m_list.GetInsertionMarkRect(2);
    EXPECT_EQ(CRect(two.right + 8, two.top, two.right + 9, two.bottom), mark);
    EXPECT_TRUE(ShowsColour(mark.left, mark.top + 50, RGB(255, 0, 0)));
    EXPECT_TRUE(ShowsColour(zero.left + 30, zero.top + 30, kChrome)) << "the dragged card's cell shows empty";
    ASSERT_NE(nullptr, m_list.GetGridDropCursor()) << "cursor 137 of the resources";
    EXPECT_EQ(m_list.GetGridDropCursor(), m_list.GetDragCursor());
    EXPECT_EQ(m_list.GetGridDropCursor(), ::GetCursor());
    CRect window;
    m_list.GetWindowRect(&window);
    SaveScreenRectScreenshot(L"toolkit", L"item-list-drag", window);

    // The gap right of item 2 still means item 2; the gap left of it means nothing.
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(two.right + 4, two.top + 40));
    EXPECT_EQ(2, m_list.GetDropTarget());
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(two.left - 4, two.top + 40));
    EXPECT_EQ(-1, m_list.GetDropTarget());
    EXPECT_TRUE(ShowsColour(mark.left, mark.top + 50, kChrome)) << "the old mark is gone";
    EXPECT_EQ(::LoadCursorW(NULL, IDC_ARROW), ::GetCursor());
    // Outside the window there is no target either.
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(-20, 40));
    EXPECT_EQ(-1, m_list.GetDropTarget());

    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(two));
    Send(WM_LBUTTONUP, 0, Centre(two));
    EXPECT_FALSE(m_list.IsDragging());
    EXPECT_EQ(nullptr, CWnd::GetCapture());
    EXPECT_EQ(nullptr, ImageList_GetDragImage(NULL, NULL));
    EXPECT_EQ(std::vector<INT_PTR>({1, 2, 0, 3, 4, 5}), m_list.Order());
    EXPECT_EQ(std::vector<int>({2}), Selected()) << "the moved item stays selected";
    EXPECT_TRUE(ShowsColour(two.left + 30, two.top + 30, ItemColour(0)));
    EXPECT_TRUE(ShowsColour(zero.left + 30, zero.top + 30, ItemColour(1)));
    EXPECT_TRUE(ShowsColour(mark.left, mark.top + 50, kChrome));

    // Backwards: in the gap left of item 1 (before the dragged item 3) the mark stands there.
    StartDrag(3);
    ASSERT_TRUE(m_list.IsDragging());
    const CRect one = ItemRect(1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(one.left - 6, one.top + 40));
    EXPECT_EQ(1, m_list.GetDropTarget()) << "the gap on the side the item moves away from";
    EXPECT_EQ(CRect(one.left - 8, one.top, one.left - 7, one.bottom), m_list.GetInsertionMarkRect(1));
    Send(WM_LBUTTONUP, 0, CPoint(one.left - 6, one.top + 40));
    EXPECT_EQ(std::vector<INT_PTR>({1, 3, 2, 0, 4, 5}), m_list.Order());
}

TEST_F(ItemListTest, ARepaintInMidDragKeepsTheMarkAndTheCardsNewLook)
{
    MakeList(6);
    StartDrag(0);
    ASSERT_TRUE(m_list.IsDragging());
    const CRect two = ItemRect(2), three = ItemRect(3);
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(two));
    PumpPending();
    // Item 2 changes its look under the image (its data changed while the user drags).
    m_list.SetItemState(2, 0, ILIS_SELECTED, TRUE);
    m_list.UpdateWindow();
    // The mark in the gap right of item 2 survives a repaint of the whole list too.
    const CRect mark = m_list.GetInsertionMarkRect(2);
    m_list.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(ShowsColour(mark.left, mark.top + 50, RGB(255, 0, 0)));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(three) + CPoint(60, 0));
    EXPECT_TRUE(ShowsColour(two.left + 2, two.top + 30, kSelected)) << "not the picture from before";
    EXPECT_TRUE(ShowsColour(two.left + 30, two.top + 30, ItemColour(2)));
    m_list.CancelDrag();
}

TEST_F(ItemListTest, DraggingARowUsesTheListCursorAndMarksTheRowEdge)
{
    MakeList(10, FALSE);
    StartDrag(2);
    ASSERT_TRUE(m_list.IsDragging());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(ItemRect(6)));
    EXPECT_EQ(6, m_list.GetDropTarget());
    ASSERT_NE(nullptr, m_list.GetListDropCursor()) << "cursor 136 of the resources";
    EXPECT_EQ(m_list.GetListDropCursor(), ::GetCursor());
    const CRect six = ItemRect(6);
    EXPECT_FALSE(m_list.HasVScroll());
    EXPECT_EQ(CRect(0, six.bottom - 1, 530, six.bottom), m_list.GetInsertionMarkRect(6));
    EXPECT_TRUE(ShowsColour(100, six.bottom - 1, RGB(255, 0, 0)));
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(265, 20));
    EXPECT_EQ(0, m_list.GetDropTarget());
    EXPECT_EQ(CRect(0, 0, 530, 1), m_list.GetInsertionMarkRect(0));
    EXPECT_TRUE(ShowsColour(100, 0, RGB(255, 0, 0)));
    EXPECT_TRUE(ShowsColour(100, six.bottom - 1, kChrome));
    // Over its own row: a target, but no mark and no move.
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(ItemRect(2)));
    EXPECT_EQ(2, m_list.GetDropTarget());
    EXPECT_TRUE(m_list.GetInsertionMarkRect(2).IsRectEmpty());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(ItemRect(0)));
    Send(WM_LBUTTONUP, 0, Centre(ItemRect(0)));
    EXPECT_EQ(std::vector<INT_PTR>({2, 0, 1, 3, 4, 5, 6, 7, 8, 9}), m_list.Order());
}

TEST_F(ItemListTest, NoDragStartsWhileTwoItemsAreSelected)
{
    MakeList(6);
    Click(0);
    Click(1, MK_CONTROL);
    const CPoint pt = Centre(ItemRect(1));
    Send(WM_MOUSEMOVE, MK_LBUTTON, pt);
    Send(WM_MOUSEMOVE, MK_LBUTTON, pt + CPoint(5, 5));
    Send(WM_MOUSEMOVE, MK_LBUTTON, pt + CPoint(40, 40));
    EXPECT_FALSE(m_list.IsDragging());
    EXPECT_EQ(nullptr, CWnd::GetCapture());
    // One list item alone does drag; but with a single item there is nowhere to drop.
    m_list.DestroyWindow();
    MakeList(1);
    StartDrag(0);
    ASSERT_TRUE(m_list.IsDragging());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(ItemRect(0)));
    EXPECT_EQ(-1, m_list.GetDropTarget());
    Send(WM_LBUTTONUP, 0, Centre(ItemRect(0)));
    EXPECT_FALSE(m_list.IsDragging());
}

TEST_F(ItemListTest, ADragEndsCleanlyWhenTheCaptureIsLostOrTheDragIsCancelled)
{
    MakeList(6);
    const std::vector<INT_PTR> order = m_list.Order();
    const CRect zero = ItemRect(0), two = ItemRect(2);
    const CRect mark(two.right + 8, two.top, two.right + 9, two.bottom);
    auto dragOverTwo = [&] {
        StartDrag(0);
        ASSERT_TRUE(m_list.IsDragging());
        Send(WM_MOUSEMOVE, MK_LBUTTON, Centre(two));
        ASSERT_EQ(2, m_list.GetDropTarget());
        ASSERT_TRUE(ShowsColour(mark.left, mark.top + 40, RGB(255, 0, 0)));
    };
    auto expectClean = [&](const char* how) {
        EXPECT_FALSE(m_list.IsDragging()) << how;
        EXPECT_EQ(-1, m_list.GetDropTarget()) << how;
        EXPECT_EQ(nullptr, ImageList_GetDragImage(NULL, NULL)) << how;
        EXPECT_NE(&m_list, CWnd::GetCapture()) << how;
        EXPECT_EQ(order, m_list.Order()) << how;
        EXPECT_TRUE(ShowsColour(mark.left, mark.top + 40, kChrome)) << how << ": the mark is gone";
        EXPECT_TRUE(ShowsColour(zero.left + 30, zero.top + 30, ItemColour(0))) << how << ": the item shows again";
        // The release that follows moves nothing.
        Send(WM_LBUTTONUP, 0, Centre(two));
        EXPECT_EQ(order, m_list.Order()) << how;
    };

    dragOverTwo();
    ::ReleaseCapture();
    expectClean("capture released");

    dragOverTwo();
    m_parent.SetCapture();
    expectClean("capture taken by another window");
    ::ReleaseCapture();

    dragOverTwo();
    m_list.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    expectClean("Esc");

    dragOverTwo();
    m_list.SendMessage(WM_CANCELMODE);
    expectClean("WM_CANCELMODE");

    // An item deleted under the drag ends it as well, before the stale index can move another.
    dragOverTwo();
    m_list.DeleteItem(5, TRUE);
    EXPECT_FALSE(m_list.IsDragging());
    Send(WM_LBUTTONUP, 0, Centre(two));
    EXPECT_EQ(std::vector<INT_PTR>({0, 1, 2, 3, 4}), m_list.Order());
}
