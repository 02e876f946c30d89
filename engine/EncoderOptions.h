// The record that describes one encoder run: inputs, stream maps, video, audio and subtitle
// settings, filters and the output; the encoder driver turns it into the tool's arguments.
#pragma once

#include <windows.h>

#include "framework/String.h"

// Video and audio flag bits.
const UINT ENCODER_SAME_QUALITY = 0x1;
const UINT ENCODER_STREAM_OFF = 0x20000000;
// General flag bit: "-threads" may be written.
const UINT ENCODER_ALLOW_THREADS = 0x1;
// Stream maps besides a stream index (n >= 0).
const int ENCODER_MAP_AUTO = -1;
const int ENCODER_MAP_OFF = -2;

// Times are 64-bit milliseconds.
class CEncoderOptions {
public:
    CEncoderOptions();

    // Every field back to its default.
    void Reset();

    UINT Flags;
    int Safe;

    CString Input1Path;
    CString Input1Format;
    __int64 Input1Start;
    __int64 Input1Duration;
    __int64 Input1Offset;
    int InputRateNum;
    int InputRateDen;
    CString Input2Path;
    CString Input2Format;
    __int64 Input2Start;
    __int64 Input2Duration;
    __int64 Input2Offset;
    CString Input3Path;
    CString Input3Format;
    CString Input4Path;

    // ENCODER_MAP_AUTO, ENCODER_MAP_OFF, or the index of the stream to map.
    int VideoMap;
    int AudioMap;
    int SubtitleMap;

    CString OutputPath;
    __int64 OutputStart;
    __int64 OutputDuration;
    CString OutputFormat;
    CString Target;
    CString Codec;
    __int64 SizeLimit;
    CString ComplexFilter;
    CString ExtraOptions1;
    CString ExtraOptions2;

    UINT VideoFlags;
    CString VideoCodec;
    CString VideoTag;
    CString VideoExtraOptions;
    CString PixelFormat;
    int VideoQuality;
    int Width;
    int Height;
    int AspectNum;
    int AspectDen;
    int RateNum;
    int RateDen;
    int VideoBitRate;
    int VideoFrames;
    CString Vsync;
    CString VideoBitstreamFilter;
    CString VideoProfile;
    CString VideoPreset;
    CString VideoFilter;
    int CropLeft;
    int CropTop;
    int CropWidth;
    int CropHeight;
    int Rotation;
    int FlipVertical;
    int FlipHorizontal;
    int Grayscale;
    int Negate;
    int OldPhoto;

    UINT AudioFlags;
    CString AudioCodec;
    CString AudioTag;
    CString AudioExtraOptions;
    int AudioQuality;
    int Channels;
    int SampleRate;
    int AudioBitRate;
    int VolumeLevel;
    CString AudioBitstreamFilter;
    CString AudioProfile;
    CString AudioPreset;
    CString AudioFilter;

    UINT SubtitleFlags;
    CString SubtitleCodec;
    int VolumePercent;
    int Loop;
    int HlsListSize;
};
