#include "logo/frame_shading.h"

#include <cstdlib>

#include "logo/float_rounding.h"

namespace {
constexpr double kDistanceDivisor = 90.0;
constexpr double kFadeLength = 30.0;

float tailFraction(int index) { return roundToFloat((index - kTailStartIndex) / kFadeLength); }
}  // namespace

float pointDistance(int index, std::int32_t sweepPosition) {
    return roundToFloat(std::abs(index - sweepPosition) / kDistanceDivisor);
}

float spriteAlphaAt(int index) {
    if (index <= kTailStartIndex) return kSpriteAlpha;
    return roundToFloat(0.75 - tailFraction(index));
}

float lineAlphaAt(int index) {
    if (index <= kTailStartIndex) return kLineAlpha;
    return roundToFloat((0.5 - tailFraction(index)) / 1.5);
}
