#pragma once
// Identifiers of the program's resources and of the settings dialog's controls, shared by the
// resource script and the code. Only #define lines: the resource compiler reads this file too.

#define IDS_DESCRIPTION 1  // the name the desktop lists among its screen savers
#define IDI_ZOVI 5
#define IDD_SETTINGS 2003

#define IDC_FADE_TO_BLACK 1003
#define IDC_FADE_TO_BACKGROUND 1004
#define IDC_LIGHTS 1005
#define IDC_FANS 1006
#define IDC_RUMBLES 1007
#define IDC_ZOVI_ICON 1009
