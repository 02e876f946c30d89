// The "File Type" dialog: three icon choices in the image combo box, and the fields it returns.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "player/app/PlayerResource.h"
#include "player/settings/FileTypeDlg.h"
#include "tests/common/Screenshot.h"

using namespace playertest;

TEST(FileTypeDlg, OffersTheThreeTypeIconsAndReturnsTheFields)
{
    CFileTypeDlg dlg;
    EXPECT_EQ(3, dlg.imageList.GetImageCount());
    dlg.iconChoice = 2;
    dlg.extension = L".xyz";
    ASSERT_TRUE(dlg.Create(IDD_FILE_TYPE, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();

    EXPECT_EQ(L"File Type", [&] { CString t; dlg.GetWindowText(t); return t; }());
    ASSERT_EQ(3, dlg.iconCombo.GetCount());
    EXPECT_EQ(2, dlg.iconCombo.GetCurSel());
    for (int i = 0; i < 3; ++i) {
        int image = -1, selected = -1;
        ASSERT_TRUE(dlg.iconCombo.GetItemImages(i, image, selected));
        EXPECT_EQ(i, image);
        EXPECT_EQ(i, selected);
    }
    EXPECT_EQ(20, (int)::SendMessageW(dlg.iconCombo.ListCombo(), CB_GETITEMHEIGHT, 0, 0));
    CString saved = SaveWindowScreenshot(L"player", L"file-type-dialog", dlg.GetSafeHwnd());
    EXPECT_FALSE(saved.IsEmpty());

    dlg.SetDlgItemText(IDC_FILE_TYPE_NAME, L"XYZ Video");
    dlg.SetDlgItemText(IDC_FILE_TYPE_EXTENSION, L"xyz");
    dlg.iconCombo.SetCurSel(1);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(L"xyz", dlg.extension);
    EXPECT_EQ(L"XYZ Video", dlg.typeName);
    EXPECT_EQ(1, dlg.iconChoice);
    dlg.DestroyWindow();
}
