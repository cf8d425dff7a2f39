#pragma once
#include <windows.h>

// Called before the settings dialog is shown; the dialog is shown only when it returns non-zero.
// It registers no window class, so it always lets the dialog show.
BOOL dialogClassHook(HINSTANCE instance);

// The procedure of the settings dialog (resource 2003). It shows the settings file's values when
// it opens; OK (1) writes the controls' choices to the file and ends the dialog with 1, or with 0
// when they could not be saved (the file is then as it was); Cancel, the Escape key and the close
// box (all 2) end it with 0 and write nothing.
INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the settings dialog (resource 2003 of instance) owned by owner, or by none, and returns its
// result: 1 after OK with the choices saved, 0 after Cancel, a failed save or when the class hook
// stops it, -1 when it could not be shown.
INT_PTR showConfigureDialog(HINSTANCE instance, HWND owner);
