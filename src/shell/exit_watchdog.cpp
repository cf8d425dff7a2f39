#include "shell/exit_watchdog.h"

#include <windows.h>

#include <atomic>

#include "shell/password.h"

namespace {
// The process's one watchdog.
struct ExitWatchdog {
    std::atomic<bool> armed{false};
    bool win9xPlatform = false;  // whether a saver-running notice may need withdrawing
};

ExitWatchdog& exitWatchdog() {
    static ExitWatchdog watchdog;
    return watchdog;
}

DWORD WINAPI endProcessWhenStillHere(LPVOID) {
    Sleep(kExitWatchdogMs);
    // Still here: something holds the end. The user saw the saver close, so the exit code is the
    // one a normal end gives; the saver-running notice must not outlive the saver.
    setSaverRunning(exitWatchdog().win9xPlatform, FALSE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
}  // namespace

void armExitWatchdog(bool win9xPlatform) {
    ExitWatchdog& watchdog = exitWatchdog();
    if (watchdog.armed.exchange(true)) return;
    watchdog.win9xPlatform = win9xPlatform;
    HANDLE thread = CreateThread(nullptr, 0, endProcessWhenStillHere, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}
