#include "shell/exit_watchdog.h"

#include <windows.h>

#include "shell/password.h"

namespace {
DWORD WINAPI exitWatchdog(LPVOID) {
    Sleep(kExitWatchdogMs);
    // Still here: something holds the end. The user saw the saver close, so the exit code is the
    // one a normal end gives; the saver-running notice must not outlive the saver.
    setSaverRunning(FALSE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
}  // namespace

void armExitWatchdog() {
    static bool armed = false;
    if (armed) return;
    armed = true;
    HANDLE watchdog = CreateThread(nullptr, 0, exitWatchdog, nullptr, 0, nullptr);
    if (watchdog) CloseHandle(watchdog);
}
