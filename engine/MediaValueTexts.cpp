// Text forms of media values; the time texts are parsed by the tools and stored in playlists, so
// their exact shape matters.
#include "engine/MediaValueTexts.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

// "128.000" -> "128", "1411.200" -> "1411.2"; a text without a decimal point keeps its zeros.
void TrimDecimalZeros(CString& text)
{
    if (text.Find(L'.') < 0)
        return;
    text.TrimRight(L'0');
    text.TrimRight(L'.');
}

}  // namespace

CString FormatTimeMs(__int64 ms, BOOL seconds, BOOL withMs, BOOL forceHours)
{
    CString text;
    if (seconds) {
        if (withMs) {
            text.Format(L"%.3f", (double)ms * 0.001);
        } else {
            __int64 whole = ms / 1000;
            if (ms > 0 && whole == 0)
                whole = 1;
            text.Format(L"%I64d", whole);
        }
        return text;
    }
    if (!withMs && ms > 0 && ms < 1000)
        ms = 1000;
    __int64 totalSeconds = ms / 1000;
    int h = (int)(totalSeconds / 3600);
    int m = (int)(totalSeconds % 3600 / 60);
    int s = (int)(totalSeconds % 60);
    int f = (int)(ms % 1000);
    bool hours = forceHours || h > 0;
    if (withMs) {
        if (hours)
            text.Format(L"%d:%02d:%02d.%03d", h, m, s, f);
        else
            text.Format(L"%d:%02d.%03d", m, s, f);
    } else {
        if (hours)
            text.Format(L"%d:%02d:%02d", h, m, s);
        else
            text.Format(L"%d:%02d", m, s);
    }
    return text;
}

CString FormatTimeUs(__int64 us, BOOL seconds, BOOL withMs, BOOL forceHours)
{
    __int64 ms = us / 1000;
    if (us > 0 && ms == 0)
        ms = 1;
    return FormatTimeMs(ms, seconds, withMs, forceHours);
}

__int64 ParseTimeMs(LPCWSTR text)
{
    CString t(text);
    t.Remove(L' ');
    t.Trim();
    if (t.IsEmpty())
        return 0;

    CString parts[3];
    int count = 0;
    int start = 0;
    while (count < 3 && start <= t.GetLength()) {
        int colon = t.Find(L':', start);
        int end = colon < 0 ? t.GetLength() : colon;
        if (end > start)
            parts[count++] = t.Mid(start, end - start);
        if (colon < 0)
            break;
        start = colon + 1;
    }
    if (count == 0)
        return 0;

    CString hours, minutes, secs = parts[count - 1], fraction;
    if (count == 3) {
        hours = parts[0];
        minutes = parts[1];
    } else if (count == 2) {
        minutes = parts[0];
    }
    int dot = secs.Find(L'.');
    if (dot >= 0) {
        fraction = secs.Mid(dot + 1);
        secs = secs.Left(dot);
    }
    // 64-bit sums: a long time must not wrap into a negative one.
    return (__int64)_wtoi(hours) * 3600000 + (__int64)_wtoi(minutes) * 60000 + (__int64)_wtoi(secs) * 1000 +
           _wtoi(fraction);
}

CString FormatPairOrAuto(int a, int b, LPCWSTR format, BOOL autoText)
{
    if (autoText && (a == 0 || b == 0))
        return CString(L"Auto");
    return FormatIntPair(a, b, format);
}

CString FormatIntPair(int a, int b, LPCWSTR format)
{
    CString text;
    if (format)
        text.Format(format, a, b);
    return text;
}

int ScanIntPair(LPCWSTR text, LPCWSTR format, int& a, int& b)
{
    a = 0;
    b = 0;
    if (!text || !format)
        return 0;
    int n = swscanf(text, format, &a, &b);
    return n > 0 ? n : 0;
}

int ScanIntPair(LPCSTR text, LPCSTR format, int& a, int& b)
{
    a = 0;
    b = 0;
    if (!text || !format)
        return 0;
    int n = sscanf(text, format, &a, &b);
    return n > 0 ? n : 0;
}

CString FormatChannels(int count, BOOL autoText)
{
    switch (count) {
    case 0: return CString(autoText ? L"Auto" : L"");
    case 1: return CString(L"Mono");
    case 2: return CString(L"Stereo");
    case 6: return CString(L"5.1");
    }
    return CString();
}

CString FormatBitRate(__int64 bitsPerSecond, LPCWSTR format, BOOL withUnit, BOOL autoText)
{
    CString text;
    if (bitsPerSecond == 0)
        return CString(autoText ? L"Auto" : L"");
    if (bitsPerSecond < 0 || !format)
        return text;
    text.Format(format, (double)bitsPerSecond * 0.001);
    TrimDecimalZeros(text);
    if (withUnit)
        text += L" kbps";
    return text;
}

CString FormatRatio(int a, int b, LPCWSTR format)
{
    CString text;
    if (a > 0 && b > 0 && format) {
        text.Format(format, (double)a / (double)b);
        TrimDecimalZeros(text);
    }
    return text;
}

CString FormatFrameRate(int num, int den, LPCWSTR format, BOOL withUnit, BOOL autoText)
{
    if (num == 0 || den == 0)
        return CString(autoText ? L"Auto" : L"");
    CString text = FormatRatio(num, den, format);
    if (withUnit)
        text += L" fps";
    return text;
}
