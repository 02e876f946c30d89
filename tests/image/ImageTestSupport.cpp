// Helpers of the image tests; the reference encoders call libpng and libjpeg directly.
#include "ImageTestSupport.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include <jpeglib.h>

namespace imagetest
{
std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"TEST_TEMP_DIR", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        GetTempPathW(MAX_PATH, folder);
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    path += L"image_";
    path += std::to_wstring(GetCurrentProcessId());
    path += L"_";
    path += name;
    return path;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), file);
    return fclose(file) == 0 && written == bytes.size();
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return bytes;
    BYTE buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(file);
    return bytes;
}

std::vector<BYTE> EncodeToBytes(CRasterImage& image, int type)
{
    BYTE* buffer = nullptr;
    long size = 0;
    if (!image.EncodeToMemory(buffer, size, type))
        return {};
    std::vector<BYTE> out(buffer, buffer + size);
    free(buffer);
    return out;
}

RGBQUAD PatternColor(int x, int y)
{
    RGBQUAD c;
    c.rgbRed = (BYTE)(x * 7 + y * 3);
    c.rgbGreen = (BYTE)(x * 5 + 40);
    c.rgbBlue = (BYTE)(y * 11 + 9);
    c.rgbReserved = 0;
    return c;
}

void FillPattern(CRasterImage& image)
{
    for (int y = 0; y < image.GetHeight(); y++)
        for (int x = 0; x < image.GetWidth(); x++)
            image.SetPixelColor(x, y, PatternColor(x, y));
}

void FillGradient(CRasterImage& image)
{
    int w = image.GetWidth(), h = image.GetHeight();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            RGBQUAD c = {(BYTE)(255 * y / (h > 1 ? h - 1 : 1)), (BYTE)128,
                         (BYTE)(255 * x / (w > 1 ? w - 1 : 1)), 0};
            image.SetPixelColor(x, y, c);
        }
}

int MaxChannelDifference(const CRasterImage& a, const CRasterImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.GetHeight(); y++)
        for (int x = 0; x < a.GetWidth(); x++)
        {
            RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            int d[3] = {abs(p.rgbRed - q.rgbRed), abs(p.rgbGreen - q.rgbGreen),
                        abs(p.rgbBlue - q.rgbBlue)};
            for (int v : d)
                if (v > worst)
                    worst = v;
        }
    return worst;
}

namespace
{
void PngAppend(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = (std::vector<BYTE>*)png_get_io_ptr(png);
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp)
{
}
}

std::vector<BYTE> WritePngReference(const PngSpec& layout)
{
    std::vector<BYTE> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngAppend, PngFlush);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < layout.palette.size(); i += 3)
        palette.push_back({layout.palette[i], layout.palette[i + 1], layout.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), (int)palette.size());
    if (!layout.transAlpha.empty())
    {
        std::vector<png_byte> alpha(layout.transAlpha.begin(), layout.transAlpha.end());
        png_set_tRNS(png, info, alpha.data(), (int)alpha.size(), nullptr);
    }
    if (layout.transGray >= 0 || layout.transRed >= 0)
    {
        png_color_16 value = {};
        value.gray = (png_uint_16)(layout.transGray >= 0 ? layout.transGray : 0);
        value.red = (png_uint_16)(layout.transRed >= 0 ? layout.transRed : 0);
        value.green = (png_uint_16)(layout.transGreen >= 0 ? layout.transGreen : 0);
        value.blue = (png_uint_16)(layout.transBlue >= 0 ? layout.transBlue : 0);
        png_set_tRNS(png, info, nullptr, 1, &value);
    }
    if (layout.phys)
        png_set_pHYs(png, info, layout.physX, layout.physY, layout.physUnit);
    png_write_info(png, info);
    int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; pass++)
        for (int y = 0; y < layout.height; y++)
            png_write_row(png, (png_const_bytep)layout.rows[y].data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace
{
struct JpegError
{
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo)
{
    longjmp(((JpegError*)cinfo->err)->jump, 1);
}

void JpegSilent(j_common_ptr)
{
}
}

std::vector<BYTE> WriteJpegReference(const JpegSpec& layout)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump))
    {
        jpeg_destroy_compress(&cinfo);
        free(buffer);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = layout.width;
    cinfo.image_height = layout.height;
    cinfo.input_components = layout.components;
    cinfo.in_color_space = layout.components == 1   ? JCS_GRAYSCALE
                           : layout.components == 4 ? JCS_CMYK
                                                    : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (layout.ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, layout.quality, TRUE);
    cinfo.comp_info[0].h_samp_factor = layout.lumaH;
    cinfo.comp_info[0].v_samp_factor = layout.lumaV;
    cinfo.density_unit = (UINT8)layout.densityUnit;
    cinfo.X_density = (UINT16)layout.xDensity;
    cinfo.Y_density = (UINT16)layout.yDensity;
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < layout.height; y++)
    {
        JSAMPROW row = (JSAMPROW)layout.rows[y].data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<BYTE> out(buffer, buffer + size);
    free(buffer);
    return out;
}

bool ReadJpegReference(const std::vector<BYTE>& data, int& width, int& height, int& components,
                       std::vector<BYTE>& samples, const JpegReadSettings& settings)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.output_message = JpegSilent;
    if (setjmp(err.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = settings.scaleDenom;
    cinfo.do_fancy_upsampling = settings.fancyUpsampling ? TRUE : FALSE;
    if (settings.greyOutput)
        cinfo.out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(&cinfo);
    width = cinfo.output_width;
    height = cinfo.output_height;
    components = cinfo.output_components;
    samples.assign((size_t)width * height * components, 0);
    while (cinfo.output_scanline < cinfo.output_height)
    {
        JSAMPROW row = samples.data() + (size_t)cinfo.output_scanline * width * components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}
}
