// The encoder driver with the real encoder tool and ffmpeg in a scratch Modules folder: a
// conversion followed by progress records, the driver's own encoder settings, a stop by reply,
// frame grabs and the thumbnail retry schedule on clips made here by ffmpeg.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <memory>

#include "EngineTestSupport.h"
#include "encoder_test_support.h"
#include "engine/EncoderTool.h"
#include "engine/MediaItem.h"
#include "engine/SystemHelpers.h"
#include "engine/ThumbnailGrab.h"
#include "engine/ToolProcess.h"
#include "image/RasterImage.h"

using namespace enginetest;
using namespace enctest;

namespace {

class EncoderRealTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CString bin = EnvFolder(L"TEST_BIN_DIR"), ff = EnvFolder(L"TEST_FFMPEG_DIR"), temp = EnvFolder(L"TEST_TEMP_DIR");
        if (bin.IsEmpty() || ff.IsEmpty() || temp.IsEmpty()) {
            s_problem = "TEST_BIN_DIR, TEST_FFMPEG_DIR and TEST_TEMP_DIR must be set";
            return;
        }
        CString modules = temp + L"\\encoder modules \u00e9";
        CreateDirectoryW(modules, nullptr);
        CreateDirectoryW(modules + L"\\ffmpeg", nullptr);
        s_encoder = modules + L"\\Velkor.exe";
        // ffmpeg is large: copied once, the tool at every run so that it is the one just built.
        if (!CopyFileW(bin + L"\\Velkor.exe", s_encoder, FALSE) ||
            (!FileExists(modules + L"\\ffmpeg\\ffmpeg.exe") &&
             !CopyFileW(ff + L"\\ffmpeg.exe", modules + L"\\ffmpeg\\ffmpeg.exe", FALSE))) {
            s_problem = "cannot lay out the Modules folder with Velkor.exe and ffmpeg.exe";
            return;
        }
        s_ffprobe = ff + L"\\ffprobe.exe";
        s_clips = FreshFolder(temp + L"\\encoder clips \u00e9 \u03a9");

        CString ffmpeg = L"\"" + ff + L"\\ffmpeg.exe\" -v error -y ";
        const CString x264 = L" -c:v libx264 -preset ultrafast -pix_fmt yuv420p";
        struct {
            CString* path;
            const wchar_t* name;
            CString args;
        } clips[] = {
            {&s_clip, L"clip (6 s).mp4",
             L"-f lavfi -i testsrc=duration=6:size=320x240:rate=25 -f lavfi -i sine=frequency=440:duration=6" + x264 +
                 L" -c:a aac -shortest"},
            {&s_long, L"long & slow.mp4",
             L"-f lavfi -i testsrc=duration=40:size=640x360:rate=25 -f lavfi -i sine=frequency=440:duration=40" +
                 x264 + L" -c:a aac -shortest"},
            {&s_blackStart, L"black start.mp4",
             L"-f lavfi -i color=c=black:size=320x240:rate=25:duration=5.5"
             L" -f lavfi -i testsrc=duration=3:size=320x240:rate=25"
             L" -filter_complex [0:v][1:v]concat=n=2:v=1:a=0" + x264},
            {&s_dark, L"dark.mp4", L"-f lavfi -i color=c=0x080808:size=320x240:rate=25:duration=3" + x264},
        };
        for (auto& c : clips) {
            *c.path = s_clips + L"\\" + c.name;
            if (RunAndWait(ffmpeg + c.args + L" \"" + *c.path + L"\"") != 0 || !FileExists(*c.path)) {
                s_problem = "ffmpeg could not make a clip";
                return;
            }
        }
    }

    void SetUp() override
    {
        if (!s_problem.empty())
            FAIL() << s_problem;
        m_window.reset(new CTestWindow(WS_POPUP, 0, 0, 20, 20, [](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& r) {
            if (msg != WM_COPYDATA)
                return false;
            r = CEncoderTool::DispatchCopyData((const COPYDATASTRUCT*)lParam);
            return true;
        }));
        m_host.EncoderTool = s_encoder;
    }

    int OnWorker(const std::function<int()>& work)
    {
        int result = -99;
        CPumpedThread worker([&] { result = work(); });
        EXPECT_TRUE(worker.Join(300000));
        return result;
    }

    // The container's duration in seconds as ffprobe reads it; -1 when it cannot.
    static double ProbedSeconds(const CString& path)
    {
        CString out = s_clips + L"\\probe.txt";
        DeleteFileW(out);
        CToolProcessBase probe;
        probe.SetPath(s_ffprobe);
        CString args = L"-v error -show_entries format=duration -of default=nw=1:nk=1 \"" + path + L"\"";
        if (probe.Run(MakeToolCommandWithOutput(s_ffprobe, args, out), nullptr) != 0)
            return -1;
        CString text = ReadUtf8File(out);
        return text.IsEmpty() ? -1 : _wtof(text);
    }

    static std::string s_problem;
    static CString s_encoder, s_ffprobe, s_clips, s_clip, s_long, s_blackStart, s_dark;
    std::unique_ptr<CTestWindow> m_window;
    CEncoderTestHost m_host;
};

std::string EncoderRealTest::s_problem;
CString EncoderRealTest::s_encoder, EncoderRealTest::s_ffprobe, EncoderRealTest::s_clips, EncoderRealTest::s_clip,
    EncoderRealTest::s_long, EncoderRealTest::s_blackStart, EncoderRealTest::s_dark;

double MeanDifference(const CRasterImage& a, const CRasterImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetWidth() == 0)
        return 1e9;
    double total = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            total += abs(p.rgbRed - q.rgbRed) + abs(p.rgbGreen - q.rgbGreen) + abs(p.rgbBlue - q.rgbBlue);
        }
    return total / (a.GetWidth() * a.GetHeight());
}

TEST_F(EncoderRealTest, ConversionReportsItsProgressToTheWindow)
{
    CRecordingListener listener;
    CEncoderTool driver;
    ASSERT_EQ(0, driver.InitWithListener(s_encoder, GetParentFolder(s_encoder) + L"\\Presets", m_window->Get(), &listener));
    CEncoderOptions o;
    o.Input1Path = s_clip;
    o.VideoCodec = L"libx264";
    o.VideoExtraOptions = L"-preset ultrafast";
    o.Width = 160;
    o.Height = 120;
    o.AudioCodec = L"aac";
    o.AudioBitRate = 96000;
    o.OutputFormat = L"mp4";
    o.OutputPath = s_clips + L"\\converted \u00e9 (1).mp4";
    EXPECT_EQ(0, OnWorker([&] { return driver.Launch(o, nullptr); }));
    ASSERT_TRUE(FileExists(o.OutputPath));
    EXPECT_NEAR(6.0, ProbedSeconds(o.OutputPath), 0.2);

    std::vector<const char*> names = listener.Names();
    ASSERT_GE(names.size(), 4u);
    EXPECT_STREQ("begin", names.front());
    EXPECT_STREQ("started", names[1]);
    EXPECT_STREQ("end", names.back());
    EXPECT_STREQ("ended", names[names.size() - 2]);
    EncoderProgressBlock last = driver.GetLastBlock();
    EXPECT_NEAR(6000000.0, (double)last.TotalDurationUs, 300000.0);
    EXPECT_NEAR(6000000.0, (double)last.PositionUs, 500000.0);
    EXPECT_GT(last.BytesWritten, 0);
}

TEST_F(EncoderRealTest, BufferSizeAndThreadCountReachTheEncoder)
{
    CEncoderTool driver;
    ASSERT_EQ(0, driver.InitWithListener(s_encoder, nullptr, m_window->Get(), nullptr));
    driver.m_nBufferSize = 1000000;
    driver.m_nThreadCount = 2;
    CEncoderOptions o;
    o.Flags = ENCODER_ALLOW_THREADS;
    o.Input1Path = s_clip;
    o.VideoCodec = L"libx264";
    o.VideoExtraOptions = L"-preset ultrafast -maxrate 600000";
    o.VideoBitRate = 400000;
    o.Width = 160;
    o.Height = 120;
    o.AudioCodec = L"aac";
    o.OutputFormat = L"mp4";
    o.OutputPath = s_clips + L"\\buffered \u00e9.mp4";
    DeleteFileW(o.OutputPath);
    EXPECT_EQ(0, OnWorker([&] { return driver.Launch(o, nullptr); }));
    ASSERT_TRUE(FileExists(o.OutputPath));
    EXPECT_NEAR(6.0, ProbedSeconds(o.OutputPath), 0.2);
}

TEST_F(EncoderRealTest, AStopByReplyEndsTheEncoderAndLeavesAShorterFile)
{
    CRecordingListener listener;
    listener.StopAtPositionUs = 2000000;
    CEncoderTool driver;
    driver.InitWithListener(s_encoder, nullptr, m_window->Get(), &listener);
    CEncoderOptions o;
    o.Input1Path = s_long;
    o.VideoCodec = L"libx264";
    o.VideoExtraOptions = L"-preset slow";
    o.AudioCodec = L"aac";
    o.OutputFormat = L"matroska";
    o.OutputPath = s_clips + L"\\stopped.mkv";
    DWORD start = GetTickCount();
    int result = OnWorker([&] { return driver.Launch(o, nullptr); });
    DWORD elapsed = GetTickCount() - start;
    EXPECT_NE(0, result) << "a stopped encode is not a finished one";
    EXPECT_LT(elapsed, 60000u);

    // Nothing holds the output any more: the encoder and its ffmpeg have ended.
    CHandle exclusive(CreateFileW(o.OutputPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(exclusive.IsValid());
    exclusive.Close();
    double seconds = ProbedSeconds(o.OutputPath);
    EXPECT_GE(seconds, 1.5) << "what was encoded before the stop is kept";
    EXPECT_LT(seconds, 30.0);
    EXPECT_LT(driver.GetLastBlock().PositionUs, 30000000);
}

TEST_F(EncoderRealTest, FrameGrabsLoadAsJpeg)
{
    CString grab = s_clips + L"\\grab";
    EXPECT_EQ(0, GrabFrameToFile(s_clip, grab, 1000, 0, 0, nullptr, nullptr));
    CRasterImage image;
    ASSERT_TRUE(image.Load(grab, ImageTypeJPG)) << image.GetLastError();
    EXPECT_EQ(320, image.GetWidth());
    EXPECT_EQ(240, image.GetHeight());
    EXPECT_EQ(1, HasImageDetail(&image));

    CString small = s_clips + L"\\small grab.jpg";
    EXPECT_EQ(0, GrabFrameToFile(s_clip, small, 2000, 160, 120, nullptr, nullptr));
    ASSERT_TRUE(image.Load(small, ImageTypeJPG));
    EXPECT_EQ(160, image.GetWidth());

    CString beyond = s_clips + L"\\beyond the end";
    EXPECT_EQ(-1, GrabFrameToFile(s_clip, beyond, 60000, 0, 0, nullptr, nullptr));

    CRasterImage job;
    EXPECT_EQ(0, GrabJobThumbnail(s_clip, job, JOB_THUMBNAIL_TIME_MS, nullptr));
    EXPECT_EQ(320, job.GetWidth());
}

TEST_F(EncoderRealTest, ThumbnailsSkipADarkOpening)
{
    m_host.TempFolder = FreshFolder(s_clips + L"\\thumbs");
    CMediaItem item;
    item.Path = s_blackStart;
    item.Kind = MEDIA_KIND_VIDEO;
    item.MediaInfo.DurationInUs = 8500000;
    ASSERT_EQ(0, MediaThumbnail::EnsureThumbnail(item, 0));
    EXPECT_EQ(160, item.Thumbnail.GetWidth());
    EXPECT_EQ(1, HasImageDetail(&item.Thumbnail));
    CRasterImage saved;
    EXPECT_TRUE(saved.Load(item.ThumbnailFile, ImageTypeJPG));
    EXPECT_EQ(1, CountFiles(m_host.TempFolder));

    // The grabs at 0, 2000 and 4000 ms are black, so the picture is the frame at 6000 ms.
    CRasterImage frames[2];
    const int at[2] = {6000, 8000};
    for (int i = 0; i < 2; ++i) {
        CString file = s_clips + L"\\frame";
        ASSERT_EQ(0, GrabFrameToFile(s_blackStart, file, at[i], 0, 0, nullptr, nullptr));
        ASSERT_TRUE(frames[i].Load(file, ImageTypeJPG));
        RGBQUAD black = {0, 0, 0, 0};
        ASSERT_TRUE(frames[i].MakeThumbnail(160, 120, black));
    }
    EXPECT_LT(MeanDifference(item.Thumbnail, frames[0]), 1.0);
    EXPECT_GT(MeanDifference(item.Thumbnail, frames[1]), 5.0);

    CMediaItem dark;
    dark.Path = s_dark;
    dark.Kind = MEDIA_KIND_VIDEO;
    dark.MediaInfo.DurationInUs = 3000000;
    m_host.TempFolder = FreshFolder(s_clips + L"\\dark thumbs");
    EXPECT_EQ(-1, MediaThumbnail::EnsureThumbnail(dark, 0));
    EXPECT_TRUE(dark.ThumbnailFile.IsEmpty());
    EXPECT_EQ(0, CountFiles(m_host.TempFolder)) << "the failed grabs leave no file";
    EXPECT_EQ(2, m_host.TempFilesMade) << "one temporary name per item";
}

}  // namespace
