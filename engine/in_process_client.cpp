#include "effects/in_process_engine.h"

#include <mutex>

#include "effects/connect_codes.h"
#include "engine_objects.h"
#include "journal.h"
#include "lights_output.h"

namespace {
// The room engine runs inside the program, built from the same code as the Windows one: its root is
// handed out directly, with no server object between. Without a lights configuration it opens nothing.
EffectsCode connectToEngine(EffectsRoot** root, std::int32_t* value) {
    if (!root) return kConnectNoRootPlace;
    if (value) *value = 0;
    static std::once_flag prepared;
    std::call_once(prepared, [] {
        startJournal();
        prepareLightsOutput();
    });
    *root = makeRoot();
    return kEffectsSuccess;
}

void disconnectFromEngine() { engineReleaseCallback(); }
}  // namespace

EffectsClient inProcessEngineClient() { return EffectsClient{connectToEngine, disconnectFromEngine}; }
