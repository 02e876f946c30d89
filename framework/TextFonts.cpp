// The normal, underlined and bold fonts of one base font.
#include "framework/TextFonts.h"

#include "framework/Handles.h"

void CreateTextFonts(const LOGFONTW& base, CFont& normal, CFont& underline, CFont& bold)
{
    normal.CreateFontIndirect(&base);
    LOGFONTW lf = base;
    lf.lfUnderline = TRUE;
    underline.CreateFontIndirect(&lf);
    lf.lfUnderline = FALSE;
    lf.lfWeight = FW_BOLD;
    bold.CreateFontIndirect(&lf);
}
