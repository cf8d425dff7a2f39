#pragma once
// The failures a test can ask the substitute engine to show, read from ZOVI_EFFECTS_FAULTS:
// comma-separated NAME=NUMBER items, numbers in decimal or 0x hex (docs/effects-engine.md).
#include <cstdint>
#include <optional>
#include <string>

struct EngineFaults {
    std::optional<std::int32_t> create;        // HRESULT of the server's creation
    std::optional<std::int32_t> requestRoot;   // HRESULT of requestRoot, the reply left unwritten
    std::optional<std::int32_t> reply;         // reply code, with a root but no release callback
    std::optional<std::int32_t> openEngine;    // result of openEngine, no engine handed out
    std::optional<std::int32_t> createPlayer;  // result of createPlayer, no player handed out
    std::optional<std::int32_t> playScript;    // result of every playScript
    std::uint32_t delayMs = 0;                 // every call waits this long before it answers
    std::uint32_t delayFrom = 1;               // ... counting from this call of the process on
    std::uint32_t holdReleaseMs = 0;           // the server object's last release waits this long
    std::uint32_t slowReleaseMs = 0;           // every release and the release callback take this long
    bool sendOnRelease = false;                // the server object's last release sends to the saver window
    std::string ignored;                       // items not understood, as given
};

EngineFaults parseEngineFaults(const std::string& text);

// The faults in force for this call; unknown items are noted in the journal once per change.
EngineFaults currentFaults();

// Waits as long as the faults ask every call to wait, counting calls from the engine's loading.
void delayCall(const EngineFaults& faults);

// Takes as long as the faults ask a release to take.
void slowRelease(const EngineFaults& faults);
