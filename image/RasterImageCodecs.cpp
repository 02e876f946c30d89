// The codecs built into the library, one line per image type; the front end tries them by type.
#include "image/RasterImageCodecs.h"

#include <new>

#include "image/RasterImageJPG.h"
#include "image/RasterImagePNG.h"

namespace detail
{
namespace
{
// BMP (1), GIF (2) and ICO (5) join this table with their codecs; until then those types
// fail as unknown formats.
const CRasterCodec kCodecs[] = {
    {ImageTypeJPG, CreateCodec<CRasterImageJPG>, DecodeWith<CRasterImageJPG>, EncodeWith<CRasterImageJPG>, false},
    {ImageTypePNG, CreateCodec<CRasterImagePNG>, DecodeWith<CRasterImagePNG>, EncodeWith<CRasterImagePNG>, false},
};
}

const CRasterCodec* FindRasterCodec(int type)
{
    for (const CRasterCodec& codec : kCodecs)
    {
        if (codec.type == type)
            return &codec;
    }
    return nullptr;
}
}
