// Shell and text helpers of the converter's dialogs.
#include "converter/kit/ConverterHelpers.h"

#include <shellapi.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>

#include "converter/app/ConverterEnvironment.h"
#include "engine/SystemHelpers.h"
#include "framework/Effects.h"

void ShowInExplorer(LPCWSTR file)
{
    CString parameters;
    parameters.Format(L"/select,\"%s\"", GetShortPath(file).GetString());
    FwShellExecute(nullptr, nullptr, L"explorer.exe", parameters, nullptr, SW_SHOWNORMAL);
}

void OpenFolderInExplorer(LPCWSTR folder)
{
    CString parameters;
    parameters.Format(L"\"%s\"", folder ? folder : L"");
    FwShellExecute(nullptr, nullptr, L"explorer.exe", parameters, nullptr, SW_SHOWNORMAL);
}

int GetFileIconIndex(LPCWSTR path, UINT flags)
{
    if (!path || !*path)
        return -1;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return -1;
    SHFILEINFOW info = {};
    const DWORD kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (!SHGetFileInfoW(path, kind, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | flags))
        return -1;
    return info.iIcon;
}

CString GetMyMusicFolder()
{
    wchar_t buffer[MAX_PATH + 1] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_MYMUSIC, FALSE))
        return CString();
    return CString(buffer);
}

double ParseDouble(LPCWSTR text)
{
    CStringA narrow;
    if (WideToAnsi(text, narrow) < 0)
        return 0.0;
    double value = 0.0;
    return sscanf(narrow.GetString(), "%lf", &value) == 1 ? value : 0.0;
}

CString FormatDurationMs(__int64 ms, BOOL secondsMode, BOOL withMs, BOOL forceHours)
{
    if (ms < 0)
        ms = 0;
    CString text;
    if (secondsMode) {
        if (withMs) {
            text.Format(L"%.3f", (double)ms * 0.001);
        } else {
            __int64 seconds = ms / 1000;
            if (ms > 0 && seconds == 0)
                seconds = 1;
            text.Format(L"%I64d", seconds);
        }
        return text;
    }
    if (!withMs && ms > 0 && ms < 1000)
        ms = 1000;
    const __int64 s = ms / 1000;
    const int hours = (int)(s / 3600);
    const int minutes = (int)(s % 3600 / 60);
    const int seconds = (int)(s % 60);
    const int millis = (int)(ms % 1000);
    const bool showHours = forceHours || hours > 0;
    if (withMs) {
        if (showHours)
            text.Format(L"%02d:%02d:%02d.%03d", hours, minutes, seconds, millis);
        else
            text.Format(L"%02d:%02d.%03d", minutes, seconds, millis);
    } else if (showHours) {
        text.Format(L"%02d:%02d:%02d", hours, minutes, seconds);
    } else {
        text.Format(L"%02d:%02d", minutes, seconds);
    }
    return text;
}

CString FormatSampleRate(int rate, LPCWSTR format, BOOL appendHz, BOOL autoForZero)
{
    CString text;
    if (rate > 0) {
        text.Format(format ? format : L"%d", rate);
        if (appendHz)
            text += L" Hz";
    } else if (rate == 0 && autoForZero) {
        text = L"Auto";
    }
    return text;
}

HIMAGELIST GetSystemImageList(int which)
{
    CConverterEnvironment* environment = GetConverterEnvironment();
    if (!environment)
        return nullptr;
    return which == 1 ? environment->GetSmallList() : which == 2 ? environment->GetLargeList() : nullptr;
}
