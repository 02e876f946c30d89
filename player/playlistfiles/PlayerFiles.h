// File helpers of the player's files: full paths, text encodings at the file's edge, and writing
// a file the user keeps through a temporary file beside it that is moved into place.
#pragma once

#include <windows.h>

#include <string>

#include "framework/String.h"

namespace playerfiles {

// Files larger than this are refused by the readers: a playlist never needs it, and a 32-bit
// process must not spend its address space on a hostile file.
const __int64 MAX_PLAYLIST_FILE_SIZE = 256LL * 1024 * 1024;

// The absolute, normalised form of 'path' (the current folder for a relative one); empty on
// failure.
CString GetFullPath(LPCWSTR path);
// 'entry' as written in a playlist, made absolute against 'folder' when it is a relative file
// path; URLs, absolute and empty entries are returned as they are.
CString ResolveEntry(LPCWSTR entry, LPCWSTR folder);

// A new name in the folder of 'target' for the file that will replace it.
CString MakeSiblingTempPath(LPCWSTR target);
// Each of these leaves the system's reason of a failure for GetLastError.
// Moves 'temp' over 'target'; on failure 'temp' is deleted and 'target' left as it was.
bool MoveIntoPlace(LPCWSTR temp, LPCWSTR target);
// 'path' deleted, GetLastError as it was before.
void DeleteKeepingError(LPCWSTR path);
// Creates 'path' (which must not exist) with 'bytes': true; on failure no file is left.
bool WriteNewFile(LPCWSTR path, const void* bytes, size_t size);
// Writes 'bytes' to a temporary file beside 'target' and moves it into place: true on success;
// on failure nothing of 'target' has changed.
bool WriteFileReplacing(LPCWSTR target, const void* bytes, size_t size);

// The whole file, when it exists and is not larger than 'limit': true.
bool ReadWholeFile(LPCWSTR path, std::string& bytes, __int64 limit = MAX_PLAYLIST_FILE_SIZE);

// True when every character of 'text' survives the ANSI code page.
bool FitsAnsiCodePage(const CString& text);
// Text of a file that may start with a UTF-8 or UTF-16 byte-order mark; without one, UTF-8 when
// the bytes are well-formed UTF-8 with characters beyond ASCII, else the ANSI code page.
CString DecodeText(const char* bytes, size_t size);

}  // namespace playerfiles
