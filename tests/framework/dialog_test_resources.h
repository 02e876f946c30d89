// Identifiers of the test dialogs, menus and strings (dialog_tests.rc).
#pragma once

#define IDD_TEST_DATA 100
#define IDD_TEST_PAGE1 101
#define IDD_TEST_PAGE2 102
#define IDD_TEST_LISTS 103
#define IDD_TEST_MISSING 199

#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_FLAG 1003
#define IDC_RADIO1 1004
#define IDC_RADIO2 1005
#define IDC_RADIO3 1006
#define IDC_COMBO 1007
#define IDC_SLIDER 1008
#define IDC_ODBUTTON 1009
#define IDC_PAGE1_EDIT 1101
#define IDC_PAGE2_EDIT 1201
#define IDC_LIST 1301
#define IDC_TREE 1302

#define IDR_TEST_MENU 200
#define IDR_TEST_TOOLBAR 300
#define ID_TEST_OPEN 40001
#define ID_TEST_SAVE 40002
#define ID_TEST_CLOSE 40003
#define ID_TEST_RECENT 40004

#define IDS_TEST_TITLE 500
