#pragma once
#include <cstdint>

// Where the logo takes time and chance from: the system tick count and the per-thread rand() in the
// saver, scripted sequences in tests. Each call of randomDraw yields 0..32767.
struct LogoClock {
    std::uint32_t (*tickCount)();
    int (*randomDraw)();
};
