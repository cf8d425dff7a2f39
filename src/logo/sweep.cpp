#include "logo/sweep.h"

std::int32_t advancedSweepPosition(std::int32_t position, std::uint32_t elapsedMs) {
    const double advanced = static_cast<double>(elapsedMs) * kSweepRatePerMs + position;
    return static_cast<std::int32_t>(advanced);
}

float hueFromDraw(int draw) {
    const float hue = static_cast<float>(draw / kRandomDivisor);
    return hue;
}

float scaleFromDraw(int draw) {
    const float unit = static_cast<float>(draw / kRandomDivisor);
    const float scale = static_cast<float>(unit + 0.5);
    return scale;
}

float offsetXFromDraw(int draw) {
    const float offset = static_cast<float>((draw / kRandomDivisor - 0.5) * 20.0);
    return offset;
}

float offsetYFromDraw(int draw) {
    const float offset = static_cast<float>((draw / kRandomDivisor - 0.5) * 15.0);
    return offset;
}
