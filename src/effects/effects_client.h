#pragma once
// The saver's client of the ambient-effects engine: brings the engine's server object up on a
// thread of its own, hands out a root table per connection, and stops the server when the last
// connection closes. Connect and disconnect may be called from any thread.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "link/effects_interface.h"
#include "effects/effects_playback.h"

// The client's process-wide state. Everything but clientLock is touched only under clientLock, by
// the server thread before it signals ready, or after that thread has ended.
struct EffectsClientState {
    std::atomic<HANDLE> clientLock{nullptr};  // auto-reset event used as the lock; made once, kept
    std::uint32_t connectionCount = 0;         // open connections
    HANDLE serverThread = nullptr;             // while the server thread exists
    EffectsServer* serverInterface = nullptr;  // held by the server thread from creation to release
    HANDLE readyEvent = nullptr;               // manual-reset: the server object exists
    HANDLE quitEvent = nullptr;                // manual-reset: release the object and end
    HRESULT serverResult = S_OK;               // the server thread's last COM step
    EffectsReleaseCallback releaseCallback = nullptr;  // run when the last connection closes
};

// 1000 with the root table set and one more connection open; otherwise a code of the client's
// (2002, 2003, 2011, 2012, 2014, 2015) or the engine's reply. The root, and the value when given,
// are cleared first, whatever follows.
EffectsCode connectEffects(EffectsRoot** root, std::int32_t* value);

// Closes one connection; the last one runs the engine's release callback and stops the server.
void disconnectEffects();

// The client as the logo uses it.
extern const EffectsClient kEngineEffectsClient;

// For tests: the state as it stands.
const EffectsClientState& effectsClientState();
