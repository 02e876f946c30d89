// Arithmetic on colour channels shared by the sampling and the scaling code.
#pragma once

#include <windows.h>

namespace imagedetail
{
// A computed channel value as a byte: 0 at or below 0, 255 at or above 255, else truncated.
inline BYTE ClampByte(float v)
{
    if (v <= 0.0f)
        return 0;
    if (v >= 255.0f)
        return 255;
    return (BYTE)v;
}
}  // namespace imagedetail
