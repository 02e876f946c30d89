// The drawn resources a program's windows load, written down independently of the generator's
// tables, and the checks both programs' resource tests run on them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/String.h"

namespace rescensus {

enum Kind { KIND_BITMAP, KIND_ICON, KIND_CURSOR, KIND_ANICURSOR, KIND_PNG };

struct Entry {
    int id;
    Kind kind;
    int cellWidth;
    int cellHeight;
    int cells;
    COLORREF mask;     // bitmaps: the colour the image list masks out
    COLORREF ground;   // what the picture is shown on
};

// Loads a bitmap strip of the module (null: this program) into an image list the way the windows
// do (32-bit with mask); the number of images it gave, -1 when the bitmap did not load.
int LoadStrip(const Entry& e, HIMAGELIST& list, HMODULE module = nullptr);
// Checks one entry: the bitmap's size is cells x cell size, every cell draws something on its
// ground, no two cells are alike, and the mask colour covers part of the strip; icons load at
// their sizes; cursors and animated cursors load with their frames; PNG pictures decode with
// alpha. Failures are reported through GoogleTest with the entry's id.
void CheckEntry(const Entry& e, HMODULE module);
// Draws every entry on its ground, magnified, into a window and saves its screenshot.
CString ShowAll(const std::vector<Entry>& entries, HMODULE module, LPCWSTR area, LPCWSTR name);

}  // namespace rescensus
