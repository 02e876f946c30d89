// The control bar's time display and image sliders: widths, texts and the four forms of the time,
// a live stream's remaining time, microsecond conversions, the drawing of both kinds read back
// off the screen, and a bar of them driven by mouse messages with pictures of its looks.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "player/bars/ElementBar.h"
#include "player/bars/ImageSliderElement.h"
#include "player/bars/TimeDisplayElement.h"
#include "tests/common/Screenshot.h"
#include "tests/toolkit/BarsTestSupport.h"

#include <climits>

using namespace playertest;

namespace {

const COLORREF kNormal = RGB(192, 192, 192), kPressed = RGB(240, 240, 240), kDisabled = RGB(128, 128, 128);
const COLORREF kGround = RGB(48, 48, 48);
const COLORREF kTrack = RGB(70, 70, 70), kFilled = RGB(0, 200, 120), kThumbHot = RGB(255, 255, 255),
               kThumbPressed = RGB(255, 200, 0), kCap = RGB(200, 0, 200);
const int kToggleCommand = 32815;

// A host without a window: the elements' redraws go nowhere, their states are the host's.
struct CLooseHost : CBarElementHost {
    CLooseHost() : CBarElementHost(nullptr) {}
};

// What Draw paints on the bar's colour, w x h, read back.
std::vector<COLORREF> DrawElement(CBarElement& element, int w, int h)
{
    return RenderPixels(w, h, kGround, [&](HDC hdc) {
        CDC dc;
        dc.Attach(hdc);
        element.Draw(&dc);
        dc.Detach();
    });
}

int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour)
{
    int n = 0;
    for (COLORREF c : pixels) n += c == colour;
    return n;
}

COLORREF At(const std::vector<COLORREF>& pixels, int w, int x, int y) { return pixels[(size_t)y * w + x]; }

}  // namespace

TEST(TimeDisplay, WidthFollowsTheTotalAndTheHourOfTheDuration)
{
    CLooseHost host;
    CTimeDisplayElement time(&host, CRect(0, 0, 80, 24), kToggleCommand);
    EXPECT_EQ(40, time.GetWidth());  // nothing loaded: no total to show
    time.SetDuration(3599999);
    EXPECT_EQ(80, time.GetWidth());
    time.SetDuration(3600000);
    EXPECT_EQ(112, time.GetWidth());
    // Without the total (after two toggles: elapsed alone).
    time.Toggle();
    time.Toggle();
    ASSERT_FALSE(time.IsTotalShown());
    EXPECT_EQ(56, time.GetWidth());
    time.SetDuration(3599999);
    EXPECT_EQ(40, time.GetWidth());
    // The hour is judged on the duration, not on the position.
    time.SetPosition(3599000);
    EXPECT_EQ(40, time.GetWidth());
}

TEST(TimeDisplay, TextsOfTheFourFormsCycleWithTheToggle)
{
    CLooseHost host;
    CTimeDisplayElement time(&host, CRect(0, 0, 112, 24), kToggleCommand);
    time.SetDuration(4000000);
    time.SetPosition(65000);
    EXPECT_EQ(L"01:05 / 01:06:40", time.GetText());
    time.Toggle();
    EXPECT_EQ(L"-01:05:35 / 01:06:40", time.GetText());
    time.Toggle();
    EXPECT_EQ(L"01:05", time.GetText());
    time.Toggle();
    EXPECT_EQ(L"-01:05:35", time.GetText());
    time.Toggle();
    EXPECT_EQ(L"01:05 / 01:06:40", time.GetText());
    EXPECT_TRUE(time.IsTotalShown());
    EXPECT_FALSE(time.IsRemainingShown());

    // Hours appear on each side by itself.
    time.SetDuration(600000);
    time.SetPosition(599999);
    EXPECT_EQ(L"09:59 / 10:00", time.GetText());
    time.SetDuration(36000000);
    time.SetPosition(35999000);
    EXPECT_EQ(L"09:59:59 / 10:00:00", time.GetText());
}

TEST(TimeDisplay, ShortDurationsPositionsPastTheEndAndMicroseconds)
{
    CLooseHost host;
    CTimeDisplayElement time(&host, CRect(0, 0, 80, 24), kToggleCommand);
    time.SetDuration(500);
    EXPECT_EQ(L"00:00 / 00:01", time.GetText());
    // A position past a known duration stays at the end.
    time.SetPosition(2000);
    EXPECT_EQ(500, time.GetPosition());
    // A new duration starts again at 0.
    time.SetPosition(300);
    time.SetDuration(90000);
    EXPECT_EQ(0, time.GetPosition());
    EXPECT_EQ(L"00:00 / 01:30", time.GetText());

    time.SetDurationUs(4000000000LL);
    EXPECT_EQ(4000000, time.GetDuration());
    time.SetPositionUs(65000999);
    EXPECT_EQ(65000, time.GetPosition());
    EXPECT_EQ(L"01:05 / 01:06:40", time.GetText());
    // Ten days in microseconds still fit; more than the int range of milliseconds is cut there.
    time.SetDurationUs(864000000000LL);
    EXPECT_EQ(864000000, time.GetDuration());
    time.SetDurationUs(LLONG_MAX);
    EXPECT_EQ(INT_MAX, time.GetDuration());
    EXPECT_EQ(INT_MAX, BarMsFromUs(LLONG_MAX));
    EXPECT_EQ(INT_MIN, BarMsFromUs(LLONG_MIN));
}

TEST(TimeDisplay, ALiveStreamWithoutDurationNeverShowsANegativeRemainingTime)
{
    CLooseHost host;
    CTimeDisplayElement time(&host, CRect(0, 0, 80, 24), kToggleCommand);
    time.SetDuration(0);
    time.SetPosition(90000);
    // Without a duration the position runs on, and no total is shown.
    EXPECT_EQ(90000, time.GetPosition());
    EXPECT_EQ(L"01:30", time.GetText());
    time.Toggle();
    ASSERT_TRUE(time.IsRemainingShown());
    EXPECT_EQ(L"-00:00", time.GetText());
    time.SetPosition(7500000);
    EXPECT_EQ(L"-00:00", time.GetText());
    // An unknown duration reported as negative is no duration.
    time.SetDurationUs(-1);
    EXPECT_EQ(0, time.GetDuration());
    time.SetPosition(5000);
    EXPECT_EQ(L"-00:00", time.GetText());
    EXPECT_EQ(L"-00:00 / 00:01", CTimeDisplayElement::FormatText(1000, 5000, TRUE, TRUE));
}

TEST(TimeDisplay, DrawsDisabledWhileNothingIsLoadedAndBrighterWhilePressed)
{
    CPlayerTestApp app(true);
    app.Resources()->Init();
    CLooseHost host;
    const int w = 112, h = 24;
    CTimeDisplayElement time(&host, CRect(0, 0, w, h), kToggleCommand);
    time.SetTextColors(kNormal, kPressed, kDisabled);
    auto idle = DrawElement(time, w, h);
    EXPECT_GT(CountColour(idle, kDisabled), 10);
    EXPECT_EQ(0, CountColour(idle, kNormal));

    time.SetDuration(4000000);
    time.SetPosition(65000);
    auto playing = DrawElement(time, w, h);
    EXPECT_GT(CountColour(playing, kNormal), 10);
    EXPECT_EQ(0, CountColour(playing, kDisabled));
    // The text keeps a margin: the two outer columns and the last row stay the bar's colour.
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(kGround, At(playing, w, 0, y));
        EXPECT_EQ(kGround, At(playing, w, w - 1, y));
    }

    // Hot alone changes nothing; pressed takes the second colour.
    host.SetHotItem(&time);
    EXPECT_EQ(CountColour(playing, kNormal), CountColour(DrawElement(time, w, h), kNormal));
    host.SetPressedItem(&time);
    auto pressed = DrawElement(time, w, h);
    EXPECT_GT(CountColour(pressed, kPressed), 10);
    EXPECT_EQ(0, CountColour(pressed, kNormal));
    host.SetPressedItem(nullptr);
    time.Enable(FALSE);
    EXPECT_GT(CountColour(DrawElement(time, w, h), kDisabled), 10);
    time.Enable(TRUE);

    time.SetText(L"", FALSE);
    auto empty = DrawElement(time, w, h);
    EXPECT_EQ(w * h, CountColour(empty, kGround));
}

TEST(ImageSlider, VolumeAndSeekValues)
{
    CLooseHost host;
    CImageSliderElement volume(&host, CRect(0, 0, 100, 24));
    volume.SetRange(0, 100, FALSE);
    volume.SetVolume(-5);
    EXPECT_EQ(0, volume.GetPos());
    volume.SetVolume(49);
    EXPECT_EQ(49, volume.GetPos());
    volume.SetVolume(150);
    EXPECT_EQ(100, volume.GetPos());
    EXPECT_TRUE(volume.GetBlock());

    CImageSliderElement seek(&host, CRect(0, 0, 300, 24));
    seek.SetRangeUs(4000000000LL);
    EXPECT_EQ(0, seek.GetMin());
    EXPECT_EQ(4000000, seek.GetMax());
    seek.SetPosUs(65000999, FALSE);
    EXPECT_EQ(65000, seek.GetPos());
    seek.SetPosUs(9000000000LL, FALSE);
    EXPECT_EQ(4000000, seek.GetPos());
    // An unknown duration leaves nothing to seek in.
    seek.SetRangeUs(-1);
    EXPECT_EQ(0, seek.GetMax());
    EXPECT_EQ(0, seek.GetPos());
}

TEST(ImageSlider, DrawsTrackFilledBlocksCapsAndTheThumbOnlyWhenTracked)
{
    CImageList strip, caps;
    MakeColourStrip(strip, 10, 16, {kTrack, kFilled, kThumbHot, kThumbPressed});
    MakeColourStrip(caps, 3, 16, {kCap, kCap});
    CLooseHost host;
    const int w = 130, h = 24;
    // Channel: 5 .. 125 (120 pixels), rows 4 .. 19.
    CImageSliderElement slider(&host, CRect(0, 0, w, h));
    EXPECT_EQ(CSize(0, 0), CSize(slider.GetCellWidth(), slider.GetCellHeight()));
    auto none = DrawElement(slider, w, h);
    EXPECT_EQ(w * h, CountColour(none, kGround));  // no strip: nothing

    slider.SetStripImages(&strip);
    EXPECT_EQ(CSize(10, 16), CSize(slider.GetCellWidth(), slider.GetCellHeight()));
    slider.SetRange(0, 120, FALSE);
    slider.SetPos(60, FALSE);
    auto solid = DrawElement(slider, w, h);
    const int y = 12;
    EXPECT_EQ(kGround, At(solid, w, 4, y));
    EXPECT_EQ(kFilled, At(solid, w, 5, y));
    EXPECT_EQ(kFilled, At(solid, w, 64, y));
    EXPECT_EQ(kTrack, At(solid, w, 65, y));
    EXPECT_EQ(kTrack, At(solid, w, 124, y));
    EXPECT_EQ(kGround, At(solid, w, 125, y));
    EXPECT_EQ(kGround, At(solid, w, 60, 3));
    EXPECT_EQ(kTrack, At(solid, w, 70, 4));
    EXPECT_EQ(kTrack, At(solid, w, 70, 19));
    EXPECT_EQ(kGround, At(solid, w, 70, 20));
    EXPECT_EQ(60, CountColour(solid, kFilled) / 16);
    EXPECT_EQ(0, CountColour(solid, kThumbHot) + CountColour(solid, kThumbPressed));

    // Blocks of 4 with a gap of 1: every fifth column of the filled part shows the track.
    slider.SetBlock(FALSE);
    auto blocks = DrawElement(slider, w, h);
    for (int x = 5; x < 65; ++x) EXPECT_EQ((x - 5) % 5 == 4 ? kTrack : kFilled, At(blocks, w, x, y)) << x;
    slider.SetBlock(TRUE);

    slider.SetCapImages(&caps);
    auto capped = DrawElement(slider, w, h);
    for (int x : {5, 6, 7, 122, 123, 124}) EXPECT_EQ(kCap, At(capped, w, x, y)) << x;
    EXPECT_EQ(kFilled, At(capped, w, 8, y));
    EXPECT_EQ(kTrack, At(capped, w, 121, y));

    host.SetHotItem(&slider);
    auto hot = DrawElement(slider, w, h);
    // The thumb is centred on the position: columns 60 .. 69 around x 65.
    EXPECT_EQ(kThumbHot, At(hot, w, 60, y));
    EXPECT_EQ(kThumbHot, At(hot, w, 69, y));
    EXPECT_EQ(kTrack, At(hot, w, 70, y));
    EXPECT_EQ(160, CountColour(hot, kThumbHot));
    host.SetPressedItem(&slider);
    auto pressed = DrawElement(slider, w, h);
    EXPECT_EQ(160, CountColour(pressed, kThumbPressed));
    EXPECT_EQ(0, CountColour(pressed, kThumbHot));

    // An empty range has no filled part and no thumb.
    slider.SetRange(0, 0, FALSE);
    auto empty = DrawElement(slider, w, h);
    EXPECT_EQ(0, CountColour(empty, kFilled));
    EXPECT_EQ(0, CountColour(empty, kThumbPressed));
    host.SetPressedItem(nullptr);
    slider.SetHidden(TRUE);
    EXPECT_EQ(w * h, CountColour(DrawElement(slider, w, h), kGround));
}

namespace {

// A bar made as the playback control bar is: the player's own strips and caps, a dark ground,
// the time display's toggle handled by the bar, and the sliders' changes recorded.
class CTestTimeBar : public CElementBar {
public:
    CImageList seekStrip, volumeStrip, caps;
    CImageSliderElement* seek = nullptr;
    CImageSliderElement* volume = nullptr;
    CTimeDisplayElement* times[4] = {};
    struct Change {
        int pos;
        CBarElement* element;
    };
    std::vector<Change> changes;
    int relayedUnused = 0;

    bool MakeElements()
    {
        if (!LoadStrip(seekStrip, 141, 24, 24, RGB(0, 0, 0)) || !LoadStrip(volumeStrip, 143, 20, 24, RGB(255, 0, 255)) ||
            !LoadStrip(caps, 211, 3, 24, RGB(255, 0, 255)))
            return false;
        seek = new CImageSliderElement(this, CRect(8, 1, 308, 39));
        seek->SetStripImages(&seekStrip);
        seek->SetCapImages(&caps);
        AddItem(seek);
        int x = 312;
        for (int i = 0; i < 4; ++i) {
            times[i] = new CTimeDisplayElement(this, CRect(x, 1, x + 124, 39), kToggleCommand);
            times[i]->SetTextColors(kNormal, kPressed, kDisabled);
            AddItem(times[i]);
            x += 128;
        }
        volume = new CImageSliderElement(this, CRect(x + 8, 1, x + 108, 39));
        volume->SetStripImages(&volumeStrip);
        volume->SetCapImages(&caps);
        volume->SetRange(0, 100, FALSE);
        AddItem(volume);
        return true;
    }

protected:
    static bool LoadStrip(CImageList& list, UINT id, int cx, int cy, COLORREF mask)
    {
        CBitmap bitmap;
        if (!bitmap.LoadBitmap(id) || !list.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 4, 0)) return false;
        return list.Add(&bitmap, mask) >= 0;
    }
    void DrawBackground(CDC* pDC, const CRect& rc) override
    {
        pDC->FillSolidRect(&rc, kGround);
        pDC->FillSolidRect(rc.left, rc.top, rc.Width(), 1, RGB(52, 52, 52));
    }
    BOOL OnBarMessage(MSG* pMsg, BOOL bUsed) override
    {
        if (pMsg->message == WM_LBUTTONDOWN && !bUsed) ++relayedUnused;
        return FALSE;
    }
    // Always enabled, as the playback control bar keeps it: the frame has no handler for it.
    void OnUpdateToggle(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnToggle()
    {
        for (CTimeDisplayElement* t : times) t->Toggle();
    }
    LRESULT OnElementChanged(WPARAM wParam, LPARAM lParam)
    {
        changes.push_back({(int)wParam, reinterpret_cast<CBarElement*>(lParam)});
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestTimeBar, CElementBar)
    ON_COMMAND(kToggleCommand, OnToggle)
    ON_UPDATE_COMMAND_UI(kToggleCommand, OnUpdateToggle)
    ON_MESSAGE(WM_BAR_ELEMENT_CHANGED, OnElementChanged)
END_MESSAGE_MAP()

class CTimeBarFrame : public CFrameWnd {
public:
    CTestTimeBar bar;
    CRecordingPane pane;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext*) override
    {
        return pane.Make(this) && bar.Create(WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, CRect(0, 0, 100, 40), this, 59397) &&
               bar.MakeElements();
    }
};

}  // namespace

TEST(ControlBarElements, ABarOfThemFollowsTheMouseAndShowsEveryForm)
{
    CPlayerTestApp app(true);
    app.Resources()->Init();
    CTimeBarFrame* frame = new CTimeBarFrame;
    ASSERT_TRUE(frame->Create(NULL, L"time bar", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(20, 300, 1000, 400)));
    frame->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    frame->RecalcLayout();
    PumpProgramPending();
    CTestTimeBar& bar = frame->bar;
    ASSERT_TRUE(bar.seek && bar.volume);

    // Four forms at one point of a long clip, as the toggle cycles them.
    for (int i = 0; i < 4; ++i) {
        bar.times[i]->SetDuration(4000000);
        bar.times[i]->SetPosition(65000);
        for (int k = 0; k < i; ++k) bar.times[i]->Toggle();
    }
    EXPECT_EQ(L"01:05 / 01:06:40", bar.times[0]->GetText());
    EXPECT_EQ(L"-01:05:35 / 01:06:40", bar.times[1]->GetText());
    EXPECT_EQ(L"01:05", bar.times[2]->GetText());
    EXPECT_EQ(L"-01:05:35", bar.times[3]->GetText());
    bar.seek->SetRangeUs(4000000000LL);
    bar.seek->SetPosUs(1300000000LL, TRUE);
    bar.volume->SetVolume(70);

    auto post = [&](UINT message, int x, int y, WPARAM keys) {
        bar.PostMessage(message, keys, MAKELPARAM(x, y));
        PumpProgramPending();
    };
    // A click on the seek track jumps there and tells the bar once.
    const CRect channel = bar.seek->GetChannelRect();
    const int target = channel.left + channel.Width() / 2;
    post(WM_MOUSEMOVE, target, 20, 0);
    post(WM_LBUTTONDOWN, target, 20, MK_LBUTTON);
    ASSERT_EQ(1u, bar.changes.size());
    EXPECT_EQ(bar.seek, bar.changes[0].element);
    EXPECT_NEAR(2000000, bar.changes[0].pos, 4000000 / channel.Width() + 1);
    EXPECT_TRUE(bar.seek->IsPressed());
    frame->UpdateWindow();
    bar.UpdateWindow();
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"control-bar-seek-pressed", bar.m_hWnd).IsEmpty());
    post(WM_LBUTTONUP, target, 20, 0);
    EXPECT_FALSE(bar.seek->IsPressed());

    // Dragging the volume thumb reports each new position.
    bar.changes.clear();
    const CRect thumb = bar.volume->GetThumbRect();
    const CPoint grip = thumb.CenterPoint();
    post(WM_MOUSEMOVE, grip.x, grip.y, 0);
    post(WM_LBUTTONDOWN, grip.x, grip.y, MK_LBUTTON);
    EXPECT_TRUE(bar.volume->IsCaptured());
    post(WM_MOUSEMOVE, grip.x - 20, grip.y, MK_LBUTTON);
    post(WM_MOUSEMOVE, grip.x - 30, grip.y, MK_LBUTTON);
    ASSERT_EQ(2u, bar.changes.size());
    EXPECT_EQ(bar.volume, bar.changes[1].element);
    EXPECT_LT(bar.changes[1].pos, bar.changes[0].pos);
    EXPECT_LT(bar.changes[0].pos, 70);
    EXPECT_EQ(bar.changes[1].pos, bar.volume->GetPos());
    bar.UpdateWindow();
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"control-bar-volume-dragged", bar.m_hWnd).IsEmpty());
    post(WM_LBUTTONUP, grip.x - 30, grip.y, 0);
    EXPECT_FALSE(bar.volume->IsCaptured());

    // A click on a time display reaches the bar's toggle: every form moves on by one.
    const CRect first = bar.times[0]->GetItemRect();
    post(WM_MOUSEMOVE, first.CenterPoint().x, 20, 0);
    post(WM_LBUTTONDOWN, first.CenterPoint().x, 20, MK_LBUTTON);
    post(WM_LBUTTONUP, first.CenterPoint().x, 20, 0);
    PumpProgramUntil([&] { return bar.times[0]->IsRemainingShown() != FALSE; }, 5000);
    EXPECT_EQ(L"-01:05:35 / 01:06:40", bar.times[0]->GetText());
    EXPECT_EQ(L"01:05", bar.times[1]->GetText());
    EXPECT_EQ(L"-01:05:35", bar.times[2]->GetText());
    EXPECT_EQ(L"01:05 / 01:06:40", bar.times[3]->GetText());

    // A press between the elements is left to the bar (the control bar drags the frame with it).
    EXPECT_EQ(0, bar.relayedUnused);
    post(WM_LBUTTONDOWN, 2, 20, MK_LBUTTON);
    post(WM_LBUTTONUP, 2, 20, 0);
    EXPECT_EQ(1, bar.relayedUnused);

    // The idle update offers the time display's command to the bar, which handles it.
    bar.times[0]->Enable(FALSE);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    EXPECT_FALSE(bar.times[0]->IsDisabled());

    // Hot seek thumb with nothing pressed, on a live stream's remaining time.
    bar.CancelTracking(TRUE);
    for (CTimeDisplayElement* t : bar.times) {
        t->SetDuration(0);
        t->SetPosition(754000);
    }
    bar.SetHotItem(bar.seek);
    bar.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(SaveWindowScreenshot(L"player", L"control-bar-live-seek-hot", bar.m_hWnd).IsEmpty());
    EXPECT_EQ(L"-00:00", bar.times[0]->GetText());

    frame->DestroyWindow();
    PumpProgramPending();
}
