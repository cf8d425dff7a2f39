#include "render/animation_thread.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <ctime>

#include "render/render_host.h"

namespace {
struct AnimationThreadState {
    HANDLE thread = nullptr;              // the animation thread while it exists
    HANDLE wakeEvent = nullptr;           // manual-reset, set by every render tick
    std::atomic<bool> animationRunning{false};
    RenderState* state = nullptr;         // what the thread advances
    LogoClock clock{};                    // where it takes time and chance from
};
AnimationThreadState animation;

DWORD WINAPI animationThreadProc(LPVOID) {
    // rand() keeps its state per thread: this seed leaves the window thread's sequence untouched,
    // so only cycles after the first vary from run to run.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    while (animation.animationRunning) {
        if (WaitForSingleObject(animation.wakeEvent, INFINITE) != WAIT_OBJECT_0) break;
        if (!animation.animationRunning) break;
        advanceSweep(*animation.state, animation.clock);
        renderHostCounters().advancesRun++;
        ResetEvent(animation.wakeEvent);
    }
    return 0;
}
}  // namespace

void startAnimationThread(RenderState& state, const LogoClock& clock) {
    animation.state = &state;
    animation.clock = clock;
    animation.wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!animation.wakeEvent) return;
    animation.animationRunning = true;
    animation.thread = CreateThread(nullptr, 0, animationThreadProc, nullptr, 0, nullptr);
    if (!animation.thread) animation.animationRunning = false;
}

void wakeAnimationThread() {
    if (animation.wakeEvent) SetEvent(animation.wakeEvent);
}

void requestAnimationStop() {
    animation.animationRunning = false;
    if (animation.wakeEvent) SetEvent(animation.wakeEvent);
}

void joinAnimationThread() {
    if (animation.thread) {
        WaitForSingleObject(animation.thread, INFINITE);
        CloseHandle(animation.thread);
        animation.thread = nullptr;
    }
    if (animation.wakeEvent) {
        CloseHandle(animation.wakeEvent);
        animation.wakeEvent = nullptr;
    }
}
