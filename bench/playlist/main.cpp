// Playlist benchmark: 1000 items, each with its media information and a 192 x 108 thumbnail
// embedded as JPEG text, saved to an XML playlist and loaded again; prints both times, the cost
// per item, and the share of the thumbnails' own JPEG and Base64 work measured alone. Then 100
// generated clips are added to a playlist view, timed until every thumbnail is in, against the same
// probes and grabs run one after another; prints the ratio (goal: 0.6 or less). Last, a playlist of
// 50,000 files that are gone is opened in the view, against looking at each file alone.
//
// bench_playlist <ffmpeg folder> [scratch folder]    (scratch by default: TEST_TEMP_DIR, else the
// system's temporary folder)
// Run under Wine with a display; the tools are taken from beside the program, ffmpeg from the folder
// given (scripts/bench gives the flavour's).
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench/common/BenchSupport.h"
#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "framework/App.h"
#include "image/RasterImage.h"
#include "player/app/SharedResources.h"
#include "player/playlist/MediaPlaylistView.h"
#include "player/playlistfiles/PlaylistData.h"
#include "player/playlistfiles/PlaylistFormat.h"
#include "player/playlistfiles/ThumbnailText.h"
#include "player/settings/PlayerSettings.h"

namespace {

const int kItems = 1000;
const int kThumbWidth = 192;
const int kThumbHeight = 108;

double NowMs()
{
    return Now() * 1000.0;
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
    if (argc > 2)
        folder = argv[2];
    else if (GetEnvironmentVariableW(L"TEST_TEMP_DIR", buf, MAX_PATH) > 0)
        folder = buf;
    else if (GetTempPathW(MAX_PATH, buf) > 0)
        folder = buf;
    folder.TrimRight(L'\\');
    return folder;
}

const int kClips = 100;

int RunHidden(const CString& commandLine)
{
    STARTUPINFOW si = {};
    return RunAndWait(commandLine, si, FALSE);
}

// The playlist's item window as the view sees it, without drawing: items in memory.
class CBenchItems : public CMediaPlaylistLink {
public:
    ~CBenchItems() override { Clear(); }
    void Clear()
    {
        for (CMediaItem* item : m_items) {
            item->DeleteThumbnailFile();
            delete item;
        }
        m_items.clear();
    }
    CWnd* GetListWindow() override { return nullptr; }
    int AddMediaItem(CMediaItem* item) override
    {
        m_items.push_back(item);
        return (int)m_items.size() - 1;
    }
    int RemoveMediaItem(int index, int) override
    {
        if (index < 0 || index >= (int)m_items.size())
            return -1;
        m_items[index]->DeleteThumbnailFile();
        delete m_items[index];
        m_items.erase(m_items.begin() + index);
        return 0;
    }
    void DeleteAllMediaItems() override { Clear(); }
    bool ContainsPath(LPCWSTR path) override
    {
        for (CMediaItem* item : m_items)
            if (item->Path.CompareNoCase(path) == 0)
                return true;
        return false;
    }
    __int64 GetTotalDuration() override { return 0; }
    CItemDrawLock& GetDrawLock() override { return m_lock; }
    int GetMediaItemCount() override { return (int)m_items.size(); }
    CMediaItem* GetMediaItem(int index) override
    {
        return index >= 0 && index < (int)m_items.size() ? m_items[index] : nullptr;
    }
    int FindMediaItem(const CMediaItem* item) override
    {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i] == item)
                return (int)i;
        return -1;
    }
    int GetFirstSelectedIndex() override { return -1; }
    CMediaItem* GetPreviousItem(int) override { return nullptr; }
    CMediaItem* GetNextItem(int) override { return nullptr; }
    void InvalidateMediaItem(const CMediaItem*) override {}
    void EnsureMediaItemVisible(const CMediaItem*) override {}
    void RelayoutList() override {}

    int ThumbnailsIn()
    {
        int n = 0;
        for (CMediaItem* item : m_items)
            n += item->Thumbnail.IsValid() ? 1 : 0;
        return n;
    }

private:
    std::vector<CMediaItem*> m_items;
    CItemDrawLock m_lock;
};

bool Place(const CString& from, const CString& to)
{
    return GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES || CreateHardLinkW(to, from, nullptr) ||
           CopyFileW(from, to, FALSE);
}

// A playlist of 50,000 files long gone, opened in the playlist view, against the look at each
// file alone (which the view cannot do without). The settings and resources must be set.
int BenchMissingEntries(const CString& work)
{
    const int kMissing = 50000;
    CPlaylistData missing;
    CString path;
    for (int i = 0; i < kMissing; ++i) {
        path.Format(L"%s\\gone\\clip %05d.mp4", work.GetString(), i);
        missing.AddPath(path);
    }
    const CString m3u = work + L"\\gone.m3u";
    if (CM3uPlaylistFormat().Save(m3u, missing, 0) != 0) {
        std::printf("FAILED: cannot write %ls\n", m3u.GetString());
        return 1;
    }

    double t0 = NowMs();
    int gone = 0;
    for (int i = 0; i < kMissing; ++i)
        gone += PathFileExistsW(missing.GetAt(i)->Path) ? 0 : 1;
    const double lookMs = NowMs() - t0;

    CBenchItems items;
    CMediaPlaylistView* view = new CMediaPlaylistView;
    view->SetItemWindow(&items);
    if (!view->CreateEx(0, nullptr, L"bench playlist", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)) {
        std::printf("FAILED: no view window\n");
        return 1;
    }
    t0 = NowMs();
    const int opened = view->OpenPlaylist(m3u, 0, 0);
    const double openMs = NowMs() - t0;
    while (view->IsLoading() || view->GetPendingCount() > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    const double inMs = NowMs() - t0;
    const int in = items.GetMediaItemCount();
    view->DestroyWindow();
    items.Clear();
    DeleteFileW(m3u);
    if (gone != kMissing || opened != kMissing || in != kMissing) {
        std::printf("FAILED: %d of %d files gone, %d entries opened, %d in the list\n", gone, kMissing, opened, in);
        return 1;
    }
    std::printf("%d missing files, each looked at alone: %8.1f ms\n", kMissing, lookMs);
    std::printf("the same as a playlist opened in the view: %8.1f ms on the window's thread, all in after %.1f ms\n",
                openMs, inMs);
    std::printf("ratio %.2f\n", inMs / lookMs);
    return 0;
}

// The thumbnails of 100 clips through the playlist view against the same work on one thread.
int BenchThumbnails(const CString& scratch, const CString& ffmpegDir)
{
    CString bin = GetAppFolder();
    CString work = scratch + L"\\bench thumbnails";
    CString modules = work + L"\\Modules";
    CString clips = work + L"\\clips";
    CreateDirectoryW(work, nullptr);
    CreateDirectoryW(modules, nullptr);
    CreateDirectoryW(modules + L"\\ffmpeg", nullptr);
    CreateDirectoryW(clips, nullptr);
    if (!Place(bin + L"\\Quisset.exe", modules + L"\\Quisset.exe") ||
        !Place(bin + L"\\Velkor.exe", modules + L"\\Velkor.exe") ||
        !Place(ffmpegDir + L"\\ffmpeg.exe", modules + L"\\ffmpeg\\ffmpeg.exe") ||
        !Place(ffmpegDir + L"\\ffprobe.exe", modules + L"\\ffmpeg\\ffprobe.exe")) {
        std::printf("FAILED: the tools cannot be laid out from %ls and %ls\n", bin.GetString(), ffmpegDir.GetString());
        return 1;
    }
    // A few distinct clips, copied to a hundred names.
    const wchar_t* sources[] = {L"testsrc2", L"smptebars", L"testsrc", L"smptehdbars"};
    std::vector<CString> paths;
    for (int i = 0; i < kClips; ++i) {
        CString path;
        path.Format(L"%s\\clip %03d.mp4", clips.GetString(), i);
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
            if (i < 4) {
                CString make;
                make.Format(L"\"%s\\ffmpeg\\ffmpeg.exe\" -nostdin -loglevel error -y "
                            L"-f lavfi -i %s=size=640x360:rate=25:duration=4 -f lavfi -i sine=frequency=440:duration=4 "
                            L"-c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest \"%s\"",
                            modules.GetString(), sources[i], path.GetString());
                if (RunHidden(make) != 0) {
                    std::printf("FAILED: cannot make clip %d\n", i);
                    return 1;
                }
            } else if (!CopyFileW(paths[i % 4], path, FALSE)) {
                std::printf("FAILED: cannot copy clip %d\n", i);
                return 1;
            }
        }
        paths.push_back(path);
    }

    CWinApp app(L"LumivoBench");
    CPlayerSettings settings;
    settings.tempFolder = work + L"\\thumbnails";
    SetPlayerSettings(&settings);
    CSharedResources resources;
    resources.probeToolPath = modules + L"\\Quisset.exe";
    resources.encodeToolPath = modules + L"\\Velkor.exe";
    SetSharedResources(&resources);

    // One probe and grab first, so both runs find the tools in the file cache.
    {
        CMediaItem warm;
        warm.Open(paths[0]);
        warm.EnsureThumbnail(1);
        warm.DeleteThumbnailFile();
    }

    double t0 = NowMs();
    int sequentialThumbnails = 0;
    for (const CString& path : paths) {
        CMediaItem item;
        if (item.Open(path) == 0 && item.EnsureThumbnail(0) == 0 && item.Thumbnail.IsValid())
            ++sequentialThumbnails;
        item.DeleteThumbnailFile();
    }
    double sequentialMs = NowMs() - t0;

    CBenchItems items;
    CMediaPlaylistView* view = new CMediaPlaylistView;
    view->SetItemWindow(&items);  // a list in memory: the bench times the workers, not the drawing
    if (!view->CreateEx(0, nullptr, L"bench playlist", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)) {
        std::printf("FAILED: no view window\n");
        return 1;
    }
    t0 = NowMs();
    {
        CPlaylistEditGuard guard(view, 1);
        for (const CString& path : paths)
            view->AddPath(path);
    }
    double loadedMs = 0;
    while (view->IsLoading() || view->AreThumbnailsRunning() || view->GetPendingCount() > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (loadedMs == 0 && !view->IsLoading() && view->GetPendingCount() == 0)
            loadedMs = NowMs() - t0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    double viewMs = NowMs() - t0;
    int viewThumbnails = items.ThumbnailsIn();
    int viewItems = items.GetMediaItemCount();
    view->DestroyWindow();
    items.Clear();
    const int missing = BenchMissingEntries(work);
    settings.DeleteTempFolder();
    SetSharedResources(nullptr);
    SetPlayerSettings(nullptr);

    if (sequentialThumbnails != kClips || viewThumbnails != kClips || viewItems != kClips) {
        std::printf("FAILED: %d thumbnails one after another, %d of %d items through the view\n", sequentialThumbnails,
                    viewThumbnails, viewItems);
        return 1;
    }
    std::printf("%d clips, probe and thumbnail each, one after another: %8.1f ms (%.1f ms per clip)\n", kClips,
                sequentialMs, sequentialMs / kClips);
    std::printf("through the playlist view (load thread, two thumbnail threads): %8.1f ms (all in after %.1f ms "
                "of loading)\n", viewMs, loadedMs);
    std::printf("ratio %.2f (goal 0.60 or less)\n", viewMs / sequentialMs);
    return missing;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::printf("usage: bench_playlist <ffmpeg folder> [scratch folder]\n");
        return 2;
    }
    CString ffmpegDir = argv[1];
    ffmpegDir.TrimRight(L'\\');
    CString path = ScratchFolder(argc, argv) + L"\\bench playlist.playlist";
    CPlaylistData playlist;
    for (int i = 0; i < kItems; ++i)
        FillItem(*playlist.AddPath(L""), i);

    // The thumbnails' own work, alone: JPEG and Base64 one way and the other.
    std::vector<CString> texts(kItems);
    double t0 = NowMs();
    for (int i = 0; i < kItems; ++i)
        ImageToBase64(playlist.GetAt(i)->Thumbnail, texts[i]);
    double encodeMs = NowMs() - t0;
    t0 = NowMs();
    for (int i = 0; i < kItems; ++i) {
        CRasterImage image;
        Base64ToImage(texts[i], image);
    }
    double decodeMs = NowMs() - t0;

    CXmlPlaylistFormat format;
    t0 = NowMs();
    int saved = format.Save(path, playlist, 1);
    double saveMs = NowMs() - t0;
    __int64 size = GetFileSize64(path);

    CPlaylistData back;
    t0 = NowMs();
    int loaded = format.Load(path, back);
    double loadMs = NowMs() - t0;
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
    return BenchThumbnails(ScratchFolder(argc, argv), ffmpegDir);
}
