// Registry key helpers, temporary GDI and DC wrappers, and the drawing helpers of CDC.
#include "framework/Handles.h"

#include <map>
#include <vector>

namespace {

// Per-thread non-owning wrappers for handles the caller did not create (FromHandle results).
template <class T, class H>
T* TemporaryWrapper(H h)
{
    if (!h) return nullptr;
    struct Pool {
        std::map<H, T*> items;
        ~Pool() {
            for (auto& e : items) {
                e.second->Detach();
                delete e.second;
            }
        }
    };
    static thread_local Pool pool;
    T*& item = pool.items[h];
    if (!item) {
        item = new T;
        item->Attach(h);
    }
    return item;
}

} // namespace

// ---- CRegKey

LONG CRegKey::Create(HKEY parent, LPCWSTR keyName, LPWSTR keyClass, DWORD options, REGSAM sam,
                     LPSECURITY_ATTRIBUTES sa, LPDWORD disposition)
{
    HKEY h = NULL;
    DWORD disp = 0;
    LONG rc = ::RegCreateKeyExW(parent, keyName, 0, keyClass, options, sam, sa, &h, &disp);
    if (disposition) *disposition = disp;
    if (rc == ERROR_SUCCESS) Attach(h);
    return rc;
}

LONG CRegKey::Open(HKEY parent, LPCWSTR keyName, REGSAM sam)
{
    HKEY h = NULL;
    LONG rc = ::RegOpenKeyExW(parent, keyName, 0, sam, &h);
    if (rc == ERROR_SUCCESS) Attach(h);
    return rc;
}

LONG CRegKey::Close()
{
    LONG rc = ERROR_SUCCESS;
    if (m_hKey) rc = ::RegCloseKey(m_hKey);
    m_hKey = NULL;
    return rc;
}

LONG CRegKey::QueryValue(LPCWSTR name, DWORD* type, void* data, ULONG* bytes) const
{
    return ::RegQueryValueExW(m_hKey, name, NULL, type, (LPBYTE)data, (LPDWORD)bytes);
}

LONG CRegKey::QueryDWORDValue(LPCWSTR name, DWORD& value) const
{
    DWORD type = 0, v = 0;
    ULONG bytes = sizeof(v);
    LONG rc = QueryValue(name, &type, &v, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD || bytes != sizeof(v)) return ERROR_INVALID_DATA;
    value = v;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryQWORDValue(LPCWSTR name, ULONGLONG& value) const
{
    DWORD type = 0;
    ULONGLONG v = 0;
    ULONG bytes = sizeof(v);
    LONG rc = QueryValue(name, &type, &v, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_QWORD || bytes != sizeof(v)) return ERROR_INVALID_DATA;
    value = v;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryStringValue(LPCWSTR name, LPWSTR value, ULONG* chars) const
{
    if (!chars) return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    ULONG bytes = *chars * sizeof(wchar_t);
    LONG rc = QueryValue(name, &type, value, &bytes);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    ULONG got = bytes / sizeof(wchar_t);
    if (rc == ERROR_MORE_DATA) {
        // Usually stored with its terminator; if not, the retry reports one more.
        *chars = got ? got : 1;
        return rc;
    }
    // The stored value may lack its terminator; the caller always gets one.
    if (value) {
        if (got > 0 && value[got - 1] == L'\0') {
            *chars = got;
        } else if (got < *chars) {
            value[got] = L'\0';
            *chars = got + 1;
        } else {
            *chars = got + 1;
            return ERROR_MORE_DATA;
        }
    } else {
        *chars = got + 1;
    }
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryStringValue(LPCWSTR name, CString& value) const
{
    DWORD type = 0;
    ULONG bytes = 0;
    LONG rc = QueryValue(name, &type, NULL, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 2, L'\0');
    bytes = (ULONG)((buf.size() - 1) * sizeof(wchar_t));
    rc = QueryValue(name, &type, buf.data(), &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    value = CString(buf.data(), (int)wcsnlen(buf.data(), bytes / sizeof(wchar_t)));
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryBinaryValue(LPCWSTR name, void* value, ULONG* bytes) const
{
    DWORD type = 0;
    LONG rc = QueryValue(name, &type, value, bytes);
    if (rc == ERROR_SUCCESS && type != REG_BINARY) return ERROR_INVALID_DATA;
    return rc;
}

LONG CRegKey::SetValue(LPCWSTR name, DWORD type, const void* value, ULONG bytes)
{
    return ::RegSetValueExW(m_hKey, name, 0, type, (const BYTE*)value, bytes);
}

LONG CRegKey::SetDWORDValue(LPCWSTR name, DWORD value) { return SetValue(name, REG_DWORD, &value, sizeof(value)); }
LONG CRegKey::SetQWORDValue(LPCWSTR name, ULONGLONG value) { return SetValue(name, REG_QWORD, &value, sizeof(value)); }
LONG CRegKey::SetBinaryValue(LPCWSTR name, const void* value, ULONG bytes) { return SetValue(name, REG_BINARY, value, bytes); }

LONG CRegKey::SetStringValue(LPCWSTR name, LPCWSTR value, DWORD type)
{
    if (!value) value = L"";
    return SetValue(name, type, value, (ULONG)((wcslen(value) + 1) * sizeof(wchar_t)));
}

LONG CRegKey::DeleteValue(LPCWSTR name) { return ::RegDeleteValueW(m_hKey, name); }
LONG CRegKey::DeleteSubKey(LPCWSTR subKey) { return ::RegDeleteKeyW(m_hKey, subKey); }
LONG CRegKey::RecurseDeleteKey(LPCWSTR subKey) { return DeleteTree(m_hKey, subKey); }

LONG CRegKey::DeleteTree(HKEY parent, LPCWSTR keyName)
{
    CRegKey key;
    LONG rc = key.Open(parent, keyName, KEY_READ | KEY_WRITE);
    if (rc != ERROR_SUCCESS) return rc;
    // Collect the children first: deleting while enumerating shifts the indices.
    std::vector<CString> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = 256;
        LONG e = ::RegEnumKeyExW(key, i, name, &len, NULL, NULL, NULL, NULL);
        if (e != ERROR_SUCCESS) break;
        children.push_back(CString(name, (int)len));
    }
    for (const CString& child : children) {
        rc = DeleteTree(key, child);
        if (rc != ERROR_SUCCESS) return rc;
    }
    key.Close();
    return ::RegDeleteKeyW(parent, keyName);
}

// ---- GDI objects

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ h) { return TemporaryWrapper<CGdiObject>(h); }
CPen* PASCAL CPen::FromHandle(HPEN h) { return TemporaryWrapper<CPen>(h); }
CBrush* PASCAL CBrush::FromHandle(HBRUSH h) { return TemporaryWrapper<CBrush>(h); }
CFont* PASCAL CFont::FromHandle(HFONT h) { return TemporaryWrapper<CFont>(h); }
CBitmap* PASCAL CBitmap::FromHandle(HBITMAP h) { return TemporaryWrapper<CBitmap>(h); }
CRgn* PASCAL CRgn::FromHandle(HRGN h) { return TemporaryWrapper<CRgn>(h); }
CDC* PASCAL CDC::FromHandle(HDC h) { return TemporaryWrapper<CDC>(h); }

BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, HDC hDC)
{
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = pointSize;
    if (faceName) lstrcpynW(lf.lfFaceName, faceName, LF_FACESIZE);
    return CreatePointFontIndirect(&lf, hDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* lf, HDC hDC)
{
    HDC screen = hDC ? NULL : ::GetDC(NULL);
    HDC dc = hDC ? hDC : screen;
    LOGFONTW copy = *lf;
    // lfHeight arrives in tenths of a point; the font wants (negative) pixels.
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(dc, LOGPIXELSY), copy.lfHeight, 720)};
    ::DPtoLP(dc, &pt, 1);
    POINT origin = {0, 0};
    ::DPtoLP(dc, &origin, 1);
    LONG h = pt.y - origin.y;
    copy.lfHeight = -(h < 0 ? -h : h);
    if (screen) ::ReleaseDC(NULL, screen);
    return CreateFontIndirect(&copy);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int w, int h)
{
    return Attach(::CreateCompatibleBitmap(pDC->GetSafeHdc(), w, h));
}

// ---- CDC

void CDC::FillSolidRect(LPCRECT rc, COLORREF color)
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rc, NULL, 0, NULL);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    RECT rc = {x, y, x + cx, y + cy};
    FillSolidRect(&rc, color);
}

void CDC::Draw3dRect(LPCRECT rc, COLORREF topLeft, COLORREF bottomRight)
{
    Draw3dRect(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

CClientDC::CClientDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::GetDC(hWnd)); }
CClientDC::~CClientDC() { if (m_hDC) ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::GetWindowDC(hWnd)); }
CWindowDC::~CWindowDC() { if (m_hDC) ::ReleaseDC(m_hWnd, Detach()); }

CPaintDC::CPaintDC(HWND hWnd) : m_hWnd(hWnd) { Attach(::BeginPaint(hWnd, &m_ps)); }
CPaintDC::~CPaintDC()
{
    if (m_hDC) {
        Detach();
        ::EndPaint(m_hWnd, &m_ps);
    }
}

CBrush* PASCAL CDC::GetHalftoneBrush()
{
    // A 50% checkerboard, made once and kept for the process.
    static CBrush* brush = [] {
        WORD pattern[8];
        for (int i = 0; i < 8; ++i) pattern[i] = (WORD)(0x5555 << (i & 1));
        CBitmap bitmap;
        bitmap.CreateBitmap(8, 8, 1, 1, pattern);
        CBrush* b = new CBrush;
        b->CreatePatternBrush(bitmap);
        return b;
    }();
    return brush;
}

void CDC::DrawDragRect(LPCRECT lpRect, SIZE size, LPCRECT lpRectLast, SIZE sizeLast, CBrush* pBrush, CBrush* pBrushLast)
{
    auto frameRegion = [](CRgn& rgn, LPCRECT rc, SIZE sz) {
        CRect outer(*rc);
        outer.NormalizeRect();
        CRect inner(outer);
        inner.DeflateRect(sz);
        if (inner.right < inner.left) inner.right = inner.left;
        if (inner.bottom < inner.top) inner.bottom = inner.top;
        CRgn outerRgn, innerRgn;
        outerRgn.CreateRectRgnIndirect(&outer);
        innerRgn.CreateRectRgnIndirect(&inner);
        rgn.CreateRectRgn(0, 0, 0, 0);
        rgn.CombineRgn(&outerRgn, &innerRgn, RGN_XOR);
    };
    CBrush* halftone = GetHalftoneBrush();
    if (!pBrush) pBrush = halftone;
    if (!pBrushLast) pBrushLast = pBrush;
    auto invert = [this](CRgn& rgn, CBrush* brush) {
        CRect box;
        SelectClipRgn(&rgn);
        GetClipBox(&box);
        CGdiSelector select(*this, brush);
        PatBlt(box.left, box.top, box.Width(), box.Height(), PATINVERT);
        SelectClipRgn(NULL);
    };
    CRgn rgnNew;
    frameRegion(rgnNew, lpRect, size);
    if (!lpRectLast) {
        invert(rgnNew, pBrush);
        return;
    }
    CRgn rgnLast;
    frameRegion(rgnLast, lpRectLast, sizeLast);
    if (pBrush == pBrushLast) {
        // Only the pixels that change state are inverted, so the frame does not flicker.
        CRgn update;
        update.CreateRectRgn(0, 0, 0, 0);
        update.CombineRgn(&rgnLast, &rgnNew, RGN_XOR);
        invert(update, pBrush);
    } else {
        invert(rgnLast, pBrushLast);
        invert(rgnNew, pBrush);
    }
}
