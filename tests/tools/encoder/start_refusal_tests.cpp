// The encoder tool's start of ffmpeg when the system refuses it: a refusal for a moment is tried
// again, one that lasts ends the tool with the system's error.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "encoder_tool_support.h"

using namespace enctest;

namespace {

size_t CountOf(const std::string& text, const char* part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A file that another process holds open without sharing cannot be started: the system refuses
// with a sharing violation, as it does while a scanner reads a file just written (and as a loaded
// Wine refuses with an internal error now and then).
HANDLE Hold(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(EncoderStart, AStartOfFfmpegRefusedForAMomentIsTriedAgainAndARefusalThatLastsFailsTheRun)
{
    ASSERT_TRUE(Env().ok) << Env().problem;
    // A Modules folder of its own: the file held is no other test's ffmpeg.
    const std::wstring modules = Env().scratch + L"held modules\\";
    CreateDirectoryW(modules.c_str(), nullptr);
    const std::wstring ffmpeg = modules + L"ffmpeg.exe";
    ASSERT_TRUE(CopyFileW((Env().modules + L"Velkor.exe").c_str(), (modules + L"Velkor.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((Env().modules + L"ffmpeg.exe").c_str(), ffmpeg.c_str(), FALSE));
    const std::wstring out = Scratch(L"after a refused start.mkv");
    const std::wstring args = L"-i " + Quote(Env().clip) + L" -c copy -f matroska " + Quote(out) + L" -y";
    RunOptions options;
    options.tool = modules + L"Velkor.exe";

    // Let go as soon as the tool says that the first start was refused and it tries again.
    HANDLE held = Hold(ffmpeg);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    options.watch = [&held](const std::string& output) {
        if (held && output.find("trying again") != std::string::npos) {
            CloseHandle(held);
            held = nullptr;
        }
    };
    RunResult run = RunTool(args, options);
    if (held)
        CloseHandle(held);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("(error 32); trying again")) << run.output;
    EXPECT_GT(ReadAll(out).size(), 10000u) << run.output;

    // Held all along: a few tries, then the tool fails with what the system said.
    held = Hold(ffmpeg);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    options.watch = nullptr;
    const std::wstring never = Scratch(L"never started.mkv");
    RunResult refused = RunTool(L"-i " + Quote(Env().clip) + L" -c copy -f matroska " + Quote(never) + L" -y", options);
    CloseHandle(held);
    EXPECT_TRUE(refused.finished);
    EXPECT_EQ(2u, refused.exitCode) << refused.output;
    EXPECT_EQ(4u, CountOf(refused.output, "trying again")) << refused.output;
    EXPECT_NE(std::string::npos, refused.output.find("cannot start")) << refused.output;
    EXPECT_FALSE(Exists(never));
}

}  // namespace
