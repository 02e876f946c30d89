// Helpers of the image tests: scratch files, test pictures, and reference PNG and JPEG data
// written with libpng and libjpeg directly, independent of the codecs under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/RasterImage.h"

namespace imagetest
{
// A file path in the test folder (TEST_TEMP_DIR), unique per name.
std::wstring TempPath(const wchar_t* name);
bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadFileBytes(const std::wstring& path);

// The image encoded as type into a new byte vector; empty when the encoder failed.
std::vector<BYTE> EncodeToBytes(CRasterImage& image, int type);

// A 24-bit image whose pixel (x, y) is (x * 7 + y * 3, x * 5 + 40, y * 11 + 9) in red, green,
// blue (modulo 256): every pixel differs from its neighbours.
void FillPattern(CRasterImage& image);
RGBQUAD PatternColor(int x, int y);

// A smooth picture that survives JPEG compression with small errors.
void FillGradient(CRasterImage& image);
// Largest channel difference between two 24-bit images of the same size.
int MaxChannelDifference(const CRasterImage& a, const CRasterImage& b);

struct PngSpec
{
    int width = 4;
    int height = 3;
    int colorType = 2;
    int bitDepth = 8;
    bool interlaced = false;
    // Samples of the file rows, top row first, as libpng takes them (16-bit big-endian).
    std::vector<std::vector<BYTE>> rows;
    std::vector<BYTE> palette;            // RGB triples
    std::vector<BYTE> transAlpha;         // tRNS of a palette file
    int transGray = -1;                   // tRNS of a grey file
    int transRed = -1, transGreen = -1, transBlue = -1;
    bool phys = false;
    uint32_t physX = 0, physY = 0;
    int physUnit = 0;
};
std::vector<BYTE> WritePngReference(const PngSpec& layout);

struct JpegSpec
{
    int width = 16;
    int height = 8;
    int components = 3;
    int densityUnit = 1;
    int xDensity = 96;
    int yDensity = 96;
    int quality = 95;
    // Sampling of the first component (the others are 1 x 1); 2 x 2 is libjpeg's default.
    int lumaH = 2;
    int lumaV = 2;
    // Four components are CMYK samples, stored as YCCK when asked.
    bool ycck = false;
    // Samples, top row first (RGB, grey or CMYK), width * components bytes each.
    std::vector<std::vector<BYTE>> rows;
};
std::vector<BYTE> WriteJpegReference(const JpegSpec& layout);

// How the reference decoder is set up: libjpeg's own output colour space, as the codec's options
// ask for it.
struct JpegReadSettings
{
    int scaleDenom = 1;
    bool fancyUpsampling = true;
    bool greyOutput = false;
};

// While one of these lives, every operator new of the test program fails as an exhausted heap
// would (the C heap is untouched), so the library's paths for refused allocations can be run.
class CRefusedAllocations
{
public:
    CRefusedAllocations();
    ~CRefusedAllocations();
    CRefusedAllocations(const CRefusedAllocations&) = delete;
    CRefusedAllocations& operator=(const CRefusedAllocations&) = delete;
};

// Top-down RGB rows of a JPEG decoded with libjpeg directly.
bool ReadJpegReference(const std::vector<BYTE>& data, int& width, int& height, int& components,
                       std::vector<BYTE>& samples,
                       const JpegReadSettings& settings = JpegReadSettings());
}
