// Bar elements in a bar of a frame: slider geometry and its long ranges, clicks and drags by
// messages, buttons that click only when released on them, the idle command-state pass over every
// element, hot tracking with the real mouse, and a picture of the bar.
#include "tests/toolkit/BarsTestSupport.h"

#include "tests/common/Screenshot.h"

#include "image/RasterImage.h"
#include "toolkit/BarElement.h"
#include "toolkit/FixedSizeBar.h"
#include "toolkit/MemoryDC.h"

#include <windowsx.h>

namespace {

const COLORREF kBarColour = RGB(48, 48, 48);
const COLORREF kButtonNormal = RGB(90, 90, 90), kButtonHot = RGB(0, 160, 255), kButtonPressed = RGB(0, 90, 200),
               kButtonDisabled = RGB(60, 60, 60);
const COLORREF kChannel = RGB(70, 70, 70), kFilled = RGB(0, 200, 120), kThumbHot = RGB(255, 255, 255),
               kThumbPressed = RGB(255, 200, 0), kCap = RGB(200, 0, 200);

enum { ID_WITH_HANDLER = 7001, ID_WITHOUT_HANDLER = 7002, ID_DISABLED_BY_FRAME = 7003, ID_LAST = 7004,
       ID_BAR_OWN = 7005 };

// A bar of elements as the player's control bar is made: the host is its second base.
class CTestElementBar : public CFixedSizeBar, public CBarElementHost {
public:
    CTestElementBar() : CBarElementHost(this) {}

    struct Change {
        int pos;
        CBarElement* element;
    };
    std::vector<Change> m_changes;
    int m_canClickAsked = 0;
    BOOL m_canClick = FALSE;
    BOOL m_ownEnabled = TRUE;

    BOOL CanClick(CBarElement*) override
    {
        ++m_canClickAsked;
        return m_canClick;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->hwnd == m_hWnd) RelayMouseMessage(pMsg);
        return CFixedSizeBar::PreTranslateMessage(pMsg);
    }
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override { UpdateCmdUI(pTarget, bDisableIfNoHndler); }

protected:
    void OnPaint()
    {
        CPaintDC paint(this);
        CRect rc;
        GetClientRect(&rc);
        CMemoryDC dc(&paint, &rc);
        dc.FillSolidRect(&rc, kBarColour);
        DrawItems(&dc);
    }
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnMouseLeave() { OnBarMouseLeave(); }
    void OnCaptureChanged(CWnd*) { OnCaptureLost(); }
    LRESULT OnElementChanged(WPARAM wParam, LPARAM lParam)
    {
        m_changes.push_back({(int)wParam, reinterpret_cast<CBarElement*>(lParam)});
        return 0;
    }
    void OnUpdateOwn(CCmdUI* pCmdUI) { pCmdUI->Enable(m_ownEnabled); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestElementBar, CFixedSizeBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSELEAVE()
    ON_WM_CAPTURECHANGED()
    ON_MESSAGE(WM_BAR_ELEMENT_CHANGED, OnElementChanged)
    ON_UPDATE_COMMAND_UI(ID_BAR_OWN, OnUpdateOwn)
END_MESSAGE_MAP()

class CElementFrame : public CFrameWnd {
public:
    CTestElementBar m_bar;
    CRecordingPane m_pane;
    CImageList m_buttonImages, m_thumbImages, m_capImages;
    CImageButtonElement* m_imageButton = nullptr;
    CButtonElement* m_plainButton = nullptr;
    CTextElement* m_text = nullptr;
    CBarSliderElement* m_slider = nullptr;
    CBarCappedSliderElement* m_capped = nullptr;
    CButtonElement* m_ownButton = nullptr;
    CButtonElement* m_lastButton = nullptr;
    std::vector<UINT> m_commands;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override
    {
        if (!m_pane.Make(this)) return FALSE;
        if (!m_bar.Create(WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, CRect(0, 0, 100, 40), this, 0xE805)) return FALSE;
        MakeColourStrip(m_buttonImages, 24, 24, {kButtonNormal, kButtonHot, kButtonNormal, kButtonPressed, kButtonDisabled});
        MakeColourStrip(m_thumbImages, 10, 16, {kChannel, kFilled, kThumbHot, kThumbPressed});
        MakeColourStrip(m_capImages, 3, 16, {kCap, kCap});
        m_imageButton = new CImageButtonElement(&m_bar, CRect(4, 4, 40, 36), ID_WITH_HANDLER);
        m_imageButton->SetImageList(&m_buttonImages);
        m_plainButton = new CButtonElement(&m_bar, CRect(44, 4, 80, 36), ID_WITHOUT_HANDLER);
        m_plainButton->SetBackgroundColors(RGB(120, 0, 0), RGB(200, 0, 0));
        m_text = new CTextElement(&m_bar, CRect(84, 4, 196, 36), ID_DISABLED_BY_FRAME);
        m_text->SetText(L"01:05 / 01:06:40", FALSE);
        m_text->SetTextColors(RGB(192, 192, 192), RGB(240, 240, 240), RGB(128, 128, 128));
        m_slider = new CBarSliderElement(&m_bar, CRect(200, 4, 360, 36));
        m_slider->SetThumbImages(&m_thumbImages);
        m_slider->SetRange(0, 150, FALSE);
        m_slider->SetPos(50, FALSE);
        m_capped = new CBarCappedSliderElement(&m_bar, CRect(364, 4, 464, 36));
        m_capped->SetThumbImages(&m_thumbImages);
        m_capped->SetCapImages(&m_capImages);
        m_capped->SetRange(0, 100, FALSE);
        m_capped->SetPos(100, FALSE);
        m_ownButton = new CButtonElement(&m_bar, CRect(468, 4, 484, 36), ID_BAR_OWN);
        m_ownButton->SetBackgroundColors(RGB(0, 120, 0), RGB(0, 200, 0));
        m_lastButton = new CButtonElement(&m_bar, CRect(488, 4, 504, 36), ID_LAST);
        m_lastButton->SetBackgroundColors(RGB(0, 0, 120), RGB(0, 0, 200));
        for (CBarElement* e : std::initializer_list<CBarElement*>{m_imageButton, m_plainButton, m_text, m_slider,
                                                                  m_capped, m_ownButton, m_lastButton})
            m_bar.AddItem(e);
        return TRUE;
    }
    void OnCommandWithHandler() { m_commands.push_back(ID_WITH_HANDLER); }
    void OnCommandDisabled() { m_commands.push_back(ID_DISABLED_BY_FRAME); }
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnCommandOwn() { m_commands.push_back(ID_BAR_OWN); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CElementFrame, CFrameWnd)
    ON_COMMAND(ID_WITH_HANDLER, OnCommandWithHandler)
    ON_COMMAND(ID_DISABLED_BY_FRAME, OnCommandDisabled)
    ON_UPDATE_COMMAND_UI(ID_DISABLED_BY_FRAME, OnUpdateDisabled)
    ON_COMMAND(ID_BAR_OWN, OnCommandOwn)
END_MESSAGE_MAP()

// One frame for the whole suite: without a window manager a top-level window takes seconds to go.
class ElementBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_frame = new CElementFrame;
        if (!s_frame->Create(NULL, L"element bar", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(40, 320, 560, 480)))
            s_frame = nullptr;
    }
    static void TearDownTestSuite()
    {
        if (s_frame) s_frame->DestroyWindow();
        s_frame = nullptr;
        PumpPending();
    }
    void SetUp() override
    {
        SetToolkitHost(&m_host);
        ASSERT_TRUE(s_frame != nullptr);
        frame = s_frame;
        bar = &frame->m_bar;
        ::SetWindowPos(frame->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        frame->UpdateWindow();
        bar->m_changes.clear();
        frame->m_commands.clear();
        // Every element enabled and idle, as a fresh bar is.
        for (int i = 0; i < bar->GetItemCount(); ++i) bar->GetItem(i)->Enable(TRUE);
        bar->CancelTracking(TRUE);
        MoveMouseTo(frame->m_pane.m_hWnd, 5, 5);
        PumpProgramPending();
    }
    void TearDown() override { SetToolkitHost(nullptr); }

    void Post(UINT message, int x, int y, WPARAM keys = 0)
    {
        bar->PostMessage(message, keys, MAKELPARAM(x, y));
        PumpProgramPending();
    }
    void Click(int x, int y)
    {
        Post(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Post(WM_LBUTTONUP, x, y);
    }
    void IdleUpdate() { frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE); }

    static CElementFrame* s_frame;
    CElementFrame* frame = nullptr;
    CTestElementBar* bar = nullptr;
    CTestToolkitHost m_host;
};
CElementFrame* ElementBarTest::s_frame = nullptr;

// The bar's pixel once it shows 'expected' (the display shows what was drawn a moment later), or
// what it shows at the deadline.
COLORREF BarPixelIs(CTestElementBar* bar, int x, int y, COLORREF expected)
{
    bar->RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    COLORREF c = CLR_INVALID;
    PumpProgramUntil([&] { return (c = ClientPixel(bar->m_hWnd, x, y)) == expected; }, 3000);
    return c;
}

} // namespace

// ---- geometry, without a window

TEST(BarSliderGeometry, ThumbAndPointsFollowTheRangeAndStayExactOverLongRanges)
{
    CBarElementHost host(nullptr);
    CImageList thumbs;
    MakeColourStrip(thumbs, 10, 16, {kChannel, kFilled, kThumbHot, kThumbPressed});
    CBarSliderElement* slider = new CBarSliderElement(&host, CRect(0, 0, 1010, 30));
    host.AddItem(slider);
    slider->SetThumbImages(&thumbs);
    const CRect channel = slider->GetChannelRect();
    EXPECT_EQ(CRect(5, 7, 1005, 23), channel);

    // The middle of a 20..120 range is the middle of the channel.
    slider->SetRange(20, 120, FALSE);
    slider->SetPos(70, FALSE);
    EXPECT_EQ(505, slider->GetThumbCenter());
    EXPECT_EQ(CRect(500, 7, 510, 23), slider->GetThumbRect());
    slider->SetPos(20, FALSE);
    EXPECT_EQ(5, slider->GetThumbCenter());
    slider->SetPos(500, FALSE);  // clamped to the maximum
    EXPECT_EQ(120, slider->GetPos());
    EXPECT_EQ(1005, slider->GetThumbCenter());

    // Ten hours in milliseconds on a 1000-pixel channel: products far beyond 32 bits.
    const int tenHours = 36000000;
    slider->SetRange(0, tenHours, FALSE);
    slider->SetPos(tenHours / 2, FALSE);
    EXPECT_EQ(505, slider->GetThumbCenter());
    slider->SetPos(tenHours - 1, FALSE);
    EXPECT_EQ(1004, slider->GetThumbCenter());
    slider->SetPos(36000, FALSE);
    EXPECT_EQ(6, slider->GetThumbCenter());
    EXPECT_EQ(tenHours / 2, slider->PosFromPoint(505, 10, FALSE));
    EXPECT_EQ(36000, slider->PosFromPoint(6, 10, FALSE));
    EXPECT_EQ(tenHours, slider->PosFromPoint(1005, 10, FALSE));
    EXPECT_EQ(tenHours / 4, slider->PosFromPoint(255, 10, TRUE));
    // Every pixel maps back onto the thumb position it came from.
    for (int x = channel.left; x <= channel.right; x += 37) {
        const int pos = slider->PosFromPoint(x, 10, FALSE);
        slider->SetPos(pos, FALSE);
        EXPECT_EQ(x, slider->GetThumbCenter()) << "x " << x;
    }

    // A short range rounds to the nearest step: 10 positions of 100 pixels each.
    slider->SetRange(0, 10, FALSE);
    EXPECT_EQ(0, slider->PosFromPoint(54, 10, FALSE));
    EXPECT_EQ(1, slider->PosFromPoint(55, 10, FALSE));
    EXPECT_EQ(1, slider->PosFromPoint(154, 10, FALSE));
    EXPECT_EQ(10, slider->PosFromPoint(1000, 10, FALSE));

    // Outside the element without clamping, beside the channel, empty and inverted ranges.
    EXPECT_EQ(-1, slider->PosFromPoint(500, 40, FALSE));
    EXPECT_EQ(10, slider->PosFromPoint(1007, 10, FALSE));
    EXPECT_EQ(0, slider->PosFromPoint(2, 10, FALSE));
    EXPECT_EQ(10, slider->PosFromPoint(5000, 99, TRUE));
    EXPECT_EQ(0, slider->PosFromPoint(-5000, 99, TRUE));
    slider->SetRange(30, 30, FALSE);
    EXPECT_EQ(0, slider->PosFromPoint(500, 10, FALSE));
    EXPECT_EQ(5, slider->GetThumbCenter());
    slider->SetRange(30, 10, FALSE);
    EXPECT_EQ(-1, slider->PosFromPoint(500, 10, FALSE));
    // A slider narrower than its thumb has no channel.
    slider->SetRange(0, 10, FALSE);
    slider->SetRect(0, 0, 8, 30, FALSE);
    EXPECT_EQ(-1, slider->PosFromPoint(4, 10, TRUE));

    // A lower maximum takes the position down with it.
    slider->SetRange(0, 100, FALSE);
    slider->SetPos(80, FALSE);
    slider->SetMax(60);
    EXPECT_EQ(60, slider->GetPos());
}

TEST(BarElementModel, FlagsEnableMnemonicsAndHitTests)
{
    CBarElementHost host(nullptr);
    CButtonElement* a = new CButtonElement(&host, CRect(0, 0, 10, 10), 5);
    CButtonElement* b = new CButtonElement(&host, CRect(5, 0, 20, 10), 6);
    EXPECT_EQ(0, host.AddItem(a));
    EXPECT_EQ(1, host.AddItem(b));
    EXPECT_EQ(1, host.FindItem(b));
    EXPECT_EQ(nullptr, host.GetItem(2));

    // Enabling what is enabled changes nothing.
    EXPECT_FALSE(a->Enable(TRUE));
    EXPECT_TRUE(a->Enable(FALSE));
    EXPECT_TRUE(a->IsDisabled());
    EXPECT_FALSE(a->Enable(FALSE));
    host.ModifyItemFlags(0, BEF_DISABLED, 0x100, FALSE);
    EXPECT_EQ(0x100u, a->GetFlags());
    host.ModifyItemFlags(7, 0, BEF_HIDDEN, FALSE);  // out of range: ignored

    // Hidden elements still answer hit tests; the first one wins.
    a->SetHidden(TRUE);
    EXPECT_TRUE(a->IsHidden());
    EXPECT_EQ(0, host.HitTest(7, 5));
    EXPECT_EQ(1, host.HitTest(15, 5));
    EXPECT_EQ(-1, host.HitTest(25, 5));

    // Pressing lights and focuses; deleting the elements forgets them.
    host.SetPressedItem(b);
    EXPECT_EQ(b, host.GetHotItem());
    EXPECT_EQ(b, host.GetFocusItem());
    host.DeleteAllItems();
    EXPECT_EQ(0, host.GetItemCount());
    EXPECT_EQ(nullptr, host.GetPressedItem());
    EXPECT_EQ(nullptr, host.GetHotItem());

    EXPECT_EQ(L'F', CMenuBarElement::MnemonicOf(L"&File"));
    EXPECT_EQ(L'E', CMenuBarElement::MnemonicOf(L"Edit&"));
    EXPECT_EQ(L'A', CMenuBarElement::MnemonicOf(L"Save &As"));
    EXPECT_EQ(L'V', CMenuBarElement::MnemonicOf(L"View"));
    EXPECT_EQ(0, CMenuBarElement::MnemonicOf(L""));
}

// ---- in a bar

TEST_F(ElementBarTest, ButtonsClickWhenReleasedOnThemAndPostTheirCommandToTheFrame)
{
    Click(20, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return frame->m_commands.size() == 1; }, 5000));
    ASSERT_EQ(1u, frame->m_commands.size());
    EXPECT_EQ((UINT)ID_WITH_HANDLER, frame->m_commands[0]);
    EXPECT_EQ(nullptr, bar->GetPressedItem());

    // Pressed, moved off and released elsewhere: no click.
    Post(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_EQ(frame->m_imageButton, bar->GetPressedItem());
    Post(WM_MOUSEMOVE, 100, 20, MK_LBUTTON);
    EXPECT_EQ(nullptr, bar->GetPressedItem());
    Post(WM_LBUTTONUP, 20, 20);
    Post(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Post(WM_LBUTTONUP, 60, 20);
    PumpProgramUntil([] { return false; }, 300);
    EXPECT_EQ(1u, frame->m_commands.size());

    // A button of id -1 asks the host before it may be pressed, and posts nothing.
    frame->m_lastButton->SetCommandId(-1);
    bar->m_canClickAsked = 0;
    bar->m_canClick = FALSE;
    Post(WM_LBUTTONDOWN, 496, 20, MK_LBUTTON);
    EXPECT_EQ(1, bar->m_canClickAsked);
    EXPECT_EQ(nullptr, bar->GetPressedItem());
    Post(WM_LBUTTONUP, 496, 20);
    bar->m_canClick = TRUE;
    Click(496, 20);
    EXPECT_EQ(2, bar->m_canClickAsked);
    // Id 0 posts nothing either.
    frame->m_lastButton->SetCommandId(0);
    Click(496, 20);
    PumpProgramUntil([] { return false; }, 300);
    EXPECT_EQ(1u, frame->m_commands.size());
    frame->m_lastButton->SetCommandId(ID_LAST);

    // A disabled button takes no press.
    frame->m_imageButton->Enable(FALSE);
    Click(20, 20);
    PumpProgramUntil([] { return false; }, 300);
    EXPECT_EQ(1u, frame->m_commands.size());
}

TEST_F(ElementBarTest, IdlePassUpdatesEveryElementTheLastOneIncluded)
{
    IdleUpdate();
    EXPECT_FALSE(frame->m_imageButton->IsDisabled());   // the frame handles its command
    EXPECT_TRUE(frame->m_plainButton->IsDisabled());    // nobody does
    EXPECT_TRUE(frame->m_text->IsDisabled());           // the frame's update handler says so
    EXPECT_FALSE(frame->m_ownButton->IsDisabled());     // the bar's own update handler, asked first
    EXPECT_TRUE(frame->m_lastButton->IsDisabled());     // the last element takes part too
    EXPECT_FALSE(frame->m_slider->IsDisabled());        // no command: left alone

    bar->m_ownEnabled = FALSE;
    IdleUpdate();
    EXPECT_TRUE(frame->m_ownButton->IsDisabled());
    bar->m_ownEnabled = TRUE;
    IdleUpdate();
    EXPECT_FALSE(frame->m_ownButton->IsDisabled());
    // A bar's own command reaches its frame's map through the bar.
    Click(476, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return !frame->m_commands.empty(); }, 5000));
    EXPECT_EQ((UINT)ID_BAR_OWN, frame->m_commands.back());

    // Drawn in the disabled look.
    EXPECT_EQ(RGB(120, 0, 0), BarPixelIs(bar, 60, 20, RGB(120, 0, 0)));  // colour buttons keep their colour
    frame->m_imageButton->Enable(FALSE);
    EXPECT_EQ(kButtonDisabled, BarPixelIs(bar, 22, 20, kButtonDisabled));
}

TEST_F(ElementBarTest, SliderClicksJumpAndDragsTellTheBarOncePerChange)
{
    CBarSliderElement* slider = frame->m_slider;
    const CRect channel = slider->GetChannelRect();
    ASSERT_EQ(CRect(205, 12, 355, 28), channel);
    ASSERT_EQ(50, slider->GetPos());

    // A click on the channel at the current position sends nothing.
    Post(WM_LBUTTONDOWN, channel.left + 50, 14, MK_LBUTTON);
    Post(WM_LBUTTONUP, channel.left + 50, 14);
    EXPECT_TRUE(bar->m_changes.empty());
    // Elsewhere on the channel the thumb jumps there, with one message.
    Post(WM_LBUTTONDOWN, channel.left + 120, 14, MK_LBUTTON);
    ASSERT_EQ(1u, bar->m_changes.size());
    EXPECT_EQ(120, bar->m_changes[0].pos);
    EXPECT_EQ(slider, bar->m_changes[0].element);
    EXPECT_EQ(slider, bar->GetPressedItem());
    EXPECT_EQ(nullptr, bar->GetCapturedItem());
    Post(WM_LBUTTONUP, channel.left + 120, 14);
    EXPECT_EQ(nullptr, bar->GetPressedItem());

    // A drag from the thumb: captured, one message per new position, none for the same one, the
    // ends when the mouse leaves the channel.
    bar->m_changes.clear();
    Post(WM_LBUTTONDOWN, channel.left + 121, 20, MK_LBUTTON);
    EXPECT_EQ(slider, bar->GetCapturedItem());
    EXPECT_EQ(bar->m_hWnd, ::GetCapture());
    EXPECT_TRUE(bar->m_changes.empty());
    Post(WM_MOUSEMOVE, channel.left + 100, 40, MK_LBUTTON);
    Post(WM_MOUSEMOVE, channel.left + 100, 60, MK_LBUTTON);
    Post(WM_MOUSEMOVE, channel.left + 90, 20, MK_LBUTTON);
    Post(WM_MOUSEMOVE, channel.left - 30, 20, MK_LBUTTON);
    Post(WM_MOUSEMOVE, channel.right + 400, 20, MK_LBUTTON);
    // While dragged the thumb shows its pressed image.
    EXPECT_EQ(kThumbPressed, BarPixelIs(bar, slider->GetThumbCenter(), 20, kThumbPressed));
    Post(WM_LBUTTONUP, channel.right + 400, 20);
    ASSERT_EQ(4u, bar->m_changes.size());
    EXPECT_EQ(100, bar->m_changes[0].pos);
    EXPECT_EQ(90, bar->m_changes[1].pos);
    EXPECT_EQ(0, bar->m_changes[2].pos);
    EXPECT_EQ(150, bar->m_changes[3].pos);
    EXPECT_EQ(nullptr, bar->GetCapturedItem());
    EXPECT_NE(bar->m_hWnd, ::GetCapture());

    // Losing the mouse in mid-drag ends the drag: a later move without the button moves nothing.
    bar->m_changes.clear();
    Post(WM_LBUTTONDOWN, channel.right, 20, MK_LBUTTON);
    ASSERT_EQ(slider, bar->GetCapturedItem());
    ::ReleaseCapture();
    PumpProgramPending();
    EXPECT_EQ(nullptr, bar->GetCapturedItem());
    Post(WM_MOUSEMOVE, channel.left + 10, 20);
    EXPECT_TRUE(bar->m_changes.empty());
    slider->SetPos(50, TRUE);
}

TEST_F(ElementBarTest, HotTrackingFollowsTheMouseAndThePictureShowsEveryKind)
{
    MoveMouseTo(bar->m_hWnd, 20, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == frame->m_imageButton; }, 5000));
    EXPECT_EQ(kButtonHot, BarPixelIs(bar, 22, 20, kButtonHot));
    // Off the button it goes back, and the next one lights.
    MoveMouseTo(bar->m_hWnd, 60, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == frame->m_plainButton; }, 5000));
    EXPECT_EQ(kButtonNormal, BarPixelIs(bar, 22, 20, kButtonNormal));
    EXPECT_EQ(RGB(200, 0, 0), BarPixelIs(bar, 60, 20, RGB(200, 0, 0)));
    // Over the slider its thumb shows; the filled part reaches the thumb.
    frame->m_slider->SetPos(50, TRUE);
    MoveMouseTo(bar->m_hWnd, 300, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == frame->m_slider; }, 5000));
    const int thumb = frame->m_slider->GetThumbCenter();
    EXPECT_EQ(kThumbHot, BarPixelIs(bar, thumb, 20, kThumbHot));
    EXPECT_EQ(kFilled, BarPixelIs(bar, thumb - 20, 20, kFilled));
    EXPECT_EQ(kChannel, BarPixelIs(bar, thumb + 20, 20, kChannel));
    EXPECT_EQ(kBarColour, BarPixelIs(bar, thumb, 8, kBarColour));
    // The capped slider: full, caps at both ends, no thumb while the mouse is elsewhere.
    const CRect capped = frame->m_capped->GetChannelRect();
    EXPECT_EQ(kCap, BarPixelIs(bar, capped.left + 1, 20, kCap));
    EXPECT_EQ(kCap, BarPixelIs(bar, capped.right - 2, 20, kCap));
    EXPECT_EQ(kFilled, BarPixelIs(bar, capped.left + 40, 20, kFilled));

    CRect rc;
    bar->GetWindowRect(&rc);
    EXPECT_FALSE(SaveScreenRectScreenshot(L"toolkit", L"bar-elements", rc).IsEmpty());

    // Leaving the bar puts the light out.
    MoveMouseTo(frame->m_pane.m_hWnd, 50, 20);
    EXPECT_TRUE(PumpProgramUntil([&] { return bar->GetHotItem() == nullptr; }, 5000));
}
