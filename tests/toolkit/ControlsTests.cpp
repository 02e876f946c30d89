// The memory DC, the hover button and the link button.
#include "tests/toolkit/ToolkitTestSupport.h"

#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"
#include "toolkit/HoverButton.h"
#include "toolkit/HyperLink.h"
#include "toolkit/MemoryDC.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);
const COLORREF kChrome = RGB(32, 32, 32);

// A screen-compatible bitmap selected into a memory DC, filled white.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    HGDIOBJ old = NULL;
    Canvas(int w, int h)
    {
        CClientDC screen((HWND)NULL);
        dc.CreateCompatibleDC(&screen);
        bitmap.CreateCompatibleBitmap(&screen, w, h);
        old = dc.SelectObject((HGDIOBJ)bitmap);
        dc.FillSolidRect(0, 0, w, h, kWhite);
    }
    ~Canvas() { dc.SelectObject(old); }
};

} // namespace

// ---- memory DC

TEST(MemoryDC, DrawsOffScreenInTheTargetsCoordinatesAndCopiesOnlyItsRectangle)
{
    Canvas target(100, 60);
    {
        CRect area(20, 10, 60, 40);
        CMemoryDC mem(&target.dc, &area);
        ASSERT_TRUE(mem.IsBuffered());
        EXPECT_NE(target.dc.GetSafeHdc(), mem.GetSafeHdc());
        mem.FillSolidRect(0, 0, 100, 60, kBlue);
        mem.FillSolidRect(25, 15, 10, 10, kRed);
        // Nothing reaches the target before the end.
        EXPECT_EQ(kWhite, target.dc.GetPixel(30, 20));
    }
    EXPECT_EQ(kRed, target.dc.GetPixel(30, 20));
    EXPECT_EQ(kBlue, target.dc.GetPixel(21, 11));
    EXPECT_EQ(kBlue, target.dc.GetPixel(59, 39));
    EXPECT_EQ(kWhite, target.dc.GetPixel(19, 11));
    EXPECT_EQ(kWhite, target.dc.GetPixel(60, 39));
    EXPECT_EQ(kWhite, target.dc.GetPixel(5, 5));
}

TEST(MemoryDC, WithoutARectangleCoversTheTargetsClipBox)
{
    Canvas target(100, 60);
    target.dc.IntersectClipRect(10, 5, 50, 45);
    {
        CMemoryDC mem(&target.dc);
        EXPECT_EQ(CRect(10, 5, 50, 45), mem.GetRect());
        mem.FillSolidRect(0, 0, 100, 60, kBlue);
    }
    target.dc.SelectClipRgn(NULL);
    EXPECT_EQ(kBlue, target.dc.GetPixel(10, 5));
    EXPECT_EQ(kBlue, target.dc.GetPixel(49, 44));
    EXPECT_EQ(kWhite, target.dc.GetPixel(50, 44));
}

TEST(MemoryDC, APrintingTargetIsDrawnIntoDirectlyAndKeepsItsHandle)
{
    Canvas target(40, 40);
    CDC printer;
    printer.Attach(target.dc.GetSafeHdc());
    printer.m_bPrinting = TRUE;
    {
        CRect area(0, 0, 40, 40);
        CMemoryDC mem(&printer, &area);
        EXPECT_FALSE(mem.IsBuffered());
        EXPECT_TRUE(mem.IsPrinting());
        EXPECT_EQ(target.dc.GetSafeHdc(), mem.GetSafeHdc());
        mem.FillSolidRect(0, 0, 10, 10, kRed);
        EXPECT_EQ(kRed, target.dc.GetPixel(5, 5));  // at once, not at the end
    }
    // The target's DC is still alive after the memory DC is gone.
    target.dc.FillSolidRect(20, 20, 5, 5, kBlue);
    EXPECT_EQ(kBlue, target.dc.GetPixel(22, 22));
    printer.Detach();
}

TEST(MemoryDC, AnEmptyRectangleDrawsStraightIntoTheTarget)
{
    Canvas target(20, 20);
    CRect empty(5, 5, 5, 5);
    CMemoryDC mem(&target.dc, &empty);
    EXPECT_FALSE(mem.IsBuffered());
    mem.FillSolidRect(0, 0, 3, 3, kRed);
    EXPECT_EQ(kRed, target.dc.GetPixel(1, 1));
}

// ---- hover button

TEST(HoverButton, DrawStateFollowsSelectionFocusHoverAndDisabled)
{
    // Pressed wins; focus shows hot only while hovering; disabled only without focus.
    EXPECT_EQ(3, CHoverButton::StateFromItemState(ODS_SELECTED | ODS_FOCUS | ODS_DISABLED, FALSE));
    EXPECT_EQ(1, CHoverButton::StateFromItemState(ODS_FOCUS, TRUE));
    EXPECT_EQ(2, CHoverButton::StateFromItemState(ODS_FOCUS | ODS_DISABLED, FALSE));
    EXPECT_EQ(4, CHoverButton::StateFromItemState(ODS_DISABLED, TRUE));
    EXPECT_EQ(1, CHoverButton::StateFromItemState(0, TRUE));
    EXPECT_EQ(0, CHoverButton::StateFromItemState(0, FALSE));
}

class HoverButtonTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        MakeSolidImage(m_normal, 24, 24, RGB(200, 0, 0));
        MakeSolidImage(m_hot, 24, 24, RGB(0, 200, 0));
        ASSERT_TRUE(m_button.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(20, 20, 84, 84), &m_parent, 101));
        m_button.SetImages(&m_normal, &m_hot);
        m_parent.UpdateWindow();
    }
    COLORREF Centre() { return ClientPixel(m_button, 32, 32); }
    CRasterImage m_normal, m_hot;
    CHoverButton m_button;
};

TEST_F(HoverButtonTest, EachStateDrawsTheBackgroundAndTheCentredImageOfThatState)
{
    const COLORREF expected[5] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(200, 0, 0), RGB(0, 200, 0), RGB(200, 0, 0)};
    for (int state = 0; state < 5; ++state) {
        Canvas canvas(64, 64);
        m_button.DrawState(&canvas.dc, CRect(0, 0, 64, 64), state);
        EXPECT_EQ(expected[state], canvas.dc.GetPixel(32, 32)) << state;
        EXPECT_EQ(expected[state], canvas.dc.GetPixel(20, 20)) << state;  // image spans 20..43
        EXPECT_EQ(kChrome, canvas.dc.GetPixel(19, 32)) << state;
        EXPECT_EQ(kChrome, canvas.dc.GetPixel(44, 32)) << state;
        EXPECT_EQ(kChrome, canvas.dc.GetPixel(0, 0)) << state;
    }
}

TEST_F(HoverButtonTest, OnScreenTheHotImageShowsWhileTheMouseIsOverIt)
{
    // Button pictures as the player's bars have them: a grey glyph that lights up in the highlight.
    const COLORREF kText = RGB(192, 192, 192), kHighlight = RGB(0, 160, 255);
    MakePlayGlyphImage(m_normal, 24, kChrome, kText);
    MakePlayGlyphImage(m_hot, 24, kChrome, kHighlight);
    m_button.SetImages(&m_normal, &m_hot);
    ASSERT_TRUE(PumpUntil([&] { return Centre() == kText; })) << std::hex << Centre();
    EXPECT_EQ(kChrome, ClientPixel(m_button, 2, 2));
    EXPECT_EQ(kChrome, ClientPixel(m_button, 21, 21)) << "the picture's own corner";
    SaveWindowScreenshot(L"toolkit", L"hover-button-normal", m_parent);

    m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(m_button.IsHovering());
    EXPECT_TRUE(PumpUntil([&] { return Centre() == kHighlight; })) << std::hex << Centre();
    SaveWindowScreenshot(L"toolkit", L"hover-button-hot", m_parent);

    m_button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(m_button.IsHovering());
    EXPECT_TRUE(PumpUntil([&] { return Centre() == kText; }));

    // Pressed shows the hot image without hovering; disabled the normal one.
    m_button.SendMessage(BM_SETSTATE, TRUE);
    EXPECT_TRUE(PumpUntil([&] { return Centre() == kHighlight; }));
    m_button.SendMessage(BM_SETSTATE, FALSE);
    m_button.EnableWindow(FALSE);
    EXPECT_TRUE(PumpUntil([&] { return Centre() == kText; }));
    SaveWindowScreenshot(L"toolkit", L"hover-button-disabled", m_parent);
}

TEST_F(HoverButtonTest, ShowsTheHostsHandCursorAndNeverErasesItsBackground)
{
    ASSERT_TRUE(m_host.m_hHand);
    ::SetCursor(::LoadCursorW(NULL, IDC_ARROW));
    EXPECT_EQ(1, m_button.SendMessage(WM_SETCURSOR, (WPARAM)m_button.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(m_host.m_hHand, ::GetCursor());
    CClientDC dc(&m_button);
    EXPECT_EQ(1, m_button.SendMessage(WM_ERASEBKGND, (WPARAM)dc.GetSafeHdc()));
}

// ---- link button

namespace {

struct ShellCall {
    CString verb, file;
    bool hasParameters = false;
    int show = 0;
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR, INT show)
{
    g_shellCalls.push_back({op ? op : L"", file ? file : L"", params != NULL, show});
    return (HINSTANCE)42;
}

} // namespace

class HyperLinkTest : public ToolkitWindowTest {
protected:
    void SetUp() override
    {
        ToolkitWindowTest::SetUp();
        g_shellCalls.clear();
        m_previous = FwSetShellExecuteFunction(&RecordShellExecute);
        m_parent.m_background = RGB(10, 120, 10);
        ASSERT_TRUE(m_link.Create(L"Visit the web site", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_LEFT,
                                  CRect(20, 20, 300, 44), &m_parent, 102));
        m_link.SetFont(m_host.GetNormalFont());
        m_link.SetHoverFont(m_host.GetUnderlineFont());
        m_link.SetBackgroundColor(::GetSysColor(COLOR_BTNFACE));
    }
    void TearDown() override
    {
        FwSetShellExecuteFunction(m_previous);
        ToolkitWindowTest::TearDown();
    }
    void Click() { m_parent.SendMessage(WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), (LPARAM)m_link.m_hWnd); }
    CRasterImage Capture()
    {
        m_link.RedrawWindow();
        CRect rc;
        m_link.GetWindowRect(&rc);
        CRasterImage image;
        EXPECT_TRUE(CaptureScreenRect(rc, image));
        return image;
    }
    FwShellExecuteFn m_previous = NULL;
    CHyperLink m_link;
};

TEST_F(HyperLinkTest, AClickWithoutAnAddressOpensNothingAndReachesTheParent)
{
    Click();
    EXPECT_TRUE(g_shellCalls.empty());
    ASSERT_EQ(1u, m_parent.m_clicks.size());
    EXPECT_EQ(102u, m_parent.m_clicks[0]);

    // A real click of the mouse takes the same way.
    m_link.SendMessage(BM_CLICK);
    PumpPending();
    EXPECT_TRUE(g_shellCalls.empty());
    EXPECT_EQ(2u, m_parent.m_clicks.size());
}

TEST_F(HyperLinkTest, AClickWithAnAddressOpensItThroughTheShellAndIsHandled)
{
    m_link.SetURL(L"http://127.0.0.1/page?a=1&b=2", L"Our page");
    CString text;
    m_link.GetWindowText(text);
    EXPECT_EQ(L"Our page", text);
    Click();
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(L"open", g_shellCalls[0].verb);
    EXPECT_EQ(L"http://127.0.0.1/page?a=1&b=2", g_shellCalls[0].file);
    EXPECT_FALSE(g_shellCalls[0].hasParameters);
    EXPECT_EQ(SW_SHOWNORMAL, g_shellCalls[0].show);
    EXPECT_TRUE(m_parent.m_clicks.empty());

    // A null caption keeps the text.
    m_link.SetURL(L"http://127.0.0.1/other");
    m_link.GetWindowText(text);
    EXPECT_EQ(L"Our page", text);
}

TEST_F(HyperLinkTest, SizeToTextFitsTheWidthAndKeepsPositionAndHeight)
{
    m_link.SizeToText();
    CRect rc;
    m_link.GetWindowRect(&rc);
    m_parent.ScreenToClient(&rc);
    CClientDC dc(&m_link);
    CGdiSelector font(dc, m_host.GetNormalFont());
    const int measured = dc.GetTextExtent(CString(L"Visit the web site")).cx;
    // The font here draws "w" wider than it measures it: the link is as wide as the text draws,
    // never narrower than it measures, with 2 pixels on either side.
    const int w = rc.Width() + 60, h = rc.Height();
    const COLORREF ground = ::GetSysColor(COLOR_BTNFACE);
    std::vector<COLORREF> pixels = RenderPixels(w, h, ground, [&](HDC hdc) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_BUTTON;
        draw.hwndItem = m_link.m_hWnd;
        draw.hDC = hdc;
        draw.rcItem = CRect(0, 0, w, h);
        m_link.DrawItem(&draw);
    });
    int inkRight = -1;
    for (int i = 0; i < w * h; ++i)
        if (pixels[i] != ground && i % w > inkRight)
            inkRight = i % w;
    EXPECT_GE(rc.Width(), measured + 4);
    EXPECT_LE(inkRight, rc.Width() - 3) << "the drawn text ends inside the link";
    EXPECT_GE(inkRight, rc.Width() - 6) << "and the link ends soon after it";
    EXPECT_EQ(CPoint(20, 20), rc.TopLeft());
    EXPECT_EQ(24, rc.Height());

    CHyperLink multi;
    ASSERT_TRUE(multi.Create(L"Two\nlines", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_MULTILINE, CRect(20, 60, 90, 100),
                             &m_parent, 103));
    multi.SizeToText();
    multi.GetWindowRect(&rc);
    EXPECT_EQ(70, rc.Width());
    EXPECT_EQ(40, rc.Height());
}

TEST_F(HyperLinkTest, TheTextIsBlueAndTurnsRedAndUnderlinedUnderTheMouse)
{
    CRasterImage normal = Capture();
    SaveWindowScreenshot(L"toolkit", L"hyperlink-normal", m_parent);
    EXPECT_GT(CountPixels(normal, kBlue), 20);
    EXPECT_EQ(0, CountPixels(normal, kRed));
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE) & 0xFFFFFF, ImagePixel(normal, 1, 1));

    m_link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(m_link.IsHovering());
    CRasterImage hover = Capture();
    SaveWindowScreenshot(L"toolkit", L"hyperlink-hover", m_parent);
    EXPECT_EQ(0, CountPixels(hover, kBlue));
    // The underline adds a whole row of red under the text.
    EXPECT_GT(CountPixels(hover, kRed), CountPixels(normal, kBlue) + 30);

    m_link.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(m_link.IsHovering());
    EXPECT_EQ(CountPixels(normal, kBlue), CountPixels(Capture(), kBlue));
}

TEST_F(HyperLinkTest, ATransparentLinkShowsTheParentsBackgroundBehindItsText)
{
    m_link.SetTransparent(TRUE);
    m_parent.m_stripeX = 250;  // the link starts at 20: the stripe shows from its x 230 to 239
    CRasterImage image = Capture();
    SaveWindowScreenshot(L"toolkit", L"hyperlink-transparent", m_parent);
    EXPECT_EQ(RGB(10, 120, 10), ImagePixel(image, 1, 1));
    EXPECT_EQ(RGB(10, 120, 10), ImagePixel(image, 229, 2));
    EXPECT_EQ(RGB(255, 255, 0), ImagePixel(image, 230, 2));
    EXPECT_EQ(RGB(255, 255, 0), ImagePixel(image, 239, 20));
    EXPECT_EQ(RGB(10, 120, 10), ImagePixel(image, 240, 2));
    EXPECT_EQ(RGB(10, 120, 10), ImagePixel(image, image.GetWidth() - 2, image.GetHeight() - 2));
    EXPECT_GT(CountPixels(image, kBlue), 20);
    EXPECT_EQ(0, CountPixels(image, ::GetSysColor(COLOR_BTNFACE) & 0xFFFFFF));
}
