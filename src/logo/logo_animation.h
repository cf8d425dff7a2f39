#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "effects/effects_playback.h"
#include "logo/logo_clock.h"
#include "logo/outline_table.h"

struct RenderState;

// The one animated logo: its outline in scene units, the colour and sweep of the current cycle, the
// effect scripts and engine handles, and the user's settings. The animation thread writes the
// animated values while the window thread draws them, so each is a 32-bit atomic, written and read
// whole without a lock. The effects fields are written before the animation thread starts (and
// effectsResult by whichever thread makes a call), so they need none.
class LogoAnimation {
public:
    // Builds the logo, decodes the scripts and opens the effects engine through the given client.
    LogoAnimation(bool fadeToBackground, bool lightsEnabled, bool fansEnabled, bool rumblesEnabled,
                  const LogoClock& clock, const EffectsClient& effects);
    // Releases the engine's handles and closes the connection; the scripts go last.
    ~LogoAnimation();
    LogoAnimation(const LogoAnimation&) = delete;
    LogoAnimation& operator=(const LogoAnimation&) = delete;

    float outlineX[kOutlinePointCount];
    float outlineY[kOutlinePointCount];
    std::atomic<float> hue{0.0f};
    std::atomic<float> red{0.0f};
    std::atomic<float> green{0.0f};
    std::atomic<float> blue{0.0f};
    std::string lightScriptFadeToBlack;
    std::string lightScriptFadeToBackground;
    std::string fanScript;
    std::string rumbleScript;
    EffectsRoot* effectsRoot = nullptr;
    EffectsCode effectsResult = 0;
    EffectsEngine* effectsEngine = nullptr;
    EffectsPlayer* effectsPlayer = nullptr;
    bool effectsReady = false;
    bool fadeToBackground;
    bool lightsEnabled;
    bool fansEnabled;
    bool rumblesEnabled;
    std::atomic<std::int32_t> sweepPosition{0};
    std::uint32_t lastTick = 0;  // animation thread only, once constructed
    std::atomic<float> scale{1.0f};
    EffectsClient effectsClient;  // the link opened at construction and closed at destruction
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

// Moves the sweep by the time since the last advance; past the end it starts a new cycle and places
// the logo anew. Runs on the animation thread only.
void advanceSweep(RenderState& state, const LogoClock& clock);
