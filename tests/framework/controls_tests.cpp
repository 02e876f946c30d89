// Controls bound to dialog items: owner and custom drawing, list and tree check boxes, the
// toolbar resource, menus updated through OnInitMenuPopup, GDI helpers and a pixel check of a
// shown dialog's layout.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "framework/Clipboard.h"
#include "framework/Controls.h"
#include "framework/Ddx.h"
#include "framework/ImageList.h"
#include "framework/Menu.h"
#include "framework/RectTracker.h"

#include "framework/dialog_test_resources.h"

namespace {

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class CCountingButton : public CButton {
public:
    int m_draws = 0;
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        ++m_draws;
        ::FillRect(dis->hDC, &dis->rcItem, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    }
};

class CCustomList : public CListCtrl {
public:
    int m_prePaints = 0;
    int m_itemPaints = 0;

protected:
    void OnCustomDraw(NMHDR* hdr, LRESULT* result)
    {
        NMLVCUSTOMDRAW* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
            ++m_prePaints;
            *result = CDRF_NOTIFYITEMDRAW;
        } else {
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) ++m_itemPaints;
            *result = CDRF_DODEFAULT;
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCustomList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

class CListsDlg : public CDialog {
public:
    CListsDlg() : CDialog(IDD_TEST_LISTS, nullptr) {}
    CCustomList m_list;
    CTreeCtrl m_tree;
    int m_callbacks = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_TREE, m_tree);
    }
    void OnTreeDispInfo(NMHDR* hdr, LRESULT* result)
    {
        NMTVDISPINFOW* info = reinterpret_cast<NMTVDISPINFOW*>(hdr);
        ++m_callbacks;
        if (info->item.mask & TVIF_TEXT) lstrcpynW(info->item.pszText, L"from callback", info->item.cchTextMax);
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CListsDlg, CDialog)
    ON_NOTIFY(TVN_GETDISPINFOW, IDC_TREE, OnTreeDispInfo)
END_MESSAGE_MAP()

class CDrawDlg : public CDialog {
public:
    CDrawDlg() : CDialog(IDD_TEST_DATA, nullptr) {}
    CCountingButton m_button;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_ODBUTTON, m_button); }
};

} // namespace

TEST(ControlsDrawing, OwnerDrawAndCustomDrawReachTheControlObjects)
{
    CDrawDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA, nullptr));
    EXPECT_EQ(&dlg.m_button, CWnd::FromHandlePermanent(::GetDlgItem(dlg, IDC_ODBUTTON)));
    dlg.SetWindowPos(NULL, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    dlg.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    EXPECT_GE(dlg.m_button.m_draws, 1);
    dlg.DestroyWindow();

    CListsDlg lists;
    ASSERT_TRUE(lists.Create(IDD_TEST_LISTS, nullptr));
    lists.m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
    lists.m_list.InsertItem(0, L"a");
    lists.m_list.InsertItem(1, L"b");
    lists.ShowWindow(SW_SHOWNOACTIVATE);
    lists.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    EXPECT_GE(lists.m_list.m_prePaints, 1);
    EXPECT_GE(lists.m_list.m_itemPaints, 2);
    lists.DestroyWindow();
}

TEST(ControlsLists, CheckBoxesSelectionWalkHitTestAndTreeItems)
{
    CListsDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_LISTS, nullptr));
    CListCtrl& list = dlg.m_list;
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_CHECKBOXES);
    EXPECT_EQ(0, list.InsertColumn(0, L"Name", LVCFMT_LEFT, 80));
    EXPECT_EQ(1, list.InsertColumn(1, L"Size", LVCFMT_RIGHT, 40, 1));
    for (int i = 0; i < 4; ++i) {
        CString name;
        name.Format(L"item %d", i);
        ASSERT_EQ(i, list.InsertItem(i, name));
        list.SetItemText(i, 1, L"12");
        list.SetItemData(i, 100 + i);
    }
    list.SetCheck(2);
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_FALSE(list.GetCheck(1));
    list.SetCheck(2, FALSE);
    EXPECT_FALSE(list.GetCheck(2));
    EXPECT_EQ(CString(L"12"), list.GetItemText(3, 1));
    EXPECT_EQ((DWORD_PTR)103, list.GetItemData(3));

    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<int> walked;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) walked.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ((std::vector<int>{1, 3}), walked);
    list.SetItemState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(NULL, list.GetFirstSelectedItemPosition());

    CRect rc;
    ASSERT_TRUE(list.GetItemRect(2, &rc, LVIR_LABEL));
    UINT flags = 0;
    EXPECT_EQ(2, list.HitTest(rc.CenterPoint(), &flags));
    EXPECT_TRUE(flags & LVHT_ONITEM);

    CTreeCtrl& tree = dlg.m_tree;
    HTREEITEM root = tree.InsertItem(L"root");
    HTREEITEM child = tree.InsertItem(L"child", root);
    HTREEITEM callback = tree.InsertItem(LPSTR_TEXTCALLBACKW, root);
    ASSERT_TRUE(root && child && callback);
    EXPECT_EQ(3u, tree.GetCount());
    EXPECT_EQ(child, tree.GetChildItem(root));
    EXPECT_EQ(root, tree.GetParentItem(child));
    tree.SetItemData(child, 77);
    EXPECT_EQ((DWORD_PTR)77, tree.GetItemData(child));
    tree.SetCheck(child);
    EXPECT_TRUE(tree.GetCheck(child));
    EXPECT_FALSE(tree.GetCheck(root));
    tree.SetCheck(child, FALSE);
    EXPECT_FALSE(tree.GetCheck(child));
    tree.SetItemBold(root, TRUE);
    EXPECT_TRUE(tree.GetItemState(root, TVIS_BOLD) & TVIS_BOLD);
    tree.SetItemBold(root, FALSE);
    EXPECT_FALSE(tree.GetItemState(root, TVIS_BOLD) & TVIS_BOLD);
    EXPECT_EQ(CString(L"from callback"), tree.GetItemText(callback));
    EXPECT_GE(dlg.m_callbacks, 1);
    dlg.DestroyWindow();
}

TEST(ControlsToolbar, LoadsTheToolbarResourceWithADropDownButton)
{
    CDialog dlg(IDD_TEST_LISTS, nullptr);
    ASSERT_TRUE(dlg.Create(IDD_TEST_LISTS, nullptr));
    CToolBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_VISIBLE | TBSTYLE_FLAT | CCS_TOP, CRect(0, 0, 100, 30), &dlg, 2000));
    CImageList images;
    ASSERT_TRUE(images.Create(16, 15, ILC_COLOR24 | ILC_MASK, 2, 2));
    bar.SetImageList(&images);
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    EXPECT_EQ(3, bar.GetButtonCount());
    TBBUTTON b = {};
    ASSERT_TRUE(bar.GetButton(1, &b));
    EXPECT_TRUE(b.fsStyle & BTNS_SEP);
    EXPECT_EQ(2, bar.CommandToIndex(ID_TEST_SAVE));
    bar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    ASSERT_TRUE(bar.SetButtonStyleBits(ID_TEST_OPEN, BTNS_DROPDOWN));
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    ASSERT_TRUE(bar.GetButtonInfo(ID_TEST_OPEN, &info));
    EXPECT_TRUE(info.fsStyle & BTNS_DROPDOWN);
    EXPECT_FALSE(bar.LoadToolBar(IDR_TEST_TOOLBAR + 1));
    dlg.DestroyWindow();
}

namespace {

class CMenuWnd : public CWnd {
public:
    int m_popups = 0;
    HMENU m_seen = NULL;

protected:
    void OnInitMenuPopup(CMenu* pPopup, UINT, BOOL bSysMenu)
    {
        if (bSysMenu || !pPopup) return;
        ++m_popups;
        m_seen = pPopup->GetSafeHmenu();
        pPopup->EnableMenuItem(ID_TEST_SAVE, MF_BYCOMMAND | MF_GRAYED);
        pPopup->CheckMenuItem(ID_TEST_OPEN, MF_BYCOMMAND | MF_CHECKED);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuWnd, CWnd)
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

} // namespace

TEST(MenuTests, LoadsEditsAndIsUpdatedThroughOnInitMenuPopup)
{
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(5u, file->GetMenuItemCount());
    EXPECT_EQ((UINT)ID_TEST_OPEN, file->GetMenuItemID(0));
    ASSERT_NE(nullptr, file->GetSubMenu(3));
    EXPECT_EQ((UINT)ID_TEST_RECENT, file->GetSubMenu(3)->GetMenuItemID(0));
    CString text;
    file->GetMenuString(ID_TEST_SAVE, text, MF_BYCOMMAND);
    EXPECT_EQ(CString(L"&Save"), text);

    ASSERT_TRUE(file->InsertMenu(1, MF_BYPOSITION | MF_STRING, 40100, L"Inserted"));
    EXPECT_EQ(40100u, file->GetMenuItemID(1));
    ASSERT_TRUE(file->ModifyMenu(40100, MF_BYCOMMAND | MF_STRING, 40101, L"Changed"));
    file->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(CString(L"Changed"), text);
    ASSERT_TRUE(file->DeleteMenu(40101, MF_BYCOMMAND));
    EXPECT_EQ(5u, file->GetMenuItemCount());
    EXPECT_EQ((UINT)-1, file->EnableMenuItem(49999, MF_BYCOMMAND | MF_GRAYED)) << "missing item";
    ASSERT_TRUE(file->SetDefaultItem(ID_TEST_CLOSE));
    EXPECT_EQ((UINT)ID_TEST_CLOSE, file->GetDefaultItem(0));

    CMenuWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, L"menus", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL));
    wnd.SendMessage(WM_INITMENUPOPUP, (WPARAM)file->GetSafeHmenu(), MAKELPARAM(0, FALSE));
    EXPECT_EQ(1, wnd.m_popups);
    EXPECT_EQ(file->GetSafeHmenu(), wnd.m_seen);
    EXPECT_TRUE(file->GetMenuState(ID_TEST_SAVE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(file->GetMenuState(ID_TEST_OPEN, MF_BYCOMMAND) & MF_CHECKED);
    CMenu* sys = CMenu::GetSystemMenu(wnd, FALSE);
    ASSERT_NE(nullptr, sys);
    EXPECT_GT(sys->GetMenuItemCount(), 0u);
    wnd.DestroyWindow();

    // Detach hands the menu over: the object no longer destroys it.
    HMENU h = menu.Detach();
    EXPECT_EQ(NULL, menu.GetSafeHmenu());
    EXPECT_TRUE(::IsMenu(h));
    CMenu owner;
    owner.Attach(h);
}

TEST(GdiTests, AlphaBlendDragRectImageListAndClipboard)
{
    CDC screen;
    screen.Attach(::GetDC(NULL));
    CDC mem, src;
    ASSERT_TRUE(mem.CreateCompatibleDC(&screen));
    ASSERT_TRUE(src.CreateCompatibleDC(&screen));
    CBitmap target, white;
    ASSERT_TRUE(target.CreateCompatibleBitmap(&screen, 32, 32));
    ASSERT_TRUE(white.CreateCompatibleBitmap(&screen, 32, 32));
    ::ReleaseDC(NULL, screen.Detach());
    CGdiSelector selTarget(mem, &target);
    CGdiSelector selWhite(src, &white);
    mem.FillSolidRect(0, 0, 32, 32, RGB(0, 0, 0));
    src.FillSolidRect(0, 0, 32, 32, RGB(255, 255, 255));
    BLENDFUNCTION half = {AC_SRC_OVER, 0, 128, 0};
    ASSERT_TRUE(mem.AlphaBlend(0, 0, 16, 16, &src, 0, 0, 16, 16, half));
    int g = GetRValue(mem.GetPixel(4, 4));
    EXPECT_GE(g, 120);
    EXPECT_LE(g, 136);
    EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(20, 20));

    // A drag frame drawn twice leaves the pixels as they were; moving it erases the old one.
    mem.FillSolidRect(0, 0, 32, 32, RGB(0, 0, 0));
    CRect a(2, 2, 20, 20), b(6, 6, 28, 28);
    mem.DrawDragRect(&a, CSize(2, 2), NULL, CSize(0, 0));
    EXPECT_NE(RGB(0, 0, 0), mem.GetPixel(2, 2) | mem.GetPixel(3, 2));
    mem.DrawDragRect(&b, CSize(2, 2), &a, CSize(2, 2));
    EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(2, 2));
    EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(3, 2));
    mem.DrawDragRect(&b, CSize(2, 2), NULL, CSize(0, 0));
    for (int x = 0; x < 32; ++x) EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(x, 6)) << x;

    // An image list with a mask colour: that colour stays transparent when drawn.
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 2));
    CBitmap strip;
    {
        CDC dc;
        dc.CreateCompatibleDC(&src);
        ASSERT_TRUE(strip.CreateCompatibleBitmap(&src, 32, 16));
        CGdiSelector sel(dc, &strip);
        dc.FillSolidRect(0, 0, 32, 16, RGB(255, 0, 255));
        dc.FillSolidRect(4, 4, 8, 8, RGB(0, 255, 0));
    }
    EXPECT_EQ(0, images.Add(&strip, RGB(255, 0, 255)));
    EXPECT_EQ(2, images.GetImageCount());
    IMAGEINFO info = {};
    ASSERT_TRUE(images.GetImageInfo(1, &info));
    EXPECT_EQ(16, info.rcImage.right - info.rcImage.left);
    mem.FillSolidRect(0, 0, 32, 32, RGB(0, 0, 255));
    ASSERT_TRUE(images.Draw(&mem, 0, CPoint(0, 0), ILD_TRANSPARENT));
    EXPECT_EQ(RGB(0, 0, 255), mem.GetPixel(1, 1));
    EXPECT_EQ(RGB(0, 255, 0), mem.GetPixel(6, 6));
    HIMAGELIST raw = images.Detach();
    EXPECT_EQ(NULL, images.GetSafeHandle());
    CImageList again;
    again.Attach(raw);
    EXPECT_EQ(2, again.GetImageCount());

    CString text;
    ASSERT_TRUE(AfxSetClipboardText(NULL, L"clip \x00e9 text"));
    ASSERT_TRUE(AfxGetClipboardText(NULL, text));
    EXPECT_EQ(CString(L"clip \x00e9 text"), text);
}

TEST(GdiTests, RubberBandFollowsTheMouseAndEscapeCancels)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, L"band", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, NULL, NULL));
    Pump();
    CRectTracker tracker;
    wnd.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    wnd.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 60));
    wnd.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 60));
    EXPECT_TRUE(tracker.TrackRubberBand(&wnd, CPoint(50, 10)));
    EXPECT_EQ(CRect(5, 10, 50, 60), tracker.m_rect) << "normalised";
    EXPECT_EQ(NULL, ::GetCapture());

    wnd.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(80, 80));
    wnd.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(tracker.TrackRubberBand(&wnd, CPoint(10, 10)));
    EXPECT_EQ(NULL, ::GetCapture());
    wnd.DestroyWindow();
}

TEST(DialogScreenshot, ShownDialogHasItsControlsWhereTheTemplatePutsThem)
{
    CDrawDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA, nullptr));
    dlg.SetWindowPos(NULL, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    dlg.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    Pump();

    // Template rectangles in dialog units become these client rectangles.
    auto expected = [&](int x, int y, int w, int h) {
        CRect rc(x, y, x + w, y + h);
        dlg.MapDialogRect(&rc);
        return rc;
    };
    auto actual = [&](int id) {
        CRect rc;
        ::GetWindowRect(::GetDlgItem(dlg, id), &rc);
        dlg.ScreenToClient(&rc);
        return rc;
    };
    EXPECT_EQ(expected(7, 7, 100, 14), actual(IDC_NAME));
    EXPECT_EQ(expected(106, 129, 50, 14), actual(IDOK));
    EXPECT_EQ(expected(120, 7, 90, 40), actual(IDC_ODBUTTON));

    // Read the pixels back from the window itself.
    CRect client;
    dlg.GetClientRect(&client);
    CClientDC wdc(&dlg);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&wdc));
    CBitmap shot;
    ASSERT_TRUE(shot.CreateCompatibleBitmap(&wdc, client.Width(), client.Height()));
    CGdiSelector sel(mem, &shot);
    ASSERT_TRUE(mem.BitBlt(0, 0, client.Width(), client.Height(), &wdc, 0, 0, SRCCOPY));

    // The owner-drawn button is black all over, the edit's inside has the window colour, and
    // the space between the controls the dialog face colour.
    CRect od = actual(IDC_ODBUTTON);
    EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(od.CenterPoint()));
    EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(od.left + 2, od.bottom - 3));
    EXPECT_NE(RGB(0, 0, 0), mem.GetPixel(od.left - 3, od.top + 2));
    CRect name = actual(IDC_NAME);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), mem.GetPixel(name.right - 6, name.CenterPoint().y));
    CRect gap = expected(160, 60, 10, 10);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), mem.GetPixel(gap.CenterPoint()));
    CRect ok = actual(IDOK);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), mem.GetPixel(ok.left + 4, ok.top + 4));
    dlg.DestroyWindow();
}
