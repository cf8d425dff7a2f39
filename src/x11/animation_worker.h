#pragma once
#include <condition_variable>
#include <mutex>
#include <thread>

#include "logo/logo_clock.h"
#include "logo/render_state.h"

// The animation thread of the native program, as the Windows saver has it: it sleeps until a render
// tick wakes it, advances the sweep once and forgets the wakes that came meanwhile, so slow advances
// coalesce ticks rather than queueing them. It seeds its own random generator from the calendar
// time; the drawing thread never does, so every run's first cycle is the same.
struct AnimationWorker {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    bool woken = false;    // under lock
    bool running = false;  // under lock
    RenderState* state = nullptr;
    LogoClock clock{};
};

void startAnimationWorker(AnimationWorker& worker, RenderState& state, const LogoClock& clock);

// Called by each render tick; never waits for an advance.
void wakeAnimationWorker(AnimationWorker& worker);

// Ends the thread after any advance in progress and waits for it, so none runs or can start after.
void stopAnimationWorker(AnimationWorker& worker);
