#pragma once
#include <windows.h>

// The signature of the password control panel's verifier: shows the prompt, non-zero on success.
using VerifyPasswordFn = BOOL(WINAPI*)(HWND owner);

// What the shell knows for the whole run of the program: made by the dispatcher before any mode
// runs and kept until the process ends. Touched only on the window thread.
struct SaverShellState {
    HINSTANCE moduleInstance = nullptr;  // the program's own module
    // The older family of Windows (95, 98 and Me): the saver asks for the password itself, through
    // the platform's password modules.
    bool olderFamily = false;
    // The password verifier of a full-screen run on the older family: loaded before the saver
    // window is made and freed after its message loop. The saver-running notice is on while it is.
    HMODULE passwordModule = nullptr;            // PASSWORD.CPL while loaded
    VerifyPasswordFn verifyPasswordFn = nullptr;
};
