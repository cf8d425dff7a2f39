#include "support/effects_stand_in.h"

namespace {
EffectsStandIn standIn;

EffectsCode connect(EffectsRoot** root, std::int32_t* value) {
    standIn.connects++;
    if (root) *root = nullptr;
    if (value) *value = 0;
    return standIn.connectResult;
}

void disconnect() { standIn.disconnects++; }
}  // namespace

EffectsStandIn& effectsStandIn() { return standIn; }

EffectsClient noEffectsEngine(EffectsCode connectResult) {
    standIn = EffectsStandIn{connectResult, 0, 0};
    return EffectsClient{connect, disconnect};
}
