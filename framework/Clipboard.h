// The clipboard: an RAII opener and Unicode text helpers.
#pragma once

#include "framework/String.h"

#include <windows.h>

// Opens the clipboard for hWndOwner (retrying briefly while another program holds it) and
// closes it with the owner.
class CClipboard {
public:
    explicit CClipboard(HWND hWndOwner, DWORD dwTimeoutMs = 500);
    ~CClipboard() { Close(); }
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;

    bool IsOpen() const { return m_bOpen; }
    void Close();
    BOOL Empty() { return m_bOpen && ::EmptyClipboard(); }
    // Replaces the clipboard's content with the text (CF_UNICODETEXT).
    BOOL SetText(const CString& text);
    // FALSE when there is no text.
    BOOL GetText(CString& text) const;

private:
    bool m_bOpen = false;
};

// One-call forms: open, act, close.
BOOL AfxSetClipboardText(HWND hWndOwner, const CString& text);
BOOL AfxGetClipboardText(HWND hWndOwner, CString& text);
