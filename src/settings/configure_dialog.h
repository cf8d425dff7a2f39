#pragma once
#include <windows.h>

// Called before the settings dialog is shown; the dialog is shown only when it returns non-zero.
BOOL dialogClassHook(HINSTANCE instance);

// The procedure of the settings dialog (resource 2003): ends with 1 after OK, 0 after Cancel.
INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
