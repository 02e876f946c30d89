// The WM_COPYDATA records between the player and Drumlin.exe: commands that the player sends to the
// tool's window and the status records (header plus status block) that the tool sends back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drumlin {

constexpr uint32_t kStatusRecordId = 1020;   // tool -> play window
constexpr uint32_t kCommandRecordId = 1021;  // player -> tool window

enum CommandCode : int32_t {
    kCommandPauseResume = 1,
    kCommandStop = 2,
    kCommandSeek = 10,  // arguments 1-2: position in us (i64); 3-4: 0 absolute, 1 relative (i64)
    kCommandMute = 30,  // argument 1: 0 or 1
    kCommandVolume = 31,  // arguments 1-2: 0..100 (i64)
};

enum StatusCode : int32_t {
    kStatusOpened = 20,        // argument 1: media opened with its size, aspect and duration
    kStatusStarted = 21,       // tool window at 16, process id at 24, drawing window at 28
    kStatusProgress = 22,
    kStatusPauseChanged = 23,  // argument 1 paused, 0 playing
    kStatusEnded = 24,         // argument: one of EndReason
};

enum EndReason : int32_t {
    kEndReached = 0,
    kEndStopped = 1,
    kEndCannotOpen = 2,
};

// The common head of both records.
struct RecordHeader {
    uint64_t playWindow;  // 0
    int64_t context;      // 8: the -callback_context value, echoed
    uint64_t toolWindow;  // 16
    int32_t value1;       // 24
    int32_t value2;       // 28
    int32_t code;         // 32
    int32_t zero;         // 36
    int32_t args[4];      // 40
    char text[1024];      // 56
};

// Flags of StatusBlock::flags.
constexpr uint32_t kHasVideo = 0x1;
constexpr uint32_t kHasAudio = 0x2;
constexpr uint32_t kSoundDevice = 0x4;     // audio goes to a waveOut device (else it plays silently on the clock)
constexpr uint32_t kOverlayDrawing = 0x8;  // the picture is drawn in a popup kept over the tool window
constexpr uint32_t kAtEnd = 0x10;

struct StatusBlock {
    uint32_t flags;         // 0
    int32_t state;          // 4: 1 opening, 2 playing, 3 paused, 4 stopped, 5 ended
    int64_t startInUs;      // 8: where this play began (-ss or the last seek)
    int64_t endInUs;        // 16: where it stops (-t or the duration; 0 unknown)
    int32_t framesShown;    // 24: since the tool started
    int32_t framesDropped;  // 28
    int32_t frameRateNum;   // 32
    int32_t frameRateDen;   // 36
    int32_t sampleRate;     // 40: of the audio stream in the file
    int32_t channels;       // 44
    int32_t volume;         // 48: 0..100
    int32_t mute;           // 52
    int32_t videoStream;    // 56: index in the file, -1 none
    int32_t audioStream;    // 60
    int32_t paused;         // 64
    int32_t cpuMs;          // 68: processor time the tool itself has used
    char formatName[24];    // 72
    int64_t durationInUs;   // 96
    char videoCodec[32];    // 104
    char audioCodec[32];    // 136
    int32_t subtitleStream; // 168: index in the file of the text drawn over the picture, -1 none
    int32_t reserved1[12];  // 172
    int32_t videoWidth;     // 220: picture size as shown (after a rotation in -vf)
    int32_t videoHeight;    // 224
    int32_t aspectNum;      // 228: display aspect ratio
    int32_t aspectDen;      // 232
    int32_t pictureWidth;   // 236: size the frames are decoded at
    int32_t pictureHeight;  // 240
    uint8_t reserved2[300];  // 244
    int64_t positionInUs;   // 544
    int64_t reserved3;      // 552
};

struct StatusRecord {
    RecordHeader header;
    StatusBlock block;
};

static_assert(sizeof(RecordHeader) == 1080, "command record size");
static_assert(offsetof(RecordHeader, context) == 8 && offsetof(RecordHeader, toolWindow) == 16, "");
static_assert(offsetof(RecordHeader, value1) == 24 && offsetof(RecordHeader, code) == 32, "");
static_assert(offsetof(RecordHeader, args) == 40 && offsetof(RecordHeader, text) == 56, "");
static_assert(sizeof(StatusBlock) == 560, "status block size");
static_assert(offsetof(StatusBlock, durationInUs) == 96, "");
static_assert(offsetof(StatusBlock, videoWidth) == 220 && offsetof(StatusBlock, videoHeight) == 224, "");
static_assert(offsetof(StatusBlock, aspectNum) == 228 && offsetof(StatusBlock, aspectDen) == 232, "");
static_assert(offsetof(StatusBlock, positionInUs) == 544, "");
static_assert(sizeof(StatusRecord) == 1640 && offsetof(StatusRecord, block) == 1080, "status record");

}  // namespace drumlin
