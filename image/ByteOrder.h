// Little-endian field access for the codecs whose file headers are read and written by hand.
#pragma once

#include <windows.h>

namespace imagedetail
{
inline WORD Le16(const BYTE* p)
{
    return (WORD)(p[0] | (p[1] << 8));
}

inline DWORD Le32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

inline void Put16(BYTE* p, DWORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
}

inline void Put32(BYTE* p, DWORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
    p[2] = (BYTE)(v >> 16);
    p[3] = (BYTE)(v >> 24);
}
}  // namespace imagedetail
