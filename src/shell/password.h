#pragma once
#include <windows.h>

// The saver's own password check on the older Windows family, through the platform's password
// modules, loaded at run time from the system folder. On other platforms each call does nothing.

// Tells the system that a password-protected saver runs (on) or no longer runs (off).
void setSaverRunning(BOOL on);

// Loads the verifier when the user's desktop settings want a password. Full-screen start only.
void loadPasswordModule();

// Frees the verifier, and withdraws the saver-running notice if one was given.
void unloadPasswordModule();

// Decides a close request: 0 keeps the saver, non-zero lets it close. May run the prompt.
int verifyPasswordBeforeClose(HWND window);

// Runs the platform's change-password dialog for screen savers, owned by owner.
void changePassword(HWND owner);
