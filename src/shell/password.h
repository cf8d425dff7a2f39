#pragma once
#include <windows.h>

#include "shell/shell_state.h"

struct SaverWindow;

// The saver's own password check on the older Windows family, through the platform's password
// modules, loaded at run time from the system folder. On other platforms each call does nothing.

// Tells the system that a password-protected saver runs (on) or no longer runs (off). The notice is
// one per system; any thread may withdraw it.
void setSaverRunning(bool win9xPlatform, BOOL on);

// Loads the verifier when the user's desktop settings want a password. Full-screen start only.
void loadPasswordModule(SaverShellState& shell);

// Frees the verifier, and withdraws the saver-running notice if one was given.
void unloadPasswordModule(SaverShellState& shell);

// Decides a close request for the saver window: 0 keeps it, non-zero lets it close. May run the
// prompt.
int verifyPasswordBeforeClose(SaverWindow& saver, HWND window);

// Runs the platform's change-password dialog for screen savers, owned by owner.
void changePassword(HWND owner);
