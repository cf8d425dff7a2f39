#include "logo/frame_shading.h"

#include <cstdlib>

namespace {
constexpr double kDistanceDivisor = 90.0;
constexpr double kFadeLength = 30.0;

float tailFraction(int index) {
    const float t = static_cast<float>((index - kTailStartIndex) / kFadeLength);
    return t;
}
}  // namespace

float pointDistance(int index, std::int32_t sweepPosition) {
    const int indices = std::abs(index - sweepPosition);
    const float distance = static_cast<float>(indices / kDistanceDivisor);
    return distance;
}

float spriteAlphaAt(int index) {
    if (index <= kTailStartIndex) return kSpriteAlpha;
    const float alpha = static_cast<float>(0.75 - tailFraction(index));
    return alpha;
}

float lineAlphaAt(int index) {
    if (index <= kTailStartIndex) return kLineAlpha;
    const float alpha = static_cast<float>((0.5 - tailFraction(index)) / 1.5);
    return alpha;
}
