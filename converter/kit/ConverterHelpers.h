// Shell and text helpers of the converter's dialogs: Explorer windows, file icons, the My Music
// folder, numbers read from text, and the texts of durations and sample rates.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/String.h"

// "explorer.exe /select,"<short path>"", or the folder itself; both through the shell-open hook.
void ShowInExplorer(LPCWSTR file);
void OpenFolderInExplorer(LPCWSTR folder);
// The system image-list index of the path's icon (folders with folder attributes); -1 when the
// path does not exist or has no icon.
int GetFileIconIndex(LPCWSTR path, UINT flags);
CString GetMyMusicFolder();
// The text as a floating-point number read in the 8-bit code page; 0 when it does not read.
double ParseDouble(LPCWSTR text);

// Milliseconds as "%02d:%02d:%02d.%03d" (hours shown when forced or not 0), without
// milliseconds as "%02d:%02d[:%02d]", or as seconds ("65.250", "65"); a positive value below
// a second shows one second where milliseconds are not shown. Negative values show as 0.
CString FormatDurationMs(__int64 ms, BOOL secondsMode, BOOL withMs, BOOL forceHours);
// The rate in the format (" Hz" appended when asked); 0 gives "Auto" when asked, else "".
CString FormatSampleRate(int rate, LPCWSTR format, BOOL appendHz, BOOL autoForZero);

// The converter environment's system image list: 1 small, 2 large; null for other values.
HIMAGELIST GetSystemImageList(int which);
