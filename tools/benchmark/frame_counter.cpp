// Counts the frames a window actually presents, from outside, through the X server's damage reports:
// the same measure for the saver and for the drawing floor, and no change to either.
//
//   frame_counter TITLE SECONDS
// waits for a top-level window named TITLE, then for SECONDS counts presents on it and its children,
// and prints: first_frame=<CLOCK_MONOTONIC seconds of the first present> frames=<n> seconds=<s>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

Window findNamed(Display* display, Window under, const char* title) {
    char* name = nullptr;
    if (XFetchName(display, under, &name) && name) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
        if (match) return under;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) found = findNamed(display, children[i], title);
    if (children) XFree(children);
    return found;
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }  // windows may go while we look

void sleepMs(long milliseconds) {
    const timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000};
    nanosleep(&pause, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: frame_counter TITLE SECONDS\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    XSetErrorHandler(ignoreErrors);
    int damageEvent, damageError;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) return 1;

    Window target = 0;
    for (const double deadline = now() + 60; !target && now() < deadline;) {
        target = findNamed(display, DefaultRootWindow(display), argv[1]);
        if (!target) sleepMs(2);
    }
    if (!target) return 1;
    // The window's damage includes its children's, where the GL surface presents: one report per
    // present, from the moment the window exists.
    XDamageCreate(display, target, XDamageReportNonEmpty);
    XSync(display, False);

    long frames = 0;
    double first = 0;
    const double start = now(), end = start + std::atof(argv[2]);
    while (now() < end) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != damageEvent + XDamageNotify) continue;
            const auto* notify = reinterpret_cast<XDamageNotifyEvent*>(&event);
            XDamageSubtract(display, notify->damage, None, None);
            if (!first) first = now();
            ++frames;
        }
        sleepMs(1);
    }
    std::printf("first_frame=%.4f frames=%ld seconds=%.3f\n", first, frames, now() - start);
    XCloseDisplay(display);
    return 0;
}
