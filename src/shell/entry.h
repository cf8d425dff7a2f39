#pragma once
#include <windows.h>

// Takes the command tail out of the process command line, runs the mode it names and ends the
// process with the mode's result. Does not return.
[[noreturn]] void saverEntry();

// Runs the mode named by the command tail and returns the process exit code: the dialog's result,
// the saver window's 0, or -1 for an option that cannot run.
int dispatchCommandLine(HINSTANCE instance, const char* commandTail);
