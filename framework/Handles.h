// Owners of Win32 handles: kernel handles (CHandle), registry keys (CRegKey), GDI objects
// (CGdiObject, CPen, CBrush, CFont, CBitmap, CRgn) and device contexts (CDC and its kinds).
#pragma once

#include "framework/Geometry.h"
#include "framework/String.h"

#include <windows.h>

class CWnd;

namespace detail {
// Hides a pointer's origin from the optimiser, so a null check on 'this' survives.
template <class T> inline T* OpaquePtr(T* p) { __asm__("" : "+r"(p)); return p; }
}

// A kernel handle. Some APIs fail with NULL, others with INVALID_HANDLE_VALUE: both mean "none".
class CHandle {
public:
    CHandle() {}
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (&other != this) Attach(other.Detach());
        return *this;
    }

    operator HANDLE() const { return m_h; }
    HANDLE Get() const { return m_h; }
    bool IsValid() const { return IsValidHandle(m_h); }
    static bool IsValidHandle(HANDLE h) { return h != NULL && h != INVALID_HANDLE_VALUE; }

    // Takes ownership of h, closing the handle held before.
    void Attach(HANDLE h) { if (h != m_h) { Close(); m_h = h; } }
    HANDLE Detach() { HANDLE h = m_h; m_h = NULL; return h; }
    void Close() {
        if (IsValid()) ::CloseHandle(m_h);
        m_h = NULL;
    }
    // Address for APIs that return a handle through a pointer; closes the one held before.
    HANDLE* Receive() { Close(); return &m_h; }

    HANDLE m_h = NULL;
};

// A registry key owner with the usual query and set helpers; results are Win32 error codes.
class CRegKey {
public:
    CRegKey() {}
    explicit CRegKey(HKEY hKey) : m_hKey(hKey) {}
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& other) noexcept : m_hKey(other.Detach()) {}
    CRegKey& operator=(CRegKey&& other) noexcept {
        if (&other != this) Attach(other.Detach());
        return *this;
    }

    operator HKEY() const { return m_hKey; }
    bool IsValid() const { return m_hKey != NULL; }

    LONG Create(HKEY parent, LPCWSTR keyName, LPWSTR keyClass = NULL,
                DWORD options = REG_OPTION_NON_VOLATILE, REGSAM sam = KEY_READ | KEY_WRITE,
                LPSECURITY_ATTRIBUTES sa = NULL, LPDWORD disposition = NULL);
    LONG Open(HKEY parent, LPCWSTR keyName, REGSAM sam = KEY_READ | KEY_WRITE);
    LONG Close();
    void Attach(HKEY hKey) { if (hKey != m_hKey) { Close(); m_hKey = hKey; } }
    HKEY Detach() { HKEY h = m_hKey; m_hKey = NULL; return h; }

    LONG QueryDWORDValue(LPCWSTR name, DWORD& value) const;
    LONG QueryQWORDValue(LPCWSTR name, ULONGLONG& value) const;
    // chars: in, the buffer size in characters; out, the characters needed including the terminator.
    LONG QueryStringValue(LPCWSTR name, LPWSTR value, ULONG* chars) const;
    LONG QueryStringValue(LPCWSTR name, CString& value) const;
    LONG QueryBinaryValue(LPCWSTR name, void* value, ULONG* bytes) const;
    LONG QueryValue(LPCWSTR name, DWORD* type, void* data, ULONG* bytes) const;

    LONG SetDWORDValue(LPCWSTR name, DWORD value);
    LONG SetQWORDValue(LPCWSTR name, ULONGLONG value);
    LONG SetStringValue(LPCWSTR name, LPCWSTR value, DWORD type = REG_SZ);
    LONG SetBinaryValue(LPCWSTR name, const void* value, ULONG bytes);
    LONG SetValue(LPCWSTR name, DWORD type, const void* value, ULONG bytes);

    LONG DeleteValue(LPCWSTR name);
    LONG DeleteSubKey(LPCWSTR subKey);
    // Deletes subKey of this key with everything below it.
    LONG RecurseDeleteKey(LPCWSTR subKey);
    // Deletes keyName under parent with everything below it.
    static LONG DeleteTree(HKEY parent, LPCWSTR keyName);

    HKEY m_hKey = NULL;
};

// A GDI object owner: the object is deleted with the owner unless detached.
class CGdiObject {
public:
    CGdiObject() {}
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Null-safe, as callers may hold a null pointer here.
    HGDIOBJ GetSafeHandle() const { const CGdiObject* p = detail::OpaquePtr(this); return p ? p->m_hObject : NULL; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ h) { DeleteObject(); m_hObject = h; return h != NULL; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = NULL; return h; }
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = NULL;
        return ok;
    }
    int GetObject(int size, void* buffer) const { return ::GetObjectW(m_hObject, size, buffer); }
    UINT GetObjectType() const { return (UINT)::GetObjectType(m_hObject); }
    BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
    BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }

    // A wrapper that does not own h, valid for the life of the calling thread.
    static CGdiObject* PASCAL FromHandle(HGDIOBJ h);

    HGDIOBJ m_hObject = NULL;
};

class CPen : public CGdiObject {
public:
    CPen() {}
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    operator HPEN() const { return (HPEN)m_hObject; }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    BOOL CreatePenIndirect(LPLOGPEN lp) { return Attach(::CreatePenIndirect(lp)); }
    int GetLogPen(LOGPEN* lp) const { return GetObject(sizeof(LOGPEN), lp); }
    static CPen* PASCAL FromHandle(HPEN h);
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreateHatchBrush(int hatch, COLORREF color) { return Attach(::CreateHatchBrush(hatch, color)); }
    BOOL CreatePatternBrush(HBITMAP bitmap) { return Attach(::CreatePatternBrush(bitmap)); }
    BOOL CreateBrushIndirect(const LOGBRUSH* lb) { return Attach(::CreateBrushIndirect(lb)); }
    BOOL CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(::GetSysColor(index))); }
    int GetLogBrush(LOGBRUSH* lb) const { return GetObject(sizeof(LOGBRUSH), lb); }
    static CBrush* PASCAL FromHandle(HBRUSH h);
};

class CFont : public CGdiObject {
public:
    CFont() {}
    operator HFONT() const { return (HFONT)m_hObject; }
    BOOL CreateFontIndirect(const LOGFONTW* lf) { return Attach(::CreateFontIndirectW(lf)); }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName) {
        return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                                    strikeOut, charSet, outPrecision, clipPrecision, quality,
                                    pitchAndFamily, faceName));
    }
    // pointSize in tenths of a point, converted with the device's (or the screen's) resolution.
    BOOL CreatePointFont(int pointSize, LPCWSTR faceName, HDC hDC = NULL);
    BOOL CreatePointFontIndirect(const LOGFONTW* lf, HDC hDC = NULL);
    int GetLogFont(LOGFONTW* lf) const { return GetObject(sizeof(LOGFONTW), lf); }
    static CFont* PASCAL FromHandle(HFONT h);
};

class CDC;

class CBitmap : public CGdiObject {
public:
    CBitmap() {}
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
    BOOL LoadBitmap(UINT id) { return Attach(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id))); }
    BOOL LoadBitmap(LPCWSTR name) { return Attach(::LoadBitmapW(AfxGetResourceHandle(), name)); }
    BOOL LoadOEMBitmap(UINT id) { return Attach(::LoadBitmapW(NULL, MAKEINTRESOURCEW(id))); }
    BOOL CreateBitmap(int w, int h, UINT planes, UINT bitsPerPixel, const void* bits) {
        return Attach(::CreateBitmap(w, h, planes, bitsPerPixel, bits));
    }
    BOOL CreateBitmapIndirect(LPBITMAP bm) { return Attach(::CreateBitmapIndirect(bm)); }
    BOOL CreateCompatibleBitmap(CDC* pDC, int w, int h);
    BOOL CreateCompatibleBitmap(HDC hDC, int w, int h) { return Attach(::CreateCompatibleBitmap(hDC, w, h)); }
    int GetBitmap(BITMAP* bm) const { return GetObject(sizeof(BITMAP), bm); }
    CSize GetBitmapSize() const { BITMAP bm = {}; GetBitmap(&bm); return CSize(bm.bmWidth, bm.bmHeight); }
    static CBitmap* PASCAL FromHandle(HBITMAP h);
};

class CRgn : public CGdiObject {
public:
    CRgn() {}
    operator HRGN() const { return (HRGN)m_hObject; }
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(LPCRECT rc) { return Attach(::CreateRectRgnIndirect(rc)); }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
    BOOL CreateEllipticRgnIndirect(LPCRECT rc) { return Attach(::CreateEllipticRgnIndirect(rc)); }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) { return Attach(::CreateRoundRectRgn(l, t, r, b, w, h)); }
    BOOL CreatePolygonRgn(const POINT* pts, int count, int mode) { return Attach(::CreatePolygonRgn(pts, count, mode)); }
    void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn((HRGN)m_hObject, l, t, r, b); }
    void SetRectRgn(LPCRECT rc) { ::SetRectRgn((HRGN)m_hObject, rc->left, rc->top, rc->right, rc->bottom); }
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn((HRGN)m_hObject, (HRGN)a->GetSafeHandle(), (HRGN)b->GetSafeHandle(), mode);
    }
    int CopyRgn(const CRgn* src) { return ::CombineRgn((HRGN)m_hObject, (HRGN)src->m_hObject, NULL, RGN_COPY); }
    BOOL EqualRgn(const CRgn* other) const { return ::EqualRgn((HRGN)m_hObject, (HRGN)other->m_hObject); }
    int OffsetRgn(int dx, int dy) { return ::OffsetRgn((HRGN)m_hObject, dx, dy); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion((HRGN)m_hObject, x, y); }
    BOOL PtInRegion(POINT p) const { return ::PtInRegion((HRGN)m_hObject, p.x, p.y); }
    BOOL RectInRegion(LPCRECT rc) const { return ::RectInRegion((HRGN)m_hObject, rc); }
    int GetRgnBox(LPRECT rc) const { return ::GetRgnBox((HRGN)m_hObject, rc); }
    static CRgn* PASCAL FromHandle(HRGN h);
};

// A device context. The owner deletes the DC it holds (for CreateCompatibleDC and CreateDC);
// CClientDC, CWindowDC and CPaintDC release theirs the matching way instead.
class CDC {
public:
    CDC() {}
    virtual ~CDC() { if (m_hDC) ::DeleteDC(Detach()); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { const CDC* p = detail::OpaquePtr(this); return p ? p->m_hDC : NULL; }
    BOOL Attach(HDC hDC) { m_hDC = hDC; m_hAttribDC = hDC; return hDC != NULL; }
    HDC Detach() { HDC h = m_hDC; m_hDC = m_hAttribDC = NULL; return h; }
    BOOL DeleteDC() { if (!m_hDC) return FALSE; return ::DeleteDC(Detach()); }
    BOOL CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : NULL)); }
    BOOL CreateDC(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const DEVMODEW* init) {
        return Attach(::CreateDCW(driver, device, output, init));
    }
    // A wrapper that does not own hDC, valid for the life of the calling thread.
    static CDC* PASCAL FromHandle(HDC hDC);
    CWnd* GetWindow() const;

    // Whether the DC draws for a printer (print and print preview); the window kinds never do.
    BOOL IsPrinting() const { return m_bPrinting; }

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

    // Selection: each returns the object it replaced (a temporary wrapper for the typed forms).
    CPen* SelectObject(CPen* pen) { return CPen::FromHandle((HPEN)::SelectObject(m_hDC, pen->GetSafeHandle())); }
    CBrush* SelectObject(CBrush* brush) { return CBrush::FromHandle((HBRUSH)::SelectObject(m_hDC, brush->GetSafeHandle())); }
    CFont* SelectObject(CFont* font) { return CFont::FromHandle((HFONT)::SelectObject(m_hDC, font->GetSafeHandle())); }
    CBitmap* SelectObject(CBitmap* bitmap) { return CBitmap::FromHandle((HBITMAP)::SelectObject(m_hDC, bitmap->GetSafeHandle())); }
    CGdiObject* SelectObject(CGdiObject* obj) { return CGdiObject::FromHandle(::SelectObject(m_hDC, obj->GetSafeHandle())); }
    int SelectObject(CRgn* rgn) { return (int)(INT_PTR)::SelectObject(m_hDC, rgn->GetSafeHandle()); }
    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    CGdiObject* SelectStockObject(int index) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle((HFONT)::GetCurrentObject(m_hDC, OBJ_FONT)); }
    CBitmap* GetCurrentBitmap() const { return CBitmap::FromHandle((HBITMAP)::GetCurrentObject(m_hDC, OBJ_BITMAP)); }

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
    CPoint SetViewportOrg(int x, int y) { POINT p = {}; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetViewportOrg(POINT pt) { return SetViewportOrg(pt.x, pt.y); }
    CPoint GetViewportOrg() const { POINT p = {}; ::GetViewportOrgEx(m_hDC, &p); return p; }
    CPoint SetWindowOrg(int x, int y) { POINT p = {}; ::SetWindowOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetWindowOrg(POINT pt) { return SetWindowOrg(pt.x, pt.y); }
    CPoint OffsetWindowOrg(int dx, int dy) { POINT p = {}; ::OffsetWindowOrgEx(m_hDC, dx, dy, &p); return p; }
    CPoint OffsetViewportOrg(int dx, int dy) { POINT p = {}; ::OffsetViewportOrgEx(m_hDC, dx, dy, &p); return p; }
    void DPtoLP(LPPOINT pts, int count = 1) const { ::DPtoLP(m_hDC, pts, count); }
    void LPtoDP(LPPOINT pts, int count = 1) const { ::LPtoDP(m_hDC, pts, count); }
    void DPtoLP(LPRECT rc) const { ::DPtoLP(m_hDC, (LPPOINT)rc, 2); }
    void LPtoDP(LPRECT rc) const { ::LPtoDP(m_hDC, (LPPOINT)rc, 2); }

    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT rc) { return ::IntersectClipRect(m_hDC, rc->left, rc->top, rc->right, rc->bottom); }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int ExcludeClipRect(LPCRECT rc) { return ::ExcludeClipRect(m_hDC, rc->left, rc->top, rc->right, rc->bottom); }
    int SelectClipRgn(CRgn* rgn) { return ::SelectClipRgn(m_hDC, rgn ? (HRGN)rgn->GetSafeHandle() : NULL); }
    int SelectClipRgn(CRgn* rgn, int mode) { return ::ExtSelectClipRgn(m_hDC, rgn ? (HRGN)rgn->GetSafeHandle() : NULL, mode); }
    int GetClipBox(LPRECT rc) const { return ::GetClipBox(m_hDC, rc); }

    CPoint MoveTo(int x, int y) { POINT p = {}; ::MoveToEx(m_hDC, x, y, &p); return p; }
    CPoint MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT pt) { return ::LineTo(m_hDC, pt.x, pt.y); }
    CPoint GetCurrentPosition() const { POINT p = {}; ::GetCurrentPositionEx(m_hDC, &p); return p; }
    BOOL Polyline(const POINT* pts, int count) { return ::Polyline(m_hDC, pts, count); }
    BOOL Polygon(const POINT* pts, int count) { return ::Polygon(m_hDC, pts, count); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT rc) { return ::Rectangle(m_hDC, rc->left, rc->top, rc->right, rc->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL RoundRect(LPCRECT rc, POINT pt) { return ::RoundRect(m_hDC, rc->left, rc->top, rc->right, rc->bottom, pt.x, pt.y); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(LPCRECT rc) { return ::Ellipse(m_hDC, rc->left, rc->top, rc->right, rc->bottom); }
    void FillRect(LPCRECT rc, CBrush* brush) { ::FillRect(m_hDC, rc, (HBRUSH)brush->GetSafeHandle()); }
    void FillRect(LPCRECT rc, HBRUSH brush) { ::FillRect(m_hDC, rc, brush); }
    void FrameRect(LPCRECT rc, CBrush* brush) { ::FrameRect(m_hDC, rc, (HBRUSH)brush->GetSafeHandle()); }
    void InvertRect(LPCRECT rc) { ::InvertRect(m_hDC, rc); }
    void DrawFocusRect(LPCRECT rc) { ::DrawFocusRect(m_hDC, rc); }
    void FillSolidRect(LPCRECT rc, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void Draw3dRect(LPCRECT rc, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(LPRECT rc, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rc, edge, flags); }
    BOOL FillRgn(CRgn* rgn, CBrush* brush) { return ::FillRgn(m_hDC, (HRGN)rgn->GetSafeHandle(), (HBRUSH)brush->GetSafeHandle()); }
    BOOL FrameRgn(CRgn* rgn, CBrush* brush, int w, int h) {
        return ::FrameRgn(m_hDC, (HRGN)rgn->GetSafeHandle(), (HBRUSH)brush->GetSafeHandle(), w, h);
    }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF SetPixel(POINT p, COLORREF c) { return ::SetPixel(m_hDC, p.x, p.y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) { return ::DrawIcon(m_hDC, p.x, p.y, icon); }

    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : NULL, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : NULL, xs, ys, ws, hs, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    // Per-pixel or constant alpha (msimg32's AlphaBlend, as exported by GDI).
    BOOL AlphaBlend(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, BLENDFUNCTION blend) {
        return ::GdiAlphaBlend(m_hDC, x, y, w, h, src ? src->m_hDC : NULL, xs, ys, ws, hs, blend);
    }
    BOOL TransparentBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, UINT crTransparent) {
        return ::GdiTransparentBlt(m_hDC, x, y, w, h, src ? src->m_hDC : NULL, xs, ys, ws, hs, crTransparent);
    }
    BOOL DrawFrameControl(LPRECT rc, UINT nType, UINT nState) { return ::DrawFrameControl(m_hDC, rc, nType, nState); }
    BOOL DrawIcon(int x, int y, HICON icon, int cx, int cy, UINT flags = DI_NORMAL) {
        return ::DrawIconEx(m_hDC, x, y, icon, cx, cy, 0, NULL, flags);
    }
    // One frame (step) of an animated cursor; a flicker-free brush paints the ground first.
    BOOL DrawIcon(int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags) {
        return ::DrawIconEx(m_hDC, x, y, icon, cx, cy, step, flickerFree, flags);
    }
    // The inverted frame of a drag (thickness size), erasing the previous one (lpRectLast) in
    // the same pass; NULL brushes use the halftone pattern.
    void DrawDragRect(LPCRECT lpRect, SIZE size, LPCRECT lpRectLast, SIZE sizeLast, CBrush* pBrush = NULL,
                      CBrush* pBrushLast = NULL);
    static CBrush* PASCAL GetHalftoneBrush();
    CPoint SetBrushOrg(int x, int y) { POINT p = {}; ::SetBrushOrgEx(m_hDC, x, y, &p); return p; }
    CPoint GetBrushOrg() const { POINT p = {}; ::GetBrushOrgEx(m_hDC, &p); return p; }
    CPoint GetWindowOrg() const { POINT p = {}; ::GetWindowOrgEx(m_hDC, &p); return p; }
    CSize SetWindowExt(int cx, int cy) { SIZE s = {}; ::SetWindowExtEx(m_hDC, cx, cy, &s); return s; }
    CSize SetViewportExt(int cx, int cy) { SIZE s = {}; ::SetViewportExtEx(m_hDC, cx, cy, &s); return s; }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }
    UINT GetTextAlign() const { return ::GetTextAlign(m_hDC); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    BOOL PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
    BOOL RectVisible(LPCRECT rc) const { return ::RectVisible(m_hDC, rc); }
    BOOL GrayString(CBrush* brush, GRAYSTRINGPROC fn, LPARAM data, int count, int x, int y, int w, int h) {
        return ::GrayStringW(m_hDC, (HBRUSH)brush->GetSafeHandle(), fn, data, count, x, y, w, h);
    }
    BOOL DrawState(CPoint pt, CSize size, HICON icon, UINT flags, HBRUSH brush = NULL) {
        return ::DrawStateW(m_hDC, brush, NULL, (LPARAM)icon, 0, pt.x, pt.y, size.cx, size.cy, flags | DST_ICON);
    }
    BOOL DrawState(CPoint pt, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush = NULL) {
        return ::DrawStateW(m_hDC, brush, NULL, (LPARAM)bitmap, 0, pt.x, pt.y, size.cx, size.cy, flags | DST_BITMAP);
    }
    int GetTextFace(CString& face) const {
        wchar_t buf[LF_FACESIZE] = {};
        int n = ::GetTextFaceW(m_hDC, LF_FACESIZE, buf);
        face = buf;
        return n;
    }

    BOOL TextOut(int x, int y, LPCWSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
    BOOL TextOut(int x, int y, const CString& text) { return ::TextOutW(m_hDC, x, y, text, text.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rc, LPCWSTR text, UINT count, LPINT dx) {
        return ::ExtTextOutW(m_hDC, x, y, options, rc, text, count, dx);
    }
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rc, const CString& text, LPINT dx) {
        return ::ExtTextOutW(m_hDC, x, y, options, rc, text, (UINT)text.GetLength(), dx);
    }
    int DrawText(LPCWSTR text, int count, LPRECT rc, UINT format) { return ::DrawTextW(m_hDC, text, count, rc, format); }
    int DrawText(const CString& text, LPRECT rc, UINT format) { return ::DrawTextW(m_hDC, text, text.GetLength(), rc, format); }
    CSize GetTextExtent(LPCWSTR text, int count) const { SIZE s = {}; ::GetTextExtentPoint32W(m_hDC, text, count, &s); return s; }
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    CSize GetOutputTextExtent(const CString& text) const { return GetTextExtent(text); }
    BOOL GetTextMetrics(LPTEXTMETRICW tm) const { return ::GetTextMetricsW(m_hDC, tm); }

    HDC m_hDC = NULL;
    HDC m_hAttribDC = NULL;
    BOOL m_bPrinting = FALSE;
};

// The client area DC of a window, released with the owner.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    explicit CClientDC(HWND hWnd);
    ~CClientDC() override;
protected:
    HWND m_hWnd = NULL;
};

// The whole-window DC (frame included), released with the owner.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* pWnd);
    explicit CWindowDC(HWND hWnd);
    ~CWindowDC() override;
protected:
    HWND m_hWnd = NULL;
};

// BeginPaint in the constructor, EndPaint in the destructor; for WM_PAINT handlers.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    explicit CPaintDC(HWND hWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
protected:
    HWND m_hWnd = NULL;
};

// Selects an object into a DC and puts the previous one back when it goes out of scope.
class CGdiSelector {
public:
    CGdiSelector(HDC hDC, HGDIOBJ obj) : m_hDC(hDC), m_old(obj ? ::SelectObject(hDC, obj) : NULL) {}
    CGdiSelector(CDC& dc, CGdiObject* obj) : CGdiSelector(dc.m_hDC, obj ? obj->m_hObject : NULL) {}
    ~CGdiSelector() { Restore(); }
    CGdiSelector(const CGdiSelector&) = delete;
    CGdiSelector& operator=(const CGdiSelector&) = delete;
    void Restore() { if (m_old) ::SelectObject(m_hDC, m_old); m_old = NULL; }
    HGDIOBJ GetOld() const { return m_old; }
private:
    HDC m_hDC;
    HGDIOBJ m_old;
};
