// Text forms of media values (times, bit rates, frame rates, channel counts, pairs) as the tool
// command lines, the playlist file and the dialogs write and read them.
#pragma once

#include "framework/String.h"

// Milliseconds as "h:mm:ss.fff" (or "m:ss.fff"), or as seconds ("65.250" / "65").
CString FormatTimeMs(__int64 ms, BOOL seconds, BOOL withMs, BOOL forceHours);
// Microseconds, truncated to milliseconds (a positive value under 1 ms counts as 1 ms).
CString FormatTimeUs(__int64 us, BOOL seconds, BOOL withMs, BOOL forceHours);
// "h:m:s.fff", "m:s" or "s" back to milliseconds; 0 for an empty text.
__int64 ParseTimeMs(LPCWSTR text);

CString FormatPairOrAuto(int a, int b, LPCWSTR format, BOOL autoText);
CString FormatIntPair(int a, int b, LPCWSTR format);
// Reads two integers with a scanf format such as "%d/%d"; a value not read is 0. Returns the
// number of values read.
int ScanIntPair(LPCWSTR text, LPCWSTR format, int& a, int& b);
int ScanIntPair(LPCSTR text, LPCSTR format, int& a, int& b);

CString FormatChannels(int count, BOOL autoText);
CString FormatBitRate(__int64 bitsPerSecond, LPCWSTR format, BOOL withUnit, BOOL autoText);
CString FormatRatio(int a, int b, LPCWSTR format);
CString FormatFrameRate(int num, int den, LPCWSTR format, BOOL withUnit, BOOL autoText);
