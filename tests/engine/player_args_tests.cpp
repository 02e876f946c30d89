// The playback tool's argument list and launch command built from the play parameters and the
// driver's settings.
#include <gtest/gtest.h>

#include "engine/PlayParams.h"
#include "engine/PlayerTool.h"

namespace {

class PlayerArgs : public testing::Test {
protected:
    CString Args()
    {
        CString out;
        EXPECT_EQ(0, m_driver.BuildArgs(out, m_params));
        return out;
    }
    CPlayerToolBase m_driver;
    CPlayParams m_params;
};

TEST_F(PlayerArgs, DefaultsWriteTheFixedOptionsAroundTheQuotedInput)
{
    m_params.InputPath = L"C:\\a b\\f\u00e9 & (1).mp4";
    EXPECT_STREQ(L"-autoexit -infbuf -framedrop -video_driver windows -audio_driver winmm "
                 L"-i \"C:\\a b\\f\u00e9 & (1).mp4\" -wave_effect 0",
                 Args());

    m_driver.Init(L"C:\\Modules\\Drumlin.exe", (HWND)(UINT_PTR)0x1234);
    EXPECT_STREQ(L"CMD /C \"\"C:\\Modules\\Drumlin.exe\" -autoexit -infbuf -framedrop -video_driver windows "
                 L"-audio_driver winmm -i \"C:\\a b\\f\u00e9 & (1).mp4\" -wave_effect 0 -play_window 4660 "
                 L"-callback_context " +
                     [&] { CString c; c.Format(L"%I64d", (__int64)(INT_PTR)&m_driver); return c; }() + L"\"",
                 m_driver.MakeLaunchCommand(m_params));
}

TEST_F(PlayerArgs, WithoutPlayWindowOnlyTheContextIsAppended)
{
    m_driver.SetPath(L"C:\\t\\Drumlin.exe");
    CString command = m_driver.MakeLaunchCommand(m_params);
    EXPECT_EQ(-1, command.Find(L"-play_window"));
    EXPECT_NE(-1, command.Find(L"-callback_context "));
}

TEST_F(PlayerArgs, ResetRestoresEveryDefault)
{
    m_params.InputPath = L"x";
    m_params.VideoStream = m_params.AudioStream = m_params.SubtitleStream = 3;
    m_params.StartMs = 5;
    m_params.DurationMs = 7;
    m_params.Sync = L"audio";
    m_params.PtsScale = m_params.Volume = m_params.Tempo = 50;
    m_params.Rotation = 90;
    m_params.FlipHorizontal = m_params.FlipVertical = m_params.Negate = m_params.Grayscale = m_params.OldPhoto = 1;
    m_params.AudioDelayMs = m_params.AudioTrimStartMs = 9;
    m_params.ExtraArgs = L"-x";
    m_params.Reset();
    m_params.InputPath = L"x";
    CPlayParams fresh;
    fresh.InputPath = L"x";
    CString a, b;
    m_driver.BuildArgs(a, m_params);
    m_driver.BuildArgs(b, fresh);
    EXPECT_STREQ(b, a);
    EXPECT_EQ(-1, m_params.AudioStream);
    EXPECT_EQ(-1, m_params.DurationMs);
    EXPECT_EQ(100, m_params.PtsScale);
}

TEST_F(PlayerArgs, TimesStreamsAndSync)
{
    m_params.InputPath = L"in.mkv";
    m_params.StartMs = 90000;
    m_params.DurationMs = 3723004;
    m_params.VideoStream = 1;
    m_params.AudioStream = 0;
    m_params.SubtitleStream = -2;
    m_params.Sync = L"ext";
    EXPECT_STREQ(L"-autoexit -infbuf -framedrop -video_driver windows -audio_driver winmm -ss 0:01:30.000 "
                 L"-t 1:02:03.004 -i \"in.mkv\" -vst 1 -ast 0 -sn -sync ext -wave_effect 0",
                 Args());

    m_params.StartMs = 0;
    m_params.DurationMs = -1;
    m_params.VideoStream = -2;
    m_params.AudioStream = -1;
    m_params.SubtitleStream = -3;
    CString args = Args();
    EXPECT_EQ(-1, args.Find(L"-ss"));
    EXPECT_EQ(-1, args.Find(L"-t "));
    EXPECT_NE(-1, args.Find(L" -vn"));
    EXPECT_EQ(-1, args.Find(L"-ast"));
    EXPECT_EQ(-1, args.Find(L"-an"));
    EXPECT_EQ(-1, args.Find(L"-sst"));
    EXPECT_EQ(-1, args.Find(L"-sn"));
}

TEST_F(PlayerArgs, FilterChainsInTheirOrder)
{
    m_params.PtsScale = 200;
    m_params.Tempo = 50;
    EXPECT_STREQ(L"-autoexit -infbuf -framedrop -video_driver windows -audio_driver winmm "
                 L"-vf \"setpts=2.000000*PTS\" -af \"atempo=0.500000\" -wave_effect 0",
                 Args());

    m_params.PtsScale = 100;
    m_params.Tempo = 100;
    m_params.Rotation = 180;
    m_params.FlipHorizontal = m_params.FlipVertical = m_params.Negate = m_params.Grayscale = m_params.OldPhoto = 1;
    m_params.Volume = 150;
    m_params.AudioDelayMs = 500;
    m_params.AudioTrimStartMs = 1500;
    EXPECT_STREQ(L"-autoexit -infbuf -framedrop -video_driver windows -audio_driver winmm "
                 L"-vf \"transpose=2,transpose=2,hflip,vflip,negate,hue=s=0,"
                 L"colorchannelmixer=.393:.769:.189:0:.349:.686:.168:0:.272:.534:.131\" "
                 L"-af \"volume=1.500000,adelay=500|500|500|500|500|500,atrim=1.500000\" -wave_effect 0",
                 Args());

    m_params.Reset();
    m_params.Rotation = 90;
    EXPECT_NE(-1, Args().Find(L"-vf \"transpose=1\""));
    m_params.Rotation = 270;
    EXPECT_NE(-1, Args().Find(L"-vf \"transpose=2\""));
    // Encoder rotation codes are not degrees: no filter, and no stray separator before the next.
    m_params.Rotation = 1;
    m_params.FlipVertical = 1;
    EXPECT_NE(-1, Args().Find(L"-vf \"vflip\""));
    m_params.FlipVertical = 0;
    EXPECT_EQ(-1, Args().Find(L"-vf"));
}

TEST_F(PlayerArgs, DriverSettingsAndExtraArguments)
{
    m_driver.m_nThreadCount = 4;
    m_driver.m_nInputBuffer = 0;
    m_driver.m_nFrameDrop = 0;
    m_driver.m_nSeekToAny = 1;
    m_driver.m_strVideoDriver.Empty();
    m_driver.m_strAudioDriver = L"dsound";
    m_driver.m_nMute = 1;
    m_driver.m_nVolume = 40;
    m_driver.m_nWaveEffect = 20;
    m_driver.m_nWaveBlockSize = 1;
    m_driver.m_nWaveBlockSpace = 0;
    m_driver.m_nWaveGradient = 2;
    m_driver.m_nWaveColor1 = 0x808080;
    m_driver.m_nWaveColor3 = 5;
    m_params.ExtraArgs = L"-x 1 -y \"a b\"";
    EXPECT_STREQ(L"-autoexit -threads 4 -seek2any 1 -audio_driver dsound -mute -volume 40 -wave_effect 20 "
                 L"-wave_block_size 1 -wave_block_space 0 -wave_gradient 2 -wave_color_1 8421504 -wave_color_3 5 "
                 L"-x 1 -y \"a b\"",
                 Args());

    m_driver.m_nWaveEffect = -1;
    m_driver.m_nWaveBlockSpace = -1;
    CString args = Args();
    EXPECT_EQ(-1, args.Find(L"-wave_effect"));
    EXPECT_EQ(-1, args.Find(L"-wave_block_space"));
}

}  // namespace
