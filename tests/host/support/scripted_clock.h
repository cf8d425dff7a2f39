#pragma once
#include <cstdint>
#include <deque>

#include "logo/logo_clock.h"

// A LogoClock that plays back given tick readings and random draws, and counts how many of each
// were taken, so a test can say exactly what the logo sees.
struct ScriptedClock {
    std::deque<std::uint32_t> ticks;
    std::deque<int> draws;
    int ticksTaken = 0;
    int drawsTaken = 0;
};

ScriptedClock& scriptedClock();  // reset by scriptedLogoClock()
LogoClock scriptedLogoClock(std::deque<std::uint32_t> ticks, std::deque<int> draws);
