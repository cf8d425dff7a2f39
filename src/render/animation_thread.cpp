#include "render/animation_thread.h"

#include <cstdlib>
#include <ctime>

#include "process/sent_message_wait.h"
#include "process/teardown_steps.h"

namespace {
DWORD WINAPI animationThreadProc(LPVOID parameter) {
    AnimationThread& animation = *static_cast<AnimationThread*>(parameter);
    // rand() keeps its state per thread: this seed leaves the window thread's sequence untouched,
    // so only cycles after the first vary from run to run.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    while (animation.animationRunning) {
        if (WaitForSingleObject(animation.wakeEvent, INFINITE) != WAIT_OBJECT_0) break;
        if (!animation.animationRunning) break;
        advanceSweep(*animation.state, animation.clock);
        animation.advancesRun++;
        ResetEvent(animation.wakeEvent);
    }
    return 0;
}
}  // namespace

void startAnimationThread(AnimationThread& animation, RenderState& state, const LogoClock& clock) {
    animation.state = &state;
    animation.clock = clock;
    animation.wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!animation.wakeEvent) return;
    animation.animationRunning = true;
    animation.thread = CreateThread(nullptr, 0, animationThreadProc, &animation, 0, nullptr);
    if (!animation.thread) animation.animationRunning = false;
}

void wakeAnimationThread(AnimationThread& animation) {
    if (animation.wakeEvent) SetEvent(animation.wakeEvent);
}

void requestAnimationStop(AnimationThread& animation) {
    animation.animationRunning = false;
    if (animation.wakeEvent) SetEvent(animation.wakeEvent);
}

void joinAnimationThread(AnimationThread& animation) {
    if (animation.thread) {
        waitHandlingSentMessages(1, &animation.thread);
        CloseHandle(animation.thread);
        animation.thread = nullptr;
        noteTeardownStep();
    }
    if (animation.wakeEvent) {
        CloseHandle(animation.wakeEvent);
        animation.wakeEvent = nullptr;
    }
}
