// Destination names: numbered titles, unique paths, the existing-file check with its prompt, and
// the locations of the player program and of gifsicle.
#pragma once

#include <windows.h>

#include "framework/String.h"

// The first "title (n)", n from 1, with no file folder\"title (n)"extension; the plain title is
// not tried. A title too long for the number and the extension to fit one name is cut.
CString MakeNumberedFileName(LPCWSTR folder, LPCWSTR title, LPCWSTR extension);
// folder\title+extension when free, else the first free numbered form.
CString MakeUniqueFilePath(LPCWSTR folder, LPCWSTR title, LPCWSTR extension);
// 0 when nothing exists at path; else 1 with path and answer decided (a standing answer 11, 12
// or 13 applies without asking). A prompt that cannot be run gives answer 3 (skip).
int CheckExistingFile(CString& path, int& answer);

// The player program beside the converter, and the optimiser in its Modules folder.
CString GetPlayerExePath();
CString GetGifsiclePath();
