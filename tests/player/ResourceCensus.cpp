// The resource checks shared by the player's and the converter's resource tests.
#include "ResourceCensus.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>

#include "image/RasterImage.h"
#include "tests/common/Screenshot.h"

namespace rescensus {

namespace {

const int kMagnify = 2;

int CountDifferent(const std::vector<COLORREF>& px, COLORREF ground)
{
    int n = 0;
    for (COLORREF c : px)
        n += c != ground;
    return n;
}

void DrawEntry(HDC dc, const Entry& e, HMODULE module, int x, int y, int magnify)
{
    int w = e.cellWidth, h = e.cellHeight;
    HDC mem = CreateCompatibleDC(dc);
    int total = e.kind == KIND_BITMAP || e.kind == KIND_ANICURSOR ? e.cells : 1;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w * total + 4 * total, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    HBRUSH brush = CreateSolidBrush(e.ground);
    RECT rc = {0, 0, w * total + 4 * total, h};
    FillRect(mem, &rc, brush);
    DeleteObject(brush);
    if (e.kind == KIND_BITMAP) {
        HIMAGELIST list = nullptr;
        if (LoadStrip(e, list, module) > 0) {
            for (int i = 0; i < e.cells; ++i)
                ImageList_Draw(list, i, mem, i * (w + 4), 0, ILD_NORMAL);
            ImageList_Destroy(list);
        }
    } else if (e.kind == KIND_ICON) {
        HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(e.id), IMAGE_ICON, w, h, 0);
        DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    } else if (e.kind == KIND_CURSOR || e.kind == KIND_ANICURSOR) {
        HCURSOR cursor = LoadCursorW(module, MAKEINTRESOURCEW(e.id));
        for (int i = 0; i < total; ++i)
            DrawIconEx(mem, i * (w + 4), 0, cursor, w, h, i, nullptr, DI_NORMAL);
        DestroyCursor(cursor);
    } else {
        CRasterImage image;
        HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(e.id), L"PNG");
        if (res && image.LoadResource(res, ImageTypePNG, module))
            image.Draw(mem, 0, 0);
    }
    StretchBlt(dc, x, y, (w + 4) * total * magnify, h * magnify, mem, 0, 0, (w + 4) * total, h, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

}  // namespace

int LoadStrip(const Entry& e, HIMAGELIST& list, HMODULE module)
{
    list = nullptr;
    HBITMAP bitmap = (HBITMAP)LoadImageW(module ? module : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id), IMAGE_BITMAP, 0, 0,
                                         LR_CREATEDIBSECTION);
    if (!bitmap)
        return -1;
    list = ImageList_Create(e.cellWidth, e.cellHeight, ILC_COLOR32 | ILC_MASK, 0, 2);
    int first = ImageList_AddMasked(list, bitmap, e.mask);
    DeleteObject(bitmap);
    return first < 0 ? 0 : ImageList_GetImageCount(list);
}

void CheckEntry(const Entry& e, HMODULE module)
{
    SCOPED_TRACE(testing::Message() << "resource " << e.id);
    const int w = e.cellWidth, h = e.cellHeight;
    switch (e.kind) {
    case KIND_BITMAP: {
        HBITMAP bitmap = LoadBitmapW(module, MAKEINTRESOURCEW(e.id));
        ASSERT_TRUE(bitmap);
        BITMAP bm = {};
        GetObjectW(bitmap, sizeof(bm), &bm);
        EXPECT_EQ(w * e.cells, bm.bmWidth);
        EXPECT_EQ(h, bm.bmHeight);
        std::vector<COLORREF> raw = RenderPixels(bm.bmWidth, h, RGB(1, 2, 3), [&](HDC dc) {
            HDC src = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(src, bitmap);
            BitBlt(dc, 0, 0, bm.bmWidth, h, src, 0, 0, SRCCOPY);
            SelectObject(src, old);
            DeleteDC(src);
        });
        DeleteObject(bitmap);
        // The mask colour is where the picture is not.
        int masked = 0;
        for (COLORREF c : raw)
            masked += c == e.mask;
        EXPECT_GT(masked, 0);
        EXPECT_LT(masked, (int)raw.size());

        HIMAGELIST list = nullptr;
        ASSERT_EQ(e.cells, LoadStrip(e, list, module));
        std::set<std::vector<COLORREF>> distinct;
        for (int i = 0; i < e.cells; ++i) {
            std::vector<COLORREF> px = RenderPixels(w, h, e.ground, [&](HDC dc) { ImageList_Draw(list, i, dc, 0, 0, ILD_NORMAL); });
            EXPECT_GT(CountDifferent(px, e.ground), 0) << "cell " << i << " is empty";
            distinct.insert(px);
        }
        ImageList_Destroy(list);
        EXPECT_EQ((size_t)e.cells, distinct.size()) << "two cells look alike";
        break;
    }
    case KIND_ICON:
        for (int size : {w, 32, 16}) {
            HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(e.id), IMAGE_ICON, size, size, 0);
            ASSERT_TRUE(icon) << size;
            std::vector<COLORREF> px = RenderPixels(size, size, e.ground,
                                              [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); });
            DestroyIcon(icon);
            EXPECT_EQ(e.ground, px[0]) << size << ": the corner shows the ground";
            EXPECT_GT(CountDifferent(px, e.ground), size * size / 3) << size;
        }
        break;
    case KIND_CURSOR:
    case KIND_ANICURSOR: {
        HCURSOR cursor = LoadCursorW(module, MAKEINTRESOURCEW(e.id));
        ASSERT_TRUE(cursor);
        std::set<std::vector<COLORREF>> frames;
        int count = e.kind == KIND_ANICURSOR ? e.cells : 1;
        for (int i = 0; i < count; ++i)
            frames.insert(RenderPixels(w, h, e.ground, [&](HDC dc) { DrawIconEx(dc, 0, 0, cursor, w, h, i, nullptr, DI_NORMAL); }));
        DestroyCursor(cursor);
        EXPECT_EQ((size_t)count, frames.size());
        break;
    }
    case KIND_PNG: {
        HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(e.id), L"PNG");
        ASSERT_TRUE(res);
        CRasterImage image;
        ASSERT_TRUE(image.LoadResource(res, ImageTypePNG, module)) << image.GetLastError();
        EXPECT_EQ(w, image.GetWidth());
        EXPECT_EQ(h, image.GetHeight());
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(0, image.AlphaGet(0, 0));
        EXPECT_EQ(255, image.AlphaGet(w / 2, h / 2));
        break;
    }
    }
}

namespace {

struct CSheet {
    struct Place {
        const Entry* e;
        int x, y;
    };
    std::vector<Place> places;
    HMODULE module;
};

LRESULT CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, (HBRUSH)GetStockObject(GRAY_BRUSH));
        const CSheet* sheet = reinterpret_cast<const CSheet*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (sheet)
            for (const CSheet::Place& p : sheet->places)
                DrawEntry(dc, *p.e, sheet->module, p.x, p.y, kMagnify);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

CString ShowAll(const std::vector<Entry>& entries, HMODULE module, LPCWSTR area, LPCWSTR name)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SheetProc;
    wc.hInstance = module;
    wc.lpszClassName = L"ResourceCensusSheet";
    RegisterClassW(&wc);
    const int width = 1200;
    CSheet sheet;
    sheet.module = module;
    int x = 8, y = 8, rowHeight = 0;
    for (const Entry& e : entries) {
        int total = e.kind == KIND_BITMAP || e.kind == KIND_ANICURSOR ? e.cells : 1;
        int w = (e.cellWidth + 4) * total * kMagnify, h = e.cellHeight * kMagnify;
        if (x + w > width - 8) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        sheet.places.push_back({&e, x, y});
        x += w + 12;
        rowHeight = rowHeight > h ? rowHeight : h;
    }
    int height = y + rowHeight + 8;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, 0, 0, width, height, nullptr,
                                nullptr, module, nullptr);
    if (!hwnd)
        return CString();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&sheet));
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    CString saved = SaveWindowScreenshot(area, name, hwnd);
    DestroyWindow(hwnd);
    return saved;
}

}  // namespace rescensus
