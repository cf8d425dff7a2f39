#pragma once
#include <windows.h>

#include <cstdint>

#include "shell/close_rules.h"

// The signature of the password control panel's verifier: shows the prompt, non-zero on success.
using VerifyPasswordFn = BOOL(WINAPI*)(HWND owner);
// The input-method call that swaps the context associated with a window.
using AssociateContextFn = HANDLE(WINAPI*)(HWND window, HANDLE context);

// The shell's process-wide state, touched only on the window thread.
struct SaverShellState {
    // The entry's
    HINSTANCE moduleInstance = nullptr;  // the program's own module
    bool win9xPlatform = false;          // the older family: passwords are the saver's own job
    // The saver window's
    bool previewMode = false;                 // set before a preview child is made; never cleared
    HWND saverWindow = nullptr;               // the saver window once created
    UINT autoPlayMessage = 0;                 // "QueryCancelAutoPlay" on the older family, else 0
    std::uint8_t acLineStatus = kUnknownAcLineStatus;  // AC-line status seen last
    std::uint32_t mouseMoveThreshold = 4;     // pixels of travel tolerated without closing
    POINT savedCursorPos = {0, 0};            // where mouse travel is measured from
    HMODULE imeModule = nullptr;              // IMM32.DLL when already in the process
    AssociateContextFn associateContextFn = nullptr;
    HANDLE savedImeContext = nullptr;         // the input context before it was switched off
    bool endsWithWindow = false;              // the process ends with this window (not a test's)
    // The password check's
    HMODULE passwordModule = nullptr;         // PASSWORD.CPL while loaded
    VerifyPasswordFn verifyPasswordFn = nullptr;
    bool verifyingPassword = false;           // the prompt is open: re-entry guard
    bool closeApproved = false;               // set for good once closing is approved
    DWORD lastVerifyTick = 0xFFFFFFFF;        // when the last prompt closed; none yet
};
extern SaverShellState shellState;

// The flags the close-rule decisions read.
SaverWindowFlags currentSaverWindowFlags();
