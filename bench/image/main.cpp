// Image benchmark: a generated 1920x1080 picture decoded and encoded through CRasterImage and
// through libjpeg and libpng called directly in the same run; prints both times (medians), their
// ratio and the goal where one is set. The first line tells the build and whether libjpeg-turbo
// has its SIMD code.
//
// bench_image [image files...]: each file is also decoded through CRasterImage with type detection.
#include <windows.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "bench/common/BenchSupport.h"
#include "image/RasterImage.h"

namespace {

const int kRuns = 20;
const int kWidth = 1920;
const int kHeight = 1080;
const int kQuality = 90;

using Bytes = std::vector<unsigned char>;

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

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n == 0 ? 0.0 : n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

// Medians of the runs, so that a busy machine's outliers do not decide the ratio; a goal of 0
// means none is set.
void PrintCase(const char* name, const std::vector<double>& ours, const std::vector<double>& raw,
               double goal)
{
    double a = Median(ours), b = Median(raw);
    printf("%-30s ours %8.2f ms  raw %8.2f ms  ratio %.3f", name, a * 1000, b * 1000,
           b > 0 ? a / b : 0.0);
    if (goal > 0)
        printf("  (goal %.2f)", goal);
    printf("\n");
}

// Runs our side and the raw library alternately, so drift in the machine's load falls on both
// sides alike.
template <class Ours, class Raw>
bool Compare(const char* name, double goal, Ours ours, Raw raw)
{
    if (!ours() || !raw()) {
        printf("%-30s failed\n", name);
        return false;
    }
    std::vector<double> oursTimes, rawTimes;
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        bool ok = ours();
        double t1 = Now();
        ok = raw() && ok;
        double t2 = Now();
        if (!ok) {
            printf("%-30s failed on run %d\n", name, i);
            return false;
        }
        oursTimes.push_back(t1 - t0);
        rawTimes.push_back(t2 - t1);
    }
    PrintCase(name, oursTimes, rawTimes, goal);
    return true;
}

template <class Raw>
bool CompareDecode(const char* name, const Bytes& data, int type, Raw raw, double goal)
{
    Bytes pixels;
    return Compare(
        name, goal,
        [&] {
            CRasterImage image;
            bool ok = OursDecode(data, type, image);
            if (!ok)
                printf("%s: %s\n", name, image.GetLastError());
            return ok;
        },
        [&] { return raw(data, pixels); });
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
    int type = warm.GetType();
    printf("%ls: %s %dx%d %d bpp\n", path, TypeName(type), warm.GetWidth(), warm.GetHeight(),
           warm.GetBpp());
    auto ours = [&] {
        CRasterImage image;
        return OursDecode(data, ImageTypeAuto, image);
    };
    if (type == ImageTypeJPG || type == ImageTypePNG) {
        Bytes pixels;
        return Compare("  decoded, type detected", 0, ours, [&] {
            return type == ImageTypeJPG ? RawJpegDecode(data, pixels) : RawPngDecode(data, pixels);
        });
    }
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        if (!ours()) {
            printf("%ls: decode failed on run %d\n", path, i);
            return false;
        }
        times.push_back(Now() - t0);
    }
    printf("%-30s ours %8.2f ms  (no raw library to compare with)\n", "  decoded, type detected",
           Median(times) * 1000);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Bytes rgb = MakePicture();
    Bytes jpeg, png;
    if (!RawJpegEncode(rgb, jpeg) || !RawPngEncode(rgb, png)) {
        printf("cannot encode the test picture\n");
        return 1;
    }
#ifdef WITH_SIMD
    const char* simd = "with SIMD";
#else
    const char* simd = "without SIMD";
#endif
    const int turbo = LIBJPEG_TURBO_VERSION_NUMBER;
    printf("%d-bit build; libjpeg-turbo %d.%d.%d %s, libpng %s\n", (int)sizeof(void*) * 8,
           turbo / 1000000, turbo / 1000 % 1000, turbo % 1000, simd, PNG_LIBPNG_VER_STRING);
    printf("test picture %dx%d RGB: JPEG %u bytes (quality %d), PNG %u bytes; median of %d "
           "runs a case\n",
           kWidth, kHeight, (unsigned)jpeg.size(), kQuality, (unsigned)png.size(), kRuns);

    int failures = 0;
    if (!CompareDecode("JPEG decode from memory", jpeg, ImageTypeJPG, RawJpegDecode, 1.1))
        ++failures;
    if (!CompareDecode("PNG decode from memory", png, ImageTypePNG, RawPngDecode, 0))
        ++failures;
    if (!CompareDecode("JPEG decode, type detected", jpeg, ImageTypeAuto, RawJpegDecode, 1.1))
        ++failures;
    {
        // What the playlist does with a grabbed frame: decode it and fit it into the default box.
        Bytes pixels;
        RGBQUAD black = {0, 0, 0, 0};
        if (!Compare(
                "JPEG decode + fit 192x108", 1.5,
                [&] {
                    CRasterImage image;
                    return OursDecode(jpeg, ImageTypeJPG, image) &&
                           image.MakeThumbnail(192, 108, black) && image.GetWidth() == 192;
                },
                [&] { return RawJpegDecode(jpeg, pixels); }))
            ++failures;
    }

    // Encoding starts from the decoded PNG, which holds exactly the generated pixels.
    CRasterImage source;
    if (!OursDecode(png, ImageTypePNG, source)) {
        printf("cannot decode the test PNG: %s\n", source.GetLastError());
        return 1;
    }
    source.SetJpegQuality((float)kQuality);
    if (!Compare(
            "JPEG encode to memory", 0,
            [&] {
                BYTE* buffer = nullptr;
                long size = 0;
                bool ok = source.EncodeToMemory(buffer, size, ImageTypeJPG);
                free(buffer);
                return ok;
            },
            [&] {
                Bytes out;
                return RawJpegEncode(rgb, out);
            }))
        ++failures;
    {
        RGBQUAD canvas = {0, 0, 0, 0};
        std::vector<double> times;
        bool ok = true;
        CRasterImage thumb;
        for (int i = 0; i < kRuns && ok; ++i) {
            double t0 = Now();
            ok = source.MakeThumbnail(160, 120, canvas, &thumb);
            times.push_back(Now() - t0);
        }
        if (ok)
            printf("%-30s ours %8.2f ms  (%dx%d to %dx%d, no raw reference)\n",
                   "thumbnail into 160x120", Median(times) * 1000, kWidth, kHeight,
                   thumb.GetWidth(), thumb.GetHeight());
        else {
            printf("%-30s failed: %s\n", "thumbnail into 160x120", source.GetLastError());
            ++failures;
        }
    }

    for (int i = 1; i < argc; ++i)
        if (!BenchFile(argv[i]))
            ++failures;
    return failures == 0 ? 0 : 1;
}
