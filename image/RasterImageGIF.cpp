// GIF codec: blocks and extensions, frame counting, the LZW decoder with interlaced rows, frame
// composition with the disposal methods, and the LZW, uncompressed and run-length encoders.
#include "image/RasterImageGIF.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "image/ByteOrder.h"
#include "image/ByteStream.h"

namespace
{
using imagedetail::Le16;

// The blocks of the stream, and the labels of the extensions read and written.
const int kExtensionIntroducer = 0x21;
const int kImageSeparator = 0x2C;
const int kTrailer = 0x3B;
const int kGraphicControlLabel = 0xF9;
const int kCommentLabel = 0xFE;
const int kApplicationLabel = 0xFF;
// The image descriptor after its separator: position, size and flags.
const int kImageDescriptorSize = 9;

const int kMaxCode = 4096;
const int kHashSize = 5003;
// True-colour pictures are written as tiles of this size, each with its own 255-colour table.
const int kTileWidth = 17;
const int kTileHeight = 15;

// Whether the first image of a file without a global table looks like the first tile of a
// true-colour picture: smaller than the screen both ways, or (for a picture of one tile column
// or row) exactly the corner tile that the encoder writes.
bool StartsTrueColourTiles(int left, int top, int w, int h, int screenWidth, int screenHeight)
{
    if (w < screenWidth && h < screenHeight)
        return true;
    bool cornerTile = left == 0 && top == 0 &&
                      w == (screenWidth < kTileWidth ? screenWidth : kTileWidth) &&
                      h == (screenHeight < kTileHeight ? screenHeight : kTileHeight);
    return cornerTile && (w < screenWidth || h < screenHeight);
}

// An image whose info record the codec fills in directly (canvases and stored frames).
class CGifFrame : public CRasterImage
{
public:
    CGifFrame() : CRasterImage(ImageTypeGIF) {}
    using CRasterImage::info;
};

// Skips data sub-blocks up to and including the zero-length terminator.
void SkipSubBlocks(CByteStream* stream)
{
    for (;;)
    {
        long n = stream->GetChar();
        if (n <= 0)
            return;
        stream->Seek(n, SEEK_CUR);
    }
}

int TableEntries(BYTE flags)
{
    return 2 << (flags & 7);
}

bool ReadTable(CByteStream* stream, int entries, RGBQUAD* table)
{
    BYTE rgb[768];
    if (stream->Read(rgb, 3, entries) != (size_t)entries)
        return false;
    for (int i = 0; i < entries; i++)
    {
        table[i].rgbRed = rgb[3 * i];
        table[i].rgbGreen = rgb[3 * i + 1];
        table[i].rgbBlue = rgb[3 * i + 2];
        table[i].rgbReserved = 0;
    }
    return true;
}

// Writes that remember whether the stream ever refused bytes.
struct CWriter
{
    CByteStream* stream;
    bool failed;

    void Bytes(const void* data, size_t n)
    {
        if (n && stream->Write(data, 1, n) != n)
            failed = true;
    }
    void Byte(int b)
    {
        BYTE v = (BYTE)b;
        Bytes(&v, 1);
    }
    void Word(int v)
    {
        Byte(v & 0xFF);
        Byte((v >> 8) & 0xFF);
    }
};
}

struct CRasterImageGIF::Screen
{
    int width;
    int height;
    BYTE flags;
    int globalEntries;
    RGBQUAD global[256];
};

// Receives decoded indices and stores them as rows of one frame, interlaced or not.
struct CRasterImageGIF::FrameTarget
{
    CRasterImage* image;
    int width;
    int height;
    BYTE* row;
    BYTE fill;
    int x;
    bool interlaced;
    int pass;
    int current;
    bool done;

    void Put(BYTE index)
    {
        if (done)
            return;
        row[x++] = index;
        if (x == width)
            StoreRow();
    }

    void Finish()
    {
        if (done || x == 0)
            return;
        memset(row + x, fill, (size_t)(width - x));
        StoreRow();
    }

    void StoreRow()
    {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        x = 0;
        BYTE* dst = image->GetBits(height - 1 - current);
        int stride = image->GetStride();
        switch (image->GetBpp())
        {
        case 8:
            memcpy(dst, row, (size_t)(width < stride ? width : stride));
            break;
        case 4:
            memset(dst, 0, (size_t)stride);
            for (int i = 0; i < width && (i >> 1) < stride; i++)
                dst[i >> 1] |= (BYTE)((row[i] & 15) << ((i & 1) ? 0 : 4));
            break;
        default:
            memset(dst, 0, (size_t)stride);
            for (int i = 0; i < width && (i >> 3) < stride; i++)
                if (row[i] & 1)
                    dst[i >> 3] |= (BYTE)(0x80 >> (i & 7));
            break;
        }
        if (!interlaced)
        {
            done = ++current >= height;
            return;
        }
        current += kStep[pass];
        while (current >= height)
        {
            if (++pass > 3)
            {
                done = true;
                return;
            }
            current = kStart[pass];
        }
    }
};

// The code reader over the data sub-blocks of one image.
struct CRasterImageGIF::LzwDecoder
{
    CByteStream* stream;
    long left;          // bytes still unread in the current sub-block
    bool ended;         // the terminator or the end of the data was met
    DWORD bits;
    int count;

    int NextByte()
    {
        if (ended)
            return -1;
        while (left == 0)
        {
            long n = stream->GetChar();
            if (n <= 0)
            {
                ended = true;
                return -1;
            }
            left = n;
        }
        left--;
        long b = stream->GetChar();
        if (b < 0)
            ended = true;
        return (int)b;
    }

    int ReadCode(int width)
    {
        while (count < width)
        {
            int b = NextByte();
            if (b < 0)
                return -1;
            bits |= (DWORD)b << count;
            count += 8;
        }
        int code = (int)(bits & ((1u << width) - 1));
        bits >>= width;
        count -= width;
        return code;
    }

    void SkipRest()
    {
        if (ended)
            return;
        if (left)
            stream->Seek(left, SEEK_CUR);
        SkipSubBlocks(stream);
        ended = true;
    }
};

// Packs codes least-significant bit first into data sub-blocks of a fixed length.
struct CRasterImageGIF::CodeWriter
{
    CWriter* out;
    int blockSize;
    BYTE block[256];
    int used;
    DWORD bits;
    int count;

    void Put(int code, int width)
    {
        bits |= (DWORD)code << count;
        count += width;
        while (count >= 8)
        {
            Byte((BYTE)bits);
            bits >>= 8;
            count -= 8;
        }
    }
    void Byte(BYTE b)
    {
        block[used++] = b;
        if (used == blockSize)
            FlushBlock();
    }
    void FlushBlock()
    {
        if (!used)
            return;
        out->Byte(used);
        out->Bytes(block, (size_t)used);
        used = 0;
    }
    void Finish()
    {
        if (count > 0)
            Byte((BYTE)bits);
        bits = 0;
        count = 0;
        FlushBlock();
    }
};

namespace
{
// The code width and table size a decoder has after each code, for the encoders that do not
// build strings themselves.
struct CDecoderModel
{
    int minCodeSize;
    int clear;
    int next;
    int width;
    bool first;

    void Reset()
    {
        clear = 1 << minCodeSize;
        next = clear + 2;
        width = minCodeSize + 1;
        first = true;
    }
    void Sent()
    {
        if (first)
        {
            first = false;
            return;
        }
        if (next < kMaxCode)
        {
            next++;
            if (next == (1 << width) && width < 12)
                width++;
        }
    }
};

// Top row first, each row left to right.
struct CPixelWalker
{
    const CRasterImage* image;
    int x;
    int y;

    int Next()
    {
        if (y < 0)
            return -1;
        int v = image->GetPixelIndex(x, y);
        if (++x == image->GetWidth())
        {
            x = 0;
            y--;
        }
        return v;
    }
};
}

CRasterImageGIF::CRasterImageGIF()
    : CRasterImage(ImageTypeGIF), m_controlRead(false), m_loops(0)
{
    memset(&m_control, 0, sizeof(m_control));
    memset(m_comment, 0, sizeof(m_comment));
    m_prefix = (WORD*)malloc(kMaxCode * sizeof(WORD));
    m_suffix = (BYTE*)malloc(kMaxCode);
    m_stack = (BYTE*)malloc(kMaxCode + 1);
}

CRasterImageGIF::~CRasterImageGIF()
{
    free(m_prefix);
    free(m_suffix);
    free(m_stack);
}

void CRasterImageGIF::SetComment(const char* text)
{
    strncpy(m_comment, text ? text : "", sizeof(m_comment) - 1);
    m_comment[sizeof(m_comment) - 1] = 0;
}

bool CRasterImageGIF::ReadExtension(CByteStream* stream, bool apply)
{
    long label = stream->GetChar();
    if (label < 0)
        return false;
    long size = stream->GetChar();
    if (size <= 0)
        return size == 0;
    if (label == kGraphicControlLabel && size == 4)
    {
        BYTE b[4];
        if (stream->Read(b, 1, 4) != 4)
            return false;
        if (apply)
        {
            m_control.flags = b[0];
            m_control.delay = Le16(b + 1);
            m_control.transIndex = b[3];
            m_controlRead = true;
            info.transIndex = (b[0] & 1) ? b[3] : -1;
            info.frameDelay = m_control.delay;
            info.gifDisposal = (BYTE)((b[0] >> 2) & 7);
        }
    }
    else if (label == kCommentLabel)
    {
        char text[256];
        if (stream->Read(text, 1, (size_t)size) != (size_t)size)
            return false;
        if (apply)
        {
            memcpy(m_comment, text, (size_t)size);
            m_comment[size] = 0;
        }
    }
    else if (label == kApplicationLabel && size == 11)
    {
        BYTE id[11];
        if (stream->Read(id, 1, 11) != 11)
            return false;
        long n = stream->GetChar();
        if (n <= 0)
            return n == 0;
        BYTE data[256];
        if (stream->Read(data, 1, (size_t)n) != (size_t)n)
            return false;
        if (apply && n > 2)
            m_loops = Le16(data + 1);
    }
    else
    {
        stream->Seek(size, SEEK_CUR);
    }
    SkipSubBlocks(stream);
    return true;
}

bool CRasterImageGIF::ReadToImage(CByteStream* stream, bool apply, BYTE descriptor[])
{
    for (;;)
    {
        long c = stream->GetChar();
        if (c < 0 || c == kTrailer)
            return false;
        if (c == kExtensionIntroducer)
            ReadExtension(stream, apply);
        else if (c == kImageSeparator)
            return stream->Read(descriptor, 1, kImageDescriptorSize) == kImageDescriptorSize;
    }
}

int CRasterImageGIF::CountFrames(CByteStream* stream, const Screen& screen)
{
    long at = stream->Tell();
    int count = 0;
    int width = screen.width, height = screen.height;
    bool first = true;
    for (;;)
    {
        BYTE d[kImageDescriptorSize];
        if (!ReadToImage(stream, false, d))
            break;
        int left = Le16(d), top = Le16(d + 2), w = Le16(d + 4), h = Le16(d + 6);
        if (first && (width == 0 || height == 0))
        {
            width = w;
            height = h;
        }
        first = false;
        if (w > 0 && h > 0 && left + w <= width && top + h <= height)
            count++;
        if (d[8] & 0x80)
            stream->Seek(3 * TableEntries(d[8]), SEEK_CUR);
        stream->GetChar();
        SkipSubBlocks(stream);
    }
    stream->Seek(at, SEEK_SET);
    return count;
}

int CRasterImageGIF::DecodeLZW(CByteStream* stream, FrameTarget* target)
{
    LzwDecoder in = {stream, 0, false, 0, 0};
    long codeSize = stream->GetChar();
    if (codeSize < 2 || codeSize > 9)
    {
        in.SkipRest();
        return -1;
    }
    const int clear = 1 << codeSize;
    const int end = clear + 1;
    int next = clear + 2;
    int width = (int)codeSize + 1;
    int prev = -1;
    BYTE firstByte = 0;
    int result = 0;
    for (;;)
    {
        int code = in.ReadCode(width);
        if (code < 0 || code == end)
            break;
        if (code == clear)
        {
            next = clear + 2;
            width = (int)codeSize + 1;
            prev = -1;
            continue;
        }
        if (prev < 0)
        {
            if (code > clear)
            {
                result = 1;
                break;
            }
            firstByte = (BYTE)code;
            target->Put(firstByte);
            prev = code;
            continue;
        }
        int sp = 0;
        int walk;
        if (code < next)
        {
            walk = code;
        }
        else if (code == next)
        {
            // A string not yet in the table: the previous one and its own first byte.
            m_stack[sp++] = firstByte;
            walk = prev;
        }
        else
        {
            result = 1;
            break;
        }
        while (walk >= clear && sp < kMaxCode)
        {
            m_stack[sp++] = m_suffix[walk];
            walk = m_prefix[walk];
        }
        if (walk >= clear)
        {
            result = 1;
            break;
        }
        m_stack[sp++] = (BYTE)walk;
        firstByte = (BYTE)walk;
        while (sp > 0)
            target->Put(m_stack[--sp]);
        if (next < kMaxCode)
        {
            m_prefix[next] = (WORD)prev;
            m_suffix[next] = firstByte;
            next++;
            if (next == (1 << width) && width < 12)
                width++;
        }
        prev = code;
    }
    in.SkipRest();
    target->Finish();
    return result;
}

bool CRasterImageGIF::Decode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    if (!m_prefix || !m_suffix || !m_stack)
    {
        SetLastError("can't allocate memory");
        return false;
    }
    BYTE h[13];
    if (stream->Read(h, 1, 13) != 13 || memcmp(h, "GIF8", 4) != 0)
        return false;
    Screen* screen = new (std::nothrow) Screen;
    if (!screen)
        return false;
    memset(screen, 0, sizeof(*screen));
    screen->width = Le16(h + 6);
    screen->height = Le16(h + 8);
    screen->flags = h[10];
    bool ok = true;
    if (info.escape == -1)
    {
        header.biWidth = screen->width;
        header.biHeight = screen->height;
        info.type = ImageTypeGIF;
    }
    else
    {
        if (screen->flags & 0x80)
        {
            screen->globalEntries = TableEntries(screen->flags);
            ok = ReadTable(stream, screen->globalEntries, screen->global);
        }
        if (ok)
        {
            info.numFrames = CountFrames(stream, *screen);
            ok = info.currentFrame >= 0 && info.currentFrame < info.numFrames &&
                 DecodeFrames(stream, *screen);
        }
    }
    delete screen;
    return ok;
}

bool CRasterImageGIF::DecodeFrames(CByteStream* stream, Screen& screen)
{
    const int total = info.numFrames;
    const bool all = info.gifAllFrames != 0;
    int wanted = info.currentFrame;
    CGifFrame canvas, previous, trueColour;
    canvas.CopyInfo(*this);
    trueColour.CopyInfo(*this);
    BYTE* covered = nullptr;
    bool special = false;
    bool decodedWanted = false;
    bool failed = false;
    int frameNo = 0;
    int firstTrans = -1;
    int previousDisposal = 0;
    int lastDelay = 0, lastDisposal = 0;
    bool lastTransparent = false;
    RGBQUAD lastTransColour = {0, 0, 0, 0};
    m_controlRead = false;
    if (all)
    {
        DestroyFrames();
        frames = new (std::nothrow) CRasterImage*[total]();
        if (!frames)
        {
            SetLastError("can't allocate memory");
            return false;
        }
        frameCount = total;
    }

    while (!failed)
    {
        if (info.escape > 0)
        {
            failed = true;
            break;
        }
        BYTE d[kImageDescriptorSize];
        if (!ReadToImage(stream, true, d))
            break;
        int left = Le16(d), top = Le16(d + 2), w = Le16(d + 4), h = Le16(d + 6);
        BYTE flags = d[8];
        if (frameNo == 0 && (screen.width == 0 || screen.height == 0))
        {
            screen.width = w;
            screen.height = h;
        }
        RGBQUAD table[256];
        memset(table, 0, sizeof(table));
        int entries = screen.globalEntries;
        if (flags & 0x80)
        {
            entries = TableEntries(flags);
            if (!ReadTable(stream, entries, table))
                break;
        }
        else
        {
            memcpy(table, screen.global, sizeof(table));
        }
        bool inside = w > 0 && h > 0 && left + w <= screen.width && top + h <= screen.height;
        int frameTrans = m_controlRead && (m_control.flags & 1) ? m_control.transIndex : -1;
        int disposal = m_controlRead ? (m_control.flags >> 2) & 7 : 0;
        int delay = m_controlRead ? m_control.delay : 0;
        bool hadControl = m_controlRead;
        // A graphic control block belongs to the one image that follows it.
        m_controlRead = false;
        if (!inside)
        {
            stream->GetChar();
            SkipSubBlocks(stream);
            continue;
        }

        int bpp = entries <= 2 ? 1 : entries <= 16 ? 4 : 8;
        if (frameNo == 0)
        {
            firstTrans = frameTrans;
            special = !(screen.flags & 0x80) && total > 1 &&
                      StartsTrueColourTiles(left, top, w, h, screen.width, screen.height);
            if (special)
                wanted = total - 1;
        }

        CGifFrame frame;
        if (!frame.Create(w, h, bpp, ImageTypeGIF))
        {
            CopyLastErrorFrom(frame);
            failed = true;
            break;
        }
        if (frameTrans >= 0 && entries < 256)
            for (int i = entries; i < 256; i++)
                table[i].rgbRed = table[i].rgbGreen = table[i].rgbBlue = 255;
        frame.SetPalette(table, 256);
        BYTE fill = (BYTE)(frameTrans >= 0 ? frameTrans : 0);
        frame.Clear(fill);
        FrameTarget target = {&frame, w, h, (BYTE*)malloc((size_t)w), fill, 0,
                              (flags & 0x40) != 0, 0, 0, false};
        if (!target.row)
        {
            SetLastError("can't allocate memory");
            failed = true;
            break;
        }
        int lzw = DecodeLZW(stream, &target);
        free(target.row);
        if (lzw < 0 || info.escape)
        {
            failed = true;
            break;
        }

        CGifFrame* result = &canvas;
        if (special)
        {
            if (frameNo == 0)
            {
                covered = (BYTE*)calloc((size_t)screen.width, (size_t)screen.height);
                if (!covered || !trueColour.Create(screen.width, screen.height, 24, ImageTypeGIF))
                {
                    if (!covered)
                        SetLastError("can't allocate memory");
                    else
                        CopyLastErrorFrom(trueColour);
                    failed = true;
                    break;
                }
            }
            for (int fy = 0; fy < h; fy++)
                for (int fx = 0; fx < w; fx++)
                {
                    int index = frame.GetPixelIndex(fx, h - 1 - fy);
                    if (index == frameTrans)
                        continue;
                    int cx = left + fx, cy = screen.height - 1 - (top + fy);
                    trueColour.SetPixelColor(cx, cy, frame.GetPaletteColor(index), false);
                    covered[(size_t)cy * screen.width + cx] = 1;
                }
            lastTransparent = hadControl && frameTrans >= 0;
            if (lastTransparent)
                lastTransColour = frame.GetPaletteColor(frameTrans);
            result = &trueColour;
        }
        else
        {
            if (frameNo == 0)
            {
                if (!canvas.Create(screen.width, screen.height, bpp, ImageTypeGIF))
                {
                    CopyLastErrorFrom(canvas);
                    failed = true;
                    break;
                }
                canvas.Clear(hadControl ? m_control.transIndex : 0);
                previous.Copy(canvas);
            }
            else if (previousDisposal == 2)
            {
                CGifFrame cleared;
                cleared.CopyInfo(canvas);
                if (cleared.Create(canvas.GetWidth(), canvas.GetHeight(), canvas.GetBpp(),
                                   ImageTypeGIF))
                {
                    cleared.SetPalette(canvas.GetPalette(), canvas.GetNumColors());
                    cleared.Clear((BYTE)(firstTrans >= 0 ? firstTrans : 0));
                    canvas.TakeOver(cleared, false);
                }
            }
            else if (previousDisposal == 3 && previous.IsValid())
            {
                canvas.Copy(previous);
            }
            if (canvas.GetBpp() < bpp && !canvas.IncreaseBpp((DWORD)bpp))
            {
                CopyLastErrorFrom(canvas);
                failed = true;
                break;
            }
            for (int fy = 0; fy < h; fy++)
                for (int fx = 0; fx < w; fx++)
                {
                    int index = frame.GetPixelIndex(fx, h - 1 - fy);
                    if (index == frameTrans)
                        continue;
                    canvas.SetPixelIndex(left + fx, screen.height - 1 - (top + fy), (BYTE)index);
                }
            canvas.info.transIndex = firstTrans;
            canvas.SetPalette(frame.GetPalette(), (DWORD)frame.GetNumColors());
            if (disposal == 0 || disposal == 1)
                previous.Copy(canvas);
            previousDisposal = disposal;
        }
        if (all && frameNo < frameCount)
        {
            CGifFrame* copy = new (std::nothrow) CGifFrame;
            if (copy)
            {
                copy->Copy(*result);
                copy->info.frameDelay = delay;
                copy->info.gifDisposal = (BYTE)disposal;
                copy->info.numFrames = 0;
                frames[frameNo] = copy;
            }
        }
        lastDelay = delay;
        lastDisposal = disposal;
        if (frameNo == wanted)
            decodedWanted = true;
        frameNo++;
        if (decodedWanted && !all)
            break;
    }

    if (!failed && !decodedWanted)
    {
        SetLastError("GIF frame not found in the data");
        failed = true;
    }
    if (!failed && special)
    {
        if (lastTransparent)
        {
            for (int y = 0; y < screen.height; y++)
                for (int x = 0; x < screen.width; x++)
                    if (!covered[(size_t)y * screen.width + x])
                        trueColour.SetPixelColor(x, y, lastTransColour, false);
            trueColour.SetTransColor(lastTransColour);
            trueColour.info.transIndex = 0;
        }
        else
        {
            trueColour.info.transIndex = -1;
        }
    }
    free(covered);
    if (failed)
        return false;
    CGifFrame& composed = special ? trueColour : canvas;
    composed.info.numFrames = total;
    composed.info.frameDelay = lastDelay;
    composed.info.gifDisposal = (BYTE)lastDisposal;
    composed.info.xOffset = 0;
    composed.info.yOffset = 0;
    composed.info.currentFrame = info.currentFrame;
    if (!TakeOver(composed, false))
        return false;
    info.numFrames = total;
    info.type = ImageTypeGIF;
    return true;
}

bool CRasterImageGIF::WriteHeader(CByteStream* stream, const CRasterImage& image, bool trueColour)
{
    CWriter out = {stream, false};
    out.Bytes("GIF89a", 6);
    out.Word(image.GetWidth());
    out.Word(image.GetHeight());
    int bpp = image.GetBpp();
    out.Byte(trueColour ? 0x11 : (0x80 | (((bpp + 7) << 5) & 0xFF) | (bpp - 1)));
    out.Byte(0);
    out.Byte(0);
    if (!trueColour)
    {
        const RGBQUAD* palette = image.GetPalette();
        for (int i = 0; i < image.GetNumColors(); i++)
        {
            out.Byte(palette[i].rgbRed);
            out.Byte(palette[i].rgbGreen);
            out.Byte(palette[i].rgbBlue);
        }
    }
    return !out.failed;
}

bool CRasterImageGIF::WriteGraphicControl(CByteStream* stream, const CRasterImage& image,
                                          int disposal)
{
    CWriter out = {stream, false};
    int trans = image.GetTransIndex();
    out.Byte(kExtensionIntroducer);
    out.Byte(kGraphicControlLabel);
    out.Byte(4);
    out.Byte((trans != -1 ? 1 : 0) | ((disposal & 7) << 2));
    out.Word(image.GetInfo().frameDelay);
    out.Byte(trans & 0xFF);
    out.Byte(0);
    return !out.failed;
}

bool CRasterImageGIF::WriteComment(CByteStream* stream)
{
    size_t n = strlen(m_comment);
    if (!n)
        return true;
    if (n > 255)
        n = 255;
    CWriter out = {stream, false};
    out.Byte(kExtensionIntroducer);
    out.Byte(kCommentLabel);
    out.Byte((int)n);
    out.Bytes(m_comment, n);
    out.Byte(0);
    return !out.failed;
}

bool CRasterImageGIF::WriteImage(CByteStream* stream, const CRasterImage& image, bool localTable)
{
    CWriter out = {stream, false};
    int bpp = image.GetBpp();
    out.Byte(kImageSeparator);
    out.Word(image.GetInfo().xOffset);
    out.Word(image.GetInfo().yOffset);
    out.Word(image.GetWidth());
    out.Word(image.GetHeight());
    if (localTable)
    {
        out.Byte(0x80 | (bpp - 1));
        const RGBQUAD* palette = image.GetPalette();
        for (int i = 0; i < image.GetNumColors(); i++)
        {
            out.Byte(palette[i].rgbRed);
            out.Byte(palette[i].rgbGreen);
            out.Byte(palette[i].rgbBlue);
        }
    }
    else
    {
        out.Byte(0);
    }
    int minCodeSize = bpp < 2 ? 2 : bpp;
    out.Byte(minCodeSize);
    if (out.failed)
        return false;
    if (!CompressPixels(stream, image, minCodeSize))
        return false;
    out.Byte(0);
    return !out.failed;
}

bool CRasterImageGIF::CompressPixels(CByteStream* stream, const CRasterImage& image,
                                     int minCodeSize)
{
    CWriter out = {stream, false};
    CodeWriter codes;
    memset(&codes, 0, sizeof(codes));
    codes.out = &out;
    CPixelWalker pixels = {&image, 0, image.GetHeight() - 1};
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int mode = info.codecOptions[ImageTypeGIF];

    if (mode == 1 || mode == 2)
    {
        codes.blockSize = 255;
        CDecoderModel model = {minCodeSize, 0, 0, 0, true};
        model.Reset();
        codes.Put(clear, model.width);
        int pixel = pixels.Next();
        while (pixel >= 0)
        {
            int run = 1;
            int following = pixels.Next();
            if (mode == 2)
                for (; following == pixel; following = pixels.Next())
                    run++;
            // piece: the length of the string the last code stood for (0: none of this pixel yet).
            // A code equal to the next free number repeats that string plus one more pixel.
            int piece = 0;
            while (run > 0)
            {
                if (model.next >= kMaxCode)
                {
                    codes.Put(clear, model.width);
                    model.Reset();
                    piece = 0;
                }
                if (piece > 0 && piece + 1 <= run)
                {
                    codes.Put(model.next, model.width);
                    run -= ++piece;
                }
                else
                {
                    codes.Put(pixel, model.width);
                    run--;
                    piece = 1;
                }
                model.Sent();
            }
            pixel = following;
        }
        codes.Put(end, model.width);
    }
    else
    {
        codes.blockSize = 254;
        int* hashKeys = (int*)malloc(kHashSize * sizeof(int));
        WORD* hashCodes = (WORD*)malloc(kHashSize * sizeof(WORD));
        if (!hashKeys || !hashCodes)
        {
            free(hashKeys);
            free(hashCodes);
            SetLastError("can't allocate memory");
            return false;
        }
        for (int i = 0; i < kHashSize; i++)
            hashKeys[i] = -1;
        int width = minCodeSize + 1;
        int maxCode = (1 << width) - 1;
        int next = clear + 2;
        bool clearing = false;
        // Widens the code after it was written once the next free code no longer fits.
        auto output = [&](int code) {
            codes.Put(code, width);
            if (clearing)
            {
                width = minCodeSize + 1;
                maxCode = (1 << width) - 1;
                clearing = false;
            }
            else if (next > maxCode && width < 12)
            {
                width++;
                maxCode = width == 12 ? kMaxCode : (1 << width) - 1;
            }
        };
        output(clear);
        int prefix = pixels.Next();
        int pixel;
        while (prefix >= 0 && (pixel = pixels.Next()) >= 0)
        {
            int key = (pixel << 12) + prefix;
            int i = (pixel << 4) ^ prefix;
            bool found = false;
            if (hashKeys[i] == key)
            {
                found = true;
            }
            else if (hashKeys[i] >= 0)
            {
                int step = i == 0 ? 1 : kHashSize - i;
                do
                {
                    i -= step;
                    if (i < 0)
                        i += kHashSize;
                    found = hashKeys[i] == key;
                } while (!found && hashKeys[i] >= 0);
            }
            if (found)
            {
                prefix = hashCodes[i];
                continue;
            }
            output(prefix);
            if (next < kMaxCode)
            {
                hashCodes[i] = (WORD)next++;
                hashKeys[i] = key;
            }
            else
            {
                for (int k = 0; k < kHashSize; k++)
                    hashKeys[k] = -1;
                next = clear + 2;
                clearing = true;
                output(clear);
            }
            prefix = pixel;
        }
        if (prefix >= 0)
            output(prefix);
        output(end);
        free(hashKeys);
        free(hashCodes);
    }
    codes.Finish();
    stream->Flush();
    if (out.failed || stream->Error())
    {
        SetLastError("Write Error in GIF file");
        return false;
    }
    return true;
}

bool CRasterImageGIF::WriteTrueColour(CByteStream* stream)
{
    if (!WriteHeader(stream, *this, true) || !WriteComment(stream))
        return false;
    int w = header.biWidth, h = header.biHeight;
    RGBQUAD zero = {0, 0, 0, 0};
    RGBQUAD background = info.transIndex >= 0 ? info.transColor : zero;
    for (int ty = 0; ty < h; ty += kTileHeight)
        for (int tx = 0; tx < w; tx += kTileWidth)
        {
            int tw = w - tx < kTileWidth ? w - tx : kTileWidth;
            int th = h - ty < kTileHeight ? h - ty : kTileHeight;
            CGifFrame tile;
            if (!tile.Create(tw, th, 8, ImageTypeGIF))
            {
                CopyLastErrorFrom(tile);
                return false;
            }
            RGBQUAD palette[256];
            memset(palette, 0, sizeof(palette));
            palette[0] = background;
            for (int r = 0; r < th; r++)
                for (int c = 0; c < tw; c++)
                {
                    BYTE index = (BYTE)(1 + kTileWidth * r + c);
                    palette[index] = GetPixelColor(tx + c, h - 1 - (ty + r), false);
                    palette[index].rgbReserved = 0;
                    tile.SetPixelIndex(c, th - 1 - r, index);
                }
            tile.SetPalette(palette, 256);
            tile.SetOffset(tx, ty);
            if (!WriteImage(stream, tile, true))
                return false;
        }
    CWriter out = {stream, false};
    out.Byte(kTrailer);
    if (out.failed)
    {
        SetLastError("Write Error in GIF file");
        return false;
    }
    return true;
}

bool CRasterImageGIF::Encode(CByteStream* stream)
{
    if (CheckBeforeEncode(stream))
        return false;
    if (header.biBitCount > 8)
        return WriteTrueColour(stream);
    if (info.numFrames > 1 && frames && frameCount > 1)
        return Encode(stream, frames, frameCount, true, true);
    bool ok = WriteHeader(stream, *this, false) &&
              WriteGraphicControl(stream, *this, info.gifDisposal) && WriteComment(stream) &&
              WriteImage(stream, *this, false);
    CWriter out = {stream, false};
    if (ok)
        out.Byte(kTrailer);
    if (!ok || out.failed)
    {
        if (!info.lastError[0] || out.failed)
            SetLastError("Write Error in GIF file");
        return false;
    }
    return true;
}

bool CRasterImageGIF::Encode(CByteStream* stream, CRasterImage** frameList, int count,
                             bool localTables, bool keepDisposal)
{
    const char* error = nullptr;
    if (!stream)
        error = "invalid file pointer";
    else if (!frameList || count <= 0)
        error = "multipage GIF, no images!";
    for (int i = 0; !error && i < count; i++)
    {
        if (!frameList[i])
            error = "Bad image pointer";
        else if (!frameList[i]->IsValid())
            error = "Empty image";
        else if (!frameList[i]->IsIndexed())
            error = "CRasterImageGIF::Encode cannot create animated GIFs with a true color frame. "
                    "Use DecreaseBpp before";
    }
    if (error)
    {
        SetLastError(error);
        return false;
    }
    bool ok = WriteHeader(stream, *frameList[0], false);
    CWriter out = {stream, false};
    if (ok && m_loops != 1)
    {
        out.Byte(kExtensionIntroducer);
        out.Byte(kApplicationLabel);
        out.Byte(11);
        out.Bytes("NETSCAPE2.0", 11);
        out.Byte(3);
        out.Byte(1);
        out.Word(m_loops > 1 ? m_loops - 1 : 0);
        out.Byte(0);
        ok = !out.failed;
    }
    for (int i = 0; ok && i < count; i++)
    {
        const CRasterImage& frame = *frameList[i];
        int disposal = keepDisposal ? frame.GetInfo().gifDisposal : info.gifDisposal;
        ok = WriteGraphicControl(stream, frame, disposal) && (i > 0 || WriteComment(stream)) &&
             WriteImage(stream, frame, i > 0 && localTables);
    }
    if (ok)
    {
        out.Byte(kTrailer);
        ok = !out.failed;
    }
    if (!ok)
    {
        if (!info.lastError[0] || out.failed)
            SetLastError("Write Error in GIF file");
        return false;
    }
    return true;
}
