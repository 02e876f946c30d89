// A playlist in memory: the media items in playlist order with the playlist's own fields, handed
// between the playlist view and the playlist file formats.
#pragma once

#include "engine/MediaItem.h"
#include "framework/Collections.h"
#include "framework/String.h"

class CPlaylistData : public CTypedPtrArray<CPtrArray, CMediaItem*> {
public:
    // ownsItems: destroying or clearing the playlist destroys its items too.
    explicit CPlaylistData(int ownsItems = 1);
    ~CPlaylistData() override;
    CPlaylistData(const CPlaylistData&) = delete;
    CPlaylistData& operator=(const CPlaylistData&) = delete;

    virtual int GetCount() const;
    // Null out of range.
    virtual CMediaItem* GetAt(int index) const;
    // A new item with only its path set, appended; null when it cannot be made.
    virtual CMediaItem* AddPath(const wchar_t* path);

    // Empties the array, destroying the items when the playlist owns them.
    void Clear();

    int Flags;
    CString Name;
    CString ArtworkFile;
    int LastItem;  // -1 none
    int OwnsItems;
};
