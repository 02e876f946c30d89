// Thumbnails: the detail test that tells a dark or flat frame from a picture, a media item's
// thumbnail (a file a playlist named, a side-car image or a grabbed frame) and a job's picture.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CMediaItem;
class CRasterImage;

// A frame whose colour spread is below this counts as without detail.
const double THUMBNAIL_DETAIL_THRESHOLD = 100000.0;
// A frame without detail is followed by one this much later, while the last grab started no
// later than THUMBNAIL_LAST_RETRY_START_MS and not beyond the item's duration.
const int THUMBNAIL_RETRY_STEP_MS = 2000;
const int THUMBNAIL_LAST_RETRY_START_MS = 9999;
// Where a conversion job grabs the pictures of its source and output.
const int JOB_THUMBNAIL_TIME_MS = 1000;

// The spread of the pixels' colours, each taken as one number R + 256 G + 65536 B, around the
// running mean; 0 for an empty image.
double ComputeColorSpread(const CRasterImage& image);
// -1 without an image, 1 when the spread reaches the threshold, else 0.
int HasImageDetail(const CRasterImage* image);

// A frame of 'path' at 'startMs', unscaled, into 'image' through a temporary file that is gone
// when the call returns: 0, or -1 (also for a stopped grab).
int GrabJobThumbnail(LPCWSTR path, CRasterImage& image, __int64 startMs, const volatile int* stopFlag);

// What the readers of items' thumbnails hold while they use them: the playlist holds it while it
// paints an item's picture or records its thumbnail file. The thumbnail operations make the new
// picture and file aside and hand the picture, the file name and the item's thumbnail flags over
// in one step under it.
class CThumbnailGuard {
public:
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

protected:
    ~CThumbnailGuard() {}
};

// A guard over a critical section, for a program that has no lock of its own to offer.
class CThumbnailLock : public CThumbnailGuard {
public:
    CThumbnailLock() { InitializeCriticalSection(&m_lock); }
    virtual ~CThumbnailLock() { DeleteCriticalSection(&m_lock); }
    CThumbnailLock(const CThumbnailLock&) = delete;
    CThumbnailLock& operator=(const CThumbnailLock&) = delete;
    void Lock() override { EnterCriticalSection(&m_lock); }
    void Unlock() override { LeaveCriticalSection(&m_lock); }

private:
    CRITICAL_SECTION m_lock;
};

// Holds a guard (none: nothing) for a scope.
class CThumbnailGuardScope {
public:
    explicit CThumbnailGuardScope(CThumbnailGuard* guard) : m_guard(guard)
    {
        if (m_guard)
            m_guard->Lock();
    }
    ~CThumbnailGuardScope()
    {
        if (m_guard)
            m_guard->Unlock();
    }
    CThumbnailGuardScope(const CThumbnailGuardScope&) = delete;
    CThumbnailGuardScope& operator=(const CThumbnailGuardScope&) = delete;

private:
    CThumbnailGuard* m_guard;
};

// The media item's thumbnail; the thumbnail box and the first grab's time come from the engine
// host. These run on the playlist's thumbnail threads. The stop flag is the calling thread's: a
// non-zero value ends a grab that hangs (after the runner's grace) and leaves the thumbnail as it
// was. The guard, when given, is held only while the finished picture is handed to the item.
namespace MediaThumbnail {

// 1 when the thumbnail was settled before and 'force' is 0; else LoadThumbnail's 0 or -1. The
// item counts as settled afterwards either way, so a media file without a usable picture is not
// grabbed again at every look until a forced call; a stopped attempt leaves it unsettled, to be
// tried again when the thread is started again.
int EnsureThumbnail(CMediaItem& item, int force, const volatile int* stopFlag = nullptr,
                    CThumbnailGuard* guard = nullptr);
// The named thumbnail file when it exists (and nothing else), else a side-car image, else for a
// video a grabbed frame: 0 or -1, with the item's thumbnail unchanged on failure.
int LoadThumbnail(CMediaItem& item, const volatile int* stopFlag = nullptr, CThumbnailGuard* guard = nullptr);
// The media path with ".jpg", ".jpeg", ".png" or ".bmp" for its extension, the first that
// exists: 0, or -1 (out empty).
int FindSidecarImage(const CMediaItem& item, CString& out);
// Loads an image of any format, fitted into the thumbnail box when larger: 0 or -1.
int LoadThumbnailImage(CMediaItem& item, LPCWSTR file, CThumbnailGuard* guard = nullptr);
// Grabs frames into a new temporary JPEG until one has detail, which is fitted, written whole and
// only then named as the item's thumbnail file (flagged as grabbed): 0. -1 after deleting that
// file, with the item as it was.
int GrabThumbnail(CMediaItem& item, const volatile int* stopFlag = nullptr, CThumbnailGuard* guard = nullptr);

}  // namespace MediaThumbnail
