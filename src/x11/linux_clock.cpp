#include "x11/linux_clock.h"

#include <cstdint>
#include <ctime>

namespace {
thread_local std::uint32_t randomState = 1;

std::uint32_t monotonicTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Wraps modulo 2^32 like the system tick count; the logo only takes differences.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

int runtimeRandomDraw() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
}  // namespace

LogoClock linuxLogoClock() { return LogoClock{monotonicTickCount, runtimeRandomDraw}; }

void seedRuntimeRandom(unsigned seed) { randomState = seed; }
