// The native program's drawing floor: a bare GLX loop in a full-screen window, drawing the same
// frame with the same code at the same 10 ms tick and moving the sweep inline; no animation thread,
// no options, no effects, no window rules. Ends on SIGTERM.
//
//   zovi-logo-floor draw     the program's frame (B1)
//   zovi-logo-floor clear    only clearing and swapping (B0)
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>

#include <cstdint>
#include <cstring>
#include <ctime>

#include "effects/effects_playback.h"
#include "logo/gl_api.h"
#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/projection.h"

namespace {
volatile sig_atomic_t ending = 0;
void endFloor(int) { ending = 1; }

EffectsCode noEngine(EffectsRoot**, std::int32_t*) { return 2011; }
void nothingToDisconnect() {}

std::int64_t nowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

thread_local std::uint32_t randomState = 1;
std::uint32_t floorTickCount() { return static_cast<std::uint32_t>(nowMicroseconds() / 1000); }
int floorRandomDraw() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
}  // namespace

int main(int argc, char** argv) {
    const bool drawLogoFrames = !(argc > 1 && std::strcmp(argv[1], "clear") == 0);
    signal(SIGTERM, endFloor);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int screen = DefaultScreen(display);
    int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                    GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual = glXChooseVisual(display, screen, wanted);
    if (!visual) return 1;
    const int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, RootWindow(display, screen), visual->visual, AllocNone);
    attributes.background_pixel = BlackPixel(display, screen);
    const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                                        CWColormap | CWBackPixel, &attributes);
    XStoreName(display, window, "Zovi bench floor");
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    glXMakeCurrent(display, window, context);

    RenderState state;
    const LogoClock clock{floorTickCount, floorRandomDraw};
    if (drawLogoFrames)
        setUpScene(state, SaverSettings{false, false, false, false}, clock, EffectsClient{noEngine, nothingToDisconnect});
    setUpProjection(width, height);
    // Later cycles vary from run to run as the program's do, whose animation thread seeds its own.
    randomState = static_cast<std::uint32_t>(std::time(nullptr));
    // Shown once the first frame can follow, as the program shows its own window.
    XMapRaised(display, window);
    std::int64_t nextTick = nowMicroseconds();
    while (!ending) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        const std::int64_t now = nowMicroseconds();
        if (now >= nextTick) {
            if (drawLogoFrames) {
                drawFrame(state);
                advanceSweep(state, clock);
            } else {
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            }
            glXSwapBuffers(display, window);
            XFlush(display);
            nextTick = nextTick + 10000 > now ? nextTick + 10000 : now + 10000;
        }
        const std::int64_t left = nextTick - nowMicroseconds();
        if (left <= 0) continue;
        pollfd watched = {ConnectionNumber(display), POLLIN, 0};
        const timespec timeout = {static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
        ppoll(&watched, 1, &timeout, nullptr);
    }
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    state.logo.reset();
    XCloseDisplay(display);
    return 0;
}
