// CPlaylistData: the playlist exchanged between the playlist view and the file formats.
#include "player/playlistfiles/PlaylistData.h"

#include <new>

CPlaylistData::CPlaylistData(int ownsItems) : Flags(0), LastItem(-1), OwnsItems(ownsItems) {}

CPlaylistData::~CPlaylistData()
{
    Clear();
}

int CPlaylistData::GetCount() const
{
    return (int)GetSize();
}

CMediaItem* CPlaylistData::GetAt(int index) const
{
    if (index < 0 || index >= GetSize())
        return nullptr;
    return CTypedPtrArray<CPtrArray, CMediaItem*>::GetAt(index);
}

CMediaItem* CPlaylistData::AddPath(const wchar_t* path)
{
    CMediaItem* item = new (std::nothrow) CMediaItem;
    if (!item)
        return nullptr;
    item->Path = path ? path : L"";
    Add(item);
    return item;
}

void CPlaylistData::Clear()
{
    if (OwnsItems) {
        for (INT_PTR i = 0; i < GetSize(); ++i)
            delete CTypedPtrArray<CPtrArray, CMediaItem*>::GetAt(i);
    }
    RemoveAll();
}
