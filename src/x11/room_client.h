#pragma once
#include "effects/effects_playback.h"

// How the logo reaches the room on this host.
EffectsClient roomEffectsClient();
