#include "x11/animation_worker.h"

#include <ctime>

#include "x11/linux_clock.h"

namespace {
void runAnimation(AnimationWorker& worker) {
    seedRuntimeRandom(static_cast<unsigned>(std::time(nullptr)));
    std::unique_lock<std::mutex> held(worker.lock);
    for (;;) {
        worker.wake.wait(held, [&] { return worker.woken || !worker.running; });
        if (!worker.running) return;
        held.unlock();
        advanceSweep(*worker.state, worker.clock);
        held.lock();
        worker.woken = false;
    }
}
}  // namespace

void startAnimationWorker(AnimationWorker& worker, RenderState& state, const LogoClock& clock) {
    worker.state = &state;
    worker.clock = clock;
    worker.running = true;
    worker.thread = std::thread(runAnimation, std::ref(worker));
}

void wakeAnimationWorker(AnimationWorker& worker) {
    {
        std::lock_guard<std::mutex> held(worker.lock);
        worker.woken = true;
    }
    worker.wake.notify_one();
}

void stopAnimationWorker(AnimationWorker& worker) {
    {
        std::lock_guard<std::mutex> held(worker.lock);
        worker.running = false;
    }
    worker.wake.notify_one();
    if (worker.thread.joinable()) worker.thread.join();
}
