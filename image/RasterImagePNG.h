// CRasterImagePNG: the PNG codec over libpng, with the stream call-backs of the library.
#pragma once

#include "image/RasterImage.h"

class CRasterImagePNG : public CRasterImage
{
public:
    CRasterImagePNG() : CRasterImage(ImageTypePNG) {}

    bool Decode(CByteStream* stream);
    bool Encode(CByteStream* stream);

    // Widens a row of 2-bit pixels to 4-bit pixels in place.
    void Expand2to4Bpp(BYTE* row);

private:
    struct DecodeState;
    struct EncodeState;
    bool RunDecode(DecodeState& state);
    bool RunEncode(EncodeState& state);
};
