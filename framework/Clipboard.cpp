// The clipboard opener and its text transfer.
#include "framework/Clipboard.h"

#include <string.h>

CClipboard::CClipboard(HWND hWndOwner, DWORD dwTimeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (::OpenClipboard(hWndOwner)) {
            m_bOpen = true;
            return;
        }
        if (::GetTickCount() - start >= dwTimeoutMs) return;
        ::Sleep(10);
    }
}

void CClipboard::Close()
{
    if (m_bOpen) ::CloseClipboard();
    m_bOpen = false;
}

BOOL CClipboard::SetText(const CString& text)
{
    if (!m_bOpen || !::EmptyClipboard()) return FALSE;
    size_t bytes = ((size_t)text.GetLength() + 1) * sizeof(wchar_t);
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return FALSE;
    void* p = ::GlobalLock(mem);
    if (!p) {
        ::GlobalFree(mem);
        return FALSE;
    }
    memcpy(p, (LPCWSTR)text, bytes);
    ::GlobalUnlock(mem);
    // On success the clipboard owns the memory; otherwise it is still ours to free.
    if (!::SetClipboardData(CF_UNICODETEXT, mem)) {
        ::GlobalFree(mem);
        return FALSE;
    }
    return TRUE;
}

BOOL CClipboard::GetText(CString& text) const
{
    text.Empty();
    if (!m_bOpen) return FALSE;
    HANDLE mem = ::GetClipboardData(CF_UNICODETEXT);
    if (!mem) return FALSE;
    const wchar_t* p = (const wchar_t*)::GlobalLock(mem);
    if (!p) return FALSE;
    // The block may be larger than the text, or (from a careless program) lack the terminator.
    size_t maxChars = ::GlobalSize(mem) / sizeof(wchar_t);
    text = CString(p, (int)wcsnlen(p, maxChars));
    ::GlobalUnlock(mem);
    return TRUE;
}

BOOL AfxSetClipboardText(HWND hWndOwner, const CString& text)
{
    CClipboard clip(hWndOwner);
    return clip.SetText(text);
}

BOOL AfxGetClipboardText(HWND hWndOwner, CString& text)
{
    CClipboard clip(hWndOwner);
    return clip.GetText(text);
}
