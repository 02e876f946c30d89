// The codecs built into the library, one line per image type; the front end tries them by type.
#include "image/RasterImageCodecs.h"

#include <new>

#include "image/RasterImageBMP.h"
#include "image/RasterImageGIF.h"
#include "image/RasterImageICO.h"
#include "image/RasterImageJPG.h"
#include "image/RasterImagePNG.h"

namespace detail
{
namespace
{
// The GIF and ICO decoders tell how many frames or pages they found even when they fail.
const CRasterCodec kCodecs[] = {
    {ImageTypeBMP, CreateCodec<CRasterImageBMP>, DecodeWith<CRasterImageBMP>, EncodeWith<CRasterImageBMP>, false},
    {ImageTypeGIF, CreateCodec<CRasterImageGIF>, DecodeWith<CRasterImageGIF>, EncodeWith<CRasterImageGIF>, true},
    {ImageTypeJPG, CreateCodec<CRasterImageJPG>, DecodeWith<CRasterImageJPG>, EncodeWith<CRasterImageJPG>, false},
    {ImageTypePNG, CreateCodec<CRasterImagePNG>, DecodeWith<CRasterImagePNG>, EncodeWith<CRasterImagePNG>, false},
    {ImageTypeICO, CreateCodec<CRasterImageICO>, DecodeWith<CRasterImageICO>, EncodeWith<CRasterImageICO>, true},
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
