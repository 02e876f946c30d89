// Thumbnails: the colour spread worked out by hand, the grab-and-retry schedule read from the fake
// encoder's command lines, side-car images and what a failure leaves behind.
#include <gtest/gtest.h>

#include <math.h>

#include "EngineTestSupport.h"
#include "encoder_test_support.h"
#include "engine/MediaItem.h"
#include "engine/ThumbnailGrab.h"
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

}  // namespace
