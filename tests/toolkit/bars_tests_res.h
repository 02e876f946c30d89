// Identifiers of the bar, frame and dialog tests' resources (bars_tests.rc).
#pragma once

#define IDR_BARS_FRAME 610            // menu and caption of the menu-bar frame
#define IDD_BARS_PAGE_GENERAL 620
#define IDD_BARS_PAGE_MORE 621

#define IDC_BARS_PAGE_EDIT 1201
#define IDC_BARS_PAGE_CHECK 1202

// Commands of the frame's menu.
#define ID_BARS_OPEN 32821            // has a handler in the frame
#define ID_BARS_SAVE 32822            // no handler anywhere: disabled
#define ID_BARS_REPEAT 32811          // handler and a check mark
#define ID_BARS_RECENT 32830          // first item of a submenu, no handler
#define ID_BARS_UNDO 32840
#define ID_BARS_ABOUT 32850
#define ID_BARS_OPTIONS 32860
