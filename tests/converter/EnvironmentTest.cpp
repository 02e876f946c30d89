// The converter's environment (tool paths, image lists, fonts, the hosts it answers for) and the
// dialog base's tool tips.
#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "conversion/ConvertHost.h"
#include "conversion/PresetStore.h"
#include "converter/kit/OEDialog.h"
#include "engine/EngineHost.h"
#include "toolkit/HoverButton.h"
#include "toolkit/ToolkitHost.h"

using namespace convertertest;

namespace {

const UINT kTestDialog = 9001;
const UINT kTipped = 9002;
const UINT kUntipped = 9003;

CSize ImageSize(CImageList& list)
{
    int cx = 0, cy = 0;
    list.GetIconSize(&cx, &cy);
    return CSize(cx, cy);
}

int FontHeight(CFont& font)
{
    LOGFONTW lf = {};
    font.GetLogFont(&lf);
    return lf.lfHeight;
}

}  // namespace

TEST(ConverterEnvironment, InitFindsTheToolsAndMakesTheImageLists)
{
    CConverterTestApp app(false);
    // An application folder of our own, so that Modules is known.
    const CString folder = MakeAwkwardFolder(L"appfolder");
    ASSERT_TRUE(app.App().WriteProfileString(L"", L"AppFolder", folder));
    CConverterEnvironment environment;
    ASSERT_EQ(0, environment.Init());
    EXPECT_STREQ(L"Quisset.exe", environment.probeToolPath);
    EXPECT_STREQ(L"Velkor.exe", environment.encoderToolPath);
    EXPECT_STREQ(folder + L"\\Modules\\Presets", environment.presetsFolder);
    EXPECT_TRUE(environment.cursor != nullptr);
    EXPECT_EQ(1, environment.smallImages.GetImageCount());
    EXPECT_EQ(CSize(12, 12), ImageSize(environment.smallImages));
    EXPECT_EQ(3, environment.formatImages.GetImageCount());
    EXPECT_EQ(CSize(16, 16), ImageSize(environment.formatImages));
    EXPECT_EQ(4, environment.typeImages.GetImageCount());
    EXPECT_EQ(CSize(32, 32), ImageSize(environment.typeImages));
    EXPECT_TRUE(environment.GetSmallList() != nullptr);

    // Tools present in Modules are found there.
    ASSERT_TRUE(CreateDirectoryW(folder + L"\\Modules", nullptr));
    ASSERT_TRUE(TouchFile(folder + L"\\Modules\\Quisset.exe"));
    ASSERT_TRUE(TouchFile(folder + L"\\Modules\\Velkor.exe"));
    CConverterEnvironment second;
    ASSERT_EQ(0, second.Init());
    EXPECT_STREQ(folder + L"\\Modules\\Quisset.exe", second.GetProbeToolPath());
    EXPECT_STREQ(folder + L"\\Modules\\Velkor.exe", second.GetEncoderToolPath());
    EXPECT_STREQ(folder + L"\\Modules\\Presets", second.GetPresetsFolder());
    EXPECT_STREQ(L"", second.GetPlayerToolPath());
}

TEST(ConverterEnvironment, FontsComeFromTheDialogFontAndSurviveAnotherDialog)
{
    CConverterEnvironment environment;
    LOGFONTW lf = {};
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    CFont dialogFont;
    dialogFont.CreateFontIndirect(&lf);
    EXPECT_EQ(1, environment.CreateFonts(&dialogFont));
    EXPECT_EQ(-11, FontHeight(environment.normalFont));
    // Halved by a shift: -11 grows to -17, not -16.
    EXPECT_EQ(-17, FontHeight(environment.largeFont));
    EXPECT_EQ(-22, FontHeight(environment.extraLargeFont));
    LOGFONTW bold = {}, underline = {}, large = {};
    environment.boldFont.GetLogFont(&bold);
    environment.underlineFont.GetLogFont(&underline);
    environment.largeFont.GetLogFont(&large);
    EXPECT_EQ(700, bold.lfWeight);
    EXPECT_FALSE(bold.lfUnderline);
    EXPECT_TRUE(underline.lfUnderline);
    EXPECT_EQ(100, large.lfWeight);

    // A second dialog with the same font keeps the fonts the first one's controls show.
    HGDIOBJ before = environment.boldFont.GetSafeHandle();
    environment.CreateFonts(&dialogFont);
    EXPECT_EQ(before, environment.boldFont.GetSafeHandle());
    // So does the next dialog's own font of the same description: the system makes one per dialog,
    // and what its face name's buffer holds past the name's end is whatever was there before.
    LOGFONTW sameWithLeftovers = lf;
    for (size_t i = wcslen(lf.lfFaceName) + 1; i < LF_FACESIZE; ++i)
        sameWithLeftovers.lfFaceName[i] = (WCHAR)(0x7A20 + i);
    CFont nextDialogFont;
    nextDialogFont.CreateFontIndirect(&sameWithLeftovers);
    environment.CreateFonts(&nextDialogFont);
    EXPECT_EQ(before, environment.boldFont.GetSafeHandle());
    // One with another font gets new ones; the old stay valid until the environment goes.
    lf.lfHeight = -13;
    CFont otherFont;
    otherFont.CreateFontIndirect(&lf);
    environment.CreateFonts(&otherFont);
    EXPECT_NE(before, environment.boldFont.GetSafeHandle());
    EXPECT_EQ(OBJ_FONT, (int)GetObjectType(before));
    EXPECT_EQ(-13 + (-13 >> 1), FontHeight(environment.largeFont));
}

TEST(ConverterEnvironment, ItIsTheToolkitEngineAndConversionHost)
{
    CConverterTestApp app;
    CConverterEnvironment* environment = app.Environment();
    EXPECT_EQ(static_cast<CToolkitHost*>(environment), GetToolkitHost());
    EXPECT_EQ(static_cast<CEngineHost*>(environment), GetEngineHost());
    EXPECT_EQ(static_cast<CConvertHost*>(environment), GetConvertHost());
    EXPECT_EQ(environment, GetConverterEnvironment());
    EXPECT_STREQ(L"Ravento", environment->GetProductName());
    EXPECT_STREQ(L"3.3.0", environment->GetProductVersion());
    EXPECT_STREQ(L"Nordane.dll", environment->GetShellExtensionFileName());
    EXPECT_EQ(environment->cursor, environment->GetHandCursor());
    // The toolkit's link control takes the converter's link cursor.
    EXPECT_EQ(environment->cursor, ToolkitHandCursor());

    // Settings behind the host answers.
    app.Settings().overwrite = 12;
    EXPECT_EQ(12, environment->GetOverwriteAnswer());
    environment->SetOverwriteAnswer(13);
    EXPECT_EQ(13, app.Settings().overwrite);
    app.Settings().windowLeft = 100;
    app.Settings().windowTop = 200;
    int l, t, w, h;
    environment->GetMainWindowRect(l, t, w, h);
    EXPECT_EQ(100, l);
    EXPECT_EQ(200, t);
    environment->SetMainWindowRect(5, 6, 700, 500);
    EXPECT_EQ(5, app.Settings().windowLeft);
    EXPECT_EQ(6, app.Settings().windowTop);
    app.Settings().autoCheckUpdateDays = 7;
    EXPECT_EQ(7, environment->GetAutoCheckUpdateDays());

    CMediaPresetStore store;
    SetConverterPresetStore(&store);
    EXPECT_EQ(&store, environment->GetPresetStore());
    SetConverterPresetStore(nullptr);
    EXPECT_EQ(nullptr, environment->GetPresetStore());

    SetConverterEnvironment(nullptr);
    EXPECT_EQ(nullptr, GetToolkitHost());
    EXPECT_EQ(nullptr, GetEngineHost());
    EXPECT_EQ(nullptr, GetConvertHost());
}

TEST(DialogBase, TipsComeFromTheStringAfterItsFirstLineBreak)
{
    CString tip;
    ASSERT_TRUE(COEDialog::LoadTipText(kTipped, tip));
    EXPECT_STREQ(L"Video/audio format settings", tip);
    ASSERT_TRUE(COEDialog::LoadTipText(kUntipped, tip));
    EXPECT_STREQ(L"", tip);
    EXPECT_FALSE(COEDialog::LoadTipText(9999, tip));

    CConverterTestApp app;
    COEDialog dialog(kTestDialog);
    EXPECT_EQ(1, dialog.autoDisableMenuItems);
    ASSERT_TRUE(dialog.Create(kTestDialog, nullptr));
    ASSERT_TRUE(dialog.m_toolTip.m_hWnd != nullptr);
    EXPECT_EQ(65535, dialog.m_toolTip.GetMaxTipWidth());
    EXPECT_EQ((DWORD)(TTS_ALWAYSTIP | TTS_NOPREFIX), dialog.m_toolTip.GetStyle() & (TTS_ALWAYSTIP | TTS_NOPREFIX));
    EXPECT_TRUE(dialog.AddControlTip(kTipped));

    // The tip asked for a control given as a window.
    HWND control = ::GetDlgItem(dialog.m_hWnd, kTipped);
    NMTTDISPINFOW wide = {};
    wide.hdr.hwndFrom = dialog.m_toolTip.m_hWnd;
    wide.hdr.idFrom = (UINT_PTR)control;
    wide.hdr.code = TTN_NEEDTEXTW;
    wide.uFlags = TTF_IDISHWND;
    dialog.SendMessage(WM_NOTIFY, 0, (LPARAM)&wide);
    EXPECT_STREQ(L"Video/audio format settings", wide.lpszText);
    NMTTDISPINFOA narrow = {};
    narrow.hdr.hwndFrom = dialog.m_toolTip.m_hWnd;
    narrow.hdr.idFrom = kTipped;
    narrow.hdr.code = TTN_NEEDTEXTA;
    dialog.SendMessage(WM_NOTIFY, 0, (LPARAM)&narrow);
    EXPECT_STREQ("Video/audio format settings", narrow.szText);
    // A control without a string is left alone.
    NMTTDISPINFOW none = {};
    none.hdr.hwndFrom = dialog.m_toolTip.m_hWnd;
    none.hdr.idFrom = IDOK;
    none.hdr.code = TTN_NEEDTEXTW;
    dialog.SendMessage(WM_NOTIFY, 0, (LPARAM)&none);
    EXPECT_EQ(nullptr, none.lpszText);
    EXPECT_EQ(0, none.szText[0]);
    dialog.DestroyWindow();
}

namespace {

const UINT kHandled = 40001, kUnhandled = 40002, kInSubmenu = 40003;

class CMenuDialog : public COEDialog {
public:
    CMenuDialog() : COEDialog(kTestDialog) {}
    void OnHandled() {}
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuDialog, COEDialog)
    ON_COMMAND(kHandled, OnHandled)
    ON_UPDATE_COMMAND_UI(kInSubmenu, OnUpdateChecked)
END_MESSAGE_MAP()

UINT ItemState(HMENU menu, UINT id)
{
    return ::GetMenuState(menu, id, MF_BYCOMMAND);
}

}  // namespace

TEST(DialogBase, AMenuOpeningGetsTheDialogsCommandStates)
{
    CConverterTestApp app;
    CMenuDialog dialog;
    ASSERT_TRUE(dialog.Create(kTestDialog, nullptr));
    CMenu popup, sub;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(sub.CreatePopupMenu());
    sub.AppendMenu(MF_STRING, kInSubmenu, L"Inner");
    popup.AppendMenu(MF_STRING, kHandled, L"Handled");
    popup.AppendMenu(MF_SEPARATOR, 0, (LPCWSTR)nullptr);
    popup.AppendMenu(MF_STRING, kUnhandled, L"Unhandled");
    popup.AppendMenu(MF_STRING, SC_CLOSE, L"System");
    popup.AppendMenu(MF_POPUP, (UINT_PTR)sub.m_hMenu, L"Sub");

    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup.m_hMenu, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(ItemState(popup.m_hMenu, kHandled) & MF_GRAYED);
    EXPECT_TRUE(ItemState(popup.m_hMenu, kUnhandled) & MF_GRAYED);
    EXPECT_FALSE(ItemState(popup.m_hMenu, SC_CLOSE) & MF_GRAYED);
    // The submenu's item is asked through its first command and never greyed for want of one.
    EXPECT_FALSE(::GetMenuState(popup.m_hMenu, 4, MF_BYPOSITION) & MF_GRAYED);

    // Without auto-disabling, an item without a handler stays as it is.
    ::EnableMenuItem(popup.m_hMenu, kUnhandled, MF_BYCOMMAND | MF_ENABLED);
    dialog.autoDisableMenuItems = 0;
    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup.m_hMenu, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(ItemState(popup.m_hMenu, kUnhandled) & MF_GRAYED);
    // The system menu is left to the system.
    dialog.autoDisableMenuItems = 1;
    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup.m_hMenu, MAKELPARAM(0, TRUE));
    EXPECT_FALSE(ItemState(popup.m_hMenu, kUnhandled) & MF_GRAYED);
    // The submenu's own popup gets its update when it opens.
    dialog.SendMessage(WM_INITMENUPOPUP, (WPARAM)sub.m_hMenu, MAKELPARAM(4, FALSE));
    EXPECT_TRUE(ItemState(sub.m_hMenu, kInSubmenu) & MF_CHECKED);
    dialog.DestroyWindow();
}
