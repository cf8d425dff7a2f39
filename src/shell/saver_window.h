#pragma once
#include <windows.h>

#include <cstdint>

#include "render/render_session.h"
#include "shell/close_rules.h"
#include "shell/password.h"
#include "shell/shell_state.h"

// The input-method call that swaps the context associated with a window.
using AssociateContextFn = HANDLE(WINAPI*)(HWND window, HANDLE context);

// One saver window: what the shell keeps for it and the render session that draws in it. The
// window's owner (runSaverWindow, or a test) keeps it for as long as the window exists; the window
// procedures reach it from the window's handle. Touched only on the window thread.
struct SaverWindow {
    explicit SaverWindow(SaverShellState& shellState) : shell(shellState) {}
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    SaverShellState& shell;
    bool previewMode = false;                 // set before a preview child is made; never cleared
    UINT autoPlayMessage = 0;                 // "QueryCancelAutoPlay" on the older family, else 0
    std::uint8_t acLineStatus = kUnknownAcLineStatus;  // AC-line status seen last
    std::uint32_t mouseMoveThreshold = 4;     // travel tolerated without closing, in 96-dpi pixels
    std::uint32_t screenDpi = kStandardDpi;   // the screen's pixels per logical inch, read at creation
    POINT savedCursorPos = {0, 0};            // where mouse travel is measured from
    HMODULE imeModule = nullptr;              // IMM32.DLL when already in the process
    AssociateContextFn associateContextFn = nullptr;
    HANDLE savedImeContext = nullptr;         // the input context before it was switched off
    PasswordPrompt password;                  // the password check's state
    bool endsProcess = false;                 // the process ends with this window
    RenderSession render;
};

// Runs a saver window and its message loop: full screen over the whole virtual screen when parent
// is null, otherwise as a preview child filling parent's client area. Returns the loop's exit code
// (0 in every outcome, also when no window could be made or another saver already runs).
int runSaverWindow(SaverShellState& shell, HWND parent);

// Registers the saver window class and creates the window for saver: a preview child filling
// parent's client area, or full screen when parent is null, without the one-instance check and
// the password module of a full-screen run. WM_CREATE has run when it returns. Null when
// registration or creation failed.
HWND createSaverWindow(SaverWindow& saver, HWND parent);

// The saver window class's procedure: it filters messages and hands the rest to the render host.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Below the shell's filter: WM_CREATE, WM_TIMER and WM_DESTROY drive the window's render session;
// every other message goes on to defaultSaverProc.
LRESULT renderHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where the render host sends every message it does not handle itself: the close rules, then the
// platform's default window procedure.
LRESULT defaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The saver window that a window handle belongs to; null for any other window.
SaverWindow* saverWindowOf(HWND window);
