// Resource ids of Ravento: dialog templates and their controls, and the drawn resources the
// environment and the dialogs load.
#pragma once

// Drawn resources (resources/converter/converter_tables.py).
#define IDR_CONVERTER_ICON 128
#define IDC_CONVERTER_HAND 800
#define IDB_SIZE_GRIP 154
#define IDB_FORMAT_ICONS 141
#define IDB_MEDIA_TYPE_ICONS 166

// "Rename, Overwrite, or Cancel?"
#define IDD_FILE_EXISTS 501
#define IDC_FILE_EXISTS_ICON 1002
#define IDC_FILE_EXISTS_LABEL 1052
#define IDC_FILE_EXISTS_NAME 1025
#define IDC_FILE_EXISTS_NEW_NAME 1029
#define IDC_FILE_EXISTS_REMEMBER 1084
#define IDC_AUTO_CLOSE 2151
#define IDC_FILE_EXISTS_RENAME 1126
#define IDC_FILE_EXISTS_OVERWRITE 1091
