#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "logo/logo_animation.h"
#include "logo/logo_clock.h"

// What one saver window draws from: the sprite texture, the logo and where the logo stands. The
// window thread draws while the animation thread moves the logo, so the offsets are 32-bit atomics:
// each is written and read whole, and neither thread ever waits for the other.
struct RenderState {
    std::uint32_t spriteTexture = 0;
    std::unique_ptr<LogoAnimation> logo;
    std::atomic<float> offsetX{0.0f};
    std::atomic<float> offsetY{0.0f};
};

static_assert(std::atomic<float>::is_always_lock_free, "offsets must be shared without a lock");

// Moves the sweep by the time since the last advance; past the end it starts a new cycle and places
// the logo anew. Runs on the animation thread only.
void advanceSweep(RenderState& state, const LogoClock& clock);
