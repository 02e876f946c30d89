// Template and control ids of the "Select a Folder" dialog; shared by its code and by the resource
// scripts that include toolkit/SelectFolderDlg.rc (the player's and the toolkit tests').
#pragma once

#define IDD_SELECT_FOLDER 104

#define IDC_SELECT_FOLDER_PATTERN 1018   // "Add Files Matched:" pattern combo
#define IDC_SELECT_FOLDER_TREE 1019
#define IDC_SELECT_FOLDER_TEXT 1022      // the prompt above the tree
#define IDC_SELECT_FOLDER_SUBFOLDERS 1025
#define IDC_SELECT_FOLDER_LABEL 1028
#define IDC_SELECT_FOLDER_PRESETS 1032   // "..." button with the presets' menu
