#pragma once
#include "logo/logo_clock.h"

// Time and chance as the Windows saver takes them, so a run here draws the same hues, scales and
// places: milliseconds of a monotonic clock, and the Windows C runtime's rand() (a per-thread linear
// congruential generator, 0..32767, seed 1 until a thread seeds its own). glibc's rand() has
// neither that range nor that sequence.
LogoClock linuxLogoClock();

// Seeds the calling thread's generator; threads that never call it draw from seed 1.
void seedRuntimeRandom(unsigned seed);
