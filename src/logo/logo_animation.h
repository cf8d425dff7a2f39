#pragma once
#include <atomic>
#include <cstdint>

#include "effects/effects_playback.h"
#include "logo/logo_clock.h"
#include "logo/outline_table.h"
#include "settings/saver_settings.h"

// The one animated logo of a saver window: its outline in scene units, the colour and sweep of the
// current cycle, and its effects link. The animation thread writes the animated values while the
// window thread draws them, so each is a 32-bit atomic, written and read whole without a lock.
class LogoAnimation {
public:
    // Builds the outline, takes the first hue, decodes the scripts and opens the effects engine
    // through the given client.
    LogoAnimation(const SaverSettings& settings, const LogoClock& clock, const EffectsClient& client);
    // Releases the engine's handles and closes the connection; the scripts go with the link.
    ~LogoAnimation();
    LogoAnimation(const LogoAnimation&) = delete;
    LogoAnimation& operator=(const LogoAnimation&) = delete;

    float outlineX[kOutlinePointCount];
    float outlineY[kOutlinePointCount];
    std::atomic<float> hue{0.0f};
    std::atomic<float> red{0.0f};
    std::atomic<float> green{0.0f};
    std::atomic<float> blue{0.0f};
    std::atomic<std::int32_t> sweepPosition{0};
    std::uint32_t lastTick = 0;  // animation thread only, once constructed
    std::atomic<float> scale{1.0f};
    EffectsLink effects;  // scripts, engine handles and the settings that choose what is sent
};

static_assert(std::atomic<std::int32_t>::is_always_lock_free, "sweep must be shared without a lock");

// Scene units put drawing point (150, 100) at the origin, 28 drawing units to one scene unit.
float normalisedOutlineX(float drawingX);
float normalisedOutlineY(float drawingY);

// Starts a sweep cycle: the spot back before the first point, a new hue and a new scale, and the
// cycle's effects sent in its colour.
void startCycle(LogoAnimation& logo, const LogoClock& clock);

// Rewrites red, green and blue from the current hue.
void hueToColour(LogoAnimation& logo);
