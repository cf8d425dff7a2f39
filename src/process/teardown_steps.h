#pragma once
#include <cstdint>

// The steps of a saver window's teardown, counted as they complete: the animation thread's end, each
// release of an engine handle, the release callback and the server thread's end. The
// process watchdog reads the count to tell an engine that is slow from one that hangs. One count
// per process, kept until it ends; any thread may add to it.
void noteTeardownStep();
std::uint32_t teardownStepsDone();
