// CRasterImageGIF: GIF87a/GIF89a files, one frame or every frame of an animation, with its own
// LZW decoder and encoder; writes single images, animations and true-colour pictures as tiles.
#pragma once

#include "image/RasterImage.h"

class CRasterImageGIF : public CRasterImage
{
public:
    CRasterImageGIF();
    ~CRasterImageGIF() override;

    bool Decode(CByteStream* stream);
    bool Encode(CByteStream* stream);
    // An animation of palette frames; localTables gives the later frames their own colour tables,
    // keepDisposal writes each frame's own disposal method instead of this image's.
    bool Encode(CByteStream* stream, CRasterImage** frameList, int count, bool localTables = false,
                bool keepDisposal = false);

    const char* GetComment() const { return m_comment; }
    void SetComment(const char* text);
    int GetLoops() const { return m_loops; }
    void SetLoops(int loops) { m_loops = (WORD)loops; }

    struct GraphicControl
    {
        BYTE flags;
        WORD delay;
        BYTE transIndex;
    };

private:
    struct Screen;
    struct LzwDecoder;
    struct FrameTarget;
    struct CodeWriter;

    bool ReadExtension(CByteStream* stream, bool apply);
    // Reads on to the next image's descriptor, through the extensions (taken in with 'apply');
    // false at the trailer or where the data ends.
    bool ReadToImage(CByteStream* stream, bool apply, BYTE descriptor[]);
    int CountFrames(CByteStream* stream, const Screen& screen);
    int DecodeLZW(CByteStream* stream, FrameTarget* target);
    bool DecodeFrames(CByteStream* stream, Screen& screen);

    bool WriteHeader(CByteStream* stream, const CRasterImage& image, bool trueColour);
    bool WriteGraphicControl(CByteStream* stream, const CRasterImage& image, int disposal);
    bool WriteComment(CByteStream* stream);
    bool WriteImage(CByteStream* stream, const CRasterImage& image, bool localTable);
    bool WriteTrueColour(CByteStream* stream);
    bool CompressPixels(CByteStream* stream, const CRasterImage& image, int minCodeSize);

    GraphicControl m_control;
    bool m_controlRead;
    char m_comment[256];
    WORD m_loops;
    // LZW tables and the decoder's output stack.
    WORD* m_prefix;
    BYTE* m_suffix;
    BYTE* m_stack;
};
