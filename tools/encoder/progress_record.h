// The record the encoder tool sends to its callback window by WM_COPYDATA: started, progress and
// ended, each with the context value it was given and a progress block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

const uintptr_t kRecordId = 1010;  // COPYDATASTRUCT::dwData

enum RecordCode : uint32_t {
    kRecordStarted = 21,
    kRecordProgress = 22,
    kRecordEnded = 24,
};

struct ProgressBlock {
    int64_t frames;           // frames written so far (for the log of a receiver; not required)
    int64_t reserved0;
    int64_t totalDurationUs;  // expected length of the output; 0 when not known
    int64_t reserved1;
    int64_t bytesWritten;
    int64_t positionUs;       // output time reached
    int64_t reserved2;
};

struct ProgressRecord {
    int64_t context;  // the "-callback_context" value, unchanged
    uint32_t code;    // RecordCode
    int32_t exitCode; // in the ended record: the tool's exit code
    uint8_t reserved[1040];
    ProgressBlock block;
};

static_assert(sizeof(ProgressBlock) == 56, "progress block size");
static_assert(offsetof(ProgressBlock, totalDurationUs) == 16, "total duration offset");
static_assert(offsetof(ProgressBlock, bytesWritten) == 32, "bytes offset");
static_assert(offsetof(ProgressBlock, positionUs) == 40, "position offset");
static_assert(sizeof(ProgressRecord) == 1112, "record size");
static_assert(offsetof(ProgressRecord, code) == 8, "code offset");
static_assert(offsetof(ProgressRecord, block) == 1056, "block offset");

// The tool's exit codes besides ffmpeg's own (ffmpeg uses 0, 1, 69, 123 and 255).
enum ExitCode : int {
    kExitMissingFfmpeg = 2,  // ffmpeg.exe not found beside the tool, or it cannot be started
    kExitStopped = 3,        // the callback window asked to stop; the output holds what was done
    kExitRefused = 4,        // the command line asks for what this build cannot do
};

}  // namespace velkor
