#pragma once
#include "link/effects_interface.h"

// The substitute engine's own result codes, beside the link's 1000 for success.
constexpr EffectsCode kEngineBadArgument = 3001;     // a pointer is missing or a fixed value is wrong
constexpr EffectsCode kEngineReleasedHandle = 3002;  // the handle was released before this call
constexpr EffectsCode kEngineScriptRejected = 3003;  // the script does not parse
constexpr EffectsCode kEngineUnusedSlot = 3004;      // a slot this engine does not serve
