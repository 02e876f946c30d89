// The playlist file formats, chosen by the file's extension: the player's own XML ".playlist"
// (items with their media information, streams, filters, position and thumbnail), and the plain
// path lists ".m3u" and ".pls".
#pragma once

#include "framework/String.h"

class CPlaylistData;

class CPlaylistFormat {
public:
    virtual ~CPlaylistFormat() {}
    // Appends the file's items to 'playlist': 0, or -1 when the file is missing, unreadable or
    // malformed (the file itself is never changed by reading).
    virtual int Load(const wchar_t* path, CPlaylistData& playlist) = 0;
    // Writes the playlist: 0, or -1 with the file as it was before and the system's reason left
    // for GetLastError (0 when the system gave none). Thumbnails are embedded as text or written
    // as files (XML only).
    virtual int Save(const wchar_t* path, const CPlaylistData& playlist, int embedThumbnails) = 0;
};

class CXmlPlaylistFormat : public CPlaylistFormat {
public:
    int Load(const wchar_t* path, CPlaylistData& playlist) override;
    int Save(const wchar_t* path, const CPlaylistData& playlist, int embedThumbnails) override;

private:
    int LoadXml(const wchar_t* path, CPlaylistData& playlist);
};

class CM3uPlaylistFormat : public CPlaylistFormat {
public:
    int Load(const wchar_t* path, CPlaylistData& playlist) override;
    int Save(const wchar_t* path, const CPlaylistData& playlist, int embedThumbnails) override;
};

class CPlsPlaylistFormat : public CPlaylistFormat {
public:
    int Load(const wchar_t* path, CPlaylistData& playlist) override;
    int Save(const wchar_t* path, const CPlaylistData& playlist, int embedThumbnails) override;
};

// The format of the path's extension (".playlist", ".m3u", ".pls", in any letter case), owned by
// the caller; null for any other.
CPlaylistFormat* CreatePlaylistFormat(const wchar_t* path);
bool IsPlaylistFile(const wchar_t* path);

// The XML playlist's version and the name of the default playlist in the user data folder.
extern const wchar_t kPlaylistFileVersion[];
extern const wchar_t kDefaultPlaylistFileName[];
