// File helpers of the player's files.
#include "player/playlistfiles/PlayerFiles.h"

#include <shlwapi.h>

#include <string>
#include <vector>

#include "engine/SystemHelpers.h"
#include "framework/Handles.h"

namespace playerfiles {

CString GetFullPath(LPCWSTR path)
{
    if (!path || !*path)
        return CString();
    DWORD need = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (need == 0)
        return CString();
    std::vector<wchar_t> buf(need + 1);
    DWORD got = GetFullPathNameW(path, (DWORD)buf.size(), buf.data(), nullptr);
    if (got == 0 || got >= buf.size())
        return CString();
    return CString(buf.data());
}

CString ResolveEntry(LPCWSTR entry, LPCWSTR folder)
{
    if (!entry || !*entry || PathIsURLW(entry) || !PathIsRelativeW(entry) || !folder || !*folder)
        return CString(entry ? entry : L"");
    // "\dir\file" and "C:file" are not relative to the playlist's folder but to a drive.
    if (entry[0] == L'\\' || entry[0] == L'/' || (entry[0] && entry[1] == L':'))
        return CString(entry);
    CString joined(folder);
    joined.TrimRight(L'\\');
    joined += L"\\";
    joined += entry;
    CString full = GetFullPath(joined);
    return full.IsEmpty() ? CString(entry) : full;
}

CString MakeSiblingTempPath(LPCWSTR target)
{
    CString folder = GetParentFolder(target);
    CString guid;
    NewGuidString(guid);
    CString path;
    if (folder.IsEmpty())
        path.Format(L"~%s.tmp", guid.GetString());
    else
        path.Format(L"%s\\~%s.tmp", folder.GetString(), guid.GetString());
    return path;
}

void DeleteKeepingError(LPCWSTR path)
{
    const DWORD error = GetLastError();
    DeleteFileW(path);
    SetLastError(error);
}

bool MoveIntoPlace(LPCWSTR temp, LPCWSTR target)
{
    // A file the user made read-only is kept: not every file system refuses the move over it.
    const DWORD attributes = GetFileAttributesW(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        DeleteFileW(temp);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteKeepingError(temp);
    return false;
}

bool WriteNewFile(LPCWSTR path, const void* bytes, size_t size)
{
    bool ok;
    DWORD error = 0;
    {
        CHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return false;
        const BYTE* p = static_cast<const BYTE*>(bytes);
        size_t left = size;
        ok = true;
        while (ok && left > 0) {
            DWORD chunk = left > (1u << 20) ? (1u << 20) : (DWORD)left;
            DWORD written = 0;
            ok = WriteFile(file, p, chunk, &written, nullptr) && written == chunk;
            // A short write without an error is a full disk.
            if (!ok)
                error = GetLastError() ? GetLastError() : (DWORD)ERROR_DISK_FULL;
            p += chunk;
            left -= chunk;
        }
        if (ok && !FlushFileBuffers(file)) {
            ok = false;
            error = GetLastError();
        }
    }
    if (!ok) {
        DeleteFileW(path);
        SetLastError(error);
    }
    return ok;
}

bool WriteFileReplacing(LPCWSTR target, const void* bytes, size_t size)
{
    CString temp = MakeSiblingTempPath(target);
    return WriteNewFile(temp, bytes, size) && MoveIntoPlace(temp, target);
}

bool ReadWholeFile(LPCWSTR path, std::string& bytes, __int64 limit)
{
    bytes.clear();
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > limit)
        return false;
    bytes.resize((size_t)size.QuadPart);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = (DWORD)std::min<size_t>(bytes.size() - done, 1u << 20);
        if (!ReadFile(file, &bytes[done], want, &got, nullptr))
            return false;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return true;
}

bool FitsAnsiCodePage(const CString& text)
{
    if (text.IsEmpty())
        return true;
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.GetString(), text.GetLength(), nullptr, 0,
                                nullptr, &lost);
    return n > 0 && !lost;
}

CString DecodeText(const char* bytes, size_t size)
{
    // UTF-16 with its mark, as editors save "Unicode" text; a last odd byte is no character.
    if (size >= 2 && (((BYTE)bytes[0] == 0xFF && (BYTE)bytes[1] == 0xFE) || ((BYTE)bytes[0] == 0xFE && (BYTE)bytes[1] == 0xFF))) {
        const bool bigEndian = (BYTE)bytes[0] == 0xFE;
        std::wstring text;
        text.reserve((size - 2) / 2);
        for (size_t i = 2; i + 1 < size; i += 2) {
            const BYTE a = (BYTE)bytes[i], b = (BYTE)bytes[i + 1];
            text += (wchar_t)(bigEndian ? (a << 8) | b : (b << 8) | a);
        }
        return CString(text.c_str(), (int)text.size());
    }
    if (size >= 3 && (BYTE)bytes[0] == 0xEF && (BYTE)bytes[1] == 0xBB && (BYTE)bytes[2] == 0xBF)
        return CString(detail::Widen(bytes + 3, (int)(size - 3), CP_UTF8));
    bool ascii = true;
    for (size_t i = 0; i < size && ascii; ++i)
        ascii = (BYTE)bytes[i] < 0x80;
    if (!ascii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, (int)size, nullptr, 0) > 0)
        return CString(detail::Widen(bytes, (int)size, CP_UTF8));
    return CString(detail::Widen(bytes, (int)size, CP_ACP));
}

}  // namespace playerfiles
