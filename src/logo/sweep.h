#pragma once
#include <cstdint>

// The bright spot starts each cycle before the first outline point and moves a quarter of an index
// per millisecond; passing 500, far beyond the last point, leaves a dark pause before the next cycle.
constexpr std::int32_t kCycleStartPosition = -100;
constexpr std::int32_t kCycleEndPosition = 500;
constexpr double kSweepRatePerMs = 0.25;
constexpr double kRandomDivisor = 32767.0;

// The position after elapsedMs more milliseconds; the fraction is dropped toward zero every time.
std::int32_t advancedSweepPosition(std::int32_t position, std::uint32_t elapsedMs);

// Whether a position starts a new cycle (500 itself does not).
inline bool sweepHasEnded(std::int32_t position) { return position > kCycleEndPosition; }

// The cycle values that a random draw (0..32767) gives.
float hueFromDraw(int draw);
float scaleFromDraw(int draw);
float offsetXFromDraw(int draw);
float offsetYFromDraw(int draw);
