#include "x11/room_client.h"

#include "effects/connect_codes.h"

namespace {
// No room engine on this host: the logo runs without effects, as the Windows saver does without one.
EffectsCode noEngine(EffectsRoot**, std::int32_t*) { return kConnectNotAvailable; }
void nothingToDisconnect() {}
}  // namespace

EffectsClient roomEffectsClient() { return EffectsClient{noEngine, nothingToDisconnect}; }
