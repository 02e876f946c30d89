// The framework's standard command, window and string ids (plain #defines, so resource
// scripts can include this file as well).
#pragma once

// Strings
#define AFX_IDS_APP_TITLE 0xE000        // the application name
#define AFX_IDS_IDLEMESSAGE 0xE001

// Commands
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_MRU_FILE1 0xE110
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_SELECT_ALL 0xE12A
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_HELP 0xE146
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// Help contexts of the framework's own dialogs (a file dialog's m_nIDHelp).
#define AFX_IDD_FILEOPEN 28676
#define AFX_IDD_FILESAVE 28677

// Child window ids of a frame: control bars, then the panes between them.
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF
