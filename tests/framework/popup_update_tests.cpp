// The command-state pass over a popup run by a dialog (as the converter's dialog base does for its
// menus): handlers decide, items without one are disabled only when asked, submenus follow their
// first command, and items an update handler removes do not make the pass skip the next one.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "dialog_test_resources.h"

namespace {

class CMenuDialog : public CDialog {
public:
    CMenuDialog() : CDialog(IDD_TEST_DATA, NULL) {}
    BOOL m_bAutoDisable = TRUE;
    bool m_removeSave = false;
    int m_closeUpdates = 0;

protected:
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
    {
        if (!bSysMenu) AfxUpdateMenuPopup(pPopupMenu, this, m_bAutoDisable);
    }
    void OnOpen() {}
    void OnUpdateSave(CCmdUI* pCmdUI)
    {
        if (m_removeSave) {
            pCmdUI->m_pMenu->RemoveMenu(pCmdUI->m_nIndex, MF_BYPOSITION);
            return;
        }
        pCmdUI->SetCheck(1);
    }
    void OnUpdateClose(CCmdUI* pCmdUI)
    {
        ++m_closeUpdates;
        pCmdUI->Enable(FALSE);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuDialog, CDialog)
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(ID_TEST_OPEN, OnOpen)
    ON_UPDATE_COMMAND_UI(ID_TEST_SAVE, OnUpdateSave)
    ON_UPDATE_COMMAND_UI(ID_TEST_CLOSE, OnUpdateClose)
END_MESSAGE_MAP()

UINT State(HMENU menu, UINT id) { return ::GetMenuState(menu, id, MF_BYCOMMAND); }

} // namespace

TEST(PopupCommandStates, ADialogRunsThePassOverItsPopups)
{
    CMenuDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA, NULL));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    HMENU file = ::GetSubMenu(menu.m_hMenu, 0);
    ::AppendMenuW(file, MF_STRING, SC_CLOSE, L"System command");
    ::EnableMenuItem(file, ID_TEST_OPEN, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(file, 3, MF_BYPOSITION | MF_GRAYED);  // the Recent submenu's item

    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(State(file, ID_TEST_OPEN) & MF_GRAYED);   // a command handler
    EXPECT_TRUE(State(file, ID_TEST_SAVE) & MF_CHECKED);   // its update handler
    // ... which decided nothing about enabling: without a command handler it is disabled.
    EXPECT_TRUE(State(file, ID_TEST_SAVE) & MF_GRAYED);
    EXPECT_TRUE(State(file, ID_TEST_CLOSE) & MF_GRAYED);
    // The submenu item follows the submenu's first command but is never changed by the pass.
    EXPECT_TRUE(::GetMenuState(file, 3, MF_BYPOSITION) & MF_GRAYED);
    // System commands keep their state.
    EXPECT_FALSE(State(file, SC_CLOSE) & MF_GRAYED);

    // The system menu is left alone.
    ::EnableMenuItem(file, ID_TEST_OPEN, MF_BYCOMMAND | MF_GRAYED);
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, TRUE));
    EXPECT_TRUE(State(file, ID_TEST_OPEN) & MF_GRAYED);

    // A handler that removes its own item: the item after it is still updated.
    dlg.m_removeSave = true;
    dlg.m_closeUpdates = 0;
    const int before = ::GetMenuItemCount(file);
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    EXPECT_EQ(before - 1, ::GetMenuItemCount(file));
    EXPECT_EQ(1, dlg.m_closeUpdates);
    EXPECT_FALSE(State(file, ID_TEST_OPEN) & MF_GRAYED);

    // Without auto-disabling, an item without a handler stays as it is.
    dlg.m_bAutoDisable = FALSE;
    ::AppendMenuW(file, MF_STRING, 40099, L"No handler");
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(State(file, 40099) & MF_GRAYED);
    dlg.m_bAutoDisable = TRUE;
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    EXPECT_TRUE(State(file, 40099) & MF_GRAYED);
    dlg.DestroyWindow();
}
