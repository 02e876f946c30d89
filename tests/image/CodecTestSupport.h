// Helpers of the BMP, ICO and GIF tests: little-endian byte builders, the CRT heap in use, and
// the damaged-input sweep every decoder must survive.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace codectest
{
typedef std::vector<BYTE> Bytes;

void Add8(Bytes& out, int v);
void Add16(Bytes& out, int v);
void Add32(Bytes& out, DWORD v);
void Append(Bytes& out, const Bytes& more);

// Bytes of the C heap in use (the image library's kept pixel block freed first), or 0 when the
// heap cannot be walked.
size_t HeapBytesInUse();

// Decodes every prefix of data (in steps) and copies with seeded random byte changes; each
// attempt must fail or give a valid image of sensible size. Returns the attempts that decoded.
int SweepDamagedInput(const Bytes& data, int type, unsigned seed, int rounds);
}
