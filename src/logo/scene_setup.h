#pragma once
#include "effects/effects_playback.h"
#include "logo/logo_clock.h"
#include "logo/render_state.h"
#include "settings/saver_settings.h"

// Fixes the GL state for the whole run and builds the sprite texture, then sets up the logo (below)
// and turns on face culling. Runs once per window, on the window thread, with the GL context current.
void setUpScene(RenderState& state, const SaverSettings& settings, const LogoClock& clock,
                const EffectsClient& effects);

// The logo alone, centred: built (which opens the effects engine through the given client) and its
// first cycle started. setUpScene's middle step; a window without a GL context runs just this, so
// its sweep and effects go on while nothing is drawn.
void setUpLogo(RenderState& state, const SaverSettings& settings, const LogoClock& clock,
               const EffectsClient& effects);
