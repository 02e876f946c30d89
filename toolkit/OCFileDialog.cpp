// The programs' common file dialog.
#include "toolkit/OCFileDialog.h"

#include <algorithm>

COCFileDialog::COCFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                             LPCWSTR lpszFilter, CWnd* pParentWnd, DWORD dwSize)
    : CFileDialog(bOpenFileDialog, lpszDefExt, NULL, dwFlags, lpszFilter, pParentWnd, dwSize)
{
    m_fileBuffer.assign(kBufferChars + 1, L'\0');
    if (lpszFileName) lstrcpynW(m_fileBuffer.data(), lpszFileName, (int)kBufferChars + 1);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = kBufferChars;
    // A size beyond the record would have the system read and write past it.
    m_ofn.lStructSize = dwSize ? std::min<DWORD>(dwSize, sizeof(OPENFILENAMEW)) : DefaultStructSize();
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    // A template of the caller's has a layout of its own that the sizing would break.
    if (dwFlags & OFN_ENABLETEMPLATE) m_ofn.Flags &= ~OFN_ENABLESIZING;
}

DWORD COCFileDialog::DefaultStructSize()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (known && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4) return sizeof(OPENFILENAMEW);
    return OPENFILENAME_SIZE_VERSION_400W;
}

INT_PTR COCFileDialog::DoModal()
{
    if (m_ofn.lpstrFile == m_fileBuffer.data()) {
        const size_t used = TextEnd(0, L'\0');
        std::fill(m_fileBuffer.begin() + (ptrdiff_t)used, m_fileBuffer.end(), L'\0');
    }
    HWND hOwner = PreModalOwner();
    m_ofn.hwndOwner = hOwner;
    const bool enableOwner = hOwner && ::IsWindowEnabled(hOwner);
    if (enableOwner) ::EnableWindow(hOwner, FALSE);
    HWND focus = ::GetFocus();
    const BOOL ok = FwFileDialog(&m_ofn, m_bOpenFileDialog);
    if (m_hWnd) Detach();
    if (enableOwner) ::EnableWindow(hOwner, TRUE);
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    return ok ? IDOK : IDCANCEL;
}

void COCFileDialog::OnInitDone()
{
    HWND dialog = m_hWnd ? ::GetParent(m_hWnd) : NULL;
    if (!dialog) return;
    CWnd* owner = CWnd::FromHandle(::GetWindow(dialog, GW_OWNER));
    CWnd::FromHandle(dialog)->CenterWindow(owner);
}

size_t COCFileDialog::TextEnd(size_t from, wchar_t separator) const
{
    const wchar_t* buffer = m_ofn.lpstrFile;
    const size_t limit = m_ofn.nMaxFile;
    size_t i = from;
    while (i < limit && buffer[i] && buffer[i] != separator) ++i;
    return i;
}

CString COCFileDialog::GetPathName() const
{
    if (m_hWnd && (m_ofn.Flags & OFN_EXPLORER)) {
        HWND dialog = ::GetParent(m_hWnd);
        // The name in the edit box: only while one is typed does the dialog's own path stand.
        wchar_t typedName[MAX_PATH + 1] = {};
        if (::SendMessageW(dialog, CDM_GETSPEC, MAX_PATH, (LPARAM)typedName) > 0 && typedName[0]) {
            wchar_t path[MAX_PATH + 1] = {};
            if (::SendMessageW(dialog, CDM_GETFILEPATH, MAX_PATH, (LPARAM)path) > 0) return CString(path);
        }
    }
    if (!m_ofn.lpstrFile) return CString();
    return CString(m_ofn.lpstrFile, (int)TextEnd(0, L'\0'));
}

POSITION COCFileDialog::GetStartPosition() const
{
    return m_ofn.lpstrFile && m_ofn.nMaxFile && m_ofn.lpstrFile[0] ? (POSITION)m_ofn.lpstrFile : NULL;
}

CString COCFileDialog::GetNextPathName(POSITION& pos) const
{
    const wchar_t* buffer = m_ofn.lpstrFile;
    const wchar_t* p = reinterpret_cast<const wchar_t*>(pos);
    const size_t limit = m_ofn.nMaxFile;
    if (!p || !buffer || p < buffer || p >= buffer + limit) {
        pos = NULL;
        return CString();
    }
    const bool explorer = (m_ofn.Flags & OFN_EXPLORER) != 0;
    const wchar_t separator = explorer ? L'\0' : L' ';
    const size_t folderEnd = TextEnd(0, separator);
    const bool more = explorer ? folderEnd + 1 < limit && buffer[folderEnd + 1] : folderEnd < limit && buffer[folderEnd] == L' ';
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || !more) {
        // One full path.
        pos = NULL;
        return CString(buffer, (int)TextEnd(0, L'\0'));
    }
    size_t nameStart = (size_t)(p - buffer);
    if (nameStart == 0) nameStart = folderEnd + 1;
    while (!explorer && nameStart < limit && buffer[nameStart] == L' ') ++nameStart;
    if (nameStart >= limit || !buffer[nameStart]) {
        pos = NULL;
        return CString(buffer, (int)folderEnd);
    }
    const size_t nameEnd = TextEnd(nameStart, separator);
    CString folder(buffer, (int)folderEnd);
    CString name(buffer + nameStart, (int)(nameEnd - nameStart));
    size_t next = explorer ? nameEnd + 1 : nameEnd;
    while (!explorer && next < limit && buffer[next] == L' ') ++next;
    pos = next < limit && buffer[next] ? (POSITION)(buffer + next) : NULL;
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != L'\\' && folder[folder.GetLength() - 1] != L'/')
        folder += L'\\';
    return folder + name;
}
