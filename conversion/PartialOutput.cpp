// The unfinished output beside the destination, what a failed encoder could not write, and the
// finished output's move into place.
#include "conversion/PartialOutput.h"

#include <shlwapi.h>
#include <wctype.h>

#include <algorithm>
#include <string>

#include "conversion/MediaConvertRunner.h"
#include "engine/SystemHelpers.h"
#include "framework/Handles.h"

namespace {

FreeSpaceQueryFn g_freeSpaceQuery = nullptr;

// An encoder that ran out of room stops at its next buffered write, so a volume with less than
// this left after a failure is one the output did not fit on.
const __int64 kRoomNeededBytes = 1024 * 1024;

// The failures of a move or a creation that say the name is taken.
bool IsNameTaken(DWORD error)
{
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// Removes a file, retrying while a tool that is ending still holds it. A file of the runner's
// own that was made read-only meanwhile goes as well.
void DeleteWithRetry(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    CTempFile file(path, TRUE, TRUE);
}

// Removes an empty folder, retrying while another program (an indexer, a window showing the
// folder) still has it open.
void RemoveFolderWithRetry(const CString& path)
{
    for (int tries = 0; !RemoveDirectoryW(path) && PathIsDirectoryW(path) && tries < 50; ++tries)
        Sleep(100);
}

// The files of a folder (not its subfolders), by name.
std::vector<CString> FilesIn(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder + L"\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// A playlist's text as UTF-8 (both kinds are); empty when it cannot be read. A playlist is small:
// anything past the first 16 MB is not looked at.
CString ReadPlaylistText(const CString& path)
{
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid())
        return CString();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (bytes.size() < (16u << 20) && ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    if (bytes.empty())
        return CString();
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &wide[0], n);
    return CString(wide.c_str(), n > 0 ? n : 0);
}

// The text of an XML attribute value with its entities read.
CString UnescapeXml(const CString& value)
{
    CString out;
    for (int i = 0; i < value.GetLength(); ++i) {
        const int end = value[i] == L'&' ? value.Find(L';', i) : -1;
        if (end < 0) {
            out += value[i];
            continue;
        }
        const CString entity = value.Mid(i + 1, end - i - 1);
        if (entity == L"amp") out += L'&';
        else if (entity == L"lt") out += L'<';
        else if (entity == L"gt") out += L'>';
        else if (entity == L"quot") out += L'"';
        else if (entity == L"apos") out += L'\'';
        else if (entity.GetLength() > 1 && entity[0] == L'#')
            out += (wchar_t)(entity[1] == L'x' ? wcstoul(entity.Mid(2), nullptr, 16) : wcstoul(entity.Mid(1), nullptr, 10));
        else
            out += L"&" + entity + L";";
        i = end;
    }
    return out;
}

// The values of every attribute 'name' in the XML text.
void AddAttributeValues(const CString& text, LPCWSTR name, std::vector<CString>& values)
{
    const CString opening = CString(name) + L"=\"";
    for (int at = text.Find(opening); at >= 0; at = text.Find(opening, at + 1)) {
        if (at > 0 && !iswspace(text[at - 1]))
            continue;
        const int start = at + opening.GetLength(), end = text.Find(L'"', start);
        if (end < 0)
            return;
        values.push_back(UnescapeXml(text.Mid(start, end - start)));
    }
}

// A name of a file beside the playlist: no address, no path into another folder.
bool IsPlainName(const CString& name)
{
    return !name.IsEmpty() && name.FindOneOf(L"/\\:?*\"<>|") < 0 && name != L"." && name != L"..";
}

// Whether a DASH name template fits the file name: "$$" is a '$', every other "$Name$" or
// "$Name%05d$" stands for one or more characters, digits only but for the representation's id.
bool TemplateFits(LPCWSTR pattern, LPCWSTR name)
{
    while (*pattern) {
        if (*pattern == L'$' && pattern[1] == L'$') {
            if (*name != L'$')
                return false;
            pattern += 2;
            ++name;
            continue;
        }
        const wchar_t* close = *pattern == L'$' ? wcschr(pattern + 1, L'$') : nullptr;
        if (close) {
            CString identifier(pattern + 1, (int)(close - pattern - 1));
            const int format = identifier.Find(L'%');
            if (format >= 0)
                identifier = identifier.Left(format);
            const bool digits = identifier != L"RepresentationID";
            pattern = close + 1;
            for (int k = 1; name[k - 1] && (!digits || iswdigit(name[k - 1])); ++k)
                if (TemplateFits(pattern, name + k))
                    return true;
            return false;
        }
        if (towlower(*pattern) != towlower(*name))
            return false;
        ++pattern;
        ++name;
    }
    return *name == 0;
}

}  // namespace

FreeSpaceQueryFn SetFreeSpaceQueryForTests(FreeSpaceQueryFn fn)
{
    const FreeSpaceQueryFn previous = g_freeSpaceQuery;
    g_freeSpaceQuery = fn;
    return previous;
}

namespace detail {

CString FittedName(const CString& name, int n, LPCWSTR suffix)
{
    CString tail;
    if (n > 0)
        tail.Format(L" (%d)", n);
    tail += suffix;
    const int room = kMaxNameLength - tail.GetLength();
    if (name.GetLength() <= room)
        return name + tail;
    // A cut never parts the two halves of a character beyond the 16-bit range.
    const int kept = room > 0 && IS_HIGH_SURROGATE(name[room - 1]) ? room - 1 : room;
    return name.Left(kept) + tail;
}

// ---------------------------------------------------------------------------------------------

CPlaylistParts::CPlaylistParts(const CString& playlistPath)
{
    const CString text = ReadPlaylistText(playlistPath);
    const int dot = playlistPath.ReverseFind(L'.');
    m_templates = dot >= 0 && playlistPath.Mid(dot).CompareNoCase(L".mpd") == 0;
    std::vector<CString> found;
    if (m_templates) {
        for (LPCWSTR attribute : {L"initialization", L"media", L"sourceURL"})
            AddAttributeValues(text, attribute, found);
    } else {
        // Every line that is no tag names a part; of the tags, those that name a file by "URI=".
        for (int start = 0; start < text.GetLength();) {
            int end = text.Find(L'\n', start);
            if (end < 0)
                end = text.GetLength();
            CString line = text.Mid(start, end - start);
            start = end + 1;
            line.Trim();
            if (line.IsEmpty())
                continue;
            if (line[0] != L'#') {
                found.push_back(line);
                continue;
            }
            const int uri = line.Find(L"URI=\"");
            const int close = uri >= 0 ? line.Find(L'"', uri + 5) : -1;
            if (close > uri + 5)
                found.push_back(line.Mid(uri + 5, close - uri - 5));
        }
    }
    for (const CString& name : found)
        if (IsPlainName(name))
            m_names.push_back(name);
}

bool CPlaylistParts::Names(const CString& fileName) const
{
    for (const CString& name : m_names)
        if (m_templates ? TemplateFits(name, fileName) : name.CompareNoCase(fileName) == 0)
            return true;
    return false;
}

// ---------------------------------------------------------------------------------------------

CPartialOutput::CPartialOutput(const CString& target, bool severalFiles) : m_severalFiles(severalFiles)
{
    const int slash = target.ReverseFind(L'\\');
    m_folder = slash >= 0 ? target.Left(slash) : CString();
    m_name = slash >= 0 ? target.Mid(slash + 1) : target;
}

CPartialOutput::~CPartialOutput()
{
    if (!m_created)
        return;
    if (!m_severalFiles) {
        DeleteWithRetry(m_path);
        return;
    }
    for (const CString& name : FilesIn(m_path))
        DeleteWithRetry(m_path + L"\\" + name);
    RemoveFolderWithRetry(m_path);
}

bool CPartialOutput::Create()
{
    for (int n = 0;; ++n) {
        m_path = m_folder + L"\\" + FittedName(m_name, n, L".part");
        bool made;
        if (m_severalFiles) {
            made = CreateDirectoryW(m_path, nullptr) != FALSE;
        } else {
            CHandle file(CreateFileW(m_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            made = file.IsValid();
        }
        if (made)
            return m_created = true;
        if (!IsNameTaken(GetLastError()))
            return false;
    }
}

CString CPartialOutput::Written() const
{
    return m_severalFiles ? m_path + L"\\" + m_name : m_path;
}

CString CPartialOutput::ForEncoder() const
{
    CString path = Written();
    if (m_severalFiles)
        path.Replace(L'\\', L'/');
    return path;
}

__int64 CPartialOutput::Size() const
{
    if (!m_severalFiles)
        return GetFileSize64(m_path);
    __int64 total = 0;
    for (const CString& name : FilesIn(m_path))
        total += std::max<__int64>(0, GetFileSize64(m_path + L"\\" + name));
    return total;
}

bool CPartialOutput::CannotBeWritten() const
{
    if (!PathIsDirectoryW(m_folder))
        return true;
    if (m_severalFiles) {
        if (!PathIsDirectoryW(m_path))
            return true;
        // A folder closed to new files: a file made there and gone when closed tells.
        CHandle check(CreateFileW(m_path + L"\\write check", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!check.IsValid() && !IsNameTaken(GetLastError()))
            return true;
    }
    const CString file = Written();
    const DWORD attributes = GetFileAttributesW(file);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return true;
        CHandle open(CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        if (!open.IsValid())
            return true;
    } else if (!m_severalFiles) {
        // The file made for the encoder is gone: its folder was emptied or made anew.
        return true;
    }
    ULARGE_INTEGER available;
    const FreeSpaceQueryFn query = g_freeSpaceQuery ? g_freeSpaceQuery : &GetDiskFreeSpaceExW;
    return query(m_folder + L"\\", &available, nullptr, nullptr) && available.QuadPart < (ULONGLONG)kRoomNeededBytes;
}

bool CPartialOutput::Moved(BOOL moved)
{
    if (moved)
        m_created = false;
    return moved != FALSE;
}

CString CPartialOutput::Place(bool replace)
{
    if (!m_severalFiles) {
        if (replace)
            return Moved(MoveFileExW(m_path, Target(), MOVEFILE_REPLACE_EXISTING)) ? Target() : CString();
        return PlaceBeside(true);
    }
    std::vector<CString> segments;
    for (const CString& name : FilesIn(m_path))
        if (name.CompareNoCase(m_name) != 0)
            segments.push_back(name);
    const DWORD attributes = GetFileAttributesW(Target());
    const bool playlistThere = attributes != INVALID_FILE_ATTRIBUTES;
    if (playlistThere && (!replace || (attributes & FILE_ATTRIBUTE_DIRECTORY)))
        return PlaceBeside(false);
    // What the new set may replace: the old playlist and the parts it names. A file under a
    // segment's name that it does not name belongs to another output.
    std::vector<CString> replaced;
    if (playlistThere)
        replaced.push_back(m_name);
    const CPlaylistParts oldParts(playlistThere ? Target() : CString());
    for (const CString& name : segments) {
        if (!PathFileExistsW(m_folder + L"\\" + name))
            continue;
        if (!playlistThere || !oldParts.Names(name))
            return PlaceBeside(false);
        replaced.push_back(name);
    }
    return MoveSetIntoPlace(segments, replaced);
}

CString CPartialOutput::PlaceBeside(bool tryOwnName)
{
    const int dot = m_name.ReverseFind(L'.');
    const CString title = dot >= 0 ? m_name.Left(dot) : m_name;
    const CString extension = m_severalFiles || dot < 0 ? CString() : m_name.Mid(dot);
    if (tryOwnName) {
        if (Moved(MoveFileExW(m_path, Target(), 0)))
            return Target();
        if (!IsNameTaken(GetLastError()))
            return CString();
    }
    // A name taken between the look and the move is passed over: the move never replaces.
    for (int n = 1; n < 100000; ++n) {
        const CString path = m_folder + L"\\" + FittedName(title, n, extension);
        if (PathFileExistsW(path))
            continue;
        if (Moved(MoveFileExW(m_path, path, 0)))
            return m_severalFiles ? path + L"\\" + m_name : path;
        if (!IsNameTaken(GetLastError()))
            return CString();
    }
    return CString();
}

CString CPartialOutput::MoveSetIntoPlace(const std::vector<CString>& segments, const std::vector<CString>& replaced)
{
    // The files replaced go into a folder of their own first, the playlist before its parts, so
    // that an old playlist never names a part that is gone.
    CString backup;
    for (int n = 0; !replaced.empty() && backup.IsEmpty(); ++n) {
        const CString folder = m_folder + L"\\" + FittedName(m_name, n, L".old");
        if (CreateDirectoryW(folder, nullptr))
            backup = folder;
        else if (!IsNameTaken(GetLastError()) || n > 1000)
            return CString();
    }
    std::vector<CString> aside, moved;
    bool whole = true;
    for (const CString& name : replaced) {
        if (!MoveFileExW(m_folder + L"\\" + name, backup + L"\\" + name, 0)) {
            whole = false;
            break;
        }
        aside.push_back(name);
    }
    // The playlist last: it never names a segment that is not there yet.
    std::vector<CString> order = segments;
    order.push_back(m_name);
    for (size_t i = 0; whole && i < order.size(); ++i) {
        if (!MoveFileExW(m_path + L"\\" + order[i], m_folder + L"\\" + order[i], 0)) {
            whole = false;
            break;
        }
        moved.push_back(order[i]);
    }
    if (!whole) {
        // As it was: the new files back into their folder (this object removes them), the old
        // ones under their names. An old file that cannot go back stays in the backup folder.
        for (auto it = moved.rbegin(); it != moved.rend(); ++it)
            if (!MoveFileExW(m_folder + L"\\" + *it, m_path + L"\\" + *it, 0))
                DeleteWithRetry(m_folder + L"\\" + *it);
        bool restored = true;
        for (auto it = aside.rbegin(); it != aside.rend(); ++it)
            restored = MoveFileExW(backup + L"\\" + *it, m_folder + L"\\" + *it, 0) && restored;
        if (restored && !backup.IsEmpty())
            RemoveFolderWithRetry(backup);
        return CString();
    }
    for (const CString& name : aside)
        DeleteWithRetry(backup + L"\\" + name);
    if (!backup.IsEmpty())
        RemoveFolderWithRetry(backup);
    // The folder the set was written in is empty now: it goes with this object, retried while
    // another program still has it open.
    return Target();
}

}  // namespace detail
