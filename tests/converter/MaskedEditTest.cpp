// The masked edit and the time edit: typing into the mask, Backspace, clearing, pasting and the
// clipboard keys on a real edit window, and the time texts.
#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converter/kit/ConverterHelpers.h"
#include "converter/kit/MaskedEdit.h"

using namespace convertertest;

namespace {

CString Typed(const CMaskedEdit& edit, CString text, int& caret, LPCWSTR keys)
{
    for (const wchar_t* k = keys; *k; ++k)
        edit.ApplyChar(text, caret, caret, *k);
    return text;
}

class MaskedEditWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CConverterTestApp);
        ASSERT_TRUE(CControlHost::Shared().Prepare(300, 80));
        ASSERT_TRUE(m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 200, 34),
                                  &CControlHost::Shared(), 301));
        m_edit.SetFont(m_app->Environment()->GetNormalFont());
        m_edit.SetFocus();
    }
    void TearDown() override
    {
        m_edit.DestroyWindow();
        SetCtrl(false);
        m_app.reset();
    }
    static void SetCtrl(bool down)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        keys[VK_LCONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    CString Text() const { return WindowText(m_edit.m_hWnd); }
    void Type(LPCWSTR keys)
    {
        for (const wchar_t* k = keys; *k; ++k)
            m_edit.SendMessage(WM_CHAR, *k, 1);
    }

    std::unique_ptr<CConverterTestApp> m_app;
    CMaskedEdit m_edit;
};

}  // namespace

TEST(MaskedEdit, TypingFollowsTheMaskAndLiteralsTypeThemselves)
{
    CMaskedEdit edit;
    int caret = 0;
    EXPECT_STREQ(L"12.34.56.7", Typed(edit, L"", caret, L"1234567"));
    EXPECT_EQ(10, caret);
    // Letters are refused; a literal typed where the mask has it is taken.
    caret = 0;
    EXPECT_STREQ(L"1", Typed(edit, L"", caret, L"a1b"));
    caret = 2;
    EXPECT_STREQ(L"12.", Typed(edit, L"12", caret, L"."));
    caret = 2;
    EXPECT_STREQ(L"12", Typed(edit, L"12", caret, L":"));
    // Past the mask's end nothing is written.
    caret = 12;
    EXPECT_STREQ(L"12.34.56.789", Typed(edit, L"12.34.56.789", caret, L"5"));
    // In the middle a digit overwrites the digit there.
    caret = 3;
    EXPECT_STREQ(L"12.94.56.789", Typed(edit, L"12.34.56.789", caret, L"9"));
    EXPECT_EQ(4, caret);
}

TEST(MaskedEdit, BackspaceZeroesInsideAndDeletesAtTheEnd)
{
    CMaskedEdit edit;
    CString text = L"12.34.56.789";
    int caret = 4;
    ASSERT_TRUE(edit.ApplyChar(text, caret, caret, VK_BACK));
    EXPECT_STREQ(L"12.04.56.789", text);
    EXPECT_EQ(3, caret);
    // Over a literal only the caret moves.
    caret = 3;
    edit.ApplyChar(text, caret, caret, VK_BACK);
    EXPECT_STREQ(L"12.04.56.789", text);
    EXPECT_EQ(2, caret);
    // A selection inside becomes zeros with its literals kept.
    caret = 1;
    edit.ApplyChar(text, caret, 7, VK_BACK);
    EXPECT_STREQ(L"10.00.06.789", text);
    // At the end the character goes; a selection reaching the end goes whole.
    caret = 12;
    edit.ApplyChar(text, caret, caret, VK_BACK);
    EXPECT_STREQ(L"10.00.06.78", text);
    caret = 5;
    edit.ApplyChar(text, caret, 11, VK_BACK);
    EXPECT_STREQ(L"10.00", text);
    caret = 0;
    CString empty;
    EXPECT_FALSE(edit.ApplyChar(empty, caret, 0, VK_BACK));
}

TEST(MaskedEdit, PasteFillsMaskPlacesAndClearKeepsTheLength)
{
    CMaskedEdit edit;
    CString text;
    int caret = 0;
    edit.ApplyPaste(text, caret, 0, L"9a");
    EXPECT_STREQ(L"90", text);
    text.Empty();
    caret = 0;
    edit.ApplyPaste(text, caret, 0, L"12.34.56.789");
    EXPECT_STREQ(L"12.34.56.789", text);
    text.Empty();
    caret = 0;
    edit.ApplyPaste(text, caret, 0, L"1234567890123");
    EXPECT_STREQ(L"12.34.56.789", text);
    // A full text has no room at its caret; a selection is overwritten in place.
    caret = 3;
    edit.ApplyPaste(text, caret, 3, L"55");
    EXPECT_STREQ(L"12.34.56.789", text);
    caret = 3;
    edit.ApplyPaste(text, caret, 7, L"5566");
    EXPECT_STREQ(L"12.55.66.789", text);

    edit.ApplyClear(text, 3, 7);
    EXPECT_STREQ(L"12.00.06.789", text);
    edit.ApplyClear(text, 6, 12);
    EXPECT_STREQ(L"12.00.", text);
}

TEST_F(MaskedEditWindow, KeysAndTheClipboardWorkOnTheEditWindow)
{
    Type(L"1234567");
    EXPECT_STREQ(L"12.34.56.7", Text());
    Type(L"89");
    EXPECT_STREQ(L"12.34.56.789", Text());
    // Insert does nothing; Delete clears the selection without touching the clipboard.
    ASSERT_TRUE(AfxSetClipboardText(m_edit.m_hWnd, L"unchanged"));
    m_edit.SetSel(3, 5);
    m_edit.SendMessage(WM_KEYDOWN, VK_INSERT, 1);
    m_edit.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_STREQ(L"12.00.56.789", Text());
    CString clip;
    ASSERT_TRUE(AfxGetClipboardText(m_edit.m_hWnd, clip));
    EXPECT_STREQ(L"unchanged", clip);

    // Ctrl+X copies the selection, then clears it.
    m_edit.SetSel(6, 8);
    SetCtrl(true);
    m_edit.SendMessage(WM_KEYDOWN, VK_CONTROL, 1);
    m_edit.SendMessage(WM_KEYDOWN, 'X', 1);
    ASSERT_TRUE(AfxGetClipboardText(m_edit.m_hWnd, clip));
    EXPECT_STREQ(L"56", clip);
    EXPECT_STREQ(L"12.00.00.789", Text());
    // Ctrl+V pastes over the selection.
    ASSERT_TRUE(AfxSetClipboardText(m_edit.m_hWnd, L"4x"));
    m_edit.SetSel(0, 2);
    m_edit.SendMessage(WM_KEYDOWN, 'V', 1);
    EXPECT_STREQ(L"40.00.00.789", Text());
    // Ctrl+C copies.
    m_edit.SetSel(9, 12);
    m_edit.SendMessage(WM_KEYDOWN, 'C', 1);
    ASSERT_TRUE(AfxGetClipboardText(m_edit.m_hWnd, clip));
    EXPECT_STREQ(L"789", clip);

    // Ctrl let go while the edit did not see it: X is a plain key again, never a cut.
    SetCtrl(false);
    m_edit.SetSel(0, 2);
    m_edit.SendMessage(WM_KEYDOWN, 'X', 1);
    EXPECT_STREQ(L"40.00.00.789", Text());
    ASSERT_TRUE(AfxGetClipboardText(m_edit.m_hWnd, clip));
    EXPECT_STREQ(L"789", clip);

    // Backspace in the middle.
    m_edit.SetSel(4, 4);
    m_edit.SendMessage(WM_CHAR, VK_BACK, 1);
    EXPECT_STREQ(L"40.00.00.789", Text());
    m_edit.SetSel(1, 1);
    m_edit.SendMessage(WM_CHAR, VK_BACK, 1);
    EXPECT_STREQ(L"00.00.00.789", Text());
    EXPECT_FALSE(Shot(L"masked-edit", CControlHost::Shared().m_hWnd).IsEmpty());
}

TEST_F(MaskedEditWindow, ATimeEditShowsAndReadsMilliseconds)
{
    m_edit.DestroyWindow();
    CTimeEdit time;
    ASSERT_TRUE(time.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 34), &CControlHost::Shared(), 302));
    time.SetTime(3723004);
    EXPECT_STREQ(L"01:02:03.004", WindowText(time.m_hWnd));
    EXPECT_EQ(3723004, time.GetTime());
    time.SetWindowText(L"");
    for (const wchar_t* k = L"000130250"; *k; ++k)
        time.SendMessage(WM_CHAR, *k, 1);
    EXPECT_STREQ(L"00:01:30.250", WindowText(time.m_hWnd));
    EXPECT_EQ(90250, time.GetTime());
    time.SetWindowText(L"");
    EXPECT_EQ(0, time.GetTime());
    time.DestroyWindow();
}

TEST(DurationTexts, HoursMillisecondsAndSeconds)
{
    EXPECT_STREQ(L"01:02:03.004", FormatDurationMs(3723004, FALSE, TRUE, TRUE));
    EXPECT_STREQ(L"00:59", FormatDurationMs(59000, FALSE, FALSE, FALSE));
    EXPECT_STREQ(L"00:00:59", FormatDurationMs(59000, FALSE, FALSE, TRUE));
    EXPECT_STREQ(L"00:59.000", FormatDurationMs(59000, FALSE, TRUE, FALSE));
    EXPECT_STREQ(L"26:00:00.000", FormatDurationMs(93600000, FALSE, TRUE, FALSE));
    EXPECT_STREQ(L"00:01", FormatDurationMs(250, FALSE, FALSE, FALSE));
    EXPECT_STREQ(L"00:00.000", FormatDurationMs(-1, FALSE, TRUE, FALSE));
    EXPECT_STREQ(L"65.250", FormatDurationMs(65250, TRUE, TRUE, FALSE));
    EXPECT_STREQ(L"1", FormatDurationMs(1, TRUE, FALSE, FALSE));
    EXPECT_STREQ(L"0", FormatDurationMs(0, TRUE, FALSE, FALSE));

    EXPECT_STREQ(L"44100 Hz", FormatSampleRate(44100, L"%d", TRUE, TRUE));
    EXPECT_STREQ(L"48000", FormatSampleRate(48000, L"%d", FALSE, TRUE));
    EXPECT_STREQ(L"Auto", FormatSampleRate(0, L"%d", TRUE, TRUE));
    EXPECT_STREQ(L"", FormatSampleRate(0, L"%d", TRUE, FALSE));
    EXPECT_DOUBLE_EQ(29.97, ParseDouble(L"29.97"));
    EXPECT_DOUBLE_EQ(0.0, ParseDouble(L"abc"));
    EXPECT_DOUBLE_EQ(0.0, ParseDouble(L""));
}
