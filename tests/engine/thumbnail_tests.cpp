// Thumbnails: the colour spread worked out by hand, the grab-and-retry schedule read from the fake
// encoder's command lines, side-car images, what a failure or a stop leaves behind, and readers
// racing the hand-over of a new picture.
#include <gtest/gtest.h>

#include <math.h>

#include <atomic>
#include <thread>

#include "EngineTestSupport.h"
#include "encoder_test_support.h"
#include "engine/MediaItem.h"
#include "engine/ThumbnailGrab.h"
#include "engine/ToolProcess.h"
#include "framework/Effects.h"
#include "image/RasterImage.h"

using namespace enginetest;
using namespace enctest;

namespace {

RGBQUAD Rgb(BYTE r, BYTE g, BYTE b)
{
    RGBQUAD q = {b, g, r, 0};
    return q;
}

CRasterImage Blank(int width, int height)
{
    CRasterImage image(width, height, 24);
    image.Clear(0);
    return image;
}

TEST(ColorSpread, RunningMeanOverPixelsInRowOrder)
{
    CRasterImage two = Blank(2, 1);
    two.SetPixelColor(1, 0, Rgb(2, 0, 0));
    EXPECT_NEAR(sqrt(0.5), ComputeColorSpread(two), 1e-9);

    // Colour numbers 65536, 0, 0 and 0, 0, 65536: the same set, a different running mean.
    CRasterImage first = Blank(3, 1), last = Blank(3, 1);
    first.SetPixelColor(0, 0, Rgb(0, 0, 1));
    last.SetPixelColor(2, 0, Rgb(0, 0, 1));
    EXPECT_NEAR(22737.344, ComputeColorSpread(first), 0.01);
    EXPECT_NEAR(25224.818, ComputeColorSpread(last), 0.01);

    // Rows before columns: row 0 holds the first pixel visited.
    CRasterImage column = Blank(1, 3);
    column.SetPixelColor(0, 0, Rgb(0, 0, 1));
    EXPECT_NEAR(22737.344, ComputeColorSpread(column), 0.01);

    EXPECT_EQ(0.0, ComputeColorSpread(CRasterImage()));
}

TEST(ColorSpread, DetailThreshold)
{
    EXPECT_EQ(-1, HasImageDetail(nullptr));
    CRasterImage empty;
    EXPECT_EQ(-1, HasImageDetail(&empty));
    CRasterImage black = Blank(64, 48);
    EXPECT_EQ(0, HasImageDetail(&black));

    // Two pixels 0 and c spread by c / (2 * sqrt 2): 282843 reaches 100000, 282842 does not.
    CRasterImage edge = Blank(2, 1);
    edge.SetPixelColor(1, 0, Rgb(219, 80, 4));
    EXPECT_EQ(1, HasImageDetail(&edge));
    edge.SetPixelColor(1, 0, Rgb(218, 80, 4));
    EXPECT_EQ(0, HasImageDetail(&edge));

    CRasterImage palette(2, 1, 8);
    palette.SetGrayPalette();
    palette.SetPixelIndex(0, 0, 0);
    palette.SetPixelIndex(1, 0, 255);
    EXPECT_EQ(1, HasImageDetail(&palette)) << "indexed images are read through their palette";
}

CRasterImage Pattern(int width, int height)
{
    CRasterImage image = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelColor(x, y, Rgb((BYTE)(x * 7), (BYTE)(y * 5), (BYTE)((x + y) * 3)));
    return image;
}

// The fake encoder "grabs" by leaving alone the file the test put at the host's temporary name.
class ThumbnailSchedule : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeAwkwardFolder(L"thumbs");
        ASSERT_FALSE(m_folder.IsEmpty());
        CString tool = InstallFakeTool(m_folder, L"Velkor.exe");
        ASSERT_FALSE(tool.IsEmpty());
        m_log = m_folder + L"\\grabs.txt";
        ASSERT_TRUE(WriteUtf8File(m_folder + L"\\Velkor.fake", L"log " + m_log + L"\n"));
        m_host.EncoderTool = tool;
        m_host.TempFolder = m_folder;
        m_host.NextTempFile = m_folder + L"\\grab";
        m_item.Path = m_folder + L"\\movie.mp4";
        m_item.Kind = MEDIA_KIND_VIDEO;
    }

    void PutGrab(CRasterImage image) { ASSERT_TRUE(image.Save(m_host.NextTempFile, ImageTypeJPG)); }

    // The start of each grab the fake encoder was asked for, "" for none.
    std::vector<CString> GrabStarts()
    {
        std::vector<CString> starts;
        for (const std::vector<CString>& run : ReadRuns(m_log))
            starts.push_back(ValueOf(run, L"-ss"));
        return starts;
    }

    std::vector<CString> Starts(std::initializer_list<const wchar_t*> list)
    {
        std::vector<CString> out;
        for (const wchar_t* s : list)
            out.push_back(s);
        return out;
    }

    CString m_folder, m_log;
    CEncoderTestHost m_host;
    CMediaItem m_item;
};

TEST_F(ThumbnailSchedule, DarkFramesAreRetriedEveryTwoSecondsWhileInsideTheClip)
{
    PutGrab(Blank(320, 240));
    m_item.MediaInfo.DurationInUs = 3000000;
    EXPECT_EQ(-1, MediaThumbnail::EnsureThumbnail(m_item, 0));
    EXPECT_EQ(Starts({L"", L"0:00:02.000", L"0:00:04.000"}), GrabStarts());
    EXPECT_FALSE(FileExists(m_host.NextTempFile)) << "a failed grab deletes its file";
    EXPECT_TRUE(m_item.ThumbnailFile.IsEmpty());
    EXPECT_FALSE(m_item.Thumbnail.IsValid());
    EXPECT_TRUE(m_item.StateFlags & MEDIA_STATE_THUMBNAIL_READY);
    EXPECT_FALSE(m_item.Flags & MEDIA_FILE_GRABBED_THUMBNAIL);

    EXPECT_EQ(1, MediaThumbnail::EnsureThumbnail(m_item, 0)) << "a failed item is settled too";
    EXPECT_EQ(3u, GrabStarts().size());
    EXPECT_EQ(-1, MediaThumbnail::EnsureThumbnail(m_item, 1));
    EXPECT_EQ(4u, GrabStarts().size()) << "forced: tried again (and the grab leaves nothing)";
}

// A loaded system now and then refuses to start a program that is there (Wine answers
// ERROR_INTERNAL_ERROR): here it refuses the first start of every run of the encoder. The clip is
// good, and its thumbnail is made all the same.
BOOL WINAPI RefuseEveryFirstStart(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                  LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                                  LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info);
FwCreateProcessFn g_startAfterRefusal = nullptr;
std::atomic<int> g_startCalls(0);

BOOL WINAPI RefuseEveryFirstStart(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                  LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                                  LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info)
{
    if (g_startCalls++ % 2 == 0) {
        SetLastError(ERROR_INTERNAL_ERROR);
        return FALSE;
    }
    return g_startAfterRefusal(application, commandLine, processAttributes, threadAttributes, inherit, flags,
                               environment, folder, startup, info);
}

TEST_F(ThumbnailSchedule, AGrabWhoseStartTheSystemRefusesForAMomentStillMakesTheThumbnail)
{
    PutGrab(Pattern(640, 480));
    m_item.MediaInfo.DurationInUs = 60000000;
    g_startCalls = 0;
    g_startAfterRefusal = FwSetCreateProcessFunction(&RefuseEveryFirstStart);
    int made = MediaThumbnail::EnsureThumbnail(m_item, 0);
    FwSetCreateProcessFunction(g_startAfterRefusal);
    EXPECT_EQ(0, made);
    EXPECT_TRUE(m_item.Thumbnail.IsValid());
    EXPECT_STREQ(m_host.NextTempFile, m_item.ThumbnailFile);
    EXPECT_EQ(1u, GrabStarts().size()) << "one grab, started at the second try";
    EXPECT_EQ(2, (int)g_startCalls);
}

TEST_F(ThumbnailSchedule, RetriesStopAfterAStartAboveTheLastRetryTime)
{
    struct {
        int timeMs;
        __int64 durationMs;
        std::vector<CString> starts;
    } cases[] = {
        {10000, 60000, Starts({L"0:00:10.000"})},
        {9999, 60000, Starts({L"0:00:09.999", L"0:00:11.999"})},
        {8000, 60000, Starts({L"0:00:08.000", L"0:00:10.000"})},
        {0, 2000, Starts({L"", L"0:00:02.000", L"0:00:04.000"})},
        {0, 1999, Starts({L"", L"0:00:02.000"})},
    };
    for (const auto& c : cases) {
        DeleteFileW(m_log);
        PutGrab(Blank(32, 24));
        m_host.ThumbnailTimeMs = c.timeMs;
        m_item.MediaInfo.DurationInUs = c.durationMs * 1000;
        m_item.StateFlags = 0;
        EXPECT_EQ(-1, MediaThumbnail::EnsureThumbnail(m_item, 0));
        EXPECT_EQ(c.starts, GrabStarts()) << "time " << c.timeMs << ", duration " << c.durationMs;
    }
}

TEST_F(ThumbnailSchedule, AFrameWithDetailIsFittedKeptAndSavedOverTheGrab)
{
    PutGrab(Pattern(640, 480));
    m_item.MediaInfo.DurationInUs = 60000000;
    m_item.Flags = MEDIA_FILE_SIDECAR_THUMBNAIL;
    EXPECT_EQ(0, MediaThumbnail::EnsureThumbnail(m_item, 0));
    EXPECT_EQ(1u, GrabStarts().size());
    EXPECT_STREQ(m_host.NextTempFile, m_item.ThumbnailFile);
    EXPECT_EQ(160, m_item.Thumbnail.GetWidth());
    EXPECT_EQ(120, m_item.Thumbnail.GetHeight());
    EXPECT_TRUE(m_item.Flags & MEDIA_FILE_GRABBED_THUMBNAIL);
    EXPECT_FALSE(m_item.Flags & MEDIA_FILE_SIDECAR_THUMBNAIL);
    CRasterImage saved;
    ASSERT_TRUE(saved.Load(m_item.ThumbnailFile, ImageTypeJPG));
    EXPECT_EQ(160, saved.GetWidth());

    // Next time the named file is loaded and nothing is grabbed.
    m_item.Thumbnail.Destroy();
    EXPECT_EQ(0, MediaThumbnail::EnsureThumbnail(m_item, 1));
    EXPECT_EQ(1u, GrabStarts().size());
    EXPECT_EQ(120, m_item.Thumbnail.GetHeight());
}

TEST_F(ThumbnailSchedule, AFailedGrabPutsBackTheFileNamedBefore)
{
    PutGrab(Blank(32, 24));
    m_host.ThumbnailTimeMs = 10000;
    CString named = m_folder + L"\\named by a playlist.jpg";
    m_item.ThumbnailFile = named;
    m_item.Thumbnail = Pattern(8, 8);
    EXPECT_EQ(-1, MediaThumbnail::LoadThumbnail(m_item));
    EXPECT_EQ(1u, GrabStarts().size());
    EXPECT_STREQ(named, m_item.ThumbnailFile);
    EXPECT_EQ(8, m_item.Thumbnail.GetWidth()) << "the thumbnail is unchanged";
}

TEST_F(ThumbnailSchedule, SidecarImagesInTheirOrder)
{
    CString png = m_folder + L"\\movie.png", jpeg = m_folder + L"\\movie.jpeg", jpg = m_folder + L"\\movie.jpg";
    ASSERT_TRUE(Pattern(320, 240).Save(png, ImageTypePNG));
    CString found;
    EXPECT_EQ(0, MediaThumbnail::FindSidecarImage(m_item, found));
    EXPECT_STREQ(png, found);
    ASSERT_TRUE(Pattern(40, 30).Save(jpeg, ImageTypeJPG));
    EXPECT_EQ(0, MediaThumbnail::FindSidecarImage(m_item, found));
    EXPECT_STREQ(jpeg, found);

    // A grabbed file that has gone: the side-car takes its place and is never taken for a grab.
    m_item.Flags = MEDIA_FILE_GRABBED_THUMBNAIL;
    m_item.ThumbnailFile = m_folder + L"\\gone";
    EXPECT_EQ(0, MediaThumbnail::EnsureThumbnail(m_item, 0));
    EXPECT_STREQ(jpeg, m_item.ThumbnailFile);
    EXPECT_EQ(40, m_item.Thumbnail.GetWidth()) << "a small image is not enlarged";
    EXPECT_TRUE(m_item.Flags & MEDIA_FILE_SIDECAR_THUMBNAIL);
    m_item.DeleteThumbnailFile();
    EXPECT_TRUE(FileExists(jpeg));
    EXPECT_TRUE(GrabStarts().empty());

    ASSERT_TRUE(Pattern(40, 30).Save(jpg, ImageTypeJPG));
    EXPECT_EQ(0, MediaThumbnail::FindSidecarImage(m_item, found));
    EXPECT_STREQ(jpg, found);
    m_item.Flags = MEDIA_FILE_URL;
    EXPECT_EQ(-1, MediaThumbnail::FindSidecarImage(m_item, found));
    EXPECT_TRUE(found.IsEmpty());
}

TEST_F(ThumbnailSchedule, ANamedFileIsTheOnlySourceTried)
{
    ASSERT_TRUE(Pattern(320, 240).Save(m_folder + L"\\movie.jpg", ImageTypeJPG));
    CString named = m_folder + L"\\not a picture.jpg";
    ASSERT_TRUE(WriteUtf8File(named, L"plain text"));
    m_item.ThumbnailFile = named;
    EXPECT_EQ(-1, MediaThumbnail::LoadThumbnail(m_item));
    EXPECT_STREQ(named, m_item.ThumbnailFile);
    EXPECT_FALSE(m_item.Thumbnail.IsValid());
    EXPECT_TRUE(GrabStarts().empty());
}

TEST_F(ThumbnailSchedule, AudioWithoutSidecarGetsNoGrab)
{
    PutGrab(Pattern(64, 48));
    m_item.Kind = MEDIA_KIND_AUDIO;
    EXPECT_EQ(-1, MediaThumbnail::EnsureThumbnail(m_item, 0));
    EXPECT_TRUE(GrabStarts().empty());
    EXPECT_EQ(0, m_host.TempFilesMade);
}

TEST_F(ThumbnailSchedule, AHungGrabEndsAtOnceThroughTheStopFlagAndLeavesTheItemUnsettled)
{
    CString pids = m_folder + L"\\pids.txt";
    ASSERT_TRUE(WriteUtf8File(m_folder + L"\\Velkor.fake", L"log " + m_log + L"\nhang\npid_file " + pids + L"\n"));
    PutGrab(Pattern(64, 48));
    m_item.MediaInfo.DurationInUs = 60000000;
    // Nothing asks a grab to stop and its picture is thrown away: the grace a conversion's encoder
    // gets to finish its file would only be waited out, by the window that stops the grab.
    DWORD grace = CToolProcessBase::GetStopGrace();
    CToolProcessBase::SetStopGraceForTests(60000);
    volatile int stop = 0;
    int result = 99, jobResult = 99;
    DWORD stoppedAt = 0, endedAt = 0, jobStoppedAt = 0, jobEndedAt = 0;
    {
        CPumpedThread grab([&] {
            result = m_item.EnsureThumbnail(0, &stop);
            endedAt = GetTickCount();
        });
        EXPECT_TRUE(WaitUntil([&] { return !ReadPids(pids).empty(); }, 30000)) << "the grab never started";
        stoppedAt = GetTickCount();
        stop = 2;
        EXPECT_TRUE(grab.Join(90000)) << "the stop did not end the grab";
    }
    // A conversion job's picture of its source or output, as the converter grabs it.
    DeleteFileW(pids);
    volatile int jobStop = 0;
    CRasterImage picture;
    {
        CPumpedThread grab([&] {
            jobResult = GrabJobThumbnail(m_item.Path, picture, JOB_THUMBNAIL_TIME_MS, &jobStop);
            jobEndedAt = GetTickCount();
        });
        EXPECT_TRUE(WaitUntil([&] { return !ReadPids(pids).empty(); }, 30000)) << "the job's grab never started";
        jobStoppedAt = GetTickCount();
        jobStop = 2;
        EXPECT_TRUE(grab.Join(90000)) << "the stop did not end the job's grab";
    }
    CToolProcessBase::SetStopGraceForTests(grace);
    EXPECT_LT(endedAt - stoppedAt, 10000u) << "the grab waited out the stop grace";
    EXPECT_LT(jobEndedAt - jobStoppedAt, 10000u) << "the job's grab waited out the stop grace";
    EXPECT_EQ(-1, result);
    EXPECT_EQ(-1, jobResult);
    EXPECT_FALSE(picture.IsValid());
    EXPECT_EQ(2u, GrabStarts().size()) << "no retry after a stop";
    EXPECT_FALSE(m_item.StateFlags & MEDIA_STATE_THUMBNAIL_READY) << "a stopped item is tried again later";
    EXPECT_FALSE(FileExists(m_host.NextTempFile));
    EXPECT_TRUE(m_item.ThumbnailFile.IsEmpty());
    for (DWORD pid : ReadPids(pids))
        EXPECT_FALSE(IsProcessListed(pid)) << "process " << pid << " still runs";
}

TEST_F(ThumbnailSchedule, TheThumbnailFileIsNamedOnlyOnceWrittenWhole)
{
    // The fake encoder takes its time; meanwhile a reader (a playlist being saved) keeps looking
    // at the name the item gives for its thumbnail file.
    ASSERT_TRUE(WriteUtf8File(m_folder + L"\\Velkor.fake", L"log " + m_log + L"\ndelay 800\n"));
    PutGrab(Pattern(640, 480));
    m_item.MediaInfo.DurationInUs = 60000000;
    CThumbnailLock lock;
    std::atomic<bool> grabbing(true);
    int namedEarly = 0, namedUnfinished = 0, looks = 0;
    std::thread reader([&] {
        while (grabbing) {
            CString named;
            lock.Lock();
            named = m_item.ThumbnailFile;
            lock.Unlock();
            ++looks;
            if (named == m_host.NextTempFile) {
                CRasterImage saved;
                if (!saved.Load(named, ImageTypeJPG) || saved.GetWidth() != 160)
                    ++namedUnfinished;
            } else if (!named.IsEmpty()) {
                ++namedEarly;
            }
            Sleep(5);
        }
    });
    int result = m_item.GrabThumbnail(nullptr, &lock);
    grabbing = false;
    reader.join();
    EXPECT_EQ(0, result);
    EXPECT_GT(looks, 0) << "the reader never looked while the grab ran";
    EXPECT_EQ(0, namedUnfinished) << "the item named its thumbnail file before it was written";
    EXPECT_EQ(0, namedEarly);
    EXPECT_STREQ(m_host.NextTempFile, m_item.ThumbnailFile);
    EXPECT_TRUE(m_item.Flags & MEDIA_FILE_GRABBED_THUMBNAIL);
}

// A reader that paints items' pictures under the guard, as the playlist does, while another
// thread hands them new ones.
TEST(ThumbnailRace, APaintNeverSeesAPictureHalfHandedOver)
{
    CEncoderTestHost host;
    CString folder = MakeAwkwardFolder(L"thumb race");
    ASSERT_FALSE(folder.IsEmpty());
    const struct {
        int width, height;
        RGBQUAD colour;
    } kPictures[2] = {{64, 48, Rgb(200, 30, 30)}, {40, 30, Rgb(30, 200, 30)}};
    CString files[2];
    for (int i = 0; i < 2; ++i) {
        CRasterImage image = Blank(kPictures[i].width, kPictures[i].height);
        image.Clear(0);
        for (int y = 0; y < kPictures[i].height; ++y)
            for (int x = 0; x < kPictures[i].width; ++x)
                image.SetPixelColor(x, y, kPictures[i].colour);
        files[i].Format(L"%s\\picture %d.png", folder.GetString(), i);
        ASSERT_TRUE(image.Save(files[i], ImageTypePNG));
    }

    CMediaItem item;
    ASSERT_EQ(0, item.LoadThumbnailImage(files[0]));
    CThumbnailLock lock;
    std::atomic<bool> running(true);
    std::atomic<int> paints(0), torn(0);
    std::thread painter([&] {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 48);
        HGDIOBJ old = SelectObject(dc, bitmap);
        while (running) {
            lock.Lock();
            CRasterImage& t = item.Thumbnail;
            int match = -1;
            for (int i = 0; i < 2; ++i)
                if (t.IsValid() && t.GetWidth() == kPictures[i].width && t.GetHeight() == kPictures[i].height)
                    match = i;
            bool whole = match >= 0;
            if (whole) {
                RGBQUAD a = t.GetPixelColor(0, 0, false), b = t.GetPixelColor(t.GetWidth() - 1, t.GetHeight() - 1, false);
                const RGBQUAD& c = kPictures[match].colour;
                whole = a.rgbRed == c.rgbRed && a.rgbGreen == c.rgbGreen && b.rgbRed == c.rgbRed && b.rgbGreen == c.rgbGreen;
                RECT rc = {0, 0, t.GetWidth(), t.GetHeight()};
                t.Draw(dc, rc);
            }
            lock.Unlock();
            if (!whole)
                ++torn;
            ++paints;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    });
    const int kRounds = 400;
    int loaded = 0;
    for (int round = 0; round < kRounds; ++round)
        loaded += item.LoadThumbnailImage(files[round % 2], &lock) == 0;
    while (paints < 100)
        Sleep(1);
    running = false;
    painter.join();
    EXPECT_EQ(kRounds, loaded);
    EXPECT_EQ(0, torn.load()) << "of " << paints.load() << " paints";
    EXPECT_EQ(kPictures[(kRounds - 1) % 2].width, item.Thumbnail.GetWidth());
}

// The flags of an item change on its thumbnail thread and on the window thread.
TEST(ThumbnailRace, FlagsChangedFromTwoThreadsKeepEveryBit)
{
    CMediaItem item;
    std::atomic<bool> go(false);
    std::atomic<int> lost(0);
    auto toggle = [&](UINT bit, bool state) {
        while (!go)
            Sleep(0);
        for (int i = 0; i < 200000; ++i) {
            if (state) {
                item.ChangeStateFlags(bit);
                if (!(item.StateFlags & bit))
                    ++lost;
                item.ChangeStateFlags(0, bit);
            } else {
                item.ChangeFlags(bit);
                if (!(item.Flags & bit))
                    ++lost;
                item.ChangeFlags(0, bit);
            }
        }
    };
    std::thread a(toggle, MEDIA_STATE_THUMBNAIL_READY, true), b(toggle, MEDIA_STATE_DISPLAY_READY, true);
    std::thread c(toggle, MEDIA_FILE_GRABBED_THUMBNAIL, false), d(toggle, MEDIA_FILE_PROBED, false);
    go = true;
    a.join();
    b.join();
    c.join();
    d.join();
    EXPECT_EQ(0, lost.load());
    EXPECT_EQ(0u, item.StateFlags);
    EXPECT_EQ(0u, item.Flags);
}

}  // namespace
