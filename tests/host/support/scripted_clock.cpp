#include "support/scripted_clock.h"

#include <gtest/gtest.h>

namespace {
ScriptedClock script;

std::uint32_t nextTick() {
    script.ticksTaken++;
    if (script.ticks.empty()) {
        ADD_FAILURE() << "the logo read more ticks than the test scripted";
        return 0;
    }
    const std::uint32_t tick = script.ticks.front();
    script.ticks.pop_front();
    return tick;
}

int nextDraw() {
    script.drawsTaken++;
    if (script.draws.empty()) {
        ADD_FAILURE() << "the logo drew more random numbers than the test scripted";
        return 0;
    }
    const int draw = script.draws.front();
    script.draws.pop_front();
    return draw;
}
}  // namespace

ScriptedClock& scriptedClock() { return script; }

LogoClock scriptedLogoClock(std::deque<std::uint32_t> ticks, std::deque<int> draws) {
    script = ScriptedClock{std::move(ticks), std::move(draws), 0, 0};
    return LogoClock{nextTick, nextDraw};
}
