#pragma once
#include <windows.h>

// Tells the system that a password-protected saver runs (on) or no longer runs (off). Only the older
// family keeps such a notice; elsewhere nothing is done. The notice is one per system, so any thread
// may withdraw it: the password module gives it, and the fault guard and the watchdog withdraw it
// before they end the process.
void setSaverRunning(bool olderFamily, BOOL on);
