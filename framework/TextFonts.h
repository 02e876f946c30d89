// The text fonts both programs derive from one base font for their windows: the font itself,
// underlined (for links) and bold.
#pragma once

#include <windows.h>

class CFont;

void CreateTextFonts(const LOGFONTW& base, CFont& normal, CFont& underline, CFont& bold);
