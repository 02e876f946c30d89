// The record from which the playback tool's command line is built: what to play and which
// streams, times and filters to play it with.
#pragma once

#include "framework/String.h"

class CPlayParams {
public:
    CPlayParams() { Reset(); }

    // Streams automatic, start 0, no duration limit, every filter neutral, no extra arguments.
    void Reset();

    CString InputPath;
    // n >= 0 goes to the tool unchanged, -1 automatic, -2 switched off.
    int VideoStream;
    int AudioStream;
    int SubtitleStream;
    __int64 StartMs;
    __int64 DurationMs;
    CString Sync;
    // Picture timing in percent: 200 shows the video at half speed.
    int PtsScale;
    // 0, 90, 180 or 270 degrees.
    int Rotation;
    int FlipHorizontal;
    int FlipVertical;
    int Negate;
    int Grayscale;
    int OldPhoto;
    int Volume;
    int Tempo;
    __int64 AudioDelayMs;
    __int64 AudioTrimStartMs;
    // Added to the command line as they are; may hold several options.
    CString ExtraArgs;
};
