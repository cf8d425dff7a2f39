#pragma once
#include "effects/effects_playback.h"

// The link as the logo finds it on a machine without the engine: every connect answers with the
// given code and sets nothing. Counts the calls, so a test can see that teardown still disconnects.
struct EffectsStandIn {
    EffectsCode connectResult = 2011;
    int connects = 0;
    int disconnects = 0;
};

EffectsStandIn& effectsStandIn();  // reset by noEffectsEngine()
EffectsClient noEffectsEngine(EffectsCode connectResult = 2011);
