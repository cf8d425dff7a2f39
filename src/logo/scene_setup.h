#pragma once
#include "logo/logo_clock.h"
#include "render/render_state.h"

// Fixes the GL state for the whole run, builds the sprite texture, constructs the logo (which opens
// the effects engine through the given client) and starts its first cycle, centred. Runs once, on
// the window thread, with the GL context current.
void setUpScene(RenderState& state, bool fadeToBackground, bool lightsEnabled, bool fansEnabled,
                bool rumblesEnabled, const LogoClock& clock, const EffectsClient& effects);
