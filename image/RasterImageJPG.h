// CRasterImageJPG: the JPEG codec over libjpeg with the library's own stream and error managers.
#pragma once

#include "image/RasterImage.h"

class CRasterImageJPG : public CRasterImage
{
public:
    CRasterImageJPG();

    bool Decode(CByteStream* stream);
    bool Encode(CByteStream* stream);

    int smoothing;      // libjpeg smoothing factor, used under codec option 0x40
    int dctMethod;      // libjpeg DCT method, used under codec option 0x200

private:
    struct DecodeState;
    struct EncodeState;
    bool RunDecode(DecodeState& state);
    bool RunEncode(EncodeState& state);
};
