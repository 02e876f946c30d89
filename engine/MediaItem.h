// A media file with its playback filters, and the playlist's media item: the probed media
// information, the chosen streams, the last position, the display texts and the thumbnail.
#pragma once

#include "engine/MediaInfo.h"
#include "framework/String.h"
#include "image/RasterImage.h"

class CThumbnailGuard;

// CMediaFile::Flags
const UINT MEDIA_FILE_URL = 0x1;
const UINT MEDIA_FILE_PROBED = 0x10;
const UINT MEDIA_FILE_SIDECAR_THUMBNAIL = 0x100;
// The thumbnail file was grabbed from the video and belongs to the item: the list that owns the
// item deletes it through DeleteThumbnailFile before destroying the item.
const UINT MEDIA_FILE_GRABBED_THUMBNAIL = 0x200;
// A path that was still waiting to be opened when its playlist was saved: it becomes an item only
// once it has been probed, as the path it was (a plain entry of the playlist file).
const UINT MEDIA_FILE_QUEUED = 0x1000;

// CMediaFile::StateFlags
const UINT MEDIA_STATE_FILE_MISSING = 0x1;
// The playback tool could not play the file (it never reached playing it): the automatic advance,
// Next and Previous pass over it until it plays once.
const UINT MEDIA_STATE_UNPLAYABLE = 0x2;
const UINT MEDIA_STATE_THUMBNAIL_READY = 0x100;
const UINT MEDIA_STATE_DISPLAY_READY = 0x1000;

// CMediaItem::Kind
enum MediaItemKind {
    MEDIA_KIND_NONE = 0,
    MEDIA_KIND_VIDEO = 1,
    MEDIA_KIND_AUDIO = 2,
};

class CMediaFile {
public:
    CMediaFile();
    // Deletes no file, not even a grabbed thumbnail.
    virtual ~CMediaFile() {}
    virtual void Reset();
    virtual int ResetFilters();
    virtual void DeleteThumbnailFile();

    bool IsUrl() const { return (Flags & MEDIA_FILE_URL) != 0; }

    // The flags change in one atomic step each: an item's thumbnail thread and the window thread
    // both update them, and a plain |= from each could lose the other's bit.
    void ChangeFlags(UINT set, UINT clear = 0) { ChangeBits(Flags, set, clear); }
    void ChangeStateFlags(UINT set, UINT clear = 0) { ChangeBits(StateFlags, set, clear); }

    UINT Flags;
    UINT StateFlags;
    CString Path;
    CString ThumbnailFile;
    int PlaySpeed;  // percent
    int Rotate;     // 0, 90, 180, 270 (or 1, 2, 3)
    int FlipH;
    int FlipV;
    int Negate;
    int Grayscale;
    int OldPhoto;
    int Volume;  // percent

private:
    static void ChangeBits(UINT& bits, UINT set, UINT clear);
    CMediaFile(const CMediaFile&) = delete;
    CMediaFile& operator=(const CMediaFile&) = delete;
};

class CMediaItem : public CMediaFile {
public:
    CMediaItem();
    ~CMediaItem() override;
    void Reset() override;

    // Probes 'path' into a cleared item and builds its display texts: PROBE_DONE, PROBE_FAILED, or
    // PROBE_STOPPED when a stop flag of 2 (the caller's thread is being stopped) ended the probe.
    int Open(const wchar_t* path, const volatile int* stopFlag = nullptr);
    // PROBE_ALREADY_DONE when probed before and not forced, else as Open.
    int Probe(int force, const volatile int* stopFlag = nullptr);
    // 1 when the texts were built before, else 0 after building them; a path that is no address
    // and where no file is (the system is asked) is marked missing.
    int UpdateDisplayInfo();
    // The same for a caller who has just asked whether the file is missing.
    int UpdateDisplayInfo(bool missing);

    // Thumbnail operations; the work is done by the frame grab (ThumbnailGrab.cpp), which also
    // tells what the stop flag and the guard do.
    int EnsureThumbnail(int force, const volatile int* stopFlag = nullptr, CThumbnailGuard* guard = nullptr);
    int LoadThumbnail(const volatile int* stopFlag = nullptr, CThumbnailGuard* guard = nullptr);
    int FindSidecarImage(CString& out) const;
    int LoadThumbnailImage(LPCWSTR file, CThumbnailGuard* guard = nullptr);
    int GrabThumbnail(const volatile int* stopFlag = nullptr, CThumbnailGuard* guard = nullptr);

    // The play state of the playback driver while the item plays (0 idle, 1 starting,
    // 2 playing, 3 paused, 4 stopped on request, 5 ended); the item windows draw from it. It
    // lives only as long as the item and is never stored in a playlist.
    int GetPlayState() const { return PlayState; }
    void SetPlayState(int state) { PlayState = state; }

    CMediaInfoRecord MediaInfo;
    __int64 LastPositionInUs;
    int PlayState;
    int Kind;
    CString Title;
    CRasterImage Thumbnail;
    CString DurationText;
    CString ResolutionText;
    CString PathText;
};
