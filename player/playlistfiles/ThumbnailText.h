// Thumbnails carried as text inside a playlist file: the picture as JPEG, written in Base64 (the
// standard alphabet with '=' padding).
#pragma once

#include "framework/String.h"

class CRasterImage;

// 0, or -1 for an image that is not valid or cannot be encoded (text empty).
int ImageToBase64(CRasterImage& image, CString& text);
// 0, or -1 for empty text, text that decodes to nothing, or data that is no JPEG picture.
int Base64ToImage(const wchar_t* text, CRasterImage& image);

// Characters needed for 'length' bytes (the terminator not counted).
unsigned EncodedSize(unsigned length);
// Bytes that 'length' characters can give at most.
unsigned DecodedSize(unsigned length);
// Writes EncodedSize(length) characters, without terminator; returns that number.
unsigned Base64Encode(const unsigned char* bytes, unsigned length, char* out);
// Decodes up to the first '=' or character outside the alphabet; returns the bytes written
// (at most DecodedSize(length)).
unsigned Base64Decode(const char* chars, unsigned length, unsigned char* out);

// A thumbnail picture wider or higher than this is refused before its pixels are allocated:
// the player draws thumbnails of a few hundred pixels, and a crafted header could ask for
// gigabytes.
const int MAX_TEXT_THUMBNAIL_SIDE = 4096;
