#pragma once
#include <windows.h>

// A platform step that failed, told through the debugger channel as one line, "zovi: STEP failed:
// the system's own text for error (error N)", so that a debugger or Wine's +debugstr channel shows
// which step failed and why. Nothing a user sees changes: no file, no message box.
void reportFailedStep(const char* step, DWORD error);

// The same for a step whose error the platform keeps as the thread's last error.
inline void reportFailedStep(const char* step) { reportFailedStep(step, GetLastError()); }
