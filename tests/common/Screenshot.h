// Screenshots of the test display, saved as PNG files for a person to look at after a run.
//
//   CString png = SaveWindowScreenshot(L"toolkit", L"hover-button-hot", hwnd);  // the window's rectangle
//   SaveScreenRectScreenshot(L"toolkit", L"bar-strip", screenRect);             // any part of the screen
//   SaveScreenScreenshot(L"toolkit", L"desktop");                               // the whole screen
//
// Files go to %TEST_OUTPUT_DIR%\<area>\<name>.png (add_project_test sets TEST_OUTPUT_DIR to
// <build>\test-output, which scripts/test never empties; without it, the system's temporary folder
// + "\test-output"). A later run overwrites a file of the same name.
//
// The pictures are read back from the screen with GDI, so the window must be shown and on top: the
// helper has the window painted first and then captures until two captures in a row agree (the
// display driver may show what was drawn a little later), or until a deadline passes. Each function
// returns the path written, or an empty string when nothing could be written.
// CaptureScreenRect is the capture alone, for tests that also check pixels of what they save;
// RenderPixels draws off the screen and reads the result back.
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <functional>
#include <vector>

class CRasterImage;

CString SaveWindowScreenshot(LPCWSTR area, LPCWSTR name, HWND window);
CString SaveScreenRectScreenshot(LPCWSTR area, LPCWSTR name, const RECT& screenRect);
CString SaveScreenScreenshot(LPCWSTR area, LPCWSTR name);

// The screen rectangle (cut to the screen) as a 24-bit image, once it is stable; false when empty.
bool CaptureScreenRect(const RECT& screenRect, CRasterImage& image);
// Writes an image where the screenshots go; the path or an empty string.
CString SaveTestImage(LPCWSTR area, LPCWSTR name, CRasterImage& image);

// What 'draw' paints on a screen-compatible memory bitmap of w x h filled with 'ground' first: the
// pixels as COLORREF values, row after row from the top.
std::vector<COLORREF> RenderPixels(int w, int h, COLORREF ground, const std::function<void(HDC)>& draw);
