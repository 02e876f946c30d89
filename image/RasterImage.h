// CRasterImage: the image object of both programs, one bottom-up DIB in a single heap block
// with its palette, optional alpha and selection masks, and the codec options.
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstdio>

class CByteStream;
class CRasterImage;

enum ImageType
{
    ImageTypeAuto = 0,
    ImageTypeBMP = 1,
    ImageTypeGIF = 2,
    ImageTypeJPG = 3,
    ImageTypePNG = 4,
    ImageTypeICO = 5,
};

// Interpolation methods of GetInterpolatedColor; any other value reads as bilinear.
enum InterpolationMethod
{
    InterpolationNearest = 1,
    InterpolationBilinear = 2,
    InterpolationBSpline = 3,
    InterpolationBicubic = 4,
    InterpolationBicubic2 = 5,
    InterpolationLanczos = 6,
    InterpolationBox = 7,
    InterpolationHermite = 8,
    InterpolationDampedHermite = 9,
    InterpolationSinc = 10,
    InterpolationBlackman = 11,
    InterpolationBessel = 12,
    InterpolationGaussian = 13,
    InterpolationQuadratic = 14,
    InterpolationMitchell = 15,
    InterpolationCatmullRom = 16,
    InterpolationHanning = 17,
    InterpolationPower = 18,
};

// What a point outside the image reads as.
enum OverflowMethod
{
    OverflowColor = 1,
    OverflowBackground = 2,
    OverflowTransparent = 3,
    OverflowWrap = 4,
    OverflowRepeat = 5,
    OverflowMirror = 6,
};

// The record copied whole between an image and the codec objects working on it.
struct CRasterImageInfo
{
    int32_t rowStride;
    BYTE* pixels;
    CRasterImage* shallowSource;
    int32_t type;
    char lastError[256];
    int32_t progress;
    int32_t escape;          // non-zero stops long work; -1 asks decoders for the header only
    int32_t transIndex;
    RGBQUAD transColor;
    float jpegQuality;
    BYTE jpegScale;
    int32_t currentFrame;
    int32_t numFrames;
    int32_t frameDelay;
    int32_t xDpi;
    int32_t yDpi;
    RECT selectionBox;       // y from the bottom row: top > bottom
    BYTE alphaMax;
    BYTE paletteAlpha;
    BYTE enabled;
    int32_t xOffset;
    int32_t yOffset;
    int32_t codecOptions[6];
    RGBQUAD lastColor;
    BYTE lastColorIndex;
    BYTE lastColorValid;
    BYTE gifDisposal;
    BYTE gifAllFrames;
    BYTE littleEndian;
};

class CRasterImage
{
public:
    explicit CRasterImage(int type = 0);
    CRasterImage(int width, int height, DWORD bpp, int type = 0);
    CRasterImage(const CRasterImage& source, bool copyPixels, bool copySelection = true,
                 bool copyAlpha = true);
    CRasterImage(const CRasterImage& source);
    CRasterImage& operator=(const CRasterImage& source);
    virtual ~CRasterImage();

    BYTE* Create(int width, int height, DWORD bpp, int type = 0);
    bool Destroy();
    bool DestroyFrames();

    void Copy(const CRasterImage& source, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    void CopyInfo(const CRasterImage& source);
    bool TakeOver(CRasterImage& source, bool withFrames = true);
    void MakeShallowCopy(CRasterImage* source);

    // Information
    void* GetDib() const { return dib; }
    int GetWidth() const { return header.biWidth; }
    int GetHeight() const { return header.biHeight; }
    int GetStride() const { return info.rowStride; }
    int GetNumColors() const { return dib ? (int)header.biClrUsed : 0; }
    int GetBpp() const { return header.biBitCount; }
    int GetType() const { return info.type; }
    bool SetType(int type);
    DWORD GetSize() const;
    BYTE* GetBits(int row = 0) const;
    bool IsInside(int x, int y) const;
    bool IsValid() const { return dib != nullptr; }
    bool IsIndexed() const { return header.biClrUsed != 0; }
    int GetNumFrames() const { return info.numFrames; }
    // The frame or page that the GIF and ICO decoders load, and whether GIF keeps every frame.
    int GetCurrentFrame() const { return info.currentFrame; }
    void SetCurrentFrame(int frame) { info.currentFrame = frame; }
    bool GetAllFrames() const { return info.gifAllFrames != 0; }
    void SetAllFrames(bool all) { info.gifAllFrames = all ? 1 : 0; }
    int GetFrameDelay() const { return info.frameDelay; }
    void SetFrameDelay(int hundredths) { info.frameDelay = hundredths; }
    int GetDisposalMethod() const { return info.gifDisposal; }
    void SetDisposalMethod(int method) { info.gifDisposal = (BYTE)(method & 7); }
    CRasterImage* GetFrame(int index) const;
    const char* GetLastError() const { return info.lastError; }
    const CRasterImageInfo& GetInfo() const { return info; }
    const BITMAPINFOHEADER& GetHeader() const { return header; }
    void SetEscape(int value) { info.escape = value; }
    int GetEscape() const { return info.escape; }
    int GetProgress() const { return info.progress; }
    void SetOffset(int x, int y) { info.xOffset = x; info.yOffset = y; }
    int GetJpegQuality() const { return (int)(info.jpegQuality + 0.5f); }
    void SetJpegQuality(float quality) { info.jpegQuality = quality; }
    BYTE GetJpegScale() const { return info.jpegScale; }
    void SetJpegScale(BYTE scale) { info.jpegScale = scale; }
    int GetCodecOption(int type = 0) const;
    bool SetCodecOption(int value, int type = 0);
    int GetXDPI() const { return info.xDpi; }
    int GetYDPI() const { return info.yDpi; }
    void SetXDPI(int dpi);
    void SetYDPI(int dpi);
    bool IsEnabled() const { return info.enabled != 0; }
    void Enable(bool enabled = true) { info.enabled = enabled ? 1 : 0; }

    // Transparency
    int GetTransIndex() const { return info.transIndex; }
    void SetTransIndex(int index);
    void SetTransColor(RGBQUAD color);
    RGBQUAD GetTransColor() const;
    bool IsTransparent() const { return info.transIndex >= 0; }

    // Palette
    RGBQUAD* GetPalette() const;
    DWORD GetPaletteSize() const { return header.biClrUsed * sizeof(RGBQUAD); }
    RGBQUAD GetPaletteColor(int index) const;
    bool GetPaletteColor(int index, BYTE* r, BYTE* g, BYTE* b) const;
    void SetPaletteColor(int index, BYTE r, BYTE g, BYTE b, BYTE alpha = 0);
    void SetPaletteColor(int index, RGBQUAD color);
    void SetPalette(const RGBQUAD* palette, DWORD count = 256);
    void SetPalette(DWORD count, const BYTE* red, const BYTE* green = nullptr,
                    const BYTE* blue = nullptr);
    void SetPalette(const BYTE* rgbTriples, DWORD count = 256);
    void SetGrayPalette();
    bool IsGrayScale() const;
    void SwapIndex(BYTE a, BYTE b);
    DWORD GetClrImportant() const { return header.biClrImportant; }
    void SetClrImportant(DWORD count);
    bool HasPaletteAlpha() const { return info.paletteAlpha != 0; }
    void SetPaletteAlpha(bool on) { info.paletteAlpha = on ? 1 : 0; }

    // Pixels
    BYTE GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, BYTE index);
    RGBQUAD GetPixelColor(int x, int y, bool withAlpha = true) const;
    void SetPixelColor(int x, int y, RGBQUAD color, bool setAlpha = false);
    void SetPixelColor(int x, int y, COLORREF color);
    BYTE GetNearestIndex(RGBQUAD color);
    BYTE* GetPixelPointer(int x, int y) const;
    void SwapRedBlue(BYTE* buffer, long length) const;
    void Clear(BYTE value = 0);

    // Loading and saving
    bool Load(const wchar_t* path, int type = 0);
    bool LoadResource(HRSRC resource, int type = 0, HMODULE module = nullptr);
    bool DecodeFromMemory(const BYTE* buffer, DWORD size, int type = 0);
    bool Decode(FILE* file, int type);
    bool Decode(CByteStream* stream, int type);
    bool Save(const wchar_t* path, int type);
    bool EncodeToMemory(BYTE*& buffer, long& size, int type);
    bool Encode(FILE* file, int type);
    bool Encode(CByteStream* stream, int type);
    bool CheckBeforeEncode(CByteStream* stream);

    // Resampling and thumbnails
    bool Resample(int newWidth, int newHeight, int mode = 1, CRasterImage* destination = nullptr);
    bool Expand(int left, int top, int right, int bottom, RGBQUAD canvas,
                CRasterImage* destination = nullptr);
    bool ExpandCentered(int width, int height, RGBQUAD canvas, CRasterImage* destination = nullptr);
    bool MakeThumbnail(int width, int height, RGBQUAD canvas, CRasterImage* destination = nullptr);

    // Drawing
    bool Draw(HDC hdc, const RECT& rect, const RECT* clipRect = nullptr, bool smooth = false,
              bool flipY = false);
    bool Draw(HDC hdc, int x = 0, int y = 0, int cx = -1, int cy = -1,
              const RECT* clipRect = nullptr, bool smooth = false, bool flipY = false);

    // Alpha mask
    bool AlphaIsValid() const { return alphaMask != nullptr; }
    bool CreateAlpha();
    void AlphaDelete();
    void AlphaFill(BYTE value);
    void AlphaInvert();
    void AlphaSet(int x, int y, BYTE value);
    BYTE AlphaGet(int x, int y) const;
    BYTE* AlphaGetPointer(int x = 0, int y = 0) const;
    bool AlphaCopy(const CRasterImage& source);
    bool AlphaFromImage(const CRasterImage& image);
    bool AlphaToImage(CRasterImage* destination);
    bool AlphaPaletteIsValid() const;
    void AlphaFlip();
    BYTE GetAlphaMax() const { return info.alphaMax; }
    void SetAlphaMax(BYTE value) { info.alphaMax = value; }

    // Selection mask
    bool HasSelection() const { return selectionMask != nullptr; }
    bool CreateSelection();
    bool DeleteSelection();
    bool IsInsideSelection(int x, int y) const;
    bool CopySelection(const CRasterImage& source);
    BYTE* SelectionGetPointer(int x = 0, int y = 0) const;
    void FlipSelection();
    RECT GetSelectionBox() const { return info.selectionBox; }
    void SetSelectionBox(const RECT& box) { info.selectionBox = box; }

    // Transforms
    bool IncreaseBpp(DWORD bpp);
    bool Flip(bool flipSelection = false, bool flipAlpha = true);
    bool Negative();

    // Interpolated sampling
    RGBQUAD GetInterpolatedColor(float x, float y, int method = InterpolationBilinear,
                                 int overflow = OverflowRepeat,
                                 const RGBQUAD* replacement = nullptr) const;
    RGBQUAD GetAreaColorInterpolated(float x, float y, float width, float height,
                                     int method = InterpolationBilinear,
                                     int overflow = OverflowRepeat,
                                     const RGBQUAD* replacement = nullptr) const;
    void ClampCoordinates(int& x, int& y, int overflow) const;
    void ClampCoordinates(float& x, float& y, int overflow) const;
    RGBQUAD GetPixelColorWithOverflow(int x, int y, int overflow,
                                      const RGBQUAD* replacement = nullptr) const;

    static float KernelBSpline(float x);
    static float KernelLinear(float x);
    static float KernelCubic(float x);
    static float KernelGeneralizedCubic(float x, float c = -0.5f);
    static float KernelLanczosSinc(float x, float radius = 6.0f);
    static float KernelBox(float x);
    static float KernelHermite(float x);
    static float KernelDampedHermite(float x);
    static float KernelSinc(float x);
    static float KernelBlackman(float x);
    static float KernelBessel(float x);
    static float KernelGaussian(float x);
    static float KernelQuadratic(float x);
    static float KernelMitchell(float x);
    static float KernelCatmullRom(float x);
    static float KernelHanning(float x);
    static float KernelPower(float x, float exponent = 2.0f);

private:
    BYTE* CreateBlock(int width, int height, DWORD bpp, int type, bool clearPixels);
    void ReleaseBuffers();
    void ForgetPicture();

protected:
    void InitMembers(int type);
    void SetLastError(const char* text);
    void CopyLastErrorFrom(const CRasterImage& other);
    void InvalidateNearestColor() { info.lastColorValid = 0; }
    // The caller's options for a codec that decodes into a fresh object.
    void CopyOptions(const CRasterImage& source);
    // Create for a decoder that writes every pixel row itself: only the palette and the padding
    // at the end of each row are cleared.
    BYTE* CreateForRows(int width, int height, DWORD bpp, int type);

    // Unchecked accessors for loops that already stay inside the image.
    BYTE GetPixelIndexUnchecked(int x, int y) const;
    void SetPixelIndexUnchecked(int x, int y, BYTE index);
    RGBQUAD GetPixelColorUnchecked(int x, int y, bool withAlpha) const;
    void SetPixelColorUnchecked(int x, int y, RGBQUAD color, bool setAlpha);
    BYTE AlphaGetUnchecked(int x, int y) const { return alphaMask[y * header.biWidth + x]; }

    void* dib;
    BITMAPINFOHEADER header;
    CRasterImageInfo info;
    BYTE* selectionMask;
    BYTE* alphaMask;
    CRasterImage** layers;
    int layerCount;
    CRasterImage** frames;
    int frameCount;          // entries of the frame array (numFrames only reports what a decode found)
};
