#pragma once
#include "effects/effects_playback.h"

// The room engine built into the same program (the native Linux host), where no COM server stands
// between the logo and the engine: its client. The engine defines it, so the hosts that use it reach
// the engine only through the effects link, as the Windows saver does.
EffectsClient inProcessEngineClient();
