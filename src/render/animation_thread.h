#pragma once
#include "logo/logo_clock.h"
#include "render/render_state.h"

// The animation thread advances the sweep once after each render tick. It sleeps in an untimed wait
// on a manual-reset event that is reset only after the advance, so ticks arriving meanwhile
// coalesce into the next wait rather than queueing extra advances.

// Creates the wake event and starts the thread. Without an event no thread is started: the logo
// then stands still, which is better than a thread spinning on a failed wait.
void startAnimationThread(RenderState& state, const LogoClock& clock);

// Called by each render tick; never waits.
void wakeAnimationThread();

// Clears the running flag and wakes the thread so that it ends after any advance in progress.
void requestAnimationStop();

// Waits until the thread has ended, so no advance is running or can start afterwards, then closes
// its handles. Safe to call when nothing was started.
void joinAnimationThread();
