// Defaults of the encoder options record.
#include "engine/EncoderOptions.h"

CEncoderOptions::CEncoderOptions()
{
    Reset();
}

void CEncoderOptions::Reset()
{
    Flags = 0;
    Safe = 1;
    Input1Path.Empty();
    Input1Format.Empty();
    Input1Start = Input1Duration = Input1Offset = 0;
    InputRateNum = InputRateDen = 0;
    Input2Path.Empty();
    Input2Format.Empty();
    Input2Start = Input2Duration = Input2Offset = 0;
    Input3Path.Empty();
    Input3Format.Empty();
    Input4Path.Empty();
    VideoMap = AudioMap = SubtitleMap = ENCODER_MAP_AUTO;
    OutputPath.Empty();
    OutputStart = OutputDuration = 0;
    OutputFormat.Empty();
    Target.Empty();
    Codec.Empty();
    SizeLimit = 0;
    ComplexFilter.Empty();
    ExtraOptions1.Empty();
    ExtraOptions2.Empty();

    VideoFlags = 0;
    VideoCodec.Empty();
    VideoTag.Empty();
    VideoExtraOptions.Empty();
    PixelFormat.Empty();
    VideoQuality = -1;
    Width = Height = 0;
    AspectNum = AspectDen = 0;
    RateNum = RateDen = 0;
    VideoBitRate = 0;
    VideoFrames = 0;
    Vsync.Empty();
    VideoBitstreamFilter.Empty();
    VideoProfile.Empty();
    VideoPreset.Empty();
    VideoFilter.Empty();
    CropLeft = CropTop = CropWidth = CropHeight = 0;
    Rotation = 0;
    FlipVertical = FlipHorizontal = Grayscale = Negate = OldPhoto = 0;

    AudioFlags = 0;
    AudioCodec.Empty();
    AudioTag.Empty();
    AudioExtraOptions.Empty();
    AudioQuality = -1;
    Channels = SampleRate = AudioBitRate = 0;
    VolumeLevel = 256;
    AudioBitstreamFilter.Empty();
    AudioProfile.Empty();
    AudioPreset.Empty();
    AudioFilter.Empty();

    SubtitleFlags = 0;
    SubtitleCodec.Empty();
    VolumePercent = 100;
    Loop = -1;
    HlsListSize = -1;
}
