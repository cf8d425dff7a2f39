#pragma once
#include <string>
#include <vector>

#include "effects/effects_playback.h"

// An ambient-effects engine in memory: connect, openEngine, createPlayer and playScript answer with
// the codes set here, and every call is recorded with the arguments that matter, so a test can say
// exactly what the link asked of the engine.
struct FakeEngine {
    EffectsCode connectResult = 1000;
    EffectsCode openResult = 1000;
    EffectsCode createResult = 1000;
    EffectsCode playResult = 1000;
    std::vector<std::string> calls;    // "connect", "openEngine Zovi Logo Screensaver 1.0.0 10000", ...
    std::vector<std::string> scripts;  // every text played, in order
};

FakeEngine& fakeEngine();  // reset by fakeEngineClient()

// The client the logo's link is built with. By default the engine is not there at all (2011).
EffectsClient fakeEngineClient(EffectsCode connectResult = 2011);
