// The codec catalogue: every encoder variant the converter drives, with the values it accepts,
// its defaults and bounds, and the three adjustment hooks that some encoders need.
#include "conversion/CodecCatalog.h"

#include <string.h>

#include "engine/EncoderOptions.h"

namespace {

template <class T, size_t N> constexpr size_t Count(const T (&)[N]) { return N; }

// Value lists; 0 (0x0, 0/0) is the Auto entry.
const int AB1[] = {0, 8000, 16000, 20000, 24000, 28000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, 640000, 768000};
static_assert(Count(AB1) == 25, "AB1");
const int CH1[] = {0, 1, 2, 6};
static_assert(Count(CH1) == 4, "CH1");
const int SR1[] = {0, 6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 72000, 88200, 96000, 192000};
static_assert(Count(SR1) == 16, "SR1");
const int AB2[] = {8000, 12200, 16000, 20000, 24000, 28000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000};
static_assert(Count(AB2) == 20, "AB2");
const int CH2[] = {0, 1, 2};
static_assert(Count(CH2) == 3, "CH2");
const int SR2[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
static_assert(Count(SR2) == 9, "SR2");
const int SR3[] = {0, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
static_assert(Count(SR3) == 10, "SR3");
const int AB3[] = {32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, 640000, 768000};
static_assert(Count(AB3) == 19, "AB3");
const int SR4[] = {32000, 44100, 48000};
static_assert(Count(SR4) == 3, "SR4");
const int AB4[] = {0};
static_assert(Count(AB4) == 1, "AB4");
const int AB5[] = {32000};
static_assert(Count(AB5) == 1, "AB5");
const int CH3[] = {1};
static_assert(Count(CH3) == 1, "CH3");
const int SR5[] = {8000};
static_assert(Count(SR5) == 1, "SR5");
const int AB6[] = {13000};
static_assert(Count(AB6) == 1, "AB6");
const int AB7[] = {0, 13330, 15200};
static_assert(Count(AB7) == 3, "AB7");
const int AB8[] = {0, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 512000};
static_assert(Count(AB8) == 18, "AB8");
const int AB9[] = {0, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000};
static_assert(Count(AB9) == 15, "AB9");
const int SR6[] = {11025, 22050, 44100};
static_assert(Count(SR6) == 3, "SR6");
const int SR7[] = {0, 16000, 22050, 24000, 32000, 44100, 48000};
static_assert(Count(SR7) == 7, "SR7");
const int AB10[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
static_assert(Count(AB10) == 8, "AB10");
const int AB11[] = {0, 2150, 4000, 8000, 16000, 20000, 24000, 24600, 28000, 32000, 40000, 44200};
static_assert(Count(AB11) == 12, "AB11");
const int SR8[] = {0, 8000, 16000, 32000};
static_assert(Count(SR8) == 4, "SR8");
const int AB12[] = {6600, 8850, 12650, 14250, 15850, 18250, 19850, 23050, 23850};
static_assert(Count(AB12) == 9, "AB12");
const int SR9[] = {16000};
static_assert(Count(SR9) == 1, "SR9");
const int AB13[] = {0, 16000, 20000, 24000, 28000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, 640000, 768000};
static_assert(Count(AB13) == 24, "AB13");
const int SR10[] = {44100};
static_assert(Count(SR10) == 1, "SR10");
const int CH4[] = {1, 2};
static_assert(Count(CH4) == 2, "CH4");
const int SR11[] = {48000};
static_assert(Count(SR11) == 1, "SR11");
const int SR12[] = {0, 8000, 11025, 16000, 22050, 32000, 44100, 48000};
static_assert(Count(SR12) == 8, "SR12");
const int AB14[] = {0, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 512000};
static_assert(Count(AB14) == 17, "AB14");
const int SR13[] = {0, 8000, 16000, 22050, 32000, 44100, 48000};
static_assert(Count(SR13) == 7, "SR13");
const int VB1[] = {0};
static_assert(Count(VB1) == 1, "VB1");
const MediaSize FS1[] = {{0, 0}, {128, 96}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {960, 720}, {1280, 720}, {1920, 1080}};
static_assert(Count(FS1) == 18, "FS1");
const MediaRate FR1[] = {{0, 0}, {5, 1}, {10, 1}};
static_assert(Count(FR1) == 3, "FR1");
const MediaSize FS2[] = {{480, 320}, {720, 480}, {720, 576}};
static_assert(Count(FS2) == 3, "FS2");
const MediaRate FR2[] = {{25, 1}, {30000, 1001}};
static_assert(Count(FR2) == 2, "FR2");
const int VB2[] = {0, 96000, 128000, 160000, 192000, 256000, 320000, 400000, 512000, 640000, 768000, 800000, 1000000, 1200000, 1500000, 1600000, 1800000, 2000000, 2500000, 3000000, 3500000, 4000000, 4500000, 5000000, 5500000, 6000000, 8000000, 10000000, 12000000, 15000000, 20000000, 30000000};
static_assert(Count(VB2) == 32, "VB2");
const MediaSize FS3[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {960, 720}, {1280, 720}, {1920, 1080}};
static_assert(Count(FS3) == 17, "FS3");
const MediaRate FR3[] = {{0, 0}, {8, 1}, {10, 1}, {12, 1}, {15, 1}, {16, 1}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {48, 1}, {50, 1}, {60000, 1001}, {60, 1}};
static_assert(Count(FR3) == 16, "FR3");
const MediaRate FR4[] = {{0, 0}, {5, 1}, {8, 1}, {10, 1}, {12, 1}, {15, 1}, {20, 1}};
static_assert(Count(FR4) == 7, "FR4");
const int VB3[] = {0, 64000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 800000, 900000, 1000000, 1200000, 1500000, 2000000};
static_assert(Count(VB3) == 19, "VB3");
const MediaSize FS4[] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
static_assert(Count(FS4) == 5, "FS4");
const MediaRate FR5[] = {{0, 0}, {8, 1}, {10, 1}, {12, 1}, {15, 1}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}};
static_assert(Count(FR5) == 11, "FR5");
const int VB4[] = {0, 64000, 96000, 128000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 900000, 1000000, 1200000, 1500000};
static_assert(Count(VB4) == 16, "VB4");
const int VB5[] = {0, 64000, 96000, 128000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 1000000, 1200000, 1500000};
static_assert(Count(VB5) == 15, "VB5");
const int VB6[] = {0, 64000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 800000, 1000000, 1200000, 1500000, 2500000};
static_assert(Count(VB6) == 18, "VB6");
const MediaSize FS5[] = {{0, 0}, {96, 80}, {128, 96}, {176, 144}, {220, 176}, {240, 192}, {320, 240}, {352, 288}, {480, 320}, {704, 576}, {1408, 1152}};
static_assert(Count(FS5) == 11, "FS5");
const MediaRate FR6[] = {{0, 0}, {12000, 1001}, {125, 10}, {15000, 1001}, {15, 1}, {24000, 1001}, {25, 1}, {30000, 1001}, {30, 1}};
static_assert(Count(FR6) == 9, "FR6");
const int VB7[] = {0, 64000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 1000000, 1200000, 1500000, 1800000, 2000000, 2200000, 2500000, 2800000, 3000000, 3500000, 4000000, 5000000, 6000000, 8000000, 10000000, 20000000};
static_assert(Count(VB7) == 29, "VB7");
const MediaRate FR7[] = {{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}};
static_assert(Count(FR7) == 5, "FR7");
const int VB8[] = {0, 96000, 128000, 160000, 192000, 256000, 320000, 400000, 512000, 640000, 768000, 800000, 1000000, 1200000, 1500000, 1600000, 1800000, 2000000, 2500000, 3000000, 3500000, 4000000, 4500000, 5000000, 5500000, 6000000, 8000000, 10000000, 12000000, 15000000, 20000000, 30000000, 40000000};
static_assert(Count(VB8) == 33, "VB8");
const MediaSize FS6[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {960, 720}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS6) == 21, "FS6");
const MediaRate FR8[] = {{0, 0}, {8, 1}, {10, 1}, {12, 1}, {15, 1}, {16, 1}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {48, 1}, {50, 1}, {60000, 1001}, {60, 1}, {100, 1}, {120, 1}};
static_assert(Count(FR8) == 18, "FR8");
const MediaSize FS7[] = {{0, 0}, {96, 80}, {128, 96}, {160, 120}, {176, 144}, {220, 176}, {240, 192}, {288, 224}, {320, 240}, {352, 288}, {480, 320}, {480, 368}, {704, 576}, {1408, 1152}};
static_assert(Count(FS7) == 14, "FS7");
const int VB9[] = {0, 64000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 1000000, 1200000, 1500000};
static_assert(Count(VB9) == 16, "VB9");
const MediaSize FS8[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {800, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {1024, 600}, {960, 640}, {960, 720}, {1200, 720}, {1280, 720}, {1280, 768}, {1280, 800}, {1920, 1080}, {1920, 1200}, {2560, 1440}, {2880, 1440}, {2960, 1440}, {2048, 1536}, {2560, 1600}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS8) == 31, "FS8");
const MediaSize FS9[] = {{0, 0}, {176, 132}, {176, 144}, {240, 160}, {240, 240}, {320, 240}, {376, 240}, {432, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {1136, 640}, {960, 720}, {1280, 720}, {1334, 750}, {1024, 768}, {1920, 1080}, {2436, 1125}, {2560, 1440}, {2048, 1536}, {2224, 1668}, {2732, 2048}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS9) == 32, "FS9");
const MediaSize FS10[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {1024, 600}, {960, 640}, {720, 720}, {960, 720}, {1280, 720}, {1280, 768}, {1620, 1080}, {1920, 1080}, {1440, 1440}, {2560, 1440}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS10) == 26, "FS10");
const int VB10[] = {0, 3000000, 4000000, 5000000, 6000000, 7000000, 8000000, 9000000, 10000000, 12000000, 15000000, 20000000, 30000000, 40000000};
static_assert(Count(VB10) == 14, "VB10");
const MediaSize FS11[] = {{0, 0}, {960, 540}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS11) == 8, "FS11");
const MediaRate FR9[] = {{0, 0}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {48, 1}, {50, 1}, {60000, 1001}, {60, 1}, {100, 1}, {120, 1}};
static_assert(Count(FR9) == 13, "FR9");
const MediaSize FS12[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {800, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {960, 720}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS12) == 22, "FS12");
const int VB11[] = {0, 64000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 900000, 1000000, 1200000, 1500000};
static_assert(Count(VB11) == 17, "VB11");
const int VB12[] = {0, 512000, 800000, 1200000, 1500000, 2500000};
static_assert(Count(VB12) == 6, "VB12");
const MediaRate FR10[] = {{0, 0}, {6000, 1001}, {625, 100}, {75, 10}, {10, 1}, {12000, 1001}, {125, 10}, {15000, 1001}, {15, 1}, {24000, 1001}, {25, 1}, {30000, 1001}, {30, 1}, {50, 1}, {60, 1}};
static_assert(Count(FR10) == 15, "FR10");
const int VB13[] = {0, 320000, 384000, 448000, 512000, 640000, 768000, 1000000, 1200000, 1500000, 1600000, 1800000, 2000000, 2200000, 2500000, 2800000, 3000000, 3500000, 4000000, 5000000, 6000000, 8000000};
static_assert(Count(VB13) == 22, "VB13");
const MediaRate FR11[] = {{0, 0}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {48, 1}, {50, 1}, {60000, 1001}, {60, 1}};
static_assert(Count(FR11) == 11, "FR11");
const int VB14[] = {1150000};
static_assert(Count(VB14) == 1, "VB14");
const MediaSize FS13[] = {{352, 240}, {352, 288}, {480, 320}};
static_assert(Count(FS13) == 3, "FS13");
const int VB15[] = {2500000, 3000000, 3500000, 4000000, 5000000, 5500000, 6000000, 6500000, 7000000, 8000000, 9000000, 10000000};
static_assert(Count(VB15) == 12, "VB15");
const int VB16[] = {2415000};
static_assert(Count(VB16) == 1, "VB16");
const MediaSize FS14[] = {{480, 480}, {480, 576}};
static_assert(Count(FS14) == 2, "FS14");
const int VB17[] = {0, 3000000, 4000000, 5000000, 6000000, 7000000, 8000000, 9000000, 10000000, 12000000, 15000000, 16000000, 18000000, 20000000};
static_assert(Count(VB17) == 14, "VB17");
const int VB18[] = {0, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 1000000, 1200000, 1500000, 1800000, 2000000, 2200000, 2500000, 2800000, 3000000, 3500000, 4000000};
static_assert(Count(VB18) == 23, "VB18");
const MediaSize FS15[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {480, 320}, {352, 288}, {640, 360}, {640, 480}, {720, 480}, {854, 480}, {960, 540}, {720, 576}, {768, 576}, {960, 640}, {960, 720}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {5120, 2700}, {7680, 4320}};
static_assert(Count(FS15) == 21, "FS15");
const MediaSize FS16[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 480}, {720, 480}, {720, 576}};
static_assert(Count(FS16) == 9, "FS16");
const MediaSize FS17[] = {{0, 0}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {720, 480}, {720, 576}, {768, 576}};
static_assert(Count(FS17) == 11, "FS17");
const int VB19[] = {0, 96000, 128000, 160000, 192000, 256000, 319000, 320000, 384000, 448000, 512000, 640000, 768000, 900000, 976000, 1000000, 1200000, 1500000, 1800000, 1953000, 2000000, 2200000, 2500000, 2800000, 3000000, 3500000, 4000000, 4687000, 5000000, 6000000, 7000000, 8000000, 9000000, 10000000, 12000000, 15000000, 18000000, 20000000, 24000000, 27000000, 30000000};
static_assert(Count(VB19) == 41, "VB19");
const MediaSize FS18[] = {{0, 0}, {128, 96}, {176, 144}, {240, 160}, {320, 240}, {352, 240}, {480, 272}, {352, 288}, {384, 288}, {480, 320}, {480, 368}, {512, 384}, {640, 480}, {704, 480}, {720, 480}, {960, 540}, {704, 576}, {720, 576}, {768, 576}, {1024, 576}, {960, 720}, {1280, 720}, {1440, 1080}, {1920, 1080}};
static_assert(Count(FS18) == 24, "FS18");
const MediaRate FR12[] = {{0, 0}, {1, 1}, {2, 1}, {5, 1}, {8, 1}, {10, 1}, {12, 1}, {15, 1}, {16, 1}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {48, 1}, {50, 1}, {60000, 1001}, {60, 1}, {100, 1}, {120, 1}};
static_assert(Count(FR12) == 21, "FR12");

template <class T> struct ValueList {
    const T* Values;
    int Count;
};

template <class T, size_t N> constexpr ValueList<T> L(const T (&values)[N]) { return ValueList<T>{values, (int)N}; }

constexpr ValueList<MediaRate> NoAspects{nullptr, 0};
const MediaRate WmvAspects[] = {{0, 0}, {4, 3}, {16, 9}};

enum VideoHook { BaseHook, DvVideoHook, XvidHook, Mpeg1Hook };

struct AudioCodecDef {
    const wchar_t* Key;
    const wchar_t* Name;
    const wchar_t* Encoder;
    UINT Flags;
    ValueList<int> BitRates;
    int BitRateDefault;
    ValueList<int> Channels;
    int ChannelsDefault;
    ValueList<int> SampleRates;
    int SampleRateDefault;
    int SampleRateMin;
    const wchar_t* ExtraOptions;
};

struct VideoCodecDef {
    const wchar_t* Key;
    const wchar_t* Name;
    const wchar_t* Encoder;
    UINT Flags;
    int Align;
    ValueList<int> BitRates;
    int BitRateDefault;
    ValueList<MediaSize> FrameSizes;
    MediaSize DefaultSize;
    ValueList<MediaRate> FrameRates;
    MediaRate RateDefault;
    MediaRate RateMin;
    ValueList<MediaRate> Aspects;
    const wchar_t* Profile;
    const wchar_t* Tag;
    const wchar_t* ExtraOptions;
    VideoHook Hook;
};

// Key, name, encoder, flags, bit rates (default), channels (default), sample rates (default), sample-rate minimum, extra options.
const AudioCodecDef AudioCodecs[] = {
    {L"AC_aac", L"AAC", L"libfdk_aac", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_aac.3g2", L"AAC", L"libfdk_aac", 0x7, L(AB2), 12200, L(CH2), 0, L(SR2), 44100, 0, L""},
    {L"AC_aac.3gp", L"AAC", L"libfdk_aac", 0x7, L(AB2), 12200, L(CH2), 0, L(SR2), 44100, 0, L""},
    {L"AC_aac.Android", L"AAC", L"libfdk_aac", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_aac.Apple", L"AAC", L"libfdk_aac", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_aac.BlackBerry", L"AAC", L"libfdk_aac", 0x7, L(AB1), 128000, L(CH1), 0, L(SR3), 44100, 0, L""},
    {L"AC_aac.WindowsPhone", L"AAC", L"libfdk_aac", 0x7, L(AB1), 128000, L(CH1), 0, L(SR3), 44100, 0, L""},
    {L"AC_ac3", L"AC3", L"ac3", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_ac3.DVD", L"AC3", L"ac3", 0x7, L(AB3), 192000, L(CH1), 2, L(SR4), 48000, 0, L""},
    {L"AC_adpcm_adx", L"SEGA CRI ADX ADPCM", L"adpcm_adx", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_adpcm_ima_wav", L"ADPCM IMA WAV", L"adpcm_ima_wav", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_adpcm_ms", L"ADPCM Microsoft", L"adpcm_ms", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_adpcm_yamaha", L"ADPCM Yamaha", L"adpcm_yamaha", 0x0, L(AB5), 32000, L(CH3), 1, L(SR5), 8000, 0, L""},
    {L"AC_alac", L"ALAC", L"alac", 0x7, L(AB4), 0, L(CH2), 0, L(SR1), 0, 0, L""},
    {L"AC_dca", L"DCA", L"dca", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L"-strict -2"},
    {L"AC_flac", L"FLAC", L"flac", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_libgsm_ms", L"GSM MS", L"libgsm_ms", 0x0, L(AB6), 13000, L(CH3), 1, L(SR5), 8000, 0, L""},
    {L"AC_libilbc", L"iLBC", L"libilbc", 0x0, L(AB7), 0, L(CH3), 1, L(SR5), 8000, 0, L""},
    {L"AC_libmp3lame", L"MP3", L"libmp3lame", 0x7, L(AB8), 0, L(CH2), 0, L(SR3), 0, 0, L""},
    {L"AC_libmp3lame.flv", L"MP3", L"libmp3lame", 0x5, L(AB9), 128000, L(CH2), 0, L(SR6), 44100, 0, L""},
    {L"AC_libmp3lame.mp4", L"MP3", L"libmp3lame", 0x7, L(AB8), 0, L(CH2), 0, L(SR7), 0, 16000, L""},
    {L"AC_libopencore_amrnb", L"AMR Narrow-Band", L"libopencore_amrnb", 0x0, L(AB10), 6700, L(CH3), 1, L(SR5), 8000, 0, L""},
    {L"AC_libopus", L"Opus", L"libopus", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_libspeex", L"Speex", L"libspeex", 0x7, L(AB11), 0, L(CH2), 0, L(SR8), 0, 0, L""},
    {L"AC_libvo_amrwbenc", L"AMR Wide-Band", L"libvo_amrwbenc", 0x0, L(AB12), 15850, L(CH3), 1, L(SR9), 16000, 0, L""},
    {L"AC_libvorbis", L"Vorbis", L"libvorbis", 0x7, L(AB8), 0, L(CH1), 0, L(SR3), 0, 0, L""},
    {L"AC_mp2", L"MP2", L"mp2", 0x7, L(AB1), 0, L(CH2), 0, L(SR7), 0, 0, L""},
    {L"AC_mp2.DVD", L"MP2", L"mp2", 0x7, L(AB13), 192000, L(CH2), 2, L(SR4), 48000, 0, L""},
    {L"AC_mp2.VCD", L"MP2", L"mp2", 0x7, L(AB13), 0, L(CH2), 2, L(SR10), 44100, 0, L""},
    {L"AC_pcm_alaw", L"PCM A-law", L"pcm_alaw", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_mulaw", L"PCM mu-law", L"pcm_mulaw", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s16be", L"PCM s16be", L"pcm_s16be", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s16be_planar", L"PCM s16be planar", L"pcm_s16be_planar", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s16le", L"PCM s16le", L"pcm_s16le", 0x6, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s16le.dv", L"PCM s16le", L"pcm_s16le", 0x4, L(AB4), 0, L(CH4), 2, L(SR11), 48000, 0, L""},
    {L"AC_pcm_s16le.gxf", L"PCM s16le", L"pcm_s16le", 0x0, L(AB4), 0, L(CH3), 1, L(SR11), 48000, 0, L""},
    {L"AC_pcm_s16le.mxf", L"PCM s16le", L"pcm_s16le", 0x4, L(AB4), 0, L(CH4), 2, L(SR11), 48000, 0, L""},
    {L"AC_pcm_s24be", L"PCM s24be", L"pcm_s24be", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s24le", L"PCM s24le", L"pcm_s24le", 0x7, L(AB1), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_s8", L"PCM s8", L"pcm_s8", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_pcm_u8", L"PCM u8", L"pcm_u8", 0x7, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_wavpack", L"WavPack", L"wavpack", 0x6, L(AB4), 0, L(CH1), 0, L(SR1), 0, 0, L""},
    {L"AC_wmav1", L"WMAV1", L"wmav1", 0x7, L(AB1), 0, L(CH2), 0, L(SR12), 0, 0, L""},
    {L"AC_wmav2", L"WMAV2", L"wmav2", 0x0, L(AB14), 0, L(CH2), 0, L(SR13), 0, 0, L""},
};

// Key, name, encoder (empty: the muxer chooses), flags, align, bit rates (default), frame sizes (default),
// frame rates (default), rate minimum, aspects, profile, tag, extra options, adjustment hook.
const VideoCodecDef VideoCodecs[] = {
    {L"VC_apng", L"Animated PNG", L"", 0x6, 1, L(VB1), 0, L(FS1), {0, 0}, L(FR1), {5, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_dvvideo", L"DV (Digital Video)", L"dvvideo", 0x1, 1, L(VB1), 0, L(FS2), {720, 576}, L(FR2), {30000, 1001}, {0, 0}, NoAspects, L"", L"", L"", DvVideoHook},
    {L"VC_flv", L"FLV", L"flv", 0x7, 1, L(VB2), 0, L(FS3), {0, 0}, L(FR3), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_gif", L"GIF", L"gif", 0x6, 1, L(VB1), 0, L(FS1), {0, 0}, L(FR4), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_h263", L"H.263", L"h263", 0x3, 4, L(VB3), 0, L(FS4), {352, 288}, L(FR5), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_h263.3g2", L"H.263", L"h263", 0x3, 4, L(VB4), 448000, L(FS4), {352, 288}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_h263.3gp", L"H.263", L"h263", 0x3, 4, L(VB5), 448000, L(FS4), {352, 288}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_h263p", L"H.263+", L"h263p", 0x7, 4, L(VB6), 0, L(FS5), {0, 0}, L(FR6), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_huffyuv", L"HuffYUV", L"huffyuv", 0x7, 2, L(VB7), 0, L(FS3), {352, 288}, L(FR7), {25, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libtheora", L"Theora", L"libtheora", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libvpx", L"VP8", L"libvpx", 0x10007, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libvpx_vp9", L"VP9", L"libvpx-vp9", 0x10007, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libx264", L"H.264", L"libx264", 0x10007, 2, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libx264.3g2", L"H.264", L"libx264", 0x10007, 2, L(VB4), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libx264.3gp", L"H.264", L"libx264", 0x10007, 2, L(VB9), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libx264.Android", L"H.264", L"libx264", 0x10007, 2, L(VB8), 0, L(FS8), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"main", L"", L"", BaseHook},
    {L"VC_libx264.Apple", L"H.264", L"libx264", 0x10007, 2, L(VB8), 0, L(FS9), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"main", L"", L"", BaseHook},
    {L"VC_libx264.BlackBerry", L"H.264", L"libx264", 0x10007, 2, L(VB8), 0, L(FS10), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"main", L"", L"", BaseHook},
    {L"VC_libx264.ts", L"H.264", L"libx264", 0x10007, 2, L(VB10), 0, L(FS11), {0, 0}, L(FR9), {0, 0}, {0, 0}, NoAspects, L"main", L"", L"", BaseHook},
    {L"VC_libx264.web", L"H.264 for web", L"libx264", 0x10007, 2, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"-movflags +faststart", BaseHook},
    {L"VC_libx264.WindowsPhone", L"H.264", L"libx264", 0x10007, 2, L(VB8), 0, L(FS12), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"main", L"", L"", BaseHook},
    {L"VC_libx265", L"HEVC", L"libx265", 0x10007, 2, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_libxvid", L"Xvid", L"libxvid", 0x7, 2, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", XvidHook},
    {L"VC_libxvid.3g2", L"Xvid", L"libxvid", 0x7, 2, L(VB11), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", XvidHook},
    {L"VC_libxvid.3gp", L"Xvid", L"libxvid", 0x7, 2, L(VB9), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", XvidHook},
    {L"VC_mjpeg", L"M-JPEG", L"mjpeg", 0x7, 1, L(VB12), 1200000, L(FS6), {320, 240}, L(FR10), {25, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg1video", L"MPEG1", L"mpeg1video", 0x7, 1, L(VB13), 0, L(FS3), {0, 0}, L(FR11), {0, 0}, {20, 1}, NoAspects, L"", L"", L"", Mpeg1Hook},
    {L"VC_mpeg1video.VCD", L"MPEG1", L"mpeg1video", 0x0, 1, L(VB14), 1150000, L(FS13), {352, 240}, L(FR2), {30000, 1001}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg2video", L"MPEG2", L"mpeg2video", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg2video.DVD", L"MPEG2", L"mpeg2video", 0x0, 1, L(VB15), 5000000, L(FS2), {720, 480}, L(FR2), {30000, 1001}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg2video.SVCD", L"MPEG2", L"mpeg2video", 0x0, 1, L(VB16), 2415000, L(FS14), {480, 480}, L(FR2), {30000, 1001}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg2video.ts", L"MPEG2", L"mpeg2video", 0x1, 1, L(VB17), 0, L(FS11), {0, 0}, L(FR9), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.3g2", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB11), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.3gp", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB5), 448000, L(FS7), {320, 240}, L(FR5), {15, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.Android", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS8), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.Apple", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS9), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.BlackBerry", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS10), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_mpeg4.divx", L"DivX", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"DIVX", L"", BaseHook},
    {L"VC_mpeg4.WindowsPhone", L"MPEG-4", L"mpeg4", 0x7, 1, L(VB8), 0, L(FS12), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_msmpeg4", L"MS MPEG-4", L"msmpeg4", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_msmpeg4v2", L"MS MPEG-4 V2", L"msmpeg4v2", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_msmpeg4v3", L"MS MPEG-4 V3", L"msmpeg4v3", 0x7, 1, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_rawvideo", L"Raw Video", L"rawvideo", 0x7, 1, L(VB18), 1150000, L(FS15), {0, 0}, L(FR7), {25, 1}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_rv10", L"RealVideo 1.0", L"rv10", 0x7, 16, L(VB8), 0, L(FS16), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_rv20", L"RealVideo 2.0", L"rv20", 0x7, 4, L(VB8), 0, L(FS17), {0, 0}, L(FR8), {0, 0}, {0, 0}, NoAspects, L"", L"", L"", BaseHook},
    {L"VC_wmv1", L"WMV1", L"wmv1", 0x7, 2, L(VB8), 0, L(FS6), {0, 0}, L(FR8), {0, 0}, {0, 0}, L(WmvAspects), L"", L"", L"", BaseHook},
    {L"VC_wmv2", L"WMV2", L"wmv2", 0x7, 2, L(VB19), 0, L(FS18), {0, 0}, L(FR12), {0, 0}, {0, 0}, L(WmvAspects), L"", L"", L"", BaseHook},
};

static_assert(Count(AudioCodecs) == 44, "audio codec keys");
static_assert(Count(VideoCodecs) == 48, "video codec keys");

template <class T> void Fill(CArray<T>& list, const ValueList<T>& values)
{
    list.RemoveAll();
    for (int i = 0; i < values.Count; ++i) list.Add(values.Values[i]);
}

// DV wants 4:1:1 chroma for its NTSC frame size only.
class CDvVideoCodec : public CVideoCodec {
public:
    int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source) override
    {
        PixelFormat = (options.Width == 720 && options.Height == 480) ? L"yuv411p" : L"";
        return CVideoCodec::AdjustOptions(options, source);
    }
};

// Xvid stores no display aspect of its own: give it the frame's.
class CXvidCodec : public CVideoCodec {
public:
    int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source) override
    {
        if (CVideoCodec::AdjustOptions(options, source) != 0) return -1;
        if ((options.AspectNum == 0 || options.AspectDen == 0) && options.Width > 0 && options.Height > 0) {
            options.AspectNum = options.Width;
            options.AspectDen = options.Height;
        }
        return 0;
    }
};

// MPEG-1 has no frame rate below 20 fps, so slow sources are encoded at 20.
class CMpeg1VideoCodec : public CVideoCodec {
public:
    int AdjustOptions(CEncoderOptions& options, const SourceStreamValues& source) override
    {
        if (CVideoCodec::AdjustOptions(options, source) != 0) return -1;
        if ((options.RateNum == 0 || options.RateDen == 0) && source.RateNum > 0 && source.RateDen > 0 &&
            (double)source.RateNum / source.RateDen < 20.0) {
            options.RateNum = 20;
            options.RateDen = 1;
        }
        return 0;
    }
};

CVideoCodec* NewVideoCodec(VideoHook hook)
{
    switch (hook) {
    case DvVideoHook: return new CDvVideoCodec;
    case XvidHook: return new CXvidCodec;
    case Mpeg1Hook: return new CMpeg1VideoCodec;
    default: return new CVideoCodec;
    }
}

} // namespace

CVideoCodec* CreateVideoCodec(const wchar_t* key)
{
    if (!key) return nullptr;
    for (const VideoCodecDef& def : VideoCodecs) {
        if (wcscmp(def.Key, key) != 0) continue;
        CVideoCodec* codec = NewVideoCodec(def.Hook);
        codec->Flags = def.Flags;
        codec->Id = def.Key;
        codec->Name = def.Name;
        codec->EncoderName = def.Encoder;
        codec->Align = def.Align;
        Fill(codec->BitRates, def.BitRates);
        codec->BitRateDefault = def.BitRateDefault;
        Fill(codec->FrameSizes, def.FrameSizes);
        codec->DefaultSize = def.DefaultSize;
        Fill(codec->Aspects, def.Aspects);
        Fill(codec->FrameRates, def.FrameRates);
        codec->RateDefault = def.RateDefault;
        codec->RateMin = def.RateMin;
        codec->Profile = def.Profile;
        codec->Tag = def.Tag;
        codec->ExtraOptions = def.ExtraOptions;
        return codec;
    }
    return nullptr;
}

CAudioCodec* CreateAudioCodec(const wchar_t* key)
{
    if (!key) return nullptr;
    for (const AudioCodecDef& def : AudioCodecs) {
        if (wcscmp(def.Key, key) != 0) continue;
        CAudioCodec* codec = new CAudioCodec;
        codec->Flags = def.Flags;
        codec->Id = def.Key;
        codec->Name = def.Name;
        codec->EncoderName = def.Encoder;
        Fill(codec->BitRates, def.BitRates);
        codec->BitRateDefault = def.BitRateDefault;
        Fill(codec->ChannelCounts, def.Channels);
        codec->ChannelsDefault = def.ChannelsDefault;
        Fill(codec->SampleRates, def.SampleRates);
        codec->SampleRateDefault = def.SampleRateDefault;
        codec->SampleRateMin = def.SampleRateMin;
        codec->ExtraOptions = def.ExtraOptions;
        return codec;
    }
    return nullptr;
}

int GetVideoCodecCount() { return (int)Count(VideoCodecs); }

const wchar_t* GetVideoCodecKey(int index)
{
    return index >= 0 && index < GetVideoCodecCount() ? VideoCodecs[index].Key : nullptr;
}

int GetAudioCodecCount() { return (int)Count(AudioCodecs); }

const wchar_t* GetAudioCodecKey(int index)
{
    return index >= 0 && index < GetAudioCodecCount() ? AudioCodecs[index].Key : nullptr;
}
