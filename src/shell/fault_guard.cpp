#include "shell/fault_guard.h"

#include <windows.h>

#include "shell/password.h"

namespace {
// Whether the process's notice may need withdrawing; set once, before any mode runs.
bool guardedOnOlderFamily = false;

LONG WINAPI faultGuardFilter(EXCEPTION_POINTERS*) {
    if (IsDebuggerPresent()) return EXCEPTION_CONTINUE_SEARCH;
    setSaverRunning(guardedOnOlderFamily, FALSE);
    // Terminate rather than exit: the faulting thread may hold locks that an orderly exit would
    // wait on, and a saver that cannot end locks the user out of the next one.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

void installFaultGuard(bool win9xPlatform) {
    guardedOnOlderFamily = win9xPlatform;
    SetUnhandledExceptionFilter(faultGuardFilter);
}
