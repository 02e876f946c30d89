// The converter launcher: the command lines of conversion, audio extraction and GIF making, what
// the playlist's commands pass for an item, and one real start of a stand-in for Ravento.exe.
#include <gtest/gtest.h>

#include <vector>

#include "PlayerTestSupport.h"
#include "engine/MediaItem.h"
#include "framework/Effects.h"
#include "player/app/ConverterLauncher.h"

using namespace playertest;

namespace {

struct CShellCall {
    CString verb, file, parameters, directory;
    bool verbNull, parametersNull, directoryNull;
    int show;
};
std::vector<CShellCall> g_calls;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show)
{
    g_calls.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", directory ? directory : L"",
                       verb == nullptr, parameters == nullptr, directory == nullptr, show});
    return (HINSTANCE)42;
}

// An application folder (through the "AppFolder" profile value) that holds, when asked, a
// Ravento.exe; shell starts are recorded unless the test lets them through.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_app.reset(new CPlayerTestApp);
        m_folder = MakeAwkwardFolder(L"launcher");
        ASSERT_FALSE(m_folder.IsEmpty());
        ASSERT_TRUE(m_app->App().WriteProfileString(L"", L"AppFolder", m_folder));
        g_calls.clear();
        m_previous = FwSetShellExecuteFunction(RecordShellExecute);
    }
    void TearDown() override
    {
        FwSetShellExecuteFunction(m_previous);
        m_app.reset();
    }
    CString InstallConverter(LPCWSTR script = L"")
    {
        CString exe = enginetest::InstallFakeTool(m_folder, L"Ravento.exe");
        WriteUtf8File(m_folder + L"\\Ravento.fake", script);
        return exe;
    }

    std::unique_ptr<CPlayerTestApp> m_app;
    CString m_folder;
    FwShellExecuteFn m_previous = nullptr;
};

// A video item with streams: audio, video, subtitle, audio, subtitle (indexes 0..4).
void AddStreams(CMediaItem& item)
{
    const int types[] = {MEDIA_STREAM_AUDIO, MEDIA_STREAM_VIDEO, MEDIA_STREAM_SUBTITLE, MEDIA_STREAM_AUDIO,
                         MEDIA_STREAM_SUBTITLE};
    for (int type : types) {
        CMediaStream* s = new CMediaStream;
        s->Type = type;
        item.MediaInfo.AddStream(s);
    }
    item.MediaInfo.Finalize();
}

}  // namespace

TEST(ConverterCommandLines, EachPieceInItsPlaceAndOnlyWhereItBelongs)
{
    // Every choice at its default: only the quoted path, the leading blank trimmed.
    EXPECT_EQ(L"\"C:\\a b\\c.mp4\"",
              BuildConverterCommandLine(L"C:\\a b\\c.mp4", -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    EXPECT_EQ(L"-c ae \"C:\\a b\\c.mp4\" -oformat AF_mp3",
              BuildExtractAudioCommandLine(L"C:\\a b\\c.mp4", -1, L"AF_mp3", 0, -1, 100));
    EXPECT_EQ(L"-c gm \"C:\\a b\\c.mp4\"",
              BuildMakeGifCommandLine(L"C:\\a b\\c.mp4", -1, -1, 0, -1, 0, 0, 0, 0, 0, 0));
    // The Tools menu's start: nothing at all.
    EXPECT_EQ(L"", BuildConverterCommandLine(nullptr, -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    EXPECT_EQ(L"", BuildConverterCommandLine(L"", -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    EXPECT_EQ(L"-c ae", BuildExtractAudioCommandLine(nullptr, -1, nullptr, 0, 0, 100));

    // Every piece, in the table's order.
    EXPECT_EQ(L"\"x.mp4\" -vstream 1 -astream 3 -sstream -2 -oformat VF_mp4 -starttime 5000 -stoptime 9000 -flipv "
              L"-fliph -rotate 90 -grayscale -negate -oldphoto -volume 200",
              BuildConverterCommandLine(L"x.mp4", 1, 3, -2, L"VF_mp4", 5000, 9000, 1, 1, 90, 1, 1, 1, 200));
    // Audio extraction has no video pieces, GIF making no audio pieces.
    EXPECT_EQ(L"-c ae \"x.mp4\" -astream 3 -oformat AF_mp3 -starttime 1 -stoptime 2 -volume 0",
              BuildExtractAudioCommandLine(L"x.mp4", 3, L"AF_mp3", 1, 2, 0));
    EXPECT_EQ(L"-c gm \"x.mp4\" -vstream 1 -sstream -2 -starttime 1 -stoptime 2 -flipv -fliph -rotate 270 "
              L"-grayscale -negate -oldphoto",
              BuildMakeGifCommandLine(L"x.mp4", 1, -2, 1, 2, 1, 1, 270, 1, 1, 1));
    // Zero or negative values of start, stop and rotation are left out; volume 100 is never written.
    EXPECT_EQ(L"\"x.mp4\"", BuildConverterCommandLine(L"x.mp4", -1, -1, -1, nullptr, -5, 0, 0, 0, -90, 0, 0, 0, 100));
}

TEST(ConverterCommandLines, APathCannotBreakOutOfItsQuotes)
{
    // A folder's trailing backslash would escape the closing quote; a quote in a URL would end it.
    EXPECT_EQ(L"\"D:\\\\\"", BuildConverterCommandLine(L"D:\\", -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    EXPECT_EQ(L"\"http://h/a%22 -oformat x.mp4\"",
              BuildConverterCommandLine(L"http://h/a\" -oformat x.mp4", -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0,
                                        100));
}

TEST(ConverterCommandLines, AnItemsChoicesBecomeStreamIndexesOfTheWholeFile)
{
    CMediaItem item;
    item.Path = L"C:\\v.mp4";
    AddStreams(item);
    item.MediaInfo.SelectedAudioStream = 1;     // the second audio stream: index 3
    item.MediaInfo.SelectedVideoStream = -1;    // automatic: left out
    item.MediaInfo.SelectedSubtitleStream = 1;  // the second subtitle stream: index 4
    EXPECT_EQ(3, GetConverterStreamNumber(item, MEDIA_STREAM_AUDIO));
    EXPECT_EQ(-1, GetConverterStreamNumber(item, MEDIA_STREAM_VIDEO));
    EXPECT_EQ(4, GetConverterStreamNumber(item, MEDIA_STREAM_SUBTITLE));
    item.MediaInfo.SelectedAudioStream = 7;  // out of range
    EXPECT_EQ(-1, GetConverterStreamNumber(item, MEDIA_STREAM_AUDIO));
    item.MediaInfo.SelectedVideoStream = -2;
    EXPECT_EQ(-2, GetConverterStreamNumber(item, MEDIA_STREAM_VIDEO));
    EXPECT_EQ(-1, GetConverterStreamNumber(item, 4));
}

TEST_F(Launcher, WithoutRaventoNothingStarts)
{
    CMediaItem item;
    item.Path = L"C:\\v.mp4";
    EXPECT_EQ(-1, LaunchConverterForItem(item));
    EXPECT_EQ(-1, LaunchConverterExtractAudioForItem(item));
    EXPECT_EQ(-1, LaunchConverterMakeGifForItem(item));
    EXPECT_EQ(-1, LaunchConverter(nullptr, -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    // A folder of that name is no program either.
    ASSERT_TRUE(CreateDirectoryW(m_folder + L"\\Ravento.exe", nullptr));
    EXPECT_EQ(-1, LaunchConverterForItem(item));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Launcher, ThePlaylistCommandsStartRaventoWithTheItemsChoices)
{
    CString exe = InstallConverter();
    ASSERT_FALSE(exe.IsEmpty());
    CMediaItem item;
    item.Path = L"C:\\My Videos\\clip.mp4";
    AddStreams(item);
    item.MediaInfo.SelectedVideoStream = -2;
    item.MediaInfo.SelectedAudioStream = -2;
    item.MediaInfo.SelectedSubtitleStream = 0;
    item.FlipV = 1;
    item.Rotate = 180;
    item.Volume = 150;

    ASSERT_EQ(0, LaunchConverterForItem(item));
    ASSERT_EQ(0, LaunchConverterExtractAudioForItem(item));
    ASSERT_EQ(0, LaunchConverterMakeGifForItem(item));
    ASSERT_EQ(0, LaunchConverter(nullptr, -1, -1, -1, nullptr, 0, -1, 0, 0, 0, 0, 0, 0, 100));
    ASSERT_EQ(4u, g_calls.size());
    // Conversion passes "no video" and "no audio" on; audio extraction and GIF making leave a
    // disabled stream of their own kind out.
    EXPECT_EQ(L"\"C:\\My Videos\\clip.mp4\" -vstream -2 -astream -2 -sstream 2 -flipv -rotate 180 -volume 150",
              g_calls[0].parameters);
    EXPECT_EQ(L"-c ae \"C:\\My Videos\\clip.mp4\" -oformat AF_mp3 -volume 150", g_calls[1].parameters);
    EXPECT_EQ(L"-c gm \"C:\\My Videos\\clip.mp4\" -sstream 2 -flipv -rotate 180", g_calls[2].parameters);
    EXPECT_TRUE(g_calls[3].parametersNull);
    for (const CShellCall& call : g_calls) {
        EXPECT_TRUE(call.verbNull);
        EXPECT_TRUE(call.directoryNull);
        EXPECT_EQ(SW_SHOW, call.show);
        EXPECT_EQ(exe, call.file);
    }
}

TEST_F(Launcher, ARealStartHandsTheConverterItsArguments)
{
    FwSetShellExecuteFunction(nullptr);
    CString log = m_folder + L"\\started.log";
    ASSERT_FALSE(InstallConverter(L"log " + log).IsEmpty());
    CString media = m_folder + L"\\clip & (1) \u00e9.mp4";
    ASSERT_EQ(0, LaunchConverterExtractAudio(media, 3, L"AF_mp3", 0, -1, 120));
    ASSERT_TRUE(WaitUntil([&] { return ReadUtf8File(log).Find(L"arg: 120") >= 0; }, 60000))
        << CStringA(ReadUtf8File(log)).GetString();
    std::vector<CString> lines = enginetest::ReadLines(log);
    std::vector<CString> args;
    for (const CString& line : lines)
        if (line.Left(5) == L"arg: ")
            args.push_back(line.Mid(5));
    const wchar_t* expected[] = {L"-c", L"ae", media, L"-astream", L"3", L"-oformat", L"AF_mp3", L"-volume", L"120"};
    ASSERT_EQ(9u, args.size());
    for (size_t i = 0; i < args.size(); ++i)
        EXPECT_EQ(CString(expected[i]), args[i]) << i;
}
