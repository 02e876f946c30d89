// The detail test, the media item's thumbnail with its grab-and-retry schedule, and the frame
// grab of a conversion job.
#include "engine/ThumbnailGrab.h"

#include <shlwapi.h>

#include <limits.h>
#include <math.h>

#include "engine/EncoderTool.h"
#include "engine/EngineHost.h"
#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "image/RasterImage.h"

namespace {

struct ThumbnailBox {
    int width;
    int height;
};

ThumbnailBox GetThumbnailBox()
{
    CEngineHost* host = GetEngineHost();
    ThumbnailBox box = {0, 0};
    if (host) {
        box.width = host->GetThumbnailWidth();
        box.height = host->GetThumbnailHeight();
    }
    return box;
}

// A box of no size (no host) fits nothing.
bool NeedsFitting(const CRasterImage& image, const ThumbnailBox& box)
{
    return box.width > 0 && box.height > 0 && (image.GetWidth() > box.width || image.GetHeight() > box.height);
}

const RGBQUAD kBlackCanvas = {0, 0, 0, 0};

}  // namespace

double ComputeColorSpread(const CRasterImage& image)
{
    if (!image.IsValid())
        return 0.0;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const double pixels = (double)width * (double)height;
    if (width <= 0 || height <= 0)
        return 0.0;
    // True-colour rows are read directly: this walks every pixel of a full-size frame.
    const bool direct = !image.IsIndexed() && image.GetBpp() == 24;
    double sum = 0.0, squares = 0.0, k = 0.0;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = direct ? image.GetBits(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            double c;
            if (row) {
                const BYTE* p = row + 3 * x;
                c = p[2] + 256.0 * p[1] + 65536.0 * p[0];
            } else {
                RGBQUAD q = image.GetPixelColor(x, y, false);
                c = q.rgbRed + 256.0 * q.rgbGreen + 65536.0 * q.rgbBlue;
            }
            k += 1.0;
            sum += c;
            double d = c - sum / k;
            squares += d * d;
        }
    }
    return sqrt(squares / pixels);
}

int HasImageDetail(const CRasterImage* image)
{
    if (!image || !image->IsValid())
        return -1;
    return ComputeColorSpread(*image) >= THUMBNAIL_DETAIL_THRESHOLD ? 1 : 0;
}

int GrabJobThumbnail(LPCWSTR path, CRasterImage& image, __int64 startMs, const volatile int* stopFlag)
{
    CString file = GetTempFilePath();
    if (file.IsEmpty())
        return -1;
    CTempFile temp(file, TRUE, TRUE);
    if (GrabFrameToFile(path, file, startMs, 0, 0, nullptr, stopFlag) != 0 || !IsExistingFile(file))
        return -1;
    image.Destroy();
    return image.Load(file, ImageTypeAuto) ? 0 : -1;
}

namespace MediaThumbnail {

namespace {

bool Stopped(const volatile int* stopFlag)
{
    return stopFlag && *stopFlag != 0;
}

// Hands a finished picture to the item in one step under the guard: the picture (whose old one
// is freed afterwards, outside the guard) and, when 'file' is given, the thumbnail file with the
// flags that say whose it is.
void Publish(CMediaItem& item, CRasterImage& picture, LPCWSTR file, UINT setFlags, UINT clearFlags,
             CThumbnailGuard* guard)
{
    CRasterImage previous;
    CThumbnailGuardScope scope(guard);
    if (!previous.TakeOver(item.Thumbnail) || !item.Thumbnail.TakeOver(picture))
        item.Thumbnail.Copy(picture);
    if (file) {
        item.ThumbnailFile = file;
        item.ChangeFlags(setFlags, clearFlags);
    }
}

CString NamedThumbnailFile(const CMediaItem& item, CThumbnailGuard* guard)
{
    CThumbnailGuardScope scope(guard);
    return item.ThumbnailFile;
}

// An image file loaded and fitted into the thumbnail box, aside from the item.
bool LoadFitted(LPCWSTR file, CRasterImage& image)
{
    if (!file || !image.Load(file, ImageTypeAuto))
        return false;
    ThumbnailBox box = GetThumbnailBox();
    // A failed fit leaves the image as it was, which is still better than no thumbnail.
    if (NeedsFitting(image, box))
        image.MakeThumbnail(box.width, box.height, kBlackCanvas);
    return true;
}

}  // namespace

int EnsureThumbnail(CMediaItem& item, int force, const volatile int* stopFlag, CThumbnailGuard* guard)
{
    if (!force && (item.StateFlags & MEDIA_STATE_THUMBNAIL_READY))
        return 1;
    int result = LoadThumbnail(item, stopFlag, guard);
    if (result != 0 && Stopped(stopFlag))
        return -1;
    item.ChangeStateFlags(MEDIA_STATE_THUMBNAIL_READY);
    return result == 0 ? 0 : -1;
}

int LoadThumbnail(CMediaItem& item, const volatile int* stopFlag, CThumbnailGuard* guard)
{
    CString named = NamedThumbnailFile(item, guard);
    if (!named.IsEmpty() && IsExistingFile(named))
        return LoadThumbnailImage(item, named, guard);

    CString sidecar;
    CRasterImage image;
    if (!item.IsUrl() && FindSidecarImage(item, sidecar) == 0 && LoadFitted(sidecar, image)) {
        // The user's image must never be taken for a grabbed file, which the item deletes.
        Publish(item, image, sidecar, MEDIA_FILE_SIDECAR_THUMBNAIL, MEDIA_FILE_GRABBED_THUMBNAIL, guard);
        return 0;
    }
    if (item.Kind != MEDIA_KIND_VIDEO)
        return -1;
    return GrabThumbnail(item, stopFlag, guard) == 0 ? 0 : -1;
}

int FindSidecarImage(const CMediaItem& item, CString& out)
{
    out.Empty();
    if (item.Path.IsEmpty() || item.IsUrl() || PathIsURLW(item.Path))
        return -1;
    static const wchar_t* const kExtensions[] = {L".jpg", L".jpeg", L".png", L".bmp"};
    for (const wchar_t* ext : kExtensions) {
        CString candidate = RenameExtension(item.Path, ext);
        if (IsExistingFile(candidate)) {
            out = candidate;
            return 0;
        }
    }
    return -1;
}

int LoadThumbnailImage(CMediaItem& item, LPCWSTR file, CThumbnailGuard* guard)
{
    CRasterImage image;
    if (!LoadFitted(file, image))
        return -1;
    Publish(item, image, nullptr, 0, 0, guard);
    return 0;
}

int GrabThumbnail(CMediaItem& item, const volatile int* stopFlag, CThumbnailGuard* guard)
{
    CEngineHost* host = GetEngineHost();
    CString file = host ? host->MakeTempFilePath() : CString();
    if (file.IsEmpty())
        file = GetTempFilePath();
    if (file.IsEmpty())
        return -1;

    ThumbnailBox box = GetThumbnailBox();
    int t = host ? host->GetThumbnailTimeMs() : 0;
    __int64 durationMs = item.MediaInfo.GetDurationMs();
    const int duration = durationMs > INT_MAX ? INT_MAX : (durationMs < INT_MIN ? INT_MIN : (int)durationMs);
    // Until the picture is handed over the file is this grab's alone: the item keeps naming the
    // file it named before, so a playlist saved meanwhile never records a file being written.
    for (;;) {
        if (GrabFrameToFile(item.Path, file, t, 0, 0, nullptr, stopFlag) != 0)
            break;
        CRasterImage image;
        if (!image.Load(file, ImageTypeJPG))
            break;
        if (HasImageDetail(&image) == 1) {
            if (NeedsFitting(image, box) && !image.MakeThumbnail(box.width, box.height, kBlackCanvas))
                break;
            // The picture goes to the item either way; a file that cannot be written whole is
            // not named, and a playlist then writes the picture itself.
            bool saved = image.Save(file, ImageTypeJPG);
            if (!saved && IsExistingFile(file))
                DeleteFileW(file);
            Publish(item, image, saved ? file.GetString() : L"", MEDIA_FILE_GRABBED_THUMBNAIL,
                    MEDIA_FILE_SIDECAR_THUMBNAIL, guard);
            return 0;
        }
        if (Stopped(stopFlag) || duration < t || t > THUMBNAIL_LAST_RETRY_START_MS)
            break;
        t += THUMBNAIL_RETRY_STEP_MS;
    }
    if (IsExistingFile(file))
        DeleteFileW(file);
    return -1;
}

}  // namespace MediaThumbnail

int CMediaItem::EnsureThumbnail(int force, const volatile int* stopFlag, CThumbnailGuard* guard)
{
    return ::MediaThumbnail::EnsureThumbnail(*this, force, stopFlag, guard);
}

int CMediaItem::LoadThumbnail(const volatile int* stopFlag, CThumbnailGuard* guard)
{
    return ::MediaThumbnail::LoadThumbnail(*this, stopFlag, guard);
}

int CMediaItem::FindSidecarImage(CString& out) const
{
    return ::MediaThumbnail::FindSidecarImage(*this, out);
}

int CMediaItem::LoadThumbnailImage(LPCWSTR file, CThumbnailGuard* guard)
{
    return ::MediaThumbnail::LoadThumbnailImage(*this, file, guard);
}

int CMediaItem::GrabThumbnail(const volatile int* stopFlag, CThumbnailGuard* guard)
{
    return ::MediaThumbnail::GrabThumbnail(*this, stopFlag, guard);
}
