// Defaults of the play parameters.
#include "engine/PlayParams.h"

void CPlayParams::Reset()
{
    InputPath.Empty();
    VideoStream = -1;
    AudioStream = -1;
    SubtitleStream = -1;
    StartMs = 0;
    DurationMs = -1;
    Sync.Empty();
    PtsScale = 100;
    Rotation = 0;
    FlipHorizontal = 0;
    FlipVertical = 0;
    Negate = 0;
    Grayscale = 0;
    OldPhoto = 0;
    Volume = 100;
    Tempo = 100;
    AudioDelayMs = 0;
    AudioTrimStartMs = 0;
    ExtraArgs.Empty();
}
