// The table of output formats by category, and the format built from one of its entries.
#include "conversion/FormatCatalog.h"

#include <string.h>

#include "conversion/BuiltInPresets.h"
#include "conversion/CodecCatalog.h"

struct FormatDef {
    const wchar_t* Key;
    const wchar_t* Name;
    const wchar_t* Muxer;
    const wchar_t* Extension;
    UINT Flags;
    bool Hidden;
    const wchar_t* VideoCodecs;   // keys separated by blanks, the default first
    const wchar_t* AudioCodecs;
    const wchar_t* PixelFormat;   // forced on the format's video codecs when not empty
};

namespace {

const bool H = true;   // hidden from the format lists at creation

// Key, name, muxer, extension, flags, hidden, video codecs, audio codecs, pixel format.
const FormatDef VideoFormats[] = {
    {L"VF_mp4", L"MP4", L"mp4", L".mp4", 0x3, false, L"VC_libx264 VC_libx265 VC_mpeg4 VC_libxvid", L"AC_aac AC_ac3 AC_libmp3lame.mp4", L""},
    {L"VF_flv", L"FLV", L"flv", L".flv", 0x3, false, L"VC_flv VC_libx264", L"AC_libmp3lame.flv AC_aac", L""},
    {L"VF_wmv", L"WMV", L"asf", L".wmv", 0x3, false, L"VC_wmv2 VC_wmv1 VC_msmpeg4", L"AC_wmav2 AC_wmav1 AC_libmp3lame AC_mp2", L""},
    {L"VF_mov", L"MOV", L"mov", L".mov", 0x3, false, L"VC_libx264 VC_mpeg4 VC_libxvid VC_mjpeg", L"AC_aac AC_libmp3lame AC_alac", L""},
    {L"VF_avi", L"AVI", L"avi", L".avi", 0x3, false, L"VC_libx264 VC_mpeg4 VC_mpeg4.divx VC_libxvid VC_msmpeg4 VC_msmpeg4v3 VC_msmpeg4v2 VC_mpeg2video VC_mpeg1video VC_h263 VC_h263p VC_mjpeg VC_huffyuv VC_rawvideo VC_wmv2 VC_wmv1", L"AC_libmp3lame AC_mp2 AC_aac AC_ac3 AC_pcm_s16le AC_pcm_alaw AC_pcm_mulaw AC_adpcm_ima_wav AC_adpcm_ms AC_wmav2 AC_wmav1 AC_dca", L""},
    {L"VF_3g2", L"3GPP2", L"3g2", L".3g2", 0x3, false, L"VC_h263.3g2 VC_libx264.3g2 VC_mpeg4.3g2 VC_libxvid.3g2", L"AC_libopencore_amrnb AC_libvo_amrwbenc AC_aac.3g2", L""},
    {L"VF_3gp", L"3GPP", L"3gp", L".3gp", 0x3, false, L"VC_h263.3gp VC_libx264.3gp VC_mpeg4.3gp VC_libxvid.3gp", L"AC_libopencore_amrnb AC_libvo_amrwbenc AC_aac.3gp", L""},
    {L"VF_apng", L"Animated PNG", L"apng", L".apng", 0x1, H, L"VC_apng", L"", L""},
    {L"VF_asf", L"ASF", L"asf", L".asf", 0x3, false, L"VC_msmpeg4 VC_wmv2 VC_wmv1 VC_msmpeg4v3", L"AC_libmp3lame AC_mp2 AC_wmav2 AC_wmav1", L""},
    {L"VF_dash", L"DASH", L"dash", L".mpd", 0x3, H, L"VC_libx264", L"AC_aac", L""},
    {L"VF_dv", L"DV", L"dv", L".dv", 0x3, H, L"VC_dvvideo", L"AC_pcm_s16le.dv", L""},
    {L"VF_f4v", L"F4V", L"f4v", L".f4v", 0x3, H, L"VC_libx264", L"AC_aac", L""},
    {L"VF_flm", L"Adobe Filmstrip", L"filmstrip", L".flm", 0x1, H, L"VC_rawvideo", L"", L"rgba"},
    {L"VF_gif", L"Animated GIF", L"gif", L".gif", 0x1, false, L"VC_gif", L"", L""},
    {L"VF_gxf", L"GXF", L"gxf", L".gxf", 0x3, H, L"VC_mpeg2video", L"AC_pcm_s16le.gxf", L""},
    {L"VF_hls", L"HLS", L"hls", L".m3u8", 0x3, false, L"VC_libx264", L"AC_aac", L""},
    {L"VF_ismv", L"ISMV", L"ismv", L".ismv", 0x3, H, L"VC_libx264", L"AC_aac", L""},
    {L"VF_m2v", L"MPEG-2 Video", L"mpeg2video", L".m2v", 0x1, H, L"VC_mpeg2video", L"", L""},
    {L"VF_m4v", L"M4V", L"m4v", L".m4v", 0x3, H, L"VC_libx264 VC_mpeg4 VC_libxvid", L"AC_aac", L""},
    {L"VF_mjpeg", L"MJPEG", L"mjpeg", L".mjpeg", 0x1, H, L"VC_mjpeg", L"", L""},
    {L"VF_mkv", L"MKV", L"matroska", L".mkv", 0x3, false, L"VC_libx264 VC_mpeg4 VC_libxvid VC_libx265 VC_libtheora VC_libvpx_vp9 VC_mpeg2video VC_mjpeg VC_dvvideo", L"AC_aac AC_ac3 AC_libmp3lame AC_libvorbis AC_libopus AC_mp2 AC_pcm_s16le AC_dca AC_alac", L""},
    {L"VF_mp4.web", L"MP4 for Web", L"mp4", L".mp4", 0x3, false, L"VC_libx264.web VC_mpeg4 VC_libxvid", L"AC_aac AC_libmp3lame.mp4", L""},
    {L"VF_mpeg1", L"MPEG-1", L"mpeg", L".mpg", 0x3, false, L"VC_mpeg1video", L"AC_mp2 AC_libmp3lame", L""},
    {L"VF_mpeg2", L"MPEG-2", L"mpeg", L".mpg", 0x3, false, L"VC_mpeg2video", L"AC_mp2 AC_ac3", L""},
    {L"VF_mxf", L"MXF", L"mxf", L".mxf", 0x3, H, L"VC_mpeg2video", L"AC_pcm_s16le.mxf", L""},
    {L"VF_nut", L"NUT", L"nut", L".nut", 0x3, H, L"VC_mpeg4", L"AC_libvorbis AC_libmp3lame AC_mp2", L""},
    {L"VF_ogv", L"Ogg Video", L"ogv", L".ogv", 0x3, H, L"VC_libtheora", L"AC_libvorbis AC_flac", L""},
    {L"VF_rm", L"RealVideo", L"rm", L".rm", 0x3, H, L"VC_rv20 VC_rv10", L"AC_ac3", L""},
    {L"VF_swf", L"SWF", L"swf", L".swf", 0x3, H, L"VC_flv VC_mjpeg", L"AC_libmp3lame.flv", L""},
    {L"VF_trp", L"TRP", L"mpegts", L".trp", 0x3, H, L"VC_mpeg2video.ts VC_libx264.ts", L"AC_ac3", L""},
    {L"VF_ts", L"TS", L"mpegts", L".ts", 0x3, false, L"VC_mpeg2video.ts VC_libx264.ts", L"AC_mp2 AC_ac3 AC_libmp3lame AC_aac", L""},
    {L"VF_vob", L"VOB", L"vob", L".vob", 0x3, false, L"VC_mpeg2video.DVD", L"AC_ac3.DVD AC_mp2.DVD", L""},
    {L"VF_webm", L"WEBM", L"webm", L".webm", 0x3, false, L"VC_libvpx VC_libvpx_vp9", L"AC_libvorbis", L""},
    {L"VF_wtv", L"WTV", L"wtv", L".wtv", 0x3, false, L"VC_mpeg2video", L"AC_ac3", L""},
    {L"VF_DVD", L"DVD", L"dvd", L".vob", 0x3, false, L"VC_mpeg2video.DVD", L"AC_ac3.DVD", L""},
    {L"VF_VCD", L"VCD", L"vcd", L".mpg", 0x3, false, L"VC_mpeg1video.VCD", L"AC_mp2.VCD", L""},
    {L"VF_SVCD", L"SVCD", L"svcd", L".mpg", 0x3, H, L"VC_mpeg2video.SVCD", L"AC_mp2.VCD", L""},
};

const FormatDef AudioFormats[] = {
    {L"AF_mp3", L"MP3", L"mp3", L".mp3", 0x2, false, L"", L"AC_libmp3lame", L""},
    {L"AF_aac", L"AAC", L"adts", L".aac", 0x2, false, L"", L"AC_aac", L""},
    {L"AF_ac3", L"AC3", L"ac3", L".ac3", 0x2, false, L"", L"AC_ac3", L""},
    {L"AF_adx", L"ADX", L"adx", L".adx", 0x2, H, L"", L"AC_adpcm_adx", L""},
    {L"AF_aiff", L"AIFF", L"aiff", L".aiff", 0x2, H, L"", L"AC_pcm_s16be AC_pcm_s24be", L""},
    {L"AF_alac", L"ALAC", L"ipod", L".m4a", 0x2, H, L"", L"AC_alac", L""},
    {L"AF_amr", L"AMR", L"amr", L".amr", 0x2, H, L"", L"AC_libopencore_amrnb AC_libvo_amrwbenc", L""},
    {L"AF_ast", L"AST", L"ast", L".ast", 0x2, H, L"", L"AC_pcm_s16be_planar", L""},
    {L"AF_au", L"AU", L"au", L".au", 0x2, H, L"", L"AC_pcm_s16be AC_pcm_alaw AC_pcm_mulaw AC_pcm_s8", L""},
    {L"AF_caf", L"CAF", L"caf", L".caf", 0x2, H, L"", L"AC_pcm_s16be", L""},
    {L"AF_dts", L"DTS", L"dts", L".dts", 0x2, H, L"", L"AC_dca", L""},
    {L"AF_flac", L"FLAC", L"flac", L".flac", 0x2, false, L"", L"AC_flac", L""},
    {L"AF_gsm", L"GSM", L"wav", L".gsm", 0x2, H, L"", L"AC_libgsm_ms", L""},
    {L"AF_ilbc", L"iLBC", L"ilbc", L".ilbc", 0x2, H, L"", L"AC_libilbc", L""},
    {L"AF_m4a", L"M4A", L"ipod", L".m4a", 0x2, H, L"", L"AC_aac AC_alac", L""},
    {L"AF_m4b", L"M4B", L"ipod", L".m4b", 0x2, H, L"", L"AC_aac AC_alac", L""},
    {L"AF_m4r", L"M4R", L"ipod", L".m4r", 0x2, H, L"", L"AC_aac AC_alac", L""},
    {L"AF_mka", L"MKA", L"matroska", L".mka", 0x2, H, L"", L"AC_aac AC_ac3 AC_libmp3lame AC_alac AC_libvorbis", L""},
    {L"AF_mmf", L"MMF", L"mmf", L".mmf", 0x2, H, L"", L"AC_adpcm_yamaha", L""},
    {L"AF_mp2", L"MP2", L"mp2", L".mp2", 0x2, false, L"", L"AC_mp2", L""},
    {L"AF_oga", L"Ogg Audio", L"oga", L".oga", 0x2, H, L"", L"AC_flac", L""},
    {L"AF_ogg", L"Ogg", L"ogg", L".ogg", 0x2, false, L"", L"AC_libvorbis AC_flac", L""},
    {L"AF_opus", L"Opus", L"opus", L".opus", 0x2, false, L"", L"AC_libopus", L""},
    {L"AF_spx", L"Speex", L"spx", L".spx", 0x2, false, L"", L"AC_libspeex", L""},
    {L"AF_w64", L"Sony Wave64", L"w64", L".w64", 0x2, H, L"", L"AC_pcm_s16le", L""},
    {L"AF_wav", L"WAV", L"wav", L".wav", 0x2, false, L"", L"AC_pcm_s16le AC_pcm_s24le AC_pcm_u8 AC_pcm_alaw AC_pcm_mulaw AC_adpcm_ms AC_adpcm_ima_wav", L""},
    {L"AF_wma", L"WMA", L"asf", L".wma", 0x2, false, L"", L"AC_wmav2 AC_wmav1", L""},
    {L"AF_wv", L"WavPack", L"wv", L".wv", 0x2, H, L"", L"AC_wavpack", L""},
};

const FormatDef DeviceFormats[] = {
    {L"VF_Apple.iPhone", L"Apple iPhone", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Apple VC_mpeg4.Apple", L"AC_aac.Apple", L""},
    {L"VF_Apple.iPad", L"Apple iPad", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Apple VC_mpeg4.Apple", L"AC_aac.Apple", L""},
    {L"VF_Apple.others", L"Apple TV, iPod", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Apple VC_mpeg4.Apple", L"AC_aac.Apple", L""},
    {L"VF_Samsung.phone", L"Samsung Phone", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Samsung.tablet", L"Samsung Tablet", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Huawei", L"Huawei", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Android", L"Android", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Amazon", L"Amazon", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_BlackBerry", L"BlackBerry", L"mp4", L".mp4", 0x103, false, L"VC_libx264.BlackBerry VC_mpeg4.BlackBerry", L"AC_aac.BlackBerry AC_libmp3lame", L""},
    {L"VF_Google", L"Google", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android AC_libmp3lame", L""},
    {L"VF_HTC", L"HTC", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Lenovo", L"Lenovo", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_LG", L"LG", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Microsoft", L"Microsoft", L"mp4", L".mp4", 0x103, false, L"VC_libx264 VC_mpeg4", L"AC_aac", L""},
    {L"VF_Motorola", L"Motorola", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Nokia", L"Nokia", L"mp4", L".mp4", 0x103, H, L"VC_libx264 VC_mpeg4", L"AC_aac", L""},
    {L"VF_Sony", L"Sony", L"mp4", L".mp4", 0x103, false, L"VC_libx264 VC_mpeg4", L"AC_aac", L""},
    {L"VF_Xiaomi", L"Xiaomi", L"mp4", L".mp4", 0x103, false, L"VC_libx264.Android VC_mpeg4.Android", L"AC_aac.Android", L""},
    {L"VF_Tablet", L"Tablet", L"mp4", L".mp4", 0x103, false, L"VC_libx264 VC_mpeg4", L"AC_aac", L""},
    {L"VF_TV", L"TV", L"mp4", L".mp4", 0x103, false, L"VC_libx264 VC_mpeg4", L"AC_aac", L""},
    {L"VF_WindowsPhone", L"Windows Phone", L"mp4", L".mp4", 0x103, false, L"VC_libx264.WindowsPhone VC_mpeg4.WindowsPhone", L"AC_aac.WindowsPhone", L""},
    {L"VF_mp4.devices", L"MP4 for Devices", L"mp4", L".mp4", 0x103, false, L"VC_libx264 VC_mpeg4 VC_libxvid", L"AC_aac AC_libmp3lame", L""},
    {L"VF_avi.devices", L"AVI for Devices", L"avi", L".avi", 0x103, false, L"VC_libx264 VC_mpeg4 VC_libxvid VC_h263 VC_mjpeg", L"AC_libmp3lame AC_mp2 AC_pcm_s16le AC_ac3 AC_aac", L""},
};

template <class T, size_t N> constexpr size_t Count(const T (&)[N]) { return N; }

static_assert(Count(VideoFormats) == 37, "video formats");
static_assert(Count(AudioFormats) == 28, "audio formats");
static_assert(Count(DeviceFormats) == 23, "device formats");

// Calls add with each blank-separated key of the list.
template <class F> void ForEachKey(const wchar_t* keys, F add)
{
    const wchar_t* p = keys;
    while (*p) {
        while (*p == L' ') ++p;
        const wchar_t* end = p;
        while (*end && *end != L' ') ++end;
        if (end > p) add(CString(p, (int)(end - p)));
        p = end;
    }
}

void AddFormats(CMediaCategory& category, const FormatDef* defs, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        CBuiltInFormat* format = CBuiltInFormat::Create(defs[i].Key);
        if (!format) continue;
        if (defs[i].Hidden) format->Flags |= CATALOG_HIDDEN;
        category.Formats.Add(format);
    }
}

const FormatDef* FindFormatDef(const wchar_t* key)
{
    for (const FormatDef& def : VideoFormats) if (_wcsicmp(def.Key, key) == 0) return &def;
    for (const FormatDef& def : AudioFormats) if (_wcsicmp(def.Key, key) == 0) return &def;
    for (const FormatDef& def : DeviceFormats) if (_wcsicmp(def.Key, key) == 0) return &def;
    return nullptr;
}

} // namespace

CBuiltInFormat* CBuiltInFormat::Create(const wchar_t* key)
{
    const FormatDef* def = key ? FindFormatDef(key) : nullptr;
    if (!def) return nullptr;
    if (wcscmp(def->Key, L"VF_gif") == 0) return new VF_gif(*def);
    if (wcscmp(def->Key, L"VF_hls") == 0) return new VF_hls(*def);
    return new CBuiltInFormat(*def);
}

CBuiltInFormat::CBuiltInFormat(const FormatDef& def) : m_def(def)
{
    Flags = def.Flags;
    Media = (def.Flags & FORMAT_VIDEO) ? 1 : 2;
    Id = def.Key;
    Name = def.Name;
    Extension = def.Extension;
    Muxer = def.Muxer;
    if (Flags & FORMAT_VIDEO) {
        VideoCodecs = new COwningPtrArray<CVideoCodec>;
        ForEachKey(def.VideoCodecs, [&](const CString& key) {
            if (CVideoCodec* codec = CreateVideoCodec(key)) {
                if (*def.PixelFormat) codec->PixelFormat = def.PixelFormat;
                VideoCodecs->Add(codec);
            }
        });
    }
    if (Flags & FORMAT_AUDIO) {
        AudioCodecs = new COwningPtrArray<CAudioCodec>;
        ForEachKey(def.AudioCodecs, [&](const CString& key) {
            if (CAudioCodec* codec = CreateAudioCodec(key)) AudioCodecs->Add(codec);
        });
    }
    CustomPreset = new CMediaPreset;
    const BuiltInPresetTable* table = FindBuiltInPresets(def.Key);
    if (table && table->Count > DefaultPreset) InitPreset(CustomPreset, table->Records[DefaultPreset]);
    CustomPreset->Settings.Flags |= PRESET_CUSTOM;
    SetPresetText(CustomPreset->Settings.Name, L"Custom");
}

int CBuiltInFormat::LoadBuiltInPresets()
{
    DefaultPreset = 0;
    const BuiltInPresetTable* table = FindBuiltInPresets(m_def.Key);
    return SetPresets(table ? table->Records : nullptr, table ? table->Count : 0);
}

void AddVideoFormats(CMediaCategory& category)
{
    AddFormats(category, VideoFormats, Count(VideoFormats));
}

void AddAudioFormats(CMediaCategory& category)
{
    AddFormats(category, AudioFormats, Count(AudioFormats));
}

void AddDeviceFormats(CMediaCategory& category)
{
    AddFormats(category, DeviceFormats, Count(DeviceFormats));
}
