// The encoder tool's choice of encoders and outputs and its failures: encoders this ffmpeg build
// lacks, frame grabs as baseline JPEG, a missing ffmpeg, outputs it must not overwrite, and the
// console the wrapped programs get.
#include "tools/encoder/encoder_tool_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace enctest;

namespace {

class EncoderChoice : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Env().ok) << Env().problem; }
};

TEST_F(EncoderChoice, EncodersWithoutReplacementAreRefusedAtOnce)
{
    for (const char* encoder : {"libilbc", "libgsm_ms"}) {
        std::wstring out = Scratch(L"refused.wav");
        std::wstring name(encoder, encoder + strlen(encoder));
        RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -vn -codec:a " + name + L" -f wav " + Quote(out) + L" -y",
                              RunOptions());
        ASSERT_TRUE(r.finished) << encoder;
        EXPECT_EQ(4u, r.exitCode) << r.output;
        EXPECT_NE(std::string::npos, r.output.find(encoder)) << r.output;
        EXPECT_NE(std::string::npos, r.output.find("not available")) << r.output;
        EXPECT_LT(r.elapsedMs, 10000u);
        EXPECT_FALSE(Exists(out));
    }
}

TEST_F(EncoderChoice, FdkAacIsEncodedWithTheNativeAacEncoder)
{
    std::wstring out = Scratch(L"fdk.aac");
    RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -vn -codec:a libfdk_aac -b:a 64000 -f adts " + Quote(out) + L" -y");
    EXPECT_EQ(0u, r.exitCode) << r.output;
    std::vector<uint8_t> data = ReadAll(out);
    ASSERT_GT(data.size(), 100u);
    EXPECT_EQ(0xFF, data[0]);  // ADTS frame sync
    EXPECT_EQ(0xF0, data[1] & 0xF0);
    std::vector<StreamInfo> streams = DescribeStreams(out);
    ASSERT_EQ(1u, streams.size());
    EXPECT_NE(std::string::npos, streams[0].line.find("Audio: aac")) << streams[0].line;
}

TEST_F(EncoderChoice, FrameGrabToANameWithoutExtensionIsABaselineJpeg)
{
    // The thumbnail grab's command line: a temporary file name without an extension.
    std::wstring out = Scratch(L"thumbnail");
    RunResult r = RunTool(L"-ss 0:00:01.000 -i " + Quote(Env().clip) + L" -frames:v 1 -an -f image2 " + Quote(out) +
                          L" -y -callback_context 5");
    EXPECT_EQ(0u, r.exitCode) << r.output;
    std::vector<uint8_t> data = ReadAll(out);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(0xFF, data[0]);
    EXPECT_EQ(0xD8, data[1]);
    JpegFrame frame;
    ASSERT_TRUE(ReadJpegFrame(data, frame));
    EXPECT_EQ(0xC0, frame.marker);
    EXPECT_EQ(160, frame.width);
    EXPECT_EQ(120, frame.height);
}

TEST_F(EncoderChoice, MissingFfmpegIsAClearErrorWithAnEndedRecord)
{
    std::wstring alone = Env().scratch + L"alone\\";
    CreateDirectoryW(alone.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((Env().modules + L"Velkor.exe").c_str(), (alone + L"Velkor.exe").c_str(), FALSE));
    RunOptions o;
    o.tool = alone + L"Velkor.exe";
    o.window = true;
    o.context = 99;
    RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -f mp4 " + Quote(Scratch(L"never.mp4")) + L" -y", o);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(2u, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("ffmpeg.exe")) << r.output;
    EXPECT_LT(r.elapsedMs, 10000u);
    ASSERT_EQ(1u, r.records.size());
    EXPECT_EQ(24u, r.records[0].code);
    EXPECT_EQ(99, r.records[0].context);
}

TEST_F(EncoderChoice, ExistingOutputWithoutOverwriteIsKeptAndReportedNotAsked)
{
    std::wstring out = Scratch(L"keep.mp4");
    WriteText(out, "keep");
    RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -f mp4 " + Quote(out), RunOptions());
    ASSERT_TRUE(r.finished) << "the tool waited for an answer";
    EXPECT_NE(0u, r.exitCode) << r.output;
    EXPECT_EQ(4u, ReadAll(out).size());
}

TEST_F(EncoderChoice, CallbackOptionsThatAreNotNumbersAreRefused)
{
    RunResult r = RunTool(L"-i " + Quote(Env().clip) + L" -f mp4 " + Quote(Scratch(L"never.mp4")) +
                          L" -y -callback_window main");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(4u, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("callback_window")) << r.output;
}

// The programs start the tools without a console; a tool passes that on to the ffmpeg build it
// wraps, which would otherwise get a console (a console host process) of its own on every run.
// The probe tool shares the helper that starts the wrapped program. A stand-in of the build tells
// whether it has a console.
TEST(WrappedPrograms, StartWithoutAConsoleWhenTheirToolHasNone)
{
    wchar_t bin[4096] = L"";
    GetEnvironmentVariableW(L"TEST_BIN_DIR", bin, 4096);
    const std::wstring folder = Env().scratch + L"console\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const struct {
        const wchar_t* tool;
        const wchar_t* wrapped;
        const wchar_t* args;
    } tools[] = {
        {L"Velkor.exe", L"ffmpeg", L"-i \"C:\\in.mp4\" -f mp4 \"C:\\out.mp4\" -y"},
        {L"Quisset.exe", L"ffprobe", L"-show_format \"C:\\in.mp4\""},
    };
    for (const auto& t : tools) {
        const std::wstring tool = folder + t.tool, report = folder + t.wrapped + L" console.txt";
        ASSERT_TRUE(CopyFileW((std::wstring(bin) + L"\\" + t.tool).c_str(), tool.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((std::wstring(bin) + L"\\faketool.exe").c_str(), (folder + t.wrapped + L".exe").c_str(),
                              FALSE));
        char utf8[4096] = "";
        WideCharToMultiByte(CP_UTF8, 0, report.c_str(), -1, utf8, sizeof(utf8), nullptr, nullptr);
        WriteText(folder + t.wrapped + L".fake", std::string("console_file ") + utf8 + "\n");
        DeleteFileW(report.c_str());

        std::wstring line = Quote(tool) + L" " + t.args;
        std::vector<wchar_t> command(line.begin(), line.end());
        command.push_back(0);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(tool.c_str(), command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                   nullptr, &si, &pi));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        const std::vector<uint8_t> said = ReadAll(report);
        EXPECT_EQ("no console\n", std::string(said.begin(), said.end())) << t.wrapped << " started by " << t.tool;
    }
}

}  // namespace
