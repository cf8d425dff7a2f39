#pragma once
#include <windows.h>

#include "shell/password_rules.h"
#include "shell/shell_state.h"

// The saver's own password check on the older Windows family, through the platform's password
// modules, loaded at run time from the system folder. On other platforms each call does nothing.

// Loads the verifier when the user's desktop settings want a password. Full-screen start only.
void loadPasswordModule(SaverShellState& shell);

// Frees the verifier, and withdraws the saver-running notice if one was given.
void unloadPasswordModule(SaverShellState& shell);

// The password check's state of one saver window.
struct PasswordPrompt {
    bool verifyingPassword = false;             // the prompt is open: re-entry guard
    bool closeApproved = false;                 // set for good once closing is approved
    DWORD lastVerifyTick = kNoVerificationYet;  // when the last prompt closed
};

// Decides a close request for the saver window: 0 keeps it, non-zero lets it close. May run the
// prompt, which the window answers on its own thread.
int verifyPasswordBeforeClose(PasswordPrompt& prompt, const SaverShellState& shell, HWND window);

// Runs the platform's change-password dialog for screen savers, owned by owner.
void changePassword(HWND owner);
