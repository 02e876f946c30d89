// Kernel handle, registry key, GDI object and DC owners; the application's registry profile.
#include <gtest/gtest.h>

#include "framework/App.h"
#include "framework/Handles.h"

namespace {

bool HandleIsOpen(HANDLE h)
{
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(CHandle, ClosesDetachesAndTreatsBothFailureValuesAsNone)
{
    HANDLE raw = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    ASSERT_TRUE(HandleIsOpen(raw));
    {
        CHandle h(raw);
        EXPECT_TRUE(h.IsValid());
        EXPECT_EQ(raw, (HANDLE)h);
    }
    EXPECT_FALSE(HandleIsOpen(raw));

    HANDLE kept = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    {
        CHandle h(kept);
        CHandle moved(std::move(h));
        EXPECT_FALSE(h.IsValid());
        EXPECT_EQ(kept, moved.Detach());
        EXPECT_FALSE(moved.IsValid());
    }
    EXPECT_TRUE(HandleIsOpen(kept));
    ::CloseHandle(kept);

    CHandle none(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none.IsValid());
    none.Close();
    EXPECT_EQ(NULL, none.m_h);

    HANDLE a = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE b = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    CHandle h(a);
    h.Attach(b);
    EXPECT_FALSE(HandleIsOpen(a));
    EXPECT_TRUE(HandleIsOpen(b));
}

class RegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_maker.Format(L"FwTestMaker-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
        m_makerPath = L"Software\\" + m_maker;
    }
    void TearDown() override
    {
        CRegKey::DeleteTree(HKEY_CURRENT_USER, m_makerPath);
        CRegKey probe;
        EXPECT_NE(ERROR_SUCCESS, probe.Open(HKEY_CURRENT_USER, m_makerPath, KEY_READ));
    }
    CString m_maker, m_makerPath;
};

TEST_F(RegistryTest, RegKeyValuesAndRecursiveDelete)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, m_makerPath + L"\\K\\Deep"));
    EXPECT_EQ(ERROR_SUCCESS, key.SetDWORDValue(L"n", 0xDEADBEEF));
    EXPECT_EQ(ERROR_SUCCESS, key.SetStringValue(L"s", L"text value"));
    DWORD n = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDWORDValue(L"n", n));
    EXPECT_EQ(0xDEADBEEFu, n);
    CString s;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryStringValue(L"s", s));
    EXPECT_EQ(L"text value", s);
    wchar_t small[4];
    ULONG chars = 4;
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryStringValue(L"s", small, &chars));
    EXPECT_EQ(11u, chars);
    EXPECT_NE(ERROR_SUCCESS, key.QueryDWORDValue(L"s", n));
    EXPECT_EQ(ERROR_SUCCESS, key.DeleteValue(L"n"));
    EXPECT_NE(ERROR_SUCCESS, key.QueryDWORDValue(L"n", n));
    key.Close();

    CRegKey maker;
    ASSERT_EQ(ERROR_SUCCESS, maker.Open(HKEY_CURRENT_USER, m_makerPath));
    EXPECT_EQ(ERROR_SUCCESS, maker.RecurseDeleteKey(L"K"));
    CRegKey gone;
    EXPECT_NE(ERROR_SUCCESS, gone.Open(HKEY_CURRENT_USER, m_makerPath + L"\\K"));
}

class ProfileApp : public CWinApp {
public:
    ProfileApp() : CWinApp(L"FwProfileTest") {}
};

TEST_F(RegistryTest, ProfileRoundTripsSectionsAndDeletes)
{
    ProfileApp app;
    EXPECT_EQ(&app, AfxGetApp());
    app.SetRegistryKey(m_maker);
    EXPECT_EQ(m_makerPath + L"\\FwProfileTest", app.GetAppRegistryPath());

    EXPECT_TRUE(app.WriteProfileInt(L"Settings", L"Volume", 77));
    EXPECT_TRUE(app.WriteProfileInt(L"Settings", L"Negative", -5));
    EXPECT_TRUE(app.WriteProfileString(L"Settings", L"Name", L"some name"));
    EXPECT_TRUE(app.WriteProfileString(L"Recent\\Files", L"File1", L"C:\\a b\\c.mp4"));
    EXPECT_TRUE(app.WriteProfileString(NULL, L"RootValue", L"at root"));
    EXPECT_TRUE(app.WriteProfileInt(L"", L"RootInt", 3));
    BYTE blob[3] = {1, 2, 3};
    EXPECT_TRUE(app.WriteProfileBinary(L"Settings", L"Blob", blob, 3));

    EXPECT_EQ(77u, app.GetProfileInt(L"Settings", L"Volume", 0));
    EXPECT_EQ(-5, (int)app.GetProfileInt(L"Settings", L"Negative", 0));
    EXPECT_EQ(9u, app.GetProfileInt(L"Settings", L"Missing", 9));
    EXPECT_EQ(L"some name", app.GetProfileString(L"Settings", L"Name"));
    EXPECT_EQ(L"dflt", app.GetProfileString(L"Settings", L"Missing", L"dflt"));
    EXPECT_EQ(L"C:\\a b\\c.mp4", app.GetProfileString(L"Recent\\Files", L"File1"));
    EXPECT_EQ(L"at root", app.GetProfileString(L"", L"RootValue"));
    EXPECT_EQ(3u, app.GetProfileInt(NULL, L"RootInt", 0));
    LPBYTE data = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(app.GetProfileBinary(L"Settings", L"Blob", &data, &bytes));
    EXPECT_EQ(3u, bytes);
    EXPECT_EQ(3, data[2]);
    delete[] data;

    // The nesting is real: "Recent\Files" is the key Files under the key Recent.
    CRegKey nested;
    ASSERT_EQ(ERROR_SUCCESS, nested.Open(HKEY_CURRENT_USER, m_makerPath + L"\\FwProfileTest\\Recent\\Files", KEY_READ));
    CString direct;
    EXPECT_EQ(ERROR_SUCCESS, nested.QueryStringValue(L"File1", direct));
    EXPECT_EQ(L"C:\\a b\\c.mp4", direct);
    nested.Close();

    CRegKey section(app.GetSectionKey(L"Settings"));
    ASSERT_TRUE(section.IsValid());
    DWORD volume = 0;
    EXPECT_EQ(ERROR_SUCCESS, section.QueryDWORDValue(L"Volume", volume));
    EXPECT_EQ(77u, volume);
    section.Close();

    EXPECT_TRUE(app.WriteProfileString(L"Settings", L"Name", NULL));
    EXPECT_EQ(L"gone", app.GetProfileString(L"Settings", L"Name", L"gone"));
    EXPECT_EQ(77u, app.GetProfileInt(L"Settings", L"Volume", 0));

    EXPECT_TRUE(app.WriteProfileString(L"Recent", NULL, NULL));
    CRegKey recent;
    EXPECT_NE(ERROR_SUCCESS, recent.Open(HKEY_CURRENT_USER, m_makerPath + L"\\FwProfileTest\\Recent", KEY_READ));
    EXPECT_EQ(L"", app.GetProfileString(L"Recent\\Files", L"File1"));
    EXPECT_EQ(L"at root", app.GetProfileString(NULL, L"RootValue"));

    CRegKey root(app.GetAppRegistryKey());
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(ERROR_SUCCESS, app.DelRegTree(root, L"Settings"));
    EXPECT_EQ(0u, app.GetProfileInt(L"Settings", L"Volume", 0));
}

TEST(Gdi, OwnersSelectorsAndDrawing)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    CBitmap bmp;
    {
        // Compatible with the screen: a fresh memory DC would give a monochrome bitmap.
        CClientDC screen((HWND)NULL);
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen, 8, 8));
    }
    EXPECT_EQ(CSize(8, 8), bmp.GetBitmapSize());
    HGDIOBJ firstBitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    CBitmap* old = dc.SelectObject(&bmp);
    ASSERT_NE(nullptr, old);
    EXPECT_EQ(firstBitmap, old->GetSafeHandle());
    EXPECT_EQ(bmp.GetSafeHandle(), ::GetCurrentObject(dc, OBJ_BITMAP));

    dc.FillSolidRect(CRect(0, 0, 8, 8), RGB(10, 20, 30));
    EXPECT_EQ(RGB(10, 20, 30), dc.GetPixel(3, 3));
    {
        CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
        HGDIOBJ before = ::GetCurrentObject(dc, OBJ_PEN);
        {
            CGdiSelector sel(dc, &pen);
            EXPECT_EQ(pen.m_hObject, ::GetCurrentObject(dc, OBJ_PEN));
            dc.MoveTo(0, 1);
            dc.LineTo(8, 1);
        }
        EXPECT_EQ(before, ::GetCurrentObject(dc, OBJ_PEN));
    }
    EXPECT_EQ(RGB(255, 0, 0), dc.GetPixel(4, 1));
    CBrush brush(RGB(0, 0, 255));
    dc.FillRect(CRect(0, 4, 8, 8), &brush);
    EXPECT_EQ(RGB(0, 0, 255), dc.GetPixel(2, 6));
    CFont font;
    EXPECT_TRUE(font.CreatePointFont(90, L"Tahoma"));
    LOGFONTW lf = {};
    ASSERT_GT(font.GetLogFont(&lf), 0);
    EXPECT_LT(lf.lfHeight, 0);
    CRgn rgn;
    ASSERT_TRUE(rgn.CreateRectRgn(0, 0, 4, 4));
    EXPECT_TRUE(rgn.PtInRegion(1, 1));
    EXPECT_FALSE(rgn.PtInRegion(5, 5));
    dc.SelectObject(old);

    // Deleting the owner deletes the object.
    HGDIOBJ h;
    {
        CBrush temp(RGB(1, 2, 3));
        h = temp.m_hObject;
        EXPECT_NE(0u, (UINT)::GetObjectType(h));
    }
    EXPECT_EQ(0u, (UINT)::GetObjectType(h));
    CGdiObject* none = nullptr;
    EXPECT_EQ(NULL, none->GetSafeHandle());
}

} // namespace
