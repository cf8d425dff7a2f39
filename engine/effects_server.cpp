#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "engine_codes.h"
#include "engine_faults.h"
#include "engine_objects.h"
#include "journal.h"
#include "lights_output.h"
#include "link/saver_window_class.h"

// The server object: a COM object written against the shared table, so the slots the client calls
// are exactly the ones declared there. It is kept after its last release, like the handles, so a
// late call is journalled instead of reaching freed memory.
namespace {
struct ServerObject {
    EffectsServer server;
    std::atomic<std::uint32_t> references;
    int number;
};

std::atomic<int> serversMade{0};

ServerObject* objectOf(EffectsServer* self) { return reinterpret_cast<ServerObject*>(self); }

std::string nameOf(EffectsServer* self) { return "server#" + std::to_string(objectOf(self)->number); }

bool sameGuid(const EffectsGuid* a, const EffectsGuid& b) { return std::memcmp(a, &b, sizeof b) == 0; }

std::string guidText(const EffectsGuid* guid) {
    if (!guid) return "null";
    char text[48];
    std::snprintf(text, sizeof text, "\"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\"",
                  static_cast<unsigned long>(guid->data1), guid->data2, guid->data3, guid->data4[0],
                  guid->data4[1], guid->data4[2], guid->data4[3], guid->data4[4], guid->data4[5],
                  guid->data4[6], guid->data4[7]);
    return text;
}

std::uint32_t ZOVI_EFFECTS_CALL addRef(EffectsServer* self) {
    const std::uint32_t count = ++objectOf(self)->references;
    JournalLine("server", 1, "addRef").handle(nameOf(self)).write(count);
    return count;
}

std::uint32_t ZOVI_EFFECTS_CALL release(EffectsServer* self) {
    const std::uint32_t count = --objectOf(self)->references;
    if (count == 0) {
        // The last release is made on the client's server thread as it ends, while the saver's
        // window thread waits for that thread to end.
        const EngineFaults faults = currentFaults();
        slowRelease(faults);
        if (faults.sendOnRelease) {
            // An engine that sends to the saver's window: the waiting thread must still answer.
            JournalLine("faults", -1, "sendToSaver").write(0);
            const LRESULT answer = SendMessageA(FindWindowA(kSaverWindowClassName, nullptr), WM_NULL, 0, 0);
            JournalLine("faults", -1, "sentToSaver").write(answer);
        }
        JournalLine("server", 2, "release").handle(nameOf(self)).write(count);
        // Holding the release keeps that thread from ending after it was told to quit.
        if (faults.holdReleaseMs) {
            JournalLine("faults", -1, "holdRelease").number("ms", faults.holdReleaseMs).write(0);
            Sleep(faults.holdReleaseMs);
        }
        lightsObjectReleased();
        return count;
    }
    JournalLine("server", 2, "release").handle(nameOf(self)).write(count);
    return count;
}

std::int32_t ZOVI_EFFECTS_CALL queryInterface(EffectsServer* self, const EffectsGuid* iid, void** object) {
    static const EffectsGuid unknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    HRESULT result = E_NOINTERFACE;
    if (!object || !iid) {
        result = E_POINTER;
    } else if (sameGuid(iid, unknownId) || sameGuid(iid, kEffectsServerInterfaceId)) {
        ++objectOf(self)->references;
        *object = self;
        result = S_OK;
    } else {
        *object = nullptr;
    }
    JournalLine("server", 0, "queryInterface").handle(nameOf(self)).raw("iid", guidText(iid)).write(result);
    return result;
}

template <int Slot>
std::int32_t ZOVI_EFFECTS_CALL unusedSlot(EffectsServer* self) {
    JournalLine("server", Slot, "unused").handle(nameOf(self)).write(E_NOTIMPL);
    return E_NOTIMPL;
}

std::int32_t ZOVI_EFFECTS_CALL requestRoot(EffectsServer* self, std::uint32_t revision,
                                           std::int32_t* value, std::uint32_t reserved,
                                           ConnectReply* reply) {
    const EngineFaults faults = currentFaults();
    delayCall(faults);
    JournalLine line("server", 7, "requestRoot");
    line.handle(nameOf(self)).number("revision", revision).raw("value", value ? "\"given\"" : "null")
        .number("reserved", reserved);
    if (faults.requestRoot) {
        line.write(*faults.requestRoot);
        return *faults.requestRoot;
    }
    if (!reply) {
        line.write(E_POINTER);
        return E_POINTER;
    }
    if (revision != kEffectsLinkRevision || reserved != 0) {
        *reply = ConnectReply{kEngineBadArgument, nullptr, nullptr};
    } else if (faults.reply) {
        // A refused connection still carries a root, which the client hands on as received; it has
        // nothing for the release callback to do.
        *reply = ConnectReply{*faults.reply, makeRoot(), nullptr};
    } else {
        *reply = ConnectReply{kEffectsSuccess, makeRoot(), engineReleaseCallback};
    }
    line.detail("reply", "{\"code\":" + std::to_string(reply->code) + ",\"root\":\"" +
                             rootName(reply->root) + "\",\"releaseFn\":" +
                             (reply->releaseFn ? "true" : "false") + "}");
    line.write(S_OK);
    return S_OK;
}

const EffectsServerTable kServerTable = {queryInterface, addRef,         release,       unusedSlot<3>,
                                         unusedSlot<4>,  unusedSlot<5>, unusedSlot<6>, requestRoot};
}  // namespace

EffectsServer* makeServer() {
    ServerObject* made = new ServerObject{{&kServerTable}, {1}, ++serversMade};
    lightsObjectMade();
    return &made->server;
}
