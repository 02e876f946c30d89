// Templates and control ids of the About box; shared by its code and by the resource scripts that
// hold its templates (the player's, the converter's and the toolkit tests').
#pragma once

#define IDD_ABOUTBOX 100             // the player's
#define IDD_ABOUTBOX_CONVERTER 500   // the converter's

#define IDC_ABOUT_WEB_SITE 1002      // link: the maker's web site
#define IDC_ABOUT_MAIL 1004          // link: the support e-mail address
#define IDC_ABOUT_TITLE 1022         // "<name> 3"
#define IDC_ABOUT_NOTICE 1024        // the notice line
#define IDC_ABOUT_VERSION 1026       // "Version 3.3.0"
