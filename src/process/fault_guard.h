#pragma once

// A fault that escapes a mode, or a C++ exception that leaves a thread, must not leave the system
// believing a password-protected saver still runs: the guard withdraws the saver-running notice, gives
// the effects engine its last word (effects_last_word.h) and ends the process with exit code -1,
// without a word. Under a debugger a fault is left to the
// debugger. One guard per process, installed by the dispatcher before any mode runs and kept until
// the process ends.
void installFaultGuard(bool olderFamily);
