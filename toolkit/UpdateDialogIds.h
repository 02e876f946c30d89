// Templates and control ids of the two update dialogs; shared by their code and by the resource
// scripts that include toolkit/UpdateDialogs.rc (both programs and the toolkit tests).
#pragma once

#define IDD_UPDATE_PROGRESS 526
#define IDD_NEW_VERSION 527

#define IDC_UPDATE_AUTO_CHECK 1000       // new version: "Auto check for updates"
#define IDC_UPDATE_DESCRIPTION 1001
#define IDC_UPDATE_LEARN_MORE 1002       // link to the product page
#define IDC_UPDATE_TITLE 1022            // both: the headline
#define IDC_UPDATE_NEW_VERSION 1026      // link: the newest version number
#define IDC_UPDATE_PROGRESS 1099
#define IDC_UPDATE_PROGRESS_AUTO 1100    // progress: "Auto check for updates"
#define IDC_UPDATE_YOUR_VERSION 1108
