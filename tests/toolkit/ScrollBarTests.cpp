// The skinned scroll bar: its state rules, the thumb's geometry, hit tests, the drag mapping, the
// repeating arrows and what it paints.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "toolkit/SkinScrollBar.h"

namespace {

SCROLLINFO Info(UINT mask, int min, int max, UINT page, int pos, int track = 0)
{
    SCROLLINFO si = {sizeof(si), mask, min, max, page, pos, track};
    return si;
}

} // namespace

class SkinScrollBarTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        ASSERT_TRUE(m_bar.Create(&m_parent, 7));
        Place(216);
    }
    // Client 16 pixels wide; with 216 high the arrows take 0..16 and 200..216 and the channel
    // lies at 17..199 (182 pixels).
    void Place(int height) { m_bar.MoveWindow(400, 10, 16, height); }
    void Set(int min, int max, UINT page, int pos)
    {
        SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos);
        m_bar.SetScrollInfo(&si);
    }
    void Down(int y) { m_bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, y)); }
    void Move(int y) { m_bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, (WORD)(short)y)); }
    void Up(int y) { m_bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(8, y)); }
    // The last position the bar reported with SB_THUMBTRACK, -1 when none.
    int LastTrack()
    {
        PumpPending();
        for (auto it = m_parent.m_scrolls.rbegin(); it != m_parent.m_scrolls.rend(); ++it)
            if (it->code == SB_THUMBTRACK) return (int)it->pos;
        return -1;
    }
    size_t Count(UINT code)
    {
        size_t n = 0;
        for (const auto& s : m_parent.m_scrolls) n += s.code == code;
        return n;
    }
    CSkinScrollBar m_bar;
};

TEST_F(SkinScrollBarTest, APageAsLargeAsTheRangeHidesTheBar)
{
    Set(0, 99, 100, 0);
    EXPECT_FALSE(m_bar.IsWindowVisible());
    EXPECT_EQ(CSkinScrollBar::PartNone, m_bar.HitTest(8, 100));
    EXPECT_EQ(0, m_bar.GetScrollPos());

    // Shown all the same, it paints its background and nothing else: no arrows, no thumb.
    const COLORREF ground = RGB(10, 20, 30);
    m_bar.m_crBackground = ground;
    m_bar.ShowWindow(SW_SHOW);
    m_bar.RedrawWindow();
    auto at = [&](int x, int y) { return ClientPixel(m_bar, x, y); };
    ASSERT_TRUE(PumpUntil([&] { return at(8, 100) == ground; })) << std::hex << at(8, 100);
    for (int y : {4, 6, 9, 17, 26, 60, 199, 206, 211})
        EXPECT_EQ(ground, at(7, y)) << y;

    Set(0, 99, 10, 0);
    EXPECT_TRUE(m_bar.IsWindowVisible());
    m_bar.RedrawWindow();
    EXPECT_TRUE(PumpUntil([&] { return at(7, 6) == m_bar.m_crGlyphDisabled; })) << std::hex << at(7, 6);
}

TEST_F(SkinScrollBarTest, PositionsAreKeptWithinTheRangeLessThePage)
{
    Set(0, 99, 10, 0);
    SCROLLINFO si = Info(SIF_POS, 0, 0, 0, 200);
    EXPECT_EQ(1, m_bar.SetScrollInfo(&si));
    EXPECT_EQ(90, m_bar.GetScrollPos());
    si.nPos = 90;
    EXPECT_EQ(0, m_bar.SetScrollInfo(&si)) << "the same position again";
    si.nPos = -5;
    EXPECT_EQ(1, m_bar.SetScrollInfo(&si));
    EXPECT_EQ(0, m_bar.GetScrollPos());
    si = Info(SIF_TRACKPOS, 0, 0, 0, 0, 500);
    m_bar.SetScrollInfo(&si);
    EXPECT_EQ(90, m_bar.GetTrackPos());

    // A smaller range pulls the position in; a position given with a new range is kept in it.
    Set(0, 99, 10, 80);
    si = Info(SIF_RANGE, 0, 49, 0, 0);
    m_bar.SetScrollInfo(&si);
    EXPECT_EQ(40, m_bar.GetScrollPos());
    Set(0, 9, 5, 5);
    si = Info(SIF_RANGE | SIF_POS, 0, 999, 0, 500);
    m_bar.SetScrollInfo(&si);
    EXPECT_EQ(500, m_bar.GetScrollPos());
}

TEST_F(SkinScrollBarTest, TheThumbTakesThePagesShareOfTheChannel)
{
    Set(0, 99, 10, 0);
    EXPECT_EQ(CRect(0, 0, 16, 16), m_bar.GetUpArrowRect());
    EXPECT_EQ(CRect(0, 200, 16, 216), m_bar.GetDownArrowRect());
    EXPECT_EQ(CRect(0, 17, 16, 199), m_bar.GetChannelRect());
    EXPECT_EQ(CRect(0, 17, 16, 35), m_bar.GetThumbRect());   // 182 / 100 * 10 = 18.2
    Set(0, 99, 10, 45);
    EXPECT_EQ(CRect(0, 98, 16, 116), m_bar.GetThumbRect());  // 17 + 81.9
    Set(0, 99, 10, 90);
    EXPECT_EQ(CRect(0, 180, 16, 199), m_bar.GetThumbRect()) << "the last position reaches the channel's end";
}

TEST_F(SkinScrollBarTest, ASmallThumbGrowsTo16PixelsAndStaysInTheChannel)
{
    Set(0, 999, 5, 0);
    EXPECT_EQ(CRect(0, 17, 16, 33), m_bar.GetThumbRect());
    Set(0, 999, 5, 500);
    EXPECT_EQ(CRect(0, 100, 16, 116), m_bar.GetThumbRect()) << "centred on its place, 108";
    Set(0, 999, 5, 990);
    EXPECT_EQ(CRect(0, 183, 16, 199), m_bar.GetThumbRect());
    Set(0, 999, 5, 995);
    EXPECT_EQ(CRect(0, 183, 16, 199), m_bar.GetThumbRect());
}

TEST_F(SkinScrollBarTest, ShortBarsShrinkTheirArrowsAndDropTheThumb)
{
    Set(0, 99, 10, 45);
    Place(40);
    EXPECT_EQ(CRect(0, 0, 16, 16), m_bar.GetUpArrowRect());
    EXPECT_EQ(CRect(0, 24, 16, 40), m_bar.GetDownArrowRect());
    EXPECT_EQ(6, m_bar.GetChannelRect().Height());
    EXPECT_TRUE(m_bar.GetThumbRect().IsRectEmpty());
    EXPECT_EQ(20, m_bar.GetThumbRect().top);
    Place(20);
    EXPECT_EQ(CRect(0, 0, 16, 10), m_bar.GetUpArrowRect());
    EXPECT_EQ(CRect(0, 10, 16, 20), m_bar.GetDownArrowRect());
    EXPECT_EQ(CSkinScrollBar::PartUpArrow, m_bar.HitTest(8, 3));
    EXPECT_EQ(CSkinScrollBar::PartDownArrow, m_bar.HitTest(8, 15));
}

TEST_F(SkinScrollBarTest, HitTestNamesEveryPart)
{
    Set(0, 99, 10, 45);  // thumb 98..116
    EXPECT_EQ(CSkinScrollBar::PartUpArrow, m_bar.HitTest(8, 5));
    EXPECT_EQ(CSkinScrollBar::PartNone, m_bar.HitTest(8, 16)) << "the free pixel after the arrow";
    EXPECT_EQ(CSkinScrollBar::PartPageUp, m_bar.HitTest(8, 50));
    EXPECT_EQ(CSkinScrollBar::PartThumb, m_bar.HitTest(8, 98));
    EXPECT_EQ(CSkinScrollBar::PartThumb, m_bar.HitTest(8, 115));
    EXPECT_EQ(CSkinScrollBar::PartPageDown, m_bar.HitTest(8, 116));
    EXPECT_EQ(CSkinScrollBar::PartDownArrow, m_bar.HitTest(8, 210));
    EXPECT_EQ(CSkinScrollBar::PartNone, m_bar.HitTest(20, 100));
}

TEST_F(SkinScrollBarTest, DraggingTheThumbMapsItsTopToTheNearestPosition)
{
    Set(0, 99, 10, 0);  // thumb 17..35, travel 164 pixels for positions 0..90
    Down(20);
    EXPECT_EQ(CSkinScrollBar::PartThumb, m_bar.GetPressedPart());
    EXPECT_EQ(&m_bar, CWnd::GetCapture());
    Move(20 + 82);
    EXPECT_EQ(99, m_bar.GetThumbRect().top);
    EXPECT_EQ(45, LastTrack());
    ASSERT_FALSE(m_parent.m_scrolls.empty());
    EXPECT_EQ(m_bar.m_hWnd, m_parent.m_scrolls.back().bar);
    Move(21);  // one pixel below the top: 0.55 of a position rounds up
    EXPECT_EQ(1, LastTrack());
    Move(20);
    EXPECT_EQ(0, LastTrack()) << "the channel's top is the minimum";
    Move(400);
    EXPECT_EQ(181, m_bar.GetThumbRect().top);
    EXPECT_EQ(90, LastTrack());
    Move(-100);
    EXPECT_EQ(17, m_bar.GetThumbRect().top);
    EXPECT_EQ(0, LastTrack());
    Up(-100);
    EXPECT_EQ(CSkinScrollBar::PartNone, m_bar.GetPressedPart());
    EXPECT_NE(&m_bar, CWnd::GetCapture());
}

TEST_F(SkinScrollBarTest, AThumbGrownToItsMinimumStillReachesTheLastPosition)
{
    Set(0, 999, 5, 0);  // thumb 17..33
    Down(25);
    Move(25 + 83);
    EXPECT_EQ(498, LastTrack());
    Move(1000);
    EXPECT_EQ(183, m_bar.GetThumbRect().top);
    EXPECT_EQ(995, LastTrack());
    Up(1000);
}

TEST_F(SkinScrollBarTest, HoldingAnArrowRepeatsUntilTheButtonComesUp)
{
    Set(0, 99, 10, 45);
    Down(210);
    PumpPending();
    ASSERT_EQ(1u, Count(SB_LINEDOWN)) << "the first line comes at once";
    EXPECT_EQ(m_bar.m_hWnd, m_parent.m_scrolls[0].bar);
    EXPECT_TRUE(PumpUntil([&] { return Count(SB_LINEDOWN) >= 3; }, 10000));
    Up(210);
    const size_t lines = Count(SB_LINEDOWN);
    PumpUntil([] { return false; }, 3 * CSkinScrollBar::kRepeatMs + 100);
    EXPECT_EQ(lines, Count(SB_LINEDOWN));

    // The page areas repeat the same way; a cancelled mode ends it like the button.
    Down(50);
    EXPECT_TRUE(PumpUntil([&] { return Count(SB_PAGEUP) >= 2; }, 10000));
    m_bar.SendMessage(WM_CANCELMODE);
    EXPECT_NE(&m_bar, CWnd::GetCapture());
    const size_t pages = Count(SB_PAGEUP);
    PumpUntil([] { return false; }, 3 * CSkinScrollBar::kRepeatMs + 100);
    EXPECT_EQ(pages, Count(SB_PAGEUP));
    EXPECT_EQ(0u, Count(SB_LINEUP));
}

TEST_F(SkinScrollBarTest, PaintsTheDarkSkinWithArrowsAndAThumbWithRoundedEnds)
{
    m_bar.MoveWindow(400, 10, 16, 216);
    Set(0, 99, 10, 45);  // thumb 98..116, inner 99..115 from x 1 to 15
    m_bar.RedrawWindow();
    auto at = [&](int x, int y) { return ClientPixel(m_bar, x, y); };
    ASSERT_TRUE(PumpUntil([&] { return at(8, 107) == RGB(64, 64, 64); })) << std::hex << at(8, 107);
    EXPECT_EQ(RGB(32, 32, 32), at(8, 60));            // channel
    EXPECT_EQ(RGB(32, 32, 32), at(0, 107));           // the thumb's one-pixel margin
    EXPECT_EQ(RGB(32, 32, 32), at(1, 99));            // a cap's corner
    EXPECT_EQ(RGB(64, 64, 64), at(3, 99));
    EXPECT_EQ(RGB(32, 32, 32), at(14, 114));
    EXPECT_EQ(RGB(128, 128, 128), at(7, 6));          // up glyph, first row (2 wide)
    EXPECT_EQ(RGB(32, 32, 32), at(6, 6));
    EXPECT_EQ(RGB(128, 128, 128), at(4, 9));          // last row, 8 wide
    EXPECT_EQ(RGB(128, 128, 128), at(4, 206));        // down glyph, first row (8 wide)
    SaveWindowScreenshot(L"toolkit", L"skin-scrollbar", m_bar);

    m_bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(8, 107));
    EXPECT_EQ(CSkinScrollBar::PartThumb, m_bar.GetHotPart());
    EXPECT_TRUE(PumpUntil([&] { return at(8, 107) == RGB(96, 96, 96); }));
    Down(107);
    EXPECT_TRUE(PumpUntil([&] { return at(8, 107) == RGB(128, 128, 128); }));
    SaveWindowScreenshot(L"toolkit", L"skin-scrollbar-pressed", m_bar);
    Up(107);

    // At the top the up arrow's glyph is greyed out.
    Set(0, 99, 10, 0);
    m_bar.RedrawWindow();
    EXPECT_TRUE(PumpUntil([&] { return at(7, 6) == RGB(64, 64, 64); }));
    EXPECT_EQ(RGB(128, 128, 128), at(4, 206));
}
