#pragma once
// The effects link as both sides see it: the ambient-effects engine's COM class, its server
// interface and the function tables it hands out. The saver (client and playback) and the
// substitute engine in engine/ include this one header, so the two cannot drift apart.
//
// Plain C++ without the platform's headers, so the pure core can call through the tables as well.
#include <cstddef>
#include <cstdint>

// Every function of the link follows the platform's COM calling convention: __stdcall on 32-bit
// Windows (the callee pops its arguments), the one native convention elsewhere.
#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define ZOVI_EFFECTS_CALL __stdcall
#else
#define ZOVI_EFFECTS_CALL
#endif

// A COM identifier laid out as the platform's GUID.
struct EffectsGuid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// {8C779023-BD0E-43A0-A876-C4A54E0A7D5C}
constexpr EffectsGuid kEffectsServerClassId = {
    0x8C779023, 0xBD0E, 0x43A0, {0xA8, 0x76, 0xC4, 0xA5, 0x4E, 0x0A, 0x7D, 0x5C}};
// {2FEBF6A6-9B56-488B-8D2A-35848DD4AC92}
constexpr EffectsGuid kEffectsServerInterfaceId = {
    0x2FEBF6A6, 0x9B56, 0x488B, {0x8D, 0x2A, 0x35, 0x84, 0x8D, 0xD4, 0xAC, 0x92}};
// The COM class as its registry key names it.
constexpr const char* kEffectsServerClassIdText = "{8C779023-BD0E-43A0-A876-C4A54E0A7D5C}";

// Whether text, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hex, spells guid.
constexpr std::uint32_t effectsGuidHex(const char* text, int from, int digits) {
    std::uint32_t value = 0;
    for (int i = from; i < from + digits; ++i)
        value = value * 16 + static_cast<std::uint32_t>(text[i] <= '9' ? text[i] - '0' : text[i] - 'A' + 10);
    return value;
}
constexpr bool effectsGuidSpells(const EffectsGuid& guid, const char* text) {
    bool same = effectsGuidHex(text, 1, 8) == guid.data1 && effectsGuidHex(text, 10, 4) == guid.data2 &&
                effectsGuidHex(text, 15, 4) == guid.data3;
    for (int i = 0; i < 8; ++i) same = same && effectsGuidHex(text, i < 2 ? 20 + 2 * i : 21 + 2 * i, 2) == guid.data4[i];
    return same;
}
// COM is asked for the one and the registry is searched for the other: they must be one class.
static_assert(effectsGuidSpells(kEffectsServerClassId, kEffectsServerClassIdText),
              "the class identifier and its registry text name the same class");

// Result codes of the link: signed 32-bit, 1000 is success.
using EffectsCode = std::int32_t;
constexpr EffectsCode kEffectsSuccess = 1000;
// The value every table call ends with.
constexpr std::int32_t kEffectsCallTrailer = 10000;
// The first argument of requestRoot: the revision of the link the client speaks.
constexpr std::uint32_t kEffectsLinkRevision = 0x01010100;

struct EffectsRoot;
struct EffectsEngine;
struct EffectsPlayer;

// A slot the saver never calls; the engine still fills it.
template <typename Handle>
using EffectsUnusedSlot = EffectsCode(ZOVI_EFFECTS_CALL*)(Handle* self);

// Each handle points directly at its table: slot 0 first, one function pointer per slot, the handle
// itself the first argument of every function.
struct EffectsRoot {
    EffectsCode(ZOVI_EFFECTS_CALL* release)(EffectsRoot* self);
    EffectsUnusedSlot<EffectsRoot> slot1;
    EffectsUnusedSlot<EffectsRoot> slot2;
    EffectsUnusedSlot<EffectsRoot> slot3;
    EffectsUnusedSlot<EffectsRoot> slot4;
    EffectsCode(ZOVI_EFFECTS_CALL* openEngine)(EffectsRoot* self, EffectsEngine** engine,
                                               const char* applicationName, const char* version,
                                               std::int32_t trailer);
};

struct EffectsEngine {
    EffectsCode(ZOVI_EFFECTS_CALL* release)(EffectsEngine* self);
    EffectsUnusedSlot<EffectsEngine> slot1;
    EffectsCode(ZOVI_EFFECTS_CALL* createPlayer)(EffectsEngine* self, std::int32_t zero1,
                                                 std::int32_t zero2, std::int32_t zero3,
                                                 EffectsPlayer** player, std::int32_t trailer);
};

struct EffectsPlayer {
    EffectsCode(ZOVI_EFFECTS_CALL* release)(EffectsPlayer* self);
    EffectsUnusedSlot<EffectsPlayer> slot1;
    EffectsCode(ZOVI_EFFECTS_CALL* playScript)(EffectsPlayer* self, const char* text,
                                               std::uint32_t length, std::int32_t zero1,
                                               std::int32_t zero2, std::int32_t zero3,
                                               std::int32_t trailer);
};

// Run once when the last connection closes; whatever it returns is ignored.
using EffectsReleaseCallback = void(ZOVI_EFFECTS_CALL*)();

// What requestRoot fills in. Read only after requestRoot returned S_OK.
struct ConnectReply {
    EffectsCode code;
    EffectsRoot* root;
    EffectsReleaseCallback releaseFn;
};

// The engine's records are laid out for a 32-bit process: three 4-byte fields, no padding.
static_assert(sizeof(void*) != 4 || (sizeof(ConnectReply) == 12 && offsetof(ConnectReply, root) == 4 &&
                                      offsetof(ConnectReply, releaseFn) == 8),
              "ConnectReply must be 12 bytes without padding in a 32-bit process");

// The engine's server object, a COM interface: slots 0 to 2 are IUnknown's, 3 to 6 are not used by
// the saver, 7 hands out a root table for one connection.
struct EffectsServer;
struct EffectsServerTable {
    std::int32_t(ZOVI_EFFECTS_CALL* queryInterface)(EffectsServer* self, const EffectsGuid* iid,
                                                    void** object);
    std::uint32_t(ZOVI_EFFECTS_CALL* addRef)(EffectsServer* self);
    std::uint32_t(ZOVI_EFFECTS_CALL* release)(EffectsServer* self);
    std::int32_t(ZOVI_EFFECTS_CALL* slot3)(EffectsServer* self);
    std::int32_t(ZOVI_EFFECTS_CALL* slot4)(EffectsServer* self);
    std::int32_t(ZOVI_EFFECTS_CALL* slot5)(EffectsServer* self);
    std::int32_t(ZOVI_EFFECTS_CALL* slot6)(EffectsServer* self);
    // Returns an HRESULT; only S_OK means the reply was filled.
    std::int32_t(ZOVI_EFFECTS_CALL* requestRoot)(EffectsServer* self, std::uint32_t revision,
                                                 std::int32_t* value, std::uint32_t reserved,
                                                 ConnectReply* reply);
};
struct EffectsServer {
    const EffectsServerTable* table;
};

static_assert(offsetof(EffectsServerTable, requestRoot) == 7 * sizeof(void*),
              "requestRoot is slot 7");
static_assert(offsetof(EffectsRoot, openEngine) == 5 * sizeof(void*), "openEngine is slot 5");
static_assert(offsetof(EffectsEngine, createPlayer) == 2 * sizeof(void*), "createPlayer is slot 2");
static_assert(offsetof(EffectsPlayer, playScript) == 2 * sizeof(void*), "playScript is slot 2");
