// CRasterImageICO: icon and cursor files, one page at a time (DIB pages with AND masks, PNG pages).
#pragma once

#include "image/RasterImage.h"

class CRasterImageICO : public CRasterImage
{
public:
    CRasterImageICO() : CRasterImage(ImageTypeICO), m_nextPageOffset(0), m_pagesWritten(0),
                        m_directoryStart(0) {}

    bool Decode(CByteStream* stream);

    // Writes this image as an icon. A single icon: Encode(stream). Several pages: call
    // Encode(stream, false, count) with the first page, then Encode(stream, true, count) on the
    // same object with each further page; every call appends its page data and fills in its
    // directory entry.
    bool Encode(CByteStream* stream, bool append = false, int pageCount = 0);

private:
    bool DecodeDibPage(CByteStream* stream, int width, int height);
    void ApplyAndMask(const BYTE* mask, size_t maskRow, bool realAlpha);

    int32_t m_nextPageOffset;   // where the next page's data go, from the directory start
    int32_t m_pagesWritten;
    long m_directoryStart;
};
