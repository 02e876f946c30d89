// The format base's part of a conversion: the preset resolved against the probed source, the
// encoder options filled from it, and the encoder run.
#include <shlwapi.h>
#include <string.h>

#include "conversion/FormatCatalog.h"
#include "conversion/MediaCatalog.h"
#include "conversion/MediaConvertJob.h"
#include "conversion/MediaConvertRunner.h"
#include "engine/EncoderOptions.h"
#include "engine/MediaInfo.h"

namespace {

bool IsQuarterTurn(int rotation)
{
    return rotation == 90 || rotation == 1 || rotation == 270 || rotation == 3;
}

// The source as the encoder's output sees it: a quarter turn swaps width and height before the
// frame size is written, so a size filled or aligned from the source must be the turned one.
SourceStreamValues OutputSourceValues(const CMediaStream* stream, const CEncoderOptions& options)
{
    SourceStreamValues values = MakeSourceValues(stream);
    if (IsQuarterTurn(options.Rotation)) {
        const int width = values.Width;
        values.Width = values.Height;
        values.Height = width;
    }
    return values;
}

} // namespace

int CMediaFormat::BuildSettings(PresetSettings& out, const CMediaPreset& preset, const CMediaStream* video,
                                const CMediaStream* audio)
{
    const PresetSettings& in = preset.Settings;
    out.Flags = in.Flags | Flags;
    SetPresetText(out.Name, Muxer);
    if (const CVideoCodec* codec = preset.VideoCodec) {
        PresetVideoSettings& v = out.Video;
        v.Flags = in.Video.Flags;
        SetPresetText(v.Codec, codec->EncoderName);
        if (video) {
            const MediaSize size = codec->ResolveFrameSize(in.Video.Width, in.Video.Height, video->Width, video->Height);
            v.Width = size.Width;
            v.Height = size.Height;
            v.AspectNum = in.Video.AspectNum;
            v.AspectDen = in.Video.AspectDen;
            const MediaRate rate = codec->ResolveFrameRate(in.Video.RateNum, in.Video.RateDen, video->FrameRateNum,
                                                           video->FrameRateDen);
            v.RateNum = rate.Num;
            v.RateDen = rate.Den;
            v.BitRate = codec->ResolveBitRate(in.Video.BitRate, video->BitRate);
        } else {
            v.Width = in.Video.Width;
            v.Height = in.Video.Height;
            v.AspectNum = in.Video.AspectNum;
            v.AspectDen = in.Video.AspectDen;
            v.RateNum = in.Video.RateNum;
            v.RateDen = in.Video.RateDen;
            v.BitRate = in.Video.BitRate;
        }
        SetPresetText(v.Profile, in.Video.Profile[0] ? in.Video.Profile : codec->Profile.GetString());
        SetPresetText(v.Preset, in.Video.Preset[0] ? in.Video.Preset : codec->Preset.GetString());
    }
    if (const CAudioCodec* codec = preset.AudioCodec) {
        PresetAudioSettings& a = out.Audio;
        a.Flags = in.Audio.Flags;
        SetPresetText(a.Codec, codec->EncoderName);
        if (audio) {
            a.Channels = codec->ResolveChannels(in.Audio.Channels, audio->Channels);
            a.SampleRate = codec->ResolveSampleRate(in.Audio.SampleRate, audio->SampleRate);
            a.BitRate = codec->ResolveBitRate(in.Audio.BitRate, audio->BitRate);
        } else {
            a.Channels = in.Audio.Channels;
            a.SampleRate = in.Audio.SampleRate;
            a.BitRate = in.Audio.BitRate;
        }
        SetPresetText(a.Profile, in.Audio.Profile[0] ? in.Audio.Profile : codec->Profile.GetString());
        SetPresetText(a.Preset, in.Audio.Preset[0] ? in.Audio.Preset : codec->Preset.GetString());
    }
    return 1;
}

int CMediaFormat::PrepareJob(CEncoderOptions& options, const CMediaPreset& preset, const volatile int* cancel,
                             const CJobSourceItem* source)
{
    CMediaInfoRecord first;
    if (ProbeJobInput(first, options.Input1Path, source, cancel) != 0)
        return -1;
    const CMediaStream* video = first.GetSelectedVideoStream();
    const CMediaStream* audio = first.GetSelectedAudioStream();
    CMediaInfoRecord second;
    if (!options.Input2Path.IsEmpty() && second.Probe(options.Input2Path, cancel) == 0)
        audio = second.GetSelectedAudioStream();
    return FillEncoderOptions(options, preset, video, audio) != 0 ? -1 : 0;
}

int CMediaFormat::FillEncoderOptions(CEncoderOptions& options, const CMediaPreset& preset,
                                     const CMediaStream* video, const CMediaStream* audio)
{
    PresetSettings resolved;
    memset(&resolved, 0, sizeof(resolved));
    BuildSettings(resolved, preset, video, audio);
    if (resolved.Name[0])
        options.OutputFormat = resolved.Name;

    const PresetVideoSettings& v = resolved.Video;
    if (!video || !(resolved.Flags & FORMAT_VIDEO) || (v.Flags & PRESET_STREAM_OFF)) {
        options.VideoFlags |= ENCODER_STREAM_OFF;
    } else {
        if (v.Codec[0]) options.VideoCodec = v.Codec;
        if (v.Width > 0 && v.Height > 0) {
            options.Width = v.Width;
            options.Height = v.Height;
        }
        if (v.AspectNum > 0 && v.AspectDen > 0) {
            options.AspectNum = v.AspectNum;
            options.AspectDen = v.AspectDen;
        }
        if (v.RateNum > 0 && v.RateDen > 0) {
            options.RateNum = v.RateNum;
            options.RateDen = v.RateDen;
        }
        if (v.BitRate > 0) options.VideoBitRate = v.BitRate;
        if (v.Flags & PRESET_SAME_QUALITY) options.VideoFlags |= ENCODER_SAME_QUALITY;
        if (CVideoCodec* codec = preset.VideoCodec) {
            if (codec->AdjustOptions(options, OutputSourceValues(video, options)) != 0)
                return -1;
            if (!codec->Tag.IsEmpty()) options.VideoTag = codec->Tag;
            if (!codec->PixelFormat.IsEmpty()) options.PixelFormat = codec->PixelFormat;
            if (v.Profile[0]) options.VideoProfile = v.Profile;
            if (v.Preset[0]) options.VideoPreset = v.Preset;
            if (!codec->ExtraOptions.IsEmpty()) options.VideoExtraOptions = codec->ExtraOptions;
            if (codec->Flags & CODEC_MULTITHREADED) options.Flags |= ENCODER_ALLOW_THREADS;
        }
    }

    const PresetAudioSettings& a = resolved.Audio;
    if (!audio || !(resolved.Flags & FORMAT_AUDIO) || (a.Flags & PRESET_STREAM_OFF)) {
        options.AudioFlags |= ENCODER_STREAM_OFF;
    } else {
        if (a.Codec[0]) options.AudioCodec = a.Codec;
        if (a.Channels > 0) options.Channels = a.Channels;
        if (a.SampleRate > 0) options.SampleRate = a.SampleRate;
        if (a.BitRate > 0) options.AudioBitRate = a.BitRate;
        if (a.Flags & PRESET_SAME_QUALITY) options.AudioFlags |= ENCODER_SAME_QUALITY;
        if (CAudioCodec* codec = preset.AudioCodec) {
            codec->AdjustOptions(options, MakeSourceValues(audio));
            if (!codec->Tag.IsEmpty()) options.AudioTag = codec->Tag;
            if (a.Profile[0]) options.AudioProfile = a.Profile;
            if (a.Preset[0]) options.AudioPreset = a.Preset;
            if (!codec->ExtraOptions.IsEmpty()) options.AudioExtraOptions = codec->ExtraOptions;
            if (codec->Flags & CODEC_MULTITHREADED) options.Flags |= ENCODER_ALLOW_THREADS;
        }
    }

    AppendEncoderOptions(options, ExtraOptions);
    return 0;
}

int CMediaFormat::Convert(CEncoderOptions& options, const CMediaPreset& preset, CEncoderToolEvents* events,
                          HWND notifyWindow, const volatile int* cancel, const CJobSourceItem* source)
{
    if (options.Input1Path.IsEmpty() || !PathFileExistsW(options.Input1Path))
        return -1;
    if (PrepareJob(options, preset, cancel, source) != 0)
        return -1;
    if (RunEncoderJob(options, notifyWindow, events, cancel) == 0)
        return 0;
    return (cancel && *cancel) ? 1 : -1;
}

int VF_hls::FillEncoderOptions(CEncoderOptions& options, const CMediaPreset& preset, const CMediaStream* video,
                               const CMediaStream* audio)
{
    if (CMediaFormat::FillEncoderOptions(options, preset, video, audio) != 0)
        return -1;
    options.HlsListSize = 0;
    return 0;
}
