#include "x11/saver_run.h"

#include <poll.h>

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/projection.h"
#include "shell/close_rules.h"
#include "x11/animation_worker.h"
#include "x11/draw_window.h"
#include "x11/end_requests.h"
#include "x11/glx_surface.h"
#include "x11/linux_clock.h"

namespace {
// The Windows saver's full screen closes when the mouse travels more than this, in 96-dpi pixels.
constexpr std::uint32_t kMouseTravelThreshold = 4;

std::int64_t nowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

struct SaverRun {
    DrawWindow target;
    GlxSurface surface;
    bool drawing = false;
    RenderState state;
    AnimationWorker animation;
    bool ending = false;
    std::int64_t framesSinceReport = 0;
    std::int64_t reportStart = 0;
};

// What one X event means for the run.
void handleEvent(SaverRun& run, const XEvent& event) {
    DrawWindow& target = run.target;
    switch (event.type) {
    case DestroyNotify:
        if (event.xdestroywindow.window == target.window) run.ending = true;
        break;
    case ConfigureNotify:
        if (event.xconfigure.window != target.window) break;
        if (event.xconfigure.width == target.width && event.xconfigure.height == target.height) break;
        resizeGlxSurface(target, run.surface, event.xconfigure.width, event.xconfigure.height);
        if (run.drawing) setUpProjection(target.width, target.height);
        break;
    case KeyPress:
    case ButtonPress:
        if (target.own) run.ending = true;
        break;
    case MotionNotify:
        if (target.own && mouseTravelCloses(CursorPoint{target.pointerX, target.pointerY},
                                             CursorPoint{event.xmotion.x_root, event.xmotion.y_root},
                                             kMouseTravelThreshold, target.dotsPerInch))
            run.ending = true;
        break;
    case ClientMessage:
        if (target.own && static_cast<Atom>(event.xclient.data.l[0]) == target.deleteRequest) run.ending = true;
        break;
    default: break;
    }
}

void drawTick(SaverRun& run, bool printFrameRate) {
    if (run.drawing) drawFrame(run.state);
    wakeAnimationWorker(run.animation);
    if (run.drawing) swapGlxSurface(run.target, run.surface);
    if (!printFrameRate) return;
    ++run.framesSinceReport;
    const std::int64_t now = nowMicroseconds();
    if (now - run.reportStart < 1000000) return;
    std::printf("zovi-logo: %.1f frames per second\n", run.framesSinceReport * 1e6 / double(now - run.reportStart));
    std::fflush(stdout);
    run.framesSinceReport = 0;
    run.reportStart = now;
}

// Waits for the X connection, an end signal or the tick's time, whichever comes first.
void waitUntil(std::int64_t deadline, int displayFd, int endFd) {
    const std::int64_t left = deadline - nowMicroseconds();
    if (left <= 0) return;
    pollfd watched[2] = {{displayFd, POLLIN, 0}, {endFd, POLLIN, 0}};
    const timespec timeout = {static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
    ppoll(watched, endFd >= 0 ? 2 : 1, &timeout, nullptr);
}
}  // namespace

int runSaver(const ProgramOptions& options, const EffectsClient& effects) {
    const int endFd = watchEndSignals();
    if (options.target == DrawTargetKind::GivenWindow && !endWithParent()) return 0;
    SaverRun run;
    std::string error;
    if (!openDrawWindow(options, run.target, error)) {
        std::fprintf(stderr, "zovi-logo: %s\n", error.c_str());
        closeDrawWindow(run.target);
        return 1;
    }
    const LogoClock clock = linuxLogoClock();
    run.drawing = startGlxSurface(run.target, run.surface);
    if (run.drawing) {
        setUpScene(run.state, options.settings, clock, effects);
        setUpProjection(run.target.width, run.target.height);
    } else {
        setUpLogo(run.state, options.settings, clock, effects);
    }
    startAnimationWorker(run.animation, run.state, clock);
    showDrawWindow(run.target);

    Display* display = run.target.display;
    run.reportStart = nowMicroseconds();
    std::int64_t nextTick = run.reportStart;
    while (!run.ending && !endSignalled() && !drawWindowFailed()) {
        while (!run.ending && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            handleEvent(run, event);
        }
        if (run.ending || endSignalled() || drawWindowFailed()) break;
        const std::int64_t now = nowMicroseconds();
        if (now >= nextTick) {
            drawTick(run, options.printFrameRate);
            // A late tick is not made up for: the next comes one period later, as a timer's would.
            nextTick = nextTick + options.tickMicroseconds > now ? nextTick + options.tickMicroseconds
                                                                 : now + options.tickMicroseconds;
            XFlush(display);
        }
        waitUntil(nextTick, ConnectionNumber(display), endFd);
    }

    // The GL context released, the animation thread stopped and joined (so no advance runs or can
    // start), and only then the logo with its effects, as the Windows teardown orders it.
    stopGlxSurface(run.target, run.surface);
    stopAnimationWorker(run.animation);
    run.state.logo.reset();
    closeDrawWindow(run.target);
    return 0;
}
