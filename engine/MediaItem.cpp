// The media file's reset and filters, and the media item's probe and display texts.
#include "engine/MediaItem.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"

CMediaFile::CMediaFile() : Flags(0), StateFlags(0)
{
    CMediaFile::ResetFilters();
}

void CMediaFile::ChangeBits(UINT& bits, UINT set, UINT clear)
{
    volatile LONG* target = reinterpret_cast<volatile LONG*>(&bits);
    LONG before = *target;
    for (;;) {
        LONG after = (LONG)(((UINT)before & ~clear) | set);
        LONG seen = InterlockedCompareExchange(target, after, before);
        if (seen == before)
            return;
        before = seen;
    }
}

void CMediaFile::Reset()
{
    DeleteThumbnailFile();
    Flags = 0;
    StateFlags = 0;
    Path.Empty();
    ThumbnailFile.Empty();
    ResetFilters();
}

int CMediaFile::ResetFilters()
{
    PlaySpeed = 100;
    Rotate = 0;
    FlipH = 0;
    FlipV = 0;
    Negate = 0;
    Grayscale = 0;
    OldPhoto = 0;
    Volume = 100;
    return 0;
}

void CMediaFile::DeleteThumbnailFile()
{
    // Side-car images and files a playlist named belong to the user, never to the item.
    if ((Flags & MEDIA_FILE_GRABBED_THUMBNAIL) && !ThumbnailFile.IsEmpty() &&
        GetFileAttributesW(ThumbnailFile) != INVALID_FILE_ATTRIBUTES)
        DeleteFileW(ThumbnailFile);
}

CMediaItem::CMediaItem() : LastPositionInUs(0), PlayState(0), Kind(MEDIA_KIND_NONE)
{
}

CMediaItem::~CMediaItem()
{
}

void CMediaItem::Reset()
{
    MediaInfo.Reset();
    LastPositionInUs = 0;
    PlayState = 0;
    Kind = MEDIA_KIND_NONE;
    Title.Empty();
    Thumbnail.Destroy();
    DurationText.Empty();
    ResolutionText.Empty();
    PathText.Empty();
    CMediaFile::Reset();
}

int CMediaItem::Open(const wchar_t* path, const volatile int* stopFlag)
{
    Flags = 0;
    Path = path;
    if (path && PathIsURLW(path))
        ChangeFlags(MEDIA_FILE_URL);
    int result = Probe(1, stopFlag);
    if (result != PROBE_DONE)
        return result;
    UpdateDisplayInfo();
    return PROBE_DONE;
}

int CMediaItem::Probe(int force, const volatile int* stopFlag)
{
    if (!force && (Flags & MEDIA_FILE_PROBED))
        return PROBE_ALREADY_DONE;
    int result = MediaInfo.Probe(Path, stopFlag);
    if (result != PROBE_DONE)
        return result;
    ChangeFlags(MEDIA_FILE_PROBED);
    return PROBE_DONE;
}

int CMediaItem::UpdateDisplayInfo()
{
    if (StateFlags & MEDIA_STATE_DISPLAY_READY)
        return 1;
    return UpdateDisplayInfo(!IsUrl() && !PathExists(Path));
}

int CMediaItem::UpdateDisplayInfo(bool missing)
{
    if (StateFlags & MEDIA_STATE_DISPLAY_READY)
        return 1;

    if (missing)
        ChangeStateFlags(MEDIA_STATE_FILE_MISSING);

    if (!MediaInfo.VideoStreams.IsEmpty())
        Kind = MEDIA_KIND_VIDEO;
    else if (!MediaInfo.AudioStreams.IsEmpty())
        Kind = MEDIA_KIND_AUDIO;
    else
        Kind = MEDIA_KIND_NONE;

    Title = MediaInfo.Metadata.Title;
    Title.Trim(L' ');
    if (Title.IsEmpty())
        Title = GetFileTitle(Path);

    DurationText.Empty();
    if (MediaInfo.DurationInUs > 0)
        DurationText = FormatTimeUs(MediaInfo.DurationInUs, 0, 0, 0);

    static const struct {
        int height;
        const wchar_t* text;
    } kClasses[] = {
        {720, L"HD 720"}, {1080, L"HD 1080"}, {1440, L"QHD 2K"}, {2160, L"UHD 4K"}, {4320, L"UHD 8K"},
    };
    ResolutionText.Empty();
    if (const CMediaStream* video = MediaInfo.GetSelectedVideoStream()) {
        for (const auto& c : kClasses) {
            if (video->Height == c.height)
                ResolutionText = c.text;
        }
    }

    PathText = Path;
    ChangeStateFlags(MEDIA_STATE_DISPLAY_READY);
    return 0;
}
