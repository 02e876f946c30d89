// Thumbnails as Base64 JPEG text, and the Base64 codec they use.
#include "player/playlistfiles/ThumbnailText.h"

#include <stdlib.h>

#include <vector>

#include "engine/SystemHelpers.h"
#include "image/RasterImage.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Position of a character in the alphabet, or -1 for anything else ('=' included).
int AlphabetIndex(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The encoder's block is the C heap's: freed on every way out.
struct CMallocBlock {
    BYTE* bytes = nullptr;
    ~CMallocBlock() { free(bytes); }
};

}  // namespace

unsigned EncodedSize(unsigned length)
{
    return (length + 2) / 3 * 4;
}

unsigned DecodedSize(unsigned length)
{
    return (unsigned)((unsigned long long)length * 6 / 8);
}

unsigned Base64Encode(const unsigned char* bytes, unsigned length, char* out)
{
    unsigned n = 0;
    unsigned i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out[n++] = kAlphabet[(v >> 18) & 63];
        out[n++] = kAlphabet[(v >> 12) & 63];
        out[n++] = kAlphabet[(v >> 6) & 63];
        out[n++] = kAlphabet[v & 63];
    }
    unsigned rest = length - i;
    if (rest > 0) {
        unsigned v = bytes[i] << 16;
        if (rest == 2)
            v |= bytes[i + 1] << 8;
        out[n++] = kAlphabet[(v >> 18) & 63];
        out[n++] = kAlphabet[(v >> 12) & 63];
        out[n++] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out[n++] = '=';
    }
    return n;
}

unsigned Base64Decode(const char* chars, unsigned length, unsigned char* out)
{
    unsigned n = 0;
    unsigned v = 0;
    int have = 0;
    for (unsigned i = 0; i < length; ++i) {
        int index = AlphabetIndex((unsigned char)chars[i]);
        if (index < 0)
            break;
        v = (v << 6) | (unsigned)index;
        if (++have == 4) {
            out[n++] = (unsigned char)(v >> 16);
            out[n++] = (unsigned char)(v >> 8);
            out[n++] = (unsigned char)v;
            v = 0;
            have = 0;
        }
    }
    // A final group of two or three characters carries one or two bytes; one alone carries none.
    if (have == 2) {
        out[n++] = (unsigned char)(v >> 4);
    } else if (have == 3) {
        out[n++] = (unsigned char)(v >> 10);
        out[n++] = (unsigned char)(v >> 2);
    }
    return n;
}

int ImageToBase64(CRasterImage& image, CString& text)
{
    text.Empty();
    if (!image.IsValid())
        return -1;
    CMallocBlock jpeg;
    long size = 0;
    if (!image.EncodeToMemory(jpeg.bytes, size, ImageTypeJPG) || size <= 0)
        return -1;
    std::vector<char> chars(EncodedSize((unsigned)size) + 8);
    unsigned n = Base64Encode(jpeg.bytes, (unsigned)size, chars.data());
    if (n == 0)
        return -1;
    wchar_t* out = text.GetBufferSetLength((int)n);
    for (unsigned i = 0; i < n; ++i)
        out[i] = (wchar_t)(unsigned char)chars[i];
    text.ReleaseBuffer((int)n);
    return 0;
}

int Base64ToImage(const wchar_t* text, CRasterImage& image)
{
    if (!text || !*text)
        return -1;
    CStringA narrow;
    if (WideToAnsi(text, narrow) < 0)
        return -1;
    unsigned length = (unsigned)narrow.GetLength();
    std::vector<unsigned char> bytes(DecodedSize(length) + 8);
    unsigned n = Base64Decode(narrow.GetString(), length, bytes.data());
    if (n == 0)
        return -1;

    CRasterImage header;
    header.SetEscape(-1);
    if (!header.DecodeFromMemory(bytes.data(), n, ImageTypeJPG))
        return -1;
    if (header.GetWidth() <= 0 || header.GetHeight() <= 0 || header.GetWidth() > MAX_TEXT_THUMBNAIL_SIDE ||
        header.GetHeight() > MAX_TEXT_THUMBNAIL_SIDE)
        return -1;
    return image.DecodeFromMemory(bytes.data(), n, ImageTypeJPG) ? 0 : -1;
}
