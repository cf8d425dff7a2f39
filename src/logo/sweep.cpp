#include "logo/sweep.h"

#include "logo/float_rounding.h"

std::int32_t advancedSweepPosition(std::int32_t position, std::uint32_t elapsedMs) {
    const double advanced = static_cast<double>(elapsedMs) * kSweepRatePerMs + position;
    return static_cast<std::int32_t>(advanced);
}

float hueFromDraw(int draw) { return roundToFloat(draw / kRandomDivisor); }

float scaleFromDraw(int draw) { return roundToFloat(roundToFloat(draw / kRandomDivisor) + 0.5); }

float offsetXFromDraw(int draw) { return roundToFloat((draw / kRandomDivisor - 0.5) * 20.0); }

float offsetYFromDraw(int draw) { return roundToFloat((draw / kRandomDivisor - 0.5) * 15.0); }
