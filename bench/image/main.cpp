// Image benchmark: a generated 1920x1080 picture decoded and encoded through CRasterImage and
// through libjpeg and libpng called directly in the same run; prints both times and their ratio.
//
// bench_image [image files...]: each file is also decoded through CRasterImage with type detection.
#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "image/RasterImage.h"

namespace {

const int kRuns = 20;
const int kWidth = 1920;
const int kHeight = 1080;
const int kQuality = 90;

using Bytes = std::vector<unsigned char>;

LARGE_INTEGER g_frequency;

double Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)g_frequency.QuadPart;
}

// Smooth gradients with some sharp edges and noise, so neither codec sees a trivial picture.
Bytes MakePicture()
{
    Bytes rgb((size_t)kWidth * kHeight * 3);
    unsigned seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            int noise = (int)((seed >> 16) & 15) - 8;
            bool stripe = ((x / 64) + (y / 64)) & 1;
            int r = x * 255 / kWidth + noise;
            int g = y * 255 / kHeight + noise;
            int b = stripe ? 200 + noise : ((x ^ y) & 0xFF);
            unsigned char* p = &rgb[((size_t)y * kWidth + x) * 3];
            p[0] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
            p[1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
            p[2] = (unsigned char)(b < 0 ? 0 : b > 255 ? 255 : b);
        }
    }
    return rgb;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegFail(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// The whole encode, as a caller of libjpeg alone would write it: top-down RGB rows to memory.
bool RawJpegEncode(const Bytes& rgb, Bytes& out)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kQuality, FALSE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&rgb[(size_t)cinfo.next_scanline * kWidth * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(buffer, buffer + size);
    free(buffer);
    return true;
}

bool RawJpegDecode(const Bytes& data, Bytes& rgb)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    size_t stride = (size_t)cinfo.output_width * cinfo.output_components;
    rgb.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &rgb[stride * cinfo.output_scanline];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct PngReader {
    const Bytes* data;
    size_t offset;
};

void PngRead(png_structp png, png_bytep out, png_size_t length)
{
    PngReader* reader = static_cast<PngReader*>(png_get_io_ptr(png));
    if (reader->offset + length > reader->data->size())
        png_error(png, "read past the end");
    memcpy(out, reader->data->data() + reader->offset, length);
    reader->offset += length;
}

void PngWrite(png_structp png, png_bytep in, png_size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), in, in + length);
}

void PngFlush(png_structp) {}

bool RawPngEncode(const Bytes& rgb, Bytes& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pinfo = png ? png_create_info_struct(png) : nullptr;
    if (!pinfo) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &pinfo);
        return false;
    }
    out.clear();
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, pinfo, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, pinfo);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, &rgb[(size_t)y * kWidth * 3]);
    png_write_end(png, pinfo);
    png_destroy_write_struct(&png, &pinfo);
    return true;
}

bool RawPngDecode(const Bytes& data, Bytes& pixels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pinfo = png ? png_create_info_struct(png) : nullptr;
    if (!pinfo) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &pinfo, nullptr);
        return false;
    }
    PngReader reader = {&data, 0};
    png_set_read_fn(png, &reader, PngRead);
    png_read_info(png, pinfo);
    png_set_expand(png);
    png_set_strip_16(png);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, pinfo);
    size_t stride = png_get_rowbytes(png, pinfo);
    png_uint_32 height = png_get_image_height(png, pinfo);
    pixels.resize(stride * height);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, &pixels[stride * y], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &pinfo, nullptr);
    return true;
}

bool OursDecode(const Bytes& data, int type, CRasterImage& image)
{
    return image.DecodeFromMemory(data.data(), (DWORD)data.size(), type) && image.IsValid();
}

void PrintCase(const char* name, double ours, double raw)
{
    printf("%-28s ours %8.2f ms  raw %8.2f ms  ratio %.3f\n", name, ours * 1000 / kRuns,
           raw * 1000 / kRuns, raw > 0 ? ours / raw : 0.0);
}

// Decodes through CRasterImage and the raw library alternately, so drift in the machine's load
// falls on both sides alike.
template <class Raw>
bool CompareDecode(const char* name, const Bytes& data, int type, Raw raw)
{
    CRasterImage warm;
    Bytes pixels;
    if (!OursDecode(data, type, warm) || !raw(data, pixels)) {
        printf("%-28s failed: %s\n", name, warm.GetLastError());
        return false;
    }
    double ours = 0, direct = 0;
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        CRasterImage image;
        bool ok = OursDecode(data, type, image);
        double t1 = Now();
        ok = raw(data, pixels) && ok;
        double t2 = Now();
        if (!ok) {
            printf("%-28s failed on run %d\n", name, i);
            return false;
        }
        ours += t1 - t0;
        direct += t2 - t1;
    }
    PrintCase(name, ours, direct);
    return true;
}

const char* TypeName(int type)
{
    static const char* const names[] = {"unknown", "BMP", "GIF", "JPEG", "PNG", "ICO"};
    return type >= 0 && type <= 5 ? names[type] : "unknown";
}

bool ReadWholeFile(const wchar_t* path, Bytes& data)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return false;
    data.clear();
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), file)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    fclose(file);
    return true;
}

bool BenchFile(const wchar_t* path)
{
    Bytes data;
    if (!ReadWholeFile(path, data)) {
        printf("%ls: cannot read\n", path);
        return false;
    }
    CRasterImage warm;
    if (!OursDecode(data, ImageTypeAuto, warm)) {
        printf("%ls: decode failed: %s\n", path, warm.GetLastError());
        return false;
    }
    double total = 0;
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        CRasterImage image;
        bool ok = OursDecode(data, ImageTypeAuto, image);
        total += Now() - t0;
        if (!ok) {
            printf("%ls: decode failed on run %d\n", path, i);
            return false;
        }
    }
    int type = warm.GetType();
    printf("%ls: %s %dx%d %d bpp, %.2f ms a decode", path, TypeName(type), warm.GetWidth(),
           warm.GetHeight(), warm.GetBpp(), total * 1000 / kRuns);
    if (type == ImageTypeJPG || type == ImageTypePNG) {
        Bytes pixels;
        double t0 = Now();
        bool ok = true;
        for (int i = 0; i < kRuns && ok; ++i)
            ok = type == ImageTypeJPG ? RawJpegDecode(data, pixels) : RawPngDecode(data, pixels);
        double raw = Now() - t0;
        if (ok)
            printf(", raw %.2f ms, ratio %.3f\n", raw * 1000 / kRuns, raw > 0 ? total / raw : 0.0);
        else
            printf(", raw library failed\n");
    } else {
        printf(" (no raw library to compare with)\n");
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    QueryPerformanceFrequency(&g_frequency);
    Bytes rgb = MakePicture();
    Bytes jpeg, png;
    if (!RawJpegEncode(rgb, jpeg) || !RawPngEncode(rgb, png)) {
        printf("cannot encode the test picture\n");
        return 1;
    }
    printf("test picture %dx%d RGB: JPEG %u bytes (quality %d), PNG %u bytes; %d runs a case\n",
           kWidth, kHeight, (unsigned)jpeg.size(), kQuality, (unsigned)png.size(), kRuns);

    int failures = 0;
    if (!CompareDecode("JPEG decode from memory", jpeg, ImageTypeJPG, RawJpegDecode))
        ++failures;
    if (!CompareDecode("PNG decode from memory", png, ImageTypePNG, RawPngDecode))
        ++failures;
    if (!CompareDecode("JPEG decode, type detected", jpeg, ImageTypeAuto, RawJpegDecode))
        ++failures;

    // Encoding starts from the decoded PNG, which holds exactly the generated pixels.
    CRasterImage source;
    if (!OursDecode(png, ImageTypePNG, source)) {
        printf("cannot decode the test PNG: %s\n", source.GetLastError());
        return 1;
    }
    source.SetJpegQuality((float)kQuality);
    {
        double ours = 0, direct = 0;
        bool ok = true;
        for (int i = 0; i <= kRuns && ok; ++i) {
            double t0 = Now();
            BYTE* buffer = nullptr;
            long size = 0;
            ok = source.EncodeToMemory(buffer, size, ImageTypeJPG);
            free(buffer);
            double t1 = Now();
            Bytes out;
            ok = RawJpegEncode(rgb, out) && ok;
            double t2 = Now();
            if (i > 0) {  // the first round only warms up
                ours += t1 - t0;
                direct += t2 - t1;
            }
        }
        if (ok) {
            PrintCase("JPEG encode to memory", ours, direct);
        } else {
            printf("JPEG encode to memory        failed: %s\n", source.GetLastError());
            ++failures;
        }
    }
    {
        RGBQUAD canvas = {0, 0, 0, 0};
        double total = 0;
        bool ok = true;
        CRasterImage thumb;
        for (int i = 0; i < kRuns && ok; ++i) {
            double t0 = Now();
            ok = source.MakeThumbnail(160, 120, canvas, &thumb);
            total += Now() - t0;
        }
        if (ok)
            printf("%-28s ours %8.2f ms  (%dx%d to %dx%d, no raw reference)\n",
                   "thumbnail into 160x120", total * 1000 / kRuns, kWidth, kHeight,
                   thumb.GetWidth(), thumb.GetHeight());
        else {
            printf("thumbnail into 160x120       failed: %s\n", source.GetLastError());
            ++failures;
        }
    }

    for (int i = 1; i < argc; ++i)
        if (!BenchFile(argv[i]))
            ++failures;
    return failures == 0 ? 0 : 1;
}
