// Ids of the frame test program's menu, accelerators and strings.
#pragma once

#define IDR_TESTFRAME 700
#define ID_T_VIEWCMD 41001
#define ID_T_DOCCMD 41002
#define ID_T_FRAMECMD 41003
#define ID_T_APPCMD 41004
#define ID_T_SHARED 41005
#define ID_T_NOHANDLER 41006
#define ID_T_DISABLED 41007
#define ID_T_CHECKED 41008
#define ID_T_RADIO 41009
#define ID_T_TEXT 41010
#define ID_T_SUBFIRST 41011
#define ID_T_CONTINUE 41012
#define ID_T_VIEWBCMD 41013
#define ID_T_RECENT 41014
#define ID_T_INSERTED1 41015
#define ID_T_INSERTED2 41016
#define ID_T_CHECKBOX 41017
#define ID_T_SELFUPDATE 41018
