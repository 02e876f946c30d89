// The settings sheet driven as a user would, by messages inside its modal loop: each page copies
// the settings and applies them on OK, refuses out-of-range numbers with the standard message,
// switches the Explorer extension, keeps its count fields and modified mark in step, and the file
// associations made, given back and deleted from the sheet end in the registry as they should.
#include <gtest/gtest.h>

#include <functional>

#include "PlayerTestSupport.h"
#include "framework/Effects.h"
#include "framework/Handles.h"
#include "player/app/PlayerResource.h"
#include "player/settings/FileTypeAssoc.h"
#include "player/settings/FileTypeDlg.h"
#include "player/settings/SettingsSheet.h"
#include "player/settings/SettingsSheetResource.h"
#include "tests/common/Screenshot.h"
#include "toolkit/ShellMenuExtension.h"

using namespace playertest;

namespace {

// Steps run from a thread timer inside the sheet's modal loop (and inside a dialog it opens), one
// per tick; a step that returns false is tried again at the next tick.
std::vector<std::function<bool()>> g_steps;
size_t g_step = 0;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD)
{
    static bool running = false;
    if (running || g_step >= g_steps.size()) return;
    running = true;
    if (g_steps[g_step]()) ++g_step;
    running = false;
}

INT_PTR RunSheet(CSettingsSheet& sheet, std::vector<std::function<bool()>> steps)
{
    g_steps = std::move(steps);
    g_step = 0;
    const UINT_PTR timer = SetTimer(NULL, 0, 150, &StepTimer);
    const INT_PTR result = sheet.DoModal();
    KillTimer(NULL, timer);
    return result;
}

std::vector<CString> g_messages;
int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    g_messages.push_back(text ? text : L"");
    return IDOK;
}

struct ShellCall {
    CString file, parameters;
};
std::vector<ShellCall> g_shellCalls;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR params, LPCWSTR, INT)
{
    g_shellCalls.push_back({file ? file : L"", params ? params : L""});
    return (HINSTANCE)42;
}

CString ItemText(HWND dialog, int id)
{
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
void PressOk(CSettingsSheet& sheet) { PostMessageW(sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_OK, 0); }
void PressCancel(CSettingsSheet& sheet) { PostMessageW(sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

// The "File Type" dialog opened by the page, when it is up.
HWND FileTypeDialog()
{
    HWND wnd = FindWindowW(L"#32770", L"File Type");
    return wnd && IsWindowVisible(wnd) ? wnd : NULL;
}

const wchar_t kOther[] = L"Other.Player.lvtb";

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CPlayerTestApp(true));
        m_app->Resources()->Init();
        S().LoadSettings();
        m_oldMessageBox = FwSetMessageBoxFunction(&RecordMessageBox);
        m_oldShell = FwSetShellExecuteFunction(&RecordShellExecute);
        g_messages.clear();
        g_shellCalls.clear();
        CleanRegistry();
    }
    void TearDown() override
    {
        CleanRegistry();
        FwSetMessageBoxFunction(m_oldMessageBox);
        FwSetShellExecuteFunction(m_oldShell);
        m_app.reset();
    }
    CPlayerSettings& S() { return m_app->Settings(); }
    CWinApp& App() { return m_app->App(); }

    void CleanRegistry()
    {
        for (LPCWSTR ext : {L".lvta", L".lvtb", L".lvtc", L".xyz"}) {
            CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(ext));
            CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(MakeFileTypeProgId(ext)));
        }
        CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(kOther));
        CShellMenuExtension(kPlayerShellExtensionFileName).UnregisterContextMenu();
    }
    void SetDefault(const CString& name, LPCWSTR value)
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(GetFileTypeRoot(), GetFileTypeKeyPath(name)));
        ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(nullptr, value));
    }
    // The Explorer extension's two handler keys, as regsvr32 would leave them.
    void WriteExplorerKeys()
    {
        CShellMenuExtension extension(kPlayerShellExtensionFileName);
        for (const CString& path : {extension.GetFilesKey(), extension.GetFoldersKey()}) {
            CRegKey key;
            ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CLASSES_ROOT, path));
        }
    }

    std::unique_ptr<CPlayerTestApp> m_app;
    FwMessageBoxFn m_oldMessageBox = nullptr;
    FwShellExecuteFn m_oldShell = nullptr;
};

}  // namespace

TEST_F(SettingsSheet, HasThreePagesInOrderAndNoApplyButton)
{
    CSettingsSheet sheet;
    ASSERT_EQ(3, sheet.GetPageCount());
    EXPECT_TRUE(sheet.m_psh.dwFlags & PSH_NOAPPLYNOW);
    CString tabs[3];
    INT_PTR result = RunSheet(sheet, {[&] {
                                          CWnd* tab = sheet.GetTabControl();
                                          for (int i = 0; i < 3; ++i) {
                                              wchar_t text[64] = L"";
                                              TCITEMW item = {};
                                              item.mask = TCIF_TEXT;
                                              item.pszText = text;
                                              item.cchTextMax = 64;
                                              TabCtrl_GetItem(tab->m_hWnd, i, &item);
                                              tabs[i] = text;
                                          }
                                          HWND apply = GetDlgItem(sheet.m_hWnd, 0x3021);
                                          EXPECT_TRUE(!apply || !IsWindowVisible(apply));
                                          CString caption;
                                          sheet.GetWindowText(caption);
                                          EXPECT_EQ(L"Settings", caption);
                                          PressCancel(sheet);
                                          return true;
                                      }});
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(L"General", tabs[0]);
    EXPECT_EQ(L"File Associations", tabs[1]);
    EXPECT_EQ(L"History", tabs[2]);
}

TEST_F(SettingsSheet, GeneralPageRefusesSizesOutOfRangeAndAppliesTheSettingsAndTheExplorerSwitch)
{
    S().loadLastPlaylist = 1;
    S().allowDuplicates = 0;
    S().alwaysShowControlBar = 1;
    S().rememberLastPos = 0;
    S().resumeInterrupted = 1;
    S().autoCheckUpdate = 0;
    S().thumbnailWidth = 200;
    S().thumbnailHeight = 120;
    WriteExplorerKeys();
    CShellMenuExtension extension(kPlayerShellExtensionFileName);
    ASSERT_EQ(2, extension.IsRegistered());

    CSettingsSheet sheet;
    HWND page = NULL;
    CString shot;
    HWND focusAfterRefusal = NULL, widthEdit = NULL;
    INT_PTR result = RunSheet(
        sheet, {[&] {
                    page = sheet.page1.m_hWnd;
                    EXPECT_TRUE(Checked(page, IDC_SETTINGS_LOAD_LAST_PLAYLIST));
                    EXPECT_FALSE(Checked(page, IDC_SETTINGS_ALLOW_DUPLICATES));
                    EXPECT_TRUE(Checked(page, IDC_SETTINGS_SHOW_CONTROL_BAR));
                    EXPECT_FALSE(Checked(page, IDC_SETTINGS_REMEMBER_POSITION));
                    EXPECT_TRUE(Checked(page, IDC_SETTINGS_RESUME_INTERRUPTED));
                    EXPECT_FALSE(Checked(page, IDC_SETTINGS_AUTO_CHECK_UPDATE));
                    EXPECT_TRUE(Checked(page, IDC_SETTINGS_EXPLORER_MENU));
                    EXPECT_EQ(L"200", ItemText(page, IDC_SETTINGS_THUMBNAIL_WIDTH));
                    EXPECT_EQ(L"120", ItemText(page, IDC_SETTINGS_THUMBNAIL_HEIGHT));
                    shot = SaveWindowScreenshot(L"player", L"settings-general", sheet.m_hWnd);
                    // 63 is one too few: the sheet stays, with the standard message and the focus back.
                    SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_WIDTH, L"63");
                    PressOk(sheet);
                    return true;
                },
                [&] {
                    EXPECT_TRUE(IsWindow(sheet.m_hWnd));
                    focusAfterRefusal = GetFocus();
                    widthEdit = GetDlgItem(page, IDC_SETTINGS_THUMBNAIL_WIDTH);
                    SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_WIDTH, L"64");
                    SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_HEIGHT, L"thirty");
                    PressOk(sheet);
                    return true;
                },
                [&] {
                    SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_HEIGHT, L"361");
                    PressOk(sheet);
                    return true;
                },
                [&] {
                    SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_HEIGHT, L"360");
                    Click(page, IDC_SETTINGS_LOAD_LAST_PLAYLIST);
                    Click(page, IDC_SETTINGS_ALLOW_DUPLICATES);
                    Click(page, IDC_SETTINGS_SHOW_CONTROL_BAR);
                    Click(page, IDC_SETTINGS_REMEMBER_POSITION);
                    Click(page, IDC_SETTINGS_RESUME_INTERRUPTED);
                    Click(page, IDC_SETTINGS_AUTO_CHECK_UPDATE);
                    Click(page, IDC_SETTINGS_EXPLORER_MENU);
                    PressOk(sheet);
                    return true;
                }});
    EXPECT_EQ(IDOK, result);
    EXPECT_FALSE(shot.IsEmpty());
    ASSERT_EQ(3u, g_messages.size());
    EXPECT_EQ(L"Please enter an integer between 64 and 480.", g_messages[0]);
    EXPECT_EQ(L"Please enter an integer.", g_messages[1]);
    EXPECT_EQ(L"Please enter an integer between 48 and 360.", g_messages[2]);
    EXPECT_TRUE(widthEdit != NULL);
    EXPECT_EQ(widthEdit, focusAfterRefusal);
    EXPECT_EQ(0, S().loadLastPlaylist);
    EXPECT_EQ(1, S().allowDuplicates);
    EXPECT_EQ(0, S().alwaysShowControlBar);
    EXPECT_EQ(1, S().rememberLastPos);
    EXPECT_EQ(0, S().resumeInterrupted);
    EXPECT_EQ(1, S().autoCheckUpdate);
    EXPECT_EQ(64, S().thumbnailWidth);
    EXPECT_EQ(360, S().thumbnailHeight);
    // Unticked: the handler keys are gone and nothing was started.
    EXPECT_EQ(0, extension.IsRegistered());
    EXPECT_TRUE(g_shellCalls.empty());

    // Ticked with the extension beside the program: regsvr32 registers it; the other edge of the
    // size range is accepted.
    CString folder = MakeAwkwardFolder(L"settings-appfolder");
    ASSERT_TRUE(App().WriteProfileString(L"", L"AppFolder", folder));
    ASSERT_TRUE(WriteBytes(folder + L"\\Brackel.dll", "MZ"));
    g_messages.clear();
    CSettingsSheet again;
    result = RunSheet(again, {[&] {
                                  page = again.page1.m_hWnd;
                                  EXPECT_FALSE(Checked(page, IDC_SETTINGS_EXPLORER_MENU));
                                  EXPECT_EQ(L"64", ItemText(page, IDC_SETTINGS_THUMBNAIL_WIDTH));
                                  SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_WIDTH, L"480");
                                  SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_HEIGHT, L"48");
                                  Click(page, IDC_SETTINGS_EXPLORER_MENU);
                                  PressOk(again);
                                  return true;
                              }});
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(480, S().thumbnailWidth);
    EXPECT_EQ(48, S().thumbnailHeight);
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(L"regsvr32.exe", g_shellCalls[0].file);
    EXPECT_EQ(L"/s /c \"" + folder + L"\\Brackel.dll\"", g_shellCalls[0].parameters);

    // Cancel changes nothing, whatever the page shows.
    CSettingsSheet cancelled;
    result = RunSheet(cancelled, {[&] {
                                      page = cancelled.page1.m_hWnd;
                                      SetDlgItemTextW(page, IDC_SETTINGS_THUMBNAIL_WIDTH, L"100");
                                      Click(page, IDC_SETTINGS_AUTO_CHECK_UPDATE);
                                      PressCancel(cancelled);
                                      return true;
                                  }});
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(480, S().thumbnailWidth);
    EXPECT_EQ(1, S().autoCheckUpdate);
    EXPECT_EQ(1u, g_shellCalls.size());
}

TEST_F(SettingsSheet, TheExplorerSwitchTickedWithoutItsExtensionSaysSo)
{
    CString folder = MakeAwkwardFolder(L"settings-no-extension");
    DeleteFileW(folder + L"\\Brackel.dll");
    ASSERT_TRUE(App().WriteProfileString(L"", L"AppFolder", folder));
    CSettingsSheet sheet;
    bool ticked = true;
    INT_PTR result = RunSheet(sheet, {[&] {
                                  HWND page = sheet.page1.m_hWnd;
                                  ticked = Checked(page, IDC_SETTINGS_EXPLORER_MENU);
                                  Click(page, IDC_SETTINGS_EXPLORER_MENU);
                                  PressOk(sheet);
                                  return true;
                              }});
    EXPECT_EQ(IDOK, result);
    EXPECT_FALSE(ticked);
    // The user learns which file is missing; nothing is started and the entry stays off.
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_EQ(L"Cannot find the Explorer context menu extension:\n" + folder + L"\\Brackel.dll", g_messages[0]);
    EXPECT_TRUE(g_shellCalls.empty());
    EXPECT_EQ(0, CShellMenuExtension(kPlayerShellExtensionFileName).IsRegistered());
}

TEST_F(SettingsSheet, HistoryPageKeepsItsFieldsAndModifiedMarkInStepAndAppliesClampedCounts)
{
    S().saveRecentFiles = 1;
    S().maxRecentFiles = 10;
    S().saveRecentPlaylists = 1;
    S().maxRecentPlaylists = 10;
    S().LoadRecentFiles(10);
    S().LoadRecentPlaylists(10);
    for (LPCWSTR path : {L"C:\\a.mp4", L"C:\\b.mp4", L"C:\\c.mp4", L"C:\\d.mp4", L"C:\\e.mp4", L"C:\\f.mp4"})
        S().AddRecentFile(path);
    S().AddRecentPlaylist(L"C:\\one.playlist");
    S().AddRecentPlaylist(L"C:\\two.playlist");

    CSettingsSheet sheet;
    HWND page = NULL;
    CString shot;
    INT_PTR result = RunSheet(
        sheet, {[&] {
                    sheet.SetActivePage(2);
                    return true;
                },
                [&] {
                    page = sheet.page3.m_hWnd;
                    if (!page || !IsWindowVisible(page)) return false;
                    EXPECT_TRUE(Checked(page, IDC_SETTINGS_SAVE_RECENT_FILES));
                    EXPECT_EQ(L"10", ItemText(page, IDC_SETTINGS_MAX_RECENT_FILES));
                    EXPECT_TRUE(Enabled(page, IDC_SETTINGS_MAX_RECENT_FILES));
                    EXPECT_TRUE(Enabled(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS));
                    EXPECT_FALSE(sheet.page3.IsChanged());
                    shot = SaveWindowScreenshot(L"player", L"settings-history", sheet.m_hWnd);

                    // Unticking disables the count at once and marks the page; ticking again undoes both.
                    Click(page, IDC_SETTINGS_SAVE_RECENT_FILES);
                    EXPECT_FALSE(Enabled(page, IDC_SETTINGS_MAX_RECENT_FILES));
                    EXPECT_TRUE(Enabled(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS));
                    EXPECT_TRUE(sheet.page3.IsChanged());
                    Click(page, IDC_SETTINGS_SAVE_RECENT_FILES);
                    EXPECT_TRUE(Enabled(page, IDC_SETTINGS_MAX_RECENT_FILES));
                    EXPECT_FALSE(sheet.page3.IsChanged());

                    // The same number typed again leaves the page unmodified; another marks it.
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, L"10");
                    EXPECT_FALSE(sheet.page3.IsChanged());
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, L"12");
                    EXPECT_TRUE(sheet.page3.IsChanged());
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, L"10");
                    EXPECT_FALSE(sheet.page3.IsChanged());
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, L"");
                    EXPECT_TRUE(sheet.page3.IsChanged());
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_PLAYLISTS, L"10");

                    // Clearing empties the list at once.
                    Click(page, IDC_SETTINGS_CLEAR_RECENT_PLAYLISTS);
                    EXPECT_EQ(0, S().recentPlaylists.GetCount());
                    EXPECT_EQ(6, S().recentFiles.GetCount());

                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_FILES, L"31");
                    PressOk(sheet);
                    return true;
                },
                [&] {
                    EXPECT_TRUE(IsWindow(sheet.m_hWnd));
                    SetDlgItemTextW(page, IDC_SETTINGS_MAX_RECENT_FILES, L"4");
                    Click(page, IDC_SETTINGS_SAVE_RECENT_PLAYLISTS);
                    PressOk(sheet);
                    return true;
                }});
    EXPECT_EQ(IDOK, result);
    EXPECT_FALSE(shot.IsEmpty());
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_EQ(L"Please enter an integer between 0 and 30.", g_messages[0]);
    EXPECT_EQ(1, S().saveRecentFiles);
    EXPECT_EQ(4, S().maxRecentFiles);
    EXPECT_EQ(0, S().saveRecentPlaylists);
    EXPECT_EQ(10, S().maxRecentPlaylists);
    // The files list stays as it is until the next start sets it up; only the clear acted at once.
    EXPECT_EQ(6, S().recentFiles.GetCount());
    EXPECT_EQ(0, S().recentPlaylists.GetCount());
    // Stored as the settings write them, and set up from them at the next start.
    S().SaveSettings();
    CPlayerSettings next;
    next.LoadSettings();
    EXPECT_EQ(4, next.maxRecentFiles);
    EXPECT_EQ(4, next.recentFiles.GetCapacity());
    EXPECT_EQ(4, next.recentFiles.GetCount());
    EXPECT_EQ(L"C:\\f.mp4", next.recentFiles[0]);
    EXPECT_EQ(0, next.saveRecentPlaylists);
    EXPECT_EQ(0, next.recentPlaylists.GetCapacity());
}

TEST_F(SettingsSheet, FileAssociationsAreMadeGivenBackAndDeletedFromThePage)
{
    S().fileTypes.RemoveAll();
    ASSERT_TRUE(S().AddFileType(L"Test Video", L".lvta", FILE_TYPE_ICON_VIDEO));
    ASSERT_TRUE(S().AddFileType(L"Test Audio", L".lvtb", FILE_TYPE_ICON_AUDIO));
    ASSERT_TRUE(S().AddFileType(L"Test List", L".lvtc", FILE_TYPE_ICON_PLAYLIST));
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    // .lvta is ours already; .lvtb belongs to another program; .lvtc to nobody.
    {
        CString previous;
        CFileTypeAssoc ours(*S().fileTypes[0]);
        ASSERT_TRUE(ours.WriteProgId(exe));
        ASSERT_TRUE(ours.Associate(previous));
    }
    SetDefault(L".lvtb", kOther);
    const CString progA = MakeFileTypeProgId(L".lvta"), progB = MakeFileTypeProgId(L".lvtb");
    const CString progXyz = MakeFileTypeProgId(L".xyz");
    EXPECT_EQ(L"TarveloSoftware.Lumivo.xyz", progXyz);

    CSettingsSheet sheet;
    CSettingsPage2& types = sheet.page2;
    HWND page = NULL;
    CString shot;
    // Posted, so that the step ends and the next ones run inside the dialog's own loop.
    auto openAdd = [&] {
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_ADD_FILE_TYPE, BN_CLICKED),
                     (LPARAM)GetDlgItem(page, IDC_SETTINGS_ADD_FILE_TYPE));
        return true;
    };
    auto fill = [&](LPCWSTR extension, LPCWSTR name, int choice, int button) {
        return [=]() {
            HWND dlg = FileTypeDialog();
            if (!dlg) return false;
            SetDlgItemTextW(dlg, IDC_FILE_TYPE_EXTENSION, extension);
            SetDlgItemTextW(dlg, IDC_FILE_TYPE_NAME, name);
            SendDlgItemMessageW(dlg, IDC_FILE_TYPE_ICON, CB_SETCURSEL, choice, 0);
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dlg, button));
            return true;
        };
    };
    std::vector<std::function<bool()>> steps = {
        [&] {
            sheet.SetActivePage(1);
            return true;
        },
        [&] {
            page = types.m_hWnd;
            if (!page || !IsWindowVisible(page)) return false;
            CListCtrl& list = types.GetList();
            EXPECT_EQ((DWORD)0x424, list.GetExtendedStyle() & 0x424);
            EXPECT_EQ(100, list.GetColumnWidth(0));
            CRect client;
            list.GetClientRect(&client);
            EXPECT_EQ(client.Width() - 100 - GetSystemMetrics(SM_CXVSCROLL), list.GetColumnWidth(1));
            EXPECT_EQ(3, types.GetRowCount());
            EXPECT_EQ(L".lvta", list.GetItemText(0, 0));
            EXPECT_EQ(L"Test Audio", list.GetItemText(1, 1));
            for (int row = 0; row < 3; ++row) {
                LVITEMW item = {};
                item.mask = LVIF_IMAGE;
                item.iItem = row;
                list.GetItem(&item);
                EXPECT_EQ(row, item.iImage);
            }
            EXPECT_TRUE(types.IsRowChecked(0));
            EXPECT_FALSE(types.IsRowChecked(1));
            EXPECT_FALSE(types.IsRowChecked(2));
            // The rows are copies: the settings' table is untouched until OK.
            EXPECT_NE(S().fileTypes[0], types.GetRowType(0));
            return true;
        },
        // A new type without its leading dot.
        openAdd, fill(L"xyz", L"XYZ Video", 1, IDOK),
        [&] {
            if (FileTypeDialog()) return false;
            EXPECT_EQ(4, types.GetRowCount());
            CFileTypeAssoc* added = types.GetRowType(3);
            EXPECT_TRUE(added != nullptr);
            if (!added) return true;
            EXPECT_EQ(L".xyz", added->extension);
            EXPECT_EQ(progXyz, added->progId);
            EXPECT_EQ(L"XYZ Video", added->description);
            EXPECT_EQ(FILE_TYPE_ICON_AUDIO, added->iconIndex);
            EXPECT_TRUE(types.IsRowChecked(3));
            return true;
        },
        // Cancelled and nameless entries add nothing; a listed extension is ticked again.
        openAdd, fill(L".abc", L"ABC", 0, IDCANCEL),
        openAdd, fill(L".abc", L"  ", 0, IDOK),
        [&] {
            types.SetRowChecked(0, FALSE);
            return true;
        },
        openAdd, fill(L"LVTA", L"Again", 2, IDOK),
        [&] {
            if (FileTypeDialog()) return false;
            EXPECT_EQ(4, types.GetRowCount());
            EXPECT_TRUE(types.IsRowChecked(0));
            EXPECT_EQ(L"Test Video", types.GetRowType(0)->description);
            EXPECT_EQ(0, types.GetList().GetNextItem(-1, LVNI_SELECTED));
            // Now: .lvta unticked, .lvtb ticked, .lvtc deleted (it was nobody's: nothing to undo).
            types.SetRowChecked(0, FALSE);
            types.SetRowChecked(1, TRUE);
            types.GetList().SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Click(page, IDC_SETTINGS_DELETE_FILE_TYPE);
            EXPECT_EQ(3, types.GetRowCount());
            EXPECT_EQ(L".xyz", types.GetList().GetItemText(2, 0));
            // Delete with nothing selected does nothing.
            for (int row = 0; row < types.GetRowCount(); ++row) types.GetList().SetItemState(row, 0, LVIS_SELECTED);
            Click(page, IDC_SETTINGS_DELETE_FILE_TYPE);
            EXPECT_EQ(3, types.GetRowCount());
            shot = SaveWindowScreenshot(L"player", L"settings-file-associations", sheet.m_hWnd);
            PressOk(sheet);
            return true;
        },
    };
    EXPECT_EQ(IDOK, RunSheet(sheet, steps));
    EXPECT_FALSE(shot.IsEmpty());

    // The table is the rows, in order.
    ASSERT_EQ(3, (int)S().fileTypes.GetSize());
    EXPECT_EQ(L".lvta", S().fileTypes[0]->extension);
    EXPECT_EQ(L".lvtb", S().fileTypes[1]->extension);
    EXPECT_EQ(L".xyz", S().fileTypes[2]->extension);
    EXPECT_EQ(FILE_TYPE_ICON_AUDIO, S().fileTypes[2]->iconIndex);
    // .lvta was ours with nobody before: unticked, the extension key is gone.
    EXPECT_EQ(L"<none>", FileTypeKeyDefault(L".lvta"));
    // .lvtb is ours now, and the other program is kept to be given it back.
    EXPECT_EQ(progB, FileTypeKeyDefault(L".lvtb"));
    EXPECT_EQ(L"Test Audio", FileTypeKeyDefault(progB));
    EXPECT_EQ(L"\"" + CString(exe) + L"\" \"%1\"", FileTypeKeyDefault(progB + L"\\shell\\open\\command"));
    EXPECT_EQ(kOther, App().GetProfileString(L"Data\\File Types\\.lvtb", L"Backup", L""));
    EXPECT_EQ(progXyz, FileTypeKeyDefault(L".xyz"));
    EXPECT_EQ(CString(exe) + L",3", FileTypeKeyDefault(progXyz + L"\\DefaultIcon"));
    // Nobody owned .xyz before: no backup.
    EXPECT_EQ(L"", App().GetProfileString(L"Data\\File Types\\.xyz", L"Backup", L""));

    // Opened again, the page shows the registry's state; ticking .lvtb again keeps its backup;
    // unticking gives it back. Deleting the associated .xyz undoes it at once, even when the sheet
    // is then cancelled (the table only changes on OK).
    CSettingsSheet again;
    steps = {
        [&] {
            again.SetActivePage(1);
            return true;
        },
        [&] {
            page = again.page2.m_hWnd;
            if (!page || !IsWindowVisible(page)) return false;
            EXPECT_FALSE(again.page2.IsRowChecked(0));
            EXPECT_TRUE(again.page2.IsRowChecked(1));
            EXPECT_TRUE(again.page2.IsRowChecked(2));
            again.page2.GetList().SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Click(page, IDC_SETTINGS_DELETE_FILE_TYPE);
            EXPECT_EQ(2, again.page2.GetRowCount());
            EXPECT_EQ(L"<none>", FileTypeKeyDefault(L".xyz"));
            PressCancel(again);
            return true;
        },
    };
    EXPECT_EQ(IDCANCEL, RunSheet(again, steps));
    EXPECT_EQ(3, (int)S().fileTypes.GetSize());

    CSettingsSheet last;
    steps = {
        [&] {
            last.SetActivePage(1);
            return true;
        },
        [&] {
            page = last.page2.m_hWnd;
            if (!page || !IsWindowVisible(page)) return false;
            EXPECT_TRUE(last.page2.IsRowChecked(1));
            EXPECT_FALSE(last.page2.IsRowChecked(2));
            last.page2.SetRowChecked(1, FALSE);
            PressOk(last);
            return true;
        },
    };
    EXPECT_EQ(IDOK, RunSheet(last, steps));
    EXPECT_EQ(kOther, FileTypeKeyDefault(L".lvtb"));
    EXPECT_EQ(L"<none>", FileTypeKeyDefault(L".xyz"));
}

TEST(SettingsSheetExtensions, TheFileTypeDialogsAnswerBecomesAnExtensionWithItsDot)
{
    EXPECT_EQ(L".xyz", CSettingsPage2::NormalizeExtension(L"xyz"));
    EXPECT_EQ(L".mp4", CSettingsPage2::NormalizeExtension(L"  .mp4 "));
    EXPECT_EQ(L".my kind", CSettingsPage2::NormalizeExtension(L"my kind"));
    EXPECT_EQ(L"", CSettingsPage2::NormalizeExtension(L""));
    EXPECT_EQ(L"", CSettingsPage2::NormalizeExtension(L"   "));
    EXPECT_EQ(L"", CSettingsPage2::NormalizeExtension(L"."));
    EXPECT_EQ(L"", CSettingsPage2::NormalizeExtension(L". "));
    EXPECT_EQ(L"", CSettingsPage2::NormalizeExtension(L"a\\b"));
}
