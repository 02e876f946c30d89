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

bool IsExistingFile(LPCWSTR path)
{
    DWORD attributes = path && *path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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

int EnsureThumbnail(CMediaItem& item, int force)
{
    if (!force && (item.StateFlags & MEDIA_STATE_THUMBNAIL_READY))
        return 1;
    int result = LoadThumbnail(item);
    item.StateFlags |= MEDIA_STATE_THUMBNAIL_READY;
    return result == 0 ? 0 : -1;
}

int LoadThumbnail(CMediaItem& item)
{
    if (!item.ThumbnailFile.IsEmpty() && IsExistingFile(item.ThumbnailFile))
        return LoadThumbnailImage(item, item.ThumbnailFile);

    CString sidecar;
    if (!item.IsUrl() && FindSidecarImage(item, sidecar) == 0 && LoadThumbnailImage(item, sidecar) == 0) {
        item.ThumbnailFile = sidecar;
        // The user's image must never be taken for a grabbed file, which the item deletes.
        item.Flags = (item.Flags & ~MEDIA_FILE_GRABBED_THUMBNAIL) | MEDIA_FILE_SIDECAR_THUMBNAIL;
        return 0;
    }
    if (item.Kind != MEDIA_KIND_VIDEO)
        return -1;
    if (GrabThumbnail(item) != 0)
        return -1;
    item.Flags = (item.Flags & ~MEDIA_FILE_SIDECAR_THUMBNAIL) | MEDIA_FILE_GRABBED_THUMBNAIL;
    return 0;
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

int LoadThumbnailImage(CMediaItem& item, LPCWSTR file)
{
    CRasterImage image;
    if (!file || !image.Load(file, ImageTypeAuto))
        return -1;
    ThumbnailBox box = GetThumbnailBox();
    // A failed fit leaves the image as it was, which is still better than no thumbnail.
    if (NeedsFitting(image, box))
        image.MakeThumbnail(box.width, box.height, kBlackCanvas);
    item.Thumbnail.Destroy();
    item.Thumbnail.Copy(image);
    return 0;
}

int GrabThumbnail(CMediaItem& item)
{
    CEngineHost* host = GetEngineHost();
    CString file = host ? host->MakeTempFilePath() : CString();
    if (file.IsEmpty())
        file = GetTempFilePath();
    if (file.IsEmpty())
        return -1;
    const CString previous = item.ThumbnailFile;
    item.ThumbnailFile = file;

    ThumbnailBox box = GetThumbnailBox();
    int t = host ? host->GetThumbnailTimeMs() : 0;
    __int64 durationMs = item.MediaInfo.GetDurationMs();
    const int duration = durationMs > INT_MAX ? INT_MAX : (durationMs < INT_MIN ? INT_MIN : (int)durationMs);
    for (;;) {
        if (GrabFrameToFile(item.Path, file, t, 0, 0, nullptr, nullptr) != 0)
            break;
        CRasterImage image;
        if (!image.Load(file, ImageTypeJPG))
            break;
        if (HasImageDetail(&image) == 1) {
            if (NeedsFitting(image, box) && !image.MakeThumbnail(box.width, box.height, kBlackCanvas))
                break;
            item.Thumbnail.Destroy();
            item.Thumbnail.Copy(image);
            // The picture is in the item already; a file that cannot be written is only a cache.
            image.Save(file, ImageTypeJPG);
            return 0;
        }
        if (duration < t || t > THUMBNAIL_LAST_RETRY_START_MS)
            break;
        t += THUMBNAIL_RETRY_STEP_MS;
    }
    if (IsExistingFile(file))
        DeleteFileW(file);
    item.ThumbnailFile = previous;
    return -1;
}

}  // namespace MediaThumbnail

int CMediaItem::EnsureThumbnail(int force)
{
    return ::MediaThumbnail::EnsureThumbnail(*this, force);
}

int CMediaItem::LoadThumbnail()
{
    return ::MediaThumbnail::LoadThumbnail(*this);
}

int CMediaItem::FindSidecarImage(CString& out) const
{
    return ::MediaThumbnail::FindSidecarImage(*this, out);
}

int CMediaItem::LoadThumbnailImage(LPCWSTR file)
{
    return ::MediaThumbnail::LoadThumbnailImage(*this, file);
}

int CMediaItem::GrabThumbnail()
{
    return ::MediaThumbnail::GrabThumbnail(*this);
}
