#include "support/scripted_clock.h"

#include <gtest/gtest.h>

namespace {
ScriptedClock script;

template <typename T>
T next(std::deque<T>& values, int& taken) {
    taken++;
    if (values.empty()) {
        ADD_FAILURE() << "the logo took more readings than the test scripted";
        return 0;
    }
    const T value = values.front();
    values.pop_front();
    return value;
}

std::uint32_t nextTick() { return next(script.ticks, script.ticksTaken); }
int nextDraw() { return next(script.draws, script.drawsTaken); }
}  // namespace

ScriptedClock& scriptedClock() { return script; }

LogoClock scriptedLogoClock(std::deque<std::uint32_t> ticks, std::deque<int> draws) {
    script = ScriptedClock{std::move(ticks), std::move(draws), 0, 0};
    return LogoClock{nextTick, nextDraw};
}
