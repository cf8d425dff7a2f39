#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "logo/logo_clock.h"
#include "logo/render_state.h"

// The animation thread of one saver window advances the sweep once after each render tick. It
// sleeps in an untimed wait on a manual-reset event that is reset only after the advance, so ticks
// arriving meanwhile coalesce into the next wait rather than queueing extra advances.
struct AnimationThread {
    HANDLE thread = nullptr;                    // while it exists
    HANDLE wakeEvent = nullptr;                 // manual-reset, set by every render tick
    std::atomic<bool> animationRunning{false};  // cleared to make the thread end
    RenderState* state = nullptr;               // what the thread advances
    LogoClock clock{};                          // where it takes time and chance from
    std::atomic<std::uint32_t> advancesRun{0};  // for tests and the benchmark
};

// Creates the wake event and starts the thread. Without an event no thread is started: the logo
// then stands still, which is better than a thread spinning on a failed wait.
void startAnimationThread(AnimationThread& animation, RenderState& state, const LogoClock& clock);

// Called by each render tick; never waits.
void wakeAnimationThread(AnimationThread& animation);

// Clears the running flag and wakes the thread so that it ends after any advance in progress.
void requestAnimationStop(AnimationThread& animation);

// Waits until the thread has ended, so no advance is running or can start afterwards, then closes
// its handles. Safe to call when nothing was started.
void joinAnimationThread(AnimationThread& animation);
