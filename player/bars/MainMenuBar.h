// The main frame's menu bar on the dark chrome, with the playlist's item count and total
// duration at its right end.
#pragma once

#include "toolkit/MenuBar.h"

class CMainMenuBar : public CMenuBar {
public:
    CMainMenuBar();

    // "" for none; "%d item" or "%d items", with ", " and the total duration when it is known.
    void SetItemCountText(int count, __int64 totalDurationMs);
    void DrawBackground(CDC* pDC) override;

    CString countText;
};
