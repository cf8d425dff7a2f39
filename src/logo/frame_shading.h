#pragma once
#include <cstdint>

#include "logo/float_rounding.h"

// How each outline point is lit in a frame. A point darkens by 1/90 per index of distance from the
// spot, so with the brightest channel at 0.7 nothing beyond 63 indices adds light. Past index 184
// the outline retraces its start, and sprites and line fade out over that tail.
constexpr int kTailStartIndex = 184;
constexpr float kSpriteHalfSize = 0.65f;
constexpr float kSpriteAlpha = 0.75f;
constexpr float kLineAlpha = 0.3f;

// Darkening of point index for a spot at sweepPosition.
float pointDistance(int index, std::int32_t sweepPosition);

// Alpha of the sprite at index; not greater than 0 means the sprite is not drawn.
float spriteAlphaAt(int index);

// Alpha of the line vertex at index; negative values are sent and clamped by the pipeline.
float lineAlphaAt(int index);

// A colour channel darkened by a point's distance; below 0 it is passed on as it is.
inline float shadedChannel(float channel, float distance) { return roundToFloat(channel - distance); }
