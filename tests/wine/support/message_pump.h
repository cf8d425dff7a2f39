#pragma once
#include <windows.h>

#include <functional>

#include "shell/saver_window.h"

// Dispatches this thread's messages until the condition holds or timeoutMs pass; says which. The
// saver's own quit is dropped: it is for its message loop, and the test decides when to end.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A saver window of the real class, made as the shell makes it (full screen when parent is null)
// with a shell state of its own, and destroyed at the end of the scope. Several may live in one
// process, one after the other or side by side.
class TestSaverWindow {
public:
    explicit TestSaverWindow(HWND parent = nullptr, bool olderFamily = false, LogoClock clock = systemLogoClock());
    ~TestSaverWindow() { destroy(); }
    void destroy();
    HWND handle() const { return window; }
    SaverWindow& saver() { return saverWindow; }

private:
    SaverShellState shell;
    SaverWindow saverWindow{shell};
    HWND window = nullptr;
};
