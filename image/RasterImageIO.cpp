// CRasterImage: the load and save front end over files, resources and memory blocks.
#include "image/RasterImage.h"

#include <cstring>
#include <memory>

#include "image/ByteStream.h"
#include "image/RasterImageCodecs.h"

namespace
{
// Entry order of the detection pass.
const int kAutoOrder[] = {ImageTypeBMP, ImageTypeJPG, ImageTypeICO, ImageTypeGIF, ImageTypePNG};

struct CFileCloser
{
    void operator()(FILE* file) const
    {
        if (file)
            fclose(file);
    }
};
typedef std::unique_ptr<FILE, CFileCloser> CFilePtr;
}

bool CRasterImage::Decode(CByteStream* stream, int type)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    if (type < 0 || type > 5)
    {
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    long start = stream->Tell();
    const int single[] = {type};
    const int* order = type == 0 ? kAutoOrder : single;
    size_t count = type == 0 ? sizeof(kAutoOrder) / sizeof(kAutoOrder[0]) : 1;
    for (size_t i = 0; i < count; i++)
    {
        const detail::CRasterCodec* entry = detail::FindRasterCodec(order[i]);
        if (!entry)
        {
            if (type != 0)
                break;
            continue;
        }
        std::unique_ptr<CRasterImage> codec(entry->create());
        if (!codec)
            return false;
        // Only the options go in: everything the file describes starts from the defaults.
        codec->CopyOptions(*this);
        if (entry->decode(codec.get(), stream))
            return TakeOver(*codec, true);
        if (entry->reportsFrameCount)
            info.numFrames = codec->GetNumFrames();
        CopyLastErrorFrom(*codec);
        stream->Seek(start, SEEK_SET);
        if (type != 0)
            return false;
    }
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CRasterImage::Decode(FILE* file, int type)
{
    if (!file)
    {
        SetLastError("null file handler");
        return false;
    }
    CFileByteStream stream(file);
    return Decode(&stream, type);
}

bool CRasterImage::Load(const wchar_t* path, int type)
{
    if (!path)
        return false;
    if (type >= 1 && type <= 5)
    {
        CFilePtr file(_wfopen(path, L"rb"));
        if (!file)
            return false;
        if (Decode(file.get(), type))
            return true;
    }
    char kept[sizeof(info.lastError)];
    memcpy(kept, info.lastError, sizeof(kept));
    CFilePtr file(_wfopen(path, L"rb"));
    if (!file)
        return false;
    if (Decode(file.get(), 0))
        return true;
    // The caller asked for one type: tell why that one failed, not why detection did.
    if (type != 0)
        memcpy(info.lastError, kept, sizeof(kept));
    return false;
}

bool CRasterImage::LoadResource(HRSRC resource, int type, HMODULE module)
{
    if (!resource)
    {
        SetLastError("Unable to load resource!");
        return false;
    }
    DWORD size = SizeofResource(module, resource);
    HGLOBAL handle = ::LoadResource(module, resource);
    if (!handle)
    {
        SetLastError("Unable to load resource!");
        return false;
    }
    void* bytes = LockResource(handle);
    if (!bytes)
        return false;
    CMemoryByteStream stream((unsigned char*)bytes, size);
    return Decode(&stream, type);
}

bool CRasterImage::DecodeFromMemory(const BYTE* buffer, DWORD size, int type)
{
    CMemoryByteStream stream(const_cast<BYTE*>(buffer), buffer ? size : 0);
    if (!buffer)
    {
        SetLastError("null file handler");
        return false;
    }
    return Decode(&stream, type);
}

bool CRasterImage::CheckBeforeEncode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return true;
    }
    if (!dib)
    {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}

bool CRasterImage::Encode(CByteStream* stream, int type)
{
    const detail::CRasterCodec* entry =
        (type >= 1 && type <= 5) ? detail::FindRasterCodec(type) : nullptr;
    if (!entry || !entry->encode)
    {
        SetLastError("Encode: Unknown format");
        return false;
    }
    std::unique_ptr<CRasterImage> codec(entry->create());
    if (!codec)
        return false;
    codec->MakeShallowCopy(this);
    if (entry->encode(codec.get(), stream))
        return true;
    CopyLastErrorFrom(*codec);
    return false;
}

bool CRasterImage::Encode(FILE* file, int type)
{
    if (!file)
    {
        SetLastError("null file handler");
        return false;
    }
    CFileByteStream stream(file);
    return Encode(&stream, type);
}

bool CRasterImage::Save(const wchar_t* path, int type)
{
    if (!path)
        return false;
    CFilePtr file(_wfopen(path, L"wb"));
    if (!file)
        return false;
    bool ok = Encode(file.get(), type);
    // A write that only fails when the file is closed is still a failed save.
    FILE* raw = file.release();
    if (fclose(raw) != 0 && ok)
    {
        SetLastError("Output file write error --- out of disk space?");
        ok = false;
    }
    return ok;
}

bool CRasterImage::EncodeToMemory(BYTE*& buffer, long& size, int type)
{
    if (buffer)
    {
        SetLastError("the buffer must be empty");
        return false;
    }
    CMemoryByteStream stream;
    if (!stream.Open())
        return false;
    if (!Encode(&stream, type))
        return false;
    size = stream.Size();
    buffer = stream.GetBuffer(true);
    return true;
}
