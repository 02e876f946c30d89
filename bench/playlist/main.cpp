// Playlist benchmark: 1000 items, each with its media information and a 192 x 108 thumbnail
// embedded as JPEG text, saved to an XML playlist and loaded again; prints both times, the cost
// per item, and the share of the thumbnails' own JPEG and Base64 work measured alone.
//
// bench_playlist [scratch folder]    (default: TEST_TEMP_DIR, else the system's temporary folder)
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/SystemHelpers.h"
#include "image/RasterImage.h"
#include "player/PlaylistData.h"
#include "player/PlaylistFormat.h"
#include "player/ThumbnailText.h"

namespace {

const int kItems = 1000;
const int kThumbWidth = 192;
const int kThumbHeight = 108;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// A picture that looks like a video frame to the JPEG coder: gradients, blocks and some noise.
void MakeFrame(CRasterImage& image, unsigned seed)
{
    image.Create(kThumbWidth, kThumbHeight, 24, ImageTypeBMP);
    unsigned noise = seed * 2654435761u + 1;
    for (int y = 0; y < kThumbHeight; ++y)
        for (int x = 0; x < kThumbWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            RGBQUAD c;
            c.rgbRed = (BYTE)((x * 255 / kThumbWidth + seed * 7) & 255);
            c.rgbGreen = (BYTE)((y * 255 / kThumbHeight + ((x / 24 + y / 24 + seed) % 3) * 40) & 255);
            c.rgbBlue = (BYTE)(((noise >> 24) & 31) + (((x + seed) / 32) % 2) * 160);
            c.rgbReserved = 0;
            image.SetPixelColor(x, y, c);
        }
}

void FillItem(CMediaItem& item, int i)
{
    item.Path.Format(L"D:\\Videos\\Collection %d\\clip %04d \u00e9.mp4", i / 100, i);
    item.Flags = 0x10;
    item.LastPositionInUs = (__int64)i * 1000003;
    CMediaInfoRecord& info = item.MediaInfo;
    info.Format = L"mov,mp4,m4a,3gp,3g2,mj2";
    info.Size = 100000000LL + i;
    info.DurationInUs = 60000000LL + i * 1000LL;
    info.BitRate = 4000000;
    info.Streams = 3;
    const int types[] = {MEDIA_STREAM_VIDEO, MEDIA_STREAM_AUDIO, MEDIA_STREAM_SUBTITLE};
    for (int type : types) {
        CMediaStream* s = new CMediaStream;
        s->Type = type;
        s->Codec = type == MEDIA_STREAM_VIDEO ? L"h264" : type == MEDIA_STREAM_AUDIO ? L"aac" : L"mov_text";
        s->Language = L"eng";
        s->DurationInUs = info.DurationInUs;
        s->BitRate = 128000;
        s->Width = 1920;
        s->Height = 1080;
        s->AspectNum = 16;
        s->AspectDen = 9;
        s->FrameRateNum = 30000;
        s->FrameRateDen = 1001;
        s->Channels = 2;
        s->SampleRate = 48000;
        info.AddStream(s);
    }
    info.Finalize();
    info.Metadata.Title.Format(L"Clip %d", i);
    MakeFrame(item.Thumbnail, (unsigned)i);
}

CString ScratchFolder(int argc, wchar_t** argv)
{
    CString folder;
    wchar_t buf[MAX_PATH + 1] = L"";
    if (argc > 1)
        folder = argv[1];
    else if (GetEnvironmentVariableW(L"TEST_TEMP_DIR", buf, MAX_PATH) > 0)
        folder = buf;
    else if (GetTempPathW(MAX_PATH, buf) > 0)
        folder = buf;
    folder.TrimRight(L'\\');
    return folder;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    CString path = ScratchFolder(argc, argv) + L"\\bench playlist.playlist";
    CPlaylistData playlist;
    for (int i = 0; i < kItems; ++i)
        FillItem(*playlist.AddPath(L""), i);

    // The thumbnails' own work, alone: JPEG and Base64 one way and the other.
    std::vector<CString> texts(kItems);
    double t0 = Now();
    for (int i = 0; i < kItems; ++i)
        ImageToBase64(playlist.GetAt(i)->Thumbnail, texts[i]);
    double encodeMs = Now() - t0;
    t0 = Now();
    for (int i = 0; i < kItems; ++i) {
        CRasterImage image;
        Base64ToImage(texts[i], image);
    }
    double decodeMs = Now() - t0;

    CXmlPlaylistFormat format;
    t0 = Now();
    int saved = format.Save(path, playlist, 1);
    double saveMs = Now() - t0;
    __int64 size = GetFileSize64(path);

    CPlaylistData back;
    t0 = Now();
    int loaded = format.Load(path, back);
    double loadMs = Now() - t0;
    int withThumbnail = 0;
    for (int i = 0; i < back.GetCount(); ++i)
        withThumbnail += (back.GetAt(i)->StateFlags & MEDIA_STATE_THUMBNAIL_READY) != 0;
    DeleteFileW(path);

    if (saved != 0 || loaded != 0 || back.GetCount() != kItems || withThumbnail != kItems) {
        std::printf("FAILED: save %d, load %d, %d items, %d with thumbnails\n", saved, loaded, back.GetCount(),
                    withThumbnail);
        return 1;
    }
    std::printf("XML playlist of %d items with %dx%d thumbnails embedded: %.1f MB\n", kItems, kThumbWidth,
                kThumbHeight, size / 1048576.0);
    std::printf("save: %8.1f ms  (%6.1f us per item; thumbnails alone %6.1f us)\n", saveMs, saveMs * 1000 / kItems,
                encodeMs * 1000 / kItems);
    std::printf("load: %8.1f ms  (%6.1f us per item; thumbnails alone %6.1f us)\n", loadMs, loadMs * 1000 / kItems,
                decodeMs * 1000 / kItems);
    return 0;
}
