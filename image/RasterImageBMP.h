// CRasterImageBMP: Windows bitmap files and bare DIBs (1 to 32 bits, RLE4, RLE8, bit fields).
#pragma once

#include "image/RasterImage.h"

class CRasterImageBMP : public CRasterImage
{
public:
    CRasterImageBMP() : CRasterImage(ImageTypeBMP) {}

    bool Decode(CByteStream* stream);
    bool Encode(CByteStream* stream);

private:
    struct FileInfo;
    const char* DecodeBody(CByteStream* stream, FileInfo& file);
    const char* ReadInfoHeader(CByteStream* stream, FileInfo& file);
    const char* ReadPixels16(CByteStream* stream, const DWORD masks[3]);
    const char* ReadPixels32(CByteStream* stream, const DWORD masks[3], bool alpha);
    void DecodeRle(CByteStream* stream, bool fourBit);
};
