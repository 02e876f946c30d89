// JPEG codec: libjpeg source and destination managers over a CByteStream, an error manager that
// jumps back with the library's message, and the RGB/BGR and row-order conversions.
#include "image/RasterImageJPG.h"

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "image/ByteStream.h"

#include <jpeglib.h>
#include <jerror.h>

namespace
{
// libjpeg-turbo decodes a block run on its fast path only while several kilobytes of data
// stand in the buffer (512 bytes per block of an MCU), so the buffer holds many times that.
const size_t kJpegBufferSize = 65536;

struct CJpegErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char* lastError;
};

// One object serves as libjpeg's source manager when decoding and destination when encoding.
struct CJpegStreamManager
{
    jpeg_destination_mgr dest;
    jpeg_source_mgr src;
    CByteStream* stream;
    JOCTET* buffer;
    bool startOfFile;
};

CJpegStreamManager* ManagerOf(j_common_ptr cinfo)
{
    return (CJpegStreamManager*)cinfo->client_data;
}

void ErrorExit(j_common_ptr cinfo)
{
    CJpegErrorManager* err = (CJpegErrorManager*)cinfo->err;
    char message[JMSG_LENGTH_MAX];
    message[0] = 0;
    err->pub.format_message(cinfo, message);
    strncpy(err->lastError, message, 255);
    err->lastError[255] = 0;
    longjmp(err->jump, 1);
}

// Warnings (a truncated file) do not stop decoding and are not printed anywhere.
void OutputMessage(j_common_ptr)
{
}

// libjpeg's error manager for one run: an error writes its message into 'lastError' and jumps
// back to the run's setjmp.
jpeg_error_mgr* InitErrorManager(CJpegErrorManager& err, char* lastError)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.lastError = lastError;
    return &err.pub;
}

void InitSource(j_decompress_ptr cinfo)
{
    ManagerOf((j_common_ptr)cinfo)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    CJpegStreamManager* m = ManagerOf((j_common_ptr)cinfo);
    size_t n = m->stream->Read(m->buffer, 1, kJpegBufferSize);
    if (n == 0)
    {
        if (m->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets libjpeg finish what it has.
        m->buffer[0] = (JOCTET)0xFF;
        m->buffer[1] = (JOCTET)JPEG_EOI;
        n = 2;
    }
    m->src.next_input_byte = m->buffer;
    m->src.bytes_in_buffer = n;
    m->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    CJpegStreamManager* m = ManagerOf((j_common_ptr)cinfo);
    if (count <= 0)
        return;
    while (count > (long)m->src.bytes_in_buffer)
    {
        count -= (long)m->src.bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    m->src.next_input_byte += count;
    m->src.bytes_in_buffer -= count;
}

void TermSource(j_decompress_ptr)
{
}

void InitDestination(j_compress_ptr cinfo)
{
    CJpegStreamManager* m = ManagerOf((j_common_ptr)cinfo);
    m->dest.next_output_byte = m->buffer;
    m->dest.free_in_buffer = kJpegBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    CJpegStreamManager* m = ManagerOf((j_common_ptr)cinfo);
    if (m->stream->Write(m->buffer, 1, kJpegBufferSize) != kJpegBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    m->dest.next_output_byte = m->buffer;
    m->dest.free_in_buffer = kJpegBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    CJpegStreamManager* m = ManagerOf((j_common_ptr)cinfo);
    size_t pending = kJpegBufferSize - m->dest.free_in_buffer;
    if (pending > 0 && m->stream->Write(m->buffer, 1, pending) != pending)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    m->stream->Flush();
    if (m->stream->Error())
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

UINT16 DensityOf(int dpi)
{
    return (UINT16)(dpi < 1 ? 96 : (dpi > 65535 ? 65535 : dpi));
}
}

struct CRasterImageJPG::DecodeState
{
    jpeg_decompress_struct cinfo;
    CJpegErrorManager err;
    CJpegStreamManager manager;
};

struct CRasterImageJPG::EncodeState
{
    jpeg_compress_struct cinfo;
    CJpegErrorManager err;
    CJpegStreamManager manager;
    BYTE* row;
};

CRasterImageJPG::CRasterImageJPG() : CRasterImage(ImageTypeJPG), smoothing(0), dctMethod(JDCT_ISLOW)
{
}

bool CRasterImageJPG::Decode(CByteStream* stream)
{
    if (!stream)
    {
        SetLastError("null file handler");
        return false;
    }
    DecodeState* state = (DecodeState*)calloc(1, sizeof(DecodeState));
    if (!state)
    {
        SetLastError("can't allocate memory");
        return false;
    }
    state->manager.stream = stream;
    state->manager.buffer = (JOCTET*)malloc(kJpegBufferSize);
    bool ok = false;
    if (state->manager.buffer)
        ok = RunDecode(*state);
    else
        SetLastError("can't allocate memory");
    jpeg_destroy((j_common_ptr)&state->cinfo);
    free(state->manager.buffer);
    free(state);
    return ok;
}

// All libjpeg work of a decode; an error jumps back here and the caller cleans up.
bool CRasterImageJPG::RunDecode(DecodeState& state)
{
    jpeg_decompress_struct& cinfo = state.cinfo;
    cinfo.err = InitErrorManager(state.err, info.lastError);
    if (setjmp(state.err.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.client_data = &state.manager;
    jpeg_source_mgr& src = state.manager.src;
    src.init_source = InitSource;
    src.fill_input_buffer = FillInputBuffer;
    src.skip_input_data = SkipInputData;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = TermSource;
    src.bytes_in_buffer = 0;
    src.next_input_byte = nullptr;
    cinfo.src = &src;
    jpeg_read_header(&cinfo, TRUE);

    int options = info.codecOptions[ImageTypeJPG];
    if (options & 0x80)
        cinfo.out_color_space = JCS_GRAYSCALE;
    if (options & 0x100)
    {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = GetJpegQuality() & 0xFF;
    }
    if (options & 0x200)
        cinfo.dct_method = (J_DCT_METHOD)dctMethod;
    if (options & 0x400)
        cinfo.two_pass_quantize = FALSE;
    if (options & 0x800)
        cinfo.do_fancy_upsampling = FALSE;
    cinfo.scale_num = 1;
    cinfo.scale_denom = info.jpegScale ? info.jpegScale : 1;

    if (info.escape == -1)
    {
        jpeg_calc_output_dimensions(&cinfo);
        header.biWidth = (LONG)cinfo.output_width;
        header.biHeight = (LONG)cinfo.output_height;
        info.type = ImageTypeJPG;
        return true;
    }

#ifdef JCS_EXTENSIONS
    // libjpeg-turbo writes colour straight in the DIB's blue-green-red order: the same samples
    // as its red-green-blue output, without a second pass over every pixel.
    bool bgrOutput = cinfo.out_color_space == JCS_RGB && !cinfo.quantize_colors;
    if (bgrOutput)
        cinfo.out_color_space = JCS_EXT_BGR;
#else
    const bool bgrOutput = false;
#endif

    jpeg_start_decompress(&cinfo);
    int components = cinfo.output_components;
    if (components != 1 && components != 3 && components != 4)
    {
        SetLastError("Unsupported JPEG color space");
        return false;
    }
    // libjpeg delivers every row, also of a file cut short.
    if (!CreateForRows((int)cinfo.output_width, (int)cinfo.output_height, 8 * components,
                       ImageTypeJPG))
        return false;

    if (cinfo.density_unit == 0)
    {
        if (cinfo.X_density && cinfo.Y_density)
            SetYDPI(info.xDpi * cinfo.Y_density / cinfo.X_density);
    }
    else if (cinfo.density_unit == 2)
    {
        SetXDPI((int)floor(cinfo.X_density * 2.54 + 0.5));
        SetYDPI((int)floor(cinfo.Y_density * 2.54 + 0.5));
    }
    else
    {
        SetXDPI(cinfo.X_density);
        SetYDPI(cinfo.Y_density);
    }

    bool quantized = cinfo.quantize_colors != 0;
    if (quantized)
    {
        // The palette keeps its 256 entries; only the colours found are considered important.
        // A grey colour map has a single row, which then serves all three channels.
        bool colourMap = cinfo.out_color_components >= 3;
        SetPalette(cinfo.actual_number_of_colors, cinfo.colormap[0],
                   colourMap ? cinfo.colormap[1] : nullptr, colourMap ? cinfo.colormap[2] : nullptr);
        SetClrImportant(cinfo.actual_number_of_colors);
    }
    else if (components == 1)
    {
        SetGrayPalette();
    }

    // CMYK is blended into the DIB through one row buffer; every other output already has the
    // DIB's byte order and goes straight into the image's rows, the top one first.
    bool cmyk = components == 4 && !quantized;
    bool swap = components == 3 && !quantized && !bgrOutput;
    JSAMPARRAY buffer = nullptr;
    if (cmyk)
        buffer = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE,
                                            cinfo.output_width * 4, 1);
    const int width = header.biWidth;
    const int height = header.biHeight;
    const int kBatch = 16;
    JSAMPROW rows[kBatch];
    while (cinfo.output_scanline < cinfo.output_height)
    {
        if (info.escape)
            return false;
        int first = (int)cinfo.output_scanline;
        if (cmyk)
        {
            jpeg_read_scanlines(&cinfo, buffer, 1);
            const JSAMPLE* s = buffer[0];
            BYTE* dst = GetBits(height - 1 - first);
            for (int x = 0; x < width; x++, s += 4, dst += 3)
            {
                dst[0] = (BYTE)(s[2] * s[3] / 255);
                dst[1] = (BYTE)(s[1] * s[3] / 255);
                dst[2] = (BYTE)(s[0] * s[3] / 255);
            }
            continue;
        }
        int wanted = height - first < kBatch ? height - first : kBatch;
        for (int i = 0; i < wanted; i++)
            rows[i] = info.pixels + (size_t)(height - 1 - first - i) * info.rowStride;
        int read = (int)jpeg_read_scanlines(&cinfo, rows, (JDIMENSION)wanted);
        if (swap)
            for (int i = 0; i < read; i++)
                SwapRedBlue(rows[i], width * 3);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

bool CRasterImageJPG::Encode(CByteStream* stream)
{
    if (CheckBeforeEncode(stream))
        return false;
    // The rows are handed to libjpeg as they stand: 8-bit grey or 24-bit colour only.
    if (IsIndexed() && !(IsGrayScale() && header.biBitCount == 8))
    {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    EncodeState* state = (EncodeState*)calloc(1, sizeof(EncodeState));
    if (!state)
    {
        SetLastError("can't allocate memory");
        return false;
    }
    state->manager.stream = stream;
    state->manager.buffer = (JOCTET*)malloc(kJpegBufferSize);
    state->row = (BYTE*)malloc((size_t)info.rowStride + 8);
    bool ok = false;
    if (state->manager.buffer && state->row)
        ok = RunEncode(*state);
    else
        SetLastError("can't allocate memory");
    jpeg_destroy((j_common_ptr)&state->cinfo);
    free(state->row);
    free(state->manager.buffer);
    free(state);
    return ok;
}

bool CRasterImageJPG::RunEncode(EncodeState& state)
{
    jpeg_compress_struct& cinfo = state.cinfo;
    cinfo.err = InitErrorManager(state.err, info.lastError);
    if (setjmp(state.err.jump))
        return false;
    jpeg_create_compress(&cinfo);
    cinfo.client_data = &state.manager;
    jpeg_destination_mgr& dest = state.manager.dest;
    dest.init_destination = InitDestination;
    dest.empty_output_buffer = EmptyOutputBuffer;
    dest.term_destination = TermDestination;
    cinfo.dest = &dest;

    bool gray = IsIndexed();
    cinfo.image_width = (JDIMENSION)header.biWidth;
    cinfo.image_height = (JDIMENSION)header.biHeight;
    cinfo.input_components = gray ? 1 : 3;
#ifdef JCS_EXTENSIONS
    // libjpeg-turbo reads the DIB's blue-green-red rows as they stand.
    const bool bgrInput = !gray;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
#else
    const bool bgrInput = false;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
#endif
    jpeg_set_defaults(&cinfo);

    int options = info.codecOptions[ImageTypeJPG];
    if (options & 0x2)
        cinfo.arith_code = TRUE;
    if (options & 0x8)
        cinfo.optimize_coding = TRUE;
    if (options & 0x4)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (options & 0x40)
        cinfo.smoothing_factor = smoothing;
    jpeg_set_quality(&cinfo, GetJpegQuality() & 0xFF, (options & 0x1) ? TRUE : FALSE);
    if (options & 0x10)
        jpeg_simple_progression(&cinfo);

    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    if (options & 0x2000)
    {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    else if (options & 0x1000)
    {
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    if (cinfo.num_components >= 3)
    {
        for (int c = 1; c < 3; c++)
        {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    cinfo.density_unit = 1;
    cinfo.X_density = DensityOf(info.xDpi);
    cinfo.Y_density = DensityOf(info.yDpi);

    jpeg_start_compress(&cinfo, TRUE);
    for (int y = header.biHeight - 1; y >= 0; y--)
    {
        // libjpeg only reads the rows it is given.
        JSAMPROW rows[1] = {GetBits(y)};
        if (!gray && !bgrInput)
        {
            memcpy(state.row, rows[0], info.rowStride);
            SwapRedBlue(state.row, info.rowStride);
            rows[0] = state.row;
        }
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}
