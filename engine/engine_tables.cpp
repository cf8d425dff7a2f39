#include <atomic>
#include <cstdio>
#include <type_traits>

#include "engine_codes.h"
#include "engine_faults.h"
#include "engine_objects.h"
#include "journal.h"
#include "json_text.h"
#include "lights_output.h"
#include "script_language.h"

// Each handle is the address of its table, which is the first member of the object behind it.
// Released objects are kept for the life of the process: a call through a released handle is
// answered and journalled rather than reaching freed memory.
namespace {
template <typename Table>
struct HandleObject {
    Table table;
    char name[24];
    std::atomic<bool> released{false};
};
std::atomic<int> rootsMade{0}, enginesMade{0}, playersMade{0};

template <typename Table>
HandleObject<Table>* objectOf(Table* handle) {
    static_assert(std::is_standard_layout<HandleObject<Table>>::value,
                  "the table must share its address with the object");
    return reinterpret_cast<HandleObject<Table>*>(handle);
}

template <typename Table>
Table* newHandle(const Table& table, const char* kind, std::atomic<int>& made) {
    HandleObject<Table>* object = new HandleObject<Table>{table, {}};
    std::snprintf(object->name, sizeof object->name, "%s#%d", kind, ++made);
    lightsObjectMade();
    return &object->table;
}

template <typename Table>
std::string nameOf(Table* handle) {
    return handle ? objectOf(handle)->name : std::string("null");
}

template <typename Table>
EffectsCode releaseHandle(const char* table, Table* self) {
    slowRelease(currentFaults());
    const bool already = objectOf(self)->released.exchange(true);
    const EffectsCode result = already ? kEngineReleasedHandle : kEffectsSuccess;
    JournalLine(table, 0, "release").handle(nameOf(self)).write(result);
    if (!already) lightsObjectReleased();
    return result;
}

template <int Slot>
EffectsCode ZOVI_EFFECTS_CALL unusedRootSlot(EffectsRoot* self) {
    JournalLine("root", Slot, "unused").handle(nameOf(self)).write(kEngineUnusedSlot);
    return kEngineUnusedSlot;
}
EffectsCode ZOVI_EFFECTS_CALL unusedEngineSlot(EffectsEngine* self) {
    JournalLine("engine", 1, "unused").handle(nameOf(self)).write(kEngineUnusedSlot);
    return kEngineUnusedSlot;
}
EffectsCode ZOVI_EFFECTS_CALL unusedPlayerSlot(EffectsPlayer* self) {
    JournalLine("player", 1, "unused").handle(nameOf(self)).write(kEngineUnusedSlot);
    return kEngineUnusedSlot;
}

EffectsCode ZOVI_EFFECTS_CALL releaseRoot(EffectsRoot* self) { return releaseHandle("root", self); }
EffectsCode ZOVI_EFFECTS_CALL releaseEngine(EffectsEngine* self) { return releaseHandle("engine", self); }
EffectsCode ZOVI_EFFECTS_CALL releasePlayer(EffectsPlayer* self) { return releaseHandle("player", self); }

EffectsCode ZOVI_EFFECTS_CALL playScript(EffectsPlayer* self, const char* text, std::uint32_t length,
                                         std::int32_t zero1, std::int32_t zero2, std::int32_t zero3,
                                         std::int32_t trailer) {
    const EngineFaults faults = currentFaults();
    delayCall(faults);
    JournalLine line("player", 2, "playScript");
    line.handle(nameOf(self)).number("length", length).number("zero1", zero1).number("zero2", zero2)
        .number("zero3", zero3).number("trailer", trailer);
    EffectsCode result = kEffectsSuccess;
    if (objectOf(self)->released) {
        result = kEngineReleasedHandle;
    } else if ((!text && length) || zero1 || zero2 || zero3 || trailer != kEffectsCallTrailer) {
        result = kEngineBadArgument;
    } else {
        const ParsedScript parsed = parseEffectsScript(text, length);
        std::string script;
        appendJsonString(script, text, length);
        line.detail("script", script).detail("parsed", scriptSummaryJson(parsed));
        if (!parsed.parsed) result = kEngineScriptRejected;
        if (faults.playScript) result = *faults.playScript;
        if (result == kEffectsSuccess) {
            const std::string lights = lightsPlay(parsed);
            if (!lights.empty()) line.detail("lights", lights);
        }
    }
    line.write(result);
    return result;
}

EffectsCode ZOVI_EFFECTS_CALL createPlayer(EffectsEngine* self, std::int32_t zero1, std::int32_t zero2,
                                           std::int32_t zero3, EffectsPlayer** player, std::int32_t trailer) {
    const EngineFaults faults = currentFaults();
    delayCall(faults);
    JournalLine line("engine", 2, "createPlayer");
    line.handle(nameOf(self)).number("zero1", zero1).number("zero2", zero2).number("zero3", zero3)
        .number("trailer", trailer);
    EffectsCode result = kEffectsSuccess;
    if (objectOf(self)->released) {
        result = kEngineReleasedHandle;
    } else if (!player || zero1 || zero2 || zero3 || trailer != kEffectsCallTrailer) {
        result = kEngineBadArgument;
    } else if (faults.createPlayer) {
        result = *faults.createPlayer;
    } else {
        *player = newHandle(EffectsPlayer{releasePlayer, unusedPlayerSlot, playScript}, "player",
                            playersMade);
        line.detail("player", "\"" + nameOf(*player) + "\"");
    }
    line.write(result);
    return result;
}

EffectsCode ZOVI_EFFECTS_CALL openEngine(EffectsRoot* self, EffectsEngine** engine,
                                         const char* applicationName, const char* version,
                                         std::int32_t trailer) {
    const EngineFaults faults = currentFaults();
    delayCall(faults);
    JournalLine line("root", 5, "openEngine");
    line.handle(nameOf(self)).text("application", applicationName).text("version", version)
        .number("trailer", trailer);
    EffectsCode result = kEffectsSuccess;
    if (objectOf(self)->released) {
        result = kEngineReleasedHandle;
    } else if (!engine || !applicationName || !version || trailer != kEffectsCallTrailer) {
        result = kEngineBadArgument;
    } else if (faults.openEngine) {
        result = *faults.openEngine;
    } else {
        *engine = newHandle(EffectsEngine{releaseEngine, unusedEngineSlot, createPlayer}, "engine",
                            enginesMade);
        line.detail("engine", "\"" + nameOf(*engine) + "\"");
    }
    line.write(result);
    return result;
}
}  // namespace

EffectsRoot* makeRoot() {
    return newHandle(EffectsRoot{releaseRoot, unusedRootSlot<1>, unusedRootSlot<2>, unusedRootSlot<3>,
                                 unusedRootSlot<4>, openEngine},
                     "root", rootsMade);
}

std::string rootName(EffectsRoot* root) { return nameOf(root); }

void ZOVI_EFFECTS_CALL engineReleaseCallback() {
    slowRelease(currentFaults());
    JournalLine("link", -1, "releaseCallback").write(0);
}
