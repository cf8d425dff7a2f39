#pragma once
#include <cstdint>

#include "link/effects_interface.h"

// The client's own failures, as connectEffects reports them.
constexpr EffectsCode kConnectNoRootPlace = 2002;     // no place was given for the root table
constexpr EffectsCode kConnectNoResources = 2003;     // lock, event or thread, or COM could not start
constexpr EffectsCode kConnectNotAvailable = 2011;    // the engine's class or interface is missing
constexpr EffectsCode kConnectRefused = 2012;         // requestRoot did not return S_OK
constexpr EffectsCode kConnectServerFailed = 2014;    // the server failed for any other reason
constexpr EffectsCode kConnectClassDisabled = 2015;   // the engine's class is disabled

// The code a failed server start gives for the HRESULT of the server thread's last COM step.
EffectsCode connectCodeForServerResult(std::int32_t hresult);
