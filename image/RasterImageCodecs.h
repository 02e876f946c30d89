// The codec table of the load and save front end: one record per image type that has a codec.
#pragma once

#include <new>

#include "image/RasterImage.h"

namespace detail
{
struct CRasterCodec
{
    int type;
    CRasterImage* (*create)();
    bool (*decode)(CRasterImage* codec, CByteStream* stream);
    bool (*encode)(CRasterImage* codec, CByteStream* stream);
    bool reportsFrameCount;     // a failed decode still tells the caller how many frames it saw
};

// The record for an image type, or null when no codec for it is built in.
const CRasterCodec* FindRasterCodec(int type);

template <class Codec>
CRasterImage* CreateCodec()
{
    return new (std::nothrow) Codec();
}

template <class Codec>
bool DecodeWith(CRasterImage* codec, CByteStream* stream)
{
    return static_cast<Codec*>(codec)->Decode(stream);
}

template <class Codec>
bool EncodeWith(CRasterImage* codec, CByteStream* stream)
{
    return static_cast<Codec*>(codec)->Encode(stream);
}
}
