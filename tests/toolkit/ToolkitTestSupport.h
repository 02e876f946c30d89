// Shared by the toolkit tests: a toolkit host of their own, a top-level framework window that
// records what its children report, message pumping with deadlines, and pixel helpers.
#pragma once

#include "framework/framework.h"
#include "toolkit/ToolkitHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Fonts made like the programs' shared fonts, the link cursor of the test program's resources,
// settings in memory and fixed names.
class CTestToolkitHost : public CToolkitHost {
public:
    CTestToolkitHost();
    ~CTestToolkitHost() override;

    HCURSOR GetHandCursor() override { return m_hHand; }
    CFont* GetNormalFont() override { return &m_normal; }
    CFont* GetBoldFont() override { return &m_bold; }
    CFont* GetUnderlineFont() override { return &m_underline; }
    CFont* GetLargeFont() override { return &m_large; }
    CFont* GetMenuFont() override { return &m_normal; }
    void GetMainWindowRect(int& left, int& top, int& width, int& height) override;
    void SetMainWindowRect(int left, int top, int width, int height) override;
    BOOL GetAutoCheckUpdate() override { return m_autoCheck; }
    void SetAutoCheckUpdate(BOOL on) override
    {
        m_autoCheck = on;
        m_autoCheckSetBy = ::GetCurrentThreadId();
    }
    int GetAutoCheckUpdateDays() override { return m_autoCheckDays; }
    __int64 GetLastUpdateCheck() override { return m_lastCheck; }
    void SetLastUpdateCheck(__int64 seconds) override { m_lastCheck = seconds; }
    CString GetProductName() override { return m_product; }
    CString GetProductVersion() override { return L"3.3.0"; }
    CString GetUpdateFeedUrl() override { return L"http://127.0.0.1/update.xml"; }
    CString GetProductPageUrl() override { return L"http://127.0.0.1/product"; }
    CString GetWebSiteUrl() override { return L"http://127.0.0.1/"; }
    CString GetSupportMailAddress() override { return L"support@example.invalid"; }
    CString GetNoticeText() override { return L"Toolkit tests"; }
    CString GetShellExtensionFileName() override { return m_extension; }
    CString GetShellExtensionHandlerName() override;

    CString m_product = L"Lumivo";
    CString m_extension = L"Brackel.dll";
    int m_rect[4] = {-1, -1, 0, 0};
    BOOL m_autoCheck = TRUE;
    DWORD m_autoCheckSetBy = 0;   // the thread that last set m_autoCheck
    int m_autoCheckDays = 1;
    __int64 m_lastCheck = 0;
    HCURSOR m_hHand = NULL;
    CFont m_normal, m_bold, m_underline, m_large;
};

// A visible top-level framework window on the dark chrome; it records the WM_VSCROLL and
// BN_CLICKED that its children send and can paint its background in a colour of the test's.
// One window serves every test: Wine without a window manager takes two seconds to destroy a
// top-level window, so the tests only make and destroy children.
class CTestParentWnd : public CWnd {
public:
    struct Scroll {
        UINT code;
        UINT pos;
        HWND bar;
    };
    static CTestParentWnd& Shared();
    // Shown at (40, 40), 480 x 240, on the chrome colour, with nothing recorded.
    BOOL Prepare();

    COLORREF m_background = RGB(32, 32, 32);
    // A 10-pixel wide vertical stripe at this client x (-1: none), to tell where a child's
    // borrowed background came from.
    int m_stripeX = -1;
    COLORREF m_stripe = RGB(255, 255, 0);
    std::vector<Scroll> m_scrolls;
    std::vector<UINT> m_clicks;  // control ids

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()
};

// Dispatches this thread's messages until pred holds or the deadline passes; the final answer.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 10000);
// Dispatches whatever is queued now.
void PumpPending();

// A pixel of the screen, or of a client point of a window.
COLORREF ScreenPixel(int x, int y);
COLORREF ClientPixel(HWND hwnd, int x, int y);

class CRasterImage;

// A solid image of one colour (24-bit).
void MakeSolidImage(CRasterImage& image, int w, int h, COLORREF colour);
// A square button picture: a play triangle in the glyph colour on the background (24-bit).
void MakePlayGlyphImage(CRasterImage& image, int size, COLORREF background, COLORREF glyph);
// How many pixels of a captured image have the colour.
int CountPixels(const CRasterImage& image, COLORREF colour);
// A pixel of a captured image, y counted from the top.
COLORREF ImagePixel(const CRasterImage& image, int x, int yFromTop);

// A memory DC of w x h with a bitmap, font, brush and pen of its own selected, for drawing code
// that must hand the DC back with the objects it found in it.
class CCheckedDC : public CDC {
public:
    CCheckedDC(int w, int h);
    ~CCheckedDC() override;
    // Which of the four objects drawing left exchanged ("" when none).
    std::string Exchanged() const;

private:
    CBitmap m_bitmap;
    CFont m_font;
    CBrush m_brush;
    CPen m_pen;
    HGDIOBJ m_old[4] = {};
};

// Sets the test host for the test's length and gives it a parent window at a fixed place.
class ToolkitWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetToolkitHost(&m_host);
        ASSERT_TRUE(m_parent.Prepare());
    }
    void TearDown() override { SetToolkitHost(nullptr); }
    CTestToolkitHost m_host;
    CTestParentWnd& m_parent = CTestParentWnd::Shared();
};
