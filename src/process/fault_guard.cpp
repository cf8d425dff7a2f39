#include "process/fault_guard.h"

#include <windows.h>

#include <exception>

#include "process/effects_last_word.h"
#include "process/saver_running_notice.h"

namespace {
// Whether the process's notice may need withdrawing; set once, before any mode runs.
bool guardedOnOlderFamily = false;

// Under a debugger a fault is the debugger's to see. Looked up by name: Windows 95 has no such call.
bool debuggerPresent() {
    using IsDebuggerPresentFn = BOOL(WINAPI*)();
    const auto isDebuggerPresent = reinterpret_cast<IsDebuggerPresentFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "IsDebuggerPresent")));
    return isDebuggerPresent && isDebuggerPresent();
}

// Terminate rather than exit: the faulting thread may hold locks that an orderly exit would wait
// on, and a saver that cannot end locks the user out of the next one.
[[noreturn]] void endAfterFault() {
    setSaverRunning(guardedOnOlderFamily, FALSE);
    giveEffectsTheirLastWord();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    ExitProcess(static_cast<UINT>(-1));  // not reached: termination does not return to its caller
}

LONG WINAPI faultGuardFilter(EXCEPTION_POINTERS*) {
    if (debuggerPresent()) return EXCEPTION_CONTINUE_SEARCH;
    endAfterFault();
}

// A C++ exception that leaves a thread of ours ends here instead of in the runtime's own handler,
// whose "runtime error" box would stand behind or over the topmost saver, with the notice still set.
[[noreturn]] void endAfterEscapedException() { endAfterFault(); }
}  // namespace

void installFaultGuard(bool olderFamily) {
    guardedOnOlderFamily = olderFamily;
    SetUnhandledExceptionFilter(faultGuardFilter);
    std::set_terminate(endAfterEscapedException);
}
