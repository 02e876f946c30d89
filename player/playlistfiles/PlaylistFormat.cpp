// The plain playlist formats M3U and PLS (paths only), and the choice of format by extension.
#include "player/playlistfiles/PlaylistFormat.h"

#include <shlwapi.h>

#include <algorithm>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "engine/SystemHelpers.h"
#include "player/playlistfiles/PlayerFiles.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/settings/PlayerSettings.h"

using namespace playerfiles;

namespace {

const wchar_t kPlsSection[] = L"Playlist";
// The profile functions take at most this many characters of one section.
const DWORD MAX_PLS_SECTION_CHARS = 32 * 1024 * 1024;

CString LowerExtension(const wchar_t* path)
{
    CString ext(path ? PathFindExtensionW(path) : L"");
    ext.MakeLower();
    return ext;
}

bool AnyPathBeyondAnsi(const CPlaylistData& playlist)
{
    for (int i = 0; i < playlist.GetCount(); ++i)
        if (CMediaItem* item = playlist.GetAt(i))
            if (!FitsAnsiCodePage(item->Path))
                return true;
    return false;
}

// Bytes of 'text' in the ANSI code page, or, when some character would be lost there, in UTF-8
// after a byte-order mark (which readers of such lists recognise).
std::string EncodeListText(const CString& text, bool unicode)
{
    if (!unicode)
        return detail::Narrow(text.GetString(), text.GetLength(), CP_ACP);
    return "\xEF\xBB\xBF" + detail::Narrow(text.GetString(), text.GetLength(), CP_UTF8);
}

// The section as "key=value" lines; false when the file cannot be read or the section is too big.
bool ReadProfileSection(const CString& file, const wchar_t* section, std::vector<CString>& lines)
{
    std::vector<wchar_t> buf(64 * 1024);
    for (;;) {
        DWORD got = GetPrivateProfileSectionW(section, buf.data(), (DWORD)buf.size(), file);
        if (got < buf.size() - 2)
            break;
        if (buf.size() >= MAX_PLS_SECTION_CHARS)
            return false;
        buf.assign(buf.size() * 4, 0);
    }
    for (const wchar_t* p = buf.data(); *p; p += wcslen(p) + 1)
        lines.push_back(CString(p));
    return true;
}

// "File12" gives 12; anything else (other keys, "File012", "File0") gives 0.
int PlsEntryNumber(const CString& key)
{
    if (key.GetLength() < 5 || key.GetLength() > 14 || _wcsnicmp(key, L"File", 4) != 0 || key[4] == L'0')
        return 0;
    long long n = 0;
    for (int i = 4; i < key.GetLength(); ++i) {
        if (key[i] < L'0' || key[i] > L'9')
            return 0;
        n = n * 10 + (key[i] - L'0');
    }
    return n > 0x7FFFFFFF ? 0 : (int)n;
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsAsciiLetterOrDigit(wchar_t c)
{
    return IsAsciiLetter(c) || (c >= L'0' && c <= L'9');
}

// An address names its scheme before "://" (http://, rtsp://, file:///); a scheme of one letter
// would be a drive.
bool HasAddressScheme(const CString& line)
{
    const int end = line.Find(L"://");
    if (end < 2 || !IsAsciiLetter(line[0]))
        return false;
    for (int i = 1; i < end; ++i) {
        const wchar_t c = line[i];
        if (!IsAsciiLetterOrDigit(c) && c != L'+' && c != L'-' && c != L'.')
            return false;
    }
    return true;
}

// "clip.mp4" and "Track 01.flac" have one; "and/or", "etc." and "v2.0 beta" have none.
bool HasFileExtension(const CString& name)
{
    const int dot = name.ReverseFind(L'.');
    if (dot < 0 || dot + 1 >= name.GetLength())
        return false;
    for (int i = dot + 1; i < name.GetLength(); ++i)
        if (!IsAsciiLetterOrDigit(name[i]))
            return false;
    return true;
}

// A name whose extension the file-type table lists as something the player plays.
bool IsMediaFileName(const CString& name)
{
    CPlayerSettings* settings = GetPlayerSettings();
    const wchar_t* ext = PathFindExtensionW(name);
    return settings && *ext && !IsPlaylistFile(name) && settings->FindFileType(ext) != nullptr;
}

// Whether a line of a plain list can name anything at all: an address, a path from a drive or a
// share, a relative path through folders to a named file, or the name of a media file beside the
// list. Anything else (prose, or the bytes of some other file read as text) is no entry: opened,
// it would only put junk in place of the user's playlist. Control characters and the characters
// no path may hold make no name either.
bool IsPossibleEntry(const CString& line)
{
    for (int i = 0; i < line.GetLength(); ++i) {
        wchar_t c = line[i];
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return false;
    }
    if (HasAddressScheme(line))
        return true;
    // "\\?\" and "\\.\" are the prefixes of long and device paths.
    int from = (line.Left(4) == L"\\\\?\\" || line.Left(4) == L"\\\\.\\") ? 4 : 0;
    for (int i = from; i < line.GetLength(); ++i) {
        wchar_t c = line[i];
        if (wcschr(L"<>\"|?*", c))
            return false;
        if (c == L':' && i != from + 1)
            return false;
    }
    const bool drive = line.GetLength() >= from + 3 && IsAsciiLetter(line[from]) && line[from + 1] == L':' &&
                       (line[from + 2] == L'\\' || line[from + 2] == L'/');
    const bool share = line.Left(2) == L"\\\\";
    if (drive || share)
        return true;
    const int slash = std::max(line.ReverseFind(L'\\'), line.ReverseFind(L'/'));
    if (slash >= 0)
        return HasFileExtension(line.Mid(slash + 1));
    return IsMediaFileName(line);
}

// Text files hold no NUL character: a list that does is some other file under a list's name.
bool HoldsNul(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] == 0)
            return true;
    return false;
}

// The profile functions drop one pair of quotes around a value.
CString Unquoted(CString value)
{
    value.Trim();
    if (value.GetLength() >= 2 && value[0] == L'"' && value[value.GetLength() - 1] == L'"')
        value = value.Mid(1, value.GetLength() - 2);
    return value;
}

}  // namespace

// M3U ---------------------------------------------------------------------------------------------

int CM3uPlaylistFormat::Load(const wchar_t* path, CPlaylistData& playlist)
{
    try {
        std::string bytes;
        if (!path || !*path || !ReadWholeFile(path, bytes))
            return -1;
        CString text = DecodeText(bytes.data(), bytes.size());
        bytes.clear();
        if (HoldsNul(text))
            return -1;
        CString folder = GetParentFolder(GetFullPath(path));
        int start = 0;
        while (start < text.GetLength()) {
            int end = text.Find(L'\n', start);
            if (end < 0)
                end = text.GetLength();
            CString line = text.Mid(start, end - start);
            start = end + 1;
            line.Trim();
            if (line.IsEmpty() || line[0] == L'#' || !IsPossibleEntry(line))
                continue;
            if (!playlist.AddPath(ResolveEntry(line, folder)))
                return -1;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CM3uPlaylistFormat::Save(const wchar_t* path, const CPlaylistData& playlist, int)
{
    if (!path || !*path)
        return -1;
    CString text;
    for (int i = 0; i < playlist.GetCount(); ++i) {
        CMediaItem* item = playlist.GetAt(i);
        if (item && !item->Path.IsEmpty())
            text += item->Path + L"\r\n";
    }
    std::string bytes = EncodeListText(text, AnyPathBeyondAnsi(playlist));
    return WriteFileReplacing(path, bytes.data(), bytes.size()) ? 0 : -1;
}

// PLS ---------------------------------------------------------------------------------------------

int CPlsPlaylistFormat::Load(const wchar_t* path, CPlaylistData& playlist)
{
    try {
        // A relative name would send the profile functions to the Windows folder.
        CString file = GetFullPath(path);
        if (file.IsEmpty() || !IsExistingFile(file) || GetFileSize64(file) > MAX_PLAYLIST_FILE_SIZE)
            return -1;
        int count = (int)GetPrivateProfileIntW(kPlsSection, L"NumberOfEntries", -1, file);
        if (count < 0)
            return -1;
        std::vector<CString> lines;
        if (!ReadProfileSection(file, kPlsSection, lines))
            return -1;
        // The entries "File1" .. "File<count>" in number order; a count far beyond the keys the
        // file has costs nothing, and the first of two equal keys counts, as in the profile.
        std::map<int, CString> entries;
        for (const CString& line : lines) {
            int eq = line.Find(L'=');
            if (eq <= 0)
                continue;
            CString key = line.Left(eq);
            key.Trim();
            int n = PlsEntryNumber(key);
            if (n >= 1 && n <= count && entries.find(n) == entries.end())
                entries[n] = Unquoted(line.Mid(eq + 1));
        }
        CString folder = GetParentFolder(file);
        for (const auto& entry : entries) {
            if (entry.second.IsEmpty() || !IsPossibleEntry(entry.second))
                continue;
            if (!playlist.AddPath(ResolveEntry(entry.second, folder)))
                return -1;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CPlsPlaylistFormat::Save(const wchar_t* path, const CPlaylistData& playlist, int)
{
    CString file = GetFullPath(path);
    if (file.IsEmpty())
        return -1;
    bool unicode = AnyPathBeyondAnsi(playlist);
    // Other sections of an existing file are kept: the new file starts as a copy of it. The
    // profile functions write UTF-16 only into a file that already is UTF-16.
    std::string bytes;
    if (IsExistingFile(file)) {
        if (!ReadWholeFile(file, bytes))
            return -1;
    }
    bool isUtf16 = bytes.size() >= 2 && (BYTE)bytes[0] == 0xFF && (BYTE)bytes[1] == 0xFE;
    if (unicode && !isUtf16) {
        CString text = DecodeText(bytes.data(), bytes.size());
        bytes.assign("\xFF\xFE", 2);
        bytes.append(reinterpret_cast<const char*>(text.GetString()), text.GetLength() * sizeof(wchar_t));
    }
    CString temp = MakeSiblingTempPath(file);
    if (!WriteNewFile(temp, bytes.data(), bytes.size()))
        return -1;

    std::vector<wchar_t> section;
    CString line;
    line.Format(L"NumberOfEntries=%d", playlist.GetCount());
    section.insert(section.end(), line.GetString(), line.GetString() + line.GetLength() + 1);
    for (int i = 0; i < playlist.GetCount(); ++i) {
        CMediaItem* item = playlist.GetAt(i);
        line.Format(L"File%d=%s", i + 1, item ? item->Path.GetString() : L"");
        section.insert(section.end(), line.GetString(), line.GetString() + line.GetLength() + 1);
    }
    section.push_back(0);
    bool ok = WritePrivateProfileStringW(kPlsSection, nullptr, nullptr, temp) != FALSE || IsExistingFile(temp);
    ok = ok && WritePrivateProfileSectionW(kPlsSection, section.data(), temp);
    const DWORD error = ok ? 0 : GetLastError();
    // Makes the profile functions let go of the file before it moves.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, temp);
    if (!ok) {
        DeleteFileW(temp);
        SetLastError(error);
        return -1;
    }
    return MoveIntoPlace(temp, file) ? 0 : -1;
}

// Choice by extension -----------------------------------------------------------------------------

CPlaylistFormat* CreatePlaylistFormat(const wchar_t* path)
{
    CString ext = LowerExtension(path);
    if (ext == L".playlist")
        return new (std::nothrow) CXmlPlaylistFormat;
    if (ext == L".m3u")
        return new (std::nothrow) CM3uPlaylistFormat;
    if (ext == L".pls")
        return new (std::nothrow) CPlsPlaylistFormat;
    return nullptr;
}

bool IsPlaylistFile(const wchar_t* path)
{
    CString ext = LowerExtension(path);
    return ext == L".playlist" || ext == L".m3u" || ext == L".pls";
}
