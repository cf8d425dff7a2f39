#pragma once
#include <windows.h>

// Runs the saver window and its message loop: full screen over the whole virtual screen when parent
// is null, otherwise as a preview child filling parent's client area. Returns the loop's exit code
// (0 in every outcome, also when no window could be made or another saver already runs).
int runSaverWindow(HWND parent);

// Registers the saver window class and creates the window of the mode, without the one-instance
// check and the password module of a full-screen run; WM_CREATE has run when it returns. Null when
// registration or creation failed.
HWND createSaverWindow(HWND parent);

// The saver window class's procedure: it filters messages and hands the rest to the render host.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where the render host sends every message it does not handle itself: the close rules, then the
// platform's default window procedure.
LRESULT defaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
