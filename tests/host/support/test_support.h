#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "effects/effects_playback.h"
#include "logo/logo_clock.h"

// An ambient-effects engine in memory: each step answers with the code set here, and every call is
// recorded with the arguments that matter, so a test can say exactly what the link asked of it.
struct FakeEngine {
    EffectsCode connectResult = 1000, openResult = 1000, createResult = 1000, playResult = 1000;
    std::vector<std::string> calls;    // "connect", "openEngine Zovi Logo Screensaver 1.0.0 10000", ...
    std::vector<std::string> scripts;  // every text played, in order
};
FakeEngine& fakeEngine();  // reset by fakeEngineClient()
// The client the logo's link is built with. By default the engine is not there at all (2011).
EffectsClient fakeEngineClient(EffectsCode connectResult = 2011);

// A LogoClock that plays back the given tick readings and random draws, and counts the draws taken.
LogoClock scriptedLogoClock(std::deque<std::uint32_t> ticks, std::deque<int> draws);
int scriptedDrawsTaken();

// One of the effect scripts as the repository holds it, to check what the build stored.
std::string repositoryScript(const std::string& name);
