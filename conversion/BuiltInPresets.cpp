// The built-in preset tables of every output format, in the stored 948-byte record layout.
#include "conversion/BuiltInPresets.h"

#include <string.h>

namespace {

template <class T, size_t N> constexpr size_t Count(const T (&)[N]) { return N; }

template <size_t N> constexpr void CopyText(WCHAR (&field)[N], const wchar_t* text)
{
    for (size_t i = 0; i + 1 < N && text[i]; ++i) field[i] = text[i];
}

constexpr UINT SQ = PRESET_SAME_QUALITY;

constexpr PresetVideoSettings V(UINT flags, const wchar_t* codec, int width = 0, int height = 0, int rateNum = 0,
                                int rateDen = 0, int bitRate = 0, const wchar_t* profile = L"",
                                const wchar_t* preset = L"")
{
    PresetVideoSettings v{};
    v.Flags = flags;
    CopyText(v.Codec, codec);
    v.Width = width;
    v.Height = height;
    v.RateNum = rateNum;
    v.RateDen = rateDen;
    v.BitRate = bitRate;
    CopyText(v.Profile, profile);
    CopyText(v.Preset, preset);
    return v;
}

constexpr PresetAudioSettings A(UINT flags, const wchar_t* codec, int channels = 0, int sampleRate = 0, int bitRate = 0)
{
    PresetAudioSettings a{};
    a.Flags = flags;
    CopyText(a.Codec, codec);
    a.Channels = channels;
    a.SampleRate = sampleRate;
    a.BitRate = bitRate;
    return a;
}

constexpr PresetVideoSettings NoVideo{};
constexpr PresetAudioSettings NoAudio{};

constexpr PresetSettings R(const wchar_t* name, const PresetVideoSettings& video, const PresetAudioSettings& audio)
{
    PresetSettings r{};
    CopyText(r.Name, name);
    r.Video = video;
    r.Audio = audio;
    return r;
}

// Both sides at the source's quality: the common shape of the device tables.
constexpr PresetSettings SQ2(const wchar_t* name, const wchar_t* video, const wchar_t* audio, int width = 0,
                             int height = 0, const wchar_t* profile = L"")
{
    return R(name, V(SQ, video, width, height, 0, 0, 0, profile), A(SQ, audio));
}

constexpr const wchar_t* MAIN = L"main";
constexpr const wchar_t* BASE = L"baseline";
constexpr const wchar_t* X264 = L"VC_libx264";
constexpr const wchar_t* X265 = L"VC_libx265";
constexpr const wchar_t* MPEG4 = L"VC_mpeg4";
constexpr const wchar_t* AAC = L"AC_aac";
constexpr const wchar_t* X264_APPLE = L"VC_libx264.Apple";
constexpr const wchar_t* AAC_APPLE = L"AC_aac.Apple";
constexpr const wchar_t* X264_ANDROID = L"VC_libx264.Android";
constexpr const wchar_t* AAC_ANDROID = L"AC_aac.Android";

// ----- audio formats -----

constexpr PresetSettings AF_mp3_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_libmp3lame")),
    R(L"Low Quality", NoVideo, A(0, L"AC_libmp3lame", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_libmp3lame", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_libmp3lame", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_libmp3lame", 0, 0, 320000)),
};
static_assert(Count(AF_mp3_Presets) == 5, "AF_mp3");

constexpr PresetSettings AF_aac_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_aac")),
    R(L"Low Quality", NoVideo, A(0, L"AC_aac", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_aac", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_aac", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_aac", 0, 0, 320000)),
};
static_assert(Count(AF_aac_Presets) == 5, "AF_aac");

constexpr PresetSettings AF_ac3_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_ac3")),
    R(L"Low Quality", NoVideo, A(0, L"AC_ac3", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_ac3", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_ac3", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_ac3", 0, 0, 320000)),
};
static_assert(Count(AF_ac3_Presets) == 5, "AF_ac3");

constexpr PresetSettings AF_adx_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_adpcm_adx")),
};
constexpr PresetSettings AF_aiff_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_pcm_s16be")),
};
constexpr PresetSettings AF_alac_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_alac")),
};

constexpr PresetSettings AF_amr_Presets[] = {
    R(L"Narrow-Band", NoVideo, A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
    R(L"Wide-Band", NoVideo, A(0, L"AC_libvo_amrwbenc", 1, 16000, 15850)),
};
static_assert(Count(AF_amr_Presets) == 2, "AF_amr");

constexpr PresetSettings AF_ast_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_pcm_s16be_planar")),
};
constexpr PresetSettings AF_au_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_pcm_s16be")),
};
constexpr PresetSettings AF_caf_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_pcm_s16be")),
};
constexpr PresetSettings AF_dts_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_dca")),
};
constexpr PresetSettings AF_flac_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_flac")),
};
constexpr PresetSettings AF_gsm_Presets[] = {
    R(L"Auto", NoVideo, A(0, L"AC_libgsm_ms", 1, 8000, 13000)),
};
constexpr PresetSettings AF_ilbc_Presets[] = {
    R(L"Auto", NoVideo, A(0, L"AC_libilbc")),
};

constexpr PresetSettings AF_m4a_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_aac")),
    R(L"Low Quality", NoVideo, A(0, L"AC_aac", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_aac", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_aac", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_aac", 0, 0, 320000)),
};
static_assert(Count(AF_m4a_Presets) == 5, "AF_m4a");

constexpr PresetSettings AF_m4b_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_aac")),
    R(L"Low Quality", NoVideo, A(0, L"AC_aac", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_aac", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_aac", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_aac", 0, 0, 320000)),
};
static_assert(Count(AF_m4b_Presets) == 5, "AF_m4b");

constexpr PresetSettings AF_m4r_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_aac")),
    R(L"Low Quality", NoVideo, A(0, L"AC_aac", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_aac", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_aac", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_aac", 0, 0, 320000)),
};
static_assert(Count(AF_m4r_Presets) == 5, "AF_m4r");

constexpr PresetSettings AF_mka_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_aac")),
    R(L"Low Quality", NoVideo, A(0, L"AC_aac", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_aac", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_aac", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_aac", 0, 0, 320000)),
};
static_assert(Count(AF_mka_Presets) == 5, "AF_mka");

constexpr PresetSettings AF_mmf_Presets[] = {
    R(L"Auto", NoVideo, A(0, L"AC_adpcm_yamaha", 1, 8000, 32000)),
};
constexpr PresetSettings AF_mp2_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_mp2")),
};
constexpr PresetSettings AF_oga_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_flac")),
};

constexpr PresetSettings AF_ogg_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_libvorbis")),
    R(L"Low Quality", NoVideo, A(0, L"AC_libvorbis", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_libvorbis", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_libvorbis", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_libvorbis", 0, 0, 320000)),
};
static_assert(Count(AF_ogg_Presets) == 5, "AF_ogg");

constexpr PresetSettings AF_opus_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_libopus")),
    R(L"Low Quality", NoVideo, A(0, L"AC_libopus", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_libopus", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_libopus", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_libopus", 0, 0, 320000)),
};
static_assert(Count(AF_opus_Presets) == 5, "AF_opus");

constexpr PresetSettings AF_spx_Presets[] = {
    R(L"Auto", NoVideo, A(0, L"AC_libspeex")),
    R(L"NB", NoVideo, A(0, L"AC_libspeex", 0, 0, 24600)),
    R(L"WB", NoVideo, A(0, L"AC_libspeex", 0, 0, 44200)),
};
static_assert(Count(AF_spx_Presets) == 3, "AF_spx");

constexpr PresetSettings AF_w64_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_pcm_s16le")),
};
constexpr PresetSettings AF_wav_Presets[] = {
    R(L"Lossless", NoVideo, A(SQ, L"AC_pcm_s16le")),
};

constexpr PresetSettings AF_wma_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_wmav2")),
    R(L"Low Quality", NoVideo, A(0, L"AC_wmav2", 0, 0, 128000)),
    R(L"Medium Quality", NoVideo, A(0, L"AC_wmav2", 0, 0, 192000)),
    R(L"High Quality", NoVideo, A(0, L"AC_wmav2", 0, 0, 256000)),
    R(L"Higher Quality", NoVideo, A(0, L"AC_wmav2", 0, 0, 320000)),
};
static_assert(Count(AF_wma_Presets) == 5, "AF_wma");

constexpr PresetSettings AF_wv_Presets[] = {
    R(L"Auto", NoVideo, A(SQ, L"AC_wavpack")),
};

// ----- video formats -----

constexpr PresetSettings VF_mp4_Presets[] = {
    SQ2(L"H.264", X264, AAC),
    SQ2(L"H.264 - 240p", X264, AAC, 320, 240),
    SQ2(L"H.264 - 360p", X264, AAC, 480, 360),
    SQ2(L"H.264 - 480p", X264, AAC, 640, 480),
    SQ2(L"H.264 - HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"H.264 - HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"H.264 - QHD 2K", X264, AAC, 2560, 1440),
    SQ2(L"H.264 - UHD 4K", X264, AAC, 3840, 2160),
    SQ2(L"H.264 - UHD 8K", X264, AAC, 7680, 4320),
    SQ2(L"HEVC", X265, AAC),
    SQ2(L"HEVC - 240p", X265, AAC, 320, 240),
    SQ2(L"HEVC - 360p", X265, AAC, 480, 360),
    SQ2(L"HEVC - 480p", X265, AAC, 640, 480),
    SQ2(L"HEVC - HD 720p", X265, AAC, 1280, 720),
    SQ2(L"HEVC - HD 1080p", X265, AAC, 1920, 1080),
    SQ2(L"HEVC - QHD 2K", X265, AAC, 2560, 1440),
    SQ2(L"HEVC - UHD 4K", X265, AAC, 3840, 2160),
    SQ2(L"HEVC - UHD 8K", X265, AAC, 7680, 4320),
    SQ2(L"MPEG-4", MPEG4, AAC),
    SQ2(L"MPEG-4 - 240p", MPEG4, AAC, 320, 240),
    SQ2(L"MPEG-4 - 360p", MPEG4, AAC, 480, 360),
    SQ2(L"MPEG-4 - 480p", MPEG4, AAC, 640, 480),
    SQ2(L"MPEG-4 - HD 720p", MPEG4, AAC, 1280, 720),
    SQ2(L"MPEG-4 - HD 1080p", MPEG4, AAC, 1920, 1080),
    SQ2(L"MPEG-4 - QHD 2K", MPEG4, AAC, 2560, 1440),
    SQ2(L"MPEG-4 - UHD 4K", MPEG4, AAC, 3840, 2160),
    SQ2(L"MPEG-4 - UHD 8K", MPEG4, AAC, 7680, 4320),
    SQ2(L"XviD", L"VC_libxvid", AAC),
};
static_assert(Count(VF_mp4_Presets) == 28, "VF_mp4");

constexpr PresetSettings VF_flv_Presets[] = {
    SQ2(L"Auto", L"VC_flv", L"AC_libmp3lame.flv"),
    SQ2(L"240p", L"VC_flv", L"AC_libmp3lame.flv", 320, 240),
    SQ2(L"360p", L"VC_flv", L"AC_libmp3lame.flv", 480, 360),
    SQ2(L"480p", L"VC_flv", L"AC_libmp3lame.flv", 640, 480),
    SQ2(L"HD 720p", L"VC_flv", L"AC_libmp3lame.flv", 1280, 720),
    SQ2(L"HD 1080p", L"VC_flv", L"AC_libmp3lame.flv", 1920, 1080),
    SQ2(L"For Web - 640x360", L"VC_flv", L"AC_libmp3lame.flv", 640, 360),
    SQ2(L"For Web - 640x480", L"VC_flv", L"AC_libmp3lame.flv", 640, 480),
};
static_assert(Count(VF_flv_Presets) == 8, "VF_flv");

constexpr PresetSettings VF_wmv_Presets[] = {
    SQ2(L"Auto", L"VC_wmv2", L"AC_wmav2"),
    SQ2(L"240p", L"VC_wmv2", L"AC_wmav2", 320, 240),
    SQ2(L"360p", L"VC_wmv2", L"AC_wmav2", 480, 360),
    SQ2(L"480p", L"VC_wmv2", L"AC_wmav2", 640, 480),
    SQ2(L"HD 720p", L"VC_wmv2", L"AC_wmav2", 1280, 720),
    SQ2(L"HD 1080p", L"VC_wmv2", L"AC_wmav2", 1920, 1080),
    SQ2(L"QHD 2K", L"VC_wmv2", L"AC_wmav2", 2560, 1440),
    SQ2(L"UHD 4K", L"VC_wmv2", L"AC_wmav2", 3840, 2160),
    SQ2(L"UHD 8K", L"VC_wmv2", L"AC_wmav2", 7680, 4320),
    R(L"For PowerPoint", V(0, L"VC_wmv2", 640, 480, 0, 0, 2048000), A(SQ, L"AC_wmav2")),
};
static_assert(Count(VF_wmv_Presets) == 10, "VF_wmv");

constexpr PresetSettings VF_mov_Presets[] = {
    SQ2(L"H.264", X264, AAC),
    SQ2(L"H.264 - 240p", X264, AAC, 320, 240),
    SQ2(L"H.264 - 360p", X264, AAC, 480, 360),
    SQ2(L"H.264 - 480p", X264, AAC, 640, 480),
    SQ2(L"H.264 - HD 720p", X264, AAC, 1280, 720),
    SQ2(L"H.264 - HD 1080p", X264, AAC, 1920, 1080),
    SQ2(L"H.264 - QHD 2K", X264, AAC, 2560, 1440),
    SQ2(L"H.264 - UHD 4K", X264, AAC, 3840, 2160),
    SQ2(L"H.264 - UHD 8K", X264, AAC, 7680, 4320),
};
static_assert(Count(VF_mov_Presets) == 9, "VF_mov");

constexpr PresetSettings VF_avi_Presets[] = {
    SQ2(L"H.264", X264, L"AC_ac3"),
    SQ2(L"H.264 - 240p", X264, L"AC_ac3", 320, 240),
    SQ2(L"H.264 - 360p", X264, L"AC_ac3", 480, 360),
    SQ2(L"H.264 - 480p", X264, L"AC_ac3", 640, 480),
    SQ2(L"H.264 - HD 720p", X264, L"AC_ac3", 1280, 720),
    SQ2(L"H.264 - HD 1080p", X264, L"AC_ac3", 1920, 1080),
    SQ2(L"H.264 - QHD 2K", X264, L"AC_ac3", 2560, 1440),
    SQ2(L"H.264 - UHD 4K", X264, L"AC_ac3", 3840, 2160),
    SQ2(L"H.264 - UHD 8K", X264, L"AC_ac3", 7680, 4320),
    SQ2(L"MPEG-4", MPEG4, L"AC_libmp3lame"),
    SQ2(L"Xvid", L"VC_libxvid", L"AC_libmp3lame"),
    SQ2(L"DivX", L"VC_mpeg4.divx", L"AC_libmp3lame"),
    SQ2(L"HuffYUV", L"VC_huffyuv", L"AC_pcm_s16le"),
    SQ2(L"Raw video", L"VC_rawvideo", L"AC_pcm_s16le"),
};
static_assert(Count(VF_avi_Presets) == 14, "VF_avi");

constexpr PresetSettings VF_3g2_Presets[] = {
    R(L"240p", V(0, L"VC_libx264.3g2", 320, 240, 24, 1), A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
    R(L"144p", V(0, L"VC_h263.3g2", 176, 144, 15, 1), A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
    R(L"288p", V(0, L"VC_h263.3g2", 352, 288, 15, 1), A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
};
static_assert(Count(VF_3g2_Presets) == 3, "VF_3g2");

constexpr PresetSettings VF_3gp_Presets[] = {
    R(L"144p", V(0, L"VC_h263.3gp", 176, 144, 15, 1), A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
    R(L"288p", V(0, L"VC_h263.3gp", 352, 288, 15, 1), A(0, L"AC_libopencore_amrnb", 1, 8000, 12200)),
};
static_assert(Count(VF_3gp_Presets) == 2, "VF_3gp");

constexpr PresetSettings VF_apng_Presets[] = {
    R(L"Auto", V(SQ, L"VC_apng"), NoAudio),
    R(L"240 x 160", V(SQ, L"VC_apng", 240, 160), NoAudio),
    R(L"320 x 240", V(SQ, L"VC_apng", 320, 240), NoAudio),
};
static_assert(Count(VF_apng_Presets) == 3, "VF_apng");

constexpr PresetSettings VF_asf_Presets[] = {
    SQ2(L"Auto", L"VC_msmpeg4v3", L"AC_wmav2"),
    SQ2(L"240p", L"VC_msmpeg4v3", L"AC_wmav2", 320, 240),
    SQ2(L"360p", L"VC_msmpeg4v3", L"AC_wmav2", 480, 360),
    SQ2(L"480p", L"VC_msmpeg4v3", L"AC_wmav2", 640, 480),
    SQ2(L"HD 720p", L"VC_msmpeg4v3", L"AC_wmav2", 1280, 720),
    SQ2(L"HD 1080p", L"VC_msmpeg4v3", L"AC_wmav2", 1920, 1080),
    SQ2(L"QHD 2K", L"VC_msmpeg4v3", L"AC_wmav2", 2560, 1440),
    SQ2(L"UHD 4K", L"VC_msmpeg4v3", L"AC_wmav2", 3840, 2160),
    SQ2(L"UHD 8K", L"VC_msmpeg4v3", L"AC_wmav2", 7680, 4320),
};
static_assert(Count(VF_asf_Presets) == 9, "VF_asf");

constexpr PresetSettings VF_dash_Presets[] = {
    SQ2(L"Auto", X264, AAC),
};

constexpr PresetSettings VF_dv_Presets[] = {
    R(L"NTSC Compatible", V(SQ, L"VC_dvvideo", 720, 480, 30000, 1001), A(0, L"AC_pcm_s16le.dv", 2, 48000)),
    R(L"PAL Compatible", V(SQ, L"VC_dvvideo", 720, 576, 25, 1), A(0, L"AC_pcm_s16le.dv", 2, 48000)),
};
static_assert(Count(VF_dv_Presets) == 2, "VF_dv");

constexpr PresetSettings VF_f4v_Presets[] = {
    SQ2(L"Auto", X264, AAC),
    SQ2(L"240p", X264, AAC, 320, 240),
    SQ2(L"360p", X264, AAC, 480, 360),
    SQ2(L"480p", X264, AAC, 640, 480),
    SQ2(L"HD 720p", X264, AAC, 1280, 720),
    SQ2(L"HD 1080p", X264, AAC, 1920, 1080),
};
static_assert(Count(VF_f4v_Presets) == 6, "VF_f4v");

constexpr PresetSettings VF_flm_Presets[] = {
    R(L"Auto", V(SQ, L"VC_rawvideo"), NoAudio),
};

constexpr PresetSettings VF_gif_Presets[] = {
    R(L"Auto", V(SQ, L"VC_gif"), NoAudio),
    R(L"240 x 160", V(SQ, L"VC_gif", 240, 160), NoAudio),
    R(L"320 x 240", V(SQ, L"VC_gif", 320, 240), NoAudio),
};
static_assert(Count(VF_gif_Presets) == 3, "VF_gif");

constexpr PresetSettings VF_gxf_Presets[] = {
    R(L"NTSC", V(0, L"VC_mpeg2video", 480, 480), A(0, L"AC_pcm_s16le.gxf", 1, 48000)),
    R(L"PAL", V(0, L"VC_mpeg2video", 480, 576), A(0, L"AC_pcm_s16le.gxf", 1, 48000)),
};
static_assert(Count(VF_gxf_Presets) == 2, "VF_gxf");

constexpr PresetSettings VF_hls_Presets[] = {
    SQ2(L"Auto", X264, AAC),
};
constexpr PresetSettings VF_ismv_Presets[] = {
    SQ2(L"Auto", X264, AAC),
};
constexpr PresetSettings VF_m2v_Presets[] = {
    R(L"Auto", V(SQ, L"VC_mpeg2video"), NoAudio),
};

constexpr PresetSettings VF_m4v_Presets[] = {
    SQ2(L"Auto", X264, AAC),
    SQ2(L"H.264 - 240p", X264, AAC, 320, 240),
    SQ2(L"H.264 - 360p", X264, AAC, 480, 360),
    SQ2(L"H.264 - 480p", X264, AAC, 640, 480),
    SQ2(L"H.264 - HD 720p", X264, AAC, 1280, 720),
    SQ2(L"H.264 - HD 1080p", X264, AAC, 1920, 1080),
    SQ2(L"H.264 - QHD 2K", X264, AAC, 2560, 1440),
    SQ2(L"H.264 - UHD 4K", X264, AAC, 3840, 2160),
    SQ2(L"H.264 - UHD 8K", X264, AAC, 7680, 4320),
};
static_assert(Count(VF_m4v_Presets) == 9, "VF_m4v");

constexpr PresetSettings VF_mjpeg_Presets[] = {
    R(L"Auto", V(SQ, L"VC_mjpeg"), NoAudio),
};

constexpr PresetSettings VF_mkv_Presets[] = {
    SQ2(L"H.264", X264, AAC),
    SQ2(L"H.264 - 240p", X264, AAC, 320, 240),
    SQ2(L"H.264 - 360p", X264, AAC, 480, 360),
    SQ2(L"H.264 - 480p", X264, AAC, 640, 480),
    SQ2(L"H.264 - HD 720p", X264, AAC, 1280, 720),
    SQ2(L"H.264 - HD 1080p", X264, AAC, 1920, 1080),
    SQ2(L"H.264 - QHD 2K", X264, AAC, 2560, 1440),
    SQ2(L"H.264 - UHD 4K", X264, AAC, 3840, 2160),
    SQ2(L"H.264 - UHD 8K", X264, AAC, 7680, 4320),
    SQ2(L"HEVC", X265, AAC),
    SQ2(L"HEVC - 240p", X265, AAC, 320, 240),
    SQ2(L"HEVC - 360p", X265, AAC, 480, 360),
    SQ2(L"HEVC - 480p", X265, AAC, 640, 480),
    SQ2(L"HEVC - HD 720p", X265, AAC, 1280, 720),
    SQ2(L"HEVC - HD 1080p", X265, AAC, 1920, 1080),
    SQ2(L"HEVC - QHD 2K", X265, AAC, 2560, 1440),
    SQ2(L"HEVC - UHD 4K", X265, AAC, 3840, 2160),
    SQ2(L"HEVC - UHD 8K", X265, AAC, 7680, 4320),
    R(L"For BBK Media Player - 544x320", V(SQ, X264, 544, 320, 25, 1, 0, MAIN), A(0, AAC, 2, 44100, 256000)),
    R(L"For BBK Media Player - 800x480", V(SQ, X264, 800, 480, 25, 1, 0, MAIN), A(0, AAC, 2, 44100, 256000)),
};
static_assert(Count(VF_mkv_Presets) == 20, "VF_mkv");

constexpr PresetSettings VF_mp4_web_Presets[] = {
    SQ2(L"Auto", L"VC_libx264.web", AAC),
    SQ2(L"For Web - 360p", L"VC_libx264.web", AAC, 640, 360, MAIN),
    SQ2(L"For Web - 480p", L"VC_libx264.web", AAC, 640, 480, MAIN),
    SQ2(L"For Web - HD 720p", L"VC_libx264.web", AAC, 1280, 720, MAIN),
    SQ2(L"For Web - HD 1080p", L"VC_libx264.web", AAC, 1920, 1080, MAIN),
    SQ2(L"For YouTube - 360p", L"VC_libx264.web", AAC, 640, 360, MAIN),
    SQ2(L"For YouTube - 480p", L"VC_libx264.web", AAC, 854, 480, MAIN),
    SQ2(L"For YouTube - HD 720p", L"VC_libx264.web", AAC, 1280, 720, MAIN),
    SQ2(L"For YouTube - HD 1080p", L"VC_libx264.web", AAC, 1920, 1080, MAIN),
    SQ2(L"For YouTube - 360p", L"VC_libx264.web", AAC, 640, 360, MAIN),
    SQ2(L"For YouTube - 480p", L"VC_libx264.web", AAC, 854, 480, MAIN),
    SQ2(L"For YouTube - HD 720p", L"VC_libx264.web", AAC, 1280, 720, MAIN),
    SQ2(L"For YouTube - HD 1080p", L"VC_libx264.web", AAC, 1920, 1080, MAIN),
};
static_assert(Count(VF_mp4_web_Presets) == 13, "VF_mp4.web");

constexpr PresetSettings VF_mpeg1_Presets[] = {
    SQ2(L"Auto", L"VC_mpeg1video", L"AC_mp2"),
    SQ2(L"240p", L"VC_mpeg1video", L"AC_mp2", 320, 240),
    SQ2(L"360p", L"VC_mpeg1video", L"AC_mp2", 480, 360),
    SQ2(L"480p", L"VC_mpeg1video", L"AC_mp2", 640, 480),
    SQ2(L"HD 720p", L"VC_mpeg1video", L"AC_mp2", 1280, 720),
    SQ2(L"HD 1080p", L"VC_mpeg1video", L"AC_mp2", 1920, 1080),
    R(L"VCD NTSC Compatible", V(0, L"VC_mpeg1video", 352, 240, 30000, 1001, 1150000), A(0, L"AC_mp2", 2, 44100, 224000)),
    R(L"VCD PAL Compatible", V(0, L"VC_mpeg1video", 352, 288, 25, 1, 1150000), A(0, L"AC_mp2", 2, 44100, 224000)),
};
static_assert(Count(VF_mpeg1_Presets) == 8, "VF_mpeg1");

constexpr PresetSettings VF_mpeg2_Presets[] = {
    SQ2(L"Auto", L"VC_mpeg2video", L"AC_mp2"),
    SQ2(L"240p", L"VC_mpeg2video", L"AC_mp2", 320, 240),
    SQ2(L"360p", L"VC_mpeg2video", L"AC_mp2", 480, 360),
    SQ2(L"480p", L"VC_mpeg2video", L"AC_mp2", 640, 480),
    SQ2(L"HD 720p", L"VC_mpeg2video", L"AC_mp2", 1280, 720),
    SQ2(L"HD 1080p", L"VC_mpeg2video", L"AC_mp2", 1920, 1080),
    SQ2(L"H.264 - QHD 2K", L"VC_mpeg2video", L"AC_mp2", 2560, 1440),
    SQ2(L"H.264 - UHD 4K", L"VC_mpeg2video", L"AC_mp2", 3840, 2160),
    SQ2(L"H.264 - UHD 8K", L"VC_mpeg2video", L"AC_mp2", 7680, 4320),
    R(L"SVCD NTSC Compatible", V(0, L"VC_mpeg2video", 480, 480, 30000, 1001, 2415000), A(0, L"AC_mp2", 2, 44100, 224000)),
    R(L"SVCD PAL Compatible", V(0, L"VC_mpeg2video", 480, 576, 25, 1, 2415000), A(0, L"AC_mp2", 2, 44100, 224000)),
    R(L"For Xbox 360 - NTSC", V(0, L"VC_mpeg2video", 720, 480, 25, 1, 2990000), A(0, L"AC_mp2", 2, 44100, 192000)),
    R(L"For Xbox 360 - PAL", V(0, L"VC_mpeg2video", 720, 576, 25, 1, 3450000), A(0, L"AC_mp2", 2, 44100, 192000)),
};
static_assert(Count(VF_mpeg2_Presets) == 13, "VF_mpeg2");

constexpr PresetSettings VF_mxf_Presets[] = {
    R(L"Auto", V(SQ, L"VC_mpeg2video", 0, 0, 25, 1), A(SQ, L"AC_pcm_s16le.mxf", 0, 48000)),
    R(L"480p", V(SQ, L"VC_mpeg2video", 640, 480, 25, 1), A(SQ, L"AC_pcm_s16le.mxf", 0, 48000)),
    R(L"640p", V(SQ, L"VC_mpeg2video", 960, 640, 25, 1), A(SQ, L"AC_pcm_s16le.mxf", 0, 48000)),
    R(L"HD 720p", V(SQ, L"VC_mpeg2video", 1280, 720, 25, 1), A(SQ, L"AC_pcm_s16le.mxf", 0, 48000)),
    R(L"HD 1080p", V(SQ, L"VC_mpeg2video", 1920, 1080, 25, 1), A(SQ, L"AC_pcm_s16le.mxf", 0, 48000)),
};
static_assert(Count(VF_mxf_Presets) == 5, "VF_mxf");

constexpr PresetSettings VF_nut_Presets[] = {
    SQ2(L"Auto", MPEG4, L"AC_libvorbis"),
};

constexpr PresetSettings VF_ogv_Presets[] = {
    SQ2(L"Auto", L"VC_libtheora", L"AC_libvorbis"),
    SQ2(L"240p", L"VC_libtheora", L"AC_libvorbis", 320, 240),
    SQ2(L"360p", L"VC_libtheora", L"AC_libvorbis", 480, 360),
    SQ2(L"480p", L"VC_libtheora", L"AC_libvorbis", 640, 480),
    SQ2(L"HD 720p", L"VC_libtheora", L"AC_libvorbis", 1280, 720),
    SQ2(L"HD 1080p", L"VC_libtheora", L"AC_libvorbis", 1920, 1080),
    SQ2(L"QHD 2K", L"VC_libtheora", L"AC_libvorbis", 2560, 1440),
    SQ2(L"UHD 4K", L"VC_libtheora", L"AC_libvorbis", 3840, 2160),
    SQ2(L"UHD 8K", L"VC_libtheora", L"AC_libvorbis", 7680, 4320),
};
static_assert(Count(VF_ogv_Presets) == 9, "VF_ogv");

constexpr PresetSettings VF_rm_Presets[] = {
    SQ2(L"Auto", L"VC_rv20", L"AC_ac3"),
};

constexpr PresetSettings VF_swf_Presets[] = {
    SQ2(L"Auto", L"VC_flv", L"AC_libmp3lame.flv"),
    SQ2(L"240p", L"VC_flv", L"AC_libmp3lame.flv", 320, 240),
    SQ2(L"360p", L"VC_flv", L"AC_libmp3lame.flv", 640, 360),
    SQ2(L"480p", L"VC_flv", L"AC_libmp3lame.flv", 640, 480),
    SQ2(L"HD 720p", L"VC_flv", L"AC_libmp3lame.flv", 1280, 720),
    SQ2(L"HD 1080p", L"VC_flv", L"AC_libmp3lame.flv", 1920, 1080),
    SQ2(L"For Web - 640x360", L"VC_flv", L"AC_libmp3lame.flv", 640, 360),
    SQ2(L"For Web - 640x480", L"VC_flv", L"AC_libmp3lame.flv", 640, 480),
};
static_assert(Count(VF_swf_Presets) == 8, "VF_swf");

constexpr PresetSettings VF_trp_Presets[] = {
    SQ2(L"H.264", L"VC_libx264.ts", L"AC_ac3"),
    SQ2(L"H.264 - HD 720p", L"VC_libx264.ts", L"AC_ac3", 1280, 720, MAIN),
    SQ2(L"H.264 - HD 1080p", L"VC_libx264.ts", L"AC_ac3", 1920, 1080, MAIN),
    SQ2(L"H.264 - QHD 2K", L"VC_libx264.ts", L"AC_ac3", 2560, 1440, MAIN),
    SQ2(L"H.264 - UHD 4K", L"VC_libx264.ts", L"AC_ac3", 3840, 2160, MAIN),
    SQ2(L"H.264 - UHD 8K", L"VC_libx264.ts", L"AC_ac3", 7680, 4320, MAIN),
};
static_assert(Count(VF_trp_Presets) == 6, "VF_trp");

constexpr PresetSettings VF_ts_Presets[] = {
    SQ2(L"H.264", L"VC_libx264.ts", L"AC_ac3"),
    SQ2(L"H.264 - HD 720p", L"VC_libx264.ts", L"AC_ac3", 1280, 720, MAIN),
    SQ2(L"H.264 - HD 1080p", L"VC_libx264.ts", L"AC_ac3", 1920, 1080, MAIN),
    SQ2(L"H.264 - QHD 2K", L"VC_libx264.ts", L"AC_ac3", 2560, 1440, MAIN),
    SQ2(L"H.264 - UHD 4K", L"VC_libx264.ts", L"AC_ac3", 3840, 2160, MAIN),
    SQ2(L"H.264 - UHD 8K", L"VC_libx264.ts", L"AC_ac3", 7680, 4320, MAIN),
    SQ2(L"MPEG-2", L"VC_mpeg2video.ts", L"AC_ac3"),
    SQ2(L"MPEG-2 - HD 720p", L"VC_mpeg2video.ts", L"AC_ac3", 1280, 720),
    SQ2(L"MPEG-2 - HD 1080p", L"VC_mpeg2video.ts", L"AC_ac3", 1920, 1080),
    SQ2(L"MPEG-2 - QHD 2K", L"VC_mpeg2video.ts", L"AC_ac3", 2560, 1440, MAIN),
    SQ2(L"MPEG-2 - UHD 4K", L"VC_mpeg2video.ts", L"AC_ac3", 3840, 2160, MAIN),
    SQ2(L"MPEG-2 - UHD 8K", L"VC_mpeg2video.ts", L"AC_ac3", 7680, 4320, MAIN),
    R(L"For Xbox 360 - HD 720p", V(0, L"VC_mpeg2video.ts", 1280, 720, 30000, 1001, 5980000), A(SQ, L"AC_mp2", 2)),
};
static_assert(Count(VF_ts_Presets) == 13, "VF_ts");

constexpr PresetSettings VF_vob_Presets[] = {
    R(L"DVD NTSC Compatible", V(0, L"VC_mpeg2video.DVD", 720, 480, 30000, 1001, 5500000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
    R(L"DVD PAL Compatible", V(0, L"VC_mpeg2video.DVD", 720, 576, 25, 1, 5500000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
};
static_assert(Count(VF_vob_Presets) == 2, "VF_vob");

constexpr PresetSettings VF_webm_Presets[] = {
    SQ2(L"VP8", L"VC_libvpx", L"AC_libvorbis"),
    SQ2(L"VP8 - 240p", L"VC_libvpx", L"AC_libvorbis", 320, 240),
    R(L"VP8 - 360p", V(SQ, L"VC_libvpx", 480, 360, 0, 0, 0, L"", L"libvpx-360p"), A(SQ, L"AC_libvorbis")),
    SQ2(L"VP8 - 480p", L"VC_libvpx", L"AC_libvorbis", 640, 480),
    R(L"VP8 - HD 720p", V(SQ, L"VC_libvpx", 1280, 720, 0, 0, 0, L"", L"libvpx-720p"), A(SQ, L"AC_libvorbis")),
    R(L"VP8 - HD 1080p", V(SQ, L"VC_libvpx", 1920, 1080, 0, 0, 0, L"", L"libvpx-1080p"), A(SQ, L"AC_libvorbis")),
    SQ2(L"VP8 - QHD 2K", L"VC_libvpx", L"AC_libvorbis", 2560, 1440),
    SQ2(L"VP8 - UHD 4K", L"VC_libvpx", L"AC_libvorbis", 3840, 2160),
    SQ2(L"VP8 - UHD 8K", L"VC_libvpx", L"AC_libvorbis", 7680, 4320),
    SQ2(L"VP9", L"VC_libvpx_vp9", L"AC_libvorbis"),
    SQ2(L"VP9 - 240p", L"VC_libvpx_vp9", L"AC_libvorbis", 320, 240),
    SQ2(L"VP9 - 360p", L"VC_libvpx_vp9", L"AC_libvorbis", 480, 360),
    SQ2(L"VP9 - 480p", L"VC_libvpx_vp9", L"AC_libvorbis", 640, 480),
    SQ2(L"VP9 - HD 720p", L"VC_libvpx_vp9", L"AC_libvorbis", 1280, 720),
    SQ2(L"VP9 - HD 1080p", L"VC_libvpx_vp9", L"AC_libvorbis", 1920, 1080),
    SQ2(L"VP9 - QHD 2K", L"VC_libvpx_vp9", L"AC_libvorbis", 2560, 1440),
    SQ2(L"VP9 - UHD 4K", L"VC_libvpx_vp9", L"AC_libvorbis", 3840, 2160),
    SQ2(L"VP9 - UHD 8K", L"VC_libvpx_vp9", L"AC_libvorbis", 7680, 4320),
    SQ2(L"For Web - 640x360", L"VC_libvpx", L"AC_libvorbis", 640, 360),
    SQ2(L"For Web - 640x480", L"VC_libvpx", L"AC_libvorbis", 640, 480),
};
static_assert(Count(VF_webm_Presets) == 20, "VF_webm");

constexpr PresetSettings VF_wtv_Presets[] = {
    SQ2(L"Auto", L"VC_mpeg2video", L"AC_ac3"),
};

constexpr PresetSettings VF_DVD_Presets[] = {
    R(L"NTSC - Low Quality", V(0, L"VC_mpeg2video.DVD", 720, 480, 30000, 1001, 3000000), A(0, L"AC_ac3.DVD", 2, 44100, 160000)),
    R(L"NTSC - Medium Quality", V(0, L"VC_mpeg2video.DVD", 720, 480, 30000, 1001, 5500000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
    R(L"NTSC - High Quality", V(0, L"VC_mpeg2video.DVD", 720, 480, 30000, 1001, 7000000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
    R(L"PAL - Low Quality", V(0, L"VC_mpeg2video.DVD", 720, 576, 25, 1, 3000000), A(0, L"AC_ac3.DVD", 2, 44100, 160000)),
    R(L"PAL - Medium Quality", V(0, L"VC_mpeg2video.DVD", 720, 576, 25, 1, 5500000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
    R(L"PAL - High Quality", V(0, L"VC_mpeg2video.DVD", 720, 576, 25, 1, 7000000), A(0, L"AC_ac3.DVD", 2, 48000, 192000)),
};
static_assert(Count(VF_DVD_Presets) == 6, "VF_DVD");

constexpr PresetSettings VF_VCD_Presets[] = {
    R(L"NTSC", V(0, L"VC_mpeg1video.VCD", 352, 240, 30000, 1001, 1150000), A(0, L"AC_mp2.VCD", 2, 44100, 224000)),
    R(L"PAL", V(0, L"VC_mpeg1video.VCD", 352, 288, 25, 1, 1150000), A(0, L"AC_mp2.VCD", 2, 44100, 224000)),
};
static_assert(Count(VF_VCD_Presets) == 2, "VF_VCD");

constexpr PresetSettings VF_SVCD_Presets[] = {
    R(L"NTSC", V(0, L"VC_mpeg2video.SVCD", 480, 480, 30000, 1001, 2415000), A(0, L"AC_mp2.VCD", 2, 44100, 224000)),
    R(L"PAL", V(0, L"VC_mpeg2video.SVCD", 480, 576, 25, 1, 2415000), A(0, L"AC_mp2.VCD", 2, 44100, 224000)),
};
static_assert(Count(VF_SVCD_Presets) == 2, "VF_SVCD");

// ----- device formats -----

constexpr PresetSettings VF_Apple_iPhone_Presets[] = {
    SQ2(L"Auto", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"HD 720p", X264_APPLE, AAC_APPLE, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"QHD 2K", X264_APPLE, AAC_APPLE, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264_APPLE, AAC_APPLE, 3840, 2160, MAIN),
    SQ2(L"iPhone X", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 8, 8 Plus", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 7, 7 Plus", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone SE", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 6s, 6s Plus", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 6, 6 Plus", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 5, 5s, 5c", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 4, 4S", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPhone 2G, 3G, 3GS", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPhone X (Full screen)", X264_APPLE, AAC_APPLE, 2436, 1125, MAIN),
    SQ2(L"iPhone 8 (Full screen)", X264_APPLE, AAC_APPLE, 1334, 750, MAIN),
    SQ2(L"iPhone 8 Plus (Full screen)", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"iPhone 7 (Full screen)", X264_APPLE, AAC_APPLE, 1334, 750, MAIN),
    SQ2(L"iPhone 7 Plus (Full screen)", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"iPhone SE (Full screen)", X264_APPLE, AAC_APPLE, 1136, 640, MAIN),
    SQ2(L"iPhone 6s (Full screen)", X264_APPLE, AAC_APPLE, 1334, 750, MAIN),
    SQ2(L"iPhone 6s Plus (Full screen)", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"iPhone 6 (Full screen)", X264_APPLE, AAC_APPLE, 1334, 750, MAIN),
    SQ2(L"iPhone 6 Plus (Full screen)", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"iPhone 5, 5s, 5c (Full screen)", X264_APPLE, AAC_APPLE, 1136, 640, MAIN),
    SQ2(L"iPhone 4, 4S (Full screen)", X264_APPLE, AAC_APPLE, 960, 640, MAIN),
    SQ2(L"iPhone 2G, 3G, 3GS (Full screen)", X264_APPLE, AAC_APPLE, 480, 320, BASE),
};
static_assert(Count(VF_Apple_iPhone_Presets) == 27, "VF_Apple.iPhone");

constexpr PresetSettings VF_Apple_iPad_Presets[] = {
    SQ2(L"Auto", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"HD 720p", X264_APPLE, AAC_APPLE, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"QHD 2K", X264_APPLE, AAC_APPLE, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264_APPLE, AAC_APPLE, 3840, 2160, MAIN),
    SQ2(L"iPad Pro", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPad 3, 4", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPad 1, 2", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPad mini 2, 3, 4", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPad mini", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPad Air 1, 2", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPad Pro 10.5\" (Full screen)", X264_APPLE, AAC_APPLE, 2224, 1668, MAIN),
    SQ2(L"iPad Pro 12.9\" (Full screen)", X264_APPLE, AAC_APPLE, 2732, 2048, MAIN),
    SQ2(L"iPad 3, 4 (Full screen)", X264_APPLE, AAC_APPLE, 2048, 1536, MAIN),
    SQ2(L"iPad 1, 2 (Full screen)", X264_APPLE, AAC_APPLE, 1024, 768, BASE),
    SQ2(L"iPad mini 2, 3, 4 (Full screen)", X264_APPLE, AAC_APPLE, 2048, 1536, MAIN),
    SQ2(L"iPad mini (Full screen)", X264_APPLE, AAC_APPLE, 1024, 768, MAIN),
    SQ2(L"iPad Air 1, 2 (Full screen)", X264_APPLE, AAC_APPLE, 2048, 1536, MAIN),
};
static_assert(Count(VF_Apple_iPad_Presets) == 18, "VF_Apple.iPad");

constexpr PresetSettings VF_Apple_others_Presets[] = {
    SQ2(L"Auto", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"HD 720p", X264_APPLE, AAC_APPLE, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"QHD 2K", X264_APPLE, AAC_APPLE, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264_APPLE, AAC_APPLE, 3840, 2160, MAIN),
    SQ2(L"Apple TV 4K", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"Apple TV 3", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"Apple TV 1, 2", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPod touch 5, 6", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPod touch 4", X264_APPLE, AAC_APPLE, 0, 0, MAIN),
    SQ2(L"iPod touch 1-3", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod nano 7", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod nano 6", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod nano 5", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod nano 3, 4", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod nano 1, 2", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"iPod classic", X264_APPLE, AAC_APPLE, 0, 0, BASE),
    SQ2(L"Apple TV 4K (Full screen)", X264_APPLE, AAC_APPLE, 3840, 2160, MAIN),
    SQ2(L"Apple TV 3 (Full screen)", X264_APPLE, AAC_APPLE, 1920, 1080, MAIN),
    SQ2(L"Apple TV 1, 2 (Full screen)", X264_APPLE, AAC_APPLE, 1280, 720, MAIN),
    SQ2(L"iPod touch 5, 6 (Full screen)", X264_APPLE, AAC_APPLE, 1136, 640, MAIN),
    SQ2(L"iPod touch 4 (Full screen)", X264_APPLE, AAC_APPLE, 960, 640, MAIN),
    SQ2(L"iPod touch 1-3 (Full screen)", X264_APPLE, AAC_APPLE, 480, 320, BASE),
    SQ2(L"iPod nano 7 (Full screen)", X264_APPLE, AAC_APPLE, 432, 240, BASE),
    SQ2(L"iPod nano 6 (Full screen)", X264_APPLE, AAC_APPLE, 240, 240, BASE),
    SQ2(L"iPod nano 5 (Full screen)", X264_APPLE, AAC_APPLE, 376, 240, BASE),
    SQ2(L"iPod nano 3, 4 (Full screen)", X264_APPLE, AAC_APPLE, 320, 240, BASE),
    SQ2(L"iPod nano 1, 2 (Full screen)", X264_APPLE, AAC_APPLE, 176, 132, BASE),
    SQ2(L"iPod classic (Full screen)", X264_APPLE, AAC_APPLE, 320, 240, BASE),
};
static_assert(Count(VF_Apple_others_Presets) == 29, "VF_Apple.others");

// The Android-family tables: H.264 main profile and AAC, both at the source's quality.
constexpr PresetSettings Droid(const wchar_t* name, int width = 0, int height = 0)
{
    return SQ2(name, X264_ANDROID, AAC_ANDROID, width, height, MAIN);
}

constexpr PresetSettings VF_Samsung_phone_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"Galaxy S8, S8+", 2960, 1440),
    Droid(L"Galaxy S7, S7 edge", 2560, 1440),
    Droid(L"Galaxy S6, S6 edge, S6 edge+", 2560, 1440),
    Droid(L"Galaxy S5", 1920, 1080),
    Droid(L"Galaxy S4", 1280, 720),
    Droid(L"Galaxy S III", 1200, 720),
    Droid(L"Galaxy S II", 800, 480),
    Droid(L"Galaxy S", 800, 480),
    Droid(L"Galaxy Note8", 2960, 1440),
    Droid(L"Galaxy Note5", 2560, 1440),
    Droid(L"Galaxy Note Edge", 2560, 1440),
    Droid(L"Galaxy Note4", 2560, 1440),
    Droid(L"Galaxy Note III", 1920, 1080),
    Droid(L"Galaxy Note II", 1280, 720),
    Droid(L"Galaxy Note", 1280, 800),
    Droid(L"Galaxy A9 Pro", 1920, 1080),
    Droid(L"Galaxy A9 2016", 1920, 1080),
    Droid(L"Galaxy A8", 1920, 1080),
    Droid(L"Galaxy A7, A7 2016", 1920, 1080),
    Droid(L"Galaxy A5 2016", 1920, 1080),
    Droid(L"Galaxy A5", 1280, 720),
    Droid(L"Galaxy A3", 960, 540),
    Droid(L"Galaxy C9 Pro", 1920, 1080),
    Droid(L"Galaxy C8", 1920, 1080),
    Droid(L"Galaxy C7", 1920, 1080),
    Droid(L"Galaxy C7 Pro", 1920, 1080),
    Droid(L"Galaxy C5", 1920, 1080),
    Droid(L"Galaxy C5 Pro", 1920, 1080),
    Droid(L"Galaxy J7 2016", 1920, 1080),
    Droid(L"Galaxy J7", 1280, 720),
    Droid(L"Galaxy J5 2016", 1280, 720),
    Droid(L"Galaxy J5", 1280, 720),
    Droid(L"Galaxy J3 2017", 1280, 720),
    Droid(L"Galaxy J3", 1280, 720),
    Droid(L"Galaxy J3 Pro", 1280, 720),
    Droid(L"Galaxy J3 Pro Plus", 1280, 720),
    Droid(L"Galaxy E7", 1280, 720),
    Droid(L"Galaxy On7 2016", 1920, 1080),
    Droid(L"Galaxy On7", 1280, 720),
    Droid(L"Galaxy On5 2016", 1280, 720),
    Droid(L"Galaxy On5 Pro", 1280, 720),
    Droid(L"Galaxy On5", 1280, 720),
    Droid(L"Galaxy Folder2", 800, 480),
    Droid(L"Galaxy Folder", 800, 480),
    Droid(L"Galaxy GRAND Max", 1280, 720),
    Droid(L"W2017", 1920, 1080),
    Droid(L"W2016", 1280, 768),
    Droid(L"W2015", 1280, 768),
    Droid(L"G9298", 1920, 1080),
    Droid(L"G9198", 1280, 768),
    Droid(L"G9098", 800, 480),
    Droid(L"G9092", 800, 480),
};
static_assert(Count(VF_Samsung_phone_Presets) == 57, "VF_Samsung.phone");

constexpr PresetSettings VF_Samsung_tablet_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"Galaxy Tab S3 9.7", 2048, 1536),
    Droid(L"Galaxy Tab S2 8.0, 9.7", 2048, 1536),
    Droid(L"Galaxy Tab S 8.4, 10.5", 2560, 1600),
    Droid(L"Galaxy Tab E", 1280, 800),
    Droid(L"Galaxy Tab A 2017 8.0", 1280, 800),
    Droid(L"Galaxy Tab A 2016 10.1", 1920, 1200),
    Droid(L"Galaxy Tab A 8.0, 9.7", 1024, 768),
    Droid(L"Galaxy Tab4", 1280, 800),
    Droid(L"Galaxy Tab3", 1280, 800),
    Droid(L"Galaxy Tab2", 1280, 800),
    Droid(L"Galaxy Tab PRO", 2560, 1600),
    Droid(L"Galaxy Note PRO 12.2", 2560, 1600),
    Droid(L"Galaxy Note 10.1", 2560, 1600),
    Droid(L"Galaxy Note 8.0", 1280, 800),
};
static_assert(Count(VF_Samsung_tablet_Presets) == 19, "VF_Samsung.tablet");

constexpr PresetSettings VF_Huawei_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"P10", 1920, 1080),
    Droid(L"P10 Plus", 2560, 1440),
    Droid(L"P9, P9 Plus", 1920, 1080),
    Droid(L"P8, P8 max", 1920, 1080),
    Droid(L"P7", 1920, 1080),
    Droid(L"P6", 1280, 720),
    Droid(L"Mate 10", 2560, 1440),
    Droid(L"Mate 10 Pro", 2160, 1080),
    Droid(L"Mate 9", 1920, 1080),
    Droid(L"Mate 9 Pro", 2560, 1440),
    Droid(L"Mate 8", 1920, 1080),
    Droid(L"Mate 7", 1920, 1080),
    Droid(L"Mate S", 1920, 1080),
    Droid(L"nova 2, 2 Plus", 1920, 1080),
    Droid(L"nova", 1920, 1080),
};
static_assert(Count(VF_Huawei_Presets) == 20, "VF_Huawei");

constexpr PresetSettings VF_Android_Presets[] = {
    SQ2(L"H.264", X264_ANDROID, AAC_ANDROID, 0, 0, MAIN),
    SQ2(L"H.264 - 240p", X264_ANDROID, AAC_ANDROID, 320, 240, BASE),
    SQ2(L"H.264 - 360p", X264_ANDROID, AAC_ANDROID, 480, 360, BASE),
    SQ2(L"H.264 - 480p", X264_ANDROID, AAC_ANDROID, 640, 480, BASE),
    SQ2(L"H.264 - HD 720p", X264_ANDROID, AAC_ANDROID, 1280, 720, MAIN),
    SQ2(L"H.264 - HD 1080p", X264_ANDROID, AAC_ANDROID, 1920, 1080, MAIN),
    SQ2(L"H.264 - QHD 2K", X264_ANDROID, AAC_ANDROID, 2560, 1440, MAIN),
    SQ2(L"H.264 - UHD 4K", X264_ANDROID, AAC_ANDROID, 3840, 2160, MAIN),
};
static_assert(Count(VF_Android_Presets) == 8, "VF_Android");

constexpr PresetSettings VF_Amazon_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"Kindle Fire HDX 8.9\"", 2560, 1600),
    Droid(L"Kindle Fire HDX 7\"", 1920, 1200),
    Droid(L"Kindle Fire HD 8.9\"", 1920, 1200),
    Droid(L"Kindle Fire HD 7\"", 1280, 800),
    Droid(L"Kindle Fire 2", 1024, 600),
    Droid(L"Kindle Fire", 1024, 600),
};
static_assert(Count(VF_Amazon_Presets) == 9, "VF_Amazon");

constexpr PresetSettings BlackBerry(const wchar_t* name, int width = 0, int height = 0)
{
    return SQ2(name, L"VC_libx264.BlackBerry", L"AC_aac.BlackBerry", width, height, MAIN);
}

constexpr PresetSettings VF_BlackBerry_Presets[] = {
    BlackBerry(L"Auto"),
    BlackBerry(L"HD 720p", 1280, 720),
    BlackBerry(L"HD 1080p", 1920, 1080),
    BlackBerry(L"QHD 2K", 2560, 1440),
    BlackBerry(L"UHD 4K", 3840, 2160),
    BlackBerry(L"KEYone", 1620, 1080),
    BlackBerry(L"DTEK 60", 2560, 1440),
    BlackBerry(L"DTEK 50", 1920, 1080),
    BlackBerry(L"PRIV", 2560, 1440),
    BlackBerry(L"Passport", 1440, 1440),
    BlackBerry(L"Classic", 720, 720),
    BlackBerry(L"Leap", 1280, 720),
    BlackBerry(L"Z10", 1280, 768),
    BlackBerry(L"Q10", 720, 720),
    BlackBerry(L"PlayBook", 1024, 600),
};
static_assert(Count(VF_BlackBerry_Presets) == 15, "VF_BlackBerry");

constexpr PresetSettings VF_Google_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"Pixel 2", 1920, 1080),
    Droid(L"Pixel 2 XL", 2880, 1440),
    Droid(L"Pixel", 1920, 1080),
    Droid(L"Pixel XL", 2560, 1440),
    Droid(L"Nexus 6P", 2560, 1440),
    Droid(L"Nexus 6", 2560, 1440),
    Droid(L"Nexus 5X", 1920, 1080),
    Droid(L"Nexus 5", 1920, 1080),
    Droid(L"Nexus 4", 1280, 768),
    Droid(L"Galaxy Nexus", 1280, 720),
    Droid(L"Nexus S", 800, 480),
    Droid(L"Nexus One", 800, 480),
    Droid(L"Nexus 10", 2560, 1600),
    Droid(L"Nexus 9", 2048, 1536),
    Droid(L"Nexus 7", 1280, 800),
};
static_assert(Count(VF_Google_Presets) == 20, "VF_Google");

constexpr PresetSettings VF_HTC_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"One"),
    Droid(L"U"),
    Droid(L"Desire"),
};
static_assert(Count(VF_HTC_Presets) == 8, "VF_HTC");

constexpr PresetSettings VF_Lenovo_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"UHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
};
static_assert(Count(VF_Lenovo_Presets) == 5, "VF_Lenovo");

constexpr PresetSettings VF_LG_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"LG G6, G6+", 2880, 1440),
    Droid(L"LG Q6", 2880, 1440),
    Droid(L"LG G5", 2560, 1440),
    Droid(L"LG G4", 2560, 1440),
    Droid(L"LG G3", 2560, 1440),
    Droid(L"LG G2", 1920, 1080),
    Droid(L"LG V30, V30+", 2880, 1440),
    Droid(L"LG V20", 2560, 1440),
    Droid(L"LG V10", 2560, 1440),
    Droid(L"LG X venture", 1920, 1080),
    Droid(L"LG X charge", 1280, 720),
    Droid(L"LG X power", 1280, 720),
};
static_assert(Count(VF_LG_Presets) == 17, "VF_LG");

constexpr PresetSettings VF_Microsoft_Presets[] = {
    SQ2(L"Auto", MPEG4, AAC),
    SQ2(L"HD 720p", MPEG4, AAC, 1280, 720),
    SQ2(L"HD 1080p", MPEG4, AAC, 1920, 1080),
    SQ2(L"QHD 2K", MPEG4, AAC, 2560, 1440),
    SQ2(L"UHD 4K", MPEG4, AAC, 3840, 2160),
    SQ2(L"Xbox One X", MPEG4, AAC),
    SQ2(L"Xbox One S", MPEG4, AAC),
    SQ2(L"Xbox One", MPEG4, AAC),
    R(L"Xbox 360 - NTSC", V(SQ, MPEG4, 720, 480, 30000, 1001), A(0, AAC, 2, 44100, 192000)),
    R(L"Xbox 360 - PAL", V(SQ, MPEG4, 720, 576, 30000, 1001), A(0, AAC, 2, 44100, 192000)),
};
static_assert(Count(VF_Microsoft_Presets) == 10, "VF_Microsoft");

constexpr PresetSettings VF_Motorola_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"Moto Z2 Play", 1920, 1080),
    Droid(L"Moto Z", 2560, 1440),
    Droid(L"Moto Z Play", 1920, 1080),
    Droid(L"Moto X", 1920, 1080),
    Droid(L"Moto X Pro", 2560, 1440),
    Droid(L"Moto E", 960, 540),
    Droid(L"Moto G", 1280, 720),
};
static_assert(Count(VF_Motorola_Presets) == 12, "VF_Motorola");

constexpr PresetSettings VF_Nokia_Presets[] = {
    SQ2(L"Auto", X264, AAC, 0, 0, MAIN),
    SQ2(L"HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"UHD 2K", X264, AAC, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264, AAC, 3840, 2160, MAIN),
};
static_assert(Count(VF_Nokia_Presets) == 5, "VF_Nokia");

constexpr PresetSettings VF_Sony_Presets[] = {
    SQ2(L"Auto", X264, AAC, 0, 0, MAIN),
    SQ2(L"HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"UHD 2K", X264, AAC, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264, AAC, 3840, 2160, MAIN),
    SQ2(L"PS4 Pro - UHD 4K", X264, AAC, 3840, 2160, MAIN),
    SQ2(L"PS4 Slim - UHD 4K", X264, AAC, 3840, 2160, MAIN),
    SQ2(L"PS4 - HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"PS3 - HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"PS Vita", X264, AAC, 960, 544, MAIN),
    SQ2(L"PSP", X264, AAC, 480, 272, BASE),
    SQ2(L"PSP for TV", X264, AAC, 720, 480, BASE),
    SQ2(L"Xperia XZs", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia XZ1", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia XZ1 Compact", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia XZ", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia XZ Premium", X264, AAC, 3840, 2160, MAIN),
    SQ2(L"Xperia XA1", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia XA1 Ultra", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia XA1 Plus", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia XA", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia XA Ultra", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia X, X Performance", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia X Compact", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia Z5", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia Z5 Compact", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia Z3+", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia Z3", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia Z2", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia Z", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia C4", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"Xperia L1", X264, AAC, 1280, 720, MAIN),
    SQ2(L"Xperia Z4 Tablet", X264, AAC, 2560, 1600, MAIN),
    SQ2(L"Xperia Z3 Tablet", X264, AAC, 1920, 1200, MAIN),
    SQ2(L"Xperia Z2 Tablet", X264, AAC, 1920, 1200, MAIN),
    SQ2(L"Xperia Tablet Z", X264, AAC, 1920, 1200, MAIN),
    R(L"Walkman - 320x240", V(SQ, X264, 320, 240, 15, 1), A(SQ, AAC)),
    R(L"Walkman - 400x224", V(SQ, X264, 400, 224, 25, 1), A(SQ, AAC)),
};
static_assert(Count(VF_Sony_Presets) == 38, "VF_Sony");

constexpr PresetSettings VF_Xiaomi_Presets[] = {
    Droid(L"Auto"),
    Droid(L"HD 720p", 1280, 720),
    Droid(L"HD 1080p", 1920, 1080),
    Droid(L"QHD 2K", 2560, 1440),
    Droid(L"UHD 4K", 3840, 2160),
    Droid(L"Mi"),
    Droid(L"Mi Note"),
    Droid(L"Mi Max"),
    Droid(L"Mi MIX"),
    Droid(L"Redmi"),
    Droid(L"Redmi Note"),
};
static_assert(Count(VF_Xiaomi_Presets) == 11, "VF_Xiaomi");

constexpr PresetSettings VF_Tablet_Presets[] = {
    SQ2(L"Auto", X264, AAC, 0, 0, MAIN),
    SQ2(L"HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"UHD 2K", X264, AAC, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264, AAC, 3840, 2160, MAIN),
};
static_assert(Count(VF_Tablet_Presets) == 5, "VF_Tablet");

constexpr PresetSettings VF_TV_Presets[] = {
    SQ2(L"Auto", X264, AAC, 0, 0, MAIN),
    SQ2(L"HD 720p", X264, AAC, 1280, 720, MAIN),
    SQ2(L"HD 1080p", X264, AAC, 1920, 1080, MAIN),
    SQ2(L"UHD 2K", X264, AAC, 2560, 1440, MAIN),
    SQ2(L"UHD 4K", X264, AAC, 3840, 2160, MAIN),
    SQ2(L"Samsung TV", X264, AAC, 0, 0, MAIN),
    SQ2(L"LG TV", X264, AAC, 0, 0, MAIN),
    SQ2(L"Sony TV", X264, AAC, 0, 0, MAIN),
    SQ2(L"Panasonic TV", X264, AAC, 0, 0, MAIN),
};
static_assert(Count(VF_TV_Presets) == 9, "VF_TV");

constexpr PresetSettings VF_WindowsPhone_Presets[] = {
    SQ2(L"H.264", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 0, 0, MAIN),
    SQ2(L"H.264 - 240p", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 320, 240, MAIN),
    SQ2(L"H.264 - 360p", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 480, 360, MAIN),
    SQ2(L"H.264 - 480p", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 640, 480, MAIN),
    SQ2(L"H.264 - HD 720p", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 1280, 720, MAIN),
    SQ2(L"H.264 - HD 1080p", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 1920, 1080, MAIN),
    SQ2(L"H.264 - QHD 2K", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 2560, 1440, MAIN),
    SQ2(L"H.264 - UHD 4K", L"VC_libx264.WindowsPhone", L"AC_aac.WindowsPhone", 3840, 2160, MAIN),
};
static_assert(Count(VF_WindowsPhone_Presets) == 8, "VF_WindowsPhone");

constexpr PresetSettings VF_mp4_devices_Presets[] = {
    SQ2(L"NOOK HD+ 9\"", MPEG4, L"AC_libmp3lame", 1920, 1080),
    SQ2(L"NOOK HD 7\"", MPEG4, L"AC_libmp3lame", 1440, 900),
    SQ2(L"NOOK Tablet", MPEG4, L"AC_libmp3lame", 1024, 600),
    SQ2(L"NOOK Color", MPEG4, L"AC_libmp3lame", 1024, 600),
};
static_assert(Count(VF_mp4_devices_Presets) == 4, "VF_mp4.devices");

constexpr PresetSettings VF_avi_devices_Presets[] = {
    R(L"Wii", V(SQ, L"VC_mjpeg", 640, 480, 30, 1), A(SQ, L"AC_pcm_s16le", 2, 44100)),
};

#define TABLE(key, records) {key, records, (int)Count(records)}

// In the order of the tables above.
const BuiltInPresetTable Tables[] = {
    TABLE(L"AF_mp3", AF_mp3_Presets),
    TABLE(L"AF_aac", AF_aac_Presets),
    TABLE(L"AF_ac3", AF_ac3_Presets),
    TABLE(L"AF_adx", AF_adx_Presets),
    TABLE(L"AF_aiff", AF_aiff_Presets),
    TABLE(L"AF_alac", AF_alac_Presets),
    TABLE(L"AF_amr", AF_amr_Presets),
    TABLE(L"AF_ast", AF_ast_Presets),
    TABLE(L"AF_au", AF_au_Presets),
    TABLE(L"AF_caf", AF_caf_Presets),
    TABLE(L"AF_dts", AF_dts_Presets),
    TABLE(L"AF_flac", AF_flac_Presets),
    TABLE(L"AF_gsm", AF_gsm_Presets),
    TABLE(L"AF_ilbc", AF_ilbc_Presets),
    TABLE(L"AF_m4a", AF_m4a_Presets),
    TABLE(L"AF_m4b", AF_m4b_Presets),
    TABLE(L"AF_m4r", AF_m4r_Presets),
    TABLE(L"AF_mka", AF_mka_Presets),
    TABLE(L"AF_mmf", AF_mmf_Presets),
    TABLE(L"AF_mp2", AF_mp2_Presets),
    TABLE(L"AF_oga", AF_oga_Presets),
    TABLE(L"AF_ogg", AF_ogg_Presets),
    TABLE(L"AF_opus", AF_opus_Presets),
    TABLE(L"AF_spx", AF_spx_Presets),
    TABLE(L"AF_w64", AF_w64_Presets),
    TABLE(L"AF_wav", AF_wav_Presets),
    TABLE(L"AF_wma", AF_wma_Presets),
    TABLE(L"AF_wv", AF_wv_Presets),
    TABLE(L"VF_mp4", VF_mp4_Presets),
    TABLE(L"VF_flv", VF_flv_Presets),
    TABLE(L"VF_wmv", VF_wmv_Presets),
    TABLE(L"VF_mov", VF_mov_Presets),
    TABLE(L"VF_avi", VF_avi_Presets),
    TABLE(L"VF_3g2", VF_3g2_Presets),
    TABLE(L"VF_3gp", VF_3gp_Presets),
    TABLE(L"VF_apng", VF_apng_Presets),
    TABLE(L"VF_asf", VF_asf_Presets),
    TABLE(L"VF_dash", VF_dash_Presets),
    TABLE(L"VF_dv", VF_dv_Presets),
    TABLE(L"VF_f4v", VF_f4v_Presets),
    TABLE(L"VF_flm", VF_flm_Presets),
    TABLE(L"VF_gif", VF_gif_Presets),
    TABLE(L"VF_gxf", VF_gxf_Presets),
    TABLE(L"VF_hls", VF_hls_Presets),
    TABLE(L"VF_ismv", VF_ismv_Presets),
    TABLE(L"VF_m2v", VF_m2v_Presets),
    TABLE(L"VF_m4v", VF_m4v_Presets),
    TABLE(L"VF_mjpeg", VF_mjpeg_Presets),
    TABLE(L"VF_mkv", VF_mkv_Presets),
    TABLE(L"VF_mp4.web", VF_mp4_web_Presets),
    TABLE(L"VF_mpeg1", VF_mpeg1_Presets),
    TABLE(L"VF_mpeg2", VF_mpeg2_Presets),
    TABLE(L"VF_mxf", VF_mxf_Presets),
    TABLE(L"VF_nut", VF_nut_Presets),
    TABLE(L"VF_ogv", VF_ogv_Presets),
    TABLE(L"VF_rm", VF_rm_Presets),
    TABLE(L"VF_swf", VF_swf_Presets),
    TABLE(L"VF_trp", VF_trp_Presets),
    TABLE(L"VF_ts", VF_ts_Presets),
    TABLE(L"VF_vob", VF_vob_Presets),
    TABLE(L"VF_webm", VF_webm_Presets),
    TABLE(L"VF_wtv", VF_wtv_Presets),
    TABLE(L"VF_DVD", VF_DVD_Presets),
    TABLE(L"VF_VCD", VF_VCD_Presets),
    TABLE(L"VF_SVCD", VF_SVCD_Presets),
    TABLE(L"VF_Apple.iPhone", VF_Apple_iPhone_Presets),
    TABLE(L"VF_Apple.iPad", VF_Apple_iPad_Presets),
    TABLE(L"VF_Apple.others", VF_Apple_others_Presets),
    TABLE(L"VF_Samsung.phone", VF_Samsung_phone_Presets),
    TABLE(L"VF_Samsung.tablet", VF_Samsung_tablet_Presets),
    TABLE(L"VF_Huawei", VF_Huawei_Presets),
    TABLE(L"VF_Android", VF_Android_Presets),
    TABLE(L"VF_Amazon", VF_Amazon_Presets),
    TABLE(L"VF_BlackBerry", VF_BlackBerry_Presets),
    TABLE(L"VF_Google", VF_Google_Presets),
    TABLE(L"VF_HTC", VF_HTC_Presets),
    TABLE(L"VF_Lenovo", VF_Lenovo_Presets),
    TABLE(L"VF_LG", VF_LG_Presets),
    TABLE(L"VF_Microsoft", VF_Microsoft_Presets),
    TABLE(L"VF_Motorola", VF_Motorola_Presets),
    TABLE(L"VF_Nokia", VF_Nokia_Presets),
    TABLE(L"VF_Sony", VF_Sony_Presets),
    TABLE(L"VF_Xiaomi", VF_Xiaomi_Presets),
    TABLE(L"VF_Tablet", VF_Tablet_Presets),
    TABLE(L"VF_TV", VF_TV_Presets),
    TABLE(L"VF_WindowsPhone", VF_WindowsPhone_Presets),
    TABLE(L"VF_mp4.devices", VF_mp4_devices_Presets),
    TABLE(L"VF_avi.devices", VF_avi_devices_Presets),
};

#undef TABLE

static_assert(Count(Tables) == 88, "one table per format");

} // namespace

const BuiltInPresetTable* FindBuiltInPresets(const wchar_t* formatKey)
{
    if (!formatKey) return nullptr;
    for (const BuiltInPresetTable& table : Tables)
        if (_wcsicmp(table.FormatKey, formatKey) == 0) return &table;
    return nullptr;
}

int GetBuiltInPresetTableCount() { return (int)Count(Tables); }

const BuiltInPresetTable& GetBuiltInPresetTable(int index) { return Tables[index]; }
