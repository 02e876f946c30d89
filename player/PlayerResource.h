// Ids of the player's hand-written resources (the resource script includes this file too).
#pragma once

#define IDD_FILE_TYPE 113
#define IDC_FILE_TYPE_EXTENSION 1016
#define IDC_FILE_TYPE_NAME 1018
#define IDC_FILE_TYPE_ICON 1020

// Icons of the executable; the file types name them by their position in this order.
#define IDI_PLAYER_PROGRAM 128
#define IDI_PLAYER_DOCUMENT 129
#define IDI_PLAYER_VIDEO 200
#define IDI_PLAYER_AUDIO 201
#define IDI_PLAYER_PLAYLIST 202
